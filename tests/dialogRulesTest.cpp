// The settings dialog without a window: the record copied in and back on OK
// through every control, the conversions OK applies, the int edits' checks,
// and what each page offers and does as its controls are used. The GUI test
// (tests/gui/settingsDialogTest) sees the same through the widgets.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

#include "base/cp932.h"
#include "settings/dialogRules.h"
#include "settings/settingsFields.h"
#include "support/changedSettings.h"

namespace kelvra {
namespace {

using S = GraphSettings;

int controlOf(SettingsPage page, int id) {
    int index = dialogControlIndex(page, id);
    EXPECT_GE(index, 0) << "no control " << id << " on page " << page;
    return index;
}

GraphData dataOf(DataKind kind, int valuesPerPoint, std::array<double, 4> minima) {
    GraphData d;
    d.dataKind = kind;
    d.valuesPerPoint = valuesPerPoint;
    for (int k = 0; k < 4; ++k) d.valueRange[k] = {minima[std::size_t(k)], minima[std::size_t(k)] + 10};
    d.dataLoaded = true;
    return d;
}

// A grid that lets every choice stand: logarithms everywhere (Z above 0) and
// the absolute legend for the data value below 0.
const GraphData kAnyChoice = dataOf(Grid, 3, {1, 1, 1, -1});

// ---- copy in, copy out -------------------------------------------------------------

// OK without a change gives back every field the rules bring back exactly,
// whatever the record held: nothing is lost between the copy in and the copy out.
TEST(DialogCopy, OkWithoutAChangeGivesBackTheRecord) {
    for (const GraphSettings& record : {GraphSettings{}, test::everyFieldChanged(false), test::everyFieldChanged(true)}) {
        SettingsDialogState state = openSettingsDialog(record, kAnyChoice);
        GraphSettings back = defaultSettings();
        applySettingsDialog(state, back);
        for (int n = 0; n < kSettingsFieldCount; ++n)
            EXPECT_EQ(fieldText(kSettingsFields[n], back), fieldText(kSettingsFields[n], record)) << "row " << n;
        EXPECT_TRUE(back == record);
    }
}

TEST(DialogCopy, OkConvertsEditTextsByTheFieldRules) {
    struct Case {
        SettingsPage page;
        int id;
        const char* text;
        std::function<double(const GraphSettings&)> field;
        double expected;
    } cases[] = {
        {PageView, 1188, "5", [](const S& s) { return s.viewZoom; }, 100},              // below 10: the fallback
        {PageView, 1188, "250x", [](const S& s) { return s.viewZoom; }, 250},           // read like atoi
        {PageView, 1189, "abc", [](const S& s) { return s.viewPosX; }, 0},
        {PageGraphDetail, 1053, "0", [](const S& s) { return s.wireWidthX; }, 1},
        {PageGraphDetail, 1213, "0", [](const S& s) { return s.wireIntervalX; }, 0},    // 0 draws no lines
        {PageGraphDetail, 1213, "150001", [](const S& s) { return s.wireIntervalX; }, 1},
        {PageGraphDetail, 1157, "2.5e1", [](const S& s) { return s.barSizeX; }, 25},
        {PageAxis, 1199, "12.7", [](const S& s) { return s.axisPosV; }, 12},            // whole numbers
        {PageAxis, 1200, "1000", [](const S& s) { return s.axisPosH; }, -300},
        {PageLegend, 1207, "-1000", [](const S& s) { return s.legendPosH; }, 260},
        {PageLegend, 1209, "0", [](const S& s) { return s.legendWidth; }, 20},
        {PageTitle, 1201, "-1000", [](const S& s) { return s.titlePosV; }, 180},
        {PageScales1, 1060, "abc", [](const S& s) { return s.scaleMax[0]; }, 0},        // like atof
        {PageScales1, 1066, "2500.5", [](const S& s) { return s.scaleSizePercent[1]; }, 2500.5},   // no range
        {PageScales2, 1233, "13", [](const S& s) { return s.scaleDigits[3]; }, 3},
        {PageSections, 1216, "-7.25", [](const S& s) { return s.sectionPos[1]; }, -7.25},
        {PageSections, 1225, "101", [](const S& s) { return s.sectionLineWidth; }, 2},
    };
    for (const Case& c : cases) {
        SettingsDialogState state = openSettingsDialog(GraphSettings{}, kAnyChoice);
        EXPECT_EQ(editText(state, controlOf(c.page, c.id), c.text), IntEditCheck::Ok);
        GraphSettings record;
        applySettingsDialog(state, record);
        EXPECT_EQ(c.field(record), c.expected) << "control " << c.id << ", text \"" << c.text << "\"";
    }
}

TEST(DialogCopy, NumbersComeBackAsShownAndTextsByteForByte) {
    GraphSettings record;
    record.scaleFormat[0] = FormatInteger;
    record.scaleMin[0] = -100.25;
    record.viewAngleX = 300;
    record.titleText = "\x81\x20\xFF odd";   // no Unicode form: kept as it is
    SettingsDialogState state = openSettingsDialog(record, kAnyChoice);
    EXPECT_EQ(state.texts[std::size_t(controlOf(PageScales1, 1059))], "-100");
    EXPECT_EQ(state.texts[std::size_t(controlOf(PageView, 1186))], "30");   // the angle the user sees
    state.currentPage = PageFonts;
    GraphSettings back;
    applySettingsDialog(state, back);
    EXPECT_EQ(back.scaleMin[0], -100);
    EXPECT_EQ(back.viewAngleX, 300);
    EXPECT_EQ(back.titleText, record.titleText);
    EXPECT_EQ(back.settingsPage, PageFonts);
}

TEST(DialogCopy, LevelColourOneCarriesColourZeroAndDefaultRestoresTheTable) {
    GraphSettings record;
    SettingsDialogState state = openSettingsDialog(record, kAnyChoice);
    int bottom = controlOf(PageLegendColors, 1292), top = controlOf(PageLegendColors, 1255);
    EXPECT_TRUE(swatchColour(state, top) == record.legendColors[20]);
    EXPECT_EQ(colourBytes(swatchColour(state, top)), (ColourBytes{234, 0, 0}));
    setSwatchColour(state, bottom, {0.5, 0.25, 0.0});
    GraphSettings back;
    applySettingsDialog(state, back);
    EXPECT_TRUE(back.legendColors[1] == (Rgb{0.5, 0.25, 0.0}));
    EXPECT_TRUE(back.legendColors[0] == back.legendColors[1]);

    SettingsDialogState again = openSettingsDialog(back, kAnyChoice);
    setSwatchColour(again, top, {0, 0, 0});
    pressButton(again, controlOf(PageLegendColors, 1256));
    applySettingsDialog(again, back);
    for (int k = 0; k < kLegendColorCount; ++k) EXPECT_TRUE(back.legendColors[k] == defaultSettings().legendColors[k]) << k;
}

TEST(DialogCopy, ColoursGoToTheColourDialogAsTruncatedBytesAndComeBackDividedBy255) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::tuple<Rgb, ColourBytes> cases[] = {
        {{0.92, 0.0, 0.82}, {234, 0, 209}},   // 234.6 and 209.1 truncated
        {{1.0, 0.999, 0.5}, {255, 254, 127}},
        {{-0.5, 1.5, nan}, {0, 255, 0}},
    };
    for (const auto& [colour, bytes] : cases) EXPECT_EQ(colourBytes(colour), bytes) << colour.r << " " << colour.g;
    EXPECT_TRUE(colourOfBytes({234, 0, 255}) == (Rgb{234 / 255.0, 0.0, 1.0}));
}

// ---- int edits ----------------------------------------------------------------------

TEST(IntEdit, OnlyAWholeIntegerIsAnInteger) {
    const std::tuple<const char*, bool, int> cases[] = {
        {"12", true, 12},     {" -5 ", true, -5},     {"+7", true, 7},          {"", false, 0},
        {"  ", false, 0},     {"-", false, 0},        {"12x", false, 0},        {"1e3", false, 0},
        {"1 2", false, 0},    {"3.0", false, 0},      {"2147483647", true, 2147483647},
        {"2147483648", false, 0}, {"-2147483648", true, -2147483647 - 1}, {"99999999999999999999", false, 0},
    };
    for (const auto& [text, integer, value] : cases) {
        int v = 0;
        EXPECT_EQ(parseIntEdit(text, &v), integer) << '"' << text << '"';
        if (integer) EXPECT_EQ(v, value) << '"' << text << '"';
    }
}

// The angles warn outside 0..359 but keep what was typed; a text that is no
// integer keeps the value before it; the window and font sizes take any
// integer, and OK brings the window size into its range.
TEST(IntEdit, TypedTextIsCheckedAndTheMemberFollowsOnlyIntegers) {
    SettingsDialogState state = openSettingsDialog(GraphSettings{}, kAnyChoice);
    int angleX = controlOf(PageView, 1186), angleZ = controlOf(PageView, 1187), width = controlOf(PageView, 1191);
    EXPECT_EQ(editText(state, angleX, ""), IntEditCheck::NotInteger);
    EXPECT_EQ(state.page.viewAngleX, 300);
    EXPECT_EQ(intEditMessage(IntEditCheck::NotInteger, angleX), sj("整数を入力してください。"));
    EXPECT_EQ(editText(state, angleX, "400"), IntEditCheck::OutOfRange);
    EXPECT_EQ(state.page.viewAngleX, internalAngleX(400));
    EXPECT_EQ(intEditMessage(IntEditCheck::OutOfRange, angleX), sj("0 から 359 までの整数を入力してください。"));
    EXPECT_EQ(editText(state, angleZ, "-1"), IntEditCheck::OutOfRange);
    EXPECT_EQ(editText(state, angleZ, "359"), IntEditCheck::Ok);
    EXPECT_EQ(editText(state, width, "-5"), IntEditCheck::Ok);
    EXPECT_EQ(editText(state, width, "5000"), IntEditCheck::Ok);
    EXPECT_EQ(editText(state, width, "5000px"), IntEditCheck::NotInteger);
    EXPECT_EQ(editText(state, controlOf(PageView, 1188), "zoom"), IntEditCheck::Ok);   // a text edit: OK decides
    GraphSettings back;
    applySettingsDialog(state, back);
    EXPECT_EQ(back.viewAngleX, internalAngleX(400));
    EXPECT_EQ(back.viewAngleZ, 359);
    EXPECT_EQ(back.windowWidth, 3000);   // the frame's size is held to what it may be
    EXPECT_EQ(editText(state, width, "-5"), IntEditCheck::Ok);
    applySettingsDialog(state, back);
    EXPECT_EQ(back.windowWidth, 10);
}

// ---- the graph page ---------------------------------------------------------------------

TEST(GraphPage, OffersTheTypesOfTheDataKindAndDisplay) {
    const std::tuple<DataKind, int, int, std::size_t> cases[] = {
        {Grid, 3, Display3D, 20}, {Grid, 4, Display2D, 20}, {Grid, 3, DisplayXSection, 4}, {Grid, 4, DisplayYSection, 2},
        {Scattered, 3, Display3D, 4}, {Vectors, 6, Display2D, 1}, {PointValues, 4, Display3D, 2},
    };
    for (const auto& [kind, valuesPerPoint, mode, count] : cases) {
        DialogDataFacts facts = dialogDataFacts(dataOf(kind, valuesPerPoint, {0, 0, 0, 0}));
        EXPECT_EQ(graphTypeChoices(facts, mode).size(), count) << "kind " << kind << ", mode " << mode;
        EXPECT_EQ(displayModeOffered(facts, DisplayXSection), kind == Grid) << "kind " << kind;
        EXPECT_TRUE(displayModeOffered(facts, Display2D));
    }
}

TEST(GraphPage, ADisplayFromTheOtherFamilyStartsAtTypeZero) {
    // Data kind; display and type before; the button clicked; display and type after.
    const std::array<int, 5> cases[] = {
        {Grid, Display3D, 12, Display2D, Display2D},             // within the plain family: kept
        {Grid, Display3D, 12, DisplayXSection, DisplayXSection},  // into the sections: type 0
        {Grid, DisplayXSection, 3, DisplayYSection, DisplayYSection},
        {Grid, DisplayYSection, 2, Display3D, Display3D},
        {Scattered, Display2D, 3, DisplayXSection, Display2D},    // not offered: nothing happens
        {Vectors, Display3D, 0, Display2D, Display2D},
    };
    const int typeAfter[] = {12, 0, 3, 0, 3, 0};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        GraphSettings page;
        page.displayMode = DisplayMode(c[1]);
        page.graphType = c[2];
        chooseDisplayMode(page, dialogDataFacts(dataOf(DataKind(c[0]), 3, {0, 0, 0, 0})), c[3]);
        EXPECT_EQ(std::pair(int(page.displayMode), page.graphType), std::pair(c[4], typeAfter[i])) << "case " << i;
    }
}

