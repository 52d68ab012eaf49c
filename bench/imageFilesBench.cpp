// Encoding time of the image writers on a rendered picture.
//
//   kelvra-image-files-bench [DATA_FILE [SETTINGS_FILE]]
//
// Draws the data file (default examples/surface.csv with
// examples/surface-settings.txt, run from the source tree) as kelvra-render
// draws its pictures: 775x550, the same at 3x (2325x1650) and A4 at 600 dpi
// (7016x4961) in an off-screen context, then times encodePng (on every core
// and with KELVRA_THREADS=1), encodeJpeg and encodeBmp (best and median of 7
// runs, 3 for A4). For the PNG filter choice it also times libpng at level 9
// with every filter allowed against unfiltered rows, on the same picture.
#include <png.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/render/offscreenContext.h"
#include "base/headlessHost.h"
#include "output/imageFiles.h"
#include "output/picture.h"
#include "view/kelvraView.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Timing {
    double best, median;
};

Timing timeIt(const std::function<void()>& f, int runs = 7) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        auto t0 = Clock::now();
        f();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    return {ms.front(), ms[ms.size() / 2]};
}

void append(png_structp png, png_bytep data, png_size_t n) {
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<char*>(data), n);
}
void noFlush(png_structp) {}

// libpng at level 9 with the given filters, rows only: the filter comparison.
size_t plainPng(const kelvra::ImageBuffer& image, int filters) {
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, append, noFlush);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, filters);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, image.width, image.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<unsigned char> row(size_t(image.width) * 3);
    for (int y = image.height - 1; y >= 0; --y) {
        const unsigned char* src = &image.pixels[size_t(y) * image.width * 4];
        for (int x = 0; x < image.width; ++x)
            for (int c = 0; c < 3; ++c) row[size_t(x) * 3 + c] = src[size_t(x) * 4 + c];
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out.size();
}

}  // namespace

int main(int argc, char** argv) {
    std::string data = argc > 1 ? argv[1] : "examples/surface.csv";
    std::string settings = argc > 2 ? argv[2] : (argc > 1 ? "" : "examples/surface-settings.txt");
    kelvra::OffscreenContext gl;
    std::string error;
    if (!gl.create(&error)) {
        std::fprintf(stderr, "no off-screen GL context: %s\n", error.c_str());
        return 1;
    }
    struct Size {
        int width, height;
        double scale, dotsPerInch;
        int runs;
    } const sizes[] = {{775, 550, 1, 0, 7}, {775, 550, 3, 0, 7}, {1123, 794, 7016.0 / 1123, 600, 3}};
    for (const Size& size : sizes) {
        kelvra::HeadlessHost host({size.width, size.height});
        kelvra::CKelvraView view(host);
        view.initGlState();
        if (!view.loadDataFile(data, false)) return 1;
        if (!settings.empty()) view.loadSettingsFile(settings);
        kelvra::PictureRequest request = kelvra::shownPicture({size.width, size.height});
        request.scale = size.scale;
        request.dotsPerInch = size.dotsPerInch;
        std::optional<kelvra::ImageBuffer> drawn = view.renderPicture(request);
        if (!drawn) {
            std::fprintf(stderr, "%dx%d at %g: not drawn\n", size.width, size.height, size.scale);
            return 1;
        }
        const kelvra::ImageBuffer& image = *drawn;
        const int runs = size.runs;
        std::string bytes;
        Timing png = timeIt([&] { kelvra::encodePng(image, "bench.png", &bytes); }, runs);
        size_t pngSize = bytes.size();
        setenv("KELVRA_THREADS", "1", 1);
        Timing pngOne = timeIt([&] { kelvra::encodePng(image, "bench.png", &bytes); }, runs);
        unsetenv("KELVRA_THREADS");
        Timing jpeg = timeIt([&] { kelvra::encodeJpeg(image, 90, &bytes); }, runs);
        size_t jpegSize = bytes.size();
        Timing bmp = timeIt([&] { kelvra::encodeBmp(image, &bytes); }, runs);
        size_t allSize = 0, noneSize = 0;
        Timing all = timeIt([&] { allSize = plainPng(image, PNG_ALL_FILTERS); }, runs);
        Timing none = timeIt([&] { noneSize = plainPng(image, PNG_FILTER_NONE); }, runs);

        std::printf("%dx%d (ms, best / median of %d)\n", image.width, image.height, runs);
        std::printf("  encodePng       %7.1f / %7.1f   %8zu bytes\n", png.best, png.median, pngSize);
        std::printf("  encodePng, 1 thread %7.1f / %7.1f\n", pngOne.best, pngOne.median);
        std::printf("  encodeJpeg q90  %7.1f / %7.1f   %8zu bytes\n", jpeg.best, jpeg.median, jpegSize);
        std::printf("  encodeBmp       %7.1f / %7.1f   %8zu bytes\n", bmp.best, bmp.median, bytes.size());
        std::printf("  libpng level 9, all filters  %7.1f / %7.1f   %8zu bytes\n", all.best, all.median, allSize);
        std::printf("  libpng level 9, no filter    %7.1f / %7.1f   %8zu bytes\n", none.best, none.median, noneSize);
        std::fflush(stdout);
        view.destroyGlLists();
    }
    return 0;
}
