// The program's message box: the text with the exclamation icon, captioned
// with the application title, over `parent`. Every message of the desktop
// program goes through it.
#pragma once

#include <wx/string.h>

class wxWindow;

namespace kelvra {

void showMessageBox(wxWindow* parent, const wxString& text);

}  // namespace kelvra
