// Image files: the picture read back from GL and written as PNG (our own chunk
// writer, the image data deflated by zlib on every core), JPEG (libjpeg) or
// 24-bit BMP (our own writer).
//
// Each encoder builds the whole file in memory; the file writers then hand it to
// the program's safe writer (base/fileIo), so a failed or interrupted write
// leaves an existing file as it was. libjpeg may not end the process on an
// error: it reports through longjmp back into the encoder, which then fails.
#include "output/imageFiles.h"

#include <GL/gl.h>
#include <jpeglib.h>
#include <sys/stat.h>
#include <zlib.h>

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
#include <stdexcept>
#include <string_view>
#include <utility>

#include "base/cp932.h"
#include "base/fileIo.h"
#include "base/parallel.h"
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

// ---- PNG ----
//
// The file is written here chunk by chunk; zlib deflates the image data. The
// rows are cut into bands (pngBandRows), each deflated on a worker as
// a raw deflate stream that the next band's stream continues: it ends on a byte
// boundary (Z_SYNC_FLUSH), the last one ends the whole (Z_FINISH). Each band
// starts with the 32 KiB of rows before it as its dictionary, so that matches
// reach back across the cut as they would in one stream, and the file is
// within a tenth of a per cent of one stream's size. The cut depends on the
// picture only, never on the cores: the same picture gives the same bytes on
// any machine.

constexpr std::size_t kDeflateWindow = 32768;
constexpr std::size_t kIdatBytes = 65536;   // data bytes of each IDAT chunk but the last
// libpng's default limit on either side, which readers built on it apply too.
constexpr int kPngMaxSide = 1000000;

void putBe32(std::string& s, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) s += char((v >> shift) & 0xFF);
}

// A chunk: the data's length, the type, the data, the CRC of type and data.
void putPngChunk(std::string& out, const char* type, std::string_view data) {
    putBe32(out, uint32_t(data.size()));
    const std::size_t start = out.size();
    out.append(type, 4);
    out.append(data);
    putBe32(out, uint32_t(crc32_z(0, reinterpret_cast<const Bytef*>(out.data() + start), out.size() - start)));
}

// Grey is written from the red channel; anything else is RGB unless RGBA is asked for.
int pngComponents(const ImageBuffer& image) {
    return image.componentCount == 4 ? 4 : image.componentCount == 1 ? 1 : 3;
}

// The signature and the chunks in front of the image data, as libpng wrote
// them when it wrote the files: the header, gamma 1/2.2, the resolution when
// it is known, the time, the title, and the description (UTF-8: Japanese)
// when there is one. Texts end at a NUL, as libpng took them.
void putPngHead(std::string& out, const ImageBuffer& image, const std::string& title, int components) {
    using namespace std::string_literals;
    out += "\x89PNG\r\n\x1A\n";
    std::string data;
    putBe32(data, uint32_t(image.width));
    putBe32(data, uint32_t(image.height));
    // 8 bits; grey, RGB or RGBA; deflate; the standard filters; not interlaced.
    data += {char(8), char(components == 4 ? 6 : components == 1 ? 0 : 2), 0, 0, 0};
    putPngChunk(out, "IHDR", data);
    data.clear();
    putBe32(data, 45455);   // 1/2.2 in 100000ths
    putPngChunk(out, "gAMA", data);
    if (image.dotsPerInch > 0) {
        const auto perMetre = uint32_t(std::lround(image.dotsPerInch / 0.0254));
        data.clear();
        putBe32(data, perMetre);
        putBe32(data, perMetre);
        data += char(1);   // the unit is the metre
        putPngChunk(out, "pHYs", data);
    }
    // A time gmtime cannot convert has no tIME chunk, as with libpng.
    const std::time_t when = pictureTime();
    if (std::tm utc; gmtime_r(&when, &utc)) {
        const auto year = uint16_t(utc.tm_year + 1900);
        data = {char(year >> 8), char(year & 0xFF), char(utc.tm_mon + 1), char(utc.tm_mday),
                char(utc.tm_hour), char(utc.tm_min), char(utc.tm_sec)};
        putPngChunk(out, "tIME", data);
    }
    putPngChunk(out, "tEXt", "Title\0"s + title.c_str());
    // Keyword, not compressed, language "ja", no translated keyword, the text.
    if (!image.description.empty()) putPngChunk(out, "iTXt", "Description\0\0\0ja\0\0"s + image.description.c_str());
}

