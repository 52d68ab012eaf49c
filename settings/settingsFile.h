// The settings file: the whole settings record as CP932 text of section
// headers ("[表示の設定]") and key lines (" 倍率       = 100"), CR LF line
// breaks. Free of the view: the view's settings operations (view/viewSettings.cpp)
// read and write files with these two and then bring the picture up to date;
// the data file writer appends the same text to saved data.
#pragma once

#include <string>
#include <string_view>

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

}  // namespace kelvra
