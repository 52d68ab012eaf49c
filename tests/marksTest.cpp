// Points, bars and vectors, and their pick targets: which points are drawn
// (thinning, the scale box, non-finite positions), the colour a point takes at
// and around level boundaries, where bars stand and how wide they are, and
// the arrow geometry. Geometry through GL feedback, colours through pixels,
// pick names through selection mode, all under a top view of a 400 x 400
// viewport (200 pixels per world unit).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "support/drawInput.h"
#include "support/listFixture.h"

namespace kelvra {
namespace {

using test::FeedbackPrimitive;
using test::ofKind;
using test::Pixel;
using test::windowOf;

class Marks : public test::ListView {
protected:
    void SetUp() override {
        ListView::SetUp();
        for (int a = 0; a < 3; ++a) test::setScale(graph, a, 0, 10);
    }
};

int visibleCount(const std::vector<FeedbackPrimitive>& all) { return int(test::visiblePolygons(all).size()); }

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

TEST_F(Marks, GridPointsAndTheirTargetsAreThinnedByTheWireIntervalsFromColumnAndRowZero) {
    test::fillGrid(graph, 5, 7, [](int c, int r) { return c + r; });
    test::setScale(graph, 0, 0, 4);
    test::setScale(graph, 1, 0, 6);
    graph.settings.graphType = 16;   // 点(黒)
    graph.settings.wireIntervalX = 2;
    graph.settings.wireIntervalY = 3;
    graph.compileGraph();
    auto points = ofKind(graphFeedback(), FeedbackPrimitive::Point);

    AxisMapping map = graphMapping(graph.settings, graph.state.axisSpan);
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

    // Pick targets follow the thinning and are named by value index.
    auto at = [&](int c, int r) { return test::pickNames(graph, windowOf(map.world(0, c)), windowOf(map.world(1, r))); };
    EXPECT_EQ(at(2, 3), (std::vector<GLuint>{(3 * 5 + 2) * 3}));
    EXPECT_EQ(at(4, 6), (std::vector<GLuint>{(6 * 5 + 4) * 3}));
    EXPECT_TRUE(at(1, 3).empty());
    EXPECT_TRUE(at(2, 4).empty());

    // An interval of 0 counts as 1: every point.
    graph.settings.wireIntervalX = 0;
    graph.settings.wireIntervalY = 0;
    graph.compileGraph();
    EXPECT_EQ(ofKind(graphFeedback(), FeedbackPrimitive::Point).size(), 35u);
}

TEST_F(Marks, PointLevelTakesTheUpperLevelOnABoundaryAndEntryZeroFarBelow) {
    test::setScale(graph, 2, -5, 25);
    // Z: on the top of level 3, two levels below the legend, half a level
    // below, above the top.
    const double z[] = {3.0, -2.0, -0.5, 20.5};
    std::vector<std::vector<double>> pts;
    for (int i = 0; i < 4; ++i) pts.push_back({2.0 + 2 * i, 5, z[i]});
    test::fillPoints(graph, Scattered, 3, pts);
    graph.settings.graphType = 0;   // 点(ｶﾗｰ)
    graph.settings.pointSize = 9;
    graph.compileGraph();
    drawGraph();

    AxisMapping map = graphMapping(graph.settings, graph.state.axisSpan);
    const int expectedEntry[] = {4, 0, 1, 20};
    for (int i = 0; i < 4; ++i) {
        Pixel got = test::pixelAt(int(windowOf(map.world(0, pts[i][0]))), int(windowOf(map.world(1, 5))));
        EXPECT_TRUE(test::near(got, levelColor(expectedEntry[i]))) << "Z = " << z[i] << ": expected entry "
                                                                     << expectedEntry[i] << " "
                                                                     << levelColor(expectedEntry[i]) << ", got " << got;
    }

    // The grey points use the grey ramp with the same levels: level 4 is grey 0.15.
    graph.settings.graphType = 1;
    graph.compileGraph();
    drawGraph();
    Pixel grey = test::pixelAt(int(windowOf(map.world(0, 2))), int(windowOf(map.world(1, 5))));
    EXPECT_TRUE(test::near(grey, {38, 38, 38})) << grey;
}

// Format 7: each point is coloured by its data value (the fourth value), not
// by its Z, in colour or grey, and every point is a pick target.
TEST_F(Marks, PointValuePointsTakeTheLevelOfTheirDataValue) {
    test::fillPoints(graph, PointValues, 4, {{2, 5, 9, 3.5}, {6, 5, 1, 17.5}});
    graph.settings.legendColorSource = ColorByData;
    graph.settings.pointSize = 9;
    AxisMapping map = graphMapping(graph.settings, graph.state.axisSpan);
    auto at = [&](double x) { return test::pixelAt(int(windowOf(map.world(0, x))), int(windowOf(map.world(1, 5)))); };

    graph.settings.graphType = 0;   // 点(ｶﾗｰ)
    graph.compileGraph();
    drawGraph();
    EXPECT_TRUE(test::near(at(2), levelColor(4))) << at(2);
    EXPECT_TRUE(test::near(at(6), levelColor(18))) << at(6);

    graph.settings.graphType = 1;   // 点(白黒): grey 0.15 at level 4
    graph.compileGraph();
    drawGraph();
    EXPECT_TRUE(test::near(at(2), {38, 38, 38})) << at(2);
    EXPECT_EQ(test::pickNames(graph, windowOf(map.world(0, 6)), windowOf(map.world(1, 5))), (std::vector<GLuint>{4}));
}

TEST_F(Marks, PointsOutsideTheScaleBoxAreNeitherDrawnNorPickTargets) {
    // X 0..10 with a margin of 0.01: 10.005 is in, 10.02 and -0.02 are out.
    std::vector<std::vector<double>> pts = {{10.005, 0, 5}, {10.02, 10, 5}, {-0.02, 5, 5}, {5, 5, 10.2}};
    test::fillPoints(graph, Scattered, 3, pts);
    graph.settings.graphType = 2;
    graph.compileGraph();
    auto points = ofKind(graphFeedback(), FeedbackPrimitive::Point);
    ASSERT_EQ(points.size(), 1u);
    AxisMapping map = graphMapping(graph.settings, graph.state.axisSpan);
    EXPECT_NEAR(points[0].vertices[0].x, windowOf(map.world(0, 10.005)), 0.01);

    auto at = [&](int p) { return test::pickNames(graph, windowOf(map.world(0, pts[p][0])), windowOf(map.world(1, pts[p][1]))); };
    EXPECT_EQ(at(0), (std::vector<GLuint>{0}));
    EXPECT_TRUE(at(1).empty());
    EXPECT_TRUE(at(2).empty());
    EXPECT_TRUE(at(3).empty());   // Z above the box
}

TEST_F(Marks, PointsWithoutAFinitePositionAreSkipped) {
    // ln 0 and ln of a negative X on a log axis; the box margin lets 0 in.
    test::setScale(graph, 0, 0.001, 1000);
    graph.settings.scaleLog[0] = 1;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<std::vector<double>> pts = {{0.0, 5, 5}, {10, 5, 5}, {-0.5, 5, 5}, {1, nan, 5}};
    test::fillPoints(graph, Scattered, 3, pts);
    for (int type : {0, 2, 3}) {
        graph.settings.graphType = type;
        graph.settings.barSizeX = graph.settings.barSizeY = 1;
        graph.compileGraph();
        auto all = graphFeedback(Tilted);
        for (const auto& p : all)
            for (const auto& v : p.vertices)
                ASSERT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z)) << "type " << type;
        int drawn = type == 3 ? visibleCount(all) / 12
                              : int(ofKind(all, FeedbackPrimitive::Point).size());
        EXPECT_EQ(drawn, 1) << "type " << type;
    }
    EXPECT_EQ(test::pickNames(graph, windowOf(graphMapping(graph.settings, graph.state.axisSpan).world(0, 10)), 200),
              (std::vector<GLuint>{3}));
}

