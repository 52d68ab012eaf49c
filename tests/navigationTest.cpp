// Navigation with the mouse, the wheel and the arrow keys, and the status-pane texts:
// drags and keys give the expected view values, every clamp and wrap holds,
// and the panes read exactly as the user sees them.
#include <gtest/gtest.h>

#include <span>
#include <string_view>

#include "base/cp932.h"
#include "base/headlessHost.h"
#include "view/kelvraView.h"
#include "support/glFixture.h"
#include "support/handMadeData.h"

namespace kelvra {
namespace {

struct Nav {
    HeadlessHost host;
    CKelvraView view{host};
    Nav() { host.printMessages = false; }
    void drag(int x0, int y0, int x1, int y1) {
        view.leftButtonDown(x0, y0);
        view.mouseMove(x1, y1);
        view.leftButtonUp();
    }
    // Arrow keys by their initials: "UDLR".
    void keys(const char* initials) {
        const ArrowKey kKeys[] = {ArrowKey::Up, ArrowKey::Down, ArrowKey::Left, ArrowKey::Right};
        for (const char* k = initials; *k; ++k) view.keyDown(kKeys[std::string_view("UDLR").find(*k)]);
    }
    // A 5 x 4 grid (X 0..4, Y 0..3) shown as a section, the section at `index`.
    void sectionOf(DisplayMode display, int index) {
        test::fillGrid(view, 5, 4, [](int c, int r) { return double(c + r); });
        view.settings.displayMode = display;
        (display == DisplayXSection ? view.state.sectionIndexX : view.state.sectionIndexY) = index;
    }
    // Position, zoom, angles, section indices and X position, the drag, the
    // pick marks, whether a repaint was asked for, then every pane written (as UTF-8).
    std::string state() const {
        auto pair = [](int a, int b) { return std::to_string(a) + "," + std::to_string(b); };
        std::string s = "p" + pair(view.settings.viewPosX, view.settings.viewPosY) + " z" + std::to_string(view.settings.viewZoom) + " a" +
                        pair(view.settings.viewAngleX, view.settings.viewAngleZ) + " s" + pair(view.state.sectionIndexX, view.state.sectionIndexY) +
                        "@" + std::to_string(int(view.settings.sectionPos[0]));
        if (view.state.dragging) s += " dragging";
        if (view.state.pickMarkersShown) s += " marks";
        if (host.invalidations > 0) s += " redrawn";
        for (const std::string& pane : host.statusPanes)
            if (!pane.empty()) s += " " + cp932ToUtf8(pane);
        return s;
    }
};

struct NavCase {
    const char* name;
    InteractionMode mode;
    void (*act)(Nav&);
    const char* expected;
};

void run(std::span<const NavCase> cases) {
    for (const NavCase& c : cases) {
        SCOPED_TRACE(c.name);
        Nav n;
        n.view.state.interactionMode = c.mode;
        c.act(n);
        EXPECT_EQ(n.state(), c.expected);
    }
}

TEST(Navigation, RotateMoveAndTheirPanes) {
    const NavCase cases[] = {
        {"rotate: Up from the default view", ModeRotate, [](Nav& n) { n.keys("U"); },
         "p0,0 z100 a299,330 s0,0@0 redrawn [角度] X=029(deg),Z=330(deg)"},
        {"rotate keys wrap at a full turn: Down from 359, Left from 0", ModeRotate,
         [](Nav& n) { n.view.settings.viewAngleX = 359; n.view.settings.viewAngleZ = 0; n.keys("DL"); },
         "p0,0 z100 a0,359 s0,0@0 redrawn [角度] X=090(deg),Z=359(deg)"},
        {"Up from 0, Right from 359", ModeRotate,
         [](Nav& n) { n.view.settings.viewAngleX = 0; n.view.settings.viewAngleZ = 359; n.keys("UR"); },
         "p0,0 z100 a359,0 s0,0@0 redrawn [角度] X=089(deg),Z=000(deg)"},
        {"Up and Left from 1 reach 0 without wrapping", ModeRotate,
         [](Nav& n) { n.view.settings.viewAngleX = 1; n.view.settings.viewAngleZ = 1; n.keys("UL"); },
         "p0,0 z100 a0,0 s0,0@0 redrawn [角度] X=090(deg),Z=000(deg)"},
        {"rotate drag 400 down: 400 mod 360 raises X by 40", ModeRotate, [](Nav& n) { n.drag(100, 100, 100, 500); },
         "p0,0 z100 a340,330 s0,0@0 redrawn [角度] X=070(deg),Z=330(deg)"},
        {"drag right raises Z, up lowers X", ModeRotate, [](Nav& n) { n.drag(100, 100, 130, 90); },
         "p0,0 z100 a290,0 s0,0@0 redrawn [角度] X=020(deg),Z=000(deg)"},
        {"drag 400 left lowers Z by 40", ModeRotate, [](Nav& n) { n.drag(500, 100, 100, 100); },
         "p0,0 z100 a300,290 s0,0@0 redrawn [角度] X=030(deg),Z=290(deg)"},
        {"drag results are brought into one turn", ModeRotate,
         [](Nav& n) { n.view.settings.viewAngleX = 10; n.view.settings.viewAngleZ = 350; n.drag(0, 100, 20, 80); },
         "p0,0 z100 a350,10 s0,0@0 redrawn [角度] X=080(deg),Z=010(deg)"},
        {"moves after the button is up change nothing", ModeRotate,
         [](Nav& n) { n.drag(0, 0, 0, 10); n.view.mouseMove(0, 200); },
         "p0,0 z100 a310,330 s0,0@0 redrawn [角度] X=040(deg),Z=330(deg)"},
        {"move drag follows the mouse", ModeMove, [](Nav& n) { n.drag(100, 100, 110, 80); },
         "p10,20 z100 a300,330 s0,0@0 redrawn [位置] X=+010,Y=+020"},
        {"move drag clamps at 999", ModeMove, [](Nav& n) { n.drag(0, 0, 5000, 5000); },
         "p999,-999 z100 a300,330 s0,0@0 redrawn [位置] X=+999,Y=-999"},
        {"move keys step one pixel", ModeMove, [](Nav& n) { n.keys("UL"); },
         "p-1,1 z100 a300,330 s0,0@0 redrawn [位置] X=-001,Y=+001"},
        {"move keys clamp", ModeMove, [](Nav& n) { n.view.settings.viewPosX = 999; n.view.settings.viewPosY = -999; n.keys("RD"); },
         "p999,-999 z100 a300,330 s0,0@0 redrawn [位置] X=+999,Y=-999"},
        {"2-D angles are held as the top view", ModeRotate,
         [](Nav& n) {
             n.view.settings.displayMode = Display2D; n.view.settings.viewAngleX = 123; n.view.settings.viewAngleZ = 45;
             n.view.showPanes(ChangeAngles);
         },
         "p0,0 z100 a0,0 s0,0@0 [角度] X=090(deg),Z=000(deg)"},
        {"pick mode: keys and clicks leave the view and the marks", ModePick,
         [](Nav& n) { n.view.state.pickMarkersShown = true; n.keys("U"); n.drag(10, 10, 200, 200); },
         "p0,0 z100 a300,330 s0,0@0 marks"},
        {"a button down outside pick mode hides the marks", ModeRotate,
         [](Nav& n) { n.view.state.pickMarkersShown = true; n.view.leftButtonDown(10, 10); },
         "p0,0 z100 a300,330 s0,0@0 dragging redrawn"},
        {"so does a key", ModeRotate, [](Nav& n) { n.view.state.pickMarkersShown = true; n.keys("L"); },
         "p0,0 z100 a300,329 s0,0@0 redrawn [角度] X=030(deg),Z=329(deg)"},
        {"section mode does nothing outside a section display", ModeSection,
         [](Nav& n) { n.keys("U"); n.drag(0, 100, 0, 0); },
         "p0,0 z100 a300,330 s0,0@0 redrawn"},
    };
    run(cases);
}

TEST(Navigation, ZoomSectionsAndPresets) {
    GL_TEST_REQUIRE_CONTEXT(64, 64);
    const NavCase cases[] = {
        {"zoom keys stop at 1 %", ModeZoom, [](Nav& n) { n.view.settings.viewZoom = 2; n.keys("DLD"); },
         "p0,0 z1 a300,330 s0,0@0 redrawn [倍率] 001(%)"},
        {"and at 999 %", ModeZoom, [](Nav& n) { n.view.settings.viewZoom = 999; n.keys("R"); },
         "p0,0 z999 a300,330 s0,0@0 redrawn [倍率] 999(%)"},
        {"a zoom drag stops at 10 %", ModeZoom, [](Nav& n) { n.drag(300, 300, 100, 500); },
         "p0,0 z10 a300,330 s0,0@0 redrawn [倍率] 010(%)"},
        {"and at 999 %", ModeZoom, [](Nav& n) { n.drag(0, 900, 900, 0); n.drag(100, 100, 130, 110); },
         "p0,0 z999 a300,330 s0,0@0 redrawn [倍率] 999(%)"},
        {"the wheel zooms a key's step a notch, in any mode", ModeRotate, [](Nav& n) { n.view.wheelZoom(3); },
         "p0,0 z103 a300,330 s0,0@0 redrawn [倍率] 103(%)"},
        {"back, within the keys' limits", ModePick,
         [](Nav& n) { n.view.settings.viewZoom = 3; n.view.state.pickMarkersShown = true; n.view.wheelZoom(-5); },
         "p0,0 z1 a300,330 s0,0@0 marks redrawn [倍率] 001(%)"},
        {"", ModeMove, [](Nav& n) { n.view.settings.viewZoom = 998; n.view.wheelZoom(4); },
         "p0,0 z999 a300,330 s0,0@0 redrawn [倍率] 999(%)"},
        {"X-Y plane", ModeRotate, [](Nav& n) { n.view.setViewPlane(0); },
         "p0,0 z100 a0,0 s0,0@0 redrawn [位置] X=+000,Y=+000 [倍率] 100(%) [角度] X=090(deg),Z=000(deg)"},
        {"X-Z plane", ModeRotate, [](Nav& n) { n.view.setViewPlane(1); },
         "p0,0 z100 a270,0 s0,0@0 redrawn [位置] X=+000,Y=+000 [倍率] 100(%) [角度] X=000(deg),Z=000(deg)"},
        {"Y-Z plane", ModeRotate, [](Nav& n) { n.view.setViewPlane(2); },
         "p0,0 z100 a270,270 s0,0@0 redrawn [位置] X=+000,Y=+000 [倍率] 100(%) [角度] X=000(deg),Z=270(deg)"},
        {"reset", ModeRotate,
         [](Nav& n) {
             n.view.settings.viewPosX = 40; n.view.settings.viewPosY = -7; n.view.settings.viewZoom = 300;
             n.view.settings.viewAngleX = 12; n.view.settings.viewAngleZ = 34;
             n.view.resetView();
         },
         "p0,0 z100 a300,330 s0,0@0 redrawn [位置] X=+000,Y=+000 [倍率] 100(%) [角度] X=030(deg),Z=330(deg)"},
        {"a section drag steps once per ten pixels: 19 up", ModeSection,
         [](Nav& n) { n.sectionOf(DisplayYSection, 1); n.drag(100, 100, 100, 81); },
         "p0,0 z100 a300,330 s0,2@0 redrawn"},
        {"9 left: no step", ModeSection, [](Nav& n) { n.sectionOf(DisplayYSection, 2); n.drag(100, 100, 91, 100); },
         "p0,0 z100 a300,330 s0,2@0 redrawn"},
        {"20 left: two steps down", ModeSection,
         [](Nav& n) { n.sectionOf(DisplayYSection, 2); n.drag(100, 100, 80, 100); },
         "p0,0 z100 a300,330 s0,0@0 redrawn"},
        {"section keys stay inside the grid", ModeSection,
         [](Nav& n) { n.sectionOf(DisplayXSection, 0); n.keys("RRRRRRRR"); },
         "p0,0 z100 a300,330 s4,0@4 redrawn"},
        {"", ModeSection, [](Nav& n) { n.sectionOf(DisplayXSection, 0); n.keys("RRRRRRRRD"); },
         "p0,0 z100 a300,330 s3,0@3 redrawn"},
        {"", ModeSection, [](Nav& n) { n.sectionOf(DisplayXSection, 1); n.keys("LLL"); },
         "p0,0 z100 a300,330 s0,0@0 redrawn"},
    };
    run(cases);
}

TEST(Navigation, ZoomDragRelaysOutOverlaysThatFollowTheZoom) {
    GL_TEST_REQUIRE_CONTEXT(64, 64);
    Nav n;
    n.view.state.interactionMode = ModeZoom;
    n.view.settings.axisSizeFixed = 0;
    n.view.settings.legendSizeFixed = 1;
    n.view.leftButtonDown(0, 100);
    n.view.mouseMove(0, 50);   // 50 up: 150 %, the button still down
    EXPECT_EQ(n.state(), "p0,0 z150 a300,330 s0,0@0 dragging redrawn [倍率] 150(%)");
    EXPECT_EQ(std::to_string(n.view.settings.axisSize) + " " + std::to_string(n.view.settings.legendSize), "150 100");
}

// A turning wheel moves the view as a drag does: the reduced graph may be
// drawn until the view settles.
TEST(Navigation, TheWheelMovesTheViewUntilItSettles) {
    GL_TEST_REQUIRE_CONTEXT(64, 64);
    Nav n;
    n.view.wheelZoom(2);
    EXPECT_TRUE(n.view.lists.reduced.moving);
    EXPECT_EQ(n.host.settleWait, kSettleMilliseconds);
    n.view.viewSettled();
    EXPECT_FALSE(n.view.lists.reduced.moving);
    n.view.wheelZoom(0);   // part of a notch: nothing moves
    EXPECT_FALSE(n.view.lists.reduced.moving);
}

TEST(Navigation, ModeFollowsTheDisplayAndTheKindPaneNamesIt) {
    const struct {
        DisplayMode display;
        InteractionMode mode, expectedMode;
        const char* pane;
    } cases[] = {{Display2D, ModeRotate, ModeZoom, "[表示] 2次元"},   {Display2D, ModeSection, ModeZoom, "[表示] 2次元"},
                 {Display3D, ModeSection, ModeRotate, "[表示] 3次元"}, {Display3D, ModeMove, ModeMove, "[表示] 3次元"},
                 {DisplayXSection, ModeSection, ModeSection, "[表示] X-断面"},
                 {DisplayYSection, ModeRotate, ModeRotate, "[表示] Y-断面"}};
    for (const auto& c : cases) {
        Nav n;
        n.view.settings.displayMode = c.display;
        n.view.state.interactionMode = c.mode;
        fitModeToDisplay(n.view.state, n.view.settings.displayMode);
        n.view.showPanes(ChangeSettings);
        EXPECT_EQ(n.view.state.interactionMode, c.expectedMode) << c.pane << " mode " << c.mode;
        EXPECT_EQ(cp932ToUtf8(n.host.statusPanes[PaneDisplayKind - PanePosition]), c.pane);
    }
}

}  // namespace
}  // namespace kelvra
