// Number formatting and the scale recompute: the texts and widths of each
// number format, and the rules that choose scale ranges and intervals from the
// data and the user's scales, including inputs that must not produce a scale
// the frame cannot draw (zero or infinite intervals, NaN, endless tick loops).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "core/headlessHost.h"
#include "core/kelvraView.h"

namespace kelvra {
namespace {

struct ViewFixture {
    HeadlessHost host;
    CKelvraView view{host};
    ViewFixture() { host.printMessages = false; }
};

// A grid data set: X along the columns, Y down the rows, Z from f.
void setGrid(CKelvraView& v, const std::vector<double>& xs, const std::vector<double>& ys,
             double (*f)(double, double)) {
    v.valuesPerPoint = 3;
    v.columnCount = int(xs.size());
    v.rowCount = int(ys.size());
    v.pointCount = v.columnCount * v.rowCount;
    v.dataKind = Grid;
    v.dataFormat = 1;
    ASSERT_TRUE(v.pointValues.allocate(std::size_t(v.pointCount) * 3));
    for (auto& r : v.valueRange) r.reset();
    auto widen = [](ValueRange& r, double x) {
        if (x < r.min) r.min = x;
        if (x > r.max) r.max = x;
    };
    for (int r = 0; r < v.rowCount; ++r)
        for (int c = 0; c < v.columnCount; ++c) {
            double* p = v.point(std::size_t(r) * v.columnCount + c);
            p[0] = xs[c];
            p[1] = ys[r];
            p[2] = f(xs[c], ys[r]);
            widen(v.valueRange[RangeX], p[0]);
            widen(v.valueRange[RangeY], p[1]);
            widen(v.valueRange[RangeZ], p[2]);
        }
    v.dataLoaded = true;
}

std::vector<double> steps(double first, double step, int n) {
    std::vector<double> out;
    for (int i = 0; i < n; ++i) out.push_back(first + i * step);
    return out;
}

// ---- formatValue ---------------------------------------------------------------

struct FormatCase {
    double value;
    const char* text;
    int width;
};

TEST(FormatValueAuto, PicksDecimalsByMagnitudeAndWidthsBySign) {
    ViewFixture f;
    const FormatCase cases[] = {
        {0, "0.000", 5},          {12.5, "12.50", 5},         {250, "250.0", 5},
        {-100, "-100.0", 6},      {1000, "1.000e+03", 10},    {-999.5, "-9.995e+02", 11},
        {999.5, "999.5", 5},      {0.005, "5.000e-03", 10},   {-0.005, "-5.000e-03", 11},
        {0.01, "0.010", 5},       {-0.01, "-0.010", 6},       {-999, "-999.0", 6},
        {-10, "-10.00", 6},       {-9.99, "-9.990", 6},       {99.99, "99.99", 5},
        {12345.678, "1.235e+04", 10},
    };
    for (const FormatCase& c : cases) {
        FormattedValue out = f.view.formatValue(c.value, 0);
        EXPECT_EQ(out.text, c.text) << c.value;
        EXPECT_EQ(out.width, c.width) << c.value;
    }
}

TEST(FormatValueAuto, NegativeZeroAndNonFiniteValuesPrintReadably) {
    ViewFixture f;
    EXPECT_EQ(f.view.formatValue(-0.0, 0).text, "0.000");
    EXPECT_EQ(f.view.formatValue(std::numeric_limits<double>::infinity(), 0).text, "inf");
    EXPECT_EQ(f.view.formatValue(-std::numeric_limits<double>::infinity(), 0).text, "-inf");
    EXPECT_EQ(f.view.formatValue(std::nan(""), 0).text, "nan");
}

TEST(FormatValueInteger, RoundsAHairBelowAndTruncatesTheRest) {
    ViewFixture f;
    f.view.scaleFormat[1] = FormatInteger;
    EXPECT_EQ(f.view.formatValue(2.9999999, 1).text, "3");
    EXPECT_EQ(f.view.formatValue(-2.4, 1).text, "-2");
    EXPECT_EQ(f.view.formatValue(-100.5, 1).text, "-100");
    EXPECT_EQ(f.view.formatValue(-2.9999999, 1).text, "-3");
    FormattedValue wide = f.view.formatValue(-12345, 1);
    EXPECT_EQ(wide.text, "-12345");
    EXPECT_EQ(wide.width, 6);
}

TEST(FormatValueInteger, SaturatesOutsideTheIntRange) {
    ViewFixture f;
    f.view.scaleFormat[0] = FormatInteger;
    EXPECT_EQ(f.view.formatValue(1e20, 0).text, "2147483647");
    EXPECT_EQ(f.view.formatValue(-1e20, 0).text, "-2147483648");
    EXPECT_EQ(f.view.formatValue(std::numeric_limits<double>::infinity(), 0).text, "2147483647");
    EXPECT_EQ(f.view.formatValue(std::nan(""), 0).text, "0");
    EXPECT_EQ(f.view.formatValue(2147483646.5, 0).text, "2147483646");
}

TEST(FormatValueDigits, DecimalAndExponentUseTheKindsDigits) {
    ViewFixture f;
    f.view.scaleFormat[2] = FormatDecimal;
    f.view.scaleDigits[2] = 2;
    f.view.scaleFormat[3] = FormatExponent;
    f.view.scaleDigits[3] = 1;
    f.view.sectionFormat[1] = FormatDecimal;
    f.view.sectionDigits[1] = 0;
    FormattedValue d = f.view.formatValue(-3.14159, 2);
    EXPECT_EQ(d.text, "-3.14");
    EXPECT_EQ(d.width, 5);
    FormattedValue e = f.view.formatValue(1234.5, 3);
    EXPECT_EQ(e.text, "1.2e+03");
    EXPECT_EQ(e.width, 7);
    EXPECT_EQ(f.view.formatValue(7.6, 5).text, "8");       // Y section, kind 5
    EXPECT_EQ(f.view.formatValue(7.6, 4).text, "7.600");   // X section keeps automatic
    EXPECT_EQ(f.view.formatValue(1e300, 2).text.size(), 304u);   // no fixed-size buffer limit
}

TEST(FormatValueDigits, UnknownFormatsAndKindsGiveNoText) {
    ViewFixture f;
    f.view.scaleFormat[0] = 7;
    EXPECT_EQ(f.view.formatValue(1.0, 0).text, "");
    EXPECT_EQ(f.view.formatValue(1.0, 6).text, "");
    EXPECT_EQ(f.view.formatValue(1.0, -1).text, "");
}

// ---- recomputeScales: automatic scales ------------------------------------------------

TEST(RecomputeAutomatic, FifthOfTheRangeCutToShownDigitsAndSnapped) {
    ViewFixture f;
    setGrid(f.view, steps(0, 1, 4), steps(0, 1, 3), [](double x, double y) { return x == 3 && y == 2 ? 7.3 : 0.0; });
    f.view.recomputeScales(false);
    EXPECT_DOUBLE_EQ(f.view.scaleMin[2], 0.0);
    EXPECT_DOUBLE_EQ(f.view.scaleStep[2], 1.46);
    EXPECT_NEAR(f.view.scaleMax[2], 7.3, 1e-12);
    EXPECT_DOUBLE_EQ(f.view.scaleStep[0], 0.6);
    EXPECT_NEAR(f.view.scaleMax[0], 3.0, 1e-12);
}

TEST(RecomputeAutomatic, StoredValuesEqualTheirShownText) {
    ViewFixture f;
    setGrid(f.view, steps(0, 1, 2), steps(0, 1, 2), [](double x, double y) { return x * 12345.678 + y; });
    f.view.recomputeScales(false);
    EXPECT_DOUBLE_EQ(f.view.scaleMax[3], 12350.0);   // 12346.678 shown as 1.235e+04
    EXPECT_DOUBLE_EQ(f.view.scaleStep[2], 2469.0);    // 12346.678 / 5 shown as 2.469e+03
}

TEST(RecomputeAutomatic, FlatRangeIsWidenedByTenEachSide) {
    ViewFixture f;
    setGrid(f.view, {5.0, 5.0}, steps(0, 1, 2), [](double, double y) { return y; });
    f.view.recomputeScales(false);
    EXPECT_DOUBLE_EQ(f.view.scaleMin[0], -5.0);
    EXPECT_DOUBLE_EQ(f.view.scaleStep[0], 4.0);
    EXPECT_DOUBLE_EQ(f.view.scaleMax[0], 15.0);
    EXPECT_DOUBLE_EQ(f.view.sectionPos[0], 5.0);   // snapped back onto the only X
}

TEST(RecomputeAutomatic, RangeThatShowsAsOneTextIsWidened) {
    ViewFixture f;
    setGrid(f.view, steps(0, 1, 2), steps(0, 1, 2), [](double x, double) { return 1.0001 + x * 0.0001; });
    f.view.recomputeScales(false);
    // 1.0001 and 1.0002 both show as 1.000: widened to -8.9999 .. 11.0002,
    // shown as -9.000 .. 11.00 with the interval 4.000
    EXPECT_DOUBLE_EQ(f.view.scaleMin[2], -9.0);
    EXPECT_DOUBLE_EQ(f.view.scaleStep[2], 4.0);
    EXPECT_DOUBLE_EQ(f.view.scaleMax[2], 11.0);
}

TEST(RecomputeAutomatic, NewDataResetsLogSectionsAndIndices) {
    ViewFixture f;
    setGrid(f.view, steps(2, 1, 3), steps(3, 1, 3), [](double x, double y) { return x + y; });
    f.view.scaleLog[0] = 1;
    f.view.sectionPos[0] = 99;
    f.view.sectionIndexX = 2;
    f.view.recomputeScales(false);
    EXPECT_EQ(f.view.scaleLog[0], 0);
    EXPECT_DOUBLE_EQ(f.view.sectionPos[0], 2.0);
    EXPECT_EQ(f.view.sectionIndexX, 0);
    EXPECT_DOUBLE_EQ(f.view.sectionPos[1], 3.0);
}

TEST(RecomputeAutomatic, LegendLevelIndexIsNotRoundedThroughItsFormat) {
    ViewFixture f;
    setGrid(f.view, {0, 1}, {0, 1}, [](double x, double) { return x; });
    f.view.scaleFormat[3] = FormatExponent;
    f.view.scaleDigits[3] = 0;   // 11 would show as 1e+01
    f.view.scaleStep[3] = 11;
    f.view.recomputeScales(false);
    EXPECT_EQ(f.view.scaleStep[3], 11.0);
}

TEST(RecomputeAutomatic, IntegerFormatWidensSmallRangesToWholeSteps) {
    ViewFixture f;
    setGrid(f.view, {0.6, 1.2}, steps(0, 1, 2), [](double, double) { return 0.0; });
    f.view.scaleFormat[0] = FormatInteger;
    f.view.recomputeScales(false);
    // X 0.6..1.2 (shown 0 and 1): step 1, range -0.4 .. 2.2, shown 0 .. 2
    EXPECT_DOUBLE_EQ(f.view.scaleStep[0], 1.0);
    EXPECT_DOUBLE_EQ(f.view.scaleMin[0], 0.0);
    EXPECT_DOUBLE_EQ(f.view.scaleMax[0], 2.0);
}

TEST(RecomputeAutomatic, IntegerFormatRangeShownAsOneNumberIsWidened) {
    ViewFixture f;
    setGrid(f.view, {0.1, 0.3}, steps(0, 1, 2), [](double, double) { return 0.0; });
    f.view.scaleFormat[0] = FormatInteger;
    f.view.recomputeScales(false);
    EXPECT_DOUBLE_EQ(f.view.scaleMin[0], -9.0);   // -9.9 shown as -9
    EXPECT_DOUBLE_EQ(f.view.scaleStep[0], 4.0);   // 20.2 / 5 shown as 4
    EXPECT_DOUBLE_EQ(f.view.scaleMax[0], 11.0);
}

// ---- recomputeScales: the user's scales ------------------------------------------------

TEST(RecomputeUserScales, UsableScaleIsKeptAndItsMaximumSnapped) {
    ViewFixture f;
    setGrid(f.view, steps(0, 1, 5), steps(0, 1, 5), [](double x, double) { return x; });
    f.view.scaleMin[0] = -10;
    f.view.scaleMax[0] = 95;
    f.view.scaleStep[0] = 25;
    f.view.recomputeScales(true);
    EXPECT_DOUBLE_EQ(f.view.scaleMin[0], -10.0);
    EXPECT_DOUBLE_EQ(f.view.scaleStep[0], 25.0);
    EXPECT_DOUBLE_EQ(f.view.scaleMax[0], 115.0);   // 4.2 steps become 5
}

TEST(RecomputeUserScales, MoreThanFiftyStepsFallBackToTheData) {
    ViewFixture f;
    setGrid(f.view, steps(0, 1, 6), steps(0, 1, 2), [](double x, double) { return x; });
    f.view.scaleMin[0] = 0;
    f.view.scaleMax[0] = 100;
    f.view.scaleStep[0] = 1;
    f.view.recomputeScales(true);
    EXPECT_DOUBLE_EQ(f.view.scaleMin[0], 0.0);
    EXPECT_DOUBLE_EQ(f.view.scaleMax[0], 5.0);
    EXPECT_DOUBLE_EQ(f.view.scaleStep[0], 1.0);
}

TEST(RecomputeUserScales, AutomaticFlagOverridesAUsableScale) {
    ViewFixture f;
    setGrid(f.view, steps(0, 1, 6), steps(0, 1, 2), [](double x, double) { return x; });
    f.view.scaleMin[0] = 0;
    f.view.scaleMax[0] = 100;
    f.view.scaleStep[0] = 25;
    f.view.scaleAuto[0] = 1;
    f.view.recomputeScales(true);
    EXPECT_DOUBLE_EQ(f.view.scaleMax[0], 5.0);
}

TEST(RecomputeUserScales, StepLargerThanTheRangeGivesOneWholeStep) {
    ViewFixture f;
    setGrid(f.view, steps(0, 1, 2), steps(0, 1, 2), [](double x, double) { return x; });
    f.view.scaleMin[0] = 0;
    f.view.scaleMax[0] = 1;
    f.view.scaleStep[0] = 1000;
    f.view.recomputeScales(true);
    EXPECT_DOUBLE_EQ(f.view.scaleMax[0], 1000.0);   // never collapses onto the minimum
    EXPECT_GT(f.view.axisSpan[0], 0.0);
}

TEST(RecomputeUserScales, LogarithmicScaleKeptAndSnappedInLnSpace) {
    ViewFixture f;
    setGrid(f.view, steps(1, 1, 10), steps(1, 1, 2), [](double x, double) { return x; });
    f.view.scaleLog[0] = 1;
    f.view.scaleMin[0] = 1;
    f.view.scaleMax[0] = 500;
    f.view.scaleStep[0] = 10;
    f.view.recomputeScales(true);
    EXPECT_EQ(f.view.scaleLog[0], 1);
    EXPECT_DOUBLE_EQ(f.view.scaleMin[0], 1.0);
    EXPECT_NEAR(f.view.scaleMax[0], 1000.0, 1e-9);
}

TEST(RecomputeUserScales, UnusableLogarithmicScaleTakesTwoStepsOverTheData) {
    ViewFixture f;
    setGrid(f.view, steps(1, 3, 4), steps(1, 1, 2), [](double x, double) { return x; });   // X 1..10
    f.view.scaleLog[0] = 1;
    f.view.scaleMin[0] = 0;   // not usable on a log axis
    f.view.recomputeScales(true);
    EXPECT_EQ(f.view.scaleLog[0], 1);
    EXPECT_DOUBLE_EQ(f.view.scaleMin[0], 1.0);
    EXPECT_DOUBLE_EQ(f.view.scaleStep[0], 3.162);   // sqrt(10) as shown
    EXPECT_NEAR(f.view.scaleMax[0], 3.162 * 3.162, 1e-9);
}

TEST(RecomputeUserScales, LogarithmicAxisOverDataReachingZeroFallsBackToLinear) {
    ViewFixture f;
    setGrid(f.view, steps(0, 1, 4), steps(-1, 1, 3), [](double x, double) { return x; });
    f.view.scaleLog[0] = 1;
    f.view.scaleLog[1] = 1;
    f.view.scaleLog[2] = 1;
    f.view.recomputeScales(true);
    EXPECT_EQ(f.view.scaleLog[0], 0);
    EXPECT_EQ(f.view.scaleLog[1], 0);
    EXPECT_EQ(f.view.scaleLog[2], 0);
}

// ---- legend ---------------------------------------------------------------------

TEST(RecomputeLegend, AbsoluteStyleIsSymmetricAboutZero) {
    ViewFixture f;
    setGrid(f.view, {0, 1}, {0, 1}, [](double x, double y) { return x == 0 ? -3.0 : 8.0; });
    f.view.legendStyle = 1;
    f.view.scaleAuto[3] = 1;
    f.view.recomputeScales(true);
    EXPECT_EQ(f.view.legendStyle, 1);
    EXPECT_DOUBLE_EQ(f.view.scaleMin[3], -8.0);
    EXPECT_DOUBLE_EQ(f.view.scaleMax[3], 8.0);
}

TEST(RecomputeLegend, AbsoluteStyleNeedsValuesOnBothSidesOfZero) {
    ViewFixture f;
    setGrid(f.view, {0, 1}, {0, 1}, [](double x, double) { return 1 + x; });
    f.view.legendStyle = 1;
    f.view.recomputeScales(false);
    EXPECT_EQ(f.view.legendStyle, 0);
    EXPECT_DOUBLE_EQ(f.view.scaleMin[3], 1.0);
    EXPECT_DOUBLE_EQ(f.view.scaleMax[3], 2.0);
}

TEST(RecomputeLegend, UserRangeKeptUnlessEmptyOrAutomatic) {
    ViewFixture f;
    setGrid(f.view, {0, 1}, {0, 1}, [](double x, double) { return x; });
    f.view.scaleMin[3] = -4;
    f.view.scaleMax[3] = 6;
    f.view.recomputeScales(true);
    EXPECT_DOUBLE_EQ(f.view.scaleMin[3], -4.0);
    EXPECT_DOUBLE_EQ(f.view.scaleMax[3], 6.0);
    f.view.scaleMin[3] = 6;
    f.view.recomputeScales(true);
    EXPECT_DOUBLE_EQ(f.view.scaleMin[3], 0.0);
    EXPECT_DOUBLE_EQ(f.view.scaleMax[3], 1.0);
}

TEST(RecomputeLegend, ColourSourceOutOfRangeIsBroughtBack) {
    ViewFixture f;
    setGrid(f.view, {0, 1}, {0, 1}, [](double x, double) { return x; });
    f.view.legendColorSource = 3;   // no data value with three values per point
    f.view.recomputeScales(false);
    EXPECT_EQ(f.view.legendColorSource, 2);
    f.view.valuesPerPoint = 4;
    f.view.legendColorSource = -1;
    f.view.recomputeScales(false);
    EXPECT_EQ(f.view.legendColorSource, 3);
}

// ---- bars -------------------------------------------------------------------------

TEST(RecomputeBars, NewGridTakesItsBarSizesFromTheSpacing) {
    ViewFixture f;
    setGrid(f.view, steps(0, 1, 5), steps(0, 2, 3), [](double, double) { return 1.0; });
    f.view.recomputeScales(false);
    EXPECT_DOUBLE_EQ(f.view.barSizeX, 4.0 / 5);
    EXPECT_DOUBLE_EQ(f.view.barSizeY, 4.0 / 3);
}

TEST(RecomputeBars, AutomaticAxesMakeRoomForTheBars) {
    ViewFixture f;
    setGrid(f.view, steps(0, 1, 5), steps(0, 1, 5), [](double x, double) { return x * 10; });
    f.view.graphType = 19;
    f.view.barSizeX = 2;
    f.view.barSizeY = 1;
    f.view.scaleAuto[0] = 1;
    f.view.scaleAuto[2] = 1;
    f.view.recomputeScales(true);
    EXPECT_DOUBLE_EQ(f.view.scaleMin[0], -1.0);   // half a bar each side
    EXPECT_NEAR(f.view.scaleMax[0], 5.0, 1e-12);
    EXPECT_DOUBLE_EQ(f.view.scaleMin[2], -2.0);   // 5 % below
    EXPECT_NEAR(f.view.scaleMax[2], 42.1, 1e-9);  // then 5 % of the new range above
}

TEST(RecomputeBars, SizesThatAreNoSizeAreReset) {
    ViewFixture f;
    setGrid(f.view, steps(0, 1, 5), steps(0, 1, 5), [](double, double) { return 0.0; });
    f.view.barSizeX = 0;
    f.view.barSizeY = -3;
    f.view.recomputeScales(true);
    EXPECT_DOUBLE_EQ(f.view.barSizeX, 0.8);
    EXPECT_DOUBLE_EQ(f.view.barSizeY, 0.8);
    setGrid(f.view, {7}, {7}, [](double, double) { return 0.0; });   // one point: no spacing
    f.view.barSizeX = -1;
    f.view.recomputeScales(true);
    EXPECT_DOUBLE_EQ(f.view.barSizeX, 1.0);
}

// ---- sections ---------------------------------------------------------------------

TEST(SnapSections, NearestColumnWinsAndTiesGoToTheLowerIndex) {
    ViewFixture f;
    setGrid(f.view, {0, 1, 2, 3}, {10, 20, 30}, [](double, double) { return 0.0; });
    struct Case {
        double pos;
        int index;
    } cases[] = {{-5, 0}, {0.4, 0}, {0.5, 0}, {1.5, 1}, {1.6, 2}, {99, 3}};
    for (const Case& c : cases) {
        f.view.sectionPos[0] = c.pos;
        f.view.snapSections();
        EXPECT_EQ(f.view.sectionIndexX, c.index) << c.pos;
        EXPECT_DOUBLE_EQ(f.view.sectionPos[0], double(c.index)) << c.pos;
    }
    f.view.sectionPos[1] = 25;
    f.view.snapSections();
    EXPECT_EQ(f.view.sectionIndexY, 1);
    EXPECT_DOUBLE_EQ(f.view.sectionPos[1], 20.0);
    f.view.sectionPos[1] = 31;
    f.view.snapSections();
    EXPECT_EQ(f.view.sectionIndexY, 2);
}

TEST(SnapSections, NothingHappensWithoutGridData) {
    ViewFixture f;
    f.view.sectionPos[0] = 12.5;
    f.view.snapSections();
    EXPECT_DOUBLE_EQ(f.view.sectionPos[0], 12.5);
}

// ---- the view ---------------------------------------------------------------------

TEST(RecomputeView, TwoDimensionalDisplayZeroesTheAngles) {
    ViewFixture f;
    setGrid(f.view, {0, 1}, {0, 1}, [](double, double) { return 0.0; });
    f.view.displayMode = Display2D;
    f.view.pickMarkersShown = true;
    f.view.recomputeScales(true);
    EXPECT_EQ(f.view.viewAngleX, 0);
    EXPECT_EQ(f.view.viewAngleZ, 0);
    EXPECT_FALSE(f.view.pickMarkersShown);
}

TEST(RecomputeView, SameStepGivesEveryAxisTheLongestSpan) {
    ViewFixture f;
    setGrid(f.view, steps(0, 1, 11), steps(0, 1, 3), [](double, double y) { return y; });
    f.view.recomputeScales(false);
    EXPECT_DOUBLE_EQ(f.view.axisSpan[0], 10.0);
    EXPECT_DOUBLE_EQ(f.view.axisSpan[1], 2.0);
    f.view.scaleSameStep = 1;
    f.view.recomputeScales(true);
    for (double span : f.view.axisSpan) EXPECT_DOUBLE_EQ(span, 10.0);
}

// ---- hostile inputs -----------------------------------------------------------------

// What the scale frame and the mapping rely on after every recompute.
void expectDrawableScales(const CKelvraView& v, const std::string& what) {
    for (int a = 0; a < 3; ++a) {
        double lo = v.scaleMin[a], hi = v.scaleMax[a], step = v.scaleStep[a];
        ASSERT_TRUE(std::isfinite(lo) && std::isfinite(hi) && std::isfinite(step)) << what << " axis " << a;
        ASSERT_GT(hi, lo) << what << " axis " << a;
        if (v.scaleLog[a] == 1) {
            ASSERT_GT(lo, 0.0) << what;
            ASSERT_GT(step, 1.0) << what;
            ASSERT_LE((std::log(hi) - std::log(lo)) / std::log(step), 1001.0) << what;
        } else {
            ASSERT_GT(step, 0.0) << what << " axis " << a;
            ASSERT_LE((hi - lo) / step, 1001.0) << what << " axis " << a;
        }
        ASSERT_TRUE(std::isfinite(v.axisSpan[a]) && v.axisSpan[a] > 0) << what << " axis " << a;
    }
    ASSERT_TRUE(std::isfinite(v.scaleMin[3]) && std::isfinite(v.scaleMax[3])) << what;
    ASSERT_GT(v.scaleMax[3], v.scaleMin[3]) << what;
}

TEST(RecomputeHostile, DigitsTooFewForTheIntervalNeverGiveAZeroStep) {
    ViewFixture f;
    setGrid(f.view, steps(0, 0.1, 3), steps(0, 1, 2), [](double, double) { return 0.0; });
    f.view.scaleFormat[0] = FormatDecimal;
    f.view.scaleDigits[0] = 0;   // the step 0.04 shows as "0"
    f.view.recomputeScales(false);
    expectDrawableScales(f.view, "decimal 0 digits");
    f.view.scaleMin[0] = 0.1;
    f.view.scaleMax[0] = 0.2;    // both show as "0"
    f.view.scaleStep[0] = 0.05;
    f.view.recomputeScales(true);
    expectDrawableScales(f.view, "user scale below the shown digits");
}

TEST(RecomputeHostile, NoDataEmptyAndReversedRangesGiveUsableScales) {
    ViewFixture f;
    f.view.recomputeScales(false);   // nothing loaded: the reset ranges
    expectDrawableScales(f.view, "no data");
    EXPECT_DOUBLE_EQ(f.view.scaleMin[0], -10.0);
    setGrid(f.view, steps(4, -1, 5), steps(0, 1, 2), [](double, double) { return 0.0; });
    std::swap(f.view.valueRange[RangeX].min, f.view.valueRange[RangeX].max);   // a stepped grid with X step < 0
    f.view.recomputeScales(false);
    expectDrawableScales(f.view, "reversed");
    EXPECT_DOUBLE_EQ(f.view.scaleMin[0], 0.0);
    EXPECT_DOUBLE_EQ(f.view.scaleMax[0], 4.0);
}

TEST(RecomputeHostile, RandomRangesAndSettingsAlwaysGiveDrawableScales) {
    const double special[] = {0.0, -0.0, 1e-320, 1e-9, 0.004, 1.0, 7.3, 999.5, 1e6, 1e16, 1e20, 1e300, 1.7e308,
                              std::numeric_limits<double>::infinity(), std::nan("")};
    std::mt19937 rng(12345);
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    auto value = [&]() {
        double v = special[pick(std::size(special))];
        if (pick(3) == 0) v = std::ldexp(double(rng()) / 4294967296.0, pick(80) - 40);
        return pick(2) ? -v : v;
    };
    for (int round = 0; round < 3000; ++round) {
        ViewFixture f;
        CKelvraView& v = f.view;
        v.dataLoaded = true;
        v.dataKind = pick(4);
        v.valuesPerPoint = pick(2) ? 3 : 4;
        v.columnCount = pick(3);
        v.rowCount = pick(3);
        for (auto& r : v.valueRange) {
            r.min = value();
            r.max = pick(4) == 0 ? r.min : value();
        }
        for (int a = 0; a < 4; ++a) {
            v.scaleMin[a] = value();
            v.scaleMax[a] = value();
            v.scaleStep[a] = a < 3 ? value() : pick(12);
            v.scaleFormat[a] = pick(4);
            v.scaleDigits[a] = pick(13);
            v.scaleAuto[a] = pick(2);
            v.scaleLog[a] = pick(2);
        }
        v.legendStyle = pick(2);
        v.legendColorSource = pick(6) - 1;
        v.scaleSameStep = pick(2);
        v.graphType = pick(2) ? 19 : 3;
        v.barSizeX = value();
        v.barSizeY = value();
        v.recomputeScales(pick(2) == 0);
        expectDrawableScales(v, "round " + std::to_string(round));
        v.recomputeScales(true);   // and again over its own result
        expectDrawableScales(v, "again, round " + std::to_string(round));
    }
}

}  // namespace
}  // namespace kelvra
