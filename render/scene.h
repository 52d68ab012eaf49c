// The scene's free routines (the view's own are in view/kelvraView.h under
// "scene and camera"; both are implemented in render/scene.cpp).
#pragma once

#include "base/viewHost.h"
#include "settings/graphSettings.h"

namespace kelvra {

// The parts of the scene CKelvraView::drawScene draws.
enum ScenePart : unsigned {
    SceneGraph = 1u << 0,
    ScenePickMarkers = 1u << 1,     // when shown; drawn over the graph
    SceneAxisIndicator = 1u << 2,
    SceneLegend = 1u << 3,
    SceneFrame = 1u << 4,           // the scale frame: lines and labels
    SceneFrameLabels = 1u << 5,     // the scale frame's labels without its lines
    SceneTitle = 1u << 6,
    SceneAll = SceneGraph | ScenePickMarkers | SceneAxisIndicator | SceneLegend | SceneFrame | SceneTitle,
};

// Which graph list a frame shows (render/reducedGraph.h).
enum class GraphDetail { Full, Reduced };

struct SceneDraw {
    unsigned parts = SceneAll;
    // Draws what lists 100, 150 and 200 hold straight instead of calling the
    // lists. GL feedback (a vector picture) needs it: text reaches a vector
    // picture only when drawText runs, and Mesa's feedback path loses
    // primitives that a display list merged.
    bool straight = false;
    GraphDetail detail = GraphDetail::Full;
};

// Places the window-anchored overlays for a main frame of outer size `frame`:
// the axis indicator at the lower-left corner (axisFixLowerLeft) and the legend
// at the right side (legendFixRight), so that they keep their place on the
// screen whatever the zoom; sizes that are not fixed follow the zoom. Called by
// CKelvraView::layoutAnchoredOverlays with the window's frame, and by
// renderPicture for a picture laid out as another window.
void layoutAnchoredOverlays(GraphSettings& s, PixelSize frame);

// Multiplies the modelview by the graph's place on the screen: moved by the
// graph offset, turned by viewAngleX about X, then by viewAngleZ about Z. The
// graph, its pick markers, the scale frame and the pick draw under it.
void turnLikeTheGraph(const GraphSettings& s);

}  // namespace kelvra
