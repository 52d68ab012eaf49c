// The core's picture as a wx image (see pictureImage.h).
#include "app/gui/pictureImage.h"

#include <cstring>

namespace kelvra {

wxImage wxImageOf(const ImageBuffer& picture) {
    const int w = picture.width, h = picture.height;
    if (w <= 0 || h <= 0 || picture.pixels.size() < std::size_t(w) * std::size_t(h) * 4) return {};
    wxImage image;
    if (!image.Create(w, h, /*clear=*/false)) return {};
    unsigned char* rgb = image.GetData();
    for (int row = 0; row < h; ++row) {
        const unsigned char* from = picture.pixels.data() + std::size_t(h - 1 - row) * w * 4;
        unsigned char* to = rgb + std::size_t(row) * w * 3;
        for (int x = 0; x < w; ++x, from += 4, to += 3) std::memcpy(to, from, 3);
    }
    return image;
}

}  // namespace kelvra
