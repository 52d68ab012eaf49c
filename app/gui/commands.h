// The command surface of the main window as tables: every command with its
// identifier, menu text, prompts and the rules that enable and check it; the
// menus in order; the toolbar in order. The frame builds its menus, toolbar
// and accelerators from these tables and gates every command through
// `enableRule` and `checkRule`, so a menu item, its toolbar button and its
// accelerator always agree.
#pragma once

#include <cstddef>

namespace kelvra {

enum CommandId {
    // File
    IdFileOpen = 57601,
    IdFileReload = 32785,
    IdFileAutoReload = 32806,
    IdFileSave = 32793,
    IdFileSaveImage = 57603,
    IdFilePrint = 57607,
    IdFilePrintPreview = 57609,
    IdFilePrintSetup = 57606,
    IdAppExit = 57665,
    // Edit
    IdEditCopy = 57634,
    // Settings
    IdGraphSettings = 32772,
    IdSettingsFileOpen = 32783,
    IdSettingsFileSave = 32784,
    // View
    IdViewToolbar = 59392,
    IdViewStatusBar = 59393,
    // Help
    IdHelpContents = 57667,
    IdHelpDownload = 32782,
    IdAppAbout = 57664,
    // Toolbar only
    IdModeMove = 32774,
    IdModeZoom = 32780,
    IdModeRotate = 32773,
    IdModeSection = 32786,
    IdModePick = 32789,
    IdViewReset = 32788,
    IdPlaneXY = 32790,
    IdPlaneXZ = 32791,
    IdPlaneYZ = 32792,
};

// The right-click menu: one item per settings page, in page order, each
// labelled as its tab and opening the dialog at it.
inline constexpr int IdPopupFirstPage = 32794;
inline constexpr int IdPopupLastPage = 32804;

// The File menu's "最近使ったﾌｧｲﾙ": the submenu's own item, and one item per
// recent file, newest first.
inline constexpr int IdFileRecent = 32805;
inline constexpr int IdRecentFirst = 57616;
inline constexpr int IdRecentLast = IdRecentFirst + 15;

// wx takes menu identifiers below 0x7FFF only; the window system sees each
// command under its identifier less this offset.
inline constexpr int kWxIdOffset = 30000;
constexpr int wxIdOf(int commandId) { return commandId - kWxIdOffset; }
constexpr int commandIdOf(int wxId) { return wxId + kWxIdOffset; }

// When a command may run.
enum class EnableRule {
    Always,
    DataLoaded,
    Rotate,    // data loaded and not the 2-D display
    Section,   // an X- or Y-section display, with or without data
    RecentFiles,   // the recent-file list holds a file
    NotYet,    // wired by a later piece of work; shown disabled until then
};

// When a command is shown checked (a pressed toolbar button, a ticked item).
enum class CheckRule {
    Never, ModeMove, ModeZoom, ModeRotate, ModeSection, ModePick, ToolbarShown, StatusBarShown,
    AutoReload,   // the data file is followed (liveReload.h)
};

enum class ToolImage {
    None, Open, Reload, AutoReload, Save, SaveImage, Copy, Settings, Move, Zoom, Rotate, Section, Pick, Reset,
    PlaneXY, PlaneXZ, PlaneYZ,
};

struct CommandInfo {
    int id;
    const char* menuText;     // UTF-8, accelerator after a tab; nullptr for toolbar-only commands
    const char* statusText;   // prompt in the status bar's message pane ("" for none)
    const char* tooltip;      // toolbar tooltip ("" for none)
    EnableRule enable;
    CheckRule check;
    ToolImage image;
};

extern const CommandInfo kCommands[];
extern const std::size_t kCommandCount;
const CommandInfo* findCommand(int id);

// A menu: its title and item ids in order; 0 stands for a separator.
struct MenuInfo {
    const char* title;
    int items[16];
    int itemCount;
};
extern const MenuInfo kMenus[];
extern const std::size_t kMenuCount;

// Toolbar buttons in order; 0 stands for a separator.
extern const int kToolbarButtons[];
extern const std::size_t kToolbarButtonCount;

// The idle text of the message pane and the initial texts of the four
// view panes (which also fix their widths), UTF-8.
extern const char* const kIdleMessage;
extern const char* const kInitialPaneTexts[4];

}  // namespace kelvra
