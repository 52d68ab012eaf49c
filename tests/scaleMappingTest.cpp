// Number formatting and the scale recompute: the texts and widths of each
// number format, and the rules that choose scale ranges and intervals from the
// data and the user's scales, including inputs that must not produce a scale
// the frame cannot draw (zero or infinite intervals, NaN, endless tick loops).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "render/scaleMapping.h"
#include "support/records.h"

namespace kelvra {
namespace {

using V = test::Records&;
using CV = const test::Records&;
constexpr double kInf = std::numeric_limits<double>::infinity();

// The records the recompute reads and writes.
struct ViewFixture {
    test::Records view;
};

// A grid data set as a reader leaves it: X along the columns, Y down the rows, Z from f.
void grid(V v, const std::vector<double>& xs, const std::vector<double>& ys,
          double (*f)(double, double) = [](double, double) { return 0.0; }) {
    v.data.valuesPerPoint = 3; v.data.dataKind = Grid; v.data.dataFormat = 1;
    v.data.columnCount = int(xs.size()); v.data.rowCount = int(ys.size()); v.data.pointCount = v.data.columnCount * v.data.rowCount;
    ASSERT_TRUE(v.data.pointValues.allocate(std::size_t(v.data.pointCount) * 3));
    for (auto& r : v.data.valueRange) r.reset();
    for (int r = 0; r < v.data.rowCount; ++r)
        for (int c = 0; c < v.data.columnCount; ++c) {
            double* p = v.data.point(std::size_t(r) * v.data.columnCount + c);
            p[0] = xs[c]; p[1] = ys[r]; p[2] = f(xs[c], ys[r]);
            for (int a = 0; a < 3; ++a) {
                v.data.valueRange[a].min = std::min(v.data.valueRange[a].min, p[a]);
                v.data.valueRange[a].max = std::max(v.data.valueRange[a].max, p[a]);
            }
        }
    v.data.dataLoaded = true;
}

std::vector<double> steps(double first, double step, int n) {
    std::vector<double> out;
    for (int i = 0; i < n; ++i) out.push_back(first + i * step);
    return out;
}

std::string num(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", v);
    return text;
}
// "min..max/step" of axis a (the legend's step is its level-count index).
std::string axis(CV v, int a) {
    return num(v.settings.scaleMin[a]) + ".." + num(v.settings.scaleMax[a]) + "/" + num(v.settings.scaleStep[a]);
}

// ---- formatValue ---------------------------------------------------------------

TEST(FormatValue, TextAndWidthOfEachFormat) {
    const int I = FormatInteger;
    const struct {
        double value;
        const char* text;   // nullptr: only the width is checked
        int width, kind = 0, format = FormatAuto, digits = 3;
    } cases[] = {
        // Automatic: decimals by magnitude, exponent form outside 0.01..1000
        // (-999 on the negative side), one place wider when negative.
        {0, "0.000", 5}, {-0.0, "0.000", 5}, {12.5, "12.50", 5}, {250, "250.0", 5},
        {99.99, "99.99", 5}, {999.5, "999.5", 5}, {1000, "1.000e+03", 10}, {12345.678, "1.235e+04", 10},
        {0.01, "0.010", 5}, {0.005, "5.000e-03", 10}, {-0.01, "-0.010", 6}, {-0.005, "-5.000e-03", 11},
        {-9.99, "-9.990", 6}, {-10, "-10.00", 6}, {-100, "-100.0", 6}, {-999, "-999.0", 6},
        {-999.5, "-9.995e+02", 11}, {kInf, "inf", 10}, {-kInf, "-inf", 11}, {std::nan(""), "nan", 10},
        // Integer: a hair below a whole number rounds up, the rest truncates;
        // saturates outside the int range, NaN is 0.
        {2.9999999, "3", 1, 1, I}, {-2.9999999, "-3", 2, 1, I}, {-2.4, "-2", 2, 1, I}, {-100.5, "-100", 4, 1, I},
        {-12345, "-12345", 6, 1, I}, {1e20, "2147483647", 10, 1, I}, {-1e20, "-2147483648", 11, 1, I},
        {kInf, "2147483647", 10, 1, I}, {std::nan(""), "0", 1, 1, I}, {2147483646.5, "2147483646", 10, 1, I},
        // Decimal and exponent take the kind's digits; sections are kinds 4 and 5.
        {-3.14159, "-3.14", 5, 2, FormatDecimal, 2}, {1234.5, "1.2e+03", 7, 3, FormatExponent, 1},
        {7.6, "8", 1, 5, FormatDecimal, 0}, {7.6, "7.600", 5, 4},
        {1e300, nullptr, 304, 2, FormatDecimal, 2},   // no fixed-size buffer limit
        // Unknown formats and kinds give no text.
        {1.0, "", 0, 0, 7}, {1.0, "", 0, 6}, {1.0, "", 0, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("kind " + num(c.kind) + " format " + num(c.format) + " value " + num(c.value));
        ViewFixture f;
        if (c.kind >= 0 && c.kind < 6) {
            (c.kind < 4 ? f.view.settings.scaleFormat[c.kind] : f.view.settings.sectionFormat[c.kind - 4]) = NumberFormat(c.format);
            (c.kind < 4 ? f.view.settings.scaleDigits[c.kind] : f.view.settings.sectionDigits[c.kind - 4]) = c.digits;
        }
        FormattedValue out = formatValue(f.view.settings, c.value, c.kind);
        if (c.text) EXPECT_EQ(out.text, c.text);
        EXPECT_EQ(out.width, c.width);
        if (c.format != FormatAuto) EXPECT_EQ(out.text.size(), std::size_t(out.width));
    }
}

// ---- recomputeScales ----------------------------------------------------------------

// What the scale frame and the mapping rely on after every recompute: finite
// ends and interval, max > min, a rising interval, at most about 1000 of them.
void expectDrawableScales(CV v, const std::string& what) {
    for (int a = 0; a < 3; ++a) {
        double lo = v.settings.scaleMin[a], hi = v.settings.scaleMax[a], step = v.settings.scaleStep[a], span = v.state.axisSpan[a];
        bool log = v.settings.scaleLog[a] == 1;
        double intervals = log ? (std::log(hi) - std::log(lo)) / std::log(step) : (hi - lo) / step;
        bool ok = std::isfinite(lo) && std::isfinite(hi) && std::isfinite(step) && hi > lo &&
                  (log ? lo > 0 && step > 1 : step > 0) && intervals <= 1001 && std::isfinite(span) && span > 0;
        ASSERT_TRUE(ok) << what << ": axis " << a << " " << axis(v, a) << (log ? " log" : "") << " span " << span;
    }
    ASSERT_TRUE(std::isfinite(v.settings.scaleMin[3]) && std::isfinite(v.settings.scaleMax[3]) && v.settings.scaleMax[3] > v.settings.scaleMin[3])
        << what << ": legend " << axis(v, 3);
}

// The user's scale of axis a.
void scale(V v, int a, double min, double max, double step) {
    v.settings.scaleMin[a] = min;
    v.settings.scaleMax[a] = max;
    v.settings.scaleStep[a] = step;
}
double linear(double x, double) { return x; }

// What a case looks at after the recompute.
std::string X(CV v) { return axis(v, 0); }
std::string Z(CV v) { return axis(v, 2); }
std::string XZ(CV v) { return axis(v, 0) + " " + axis(v, 2); }
std::string LogX(CV v) { return num(v.settings.scaleLog[0]) + " " + axis(v, 0); }
std::string Legend(CV v) { return num(v.settings.legendStyle) + " " + axis(v, 3); }
std::string ColourSource(CV v) { return num(v.settings.legendColorSource); }
std::string Bars(CV v) { return num(v.settings.barSizeX) + " " + num(v.settings.barSizeY); }
std::string Spans(CV v) { return num(v.state.axisSpan[0]) + "," + num(v.state.axisSpan[1]) + "," + num(v.state.axisSpan[2]); }

TEST(Recompute, RangesIntervalsAndWhatFollowsThem) {
    const struct {
        const char* name;
        void (*setup)(V);
        bool keepUserScales;
        std::string (*look)(CV);
        const char* expected;
    } cases[] = {
        // New data: the range in five intervals, stored as shown.
        {"a fifth of the range, cut to the shown digits", [](V v) {
             grid(v, steps(0, 1, 4), steps(0, 1, 3), [](double x, double y) { return x == 3 && y == 2 ? 7.3 : 0.0; });
         }, false, XZ, "0..3/0.6 0..7.3/1.46"},
        {"stored values equal their shown text (12346.678 shown as 1.235e+04)",
         [](V v) { grid(v, {0, 1}, {0, 1}, [](double x, double y) { return x * 12345.678 + y; }); }, false,
         [](CV v) { return axis(v, 2) + " " + axis(v, 3); }, "0..12345/2469 0..12350/3"},
        {"a flat range is widened by ten each side, the section snapped back", [](V v) { grid(v, {5, 5}, {0, 1}); },
         false, [](CV v) { return axis(v, 0) + " section " + num(v.settings.sectionPos[0]); }, "-5..15/4 section 5"},
        {"ends that show as one text are widened",
         [](V v) { grid(v, {0, 1}, {0, 1}, [](double x, double) { return 1.0001 + x * 0.0001; }); }, false, Z,
         "-9..11/4"},
        {"new data resets logarithms, sections and indices",
         [](V v) {
             grid(v, steps(2, 1, 3), steps(3, 1, 3));
             v.settings.scaleLog[0] = 1; v.settings.sectionPos[0] = 99; v.state.sectionIndexX = 2;
         }, false, [](CV v) {
             return LogX(v) + " at " + num(v.settings.sectionPos[0]) + "," + num(v.settings.sectionPos[1]) + " #" + num(v.state.sectionIndexX);
         }, "0 2..4/0.4 at 2,3 #0"},
        {"the legend's level index is not rounded through its format (11 shows as 1e+01)", [](V v) {
             grid(v, {0, 1}, {0, 1}, linear);
             v.settings.scaleFormat[3] = FormatExponent; v.settings.scaleDigits[3] = 0; v.settings.scaleStep[3] = 11;
         }, false, [](CV v) { return num(v.settings.scaleStep[3]); }, "11"},
        {"integer format widens a small range to whole steps",
         [](V v) { grid(v, {0.6, 1.2}, {0, 1}); v.settings.scaleFormat[0] = FormatInteger; }, false, X, "0..2/1"},
        {"integer format: a range shown as one number is widened",
         [](V v) { grid(v, {0.1, 0.3}, {0, 1}); v.settings.scaleFormat[0] = FormatInteger; }, false, X, "-9..11/4"},
        {"no data: the reset ranges", [](V) {}, false, X, "-10..10/4"},
        {"a stepped grid whose X runs downwards", [](V v) {
             grid(v, steps(4, -1, 5), {0, 1});
             std::swap(v.data.valueRange[RangeX].min, v.data.valueRange[RangeX].max);
         }, false, X, "0..4/0.8"},
        {"decimal digits too few: the interval shows as 0",
         [](V v) { grid(v, steps(0, 0.1, 3), {0, 1}); v.settings.scaleFormat[0] = FormatDecimal; v.settings.scaleDigits[0] = 0; },
         false, X, "-10..10/4"},
        {"and a user scale whose ends show as 0", [](V v) {
             grid(v, steps(0, 0.1, 3), {0, 1});
             v.settings.scaleFormat[0] = FormatDecimal; v.settings.scaleDigits[0] = 0;
             scale(v, 0, 0.1, 0.2, 0.05);
         }, true, X, "0.1..0.2/0.05"},
        // The user's scales.
        {"a usable scale is kept and its maximum snapped (4.2 steps become 5)",
         [](V v) { grid(v, steps(0, 1, 5), steps(0, 1, 5)); scale(v, 0, -10, 95, 25); }, true, X, "-10..115/25"},
        {"more than fifty steps fall back to the data",
         [](V v) { grid(v, steps(0, 1, 6), {0, 1}); scale(v, 0, 0, 100, 1); }, true, X, "0..5/1"},
        {"the automatic flag overrides a usable scale",
         [](V v) { grid(v, steps(0, 1, 6), {0, 1}); scale(v, 0, 0, 100, 25); v.settings.scaleAuto[0] = 1; }, true, X, "0..5/1"},
        {"a step larger than the range gives one whole step",
         [](V v) { grid(v, {0, 1}, {0, 1}); scale(v, 0, 0, 1, 1000); }, true, X, "0..1000/1000"},
        {"a logarithmic scale is kept and snapped in ln space",
         [](V v) { grid(v, steps(1, 1, 10), {1, 2}); scale(v, 0, 1, 500, 10); v.settings.scaleLog[0] = 1; }, true, LogX,
         "1 1..1000/10"},
        {"an unusable logarithmic scale takes two steps over the data (X 1..10)",
         [](V v) { grid(v, steps(1, 3, 4), {1, 2}); v.settings.scaleLog[0] = 1; v.settings.scaleMin[0] = 0; }, true, LogX,
         "1 1..9.998244/3.162"},
        {"logarithmic axes over data reaching zero become linear", [](V v) {
             grid(v, steps(0, 1, 4), steps(-1, 1, 3), linear);
             v.settings.scaleLog[0] = v.settings.scaleLog[1] = v.settings.scaleLog[2] = 1;
         }, true, [](CV v) { return num(v.settings.scaleLog[0]) + num(v.settings.scaleLog[1]) + num(v.settings.scaleLog[2]); }, "000"},
        // The legend.
        {"the absolute style is symmetric about zero", [](V v) {
             grid(v, {0, 1}, {0, 1}, [](double x, double) { return x == 0 ? -3.0 : 8.0; });
             v.settings.legendStyle = LegendAbsolute; v.settings.scaleAuto[3] = 1;
         }, true, Legend, "1 -8..8/3"},
        {"the absolute style needs values on both sides of zero",
         [](V v) { grid(v, {0, 1}, {0, 1}, [](double x, double) { return 1 + x; }); v.settings.legendStyle = LegendAbsolute; }, false,
         Legend, "0 1..2/3"},
        {"zero itself is on neither side", [](V v) { grid(v, {0, 1}, {0, 1}, linear); v.settings.legendStyle = LegendAbsolute; }, false,
         Legend, "0 0..1/3"},
        {"a user legend range is kept", [](V v) { grid(v, {0, 1}, {0, 1}, linear); scale(v, 3, -4, 6, 3); }, true,
         Legend, "0 -4..6/3"},
        {"an empty one is not", [](V v) { grid(v, {0, 1}, {0, 1}, linear); scale(v, 3, 6, 6, 3); }, true, Legend,
         "0 0..1/3"},
        {"a colour source beyond the values is brought back",
         [](V v) { grid(v, {0, 1}, {0, 1}); v.settings.legendColorSource = ColorByData; }, false, ColourSource, "2"},
        {"with a data value too",
         [](V v) { grid(v, {0, 1}, {0, 1}); v.data.valuesPerPoint = 4; v.settings.legendColorSource = LegendColorSource(-1); }, false, ColourSource,
         "3"},
        // Bars.
        {"a new grid takes its bar sizes from the spacing", [](V v) { grid(v, steps(0, 1, 5), steps(0, 2, 3)); },
         false, Bars, "0.8 1.333333333"},
        {"automatic axes make room: X half a bar each side, Z 5 % below, then 5 % of that above", [](V v) {
             grid(v, steps(0, 1, 5), steps(0, 1, 5), [](double x, double) { return x * 10; });
             v.settings.graphType = 19; v.settings.barSizeX = 2; v.settings.barSizeY = 1; v.settings.scaleAuto[0] = 1; v.settings.scaleAuto[2] = 1;
         }, true, XZ, "-1..5/1.2 -2..42.1/8.82"},
        {"bar sizes that are no size are reset",
         [](V v) { grid(v, steps(0, 1, 5), steps(0, 1, 5)); v.settings.barSizeX = 0; v.settings.barSizeY = -3; }, true, Bars, "0.8 0.8"},
        {"one point has no spacing", [](V v) { grid(v, {7}, {7}); v.settings.barSizeX = -1; }, true, Bars, "1 1"},
        // The view.
        {"a 2-D display zeroes the angles and hides the marks",
         [](V v) { grid(v, {0, 1}, {0, 1}); v.settings.displayMode = Display2D; v.state.pickMarkersShown = true; }, true,
         [](CV v) { return num(v.settings.viewAngleX) + num(v.settings.viewAngleZ) + num(v.state.pickMarkersShown); }, "000"},
        {"each axis spans its own range",
         [](V v) { grid(v, steps(0, 1, 11), steps(0, 1, 3), [](double, double y) { return y; }); }, false, Spans,
         "10,2,2"},
        {"unless the same step gives every axis the longest", [](V v) {
             grid(v, steps(0, 1, 11), steps(0, 1, 3), [](double, double y) { return y; });
             v.settings.scaleSameStep = 1;
         }, false, Spans, "10,10,10"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ViewFixture f;
        c.setup(f.view);
        recomputeScales(f.view.settings, f.view.state, f.view.data, c.keepUserScales);
        EXPECT_EQ(c.look(f.view), c.expected);
        expectDrawableScales(f.view, c.name);
    }
}

TEST(Recompute, RandomRangesAndSettingsAlwaysGiveDrawableScales) {
    const double special[] = {0.0, -0.0, 1e-320, 1e-9, 0.004, 1.0, 7.3, 999.5, 1e6, 1e16, 1e20, 1e300, 1.7e308,
                              kInf, std::nan("")};
    std::mt19937 rng(12345);
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    auto value = [&]() {
        double v = special[pick(std::size(special))];
        if (pick(3) == 0) v = std::ldexp(double(rng()) / 4294967296.0, pick(80) - 40);
        return pick(2) ? -v : v;
    };
    for (int round = 0; round < 3000; ++round) {
        ViewFixture f;
        V v = f.view;
        v.data.dataLoaded = true;
        v.data.dataKind = DataKind(pick(4)); v.data.valuesPerPoint = pick(2) ? 3 : 4; v.data.columnCount = pick(3); v.data.rowCount = pick(3);
        for (auto& r : v.data.valueRange) {
            r.min = value();
            r.max = pick(4) == 0 ? r.min : value();
        }
        for (int a = 0; a < 4; ++a) {
            v.settings.scaleMin[a] = value(); v.settings.scaleMax[a] = value(); v.settings.scaleStep[a] = a < 3 ? value() : pick(12);
            v.settings.scaleFormat[a] = NumberFormat(pick(4)); v.settings.scaleDigits[a] = pick(13); v.settings.scaleAuto[a] = pick(2); v.settings.scaleLog[a] = pick(2);
        }
        v.settings.legendStyle = LegendStyle(pick(2)); v.settings.legendColorSource = LegendColorSource(pick(6) - 1); v.settings.scaleSameStep = pick(2);
        v.settings.graphType = pick(2) ? 19 : 3; v.settings.barSizeX = value(); v.settings.barSizeY = value();
        recomputeScales(v.settings, v.state, v.data, pick(2) == 0);
        expectDrawableScales(v, "round " + std::to_string(round));
        recomputeScales(v.settings, v.state, v.data, true);   // and again over its own result
        expectDrawableScales(v, "again, round " + std::to_string(round));
    }
}

// ---- sections ---------------------------------------------------------------------

TEST(SnapSections, NearestColumnOrRowWinsTiesGoToTheLowerIndex) {
    ViewFixture f;
    f.view.settings.sectionPos[0] = 12.5;
    snapSections(f.view.settings, f.view.state, f.view.data);   // no grid: nothing moves
    EXPECT_EQ(f.view.settings.sectionPos[0], 12.5);
    grid(f.view, {0, 1, 2, 3}, {10, 20, 30});
    const struct {
        double x, y;
        const char* expected;   // "index X, index Y -> position X, position Y"
    } cases[] = {{-5, 25, "0,1 -> 0,20"}, {0.4, 31, "0,2 -> 0,30"}, {0.5, 15, "0,0 -> 0,10"},
                 {1.5, 99, "1,2 -> 1,30"}, {1.6, -9, "2,0 -> 2,10"}, {99, 20, "3,1 -> 3,20"}};
    for (const auto& c : cases) {
        f.view.settings.sectionPos[0] = c.x; f.view.settings.sectionPos[1] = c.y;
        snapSections(f.view.settings, f.view.state, f.view.data);
        std::string got = num(f.view.state.sectionIndexX) + "," + num(f.view.state.sectionIndexY) + " -> ";
        EXPECT_EQ(got + num(f.view.settings.sectionPos[0]) + "," + num(f.view.settings.sectionPos[1]), c.expected) << c.x << ", " << c.y;
    }
}

}  // namespace
}  // namespace kelvra
