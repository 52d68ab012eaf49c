// The data file writer (File/Save, --write-data): a data set in the layout of
// its format, followed by the settings section of a settings file, so that
// opening the file restores both the data and the look of the graph.
#pragma once

#include <string>
#include <string_view>

#include "data/graphData.h"

namespace kelvra {

// The format number a data set is saved under: its own, or 1 (the column
// grid it was read as) for a number the reader does not know.
int savedFormat(const GraphData& d);

// Writes `d` and the sections of `settingsText` (a whole settings file; its
// title line and the empty line after it are left out) to `path`, replacing
// the file only when everything was written. False when there is nothing to
// save (*error 0: no point, or a grid format without its grid) or the file
// could not be written (*error the errno).
bool writeDataFile(const GraphData& d, const std::string& path, std::string_view settingsText, int* error);

}  // namespace kelvra
