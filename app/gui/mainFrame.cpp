// The main window: menus, toolbar and status bar built from the command
// tables, and the one gate every command passes (see mainFrame.h).
#include "app/gui/mainFrame.h"

#include <sys/stat.h>
#include <wx/display.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>

#include <algorithm>
#include <cerrno>
#include <span>

#include "app/gui/aboutDlg.h"
#include "app/gui/appImages.h"
#include "app/gui/commands.h"
#include "app/gui/desktopProfile.h"
#include "app/gui/guiText.h"
#include "app/gui/helpCommands.h"
#include "app/gui/liveReload.h"
#include "app/gui/toolbarImages.h"
#include "base/appInfo.h"
#include "base/cp932.h"
#include "app/gui/dialog/settingsDlg.h"

namespace kelvra {
namespace {

constexpr int kFrameWidth = 775;
constexpr int kFrameHeight = 550;
// Inside its border the status bar keeps this margin on each side of a
// pane's text (wx's generic status bar, which GTK builds use).
constexpr int kPaneTextMargin = 2;

bool isCheckTool(const CommandInfo& c) {
    return c.check != CheckRule::Never && c.image != ToolImage::None;
}

static_assert(IdPopupLastPage - IdPopupFirstPage + 1 == SettingsPageCount, "one right-click item per settings page");
static_assert(IdRecentLast - IdRecentFirst + 1 == int(kMaxRecentFiles), "one item per recent file");

// A path in a message (CP932): names on disk are UTF-8 here.
std::string messagePath(const std::string& path) { return isValidUtf8(path) ? utf8ToCp932(path) : path; }

}  // namespace

CMainFrame::CMainFrame(std::string startupArgument)
    : wxFrame(nullptr, wxID_ANY, ui("newfile - ") + kAppTitle, wxDefaultPosition,
              wxSize(kFrameWidth, kFrameHeight)),
      helpPath_(helpFilePath()),
      manualPage_(manualStartPage()) {
    SetIcons(appIcons());
    buildMenus();
    buildToolbar();
    buildStatusBar();
    canvas_ = new CViewCanvas(this, std::move(startupArgument), hooks);
    canvas_->dataFileUsed = [this] { noteDataFile(); };
    PrintSource page;
    page.picture = [this] { return canvas_->drawPicture(copiedPicture(canvas_->clientSize())); };
    page.printEnded = [this] { canvas_->rebuildGraphLists(); };
    page.documentName = [this] { return fromCp932(canvas_->view().data.dataFileTitle); };
    page.showMessage = [this](const std::string& text) { canvas_->showMessage(text); };
    printing_ = std::make_unique<CPrintCommands>(this, std::move(page));
    for (const CommandInfo& c : std::span(kCommands, kCommandCount)) {
        Bind(wxEVT_MENU, &CMainFrame::onCommand, this, wxIdOf(c.id));
        Bind(wxEVT_UPDATE_UI, &CMainFrame::onUpdateUI, this, wxIdOf(c.id));
    }
    Bind(wxEVT_MENU, &CMainFrame::onSettingsPopup, this, wxIdOf(IdPopupFirstPage), wxIdOf(IdPopupLastPage));
    Bind(wxEVT_MENU, [this](wxCommandEvent& e) { openRecentFile(std::size_t(commandIdOf(e.GetId()) - IdRecentFirst)); },
         wxIdOf(IdRecentFirst), wxIdOf(IdRecentLast));
    // Another copy of the program may have added to the list meanwhile.
    Bind(wxEVT_MENU_OPEN, [this](wxMenuEvent& e) {
        e.Skip();
        if (e.GetMenu() && e.GetMenu() != recentMenu_) fillRecentMenu();
    });
    Bind(wxEVT_IDLE, &CMainFrame::onIdle, this);
    Bind(wxEVT_CLOSE_WINDOW, &CMainFrame::onClose, this);
    fillRecentMenu();
    canvas_->SetFocus();
}

// ---- construction ------------------------------------------------------------------

void CMainFrame::buildMenus() {
    auto* bar = new wxMenuBar;
    for (const MenuInfo& m : std::span(kMenus, kMenuCount)) {
        auto* menu = new wxMenu;
        for (int i = 0; i < m.itemCount; ++i) {
            int id = m.items[i];
            const CommandInfo* c = findCommand(id);
            if (!c) {
                menu->AppendSeparator();
                continue;
            }
            if (id == IdFileRecent) {
                recentMenu_ = new wxMenu;
                menu->Append(wxIdOf(id), ui(c->menuText), recentMenu_, ui(c->statusText));
                continue;
            }
            wxItemKind kind = c->check == CheckRule::Never ? wxITEM_NORMAL : wxITEM_CHECK;
            menu->Append(wxIdOf(id), ui(c->menuText), ui(c->statusText), kind);
        }
        bar->Append(menu, ui(m.title));
    }
    SetMenuBar(bar);
}

void CMainFrame::buildToolbar() {
    wxToolBar* tools = CreateToolBar(wxTB_HORIZONTAL | wxTB_FLAT);
    tools->SetToolBitmapSize(wxSize(16, 15));
    for (int id : std::span(kToolbarButtons, kToolbarButtonCount)) {
        const CommandInfo* c = findCommand(id);
        if (!c) {
            tools->AddSeparator();
            continue;
        }
        tools->AddTool(wxIdOf(id), ui(c->tooltip), toolImage(c->image), wxNullBitmap,
                       isCheckTool(*c) ? wxITEM_CHECK : wxITEM_NORMAL, ui(c->tooltip), ui(c->statusText));
    }
    tools->Realize();
}

void CMainFrame::buildStatusBar() {
    wxStatusBar* bar = CreateStatusBar(5);
    // The initial texts of the four view panes also fix their widths: each
    // pane is as wide as its text in the bar's own font and what the bar
    // draws around it, so the message pane keeps all the room that is left.
    // The last pane also holds the size grip, two pixels narrower than the
    // bar is high.
    const int around = 2 * (bar->GetBorderX() + kPaneTextMargin);
    int widths[5] = {-1, 0, 0, 0, 0};
    for (int i = 0; i < 4; ++i) {
        wxString text = ui(kInitialPaneTexts[i]);
        widths[i + 1] = bar->GetTextExtent(text).x + around + (i == 3 ? bar->GetBestSize().y - 2 : 0);
        bar->SetStatusText(text, i + 1);
    }
    bar->SetStatusWidths(5, widths);
    bar->SetStatusText(ui(kIdleMessage), 0);
}

// ---- gating --------------------------------------------------------------------------

bool CMainFrame::isCommandEnabled(int id) const {
    const CommandInfo* c = findCommand(id);
    if (!c) return false;
    const CKelvraView& v = canvas_->view();
    switch (c->enable) {
        case EnableRule::Always: return true;
        case EnableRule::DataLoaded: return v.data.dataLoaded;
        case EnableRule::Rotate: return v.data.dataLoaded && v.settings.displayMode != Display2D;
        case EnableRule::Section: return v.settings.displayMode == DisplayXSection || v.settings.displayMode == DisplayYSection;
        case EnableRule::RecentFiles: return !recentShown_.empty();
        case EnableRule::NotYet: return false;
    }
    return false;
}

bool CMainFrame::isCommandChecked(int id) const {
    const CommandInfo* c = findCommand(id);
    if (!c) return false;
    const CKelvraView& v = canvas_->view();
    switch (c->check) {
        case CheckRule::Never: return false;
        case CheckRule::ModeMove: return v.state.interactionMode == ModeMove;
        case CheckRule::ModeZoom: return v.state.interactionMode == ModeZoom;
        case CheckRule::ModeRotate: return v.state.interactionMode == ModeRotate && v.data.dataLoaded;
        case CheckRule::ModeSection: return v.state.interactionMode == ModeSection;
        case CheckRule::ModePick: return v.state.interactionMode == ModePick;
        case CheckRule::ToolbarShown: return GetToolBar() && GetToolBar()->IsShown();
        case CheckRule::StatusBarShown: return GetStatusBar() && GetStatusBar()->IsShown();
        case CheckRule::AutoReload: return canvas_->liveReload().on();
    }
    return false;
}

void CMainFrame::onUpdateUI(wxUpdateUIEvent& event) {
    int id = commandIdOf(event.GetId());
    event.Enable(isCommandEnabled(id));
    const CommandInfo* c = findCommand(id);
    if (c && c->check != CheckRule::Never) event.Check(isCommandChecked(id));
}

void CMainFrame::onIdle(wxIdleEvent& event) {
    event.Skip();
    // GTK updates menu items only when a menu opens, but it also refuses the
    // accelerator of an item it holds disabled. Bringing the items up to date
    // whenever what the rules read has changed keeps Ctrl+S and F5 working
    // after a load, and keeps them dead while their commands are disabled.
    const CKelvraView& v = canvas_->view();
    long state = long(v.data.dataLoaded) | long(v.settings.displayMode & 0xFF) << 1 | long(v.state.interactionMode & 0xFF) << 9 |
                 long(isCommandChecked(IdViewToolbar)) << 17 | long(isCommandChecked(IdViewStatusBar)) << 18 |
                 long(recentShown_.empty()) << 19 | long(isCommandChecked(IdFileAutoReload)) << 20;
    if (state == menuState_ || !GetMenuBar()) return;
    menuState_ = state;
    GetMenuBar()->UpdateMenus();
}

void CMainFrame::onCommand(wxCommandEvent& event) {
    int command = commandIdOf(event.GetId());
    runCommand(command);
    // A toolbar check button toggles itself when pressed; put every one
    // back to what its rule says at once rather than at the next idle time.
    const CommandInfo* c = findCommand(command);
    if (GetToolBar() && c && isCheckTool(*c))
        for (int id : std::span(kToolbarButtons, kToolbarButtonCount))
            if (const CommandInfo* tool = findCommand(id); tool && isCheckTool(*tool))
                GetToolBar()->ToggleTool(wxIdOf(id), isCommandChecked(id));
}

// ---- commands ------------------------------------------------------------------------

bool CMainFrame::runCommand(int id) {
    if (!isCommandEnabled(id)) return false;
    CKelvraView& v = canvas_->view();
    auto core = [this](auto operation) { canvas_->runWithContext(operation); };
    // A data file opened, reloaded or saved goes first in the recent-file list.
    bool used = false;
    switch (id) {
        case IdFileOpen: core([&] { used = v.chooseDataFile(); }); break;
        case IdFileReload: core([&] { used = v.reloadDataFile(); }); break;
        case IdFileAutoReload: canvas_->liveReload().toggle(); break;
        case IdFileSave: core([&] { used = v.saveDataCommand(); }); break;
        case IdFileSaveImage: canvas_->saveImageCommand(); break;
        case IdFilePrint: printing_->print(); break;
        case IdFilePrintPreview: printing_->preview(); break;
        case IdFilePrintSetup: printing_->pageSetup(); break;
        case IdEditCopy: canvas_->copyPictureCommand(); break;
        case IdAppExit: Close(); break;
        case IdGraphSettings: editSettings(); break;
        case IdSettingsFileOpen: core([&] { v.chooseAndLoadSettingsFile(); }); break;
        case IdSettingsFileSave: core([&] { v.chooseAndSaveSettingsFile(); }); break;
        case IdViewToolbar: showBar(GetToolBar(), !isCommandChecked(id)); break;
        case IdViewStatusBar: showBar(GetStatusBar(), !isCommandChecked(id)); break;
        case IdModeMove: v.state.interactionMode = ModeMove; break;
        case IdModeZoom: v.state.interactionMode = ModeZoom; break;
        case IdModeRotate: v.state.interactionMode = ModeRotate; break;
        case IdModeSection: v.state.interactionMode = ModeSection; break;
        case IdModePick: v.state.interactionMode = ModePick; break;
        case IdViewReset: core([&] { v.resetView(); }); break;
        case IdPlaneXY: core([&] { v.setViewPlane(0); }); break;
        case IdPlaneXZ: core([&] { v.setViewPlane(1); }); break;
        case IdPlaneYZ: core([&] { v.setViewPlane(2); }); break;
        case IdHelpContents: openHelpContents(helpPath_, manualPage_, *canvas_); break;
        case IdHelpDownload: openProductPage(*canvas_); break;
        case IdAppAbout: CAboutDlg(this).ShowModal(); break;
        case IdFileRecent: break;   // the submenu's items are commands of their own
        default: return false;   // commands wired by later work
    }
    if (used) noteDataFile();
    return true;
}

void CMainFrame::onSettingsPopup(wxCommandEvent& event) {
    // Opened once the right-click menu has closed and its loop returned.
    int page = commandIdOf(event.GetId()) - IdPopupFirstPage;
    CallAfter([this, page] { openSettingsAtPage(page); });
}

void CMainFrame::openSettingsAtPage(int page) {
    view().settings.settingsPage = page;
    editSettings();
}

void CMainFrame::editSettings() {
    CKelvraView& v = view();
    if (!v.data.dataLoaded) {
        canvas_->showMessage(sj("ｸﾞﾗﾌﾃﾞｰﾀがありません。"));
        return;
    }
    DialogServices services{[this](const std::string& m) { canvas_->showMessage(m); }, hooks.colour};
    if (!runSettingsDialog(this, v.settings, v.data, services)) return;
    canvas_->resizeFrame(v.settings.windowWidth, v.settings.windowHeight);
    canvas_->runWithContext([&] { v.settingsChanged(); });
}

// ---- recent files and the window's place ------------------------------------------------

void CMainFrame::noteDataFile() {
    noteRecentFile(view().data.dataFilePath);
    fillRecentMenu();
}

void CMainFrame::fillRecentMenu() {
    if (!recentMenu_) return;
    std::vector<std::string> files = loadProfile().recentFiles;
    if (files == recentShown_ && recentMenu_->GetMenuItemCount() == files.size()) return;
    while (recentMenu_->GetMenuItemCount() > 0) recentMenu_->Destroy(recentMenu_->FindItemByPosition(0));
    for (std::size_t i = 0; i < files.size() && i < kMaxRecentFiles; ++i)
        recentMenu_->Append(wxIdOf(IdRecentFirst + int(i)), pathText(recentFileLabel(i, files[i])), pathText(files[i]));
    recentShown_ = std::move(files);
}

bool CMainFrame::openRecentFile(std::size_t index) {
    if (index >= recentShown_.size()) return false;
    const std::string path = recentShown_[index];
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR)) {
        updateProfile([&](Profile& profile) { removeRecentFile(profile.recentFiles, path); });
        fillRecentMenu();
        canvas_->showMessage(messagePath(path) + sj(" が見つかりません。\n最近使ったﾌｧｲﾙの一覧から削除しました。"));
        return false;
    }
    bool loaded = false;
    canvas_->runWithContext([&] { loaded = view().loadDataFile(path, false); });
    if (loaded) noteDataFile();
    return loaded;
}

