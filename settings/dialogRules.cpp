// The settings dialog's state and rules (see dialogRules.h).
#include "settings/dialogRules.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <iterator>

#include "base/cp932.h"
#include "settings/colorMaps.h"
#include "settings/graphTypes.h"
#include "settings/settingsFields.h"
#include "settings/settingsTables.h"

namespace kelvra {
namespace {

using S = GraphSettings;

const DialogControl& controlAt(int control) { return kDialogControls[std::size_t(control)]; }

// The field row a control edits now (the font page's follow the role shown).
const FieldRow* fieldOf(const SettingsDialogState& state, int control) {
    int field = controlField(controlAt(control), state.fontRole);
    return field >= 0 ? &kSettingsFields[field] : nullptr;
}

constexpr int kDisplayModeRow = settingsFieldRow(&S::displayMode);
constexpr int kLogRows[4] = {settingsFieldRow({&S::scaleLog, 0}), settingsFieldRow({&S::scaleLog, 1}),
                             settingsFieldRow({&S::scaleLog, 2}), settingsFieldRow({&S::scaleLog, 3})};

bool isPlainDisplay(int mode) { return mode == Display3D || mode == Display2D; }
bool isSectionDisplay(int mode) { return mode == DisplayXSection || mode == DisplayYSection; }

void fitVectorType(GraphSettings& page, const DialogDataFacts& facts) {
    if (facts.dataKind == Vectors) page.graphType = 0;
}

template <std::size_t N>
std::vector<std::string> firstNames(const char* const (&names)[N], std::size_t count) {
    return std::vector<std::string>(std::begin(names), std::begin(names) + std::min(count, N));
}

}  // namespace

DialogDataFacts dialogDataFacts(const GraphData& data) {
    DialogDataFacts facts;
    facts.dataKind = data.dataKind;
    facts.valuesPerPoint = data.valuesPerPoint;
    for (int k = 0; k < 4; ++k) facts.minimum[k] = data.valueRange[RangeX + k].min;
    return facts;
}

// ---- choices ---------------------------------------------------------------------------

std::vector<const char*> graphTypeChoices(const DialogDataFacts& facts, int displayMode) {
    return graphTypeLabels(facts.dataKind, displayMode, facts.valuesPerPoint);
}

bool displayModeOffered(const DialogDataFacts& facts, int displayMode) {
    return isPlainDisplay(displayMode) || (isSectionDisplay(displayMode) && hasSections(facts.dataKind));
}

void chooseDisplayMode(GraphSettings& page, const DialogDataFacts& facts, int displayMode) {
    if (!displayModeOffered(facts, displayMode)) return;
    bool newFamily = isPlainDisplay(displayMode) ? isSectionDisplay(page.displayMode) : isPlainDisplay(page.displayMode);
    if (newFamily) page.graphType = 0;
    page.displayMode = DisplayMode(displayMode);
    fitVectorType(page, facts);
}

int legendSourceChoiceCount(const DialogDataFacts& facts) { return colorSourceCount(facts.valuesPerPoint); }

bool absoluteLegendOffered(const DialogDataFacts& facts, int legendColorSource) {
    if (legendColorSource < ColorByX || legendColorSource > ColorByData) return false;
    return !(facts.minimum[legendColorSource] >= 0.0);
}

bool logScaleAllowed(const DialogDataFacts& facts, int axis) {
    if (axis < 0 || axis > 3) return false;
    int quantity = axis == 3 && facts.valuesPerPoint == 3 ? 2 : axis;
    return facts.minimum[quantity] > 0.0;
}

// ---- open and OK -----------------------------------------------------------------------

SettingsDialogState openSettingsDialog(const GraphSettings& record, const GraphData& data) {
    SettingsDialogState state;
    state.page = record;
    state.facts = dialogDataFacts(data);
    state.texts.resize(kDialogControls.size());
    for (std::size_t i = 0; i < kDialogControls.size(); ++i) {
        const FieldRow* row = fieldOf(state, int(i));
        if (!row) continue;
        if (kDialogControls[i].widget == Widget::Edit) state.texts[i] = fieldText(*row, record);
        if (kDialogControls[i].widget == Widget::IntEdit) state.texts[i] = std::to_string(fieldInt(*row, record));
    }
    GraphSettings& page = state.page;
    if (page.graphType < 0) page.graphType = 0;
    fitVectorType(page, state.facts);
    for (int a = 0; a < 4; ++a)
        if (!logScaleAllowed(state.facts, a)) page.scaleLog[a] = 0;
    if (!absoluteLegendOffered(state.facts, page.legendColorSource)) page.legendStyle = LegendStandard;
    state.currentPage = record.settingsPage >= 0 && record.settingsPage < SettingsPageCount ? record.settingsPage : 0;
    return state;
}

void applySettingsDialog(const SettingsDialogState& state, GraphSettings& record) {
    GraphSettings out = state.page;
    for (std::size_t i = 0; i < kDialogControls.size(); ++i) {
        const DialogControl& c = kDialogControls[i];
        if (c.field < 0) continue;
        const FieldRow& row = kSettingsFields[c.field];
        if (c.widget == Widget::Edit) setFieldFromText(row, out, state.texts[i], TextOf::Dialog);
        if (row.dialog == DialogCopy::IntEditClamped) setFieldInt(row, out, std::clamp(fieldInt(row, out), row.lo, row.hi));
        // Storing level colour 1 stores colour 0 with it.
        if (c.widget == Widget::Swatch) setFieldColour(row, out, fieldColour(row, out));
    }
    out.settingsPage = state.currentPage;
    record = out;
}

// ---- what a control shows --------------------------------------------------------------

std::vector<std::string> listEntries(const SettingsDialogState& state, int control) {
    const DialogDataFacts& facts = state.facts;
    switch (controlAt(control).list) {
        case ListEntries::None: return {};
        case ListEntries::GraphTypes: {
            std::vector<const char*> labels = graphTypeChoices(facts, state.page.displayMode);
            return {labels.begin(), labels.end()};
        }
        case ListEntries::FloorProjections: {
            std::vector<std::string> labels;
            int count = hasSections(facts.dataKind) ? XyContourModeCount : 1;
            for (int k = 0; k < count; ++k) labels.push_back(floorProjection(k)->label);
            return labels;
        }
        case ListEntries::LegendSources: return firstNames(kLegendSourceNames, legendSourceChoiceCount(facts));
        case ListEntries::LegendStyles:
            return firstNames(kLegendStyleNames, absoluteLegendOffered(facts, state.page.legendColorSource) ? 2 : 1);
        case ListEntries::LevelCounts: {
            std::vector<std::string> counts;
            for (int n : kLevelCounts) counts.push_back(std::to_string(n));
            return counts;
        }
        case ListEntries::NumberFormats: return firstNames(kNumberFormatNames, NumberFormatCount);
        case ListEntries::TickStyles: return firstNames(kTickStyleNames, TickStyleCount);
        case ListEntries::TextRoles: {
            std::vector<std::string> roles;
            for (int r = 0; r < RoleCount; ++r) roles.push_back(kTextRoles[r].pageName);
            return roles;
        }
        case ListEntries::FontFaces: return {kFontFaceNames, kFontFaceNames + kFontFaceCount};
        case ListEntries::ColorMaps: {
            std::vector<std::string> labels;
            for (const ColorMap& map : colorMaps()) labels.push_back(map.label);
            return labels;
        }
    }
    return {};
}

int listSelection(const SettingsDialogState& state, int control) {
    const DialogControl& c = controlAt(control);
    if (c.list == ListEntries::TextRoles) return state.fontRole;
    if (c.list == ListEntries::ColorMaps) return colorMapOf(state.page);
    // Without a grid the floor list holds "none" alone, shown chosen whatever the field holds.
    if (c.list == ListEntries::FloorProjections && !hasSections(state.facts.dataKind)) return 0;
    const FieldRow* row = fieldOf(state, control);
    if (!row) return -1;
    int position = fieldInt(*row, state.page);
    return position >= 0 && std::size_t(position) < listEntries(state, control).size() ? position : -1;
}

bool isControlChecked(const SettingsDialogState& state, int control) {
    const FieldRow* row = fieldOf(state, control);
    if (!row) return false;
    int value = fieldInt(*row, state.page);
    return controlAt(control).widget == Widget::Radio ? value == controlAt(control).value : value != 0;
}

bool isControlEnabled(const SettingsDialogState& state, int control) {
    const DialogControl& c = controlAt(control);
    return c.field != kDisplayModeRow || displayModeOffered(state.facts, c.value);
}

bool isControlShown(const SettingsDialogState& state, int control) {
    int field = controlAt(control).field;
    for (int a = 0; a < 4; ++a)
        if (field == kLogRows[a]) return logScaleAllowed(state.facts, a);
    return true;
}

Rgb swatchColour(const SettingsDialogState& state, int control) {
    const FieldRow* row = fieldOf(state, control);
    return row ? fieldColour(*row, state.page) : Rgb{};
}

// ---- what the user does ----------------------------------------------------------------

bool parseIntEdit(const std::string& text, int* value) {
    std::size_t i = 0, n = text.size();
    auto skipBlanks = [&] {
        while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
    };
    skipBlanks();
    bool negative = i < n && text[i] == '-';
    if (i < n && (text[i] == '-' || text[i] == '+')) ++i;
    std::size_t digits = i;
    long long v = 0;
    for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i) {
        v = v * 10 + (text[i] - '0');
        if (v > -(long long)INT_MIN) return false;
    }
    if (i == digits) return false;
    skipBlanks();
    if (i != n) return false;
    v = negative ? -v : v;
    if (v > INT_MAX) return false;
    *value = int(v);
    return true;
}

