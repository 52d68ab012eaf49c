// The import (see dataImport.h).
//
// [SECTION] the choice tables
// [SECTION] cells: records of a dialect, each cell a number, empty, a
//           marker of a missing value, or text
// [SECTION] the plan: own layout, no data, dialect and layout
// [SECTION] reading into the data set
// [SECTION] preview and summary
#include "data/dataImport.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>
#include <utility>

#include "base/cp932.h"
#include "base/numberText.h"
#include "data/pointSort.h"
#include "data/textScan.h"

namespace kelvra {

// ---- [SECTION] the choice tables --------------------------------------------------------

namespace {

// One row a choice, in the order of ImportChoice: its label, its options in
// the order of its enum, and the member of ImportDialect it sets.
struct ChoiceRow {
    const char* label;
    std::vector<ImportOption> options;
    int (*get)(const ImportDialect&);
    void (*set)(ImportDialect&, int);
};

template <auto Member>
ChoiceRow row(const char* label, std::vector<ImportOption> options) {
    using Value = std::remove_reference_t<decltype(std::declval<ImportDialect&>().*Member)>;
    return {label, std::move(options), [](const ImportDialect& d) { return int(d.*Member); },
            [](ImportDialect& d, int option) { d.*Member = Value(option); }};
}

const ChoiceRow kChoices[] = {
    row<&ImportDialect::encoding>("文字ｺｰﾄﾞ", {
        {"Shift-JIS (CP932)", "Shift-JIS", ""},
        {"UTF-8", "UTF-8", ""},
        {"UTF-8 (BOM付き)", "UTF-8 (BOM)", ""},
        {"UTF-16LE (BOM付き)", "UTF-16LE", ""},
        {"UTF-16BE (BOM付き)", "UTF-16BE", ""},
    }),
    row<&ImportDialect::separator>("区切り文字", {
        {"ｶﾝﾏ (,)", "ｶﾝﾏ区切り", "comma|,"},
        {"ｾﾐｺﾛﾝ (;)", "ｾﾐｺﾛﾝ区切り", "semicolon|;"},
        {"ﾀﾌﾞ", "ﾀﾌﾞ区切り", "tab"},
        {"空白", "空白区切り", "space|spaces| "},
    }),
    row<&ImportDialect::decimal>("小数点", {
        {"ﾋﾟﾘｵﾄﾞ (1.5)", "小数点 .", "point|."},
        {"ｶﾝﾏ (1,5)", "小数点 ,", "comma|,"},
    }),
    row<&ImportDialect::header>("見出し", {
        {"なし", "見出しなし", ""},
        {"1行目は列の名前", "1行目は列の名前", ""},
        {"ﾃﾞｰﾀ形式の3行", "ﾃﾞｰﾀ形式の3行", ""},
    }),
    row<&ImportDialect::layout>("並び", {
        {"格子 (1行目が X、1列目が Y)", "格子", "grid"},
        {"X, Y, Z", "X,Y,Z の並び", "xyz"},
        {"X, Y, Z, ﾃﾞｰﾀ", "X,Y,Z,ﾃﾞｰﾀ の並び", "xyzv"},
        {"等間隔の格子 (形式4)", "等間隔の格子", ""},
        {"X, Y, Z, Vx, Vy, Vz", "ﾍﾞｸﾄﾙ", "vectors"},
        {"X, Y, Z, Vx, Vy, Vz, ﾃﾞｰﾀ", "ﾍﾞｸﾄﾙとﾃﾞｰﾀ", "vectorsv"},
        {"X, Y, Z, ﾃﾞｰﾀ (形式7)", "点とﾃﾞｰﾀ (形式7)", ""},
    }),
};
static_assert(std::size(kChoices) == std::size_t(ImportChoice::Count));

// ImportChoice::Count stands for the last row, as the layout.
const ChoiceRow& rowOf(ImportChoice choice) {
    return kChoices[std::min(std::size_t(choice), std::size(kChoices) - 1)];
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

}  // namespace

const char* importChoiceLabel(ImportChoice choice) { return rowOf(choice).label; }
const std::vector<ImportOption>& importOptions(ImportChoice choice) { return rowOf(choice).options; }
int optionOf(const ImportDialect& d, ImportChoice choice) { return rowOf(choice).get(d); }

void setOption(ImportDialect& d, ImportChoice choice, int option) {
    if (option < 0 || option >= int(importOptions(choice).size())) return;
    rowOf(choice).set(d, option);
}

std::optional<int> optionNamed(ImportChoice choice, std::string_view name) {
    const std::vector<ImportOption>& options = importOptions(choice);
    for (std::size_t i = 0; i < options.size(); ++i) {
        std::string_view names = options[i].names;
        while (!names.empty()) {
            std::size_t bar = names.find('|');
            if (equalIgnoringCase(names.substr(0, bar), name)) return int(i);
            names = bar == std::string_view::npos ? std::string_view() : names.substr(bar + 1);
        }
    }
    return std::nullopt;
}

std::string optionNames(ImportChoice choice) {
    std::vector<std::string> first;
    for (const ImportOption& option : importOptions(choice)) {
        std::string_view names = option.names;
        if (!names.empty()) first.emplace_back(names.substr(0, names.find('|')));
    }
    std::string text;
    for (std::size_t i = 0; i < first.size(); ++i)
        text += (i == 0 ? "" : i + 1 == first.size() ? " or " : ", ") + first[i];
    return text;
}

bool ImportChoices::any() const {
    return std::any_of(option.begin(), option.end(), [](const std::optional<int>& o) { return o.has_value(); });
}

// ---- [SECTION] cells ----------------------------------------------------------------------

namespace {

// What a cell holds where a number belongs: a number, nothing, a marker of a
// missing value ("NaN", "#N/A", "-"), or other text. All but a number are
// missing values there; text also names a column, or is a header line.
enum class CellKind : unsigned char { Empty, Number, Marker, Text };

struct Cell {
    CellKind kind = CellKind::Empty;
    double value = 0.0;         // a number's
    std::string_view content;   // blanks around it and its quotes removed
    bool doubledQuotes = false; // content holds "" for each quote
};

// The text of a cell, with its doubled quotes made single.
std::string cellText(const Cell& c) {
    std::string text(c.content);
    if (c.doubledQuotes)
        for (std::size_t at = 0; (at = text.find("\"\"", at)) != std::string::npos; ++at) text.erase(at, 1);
    return text;
}

char separatorChar(ImportSeparator s) {
    switch (s) {
        case ImportSeparator::Comma: return ',';
        case ImportSeparator::Semicolon: return ';';
        case ImportSeparator::Tab: return '\t';
        case ImportSeparator::Spaces:
        case ImportSeparator::Count: break;
    }
    return ' ';
}

const char* parseNumber(const char* p, const char* end, DecimalMark mark, double* value) {
    return mark == DecimalMark::Comma ? datafile::parseDecimal<','>(p, end, value)
                                      : datafile::parseDecimal<'.'>(p, end, value);
}

// What spreadsheets and scripts write for a value that is not there:
// NaN in any case (R's NA, N/A), "-", and the spreadsheets' error values
// (#N/A, #NV, #DIV/0!, ...).
bool isMissingMarker(std::string_view s) {
    if (s == "-" || s.starts_with('#')) return true;
    if (s.starts_with('-') || s.starts_with('+')) s.remove_prefix(1);
    for (std::string_view marker : {"nan", "na", "n/a", "null", "none"})
        if (equalIgnoringCase(s, marker)) return true;
    return s.size() > 4 && equalIgnoringCase(s.substr(0, 4), "nan(") && s.back() == ')';
}

CellKind classify(std::string_view content, DecimalMark mark, double* value) {
    if (content.empty()) return CellKind::Empty;
    const char* b = content.data();
    const char* e = b + content.size();
    if (*b == '+' && e - b > 1 && b[1] != '-' && b[1] != '+') ++b;
    if (parseNumber(b, e, mark, value) == e && std::isfinite(*value)) return CellKind::Number;
    return isMissingMarker(content) ? CellKind::Marker : CellKind::Text;
}

// The records of a text in a dialect. A record is one line, or more where a
// quoted cell holds line breaks; its cells end at the separator (a run of
// blanks for Spaces, which also ignores blanks at the ends of a line). Blanks
// around a cell are not part of it, and neither is a CR before a line end.
class RecordReader {
public:
    RecordReader(std::string_view text, ImportSeparator separator, DecimalMark mark)
        : p_(text.data()),
          end_(text.data() + text.size()),
          sep_(separatorChar(separator)),
          blanks_(separator == ImportSeparator::Spaces),
          mark_(mark),
          // Decimal commas between comma separators are quoted ("1,5"): a cell
          // without quotes has no decimal part there.
          plainMark_(separator == ImportSeparator::Comma ? DecimalMark::Point : mark) {}

