// The main window driven in-process under a (virtual) display: start-up with
// and without an argument, the enable and check rules of the command surface,
// accelerators, arrow keys and the wheel reaching the right code, drags, the
// recent files and the folders the file dialogs keep, file drops,
// launch files, and the saved picture: its size, and that it is the picture
// on the screen; message boxes, the message pane, drags on a large grid and
// what a closed dialog leaves behind.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <gtk/gtk.h>
#include <wx/dialog.h>
#include <wx/filedlg.h>
#include <wx/image.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/timer.h>
#include <wx/toolbar.h>
#include <wx/uiaction.h>

#include "app/gui/commands.h"
#include "app/gui/desktopProfile.h"
#include "app/gui/guiText.h"
#include "app/gui/loadProgressDlg.h"
#include "app/gui/mainFrame.h"
#include "base/cp932.h"
#include "base/profile.h"
// Last: it brings in Xlib.
#include "mainWindowFixture.h"

namespace kelvra {
namespace {

using test::gridFile;
using test::MainWindow;
using test::pumpUntil;

::testing::Environment* const wxEnv = ::testing::AddGlobalTestEnvironment(new test::WxEnvironment);

// ---- start-up ----

TEST_F(MainWindow, StartsWithoutArgumentAsAnEmptyWhiteNewfileWithTheInitialPanes) {
    GUI_TEST_REQUIRE_DISPLAY();
    open();
    EXPECT_EQ(frame->GetTitle(), ui("newfile - Kelvra ver.1.52"));
    EXPECT_EQ(frame->GetSize(), wxSize(775, 550));
    wxSize client = frame->canvas()->GetClientSize();
    for (wxPoint p : {wxPoint(1, 1), wxPoint(client.x / 2, client.y / 2), wxPoint(client.x - 2, client.y - 2)})
        EXPECT_EQ(test::windowPixel(*frame->canvas(), p.x, p.y), (test::Pixel{255, 255, 255})) << p.x << "," << p.y;
    EXPECT_FALSE(frame->view().data.dataLoaded);
    EXPECT_TRUE(messages.empty());
    const char* panes[] = {" 矢印ｷｰまたは、ﾏｳｽの左ﾎﾞﾀﾝ＋ﾏｳｽ移動で視点を変更", "[位置] X=+000,Y=+000", "[倍率] 100(%)",
                           "[角度] X=030(deg),Z=330(deg)", "[表示] 3次元 "};
    ASSERT_EQ(frame->GetStatusBar()->GetFieldsCount(), 5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(pane(i), ui(panes[i])) << "pane " << i;
    // The view panes are just wide enough for their texts, the widest display
    // kind included (the initial one ends in a space, which the bar drops).
    frame->view().settings.displayMode = DisplayXSection;
    frame->view().showPanes(ChangeSettings);
    frame->view().settings.displayMode = Display3D;
    frame->GetStatusBar()->Update();
    for (int i = 1; i < 5; ++i) EXPECT_FALSE(frame->GetStatusBar()->GetField(i).IsEllipsized()) << "pane " << i;
}

TEST_F(MainWindow, WithoutDataOnlyTheAlwaysEnabledCommandsAreEnabled) {
    GUI_TEST_REQUIRE_DISPLAY();
    open();
    wxMenuBar* menus = frame->GetMenuBar();
    wxToolBar* tools = frame->GetToolBar();
    for (std::size_t i = 0; i < kCommandCount; ++i) {
        const CommandInfo& c = kCommands[i];
        bool expected = c.enable == EnableRule::Always;
        EXPECT_EQ(frame->isCommandEnabled(c.id), expected) << c.id;
        // What the user sees follows the rule.
        if (c.menuText) {
            EXPECT_EQ(menus->IsEnabled(wxIdOf(c.id)), expected) << c.id;
        }
        if (tools->FindById(wxIdOf(c.id))) {
            EXPECT_EQ(tools->GetToolEnabled(wxIdOf(c.id)), expected) << c.id;
        }
    }
    // The rotate button is up until data is loaded, though rotate is the mode.
    EXPECT_EQ(frame->view().state.interactionMode, ModeRotate);
    EXPECT_FALSE(tools->GetToolState(wxIdOf(IdModeRotate)));
}

TEST_F(MainWindow, MenusAndToolbarFollowTheCommandTables) {
    GUI_TEST_REQUIRE_DISPLAY();
    open();
    wxMenuBar* menus = frame->GetMenuBar();
    ASSERT_EQ(menus->GetMenuCount(), kMenuCount);
    for (std::size_t m = 0; m < kMenuCount; ++m) {
        EXPECT_EQ(menus->GetMenuLabel(m), ui(kMenus[m].title));
        const wxMenuItemList& items = menus->GetMenu(m)->GetMenuItems();
        ASSERT_EQ(int(items.size()), kMenus[m].itemCount);
        int i = 0;
        for (const wxMenuItem* item : items) {
            int id = kMenus[m].items[i++];
            EXPECT_EQ(item->IsSeparator(), id == 0) << "menu " << m << ", item " << i;
            if (id == 0) continue;
            EXPECT_EQ(commandIdOf(item->GetId()), id);
            EXPECT_EQ(item->GetItemLabel(), ui(findCommand(id)->menuText));
            EXPECT_EQ(item->GetHelp(), ui(findCommand(id)->statusText));
        }
    }
    ASSERT_TRUE(menus->FindItem(wxIdOf(IdFileOpen))->GetAccel());
    EXPECT_EQ(menus->FindItem(wxIdOf(IdFileOpen))->GetAccel()->ToString(), "Ctrl+O");
    EXPECT_EQ(menus->FindItem(wxIdOf(IdFileReload))->GetAccel()->ToString(), "F5");

    wxToolBar* tools = frame->GetToolBar();
    ASSERT_EQ(std::size_t(tools->GetToolsCount()), kToolbarButtonCount);
    for (std::size_t i = 0; i < kToolbarButtonCount; ++i) {
        const wxToolBarToolBase* tool = tools->GetToolByPos(int(i));
        EXPECT_EQ(tool->IsSeparator(), kToolbarButtons[i] == 0) << "button " << i;
        if (kToolbarButtons[i] == 0) continue;
        const CommandInfo* c = findCommand(kToolbarButtons[i]);
        EXPECT_EQ(commandIdOf(tool->GetId()), c->id);
        EXPECT_EQ(tool->GetShortHelp(), ui(c->tooltip));
        EXPECT_EQ(tool->GetLongHelp(), ui(c->statusText));
        EXPECT_EQ(tool->GetNormalBitmap().GetSize(), wxSize(16, 15));
    }
}

// ---- gating and modes ----

TEST_F(MainWindow, ModeCommandsFollowTheDisplayAndTheButtonsShowTheMode) {
    GUI_TEST_REQUIRE_DISPLAY();
    open();
    CKelvraView& v = frame->view();
    // Section is enabled in section views even without data; rotate never is.
    v.settings.displayMode = DisplayXSection;
    EXPECT_TRUE(frame->isCommandEnabled(IdModeSection));
    EXPECT_FALSE(frame->isCommandEnabled(IdModeRotate));
    v.data.dataLoaded = true;   // as after a load; nothing here draws the data
    v.settings.displayMode = Display2D;   // no rotate or section in 2-D
    EXPECT_FALSE(frame->isCommandEnabled(IdModeRotate));
    EXPECT_FALSE(frame->isCommandEnabled(IdModeSection));
    EXPECT_TRUE(frame->isCommandEnabled(IdModeZoom));
    EXPECT_FALSE(frame->runCommand(IdModeRotate));
    v.settings.displayMode = Display3D;
    EXPECT_TRUE(frame->runCommand(IdModeMove));
    EXPECT_EQ(v.state.interactionMode, ModeMove);

    wxToolBar* tools = frame->GetToolBar();
    ASSERT_TRUE(frame->runCommand(IdModeZoom));
    ASSERT_TRUE(pumpUntil([&] { return tools->GetToolState(wxIdOf(IdModeZoom)); }));
    EXPECT_FALSE(tools->GetToolState(wxIdOf(IdModeRotate)));
    EXPECT_FALSE(tools->GetToolState(wxIdOf(IdModeMove)));
    EXPECT_TRUE(frame->isCommandChecked(IdViewToolbar));
    ASSERT_TRUE(frame->runCommand(IdViewStatusBar));
    EXPECT_FALSE(frame->GetStatusBar()->IsShown());
    ASSERT_TRUE(frame->runCommand(IdViewStatusBar));
    EXPECT_TRUE(frame->GetStatusBar()->IsShown());
    v.data.dataLoaded = false;
}

TEST_F(MainWindow, AcceleratorsRunOnlyEnabledCommands) {
    GUI_TEST_REQUIRE_DISPLAY();
    std::string data = dir.file("grid.csv");
    test::writeFile(data, gridFile(6));
    open();
    wxUIActionSimulator sim;
    sim.MouseMove(pointInView(100, 100));
    frame->canvas()->SetFocus();
    test::pumpFor(100);
    sim.Char(WXK_F5);   // no data: reload is disabled and must not ask for a file
    test::pumpFor(200);
    EXPECT_TRUE(dialogs.empty());
    sim.Char('o', wxMOD_CONTROL);
    ASSERT_TRUE(pumpUntil([&] { return !dialogs.empty(); }, 3000)) << "Ctrl+O did not reach the open command";
    EXPECT_FALSE(dialogs.back().save);

    frame->canvas()->dropFiles({data});
    ASSERT_TRUE(frame->view().data.dataLoaded);
    test::writeFile(data, gridFile(9));   // the file changes on disk
    dialogs.clear();
    sim.Char(WXK_F5);
    ASSERT_TRUE(pumpUntil([&] { return frame->view().data.columnCount == 9; }, 3000)) << "F5 did not reload";
    EXPECT_TRUE(dialogs.empty());   // a reload asks nothing

    sim.Char('s', wxMOD_CONTROL);
    ASSERT_TRUE(pumpUntil([&] { return !dialogs.empty(); }, 3000)) << "Ctrl+S did not reach the save command";
    EXPECT_TRUE(dialogs[0].save);
    EXPECT_TRUE(dialogs[0].confirmOverwrite);
}

TEST_F(MainWindow, ArrowKeysAndDragsTurnTheGraphAndUpdateThePanes) {
    GUI_TEST_REQUIRE_DISPLAY();
    open();
    wxUIActionSimulator sim;
    sim.MouseMove(pointInView(200, 150));
    frame->canvas()->SetFocus();
    test::pumpFor(100);
    sim.Char(WXK_UP);
    ASSERT_TRUE(pumpUntil([&] { return pane(3) == ui("[角度] X=029(deg),Z=330(deg)"); }, 3000)) << pane(3);

    // 40 pixels down raises the X angle by 40.
    sim.MouseDown();
    test::pumpFor(50);
    for (int y = 150; y <= 190; y += 10) {
        sim.MouseMove(pointInView(200, y));
        test::pumpFor(20);
    }
    sim.MouseUp();
    ASSERT_TRUE(pumpUntil([&] { return pane(3) == ui("[角度] X=069(deg),Z=330(deg)"); }, 3000)) << pane(3);
    EXPECT_FALSE(frame->view().state.dragging);
}

// Every drag rule works on the pointer's offset from the button-down point, so
// however slowly a large graph draws, the drag ends where the button went up:
// 300 pixels to the right turn the Z angle from 330 to 270.
TEST_F(MainWindow, FastDragOnALargeGridEndsAtTheAngleOfThePointerOffset) {
    GUI_TEST_REQUIRE_DISPLAY();
    std::string big = openGrid("big.csv", 1000);
    ASSERT_TRUE(frame->view().data.dataLoaded);
    ASSERT_EQ(frame->view().state.interactionMode, ModeRotate);
    // 100 steps of 3 pixels, 15 ms apart, then the release: the events come
    // from another program, as a person's would, while frames are drawn here.
    wxPoint from = pointInView(250, 300);
    std::vector<std::string> xdotool = {"/usr/bin/xdotool", "mousemove", std::to_string(from.x),
                                        std::to_string(from.y), "sleep", "0.2", "mousedown", "1"};
    for (int i = 1; i <= 100; ++i)
        xdotool.insert(xdotool.end(), {"sleep", "0.015", "mousemove", std::to_string(from.x + 3 * i), std::to_string(from.y)});
    xdotool.insert(xdotool.end(), {"sleep", "0.05", "mouseup", "1"});
    test::Process pointer = test::startProgram(xdotool);
    ASSERT_GT(pointer.pid, 0);
    test::ProgramGuard guard{pointer};
    ASSERT_TRUE(pumpUntil([&] { return test::waitForExit(pointer, 0); }, 30000));
    ASSERT_EQ(pointer.exitCode, 0) << "xdotool failed";
    ASSERT_TRUE(pumpUntil([&] { return !frame->view().state.dragging; }, 5000));
    EXPECT_EQ(std::pair(frame->view().settings.viewAngleX, frame->view().settings.viewAngleZ), std::pair(300, 270));
    EXPECT_EQ(pane(3), ui("[角度] X=030(deg),Z=270(deg)"));
}

// The wheel zooms by an arrow key's step a notch, about the middle of the
// view wherever the pointer is, in any mode, and the zoom pane follows.
TEST_F(MainWindow, TheWheelZoomsAboutTheMiddleOfTheViewAndThePaneFollows) {
    GUI_TEST_REQUIRE_DISPLAY();
    std::string data = openGrid("grid.csv", 12);
    ASSERT_TRUE(frame->view().data.dataLoaded);
    const PixelSize client = frame->canvas()->clientSize();
    // The graph's extent: its coloured pixels between the axis indicator and the legend.
    auto graphExtent = [&] {
        std::vector<test::Pixel> shown = test::windowPicture(*frame->canvas(), client);
        wxRect extent;
        for (int y = 0; y < client.height; ++y)
            for (int x = client.width / 5; x < client.width * 3 / 4; ++x) {
                const test::Pixel& p = shown[std::size_t(y) * client.width + x];
                if (std::max({p.r, p.g, p.b}) - std::min({p.r, p.g, p.b}) > 100) extent.Union(wxRect(x, y, 1, 1));
            }
        return extent;
    };
    const wxRect before = graphExtent();
    ASSERT_GT(before.width, 50);
    wxPoint offCentre = pointInView(client.width * 3 / 4, client.height / 4);
    ASSERT_TRUE(test::turnWheel(offCentre.x, offCentre.y, 15));
    ASSERT_TRUE(pumpUntil([&] { return pane(2) == ui("[倍率] 115(%)"); }, 5000)) << pane(2);
    EXPECT_EQ(frame->view().settings.viewZoom, 115);
    EXPECT_EQ(frame->view().state.interactionMode, ModeRotate);   // no mode needed
    test::pumpFor(400);
    const wxRect after = graphExtent();
    EXPECT_GT(after.width, before.width * 11 / 10);
    EXPECT_NEAR(after.x + after.width / 2.0, before.x + before.width / 2.0, 4.0);
    EXPECT_NEAR(after.y + after.height / 2.0, before.y + before.height / 2.0, 4.0);

    ASSERT_TRUE(test::turnWheel(offCentre.x, offCentre.y, -25));
    ASSERT_TRUE(pumpUntil([&] { return pane(2) == ui("[倍率] 090(%)"); }, 5000)) << pane(2);
    frame->view().settings.viewZoom = 997;
    ASSERT_TRUE(test::turnWheel(offCentre.x, offCentre.y, 5));
    EXPECT_TRUE(pumpUntil([&] { return pane(2) == ui("[倍率] 999(%)"); }, 5000)) << pane(2);
}

// ---- recent files and what the window keeps ----

std::vector<std::string> recentLabels(wxMenu* menu) {
    std::vector<std::string> labels;
    for (const wxMenuItem* item : menu->GetMenuItems()) labels.push_back(item->GetItemLabel().utf8_string());
    return labels;
}

std::string recentLabel(std::size_t index, const std::string& path) { return recentFileLabel(index, path); }

// Every open, drop, reload and save of a data file that succeeds puts it
// first in "最近使ったﾌｧｲﾙ", and only those; another window (the next run)
// reads the list back; choosing an entry opens it, or takes off one whose
// file has gone, with a message.
TEST_F(MainWindow, RecentFilesFollowEverySuccessfulOpenDropReloadAndSave) {
    GUI_TEST_REQUIRE_DISPLAY();
    open();
    std::string a = dir.file("a.csv"), b = dir.file("b & c.csv"), saved = dir.file("saved.csv");
    test::writeFile(a, gridFile(5));
    test::writeFile(b, gridFile(6));
    wxMenu* recent = frame->recentMenu();
    ASSERT_TRUE(recent);
    EXPECT_FALSE(frame->isCommandEnabled(IdFileRecent));

    // Failures first: a missing file, a folder.
    answers = {dir.file("missing.csv"), dir.path()};
    ASSERT_TRUE(frame->runCommand(IdFileOpen));
    ASSERT_TRUE(frame->runCommand(IdFileOpen));
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_TRUE(recentLabels(recent).empty());
    EXPECT_TRUE(loadProfile().recentFiles.empty());

    answers = {a};
    ASSERT_TRUE(frame->runCommand(IdFileOpen));
    frame->canvas()->dropFiles({b});
    ASSERT_TRUE(frame->runCommand(IdFileReload));   // b again: stays first
    answers = {saved};
    ASSERT_TRUE(frame->runCommand(IdFileSave));
    EXPECT_EQ(loadProfile().recentFiles, (std::vector<std::string>{saved, b, a}));
    EXPECT_EQ(recentLabels(recent), (std::vector<std::string>{recentLabel(0, saved), recentLabel(1, b), recentLabel(2, a)}));
    EXPECT_TRUE(recentLabels(recent)[1].starts_with("&2 /")) << recentLabels(recent)[1];
    EXPECT_TRUE(recentLabels(recent)[1].ends_with("/b && c.csv")) << recentLabels(recent)[1];
    EXPECT_TRUE(frame->isCommandEnabled(IdFileRecent));
    // A failed reload leaves the list alone.
    std::filesystem::remove(saved);
    ASSERT_TRUE(frame->runCommand(IdFileReload));
    EXPECT_EQ(loadProfile().recentFiles.front(), saved);
    EXPECT_EQ(messages.size(), 3u);

    // The next window shows the same list; its entry 3 opens a.csv.
    frame->Destroy();
    test::pumpFor(50);
    frame = nullptr;
    open();
    EXPECT_EQ(recentLabels(frame->recentMenu()).size(), 3u);
    ASSERT_TRUE(frame->openRecentFile(2));
    EXPECT_EQ(frame->view().data.dataFilePath, a);
    EXPECT_EQ(loadProfile().recentFiles, (std::vector<std::string>{a, saved, b}));
    // saved.csv has gone: chosen, it is taken off with a message.
    messages.clear();
    EXPECT_FALSE(frame->openRecentFile(1));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], saved + " が見つかりません。\n最近使ったﾌｧｲﾙの一覧から削除しました。");
    EXPECT_EQ(loadProfile().recentFiles, (std::vector<std::string>{a, b}));
    EXPECT_EQ(recentLabels(frame->recentMenu()).size(), 2u);
    EXPECT_EQ(frame->view().data.dataFilePath, a);   // what was shown stays

