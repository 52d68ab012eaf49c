// The colour legend and the title: cells, outline, boundary lines and value
// labels for short and long legends and for a logarithmic one; the unit only
// when there is one; the cells' colours and places on screen; which legend
// (colour, grey or none) the graph choice shows.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/headlessHost.h"
#include "core/kelvraView.h"
#include "render/levels.h"
#include "render/scaleFrame.h"
#include "support/glFixture.h"

namespace kelvra {
namespace {

using test::Pixel;

constexpr int kSize = 400;
constexpr double kTol = 1e-4;

// Index of a level count in the legend's step table.
int levelIndex(int n) {
    for (int i = 0; i < kLevelCountChoices; ++i)
        if (kLevelCounts[i] == n) return i;
    return -1;
}

// Runs the legend builder as the display-list builder does for a colour legend
// and reads back what it draws, in the legend's own coordinates.
class LegendBuild : public ::testing::Test {
protected:
    void SetUp() override {
        GL_TEST_REQUIRE_CONTEXT(kSize, kSize);
        host.printMessages = false;
        view.labelTrace = &labels;
        view.scaleMin[3] = 0;
        view.scaleMax[3] = 100;
    }
    void build(int n) {
        view.scaleStep[3] = levelIndex(n);
        BuildContext ctx = view.makeBuildContext();
        ASSERT_EQ(ctx.levels.levelCount, n);
        labels.clear();
        cells.clear();
        lines.clear();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-2, 2, -2, 2, -10, 10);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslated(-1, -1, 0);   // the bar is 1.75 high: keep it in view
        // Drawn directly: feedback of a display list may lose merged primitives.
        auto prims = test::captureFeedback(
            [&] { view.buildLegend(n, ctx.levels.levelStep, ctx.legendBandHeight, ctx.levels.colors); });
        for (const auto& p : prims) {
            if (p.kind == test::FeedbackPrimitive::Polygon) cells.push_back(p.vertices);
            if (p.kind == test::FeedbackPrimitive::Line) lines.push_back(p.vertices);
        }
    }
    // Window coordinates back to the list's own (translated by (-1, -1) above).
    static double listX(const test::FeedbackVertex& v) { return -2 + v.x / kSize * 4 + 1; }
    static double listY(const test::FeedbackVertex& v) { return -2 + v.y / kSize * 4 + 1; }

    // Horizontal black lines from x = w to just left of the bar.
    int boundaryLines() const {
        int n = 0;
        double w = view.legendWidth * 0.005;
        for (const auto& l : lines)
            n += std::fabs(listX(l[0]) - w) < kTol && std::fabs(listX(l[1]) + 0.0005) < kTol;
        return n;
    }
    std::vector<std::string> texts(int role) const {
        std::vector<std::string> out;
        for (const auto& l : labels)
            if (l.role == role) out.push_back(l.text);
        return out;
    }
    // Distinct cells: polygons may reach feedback split in triangles.
    int cellCount() const {
        std::vector<double> bottoms;
        for (const auto& c : cells) {
            double low = 1e9;
            for (const auto& v : c) low = std::fmin(low, listY(v));
            bool seen = false;
            for (double b : bottoms) seen = seen || std::fabs(b - low) < kTol;
            if (!seen) bottoms.push_back(low);
        }
        return int(bottoms.size());
    }

