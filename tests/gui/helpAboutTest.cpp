// The pieces of the desktop program around the graph: opening files and
// addresses with the desktop's default application, the Help menu, the about
// box and its link labels, and the splash window.
//
// The desktop seen by this program is a scratch one, set up before GTK and
// GIO first look at the environment: a web handler (https and mailto), a help
// viewer for .chm files and a web browser for HTML, each a script that writes
// what it was asked to open into a file the tests read. The browser can be
// taken away for a while.
#include <sys/stat.h>
#include <unistd.h>
#include <wx/msgdlg.h>   // before the generic box, which builds on it
#include <wx/generic/msgdlgg.h>
#include <wx/panel.h>
#include <wx/settings.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/timer.h>
#include <wx/tooltip.h>
#include <wx/uiaction.h>

#include <climits>
#include <cstdlib>
#include <filesystem>

#include "app/gui/aboutDlg.h"
#include "app/gui/commands.h"
#include "app/gui/desktopOpen.h"
#include "app/gui/guiText.h"
#include "app/gui/helpCommands.h"
#include "app/gui/linkLabel.h"
#include "app/gui/mainFrame.h"
#include "app/gui/splashWindow.h"
#include "base/cp932.h"
#include "support/testFiles.h"
// Last: it brings in Xlib.
#include "guiTestSupport.h"

namespace kelvra {
namespace {

using test::pumpUntil;
using test::ScratchDir;

// ---- the scratch desktop ----

class ScratchDesktop {
public:
    ScratchDesktop() {
        char pattern[] = "/tmp/kelvraDesktop.XXXXXX";
        root_ = mkdtemp(pattern);
        namespace fs = std::filesystem;
        for (const char* dir : {"share/applications", "home-share", "config", "etc"})
            fs::create_directories(root_ + "/" + dir);
        // The MIME database, so a .chm file is known by its name.
        fs::create_symlink("/usr/share/mime", root_ + "/share/mime");
        std::string opener = root_ + "/open.sh";
        test::writeFile(opener, "#!/bin/sh\nprintf '%s %s\\n' \"$1\" \"$2\" >> \"" + log() + "\"\n");
        chmod(opener.c_str(), 0755);
        entry("kelvra-test-web", "web %u", "x-scheme-handler/https;x-scheme-handler/mailto;");
        entry("kelvra-test-help", "help %f", "application/vnd.ms-htmlhelp;");
        entry("kelvra-test-browser", "browser %u", "text/html;");
        test::writeFile(root_ + "/config/mimeapps.list",
                        "[Default Applications]\n"
                        "x-scheme-handler/https=kelvra-test-web.desktop\n"
                        "x-scheme-handler/mailto=kelvra-test-web.desktop\n"
                        "application/vnd.ms-htmlhelp=kelvra-test-help.desktop\n"
                        "text/html=kelvra-test-browser.desktop\n");
        setenv("XDG_DATA_DIRS", (root_ + "/share").c_str(), 1);
        setenv("XDG_DATA_HOME", (root_ + "/home-share").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root_ + "/config").c_str(), 1);
        setenv("XDG_CONFIG_DIRS", (root_ + "/etc").c_str(), 1);
    }
    ~ScratchDesktop() { std::filesystem::remove_all(root_); }

