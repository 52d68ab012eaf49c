// Navigation: turning, moving and zooming the graph, and moving the section,
// with the left mouse button or the arrow keys; and the four status-bar panes
// that show position, zoom, angles and display kind.
//
// Everything here edits the view state of the settings record in place and asks
// the host to repaint; nothing draws. The window system translates its events
// into leftButtonDown / mouseMove / leftButtonUp / keyDown / keyUp and
// captures the mouse while `dragging` is set; the wheel zooms through
// wheelZoom. A drag, a held key or a turning wheel marks the view as moving
// until the button or key comes up or the host's settle call arrives; the
// paint may show the reduced graph meanwhile (render/reducedGraph.h). Texts go
// to the host as CP932.
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
    dragging = true;
    switch (interactionMode) {
        case ModeMove:
            dragStartValue[0] = viewPosX;
            dragStartValue[1] = viewPosY;
            break;
        case ModeZoom:
            dragStartValue[0] = viewZoom;
            break;
        case ModeRotate:
            dragStartValue[0] = viewAngleX;
            dragStartValue[1] = viewAngleZ;
            break;
        case ModeSection:
            dragStartValue[0] = displayMode == DisplayXSection   ? sectionIndexX
                                : displayMode == DisplayYSection ? sectionIndexY
                                                                 : 0;
            break;
        case ModePick:
        case ModeCount:
            // A click picks (interact/picking.cpp); there is no drag, and the
            // markers stay unless the pick marks another point.
            dragging = false;
            if (interactionMode == ModePick) pickAt(x, y);
            return;
    }
    if (pickMarkersShown) {
        pickMarkersShown = false;
        host().invalidate();
    }
    dragStartX = x;
    dragStartY = y;
}

