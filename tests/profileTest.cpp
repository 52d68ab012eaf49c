// What the desktop program keeps between runs: the recent-file list's rules
// and how it is shown, the profile file written and read back, a damaged file
// ignored whole, the old ~/.Kelvra taken over once, and where the file lives.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>

#include "base/profile.h"
#include "support/testFiles.h"

namespace kelvra {
namespace {

using Files = std::vector<std::string>;

TEST(RecentFiles, NewestFirstEachOnceAtMostSixteenAbsoluteByName) {
    Files files;
    for (const char* path : {"/a.csv", "/b.csv", "/a.csv"}) addRecentFile(files, path);
    EXPECT_EQ(files, (Files{"/a.csv", "/b.csv"}));
    for (int i = 0; i < 20; ++i) addRecentFile(files, "/f" + std::to_string(i) + ".csv");
    ASSERT_EQ(files.size(), kMaxRecentFiles);
    EXPECT_EQ(std::pair(files.front(), files.back()), std::pair(std::string("/f19.csv"), std::string("/f4.csv")));
    removeRecentFile(files, "/f19.csv");
    EXPECT_EQ(files.front(), "/f18.csv");
    // Links are not followed: ".." takes off the name before it.
    EXPECT_EQ(absolutePath("./sub/../x//y.csv", "/home/u/"), "/home/u/x/y.csv");
    EXPECT_EQ(absolutePath("../../../../up.csv", "/home/u"), "/up.csv");
    EXPECT_EQ(absolutePath("/abs/./b.csv", "/elsewhere"), "/abs/b.csv");
}

TEST(RecentFiles, ShownShortenedWithTheirDigitAndTheirAmpersands) {
    EXPECT_EQ(shortenedPath("/home/u/a.csv", 48), "/home/u/a.csv");
    EXPECT_EQ(shortenedPath("/home/someone/projects/measurements/2024/grids/surface.csv", 40),
              "/home/.../2024/grids/surface.csv");
    // Characters, not bytes, are counted: 30 kanji are 90 bytes.
    std::string kanji;
    for (int i = 0; i < 30; ++i) kanji += "漢";
    EXPECT_EQ(shortenedPath("/data/" + kanji + ".csv", 48), "/data/" + kanji + ".csv");
    // A name too long for any folder keeps only "..." before it, whole.
    std::string longName(60, 'n');
    EXPECT_EQ(shortenedPath("/home/u/" + longName, 48), ".../" + longName);
    EXPECT_EQ(recentFileLabel(0, "/a&b.csv"), "&1 /a&&b.csv");
    EXPECT_EQ(recentFileLabel(8, "/i.csv"), "&9 /i.csv");
    EXPECT_EQ(recentFileLabel(9, "/j.csv"), "10 /j.csv");
}

Profile sampleProfile() {
    Profile p;
    p.recentFiles = {"/home/u/new.csv", "/home/u/with space .csv", "/home/u/odd\\name\nline.csv"};
    p.window = WindowPlace{-20, 30, 900, 640, true};
    p.lastFolders[std::size_t(FileDialogKind::ImageSave)] = "/home/u/pictures";
    p.lastFolders[std::size_t(FileDialogKind::SettingsOpen)] = "/etc/kelvra";
    return p;
}

TEST(ProfileFile, WrittenAndReadBackUnchanged) {
    Profile p = sampleProfile();
    std::optional<Profile> back = parseProfile(profileText(p));
    ASSERT_TRUE(back);
    EXPECT_TRUE(*back == p);
    // Written by hand: CR LF, blanks before keys, comments, unknown keys and
    // sections, numbering with gaps, a repeated file.
    std::optional<Profile> hand = parseProfile(
        "; by hand\r\n[window]\r\n  x=1\r\ny=2\r\nwidth=300\r\nheight=200\r\n[later]\r\nwhat=ever\r\n"
        "[recent]\r\nfile3=/b.csv\r\nfile1=/a.csv\r\nfile9=/a.csv\r\nfile17=/ignored.csv\r\nother=x\r\n");
    ASSERT_TRUE(hand);
    EXPECT_EQ(hand->recentFiles, (Files{"/a.csv", "/b.csv"}));
    EXPECT_TRUE(hand->window == (WindowPlace{1, 2, 300, 200, false}));
    EXPECT_TRUE(parseProfile("")->recentFiles.empty());
}

TEST(ProfileFile, ADamagedFileIsIgnoredWhole) {
    const char* damaged[] = {
        "[recent]\nfile1=/a.csv\nno equals sign here\n",
        "[recent]\nfile1=relative.csv\n",
        "[recent]\nfile1=/a\\q.csv\n",                    // an escape the writer never makes
        "[window]\nx=1\ny=2\nwidth=0\nheight=10\n",      // no window is 0 wide
        "[window]\nx=1\ny=2\nwidth=300\n",               // nor has three sides
        "[window]\nx=1e3\ny=2\nwidth=300\nheight=2\n",
        "[folders]\ndataOpen=somewhere\n",
        "[recent\nfile1=/a.csv\n",
        "\x89PNG\r\n\x1a\n\0\0\0\rIHDR",
    };
    for (const char* text : damaged) EXPECT_FALSE(parseProfile(text)) << text;
}

TEST(ProfileFile, TheOldListIsTakenAsTheFrameworkWroteIt) {
    EXPECT_EQ(recentFilesOfOldProfile("file1=/home/u/a.csv\nfile2=relative.csv\nfile3=\"/home/u/ spaced \"\n"
                                      "file4=/home/u/back\\\\slash.csv\nfile5=\nfile6=/home/u/a.csv\n"
                                      "[Other]\nfile7=/home/u/not-root.csv\n"),
              (Files{"/home/u/a.csv", "/home/u/ spaced ", "/home/u/back\\slash.csv"}));
}

TEST(ProfileFile, LivesInTheConfigurationFolder) {
    EXPECT_EQ(profilePathFor("/x/config", "/home/u"), "/x/config/kelvra/kelvra.conf");
    EXPECT_EQ(profilePathFor("relative", "/home/u"), "/home/u/.config/kelvra/kelvra.conf");
    EXPECT_EQ(profilePathFor(nullptr, "/home/u"), "/home/u/.config/kelvra/kelvra.conf");
    EXPECT_EQ(profilePathFor("", nullptr), "");
}

// A fresh home for one test; the environment is put back afterwards.
class Home : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"HOME", "XDG_CONFIG_HOME"})
            if (const char* value = std::getenv(name)) saved_.emplace_back(name, value);
        setenv("HOME", dir.path().c_str(), 1);
        unsetenv("XDG_CONFIG_HOME");
    }
    void TearDown() override {
        unsetenv("XDG_CONFIG_HOME");
        for (const auto& [name, value] : saved_) setenv(name.c_str(), value.c_str(), 1);
    }
    test::ScratchDir dir;

