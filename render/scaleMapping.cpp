// The scale recompute: how the four scales (X, Y, Z, legend) follow the data
// and the user's choices, rounded to the numbers as they are shown
// (formatValue). recomputeScales runs after every data load and every bulk
// settings change; the scale frame, the legend and every graph routine then
// read scaleMin / scaleMax / scaleStep and axisSpan as it leaves them.
//
// What the recompute guarantees, whatever the data or the settings file held:
// for X, Y and Z, min, max and step are finite with max > min and step > 0
// (linear) or min > 0 and step > 1 (logarithmic), and the axis has at most
// kMaxSteps intervals, so a tick loop `for (v = min; v < max + step / 2; v += step)`
// ends; the legend range is finite with max > min; axisSpan is finite and > 0.
#include "render/scaleMapping.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/phaseTimes.h"
#include "base/numberText.h"
#include "settings/graphTypes.h"

namespace kelvra {
namespace {

// Upper bound on the intervals of one axis. The rules keep a kept scale to 50
// and an automatic one to 5 (a few more after rounding to the shown digits);
// this only stops absurd values from reaching the tick loops.
constexpr double kMaxSteps = 1000.0;

// Data values beyond this are treated as this (a range of +-inf would give
// infinite steps).
constexpr double kHugeValue = 1e300;

struct Range {
    double min = 0.0;
    double max = 0.0;
};

double clampHuge(double v) {
    if (std::isnan(v)) return 0.0;
    return std::clamp(v, -kHugeValue, kHugeValue);
}

// The working range of a data range. A range no value has widened (the reset
// values 999999 / -999999) is empty and becomes 0..0, to be widened like any
// flat range; a range whose ends are the wrong way round (a stepped grid with a
// negative step) is turned round so that the scale runs upwards.
Range workingRange(const ValueRange& r) {
    if (r.min == 999999.0 && r.max == -999999.0) return {0.0, 0.0};
    Range w{clampHuge(r.min), clampHuge(r.max)};
    if (w.min > w.max) std::swap(w.min, w.max);
    return w;
}

bool finite3(double a, double b, double c) {
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c);
}

bool validLinear(double min, double max, double step) {
    if (!finite3(min, max, step) || !(max > min) || !(step > 0)) return false;
    double steps = (max - min) / step;
    return std::isfinite(steps) && steps <= kMaxSteps;
}

bool validLog(double min, double max, double step) {
    if (!finite3(min, max, step) || !(min > 0) || !(max > min) || !(step > 1)) return false;
    double lnStep = std::log(step);
    double steps = (std::log(max) - std::log(min)) / lnStep;
    return lnStep > 0 && std::isfinite(steps) && steps <= kMaxSteps;
}

struct Scale {
    double min, max, step;
};

// Raises max to min + a whole number of steps (at least one). A result that
// would not be finite leaves max where it was.
void snapLinear(Scale& s) {
    double n = std::trunc((s.max - s.min) / s.step);
    if ((n + 0.01) * s.step + s.min < s.max) n += 1;
    n = std::max(n, 1.0);
    double snapped = n * s.step + s.min;
    if (std::isfinite(snapped) && snapped > s.min) s.max = snapped;
}

void snapLog(Scale& s) {
    double lnMin = std::log(s.min), lnMax = std::log(s.max), lnStep = std::log(s.step);
    double n = std::trunc((lnMax - lnMin) / lnStep);
    if (lnMax > lnMin + lnStep * (n + 0.01)) n += 1;
    n = std::max(n, 1.0);
    double snapped = std::exp(n * lnStep + lnMin);
    if (std::isfinite(snapped) && snapped > s.min) s.max = snapped;
}

}  // namespace

// ---- recomputeScales -------------------------------------------------------------

