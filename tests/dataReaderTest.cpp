// The data file reader: the seven layouts, the format-number rules, the field
// rules (spaces, empty fields, 199 characters, malformed and non-finite
// numbers, a comma-decimal locale), line breaks, blank lines, ranges, reload,
// progress, the failure messages and the states they leave, and inputs that
// must not make the reader write outside its array. These tests run without a
// GL context: the reader then leaves the lists marked as not built.
#include <gtest/gtest.h>

#include <climits>
#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstring>
#include <locale.h>
#include <random>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/cp932.h"
#include "core/headlessHost.h"
#include "core/kelvraView.h"
#include "data/pointSort.h"
#include "data/textScan.h"
#include "support/testFiles.h"

namespace kelvra {
namespace {

using test::cp932;

// A host that also records what the reader asks of the progress window and
// of the open dialog.
class RecordingHost : public HeadlessHost {
public:
    void showLoadProgress(bool visible) override {
        shown.push_back(visible);
        progress.clear();
    }
    void setLoadProgress(int percent) override {
        HeadlessHost::setLoadProgress(percent);
        progress.push_back(percent);
    }
    void hideLoadProgress() override { ++hidden; }
    std::optional<std::string> askFileName(const FileDialogRequest& request) override {
        dialogs.push_back(request);
        return HeadlessHost::askFileName(request);
    }

    std::vector<bool> shown;
    std::vector<int> progress;
    int hidden = 0;
    std::vector<FileDialogRequest> dialogs;
};

// Lines 1-3 as the writer makes them, then the given lines.
std::string dataFile(const std::string& formatField, const std::vector<std::string>& lines,
                     const char* eol = "\r\n") {
    std::string text = cp932("ﾃﾞｰﾀ形式,") + formatField + eol + "Kelvra ver.1.52" + eol + eol;
    for (const std::string& line : lines) text += line + eol;
    return text;
}
std::string dataFile(int format, const std::vector<std::string>& lines, const char* eol = "\r\n") {
    return dataFile(std::to_string(format), lines, eol);
}

const std::string& cannotOpen(const std::string& nameUtf8) {
    static std::string text;
    text = cp932(nameUtf8 + " を開くことが出来ません。(ｴｸｾﾙ等で使われている可能性があります)");
    return text;
}

class Reader : public ::testing::Test {
protected:
    Reader() : view(host) { host.printMessages = false; }

    bool load(const std::string& bytes, bool reload = false, const std::string& name = "data.csv") {
        path = dir.file(name);
        test::writeFile(path, bytes);
        return view.loadDataFile(path, reload);
    }
    // Values of point p.
    std::vector<double> pt(int p) const {
        const double* v = view.point(std::size_t(p));
        return std::vector<double>(v, v + view.valuesPerPoint);
    }
    std::vector<double> grid(int r, int c) const { return pt(r * view.columnCount + c); }
    void expectRange(int index, double min, double max) const {
        EXPECT_DOUBLE_EQ(view.valueRange[index].min, min) << "range " << index;
        EXPECT_DOUBLE_EQ(view.valueRange[index].max, max) << "range " << index;
    }
    void expectUntouchedRange(int index) const { expectRange(index, 999999.0, -999999.0); }
    // The array must hold every point the data set claims: rows x columns of a
    // grid (and of the estimate that vectors keep), the points of every list.
    void expectCountsWithinArray() const {
        std::size_t points = view.pointValues.size() / std::size_t(view.valuesPerPoint);
        if (view.dataKind != Scattered) {
            EXPECT_LE(std::size_t(view.rowCount) * std::size_t(view.columnCount), points);
        }
        EXPECT_LE(std::size_t(view.pointCount), points);
    }

