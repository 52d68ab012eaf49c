// The graph's drawing steps: which routines draw the graph (list 100, or the
// frame straight), in which order, read from the graph-type table
// (settings/graphTypes.h); the build context every step shares; and the clip
// to the scale box. The view compiles the lists (view/viewPaint.cpp); the
// reduced graph of a moving view runs the same steps on a thinned data set.
#include "render/graphSteps.h"

#include <GL/gl.h>

#include <cmath>

#include "render/contours.h"
#include "render/feedbackState.h"
#include "render/marks.h"
#include "render/sections.h"
#include "render/surfaces.h"
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

void clipToScaleBox(const GraphSettings& s, const ViewState& state) {
    AxisMapping plain = scaleMapping(s, state.axisSpan);
    for (int a = 0; a < 3; ++a) {
        double wMin = plain.world(a, s.scaleMin[a]);
        double wMax = plain.world(a, s.scaleMax[a]);
        GLdouble lower[4] = {0, 0, 0, 0.01 - wMin};
        GLdouble upper[4] = {0, 0, 0, wMax + 0.01};
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

void offsetFillOn(const GraphSettings& s, const ViewState& state) {
    clipToScaleBox(s, state);
    beginOffsetFill();
}

bool insideScaleBox(const GraphSettings& s, const double* xyz) {
    for (int a = 0; a < 3; ++a) {
        double margin = 0.001 * (s.scaleMax[a] - s.scaleMin[a]);
        if (!(s.scaleMin[a] - margin <= xyz[a] && xyz[a] <= s.scaleMax[a] + margin)) return false;
    }
    return true;
}

namespace {

// Runs one row of the graph-type or floor table; `axis` is the section axis (0 X, 1 Y).
// The steps that walk the grid read `v`'s data set; those that walk only the
// section read `section`'s.
void runSteps(const DrawInput& v, const DrawInput& section, const DrawSteps& row, bool onFloor, int axis) {
    if (row.prelude == Prelude::Clip) clipToScaleBox(v.settings, v.state);
    if (row.prelude == Prelude::OffsetFill) offsetFillOn(v.settings, v.state);
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
    if (row.prelude != Prelude::None) unclipScaleBox();
}

}  // namespace

void drawGraph(const DrawInput& in) { drawGraphSteps(in, in); }

void drawGraphSteps(const DrawInput& grid, const DrawInput& section) {
    const int sectionAxis = section.settings.displayMode == DisplayYSection ? 1 : 0;
    if (const GraphTypeInfo* type = currentGraphType(section.settings, section.data))
        runSteps(grid, section, type->draw, false, sectionAxis);
    if (const FloorProjectionInfo* floor = floorProjection(section.settings.xyContourMode))
        runSteps(grid, section, floor->draw, true, 0);
}

}  // namespace kelvra
