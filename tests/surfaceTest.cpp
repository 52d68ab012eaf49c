// Wireframes, coloured wires, hidden-line fills and the lit shape: which grid
// lines are drawn, how a wire is coloured by level, that lines behind the
// surface are really hidden, how the shape is lit, and that points without a
// place (log axes at or below zero) never reach GL. With KELVRA_PICTURES_DIR set,
// one test also writes a picture of every grid type for looking at.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <set>
#include <string>

#include "render/gridPoints.h"
#include "support/glFixture.h"
#include "support/gridFixture.h"

namespace kelvra {
namespace {

using test::FeedbackPrimitive;
using test::GridView;
using test::Pixel;

const Pixel kWhite{255, 255, 255};
const Pixel kBlack{0, 0, 0};

// The 2-D top view over -100..100 on every axis; one data unit is one pixel.
void standardScales(GridView& g) {
    for (int a = 0; a < 4; ++a) g.scale(a, -100, 100, a < 3 ? 50 : 3);
    g.topView();
}

// Feedback of one routine under the 2-D camera (800 x 600, centre at 400, 300).
template <class Draw>
std::vector<FeedbackPrimitive> capture(GridView& g, Draw draw) {
    g.view.resizeViewport(800, 600);
    glLoadIdentity();
    BuildContext ctx = g.view.makeBuildContext();
    return test::captureFeedback([&] { draw(ctx); });
}

std::set<int> lineXs(const std::vector<FeedbackPrimitive>& fb) {
    std::set<int> xs;
    for (const auto& p : fb)
        for (const auto& v : p.vertices) xs.insert(int(std::lround(v.x - 400)));
    return xs;
}

// ---- plain wireframe -------------------------------------------------------------

TEST(Wireframe, IntervalCountsColumnsFromZeroAndSkipsAnUndividedLastColumn) {
    GL_TEST_REQUIRE_CONTEXT(800, 600);
    for (int columns : {10, 11}) {
        GridView g;
        g.fill(4, columns, -100, -100 + 20 * (columns - 1), -60, 60, [](double x, double) { return x / 2; });
        standardScales(g);
        g.view.wireIntervalX = 3;
        g.view.wireIntervalY = 0;   // no row lines
        auto fb = capture(g, [&](const BuildContext& ctx) { g.view.drawWireframe(ctx); });
        // Columns 0, 3, 6, 9 at x = -100 + 20 c; column 10 (of 11) is not drawn.
        EXPECT_EQ(lineXs(fb), (std::set<int>{-100, -40, 20, 80})) << columns << " columns";
        EXPECT_EQ(fb.size(), 4u * 3) << "three segments per column line";
    }
}

TEST(Wireframe, RowLinesUseTheirOwnIntervalWidthAndColour) {
    GL_TEST_REQUIRE_CONTEXT(800, 600);
    GridView g;
    g.fill(7, 3, -50, 50, -90, 90, [](double, double) { return 0.0; });
    standardScales(g);
    g.view.wireIntervalX = 0;
    g.view.wireIntervalY = 2;
    g.view.wireColorY = {0.0, 0.5, 1.0};
    auto fb = capture(g, [&](const BuildContext& ctx) { g.view.drawWireframe(ctx); });
    std::set<int> ys;
    for (const auto& p : fb) {
        EXPECT_NEAR(p.vertices[0].b, 1.0, 1e-3);
        EXPECT_NEAR(p.vertices[0].g, 0.5, 1e-3);
        ys.insert(int(std::lround(p.vertices[0].y - 300)));
    }
    EXPECT_EQ(ys, (std::set<int>{-90, -30, 30, 90}));   // rows 0, 2, 4, 6 of 7
}

TEST(Wireframe, LineThroughAPointWithoutAPlaceIsBrokenThere) {
    GL_TEST_REQUIRE_CONTEXT(800, 600);
    GridView g;
    // Z = 0 at column 2 has no place on a logarithmic Z axis.
    g.fill(1, 5, -80, 80, 0, 0, [](double x, double) { return x == 0 ? 0.0 : 50.0; });
    standardScales(g);
    g.scale(2, 1, 100, 10);
    g.view.scaleLog[2] = 1;
    g.view.wireIntervalX = 0;
    auto fb = capture(g, [&](const BuildContext& ctx) { g.view.drawWireframe(ctx); });
    // Columns 0-1 and 3-4 remain; nothing reaches towards column 2.
    ASSERT_EQ(fb.size(), 2u);
    for (const auto& p : fb) {
        for (const auto& v : p.vertices) {
            ASSERT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z));
            EXPECT_GT(std::fabs(v.x - 400), 39.0);
        }
    }
}

