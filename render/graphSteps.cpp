// The graph's drawing steps: which routines draw the graph (list 100, or the
// frame straight), in which order, read from the graph-type table
// (settings/graphTypes.h); the build context every step shares; and the clip
// to the scale box. The view compiles the lists (view/viewPaint.cpp); the
// reduced graph of a moving view runs the same steps on a thinned data set.
#include "render/graphSteps.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "base/memory.h"

#include "render/contours.h"
#include "render/feedbackState.h"
#include "render/marks.h"
#include "render/reducedGraph.h"
#include "render/sections.h"
#include "render/surfaces.h"
#include "render/vertexArrays.h"
#include "settings/graphTypes.h"

namespace kelvra {

BuildContext makeBuildContext(const GraphSettings& s, const ViewState& state) {
    BuildContext ctx;
    ctx.map = graphMapping(s, state.axisSpan);
    LevelTable& t = ctx.levels;
    t.logLegend = s.scaleLog[3] == 1;
    t.logZ = s.scaleLog[2] == 1;
    double span = t.logLegend ? std::log(s.scaleMax[3]) - std::log(s.scaleMin[3]) : s.scaleMax[3] - s.scaleMin[3];
    t.levelBase = t.logLegend ? std::log(s.scaleMin[3]) : s.scaleMin[3];
    t.levelCount = buildLevelColors(s.legendColors, s.legendStyle, s.legendReverse, s.scaleStep[3], t.colors);
    t.levelStep = t.levelCount > 0 ? span / t.levelCount : 0.0;
    ctx.greyCount = buildLevelColors(kGreyLevelSource, s.legendStyle, s.legendReverse, s.scaleStep[3], ctx.greys);
    ctx.legendBandHeight = t.levelCount > 0 ? s.legendHeight / double(t.levelCount) * 0.005 : 0.0;
    return ctx;
}

namespace {

// Where the clip planes of the scale box lie along each axis, in world units:
// a hundredth outside the box.
struct ClipBox {
    double low[3], high[3];
};

ClipBox scaleClipBox(const GraphSettings& s, const ViewState& state) {
    const AxisMapping plain = scaleMapping(s, state.axisSpan);
    ClipBox box;
    for (int a = 0; a < 3; ++a) {
        box.low[a] = plain.world(a, s.scaleMin[a]) - 0.01;
        box.high[a] = plain.world(a, s.scaleMax[a]) + 0.01;
    }
    return box;
}

}  // namespace

void clipToScaleBox(const GraphSettings& s, const ViewState& state) {
    const ClipBox box = scaleClipBox(s, state);
    for (int a = 0; a < 3; ++a) {
        GLdouble lower[4] = {0, 0, 0, -box.low[a]};
        GLdouble upper[4] = {0, 0, 0, box.high[a]};
        lower[a] = 1.0;
        upper[a] = -1.0;
        glClipPlane(GL_CLIP_PLANE0 + a, lower);
        glClipPlane(GL_CLIP_PLANE0 + a + 3, upper);
    }
    for (int i = 0; i < 6; ++i) glEnable(GL_CLIP_PLANE0 + i);
}

void unclipScaleBox() {
    for (int i = 0; i < 6; ++i) glDisable(GL_CLIP_PLANE0 + i);
}

bool insideScaleBox(const GraphSettings& s, const double* xyz) {
    for (int a = 0; a < 3; ++a) {
        double margin = 0.001 * (s.scaleMax[a] - s.scaleMin[a]);
        if (!(s.scaleMin[a] - margin <= xyz[a] && xyz[a] <= s.scaleMax[a] + margin)) return false;
    }
    return true;
}

namespace {

// Steps that draw the cells of a grid as surfaces or contour lines: drawn
// from a grid coarsened to the pixels, they show the same picture. Wires,
// points, bars, sections and vectors keep every point.
bool drawsCellsOnly(const DrawSteps& row) {
    for (DrawStep step : row.steps) {
        switch (step) {
            case DrawStep::None: return true;
            case DrawStep::ContourFill:
            case DrawStep::GreyFill:
            case DrawStep::LevelLines:
            case DrawStep::SingleLines:
            case DrawStep::ContourHidden:
            case DrawStep::Shaded: break;
            default: return false;
        }
    }
    return true;
}

// Whether the clip planes of the scale box would cut nothing of what a row of
// steps that draw cells only draws: the data's ranges lie inside the box (the
// cells and their contour lines stay within the hull of the points; the
// floor is the box's bottom). The software GL tests every vertex against
// every plane enabled, which costs a sixth of a large grid's drawing.
bool cellsInsideScaleBox(const DrawInput& in) {
    const ClipBox box = scaleClipBox(in.settings, in.state);
    for (int a = 0; a < 3; ++a) {
        const ValueRange& r = in.data.valueRange[a];
        if (!(r.min <= r.max)) return false;
        for (double v : {r.min, r.max}) {
            const double w = in.ctx.map.world(a, v);
            if (!(box.low[a] <= w && w <= box.high[a])) return false;
        }
    }
    return true;
}

// Runs one row of the graph-type or floor table; `axis` is the section axis (0 X, 1 Y).
// The steps that walk the grid read `v`'s data set; those that walk only the
// section read `section`'s.
void runSteps(const DrawInput& v, const DrawInput& section, const DrawSteps& row, bool onFloor, int axis) {
    const bool clip = row.prelude != Prelude::None && !(drawsCellsOnly(row) && cellsInsideScaleBox(v));
    if (clip) clipToScaleBox(v.settings, v.state);
    if (row.prelude == Prelude::OffsetFill) beginOffsetFill();
    bool first = true;
    for (DrawStep step : row.steps) {
        if (step == DrawStep::None) break;
        switch (step) {
            case DrawStep::ContourFill: drawContourFill(v, onFloor); break;
            case DrawStep::GreyFill: drawGreyContourFill(v, onFloor); break;
            case DrawStep::LevelLines: drawContourLines(v, true, onFloor); break;
            case DrawStep::SingleLines: drawContourLines(v, false, onFloor); break;
            case DrawStep::ContourHidden: drawContourHiddenFill(v); break;
            case DrawStep::ColorWire: drawColorWireframe(v); break;
            case DrawStep::WireHidden: drawWireHiddenFill(v); break;
            case DrawStep::Wire: drawWireframe(v); break;
            case DrawStep::ColorPoints: drawColorPoints(v, v.ctx.levels.colors, v.ctx.levels.levelCount); break;
            case DrawStep::GreyPoints: drawGreyPoints(v); break;
            case DrawStep::BlackPoints: drawBlackPoints(v); break;
            case DrawStep::Shaded: drawShadedShape(v); break;
            case DrawStep::Bars: drawBars(v); break;
            case DrawStep::SectionFill: drawSectionFill(section, axis); break;
            case DrawStep::SectionCut: drawSectionCut(v, axis); break;
            case DrawStep::SectionLine: drawSectionLine(section, axis); break;
            case DrawStep::SectionPoints: drawSectionPoints(section, axis); break;
            case DrawStep::Vectors: drawVectors(v); break;
            case DrawStep::None: break;
        }
        if (first && row.prelude == Prelude::OffsetFill) endOffsetFill();
        first = false;
    }
    if (clip) unclipScaleBox();
}

}  // namespace

namespace {

// What a straight draw of a large graph takes beyond what the process holds:
// the software GL's own room and about the graph's list size again, at most
// 512 MB (300 to 390 MB of address space measured for 200 x 200 to
// 1200 x 1200 bars, the driver's code already made).
constexpr std::size_t kLargeGraphBytes = std::size_t(16) << 20;
constexpr std::size_t kDriverRoom = std::size_t(192) << 20;
constexpr std::size_t kStraightDrawRoom = std::size_t(512) << 20;

bool coarsening = true;

// The screen widths of a cell of a grid drawn straight into a frame (not into
// a list, which outlives the view it was made for, nor for picking or a
// vector picture), 0 otherwise: see cellPixels.
CellPixels frameCellPixels(const DrawInput& in) {
    if (in.data.dataKind != Grid || vectorCapture()) return {};
    GLint list = 0, mode = 0;
    glGetIntegerv(GL_LIST_INDEX, &list);
    glGetIntegerv(GL_RENDER_MODE, &mode);
    if (list != 0 || mode != GL_RENDER) return {};
    GLdouble model[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    auto toPixel = [&](const Vec3& w, double* x, double* y) {
        const double v[4] = {w.x, w.y, w.z, 1.0};
        double eye[4], clip[4];
        for (int i = 0; i < 4; ++i) eye[i] = model[i] * v[0] + model[4 + i] * v[1] + model[8 + i] * v[2] + model[12 + i] * v[3];
        for (int i = 0; i < 4; ++i)
            clip[i] = projection[i] * eye[0] + projection[4 + i] * eye[1] + projection[8 + i] * eye[2] + projection[12 + i] * eye[3];
        const double wc = clip[3] != 0.0 ? clip[3] : 1.0;
        *x = viewport[0] + (clip[0] / wc + 1.0) * 0.5 * viewport[2];
        *y = viewport[1] + (clip[1] / wc + 1.0) * 0.5 * viewport[3];
    };
    const GraphSettings& s = in.settings;
    return cellPixels(in.data, in.ctx.map, in.ctx.map.world(2, s.scaleMin[2]), in.ctx.map.world(2, s.scaleMax[2]), toPixel);
}

// Whether a grid drawn straight may be drawn from a coarsened copy: see
// subPixelSteps.
bool coarsenable(const DrawInput& in) {
    const GraphSettings& s = in.settings;
    if (!coarsening || s.displayMode == DisplayXSection || s.displayMode == DisplayYSection) return false;
    const GraphTypeInfo* type = currentGraphType(s, in.data);
    const FloorProjectionInfo* floor = floorProjection(s.xyContourMode);
    return type && drawsCellsOnly(type->draw) && (!floor || drawsCellsOnly(floor->draw));
}

}  // namespace

void setSubPixelCoarsening(bool on) { coarsening = on; }

int drawGraph(const DrawInput& in) {
    // Drawn straight, a large graph needs room in the software GL (the scenes
    // its threads bin, the arrays it copies, its threads' heaps): under an
    // address-space limit that leaves less, the GL dies inside the draw. The
    // graph is left out instead and the view says it ran out of memory.
    GLint list = 0;
    glGetIntegerv(GL_LIST_INDEX, &list);
    const std::size_t bytes = list == 0 ? graphListBytes(in.settings, in.data) : 0;
    if (bytes > kLargeGraphBytes && addressSpaceLeft() < std::min(kStraightDrawRoom, kDriverRoom + bytes)) {
        noteDrawOutOfMemory();
        return 1;
    }
    const CellPixels cell = frameCellPixels(in);
    if (cell.widest() == 0.0) {
        drawGraphSteps(in, in);
        return 1;
    }
    // The steps get the cells' size on the screen (see BuildContext).
    BuildContext framed = in.ctx;
    framed.cellPixels = cell.widest();
    const DrawInput straight{in.data, in.settings, in.state, framed};
    if (const CoarseningSteps steps = coarsenable(in) ? subPixelSteps(cell, in.data) : CoarseningSteps{};
        steps.points() > 1) {
        GraphData coarse;
        if (coarsenGrid(in.data, steps, coarse)) {
            BuildContext coarseCells = framed;
            coarseCells.cellPixels = std::max(cell.x * steps.x, cell.y * steps.y);
            drawGraphSteps({coarse, in.settings, in.state, coarseCells}, straight);
            return steps.points();
        }
    }
    drawGraphSteps(straight, straight);
    return 1;
}

void drawGraphSteps(const DrawInput& grid, const DrawInput& section) {
    const int sectionAxis = section.settings.displayMode == DisplayYSection ? 1 : 0;
    if (const GraphTypeInfo* type = currentGraphType(section.settings, section.data))
        runSteps(grid, section, type->draw, false, sectionAxis);
    if (const FloorProjectionInfo* floor = floorProjection(section.settings.xyContourMode))
        runSteps(grid, section, floor->draw, true, 0);
}

}  // namespace kelvra

namespace kelvra {
namespace {

std::size_t budgetOverride = 0;

// Bytes of a display list per point of the graph, by step: two triangles a
// cell (more where levels cross), two wire segments a point, a bar's six
// faces and twelve edges. Steps along a section only are left out.
std::size_t bytesPerPoint(const DrawSteps& row) {
    std::size_t bytes = 0;
    for (DrawStep step : row.steps) {
        switch (step) {
            case DrawStep::None: return bytes;
            case DrawStep::ContourFill:
            case DrawStep::GreyFill:
            case DrawStep::ContourHidden:
            case DrawStep::WireHidden:
            case DrawStep::Shaded:
            case DrawStep::Vectors: bytes += 256; break;
            case DrawStep::LevelLines:
            case DrawStep::SingleLines:
            case DrawStep::ColorWire:
            case DrawStep::Wire: bytes += 128; break;
            case DrawStep::ColorPoints:
            case DrawStep::GreyPoints:
            case DrawStep::BlackPoints: bytes += 64; break;
            case DrawStep::Bars: bytes += 2048; break;
            default: break;
        }
    }
    return bytes;
}

}  // namespace

std::size_t graphListBytes(const GraphSettings& s, const GraphData& d) {
    std::size_t perPoint = 0;
    if (const GraphTypeInfo* type = currentGraphType(s, d)) perPoint += bytesPerPoint(type->draw);
    if (const FloorProjectionInfo* floor = floorProjection(s.xyContourMode)) perPoint += bytesPerPoint(floor->draw);
    return graphPoints(d) * perPoint;
}

std::size_t graphListBudget() {
    if (budgetOverride > 0) return budgetOverride;
    constexpr std::size_t kBudget = std::size_t(512) << 20;
    return std::min(kBudget, addressSpaceLeft() / 4);
}

void setGraphListBudget(std::size_t bytes) { budgetOverride = bytes; }

}  // namespace kelvra