private:
    std::vector<std::pair<std::string, std::string>> saved_;
};

TEST_F(Home, SavedIntoANewFolderOnlyTheOwnerMayReadAndLoadedBack) {
    test::writeFile(dir.file(".Kelvra"), "file1=/home/u/old.csv\nfile2=/home/u/older.csv\n");
    // No file yet: the old list, until the new file is there, however empty.
    Profile first = loadProfile();
    EXPECT_EQ(first.recentFiles, (Files{"/home/u/old.csv", "/home/u/older.csv"}));
    first.recentFiles.clear();
    ASSERT_TRUE(saveProfile(first));
    EXPECT_TRUE(loadProfile() == Profile{});
    struct stat st;
    ASSERT_EQ(stat(dir.file(".config/kelvra").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    Profile p = sampleProfile();
    ASSERT_TRUE(saveProfile(p));
    EXPECT_TRUE(loadProfile() == p);
    // $XDG_CONFIG_HOME, when set, is where it goes (and with nothing there
    // yet, the old list would be read again).
    setenv("XDG_CONFIG_HOME", dir.file("xdg").c_str(), 1);
    EXPECT_EQ(loadProfile().recentFiles.size(), 2u);
    ASSERT_TRUE(saveProfile(p));
    EXPECT_EQ(test::readFile(dir.file("xdg/kelvra/kelvra.conf")), profileText(p));
}

TEST_F(Home, ADamagedOrUnreadableFileGivesAnEmptyProfileAndIsReplacedByTheNextSave) {
    test::writeFile(dir.file(".Kelvra"), "file1=/home/u/old.csv\n");
    mkdir(dir.file(".config").c_str(), 0700);
    mkdir(dir.file(".config/kelvra").c_str(), 0700);
    test::writeFile(dir.file(".config/kelvra/kelvra.conf"), "[recent]\ngarbage\n");
    EXPECT_TRUE(loadProfile() == Profile{});   // neither the damaged file nor the old list
    Profile p = sampleProfile();
    ASSERT_TRUE(saveProfile(p));
    EXPECT_TRUE(loadProfile() == p);
    // A folder where the file should be: nothing is read, and saving fails
    // without touching it.
    ASSERT_EQ(rename(dir.file(".config/kelvra/kelvra.conf").c_str(), dir.file("kept").c_str()), 0);
    mkdir(dir.file(".config/kelvra/kelvra.conf").c_str(), 0700);
    EXPECT_TRUE(loadProfile() == Profile{});
    EXPECT_FALSE(saveProfile(p));
}

}  // namespace
}  // namespace kelvra
