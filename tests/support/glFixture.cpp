#include "support/glFixture.h"

#include <GL/gl.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <ostream>

#include "app/render/offscreenContext.h"
#include "view/kelvraView.h"
#include "output/imageFiles.h"

namespace kelvra::test {

std::ostream& operator<<(std::ostream& os, const Pixel& p) {
    return os << "(" << p.r << ", " << p.g << ", " << p.b << ")";
}

bool ensureContext(int width, int height, std::string* why) {
    static std::unique_ptr<OffscreenContext> context;
    static bool failed = false;
    static std::string failure;
    if (failed) {
        *why = failure;
        return false;
    }
    if (!context) {
        context = std::make_unique<OffscreenContext>();
        if (!context->create(&failure)) {
            failed = true;
            failure = "no headless GL context: " + failure;
            *why = failure;
            return false;
        }
    }
    if (!context->setSize(width, height, why)) return false;
    glViewport(0, 0, width, height);
    return true;
}

Pixel pixelAt(int x, int y) {
    unsigned char rgba[4] = {0, 0, 0, 0};
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return {rgba[0], rgba[1], rgba[2]};
}

std::vector<unsigned char> readFrame(int width, int height) {
    std::vector<unsigned char> pixels(std::size_t(width) * height * 4);
    glFinish();
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

FrameComparison compareFrames(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
    FrameComparison c;
    for (std::size_t i = 0; i < a.size(); i += 4) {
        if (a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2]) ++c.differing;
        if (a[i] != 255 || a[i + 1] != 255 || a[i + 2] != 255) ++c.drawn;
    }
    return c;
}

int colourShift(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
    std::map<std::uint32_t, int> count;
    for (std::size_t i = 0; i + 3 < a.size() && i + 3 < b.size(); i += 4) {
        ++count[std::uint32_t(a[i]) << 16 | std::uint32_t(a[i + 1]) << 8 | a[i + 2]];
        --count[std::uint32_t(b[i]) << 16 | std::uint32_t(b[i + 1]) << 8 | b[i + 2]];
    }
    int shift = 0;
    for (const auto& [colour, n] : count) shift += std::abs(n);
    return shift / 2;
}

bool near(const Pixel& a, const Pixel& b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

void dumpPicture(const std::string& path) {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    ImageBuffer image;
    if (readPicture(viewport[2], viewport[3], &image)) writePngFile(path, image);
}

std::vector<FeedbackPrimitive> captureFeedback(const std::function<void()>& draw) {
    std::vector<GLfloat> buffer(1 << 22);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_3D_COLOR, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    GLint count = glRenderMode(GL_RENDER);
    std::vector<FeedbackPrimitive> out;
    if (count < 0) {
        ADD_FAILURE() << "feedback buffer overflow";
        return out;
    }
    auto readVertex = [&](GLint& i) {
        FeedbackVertex v{buffer[i], buffer[i + 1], buffer[i + 2], buffer[i + 3],
                         buffer[i + 4], buffer[i + 5], buffer[i + 6]};
        i += 7;
        return v;
    };
    for (GLint i = 0; i < count;) {
        GLint token = GLint(buffer[i++]);
        FeedbackPrimitive p{FeedbackPrimitive::Other, {}};
        switch (token) {
            case GL_POINT_TOKEN:
                p.kind = FeedbackPrimitive::Point;
                p.vertices.push_back(readVertex(i));
                break;
            case GL_LINE_TOKEN:
            case GL_LINE_RESET_TOKEN:
                p.kind = FeedbackPrimitive::Line;
                p.vertices.push_back(readVertex(i));
                p.vertices.push_back(readVertex(i));
                break;
            case GL_POLYGON_TOKEN: {
                p.kind = FeedbackPrimitive::Polygon;
                GLint n = GLint(buffer[i++]);
                for (GLint k = 0; k < n; ++k) p.vertices.push_back(readVertex(i));
                break;
            }
            case GL_BITMAP_TOKEN:
            case GL_DRAW_PIXEL_TOKEN:
            case GL_COPY_PIXEL_TOKEN:
                p.kind = FeedbackPrimitive::Bitmap;
                p.vertices.push_back(readVertex(i));
                break;
            case GL_PASS_THROUGH_TOKEN:
                i += 1;
                continue;
            default:
                ADD_FAILURE() << "unknown feedback token " << token;
                return out;
        }
        out.push_back(std::move(p));
    }
    return out;
}

void compileSquarePickMarker(double half) {
    glNewList(ListPickMarker, GL_COMPILE);
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_DEPTH_TEST);
    glColor3d(0, 0, 0);
    glRectd(-half, -half, half, half);
    glPopAttrib();
    glEndList();
}

}  // namespace kelvra::test
