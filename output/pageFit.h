// Where a picture goes on a printed page: inside the printable area the page
// set-up reports (the page less its margins), as large as that area allows,
// keeping the picture's proportions, centred in it.
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

// A page's margins in its printer's pixels, as the page is turned.
struct PageMargins {
    int left = 0, top = 0, right = 0, bottom = 0;
};

struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
};

// The picture on a page of `page` pixels: fitted to the area inside
// `margins` and centred in it (an odd pixel left over goes to the right or
// bottom). All 0 when the margins leave no area, or a size or resolution is
// not positive; negative margins count as 0.
PixelRect placeOnPage(PixelSize picture, PixelSize page, PageMargins margins, PixelSize pixelsPerInch);

}  // namespace kelvra
