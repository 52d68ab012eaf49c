// The depth sort's cuts, estimated before it runs (see sortSplits.h).
//
// The planes are GL2PS's: a polygon's own plane, for a line the plane through
// it along the view direction, for a point the plane of its depth; a primitive
// is cut when its vertices lie farther than GL2PS's tolerance on both sides.
#include "output/sortSplits.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "output/feedback.h"

namespace kelvra {
namespace {

constexpr int kVertexFloats = 3;   // x, y, z
// The sort tries this many primitives for a root and keeps the one that cuts
// fewest, at every node.
constexpr int kRootCandidates = 10;
// Levels of the sort counted before the rest is estimated, and the most
// plane tests spent on them: a sort that takes more than this at its top is
// too large for vectors anyway.
constexpr int kLevels = 7;
constexpr long long kMostWork = 40'000'000;
// GL2PS's tolerance for a vertex on a plane, in window coordinates.
constexpr double kOnPlane = 5e-3;
// A graph of at most the primitive limit fits in far less than this.
constexpr std::size_t kLargestBuffer = std::size_t(1) << 25;

struct Plane {
    double a = 0, b = 0, c = 0, d = 0;
    bool valid = false;
};

const float* vertexAt(const std::vector<float>& v, std::size_t index) { return v.data() + index * kVertexFloats; }

Plane planeOf(const std::vector<float>& v, std::size_t first, int count) {
    const float* p = vertexAt(v, first);
    double a = 0, b = 0, c = 0;
    if (count >= 3) {
        // Newell's normal: any polygon, with collinear vertices too.
        for (int i = 0; i < count; ++i) {
            const float* s = vertexAt(v, first + i);
            const float* t = vertexAt(v, first + (i + 1) % count);
            a += (double(s[1]) - t[1]) * (double(s[2]) + t[2]);
            b += (double(s[2]) - t[2]) * (double(s[0]) + t[0]);
            c += (double(s[0]) - t[0]) * (double(s[1]) + t[1]);
        }
    } else if (count == 2) {
        const float* q = vertexAt(v, first + 1);
        a = double(q[1]) - p[1];
        b = -(double(q[0]) - p[0]);
    } else {
        c = 1;
    }
    const double length = std::sqrt(a * a + b * b + c * c);
    if (!(length > 0) || !std::isfinite(length)) return {};
    a /= length, b /= length, c /= length;
    return {a, b, c, -(a * p[0] + b * p[1] + c * p[2]), true};
}

// Which sides of the plane a primitive has vertices on: 1 front, 2 back, 3
// both (it is cut), 0 on the plane.
int sideOf(const Plane& plane, const std::vector<float>& v, std::size_t first, int count) {
    int sides = 0;
    for (int i = 0; i < count; ++i) {
        const float* p = vertexAt(v, first + i);
        const double side = plane.a * p[0] + plane.b * p[1] + plane.c * p[2] + plane.d;
        if (side > kOnPlane) sides |= 1;
        if (side < -kOnPlane) sides |= 2;
    }
    return sides;
}

}  // namespace

SplitMeasure measureSplits(const std::vector<float>& vertices, const std::vector<int>& counts) {
    SplitMeasure m;
    m.measured = true;
    m.primitives = (long long)counts.size();
    std::vector<std::size_t> firsts(counts.size());
    for (std::size_t i = 1; i < counts.size(); ++i) firsts[i] = firsts[i - 1] + std::size_t(counts[i - 1]);
    // The sort's first levels as it makes them, a primitive lying across a
    // node's plane going to both sides (as its two pieces do), in order.
    std::vector<std::vector<std::size_t>> nodes(1);
    for (std::size_t i = 0; i < counts.size(); ++i) nodes[0].push_back(i);
    std::vector<double> levelCuts;
    long long work = 0;
    for (int level = 0; level < kLevels && !nodes.empty(); ++level) {
        std::vector<std::vector<std::size_t>> next;
        double cut = 0;
        for (const std::vector<std::size_t>& node : nodes) {
            if (node.size() < 2) continue;
            Plane best;
            long long fewest = -1;
            for (std::size_t k = 0; k < std::min<std::size_t>(node.size(), kRootCandidates); ++k) {
                const Plane plane = planeOf(vertices, firsts[node[k]], counts[node[k]]);
                if (!plane.valid) continue;
                long long n = 0;
                for (std::size_t i : node)
                    if (counts[i] > 1 && sideOf(plane, vertices, firsts[i], counts[i]) == 3) ++n;
                work += (long long)node.size();
                if (fewest < 0 || n < fewest) fewest = n, best = plane;
                if (fewest == 0) break;
            }
            if (fewest < 0) continue;
            cut += double(fewest);
            std::vector<std::size_t> front, back;
            for (std::size_t i : node) {
                const int side = sideOf(best, vertices, firsts[i], counts[i]);
                if (side & 1) front.push_back(i);
                if (side & 2) back.push_back(i);
            }
            work += (long long)node.size();
            if (!front.empty()) next.push_back(std::move(front));
            if (!back.empty()) next.push_back(std::move(back));
        }
        levelCuts.push_back(cut);
        m.cutsAtRoot = levelCuts.front();
        if (work > kMostWork) {
            m.overBudget = true;
            break;
        }
        nodes = std::move(next);
    }
    // The levels below, as many as a balanced tree has, cut as many more for
    // each level as the last level cut more than the one before: twice (every
    // node cuts as much as its parent: long lines across many planes) at most,
    // about 1.4 for a surface.
    double total = 0;
    for (double c : levelCuts) total += c;
    const int depth = int(std::ceil(std::log2(double(std::max<std::size_t>(2, counts.size())))));
    if (levelCuts.size() >= 2 && levelCuts.back() > 0) {
        const double a = levelCuts[levelCuts.size() - 2], b = levelCuts.back();
        const double growth = std::clamp(a > 0 ? b / a : 2.0, 1.0, 2.0);
        double c = b;
        for (int level = int(levelCuts.size()); level < depth; ++level) total += (c *= growth);
    }
    m.cuts = total;
    return m;
}

SplitMeasure measureSplits(const std::function<void()>& draw, long long expectedPrimitives) {
    const std::size_t first = std::size_t(std::max(0LL, expectedPrimitives)) * 16 + 4096;
    const FeedbackPrimitives f = captureFeedback(draw, false, std::max<std::size_t>(first, 1 << 16), kLargestBuffer);
    if (!f.complete) return {};
    return measureSplits(f.xyz, f.counts);
}

}  // namespace kelvra
