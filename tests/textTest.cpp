// Text in the picture: glyph sizes per role and zoom, the outline title,
// double-byte characters in bitmap roles, strings that start outside the view,
// the GL traps (raster colour, unpack state, selection hits) and the face table.
// Sizes are measured on the drawn pixels and on the raster position's advance,
// never against stored pictures.
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "core/cp932.h"
#include "core/headlessHost.h"
#include "core/kelvraView.h"
#include "render/fonts.h"
#include "render/text.h"
#include "settings/settingsTables.h"
#include "support/glFixture.h"
#include "support/testFiles.h"

namespace kelvra {
namespace {

constexpr int kW = 400, kH = 300;   // at 100 % one pixel is 0.005 world units

// Where the non-white pixels of the picture are.
struct Ink {
    int count = 0;
    int minX = kW, maxX = -1, minY = kH, maxY = -1;   // bottom-up
    int coloured = 0;                                  // pixels that are neither grey nor white
    int width() const { return count ? maxX - minX + 1 : 0; }
    int height() const { return count ? maxY - minY + 1 : 0; }
};

Ink measureInk() {
    std::vector<unsigned char> px(size_t(kW) * kH * 4);
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kW, kH, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    Ink ink;
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            const unsigned char* p = &px[(size_t(y) * kW + x) * 4];
            if (p[0] > 250 && p[1] > 250 && p[2] > 250) continue;
            ++ink.count;
            ink.minX = std::min(ink.minX, x);
            ink.maxX = std::max(ink.maxX, x);
            ink.minY = std::min(ink.minY, y);
            ink.maxY = std::max(ink.maxY, y);
            if (std::abs(p[0] - p[1]) > 30 || std::abs(p[1] - p[2]) > 30) ++ink.coloured;
        }
    }
    return ink;
}

float rasterX() {
    GLfloat pos[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, pos);
    return pos[0];
}

class TextTest : public ::testing::Test {
protected:
    void SetUp() override {
        GL_TEST_REQUIRE_CONTEXT(kW, kH);
        host.printMessages = false;
        view = std::make_unique<CKelvraView>(host);
        view->initGlState();
        clear();
    }
    void TearDown() override {
        if (view) view->destroyGlLists();
    }
    void clear() {
        view->resizeViewport(kW, kH);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
    }
    // Draws text with a bitmap role, its pen starting at pixel (x, y) from the bottom-left.
    void drawAt(int x, int y, const std::string& text, int role) {
        textRasterPos((x - kW / 2) * 0.005 * 100 / view->viewZoom, (y - kH / 2) * 0.005 * 100 / view->viewZoom, 0);
        view->drawText(text, role);
    }
    // The pen advance of a string drawn with a bitmap role.
    float advanceOf(const std::string& text, int role) {
        drawAt(20, 150, text, role);
        float start = 20;
        return rasterX() - start;
    }
    void rebuild() {
        view->buildGlyphLists();
        clear();
    }

    HeadlessHost host{{kW, kH}};
    std::unique_ptr<CKelvraView> view;
};

// ---- sizes ----

TEST(GlyphCellHeight, FollowsZoomForTitleAndScalesAndTheOverlaySizesForTheRest) {
    GraphSettings s;
    for (int role = 0; role < kTextRoleCount; ++role) EXPECT_EQ(glyphCellHeight(s, role), 12) << role;
    s.viewZoom = 250;
    const int expected[kTextRoleCount] = {30, 12, 30, 30, 30, 12, 12};
    for (int role = 0; role < kTextRoleCount; ++role) EXPECT_EQ(glyphCellHeight(s, role), expected[role]) << role;
    s.axisSize = 150;
    s.legendSize = 50;
    EXPECT_EQ(glyphCellHeight(s, RoleAxisLabel), 18);
    EXPECT_EQ(glyphCellHeight(s, RoleLegendValue), 6);
    EXPECT_EQ(glyphCellHeight(s, RoleLegendUnit), 6);
}