    // A look at the File menu with its recent files.
    if (std::getenv("KELVRA_SCREENSHOTS")) {
        wxUIActionSimulator sim;
        sim.MouseMove(pointInView(300, 200));
        frame->canvas()->SetFocus();
        test::pumpFor(100);
        sim.Char('f', wxMOD_ALT);
        test::pumpFor(300);
        for (int key : {WXK_UP, WXK_UP, WXK_RIGHT}) {
            sim.Char(key);
            test::pumpFor(150);
        }
        test::pumpFor(300);
        test::saveScreenshot(wxRect(0, 0, 900, 500), "file-menu-recent.png");
        sim.Char(WXK_ESCAPE);
        sim.Char(WXK_ESCAPE);
        sim.Char(WXK_ESCAPE);
        test::pumpFor(300);
    }
}

// Each file dialog starts where it was last used (the data save beside the
// data file), in this run and the next.
TEST_F(MainWindow, FileDialogsStartWhereTheyWereLastUsed) {
    GUI_TEST_REQUIRE_DISPLAY();
    std::string data = dir.file("grid.csv"), pictures = dir.file("pictures"), other = dir.file("other");
    test::writeFile(data, gridFile(5));
    std::filesystem::create_directory(pictures);
    std::filesystem::create_directory(other);
    open(data);
    answers = {pictures + "/one.png"};
    ASSERT_TRUE(frame->runCommand(IdFileSaveImage));
    answers = {other + "/copy.csv"};
    ASSERT_TRUE(frame->runCommand(IdFileSave));
    dialogs.clear();
    for (int command : {IdFileSaveImage, IdFileSave, IdSettingsFileOpen}) ASSERT_TRUE(frame->runCommand(command));
    ASSERT_EQ(dialogs.size(), 3u);
    EXPECT_EQ(dialogs[0].initialFolder, pictures);
    EXPECT_EQ(dialogs[1].initialFolder, other);   // beside the data file, which is now there
    EXPECT_EQ(dialogs[2].initialFolder, other);   // never used: the data file's folder
    // A folder that has gone is not offered.
    std::filesystem::remove_all(pictures);
    dialogs.clear();
    ASSERT_TRUE(frame->runCommand(IdFileSaveImage));
    EXPECT_EQ(dialogs.at(0).initialFolder, other);
    EXPECT_TRUE(messages.empty());
}

// The toolkit's own dialog: its first filter takes UPPER.CSV and Mixed.Csv
// beside data.csv, and its last one a file without an extension.
TEST_F(MainWindow, TheOpenDialogsFilterFindsExtensionsInAnyCase) {
    GUI_TEST_REQUIRE_DISPLAY();
    open();
    std::string folder = dir.file("data");
    std::filesystem::create_directory(folder);
    for (const char* name : {"UPPER.CSV", "Mixed.Csv", "lower.csv", "notes.txt", "README"})
        test::writeFile(folder + "/" + name, gridFile(5));
    updateProfile([&](Profile& p) { p.lastFolders[std::size_t(FileDialogKind::DataOpen)] = folder; });
    frame->hooks.fileName = nullptr;   // the real dialog
    std::vector<std::string> taken[2];
    std::string shownFolder;
    wxTimer timer;
    timer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        // The toolkit's dialog is GTK's own window, which wx does not list.
        GtkWidget* dialog = nullptr;
        GList* windows = gtk_window_list_toplevels();
        for (GList* l = windows; l; l = l->next)
            if (GTK_IS_FILE_CHOOSER_DIALOG(l->data) && gtk_widget_get_visible(GTK_WIDGET(l->data))) dialog = GTK_WIDGET(l->data);
        g_list_free(windows);
        if (!dialog) return;
        timer.Stop();
        test::pumpFor(1500);   // the folder is read and listed
        GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
        gchar* current = gtk_file_chooser_get_current_folder(chooser);
        shownFolder = current ? current : "";
        g_free(current);
        GSList* filters = gtk_file_chooser_list_filters(chooser);
        // The first filter and the last: the data files and every file.
        GtkFileFilter* ends[2] = {GTK_FILE_FILTER(filters->data), GTK_FILE_FILTER(g_slist_last(filters)->data)};
        for (int f = 0; f < 2; ++f) {
            for (const char* name : {"UPPER.CSV", "Mixed.Csv", "lower.csv", "notes.txt", "README"}) {
                GtkFileFilterInfo info{};
                info.contains = GtkFileFilterFlags(GTK_FILE_FILTER_DISPLAY_NAME | GTK_FILE_FILTER_FILENAME);
                info.display_name = name;
                std::string path = folder + "/" + name;
                info.filename = path.c_str();
                if (gtk_file_filter_filter(ends[f], &info)) taken[f].push_back(name);
            }
        }
        g_slist_free(filters);
        test::saveScreenshot(wxRect(0, 0, 1000, 700), "open-dialog.png");
        gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL);
    });
    timer.Start(100);
    ASSERT_TRUE(frame->runCommand(IdFileOpen));
    timer.Stop();
    EXPECT_EQ(shownFolder, folder);
    EXPECT_EQ(taken[0], (std::vector<std::string>{"UPPER.CSV", "Mixed.Csv", "lower.csv"}));
    EXPECT_EQ(taken[1], (std::vector<std::string>{"UPPER.CSV", "Mixed.Csv", "lower.csv", "notes.txt", "README"}));
    EXPECT_FALSE(frame->view().data.dataLoaded);
}

