// Pictures decoded again by independent readers, for tests of the image
// writers and of the files kelvra-render writes.
#pragma once

#include <gtest/gtest.h>
#include <jpeglib.h>
#include <png.h>

#include <string>
#include <vector>

#include "support/glFixture.h"

namespace kelvra::test {

// A picture read back, top row first, RGB.
struct Decoded {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    Pixel at(int x, int y) const {
        size_t i = (size_t(y) * width + x) * 3;
        return {rgb.at(i), rgb.at(i + 1), rgb.at(i + 2)};
    }
};

// By the file's signature: libpng's simplified reader, libjpeg (a broken file ends the program
// with libjpeg's message), or the BMP layout: rows bottom-up, B G R, each padded to 4 bytes.
inline Decoded decode(const std::string& bytes) {
    Decoded d;
    if (bytes.starts_with("\x89PNG")) {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        EXPECT_TRUE(png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()));
        image.format = PNG_FORMAT_RGB;
        d = {int(image.width), int(image.height), std::vector<unsigned char>(PNG_IMAGE_SIZE(image))};
        EXPECT_TRUE(png_image_finish_read(&image, nullptr, d.rgb.data(), 0, nullptr));
    } else if (bytes.starts_with("\xFF\xD8")) {
        jpeg_decompress_struct info;
        jpeg_error_mgr errors;
        info.err = jpeg_std_error(&errors);
        jpeg_create_decompress(&info);
        jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
        jpeg_read_header(&info, TRUE);
        jpeg_start_decompress(&info);
        d = {int(info.output_width), int(info.output_height), {}};
        d.rgb.resize(size_t(d.width) * d.height * 3);
        for (JSAMPROW row = d.rgb.data(); info.output_scanline < info.output_height; row += d.width * 3)
            jpeg_read_scanlines(&info, &row, 1);
        jpeg_destroy_decompress(&info);
    } else if (bytes.starts_with("BM")) {
        auto le16 = [&](int at) { return (unsigned char)bytes[at] | (unsigned char)bytes[at + 1] << 8; };
        d = {le16(18), le16(22), {}};
        size_t stride = (size_t(d.width) * 3 + 3) / 4 * 4;
        for (int y = d.height - 1; y >= 0; --y)
            for (int x = 0; x < d.width; ++x)
                for (int c = 2; c >= 0; --c) d.rgb.push_back(bytes.at(54 + y * stride + x * 3 + c));
    }
    return d;
}

}  // namespace kelvra::test
