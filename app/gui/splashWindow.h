// CSplashWindow: the splash picture, borderless and centred over the main
// window, shown once as the main window opens. It closes after 750 ms, or at
// the first key press or mouse-button press anywhere in the program, and that
// press goes no further: it only closed the splash.
#pragma once

#include <wx/splash.h>

namespace kelvra {

class CSplashWindow : public wxSplashScreen {
public:
    // `milliseconds`: how long it stays without input (longer in tests).
    explicit CSplashWindow(wxWindow* owner, int milliseconds = 750);

    // Sees every event of the program while the splash is up.
    int FilterEvent(wxEvent& event) override;

private:
    bool closing_ = false;
};

// Whether the command line lets the splash show: not when it carries one of
// the switches under which another program embeds or automates this one
// ("-Embedding", "-Automation", any case). `args` holds the program name first.
bool splashAllowed(const wxArrayString& args);

}  // namespace kelvra
