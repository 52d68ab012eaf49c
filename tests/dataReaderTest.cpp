// The data file reader: the seven layouts and their quirks as one table of
// files (format numbers, fields, blank lines, sorting, ranges, hostile inputs),
// then reload, progress, failures, a comma-decimal locale, the graph choice,
// and the number scanner and the row sort against reference models.
// No GL context: the reader leaves the lists marked as not built.
#include <gtest/gtest.h>
#include <locale.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "base/cp932.h"
#include "base/headlessHost.h"
#include "view/kelvraView.h"
#include "data/pointSort.h"
#include "data/textScan.h"
#include "support/commaLocale.h"
#include "support/testFiles.h"

namespace kelvra {
namespace {

using test::cp932;
using V = std::vector<double>;
constexpr double kInit = 999999.0;   // a range that received no value is {kInit, -kInit}

// Records whether the reader asked to show the progress window.
struct ProgressHost : HeadlessHost {
    ProgressHost() { printMessages = false; }
    void showLoadProgress(bool visible, const std::string& title, std::uint64_t bytes) override {
        shown.push_back(visible);
        titles.push_back(title);
        sizes.push_back(bytes);
    }
    // Past `stopAt` percent the user has asked to stop.
    bool setLoadProgress(int percent) override {
        lastProgress = percent;
        return percent < stopAt;
    }
    std::vector<bool> shown;
    std::vector<std::string> titles;
    std::vector<std::uint64_t> sizes;
    int stopAt = 101;
};

// Lines 1-3 as the writer makes them, then the lines of `body` ("|" between lines).
std::string dataFile(const std::string& format, const std::string& body, const std::string& eol = "\r\n") {
    std::string text = cp932("ﾃﾞｰﾀ形式,") + format + eol + "Kelvra ver.1.52" + eol + eol;
    for (std::size_t start = 0, end = 0; !body.empty() && end != std::string::npos; start = end + 1) {
        end = body.find('|', start);
        text += body.substr(start, end - start) + eol;
    }
    return text;
}

// n lines made by line(i), with "|" between them.
std::string lines(int n, const std::function<std::string(int)>& line) {
    std::string body;
    for (int i = 0; i < n; ++i) body += line(i) + "|";
    return body.substr(0, body.size() - (n > 0));   // without the last "|"
}

V pointOf(const CKelvraView& v, int p) {
    const PointRecord values = v.data.pointAt(std::size_t(p));
    return V(values.v, values.v + v.data.valuesPerPoint);
}

// ---- one table of files --------------------------------------------------------------

struct Case {
    std::string name, file;
    std::array<int, 5> expect;                                  // format, kind, rows, columns, points; -1: any
    std::vector<std::pair<int, V>> at = {};                     // point index, its values
    std::vector<std::tuple<int, double, double>> ranges = {};   // range index, min, max
    std::string loadedBefore = "";                              // a file loaded first into the same view
};

std::vector<Case> layoutCases() {
    const std::string two = ",1,2|5,6,7";
    const std::tuple noData{int(RangeData), kInit, -kInit}, noVector{int(RangeVector), kInit, -kInit};
    std::string header = lines(41, [](int c) { return c ? std::to_string(c - 1) : ""; });   // 40 X values
    std::replace(header.begin(), header.end(), '|', ',');
    std::string wideRows = lines(8, [&](int i) { return std::to_string(i + 2) + header; });
    std::vector<Case> cases = {
        {"empty format field", dataFile("", two), {1, Grid, 1, 2, 2}, {{1, {2, 5, 7}}}},
        {"empty format field before a comma", dataFile(",5", two), {1, Grid, 1, 2, 2}},
        {"format field 12: only its 1 counts", dataFile("12", two), {1, Grid, 1, 2, 2}},
        {"first load: 9 is kept, read as format 1", dataFile("9", two), {9, Grid, 1, 2, 2}, {{1, {2, 5, 7}}}},
        {"first load: atoi reads \" 3\"", dataFile(" 3", "1,2,3,4"), {3, Grid, 1, 1, 1}, {{0, {1, 2, 3, 4}}}},
        {"a later 9 keeps the format before", dataFile("9", "4,5,6|7,8,9"), {2, Grid, 2, 1, 2}, {}, {},
         dataFile("2", "1,2,3")},
        {"text before the first comma", "any text,5\r\n\r\n\r\n1,2,3,4,5,6\r\n", {5, Vectors, -1, -1, 1}},
        {"first line without a comma", cp932("ﾃﾞｰﾀ形式\r\n") + "title\r\n\r\n,1,2\r\n5,6,7\r\n", {1, Grid, 1, 2, 2}},
        {"empty file", "", {1, Grid, 0, 0, 0}, {}, {{RangeX, kInit, -kInit}}},
        {"format 1", dataFile("1", ",1,2,3|10,4,5,6|20,7,8,9"), {1, Grid, 2, 3, 6},
         {{0, {1, 10, 4}}, {5, {3, 20, 9}}}, {{RangeX, 1, 3}, {RangeY, 10, 20}, {RangeZ, 4, 9}, noData, noVector}},
        {"f1: a text header cell is dropped, empty ones skipped", dataFile("1", "Y\\X,1,,2,3|10,4,5,6"),
         {1, Grid, 1, 3, 3}, {{0, {1, 10, 4}}, {2, {3, 10, 6}}}},
        {"f1: blank lines, empty fields move values left", dataFile("1", ",1,2,3||1,1,1,1| ||5,,7,8|,"),
         {1, Grid, 2, 3, 6}, {{3, {1, 5, 7}}, {4, {2, 5, 8}}, {5, {0, 0, 0}}}},
        // Decided: values beyond the header's columns are dropped; the next row is not touched.
        {"f1: extra values in a row", dataFile("1", ",1,2|10,3,4,99,98,97|20,5,6"), {1, Grid, 2, 2, 4},
         {{2, {1, 20, 5}}}, {{RangeZ, 3, 6}}},
        // Decided: a header wider than line 6 (the column estimate) gets room for every column.
        {"f1: wide header", dataFile("1", header + "|0,1|1,2|" + wideRows),
         {1, Grid, 10, 40, 400}, {{0, {0, 0, 1}}, {5, {5, 0, 0}}, {399, {39, 9, 39}}}},
        {"LF, no final break", dataFile("1", ",0.5,1.5|-1,2.25,3", "\n") + "1,4,5e-1", {1, Grid, 2, 2, 4},
         {{0, {0.5, -1, 2.25}}, {3, {1.5, 1, 0.5}}}},
        {"f2: sorted by Y, then X", dataFile("2", "2,20,5|0,10,1|1,20,4|2,10,2|0,20,3|1,10,9|1,0,7|0,0,6|2,0,8"),
         {2, Grid, 3, 3, 9}, {{0, {0, 0, 6}}, {2, {2, 0, 8}}, {4, {1, 10, 9}}, {6, {0, 20, 3}}},
         {{RangeX, 0, 2}, {RangeY, 0, 20}, {RangeZ, 1, 9}}},
        {"f2: a short row", dataFile("2", "0,0,1|1,0,1|2,0,1|0,1,1|2,1,1|0,2,1|1,2,1|2,2,1"),
         {2, Scattered, 3, 3, 8}, {{4, {2, 1, 1}}}},
        {"f2: empty fields 0, missing 0, extra ignored, 2 characters blank",
         dataFile("2", "1,,3|12||4,|4,,|5,6|7,8,9,10,11"), {2, Scattered, 3, 2, 4},
         {{0, {1, 0, 3}}, {1, {4, 0, 0}}, {2, {5, 6, 0}}, {3, {7, 8, 9}}}},
        // The row grouping hashes Y: -0 and 0 must still be one row.
        {"f2: -0 and 0 are one row", dataFile("2", "0,-0,1|1,0,2|0,1,3|1,1,4"), {2, Grid, 2, 2, 4}},
        // Decided: points with equal X and Y keep their file order (the sort is stable).
        {"f3: equal points", dataFile("3", "1,1,0,30|0,1,0,10|1,1,0,31|0,1,0,11|1,1,0,32|0,1,0,12"),
         {3, Grid, 1, 6, 6}, {{0, {0, 1, 0, 10}}, {2, {0, 1, 0, 12}}, {3, {1, 1, 0, 30}}, {5, {1, 1, 0, 32}}}},
        {"format 3", dataFile("3", "0,0,1,-5|1,0,2,7|0,1,3,2|1,1,4,0"), {3, Grid, 2, 2, 4}, {{1, {1, 0, 2, 7}}},
         {{RangeData, -5, 7}, noVector}},
        {"a new load resets every range", dataFile("2", "1,2,3"), {2, Grid, 1, 1, 1}, {}, {noData, noVector},
         dataFile("6", "0,0,0,3,4,0,-1")},
        {"beyond the initial range", dataFile("2", "5e6,2e6,-3e6|4e6,1e7,-2e6"), {2, Grid, 2, 1, 2}, {},
         {{RangeX, 4e6, 5e6}, {RangeY, 2e6, 1e7}, {RangeZ, -3e6, -2e6}}},
        {"format 4", dataFile("4", "1,0.5|10,2|1,2,3|4,5,6"), {4, Grid, 2, 3, 6},
         {{0, {1, 10, 1}}, {5, {2, 12, 6}}}, {{RangeX, 1, 2}, {RangeY, 10, 12}, {RangeZ, 1, 6}}},
        {"f4: negative steps", dataFile("4", "5,-1|,,3,-0.5|1,2,3|4,5,6|7,8,9"), {4, Grid, 3, 3, 9},
         {{8, {3, 2, 9}}}, {{RangeX, 5, 3}, {RangeY, 3, 2}}},
        // Decided: a blank line 6 does not make a grid of no columns; the first row
        // sets them, and later rows' extra values are ignored.
        {"f4: blank line 6, the first row sets the columns", dataFile("4", "0,1|0,1||1,,2|3,4,5,6||7"),
         {4, Grid, 2, 2, 4}, {{1, {1, 0, 2}}, {3, {1, 1, 4}}}, {{RangeZ, 1, 4}}},
        // Lists keep the sizing estimate: 4 + 0 lines after line 6, 2 + 5 commas.
        {"format 5", dataFile("5", "0,0,0,3,4,0|1,2,3,0,0,1|4,5,6,1,2,2"), {5, Vectors, 4, 7, 3},
         {{2, {4, 5, 6, 1, 2, 2}}}, {{RangeData, 1, 5}, {RangeVector, 1, 5}, {RangeZ, 0, 6}}},
        {"format 6", dataFile("6", "0,0,0,3,4,0,-1|1,2,3,0,0,1,9"), {6, Vectors, -1, -1, 2},
         {{1, {1, 2, 3, 0, 0, 1, 9}}}, {{RangeVector, 1, 5}, {RangeData, -1, 9}}},
        {"huge vectors", dataFile("5", "0,0,0,1e300,1e300,0|0,0,0,1.7e308,1.7e308,1.7e308"),
         {5, Vectors, -1, -1, 2}, {}, {{RangeVector, std::hypot(1e300, 1e300, 0.0), DBL_MAX}}},
        {"format 7", dataFile("7", "1,2,3,4||5,6,7,8|<|9,9,9,9"), {7, PointValues, -1, -1, 2},
         {{1, {5, 6, 7, 8}}, {2, {0, 0, 0, 0}}}, {{RangeData, 4, 8}, {RangeX, 1, 5}, noVector}},
        {"spaces removed, malformed text read as atof",
         dataFile("7", " 1 234 , - 5 , 6. 5e 1|12abc,abc,+5,0x10|1e,.5,-.25,1.5e-400|\t7,--1,+-2,5."),
         {7, PointValues, -1, -1, 4},
         {{0, {1234, -5, 65, 0}}, {1, {12, 0, 5, 16}}, {2, {1, .5, -.25, 0}}, {3, {7, 0, 0, 5}}}},
        {"199 characters, spaces not counted",
         dataFile("2", std::string("1").append(250, '0').append(",1 ").append(198, '0').append("5,0.5")),
         {2, Grid, 1, 1, 1}, {{0, {1e198, 1e198, 0.5}}}},
        // Decided: a lone CR ends a line, as older spreadsheet exports end theirs.
        {"NUL and lone CR", dataFile("2", std::string("1,2\0,3|4,0\r5,6,7", 16)), {2, Grid, 3, 1, 3},
         {{0, {4, 0, 0}}, {1, {1, 2, 3}}, {2, {5, 6, 7}}}},
        // A line far longer than the line buffer sized from line 6.
        {"a long line", dataFile("2", "1,2,3|4,5,6|7,8,9|1,2,3|0,0," + std::string(20000, '0')),
         {2, Scattered, -1, -1, 5}, {{0, {0, 0, 0}}}, {{RangeX, 0, 7}}},
        // More lines than the estimate: a "<" line stops the row count, yet every
        // layout but format 7 reads on past it.
        {"f2 beyond the estimate", dataFile("2", "0,0,1|1,0,1|2,0,1|<|" + lines(500, [](int) { return "0,1,2"; })),
         {2, Scattered, 2, 500, 503}, {{502, {0, 1, 2}}}},
        {"f1 beyond the estimate",
         dataFile("1", ",1,2|0,1,1|1,1,1|<|" + lines(500, [](int i) { return std::to_string(i) + ",3,4"; })),
         {1, Grid, 502, 2, 1004}, {{1003, {2, 499, 4}}}},
        {"f4 beyond the estimate", dataFile("4", "0,1|0,1|1,2|<|" + lines(500, [](int) { return "3,4"; })),
         {4, Grid, 501, 2, 1002}},
    };
    // Without data lines nothing is read; lists keep the estimate (2 columns from the empty line 3).
    for (int f = 1; f <= 7; ++f)
        cases.push_back({"no data lines", dataFile(std::to_string(f), ""),
                         {f, f <= 4 ? Grid : -1, 4 * (f > 4), 2 * (f > 4), 0}, {}, {{RangeZ, kInit, -kInit}}});
    // Files that are not data files at all load as the empty graph.
    cases.push_back({"a password file", "root:x:0:0:root:/root:/bin/bash\nbin:x:2:2:bin:/bin:/usr/sbin/nologin\n"
                                        "sys:x:3:3:sys:/dev:/usr/sbin/nologin\nsync:x:4:65534:sync:/bin:/bin/sync\n",
                     {1, Grid, -1, 0, 0}});
    cases.push_back({"a PNG picture",
                     std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x01\0\0\0\x01\x08\x06\0\0\0\x1f\x15\xc4\x89"
                                 "\0\0\0\nIDATx\x9c" "c\0\x01\0\0\x05\0\x01\r\n-\xb4\0\0\0\0IEND\xae" "B`\x82", 67),
                     {1, Grid, -1, 0, 0}});
    std::string junk;
    for (unsigned i = 0, seed = 12345; i < 200000; ++i) junk += char((seed = seed * 1103515245 + 12345) >> 16);
    for (int f : {1, 2, 4, 6, 7})
        cases.push_back({"junk", dataFile(std::to_string(f), junk), {f, -1, -1, -1, -1}});
    return cases;
}

TEST(ReaderLayouts, EachFileReadsAsExpected) {
    test::ScratchDir dir;
    for (const Case& c : layoutCases()) {
        SCOPED_TRACE(c.name);
        ProgressHost host;
        CKelvraView view(host);
        test::writeFile(dir.file("before.csv"), c.loadedBefore);
        ASSERT_TRUE(c.loadedBefore.empty() || view.loadDataFile(dir.file("before.csv"), false));
        test::writeFile(dir.file("data.csv"), c.file);
        ASSERT_TRUE(view.loadDataFile(dir.file("data.csv"), false));
        EXPECT_TRUE(host.messages.empty());
        // A load without a single point says so in the message pane, and only then.
        EXPECT_EQ(host.statusMessage, view.data.pointCount == 0 ? cp932("ｸﾞﾗﾌﾃﾞｰﾀがありません。") : "");
        std::array got = {view.data.dataFormat, int(view.data.dataKind), view.data.rowCount, view.data.columnCount, view.data.pointCount};
        for (int i = 0; i < 5; ++i) got[i] = c.expect[i] == -1 ? -1 : got[i];
        EXPECT_EQ(got, c.expect) << "format, kind, rows, columns, points";
        for (const auto& [index, values] : c.at) EXPECT_EQ(pointOf(view, index), values) << "point " << index;
        auto range = [&](int r) { return std::pair(view.data.valueRange[r].min, view.data.valueRange[r].max); };
        for (auto [index, min, max] : c.ranges) EXPECT_EQ(range(index), std::pair(min, max)) << "range " << index;
        // The array holds every point the data set claims, and every range is finite.
        std::size_t held = view.data.storedPoints();
        EXPECT_TRUE(view.data.dataKind == Scattered || std::size_t(view.data.rowCount) * view.data.columnCount <= held);
        EXPECT_LE(std::size_t(view.data.pointCount), held);
        for (const ValueRange& r : view.data.valueRange) EXPECT_TRUE(std::isfinite(r.min) && std::isfinite(r.max));
    }
}

// ---- one view, several loads -----------------------------------------------------------

class Reader : public ::testing::Test {
protected:
    bool load(const std::string& bytes, bool reload = false, const std::string& name = "data.csv") {
        path = dir.file(name);
        test::writeFile(path, bytes);
        return view.loadDataFile(path, reload);
    }
    test::ScratchDir dir;
    ProgressHost host;
    CKelvraView view{host};
    std::string path;
};

TEST_F(Reader, ReloadKeepsTheLegendQuantityAndOpeningResetsIt) {
    view.settings.legendColorSource = ColorByX;
    ASSERT_TRUE(load(dataFile("1", ",1|2,3"), /*reload=*/true));
    EXPECT_EQ(view.settings.legendColorSource, 2);   // the first load sets it, reload or not
    ASSERT_TRUE(load(dataFile("3", "0,0,1,2|1,0,2,3")));
    view.settings.legendColorSource = ColorByX;
    ASSERT_TRUE(view.reloadDataFile());
    EXPECT_EQ(view.settings.legendColorSource, 0);
    ASSERT_TRUE(view.loadDataFile(path, false));   // opening the same file again
    EXPECT_EQ(view.settings.legendColorSource, 3);
}

// Decided: a settings section is found from line 4 on, so a saved file of one
// data line still ends its data there, and its settings apply from the same file.
TEST_F(Reader, SettingsSectionRightAfterOneDataLineIsApplied) {
    ASSERT_TRUE(load(dataFile("2", "1,2,3|") + cp932("[グラフの設定]\r\n 種類       = 3\r\n2,3,4\r\n")));
    EXPECT_EQ(view.data.pointCount, 1);
    EXPECT_EQ(view.settings.graphType, 3);
}

// Format 2, n points: line 6 has two commas (column estimate 4) and the row
// estimate is 4 + (n - 3), so the estimate is 4 * (n + 1).
TEST_F(Reader, ProgressShowsOnlyAbove1500EstimatedPoints) {
    auto point = [](int i) { return std::to_string(i % 50) + "," + std::to_string(i / 50) + ",1"; };
    ASSERT_TRUE(load(dataFile("2", lines(374, point))));   // 1500
    ASSERT_TRUE(load(dataFile("2", lines(375, point))));   // 1504
    EXPECT_EQ(host.shown, (std::vector<bool>{false, true}));
    EXPECT_EQ(host.lastProgress, 99);   // the sort ends at (T / 6 + 10 n) / T, T = 12 x the row estimate
}

// Decided: the guess that a spreadsheet holds the file is made only where the
// system said the file is busy or locked; a missing file says only that.
TEST_F(Reader, MissingFileIsReportedAndChangesNothing) {
    ASSERT_TRUE(load(dataFile("2", "1,2,3")));
    EXPECT_FALSE(view.loadDataFile(dir.file("missing.csv"), false));   // a folder: hostileInputTest
    EXPECT_EQ(host.messages, std::vector{cp932("missing.csv を開くことが出来ません。")});
    EXPECT_EQ(host.paths, std::vector{dir.file("missing.csv")});
    EXPECT_EQ(std::tuple(view.data.dataFilePath, view.data.dataLoaded, view.data.pointCount), std::tuple(path, true, 1));
    for (int busy : {EBUSY, ETXTBSY, EAGAIN}) {
        FileRead held;
        held.error = busy;
        EXPECT_FALSE(view.loadDataText(dir.file("held.csv"), std::move(held), false));
        EXPECT_EQ(host.messages.back(), cp932("held.csv を開くことが出来ません。(ｴｸｾﾙ等で使われている可能性があります)"));
    }
}

// Decided: an estimate beyond what can be held is out of memory, not an
// overflowed allocation: more points than int counts (60000 commas on line 6,
// 60000 lines), or about 2e9 points of 7 values (where the system promises any
// amount of memory, that load succeeds instead; either way nothing breaks).
// A load that does not finish, for memory or because the user stopped it,
// leaves the data shown as it was, and F5 reloads that.
TEST_F(Reader, LoadThatDoesNotFinishKeepsTheDataShown) {
    const std::string kept = dataFile("2", "1,2,3");
    auto expectKept = [&](const char* why) {
        EXPECT_EQ(std::tuple(view.data.dataLoaded, view.data.pointCount, view.data.dataFileTitle),
                  std::tuple(true, 1, std::string("data.csv")))
            << why;
        EXPECT_EQ(pointOf(view, 0), (V{1, 2, 3})) << why;
    };
    for (auto [format, commas, count] : {std::tuple{"2", 60000, 60000}, std::tuple{"6", 40000, 50000}}) {
        ASSERT_TRUE(load(kept));
        host.messages.clear();
        std::string text = dataFile(format, "1,2,3,4,5,6,7|1,2,3,4,5,6,7|" + std::string(commas, ','));
        for (int i = 0; i < count; ++i) text += "7\r\n";
        if (load(text, false, "huge.csv") && commas == 40000) continue;
        EXPECT_EQ(host.messages, std::vector{cp932("メモリー不足です")});
        expectKept("out of memory");
    }

    ASSERT_TRUE(load(kept));
    auto point = [](int i) { return std::to_string(i % 50) + "," + std::to_string(i / 50) + ",1"; };
    const std::string big = dataFile("2", lines(5000, point));
    host.messages.clear();
    host.stopAt = 10;   // the user presses the stop button at 10 %
    EXPECT_FALSE(load(big, false, "big.csv"));
    EXPECT_LT(host.lastProgress, 20);   // the read went no further than the first report past 10 %
    EXPECT_EQ(host.titles.back(), "big.csv");
    EXPECT_EQ(host.sizes.back(), big.size());
    EXPECT_EQ(host.statusMessage, cp932("big.csv の読み込みを中止しました"));
    EXPECT_TRUE(host.messages.empty());   // a choice of the user's, not a failure to box
    expectKept("stopped");

    host.stopAt = 101;
    EXPECT_TRUE(view.reloadDataFile());
    expectKept("reloaded");
    EXPECT_TRUE(load(big, false, "big.csv"));
    EXPECT_EQ(view.data.pointCount, 5000);
}

TEST_F(Reader, CommaDecimalLocaleStillReadsAPoint) {
    test::RestoreCNumericLocale restore;
    if (!test::useCommaDecimalLocale(dir.path())) GTEST_SKIP() << "no comma-decimal locale";
    ASSERT_TRUE(load(dataFile("7", "1.5,2.25, -0.125 ,0x1.8p1|1.5x,+2.5,1e400,7")));
    EXPECT_EQ(pointOf(view, 0), (V{1.5, 2.25, -0.125, 3}));
    EXPECT_EQ(pointOf(view, 1), (V{1.5, 2.5, 0, 7}));
}

// The rule itself is pinned in graphTypesTest; every load applies it.
TEST_F(Reader, GraphChoiceIsFittedToTheDataKind) {
    view.settings.displayMode = DisplayXSection;
    ASSERT_TRUE(load(dataFile("5", "0,0,0,1,0,0")));
    EXPECT_EQ(view.settings.displayMode, Display3D);
}

// ---- reference models ----------------------------------------------------------------

// The field scanner against the field rules (spaces removed, strtod in the "C"
// locale, non-finite reads 0) on random decimals with exponents, spaces and
// junk: the same value bit for bit, and the cursor stops at the right comma.
TEST(ReaderScanner, AgreesWithStrtodOnRandomFields) {
    static locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(0));
    std::mt19937_64 random(1234);
    // A field: sign, digits, point, digits, exponent, sign, digits, junk; each part 0 to `most` characters.
    const std::string parts[] = {"-", "0123456789", ".", "0123456789", "eE", "+-", "0123456789", "x.-+eE \t5"};
    const int most[] = {1, 12, 1, 14, 1, 1, 3, 2};
    for (int round = 0; round < 100000; ++round) {
        std::string field;
        for (int k = 0; k < 8; ++k)
            for (int n = int(random() % (most[k] + 1)); n > 0; --n) field += parts[k][random() % parts[k].size()];
        std::string kept = field, line = field + ",7";
        std::erase(kept, ' ');
        double expected = strtod_l(kept.c_str(), nullptr, c), got = 0.0, next = 0.0;
        datafile::FieldCursor cursor(datafile::TextLine{line.data(), line.data() + line.size()});
        ASSERT_EQ(cursor.next(&got), !kept.empty()) << field;
        expected = std::isfinite(expected) ? expected : 0.0;
        ASSERT_EQ(std::bit_cast<std::uint64_t>(got), std::bit_cast<std::uint64_t>(expected)) << field;
        ASSERT_TRUE(cursor.next(&next) && next == 7.0 && !cursor.more()) << field;
    }
}

