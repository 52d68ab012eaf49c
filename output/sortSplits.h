// How much the depth sort of a vector picture will cut the graph, measured
// before the sort runs.
//
// GL2PS's BSP sort takes a primitive's plane as a node and cuts every other
// primitive lying across it in two, then does the same on each side. A smooth
// surface is cut little; a rough or folded surface, bars, sections crossing
// the graph cut one another far more, and the file and the sort's time grow
// with the pieces, faster than the primitives. The measure takes the graph as
// GL feedback gives it and counts the cuts of the sort's first levels as the
// sort makes them (the best of the first few primitives of a node for its
// plane), within a bounded amount of work; the cuts of the levels below are
// estimated from how the cuts grew from level to level.
#pragma once

#include <functional>
#include <vector>

namespace kelvra {

struct SplitMeasure {
    bool measured = false;     // false when the feedback did not fit
    bool overBudget = false;   // the first levels alone took more than the work allowed
    long long primitives = 0;  // polygons, lines and points in the feedback
    double cutsAtRoot = 0;     // what the root's plane cuts
    double cuts = 0;           // what the whole sort is estimated to cut
};

// Draws draw() into GL feedback (the current viewport and matrices) and
// measures it. `expectedPrimitives` sizes the buffer.
SplitMeasure measureSplits(const std::function<void()>& draw, long long expectedPrimitives);

// The same on primitives already parsed: `vertices` holds x, y, z of each
// vertex in window coordinates, `counts` the vertices of each primitive in
// order (1 a point, 2 a line, 3 or more a polygon).
SplitMeasure measureSplits(const std::vector<float>& vertices, const std::vector<int>& counts);

}  // namespace kelvra
