// Application start: assert reporting, the main frame with its start-up
// argument at its remembered place, the splash (see kelvraApp.h).
#include "app/gui/kelvraApp.h"

#include <cstdio>

#include "app/gui/guiText.h"
#include "app/gui/mainFrame.h"
#include "app/gui/splashWindow.h"
#include "app/launch/launch.h"
#include "base/appInfo.h"

namespace kelvra {
namespace {

void reportAssert(const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg) {
    std::fprintf(stderr, "kelvra: internal check failed at %s:%d (%s): %s %s\n", file.utf8_str().data(), line,
                 func.utf8_str().data(), cond.utf8_str().data(), msg.utf8_str().data());
}

}  // namespace

void installAssertHandler() { wxSetAssertHandler(reportAssert); }

std::string startupArgument(const wxArrayString& args) {
    if (args.size() != 2) return {};
    return pathBytes(args[1]);
}

bool CKelvraApp::OnInit() {
    installAssertHandler();
    // The base class would parse the command line and reject a file name.
    SetAppName(kAppName);
    std::string argument = startupArgument(argv.GetArguments());

    auto* frame = new CMainFrame(argument);
    // A launch file's picture is drawn at the window's size: a calling
    // program gets the same size every time, whatever the last run left.
    if (argument.empty() || peekStartupKind(argument) == StartupFileKind::DataFile) frame->restorePlace();
    frame->Show();
    // After the frame is on the screen: with no window manager to keep the
    // splash above its owner, a frame shown later would cover it.
    if (splashAllowed(argv.GetArguments())) new CSplashWindow(frame);
    return true;
}

}  // namespace kelvra
