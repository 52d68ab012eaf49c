// Sections: the section index is held inside the grid at every build and the
// section position follows it; the curve runs through the chosen column or
// row; section points and targets take every point of it; the band under the
// curve and the cut surface keep to their side. Top view of a 400 x 400
// viewport (200 pixels per world unit) unless turned so that Z runs up.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "support/drawInput.h"
#include "support/listFixture.h"

namespace kelvra {
namespace {

using test::FeedbackPrimitive;
using test::ofKind;
using test::Pixel;
using test::visiblePolygons;
using test::windowOf;

class Sections : public test::ListView {
protected:
    void SetUp() override {
        ListView::SetUp();
        // A 6 x 5 grid, X = column, Y = row, Z = column + 2 * row (0..13).
        test::fillGrid(graph, 6, 5, [](int c, int r) { return c + 2.0 * r; });
        test::setScale(graph, 0, 0, 5);
        test::setScale(graph, 1, 0, 4);
        test::setScale(graph, 2, 0, 13);
    }
};

TEST_F(Sections, IndexIsHeldInsideTheGridOrZeroWithoutOneAndThePositionFollows) {
    graph.settings.graphType = 2;
    graph.settings.displayMode = DisplayXSection;
    graph.state.sectionIndexX = 17;   // as after a larger file or many key presses
    graph.settings.sectionPos[0] = 17;
    graph.compileGraph();
    EXPECT_EQ(graph.state.sectionIndexX, 5);
    EXPECT_DOUBLE_EQ(graph.settings.sectionPos[0], 5.0);

    graph.settings.displayMode = DisplayYSection;
    graph.state.sectionIndexY = 9;
    graph.compileGraph();
    EXPECT_EQ(graph.state.sectionIndexY, 4);
    EXPECT_DOUBLE_EQ(graph.settings.sectionPos[1], 4.0);

    // A smaller file: the next build brings both indices inside it.
    test::fillGrid(graph, 3, 2, [](int c, int r) { return 1.0; });
    graph.compileGraph();
    EXPECT_EQ(graph.state.sectionIndexY, 1);
    EXPECT_DOUBLE_EQ(graph.settings.sectionPos[1], 1.0);
    graph.settings.displayMode = DisplayXSection;
    graph.compileGraph();
    EXPECT_EQ(graph.state.sectionIndexX, 2);
    EXPECT_DOUBLE_EQ(graph.settings.sectionPos[0], 2.0);

    graph.state.sectionIndexX = -3;
    holdSectionOnGrid(graph.data, graph.settings, graph.state);
    EXPECT_EQ(graph.state.sectionIndexX, 0);
    EXPECT_DOUBLE_EQ(graph.settings.sectionPos[0], 0.0);

    // Without a grid the index is zero, the position stays and nothing is read.
    test::fillPoints(graph, Scattered, 3, {{1, 2, 3}});
    graph.state.sectionIndexX = 4;
    graph.settings.sectionPos[0] = 2.5;
    graph.compileGraph();
    EXPECT_EQ(graph.state.sectionIndexX, 0);
    EXPECT_DOUBLE_EQ(graph.settings.sectionPos[0], 2.5);
    EXPECT_TRUE(graphFeedback().empty());
}

TEST_F(Sections, APositionBetweenColumnsDrawsTheNearerColumnTiesTheLower) {
    graph.settings.graphType = 2;
    graph.settings.displayMode = DisplayXSection;
    AxisMapping map = graphMapping(graph.settings, graph.state.axisSpan);
    for (auto [pos, column] : {std::pair{2.5, 2}, std::pair{2.6, 3}, std::pair{-4.0, 0}}) {
        graph.settings.sectionPos[0] = pos;
        snapSections(graph.settings, graph.state, graph.data);
        graph.compileGraph();
        EXPECT_DOUBLE_EQ(graph.settings.sectionPos[0], column) << "position " << pos;
        auto lines = ofKind(graphFeedback(), FeedbackPrimitive::Line);
        ASSERT_FALSE(lines.empty());
        EXPECT_NEAR(lines[0].vertices[0].x, windowOf(map.world(0, column)), 0.01) << "position " << pos;
    }
}

TEST_F(Sections, LineRunsThroughTheRowsOfTheColumnOrTheColumnsOfTheRow) {
    graph.settings.graphType = 2;   // ﾜｲﾔｰﾌﾚｰﾑ
    graph.settings.displayMode = DisplayXSection;
    graph.state.sectionIndexX = 3;
    graph.compileGraph();
    AxisMapping map = graphMapping(graph.settings, graph.state.axisSpan);
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

    graph.settings.displayMode = DisplayYSection;
    graph.state.sectionIndexY = 7;   // held to row 4: Z = column + 8
    graph.compileGraph();
    lines = ofKind(graphFeedback(Side), FeedbackPrimitive::Line);
    ASSERT_EQ(lines.size(), 5u);   // six columns
    for (int c = 0; c < 5; ++c) {
        EXPECT_NEAR(lines[c].vertices[0].x, windowOf(map.world(0, c)), 0.01);
        EXPECT_NEAR(lines[c].vertices[0].y, windowOf(map.world(2, c + 8)), 0.01);
    }
    // The targets are the columns of the row, named by value index.
    for (int c = 0; c < 6; ++c)
        EXPECT_EQ(test::pickNames(graph, windowOf(map.world(0, c)), windowOf(map.world(1, 4))),
                  (std::vector<GLuint>{GLuint((4 * 6 + c) * 3)}))
            << "column " << c;
}

TEST_F(Sections, LineBreaksAtAHole) {
    graph.settings.graphType = 2;   // ﾜｲﾔｰﾌﾚｰﾑ
    graph.settings.displayMode = DisplayXSection;
    graph.state.sectionIndexX = 3;
    graph.data.point(2 * 6 + 3)[2] = NAN;   // row 2 of the column
    graph.compileGraph();
    AxisMapping map = graphMapping(graph.settings, graph.state.axisSpan);
    auto lines = ofKind(graphFeedback(Side), FeedbackPrimitive::Line);
    ASSERT_EQ(lines.size(), 2u);   // rows 0-1 and 3-4; nothing reaches row 2
    for (const FeedbackPrimitive& line : lines)
        for (const auto& v : line.vertices) EXPECT_NE(std::lround(v.y), std::lround(windowOf(map.world(2, 3 + 2 * 2))));
}

TEST_F(Sections, PointsTakeEveryPointOfTheSectionInsideTheBoxColouredByPointLevel) {
    graph.settings.graphType = 3;   // 点(ｶﾗｰ)
    graph.settings.pointSize = 7;
    graph.settings.wireIntervalY = 3;   // the grid thinning does not apply to sections
    graph.settings.displayMode = DisplayXSection;
    graph.state.sectionIndexX = 2;
    test::setScale(graph, 2, 0, 9);   // Z = 10 (row 4 of column 2) lies above the box
    graph.compileGraph();
    AxisMapping map = graphMapping(graph.settings, graph.state.axisSpan);
    auto points = ofKind(graphFeedback(), FeedbackPrimitive::Point);
    ASSERT_EQ(points.size(), 4u);   // rows 0..3: Z = 2, 4, 6, 8
    for (int r = 0; r < 4; ++r) EXPECT_NEAR(points[r].vertices[0].y, windowOf(map.world(1, r)), 0.01);

    // Z = 4 lies on the top of level 4 and takes level 5.
    drawGraph();
    Pixel got = test::pixelAt(int(windowOf(map.world(0, 2))), int(windowOf(map.world(1, 1))));
    EXPECT_TRUE(test::near(got, levelColor(5))) << got;

    // Targets: every row inside the box, named by value index, none for rows above it.
    for (int r = 0; r < 5; ++r) {
        auto names = test::pickNames(graph, windowOf(map.world(0, 2)), windowOf(map.world(1, r)));
        if (r < 4) EXPECT_EQ(names, (std::vector<GLuint>{GLuint((r * 6 + 2) * 3)})) << "row " << r;
        else EXPECT_TRUE(names.empty());
    }
    // Neighbouring columns are no targets in a section display.
    EXPECT_TRUE(test::pickNames(graph, windowOf(map.world(0, 3)), windowOf(map.world(1, 1))).empty());
}

// ---- the band under the curve and the cut surface ----

class SectionBand : public Sections {
protected:
    void SetUp() override {
        Sections::SetUp();
        graph.settings.graphType = 0;   // 等高線(ｶﾗｰ)
        graph.settings.displayMode = DisplayYSection;
        graph.state.sectionIndexY = 2;   // Z = column + 4: 4..9; the data runs 0..13
        test::setScale(graph, 3, 0, 13);   // the legend over the data: 20 levels of 0.65
    }
    void build() {
        graph.compileGraph();
        ctx = graph.context();
        map = ctx.map;
    }

