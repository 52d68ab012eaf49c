// Following a rewritten data file: what the watch reports for the two ways
// writers save (closed in place, renamed over) and for a write still open,
// the quiet spell, a file that moves while it is waited for or read, the name
// followed through deletion and return, the longer wait for a file that looks
// cut short; then the load of a changed file, which changes nothing at all
// unless the file holds data, and otherwise does what F5 does. No GL context.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/cp932.h"
#include "base/headlessHost.h"
#include "base/liveFile.h"
#include "support/testFiles.h"
#include "view/kelvraView.h"

namespace kelvra {
namespace {

using namespace std::chrono_literals;
using test::openAndWrite;
using test::renameOver;
using test::writeFile;
using test::writeInPlace;

std::string wholeText(const LiveRead& read) {
    EXPECT_EQ(read.kind, LiveRead::Whole);
    return read.file.ok() ? std::string(read.file.bytes.view()) : "(not read)";
}

// Following data.csv, in a folder of its own, from the time `t` on.
class Following : public ::testing::Test {
protected:
    bool follow(const std::string& first) {
        writeFile(path, first);
        const bool ok = live.follow(path);
        t = LiveClock::now();
        return ok;
    }
    // What the file holds once it has held still after the news it gave at `at`.
    std::string readAfterQuiet(LiveClock::time_point at) {
        return wholeText(live.read(at + std::chrono::milliseconds(kQuietMilliseconds)));
    }

