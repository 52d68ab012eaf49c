// The scale frame and the axis indicator: the angle table, where grid lines and
// ticks fall on linear and logarithmic axes, which numbers stand at the ticks
// (also on reversed axes), where units and labels go, which axis loses its
// ticks in a view along it, the 2-D frame's plane, and scales that a hostile
// settings file could set. Geometry is read back through GL feedback in the
// list's own coordinates; texts through the view's label trace.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "core/headlessHost.h"
#include "core/kelvraView.h"
#include "render/scaleFrame.h"
#include "support/glFixture.h"
#include "support/gridFixture.h"
#include "support/testFiles.h"

namespace kelvra {
namespace {

constexpr int kSize = 400;
constexpr double kTol = 1e-4;

TEST(AngleTable, InterpolatesBetweenTheEightDirections) {
    const double t[8] = {0, 10, 20, 30, 40, 50, 60, 70};
    EXPECT_DOUBLE_EQ(angleTable(t, 0), 0);
    EXPECT_DOUBLE_EQ(angleTable(t, 45), 10);
    EXPECT_DOUBLE_EQ(angleTable(t, 22), 22 * 10 / 45.0);
    EXPECT_DOUBLE_EQ(angleTable(t, 90), 20);
    EXPECT_DOUBLE_EQ(angleTable(t, 300), 60 + 30 * 10 / 45.0);
    const double u[8] = {1, -1, 1, -1, 1, -1, 1, -1};
    EXPECT_DOUBLE_EQ(angleTable(u, 67), -1 + 22 * 2 / 45.0);
}

TEST(AngleTable, ClosesTheCircleFrom315BackTo0) {
    const double t[8] = {0, 10, 20, 30, 40, 50, 60, 70};
    EXPECT_DOUBLE_EQ(angleTable(t, 315), 70);
    EXPECT_DOUBLE_EQ(angleTable(t, 337), 70 - 70 * 22 / 45.0);
    EXPECT_DOUBLE_EQ(angleTable(t, 359), 70 - 70 * 44 / 45.0);
    EXPECT_DOUBLE_EQ(angleTable(t, 360), 0);
    // Angles outside 0..359 are the same directions.
    EXPECT_DOUBLE_EQ(angleTable(t, -45), 70);
    EXPECT_DOUBLE_EQ(angleTable(t, 405), 10);
}

struct Point3 {
    double x, y, z;
};
struct Line {
    Point3 a, b;
    double grey;   // red channel of the line's colour: 0 black, 0.5 grey
    double g, b_;  // green and blue
};

bool near(double a, double b) { return std::fabs(a - b) < kTol; }
bool near(const Point3& p, double x, double y, double z) { return near(p.x, x) && near(p.y, y) && near(p.z, z); }

// The view with three axes whose value texts cannot be confused:
// X 0..10 step 2, Y 20..40 step 10, Z 0..1 step 0.25; each maps onto -0.5..0.5.
class FrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        GL_TEST_REQUIRE_CONTEXT(kSize, kSize);
        host.printMessages = false;
        view.dataLoaded = true;
        view.labelTrace = &labels;
        view.viewAngleX = 300;
        view.viewAngleZ = 0;
        setAxis(0, 0, 10, 2);
        setAxis(1, 20, 40, 10);
        setAxis(2, 0, 1, 0.25);
    }
    void setAxis(int a, double lo, double hi, double step) {
        view.scaleMin[a] = lo;
        view.scaleMax[a] = hi;
        view.scaleStep[a] = step;
        view.axisSpan[a] = hi - lo;
    }

