// The scene: fixed GL state, the camera, the parts of a frame and the
// placement of the window-anchored overlays. The view decides which lists a
// frame calls and which parts it draws straight (view/viewPaint.cpp).
#pragma once

#include "base/viewHost.h"
#include "render/drawInput.h"
#include "render/scaleFrame.h"
#include "settings/graphSettings.h"

namespace kelvra {

// The parts of the scene a frame draws.
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

// Where a frame takes the graph and the overlays from: the list to call, or 0
// to draw that part straight from the records.
struct SceneSource {
    unsigned parts = SceneAll;
    int graphList = 0;
    int pickMarkerList = 0;       // 0: no marker shown
    int legendList = 0;
    int axisIndicatorList = 0;
};

// Fixed GL state of a new context: material, the light fixed to the eye,
// white clear colour, depth test.
void initGlState();

// Viewport and orthographic camera for a window of the given size: one pixel
// is 1 / (2 * viewZoom) world units.
void resizeViewport(int width, int height, int viewZoom);
// The camera alone, onto the current projection (the pick multiplies its pick
// matrix first); leaves the modelview matrix current.
void setProjection(double width, double height, int viewZoom);

// A rectangle of pixels, origin bottom-left.
struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
};
// The camera of a picture of `pixels` drawn `scale` times a window's size
// (the window pixels / scale, fractions allowed), onto the part `tile` of it:
// the viewport is the tile's, and the world it shows is the part of the
// picture the tile covers, so tiles drawn one by one and laid side by side
// are the whole picture.
void setPictureCamera(PixelSize pixels, double scale, int viewZoom, const PixelRect& tile);

// One frame's parts into the current framebuffer (cleared by the caller):
// the graph and pick markers under the graph's turn, the anchored overlays,
// the scale frame and the title. Drawing a part straight reads `in`; its ctx
// must then be the build context of `in.settings`.
// Returns the coarsening of a graph drawn straight (see drawGraph), 1
// for a list or when every point was drawn.
int drawSceneParts(const DrawInput& in, const TextOut& text, const SceneSource& source);

// Places the window-anchored overlays for a main frame of outer size `frame`:
// the axis indicator at the lower-left corner (axisFixLowerLeft) and the legend
// at the right side (legendFixRight), so that they keep their place on the
// screen whatever the zoom; sizes that are not fixed follow the zoom. Called by
// the view with the window's frame, and by the picture path for a picture
// laid out as another window.
void layoutAnchoredOverlays(GraphSettings& s, PixelSize frame);

// Multiplies the modelview by the graph's place on the screen: moved by the
// graph offset, turned by viewAngleX about X, then by viewAngleZ about Z. The
// graph, its pick markers, the scale frame and the pick draw under it.
void turnLikeTheGraph(const GraphSettings& s);

}  // namespace kelvra
