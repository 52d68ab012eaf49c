// The compiled-in pictures (see appImages.h). appImages.inc holds the PNG
// files' bytes, written by the build.
#include "app/gui/appImages.h"

#include <wx/icon.h>
#include <wx/image.h>
#include <wx/imagpng.h>
#include <wx/mstream.h>

#include <cstddef>
#include <iterator>

#include "appImages.inc"

namespace kelvra {
namespace {

struct IconImage {
    int size;
    const unsigned char* png;
    std::size_t bytes;
};
const IconImage kIconImages[] = {
    {16, kIcon16Png, sizeof kIcon16Png},   {32, kIcon32Png, sizeof kIcon32Png},
    {48, kIcon48Png, sizeof kIcon48Png},   {64, kIcon64Png, sizeof kIcon64Png},
    {128, kIcon128Png, sizeof kIcon128Png},
};

// Decoded by the PNG handler directly: wx's own loader from memory needs the
// handler registered with wxImage first.
wxImage fromPng(const unsigned char* png, std::size_t bytes) {
    wxMemoryInputStream stream(png, bytes);
    wxPNGHandler handler;
    wxImage image;
    if (!handler.LoadFile(&image, stream, false)) return wxImage();
    return image;
}

}  // namespace

wxIconBundle appIcons() {
    wxIconBundle icons;
    for (const IconImage& image : kIconImages) {
        wxIcon icon;
        icon.CopyFromBitmap(wxBitmap(fromPng(image.png, image.bytes)));
        icons.AddIcon(icon);
    }
    return icons;
}

wxBitmap appIconBitmap(int size) {
    const IconImage* chosen = &kIconImages[std::size(kIconImages) - 1];
    for (const IconImage& image : kIconImages) {
        if (image.size >= size) {
            chosen = &image;
            break;
        }
    }
    return wxBitmap(fromPng(chosen->png, chosen->bytes));
}

wxBitmap splashPicture() { return wxBitmap(fromPng(kSplashPng, sizeof kSplashPng)); }

}  // namespace kelvra