// A row in the file: its filter byte and the pixels.
std::size_t pngRowBytes(int width, int components) {
    return 1 + std::size_t(std::max(width, 0)) * std::size_t(components);
}

// Row `fileRow` of the file (0 at the top) as the file has it: its filter
// byte and the pixels.
void putPngRow(const ImageBuffer& image, int components, int fileRow, unsigned char* dst) {
    // Rendered graphs are flat colour, thin lines and text. On such pictures
    // the unfiltered rows compress smallest at level 9 and fastest: letting
    // libpng choose a filter per row took 1.2 to 1.7 times as long and gave
    // files up to 10 % larger (bench/imageFilesBench.cpp).
    *dst++ = 0;
    // The buffer's rows run bottom-up; the file's run top-down.
    const unsigned char* src = pixelRow(image, image.height - 1 - fileRow);
    for (int x = 0; x < image.width; ++x, src += 4)
        for (int c = 0; c < components; ++c) *dst++ = src[c];
}

// One band of rows deflated, with the adler32 and the size of its rows.
struct DeflatedBand {
    std::vector<unsigned char> bytes;   // the first `size` are the stream's
    std::size_t size = 0;
    uLong adler = 0;
    std::size_t rawSize = 0;
};

void throwOnZlibError(int result) {
    if (result == Z_MEM_ERROR) throw std::bad_alloc();
    if (result != Z_OK) throw std::runtime_error("zlib");
}

// Deflates what zs holds as input, then flushes or finishes, growing the band's bytes as needed.
void deflateAll(z_stream& zs, int flush, DeflatedBand* band) {
    for (;;) {
        if (band->size == band->bytes.size()) band->bytes.resize(band->size + band->size / 2 + 64);
        zs.next_out = band->bytes.data() + band->size;
        zs.avail_out = uInt(band->bytes.size() - band->size);
        const uInt room = zs.avail_out;
        const int result = deflate(&zs, flush);
        band->size += room - zs.avail_out;
        if (result == Z_STREAM_END) return;
        // Z_BUF_ERROR: nothing was left to flush.
        if (flush != Z_FINISH && zs.avail_in == 0 && zs.avail_out != 0 && (result == Z_OK || result == Z_BUF_ERROR))
            return;
        throwOnZlibError(result);
    }
}

// Band `band` of the picture's rows, deflated at level 9 with libpng's memory
// level into `out`; ended with Z_FINISH when it is the last.
void deflateBand(const ImageBuffer& image, int components, int bandRows, std::size_t band, bool last,
                 DeflatedBand* out) {
    const std::size_t rowBytes = pngRowBytes(image.width, components);
    const int first = int(band) * bandRows;
    const int end = std::min(image.height, first + bandRows);
    const int before = std::min(first, int((kDeflateWindow + rowBytes - 1) / rowBytes));
    std::vector<unsigned char> raw(std::size_t(before + end - first) * rowBytes);
    for (int y = first - before; y < end; ++y)
        putPngRow(image, components, y, &raw[std::size_t(y - first + before) * rowBytes]);
    const std::size_t dictionaryEnd = std::size_t(before) * rowBytes;
    const std::size_t dictionary = std::min(dictionaryEnd, kDeflateWindow);

    struct Stream {
        z_stream zs{};
        bool open = false;
        ~Stream() {
            if (open) deflateEnd(&zs);
        }
    } s;
    throwOnZlibError(deflateInit2(&s.zs, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY));   // -15: raw, 32 KiB window
    s.open = true;
    // Level 9 looks for a longer match after every match under 258 bytes;
    // after one of 32 or more (and with the search cut short past 8) it
    // rarely finds one. On 48 of the examples' pictures that took a quarter
    // of the time off (a third at 3x) for files 0.1 % larger.
    throwOnZlibError(deflateTune(&s.zs, 8, 32, 258, 4096));
    if (dictionary > 0)
        throwOnZlibError(deflateSetDictionary(&s.zs, raw.data() + dictionaryEnd - dictionary, uInt(dictionary)));
    out->rawSize = raw.size() - dictionaryEnd;
    out->adler = adler32_z(adler32_z(0, nullptr, 0), raw.data() + dictionaryEnd, out->rawSize);
    out->size = 0;
    // Rendered pictures deflate to a few per cent: room for an eighth, grown when it is not enough.
    out->bytes.resize(std::min<std::size_t>(deflateBound(&s.zs, uLong(out->rawSize)) + 16, out->rawSize / 8 + 4096));
    s.zs.next_in = raw.data() + dictionaryEnd;
    s.zs.avail_in = uInt(out->rawSize);
    deflateAll(s.zs, last ? Z_FINISH : Z_SYNC_FLUSH, out);
}

