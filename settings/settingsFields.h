// The field table: one row for every saved field of the settings record (one
// per element of an array field), saying where the field lives, what kind of
// value it holds, its valid range and fallback, and the number-format kind
// when it is shown through formatValue. Built at compile time; nothing else
// in the program repeats these facts.
//
// Who reads it: the settings file (settings/settingsFile.cpp), whose own table
// only adds where each field's line sits in the file, and the settings dialog,
// which drives the controls of its pages from the same rows. Both convert a
// field to text and back with fieldText and setFieldFromText. kelvra-render's
// --set checks a value given on its own by the row's kind and range
// (fieldTextProblem) and --list-settings shows them (fieldKindText).
//
// How a dialog rule that differs from the file's is expressed:
// - Each row's `dialog` column says how the dialog copies the field in and
//   back on OK (DialogCopy below). Text rows follow the file's rule, range and
//   fallback exactly; the dialog has no ranges of its own for them.
// - Fields the dialog copies without a check (check boxes, radio buttons,
//   list positions, colour swatches) are Direct: fieldInt / setFieldInt and
//   fieldColour / setFieldColour, no range, no fallback. List positions are
//   the enumerators' values, so a list's entries are the enum's name table in
//   settingsTables.h (the floor projections' labels are in settings/graphTypes.h,
//   the graph types' too, by data kind and display); the legend's level-count list reads the whole part of
//   its double (fieldInt) and stores the position as a double (setFieldInt).
// - The X angle is held 270 ahead of the angle the user sees. Its row's kind,
//   ShownAngleX, makes every conversion use the shown angle: the file's text,
//   the dialog's int edit (fieldInt), and back (setFieldInt adds the 270).
// - The view page's int edits are IntEdit rows: the value goes in and back
//   unchanged as an int; where the row's range is a limit the page checks as
//   it is typed (the two angles, 0..359), the page warns but OK stores what was
//   typed. IntEditAny rows (the font sizes) have no limit in the dialog,
//   whatever range the file applies. IntEditClamped rows (the window size)
//   warn of nothing either, but OK holds them to the row's range, the nearest
//   end: the frame cannot be made smaller than nothing, and one of tens of
//   thousands of pixels would take the drawing minutes and gigabytes.
// - scaleSizePercent is TextUnchecked: shown as the file writes it (truncated
//   to an integer), read back with setFieldFromText(..., TextOf::Dialog) like
//   atof, with no range and no fallback, fractions kept.
// - legendColors entry 0 has no row: it is entry 1's copy, and setting entry 1
//   (the file's " 色01", the dialog's OK) sets entry 0 with it.
// - settingsPage, the dialog's remembered page, is not saved and has no row.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

#include "settings/graphSettings.h"
#include "settings/settingsTables.h"

namespace kelvra {

// ---- where a field lives ----------------------------------------------------------

template <class T>
using SettingsMember = T GraphSettings::*;
template <class T, std::size_t N>
using SettingsArray = T (GraphSettings::*)[N];

// Every type of member the table points at. A new field of a new type adds
// its member-pointer type here.
using SettingsMemberPointer = std::variant<
    SettingsMember<int>, SettingsMember<double>, SettingsMember<std::string>, SettingsMember<Rgb>,
    SettingsMember<DisplayMode>, SettingsMember<XyContourMode>, SettingsMember<LegendStyle>,
    SettingsMember<LegendColorSource>, SettingsArray<int, kTextRoleCount>, SettingsArray<int, 4>,
    SettingsArray<int, 3>, SettingsArray<int, 2>, SettingsArray<double, 4>, SettingsArray<double, 3>,
    SettingsArray<double, 2>, SettingsArray<std::string, 4>, SettingsArray<std::string, 3>,
    SettingsArray<std::string, 2>, SettingsArray<NumberFormat, 4>, SettingsArray<NumberFormat, 2>,
    SettingsArray<TickStyle, 3>, SettingsArray<Rgb, kLegendColorCount>>;

// A member of the record and, for an array member, the element.
struct FieldAccess {
    SettingsMemberPointer member;
    int index = 0;

