#include "app/gui/textClipboard.h"

#include <wx/clipbrd.h>
#include <wx/dataobj.h>

#include "app/gui/guiText.h"

namespace kelvra {

bool copySelectedText(const std::string& cp932Text) {
    if (cp932Text.empty()) return true;
    wxClipboardLocker clipboard;
    if (!clipboard) return false;
    // The clipboard owns the data object from here on.
    return wxTheClipboard->SetData(new wxTextDataObject(fromCp932(cp932Text + "\r\n")));
}

}  // namespace kelvra
