// kelvra-render as a script would run it: every example layout loads, a file
// that cannot be opened is reported on stderr in UTF-8 with a failing exit
// status, and the option parser answers --help, --version and bad options.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/testFiles.h"

namespace kelvra {
namespace {

struct RunResult {
    int status = -1;   // exit status, or -1 when the program did not exit normally
    std::string out, err;
};

// Runs kelvra-render with the arguments; stdout and stderr go to files of `dir`.
RunResult runRender(const std::vector<std::string>& args, const test::ScratchDir& dir) {
    std::string outPath = dir.file("stdout.txt"), errPath = dir.file("stderr.txt");
    std::vector<char*> argv;
    std::string program = KELVRA_RENDER_PATH;
    argv.push_back(program.data());
    std::vector<std::string> copies = args;
    for (std::string& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);

    pid_t pid = fork();
    if (pid == 0) {
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0) _exit(126);
        dup2(out, 1);
        dup2(err, 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
    RunResult r;
    int wstatus = 0;
    if (pid > 0 && waitpid(pid, &wstatus, 0) == pid && WIFEXITED(wstatus)) r.status = WEXITSTATUS(wstatus);
    r.out = test::readFile(outPath);
    r.err = test::readFile(errPath);
    return r;
}

#define SKIP_WITHOUT_GL(result)                                                    \
    do {                                                                           \
        if ((result).err.find("no off-screen GL context") != std::string::npos)   \
            GTEST_SKIP() << (result).err;                                          \
    } while (0)

TEST(RenderCli, LoadsEveryExampleLayout) {
    test::ScratchDir dir;
    int seen = 0;
    for (const auto& entry : std::filesystem::directory_iterator(test::sourcePath("examples"))) {
        if (entry.path().extension() != ".csv") continue;
        SCOPED_TRACE(entry.path().filename().string());
        RunResult r = runRender({entry.path().string()}, dir);
        SKIP_WITHOUT_GL(r);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        ++seen;
    }
    EXPECT_GE(seen, 8);   // one file per layout, and a scattered one
}

TEST(RenderCli, FileThatCannotBeOpenedIsReportedAndFails) {
    test::ScratchDir dir;
    RunResult r = runRender({dir.file("missing.csv")}, dir);
    SKIP_WITHOUT_GL(r);
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("missing.csv を開くことが出来ません。(ｴｸｾﾙ等で使われている可能性があります)"),
              std::string::npos)
        << r.err;
}

TEST(RenderCli, HugeEstimateIsReportedAsOutOfMemory) {
    test::ScratchDir dir;
    std::string text = "x,2\r\n\r\n\r\n1,2,3\r\n4,5,6\r\n" + std::string(60000, ',') + "\r\n";
    for (int i = 0; i < 60000; ++i) text += "7\r\n";
    test::writeFile(dir.file("huge.csv"), text);
    RunResult r = runRender({dir.file("huge.csv")}, dir);
    SKIP_WITHOUT_GL(r);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("メモリー不足です"), std::string::npos) << r.err;
}

TEST(RenderCli, HelpAndVersionSucceed) {
    test::ScratchDir dir;
    for (const char* option : {"--help", "-h"}) {
        RunResult r = runRender({option}, dir);
        EXPECT_EQ(r.status, 0) << option;
        EXPECT_NE(r.out.find("Usage: kelvra-render"), std::string::npos) << option;
    }
    RunResult v = runRender({"--version"}, dir);
    EXPECT_EQ(v.status, 0);
    EXPECT_NE(v.out.find("1.52"), std::string::npos) << v.out;
}

TEST(RenderCli, UsageErrorsExitWithStatus2) {
    test::ScratchDir dir;
    const std::vector<std::vector<std::string>> cases = {
        {},                                  // no input
        {"--bogus", "a.csv"},                // unknown option
        {"a.csv", "-o"},                     // option without its value
        {"--size", "0x5", "a.csv"},          // size out of range
        {"--size", "800", "a.csv"},          // size without a height
        {"a.csv", "b.csv"},                  // two inputs
    };
    for (const auto& args : cases) {
        std::string shown;
        for (const std::string& a : args) shown += a + " ";
        RunResult r = runRender(args, dir);
        EXPECT_EQ(r.status, 2) << shown;
        EXPECT_FALSE(r.err.empty()) << shown;
    }
}

}  // namespace
}  // namespace kelvra