TEST(GlyphCellHeight, ZeroProductGivesTheDefaultAndHugeOnesAreClamped) {
    GraphSettings s;
    s.fontSize[RoleScaleValue] = 1;
    s.viewZoom = 50;   // 1 * 50 / 100 truncates to 0
    EXPECT_EQ(glyphCellHeight(s, RoleScaleValue), kDefaultCellHeight);
    s.fontSize[RoleScaleValue] = 2000000000;
    s.viewZoom = 2000000000;   // the product overflows an int; must not be UB
    EXPECT_EQ(glyphCellHeight(s, RoleScaleValue), kMaxGlyphPixels);
    s.fontSize[RoleScaleValue] = -20;
    s.viewZoom = 100;
    EXPECT_EQ(glyphCellHeight(s, RoleScaleValue), -20);   // an em size, as Windows reads it
}

TEST_F(TextTest, DrawnHeightAndWidthScaleWithTheCellHeight) {
    drawAt(20, 150, "HHHH", RoleScaleValue);
    Ink at100 = measureInk();
    // IPAPGothic: a 12-pixel cell is an 11-pixel em; capitals stand about 0.73 em.
    EXPECT_GE(at100.height(), 7);
    EXPECT_LE(at100.height(), 10);

    view->viewZoom = 250;
    rebuild();
    drawAt(20, 150, "HHHH", RoleScaleValue);
    Ink at250 = measureInk();
    EXPECT_NEAR(double(at250.height()) / at100.height(), 2.5, 0.35);
    EXPECT_NEAR(double(at250.width()) / at100.width(), 2.5, 0.35);
    EXPECT_EQ(view->glyphRenderer()->roleInfo(RoleScaleValue).cellHeight, 30);
    EXPECT_EQ(view->glyphRenderer()->roleInfo(RoleScaleValue).emPixels, 28);   // 30 / 1.076

    // The axis-indicator and legend roles keep their size (their sizes are fixed).
    for (int role : {RoleAxisLabel, RoleLegendValue, RoleLegendUnit}) {
        clear();
        drawAt(20, 150, "HHHH", role);
        Ink ink = measureInk();
        EXPECT_EQ(ink.height(), at100.height()) << role;
        EXPECT_EQ(ink.width(), at100.width()) << role;
    }
    for (int role : {RoleTitle, RoleScaleLabel, RoleScaleUnit}) {
        clear();
        drawAt(20, 150, "HHHH", role);
        EXPECT_EQ(measureInk().height(), at250.height()) << role;
    }
}

TEST_F(TextTest, PenAdvancesByTheSumOfTheGlyphAdvances) {
    float one = advanceOf("M", RoleScaleValue);
    clear();
    float five = advanceOf("MMMMM", RoleScaleValue);
    EXPECT_GT(one, 4);
    EXPECT_FLOAT_EQ(five, 5 * one);
}

// ---- double-byte characters ----

TEST_F(TextTest, BitmapRoleDrawsKanjiAndHalfWidthKanaAsWholeCharacters) {
    // Drawn byte by byte, 日本 would be two empty lead-byte lists and two stray
    // trail-byte glyphs; drawn whole, each is one em wide (11 pixels here).
    float kanji = advanceOf(test::cp932("日本"), RoleScaleLabel);
    EXPECT_NEAR(kanji, 22, 1);
    Ink ink = measureInk();
    EXPECT_GE(ink.width(), 18);
    EXPECT_GE(ink.height(), 9);
    EXPECT_GT(ink.count, 40);

    clear();
    float kana = advanceOf(test::cp932("ｱｲｳ"), RoleScaleLabel);   // single bytes A1..DF
    EXPECT_NEAR(kana, 3 * 5.5, 2);
    EXPECT_GT(measureInk().count, 20);
    EXPECT_EQ(view->glyphRenderer()->roleInfo(RoleScaleLabel).cachedWideGlyphs, 2);
}

