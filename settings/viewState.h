// The view's state beside its settings record: the values the scale recompute
// and the section snap derive from the settings and the data set, and the
// interaction of the moment. Never saved. A plain record that the view owns as
// `view.state`; the drawing routines read the derived values from it, and
// navigation and picking write the rest.
#pragma once

#include <string>

#include "data/dataImport.h"
#include "settings/graphSettings.h"

namespace kelvra {

// What a left-button drag or an arrow key does (the toolbar's mode buttons).
enum InteractionMode : int { ModeMove = 0, ModeZoom = 1, ModeRotate = 2, ModeSection = 3, ModePick = 4, ModeCount };

// The selected-data window's text: what the picks so far wrote, CR LF between
// lines, and how many lines that is. Plain ASCII as the picks write it, so it
// reads the same as CP932 and as UTF-8.
struct SelectedText {
    std::string text;
    int lineCount = 0;
};

struct ViewState {
    // ---- derived by the scale recompute and the section snap ----
    double axisSpan[3] = {200, 200, 200};   // data length mapped onto the full axis
    int sectionIndexX = 0;                  // grid column of the X section
    int sectionIndexY = 0;                  // grid row of the Y section

    // ---- the interaction of the moment ----
    InteractionMode interactionMode = ModeRotate;
    bool dragging = false;
    int dragStartX = 0, dragStartY = 0;     // client pixels at button-down
    int dragStartValue[2] = {0, 0};         // the mode's values at button-down
    bool pickMarkersShown = false;          // list 550 is drawn (a pick marked a point)
    SelectedText selectedText;              // what the selected-data window shows
    bool startupDone = false;               // the start-up argument ran (first paint)

    // ---- the import, for the run ----
    ImportChoices importChoices;            // what the user (or the command line) chose over the detection
    bool importAnswered = false;            // the import dialog was answered once
    std::string labelsFromNames[3];         // scale labels an import put in from its names row
};

// What changed in the records, for the view's one change sequence
// (view/viewChange.cpp); a change is any combination of these.
enum Change : unsigned {
    ChangeData = 1u << 0,       // a data set was read into the record
    ChangeSettings = 1u << 1,   // the settings record changed in bulk (dialog, settings file)
    ChangePosition = 1u << 2,   // the graph's offset (a move)
    ChangeAngles = 1u << 3,     // the graph's turn
    ChangeZoom = 1u << 4,       // the zoom: overlays and glyph sizes follow it
    ChangeSection = 1u << 5,    // the section's index
    ChangeMarkers = 1u << 6,    // only the pick markers went: a repaint
    ChangeView = ChangePosition | ChangeAngles | ChangeZoom,
};

// The interaction mode a display allows: no section mode in 3-D, neither
// turning nor sections in 2-D (zoom instead).
inline void fitModeToDisplay(ViewState& state, DisplayMode mode) {
    if (mode == Display3D && state.interactionMode == ModeSection) state.interactionMode = ModeRotate;
    if (mode == Display2D && (state.interactionMode == ModeRotate || state.interactionMode == ModeSection))
        state.interactionMode = ModeZoom;
}

}  // namespace kelvra
