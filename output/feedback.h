// What draw() sends to the rasteriser, read back through GL feedback with the
// current viewport and matrices: the points, lines and polygons in window
// coordinates. The vector pictures read the scale frame's lines from it, and
// the depth sort's cuts are measured on it.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

namespace kelvra {

struct FeedbackPrimitives {
    std::vector<float> xyz;   // window x, y (pixels from the lower-left corner), depth 0..1, of every vertex
    std::vector<float> rgb;   // with colour: the colour of every vertex
    std::vector<int> counts;  // vertices of each primitive in order: 1 a point, 2 a line, 3 or more a polygon
    // False when the feedback did not fit `largestFloats` (nothing is read
    // then) or was not of this layout (what came before is kept).
    bool complete = false;
};

// The buffer starts at `firstFloats` and doubles up to `largestFloats`.
FeedbackPrimitives captureFeedback(const std::function<void()>& draw, bool withColour, std::size_t firstFloats,
                                   std::size_t largestFloats);

}  // namespace kelvra