// The row sort against std::stable_sort, on points with many equal X and Y,
// whose fourth value numbers them in file order.
TEST(ReaderSort, AgreesWithAStableSortOfTheWholeList) {
    std::mt19937 random(7);
    static_assert(sizeof(std::array<double, 4>) == 4 * sizeof(double));   // the points are one array of doubles
    for (int round = 0; round < 200; ++round) {
        int n = 1 + int(random() % 3000), spread = 1 + int(random() % 60);
        std::vector<std::array<double, 4>> points(n), sorted;
        for (int i = 0; i < n; ++i) {
            double x = double(int(random() % spread) - spread / 2) * 0.5;
            double y = round % 5 == 0 ? double(random() % 3) : double(int(random() % spread));
            points[i] = {x, random() % 7 ? y : -0.0, 1.0, double(i)};
        }
        sorted = points;
        std::stable_sort(sorted.begin(), sorted.end(), [](auto& a, auto& b) {
            return std::tie(a[1], a[0]) < std::tie(b[1], b[0]);
        });
        // Odd rounds offer no scratch memory, so the sort finds its own.
        std::vector<char> spare(n * sizeof(points[0]) + 8);
        datafile::sortPointsByYThenX(points[0].data(), n, 4, spare.data() + 1, round % 2 ? 0 : spare.size() - 1);
        ASSERT_EQ(points, sorted) << "round " << round;
    }
}

