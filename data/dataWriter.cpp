// The data file writer (File/Save): the data set in the layout of its format,
// followed by the current settings, so that opening the file restores both the
// data and the look of the graph. The text is made in pieces of about a
// megabyte and streamed into a new file beside the target, which replaces the
// target only when complete; a failed save leaves the old file as it was.
#include <algorithm>
#include <string>

#include "base/appInfo.h"
#include "base/cp932.h"
#include "base/fileFilter.h"
#include "base/fileIo.h"
#include "view/kelvraView.h"
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
    void number(double v) { appendExponent(buf_, v, 6); }   // "%e"
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

// Format 1, a column grid: the X header (each X after a comma, so the line
// begins with one), then per row its Y and a comma before each Z.
void writeColumnGrid(const CKelvraView& v, int rows, DataText& t) {
    for (int c = 0; c < v.columnCount; ++c) {
        t.buf() += ',';
        t.number(v.gridPoint(0, c)[0]);
    }
    t.endLine();
    for (int r = 0; r < rows && t.ok(); ++r) {
        t.number(v.gridPoint(r, 0)[1]);
        for (int c = 0; c < v.columnCount; ++c) {
            t.buf() += ',';
            t.number(v.gridPoint(r, c)[2]);
        }
        t.endLine();
    }
}

// Format 4, a stepped grid: first X and X step, first Y and Y step, then the
// Z rows. A grid of one column (or row) has no step; 0 reads back the same.
void writeSteppedGrid(const CKelvraView& v, int rows, DataText& t) {
    const double* origin = v.gridPoint(0, 0);
    double stepX = v.columnCount > 1 ? v.gridPoint(0, 1)[0] - origin[0] : 0.0;
    double stepY = rows > 1 ? v.gridPoint(1, 0)[1] - origin[1] : 0.0;
    t.number(origin[0]);
    t.buf() += ',';
    t.number(stepX);
    t.endLine();
    t.number(origin[1]);
    t.buf() += ',';
    t.number(stepY);
    t.endLine();
    for (int r = 0; r < rows && t.ok(); ++r) {
        for (int c = 0; c < v.columnCount; ++c) {
            if (c > 0) t.buf() += ',';
            t.number(v.gridPoint(r, c)[2]);
        }
        t.endLine();
    }
}

// Formats 2, 3, 5, 6 and 7: one point per line, all its values, in the order
// held (formats 2 and 3 are held sorted by Y, then X).
void writePointList(const CKelvraView& v, int points, DataText& t) {
    for (int p = 0; p < points && t.ok(); ++p) {
        const double* values = v.point(std::size_t(p));
        for (int i = 0; i < v.valuesPerPoint; ++i) {
            if (i > 0) t.buf() += ',';
            t.number(values[i]);
        }
        t.endLine();
    }
}

// Rows (or points) that the point buffer really holds, so that a data set
// whose counts disagree with its buffer is never read beyond it.
int heldCount(const CKelvraView& v, int wanted, std::size_t valuesEach) {
    if (wanted <= 0 || valuesEach == 0) return 0;
    std::size_t held = v.pointValues.size() / valuesEach;
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

int CKelvraView::writeDataFile(const std::string& path, const std::string& settingsText) {
    // The system's reason goes with the message when there is one.
    auto failed = [this](int error = 0) {
        host().showMessageWithReason(sj("ﾃﾞｰﾀﾌｧｲﾙの保存が出来ません"), systemReason(error));
        return 1;
    };
    if (!dataLoaded || pointValues.empty()) return failed();   // nothing to save

    // Format numbers the reader knows nothing of were read as a column grid;
    // they are saved as one, under the number 1.
    int format = dataFormat >= 1 && dataFormat <= 7 ? dataFormat : 1;
    bool grid = format == 1 || format == 4;
    std::size_t vpp = std::size_t(valuesPerPoint);
    if (grid && (columnCount <= 0 || dataKind != Grid)) return failed();

    SafeFileWriter out(path);
    if (!out.ok()) return failed(out.error());
    DataText t(out);
    t.buf() += sj("ﾃﾞｰﾀ形式,") + std::to_string(format) + kEol;
    t.buf() += std::string(kAppTitle) + kEol;
    t.buf() += kEol;
    if (grid) {
        int rows = heldCount(*this, rowCount, std::size_t(columnCount) * vpp);
        if (format == 1) writeColumnGrid(*this, rows, t);
        else writeSteppedGrid(*this, rows, t);
    } else {
        writePointList(*this, heldCount(*this, pointCount, vpp), t);
        // The points of format 7 end at a line beginning with "<".
        if (format == 7) {
            t.buf() += '<';
            t.endLine();
        }
    }
    t.buf() += kEol;
    t.flush();
    std::string_view section = settingsSection(settingsText);
    bool written = t.ok() && out.write(section) && out.commit();
    if (!written) return failed(out.error());

    dataFormat = format;
    dataFileTitle = fileTitleOf(path);
    dataFilePath = path;
    host().setCaption(dataFileTitle + " - " + kAppTitle);
    return 0;
}

bool CKelvraView::saveDataCommand() {
    if (!dataLoaded) {
        host().showMessage(sj("ﾃﾞｰﾀﾌｧｲﾙの保存が出来ません"));
        return false;
    }
    FileDialogRequest request;
    request.kind = FileDialogKind::DataSave;
    request.save = true;
    request.title = sj("ｸﾞﾗﾌﾃﾞｰﾀの保存");
    request.filters = {{sj("ﾃﾞｰﾀﾌｧｲﾙ (*.csv)"), "*.csv"}, allFilesFilter()};
    request.initialName = dataFileTitle;
    request.initialFolder = folderOf(dataFilePath);
    request.confirmOverwrite = true;
    std::optional<std::string> path = host().askFileName(request);
    if (!path) return false;
    return writeDataFile(*path, settingsText()) == 0;
}

}  // namespace kelvra
