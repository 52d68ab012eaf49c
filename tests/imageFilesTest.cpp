// Image files: each encoder's output decoded again by an independent reader
// (libpng, libjpeg, the BMP layout read field by field). The fixture is a small
// asymmetric red-on-blue picture whose pixels all differ, so a swapped channel,
// a flipped row or a wrong stride shows. Also the extension rules and what a
// failed write leaves behind.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <png.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <csetjmp>
#include <cstring>
#include <filesystem>

#include "core/cp932.h"
#include "core/headlessHost.h"
#include "core/kelvraView.h"
#include "output/imageFiles.h"
#include "support/glFixture.h"
#include "support/testFiles.h"

namespace kelvra {
namespace {

struct Rgb8 {
    int r, g, b;
    bool operator==(const Rgb8&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Rgb8& c) { return os << "(" << c.r << "," << c.g << "," << c.b << ")"; }

// An "F" in red on blue, 6 x 5, as seen on screen (row 0 at the top).
const char* const kShape[5] = {
    "FFFF..",
    "F.....",
    "FFF...",
    "F.....",
    "F....g",   // one green pixel at the bottom right
};

// Every pixel differs: x and y are folded into the weak channels.
Rgb8 expectedPixel(int x, int screenY) {
    char c = kShape[screenY][x];
    if (c == 'F') return {250, 10 * x, 20 * screenY};
    if (c == 'g') return {0, 240, 0};
    return {10 * x, 20 * screenY, 240};
}

// The picture in the buffer's order: rows bottom-up, RGBA.
ImageBuffer makeImage(int cell = 1) {
    ImageBuffer image;
    image.width = 6 * cell;
    image.height = 5 * cell;
    image.pixels.resize(size_t(image.width) * image.height * 4);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            Rgb8 c = expectedPixel(x / cell, (image.height - 1 - y) / cell);
            unsigned char* p = &image.pixels[(size_t(y) * image.width + x) * 4];
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
            p[3] = 77;   // alpha is not written for RGB pictures
        }
    }
    return image;
}

// ---- independent readers ----

struct Decoded {
    int width = 0, height = 0, channels = 0;
    std::vector<unsigned char> rows;   // top-down, packed
    Rgb8 at(int x, int screenY) const {
        const unsigned char* p = &rows[(size_t(screenY) * width + x) * channels];
        return {p[0], p[channels > 1 ? 1 : 0], p[channels > 2 ? 2 : 0]};
    }
};

Decoded decodePng(const std::string& bytes) {
    Decoded d;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    struct Source {
        const std::string* bytes;
        size_t offset;
    } source{&bytes, 0};
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        ADD_FAILURE() << "libpng could not read the file";
        return Decoded{};
    }
    png_set_read_fn(png, &source, [](png_structp p, png_bytep out, png_size_t n) {
        auto* s = static_cast<Source*>(png_get_io_ptr(p));
        if (s->offset + n > s->bytes->size()) png_error(p, "short file");
        std::memcpy(out, s->bytes->data() + s->offset, n);
        s->offset += n;
    });
    png_read_info(png, info);
    d.width = int(png_get_image_width(png, info));
    d.height = int(png_get_image_height(png, info));
    d.channels = png_get_channels(png, info);
    d.rows.resize(size_t(d.width) * d.height * d.channels);
    for (int y = 0; y < d.height; ++y) png_read_row(png, &d.rows[size_t(y) * d.width * d.channels], nullptr);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return d;
}

