// Navigation (see navigation.h). The window system translates its events into
// button presses, moves and arrow keys; the view captures the mouse while
// `dragging` is set, and marks the view as moving until the button or key
// comes up or the host's settle call arrives.
#include "interact/navigation.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "base/cp932.h"

namespace kelvra {
namespace {

constexpr int kPosLimit = 999;      // viewPosX, viewPosY stay in -999..999
constexpr int kZoomMax = 999;       // percent
constexpr int kZoomMinMouse = 10;   // a drag stops at 10 %
constexpr int kZoomMinKey = 1;      // the keys reach 1 %
constexpr int kIndexLimit = 1000000000;

// Mouse and start values are small, but the start values come from settings
// files; computing in 64 bits keeps every sum defined before the clamp.
int clampTo(long long value, int low, int high) {
    return int(std::clamp<long long>(value, low, high));
}

bool isSectionDisplay(int displayMode) {
    return displayMode == DisplayXSection || displayMode == DisplayYSection;
}

// The index the section mode moves: the X section's column or the Y section's row.
int* sectionIndex(const GraphSettings& s, ViewState& state) {
    if (s.displayMode == DisplayXSection) return &state.sectionIndexX;
    if (s.displayMode == DisplayYSection) return &state.sectionIndexY;
    return nullptr;
}

// "-005" for negatives ("%04d" counts the sign), "+012" otherwise.
std::string signedPosition(int value) {
    char text[16];
    std::snprintf(text, sizeof text, value < 0 ? "%04d" : "+%03d", value);
    return text;
}

}  // namespace

// ---- mouse ---------------------------------------------------------------------

PressResult pressButton(const GraphSettings& s, ViewState& state, int x, int y) {
    switch (state.interactionMode) {
        case ModeMove:
            state.dragStartValue[0] = s.viewPosX;
            state.dragStartValue[1] = s.viewPosY;
            break;
        case ModeZoom: state.dragStartValue[0] = s.viewZoom; break;
        case ModeRotate:
            state.dragStartValue[0] = s.viewAngleX;
            state.dragStartValue[1] = s.viewAngleZ;
            break;
        case ModeSection: {
            const int* index = sectionIndex(s, state);
            state.dragStartValue[0] = index ? *index : 0;
            break;
        }
        case ModePick:
        case ModeCount:
            // A click picks; there is no drag, and the markers stay unless the
            // pick marks another point.
            state.dragging = false;
            return state.interactionMode == ModePick ? PressResult::Pick : PressResult::Nothing;
    }
    state.dragging = true;
    state.dragStartX = x;
    state.dragStartY = y;
    if (!state.pickMarkersShown) return PressResult::Drag;
    state.pickMarkersShown = false;
    return PressResult::DragHidMarks;
}

unsigned dragTo(GraphSettings& s, ViewState& state, int x, int y) {
    if (!state.dragging) return 0;
    const long long dx = (long long)x - state.dragStartX;   // right is positive
    const long long dy = (long long)state.dragStartY - y;   // up is positive
    switch (state.interactionMode) {
        case ModeMove:
            s.viewPosX = clampTo(state.dragStartValue[0] + dx, -kPosLimit, kPosLimit);
            s.viewPosY = clampTo(state.dragStartValue[1] + dy, -kPosLimit, kPosLimit);
            return ChangePosition;
        case ModeZoom:
            // One percent per pixel; right and up enlarge.
            s.viewZoom = clampTo(state.dragStartValue[0] + dx + dy, kZoomMinMouse, kZoomMax);
            return ChangeZoom;
        case ModeRotate:
            // The drag is taken modulo a full turn first (% keeps the sign of
            // the distance); down raises the X angle, right raises the Z angle.
            s.viewAngleX = clampTo(state.dragStartValue[0] - (dy % 360), -720, 1080);
            s.viewAngleZ = clampTo(state.dragStartValue[1] + (dx % 360), -720, 1080);
            return ChangeAngles;
        case ModeSection: {
            int* index = sectionIndex(s, state);
            if (!index) return 0;
            // One step per 10 pixels up or right; each division truncates
            // toward zero. The build keeps the index inside the grid.
            *index = clampTo(state.dragStartValue[0] + dy / 10 + dx / 10, -kIndexLimit, kIndexLimit);
            return ChangeSection;
        }
        case ModePick:
        case ModeCount: return 0;   // a pick mode click does not drag
    }
    return 0;
}

unsigned releaseButton(ViewState& state) {
    if (!state.dragging) return 0;
    state.dragging = false;
    return state.interactionMode == ModeZoom ? ChangeZoom : 0;
}

// ---- keys ----------------------------------------------------------------------

unsigned pressArrow(GraphSettings& s, ViewState& state, ArrowKey key) {
    if (state.interactionMode == ModePick) return 0;
    state.pickMarkersShown = false;
    const bool upOrRight = key == ArrowKey::Up || key == ArrowKey::Right;
    switch (state.interactionMode) {
        case ModeMove:
            if (key == ArrowKey::Up) s.viewPosY = clampTo((long long)s.viewPosY + 1, -kPosLimit, kPosLimit);
            if (key == ArrowKey::Down) s.viewPosY = clampTo((long long)s.viewPosY - 1, -kPosLimit, kPosLimit);
            if (key == ArrowKey::Left) s.viewPosX = clampTo((long long)s.viewPosX - 1, -kPosLimit, kPosLimit);
            if (key == ArrowKey::Right) s.viewPosX = clampTo((long long)s.viewPosX + 1, -kPosLimit, kPosLimit);
            return ChangePosition;
        case ModeZoom:
            s.viewZoom = clampTo((long long)s.viewZoom + (upOrRight ? 1 : -1), kZoomMinKey, kZoomMax);
            return ChangeZoom;
        case ModeRotate:
            if (key == ArrowKey::Down) s.viewAngleX = (s.viewAngleX + 1) % 360;
            if (key == ArrowKey::Up && --s.viewAngleX < 0) s.viewAngleX = 359;
            if (key == ArrowKey::Left && --s.viewAngleZ < 0) s.viewAngleZ = 359;
            if (key == ArrowKey::Right) s.viewAngleZ = (s.viewAngleZ + 1) % 360;
            return ChangeAngles;
        case ModeSection:
            if (int* index = sectionIndex(s, state)) {
                *index = clampTo((long long)*index + (upOrRight ? 1 : -1), -kIndexLimit, kIndexLimit);
                return ChangeSection;
            }
            return ChangeMarkers;   // outside a section display the key only hides the markers
        case ModePick:
        case ModeCount: break;
    }
    return 0;
}

unsigned wheelZoom(GraphSettings& s, int notches) {
    if (notches == 0) return 0;
    s.viewZoom = clampTo((long long)s.viewZoom + notches, kZoomMinKey, kZoomMax);
    return ChangeZoom;
}

// ---- view presets ----------------------------------------------------------------

void resetViewSettings(GraphSettings& s) {
    const GraphSettings& fresh = defaultSettings();
    s.viewPosX = fresh.viewPosX;
    s.viewPosY = fresh.viewPosY;
    s.viewZoom = fresh.viewZoom;
    s.viewAngleX = fresh.viewAngleX;
    s.viewAngleZ = fresh.viewAngleZ;
}

bool setViewPlane(GraphSettings& s, int plane) {
    // Internal X angles: 0 looks down the Z axis; 270 stands the Z axis up.
    static const int kAngles[3][2] = {
        {0, 0},       // X-Y plane
        {270, 0},     // X-Z plane, Z up
        {270, 270},   // Y-Z plane, Z up
    };
    if (plane < 0 || plane > 2) return false;
    s.viewAngleX = kAngles[plane][0];
    s.viewAngleZ = kAngles[plane][1];
    return true;
}

// ---- status panes ------------------------------------------------------------------

std::string positionPaneText(const GraphSettings& s) {
    return sj("[位置] X=") + signedPosition(s.viewPosX) + ",Y=" + signedPosition(s.viewPosY);
}

std::string zoomPaneText(const GraphSettings& s) {
    char text[32];
    std::snprintf(text, sizeof text, "%03d(%%)", s.viewZoom);
    return sj("[倍率] ") + text;
}

std::string anglesPaneText(const GraphSettings& s) {
    int shownX = s.viewAngleX >= 270 ? s.viewAngleX - 270 : s.viewAngleX + 90;
    char text[48];
    std::snprintf(text, sizeof text, "X=%03d(deg),Z=%03d(deg)", shownX, s.viewAngleZ);
    return sj("[角度] ") + text;
}

std::string displayKindPaneText(const GraphSettings& s) {
    static const char* const kKinds[] = {"[表示] 3次元", "[表示] 2次元", "[表示] X-断面", "[表示] Y-断面"};
    static_assert(std::size(kKinds) == DisplayModeCount);
    if (s.displayMode < 0 || s.displayMode >= DisplayModeCount) return {};
    return sj(kKinds[s.displayMode]);
}

}  // namespace kelvra
