// The reduced graph (list 120): the thinning rule and the thinned copy of a
// graph (see reducedGraph.h).
#include "render/reducedGraph.h"


#include <algorithm>
#include <climits>
#include <cmath>
#include <exception>
#include <limits>

#include "base/parallel.h"


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

// ---- cells under a pixel -----------------------------------------------------------

namespace {

// Z of grid point (r, c), straight from the layout that holds it.
double gridZ(const GraphData& d, int r, int c) {
    return d.heldByAxes() ? d.axesZ(r, c) : d.point(std::size_t(r) * std::size_t(d.columnCount) + std::size_t(c))[2];
}

// The widest spacing of `count` world positions as a share of their whole span.
template <class At>
double widestShare(int count, At at) {
    const double span = std::fabs(at(count - 1) - at(0));
    if (!(span > 0.0) || !std::isfinite(span)) return 0.0;
    double widest = 0.0;
    for (int i = 0; i + 1 < count; ++i) widest = std::max(widest, std::fabs(at(i + 1) - at(i)));
    return widest / span;
}

// Index ranges of the blocks the kept indices stand for: kept index i stands
// for first[i] .. first[i + 1] - 1, the indices nearer to it than to its neighbours.
std::vector<int> blockStarts(const std::vector<int>& kept, int count) {
    std::vector<int> first(kept.size() + 1, count);
    first[0] = 0;
    for (std::size_t i = 1; i < kept.size(); ++i) first[i] = (kept[i - 1] + kept[i]) / 2 + 1;
    return first;
}

}  // namespace

CellPixels cellPixels(const GraphData& d, const AxisMapping& map, double zLow, double zHigh, const ToPixel& project) {
    if (d.dataKind != Grid || d.valuesPerPoint != 3 || graphPoints(d) == 0) return {};
    const int rows = d.rowCount, columns = d.columnCount;
    if (rows < 2 || columns < 2) return {};
    auto worldX = [&](int c) { return map.world(0, d.gridPointAt(0, c)[0]); };
    auto worldY = [&](int r) { return map.world(1, d.gridPointAt(r, 0)[1]); };
    const double xs[2] = {worldX(0), worldX(columns - 1)}, ys[2] = {worldY(0), worldY(rows - 1)};
    const double zs[2] = {zLow, zHigh};
    // The longest screen length of the box's edges along X and along Y.
    double px[8], py[8];
    for (int k = 0; k < 8; ++k) project({xs[k & 1], ys[(k >> 1) & 1], zs[(k >> 2) & 1]}, &px[k], &py[k]);
    double lengthX = 0.0, lengthY = 0.0;
    for (int k = 0; k < 8; ++k) {
        const int alongX = k ^ 1, alongY = k ^ 2;
        lengthX = std::max(lengthX, std::hypot(px[alongX] - px[k], py[alongX] - py[k]));
        lengthY = std::max(lengthY, std::hypot(px[alongY] - px[k], py[alongY] - py[k]));
    }
    const CellPixels cell{lengthX * widestShare(columns, worldX), lengthY * widestShare(rows, worldY)};
    const bool told = cell.widest() > 0.0 && std::isfinite(cell.x) && std::isfinite(cell.y);
    return told ? cell : CellPixels{};
}

CoarseningSteps subPixelSteps(const GraphData& d, const AxisMapping& map, double zLow, double zHigh,
                              const ToPixel& project) {
    return subPixelSteps(cellPixels(d, map, zLow, zHigh, project), d);
}

CoarseningSteps subPixelSteps(const CellPixels& cell, const GraphData& d) {
    if (d.rowCount < 8 || d.columnCount < 8 || !(cell.widest() > 0.0)) return {};
    auto step = [&](double size, int count) {
        if (!(size > 0.0)) size = cell.widest();
        if (size >= 0.5) return 1;
        return std::max(int(std::min(1.0 / size, double(count / 4))), 1);
    };
    return {step(cell.x, d.columnCount), step(cell.y, d.rowCount)};
}

