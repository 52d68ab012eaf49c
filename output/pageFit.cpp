// The printed size of a picture (see pageFit.h).
#include "output/pageFit.h"

#include <algorithm>

namespace kelvra {
namespace {

// Exact for products of three ints, so the comparison and the truncation of
// the other side are those of the rule in inches, without rounding on the way
// (printable / ppi * ppi in doubles can lose the last pixel of a full side).
using Wide = __int128;

}  // namespace

PixelSize fitToPrintableArea(PixelSize picture, PixelSize printable, PixelSize pixelsPerInch) {
    if (picture.width <= 0 || picture.height <= 0 || printable.width <= 0 || printable.height <= 0 ||
        pixelsPerInch.width <= 0 || pixelsPerInch.height <= 0)
        return {};
    // Inches: area w / h = (printable.width / ppiX) / (printable.height / ppiY),
    // against the picture's picture.width / picture.height.
    const Wide areaAcross = Wide(printable.width) * pixelsPerInch.height * picture.height;
    const Wide pictureAcross = Wide(printable.height) * pixelsPerInch.width * picture.width;
    if (areaAcross > pictureAcross) {
        // The area is wider than the picture: the height fills it.
        Wide width = Wide(printable.height) * picture.width * pixelsPerInch.width /
                     (Wide(picture.height) * pixelsPerInch.height);
        return {int(width), printable.height};
    }
    Wide height = Wide(printable.width) * picture.height * pixelsPerInch.height /
                  (Wide(picture.width) * pixelsPerInch.width);
    return {printable.width, int(height)};
}

PixelRect placeOnPage(PixelSize picture, PixelSize page, PageMargins margins, PixelSize pixelsPerInch) {
    const long long left = std::max(margins.left, 0), top = std::max(margins.top, 0);
    const long long across = (long long)page.width - left - std::max(margins.right, 0);
    const long long down = (long long)page.height - top - std::max(margins.bottom, 0);
    if (across <= 0 || down <= 0) return {};
    PixelSize fitted = fitToPrintableArea(picture, {int(across), int(down)}, pixelsPerInch);
    if (fitted.width <= 0 || fitted.height <= 0) return {};
    return {int(left + (across - fitted.width) / 2), int(top + (down - fitted.height) / 2), fitted.width, fitted.height};
}

}  // namespace kelvra
