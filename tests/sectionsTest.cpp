// Sections: the section index is held inside the grid at every build and the
// section position follows it; the curve runs through the chosen column or
// row; section points and targets take every point of it; the band under the
// curve and the cut surface keep to their side. Top view of a 400 x 400
// viewport (200 pixels per world unit) unless turned so that Z runs up.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "core/headlessHost.h"
#include "core/kelvraView.h"
#include "support/glFixture.h"
#include "support/handMadeData.h"

namespace kelvra {
namespace {

using test::FeedbackPrimitive;
using test::Pixel;
using test::windowOf;

class Sections : public ::testing::Test {
protected:
    void SetUp() override {
        GL_TEST_REQUIRE_CONTEXT(400, 400);
        host.printMessages = false;
        view.resizeViewport(400, 400);
        glLoadIdentity();
        glClearColor(1, 1, 1, 1);
        glEnable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        // A 6 x 5 grid, X = column, Y = row, Z = column + 2 * row (0..13).
        test::fillGrid(view, 6, 5, [](int c, int r) { return c + 2.0 * r; });
        test::setScale(view, 0, 0, 5);
        test::setScale(view, 1, 0, 4);
        test::setScale(view, 2, 0, 13);
        test::setScale(view, 3, 0, 20);
        view.scaleStep[3] = 3;   // 20 levels of 1
        view.legendColors[0] = {0, 1, 0};
        for (int k = 1; k <= 20; ++k) view.legendColors[k] = {k * 0.05, 0.3, 1 - k * 0.05};
    }

    enum Camera { Top, Side, Front };
    // Side: world Z up the screen and X across (for Y sections); Front: Z up
    // and Y across (for X sections).
    std::vector<FeedbackPrimitive> graphFeedback(Camera camera = Top) {
        return test::captureFeedback([&] {
            glLoadIdentity();
            if (camera != Top) glRotated(-90, 1, 0, 0);
            if (camera == Front) glRotated(-90, 0, 0, 1);
            glCallList(ListGraph);
        });
    }
    void drawGraph() {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        glCallList(ListGraph);
    }
    Pixel levelColor(int k) const {
        const Rgb& c = view.legendColors[k];
        return {int(std::lround(c.r * 255)), int(std::lround(c.g * 255)), int(std::lround(c.b * 255))};
    }

