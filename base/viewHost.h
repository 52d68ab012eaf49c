// ViewHost: every effect the core has on the window system goes through here.
//
// The desktop program implements it with wx (message boxes, caption, status
// bar, frame size, progress window, file dialogs); the batch renderer and the
// tests implement it without a window (messages on stderr, the "frame" is the
// picture). The core never includes a toolkit header and never creates a GL
// context; it only calls this interface.
//
// All texts passed here are CP932 byte strings; the host converts them.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kelvra {

struct PixelSize {
    int width = 0;
    int height = 0;
};

// Identifiers of the four status-bar panes after the message pane.
enum StatusPane {
    PanePosition = 59143,
    PaneZoom = 59144,
    PaneAngles = 59145,
    PaneDisplayKind = 59146,
};

// Which file dialog asks: the desktop program remembers the last folder of each.
enum class FileDialogKind { DataOpen, DataSave, ImageSave, SettingsOpen, SettingsSave, Count };

// What a file dialog shows. Filters are (label, pattern) pairs; the first is
// selected. Texts are CP932.
struct FileDialogRequest {
    FileDialogKind kind = FileDialogKind::DataOpen;
    bool save = false;
    std::string title;
    std::vector<std::pair<std::string, std::string>> filters;
    std::string initialFolder;   // empty: the toolkit's default
    std::string initialName;     // save dialogs
    bool confirmOverwrite = false;
};

// The import dialog: a data file that is not in the program's own layout, as
// it will be read, before it loads. Each choice lists its options with the
// detected one selected; the preview shows what the selected options read.
// Texts are CP932.
struct ImportForm {
    struct Choice {
        std::string label;
        std::vector<std::string> options;
        int selected = 0;
    };
    struct Preview {
        std::vector<std::string> columns;             // a label for each column
        std::vector<std::vector<std::string>> rows;   // the first rows, cell by cell
        std::string summary;                          // what the choices read, or why they read nothing
        bool readable = true;                         // false: there is nothing to load with these choices
    };
    std::vector<Choice> choices;
    std::function<Preview(const std::vector<int>& selected)> preview;
};

class ViewHost {
public:
    virtual ~ViewHost() = default;

    // A message box with an exclamation icon captioned with the application title.
    virtual void showMessage(const std::string& text) = 0;
    // The same for a failure the system gave a reason for (`reason` as
    // systemReason() words it, "" when there is none). Hosts that have no place
    // for the reason show the message alone.
    virtual void showMessageWithReason(const std::string& text, const std::string& reason) { showMessage(text); }
    // The same for a failure on a file: `path` as the user or a file named it
    // (file-system bytes), `error` the errno the system gave (0 for none).
    // Hosts that print say "program: path: reason: text"; a box shows the text.
    virtual void showFileMessage(const std::string& text, const std::string& path, int error) { showMessage(text); }
    // Ask for a repaint without erasing.
    virtual void invalidate() = 0;
    // The view moves (a drag, a held key): call the view's viewSettled once
    // `milliseconds` pass without another such call. Each call starts the wait
    // again. A host without a clock may leave it; the button or key coming up
    // settles the view as well.
    virtual void settleAfter(int milliseconds) = 0;
    virtual void setCaption(const std::string& text) = 0;
    virtual void setStatusPane(int paneId, const std::string& text) = 0;
    // The status bar's message pane, without a box; an empty text puts the
    // idle message back.
    virtual void showStatusMessage(const std::string& text) = 0;
    // Resize the main frame, keeping its top-left corner.
    virtual void resizeFrame(int width, int height) = 0;
    // Outer size of the main frame and size of the view's client area.
    virtual PixelSize frameSize() const = 0;
    virtual PixelSize clientSize() const = 0;

    // The load-progress window: created and shown (when `visible`) at the start
    // of a load of `fileBytes` bytes from the file called `title` (CP932),
    // advanced in percent, hidden at the end. setLoadProgress answers false
    // once the user has asked to stop the load.
    virtual void showLoadProgress(bool visible, const std::string& title, std::uint64_t fileBytes) = 0;
    virtual bool setLoadProgress(int percent) = 0;
    virtual void hideLoadProgress() = 0;

    // A file dialog; nothing when the user cancels or there is no user.
    virtual std::optional<std::string> askFileName(const FileDialogRequest& request) = 0;

    // A remark on work that succeeded (how a picture was written, how a file
    // was imported, a row of a grid that does not fit): the message pane, and
    // stderr where there is no window to show it.
    virtual void showNote(const std::string& text) { showStatusMessage(text); }

    // The import dialog for the file at `path`: true for OK, with the choices
    // as the user left them; false for Cancel. A host without a user (or a
    // run nobody attends) takes the choices as they are.
    virtual bool askImport(const std::string& path, ImportForm& form) { return true; }

    // The selected-data window, after a pick added to the view's selectedText:
    // shown with that text, scrolled to its last line. The first time it is
    // placed at the view's top-left corner; afterwards it stays where the user
    // put it. Without a window there is nothing to show.
    virtual void showSelectedData() {}
};

}  // namespace kelvra
