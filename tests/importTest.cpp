// The import of what spreadsheets and scripts export, on the corpus in
// tests/data/import (made by make-corpus.sh there: a spreadsheet program's
// exports in each encoding and separator, Python's csv dialects, a grid with
// holes, named columns, text that is no data). Every grid file holds the grid
// of reference.csv, the program's own layout, and must read to it value by
// value; what cannot be read must say so.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "base/headlessHost.h"
#include "data/dataImport.h"
#include "support/renderRun.h"
#include "support/testFiles.h"
#include "view/kelvraView.h"

namespace kelvra {
namespace {

using test::cp932;

std::string corpus(const std::string& name) { return test::sourcePath("tests/data/import/" + name); }

// A view with a data file loaded (ASSERTs in the caller see `loaded`).
struct Loaded {
    HeadlessHost host;
    CKelvraView view{host};
    bool loaded = false;
    explicit Loaded(const std::string& path) {
        host.printMessages = false;
        loaded = view.loadDataFile(path, false);
    }
    std::string notes() const {
        std::string all;
        for (const std::string& n : host.notes) all += n + "\n";
        return all;
    }
};

// The points of a data set, each a row of its values (holes as NaN).
std::vector<std::vector<double>> pointsOf(const GraphData& d) {
    std::vector<std::vector<double>> points;
    for (int i = 0; i < d.pointCount; ++i) {
        const PointRecord p = d.pointAt(std::size_t(i));
        points.emplace_back(p.v, p.v + d.valuesPerPoint);
    }
    return points;
}

// Equal value by value, NaN equal to NaN.
void expectSamePoints(const std::vector<std::vector<double>>& got, const std::vector<std::vector<double>>& want,
                      int values = 3) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i)
        for (int k = 0; k < values; ++k) {
            if (std::isnan(want[i][k])) EXPECT_TRUE(std::isnan(got[i][k])) << i << "," << k;
            else EXPECT_DOUBLE_EQ(got[i][k], want[i][k]) << i << "," << k;
        }
}

std::vector<std::vector<double>> reference() {
    Loaded r(corpus("reference.csv"));
    EXPECT_TRUE(r.loaded);
    EXPECT_TRUE(r.host.notes.empty()) << "the program's own layout is read, not imported";
    return pointsOf(r.view.data);
}

