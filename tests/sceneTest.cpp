// The camera and the per-frame draw: the orthographic volume follows the
// window and the zoom, the picture is white before any data, and anchored
// overlays keep their screen place.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "core/headlessHost.h"
#include "core/kelvraView.h"
#include "support/glFixture.h"

namespace kelvra {
namespace {

using test::Pixel;

// Left, right, bottom, top, near, far of the current orthographic projection.
struct Volume {
    double left, right, bottom, top, nearZ, farZ;
};
Volume currentVolume() {
    GLdouble m[16];
    glGetDoublev(GL_PROJECTION_MATRIX, m);
    // An orthographic matrix: m0 = 2/(r-l), m12 = -(r+l)/(r-l), m10 = -2/(f-n), m14 = -(f+n)/(f-n).
    double rl = 2.0 / m[0], tb = 2.0 / m[5], fn = -2.0 / m[10];
    double sumX = -m[12] * rl, sumY = -m[13] * tb, sumZ = -m[14] * fn;
    return {(sumX - rl) / 2, (sumX + rl) / 2, (sumY - tb) / 2, (sumY + tb) / 2, (sumZ - fn) / 2, (sumZ + fn) / 2};
}

TEST(Camera, VolumeFollowsViewportAndZoom) {
    GL_TEST_REQUIRE_CONTEXT(800, 600);
    HeadlessHost host({800, 600});
    host.printMessages = false;
    CKelvraView view(host);
    view.resizeViewport(800, 600);
    Volume v = currentVolume();
    EXPECT_NEAR(v.left, -2.0, 1e-5);
    EXPECT_NEAR(v.right, 2.0, 1e-5);
    EXPECT_NEAR(v.bottom, -1.5, 1e-5);
    EXPECT_NEAR(v.top, 1.5, 1e-5);
    EXPECT_NEAR(v.nearZ, -75.0, 1e-5);   // the smaller side, the height, sets the depth
    EXPECT_NEAR(v.farZ, 75.0, 1e-5);

    view.viewZoom = 200;
    view.resizeViewport(300, 500);
    v = currentVolume();
    EXPECT_NEAR(v.right, 300.0 / 800, 1e-5);
    EXPECT_NEAR(v.top, 500.0 / 800, 1e-5);
    EXPECT_NEAR(v.farZ, 50.0 * 300 / 800, 1e-5);   // now the width is the smaller side
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
}

TEST(Scene, PaintBeforeAnyDataIsWhiteAndSetsTheCaption) {
    GL_TEST_REQUIRE_CONTEXT(200, 100);
    HeadlessHost host({200, 100});
    host.printMessages = false;
    CKelvraView view(host);
    view.initGlState();
    view.titleText = "title";
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    view.initGlState();
    view.paint(200, 100);
    EXPECT_EQ(test::pixelAt(100, 50), (Pixel{255, 255, 255}));
    EXPECT_EQ(test::pixelAt(0, 0), (Pixel{255, 255, 255}));
    EXPECT_EQ(host.caption, "newfile - Kelvra ver.1.52");
}

TEST(AnchoredOverlays, StayAtTheirScreenPlaceWhateverTheZoom) {
    HeadlessHost host({775, 550});
    host.printMessages = false;
    CKelvraView view(host);
    view.viewZoom = 200;
    view.layoutAnchoredOverlays();
    // Pixels from the centre: the indicator at (-W/2 + 87.5, -H/2 + 125).
    EXPECT_DOUBLE_EQ(view.axisPosH * view.viewZoom / 100, -775 / 2.0 + 87.5);
    EXPECT_DOUBLE_EQ(view.axisPosV * view.viewZoom / 100, -550 / 2.0 + 125);
    // The legend's left edge at W/2 - 1.125 * legendSize, vertically centred.
    EXPECT_DOUBLE_EQ(view.legendPosH * view.viewZoom / 100, 775 / 2.0 - 1.125 * 100);
    EXPECT_DOUBLE_EQ(view.legendPosV * view.viewZoom / 100, -350 / 2.0);

    view.legendSizeFixed = 0;
    view.axisSizeFixed = 0;
    view.legendFixRight = 0;
    view.legendPosH = 12;
    view.layoutAnchoredOverlays();
    EXPECT_EQ(view.legendSize, 200);
    EXPECT_EQ(view.axisSize, 200);
    EXPECT_EQ(view.legendPosH, 12);   // not anchored: left alone
}

}  // namespace
}  // namespace kelvra