struct JpegFailure {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

Decoded decodeJpeg(const std::string& bytes) {
    Decoded d;
    jpeg_decompress_struct cinfo;
    JpegFailure failure;
    cinfo.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = [](j_common_ptr c) { std::longjmp(reinterpret_cast<JpegFailure*>(c->err)->jump, 1); };
    if (setjmp(failure.jump)) {
        jpeg_destroy_decompress(&cinfo);
        ADD_FAILURE() << "libjpeg could not read the file";
        return Decoded{};
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    jpeg_read_header(&cinfo, TRUE);
    jpeg_start_decompress(&cinfo);
    d.width = int(cinfo.output_width);
    d.height = int(cinfo.output_height);
    d.channels = cinfo.output_components;
    d.rows.resize(size_t(d.width) * d.height * d.channels);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = &d.rows[size_t(cinfo.output_scanline) * d.width * d.channels];
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return d;
}

struct Chunk {
    std::string type;
    std::string data;
};
std::vector<Chunk> pngChunks(const std::string& bytes) {
    std::vector<Chunk> chunks;
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    for (size_t at = 8; at + 12 <= bytes.size();) {
        auto u = [&](size_t i) { return (unsigned char)bytes[i]; };
        size_t length = size_t(u(at)) << 24 | u(at + 1) << 16 | u(at + 2) << 8 | u(at + 3);
        chunks.push_back({bytes.substr(at + 4, 4), bytes.substr(at + 8, length)});
        at += 12 + length;
    }
    return chunks;
}
const Chunk* findChunk(const std::vector<Chunk>& chunks, const std::string& type) {
    for (const auto& c : chunks)
        if (c.type == type) return &c;
    return nullptr;
}

uint32_t le32(const std::string& s, size_t at) {
    return uint32_t((unsigned char)s[at]) | uint32_t((unsigned char)s[at + 1]) << 8 |
           uint32_t((unsigned char)s[at + 2]) << 16 | uint32_t((unsigned char)s[at + 3]) << 24;
}
uint16_t le16(const std::string& s, size_t at) {
    return uint16_t((unsigned char)s[at] | (unsigned char)s[at + 1] << 8);
}

// ---- PNG ----

TEST(PngEncoder, DecodesBackToTheSamePixelsTopRowFirst) {
    std::string bytes;
    ASSERT_TRUE(encodePng(makeImage(), "/tmp/x.png", &bytes));
    Decoded d = decodePng(bytes);
    ASSERT_EQ(d.width, 6);
    ASSERT_EQ(d.height, 5);
    ASSERT_EQ(d.channels, 3);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(d.at(x, y), expectedPixel(x, y)) << x << "," << y;
}

TEST(PngEncoder, WritesRgbaWhenAskedAndGreyFromRed) {
    ImageBuffer image = makeImage();
    image.componentCount = 4;
    std::string bytes;
    ASSERT_TRUE(encodePng(image, "t", &bytes));
    Decoded d = decodePng(bytes);
    ASSERT_EQ(d.channels, 4);
    EXPECT_EQ(d.rows[3], 77);
    image.componentCount = 1;
    ASSERT_TRUE(encodePng(image, "t", &bytes));
    d = decodePng(bytes);
    ASSERT_EQ(d.channels, 1);
    EXPECT_EQ(d.rows[0], expectedPixel(0, 0).r);
}

TEST(PngEncoder, CarriesTitleGammaAndTime) {
    std::string bytes;
    std::string path = test::cp932("/tmp/画像 1.png");
    time_t before = time(nullptr);
    ASSERT_TRUE(encodePng(makeImage(), path, &bytes));
    auto chunks = pngChunks(bytes);
    ASSERT_FALSE(chunks.empty());
    EXPECT_EQ(chunks.front().type, "IHDR");
    EXPECT_EQ(chunks.back().type, "IEND");
    EXPECT_EQ(findChunk(chunks, "zTXt"), nullptr);
    EXPECT_EQ(findChunk(chunks, "iTXt"), nullptr);
    const Chunk* text = findChunk(chunks, "tEXt");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->data, std::string("Title\0", 6) + path);
    const Chunk* gamma = findChunk(chunks, "gAMA");
    ASSERT_NE(gamma, nullptr);
    ASSERT_EQ(gamma->data.size(), 4u);
    EXPECT_EQ(gamma->data, std::string("\x00\x00\xb1\x8f", 4));   // 45455
    const Chunk* time = findChunk(chunks, "tIME");
    ASSERT_NE(time, nullptr);
    ASSERT_EQ(time->data.size(), 7u);
    int year = (unsigned char)time->data[0] << 8 | (unsigned char)time->data[1];
    struct tm utc;
    gmtime_r(&before, &utc);
    EXPECT_EQ(year, utc.tm_year + 1900);
    EXPECT_EQ((unsigned char)time->data[2], utc.tm_mon + 1);
}

TEST(PngEncoder, RefusesABufferThatIsShortOrEmpty) {
    ImageBuffer image = makeImage();
    image.pixels.resize(image.pixels.size() - 1);
    std::string bytes;
    EXPECT_FALSE(encodePng(image, "t", &bytes));
    EXPECT_FALSE(encodeJpeg(image, 90, &bytes));
    EXPECT_FALSE(encodeBmp(image, &bytes));
    image = ImageBuffer{};
    EXPECT_FALSE(encodePng(image, "t", &bytes));
}

// ---- JPEG ----

TEST(JpegEncoder, DecodesBackToTheSameCellsTopRowFirst) {
    // 8 x 8 cells: JPEG blurs single pixels, but the middle of a cell keeps its colour.
    std::string bytes;
    ASSERT_TRUE(encodeJpeg(makeImage(8), 90, &bytes));
    Decoded d = decodeJpeg(bytes);
    ASSERT_EQ(d.width, 48);
    ASSERT_EQ(d.height, 40);
    ASSERT_EQ(d.channels, 3);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 6; ++x) {
            Rgb8 got = d.at(x * 8 + 4, y * 8 + 4), want = expectedPixel(x, y);
            EXPECT_NEAR(got.r, want.r, 40) << x << "," << y;
            EXPECT_NEAR(got.g, want.g, 40) << x << "," << y;
            EXPECT_NEAR(got.b, want.b, 40) << x << "," << y;
        }
    }
}

