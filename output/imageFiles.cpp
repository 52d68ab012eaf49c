// Image files: the picture read back from GL and written as PNG (libpng), JPEG
// (libjpeg) or 24-bit BMP (our own writer).
//
// Each encoder builds the whole file in memory; the file writers then hand it to
// the program's safe writer (base/fileIo), so a failed or interrupted write
// leaves an existing file as it was. Neither
// library may end the process on an error: both report through longjmp back
// into the encoder, which then fails.
#include "output/imageFiles.h"

#include <GL/gl.h>
#include <jpeglib.h>
#include <png.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <new>
#include <utility>

#include "base/cp932.h"
#include "base/fileIo.h"
#include "base/phaseTimes.h"

namespace kelvra {

std::time_t pictureTime() {
    // As the reproducible-builds convention has it: a decimal count of
    // seconds; anything else is ignored.
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch && *epoch) {
        long long seconds = 0;
        auto [end, ec] = std::from_chars(epoch, epoch + std::strlen(epoch), seconds);
        if (ec == std::errc() && *end == '\0' && seconds >= 0) return std::time_t(seconds);
    }
    return std::time(nullptr);
}

namespace {


// A buffer the encoders can trust: sizes positive and the pixels all there.
bool isWellFormed(const ImageBuffer& image) {
    if (image.width <= 0 || image.height <= 0) return false;
    uint64_t need = uint64_t(image.width) * uint64_t(image.height) * 4;
    return image.pixels.size() >= need;
}

const unsigned char* pixelRow(const ImageBuffer& image, int row) {
    return image.pixels.data() + size_t(row) * size_t(image.width) * 4;
}

// ---- PNG ----

void pngAppend(png_structp png, png_bytep data, png_size_t length) {
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}
void pngFlush(png_structp) {}
[[noreturn]] void pngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void pngWarning(png_structp, png_const_charp) {}

// ---- JPEG ----

struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};
[[noreturn]] void jpegError(j_common_ptr c) { std::longjmp(reinterpret_cast<JpegErrors*>(c->err)->jump, 1); }
void jpegMessage(j_common_ptr) {}

void putLe16(std::string& s, unsigned v) {
    s += char(v & 0xFF);
    s += char((v >> 8) & 0xFF);
}
void putLe32(std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i) s += char((v >> (8 * i)) & 0xFF);
}

// Extensions as the file name ends, in lower case.
const std::pair<const char*, ImageFormat> kExtensions[] = {
    {".png", ImageFormat::Png}, {".bmp", ImageFormat::Bmp}, {".jpg", ImageFormat::Jpeg}, {".jpeg", ImageFormat::Jpeg},
    {".svg", ImageFormat::Svg}, {".pdf", ImageFormat::Pdf}, {".eps", ImageFormat::Eps},
};

}  // namespace

std::optional<ImageFormat> imageFormatOfExtension(const std::string& path) {
    size_t slash = path.find_last_of('/');
    size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < nameStart) return std::nullopt;
    std::string ext = path.substr(dot);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    for (const auto& [name, format] : kExtensions)
        if (ext == name) return format;
    return std::nullopt;
}

ImageFormat imageFormatFor(const std::string& path, std::string* pathWritten) {
    *pathWritten = path;
    if (std::optional<ImageFormat> format = imageFormatOfExtension(path)) return *format;
    // A name that is a folder, or a device or FIFO that is there, keeps its
    // name as PNG: the writer refuses the folder and writes through the
    // device, where an added extension would write "dir/.png" or "/dev/null.png".
    const std::string name = fileNameOf(path);
    struct stat st;
    if (name.empty() || name == "." || name == ".." || (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)))
        return ImageFormat::Png;
    size_t slash = path.find_last_of('/');
    size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = path.find_last_of('.');
    *pathWritten = dot == std::string::npos || dot < nameStart ? path + ".png" : path.substr(0, dot) + ".png";
    return ImageFormat::Png;
}

std::optional<ImageFormat> imageFormatNamed(std::string_view name) {
    if (name.empty()) return std::nullopt;
    return imageFormatOfExtension("." + std::string(name));
}

const char* imageFormatExtension(ImageFormat format) {
    for (const auto& [name, f] : kExtensions)
        if (f == format) return name;
    return ".png";
}