// ---- bars ----

TEST_F(Marks, BarsStandOnTheZMinimumFaceAndPointsBelowItDrawNothing) {
    test::fillPoints(graph, Scattered, 3, {{5, 5, 5}, {2, 2, -1}});
    graph.settings.graphType = 3;   // 棒ｸﾞﾗﾌ
    graph.settings.barSizeX = 2;
    graph.settings.barSizeY = 2;
    graph.compileGraph();
    int edges = 0;
    EXPECT_EQ(visibleCount(graphFeedback(Tilted)), 12);   // six faces of two triangles: one bar only
    auto all = graphFeedback(Side);
    Extent box = extentOf(all, FeedbackPrimitive::Line, -1e9f, 1e9f, &edges);
    EXPECT_EQ(edges, 12);   // two rectangles and four uprights
    EXPECT_NEAR(box.minY, windowOf(-0.5), 0.01);   // the floor, Z = 0
    EXPECT_NEAR(box.maxY, windowOf(0.0), 0.01);    // the point, Z = 5
    EXPECT_NEAR(box.minX, 200 - 20, 0.01);         // 2 data units = 0.2 world units wide
    EXPECT_NEAR(box.maxX, 200 + 20, 0.01);
    for (const auto& p : ofKind(all, FeedbackPrimitive::Line)) EXPECT_FLOAT_EQ(p.vertices[0].r, 0.0f);

    // On a reversed Z the box face at the minimum is the top face.
    graph.settings.scaleReverse[2] = 1;
    graph.compileGraph();
    box = extentOf(graphFeedback(Side), FeedbackPrimitive::Line);
    EXPECT_NEAR(box.minY, windowOf(0.0), 0.01);
    EXPECT_NEAR(box.maxY, windowOf(0.5), 0.01);
}

