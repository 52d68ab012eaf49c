// The built desktop program as a separate process, the way a user or another
// program starts it: launch files that end the program or leave it open,
// one that comes through a FIFO, the argument rule, and what one run leaves
// for the next.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <tuple>

#include "app/gui/kelvraApp.h"
#include "support/testFiles.h"
// Last: it brings in Xlib.
#include "guiTestSupport.h"

namespace kelvra {
namespace {

using test::Process;
using test::ScratchDir;

// Opens the tests' one X connection before any program is started.
#define REQUIRE_DISPLAY() \
    do { \
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display (run under scripts/test.sh)"; \
        ASSERT_TRUE(test::xDisplay()) << "cannot open the display"; \
    } while (0)

std::string smallGrid() {
    return test::cp932("ﾃﾞｰﾀ形式,1\r\nKelvra ver.1.52\r\n\r\n,0,1,2\r\n0,1,2,3\r\n1,2,3,4\r\n2,3,4,5\r\n");
}

// True once the program shows a window titled `title`; false when it ends first.
bool waitForWindow(const std::string& title, Process& p, int timeoutMs) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        if (test::hasWindowTitled(p.pid, title)) return true;
        if (test::waitForExit(p, 0)) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

TEST(Program, LaunchFileWithSoftOnNoWritesTheImageAndEndsWithStatus0) {
    REQUIRE_DISPLAY();
    ScratchDir dir;
    std::string data = dir.file("grid.csv"), image = dir.file("picture.png"), launch = dir.file("launch.txt");
    test::writeFile(data, smallGrid());
    test::writeFile(launch, "[Launch]\r\ndata_file_name=" + data + "\r\nImage_File_Name=" + image + "\r\nSoft_On=NO\r\n");
    Process p = test::startProgram({KELVRA_GUI_PATH, launch});
    ASSERT_GT(p.pid, 0);
    test::ProgramGuard guard{p};
    ASSERT_TRUE(test::waitForExit(p, 30000)) << "the program did not end";
    EXPECT_EQ(p.exitCode, 0);
    PixelSize size = test::pngSize(test::readFile(image));
    // The view fills the 775-pixel-wide frame under its menus, toolbar and status bar.
    EXPECT_GT(size.width, 700);
    EXPECT_LE(size.width, 775);
    EXPECT_GT(size.height, 300);
    EXPECT_LT(size.height, 550);
}

TEST(Program, LaunchFileWithSoftOnYesStaysOpenAfterTheImage) {
    REQUIRE_DISPLAY();
    ScratchDir dir;
    std::string data = dir.file("grid.csv"), image = dir.file("picture.bmp"), launch = dir.file("launch.txt");
    test::writeFile(data, smallGrid());
    test::writeFile(launch, "[Launch]\nData_File_Name=" + data + "\nImage_File_Name=" + image + "\nSoft_On=YES\n");
    Process p = test::startProgram({KELVRA_GUI_PATH, launch});
    ASSERT_GT(p.pid, 0);
    test::ProgramGuard guard{p};
    EXPECT_TRUE(waitForWindow("grid.csv - Kelvra ver.1.52", p, 20000));
    // The title shows once the data is loaded, before the picture is drawn
    // and written: wait for the file, which the safe writer puts in place whole.
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!std::ifstream(image).good() && !test::waitForExit(p, 0) && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(std::ifstream(image).good()) << "no picture was written";
    // A program told to end would do so right after writing the picture.
    EXPECT_FALSE(test::waitForExit(p, 1000)) << "the program ended";
}

// A launch file handed over through a FIFO (as process substitution would),
// in UTF-16 with its byte-order mark and lone CR line ends: the argument is
// read once, so its kind and its keys come from the same bytes.
TEST(Program, LaunchFileThroughAFifoInUtf16IsCarriedOut) {
    REQUIRE_DISPLAY();
    ScratchDir dir;
    std::string data = dir.file("grid.csv"), image = dir.file("picture.png"), launch = dir.file("launch");
    test::writeFile(data, smallGrid());
    std::string text = "[Launch]\rData_File_Name=" + data + "\rImage_File_Name=" + image + "\rSoft_On=NO\r";
    std::string utf16 = "\xFF\xFE";
    for (char c : text) utf16 += std::string{c, '\0'};   // ASCII paths: one unit per byte
    ASSERT_EQ(mkfifo(launch.c_str(), 0600), 0);
    Process p = test::startProgram({KELVRA_GUI_PATH, launch});
    ASSERT_GT(p.pid, 0);
    test::ProgramGuard guard{p};
    std::ofstream(launch, std::ios::binary) << utf16;   // waits for the program to open it
    ASSERT_TRUE(test::waitForExit(p, 30000)) << "the program did not end";
    EXPECT_EQ(p.exitCode, 0);
    EXPECT_GT(test::pngSize(test::readFile(image)).width, 700);
}

// Nobody may be there to close a box: a launch that fails says why on stderr
// and, with Soft_On=NO, ends by itself with a failure status.
TEST(Program, FailedLaunchWithSoftOnNoEndsByItselfWithAFailureStatusAndALineOnStderr) {
    REQUIRE_DISPLAY();
    ScratchDir dir;
    std::string data = dir.file("grid.csv"), launch = dir.file("launch.txt"), err = dir.file("stderr.txt");
    std::string victim = dir.file("victim.csv");
    test::writeFile(data, smallGrid());
    test::writeFile(victim, smallGrid());
    // One line: the program, the path, the system's reason, the message.
    const std::pair<std::string, std::string> cases[] = {
        {"Data_File_Name=" + data + "\r\nImage_File_Name=/proc/nope.png",
         "/proc/nope.png: No such file or directory: ﾌｧｲﾙを作成することが出来ません。\n"},
        {"Data_File_Name=" + dir.file("missing.csv"),
         dir.file("missing.csv") + ": No such file or directory: missing.csv を開くことが出来ません。\n"},
        // "victim.csv<NUL>.png" would be victim.csv to the system.
        {"Data_File_Name=" + data + "\r\nImage_File_Name=" + victim + std::string(1, '\0') + ".png",
         victim + "?.png: ﾌｧｲﾙ名に制御文字 (NUL、改行など) があります: ﾌｧｲﾙを作成することが出来ません。\n"},
    };
    for (const auto& [keys, message] : cases) {
        SCOPED_TRACE(keys);
        test::writeFile(launch, "[Launch]\r\n" + keys + "\r\nSoft_On=NO\r\n");
        Process p = test::startProgram({KELVRA_GUI_PATH, launch}, err);
        ASSERT_GT(p.pid, 0);
        test::ProgramGuard guard{p};
        ASSERT_TRUE(test::waitForExit(p, 20000)) << "the program did not end";
        EXPECT_EQ(p.exitCode, 1);
        EXPECT_NE(test::readFile(err).find("kelvra: " + message), std::string::npos) << test::readFile(err);
    }
    EXPECT_EQ(test::readFile(victim), smallGrid());
}

// --help and --version answer and end without a window, even with no display.
TEST(Program, HelpAndVersionPrintAndEndWithoutAWindow) {
    ScratchDir dir;
    for (const char* option : {"--help", "-h", "--version"}) {
        SCOPED_TRACE(option);
        std::string out = dir.file("out.txt");
        pid_t pid = fork();
        if (pid == 0) {
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
            int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0 || dup2(fd, 1) < 0) _exit(126);
            execl(KELVRA_GUI_PATH, KELVRA_GUI_PATH, option, (char*)nullptr);
            _exit(127);
        }
        int status = -1;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        EXPECT_NE(test::readFile(out).find(option == std::string("--version") ? "kelvra Kelvra ver.1.52\n" : "Usage: kelvra [DATA_FILE | LAUNCH_FILE]"),
                  std::string::npos) << test::readFile(out);
    }
}

// The program's $HOME for one test: a fresh folder; the test program's own
// is put back afterwards.
struct FreshHome {
    FreshHome() {
        if (const char* home = std::getenv("HOME")) saved = home;
        test::useHome(dir.path());
    }
    ~FreshHome() {
        if (!saved.empty()) setenv("HOME", saved.c_str(), 1);
    }
    ScratchDir dir;
    std::string saved;
};

// Keys and pointer moves sent to the display by another program; true when
// xdotool did them.
bool xdotool(std::vector<std::string> args) {
    args.insert(args.begin(), "/usr/bin/xdotool");
    Process p = test::startProgram(args);
    test::ProgramGuard guard{p};
    return p.pid > 0 && test::waitForExit(p, 10000) && p.exitCode == 0;
}

// A user opens a data file, moves and sizes the window and quits with
// Ctrl+Q; the next run opens where the window was, and the file is the first
// of "最近使ったﾌｧｲﾙ", reached from the keyboard.
TEST(Program, ARecentFileReopensAfterARestartAndTheWindowKeepsItsPlace) {
    REQUIRE_DISPLAY();
    FreshHome home;
    std::string data = home.dir.file("grid.csv");
    test::writeFile(data, smallGrid());
    {
        Process p = test::startProgram({KELVRA_GUI_PATH, data});
        ASSERT_GT(p.pid, 0);
        test::ProgramGuard guard{p};
        ASSERT_TRUE(waitForWindow("grid.csv - Kelvra ver.1.52", p, 20000));
        ::Window w = test::findWindowTitled(p.pid, "grid.csv - Kelvra ver.1.52");
        ASSERT_TRUE(xdotool({"windowmove", std::to_string(w), "60", "40", "windowsize", std::to_string(w), "700", "480"}));
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        ASSERT_TRUE(xdotool({"mousemove", "300", "300", "sleep", "0.2", "key", "ctrl+q"}));
        ASSERT_TRUE(test::waitForExit(p, 10000)) << "Ctrl+Q did not end the program";
        EXPECT_EQ(p.exitCode, 0);
    }
    Process p = test::startProgram({KELVRA_GUI_PATH});
    ASSERT_GT(p.pid, 0);
    test::ProgramGuard guard{p};
    ASSERT_TRUE(waitForWindow("newfile - Kelvra ver.1.52", p, 20000));
    ::Window w = test::findWindowTitled(p.pid, "newfile - Kelvra ver.1.52");
    XWindowAttributes a;
    ::Window child;
    int x = 0, y = 0;
    // The window may be mapped before the toolkit has moved it to its place
    // (seen on a loaded machine): look again for a while.
    for (int tries = 0; tries < 40; ++tries) {
        ASSERT_TRUE(XGetWindowAttributes(test::xDisplay(), w, &a));
        XTranslateCoordinates(test::xDisplay(), w, DefaultRootWindow(test::xDisplay()), 0, 0, &x, &y, &child);
        if (std::tuple(x, y, a.width, a.height) == std::tuple(60, 40, 700, 480)) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(std::tuple(x, y, a.width, a.height), std::tuple(60, 40, 700, 480));
    // The File menu, its entry above "終了", the submenu, its first file.
    ASSERT_TRUE(xdotool({"mousemove", "300", "300", "sleep", "1.0", "key", "alt+f", "sleep", "0.5", "key", "Up", "sleep",
                         "0.2", "key", "Up", "sleep", "0.2", "key", "Right", "sleep", "0.4", "key", "1"}));
    EXPECT_TRUE(waitForWindow("grid.csv - Kelvra ver.1.52", p, 20000)) << "the recent file did not open";
}

TEST(Program, StartupArgumentIsTheOnlyArgument) {
    wxArrayString args;
    args.push_back("kelvra");
    EXPECT_EQ(startupArgument(args), "");
    args.push_back("/tmp/a b.csv");
    EXPECT_EQ(startupArgument(args), "/tmp/a b.csv");
    args.push_back("/tmp/other.csv");
    EXPECT_EQ(startupArgument(args), "");   // two files: nothing is loaded
}

}  // namespace
}  // namespace kelvra
