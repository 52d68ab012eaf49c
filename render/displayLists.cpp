// The display-list builder: turns the data set and the settings into the graph
// (list 100), the colour legend (150) and the axis indicator (200), and on
// demand its pick targets (500). It decides, from the display mode, the data kind and the
// graph type, which drawing routines run and in which order; the tables below
// are that decision. It runs after loads and settings changes and after a
// section move, never for a turn, move or zoom.
#include <GL/gl.h>

#include <cmath>
#include <iterator>

#include "core/kelvraView.h"
#include "core/phaseTimes.h"
#include "render/glCurrent.h"

namespace kelvra {
namespace {

// What a graph type does before its drawing steps: nothing, clip to the scale
// box, or clip and push the first (filled) step back with polygon offset so
// that the lines drawn after it on the same surface win the depth test.
enum class Prelude { None, Clip, OffsetFill };

enum Step {
    StepNone,
    StepContourFill,
    StepGreyFill,
    StepLevelLines,       // contour lines in the level colours
    StepSingleLines,      // contour lines in contour2Color
    StepContourHidden,
    StepColorWire,
    StepWireHidden,
    StepWire,
    StepColorPoints,
    StepGreyPoints,
    StepBlackPoints,
    StepShaded,
    StepBars,
    StepSectionFill,
    StepSectionCut,
    StepSectionLine,
    StepSectionPoints,
    StepVectors,
};

struct Steps {
    Prelude prelude;
    Step steps[3];
};

// Grid data in the 3-D and 2-D displays, by graph type.
const Steps kGridSteps[] = {
    {Prelude::Clip, {StepContourFill}},                                  // 0 等高線1(ｶﾗｰ)
    {Prelude::OffsetFill, {StepContourFill, StepWire}},                  // 1 等高線1(ｶﾗｰ，ﾜｲﾔｰﾌﾚｰﾑ)
    {Prelude::Clip, {StepGreyFill}},                                     // 2 等高線1(白黒)
    {Prelude::OffsetFill, {StepGreyFill, StepWire}},                     // 3 等高線1(白黒，ﾜｲﾔｰﾌﾚｰﾑ)
    {Prelude::Clip, {StepLevelLines}},                                   // 4 等高線2(ｶﾗｰ)
    {Prelude::Clip, {StepContourHidden, StepLevelLines}},                // 5 等高線2(ｶﾗｰ，陰線処理)
    {Prelude::Clip, {StepSingleLines}},                                  // 6 等高線2
    {Prelude::Clip, {StepContourHidden, StepSingleLines}},               // 7 等高線2(陰線処理)
    {Prelude::OffsetFill, {StepContourFill, StepSingleLines}},           // 8 等高線1(ｶﾗｰ) + 等高線2
    {Prelude::OffsetFill, {StepContourFill, StepWire, StepSingleLines}}, // 9 等高線1(ｶﾗｰ，ﾜｲﾔｰ) + 等高線2
    {Prelude::Clip, {StepColorWire}},                                    // 10 ﾜｲﾔｰﾌﾚｰﾑ(ｶﾗｰ)
    {Prelude::Clip, {StepWireHidden, StepColorWire}},                    // 11 ﾜｲﾔｰﾌﾚｰﾑ(ｶﾗｰ，陰線処理)
    {Prelude::Clip, {StepWire}},                                         // 12 ﾜｲﾔｰﾌﾚｰﾑ
    {Prelude::Clip, {StepWireHidden, StepWire}},                         // 13 ﾜｲﾔｰﾌﾚｰﾑ(陰線処理)
    {Prelude::None, {StepColorPoints}},                                  // 14 点(ｶﾗｰ)
    {Prelude::None, {StepGreyPoints}},                                   // 15 点(白黒)
    {Prelude::None, {StepBlackPoints}},                                  // 16 点(黒)
    {Prelude::OffsetFill, {StepShaded}},                                 // 17 形状
    {Prelude::OffsetFill, {StepShaded, StepWire}},                       // 18 形状(ﾜｲﾔｰﾌﾚｰﾑ)
    {Prelude::Clip, {StepBars}},                                         // 19 棒ｸﾞﾗﾌ
};

// Scattered data in the 3-D and 2-D displays.
const Steps kScatteredSteps[] = {
    {Prelude::None, {StepColorPoints}},   // 0 点(ｶﾗｰ)
    {Prelude::None, {StepGreyPoints}},    // 1 点(白黒)
    {Prelude::None, {StepBlackPoints}},   // 2 点(黒)
    {Prelude::Clip, {StepBars}},          // 3 棒ｸﾞﾗﾌ
};

// Section displays with X, Y, Z only, and with a data value per point.
const Steps kSectionStepsZ[] = {
    {Prelude::Clip, {StepSectionFill}},                   // 0 等高線(ｶﾗｰ)
    {Prelude::Clip, {StepSectionFill, StepSectionCut}},   // 1 等高線(ｶﾗｰ，形状付き)
    {Prelude::Clip, {StepSectionLine}},                   // 2 ﾜｲﾔｰﾌﾚｰﾑ
    {Prelude::None, {StepSectionPoints}},                 // 3 点(ｶﾗｰ)
};
const Steps kSectionStepsData[] = {
    {Prelude::Clip, {StepSectionLine}},     // 0 ﾜｲﾔｰﾌﾚｰﾑ
    {Prelude::None, {StepSectionPoints}},   // 1 点(ｶﾗｰ)
};

// The floor projections, by xyContourMode; every step draws on the floor.
const Steps kFloorSteps[] = {
    {Prelude::None, {}},                                      // 0 XY平面-等高線なし
    {Prelude::Clip, {StepContourFill}},                       // 1 XY平面-等高線1(ｶﾗｰ)
    {Prelude::Clip, {StepGreyFill}},                          // 2 XY平面-等高線1(白黒)
    {Prelude::Clip, {StepLevelLines}},                        // 3 XY平面-等高線2(ｶﾗｰ)
    {Prelude::Clip, {StepSingleLines}},                       // 4 XY平面-等高線2
    {Prelude::OffsetFill, {StepContourFill, StepSingleLines}},// 5 XY平面-等高線1(ｶﾗｰ) + 等高線2
    {Prelude::OffsetFill, {StepGreyFill, StepSingleLines}},   // 6 XY平面-等高線1(白黒) + 等高線2
};
static_assert(std::size(kFloorSteps) == XyContourModeCount);

template <std::size_t N>
const Steps* pick(const Steps (&table)[N], int index) {
    return index >= 0 && std::size_t(index) < N ? &table[index] : nullptr;
}

enum class LegendChoice { None, Colour, Grey };

// Which legend list 150 shows: by the graph first, then by the floor projection.
LegendChoice legendChoice(const CKelvraView& v) {
    const int t = v.graphType;
    bool byFloor = false;
    if (v.displayMode == DisplayXSection || v.displayMode == DisplayYSection) {
        bool colour = v.valuesPerPoint == 3 ? (t == 0 || t == 1 || t == 3) : t == 1;
        if (colour) return LegendChoice::Colour;
        byFloor = true;
    } else if (v.displayMode == Display3D || v.displayMode == Display2D) {
        switch (v.dataKind) {
            case Grid:
                if (t == 2 || t == 3 || t == 15) return LegendChoice::Grey;
                if (t == 6 || t == 7 || t == 12 || t == 13 || t == 16 || t == 17 || t == 18) byFloor = true;
                else return LegendChoice::Colour;
                break;
            case Scattered:
                if (t == 0 || t == 3) return LegendChoice::Colour;
                if (t == 1) return LegendChoice::Grey;
                byFloor = true;   // type 2, and anything else
                break;
            case Vectors: return LegendChoice::Colour;
            default: byFloor = true;
        }
    } else {
        byFloor = true;
    }
    if (!byFloor) return LegendChoice::None;
    switch (v.xyContourMode) {
        case XyContourFill: case XyContourLevelLines: case XyContourFillAndLines: return LegendChoice::Colour;
        case XyContourGreyFill: case XyContourGreyFillAndLines: return LegendChoice::Grey;
        case XyContourNone: case XyContourLines: case XyContourModeCount: break;
    }
    return LegendChoice::None;   // also for a mode outside the list
}

}  // namespace

BuildContext CKelvraView::makeBuildContext() const {
    BuildContext ctx;
    ctx.map = graphMapping();
    LevelTable& t = ctx.levels;
    t.logLegend = scaleLog[3] == 1;
    t.logZ = scaleLog[2] == 1;
    double span = t.logLegend ? std::log(scaleMax[3]) - std::log(scaleMin[3]) : scaleMax[3] - scaleMin[3];
    t.levelBase = t.logLegend ? std::log(scaleMin[3]) : scaleMin[3];
    t.levelCount = buildLevelColors(legendColors, legendStyle, legendReverse, scaleStep[3], t.colors);
    t.levelStep = t.levelCount > 0 ? span / t.levelCount : 0.0;
    ctx.legendBandHeight = t.levelCount > 0 ? legendHeight / double(t.levelCount) * 0.005 : 0.0;
    return ctx;
}

void CKelvraView::clipToScaleBox() const {
    AxisMapping plain = scaleMapping();
    for (int a = 0; a < 3; ++a) {
        double wMin = plain.world(a, scaleMin[a]);
        double wMax = plain.world(a, scaleMax[a]);
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
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(1.0f, 1.0f);
}

bool CKelvraView::insideScaleBox(const double* xyz) const {
    for (int a = 0; a < 3; ++a) {
        double margin = 0.001 * (scaleMax[a] - scaleMin[a]);
        if (!(scaleMin[a] - margin <= xyz[a] && xyz[a] <= scaleMax[a] + margin)) return false;
    }
    return true;
}

namespace {

// Runs one row of a dispatch table; `axis` is the section axis (0 X, 1 Y).
void runSteps(const CKelvraView& v, const BuildContext& ctx, const Steps& row, bool onFloor, int axis) {
    if (row.prelude == Prelude::Clip) v.clipToScaleBox();
    if (row.prelude == Prelude::OffsetFill) v.offsetFillOn();
    bool first = true;
    for (Step step : row.steps) {
        if (step == StepNone) break;
        switch (step) {
            case StepContourFill: v.drawContourFill(ctx, onFloor); break;
            case StepGreyFill: v.drawGreyContourFill(ctx, onFloor); break;
            case StepLevelLines: v.drawContourLines(ctx, true, onFloor); break;
            case StepSingleLines: v.drawContourLines(ctx, false, onFloor); break;
            case StepContourHidden: v.drawContourHiddenFill(ctx); break;
            case StepColorWire: v.drawColorWireframe(ctx); break;
            case StepWireHidden: v.drawWireHiddenFill(ctx); break;
            case StepWire: v.drawWireframe(ctx); break;
            case StepColorPoints: v.drawColorPoints(ctx, ctx.levels.colors, ctx.levels.levelCount); break;
            case StepGreyPoints: v.drawGreyPoints(ctx); break;
            case StepBlackPoints: v.drawBlackPoints(ctx); break;
            case StepShaded: v.drawShadedShape(ctx); break;
            case StepBars: v.drawBars(ctx); break;
            case StepSectionFill: v.drawSectionFill(ctx, axis); break;
            case StepSectionCut: v.drawSectionCut(ctx, axis); break;
            case StepSectionLine: v.drawSectionLine(ctx, axis); break;
            case StepSectionPoints: v.drawSectionPoints(ctx, axis); break;
            case StepVectors: v.drawVectors(ctx); break;
            case StepNone: break;
        }
        if (first && row.prelude == Prelude::OffsetFill) glDisable(GL_POLYGON_OFFSET_FILL);
        first = false;
    }
    if (row.prelude != Prelude::None) v.unclipScaleBox();
}

const Steps kVectorSteps = {Prelude::None, {StepVectors}};

}  // namespace

void CKelvraView::drawGraph(const BuildContext& ctx) {
    const Steps* graph = nullptr;
    int sectionAxis = 0;
    if (displayMode == DisplayXSection || displayMode == DisplayYSection) {
        sectionAxis = displayMode == DisplayXSection ? 0 : 1;
        if (sectionAxis == 0) updateSectionX();
        else updateSectionY();
        graph = valuesPerPoint == 3 ? pick(kSectionStepsZ, graphType) : pick(kSectionStepsData, graphType);
    } else if (displayMode == Display3D || displayMode == Display2D) {
        switch (dataKind) {
            case Grid: graph = pick(kGridSteps, graphType); break;
            case Scattered: graph = pick(kScatteredSteps, graphType); break;
            case Vectors: graph = &kVectorSteps; break;
            default: break;
        }
    }
    if (graph) runSteps(*this, ctx, *graph, false, sectionAxis);
    if (const Steps* floor = pick(kFloorSteps, xyContourMode)) runSteps(*this, ctx, *floor, true, 0);
}

void CKelvraView::buildDisplayLists() { buildLists(true); }

void CKelvraView::buildLists(bool withGraph) {
    PhaseScope phase(Phase::DisplayLists);
    BuildContext ctx = makeBuildContext();

    if (withGraph) {
        glNewList(ListGraph, GL_COMPILE);
        drawGraph(ctx);
        glEndList();
    }

    glNewList(ListPickTargets, GL_COMPILE);
    glEndList();
    pickTargetsBuilt = false;

    glNewList(ListLegend, GL_COMPILE);
    switch (legendChoice(*this)) {
        case LegendChoice::Colour:
            buildLegend(ctx.levels.levelCount, ctx.levels.levelStep, ctx.legendBandHeight, ctx.levels.colors);
            break;
        case LegendChoice::Grey: {
            Rgb grey[kMaxLevelCount + 1];
            int n = buildLevelColors(kGreyLevelSource, legendStyle, legendReverse, scaleStep[3], grey);
            buildLegend(n, ctx.levels.levelStep, ctx.legendBandHeight, grey);
            break;
        }
        case LegendChoice::None: break;
    }
    glEndList();

    glNewList(ListAxisIndicator, GL_COMPILE);
    buildAxisIndicator();
    glEndList();
    graphListsBuilt = withGraph;
    overlayListsBuilt = true;
}

// Without a current context (reader tests, benchmarks, fuzzers) the lists
// stay marked as not built and the next paint makes them.
void CKelvraView::rebuildPicture() {
    if (glContextIsCurrent() && !deferListBuilds) {
        buildGlyphLists();
        buildDisplayLists();
    } else {
        glyphListsBuilt = false;
        graphListsBuilt = false;
        overlayListsBuilt = false;
    }
    host().invalidate();
}

void CKelvraView::buildPickTargets() {
    if (pickTargetsBuilt) return;
    PhaseScope phase(Phase::DisplayLists);
    BuildContext ctx = makeBuildContext();
    glNewList(ListPickTargets, GL_COMPILE);
    drawPickTargets(ctx);
    glEndList();
    pickTargetsBuilt = true;
}

}  // namespace kelvra
