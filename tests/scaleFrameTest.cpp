// The scale frame and the axis indicator: the angle table, tick places on linear and log axes
// (Z from one step up), the numbers at the ticks (also reversed), which axis loses its ticks in
// a view along it, inside/outside/no ticks, the floor projection, hostile scales, the section
// caption, the 2-D frame's plane and a label that starts left of the window. Geometry is read
// back through GL feedback in the builder's own coordinates; texts through the label trace.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/drawInput.h"
#include "view/kelvraView.h"
#include "render/scaleFrame.h"
#include "support/glFixture.h"
#include "support/gridFixture.h"

namespace kelvra {
namespace {

using P3 = std::array<double, 3>;
struct Line {
    P3 a, b, rgb;
};

bool near(double a, double b) { return std::fabs(a - b) < 1e-4; }
// Coordinates in thousandths, so that places read as whole numbers: "-375,-600,-540".
std::string milli(const P3& p) {
    return std::to_string(std::lround(p[0] * 1000)) + "," + std::to_string(std::lround(p[1] * 1000)) + "," +
           std::to_string(std::lround(p[2] * 1000));
}

TEST(AngleTable, InterpolatesBetweenTheEightDirectionsAndFrom315BackTo0) {
    const double t[8] = {0, 10, 20, 30, 40, 50, 60, 70};
    const std::pair<int, double> cases[] = {
        {0, 0},    {45, 10},  {22, 22 * 10 / 45.0}, {300, 60 + 30 * 10 / 45.0}, {315, 70}, {337, 70 - 70 * 22 / 45.0},
        {359, 70 - 70 * 44 / 45.0}, {360, 0}, {-45, 70}, {405, 10}};   // other angles are the same directions
    for (const auto& [angle, expected] : cases) EXPECT_DOUBLE_EQ(angleTable(t, angle), expected) << angle;
}

// Three axes whose value texts cannot be confused, each mapped onto -0.5..0.5:
// X 0..10 step 2, Y 20..40 step 10, Z 0..1 step 0.25; seen from 300 / 0 degrees.
class Frame : public ::testing::Test {
protected:
    void SetUp() override {
        GL_TEST_REQUIRE_CONTEXT(400, 400);
        view.data.dataLoaded = true;
        view.lists.labelTrace = &labels;
        view.settings.viewAngleZ = 0;
        grid.scale(0, 0, 10, 2);
        grid.scale(1, 20, 40, 10);
        grid.scale(2, 0, 1, 0.25);
    }
    // Runs a builder (the 3-D frame unless told) and keeps its lines in the builder's coordinates,
    // the tick marks (black, 0.03 long along one axis) by direction and the label texts by role.
    // Drawn directly: Mesa's feedback returns only the first of a display list's merged primitives.
    void build(std::function<void()> builder = nullptr) {
        labels.clear();
        lines.clear();
        ticks.clear();
        texts.clear();
        counts.clear();
        view.resizeViewport(400, 400);   // world -1..1 on 400 pixels, depth -50..50
        glLoadIdentity();
        auto at = [](const test::FeedbackVertex& v) { return P3{v.x / 200 - 1, v.y / 200 - 1, 50 - 100 * v.z}; };
        for (const auto& p : test::captureFeedback(builder ? builder : [&] { drawScaleFrame3D(view.settings, view.state, view.textOut()); })) {
            if (p.kind != test::FeedbackPrimitive::Line) continue;
            const Line& l = lines.emplace_back(at(p.vertices[0]), at(p.vertices[1]),
                                               P3{p.vertices[0].r, p.vertices[0].g, p.vertices[0].b});
            double length = std::hypot(l.b[0] - l.a[0], l.b[1] - l.a[1], l.b[2] - l.a[2]);
            for (int c = 0; c < 3; ++c)
                if (l.rgb[0] == 0 && near(length, 0.03) && near(std::fabs(l.b[c] - l.a[c]), 0.03))
                    ticks[std::string(l.b[c] > l.a[c] ? "+" : "-") + char('x' + c)] += " " + milli(l.a);
        }
        for (const auto& [dir, starts] : ticks) counts += dir + std::to_string(std::ranges::count(starts, ' ')) + " ";
        for (const auto& l : labels) texts[l.role] += l.text + " ";
    }
    int count(const std::function<bool(const Line&)>& which) const { return int(std::ranges::count_if(lines, which)); }
    int grey() const { return count([](const Line& l) { return l.rgb[0] > 0.4; }); }

