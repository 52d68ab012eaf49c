// GL feedback read back as primitives (see feedback.h).
#include "output/feedback.h"

#include <GL/gl.h>

#include <algorithm>

namespace kelvra {
namespace {

// Walks the buffer of GL_3D (x, y, z) or GL_3D_COLOR in RGBA mode (x, y, z,
// r, g, b, a) feedback; false where a token is not of this layout.
bool readPrimitives(const std::vector<GLfloat>& buffer, GLint used, bool withColour, FeedbackPrimitives& out) {
    const std::ptrdiff_t stride = withColour ? 7 : 3;
    const GLfloat* p = buffer.data();
    const GLfloat* end = p + used;
    const auto take = [&](GLint n) {
        if (n < 1 || end - p < n * stride) return false;
        for (GLint v = 0; v < n; ++v, p += stride) {
            out.xyz.insert(out.xyz.end(), p, p + 3);
            if (withColour) out.rgb.insert(out.rgb.end(), p + 3, p + 6);
        }
        out.counts.push_back(n);
        return true;
    };
    while (p < end) {
        switch (GLint(*p++)) {
            case GL_POINT_TOKEN:
                if (!take(1)) return false;
                break;
            case GL_LINE_TOKEN:
            case GL_LINE_RESET_TOKEN:
                if (!take(2)) return false;
                break;
            case GL_POLYGON_TOKEN:
                if (p >= end || !take(GLint(*p++))) return false;
                break;
            case GL_BITMAP_TOKEN:
            case GL_DRAW_PIXEL_TOKEN:
            case GL_COPY_PIXEL_TOKEN: p += stride; break;
            case GL_PASS_THROUGH_TOKEN: p += 1; break;
            default: return false;
        }
    }
    return true;
}

}  // namespace

FeedbackPrimitives captureFeedback(const std::function<void()>& draw, bool withColour, std::size_t firstFloats,
                                   std::size_t largestFloats) {
    std::vector<GLfloat> buffer(std::min(firstFloats, largestFloats));
    for (;;) {
        glFeedbackBuffer(GLsizei(buffer.size()), withColour ? GL_3D_COLOR : GL_3D, buffer.data());
        glRenderMode(GL_FEEDBACK);
        draw();
        const GLint used = glRenderMode(GL_RENDER);
        if (used >= 0) {
            FeedbackPrimitives out;
            out.complete = readPrimitives(buffer, used, withColour, out);
            return out;
        }
        if (buffer.size() >= largestFloats) return {};
        buffer.resize(std::min(buffer.size() * 2, largestFloats));
    }
}

}  // namespace kelvra