// ---- file dialogs ----

TEST_F(MainWindow, EachFileCommandAsksWithItsOwnDialogAndSaveImageWritesTheClientSize) {
    GUI_TEST_REQUIRE_DISPLAY();
    std::string data = openGrid("surface one.csv", 5);
    ASSERT_TRUE(frame->view().data.dataLoaded);
    struct Expected {
        int command;
        const char* title;
        const char* firstFilter;
        bool save;
        const char* initialName;   // null: not judged
        FileDialogKind kind;
        std::size_t filters = 2;   // the last is every file
    };
    const Expected expected[] = {
        {IdFileOpen, "ｸﾞﾗﾌﾃﾞｰﾀを開く", "*.csv", false, "", FileDialogKind::DataOpen},
        {IdFileSave, "ｸﾞﾗﾌﾃﾞｰﾀの保存", "*.csv", true, "surface one.csv", FileDialogKind::DataSave},
        {IdSettingsFileOpen, "設定ﾌｧｲﾙを開く", "*.txt", false, "", FileDialogKind::SettingsOpen},
        {IdSettingsFileSave, "設定ﾌｧｲﾙの保存", "*.txt", true, nullptr, FileDialogKind::SettingsSave},
        // then SVG, PDF, EPS
        {IdFileSaveImage, "画像の保存", "*.png;*.jpg;*.jpeg;*.bmp", true, "surface one.png", FileDialogKind::ImageSave, 5},
    };
    for (const Expected& e : expected) {
        dialogs.clear();
        ASSERT_TRUE(frame->runCommand(e.command)) << e.command;
        ASSERT_EQ(dialogs.size(), 1u) << e.command;
        const FileDialogRequest& request = dialogs[0];
        EXPECT_EQ(cp932ToUtf8(request.title), e.title);
        ASSERT_EQ(request.filters.size(), e.filters) << e.command;
        EXPECT_EQ(request.filters[0].second, e.firstFilter);
        EXPECT_EQ(request.filters.back(), std::pair(test::cp932("すべてのﾌｧｲﾙ (*)"), std::string("*")));
        EXPECT_EQ(request.kind, e.kind) << e.command;
        EXPECT_EQ(request.save, e.save) << e.command;
        EXPECT_EQ(request.confirmOverwrite, e.save) << e.command;   // every save asks before overwriting
        if (e.initialName) {
            EXPECT_EQ(request.initialName, e.initialName) << e.command;
        }
        // Once data is loaded every dialog starts in its folder.
        EXPECT_EQ(request.initialFolder, dir.path()) << e.command;
    }
    std::string image = dir.file("picture.png");
    answers = {image};
    ASSERT_TRUE(frame->runCommand(IdFileSaveImage));
    PixelSize client = frame->canvas()->clientSize(), written = test::pngSize(test::readFile(image));
    EXPECT_EQ(written.width, client.width);
    EXPECT_EQ(written.height, client.height);
    EXPECT_TRUE(messages.empty());
}