    test::GridView grid;
    CKelvraView& view = grid.view;
    std::vector<PlacedLabel> labels;
    std::vector<Line> lines;
    std::map<std::string, std::string> ticks;   // direction: " x,y,z x,y,z ..." of the starts, in thousandths
    std::string counts;                         // how many ticks point each way: "+x3 -x4 -y6 "
    std::map<int, std::string> texts;           // role: "text text ..." in the order placed
};

TEST_F(Frame, TicksAndValuesStandAtEveryStepOnLinearLogAndReversedAxes) {
    build();
    EXPECT_EQ(counts, "+x3 -x4 -y6 ");
    EXPECT_EQ(ticks["-y"], " -500,-500,-500 -300,-500,-500 -100,-500,-500 100,-500,-500 300,-500,-500 500,-500,-500");
    EXPECT_EQ(ticks["+x"], " 500,-500,-500 500,0,-500 500,500,-500");   // Y on the right edge
    EXPECT_EQ(ticks["-x"], " -500,-500,-250 -500,-500,0 -500,-500,250 -500,-500,500");   // Z: none at the floor
    EXPECT_EQ(texts[RoleScaleValue], "0.000 2.000 4.000 6.000 8.000 10.00 20.00 30.00 40.00 0.250 0.500 0.750 1.000 ");

    // Log X and Z (1..1000 step 10), X and Y reversed: values count from the maximum down.
    view.settings.scaleLog[0] = view.settings.scaleReverse[0] = view.settings.scaleReverse[1] = view.settings.scaleLog[2] = 1;
    grid.scale(0, 1, 1000, 10);
    grid.scale(2, 1, 1000, 10);
    build();
    EXPECT_EQ(ticks["-y"], " -500,-500,-500 -167,-500,-500 167,-500,-500 500,-500,-500");   // even in ln space
    EXPECT_EQ(ticks["-x"], " -500,-500,-167 -500,-500,167 -500,-500,500");
    EXPECT_EQ(texts[RoleScaleValue], "1.000e+03 100.0 10.00 1.000 40.00 30.00 20.00 10.00 100.0 1.000e+03 ");
    EXPECT_LT(labels[0].x, labels[3].x);   // the maximum at the box's low end
    build([&] { drawAxisIndicator(view.settings, view.textOut()); });   // the axis indicator's Y arrow turns too
    EXPECT_EQ(count([](const Line& l) { return milli(l.a) + " " + milli(l.b) == "0,0,0 0,-200,0"; }), 1);
}

TEST_F(Frame, TicksPointOutInOrNowhereAndViewsAlongAnAxisDropThatAxis) {
    struct Case {
        int angleX, angleZ, ticks;
        const char* counts;
        int values, outlines, shortened;
    } cases[] = {
        {300, 0, 1, "+y10 -x3 ", 13, 0, 13},     // inside (outside: the test above): X and Z along +Y, Y along -X
        {300, 0, 2, "", 13, 0, 0},              // none: the values stay
        {270, 0, 0, "-x4 -z6 ", 10, 8, 0},       // along Y: X ticks hang down, Z ticks point left
        {270, 180, 1, "+x4 +z6 ", 10, 8, 7},     // X ticks stand off the floor: its grid keeps its end
        {270, 90, 0, "-y4 -z3 ", 7, 8, 0},       // along X: Y ticks stand vertically
        {270, 270, 1, "+y4 +z3 ", 7, 8, 7},
        {270, 91, 0, "-x4 -z9 ", 13, 0, 0},      // one degree off keeps every axis
        {0, 0, 0, "+x3 -y6 ", 9, 0, 0},          // along Z (top view): nothing stands in
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.angleX << "/" << c.angleZ << " ticks " << c.ticks);
        view.settings.viewAngleX = c.angleX;
        view.settings.viewAngleZ = c.angleZ;
        view.settings.scaleTicks[0] = view.settings.scaleTicks[1] = view.settings.scaleTicks[2] = TickStyle(c.ticks);
        build();
        EXPECT_EQ(counts, c.counts);
        EXPECT_EQ(std::ranges::count_if(labels, [](auto& l) { return l.role == RoleScaleValue; }), c.values);
        // Outlines half a step beyond the ends (X 0.6, Y 0.75) stand in for the ticks of X or Y seen end-on.
        EXPECT_EQ(count([](const Line& l) { return near(std::fabs(l.a[0]), 0.6) && near(l.a[0], l.b[0]); }) +
                      count([](const Line& l) { return near(std::fabs(l.a[1]), 0.75) && near(l.a[1], l.b[1]); }),
                  c.outlines);
        // Inside ticks get room: grid lines stop 0.03 short of the front edge (X, Z) or the right edge (Y).
        EXPECT_EQ(count([](const Line& l) { return near(l.a[1], -0.47) || (near(l.b[0], 0.47) && !near(l.a[0], 0.5)); }),
                  c.shortened);
    }
}

TEST_F(Frame, FloorProjectionLeavesOnlyTheEdgeLinesOnTheFloor) {
    view.settings.xyContourMode = XyContourFill;
    build();
    EXPECT_EQ(grey(), 4 + 1 + 3 * 2);   // the wall parts
    EXPECT_EQ(count([](const Line& l) { return l.rgb[0] > 0.4 && near(l.a[2] + l.b[2], -1); }), 0);
    build([&] { drawScaleFrame2D(view.settings, view.state, view.textOut(), -1.0); });
    EXPECT_EQ(grey(), 0);   // the whole 2-D plot is floor
}

TEST_F(Frame, HostileScalesNeitherLoopNorFlood) {
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    // No X ticks or values at all: a million ticks draw none, and so do steps lost in rounding.
    const double cases[][3] = {{0, 10, 0}, {0, 10, -2}, {0, 10, nan}, {nan, 10, 1}, {0, inf, 1},
                               {-1e300, 1e300, 1e-300}, {0, 1e6, 1}, {1e20, 1e20 + 1, 1}};
    for (const auto& c : cases) {
        grid.scale(0, c[0], c[1], c[2]);
        view.state.axisSpan[0] = 10;
        build();
        EXPECT_TRUE(ticks["-y"].empty() && labels.size() <= 3 + 4) << c[0] << " " << c[1] << " " << c[2];
    }
    grid.scale(2, 0, 999, 1);   // up to the limit of 1000 ticks an axis is still drawn whole
    build();
    EXPECT_EQ(counts, "+x3 -x999 ");
    view.settings.scaleLog[2] = 1;   // a log axis over a range that reaches zero cannot be mapped: no box at all
    grid.scale(2, 0, 100, 10);
    build();
    EXPECT_TRUE(lines.empty() && labels.empty());
}

TEST_F(Frame, SectionViewsNameTheirSectionAboveTheBox) {
    view.settings.sectionPos[0] = 2.5;
    view.settings.sectionUnit[0] = "mm";
    std::string captions;   // the last value label of each display, and its height
    for (DisplayMode mode : {DisplayXSection, DisplayYSection, Display3D}) {
        view.settings.displayMode = mode;
        build();
        captions += labels.back().text + "@" + std::to_string(std::lround(labels.back().z * 1000)) + " ";
    }
    EXPECT_EQ(captions, "X=2.500mm@640 Y=0.000@640 1.000@480 ");   // 0.14 above the box; in 3-D Z's top value
}

TEST_F(Frame, TwoDFrameLiesInThePlaneOfZeroOrTheGivenOneWhenZIsFlat) {
    grid.scale(2, -1, 3, 1);   // the value 0 at world z -0.25
    build([&] { drawScaleFrame2D(view.settings, view.state, view.textOut(), -1.0); });
    EXPECT_EQ(counts, "-x3 -y6 ");   // X along the bottom edge, Y along the left edge
    EXPECT_EQ(ticks["-x"], " -500,-500,-250 -500,0,-250 -500,500,-250");
    EXPECT_EQ(grey(), 4 + 1);
    grid.scale(2, 3, 3, 1);
    build([&] { drawScaleFrame2D(view.settings, view.state, view.textOut(), -1.0); });
    EXPECT_EQ(ticks["-x"], " -500,-500,-1000 -500,0,-1000 -500,500,-1000");
}

// The scene draws the frame directly, so a value label whose start lies left of the window
// (the graph moved) still shows its visible part.
TEST_F(Frame, LabelStartingLeftOfTheWindowShowsItsVisiblePart) {
    GL_TEST_REQUIRE_CONTEXT(400, 300);
    view.initGlState();
    view.settings.scaleShow = 1;
    view.settings.viewAngleX = 270;   // front view: Z values left of the box at x0 - 0.2
    view.settings.viewPosX = -76;     // x0 at world -0.88: the labels start at -1.08, left of -1
    view.paint(400, 300);
    // The label's baseline is at world y = 0.23 (pixel row 196); look just above it, left of the ticks.
    int dark = 0;
    for (int x = 0; x < 12; ++x)
        for (int y = 194; y < 212; ++y) dark += test::pixelAt(x, y).r < 128;
    EXPECT_GT(dark, 5);
}

}  // namespace
}  // namespace kelvra