namespace {

// Grey is written from the red channel; anything else is RGB unless RGBA is asked for.
int pngComponents(const ImageBuffer& image) {
    return image.componentCount == 4 ? 4 : image.componentCount == 1 ? 1 : 3;
}

// The libpng calls of encodePng; libpng leaves through longjmp into encodePng
// on an error, so nothing here owns anything.
void writePngStream(png_structp png, png_infop info, const ImageBuffer& image, const std::string& title,
                    int components, unsigned char* row) {
    int colorType = components == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : components == 1 ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_RGB;
    // Rendered graphs are flat colour, thin lines and text. On such pictures
    // the unfiltered rows compress smallest at level 9 and fastest: letting
    // libpng choose a filter per row took 1.2 to 1.7 times as long and gave
    // files up to 10 % larger (bench/imageFilesBench.cpp).
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, png_uint_32(image.width), png_uint_32(image.height), 8, colorType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_gAMA(png, info, 0.45454545454545453);
    png_time now;
    png_convert_from_time_t(&now, pictureTime());
    png_set_tIME(png, info, &now);
    if (image.dotsPerInch > 0) {
        const auto perMetre = png_uint_32(std::lround(image.dotsPerInch / 0.0254));
        png_set_pHYs(png, info, perMetre, perMetre, PNG_RESOLUTION_METER);
    }
    png_text texts[2] = {};
    texts[0].compression = PNG_TEXT_COMPRESSION_NONE;
    texts[0].key = const_cast<char*>("Title");
    texts[0].text = const_cast<char*>(title.c_str());
    texts[0].text_length = title.size();
    // The description is Japanese: an international (UTF-8) text chunk.
    texts[1].compression = PNG_ITXT_COMPRESSION_NONE;
    texts[1].key = const_cast<char*>("Description");
    texts[1].text = const_cast<char*>(image.description.c_str());
    texts[1].itxt_length = image.description.size();
    texts[1].lang = const_cast<char*>("ja");
    texts[1].lang_key = const_cast<char*>("");
    png_set_text(png, info, texts, image.description.empty() ? 1 : 2);
    png_write_info(png, info);
    // The buffer's rows run bottom-up; the file's run top-down.
    for (int y = image.height - 1; y >= 0; --y) {
        const unsigned char* src = pixelRow(image, y);
        unsigned char* dst = row;
        for (int x = 0; x < image.width; ++x, src += 4) {
            for (int c = 0; c < components; ++c) *dst++ = src[c];
        }
        png_write_row(png, row);
    }
    png_write_end(png, info);
}

// The libjpeg calls of encodeJpeg, likewise.
void writeJpegStream(jpeg_compress_struct* cinfo, const ImageBuffer& image, int quality, int components,
                     unsigned char* row) {
    cinfo->image_width = JDIMENSION(image.width);
    cinfo->image_height = JDIMENSION(image.height);
    cinfo->input_components = components;
    cinfo->in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, quality, TRUE);   // baseline-compatible tables
    if (image.dotsPerInch > 0) {
        cinfo->density_unit = 1;   // dots per inch, in the JFIF header
        cinfo->X_density = cinfo->Y_density = UINT16(std::clamp(std::lround(image.dotsPerInch), 1L, 65535L));
    }
    jpeg_start_compress(cinfo, TRUE);
    if (!image.description.empty())
        jpeg_write_marker(cinfo, JPEG_COM, reinterpret_cast<const JOCTET*>(image.description.data()),
                          unsigned(std::min<std::size_t>(image.description.size(), 65533)));
    while (cinfo->next_scanline < cinfo->image_height) {
        const unsigned char* src = pixelRow(image, image.height - 1 - int(cinfo->next_scanline));
        unsigned char* dst = row;
        for (int x = 0; x < image.width; ++x, src += 4) {
            for (int c = 0; c < components; ++c) *dst++ = src[c];
        }
        JSAMPROW rows[1] = {row};
        jpeg_write_scanlines(cinfo, rows, 1);
    }
    jpeg_finish_compress(cinfo);
}

}  // namespace

bool encodePng(const ImageBuffer& image, const std::string& title, std::string* out) {
    PhaseScope phase(Phase::Encode);
    out->clear();
    if (!isWellFormed(image)) return false;
    std::vector<unsigned char> row;
    try {
        row.resize(size_t(image.width) * 4);
    } catch (const std::bad_alloc&) {
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, pngError, pngWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        out->clear();
        return false;
    }
    png_set_write_fn(png, out, pngAppend, pngFlush);
    writePngStream(png, info, image, title, pngComponents(image), row.data());
    png_destroy_write_struct(&png, &info);
    return true;
}

bool encodeJpeg(const ImageBuffer& image, int quality, std::string* out) {
    PhaseScope phase(Phase::Encode);
    out->clear();
    if (!isWellFormed(image)) return false;
    std::vector<unsigned char> row;
    try {
        row.resize(size_t(image.width) * 3);
    } catch (const std::bad_alloc&) {
        return false;
    }
    jpeg_compress_struct cinfo = {};
    JpegErrors errors;
    cinfo.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = jpegError;
    errors.manager.output_message = jpegMessage;
    unsigned char* memory = nullptr;
    unsigned long size = 0;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&cinfo);
        std::free(memory);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &memory, &size);
    writeJpegStream(&cinfo, image, quality, image.componentCount == 1 ? 1 : 3, row.data());
    out->assign(reinterpret_cast<const char*>(memory), size);
    jpeg_destroy_compress(&cinfo);
    std::free(memory);
    return true;
}

