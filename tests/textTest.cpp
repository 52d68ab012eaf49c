// Text in the picture: glyph sizes per role and zoom, the outline title, whole double-byte
// characters in bitmap roles, empty text, strings that start left of the view, and the GL traps
// (raster colour, unpack state, selection and feedback modes). Sizes are measured on the drawn
// pixels, never against stored pictures.
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/headlessHost.h"
#include "view/kelvraView.h"
#include "render/feedbackState.h"
#include "render/text.h"
#include "support/drawInput.h"
#include "support/glFixture.h"
#include "support/testFiles.h"

namespace kelvra {
namespace {

constexpr int kW = 400, kH = 300;   // at 100 % one pixel is 0.005 world units

// Where the non-white pixels of the picture are (rows bottom-up), and how many are neither grey nor white.
struct Ink {
    int count = 0, coloured = 0, minX = kW, maxX = -1, minY = kH, maxY = -1;
    int width() const { return maxX - minX + 1; }
    int height() const { return maxY - minY + 1; }
    bool operator==(const Ink&) const = default;
};

Ink measureInk() {
    std::vector<unsigned char> px(size_t(kW) * kH * 4);
    glReadPixels(0, 0, kW, kH, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    Ink ink;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const unsigned char* p = &px[(size_t(y) * kW + x) * 4];
            if (p[0] > 250 && p[1] > 250 && p[2] > 250) continue;
            bool coloured = std::abs(p[0] - p[1]) > 30 || std::abs(p[1] - p[2]) > 30;
            ink = {ink.count + 1, ink.coloured + coloured, std::min(ink.minX, x), std::max(ink.maxX, x),
                   std::min(ink.minY, y), std::max(ink.maxY, y)};
        }
    return ink;
}

TEST(GlyphCellHeight, ZeroProductGivesTheDefaultHugeOnesAreClampedNegativeIsAnEmSize) {
    GraphSettings s;
    const int cases[][3] = {{1, 50, kDefaultCellHeight}, {2000000000, 2000000000, kMaxGlyphPixels}, {-20, 100, -20}};
    for (const auto& [fontSize, zoom, expected] : cases) {
        s.fontSize[RoleScaleValue] = fontSize;
        s.viewZoom = zoom;   // 2000000000 squared overflows an int: must not be UB
        EXPECT_EQ(glyphCellHeight(s, RoleScaleValue), expected) << fontSize << " at " << zoom;
    }
}

class Text : public ::testing::Test {
protected:
    void SetUp() override {
        GL_TEST_REQUIRE_CONTEXT(kW, kH);
        view.initGlState();
        clear();
    }
    void TearDown() override { view.destroyGlLists(); }
    // A white picture under the view's camera.
    void clear() {
        view.resizeViewport(kW, kH);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
    }
    // Draws on a white picture with a bitmap role, the pen starting at pixel (x, y) from the bottom-left.
    void drawAt(int x, int y, const std::string& text, TextRole role) {
        clear();
        textRasterPos((x - kW / 2) * 0.5 / view.settings.viewZoom, (y - kH / 2) * 0.5 / view.settings.viewZoom, 0);
        view.lists.glyphs->draw(text, role);
    }

    HeadlessHost host{{kW, kH}};
    CKelvraView view{host};
};

TEST_F(Text, DrawnGlyphsFollowTheZoomOrTheOverlaySizeButNotTheUnpackState) {
    drawAt(20, 150, "HHHH", RoleScaleValue);
    Ink at100 = measureInk();
    EXPECT_NEAR(at100.height(), 8.5, 1.5);   // IPAPGothic: a 12-pixel cell is an 11-pixel em; capitals 0.73 em
    view.settings.viewZoom = 250;
    view.settings.axisSize = 150;
    view.settings.legendSize = 50;
    // Title, axis indicator, scale value, label, unit, legend value, unit.
    const double growth[kTextRoleCount] = {2.5, 1.5, 2.5, 2.5, 2.5, 0.5, 0.5};
    for (int role = 0; role < kTextRoleCount; ++role) {
        view.buildGlyphLists();
        drawAt(20, 150, "HHHH", TextRole(role));
        Ink ink = measureInk();
        EXPECT_NEAR(double(ink.height()) / at100.height(), growth[role], 0.3) << "role " << role;
        EXPECT_NEAR(double(ink.width()) / at100.width(), growth[role], 0.3) << "role " << role;
    }
    // glBitmap copies the bits with the unpack state in force when a list is compiled: odd
    // settings while the lists are built must not change a glyph.
    view.destroyGlLists();
    view.settings.viewZoom = 100;
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 37);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_TRUE);
    view.buildGlyphLists();
    glPopClientAttrib();
    drawAt(20, 150, "HHHH", RoleScaleValue);
    EXPECT_EQ(measureInk(), at100);
}