TEST_F(Marks, BarsOnALogarithmicAxisKeepTheirShareOfTheAxisEverywhere) {
    test::setScale(graph, 0, 1, 10000);
    graph.settings.scaleLog[0] = 1;
    test::fillPoints(graph, Scattered, 3, {{10, 3, 5}, {1000, 7, 5}});
    graph.settings.graphType = 3;
    graph.settings.barSizeX = 999.9;   // a tenth of the scale range: a tenth of the axis
    graph.settings.barSizeY = 1;
    graph.compileGraph();
    auto all = graphFeedback();
    AxisMapping map = graphMapping(graph.settings, graph.state.axisSpan);
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
        for (int a = 0; a < 3; ++a) test::setScale(graph, a, -10, 10);
        // At Y = 0, 5, -5, -8 (window y 200, 250, 150, 120): the longest
        // vector, half of it, a zero vector and one shorter than a head.
        test::fillPoints(graph, Vectors, 6,
                         {{0, 0, 0, 2, 0, 0}, {0, 5, 0, 1, 0, 0}, {0, -5, 0, 0, 0, 0}, {0, -8, 0, 0.4, 0, 0}});
        graph.settings.legendColorSource = ColorByData;
    }
};

TEST_F(Arrows, LongestArrowIsShaftAndHeadOf0_15WorldUnitsAndTheOthersInProportion) {
    // Per arrow (a window band around its point): its shaft lines and the
    // x extent of the shaft and of the head (a cone of radius 0.015, 3 pixels).
    struct Case {
        const char* name;
        float bandLo, bandHi;
        int shafts;
        float shaftFrom, shaftTo, headFrom, headTo;
    } cases[] = {
        {"longest: 0.15, shaft 0.102", 195, 205, 1, 200, 220.4f, 220.4f, 230},
        {"half: 0.075, shaft 0.027", 245, 255, 1, 200, 205.4f, 205.4f, 215},
        {"zero: nothing", 145, 155, 0, 0, 0, 0, 0},
        {"shorter than a head: the head alone", 115, 125, 0, 0, 0, 200, 209.6f},
    };
    graph.compileGraph();
    auto all = graphFeedback();
    for (const Case& c : cases) {
        int lines = 0, heads = 0;
        Extent shaft = extentOf(all, FeedbackPrimitive::Line, c.bandLo, c.bandHi, &lines);
        Extent head = extentOf(all, FeedbackPrimitive::Polygon, c.bandLo, c.bandHi, &heads);
        EXPECT_EQ(lines, c.shafts) << c.name;
        if (lines) {
            EXPECT_NEAR(shaft.minX, c.shaftFrom, 0.01) << c.name;
            EXPECT_NEAR(shaft.maxX, c.shaftTo, 0.01) << c.name;
        }
        EXPECT_EQ(heads > 0, c.headTo > 0) << c.name;
        if (!heads) continue;
        EXPECT_NEAR(head.minX, c.headFrom, 0.01) << c.name;
        EXPECT_NEAR(head.maxX, c.headTo, 0.01) << c.name;
    }
    EXPECT_NEAR(extentOf(all, FeedbackPrimitive::Polygon, 195, 205).maxY -
                    extentOf(all, FeedbackPrimitive::Polygon, 195, 205).minY, 6.0, 0.2);

    // vectorSize scales every arrow: at 50 % the longest is 0.075.
    graph.settings.vectorSize = 50;
    graph.compileGraph();
    EXPECT_NEAR(extentOf(graphFeedback(), FeedbackPrimitive::Polygon, 195, 205).maxX, 215.0, 0.01);
}

