// The toolbar's 16 x 15 button images, drawn as XPM pictures in res/toolbar/.
#pragma once

#include <wx/bitmap.h>

#include "app/gui/commands.h"

namespace kelvra {

// The image of a toolbar button; an empty bitmap for ToolImage::None.
wxBitmap toolImage(ToolImage image);

}  // namespace kelvra
