// What every drawing routine of render/ reads: the data set, the settings and
// the view state it draws, and the build context computed once for a build
// (the graph's mapping and the colour levels). The routines take it as one
// parameter, so the reduced graph draws a thinned copy of the data set through
// the same routines by handing in another GraphData.
#pragma once

#include "data/graphData.h"
#include "render/levels.h"
#include "render/mapping.h"
#include "settings/graphSettings.h"
#include "settings/viewState.h"

namespace kelvra {

// What every drawing routine of a build shares: the graph mapping and the
// colour levels, computed once at the start of a build (makeBuildContext).
struct BuildContext {
    AxisMapping map;
    LevelTable levels;
    // The black-and-white graph types' colours for the same levels: the grey
    // ramp under the legend's style and reversal (greyCount == levels.levelCount).
    Rgb greys[kMaxLevelCount + 1];
    int greyCount = 0;
    double legendBandHeight = 0.0;   // height of one level in the legend list, world units
    // Screen width of the grid's widest cell in pixels when the graph is
    // drawn straight into a frame; 0 in a list, picking or a vector picture.
    double cellPixels = 0.0;
};

struct DrawInput {
    const GraphData& data;
    const GraphSettings& settings;
    const ViewState& state;
    const BuildContext& ctx;
};

}  // namespace kelvra
