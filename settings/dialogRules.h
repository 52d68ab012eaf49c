// The settings dialog without a window: what it holds while it is open, how
// the record is copied in and back on OK, and what each user action does to
// it. The wx pages (app/gui/dialog/) show this state and call these rules
// for every click, choice and keystroke; nothing here knows a toolkit, so the
// whole behaviour is testable without a display.
//
// The pages' members are a working copy of the record: every control that
// copies its field unchanged (check boxes, radio buttons, lists, colour
// swatches, int edits) edits its field in the copy at once, and an edit field
// keeps its text until OK converts it by the field table's rule. Cancel drops
// the copy; OK writes it back whole.
#pragma once

#include <string>
#include <vector>

#include "data/graphData.h"
#include "settings/dialogControls.h"
#include "settings/graphSettings.h"
#include "settings/settingsTables.h"

namespace kelvra {

// What the pages know of the data set: they offer choices by it and never
// write it back.
struct DialogDataFacts {
    DataKind dataKind = Grid;
    int valuesPerPoint = 3;
    double minimum[4] = {0, 0, 0, 0};   // of RangeX, RangeY, RangeZ, RangeData
};
DialogDataFacts dialogDataFacts(const GraphData& data);

// ---- choices the pages offer --------------------------------------------------------

// The graph page: the graph types of the data kind in a display mode, and the
// display modes it offers (the sections only for a grid).
std::vector<const char*> graphTypeChoices(const DialogDataFacts& facts, int displayMode);
bool displayModeOffered(const DialogDataFacts& facts, int displayMode);
// A display-mode button clicked: moving between the plain displays (3-D,
// 2-D) and the sections starts the new family at graph type 0; within a
// family the type stays. Vector data has the one type 0 in every display.
void chooseDisplayMode(GraphSettings& page, const DialogDataFacts& facts, int displayMode);

// The legend page: X, Y, Z, and the data value where the points carry one;
// 絶対値 where the colour value goes below 0 (its minimum is not at least 0).
int legendSourceChoiceCount(const DialogDataFacts& facts);
bool absoluteLegendOffered(const DialogDataFacts& facts, int legendColorSource);

// Scale page 2: a logarithmic scale needs the minimum of the axis's quantity
// above 0 (axis 3 is the legend, which follows Z without a data value).
bool logScaleAllowed(const DialogDataFacts& facts, int axis);

// ---- the dialog while it is open ----------------------------------------------------

struct SettingsDialogState {
    GraphSettings page;               // the working copy
    DialogDataFacts facts;
    std::vector<std::string> texts;   // CP932 text of each edit control, by control index
    int fontRole = RoleTitle;         // the text role the font page shows
    int currentPage = PageGraph;      // the tab shown
};

// The record copied in (edit fields as text, the X angle as shown) and the
// pages' opening rules applied: no negative graph type, the one vector type,
// no logarithmic scale where the data does not allow one, the legend's
// display kind one that its list offers.
SettingsDialogState openSettingsDialog(const GraphSettings& record, const GraphData& data);
// OK: the working copy with every edit text converted by its field's rule
// (ranges, fallbacks, numbers like atof), the window size held to its range,
// level colour 0 set to level colour 1, and the page shown remembered. Every
// field is written, changed or not.
void applySettingsDialog(const SettingsDialogState& state, GraphSettings& record);

// ---- what a control shows (index into kDialogControls) -------------------------------

std::vector<std::string> listEntries(const SettingsDialogState& state, int control);   // UTF-8
int listSelection(const SettingsDialogState& state, int control);                       // -1: none
bool isControlChecked(const SettingsDialogState& state, int control);                   // check box, radio
bool isControlEnabled(const SettingsDialogState& state, int control);
bool isControlShown(const SettingsDialogState& state, int control);
Rgb swatchColour(const SettingsDialogState& state, int control);

// ---- what the user does ------------------------------------------------------------

enum class IntEditCheck { Ok, NotInteger, OutOfRange };
// A changed edit text (CP932). An int edit takes the number when the text is
// one (even outside its limits, which it reports) and keeps its value when it
// is not.
IntEditCheck editText(SettingsDialogState& state, int control, const std::string& text);
// The message for a failed int edit check, CP932: "整数を入力してください。",
// or "0 から 359 までの整数を入力してください。" with the field's limits.
std::string intEditMessage(IntEditCheck check, int control);
void setControlChecked(SettingsDialogState& state, int control, bool checked);
void chooseRadio(SettingsDialogState& state, int control);
void chooseListEntry(SettingsDialogState& state, int control, int position);
void setSwatchColour(SettingsDialogState& state, int control, const Rgb& colour);
void pressButton(SettingsDialogState& state, int control);   // ﾃﾞﾌｫﾙﾄ: the default level colours

// A whole integer as an int edit takes it: blanks around an optional sign and
// digits, nothing else, within the int range.
bool parseIntEdit(const std::string& text, int* value);

// A colour as the colour dialog and the swatches see it: each component
// times 255, truncated to a byte; and back, each byte divided by 255.
struct ColourBytes {
    unsigned char r = 0, g = 0, b = 0;
    bool operator==(const ColourBytes&) const = default;
};
ColourBytes colourBytes(const Rgb& colour);
Rgb colourOfBytes(ColourBytes bytes);

}  // namespace kelvra
