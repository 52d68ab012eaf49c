// The picture as a bitmap on the clipboard (see pictureClipboard.h).
#include "app/gui/pictureClipboard.h"

#include <wx/bitmap.h>
#include <wx/clipbrd.h>

#include "app/gui/pictureImage.h"

namespace kelvra {

bool putPictureOnClipboard(const ImageBuffer& picture) {
    // wx offers the bitmap to other programs as PNG, encoded when they ask.
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
    wxImage image = wxImageOf(picture);
    if (!image.IsOk()) return false;
    wxBitmap bitmap(image);
    if (!bitmap.IsOk()) return false;
    // Everything that can fail without touching the clipboard is done; only
    // now is it opened and its content replaced.
    wxClipboardLocker locker;
    if (!locker) return false;
    if (!wxTheClipboard->SetData(new wxBitmapDataObject(bitmap))) return false;
    // Keeps the picture for a clipboard manager, so it can still be pasted
    // after the program ends (without one this does nothing).
    wxTheClipboard->Flush();
    return true;
}

}  // namespace kelvra
