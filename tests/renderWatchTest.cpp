// kelvra-render --watch as a dashboard runs it beside an instrument: two
// hundred rewrites of the data file at five a second, alternating two data
// sets and the two ways writers save, give only whole pictures, nearly one per
// rewrite, without the program's memory growing; the settings file is
// followed too; a deleted or empty data file leaves the last picture; SIGINT
// and SIGTERM end the run with status 0.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/renderRun.h"
#include "support/testFiles.h"

namespace kelvra {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::readFile;
using test::writeFile;

constexpr const char kPictureLine[] = "画像を書き込みました";

// A grid of n x n points, Z = r * c, or mirrored in Y.
std::string grid(int n, bool mirrored) {
    std::string text = test::cp932("ﾃﾞｰﾀ形式,1\r\nKelvra\r\n\r\n");
    for (int c = 0; c < n; ++c) text += "," + std::to_string(c);
    text += "\r\n";
    for (int r = 0; r < n; ++r) {
        text += std::to_string(r);
        for (int c = 0; c < n; ++c) text += "," + std::to_string((mirrored ? n - 1 - r : r) * c);
        text += "\r\n";
    }
    return text;
}

// kelvra-render --watch running beside the test, its stderr in a file.
class Watch {
public:
    Watch(std::vector<std::string> args, const std::string& folder) : errPath_(folder + "/watch-stderr.txt") {
        args.insert(args.begin(), KELVRA_RENDER_PATH);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        pid_ = fork();
        if (pid_ == 0) {
            int err = open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            int out = open("/dev/null", O_WRONLY);
            if (err < 0 || out < 0 || dup2(err, 2) < 0 || dup2(out, 1) < 0) _exit(126);
            execv(argv[0], argv.data());
            _exit(127);
        }
    }
    ~Watch() { stop(SIGKILL); }
    pid_t pid() const { return pid_; }
    std::string err() const { return readFile(errPath_); }
    int pictures() const {
        const std::string text = err();
        int n = 0;
        for (std::size_t at = 0; (at = text.find(kPictureLine, at)) != std::string::npos; at += 1) ++n;
        return n;
    }
    template <class Done>
    bool waitFor(Done done, std::chrono::milliseconds limit = 10s) const {
        for (auto end = Clock::now() + limit; Clock::now() < end; std::this_thread::sleep_for(10ms))
            if (done()) return true;
        return done();
    }
    // Signals the program and returns its exit status (-1: it did not exit by itself).
    int stop(int signal) {
        if (pid_ <= 0) return -1;
        kill(pid_, signal);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    std::string errPath_;
    pid_t pid_ = -1;
};

// The largest resident set since the last reset, in kB; resets it again.
// Nothing when the system keeps no such figure for this process.
std::optional<long> takePeakKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::optional<long> peak;
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) peak = std::stol(line.substr(6));
    std::ofstream reset("/proc/" + std::to_string(pid) + "/clear_refs");
    reset << "5";
    reset.close();
    return reset ? peak : std::nullopt;
}

// Writes in place, in two pieces with a pause between (the file open all the
// while), or as a new file renamed over the name. The time the save ended.
Clock::time_point save(const std::string& path, const std::string& bytes, bool inPlace) {
    if (!inPlace) {
        test::renameOver(path, bytes);
        return Clock::now();
    }
    const std::size_t half = bytes.size() / 2;
    int fd = test::openAndWrite(path, bytes.substr(0, half));
    std::this_thread::sleep_for(5ms);
    EXPECT_EQ(write(fd, bytes.data() + half, bytes.size() - half), ssize_t(bytes.size() - half));
    close(fd);
    return Clock::now();
}

