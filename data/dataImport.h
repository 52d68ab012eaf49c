// The import: data files that are not in the program's own layout, as
// spreadsheets and scripts write them, read into the same data set the data
// file reader (data/dataReader.h) fills, so every graph, the scales, picking
// and saving work on them unchanged.
//
// planDataText decides from the first 64 KiB of a text how it is read:
//  - the program's own layout (line 1 holds a comma, lines 2 and 3 are not
//    rows of numbers) goes to readDataText, rule for rule;
//  - a text without a single row of numbers (or with NUL bytes: no text at
//    all) is no data: readDataText reads it as it always has, to the empty
//    graph that says there is no graph data;
//  - anything else is imported: its separator (comma, semicolon, tab or runs
//    of blanks), decimal mark (point, or comma: between comma separators
//    only in quoted cells, as spreadsheets write "1,5"), the program's three header lines written with another separator,
//    a first row of column names, and the layout (a column grid, or a column
//    list of 3, 4, 6 or 7 values) are detected, each open to a user's choice;
//  - or it cannot be read as any layout, and the plan says what was seen.
// Cells follow RFC 4180 (quotes around a cell, doubled quotes inside, line
// breaks inside quotes). A cell that is empty, "NaN", "#N/A", "-" or any
// other text where a number belongs is a missing value: a hole (NaN) in the
// data set, which every graph leaves out and the writer saves as "nan".
// A row of nothing but separators is no row.
//
// The view runs the plan, asks the user through its host when it should
// (view/viewData.cpp), and reads with importDataText; previewImport shows the
// first rows as a dialect reads them, importSummary says in one line what
// was decided.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/fileIo.h"
#include "data/dataReader.h"
#include "data/graphData.h"

namespace kelvra {

enum class ImportSeparator { Comma, Semicolon, Tab, Spaces, Count };
enum class DecimalMark { Point, Comma, Count };
enum class ImportHeader { None, Names, ProgramLines, Count };
// The layouts, in the order of the format numbers they fill (format = index + 1).
enum class ImportLayout { Grid, Xyz, Xyzv, Stepped, Vectors, VectorsV, PointValues, Count };

// How a text is read.
struct ImportDialect {
    TextEncoding encoding = TextEncoding::Cp932;
    ImportSeparator separator = ImportSeparator::Comma;
    DecimalMark decimal = DecimalMark::Point;
    ImportHeader header = ImportHeader::None;
    ImportLayout layout = ImportLayout::Grid;
    bool operator==(const ImportDialect&) const = default;
};

// The five choices of an import, as the dialog shows them and the command
// line and launch files name them (one table row per option: importOptions).
enum class ImportChoice { Encoding, Separator, Decimal, Header, Layout, Count };

struct ImportOption {
    const char* shown;   // in the dialog (UTF-8, for sj())
    const char* said;    // in the one-line summary (UTF-8)
    const char* names;   // on the command line, '|' between alternatives; "" for none
};
const char* importChoiceLabel(ImportChoice choice);   // UTF-8
const std::vector<ImportOption>& importOptions(ImportChoice choice);
// The option an ImportDialect holds for a choice (an index of importOptions), and the way back.
int optionOf(const ImportDialect& d, ImportChoice choice);
void setOption(ImportDialect& d, ImportChoice choice, int option);
// The option of `choice` that `name` names on the command line (any letter case).
std::optional<int> optionNamed(ImportChoice choice, std::string_view name);
// The names a choice takes on the command line, "a, b or c" (for messages).
std::string optionNames(ImportChoice choice);

// Choices made by the user or the command line: each overrides the detection
// of its part; nothing means detect.
struct ImportChoices {
    std::array<std::optional<int>, std::size_t(ImportChoice::Count)> option;
    bool any() const;
    bool operator==(const ImportChoices&) const = default;
};

enum class TextKind { ProgramLayout, NoData, Import, Unreadable };

struct ImportPlan {
    TextKind kind = TextKind::ProgramLayout;
    ImportDialect dialect;   // Import and Unreadable: what the text is read as
    std::string problem;     // Unreadable: what was seen, CP932 ("1 行目: 区切り文字が見つかりません")
};

// How `text` (CP932, as base/textInput.h made it from `encoding`) is read.
// Choices apply to a text that is imported; the program's own layout and a
// text without data are read by their own rules whatever they say.
ImportPlan planDataText(std::string_view text, TextEncoding encoding, const ImportChoices& choices = {});

// What an import read besides the data set.
struct ImportRead {
    bool fits = true;                  // false: no memory for the points (the data set is empty)
    bool stopped = false;              // the progress asked to stop (the data set is empty)
    std::string names[3];              // a names row's X, Y and Z names, CP932 ("" where none)
    std::string_view settingsSection;  // from a line beginning with "[" to the end, as a data file carries it
    long long holes = 0;               // missing values read as holes
    int skippedRows = 0;               // rows with no place: no Y (grids), no X or Y (lists)
    int firstSkippedRow = 0;           // the line of the first of them
    int skippedColumns = 0;            // grid columns whose X is missing
    RowCountMismatch longRow;          // the first grid row with more values than X values
};

// Reads `text` as the dialect says into `d`, as readDataText would fill it for
// the layout's format (format number, values per point, counts, kind, ranges
// over what is not missing, dataLoaded). The text before a settings section is
// used as scratch space by the point sort.
ImportRead importDataText(FileBytes& text, const ImportDialect& dialect, GraphData& d,
                          const ReadProgress& progress = {});

// Reads a text into `d` as `plan` says: the program's own layout (and a text
// without data) through readDataText, an import through importDataText, whose
// details go to `imported` when given.
DataRead readPlannedText(FileBytes& text, const ImportPlan& plan, GraphData& d, const ReadProgress& progress = {},
                         ImportRead* imported = nullptr);

// What a dialect is, CP932: "UTF-8、ｾﾐｺﾛﾝ区切り、小数点 ,、見出しなし、格子".
std::string dialectSummary(const ImportDialect& dialect);
// One line of what was decided and read, CP932: "取り込み: " and the
// dialect, the size of the data, the holes and what was left out.
std::string importSummary(const ImportDialect& dialect, const ImportRead& read, const GraphData& d);

// The first rows of a text as a dialect reads them: a label per column (its
// role, or for a grid its X value), then each row's cells; a hole is an empty
// cell. CP932.
struct ImportPreview {
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;
};
ImportPreview previewImport(std::string_view text, const ImportDialect& dialect, int maxRows = 20);

}  // namespace kelvra