bool encodeBmp(const ImageBuffer& image, std::string* out) {
    PhaseScope phase(Phase::Encode);
    out->clear();
    if (!isWellFormed(image)) return false;
    uint64_t rowSize = (uint64_t(image.width) * 3 + 3) / 4 * 4;
    uint64_t fileSize = rowSize * uint64_t(image.height) + 56;
    if (fileSize > 0xFFFFFFFFu) return false;   // the size field has 32 bits
    try {
        out->reserve(size_t(fileSize));
    } catch (const std::bad_alloc&) {
        return false;
    }
    // File header.
    *out += "BM";
    putLe32(*out, uint32_t(fileSize));
    putLe16(*out, 0);
    putLe16(*out, 0);
    putLe32(*out, 54);
    // Information header.
    putLe32(*out, 40);
    putLe32(*out, uint32_t(image.width));
    putLe32(*out, uint32_t(image.height));   // positive: rows stored bottom-up
    putLe16(*out, 1);
    putLe16(*out, 24);
    putLe32(*out, 0);
    putLe32(*out, 0);
    // Pixels per metre: 72 dpi unless the resolution is known.
    const uint32_t perMetre = image.dotsPerInch > 0 ? uint32_t(std::lround(image.dotsPerInch / 0.0254)) : 2834;
    putLe32(*out, perMetre);
    putLe32(*out, perMetre);
    putLe32(*out, 0);
    putLe32(*out, 0);
    // Rows bottom-up like the buffer, B G R, zero padded to the row size.
    std::string row(size_t(rowSize), '\0');
    for (int y = 0; y < image.height; ++y) {
        const unsigned char* src = pixelRow(image, y);
        for (int x = 0; x < image.width; ++x, src += 4) {
            row[size_t(x) * 3] = char(src[2]);
            row[size_t(x) * 3 + 1] = char(src[1]);
            row[size_t(x) * 3 + 2] = char(src[0]);
        }
        *out += row;
    }
    *out += std::string(2, '\0');
    return true;
}

namespace {

// Hands an encoded file to the safe writer. A malformed buffer aside, the
// encoders fail only when memory runs out; errno says which.
bool writeEncoded(bool encoded, const ImageBuffer& image, const std::string& path, const std::string& bytes) {
    if (!encoded) {
        errno = isWellFormed(image) ? ENOMEM : EINVAL;
        return false;
    }
    return writeFileSafely(path, bytes);
}

}  // namespace

bool writePngFile(const std::string& path, const ImageBuffer& image) {
    std::string bytes;
    bool encoded = encodePng(image, path, &bytes);
    return writeEncoded(encoded, image, path, bytes);
}

bool writeJpegFile(const std::string& path, const ImageBuffer& image, int quality) {
    std::string bytes;
    bool encoded = encodeJpeg(image, quality, &bytes);
    return writeEncoded(encoded, image, path, bytes);
}

bool writeBmpFile(const std::string& path, const ImageBuffer& image) {
    std::string bytes;
    bool encoded = encodeBmp(image, &bytes);
    return writeEncoded(encoded, image, path, bytes);
}

bool writeImageFile(const ImageBuffer& image, const std::string& path) {
    std::string target;
    switch (imageFormatFor(path, &target)) {
        case ImageFormat::Png: return writePngFile(target, image);
        case ImageFormat::Jpeg: return writeJpegFile(target, image, 90);
        case ImageFormat::Bmp: return writeBmpFile(target, image);
        case ImageFormat::Svg:
        case ImageFormat::Pdf:
        case ImageFormat::Eps: return false;
    }
    return false;
}

bool encodeImage(const ImageBuffer& image, ImageFormat format, const std::string& title, std::string* out) {
    switch (format) {
        case ImageFormat::Png: return encodePng(image, title, out);
        case ImageFormat::Jpeg: return encodeJpeg(image, 90, out);
        case ImageFormat::Bmp: return encodeBmp(image, out);
        case ImageFormat::Svg:
        case ImageFormat::Pdf:
        case ImageFormat::Eps: break;
    }
    return false;
}

bool readPicture(int width, int height, ImageBuffer* image) {
    PhaseScope phase(Phase::ReadBack);
    *image = ImageBuffer{};
    if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide) {
        errno = EINVAL;
        return false;
    }
    try {
        image->pixels.assign(size_t(width) * size_t(height) * 4, 0);
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
        return false;
    }
    image->width = width;
    image->height = height;
    image->componentCount = 3;
    glFinish();
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, image->pixels.data());
    glPopClientAttrib();
    glFlush();
    return true;
}

void readTile(int x, int y, int width, int height, ImageBuffer* image) {
    PhaseScope phase(Phase::ReadBack);
    glFinish();
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, image->width);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    unsigned char* corner = image->pixels.data() + (std::size_t(y) * std::size_t(image->width) + std::size_t(x)) * 4;
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, corner);
    glPopClientAttrib();
}

}  // namespace kelvra
