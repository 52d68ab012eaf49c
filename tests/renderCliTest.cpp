// kelvra-render as a script would run it: the option parser answers --help,
// --version and bad options; "-" reads the input from standard input; the
// exit status tells a failed file, a usage error and a data file without points
// apart, and a failure's system reason follows its message.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/renderRun.h"
#include "support/testFiles.h"

namespace kelvra {
namespace {

using test::runRender;

// Exit status and what it says: --help and --version on stdout, usage errors with
// status 2 and a message (sizes out of range and failed loads and writes are in
// hostileInputTest).
TEST(RenderCli, ExitStatusAndMessages) {
    test::ScratchDir dir;
    const struct {
        std::vector<std::string> args;
        int status;
        std::string out, err;   // text the stream must hold ("" for any, "?" for not empty)
    } cases[] = {
        {{"--help"}, 0, "Usage: kelvra-render", ""},
        {{"-h"}, 0, "Usage: kelvra-render", ""},
        {{"--version"}, 0, "1.52", ""},
        {{}, 2, "", "?"},                           // no input
        {{"--bogus", "a.csv"}, 2, "", "?"},         // unknown option
        {{"a.csv", "-o"}, 2, "", "?"},              // option without its value
        {{"--size", "800", "a.csv"}, 2, "", "?"},   // size without a height
        {{"a.csv", "b.csv"}, 2, "", "?"},           // two inputs
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        test::RenderRun r = runRender(c.args, dir.path());
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_NE(r.out.find(c.out), std::string::npos) << r.out;
        EXPECT_TRUE(c.err == "?" ? !r.err.empty() : r.err.find(c.err) != std::string::npos) << r.err;
    }
}

// Each run: its arguments ("@name" a file of the scratch folder), what standard
// input holds, the status, all of stderr, and the picture it must leave.
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
        {{"@no-settings.txt"}, "", "kelvra: ﾌｧｲﾙを開くことが出来ません。\nkelvra: No such file or directory\n", 1, "c.png"},
        {{"@empty.csv", "-o", "@d.png"}, "", "kelvra: ｸﾞﾗﾌﾃﾞｰﾀがありません。\n", 3, "d.png"},
        {{"-", "-o", "@e.png"}, "/dev/null", "kelvra: ｸﾞﾗﾌﾃﾞｰﾀがありません。\n", 3, "e.png"},
        {{data, "--write-settings", "/dev/full"}, "", "kelvra: 設定ﾌｧｲﾙの保存が出来ません\nkelvra: No space left on device\n", 1, nullptr},
        {{data, "-o", "@missing/x.png"}, "", "kelvra: ﾌｧｲﾙを作成することが出来ません。\nkelvra: No such file or directory\n", 1, nullptr},
        {{data, "--write-data", "/dev/null", "--write-settings", "@s.txt"}, "", "", 0, "s.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args) + " < " + c.stdinFile);
        std::vector<std::string> args;
        for (const std::string& a : c.args) args.push_back(a[0] == '@' ? f(a.substr(1)) : a);
        test::RenderRun r = runRender(args, dir.path(), c.stdinFile);
        if (r.noGl()) GTEST_SKIP() << r.err;
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.err, c.err);
        if (c.made) EXPECT_GT(std::filesystem::file_size(f(c.made)), 0u);
    }
}

}  // namespace
}  // namespace kelvra
