// Image files: each encoder's output decoded again by an independent reader (libpng, libjpeg,
// the BMP layout read by hand). The picture is a small asymmetric red-on-blue "F" whose pixels
// all differ, so a swapped channel, a flipped row or a wrong stride shows. Also the PNG chunks,
// the JPEG quality, the extension rules, and what a failed write says and leaves behind. PNGs
// of many bands are read back by libpng with every checksum checked.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>

#include "base/cp932.h"
#include "base/fileIo.h"
#include "base/headlessHost.h"
#include "view/kelvraView.h"
#include "output/imageFiles.h"
#include "support/glFixture.h"
#include "support/gridFixture.h"
#include "support/decodedImage.h"
#include "support/testFiles.h"

namespace kelvra {
namespace {

using namespace std::string_literals;
using test::decode;
using test::Decoded;
using test::Pixel;

// The "F" in red on blue, 6 x 5 as seen (row 0 at the top), a green pixel at the bottom right;
// x and y are folded into the weak channels.
Pixel expectedPixel(int x, int y) {
    static const char* const shape[5] = {"FFFF..", "F.....", "FFF...", "F.....", "F....g"};
    if (shape[y][x] == 'F') return {250, 10 * x, 20 * y};
    return shape[y][x] == 'g' ? Pixel{0, 240, 0} : Pixel{10 * x, 20 * y, 240};
}

// The picture in the buffer's order (rows bottom-up, RGBA), each pixel a cell x cell square.
ImageBuffer makeImage(int cell = 1) {
    ImageBuffer image{{}, 6 * cell, 5 * cell};
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            Pixel c = expectedPixel(x / cell, (image.height - 1 - y) / cell);
            image.pixels.insert(image.pixels.end(), {(unsigned char)c.r, (unsigned char)c.g, (unsigned char)c.b, 77});
        }
    return image;
}

// `bytes` bytes of v, least significant first (BMP) or most significant first (PNG).
std::string le(uint32_t v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i) s += char(i < 4 ? v >> 8 * i : 0);   // bytes beyond v's four are 0
    return s;
}
std::string be(uint32_t v, int bytes) {
    std::string s = le(v, bytes);
    return {s.rbegin(), s.rend()};
}

TEST(ImageEncoders, DecodeBackToTheSamePixelsTopRowFirst) {
    struct Case {
        const char* format;
        int cell, tolerance;   // JPEG blurs single pixels: 8 x 8 cells, read at their middles
        std::function<bool(const ImageBuffer&, std::string*)> encode;
    } cases[] = {
        {"png", 1, 0, [](const ImageBuffer& i, std::string* out) { return encodePng(i, "t", out); }},
        {"jpeg", 8, 40, [](const ImageBuffer& i, std::string* out) { return encodeJpeg(i, 90, out); }},
        {"bmp", 1, 0, encodeBmp},
    };
    for (const Case& c : cases) {
        std::string bytes;
        ASSERT_TRUE(c.encode(makeImage(c.cell), &bytes)) << c.format;
        Decoded d = decode(bytes);
        ASSERT_EQ(std::pair(d.width, d.height), std::pair(6 * c.cell, 5 * c.cell)) << c.format;
        auto at = [&](int x, int y) { return d.at(x * c.cell + c.cell / 2, y * c.cell + c.cell / 2); };
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 6; ++x)
                EXPECT_TRUE(test::near(at(x, y), expectedPixel(x, y), c.tolerance))
                    << c.format << " " << x << "," << y << ": " << at(x, y);
        ImageBuffer shortOne = makeImage();
        shortOne.pixels.pop_back();
        EXPECT_FALSE(c.encode(shortOne, &bytes)) << c.format << ": a buffer short of a byte";
    }
}