    std::string log() const { return root_ + "/opened.txt"; }
    // Runs `body` on a desktop whose HTML browser has gone (GIO sees the
    // applications folder change once the main loop has run).
    template <class Body>
    void withoutBrowser(Body body) const {
        std::string entry = root_ + "/share/applications/kelvra-test-browser.desktop";
        std::filesystem::rename(entry, entry + ".away");
        test::pumpFor(1500);
        body();
        std::filesystem::rename(entry + ".away", entry);
        test::pumpFor(1500);
    }
    // What the handlers were asked to open, one "handler target" line each.
    std::string opened() const { return std::filesystem::exists(log()) ? test::readFile(log()) : std::string(); }
    void forget() const { std::filesystem::remove(log()); }
    // Waits for the handler started in the background to write its line.
    bool waitForOpened(const std::string& line, int timeoutMs = 5000) const {
        return pumpUntil([&] { return opened().find(line + "\n") != std::string::npos; }, timeoutMs);
    }

private:
    void entry(const std::string& name, const std::string& args, const std::string& types) {
        test::writeFile(root_ + "/share/applications/" + name + ".desktop",
                        "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + root_ + "/open.sh " + args +
                            "\nMimeType=" + types + "\n");
    }
    std::string root_;
};

// Before the wx environment below: GTK reads the variables as it starts.
const ScratchDesktop desktop;
::testing::Environment* const wxEnv = ::testing::AddGlobalTestEnvironment(new test::WxEnvironment(/*ownDesktop=*/true));

// Runs `script` once the modal loop that `open` starts is running, and closes
// any dialog the script left open, so that a failed check cannot hang the test.
template <class Dialog, class Open, class Script>
void runModal(Open open, Script script) {
    wxTheApp->CallAfter([script] {
        Dialog* dialog = nullptr;
        pumpUntil([&] { return (dialog = test::shownWindow<Dialog>()) != nullptr; }, 5000);
        if (!dialog) return;
        script(*dialog);
        if (dialog->IsModal()) dialog->EndModal(wxID_CANCEL);
    });
    open();
}

// Clicks the middle of a window as a user would.
void click(wxWindow& window) {
    wxUIActionSimulator sim;
    sim.MouseMove(window.GetScreenRect().GetPosition() + window.GetSize() / 2);
    test::pumpFor(100);
    sim.MouseClick();
    test::pumpFor(100);
}

// ---- opening with the desktop's default application ----

// (Web and mail addresses and a help file by its path: the Help menu and
// about box tests below.)
TEST(DesktopOpen, FileAddressesOpenAsFilesAndTheBrowserTakesWhatNothingElseDoes) {
    ScratchDir dir;
    desktop.forget();
    std::string help = dir.file("Kelvra.chm");
    test::writeFile(help, "ITSF");
    EXPECT_TRUE(openWithDefaultApplication("file://" + help).ok());
    EXPECT_TRUE(desktop.waitForOpened("help " + help));
    EXPECT_EQ(openWithDefaultApplication("kelvra-none:page").failure, OpenFailure::NoApplication);
    EXPECT_TRUE(openWithWebBrowser("kelvra-none:page").ok());
    EXPECT_TRUE(desktop.waitForOpened("browser kelvra-none:page"));
}

TEST(DesktopOpen, TellsWhyNothingOpened) {
    ScratchDir dir;
    struct Case {
        std::string target;
        OpenFailure failure;
        const char* reason;
    };
    const Case cases[] = {
        {dir.file("missing.chm"), OpenFailure::FileNotFound, "The specified file was not found."},
        {"file://" + dir.file("missing.chm"), OpenFailure::FileNotFound, "The specified file was not found."},
        {dir.file("no folder/missing.chm"), OpenFailure::PathNotFound, "The specified path was not found."},
        {"kelvra-none:page", OpenFailure::NoApplication,
         "There is no application associated\nwith the given filename extension."},
        // A file of a kind no application is associated with.
        {test::sourcePath("examples/surface-settings.txt"), OpenFailure::NoApplication,
         "There is no application associated\nwith the given filename extension."},
    };
    for (const Case& c : cases) {
        OpenResult result = openWithDefaultApplication(c.target);
        EXPECT_EQ(result.failure, c.failure) << c.target;
        EXPECT_EQ(openFailureText(result), c.reason) << c.target;
    }
    EXPECT_EQ(openFailureText({OpenFailure::Other, 7}), "Unknown Error (7) occurred.");

    // A file the user may not read (as root every file may be read).
    std::string secret = dir.file("secret.chm");
    test::writeFile(secret, "ITSF");
    chmod(secret.c_str(), 0);
    test::expectTrueAsUnprivilegedChild(
        [&] { return openWithDefaultApplication(secret).failure == OpenFailure::AccessDenied; });
}

// ---- the Help menu ----

class HelpMenu : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(getcwd(previousFolder, sizeof previousFolder));
        desktop.forget();
    }
    void TearDown() override {
        if (frame) {
            frame->Destroy();
            test::pumpFor(50);
        }
        EXPECT_EQ(chdir(previousFolder), 0);
    }
    // The main window started in `folder`, which is where it looks for its help.
    void openIn(const std::string& folder) {
        ASSERT_EQ(chdir(folder.c_str()), 0);
        frame = new CMainFrame();
        frame->hooks.message = [this](const std::string& m) { messages.push_back(cp932ToUtf8(m)); };
        frame->SetPosition(wxPoint(0, 0));
        frame->Show();
        ASSERT_TRUE(pumpUntil([&] { return frame->canvas()->startupFinished(); }));
    }

    char previousFolder[PATH_MAX];
    CMainFrame* frame = nullptr;
    std::vector<std::string> messages;
    ScratchDir dir;
};

