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
    GTitle,                                                     // ｸﾞﾗﾌﾀｲﾄﾙ
    GScale1Grid, GScale1Checks,                                 // ｽｹｰﾙ①
    GScale2Grid,                                                // ｽｹｰﾙ②
    GFonts,                                                     // ﾌｫﾝﾄ
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

constexpr ControlGroup kGroups[] = {
    {.page = PageGraph, .title = "表示の種類", .columns = 2},
    {.page = PageGraph, .pageRow = 1},

    {.page = PageGraphDetail, .title = "ﾜｲﾔｰﾌﾚｰﾑの設定", .columns = 2, .columnSpan = 2},
    {.page = PageGraphDetail, .title = "棒ｸﾞﾗﾌの設定", .notes = kBarNotes, .pageRow = 1, .rowSpan = 3},
    {.page = PageGraphDetail, .title = "ﾍﾞｸﾄﾙ図の設定", .pageRow = 1, .pageColumn = 1},
    {.page = PageGraphDetail, .title = "点の設定", .pageRow = 2, .pageColumn = 1},
    {.page = PageGraphDetail, .title = "等高線2の設定", .pageRow = 3, .pageColumn = 1},

    {.page = PageView, .title = "ｸﾞﾗﾌ表示"},
    {.page = PageView, .title = "ｳｨﾝﾄﾞｻｲｽﾞ", .pageRow = 1},

    {.page = PageAxis},
    {.page = PageAxis, .pageRow = 1},

    {.page = PageLegend},
    {.page = PageLegend, .pageRow = 1},

    {.page = PageLegendColors},
    {.page = PageLegendColors, .pageRow = 1},

    {.page = PageTitle},

    {.page = PageScales1, .headings = kScale1Headings, .rowNames = kAxisRowNames},
    {.page = PageScales1, .pageRow = 1},

    {.page = PageScales2, .headings = kScale2Headings, .rowNames = kAxisRowNames},

    {.page = PageFonts},

    {.page = PageSections, .headings = kSectionHeadings, .rowNames = kSectionRowNames},
    {.page = PageSections, .pageRow = 1},
};
static_assert(std::size(kGroups) == GroupCount);

// ---- controls -----------------------------------------------------------------------

using S = GraphSettings;
using W = Widget;
using L = ListEntries;

constexpr int kListWidth = 130;   // dialog units: the longest graph-type and floor labels
constexpr int kEditWidth = 44;
constexpr int kCellWidth = 40;

