// Build time of the glyph lists, which are rebuilt on every zoom change.
//
//   kelvra-glyph-lists-bench
//
// Times, in an off-screen context: the first build of all seven roles (font
// lookup and face opening included), a zoom step to a size not seen before
// (four roles rasterised anew), a zoom step back and forth between two sizes
// (glyphs from the cache, lists compiled again), a change of the title to a
// Japanese outline face, and drawing a mixed 40-byte label.
#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/render/offscreenContext.h"
#include "base/cp932.h"
#include "base/headlessHost.h"
#include "view/kelvraView.h"
#include "render/text.h"

namespace {

using Clock = std::chrono::steady_clock;

double ms(Clock::time_point t0) { return std::chrono::duration<double, std::milli>(Clock::now() - t0).count(); }

void report(const char* what, std::vector<double> v) {
    std::sort(v.begin(), v.end());
    std::printf("  %-44s best %6.2f ms, median %6.2f ms (%zu runs)\n", what, v.front(), v[v.size() / 2], v.size());
}

}  // namespace

int main() {
    kelvra::OffscreenContext gl;
    std::string error;
    if (!gl.create(&error) || !gl.setSize(800, 600, &error)) {
        std::fprintf(stderr, "no off-screen GL context: %s\n", error.c_str());
        return 1;
    }
    kelvra::HeadlessHost host({800, 600});
    kelvra::CKelvraView view(host);

    auto t0 = Clock::now();
    view.buildGlyphLists();
    std::printf("glyph lists, 7 roles x 256 (+ font lookup on first use)\n");
    std::printf("  %-44s %6.2f ms\n", "first build", ms(t0));

    std::vector<double> fresh, cached, outline, draw;
    for (int i = 0; i < 20; ++i) {
        view.settings.viewZoom = 101 + i * 7;   // a size not built before
        t0 = Clock::now();
        view.buildGlyphLists();
        fresh.push_back(ms(t0));
    }
    for (int i = 0; i < 20; ++i) {
        view.settings.viewZoom = i % 2 ? 100 : 125;
        t0 = Clock::now();
        view.buildGlyphLists();
        cached.push_back(ms(t0));
    }
    for (int i = 0; i < 10; ++i) {
        view.settings.fontFace[kelvra::RoleTitle] = i % 2 ? 0 : 1;   // IPAPGothic and IPAPMincho outlines
        t0 = Clock::now();
        view.buildGlyphLists();
        outline.push_back(ms(t0));
    }
    view.resizeViewport(800, 600);
    const std::string label = kelvra::sj("温度[℃] ﾃﾞｰﾀ X=1.25e+03 -4.591");
    for (int i = 0; i < 50; ++i) {
        glClear(GL_COLOR_BUFFER_BIT);
        t0 = Clock::now();
        for (int k = 0; k < 100; ++k) {
            kelvra::textRasterPos(-1.5, 1.0 - k * 0.02, 0);
            view.lists.glyphs->draw(label, kelvra::RoleScaleValue);
        }
        glFinish();
        draw.push_back(ms(t0));
    }
    report("zoom step to a new size (4 roles)", fresh);
    report("zoom step between two sizes (4 roles)", cached);
    report("title face change (256 outline glyphs)", outline);
    report("100 labels of 40 bytes, drawn and finished", draw);
    view.destroyGlLists();
    return 0;
}