    HeadlessHost host{{kSize, kSize}};
    CKelvraView view{host};
    std::vector<PlacedLabel> labels;
    std::vector<std::vector<test::FeedbackVertex>> cells, lines;
};

TEST_F(LegendBuild, TwentyLevelsHaveACellABoundaryAndALabelEach) {
    build(20);
    EXPECT_EQ(cellCount(), 20);
    EXPECT_EQ(boundaryLines(), 21);
    auto values = texts(RoleLegendValue);
    ASSERT_EQ(values.size(), 21u);
    EXPECT_EQ(values.front(), "0.000");
    EXPECT_EQ(values[1], "5.000");
    EXPECT_EQ(values.back(), "100.0");
    // Labels beside the boundaries: (w + 0.02, i c - 0.02), c = 350 * 0.005 / 20.
    double c = 350 * 0.005 / 20;
    EXPECT_NEAR(labels[3].x, 20 * 0.005 + 0.02, kTol);
    EXPECT_NEAR(labels[3].y, 3 * c - 0.02, kTol);
}

TEST_F(LegendBuild, FortyLevelsLabelEverySecondBoundaryWithoutLines) {
    build(40);
    EXPECT_EQ(cellCount(), 40);
    EXPECT_EQ(boundaryLines(), 0);
    auto values = texts(RoleLegendValue);
    ASSERT_EQ(values.size(), 21u);
    EXPECT_EQ(values[1], "5.000");
    EXPECT_NEAR(labels[1].y, 2 * (350 * 0.005 / 40) - 0.02, kTol);
    EXPECT_EQ(values.back(), "100.0");
}

TEST_F(LegendBuild, FourHundredEightyLevelsLabelEvery24thBoundary) {
    build(480);
    EXPECT_EQ(cellCount(), 480);
    EXPECT_EQ(boundaryLines(), 0);
    auto values = texts(RoleLegendValue);
    ASSERT_EQ(values.size(), 21u);
    EXPECT_NEAR(labels[1].y, 24 * (350 * 0.005 / 480) - 0.02, kTol);
    EXPECT_NEAR(labels[20].y, 350 * 0.005 - 0.02, kTol);
}

TEST_F(LegendBuild, LogLegendLabelsGeometricSteps) {
    view.scaleLog[3] = 1;
    view.scaleMin[3] = 1;
    view.scaleMax[3] = 1000;
    build(5);
    EXPECT_EQ(texts(RoleLegendValue),
              (std::vector<std::string>{"1.000", "3.981", "15.85", "63.10", "251.2", "1.000e+03"}));
}

TEST_F(LegendBuild, UnitOnlyWhenSetAndValuesOnlyWhenShown) {
    build(10);
    EXPECT_TRUE(texts(RoleLegendUnit).empty());
    view.scaleUnit[3] = "kPa";
    view.scaleShowValues[3] = 0;
    build(10);
    EXPECT_TRUE(texts(RoleLegendValue).empty());
    ASSERT_EQ(texts(RoleLegendUnit), (std::vector<std::string>{"kPa"}));
    EXPECT_NEAR(labels[0].x, 0.1 + 0.01, kTol);
    EXPECT_NEAR(labels[0].y, 350 * 0.005 + 0.055, kTol);
    // The bar and its outline stay.
    EXPECT_EQ(cellCount(), 10);
    EXPECT_EQ(boundaryLines(), 11);
}

TEST_F(LegendBuild, NoLevelCountDrawsNothing) {
    EXPECT_TRUE(test::captureFeedback([&] { view.buildLegend(0, 1.0, 0.1, nullptr); }).empty());
    EXPECT_TRUE(labels.empty());
}

// ---- on screen --------------------------------------------------------------------------

constexpr int kW = 775, kH = 550;

// A loaded view showing only the legend, anchored to the right at 100 %.
class LegendPicture : public ::testing::Test {
protected:
    void SetUp() override {
        GL_TEST_REQUIRE_CONTEXT(kW, kH);
        host.printMessages = false;
        view.initGlState();
        view.dataLoaded = true;
        view.dataKind = Grid;
        view.axisShow = 0;
        view.scaleShow = 0;
        view.scaleShowValues[3] = 0;
        view.layoutAnchoredOverlays();
    }
    void draw() {
        view.buildDisplayLists();
        view.paint(kW, kH);
    }
    // Colour at the middle of cell i (1..n) of an n-level bar, and just left of the bar.
    Pixel cell(int i, int n) const {
        // Left edge W/2 - 112.5 px from the centre, 20 px wide; bottom 175 px below the centre.
        double x = kW / 2.0 + kW / 2.0 - 112.5 + 10;
        double y = kH / 2.0 - 175 + (i - 0.5) * 350.0 / n;
        return test::pixelAt(int(x), int(y));
    }
    Pixel besideBar() const { return test::pixelAt(int(kW - 112.5 - 5), kH / 2); }
    static Pixel bytes(const Rgb& c) { return {int(c.r * 255 + 0.5), int(c.g * 255 + 0.5), int(c.b * 255 + 0.5)}; }

