// The graph's drawing steps (see render/graphSteps.cpp): the build context,
// the graph as its type and floor projection draw it, and the clip planes of
// the scale box that the steps draw inside.
#pragma once

#include <cstddef>

#include "render/drawInput.h"

namespace kelvra {

// The graph mapping, the colour levels and the grey levels of the settings,
// for one build of the graph and the legend.
BuildContext makeBuildContext(const GraphSettings& s, const ViewState& state);

// The graph type's steps and the floor projection's, drawn into the list
// being compiled or straight into the frame. Straight into a frame, a grid
// whose cells project under a pixel is drawn from a coarsened copy
// (coarsenGrid) when the steps draw only its cells. Returns about how many
// grid points each point drawn stood for: 1 when every point was drawn.
int drawGraph(const DrawInput& in);
// Whether that coarsening is done (on unless switched off: the full drawing
// it is measured against).
void setSubPixelCoarsening(bool on);
// The same, the steps that walk the grid reading `grid` and those that walk
// only the section reading `section` (the full data set under a thinned grid).
void drawGraphSteps(const DrawInput& grid, const DrawInput& section);

// What a display list of the graph would take, roughly (the GL keeps some
// 32 bytes a vertex): the graph's points times the vertices each step makes
// of a point. A list beyond graphListBudget() is not compiled: the window
// draws the graph straight from the data in every full frame instead.
std::size_t graphListBytes(const GraphSettings& s, const GraphData& d);
// 512 MB, or a quarter of the address space left under a limit when less
// (setGraphListBudget overrides it; 0 goes back to the rule).
std::size_t graphListBudget();
void setGraphListBudget(std::size_t bytes);

// Clip planes 0..5 around the scale box (a hundredth of a world unit outside
// it), enabled; unclipScaleBox disables them.
void clipToScaleBox(const GraphSettings& s, const ViewState& state);
void unclipScaleBox();
// A point's X, Y, Z lie inside the scale ranges, give or take a thousandth of each.
bool insideScaleBox(const GraphSettings& s, const double* xyz);

}  // namespace kelvra
