// The colour legend and the graph title.
//
// The legend is a vertical bar of one cell per colour level, its origin at the
// bar's bottom-left corner, with value labels beside the cell boundaries and
// the legend unit above it (list 150, or drawn straight into a vector
// picture). The title is drawn directly on every paint.
#pragma once

#include "render/drawInput.h"
#include "render/scaleFrame.h"

namespace kelvra {

// The legend the graph type asks for (legendChoice): colour or grey levels
// of the build, or none.
void drawLegend(const DrawInput& in, const TextOut& text);

// A legend bar of `levelCount` cells of `cellHeight` world units in the given
// colours (entry k for cell k), labelled every `valueStep` of level space.
void drawLegendBar(const GraphSettings& s, const TextOut& text, int levelCount, double valueStep, double cellHeight,
                   const Rgb* colors);

// The title text at its position, moving with the graph offset.
void drawTitle(const GraphSettings& s, const TextOut& text);

}  // namespace kelvra
