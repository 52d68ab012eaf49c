// kelvra-render as a script would run it: the option parser answers --help,
// --version and bad options.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kelvra
