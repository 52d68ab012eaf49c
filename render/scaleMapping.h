// The scale recompute: how the four scales (X, Y, Z, legend) follow the data
// and the user's choices (see render/scaleMapping.cpp for what it
// guarantees), and the bar sizes and section positions that go with them.
// Free of the window: the view shows the panes the recompute changes.
#pragma once

#include "data/graphData.h"
#include "settings/graphSettings.h"
#include "settings/viewState.h"

namespace kelvra {

// After a data load or a bulk settings change: the scales from the data
// (keepUserScales false) or the user's kept where usable, the bar sizes, the
// axis spans, the interaction mode and the sections fitted to the display.
void recomputeScales(GraphSettings& s, ViewState& state, const GraphData& d, bool keepUserScales);

// What recomputeScales(false) takes from a new data set before the rest of the
// recompute: scales, bar sizes and sections from the data. A load that applies
// a settings section runs this, then the section, then recomputeScales(true),
// which gives what recomputeScales(false) gives when no section names a scale.
void scalesFromData(GraphSettings& s, ViewState& state, const GraphData& d);

// Bar footprints of a fresh data set: a grid's spacing, a twentieth of a list's range.
void resetBarSizes(GraphSettings& s, const GraphData& d);

// Each section onto the grid line nearest its position (sectionPos to that
// line's X or Y).
void snapSections(GraphSettings& s, ViewState& state, const GraphData& d);

}  // namespace kelvra