    // Runs the 3-D or 2-D frame builder (or the axis indicator's) and keeps its
    // lines and polygons in the builder's own coordinates.
    enum class Build { Frame3D, Frame2D, Indicator };
    void build(Build what) {
        labels.clear();
        lines.clear();
        polygons.clear();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-2, 2, -2, 2, -10, 10);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        // Drawn directly: Mesa merges consecutive primitives of a display list,
        // and its feedback path then returns only the first of each merged run.
        auto prims = test::captureFeedback([&] {
            if (what == Build::Frame3D) view.buildScaleFrame3D();
            if (what == Build::Frame2D) view.buildScaleFrame2D(-1.0);
            if (what == Build::Indicator) view.buildAxisIndicator();
        });
        auto unproject = [](const test::FeedbackVertex& v) {
            // Window to object coordinates under the ortho volume above.
            return Point3{-2 + v.x / kSize * 4, -2 + v.y / kSize * 4, -10 * (2 * v.z - 1)};
        };
        for (const auto& p : prims) {
            if (p.kind == test::FeedbackPrimitive::Line)
                lines.push_back({unproject(p.vertices[0]), unproject(p.vertices[1]), p.vertices[0].r,
                                 p.vertices[0].g, p.vertices[0].b});
            if (p.kind == test::FeedbackPrimitive::Polygon) {
                std::vector<Point3> poly;
                for (const auto& v : p.vertices) poly.push_back(unproject(v));
                polygons.push_back(poly);
            }
        }
    }

    // Black segments kTickLength long from `from` along `dir` (unit axis vector).
    int ticksFrom(const Point3& from, double dx, double dy, double dz) const {
        int n = 0;
        for (const Line& l : lines) {
            if (l.grey != 0) continue;
            if (near(l.a, from.x, from.y, from.z) &&
                near(l.b, from.x + dx * 0.03, from.y + dy * 0.03, from.z + dz * 0.03))
                ++n;
        }
        return n;
    }
    // Tick marks of any direction: black lines 0.03 long.
    int tickCount() const {
        int n = 0;
        for (const Line& l : lines) {
            double len = std::hypot(l.b.x - l.a.x, l.b.y - l.a.y, l.b.z - l.a.z);
            if (l.grey == 0 && near(len, 0.03)) ++n;
        }
        return n;
    }
    std::vector<std::string> texts(int role) const {
        std::vector<std::string> out;
        for (const auto& l : labels)
            if (l.role == role) out.push_back(l.text);
        return out;
    }
    const PlacedLabel* label(const std::string& text) const {
        for (const auto& l : labels)
            if (l.text == text) return &l;
        return nullptr;
    }

    HeadlessHost host{{kSize, kSize}};
    CKelvraView view{host};
    std::vector<PlacedLabel> labels;
    std::vector<Line> lines;
    std::vector<std::vector<Point3>> polygons;
};

using ScaleFrame3D = FrameTest;
using ScaleFrame2D = FrameTest;
using AxisIndicator = FrameTest;

// ---- grid lines and ticks ------------------------------------------------------------

TEST_F(ScaleFrame3D, LinearTicksSitAtEveryStepWithBlackEnds) {
    build(Build::Frame3D);
    // X ticks at 0, 2, ..., 10: world -0.5 .. 0.5 in steps of 0.2, outside along -Y.
    for (int k = 0; k <= 5; ++k)
        EXPECT_EQ(ticksFrom({-0.5 + 0.2 * k, -0.5, -0.5}, 0, -1, 0), 1) << "X tick " << k;
    // Each X tick has a floor segment across Y and a wall segment up the back.
    for (int k = 0; k <= 5; ++k) {
        double x = -0.5 + 0.2 * k;
        int floor = 0, wall = 0;
        for (const Line& l : lines) {
            bool edge = k == 0 || k == 5;
            if (near(l.a, x, -0.5, -0.5) && near(l.b, x, 0.5, -0.5)) floor += near(l.grey, edge ? 0 : 0.5);
            if (near(l.a, x, 0.5, -0.5) && near(l.b, x, 0.5, 0.5)) wall += near(l.grey, edge ? 0 : 0.5);
        }
        // (the last one also coincides with an edge of the floor rectangle)
        EXPECT_EQ(floor, k == 5 ? 2 : 1) << "X grid floor segment " << k;
        EXPECT_EQ(wall, 1) << "X grid wall segment " << k;
    }
    // Y ticks at 20, 30, 40 on the right edge, outside along +X.
    for (int k = 0; k <= 2; ++k) EXPECT_EQ(ticksFrom({0.5, -0.5 + 0.5 * k, -0.5}, 1, 0, 0), 1) << "Y tick " << k;
    EXPECT_EQ(tickCount(), 6 + 3 + 4);
}

TEST_F(ScaleFrame3D, ZTicksStartOneStepAboveTheFloor) {
    build(Build::Frame3D);
    EXPECT_EQ(ticksFrom({-0.5, -0.5, -0.5}, -1, 0, 0), 0);   // no Z tick at the floor
    for (int k = 1; k <= 4; ++k)
        EXPECT_EQ(ticksFrom({-0.5, -0.5, -0.5 + 0.25 * k}, -1, 0, 0), 1) << "Z tick " << k;
    EXPECT_EQ(texts(RoleScaleValue).size(), 6u + 3u + 4u);
    EXPECT_EQ(label("0.250") != nullptr, true);
    EXPECT_EQ(label("1.000") != nullptr, true);
}

