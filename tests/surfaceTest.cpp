// Wireframes, coloured wires, hidden-line fills and the lit shape: which grid
// lines are drawn, how a wire is coloured by level, that lines behind the
// surface are really hidden, how the shape is lit, and that points without a
// place (log axes at or below zero) never reach GL.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <string>

#include "render/gridPoints.h"
#include "support/drawInput.h"
#include "support/records.h"
#include "support/glFixture.h"
#include "support/gridFixture.h"

namespace kelvra {
namespace {

using test::FeedbackPrimitive;
using test::GridRecords;
using test::Pixel;

const Pixel kWhite{255, 255, 255};
const Pixel kBlack{0, 0, 0};

// The 2-D top view over -100..100 on every axis; one data unit is one pixel.
void standardScales(GridRecords& g) {
    for (int a = 0; a < 4; ++a) g.scale(a, -100, 100, a < 3 ? 50 : 3);
    g.topView();
}

// Feedback of one routine under the 2-D camera (800 x 600, centre at 400, 300).
template <class Draw>
std::vector<FeedbackPrimitive> capture(GridRecords& g, Draw draw) {
    resizeViewport(800, 600, g.r.settings.viewZoom);
    glLoadIdentity();
    BuildContext ctx = g.r.context();
    return test::captureFeedback([&] { draw(ctx); });
}

bool allFinite(const std::vector<FeedbackPrimitive>& fb) {
    for (const auto& p : fb)
        for (const auto& v : p.vertices)
            if (!(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) && std::isfinite(v.r) &&
                  std::isfinite(v.g) && std::isfinite(v.b)))
                return false;
    return true;
}

// ---- plain wireframe -------------------------------------------------------------

TEST(Wireframe, IntervalsCountFromZeroSkipAnUndividedLastColumnAndRowsHaveTheirOwnColour) {
    GL_TEST_REQUIRE_CONTEXT(800, 600);
    for (int columns : {10, 11}) {
        GridRecords g;
        g.fill(4, columns, -100, -100 + 20 * (columns - 1), -60, 60, [](double x, double) { return x / 2; });
        standardScales(g);
        g.r.settings.wireIntervalX = 3;
        g.r.settings.wireIntervalY = 0;   // no row lines
        auto fb = capture(g, [&](const BuildContext& ctx) { drawWireframe(test::drawInput(g.r, ctx)); });
        std::set<int> xs;
        for (const auto& p : fb)
            for (const auto& v : p.vertices) xs.insert(int(std::lround(v.x - 400)));
        // Columns 0, 3, 6, 9 at x = -100 + 20 c; column 10 (of 11) is not drawn.
        EXPECT_EQ(xs, (std::set<int>{-100, -40, 20, 80})) << columns << " columns";
        EXPECT_EQ(fb.size(), 4u * 3) << "three segments per column line";
    }
    GridRecords g;
    g.fill(7, 3, -50, 50, -90, 90, [](double, double) { return 0.0; });
    standardScales(g);
    g.r.settings.wireIntervalX = 0;
    g.r.settings.wireIntervalY = 2;
    g.r.settings.wireColorY = {0.0, 0.5, 1.0};
    std::set<int> ys;
    for (const auto& p : capture(g, [&](const BuildContext& ctx) { drawWireframe(test::drawInput(g.r, ctx)); })) {
        EXPECT_NEAR(p.vertices[0].b, 1.0, 1e-3);
        EXPECT_NEAR(p.vertices[0].g, 0.5, 1e-3);
        ys.insert(int(std::lround(p.vertices[0].y - 300)));
    }
    EXPECT_EQ(ys, (std::set<int>{-90, -30, 30, 90}));   // rows 0, 2, 4, 6 of 7
}

TEST(Wireframe, LineThroughAPointWithoutAPlaceIsBrokenThere) {
    GL_TEST_REQUIRE_CONTEXT(800, 600);
    GridRecords g;
    // Z = 0 at column 2 has no place on a logarithmic Z axis.
    g.fill(1, 5, -80, 80, 0, 0, [](double x, double) { return x == 0 ? 0.0 : 50.0; });
    standardScales(g);
    g.scale(2, 1, 100, 10);
    g.r.settings.scaleLog[2] = 1;
    g.r.settings.wireIntervalX = 0;
    auto fb = capture(g, [&](const BuildContext& ctx) { drawWireframe(test::drawInput(g.r, ctx)); });
    // Columns 0-1 and 3-4 remain; nothing reaches towards column 2.
    ASSERT_EQ(fb.size(), 2u);
    ASSERT_TRUE(allFinite(fb));
    for (const auto& p : fb)
        for (const auto& v : p.vertices) EXPECT_GT(std::fabs(v.x - 400), 39.0);
}

// ---- coloured wireframe ----------------------------------------------------------

TEST(ColorWireframe, SegmentIsSplitAtEachLevelTopInTheColourOfItsLevel) {
    GL_TEST_REQUIRE_CONTEXT(800, 600);
    struct Case {
        const char* name;
        double x0, x1, z0, z1;
    } cases[] = {
        {"within level 5 (-60..-50)", -50, 50, -55, -52},
        {"Z = X: a level top every 10", -35, 35, -35, 35},
    };
    for (const Case& c : cases) {
        GridRecords g;
        g.fill(1, 2, c.x0, c.x1, 0, 0, [&](double x, double) { return x < 0 ? c.z0 : c.z1; });
        standardScales(g);
        auto fb = capture(g, [&](const BuildContext& ctx) { drawColorWireframe(test::drawInput(g.r, ctx)); });
        const LevelTable levels = g.r.context().levels;
        double drawn = 0;
        for (const auto& p : fb) {
            double length = std::hypot(p.vertices[1].x - p.vertices[0].x, p.vertices[1].y - p.vertices[0].y);
            if (length < 1e-6) continue;   // the zero-length pieces of the other levels
            drawn += length;
            // Z along the piece, from the data x at its middle.
            double mid = (p.vertices[0].x + p.vertices[1].x) / 2 - 400;
            double z = c.z0 + (c.z1 - c.z0) * (mid - c.x0) / (c.x1 - c.x0);
            const Rgb& expected = levels.colors[levelOf(levels, z)];
            EXPECT_NEAR(p.vertices[1].g, expected.g, 1e-3) << c.name << ": piece around " << mid;
            EXPECT_NEAR(p.vertices[1].b, expected.b, 1e-3) << c.name << ": piece around " << mid;
        }
        EXPECT_NEAR(drawn, c.x1 - c.x0, 1e-3) << c.name;
    }
}

TEST(ColorWireframe, SegmentFarOutsideTheLegendIsAFewPiecesEndToEnd) {
    GL_TEST_REQUIRE_CONTEXT(800, 600);
    GridRecords g;
    // 1e12 level steps apart: drawn piece by level step, this would never end.
    g.fill(1, 2, -50, 50, 0, 0, [](double x, double) { return x < 0 ? -1e13 : 1e13; });
    standardScales(g);
    g.scale(2, -2e13, 2e13, 1e13);
    auto fb = capture(g, [&](const BuildContext& ctx) { drawColorWireframe(test::drawInput(g.r, ctx)); });
    const LevelTable levels = g.r.context().levels;
    ASSERT_GE(fb.size(), 2u);
    EXPECT_LE(fb.size(), 22u);
    EXPECT_NEAR(fb.front().vertices[0].x, 350, 1e-3);
    EXPECT_NEAR(fb.back().vertices[1].x, 450, 1e-3);
    EXPECT_NEAR(fb.front().vertices[1].b, levels.colors[1].b, 1e-3);
    EXPECT_NEAR(fb.back().vertices[1].r, levels.colors[20].r, 1e-3);
    for (std::size_t i = 1; i < fb.size(); ++i) EXPECT_NEAR(fb[i].vertices[0].x, fb[i - 1].vertices[1].x, 1e-3);
}

TEST(OneRowGrid, DrawsRowWiresOnlyAndNoCells) {
    GL_TEST_REQUIRE_CONTEXT(800, 600);
    GridRecords g;
    g.fill(1, 5, -80, 80, 0, 0, [](double x, double) { return x; });
    standardScales(g);
    auto wires = capture(g, [&](const BuildContext& ctx) { drawColorWireframe(test::drawInput(g.r, ctx)); });
    ASSERT_FALSE(wires.empty());
    for (const auto& p : wires) EXPECT_NEAR(p.vertices[0].y, p.vertices[1].y, 1e-3);   // along X only
    auto cells = capture(g, [&](const BuildContext& ctx) {
        drawWireHiddenFill(test::drawInput(g.r, ctx));
        drawShadedShape(test::drawInput(g.r, ctx));
        drawContourFill(test::drawInput(g.r, ctx), false);
        drawContourHiddenFill(test::drawInput(g.r, ctx));
        drawContourLines(test::drawInput(g.r, ctx), true, true);
    });
    EXPECT_TRUE(cells.empty());
}

// ---- hidden lines ----------------------------------------------------------------------

// A grid folded over itself: columns 0..5 form a lower sheet across the box
// (Z rising with Y from -90 to -10), columns 6..8 fold back above it at Z = 55,
// over x -20..60 and y -70..90. Seen from above, the upper sheet covers the
// lower one at x = 40 but not at x = -80. The lower sheet's row line lies at
// y = -50 and its level top Z = -60 at y = -25.
TEST(HiddenLines, LineBehindTheSurfaceKeepsTheFillColour) {
    GL_TEST_REQUIRE_CONTEXT(800, 600);
    GridRecords g;
    g.fill(5, 9, 0, 0, -100, 100, [](double, double) { return 0.0; });
    const double upperX[3] = {60, 20, -20};
    for (int r = 0; r < 5; ++r) {
        for (int c = 0; c < 9; ++c) {
            double* p = g.r.data.point(std::size_t(r) * 9 + c);
            double y = -100 + 50 * r;
            if (c <= 5) p[0] = -100 + 40 * c, p[1] = y, p[2] = 0.4 * y - 50;
            else p[0] = upperX[c - 6], p[1] = 0.8 * y + 10, p[2] = 55;
        }
    }
    standardScales(g);
    struct Case {
        int graphType;
        double y;
        bool hidden, black;   // covered line hidden; uncovered line black (else just not white)
    } cases[] = {{12, -50, false, true}, {13, -50, true, true}, {11, -50, true, false},   // wires
                 {6, -25, false, true},  {7, -25, true, true},  {5, -25, true, false}};   // contour lines
    for (const Case& c : cases) {
        g.r.settings.graphType = c.graphType;
        g.draw(800, 600);
        // The darkest of the two pixel rows around data y (a line on a pixel
        // boundary may land in either).
        auto darkest = [&](double x) {
            Pixel a = test::pixelAt(int(400 + x), int(299 + c.y)), b = test::pixelAt(int(400 + x), int(300 + c.y));
            return a.r + a.g + a.b <= b.r + b.g + b.b ? a : b;
        };
        EXPECT_EQ(darkest(40), c.hidden ? kWhite : kBlack) << "type " << c.graphType << ", covered";
        if (c.black) EXPECT_EQ(darkest(-80), kBlack) << "type " << c.graphType << ", uncovered";
        else EXPECT_NE(darkest(-80), kWhite) << "type " << c.graphType << ", uncovered";
    }
}

// ---- the lit shape -----------------------------------------------------------------------

TEST(ShadedShape, NormalsComeFromTheDataAsStored) {
    GL_TEST_REQUIRE_CONTEXT(800, 600);
    GridRecords g;
    // Z = X / 2 in the data, but a Z scale ten times longer makes the drawn
    // surface nearly flat: lit by its world slope it would show the highlight
    // (white); lit by the data's slope it is a mid grey.
    g.fill(5, 5, -100, 100, -100, 100, [](double x, double) { return x / 2; });
    standardScales(g);
    g.scale(2, -1000, 1000, 500);
    g.r.settings.graphType = 17;
    g.draw(800, 600);
    Pixel p = test::pixelAt(400, 300);
    EXPECT_TRUE(p.r == p.g && p.g == p.b && p.r > 150 && p.r < 230) << p;
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING)) << "lighting stays on after the list";
}

