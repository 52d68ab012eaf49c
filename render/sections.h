// Sections: one column (X section) or one row (Y section) of a grid drawn as a
// curve of Z; axis 0 is the X section, 1 the Y section.
#pragma once

#include "render/drawInput.h"

namespace kelvra {

// In an X or Y section display, keeps the section's index inside the grid and
// sets sectionPos to its column's X or row's Y. Runs before every build of
// the graph, so the drawing routines may take the index as it is.
void holdSectionOnGrid(const GraphData& d, GraphSettings& s, ViewState& state);

void drawSectionLine(const DrawInput& in, int axis);
void drawSectionPoints(const DrawInput& in, int axis);
void drawSectionFill(const DrawInput& in, int axis);
void drawSectionCut(const DrawInput& in, int axis);

}  // namespace kelvra