// Chunks are found with their length in front and their data behind the type.
TEST(ImageEncoders, PngCarriesThePathAsTitleGammaAndTheTime) {
    std::string bytes, path = test::cp932("/tmp/画像 1.png");
    std::time_t now = std::time(nullptr);
    ASSERT_TRUE(encodePng(makeImage(), path, &bytes));
    std::tm utc;
    gmtime_r(&now, &utc);
    EXPECT_NE(bytes.find(be(6 + path.size(), 4) + "tEXtTitle\0"s + path), std::string::npos);
    EXPECT_NE(bytes.find(be(4, 4) + "gAMA" + be(45455, 4)), std::string::npos);
    EXPECT_NE(bytes.find(be(7, 4) + "tIME" + be(utc.tm_year + 1900, 2) + be(utc.tm_mon + 1, 1)), std::string::npos);
    EXPECT_TRUE(bytes.find("zTXt") == std::string::npos && bytes.find("iTXt") == std::string::npos);
    // The description: UTF-8, not compressed, in Japanese, no translated keyword; before the image data.
    ImageBuffer described = makeImage();
    described.description = "等高線の図";
    ASSERT_TRUE(encodePng(described, path, &bytes));
    const std::string itxt = "iTXtDescription\0\0\0ja\0\0"s + described.description;
    EXPECT_LT(bytes.find(be(itxt.size() - 4, 4) + itxt), bytes.find("IDAT"));
}