TEST(GraphPage, OpensWithAValidTypeAndShowsTheFloorListOfTheDataKind) {
    GraphSettings record;
    record.graphType = -3;
    EXPECT_EQ(openSettingsDialog(record, kAnyChoice).page.graphType, 0);
    record.graphType = 5;   // from an old file; vector data has its one type
    EXPECT_EQ(openSettingsDialog(record, dataOf(Vectors, 6, {0, 0, 0, 0})).page.graphType, 0);

    record.graphType = 30;   // past the list: nothing chosen, and nothing stored by it
    record.xyContourMode = XyContourLines;
    SettingsDialogState grid = openSettingsDialog(record, kAnyChoice);
    int types = controlOf(PageGraph, 1075), floor = controlOf(PageGraph, 1143);
    EXPECT_EQ(listSelection(grid, types), -1);
    chooseListEntry(grid, types, -1);
    EXPECT_EQ(grid.page.graphType, 30);
    EXPECT_EQ(listEntries(grid, floor).size(), 7u);
    EXPECT_EQ(listSelection(grid, floor), int(XyContourLines));
    SettingsDialogState points = openSettingsDialog(record, dataOf(Scattered, 3, {0, 0, 0, 0}));
    EXPECT_EQ(listEntries(points, floor), std::vector<std::string>{"XY平面-等高線なし"});
    EXPECT_EQ(listSelection(points, floor), 0);
    EXPECT_FALSE(isControlEnabled(points, controlOf(PageGraph, 1183)));
    EXPECT_TRUE(isControlEnabled(points, controlOf(PageGraph, 1182)));
}