TEST(ShadedShape, DegenerateTrianglesGetAnUpNormalAndHugeOrTinyOnesTheirDirection) {
    const double r5 = 1 / std::sqrt(5.0);
    struct Case {
        const char* name;
        Vec3 p0, p1, p2, normal;
    } cases[] = {
        {"collinear", {0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {0, 0, 1}},
        {"one point", {5, 5, 5}, {5, 5, 5}, {5, 5, 5}, {0, 0, 1}},
        {"overflowing product", {0, 0, 0}, {1e200, 0, 0}, {0, 1e200, 0}, {0, 0, 1}},
        {"overflowing product, turned", {0, 0, 0}, {0, 1e200, 0}, {1e200, 0, 0}, {0, 0, -1}},
        {"underflowing product", {0, 0, 0}, {1e-200, 0, 0}, {0, 1e-200, 0}, {0, 0, 1}},
        {"underflowing product, turned", {0, 0, 0}, {0, 1e-200, 0}, {1e-200, 0, 0}, {0, 0, -1}},
        {"tilted", {0, 0, 0}, {2, 0, 1}, {0, 1, 0}, {-r5, 0, 2 * r5}},
    };
    for (const Case& c : cases) {
        Vec3 n = vertexNormal(c.p0, c.p1, c.p2);
        EXPECT_NEAR(n.x, c.normal.x, 1e-12) << c.name;
        EXPECT_NEAR(n.y, c.normal.y, 1e-12) << c.name;
        EXPECT_NEAR(n.z, c.normal.z, 1e-12) << c.name;
    }
}

// ---- every grid type through the list builder ----------------------------------------

// Every drawing routine of the grid types, in immediate mode (see gridFixture.h).
void drawEveryGridRoutine(test::Records& v) {
    BuildContext ctx = v.context();
    for (bool onFloor : {false, true}) {
        drawContourFill(test::drawInput(v, ctx), onFloor);
        drawGreyContourFill(test::drawInput(v, ctx), onFloor);
        drawContourLines(test::drawInput(v, ctx), true, onFloor);
        drawContourLines(test::drawInput(v, ctx), false, onFloor);
    }
    drawContourHiddenFill(test::drawInput(v, ctx));
    drawWireframe(test::drawInput(v, ctx));
    drawColorWireframe(test::drawInput(v, ctx));
    drawWireHiddenFill(test::drawInput(v, ctx));
    drawShadedShape(test::drawInput(v, ctx));
}

TEST(GridTypes, EveryTypeAndProjectionIsDrawnAndPointsWithoutAPlaceAreLeftOut) {
    GL_TEST_REQUIRE_CONTEXT(200, 200);
    GridRecords g;
    // A logarithmic Z axis with points at zero, below zero and at infinity:
    // those cells go, the rest stay.
    g.square(8, 9, [](double x, double y) { return x == 0 && y < 0 ? 0.0 : x == 0 && y > 0 ? -5.0 : 51 + x / 2; }, -100,
             100);
    g.r.data.point(3)[2] = std::numeric_limits<double>::infinity();
    g.scale(2, 1, 101, 10);
    g.r.settings.scaleLog[2] = 1;
    for (int type : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 17, 18}) {
        g.r.settings.graphType = type;
        for (int mode = 0; mode <= 6; ++mode) {
            g.r.settings.xyContourMode = XyContourMode(mode);
            g.draw(200, 200);
            int coloured = 0;
            for (int y = 0; y < 200; y += 2)
                for (int x = 0; x < 200; x += 2) coloured += test::pixelAt(x, y) != kWhite;
            EXPECT_GT(coloured, 40) << "type " << type << ", projection " << mode;
        }
    }
    resizeViewport(200, 200, g.r.settings.viewZoom);
    glLoadIdentity();
    glRotated(g.r.settings.viewAngleX, 1, 0, 0);
    auto fb = test::captureFeedback([&] { drawEveryGridRoutine(g.r); });
    EXPECT_GT(fb.size(), 100u);
    EXPECT_TRUE(allFinite(fb));
}

