// The settings dialog's tables (see dialogControls.h) and the compile-time
// checks that tie them to the field table.
#include "settings/dialogControls.h"

#include "settings/settingsFields.h"

namespace kelvra {
namespace {

// ---- groups -------------------------------------------------------------------------

enum Group {
    GDisplayKind, GGraphLists,                                  // ｸﾞﾗﾌ
    GWire, GBars, GVectors, GPoints, GContour2,                 // ｸﾞﾗﾌ詳細
    GViewGraph, GViewWindow,                                    // 表示
    GAxisChecks, GAxisForm,                                     // 軸
    GLegendChecks, GLegendForm,                                 // 凡例
    GLevelColours, GLevelButton,                                // 凡例色
    GTitle, GTitlePlace,                                        // ｸﾞﾗﾌﾀｲﾄﾙ
    GScale1Grid, GScale1Checks,                                 // ｽｹｰﾙ①
    GScale2Grid,                                                // ｽｹｰﾙ②
    GFonts, GFontSample,                                        // ﾌｫﾝﾄ
    GSectionGrid, GSectionForm,                                 // 断面
    GroupCount
};

constexpr const char* kBarNotes[] = {
    "※1 X、Yｽｹｰﾙを棒ｸﾞﾗﾌの", "ｻｲｽﾞ分、大きくして下さい", "※2 棒ｸﾞﾗﾌ選択後、ｽｹｰﾙで", "自動を選択すると大きく", "くなります",
};
constexpr const char* kAxisRowNames[] = {"X軸", "Y軸", "Z軸", "凡例"};
constexpr const char* kSectionRowNames[] = {"X軸", "Y軸"};
constexpr const char* kScale1Headings[] = {"最小", "最大", "間隔", "大きさ(%)", "ラベル", "単位"};
constexpr const char* kScale2Headings[] = {"表示形式", "小数点の桁数", "スケール", "対数目盛", "軸反転", "値表示", "目盛表示"};
constexpr const char* kSectionHeadings[] = {"断面位置", "ラベル", "単位", "表示形式", "小数点の桁数"};

// Pages are 262 x 218 dialog units; the groups of a page share its width
// (7 units from each side) and between them most of its height.
constexpr ControlGroup kGroups[] = {
    {.page = PageGraph, .title = "表示の種類", .box = {7, 7, 248, 62}},
    {.page = PageGraph, .box = {7, 78, 248, 78}},

    {.page = PageGraphDetail, .title = "ﾜｲﾔｰﾌﾚｰﾑの設定", .box = {7, 7, 248, 78}},
    {.page = PageGraphDetail, .title = "棒ｸﾞﾗﾌの設定", .box = {7, 92, 122, 119}, .notes = kBarNotes,
     .notesAt = {15, 148, 110, 12}},
    {.page = PageGraphDetail, .title = "ﾍﾞｸﾄﾙ図の設定", .box = {134, 92, 121, 37}},
    {.page = PageGraphDetail, .title = "点の設定", .box = {134, 133, 121, 37}},
    {.page = PageGraphDetail, .title = "等高線2の設定", .box = {134, 174, 121, 37}},

    {.page = PageView, .title = "ｸﾞﾗﾌ表示", .box = {7, 7, 248, 104}},
    {.page = PageView, .title = "ｳｨﾝﾄﾞｻｲｽﾞ", .box = {7, 120, 248, 50}},

    {.page = PageAxis, .box = {7, 7, 248, 64}},
    {.page = PageAxis, .box = {7, 80, 248, 96}},

    {.page = PageLegend, .box = {7, 7, 248, 62}},
    {.page = PageLegend, .box = {7, 76, 248, 135}},

    {.page = PageLegendColors, .box = {7, 7, 248, 150}},
    {.page = PageLegendColors, .box = {7, 160, 248, 52}, .framed = false, .notesAt = {12, 186, 243, 12},
     .bandDifferences = true},

    {.page = PageTitle, .box = {7, 7, 248, 70}},
    {.page = PageTitle, .box = {7, 86, 248, 70}},

    {.page = PageScales1, .box = {7, 7, 248, 118}, .headings = kScale1Headings, .rowNames = kAxisRowNames,
     .headingY = 17, .rowNameX = 13},
    {.page = PageScales1, .box = {7, 134, 248, 50}},

    {.page = PageScales2, .box = {3, 7, 256, 140}, .headings = kScale2Headings, .rowNames = kAxisRowNames,
     .headingY = 18, .rowNameX = 8},

    {.page = PageFonts, .box = {7, 7, 248, 96}},
    {.page = PageFonts, .box = {7, 112, 248, 99}, .fontSample = true},

    {.page = PageSections, .box = {7, 7, 248, 100}, .headings = kSectionHeadings, .rowNames = kSectionRowNames,
     .headingY = 18, .rowNameX = 13},
    {.page = PageSections, .box = {7, 116, 248, 50}},
};
static_assert(std::size(kGroups) == GroupCount);

// The columns and rows of a grid group: a cell's control stands in the
// middle of its row, which is kRowHeight units high.
struct GridPlaces {
    std::span<const short> x, w, y;
};
constexpr short kRowHeight = 20;
constexpr short kScale1X[] = {38, 74, 110, 146, 182, 218}, kScale1W[] = {34, 34, 34, 34, 34, 34};
constexpr short kScale1Y[] = {32, 54, 76, 98};
constexpr short kScale2X[] = {24, 63, 104, 134, 164, 194, 224}, kScale2W[] = {36, 30, 27, 27, 27, 27, 34};
constexpr short kScale2Y[] = {34, 62, 90, 118};
constexpr short kSectionX[] = {36, 84, 132, 172, 214}, kSectionW[] = {44, 44, 36, 38, 34};
constexpr short kSectionY[] = {36, 66};
constexpr GridPlaces kGrids[] = {{kScale1X, kScale1W, kScale1Y}, {kScale2X, kScale2W, kScale2Y},
                                 {kSectionX, kSectionW, kSectionY}};
constexpr const GridPlaces& gridOf(int group) {
    return group == GScale1Grid ? kGrids[0] : group == GScale2Grid ? kGrids[1] : kGrids[2];
}

// ---- controls -----------------------------------------------------------------------

using S = GraphSettings;
using W = Widget;
using L = ListEntries;

// A control's height by its kind, in dialog units: what the toolkit's
// widgets need at the default font (an entry 27 pixels, a drop-down list and a
// button 34, a check box 20, a label 17; one unit down is 1.75 pixels there).
constexpr short heightOf(Widget w) {
    switch (w) {
        case W::Edit:
        case W::IntEdit: return 16;
        case W::List:
        case W::Button: return 20;
        case W::Check:
        case W::Radio: return 12;
        case W::Swatch: return 10;
    }
    return 12;
}

// Where a control stands: x, y and width; its label's left edge and width.
struct Place {
    short x = 0, y = 0, w = 0;
    short labelX = 0, labelW = 0;
};

consteval DialogControl control(int group, int id, Widget w, const char* label, int field, Place p = {}) {
    DialogControl c{kGroups[group].page, group, id, w, label, field};
    c.at = {p.x, p.y, p.w, heightOf(w)};
    c.labelX = p.labelX;
    c.labelW = p.labelW;
    return c;
}
consteval DialogControl edit(int group, int id, const char* label, FieldAccess f, Place p = {}) {
    return control(group, id, W::Edit, label, settingsFieldRow(f), p);
}
consteval DialogControl intEdit(int group, int id, const char* label, FieldAccess f, Place p) {
    return control(group, id, W::IntEdit, label, settingsFieldRow(f), p);
}
consteval DialogControl check(int group, int id, const char* label, FieldAccess f, Place p = {}) {
    return control(group, id, W::Check, label, settingsFieldRow(f), p);
}
consteval DialogControl radio(int group, int id, const char* label, FieldAccess f, int value, Place p) {
    DialogControl c = control(group, id, W::Radio, label, settingsFieldRow(f), p);
    c.value = value;
    return c;
}
consteval DialogControl list(int group, int id, const char* label, FieldAccess f, ListEntries entries,
                             Place p = {}) {
    DialogControl c = control(group, id, W::List, label, settingsFieldRow(f), p);
    c.list = entries;
    return c;
}
consteval DialogControl swatch(int group, int id, const char* label, FieldAccess f, Place p) {
    return control(group, id, W::Swatch, label, settingsFieldRow(f), p);
}
// A grid cell: the row's label is the grid's row name, a check box keeps its
// own; the place is the cell's.
consteval DialogControl cell(int group, int row, int column, DialogControl c) {
    const GridPlaces& grid = gridOf(group);
    c.group = group;
    c.page = kGroups[group].page;
    c.row = row;
    c.column = column;
    c.at = {grid.x[column], short(grid.y[row] + (kRowHeight - c.at.h) / 2), grid.w[column], c.at.h};
    return c;
}
consteval DialogControl fontRole(DialogControl c) {
    c.followsFontRole = true;
    return c;
}
// A list with no field: the font page's text roles (which role the page
// shows) and the legend colour page's presets (they only fill the swatches).
consteval DialogControl fieldlessList(int group, int id, const char* label, ListEntries entries, Place p) {
    DialogControl c = control(group, id, W::List, label, -1, p);
    c.list = entries;
    return c;
}
constexpr const char* kLevelNames[] = {"1",  "2",  "3",  "4",  "5",  "6",  "7",  "8",  "9",  "10",
                                       "11", "12", "13", "14", "15", "16", "17", "18", "19", "20"};
// Row n of the legend colour page (1 at the top): ten to a column.
consteval DialogControl levelSwatch(int id, int n) {
    const int left = n <= 10;
    const short y = short(15 + ((n - 1) % 10) * 14);
    return swatch(GLevelColours, id, kLevelNames[n - 1], {&S::legendColors, 21 - n},
                  {short(left ? 30 : 152), y, 90, short(left ? 16 : 136), 14});
}

// One row of scale page 2 (the legend row has no tick list).
#define KELVRA_SCALE2_ROW(a, reverse)                                                                  \
    cell(GScale2Grid, a, 0, list(0, 1226 + a, nullptr, {&S::scaleFormat, a}, L::NumberFormats)),      \
        cell(GScale2Grid, a, 1, edit(0, 1230 + a, nullptr, {&S::scaleDigits, a})),                    \
        cell(GScale2Grid, a, 2, check(0, 1234 + a, "自動", {&S::scaleAuto, a})),                      \
        cell(GScale2Grid, a, 3, check(0, 1249 + a, "対数", {&S::scaleLog, a})),                       \
        cell(GScale2Grid, a, 4, check(0, 1238 + a, "反転", reverse)),                                 \
        cell(GScale2Grid, a, 5, check(0, 1242 + a, "表示", {&S::scaleShowValues, a}))

#define KELVRA_SCALE1_ROW(a, first)                                                                   \
    cell(GScale1Grid, a, 0, edit(0, first, nullptr, {&S::scaleMin, a})),                              \
        cell(GScale1Grid, a, 1, edit(0, first + 1, nullptr, {&S::scaleMax, a})),                     \
        cell(GScale1Grid, a, 2, edit(0, first + 2, nullptr, {&S::scaleStep, a})),                     \
        cell(GScale1Grid, a, 3, edit(0, first + 3, nullptr, {&S::scaleSizePercent, a}))

#define KELVRA_SECTION_ROW(s)                                                                         \
    cell(GSectionGrid, s, 0, edit(0, 1215 + s, nullptr, {&S::sectionPos, s})),                        \
        cell(GSectionGrid, s, 1, edit(0, 1217 + s, nullptr, {&S::sectionLabel, s})),                  \
        cell(GSectionGrid, s, 2, edit(0, 1219 + s, nullptr, {&S::sectionUnit, s})),                   \
        cell(GSectionGrid, s, 3, list(0, 1221 + s, nullptr, {&S::sectionFormat, s}, L::NumberFormats)), \
        cell(GSectionGrid, s, 4, edit(0, 1223 + s, nullptr, {&S::sectionDigits, s}))

// In page order, and within a page in the order the keyboard visits them.
constexpr DialogControl kControls[] = {
    // ｸﾞﾗﾌ
    radio(GDisplayKind, 1181, "3次元", &S::displayMode, Display3D, {24, 26, 90}),
    radio(GDisplayKind, 1182, "2次元", &S::displayMode, Display2D, {136, 26, 90}),
    radio(GDisplayKind, 1183, "X断面", &S::displayMode, DisplayXSection, {24, 46, 90}),
    radio(GDisplayKind, 1184, "Y断面", &S::displayMode, DisplayYSection, {136, 46, 90}),
    list(GGraphLists, 1075, nullptr, &S::graphType, L::GraphTypes, {20, 94, 222}),
    list(GGraphLists, 1143, nullptr, &S::xyContourMode, L::FloorProjections, {20, 122, 222}),

    // ｸﾞﾗﾌ詳細
    edit(GWire, 1213, "間隔：X軸", &S::wireIntervalX, {80, 22, 40, 16, 62}),
    edit(GWire, 1214, "間隔：Y軸", &S::wireIntervalY, {200, 22, 40, 136, 62}),
    edit(GWire, 1053, "線の太さ：X軸", &S::wireWidthX, {80, 42, 40, 16, 62}),
    edit(GWire, 1117, "線の太さ：Y軸", &S::wireWidthY, {200, 42, 40, 136, 62}),
    swatch(GWire, 1170, "色：X軸", &S::wireColorX, {80, 66, 40, 16, 62}),
    swatch(GWire, 1169, "色：Y軸", &S::wireColorY, {200, 66, 40, 136, 62}),
    edit(GBars, 1157, "X方向ｻｲｽﾞ", &S::barSizeX, {72, 106, 48, 15, 55}),
    edit(GBars, 1158, "Y方向ｻｲｽﾞ", &S::barSizeY, {72, 126, 48, 15, 55}),
    edit(GVectors, 1082, "ﾍﾞｸﾄﾙの大きさ(%)", &S::vectorSize, {212, 106, 36, 141, 69}),
    edit(GPoints, 1054, "大きさ", &S::pointSize, {212, 147, 36, 141, 69}),
    edit(GContour2, 1144, "太さ", &S::contour2Width, {162, 188, 34, 141, 19}),
    swatch(GContour2, 1168, "色", &S::contour2Color, {216, 191, 32, 202, 12}),

    // 表示
    edit(GViewGraph, 1189, "位置：X方向", &S::viewPosX, {80, 26, 44, 18, 60}),
    edit(GViewGraph, 1190, "位置：Y方向", &S::viewPosY, {200, 26, 44, 138, 60}),
    edit(GViewGraph, 1188, "倍率", &S::viewZoom, {80, 54, 44, 18, 60}),
    intEdit(GViewGraph, 1186, "角度：X軸", &S::viewAngleX, {80, 82, 44, 18, 60}),
    intEdit(GViewGraph, 1187, "角度：Z軸", &S::viewAngleZ, {200, 82, 44, 138, 60}),
    intEdit(GViewWindow, 1191, "X方向", &S::windowWidth, {80, 140, 44, 18, 60}),
    intEdit(GViewWindow, 1192, "Y方向", &S::windowHeight, {200, 140, 44, 138, 60}),

    // 軸
    check(GAxisChecks, 1196, "軸を表示する", &S::axisShow, {18, 17, 200}),
    check(GAxisChecks, 1197, "ｳｨﾝﾄﾞｳ左下に固定する", &S::axisFixLowerLeft, {18, 35, 200}),
    check(GAxisChecks, 1198, "大きさを固定する", &S::axisSizeFixed, {18, 53, 200}),
    edit(GAxisForm, 1199, "位置：縦", &S::axisPosV, {78, 94, 48, 18, 58}),
    edit(GAxisForm, 1200, "位置：横", &S::axisPosH, {196, 94, 48, 136, 58}),
    edit(GAxisForm, 1193, "ﾗﾍﾞﾙ：X軸", &S::axisLabelX, {78, 120, 48, 18, 58}),
    edit(GAxisForm, 1194, "ﾗﾍﾞﾙ：Y軸", &S::axisLabelY, {196, 120, 48, 136, 58}),
    edit(GAxisForm, 1195, "ﾗﾍﾞﾙ：Z軸", &S::axisLabelZ, {78, 146, 48, 18, 58}),
    edit(GAxisForm, 1155, "大きさ(%)", &S::axisSize, {196, 146, 48, 136, 58}),

    // 凡例
    check(GLegendChecks, 1205, "凡例を表示する", &S::legendShow, {18, 16, 200}),
    check(GLegendChecks, 1204, "ｳｨﾝﾄﾞｳ右に固定する", &S::legendFixRight, {18, 33, 200}),
    check(GLegendChecks, 1203, "大きさを固定する", &S::legendSizeFixed, {18, 50, 200}),
    edit(GLegendForm, 1206, "位置：縦", &S::legendPosV, {78, 88, 48, 18, 58}),
    edit(GLegendForm, 1207, "位置：横", &S::legendPosH, {196, 88, 48, 136, 58}),
    edit(GLegendForm, 1208, "高さ", &S::legendHeight, {78, 112, 48, 18, 58}),
    edit(GLegendForm, 1209, "幅", &S::legendWidth, {196, 112, 48, 136, 58}),
    edit(GLegendForm, 1156, "大きさ(%)", &S::legendSize, {78, 136, 48, 18, 58}),
    list(GLegendForm, 1210, "表示の種類", &S::legendStyle, L::LegendStyles, {78, 160, 84, 18, 58}),
    list(GLegendForm, 1211, "凡例色ﾃﾞｰﾀ", &S::legendColorSource, L::LegendSources, {78, 186, 84, 18, 58}),

    // 凡例色: row n shows level colour 21 - n, so the top row is the top of the legend
    levelSwatch(1255, 1), levelSwatch(1257, 2), levelSwatch(1259, 3), levelSwatch(1261, 4),
    levelSwatch(1263, 5), levelSwatch(1265, 6), levelSwatch(1267, 7), levelSwatch(1269, 8),
    levelSwatch(1271, 9), levelSwatch(1273, 10), levelSwatch(1275, 11), levelSwatch(1277, 12),
    levelSwatch(1279, 13), levelSwatch(1281, 14), levelSwatch(1283, 15), levelSwatch(1285, 16),
    levelSwatch(1287, 17), levelSwatch(1289, 18), levelSwatch(1291, 19), levelSwatch(1292, 20),
    fieldlessList(GLevelButton, 1300, "ｶﾗｰﾏｯﾌﾟ", L::ColorMaps, {62, 162, 120, 12, 48}),
    control(GLevelButton, 1256, W::Button, "ﾃﾞﾌｫﾙﾄ", -1, {199, 162, 56}),

    // ｸﾞﾗﾌﾀｲﾄﾙ
    edit(GTitle, 1136, "タイトル", &S::titleText, {60, 34, 184, 18, 40}),
    edit(GTitlePlace, 1201, "位置：縦", &S::titlePosV, {78, 113, 48, 18, 58}),
    edit(GTitlePlace, 1202, "位置：横", &S::titlePosH, {196, 113, 48, 136, 58}),

    // ｽｹｰﾙ①
    KELVRA_SCALE1_ROW(0, 1059),
    cell(GScale1Grid, 0, 4, edit(0, 1090, nullptr, {&S::scaleLabel, 0})),
    cell(GScale1Grid, 0, 5, edit(0, 1086, nullptr, {&S::scaleUnit, 0})),
    KELVRA_SCALE1_ROW(1, 1063),
    cell(GScale1Grid, 1, 4, edit(0, 1091, nullptr, {&S::scaleLabel, 1})),
    cell(GScale1Grid, 1, 5, edit(0, 1087, nullptr, {&S::scaleUnit, 1})),
    KELVRA_SCALE1_ROW(2, 1067),
    cell(GScale1Grid, 2, 4, edit(0, 1092, nullptr, {&S::scaleLabel, 2})),
    cell(GScale1Grid, 2, 5, edit(0, 1088, nullptr, {&S::scaleUnit, 2})),
    cell(GScale1Grid, 3, 0, edit(0, 1071, nullptr, {&S::scaleMin, 3})),
    cell(GScale1Grid, 3, 1, edit(0, 1072, nullptr, {&S::scaleMax, 3})),
    cell(GScale1Grid, 3, 2, list(0, 1073, nullptr, {&S::scaleStep, 3}, L::LevelCounts)),
    cell(GScale1Grid, 3, 5, edit(0, 1089, nullptr, {&S::scaleUnit, 3})),
    check(GScale1Checks, 1211, "ｽｹｰﾙを表示する", &S::scaleShow, {18, 144, 230}),
    check(GScale1Checks, 1212, "X，Y，Zｽｹｰﾙの数値間隔を同じにする", &S::scaleSameStep, {18, 164, 230}),

    // ｽｹｰﾙ②
    KELVRA_SCALE2_ROW(0, FieldAccess(&S::scaleReverse, 0)),
    cell(GScale2Grid, 0, 6, list(0, 1246, nullptr, {&S::scaleTicks, 0}, L::TickStyles)),
    KELVRA_SCALE2_ROW(1, FieldAccess(&S::scaleReverse, 1)),
    cell(GScale2Grid, 1, 6, list(0, 1247, nullptr, {&S::scaleTicks, 1}, L::TickStyles)),
    KELVRA_SCALE2_ROW(2, FieldAccess(&S::scaleReverse, 2)),
    cell(GScale2Grid, 2, 6, list(0, 1248, nullptr, {&S::scaleTicks, 2}, L::TickStyles)),
    KELVRA_SCALE2_ROW(3, FieldAccess(&S::legendReverse)),

    // ﾌｫﾝﾄ
    fieldlessList(GFonts, 1135, "位置", L::TextRoles, {64, 18, 180, 18, 44}),
    fontRole(list(GFonts, 1083, "フォント", {&S::fontFace, 0}, L::FontFaces, {64, 46, 180, 18, 44})),
    fontRole(intEdit(GFonts, 1085, "サイズ", {&S::fontSize, 0}, {64, 76, 48, 18, 44})),

    // 断面
    KELVRA_SECTION_ROW(0),
    KELVRA_SECTION_ROW(1),
    edit(GSectionForm, 1225, "線の太さ", &S::sectionLineWidth, {80, 133, 44, 18, 60}),
};

#undef KELVRA_SCALE1_ROW
#undef KELVRA_SCALE2_ROW
#undef KELVRA_SECTION_ROW

// ---- checks ---------------------------------------------------------------------------

// The widget a field's copy rule allows.
consteval bool widgetFits(const DialogControl& c) {
    if (c.field < 0) return c.widget == W::Button || c.widget == W::List;
    const FieldRow& row = kSettingsFields[c.field];
    switch (c.widget) {
        case W::Edit: return row.dialog == DialogCopy::Text || row.dialog == DialogCopy::TextUnchecked;
        case W::IntEdit:
            return row.dialog == DialogCopy::IntEdit || row.dialog == DialogCopy::IntEditAny ||
                   row.dialog == DialogCopy::IntEditClamped;
        case W::Check: return row.dialog == DialogCopy::Direct && row.lo == 0 && row.hi == 1;
        case W::Radio: return row.dialog == DialogCopy::Direct && c.value >= row.lo && c.value <= row.hi;
        case W::List: return row.dialog == DialogCopy::Direct && c.list != L::None;
        case W::Swatch: return row.kind == ValueKind::Colour;
        case W::Button: return false;
    }
    return false;
}

// A field one of the controls edits (a radio group counts once, the font
// page's controls once for every role).
consteval bool coversField(const DialogControl& c, int field) {
    if (c.widget == W::Radio && c.value != 0) return false;
    if (!c.followsFontRole) return c.field == field;
    for (int role = 0; role < kTextRoleCount; ++role)
        if (controlField(c, role) == field) return true;
    return false;
}

// The rows of a role's face and size are where controlField looks for them.
consteval bool fontRowsInRoleOrder() {
    for (int role = 0; role < kTextRoleCount; ++role)
        if (settingsFieldRow({&S::fontFace, role}) != settingsFieldRow({&S::fontFace, 0}) + 2 * role ||
            settingsFieldRow({&S::fontSize, role}) != settingsFieldRow({&S::fontSize, 0}) + 2 * role)
            return false;
    return true;
}
static_assert(fontRowsInRoleOrder(), "the font rows of the field table are not face, size per role");

consteval bool inside(DuRect inner, DuRect outer) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.w <= outer.x + outer.w &&
           inner.y + inner.h <= outer.y + outer.h;
}
consteval bool overlap(DuRect a, DuRect b) {
    return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}
// A control's label, level with it (labels are 10 units high).
consteval DuRect labelOf(const DialogControl& c) {
    return {c.labelX, short(c.at.y + (c.at.h - 10) / 2), c.labelW, 10};
}

// Every group lies on its page, every control and label in its group's box,
// a label that stands apart has its place, and nothing on a page covers
// anything else.
consteval bool placesFit() {
    constexpr DuRect page{0, 0, kPageWidthDu, kPageHeightDu};
    for (const ControlGroup& g : kGroups)
        if (!inside(g.box, page)) return false;
    for (const DialogControl& c : kControls) {
        const ControlGroup& g = kGroups[c.group];
        if (c.at.w <= 0 || !inside(c.at, g.box)) return false;
        const bool apart = c.label && (c.widget == W::Edit || c.widget == W::IntEdit || c.widget == W::List ||
                                       c.widget == W::Swatch);
        if (apart != (c.labelW > 0)) return false;
        if (apart && (!inside(labelOf(c), g.box) || overlap(labelOf(c), c.at))) return false;
        for (const DialogControl& d : kControls) {
            if (&c == &d || c.page != d.page) continue;
            if (overlap(c.at, d.at)) return false;
            if (d.labelW > 0 && overlap(c.at, labelOf(d))) return false;
        }
    }
    return true;
}
static_assert(placesFit(), "a control of the settings dialog lies outside its group or over another");

// Every control fits its field and its group's page, ids are unique on a
// page, and every field of the record is on exactly one control.
consteval bool controlsCoverTheRecord() {
    for (const DialogControl& c : kControls) {
        if (!widgetFits(c) || c.page != kGroups[c.group].page) return false;
        if (c.field < 0 && c.widget == W::List && c.list != L::TextRoles && c.list != L::ColorMaps) return false;
        for (const DialogControl& d : kControls)
            if (&c != &d && c.page == d.page && c.id == d.id) return false;
    }
    for (int field = 0; field < kSettingsFieldCount; ++field) {
        int controls = 0;
        for (const DialogControl& c : kControls) controls += coversField(c, field);
        if (controls != 1) return false;
    }
    return true;
}
static_assert(controlsCoverTheRecord(), "a dialog control does not fit its field, or a field has no control");

}  // namespace

const std::span<const ControlGroup> kControlGroups = kGroups;
const std::span<const DialogControl> kDialogControls = kControls;

int dialogControlIndex(SettingsPage page, int id) {
    for (std::size_t i = 0; i < std::size(kControls); ++i)
        if (kControls[i].page == page && kControls[i].id == id) return int(i);
    return -1;
}

}  // namespace kelvra
