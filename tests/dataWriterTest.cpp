// The data file writer: the lines of every layout ("%e" numbers, format 7
// ended by "<", unknown format numbers saved as a column grid under 1), each
// saved file reopened into the same data and settings, numbers free of the
// locale, what becomes the current data file, saves that fail without harming
// the old file, and the files kelvra-render writes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <numeric>
#include <string>
#include <tuple>
#include <vector>

#include "base/cp932.h"
#include "base/fileIo.h"
#include "base/headlessHost.h"
#include "view/kelvraView.h"
#include "support/drawInput.h"
#include "support/commaLocale.h"
#include "support/renderRun.h"
#include "support/testFiles.h"

namespace kelvra {
namespace {

using test::cp932;
using test::readFile;
using V = std::vector<double>;

// The first `count` values of the data set, point after point, in whichever layout it holds them.
V valuesOf(const GraphData& d, std::size_t count) {
    V out;
    for (std::size_t p = 0; out.size() < count && p < d.storedPoints(); ++p) {
        const PointRecord values = d.pointAt(p);
        for (int i = 0; i < d.valuesPerPoint && out.size() < count; ++i) out.push_back(values[i]);
    }
    return out;
}

const V kGrid = {1, 10, 10, 2, 10, 20, 1, 20, 20, 2, 20, 40};   // X 1, 2 along a row; Y 10, 20; Z = X * Y
const char kCannotSave[] = "ﾃﾞｰﾀﾌｧｲﾙの保存が出来ません";

// The values as "%e" writes them in the "C" locale, separated by commas.
std::string e(const V& values) {
    std::string line;
    char text[32];
    for (double v : values) {
        line += line.empty() ? "" : ",";
        line.append(text, std::to_chars(text, text + sizeof text, v, std::chars_format::scientific, 6).ptr);
    }
    return line;
}

long files(const std::string& folder) { return std::distance(std::filesystem::directory_iterator(folder), {}); }

struct View {
    View() { host.printMessages = false; }
    HeadlessHost host;
    CKelvraView view{host};
};

class Writer : public ::testing::Test, public View {
protected:
    // Puts `values` into the view as the reader of `format` leaves them: a grid of
    // columns x rows, or a list when columns is 0.
    void set(int format, int columns, int rows, const V& values) {
        view.data.dataFormat = format;
        view.data.valuesPerPoint = format == 3 || format == 7 ? 4 : format == 5 ? 6 : format == 6 ? 7 : 3;
        view.data.dataKind = columns ? Grid : format == 7 ? PointValues : Vectors;
        std::tie(view.data.columnCount, view.data.rowCount) = std::tuple(columns, rows);
        view.data.pointCount = int(values.size()) / view.data.valuesPerPoint;
        ASSERT_TRUE(view.data.pointValues.allocate(values.size()));
        std::copy(values.begin(), values.end(), view.data.pointValues.data());
        view.data.dataLoaded = true;
    }
    test::ScratchDir dir;
};

// Under a comma-decimal locale when the system has one: the numbers must not follow it.
TEST_F(Writer, EachLayoutSavesItsLinesAndReopensAsItWas) {
    test::RestoreCNumericLocale restore;
    test::useCommaDecimalLocale(dir.path());
    // Settings away from their defaults, so that reopening shows they were read back.
    view.settings.titleText = cp932("往復の試験 ①");
    view.settings.viewZoom = 140;
    view.settings.barSizeX = 0.5;
    view.settings.wireColorX = {0.25, 0, 0};
    const std::vector<std::string> gridLines = {",1.000000e+00,2.000000e+00", e({10, 10, 20}), e({20, 20, 40})};
    struct Case {
        int format, savedAs, columns, rows;
        V values;
        std::vector<std::string> lines;
    } cases[] = {
        {1, 1, 2, 2, kGrid, gridLines},
        {4, 4, 3, 2, {0, -1, 1, .5, -1, 2, 1, -1, 3, 0, 1, -4, .5, 1, 5e-7, 1, 1, 6e10},
         {"0.000000e+00,5.000000e-01", e({-1, 2}), e({1, 2, 3}), e({-4, 5e-7, 6e10})}},
        {4, 4, 1, 1, {3, 4, 5}, {e({3, 0}), e({4, 0}), e({5})}},   // one column and one row have no step
        {2, 2, 1, 2, {-1, -2, -3, 1, 2, 3}, {e({-1, -2, -3}), e({1, 2, 3})}},
        {3, 3, 1, 2, {-1, -2, -3, -4, 1, 2, 3, 4}, {e({-1, -2, -3, -4}), e({1, 2, 3, 4})}},
        {5, 5, 0, 0, {1, 2, 3, 4, 5, 6}, {e({1, 2, 3, 4, 5, 6})}},
        {6, 6, 0, 0, {1, 2, 3, 4, 5, 6, .25}, {e({1, 2, 3, 4, 5, 6, .25})}},
        // Decided: format 7 is saved too, ended by the "<" line its reader stops at.
        {7, 7, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8}, {e({1, 2, 3, 4}), e({5, 6, 7, 8}), "<"}},
        // Decided: numbers the reader reads as a column grid are saved as one, under 1.
        {9, 1, 2, 2, kGrid, gridLines},
        {0, 1, 2, 2, kGrid, gridLines},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        set(c.format, c.columns, c.rows, c.values);
        view.layoutAnchoredOverlays();   // as a load leaves the settings
        test::recompute(view, true);
        std::string settings = view.settingsText();
        EXPECT_NE(settings.find(cp932("X方向 = 0.500\r\n")), std::string::npos);
        EXPECT_NE(settings.find(cp932("X軸 = 0.250000, 0.000000, 0.000000\r\n")), std::string::npos);
        std::string expected = cp932("ﾃﾞｰﾀ形式,") + std::to_string(c.savedAs) + "\r\nKelvra ver.1.52\r\n\r\n";
        for (const std::string& line : c.lines) expected += line + "\r\n";
        expected += "\r\n" + settings.substr(settings.find(cp932("[グラフの設定]")));
        ASSERT_TRUE(view.writeDataFile(dir.file("saved.csv"), settings));
        EXPECT_EQ(readFile(dir.file("saved.csv")), expected);
        EXPECT_EQ(view.data.dataFormat, c.savedAs);   // the number of the file now current

        View opened;
        ASSERT_TRUE(opened.view.loadDataFile(dir.file("saved.csv"), false));
        EXPECT_EQ(std::tuple(opened.view.data.dataFormat, opened.view.data.dataKind, opened.view.data.pointCount),
                  std::tuple(c.savedAs, view.data.dataKind, view.data.pointCount));
        EXPECT_EQ(valuesOf(opened.view.data, c.values.size()), c.values);
        EXPECT_EQ(cp932ToUtf8(opened.view.settingsText()), cp932ToUtf8(settings));
    }
}

// Decided: with no data the save says so, and the command asks for no name.
TEST_F(Writer, SavedFileBecomesTheCurrentOneAndNothingLoadedIsReported) {
    host.fileAnswers = {"", dir.file("名前.csv")};
    EXPECT_FALSE(view.writeDataFile(dir.file("out.csv"), view.settingsText()));
    EXPECT_FALSE(view.saveDataCommand());
    EXPECT_EQ(host.messages, std::vector(2, cp932(kCannotSave)));
    set(1, 2, 2, kGrid);
    EXPECT_FALSE(view.saveDataCommand());   // cancelled: nothing written
    EXPECT_EQ(files(dir.path()), 0);
    EXPECT_TRUE(view.saveDataCommand());
    // A name on disk in UTF-8 is shown in CP932 like every other text.
    EXPECT_EQ(std::tuple(view.data.dataFileTitle, view.data.dataFilePath), std::tuple(cp932("名前.csv"), dir.file("名前.csv")));
    EXPECT_EQ(host.caption, cp932("名前.csv") + " - Kelvra ver.1.52");
}

// A save writes a new file beside the target and renames it over the target only
// when complete: a fault half-way, a read-only folder or a folder as the target is
// reported and leaves the old file byte for byte, and no other file.
TEST_F(Writer, FailedSaveIsReportedAndKeepsTheOldFileByteForByte) {
    std::string folder = dir.file("ro"), path = folder + "/data.csv", old(256 * 64, 0);
    std::iota(old.begin(), old.end(), 0);   // every byte value
    std::filesystem::create_directory(folder);
    test::writeFile(path, old);
    set(1, 300, 300, V(300 * 300 * 3, 1.5));   // about 1.2 MB, written in several pieces
    for (long long failAfter : {0LL, 10LL, 700000LL, 1100000LL}) {
        setSafeWriteFaultAfter(failAfter);
        EXPECT_FALSE(view.writeDataFile(path, view.settingsText())) << failAfter;
        setSafeWriteFaultAfter(-1);
    }
    EXPECT_FALSE(view.writeDataFile(folder, view.settingsText()));
    EXPECT_EQ(host.messages, std::vector(5, cp932(kCannotSave)));
    chmod(dir.path().c_str(), 0755);   // so that the unprivileged child reaches the read-only folder
    chmod(folder.c_str(), 0555);
    test::expectTrueAsUnprivilegedChild([&] {
        return !view.writeDataFile(path, view.settingsText()) && host.messages.size() == 6;
    });
    EXPECT_TRUE(readFile(path) == old);
    EXPECT_EQ(std::tuple(files(folder), files(dir.path()), view.data.dataFileTitle), std::tuple(1, 1, "newfile"));
    chmod(folder.c_str(), 0755);
    EXPECT_TRUE(view.writeDataFile(path, view.settingsText()));   // a save that can go through does
    EXPECT_GT(readFile(path).size(), 1100000u);
}

TEST_F(Writer, FilesKelvraRenderWritesReopenToWhatItHadLoaded) {
    std::string data = test::sourcePath("examples/surface.csv");
    std::string settings = test::sourcePath("examples/surface-settings.txt");
    std::string s = dir.file("s.txt"), d = dir.file("d.csv");
    auto r = test::runRender({data, "-s", settings, "--write-settings", s, "--write-data", d}, dir.path());
    ASSERT_EQ(r.status, 0) << r.err;
    View fromData, fromSettings;
    ASSERT_TRUE(view.loadDataFile(data, false) && view.loadSettingsFile(settings));
    ASSERT_TRUE(fromData.view.loadDataFile(d, false));
    ASSERT_TRUE(fromSettings.view.loadDataFile(data, false) && fromSettings.view.loadSettingsFile(s));
    auto values = [](const CKelvraView& v) {
        return e(valuesOf(v.data, std::size_t(v.data.pointCount) * std::size_t(v.data.valuesPerPoint)));
    };
    EXPECT_EQ(values(fromData.view), values(view));   // to the seven digits of "%e"
    auto look = [](const CKelvraView& v) { return cp932ToUtf8(v.settingsText()); };
    EXPECT_EQ(look(fromData.view), look(view));
    EXPECT_EQ(look(fromSettings.view), look(view));
}

// A data file without settings, saved with its look and drawn again, gives the
// same picture: the legend and the axis indicator were laid out for the
// picture only once a settings section said so.
TEST_F(Writer, ADataFileSavedWithItsLookDrawsTheSamePicture) {
    const std::string data = test::sourcePath("examples/surface.csv");
    const std::string d = dir.file("d.csv"), a = dir.file("a.bmp"), b = dir.file("b.bmp");
    auto r = test::runRender({data, "-o", a, "--write-data", d}, dir.path());
    ASSERT_EQ(r.status, 0) << r.err;
    r = test::runRender({d, "-o", b}, dir.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(readFile(a) == readFile(b));
}

}  // namespace
}  // namespace kelvra
