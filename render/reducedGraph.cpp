// The reduced graph (list 120): the thinning rule and the thinned copy of a
// graph (see reducedGraph.h).
#include "render/reducedGraph.h"


#include <algorithm>
#include <climits>
#include <cmath>


namespace kelvra {

// ---- the thinning rule -------------------------------------------------------------

std::size_t graphPoints(const GraphData& d) {
    if (!d.dataLoaded || d.valuesPerPoint < 3) return 0;
    const std::size_t stored = d.storedPoints();
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
        const PointRecord from = full.pointAt(p);
        to = std::copy(from.v, from.v + vpp, to);
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

// ---- the thinned copy of a graph ---------------------------------------------------

namespace {

// Position of `index` among the kept indices (it is one of them).
int keptPosition(const std::vector<int>& kept, int index) {
    return int(std::lower_bound(kept.begin(), kept.end(), index) - kept.begin());
}

// A wire or point interval of the full grid in kept rows or columns, so that
// the reduced graph shows about as many wires; 0 (none) stays 0.
int thinnedInterval(int interval, int step) { return interval < 1 ? interval : std::max(1, interval / step); }

}  // namespace

bool thinGraph(const GraphData& d, const GraphSettings& s, const ViewState& state, int step, ThinnedGraph& out) {
    // The thinned grid keeps the section's column or row, so the cut surface
    // ends where the section is drawn.
    const int keepColumn = s.displayMode == DisplayXSection ? state.sectionIndexX : -1;
    const int keepRow = s.displayMode == DisplayYSection ? state.sectionIndexY : -1;
    const Thinning plan = planThinning(d, step, keepColumn, keepRow);
    if (!thinData(d, plan, out.data)) return false;
    out.settings = s;
    out.state = state;
    if (d.dataKind != Grid) return true;
    if (keepColumn >= 0) out.state.sectionIndexX = keptPosition(plan.columns, keepColumn);
    if (keepRow >= 0) out.state.sectionIndexY = keptPosition(plan.rows, keepRow);
    // A grid's kept points stand `step` grid lines apart: wires and points
    // keep about their spacing on the screen, and bars grow with the spacing,
    // so a field of bars that closes in the full graph stays closed.
    out.settings.wireIntervalX = thinnedInterval(s.wireIntervalX, step);
    out.settings.wireIntervalY = thinnedInterval(s.wireIntervalY, step);
    out.settings.barSizeX *= step;
    out.settings.barSizeY *= step;
    return true;
}

}  // namespace kelvra