    // The next record's cells; false at the end of the text.
    bool next(std::vector<Cell>& cells) {
        cells.clear();
        if (p_ >= end_) return false;
        recordLine_ = line_;
        recordBegin_ = p_;
        if (blanks_) skipBlanks();
        if (atLineEnd()) return endRecord();
        for (;;) {
            skipBlanks();
            cells.emplace_back();
            Cell& c = cells.back();
            if (p_ < end_ && *p_ == '"') readQuoted(c);
            else readPlain(c);
            if (atLineEnd()) return endRecord();
            ++p_;   // the separator
            if (blanks_) {
                skipBlanks();
                if (atLineEnd()) return endRecord();
            }
        }
    }
    int line() const { return recordLine_; }                // where the record last read began, from 1
    const char* recordBegin() const { return recordBegin_; }
    const char* position() const { return p_; }             // where the next record begins

private:
    bool isBlank(char c) const { return c == ' ' || c == '\r' || (c == '\t' && sep_ != '\t'); }
    void skipBlanks() {
        while (p_ < end_ && isBlank(*p_)) ++p_;
    }
    bool atLineEnd() const { return p_ >= end_ || *p_ == '\n'; }
    bool atCellEnd(const char* q) const { return q >= end_ || *q == '\n' || *q == sep_ || (blanks_ && *q == '\t'); }
    bool endRecord() {
        if (p_ < end_) {
            ++p_;
            ++line_;
        }
        return true;
    }

    void readPlain(Cell& c) {
        const char* b = p_;
        // A number first, read in one pass: what nearly every cell holds.
        double v;
        if (const char* stop = parseNumber(b, end_, plainMark_, &v)) {
            const char* q = stop;
            while (q < end_ && isBlank(*q) && !atCellEnd(q)) ++q;
            if (atCellEnd(q) && std::isfinite(v)) {
                c = {CellKind::Number, v, std::string_view(b, std::size_t(stop - b)), false};
                p_ = q;
                return;
            }
        }
        const char* q = b;
        while (!atCellEnd(q)) ++q;
        const char* e = q;
        while (e > b && isBlank(e[-1])) --e;
        c.content = std::string_view(b, std::size_t(e - b));
        c.kind = classify(c.content, plainMark_, &c.value);
        p_ = q;
    }