// libpng's full reader with a bad CRC on any chunk and a bad adler32 of the image data as errors,
// not warnings: false then. The samples top row first, as the file has them.
bool decodeStrictly(const std::string& file, std::vector<unsigned char>* samples, int* channels) {
    struct Source {
        const std::string& bytes;
        std::size_t at;
    } source{file, 0};
    std::vector<png_bytep> rows;
    png_structp png = png_create_read_struct(
        PNG_LIBPNG_VER_STRING, nullptr, [](png_structp p, png_const_charp) { png_longjmp(p, 1); }, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &source, [](png_structp p, png_bytep to, png_size_t n) {
        auto* s = static_cast<Source*>(png_get_io_ptr(p));
        if (n > s->bytes.size() - s->at) png_error(p, "short");
        std::memcpy(to, s->bytes.data() + s->at, n);
        s->at += n;
    });
    png_set_crc_action(png, PNG_CRC_ERROR_QUIT, PNG_CRC_ERROR_QUIT);
    png_set_benign_errors(png, 0);
    png_read_info(png, info);
    *channels = png_get_channels(png, info);
    samples->resize(png_get_rowbytes(png, info) * png_get_image_height(png, info));
    for (std::size_t y = 0; y < png_get_image_height(png, info); ++y)
        rows.push_back(samples->data() + y * png_get_rowbytes(png, info));
    png_read_image(png, rows.data());
    png_read_end(png, info);   // the rest of the zlib stream: the adler32
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

// An environment variable set for a scope, and as it was after it.
struct EnvScope {
    EnvScope(const char* name, const char* value) : name(name), was(std::getenv(name) != nullptr) {
        if (was) kept = std::getenv(name);
        setenv(name, value, 1);
    }
    ~EnvScope() { was ? setenv(name, kept.c_str(), 1) : unsetenv(name); }
    const char* name;
    bool was;
    std::string kept;
};

// Pictures of several bands in each colour type, with pixels that repeat along the rows and
// change down them so that deflate matches across the cuts, every other row noise that hardly
// deflates, and a picture of a row a band.
// The bands do not follow the cores: the bytes are the same however many threads deflate them.
TEST(ImageEncoders, PngOfManyBandsDecodesToThePixelsWhateverTheThreads) {
    EnvScope epoch("SOURCE_DATE_EPOCH", "1700000000");
    for (auto [width, height, components] : {std::tuple(900, 400, 3), {700, 400, 4}, {1500, 400, 1}, {70000, 3, 4}}) {
        const int bandRows = pngBandRows(width, height, components);
        ASSERT_GE((height + bandRows - 1) / bandRows, 3);
        ImageBuffer image{std::vector<unsigned char>(std::size_t(width) * std::size_t(height) * 4), width, height,
                          components, 0, {}};
        std::vector<unsigned char> expected, samples;
        for (int y = 0; y < height; ++y)   // as the file has them, top row first
            for (int x = 0; x < width; ++x)
                for (int c = 0; c < 4; ++c) {
                    unsigned noise = unsigned((y * width + x) * 4 + c) * 2654435761u;
                    noise = y % 2 ? (noise ^ noise >> 15) * 2246822519u >> 24 : 0;
                    const auto v = (unsigned char)(x / 7 * 31 + y / 5 * 17 + c * 71 + noise);
                    image.pixels[(std::size_t(height - 1 - y) * width + x) * 4 + c] = v;
                    if (c < components) expected.push_back(v);
                }
        std::string png, again;
        ASSERT_TRUE(encodePng(image, "t", &png));
        int channels = 0;
        ASSERT_TRUE(decodeStrictly(png, &samples, &channels));
        EXPECT_EQ(channels, components);
        EXPECT_TRUE(samples == expected) << width;
        for (const char* threads : {"1", "2", "3"}) {
            EnvScope scope("KELVRA_THREADS", threads);
            ASSERT_TRUE(encodePng(image, "t", &again));
            EXPECT_TRUE(again == png) << width << ": " << threads << " threads";
        }
    }
    // A side over libpng's limit is refused as when libpng wrote the file, nothing left behind.
    std::string png = "old";
    EXPECT_FALSE(encodePng({std::vector<unsigned char>(4000004), 1000001, 1, 1, 0, {}}, "", &png));
    EXPECT_EQ(png, "");
}

TEST(ImageEncoders, BmpHasTheFixedHeadersAndPadsRowsAndFile) {
    std::string b;
    ASSERT_TRUE(encodeBmp(makeImage(), &b));
    // Size (rows of 6 * 3 bytes padded to 20, 2 bytes after them), pixel offset, info header size,
    // width, height, planes, bits, no compression, image size, 2834 pixels per metre, no palette.
    EXPECT_EQ(b.substr(0, 54), "BM" + le(20 * 5 + 56, 4) + le(0, 4) + le(54, 4) + le(40, 4) + le(6, 4) + le(5, 4) +
                                   le(1, 2) + le(24, 2) + le(0, 4) + le(0, 4) + le(2834, 4) + le(2834, 4) + le(0, 8));
    ImageBuffer column{{1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0}, 1, 3};
    ASSERT_TRUE(encodeBmp(column, &b));
    EXPECT_EQ(b.size(), 4u * 3 + 56);
    EXPECT_EQ(b.substr(54), "\x03\x02\x01\x00\x06\x05\x04\x00\x09\x08\x07\x00\x00\x00"s);   // bottom row first
}

TEST(ImageFormat, ExtensionChoosesTheWriterIgnoringCaseAndElsePng) {
    struct Case {
        const char* path;
        ImageFormat format;
        const char* written;
    } cases[] = {
        {"a/pic.png", ImageFormat::Png, "a/pic.png"},
        {"pic.Bmp", ImageFormat::Bmp, "pic.Bmp"},
        {"pic.jpg", ImageFormat::Jpeg, "pic.jpg"},
        {"pic.JpEg", ImageFormat::Jpeg, "pic.JpEg"},
        {"pic.gif", ImageFormat::Png, "pic.png"},
        {"pic.png.gif", ImageFormat::Png, "pic.png.png"},
        {"pic", ImageFormat::Png, "pic.png"},
        {"dir.v2/pic", ImageFormat::Png, "dir.v2/pic.png"},   // a dot in a folder name is no extension
        {"pic.", ImageFormat::Png, "pic.png"},
        {"pic.jpegx", ImageFormat::Png, "pic.png"},
        {"pic.svg", ImageFormat::Svg, "pic.svg"},   // vector pictures keep their names
        {"pic.PDF", ImageFormat::Pdf, "pic.PDF"},
        {"pic.Eps", ImageFormat::Eps, "pic.Eps"},
        {"pic.svgz", ImageFormat::Png, "pic.png"},
    };
    for (const Case& c : cases) {
        std::string written;
        EXPECT_EQ(imageFormatFor(c.path, &written), c.format) << c.path;
        EXPECT_EQ(written, c.written) << c.path;
    }
    // The command line takes only the names it knows, and formats by name.
    EXPECT_EQ(imageFormatOfExtension("pic.gif"), std::nullopt);
    EXPECT_EQ(imageFormatOfExtension("dir.png/pic"), std::nullopt);
    EXPECT_EQ(imageFormatOfExtension("pic.JPEG"), ImageFormat::Jpeg);
    EXPECT_EQ(imageFormatNamed("JPG"), ImageFormat::Jpeg);
    EXPECT_EQ(imageFormatNamed("tiff"), std::nullopt);
    EXPECT_EQ(imageFormatNamed(""), std::nullopt);
    EXPECT_STREQ(imageFormatExtension(ImageFormat::Jpeg), ".jpg");
    // writeImageFile follows the rules, the PNG's title being the path written, and leaves no temporary file.
    test::ScratchDir dir;
    ASSERT_TRUE(writeImageFile(makeImage(), dir.file("a.gif")));
    EXPECT_NE(test::readFile(dir.file("a.png")).find(dir.file("a.png")), std::string::npos);
    ASSERT_TRUE(writeImageFile(makeImage(), dir.file("b.JPEG")));
    // A baseline JPEG at quality 90: the standard tables scaled by 0.2, so in the first table
    // (8-bit, number 0) the luminance DC entry 16 becomes 3 and the largest entry, 121, becomes 24.
    std::string jpeg = test::readFile(dir.file("b.JPEG")), table = jpeg.substr(jpeg.find("\xFF\xDB") + 4, 65);
    EXPECT_EQ(table.substr(0, 2), "\x00\x03"s);
    EXPECT_EQ(*std::max_element(table.begin() + 1, table.end()), 24);
    EXPECT_NE(jpeg.find("\xFF\xC0"), std::string::npos);   // a baseline frame, not a progressive one
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
    // Pixels cannot make a vector picture: that is drawn (vectorPictureTest).
    EXPECT_FALSE(writeImageFile(makeImage(), dir.file("c.svg")));
}

// Saving the picture from GL: upright; a failed write is reported and leaves the old file whole.
TEST(SaveImage, WritesThePictureUprightAndAFailedWriteSaysSoAndLeavesTheOldFile) {
    GL_TEST_REQUIRE_CONTEXT(60, 40);
    // Seen from above, a plane rising towards the top in two levels: blue below, red above.
    test::GridView g;
    g.fill(2, 2, -1, 1, -1, 1, [](double, double y) { return y; });
    for (int a = 0; a < 3; ++a) g.scale(a, -1, 1, 1);
    g.scale(3, -1, 1, 0);
    g.topView();
    g.draw(60, 40);
    CKelvraView& view = g.view;
    test::ScratchDir dir;
    const std::string target = dir.file("old.png");
    ASSERT_TRUE(view.saveImage(target, {60, 40}));
    Decoded d = decode(test::readFile(target));
    EXPECT_TRUE(test::near(d.at(30, 0), Pixel{235, 0, 0})) << d.at(30, 0);
    EXPECT_TRUE(test::near(d.at(30, 39), Pixel{0, 0, 209})) << d.at(30, 39);
    std::filesystem::remove(target);
    // For images and vector pictures alike: a write that fails half-way, as on
    // a full disk, sizes that cannot be drawn, and a folder that is not there.
    for (const char* extension : {".png", ".svg", ".pdf", ".eps"}) {
        SCOPED_TRACE(extension);
        g.host.messages.clear();
        const std::string old = dir.file(std::string("old") + extension);
        test::writeFile(old, "old picture");
        setSafeWriteFaultAfter(40);
        bool written = view.saveImage(old, {60, 40});
        setSafeWriteFaultAfter(-1);
        EXPECT_FALSE(written);
        EXPECT_EQ(test::readFile(old), "old picture");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);   // no temporary file
        std::filesystem::remove(old);
        EXPECT_FALSE(view.saveImage(dir.file(std::string("zero") + extension), {0, 40}));
        EXPECT_FALSE(view.saveImage(dir.file(std::string("huge") + extension), {60, 1 << 20}));
        EXPECT_FALSE(view.saveImage(dir.file(std::string("missing/folder") + extension), {60, 40}));
        EXPECT_EQ(g.host.messages, std::vector<std::string>(4, sj("ﾌｧｲﾙを作成することが出来ません。")));
        ASSERT_TRUE(view.saveImage(old, {60, 40}));
        EXPECT_GT(std::filesystem::file_size(old), 100u);
        std::filesystem::remove(old);
    }
}

}  // namespace
}  // namespace kelvra