consteval DialogControl control(int group, int id, Widget w, const char* label, int field, int width = 0) {
    return {kGroups[group].page, group, id, w, label, field, 0, L::None, 0, 0, width};
}
consteval DialogControl edit(int group, int id, const char* label, FieldAccess f, int width = kEditWidth) {
    return control(group, id, W::Edit, label, settingsFieldRow(f), width);
}
consteval DialogControl intEdit(int group, int id, const char* label, FieldAccess f) {
    return control(group, id, W::IntEdit, label, settingsFieldRow(f), kEditWidth);
}
consteval DialogControl check(int group, int id, const char* label, FieldAccess f) {
    return control(group, id, W::Check, label, settingsFieldRow(f));
}
consteval DialogControl radio(int group, int id, const char* label, FieldAccess f, int value) {
    DialogControl c = control(group, id, W::Radio, label, settingsFieldRow(f));
    c.value = value;
    return c;
}
consteval DialogControl list(int group, int id, const char* label, FieldAccess f, ListEntries entries,
                             int width = 0) {
    DialogControl c = control(group, id, W::List, label, settingsFieldRow(f), width);
    c.list = entries;
    return c;
}
consteval DialogControl swatch(int group, int id, const char* label, FieldAccess f) {
    return control(group, id, W::Swatch, label, settingsFieldRow(f));
}
// A grid cell: the row's label is the grid's row name, a check box keeps its own.
consteval DialogControl cell(int group, int row, int column, DialogControl c) {
    c.group = group;
    c.page = kGroups[group].page;
    c.row = row;
    c.column = column;
    if (c.widget == W::Edit) c.width = kCellWidth;
    return c;
}
consteval DialogControl fontRole(DialogControl c) {
    c.followsFontRole = true;
    return c;
}
// The font page's list of text roles: which role the page shows, no field.
consteval DialogControl roleList(int group, int id, const char* label) {
    DialogControl c = control(group, id, W::List, label, -1);
    c.list = L::TextRoles;
    return c;
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

// In page order, and within a page in the order the controls are laid out.
constexpr DialogControl kControls[] = {
    // ｸﾞﾗﾌ
    radio(GDisplayKind, 1181, "3次元", &S::displayMode, Display3D),
    radio(GDisplayKind, 1182, "2次元", &S::displayMode, Display2D),
    radio(GDisplayKind, 1183, "X断面", &S::displayMode, DisplayXSection),
    radio(GDisplayKind, 1184, "Y断面", &S::displayMode, DisplayYSection),
    list(GGraphLists, 1075, nullptr, &S::graphType, L::GraphTypes, kListWidth),
    list(GGraphLists, 1143, nullptr, &S::xyContourMode, L::FloorProjections, kListWidth),

    // ｸﾞﾗﾌ詳細
    edit(GWire, 1213, "間隔：X軸", &S::wireIntervalX),
    edit(GWire, 1214, "間隔：Y軸", &S::wireIntervalY),
    edit(GWire, 1053, "線の太さ：X軸", &S::wireWidthX),
    edit(GWire, 1117, "線の太さ：Y軸", &S::wireWidthY),
    swatch(GWire, 1170, "色：X軸", &S::wireColorX),
    swatch(GWire, 1169, "色：Y軸", &S::wireColorY),
    edit(GBars, 1157, "X方向ｻｲｽﾞ", &S::barSizeX),
    edit(GBars, 1158, "Y方向ｻｲｽﾞ", &S::barSizeY),
    edit(GVectors, 1082, "ﾍﾞｸﾄﾙの大きさ(%)", &S::vectorSize),
    edit(GPoints, 1054, "大きさ", &S::pointSize),
    edit(GContour2, 1144, "太さ", &S::contour2Width),
    swatch(GContour2, 1168, "色", &S::contour2Color),

    // 表示
    edit(GViewGraph, 1189, "位置：X方向", &S::viewPosX),
    edit(GViewGraph, 1190, "位置：Y方向", &S::viewPosY),
    edit(GViewGraph, 1188, "倍率", &S::viewZoom),
    intEdit(GViewGraph, 1186, "角度：X軸", &S::viewAngleX),
    intEdit(GViewGraph, 1187, "角度：Z軸", &S::viewAngleZ),
    intEdit(GViewWindow, 1191, "X方向", &S::windowWidth),
    intEdit(GViewWindow, 1192, "Y方向", &S::windowHeight),

    // 軸
    check(GAxisChecks, 1196, "軸を表示する", &S::axisShow),
    check(GAxisChecks, 1197, "ｳｨﾝﾄﾞｳ左下に固定する", &S::axisFixLowerLeft),
    check(GAxisChecks, 1198, "大きさを固定する", &S::axisSizeFixed),
    edit(GAxisForm, 1199, "位置：縦", &S::axisPosV),
    edit(GAxisForm, 1200, "位置：横", &S::axisPosH),
    edit(GAxisForm, 1193, "ﾗﾍﾞﾙ：X軸", &S::axisLabelX),
    edit(GAxisForm, 1194, "ﾗﾍﾞﾙ：Y軸", &S::axisLabelY),
    edit(GAxisForm, 1195, "ﾗﾍﾞﾙ：Z軸", &S::axisLabelZ),
    edit(GAxisForm, 1155, "大きさ(%)", &S::axisSize),

    // 凡例
    check(GLegendChecks, 1205, "凡例を表示する", &S::legendShow),
    check(GLegendChecks, 1204, "ｳｨﾝﾄﾞｳ右に固定する", &S::legendFixRight),
    check(GLegendChecks, 1203, "大きさを固定する", &S::legendSizeFixed),
    edit(GLegendForm, 1206, "位置：縦", &S::legendPosV),
    edit(GLegendForm, 1207, "位置：横", &S::legendPosH),
    edit(GLegendForm, 1208, "高さ", &S::legendHeight),
    edit(GLegendForm, 1209, "幅", &S::legendWidth),
    edit(GLegendForm, 1156, "大きさ(%)", &S::legendSize),
    list(GLegendForm, 1210, "表示の種類", &S::legendStyle, L::LegendStyles),
    list(GLegendForm, 1211, "凡例色ﾃﾞｰﾀ", &S::legendColorSource, L::LegendSources),

    // 凡例色: row n shows level colour 21 - n, so the top row is the top of the legend
    swatch(GLevelColours, 1255, "1", {&S::legendColors, 20}),
    swatch(GLevelColours, 1257, "2", {&S::legendColors, 19}),
    swatch(GLevelColours, 1259, "3", {&S::legendColors, 18}),
    swatch(GLevelColours, 1261, "4", {&S::legendColors, 17}),
    swatch(GLevelColours, 1263, "5", {&S::legendColors, 16}),
    swatch(GLevelColours, 1265, "6", {&S::legendColors, 15}),
    swatch(GLevelColours, 1267, "7", {&S::legendColors, 14}),
    swatch(GLevelColours, 1269, "8", {&S::legendColors, 13}),
    swatch(GLevelColours, 1271, "9", {&S::legendColors, 12}),
    swatch(GLevelColours, 1273, "10", {&S::legendColors, 11}),
    swatch(GLevelColours, 1275, "11", {&S::legendColors, 10}),
    swatch(GLevelColours, 1277, "12", {&S::legendColors, 9}),
    swatch(GLevelColours, 1279, "13", {&S::legendColors, 8}),
    swatch(GLevelColours, 1281, "14", {&S::legendColors, 7}),
    swatch(GLevelColours, 1283, "15", {&S::legendColors, 6}),
    swatch(GLevelColours, 1285, "16", {&S::legendColors, 5}),
    swatch(GLevelColours, 1287, "17", {&S::legendColors, 4}),
    swatch(GLevelColours, 1289, "18", {&S::legendColors, 3}),
    swatch(GLevelColours, 1291, "19", {&S::legendColors, 2}),
    swatch(GLevelColours, 1292, "20", {&S::legendColors, 1}),
    control(GLevelButton, 1256, W::Button, "ﾃﾞﾌｫﾙﾄ", -1),

    // ｸﾞﾗﾌﾀｲﾄﾙ
    edit(GTitle, 1136, "タイトル", &S::titleText, 160),
    edit(GTitle, 1201, "位置：縦", &S::titlePosV),
    edit(GTitle, 1202, "位置：横", &S::titlePosH),

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
    check(GScale1Checks, 1211, "ｽｹｰﾙを表示する", &S::scaleShow),
    check(GScale1Checks, 1212, "X，Y，Zｽｹｰﾙの数値間隔を同じにする", &S::scaleSameStep),

    // ｽｹｰﾙ②
    KELVRA_SCALE2_ROW(0, FieldAccess(&S::scaleReverse, 0)),
    cell(GScale2Grid, 0, 6, list(0, 1246, nullptr, {&S::scaleTicks, 0}, L::TickStyles)),
    KELVRA_SCALE2_ROW(1, FieldAccess(&S::scaleReverse, 1)),
    cell(GScale2Grid, 1, 6, list(0, 1247, nullptr, {&S::scaleTicks, 1}, L::TickStyles)),
    KELVRA_SCALE2_ROW(2, FieldAccess(&S::scaleReverse, 2)),
    cell(GScale2Grid, 2, 6, list(0, 1248, nullptr, {&S::scaleTicks, 2}, L::TickStyles)),
    KELVRA_SCALE2_ROW(3, FieldAccess(&S::legendReverse)),

    // ﾌｫﾝﾄ
    roleList(GFonts, 1135, "位置"),
    fontRole(list(GFonts, 1083, "フォント", {&S::fontFace, 0}, L::FontFaces)),
    fontRole(intEdit(GFonts, 1085, "サイズ", {&S::fontSize, 0})),

    // 断面
    KELVRA_SECTION_ROW(0),
    KELVRA_SECTION_ROW(1),
    edit(GSectionForm, 1225, "線の太さ", &S::sectionLineWidth),
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

// Every control fits its field and its group's page, ids are unique on a
// page, and every field of the record is on exactly one control.
consteval bool controlsCoverTheRecord() {
    for (const DialogControl& c : kControls) {
        if (!widgetFits(c) || c.page != kGroups[c.group].page) return false;
        if (c.field < 0 && c.widget == W::List && c.list != L::TextRoles) return false;
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