// At pixel scale K the em is K times the window's, not the em of a K-times
// cell, which rounds on its own (45 pixels at 4x where the window has 11).
TEST_F(Text, AtAPixelScaleTheEmIsTheWindowsEmTimesTheScale) {
    view.buildGlyphLists();
    const int window = view.lists.glyphs->roleInfo(RoleLegendValue).emPixels;
    for (double k : {2.0, 3.0, 4.0, 2.5, 1.0}) {
        setPixelScale(k);
        view.buildGlyphLists();
        EXPECT_EQ(view.lists.glyphs->roleInfo(RoleLegendValue).emPixels, std::lround(window * k)) << k;
    }
}

TEST_F(Text, EmptyTextDrawsNothingAndBitmapRolesDrawDoubleByteCharactersWhole) {
    drawAt(100, 100, "", RoleScaleValue);
    EXPECT_EQ(measureInk().count, 0);
    // Byte by byte, 日本 would be two empty lead-byte lists, a box and a brace; whole, each is one em
    // (11 pixels here) and gets a list of its own. ｱｲｳ are single bytes.
    drawAt(20, 150, test::cp932("日本 ｱｲｳ"), RoleScaleLabel);
    Ink ink = measureInk();
    EXPECT_GE(ink.width(), 2 * 11 + 3 * 5);
    EXPECT_GT(ink.count, 60);
    EXPECT_EQ(view.lists.glyphs.get()->roleInfo(RoleScaleLabel).cachedWideGlyphs, 2);
}

TEST_F(Text, BitmapTextStartingLeftOfTheViewShowsItsVisiblePartInBlack) {
    drawAt(-20, 150, "WWWWWWWW", RoleScaleValue);   // the pen 20 pixels left of the picture
    Ink ink = measureInk();
    EXPECT_GT(ink.count, 30);
    EXPECT_EQ(ink.minX, 0);
    glColor3d(1, 0, 0);
    glRasterPos3d(-0.5, -0.5, 0);   // latches red as the raster colour
    view.lists.glyphs->draw("HHHH", RoleScaleValue);
    EXPECT_EQ(measureInk().coloured, 0);
}

TEST_F(Text, JapaneseTitleDrawsOutlineGlyphsInTheCurrentColourButNoSelectionHits) {
    view.settings.fontFace[RoleTitle] = 0;   // ＭＳ Ｐゴシック: outline glyphs
    view.buildGlyphLists();
    glColor3d(1, 0, 0);
    glTranslated(-0.8, 0, 0);
    glScaled(0.12, 0.12, 0.12);   // a 24-pixel em
    view.lists.glyphs->draw(test::cp932("日本語 ﾀｲﾄﾙ Title"), RoleTitle);
    Ink ink = measureInk();
    EXPECT_GT(ink.count, 300);
    EXPECT_EQ(ink.coloured, ink.count);
    EXPECT_NEAR(ink.height(), 24, 6);
    EXPECT_GT(ink.width(), 3 * 24 + 4 * 10);   // 3 full-width characters, a space, 4 half-width kana, "Title"
    // Mesa crashes on lists that mix strips, fans and triangles in feedback mode: separate triangles only.
    EXPECT_GT(test::captureFeedback([&] { view.lists.glyphs->draw(test::cp932("AB 日本"), RoleTitle); }).size(), 50u);
    GLuint buffer[64];
    glSelectBuffer(64, buffer);
    glRenderMode(GL_SELECT);
    glPushName(7);
    view.lists.glyphs->draw(test::cp932("日本 Title"), RoleTitle);
    textRasterPos(0, 0, 0);
    view.lists.glyphs->draw(test::cp932("X=1 日本"), RoleScaleValue);
    EXPECT_EQ(glRenderMode(GL_RENDER), 0);
}

}  // namespace
}  // namespace kelvra