TEST_F(ScaleFrame3D, LogAxisTicksAreEvenInLnSpaceAndShowPowers) {
    view.scaleLog[0] = 1;
    setAxis(0, 1, 1000, 10);
    build(Build::Frame3D);
    for (int k = 0; k <= 3; ++k)
        EXPECT_EQ(ticksFrom({-0.5 + k / 3.0, -0.5, -0.5}, 0, -1, 0), 1) << "log X tick " << k;
    std::vector<std::string> xValues;
    for (const auto& l : labels)
        if (l.role == RoleScaleValue && near(l.z, -0.54) && l.y < -0.55) xValues.push_back(l.text);
    EXPECT_EQ(xValues, (std::vector<std::string>{"1.000", "10.00", "100.0", "1.000e+03"}));
}

TEST_F(ScaleFrame3D, ReversedAxesCountTheirValuesFromTheMaximumDown) {
    view.scaleReverse[0] = 1;
    build(Build::Frame3D);
    // The tick at the box's low end (world -0.5) carries the maximum.
    const PlacedLabel* top = label("10.00");
    const PlacedLabel* bottom = label("0.000");
    ASSERT_TRUE(top && bottom);
    EXPECT_LT(top->x, bottom->x);
    auto values = texts(RoleScaleValue);
    std::vector<std::string> xValues(values.begin(), values.begin() + 6);
    EXPECT_EQ(xValues, (std::vector<std::string>{"10.00", "8.000", "6.000", "4.000", "2.000", "0.000"}));

    view.scaleReverse[0] = 0;
    view.scaleReverse[2] = 1;
    view.scaleLog[2] = 1;
    setAxis(2, 1, 1000, 10);
    build(Build::Frame3D);
    auto all = texts(RoleScaleValue);
    std::vector<std::string> zValues(all.end() - 3, all.end());   // Z starts at k = 1
    EXPECT_EQ(zValues, (std::vector<std::string>{"100.0", "10.00", "1.000"}));
}

TEST_F(ScaleFrame3D, ValueLabelsStandAtTheTableOffsets) {
    build(Build::Frame3D);   // Z turn 0: only t0 of each row
    const PlacedLabel* x = label("2.000");
    ASSERT_TRUE(x);
    EXPECT_TRUE(near({x->x, x->y, x->z}, -0.3 - 0.015 * 5, -0.5 - 0.1, -0.5 - 0.04));
    const PlacedLabel* y = label("30.00");
    ASSERT_TRUE(y);
    EXPECT_TRUE(near({y->x, y->y, y->z}, 0.5 + 0.06, 0.0 - 0.02, -0.54));
    const PlacedLabel* z = label("0.750");
    ASSERT_TRUE(z);
    EXPECT_TRUE(near({z->x, z->y, z->z}, -0.5 - 0.03 * 5 - 0.05, -0.5 - 0.02, 0.25 - 0.02));

    // At 330 the X value's x offset runs from t7 (-0.02 n) back towards t0 (-0.015 n).
    view.viewAngleZ = 330;
    build(Build::Frame3D);
    x = label("2.000");
    ASSERT_TRUE(x);
    double perWidth = -0.02 + (-0.015 + 0.02) * 15 / 45.0;
    EXPECT_NEAR(x->x, -0.3 + 5 * perWidth, kTol);
    // At a side view the values drop further below the floor.
    view.viewAngleX = 270;
    view.viewAngleZ = 45;
    build(Build::Frame3D);
    ASSERT_TRUE(label("2.000"));
    EXPECT_NEAR(label("2.000")->z, -0.5 - 0.09, kTol);
}