TEST(RenderWatch, TwoHundredRewritesGiveOnlyWholePicturesNearlyOneEachWithoutGrowing) {
    test::ScratchDir dir;
    const std::string data = dir.file("data.csv"), image = dir.file("out.bmp");
    const std::string sets[2] = {grid(20, false), grid(20, true)};
    std::string references[2];
    for (int k = 0; k < 2; ++k) {
        writeFile(data, sets[k]);
        test::RenderRun r = test::runRender({data, "-o", image, "--size", "160x120"}, dir.path());
        if (r.noGl()) GTEST_SKIP() << "no off-screen GL context";
        ASSERT_EQ(r.status, 0) << r.err;
        references[k] = readFile(image);
    }
    ASSERT_NE(references[0], references[1]);

    writeFile(data, sets[0]);
    Watch watch({data, "-o", image, "--size", "160x120", "--watch"}, dir.path());
    ASSERT_TRUE(watch.waitFor([&] { return watch.pictures() == 1; })) << watch.err();
    EXPECT_EQ(readFile(image), references[0]);

    constexpr int kRewrites = 200;
    constexpr auto kPeriod = 200ms;
    int quietRewrites = 0, seen = 1, torn = 0;
    std::optional<long> firstPeak, lastPeak;
    takePeakKb(watch.pid());
    Clock::time_point ended{};
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < kRewrites; ++i) {
        if (i == 50) firstPeak = takePeakKb(watch.pid());
        if (i == kRewrites - 50) takePeakKb(watch.pid());
        const Clock::time_point slot = start + i * kPeriod;
        // Every picture the program says it wrote is looked at while it is the newest.
        while (Clock::now() < slot) {
            if (int n = watch.pictures(); n > seen) {
                seen = n;
                const std::string picture = readFile(image);
                torn += picture != references[0] && picture != references[1];
            }
            std::this_thread::sleep_for(2ms);
        }
        // A rewrite that the next one followed before 0.1 s had no quiet spell.
        const Clock::time_point began = Clock::now();
        if (i > 0 && began - ended >= 100ms) ++quietRewrites;
        ended = save(data, sets[(i + 1) % 2], (i / 2) % 2 == 0);
    }
    ++quietRewrites;   // the last one has all the time it wants
    std::this_thread::sleep_for(1s);
    lastPeak = takePeakKb(watch.pid());
    const int pictures = watch.pictures() - 1;

    std::printf("%d pictures for %d quiet rewrites; peak resident kB, first 50: %ld, last 50: %ld\n", pictures,
                quietRewrites, firstPeak.value_or(0), lastPeak.value_or(0));
    EXPECT_EQ(torn, 0) << "pictures that are neither data set";
    EXPECT_EQ(readFile(image), references[kRewrites % 2]) << "the last picture is of the last rewrite";
    EXPECT_GE(pictures * 10, quietRewrites * 9) << pictures << " pictures for " << quietRewrites << " quiet rewrites";
    EXPECT_LE(pictures, kRewrites);
    // Under AddressSanitizer freed memory waits in its quarantine, so the
    // resident size there says nothing about what the program keeps.
#if defined(__SANITIZE_ADDRESS__)
    const bool residentMeansKept = false;
#else
    const bool residentMeansKept = true;
#endif
    if (firstPeak && lastPeak && residentMeansKept) {
        EXPECT_LE(*lastPeak * 100, *firstPeak * 105) << "peak kB: first 50 rewrites " << *firstPeak << ", last 50 "
                                                    << *lastPeak;
    }
    EXPECT_EQ(watch.stop(SIGINT), 0);
}

TEST(RenderWatch, FollowsTheSettingsFileKeepsThePictureOfAFailedReadAndEndsCleanly) {
    test::ScratchDir dir;
    const std::string data = dir.file("data.csv"), settings = dir.file("look.txt"), image = dir.file("out.bmp");
    auto look = [](int zoom) {
        return test::cp932("[表示の設定]\r\n 倍率 = " + std::to_string(zoom) + "\r\n");
    };
    writeFile(data, grid(12, false));
    writeFile(settings, look(100));
    Watch watch({data, "-s", settings, "-o", image, "--size", "160x120", "--watch"}, dir.path());
    if (!watch.waitFor([&] { return watch.pictures() == 1; })) {
        if (watch.err().find("no off-screen GL context") != std::string::npos) GTEST_SKIP() << "no GL";
        FAIL() << watch.err();
    }
    const std::string first = readFile(image);

    writeFile(settings, look(150));
    ASSERT_TRUE(watch.waitFor([&] { return watch.pictures() == 2; })) << watch.err();
    const std::string zoomed = readFile(image);
    EXPECT_NE(zoomed, first);

    // Gone, then back empty: said, and the picture stays.
    ASSERT_EQ(unlink(data.c_str()), 0);
    ASSERT_TRUE(watch.waitFor([&] { return watch.err().find("data.csv がありません") != std::string::npos; }));
    writeFile(data, grid(0, false));
    ASSERT_TRUE(watch.waitFor([&] { return watch.err().find("ｸﾞﾗﾌﾃﾞｰﾀがありません") != std::string::npos; }))
        << watch.err();
    EXPECT_EQ(readFile(image), zoomed);
    EXPECT_EQ(watch.pictures(), 2);

    // Back whole: drawn as a run without --watch draws it.
    writeFile(data, grid(12, true));
    ASSERT_TRUE(watch.waitFor([&] { return watch.pictures() == 3; })) << watch.err();
    const std::string followed = readFile(image);
    test::RenderRun r = test::runRender({data, "-s", settings, "-o", image, "--size", "160x120"}, dir.path());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(followed, readFile(image));
    EXPECT_EQ(watch.stop(SIGTERM), 0);
}

}  // namespace
}  // namespace kelvra
