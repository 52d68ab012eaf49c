// Pictures for print, through kelvra-render as a script asks for them: a
// picture K times the size that, shrunk back by K, is the picture of 1x;
// transparent backgrounds that show the same graph over any colour; the
// resolution and the describing sentence in the files; the same bytes every
// run under SOURCE_DATE_EPOCH; vector pictures that stay within their bounds
// whatever the graph.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/cp932.h"
#include "output/vectorPicture.h"
#include "support/decodedImage.h"
#include "support/renderRun.h"
#include "support/testFiles.h"

namespace kelvra {
namespace {

// A PNG read back as RGBA, top row first.
struct Rgba {
    int width = 0, height = 0;
    std::vector<unsigned char> px;
    const unsigned char* at(int x, int y) const { return px.data() + (std::size_t(y) * width + x) * 4; }
};

Rgba readRgba(const std::string& bytes) {
    Rgba out;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    EXPECT_TRUE(png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()));
    image.format = PNG_FORMAT_RGBA;
    out.width = int(image.width);
    out.height = int(image.height);
    out.px.resize(PNG_IMAGE_SIZE(image));
    EXPECT_TRUE(png_image_finish_read(&image, nullptr, out.px.data(), 0, nullptr));
    return out;
}

// How far a picture drawn k times larger is, averaged back over k x k
// blocks, from the picture of 1x: the mean difference per channel and the
// largest mean of any 12 x 12 region (a glyph's cell), all out of 255.
// The signed mean tells a picture whose lines came out thinner or hidden
// (brighter once shrunk) from one whose lines only fall elsewhere.
struct Difference {
    double mean = 0, worstRegion = 0, signedMean = 0;
};

Difference shrunkDifference(const test::Decoded& big, const test::Decoded& small, int k) {
    Difference d;
    const int cell = 12;
    std::vector<double> region(std::size_t((small.width / cell + 1) * (small.height / cell + 1)), 0.0);
    const int regionsAcross = small.width / cell + 1;
    double total = 0, signedTotal = 0;
    for (int y = 0; y < small.height; ++y) {
        for (int x = 0; x < small.width; ++x) {
            for (int c = 0; c < 3; ++c) {
                double sum = 0;
                for (int j = 0; j < k; ++j)
                    for (int i = 0; i < k; ++i) sum += big.rgb[(std::size_t(y * k + j) * big.width + x * k + i) * 3 + c];
                const double s = sum / (k * k) - small.rgb[(std::size_t(y) * small.width + x) * 3 + c];
                const double e = std::abs(s);
                total += e;
                signedTotal += s;
                region[std::size_t((y / cell) * regionsAcross + x / cell)] += e;
            }
        }
    }
    d.mean = total / (double(small.width) * small.height * 3);
    d.signedMean = signedTotal / (double(small.width) * small.height * 3);
    for (double r : region) d.worstRegion = std::max(d.worstRegion, r / (cell * cell * 3));
    return d;
}

struct Example {
    const char* name;
    std::vector<std::string> args;
};

std::vector<Example> examples() {
    return {{"surface", {test::sourcePath("examples/surface.csv"), "-s", test::sourcePath("examples/surface-settings.txt")}},
            {"bars", {test::sourcePath("examples/surface.csv"), "--set", "グラフの設定.種類=19"}},
            {"vectors", {test::sourcePath("examples/vectors.csv")}},
            {"scattered", {test::sourcePath("examples/scattered.csv")}}};
}

TEST(ScaledPicture, ShrunkBackItIsThePictureOfOneTimesTheSize) {
    test::ScratchDir dir;
    for (const Example& e : examples()) {
        std::vector<std::string> one = e.args;
        one.insert(one.end(), {"-o", dir.file("one.png")});
        test::RenderRun r = test::runRender(one, dir.path());
        if (r.noGl()) GTEST_SKIP() << r.err;
        ASSERT_EQ(r.status, 0) << e.name << ": " << r.err;
        const test::Decoded small = test::decode(test::readFile(dir.file("one.png")));
        for (int k : {2, 3, 4}) {
            SCOPED_TRACE(std::string(e.name) + " at " + std::to_string(k) + "x");
            std::vector<std::string> args = e.args;
            args.insert(args.end(), {"--scale", std::to_string(k), "-o", dir.file("big.png")});
            r = test::runRender(args, dir.path());
            ASSERT_EQ(r.status, 0) << r.err;
            const test::Decoded big = test::decode(test::readFile(dir.file("big.png")));
            ASSERT_EQ(big.width, small.width * k);
            ASSERT_EQ(big.height, small.height * k);
            const Difference d = shrunkDifference(big, small, k);
            // Every line and edge of the larger picture falls where it falls, so
            // shrunk it is antialiased where the small one is not: a line
            // between two pixels is shared by both. A K-pixel line shrunk lands
            // in steps of 1/K, off by 2 min(f, 1 - f) for a share f: on average
            // 0.44 of a line at 3x, 0.5 at 2x and 4x. Texts start on the
            // window's pixels at the window's em times K; the bars, mostly
            // black edges, come to 3.5 at most (see the README), and a text
            // half a window pixel to the right and up, or 2 % larger at 4x,
            // brings them over 4.
            EXPECT_LT(d.mean, 4.0);
            // As dark in all as the small picture: edges thinner than K pixels,
            // or hidden by the faces under them, make it brighter (the bars'
            // edges, under a polygon offset of one pixel's depth, were +1.2 at 3x).
            EXPECT_LT(std::abs(d.signedMean), 0.6);
            // A glyph drawn at k times its size differs from the small one at its
            // edges only: no region is off by more than that (a legend cell or
            // a label out of place would be 150 and more).
            EXPECT_LT(d.worstRegion, 100.0);
        }
    }
}

TEST(ScaledPicture, ScaleAndBackgroundAreCheckedAsUsageErrors) {
    test::ScratchDir dir;
    const std::string surface = test::sourcePath("examples/surface.csv");
    for (const char* bad : {"0.5", "9", "x", "3/0", ""}) {
        test::RenderRun r = test::runRender({surface, "--scale", bad, "-o", dir.file("a.png")}, dir.path());
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_NE(r.err.find("--scale"), std::string::npos) << r.err;
    }
    test::RenderRun large = test::runRender({surface, "--size", "4000x3000", "--scale", "8", "-o", dir.file("a.png")}, dir.path());
    EXPECT_EQ(large.status, 2);
    EXPECT_NE(large.err.find("16384"), std::string::npos) << large.err;
    test::RenderRun background = test::runRender({surface, "--background", "black", "-o", dir.file("a.png")}, dir.path());
    EXPECT_EQ(background.status, 2);
    test::RenderRun map = test::runRender({surface, "--colormap", "jet", "-o", dir.file("a.png")}, dir.path());
    EXPECT_EQ(map.status, 2);
    EXPECT_NE(map.err.find("viridis"), std::string::npos) << map.err;
}

TEST(TransparentPicture, OverBlackAndOverWhiteShowsTheSameGraph) {
    test::ScratchDir dir;
    for (const Example& e : examples()) {
        SCOPED_TRACE(e.name);
        std::vector<std::string> opaque = e.args, clear = e.args;
        opaque.insert(opaque.end(), {"--scale", "2", "-o", dir.file("opaque.png")});
        clear.insert(clear.end(), {"--scale", "2", "--background", "transparent", "-o", dir.file("clear.png")});
        test::RenderRun r = test::runRender(opaque, dir.path());
        if (r.noGl()) GTEST_SKIP() << r.err;
        ASSERT_EQ(r.status, 0) << r.err;
        ASSERT_EQ(test::runRender(clear, dir.path()).status, 0);
        const Rgba on = readRgba(test::readFile(dir.file("opaque.png")));
        const Rgba off = readRgba(test::readFile(dir.file("clear.png")));
        ASSERT_EQ(on.width, off.width);
        long transparent = 0, differOverWhite = 0, differOverBlack = 0, drawn = 0;
        for (int y = 0; y < on.height; ++y) {
            for (int x = 0; x < on.width; ++x) {
                const unsigned char *o = on.at(x, y), *t = off.at(x, y);
                const double alpha = t[3] / 255.0;
                transparent += t[3] == 0;
                drawn += t[3] != 0;
                for (int c = 0; c < 3; ++c) {
                    const double overWhite = t[c] * alpha + 255.0 * (1.0 - alpha);
                    const double overBlack = t[c] * alpha;
                    differOverWhite += std::abs(overWhite - o[c]) > 1.0;
                    // Over black the graph is what it is over white wherever it is drawn.
                    if (o[c] != 255 || t[3] != 0) differOverBlack += std::abs(overBlack - o[c]) > 1.0 && t[3] == 255;
                }
            }
        }
        EXPECT_EQ(differOverWhite, 0);
        EXPECT_EQ(differOverBlack, 0);
        EXPECT_GT(transparent, long(on.width) * on.height / 4);   // the page around the graph
        EXPECT_GT(drawn, 1000);
    }
    // Vector pictures leave out the white page: the page-sized white fill
    // each format draws on white is not in the file.
    const std::string surface = test::sourcePath("examples/surface.csv");
    const struct {
        const char* name;
        std::string pageFill;
    } formats[] = {
        {"a.svg", "<polygon fill=\"#ffffff\" points=\"0,0 775,0 775,550 0,550\"/>"},
        {"a.pdf", "1 1 1 rg\n0 0 775 550 re\nf\n"},
        {"a.eps", "1 1 1 C\nnewpath 0 0 moveto 775 0 lineto 775 550 lineto 0 550 lineto\nclosepath fill"},
    };
    for (const auto& f : formats) {
        SCOPED_TRACE(f.name);
        ASSERT_EQ(test::runRender({surface, "-o", dir.file(std::string("white-") + f.name)}, dir.path()).status, 0);
        ASSERT_EQ(test::runRender({surface, "--background", "transparent", "-o", dir.file(f.name)}, dir.path()).status, 0);
        EXPECT_NE(test::readFile(dir.file(std::string("white-") + f.name)).find(f.pageFill), std::string::npos);
        EXPECT_EQ(test::readFile(dir.file(f.name)).find(f.pageFill), std::string::npos);
    }
    EXPECT_EQ(test::readFile(dir.file("a.svg")).find("#ffffff"), std::string::npos);

    // A graph too large for vectors goes in as an image: a transparent PDF
    // gives it its alpha as a soft mask, so no white box stands round it.
    const std::string large = dir.file("large.csv");
    std::string grid = test::cp932("ﾃﾞｰﾀ形式,1\r\nKelvra ver.1.52\r\n\r\n");
    for (int c = 0; c < 200; ++c) grid += "," + std::to_string(c);
    grid += "\r\n";
    for (int r = 0; r < 200; ++r) {
        grid += std::to_string(r);
        for (int c = 0; c < 200; ++c) grid += "," + std::to_string((r * 7 + c * 13) % 50);
        grid += "\r\n";
    }
    test::writeFile(large, grid);
    for (const bool clear : {false, true}) {
        std::vector<std::string> args = {large, "-o", dir.file("large.pdf")};
        if (clear) args.insert(args.end(), {"--background", "transparent"});
        ASSERT_EQ(test::runRender(args, dir.path()).status, 0);
        const std::string pdf = test::readFile(dir.file("large.pdf"));
        EXPECT_NE(pdf.find("/Subtype /Image"), std::string::npos);
        EXPECT_EQ(pdf.find("/SMask") != std::string::npos, clear);
    }
    // EPS has no soft mask: a transparent one masks its graph image with the
    // alpha. Where ghostscript is at hand, drawn over a blue page it is the
    // white EPS wherever that is not white, and blue wherever that is.
    for (const char* name : {"white.eps", "clear.eps"}) {
        std::vector<std::string> args = {large, "-o", dir.file(name)};
        if (name[0] == 'c') args.insert(args.end(), {"--background", "transparent"});
        ASSERT_EQ(test::runRender(args, dir.path()).status, 0);
        EXPECT_EQ(test::readFile(dir.file(name)).find("/ImageType 3") != std::string::npos, name[0] == 'c');
    }
    if (std::system("gs -v > /dev/null 2>&1") != 0) return;
    for (const char* name : {"white.eps", "clear.eps"}) {
        const std::string command = "gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=png16m -dEPSCrop -r72 -sOutputFile=" +
                                    dir.file(name) + ".png -c '<< /BeginPage { 0 0.6 0.8 setrgbcolor clippath fill } "
                                    ">> setpagedevice' -f " + dir.file(name) + " > /dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }
    const test::Decoded white = test::decode(test::readFile(dir.file("white.eps.png")));
    const test::Decoded clear = test::decode(test::readFile(dir.file("clear.eps.png")));
    ASSERT_EQ(clear.rgb.size(), white.rgb.size());
    long wrong = 0;
    for (std::size_t i = 0; i < white.rgb.size(); i += 3) {
        const unsigned char *t = &clear.rgb[i], *w = &white.rgb[i];
        const bool blue = t[0] == 0 && t[1] == 153 && t[2] == 204, blank = w[0] == 255 && w[1] == 255 && w[2] == 255;
        wrong += blue != blank || (!blue && !std::equal(t, t + 3, w));
    }
    EXPECT_EQ(wrong, 0);
}

TEST(PictureFiles, SameBytesEveryRunUnderSourceDateEpoch) {
    test::ScratchDir dir;
    const std::string surface = test::sourcePath("examples/surface.csv");
    for (const char* name : {"a.png", "a.jpg", "a.bmp", "a.svg", "a.pdf", "a.eps"}) {
        SCOPED_TRACE(name);
        std::string first;
        for (int run = 0; run < 2; ++run) {
            // A second apart, so that a clock in the file would show.
            if (run == 1) usleep(1100 * 1000);
            test::RenderRun r = test::runRender({surface, "-o", dir.file(name)}, dir.path(), "", {"SOURCE_DATE_EPOCH=1700000000"});
            if (r.noGl()) GTEST_SKIP() << r.err;
            ASSERT_EQ(r.status, 0) << r.err;
            if (run == 0) first = test::readFile(dir.file(name));
            else EXPECT_TRUE(first == test::readFile(dir.file(name)));
        }
    }
    // The date is the epoch's: 2023-11-14 22:13:20 UTC.
    EXPECT_NE(test::readFile(dir.file("a.pdf")).find("/CreationDate (D:20231114221320)"), std::string::npos);
    EXPECT_NE(test::readFile(dir.file("a.eps")).find("%%CreationDate: Tue Nov 14 22:13:20 2023"), std::string::npos);
    const std::string png = test::readFile(dir.file("a.png"));
    const std::size_t time = png.find("tIME");
    ASSERT_NE(time, std::string::npos);
    EXPECT_EQ(png.substr(time + 4, 7), std::string("\x07\xE7\x0B\x0E\x16\x0D\x14", 7));
}

TEST(PictureFiles, CarryTheSentenceThatDescribesThemAndTheirResolution) {
    test::ScratchDir dir;
    const std::string surface = test::sourcePath("examples/surface.csv");
    for (const char* name : {"a.png", "a.jpg", "a.svg", "a.pdf", "a.eps", "a.bmp"}) {
        test::RenderRun r = test::runRender({surface, "--dpi", "300", "-o", dir.file(name)}, dir.path());
        if (r.noGl()) GTEST_SKIP() << r.err;
        ASSERT_EQ(r.status, 0) << r.err;
    }
    const std::string sentence = "X は -2 から 2、Y は -2 から 2、Z は";
    for (const char* name : {"a.png", "a.jpg", "a.svg", "a.eps"})
        EXPECT_NE(test::readFile(dir.file(name)).find(sentence), std::string::npos) << name;
    EXPECT_NE(test::readFile(dir.file("a.svg")).find("<desc>等高線1(ｶﾗｰ) のグラフ。"), std::string::npos);
    // PDF: the Subject in UTF-16, "X は" = 0058 0020 306F; the cross-reference still right.
    const std::string pdf = test::readFile(dir.file("a.pdf"));
    EXPECT_NE(pdf.find("/Subject <FEFF"), std::string::npos);
    EXPECT_NE(pdf.find("00580020306F"), std::string::npos);
    const std::size_t start = pdf.rfind("startxref\n");
    ASSERT_NE(start, std::string::npos);
    EXPECT_EQ(pdf.substr(std::size_t(std::atol(pdf.c_str() + start + 10)), 4), "xref");
    // 300 dpi: 11811 pixels a metre in PNG pHYs and BMP; 300 in the JFIF header.
    const std::string png = test::readFile(dir.file("a.png"));
    const std::size_t phys = png.find("pHYs");
    ASSERT_NE(phys, std::string::npos);
    EXPECT_EQ(png.substr(phys + 4, 9), std::string("\x00\x00\x2E\x23\x00\x00\x2E\x23\x01", 9));
    const std::string bmp = test::readFile(dir.file("a.bmp"));
    EXPECT_EQ(bmp.substr(38, 4), std::string("\x23\x2E\x00\x00", 4));
    const std::string jpeg = test::readFile(dir.file("a.jpg"));
    EXPECT_EQ(jpeg.substr(13, 5), std::string("\x01\x01\x2C\x01\x2C", 5));
}

// The findings of the robustness round, each drawn whole within the bounds:
// 50 MB, and the graph as an image with the note on stderr where vectors
// would not fit.
TEST(BoundedVectorPicture, BarsAndLongTitlesStayWithinTheBounds) {
    test::ScratchDir dir;
    std::string scattered = test::cp932("ﾃﾞｰﾀ形式,2\r\nKelvra ver.1.52\r\n\r\n");
    unsigned seed = 7;
    const auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 8 & 0xFFFF; };
    for (int p = 0, row = 0; p < 2000; ++row)
        for (int k = 5 + next() % 30; k > 0 && p < 2000; --k, ++p)
            scattered += std::to_string(next() % 10000 / 100.0) + "," + std::to_string(row) + "," +
                         std::to_string(next() % 1000 / 100.0 - 5) + "\r\n";
    test::writeFile(dir.file("scattered.csv"), scattered);
    std::string grid = test::cp932("ﾃﾞｰﾀ形式,1\r\nKelvra ver.1.52\r\n\r\n");
    for (int c = 0; c < 30; ++c) grid += "," + std::to_string(c);
    grid += "\r\n";
    for (int r = 0; r < 30; ++r) {
        grid += std::to_string(r);
        for (int c = 0; c < 30; ++c) grid += "," + std::to_string(std::sin(c / 5.0) * std::cos(r / 4.0));
        grid += "\r\n";
    }
    test::writeFile(dir.file("grid.csv"), grid);
    std::string title;
    for (int i = 0; i < 60000; ++i) title += "あいうAB";
    test::writeFile(dir.file("title.txt"), test::cp932("Kelvra ver.1.52 設定ファイル\r\n\r\n[グラフタイトル]\r\n タイトル = " + title + "\r\n"));
    const std::string note = cp932ToUtf8(sj(kGraphAsImageNote));
    const struct {
        std::vector<std::string> args;
        bool asImage;
    } cases[] = {
        {{dir.file("scattered.csv"), "--set", "グラフの設定.種類=3", "-o", dir.file("bars.pdf")}, true},
        {{dir.file("scattered.csv"), "--set", "グラフの設定.種類=3", "-o", dir.file("bars.svg")}, true},
        {{dir.file("grid.csv"), "--set", "グラフの設定.種類=19", "--set", "グラフの設定.表示方法=1", "-o", dir.file("bars2d.svg")}, true},
        {{dir.file("grid.csv"), "-s", dir.file("title.txt"), "-o", dir.file("title.pdf")}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        test::RenderRun r = test::runRender(c.args, dir.path());
        if (r.noGl()) GTEST_SKIP() << r.err;
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err.find(note) != std::string::npos, c.asImage) << r.err;
        EXPECT_LT(test::readFile(c.args.back()).size(), kMaxVectorPictureBytes);
    }
}

}  // namespace
}  // namespace kelvra
