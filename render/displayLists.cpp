// The display-list builder: turns the data set and the settings into the graph
// (list 100), the colour legend (150) and the axis indicator (200). Which
// drawing routines run, in which order, and which legend shows, is read from
// the graph-type table (settings/graphTypes.h). It runs after loads and settings
// changes and after a section move, never for a turn, move or zoom. The
// reduced graph of a moving view (render/reducedGraph.cpp) runs the same steps
// on a thinned data set.
#include <GL/gl.h>

#include <cmath>

#include "view/kelvraView.h"
#include "base/phaseTimes.h"
#include "render/feedbackState.h"
#include "render/glCurrent.h"
#include "settings/graphTypes.h"

namespace kelvra {

BuildContext CKelvraView::makeBuildContext() const {
    BuildContext ctx;
    ctx.map = graphMapping();
    LevelTable& t = ctx.levels;
    t.logLegend = settings.scaleLog[3] == 1;
    t.logZ = settings.scaleLog[2] == 1;
    double span = t.logLegend ? std::log(settings.scaleMax[3]) - std::log(settings.scaleMin[3]) : settings.scaleMax[3] - settings.scaleMin[3];
    t.levelBase = t.logLegend ? std::log(settings.scaleMin[3]) : settings.scaleMin[3];
    t.levelCount = buildLevelColors(settings.legendColors, settings.legendStyle, settings.legendReverse, settings.scaleStep[3], t.colors);
    t.levelStep = t.levelCount > 0 ? span / t.levelCount : 0.0;
    ctx.legendBandHeight = t.levelCount > 0 ? settings.legendHeight / double(t.levelCount) * 0.005 : 0.0;
    return ctx;
}

void CKelvraView::clipToScaleBox() const {
    AxisMapping plain = scaleMapping();
    for (int a = 0; a < 3; ++a) {
        double wMin = plain.world(a, settings.scaleMin[a]);
        double wMax = plain.world(a, settings.scaleMax[a]);
        GLdouble lower[4] = {0, 0, 0, 0.01 - wMin};
        GLdouble upper[4] = {0, 0, 0, wMax + 0.01};
        lower[a] = 1.0;
        upper[a] = -1.0;
        glClipPlane(GL_CLIP_PLANE0 + a, lower);
        glClipPlane(GL_CLIP_PLANE0 + a + 3, upper);
    }
    for (int i = 0; i < 6; ++i) glEnable(GL_CLIP_PLANE0 + i);
}

void CKelvraView::unclipScaleBox() const {
    for (int i = 0; i < 6; ++i) glDisable(GL_CLIP_PLANE0 + i);
}

void CKelvraView::offsetFillOn() const {
    clipToScaleBox();
    beginOffsetFill();
}

bool CKelvraView::insideScaleBox(const double* xyz) const {
    for (int a = 0; a < 3; ++a) {
        double margin = 0.001 * (settings.scaleMax[a] - settings.scaleMin[a]);
        if (!(settings.scaleMin[a] - margin <= xyz[a] && xyz[a] <= settings.scaleMax[a] + margin)) return false;
    }
    return true;
}

namespace {

// Runs one row of the graph-type or floor table; `axis` is the section axis (0 X, 1 Y).
// The steps that walk the grid read `v`'s data set; those that walk only the
// section read `section`'s.
void runSteps(const CKelvraView& v, const CKelvraView& section, const BuildContext& ctx, const DrawSteps& row,
              bool onFloor, int axis) {
    if (row.prelude == Prelude::Clip) v.clipToScaleBox();
    if (row.prelude == Prelude::OffsetFill) v.offsetFillOn();
    bool first = true;
    for (DrawStep step : row.steps) {
        if (step == DrawStep::None) break;
        switch (step) {
            case DrawStep::ContourFill: v.drawContourFill(ctx, onFloor); break;
            case DrawStep::GreyFill: v.drawGreyContourFill(ctx, onFloor); break;
            case DrawStep::LevelLines: v.drawContourLines(ctx, true, onFloor); break;
            case DrawStep::SingleLines: v.drawContourLines(ctx, false, onFloor); break;
            case DrawStep::ContourHidden: v.drawContourHiddenFill(ctx); break;
            case DrawStep::ColorWire: v.drawColorWireframe(ctx); break;
            case DrawStep::WireHidden: v.drawWireHiddenFill(ctx); break;
            case DrawStep::Wire: v.drawWireframe(ctx); break;
            case DrawStep::ColorPoints: v.drawColorPoints(ctx, ctx.levels.colors, ctx.levels.levelCount); break;
            case DrawStep::GreyPoints: v.drawGreyPoints(ctx); break;
            case DrawStep::BlackPoints: v.drawBlackPoints(ctx); break;
            case DrawStep::Shaded: v.drawShadedShape(ctx); break;
            case DrawStep::Bars: v.drawBars(ctx); break;
            case DrawStep::SectionFill: section.drawSectionFill(ctx, axis); break;
            case DrawStep::SectionCut: v.drawSectionCut(ctx, axis); break;
            case DrawStep::SectionLine: section.drawSectionLine(ctx, axis); break;
            case DrawStep::SectionPoints: section.drawSectionPoints(ctx, axis); break;
            case DrawStep::Vectors: v.drawVectors(ctx); break;
            case DrawStep::None: break;
        }
        if (first && row.prelude == Prelude::OffsetFill) endOffsetFill();
        first = false;
    }
    if (row.prelude != Prelude::None) v.unclipScaleBox();
}

}  // namespace

void CKelvraView::drawGraph(const BuildContext& ctx) {
    // A section display first moves its section onto the grid.
    if (settings.displayMode == DisplayXSection) updateSectionX();
    else if (settings.displayMode == DisplayYSection) updateSectionY();
    drawGraphSteps(*this, *this, ctx);
}

void CKelvraView::drawGraphSteps(const CKelvraView& grid, const CKelvraView& section, const BuildContext& ctx) {
    const int sectionAxis = section.settings.displayMode == DisplayYSection ? 1 : 0;
    if (const GraphTypeInfo* type = currentGraphType(section.settings, section.data))
        runSteps(grid, section, ctx, type->draw, false, sectionAxis);
    if (const FloorProjectionInfo* floor = floorProjection(section.settings.xyContourMode))
        runSteps(grid, section, ctx, floor->draw, true, 0);
}

void CKelvraView::drawLegend(const BuildContext& ctx) {
    switch (legendChoice(settings, data)) {
        case LegendChoice::Colour:
            buildLegend(ctx.levels.levelCount, ctx.levels.levelStep, ctx.legendBandHeight, ctx.levels.colors);
            break;
        case LegendChoice::Grey: {
            Rgb grey[kMaxLevelCount + 1];
            int n = buildLevelColors(kGreyLevelSource, settings.legendStyle, settings.legendReverse, settings.scaleStep[3], grey);
            buildLegend(n, ctx.levels.levelStep, ctx.legendBandHeight, grey);
            break;
        }
        case LegendChoice::None: break;
    }
}

void CKelvraView::buildDisplayLists() { buildLists(true); }

void CKelvraView::buildLists(bool withGraph) {
    PhaseScope phase(Phase::DisplayLists);
    BuildContext ctx = makeBuildContext();

    if (withGraph) {
        glNewList(ListGraph, GL_COMPILE);
        drawGraph(ctx);
        glEndList();
        graphListsChanged();
    }

    glNewList(ListLegend, GL_COMPILE);
    drawLegend(ctx);
    glEndList();

    glNewList(ListAxisIndicator, GL_COMPILE);
    buildAxisIndicator();
    glEndList();
    lists.graphListsBuilt = withGraph;
    lists.overlayListsBuilt = true;
}

// Without a current context (reader tests, benchmarks, fuzzers) the lists
// stay marked as not built and the next paint makes them.
void CKelvraView::rebuildPicture() {
    if (glContextIsCurrent() && !lists.deferListBuilds) {
        buildGlyphLists();
        buildDisplayLists();
    } else {
        lists.glyphListsBuilt = false;
        lists.graphListsBuilt = false;
        lists.overlayListsBuilt = false;
        graphListsChanged();
    }
    host().invalidate();
}

}  // namespace kelvra