    HeadlessHost host{{400, 400}};
    CKelvraView view{host};
};

std::vector<FeedbackPrimitive> ofKind(const std::vector<FeedbackPrimitive>& all, FeedbackPrimitive::Kind kind) {
    std::vector<FeedbackPrimitive> out;
    for (const auto& p : all)
        if (p.kind == kind) out.push_back(p);
    return out;
}

TEST_F(Sections, IndexBeyondTheGridIsBroughtBackAndThePositionFollows) {
    view.graphType = 2;
    view.displayMode = DisplayXSection;
    view.sectionIndexX = 17;   // as after a larger file or many key presses
    view.sectionPos[0] = 17;
    view.buildDisplayLists();
    EXPECT_EQ(view.sectionIndexX, 5);
    EXPECT_DOUBLE_EQ(view.sectionPos[0], 5.0);

    view.displayMode = DisplayYSection;
    view.sectionIndexY = 9;
    view.buildDisplayLists();
    EXPECT_EQ(view.sectionIndexY, 4);
    EXPECT_DOUBLE_EQ(view.sectionPos[1], 4.0);

    // A smaller file: the next build brings both indices inside it.
    test::fillGrid(view, 3, 2, [](int c, int r) { return 1.0; });
    view.buildDisplayLists();
    EXPECT_EQ(view.sectionIndexY, 1);
    EXPECT_DOUBLE_EQ(view.sectionPos[1], 1.0);
    view.displayMode = DisplayXSection;
    view.buildDisplayLists();
    EXPECT_EQ(view.sectionIndexX, 2);
    EXPECT_DOUBLE_EQ(view.sectionPos[0], 2.0);

    view.sectionIndexX = -3;
    view.updateSectionX();
    EXPECT_EQ(view.sectionIndexX, 0);
    EXPECT_DOUBLE_EQ(view.sectionPos[0], 0.0);
}

TEST_F(Sections, APositionBetweenColumnsDrawsTheNearerColumnTiesTheLower) {
    view.graphType = 2;
    view.displayMode = DisplayXSection;
    AxisMapping map = view.graphMapping();
    for (auto [pos, column] : {std::pair{2.5, 2}, std::pair{2.6, 3}, std::pair{-4.0, 0}}) {
        view.sectionPos[0] = pos;
        view.snapSections();
        view.buildDisplayLists();
        EXPECT_DOUBLE_EQ(view.sectionPos[0], column) << "position " << pos;
        auto lines = ofKind(graphFeedback(), FeedbackPrimitive::Line);
        ASSERT_FALSE(lines.empty());
        EXPECT_NEAR(lines[0].vertices[0].x, windowOf(map.world(0, column)), 0.01) << "position " << pos;
    }
}

TEST_F(Sections, WithoutAGridTheIndexIsZeroAndNothingIsRead) {
    test::fillPoints(view, Scattered, 3, {{1, 2, 3}});
    view.displayMode = DisplayXSection;
    view.sectionIndexX = 4;
    view.sectionPos[0] = 2.5;
    view.buildDisplayLists();
    EXPECT_EQ(view.sectionIndexX, 0);
    EXPECT_DOUBLE_EQ(view.sectionPos[0], 2.5);
    EXPECT_TRUE(graphFeedback().empty());
}

TEST_F(Sections, LineRunsThroughTheRowsOfTheColumnOrTheColumnsOfTheRow) {
    view.graphType = 2;   // ﾜｲﾔｰﾌﾚｰﾑ
    view.displayMode = DisplayXSection;
    view.sectionIndexX = 3;
    view.buildDisplayLists();
    AxisMapping map = view.graphMapping();
    auto lines = ofKind(graphFeedback(), FeedbackPrimitive::Line);
    ASSERT_EQ(lines.size(), 4u);   // five rows, four segments
    for (int r = 0; r < 4; ++r) {
        EXPECT_NEAR(lines[r].vertices[0].x, windowOf(map.world(0, 3)), 0.01);
        EXPECT_NEAR(lines[r].vertices[0].y, windowOf(map.world(1, r)), 0.01);
        EXPECT_NEAR(lines[r].vertices[1].y, windowOf(map.world(1, r + 1)), 0.01);
        EXPECT_FLOAT_EQ(lines[r].vertices[0].r, 0.0f);
    }
    // Turned so that Z runs up: the heights are Z of the column, 3 + 2r.
    lines = ofKind(graphFeedback(Side), FeedbackPrimitive::Line);
    ASSERT_EQ(lines.size(), 4u);
    for (int r = 0; r < 4; ++r) EXPECT_NEAR(lines[r].vertices[0].y, windowOf(map.world(2, 3 + 2 * r)), 0.01);

    view.displayMode = DisplayYSection;
    view.sectionIndexY = 2;
    view.buildDisplayLists();
    lines = ofKind(graphFeedback(Side), FeedbackPrimitive::Line);
    ASSERT_EQ(lines.size(), 5u);   // six columns
    for (int c = 0; c < 5; ++c) {
        EXPECT_NEAR(lines[c].vertices[0].x, windowOf(map.world(0, c)), 0.01);
        EXPECT_NEAR(lines[c].vertices[0].y, windowOf(map.world(2, c + 4)), 0.01);
    }
}

TEST_F(Sections, PointsTakeEveryPointOfTheSectionInsideTheBoxColouredByPointLevel) {
    view.graphType = 3;   // 点(ｶﾗｰ)
    view.pointSize = 7;
    view.wireIntervalY = 3;   // the grid thinning does not apply to sections
    view.displayMode = DisplayXSection;
    view.sectionIndexX = 2;
    test::setScale(view, 2, 0, 9);   // Z = 10 (row 4 of column 2) lies above the box
    view.buildDisplayLists();
    AxisMapping map = view.graphMapping();
    auto points = ofKind(graphFeedback(), FeedbackPrimitive::Point);
    ASSERT_EQ(points.size(), 4u);   // rows 0..3: Z = 2, 4, 6, 8
    for (int r = 0; r < 4; ++r) EXPECT_NEAR(points[r].vertices[0].y, windowOf(map.world(1, r)), 0.01);

    // Z = 4 lies on the top of level 4 and takes level 5.
    drawGraph();
    Pixel got = test::pixelAt(int(windowOf(map.world(0, 2))), int(windowOf(map.world(1, 1))));
    EXPECT_TRUE(test::near(got, levelColor(5))) << got;

    // Targets: every row inside the box, named by value index, none for rows above it.
    for (int r = 0; r < 5; ++r) {
        auto names = test::pickNames(view, windowOf(map.world(0, 2)), windowOf(map.world(1, r)));
        if (r < 4) EXPECT_EQ(names, (std::vector<GLuint>{GLuint((r * 6 + 2) * 3)})) << "row " << r;
        else EXPECT_TRUE(names.empty());
    }
    // Neighbouring columns are no targets in a section display.
    EXPECT_TRUE(test::pickNames(view, windowOf(map.world(0, 3)), windowOf(map.world(1, 1))).empty());
}

TEST_F(Sections, YSectionTargetsAreTheColumnsOfTheRow) {
    view.graphType = 2;
    view.displayMode = DisplayYSection;
    view.sectionIndexY = 7;   // clamped to row 4 when list 500 is built
    test::setScale(view, 2, 0, 20);
    view.buildDisplayLists();
    AxisMapping map = view.graphMapping();
    for (int c = 0; c < 6; ++c)
        EXPECT_EQ(test::pickNames(view, windowOf(map.world(0, c)), windowOf(map.world(1, 4))),
                  (std::vector<GLuint>{GLuint((4 * 6 + c) * 3)}))
            << "column " << c;
}

// ---- the band under the curve and the cut surface ----

// Polygons that cover something seen from the current camera (the level walk
// emits degenerate triangles, which are left out).
std::vector<FeedbackPrimitive> visiblePolygons(const std::vector<FeedbackPrimitive>& all) {
    std::vector<FeedbackPrimitive> out;
    for (const auto& p : all) {
        if (p.kind != FeedbackPrimitive::Polygon) continue;
        double area = 0;
        for (std::size_t i = 0; i < p.vertices.size(); ++i) {
            const auto& a = p.vertices[i];
            const auto& b = p.vertices[(i + 1) % p.vertices.size()];
            area += a.x * b.y - b.x * a.y;
        }
        if (std::fabs(area) > 0.01) out.push_back(p);
    }
    return out;
}

class SectionBand : public Sections {
protected:
    void SetUp() override {
        Sections::SetUp();
        if (IsSkipped()) return;
        view.graphType = 0;   // 等高線(ｶﾗｰ)
        view.displayMode = DisplayYSection;
        view.sectionIndexY = 2;   // Z = column + 4: 4..9; the data runs 0..13
        test::setScale(view, 2, 0, 13);
        test::setScale(view, 3, 0, 13);   // the legend over the data: 20 levels of 0.65
        view.buildDisplayLists();
        ctx = view.makeBuildContext();
        map = ctx.map;
    }
    // The band alone, seen with Z up the screen and X across.
    std::vector<FeedbackPrimitive> band() {
        return visiblePolygons(test::captureFeedback([&] {
            glLoadIdentity();
            glRotated(-90, 1, 0, 0);
            view.drawSectionFill(ctx, 1);
        }));
    }
    // Colour at data position (x, z) in the side picture.
    Pixel sideColor(double x, double z) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        glRotated(-90, 1, 0, 0);
        glCallList(ListGraph);
        return test::pixelAt(int(windowOf(map.world(0, x))), int(windowOf(map.world(2, z))));
    }
    Pixel entry(int k) const {
        const Rgb& c = ctx.levels.colors[k];
        return {int(std::lround(c.r * 255)), int(std::lround(c.g * 255)), int(std::lround(c.b * 255))};
    }
    // Lowest and highest window y of the band's vertices at column c.
    std::pair<float, float> heightAt(const std::vector<FeedbackPrimitive>& polygons, int c) {
        float lo = 1e9f, hi = -1e9f;
        double x = windowOf(map.world(0, c));
        for (const auto& p : polygons)
            for (const auto& v : p.vertices)
                if (std::fabs(v.x - x) < 0.01) lo = std::min(lo, v.y), hi = std::max(hi, v.y);
        return {lo, hi};
    }