// ---- coloured wireframe ----------------------------------------------------------

double length(const FeedbackPrimitive& p) {
    return std::hypot(p.vertices[1].x - p.vertices[0].x, p.vertices[1].y - p.vertices[0].y);
}

TEST(ColorWireframe, SegmentWithinOneLevelIsDrawnInThatLevelsColour) {
    GL_TEST_REQUIRE_CONTEXT(800, 600);
    GridView g;
    // Z -55 and -52: both in level 5 (-60..-50) of 20.
    g.fill(1, 2, -50, 50, 0, 0, [](double x, double) { return x < 0 ? -55.0 : -52.0; });
    standardScales(g);
    auto fb = capture(g, [&](const BuildContext& ctx) { g.view.drawColorWireframe(ctx); });
    const LevelTable levels = g.view.makeBuildContext().levels;
    double drawn = 0;
    for (const auto& p : fb) {
        if (length(p) < 1e-6) continue;   // the zero-length pieces of the other levels
        drawn += length(p);
        EXPECT_NEAR(p.vertices[1].b, levels.colors[5].b, 1e-3);
        EXPECT_NEAR(p.vertices[1].g, levels.colors[5].g, 1e-3);
    }
    EXPECT_NEAR(drawn, 100.0, 1e-3);
}

TEST(ColorWireframe, SegmentIsSplitAtEachLevelTopInTheColourOfItsLevel) {
    GL_TEST_REQUIRE_CONTEXT(800, 600);
    GridView g;
    // Z rises along X as X itself: level tops every 10 along the segment.
    g.fill(1, 2, -35, 35, 0, 0, [](double x, double) { return x; });
    standardScales(g);
    auto fb = capture(g, [&](const BuildContext& ctx) { g.view.drawColorWireframe(ctx); });
    const LevelTable levels = g.view.makeBuildContext().levels;
    double drawn = 0;
    for (const auto& p : fb) {
        if (length(p) < 1e-6) continue;
        drawn += length(p);
        double mid = (p.vertices[0].x + p.vertices[1].x) / 2 - 400;   // data x = Z
        int level = levelOf(levels, mid);
        EXPECT_NEAR(p.vertices[1].g, levels.colors[level].g, 1e-3) << "piece around " << mid;
        EXPECT_NEAR(p.vertices[1].b, levels.colors[level].b, 1e-3) << "piece around " << mid;
    }
    EXPECT_NEAR(drawn, 70.0, 1e-3);
}

TEST(ColorWireframe, SegmentFarOutsideTheLegendIsAFewPiecesEndToEnd) {
    GL_TEST_REQUIRE_CONTEXT(800, 600);
    GridView g;
    // 1e12 level steps apart: drawn piece by level step, this would never end.
    g.fill(1, 2, -50, 50, 0, 0, [](double x, double) { return x < 0 ? -1e13 : 1e13; });
    standardScales(g);
    g.scale(2, -2e13, 2e13, 1e13);
    auto fb = capture(g, [&](const BuildContext& ctx) { g.view.drawColorWireframe(ctx); });
    const LevelTable levels = g.view.makeBuildContext().levels;
    ASSERT_GE(fb.size(), 2u);
    EXPECT_LE(fb.size(), 22u);
    EXPECT_NEAR(fb.front().vertices[0].x, 350, 1e-3);
    EXPECT_NEAR(fb.back().vertices[1].x, 450, 1e-3);
    EXPECT_NEAR(fb.front().vertices[1].b, levels.colors[1].b, 1e-3);
    EXPECT_NEAR(fb.back().vertices[1].r, levels.colors[20].r, 1e-3);
    for (std::size_t i = 1; i < fb.size(); ++i) EXPECT_NEAR(fb[i].vertices[0].x, fb[i - 1].vertices[1].x, 1e-3);
}

// ---- one-row grids -------------------------------------------------------------------

TEST(OneRowGrid, DrawsRowWiresOnlyAndNoCells) {
    GL_TEST_REQUIRE_CONTEXT(800, 600);
    GridView g;
    g.fill(1, 5, -80, 80, 0, 0, [](double x, double) { return x; });
    standardScales(g);
    auto wires = capture(g, [&](const BuildContext& ctx) { g.view.drawColorWireframe(ctx); });
    ASSERT_FALSE(wires.empty());
    for (const auto& p : wires) EXPECT_NEAR(p.vertices[0].y, p.vertices[1].y, 1e-3);   // along X only
    auto cells = capture(g, [&](const BuildContext& ctx) {
        g.view.drawWireHiddenFill(ctx);
        g.view.drawShadedShape(ctx);
        g.view.drawContourFill(ctx, false);
        g.view.drawContourHiddenFill(ctx);
        g.view.drawContourLines(ctx, true, true);
    });
    EXPECT_TRUE(cells.empty());
}

