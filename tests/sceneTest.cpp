// The camera and the per-frame draw: the orthographic volume follows the window and the zoom,
// the picture is white before any data, and anchored overlays keep their screen place.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "base/headlessHost.h"
#include "view/kelvraView.h"
#include "support/glFixture.h"
#include "support/gridFixture.h"

namespace kelvra {
namespace {

// Left, right, bottom, top, near and far of the current orthographic projection, to 1e-4.
std::vector<double> currentVolume() {
    GLdouble m[16];
    glGetDoublev(GL_PROJECTION_MATRIX, m);
    // m0 = 2 / (r - l), m12 = -(r + l) / (r - l); y alike; m10 = -2 / (f - n), m14 = -(f + n) / (f - n).
    std::vector<double> v = {(-1 - m[12]) / m[0], (1 - m[12]) / m[0], (-1 - m[13]) / m[5],
                             (1 - m[13]) / m[5],  (m[14] + 1) / m[10], (m[14] - 1) / m[10]};
    for (double& x : v) x = std::round(x * 1e4) / 1e4;
    return v;
}

TEST(Camera, PaintBeforeAnyDataIsWhiteAndTheVolumeFollowsTheWindowZoomAndSmallerSide) {
    GL_TEST_REQUIRE_CONTEXT(800, 600);
    HeadlessHost host({800, 600});
    CKelvraView view(host);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    view.initGlState();
    view.paint(800, 600);
    EXPECT_EQ(test::pixelAt(400, 300), (test::Pixel{255, 255, 255}));
    view.resizeViewport(800, 600);
    EXPECT_EQ(currentVolume(), (std::vector<double>{-2, 2, -1.5, 1.5, -75, 75}));
    view.settings.viewZoom = 200;
    view.resizeViewport(300, 500);
    EXPECT_EQ(currentVolume(), (std::vector<double>{-0.375, 0.375, -0.625, 0.625, -18.75, 18.75}));
}

// A load made while no context was current leaves its lists for the next paint to make.
TEST(Camera, PaintMakesTheListsALoadLeftUnbuilt) {
    GL_TEST_REQUIRE_CONTEXT(200, 200);
    test::GridView g;
    g.fill(3, 3, -1, 1, -1, 1, [](double x, double) { return x; });
    for (int a = 0; a < 3; ++a) g.scale(a, -1, 1, 0.5);
    g.scale(3, -1, 1, 1);
    g.topView();
    g.initGl();   // data in place, no lists built (a load without a context leaves it so)
    ASSERT_FALSE(g.view.lists.graphListsBuilt);
    g.view.paint(200, 200);
    EXPECT_TRUE(g.view.lists.graphListsBuilt);
    EXPECT_NE(test::pixelAt(100, 100), (test::Pixel{255, 255, 255}));   // the graph, not a white frame
}

TEST(AnchoredOverlays, StayAtTheirScreenPlaceWhateverTheZoom) {
    HeadlessHost host;   // 775 x 550
    CKelvraView view(host);
    view.settings.viewZoom = 200;
    view.layoutAnchoredOverlays();
    // In pixels from the centre: the axis indicator at (-W/2 + 87.5, -H/2 + 125); the legend's
    // left edge at W/2 - 1.125 legendSize, its 350-pixel bar centred.
    EXPECT_EQ((std::vector<double>{view.settings.axisPosH * 2, view.settings.axisPosV * 2, view.settings.legendPosH * 2, view.settings.legendPosV * 2}),
              (std::vector<double>{-775 / 2.0 + 87.5, -550 / 2.0 + 125, 775 / 2.0 - 112.5, -175}));
    // Sizes not fixed follow the zoom; a legend not anchored keeps its place.
    view.settings.legendSizeFixed = view.settings.axisSizeFixed = view.settings.legendFixRight = 0;
    view.settings.legendPosH = 12;
    view.layoutAnchoredOverlays();
    EXPECT_EQ((std::vector<double>{double(view.settings.legendSize), double(view.settings.axisSize), view.settings.legendPosH}),
              (std::vector<double>{200, 200, 12}));
}

}  // namespace
}  // namespace kelvra