    test::ScratchDir dir;
    const std::string path = dir.file("data.csv");
    LiveFile live;
    LiveClock::time_point t;
};

TEST_F(Following, ReadsAFileClosedInPlaceOrRenamedOverOnceItHeldStill) {
    ASSERT_TRUE(follow("first"));
    EXPECT_FALSE(live.due());

    // A write that is not closed yet is no news: the file may be half written.
    int fd = openAndWrite(path, "sec");
    EXPECT_FALSE(live.takeNews(t).any());
    EXPECT_EQ(::write(fd, "ond", 3), 3);
    ::close(fd);
    EXPECT_TRUE(live.takeNews(t).written);
    ASSERT_TRUE(live.due());
    EXPECT_EQ(*live.due(), t + std::chrono::milliseconds(kQuietMilliseconds));
    EXPECT_EQ(live.read(t + 50ms).kind, LiveRead::Changed);   // not yet
    LiveRead read = live.read(t + 100ms);
    EXPECT_EQ(wholeText(read), "second");
    EXPECT_FALSE(read.settled);
    EXPECT_FALSE(live.due());

    // Another file of the folder, and the new file before its rename, are not this one.
    writeFile(dir.file("other.csv"), "x");
    EXPECT_FALSE(live.takeNews(t).any());
    renameOver(path, "third");
    EXPECT_TRUE(live.takeNews(t).written);
    EXPECT_EQ(readAfterQuiet(t), "third");
}

TEST_F(Following, AFileThatMovesDuringItsSpellIsWaitedForAgain) {
    ASSERT_TRUE(follow("old"));
    writeInPlace(path, "part one, ");
    live.takeNews(t);
    // The writer opens it again and goes on writing, without closing yet.
    int fd = openAndWrite(path, "part two", /*append=*/true);
    EXPECT_EQ(live.read(t + 100ms).kind, LiveRead::Changed);
    ASSERT_TRUE(live.due());
    EXPECT_EQ(*live.due(), t + 200ms);
    ::close(fd);
    live.takeNews(t + 150ms);
    EXPECT_EQ(wholeText(live.read(t + 250ms)), "part one, part two");
}

TEST_F(Following, FollowsTheNameThroughDeletionAndReturn) {
    ASSERT_TRUE(follow("one"));

    ASSERT_EQ(::unlink(path.c_str()), 0);
    EXPECT_TRUE(live.takeNews(t).gone);
    EXPECT_FALSE(live.due());
    writeFile(path, "two");
    EXPECT_TRUE(live.takeNews(t).written);
    EXPECT_EQ(readAfterQuiet(t), "two");

    std::filesystem::rename(path, dir.file("away.csv"));
    EXPECT_TRUE(live.takeNews(t).gone);
    std::filesystem::rename(dir.file("away.csv"), path);
    EXPECT_TRUE(live.takeNews(t).written);
    // Written and then gone before it held still: nothing to read.
    ASSERT_EQ(::unlink(path.c_str()), 0);
    EXPECT_EQ(live.read(t + 100ms).kind, LiveRead::Gone);

    // The folder itself goes and comes back: the watch is made again by name.
    std::filesystem::remove_all(dir.path());
    EXPECT_TRUE(live.takeNews(t).lost);
    std::filesystem::create_directory(dir.path());
    writeFile(path, "three");
    ASSERT_TRUE(live.due());
    const LiveClock::time_point back = t + std::chrono::milliseconds(kRewatchMilliseconds);
    live.read(back);
    EXPECT_EQ(readAfterQuiet(back), "three");
    renameOver(path, "four");
    EXPECT_TRUE(live.takeNews(back).written);
}

TEST_F(Following, AReadThatLookedCutShortIsTakenWhenTheFileHeldStillLonger) {
    ASSERT_TRUE(follow("half"));
    live.waitForGrowth(t);
    EXPECT_EQ(live.read(t + 1s).kind, LiveRead::Changed);
    LiveRead read = live.read(t + std::chrono::milliseconds(kGrowthMilliseconds));
    EXPECT_EQ(wholeText(read), "half");
    EXPECT_TRUE(read.settled);

    // The rest comes before the long wait is over: a short spell again, not settled.
    live.waitForGrowth(t);
    writeInPlace(path, " and the rest", /*append=*/true);
    live.takeNews(t + 500ms);
    read = live.read(t + 600ms);
    EXPECT_EQ(wholeText(read), "half and the rest");
    EXPECT_FALSE(read.settled);
}

// ---- the load of a changed file ----

std::string grid(int rows, double scale) {
    std::string text = test::cp932("ﾃﾞｰﾀ形式,1\r\nKelvra\r\n\r\n,0,1,2\r\n");
    for (int r = 0; r < rows; ++r)
        text += std::to_string(r) + "," + std::to_string(scale * r) + "," + std::to_string(scale * (r + 1)) + "," +
                std::to_string(scale * (r + 2)) + "\r\n";
    return text;
}

FileRead fileOf(const std::string& bytes) {
    FileRead file;
    file.result = file.bytes.assign(bytes) ? ReadResult::Ok : ReadResult::NoMemory;
    return file;
}

TEST(LoadChangedData, ChangesNothingUnlessTheFileHoldsDataAndOtherwiseReloadsAsF5) {
    test::ScratchDir dir;
    const std::string path = dir.file("data.csv");
    writeFile(path, grid(6, 1.0));
    HeadlessHost host, twinHost;
    host.printMessages = twinHost.printMessages = false;
    CKelvraView view(host), twin(twinHost);
    ASSERT_TRUE(view.loadDataFile(path, false));
    ASSERT_TRUE(twin.loadDataFile(path, false));
    view.settings.scaleMin[2] = twin.settings.scaleMin[2] = -3.0;   // the user's own scale
    const double* values = view.data.pointValues.data();
    const std::string settings = view.settingsText();

    FileRead unreadable;
    unreadable.error = EACCES;
    struct {
        FileRead file;
        LiveOutcome outcome;
    } failures[] = {
        {std::move(unreadable), LiveOutcome::CannotOpen},
        {fileOf(grid(0, 1.0)), LiveOutcome::NoData},
        {fileOf(grid(3, 5.0)), LiveOutcome::CutShort},   // fewer rows than shown: maybe half written
        {fileOf(grid(6, 5.0).substr(0, 80)), LiveOutcome::CutShort},
    };
    for (auto& f : failures) {
        EXPECT_EQ(view.loadChangedData(path, std::move(f.file), view.data.pointCount, false, true), f.outcome);
        EXPECT_EQ(view.data.pointValues.data(), values);
        EXPECT_EQ(view.data.rowCount, 6);
        EXPECT_EQ(view.data.gridPointAt(5, 2)[2], 7.0);
        EXPECT_EQ(view.settingsText(), settings);
    }
    EXPECT_TRUE(host.messages.empty()) << "a box from a reload nobody asked for";

    // A whole file: as F5 takes it, the user's look kept.
    writeFile(path, grid(8, 2.0));
    ASSERT_EQ(view.loadChangedData(path, fileOf(grid(8, 2.0)), view.data.pointCount, false, true),
              LiveOutcome::Loaded);
    ASSERT_TRUE(twin.reloadDataFile());
    EXPECT_EQ(view.data.rowCount, 8);
    EXPECT_EQ(view.data.gridPointAt(7, 2)[2], 18.0);
    EXPECT_EQ(view.settingsText(), twin.settingsText());
    EXPECT_EQ(view.data.dataFilePath, path);
    // What held still long enough is what the file holds, shorter or not.
    EXPECT_EQ(view.loadChangedData(path, fileOf(grid(3, 5.0)), view.data.pointCount, true, true),
              LiveOutcome::Loaded);
    EXPECT_EQ(view.data.rowCount, 3);
}

TEST(LoadChangedData, StatusTextsCarryTheTime) {
    setenv("TZ", "UTC", 1);
    tzset();
    const std::time_t at = 14 * 3600 + 3 * 60 + 27;
    EXPECT_EQ(cp932ToUtf8(liveStatusText(LiveOutcome::Loaded, "/x/data.csv", 0, at)), "14:03:27 再読み込み");
    EXPECT_EQ(cp932ToUtf8(liveStatusText(LiveOutcome::NoData, "/x/data.csv", 0, at)),
              "14:03:27 再読み込みを見送りました: ｸﾞﾗﾌﾃﾞｰﾀがありません。");
    EXPECT_TRUE(cp932ToUtf8(liveStatusText(LiveOutcome::Gone, "/x/data.csv", 0, at)).starts_with("14:03:27 data.csv がありません"));
}

}  // namespace
}  // namespace kelvra