    test::ScratchDir dir;
    RecordingHost host;
    CKelvraView view;
    std::string path;
};

using V = std::vector<double>;

// ---- format number ------------------------------------------------------------------

class ReaderFormatNumber : public Reader {};

TEST_F(ReaderFormatNumber, OnlyTheCharacterAfterTheFirstCommaCounts) {
    ASSERT_TRUE(load(dataFile(3, {"1,2,3,4"})));
    EXPECT_EQ(view.dataFormat, 3);
    ASSERT_TRUE(load(dataFile("", {",1,2", "5,6,7"})));
    EXPECT_EQ(view.dataFormat, 1);   // empty field at the end of the line
    ASSERT_TRUE(load(dataFile("3", {"1,2,3,4"})));
    ASSERT_TRUE(load(dataFile(",5", {",1,2", "5,6,7"})));
    EXPECT_EQ(view.dataFormat, 1);   // empty field before another comma
    ASSERT_TRUE(load(dataFile("12", {",1,2", "5,6,7"})));
    EXPECT_EQ(view.dataFormat, 1);   // "12": only the "1" counts
    ASSERT_TRUE(load("any, text before, the comma\r\n"
                     "\r\n\r\n1,2,3\r\n"));
    EXPECT_EQ(view.dataFormat, 1);   // the first comma decides: " text" is not a digit, 1 was kept
    ASSERT_TRUE(load("label only before the comma,5\r\n\r\n\r\n1,2,3,4,5,6\r\n"));
    EXPECT_EQ(view.dataFormat, 5);
}

TEST_F(ReaderFormatNumber, UnknownNumberIsTakenOnlyByTheFirstLoad) {
    ASSERT_TRUE(load(dataFile(9, {",1,2", "5,6,7"})));
    EXPECT_EQ(view.dataFormat, 9);
    EXPECT_EQ(view.valuesPerPoint, 3);
    EXPECT_EQ(view.dataKind, Grid);   // read as a column grid
    EXPECT_EQ(view.columnCount, 2);
    EXPECT_EQ(view.rowCount, 1);

    ASSERT_TRUE(load(dataFile(2, {"1,2,3"})));
    EXPECT_EQ(view.dataFormat, 2);
    ASSERT_TRUE(load(dataFile(9, {"4,5,6", "7,8,9"})));
    EXPECT_EQ(view.dataFormat, 2);   // a later "9" keeps the previous format
    EXPECT_EQ(view.pointCount, 2);
}

TEST_F(ReaderFormatNumber, FirstLoadReadsOtherFieldsAsAnInteger) {
    ASSERT_TRUE(load(dataFile("x", {",1,2", "5,6,7"})));
    EXPECT_EQ(view.dataFormat, 0);   // no number: 0, read as a column grid
    EXPECT_EQ(view.columnCount, 2);

    CKelvraView fresh(host);
    path = dir.file("space.csv");
    test::writeFile(path, dataFile(" 3", {"1,2,3,4"}));
    ASSERT_TRUE(fresh.loadDataFile(path, false));
    EXPECT_EQ(fresh.dataFormat, 3);   // " 3": the space is "another character"; atoi gives 3
    EXPECT_EQ(fresh.valuesPerPoint, 4);

    CKelvraView huge(host);
    test::writeFile(path, dataFile("99999999999999999999", {",1", "2,3"}));
    ASSERT_TRUE(huge.loadDataFile(path, false));
    EXPECT_EQ(huge.dataFormat, INT_MAX);   // saturated, not overflowed
    EXPECT_EQ(huge.columnCount, 1);        // and read as a column grid
}

TEST_F(ReaderFormatNumber, FirstLineWithoutACommaReadsAsFormat1) {
    ASSERT_TRUE(load(cp932("ﾃﾞｰﾀ形式\r\n") + "title\r\n\r\n,1,2\r\n5,6,7\r\n"));
    EXPECT_EQ(view.dataFormat, 1);
    EXPECT_EQ(view.columnCount, 2);
    EXPECT_EQ(view.rowCount, 1);
    EXPECT_EQ(grid(0, 1), (V{2, 5, 7}));
}

// ---- format 1 -----------------------------------------------------------------------

class ReaderFormat1 : public Reader {};

TEST_F(ReaderFormat1, HeaderGivesXAndEachRowItsYAndZ) {
    ASSERT_TRUE(load(dataFile(1, {",1,2,3", "10,4,5,6", "20,7,8,9"})));
    EXPECT_EQ(view.dataKind, Grid);
    EXPECT_EQ(view.valuesPerPoint, 3);
    EXPECT_EQ(view.columnCount, 3);
    EXPECT_EQ(view.rowCount, 2);
    EXPECT_EQ(grid(0, 0), (V{1, 10, 4}));
    EXPECT_EQ(grid(1, 2), (V{3, 20, 9}));
    expectRange(RangeX, 1, 3);
    expectRange(RangeY, 10, 20);
    expectRange(RangeZ, 4, 9);
    expectUntouchedRange(RangeData);
    expectUntouchedRange(RangeVector);
    EXPECT_EQ(view.legendColorSource, 2);
    EXPECT_TRUE(view.dataLoaded);
}

TEST_F(ReaderFormat1, FirstHeaderCellIsDroppedWhateverItHolds) {
    ASSERT_TRUE(load(dataFile(1, {",1,2,3", "10,4,5,6"})));
    EXPECT_EQ(view.columnCount, 3);
    EXPECT_EQ(grid(0, 0)[0], 1);
    ASSERT_TRUE(load(dataFile(1, {"Y\\X,1,2,3", "10,4,5,6"})));
    EXPECT_EQ(view.columnCount, 3);
    EXPECT_EQ(grid(0, 0)[0], 1);
    EXPECT_EQ(grid(0, 2)[0], 3);
    ASSERT_TRUE(load(dataFile(1, {",1,,2,3", "10,4,5,6"})));
    EXPECT_EQ(view.columnCount, 3);   // an empty header field is skipped
    EXPECT_EQ(grid(0, 1)[0], 2);
}

TEST_F(ReaderFormat1, EmptyFieldsMoveTheFollowingValuesLeft) {
    ASSERT_TRUE(load(dataFile(1, {",1,2,3", "1,1,1,1", "5,,7,8"})));
    EXPECT_EQ(grid(1, 0), (V{1, 5, 7}));
    EXPECT_EQ(grid(1, 1), (V{2, 5, 8}));
    EXPECT_EQ(grid(1, 2), (V{0, 0, 0}));   // the short row leaves the rest at zero
}

TEST_F(ReaderFormat1, BlankLinesAreSkippedAndMakeNoRows) {
    ASSERT_TRUE(load(dataFile(1, {",1,2", "", "10,4,5", " ", "", "20,6,7", ","})));
    EXPECT_EQ(view.rowCount, 2);
    EXPECT_EQ(grid(1, 1), (V{2, 20, 7}));
}

TEST_F(ReaderFormat1, LfAndCrLfAndAMissingFinalBreakReadAlike) {
    std::vector<std::string> lines = {",0.5,1.5", "-1,2.25,3", "1,4,5e-1"};
    ASSERT_TRUE(load(dataFile(1, lines, "\r\n")));
    std::vector<double> crlf(view.pointValues.data(), view.pointValues.data() + 12);
    ASSERT_TRUE(load(dataFile(1, lines, "\n")));
    std::vector<double> lf(view.pointValues.data(), view.pointValues.data() + 12);
    std::string noFinal = dataFile(1, lines, "\n");
    noFinal.pop_back();
    ASSERT_TRUE(load(noFinal));
    std::vector<double> last(view.pointValues.data(), view.pointValues.data() + 12);
    EXPECT_EQ(crlf, lf);
    EXPECT_EQ(crlf, last);
    EXPECT_EQ(view.rowCount, 2);
    EXPECT_EQ(grid(1, 1), (V{1.5, 1, 0.5}));
}

// Decided: values beyond the header's columns are dropped; the next row is not touched.
TEST_F(ReaderFormat1, ExtraValuesInARowAreIgnored) {
    ASSERT_TRUE(load(dataFile(1, {",1,2", "10,3,4,99,98,97", "20,5,6"})));
    EXPECT_EQ(view.columnCount, 2);
    EXPECT_EQ(view.rowCount, 2);
    EXPECT_EQ(grid(1, 0), (V{1, 20, 5}));
    expectRange(RangeZ, 3, 6);
    expectCountsWithinArray();
}

// Decided: a header wider than line 6 (the column estimate) gets an array that
// holds it, instead of losing columns or writing past the end.
TEST_F(ReaderFormat1, HeaderWiderThanLine6GetsRoomForEveryColumn) {
    std::string header = "";
    for (int c = 0; c < 40; ++c) header += ',' + std::to_string(c);
    std::vector<std::string> lines = {header, "0,1", "1,2"};
    for (int r = 2; r < 10; ++r) {
        std::string row = std::to_string(r);
        for (int c = 0; c < 40; ++c) row += ',' + std::to_string(r * 100 + c);
        lines.push_back(row);
    }
    ASSERT_TRUE(load(dataFile(1, lines)));
    EXPECT_EQ(view.columnCount, 40);
    EXPECT_EQ(view.rowCount, 10);
    expectCountsWithinArray();
    EXPECT_EQ(grid(9, 39), (V{39, 9, 939}));
    EXPECT_EQ(grid(0, 0), (V{0, 0, 1}));
    EXPECT_EQ(grid(0, 5), (V{5, 0, 0}));   // row 0 had one value: the rest keep their X only
}

TEST_F(ReaderFormat1, RowsEndAtTheSettingsSection) {
    std::string text = dataFile(1, {",1,2", "10,3,4", ""}) + cp932("[グラフの設定]\r\n 種類 = 1\r\n,5,6\r\n");
    ASSERT_TRUE(load(text));
    EXPECT_EQ(view.rowCount, 1);
    expectRange(RangeY, 10, 10);
}

// ---- formats 2 and 3 ----------------------------------------------------------------

class ReaderFormat2 : public Reader {};

TEST_F(ReaderFormat2, SortsRowsByYThenX) {
    ASSERT_TRUE(load(dataFile(2, {"2,20,5", "0,10,1", "1,20,4", "2,10,2", "0,20,3", "1,10,9",
                                  "1,0,7", "0,0,6", "2,0,8"})));
    EXPECT_EQ(view.dataKind, Grid);
    EXPECT_EQ(view.pointCount, 9);
    EXPECT_EQ(view.rowCount, 3);
    EXPECT_EQ(view.columnCount, 3);
    EXPECT_EQ(grid(0, 0), (V{0, 0, 6}));
    EXPECT_EQ(grid(0, 2), (V{2, 0, 8}));
    EXPECT_EQ(grid(1, 1), (V{1, 10, 9}));
    EXPECT_EQ(grid(2, 0), (V{0, 20, 3}));
    expectRange(RangeX, 0, 2);
    expectRange(RangeY, 0, 20);
    expectRange(RangeZ, 1, 9);
}

TEST_F(ReaderFormat2, AnyFileOrderGivesTheSameArray) {
    std::vector<std::string> points;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) points.push_back(std::to_string(x * 0.5) + "," + std::to_string(-y) + "," + std::to_string(x * y));
    ASSERT_TRUE(load(dataFile(2, points)));
    std::vector<double> sorted(view.pointValues.data(), view.pointValues.data() + 60);
    std::vector<std::string> reversed(points.rbegin(), points.rend());
    ASSERT_TRUE(load(dataFile(2, reversed)));
    EXPECT_EQ(std::vector<double>(view.pointValues.data(), view.pointValues.data() + 60), sorted);
    std::vector<std::string> interleaved;
    for (std::size_t i = 0; i < points.size(); i += 2) interleaved.push_back(points[i]);
    for (std::size_t i = 1; i < points.size(); i += 2) interleaved.push_back(points[i]);
    ASSERT_TRUE(load(dataFile(2, interleaved)));
    EXPECT_EQ(std::vector<double>(view.pointValues.data(), view.pointValues.data() + 60), sorted);
    EXPECT_EQ(view.rowCount, 4);
    EXPECT_EQ(view.columnCount, 5);
    EXPECT_EQ(grid(0, 0)[1], -3);
}

TEST_F(ReaderFormat2, OneShortRowMakesTheDataScattered) {
    ASSERT_TRUE(load(dataFile(2, {"0,0,1", "1,0,1", "2,0,1", "0,1,1", "2,1,1", "0,2,1", "1,2,1", "2,2,1"})));
    EXPECT_EQ(view.dataKind, Scattered);
    EXPECT_EQ(view.pointCount, 8);
    EXPECT_EQ(view.rowCount, 3);
    EXPECT_EQ(view.columnCount, 3);
    EXPECT_EQ(pt(4), (V{2, 1, 1}));
}

TEST_F(ReaderFormat2, EmptyFieldsReadZeroAndMissingOnesStayZero) {
    ASSERT_TRUE(load(dataFile(2, {"1,,3", "5,6", "7,8,9,10,11"})));
    EXPECT_EQ(view.pointCount, 3);
    EXPECT_EQ(pt(0), (V{1, 0, 3}));
    EXPECT_EQ(pt(1), (V{5, 6, 0}));
    EXPECT_EQ(pt(2), (V{7, 8, 9}));   // extra fields ignored
    EXPECT_EQ(view.dataKind, Grid);      // three rows of one point
    EXPECT_EQ(view.rowCount, 3);
    EXPECT_EQ(view.columnCount, 1);
}

TEST_F(ReaderFormat2, ShortLinesAreBlank) {
    ASSERT_TRUE(load(dataFile(2, {"1,2,3", "12", "", "4,", "4,,", "4,5,6"})));
    EXPECT_EQ(view.pointCount, 3);   // "4,," has three characters: the point (4, 0, 0)
    EXPECT_EQ(pt(0), (V{4, 0, 0}));
}

// Decided: points with equal X and Y keep their file order (the sort is stable).
TEST_F(ReaderFormat2, EqualPointsKeepTheirFileOrder) {
    ASSERT_TRUE(load(dataFile(3, {"1,1,0,30", "0,1,0,10", "1,1,0,31", "0,1,0,11", "1,1,0,32", "0,1,0,12"})));
    EXPECT_EQ(view.dataKind, Grid);
    EXPECT_EQ(view.rowCount, 1);
    EXPECT_EQ(view.columnCount, 6);
    std::vector<double> data;
    for (int p = 0; p < 6; ++p) data.push_back(pt(p)[3]);
    EXPECT_EQ(data, (V{10, 11, 12, 30, 31, 32}));
}

TEST_F(ReaderFormat2, NegativeZeroIsTheSameRow) {
    ASSERT_TRUE(load(dataFile(2, {"0,-0,1", "1,0,2", "0,1,3", "1,1,4"})));
    EXPECT_EQ(view.dataKind, Grid);
    EXPECT_EQ(view.rowCount, 2);
}

TEST_F(ReaderFormat2, Format3SetsTheDataRangeButNotTheVectorRange) {
    ASSERT_TRUE(load(dataFile(3, {"0,0,1,-5", "1,0,2,7", "0,1,3,2", "1,1,4,0"})));
    EXPECT_EQ(view.valuesPerPoint, 4);
    EXPECT_EQ(view.dataKind, Grid);
    expectRange(RangeData, -5, 7);
    expectUntouchedRange(RangeVector);
    EXPECT_EQ(view.legendColorSource, 3);
    EXPECT_EQ(grid(0, 1), (V{1, 0, 2, 7}));
}

// ---- format 4 -----------------------------------------------------------------------

class ReaderFormat4 : public Reader {};

TEST_F(ReaderFormat4, StepsGiveXAndY) {
    ASSERT_TRUE(load(dataFile(4, {"1,0.5", "10,2", "1,2,3", "4,5,6"})));
    EXPECT_EQ(view.dataKind, Grid);
    EXPECT_EQ(view.columnCount, 3);
    EXPECT_EQ(view.rowCount, 2);
    EXPECT_EQ(grid(0, 0), (V{1, 10, 1}));
    EXPECT_EQ(grid(1, 2), (V{2, 12, 6}));
    expectRange(RangeX, 1, 2);
    expectRange(RangeY, 10, 12);
    expectRange(RangeZ, 1, 6);
}

TEST_F(ReaderFormat4, NegativeStepLeavesMinAboveMax) {
    ASSERT_TRUE(load(dataFile(4, {"5,-1", ",,3,-0.5", "1,2,3", "4,5,6", "7,8,9"})));
    expectRange(RangeX, 5, 3);
    expectRange(RangeY, 3, 2);   // empty fields before the first two values are skipped
    EXPECT_EQ(grid(2, 2), (V{3, 2, 9}));
}

TEST_F(ReaderFormat4, FirstRowSetsTheColumnsAndExtraValuesAreIgnored) {
    ASSERT_TRUE(load(dataFile(4, {"0,1", "0,1", "1,,2", "3,4,5,6", "", "7"})));
    EXPECT_EQ(view.columnCount, 2);
    EXPECT_EQ(view.rowCount, 2);   // "7" is one character: blank
    EXPECT_EQ(grid(0, 1), (V{1, 0, 2}));
    EXPECT_EQ(grid(1, 1), (V{1, 1, 4}));
    expectRange(RangeZ, 1, 4);
    expectCountsWithinArray();
}

// Decided: a blank line 6 does not make a grid of no columns; the first row does.
TEST_F(ReaderFormat4, BlankLine6DoesNotHideTheColumns) {
    ASSERT_TRUE(load(dataFile(4, {"0,1", "0,1", "", "1,2,3,4,5,6,7,8", "9,10,11,12,13,14,15,16"})));
    EXPECT_EQ(view.columnCount, 8);
    EXPECT_EQ(view.rowCount, 2);
    EXPECT_EQ(grid(1, 7), (V{7, 1, 16}));
    expectCountsWithinArray();
}

// ---- formats 5 and 6 ----------------------------------------------------------------

class ReaderVectors : public Reader {};

TEST_F(ReaderVectors, Format5DataAndVectorRangesAreTheLength) {
    ASSERT_TRUE(load(dataFile(5, {"0,0,0,3,4,0", "1,2,3,0,0,1", "4,5,6,1,2,2"})));
    EXPECT_EQ(view.dataKind, Vectors);
    EXPECT_EQ(view.valuesPerPoint, 6);
    EXPECT_EQ(view.pointCount, 3);
    EXPECT_EQ(pt(2), (V{4, 5, 6, 1, 2, 2}));   // file order
    expectRange(RangeData, 1, 5);
    expectRange(RangeVector, 1, 5);
    expectRange(RangeZ, 0, 6);
    EXPECT_EQ(view.legendColorSource, 3);
    // Rows and columns keep the sizing estimate: 4 + 0 lines after line 6, 2 + 5 commas.
    EXPECT_EQ(view.rowCount, 4);
    EXPECT_EQ(view.columnCount, 7);
}

TEST_F(ReaderVectors, Format6KeepsDataAndLengthApart) {
    ASSERT_TRUE(load(dataFile(6, {"0,0,0,3,4,0,-1", "1,2,3,0,0,1,9"})));
    EXPECT_EQ(view.dataKind, Vectors);
    EXPECT_EQ(view.valuesPerPoint, 7);
    expectRange(RangeVector, 1, 5);
    expectRange(RangeData, -1, 9);
    EXPECT_EQ(pt(1), (V{1, 2, 3, 0, 0, 1, 9}));
}

TEST_F(ReaderVectors, HugeComponentsGiveAFiniteLength) {
    ASSERT_TRUE(load(dataFile(5, {"0,0,0,1e300,1e300,0", "0,0,0,1.7e308,1.7e308,1.7e308"})));
    EXPECT_NEAR(view.valueRange[RangeVector].min, 1.41421356e300, 1e292);
    EXPECT_TRUE(std::isfinite(view.valueRange[RangeVector].max));
}

// ---- format 7 -----------------------------------------------------------------------

class ReaderFormat7 : public Reader {};

TEST_F(ReaderFormat7, PointsEndAtTheLessThanLine) {
    ASSERT_TRUE(load(dataFile(7, {"1,2,3,4", "5,6,7,8", "<", "9,9,9,9", "10,10,10,10"})));
    EXPECT_EQ(view.dataKind, PointValues);
    EXPECT_EQ(view.valuesPerPoint, 4);
    EXPECT_EQ(view.pointCount, 2);
    expectRange(RangeData, 4, 8);
    expectRange(RangeX, 1, 5);
    expectUntouchedRange(RangeVector);
    EXPECT_EQ(pt(2), (V{0, 0, 0, 0}));
}

TEST_F(ReaderFormat7, WithoutTerminatorReadsToTheEnd) {
    ASSERT_TRUE(load(dataFile(7, {"1,2,3,4", "", "5,6,7,8"})));
    EXPECT_EQ(view.pointCount, 2);
    EXPECT_EQ(pt(1), (V{5, 6, 7, 8}));
}

// ---- fields and numbers -------------------------------------------------------------

class ReaderFields : public Reader {};

TEST_F(ReaderFields, SpacesAreRemovedAnywhereInAField) {
    ASSERT_TRUE(load(dataFile(2, {" 1 234 , - 5 , 6. 5e 1"})));
    EXPECT_EQ(pt(0), (V{1234, -5, 65}));
}

TEST_F(ReaderFields, MalformedTextReadsLikeAtof) {
    ASSERT_TRUE(load(dataFile(7, {"12abc,abc,+5,0x10", "1e,.5,-.25,1.5e-400", "\t7,--1,+-2,5."})));
    EXPECT_EQ(pt(0), (V{12, 0, 5, 16}));
    EXPECT_EQ(pt(1), (V{1, 0.5, -0.25, 0}));
    EXPECT_EQ(pt(2), (V{7, 0, 0, 5}));
}

// Decided: infinities, NaN and overflow read as 0 so that ranges stay finite.
TEST_F(ReaderFields, NonFiniteNumbersReadZero) {
    ASSERT_TRUE(load(dataFile(7, {"nan,inf,-inf,1e999", "-1e999,INFINITY,NaN(1),2"})));
    EXPECT_EQ(pt(0), (V{0, 0, 0, 0}));
    EXPECT_EQ(pt(1), (V{0, 0, 0, 2}));
    expectRange(RangeData, 0, 2);
}

TEST_F(ReaderFields, AFieldKeepsAtMost199Characters) {
    std::string longNumber = "1" + std::string(250, '0');   // 1e250, cut to 1e198
    std::string spaced = "1 ";   // spaces do not count
    spaced.append(198, '0');
    spaced += '5';
    ASSERT_TRUE(load(dataFile(2, {longNumber + "," + spaced + ",0.5"})));
    EXPECT_DOUBLE_EQ(pt(0)[0], 1e198);
    EXPECT_DOUBLE_EQ(pt(0)[1], 1e198);
    EXPECT_EQ(pt(0)[2], 0.5);
}

// setlocale with a comma-decimal locale. When the system has none, one is built
// with localedef into the temporary folder (once; later runs reuse it).
bool useCommaDecimalLocale() {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "de_DE"})
        if (std::setlocale(LC_NUMERIC, name)) return true;
    std::string out = (std::filesystem::temp_directory_path() / "kelvra-tests" / "locales").string();
    std::string built = out + "/de_DE.UTF-8";
    if (!std::filesystem::exists(built + "/LC_NUMERIC")) {
        std::string command = "mkdir -p " + out + " && localedef -i de_DE -f UTF-8 " + built + " >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0) return false;
    }
    setenv("LOCPATH", out.c_str(), 1);
    bool ok = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    unsetenv("LOCPATH");
    return ok;
}