TEST_F(Arrows, ArrowsAreMirroredOnAReversedAxisAndSoAreTheirPickTargets) {
    graph.settings.scaleReverse[0] = 1;
    graph.compileGraph();
    auto all = graphFeedback();
    Extent shaft = extentOf(all, FeedbackPrimitive::Line, 199, 201);
    EXPECT_NEAR(shaft.minX, 200.0 - 20.4, 0.01);
    EXPECT_NEAR(shaft.maxX, 200.0, 0.01);
    EXPECT_NEAR(extentOf(all, FeedbackPrimitive::Polygon, 195, 205).minX, 170.0, 0.01);

    // The target follows the arrow: a pick on it finds point 0, a pick where
    // the unmirrored line would be finds nothing.
    EXPECT_EQ(test::pickNames(graph, 185, 200), (std::vector<GLuint>{0}));
    EXPECT_TRUE(test::pickNames(graph, 220, 200).empty());
    // Point 1 is named by its first value's index, 1 x 6.
    EXPECT_EQ(test::pickNames(graph, 195, 250), (std::vector<GLuint>{6}));
    // The zero vector is no target.
    EXPECT_TRUE(test::pickNames(graph, 200, 150).empty());
}

TEST_F(Arrows, ColourIsTheVectorLengthForSixValuesAndTheDataValueForSeven) {
    graph.settings.wireWidthX = 4;   // a 6-pixel shaft to probe
    // Length 2.5: level 3 of the 20 levels over 0..20.
    test::fillPoints(graph, Vectors, 6, {{0, 0, 0, 2.5, 0, 0}});
    graph.compileGraph();
    drawGraph();
    EXPECT_TRUE(test::near(test::pixelAt(210, 200), levelColor(3))) << test::pixelAt(210, 200);

    // Seven values: the data value 7.5 (level 8), whatever the length.
    test::fillPoints(graph, Vectors, 7, {{0, 0, 0, 10, 0, 0, 7.5}});
    graph.compileGraph();
    drawGraph();
    EXPECT_TRUE(test::near(test::pixelAt(210, 200), levelColor(8))) << test::pixelAt(210, 200);
}

TEST_F(Arrows, NoLongestLengthDrawsNoArrows) {
    graph.data.valueRange[RangeVector].max = 0.0;
    graph.compileGraph();
    EXPECT_TRUE(graphFeedback().empty());
    EXPECT_TRUE(test::pickNames(graph, 210, 200).empty());
}

}  // namespace
}  // namespace kelvra
