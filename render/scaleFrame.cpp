// The scale frame and the axis indicator (list 200).
//
// The frame is the box around the graph: grid lines on the floor and the two
// back walls, tick marks, value labels, units and axis labels. The scene draws
// it afresh on every paint, because the edges beside which the labels stand
// follow the view angles (the offset tables below, read through angleTable).
// The axis indicator is the small X/Y/Z arrow cross, compiled with the other
// graph lists. Both draw into whatever list is being compiled, or directly.
#include "render/scaleFrame.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <numbers>

#include "render/feedbackState.h"
#include "render/mapping.h"
#include "render/text.h"

namespace kelvra {

double angleTable(const double (&t)[8], int angle) {
    int a = angle % 360;
    if (a < 0) a += 360;
    int s = a / 45;
    if (s >= 7) return t[7] + (t[0] - t[7]) * (a - 315) / 45.0;
    return t[s] + (a - 45 * s) * (t[s + 1] - t[s]) / 45.0;
}

void traceLabel(const TextOut& out, double x, double y, double z, std::string_view text, TextRole role) {
    if (out.trace) out.trace->push_back({std::string(text), role, x, y, z});
}

void placeLabel(const TextOut& out, double x, double y, double z, std::string_view text, TextRole role) {
    if (text.empty() || !std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) return;
    traceLabel(out, x, y, z, text, role);
    textRasterPos(x, y, z);
    out.glyphs.draw(text, role);
}

namespace {

// What the frame's helpers read: the settings and where the labels go.
struct FrameInput {
    const GraphSettings& settings;
    const TextOut& text;
};

// ---- label offset tables --------------------------------------------------------
//
// One coordinate of a label position as a function of the Z turn: the values
// wanted at 0, 45, ..., 315 degrees, each a constant plus a multiple of n, the
// label's nominal width (value labels) or byte length (axis labels, caption).
// angleTable is linear in its values, so the two parts interpolate apart.
struct AngleOffset {
    double c[8];
    double perWidth[8] = {};   // zero for texts placed without regard to their width
    double at(int angle, double n) const { return angleTable(c, angle) + n * angleTable(perWidth, angle); }
};

struct LabelOffsets {
    AngleOffset x, y;
};

// X values: beside the front edge (y0, z0), under their tick.
const LabelOffsets kXValues = {
    {{0, -0.02, -0.02, -0.02, 0, 0.01, 0.02, 0}, {-0.015, 0, 0, 0, 0.015, 0.02, 0, -0.02}},
    {{-0.1, -0.08, -0.06, -0.05, -0.06, -0.02, -0.05, -0.05}, {0, 0, 0, 0, 0, -0.025, -0.03, -0.025}}};
// Y values: beside the right edge (x1, z0), level with their tick.
const LabelOffsets kYValues = {
    {{0.06, 0.05, 0.06, 0.02, 0.05, 0.05, 0.1, 0.08}, {0, 0, 0, 0.025, 0.03, 0.025, 0, 0}},
    {{-0.02, -0.02, 0, 0.01, 0.02, 0, 0, -0.02}, {0, 0, 0.015, 0.02, 0, -0.02, -0.015, 0}}};
// Z values: beside the front-left vertical edge (x0, y0); also the section caption.
const LabelOffsets kZValues = {
    {{-0.05, -0.08, -0.1, -0.08, -0.05, -0.07, -0.05, -0.05}, {-0.03, 0, 0, 0, 0, 0.02, 0, -0.02}},
    {{-0.02, -0.04, -0.06, 0, 0.02, -0.01, -0.05, 0}, {0, 0, 0, 0, 0, -0.025, -0.03, -0.025}}};
const LabelOffsets kXUnit = {
    {{0, -0.01, 0.06, -0.02, 0.12, 0.09, 0.09, -0.08}},
    {{-0.17, -0.19, -0.15, -0.17, -0.13, -0.25, -0.25, -0.26}}};
const LabelOffsets kXLabel = {
    {{0, 0.01, -0.02, -0.02, 0, 0, 0.02, 0}, {-0.015, 0, 0, 0, 0.015, 0.015, 0, -0.01}},
    {{-0.17, -0.245, -0.25, -0.18, -0.14, -0.15, -0.25, -0.25}, {0, 0, 0, 0, 0, -0.028, -0.032, -0.02}}};
const LabelOffsets kYUnit = {
    {{0.15, 0.14, 0.13, 0.15, 0.25, 0.26, 0.17, 0.08}},
    {{0.06, 0, 0.12, 0.23, 0.1, -0.07, 0.01, 0.1}}};
const AngleOffset kYUnitLift = {{0.1, 0, 0, 0, 0, 0, 0, 0.1}};
const LabelOffsets kYLabel = {
    {{0.25, 0.18, 0.14, 0.15, 0.25, 0.25, 0.17, 0.245}, {0, 0, 0, 0.028, 0.032, 0.02, 0, 0}},
    {{-0.02, -0.02, 0, 0, 0.02, 0, 0, 0.01}, {0, 0, 0.015, 0.015, 0, -0.01, -0.015, 0}}};
const LabelOffsets kZUnit = {
    {{-0.26, -0.08, -0.1, -0.11, -0.08, 0.07, -0.05, -0.19}},
    {{-0.02, -0.04, -0.08, -0.03, -0.01, -0.185, -0.26, -0.175}}};
const LabelOffsets kZLabel = {
    {{-0.25, 0.02, -0.1, -0.22, -0.25, 0.05, -0.05, -0.15}, {-0.032, 0, 0, 0, 0, 0.022, 0, -0.028}},
    {{-0.02, -0.18, -0.25, -0.12, 0.01, -0.15, -0.25, -0.15}, {0, 0, 0, 0, 0, -0.028, -0.032, -0.022}}};

constexpr double kTickLength = 0.03;
constexpr double kGrey = 0.5;

// ---- ticks ------------------------------------------------------------------------

// A settings file can name any min, max and step; beyond this many ticks an
// axis gets no grid, ticks or values at all (the scale recompute itself never
// keeps more than about 50), so no input makes the frame loop for long or emit
// millions of lines.
constexpr int kMaxTicks = 1000;

// The ticks of one axis in tick space: data values on a linear axis, their
// natural logarithms on a logarithmic one. Tick k (first <= k <= last) sits at
// lo + k * step; there are none when the range or the step is unusable.
struct TickRun {
    double lo = 0, hi = 0, step = 0;   // tick space
    double scale = 0, offset = 0;      // world = tick-space value * scale + offset
    double rawMin = 0, rawMax = 0, rawStep = 0;   // the settings, for log-axis values
    int first = 0, last = -1;
    bool log = false;
    bool reversed = false;