IntEditCheck editText(SettingsDialogState& state, int control, const std::string& text) {
    state.texts[std::size_t(control)] = text;
    const FieldRow* row = fieldOf(state, control);
    if (controlAt(control).widget != Widget::IntEdit || !row) return IntEditCheck::Ok;
    int value = 0;
    if (!parseIntEdit(text, &value)) return IntEditCheck::NotInteger;
    setFieldInt(*row, state.page, value);
    bool limited = row->dialog == DialogCopy::IntEdit;
    return limited && (value < row->lo || value > row->hi) ? IntEditCheck::OutOfRange : IntEditCheck::Ok;
}

std::string intEditMessage(IntEditCheck check, int control) {
    switch (check) {
        case IntEditCheck::Ok: return {};
        case IntEditCheck::NotInteger: return sj("整数を入力してください。");
        case IntEditCheck::OutOfRange: break;
    }
    int field = controlAt(control).field;
    const FieldRow& row = kSettingsFields[field < 0 ? 0 : field];
    std::string text = "%1 から %2 までの整数を入力してください。";
    text.replace(text.find("%2"), 2, std::to_string(row.hi));
    text.replace(text.find("%1"), 2, std::to_string(row.lo));
    return utf8ToCp932(text);
}

void setControlChecked(SettingsDialogState& state, int control, bool checked) {
    if (const FieldRow* row = fieldOf(state, control)) setFieldInt(*row, state.page, checked ? 1 : 0);
}