    template <class M>
        requires std::is_member_object_pointer_v<M>
    constexpr FieldAccess(M m, int element = 0) : member(m), index(element) {}
    constexpr bool operator==(const FieldAccess&) const = default;
};

// ---- what a field holds and how it becomes text -------------------------------------

enum class ValueKind : std::uint8_t {
    Integer,      // an int (or enum) written "%d"; read like atoi, outside lo..hi the fallback
    ShownAngleX,  // viewAngleX: as Integer, on the angle the user sees (0..359)
    WholeNumber,  // a double holding a whole number: written truncated "%d", read as Integer
    LevelIndex,   // the legend's level-count index in a double: written through formatValue,
                  // read by the whole part of the number and checked as Integer
    Number,       // a double written through formatValue, read like atof without a check
    Text,         // a CP932 string; a line break in it is written as a blank
    Colour,       // R, G, B written "%.6f, %.6f, %.6f"; each read clamped to 0..1, a
                  // component the text lacks keeps its value
};

enum class DialogCopy : std::uint8_t {
    Text,           // an edit field: fieldText in, setFieldFromText back
    TextUnchecked,  // an edit field: fieldText in, back like atof with no range
    Direct,         // check box, radio group, list position, colour swatch: unchanged both ways
    IntEdit,        // int edit: unchanged both ways; the page warns outside lo..hi
    IntEditAny,     // int edit without limits: unchanged both ways
    IntEditClamped, // int edit without a warning: unchanged in, held to lo..hi on OK
};

struct FieldRow {
    FieldAccess field;
    ValueKind kind;
    int lo = 0, hi = 0, fallback = 0;   // Integer, ShownAngleX, WholeNumber, LevelIndex
    int formatKind = -1;                // LevelIndex, Number: the formatValue kind
    DialogCopy dialog = DialogCopy::Text;
};

namespace fieldRows {

using S = GraphSettings;

constexpr FieldRow integer(FieldAccess f, int lo, int hi, int fallback, DialogCopy d = DialogCopy::Text) {
    return {f, ValueKind::Integer, lo, hi, fallback, -1, d};
}
// A 0/1 flag shown as a check box.
constexpr FieldRow flag(FieldAccess f, int fallback) { return integer(f, 0, 1, fallback, DialogCopy::Direct); }
// An enumerated field shown as a list or radio group: valid 0..count-1.
constexpr FieldRow choice(FieldAccess f, int count, int fallback) {
    return integer(f, 0, count - 1, fallback, DialogCopy::Direct);
}
constexpr FieldRow wholeNumber(FieldAccess f, int lo, int hi, int fallback, DialogCopy d = DialogCopy::Text) {
    return {f, ValueKind::WholeNumber, lo, hi, fallback, -1, d};
}
constexpr FieldRow number(FieldAccess f, int formatKind) { return {f, ValueKind::Number, 0, 0, 0, formatKind}; }
constexpr FieldRow text(FieldAccess f) { return {f, ValueKind::Text}; }
constexpr FieldRow colour(FieldAccess f) { return {f, ValueKind::Colour, 0, 0, 0, -1, DialogCopy::Direct}; }

constexpr DialogCopy Direct = DialogCopy::Direct;
constexpr DialogCopy IntEdit = DialogCopy::IntEdit;
constexpr DialogCopy IntEditAny = DialogCopy::IntEditAny;
constexpr DialogCopy IntEditClamped = DialogCopy::IntEditClamped;
constexpr int kFace = kFontFaceCount - 1;

// In the order of the record.
inline constexpr FieldRow kSettingsFields[] = {
    // [グラフの設定] graph choice
    integer(&S::graphType, 0, 1000, 0, Direct),
    choice(&S::displayMode, DisplayModeCount, Display2D),
    choice(&S::xyContourMode, XyContourModeCount, XyContourNone),

    // [表示の設定] view
    integer(&S::viewPosX, -999, 999, 0),
    integer(&S::viewPosY, -999, 999, 0),
    integer(&S::viewZoom, 10, 999, 100),
    {&S::viewAngleX, ValueKind::ShownAngleX, 0, 359, 30, -1, IntEdit},
    integer(&S::viewAngleZ, 0, 359, 330, IntEdit),

    // [線，点の設定] lines, points, bars, vectors
    integer(&S::wireIntervalX, 0, 150000, 1),
    integer(&S::wireIntervalY, 0, 150000, 1),
    integer(&S::wireWidthX, 1, 100, 1),
    integer(&S::wireWidthY, 1, 100, 1),
    integer(&S::pointSize, 1, 100, 5),
    integer(&S::vectorSize, 1, 10000, 100),
    integer(&S::contour2Width, 1, 100, 1),
    number(&S::barSizeX, 0),
    number(&S::barSizeY, 1),

    // [色の設定] colours
    colour(&S::wireColorX),
    colour(&S::wireColorY),
    colour(&S::contour2Color),

    // [フォントの設定] face and size per text role
    integer({&S::fontFace, 0}, 0, kFace, 4, Direct), integer({&S::fontSize, 0}, 1, 200, 12, IntEditAny),
    integer({&S::fontFace, 1}, 0, kFace, 4, Direct), integer({&S::fontSize, 1}, 1, 200, 12, IntEditAny),
    integer({&S::fontFace, 2}, 0, kFace, 4, Direct), integer({&S::fontSize, 2}, 1, 200, 12, IntEditAny),
    integer({&S::fontFace, 3}, 0, kFace, 4, Direct), integer({&S::fontSize, 3}, 1, 200, 12, IntEditAny),
    integer({&S::fontFace, 4}, 0, kFace, 4, Direct), integer({&S::fontSize, 4}, 1, 200, 12, IntEditAny),
    integer({&S::fontFace, 5}, 0, kFace, 4, Direct), integer({&S::fontSize, 5}, 1, 200, 12, IntEditAny),
    integer({&S::fontFace, 6}, 0, kFace, 4, Direct), integer({&S::fontSize, 6}, 1, 200, 12, IntEditAny),

    // [軸の設定] axis indicator
    flag(&S::axisShow, 1),
    wholeNumber(&S::axisPosV, -999, 999, -100),
    wholeNumber(&S::axisPosH, -999, 999, -300),
    text(&S::axisLabelX),
    text(&S::axisLabelY),
    text(&S::axisLabelZ),
    integer(&S::axisSize, 10, 999, 100),
    flag(&S::axisSizeFixed, 1),
    flag(&S::axisFixLowerLeft, 1),

    // [凡例の設定] colour legend
    flag(&S::legendShow, 1),
    wholeNumber(&S::legendPosV, -999, 999, -140),
    wholeNumber(&S::legendPosH, -999, 999, 260),
    integer(&S::legendHeight, 10, 999, 350),
    integer(&S::legendWidth, 1, 999, 20),
    choice(&S::legendStyle, LegendStyleCount, LegendStandard),
    integer(&S::legendSize, 10, 999, 100),
    flag(&S::legendSizeFixed, 1),
    flag(&S::legendFixRight, 1),
    choice(&S::legendColorSource, LegendColorSourceCount, ColorByData),
    flag(&S::legendReverse, 0),

    // [ｶﾗｰ凡例色の設定] level colours 1..20 (entry 0 follows entry 1)
    colour({&S::legendColors, 1}),  colour({&S::legendColors, 2}),  colour({&S::legendColors, 3}),
    colour({&S::legendColors, 4}),  colour({&S::legendColors, 5}),  colour({&S::legendColors, 6}),
    colour({&S::legendColors, 7}),  colour({&S::legendColors, 8}),  colour({&S::legendColors, 9}),
    colour({&S::legendColors, 10}), colour({&S::legendColors, 11}), colour({&S::legendColors, 12}),
    colour({&S::legendColors, 13}), colour({&S::legendColors, 14}), colour({&S::legendColors, 15}),
    colour({&S::legendColors, 16}), colour({&S::legendColors, 17}), colour({&S::legendColors, 18}),
    colour({&S::legendColors, 19}), colour({&S::legendColors, 20}),

    // [グラフタイトル] title
    text(&S::titleText),
    integer(&S::titlePosV, -999, 999, 180),
    integer(&S::titlePosH, -999, 999, -50),

    // [スケールの設定] scales X, Y, Z, then the legend's (no size, label, reversal or ticks
    // in its arrays; its reversal is legendReverse above)
    flag(&S::scaleShow, 1),
    flag(&S::scaleSameStep, 0),
    number({&S::scaleMin, 0}, 0), number({&S::scaleMin, 1}, 1), number({&S::scaleMin, 2}, 2), number({&S::scaleMin, 3}, 3),
    number({&S::scaleMax, 0}, 0), number({&S::scaleMax, 1}, 1), number({&S::scaleMax, 2}, 2), number({&S::scaleMax, 3}, 3),
    number({&S::scaleStep, 0}, 0), number({&S::scaleStep, 1}, 1), number({&S::scaleStep, 2}, 2),
    {{&S::scaleStep, 3}, ValueKind::LevelIndex, 0, kLevelCountChoices - 1, 3, 3, Direct},
    wholeNumber({&S::scaleSizePercent, 0}, 1, 1000, 100, DialogCopy::TextUnchecked),
    wholeNumber({&S::scaleSizePercent, 1}, 1, 1000, 100, DialogCopy::TextUnchecked),
    wholeNumber({&S::scaleSizePercent, 2}, 1, 1000, 100, DialogCopy::TextUnchecked),
    text({&S::scaleLabel, 0}), text({&S::scaleLabel, 1}), text({&S::scaleLabel, 2}),
    text({&S::scaleUnit, 0}), text({&S::scaleUnit, 1}), text({&S::scaleUnit, 2}), text({&S::scaleUnit, 3}),
    choice({&S::scaleFormat, 0}, NumberFormatCount, FormatAuto), choice({&S::scaleFormat, 1}, NumberFormatCount, FormatAuto),
    choice({&S::scaleFormat, 2}, NumberFormatCount, FormatAuto), choice({&S::scaleFormat, 3}, NumberFormatCount, FormatAuto),
    integer({&S::scaleDigits, 0}, 0, 12, 3), integer({&S::scaleDigits, 1}, 0, 12, 3),
    integer({&S::scaleDigits, 2}, 0, 12, 3), integer({&S::scaleDigits, 3}, 0, 12, 3),
    flag({&S::scaleAuto, 0}, 0), flag({&S::scaleAuto, 1}, 0), flag({&S::scaleAuto, 2}, 0), flag({&S::scaleAuto, 3}, 0),
    flag({&S::scaleLog, 0}, 0), flag({&S::scaleLog, 1}, 0), flag({&S::scaleLog, 2}, 0), flag({&S::scaleLog, 3}, 0),
    flag({&S::scaleReverse, 0}, 0), flag({&S::scaleReverse, 1}, 0), flag({&S::scaleReverse, 2}, 0),
    flag({&S::scaleShowValues, 0}, 0), flag({&S::scaleShowValues, 1}, 0),
    flag({&S::scaleShowValues, 2}, 0), flag({&S::scaleShowValues, 3}, 0),
    choice({&S::scaleTicks, 0}, TickStyleCount, TicksOutside), choice({&S::scaleTicks, 1}, TickStyleCount, TicksOutside),
    choice({&S::scaleTicks, 2}, TickStyleCount, TicksOutside),

    // [断面表示の設定] sections X, Y
    number({&S::sectionPos, 0}, 4), number({&S::sectionPos, 1}, 5),
    text({&S::sectionLabel, 0}), text({&S::sectionLabel, 1}),
    text({&S::sectionUnit, 0}), text({&S::sectionUnit, 1}),
    choice({&S::sectionFormat, 0}, NumberFormatCount, FormatAuto),
    choice({&S::sectionFormat, 1}, NumberFormatCount, FormatAuto),
    integer({&S::sectionDigits, 0}, 0, 12, 3), integer({&S::sectionDigits, 1}, 0, 12, 3),
    integer(&S::sectionLineWidth, 1, 100, 2),

    // [ウィンドウサイズ] outer size of the main frame
    integer(&S::windowWidth, 10, 3000, 775, IntEditClamped),
    integer(&S::windowHeight, 10, 3000, 550, IntEditClamped),
};

}  // namespace fieldRows

using fieldRows::kSettingsFields;
inline constexpr int kSettingsFieldCount = int(std::size(kSettingsFields));

// The row of a field; a compile error where the table has none.
consteval int settingsFieldRow(FieldAccess field) {
    for (int i = 0; i < kSettingsFieldCount; ++i)
        if (kSettingsFields[i].field == field) return i;
    throw "the field table has no row for this field";
}

// ---- conversions ----------------------------------------------------------------------

// Whose rule a text is read by: the settings file's, or the settings dialog's
// (which differs only for DialogCopy::TextUnchecked rows).
enum class TextOf { File, Dialog };

// The field as its text: what the settings file writes after "= ", and what
// the dialog shows in an edit field.
std::string fieldText(const FieldRow& row, const GraphSettings& s);
// Stores the value a text gives by the row's rule (see ValueKind).
void setFieldFromText(const FieldRow& row, GraphSettings& s, std::string_view text, TextOf rule = TextOf::File);

// A value given on its own (a command line's --set), checked strictly by the
// row's kind and range where a settings file would fall back or clamp: an
// integer kind takes a whole number in lo..hi, Number a finite number, Colour
// three numbers in 0..1 separated by commas, Text anything on one line.
// Empty when the text is good, otherwise what is wrong with it.
std::string fieldTextProblem(const FieldRow& row, std::string_view text);
// The row's kind and range in words: "integer 10..999", "number", "text",
// "colour R, G, B (0..1 each)".
std::string fieldKindText(const FieldRow& row);

// An integer-valued field as an int, unchanged (list positions, check boxes,
// int edits): the shown angle for ShownAngleX, the whole part of a double.
// 0 for Text and Colour rows.
int fieldInt(const FieldRow& row, const GraphSettings& s);
void setFieldInt(const FieldRow& row, GraphSettings& s, int value);

// A Colour row's colour; black for other rows. Setting entry 1 of the level
// colours sets entry 0 too.
Rgb fieldColour(const FieldRow& row, const GraphSettings& s);
void setFieldColour(const FieldRow& row, GraphSettings& s, const Rgb& colour);

}  // namespace kelvra