    HeadlessHost host{{kW, kH}};
    CKelvraView view{host};
};

TEST_F(LegendPicture, CellsShowTheLevelColoursBottomUpAtTheRightSide) {
    view.scaleStep[3] = 1;   // 5 levels, 70 px each
    draw();
    Rgb colors[kMaxLevelCount + 1];
    ASSERT_EQ(buildLevelColors(view.legendColors, 0, 0, 1, colors), 5);
    for (int i = 1; i <= 5; ++i) EXPECT_TRUE(test::near(cell(i, 5), bytes(colors[i]))) << "cell " << i << ": " << cell(i, 5);
    EXPECT_EQ(besideBar(), (Pixel{255, 255, 255}));
    // The outline: black along the bar's top edge (the pixel row just below y = 450).
    EXPECT_EQ(test::pixelAt(int(kW - 112.5 + 10), kH / 2 + 175 - 1), (Pixel{0, 0, 0}));
    EXPECT_EQ(test::pixelAt(int(kW - 112.5 + 10), kH / 2 + 175 + 1), (Pixel{255, 255, 255}));

    // Reversed, the first cell carries the last colour.
    view.legendReverse = 1;
    view.scaleStep[3] = 3;
    draw();
    EXPECT_TRUE(test::near(cell(1, 20), bytes(view.legendColors[20]))) << cell(1, 20);
}

TEST_F(LegendPicture, GraphChoiceDecidesColourGreyOrNone) {
    view.scaleStep[3] = 1;
    const Pixel colour2 = bytes(view.legendColors[6]);   // 5 levels: cell 2 is source colour 6
    const Pixel grey2 = bytes(kGreyLevelSource[6]);
    const Pixel white{255, 255, 255};
    struct Case {
        int mode, kind, valuesPerPoint, type, floor;
        Pixel expected;
        const char* what;
    } cases[] = {
        {0, Grid, 3, 0, 0, colour2, "colour contour fill"},
        {0, Grid, 3, 2, 1, grey2, "grey fill keeps its grey legend under a colour floor"},
        {0, Grid, 3, 15, 0, grey2, "grey points"},
        {0, Grid, 3, 12, 0, white, "wireframe has no legend"},
        {0, Grid, 3, 12, 3, colour2, "wireframe over coloured floor lines"},
        {1, Grid, 3, 17, 6, grey2, "shape over a grey floor, 2-D"},
        {0, Scattered, 3, 1, 0, grey2, "grey scattered points"},
        {0, Scattered, 3, 2, 4, white, "black points over single-colour floor lines"},
        {0, Vectors, 6, 5, 0, colour2, "vectors"},
        {2, Grid, 3, 3, 0, colour2, "section points"},
        {2, Grid, 3, 2, 2, grey2, "section wireframe over a grey floor"},
        {3, Grid, 4, 1, 0, colour2, "section points with a data value"},
        {3, Grid, 4, 0, 0, white, "section wireframe with a data value"},
        {0, PointValues, 4, 0, 5, colour2, "no graph, coloured floor"},
    };
    for (const Case& c : cases) {
        view.displayMode = c.mode;
        view.dataKind = c.kind;
        view.valuesPerPoint = c.valuesPerPoint;
        view.graphType = c.type;
        view.xyContourMode = c.floor;
        draw();
        EXPECT_TRUE(test::near(cell(2, 5), c.expected)) << c.what << ": " << cell(2, 5);
    }
}

// ---- the title ----------------------------------------------------------------------------

TEST(Title, StandsAtItsPositionPlusTheGraphOffsetOnlyWhenSet) {
    GL_TEST_REQUIRE_CONTEXT(kSize, kSize);
    HeadlessHost host({kSize, kSize});
    host.printMessages = false;
    CKelvraView view(host);
    std::vector<PlacedLabel> labels;
    view.labelTrace = &labels;
    view.drawTitle();
    EXPECT_TRUE(labels.empty());
    view.titleText = " ";
    view.viewPosX = 10;
    view.viewPosY = -20;
    glLoadIdentity();
    view.drawTitle();
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_EQ(labels[0].role, RoleTitle);
    EXPECT_NEAR(labels[0].x, (-50 + 10) * 0.005, kTol);
    EXPECT_NEAR(labels[0].y, (180 - 20) * 0.005, kTol);
    // The modelview is left as it was found.
    GLdouble m[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, m);
    EXPECT_EQ(m[12], 0.0);
    EXPECT_EQ(m[0], 1.0);
}

}  // namespace
}  // namespace kelvra
