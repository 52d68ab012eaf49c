// CLoadProgressDlg: the small window that shows how far a long data load has
// got. The load runs on the user-interface thread without returning to the
// event loop, so the window repaints itself each time the bar moves, letting
// only paint and size events through (no user input, no timers).
#pragma once

#include <wx/dialog.h>

class wxGauge;

namespace kelvra {

class CLoadProgressDlg : public wxDialog {
public:
    // A caption-only window over `view`: its top-left corner at the view's
    // centre minus (130, 80), in screen coordinates.
    explicit CLoadProgressDlg(wxWindow* view);

    // Shows the window and paints it at once.
    void showNow();
    // Moves the bar to `percent` (0..100) and repaints when it changed.
    void setLoadProgress(int percent);
    int position() const { return position_; }

private:
    void repaintNow();
    wxGauge* gauge_ = nullptr;
    int position_ = 0;
};

}  // namespace kelvra
