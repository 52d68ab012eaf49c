// kelvra-render as a script would run it: getopt_long's option forms, --help,
// --version and usage errors; "-" for standard input and output; the exit
// status tells a failed file, a usage error and a data file without points
// apart; a failure says the program, the path, the system's reason and the
// program's message on one line; --set and --list-settings; many files into a
// folder; --help, the manual page and the README name the same options.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "base/cp932.h"
#include "settings/settingsFields.h"
#include "settings/settingsFile.h"
#include "support/decodedImage.h"
#include "support/renderRun.h"
#include "support/testFiles.h"

namespace kelvra {
namespace {

using test::runRender;

// Exit status and what it says: --help and --version on stdout, usage errors
// with status 2, what is wrong and a pointer to --help, before any file is
// read or written (sizes out of range are in hostileInputTest).
TEST(RenderCli, ExitStatusAndMessages) {
    test::ScratchDir dir;
    test::writeFile(dir.file("a.png"), "kept");
    const struct {
        std::vector<std::string> args;
        int status;
        std::string out, err;   // text the stream must hold ("" for any)
    } cases[] = {
        {{"--help"}, 0, "Usage: kelvra-render", ""},
        {{"-h"}, 0, "Usage: kelvra-render", ""},
        {{"--version"}, 0, "1.52", ""},
        {{}, 2, "", "no input file"},
        {{"--bogus", "a.csv"}, 2, "", "unknown option '--bogus'"},
        {{"-x", "a.csv"}, 2, "", "unknown option '-x'"},
        {{"a.csv", "-o"}, 2, "", "option '-o' needs an argument"},
        {{"a.csv", "--output"}, 2, "", "option '--output' needs an argument"},
        {{"--timings=yes", "a.csv"}, 2, "", "option '--timings' takes no argument"},
        {{"--size", "800", "a.csv"}, 2, "", "--size: takes WIDTHxHEIGHT"},
        {{"a.csv", "b.csv"}, 2, "", "several files are drawn with -O DIR"},
        {{"a.csv", "-o", "x.png", "-O", "out"}, 2, "", "-o and -O cannot be used together"},
        // The command line refuses what launch files turn into a PNG: a.png stays as it was.
        {{"a.csv", "-o", "a.tiff"}, 2, "", "a.tiff: unknown picture format; name it .png, .jpg, .jpeg, .bmp, .svg, .pdf or .eps"},
        {{"a.csv", "-o", "a"}, 2, "", "a: unknown picture format"},
        {{"a.csv", "-o", "-"}, 2, "", "-o - needs --format (png, jpeg, bmp, svg, pdf, eps)"},
        {{"a.csv", "-o", "-", "--format", "tiff"}, 2, "", "--format: unknown format \"tiff\""},
        {{"a.csv", "-O", "out", "-j", "0"}, 2, "", "--jobs: takes a number from 1 to 256"},
        {{"-", "-O", "out"}, 2, "", "standard input has no name"},
        {{"a.csv", "--write-data", "-"}, 2, "", "write files only"},
        {{"x/a.csv", "y/a.csv", "-O", "out"}, 2, "", "y/a.csv: another FILE has the same name"},
        {{"x.csv", "y.csv", "-O", "out", "--write-settings", "s.txt"}, 2, "", "take one input file"},
        {{"--list-settings", "a.csv"}, 2, "", "--list-settings reads no input file"},
        {{"a.csv", "--watch"}, 2, "", "--watch needs -o IMAGE"},
        {{"a.csv", "-O", "out", "--watch"}, 2, "", "--watch follows one FILE drawn with -o IMAGE"},
        {{"a.csv", "-o", "-", "--format", "png", "--watch"}, 2, "", "-o - cannot be one"},
        {{"-", "-o", "x.png", "--watch"}, 2, "", "standard input has none"},
        {{"a.csv", "-o", "x.png", "--write-data", "d.csv", "--watch"}, 2, "", "--watch writes only the picture"},
        // --set: the key and the value are checked before anything is read.
        {{"a.csv", "--set", "表示の設定.倍率"}, 2, "", "\"表示の設定.倍率\" is not KEY=VALUE"},
        {{"a.csv", "--set", "表示の設定.倍=1"}, 2, "", "unknown setting \"表示の設定.倍\""},
        {{"a.csv", "--set", "表示の設定.倍率=5000"}, 2, "", "--set: 表示の設定.倍率=5000: out of range 10..999"},
        {{"a.csv", "--set=表示の設定.倍率=1e2"}, 2, "", "表示の設定.倍率=1e2: not a whole number"},
        {{"a.csv", "--set", "スケールの設定.X軸:最小=abc"}, 2, "", "X軸:最小=abc: not a number"},
        {{"a.csv", "--set", "色の設定.ﾜｲﾔｰの色:X軸=1, 2, 0"}, 2, "", "not three numbers from 0 to 1"},
        {{"a.csv", "--set", "色の設定.ﾜｲﾔｰの色:X軸=1, 0"}, 2, "", "not three numbers from 0 to 1"},
        {{"a.csv", "--set", "グラフタイトル.タイトル=a\nb"}, 2, "", "a line break in a text"},
        {{"a.csv", "--set", "グラフタイトル.タイトル=\xF0\x9F\x98\x80"}, 2, "", "Shift-JIS (CP932) cannot hold"},
        {{"a.csv", "--set", "グラフタイトル.タイトル=\xFF"}, 2, "", "not UTF-8"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        test::RenderRun r = runRender(c.args, dir.path());
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_NE(r.out.find(c.out), std::string::npos) << r.out;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
        if (c.status == 2) EXPECT_TRUE(r.err.starts_with("kelvra-render: ") && r.err.ends_with("Try 'kelvra-render --help' for more information.\n")) << r.err;
    }
    EXPECT_EQ(test::readFile(dir.file("a.png")), "kept");
    EXPECT_FALSE(std::filesystem::exists(dir.file("out")));
}

// --opt=value, --opt value, -oFILE, -o FILE, options after the file, "--"
// before a file whose name begins with "-", and --format over the extension.
TEST(RenderCli, EachOptionFormIsTaken) {
    test::ScratchDir dir;
    const std::string data = test::sourcePath("examples/surface.csv");
    std::filesystem::copy_file(data, dir.file("-dash.csv"));
    const struct {
        std::vector<std::string> args;
        const char* made;
        int width, height;
    } cases[] = {
        {{"--output=" + dir.file("a.png"), "--size=320x200", data}, "a.png", 320, 200},
        {{"--output", dir.file("b.png"), "--size", "321x201", data}, "b.png", 321, 201},
        {{"-o" + dir.file("c.bmp"), data, "--size=40x30"}, "c.bmp", 40, 30},
        {{data, "-o", dir.file("d.jpg"), "--size", "41x31"}, "d.jpg", 41, 31},
        {{"--size=42x32", "-o", dir.file("e.png"), "--", dir.file("-dash.csv")}, "e.png", 42, 32},
        {{"--format=bmp", "-o", dir.file("f.picture"), data, "--size=43x33"}, "f.picture", 43, 33},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        test::RenderRun r = runRender(c.args, dir.path());
        if (r.noGl()) GTEST_SKIP() << r.err;
        EXPECT_EQ(r.status, 0) << r.err;
        test::Decoded picture = test::decode(test::readFile(dir.file(c.made)));
        EXPECT_EQ(std::pair(picture.width, picture.height), std::pair(c.width, c.height));
    }
}

// Standard output in each format, read back: the same pixels as the file
// written by name (the PNG differs only in its time and title chunks), and
// the vector pictures whole, at the size asked for.
TEST(RenderCli, StandardOutputInEachFormatDecodesBack) {
    test::ScratchDir dir;
    const std::string data = test::sourcePath("examples/surface.csv");
    for (std::string format : {"png", "jpeg", "bmp"}) {
        SCOPED_TRACE(format);
        test::RenderRun piped = runRender({data, "--size", "160x100", "-o", "-", "--format", format}, dir.path());
        if (piped.noGl()) GTEST_SKIP() << piped.err;
        test::RenderRun named = runRender({data, "--size", "160x100", "-o", dir.file("named." + format)}, dir.path());
        EXPECT_EQ(std::pair(piped.status, piped.err), std::pair(0, std::string()));
        test::Decoded a = test::decode(piped.out), b = test::decode(test::readFile(dir.file("named." + format)));
        EXPECT_EQ(std::pair(a.width, a.height), std::pair(160, 100));
        EXPECT_TRUE(a.rgb == b.rgb);
    }
    const std::pair<std::string, std::string> vectors[] = {
        {"svg", "width=\"160pt\" height=\"100pt\""}, {"pdf", "/MediaBox [0 0 160 100]"}, {"eps", "%%BoundingBox: 0 0 160 100"}};
    for (const auto& [format, sizeMark] : vectors) {
        test::RenderRun piped = runRender({data, "--size", "160x100", "-o", "-", "--format=" + format}, dir.path());
        EXPECT_EQ(piped.status, 0) << format << piped.err;
        EXPECT_NE(piped.out.find(sizeMark), std::string::npos) << format;
        EXPECT_NE(piped.out.find(format == "svg" ? "</svg>" : format == "pdf" ? "%%EOF" : "%%EOF"), std::string::npos) << format;
    }
}

// A file that was read and asks for nothing is a usage error; a launch file
// that names its image asks for something by itself.
TEST(RenderCli, NothingToDoIsAUsageError) {
    test::ScratchDir dir;
    const std::string data = test::sourcePath("examples/surface.csv");
    test::writeFile(dir.file("bare.txt"), "[Kelvra]\r\nData_File_Name=" + data + "\r\n");
    test::writeFile(dir.file("image.txt"), "[Kelvra]\r\nData_File_Name=" + data + "\r\nImage_File_Name=" + dir.file("l.png") + "\r\n");
    for (const std::string& input : {data, dir.file("bare.txt")}) {
        test::RenderRun r = runRender({input}, dir.path());
        EXPECT_EQ(r.status, 2) << input;
        EXPECT_NE(r.err.find("kelvra-render: nothing to do"), std::string::npos) << r.err;
    }
    test::RenderRun r = runRender({dir.file("image.txt")}, dir.path());
    if (r.noGl()) GTEST_SKIP() << r.err;
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(std::filesystem::exists(dir.file("l.png")));
}

// Each run: its arguments ("@name" a file of the scratch folder), what standard
// input holds, the status, all of stderr ("@" the scratch folder), and the
// picture it must leave. A failure is one line: the program, the path as
// given, the system's reason, the program's message.
TEST(RenderCli, StandardInputStatusesAndReasons) {
    test::ScratchDir dir;
    auto f = [&](const std::string& name) { return dir.file(name); };
    const std::string data = test::sourcePath("examples/surface.csv");
    test::writeFile(f("empty.csv"), test::cp932("ﾃﾞｰﾀ形式,1\r\nKelvra ver.1.52\r\n\r\n,1,2\r\n"));
    // A launch file as spreadsheets write "CSV UTF-8", with a byte-order mark.
    test::writeFile(f("marked.txt"), "\xEF\xBB\xBF[Kelvra]\r\nData_File_Name=" + data + "\r\nImage_File_Name=" + f("b.png") + "\r\n");
    test::writeFile(f("no-settings.txt"), "[Kelvra]\r\nData_File_Name=" + data + "\r\nSetting_File_Name=" + f("missing.txt") +
                                             "\r\nImage_File_Name=" + f("c.png") + "\r\n");
    const struct {
        std::vector<std::string> args;
        std::string stdinFile, err;
        int status;
        const char* made;
    } cases[] = {
        {{"-", "-o", "@a.png"}, data, "", 0, "a.png"},
        {{"-"}, f("marked.txt"), "", 0, "b.png"},
        {{"@marked.txt"}, "", "", 0, "b.png"},
        {{"@no-settings.txt"}, "", "kelvra-render: @missing.txt: No such file or directory: ﾌｧｲﾙを開くことが出来ません。\n", 1, "c.png"},
        {{"@empty.csv", "-o", "@d.png"}, "", "kelvra-render: @empty.csv: ｸﾞﾗﾌﾃﾞｰﾀがありません。\n", 3, "d.png"},
        {{"-", "-o", "@e.png"}, "/dev/null", "kelvra-render: -: ｸﾞﾗﾌﾃﾞｰﾀがありません。\n", 3, "e.png"},
        {{data, "--write-settings", "/dev/full"}, "", "kelvra-render: /dev/full: No space left on device: 設定ﾌｧｲﾙの保存が出来ません\n", 1, nullptr},
        {{data, "--write-data", "@"}, "", "kelvra-render: @: Is a directory: ﾃﾞｰﾀﾌｧｲﾙの保存が出来ません\n", 1, nullptr},
        {{data, "-o", "@missing/x.png"}, "", "kelvra-render: @missing/x.png: No such file or directory: ﾌｧｲﾙを作成することが出来ません。\n", 1, nullptr},
        {{data, "-o", "/dev/full", "--format", "png"}, "", "kelvra-render: /dev/full: No space left on device: ﾌｧｲﾙを作成することが出来ません。\n", 1, nullptr},
        {{"@missing.csv", "-o", "@f.png"}, "", "kelvra-render: @missing.csv: No such file or directory: missing.csv を開くことが出来ません。\n", 1, nullptr},
        {{data, "-s", "@missing.txt", "-o", "@f.png"}, "", "kelvra-render: @missing.txt: No such file or directory: ﾌｧｲﾙを開くことが出来ません。\n", 1, nullptr},
        {{data, "--write-data", "/dev/null", "--write-settings", "@s.txt"}, "", "", 0, "s.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args) + " < " + c.stdinFile);
        std::vector<std::string> args;
        for (const std::string& a : c.args) args.push_back(a[0] == '@' ? f(a.substr(1)) : a);
        test::RenderRun r = runRender(args, dir.path(), c.stdinFile);
        if (r.noGl()) GTEST_SKIP() << r.err;
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.err, std::regex_replace(c.err, std::regex("@"), dir.path() + "/"));
        if (c.made) EXPECT_GT(std::filesystem::file_size(f(c.made)), 0u);
    }
}

// --set after -s, in the order given, in both spellings of a key; the
// settings written and listed are the ones drawn with.
TEST(RenderCli, SetAppliesAfterTheSettingsFileInOrderAndListSettingsShowsTheResult) {
    test::ScratchDir dir;
    const std::string data = test::sourcePath("examples/surface.csv");
    test::writeFile(dir.file("look.txt"), test::cp932("[表示の設定]\r\n 倍率       = 120\r\n 角度:Z軸   = 10\r\n"));
    const std::vector<std::string> sets = {"-s", dir.file("look.txt"), "--set", "表示の設定.倍率=150", "--set=[表示の設定]倍率=170",
                                           "--set", "グラフタイトル.タイトル=温度 ℃", "--set", "色の設定.ﾜｲﾔｰの色:X軸= 1, 0.5 ,0"};
    std::vector<std::string> args = {data, "--write-settings", dir.file("s.txt")};
    args.insert(args.end(), sets.begin(), sets.end());
    test::RenderRun r = runRender(args, dir.path());
    if (r.noGl()) GTEST_SKIP() << r.err;
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string written = cp932ToUtf8(test::readFile(dir.file("s.txt")));
    for (const char* line : {" 倍率       = 170\r\n", " 角度:Z軸   = 10\r\n", " タイトル  = 温度 ℃\r\n",
                             " ﾜｲﾔｰの色:X軸 = 1.000000, 0.500000, 0.000000\r\n"})
        EXPECT_NE(written.find(line), std::string::npos) << line;

    args = {"--list-settings"};
    args.insert(args.end(), sets.begin(), sets.end());
    r = runRender(args, dir.path());
    EXPECT_EQ(r.status, 0) << r.err;
    for (const char* line : {"表示の設定.倍率=170\tinteger 10..999\n", "表示の設定.角度:Z軸=10\tinteger 0..359\n",
                             "グラフタイトル.タイトル=温度 ℃\ttext\n", "スケールの設定.X軸:最小=-100.0\tnumber\n",
                             "スケールの設定.凡例:間隔=3.000\tinteger 0..11\n",
                             "色の設定.ﾜｲﾔｰの色:X軸=1.000000, 0.500000, 0.000000\tcolour R, G, B (0..1 each)\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), std::ptrdiff_t(settingsKeyNames().size()));
}

// Every key --list-settings names takes back the value it lists: the names
// are unique and the listed values pass the strict check and read back the same.
TEST(SettingsByName, EveryListedKeyTakesItsListedValue) {
    std::set<std::string> names;
    GraphSettings s;
    s.titleText = test::cp932("温度 ℃");
    s.scaleMin[0] = -12.5;
    for (const SettingsKeyName& key : settingsKeyNames()) {
        SCOPED_TRACE(key.name);
        EXPECT_TRUE(names.insert(key.name).second);
        const FieldRow& row = kSettingsFields[key.field];
        std::string problem;
        std::optional<std::string> text = settingAssignmentText(key.name + "=" + cp932ToUtf8(fieldText(row, s)), &problem);
        ASSERT_TRUE(text) << problem;
        GraphSettings back;
        readSettingsText(*text, back);
        EXPECT_EQ(fieldText(row, back), fieldText(row, s));
    }
    EXPECT_EQ(names.size(), std::size_t(kSettingsFieldCount));
}

// Many files into a folder by two workers: one that cannot be read is named
// with its reason, the others are drawn, the summary counts them, status 1.
TEST(RenderCli, ManyFilesIntoAFolderWithOneFailing) {
    test::ScratchDir dir;
    const std::string data = test::sourcePath("examples/surface.csv");
    std::vector<std::string> args;
    for (std::string name : {"a.csv", "b.csv", "c.data", "d"}) {
        std::filesystem::copy_file(data, dir.file(name));
        args.push_back(dir.file(name));
    }
    args.insert(args.begin() + 2, dir.file("missing.csv"));
    args.insert(args.end(), {"-O", dir.file("out/pictures"), "-j", "2", "--size", "64x48"});
    test::RenderRun r = runRender(args, dir.path());
    if (r.noGl()) GTEST_SKIP() << r.err;
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("kelvra-render: " + dir.file("missing.csv") + ": No such file or directory: missing.csv を開くことが出来ません。\n"),
              std::string::npos) << r.err;
    EXPECT_NE(r.err.find("kelvra-render: 4 of 5 files drawn into " + dir.file("out/pictures") + " in "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(", 1 failed\n"), std::string::npos) << r.err;
    for (std::string name : {"a.png", "b.png", "c.png", "d.png"})
        EXPECT_EQ(test::decode(test::readFile(dir.file("out/pictures/" + name))).width, 64) << name;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.file("out/pictures")), {}), 4);

    // All drawn, in another format, by one worker: status 0.
    r = runRender({dir.file("a.csv"), dir.file("b.csv"), "-O", dir.file("svg"), "--format", "svg", "-j1"}, dir.path());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(std::filesystem::exists(dir.file("svg/a.svg")) && std::filesystem::exists(dir.file("svg/b.svg")));
    EXPECT_NE(r.err.find("2 of 2 files drawn"), std::string::npos) << r.err;
}

// --help is the reference: every long option it names is in the manual page
// and the README, and the manual page names no option --help does not.
TEST(RenderCli, HelpManualPageAndReadmeNameTheSameOptions) {
    test::ScratchDir dir;
    const std::string help = runRender({"--help"}, dir.path()).out;
    const std::string manual = test::readFile(test::sourcePath("res/man/kelvra-render.1.in"));
    const std::string readme = test::readFile(test::sourcePath("README.md"));
    std::set<std::string> inHelp, inManual;
    const std::regex helpOption("--([a-z][a-z-]*)"), manualOption(R"(\\-\\-([a-z][a-z\\-]*))");
    for (std::sregex_iterator it(help.begin(), help.end(), helpOption), end; it != end; ++it) inHelp.insert((*it)[1]);
    for (std::sregex_iterator it(manual.begin(), manual.end(), manualOption), end; it != end; ++it)
        inManual.insert(std::regex_replace((*it)[1].str(), std::regex(R"(\\-)"), "-"));
    EXPECT_GE(inHelp.size(), 13u);
    EXPECT_EQ(inManual, inHelp);
    for (const std::string& option : inHelp) EXPECT_NE(readme.find("--" + option), std::string::npos) << option;
}

}  // namespace
}  // namespace kelvra