TEST(GridTypes, OddSettingsAndDataDrawWithoutHarm) {
    GL_TEST_REQUIRE_CONTEXT(200, 200);
    struct Case {
        const char* name;
        void (*apply)(GridRecords&);
    } cases[] = {
        {"flat legend", [](GridRecords& g) { g.scale(3, 5, 5, 3); }},
        {"no level count", [](GridRecords& g) { g.r.settings.scaleStep[3] = 99; }},
        {"legend of a value the points lack", [](GridRecords& g) { g.r.settings.legendColorSource = ColorByData; }},
        {"huge intervals, no widths", [](GridRecords& g) {
             g.r.settings.wireIntervalX = g.r.settings.wireIntervalY = 2147483647;
             g.r.settings.wireWidthX = g.r.settings.wireWidthY = g.r.settings.contour2Width = -5;
         }},
        {"colours not a number", [](GridRecords& g) {
             for (Rgb& c : g.r.settings.legendColors) c = {std::nan(""), 0.5, 0.5};
             g.r.settings.wireColorX = {std::nan(""), 0, 0};
         }},
        {"data not a number", [](GridRecords& g) { g.r.data.point(7)[2] = std::nan(""); }},
        {"one point", [](GridRecords& g) { g.fill(1, 1, 0, 0, 0, 0, [](double, double) { return 1.0; }); }},
    };
    for (const Case& c : cases) {
        GridRecords g;
        g.square(4, 5, [](double x, double y) { return x + y / 2; }, -100, 100);
        c.apply(g);
        resizeViewport(200, 200, g.r.settings.viewZoom);
        glLoadIdentity();
        glRotated(60, 1, 0, 0);
        EXPECT_TRUE(allFinite(test::captureFeedback([&] { drawEveryGridRoutine(g.r); }))) << c.name;
        for (int type : {0, 5, 9, 11, 13, 18}) {   // and through the lists, without harm
            g.r.settings.graphType = type;
            g.r.settings.xyContourMode = XyContourMode(type % 7);
            g.draw(200, 200);
        }
    }
}

}  // namespace
}  // namespace kelvra
