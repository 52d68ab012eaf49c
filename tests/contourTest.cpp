// Contour fills and contour lines: how cells are cut, what the level walk emits,
// where the floor projection lies, what the pictures show in the 2-D display,
// and the fill of a small irregular grid against a brute-force reference.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <functional>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "render/contourCells.h"
#include "support/drawInput.h"
#include "support/records.h"
#include "support/glFixture.h"
#include "support/gridFixture.h"

namespace kelvra {
namespace {

using test::FeedbackPrimitive;
using test::GridRecords;
using test::Pixel;

Pixel pixelOf(const Rgb& c) {
    return {int(std::lround(c.r * 255)), int(std::lround(c.g * 255)), int(std::lround(c.b * 255))};
}

Corner corner(double x, double y, double z, int level) { return makeCorner(x, y, z, z, level); }

// Corners c0..c3 at (0,0), (0,1), (1,0), (1,1); the split as the corner
// numbers of each polygon, e.g. "012 132".
TEST(SplitCell, DiagonalAndQuadRules) {
    struct Case {
        const char* name;
        double z[4];
        int level[4];
        const char* split;
    } cases[] = {
        {"one level: c1-c2 diagonal", {5, 6, 7, 8}, {2, 2, 2, 2}, "012 132"},
        {"b0 = b1 = b3: c0-c3 diagonal", {1, 1, 9, 1}, {1, 1, 4, 1}, "013 032"},
        {"b1 = b2 = b3: c1-c2 diagonal", {1, 1, 9, 1}, {4, 1, 1, 1}, "012 132"},
        {"saddle, c1-c2 closer in z", {0, 30, 31, 4}, {1, 3, 3, 1}, "012 132"},
        {"saddle, c0-c3 closer in z", {0, 30, 60, 4}, {1, 3, 3, 1}, "013 032"},
        {"saddle, tie goes to c0-c3", {0, 30, 34, 4}, {1, 3, 3, 1}, "013 032"},
        {"other cells stay whole quads", {0, 0, 0, 0}, {1, 2, 3, 4}, "0132"},
    };
    for (const Case& k : cases) {
        Corner c[4];
        for (int i = 0; i < 4; ++i) c[i] = corner(i / 2, i % 2, k.z[i], k.level[i]);
        CellSplit s = splitCell(c[0], c[1], c[2], c[3]);
        std::string got;
        for (int n = 0; n < s.count; ++n) {
            if (n) got += ' ';
            for (int i = 0; i < s.polygon[n].count; ++i) got += char('0' + (s.polygon[n].v[i] - c));
        }
        EXPECT_EQ(got, k.split) << k.name;
    }
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

double area(const FeedbackPrimitive& p) {
    const auto& v = p.vertices;
    return 0.5 * std::fabs((v[1].x - v[0].x) * (v[2].y - v[0].y) - (v[2].x - v[0].x) * (v[1].y - v[0].y));
}

TEST(LevelWalk, TriangleOfThreeLevelsIsBandedAndHasTwoLinesAndNonFiniteDrawsNothing) {
    GL_TEST_REQUIRE_CONTEXT(200, 200);
    unitCamera();
    LevelTable t;
    t.levelCount = 5;
    t.levelBase = 0.0;
    t.levelStep = 1.0;
    for (int k = 0; k <= 5; ++k) t.colors[k] = {0.2 * k, 1.0 - 0.2 * k, 0.5};
    VertexBatch batch;
    CellPaint paint(t, t.colors, t.levelCount, batch);
    // The pieces go into the batch, drawn from arrays as the cell walk draws them.
    auto drawn = [&](const std::function<void()>& make) {
        return test::captureFeedback([&] {
            batch.clear();
            make();
            drawBatch(batch);
        });
    };
    // Values 0.5, 1.5, 2.5: levels 1, 2, 3.
    Corner a = corner(0, 0, 0, 1), b = corner(0.9, 0, 0, 2), c = corner(0, 0.9, 0, 3);
    a.value = 0.5, b.value = 1.5, c.value = 2.5;
    CellPolygon p{{&a, &b, &c, nullptr}, 3};
    glShadeModel(GL_FLAT);
    auto fill = drawn([&] { fillLevelPolygon(p, paint); });
    // One strip of 11 vertices: the repeated first pass and the degenerate
    // triangles are part of it.
    ASSERT_EQ(fill.size(), 9u);
    double covered = 0;
    for (const auto& tri : fill) {
        ASSERT_EQ(tri.kind, FeedbackPrimitive::Polygon);
        double s = area(tri);
        covered += s;
        if (s < 1e-3) continue;
        // Flat shading: the last vertex gives the colour. The value inside the
        // triangle is linear: 0.5 + x / 0.9 + 2 y / 0.9 in world units.
        double cx = 0, cy = 0;
        for (const auto& v : tri.vertices) cx += (v.x - 100) / 100 / 3, cy += (v.y - 100) / 100 / 3;
        const Rgb& expected = t.colors[levelOf(t, 0.5 + cx / 0.9 + 2 * cy / 0.9)];
        EXPECT_NEAR(tri.vertices[2].r, expected.r, 1e-3) << "triangle at " << cx << ", " << cy;
        EXPECT_NEAR(tri.vertices[2].g, expected.g, 1e-3) << "triangle at " << cx << ", " << cy;
    }
    EXPECT_NEAR(covered, 0.5 * 90 * 90, 0.5);   // exactly the triangle, no overlap

    // Tops of level 1 (value 1) from (0, 0.225) to (0.45, 0) and of level 2
    // from (0, 0.675) to (0.45, 0.45), each in its level's colour.
    auto lines = drawn([&] { traceLevelLines(p, paint); });
    ASSERT_EQ(lines.size(), 2u);
    const double ends[2][5] = {{100, 122.5, 145, 100, t.colors[1].r}, {100, 167.5, 145, 145, t.colors[2].r}};
    for (int i = 0; i < 2; ++i) {
        const auto& v = lines[i].vertices;
        const float got[4] = {v[0].x, v[0].y, v[1].x, v[1].y};
        for (int j = 0; j < 4; ++j) EXPECT_NEAR(got[j], ends[i][j], 0.01) << "line " << i << ", coordinate " << j;
        EXPECT_NEAR(v[0].r, ends[i][4], 1e-3) << "line " << i;
    }

    Corner bad = makeCorner(0, std::numeric_limits<double>::quiet_NaN(), 0, 2.5, 3);
    CellPolygon q{{&a, &b, &bad, nullptr}, 3};
    EXPECT_TRUE(drawn([&] {
                    fillLevelPolygon(q, paint);
                    traceLevelLines(q, paint);
                    fillHiddenPolygon(q, paint);
                }).empty());
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
void planeZEqualsX(GridRecords& g) {
    g.square(11, 21, [](double x, double) { return x; }, -100, 100);
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
        GridRecords g;
        g.square(6, 7, [&](double x, double y) { return c.zMin + (c.zMax - c.zMin) * (x + y + 200) / 400; }, -100, 100);
        g.scale(2, c.zMin, c.zMax, 10);
        g.r.settings.scaleLog[2] = c.log;
        g.r.settings.scaleReverse[2] = c.reverse;
        resizeViewport(400, 400, g.r.settings.viewZoom);
        glLoadIdentity();
        glRotated(60, 1, 0, 0);   // a slanted view, so depth tells z apart
        BuildContext ctx = g.r.context();
        auto fb = test::captureFeedback([&] {
            drawContourFill(test::drawInput(g.r, ctx), true);
            drawContourLines(test::drawInput(g.r, ctx), true, true);
        });
        ASSERT_GT(fb.size(), 20u) << c.name;
        // The bottom face of a box of 100 % size is at world z = -0.5.
        for (double z : worldZ(fb)) ASSERT_NEAR(z, -0.5, 1e-3) << c.name;
        EXPECT_NEAR(floorZ(g.r.settings, ctx.map), -0.5, 1e-12) << c.name;
    }
}

TEST(ContourLines, NoLineAtOrAboveTheLegendTopWhichTakesTheTopColourAndSingleColourLines) {
    GL_TEST_REQUIRE_CONTEXT(800, 600);
    GridRecords g;
    planeZEqualsX(g);
    g.scale(3, -100, 50, 3);   // 20 levels of 7.5; the column at x = 50 is exactly the top
    g.r.settings.contour2Color = {0.25, 0.5, 0.75};
    resizeViewport(800, 600, g.r.settings.viewZoom);
    glLoadIdentity();
    BuildContext ctx = g.r.context();
    for (bool colored : {true, false}) {
        auto lines = test::captureFeedback([&] { drawContourLines(test::drawInput(g.r, ctx), colored, false); });
        ASSERT_GE(lines.size(), 19u * 10) << colored;   // 19 inner level tops in each of the 10 cell rows
        for (const auto& p : lines) {
            ASSERT_EQ(p.kind, FeedbackPrimitive::Line);
            double x = p.vertices[0].x - 400;   // data x
            EXPECT_NEAR(p.vertices[1].x - 400, x, 1e-3);   // lines run along y
            EXPECT_LT(x, 50 - 1) << "a line at or above the legend top";
            if (colored) continue;
            EXPECT_NEAR(p.vertices[0].r, 0.25, 1e-3);
            EXPECT_NEAR(p.vertices[0].g, 0.5, 1e-3);
            EXPECT_NEAR(p.vertices[0].b, 0.75, 1e-3);
        }
    }
    // The fill: everything from x = 50 on in the top colour.
    g.draw(800, 600);
    for (double x : {55.0, 75.0, 95.0}) {
        EXPECT_TRUE(test::near(test::pixelAt(int(400 + x), 300), pixelOf(ctx.levels.colors[20])))
            << "x = " << x << ": " << test::pixelAt(int(400 + x), 300);
    }
}

// ---- pictures in the 2-D display ----------------------------------------------------

TEST(ContourPicture, EachXShowsItsLevelColourInColourGreyAndMirrored) {
    GL_TEST_REQUIRE_CONTEXT(800, 600);
    struct Case {
        const char* name;
        int graphType, reverseX;
    } cases[] = {{"colour", 0, 0}, {"grey", 2, 0}, {"reversed X", 0, 1}};
    for (const Case& c : cases) {
        GridRecords g;
        planeZEqualsX(g);
        g.r.settings.graphType = c.graphType;
        g.r.settings.scaleReverse[0] = c.reverseX;
        g.draw(800, 600);
        const LevelTable levels = g.r.context().levels;
        Rgb grey[kMaxLevelCount + 1];
        ASSERT_EQ(buildLevelColors(kGreyLevelSource, 0, 0, 3, grey), 20);
        const Rgb* colors = c.graphType == 2 ? grey : levels.colors;
        for (int x : {-95, -62, -33, -15, -4, 4, 14, 33, 77, 96}) {
            // Pixel column px covers data x from px - 400 to px - 399 (mirrored
            // when X is reversed: data x then grows to the left).
            Pixel seen = test::pixelAt(c.reverseX ? 399 - x : 400 + x, 300);
            Pixel expected = pixelOf(colors[levelOf(levels, x)]);
            EXPECT_TRUE(test::near(seen, expected)) << c.name << ", x = " << x << " seen " << seen << " expected "
                                                    << expected;
            if (c.graphType == 2) {
                EXPECT_TRUE(seen.r == seen.g && seen.g == seen.b) << c.name << " " << seen;
            }
        }
        EXPECT_EQ(test::pixelAt(c.reverseX ? 520 : 280, 300), (Pixel{255, 255, 255})) << c.name << ": outside";
    }
}

// Every contour routine of the view, in immediate mode.
void drawContours(test::Records& v) {
    BuildContext ctx = v.context();
    drawContourFill(test::drawInput(v, ctx), false);
    drawGreyContourFill(test::drawInput(v, ctx), true);
    drawContourLines(test::drawInput(v, ctx), true, false);
    drawContourLines(test::drawInput(v, ctx), false, true);
    drawContourHiddenFill(test::drawInput(v, ctx));
}

TEST(ContourGrid, CellsWithoutAPlaceAreLeftOutAndNothingIsDrawnWithoutAGrid) {
    GL_TEST_REQUIRE_CONTEXT(800, 600);
    GridRecords g;
    // X from -100 to 100 on a logarithmic X axis 1..100: columns at x <= 0 have no place.
    planeZEqualsX(g);
    g.scale(0, 1, 100, 10);
    g.r.settings.scaleLog[0] = 1;
    resizeViewport(800, 600, g.r.settings.viewZoom);
    glLoadIdentity();
    auto fb = test::captureFeedback([&] { drawContours(g.r); });
    ASSERT_FALSE(fb.empty());
    // Columns at x = 10..100 remain: world x from ln 10 onwards; nothing else drawn.
    double left = 400 + g.r.context().map.world(0, 10.0) * 200;
    for (const auto& p : fb) {
        for (const auto& v : p.vertices) {
            ASSERT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z));
            ASSERT_GE(v.x, left - 1e-3);
        }
    }
    g.r.settings.scaleLog[0] = 0;
    g.r.data.dataKind = Scattered;   // a floor projection asked for on a point list
    EXPECT_TRUE(test::captureFeedback([&] { drawContours(g.r); }).empty());
    g.r.data.dataKind = Grid;
    g.r.data.rowCount = 12;          // one row more than the data holds
    EXPECT_TRUE(test::captureFeedback([&] { drawContours(g.r); }).empty());
}

// ---- a small irregular grid against a brute-force reference -------------------------

// 5 rows x 6 columns at x = -100 + 40 c, y = -80 + 40 r, with saddles, steep
// cells and a flat patch.
struct SmallGrid {
    double z[5][6] = {{-90, -40, 35, 80, 95, 20},
                      {-60, 70, -75, 10, 10, 10},
                      {40, -85, 65, 10, 10, 10},
                      {-20, 15, -30, 55, -95, 60},
                      {99, -5, 45, -65, 25, -45}};
};

double side(const Corner& a, const Corner& b, double qx, double qy) {
    return (b.x - a.x) * (qy - a.y) - (b.y - a.y) * (qx - a.x);
}

// Level of the fill at data point (px, py), found independently of the walk:
// the cell and its polygon by position, then one level up for every level top
// whose crossing segment (between the two polygon edges that cross that value)
// has the point on its high side.
int referenceLevel(const SmallGrid& s, const LevelTable& t, double px, double py) {
    int i = std::clamp(int(std::floor((px + 100) / 40)), 0, 4), j = std::clamp(int(std::floor((py + 80) / 40)), 0, 3);
    Corner c[4];
    for (int k = 0; k < 4; ++k) {
        int ci = i + k / 2, rj = j + k % 2;
        c[k] = corner(-100 + 40 * ci, -80 + 40 * rj, s.z[rj][ci], 0);
        c[k].level = levelOf(t, c[k].value);
    }
    CellSplit split = splitCell(c[0], c[1], c[2], c[3]);
    for (int n = 0; n < split.count; ++n) {
        const CellPolygon& p = split.polygon[n];
        double first = 0;   // inside this (convex) polygon?
        bool inside = true;
        for (int e = 0; e < p.count && inside; ++e) {
            double sd = side(*p.v[e], *p.v[(e + 1) % p.count], px, py);
            if (first == 0) first = sd;
            else if (sd * first < 0) inside = false;
        }
        if (!inside) continue;
        int kmin = 1000, kmax = 0, top = 0;
        for (int e = 0; e < p.count; ++e) {
            kmin = std::min(kmin, p.v[e]->level);
            if (p.v[e]->level > kmax) kmax = p.v[e]->level, top = e;
        }
        int level = kmin;
        for (int k = kmin; k < kmax; ++k) {
            double L = t.levelBase + k * t.levelStep;
            Corner ends[2];
            int found = 0;
            for (int e = 0; e < p.count && found < 2; ++e) {
                const Corner &a = *p.v[e], &b = *p.v[(e + 1) % p.count];
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
                for (double dy : {-1.5, 1.5}) clear = clear && referenceLevel(s, t, x + dx, y + dy) == level;
            if (!clear) continue;
            ++*judged;
            if (!test::near(test::pixelAt(px, py), pixelOf(t.colors[level]))) ++bad;
        }
    }
    return bad;
}

TEST(ContourReference, FillOfAnIrregularGridMatchesTheBruteForceLevels) {
    GL_TEST_REQUIRE_CONTEXT(300, 300);
    SmallGrid s;
    GridRecords g;
    g.fill(5, 6, -100, 100, -80, 80, [&](double x, double y) { return s.z[int(y + 80) / 40][int(x + 100) / 40]; });
    for (int a = 0; a < 4; ++a) g.scale(a, -100, 100, a < 3 ? 50 : 3);
    g.topView();
    g.draw(300, 300);
    const LevelTable t = g.r.context().levels;
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