TEST(JpegEncoder, IsBaselineWithQuality90Tables) {
    std::string bytes;
    ASSERT_TRUE(encodeJpeg(makeImage(), 90, &bytes));
    ASSERT_GT(bytes.size(), 4u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xD8");
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\xFF\xD9");
    size_t dqt = bytes.find("\xFF\xDB");
    ASSERT_NE(dqt, std::string::npos);
    // Precision 0 (8-bit), table 0; at quality 90 the standard tables are scaled
    // by 0.2: the luminance DC entry 16 becomes 3, the largest entry 121 becomes 24.
    EXPECT_EQ((unsigned char)bytes[dqt + 4], 0x00);
    EXPECT_EQ((unsigned char)bytes[dqt + 5], 3);
    unsigned char largest = 0;
    for (int i = 0; i < 64; ++i) largest = std::max(largest, (unsigned char)bytes[dqt + 5 + i]);
    EXPECT_EQ(largest, 24);
    EXPECT_NE(bytes.find("\xFF\xC0"), std::string::npos);   // baseline frame
    EXPECT_EQ(bytes.find("\xFF\xC2"), std::string::npos);   // not progressive
}

TEST(JpegEncoder, WritesGreyFromRed) {
    ImageBuffer image = makeImage(8);
    image.componentCount = 1;
    std::string bytes;
    ASSERT_TRUE(encodeJpeg(image, 90, &bytes));
    Decoded d = decodeJpeg(bytes);
    ASSERT_EQ(d.channels, 1);
    EXPECT_NEAR(d.rows[size_t(4) * 48 + 4], 250, 20);
}

// ---- BMP ----

TEST(BmpEncoder, LaysOutHeadersRowsAndTrailerFieldByField) {
    std::string b;
    ASSERT_TRUE(encodeBmp(makeImage(), &b));
    const uint32_t rowSize = 20;   // 6 * 3 = 18, rounded up to 4
    ASSERT_EQ(b.size(), rowSize * 5 + 56);
    EXPECT_EQ(b.substr(0, 2), "BM");
    EXPECT_EQ(le32(b, 2), rowSize * 5 + 56);
    EXPECT_EQ(le16(b, 6), 0);
    EXPECT_EQ(le16(b, 8), 0);
    EXPECT_EQ(le32(b, 10), 54u);
    EXPECT_EQ(le32(b, 14), 40u);
    EXPECT_EQ(le32(b, 18), 6u);
    EXPECT_EQ(le32(b, 22), 5u);
    EXPECT_EQ(le16(b, 26), 1);
    EXPECT_EQ(le16(b, 28), 24);
    EXPECT_EQ(le32(b, 30), 0u);
    EXPECT_EQ(le32(b, 34), 0u);
    EXPECT_EQ(le32(b, 38), 2834u);
    EXPECT_EQ(le32(b, 42), 2834u);
    EXPECT_EQ(le32(b, 46), 0u);
    EXPECT_EQ(le32(b, 50), 0u);
    // The first stored row is the bottom of the picture, pixels B, G, R.
    for (int row = 0; row < 5; ++row) {
        int screenY = 4 - row;
        for (int x = 0; x < 6; ++x) {
            size_t at = 54 + row * rowSize + x * 3;
            Rgb8 got{(unsigned char)b[at + 2], (unsigned char)b[at + 1], (unsigned char)b[at]};
            EXPECT_EQ(got, expectedPixel(x, screenY)) << x << "," << screenY;
        }
        EXPECT_EQ(b.substr(54 + row * rowSize + 18, 2), std::string(2, '\0'));
    }
    EXPECT_EQ(b.substr(b.size() - 2), std::string(2, '\0'));
}

TEST(BmpEncoder, WidthOnePadsEachRowToFourBytes) {
    ImageBuffer image;
    image.width = 1;
    image.height = 3;
    image.pixels = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0};
    std::string b;
    ASSERT_TRUE(encodeBmp(image, &b));
    ASSERT_EQ(b.size(), 4u * 3 + 56);
    EXPECT_EQ(le32(b, 2), 4u * 3 + 56);
    EXPECT_EQ(b.substr(54, 12), std::string("\x03\x02\x01\x00\x06\x05\x04\x00\x09\x08\x07\x00", 12));
    EXPECT_EQ(b.substr(66), std::string(2, '\0'));
}