// The zlib stream into IDAT chunks of kIdatBytes, the last one shorter.
struct IdatWriter {
    std::string* out;
    std::string chunk;

    void add(const unsigned char* bytes, std::size_t size) {
        while (size > 0) {
            const std::size_t n = std::min(size, kIdatBytes - chunk.size());
            chunk.append(reinterpret_cast<const char*>(bytes), n);
            bytes += n;
            size -= n;
            if (chunk.size() == kIdatBytes) flush();
        }
    }
    void flush() {
        if (!chunk.empty()) putPngChunk(*out, "IDAT", chunk);
        chunk.clear();
    }
};

// The libjpeg calls of encodeJpeg; libjpeg leaves through longjmp into
// encodeJpeg on an error, so nothing here owns anything.
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

int pngBandRows(int width, int height, int components) {
    // An eighth of the picture, so that up to eight cores share one of 2 MiB
    // or more. Each band's end costs deflate an end of block and a flush
    // marker, 10 to 20 bytes: with bands of 1 MiB an almost blank A4 page at
    // 600 dpi came out 1.2 % larger than in one stream, with bands of 4 MiB as
    // large; bands of 128 KiB made the A4 graph 7 % larger.
    const std::size_t rows = std::size_t(std::max(height, 1)), bytes = rows * pngRowBytes(width, components);
    const std::size_t bandBytes = std::clamp<std::size_t>(bytes / 8, 256 * 1024, 4 * 1024 * 1024);
    const std::size_t bands = (bytes + bandBytes - 1) / bandBytes;
    return int((rows + bands - 1) / bands);
}

bool encodePng(const ImageBuffer& image, const std::string& title, std::string* out) {
    PhaseScope phase(Phase::Encode);
    out->clear();
    if (!isWellFormed(image) || image.width > kPngMaxSide || image.height > kPngMaxSide) return false;
    const int components = pngComponents(image);
    const int bandRows = pngBandRows(image.width, image.height, components);
    const std::size_t bands = (std::size_t(image.height) + std::size_t(bandRows) - 1) / std::size_t(bandRows);
    try {
        putPngHead(*out, image, title, components);
        IdatWriter idat{out, {}};
        // The zlib header: deflate with a 32 KiB window, level 9, no dictionary.
        const unsigned char header[2] = {0x78, 0xDA};
        idat.add(header, 2);
        uLong adler = adler32_z(0, nullptr, 0);
        // A band for each worker to deflate while the calling thread writes the one before.
        std::vector<DeflatedBand> slots(std::size_t(workerCount()) + 1);
        makeInOrder(
            bands, slots.size(),
            [&](std::size_t i) {
                deflateBand(image, components, bandRows, i, i + 1 == bands, &slots[i % slots.size()]);
            },
            [&](std::size_t i) {
                const DeflatedBand& band = slots[i % slots.size()];
                idat.add(band.bytes.data(), band.size);
                adler = adler32_combine(adler, band.adler, z_off_t(band.rawSize));
            });
        const unsigned char trailer[4] = {(unsigned char)(adler >> 24), (unsigned char)(adler >> 16),
                                          (unsigned char)(adler >> 8), (unsigned char)adler};
        idat.add(trailer, 4);   // big-endian
        idat.flush();
        putPngChunk(*out, "IEND", {});
    } catch (const std::exception&) {   // out of memory, or zlib refused
        out->clear();
        return false;
    }
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