// ---- legend, scales, fonts ------------------------------------------------------------

TEST(LegendPage, AbsoluteValuesAreOfferedWhereTheColourValueGoesBelowZero) {
    GraphData data = dataOf(Grid, 4, {2, -3, 0, std::numeric_limits<double>::quiet_NaN()});
    DialogDataFacts facts = dialogDataFacts(data);
    EXPECT_EQ(legendSourceChoiceCount(facts), 4);
    EXPECT_EQ(legendSourceChoiceCount(dialogDataFacts(kAnyChoice)), 3);   // no data value
    const bool offered[] = {false, true, false, true};   // X from 2, Y from -3, Z from 0, data not a number
    for (int source = 0; source < 4; ++source) EXPECT_EQ(absoluteLegendOffered(facts, source), offered[source]) << source;

    GraphSettings record;
    record.legendColorSource = ColorByY;
    record.legendStyle = LegendAbsolute;
    SettingsDialogState state = openSettingsDialog(record, data);
    int sources = controlOf(PageLegend, 1211), styles = controlOf(PageLegend, 1210);
    EXPECT_EQ(listSelection(state, styles), 1);   // what the record holds, while it is offered
    chooseListEntry(state, sources, ColorByData);
    EXPECT_EQ(state.page.legendStyle, LegendAbsolute);
    chooseListEntry(state, sources, ColorByX);
    EXPECT_EQ(listEntries(state, styles), std::vector<std::string>{"標準"});
    EXPECT_EQ(state.page.legendStyle, LegendStandard);
    record.legendColorSource = ColorByZ;
    EXPECT_EQ(openSettingsDialog(record, data).page.legendStyle, LegendStandard);
}

