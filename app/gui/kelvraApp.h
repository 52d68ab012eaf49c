// CKelvraApp: the desktop program's application object. It creates the main
// frame with the start-up argument at the place the last run left it, shows
// the splash over it and runs the event loop.
#pragma once

#include <wx/app.h>

#include <string>

namespace kelvra {

class CKelvraApp : public wxApp {
public:
    bool OnInit() override;
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