    void readQuoted(Cell& c) {
        const char* open = p_;
        const char* b = p_ + 1;
        const char* q = b;
        for (;;) {
            q = static_cast<const char*>(std::memchr(q, '"', std::size_t(end_ - q)));
            if (!q) {
                q = end_;   // no closing quote: the cell runs to the end
                break;
            }
            if (q + 1 < end_ && q[1] == '"') {
                c.doubledQuotes = true;
                q += 2;
                continue;
            }
            break;
        }
        line_ += int(std::count(b, q, '\n'));
        p_ = q < end_ ? q + 1 : end_;
        skipBlanks();
        if (!atCellEnd(p_)) {
            // Text after the closing quote: the cell is all of it, as text.
            const char* e = p_;
            while (!atCellEnd(e)) ++e;
            p_ = e;
            while (e > open && isBlank(e[-1])) --e;
            c.content = std::string_view(open, std::size_t(e - open));
            c.kind = CellKind::Text;
            return;
        }
        c.content = std::string_view(b, std::size_t(q - b));
        c.kind = c.doubledQuotes ? (c.content.empty() ? CellKind::Empty : CellKind::Text)
                                 : classify(c.content, mark_, &c.value);
        if (c.doubledQuotes && isMissingMarker(c.content)) c.kind = CellKind::Marker;
    }