TEST_F(ReaderFields, CommaDecimalLocaleStillReadsAPoint) {
    if (!useCommaDecimalLocale()) GTEST_SKIP() << "no comma-decimal locale";
    struct Restore {
        ~Restore() { std::setlocale(LC_NUMERIC, "C"); }
    } restore;
    ASSERT_EQ(std::atof("1.5"), 1.0) << "the locale should use a decimal comma";
    ASSERT_TRUE(load(dataFile(7, {"1.5,2.25, -0.125 ,0x1.8p1", "1.5x,+2.5,1e400,7"})));
    EXPECT_EQ(pt(0), (V{1.5, 2.25, -0.125, 3}));
    EXPECT_EQ(pt(1), (V{1.5, 2.5, 0, 7}));
}

// The field scanner against a reference model of the field rules: remove the
// spaces, keep 199 characters, atof in the "C" locale, non-finite reads 0.
double referenceField(const std::string& field, bool* nonEmpty) {
    std::string kept;
    for (char c : field)
        if (c != ' ') kept += c;
    *nonEmpty = !kept.empty();
    if (kept.size() > 199) kept.resize(199);
    static locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(0));
    double v = strtod_l(kept.c_str(), nullptr, c);
    return std::isfinite(v) ? v : 0.0;
}

std::string bitsOf(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%a", v);
    return text;
}