// The saved picture is the picture on the screen after the user has turned
// the graph (test::compareWithShown allows for line ends moved by a pixel).
TEST_F(MainWindow, SavedPictureIsWhatTheWindowShows) {
    GUI_TEST_REQUIRE_DISPLAY();
    std::string data = openGrid("grid.csv", 12), image = dir.file("shown.png");
    ASSERT_TRUE(frame->view().data.dataLoaded);
    wxUIActionSimulator sim;
    sim.MouseMove(pointInView(200, 150));
    frame->canvas()->SetFocus();
    test::pumpFor(100);
    for (int i = 0; i < 15; ++i) sim.Char(WXK_RIGHT);
    ASSERT_TRUE(pumpUntil([&] { return pane(3) == ui("[角度] X=030(deg),Z=345(deg)"); }, 3000)) << pane(3);
    test::pumpFor(200);   // the repaint after the last key

    answers = {image};
    ASSERT_TRUE(frame->runCommand(IdFileSaveImage));
    test::pumpFor(200);
    PixelSize client = frame->canvas()->clientSize();
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
    wxImage saved(pathText(image), wxBITMAP_TYPE_PNG);
    ASSERT_TRUE(saved.IsOk());
    ASSERT_EQ(std::pair(saved.GetWidth(), saved.GetHeight()), std::pair(client.width, client.height));
    std::vector<test::Pixel> shown = test::windowPicture(*frame->canvas(), client);
    ASSERT_EQ(shown.size(), std::size_t(client.width) * client.height);
    test::ShownComparison c = test::compareWithShown(shown, client, [&](int x, int y) {
        return test::Pixel{saved.GetRed(x, y), saved.GetGreen(x, y), saved.GetBlue(x, y)};
    });
    EXPECT_LE(c.differing, 20);
    EXPECT_EQ(c.unmatched, 0) << "saved picture differs at" << c.firstUnmatched;
    EXPECT_GT(c.coloured, client.width * client.height / 20);   // a graph, not a white picture
    EXPECT_TRUE(messages.empty());
}

