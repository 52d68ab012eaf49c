// The data file writer: the exact bytes of each layout (format line, title,
// "%e" numbers, the settings appended from their first section on), what
// becomes the current data file, and saves that fail (nothing to save, a
// read-only folder, a fault half-way) without harming the old file.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "core/cp932.h"
#include "core/fileIo.h"
#include "core/headlessHost.h"
#include "core/kelvraView.h"
#include "support/testFiles.h"

namespace kelvra {
namespace {

using test::cp932;
using test::readFile;
using test::ScratchDir;
using test::writeFile;

class RecordingHost : public HeadlessHost {
public:
    RecordingHost() { printMessages = false; }
    std::optional<std::string> askFileName(const FileDialogRequest& request) override {
        dialogs.push_back(request);
        return HeadlessHost::askFileName(request);
    }
    std::vector<FileDialogRequest> dialogs;
};

struct ViewFixture {
    RecordingHost host;
    CKelvraView view{host};
};

// Loads `values` (valuesPerPoint per point) into the view as a data file of
// `format` would have left them.
void setData(CKelvraView& v, int format, int valuesPerPoint, int dataKind, int columns, int rows,
             const std::vector<double>& values) {
    v.dataFormat = format;
    v.valuesPerPoint = valuesPerPoint;
    v.dataKind = dataKind;
    v.columnCount = columns;
    v.rowCount = rows;
    v.pointCount = int(values.size()) / valuesPerPoint;
    ASSERT_TRUE(v.pointValues.allocate(values.size()));
    std::copy(values.begin(), values.end(), v.pointValues.data());
    v.dataLoaded = true;
}

// A 2 x 2 grid: X 1, 2 along the columns, Y 10, 20 down the rows, Z = X * Y.
void setSmallGrid(CKelvraView& v, int format) {
    setData(v, format, 3, Grid, 2, 2, {1, 10, 10, 2, 10, 20, 1, 20, 20, 2, 20, 40});
}

std::string header(int format) {
    return cp932("ﾃﾞｰﾀ形式,") + std::to_string(format) + "\r\nKelvra ver.1.52\r\n\r\n";
}

// The settings as the data file carries them: from "[グラフの設定]" on.
std::string settingsSection(const CKelvraView& v) {
    std::string text = v.settingsText();
    std::size_t start = text.find(cp932("[グラフの設定]"));
    return start == std::string::npos ? std::string() : text.substr(start);
}

std::string saved(CKelvraView& v, const ScratchDir& dir) {
    EXPECT_EQ(v.writeDataFile(dir.file("out.csv"), v.settingsText()), 0);
    return readFile(dir.file("out.csv"));
}

std::vector<std::string> entries(const std::string& folder) {
    std::vector<std::string> names;
    for (auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// ---- layouts ----------------------------------------------------------------------

TEST(DataWriterLayout, ColumnGridWritesTheXHeaderThenOneLinePerRow) {
    ScratchDir dir;
    ViewFixture f;
    setSmallGrid(f.view, 1);
    std::string expected = header(1) +
                           ",1.000000e+00,2.000000e+00\r\n"
                           "1.000000e+01,1.000000e+01,2.000000e+01\r\n"
                           "2.000000e+01,2.000000e+01,4.000000e+01\r\n"
                           "\r\n" +
                           settingsSection(f.view);
    EXPECT_EQ(saved(f.view, dir), expected);
    EXPECT_TRUE(f.host.messages.empty());
}

TEST(DataWriterLayout, SteppedGridWritesFirstValuesAndStepsThenTheZRows) {
    ScratchDir dir;
    ViewFixture f;
    setData(f.view, 4, 3, Grid, 3, 2, {0, -1, 1, 0.5, -1, 2, 1, -1, 3, 0, 1, -4, 0.5, 1, 5e-7, 1, 1, 6e10});
    std::string expected = header(4) +
                           "0.000000e+00,5.000000e-01\r\n"
                           "-1.000000e+00,2.000000e+00\r\n"
                           "1.000000e+00,2.000000e+00,3.000000e+00\r\n"
                           "-4.000000e+00,5.000000e-07,6.000000e+10\r\n"
                           "\r\n" +
                           settingsSection(f.view);
    EXPECT_EQ(saved(f.view, dir), expected);
}

TEST(DataWriterLayout, SteppedGridOfOneColumnAndRowHasNoSteps) {
    ScratchDir dir;
    ViewFixture f;
    setData(f.view, 4, 3, Grid, 1, 1, {3, 4, 5});
    EXPECT_EQ(saved(f.view, dir), header(4) + "3.000000e+00,0.000000e+00\r\n4.000000e+00,0.000000e+00\r\n"
                                              "5.000000e+00\r\n\r\n" + settingsSection(f.view));
}

TEST(DataWriterLayout, PointListsWriteEveryValueOfEachPointInOrder) {
    struct Case {
        int format, valuesPerPoint, kind;
        const char* line;   // the one point's line
    } cases[] = {
        {2, 3, Scattered, "1.000000e+00,2.000000e+00,3.000000e+00"},
        {3, 4, Scattered, "1.000000e+00,2.000000e+00,3.000000e+00,4.000000e+00"},
        {5, 6, Vectors, "1.000000e+00,2.000000e+00,3.000000e+00,4.000000e+00,5.000000e+00,6.000000e+00"},
        {6, 7, Vectors,
         "1.000000e+00,2.000000e+00,3.000000e+00,4.000000e+00,5.000000e+00,6.000000e+00,7.000000e+00"},
    };
    for (const Case& c : cases) {
        ScratchDir dir;
        ViewFixture f;
        std::vector<double> values;
        for (int p = 0; p < 2; ++p)
            for (int i = 0; i < c.valuesPerPoint; ++i) values.push_back(p == 0 ? i + 1 : -(i + 1) * 0.25);
        setData(f.view, c.format, c.valuesPerPoint, c.kind, 0, 0, values);
        std::string second;
        for (int i = 0; i < c.valuesPerPoint; ++i) {
            char buf[32];
            std::snprintf(buf, sizeof buf, "%s%e", i ? "," : "", -(i + 1) * 0.25);
            second += buf;
        }
        std::string expected = header(c.format) + c.line + "\r\n" + second + "\r\n\r\n" + settingsSection(f.view);
        EXPECT_EQ(saved(f.view, dir), expected) << "format " << c.format;
    }
}

TEST(DataWriterLayout, PointValueListIsSavedAndEndedForTheReader) {
    ScratchDir dir;
    ViewFixture f;
    setData(f.view, 7, 4, PointValues, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8});
    std::string expected = header(7) +
                           "1.000000e+00,2.000000e+00,3.000000e+00,4.000000e+00\r\n"
                           "5.000000e+00,6.000000e+00,7.000000e+00,8.000000e+00\r\n"
                           "<\r\n"
                           "\r\n" +
                           settingsSection(f.view);
    EXPECT_EQ(saved(f.view, dir), expected);
}

TEST(DataWriterLayout, UnknownFormatNumbersAreSavedAsAColumnGridUnderNumberOne) {
    for (int format : {9, 0, -1}) {
        ScratchDir dir;
        ViewFixture f;
        setSmallGrid(f.view, format);
        std::string text = saved(f.view, dir);
        std::string start = header(1) + ",1.000000e+00,2.000000e+00\r\n";
        EXPECT_EQ(text.substr(0, start.size()), start) << format;
        EXPECT_EQ(f.view.dataFormat, 1) << format;
    }
}

// Makes a locale whose decimal point is a comma (as a German user's is) in
// `dir` and selects it for numbers. False when the system cannot build one.
bool useDecimalCommaLocale(const ScratchDir& dir) {
    writeFile(dir.file("comma"), "LC_NUMERIC\ndecimal_point \",\"\nthousands_sep \".\"\ngrouping 3;3\nEND LC_NUMERIC\n");
    std::string command = "localedef -c -i '" + dir.file("comma") + "' -f UTF-8 '" + dir.file("xx_XX.UTF-8") +
                          "' >/dev/null 2>&1";
    if (std::system(command.c_str()) == -1) return false;
    setenv("LOCPATH", dir.path().c_str(), 1);
    if (!std::setlocale(LC_NUMERIC, "xx_XX.UTF-8")) return false;
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    return std::string(probe) == "1,5";
}

TEST(DataWriterLayout, NumbersDoNotFollowTheLocale) {
    ScratchDir dir;
    bool comma = useDecimalCommaLocale(dir);
    ViewFixture f;
    setSmallGrid(f.view, 1);
    f.view.barSizeX = 0.5;
    f.view.wireColorX = {0.25, 0, 0};
    std::string text = comma ? saved(f.view, dir) : "";
    f.view.applySettingsText(cp932("[線，点の設定]\n 棒ｸﾞﾗﾌの大きさ：Y方向 = 1.5\n"), 2500);
    std::setlocale(LC_NUMERIC, "C");
    unsetenv("LOCPATH");
    if (!comma) GTEST_SKIP() << "no locale with a decimal comma could be made";
    EXPECT_NE(text.find(",1.000000e+00,2.000000e+00\r\n"), std::string::npos);
    EXPECT_NE(text.find(cp932("X方向 = 0.500\r\n")), std::string::npos);
    EXPECT_NE(text.find(cp932("X軸 = 0.250000, 0.000000, 0.000000\r\n")), std::string::npos);
    EXPECT_DOUBLE_EQ(f.view.barSizeY, 1.5);
}

// ---- the current data file ----------------------------------------------------------------

TEST(DataWriterCurrentFile, SavedFileBecomesTheCurrentOne) {
    ScratchDir dir;
    ViewFixture f;
    setSmallGrid(f.view, 1);
    std::string path = dir.file(cp932("新しい.csv"));
    ASSERT_EQ(f.view.writeDataFile(path, f.view.settingsText()), 0);
    EXPECT_EQ(f.view.dataFileTitle, cp932("新しい.csv"));
    EXPECT_EQ(f.view.dataFilePath, path);
    EXPECT_EQ(f.host.caption, cp932("新しい.csv") + " - Kelvra ver.1.52");
    // A name on disk in UTF-8 is shown in CP932 like every other text.
    std::string utf8Path = dir.file("名前.csv");
    ASSERT_EQ(f.view.writeDataFile(utf8Path, f.view.settingsText()), 0);
    EXPECT_EQ(f.view.dataFileTitle, cp932("名前.csv"));
    EXPECT_EQ(f.view.dataFilePath, utf8Path);
}

TEST(DataWriterCurrentFile, NothingLoadedIsReportedAndNothingWritten) {
    ScratchDir dir;
    ViewFixture f;
    EXPECT_EQ(f.view.writeDataFile(dir.file("out.csv"), f.view.settingsText()), 1);
    ASSERT_EQ(f.host.messages.size(), 1u);
    EXPECT_EQ(f.host.messages[0], cp932("ﾃﾞｰﾀﾌｧｲﾙの保存が出来ません"));
    EXPECT_TRUE(entries(dir.path()).empty());
    EXPECT_EQ(f.view.dataFileTitle, "newfile");
}

// ---- failures ----------------------------------------------------------------------------

TEST(DataWriterFailure, ReadOnlyFolderKeepsTheOldFile) {
    ScratchDir dir;
    std::string folder = dir.file("ro");
    std::filesystem::create_directory(folder);
    std::string path = folder + "/data.csv";
    writeFile(path, "old data");
    chmod(dir.path().c_str(), 0755);
    chmod(folder.c_str(), 0555);
    test::expectTrueAsUnprivilegedChild([&] {
        RecordingHost host;
        CKelvraView view(host);
        setSmallGrid(view, 1);
        return view.writeDataFile(path, view.settingsText()) == 1 && host.messages.size() == 1 &&
               host.messages[0] == cp932("ﾃﾞｰﾀﾌｧｲﾙの保存が出来ません") && view.dataFileTitle == "newfile";
    });
    EXPECT_EQ(readFile(path), "old data");
    EXPECT_EQ(entries(folder), std::vector<std::string>{"data.csv"});
}

TEST(DataWriterFailure, FaultHalfWayKeepsTheOldFileByteForByte) {
    ScratchDir dir;
    std::string path = dir.file("data.csv");
    std::string old;
    for (int i = 0; i < 256 * 64; ++i) old += char(i % 256);   // every byte value
    writeFile(path, old);
    ViewFixture f;
    // A grid large enough to be written in several pieces.
    std::vector<double> values;
    for (int r = 0; r < 300; ++r)
        for (int c = 0; c < 300; ++c) values.insert(values.end(), {double(c), double(r), r * 0.5 + c});
    setData(f.view, 1, 3, Grid, 300, 300, values);
    f.view.dataFileTitle = "before.csv";
    for (long long failAfter : {0LL, 10LL, 700000LL, 1100000LL}) {
        setSafeWriteFaultAfter(failAfter);
        int result = f.view.writeDataFile(path, f.view.settingsText());
        setSafeWriteFaultAfter(-1);
        EXPECT_EQ(result, 1) << failAfter;
        EXPECT_TRUE(readFile(path) == old) << failAfter;
        EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"data.csv"}) << failAfter;
        EXPECT_EQ(f.view.dataFileTitle, "before.csv");
    }
    EXPECT_EQ(f.host.messages.size(), 4u);
    // Without the fault the same save goes through.
    EXPECT_EQ(f.view.writeDataFile(path, f.view.settingsText()), 0);
    EXPECT_GT(readFile(path).size(), 1100000u);
}

TEST(DataWriterFailure, OntoAFolderIsReported) {
    ScratchDir dir;
    std::filesystem::create_directory(dir.file("folder"));
    ViewFixture f;
    setSmallGrid(f.view, 1);
    EXPECT_EQ(f.view.writeDataFile(dir.file("folder"), f.view.settingsText()), 1);
    EXPECT_EQ(f.host.messages.size(), 1u);
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("folder")));
    EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"folder"});
}

