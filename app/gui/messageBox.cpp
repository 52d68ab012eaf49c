// The program's message box (see messageBox.h).
#include "app/gui/messageBox.h"

#include <wx/msgdlg.h>   // before the generic box, which builds on it
#include <wx/generic/msgdlgg.h>

#include "base/appInfo.h"

namespace kelvra {

void showMessageBox(wxWindow* parent, const wxString& text) {
    // The toolkit's own box on GTK 3 leaves out the icon of the message type;
    // wx's box draws it, from the icon theme.
    wxGenericMessageDialog box(parent, text, kAppTitle, wxOK | wxICON_EXCLAMATION | wxCENTRE);
    box.ShowModal();
}

}  // namespace kelvra
