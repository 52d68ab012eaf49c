// Points, bars and vectors, and their pick targets: which points are drawn
// (thinning, the scale box, non-finite positions), the colour a point takes at
// and around level boundaries, where bars stand and how wide they are, and
// the arrow geometry. Geometry through GL feedback, colours through pixels,
// pick names through selection mode, all under a top view of a 400 x 400
// viewport (200 pixels per world unit).
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "core/headlessHost.h"
#include "core/kelvraView.h"
#include "support/glFixture.h"
#include "support/handMadeData.h"

namespace kelvra {
namespace {

using test::FeedbackPrimitive;
using test::Pixel;
using test::windowOf;

class Marks : public ::testing::Test {
protected:
    void SetUp() override {
        GL_TEST_REQUIRE_CONTEXT(400, 400);
        host.printMessages = false;
        view.resizeViewport(400, 400);
        glLoadIdentity();
        glClearColor(1, 1, 1, 1);
        glEnable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        for (int a = 0; a < 3; ++a) test::setScale(view, a, 0, 10);
        test::setScale(view, 3, 0, 20);
        view.scaleStep[3] = 3;   // 20 levels of 1 each over 0..20
        // Level k of a 20-level legend takes source entry k; entry 0 is set apart.
        view.legendColors[0] = {0, 1, 0};
        for (int k = 1; k <= 20; ++k) view.legendColors[k] = {k * 0.05, 0.3, 1 - k * 0.05};
    }

