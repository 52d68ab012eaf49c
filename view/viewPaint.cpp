// The view's GL side: the state of a new context, the display lists it
// compiles (graph 100, reduced graph 120, legend 150, axis indicator 200,
// glyph lists), the scene of a frame and the paint, with the frame times that
// decide when a moving view shows the reduced graph (render/reducedGraph.h).
//
// The lists are built after loads and settings changes and after a section
// move, never for a turn, move or zoom. kelvra-render, which draws one
// picture, defers them (lists.deferListBuilds): the graph is then drawn
// straight into the frame, the same primitives without the cost of a list.
#include <GL/gl.h>

#include <chrono>

#include "base/appInfo.h"
#include "base/cp932.h"
#include "base/phaseTimes.h"
#include "render/glCurrent.h"
#include "render/graphSteps.h"
#include "render/legend.h"
#include "render/reducedGraph.h"
#include "render/scaleFrame.h"
#include "render/sections.h"
#include "render/vertexArrays.h"
#include "view/kelvraView.h"

namespace kelvra {

CKelvraView::CKelvraView(ViewHost& host) : host_(host) {}

CKelvraView::~CKelvraView() = default;

void CKelvraView::initGlState() {
    kelvra::initGlState();
    if (lists.deferListBuilds) lists.glyphListsBuilt = false;   // built by the first frame, for its settings
    else buildGlyphLists();
}

void CKelvraView::buildGlyphLists() {
    PhaseScope phase(Phase::GlyphLists);
    lists.glyphs->build(settings);
    lists.glyphListsBuilt = true;
}

void CKelvraView::buildLists(bool withGraph) {
    PhaseScope phase(Phase::DisplayLists);
    holdSectionOnGrid(data, settings, state);
    const BuildContext ctx = buildContext();
    const DrawInput in{data, settings, state, ctx};
    const TextOut text = textOut();

    if (withGraph) {
        // A list beyond the budget is not even begun: the GL would fail inside
        // the compile, or take the memory the rest of the program needs.
        clearDrawOutOfMemory();
        glOutOfMemory();   // an old report must not count against this list
        lists.graphStraight = graphListBytes(settings, data) > graphListBudget();
        lists.outOfMemorySaid = false;
        glNewList(ListGraph, GL_COMPILE);
        if (!lists.graphStraight) drawGraph(in);
        glEndList();
        if (!lists.graphStraight && (glOutOfMemory() || drawRanOutOfMemory())) {
            // What was compiled is given back; the frames draw straight.
            glNewList(ListGraph, GL_COMPILE);
            glEndList();
            clearDrawOutOfMemory();
            lists.graphStraight = true;
        }
        graphListsChanged();
    }

    glNewList(ListLegend, GL_COMPILE);
    drawLegend(in, text);
    glEndList();

    glNewList(ListAxisIndicator, GL_COMPILE);
    drawAxisIndicator(settings, text);
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

// One picture (deferListBuilds) builds only the overlay lists and draws the
// graph without a list; a reduced frame leaves a graph list a section move
// left stale for the full frame.
void CKelvraView::makeMissingLists(GraphDetail detail) {
    if (!data.dataLoaded) return;
    if (!lists.glyphListsBuilt) buildGlyphLists();
    if (lists.deferListBuilds || detail == GraphDetail::Reduced) {
        if (!lists.overlayListsBuilt) buildLists(false);
        return;
    }
    if (!lists.graphListsBuilt) buildDisplayLists();
}

int CKelvraView::drawScene(const SceneDraw& how) {
    PhaseScope phase(Phase::Draw);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (!data.dataLoaded) return 1;
    holdSectionOnGrid(data, settings, state);
    makeMissingLists(how.detail);
    const bool graphStraight = how.straight || (lists.deferListBuilds && !lists.graphListsBuilt) ||
                               (lists.graphStraight && how.detail == GraphDetail::Full);
    clearDrawOutOfMemory();
    const BuildContext ctx = graphStraight ? buildContext() : BuildContext{};
    SceneSource source;
    source.parts = how.parts;
    source.graphList = graphStraight ? 0 : how.detail == GraphDetail::Reduced ? ListGraphReduced : ListGraph;
    source.pickMarkerList = state.pickMarkersShown ? ListPickMarker : 0;
    source.legendList = how.straight ? 0 : ListLegend;
    source.axisIndicatorList = how.straight ? 0 : ListAxisIndicator;
    const int graphCoarsening = drawSceneParts({data, settings, state, ctx}, textOut(), source);
    // A straight draw that ran out of memory left part of the graph out; the
    // program goes on, and says so once for these lists.
    if ((drawRanOutOfMemory() || glOutOfMemory()) && !lists.outOfMemorySaid) {
        lists.outOfMemorySaid = true;
        host().showMessage(sj(kOutOfMemoryText));
    }
    return graphCoarsening;
}

void CKelvraView::paint(int width, int height) {
    host_.setCaption(data.dataFileTitle + " - " + kAppTitle);
    resizeViewport(width, height);
    const GraphDetail detail =
        reducedGraphWanted() && reducedGraphReady() ? GraphDetail::Reduced : GraphDetail::Full;
    makeMissingLists(detail);   // a build is not the frame's time
    const auto start = std::chrono::steady_clock::now();
    const int graphCoarsening = drawScene({.detail = detail});
    glFinish();   // the frame's time is the rasteriser's, not only the submission's
    noteFrame(detail, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), graphCoarsening);
}

void CKelvraView::destroyGlLists() {
    for (DisplayList list : {ListGraph, ListGraphReduced, ListLegend, ListAxisIndicator, ListScaleFrame,
                             ListPickMarker}) {
        if (glIsList(list)) glDeleteLists(list, 1);
    }
    lists.glyphs->destroy();
    state.pickMarkersShown = false;   // its list is gone
    lists.glyphListsBuilt = false;
    lists.graphListsBuilt = false;
    lists.overlayListsBuilt = false;
    graphListsChanged();
}

// ---- the reduced graph ---------------------------------------------------------------

bool CKelvraView::reducedGraphWanted() const {
    return lists.reduced.moving && lists.reduced.allowed && data.dataLoaded && !lists.deferListBuilds &&
           lists.reduced.fullFrameSeconds > kFrameBudgetSeconds;
}

bool CKelvraView::reducedGraphReady() {
    if (lists.reduced.list == ReducedGraph::List::NotBuilt) buildReducedGraph();
    return lists.reduced.list == ReducedGraph::List::Built;
}

void CKelvraView::buildReducedGraph() {
    PhaseScope phase(Phase::DisplayLists);
    ReducedGraph& reduced = lists.reduced;
    reduced.list = ReducedGraph::List::NotWorthIt;
    holdSectionOnGrid(data, settings, state);
    const std::size_t points = graphPoints(data);
    // A full frame drawn from a grid coarsened to the pixels draws fewer
    // points than the data holds: the reduced graph is to have fewer still.
    const std::size_t drawn = std::max<std::size_t>(points / std::size_t(reduced.fullFrameCoarsening), 1);
    if (reduced.targetPoints == 0) reduced.targetPoints = reducedPointTarget(drawn, reduced.fullFrameSeconds);
    if (reduced.targetPoints >= drawn) return;
    const int step = thinningStep(points, reduced.targetPoints);
    if (step < 2) return;
    ThinnedGraph thin;
    if (!thinGraph(data, settings, state, step, thin)) return;

    // The mapping and the levels are the full graph's: the thinned data's own
    // range would shift the colours. The steps that walk only a section draw
    // it from the full data set.
    const BuildContext ctx = buildContext();
    glNewList(ListGraphReduced, GL_COMPILE);
    drawGraphSteps({thin.data, thin.settings, thin.state, ctx}, {data, settings, state, ctx});
    glEndList();
    reduced.list = ReducedGraph::List::Built;
}

void CKelvraView::graphListsChanged() {
    lists.reduced.list = ReducedGraph::List::NotBuilt;
    lists.reduced.fullFrameSeconds = 0.0;
    lists.reduced.fullFrameCoarsening = 1;
    lists.reduced.targetPoints = 0;
}

void CKelvraView::noteFrame(GraphDetail detail, double seconds, int graphCoarsening) {
    ReducedGraph& reduced = lists.reduced;
    ++reduced.frames;
    reduced.lastFrameReduced = detail == GraphDetail::Reduced;
    if (!data.dataLoaded) return;
    if (detail == GraphDetail::Full) {
        reduced.fullFrameSeconds = seconds;
        reduced.fullFrameCoarsening = graphCoarsening;
        return;
    }
    ++reduced.reducedFrames;
    // Slower than the budget after all (a large window, a slower machine, a
    // fixed cost the full frame's time hid): half the points from the next
    // frame on.
    if (seconds > kFrameBudgetSeconds && reduced.targetPoints > kMinReducedPoints) {
        reduced.targetPoints = std::max(reduced.targetPoints / 2, kMinReducedPoints);
        reduced.list = ReducedGraph::List::NotBuilt;
    }
}

}  // namespace kelvra
