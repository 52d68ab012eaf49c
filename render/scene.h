// The scene's free routines (the view's own are in core/kelvraView.h under
// "scene and camera"; both are implemented in render/scene.cpp).
#pragma once

#include "core/viewHost.h"
#include "settings/graphSettings.h"

namespace kelvra {

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