// ---- hidden lines ----------------------------------------------------------------------

// A grid folded over itself: columns 0..5 form a lower sheet across the box
// (Z rising with Y from -90 to -10), columns 6..8 fold back above it at Z = 55,
// over x -20..60 and y -70..90. Seen from above, the upper sheet covers part of
// the lower one.
void foldedGrid(GridView& g) {
    g.fill(5, 9, 0, 0, -100, 100, [](double, double) { return 0.0; });
    const double upperX[3] = {60, 20, -20};
    for (int r = 0; r < 5; ++r) {
        for (int c = 0; c < 9; ++c) {
            double* p = g.view.point(std::size_t(r) * 9 + c);
            double y = -100 + 50 * r;
            if (c <= 5) {
                p[0] = -100 + 40 * c, p[1] = y, p[2] = 0.4 * y - 50;
            } else {
                p[0] = upperX[c - 6], p[1] = 0.8 * y + 10, p[2] = 55;
            }
        }
    }
    standardScales(g);
}

// The darkest of the two pixel rows around data y at data x (a line on a
// pixel boundary may land in either).
Pixel darkest(double x, double y) {
    Pixel a = test::pixelAt(int(400 + x), int(299 + y)), b = test::pixelAt(int(400 + x), int(300 + y));
    return a.r + a.g + a.b <= b.r + b.g + b.b ? a : b;
}

TEST(HiddenLines, WireBehindTheSurfaceKeepsTheFillColour) {
    GL_TEST_REQUIRE_CONTEXT(800, 600);
    GridView g;
    foldedGrid(g);
    g.view.graphType = 12;   // wires only: the lower row line shows through
    g.draw(800, 600);
    EXPECT_EQ(darkest(40, -50), kBlack);
    EXPECT_EQ(darkest(-80, -50), kBlack);
    g.view.graphType = 13;   // hidden: covered by the upper sheet's white fill
    g.draw(800, 600);
    EXPECT_EQ(darkest(40, -50), kWhite);
    EXPECT_EQ(darkest(-80, -50), kBlack);   // not covered: still drawn
    g.view.graphType = 11;   // the coloured wires the same way
    g.draw(800, 600);
    EXPECT_EQ(darkest(40, -50), kWhite);
    EXPECT_NE(darkest(-80, -50), kWhite);
}

TEST(HiddenLines, ContourLineBehindTheSurfaceKeepsTheFillColour) {
    GL_TEST_REQUIRE_CONTEXT(800, 600);
    GridView g;
    foldedGrid(g);
    // The lower sheet reaches Z = -60 (a level top) at y = -25.
    g.view.graphType = 6;
    g.draw(800, 600);
    EXPECT_EQ(darkest(40, -25), kBlack);
    g.view.graphType = 7;
    g.draw(800, 600);
    EXPECT_EQ(darkest(40, -25), kWhite);
    EXPECT_EQ(darkest(-80, -25), kBlack);
    g.view.graphType = 5;   // coloured lines, hidden the same way
    g.draw(800, 600);
    EXPECT_EQ(darkest(40, -25), kWhite);
    EXPECT_NE(darkest(-80, -25), kWhite);
}

// ---- the lit shape -----------------------------------------------------------------------

TEST(ShadedShape, NormalsComeFromTheDataAsStored) {
    GL_TEST_REQUIRE_CONTEXT(800, 600);
    GridView g;
    // Z = X / 2 in the data, but a Z scale ten times longer makes the drawn
    // surface nearly flat: lit by its world slope it would show the highlight
    // (white); lit by the data's slope it is a mid grey.
    g.fill(5, 5, -100, 100, -100, 100, [](double x, double) { return x / 2; });
    standardScales(g);
    g.scale(2, -1000, 1000, 500);
    g.view.graphType = 17;
    g.draw(800, 600);
    Pixel p = test::pixelAt(400, 300);
    EXPECT_EQ(p.r, p.g);
    EXPECT_EQ(p.g, p.b);
    EXPECT_GT(p.r, 150);
    EXPECT_LT(p.r, 230);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING)) << "lighting stays on after the list";
}

