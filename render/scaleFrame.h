// The scale frame and the axis indicator, and the placement helpers they share
// with the legend and the title: the angle table that moves the frame's labels
// about the box as the graph turns, and the one routine through which every
// label is placed. The scene draws the frame afresh on every paint and
// compiles the axis indicator into list 200 (view/viewPaint.cpp).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "settings/graphSettings.h"
#include "settings/settingsTables.h"
#include "settings/viewState.h"

namespace kelvra {

class GlyphRenderer;

// Interpolates eight values given for Z turns of 0, 45, ..., 315 degrees at
// `angle` degrees; between 315 and 360 it runs from t[7] back to t[0]. Angles
// outside 0..359 are first brought into that range.
double angleTable(const double (&t)[8], int angle);

// A label as placed: its text, text role and raster position in the
// coordinates of the list it was placed in (the title: in eye coordinates).
struct PlacedLabel {
    std::string text;
    TextRole role = RoleTitle;
    double x = 0, y = 0, z = 0;
};

// Where the overlays' texts go: the glyph renderer that draws them and, when
// a test asks for it, a record of every label placed.
struct TextOut {
    GlyphRenderer& glyphs;
    std::vector<PlacedLabel>* trace = nullptr;
};

// Draws `text` in black with `role` at the raster position (x, y, z) of the
// current list or transform. Drawn directly (not into a list), a label whose
// start lies outside the window still shows its visible part. Empty texts and
// non-finite positions draw nothing. When `out` has a trace, the label is
// recorded there.
void placeLabel(const TextOut& out, double x, double y, double z, std::string_view text, TextRole role);

// Records a label in `out`'s trace, when it has one.
void traceLabel(const TextOut& out, double x, double y, double z, std::string_view text, TextRole role);

// The 3-D scale frame under the graph's turn: grid lines on the floor and two
// back walls, ticks, values, units, labels, and in a section display the
// section's caption.
void drawScaleFrame3D(const GraphSettings& s, const ViewState& state, const TextOut& text);
// The 2-D frame in the plane of Z = 0 (1 on a log axis), or in `plane` for a
// flat Z range.
void drawScaleFrame2D(const GraphSettings& s, const ViewState& state, const TextOut& text, double plane);
// The X/Y/Z arrow cross with its labels, at the origin (list 200).
void drawAxisIndicator(const GraphSettings& s, const TextOut& text);

}  // namespace kelvra
