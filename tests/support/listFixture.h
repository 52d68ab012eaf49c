// Records for tests that compile the graph list of hand-made data (points,
// bars, vectors, sections) and look at list 100 under a fixed camera of a
// 400 x 400 viewport: the top view, 200 pixels per world unit (see
// handMadeData.h).
// The legend runs 0..20 in 20 levels of 1; level k takes source entry k, and
// entry 0 (green) is set apart.
#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

#include "render/scene.h"
#include "support/glFixture.h"
#include "support/handMadeData.h"
#include "support/records.h"

namespace kelvra::test {

class ListView : public ::testing::Test {
protected:
    void SetUp() override {
        GL_TEST_REQUIRE_CONTEXT(400, 400);
        resizeViewport(400, 400, graph.settings.viewZoom);
        glLoadIdentity();
        glClearColor(1, 1, 1, 1);
        glEnable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        setScale(graph, 3, 0, 20);
        graph.settings.scaleStep[3] = 3;
        graph.settings.legendColors[0] = {0, 1, 0};
        for (int k = 1; k <= 20; ++k) graph.settings.legendColors[k] = {k * 0.05, 0.3, 1 - k * 0.05};
    }

    // Top: the top graph. Side: world Z up the screen, X across. Tilted: no face of a box seen edge-on (an edge-on face under
    // polygon offset gets an unbounded depth and is clipped apart).
    enum Camera { Top, Side, Tilted };
    static void turn(Camera camera) {
        glLoadIdentity();
        if (camera == Side) glRotated(-90, 1, 0, 0);
        if (camera == Tilted) glRotated(-60, 1, 0, 0), glRotated(30, 0, 0, 1);
    }
    void drawGraph(Camera camera = Top) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        turn(camera);
        glCallList(ListGraph);
    }
    std::vector<FeedbackPrimitive> graphFeedback(Camera camera = Top) {
        return captureFeedback([&] { drawGraph(camera); });
    }
    Pixel levelColor(int k) const {
        const Rgb& c = graph.settings.legendColors[k];
        return {int(std::lround(c.r * 255)), int(std::lround(c.g * 255)), int(std::lround(c.b * 255))};
    }

    Records graph;
};

inline std::vector<FeedbackPrimitive> ofKind(const std::vector<FeedbackPrimitive>& all, FeedbackPrimitive::Kind kind) {
    std::vector<FeedbackPrimitive> out;
    std::copy_if(all.begin(), all.end(), std::back_inserter(out), [&](const auto& p) { return p.kind == kind; });
    return out;
}

// Polygons that cover something on screen: the display-list compiler and the
// level walk emit degenerate triangles, which are left out.
inline std::vector<FeedbackPrimitive> visiblePolygons(const std::vector<FeedbackPrimitive>& all) {
    std::vector<FeedbackPrimitive> out;
    for (const auto& p : ofKind(all, FeedbackPrimitive::Polygon)) {
        double area = 0;
        for (std::size_t i = 0; i < p.vertices.size(); ++i) {
            const auto& a = p.vertices[i];
            const auto& b = p.vertices[(i + 1) % p.vertices.size()];
            area += a.x * b.y - b.x * a.y;
        }
        if (std::fabs(area) > 0.01) out.push_back(p);
    }
    return out;
}

}  // namespace kelvra::test
