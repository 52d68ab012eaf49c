// The reduced graph (list 120): the thinning rule, the build from a thinned
// copy of the data set, and the view's bookkeeping of frame times and
// movement that decides when a frame shows it (see reducedGraph.h).
#include "render/reducedGraph.h"

#include <GL/gl.h>

#include <algorithm>
#include <climits>
#include <cmath>

#include "view/kelvraView.h"
#include "base/phaseTimes.h"

namespace kelvra {

// ---- the thinning rule -------------------------------------------------------------

std::size_t graphPoints(const GraphData& d) {
    if (!d.dataLoaded || d.valuesPerPoint < 3) return 0;
    const std::size_t stored = d.pointValues.size() / std::size_t(d.valuesPerPoint);
    if (d.dataKind == Grid) {
        if (d.rowCount <= 0 || d.columnCount <= 0) return 0;
        std::size_t n = std::size_t(d.rowCount) * std::size_t(d.columnCount);
        return n <= stored ? n : 0;
    }
    return std::min(d.pointCount > 0 ? std::size_t(d.pointCount) : 0, stored);
}

std::size_t reducedPointTarget(std::size_t points, double fullFrameSeconds) {
    // Fewer points draw quickly whatever the frame's time says: the fixed cost
    // of a frame (text, scale frame) or the first frame's shader code was slow.
    if (points < kReducedShareDivisor * kMinReducedPoints) return points;
    const std::size_t most = points / kReducedShareDivisor;
    double share = fullFrameSeconds > 0.0 ? 0.5 * kFrameBudgetSeconds / fullFrameSeconds : 1.0;
    double fitting = double(points) * std::min(share, 1.0);
    std::size_t target = fitting < double(most) ? std::size_t(fitting) : most;
    return std::max(target, kMinReducedPoints);
}

int thinningStep(std::size_t points, std::size_t targetPoints) {
    if (targetPoints == 0 || points <= targetPoints) return 1;
    int step = int(std::ceil(std::sqrt(double(points) / double(targetPoints))));
    while (step > 1 && double(points) / (double(step - 1) * (step - 1)) <= double(targetPoints)) --step;
    while (double(points) / (double(step) * step) > double(targetPoints)) ++step;
    return std::max(step, 1);
}

std::vector<int> keptIndices(int count, int step, int alsoKeep) {
    std::vector<int> kept;
    if (count < 1) return kept;
    step = std::max(step, 1);
    for (long long i = 0; i < count; i += step) kept.push_back(int(i));
    if (kept.back() != count - 1) kept.push_back(count - 1);
    if (alsoKeep >= 0 && alsoKeep < count) {
        auto at = std::lower_bound(kept.begin(), kept.end(), alsoKeep);
        if (at == kept.end() || *at != alsoKeep) kept.insert(at, alsoKeep);
    }
    return kept;
}

Thinning planThinning(const GraphData& d, int step, int keepColumn, int keepRow) {
    Thinning plan;
    step = std::max(step, 1);
    if (d.dataKind == Grid) {
        plan.rows = keptIndices(d.rowCount, step, keepRow);
        plan.columns = keptIndices(d.columnCount, step, keepColumn);
    } else {
        // A list has one direction: the same share of its points as a grid
        // thinned by `step` both ways.
        plan.listStep = std::size_t(step) * std::size_t(step);
    }
    return plan;
}

bool thinData(const GraphData& full, const Thinning& plan, GraphData& out) {
    const std::size_t points = graphPoints(full);
    if (points == 0) return false;
    const bool grid = full.dataKind == Grid;
    const std::size_t step = std::max<std::size_t>(plan.listStep, 1);
    auto inside = [](const std::vector<int>& kept, int count) {
        return std::all_of(kept.begin(), kept.end(), [&](int i) { return i >= 0 && i < count; });
    };
    if (grid && !(inside(plan.rows, full.rowCount) && inside(plan.columns, full.columnCount))) return false;
    // A list keeps 0, step, 2 step, ... and its last point.
    const std::size_t kept = grid ? plan.rows.size() * plan.columns.size()
                                  : (points - 1) / step + 1 + ((points - 1) % step != 0 ? 1 : 0);
    const std::size_t vpp = std::size_t(full.valuesPerPoint);
    if (kept == 0 || kept > std::size_t(INT_MAX) || !out.pointValues.allocate(kept * vpp)) return false;
    double* to = out.pointValues.data();
    auto copyPoint = [&](std::size_t p) {
        const double* from = full.point(p);
        to = std::copy(from, from + vpp, to);
    };
    if (grid) {
        for (int r : plan.rows)
            for (int c : plan.columns) copyPoint(std::size_t(r) * std::size_t(full.columnCount) + std::size_t(c));
    } else {
        for (std::size_t p = 0; p < points; p += step) copyPoint(p);
        if ((points - 1) % step != 0) copyPoint(points - 1);
    }
    out.dataFormat = full.dataFormat;
    out.valuesPerPoint = full.valuesPerPoint;
    out.dataKind = full.dataKind;
    out.rowCount = grid ? int(plan.rows.size()) : full.rowCount;
    out.columnCount = grid ? int(plan.columns.size()) : full.columnCount;
    out.pointCount = int(kept);
    std::copy(std::begin(full.valueRange), std::end(full.valueRange), std::begin(out.valueRange));
    out.dataLoaded = true;
    return true;
}

// ---- the view's reduced graph ------------------------------------------------------

namespace {

// Position of `index` among the kept indices (it is one of them).
int keptPosition(const std::vector<int>& kept, int index) {
    return int(std::lower_bound(kept.begin(), kept.end(), index) - kept.begin());
}

// A wire or point interval of the full grid in kept rows or columns, so that
// the reduced graph shows about as many wires; 0 (none) stays 0.
int thinnedInterval(int interval, int step) { return interval < 1 ? interval : std::max(1, interval / step); }

// The settings of the full graph for its thinned copy. A grid's kept points
// stand `step` grid lines apart: wires and points keep about their spacing on
// the screen, and bars grow with the spacing, so a field of bars that closes
// in the full graph stays closed.
void thinGridSettings(GraphSettings& s, int step) {
    s.wireIntervalX = thinnedInterval(s.wireIntervalX, step);
    s.wireIntervalY = thinnedInterval(s.wireIntervalY, step);
    s.barSizeX *= step;
    s.barSizeY *= step;
}

}  // namespace

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
    lists.reduced.list = ReducedGraph::List::NotWorthIt;
    // A section display first moves its section onto the grid, as the full
    // build does; the thinned grid keeps the section's column or row, so the
    // cut surface ends where the section is drawn.
    int keepColumn = -1, keepRow = -1;
    if (settings.displayMode == DisplayXSection) {
        updateSectionX();
        keepColumn = state.sectionIndexX;
    } else if (settings.displayMode == DisplayYSection) {
        updateSectionY();
        keepRow = state.sectionIndexY;
    }
    const std::size_t points = graphPoints(data);
    if (lists.reduced.targetPoints == 0) lists.reduced.targetPoints = reducedPointTarget(points, lists.reduced.fullFrameSeconds);
    const int step = thinningStep(points, lists.reduced.targetPoints);
    if (step < 2) return;

