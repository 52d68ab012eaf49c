// Where a picture goes on a printed page: as large as the printable area
// allows, keeping the picture's proportions, from the top-left corner.
//
// The comparison is made in inches, so a printer whose horizontal and vertical
// resolutions differ still prints the picture undistorted. The side that
// fills the area gets exactly the area's pixels; the other is truncated.
#pragma once

#include "base/viewHost.h"

namespace kelvra {

// The printed size, in the printer's pixels, of a picture of `picture` pixels
// on a printable area of `printable` pixels at `pixelsPerInch` (x and y).
// A picture wider than the area's proportions fills its width, any other its
// height. (0, 0) when any size or resolution is not positive.
PixelSize fitToPrintableArea(PixelSize picture, PixelSize printable, PixelSize pixelsPerInch);

}  // namespace kelvra