    const char* p_;
    const char* end_;
    char sep_;
    bool blanks_;
    DecimalMark mark_;        // of a quoted cell
    DecimalMark plainMark_;   // of a cell without quotes
    int line_ = 1;
    int recordLine_ = 0;
    const char* recordBegin_ = nullptr;
};

bool emptyRecord(const std::vector<Cell>& cells) {
    return std::all_of(cells.begin(), cells.end(), [](const Cell& c) { return c.kind == CellKind::Empty; });
}

// Cells up to the last one that is not empty: a row's count, whatever empty
// cells a spreadsheet writes after it.
std::size_t filledCount(const std::vector<Cell>& cells) {
    std::size_t n = cells.size();
    while (n > 0 && cells[n - 1].kind == CellKind::Empty) --n;
    return n;
}

int count(const std::vector<Cell>& cells, CellKind kind) {
    return int(std::count_if(cells.begin(), cells.end(), [&](const Cell& c) { return c.kind == kind; }));
}

// A row of numbers: at least one number and no text.
bool numberRow(const std::vector<Cell>& cells) {
    return count(cells, CellKind::Number) > 0 && count(cells, CellKind::Text) == 0;
}

// A grid's X row of numbers whose empty top-left cell is not there (runs
// of blanks before the first X value are no cell): one cell fewer than the
// row after it.
bool cornerless(const std::vector<Cell>& xRow, const std::vector<Cell>& next) {
    return !xRow.empty() && xRow[0].kind == CellKind::Number && filledCount(next) == filledCount(xRow) + 1;
}

struct Dialect {
    ImportSeparator separator;
    DecimalMark decimal;
};

// Every separator with every decimal mark it allows, in the order that
// decides between equally good readings.
const Dialect kDialects[] = {
    {ImportSeparator::Semicolon, DecimalMark::Point}, {ImportSeparator::Semicolon, DecimalMark::Comma},
    {ImportSeparator::Tab, DecimalMark::Point},       {ImportSeparator::Tab, DecimalMark::Comma},
    {ImportSeparator::Comma, DecimalMark::Point},     {ImportSeparator::Comma, DecimalMark::Comma},
    {ImportSeparator::Spaces, DecimalMark::Point},
    {ImportSeparator::Spaces, DecimalMark::Comma},
};

// The cells of one line (without its line break) in a dialect.
std::vector<Cell> lineCells(std::string_view line, Dialect d) {
    std::vector<Cell> cells;
    RecordReader reader(line, d.separator, d.decimal);
    reader.next(cells);
    return cells;
}

bool numberRowInAnyDialect(std::string_view line) {
    return std::any_of(std::begin(kDialects), std::end(kDialects),
                       [&](const Dialect& d) { return numberRow(lineCells(line, d)); });
}

// ---- [SECTION] the plan ---------------------------------------------------------------------

constexpr std::size_t kSampleBytes = 64 * 1024;
constexpr std::size_t kSampleLines = 8;                 // at least, however long the lines
constexpr std::size_t kLongestSample = 16 * 1024 * 1024;

constexpr const char kNoSeparatorText[] = "%d 行目: 区切り文字が見つかりません";
constexpr const char kNoLayoutText[] = "%d 行目: %d 列の並びはどの形式にも合いません";

// The first 64 KiB of a text (and at least its first lines), ending at a line end.
std::string_view sampleOf(std::string_view text) {
    std::size_t at = 0, lines = 0;
    while (at < text.size() && (at < kSampleBytes || lines < kSampleLines) && at < kLongestSample) {
        std::size_t nl = text.find('\n', at);
        if (nl == std::string_view::npos) return text;
        at = nl + 1;
        ++lines;
    }
    return text.substr(0, at);
}

// Line n (from 1) of a text, without its line break; empty past the end.
std::string_view lineOf(std::string_view text, int n) {
    std::size_t at = 0;
    for (int k = 1; k < n; ++k) {
        std::size_t nl = text.find('\n', at);
        if (nl == std::string_view::npos) return {};
        at = nl + 1;
    }
    std::string_view line = text.substr(at, text.find('\n', at) - at);
    if (line.ends_with('\r')) line.remove_suffix(1);
    return line;
}

// Where the text after line `n` begins.
std::size_t afterLine(std::string_view text, int n) {
    std::size_t at = 0;
    for (int k = 0; k < n && at < text.size(); ++k) {
        std::size_t nl = text.find('\n', at);
        at = nl == std::string_view::npos ? text.size() : nl + 1;
    }
    return at;
}

// The program's own layout: a comma in line 1, and lines 2 and 3 not rows of numbers.
bool isProgramLayout(std::string_view sample) {
    return lineOf(sample, 1).find(',') != std::string_view::npos && !numberRowInAnyDialect(lineOf(sample, 2)) &&
           !numberRowInAnyDialect(lineOf(sample, 3));
}

// The program's three header lines in a dialect: a first line of a text cell
// and at most a format number, two lines that are not rows of numbers, then
// a row of numbers.
bool hasProgramLines(std::string_view sample, Dialect d) {
    std::vector<Cell> first = lineCells(lineOf(sample, 1), d);
    if (first.empty() || first[0].kind != CellKind::Text || count(first, CellKind::Text) != 1 ||
        count(first, CellKind::Number) > 1)
        return false;
    return !numberRow(lineCells(lineOf(sample, 2), d)) && !numberRow(lineCells(lineOf(sample, 3), d)) &&
           numberRow(lineCells(lineOf(sample, 4), d));
}

// The format number of the program's line 1: its number cell, 1 without one
// or for a number the program does not know.
ImportLayout layoutOfProgramLine(std::string_view sample, Dialect d) {
    for (const Cell& c : lineCells(lineOf(sample, 1), d))
        if (c.kind == CellKind::Number && c.value >= 1 && c.value <= 7 && c.value == std::floor(c.value))
            return ImportLayout(int(c.value) - 1);
    return ImportLayout::Grid;
}

// The records of a sample in a dialect, empty ones left out.
struct SampleRecords {
    std::vector<std::vector<Cell>> records;
    std::vector<int> lines;
};

SampleRecords recordsOf(std::string_view text, Dialect d) {
    SampleRecords out;
    RecordReader reader(text, d.separator, d.decimal);
    std::vector<Cell> cells;
    while (reader.next(cells)) {
        if (cells.empty() || emptyRecord(cells)) continue;
        if (cells[0].content.starts_with('[') && reader.recordBegin()[0] == '[') break;   // a settings section
        out.records.push_back(cells);
        out.lines.push_back(reader.line());
    }
    return out;
}

// The count of cells most records have (the later on a tie: a first row of
// names may be shorter).
std::size_t modalCount(const std::vector<std::vector<Cell>>& records, std::size_t from = 0) {
    std::vector<std::size_t> counts;
    for (std::size_t i = from; i < records.size(); ++i) counts.push_back(filledCount(records[i]));
    std::sort(counts.begin(), counts.end());
    std::size_t best = 0, bestRun = 0;
    for (std::size_t i = 0; i < counts.size();) {
        std::size_t j = i;
        while (j < counts.size() && counts[j] == counts[i]) ++j;
        if (j - i >= bestRun) best = counts[i], bestRun = j - i;
        i = j;
    }
    return best;
}

// How well a dialect reads the records: numbers count for it; text, and
// records of another length than most, against it. Fewer than two cells a
// record is no reading at all.
long long scoreOf(const SampleRecords& s) {
    std::size_t m = modalCount(s.records);
    if (m < 2) return LLONG_MIN;
    long long score = 0;
    for (const std::vector<Cell>& r : s.records) {
        score += count(r, CellKind::Number) - count(r, CellKind::Text);
        if (filledCount(r) != m) score -= 2;
    }
    return score;
}

// A first record that is a grid's X row: its first cell anything but a
// number, numbers after it, as many as most rows have, and a row of numbers
// after it.
bool isGridHeader(const SampleRecords& s) {
    if (s.records.size() < 2) return false;
    const std::vector<Cell>& first = s.records[0];
    std::size_t n = filledCount(first);
    if (cornerless(first, s.records[1])) return n >= 1 && numberRow(first) && count(first, CellKind::Number) == int(n);
    if (n < 2 || first[0].kind == CellKind::Number || n != modalCount(s.records, 1)) return false;
    for (std::size_t k = 1; k < n; ++k)
        if (first[k].kind != CellKind::Number) return false;
    return s.records[1][0].kind == CellKind::Number;
}

std::optional<ImportLayout> listLayoutOf(std::size_t columns) {
    switch (columns) {
        case 3: return ImportLayout::Xyz;
        case 4: return ImportLayout::Xyzv;
        case 6: return ImportLayout::Vectors;
        case 7: return ImportLayout::VectorsV;
        default: return std::nullopt;
    }
}

std::string withLine(const char* format, std::initializer_list<long long> numbers) {
    return withNumbers(sj(format), numbers);
}

}  // namespace

ImportPlan planDataText(std::string_view text, TextEncoding encoding, const ImportChoices& choices) {
    ImportPlan plan;
    const std::string_view sample = sampleOf(text);
    if (isProgramLayout(sample)) return plan;
    // No text, or no row of numbers: read as it always was (the empty graph).
    bool anyNumberRow = false;
    for (int n = 1, lines = int(std::count(sample.begin(), sample.end(), '\n')) + 1; n <= lines && !anyNumberRow; ++n)
        anyNumberRow = numberRowInAnyDialect(lineOf(sample, n));
    if (sample.find('\0') != std::string_view::npos || !anyNumberRow) {
        plan.kind = TextKind::NoData;
        return plan;
    }

    ImportDialect& d = plan.dialect;
    d.encoding = encoding;
    auto chosen = [&](ImportChoice c) { return choices.option[std::size_t(c)]; };
    plan.kind = TextKind::Import;
    if (auto e = chosen(ImportChoice::Encoding)) d.encoding = TextEncoding(*e);

    // The dialect that reads the most numbers in rows of one length.
    long long best = LLONG_MIN;
    bool programLines = false;
    for (const Dialect& candidate : kDialects) {
        if (auto s = chosen(ImportChoice::Separator); s && *s != int(candidate.separator)) continue;
        if (auto m = chosen(ImportChoice::Decimal); m && *m != int(candidate.decimal)) continue;
        bool lines = hasProgramLines(sample, candidate);
        long long score = scoreOf(recordsOf(sample.substr(lines ? afterLine(sample, 3) : 0), candidate));
        if (score <= best) continue;
        best = score;
        d.separator = candidate.separator;
        d.decimal = candidate.decimal;
        programLines = lines;
    }
    // A separator and mark that read nothing are still what the user chose:
    // the plan says what they read.
    if (auto s = chosen(ImportChoice::Separator)) d.separator = ImportSeparator(*s);
    if (auto m = chosen(ImportChoice::Decimal)) d.decimal = DecimalMark(*m);
    const Dialect dialect{d.separator, d.decimal};
    if (best != LLONG_MIN) programLines = hasProgramLines(sample, dialect);

    // The program's header lines with commas and points, a line 1 without a
    // comma (no format field, format 1), are the program's own layout.
    if (programLines && dialect.separator == ImportSeparator::Comma && dialect.decimal == DecimalMark::Point &&
        !choices.any())
        return {};

    d.header = programLines ? ImportHeader::ProgramLines : ImportHeader::None;
    if (auto h = chosen(ImportChoice::Header)) d.header = ImportHeader(*h);
    const int lineOffset = d.header == ImportHeader::ProgramLines ? 3 : 0;
    SampleRecords records = recordsOf(sample.substr(afterLine(sample, lineOffset)), dialect);
    const int firstLine = records.lines.empty() ? 1 : records.lines[0] + lineOffset;
    // A first row of names: text and no number, where no grid's X row is.
    const bool gridHeader = d.header == ImportHeader::None && isGridHeader(records);
    if (d.header == ImportHeader::None && !gridHeader && !records.records.empty() &&
        count(records.records[0], CellKind::Text) > 0 && count(records.records[0], CellKind::Number) == 0)
        d.header = ImportHeader::Names;
    if (d.header == ImportHeader::Names && !records.records.empty()) {
        records.records.erase(records.records.begin());
        records.lines.erase(records.lines.begin());
    }
    const std::size_t columns = modalCount(records.records);

    if (auto l = chosen(ImportChoice::Layout)) {
        d.layout = ImportLayout(*l);
    } else if (d.header == ImportHeader::ProgramLines) {
        d.layout = layoutOfProgramLine(sample, dialect);
    } else if (gridHeader || (d.header == ImportHeader::Names && isGridHeader(records))) {
        d.layout = ImportLayout::Grid;
    } else if (auto list = listLayoutOf(columns)) {
        d.layout = *list;
    } else {
        plan.kind = TextKind::Unreadable;
        plan.problem = columns < 2 ? withLine(kNoSeparatorText, {firstLine})
                                   : withLine(kNoLayoutText, {firstLine, (long long)columns});
        d.layout = ImportLayout::Xyz;
        return plan;
    }
    if (best == LLONG_MIN) {
        plan.kind = TextKind::Unreadable;
        plan.problem = withLine(kNoSeparatorText, {firstLine});
    }
    return plan;
}

// ---- [SECTION] reading into the data set ------------------------------------------------

namespace {

constexpr double kHole = std::numeric_limits<double>::quiet_NaN();

// The data records of a text as a dialect reads them: the program's header
// lines skipped, empty records left out, ended by a settings section (a line
// beginning with "[") or, in a point-value list, by a "<" record.
class DataRecords {
public:
    DataRecords(std::string_view text, const ImportDialect& d)
        : text_(text),
          start_(d.header == ImportHeader::ProgramLines ? afterLine(text, 3) : 0),
          reader_(text.substr(start_), d.separator, d.decimal),
          pointValues_(d.layout == ImportLayout::PointValues) {}