TEST(ShadedShape, DegenerateTrianglesGetAnUpNormalAndHugeOnesAFiniteOne) {
    Vec3 up = vertexNormal({0, 0, 0}, {1, 1, 1}, {2, 2, 2});
    EXPECT_EQ(up.x, 0.0);
    EXPECT_EQ(up.y, 0.0);
    EXPECT_EQ(up.z, 1.0);
    Vec3 same = vertexNormal({5, 5, 5}, {5, 5, 5}, {5, 5, 5});
    EXPECT_EQ(same.z, 1.0);
    // Coordinates whose product overflows (or underflows) still give the direction.
    for (double s : {1e200, 1e-200}) {
        Vec3 n = vertexNormal({0, 0, 0}, {s, 0, 0}, {0, s, 0});
        EXPECT_NEAR(n.z, 1.0, 1e-12) << s;
        n = vertexNormal({0, 0, 0}, {0, s, 0}, {s, 0, 0});
        EXPECT_NEAR(n.z, -1.0, 1e-12) << s;
    }
    Vec3 tilted = vertexNormal({0, 0, 0}, {2, 0, 1}, {0, 1, 0});
    EXPECT_NEAR(tilted.x, -1 / std::sqrt(5.0), 1e-12);
    EXPECT_NEAR(tilted.z, 2 / std::sqrt(5.0), 1e-12);
}

TEST(ShadedShape, CellsWithoutAPlaceAreLeftOutAndNothingNonFiniteIsDrawn) {
    GL_TEST_REQUIRE_CONTEXT(800, 600);
    GridView g;
    g.fill(4, 5, -80, 80, -60, 60, [](double x, double y) { return x == 0 && y > 0 ? -5.0 : 50.0 + x / 4; });
    g.view.point(3)[2] = std::numeric_limits<double>::infinity();
    standardScales(g);
    g.scale(2, 1, 100, 10);
    g.view.scaleLog[2] = 1;
    auto fb = capture(g, [&](const BuildContext& ctx) {
        g.view.drawShadedShape(ctx);
        g.view.drawWireHiddenFill(ctx);
        g.view.drawColorWireframe(ctx);
    });
    ASSERT_FALSE(fb.empty());
    for (const auto& p : fb)
        for (const auto& v : p.vertices)
            ASSERT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) && std::isfinite(v.r));
}

// ---- every grid type through the list builder ----------------------------------------

// Every drawing routine of the grid types, in immediate mode. (GL feedback of a
// display list is no use here: Mesa 22 merges consecutive primitives of a list
// and its feedback path then returns only the first of them.)
void drawEveryGridRoutine(const CKelvraView& v) {
    BuildContext ctx = v.makeBuildContext();
    for (bool onFloor : {false, true}) {
        v.drawContourFill(ctx, onFloor);
        v.drawGreyContourFill(ctx, onFloor);
        v.drawContourLines(ctx, true, onFloor);
        v.drawContourLines(ctx, false, onFloor);
    }
    v.drawContourHiddenFill(ctx);
    v.drawWireframe(ctx);
    v.drawColorWireframe(ctx);
    v.drawWireHiddenFill(ctx);
    v.drawShadedShape(ctx);
}

bool allFinite(const std::vector<FeedbackPrimitive>& fb) {
    for (const auto& p : fb)
        for (const auto& v : p.vertices)
            if (!(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) && std::isfinite(v.r) &&
                  std::isfinite(v.g) && std::isfinite(v.b)))
                return false;
    return true;
}

int nonWhitePixels(int width, int height) {
    int count = 0;
    for (int y = 0; y < height; y += 2)
        for (int x = 0; x < width; x += 2)
            if (test::pixelAt(x, y) != kWhite) ++count;
    return count;
}

TEST(GridTypes, EveryTypeAndProjectionIsDrawnByTheListBuilder) {
    GL_TEST_REQUIRE_CONTEXT(200, 200);
    GridView g;
    // A logarithmic Z axis with a few points at zero: those cells go, the rest stay.
    g.fill(8, 9, -100, 100, -100, 100, [](double x, double y) { return x == 0 && y < 0 ? 0.0 : 51 + x / 2; });
    for (int a = 0; a < 4; ++a) g.scale(a, -100, 100, a < 3 ? 50 : 3);
    g.scale(2, 1, 101, 10);
    g.view.scaleLog[2] = 1;
    for (int type : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 17, 18}) {
        g.view.graphType = type;
        for (int mode = 0; mode <= 6; ++mode) {
            g.view.xyContourMode = mode;
            g.draw(200, 200);
            EXPECT_GT(nonWhitePixels(200, 200), 40) << "type " << type << ", projection " << mode;
        }
    }
    g.view.resizeViewport(200, 200);
    glLoadIdentity();
    glRotated(g.view.viewAngleX, 1, 0, 0);
    auto fb = test::captureFeedback([&] { drawEveryGridRoutine(g.view); });
    EXPECT_GT(fb.size(), 100u);
    EXPECT_TRUE(allFinite(fb));
}