TEST(ImportCorpus, EveryGridExportReadsAsTheReference) {
    const auto want = reference();
    ASSERT_EQ(want.size(), 99u);
    struct Case {
        const char* file;
        const char* said;   // UTF-8: the dialect in the note
    };
    const Case cases[] = {
        {"lo-grid-utf8.csv", "取り込み: UTF-8、ｶﾝﾏ区切り、小数点 ."},
        {"lo-grid-cp932.csv", "Shift-JIS、ｶﾝﾏ区切り、小数点 ."},
        {"lo-grid-semicolon.csv", "UTF-8、ｾﾐｺﾛﾝ区切り、小数点 ."},
        {"lo-grid-semicolon-de.csv", "UTF-8、ｾﾐｺﾛﾝ区切り、小数点 ,"},
        {"lo-grid-comma-de.csv", "UTF-8、ｶﾝﾏ区切り、小数点 ,"},
        {"lo-grid-unicode.txt", "UTF-16LE、ﾀﾌﾞ区切り、小数点 ."},
        {"lo-grid-unicode-de.txt", "UTF-16LE、ﾀﾌﾞ区切り、小数点 ,"},
        {"lo-grid-space.txt", "空白区切り"},
        {"py-excel-grid.csv", "ｶﾝﾏ区切り"},
        {"py-quoteall-grid.csv", "ｶﾝﾏ区切り"},
        {"py-utf16be-grid.txt", "UTF-16BE、ﾀﾌﾞ区切り"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Loaded l(corpus(c.file));
        ASSERT_TRUE(l.loaded);
        const GraphData& d = l.view.data;
        EXPECT_EQ(d.dataFormat, 1);
        EXPECT_EQ(d.columnCount, 11);
        EXPECT_EQ(d.rowCount, 9);
        expectSamePoints(pointsOf(d), want);
        EXPECT_NE(l.notes().find(cp932(c.said)), std::string::npos) << l.notes();
        EXPECT_NE(l.notes().find(cp932("格子、11 x 9 の格子")), std::string::npos) << l.notes();
        EXPECT_EQ(l.host.importQuestions, 1);
    }
}

TEST(ImportCorpus, ColumnListsReadAsPointListsWithTheirNamesAsLabels) {
    const auto grid = reference();
    {   // X, Y, Z under Japanese names, tab-separated UTF-8 without a mark: the reference's points
        Loaded l(corpus("lo-xyz-names.txt"));
        ASSERT_TRUE(l.loaded);
        EXPECT_EQ(l.view.data.dataFormat, 2);
        EXPECT_EQ(l.view.data.dataKind, Grid);
        expectSamePoints(pointsOf(l.view.data), grid);
        EXPECT_EQ(l.view.settings.scaleLabel[0], cp932("距離"));
        EXPECT_EQ(l.view.settings.scaleLabel[1], cp932("幅"));
        EXPECT_EQ(l.view.settings.scaleLabel[2], cp932("高さ"));
    }
    {   // x, y, z, value from the csv module's tab dialect
        Loaded l(corpus("py-excel-tab-xyzv.tsv"));
        ASSERT_TRUE(l.loaded);
        EXPECT_EQ(l.view.data.dataFormat, 3);
        auto points = pointsOf(l.view.data);
        expectSamePoints(points, grid);
        for (const auto& p : points) EXPECT_DOUBLE_EQ(p[3], p[0] + p[1]);
        EXPECT_EQ(l.view.settings.scaleLabel[2], "z");
    }
    {   // the program's three header lines with semicolons and decimal commas: format 2 by its number
        Loaded l(corpus("py-program-lines.csv"));
        ASSERT_TRUE(l.loaded);
        EXPECT_EQ(l.view.data.dataFormat, 2);
        expectSamePoints(pointsOf(l.view.data), {grid.begin(), grid.begin() + 33});
        EXPECT_NE(l.notes().find(cp932("ﾃﾞｰﾀ形式の3行")), std::string::npos) << l.notes();
    }
    {   // columns lined up with runs of spaces
        Loaded l(corpus("savetxt-xyz.txt"));
        ASSERT_TRUE(l.loaded);
        expectSamePoints(pointsOf(l.view.data), {grid.begin(), grid.begin() + 22});
    }
    {   // vectors under names; the row whose vector has a NaN component places nothing
        Loaded l(corpus("py-unix-vectors.csv"));
        ASSERT_TRUE(l.loaded);
        EXPECT_EQ(l.view.data.dataFormat, 5);
        EXPECT_EQ(l.view.data.pointCount, 4);
        EXPECT_NE(l.notes().find(cp932("点の位置がない行 1 を除外 (最初は 5 行目)")), std::string::npos) << l.notes();
    }
    {   // vectors and data, semicolons and decimal commas, UTF-8 with a mark
        Loaded l(corpus("py-vectorsv-bom.csv"));
        ASSERT_TRUE(l.loaded);
        EXPECT_EQ(l.view.data.dataFormat, 6);
        ASSERT_EQ(l.view.data.pointCount, 5);
        for (int i = 0; i < 5; ++i) {
            EXPECT_DOUBLE_EQ(l.view.data.pointAt(i)[4], 0.5 * i);
            EXPECT_DOUBLE_EQ(l.view.data.pointAt(i)[6], 1.5 * i);
        }
    }
}

TEST(ImportCorpus, MissingValuesAreHolesThatSaveAsNanAndReadBack) {
    auto want = reference();
    // Empty, "#N/A", "-" and "n.a." at (column, row) (2, 4), (6, 2), (10, 8), (0, 0).
    for (auto [c, r] : {std::pair{2, 4}, {6, 2}, {10, 8}, {0, 0}}) want[std::size_t(r * 11 + c)][2] = NAN;
    Loaded l(corpus("lo-holes.csv"));
    ASSERT_TRUE(l.loaded);
    expectSamePoints(pointsOf(l.view.data), want);
    EXPECT_NE(l.notes().find(cp932("穴 4")), std::string::npos) << l.notes();
    const ValueRange& z = l.view.data.valueRange[RangeZ];
    EXPECT_TRUE(std::isfinite(z.min) && std::isfinite(z.max));

    test::ScratchDir dir;
    const std::string saved = dir.file("saved.csv");
    ASSERT_TRUE(l.view.writeDataFile(saved, l.view.settingsText()));
    EXPECT_NE(test::readFile(saved).find(",nan"), std::string::npos);
    Loaded again(saved);
    ASSERT_TRUE(again.loaded);
    EXPECT_TRUE(again.host.notes.empty()) << "saved in the program's own layout";
    expectSamePoints(pointsOf(again.view.data), want);
    EXPECT_EQ(again.view.data.valueRange[RangeZ].min, z.min);
    EXPECT_EQ(again.view.data.valueRange[RangeZ].max, z.max);
}

// Columns lined up with blanks, as a Fortran program writes a grid: the X
// row has no top-left cell, only the blanks before its first value.
TEST(ImportCorpus, ASpaceSeparatedGridWithoutItsTopLeftCell) {
    test::ScratchDir dir;
    const std::string path = dir.file("fortran.txt");
    test::writeFile(path, "          0.5       1.0       1.5\n"
                          "  10.0    1.0       2.0       nan\n"
                          "  20.0    4.0       5.0       6.0\n");
    Loaded l(path);
    ASSERT_TRUE(l.loaded);
    expectSamePoints(pointsOf(l.view.data), {{0.5, 10, 1}, {1, 10, 2}, {1.5, 10, NAN},
                                             {0.5, 20, 4}, {1, 20, 5}, {1.5, 20, 6}});
    EXPECT_EQ(l.view.data.valueRange[RangeZ].max, 6.0);
}

TEST(ImportCorpus, WhatCannotBeReadIsRefusedWithWhatWasSeen) {
    test::ScratchDir dir;
    struct Case {
        const char* file;
        int status;
        const char* said;
    };
    const Case cases[] = {
        {"one-column.txt", 1, "1 行目: 区切り文字が見つかりません"},
        {"two-columns.csv", 1, "1 行目: 2 列の並びはどの形式にも合いません"},
        {"prose.txt", 3, "ｸﾞﾗﾌﾃﾞｰﾀがありません。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        test::RenderRun r = test::runRender({corpus(c.file), "-o", dir.file("x.png")}, dir.path());
        if (r.noGl()) GTEST_SKIP() << r.err;
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
    }
    // In the window the load fails and the data set stays as it was.
    Loaded l(corpus("reference.csv"));
    ASSERT_TRUE(l.loaded);
    EXPECT_FALSE(l.view.loadDataFile(corpus("two-columns.csv"), false));
    EXPECT_EQ(l.view.data.pointCount, 99);
    ASSERT_EQ(l.host.messages.size(), 1u);
}

// The program's own layout keeps its rules, with the two mends: quoted
// numbers are numbers, a row of nothing but commas is a blank line; a grid
// row that an empty field shortened is said.
TEST(ImportOwnLayout, QuotedNumbersRowsOfCommasAndShortRowsAreSaid) {
    test::ScratchDir dir;
    const std::string path = dir.file("own.csv");
    test::writeFile(path, cp932("ﾃﾞｰﾀ形式,1\r\nKelvra ver.1.52\r\n\r\n"
                                ",\"1\",2,3\r\n10,\"9\",8,7\r\n,,,,,,\r\n20,5,,7\r\n30,1,2,3\r\n"));
    Loaded l(path);
    ASSERT_TRUE(l.loaded);
    const GraphData& d = l.view.data;
    EXPECT_EQ(d.rowCount, 3);
    EXPECT_EQ(d.pointAt(0)[0], 1.0);
    EXPECT_EQ(d.pointAt(0)[2], 9.0);
    // "5, empty, 7" keeps its rule: the 7 moves left, the row is short, and that is said.
    EXPECT_EQ(d.pointAt(4)[2], 7.0);
    EXPECT_NE(l.notes().find(cp932("7 行目の値の数 (2) が X の数 (3) と違います")), std::string::npos) << l.notes();
    EXPECT_EQ(l.host.importQuestions, 0);
}

TEST(ImportChoices, CommandLineAndLaunchFileOverrideTheDetection) {
    test::ScratchDir dir;
    const std::string data = dir.file("square.csv");
    test::writeFile(data, "0;1;2\n1;5;6\n2;7;8\n");   // three columns: detected as X, Y, Z
    auto run = [&](std::vector<std::string> options) {
        options.insert(options.begin(), data);
        options.insert(options.end(), {"--write-data", dir.file("out.csv")});
        return test::runRender(options, dir.path());
    };
    test::RenderRun detected = run({});
    EXPECT_EQ(detected.status, 0) << detected.err;
    EXPECT_NE(detected.err.find("X,Y,Z の並び"), std::string::npos) << detected.err;
    EXPECT_EQ(std::count(detected.err.begin(), detected.err.end(), '\n'), 1) << "one line";

    test::RenderRun grid = run({"--layout", "grid"});
    EXPECT_EQ(grid.status, 0) << grid.err;
    EXPECT_NE(grid.err.find("2 x 2 の格子"), std::string::npos) << grid.err;
    EXPECT_NE(test::readFile(dir.file("out.csv")).find(test::cp932("ﾃﾞｰﾀ形式,1")), std::string::npos);

    test::RenderRun comma = run({"--separator", "comma"});
    EXPECT_EQ(comma.status, 1) << comma.err;
    EXPECT_NE(comma.err.find("区切り文字が見つかりません"), std::string::npos) << comma.err;

    test::RenderRun bad = run({"--layout", "table"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("--layout: takes grid, xyz, xyzv, vectors or vectorsv, not \"table\""), std::string::npos)
        << bad.err;

    const std::string launch = dir.file("launch.txt");
    test::writeFile(launch, "[Kelvra]\r\nData_File_Name=" + data + "\r\nData_Layout=grid\r\nImage_File_Name=" +
                                dir.file("l.png") + "\r\n");
    test::RenderRun launched = test::runRender({launch}, dir.path());
    if (launched.noGl()) GTEST_SKIP() << launched.err;
    EXPECT_EQ(launched.status, 0) << launched.err;
    EXPECT_NE(launched.err.find("2 x 2 の格子"), std::string::npos) << launched.err;
}

TEST(ImportSettingsFile, Utf8WithoutAMarkIsRead) {
    HeadlessHost host;
    host.printMessages = false;
    CKelvraView view(host);
    ASSERT_TRUE(view.loadSettingsFile(corpus("settings-utf8.txt")));
    EXPECT_EQ(view.settings.viewZoom, 150);
    EXPECT_EQ(view.settings.scaleLabel[0], cp932("距離"));
}

}  // namespace
}  // namespace kelvra