namespace {

// The value of the text a number is shown as, so that stored values equal what
// the user sees. A kind whose format gives no text keeps the value.
double shownValue(const GraphSettings& s, double v, int kind) {
    FormattedValue f = formatValue(s, v, kind);
    return f.text.empty() ? v : textToDouble(f.text);
}

// Step 7 of the recompute for one axis, given its working range lo..hi.
void fitAxisScale(GraphSettings& settings, int a, double lo, double hi) {
    bool integer = settings.scaleFormat[a] == FormatInteger;
    Scale s{settings.scaleMin[a], settings.scaleMax[a], settings.scaleStep[a]};
    bool log = settings.scaleLog[a] == 1;
    if (log) {
        bool keep = s.max > s.min && s.step > 1 && s.min > 0 &&
                    (std::log(s.max) - std::log(s.min)) / std::log(s.step) <= 50 && settings.scaleAuto[a] == 0;
        if (!keep) s = {lo, hi, std::sqrt(hi / lo)};   // two intervals from min to max
        if (integer && s.step < 2) s = {lo, hi + 1, 2};
    } else {
        bool keep = s.max > s.min && s.step > 0 && (s.max - s.min) / s.step <= 50 && settings.scaleAuto[a] == 0;
        if (!keep) s = {lo, hi, (hi - lo) * 0.2};
        if (integer && s.step < 1) {
            s.step = 1;
            if (std::abs(hi - lo) < 1) s = {lo - 1, hi + 1, 1};
        }
    }

    // Stored values equal the shown ones. Where the format has too few digits
    // for this scale (the interval shows as 0, the ends as one value), the
    // unrounded values stay; where even those are unusable, the axis falls back
    // to linear over the working range.
    Scale shown{shownValue(settings, s.min, a), shownValue(settings, s.max, a), shownValue(settings, s.step, a)};
    auto valid = [log](const Scale& t) { return log ? validLog(t.min, t.max, t.step) : validLinear(t.min, t.max, t.step); };
    if (valid(shown)) {
        s = shown;
    } else if (!valid(s)) {
        settings.scaleLog[a] = 0;
        log = false;
        s = {lo, hi, (hi - lo) * 0.2};
        if (!validLinear(s.min, s.max, s.step)) s.step = hi - lo;
    }

    if (log) snapLog(s);
    else snapLinear(s);
    settings.scaleMin[a] = s.min;
    settings.scaleMax[a] = s.max;
    settings.scaleStep[a] = s.step;
}

// Steps 1 and 2: the working ranges of X, Y, Z and the legend; the legend
// follows the quantity its colours show.
void workingRanges(GraphSettings& s, const GraphData& d, Range R[4]) {
    s.legendColorSource = usableColorSource(s.legendColorSource, d.valuesPerPoint);
    static constexpr int kLegendRange[] = {RangeX, RangeY, RangeZ, RangeData};
    static_assert(std::size(kLegendRange) == LegendColorSourceCount);
    const Range ranges[4] = {workingRange(d.valueRange[RangeX]), workingRange(d.valueRange[RangeY]),
                  workingRange(d.valueRange[RangeZ]),
                  workingRange(d.valueRange[kLegendRange[s.legendColorSource]])};
    std::copy(std::begin(ranges), std::end(ranges), R);

    // 2. A range whose ends show as the same text is widened, so the scale
    // never collapses to one label. Where +-10 is lost in the magnitude of the
    // values, the widening is 1 % of them instead.
    for (int a = 0; a < 4; ++a) {
        FormattedValue lo = formatValue(s, R[a].min, a), hi = formatValue(s, R[a].max, a);
        std::size_t w = std::size_t(std::max(hi.width, 0));
        if (lo.text.substr(0, w) == hi.text.substr(0, w)) {
            R[a].min -= 10;
            R[a].max += 10;
        }
        if (!(R[a].max > R[a].min)) {
            double widen = std::max(10.0, std::abs(R[a].max) * 0.01);
            R[a].min -= widen;
            R[a].max += widen;
        }
    }
}

// Step 3: a new data set takes its scales from the data, as they are shown.
void takeScalesFromData(GraphSettings& s, ViewState& state, const GraphData& d, const Range R[4]) {
    resetBarSizes(s, d);
    for (int a = 0; a < 4; ++a) {
        s.scaleMin[a] = shownValue(s, R[a].min, a);
        s.scaleMax[a] = shownValue(s, R[a].max, a);
        s.scaleLog[a] = 0;
        // The legend's step is the level-count index, not a shown value.
        if (a < 3) s.scaleStep[a] = shownValue(s, (R[a].max - R[a].min) * 0.2, a);
    }
    s.sectionPos[0] = R[0].min;
    s.sectionPos[1] = R[1].min;
    state.sectionIndexX = 0;
    state.sectionIndexY = 0;
}

}  // namespace

void scalesFromData(GraphSettings& s, ViewState& state, const GraphData& d) {
    Range R[4];
    workingRanges(s, d, R);
    takeScalesFromData(s, state, d, R);
}