TEST_F(ScaleFrame3D, UnitsAndLabelsStandBesideTheirAxesOnlyWhenSet) {
    build(Build::Frame3D);
    EXPECT_TRUE(texts(RoleScaleUnit).empty());
    EXPECT_TRUE(texts(RoleScaleLabel).empty());

    view.scaleUnit[0] = "mm";
    view.scaleLabel[0] = "Length";
    view.scaleUnit[1] = "s";
    view.scaleUnit[2] = "K";
    view.scaleLabel[2] = "T";
    build(Build::Frame3D);
    EXPECT_EQ(texts(RoleScaleUnit), (std::vector<std::string>{"mm", "s", "K"}));
    EXPECT_EQ(texts(RoleScaleLabel), (std::vector<std::string>{"Length", "T"}));
    const PlacedLabel* xUnit = label("mm");
    EXPECT_TRUE(near({xUnit->x, xUnit->y, xUnit->z}, 0.5, -0.5 - 0.17, -0.5 - 0.08));
    const PlacedLabel* xLabel = label("Length");
    EXPECT_TRUE(near({xLabel->x, xLabel->y, xLabel->z}, -0.015 * 6, -0.5 - 0.17, -0.58));
    const PlacedLabel* yUnit = label("s");
    EXPECT_TRUE(near({yUnit->x, yUnit->y, yUnit->z}, 0.5 + 0.15, 0.5 + 0.06, -0.5 - 0.11 + 0.1));
    const PlacedLabel* zUnit = label("K");
    EXPECT_TRUE(near({zUnit->x, zUnit->y, zUnit->z}, -0.5 - 0.26, -0.5 - 0.02, 0.5 + 0.06));
    const PlacedLabel* zLabel = label("T");
    EXPECT_TRUE(near({zLabel->x, zLabel->y, zLabel->z}, -0.5 - 0.032 - 0.25, -0.52, -0.02));

    // The unit follows the last tick drawn, which may lie beyond the maximum.
    setAxis(0, 0, 9.5, 2);   // ticks 0..8 and 10 (10 < 9.5 + 1)
    build(Build::Frame3D);
    EXPECT_NEAR(label("mm")->x, (10 - 4.75) / 9.5, kTol);
}

TEST_F(ScaleFrame3D, TickMarksPointOutInsideOrNowhere) {
    view.scaleTicks[0] = view.scaleTicks[1] = view.scaleTicks[2] = 1;
    build(Build::Frame3D);
    EXPECT_EQ(ticksFrom({-0.3, -0.5, -0.5}, 0, 1, 0), 1);    // X inside: +Y
    EXPECT_EQ(ticksFrom({0.5, 0.0, -0.5}, -1, 0, 0), 1);     // Y inside: -X
    EXPECT_EQ(ticksFrom({-0.5, -0.5, 0.0}, 0, 1, 0), 1);     // Z inside: +Y
    // The grid lines leave room for the inside ticks.
    int shortened = 0;
    for (const Line& l : lines) {
        if (near(l.a, -0.3, -0.47, -0.5) && near(l.b, -0.3, 0.5, -0.5)) ++shortened;   // X floor part
        if (near(l.a, -0.5, 0.0, -0.5) && near(l.b, 0.47, 0.0, -0.5)) ++shortened;    // Y floor part
        if (near(l.a, -0.5, -0.47, 0.0) && near(l.b, -0.5, 0.5, 0.0)) ++shortened;    // Z wall part
    }
    EXPECT_EQ(shortened, 3);

    view.scaleTicks[0] = view.scaleTicks[1] = view.scaleTicks[2] = 2;
    build(Build::Frame3D);
    EXPECT_EQ(tickCount(), 0);
    EXPECT_EQ(texts(RoleScaleValue).size(), 13u);   // values stay
}

TEST_F(ScaleFrame3D, SideViewTicksNeverPointAtTheViewer) {
    // Front view (looking along +Y): X ticks hang down, Z ticks point left (out)
    // or right (in); Y is seen end-on and has none.
    view.viewAngleX = 270;
    view.viewAngleZ = 0;
    build(Build::Frame3D);
    EXPECT_EQ(ticksFrom({-0.3, -0.5, -0.5}, 0, 0, -1), 1);
    EXPECT_EQ(ticksFrom({-0.5, -0.5, 0.0}, -1, 0, 0), 1);
    view.scaleTicks[0] = view.scaleTicks[2] = 1;
    build(Build::Frame3D);
    EXPECT_EQ(ticksFrom({-0.3, -0.5, -0.5}, 0, 0, 1), 1);
    EXPECT_EQ(ticksFrom({-0.5, -0.5, 0.0}, 1, 0, 0), 1);
    // The X grid keeps its floor end: the tick does not lie on the floor here.
    int full = 0;
    for (const Line& l : lines) full += near(l.a, -0.3, -0.5, -0.5) && near(l.b, -0.3, 0.5, -0.5);
    EXPECT_EQ(full, 1);

    // Side views (looking along X): Y ticks stand vertically, Z ticks run along Y.
    for (int angleZ : {90, 270}) {
        view.viewAngleZ = angleZ;
        view.scaleTicks[1] = view.scaleTicks[2] = 0;
        build(Build::Frame3D);
        EXPECT_EQ(ticksFrom({0.5, 0.0, -0.5}, 0, 0, -1), 1) << angleZ;
        EXPECT_EQ(ticksFrom({-0.5, -0.5, 0.0}, 0, -1, 0), 1) << angleZ;
        view.scaleTicks[1] = view.scaleTicks[2] = 1;
        build(Build::Frame3D);
        EXPECT_EQ(ticksFrom({0.5, 0.0, -0.5}, 0, 0, 1), 1) << angleZ;
        EXPECT_EQ(ticksFrom({-0.5, -0.5, 0.0}, 0, 1, 0), 1) << angleZ;
    }
}

