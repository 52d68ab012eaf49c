// CSplashWindow: the splash picture, borderless and centred over the main
// window, shown once as the main window opens. It closes after 750 ms, or at
// the first key press or mouse-button press anywhere in the program, and that
// press goes no further: it only closed the splash.
#pragma once

#include <wx/splash.h>

#include <chrono>

namespace kelvra {

class CSplashWindow : public wxSplashScreen {
public:
    // `milliseconds`: how long it stays without input (longer in tests).
    explicit CSplashWindow(wxWindow* owner, int milliseconds = 750);

    ~CSplashWindow() override;

    // Sees every event of the program while the splash is up.
    int FilterEvent(wxEvent& event) override;

    // The splash on the screen, if any: the start-up load waits for it (a long
    // load holds the event loop, and with it the splash's timer).
    static CSplashWindow* shown();
    // How long until the timer closes it; 0 once that time has passed.
    int remainingMilliseconds() const;
    // Closes it before its time (nobody is there to greet: a calling program's run).
    void closeNow();

private:
    bool closing_ = false;
    std::chrono::steady_clock::time_point closesAt_;
};

// Whether the command line lets the splash show: not when it carries one of
// the switches under which another program embeds or automates this one
// ("-Embedding", "-Automation", any case). `args` holds the program name first.
bool splashAllowed(const wxArrayString& args);

}  // namespace kelvra