void chooseRadio(SettingsDialogState& state, int control) {
    const DialogControl& c = controlAt(control);
    if (c.field == kDisplayModeRow) {
        chooseDisplayMode(state.page, state.facts, c.value);
        return;
    }
    if (const FieldRow* row = fieldOf(state, control)) setFieldInt(*row, state.page, c.value);
}

void chooseListEntry(SettingsDialogState& state, int control, int position) {
    if (position < 0 || std::size_t(position) >= listEntries(state, control).size()) return;
    const DialogControl& c = controlAt(control);
    if (c.list == ListEntries::TextRoles) {
        // The face and the size shown are those of the new role.
        state.fontRole = position;
        for (std::size_t i = 0; i < kDialogControls.size(); ++i)
            if (kDialogControls[i].followsFontRole && kDialogControls[i].widget == Widget::IntEdit)
                state.texts[i] = std::to_string(fieldInt(*fieldOf(state, int(i)), state.page));
        return;
    }
    if (c.list == ListEntries::ColorMaps) {
        applyColorMap(colorMaps()[std::size_t(position)], state.page);
        return;
    }
    const FieldRow* row = fieldOf(state, control);
    if (!row) return;
    setFieldInt(*row, state.page, position);
    if (c.list == ListEntries::LegendSources && !absoluteLegendOffered(state.facts, position))
        state.page.legendStyle = LegendStandard;
}

void setSwatchColour(SettingsDialogState& state, int control, const Rgb& colour) {
    if (const FieldRow* row = fieldOf(state, control)) setFieldColour(*row, state.page, colour);
}

void pressButton(SettingsDialogState& state, int control) {
    const DialogControl& button = controlAt(control);
    for (std::size_t i = 0; i < kDialogControls.size(); ++i) {
        const DialogControl& c = kDialogControls[i];
        if (c.page != button.page || c.widget != Widget::Swatch) continue;
        const FieldRow& row = kSettingsFields[c.field];
        setFieldColour(row, state.page, fieldColour(row, defaultSettings()));
    }
}

ColourBytes colourBytes(const Rgb& colour) {
    auto byte = [](double v) {
        double scaled = v * 255.0;
        return (unsigned char)(scaled >= 255.0 ? 255 : scaled > 0.0 ? int(scaled) : 0);
    };
    return {byte(colour.r), byte(colour.g), byte(colour.b)};
}

Rgb colourOfBytes(ColourBytes bytes) { return {bytes.r / 255.0, bytes.g / 255.0, bytes.b / 255.0}; }

}  // namespace kelvra
