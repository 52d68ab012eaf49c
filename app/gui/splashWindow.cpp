// The splash window (see splashWindow.h). wxSplashScreen shows the picture,
// centres it and runs the timer; it also closes on input, but lets that input
// through, which would turn the graph or run a menu accelerator.
#include "app/gui/splashWindow.h"

#include "app/gui/appImages.h"

namespace kelvra {
namespace {
CSplashWindow* current = nullptr;
}  // namespace

CSplashWindow::CSplashWindow(wxWindow* owner, int milliseconds)
    : wxSplashScreen(splashPicture(), wxSPLASH_CENTRE_ON_PARENT | wxSPLASH_TIMEOUT, milliseconds, owner,
                     wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_NONE | wxFRAME_NO_TASKBAR | wxSTAY_ON_TOP),
      closesAt_(std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds)) {
    current = this;
}

CSplashWindow::~CSplashWindow() {
    if (current == this) current = nullptr;
}

CSplashWindow* CSplashWindow::shown() { return current && !current->closing_ ? current : nullptr; }

int CSplashWindow::remainingMilliseconds() const {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(closesAt_ - std::chrono::steady_clock::now());
    return left.count() > 0 ? int(left.count()) : 0;
}

void CSplashWindow::closeNow() {
    if (closing_) return;
    closing_ = true;
    Close(true);
}

int CSplashWindow::FilterEvent(wxEvent& event) {
    static const wxEventType kPresses[] = {
        wxEVT_KEY_DOWN, wxEVT_LEFT_DOWN, wxEVT_RIGHT_DOWN, wxEVT_MIDDLE_DOWN,
        wxEVT_LEFT_DCLICK, wxEVT_RIGHT_DCLICK, wxEVT_MIDDLE_DCLICK,
    };
    if (closing_) return Event_Skip;
    for (wxEventType press : kPresses) {
        if (event.GetEventType() != press) continue;
        closeNow();
        return Event_Processed;
    }
    return Event_Skip;
}

bool splashAllowed(const wxArrayString& args) {
    for (std::size_t i = 1; i < args.size(); ++i)
        if (args[i].IsSameAs("-Embedding", false) || args[i].IsSameAs("-Automation", false)) return false;
    return true;
}

}  // namespace kelvra
