// The data file writer (File/Save): the data set in the layout of its format,
// followed by the current settings, so that opening the file restores both the
// data and the look of the graph. The text is made in pieces of about a
// megabyte and streamed into a new file beside the target, which replaces the
// target only when complete; a failed save leaves the old file as it was.
#include "data/dataWriter.h"

#include <algorithm>
#include <string>

#include "base/appInfo.h"
#include "base/cp932.h"
#include "base/fileIo.h"
#include "base/numberText.h"

namespace kelvra {
namespace {

constexpr const char* kEol = "\r\n";
constexpr std::size_t kChunk = 1 << 20;

// Lines go into a buffer that is handed to the file whenever it grows past
// kChunk; after a failed write everything else is dropped.
class DataText {
public:
    explicit DataText(SafeFileWriter& out) : out_(out) { buf_.reserve(kChunk + 4096); }
    std::string& buf() { return buf_; }
    // "%e"; a missing value (a hole) as "nan", which reads back as one.
    void number(double v) {
        if (v != v) buf_ += "nan";
        else appendExponent(buf_, v, 6);
    }
    void endLine() {
        buf_ += kEol;
        if (buf_.size() >= kChunk) flush();
    }
    bool flush() {
        ok_ = ok_ && out_.write(buf_);
        buf_.clear();
        return ok_;
    }
    bool ok() const { return ok_; }

private:
    SafeFileWriter& out_;
    std::string buf_;
    bool ok_ = true;
};

// Z of grid point (r, c), straight from the layout that holds it.
double zAt(const GraphData& d, int r, int c) {
    return d.heldByAxes() ? d.axesZ(r, c) : d.point(std::size_t(r) * std::size_t(d.columnCount) + std::size_t(c))[2];
}

// Format 1, a column grid: the X header (each X after a comma, so the line
// begins with one), then per row its Y and a comma before each Z.
void writeColumnGrid(const GraphData& d, int rows, DataText& t) {
    for (int c = 0; c < d.columnCount; ++c) {
        t.buf() += ',';
        t.number(d.gridPointAt(0, c)[0]);
    }
    t.endLine();
    for (int r = 0; r < rows && t.ok(); ++r) {
        t.number(d.gridPointAt(r, 0)[1]);
        for (int c = 0; c < d.columnCount; ++c) {
            t.buf() += ',';
            t.number(zAt(d, r, c));
        }
        t.endLine();
    }
}

// Format 4, a stepped grid: first X and X step, first Y and Y step, then the
// Z rows. A grid of one column (or row) has no step; 0 reads back the same.
void writeSteppedGrid(const GraphData& d, int rows, DataText& t) {
    const PointRecord origin = d.gridPointAt(0, 0);
    double stepX = d.columnCount > 1 ? d.gridPointAt(0, 1)[0] - origin[0] : 0.0;
    double stepY = rows > 1 ? d.gridPointAt(1, 0)[1] - origin[1] : 0.0;
    t.number(origin[0]);
    t.buf() += ',';
    t.number(stepX);
    t.endLine();
    t.number(origin[1]);
    t.buf() += ',';
    t.number(stepY);
    t.endLine();
    for (int r = 0; r < rows && t.ok(); ++r) {
        for (int c = 0; c < d.columnCount; ++c) {
            if (c > 0) t.buf() += ',';
            t.number(zAt(d, r, c));
        }
        t.endLine();
    }
}

// Formats 2, 3, 5, 6 and 7: one point per line, all its values, in the order
// held (formats 2 and 3 are held sorted by Y, then X).
void writePointList(const GraphData& d, int points, DataText& t) {
    for (int p = 0; p < points && t.ok(); ++p) {
        const PointRecord values = d.pointAt(std::size_t(p));
        for (int i = 0; i < d.valuesPerPoint; ++i) {
            if (i > 0) t.buf() += ',';
            t.number(values[i]);
        }
        t.endLine();
    }
}

// Rows (or points) that the data set really holds, so that a data set whose
// counts disagree with what it holds is never read beyond it.
int heldCount(const GraphData& d, int wanted, std::size_t pointsEach) {
    if (wanted <= 0 || pointsEach == 0) return 0;
    std::size_t held = d.storedPoints() / pointsEach;
    return int(std::min<std::size_t>(std::size_t(wanted), held));
}

// The settings text without its first two lines (the title line and the empty
// line after it), so that it begins with the first section header.
std::string_view settingsSection(std::string_view settingsText) {
    std::size_t first = settingsText.find('\n');
    if (first == std::string_view::npos) return {};
    std::size_t second = settingsText.find('\n', first + 1);
    if (second == std::string_view::npos) return {};
    return settingsText.substr(second + 1);
}

}  // namespace

int savedFormat(const GraphData& d) { return d.dataFormat >= 1 && d.dataFormat <= 7 ? d.dataFormat : 1; }

bool writeDataFile(const GraphData& d, const std::string& path, std::string_view settingsText, int* error) {
    *error = 0;
    if (!d.dataLoaded || d.pointCount <= 0 || d.storedPoints() == 0) return false;   // nothing to save

    // Format numbers the reader knows nothing of were read as a column grid;
    // they are saved as one, under the number 1.
    const int format = savedFormat(d);
    bool grid = format == 1 || format == 4;
    if (grid && (d.columnCount <= 0 || d.dataKind != Grid)) return false;

    SafeFileWriter out(path);
    if (!out.ok()) {
        *error = out.error();
        return false;
    }
    DataText t(out);
    t.buf() += sj("ﾃﾞｰﾀ形式,") + std::to_string(format) + kEol;
    t.buf() += std::string(kAppTitle) + kEol;
    t.buf() += kEol;
    if (grid) {
        int rows = heldCount(d, d.rowCount, std::size_t(d.columnCount));
        if (format == 1) writeColumnGrid(d, rows, t);
        else writeSteppedGrid(d, rows, t);
    } else {
        writePointList(d, heldCount(d, d.pointCount, 1), t);
        // The points of format 7 end at a line beginning with "<".
        if (format == 7) {
            t.buf() += '<';
            t.endLine();
        }
    }
    t.buf() += kEol;
    t.flush();
    std::string_view section = settingsSection(settingsText);
    if (t.ok() && out.write(section) && out.commit()) return true;
    *error = out.error();
    return false;
}

}  // namespace kelvra
