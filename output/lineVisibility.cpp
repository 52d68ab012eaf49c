// Lines from GL feedback and their visible parts (see lineVisibility.h).
#include "output/lineVisibility.h"

#include <algorithm>
#include <cmath>

#include "output/feedback.h"

namespace kelvra {
namespace {

// A scale frame is at most a few thousand lines (its tick count is bounded)
// plus a bitmap per label, far below this.
constexpr std::size_t kLargestBuffer = std::size_t(1) << 24;
// Lines lying on the surface that hides them (a frame edge along the rim of a
// floor projection) tie with it in depth; the rasteriser's rounding decides
// such ties pixel by pixel, which would cut the line into dashes.
constexpr float kDepthTie = 1e-5f;

bool hiddenAt(const DepthImage& depth, float x, float y, float z) {
    if (!(x >= 0 && y >= 0)) return false;
    const int px = int(x), py = int(y);
    if (px >= depth.width || py >= depth.height) return false;
    return z > depth.at(px, py) + kDepthTie;
}

ScreenLine part(const ScreenLine& l, double t0, double t1) {
    auto lerp = [](float a, float b, double t) { return float(a + (b - a) * t); };
    return {lerp(l.x0, l.x1, t0), lerp(l.y0, l.y1, t0), lerp(l.z0, l.z1, t0),
            lerp(l.x0, l.x1, t1), lerp(l.y0, l.y1, t1), lerp(l.z0, l.z1, t1),
            l.r, l.g, l.b};
}

}  // namespace

std::vector<ScreenLine> captureLines(const std::function<void()>& draw) {
    const FeedbackPrimitives f = captureFeedback(draw, true, std::size_t(1) << 16, kLargestBuffer);
    std::vector<ScreenLine> lines;
    std::size_t vertex = 0;
    for (int count : f.counts) {
        if (count == 2) {
            const float* a = f.xyz.data() + 3 * vertex;
            const float* colour = f.rgb.data() + 3 * vertex;
            lines.push_back({a[0], a[1], a[2], a[3], a[4], a[5], colour[0], colour[1], colour[2]});
        }
        vertex += std::size_t(count);
    }
    return lines;
}

std::vector<ScreenLine> visibleParts(const std::vector<ScreenLine>& lines, const DepthImage& depth) {
    std::vector<ScreenLine> parts;
    for (const ScreenLine& l : lines) {
        // One sample at the middle of each pixel-long step along the line.
        const double length = std::hypot(double(l.x1) - l.x0, double(l.y1) - l.y0);
        if (!std::isfinite(length)) continue;
        const int steps = std::max(1, int(std::ceil(length)));
        int runStart = -1;
        for (int i = 0; i <= steps; ++i) {
            bool visible = false;
            if (i < steps) {
                const double t = (i + 0.5) / steps;
                const ScreenLine at = part(l, t, t);
                visible = !hiddenAt(depth, at.x0, at.y0, at.z0);
            }
            if (visible && runStart < 0) runStart = i;
            if (!visible && runStart >= 0) {
                parts.push_back(part(l, double(runStart) / steps, double(i) / steps));
                runStart = -1;
            }
        }
    }
    return parts;
}

}  // namespace kelvra