// File/Save image from the menu, by its keys, with a PDF or an SVG name: a
// vector picture of what the window shows, turned back into pixels by
// pdftoppm to lay over the window.
TEST_F(MainWindow, SaveImageFromTheMenuWritesAVectorPictureOfTheWindow) {
    GUI_TEST_REQUIRE_DISPLAY();
    std::string data = openGrid("grid.csv", 12), pdf = dir.file("shown.pdf"), svg = dir.file("shown.svg");
    ASSERT_TRUE(frame->view().data.dataLoaded);
    const std::vector<std::pair<std::string, std::string>> vectorFilters = {
        {test::cp932("SVGﾌｧｲﾙ (*.svg)"), "*.svg"}, {test::cp932("PDFﾌｧｲﾙ (*.pdf)"), "*.pdf"},
        {test::cp932("EPSﾌｧｲﾙ (*.eps)"), "*.eps"}};
    wxUIActionSimulator sim;
    sim.MouseMove(pointInView(200, 150));
    frame->canvas()->SetFocus();
    test::pumpFor(100);
    for (const std::string& name : {pdf, svg}) {
        answers = {name};
        dialogs.clear();
        sim.Char('f', wxMOD_ALT);   // the File menu, then its item 画像の保存(&I)
        test::pumpFor(300);
        sim.Char('i');
        ASSERT_TRUE(pumpUntil([&] { return std::filesystem::exists(name); }, 10000)) << "nothing saved as " << name;
        ASSERT_EQ(dialogs.size(), 1u);
        EXPECT_EQ(std::vector(dialogs[0].filters.begin() + 1, dialogs[0].filters.end() - 1), vectorFilters);
        test::pumpFor(200);
    }
    EXPECT_TRUE(messages.empty());
    const std::string svgText = test::readFile(svg);
    EXPECT_NE(svgText.find("<svg"), std::string::npos);
    EXPECT_NE(svgText.find("<text"), std::string::npos);

    const PixelSize client = frame->canvas()->clientSize();
    const std::string stem = dir.file("page");
    ASSERT_EQ(std::system(("pdftoppm -r 72 -singlefile '" + pdf + "' '" + stem + "'").c_str()), 0)
        << "pdftoppm (scripts/setup.sh installs poppler-utils)";
    const std::string ppm = test::readFile(stem + ".ppm");
    int width = 0, height = 0, maxValue = 0, consumed = 0;
    ASSERT_EQ(std::sscanf(ppm.c_str(), "P6 %d %d %d%n", &width, &height, &maxValue, &consumed), 3);
    ASSERT_EQ(std::pair(width, height), std::pair(client.width, client.height));
    const std::vector<test::Pixel> shown = test::windowPicture(*frame->canvas(), client);
    ASSERT_EQ(shown.size(), std::size_t(width) * height);
    std::size_t close = 0, coloured = 0;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const unsigned char* p = reinterpret_cast<const unsigned char*>(ppm.data()) + consumed + 1 + i * 3;
        const test::Pixel page{p[0], p[1], p[2]};
        close += std::abs(page.r - shown[i].r) <= 24 && std::abs(page.g - shown[i].g) <= 24 &&
                 std::abs(page.b - shown[i].b) <= 24;
        coloured += !(shown[i] == test::Pixel{255, 255, 255});
    }
    EXPECT_GE(close, shown.size() * 95 / 100);
    EXPECT_GT(coloured, shown.size() / 20);   // a graph, not a white picture

    // A graph too large for vectors goes in as an image, and the status bar says so.
    std::string large = dir.file("large.csv"), largeSvg = dir.file("large.svg");
    test::writeFile(large, gridFile(240));
    frame->canvas()->dropFiles({large});
    ASSERT_EQ(frame->view().data.columnCount, 240);
    answers = {largeSvg};
    sim.Char('f', wxMOD_ALT);
    test::pumpFor(300);
    sim.Char('i');
    ASSERT_TRUE(pumpUntil([&] { return std::filesystem::exists(largeSvg); }, 20000));
    EXPECT_NE(test::readFile(largeSvg).find("<image"), std::string::npos);
    EXPECT_TRUE(pumpUntil([&] { return pane(0).StartsWith(ui("ｸﾞﾗﾌの図形が多いため")); }, 3000)) << pane(0);
    EXPECT_TRUE(messages.empty());
}

