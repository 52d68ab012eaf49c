// Vector pictures: SVG, PDF and EPS of the scene, for papers and slides that
// are scaled. GL2PS captures the very drawing the image files are made of
// through GL feedback (the view's scene, its lists drawn straight) and
// sorts what reaches the rasteriser back to front, so hidden parts stay hidden.
//
// What a vector picture holds:
// - the graph, scale frame, legend and axis indicator as polygons, lines and
//   points in the picture's pixel coordinates (1 px = 1 pt in PDF and EPS);
// - texts as text, at the raster positions the glyph lists would take, in the
//   role's size: SVG names the family the program drew with (and a generic
//   family after it) and holds every text in UTF-8, Japanese included. PDF and
//   EPS can only name their readers' base fonts (Helvetica, Times, Courier,
//   and the family of the same look), which have no Japanese glyphs: a text
//   that is not plain printable ASCII is drawn there as filled glyph outlines
//   of the program's own face, which shows it as on screen but is no longer
//   text. A symbol face's texts are outlines in every format.
// - a graph whose depth sort is estimated to make more than maxGraphPrimitives
//   primitives (bars and the sort's cuts counted before it runs) as one embedded image
//   at the picture's resolution (a PNG in SVG, raw RGB in PDF and EPS), cut to
//   the graph's extent, with the frame, legend, indicator and texts still as
//   vectors; the parts of the frame the graph hides are cut out of its lines.
#pragma once

#include <functional>
#include <cstddef>
#include <optional>
#include <string>

#include "base/viewHost.h"
#include "output/imageFiles.h"
#include "render/scene.h"

namespace kelvra {

class GlyphRenderer;

// Above this many primitives, as the sort will produce them, the graph of a
// vector picture is an image. The README's performance section has the
// measurements behind it.
inline constexpr long long kMaxVectorGraphPrimitives = 50000;
// Bars split one another in the sort: every face's plane can cut every other
// bar, so a bar graph's primitives count that many times over for each this
// many bars (30 x 30 bars seen from above: 21 600 primitives, 68 MB of SVG
// and 25 s as vectors; 15 x 15: 3.5 MB, 3 s).
inline constexpr long long kBarsPerSplitCopy = 30;
// Every graph's cuts are counted too (output/sortSplits.h). The limit was
// measured on smooth surfaces, which the sort makes about this many times
// their primitives; a graph counts as many times its primitives as its sort
// is estimated to make more than that.
inline constexpr double kSortedPerSmoothPrimitive = 2;
// A vector picture larger than this is made again with the graph as an image.
inline constexpr std::size_t kMaxVectorPictureBytes = 50u << 20;

// What the status bar or stderr says when the graph went in as an image (UTF-8).
inline constexpr const char kGraphAsImageNote[] =
    "ｸﾞﾗﾌの図形が多いため、ｸﾞﾗﾌは画像として書き込みました (目盛、凡例、文字はﾍﾞｸﾀｰです)。";

struct VectorPicture {
    std::string bytes;               // the whole file
    long long graphPrimitives = 0;   // what the graph sent to the rasteriser
    long long sortedPrimitives = 0;  // what the sort is estimated to make of them
    double cuts = 0;                 // what the sort is estimated to cut (0 when not measured)
    bool graphAsImage = false;
};

// What the depth sort is estimated to make of a graph of `primitives` that
// draws `bars` bars and whose sort is estimated to cut `cutsPerPrimitive`
// times its primitives, in primitives of a smooth surface (what the limit
// counts).
long long estimatedSortOutput(long long primitives, long long bars, double cutsPerPrimitive = 0);

// What a vector picture is made of: the scene's parts drawn into the current
// framebuffer on demand (under the picture's camera, which the caller set),
// the glyph renderer whose texts the picture captures, the title its header
// names (CP932), the graph alone as an image at the resolution asked for
// (for a graph too large for vectors; the caller's camera and framebuffer
// come back unchanged), the sentence that describes the picture (UTF-8) and
// whether the page has no background.
struct VectorScene {
    std::function<void(const SceneDraw&)> draw;
    GlyphRenderer& glyphs;
    std::string title;
    std::function<std::optional<ImageBuffer>()> graphImage;
    std::string description;
    bool transparent = false;
    long long bars = 0;   // bars the graph draws (0 for other graph types)
};

// The vector picture of a scene of `size` pixels; a graph of more primitives
// than `maxGraphPrimitives` goes in as an image. Nothing when the format is
// not a vector format or GL2PS fails.
std::optional<VectorPicture> renderVectorPicture(const VectorScene& scene, PixelSize size, ImageFormat format,
                                                 long long maxGraphPrimitives = kMaxVectorGraphPrimitives);

}  // namespace kelvra
