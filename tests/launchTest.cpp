// Launch files: the key rules, what a launch run does and leaves undone
// (Soft_On, a data file that fails, an image that cannot be written), and
// kelvra-render carrying out a launch file.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>
#include <tuple>

#include "app/launch/launch.h"
#include "base/cp932.h"
#include "base/headlessHost.h"
#include "view/kelvraView.h"
#include "support/glFixture.h"
#include "support/renderRun.h"
#include "support/testFiles.h"

namespace kelvra {
namespace {

TEST(LaunchKey, KeyRules) {
    test::ScratchDir dir;
    const std::string key = "Data_File_Name=", fits(kLaunchLineLength - key.size(), 'p'), longer(2500, 'q');
    const std::tuple<std::string, std::string, std::optional<std::string>> cases[] = {
        {"data_file_name=a.csv\r\n", "Data_File_Name", "a.csv"},       // keys ignore case; no line break
        {"IMAGE_FILE_NAME =b.png\n", "Image_File_Name", "=b.png"},    // one separator character, whatever it is
        {"Soft_On=YES\nSoft_On=NO\n", "Soft_On", "YES"},               // the first line decides,
        {"Soft_On=\nSoft_On=NO\n", "Soft_On", std::nullopt},           // also with an empty value
        {key + fits + "\r\n", "Data_File_Name", fits},                  // a line of 2000 characters
        // A longer line is read in pieces: the first gives the value, and the lines after it are still found.
        {key + longer + "\r\nSoft_On=NO\r\n", "Data_File_Name", longer.substr(0, fits.size())},
        {key + longer + "\r\nSoft_On=NO\r\n", "Soft_On", "NO"},
    };
    for (const auto& [text, name, value] : cases) {
        test::writeFile(dir.file("launch.txt"), "[Kelvra]\r\n" + text);
        EXPECT_EQ(readLaunchKey(dir.file("launch.txt"), name), value) << text.substr(0, 50);
    }
    EXPECT_EQ(readLaunchKey(dir.file("missing.txt"), "Data_File_Name"), std::nullopt);
    // Launch files hold CP932 paths; a value already in UTF-8 is taken as it is.
    EXPECT_EQ(launchPathToFileName(test::cp932("ﾃﾞｰﾀ/温度.csv")), "ﾃﾞｰﾀ/温度.csv");
    EXPECT_EQ(launchPathToFileName("ﾃﾞｰﾀ/温度.csv"), "ﾃﾞｰﾀ/温度.csv");
}

// Decided: Soft_On=NO ends the program whatever failed, since the program
// that wrote the launch file waits for it; the result tells which file failed.
TEST(LaunchRun, SoftOnNoEndsTheProgramAndTheResultNamesWhatFailed) {
    GL_TEST_REQUIRE_CONTEXT(80, 60);
    test::ScratchDir dir;
    HeadlessHost host{{80, 60}};
    host.printMessages = false;
    // data failed, settings failed, image asked for, image written, end, all done
    using Flags = std::tuple<bool, bool, bool, bool, bool, bool>;
    auto run = [&](const std::string& keys) {
        test::writeFile(dir.file("launch.txt"), "[Kelvra]\r\n" + keys);
        CKelvraView view(host);
        LaunchResult r = runLaunchFile(view, dir.file("launch.txt"), {80, 60});
        view.destroyGlLists();
        return Flags(r.dataLoadFailed, r.settingsLoadFailed, r.imageRequested, r.imageWritten, r.endProgram,
                     r.succeeded());
    };
    for (std::string v : {"NO", "no", "No"}) EXPECT_EQ(run("Soft_On=" + v), Flags(0, 0, 0, 0, 1, 1)) << v;
    for (std::string v : {"NO ", "NOPE", "YES", "N", ""}) EXPECT_EQ(run("Soft_On=" + v), Flags(0, 0, 0, 0, 0, 1)) << v;
    EXPECT_EQ(run("Image_File_Name=" + dir.file("out.bmp") + "\r\nSoft_On=NO"), Flags(0, 0, 1, 1, 1, 1));
    // An image that cannot be written is reported.
    EXPECT_EQ(run("Image_File_Name=" + dir.file("no/such/folder.png") + "\r\nSoft_On=NO"), Flags(0, 0, 1, 0, 1, 0));
    EXPECT_EQ(host.messages, std::vector{sj("ﾌｧｲﾙを作成することが出来ません。")});
    // A settings file that cannot be read leaves the current settings, and the picture is still written.
    EXPECT_EQ(run("Setting_File_Name=" + dir.file("missing.txt") + "\r\nImage_File_Name=" + dir.file("out.png")),
              Flags(0, 1, 1, 1, 0, 0));
    // A data file that fails stops the launch before the settings and the image.
    std::filesystem::remove(dir.file("out.png"));
    std::string keys = "Data_File_Name=" + dir.file("missing.csv") + "\r\nImage_File_Name=" + dir.file("out.png");
    EXPECT_EQ(run(keys + "\r\nSoft_On=NO"), Flags(1, 0, 0, 0, 1, 0));
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.png")));
}

// A launch file in which no line begins with one of the keys (another file
// that begins with "[", binary bytes, a key misspelt or indented) does
// nothing and says so in its result, for the shells to show. A key with an
// empty value still counts as named.
TEST(LaunchRun, AFileThatNamesNoKeyDoesNothingAndSaysSo) {
    GL_TEST_REQUIRE_CONTEXT(80, 60);
    test::ScratchDir dir;
    HeadlessHost host{{80, 60}};
    host.printMessages = false;
    std::string binary = "[";
    for (int i = 0; i < 3000; ++i) binary += char((i * 7919) % 251);
    const std::vector<std::string> texts = {test::cp932("[グラフの設定]\r\n 種類       = 3\r\n"),
                                            "[Kelvra]\r\nData-File-Name=a.csv\r\n", "[Kelvra]\r\n Soft_On=NO\r\n", binary};
    for (const std::string& text : texts) {
        test::writeFile(dir.file("launch.txt"), text);
        CKelvraView view(host);
        LaunchResult r = runLaunchFile(view, dir.file("launch.txt"), {80, 60});
        EXPECT_TRUE(r.noKnownKey && !r.succeeded() && !r.picture) << text.substr(0, 30);
    }
    test::writeFile(dir.file("launch.txt"), "[Kelvra]\r\nsoft_on=\r\n");
    CKelvraView view(host);
    LaunchResult r = runLaunchFile(view, dir.file("launch.txt"), {80, 60});
    EXPECT_TRUE(!r.noKnownKey && r.succeeded());
    view.destroyGlLists();
    EXPECT_TRUE(host.messages.empty());
}

// The writer follows the extension, whatever its case (the encoders are pinned in imageFilesTest).
TEST(RenderLaunch, WritesTheImageInTheFormatOfItsExtensionAtTheRequestedSize) {
    test::ScratchDir dir;
    test::writeFile(dir.file("launch.txt"), "[Kelvra]\r\nData_File_Name=" + test::sourcePath("examples/surface.csv") +
                                                "\r\nImage_File_Name=" + dir.file("out.JPG") + "\r\nSoft_On=NO\r\n");
    test::RenderRun r = test::runRender({"--size", "320x200", dir.file("launch.txt")}, dir.path());
    if (r.noGl()) GTEST_SKIP() << r.err;
    ASSERT_EQ(r.status, 0) << r.err;
    // Height 200 and width 320 in the JPEG frame header.
    std::string image = test::readFile(dir.file("out.JPG"));
    std::size_t frame = std::min(image.find("\xFF\xC0") + 5, image.size());
    EXPECT_EQ(image.substr(0, 2) + image.substr(frame, 4), std::string("\xFF\xD8\0\xC8\x01\x40", 6));
}

// Runs in `folder` as the current folder, and back.
struct InFolder {
    explicit InFolder(const std::string& folder) : before(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~InFolder() { std::filesystem::current_path(before); }
    std::filesystem::path before;
};

// A relative path is the current folder's when it is there (old launch files
// keep working), else the launch file's folder's; a file to write needs only
// its folder to be there.
TEST(LaunchPath, RelativePathsFallBackToTheLaunchFilesFolder) {
    test::ScratchDir dir;
    std::filesystem::create_directories(dir.file("here/both"));
    std::filesystem::create_directories(dir.file("launch/sub"));
    for (const char* name : {"here/cwd.csv", "here/both.csv", "launch/both.csv", "launch/beside.csv", "launch/sub/deep.csv"})
        test::writeFile(dir.file(name), "x");
    InFolder cwd(dir.file("here"));
    const std::string launch = dir.file("launch");
    const std::tuple<std::string, bool, std::string> cases[] = {
        {"cwd.csv", false, "cwd.csv"},
        {"both.csv", false, "both.csv"},                        // the current folder first
        {"beside.csv", false, launch + "/beside.csv"},
        {"sub/deep.csv", false, launch + "/sub/deep.csv"},
        {"nowhere.csv", false, "nowhere.csv"},                  // as written, for the message
        {"/abs/x.csv", false, "/abs/x.csv"},
        {"out.png", true, "out.png"},                           // the current folder is there
        {"both/out.png", true, "both/out.png"},
        {"sub/out.png", true, launch + "/sub/out.png"},
        {"none/out.png", true, "none/out.png"},
    };
    for (const auto& [value, toWrite, path] : cases) EXPECT_EQ(launchPathFrom(value, launch, toWrite), path) << value;
    EXPECT_EQ(launchPathFrom("beside.csv", "", false), "beside.csv");   // from standard input: no folder
}

// The shipped example launch file, and one kept beside its data, work from any
// folder; the picture goes to the current folder.
TEST(RenderLaunch, LaunchFileBesideItsDataWorksFromAnotherFolder) {
    test::ScratchDir dir;
    std::filesystem::create_directories(dir.file("elsewhere"));
    std::filesystem::create_directories(dir.file("kept/pictures"));
    for (const char* name : {"surface.csv", "surface-settings.txt"})
        std::filesystem::copy_file(test::sourcePath(std::string("examples/") + name), dir.file(std::string("kept/") + name));
    test::writeFile(dir.file("kept/launch.txt"),
                    "[Kelvra]\r\nData_File_Name=surface.csv\r\nSetting_File_Name=surface-settings.txt\r\n"
                    "Image_File_Name=pictures/surface.bmp\r\n");
    InFolder cwd(dir.file("elsewhere"));
    test::RenderRun r = test::runRender({"../kept/launch.txt", "--size", "64x48", "--write-settings", "s.txt"}, dir.path());
    if (r.noGl()) GTEST_SKIP() << r.err;
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(std::filesystem::exists(dir.file("kept/pictures/surface.bmp")));
    // The settings file was found and applied: its title is in the settings written.
    EXPECT_NE(test::readFile(dir.file("elsewhere/s.txt")).find(test::cp932(" タイトル  = 表面の高さ分布")), std::string::npos);

    r = test::runRender({test::sourcePath("examples/surface-launch.txt"), "--size", "64x48"}, dir.path());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(std::filesystem::exists(dir.file("elsewhere/surface.png")));

    // A data file that is nowhere is named as the launch file wrote it.
    test::writeFile(dir.file("kept/missing.txt"), "[Kelvra]\r\nData_File_Name=nowhere.csv\r\nImage_File_Name=x.png\r\n");
    r = test::runRender({"../kept/missing.txt"}, dir.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "kelvra-render: nowhere.csv: No such file or directory: nowhere.csv を開くことが出来ません。\n");
}

// Decided: a dropped file's lines are counted whole, so a "[" inside a long data
// line does not make it a settings file; a line beginning with "[" among the
// first 11 does, and 5 lines or more make a data file.
TEST(DroppedFile, KindFollowsTheFirstElevenWholeLines) {
    test::ScratchDir dir;
    using K = DroppedFileKind;
    const std::pair<std::string, K> cases[] = {{std::string(10, '\n') + "[x]\n", K::SettingsFile},
        {std::string(11, '\n') + "[x]\n", K::DataFile}, {std::string(2500, '1') + "[x]\n2\n", K::Ignored}};
    for (const auto& [text, kind] : cases) {
        test::writeFile(dir.file("drop"), text);
        EXPECT_EQ(classifyDroppedFile(dir.file("drop")), kind) << text.substr(0, 30);
    }
}

}  // namespace
}  // namespace kelvra
