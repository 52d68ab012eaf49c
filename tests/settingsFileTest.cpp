// The settings file: the writer's bytes for a fresh record against a file
// written by hand, every field through a save and a load, the reader's rules
// (sections, keys, ranges and fallbacks, the X angle, colours, long and
// unterminated lines), and saves that fail without harming the old file.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <functional>

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
    std::optional<std::string> askFileName(const FileDialogRequest& request) override {
        dialogs.push_back(request);
        return HeadlessHost::askFileName(request);
    }
    void resizeFrame(int width, int height) override { resized = {width, height}; }
    std::vector<FileDialogRequest> dialogs;
    PixelSize resized;
};

struct ViewFixture {
    RecordingHost host;
    CKelvraView view{host};
};

// A record in which every saved field differs from a fresh one, with values a
// file holds exactly and that a load (which recomputes the scales without
// data) leaves as they are.
GraphSettings scrambled() {
    GraphSettings s;
    s.graphType = 3;
    s.displayMode = 3;
    s.xyContourMode = 5;
    s.viewPosX = -12;
    s.viewPosY = 34;
    s.viewZoom = 250;
    s.viewAngleX = 10;   // shown as 100
    s.viewAngleZ = 45;
    s.wireIntervalX = 3;
    s.wireIntervalY = 4;
    s.wireWidthX = 2;
    s.wireWidthY = 3;
    s.pointSize = 7;
    s.vectorSize = 150;
    s.contour2Width = 4;
    s.barSizeX = 0.25;
    s.barSizeY = 2.0;   // written with the Y scale's integer format
    s.wireColorX = {0.1, 0.2, 0.3};
    s.wireColorY = {0.4, 0.5, 0.6};
    s.contour2Color = {0.7, 0.8, 0.9};
    for (int k = 0; k < kTextRoleCount; ++k) {
        s.fontFace[k] = 34 + k;
        s.fontSize[k] = 20 + k;
    }
    s.axisShow = 0;
    s.axisPosV = -80;
    s.axisPosH = -250;
    s.axisLabelX = cp932("長さ");
    s.axisLabelY = cp932("幅");
    s.axisLabelZ = cp932("高さ");
    s.axisSize = 150;
    s.axisFixLowerLeft = 0;
    s.legendShow = 0;
    s.legendPosV = -120;
    s.legendPosH = 200;
    s.legendHeight = 300;
    s.legendWidth = 30;
    s.legendStyle = 1;
    s.legendSize = 80;
    s.legendFixRight = 0;
    s.legendColorSource = 1;
    s.legendReverse = 1;
    for (int i = 1; i < kLegendColorCount; ++i) s.legendColors[i] = {i / 40.0, (40 - i) / 40.0, 0.5};
    s.legendColors[0] = s.legendColors[1];
    s.titleText = cp932("表面の温度 (K) ～①");
    s.titlePosV = 150;
    s.titlePosH = -30;
    s.scaleShow = 0;
    s.scaleSameStep = 1;
    const double mins[4] = {-50, 0, 10, -30}, maxs[4] = {150, 8, 20, 30}, stepsOf[4] = {25, 2, 2.5, 5};
    for (int a = 0; a < 4; ++a) {
        s.scaleMin[a] = mins[a];
        s.scaleMax[a] = maxs[a];
        s.scaleStep[a] = stepsOf[a];
        s.scaleFormat[a] = a;   // automatic, integer, decimal, exponent
        s.scaleShowValues[a] = a % 2;
    }
    const int digits[4] = {3, 5, 2, 4};
    for (int a = 0; a < 4; ++a) s.scaleDigits[a] = digits[a];
    const double percent[3] = {80, 120, 60};
    const int reverse[3] = {1, 0, 1}, ticks[3] = {2, 1, 0};
    for (int a = 0; a < 3; ++a) {
        s.scaleSizePercent[a] = percent[a];
        s.scaleReverse[a] = reverse[a];
        s.scaleTicks[a] = ticks[a];
    }
    s.scaleLabel[0] = cp932("X軸の長さ");
    s.scaleLabel[2] = cp932("深さ");
    s.scaleUnit[0] = "m";
    s.scaleUnit[1] = cp932("ｍｍ");
    s.scaleUnit[2] = "K";
    s.scaleUnit[3] = cp932("℃");
    s.sectionPos[0] = 1.5;
    s.sectionPos[1] = -2.25;
    s.sectionFormat[0] = FormatDecimal;
    s.sectionDigits[0] = 2;
    s.sectionDigits[1] = 4;
    s.sectionLabel[0] = cp932("X位置=");
    s.sectionUnit[0] = "mm";
    s.sectionUnit[1] = cp932("秒");
    s.sectionLineWidth = 5;
    s.windowWidth = 1024;
    s.windowHeight = 768;
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

std::string textOf(const GraphSettings& s) {
    RecordingHost host;
    CKelvraView v(host);
    v.settings() = s;
    return v.settingsText();
}

// Applies settings text to a fresh view; returns the view's record.
struct Applied {
    RecordingHost host;
    CKelvraView view{host};
    int result = 0;
    explicit Applied(const std::string& utf8Text, int bufferSize = 2500, bool lf = false) {
        std::string text = cp932(utf8Text);
        if (!lf) {
            std::string crlf;
            for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
            text = crlf;
        }
        result = view.applySettingsText(text, bufferSize);
    }
};

// ---- writer -------------------------------------------------------------------------

TEST(SettingsWriter, FreshRecordMatchesTheHandWrittenFile) {
    ViewFixture f;
    std::string expected = readFile(test::sourcePath("tests/data/fresh-settings.txt"));
    ASSERT_FALSE(expected.empty());
    std::string written = f.view.settingsText();
    EXPECT_EQ(cp932ToUtf8(written), cp932ToUtf8(expected));
    EXPECT_EQ(written, expected);
}

TEST(SettingsWriter, LineBreaksInsideStringsAreWrittenAsBlanks) {
    ViewFixture f;
    f.view.titleText = "a\r\nb";
    f.view.scaleUnit[1] = "x\ny";
    std::string text = f.view.settingsText();
    EXPECT_NE(text.find(cp932(" タイトル  = a  b\r\n")), std::string::npos);
    Applied back(cp932ToUtf8(text), 2500, true);
    EXPECT_EQ(back.view.titleText, "a  b");
    EXPECT_EQ(back.view.scaleUnit[1], "x y");
    EXPECT_EQ(back.view.windowWidth, 775);   // the lines after it are still read
}

// ---- save and load ------------------------------------------------------------------

TEST(SettingsRoundTrip, FreshRecordLoadsBackOverADifferentOne) {
    ScratchDir dir;
    ViewFixture writer;
    ASSERT_EQ(writer.view.saveSettingsFile(dir.file("fresh.txt")), 0);
    ViewFixture reader;
    reader.view.settings() = scrambled();
    ASSERT_EQ(reader.view.loadSettingsFile(dir.file("fresh.txt"), 2500), 1);
    GraphSettings expected = afterLoad(GraphSettings{});
    EXPECT_EQ(cp932ToUtf8(reader.view.settingsText()), cp932ToUtf8(textOf(expected)));
    EXPECT_TRUE(reader.view.settings() == expected);
    EXPECT_EQ(reader.view.viewAngleX, 300);
    EXPECT_EQ(reader.view.titleText, "");
}

TEST(SettingsRoundTrip, EveryFieldSurvivesSaveAndLoad) {
    ScratchDir dir;
    ViewFixture writer;
    writer.view.settings() = scrambled();
    ASSERT_EQ(writer.view.saveSettingsFile(dir.file("all.txt")), 0);
    ViewFixture reader;
    ASSERT_EQ(reader.view.loadSettingsFile(dir.file("all.txt"), 2500), 1);
    GraphSettings expected = afterLoad(scrambled());
    EXPECT_EQ(cp932ToUtf8(reader.view.settingsText()), cp932ToUtf8(writer.view.settingsText()));
    EXPECT_TRUE(reader.view.settings() == expected);
    EXPECT_EQ(reader.view.titleText, cp932("表面の温度 (K) ～①"));
    EXPECT_EQ(reader.view.legendColors[0], reader.view.legendColors[1]);
}

TEST(SettingsRoundTrip, SmallMinimumIsWrittenInExponentFormAndReadBack) {
    ScratchDir dir;
    ViewFixture writer;
    writer.view.scaleMin[0] = 0.004;
    std::string text = writer.view.settingsText();
    EXPECT_NE(text.find(cp932(" X軸:最小   = 4.000e-03\r\n")), std::string::npos);
    ASSERT_EQ(writer.view.saveSettingsFile(dir.file("s.txt")), 0);
    ViewFixture reader;
    reader.view.loadSettingsFile(dir.file("s.txt"), 2500);
    EXPECT_DOUBLE_EQ(reader.view.scaleMin[0], 0.004);
}

// ---- reader rules ----------------------------------------------------------------------

TEST(SettingsReader, OnlyTheKeysInTheFileChangeThenTheViewRedraws) {
    Applied a("[表示の設定]\n 倍率       = 250\n");
    EXPECT_EQ(a.result, 1);
    GraphSettings expected;
    expected.viewZoom = 250;
    EXPECT_TRUE(a.view.settings() == afterLoad(expected));
    EXPECT_EQ(a.view.viewZoom, 250);
    EXPECT_EQ(a.host.invalidations, 1);
    EXPECT_EQ(a.host.resized.width, 775);
    EXPECT_EQ(a.host.resized.height, 550);
}

TEST(SettingsReader, IntegersOutsideTheirRangeTakeTheFallback) {
    struct Case {
        const char* text;
        int (*get)(const CKelvraView&);
        int expected;
    } cases[] = {
        {"[表示の設定]\n 倍率 = 5\n", [](const CKelvraView& v) { return v.viewZoom; }, 100},
        {"[表示の設定]\n 倍率 = abc\n", [](const CKelvraView& v) { return v.viewZoom; }, 100},
        {"[表示の設定]\n 倍率 = 99999999999999\n", [](const CKelvraView& v) { return v.viewZoom; }, 100},
        {"[表示の設定]\n 倍率 =  +999x\n", [](const CKelvraView& v) { return v.viewZoom; }, 999},
        {"[フォントの設定]\n ｽｹｰﾙ数値：ﾌｫﾝﾄ = 41\n", [](const CKelvraView& v) { return v.fontFace[2]; }, 4},
        {"[スケールの設定]\n 凡例:間隔  = 12\n", [](const CKelvraView& v) { return int(v.scaleStep[3]); }, 3},
        {"[スケールの設定]\n Y軸:値表示 = 2\n", [](const CKelvraView& v) { return v.scaleShowValues[1]; }, 0},
        {"[グラフの設定]\n 表示方法   = 4\n", [](const CKelvraView& v) { return v.displayMode; }, 1},
        {"[グラフタイトル]\n 位置:縦   = 1000\n", [](const CKelvraView& v) { return v.titlePosV; }, 180},
        {"[ウィンドウサイズ]\n X方向ｻｲｽﾞ  = 3001\n", [](const CKelvraView& v) { return v.windowWidth; }, 775},
        {"[スケールの設定]\n Z軸:倍率   = 0\n", [](const CKelvraView& v) { return int(v.scaleSizePercent[2]); }, 100},
    };
    for (const Case& c : cases) {
        Applied a(c.text);
        EXPECT_EQ(c.get(a.view), c.expected) << c.text;
    }
}

TEST(SettingsReader, DataColourSourceFallsBackToTheDataValue) {
    RecordingHost host;
    CKelvraView view(host);
    view.valuesPerPoint = 4;   // a data value to follow
    view.applySettingsText(cp932("[凡例の設定]\n 凡例色ﾃﾞｰﾀ = 7\n"), 2500);
    EXPECT_EQ(view.legendColorSource, 3);
}

TEST(SettingsReader, ShownXAngleIsStoredWithItsOffset) {
    const std::pair<const char*, int> cases[] = {{"90", 0}, {"0", 270}, {"359", 269}, {"30", 300},
                                                 {"360", 300}, {"-1", 300}};
    for (auto [value, stored] : cases) {
        Applied a(std::string("[表示の設定]\n 角度:X軸   = ") + value + "\n");
        EXPECT_EQ(a.view.viewAngleX, stored) << value;
    }
}

TEST(SettingsReader, ColourComponentsAreClampedAndMissingOnesKept) {
    Applied a("[ｶﾗｰ凡例色の設定]\n 色05 = 1.5, -0.2, 0.5\n 色06 = 0.25\n 色07 = , 0.75\n 色01 = nan, 0.5, 2\n");
    EXPECT_EQ(a.view.legendColors[5], (Rgb{1.0, 0.0, 0.5}));
    EXPECT_EQ(a.view.legendColors[6], (Rgb{0.25, 0.715, 1.0}));   // G and B as they were
    EXPECT_EQ(a.view.legendColors[7], (Rgb{0.0, 0.75, 1.0}));     // R as it was (0.0)
    EXPECT_EQ(a.view.legendColors[1], (Rgb{0.0, 0.5, 1.0}));
    EXPECT_EQ(a.view.legendColors[0], a.view.legendColors[1]);
}

TEST(SettingsReader, HeaderWithTrailingTextStillOpensItsSection) {
    Applied a("[表示の設定] (view) \n 倍率 = 300\n");
    EXPECT_EQ(a.view.viewZoom, 300);
}

TEST(SettingsReader, KeysBeforeAnyHeaderOrInAnotherSectionAreIgnored) {
    Applied a(" 倍率 = 300\n[線，点の設定]\n 倍率 = 400\n[何かの設定]\n 倍率 = 500\n");
    EXPECT_EQ(a.view.viewZoom, 100);
    EXPECT_TRUE(a.view.settings() == afterLoad(GraphSettings{}));
}

TEST(SettingsReader, LastLineWithoutLineBreakIsReadInFull) {
    Applied a("[グラフタイトル]\n タイトル  = 最後の行");
    EXPECT_EQ(a.view.titleText, cp932("最後の行"));
    Applied b("[表示の設定]\n 倍率 = 123");
    EXPECT_EQ(b.view.viewZoom, 123);
}

TEST(SettingsReader, LegendIndexWrittenWithDecimalsReadsAsAWholeNumber) {
    Applied a("[スケールの設定]\n 凡例:間隔  = 3.000\n");
    EXPECT_EQ(a.view.scaleStep[3], 3.0);
    Applied b("[スケールの設定]\n 凡例:間隔  = 11.999\n");
    EXPECT_EQ(b.view.scaleStep[3], 11.0);
}

TEST(SettingsReader, LegendIndexWrittenInExponentFormReadsBack) {
    ScratchDir dir;
    ViewFixture writer;
    writer.view.scaleFormat[3] = FormatExponent;
    writer.view.scaleStep[3] = 11;   // 480 levels, written "1.100e+01"
    ASSERT_EQ(writer.view.saveSettingsFile(dir.file("s.txt")), 0);
    ViewFixture reader;
    reader.view.loadSettingsFile(dir.file("s.txt"), 2500);
    EXPECT_EQ(reader.view.scaleStep[3], 11.0);
}

TEST(SettingsReader, LinesLongerThanTheBufferArriveAsSeparateLines) {
    // A title line of 100 000 bytes read with a 2500-byte buffer: the first
    // piece (2499 bytes) is the title line; the next piece begins with a key
    // and is read as that key's line; the rest is skipped up to the line break.
    std::string label = cp932(" タイトル  = ");
    std::string title(2499 - label.size(), 'a');
    std::string text = cp932("[表示の設定]\n[グラフタイトル]\n") + label + title + cp932(" 位置:縦   = 77") +
                       std::string(100000, 'b') + "\r\n" + cp932(" 位置:横   = 66\r\n");
    RecordingHost host;
    CKelvraView view(host);
    ASSERT_EQ(view.applySettingsText(text, 2500), 1);
    EXPECT_EQ(view.titleText, title);
    EXPECT_EQ(view.titlePosV, 77);
    EXPECT_EQ(view.titlePosH, 66);
}

TEST(SettingsReader, TinyBuffersStillEnd) {
    Applied a("[表示の設定]\n 倍率 = 300\n", 1);
    EXPECT_EQ(a.result, 1);
    EXPECT_EQ(a.view.viewZoom, 100);   // no piece is long enough to hold a key
}

TEST(SettingsReader, UnknownKeysAndLinesWithoutAnEqualsSignAreSkipped) {
    Applied a("[表示の設定]\n 倍率\n 倍率なし = 3\n 未知のｷｰ = 5\n\n 位置:X軸 = 7\n");
    EXPECT_EQ(a.view.viewZoom, 100);
    EXPECT_EQ(a.view.viewPosX, 7);
}

TEST(SettingsReader, LfAndCrLfFilesReadAlike) {
    const char* text = "[軸の設定]\n ﾗﾍﾞﾙ：X軸  = 長さ\n 大きさ     = 300\n 大きさ固定 = 0\n";
    Applied crlf(text);
    Applied lf(text, 2500, true);
    EXPECT_EQ(crlf.view.axisLabelX, cp932("長さ"));
    EXPECT_TRUE(crlf.view.settings() == lf.view.settings());
    EXPECT_EQ(crlf.view.axisSizeFixed, 0);
    EXPECT_EQ(crlf.view.axisSize, 100);   // read as 300, then following the zoom (not fixed)
}

TEST(SettingsReader, StringValuesTakeOneBlankAfterTheEqualsSign) {
    Applied a("[軸の設定]\n ﾗﾍﾞﾙ：X軸  =  two\n ﾗﾍﾞﾙ：Y軸  =\n ﾗﾍﾞﾙ：Z軸  =z=1\n");
    EXPECT_EQ(a.view.axisLabelX, " two");
    EXPECT_EQ(a.view.axisLabelY, "");
    EXPECT_EQ(a.view.axisLabelZ, "z=1");
}

TEST(SettingsReader, RepeatedKeyTakesItsLastValue) {
    Applied a("[表示の設定]\n 倍率 = 200\n[表示の設定]\n 倍率 = 300\n");
    EXPECT_EQ(a.view.viewZoom, 300);
}

TEST(SettingsReader, DataBeforeTheFirstHeaderIsSkipped) {
    Applied a("ﾃﾞｰﾀ形式,1\nKelvra ver.1.52\n\n,1,2\n1, 倍率 = 5,6\n\n[表示の設定]\n 倍率 = 321\n");
    EXPECT_EQ(a.view.viewZoom, 321);
}

// ---- loading --------------------------------------------------------------------------

TEST(SettingsLoad, MissingFileShowsItsMessageAndChangesNothing) {
    ScratchDir dir;
    ViewFixture f;
    f.view.viewZoom = 123;
    EXPECT_EQ(f.view.loadSettingsFile(dir.file("none.txt"), 2500), 0);
    ASSERT_EQ(f.host.messages.size(), 1u);
    EXPECT_EQ(f.host.messages[0], cp932("ﾌｧｲﾙを開くことが出来ません。"));
    EXPECT_EQ(f.view.viewZoom, 123);
    EXPECT_EQ(f.host.invalidations, 0);
    EXPECT_EQ(f.view.loadSettingsFile(dir.path(), 2500), 0);   // a folder cannot be read
    EXPECT_EQ(f.host.messages.size(), 2u);
}

TEST(SettingsLoad, NoLineBufferShowsOutOfMemory) {
    ScratchDir dir;
    writeFile(dir.file("s.txt"), cp932("[表示の設定]\r\n 倍率 = 250\r\n"));
    ViewFixture f;
    EXPECT_EQ(f.view.loadSettingsFile(dir.file("s.txt"), 0), 0);
    ASSERT_EQ(f.host.messages.size(), 1u);
    EXPECT_EQ(f.host.messages[0], cp932("メモリー不足です"));
    EXPECT_EQ(f.view.viewZoom, 100);
}

TEST(SettingsLoad, WithoutAGlContextTheListsAreMarkedMissing) {
    ViewFixture f;
    f.view.glyphListsBuilt = true;
    f.view.graphListsBuilt = true;
    f.view.applySettingsText("", 2500);
    EXPECT_FALSE(f.view.glyphListsBuilt);
    EXPECT_FALSE(f.view.graphListsBuilt);
}

TEST(SettingsLoad, InAGlContextTheListsAreRebuilt) {
    GL_TEST_REQUIRE_CONTEXT(64, 64);
    ViewFixture f;
    f.view.applySettingsText("", 2500);
    EXPECT_TRUE(f.view.glyphListsBuilt);
    EXPECT_TRUE(f.view.graphListsBuilt);
}

// ---- saving -----------------------------------------------------------------------------

// Runs a save as a user for whom permissions apply; expects it to return 1
// after showing exactly `message`.
void expectSaveFailsAsUser(const std::function<int(CKelvraView&)>& save, const std::string& message) {
    test::expectTrueAsUnprivilegedChild([&] {
        RecordingHost host;
        CKelvraView view(host);
        return save(view) == 1 && host.messages.size() == 1 && host.messages[0] == message;
    });
}

// Entries of a folder, so a test can see no temporary file was left.
std::vector<std::string> entries(const std::string& folder) {
    std::vector<std::string> names;
    for (auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(SettingsSave, ReplacesTheOldFileAndLeavesNothingElse) {
    ScratchDir dir;
    writeFile(dir.file("s.txt"), "old");
    chmod(dir.file("s.txt").c_str(), 0640);
    ViewFixture f;
    EXPECT_EQ(f.view.saveSettingsFile(dir.file("s.txt")), 0);
    EXPECT_EQ(readFile(dir.file("s.txt")), f.view.settingsText());
    EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"s.txt"});
    struct stat st;
    ASSERT_EQ(stat(dir.file("s.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);   // the replaced file keeps its permissions
    EXPECT_TRUE(f.host.messages.empty());
}

TEST(SettingsSave, ThroughASymbolicLinkReplacesTheFileItNames) {
    ScratchDir dir;
    std::filesystem::create_directory(dir.file("real"));
    writeFile(dir.file("real/s.txt"), "old");
    std::filesystem::create_symlink("real/s.txt", dir.file("link.txt"));
    ViewFixture f;
    EXPECT_EQ(f.view.saveSettingsFile(dir.file("link.txt")), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.txt")));
    EXPECT_EQ(readFile(dir.file("real/s.txt")), f.view.settingsText());
    EXPECT_EQ(entries(dir.file("real")), std::vector<std::string>{"s.txt"});
}

TEST(SettingsSave, OntoAFolderReportsAndLeavesItAlone) {
    ScratchDir dir;
    std::filesystem::create_directory(dir.file("folder"));
    writeFile(dir.file("folder/inside"), "x");
    ViewFixture f;
    EXPECT_EQ(f.view.saveSettingsFile(dir.file("folder")), 1);
    ASSERT_EQ(f.host.messages.size(), 1u);
    EXPECT_EQ(f.host.messages[0], cp932("設定ﾌｧｲﾙの保存が出来ません"));
    EXPECT_EQ(readFile(dir.file("folder/inside")), "x");
    EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"folder"});
    EXPECT_EQ(f.view.saveSettingsFile(dir.file("no-such-folder/s.txt")), 1);
}

TEST(SettingsSave, IntoAReadOnlyFolderReportsAndKeepsTheOldFile) {
    ScratchDir dir;
    std::string folder = dir.file("ro");
    std::filesystem::create_directory(folder);
    writeFile(folder + "/s.txt", "old settings");
    chmod(dir.path().c_str(), 0755);
    chmod(folder.c_str(), 0555);
    std::string path = folder + "/s.txt";
    expectSaveFailsAsUser([&](CKelvraView& v) { return v.saveSettingsFile(path); }, cp932("設定ﾌｧｲﾙの保存が出来ません"));
    EXPECT_EQ(readFile(path), "old settings");
    EXPECT_EQ(entries(folder), std::vector<std::string>{"s.txt"});
}

TEST(SettingsSave, FailureHalfWayKeepsTheOldFile) {
    ScratchDir dir;
    writeFile(dir.file("s.txt"), "old settings");
    ViewFixture f;
    setSafeWriteFaultAfter(100);
    int result = f.view.saveSettingsFile(dir.file("s.txt"));
    setSafeWriteFaultAfter(-1);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(readFile(dir.file("s.txt")), "old settings");
    EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"s.txt"});
    EXPECT_EQ(f.host.messages.size(), 1u);
}

// ---- dialogs ------------------------------------------------------------------------------

TEST(SettingsDialogs, OpenAndSaveAskWithTheirTitlesAndFilters) {
    ScratchDir dir;
    ViewFixture f;
    f.view.dataLoaded = true;
    f.view.dataFilePath = dir.file("data.csv");
    f.host.fileAnswers = {dir.file("s.txt"), dir.file("s.txt"), ""};
    EXPECT_EQ(f.view.chooseAndSaveSettingsFile(), 0);
    EXPECT_EQ(f.view.chooseAndLoadSettingsFile(), 1);
    EXPECT_EQ(f.view.chooseAndLoadSettingsFile(), 0);   // cancelled
    ASSERT_EQ(f.host.dialogs.size(), 3u);
    const FileDialogRequest& save = f.host.dialogs[0];
    EXPECT_TRUE(save.save);
    EXPECT_TRUE(save.confirmOverwrite);
    EXPECT_EQ(save.title, cp932("設定ﾌｧｲﾙの保存"));
    EXPECT_EQ(save.initialFolder, dir.path());
    ASSERT_EQ(save.filters.size(), 2u);
    EXPECT_EQ(save.filters[0].first, cp932("設定ﾌｧｲﾙ(*.txt)"));
    EXPECT_EQ(save.filters[0].second, "*.txt");
    EXPECT_EQ(save.filters[1].first, "All Files (*.*)");
    EXPECT_EQ(save.filters[1].second, "*.*");
    const FileDialogRequest& open = f.host.dialogs[1];
    EXPECT_FALSE(open.save);
    EXPECT_EQ(open.title, cp932("設定ﾌｧｲﾙを開く"));
    EXPECT_EQ(open.filters, save.filters);
}

}  // namespace
}  // namespace kelvra