// ---- the command -----------------------------------------------------------------------------

TEST(SaveDataCommand, AsksForANameBesideTheCurrentFile) {
    ScratchDir dir;
    ViewFixture f;
    setSmallGrid(f.view, 1);
    f.view.dataFileTitle = "grid.csv";
    f.view.dataFilePath = dir.file("grid.csv");
    f.host.fileAnswers = {"", dir.file("copy.csv")};
    EXPECT_FALSE(f.view.saveDataCommand());   // cancelled
    EXPECT_TRUE(entries(dir.path()).empty());
    EXPECT_TRUE(f.view.saveDataCommand());
    EXPECT_EQ(f.view.dataFilePath, dir.file("copy.csv"));
    ASSERT_EQ(f.host.dialogs.size(), 2u);
    const FileDialogRequest& request = f.host.dialogs[0];
    EXPECT_TRUE(request.save);
    EXPECT_TRUE(request.confirmOverwrite);
    EXPECT_EQ(request.title, cp932("ｸﾞﾗﾌﾃﾞｰﾀの保存"));
    EXPECT_EQ(request.initialName, "grid.csv");
    EXPECT_EQ(request.initialFolder, dir.path());
    ASSERT_EQ(request.filters.size(), 2u);
    EXPECT_EQ(request.filters[0], (std::pair<std::string, std::string>{"Graph Data File (*.csv)", "*.csv"}));
    EXPECT_EQ(request.filters[1], (std::pair<std::string, std::string>{"All Files (*.*)", "*.*"}));
    EXPECT_EQ(readFile(dir.file("copy.csv")).substr(0, header(1).size()), header(1));
}

TEST(SaveDataCommand, WithoutDataItSaysSoAndAsksNothing) {
    ViewFixture f;
    EXPECT_FALSE(f.view.saveDataCommand());
    EXPECT_TRUE(f.host.dialogs.empty());
    ASSERT_EQ(f.host.messages.size(), 1u);
    EXPECT_EQ(f.host.messages[0], cp932("ﾃﾞｰﾀﾌｧｲﾙの保存が出来ません"));
}

}  // namespace
}  // namespace kelvra
