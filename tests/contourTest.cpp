// Contour fills and contour lines: how cells are cut, what the level walk emits,
// where the floor projection lies, what the pictures show in the 2-D display,
// and the fill of a small irregular grid against a brute-force reference.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <limits>
#include <vector>

#include "render/contourCells.h"
#include "support/glFixture.h"
#include "support/gridFixture.h"

namespace kelvra {
namespace {

using test::FeedbackPrimitive;
using test::GridView;
using test::Pixel;

Pixel pixelOf(const Rgb& c) {
    return {int(std::lround(c.r * 255)), int(std::lround(c.g * 255)), int(std::lround(c.b * 255))};
}

Corner corner(double x, double y, double z, int level) { return makeCorner(x, y, z, z, level); }

// Which corners (0..3) a polygon of a split uses, in order.
std::vector<int> cornerOrder(const CellPolygon& p, const Corner* c) {
    std::vector<int> out;
    for (int i = 0; i < p.count; ++i) out.push_back(int(p.v[i] - c));
    return out;
}

// ---- splitCell ---------------------------------------------------------------

TEST(SplitCell, OneLevelCellIsTwoTrianglesOnTheC1C2Diagonal) {
    Corner c[4] = {corner(0, 0, 5, 2), corner(0, 1, 6, 2), corner(1, 0, 7, 2), corner(1, 1, 8, 2)};
    CellSplit s = splitCell(c[0], c[1], c[2], c[3]);
    ASSERT_EQ(s.count, 2);
    EXPECT_EQ(cornerOrder(s.polygon[0], c), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(cornerOrder(s.polygon[1], c), (std::vector<int>{1, 3, 2}));
}

TEST(SplitCell, ThreeCornersOfOneLevelStayInOneTriangle) {
    // b0 = b1 = b3: the c0-c3 diagonal.
    Corner c[4] = {corner(0, 0, 1, 1), corner(0, 1, 1, 1), corner(1, 0, 9, 4), corner(1, 1, 1, 1)};
    CellSplit s = splitCell(c[0], c[1], c[2], c[3]);
    ASSERT_EQ(s.count, 2);
    EXPECT_EQ(cornerOrder(s.polygon[0], c), (std::vector<int>{0, 1, 3}));
    EXPECT_EQ(cornerOrder(s.polygon[1], c), (std::vector<int>{0, 3, 2}));
    // b1 = b2 = b3: the c1-c2 diagonal.
    c[0].level = 4;
    c[2].level = 1;
    s = splitCell(c[0], c[1], c[2], c[3]);
    EXPECT_EQ(cornerOrder(s.polygon[0], c), (std::vector<int>{0, 1, 2}));
}

TEST(SplitCell, SaddleIsCutOnTheDiagonalWithTheSmallerZDifference) {
    // Levels 1, 3, 3, 1 at c0..c3; c1-c2 differ by 1 in z, c0-c3 by 4.
    Corner c[4] = {corner(0, 0, 0, 1), corner(0, 1, 30, 3), corner(1, 0, 31, 3), corner(1, 1, 4, 1)};
    CellSplit s = splitCell(c[0], c[1], c[2], c[3]);
    ASSERT_EQ(s.count, 2);
    EXPECT_EQ(cornerOrder(s.polygon[0], c), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(cornerOrder(s.polygon[1], c), (std::vector<int>{1, 3, 2}));
    // Now c0-c3 differ less: cut there.
    c[2].z = 60;
    s = splitCell(c[0], c[1], c[2], c[3]);
    EXPECT_EQ(cornerOrder(s.polygon[0], c), (std::vector<int>{0, 1, 3}));
    // A tie goes to c0-c3.
    c[2].z = 34;
    s = splitCell(c[0], c[1], c[2], c[3]);
    EXPECT_EQ(cornerOrder(s.polygon[0], c), (std::vector<int>{0, 1, 3}));
}

TEST(SplitCell, OtherCellsStayWholeQuadsAroundTheCell) {
    Corner c[4] = {corner(0, 0, 0, 1), corner(0, 1, 0, 2), corner(1, 0, 0, 3), corner(1, 1, 0, 4)};
    CellSplit s = splitCell(c[0], c[1], c[2], c[3]);
    ASSERT_EQ(s.count, 1);
    EXPECT_EQ(cornerOrder(s.polygon[0], c), (std::vector<int>{0, 1, 3, 2}));
}

// ---- the level walk on one polygon ---------------------------------------------

// A camera that puts world (x, y) in -1..1 onto a 200 x 200 window.
void unitCamera() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1, 1, -1, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

LevelTable fiveLevels() {
    LevelTable t;
    t.levelCount = 5;
    t.levelBase = 0.0;
    t.levelStep = 1.0;
    for (int k = 0; k <= 5; ++k) t.colors[k] = {0.2 * k, 1.0 - 0.2 * k, 0.5};
    return t;
}

double area(const FeedbackPrimitive& p) {
    const auto& v = p.vertices;
    return 0.5 * std::fabs((v[1].x - v[0].x) * (v[2].y - v[0].y) - (v[2].x - v[0].x) * (v[1].y - v[0].y));
}

TEST(LevelWalk, TriangleOfThreeLevelsIsBandedInTheLevelColours) {
    GL_TEST_REQUIRE_CONTEXT(200, 200);
    unitCamera();
    LevelTable t = fiveLevels();
    // Values 0.5, 1.5, 2.5: levels 1, 2, 3.
    Corner a = corner(0, 0, 0, 1), b = corner(0.9, 0, 0, 2), c = corner(0, 0.9, 0, 3);
    a.value = 0.5, b.value = 1.5, c.value = 2.5;
    CellPolygon p{{&a, &b, &c, nullptr}, 3};
    auto fb = test::captureFeedback([&] {
        glShadeModel(GL_FLAT);
        CellPaint paint(t, t.colors, t.levelCount);
        fillLevelPolygon(p, paint);
    });
    // One strip of 11 vertices: the repeated first pass and the degenerate
    // triangles are part of it.
    ASSERT_EQ(fb.size(), 9u);
    double covered = 0;
    for (const auto& tri : fb) {
        ASSERT_EQ(tri.kind, FeedbackPrimitive::Polygon);
        double s = area(tri);
        covered += s;
        if (s < 1e-3) continue;
        // Flat shading: the last vertex gives the colour. The value inside the
        // triangle is linear: 0.5 + x / 0.9 + 2 y / 0.9 in world units.
        double cx = 0, cy = 0;
        for (const auto& v : tri.vertices) cx += (v.x - 100) / 100 / 3, cy += (v.y - 100) / 100 / 3;
        int expected = levelOf(t, 0.5 + cx / 0.9 + 2 * cy / 0.9);
        EXPECT_NEAR(tri.vertices[2].r, t.colors[expected].r, 1e-3) << "triangle at " << cx << ", " << cy;
        EXPECT_NEAR(tri.vertices[2].g, t.colors[expected].g, 1e-3);
    }
    EXPECT_NEAR(covered, 0.5 * 90 * 90, 0.5);   // exactly the triangle, no overlap
}

TEST(LevelWalk, TriangleOfThreeLevelsHasTwoContourSegments) {
    GL_TEST_REQUIRE_CONTEXT(200, 200);
    unitCamera();
    LevelTable t = fiveLevels();
    Corner a = corner(0, 0, 0, 1), b = corner(0.9, 0, 0, 2), c = corner(0, 0.9, 0, 3);
    a.value = 0.5, b.value = 1.5, c.value = 2.5;
    CellPolygon p{{&a, &b, &c, nullptr}, 3};
    auto fb = test::captureFeedback([&] {
        CellPaint paint(t, t.colors, t.levelCount);
        traceLevelLines(p, paint);
    });
    ASSERT_EQ(fb.size(), 2u);
    // Top of level 1 (value 1): from (0, 0.225) to (0.45, 0), in colour 1.
    EXPECT_NEAR(fb[0].vertices[0].x, 100, 0.01);
    EXPECT_NEAR(fb[0].vertices[0].y, 122.5, 0.01);
    EXPECT_NEAR(fb[0].vertices[1].x, 145, 0.01);
    EXPECT_NEAR(fb[0].vertices[1].y, 100, 0.01);
    EXPECT_NEAR(fb[0].vertices[0].r, t.colors[1].r, 1e-3);
    // Top of level 2 (value 2): from (0, 0.675) to (0.45, 0.45), in colour 2.
    EXPECT_NEAR(fb[1].vertices[0].y, 167.5, 0.01);
    EXPECT_NEAR(fb[1].vertices[1].x, 145, 0.01);
    EXPECT_NEAR(fb[1].vertices[1].y, 145, 0.01);
    EXPECT_NEAR(fb[1].vertices[0].r, t.colors[2].r, 1e-3);
}

TEST(LevelWalk, PolygonWithANonFiniteCornerDrawsNothing) {
    GL_TEST_REQUIRE_CONTEXT(200, 200);
    unitCamera();
    LevelTable t = fiveLevels();
    Corner a = corner(0, 0, 0, 1), b = corner(0.9, 0, 0, 2);
    Corner c = makeCorner(0, std::numeric_limits<double>::quiet_NaN(), 0, 2.5, 3);
    CellPolygon p{{&a, &b, &c, nullptr}, 3};
    auto fb = test::captureFeedback([&] {
        CellPaint paint(t, t.colors, t.levelCount);
        fillLevelPolygon(p, paint);
        traceLevelLines(p, paint);
        fillHiddenPolygon(p, paint);
    });
    EXPECT_TRUE(fb.empty());
}

// ---- whole grids through the view -------------------------------------------------

// World z of every vertex of a capture made under the identity modelview.
std::vector<double> worldZ(const std::vector<FeedbackPrimitive>& fb) {
    GLdouble model[16], proj[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, proj);
    glGetIntegerv(GL_VIEWPORT, viewport);
    std::vector<double> out;
    for (const auto& p : fb) {
        for (const auto& v : p.vertices) {
            GLdouble x, y, z;
            gluUnProject(v.x, v.y, v.z, model, proj, viewport, &x, &y, &z);
            out.push_back(z);
        }
    }
    return out;
}

// A 2-D top view of z = x over -100..100 (a column every 10), legend -100..100
// in 20 levels; one data unit is one pixel at 100 % zoom.
void planeZEqualsX(GridView& g) {
    g.fill(11, 21, -100, 100, -100, 100, [](double x, double) { return x; });
    for (int a = 0; a < 4; ++a) g.scale(a, -100, 100, a < 3 ? 50 : 3);
    g.topView();
}

TEST(FloorProjection, EveryVertexLiesOnTheFloorOfTheBox) {
    GL_TEST_REQUIRE_CONTEXT(400, 400);
    struct Case {
        const char* name;
        double zMin, zMax;
        int log, reverse;
    } cases[] = {{"linear", -100, 100, 0, 0}, {"logarithmic", 1, 1000, 1, 0}, {"reversed", -100, 100, 0, 1},
                 {"reversed logarithmic", 1, 1000, 1, 1}};
    for (const Case& c : cases) {
        GridView g;
        g.fill(6, 7, -100, 100, -100, 100, [&](double x, double y) {
            return c.zMin + (c.zMax - c.zMin) * (x + y + 200) / 400;
        });
        for (int a = 0; a < 4; ++a) g.scale(a, -100, 100, a < 3 ? 50 : 3);
        g.scale(2, c.zMin, c.zMax, 10);
        g.view.scaleLog[2] = c.log;
        g.view.scaleReverse[2] = c.reverse;
        g.view.resizeViewport(400, 400);
        glLoadIdentity();
        glRotated(60, 1, 0, 0);   // a slanted view, so depth tells z apart
        BuildContext ctx = g.view.makeBuildContext();
        auto fb = test::captureFeedback([&] {
            g.view.drawContourFill(ctx, true);
            g.view.drawContourLines(ctx, true, true);
        });
        ASSERT_GT(fb.size(), 20u) << c.name;
        // The bottom face of a box of 100 % size is at world z = -0.5.
        for (double z : worldZ(fb)) ASSERT_NEAR(z, -0.5, 1e-3) << c.name;
        EXPECT_NEAR(floorZ(g.view, ctx.map), -0.5, 1e-12) << c.name;
    }
}

TEST(ContourLines, ValuesAboveTheLegendTopTakeTheTopColourAndGetNoLineThere) {
    GL_TEST_REQUIRE_CONTEXT(800, 600);
    GridView g;
    planeZEqualsX(g);
    g.scale(3, -100, 50, 3);   // 20 levels of 7.5; the column at x = 50 is exactly the top
    g.view.resizeViewport(800, 600);
    glLoadIdentity();
    BuildContext ctx = g.view.makeBuildContext();
    auto lines = test::captureFeedback([&] { g.view.drawContourLines(ctx, true, false); });
    ASSERT_FALSE(lines.empty());
    for (const auto& p : lines) {
        ASSERT_EQ(p.kind, FeedbackPrimitive::Line);
        double x = p.vertices[0].x - 400;   // data x
        EXPECT_NEAR(p.vertices[1].x - 400, x, 1e-3);   // lines run along y
        EXPECT_LT(x, 50 - 1) << "a line at or above the legend top";
    }
    // The fill: everything from x = 50 on in the top colour.
    g.draw(800, 600);
    for (double x : {55.0, 75.0, 95.0}) {
        EXPECT_TRUE(test::near(test::pixelAt(int(400 + x), 300), pixelOf(ctx.levels.colors[20])))
            << "x = " << x << ": " << test::pixelAt(int(400 + x), 300);
    }
}

TEST(ContourLines, SingleColourLinesAreAllInTheContourColour) {
    GL_TEST_REQUIRE_CONTEXT(800, 600);
    GridView g;
    planeZEqualsX(g);
    g.view.contour2Color = {0.25, 0.5, 0.75};
    g.view.resizeViewport(800, 600);
    glLoadIdentity();
    BuildContext ctx = g.view.makeBuildContext();
    auto lines = test::captureFeedback([&] { g.view.drawContourLines(ctx, false, false); });
    ASSERT_GE(lines.size(), 19u * 10);   // 19 inner boundaries in each of the 10 cell rows
    for (const auto& p : lines) {
        EXPECT_NEAR(p.vertices[0].r, 0.25, 1e-3);
        EXPECT_NEAR(p.vertices[0].g, 0.5, 1e-3);
        EXPECT_NEAR(p.vertices[0].b, 0.75, 1e-3);
    }
}

// ---- pictures in the 2-D display ----------------------------------------------------

TEST(ContourPicture, PlaneShowsTheLevelColourOfEachX) {
    GL_TEST_REQUIRE_CONTEXT(800, 600);
    GridView g;
    planeZEqualsX(g);
    g.draw(800, 600);
    const LevelTable levels = g.view.makeBuildContext().levels;
    for (double x : {-95.0, -62.0, -15.0, -4.0, 4.0, 33.0, 71.0, 96.0}) {
        Pixel expected = pixelOf(levels.colors[levelOf(levels, x)]);
        // Pixel column px covers data x from px - 400 to px - 399.
        Pixel seen = test::pixelAt(int(std::floor(x)) + 400, 300);
        EXPECT_TRUE(test::near(seen, expected)) << "x = " << x << " seen " << seen << " expected " << expected;
    }
    EXPECT_EQ(test::pixelAt(400 - 120, 300), (Pixel{255, 255, 255}));   // outside the grid
}

TEST(ContourPicture, GreyTypeShowsGreyLevels) {
    GL_TEST_REQUIRE_CONTEXT(800, 600);
    GridView g;
    planeZEqualsX(g);
    g.view.graphType = 2;
    g.draw(800, 600);
    const LevelTable levels = g.view.makeBuildContext().levels;
    Rgb grey[kMaxLevelCount + 1];
    ASSERT_EQ(buildLevelColors(kGreyLevelSource, 0, 0, 3, grey), 20);
    for (double x : {-95.0, -42.0, 12.0, 88.0}) {
        Pixel seen = test::pixelAt(int(x) + 400, 300);
        EXPECT_TRUE(test::near(seen, pixelOf(grey[levelOf(levels, x)]))) << "x = " << x << " seen " << seen;
        EXPECT_EQ(seen.r, seen.g);
        EXPECT_EQ(seen.g, seen.b);
    }
}

TEST(ContourPicture, ReversedXMirrorsThePicture) {
    GL_TEST_REQUIRE_CONTEXT(800, 600);
    GridView g;
    planeZEqualsX(g);
    g.view.scaleReverse[0] = 1;
    g.draw(800, 600);
    const LevelTable levels = g.view.makeBuildContext().levels;
    for (double x : {-95.0, -33.0, 14.0, 77.0}) {
        Pixel expected = pixelOf(levels.colors[levelOf(levels, x)]);
        Pixel seen = test::pixelAt(400 - int(x) - 1, 300);   // data x now grows to the left
        EXPECT_TRUE(test::near(seen, expected)) << "x = " << x << " seen " << seen << " expected " << expected;
    }
}

TEST(ContourPicture, LogAxisLeavesOutCellsAtOrBelowZeroAndKeepsTheRest) {
    GL_TEST_REQUIRE_CONTEXT(800, 600);
    GridView g;
    // X from -100 to 100 on a logarithmic X axis 1..100: columns at x <= 0 have no place.
    g.fill(11, 11, -100, 100, -100, 100, [](double x, double) { return x; });
    for (int a = 0; a < 4; ++a) g.scale(a, -100, 100, a < 3 ? 50 : 3);
    g.scale(0, 1, 100, 10);
    g.view.scaleLog[0] = 1;
    g.topView();
    g.view.resizeViewport(800, 600);
    glLoadIdentity();
    BuildContext ctx = g.view.makeBuildContext();
    auto fb = test::captureFeedback([&] {
        g.view.drawContourFill(ctx, false);
        g.view.drawContourLines(ctx, true, false);
        g.view.drawContourHiddenFill(ctx);
    });
    ASSERT_FALSE(fb.empty());
    // Columns at x = 20..100 remain: world x from ln 20 onwards; nothing else drawn.
    double left = 400 + ctx.map.world(0, 20.0) * 200;
    for (const auto& p : fb) {
        for (const auto& v : p.vertices) {
            ASSERT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z));
            ASSERT_GE(v.x, left - 1e-3);
        }
    }
}

TEST(ContourGrid, NothingIsDrawnForPointListsOrCountsBeyondTheData) {
    GL_TEST_REQUIRE_CONTEXT(800, 600);
    GridView g;
    planeZEqualsX(g);
    g.view.resizeViewport(800, 600);
    glLoadIdentity();
    auto drawAll = [&] {
        BuildContext ctx = g.view.makeBuildContext();
        g.view.drawContourFill(ctx, true);
        g.view.drawGreyContourFill(ctx, false);
        g.view.drawContourLines(ctx, false, true);
        g.view.drawContourHiddenFill(ctx);
    };
    g.view.dataKind = Scattered;   // a floor projection asked for on a point list
    EXPECT_TRUE(test::captureFeedback(drawAll).empty());
    g.view.dataKind = Grid;
    g.view.rowCount = 12;          // one row more than the data holds
    EXPECT_TRUE(test::captureFeedback(drawAll).empty());
    g.view.rowCount = 11;
    EXPECT_FALSE(test::captureFeedback(drawAll).empty());
}

// ---- a small irregular grid against a brute-force reference -------------------------

struct SmallGrid {
    static constexpr int rows = 5, columns = 6;
    double x[columns], y[rows], z[rows][columns];
};

SmallGrid irregularGrid() {
    SmallGrid s;
    for (int c = 0; c < SmallGrid::columns; ++c) s.x[c] = -100 + 40 * c;
    for (int r = 0; r < SmallGrid::rows; ++r) s.y[r] = -80 + 40 * r;
    // Fixed values in -100..100 with saddles, steep cells and a flat patch.
    const double z[5][6] = {{-90, -40, 35, 80, 95, 20},
                            {-60, 70, -75, 10, 10, 10},
                            {40, -85, 65, 10, 10, 10},
                            {-20, 15, -30, 55, -95, 60},
                            {99, -5, 45, -65, 25, -45}};
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 6; ++c) s.z[r][c] = z[r][c];
    return s;
}

// Level of the fill at data point (px, py), found independently of the walk:
// the cell and its polygon by position, then one level up for every level top
// whose crossing segment (between the two polygon edges that cross that value)
// has the point on its high side.
int referenceLevel(const SmallGrid& s, const LevelTable& t, double px, double py) {
    int i = 0, j = 0;
    while (i + 1 < SmallGrid::columns - 1 && px > s.x[i + 1]) ++i;
    while (j + 1 < SmallGrid::rows - 1 && py > s.y[j + 1]) ++j;
    Corner c[4] = {corner(s.x[i], s.y[j], s.z[j][i], 0), corner(s.x[i], s.y[j + 1], s.z[j + 1][i], 0),
                   corner(s.x[i + 1], s.y[j], s.z[j][i + 1], 0),
                   corner(s.x[i + 1], s.y[j + 1], s.z[j + 1][i + 1], 0)};
    for (Corner& k : c) k.level = levelOf(t, k.value);
    CellSplit split = splitCell(c[0], c[1], c[2], c[3]);
    auto side = [](const Corner& a, const Corner& b, double qx, double qy) {
        return (b.x - a.x) * (qy - a.y) - (b.y - a.y) * (qx - a.x);
    };
    for (int n = 0; n < split.count; ++n) {
        const CellPolygon& p = split.polygon[n];
        // Inside this (convex) polygon?
        double first = 0;
        bool inside = true;
        for (int e = 0; e < p.count && inside; ++e) {
            double sd = side(*p.v[e], *p.v[(e + 1) % p.count], px, py);
            if (first == 0) first = sd;
            else if (sd * first < 0) inside = false;
        }
        if (!inside) continue;
        int kmin = 1000, kmax = 0, top = 0;
        for (int e = 0; e < p.count; ++e) {
            if (p.v[e]->level < kmin) kmin = p.v[e]->level;
            if (p.v[e]->level > kmax) kmax = p.v[e]->level, top = e;
        }
        int level = kmin;
        for (int k = kmin; k < kmax; ++k) {
            double L = t.levelBase + k * t.levelStep;
            Corner ends[2];
            int found = 0;
            for (int e = 0; e < p.count && found < 2; ++e) {
                const Corner& a = *p.v[e];
                const Corner& b = *p.v[(e + 1) % p.count];
                if ((a.level <= k) == (b.level <= k)) continue;
                double f = (L - a.value) / (b.value - a.value);
                ends[found++] = corner(a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f, 0, 0);
            }
            // Both crossings at one corner (its value is exactly L): nothing of
            // the polygon lies at or below L but that corner.
            bool point = std::hypot(ends[1].x - ends[0].x, ends[1].y - ends[0].y) < 1e-9;
            if (found == 2 &&
                (point || side(ends[0], ends[1], px, py) * side(ends[0], ends[1], p.v[top]->x, p.v[top]->y) > 0))
                ++level;
        }
        return level;
    }
    return 0;
}

// Pixels of the 2-D picture whose colour differs from the reference of `s`;
// pixels where the reference changes within 1.5 pixels are not judged.
int mismatches(const SmallGrid& s, const LevelTable& t, int* judged) {
    int bad = 0;
    *judged = 0;
    for (int py = 0; py < 300; ++py) {
        for (int px = 0; px < 300; ++px) {
            double x = px + 0.5 - 150, y = py + 0.5 - 150;
            if (x < -99 || x > 99 || y < -79 || y > 79) continue;
            int level = referenceLevel(s, t, x, y);
            bool clear = true;
            for (double dx : {-1.5, 1.5})
                for (double dy : {-1.5, 1.5})
                    if (referenceLevel(s, t, x + dx, y + dy) != level) clear = false;
            if (!clear) continue;
            ++*judged;
            if (!test::near(test::pixelAt(px, py), pixelOf(t.colors[level]))) ++bad;
        }
    }
    return bad;
}

TEST(ContourReference, FillOfAnIrregularGridMatchesTheBruteForceLevels) {
    GL_TEST_REQUIRE_CONTEXT(300, 300);
    SmallGrid s = irregularGrid();
    GridView g;
    g.fill(SmallGrid::rows, SmallGrid::columns, 0, 0, 0, 0, [](double, double) { return 0.0; });
    for (int r = 0; r < SmallGrid::rows; ++r) {
        for (int c = 0; c < SmallGrid::columns; ++c) {
            double* p = g.view.point(std::size_t(r) * SmallGrid::columns + c);
            p[0] = s.x[c], p[1] = s.y[r], p[2] = s.z[r][c];
        }
    }
    for (int a = 0; a < 4; ++a) g.scale(a, -100, 100, a < 3 ? 50 : 3);
    g.topView();
    g.draw(300, 300);
    const LevelTable t = g.view.makeBuildContext().levels;
    if (const char* dir = std::getenv("KELVRA_PICTURES_DIR")) test::dumpPicture(std::string(dir) + "/reference.png");

    int judged = 0;
    EXPECT_EQ(mismatches(s, t, &judged), 0);
    EXPECT_GT(judged, 5000);   // the rest lies within 1.5 pixels of an edge or a level top

    // The comparison can fail: one value changed in the reference shows.
    SmallGrid wrong = s;
    wrong.z[2][1] += 40;
    EXPECT_GT(mismatches(wrong, t, &judged), 100);
}

}  // namespace
}  // namespace kelvra