    bool next(std::vector<Cell>& cells) {
        while (!ended_) {
            const char* at = reader_.position();
            if (at < text_.data() + text_.size() && *at == '[') {
                settings_ = text_.substr(std::size_t(at - text_.data()));
                ended_ = true;
                break;
            }
            if (!reader_.next(cells)) break;
            if (pointValues_ && !cells.empty() && cells[0].content.starts_with('<')) ended_ = true;
            else if (!emptyRecord(cells)) return true;
        }
        ended_ = true;
        return false;
    }
    int line() const { return reader_.line() + (start_ > 0 ? 3 : 0); }
    // Where the data ends: the settings section, or the end of the text.
    std::string_view settingsSection() const { return settings_; }
    const char* position() const { return reader_.position(); }

private:
    std::string_view text_;
    std::size_t start_;
    RecordReader reader_;
    bool pointValues_;
    bool ended_ = false;
    std::string_view settings_;
};

// The value of a cell in a number's place: the number, or a hole.
double valueOf(const Cell& c) { return c.kind == CellKind::Number ? c.value : kHole; }

int valuesPerPointOf(ImportLayout layout) {
    switch (layout) {
        case ImportLayout::Xyzv:
        case ImportLayout::PointValues: return 4;
        case ImportLayout::Vectors: return 6;
        case ImportLayout::VectorsV: return 7;
        case ImportLayout::Grid:
        case ImportLayout::Xyz:
        case ImportLayout::Stepped:
        case ImportLayout::Count: break;
    }
    return 3;
}

// Advances the progress every hundredth of the estimated rows.
struct Progress {
    Progress(const ReadProgress& sink, std::size_t estimate) : sink_(sink), estimate_(std::max<std::size_t>(estimate, 1)) {
        step_ = std::max<std::size_t>(1, estimate_ / 100);
    }
    // False once the sink has asked to stop.
    bool row(std::size_t done) {
        if (sink_.advance && !stopped && done % step_ == 0)
            stopped = !sink_.advance(int(std::min<std::size_t>(100, done * 100 / estimate_)));
        return !stopped;
    }
    const ReadProgress& sink_;
    std::size_t estimate_, step_;
    bool stopped = false;
};

struct ImportJob {
    GraphData& d;
    ImportRead& read;
    DataRecords& records;
    Progress& progress;
    std::size_t rowCapacity;   // records the text can hold at most
    std::vector<Cell> cells;
};

bool allocatePoints(ImportJob& job, std::size_t points) {
    if (points > std::size_t(INT_MAX) ||
        !job.d.pointValues.allocate(std::max<std::size_t>(points, 1) * std::size_t(job.d.valuesPerPoint))) {
        job.read.fits = false;
        return false;
    }
    adviseHugePages(job.d.pointValues.data(), job.d.pointValues.size() * sizeof(double));
    return true;
}

void skipRow(ImportJob& job) {
    if (job.read.skippedRows++ == 0) job.read.firstSkippedRow = job.records.line();
}

// A column grid: the X row (its first cell dropped, a column whose X is
// missing left out), then per row its Y and one Z per column.
void readGrid(ImportJob& job) {
    GraphData& d = job.d;
    std::vector<Cell>& cells = job.cells;
    if (!job.records.next(cells)) return;
    std::vector<Cell> xRow = cells;
    bool more = job.records.next(cells);
    if (more && cornerless(xRow, cells)) xRow.insert(xRow.begin(), Cell{});
    std::vector<int> columnOf(xRow.size(), -1);
    std::vector<double> xs;
    Span xSpan, ySpan, zSpan;
    const std::size_t last = filledCount(xRow);
    for (std::size_t k = 1; k < last; ++k) {
        if (xRow[k].kind != CellKind::Number) {
            ++job.read.skippedColumns;
            continue;
        }
        columnOf[k] = int(xs.size());
        xs.push_back(xRow[k].value);
        xSpan.add(xRow[k].value);
    }
    const std::size_t columns = xs.size();
    if (columns == 0 || !allocatePoints(job, job.rowCapacity * columns)) return;
    std::size_t row = 0;
    for (; more; more = job.records.next(cells)) {
        if (cells[0].kind != CellKind::Number) {
            skipRow(job);
            continue;
        }
        const double y = cells[0].value;
        ySpan.add(y);
        double* p = d.point(row * columns);
        for (std::size_t c = 0; c < columns; ++c) {
            p[c * 3] = xs[c];
            p[c * 3 + 1] = y;
            p[c * 3 + 2] = kHole;
        }
        const std::size_t n = std::min(cells.size(), last);
        std::size_t filled = 0;
        for (std::size_t k = 1; k < n; ++k) {
            if (columnOf[k] < 0) continue;
            double z = valueOf(cells[k]);
            p[std::size_t(columnOf[k]) * 3 + 2] = z;
            zSpan.add(z);
            filled += z == z;
        }
        job.read.holes += (long long)(columns - filled);
        if (job.read.longRow.line == 0 && filledCount(cells) > last)
            job.read.longRow = {job.records.line(), int(filledCount(cells) - 1), int(last - 1)};
        if (!job.progress.row(++row)) break;
    }
    d.columnCount = int(columns);
    d.rowCount = int(row);
    d.pointCount = int(row * columns);
    xSpan.storeInto(d.valueRange[RangeX]);
    ySpan.storeInto(d.valueRange[RangeY]);
    zSpan.storeInto(d.valueRange[RangeZ]);
}

// The first two numbers of a record (0 for those missing).
void firstTwoNumbers(const std::vector<Cell>& cells, double* a, double* b) {
    int got = 0;
    for (const Cell& c : cells) {
        if (c.kind != CellKind::Number || got == 2) continue;
        (got++ == 0 ? *a : *b) = c.value;
    }
}

// A stepped grid: first X and X step, first Y and Y step, then rows of Z
// values; the first row sets the columns.
void readStepped(ImportJob& job) {
    GraphData& d = job.d;
    std::vector<Cell>& cells = job.cells;
    double x0 = 0, dx = 0, y0 = 0, dy = 0;
    if (job.records.next(cells)) firstTwoNumbers(cells, &x0, &dx);
    if (job.records.next(cells)) firstTwoNumbers(cells, &y0, &dy);
    if (!job.records.next(cells)) return;
    const std::size_t columns = filledCount(cells);
    if (columns == 0 || !allocatePoints(job, job.rowCapacity * columns)) return;
    Span xSpan, ySpan, zSpan;
    std::size_t row = 0;
    do {
        double* p = d.point(row * columns);
        const double y = y0 + double(row) * dy;
        ySpan.add(y);
        for (std::size_t c = 0; c < columns; ++c) {
            double z = c < cells.size() ? valueOf(cells[c]) : kHole;
            p[c * 3] = x0 + double(c) * dx;
            p[c * 3 + 1] = y;
            p[c * 3 + 2] = z;
            if (row == 0) xSpan.add(p[c * 3]);
            zSpan.add(z);
            job.read.holes += z != z;
        }
        if (!job.progress.row(++row)) break;
    } while (job.records.next(cells));
    d.columnCount = int(columns);
    d.rowCount = int(row);
    d.pointCount = int(row * columns);
    xSpan.storeInto(d.valueRange[RangeX]);
    ySpan.storeInto(d.valueRange[RangeY]);
    zSpan.storeInto(d.valueRange[RangeZ]);
}

// A list row that places a point: X and Y, and a vector's components, are there.
bool placesPoint(const std::vector<Cell>& cells, int valuesPerPoint) {
    auto number = [&](std::size_t k) { return k < cells.size() && cells[k].kind == CellKind::Number; };
    if (!number(0) || !number(1)) return false;
    return valuesPerPoint < 6 || (number(3) && number(4) && number(5));
}

// A column list of N values a point: a row that does not place its point is
// left out; Z and the data value may be missing. X, Y, Z and X, Y, Z, data
// lists are sorted into rows, and are a grid when the rows are alike, as the
// program's own lists are.
void readList(ImportJob& job, const std::vector<Cell>* namesRow) {
    GraphData& d = job.d;
    const int n = d.valuesPerPoint;
    if (namesRow)
        for (std::size_t k = 0; k < 3 && k < namesRow->size(); ++k) job.read.names[k] = cellText((*namesRow)[k]);
    if (!allocatePoints(job, job.rowCapacity)) return;
    Span xs, ys, zs, data, lengths;
    std::vector<Cell>& cells = job.cells;
    std::size_t points = 0;
    while (job.records.next(cells)) {
        if (!placesPoint(cells, n)) {
            skipRow(job);
            continue;
        }
        double* p = d.point(points);
        for (int k = 0; k < n; ++k) {
            p[k] = std::size_t(k) < cells.size() ? valueOf(cells[std::size_t(k)]) : kHole;
            job.read.holes += p[k] != p[k];
        }
        xs.add(p[0]);
        ys.add(p[1]);
        zs.add(p[2]);
        if (n == 4) data.add(p[3]);
        if (n >= 6) lengths.add(vectorLength(p[3], p[4], p[5]));
        if (n == 7) data.add(p[6]);
        if (!job.progress.row(++points)) break;
    }
    d.pointCount = int(points);
    xs.storeInto(d.valueRange[RangeX]);
    ys.storeInto(d.valueRange[RangeY]);
    zs.storeInto(d.valueRange[RangeZ]);
    data.storeInto(d.valueRange[RangeData]);
    if (n >= 6) lengths.storeInto(d.valueRange[RangeVector]);
    if (n == 6) lengths.storeInto(d.valueRange[RangeData]);
}

}  // namespace

DataRead readPlannedText(FileBytes& text, const ImportPlan& plan, GraphData& d, const ReadProgress& progress,
                         ImportRead* imported) {
    if (plan.kind != TextKind::Import) return readDataText(text, d, progress);
    ImportRead read = importDataText(text, plan.dialect, d, progress);
    DataRead result;
    result.fits = read.fits;
    result.stopped = read.stopped;
    result.settingsSection = read.settingsSection;
    if (imported) *imported = std::move(read);
    return result;
}

ImportRead importDataText(FileBytes& text, const ImportDialect& dialect, GraphData& d, const ReadProgress& progressSink) {
    ImportRead read;
    const std::string_view all = text.view();
    DataRecords records(all, dialect);
    const std::size_t lines = std::size_t(std::count(all.begin(), all.end(), '\n')) + 1;

    d.pointValues.release();
    for (ValueRange& r : d.valueRange) r.reset();
    d.dataFormat = int(dialect.layout) + 1;
    d.valuesPerPoint = valuesPerPointOf(dialect.layout);
    d.dataKind = Grid;
    d.rowCount = d.columnCount = d.pointCount = 0;
    if (progressSink.begin) progressSink.begin(lines > 1500);
    Progress progress(progressSink, lines);
    ImportJob job{d, read, records, progress, lines, {}};

    const bool list = dialect.layout != ImportLayout::Grid && dialect.layout != ImportLayout::Stepped;
    std::vector<Cell> namesRow;
    if (dialect.header == ImportHeader::Names && records.next(namesRow) && !list) namesRow.clear();
    switch (dialect.layout) {
        case ImportLayout::Grid: readGrid(job); break;
        case ImportLayout::Stepped: readStepped(job); break;
        case ImportLayout::Xyz:
        case ImportLayout::Xyzv:
        case ImportLayout::Vectors:
        case ImportLayout::VectorsV:
        case ImportLayout::PointValues:
        case ImportLayout::Count: readList(job, namesRow.empty() ? nullptr : &namesRow); break;
    }
    read.stopped = progress.stopped;
    if (!read.fits || read.stopped) {
        d.pointValues.release();
        d.dataLoaded = false;
        d.rowCount = d.columnCount = d.pointCount = 0;
        return read;
    }
    if (d.pointValues.empty() && !d.pointValues.allocate(std::size_t(d.valuesPerPoint))) read.fits = false;
    read.settingsSection = records.settingsSection();

    if (list) {
        const std::size_t n = std::size_t(d.pointCount);
        if (dialect.layout == ImportLayout::Xyz || dialect.layout == ImportLayout::Xyzv) {
            // The text before the settings section has been read: the sort may use it.
            const std::size_t scratch = std::size_t(records.position() - all.data());
            datafile::sortPointsByYThenX(d.pointValues.data(), n, d.valuesPerPoint, text.data(), scratch);
            datafile::groupRows(d, n);
        } else {
            // Lists without rows: one row of all the points.
            d.dataKind = dialect.layout == ImportLayout::PointValues ? PointValues : Vectors;
            d.rowCount = 1;
            d.columnCount = d.pointCount;
        }
    }
    d.dataLoaded = true;
    return read;
}

// ---- [SECTION] preview and summary ------------------------------------------------------

namespace {

std::string numberText(double v) {
    if (v != v) return {};
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

const char* const kListColumns[] = {"X", "Y", "Z", "Vx", "Vy", "Vz"};

std::vector<std::string> listColumns(ImportLayout layout, const std::vector<Cell>* names) {
    std::vector<std::string> columns;
    const int n = valuesPerPointOf(layout);
    for (int k = 0; k < n; ++k) {
        std::string label = k == 3 && n == 4 ? sj("ﾃﾞｰﾀ") : k == 6 ? sj("ﾃﾞｰﾀ") : kListColumns[k];
        if (names && std::size_t(k) < names->size() && (*names)[std::size_t(k)].kind != CellKind::Empty)
            label += ": " + cellText((*names)[std::size_t(k)]);
        columns.push_back(label);
    }
    return columns;
}

}  // namespace

ImportPreview previewImport(std::string_view text, const ImportDialect& dialect, int maxRows) {
    ImportPreview preview;
    DataRecords records(sampleOf(text), dialect);
    std::vector<Cell> cells, names;
    const bool grid = dialect.layout == ImportLayout::Grid;
    const bool stepped = dialect.layout == ImportLayout::Stepped;
    if (dialect.header == ImportHeader::Names && !records.next(names)) return preview;
    std::vector<int> keep;   // grid cells kept, as a grid reads its X row
    bool pending = false;   // `cells` holds the first row, read to see whether the X row has its corner
    if (grid) {
        if (!records.next(cells)) return preview;
        std::vector<Cell> xRow = cells;
        pending = records.next(cells);
        if (pending && cornerless(xRow, cells)) xRow.insert(xRow.begin(), Cell{});
        preview.columns.push_back("Y \\ X");
        for (std::size_t k = 1; k < filledCount(xRow); ++k) {
            if (xRow[k].kind != CellKind::Number) continue;
            keep.push_back(int(k));
            preview.columns.push_back(numberText(xRow[k].value));
        }
    } else if (stepped) {
        double x0 = 0, dx = 0, y0 = 0, dy = 0;
        if (records.next(cells)) firstTwoNumbers(cells, &x0, &dx);
        if (records.next(cells)) firstTwoNumbers(cells, &y0, &dy);
        preview.columns.push_back("Y \\ X");
        for (int row = 0; row < maxRows && records.next(cells); ++row) {
            if (row == 0)
                for (std::size_t c = 0; c < filledCount(cells); ++c) preview.columns.push_back(numberText(x0 + double(c) * dx));
            std::vector<std::string> shown{numberText(y0 + row * dy)};
            for (std::size_t c = 0; c + 1 < preview.columns.size(); ++c)
                shown.push_back(c < cells.size() ? numberText(valueOf(cells[c])) : "");
            preview.rows.push_back(std::move(shown));
        }
        return preview;
    } else {
        preview.columns = listColumns(dialect.layout, names.empty() ? nullptr : &names);
    }
    while (int(preview.rows.size()) < maxRows && (std::exchange(pending, false) || records.next(cells))) {
        std::vector<std::string> shown;
        if (grid) {
            if (cells[0].kind != CellKind::Number) continue;
            shown.push_back(numberText(cells[0].value));
            for (int k : keep) shown.push_back(std::size_t(k) < cells.size() ? numberText(valueOf(cells[std::size_t(k)])) : "");
        } else {
            if (!placesPoint(cells, valuesPerPointOf(dialect.layout))) continue;
            for (std::size_t k = 0; k < preview.columns.size(); ++k)
                shown.push_back(k < cells.size() ? numberText(valueOf(cells[k])) : "");
        }
        preview.rows.push_back(std::move(shown));
    }
    return preview;
}

std::string dialectSummary(const ImportDialect& dialect) {
    std::string text;
    for (int c = 0; c < int(ImportChoice::Count); ++c) {
        ImportChoice choice = ImportChoice(c);
        text += (c ? sj("、") : "") + sj(importOptions(choice)[std::size_t(optionOf(dialect, choice))].said);
    }
    return text;
}

std::string importSummary(const ImportDialect& dialect, const ImportRead& read, const GraphData& d) {
    std::vector<std::string> parts{dialectSummary(dialect)};
    if (d.dataKind == Grid)
        parts.push_back(withNumbers(sj("%d x %d の格子"), {d.columnCount, d.rowCount}));
    else
        parts.push_back(withNumbers(sj("%d 点"), {d.pointCount}));
    if (read.holes > 0) parts.push_back(withNumbers(sj("穴 %d"), {read.holes}));
    if (read.skippedColumns > 0) parts.push_back(withNumbers(sj("X のない列 %d を除外"), {read.skippedColumns}));
    if (read.skippedRows > 0)
        parts.push_back(withNumbers(sj("点の位置がない行 %d を除外 (最初は %d 行目)"), {read.skippedRows, read.firstSkippedRow}));
    if (read.longRow.line > 0)
        parts.push_back(withNumbers(sj("%d 行目の値の数 (%d) が X の数 (%d) より多い"),
                                    {read.longRow.line, read.longRow.values, read.longRow.columns}));
    std::string text = sj("取り込み: ");
    for (std::size_t i = 0; i < parts.size(); ++i) text += (i ? sj("、") : "") + parts[i];
    return text;
}

}  // namespace kelvra
