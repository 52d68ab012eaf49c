// What the window benches share: the toolkit started without a window of its
// own, an active event loop, and pumping it until a condition holds.
#pragma once

#include <wx/app.h>
#include <wx/evtloop.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>

#include "app/gui/kelvraApp.h"

namespace kelvra::bench {

// Runs the event loop until `done` or `limitSeconds`; false on the limit.
template <class Done>
bool pumpUntil(Done done, double limitSeconds) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(limitSeconds));
    while (!done()) {
        if (Clock::now() > end) return false;
        wxEventLoopBase::GetActive()->YieldFor(wxEVT_CATEGORY_ALL);
        wxTheApp->ProcessPendingEvents();
        while (wxTheApp->ProcessIdle()) {
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

// Starts the toolkit (a display is needed: xvfb-run), runs `bench` with an
// active event loop and returns its status.
inline int runWithToolkit(const char* name, const std::function<int()>& bench) {
    if (!std::getenv("DISPLAY")) {
        std::fprintf(stderr, "%s: needs a display (xvfb-run)\n", name);
        return 2;
    }
    setenv("GSETTINGS_BACKEND", "memory", 1);
    installAssertHandler();
    static int argc = 1;
    static char* argv[] = {const_cast<char*>(name), nullptr};
    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) return 1;
    wxGUIEventLoop loop;
    wxEventLoopBase::SetActive(&loop);
    const int status = bench();
    wxEventLoopBase::SetActive(nullptr);
    wxTheApp->OnExit();
    wxEntryCleanup();
    return status;
}

}  // namespace kelvra::bench