TEST_F(ReaderFields, ScannerAgreesWithTheReferenceOnRandomFields) {
    std::mt19937 random(1234);
    const std::string alphabet = "0123456789012345678901234567890123456789..--+eE x\t";
    for (int round = 0; round < 20000; ++round) {
        std::string field;
        int length = int(random() % 30);
        for (int i = 0; i < length; ++i) field += alphabet[random() % alphabet.size()];
        std::string line = field + ",7";
        datafile::TextLine text{line.data(), line.data() + line.size()};
        datafile::FieldCursor cursor(text);
        double got = -12345.0, second = 0.0;
        bool gotNonEmpty = cursor.next(&got);
        bool expectedNonEmpty;
        double expected = referenceField(field, &expectedNonEmpty);
        ASSERT_EQ(gotNonEmpty, expectedNonEmpty) << "[" << field << "]";
        if (expectedNonEmpty) {
            ASSERT_EQ(bitsOf(got), bitsOf(expected)) << "[" << field << "]";
        }
        ASSERT_TRUE(cursor.more());
        ASSERT_TRUE(cursor.next(&second));   // the cursor stopped at the right comma
        ASSERT_EQ(second, 7.0);
        ASSERT_FALSE(cursor.more());
    }
}

// The in-place decimal conversion must give strtod's value bit for bit.
TEST_F(ReaderFields, DecimalConversionIsCorrectlyRounded) {
    std::mt19937_64 random(99);
    static locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(0));
    auto digits = [&](int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += char('0' + random() % 10);
        return s;
    };
    for (int round = 0; round < 200000; ++round) {
        std::string text;
        if (random() % 3 == 0) text += '-';
        text += digits(int(random() % 12));
        if (random() % 2) {
            text += '.';
            text += digits(int(random() % 14));
        }
        if (random() % 2) {
            text += random() % 2 ? 'e' : 'E';
            int sign = int(random() % 3);
            if (sign) text += sign == 1 ? '-' : '+';
            text += digits(int(random() % 3));   // "1e" and "1e+" end before the 'e'
        }
        double got = 0.0;
        const char* stop = datafile::parseDecimal(text.data(), text.data() + text.size(), &got);
        errno = 0;
        char* end = nullptr;
        double expected = strtod_l(text.c_str(), &end, c);
        if (!stop) {
            // No number, or out of range: the scanner's slow path takes over.
            ASSERT_TRUE(end == text.c_str() || errno == ERANGE) << text;
            continue;
        }
        ASSERT_EQ(stop - text.data(), end - text.c_str()) << text;
        ASSERT_EQ(bitsOf(got), bitsOf(expected)) << text;
    }
}

