// A picture of the scene as the output commands take it: drawn at a given
// pixel size into a framebuffer target of its own (render/framebufferTarget.h)
// in the current GL context, and read back as an ImageBuffer.
//
// Every picture the program saves or hands on is made by
// CKelvraView::renderPicture: the image save of the desktop program, launch
// files in both programs, kelvra-render's --output, and the clipboard copy and
// printing (app/gui). It draws nothing into the window and leaves the GL state it found
// (framebuffer, draw and read buffers, viewport, projection) and the settings
// record as they were.
#pragma once

#include <cmath>
#include <optional>

#include "base/viewHost.h"

namespace kelvra {

inline constexpr double kMinPictureScale = 1.0;
inline constexpr double kMaxPictureScale = 8.0;
inline constexpr double kWindowDpi = 96.0;   // what a window's pixel is taken for when a dpi is asked
inline constexpr double kDefaultVectorImageScale = 300.0 / kWindowDpi;

struct PictureRequest {
    PixelSize size;   // pixels of the picture; the camera shows as much of the world as a window of that size
    // Window-anchored overlays (the axis indicator at the lower left, the
    // legend at the right) are laid out for a main frame of this outer size
    // while the picture is drawn. Unset: as they are laid out for the window.
    std::optional<PixelSize> layoutFrame;
    bool pickMarkers = true;   // false leaves the pick markers out (clipboard copy, printing)
    // The picture `scale` times `size` (1..8 for a factor, fractions allowed;
    // whatever gives A4's width for a dpi choice, past 8 for a narrow window
    // and drawn in tiles) with the layout of `size`: every line width, point
    // size, text, legend cell, offset and margin is `scale` times as large,
    // so that shrunk back by `scale` it is the picture of `size`.
    double scale = 1.0;
    // The scale of the graph's image inside a vector picture whose graph is
    // too large for vectors: 300 dpi for a picture whose pixels are taken as
    // 96 dpi, unless the user asked for another.
    double vectorImageScale = kDefaultVectorImageScale;
    // Alpha 0 wherever nothing is drawn: PNG in RGBA, vector pictures without
    // their white background. Nothing drawn is blended, so every other pixel
    // has alpha 1 and the colour it has on white.
    bool transparent = false;
    // The largest tile drawn at once; 0: the largest the driver takes. Larger
    // pictures are drawn tile by tile and put together.
    int tileSide = 0;
    // The resolution the image file records (PNG pHYs, JPEG density, BMP);
    // 0 when it is not known.
    double dotsPerInch = 0;
};

// Pixels of the picture a request asks for: its size times its scale, rounded.
PixelSize pictureSize(const PictureRequest& request);

// The 倍率 choices of the desktop program's image save: a factor, or the
// width of an A4 page (210 mm) at a resolution, which the file then records.
struct PictureScaleChoice {
    const char* label;      // UTF-8
    double scale;           // 0: A4's width at dotsPerInch
    double dotsPerInch;     // 0: not recorded
};
inline constexpr PictureScaleChoice kPictureScaleChoices[] = {
    {"1倍", 1, 0}, {"2倍", 2, 0}, {"3倍", 3, 0}, {"4倍", 4, 0},
    {"300 dpi (A4の幅)", 0, 300}, {"600 dpi (A4の幅)", 0, 600},
};
inline constexpr double kA4WidthInches = 210.0 / 25.4;
// A4's width in pixels at a resolution: 2480 at 300 dpi, 4961 at 600.
inline double a4WidthPixels(double dotsPerInch) { return std::round(kA4WidthInches * dotsPerInch); }

// What a choice asks of a picture of the window at `client` size: the scale
// (a factor held to 1..8; for a dpi, A4's width whatever the window's width,
// as far as kMaxPictureSide allows), the resolution recorded, the image of a
// vector picture at the same resolution (a factor as it is; a dpi as that
// many dots for each 96 of the window's pixels).
PictureRequest chosenPicture(PixelSize client, const PictureScaleChoice& choice, bool transparent);

// The picture of what the window shows, at its client size.
inline PictureRequest shownPicture(PixelSize clientSize) { return {clientSize, std::nullopt, true}; }

// A picture of another size, with the anchored overlays placed as in a window
// whose frame is that size, and no pick markers.
inline PictureRequest resizedPicture(PixelSize size) { return {size, size, false}; }

// The picture handed to another program (the clipboard copy, a printed page):
// what the window shows at its client size, without the pick markers, which
// mark the user's choice on the screen and are not part of the graph.
inline PictureRequest copiedPicture(PixelSize clientSize) { return {clientSize, std::nullopt, false}; }

}  // namespace kelvra
