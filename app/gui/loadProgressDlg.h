// CLoadProgressDlg: the small window that shows how far a long data load has
// got: the file's name, the bar, the percentage with the megabytes read, and
// "中止", which stops the load. The load runs on the user-interface thread
// without returning to the event loop, so each time the bar moves the window
// lets the toolkit paint it and deliver input to it alone (every other window
// is disabled while it is up; timers and other queued work wait).
#pragma once

#include <wx/dialog.h>
#include <wx/weakref.h>

#include <cstdint>
#include <memory>
#include <string>

class wxGauge;
class wxStaticText;
class wxWindowDisabler;

namespace kelvra {

class CLoadProgressDlg : public wxDialog {
public:
    // A window over `view`: its top-left corner at the view's centre minus
    // (130, 80), in screen coordinates. `title` is the file's name (CP932).
    CLoadProgressDlg(wxWindow* view, const std::string& title, std::uint64_t fileBytes);
    ~CLoadProgressDlg() override;

    // Shows the window and paints it at once.
    void showNow();
    // Hides it, enables the other windows again and gives the focus back to
    // the window that had it (the keys go on to the graph, not nowhere).
    void hideNow();
    // Moves the bar to `percent` (0..100) and repaints when it changed.
    // False once the user has pressed "中止" (or Escape).
    bool setLoadProgress(int percent);
    int position() const { return position_; }
    bool stopAsked() const { return stopAsked_; }

private:
    void repaintNow();
    void showFigures();
    wxGauge* gauge_ = nullptr;
    wxStaticText* figures_ = nullptr;
    std::uint64_t fileBytes_ = 0;
    int position_ = 0;
    bool stopAsked_ = false;
    std::unique_ptr<wxWindowDisabler> othersDisabled_;
    wxWeakRef<wxWindow> focusBefore_;
};

// "37 %   12.3 / 54.0 MB": the share of a file of `fileBytes` bytes that
// `percent` stands for, in megabytes of 10^6 bytes with one decimal.
std::string loadFiguresText(int percent, std::uint64_t fileBytes);

}  // namespace kelvra