// ---- loads, drops and launch files ----

TEST_F(MainWindow, StartsWithAPathContainingSpacesLoadsAndDrawsIt) {
    GUI_TEST_REQUIRE_DISPLAY();
    std::string path = openGrid("my grid data.csv", 40);
    EXPECT_TRUE(frame->view().data.dataLoaded);
    EXPECT_EQ(frame->view().data.columnCount, 40);
    ASSERT_TRUE(pumpUntil([&] { return frame->GetTitle() == ui("my grid data.csv - Kelvra ver.1.52"); }, 3000))
        << frame->GetTitle();
    EXPECT_TRUE(frame->isCommandEnabled(IdFileReload));
    EXPECT_TRUE(frame->isCommandEnabled(IdModeRotate));
    EXPECT_TRUE(messages.empty());
    // Somewhere across the middle of the view the picture is no longer white.
    wxSize client = frame->canvas()->GetClientSize();
    auto coloured = [&] {
        int n = 0;
        for (int x = client.x / 4; x < client.x * 3 / 4; x += 8)
            n += !(test::windowPixel(*frame->canvas(), x, client.y / 2) == test::Pixel{255, 255, 255});
        return n;
    };
    EXPECT_TRUE(pumpUntil([&] { return coloured() > 5; }, 3000)) << coloured();
}

