// The picture on the clipboard, as a bitmap: other programs are offered it as
// image/png (and the other image types GTK converts to).
#pragma once

#include "output/imageFiles.h"

namespace kelvra {

// False when the bitmap cannot be made or the clipboard cannot be opened;
// the clipboard then keeps what it had. Nothing is reported: the copy
// command fails silently, as the user sees it in the program they paste into.
bool putPictureOnClipboard(const ImageBuffer& picture);

}  // namespace kelvra