// ---- sorting ------------------------------------------------------------------------

// The row sort against std::stable_sort, on points with many equal X and Y
// (a small alphabet of values), whose fourth value numbers them in file order.
TEST(ReaderSort, AgreesWithAStableSortOfTheWholeList) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        int n = 1 + int(random() % 3000);
        int spread = 1 + int(random() % 60);
        std::vector<double> values(std::size_t(n) * 4);
        for (int i = 0; i < n; ++i) {
            values[i * 4 + 0] = double(int(random() % spread) - spread / 2) * 0.5;
            values[i * 4 + 1] = round % 5 == 0 ? double(random() % 3) : double(int(random() % spread));
            if (random() % 7 == 0) values[i * 4 + 1] = -0.0;
            values[i * 4 + 2] = 1.0;
            values[i * 4 + 3] = i;
        }
        struct P {
            double v[4];
        };
        std::vector<P> expected(static_cast<std::size_t>(n));
        std::memcpy(expected.data(), values.data(), values.size() * sizeof(double));
        std::stable_sort(expected.begin(), expected.end(), [](const P& a, const P& b) {
            return a.v[1] < b.v[1] || (a.v[1] == b.v[1] && a.v[0] < b.v[0]);
        });
        // Odd rounds offer no scratch memory, so the sort finds its own.
        std::vector<char> scratch(round % 2 ? 0 : values.size() * sizeof(double) + 8);
        datafile::sortPointsByYThenX(values.data(), std::size_t(n), 4, scratch.empty() ? nullptr : scratch.data() + 1,
                                     scratch.empty() ? 0 : scratch.size() - 1);
        for (int i = 0; i < n; ++i) ASSERT_EQ(values[i * 4 + 3], expected[i].v[3]) << "round " << round << " point " << i;
    }
}

// ---- ranges -------------------------------------------------------------------------

class ReaderRanges : public Reader {};

TEST_F(ReaderRanges, ValuesAllAboveTheInitialMinimumSetTheirOwnMinimum) {
    ASSERT_TRUE(load(dataFile(2, {"5e6,2e6,3e6", "4e6,1e7,2e6"})));
    expectRange(RangeX, 4e6, 5e6);
    expectRange(RangeY, 2e6, 1e7);
    ASSERT_TRUE(load(dataFile(2, {"-5e6,-2e6,-3e6", "-4e6,-1e7,-2e6"})));
    expectRange(RangeX, -5e6, -4e6);
}

TEST_F(ReaderRanges, ANewLoadResetsEveryRange) {
    ASSERT_TRUE(load(dataFile(6, {"0,0,0,3,4,0,-1"})));
    ASSERT_TRUE(load(dataFile(2, {"1,2,3"})));
    expectUntouchedRange(RangeData);
    expectUntouchedRange(RangeVector);
}

// ---- reload, legend quantity, dialogs -----------------------------------------------

class ReaderReload : public Reader {};

