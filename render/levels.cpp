// Level colour tables and the level arithmetic shared by every routine that
// colours by value.
#include "render/levels.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace kelvra {

const Rgb kGreyLevelSource[] = {
    {0, 0, 0},          {0, 0, 0},          {0.05, 0.05, 0.05}, {0.1, 0.1, 0.1},
    {0.15, 0.15, 0.15}, {0.2, 0.2, 0.2},    {0.25, 0.25, 0.25}, {0.3, 0.3, 0.3},
    {0.35, 0.35, 0.35}, {0.4, 0.4, 0.4},    {0.45, 0.45, 0.45}, {0.5, 0.5, 0.5},
    {0.55, 0.55, 0.55}, {0.6, 0.6, 0.6},    {0.65, 0.65, 0.65}, {0.7, 0.7, 0.7},
    {0.75, 0.75, 0.75}, {0.8, 0.8, 0.8},    {0.85, 0.85, 0.85}, {0.9, 0.9, 0.9},
    {0.95, 0.95, 0.95}};
static_assert(std::size(kGreyLevelSource) == kLegendColorCount);

namespace {

double clamp01(double x) {
    if (x > 1.0) return 1.0;
    if (!(x >= 0.0)) return 0.0;   // negative or NaN
    return x;
}

Rgb ramp(const Rgb& from, const Rgb& to, int p, int i) {
    return {from.r + (to.r - from.r) / p * i, from.g + (to.g - from.g) / p * i,
            from.b + (to.b - from.b) / p * i};
}

// 40 levels and more: a ramp through the 21 entries, starting from a darker
// shade of colour 1; the absolute style folds the ramp about the middle.
void interpolateLevelColors(Rgb L[kLegendColorCount], int n, int legendStyle, Rgb* C) {
    for (double* x : {&L[0].r, &L[0].g, &L[0].b}) {
        if (*x > 0.9) *x -= 0.1;
        else if (*x > 0.8) *x -= 0.15;
    }
    for (int k = 0; k < kLegendColorCount; ++k) {
        L[k] = {clamp01(L[k].r), clamp01(L[k].g), clamp01(L[k].b)};
    }
    if (legendStyle != 1) {
        int p = n / 20;
        for (int s = 0; s < 20; ++s)
            for (int i = 0; i < p; ++i) C[s * p + i] = ramp(L[s], L[s + 1], p, i);
        C[n] = L[20];
        return;
    }
    int p = n / 40;
    for (int s = 0; s < 20; ++s)
        for (int i = 0; i < p; ++i) C[s * p + i] = ramp(L[s], L[s + 1], p, i);
    C[n / 2] = L[20];
    for (int i = 0; i < n / 2; ++i) C[n - i] = C[i + 1];
}

}  // namespace

int buildLevelColors(const Rgb source[kLegendColorCount], int legendStyle, int legendReverse,
                     double legendStepIndex, Rgb out[kMaxLevelCount + 1]) {
    Rgb L[kLegendColorCount];
    bool reversed = (legendReverse == 1) != (legendStyle == 1);
    for (int k = 0; k < kLegendColorCount; ++k) L[k] = source[k];
    if (reversed) {
        for (int k = 1; k <= 20; ++k) L[k] = source[21 - k];
        L[0] = L[1];
    }
    int n = levelCountOfIndex(legendStepIndex);
    if (n == 0) return 0;
    out[0] = L[0];
    // Source entries per level for the short tables, standard and absolute style.
    static const int pick2[][2] = {{1, 20}, {1, 1}};
    static const int pick5[][5] = {{1, 6, 10, 14, 20}, {1, 10, 20, 10, 1}};
    static const int pick10[][10] = {{1, 4, 6, 8, 10, 12, 14, 16, 18, 20},
                                     {1, 5, 10, 15, 20, 20, 15, 10, 5, 1}};
    static_assert(std::size(pick2) == LegendStyleCount && std::size(pick5) == LegendStyleCount &&
                  std::size(pick10) == LegendStyleCount);
    int style = legendStyle == LegendAbsolute ? LegendAbsolute : LegendStandard;
    switch (n) {
        case 2:
            for (int i = 0; i < 2; ++i) out[i + 1] = L[pick2[style][i]];
            return n;
        case 5:
            for (int i = 0; i < 5; ++i) out[i + 1] = L[pick5[style][i]];
            return n;
        case 10:
            for (int i = 0; i < 10; ++i) out[i + 1] = L[pick10[style][i]];
            return n;
        case 20:
            for (int i = 1; i <= 20; ++i) {
                // absolute: 1, 3, ..., 19, 19, 17, ..., 1
                int k = style == 0 ? i : (i <= 10 ? 2 * i - 1 : 2 * (21 - i) - 1);
                out[i] = L[k];
            }
            return n;
        default:
            // Entry 0 becomes the ramp's start, the darkened colour 1.
            interpolateLevelColors(L, n, legendStyle, out);
            return n;
    }
}