TEST(ScalePage, LogarithmsOnlyWhereTheMinimumIsAboveZero) {
    GraphSettings record;
    for (int& log : record.scaleLog) log = 1;
    const struct {
        int valuesPerPoint;
        std::array<double, 4> minima;
        std::array<int, 4> kept;
    } cases[] = {
        {3, {1, 0, -2, -5}, {1, 0, 0, 0}},   // the legend follows Z
        {3, {1, 1, 0.5, -5}, {1, 1, 1, 1}},
        {4, {1, 1, 0.5, 0}, {1, 1, 1, 0}},   // with a data value the legend follows it
    };
    for (const auto& c : cases) {
        SettingsDialogState state = openSettingsDialog(record, dataOf(Grid, c.valuesPerPoint, c.minima));
        GraphSettings back;
        applySettingsDialog(state, back);
        const int ids[] = {1249, 1250, 1251, 1252};
        for (int a = 0; a < 4; ++a) {
            EXPECT_EQ(back.scaleLog[a], c.kept[std::size_t(a)]) << "axis " << a;
            EXPECT_EQ(isControlShown(state, controlOf(PageScales2, ids[a])), c.kept[std::size_t(a)] == 1) << "axis " << a;
        }
    }
}

TEST(FontPage, TheFaceAndSizeShownAreThoseOfTheChosenText) {
    SettingsDialogState state = openSettingsDialog(GraphSettings{}, kAnyChoice);
    int roles = controlOf(PageFonts, 1135), face = controlOf(PageFonts, 1083), size = controlOf(PageFonts, 1085);
    EXPECT_EQ(listEntries(state, roles).front(), "グラフタイトル");
    EXPECT_EQ(listEntries(state, face).size(), 41u);
    chooseListEntry(state, face, 16);
    EXPECT_EQ(editText(state, size, "30"), IntEditCheck::Ok);
    chooseListEntry(state, roles, RoleScaleUnit);
    EXPECT_EQ(listSelection(state, face), 4);
    EXPECT_EQ(state.texts[std::size_t(size)], "12");
    EXPECT_EQ(editText(state, size, "-8"), IntEditCheck::Ok);   // any integer
    EXPECT_EQ(editText(state, size, "big"), IntEditCheck::NotInteger);
    chooseListEntry(state, roles, RoleTitle);
    EXPECT_EQ(listSelection(state, face), 16);
    EXPECT_EQ(state.texts[std::size_t(size)], "30");
    GraphSettings back;
    applySettingsDialog(state, back);
    EXPECT_EQ(std::tuple(back.fontFace[0], back.fontSize[0], back.fontFace[4], back.fontSize[4]), std::tuple(16, 30, 4, -8));
}

TEST(ListChoice, PositionsOutsideTheListChangeNothing) {
    GraphSettings record;
    record.scaleStep[3] = 12;   // names no level count
    SettingsDialogState state = openSettingsDialog(record, kAnyChoice);
    int levels = controlOf(PageScales1, 1073);
    EXPECT_EQ(listEntries(state, levels).back(), "480");
    EXPECT_EQ(listSelection(state, levels), -1);
    chooseListEntry(state, levels, 12);
    EXPECT_EQ(state.page.scaleStep[3], 12);
    chooseListEntry(state, levels, 11);
    EXPECT_EQ(state.page.scaleStep[3], 11.0);
}

}  // namespace
}  // namespace kelvra