    // A view of its own holds the thinned copy, so the drawing routines read
    // it in place as they read the full data set.
    CKelvraView thin(host_);
    const Thinning plan = planThinning(data, step, keepColumn, keepRow);
    if (!thinData(data, plan, thin.data)) return;
    thin.settings = settings;
    thin.state = state;
    thin.lists.labelTrace = nullptr;
    if (data.dataKind == Grid) {
        if (keepColumn >= 0) thin.state.sectionIndexX = keptPosition(plan.columns, keepColumn);
        if (keepRow >= 0) thin.state.sectionIndexY = keptPosition(plan.rows, keepRow);
        thinGridSettings(thin.settings, step);
    }

    // The mapping and the levels are the full view's: the thinned data's own
    // range would shift the colours.
    const BuildContext ctx = makeBuildContext();
    glNewList(ListGraphReduced, GL_COMPILE);
    drawGraphSteps(thin, *this, ctx);
    glEndList();
    lists.reduced.list = ReducedGraph::List::Built;
}

void CKelvraView::graphListsChanged() {
    lists.reduced.list = ReducedGraph::List::NotBuilt;
    lists.reduced.fullFrameSeconds = 0.0;
    lists.reduced.targetPoints = 0;
}

void CKelvraView::noteFrame(GraphDetail detail, double seconds) {
    ++lists.reduced.frames;
    lists.reduced.lastFrameReduced = detail == GraphDetail::Reduced;
    if (!data.dataLoaded) return;
    if (detail == GraphDetail::Full) {
        lists.reduced.fullFrameSeconds = seconds;
        return;
    }
    ++lists.reduced.reducedFrames;
    // Slower than the budget after all (a large window, a slower machine, a
    // fixed cost the full frame's time hid): half the points from the next
    // frame on.
    if (seconds > kFrameBudgetSeconds && lists.reduced.targetPoints > kMinReducedPoints) {
        lists.reduced.targetPoints = std::max(lists.reduced.targetPoints / 2, kMinReducedPoints);
        lists.reduced.list = ReducedGraph::List::NotBuilt;
    }
}

void CKelvraView::viewMoved() {
    lists.reduced.moving = true;
    host().settleAfter(kSettleMilliseconds);
    host().invalidate();
}

void CKelvraView::viewSettled() {
    if (!lists.reduced.moving) return;
    lists.reduced.moving = false;
    // The screen shows the reduced graph, or a section move left the full
    // lists to be rebuilt: the next paint draws the full picture.
    if (lists.reduced.lastFrameReduced || !lists.graphListsBuilt) host().invalidate();
}

void CKelvraView::sectionMoved() {
    lists.reduced.moving = true;
    if (!reducedGraphWanted()) {
        buildDisplayLists();
        return;
    }
    // Rebuilding the full graph on every step would stall the move; the
    // reduced one follows the section now, the full lists when the movement
    // stops (the next full frame builds them).
    lists.graphListsBuilt = false;
    lists.reduced.list = ReducedGraph::List::NotBuilt;
}

}  // namespace kelvra