TEST_F(ReaderReload, ReloadKeepsTheLegendQuantityAndOpenResetsIt) {
    ASSERT_TRUE(load(dataFile(3, {"0,0,1,2", "1,0,2,3"})));
    EXPECT_EQ(view.legendColorSource, 3);
    view.legendColorSource = 0;
    ASSERT_TRUE(view.reloadDataFile());
    EXPECT_EQ(view.legendColorSource, 0);
    EXPECT_TRUE(host.dialogs.empty());
    ASSERT_TRUE(view.loadDataFile(path, false));   // opening the same file again
    EXPECT_EQ(view.legendColorSource, 3);
}

TEST_F(ReaderReload, ReloadFlagOnTheFirstLoadStillSetsTheLegendQuantity) {
    view.legendColorSource = 0;
    ASSERT_TRUE(load(dataFile(2, {"1,2,3"}), /*reload=*/true));
    EXPECT_EQ(view.legendColorSource, 2);
}

TEST_F(ReaderReload, ReloadWithoutDataAsksForAFile) {
    path = dir.file("picked.csv");
    test::writeFile(path, dataFile(2, {"1,2,3"}));
    host.fileAnswers = {path};
    ASSERT_TRUE(view.reloadDataFile());
    ASSERT_EQ(host.dialogs.size(), 1u);
    EXPECT_EQ(view.dataFilePath, path);
    EXPECT_EQ(view.dataFileTitle, "picked.csv");
}

TEST_F(ReaderReload, OpenDialogTextsAndStartingFolder) {
    EXPECT_FALSE(view.chooseDataFile());   // cancelled: nothing happens
    ASSERT_EQ(host.dialogs.size(), 1u);
    const FileDialogRequest& first = host.dialogs[0];
    EXPECT_FALSE(first.save);
    EXPECT_EQ(first.title, cp932("ｸﾞﾗﾌﾃﾞｰﾀを開く"));
    ASSERT_EQ(first.filters.size(), 2u);
    EXPECT_EQ(first.filters[0], (std::pair<std::string, std::string>{"Graph Data File (*.csv)", "*.csv"}));
    EXPECT_EQ(first.filters[1], (std::pair<std::string, std::string>{"All Files (*.*)", "*.*"}));
    EXPECT_EQ(first.initialFolder, "");
    EXPECT_FALSE(view.dataLoaded);

    ASSERT_TRUE(load(dataFile(2, {"1,2,3"})));
    EXPECT_FALSE(view.chooseDataFile());
    EXPECT_EQ(host.dialogs.back().initialFolder, dir.path());
}

TEST_F(ReaderReload, TitleIsTheNameAndExtensionInCp932) {
    ASSERT_TRUE(load(dataFile(2, {"1,2,3"}), false, "測定 データ.csv"));
    EXPECT_EQ(view.dataFileTitle, cp932("測定 データ.csv"));
    EXPECT_EQ(view.dataFilePath, dir.file("測定 データ.csv"));
}

// ---- progress -----------------------------------------------------------------------

class ReaderProgress : public Reader {};

// Format 2, n points: line 6 has two commas (column estimate 4) and the row
// estimate is 4 + (n - 3), so the estimate is 4 * (n + 1).
std::string pointsFile(int n) {
    std::vector<std::string> lines;
    for (int i = 0; i < n; ++i) lines.push_back(std::to_string(i % 50) + "," + std::to_string(i / 50) + ",1");
    return dataFile(2, lines);
}

TEST_F(ReaderProgress, ShownOnlyAbove1500EstimatedPoints) {
    ASSERT_TRUE(load(pointsFile(374)));   // 1500
    ASSERT_EQ(host.shown.size(), 1u);
    EXPECT_FALSE(host.shown[0]);
    ASSERT_TRUE(load(pointsFile(375)));   // 1504
    ASSERT_EQ(host.shown.size(), 2u);
    EXPECT_TRUE(host.shown[1]);
    EXPECT_EQ(host.hidden, 2);
}

TEST_F(ReaderProgress, GridProgressCountsRowsAgainstTheEstimate) {
    std::vector<std::string> lines = {",1,2,3"};
    for (int r = 0; r < 1000; ++r) lines.push_back(std::to_string(r) + ",1,2,3");
    ASSERT_TRUE(load(dataFile(1, lines)));
    // Row estimate 4 + 998; every 10th row; at row 1000: 1000 / 1002.
    ASSERT_EQ(host.progress.size(), 100u);
    EXPECT_EQ(host.progress.front(), 0);
    EXPECT_EQ(host.progress[50], 50);
    EXPECT_EQ(host.progress.back(), 99);
}

TEST_F(ReaderProgress, PointListProgressRunsThroughTheSort) {
    ASSERT_TRUE(load(pointsFile(600)));
    // Estimate 601; step 6; reading against T = 12 * 601, then the sort from
    // T / 6 (16 %) to the end (100 %).
    ASSERT_EQ(host.progress.size(), 100u + 2);
    for (int p : host.progress) {
        EXPECT_GE(p, 0);
        EXPECT_LE(p, 100);
    }
    EXPECT_EQ(host.progress[99], 1);    // floor(floor(600 / 6) / 7212 * 100)
    EXPECT_EQ(host.progress[100], 16);  // floor(1202 / 7212 * 100)
    EXPECT_EQ(host.progress[101], 99);  // floor((1202 + 10 * 600) / 7212 * 100)
}

// ---- failures -----------------------------------------------------------------------

class ReaderFailures : public Reader {};

TEST_F(ReaderFailures, MissingFileShowsItsNameAndChangesNothing) {
    ASSERT_TRUE(load(dataFile(2, {"1,2,3"})));
    std::string loadedPath = path;
    EXPECT_FALSE(view.loadDataFile(dir.file("missing.csv"), false));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], cannotOpen("missing.csv"));
    EXPECT_EQ(view.dataFilePath, loadedPath);
    EXPECT_EQ(view.dataFileTitle, "data.csv");
    EXPECT_TRUE(view.dataLoaded);
    EXPECT_EQ(view.pointCount, 1);
}

TEST_F(ReaderFailures, FolderCannotBeOpened) {
    EXPECT_FALSE(view.loadDataFile(dir.path(), false));
    ASSERT_EQ(host.messages.size(), 1u);
    std::string name = dir.path().substr(dir.path().rfind('/') + 1);
    EXPECT_EQ(host.messages[0], cannotOpen(name));
    EXPECT_EQ(view.dataFileTitle, "newfile");
}

// A file whose estimate (row estimate x column estimate) passes the int range:
// line 6 with 60000 commas and 60000 lines after it.
std::string hugeEstimateFile() {
    std::string text = dataFile(2, {"1,2,3", "4,5,6", std::string(60000, ',')});
    text.reserve(text.size() + 60000 * 3);
    for (int i = 0; i < 60000; ++i) text += "7\r\n";
    return text;
}

