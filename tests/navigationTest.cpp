// Navigation with the mouse and the arrow keys, and the status-pane texts:
// drags and keys give the expected view values, every clamp and wrap holds,
// and the panes read exactly as the user sees them.
#include <gtest/gtest.h>

#include "core/cp932.h"
#include "core/headlessHost.h"
#include "core/kelvraView.h"
#include "support/glFixture.h"

namespace kelvra {
namespace {

// The pane texts as UTF-8, for readable comparisons.
std::string pane(const HeadlessHost& host, StatusPane id) {
    return cp932ToUtf8(host.statusPanes[id - PanePosition]);
}

struct Nav : ::testing::Test {
    HeadlessHost host;
    CKelvraView view{host};
    void SetUp() override { host.printMessages = false; }
    void drag(int x0, int y0, int x1, int y1) {
        view.leftButtonDown(x0, y0);
        view.mouseMove(x1, y1);
        view.leftButtonUp();
    }
    // A 5 x 4 grid (X 0..40 step 10, Y 0..30 step 10, Z = X + Y), as a reader leaves it.
    void loadSmallGrid() {
        view.valuesPerPoint = 3;
        view.columnCount = 5;
        view.rowCount = 4;
        view.dataKind = Grid;
        ASSERT_TRUE(view.pointValues.allocate(3 * 5 * 4));
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 5; ++c) {
                double* p = view.point(std::size_t(r) * 5 + c);
                p[0] = c * 10.0;
                p[1] = r * 10.0;
                p[2] = p[0] + p[1];
            }
        view.dataLoaded = true;
    }
};

// ---- rotate ----

TEST_F(Nav, RotateUpKeyFromTheDefaultViewShowsX029) {
    view.interactionMode = ModeRotate;
    view.keyDown(ArrowKey::Up);
    EXPECT_EQ(view.viewAngleX, 299);
    EXPECT_EQ(pane(host, PaneAngles), "[角度] X=029(deg),Z=330(deg)");
}

TEST_F(Nav, RotateKeysWrapAtAFullTurn) {
    view.interactionMode = ModeRotate;
    view.viewAngleX = 359;
    view.viewAngleZ = 0;
    view.keyDown(ArrowKey::Down);
    EXPECT_EQ(view.viewAngleX, 0);
    view.keyDown(ArrowKey::Up);
    EXPECT_EQ(view.viewAngleX, 359);
    view.keyDown(ArrowKey::Left);
    EXPECT_EQ(view.viewAngleZ, 359);
    view.keyDown(ArrowKey::Right);
    EXPECT_EQ(view.viewAngleZ, 0);
    EXPECT_EQ(pane(host, PaneAngles), "[角度] X=089(deg),Z=000(deg)");
}

TEST_F(Nav, RotateDragTakesTheDistanceModuloAFullTurn) {
    view.interactionMode = ModeRotate;
    view.viewAngleX = 300;
    drag(100, 100, 100, 500);   // 400 pixels down: 400 mod 360 = 40
    EXPECT_EQ(view.viewAngleX, 340);
    EXPECT_EQ(pane(host, PaneAngles), "[角度] X=070(deg),Z=330(deg)");

    drag(100, 100, 130, 100);   // right raises the Z angle
    EXPECT_EQ(view.viewAngleZ, 0);
    drag(500, 100, 100, 100);   // 400 left: 360 + 40, lowers Z by 40
    EXPECT_EQ(view.viewAngleZ, 320);
    drag(100, 100, 100, 90);    // up lowers the X angle
    EXPECT_EQ(view.viewAngleX, 330);
}

TEST_F(Nav, RotateDragNormalisesIntoOneTurn) {
    view.interactionMode = ModeRotate;
    view.viewAngleX = 10;
    view.viewAngleZ = 350;
    drag(0, 100, 20, 80);   // 20 up: X 10 - 20 = -10 -> 350; 20 right: Z 370 -> 10
    EXPECT_EQ(view.viewAngleX, 350);
    EXPECT_EQ(view.viewAngleZ, 10);
}

TEST_F(Nav, MovesAfterButtonUpChangeNothing) {
    view.interactionMode = ModeRotate;
    drag(0, 0, 0, 10);
    int x = view.viewAngleX;
    view.mouseMove(0, 200);
    EXPECT_EQ(view.viewAngleX, x);
    EXPECT_FALSE(view.dragging);
}

// ---- move ----

TEST_F(Nav, PositionPanePrintsSignedThreeDigits) {
    view.viewPosX = -5;
    view.viewPosY = 12;
    view.showPosition();
    EXPECT_EQ(pane(host, PanePosition), "[位置] X=-005,Y=+012");
    view.viewPosX = -999;
    view.viewPosY = 0;
    view.showPosition();
    EXPECT_EQ(pane(host, PanePosition), "[位置] X=-999,Y=+000");
}

TEST_F(Nav, MoveDragFollowsTheMouseAndClampsAt999) {
    view.interactionMode = ModeMove;
    drag(100, 100, 110, 80);   // right 10, up 20
    EXPECT_EQ(view.viewPosX, 10);
    EXPECT_EQ(view.viewPosY, 20);
    drag(0, 0, 5000, 5000);
    EXPECT_EQ(view.viewPosX, 999);
    EXPECT_EQ(view.viewPosY, -999);
    EXPECT_EQ(pane(host, PanePosition), "[位置] X=+999,Y=-999");
}

TEST_F(Nav, MoveKeysStepOnePixelAndClamp) {
    view.interactionMode = ModeMove;
    view.keyDown(ArrowKey::Up);
    view.keyDown(ArrowKey::Left);
    EXPECT_EQ(view.viewPosY, 1);
    EXPECT_EQ(view.viewPosX, -1);
    view.viewPosX = 999;
    view.keyDown(ArrowKey::Right);
    EXPECT_EQ(view.viewPosX, 999);
    view.viewPosY = -999;
    view.keyDown(ArrowKey::Down);
    EXPECT_EQ(view.viewPosY, -999);
}

// ---- zoom ----

TEST_F(Nav, ZoomByKeysStopsAtOnePercent) {
    GL_TEST_REQUIRE_CONTEXT(64, 64);
    view.interactionMode = ModeZoom;
    view.viewZoom = 2;
    view.keyDown(ArrowKey::Down);
    view.keyDown(ArrowKey::Left);
    view.keyDown(ArrowKey::Down);
    EXPECT_EQ(view.viewZoom, 1);
    EXPECT_EQ(pane(host, PaneZoom), "[倍率] 001(%)");
    view.viewZoom = 999;
    view.keyDown(ArrowKey::Right);
    EXPECT_EQ(view.viewZoom, 999);
}

TEST_F(Nav, ZoomByMouseStopsAtTenAndAt999) {
    GL_TEST_REQUIRE_CONTEXT(64, 64);
    view.interactionMode = ModeZoom;
    drag(300, 300, 100, 500);   // left and down: -400
    EXPECT_EQ(view.viewZoom, 10);
    drag(0, 900, 900, 0);
    EXPECT_EQ(view.viewZoom, 999);
    drag(100, 100, 130, 110);   // +30 right, -10 down: +20 from 999 stays 999
    EXPECT_EQ(view.viewZoom, 999);
    EXPECT_EQ(pane(host, PaneZoom), "[倍率] 999(%)");
}

TEST_F(Nav, ZoomDragRelaysOutOverlaysThatFollowTheZoom) {
    GL_TEST_REQUIRE_CONTEXT(64, 64);
    view.interactionMode = ModeZoom;
    view.axisSizeFixed = 0;
    view.legendSizeFixed = 1;
    view.leftButtonDown(0, 100);
    view.mouseMove(0, 50);   // 50 up: 150 %
    EXPECT_EQ(view.viewZoom, 150);
    EXPECT_EQ(view.axisSize, 150);
    EXPECT_EQ(view.legendSize, 100);
    view.leftButtonUp();
}

// ---- modes and display kinds ----

TEST_F(Nav, RotateFallsBackToZoomIn2D) {
    view.interactionMode = ModeRotate;
    view.displayMode = Display2D;
    view.fitModeToDisplay();
    EXPECT_EQ(view.interactionMode, ModeZoom);
    EXPECT_EQ(pane(host, PaneDisplayKind), "[表示] 2次元");

    view.interactionMode = ModeSection;
    view.fitModeToDisplay();
    EXPECT_EQ(view.interactionMode, ModeZoom);

    view.displayMode = Display3D;
    view.interactionMode = ModeSection;
    view.fitModeToDisplay();
    EXPECT_EQ(view.interactionMode, ModeRotate);

    view.displayMode = DisplayXSection;
    view.interactionMode = ModeSection;
    view.fitModeToDisplay();
    EXPECT_EQ(view.interactionMode, ModeSection);
    EXPECT_EQ(pane(host, PaneDisplayKind), "[表示] X-断面");
}

TEST_F(Nav, AnglesIn2DAreShownAndHeldAsTheTopView) {
    view.displayMode = Display2D;
    view.viewAngleX = 123;
    view.viewAngleZ = 45;
    view.showAngles();
    EXPECT_EQ(view.viewAngleX, 0);
    EXPECT_EQ(view.viewAngleZ, 0);
    EXPECT_EQ(pane(host, PaneAngles), "[角度] X=090(deg),Z=000(deg)");
}

TEST_F(Nav, DisplayKindPaneNamesEachMode) {
    const char* expected[] = {"[表示] 3次元", "[表示] 2次元", "[表示] X-断面", "[表示] Y-断面"};
    for (int mode = 0; mode < 4; ++mode) {
        view.displayMode = mode;
        view.showDisplayKind();
        EXPECT_EQ(pane(host, PaneDisplayKind), expected[mode]);
    }
}

TEST_F(Nav, PickModeKeysAndClicksDoNotMoveTheView) {
    view.interactionMode = ModePick;
    view.pickMarkersShown = true;
    GraphSettings before = view.settings();
    view.keyDown(ArrowKey::Up);
    view.leftButtonDown(10, 10);
    view.mouseMove(200, 200);
    view.leftButtonUp();
    EXPECT_FALSE(view.dragging);
    EXPECT_TRUE(view.pickMarkersShown);
    EXPECT_TRUE(view.settings() == before);
}

TEST_F(Nav, ButtonDownAndKeysOutsidePickModeHideTheMarkers) {
    view.interactionMode = ModeRotate;
    view.pickMarkersShown = true;
    view.leftButtonDown(10, 10);
    EXPECT_FALSE(view.pickMarkersShown);
    view.leftButtonUp();
    view.pickMarkersShown = true;
    view.keyDown(ArrowKey::Left);
    EXPECT_FALSE(view.pickMarkersShown);
}

// ---- presets ----

TEST_F(Nav, ViewPlanesSetTheAnglesAndPanes) {
    GL_TEST_REQUIRE_CONTEXT(64, 64);
    int before = host.invalidations;
    view.setViewPlane(0);
    EXPECT_EQ(pane(host, PaneAngles), "[角度] X=090(deg),Z=000(deg)");
    EXPECT_GT(host.invalidations, before);
    view.setViewPlane(1);
    EXPECT_EQ(view.viewAngleX, 270);
    EXPECT_EQ(view.viewAngleZ, 0);
    EXPECT_EQ(pane(host, PaneAngles), "[角度] X=000(deg),Z=000(deg)");
    view.setViewPlane(2);
    EXPECT_EQ(pane(host, PaneAngles), "[角度] X=000(deg),Z=270(deg)");
    EXPECT_EQ(pane(host, PanePosition), "[位置] X=+000,Y=+000");
    EXPECT_EQ(pane(host, PaneZoom), "[倍率] 100(%)");
}

TEST_F(Nav, ResetRestoresTheDefaultView) {
    GL_TEST_REQUIRE_CONTEXT(64, 64);
    view.viewPosX = 40;
    view.viewPosY = -7;
    view.viewZoom = 300;
    view.viewAngleX = 12;
    view.viewAngleZ = 34;
    view.resetView();
    EXPECT_EQ(view.viewPosX, 0);
    EXPECT_EQ(view.viewPosY, 0);
    EXPECT_EQ(view.viewZoom, 100);
    EXPECT_EQ(view.viewAngleX, 300);
    EXPECT_EQ(view.viewAngleZ, 330);
    EXPECT_EQ(pane(host, PanePosition), "[位置] X=+000,Y=+000");
    EXPECT_EQ(pane(host, PaneZoom), "[倍率] 100(%)");
    EXPECT_EQ(pane(host, PaneAngles), "[角度] X=030(deg),Z=330(deg)");
}

// ---- sections ----

TEST_F(Nav, SectionDragStepsOncePerTenPixels) {
    GL_TEST_REQUIRE_CONTEXT(64, 64);
    loadSmallGrid();
    view.displayMode = DisplayYSection;
    view.interactionMode = ModeSection;
    view.sectionIndexY = 1;
    drag(100, 100, 100, 81);   // 19 up: one step
    EXPECT_EQ(view.sectionIndexY, 2);
    drag(100, 100, 91, 100);   // 9 left: no step
    EXPECT_EQ(view.sectionIndexY, 2);
    drag(100, 100, 80, 100);   // 20 left: two steps down
    EXPECT_EQ(view.sectionIndexY, 0);
    EXPECT_EQ(view.sectionIndexX, 0);
}

TEST_F(Nav, SectionKeysStayInsideTheGrid) {
    GL_TEST_REQUIRE_CONTEXT(64, 64);
    loadSmallGrid();
    view.displayMode = DisplayXSection;
    view.interactionMode = ModeSection;
    for (int i = 0; i < 8; ++i) view.keyDown(ArrowKey::Right);
    EXPECT_EQ(view.sectionIndexX, 4);   // the last of 5 columns
    EXPECT_DOUBLE_EQ(view.sectionPos[0], 40.0);
    view.keyDown(ArrowKey::Down);
    EXPECT_EQ(view.sectionIndexX, 3);
    for (int i = 0; i < 6; ++i) view.keyDown(ArrowKey::Left);
    EXPECT_EQ(view.sectionIndexX, 0);
}

TEST_F(Nav, SectionModeDoesNothingOutsideASectionDisplay) {
    view.displayMode = Display3D;
    view.interactionMode = ModeSection;
    view.keyDown(ArrowKey::Up);
    drag(0, 100, 0, 0);
    EXPECT_EQ(view.sectionIndexX, 0);
    EXPECT_EQ(view.sectionIndexY, 0);
}

}  // namespace
}  // namespace kelvra