    bool empty() const { return last < first; }
    double at(int k) const { return lo + k * step; }
    double world(int k) const { return at(k) * scale + offset; }
    // The first and the last tick are the box edges and are drawn black.
    bool edge(int k) const { return k == 0 || at(k) >= hi - step / 2; }
    // The number shown at tick k: counted from the maximum down on a reversed
    // axis. On a log axis min * step^k (the exponential of the tick-space
    // value) is computed without the ln/exp round trip, so 1, 10, 100, 1000
    // print as such.
    double value(int k) const {
        if (!log) return reversed ? hi - k * step : lo + k * step;
        double factor = std::pow(rawStep, k);
        return reversed ? rawMax / factor : rawMin * factor;
    }
};

TickRun tickRun(const FrameInput& v, const AxisMapping& m, int axis, int first) {
    TickRun r;
    r.log = v.settings.scaleLog[axis] == 1;
    r.reversed = v.settings.scaleReverse[axis] == 1;
    r.scale = m.axisScale[axis];
    r.offset = m.axisOffset[axis];
    r.first = first;
    r.rawMin = v.settings.scaleMin[axis];
    r.rawMax = v.settings.scaleMax[axis];
    r.rawStep = v.settings.scaleStep[axis];
    r.lo = r.log ? std::log(v.settings.scaleMin[axis]) : v.settings.scaleMin[axis];
    r.hi = r.log ? std::log(v.settings.scaleMax[axis]) : v.settings.scaleMax[axis];
    r.step = r.log ? std::log(v.settings.scaleStep[axis]) : v.settings.scaleStep[axis];
    if (!std::isfinite(r.lo) || !std::isfinite(r.hi) || !(r.step > 0) || !std::isfinite(r.step)) return r;
    double end = r.hi + r.step / 2;
    if (!((end - r.lo) / r.step <= kMaxTicks)) return r;   // also catches an infinite end
    int k = first;
    while (k <= kMaxTicks && r.at(k) < end) ++k;
    r.last = k - 1;
    return r;
}

// ---- the 3-D frame ------------------------------------------------------------------

struct Box {
    double x0, x1, y0, y1, z0, z1;
};

Box scaleBox(const FrameInput& v, const AxisMapping& m) {
    return {m.world(0, v.settings.scaleMin[0]), m.world(0, v.settings.scaleMax[0]), m.world(1, v.settings.scaleMin[1]),
            m.world(1, v.settings.scaleMax[1]), m.world(2, v.settings.scaleMin[2]), m.world(2, v.settings.scaleMax[2])};
}

// A scale that cannot be mapped (a log axis reaching zero, an infinite end)
// leaves no box to draw around.
bool finiteBox(const Box& b) {
    for (double c : {b.x0, b.x1, b.y0, b.y1, b.z0, b.z1})
        if (!std::isfinite(c)) return false;
    return true;
}

// What the 3-D frame needs to know about the view while it is built.
struct Frame3D {
    Box b;
    TickRun run[3];
    int angleZ = 0;
    bool sideView = false;   // internal X angle 270: looking horizontally at the box
    bool alongAxis[3] = {};  // the view looks exactly along this axis
};

void vertex(const double (&p)[3]) { glVertex3d(p[0], p[1], p[2]); }

void setGridColour(bool edge) {
    double c = edge ? 0.0 : kGrey;
    glColor3d(c, c, c);
}

// One line strip per tick across the floor and up a back wall. With inside
// ticks the floor end leaves room for the tick; under a floor projection the
// grey strips keep only their wall part, so the floor shows the projection.
void gridLines3D(const FrameInput& v, const Frame3D& f) {
    const Box& b = f.b;
    bool floorProjection = v.settings.xyContourMode != 0;
    for (int a = 0; a < 3; ++a) {
        const TickRun& r = f.run[a];
        bool inside = v.settings.scaleTicks[a] == 1;
        for (int k = r.first; k <= r.last; ++k) {
            double p = r.world(k);
            bool edge = r.edge(k);
            bool skipFloor = floorProjection && !edge && a != 2;
            setGridColour(edge);
            glBegin(GL_LINE_STRIP);
            if (a == 0) {
                double from = inside && !f.sideView ? b.y0 + kTickLength : b.y0;
                if (!skipFloor) glVertex3d(p, from, b.z0);
                glVertex3d(p, b.y1, b.z0);
                glVertex3d(p, b.y1, b.z1);
            } else if (a == 1) {
                glVertex3d(b.x0, p, b.z1);
                glVertex3d(b.x0, p, b.z0);
                if (!skipFloor) glVertex3d(inside ? b.x1 - kTickLength : b.x1, p, b.z0);
            } else {
                glVertex3d(b.x0, inside ? b.y0 + kTickLength : b.y0, p);
                glVertex3d(b.x0, b.y1, p);
                glVertex3d(b.x1, b.y1, p);
            }
            glEnd();
        }
    }
}

// Start of the tick mark of axis a at tick-space position p, and its direction.
// In a side view the X and Y ticks stand vertically (their usual direction
// would point at the viewer); Z ticks turn so that they never point along the
// line of sight either.
void tickMark(const Frame3D& f, int a, double p, bool inside, double (&from)[3], double (&dir)[3]) {
    const Box& b = f.b;
    bool zQuarter = f.angleZ == 90 || f.angleZ == 270;
    bool zHalf = f.angleZ == 0 || f.angleZ == 180;
    dir[0] = dir[1] = dir[2] = 0;
    double s = inside ? 1.0 : -1.0;
    switch (a) {
        case 0:
            from[0] = p, from[1] = b.y0, from[2] = b.z0;
            dir[f.sideView ? 2 : 1] = s;
            break;
        case 1:
            from[0] = b.x1, from[1] = p, from[2] = b.z0;
            if (f.sideView) dir[2] = s;
            else dir[0] = -s;
            break;
        default:
            from[0] = b.x0, from[1] = b.y0, from[2] = p;
            if (!inside) dir[f.sideView && zQuarter ? 1 : 0] = -1;
            else dir[f.sideView && zHalf ? 0 : 1] = 1;
            break;
    }
}

void tickMarks3D(const FrameInput& v, const Frame3D& f) {
    glColor3d(0.0, 0.0, 0.0);
    glBegin(GL_LINES);
    for (int a = 0; a < 3; ++a) {
        if (f.alongAxis[a] || (v.settings.scaleTicks[a] != 0 && v.settings.scaleTicks[a] != 1)) continue;
        const TickRun& r = f.run[a];
        for (int k = r.first; k <= r.last; ++k) {
            double from[3], dir[3];
            tickMark(f, a, r.world(k), v.settings.scaleTicks[a] == 1, from, dir);
            vertex(from);
            glVertex3d(from[0] + dir[0] * kTickLength, from[1] + dir[1] * kTickLength,
                       from[2] + dir[2] * kTickLength);
        }
    }
    glEnd();
}

// Values, unit and label of one axis, beside the edge that carries its ticks.
void axisTexts3D(const FrameInput& v, const Frame3D& f, int a) {
    const Box& b = f.b;
    const TickRun& r = f.run[a];
    const int az = f.angleZ;
    const double valueZ = b.z0 - (f.sideView ? 0.09 : 0.04);
    const double textZ = b.z0 - (f.sideView ? 0.16 : 0.08);
    if (v.settings.scaleShowValues[a] == 1) {
        for (int k = r.first; k <= r.last; ++k) {
            FormattedValue text = formatValue(v.settings, r.value(k), a);
            double n = text.width, p = r.world(k);
            switch (a) {
                case 0: placeLabel(v.text, p + kXValues.x.at(az, n), b.y0 + kXValues.y.at(az, n), valueZ, text.text, RoleScaleValue); break;
                case 1: placeLabel(v.text, b.x1 + kYValues.x.at(az, n), p + kYValues.y.at(az, n), valueZ, text.text, RoleScaleValue); break;
                default: placeLabel(v.text, b.x0 + kZValues.x.at(az, n), b.y0 + kZValues.y.at(az, n), p - 0.02, text.text, RoleScaleValue); break;
            }
        }
    }
    // The unit stands beyond the last tick drawn (the box end when there is none).
    const double boxEnd[3] = {b.x1, b.y1, b.z1};
    const double last = r.empty() ? boxEnd[a] : r.world(r.last);
    const std::string& unit = v.settings.scaleUnit[a];
    const std::string& label = v.settings.scaleLabel[a];
    const double n = double(label.size());
    switch (a) {
        case 0:
            placeLabel(v.text, last + kXUnit.x.at(az, 0), b.y0 + kXUnit.y.at(az, 0), textZ, unit, RoleScaleUnit);
            placeLabel(v.text, (b.x0 + b.x1) / 2 + kXLabel.x.at(az, n), b.y0 + kXLabel.y.at(az, n), textZ, label, RoleScaleLabel);
            break;
        case 1:
            placeLabel(v.text, b.x1 + kYUnit.x.at(az, 0), last + kYUnit.y.at(az, 0),
                       b.z0 - (f.sideView ? 0.16 : 0.11) + kYUnitLift.at(az, 0), unit, RoleScaleUnit);
            placeLabel(v.text, b.x1 + kYLabel.x.at(az, n), (b.y0 + b.y1) / 2 + kYLabel.y.at(az, n), textZ, label, RoleScaleLabel);
            break;
        default:
            placeLabel(v.text, b.x0 + kZUnit.x.at(az, 0), b.y0 + kZUnit.y.at(az, 0), last + 0.06, unit, RoleScaleUnit);
            placeLabel(v.text, b.x0 + kZLabel.x.at(az, n), b.y0 + kZLabel.y.at(az, n), (b.z0 + b.z1) / 2 - 0.02, label, RoleScaleLabel);
            break;
    }
}

void closedRectangle(const double (&p)[4][3]) {
    glBegin(GL_LINE_STRIP);
    for (const auto& corner : p) vertex(corner);
    vertex(p[0]);
    glEnd();
}

// In a view along X or Y that axis' ticks would all fall on one point; two
// outlines across the box half a step beyond its ends stand in for them.
void endOutlines(const Frame3D& f, int a) {
    const Box& b = f.b;
    const TickRun& r = f.run[a];
    double ends[2] = {a == 0 ? b.x0 : b.y0, a == 0 ? b.x1 : b.y1};
    if (std::isfinite(r.step) && r.step > 0) {
        ends[0] = (r.lo - r.step / 2) * r.scale + r.offset;
        ends[1] = (r.hi + r.step / 2) * r.scale + r.offset;
    }
    for (double e : ends) {
        if (a == 0) closedRectangle({{e, b.y0, b.z0}, {e, b.y1, b.z0}, {e, b.y1, b.z1}, {e, b.y0, b.z1}});
        else closedRectangle({{b.x0, e, b.z0}, {b.x1, e, b.z0}, {b.x1, e, b.z1}, {b.x0, e, b.z1}});
    }
}

// The X or Y section display names its section: label, position and unit.
void sectionCaption(const FrameInput& v, int angleZ) {
    int s = v.settings.displayMode == DisplayXSection ? 0 : 1;
    std::string text = v.settings.sectionLabel[s] + formatValue(v.settings, v.settings.sectionPos[s], 4 + s).text + v.settings.sectionUnit[s];
    double n = double(text.size());
    placeLabel(v.text, -v.settings.scaleSizePercent[0] * 0.005 + kZValues.x.at(angleZ, n),
               -v.settings.scaleSizePercent[1] * 0.005 + kZValues.y.at(angleZ, n), v.settings.scaleSizePercent[2] * 0.005 + 0.14,
               text, RoleScaleValue);
}

}  // namespace

void drawScaleFrame3D(const GraphSettings& s, const ViewState& state, const TextOut& text) {
    const FrameInput v{s, text};
    const AxisMapping m = scaleMapping(s, state.axisSpan);
    Frame3D f;
    f.b = scaleBox(v, m);
    if (!finiteBox(f.b)) return;
    f.angleZ = s.viewAngleZ;
    f.sideView = s.viewAngleX == 270;
    f.alongAxis[0] = f.sideView && (s.viewAngleZ == 90 || s.viewAngleZ == 270);
    f.alongAxis[1] = f.sideView && (s.viewAngleZ == 0 || s.viewAngleZ == 180);
    f.alongAxis[2] = s.viewAngleX == 0;
    f.run[0] = tickRun(v, m, 0, 0);
    f.run[1] = tickRun(v, m, 1, 0);
    f.run[2] = tickRun(v, m, 2, 1);   // the floor rectangle is the first Z line

    glPushAttrib(GL_CURRENT_BIT | GL_LINE_BIT | GL_ENABLE_BIT);
    glDisable(GL_LIGHTING);
    setLineWidth(1.0);
    gridLines3D(v, f);
    tickMarks3D(v, f);
    for (int a = 0; a < 3; ++a) {
        if (!f.alongAxis[a]) axisTexts3D(v, f, a);
    }
    glColor3d(0.0, 0.0, 0.0);
    if (f.alongAxis[0]) endOutlines(f, 0);
    if (f.alongAxis[1]) endOutlines(f, 1);
    const Box& b = f.b;
    for (double z : {b.z0, b.z1}) closedRectangle({{b.x0, b.y0, z}, {b.x1, b.y0, z}, {b.x1, b.y1, z}, {b.x0, b.y1, z}});
    if (s.displayMode == DisplayXSection || s.displayMode == DisplayYSection) sectionCaption(v, s.viewAngleZ);
    glPopAttrib();
}

void drawScaleFrame2D(const GraphSettings& s, const ViewState& state, const TextOut& text, double plane) {
    const FrameInput v{s, text};
    const AxisMapping m = scaleMapping(s, state.axisSpan);
    const Box b = scaleBox(v, m);
    // The frame lies in the plane of the Z value 0 (1 on a log axis); a flat Z
    // range has no such plane and uses the one given.
    const double z = s.scaleMin[2] == s.scaleMax[2] ? plane : m.axisOffset[2];
    if (!finiteBox({b.x0, b.x1, b.y0, b.y1, z, z})) return;
    const double textZ = z - 0.04;
    const TickRun run[2] = {tickRun(v, m, 0, 0), tickRun(v, m, 1, 0)};
    const bool floorProjection = s.xyContourMode != 0;

    glPushAttrib(GL_CURRENT_BIT | GL_LINE_BIT | GL_ENABLE_BIT);
    glDisable(GL_LIGHTING);
    setLineWidth(1.0);
    // Grid lines; the whole plot is the floor, so a floor projection keeps only the edges.
    glBegin(GL_LINES);
    for (int a = 0; a < 2; ++a) {
        const TickRun& r = run[a];
        double from = (a == 0 ? b.y0 : b.x0) + (s.scaleTicks[a] == 1 ? kTickLength : 0.0);
        for (int k = r.first; k <= r.last; ++k) {
            bool edge = r.edge(k);
            if (floorProjection && !edge) continue;
            setGridColour(edge);
            double p = r.world(k);
            if (a == 0) {
                glVertex3d(p, from, z);
                glVertex3d(p, b.y1, z);
            } else {
                glVertex3d(from, p, z);
                glVertex3d(b.x1, p, z);
            }
        }
    }
    // Ticks: X along the bottom edge, Y along the left edge.
    glColor3d(0.0, 0.0, 0.0);
    for (int a = 0; a < 2; ++a) {
        if (s.scaleTicks[a] != 0 && s.scaleTicks[a] != 1) continue;
        double d = s.scaleTicks[a] == 1 ? kTickLength : -kTickLength;
        const TickRun& r = run[a];
        for (int k = r.first; k <= r.last; ++k) {
            double p = r.world(k);
            if (a == 0) {
                glVertex3d(p, b.y0, z);
                glVertex3d(p, b.y0 + d, z);
            } else {
                glVertex3d(b.x0, p, z);
                glVertex3d(b.x0 + d, p, z);
            }
        }
    }
    glEnd();

    // Texts: the X rows of the 3-D table at a Z turn of 0; the Y texts left of the frame.
    if (s.scaleShowValues[0] == 1) {
        for (int k = run[0].first; k <= run[0].last; ++k) {
            FormattedValue t = formatValue(s, run[0].value(k), 0);
            placeLabel(text, run[0].world(k) + kXValues.x.at(0, t.width), b.y0 + kXValues.y.at(0, t.width), textZ,
                       t.text, RoleScaleValue);
        }
    }
    double lastX = run[0].empty() ? b.x1 : run[0].world(run[0].last);
    double nx = double(s.scaleLabel[0].size());
    placeLabel(text, lastX + kXUnit.x.at(0, 0), b.y0 + kXUnit.y.at(0, 0), textZ, s.scaleUnit[0], RoleScaleUnit);
    placeLabel(text, (b.x0 + b.x1) / 2 + kXLabel.x.at(0, nx), b.y0 + kXLabel.y.at(0, nx), textZ, s.scaleLabel[0],
               RoleScaleLabel);
    if (s.scaleShowValues[1] == 1) {
        for (int k = run[1].first; k <= run[1].last; ++k) {
            FormattedValue t = formatValue(s, run[1].value(k), 1);
            placeLabel(text, b.x0 - 0.03 * t.width - 0.05, run[1].world(k) - 0.02, textZ, t.text, RoleScaleValue);
        }
    }
    double lastY = run[1].empty() ? b.y1 : run[1].world(run[1].last);
    double ny = double(s.scaleLabel[1].size());
    placeLabel(text, b.x0 - 0.25, lastY + 0.06, z, s.scaleUnit[1], RoleScaleUnit);
    placeLabel(text, b.x0 - 0.032 * ny - 0.25, (b.y0 + b.y1) / 2 - 0.02, z, s.scaleLabel[1], RoleScaleLabel);

    glColor3d(0.0, 0.0, 0.0);
    closedRectangle({{b.x0, b.y0, z}, {b.x1, b.y0, z}, {b.x1, b.y1, z}, {b.x0, b.y1, z}});
    glPopAttrib();
}

namespace {

// Turns the modelview so that +Z (the axis of a GLU cylinder) points along the
// unit vector d.
void pointZAlong(const double (&d)[3]) {
    // The rotation axis is z x d; a vector opposite to +Z turns about X.
    double ax = -d[1], ay = d[0];
    double angle = std::acos(std::fmax(-1.0, std::fmin(1.0, d[2]))) * 180.0 / std::numbers::pi;
    if (ax == 0 && ay == 0) ax = 1.0;
    if (angle != 0) glRotated(angle, ax, ay, 0.0);
}

}  // namespace

void drawAxisIndicator(const GraphSettings& s, const TextOut& text) {
    static const double kColours[3][3] = {{0.7, 0, 0}, {0, 0.7, 0}, {0, 0, 0.7}};
    const std::string* labels[3] = {&s.axisLabelX, &s.axisLabelY, &s.axisLabelZ};

    glPushAttrib(GL_CURRENT_BIT | GL_LINE_BIT | GL_ENABLE_BIT);
    glDisable(GL_LIGHTING);
    setLineWidth(1.0);
    GLUquadric* cone = gluNewQuadric();   // one quadric for the three cones
    for (int a = 0; a < 3; ++a) {
        double sign = s.scaleReverse[a] == 1 ? -1.0 : 1.0;
        double dir[3] = {0, 0, 0};
        dir[a] = sign;
        glColor3dv(kColours[a]);
        glBegin(GL_LINES);
        glVertex3d(0, 0, 0);
        glVertex3d(dir[0] * 0.2, dir[1] * 0.2, dir[2] * 0.2);
        glEnd();
        if (cone) {
            glPushMatrix();
            glTranslated(dir[0] * 0.2, dir[1] * 0.2, dir[2] * 0.2);
            pointZAlong(dir);
            gluCylinder(cone, 0.012, 0.0, 0.042, 15, 10);
            glPopMatrix();
        }
    }
    if (cone) gluDeleteQuadric(cone);
    for (int a = 0; a < 3; ++a) {
        double at[3] = {0, 0, 0};
        at[a] = s.scaleReverse[a] == 1 ? -0.28 : 0.28;
        placeLabel(text, at[0], at[1], at[2], *labels[a], RoleAxisLabel);
    }
    glPopAttrib();
}

}  // namespace kelvra
