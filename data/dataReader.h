// The data file reader of the program's own layouts (formats 1 to 7, see
// data/dataReader.cpp): text in memory into a data set.
#pragma once

#include <functional>
#include <string_view>

#include "base/fileIo.h"
#include "data/graphData.h"

namespace kelvra {

// Where a read reports its progress: `begin` once the file is measured (with
// whether it is large enough to show a progress window for), then `advance`
// in whole percent; `advance` answering false stops the read (the user
// cancelled). Either may be empty.
struct ReadProgress {
    std::function<void(bool worthShowing)> begin;
    std::function<bool(int percent)> advance;
};

// A row of a column grid (format 1) whose count of values is not the X
// header's: an empty field inside a row moves the values after it one column
// to the left, so the graph would be wrong without a word. The first such line.
struct RowCountMismatch {
    int line = 0;      // 1-based; 0: every row has the header's count
    int values = 0;    // the row's count of values (Y not counted)
    int columns = 0;   // the header's count of X values
};

struct DataRead {
    bool fits = true;                   // false: the point array found no memory (the data set is empty)
    bool stopped = false;               // the progress asked to stop (the data set is incomplete)
    std::string_view settingsSection;   // from the first "[" line to the end; empty without one
    RowCountMismatch oddRow;
};

// Reads `text` (a whole file, CP932 with LF or CR LF line ends) into `d`: its
// format (line 1; a format character outside 1..7 keeps d.dataFormat as the
// previous file left it), points, counts, kind and value ranges, and
// dataLoaded. The name fields are left to the caller. The text before the
// settings section is used as scratch space by the point sort; the section
// itself is left as it was, and the result points into it.
DataRead readDataText(FileBytes& text, GraphData& d, const ReadProgress& progress = {});

}  // namespace kelvra
