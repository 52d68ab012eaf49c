// Application start: assert reporting, the recent-file list, the main frame
// with its start-up argument, the splash (see kelvraApp.h).
#include "app/gui/kelvraApp.h"

#include <wx/config.h>
#include <wx/filehistory.h>

#include <cstdio>

#include "app/gui/guiText.h"
#include "app/gui/mainFrame.h"
#include "app/gui/splashWindow.h"
#include "base/appInfo.h"

namespace kelvra {
namespace {

constexpr int kRecentFileCount = 16;

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

CKelvraApp::CKelvraApp() = default;
CKelvraApp::~CKelvraApp() = default;

bool CKelvraApp::OnInit() {
    installAssertHandler();
    // The base class would parse the command line and reject a file name.
    SetAppName(kAppName);
    std::string argument = startupArgument(argv.GetArguments());

    // The recent-file list is kept, as the framework keeps it, for the file
    // named on the command line; no menu shows it.
    history_ = std::make_unique<wxFileHistory>(kRecentFileCount);
    wxConfigBase* config = wxConfigBase::Get();
    history_->Load(*config);
    if (!argument.empty() && wxFileExists(pathText(argument))) {
        history_->AddFileToHistory(pathText(argument));
        history_->Save(*config);
        config->Flush();
    }

    auto* frame = new CMainFrame(argument);
    frame->Show();
    // After the frame is on the screen: with no window manager to keep the
    // splash above its owner, a frame shown later would cover it.
    if (splashAllowed(argv.GetArguments())) new CSplashWindow(frame);
    return true;
}

int CKelvraApp::OnExit() {
    delete wxConfigBase::Set(nullptr);
    return wxApp::OnExit();
}

}  // namespace kelvra