TEST_F(TextTest, LatinFaceFallsBackToAJapaneseFaceForKanji) {
    view->fontFace[RoleScaleUnit] = 5;   // Arial: Liberation Sans has no kanji
    rebuild();
    EXPECT_EQ(view->glyphRenderer()->roleInfo(RoleScaleUnit).family, "Liberation Sans");
    float advance = advanceOf(test::cp932("温度"), RoleScaleUnit);
    EXPECT_GT(advance, 15);
    EXPECT_GT(measureInk().count, 40);
}

TEST_F(TextTest, MalformedDoubleByteTextDrawsReplacementsAndGoesOn) {
    // A lead byte before a byte that cannot follow it, and one at the very end.
    std::string text = "A\x81 B\x81";
    float advance = advanceOf(text, RoleScaleValue);
    clear();
    float plain = advanceOf("A B", RoleScaleValue);
    EXPECT_GT(advance, plain);   // the two replacement boxes take room
}

TEST_F(TextTest, DoubleByteListsFollowARebuildWithoutGrowing) {
    float at100 = advanceOf(test::cp932("日"), RoleScaleLabel);
    EXPECT_EQ(view->glyphRenderer()->roleInfo(RoleScaleLabel).cachedWideGlyphs, 1);
    // A list compiled now calls the character's own list; it must follow the rebuild.
    glNewList(ListLegend, GL_COMPILE);
    view->drawText(test::cp932("日"), RoleScaleLabel);
    glEndList();

    view->viewZoom = 250;
    rebuild();
    float at250 = advanceOf(test::cp932("日"), RoleScaleLabel);
    EXPECT_NEAR(at250 / at100, 28.0 / 11.0, 0.1);
    EXPECT_EQ(view->glyphRenderer()->roleInfo(RoleScaleLabel).cachedWideGlyphs, 1);

    clear();
    drawAt(20, 150, "", RoleScaleLabel);
    glCallList(ListLegend);
    EXPECT_NEAR(rasterX() - 20, at250, 0.01);
    glDeleteLists(ListLegend, 1);
}

// ---- outline title ----

TEST_F(TextTest, JapaneseTitleDrawsWithOutlineGlyphsInTheCurrentColour) {
    view->fontFace[RoleTitle] = 0;   // ＭＳ Ｐゴシック
    rebuild();
    ASSERT_TRUE(view->glyphRenderer()->roleInfo(RoleTitle).outline);
    glColor3d(1, 0, 0);
    glPushMatrix();
    glTranslated(-0.8, 0, 0);
    glScaled(0.12, 0.12, 0.12);   // a 24-pixel em
    view->drawText(test::cp932("日本語 ﾀｲﾄﾙ Title"), RoleTitle);
    glPopMatrix();
    Ink ink = measureInk();
    EXPECT_GT(ink.count, 300);
    EXPECT_EQ(ink.coloured, ink.count);   // all red: the current colour, not black
    EXPECT_GE(ink.minX, 40 - 2);          // starts at the origin (-0.8 is pixel 40)
    EXPECT_GE(ink.height(), 18);
    EXPECT_LE(ink.height(), 30);
    // 3 full-width characters (3 em), a space, 4 half-width kana and "Title".
    EXPECT_GT(ink.width(), 3 * 24 + 4 * 10);

    // The caller's matrix and colour come back unchanged.
    GLdouble m[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, m);
    EXPECT_DOUBLE_EQ(m[12], 0.0);
    GLfloat c[4];
    glGetFloatv(GL_CURRENT_COLOR, c);
    EXPECT_FLOAT_EQ(c[0], 1.0f);
}

TEST_F(TextTest, OutlineTitleIsNotRebuiltByAZoom) {
    view->fontFace[RoleTitle] = 1;
    rebuild();
    view->viewZoom = 300;
    rebuild();   // must keep the lists (and the double-byte ones) as they are
    EXPECT_TRUE(view->glyphRenderer()->roleInfo(RoleTitle).outline);
    EXPECT_EQ(view->glyphRenderer()->roleInfo(RoleTitle).family, "IPAPMincho");
    glPushMatrix();
    glScaled(0.05, 0.05, 0.05);
    view->drawText(test::cp932("明朝"), RoleTitle);
    glPopMatrix();
    EXPECT_GT(measureInk().count, 50);
}