    // The graph list under the top view; turned so that world Z runs up the
    // screen; or tilted so that no face of a box is seen edge-on (an edge-on
    // face under polygon offset gets an unbounded depth and is clipped apart).
    enum Camera { Top, Side, Tilted };
    void drawGraph(Camera camera = Top) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        if (camera == Side) glRotated(-90, 1, 0, 0);
        if (camera == Tilted) glRotated(-60, 1, 0, 0), glRotated(30, 0, 0, 1);
        glCallList(ListGraph);
    }
    std::vector<FeedbackPrimitive> graphFeedback(Camera camera = Top) {
        return test::captureFeedback([&] { drawGraph(camera); });
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

// Polygons that cover something on screen. The display-list compiler may join
// consecutive strips with degenerate triangles, which are left out here.
int visiblePolygons(const std::vector<FeedbackPrimitive>& all) {
    int n = 0;
    for (const auto& p : all) {
        if (p.kind != FeedbackPrimitive::Polygon) continue;
        double area = 0;
        for (std::size_t i = 0; i < p.vertices.size(); ++i) {
            const auto& a = p.vertices[i];
            const auto& b = p.vertices[(i + 1) % p.vertices.size()];
            area += a.x * b.y - b.x * a.y;
        }
        if (std::fabs(area) > 0.01) ++n;
    }
    return n;
}

struct Extent {
    float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
};
// Extent of the primitives of a kind whose vertices all lie in the window
// band minY..maxY (all of them when the band is open).
Extent extentOf(const std::vector<FeedbackPrimitive>& all, FeedbackPrimitive::Kind kind, float bandLo = -1e9f,
                float bandHi = 1e9f, int* count = nullptr) {
    Extent e;
    int n = 0;
    for (const auto& p : all) {
        if (p.kind != kind) continue;
        bool inBand = std::all_of(p.vertices.begin(), p.vertices.end(),
                                  [&](const auto& v) { return v.y >= bandLo && v.y <= bandHi; });
        if (!inBand) continue;
        ++n;
        for (const auto& v : p.vertices) {
            e.minX = std::min(e.minX, v.x), e.maxX = std::max(e.maxX, v.x);
            e.minY = std::min(e.minY, v.y), e.maxY = std::max(e.maxY, v.y);
        }
    }
    if (count) *count = n;
    return e;
}

// ---- points ----

TEST_F(Marks, GridPointsAreThinnedByTheWireIntervalsFromColumnAndRowZero) {
    test::fillGrid(view, 5, 7, [](int c, int r) { return c + r; });
    test::setScale(view, 0, 0, 4);
    test::setScale(view, 1, 0, 6);
    view.graphType = 16;   // 点(黒)
    view.wireIntervalX = 2;
    view.wireIntervalY = 3;
    view.buildDisplayLists();
    auto points = ofKind(graphFeedback(), FeedbackPrimitive::Point);

    AxisMapping map = view.graphMapping();
    std::vector<std::pair<int, int>> expected;   // columns outer, rows inner
    for (int c : {0, 2, 4})
        for (int r : {0, 3, 6}) expected.push_back({c, r});
    ASSERT_EQ(points.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        auto [c, r] = expected[i];
        EXPECT_NEAR(points[i].vertices[0].x, windowOf(map.world(0, c)), 0.01) << "point " << i;
        EXPECT_NEAR(points[i].vertices[0].y, windowOf(map.world(1, r)), 0.01) << "point " << i;
        EXPECT_FLOAT_EQ(points[i].vertices[0].r, 0.0f);
    }

    // An interval of 0 counts as 1: every point.
    view.wireIntervalX = 0;
    view.wireIntervalY = 0;
    view.buildDisplayLists();
    EXPECT_EQ(ofKind(graphFeedback(), FeedbackPrimitive::Point).size(), 35u);
}

TEST_F(Marks, PointLevelTakesTheUpperLevelOnABoundaryAndEntryZeroFarBelow) {
    test::setScale(view, 2, -5, 25);
    // Z: on the top of level 3, two levels below the legend, half a level
    // below, above the top.
    const double z[] = {3.0, -2.0, -0.5, 20.5};
    std::vector<std::vector<double>> pts;
    for (int i = 0; i < 4; ++i) pts.push_back({2.0 + 2 * i, 5, z[i]});
    test::fillPoints(view, Scattered, 3, pts);
    view.graphType = 0;   // 点(ｶﾗｰ)
    view.pointSize = 9;
    view.buildDisplayLists();
    drawGraph();

    AxisMapping map = view.graphMapping();
    const int expectedEntry[] = {4, 0, 1, 20};
    for (int i = 0; i < 4; ++i) {
        Pixel got = test::pixelAt(int(windowOf(map.world(0, pts[i][0]))), int(windowOf(map.world(1, 5))));
        EXPECT_TRUE(test::near(got, levelColor(expectedEntry[i]))) << "Z = " << z[i] << ": expected entry "
                                                                     << expectedEntry[i] << " "
                                                                     << levelColor(expectedEntry[i]) << ", got " << got;
    }

    // The grey points use the grey ramp with the same levels: level 4 is grey 0.15.
    view.graphType = 1;
    view.buildDisplayLists();
    drawGraph();
    Pixel grey = test::pixelAt(int(windowOf(map.world(0, 2))), int(windowOf(map.world(1, 5))));
    EXPECT_TRUE(test::near(grey, {38, 38, 38})) << grey;
}

TEST_F(Marks, PointsOutsideTheScaleBoxAreNeitherDrawnNorPickTargets) {
    // X 0..10 with a margin of 0.01: 10.005 is in, 10.02 and -0.02 are out.
    std::vector<std::vector<double>> pts = {{10.005, 0, 5}, {10.02, 10, 5}, {-0.02, 5, 5}, {5, 5, 10.2}};
    test::fillPoints(view, Scattered, 3, pts);
    view.graphType = 2;
    view.buildDisplayLists();
    auto points = ofKind(graphFeedback(), FeedbackPrimitive::Point);
    ASSERT_EQ(points.size(), 1u);
    AxisMapping map = view.graphMapping();
    EXPECT_NEAR(points[0].vertices[0].x, windowOf(map.world(0, 10.005)), 0.01);

    auto at = [&](int p) { return test::pickNames(view, windowOf(map.world(0, pts[p][0])), windowOf(map.world(1, pts[p][1]))); };
    EXPECT_EQ(at(0), (std::vector<GLuint>{0}));
    EXPECT_TRUE(at(1).empty());
    EXPECT_TRUE(at(2).empty());
    EXPECT_TRUE(at(3).empty());   // Z above the box
}

TEST_F(Marks, PointsWithoutAFinitePositionAreSkipped) {
    // ln 0 and ln of a negative X on a log axis; the box margin lets 0 in.
    test::setScale(view, 0, 0.001, 1000);
    view.scaleLog[0] = 1;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<std::vector<double>> pts = {{0.0, 5, 5}, {10, 5, 5}, {-0.5, 5, 5}, {1, nan, 5}};
    test::fillPoints(view, Scattered, 3, pts);
    for (int type : {0, 2, 3}) {
        view.graphType = type;
        view.barSizeX = view.barSizeY = 1;
        view.buildDisplayLists();
        auto all = graphFeedback(Tilted);
        for (const auto& p : all)
            for (const auto& v : p.vertices)
                ASSERT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z)) << "type " << type;
        int drawn = type == 3 ? visiblePolygons(all) / 12
                              : int(ofKind(all, FeedbackPrimitive::Point).size());
        EXPECT_EQ(drawn, 1) << "type " << type;
    }
    EXPECT_EQ(test::pickNames(view, windowOf(view.graphMapping().world(0, 10)), 200),
              (std::vector<GLuint>{3}));
}

// ---- bars ----

TEST_F(Marks, BarsStandOnTheZMinimumFaceAndPointsBelowItDrawNothing) {
    test::fillPoints(view, Scattered, 3, {{5, 5, 5}, {2, 2, -1}});
    view.graphType = 3;   // 棒ｸﾞﾗﾌ
    view.barSizeX = 2;
    view.barSizeY = 2;
    view.buildDisplayLists();
    int edges = 0;
    EXPECT_EQ(visiblePolygons(graphFeedback(Tilted)), 12);   // six faces of two triangles: one bar only
    auto all = graphFeedback(Side);
    Extent box = extentOf(all, FeedbackPrimitive::Line, -1e9f, 1e9f, &edges);
    EXPECT_EQ(edges, 12);   // two rectangles and four uprights
    EXPECT_NEAR(box.minY, windowOf(-0.5), 0.01);   // the floor, Z = 0
    EXPECT_NEAR(box.maxY, windowOf(0.0), 0.01);    // the point, Z = 5
    EXPECT_NEAR(box.minX, 200 - 20, 0.01);         // 2 data units = 0.2 world units wide
    EXPECT_NEAR(box.maxX, 200 + 20, 0.01);
    for (const auto& p : ofKind(all, FeedbackPrimitive::Line)) EXPECT_FLOAT_EQ(p.vertices[0].r, 0.0f);

    // On a reversed Z the box face at the minimum is the top face.
    view.scaleReverse[2] = 1;
    view.buildDisplayLists();
    box = extentOf(graphFeedback(Side), FeedbackPrimitive::Line);
    EXPECT_NEAR(box.minY, windowOf(0.0), 0.01);
    EXPECT_NEAR(box.maxY, windowOf(0.5), 0.01);
}

TEST_F(Marks, BarsOnALogarithmicAxisKeepTheirShareOfTheAxisEverywhere) {
    test::setScale(view, 0, 1, 10000);
    view.scaleLog[0] = 1;
    test::fillPoints(view, Scattered, 3, {{10, 3, 5}, {1000, 7, 5}});
    view.graphType = 3;
    view.barSizeX = 999.9;   // a tenth of the scale range: a tenth of the axis
    view.barSizeY = 1;
    view.buildDisplayLists();
    auto all = graphFeedback();
    AxisMapping map = view.graphMapping();
    for (double x : {10.0, 1000.0}) {
        double centre = windowOf(map.world(0, x));
        Extent e;
        for (const auto& p : ofKind(all, FeedbackPrimitive::Polygon))
            for (const auto& v : p.vertices)
                if (std::fabs(v.x - centre) < 40) e.minX = std::min(e.minX, v.x), e.maxX = std::max(e.maxX, v.x);
        EXPECT_NEAR(e.minX, centre - 10, 0.01) << "X = " << x;
        EXPECT_NEAR(e.maxX, centre + 10, 0.01) << "X = " << x;
    }
}

// ---- vectors ----

class Arrows : public Marks {
protected:
    void SetUp() override {
        Marks::SetUp();
        if (IsSkipped()) return;
        for (int a = 0; a < 3; ++a) test::setScale(view, a, -10, 10);
        // At Y = 0, 5, -5, -8 (window y 200, 250, 150, 120): the longest
        // vector, half of it, a zero vector and one shorter than a head.
        test::fillPoints(view, Vectors, 6,
                         {{0, 0, 0, 2, 0, 0}, {0, 5, 0, 1, 0, 0}, {0, -5, 0, 0, 0, 0}, {0, -8, 0, 0.4, 0, 0}});
        view.legendColorSource = 3;
    }
};

TEST_F(Arrows, LongestArrowIsShaftAndHeadOf0_15WorldUnits) {
    view.buildDisplayLists();
    auto all = graphFeedback();
    // The shaft: one line from the point, 0.102 world units (20.4 pixels).
    int lines = 0;
    Extent shaft = extentOf(all, FeedbackPrimitive::Line, 199, 201, &lines);
    EXPECT_EQ(lines, 1);
    EXPECT_NEAR(shaft.minX, 200.0, 0.01);
    EXPECT_NEAR(shaft.maxX, 200.0 + 20.4, 0.01);
    // The head: a cone from 0.102 to the tip at 0.15, radius 0.015 (3 pixels).
    Extent head = extentOf(all, FeedbackPrimitive::Polygon, 195, 205);
    EXPECT_NEAR(head.minX, 220.4, 0.01);
    EXPECT_NEAR(head.maxX, 230.0, 0.01);
    EXPECT_NEAR(head.maxY - head.minY, 6.0, 0.2);

    // Half the longest: 0.075 long, shaft 0.027.
    Extent half = extentOf(all, FeedbackPrimitive::Line, 249, 251);
    EXPECT_NEAR(half.maxX - half.minX, 0.027 * 200, 0.01);
    EXPECT_NEAR(extentOf(all, FeedbackPrimitive::Polygon, 245, 255).maxX, 215.0, 0.01);

    // A zero vector draws nothing; one shorter than a head draws the head alone.
    int zeroCount = 0;
    extentOf(all, FeedbackPrimitive::Line, 145, 155, &zeroCount);
    EXPECT_EQ(zeroCount, 0);
    extentOf(all, FeedbackPrimitive::Polygon, 145, 155, &zeroCount);
    EXPECT_EQ(zeroCount, 0);
    int shortLines = 0;
    extentOf(all, FeedbackPrimitive::Line, 115, 125, &shortLines);
    EXPECT_EQ(shortLines, 0);
    Extent shortHead = extentOf(all, FeedbackPrimitive::Polygon, 115, 125);
    EXPECT_NEAR(shortHead.minX, 200.0, 0.01);
    EXPECT_NEAR(shortHead.maxX, 209.6, 0.01);

    // vectorSize scales every arrow: at 50 % the longest is 0.075.
    view.vectorSize = 50;
    view.buildDisplayLists();
    EXPECT_NEAR(extentOf(graphFeedback(), FeedbackPrimitive::Polygon, 195, 205).maxX, 215.0, 0.01);
}

TEST_F(Arrows, ArrowsAreMirroredOnAReversedAxisAndSoAreTheirPickTargets) {
    view.scaleReverse[0] = 1;
    view.buildDisplayLists();
    auto all = graphFeedback();
    Extent shaft = extentOf(all, FeedbackPrimitive::Line, 199, 201);
    EXPECT_NEAR(shaft.minX, 200.0 - 20.4, 0.01);
    EXPECT_NEAR(shaft.maxX, 200.0, 0.01);
    EXPECT_NEAR(extentOf(all, FeedbackPrimitive::Polygon, 195, 205).minX, 170.0, 0.01);

    // The target follows the arrow: a pick on it finds point 0, a pick where
    // the unmirrored line would be finds nothing.
    EXPECT_EQ(test::pickNames(view, 185, 200), (std::vector<GLuint>{0}));
    EXPECT_TRUE(test::pickNames(view, 220, 200).empty());
    // Point 1 is named by its first value's index, 1 x 6.
    EXPECT_EQ(test::pickNames(view, 195, 250), (std::vector<GLuint>{6}));
    // The zero vector is no target.
    EXPECT_TRUE(test::pickNames(view, 200, 150).empty());
}

TEST_F(Arrows, ColourIsTheVectorLengthForSixValuesAndTheDataValueForSeven) {
    view.wireWidthX = 4;   // a 6-pixel shaft to probe
    // Length 2.5: level 3 of the 20 levels over 0..20.
    test::fillPoints(view, Vectors, 6, {{0, 0, 0, 2.5, 0, 0}});
    view.buildDisplayLists();
    drawGraph();
    EXPECT_TRUE(test::near(test::pixelAt(210, 200), levelColor(3))) << test::pixelAt(210, 200);

    // Seven values: the data value 7.5 (level 8), whatever the length.
    test::fillPoints(view, Vectors, 7, {{0, 0, 0, 10, 0, 0, 7.5}});
    view.buildDisplayLists();
    drawGraph();
    EXPECT_TRUE(test::near(test::pixelAt(210, 200), levelColor(8))) << test::pixelAt(210, 200);
}

TEST_F(Arrows, NoLongestLengthDrawsNoArrows) {
    view.valueRange[RangeVector].max = 0.0;
    view.buildDisplayLists();
    EXPECT_TRUE(graphFeedback().empty());
    EXPECT_TRUE(test::pickNames(view, 210, 200).empty());
}

// ---- pick targets of grids ----

TEST_F(Marks, GridPickTargetsFollowTheThinningAndAreNamedByValueIndex) {
    test::fillGrid(view, 5, 7, [](int c, int r) { return 5.0; });
    view.graphType = 0;
    view.wireIntervalX = 2;
    view.wireIntervalY = 3;
    view.buildDisplayLists();
    AxisMapping map = view.graphMapping();
    auto at = [&](int c, int r) { return test::pickNames(view, windowOf(map.world(0, c)), windowOf(map.world(1, r))); };
    EXPECT_EQ(at(2, 3), (std::vector<GLuint>{(3 * 5 + 2) * 3}));
    EXPECT_EQ(at(4, 6), (std::vector<GLuint>{(6 * 5 + 4) * 3}));
    EXPECT_TRUE(at(1, 3).empty());
    EXPECT_TRUE(at(2, 4).empty());
}

}  // namespace
}  // namespace kelvra

