// CMainFrame: the main window. 775 x 550 pixels, with the menus, the flat
// toolbar and the five-pane status bar built from the command tables of
// commands.h, and the view window (CViewCanvas) filling the rest. Every command
// passes through one gate, so a disabled command does nothing from its menu
// item, its button or its accelerator. The File menu ends with the recent
// files, and the frame's place and size are kept for the next run
// (desktopProfile.h).
#pragma once

#include <wx/frame.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "app/gui/viewCanvas.h"
#include "app/gui/printing.h"

class wxMenu;

namespace kelvra {

class CMainFrame : public wxFrame {
public:
    // `startupArgument`: the one command-line argument, or empty.
    explicit CMainFrame(std::string startupArgument = {});

    CViewCanvas* canvas() { return canvas_; }
    CKelvraView& view() { return canvas_->view(); }
    CPrintCommands& printing() { return *printing_; }

    // The enable and check rules of the command tables, on the current state.
    bool isCommandEnabled(int id) const;
    bool isCommandChecked(int id) const;
    // Carries out a command when its rule allows it; false when it did not run.
    bool runCommand(int id);

    // The settings dialog at the page the settings remember, then the
    // picture redrawn for what OK stored; a message and nothing else before
    // data is loaded.
    void editSettings();
    // The same at `page` (the right-click menu's items).
    void openSettingsAtPage(int page);

    // "最近使ったﾌｧｲﾙ": entry `index` of the list loaded, or, when the file
    // has gone, taken off the list with a message. True when it loaded.
    bool openRecentFile(std::size_t index);
    // The submenu as the profile holds the list now.
    void fillRecentMenu();
    wxMenu* recentMenu() const { return recentMenu_; }

    // The place and size the last run ended with, when they still fit on a
    // screen (the program's start; a test's frame keeps its own).
    void restorePlace();

    // Test seams: what replaces message boxes, file dialogs and the end of
    // the process when the frame is driven from a test.
    GuiHooks hooks;

private:
    void buildMenus();
    void buildToolbar();
    void buildStatusBar();
    void onCommand(wxCommandEvent& event);
    void onSettingsPopup(wxCommandEvent& event);
    void onUpdateUI(wxUpdateUIEvent& event);
    void onIdle(wxIdleEvent& event);
    void onClose(wxCloseEvent& event);
    void showBar(wxWindow* bar, bool show);
    // The data file the view holds now goes first in the recent-file list.
    void noteDataFile();

    CViewCanvas* canvas_ = nullptr;
    wxMenu* recentMenu_ = nullptr;
    std::vector<std::string> recentShown_;   // the files the submenu shows, in its order
    std::unique_ptr<CPrintCommands> printing_;
    std::string helpPath_;     // the help file in the working folder at start-up
    std::string manualPage_;   // the user manual's start page
    long menuState_ = -1;   // the state the menu items were last brought up to date for
};

}  // namespace kelvra
