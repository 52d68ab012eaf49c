// What the view keeps of the GL context it draws into: the glyph renderer,
// which of the display lists are built, and the reduced graph's bookkeeping.
// Nothing here is a setting or a datum; it can always be made again from the
// records, and the view drops it when the context goes.
#pragma once

#include <memory>
#include <vector>

#include "render/displayLists.h"
#include "render/reducedGraph.h"
#include "render/text.h"

namespace kelvra {

struct PlacedLabel;

struct RenderCache {
    std::unique_ptr<GlyphRenderer> glyphs = std::make_unique<GlyphRenderer>();
    bool glyphListsBuilt = false;
    bool graphListsBuilt = false;
    bool overlayListsBuilt = false;   // lists 150, 200 (set with graphListsBuilt, or alone)
    // Set by kelvra-render, which draws one picture: loads and settings
    // changes then only mark the lists as not built, and the scene builds the
    // overlay lists and draws the graph straight into the frame. A list pays
    // off only for a second frame; compiling list 100 costs more than
    // drawing it, and its memory. The primitives, and so the picture, are the
    // same.
    bool deferListBuilds = false;
    // List 100 would pass the memory budget (graphListBudget), or compiling it
    // ran out of memory: the full frames draw the graph straight from the data.
    bool graphStraight = false;
    // "Out of memory" was said for the present lists; said again only after a rebuild.
    bool outOfMemorySaid = false;
    ReducedGraph reduced;   // the graph drawn while the view moves (render/reducedGraph.h)
    // Tests: when set, every label the scale frame, the axis indicator, the
    // legend and the title place is recorded here (render/scaleFrame.h).
    std::vector<PlacedLabel>* labelTrace = nullptr;
};

}  // namespace kelvra