// ---- extensions ----

TEST(ImageFormat, ExtensionChoosesTheWriterIgnoringCase) {
    struct Case {
        const char* path;
        ImageFormat format;
        const char* written;
    } cases[] = {
        {"a/pic.png", ImageFormat::Png, "a/pic.png"},
        {"a/pic.PNG", ImageFormat::Png, "a/pic.PNG"},
        {"pic.bmp", ImageFormat::Bmp, "pic.bmp"},
        {"pic.Bmp", ImageFormat::Bmp, "pic.Bmp"},
        {"pic.jpg", ImageFormat::Jpeg, "pic.jpg"},
        {"pic.JpEg", ImageFormat::Jpeg, "pic.JpEg"},
        {"pic.gif", ImageFormat::Png, "pic.png"},
        {"pic.png.gif", ImageFormat::Png, "pic.png.png"},
        {"pic", ImageFormat::Png, "pic.png"},
        {"dir.v2/pic", ImageFormat::Png, "dir.v2/pic.png"},   // a dot in a folder name is no extension
        {"pic.", ImageFormat::Png, "pic.png"},
        {"pic.jpegx", ImageFormat::Png, "pic.png"},
    };
    for (const Case& c : cases) {
        std::string written;
        EXPECT_EQ(imageFormatFor(c.path, &written), c.format) << c.path;
        EXPECT_EQ(written, c.written) << c.path;
    }
}

TEST(ImageFiles, WriteImageFileWritesTheFormatOfTheRulesUnderTheRuledName) {
    test::ScratchDir dir;
    ImageBuffer image = makeImage();
    ASSERT_TRUE(writeImageFile(image, dir.file("a.JPEG")));
    EXPECT_EQ(test::readFile(dir.file("a.JPEG")).find("\xFF\xD8"), 0u);
    ASSERT_TRUE(writeImageFile(image, dir.file("b.gif")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("b.gif")));
    EXPECT_EQ(test::readFile(dir.file("b.png")).find("PNG"), 1u);
    ASSERT_TRUE(writeImageFile(image, dir.file("c")));
    std::string png = test::readFile(dir.file("c.png"));
    EXPECT_NE(png.find(dir.file("c.png")), std::string::npos);   // the title is the path written
    ASSERT_TRUE(writeImageFile(image, dir.file("d.bmp")));
    EXPECT_EQ(test::readFile(dir.file("d.bmp")).find("BM"), 0u);
    // Only the four pictures: no temporary files left beside them.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 4);
}

// ---- failures ----

TEST(ImageFiles, FailedWriteLeavesTheOldFileWholeAndNoTemporaryFile) {
    test::ScratchDir dir;
    std::string target = dir.file("old.png");
    test::writeFile(target, "old picture");
    // A file size limit makes the write fail half-way, whoever runs the test.
    struct rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    struct rlimit small = saved;
    small.rlim_cur = 40;
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool ok = writePngFile(target, makeImage(8));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(ok);
    EXPECT_EQ(test::readFile(target), "old picture");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

    // A folder in the way of the name.
    std::filesystem::create_directory(dir.file("taken.bmp"));
    EXPECT_FALSE(writeBmpFile(dir.file("taken.bmp"), makeImage()));
    EXPECT_FALSE(writeJpegFile(dir.file("missing/x.jpg"), makeImage(), 90));
}

