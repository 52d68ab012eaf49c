// Navigation: turning, moving and zooming the graph, and moving the section,
// with the left mouse button or the arrow keys; and the four status-bar panes
// that show position, zoom, angles and display kind.
//
// Everything here edits the view state of the settings record in place and asks
// the host to repaint; nothing draws. The window system translates its events
// into leftButtonDown / mouseMove / leftButtonUp / keyDown / keyUp and
// captures the mouse while `dragging` is set. A drag or a held key marks the
// view as moving until the button or key comes up or the host's settle call
// arrives; the paint may show the reduced graph meanwhile
// (render/reducedGraph.h). Texts go to the host as CP932.
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>

#include "base/cp932.h"
#include "view/kelvraView.h"

namespace kelvra {
namespace {

constexpr int kPosLimit = 999;      // viewPosX, viewPosY stay in -999..999
constexpr int kZoomMax = 999;       // percent
constexpr int kZoomMinMouse = 10;   // a drag stops at 10 %
constexpr int kZoomMinKey = 1;      // the keys reach 1 %

// Mouse and start values are small, but the start values come from settings
// files; computing in 64 bits keeps every sum defined before the clamp.
int clampTo(long long value, int low, int high) {
    return int(std::clamp<long long>(value, low, high));
}

bool isSectionDisplay(int displayMode) {
    return displayMode == DisplayXSection || displayMode == DisplayYSection;
}

// "-005" for negatives ("%04d" counts the sign), "+012" otherwise.
std::string signedPosition(int value) {
    char text[16];
    std::snprintf(text, sizeof text, value < 0 ? "%04d" : "+%03d", value);
    return text;
}

}  // namespace

// ---- mouse ---------------------------------------------------------------------

void CKelvraView::leftButtonDown(int x, int y) {
    state.dragging = true;
    switch (state.interactionMode) {
        case ModeMove:
            state.dragStartValue[0] = settings.viewPosX;
            state.dragStartValue[1] = settings.viewPosY;
            break;
        case ModeZoom:
            state.dragStartValue[0] = settings.viewZoom;
            break;
        case ModeRotate:
            state.dragStartValue[0] = settings.viewAngleX;
            state.dragStartValue[1] = settings.viewAngleZ;
            break;
        case ModeSection:
            state.dragStartValue[0] = settings.displayMode == DisplayXSection   ? state.sectionIndexX
                                : settings.displayMode == DisplayYSection ? state.sectionIndexY
                                                                 : 0;
            break;
        case ModePick:
        case ModeCount:
            // A click picks (interact/picking.cpp); there is no drag, and the
            // markers stay unless the pick marks another point.
            state.dragging = false;
            if (state.interactionMode == ModePick) pickAt(x, y);
            return;
    }
    if (state.pickMarkersShown) {
        state.pickMarkersShown = false;
        host().invalidate();
    }
    state.dragStartX = x;
    state.dragStartY = y;
}

void CKelvraView::mouseMove(int x, int y) {
    if (!state.dragging) return;
    const long long dx = (long long)x - state.dragStartX;   // right is positive
    const long long dy = (long long)state.dragStartY - y;   // up is positive
    switch (state.interactionMode) {
        case ModeMove:
            settings.viewPosX = clampTo(state.dragStartValue[0] + dx, -kPosLimit, kPosLimit);
            settings.viewPosY = clampTo(state.dragStartValue[1] + dy, -kPosLimit, kPosLimit);
            showPosition();
            break;
        case ModeZoom:
            // One percent per pixel; right and up enlarge.
            settings.viewZoom = clampTo(state.dragStartValue[0] + dx + dy, kZoomMinMouse, kZoomMax);
            showZoom();
            layoutAnchoredOverlays();
            break;
        case ModeRotate:
            // The drag is taken modulo a full turn first (% keeps the sign of
            // the distance); down raises the X angle, right raises the Z angle.
            settings.viewAngleX = clampTo(state.dragStartValue[0] - (dy % 360), -720, 1080);
            settings.viewAngleZ = clampTo(state.dragStartValue[1] + (dx % 360), -720, 1080);
            showAngles();
            break;
        case ModeSection: {
            if (!isSectionDisplay(settings.displayMode)) return;
            // One step per 10 pixels up or right; each division truncates toward zero.
            int index = clampTo(state.dragStartValue[0] + dy / 10 + dx / 10, -1000000000, 1000000000);
            if (settings.displayMode == DisplayXSection) state.sectionIndexX = index;
            else state.sectionIndexY = index;
            sectionMoved();   // the build keeps the index inside the grid
            break;
        }
        case ModePick:
        case ModeCount:
            return;   // a pick mode click does not drag
    }
    viewMoved();
}

void CKelvraView::leftButtonUp() {
    if (!state.dragging) return;
    // The glyph sizes follow the zoom; rebuilding them once at the end keeps
    // the drag itself cheap.
    if (state.interactionMode == ModeZoom) {
        buildGlyphLists();
        host().invalidate();
    }
    state.dragging = false;
    viewSettled();
}

// ---- keys ----------------------------------------------------------------------

void CKelvraView::keyDown(ArrowKey key) {
    if (state.interactionMode == ModePick) return;
    if (state.pickMarkersShown) state.pickMarkersShown = false;
    const bool upOrRight = key == ArrowKey::Up || key == ArrowKey::Right;
    switch (state.interactionMode) {
        case ModeMove:
            if (key == ArrowKey::Up) settings.viewPosY = clampTo((long long)settings.viewPosY + 1, -kPosLimit, kPosLimit);
            if (key == ArrowKey::Down) settings.viewPosY = clampTo((long long)settings.viewPosY - 1, -kPosLimit, kPosLimit);
            if (key == ArrowKey::Left) settings.viewPosX = clampTo((long long)settings.viewPosX - 1, -kPosLimit, kPosLimit);
            if (key == ArrowKey::Right) settings.viewPosX = clampTo((long long)settings.viewPosX + 1, -kPosLimit, kPosLimit);
            showPosition();
            break;
        case ModeZoom:
            settings.viewZoom = clampTo((long long)settings.viewZoom + (upOrRight ? 1 : -1), kZoomMinKey, kZoomMax);
            showZoom();
            layoutAnchoredOverlays();
            buildGlyphLists();
            break;
        case ModeRotate:
            if (key == ArrowKey::Down) settings.viewAngleX = (settings.viewAngleX + 1) % 360;
            if (key == ArrowKey::Up && --settings.viewAngleX < 0) settings.viewAngleX = 359;
            if (key == ArrowKey::Left && --settings.viewAngleZ < 0) settings.viewAngleZ = 359;
            if (key == ArrowKey::Right) settings.viewAngleZ = (settings.viewAngleZ + 1) % 360;
            showAngles();
            break;
        case ModeSection:
            if (!isSectionDisplay(settings.displayMode)) break;
            {
                int& index = settings.displayMode == DisplayXSection ? state.sectionIndexX : state.sectionIndexY;
                index = clampTo((long long)index + (upOrRight ? 1 : -1), -1000000000, 1000000000);
            }
            sectionMoved();   // the build keeps the index inside the grid
            break;
        case ModePick:
        case ModeCount:
            break;   // the keys do nothing in pick mode (returned above)
    }
    viewMoved();
}

void CKelvraView::keyUp() { viewSettled(); }

// ---- view presets ----------------------------------------------------------------

void CKelvraView::resetView() {
    const GraphSettings& fresh = defaultSettings();
    settings.viewPosX = fresh.viewPosX;
    settings.viewPosY = fresh.viewPosY;
    settings.viewZoom = fresh.viewZoom;
    settings.viewAngleX = fresh.viewAngleX;
    settings.viewAngleZ = fresh.viewAngleZ;
    layoutAnchoredOverlays();
    showPosition();
    showZoom();
    showAngles();
    buildGlyphLists();
    host().invalidate();
}

void CKelvraView::setViewPlane(int plane) {
    // Internal X angles: 0 looks down the Z axis; 270 stands the Z axis up.
    static const int kAngles[3][2] = {
        {0, 0},       // X-Y plane
        {270, 0},     // X-Z plane, Z up
        {270, 270},   // Y-Z plane, Z up
    };
    if (plane < 0 || plane > 2) return;
    settings.viewAngleX = kAngles[plane][0];
    settings.viewAngleZ = kAngles[plane][1];
    showPosition();
    showZoom();
    showAngles();
    buildGlyphLists();
    host().invalidate();
}

void CKelvraView::fitModeToDisplay() {
    if (settings.displayMode == Display3D && state.interactionMode == ModeSection) state.interactionMode = ModeRotate;
    if (settings.displayMode == Display2D && (state.interactionMode == ModeRotate || state.interactionMode == ModeSection))
        state.interactionMode = ModeZoom;
    // The display kind may have changed with the settings that led here.
    showDisplayKind();
}

// ---- status panes ------------------------------------------------------------------

void CKelvraView::showPosition() {
    host().setStatusPane(PanePosition,
                         sj("[位置] X=") + signedPosition(settings.viewPosX) + ",Y=" + signedPosition(settings.viewPosY));
}

void CKelvraView::showZoom() {
    char text[32];
    std::snprintf(text, sizeof text, "%03d(%%)", settings.viewZoom);
    host().setStatusPane(PaneZoom, sj("[倍率] ") + text);
}

void CKelvraView::showAngles() {
    if (settings.displayMode == Display2D) {
        settings.viewAngleX = 0;
        settings.viewAngleZ = 0;
    }
    if (settings.viewAngleX < 0) settings.viewAngleX += 360;
    if (settings.viewAngleX > 359) settings.viewAngleX -= 360;
    if (settings.viewAngleZ < 0) settings.viewAngleZ += 360;
    if (settings.viewAngleZ > 359) settings.viewAngleZ -= 360;
    int shownX = settings.viewAngleX >= 270 ? settings.viewAngleX - 270 : settings.viewAngleX + 90;
    char text[48];
    std::snprintf(text, sizeof text, "X=%03d(deg),Z=%03d(deg)", shownX, settings.viewAngleZ);
    host().setStatusPane(PaneAngles, sj("[角度] ") + text);
}

void CKelvraView::showDisplayKind() {
    static const char* const kKinds[] = {"[表示] 3次元", "[表示] 2次元", "[表示] X-断面", "[表示] Y-断面"};
    static_assert(std::size(kKinds) == DisplayModeCount);
    if (settings.displayMode < 0 || settings.displayMode >= DisplayModeCount) return;
    host().setStatusPane(PaneDisplayKind, sj(kKinds[settings.displayMode]));
}

}  // namespace kelvra
