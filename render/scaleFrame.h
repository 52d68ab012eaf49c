// Placement helpers of the scale frame, the axis indicator, the legend and the
// title: the angle table that moves the frame's labels about the box as the
// graph turns, and the one routine through which every label is placed.
#pragma once

#include <string>
#include <string_view>

#include "settings/settingsTables.h"

namespace kelvra {

class CKelvraView;

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

// Draws `text` in black with `role` at the raster position (x, y, z) of the
// current list or transform. Drawn directly (not into a list), a label whose
// start lies outside the window still shows its visible part. Empty texts and
// non-finite positions draw nothing. When the view's labelTrace is set, the
// label is recorded there.
void placeLabel(CKelvraView& view, double x, double y, double z, std::string_view text, TextRole role);

// Records a label in the view's labelTrace, when one is set.
void traceLabel(CKelvraView& view, double x, double y, double z, std::string_view text, TextRole role);

}  // namespace kelvra