TEST_F(ScaleFrame3D, ViewsAlongAnAxisDropThatAxisTicksAndTexts) {
    view.scaleUnit[0] = "ux";
    view.scaleUnit[1] = "uy";
    view.scaleUnit[2] = "uz";
    auto outlineSegmentsAt = [&](int axis, double at) {
        int n = 0;
        for (const Line& l : lines) {
            double a = axis == 0 ? l.a.x : l.a.y, b = axis == 0 ? l.b.x : l.b.y;
            n += near(a, at) && near(b, at) && l.grey == 0;
        }
        return n;
    };
    // Along X (side view at Z 90): no X ticks, values or unit; outlines at
    // min - step / 2 and max + step / 2 (world -0.6 and 0.6).
    view.viewAngleX = 270;
    view.viewAngleZ = 90;
    build(Build::Frame3D);
    EXPECT_EQ(tickCount(), 3 + 4);
    EXPECT_EQ(texts(RoleScaleUnit), (std::vector<std::string>{"uy", "uz"}));
    EXPECT_FALSE(label("2.000"));
    EXPECT_EQ(outlineSegmentsAt(0, -0.6), 4);
    EXPECT_EQ(outlineSegmentsAt(0, 0.6), 4);

    // Along Y (front view): Y loses its ticks; outlines at 20 - 5 and 40 + 5.
    view.viewAngleZ = 180;
    build(Build::Frame3D);
    EXPECT_EQ(tickCount(), 6 + 4);
    EXPECT_EQ(texts(RoleScaleUnit), (std::vector<std::string>{"ux", "uz"}));
    EXPECT_FALSE(label("30.00"));
    EXPECT_EQ(outlineSegmentsAt(1, -0.75), 4);
    EXPECT_EQ(outlineSegmentsAt(1, 0.75), 4);

    // Along Z (top view): Z loses its ticks, nothing stands in for them.
    view.viewAngleX = 0;
    view.viewAngleZ = 0;
    build(Build::Frame3D);
    EXPECT_EQ(tickCount(), 6 + 3);
    EXPECT_EQ(texts(RoleScaleUnit), (std::vector<std::string>{"ux", "uy"}));
    EXPECT_FALSE(label("0.750"));
    EXPECT_EQ(outlineSegmentsAt(0, 0.6) + outlineSegmentsAt(1, 0.75), 0);

    // A turn one degree off keeps every axis.
    view.viewAngleX = 270;
    view.viewAngleZ = 91;
    build(Build::Frame3D);
    EXPECT_EQ(tickCount(), 6 + 3 + 4);
}

TEST_F(ScaleFrame3D, FloorProjectionLeavesOnlyTheEdgeLinesOnTheFloor) {
    view.xyContourMode = 1;
    build(Build::Frame3D);
    int greyOnFloor = 0, blackOnFloor = 0, greyOnWalls = 0;
    for (const Line& l : lines) {
        bool onFloor = near(l.a.z, -0.5) && near(l.b.z, -0.5);
        if (onFloor && l.grey > 0) ++greyOnFloor;
        if (onFloor && l.grey == 0 && (near(l.a.x, l.b.x) || near(l.a.y, l.b.y))) ++blackOnFloor;
        if (!onFloor && l.grey > 0) ++greyOnWalls;
    }
    EXPECT_EQ(greyOnFloor, 0);
    EXPECT_GT(blackOnFloor, 0);
    // Wall parts of the 4 inner X and 1 inner Y lines, plus the 3 inner Z lines (2 segments each).
    EXPECT_EQ(greyOnWalls, 4 + 1 + 3 * 2);
}