// ---- edge cases and GL traps ----

TEST_F(TextTest, EmptyTextDrawsNothingAndLeavesThePen) {
    drawAt(100, 100, "", RoleScaleValue);
    EXPECT_FLOAT_EQ(rasterX(), 100);
    view->fontFace[RoleTitle] = 0;
    rebuild();
    view->drawText("", RoleTitle);
    EXPECT_EQ(measureInk().count, 0);
}

TEST_F(TextTest, BitmapTextIsBlackWhateverColourWasCurrentAtTheRasterPosition) {
    glColor3d(1, 0, 0);
    glRasterPos3d(-0.5, 0, 0);   // latches red
    view->drawText("HHHH", RoleScaleValue);
    Ink ink = measureInk();
    EXPECT_GT(ink.count, 20);
    EXPECT_EQ(ink.coloured, 0);
}

TEST_F(TextTest, StringStartingLeftOfTheViewDrawsItsVisiblePart) {
    // The pen starts 20 pixels left of the picture; the rest of the string shows.
    drawAt(-20, 150, "WWWWWWWW", RoleScaleValue);
    Ink ink = measureInk();
    EXPECT_GT(ink.count, 30);
    EXPECT_EQ(ink.minX, 0);
    // A start below the picture works the same way for text that reaches up into it.
    clear();
    view->viewZoom = 250;
    rebuild();
    drawAt(20, -5, "Hg", RoleScaleValue);
    EXPECT_EQ(measureInk().minY, 0);
}

// Pixels of "K" drawn at window position (50, 150) that differ from FreeType's
// own rendering of the glyph.
int mismatchesAgainstFreeType(CKelvraView& view) {
    glWindowPos2i(50, 150);
    view.drawText("K", RoleScaleValue);
    FontFace* face = fontFaceFor(view.fontFace[RoleScaleValue]);
    const GlyphBitmap& g = bitmapGlyph(findGlyph(face, 'K'), emPixelsForCellHeight(*face, 12));
    EXPECT_GT(g.rows, 5);
    int rowBytes = (g.width + 7) / 8, mismatches = 0;
    for (int r = -2; r < g.rows + 2; ++r) {
        for (int c = -2; c < g.width + 2; ++c) {
            bool set = r >= 0 && r < g.rows && c >= 0 && c < g.width &&
                       (g.bits[size_t(r) * rowBytes + c / 8] & (0x80 >> (c % 8)));
            test::Pixel p = test::pixelAt(50 + g.left + c, 150 - (g.rows - g.top) + r);
            bool black = p.r < 128;
            mismatches += set != black;
        }
    }
    return mismatches;
}

TEST_F(TextTest, BitmapGlyphsAreFreeTypesGlyphsWhateverTheUnpackStateAtBuildTime) {
    EXPECT_EQ(mismatchesAgainstFreeType(*view), 0);
    // glBitmap captures the unpack state at compile time: odd settings while the
    // lists are built must not garble them.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 37);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_TRUE);
    view->destroyGlLists();
    rebuild();
    int mismatches = mismatchesAgainstFreeType(*view);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    EXPECT_EQ(mismatches, 0);
}

TEST_F(TextTest, OutlineTitleRunsInFeedbackMode) {
    // Mesa crashes on lists that mix strips, fans and triangles in feedback and
    // selection mode; the outline glyphs are separate triangles only.
    view->fontFace[RoleTitle] = 0;
    rebuild();
    auto prims = test::captureFeedback([&] {
        glPushMatrix();
        glScaled(0.1, 0.1, 0.1);
        view->drawText(test::cp932("AB 日本"), RoleTitle);
        glPopMatrix();
    });
    EXPECT_GT(prims.size(), 50u);
}