    BuildContext ctx;
    AxisMapping map;
};

TEST_F(SectionBand, RunsFromTheDataMinimumUpToTheCurveInLevelColours) {
    struct Probe {
        double x, z;
        int entry;   // -1: white
    };
    struct Case {
        const char* name;
        double legendMin;
        int reverseZ;
        double bottom;   // Z where the band starts
        Probe probes[3];
    } cases[] = {
        // Level 1 at the bottom; just under the curve at X = 2.5 (Z 6.5) the
        // level of Z = 6.3, level 10 (6.3 / 0.65 = 9.7); nothing above it.
        {"plain", 0, 0, 0, {{2.5, 0.3, 1}, {2.5, 6.3, 10}, {2.5, 7.0, -1}}},
        // The bottom corners take the level of the data minimum (half-way up
        // the legend), so no level crossing falls outside a quad.
        {"legend reaching below the data", -13, 0, 0, {{2.5, 7.0, -1}, {2.5, 7.0, -1}, {2.5, 7.0, -1}}},
        // The maximum, 13, is at the bottom of the box and in the top level.
        {"reversed Z", 0, 1, 13, {{2.5, 12.8, 20}, {2.5, 12.8, 20}, {2.5, 12.8, 20}}},
    };
    for (const Case& k : cases) {
        test::setScale(graph, 3, k.legendMin, 13);
        graph.settings.scaleReverse[2] = k.reverseZ;
        build();
        // The band alone, seen with Z up the screen and X across.
        auto polygons = visiblePolygons(test::captureFeedback([&] {
            turn(Side);
            drawSectionFill(test::drawInput(graph, ctx), 1);
        }));
        ASSERT_FALSE(polygons.empty()) << k.name;
        for (int c = 0; c < 6; ++c) {
            // Lowest and highest window y of the band's vertices at column c.
            float lo = 1e9f, hi = -1e9f;
            for (const auto& p : polygons)
                for (const auto& v : p.vertices)
                    if (std::fabs(v.x - windowOf(map.world(0, c))) < 0.01) lo = std::min(lo, v.y), hi = std::max(hi, v.y);
            EXPECT_NEAR(lo, windowOf(map.world(2, k.bottom)), 0.01) << k.name << ", column " << c;
            EXPECT_NEAR(hi, windowOf(map.world(2, c + 4)), 0.01) << k.name << ", column " << c;
        }
        drawGraph(Side);
        for (const Probe& p : k.probes) {
            Pixel got = test::pixelAt(int(windowOf(map.world(0, p.x))), int(windowOf(map.world(2, p.z))));
            const Rgb& c = ctx.levels.colors[std::max(p.entry, 0)];
            Pixel expected = p.entry < 0 ? Pixel{255, 255, 255}
                                         : Pixel{int(std::lround(c.r * 255)), int(std::lround(c.g * 255)),
                                                 int(std::lround(c.b * 255))};
            EXPECT_TRUE(test::near(got, expected)) << k.name << ", Z = " << p.z << ": " << got << " not " << expected;
        }
    }
}

TEST_F(SectionBand, CutKeepsLowerXForAnXSectionAndHigherYForAYSection) {
    struct Case {
        int axis, reversed;
        double from, to;   // the kept part, in grid columns (X) or rows (Y)
    };
    const Case cases[] = {{0, 0, 0, 2}, {0, 1, 2, 5}, {1, 0, 2, 4}, {1, 1, 0, 2}};
    graph.state.sectionIndexX = 2;
    graph.state.sectionIndexY = 2;
    for (const Case& k : cases) {
        graph.settings.scaleReverse[0] = graph.settings.scaleReverse[1] = 0;
        graph.settings.scaleReverse[k.axis] = k.reversed;
        ctx = graph.context();
        auto polygons = visiblePolygons(test::captureFeedback([&] {
            turn(Top);
            drawSectionCut(test::drawInput(graph, ctx), k.axis);
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
    graph.settings.graphType = 1;   // 等高線(ｶﾗｰ，形状付き)
    graph.settings.displayMode = DisplayXSection;
    graph.state.sectionIndexX = 2;
    build();
    drawGraph();
    int y = int(windowOf(map.world(1, 1.5)));
    EXPECT_NE(test::pixelAt(int(windowOf(map.world(0, 1))), y), (Pixel{255, 255, 255}));
    EXPECT_EQ(test::pixelAt(int(windowOf(map.world(0, 4))), y), (Pixel{255, 255, 255}));
}

}  // namespace
}  // namespace kelvra
