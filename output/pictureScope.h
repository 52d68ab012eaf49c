// What drawing a picture changes, set up for the request and put back
// afterwards: a framebuffer target of the picture's size, the camera for that
// size, the anchored overlays laid out for the request's frame and the pick
// markers hidden when the request leaves them out. Shared by the pictures of
// output/picture.h and output/vectorPicture.h, so that both show the same
// scene and leave the window as it was.
#pragma once

#include <GL/gl.h>

#include "view/kelvraView.h"
#include "output/picture.h"
#include "render/framebufferTarget.h"

namespace kelvra {

class PictureScope {
public:
    PictureScope(CKelvraView& view, const PictureRequest& request);
    ~PictureScope();
    PictureScope(const PictureScope&) = delete;
    PictureScope& operator=(const PictureScope&) = delete;

    // False when no framebuffer of the size could be made: nothing to draw into.
    bool ready() const { return target_.bound(); }

private:
    CKelvraView& view_;
    FramebufferTarget target_;
    // The settings fields layoutAnchoredOverlays writes.
    double axisPosH_, axisPosV_, legendPosH_, legendPosV_;
    int axisSize_, legendSize_;
    bool pickMarkers_;
};

}  // namespace kelvra
