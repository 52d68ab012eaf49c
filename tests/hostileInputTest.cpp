// Hostile input from outside, end to end: files no tool should write (binary
// garbage, NUL bytes, a million commas, absurd format numbers, non-finite
// numbers, degenerate grids, log axes over zero and negative data, settings
// lines of 100 000 bytes), launch files and output paths that name the wrong
// thing, and picture sizes out of range. Every case must answer with the
// program's own message (or read the value as 0 where that is the rule), leave
// the files it was given as they were, and never crash the batch renderer.
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "base/headlessHost.h"
#include "view/kelvraView.h"
#include "support/renderRun.h"
#include "support/testFiles.h"

namespace kelvra {
namespace {

namespace fs = std::filesystem;
using test::cp932;
using test::readFile;
using test::writeFile;

const std::string kCannotOpenData = "を開くことが出来ません。";
const std::string kCannotCreateImage = "ﾌｧｲﾙを作成することが出来ません。";
const std::string kCannotSaveData = "ﾃﾞｰﾀﾌｧｲﾙの保存が出来ません";
const std::string kCannotSaveSettings = "設定ﾌｧｲﾙの保存が出来ません";
const std::string kNoPoints = "ｸﾞﾗﾌﾃﾞｰﾀがありません。";
// Garbage in the program's own layout reads as a grid whose rows do not fit its X row: said.
const std::string kOddRow = "行目の値の数";
const std::string kBadSize = "--size: takes WIDTHxHEIGHT between 1x1 and 16384x16384";
const std::string kControlInName = "ﾌｧｲﾙ名に制御文字 (NUL、改行など) があります: ";
const std::string kNoSettingsLine = " には設定の行がひとつもありません。";
const std::string kNoLaunchKey =
    "起動ﾌｧｲﾙに Data_File_Name、Setting_File_Name、Image_File_Name、Soft_On のどの行もありません。";

std::string dataFile(const std::string& format, const std::string& body) {
    return cp932("ﾃﾞｰﾀ形式,") + format + "\r\nKelvra ver.1.52\r\n\r\n" + body;
}

std::string garbage(std::size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(n, '\0');
    for (char& c : bytes) c = char(random() % 7 == 0 ? 0 : random());   // about one byte in seven NUL
    return bytes;
}

// Hostile data files: what the reader must make of them. `check` sees the view
// after a successful load; every case also keeps its counts within the point
// array and its ranges finite.
struct DataCase {
    const char* name;
    std::string bytes;
    std::function<void(const CKelvraView&)> check;
};

std::vector<DataCase> hostileDataFiles() {
    const std::string commas(1000000, ',');
    return {
        {"binary garbage with NUL bytes", garbage(65536, 1), nullptr},
        {"garbage after a valid header", dataFile("2", garbage(65536, 2)), nullptr},
        {"only NUL bytes", std::string(4096, '\0'), nullptr},
        {"a header of a million commas", dataFile("1", commas + "\r\n1," + commas + "\r\n"),
         [](const CKelvraView& v) { EXPECT_EQ(v.data.columnCount, 0); }},
        {"a point line of a million commas", dataFile("3", "1,2,3,4\r\n" + commas + "\r\n"),
         [](const CKelvraView& v) {
             EXPECT_EQ(v.data.pointCount, 1);   // a row of nothing but commas is a spreadsheet's empty row
             EXPECT_EQ(v.data.pointAt(0)[3], 4.0);
         }},
        {"format field 99999999999 reads as a column grid",
         dataFile("99999999999", ",1,2\r\n10,5,6\r\n20,7,8\r\n"),
         [](const CKelvraView& v) {
             EXPECT_EQ(v.data.dataFormat, INT_MAX);
             EXPECT_EQ(v.data.rowCount * 10 + v.data.columnCount, 22);
         }},
        {"nan, inf and 1e999 read as 0", dataFile("7", "nan,inf,1e999,-1e999\r\n-inf,NaN,INF,1\r\n<\r\n"),
         [](const CKelvraView& v) {
             for (int k = 0; k < 8; ++k) EXPECT_EQ(v.data.pointAt(std::size_t(k / 4))[k % 4], k == 7 ? 1.0 : 0.0) << k;
         }},
        {"a grid of one point", dataFile("1", ",5\r\n7,9\r\n"),
         [](const CKelvraView& v) { EXPECT_EQ(v.data.pointCount, 1); }},
        {"every value equal", dataFile("1", ",3,3,3\r\n3,3,3,3\r\n3,3,3,3\r\n"),
         [](const CKelvraView& v) {
             EXPECT_EQ(v.data.valueRange[RangeZ].min, 3.0);
             EXPECT_EQ(v.data.valueRange[RangeZ].max, 3.0);
         }},
        {"zero and negative data", dataFile("3", "0,0,0,0\r\n-1,-2,-3,-4\r\n-1e300,0,1e-300,0\r\n"), nullptr},
    };
}

TEST(HostileData, ReadsWithoutHarmAndLeavesTheFileAsItWas) {
    test::ScratchDir dir;
    for (const DataCase& c : hostileDataFiles()) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file("hostile.csv");
        writeFile(path, c.bytes);
        HeadlessHost host;
        host.printMessages = false;
        CKelvraView view(host);
        ASSERT_TRUE(view.loadDataFile(path, false));
        ASSERT_TRUE(view.loadDataFile(path, true));   // the kept format takes the same path
        EXPECT_TRUE(host.messages.empty());
        EXPECT_LE(std::size_t(view.data.pointCount), view.data.storedPoints());
        for (const ValueRange& r : view.data.valueRange) EXPECT_TRUE(std::isfinite(r.min) && std::isfinite(r.max));
        if (c.check) c.check(view);
        EXPECT_EQ(readFile(path), c.bytes);
        // What was read is saved under a format number the reader knows, or
        // refused with the writer's message when it holds no columns to write.
        if (view.writeDataFile(dir.file("saved.csv"), view.settingsText()))
            EXPECT_TRUE(readFile(dir.file("saved.csv")).starts_with(cp932("ﾃﾞｰﾀ形式,") + char('0' + view.data.dataFormat)));
        else
            EXPECT_EQ(host.messages, std::vector<std::string>{cp932(kCannotSaveData)});
    }
}

TEST(HostileSettings, LinesOf100000BytesChangeNothingElse) {
    test::ScratchDir dir;
    HeadlessHost host;
    host.printMessages = false;
    CKelvraView reference(host), view(host);
    const std::string text = reference.settingsText();
    const std::string longJunk(100000, 'x'), longBracket = "[" + std::string(99999, 'y');
    // Long lines before the first header, between the keys, and a header of 100 000 bytes.
    std::string hostile = longJunk + "\r\n";
    for (std::size_t pos = 0, next; pos < text.size(); pos = next) {
        next = text.find('\n', pos) + 1;
        if (next == 0) next = text.size();
        hostile += text.substr(pos, next - pos) + longJunk + "\r\n";
    }
    hostile += longBracket + "\r\n" + std::string(100000, '9') + "\r\n";
    writeFile(dir.file("long.txt"), hostile);
    writeFile(dir.file("plain.txt"), text);
    EXPECT_TRUE(view.loadSettingsFile(dir.file("long.txt")));
    EXPECT_TRUE(reference.loadSettingsFile(dir.file("plain.txt")));   // overlays laid out alike
    EXPECT_TRUE(view.settingsText() == reference.settingsText());
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(readFile(dir.file("long.txt")), hostile);
}

// A file in which no line names a key of its section (a data file, binary
// bytes, a key before any header or misspelt) is no settings file: said, and
// nothing changes. One key line is enough.
TEST(HostileSettings, AFileThatNamesNoKeyIsSaidAndChangesNothing) {
    test::ScratchDir dir;
    HeadlessHost host;
    host.printMessages = false;
    CKelvraView view(host);
    view.settings.viewZoom = 150;
    const std::string files[] = {dataFile("1", ",5\r\n7,9\r\n"), garbage(5000, 5), cp932(" 倍率       = 250\r\n"),
                                 cp932("[表示の設定]\r\n拡大 = 250\r\n")};
    for (const std::string& bytes : files) {
        writeFile(dir.file("look.txt"), bytes);
        host.messages.clear();
        const int invalidations = host.invalidations;
        EXPECT_EQ(view.loadSettingsFile(dir.file("look.txt")), 0);
        EXPECT_EQ(host.messages, std::vector{cp932("look.txt" + kNoSettingsLine)});
        EXPECT_EQ(std::tuple(view.settings.viewZoom, host.invalidations), std::tuple(150, invalidations));
    }
    writeFile(dir.file("look.txt"), cp932("[表示の設定]\r\n 倍率       = 250\r\n"));
    EXPECT_EQ(view.loadSettingsFile(dir.file("look.txt")), 1);
    EXPECT_EQ(view.settings.viewZoom, 250);
}

// kelvra-render on hostile data, sizes and output paths. `args` may name
// files of the scratch folder as "@name"; `made` is a file the run must leave
// behind, and the inputs must come through unchanged.
struct RenderCase {
    const char* name;
    std::vector<std::string> args;
    int status;
    std::string message;   // part of stderr ("" means stderr stays empty)
    const char* made = nullptr;
};

TEST(HostileRender, AnswersWithItsMessageAndKeepsEveryFile) {
    test::ScratchDir dir;
    std::vector<std::string> inputs = {"one.csv", "equal.csv", "negative.csv", "garbage.csv", "commas.csv",
                                       "log.txt", "plain.txt", "launch-folder.txt", "victim.csv"};
    writeFile(dir.file("one.csv"), dataFile("1", ",5\r\n7,9\r\n"));
    writeFile(dir.file("equal.csv"), dataFile("1", ",3,3,3\r\n3,3,3,3\r\n3,3,3,3\r\n"));
    writeFile(dir.file("negative.csv"), dataFile("3", "0,0,0,0\r\n-1,-2,-3,-4\r\n2,-1,0,-5\r\n1,1,-7,0\r\n"));
    writeFile(dir.file("garbage.csv"), garbage(20000, 3));
    writeFile(dir.file("commas.csv"), dataFile("1", std::string(1000000, ',') + "\r\n"));
    writeFile(dir.file("plain.txt"), "a regular file");
    fs::create_directory(dir.file("folder.png"));
    fs::create_directory(dir.file("folder.csv"));
    writeFile(dir.file("launch-folder.txt"), "[Kelvra]\r\nData_File_Name=" + dir.file("folder.csv") + "\r\n");
    // A NUL cuts the name the system sees: "victim.csv<NUL>.png" passes as a
    // PNG name and would overwrite victim.csv.
    writeFile(dir.file("victim.csv"), dataFile("1", ",5\r\n7,9\r\n"));
    const std::string nul(1, '\0');
    for (const char* encoding : {"cp932", "utf-8", "utf-16"}) {
        std::string keys = "Data_File_Name=" + dir.file("one.csv") + "\r\nImage_File_Name=" + dir.file("victim.csv") +
                           nul + ".png\r\nSoft_On=NO\r\n";
        writeFile(dir.file(std::string("launch-nul-") + encoding + ".txt"), test::encodedText("[Kelvra]\r\n" + keys, encoding));
        inputs.push_back(std::string("launch-nul-") + encoding + ".txt");
    }
    writeFile(dir.file("launch-nul-data.txt"), "[Kelvra]\r\nData_File_Name=" + dir.file("one.csv") + nul + ".x\r\n");
    writeFile(dir.file("launch-binary.txt"), "[" + garbage(4000, 4));
    fs::create_directory(dir.file("sub"));
    inputs.insert(inputs.end(), {"launch-nul-data.txt", "launch-binary.txt"});
    {   // every axis logarithmic
        HeadlessHost host;
        CKelvraView settings(host);
        for (int& axisLog : settings.settings.scaleLog) axisLog = 1;
        writeFile(dir.file("log.txt"), settings.settingsText());
    }
    std::vector<std::string> before;
    for (const std::string& name : inputs) before.push_back(readFile(dir.file(name)));

    const std::vector<RenderCase> cases = {
        {"one point", {"@one.csv", "-o", "@a.png"}, 0, "", "a.png"},
        {"every value equal", {"@equal.csv", "-o", "@b.png"}, 0, "", "b.png"},
        {"log axes, zero and negative data", {"@negative.csv", "-s", "@log.txt", "-o", "@c.png"}, 0, "", "c.png"},
        {"log axes over a one-point grid", {"@one.csv", "-s", "@log.txt", "-o", "@d.bmp"}, 0, "", "d.bmp"},
        {"log axes, all equal", {"@equal.csv", "-s", "@log.txt", "-o", "@e.jpg"}, 0, "", "e.jpg"},
        {"binary garbage", {"@garbage.csv", "-o", "@f.png"}, 0, kOddRow, "f.png"},
        {"a million commas and no row", {"@commas.csv", "-o", "@g.png"}, 3, kNoPoints, "g.png"},
        {"smallest picture", {"@one.csv", "--size", "1x1", "-o", "@h.png"}, 0, "", "h.png"},
        {"widest picture", {"@negative.csv", "--size", "16384x1", "-o", "@i.png"}, 0, "", "i.png"},
        {"garbage as a vector picture", {"@garbage.csv", "-o", "@f.svg"}, 0, kOddRow, "f.svg"},
        {"log axes, zero and negative data, as PDF", {"@negative.csv", "-s", "@log.txt", "-o", "@c.pdf"}, 0, "", "c.pdf"},
        {"one point as EPS", {"@one.csv", "-o", "@d.eps"}, 0, "", "d.eps"},
        {"smallest vector picture", {"@equal.csv", "--size", "1x1", "-o", "@h.svg"}, 0, "", "h.svg"},
        {"vector picture in a missing folder", {"@one.csv", "-o", "@missing/x.svg"}, 1, kCannotCreateImage},
        {"vector picture under a regular file", {"@one.csv", "-o", "@plain.txt/x.pdf"}, 1, kCannotCreateImage},
        {"zero size", {"@one.csv", "--size", "0x0"}, 2, kBadSize},
        {"negative size", {"@one.csv", "--size", "-5x10"}, 2, kBadSize},
        {"huge size", {"@one.csv", "--size", "99999999999x99999999999"}, 2, kBadSize},
        {"one past the largest side", {"@one.csv", "--size", "16385x100"}, 2, kBadSize},
        {"image onto a folder", {"@one.csv", "-o", "@folder.png"}, 1, kCannotCreateImage},
        {"image under a regular file", {"@one.csv", "-o", "@plain.txt/x.png"}, 1, kCannotCreateImage},
        {"image in a missing folder", {"@one.csv", "-o", "@missing/x.png"}, 1, kCannotCreateImage},
        {"data onto a folder", {"@one.csv", "--write-data", "@folder.png"}, 1, kCannotSaveData},
        {"data under a regular file", {"@one.csv", "--write-data", "@plain.txt/x.csv"}, 1, kCannotSaveData},
        {"settings under a regular file", {"@one.csv", "--write-settings", "@plain.txt/s.txt"}, 1, kCannotSaveSettings},
        {"settings onto a folder", {"@one.csv", "--write-settings", "@folder.png"}, 1, kCannotSaveSettings},
        {"data file that is a folder", {"@folder.csv"}, 1, "folder.csv " + kCannotOpenData},
        {"launch naming a folder", {"@launch-folder.txt", "-o", "@lf.png"}, 1, "folder.csv " + kCannotOpenData},
        // Names that cannot be what the user means are refused, in every encoding of a launch file.
        {"NUL in a launch file's image name", {"@launch-nul-cp932.txt"}, 1, kControlInName + kCannotCreateImage},
        {"NUL in a UTF-8 launch file's image name", {"@launch-nul-utf-8.txt"}, 1, kControlInName + kCannotCreateImage},
        {"NUL in a UTF-16 launch file's image name", {"@launch-nul-utf-16.txt"}, 1, kControlInName + kCannotCreateImage},
        {"NUL in a launch file's data name", {"@launch-nul-data.txt", "-o", "@nul.png"}, 1,
         kControlInName + "one.csv?.x を開くことが出来ません。"},
        {"tab in an image name", {"@one.csv", "-o", "@tab\there.png"}, 1, kControlInName + kCannotCreateImage},
        {"line break in a settings name", {"@one.csv", "--write-settings", "@two\nlines.txt"}, 1,
         kControlInName + kCannotSaveSettings},
        {"image name ending in a slash", {"@one.csv", "-o", "@sub/", "--format", "png"}, 1, kCannotCreateImage},
        {"image name .", {"@one.csv", "-o", "@sub/.", "--format", "png"}, 1, kCannotCreateImage},
        {"image name ..", {"@one.csv", "-o", "@sub/..", "--format", "png"}, 1, kCannotCreateImage},
        {"image name of a folder", {"@one.csv", "-o", "@sub", "--format", "png"}, 1, kCannotCreateImage},
        {"image onto a device", {"@one.csv", "-o", "/dev/null", "--format", "png"}, 0, ""},
        // Files that are not what they are given as say so.
        {"settings file that is a data file", {"@one.csv", "-s", "@one.csv", "-o", "@s1.png"}, 1, "one.csv" + kNoSettingsLine},
        {"settings file of binary garbage", {"@one.csv", "-s", "@garbage.csv", "-o", "@s2.png"}, 1, "garbage.csv" + kNoSettingsLine},
        {"launch file of binary garbage", {"@launch-binary.txt", "-o", "@s3.png"}, 1, kNoLaunchKey},
        {"data save of an empty data set", {"@commas.csv", "--write-data", "@empty.csv"}, 1,
         kNoPoints + ": " + kCannotSaveData},
    };
    for (const RenderCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args;
        for (const std::string& a : c.args) args.push_back(a[0] == '@' ? dir.file(a.substr(1)) : a);
        test::RenderRun r = test::runRender(args, dir.path());
        if (r.noGl()) GTEST_SKIP() << r.err;
        EXPECT_EQ(r.status, c.status) << r.err;
        if (c.message.empty()) {
            EXPECT_EQ(r.err, "");
        } else {
            EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        }
        if (c.made) {
            EXPECT_GT(fs::file_size(dir.file(c.made)), 0u);
        }
        for (std::size_t i = 0; i < inputs.size(); ++i) EXPECT_EQ(readFile(dir.file(inputs[i])), before[i]) << inputs[i];
        EXPECT_TRUE(fs::is_directory(dir.file("folder.png")));
    }
    // No temporary file of a failed save is left anywhere in the folder, nor
    // a file that a refused name would have written.
    for (const auto& entry : fs::recursive_directory_iterator(dir.path()))
        EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
    for (const char* name : {"tab\there.png", "two\nlines.txt", "sub.png", "..png", "empty.csv"})
        EXPECT_FALSE(fs::exists(dir.file(name))) << name;
    EXPECT_TRUE(fs::is_empty(dir.file("sub")));
    EXPECT_FALSE(fs::exists("/dev/null.png"));
    if (geteuid() == 0) fs::remove("/dev/null.png");
}

}  // namespace
}  // namespace kelvra
