// The settings dialog as tables: its eleven pages in tab order, the groups
// that arrange each page, and one row per control (page, control id, widget,
// label, the field it edits, where it stands). Places and sizes are in dialog
// units, as a dialog resource gives them: a quarter of the dialog font's
// average character width across, an eighth of its height down, so that a
// page grows with the font. The wx pages (app/gui/dialog/) place the rows
// and hand every user action to the dialog rules (settings/dialogRules.h),
// which copy the record in and out through the same rows. What a field is
// (range, fallback, number format, how the dialog copies it) is the field
// table's (settings/settingsFields.h); a row here only says which control
// shows it, and a compile-time check keeps each widget to the field's copy
// rule. Labels are UTF-8 (the source encoding).
//
// Control ids are unique within a page, not across pages ("ｽｹｰﾙを表示する" and
// "凡例色ﾃﾞｰﾀ" are both 1211), so a control is named by page and id.
#pragma once

#include <cstdint>
#include <iterator>
#include <span>

namespace kelvra {

enum SettingsPage : int {
    PageGraph,
    PageGraphDetail,
    PageView,
    PageAxis,
    PageLegend,
    PageLegendColors,
    PageTitle,
    PageScales1,
    PageScales2,
    PageFonts,
    PageSections,
    SettingsPageCount
};

// Tab labels; the right-click menu lists the pages under the same names.
inline constexpr const char* kSettingsPageLabels[] = {
    "ｸﾞﾗﾌ", "ｸﾞﾗﾌ詳細", "表示", "軸", "凡例", "凡例色", "ｸﾞﾗﾌﾀｲﾄﾙ", "ｽｹｰﾙ①", "ｽｹｰﾙ②", "ﾌｫﾝﾄ", "断面",
};
static_assert(std::size(kSettingsPageLabels) == SettingsPageCount);

enum class Widget : std::uint8_t {
    Edit,      // text edit: the field's text in, converted back on OK
    IntEdit,   // integer edit: checked as it is typed, the int unchanged both ways
    Check,     // check box of a 0/1 field
    Radio,     // one button of a radio group: sets the field to the row's value
    List,      // drop-down list: the chosen position is the field's value
    Swatch,    // colour swatch: a click opens the colour dialog
    Button,    // ﾃﾞﾌｫﾙﾄ: the default level colours
};

// Where a list's entries come from; the rules build them (dialogRules.h).
enum class ListEntries : std::uint8_t {
    None,
    GraphTypes,         // by data kind and display mode
    FloorProjections,   // all seven for a grid, else the first
    LegendSources,      // X, Y, Z and, with a data value, data
    LegendStyles,       // 標準, and 絶対値 where the colour value goes below 0
    LevelCounts,
    NumberFormats,
    TickStyles,
    TextRoles,
    FontFaces,
    ColorMaps,          // the colour-map presets that fill the level colours (settings/colorMaps.h)
};

// A rectangle on a page, in dialog units from the page's top-left corner.
struct DuRect {
    short x = 0, y = 0, w = 0, h = 0;
};

// Every page is laid out on this area, in dialog units: the 269 x 242 tab
// control less its tabs and its frame.
inline constexpr short kPageWidthDu = 262;
inline constexpr short kPageHeightDu = 218;

// A group of controls on a page, inside its box: a framed group box (titled
// or not), or only a part of the page. A grid group names its columns above
// them and its rows beside them.
struct ControlGroup {
    SettingsPage page;
    const char* title = nullptr;   // the group box's title; null for none
    DuRect box = {};
    bool framed = true;
    std::span<const char* const> headings = {};   // grid: centred over each column, from headingY
    std::span<const char* const> rowNames = {};   // grid: from rowNameX, level with each row
    short headingY = 0, rowNameX = 0;
    std::span<const char* const> notes = {};      // lines of text, from (notesAt.x, notesAt.y)
    DuRect notesAt = {};                              // w: their width, h: one line's height
    bool fontSample = false;   // the box shows a sample of the face and size the font page shows
    // At notesAt (two lines): the smallest colour difference between
    // neighbouring bands of the levels in use, for normal vision and two
    // colour-vision deficiencies (the legend colour page).
    bool bandDifferences = false;
};

struct DialogControl {
    SettingsPage page;
    int group;                // index into kControlGroups
    int id;
    Widget widget;
    const char* label;        // null where the control has none
    int field = -1;           // row of kSettingsFields; -1 for none
    int value = 0;            // Radio: the value the button stands for
    ListEntries list = ListEntries::None;
    int row = 0, column = 0;  // the cell in a grid group
    DuRect at = {};           // the control
    // Its label when the label stands apart (an edit's, a list's, a
    // swatch's): left edge and width, level with the control.
    short labelX = 0, labelW = 0;
    // Font page: the field is the one of the text role the page shows
    // (`field` names role 0's).
    bool followsFontRole = false;
};

// The field row a control edits while the font page shows text role
// `fontRole` (the field table holds a face and a size row per role, in role
// order); the row itself for every other control.
constexpr int controlField(const DialogControl& c, int fontRole) {
    return c.followsFontRole && c.field >= 0 ? c.field + 2 * fontRole : c.field;
}

extern const std::span<const ControlGroup> kControlGroups;
extern const std::span<const DialogControl> kDialogControls;

// Index of the control with `id` on `page` in kDialogControls; -1 for none.
int dialogControlIndex(SettingsPage page, int id);

}  // namespace kelvra
