// Navigation: turning, moving and zooming the graph, and moving the section,
// with the left mouse button or the arrow keys; and the texts of the four
// status-bar panes that show position, zoom, angles and display kind.
//
// Everything here edits the view state of the settings record and the
// interaction state in place and says what it changed; nothing draws and
// nothing reaches the window. The view (view/viewNavigation.cpp) runs the
// change sequence with what these return. Texts are CP932.
#pragma once

#include <string>

#include "settings/graphSettings.h"
#include "settings/viewState.h"

namespace kelvra {

enum class ArrowKey { Up, Down, Left, Right };

// What a button press asks of the view besides the state it set.
enum class PressResult {
    Drag,            // a drag started (dragging is set)
    DragHidMarks,    // the same, and the pick markers it hid need a repaint
    Pick,            // pick mode: the view picks at the press point; no drag
    Nothing,
};

PressResult pressButton(const GraphSettings& s, ViewState& state, int x, int y);
// A mouse move during a drag: the Change flags of what it changed (0: nothing).
unsigned dragTo(GraphSettings& s, ViewState& state, int x, int y);
// The button came up: the Change flags still due (the glyph sizes of a zoom
// drag are rebuilt once, at the end); dragging is cleared.
unsigned releaseButton(ViewState& state);
// One step of an arrow key in the interaction mode (nothing in pick mode).
unsigned pressArrow(GraphSettings& s, ViewState& state, ArrowKey key);

// The mouse wheel, in any mode: each notch (positive away from the user)
// zooms as one arrow key does in zoom mode.
unsigned wheelZoom(GraphSettings& s, int notches);

// The default position, zoom and angles.
void resetViewSettings(GraphSettings& s);
// Looks at the X-Y (0), X-Z (1) or Y-Z (2) plane; other numbers do nothing
// and return false.
bool setViewPlane(GraphSettings& s, int plane);

// The pane texts. The angles are shown as normalizeViewAngles leaves them.
std::string positionPaneText(const GraphSettings& s);
std::string zoomPaneText(const GraphSettings& s);
std::string anglesPaneText(const GraphSettings& s);
// Empty for a display mode outside the four.
std::string displayKindPaneText(const GraphSettings& s);

}  // namespace kelvra