// Y values chosen so that every one falls into the same slot of the row
// table's hash, at every table size: the row grouping must stay within its
// linear budget of probes and then sort in O(n log n), with the same result as
// for values the hash spreads. (Without the budget these 20 000 values cost
// about 2e8 probes.) Measured data (a shuffled grid) stays on the fast path.
TEST(ReaderSort, ValuesChosenToCollideCostALinearBudgetAndSortTheSame) {
    std::uint64_t inverse = datafile::kRowHashMultiplier;   // mod 2^64, by Newton's iteration
    for (int k = 0; k < 6; ++k) inverse *= 2 - datafile::kRowHashMultiplier * inverse;
    std::vector<std::array<double, 3>> colliding;
    for (std::uint64_t i = 1; colliding.size() < 20000; ++i) {
        double y = std::bit_cast<double>(i * inverse);
        if (std::isfinite(y) && y != 0.0) colliding.push_back({double(i % 7), y, double(i)});
    }
    std::vector<std::array<double, 3>> grid;
    for (int r = 0; r < 300; ++r)
        for (int c = 0; c < 300; ++c) grid.push_back({double(c), double(r) * 0.25 - 10.0, 0.0});
    std::shuffle(grid.begin(), grid.end(), std::mt19937(3));
    for (auto* points : {&colliding, &grid}) {
        auto sorted = *points;
        std::stable_sort(sorted.begin(), sorted.end(), [](auto& a, auto& b) {
            return std::tie(a[1], a[0]) < std::tie(b[1], b[0]);
        });
        datafile::RowSortWork work;
        datafile::sortPointsByYThenX((*points)[0].data(), points->size(), 3, nullptr, 0, &work);
        EXPECT_EQ(*points, sorted);
        EXPECT_LE(work.probes, 24 * points->size() + 4096);
        EXPECT_EQ(work.generalSort, points == &colliding);
        if (points == &grid) EXPECT_LE(work.probes, 3 * points->size());
    }
}

}  // namespace
}  // namespace kelvra