TEST_F(HelpMenu, ContentsOpensTheHelpFileOfTheWorkingFolderElseSaysTheManualIsMissingAndDownloadTheProductPage) {
    GUI_TEST_REQUIRE_DISPLAY();
    openIn(dir.path());
    // A test program has no manual beside it: the message names where it looked.
    const std::string missing = "ヘルプファイルがありません\n" + manualStartPage();
    ASSERT_TRUE(frame->runCommand(IdHelpContents));
    // A folder of the help file's name is no help file.
    std::filesystem::create_directory(dir.file("Kelvra.chm"));
    ASSERT_TRUE(frame->runCommand(IdHelpContents));
    EXPECT_EQ(messages, std::vector<std::string>(2, missing));
    std::filesystem::remove(dir.file("Kelvra.chm"));

    test::writeFile(dir.file("Kelvra.chm"), "ITSF");
    messages.clear();
    ASSERT_TRUE(frame->runCommand(IdHelpContents));
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(desktop.waitForOpened("help " + dir.file("Kelvra.chm"))) << desktop.opened();

    ASSERT_TRUE(frame->runCommand(IdHelpDownload));
    EXPECT_TRUE(desktop.waitForOpened(std::string("web ") + kProductPage)) << desktop.opened();
    EXPECT_TRUE(messages.empty());
}

// The manual: the installed one beside the program, else the one of a build
// folder; its start page in the browser; a message of its own for a missing
// manual and for a missing browser.
TEST_F(HelpMenu, ContentsShowsTheManualInTheBrowserOrSaysWhatIsMissing) {
    GUI_TEST_REQUIRE_DISPLAY();
    namespace fs = std::filesystem;
    fs::create_directories(dir.file("usr/bin"));
    fs::create_directories(dir.file("usr/share/doc/kelvra/manual"));
    fs::create_directories(dir.file("build/doc/manual"));
    const std::string installed = dir.file("usr/share/doc/kelvra/manual/index.html");
    const std::string built = dir.file("build/doc/manual/index.html");
    EXPECT_EQ(manualStartPageFor(dir.file("usr/bin/kelvra")), dir.file("usr/bin/../share/doc/kelvra/manual/index.html"))
        << "the installed place, when there is no manual";
    test::writeFile(built, "<html></html>");
    EXPECT_EQ(manualStartPageFor(dir.file("build/kelvra")), built);
    test::writeFile(installed, "<html></html>");
    std::string page = manualStartPageFor(dir.file("usr/bin/kelvra"));
    EXPECT_EQ(fs::canonical(page), installed);

    openIn(dir.path());
    // No help file in the working folder: the manual opens in the browser.
    EXPECT_TRUE(openHelpContents(dir.file("Kelvra.chm"), page, *frame->canvas()));
    EXPECT_TRUE(desktop.waitForOpened("browser " + installed)) << desktop.opened();
    EXPECT_TRUE(messages.empty());

    // A help file that nothing opens gives way to the manual.
    test::writeFile(dir.file("Kelvra.xyz"), "ITSF");
    desktop.forget();
    EXPECT_TRUE(openHelpContents(dir.file("Kelvra.xyz"), page, *frame->canvas()));
    EXPECT_TRUE(desktop.waitForOpened("browser " + installed)) << desktop.opened();

    // Without a browser: its own message, nothing opened.
    desktop.withoutBrowser([&] {
        desktop.forget();
        EXPECT_FALSE(openHelpContents(dir.file("Kelvra.chm"), page, *frame->canvas()));
    });
    EXPECT_EQ(messages, std::vector<std::string>{"ﾍﾙﾌﾟを表示するﾌﾞﾗｳｻﾞがありません。"});
    test::pumpFor(300);
    EXPECT_TRUE(desktop.opened().empty()) << desktop.opened();
}

