// Lines in window coordinates and the parts of them that a depth image leaves
// visible. A vector picture whose graph is embedded as an image keeps the
// scale frame as lines; the parts of the frame the graph hides in the raster
// picture are cut out of them here, by the depth test the raster picture made.
#pragma once

#include <functional>
#include <vector>

namespace kelvra {

// A line as GL feedback returns it: window x, y (pixels from the lower-left
// corner), window depth 0..1, and the colour of its first end.
struct ScreenLine {
    float x0 = 0, y0 = 0, z0 = 0;
    float x1 = 0, y1 = 0, z1 = 0;
    float r = 0, g = 0, b = 0;
};

// Window depth per pixel, rows bottom-up as glReadPixels gives them; 1.0 where
// nothing was drawn.
struct DepthImage {
    int width = 0, height = 0;
    std::vector<float> depth;
    float at(int x, int y) const { return depth[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
};

// The lines draw() sends to the rasteriser, from GL feedback with the current
// viewport and matrices. Points, polygons and bitmaps are left out.
std::vector<ScreenLine> captureLines(const std::function<void()>& draw);

// The parts of each line that pass the depth test GL_LESS against `depth`,
// found pixel by pixel along the line. A part runs to halfway between its last
// visible pixel and the first hidden one; parts outside the image are kept
// (nothing hides them there).
std::vector<ScreenLine> visibleParts(const std::vector<ScreenLine>& lines, const DepthImage& depth);

}  // namespace kelvra