void CKelvraView::mouseMove(int x, int y) {
    if (!dragging) return;
    const long long dx = (long long)x - dragStartX;   // right is positive
    const long long dy = (long long)dragStartY - y;   // up is positive
    switch (interactionMode) {
        case ModeMove:
            viewPosX = clampTo(dragStartValue[0] + dx, -kPosLimit, kPosLimit);
            viewPosY = clampTo(dragStartValue[1] + dy, -kPosLimit, kPosLimit);
            showPosition();
            break;
        case ModeZoom:
            // One percent per pixel; right and up enlarge.
            viewZoom = clampTo(dragStartValue[0] + dx + dy, kZoomMinMouse, kZoomMax);
            showZoom();
            layoutAnchoredOverlays();
            break;
        case ModeRotate:
            // The drag is taken modulo a full turn first (% keeps the sign of
            // the distance); down raises the X angle, right raises the Z angle.
            viewAngleX = clampTo(dragStartValue[0] - (dy % 360), -720, 1080);
            viewAngleZ = clampTo(dragStartValue[1] + (dx % 360), -720, 1080);
            showAngles();
            break;
        case ModeSection: {
            if (!isSectionDisplay(displayMode)) return;
            // One step per 10 pixels up or right; each division truncates toward zero.
            int index = clampTo(dragStartValue[0] + dy / 10 + dx / 10, -1000000000, 1000000000);
            if (displayMode == DisplayXSection) sectionIndexX = index;
            else sectionIndexY = index;
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
    if (!dragging) return;
    // The glyph sizes follow the zoom; rebuilding them once at the end keeps
    // the drag itself cheap.
    if (interactionMode == ModeZoom) {
        buildGlyphLists();
        host().invalidate();
    }
    dragging = false;
    viewSettled();
}

// ---- keys ----------------------------------------------------------------------

void CKelvraView::keyDown(ArrowKey key) {
    if (interactionMode == ModePick) return;
    if (pickMarkersShown) pickMarkersShown = false;
    const bool upOrRight = key == ArrowKey::Up || key == ArrowKey::Right;
    switch (interactionMode) {
        case ModeMove:
            if (key == ArrowKey::Up) viewPosY = clampTo((long long)viewPosY + 1, -kPosLimit, kPosLimit);
            if (key == ArrowKey::Down) viewPosY = clampTo((long long)viewPosY - 1, -kPosLimit, kPosLimit);
            if (key == ArrowKey::Left) viewPosX = clampTo((long long)viewPosX - 1, -kPosLimit, kPosLimit);
            if (key == ArrowKey::Right) viewPosX = clampTo((long long)viewPosX + 1, -kPosLimit, kPosLimit);
            showPosition();
            break;
        case ModeZoom:
            viewZoom = clampTo((long long)viewZoom + (upOrRight ? 1 : -1), kZoomMinKey, kZoomMax);
            showZoom();
            layoutAnchoredOverlays();
            buildGlyphLists();
            break;
        case ModeRotate:
            if (key == ArrowKey::Down) viewAngleX = (viewAngleX + 1) % 360;
            if (key == ArrowKey::Up && --viewAngleX < 0) viewAngleX = 359;
            if (key == ArrowKey::Left && --viewAngleZ < 0) viewAngleZ = 359;
            if (key == ArrowKey::Right) viewAngleZ = (viewAngleZ + 1) % 360;
            showAngles();
            break;
        case ModeSection:
            if (!isSectionDisplay(displayMode)) break;
            {
                int& index = displayMode == DisplayXSection ? sectionIndexX : sectionIndexY;
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

void CKelvraView::wheelZoom(int notches) {
    if (notches == 0) return;
    viewZoom = clampTo((long long)viewZoom + notches, kZoomMinKey, kZoomMax);
    showZoom();
    layoutAnchoredOverlays();
    buildGlyphLists();
    viewMoved();
}

// ---- view presets ----------------------------------------------------------------

void CKelvraView::resetView() {
    const GraphSettings& fresh = defaultSettings();
    viewPosX = fresh.viewPosX;
    viewPosY = fresh.viewPosY;
    viewZoom = fresh.viewZoom;
    viewAngleX = fresh.viewAngleX;
    viewAngleZ = fresh.viewAngleZ;
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
    viewAngleX = kAngles[plane][0];
    viewAngleZ = kAngles[plane][1];
    showPosition();
    showZoom();
    showAngles();
    buildGlyphLists();
    host().invalidate();
}

void CKelvraView::fitModeToDisplay() {
    if (displayMode == Display3D && interactionMode == ModeSection) interactionMode = ModeRotate;
    if (displayMode == Display2D && (interactionMode == ModeRotate || interactionMode == ModeSection))
        interactionMode = ModeZoom;
    // The display kind may have changed with the settings that led here.
    showDisplayKind();
}

// ---- status panes ------------------------------------------------------------------

void CKelvraView::showPosition() {
    host().setStatusPane(PanePosition,
                         sj("[位置] X=") + signedPosition(viewPosX) + ",Y=" + signedPosition(viewPosY));
}

void CKelvraView::showZoom() {
    char text[32];
    std::snprintf(text, sizeof text, "%03d(%%)", viewZoom);
    host().setStatusPane(PaneZoom, sj("[倍率] ") + text);
}

void CKelvraView::showAngles() {
    if (displayMode == Display2D) {
        viewAngleX = 0;
        viewAngleZ = 0;
    }
    if (viewAngleX < 0) viewAngleX += 360;
    if (viewAngleX > 359) viewAngleX -= 360;
    if (viewAngleZ < 0) viewAngleZ += 360;
    if (viewAngleZ > 359) viewAngleZ -= 360;
    int shownX = viewAngleX >= 270 ? viewAngleX - 270 : viewAngleX + 90;
    char text[48];
    std::snprintf(text, sizeof text, "X=%03d(deg),Z=%03d(deg)", shownX, viewAngleZ);
    host().setStatusPane(PaneAngles, sj("[角度] ") + text);
}

void CKelvraView::showDisplayKind() {
    static const char* const kKinds[] = {"[表示] 3次元", "[表示] 2次元", "[表示] X-断面", "[表示] Y-断面"};
    static_assert(std::size(kKinds) == DisplayModeCount);
    if (displayMode < 0 || displayMode >= DisplayModeCount) return;
    host().setStatusPane(PaneDisplayKind, sj(kKinds[displayMode]));
}

}  // namespace kelvra