void CMainFrame::restorePlace() {
    std::optional<WindowPlace> place = loadProfile().window;
    if (!place) return;
    wxRect rect(place->x, place->y, place->width, place->height);
    // On the screen its middle was on, and no larger than that screen; a
    // screen that has gone leaves the window where it opens by default.
    int display = wxDisplay::GetFromPoint(rect.GetPosition() + rect.GetSize() / 2);
    wxRect screen = wxDisplay(display == wxNOT_FOUND ? 0 : unsigned(display)).GetClientArea();
    wxSize size = rect.GetSize();
    size.DecTo(screen.GetSize());
    rect.SetSize(size);
    if (display == wxNOT_FOUND) {
        SetSize(rect.GetSize());
    } else {
        rect.x = std::clamp(rect.x, screen.x, screen.GetRight() + 1 - rect.width);
        rect.y = std::clamp(rect.y, screen.y, screen.GetBottom() + 1 - rect.height);
        SetSize(rect);
    }
    if (place->maximized) Maximize();
}

void CMainFrame::onClose(wxCloseEvent& event) {
    event.Skip();
    if (IsIconized()) return;
    const wxRect rect = GetRect();
    const bool maximized = IsMaximized();
    updateProfile([&](Profile& profile) {
        // A maximized window keeps the place it had before, for when it is restored.
        if (!maximized || !profile.window) profile.window = WindowPlace{rect.x, rect.y, rect.width, rect.height, false};
        profile.window->maximized = maximized;
    });
}

void CMainFrame::showBar(wxWindow* bar, bool show) {
    if (!bar) return;
    bar->Show(show);
    SendSizeEvent();
}

}  // namespace kelvra