namespace {

// Gives each point of `out`, the grid `full` thinned by `plan` (thinData), its
// block's maximum or minimum of Z where the point and its kept neighbours
// would miss it (see coarsenGrid). Grids of three values per point only.
void keepBlockExtremes(const GraphData& full, const Thinning& plan, GraphData& out) {
    const int keptRows = int(plan.rows.size()), keptColumns = int(plan.columns.size());
    const std::vector<int> rowFirst = blockStarts(plan.rows, full.rowCount);
    const std::vector<int> columnFirst = blockStarts(plan.columns, full.columnCount);
    // Each kept point's block minimum and maximum of Z; NaN for a block that
    // holds a value that is not finite.
    const std::size_t kept = std::size_t(keptRows) * std::size_t(keptColumns);
    std::vector<double> low(kept), high(kept);
    forStripes(std::size_t(keptRows), 1, [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            double* lo = low.data() + i * std::size_t(keptColumns);
            double* hi = high.data() + i * std::size_t(keptColumns);
            std::fill(lo, lo + keptColumns, std::numeric_limits<double>::infinity());
            std::fill(hi, hi + keptColumns, -std::numeric_limits<double>::infinity());
            for (int r = rowFirst[i]; r < rowFirst[i + 1]; ++r) {
                for (int j = 0; j < keptColumns; ++j) {
                    double a = lo[j], b = hi[j];
                    for (int c = columnFirst[std::size_t(j)]; c < columnFirst[std::size_t(j) + 1]; ++c) {
                        const double z = gridZ(full, r, c);
                        if (!std::isfinite(z)) a = b = std::numeric_limits<double>::quiet_NaN();
                        a = z < a ? z : a;   // NaN stays
                        b = z > b ? z : b;
                    }
                    lo[j] = a, hi[j] = b;
                }
            }
        }
    });
    // A kept point's own Z and its four kept neighbours' set the range it
    // already shows; a block extreme standing out of it replaces the point's Z.
    std::vector<double> own(kept);
    for (std::size_t p = 0; p < kept; ++p) own[p] = out.pointValues[p * 3 + 2];
    for (int i = 0; i < keptRows; ++i) {
        for (int j = 0; j < keptColumns; ++j) {
            const std::size_t p = std::size_t(i) * std::size_t(keptColumns) + std::size_t(j);
            double& z = out.pointValues[p * 3 + 2];
            if (std::isnan(low[p]) || std::isnan(high[p])) {
                z = std::numeric_limits<double>::quiet_NaN();
                continue;
            }
            double shownLow = own[p], shownHigh = own[p];
            auto see = [&](int ni, int nj) {
                if (ni < 0 || nj < 0 || ni >= keptRows || nj >= keptColumns) return;
                const double v = own[std::size_t(ni) * std::size_t(keptColumns) + std::size_t(nj)];
                if (!std::isfinite(v)) return;
                shownLow = std::min(shownLow, v);
                shownHigh = std::max(shownHigh, v);
            };
            see(i - 1, j), see(i + 1, j), see(i, j - 1), see(i, j + 1);
            const double above = high[p] - shownHigh, below = shownLow - low[p];
            // In rough data every block passes its neighbours a little:
            // taking those extremes would tip the colours toward the ends.
            const double spread = shownHigh - shownLow;
            if (above > spread && above >= below) z = high[p];
            else if (below > spread) z = low[p];
        }
    }
}

}  // namespace

bool coarsenGrid(const GraphData& full, CoarseningSteps steps, GraphData& out) {
    if (full.dataKind != Grid || full.valuesPerPoint != 3 || steps.points() < 2) return false;
    Thinning plan;
    plan.rows = keptIndices(full.rowCount, steps.y);
    plan.columns = keptIndices(full.columnCount, steps.x);
    if (!thinData(full, plan, out)) return false;
    keepBlockExtremes(full, plan, out);
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
    // Spikes and pits show while the view turns as they do in the full
    // picture. Not in a section display: the
    // cut surface meets the section, which is drawn from the full data.
    const bool section = s.displayMode == DisplayXSection || s.displayMode == DisplayYSection;
    if (d.valuesPerPoint == 3 && !section && step > 1) {
        try {
            keepBlockExtremes(d, plan, out.data);
        } catch (const std::exception&) {   // no memory or no thread: full frames
            return false;
        }
    }
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
