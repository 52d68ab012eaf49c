// The settings file and the field table behind it: the writer's bytes against
// stored files, every row of the field table through a save and a load, the
// reader's rules (sections, keys, ranges and fallbacks, the X angle, colours,
// long and unterminated lines), the dialog's copy rules, what every load does
// afterwards, and saves that fail without harming the old file.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "base/cp932.h"
#include "base/fileIo.h"
#include "base/headlessHost.h"
#include "view/kelvraView.h"
#include "settings/settingsFields.h"
#include "settings/settingsFile.h"
#include "support/drawInput.h"
#include "support/changedSettings.h"
#include "support/glFixture.h"
#include "support/testFiles.h"

namespace kelvra {
namespace {

using test::cp932;
using test::everyFieldChanged;
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

// A record in which every saved field differs from a fresh one, chosen for
// what the writer must get right rather than for a clean round trip: negative
// and fractional numbers through each number format, doubles written as
// integers (truncated, saturated), values outside the file's ranges that the
// dialog may store, long CP932 texts with line breaks and bytes that have no
// Unicode form, and colours that need rounding.
GraphSettings awkward() {
    GraphSettings s;
    s.graphType = 17; s.displayMode = DisplayXSection; s.xyContourMode = XyContourGreyFillAndLines;
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
    s.legendStyle = LegendAbsolute; s.legendSize = 11; s.legendSizeFixed = 0; s.legendFixRight = 0; s.legendColorSource = ColorByX;
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
        s.scaleFormat[a] = NumberFormat(a); s.scaleDigits[a] = digits[a]; s.scaleAuto[a] = automatic[a]; s.scaleLog[a] = log[a];
        s.scaleShowValues[a] = shown[a];
    }
    const double percent[3] = {80.9, -5, 1e12};
    const int reverse[3] = {1, 0, 1};
    const TickStyle ticks[3] = {TicksNone, TicksInside, TicksNone};
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
    v.settings = s;
    v.layoutAnchoredOverlays();
    test::recompute(v, true);
    return v.settings;
}

// A fresh view; given settings text (UTF-8, written with CR LF unless lf), the
// view after that text was applied.
struct ViewFixture {
    RecordingHost host;
    CKelvraView view{host};
    ViewFixture() = default;
    explicit ViewFixture(const std::string& utf8Text, bool lf = false, int valuesPerPoint = 3) {
        std::string text;
        for (char c : cp932(utf8Text)) text += c == '\n' && !lf ? std::string("\r\n") : std::string(1, c);
        view.data.valuesPerPoint = valuesPerPoint;
        view.applySettingsText(text);
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
        f.view.settings = c.record;
        std::string expected = readFile(test::sourcePath(c.file));
        ASSERT_FALSE(expected.empty());
        std::string written = f.view.settingsText();
        EXPECT_EQ(cp932ToUtf8(written), cp932ToUtf8(expected));
        EXPECT_EQ(written, expected);
    }
}

TEST(SettingsWriter, LineBreaksInStringsBecomeBlanksAndSmallNumbersExponents) {
    ViewFixture f;
    f.view.settings.titleText = "a\r\nb";
    f.view.settings.scaleUnit[1] = "x\ny";
    f.view.settings.scaleMin[0] = 0.004;
    std::string text = f.view.settingsText();
    EXPECT_NE(text.find(cp932(" タイトル  = a  b\r\n")), std::string::npos);
    EXPECT_NE(text.find(cp932(" X軸:最小   = 4.000e-03\r\n")), std::string::npos);
    ViewFixture back(cp932ToUtf8(text), true);
    EXPECT_EQ(back.view.settings.titleText, "a  b");
    EXPECT_EQ(back.view.settings.scaleUnit[1], "x y");
    EXPECT_EQ(back.view.settings.scaleMin[0], 0.004);
    EXPECT_EQ(back.view.settings.windowWidth, 775);   // the lines after them are still read
}

// ---- save and load ------------------------------------------------------------------

TEST(SettingsRoundTrip, EveryRowOfTheFieldTableComesBackThroughTheFile) {
    const GraphSettings fresh;
    for (bool toLimits : {false, true}) {
        const GraphSettings changed = everyFieldChanged(toLimits);
        for (int n = 0; n < kSettingsFieldCount; ++n)
            EXPECT_NE(fieldText(kSettingsFields[n], changed), fieldText(kSettingsFields[n], fresh)) << "row " << n;
        const struct {
            const char* name;
            const GraphSettings &written, &before;
        } cases[] = {{"changed over fresh", changed, fresh}, {"fresh over changed", fresh, changed}};
        for (const auto& [name, written, before] : cases) {
            SCOPED_TRACE(std::string(name) + (toLimits ? ", to limits" : ", one step"));
            GraphSettings read = before;
            readSettingsText(settingsFileText(written), read);
            for (int n = 0; n < kSettingsFieldCount; ++n)
                EXPECT_EQ(fieldText(kSettingsFields[n], read), fieldText(kSettingsFields[n], written)) << "row " << n;
            EXPECT_TRUE(read == written);   // entry 0 of the level colours, and settingsPage, too
        }
    }
}

TEST(SettingsRoundTrip, SaveAndLoadOverADifferentRecordLeaveWhatTheLoadSequenceMakes) {
    const struct {
        const char* name;
        GraphSettings written, before;
    } cases[] = {{"fresh over changed", GraphSettings{}, everyFieldChanged(true)},
                 {"changed over fresh", everyFieldChanged(false), GraphSettings{}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        ViewFixture writer, reader, expected;
        writer.view.settings = c.written;
        ASSERT_TRUE(writer.view.saveSettingsFile(dir.file("s.txt")));
        reader.view.settings = c.before;
        ASSERT_TRUE(reader.view.loadSettingsFile(dir.file("s.txt")));
        expected.view.settings = afterLoad(c.written);
        EXPECT_EQ(cp932ToUtf8(reader.view.settingsText()), cp932ToUtf8(expected.view.settingsText()));
        EXPECT_TRUE(reader.view.settings == expected.view.settings);
        EXPECT_EQ(reader.view.settings.legendColors[0], reader.view.settings.legendColors[1]);
    }
}

// How the settings dialog copies fields, by the same rows: the shown X angle,
// list positions held in a double, the size percentage read without a range,
// and level colour 1 carrying entry 0 with it.
TEST(FieldTable, DialogCopiesFollowTheirRows) {
    auto row = [](FieldAccess f) { return kSettingsFields[std::ranges::find(kSettingsFields, f, &FieldRow::field) - kSettingsFields]; };
    GraphSettings s;
    const FieldRow& angle = row(&GraphSettings::viewAngleX);
    EXPECT_EQ(fieldInt(angle, s), 30);
    setFieldInt(angle, s, 0);
    EXPECT_EQ(s.viewAngleX, 270);
    setFieldInt(angle, s, 500);   // an int edit stores what was typed, through the same rule
    EXPECT_EQ(s.viewAngleX, 410);
    const FieldRow& levels = row({&GraphSettings::scaleStep, 3});
    s.scaleStep[3] = 7.9;
    EXPECT_EQ(fieldInt(levels, s), 7);
    setFieldInt(levels, s, 11);
    EXPECT_EQ(s.scaleStep[3], 11.0);
    const FieldRow& percent = row({&GraphSettings::scaleSizePercent, 1});
    s.scaleSizePercent[1] = 80.75;
    EXPECT_EQ(fieldText(percent, s), "80");
    setFieldFromText(percent, s, "2500.5", TextOf::Dialog);
    EXPECT_EQ(s.scaleSizePercent[1], 2500.5);
    setFieldFromText(percent, s, "2500.5");   // the file's rule: 1..1000, else 100
    EXPECT_EQ(s.scaleSizePercent[1], 100.0);
    const FieldRow& zoom = row(&GraphSettings::viewZoom);
    setFieldFromText(zoom, s, "5", TextOf::Dialog);   // the dialog's ranges are the file's
    EXPECT_EQ(s.viewZoom, 100);
    setFieldColour(row({&GraphSettings::legendColors, 1}), s, {0.5, 0.25, 1});
    EXPECT_EQ(s.legendColors[0], (Rgb{0.5, 0.25, 1}));
    const FieldRow& format = row({&GraphSettings::sectionFormat, 1});
    setFieldInt(format, s, FormatExponent);
    EXPECT_EQ(std::tuple(s.sectionFormat[1], format.dialog), std::tuple(FormatExponent, DialogCopy::Direct));
}

// ---- reader rules ----------------------------------------------------------------------

// The lines of the view's settings text that differ from those of a view
// given no settings at all, joined by "|": what the applied text changed.
std::string changedLines(const ViewFixture& a, int valuesPerPoint) {
    ViewFixture none("", false, valuesPerPoint);
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
        int valuesPerPoint = 3;
    } cases[] = {
        // Integers outside their range, or no number at all, take the fallback.
        {"[表示の設定]\n 倍率 = 5\n", ""}, {"[表示の設定]\n 倍率 = abc\n", ""}, {"[表示の設定]\n 倍率 = 99999999999999\n", ""},
        {"[表示の設定]\n 位置:Y軸 =  +999x\n", " 位置:Y軸   = 999"},
        {"[フォントの設定]\n ｽｹｰﾙ数値：ﾌｫﾝﾄ = 41\n", ""}, {"[スケールの設定]\n 凡例:間隔  = 12\n", ""},
        {"[スケールの設定]\n 凡例:間隔  = 11.999\n", " 凡例:間隔  = 11.00"},
        {"[スケールの設定]\n Y軸:値表示 = 2\n", " Y軸:値表示 = 0"},
        {"[グラフの設定]\n 表示方法   = 4\n", " 表示方法   = 1| 角度:X軸   = 90| 角度:Z軸   = 0"},   // 2-D: seen from above
        {"[グラフタイトル]\n 位置:縦   = 1000\n", ""}, {"[ウィンドウサイズ]\n X方向ｻｲｽﾞ  = 3001\n", ""},
        {"[スケールの設定]\n Z軸:倍率   = 0\n", ""}, {"[凡例の設定]\n 凡例色ﾃﾞｰﾀ = 7\n", " 凡例色ﾃﾞｰﾀ = 3", 4},
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
        // Lines: the last one needs no line break.
        {"[グラフタイトル]\n タイトル  = 最後の行", " タイトル  = 最後の行"}, {"[表示の設定]\n 位置:X軸 = 123", " 位置:X軸   = 123"},
        {"[表示の設定]\n 倍率\n 倍率なし = 3\n 未知のｷｰ = 5\n\n 位置:X軸 = 7\n", " 位置:X軸   = 7"},
        // " 大きさ" is not " 大きさ固定"; an unfixed size then follows the zoom.
        {"[軸の設定]\n ﾗﾍﾞﾙ：X軸  = 長さ\n 大きさ     = 300\n 大きさ固定 = 0\n", " ﾗﾍﾞﾙ：X軸  = 長さ| 大きさ固定 = 0"},
        // A string value starts one blank after the first "=".
        {"[軸の設定]\n ﾗﾍﾞﾙ：X軸  =  two\n ﾗﾍﾞﾙ：Y軸  =\n ﾗﾍﾞﾙ：Z軸  =z=1\n", " ﾗﾍﾞﾙ：X軸  =  two| ﾗﾍﾞﾙ：Y軸  = | ﾗﾍﾞﾙ：Z軸  = z=1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ViewFixture crlf(c.text, false, c.valuesPerPoint);
        ViewFixture lf(c.text, true, c.valuesPerPoint);
        EXPECT_EQ(changedLines(crlf, c.valuesPerPoint), c.changed);
        EXPECT_TRUE(crlf.view.settings == lf.view.settings);   // LF files read alike
    }
}

// A text of n characters mixing double-byte, half-width and plain ones, so
// that no cut can fall on a character boundary only.
std::string longText(int n, const char* mark) {
    const std::string pieces[] = {cp932("長"), cp932("ｶ"), "a", cp932(mark)};
    std::string text;
    for (int i = 0; i < n; ++i) text += pieces[i % 4];
    return text;
}

// A title that carries settings lines where a reader cutting lines at 2499 or
// 1249 bytes (the buffers once used for settings files and for the section of
// a data file) would start a piece: a header, then a zoom.
std::string titleWithSettingsInside() {
    const std::size_t label = cp932(" タイトル  = ").size();
    std::string title = cp932(" 倍率 = 999 ") + longText(10000, "題");
    auto putAt = [&](std::size_t lineOffset, const std::string& text) { title.replace(lineOffset - label, text.size(), text); };
    for (std::size_t piece : {2499, 1249}) {
        putAt((piece == 2499 ? 2 : 8) * piece, cp932("[表示の設定]"));
        putAt((piece == 2499 ? 3 : 9) * piece, cp932(" 倍率 = 999 "));
    }
    return title;
}

// Settings lines are read whole, however long: texts of 10 000 characters come
// back byte for byte from a settings file and from a saved data file, and the
// settings-like text inside the title sets nothing.
TEST(SettingsReader, LongTextsComeBackWholeAndSetNothingElse) {
    ScratchDir dir;
    const std::string data = test::sourcePath("examples/surface.csv");
    ViewFixture saver, fromSettings, fromData;
    ASSERT_TRUE(saver.view.loadDataFile(data, false));
    GraphSettings& s = saver.view.settings;
    s.titleText = titleWithSettingsInside();
    std::string* texts[] = {&s.axisLabelX, &s.axisLabelY, &s.axisLabelZ, &s.scaleLabel[0], &s.scaleLabel[1],
                            &s.scaleLabel[2], &s.scaleUnit[0], &s.scaleUnit[1], &s.scaleUnit[2], &s.scaleUnit[3],
                            &s.sectionLabel[0], &s.sectionLabel[1], &s.sectionUnit[0], &s.sectionUnit[1]};
    const char* marks[] = {"軸", "幅", "高", "縦", "横", "奥", "米", "秒", "度", "℃", "位", "置", "単", "位"};
    for (int i = 0; i < int(std::size(texts)); ++i) *texts[i] = longText(10000, marks[i]);
    saver.view.applySettingsText(saver.view.settingsText());   // as a reopened file would be, scales included
    const GraphSettings saved = saver.view.settings;
    ASSERT_TRUE(saver.view.saveSettingsFile(dir.file("s.txt")));
    ASSERT_TRUE(saver.view.writeDataFile(dir.file("d.csv"), saver.view.settingsText()));

    ASSERT_TRUE(fromSettings.view.loadDataFile(data, false));
    ASSERT_TRUE(fromSettings.view.loadSettingsFile(dir.file("s.txt")));
    ASSERT_TRUE(fromData.view.loadDataFile(dir.file("d.csv"), false));
    for (const ViewFixture* f : {&fromSettings, &fromData}) {
        SCOPED_TRACE(f == &fromData ? "data file" : "settings file");
        EXPECT_EQ(f->view.settings.viewZoom, 100);
        EXPECT_TRUE(f->view.settings.titleText == saved.titleText);
        EXPECT_TRUE(f->view.settings == saved);
    }
}

// ---- loading --------------------------------------------------------------------------

TEST(SettingsLoad, FailuresShowTheirMessageAndChangeNothing) {
    ScratchDir dir;
    writeFile(dir.file("s.txt"), cp932("[表示の設定]\r\n 倍率 = 250\r\n"));
    const struct {
        std::string path;
        const char* message;
    } cases[] = {{dir.file("none.txt"), "ﾌｧｲﾙを開くことが出来ません。"},
                 {dir.path(), "ﾌｧｲﾙを開くことが出来ません。"}};   // a folder cannot be read
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        ViewFixture f;
        f.view.settings.viewZoom = 123;
        EXPECT_FALSE(f.view.loadSettingsFile(c.path));
        EXPECT_EQ(f.host.messages, std::vector<std::string>{cp932(c.message)});
        EXPECT_EQ(f.view.settings.viewZoom, 123);
        EXPECT_EQ(f.host.invalidations, 0);
    }
}

TEST(SettingsLoad, OnlyTheKeysInTheFileChangeThenTheViewFollows) {
    ViewFixture f;   // runs before this program makes a GL context current
    f.view.lists.glyphListsBuilt = f.view.lists.graphListsBuilt = true;
    f.view.applySettingsText(cp932("[表示の設定]\r\n 倍率       = 250\r\n"));
    GraphSettings expected;
    expected.viewZoom = 250;
    EXPECT_TRUE(f.view.settings == afterLoad(expected));
    EXPECT_EQ(f.host.invalidations, 1);
    EXPECT_EQ(std::to_string(f.host.resized.width) + "x" + std::to_string(f.host.resized.height), "775x550");
    EXPECT_EQ(cp932ToUtf8(f.host.statusPanes[PaneZoom - PanePosition]), "[倍率] 250(%)");
    EXPECT_FALSE(f.view.lists.glyphListsBuilt || f.view.lists.graphListsBuilt);   // no context: marked missing
    GL_TEST_REQUIRE_CONTEXT(64, 64);
    f.view.applySettingsText("");
    EXPECT_TRUE(f.view.lists.glyphListsBuilt && f.view.lists.graphListsBuilt);
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
        EXPECT_EQ(f.view.saveSettingsFile(dir.file(c.name)), c.saved);
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