TEST_F(HelpMenu, AboutBoxShowsTheVersionAndLinksAndClosesWithOk) {
    GUI_TEST_REQUIRE_DISPLAY();
    openIn(dir.path());
    bool seen = false;
    runModal<CAboutDlg>([&] { EXPECT_TRUE(frame->runCommand(IdAppAbout)); }, [&](CAboutDlg& about) {
        seen = true;
        EXPECT_EQ(about.GetTitle(), ui("ﾊﾞｰｼﾞｮﾝ情報"));
        bool version = false, icon = false;
        for (wxWindow* child : about.GetChildren()) {
            if (auto* text = dynamic_cast<wxStaticText*>(child)) version |= text->GetLabel() == "Kelvra version 1.52";
            if (auto* bitmap = dynamic_cast<wxStaticBitmap*>(child)) icon = bitmap->GetBitmap().IsOk();
        }
        EXPECT_TRUE(version && icon);
        // The page shows its address; the mail link its address, and the target as its tip.
        EXPECT_EQ(about.webLink()->GetURL(), about.webLink()->GetLabel());
        EXPECT_EQ(about.mailLink()->GetLabel(), kAuthorMail);
        ASSERT_TRUE(about.mailLink()->GetToolTip());
        EXPECT_EQ(about.mailLink()->GetToolTip()->GetTip(), wxString("mailto:") + kAuthorMail);

        // A click on the mail link opens it and shows it visited.
        click(*about.mailLink());
        EXPECT_TRUE(desktop.waitForOpened(std::string("web mailto:") + kAuthorMail)) << desktop.opened();
        EXPECT_TRUE(about.mailLink()->GetVisited());
        EXPECT_FALSE(about.webLink()->GetVisited());

        wxWindow* ok = about.FindWindow(wxID_OK);
        ASSERT_TRUE(ok);
        click(*ok);
        EXPECT_TRUE(pumpUntil([&] { return !about.IsModal(); }, 3000)) << "OK did not close the about box";
    });
    EXPECT_TRUE(seen) << "the about box did not show";
    EXPECT_TRUE(messages.empty());
    for (wxWindow* w : wxTopLevelWindows) EXPECT_FALSE(dynamic_cast<CAboutDlg*>(w) && w->IsShown());
}

// ---- link labels ----

class LinkLabels : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::WxEnvironment::ready()) return;
        window = new wxFrame(nullptr, wxID_ANY, "links", wxPoint(0, 0), wxSize(500, 200));
        window->Show();
        panel = new wxPanel(window);   // a frame would stretch a single label over all of it
        pumpUntil([&] { return window->IsShownOnScreen(); });
        desktop.forget();
    }
    void TearDown() override {
        if (window) window->Destroy();
        test::pumpFor(50);
    }
    CLinkLabel* label(const wxString& text, const wxString& target, wxPoint at, wxSize size, long align) {
        auto* l = new CLinkLabel(panel, wxID_ANY, text, target, at, size, align | wxNO_BORDER);
        l->reportFailure = [this](const wxString& m) { reports.push_back(m); };
        return l;
    }
    wxFrame* window = nullptr;
    wxPanel* panel = nullptr;
    std::vector<wxString> reports;
};