TEST_F(ScaleFrame3D, HostileScalesNeitherLoopNorFlood) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double lo, hi, step;
    } cases[] = {{0, 10, 0}, {0, 10, -2}, {0, 10, nan}, {nan, 10, 1}, {0, inf, 1},
                 {-1e300, 1e300, 1e-300}, {0, 1e6, 1},   // a million ticks: none drawn
                 {1e20, 1e20 + 1, 1}};                   // steps lost in rounding
    for (const Case& c : cases) {
        setAxis(0, c.lo, c.hi, c.step);
        view.axisSpan[0] = 10;
        build(Build::Frame3D);
        EXPECT_LE(tickCount(), 3 + 4 + 2) << c.lo << " " << c.hi << " " << c.step;
        EXPECT_LE(labels.size(), 3u + 4u + 2u);
    }
    // A log axis over a range that reaches zero cannot be mapped: no box at all.
    view.scaleLog[2] = 1;
    setAxis(2, 0, 100, 10);
    setAxis(0, 0, 10, 2);
    build(Build::Frame3D);
    EXPECT_TRUE(lines.empty());
    EXPECT_TRUE(labels.empty());
    // Up to the limit of 1000 ticks an axis is still drawn whole.
    view.scaleLog[2] = 0;
    setAxis(2, 0, 999, 1);
    build(Build::Frame3D);
    EXPECT_EQ(tickCount(), 6 + 3 + 999);
}

TEST_F(ScaleFrame3D, SectionViewsNameTheirSection) {
    view.displayMode = DisplayXSection;
    view.sectionPos[0] = 2.5;
    view.sectionUnit[0] = "mm";
    build(Build::Frame3D);
    const PlacedLabel* caption = label("X=2.500mm");
    ASSERT_TRUE(caption);
    EXPECT_EQ(caption->role, RoleScaleValue);
    EXPECT_TRUE(near({caption->x, caption->y, caption->z}, -0.5 - 0.03 * 9 - 0.05, -0.5 - 0.02, 0.5 + 0.14));

    view.displayMode = DisplayYSection;
    view.sectionPos[1] = -1;
    view.sectionLabel[1] = "";
    build(Build::Frame3D);
    EXPECT_TRUE(label("-1.000"));
    EXPECT_FALSE(label("X=2.500mm"));

    view.displayMode = Display3D;
    build(Build::Frame3D);
    EXPECT_FALSE(label("-1.000"));
}

// ---- the 2-D frame -------------------------------------------------------------------

TEST_F(ScaleFrame2D, LiesInThePlaneOfZeroWithTicksOnTheBottomAndLeftEdges) {
    setAxis(2, -1, 3, 1);   // world z of the value 0: -0.25
    view.viewAngleX = 0;
    view.viewAngleZ = 0;
    build(Build::Frame2D);
    ASSERT_FALSE(lines.empty());
    for (const Line& l : lines) {
        EXPECT_NEAR(l.a.z, -0.25, kTol);
        EXPECT_NEAR(l.b.z, -0.25, kTol);
    }
    for (int k = 0; k <= 5; ++k) EXPECT_EQ(ticksFrom({-0.5 + 0.2 * k, -0.5, -0.25}, 0, -1, 0), 1) << k;
    for (int k = 0; k <= 2; ++k) EXPECT_EQ(ticksFrom({-0.5, -0.5 + 0.5 * k, -0.25}, -1, 0, 0), 1) << k;
    EXPECT_EQ(tickCount(), 6 + 3);
    // Grid lines across the plot: grey inside, black at the edges.
    int grey = 0;
    for (const Line& l : lines) grey += l.grey > 0;
    EXPECT_EQ(grey, 4 + 1);

    view.scaleUnit[1] = "s";
    view.scaleLabel[1] = "Time";
    build(Build::Frame2D);
    const PlacedLabel* y = label("30.00");
    ASSERT_TRUE(y);
    EXPECT_TRUE(near({y->x, y->y, y->z}, -0.5 - 0.03 * 5 - 0.05, -0.02, -0.29));
    const PlacedLabel* x = label("2.000");
    ASSERT_TRUE(x);
    EXPECT_TRUE(near({x->x, x->y, x->z}, -0.3 - 0.075, -0.6, -0.29));
    EXPECT_TRUE(near({label("s")->x, label("s")->y, label("s")->z}, -0.75, 0.56, -0.25));
    EXPECT_TRUE(near({label("Time")->x, label("Time")->y, label("Time")->z}, -0.5 - 0.128 - 0.25, -0.02, -0.25));
}

