// Launch files and files handed over from outside: the key rules of launch
// files, what a launch run does and leaves undone, the start-up probe, how a
// dropped file is classified, and kelvra-render carrying out a launch file.
#include <GL/gl.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/launch/launch.h"
#include "core/cp932.h"
#include "core/headlessHost.h"
#include "core/kelvraView.h"
#include "support/glFixture.h"
#include "support/testFiles.h"

namespace kelvra {
namespace {

using test::ScratchDir;

std::optional<std::string> keyIn(const ScratchDir& dir, const std::string& text, const std::string& key) {
    test::writeFile(dir.file("launch.txt"), text);
    return readLaunchKey(dir.file("launch.txt"), key);
}

// ---- key rules ----

TEST(LaunchKey, MatchesTheKeyIgnoringCaseAndSkipsOneSeparator) {
    ScratchDir dir;
    std::string text = "[Kelvra]\r\ndata_file_name=a.csv\r\nIMAGE_FILE_NAME =b.png\r\nSoft_On:no\r\n";
    EXPECT_EQ(keyIn(dir, text, "Data_File_Name"), "a.csv");
    EXPECT_EQ(keyIn(dir, text, "Image_File_Name"), "=b.png");   // only the space is skipped
    EXPECT_EQ(keyIn(dir, text, "Soft_On"), "no");               // any character separates
    EXPECT_EQ(keyIn(dir, text, "Setting_File_Name"), std::nullopt);
}

TEST(LaunchKey, FirstMatchingLineWinsEvenWithAnEmptyValue) {
    ScratchDir dir;
    EXPECT_EQ(keyIn(dir, "[x]\nSoft_On=YES\nSoft_On=NO\n", "Soft_On"), "YES");
    EXPECT_EQ(keyIn(dir, "[x]\nSoft_On=\nSoft_On=NO\n", "Soft_On"), std::nullopt);
    EXPECT_EQ(keyIn(dir, "[x]\nSoft_On\nSoft_On=NO\n", "Soft_On"), std::nullopt);
    EXPECT_EQ(keyIn(dir, "[x]\nSoft_On=N", "Soft_On"), "N");   // one character is enough
    // Keys are looked up from the top on their own: order does not matter.
    std::string text = "[x]\nImage_File_Name=i.png\nData_File_Name=d.csv\n";
    EXPECT_EQ(keyIn(dir, text, "Data_File_Name"), "d.csv");
    EXPECT_EQ(keyIn(dir, text, "Image_File_Name"), "i.png");
}

TEST(LaunchKey, LineBreakIsNotPartOfTheValue) {
    ScratchDir dir;
    EXPECT_EQ(keyIn(dir, "[x]\nData_File_Name=a b.csv\n", "Data_File_Name"), "a b.csv");
    EXPECT_EQ(keyIn(dir, "[x]\r\nData_File_Name=a b.csv\r\n", "Data_File_Name"), "a b.csv");
    EXPECT_EQ(keyIn(dir, "[x]\r\nData_File_Name=last", "Data_File_Name"), "last");
    EXPECT_EQ(keyIn(dir, "[x]\r\nData_File_Name=a\rb\r\n", "Data_File_Name"), "a\rb");   // a lone CR stays
}

TEST(LaunchKey, LinesUpTo2000CharactersAndLongerOnesInPieces) {
    ScratchDir dir;
    const std::string key = "Data_File_Name";
    std::string fits(kLaunchLineLength - key.size() - 1, 'p');   // the line is exactly 2000 characters
    EXPECT_EQ(keyIn(dir, "[x]\r\n" + key + "=" + fits + "\r\n", key), fits);
    // A longer line: the first piece gives the value, the rest is read as a
    // line of its own, and the lines after it are still found.
    std::string longValue(2500, 'q');
    std::string text = "[x]\r\n" + key + "=" + longValue + "\r\nSoft_On=NO\r\n";
    EXPECT_EQ(keyIn(dir, text, key), longValue.substr(0, kLaunchLineLength - key.size() - 1));
    EXPECT_EQ(keyIn(dir, text, "Soft_On"), "NO");
    std::string padding(kLaunchLineLength, 'z');
    EXPECT_EQ(keyIn(dir, "[x]\n" + padding + "Soft_On=YES\n", "Soft_On"), "YES");
}

TEST(LaunchKey, MissingFileHasNoKeys) {
    ScratchDir dir;
    EXPECT_EQ(readLaunchKey(dir.file("missing.txt"), "Data_File_Name"), std::nullopt);
}

TEST(LaunchKey, Cp932PathsBecomeFileNames) {
    EXPECT_EQ(launchPathToFileName("plain/a.csv"), "plain/a.csv");
    EXPECT_EQ(launchPathToFileName(test::cp932("ﾃﾞｰﾀ/温度.csv")), "ﾃﾞｰﾀ/温度.csv");
    EXPECT_EQ(launchPathToFileName("ﾃﾞｰﾀ/温度.csv"), "ﾃﾞｰﾀ/温度.csv");   // already UTF-8
}

// ---- launch runs ----

class LaunchRun : public ::testing::Test {
protected:
    void SetUp() override {
        GL_TEST_REQUIRE_CONTEXT(80, 60);
        host.printMessages = false;
    }
    LaunchResult run(const std::string& text) {
        test::writeFile(dir.file("launch.txt"), text);
        CKelvraView view(host);
        LaunchResult r = view.runLaunchFile(dir.file("launch.txt"), {80, 60});
        view.destroyGlLists();
        return r;
    }
    HeadlessHost host{{80, 60}};
    ScratchDir dir;
};

TEST_F(LaunchRun, SoftOnNoInAnyCaseEndsTheProgramAndNothingElseDoes) {
    struct Case {
        const char* value;
        bool ends;
    } cases[] = {{"NO", true}, {"no", true}, {"No", true}, {"NO ", false}, {"NOPE", false}, {"YES", false}, {"N", false}};
    for (const Case& c : cases) {
        LaunchResult r = run(std::string("[Kelvra]\r\nSoft_On=") + c.value + "\r\n");
        EXPECT_EQ(r.endProgram, c.ends) << c.value;
        EXPECT_FALSE(r.dataLoadFailed);
    }
    EXPECT_FALSE(run("[Kelvra]\r\n").endProgram);
}

TEST_F(LaunchRun, DataFileThatFailsStopsTheLaunchBeforeTheImage) {
    std::string text = "[Kelvra]\r\nData_File_Name=" + dir.file("missing.csv") + "\r\nImage_File_Name=" +
                       dir.file("out.png") + "\r\nSoft_On=NO\r\n";
    LaunchResult r = run(text);
    EXPECT_TRUE(r.dataLoadFailed);
    EXPECT_FALSE(r.imageRequested);
    EXPECT_FALSE(r.endProgram);   // the program stays, even with Soft_On=NO
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.png")));
    EXPECT_FALSE(host.messages.empty());   // the reader said why
}

TEST_F(LaunchRun, ImageIsWrittenAtThePictureSizeAndAFailedOneStillEnds) {
    LaunchResult r = run("[Kelvra]\r\nImage_File_Name=" + dir.file("blank.bmp") + "\r\n");
    EXPECT_TRUE(r.imageRequested);
    EXPECT_TRUE(r.imageWritten);
    std::string bmp = test::readFile(dir.file("blank.bmp"));
    ASSERT_EQ(bmp.size(), 240u * 60 + 56);
    EXPECT_EQ(bmp.substr(54, 3), "\xFF\xFF\xFF");   // no data: a white picture

    r = run("[Kelvra]\r\nImage_File_Name=" + dir.file("no/such/folder.png") + "\r\nSoft_On=NO\r\n");
    EXPECT_TRUE(r.imageRequested);
    EXPECT_FALSE(r.imageWritten);
    EXPECT_TRUE(r.endProgram);
    EXPECT_EQ(host.messages.back(), sj("ﾌｧｲﾙを作成することが出来ません。"));
}

TEST_F(LaunchRun, StartupArgumentRunsOnceAndTellsLaunchFilesFromDataFiles) {
    test::writeFile(dir.file("launch.txt"), "[Kelvra]\r\nSoft_On=NO\r\n");
    CKelvraView view(host);
    EXPECT_TRUE(view.runStartupArgument(dir.file("launch.txt")).endProgram);
    EXPECT_FALSE(view.runStartupArgument(dir.file("launch.txt")).endProgram);   // only the first time
    view.destroyGlLists();

    EXPECT_EQ(probeStartupFile(dir.file("launch.txt")), StartupFileKind::LaunchFile);
    test::writeFile(dir.file("data.csv"), "x,1\r\n");
    EXPECT_EQ(probeStartupFile(dir.file("data.csv")), StartupFileKind::DataFile);
    test::writeFile(dir.file("empty.csv"), "");
    EXPECT_EQ(probeStartupFile(dir.file("empty.csv")), StartupFileKind::DataFile);
    // Unreadable: a launch that finds no key and only redraws.
    EXPECT_EQ(probeStartupFile(dir.file("missing")), StartupFileKind::LaunchFile);
}

// ---- dropped files ----

TEST(DroppedFile, SettingsWhenABracketLineIsAmongTheFirstEleven) {
    ScratchDir dir;
    auto kind = [&](const std::string& text) {
        test::writeFile(dir.file("drop"), text);
        return classifyDroppedFile(dir.file("drop"));
    };
    std::string ten;
    for (int i = 0; i < 10; ++i) ten += "1,2,3\r\n";
    EXPECT_EQ(kind("[表示の設定]\r\n"), DroppedFileKind::SettingsFile);
    EXPECT_EQ(kind(ten + "[x]\r\n"), DroppedFileKind::SettingsFile);   // line 11
    EXPECT_EQ(kind(ten + "1\r\n[x]\r\n"), DroppedFileKind::DataFile);  // line 12 is too late
    EXPECT_EQ(kind("a\nb\nc\nd\ne"), DroppedFileKind::DataFile);        // 5 lines
    EXPECT_EQ(kind("a\nb\nc\nd\n"), DroppedFileKind::Ignored);          // 4 lines
    EXPECT_EQ(kind(""), DroppedFileKind::Ignored);
    // A long line counts once; a "[" inside it is not a line start.
    EXPECT_EQ(kind(std::string(2500, '1') + "[x]\r\n2\r\n"), DroppedFileKind::Ignored);
    EXPECT_EQ(classifyDroppedFile(dir.file("missing")), DroppedFileKind::Ignored);
}

// ---- kelvra-render ----

struct RunResult {
    int status = -1;
    std::string err;
};

RunResult runRender(const std::vector<std::string>& args, const ScratchDir& dir) {
    std::vector<std::string> copies = args;
    std::vector<char*> argv;
    std::string program = KELVRA_RENDER_PATH;
    argv.push_back(program.data());
    for (std::string& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::string errPath = dir.file("stderr.txt");
    pid_t pid = fork();
    if (pid == 0) {
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (err < 0) _exit(126);
        dup2(err, 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
    RunResult r;
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) r.status = WEXITSTATUS(status);
    r.err = test::readFile(errPath);
    return r;
}

TEST(RenderLaunch, WritesEachFormatAtTheRequestedSize) {
    ScratchDir dir;
    struct Case {
        const char* name;
        std::string magic;
    } cases[] = {{"out.png", "\x89PNG"}, {"out.JPG", "\xFF\xD8"}, {"out.bmp", "BM"}};
    for (const Case& c : cases) {
        std::string launch = "[Kelvra]\r\nData_File_Name=" + test::sourcePath("examples/surface.csv") +
                             "\r\nImage_File_Name=" + dir.file(c.name) + "\r\nSoft_On=NO\r\n";
        test::writeFile(dir.file("launch.txt"), launch);
        RunResult r = runRender({"--size", "320x200", dir.file("launch.txt")}, dir);
        if (r.err.find("no off-screen GL context") != std::string::npos) GTEST_SKIP() << r.err;
        ASSERT_EQ(r.status, 0) << c.name << ": " << r.err;
        std::string image = test::readFile(dir.file(c.name));
        ASSERT_EQ(image.substr(0, c.magic.size()), c.magic) << c.name;
        if (c.magic == "BM") {
            EXPECT_EQ(image.size(), 960u * 200 + 56);
        } else if (c.magic == "\x89PNG") {
            EXPECT_EQ(image.substr(16, 8), std::string("\x00\x00\x01\x40\x00\x00\x00\xC8", 8));   // IHDR 320 x 200
        } else {
            size_t sof = image.find("\xFF\xC0");
            ASSERT_NE(sof, std::string::npos);
            EXPECT_EQ(image.substr(sof + 5, 4), std::string("\x00\xC8\x01\x40", 4));   // height, width
        }
    }
}

TEST(RenderLaunch, OutputOptionAlsoWritesThePictureAndAFailedDataFileFails) {
    ScratchDir dir;
    test::writeFile(dir.file("launch.txt"),
                    "[Kelvra]\r\nData_File_Name=" + test::sourcePath("examples/surface.csv") + "\r\n");
    RunResult r = runRender({"-o", dir.file("extra"), "--size", "100x80", dir.file("launch.txt")}, dir);
    if (r.err.find("no off-screen GL context") != std::string::npos) GTEST_SKIP() << r.err;
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(test::readFile(dir.file("extra.png")).find("PNG"), 1u);

    test::writeFile(dir.file("bad.txt"), "[Kelvra]\r\nData_File_Name=" + dir.file("missing.csv") +
                                             "\r\nImage_File_Name=" + dir.file("never.png") + "\r\n");
    r = runRender({dir.file("bad.txt")}, dir);
    EXPECT_NE(r.status, 0);
    EXPECT_FALSE(std::filesystem::exists(dir.file("never.png")));
}

}  // namespace
}  // namespace kelvra