// Decided: a file that held no point (not a data file, or one without data
// lines) loads the empty graph and says so in the message pane, without a box;
// the next load with data puts the idle message back.
TEST_F(MainWindow, FileWithoutDataSaysSoInTheMessagePane) {
    GUI_TEST_REQUIRE_DISPLAY();
    open();
    std::string empty = dir.file("no data.csv"), data = dir.file("grid.csv");
    test::writeFile(empty, test::cp932("ﾃﾞｰﾀ形式,2\r\nKelvra ver.1.52\r\n\r\n"));
    test::writeFile(data, gridFile(6));
    answers = {empty};
    ASSERT_TRUE(frame->runCommand(IdFileOpen));
    EXPECT_TRUE(frame->view().data.dataLoaded);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(pane(0), ui("ｸﾞﾗﾌﾃﾞｰﾀがありません。"));
    // Shown whole at the frame's first size, beside the four view panes.
    frame->GetStatusBar()->Update();
    EXPECT_FALSE(frame->GetStatusBar()->GetField(0).IsEllipsized());
    answers = {data};
    ASSERT_TRUE(frame->runCommand(IdFileOpen));
    EXPECT_EQ(pane(0), ui(" 矢印ｷｰまたは、ﾏｳｽの左ﾎﾞﾀﾝ＋ﾏｳｽ移動で視点を変更"));
}

TEST_F(MainWindow, DropsLoadDataApplySettingsAndIgnoreShortFiles) {
    GUI_TEST_REQUIRE_DISPLAY();
    open();
    std::string data = dir.file("drop.csv"), settings = dir.file("look.txt"), shortFile = dir.file("short.csv");
    test::writeFile(data, gridFile(6));
    test::writeFile(shortFile, "a\r\nb\r\nc\r\n");
    // The first file of a drop counts; the others are not looked at.
    frame->canvas()->dropFiles({shortFile, data});
    EXPECT_FALSE(frame->view().data.dataLoaded);
    frame->canvas()->dropFiles({data, shortFile});
    ASSERT_TRUE(frame->view().data.dataLoaded);
    EXPECT_EQ(frame->view().data.columnCount, 6);

    // A dropped settings file is read in whole lines: a title longer than any
    // line buffer keeps the header and the zoom that stand inside it as text.
    frame->view().settings.viewZoom = 100;
    std::string title = test::cp932("長い題 ");
    while (title.size() < 6000) title += test::cp932(" [表示の設定] 倍率 = 999 ");
    test::writeFile(settings, test::cp932("[表示の設定]\r\n 倍率       = 250\r\n[グラフタイトル]\r\n タイトル  = ") +
                                  title + "\r\n");
    frame->canvas()->dropFiles({settings});
    EXPECT_EQ(frame->view().settings.viewZoom, 250);
    EXPECT_TRUE(frame->view().settings.titleText == title);
    EXPECT_TRUE(messages.empty());
}

// A launch file draws at the client size and ends the program (what a failed
// data file does instead is pinned in launchTest).
TEST_F(MainWindow, LaunchFileWritesThePictureAtTheClientSizeAndEnds) {
    GUI_TEST_REQUIRE_DISPLAY();
    std::string data = dir.file("grid.csv"), image = dir.file("out.png"), launch = dir.file("launch.txt");
    test::writeFile(data, gridFile(8));
    test::writeFile(launch, "[Kelvra]\r\nData_File_Name=" + data + "\r\nImage_File_Name=" + image + "\r\nSoft_On=no\r\n");
    open(launch);
    EXPECT_EQ(endStatus, 0);
    EXPECT_TRUE(messages.empty());
    PixelSize client = frame->canvas()->clientSize(), written = test::pngSize(test::readFile(image));
    EXPECT_EQ(std::pair(written.width, written.height), std::pair(client.width, client.height));
}

// Decided: a launch file in which no line names a key did nothing, and the
// window stays: a box says so. So does a start-up argument that cannot be
// read, as a data file that cannot be opened.
TEST_F(MainWindow, LaunchFileWithoutAKeyIsSaidInABox) {
    GUI_TEST_REQUIRE_DISPLAY();
    std::string launch = dir.file("launch.txt");
    test::writeFile(launch, "[Kelvra]\r\nImage-File-Name=" + dir.file("out.png") + "\r\nSoftOn=NO\r\n");
    open(launch);
    EXPECT_EQ(messages, std::vector<std::string>{"起動ﾌｧｲﾙに Data_File_Name、Setting_File_Name、Image_File_Name、"
                                                 "Soft_On のどの行もありません。"});
    EXPECT_FALSE(endStatus);
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.png")));
}

TEST_F(MainWindow, UnreadableStartupArgumentIsSaidInABox) {
    GUI_TEST_REQUIRE_DISPLAY();
    open(dir.file("missing.csv"));
    EXPECT_EQ(messages, std::vector<std::string>{"missing.csv を開くことが出来ません。"});
    EXPECT_FALSE(frame->view().data.dataLoaded);
}

// Sees the load-progress window from inside the event loop: that it showed,
// and the bar positions at which it processed events while the load ran.
class ProgressWatch : public wxEventFilter {
public:
    ProgressWatch() { wxEvtHandler::AddFilter(this); }
    ~ProgressWatch() override { wxEvtHandler::RemoveFilter(this); }
    int FilterEvent(wxEvent& event) override {
        // Not wxDynamicCast: its static_cast of a non-window (the application,
        // for idle events) is what the sanitizer build rejects.
        wxWindow* w = dynamic_cast<wxWindow*>(event.GetEventObject());
        if (auto* dlg = w ? dynamic_cast<CLoadProgressDlg*>(wxGetTopLevelParent(w)) : nullptr) {
            if (event.GetEventType() == wxEVT_SHOW) shown = true;
            if (dlg->IsShown()) positions.push_back(dlg->position());
            if (onEvent) onEvent();
        }
        return Event_Skip;
    }
    bool shown = false;
    std::vector<int> positions;
    std::function<void()> onEvent;   // called for each of its events while the load runs
};