namespace kelvra {
namespace {

// Pictures for looking at by eye, written only when KELVRA_PICTURES_DIR names
// a folder: scattered points, bars on a grid and on a logarithmic axis, and a
// vector field, each under the default 3-D camera.
TEST(MarkPictures, WrittenWhenAFolderIsNamed) {
    const char* dir = std::getenv("KELVRA_PICTURES_DIR");
    if (!dir) GTEST_SKIP() << "KELVRA_PICTURES_DIR not set";
    GL_TEST_REQUIRE_CONTEXT(600, 450);
    HeadlessHost host({600, 450});
    host.printMessages = false;
    CKelvraView view(host);
    view.initGlState();
    auto shoot = [&](const char* name) {
        view.buildDisplayLists();
        view.paint(600, 450);
        test::dumpPicture(std::string(dir) + "/" + name);
    };
    auto scales = [&](double x0, double x1, double y0, double y1, double z0, double z1) {
        test::setScale(view, 0, x0, x1);
        test::setScale(view, 1, y0, y1);
        test::setScale(view, 2, z0, z1);
        test::setScale(view, 3, z0, z1);
    };

    std::vector<std::vector<double>> scattered;
    for (int i = 0; i < 400; ++i) {
        double x = std::fmod(i * 0.618034, 1.0) * 10, y = std::fmod(i * 0.414214, 1.0) * 10;
        scattered.push_back({x, y, std::sin(x * 0.6) * std::cos(y * 0.5) * 4 + 5});
    }
    test::fillPoints(view, Scattered, 3, scattered);
    scales(0, 10, 0, 10, 0, 10);
    view.graphType = 0;
    view.pointSize = 6;
    shoot("scattered-points.png");

    test::fillGrid(view, 6, 5, [](int c, int r) { return 1 + c + r * 0.8 + (c == 3 && r == 2 ? 3 : 0); });
    scales(-0.5, 5.5, -0.5, 4.5, 0, 10);
    view.graphType = 19;
    view.barSizeX = 0.7;
    view.barSizeY = 0.7;
    shoot("grid-bars.png");
    view.scaleReverse[2] = 1;
    shoot("grid-bars-reversed-z.png");
    view.scaleReverse[2] = 0;

    test::fillPoints(view, Scattered, 3, {{2, 2, 3}, {20, 5, 6}, {200, 8, 9}, {2000, 5, 4}, {20000, 2, 7}});
    scales(1, 100000, 0, 10, 0, 10);
    view.scaleLog[0] = 1;
    view.graphType = 3;
    view.barSizeX = 10000;   // a tenth of the scale range
    view.barSizeY = 1;
    shoot("bars-log-x.png");
    view.scaleLog[0] = 0;

    std::vector<std::vector<double>> field;
    for (int r = 0; r < 7; ++r)
        for (int c = 0; c < 7; ++c) {
            double x = c - 3, y = r - 3;
            field.push_back({x, y, 0, -y, x, 0.5 * (r - c), std::hypot(x, y)});
        }
    field[24][3] = field[24][4] = field[24][5] = 0;   // the centre: a zero vector
    test::fillPoints(view, Vectors, 7, field);
    scales(-4, 4, -4, 4, -4, 4);
    test::setScale(view, 3, 0, 5);
    view.legendColorSource = 3;
    view.graphType = 0;
    view.wireWidthX = 1;
    view.viewZoom = 300;   // arrows are small beside the box; look closely
    shoot("vectors.png");
}

}  // namespace
}  // namespace kelvra
