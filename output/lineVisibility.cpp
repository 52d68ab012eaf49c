// Lines from GL feedback and their visible parts (see lineVisibility.h).
#include "output/lineVisibility.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace kelvra {
namespace {

constexpr int kVertexFloats = 7;   // GL_3D_COLOR in RGBA mode: x, y, z, r, g, b, a
// A scale frame is at most a few thousand lines (its tick count is bounded)
// plus a bitmap per label, far below this.
constexpr std::size_t kLargestBuffer = std::size_t(1) << 24;
// Lines lying on the surface that hides them (a frame edge along the rim of a
// floor projection) tie with it in depth; the rasteriser's rounding decides
// such ties pixel by pixel, which would cut the line into dashes.
constexpr float kDepthTie = 1e-5f;

std::vector<ScreenLine> parseFeedback(const std::vector<GLfloat>& buffer, GLint used) {
    std::vector<ScreenLine> lines;
    const GLfloat* p = buffer.data();
    const GLfloat* end = p + used;
    while (p < end) {
        const GLint token = GLint(*p++);
        switch (token) {
            case GL_LINE_TOKEN:
            case GL_LINE_RESET_TOKEN:
                if (end - p < 2 * kVertexFloats) return lines;
                lines.push_back({p[0], p[1], p[2], p[7], p[8], p[9], p[3], p[4], p[5]});
                p += 2 * kVertexFloats;
                break;
            case GL_POLYGON_TOKEN: {
                if (p >= end) return lines;
                const GLint n = GLint(*p++);
                p += std::ptrdiff_t(n) * kVertexFloats;
                break;
            }
            case GL_POINT_TOKEN:
            case GL_BITMAP_TOKEN:
            case GL_DRAW_PIXEL_TOKEN:
            case GL_COPY_PIXEL_TOKEN: p += kVertexFloats; break;
            case GL_PASS_THROUGH_TOKEN: p += 1; break;
            default: return lines;   // not feedback of this layout
        }
    }
    return lines;
}

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
    std::vector<GLfloat> buffer(std::size_t(1) << 16);
    for (;;) {
        glFeedbackBuffer(GLsizei(buffer.size()), GL_3D_COLOR, buffer.data());
        glRenderMode(GL_FEEDBACK);
        draw();
        const GLint used = glRenderMode(GL_RENDER);
        if (used >= 0) return parseFeedback(buffer, used);
        if (buffer.size() >= kLargestBuffer) return {};
        buffer.resize(buffer.size() * 4);
    }
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