    BuildContext ctx;
    AxisMapping map;
};

TEST_F(SectionBand, RunsFromTheDataMinimumUpToTheCurveInLevelColours) {
    auto polygons = band();
    ASSERT_FALSE(polygons.empty());
    for (int c = 0; c < 6; ++c) {
        auto [lo, hi] = heightAt(polygons, c);
        EXPECT_NEAR(lo, windowOf(map.world(2, 0)), 0.01) << "column " << c;
        EXPECT_NEAR(hi, windowOf(map.world(2, c + 4)), 0.01) << "column " << c;
    }
    // Level 1 at the bottom; just under the curve at X = 2.5 (Z 6.5) the
    // level of Z = 6.3, level 10 (6.3 / 0.65 = 9.7).
    EXPECT_TRUE(test::near(sideColor(2.5, 0.3), entry(1))) << sideColor(2.5, 0.3);
    EXPECT_TRUE(test::near(sideColor(2.5, 6.3), entry(10))) << sideColor(2.5, 6.3);
    EXPECT_EQ(sideColor(2.5, 7.0), (Pixel{255, 255, 255}));   // above the curve
}

TEST_F(SectionBand, ALegendReachingBelowTheDataKeepsTheBandInsideItsQuads) {
    // The bottom corners take the level of the data minimum (half-way up a
    // legend over -13..13), so no level crossing falls outside a quad.
    test::setScale(view, 3, -13, 13);
    ctx = view.makeBuildContext();
    auto polygons = band();
    ASSERT_FALSE(polygons.empty());
    float lo = 1e9f, hi = -1e9f;
    for (const auto& p : polygons)
        for (const auto& v : p.vertices) lo = std::min(lo, v.y), hi = std::max(hi, v.y);
    EXPECT_NEAR(lo, windowOf(map.world(2, 0)), 0.01);
    EXPECT_NEAR(hi, windowOf(map.world(2, 9)), 0.01);
}

TEST_F(SectionBand, OnAReversedZStartsFromTheDataMaximumInTheTopLevel) {
    view.scaleReverse[2] = 1;
    view.buildDisplayLists();
    ctx = view.makeBuildContext();
    map = ctx.map;
    auto polygons = band();
    ASSERT_FALSE(polygons.empty());
    for (int c = 0; c < 6; ++c) {
        auto [lo, hi] = heightAt(polygons, c);
        // The maximum, 13, is mapped to the bottom of the box on a reversed Z.
        EXPECT_NEAR(lo, windowOf(map.world(2, 13)), 0.01) << "column " << c;
        EXPECT_NEAR(hi, windowOf(map.world(2, c + 4)), 0.01) << "column " << c;
    }
    EXPECT_TRUE(test::near(sideColor(2.5, 12.8), entry(20))) << sideColor(2.5, 12.8);
}

TEST_F(SectionBand, CutKeepsLowerXForAnXSectionAndHigherYForAYSection) {
    struct Case {
        int axis, reversed;
        double from, to;   // the kept part, in grid columns (X) or rows (Y)
    };
    const Case cases[] = {{0, 0, 0, 2}, {0, 1, 2, 5}, {1, 0, 2, 4}, {1, 1, 0, 2}};
    view.sectionIndexX = 2;
    view.sectionIndexY = 2;
    for (const Case& k : cases) {
        view.scaleReverse[0] = view.scaleReverse[1] = 0;
        view.scaleReverse[k.axis] = k.reversed;
        ctx = view.makeBuildContext();
        auto polygons = visiblePolygons(test::captureFeedback([&] {
            glLoadIdentity();
            view.drawSectionCut(ctx, k.axis);
        }));
        ASSERT_FALSE(polygons.empty()) << "axis " << k.axis << " reversed " << k.reversed;
        float lo = 1e9f, hi = -1e9f;
        for (const auto& p : polygons)
            for (const auto& v : p.vertices) {
                float along = k.axis == 0 ? v.x : v.y;
                lo = std::min(lo, along), hi = std::max(hi, along);
            }
        double a = windowOf(ctx.map.world(k.axis, k.from)), b = windowOf(ctx.map.world(k.axis, k.to));
        EXPECT_NEAR(lo, std::min(a, b), 0.01) << "axis " << k.axis << " reversed " << k.reversed;
        EXPECT_NEAR(hi, std::max(a, b), 0.01) << "axis " << k.axis << " reversed " << k.reversed;
    }
}

TEST_F(SectionBand, FillWithCutDrawsTheSurfaceOnlyUpToTheSectionColumn) {
    view.graphType = 1;   // 等高線(ｶﾗｰ，形状付き)
    view.displayMode = DisplayXSection;
    view.sectionIndexX = 2;
    view.buildDisplayLists();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glCallList(ListGraph);
    int y = int(windowOf(map.world(1, 1.5)));
    EXPECT_NE(test::pixelAt(int(windowOf(map.world(0, 1))), y), (Pixel{255, 255, 255}));
    EXPECT_EQ(test::pixelAt(int(windowOf(map.world(0, 4))), y), (Pixel{255, 255, 255}));
}

// Pictures for looking at by eye, written only when KELVRA_PICTURES_DIR names
// a folder: each section type in both section modes on a smooth surface, from
// the default camera and from the side.
TEST(SectionPictures, WrittenWhenAFolderIsNamed) {
    const char* dir = std::getenv("KELVRA_PICTURES_DIR");
    if (!dir) GTEST_SKIP() << "KELVRA_PICTURES_DIR not set";
    GL_TEST_REQUIRE_CONTEXT(600, 450);
    HeadlessHost host({600, 450});
    host.printMessages = false;
    CKelvraView view(host);
    view.initGlState();
    test::fillGrid(view, 30, 25, [](int c, int r) {
        return 5 + 3 * std::sin(c * 0.25) * std::cos(r * 0.2) + 0.05 * c;
    });
    test::setScale(view, 0, 0, 29);
    test::setScale(view, 1, 0, 24);
    test::setScale(view, 2, 0, 10);
    test::setScale(view, 3, view.valueRange[RangeZ].min, view.valueRange[RangeZ].max);
    view.sectionIndexX = 12;
    view.sectionIndexY = 8;
    auto shoot = [&](const std::string& name, int mode, int type, bool side) {
        view.displayMode = mode;
        view.graphType = type;
        view.viewAngleX = side ? 270 : 300;
        view.viewAngleZ = side ? (mode == DisplayXSection ? 270 : 0) : 330;
        view.buildDisplayLists();
        view.paint(600, 450);
        test::dumpPicture(std::string(dir) + "/" + name + ".png");
    };
    const char* typeNames[] = {"fill", "fill-cut", "line", "points"};
    for (int mode : {DisplayXSection, DisplayYSection}) {
        std::string m = mode == DisplayXSection ? "x-section-" : "y-section-";
        for (int type = 0; type < 4; ++type) shoot(m + typeNames[type], mode, type, false);
        shoot(m + "fill-side", mode, 0, true);
    }
    view.scaleReverse[2] = 1;
    shoot("y-section-fill-side-reversed-z", DisplayYSection, 0, true);
    view.scaleReverse[2] = 0;
    view.scaleReverse[0] = 1;
    shoot("x-section-fill-cut-reversed-x", DisplayXSection, 1, false);
}

}  // namespace
}  // namespace kelvra