int levelOf(const LevelTable& t, double v) {
    int n = t.levelCount;
    if (n <= 0) return 1;
    double d = v - t.levelBase;
    if (!(t.levelStep > 0.0) || !std::isfinite(d)) {
        // A degenerate legend (zero or inverted range, non-finite value):
        // everything above the base is the top level, the rest level 1.
        return d > 0.0 ? n : 1;
    }
    double q = d / t.levelStep;
    if (q >= n + 1.0) return n;   // also keeps the int conversion in range
    if (q <= -1.0) return 1;
    int k = int(q);               // truncates toward zero
    if (d > k * t.levelStep) ++k;
    return k < 1 ? 1 : (k > n ? n : k);
}

int pointLevel(const LevelTable& t, double v) {
    int n = t.levelCount;
    if (n <= 0) return 0;
    double d = v - t.levelBase;
    if (!(t.levelStep > 0.0) || !std::isfinite(d)) return d > 0.0 ? n : (d < 0.0 ? 0 : 1);
    double q = d / t.levelStep;
    if (q >= n) return n;
    if (q <= -2.0) return 0;
    int k = int(q) + 1;           // truncation toward zero, then one up
    return k < 0 ? 0 : (k > n ? n : k);
}

double levelCrossing(const LevelTable& t, double a, double b, int k) {
    double L = t.levelBase + k * t.levelStep;
    double num, den;
    if (t.logZ == t.logLegend) {
        num = L - a;
        den = b - a;
    } else if (t.logZ) {
        num = std::log(L) - std::log(a);
        den = std::log(b) - std::log(a);
    } else {
        num = std::exp(L) - std::exp(a);
        den = std::exp(b) - std::exp(a);
    }
    // Equal ends: the segment lies in one level; put the crossing at its far end.
    if (den == 0.0 || !std::isfinite(num / den)) return num <= 0.0 ? 0.0 : 1.0;
    return num / den;
}

BandDifferences legendBandDifferences(const GraphSettings& s) {
    BandDifferences d;
    Rgb levels[kMaxLevelCount + 1];
    d.levels = buildLevelColors(s.legendColors, s.legendStyle, s.legendReverse, s.scaleStep[3], levels);
    for (int v = 0; v < int(Vision::Count); ++v) {
        double smallest = 0.0;
        bool any = false;
        for (int i = 1; i < d.levels; ++i) {
            // The absolute style repeats a colour on purpose: values of the
            // same size either side of zero look alike.
            const Rgb &lo = levels[i], &hi = levels[i + 1];
            if (lo.r == hi.r && lo.g == hi.g && lo.b == hi.b) continue;
            const double e = ciede2000(labOfSrgb(simulateVision(levels[i], Vision(v))),
                                       labOfSrgb(simulateVision(levels[i + 1], Vision(v))));
            smallest = any ? std::min(smallest, e) : e;
            any = true;
        }
        d.smallest[v] = smallest;
    }
    return d;
}

}  // namespace kelvra
