// The settings file: the writer's bytes against a file written by hand, every
// field through a save and a load, the reader's rules (sections, keys, ranges
// and fallbacks, the X angle, colours, long and unterminated lines), what every
// load does afterwards, and saves that fail without harming the old file.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "core/cp932.h"
#include "core/fileIo.h"
#include "core/headlessHost.h"
#include "core/kelvraView.h"
#include "support/glFixture.h"
#include "support/testFiles.h"

namespace kelvra {
namespace {

using test::cp932;
using test::readFile;
using test::ScratchDir;
using test::writeFile;

// Records what the view asks of the window system.
class RecordingHost : public HeadlessHost {
public:
    RecordingHost() { printMessages = false; }
    void resizeFrame(int width, int height) override { resized = {width, height}; }
    PixelSize resized;
};

// A record in which every saved field differs from a fresh one, with values a
// file holds exactly and that a load (which recomputes the scales without
// data) leaves as they are.
GraphSettings scrambled() {
    GraphSettings s;
    s.graphType = 3; s.displayMode = 3; s.xyContourMode = 5;
    s.viewPosX = -12; s.viewPosY = 34; s.viewZoom = 250;
    s.viewAngleX = 10; s.viewAngleZ = 45;   // X shown as 100
    s.wireIntervalX = 3; s.wireIntervalY = 4; s.wireWidthX = 2; s.wireWidthY = 3;
    s.pointSize = 7; s.vectorSize = 150; s.contour2Width = 4;
    s.barSizeX = 0.25; s.barSizeY = 2.0;   // Y written with the Y scale's integer format
    s.wireColorX = {0.1, 0.2, 0.3}; s.wireColorY = {0.4, 0.5, 0.6}; s.contour2Color = {0.7, 0.8, 0.9};
    for (int k = 0; k < kTextRoleCount; ++k) { s.fontFace[k] = 34 + k; s.fontSize[k] = 20 + k; }
    s.axisShow = 0; s.axisPosV = -80; s.axisPosH = -250; s.axisSize = 150; s.axisFixLowerLeft = 0;
    s.axisLabelX = cp932("長さ"); s.axisLabelY = cp932("幅"); s.axisLabelZ = cp932("高さ");
    s.legendShow = 0; s.legendPosV = -120; s.legendPosH = 200; s.legendHeight = 300; s.legendWidth = 30;
    s.legendStyle = 1; s.legendSize = 80; s.legendFixRight = 0; s.legendColorSource = 1; s.legendReverse = 1;
    for (int i = 1; i < kLegendColorCount; ++i) s.legendColors[i] = {i / 40.0, (40 - i) / 40.0, 0.5};
    s.legendColors[0] = s.legendColors[1];
    s.titleText = cp932("表面の温度 (K) ～①"); s.titlePosV = 150; s.titlePosH = -30;
    s.scaleShow = 0; s.scaleSameStep = 1;
    // Formats automatic, integer, decimal, exponent; the legend's step is its
    // level-count index, 11 written "1.1000e+01" and read by its whole part.
    const double mins[4] = {-50, 0, 10, -30}, maxs[4] = {150, 8, 20, 30}, stepsOf[4] = {25, 2, 2.5, 11};
    const int digits[4] = {3, 5, 2, 4};
    for (int a = 0; a < 4; ++a) {
        s.scaleMin[a] = mins[a]; s.scaleMax[a] = maxs[a]; s.scaleStep[a] = stepsOf[a];
        s.scaleFormat[a] = a; s.scaleDigits[a] = digits[a]; s.scaleShowValues[a] = a % 2;
    }
    const double percent[3] = {80, 120, 60};
    const int reverse[3] = {1, 0, 1}, ticks[3] = {2, 1, 0};
    for (int a = 0; a < 3; ++a) {
        s.scaleSizePercent[a] = percent[a]; s.scaleReverse[a] = reverse[a]; s.scaleTicks[a] = ticks[a];
    }
    s.scaleLabel[0] = cp932("X軸の長さ"); s.scaleLabel[2] = cp932("深さ");
    s.scaleUnit[0] = "m"; s.scaleUnit[1] = cp932("ｍｍ"); s.scaleUnit[2] = "K"; s.scaleUnit[3] = cp932("℃");
    s.sectionPos[0] = 1.5; s.sectionPos[1] = -2.25; s.sectionFormat[0] = FormatDecimal;
    s.sectionDigits[0] = 2; s.sectionDigits[1] = 4; s.sectionLabel[0] = cp932("X位置=");
    s.sectionUnit[0] = "mm"; s.sectionUnit[1] = cp932("秒"); s.sectionLineWidth = 5;
    s.windowWidth = 1024; s.windowHeight = 768;
    return s;
}

// A record in which every saved field differs from a fresh one, chosen for
// what the writer must get right rather than for a clean round trip: negative
// and fractional numbers through each number format, doubles written as
// integers (truncated, saturated), values outside the file's ranges that the
// dialog may store, long CP932 texts with line breaks and bytes that have no
// Unicode form, and colours that need rounding.
GraphSettings awkward() {
    GraphSettings s;
    s.graphType = 17; s.displayMode = 2; s.xyContourMode = 6;
    s.viewPosX = -999; s.viewPosY = 512; s.viewZoom = 37;
    s.viewAngleX = 269; s.viewAngleZ = 7;   // X shown as 359
    s.wireIntervalX = 0; s.wireIntervalY = 150000; s.wireWidthX = 100; s.wireWidthY = 2;
    s.pointSize = 1; s.vectorSize = 10000; s.contour2Width = 9;
    s.barSizeX = 0.125; s.barSizeY = 12345.678;
    s.wireColorX = {0.1234567, 0.0, 1.0}; s.wireColorY = {1.0 / 3, 2.0 / 3, 0.9999996};
    s.contour2Color = {0.5, 0.0000004, 0.25};
    for (int k = 0; k < kTextRoleCount; ++k) { s.fontFace[k] = k * 6; s.fontSize[k] = 8 + k * 30; }
    s.fontSize[6] = 300;
    s.axisShow = 0; s.axisPosV = -80.7; s.axisPosH = 299.99; s.axisSize = 999; s.axisSizeFixed = 0;
    s.axisFixLowerLeft = 0;
    s.axisLabelX = cp932("距離 [km]"); s.axisLabelY = ""; s.axisLabelZ = cp932(" = z ");
    s.legendShow = 0; s.legendPosV = -0.5; s.legendPosH = 1e12; s.legendHeight = 10; s.legendWidth = 999;
    s.legendStyle = 1; s.legendSize = 11; s.legendSizeFixed = 0; s.legendFixRight = 0; s.legendColorSource = 0;
    s.legendReverse = 1;
    for (int i = 0; i < kLegendColorCount; ++i) s.legendColors[i] = {i / 21.0, 1 - i / 23.0, (i * 7 % 10) / 9.0};
    std::string longTitle = cp932("温度分布 ～①髙 ") + "\x85\x40" + "a\r\nb ";
    for (int i = 0; i < 700; ++i) longTitle += cp932("長さ");
    s.titleText = longTitle; s.titlePosV = -999; s.titlePosH = 999;
    s.scaleShow = 0; s.scaleSameStep = 1;
    // X automatic, Y integer, Z decimal with 12 digits, legend exponent with none.
    const double mins[4] = {-100.5, -2.5, 1.0 / 3, -30}, maxs[4] = {12345.678, 7.99999999, 2.5, 1e-300};
    const double stepsOf[4] = {0.004, 0.4, -0.125, 11};
    const int digits[4] = {3, 0, 12, 0}, automatic[4] = {1, 0, 1, 1}, log[4] = {1, 1, 0, 1}, shown[4] = {0, 1, 0, 0};
    for (int a = 0; a < 4; ++a) {
        s.scaleMin[a] = mins[a]; s.scaleMax[a] = maxs[a]; s.scaleStep[a] = stepsOf[a];
        s.scaleFormat[a] = a; s.scaleDigits[a] = digits[a]; s.scaleAuto[a] = automatic[a]; s.scaleLog[a] = log[a];
        s.scaleShowValues[a] = shown[a];
    }
    const double percent[3] = {80.9, -5, 1e12};
    const int reverse[3] = {1, 0, 1}, ticks[3] = {2, 1, 2};
    for (int a = 0; a < 3; ++a) {
        s.scaleSizePercent[a] = percent[a]; s.scaleReverse[a] = reverse[a]; s.scaleTicks[a] = ticks[a];
    }
    s.scaleLabel[0] = cp932("X軸の長さ");
    for (int i = 0; i < 1000; ++i) s.scaleLabel[2] += cp932("深");
    s.scaleUnit[0] = "m"; s.scaleUnit[1] = cp932("ｍｍ"); s.scaleUnit[2] = "K\n"; s.scaleUnit[3] = cp932("℃");
    s.sectionPos[0] = 1.5; s.sectionPos[1] = -2.25e-7; s.sectionFormat[0] = FormatDecimal;
    s.sectionFormat[1] = FormatExponent; s.sectionDigits[0] = 2; s.sectionDigits[1] = 4;
    s.sectionLabel[0] = cp932("X位置="); s.sectionLabel[1] = cp932("断面 Y = ");
    s.sectionUnit[0] = "mm"; s.sectionUnit[1] = cp932("秒"); s.sectionLineWidth = 100;
    s.windowWidth = 3000; s.windowHeight = 10;
    return s;
}

// What a record becomes through the steps that follow every load.
GraphSettings afterLoad(const GraphSettings& s) {
    RecordingHost host;
    CKelvraView v(host);
    v.settings() = s;
    v.layoutAnchoredOverlays();
    v.recomputeScales(true);
    return v.settings();
}

// A fresh view; given settings text (UTF-8, written with CR LF unless lf), the
// view after that text was applied.
struct ViewFixture {
    RecordingHost host;
    CKelvraView view{host};
    int result = 0;
    ViewFixture() = default;
    explicit ViewFixture(const std::string& utf8Text, int bufferSize = 2500, bool lf = false, int valuesPerPoint = 3) {
        std::string text;
        for (char c : cp932(utf8Text)) text += c == '\n' && !lf ? std::string("\r\n") : std::string(1, c);
        view.valuesPerPoint = valuesPerPoint;
        result = view.applySettingsText(text, bufferSize);
    }
};

// ---- writer -------------------------------------------------------------------------

TEST(SettingsWriter, FreshAndAwkwardRecordsKeepTheirStoredBytes) {
    const struct {
        const char* file;
        GraphSettings record;
    } cases[] = {{"tests/data/fresh-settings.txt", GraphSettings{}},
                 {"tests/data/awkward-settings.txt", awkward()}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        ViewFixture f;
        f.view.settings() = c.record;
        std::string expected = readFile(test::sourcePath(c.file));
        ASSERT_FALSE(expected.empty());
        std::string written = f.view.settingsText();
        EXPECT_EQ(cp932ToUtf8(written), cp932ToUtf8(expected));
        EXPECT_EQ(written, expected);
    }
}

TEST(SettingsWriter, LineBreaksInStringsBecomeBlanksAndSmallNumbersExponents) {
    ViewFixture f;
    f.view.titleText = "a\r\nb";
    f.view.scaleUnit[1] = "x\ny";
    f.view.scaleMin[0] = 0.004;
    std::string text = f.view.settingsText();
    EXPECT_NE(text.find(cp932(" タイトル  = a  b\r\n")), std::string::npos);
    EXPECT_NE(text.find(cp932(" X軸:最小   = 4.000e-03\r\n")), std::string::npos);
    ViewFixture back(cp932ToUtf8(text), 2500, true);
    EXPECT_EQ(back.view.titleText, "a  b");
    EXPECT_EQ(back.view.scaleUnit[1], "x y");
    EXPECT_EQ(back.view.scaleMin[0], 0.004);
    EXPECT_EQ(back.view.windowWidth, 775);   // the lines after them are still read
}

// ---- save and load ------------------------------------------------------------------

TEST(SettingsRoundTrip, EveryFieldSurvivesSaveAndLoadOverADifferentRecord) {
    const struct {
        const char* name;
        GraphSettings written, before;
    } cases[] = {{"fresh over scrambled", GraphSettings{}, scrambled()},
                 {"scrambled over fresh", scrambled(), GraphSettings{}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        ViewFixture writer, reader, expected;
        writer.view.settings() = c.written;
        ASSERT_EQ(writer.view.saveSettingsFile(dir.file("s.txt")), 0);
        reader.view.settings() = c.before;
        ASSERT_EQ(reader.view.loadSettingsFile(dir.file("s.txt"), 2500), 1);
        expected.view.settings() = afterLoad(c.written);
        EXPECT_EQ(cp932ToUtf8(reader.view.settingsText()), cp932ToUtf8(expected.view.settingsText()));
        EXPECT_TRUE(reader.view.settings() == expected.view.settings());
        EXPECT_EQ(reader.view.legendColors[0], reader.view.legendColors[1]);
    }
}

// ---- reader rules ----------------------------------------------------------------------

// The lines of the view's settings text that differ from those of a view
// given no settings at all, joined by "|": what the applied text changed.
std::string changedLines(const ViewFixture& a, int valuesPerPoint) {
    ViewFixture none("", 2500, false, valuesPerPoint);
    std::istringstream was(cp932ToUtf8(none.view.settingsText())), is(cp932ToUtf8(a.view.settingsText()));
    std::string changed, before, after;
    while (std::getline(was, before) && std::getline(is, after))
        if (after != before) changed += (changed.empty() ? "" : "|") + after.substr(0, after.size() - 1);
    return changed;
}

TEST(SettingsReader, KeysRangesAndFallbacks) {
    const struct {
        const char* text;
        const char* changed;   // the written lines that change, without their CR
        int bufferSize = 2500, valuesPerPoint = 3;
    } cases[] = {
        // Integers outside their range, or no number at all, take the fallback.
        {"[表示の設定]\n 倍率 = 5\n", ""}, {"[表示の設定]\n 倍率 = abc\n", ""}, {"[表示の設定]\n 倍率 = 99999999999999\n", ""},
        {"[表示の設定]\n 位置:Y軸 =  +999x\n", " 位置:Y軸   = 999"},
        {"[フォントの設定]\n ｽｹｰﾙ数値：ﾌｫﾝﾄ = 41\n", ""}, {"[スケールの設定]\n 凡例:間隔  = 12\n", ""},
        {"[スケールの設定]\n 凡例:間隔  = 11.999\n", " 凡例:間隔  = 11.00"},
        {"[スケールの設定]\n Y軸:値表示 = 2\n", " Y軸:値表示 = 0"},
        {"[グラフの設定]\n 表示方法   = 4\n", " 表示方法   = 1| 角度:X軸   = 90| 角度:Z軸   = 0"},   // 2-D: seen from above
        {"[グラフタイトル]\n 位置:縦   = 1000\n", ""}, {"[ウィンドウサイズ]\n X方向ｻｲｽﾞ  = 3001\n", ""},
        {"[スケールの設定]\n Z軸:倍率   = 0\n", ""}, {"[凡例の設定]\n 凡例色ﾃﾞｰﾀ = 7\n", " 凡例色ﾃﾞｰﾀ = 3", 2500, 4},
        // The X angle as shown, 0..359.
        {"[表示の設定]\n 角度:X軸   = 90\n", " 角度:X軸   = 90"}, {"[表示の設定]\n 角度:X軸   = 0\n", " 角度:X軸   = 0"},
        {"[表示の設定]\n 角度:X軸   = 359\n", " 角度:X軸   = 359"},
        {"[表示の設定]\n 角度:X軸   = 360\n", ""}, {"[表示の設定]\n 角度:X軸   = -1\n", ""},
        // Colour components are clamped; those not given keep their value.
        {"[ｶﾗｰ凡例色の設定]\n 色05 = 1.5, -0.2, 0.5\n 色06 = 0.25\n 色11 = , 0.25\n 色01 = nan, 0.5, 2\n",
         " 色01 = 0.000000, 0.500000, 1.000000| 色05 = 1.000000, 0.000000, 0.500000|"
         " 色06 = 0.250000, 0.715000, 1.000000| 色11 = 0.500000, 0.250000, 0.000000"},
        // Sections: text after "]" does not matter; keys outside their section do nothing.
        {"[表示の設定] (view) \n 位置:X軸 = 300\n", " 位置:X軸   = 300"},
        {" 位置:X軸 = 300\n[線，点の設定]\n 位置:X軸 = 400\n[何かの設定]\n 位置:X軸 = 500\n", ""},
        {"ﾃﾞｰﾀ形式,1\nKelvra ver.1.52\n\n,1,2\n1, 位置:X軸 = 5,6\n\n[表示の設定]\n 位置:X軸 = 321\n", " 位置:X軸   = 321"},
        {"[表示の設定]\n 位置:X軸 = 200\n[表示の設定]\n 位置:X軸 = 300\n", " 位置:X軸   = 300"},   // the last one wins
        // Lines: the last one needs no line break; no piece of a 1-byte buffer holds a key.
        {"[グラフタイトル]\n タイトル  = 最後の行", " タイトル  = 最後の行"}, {"[表示の設定]\n 位置:X軸 = 123", " 位置:X軸   = 123"},
        {"[表示の設定]\n 位置:X軸 = 300\n", "", 1},
        {"[表示の設定]\n 倍率\n 倍率なし = 3\n 未知のｷｰ = 5\n\n 位置:X軸 = 7\n", " 位置:X軸   = 7"},
        // " 大きさ" is not " 大きさ固定"; an unfixed size then follows the zoom.
        {"[軸の設定]\n ﾗﾍﾞﾙ：X軸  = 長さ\n 大きさ     = 300\n 大きさ固定 = 0\n", " ﾗﾍﾞﾙ：X軸  = 長さ| 大きさ固定 = 0"},
        // A string value starts one blank after the first "=".
        {"[軸の設定]\n ﾗﾍﾞﾙ：X軸  =  two\n ﾗﾍﾞﾙ：Y軸  =\n ﾗﾍﾞﾙ：Z軸  =z=1\n", " ﾗﾍﾞﾙ：X軸  =  two| ﾗﾍﾞﾙ：Y軸  = | ﾗﾍﾞﾙ：Z軸  = z=1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ViewFixture crlf(c.text, c.bufferSize, false, c.valuesPerPoint);
        ViewFixture lf(c.text, c.bufferSize, true, c.valuesPerPoint);
        EXPECT_EQ(crlf.result, 1);
        EXPECT_EQ(changedLines(crlf, c.valuesPerPoint), c.changed);
        EXPECT_TRUE(crlf.view.settings() == lf.view.settings());   // LF files read alike
    }
}

TEST(SettingsReader, LinesLongerThanTheBufferArriveAsSeparateLines) {
    // A title line of 100 000 bytes read with a 2500-byte buffer: the first
    // piece (2499 bytes) is the title line; the next piece begins with a key
    // and is read as that key's line; the rest is skipped up to the line break.
    std::string label = cp932(" タイトル  = ");
    std::string title(2499 - label.size(), 'a');
    std::string text = cp932("[表示の設定]\n[グラフタイトル]\n") + label + title + cp932(" 位置:縦   = 77") +
                       std::string(100000, 'b') + "\r\n" + cp932(" 位置:横   = 66\r\n");
    ViewFixture f;
    ASSERT_EQ(f.view.applySettingsText(text, 2500), 1);
    EXPECT_EQ(f.view.titleText, title);
    EXPECT_EQ(f.view.titlePosV, 77);
    EXPECT_EQ(f.view.titlePosH, 66);
}

// ---- loading --------------------------------------------------------------------------

TEST(SettingsLoad, FailuresShowTheirMessageAndChangeNothing) {
    ScratchDir dir;
    writeFile(dir.file("s.txt"), cp932("[表示の設定]\r\n 倍率 = 250\r\n"));
    const struct {
        std::string path;
        int bufferSize;
        const char* message;
    } cases[] = {{dir.file("none.txt"), 2500, "ﾌｧｲﾙを開くことが出来ません。"},
                 {dir.path(), 2500, "ﾌｧｲﾙを開くことが出来ません。"},   // a folder cannot be read
                 {dir.file("s.txt"), 0, "メモリー不足です"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path + " buffer " + std::to_string(c.bufferSize));
        ViewFixture f;
        f.view.viewZoom = 123;
        EXPECT_EQ(f.view.loadSettingsFile(c.path, c.bufferSize), 0);
        EXPECT_EQ(f.host.messages, std::vector<std::string>{cp932(c.message)});
        EXPECT_EQ(f.view.viewZoom, 123);
        EXPECT_EQ(f.host.invalidations, 0);
    }
}

TEST(SettingsLoad, OnlyTheKeysInTheFileChangeThenTheViewFollows) {
    ViewFixture f;   // runs before this program makes a GL context current
    f.view.glyphListsBuilt = f.view.graphListsBuilt = true;
    EXPECT_EQ(f.view.applySettingsText(cp932("[表示の設定]\r\n 倍率       = 250\r\n"), 2500), 1);
    GraphSettings expected;
    expected.viewZoom = 250;
    EXPECT_TRUE(f.view.settings() == afterLoad(expected));
    EXPECT_EQ(f.host.invalidations, 1);
    EXPECT_EQ(std::to_string(f.host.resized.width) + "x" + std::to_string(f.host.resized.height), "775x550");
    EXPECT_EQ(cp932ToUtf8(f.host.statusPanes[PaneZoom - PanePosition]), "[倍率] 250(%)");
    EXPECT_FALSE(f.view.glyphListsBuilt || f.view.graphListsBuilt);   // no context: marked missing
    GL_TEST_REQUIRE_CONTEXT(64, 64);
    f.view.applySettingsText("", 2500);
    EXPECT_TRUE(f.view.glyphListsBuilt && f.view.graphListsBuilt);
}

// ---- saving -----------------------------------------------------------------------------

// Entries of a folder, so a test can see no temporary file was left.
std::vector<std::string> entries(const std::string& folder) {
    std::vector<std::string> names;
    for (auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(SettingsSave, ReplacesTheFileWholeOrReportsAndKeepsIt) {
    const std::string message = cp932("設定ﾌｧｲﾙの保存が出来ません");
    ScratchDir dir;
    std::filesystem::create_directory(dir.file("real"));
    std::filesystem::create_directory(dir.file("folder"));
    writeFile(dir.file("folder/inside"), "x");
    writeFile(dir.file("real/s.txt"), "old");
    std::filesystem::permissions(dir.file("real/s.txt"), std::filesystem::perms(0640));
    std::filesystem::create_symlink("real/s.txt", dir.file("link.txt"));
    const struct {
        const char* name;
        int faultAfter;   // >= 0: the write fails after that many bytes
        bool saved;
    } cases[] = {{"real/s.txt", -1, true}, {"link.txt", -1, true}, {"folder", -1, false},
                 {"no-such-folder/s.txt", -1, false}, {"real/s.txt", 100, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " fault after " + std::to_string(c.faultAfter));
        writeFile(dir.file("real/s.txt"), "old");
        ViewFixture f;
        setSafeWriteFaultAfter(c.faultAfter);
        EXPECT_EQ(f.view.saveSettingsFile(dir.file(c.name)), c.saved ? 0 : 1);
        setSafeWriteFaultAfter(-1);
        EXPECT_EQ(readFile(dir.file("real/s.txt")), c.saved ? f.view.settingsText() : "old");
        EXPECT_EQ(f.host.messages, c.saved ? std::vector<std::string>{} : std::vector<std::string>{message});
        EXPECT_EQ(entries(dir.file("real")), std::vector<std::string>{"s.txt"});
        EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{"folder", "link.txt", "real"}));
        EXPECT_EQ(readFile(dir.file("folder/inside")), "x");
        EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.txt")));
        EXPECT_EQ(std::filesystem::status(dir.file("real/s.txt")).permissions(), std::filesystem::perms(0640));
    }
}

}  // namespace
}  // namespace kelvra