TEST_F(ScaleFrame2D, FlatZRangeUsesTheGivenPlaneAndInsideTicksShortenTheGrid) {
    setAxis(2, 3, 3, 1);
    view.scaleTicks[0] = view.scaleTicks[1] = 1;
    build(Build::Frame2D);
    ASSERT_FALSE(lines.empty());
    for (const Line& l : lines) EXPECT_NEAR(l.a.z, -1.0, kTol);
    EXPECT_EQ(ticksFrom({-0.3, -0.5, -1}, 0, 1, 0), 1);
    EXPECT_EQ(ticksFrom({-0.5, 0, -1}, 1, 0, 0), 1);
    int shortened = 0;
    for (const Line& l : lines) {
        shortened += near(l.a, -0.3, -0.47, -1) && near(l.b, -0.3, 0.5, -1);
        shortened += near(l.a, -0.47, 0, -1) && near(l.b, 0.5, 0, -1);
    }
    EXPECT_EQ(shortened, 2);

    view.xyContourMode = 2;
    build(Build::Frame2D);
    for (const Line& l : lines) EXPECT_EQ(l.grey, 0);
}

// ---- the axis indicator ------------------------------------------------------------------

TEST_F(AxisIndicator, ArrowsPointAlongTheAxesAndTurnWhenReversed) {
    view.scaleReverse[1] = 1;
    build(Build::Indicator);
    auto arrow = [&](double x, double y, double z, double r, double g, double b) {
        int n = 0;
        for (const Line& l : lines) n += near(l.a, 0, 0, 0) && near(l.b, x, y, z) && near(l.grey, r) && near(l.g, g) && near(l.b_, b);
        return n;
    };
    EXPECT_EQ(arrow(0.2, 0, 0, 0.7, 0, 0), 1);
    EXPECT_EQ(arrow(0, -0.2, 0, 0, 0.7, 0), 1);
    EXPECT_EQ(arrow(0, 0, 0.2, 0, 0, 0.7), 1);
    // Cones: polygons between 0.2 and 0.242 along each arrow, within 0.012 of it.
    int cone[3] = {0, 0, 0};
    for (const auto& poly : polygons) {
        for (int a = 0; a < 3; ++a) {
            bool inside = true;
            for (const Point3& p : poly) {
                double along[3] = {p.x, -p.y, p.z};
                double off = std::hypot(a == 0 ? 0 : p.x, a == 1 ? 0 : p.y, a == 2 ? 0 : p.z);
                inside = inside && along[a] > 0.2 - kTol && along[a] < 0.242 + kTol && off < 0.012 + kTol;
            }
            cone[a] += inside;
        }
    }
    for (int a = 0; a < 3; ++a) EXPECT_GT(cone[a], 15) << "cone " << a;
    ASSERT_EQ(labels.size(), 3u);
    EXPECT_TRUE(near({labels[0].x, labels[0].y, labels[0].z}, 0.28, 0, 0));
    EXPECT_TRUE(near({labels[1].x, labels[1].y, labels[1].z}, 0, -0.28, 0));
    EXPECT_EQ(labels[2].text, "Z");
    EXPECT_EQ(labels[2].role, RoleAxisLabel);
}

// ---- in the scene -------------------------------------------------------------------------

// The scene draws the frame directly, so a value label whose start lies left of
// the window (the graph moved) still shows its visible part.
TEST(ScaleFrameScene, LabelStartingLeftOfTheWindowShowsItsVisiblePart) {
    GL_TEST_REQUIRE_CONTEXT(400, 300);
    HeadlessHost host({400, 300});
    host.printMessages = false;
    CKelvraView view(host);
    view.initGlState();
    view.dataLoaded = true;
    view.axisShow = view.legendShow = 0;
    for (int a = 0; a < 3; ++a) view.axisSpan[a] = view.scaleMax[a] - view.scaleMin[a];
    view.scaleMin[2] = 0;
    view.scaleMax[2] = 1;
    view.scaleStep[2] = 0.25;
    view.axisSpan[2] = 1;
    view.viewAngleX = 270;   // front view: Z values left of the box at x0 - 0.2
    view.viewAngleZ = 0;
    view.viewPosX = -76;     // x0 at world -0.88: the labels start at -1.08, left of -1
    std::vector<PlacedLabel> labels;
    view.labelTrace = &labels;
    view.paint(400, 300);
    const PlacedLabel* z = nullptr;
    for (const auto& l : labels)
        if (l.text == "0.750") z = &l;
    ASSERT_TRUE(z);
    // The label's baseline is at world y = 0.23 (pixel row 196); look just above it, left of the ticks.
    int dark = 0;
    for (int x = 0; x < 12; ++x)
        for (int y = 194; y < 212; ++y) dark += test::pixelAt(x, y).r < 128;
    EXPECT_GT(dark, 5);
}

