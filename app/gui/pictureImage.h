// A picture of the core (RGBA rows from the bottom up) as the wx image that
// the clipboard and the printed page take (RGB rows from the top down).
#pragma once

#include <wx/image.h>

#include "output/imageFiles.h"

namespace kelvra {

// An invalid image when the buffer does not hold its size or memory runs out.
wxImage wxImageOf(const ImageBuffer& picture);

}  // namespace kelvra
