// kelvra-render as a script would run it: every example layout loads, a file
// that cannot be opened is reported on stderr in UTF-8 with a failing exit
// status, and the option parser answers --help, --version and bad options.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/renderRun.h"
#include "support/testFiles.h"

namespace kelvra {
namespace {

using test::runRender;

TEST(RenderCli, LoadsEveryExampleLayout) {
    test::ScratchDir dir;
    int seen = 0;
    for (const auto& entry : std::filesystem::directory_iterator(test::sourcePath("examples"))) {
        if (entry.path().extension() != ".csv") continue;
        SCOPED_TRACE(entry.path().filename().string());
        test::RenderRun r = runRender({entry.path().string()}, dir.path());
        if (r.noGl()) GTEST_SKIP() << r.err;
        EXPECT_EQ(std::tuple(r.status, r.err), std::tuple(0, ""));
        ++seen;
    }
    EXPECT_GE(seen, 8);   // one file per layout, and a scattered one
}

TEST(RenderCli, FileThatCannotBeOpenedIsReportedAndFails) {
    test::ScratchDir dir;
    test::RenderRun r = runRender({dir.file("missing.csv")}, dir.path());
    if (r.noGl()) GTEST_SKIP() << r.err;
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find("missing.csv を開くことが出来ません。(ｴｸｾﾙ等で使われている可能性があります)"), std::string::npos)
        << r.err;
}

TEST(RenderCli, HelpAndVersionSucceedAndUsageErrorsExitWithStatus2) {
    test::ScratchDir dir;
    for (const char* option : {"--help", "-h"}) {
        test::RenderRun r = runRender({option}, dir.path());
        EXPECT_EQ(r.status, 0) << option;
        EXPECT_NE(r.out.find("Usage: kelvra-render"), std::string::npos) << option;
    }
    test::RenderRun version = runRender({"--version"}, dir.path());
    EXPECT_EQ(version.status, 0);
    EXPECT_NE(version.out.find("1.52"), std::string::npos) << version.out;
    const std::vector<std::vector<std::string>> usageErrors = {
        {},                           // no input
        {"--bogus", "a.csv"},         // unknown option
        {"a.csv", "-o"},              // option without its value
        {"--size", "0x5", "a.csv"},   // size out of range
        {"--size", "800", "a.csv"},   // size without a height
        {"a.csv", "b.csv"},           // two inputs
    };
    for (const auto& args : usageErrors) {
        test::RenderRun r = runRender(args, dir.path());
        EXPECT_EQ(r.status, 2) << testing::PrintToString(args);
        EXPECT_FALSE(r.err.empty()) << testing::PrintToString(args);
    }
}

}  // namespace
}  // namespace kelvra
