// Shared helpers for tests that draw: one off-screen GL context per test
// program, a framebuffer of the size a test asks for, pixel read-back and GL
// feedback capture.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace kelvra::test {

struct Pixel {
    int r = 0, g = 0, b = 0;
    bool operator==(const Pixel&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Pixel& p);

// True when a context of width x height is current (made on first use).
// Tests call GL_TEST_REQUIRE_CONTEXT(w, h) instead, which skips when there is none.
bool ensureContext(int width, int height, std::string* why);

#define GL_TEST_REQUIRE_CONTEXT(w, h)                                        \
    do {                                                                     \
        std::string why_;                                                    \
        if (!::kelvra::test::ensureContext((w), (h), &why_)) GTEST_SKIP() << why_; \
    } while (0)

// Colour of the pixel at (x, y), origin at the bottom-left corner.
Pixel pixelAt(int x, int y);
// The whole frame of width x height, RGBA, bottom row first.
std::vector<unsigned char> readFrame(int width, int height);
// Pixels in which two frames differ, and pixels of `a` that are not white background.
struct FrameComparison {
    int differing = 0, drawn = 0;
};
FrameComparison compareFrames(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b);
// How many pixels of frame `a` would have to change colour to give frame
// `b`'s colours in the same amounts.
int colourShift(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b);
// True when every channel differs by at most `tolerance`.
bool near(const Pixel& a, const Pixel& b, int tolerance = 2);
// Writes the current picture to a PNG for looking at (ignored when it fails).
void dumpPicture(const std::string& path);
// Compiles the pick-marker list as a black square over the middle of the
// graph, `half` world units either side of its origin, in front of everything.
void compileSquarePickMarker(double half);

// Vertices passed through GL feedback mode (GL_3D_COLOR), grouped by primitive.
struct FeedbackVertex {
    float x, y, z;          // window coordinates
    float r, g, b, a;
};
struct FeedbackPrimitive {
    enum Kind { Point, Line, Polygon, Bitmap, Other } kind;
    std::vector<FeedbackVertex> vertices;
};
// Runs draw() in feedback mode and returns what reached the rasteriser.
std::vector<FeedbackPrimitive> captureFeedback(const std::function<void()>& draw);

}  // namespace kelvra::test
