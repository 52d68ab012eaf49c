// The settings file: the whole settings record as CP932 text of section
// headers ("[表示の設定]") and key lines (" 倍率       = 100"), CR LF line
// breaks. Free of the view: the view's settings operations (view/viewSettings.cpp)
// read and write files with these two and then bring the picture up to date;
// the data file writer appends the same text to saved data.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/graphSettings.h"

namespace kelvra {

// The settings file of a record, title line first.
std::string settingsFileText(const GraphSettings& s);

// Sets every field whose key line the text holds; fields without one keep
// their value. The text is a settings file, or the settings section at the end
// of a data file (lines before the first header are ignored). Lines are read
// whole, however long: no text inside a value can be taken for another key.
// Returns how many lines named a key of their section.
int readSettingsText(std::string_view text, GraphSettings& s);

// ---- single settings by name (the command line's --set and --list-settings) ----

// A key by the names the file writes, in UTF-8: "SECTION.KEY", the section
// without its brackets and the key without the blank before it and the
// padding after it ("表示の設定.倍率", "線，点の設定.棒ｸﾞﾗﾌの大きさ：X方向").
struct SettingsKeyName {
    std::string name;
    int field;   // row of kSettingsFields
};
// Every key, in file order.
const std::vector<SettingsKeyName>& settingsKeyNames();

// One setting given as KEY=VALUE in UTF-8, KEY as settingsKeyNames names it
// (or "[SECTION]KEY", as the file writes it): the settings text that sets it
// (a section header and one key line, CP932), which readSettingsText applies
// as a settings file would. The value is checked strictly by the field's kind
// and range first (fieldTextProblem) and must have a CP932 form. Nothing, with
// `problem` saying what is wrong, for an unknown key or a bad value.
std::optional<std::string> settingAssignmentText(std::string_view assignment, std::string* problem);

}  // namespace kelvra
