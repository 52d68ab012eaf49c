// The data file reader: the program's own layouts parsed from a file already
// in memory, as CP932 text with LF or CR LF line ends (base/textInput.h
// converts what is not). A sizing pass over the lines finds the format, the
// size estimates and where a settings section starts; the reader of the
// layout then parses the text in place into the zero-filled point array.
// File/Open, F5 and every other way a data file enters the program go
// through the view (view/viewData.cpp), which reads the file, calls this,
// and applies the settings section and the change that follow.
//
// Everything a file can contain is handled without writing outside the point
// array: the array is sized from the same lines that the readers walk, and each
// reader also checks every store against it.
#include "data/dataReader.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <new>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/fileIo.h"
#include "base/parallel.h"
#include "base/textInput.h"
#include "data/pointSort.h"
#include "data/textScan.h"

namespace kelvra {
namespace {

using datafile::FieldCursor;
using datafile::LineCursor;
using datafile::TextLine;

// ---- sizing pass ----------------------------------------------------------------

// What the sizing pass learns about a file before anything is allocated.
struct FileLayout {
    std::int64_t rowEstimate = 4;
    std::int64_t columnEstimate = 2;
    std::int64_t capacityRows = 4;      // rows the point array is sized for
    std::int64_t capacityColumns = 2;   // columns the point array is sized for
    const char* dataBegin = nullptr;    // start of line 4
    const char* dataEnd = nullptr;      // first "[" line (settings) or end of text
    bool hasSettings = false;
};

// Which reader a format number selects.
enum class Layout { ColumnGrid, SteppedGrid, PointList, PointValueList };

Layout layoutOf(int format) {
    switch (format) {
        case 2: case 3: case 5: case 6: return Layout::PointList;
        case 4: return Layout::SteppedGrid;
        case 7: return Layout::PointValueList;
        default: return Layout::ColumnGrid;
    }
}

int valuesPerPointOf(int format) {
    switch (format) {
        case 3: case 7: return 4;
        case 5: return 6;
        case 6: return 7;
        default: return 3;
    }
}

// Format number from line 1: the one character after the first comma decides;
// any other character keeps the previous file's format, except on the first
// load, where the field is read as an integer. An empty field reads as 1,
// whether a comma or the end of the line follows it; so does a line without a
// comma, which has no format field at all.
int decideFormat(const TextLine& line1, int previousFormat) {
    const char* comma = static_cast<const char*>(std::memchr(line1.begin, ',', line1.size()));
    if (!comma) return 1;
    const char* field = comma + 1;
    if (field == line1.end || *field == ',') return 1;
    char c = *field;
    if (c >= '1' && c <= '7') return c - '0';
    if (previousFormat != -1) return previousFormat;
    const char* fieldEnd = static_cast<const char*>(std::memchr(field, ',', std::size_t(line1.end - field)));
    return datafile::parseInteger(field, fieldEnd ? fieldEnd : line1.end);
}

// A blank line (skipped, never counted as a row or point): at most 1 character
// in the grid layouts, 2 in the point lists, line break not counted; or a row
// of nothing but commas, however long (a spreadsheet's empty row).
std::size_t blankLimit(Layout layout) {
    return layout == Layout::ColumnGrid || layout == Layout::SteppedGrid ? 1 : 2;
}
bool isBlank(const TextLine& line, Layout layout) {
    return line.size() <= blankLimit(layout) || datafile::onlyCommas(line);
}

// The estimates and the section boundaries. Lines 1-6 are read first: line 1
// gives the format, line 6 (or the last line when the file is shorter) the
// column estimate. The row estimate counts the lines after line 6 up to a
// settings section, stopping its count (not the scan) at a "<" line.
// The point array is sized on larger figures where the estimate could fall
// short: every line up to the settings section, the X header of a column grid,
// the first row of a stepped grid.
FileLayout measureFile(const FileBytes& text, int previousFormat, int* format) {
    FileLayout out;
    LineCursor lines(text.begin(), text.end());
    TextLine first[7];   // lines 1..6
    int count = 0;
    while (count < 6 && lines.next(&first[count + 1])) ++count;

    *format = decideFormat(count >= 1 ? first[1] : TextLine{text.begin(), text.begin()}, previousFormat);
    Layout layout = layoutOf(*format);

    const TextLine& line6 = count >= 1 ? first[std::min(count, 6)] : TextLine{text.begin(), text.begin()};
    out.columnEstimate = 2 + std::count(line6.begin, line6.end, ',');

    out.dataBegin = count >= 4 ? first[4].begin : text.end();
    out.dataEnd = text.end();
    for (int k = 4; k <= count && !out.hasSettings; ++k) {
        if (first[k].startsWith('[')) {
            out.hasSettings = true;
            out.dataEnd = first[k].begin;
        }
    }

    // The first non-blank row of a stepped grid (line 6 on) sets its columns.
    std::int64_t steppedColumns = 0;
    bool steppedFound = false;
    if (layout == Layout::SteppedGrid && count >= 6 && first[6].begin < out.dataEnd && !isBlank(first[6], layout)) {
        steppedColumns = datafile::countNonEmptyFields(first[6]);
        steppedFound = true;
    }

    std::int64_t counted = 0, scanned = 0;
    bool counting = true;
    TextLine line;
    if (!out.hasSettings) {
        while (lines.next(&line)) {
            if (line.startsWith('[')) {
                out.hasSettings = true;
                out.dataEnd = line.begin;
                break;
            }
            if (line.startsWith('<')) counting = false;
            else if (counting) ++counted;
            ++scanned;
            if (layout == Layout::SteppedGrid && !steppedFound && !isBlank(line, layout)) {
                steppedColumns = datafile::countNonEmptyFields(line);
                steppedFound = true;
            }
        }
    }
    out.rowEstimate = 4 + counted;
    out.capacityRows = 4 + scanned;

    std::int64_t neededColumns = 0;
    if (layout == Layout::ColumnGrid && count >= 4 && first[4].begin < out.dataEnd) {
        // X values: the non-empty fields after the first cell.
        FieldCursor header(first[4]);
        double ignored;
        bool firstCellFilled = header.next(&ignored);
        neededColumns = datafile::countNonEmptyFields(first[4]) - (firstCellFilled ? 1 : 0);
    } else if (layout == Layout::SteppedGrid) {
        neededColumns = steppedColumns;
    }
    out.capacityColumns = std::max(out.columnEstimate, neededColumns);
    return out;
}

// ---- progress -------------------------------------------------------------------

// Advances the progress every max(1, row estimate / 100)-th row or point.
class LoadProgress {
public:
    LoadProgress(const ReadProgress& sink, std::int64_t rowEstimate)
        : sink_(sink), step_(std::max<std::int64_t>(1, rowEstimate / 100)) {}
    bool due(std::int64_t count) const { return count % step_ == 0; }
    // Shows fraction * 100, cut to a whole percent and to 0..100.
    void show(double fraction) {
        if (!sink_.advance || stopped_) return;
        double percent = std::floor(fraction * 100.0);
        stopped_ = !sink_.advance(percent >= 100.0 ? 100 : percent <= 0.0 ? 0 : int(percent));
    }
    bool stopped() const { return stopped_; }

private:
    const ReadProgress& sink_;
    std::int64_t step_;
    bool stopped_ = false;
};

// ---- readers -----------------------------------------------------------------

double finiteOrZero(double v) { return std::isfinite(v) ? v : 0.0; }

// What every reader works on.
struct ReadJob {
    GraphData& data;
    LoadProgress& progress;
    Layout layout;
    const char* dataBegin;       // line 4
    const char* dataEnd;         // settings section or end of text
    std::int64_t rowEstimate;
    std::size_t capacityPoints;  // points the array has room for
    // Memory the point sort may overwrite: the text of the lines already parsed.
    void* scratch;
    std::size_t scratchBytes;
    RowCountMismatch* oddRow;    // the column grid's first row of another length
};

// The first row of a column grid whose count of values is not the header's
// (the rest of the row, `f`, counted on). Rows are parsed on several threads:
// of the rows found, the one on the earliest line is kept.
void noteOddRow(ReadJob& job, FieldCursor& f, int lineNumber, std::size_t stored, std::size_t columns) {
    std::size_t count = stored;
    double v;
    while (f.more())
        if (f.next(&v)) ++count;
    if (count == columns) return;
    static std::mutex noting;
    std::lock_guard<std::mutex> hold(noting);
    if (job.oddRow->line != 0 && job.oddRow->line < lineNumber) return;
    *job.oddRow = {lineNumber, int(std::min<std::size_t>(count, INT_MAX)), int(columns)};
}

// ---- grid rows ---------------------------------------------------------------

// Smallest and largest Y and Z a part of the rows added.
struct RowSpans {
    Span y, z;
    void add(const RowSpans& o) {
        y.add(o.y);
        z.add(o.z);
    }
};

// Below this many bytes of rows a grid is parsed on the calling thread alone,
// which reports its progress row by row as the progress window expects.
constexpr std::size_t kParallelRowBytes = std::size_t(4) << 20;
// Parsed text is given back to the system in pieces of about this size.
constexpr std::size_t kDropBytes = std::size_t(16) << 20;

// The rows of a grid layout, from `begin` (line `firstLine` of the file) to
// the end of the data: each non-blank line is the next row, parsed by
// parseRow(line, row, lineNumber, spans), which stores the row's values and
// returns how many columns it filled. At most
// maxRows rows are taken. Large files are cut into pieces at line ends:
// every core counts the rows of its pieces, then parses them into their
// places, giving each piece's text back to the system as it goes (nothing
// reads it again; the settings section after the data is kept).
template <class ParseRow>
void parseGridRows(ReadJob& job, const char* begin, int firstLine, std::size_t maxRows, RowSpans& spans,
                   ParseRow parseRow) {
    GridAxes& a = job.data.axes;
    const std::size_t bytes = std::size_t(job.dataEnd - begin);
    const int workers = workerCount();
    TextLine line;
    if (bytes < kParallelRowBytes || workers < 2) {
        LineCursor lines(begin, job.dataEnd);
        std::size_t row = 0;
        int lineNumber = firstLine - 1;
        while (!job.progress.stopped() && lines.next(&line)) {
            ++lineNumber;
            if (isBlank(line, job.layout)) continue;
            if (row >= maxRows) break;
            a.y.push_back(0.0);
            a.filled.push_back(0);
            a.filled[row] = parseRow(line, row, lineNumber, spans);
            ++row;
            if (job.progress.due(std::int64_t(row))) job.progress.show(double(row) / double(job.rowEstimate));
        }
        return;
    }

    // Pieces of about equal size, each starting at a line start.
    const std::size_t pieces = std::size_t(workers) * 8;
    std::vector<const char*> cut(pieces + 1, job.dataEnd);
    cut[0] = begin;
    for (std::size_t k = 1; k < pieces; ++k) {
        const char* p = std::max(begin + bytes / pieces * k, cut[k - 1]);
        const char* nl = p < job.dataEnd ? static_cast<const char*>(std::memchr(p, '\n', std::size_t(job.dataEnd - p))) : nullptr;
        cut[k] = nl ? nl + 1 : job.dataEnd;
    }
    // Rows and lines before each piece.
    std::vector<std::size_t> first(pieces + 1, 0), firstLines(pieces + 1, 0);
    forStripes(pieces, 1, [&](std::size_t b, std::size_t e) {
        for (std::size_t k = b; k < e; ++k) {
            LineCursor lines(cut[k], cut[k + 1]);
            TextLine l;
            while (lines.next(&l)) {
                first[k + 1] += !isBlank(l, job.layout);
                ++firstLines[k + 1];
            }
        }
    });
    for (std::size_t k = 0; k < pieces; ++k) {
        first[k + 1] += first[k];
        firstLines[k + 1] += firstLines[k];
    }
    const std::size_t rows = std::min(first[pieces], maxRows);
    a.y.assign(rows, 0.0);
    a.filled.assign(rows, 0);

    std::vector<RowSpans> pieceSpans(pieces);
    std::atomic<std::size_t> parsed{0};
    std::atomic<bool> stop{false};   // the user stopped the load
    forStripes(
        pieces, 1,
        [&](std::size_t b, std::size_t e) {
            for (std::size_t k = b; k < e; ++k) {
                LineCursor lines(cut[k], cut[k + 1]);
                TextLine l;
                std::size_t row = first[k], counted = first[k];
                int lineNumber = firstLine + int(firstLines[k]) - 1;
                const char* dropped = cut[k];
                while (row < rows && !stop.load(std::memory_order_relaxed) && lines.next(&l)) {
                    ++lineNumber;
                    if (isBlank(l, job.layout)) continue;
                    a.filled[row] = parseRow(l, row, lineNumber, pieceSpans[k]);
                    ++row;
                    if (lines.position() - dropped >= std::ptrdiff_t(kDropBytes)) {
                        // Whole pages only: one shared with the next piece stays.
                        dropPages(const_cast<char*>(dropped), std::size_t(lines.position() - dropped));
                        dropped = lines.position();
                        parsed.fetch_add(row - counted, std::memory_order_relaxed);
                        counted = row;
                    }
                }
                parsed.fetch_add(row - counted, std::memory_order_relaxed);
                dropPages(const_cast<char*>(dropped), std::size_t(cut[k + 1] - dropped));
            }
        },
        [&] {
            job.progress.show(double(parsed.load(std::memory_order_relaxed)) / double(job.rowEstimate));
            if (job.progress.stopped()) stop.store(true, std::memory_order_relaxed);
        });
    for (const RowSpans& p : pieceSpans) spans.add(p);
}

// Format 1: line 4 is the X header (first cell dropped, empty fields skipped),
// each later non-blank line a row: its Y, then one Z per column. Empty fields
// are skipped, values beyond the header's columns are ignored; the first row
// whose count of values is not the header's is noted in job.oddRow.
void readColumnGrid(ReadJob& job) {
    GraphData& d = job.data;
    GridAxes& a = d.axes;
    a.columnGridRules = true;
    double* z = a.z.data();
    LineCursor lines(job.dataBegin, job.dataEnd);
    TextLine line;
    d.columnCount = 0;
    d.rowCount = 0;
    if (!lines.next(&line)) return;

    Span xs;
    RowSpans spans;
    double v;
    FieldCursor header(line);
    header.skip();
    while (header.more()) {
        if (!header.next(&v)) continue;
        if (a.x.size() >= job.capacityPoints) break;
        v = datafile::placed(v);
        a.x.push_back(v);
        xs.add(v);
    }
    const std::size_t cols = a.x.size();

    const std::size_t maxRows = cols > 0 ? job.capacityPoints / cols : SIZE_MAX;
    // The header is line 4.
    parseGridRows(job, lines.position(), 5, maxRows, spans,
                  [&](const TextLine& row, std::size_t r, int lineNumber, RowSpans& s) {
        double* rowZ = z + r * cols;
        FieldCursor f(row);
        bool haveY = false;
        double value;
        std::size_t c = 0;
        while (f.more() && (!haveY || c < cols)) {
            if (!f.next(&value)) continue;
            if (!haveY) {
                haveY = true;
                a.y[r] = datafile::placed(value);
                s.y.add(a.y[r]);
                continue;
            }
            rowZ[c] = value;
            s.z.add(value);
            ++c;
        }
        if (c != cols || f.more()) noteOddRow(job, f, lineNumber, c, cols);
        return int(c);
    });
    d.columnCount = int(cols);
    d.rowCount = int(a.y.size());
    xs.storeInto(d.valueRange[RangeX]);
    spans.y.storeInto(d.valueRange[RangeY]);
    spans.z.storeInto(d.valueRange[RangeZ]);
}

// The first two non-empty fields of a line (0.0 for those missing).
void firstTwoValues(const TextLine& line, double* a, double* b) {
    FieldCursor f(line);
    double v;
    int got = 0;
    while (f.more() && got < 2) {
        if (!f.next(&v)) continue;
        (got == 0 ? *a : *b) = datafile::placed(v);
        ++got;
    }
}

// Format 4: line 4 first X and X step, line 5 first Y and Y step, then one row
// of Z values per non-blank line. The first row sets the number of columns;
// later rows' extra values are ignored. X and Y ranges follow the steps.
void readSteppedGrid(ReadJob& job) {
    GraphData& d = job.data;
    GridAxes& a = d.axes;
    double* z = a.z.data();
    LineCursor lines(job.dataBegin, job.dataEnd);
    TextLine line;
    double x0 = 0.0, dx = 0.0, y0 = 0.0, dy = 0.0;
    if (lines.next(&line)) firstTwoValues(line, &x0, &dx);
    if (lines.next(&line)) firstTwoValues(line, &y0, &dy);

    // The first non-blank row sets the columns.
    const char* rowsBegin = lines.position();
    std::size_t cols = 0;
    for (LineCursor find(rowsBegin, job.dataEnd); find.next(&line);) {
        if (isBlank(line, job.layout)) continue;
        cols = std::size_t(datafile::countNonEmptyFields(line));
        break;
    }
    cols = std::min(cols, job.capacityPoints);
    a.x.resize(cols);
    for (std::size_t c = 0; c < cols; ++c) a.x[c] = finiteOrZero(x0 + double(c) * dx);

    RowSpans spans;
    const std::size_t maxRows = cols > 0 ? job.capacityPoints / cols : SIZE_MAX;
    // X and Y steps are lines 4 and 5.
    parseGridRows(job, rowsBegin, 6, maxRows, spans, [&](const TextLine& row, std::size_t r, int, RowSpans& s) {
        double* rowZ = z + r * cols;
        a.y[r] = finiteOrZero(y0 + double(r) * dy);
        FieldCursor f(row);
        double value;
        std::size_t c = 0;
        while (f.more() && c < cols) {
            if (!f.next(&value)) continue;
            rowZ[c] = value;
            s.z.add(value);
            ++c;
        }
        return int(c);
    });
    d.columnCount = int(cols);
    d.rowCount = int(a.y.size());
    // First and last X and Y as the steps give them; a negative step leaves
    // min above max, as the file says.
    d.valueRange[RangeX] = {finiteOrZero(x0), finiteOrZero(x0 + (double(cols) - 1.0) * dx)};
    d.valueRange[RangeY] = {finiteOrZero(y0), finiteOrZero(y0 + (double(d.rowCount) - 1.0) * dy)};
    spans.z.storeInto(d.valueRange[RangeZ]);
}

// Formats 2, 3, 5, 6 (N values per point) and 7 (N = 4, ends at a "<" line):
// one point per non-blank line, empty fields read 0, extra fields are ignored.
template <int N>
void readPoints(ReadJob& job, bool pointValueList) {
    GraphData& d = job.data;
    double* values = d.pointValues.data();
    LineCursor lines(job.dataBegin, job.dataEnd);
    TextLine line;
    Span xs, ys, zs, data, lengths;
    // The progress of the point lists runs against 12 x the estimate for three
    // values per point, against the estimate otherwise; format 7 as the grids.
    const double total = pointValueList ? double(job.rowEstimate)
                                        : double(job.rowEstimate) * (N == 3 ? 12.0 : 1.0);
    std::size_t n = 0;
    while (!job.progress.stopped() && lines.next(&line)) {
        if (pointValueList && line.startsWith('<')) break;
        if (isBlank(line, job.layout)) continue;
        if (n >= job.capacityPoints) break;
        double* p = values + n * N;
        FieldCursor f(line);
        for (int k = 0; k < N && f.more(); ++k) f.next(&p[k]);
        // Z and the data value may be missing (NaN, a hole); what places the point may not.
        p[0] = datafile::placed(p[0]);
        p[1] = datafile::placed(p[1]);
        if constexpr (N >= 6)
            for (int k = 3; k < 6; ++k) p[k] = datafile::placed(p[k]);
        xs.add(p[0]);
        ys.add(p[1]);
        zs.add(p[2]);
        if constexpr (N == 4) data.add(p[3]);
        if constexpr (N == 6) lengths.add(vectorLength(p[3], p[4], p[5]));
        if constexpr (N == 7) {
            lengths.add(vectorLength(p[3], p[4], p[5]));
            data.add(p[6]);
        }
        ++n;
        if (job.progress.due(std::int64_t(n))) {
            if (pointValueList) job.progress.show(double(n) / total);
            else job.progress.show(std::floor(double(n) / 6.0) / total);
        }
    }
    d.pointCount = int(n);

    if constexpr (N == 3 || N == 4) {
        if (!pointValueList && !job.progress.stopped()) {
            // The progress of the sort runs from total / 6 in steps of 10 per point.
            job.progress.show(std::floor(total / 6.0) / total);
            datafile::sortPointsByYThenX(values, n, N, job.scratch, job.scratchBytes);
            job.progress.show((std::floor(total / 6.0) + 10.0 * double(n)) / total);
            datafile::groupRows(d, n);
        }
    }

    xs.storeInto(d.valueRange[RangeX]);
    ys.storeInto(d.valueRange[RangeY]);
    zs.storeInto(d.valueRange[RangeZ]);
    if constexpr (N == 4) data.storeInto(d.valueRange[RangeData]);
    if constexpr (N == 6) {
        lengths.storeInto(d.valueRange[RangeData]);
        lengths.storeInto(d.valueRange[RangeVector]);
    }
    if constexpr (N == 7) {
        lengths.storeInto(d.valueRange[RangeVector]);
        data.storeInto(d.valueRange[RangeData]);
    }
}

void readPointList(ReadJob& job, int valuesPerPoint) {
    switch (valuesPerPoint) {
        case 3: readPoints<3>(job, false); break;
        case 4: readPoints<4>(job, false); break;
        case 6: readPoints<6>(job, false); break;
        case 7: readPoints<7>(job, false); break;
    }
}

void readPointValueList(ReadJob& job) { readPoints<4>(job, true); }

}  // namespace

DataRead readDataText(FileBytes& bytes, GraphData& d, const ReadProgress& progressSink) {
    DataRead result;
    int format = d.dataFormat;
    FileLayout layout = measureFile(bytes, d.dataFormat, &format);
    d.dataFormat = format;
    d.valuesPerPoint = valuesPerPointOf(format);

    // The old array goes first, so that both never need memory at once. The
    // point count must stay within int: every count and index of the data set
    // is one. The grid layouts hold Z alone per point (GridAxes).
    d.releasePoints();
    const Layout kind = layoutOf(format);
    const bool byAxes = kind == Layout::ColumnGrid || kind == Layout::SteppedGrid;
    PointBuffer& values = byAxes ? d.axes.z : d.pointValues;
    std::int64_t capacityPoints = 0;
    bool fits = !__builtin_mul_overflow(layout.capacityRows, layout.capacityColumns, &capacityPoints) &&
                capacityPoints <= INT_MAX &&
                values.allocate(std::size_t(capacityPoints) * std::size_t(byAxes ? 1 : d.valuesPerPoint));
    auto outOfMemory = [&] {
        d.releasePoints();
        d.dataLoaded = false;
        d.rowCount = d.columnCount = d.pointCount = 0;
        result.fits = false;
        return result;
    };
    if (!fits) return outOfMemory();

    adviseHugePages(values.data(), values.size() * sizeof(double));

    const std::int64_t estimate = layout.rowEstimate * layout.columnEstimate;
    if (progressSink.begin) progressSink.begin(estimate > 1500);
    for (ValueRange& r : d.valueRange) r.reset();
    d.dataKind = Grid;
    d.rowCount = d.columnCount = d.pointCount = 0;

    LoadProgress progress(progressSink, layout.rowEstimate);
    ReadJob job{d, progress, kind, layout.dataBegin, layout.dataEnd, layout.rowEstimate,
                std::size_t(capacityPoints), bytes.data(), std::size_t(layout.dataEnd - bytes.begin()),
                &result.oddRow};
    try {
        switch (kind) {
            case Layout::ColumnGrid: readColumnGrid(job); break;
            case Layout::SteppedGrid: readSteppedGrid(job); break;
            case Layout::PointList: readPointList(job, d.valuesPerPoint); break;
            case Layout::PointValueList: readPointValueList(job); break;
        }
    } catch (const std::bad_alloc&) {
        return outOfMemory();   // the X and Y of a grid's columns and rows, or a thread
    } catch (const std::system_error&) {
        return outOfMemory();
    }
    if (kind == Layout::ColumnGrid || kind == Layout::SteppedGrid) {
        d.pointCount = d.rowCount * d.columnCount;
    } else if (format != 2 && format != 3) {
        // Lists without rows keep the sizing estimate here, as the array is laid out.
        d.dataKind = format == 7 ? PointValues : Vectors;
        d.rowCount = int(layout.rowEstimate);
        d.columnCount = int(layout.columnEstimate);
    }
    if (progress.stopped()) {
        d.dataLoaded = false;
        result.stopped = true;
        return result;
    }
    d.dataLoaded = true;
    if (layout.hasSettings)
        result.settingsSection = std::string_view(layout.dataEnd, std::size_t(bytes.end() - layout.dataEnd));
    return result;
}

}  // namespace kelvra
