// Helpers for the desktop-program tests: a wx application for the whole test
// program (skipped when there is no display) with a home folder of its own,
// an event pump that polls a condition with a timeout, a read-back of what a
// window shows on the X server, and starting the built program as a separate
// process.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/evtloop.h>
#include <wx/glcanvas.h>
#include <wx/image.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/gui/kelvraApp.h"
#include "base/viewHost.h"
#include "support/glFixture.h"

// Xlib last: its macros (None, Bool, Status, ...) would break the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#undef None
#undef Bool
#undef Status
#undef True
#undef False
#undef Always
#undef Success

extern char** environ;

namespace kelvra::test {

// A home folder for the test program: what the program keeps between runs
// (recent files, the window's place) and what the toolkit keeps go there, not
// into the user's. Made once, before the toolkit reads $HOME.
inline const std::string& testHome() {
    static const std::string home = [] {
        char pattern[] = "/tmp/kelvra-home-XXXXXX";
        const char* made = mkdtemp(pattern);
        return std::string(made ? made : "");
    }();
    return home;
}

// Points $HOME at `home` and leaves $XDG_CONFIG_HOME unset, so that the
// program's profile is `home`/.config/kelvra/kelvra.conf.
inline void useHome(const std::string& home) {
    if (home.empty()) return;   // no folder could be made: the tests run in the user's
    setenv("HOME", home.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
}

// One wx application and one active event loop for the test program.
class WxEnvironment : public ::testing::Environment {
public:
    // `ownDesktop`: the test program has set up the XDG folders of a scratch
    // desktop of its own, which stay; only $HOME is changed.
    explicit WxEnvironment(bool ownDesktop = false) : ownDesktop_(ownDesktop) {}
    void SetUp() override {
        installAssertHandler();
        if (ownDesktop_ && !testHome().empty()) setenv("HOME", testHome().c_str(), 1);
        else useHome(testHome());
        // The toolkit's settings (the file dialog's) stay in memory.
        setenv("GSETTINGS_BACKEND", "memory", 1);
        if (!std::getenv("DISPLAY")) return;
        static int argc = 1;
        static char name[] = "kelvraGuiTest";
        static char* argv[] = {name, nullptr};
        wxApp::SetInstance(new wxApp);
        if (!wxEntryStart(argc, argv)) return;
        wxTheApp->SetAppName("KelvraTest");
        if (!wxTheApp->CallOnInit()) return;
        loop_ = new wxGUIEventLoop;
        wxEventLoopBase::SetActive(loop_);
        ready_ = true;
    }
    void TearDown() override {
        std::error_code ignored;
        if (!testHome().empty()) std::filesystem::remove_all(testHome(), ignored);
        if (!ready_) return;
        wxTheApp->OnExit();
        wxEventLoopBase::SetActive(nullptr);
        delete loop_;
        wxEntryCleanup();
    }
    static bool ready() { return ready_; }

private:
    static inline bool ready_ = false;
    bool ownDesktop_;
    wxGUIEventLoop* loop_ = nullptr;
};

#define GUI_TEST_REQUIRE_DISPLAY() \
    do { \
        if (!::kelvra::test::WxEnvironment::ready()) GTEST_SKIP() << "no display (run under scripts/test.sh)"; \
    } while (0)

// Runs the event loop (all events, then idle handling, which updates menus
// and toolbar) until `done` holds or `timeoutMs` passes. False on timeout.
template <class Condition>
bool pumpUntil(Condition done, int timeoutMs = 10000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) loop->YieldFor(wxEVT_CATEGORY_ALL);
        wxTheApp->ProcessPendingEvents();
        while (wxTheApp->ProcessIdle()) {
        }
        if (done()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// Lets the loop run for a while with no condition (input reaching windows).
inline void pumpFor(int ms) {
    pumpUntil([] { return false; }, ms);
}

// The top-level window of type T that is on the screen (the last opened), or null.
template <class T>
T* shownWindow() {
    T* found = nullptr;
    for (wxWindow* w : wxTopLevelWindows)
        if (auto* t = dynamic_cast<T*>(w); t && t->IsShownOnScreen()) found = t;
    return found;
}

// The modal dialog whose loop runs (the last opened), or null.
inline wxDialog* modalDialog() {
    wxDialog* found = nullptr;
    for (wxWindow* w : wxTopLevelWindows)
        if (auto* d = dynamic_cast<wxDialog*>(w); d && d->IsModal()) found = d;
    return found;
}

// One connection to the X server for the whole test program, opened on first
// use. Xvfb now and then drops a client that connects while another one is
// connecting or closing, so the tests do not open a connection per look: a
// program started beside them could otherwise lose its own.
inline Display* xDisplay() {
    static Display* display = XOpenDisplay(nullptr);
    return display;
}

// The colour X window `w` shows at (x, y) from its top-left corner, read
// from the X server: what the user sees, not what GL last drew into a buffer.
inline Pixel xWindowPixel(unsigned long w, int x, int y) {
    Pixel p{-1, -1, -1};
    if (!xDisplay()) return p;
    if (XImage* image = XGetImage(xDisplay(), ::Window(w), x, y, 1, 1, AllPlanes, ZPixmap)) {
        unsigned long v = XGetPixel(image, 0, 0);
        p = {int((v >> 16) & 0xFF), int((v >> 8) & 0xFF), int(v & 0xFF)};
        XDestroyImage(image);
    }
    return p;
}

inline Pixel windowPixel(const wxGLCanvas& canvas, int x, int y) {
    return xWindowPixel(canvas.GetXWindow(), x, y);
}

// The colour the screen shows at (x, y), whichever window is there.
inline Pixel screenPixel(int x, int y) {
    return xDisplay() ? xWindowPixel(DefaultRootWindow(xDisplay()), x, y) : Pixel{-1, -1, -1};
}

// What window `w` shows from its top-left corner, width x height, row by row
// from the top, in one read; empty when it cannot be read.
inline std::vector<Pixel> windowPicture(::Window w, PixelSize size) {
    std::vector<Pixel> pixels;
    if (!xDisplay()) return pixels;
    XImage* image = XGetImage(xDisplay(), w, 0, 0, unsigned(size.width), unsigned(size.height), AllPlanes, ZPixmap);
    if (!image) return pixels;
    for (int y = 0; y < size.height; ++y)
        for (int x = 0; x < size.width; ++x) {
            unsigned long v = XGetPixel(image, x, y);
            pixels.push_back({int((v >> 16) & 0xFF), int((v >> 8) & 0xFF), int(v & 0xFF)});
        }
    XDestroyImage(image);
    return pixels;
}

inline std::vector<Pixel> windowPicture(const wxGLCanvas& canvas, PixelSize size) {
    return windowPicture(::Window(canvas.GetXWindow()), size);
}

// PNG width and height from the IHDR chunk; (0, 0) when it is not a PNG.
inline PixelSize pngSize(const std::string& bytes) {
    if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0) return {};
    auto be32 = [&](std::size_t at) {
        return int((unsigned char)bytes[at]) << 24 | int((unsigned char)bytes[at + 1]) << 16 |
               int((unsigned char)bytes[at + 2]) << 8 | int((unsigned char)bytes[at + 3]);
    };
    return {be32(16), be32(20)};
}

// ---- the built program as a process ----

struct Process {
    pid_t pid = -1;
    int exitCode = -1;   // once ended: the exit status, or 128 + signal
    bool ended = false;
};

// Starts args[0] with the arguments after it; its stderr goes to the file
// `stderrPath` when one is given.
inline Process startProgram(const std::vector<std::string>& args, const std::string& stderrPath = {}) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!stderrPath.empty())
        posix_spawn_file_actions_addopen(&actions, 2, stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    Process p;
    if (posix_spawn(&p.pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) p.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return p;
}

// Waits up to timeoutMs for the process to end; true when it did.
inline bool waitForExit(Process& p, int timeoutMs) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!p.ended) {
        int status = 0;
        pid_t r = waitpid(p.pid, &status, WNOHANG);
        if (r == p.pid) {
            p.ended = true;
            p.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            break;
        }
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

inline void stopProgram(Process& p) {
    if (p.pid <= 0 || p.ended) return;
    kill(p.pid, SIGTERM);
    if (!waitForExit(p, 5000)) {
        kill(p.pid, SIGKILL);
        waitForExit(p, 5000);
    }
}

// Ends the program when the test leaves its scope, whatever failed before.
struct ProgramGuard {
    Process& process;
    ~ProgramGuard() { stopProgram(process); }
};

// Turns the mouse wheel `notches` notches over screen point (x, y), away
// from the user (towards for negative), as another program's input does,
// while the event loop runs. False when xdotool did not do it.
inline bool turnWheel(int x, int y, int notches, int delayMs = 40) {
    Process p = startProgram({"/usr/bin/xdotool", "mousemove", std::to_string(x), std::to_string(y), "sleep", "0.1",
                              "click", "--repeat", std::to_string(std::abs(notches)), "--delay",
                              std::to_string(delayMs), notches > 0 ? "4" : "5"});
    ProgramGuard guard{p};
    return p.pid > 0 && pumpUntil([&] { return waitForExit(p, 0); }, 30000) && p.exitCode == 0;
}

// The top-level window titled `title` that process `pid` shows, or 0.
inline ::Window findWindowTitled(pid_t pid, const std::string& title) {
    Display* d = xDisplay();
    if (!d) return 0;
    // A window may go between the listing and the look at it: ignore the error.
    XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    auto property = [&](::Window w, const char* name) {
        Atom type;
        int format;
        unsigned long count, after;
        unsigned char* data = nullptr;
        std::string value;
        if (XGetWindowProperty(d, w, XInternAtom(d, name, 0), 0, 1024, 0, AnyPropertyType, &type, &format, &count,
                               &after, &data) == 0 && data) {
            value = format == 32 ? std::to_string(*reinterpret_cast<long*>(data))
                                 : std::string(reinterpret_cast<char*>(data), count * format / 8);
            XFree(data);
        }
        return value;
    };
    ::Window root, parent, *children = nullptr;
    unsigned count = 0;
    ::Window found = 0;
    if (XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count && !found; ++i)
            if (property(children[i], "_NET_WM_PID") == std::to_string(pid) &&
                property(children[i], "_NET_WM_NAME") == title)
                found = children[i];
        if (children) XFree(children);
    }
    XSync(d, 0);
    XSetErrorHandler(previous);
    return found;
}

inline bool hasWindowTitled(pid_t pid, const std::string& title) { return findWindowTitled(pid, title) != 0; }

// What the screen shows in `area`, as a PNG named `name` in
// $KELVRA_SCREENSHOTS (a folder), for looking at; nothing when that is not
// set. Read through the tests' own connection: another program taking the
// picture could wait on a grab this process holds.
inline void saveScreenshot(const wxRect& area, const std::string& name) {
    const char* folder = std::getenv("KELVRA_SCREENSHOTS");
    if (!folder || !xDisplay()) return;
    XImage* image = XGetImage(xDisplay(), DefaultRootWindow(xDisplay()), area.x, area.y, unsigned(area.width),
                              unsigned(area.height), AllPlanes, ZPixmap);
    if (!image) return;
    wxImage png(area.width, area.height);
    for (int y = 0; y < area.height; ++y)
        for (int x = 0; x < area.width; ++x) {
            unsigned long v = XGetPixel(image, x, y);
            png.SetRGB(x, y, (v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
        }
    XDestroyImage(image);
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
    png.SaveFile(wxString::FromUTF8(std::string(folder) + "/" + name), wxBITMAP_TYPE_PNG);
}

// Pixels of the exclamation icon's yellow or orange triangle among `pixels`.
inline long exclamationIconPixels(const std::vector<Pixel>& pixels) {
    return long(std::count_if(pixels.begin(), pixels.end(), [](Pixel p) {
        return p.r >= 180 && p.g >= 100 && p.b <= 100 && p.r - p.b >= 120;
    }));
}

// The whole of window `w` (a top-level window found by its title).
inline std::vector<Pixel> windowPixels(::Window w) {
    XWindowAttributes a;
    if (!xDisplay() || !XGetWindowAttributes(xDisplay(), w, &a)) return {};
    return windowPicture(w, {a.width, a.height});
}

// A picture held against what the window shows. The driver rasterises a
// line's end pixel into a window and into a framebuffer object by mirrored
// rules, so a handful of line-end pixels may move by one: those differ but
// match a neighbour. Anything else is unmatched.
struct ShownComparison {
    int differing = 0;
    int unmatched = 0;
    int coloured = 0;            // pixels of the picture that are not white
    std::string firstUnmatched;  // where the first few unmatched pixels are
};

template <class PictureAt>
ShownComparison compareWithShown(const std::vector<Pixel>& shown, PixelSize size, PictureAt pictureAt) {
    ShownComparison c;
    auto shownAt = [&](int x, int y) {
        x = std::clamp(x, 0, size.width - 1);
        y = std::clamp(y, 0, size.height - 1);
        return shown[std::size_t(y) * size.width + x];
    };
    for (int y = 0; y < size.height; ++y)
        for (int x = 0; x < size.width; ++x) {
            Pixel p = pictureAt(x, y);
            c.coloured += !(p == Pixel{255, 255, 255});
            if (p == shownAt(x, y)) continue;
            ++c.differing;
            bool near = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) near = near || p == shownAt(x + dx, y + dy);
            if (near) continue;
            if (c.unmatched++ < 5)
                c.firstUnmatched += " (" + std::to_string(x) + ", " + std::to_string(y) + ")";
        }
    return c;
}

}  // namespace kelvra::test