// Decided: an estimate beyond what can be held (here more points than int
// counts) is out of memory, not an overflowed allocation.
TEST_F(ReaderFailures, HugeEstimateIsOutOfMemoryAndLeavesNoData) {
    ASSERT_TRUE(load(dataFile(2, {"1,2,3"})));
    EXPECT_FALSE(load(hugeEstimateFile(), false, "huge.csv"));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], cp932("メモリー不足です"));
    EXPECT_FALSE(view.dataLoaded);
    EXPECT_TRUE(view.pointValues.empty());
    EXPECT_EQ(view.rowCount, 0);
    EXPECT_EQ(view.columnCount, 0);
    EXPECT_EQ(view.pointCount, 0);
    EXPECT_EQ(view.dataFileTitle, "huge.csv");   // the file was opened
    EXPECT_EQ(host.shown.size(), 1u);            // only the first load showed progress

    // The view stays usable: F5 now asks for a file, and a good file loads.
    host.fileAnswers = {""};
    EXPECT_FALSE(view.reloadDataFile());
    EXPECT_EQ(host.dialogs.size(), 1u);
    ASSERT_TRUE(load(dataFile(2, {"1,2,3"})));
    EXPECT_TRUE(view.dataLoaded);
}

// An estimate within int range but far beyond memory (about 2e9 points of 7
// values): the allocation fails and says so. (Where the system promises any
// amount of memory, the load succeeds instead; either way nothing breaks.)
TEST_F(ReaderFailures, EstimateBeyondMemoryIsOutOfMemory) {
    std::string text = dataFile(6, {"1,2,3,4,5,6,7", "1,2,3,4,5,6,7", std::string(40000, ',')});
    for (int i = 0; i < 50000; ++i) text += "7\r\n";
    if (load(text)) {
        EXPECT_EQ(view.pointCount, 3);
        return;
    }
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], cp932("メモリー不足です"));
    EXPECT_FALSE(view.dataLoaded);
}

// ---- inputs that must not break the reader ------------------------------------------

class ReaderHostile : public Reader {};

