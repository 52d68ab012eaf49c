// Opening a file or an address with the desktop's default application for it,
// as a file manager would: GIO picks the application from the desktop's
// associations (mimeapps.list and the installed desktop entries) and starts
// it. What GIO and the file system can tell about a failure is kept, so the
// caller can say why nothing opened.
#pragma once

#include <string>

namespace kelvra {

// Why a target did not open. Each has its reason text (openFailureText).
enum class OpenFailure {
    None,
    FileNotFound,         // the file does not exist
    PathNotFound,         // a folder on the way to it does not exist
    AccessDenied,         // it may not be read, or the application may not be started
    OutOfMemory,          // starting the application ran out of memory
    InvalidProgram,       // the application's program is not one that can run
    AssociationInvalid,   // the application's desktop entry names a program that is not there
    NoApplication,        // no application is associated with the kind of file or address
    Other,                // anything else; `code` holds the error code
};

struct OpenResult {
    OpenFailure failure = OpenFailure::None;
    int code = 0;   // the GIO or spawn error code behind Other
    bool ok() const { return failure == OpenFailure::None; }
};

// `target`: an address with a scheme ("https://...", "mailto:...",
// "file:///...") or a file path, relative to the working folder or absolute.
// Returns once the application is started (it keeps running on its own).
OpenResult openWithDefaultApplication(const std::string& target);

// The same target given to the application that opens web pages (the one
// associated with HTML files): the second try for an address nothing else
// takes. NoApplication when there is no such application.
OpenResult openWithWebBrowser(const std::string& target);

// The reason shown to the user, in English as the link label's message has it.
std::string openFailureText(const OpenResult& result);

}  // namespace kelvra