// ---- pictures for looking at -----------------------------------------------------------

// With KELVRA_PICTURES_DIR set, writes the default view, the three plane views,
// the 2-D display and an X-section view as PNG files there.
TEST(ScaleFramePictures, WritesViewsWhenAsked) {
    const char* dir = std::getenv("KELVRA_PICTURES_DIR");
    if (!dir || !*dir) GTEST_SKIP() << "KELVRA_PICTURES_DIR not set";
    GL_TEST_REQUIRE_CONTEXT(775, 550);
    test::GridView grid;
    grid.host.setPictureSize({775, 550});
    CKelvraView& view = grid.view;
    view.scaleShow = view.legendShow = view.axisShow = 1;
    // A pressure bump over a 41 x 41 grid.
    grid.fill(41, 41, 0, 10, -50, 50, [](double x, double y) {
        return 7.3 * std::exp(-((x - 6) * (x - 6) / 8 + (y + 10) * (y + 10) / 600));
    });
    view.initGlState();
    const double lo[4] = {0, -50, 0, 0}, hi[4] = {10, 50, 7.3, 7.3}, step[4] = {2, 25, 1.46, 3};
    for (int a = 0; a < 4; ++a) {
        view.scaleMin[a] = lo[a];
        view.scaleMax[a] = hi[a];
        view.scaleStep[a] = step[a];
        if (a < 3) view.axisSpan[a] = hi[a] - lo[a];
    }
    view.scaleUnit[0] = "m";
    view.scaleUnit[1] = "m";
    view.scaleUnit[2] = "kPa";
    view.scaleUnit[3] = "kPa";
    view.scaleLabel[0] = test::cp932("距離");
    view.scaleLabel[1] = "Depth";
    view.scaleLabel[2] = "Pressure";
    view.titleText = test::cp932("圧力分布 Scale frame");
    view.fontFace[RoleTitle] = 0;   // a Japanese face: outline glyphs
    view.sectionPos[0] = 4;
    view.layoutAnchoredOverlays();
    view.buildGlyphLists();
    struct Shot {
        const char* name;
        int mode, angleX, angleZ;
    } shots[] = {{"default", 0, 300, 330}, {"plane-xy", 0, 0, 0},   {"plane-xz", 0, 270, 0},
                 {"plane-yz", 0, 270, 270}, {"2d", 1, 0, 0},         {"x-section", 2, 300, 330}};
    for (const Shot& s : shots) {
        view.displayMode = s.mode;
        view.viewAngleX = s.angleX;
        view.viewAngleZ = s.angleZ;
        view.buildDisplayLists();
        view.paint(775, 550);
        test::dumpPicture(std::string(dir) + "/frame-" + s.name + ".png");
    }
    // Log X, reversed Y, inside ticks and a floor projection, turned to 45 degrees.
    view.displayMode = 0;
    view.viewAngleX = 300;
    view.viewAngleZ = 45;
    view.scaleLog[0] = 1;
    view.scaleMin[0] = 1;
    view.scaleMax[0] = 1000;
    view.scaleStep[0] = 10;
    view.scaleReverse[1] = 1;
    view.scaleTicks[0] = view.scaleTicks[1] = view.scaleTicks[2] = 1;
    view.xyContourMode = 1;
    view.buildDisplayLists();
    view.paint(775, 550);
    test::dumpPicture(std::string(dir) + "/frame-options.png");
    // Zoomed and moved: labels starting left of the window show their visible part.
    view.viewAngleZ = 330;
    view.viewZoom = 200;
    view.viewPosX = -40;
    view.layoutAnchoredOverlays();
    view.buildGlyphLists();
    view.paint(775, 550);
    test::dumpPicture(std::string(dir) + "/frame-zoomed.png");
}

}  // namespace
}  // namespace kelvra