TEST_F(MainWindow, LongLoadShowsAProgressWindowThatAdvances) {
    GUI_TEST_REQUIRE_DISPLAY();
    open();
    // 14400 points by the estimate (the 1500-point threshold is pinned in dataReaderTest).
    std::string big = dir.file("big.csv");
    test::writeFile(big, gridFile(120));
    ProgressWatch watch;
    frame->canvas()->dropFiles({big});
    ASSERT_TRUE(frame->view().data.dataLoaded);
    EXPECT_TRUE(watch.shown);
    ASSERT_FALSE(watch.positions.empty());
    EXPECT_GT(watch.positions.back(), watch.positions.front());
    // Gone once the load is over.
    for (wxWindow* w : wxTopLevelWindows) EXPECT_FALSE(dynamic_cast<CLoadProgressDlg*>(w) && w->IsShown());
}

// "中止" during a long load, pressed as the user would: the read stops, and
// the picture and the data shown before stay (saved again, the same bytes).
TEST_F(MainWindow, StoppingALongLoadKeepsThePictureAndTheData) {
    GUI_TEST_REQUIRE_DISPLAY();
    std::string small = dir.file("small.csv"), big = dir.file("big.csv");
    test::writeFile(small, gridFile(20));
    test::writeFile(big, gridFile(1000));
    open(small);
    test::pumpFor(300);
    const PixelSize client = frame->canvas()->clientSize();
    const std::vector<test::Pixel> before = test::windowPicture(*frame->canvas(), client);
    answers = {dir.file("before.csv")};
    ASSERT_TRUE(frame->runCommand(IdFileSave));

    ProgressWatch watch;
    wxUIActionSimulator sim;
    bool pressed = false;
    int pressedAt = -1;
    watch.onEvent = [&] {
        if (pressed) return;
        for (wxWindow* w : wxTopLevelWindows) {
            auto* dlg = dynamic_cast<CLoadProgressDlg*>(w);
            wxWindow* stop = dlg && dlg->IsShown() ? dlg->FindWindow(wxID_CANCEL) : nullptr;
            if (!stop || dlg->position() < 5) continue;
            const wxRect r = stop->GetScreenRect();
            pressed = true;
            pressedAt = dlg->position();
            sim.MouseMove(r.x + r.width / 2, r.y + r.height / 2);
            sim.MouseClick();
        }
    };
    frame->canvas()->dropFiles({big});
    ASSERT_TRUE(pressed);
    EXPECT_LT(watch.positions.back(), 100) << "pressed at " << pressedAt;
    EXPECT_EQ(std::tuple(frame->view().data.dataFilePath, frame->view().data.pointCount), std::tuple(dir.file("before.csv"), 400));
    EXPECT_EQ(pane(0), ui("big.csv の読み込みを中止しました"));
    EXPECT_TRUE(messages.empty());
    test::pumpFor(300);
    EXPECT_EQ(test::windowPicture(*frame->canvas(), client), before);
    answers = {dir.file("after.csv")};
    ASSERT_TRUE(frame->runCommand(IdFileSave));
    EXPECT_EQ(test::readFile(dir.file("after.csv")), test::readFile(dir.file("before.csv")));
}

// A dialog closes and a long load starts at once: while the load runs, the
// view shows the graph it showed before, not what the dialog left there.
TEST_F(MainWindow, LongLoadAfterADialogShowsTheGraphNotTheDialog) {
    GUI_TEST_REQUIRE_DISPLAY();
    std::string small = dir.file("small.csv"), big = dir.file("big.csv");
    test::writeFile(small, gridFile(20));
    test::writeFile(big, gridFile(300));
    open(small);
    std::vector<wxPoint> spots;
    for (int y = 80; y <= 280; y += 40)
        for (int x = 150; x <= 550; x += 50) spots.push_back({x, y});
    auto look = [&] {
        std::vector<test::Pixel> seen;
        for (wxPoint p : spots) seen.push_back(test::windowPixel(*frame->canvas(), p.x, p.y));
        return seen;
    };
    test::pumpFor(300);
    const std::vector<test::Pixel> before = look();
    ASSERT_GT(std::count_if(before.begin(), before.end(), [](test::Pixel p) { return !(p == test::Pixel{255, 255, 255}); }), 3)
        << "the graph is not under the spots";

    // The file dialog: any modal window over the view that the user closes.
    frame->hooks.fileName = [&](const FileDialogRequest&) -> std::optional<std::string> {
        wxDialog box(frame, wxID_ANY, "dialog", wxDefaultPosition, wxSize(700, 450));
        wxTimer close;
        close.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { box.EndModal(wxID_OK); });
        close.StartOnce(500);
        box.ShowModal();
        return big;
    };
    ProgressWatch watch;
    std::vector<test::Pixel> during;
    watch.onEvent = [&] {
        if (during.empty()) during = look();
    };
    ASSERT_TRUE(frame->runCommand(IdFileOpen));
    ASSERT_TRUE(watch.shown);
    EXPECT_EQ(during, before);
}

// The box of every message carries the exclamation icon: its yellow or orange
// triangle is found among the box's pixels.
TEST_F(MainWindow, MessageBoxShowsItsExclamationIcon) {
    GUI_TEST_REQUIRE_DISPLAY();
    open();
    frame->hooks.message = nullptr;   // the real box
    answers = {dir.file("missing.csv")};
    long found = -1;
    int looks = 0;
    wxTimer timer;
    timer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        wxDialog* box = test::modalDialog();
        if (++looks >= 50) timer.Stop();
        if (!box) return;
        // The box paints a moment after it shows; look until the icon is there.
        ::Window shown = test::findWindowTitled(getpid(), "Kelvra ver.1.52");
        found = shown ? test::exclamationIconPixels(test::windowPixels(shown)) : -1;
        if (found >= 100 || looks >= 30) box->EndModal(wxID_OK);
    });
    timer.Start(100);
    ASSERT_TRUE(frame->runCommand(IdFileOpen));   // returns once the box is closed
    timer.Stop();
    EXPECT_GE(found, 100) << "no icon in the message box";
}

}  // namespace
}  // namespace kelvra