TEST_F(LinkLabels, AFailedClickShowsTheReasonAndLeavesTheLabelUnvisited) {
    GUI_TEST_REQUIRE_DISPLAY();
    ScratchDir dir;
    std::string missing = dir.file("missing.html");
    CLinkLabel* link = label("the manual", missing, wxPoint(20, 20), wxDefaultSize, wxHL_ALIGN_LEFT);
    test::pumpFor(200);
    click(*link);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], "Unable to open hyperlink:\n\nThe specified file was not found.");
    EXPECT_FALSE(link->GetVisited());
    // Drawn in the link colour again once the pointer has left it.
    wxUIActionSimulator().MouseMove(window->GetScreenRect().GetBottomRight() - wxPoint(10, 10));
    EXPECT_TRUE(pumpUntil([&] { return link->GetForegroundColour() == wxColour(0, 0, 255); }, 2000))
        << link->GetForegroundColour().GetAsString();
    EXPECT_TRUE(desktop.opened().empty()) << desktop.opened();

    // The same click once the file is there opens it, with the application
    // of HTML files, and the label stays visited.
    test::writeFile(missing, "<html></html>");
    test::pumpFor(600);   // not a double click
    click(*link);
    EXPECT_EQ(reports.size(), 1u);
    EXPECT_TRUE(link->GetVisited());
    EXPECT_TRUE(desktop.waitForOpened("browser " + missing)) << desktop.opened();
}

// Without a test's own report, the failure shows in the program's message
// box: its caption, the exclamation icon, and the reason.
TEST_F(LinkLabels, AFailedClickShowsTheProgramsMessageBoxWithItsIcon) {
    GUI_TEST_REQUIRE_DISPLAY();
    ScratchDir dir;
    CLinkLabel* link = label("the manual", dir.file("missing.html"), wxPoint(20, 20), wxDefaultSize, wxHL_ALIGN_LEFT);
    link->reportFailure = nullptr;
    test::pumpFor(200);
    long icon = -1;
    wxString text;
    int looks = 0;
    // The box's own loop runs until it is closed: a timer looks at it.
    wxTimer timer;
    timer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        wxDialog* box = test::modalDialog();
        if (++looks >= 50) timer.Stop();
        if (!box) return;
        if (auto* message = dynamic_cast<wxGenericMessageDialog*>(box)) text = message->GetMessage();
        // The box paints a moment after it shows; look until the icon is there.
        ::Window shown = test::findWindowTitled(getpid(), "Kelvra ver.1.52");
        icon = shown ? test::exclamationIconPixels(test::windowPixels(shown)) : -1;
        // The scratch desktop has no icon theme: the toolkit's own, smaller icon.
        if (icon < 40 && looks < 30) return;
        test::saveScreenshot(box->GetScreenRect(), "link-failure-box.png");
        box->EndModal(wxID_OK);
    });
    timer.Start(100);
    click(*link);
    timer.Stop();
    EXPECT_GE(icon, 40) << "no exclamation icon in the box";
    EXPECT_EQ(text, "Unable to open hyperlink:\n\nThe specified file was not found.");
    EXPECT_FALSE(link->GetVisited());
}

