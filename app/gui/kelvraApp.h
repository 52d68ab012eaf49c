// CKelvraApp: the desktop program's application object. It keeps the
// recent-file list under the application name "Kelvra", creates the main
// frame with the start-up argument, shows the splash over it and runs the
// event loop.
#pragma once

#include <wx/app.h>

#include <memory>
#include <string>

class wxFileHistory;

namespace kelvra {

class CKelvraApp : public wxApp {
public:
    CKelvraApp();
    ~CKelvraApp() override;
    bool OnInit() override;
    int OnExit() override;

private:
    std::unique_ptr<wxFileHistory> history_;
};

// The start-up argument: the one argument after the program name, or empty
// when there are none or more than one (the shell has already split and
// unquoted them).
// `args` holds the program name first.
std::string startupArgument(const wxArrayString& args);

// Reports a failed wx assertion on stderr instead of in a modal dialog, which
// would stop an unattended run.
void installAssertHandler();

}  // namespace kelvra
