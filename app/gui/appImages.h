// The application icon at the sizes a desktop asks for (16 to 128 pixels) and
// the splash picture. Both are rendered from the SVG sources in res/ when the
// program is built and compiled in, so nothing is looked up at run time.
#pragma once

#include <wx/bitmap.h>
#include <wx/iconbndl.h>

namespace kelvra {

// Every size of the icon, for a frame's title bar and task switcher.
wxIconBundle appIcons();
// The icon drawn at `size` pixels, or at the next larger size it is drawn at
// (16, 32, 48, 64, 128).
wxBitmap appIconBitmap(int size);
// The splash window's picture (420 x 240).
wxBitmap splashPicture();

}  // namespace kelvra