TEST_F(TextTest, TextMakesNoSelectionHits) {
    view->fontFace[RoleTitle] = 0;
    rebuild();
    GLuint buffer[64];
    auto hitsOf = [&](const std::function<void()>& draw) {
        glSelectBuffer(64, buffer);
        glRenderMode(GL_SELECT);
        glInitNames();
        glPushName(7);
        draw();
        return glRenderMode(GL_RENDER);
    };
    EXPECT_EQ(hitsOf([&] {
                  textRasterPos(0, 0, 0);
                  view->drawText(test::cp932("X=1 日本"), RoleScaleValue);
                  glPushMatrix();
                  glScaled(0.1, 0.1, 0.1);
                  view->drawText(test::cp932("日本 Title"), RoleTitle);
                  glPopMatrix();
              }),
              0);
    // The same selection set-up does see a point at the same place.
    EXPECT_EQ(hitsOf([] {
                  glBegin(GL_POINTS);
                  glVertex3d(0, 0, 0);
                  glEnd();
              }),
              1);
}

TEST_F(TextTest, TextCompiledIntoAListDrawsWhenTheListRuns) {
    glNewList(ListLegend, GL_COMPILE);
    textRasterPos(-0.5, 0, 0);
    view->drawText(test::cp932("凡例 123"), RoleLegendUnit);   // 凡例 not cached yet: drawn inline
    glEndList();
    EXPECT_EQ(measureInk().count, 0);
    EXPECT_EQ(view->glyphRenderer()->roleInfo(RoleLegendUnit).cachedWideGlyphs, 0);
    glColor3d(0, 0, 1);
    glCallList(ListLegend);
    Ink ink = measureInk();
    EXPECT_GT(ink.count, 40);
    EXPECT_EQ(ink.coloured, 0);
    EXPECT_GE(ink.width(), 2 * 11 + 15);
    glDeleteLists(ListLegend, 1);
}

TEST_F(TextTest, SymbolFaceTakesBytesAsCharacterCodes) {
    view->fontFace[RoleScaleValue] = 32;
    rebuild();
    EXPECT_EQ(view->glyphRenderer()->roleInfo(RoleScaleValue).family, "Standard Symbols PS");
    // 0x81 is a lead byte in CP932 but an ordinary code in a symbol face.
    float advance = advanceOf("ab\x81p", RoleScaleValue);
    EXPECT_GT(advance, 15);
    EXPECT_GT(measureInk().count, 20);
}

// ---- faces ----

TEST(FontFaces, EveryFaceNameResolvesToItsInstalledSubstitute) {
    for (int i = 0; i < kFontFaceCount; ++i) {
        FontFace* f = fontFaceFor(i);
        ASSERT_NE(f, nullptr) << i;
        EXPECT_TRUE(f->exactFamily) << kFontFaceNames[i] << " gave " << f->family;
        EXPECT_GT(f->cellUnits, 0);
    }
    EXPECT_EQ(fontFaceFor(-1)->family, "Liberation Sans");
    EXPECT_EQ(fontFaceFor(kFontFaceCount)->family, "Liberation Sans");
    EXPECT_EQ(fontFaceFor(24)->face->style_flags & FT_STYLE_FLAG_BOLD, FT_STYLE_FLAG_BOLD);   // Impact
}

TEST(FontFaces, CellHeightBecomesEmSizeByTheFacesWindowsMetrics) {
    // Cell / em is 1.076 for IPAPGothic and 1.117 for Liberation Sans.
    EXPECT_EQ(emPixelsForCellHeight(*fontFaceFor(0), 30), 28);
    EXPECT_EQ(emPixelsForCellHeight(*fontFaceFor(5), 30), 27);
    EXPECT_EQ(emPixelsForCellHeight(*fontFaceFor(5), -30), 30);
    EXPECT_EQ(emPixelsForCellHeight(*fontFaceFor(5), 1), 1);
}

}  // namespace
}  // namespace kelvra