TEST_F(LinkLabels, FitToTextKeepsTheEdgeOrCentreItsAlignmentHolds) {
    GUI_TEST_REQUIRE_DISPLAY();
    const wxRect box(100, 50, 300, 40);
    CLinkLabel* left = label("left", "https://kelvra.example/", box.GetPosition(), box.GetSize(), wxHL_ALIGN_LEFT);
    CLinkLabel* right = label("right", "https://kelvra.example/", box.GetPosition(), box.GetSize(), wxHL_ALIGN_RIGHT);
    CLinkLabel* centre = label("centre", "https://kelvra.example/", box.GetPosition(), box.GetSize(), wxHL_ALIGN_CENTRE);
    for (CLinkLabel* l : {left, right, centre}) {
        wxSize text = l->GetTextExtent(l->GetLabel());
        EXPECT_EQ(l->GetSize(), text) << l->GetLabel();
        EXPECT_LT(l->GetSize().x, box.width);
        EXPECT_EQ(l->GetPosition().y, box.y);
    }
    EXPECT_EQ(left->GetPosition().x, box.x);
    EXPECT_EQ(right->GetRect().GetRight(), box.GetRight());
    EXPECT_NEAR(centre->GetRect().GetLeft() + centre->GetSize().x / 2.0, box.x + box.width / 2.0, 1.0);

    // A longer text grows the label about the same centre; switched off, the size stays.
    wxRect before = centre->GetRect();
    centre->SetLabel("a much longer centred text");
    EXPECT_GT(centre->GetSize().x, before.width);
    EXPECT_NEAR(centre->GetRect().GetLeft() + centre->GetSize().x / 2.0, before.x + before.width / 2.0, 1.0);
    left->setFitToText(false);
    wxSize kept = left->GetSize();
    left->SetLabel("a much longer text on the left");
    EXPECT_EQ(left->GetSize(), kept);
}

// ---- the splash window ----

class Splash : public HelpMenu {
protected:
    static bool splashUp() {
        for (wxWindow* w : wxTopLevelWindows)
            if (dynamic_cast<CSplashWindow*>(w) && !w->IsBeingDeleted()) return true;
        return false;
    }
    // `milliseconds`: long enough that only input can close it, where input is tested.
    void showSplash(int milliseconds = 750) {
        splash = new CSplashWindow(frame, milliseconds);
        ASSERT_TRUE(pumpUntil([&] { return splash->IsShownOnScreen(); }, 3000));
    }
    CSplashWindow* splash = nullptr;
};

TEST_F(Splash, CentredOverTheMainWindowAndGoneAfterAMoment) {
    GUI_TEST_REQUIRE_DISPLAY();
    openIn(dir.path());
    showSplash();
    EXPECT_EQ(splash->GetClientSize(), wxSize(420, 240));
    wxPoint frameCentre = frame->GetScreenRect().GetPosition() + frame->GetSize() / 2;
    wxPoint splashCentre = splash->GetScreenRect().GetPosition() + splash->GetSize() / 2;
    EXPECT_LE(std::abs(frameCentre.x - splashCentre.x), 1);
    EXPECT_LE(std::abs(frameCentre.y - splashCentre.y), 1);
    EXPECT_TRUE(pumpUntil([] { return !splashUp(); }, 5000)) << "the splash did not close by itself";
}

TEST_F(Splash, AKeyOrMousePressClosesItAndGoesNoFurther) {
    GUI_TEST_REQUIRE_DISPLAY();
    openIn(dir.path());
    wxUIActionSimulator sim;
    // A corner of the view the splash does not cover.
    sim.MouseMove(frame->canvas()->ClientToScreen(wxPoint(20, 20)));
    test::pumpFor(100);
    showSplash(60000);
    // The splash takes the keyboard as it opens; a window manager may give it
    // back to the main window, where the key must not arrive either.
    frame->canvas()->SetFocus();
    test::pumpFor(100);
    const wxString angles = ui("[角度] X=030(deg),Z=330(deg)");
    sim.Char(WXK_UP);
    ASSERT_TRUE(pumpUntil([] { return !splashUp(); }, 3000)) << "the key did not close the splash";
    test::pumpFor(100);
    EXPECT_EQ(frame->GetStatusBar()->GetStatusText(3), angles) << "the key reached the view";
    sim.Char(WXK_UP);   // the next key is the view's again
    EXPECT_TRUE(pumpUntil([&] { return frame->GetStatusBar()->GetStatusText(3) != angles; }, 3000));

    showSplash(60000);
    sim.MouseDown();   // in the view, this would start a turn
    ASSERT_TRUE(pumpUntil([] { return !splashUp(); }, 3000)) << "the press did not close the splash";
    EXPECT_FALSE(frame->view().state.dragging);
    sim.MouseUp();
    test::pumpFor(50);
}

}  // namespace
}  // namespace kelvra
