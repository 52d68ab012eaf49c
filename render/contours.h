// Contour fills and contour lines of grid data, on the surface or projected
// onto the floor of the scale box (the cell walk is render/contourCells.h).
#pragma once

#include "render/drawInput.h"

namespace kelvra {

void drawContourFill(const DrawInput& in, bool onFloor);
void drawGreyContourFill(const DrawInput& in, bool onFloor);
// Lines in the level colours, or all in contour2Color.
void drawContourLines(const DrawInput& in, bool coloured, bool onFloor);
// White fill behind contour lines, pushed back by polygon offset.
void drawContourHiddenFill(const DrawInput& in);

}  // namespace kelvra
