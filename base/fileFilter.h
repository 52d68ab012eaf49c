// File dialog filters: which file names a filter takes, and the filter every
// file dialog of the program ends with.
//
// A filter's patterns are those of the dialog's filter list ("*.png;*.jpg"):
// '*' stands for any run of characters, '?' for one, and ASCII letters match
// in either case, so "*.csv" takes DATA.CSV and Data.Csv as well. The toolkit's
// own matching is exact, so the desktop program matches with this.
#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace kelvra {

// A dialog's filter: its label (CP932) and its patterns separated by ';'.
using FileFilter = std::pair<std::string, std::string>;

// "すべてのﾌｧｲﾙ (*)": every file, with an extension or without.
FileFilter allFilesFilter();

// True when `name` (UTF-8, without its folder) matches one of the patterns.
// Blanks around a pattern do not count; an empty pattern matches nothing.
bool fileNameMatches(std::string_view patterns, std::string_view name);

}  // namespace kelvra