void recomputeScales(GraphSettings& s, ViewState& state, const GraphData& d, bool keepUserScales) {
    PhaseScope phase(Phase::Recompute);
    Range R[4];
    workingRanges(s, d, R);
    if (!keepUserScales) takeScalesFromData(s, state, d, R);

    // 4. No logarithm of data that reaches zero or below.
    for (int a = 0; a < 4; ++a)
        if (R[a].min <= 0) s.scaleLog[a] = 0;

    // 5. The absolute legend needs values on both sides of zero.
    if (R[3].min >= 0 || R[3].max <= 0) s.legendStyle = LegendStandard;

    // 6. Bars stand out of their points by half a bar; the box makes room for
    // them on automatic axes. Bar sizes that are no size are reset first, so
    // the room is the one the bars get.
    if (isBarGraph(s, d)) {
        if (!(s.barSizeX > 0) || !(s.barSizeY > 0) || !std::isfinite(s.barSizeX) || !std::isfinite(s.barSizeY))
            resetBarSizes(s, d);
        const double half[2] = {s.barSizeX * 0.5, s.barSizeY * 0.5};
        for (int a = 0; a < 2; ++a) {
            if (s.scaleAuto[a] != 1 || !std::isfinite(half[a]) || !(half[a] > 0)) continue;
            R[a].min = clampHuge(R[a].min - half[a]);
            R[a].max = clampHuge(R[a].max + half[a]);
        }
        if (s.scaleAuto[2] == 1) {
            R[2].min -= (R[2].max - R[2].min) * 0.05;
            R[2].max += (R[2].max - R[2].min) * 0.05;
        }
    }

    // 7. X, Y and Z: keep the user's scale where it is usable, else take the
    // range with five intervals; then round to the shown digits and snap the
    // maximum to whole intervals.
    for (int a = 0; a < 3; ++a) fitAxisScale(s, a, R[a].min, R[a].max);

    // 8. The legend range (its step is the level-count index and stays).
    double& lmin = s.scaleMin[3];
    double& lmax = s.scaleMax[3];
    auto userLegend = [&] {
        return std::isfinite(lmin) && std::isfinite(lmax) && lmin < lmax && s.scaleAuto[3] != 1;
    };
    if (s.legendStyle == 0) {
        if (s.scaleLog[3] == 1 && lmin <= 0) lmin = R[3].min;
        if (!userLegend()) {
            lmin = R[3].min;
            lmax = R[3].max;
        }
    } else {
        double h = 0.0;
        if (!userLegend()) h = std::max(std::abs(R[3].min), std::abs(R[3].max));
        else if (std::abs(lmax - lmin) > 0.00001) h = std::max(std::abs(lmin), std::abs(lmax));
        if (h > 0) {
            lmin = -h;
            lmax = h;
        }
    }
    if (s.scaleLog[3] == 1 && !(lmin > 0)) s.scaleLog[3] = 0;

    // 9. Bars need a size.
    if (!(s.barSizeX > 0) || !(s.barSizeY > 0)) resetBarSizes(s, d);

    // 10. Marked points may no longer be where they were drawn.
    state.pickMarkersShown = false;

    // 11. The data length each axis maps onto its full length.
    for (int a = 0; a < 3; ++a) state.axisSpan[a] = s.scaleMax[a] - s.scaleMin[a];
    if (s.scaleSameStep == 1) {
        double longest = std::max({state.axisSpan[0], state.axisSpan[1], state.axisSpan[2]});
        for (double& span : state.axisSpan) span = longest;
    }

    // 12. The view follows the display mode.
    normalizeViewAngles(s);
    fitModeToDisplay(state, s.displayMode);
    if (d.dataKind == Grid) snapSections(s, state, d);
}

// ---- bar sizes and sections -------------------------------------------------------

void resetBarSizes(GraphSettings& s, const GraphData& d) {
    // A footprint that comes out as no size (one column, a flat range, no
    // data) becomes 1, the size of a fresh record.
    auto usable = [](double size) { return std::isfinite(size) && size > 0 ? size : 1.0; };
    const ValueRange& x = d.valueRange[RangeX];
    const ValueRange& y = d.valueRange[RangeY];
    switch (d.dataKind) {
        case Grid:
            s.barSizeX = usable(d.columnCount > 0 ? std::abs(x.max - x.min) / d.columnCount : 0.0);
            s.barSizeY = usable(d.rowCount > 0 ? std::abs(y.max - y.min) / d.rowCount : 0.0);
            break;
        case Scattered:
            s.barSizeX = usable(std::abs(x.max - x.min) * 0.05);
            s.barSizeY = usable(std::abs(y.max - y.min) * 0.05);
            break;
        case Vectors:
            s.barSizeX = 1.0;
            s.barSizeY = 1.0;
            break;
        case PointValues:
        case DataKindCount:
            break;   // point values have no bars: the sizes stay
    }
}

namespace {

// Index i of 0..count - 1 whose value(i) is nearest to target; the first of
// equally near entries wins.
template <class ValueAt>
int nearestIndex(int count, double target, ValueAt value) {
    int best = 0;
    double bestDistance = std::abs(value(0) - target);
    for (int i = 1; i < count; ++i) {
        double d = std::abs(value(i) - target);
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

}  // namespace

void snapSections(GraphSettings& s, ViewState& state, const GraphData& d) {
    // Each section sits on a grid line: the X section on the column whose X
    // (in the first row) is nearest, the Y section on the row whose Y (of its
    // first point) is nearest. A position beyond the data goes to the end
    // column or row.
    if (d.columnCount <= 0 || d.rowCount <= 0) return;
    if (std::size_t(d.rowCount) * std::size_t(d.columnCount) > d.storedPoints()) return;
    state.sectionIndexX = nearestIndex(d.columnCount, s.sectionPos[0], [&](int c) { return d.gridPointAt(0, c)[0]; });
    s.sectionPos[0] = d.gridPointAt(0, state.sectionIndexX)[0];
    state.sectionIndexY = nearestIndex(d.rowCount, s.sectionPos[1], [&](int r) { return d.gridPointAt(r, 0)[1]; });
    s.sectionPos[1] = d.gridPointAt(state.sectionIndexY, 0)[1];
}


}  // namespace kelvra
