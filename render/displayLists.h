// The display lists of the scene, by name: the view compiles them, the scene
// calls them.
#pragma once

namespace kelvra {

// Display-list names used by the scene (the glyph lists of the text roles are
// numbered from their bases in settings/settingsTables.h).
enum DisplayList {
    ListGraph = 100,
    ListGraphReduced = 120,   // the graph from a thinned data set, while the view moves
    ListLegend = 150,
    ListAxisIndicator = 200,
    ListScaleFrame = 300,
    ListPickMarker = 550,
    ListScratchGlyph = 9000,
};

}  // namespace kelvra