TEST(GridTypes, OddSettingsAndDataDrawWithoutHarm) {
    GL_TEST_REQUIRE_CONTEXT(200, 200);
    struct Case {
        const char* name;
        void (*apply)(GridView&);
    } cases[] = {
        {"flat legend", [](GridView& g) { g.scale(3, 5, 5, 3); }},
        {"no level count", [](GridView& g) { g.view.scaleStep[3] = 99; }},
        {"legend of a value the points lack", [](GridView& g) { g.view.legendColorSource = 3; }},
        {"huge intervals, no widths", [](GridView& g) {
             g.view.wireIntervalX = g.view.wireIntervalY = 2147483647;
             g.view.wireWidthX = g.view.wireWidthY = g.view.contour2Width = -5;
         }},
        {"colours not a number", [](GridView& g) {
             for (Rgb& c : g.view.legendColors) c = {std::nan(""), 0.5, 0.5};
             g.view.wireColorX = {std::nan(""), 0, 0};
         }},
        {"data not a number", [](GridView& g) { g.view.point(7)[2] = std::nan(""); }},
        {"one point", [](GridView& g) { g.fill(1, 1, 0, 0, 0, 0, [](double, double) { return 1.0; }); }},
    };
    for (const Case& c : cases) {
        GridView g;
        g.fill(4, 5, -100, 100, -100, 100, [](double x, double y) { return x + y / 2; });
        for (int a = 0; a < 4; ++a) g.scale(a, -100, 100, a < 3 ? 50 : 3);
        c.apply(g);
        g.view.resizeViewport(200, 200);
        glLoadIdentity();
        glRotated(60, 1, 0, 0);
        EXPECT_TRUE(allFinite(test::captureFeedback([&] { drawEveryGridRoutine(g.view); }))) << c.name;
        for (int type : {0, 5, 9, 11, 13, 18}) {   // and through the lists, without harm
            g.view.graphType = type;
            g.view.xyContourMode = type % 7;
            g.draw(200, 200);
        }
    }
}

// ---- pictures for looking at ---------------------------------------------------------------

// Writes a picture of every grid type and every floor projection, in 3-D and
// 2-D, into $KELVRA_PICTURES_DIR (PNG). Skipped when that is not set.
TEST(GridPictures, WritesEveryGridTypeWhenAsked) {
    const char* dir = std::getenv("KELVRA_PICTURES_DIR");
    if (!dir) GTEST_SKIP() << "set KELVRA_PICTURES_DIR to write the pictures";
    GL_TEST_REQUIRE_CONTEXT(400, 400);
    GridView g;
    g.fill(30, 40, -100, 100, -100, 100, [](double x, double y) {
        return 70 * std::exp(-((x - 30) * (x - 30) + (y - 20) * (y - 20)) / 2000) -
               60 * std::exp(-((x + 40) * (x + 40) + (y + 30) * (y + 30)) / 1500) + 0.2 * x;
    });
    for (int a = 0; a < 4; ++a) g.scale(a, -100, 100, a < 3 ? 50 : 3);
    g.view.wireIntervalX = 3;
    g.view.wireIntervalY = 3;
    g.view.wireColorY = {0.6, 0.0, 0.0};
    g.view.scaleShow = 1;
    const int types[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 17, 18};
    for (int mode : {Display3D, Display2D}) {
        g.view.displayMode = mode;
        g.view.viewAngleX = mode == Display3D ? 300 : 0;
        g.view.viewAngleZ = mode == Display3D ? 330 : 0;
        g.view.viewZoom = mode == Display3D ? 130 : 170;   // the graph fills the picture
        std::string prefix = std::string(dir) + (mode == Display3D ? "/3d-" : "/2d-");
        g.view.xyContourMode = 0;
        for (int t : types) {
            g.view.graphType = t;
            g.draw(400, 400);
            test::dumpPicture(prefix + "type" + (t < 10 ? "0" : "") + std::to_string(t) + ".png");
        }
        g.view.graphType = 12;
        for (int m = 1; m <= 6; ++m) {
            g.view.xyContourMode = m;
            g.draw(400, 400);
            test::dumpPicture(prefix + "xy" + std::to_string(m) + ".png");
        }
    }
}

}  // namespace
}  // namespace kelvra