TEST_F(ReaderHostile, EmptyFileLoadsAsAnEmptyGrid) {
    ASSERT_TRUE(load(""));
    EXPECT_TRUE(view.dataLoaded);
    EXPECT_EQ(view.dataFormat, 1);
    EXPECT_EQ(view.dataKind, Grid);
    EXPECT_EQ(view.rowCount, 0);
    EXPECT_EQ(view.columnCount, 0);
    EXPECT_EQ(view.pointCount, 0);
    expectUntouchedRange(RangeX);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(ReaderHostile, FilesWithoutDataLinesLeaveEmptyDataSets) {
    for (int format = 1; format <= 7; ++format) {
        SCOPED_TRACE(format);
        ASSERT_TRUE(load(dataFile(format, {})));
        EXPECT_EQ(view.pointCount, 0);
        expectUntouchedRange(RangeZ);
        if (format <= 4) {
            EXPECT_EQ(view.dataKind, Grid);
            EXPECT_EQ(view.rowCount, 0);
            EXPECT_EQ(view.columnCount, 0);
        } else {
            // Lists keep the estimate: 4 rows, and 2 columns from the empty line 3.
            EXPECT_EQ(view.rowCount, 4);
            EXPECT_EQ(view.columnCount, 2);
        }
        expectCountsWithinArray();
    }
    // A header alone: columns but no rows.
    ASSERT_TRUE(load(dataFile(1, {",1,2,3"})));
    EXPECT_EQ(view.columnCount, 3);
    EXPECT_EQ(view.rowCount, 0);
    expectRange(RangeX, 1, 3);
}

TEST_F(ReaderHostile, LinesLongerThanTheLineBufferAreReadWhole) {
    // Line 6 is short (a line buffer of 1250 bytes); line 8 is 20000 characters.
    std::string wide;
    for (int i = 0; i < 4000; ++i) wide += "0000,";
    std::vector<std::string> lines = {"1,2,3", "4,5,6", "7,8,9", "1,2,3", wide + "5"};
    ASSERT_TRUE(load(dataFile(2, lines)));
    EXPECT_EQ(view.pointCount, 5);
    expectRange(RangeX, 0, 7);
    expectCountsWithinArray();
}

// More lines than the estimate: a "<" line stops the row count, yet every
// layout but format 7 reads on past it.
TEST_F(ReaderHostile, LinesBeyondTheEstimateStayInsideTheArray) {
    std::vector<std::string> points = {"0,0,1", "1,0,1", "2,0,1", "<"};
    for (int i = 0; i < 500; ++i) points.push_back(std::to_string(i % 3) + "," + std::to_string(1 + i / 3) + ",2");
    ASSERT_TRUE(load(dataFile(2, points)));
    EXPECT_EQ(view.pointCount, 503);
    expectCountsWithinArray();
    EXPECT_EQ(pt(502), (V{1, 167, 2}));

    std::vector<std::string> rows = {",1,2", "0,1,1", "1,1,1", "<"};
    for (int i = 0; i < 500; ++i) rows.push_back(std::to_string(i + 2) + ",3,4");
    ASSERT_TRUE(load(dataFile(1, rows)));
    EXPECT_EQ(view.rowCount, 502);
    expectCountsWithinArray();
    EXPECT_EQ(grid(501, 1), (V{2, 501, 4}));

    std::vector<std::string> stepped = {"0,1", "0,1", "1,2", "<"};
    for (int i = 0; i < 500; ++i) stepped.push_back("3,4");
    ASSERT_TRUE(load(dataFile(4, stepped)));
    EXPECT_EQ(view.rowCount, 501);
    expectCountsWithinArray();
}

TEST_F(ReaderHostile, BinaryJunkLoadsWithoutHarm) {
    std::string junk;
    unsigned seed = 12345;
    for (int i = 0; i < 200000; ++i) {
        seed = seed * 1103515245 + 12345;
        junk += char(seed >> 16);
    }
    for (const char* format : {"1", "2", "4", "6", "7"}) {
        SCOPED_TRACE(format);
        ASSERT_TRUE(load(dataFile(format, {junk})));
        expectCountsWithinArray();
        for (int r : {RangeX, RangeY, RangeZ, RangeData, RangeVector}) {
            EXPECT_TRUE(std::isfinite(view.valueRange[r].min));
            EXPECT_TRUE(std::isfinite(view.valueRange[r].max));
        }
    }
}

TEST_F(ReaderHostile, NulBytesAndLoneCarriageReturnsAreOrdinaryCharacters) {
    std::string text = dataFile(2, {std::string("1,2\0,3", 6), "4\r5,6,7"});
    ASSERT_TRUE(load(text));
    EXPECT_EQ(view.pointCount, 2);
    EXPECT_EQ(pt(0), (V{1, 2, 3}));
    EXPECT_EQ(pt(1), (V{4, 6, 7}));
}

// ---- settings section ---------------------------------------------------------------

class ReaderSettingsSection : public Reader {};

// Decided: a settings section is found from line 4 on, so a saved file of one
// data line still ends its data there (the section starts at line 6) and its
// settings are applied.
TEST_F(ReaderSettingsSection, SectionRightAfterOneDataLineIsApplied) {
    std::string text = dataFile(2, {"1,2,3", ""}) + cp932("[グラフの設定]\r\n 種類       = 3\r\n2,3,4\r\n");
    ASSERT_TRUE(load(text));
    EXPECT_EQ(view.pointCount, 1);
    EXPECT_EQ(pt(0), (V{1, 2, 3}));
    if (view.settingsText().empty()) GTEST_SKIP() << "no settings file support in this build";
    EXPECT_EQ(view.graphType, 3);
}

TEST_F(ReaderSettingsSection, SettingsAfterTheDataApplyFromTheSameFile) {
    std::vector<std::string> lines;
    for (int i = 0; i < 30; ++i) lines.push_back(std::to_string(i % 6) + "," + std::to_string(i / 6) + ",1");
    lines.push_back("");
    std::string text = dataFile(2, lines) + cp932("[グラフの設定]\r\n 種類       = 4\r\n");
    ASSERT_TRUE(load(text));
    EXPECT_EQ(view.pointCount, 30);
    EXPECT_EQ(view.dataKind, Grid);
    EXPECT_TRUE(host.dialogs.empty());
    if (view.settingsText().empty()) GTEST_SKIP() << "no settings file support in this build";
    EXPECT_EQ(view.graphType, 4);
}

// What the writer saves reads back as the same data and settings.
TEST_F(ReaderSettingsSection, SavedFileReadsBackWithItsSettings) {
    if (view.settingsText().empty()) GTEST_SKIP() << "no settings file support in this build";
    for (int format : {1, 2, 3, 4, 5, 6}) {
        SCOPED_TRACE(format);
        std::vector<std::string> lines;
        if (format == 1) {
            lines = {",0.5,1,1.5", "-2,1,2,3", "-1,4,5,6"};
        } else if (format == 4) {
            lines = {"0.5,0.5", "-2,1", "1,2,3", "4,5,6"};
        } else {
            for (int i = 0; i < 6; ++i) {
                std::string line = std::to_string(i % 3) + "," + std::to_string(i / 3) + "," + std::to_string(i * 1.25);
                for (int k = 3; k < (format == 2 ? 3 : format == 3 ? 4 : format == 5 ? 6 : 7); ++k) line += ",-0.5";
                lines.push_back(line);
            }
        }
        ASSERT_TRUE(load(dataFile(format, lines)));
        std::vector<double> before(view.pointValues.data(),
                                   view.pointValues.data() + std::size_t(view.valuesPerPoint) * 6);
        view.graphType = 1;
        view.titleText = "saved";
        std::string saved = dir.file("saved.csv");
        ASSERT_EQ(view.writeDataFile(saved, view.settingsText()), 0);
        view.graphType = 0;
        view.titleText.clear();
        ASSERT_TRUE(view.loadDataFile(saved, false));
        EXPECT_EQ(view.dataFormat, format);
        EXPECT_EQ(std::vector<double>(view.pointValues.data(),
                                      view.pointValues.data() + std::size_t(view.valuesPerPoint) * 6),
                  before);
        EXPECT_EQ(view.graphType, format <= 4 ? 1 : 0);   // vectors have one graph type only
        EXPECT_EQ(view.titleText, "saved");
    }
}

// ---- graph choice -------------------------------------------------------------------

class FitGraphChoice : public Reader {};

TEST_F(FitGraphChoice, KeepsTheChoiceValidForTheDataKind) {
    struct Case {
        int kind, vpp, mode, type, contour;
        int mode2, type2, contour2;
    };
    const Case cases[] = {
        {Grid, 3, -1, -5, 3, 0, 0, 3},
        {Grid, 3, 0, 19, 3, 0, 19, 3},
        {Grid, 3, 1, 20, 0, 1, 0, 0},
        {Grid, 3, 2, 3, 5, 2, 3, 5},
        {Grid, 4, 3, 2, 0, 3, 0, 0},
        {Grid, 3, 7, 55, 1, 7, 55, 1},          // unknown display mode: left alone
        {Scattered, 3, 2, 1, 4, 0, 1, 0},
        {Scattered, 3, 0, 4, 0, 0, 0, 0},
        {Scattered, 4, 1, 3, 0, 1, 3, 0},
        {Vectors, 6, 0, 1, 2, 0, 0, 0},
        {Vectors, 6, 5, 1, 2, 0, 0, 0},         // 2 or more leaves the sections of non-grid data
        {PointValues, 4, 0, 1, 0, 0, 1, 0},
        {PointValues, 4, 1, 2, 0, 1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " mode " << c.mode << " type " << c.type);
        view.dataKind = c.kind;
        view.valuesPerPoint = c.vpp;
        view.displayMode = c.mode;
        view.graphType = c.type;
        view.xyContourMode = c.contour;
        view.fitGraphChoiceToData();
        EXPECT_EQ(view.displayMode, c.mode2);
        EXPECT_EQ(view.graphType, c.type2);
        EXPECT_EQ(view.xyContourMode, c.contour2);
    }
}

TEST_F(FitGraphChoice, RunsOnEveryLoad) {
    view.displayMode = DisplayXSection;
    view.graphType = 3;
    view.xyContourMode = 2;
    ASSERT_TRUE(load(dataFile(5, {"0,0,0,1,0,0"})));
    EXPECT_EQ(view.displayMode, 0);
    EXPECT_EQ(view.graphType, 0);
    EXPECT_EQ(view.xyContourMode, 0);
}

// ---- the example files --------------------------------------------------------------

class ReaderExamples : public Reader {};

TEST_F(ReaderExamples, EveryLayoutLoads) {
    struct Example {
        const char* name;
        int format, kind, rows, columns, points;
    };
    const Example examples[] = {
        {"surface.csv", 1, Grid, 41, 41, 41 * 41},
        {"points-grid.csv", 2, Grid, 12, 16, 192},
        {"points-data.csv", 3, Grid, 10, 14, 140},
        {"stepped.csv", 4, Grid, 24, 30, 720},
        {"vectors.csv", 5, Vectors, -1, -1, 242},
        {"vectors-data.csv", 6, Vectors, -1, -1, 169},
        {"point-values.csv", 7, PointValues, -1, -1, 60},
        {"scattered.csv", 2, Scattered, 9, 14, -1},
    };
    for (const Example& e : examples) {
        SCOPED_TRACE(e.name);
        ASSERT_TRUE(view.loadDataFile(test::sourcePath(std::string("examples/") + e.name), false));
        EXPECT_EQ(view.dataFormat, e.format);
        EXPECT_EQ(view.dataKind, e.kind);
        if (e.rows >= 0) {
            EXPECT_EQ(view.rowCount, e.rows);
        }
        if (e.columns >= 0) {
            EXPECT_EQ(view.columnCount, e.columns);
        }
        if (e.points >= 0) {
            EXPECT_EQ(view.pointCount, e.points);
        }
        expectCountsWithinArray();
    }
    EXPECT_TRUE(host.messages.empty());
}

}  // namespace
}  // namespace kelvra