TEST(ImageFiles, ReadOnlyFolderFailsAndKeepsTheOldFile) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    test::ScratchDir dir;
    std::string target = dir.file("old.png");
    test::writeFile(target, "old picture");
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_FALSE(writePngFile(target, makeImage()));
    EXPECT_EQ(test::readFile(target), "old picture");
}

TEST(ImageFiles, ReplacingAFileKeepsItsPermissions) {
    test::ScratchDir dir;
    std::string target = dir.file("shared.png");
    test::writeFile(target, "old");
    std::filesystem::permissions(target, std::filesystem::perms(0644));
    ASSERT_TRUE(writePngFile(target, makeImage()));
    EXPECT_EQ(std::filesystem::status(target).permissions() & std::filesystem::perms::all,
              std::filesystem::perms(0644));
}

TEST(ImageFiles, ReplacingThroughALinkKeepsTheLink) {
    test::ScratchDir dir;
    test::writeFile(dir.file("real.png"), "old");
    std::filesystem::create_symlink(dir.file("real.png"), dir.file("link.png"));
    ASSERT_TRUE(writePngFile(dir.file("link.png"), makeImage()));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.png")));
    EXPECT_EQ(test::readFile(dir.file("real.png")).find("PNG"), 1u);
}

// ---- saving the picture from GL ----

class SaveImage : public ::testing::Test {
protected:
    void SetUp() override {
        GL_TEST_REQUIRE_CONTEXT(60, 40);
        host.printMessages = false;
        // Top half red, bottom half blue, a green column at the left.
        glDisable(GL_SCISSOR_TEST);
        glClearColor(0, 0, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_SCISSOR_TEST);
        glScissor(0, 20, 60, 20);
        glClearColor(1, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glScissor(0, 0, 3, 40);
        glClearColor(0, 1, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_SCISSOR_TEST);
        glClearColor(1, 1, 1, 0);
    }
    HeadlessHost host{{60, 40}};
};

TEST_F(SaveImage, WritesThePictureUprightInEveryFormat) {
    CKelvraView view(host);
    test::ScratchDir dir;
    ASSERT_TRUE(view.saveImage(dir.file("p.png"), 60, 40));
    Decoded png = decodePng(test::readFile(dir.file("p.png")));
    ASSERT_EQ(png.width, 60);
    ASSERT_EQ(png.height, 40);
    EXPECT_EQ(png.at(30, 0), (Rgb8{255, 0, 0}));
    EXPECT_EQ(png.at(30, 39), (Rgb8{0, 0, 255}));
    EXPECT_EQ(png.at(1, 10), (Rgb8{0, 255, 0}));

    ASSERT_TRUE(view.saveImage(dir.file("p.jpg"), 60, 40));
    Decoded jpg = decodeJpeg(test::readFile(dir.file("p.jpg")));
    EXPECT_GT(jpg.at(30, 2).r, 200);
    EXPECT_GT(jpg.at(30, 37).b, 200);

    ASSERT_TRUE(view.saveImage(dir.file("p.bmp"), 60, 40));
    std::string bmp = test::readFile(dir.file("p.bmp"));
    ASSERT_EQ(bmp.size(), 180u * 40 + 56);
    EXPECT_EQ(bmp.substr(54 + 30 * 3, 3), std::string("\xFF\x00\x00", 3));   // bottom row first: blue
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(SaveImage, ReportsSizesItCannotWriteAndWritersThatFail) {
    CKelvraView view(host);
    test::ScratchDir dir;
    const std::string message = sj("ﾌｧｲﾙを作成することが出来ません。");
    EXPECT_FALSE(view.saveImage(dir.file("zero.png"), 0, 40));
    EXPECT_FALSE(view.saveImage(dir.file("huge.png"), 60, 1 << 20));
    EXPECT_FALSE(view.saveImage(dir.file("missing/folder.png"), 60, 40));
    ASSERT_EQ(host.messages.size(), 3u);
    for (const auto& m : host.messages) EXPECT_EQ(m, message);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 0);
}

}  // namespace
}  // namespace kelvra
