// CKelvraView::renderPicture and the image save built on it (see picture.h).
//
// The picture is drawn into a framebuffer target of its own rather than read
// from the window: the window's back buffer is undefined after a swap, may be
// covered or of another size, and a launch must write the size it began with
// whatever its settings file does to the frame.
#include "output/picture.h"

#include <GL/gl.h>

#include <cerrno>

#include "core/cp932.h"
#include "core/fileIo.h"
#include "core/kelvraView.h"
#include "core/phaseTimes.h"
#include "output/imageFiles.h"
#include "render/framebufferTarget.h"
#include "render/scene.h"

namespace kelvra {
namespace {

// The settings fields layoutAnchoredOverlays writes, kept while a picture is
// laid out for another frame and put back afterwards.
struct OverlayPlacement {
    explicit OverlayPlacement(GraphSettings& s)
        : s_(s), axisPosH_(s.axisPosH), axisPosV_(s.axisPosV), legendPosH_(s.legendPosH),
          legendPosV_(s.legendPosV), axisSize_(s.axisSize), legendSize_(s.legendSize) {}
    ~OverlayPlacement() {
        s_.axisPosH = axisPosH_;
        s_.axisPosV = axisPosV_;
        s_.legendPosH = legendPosH_;
        s_.legendPosV = legendPosV_;
        s_.axisSize = axisSize_;
        s_.legendSize = legendSize_;
    }
    OverlayPlacement(const OverlayPlacement&) = delete;
    OverlayPlacement& operator=(const OverlayPlacement&) = delete;

private:
    GraphSettings& s_;
    double axisPosH_, axisPosV_, legendPosH_, legendPosV_;
    int axisSize_, legendSize_;
};

// The projection matrix of the window, kept across the picture's camera.
struct ProjectionKept {
    ProjectionKept() {
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glMatrixMode(GL_MODELVIEW);
    }
    ~ProjectionKept() {
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
    }
};

}  // namespace

std::optional<ImageBuffer> CKelvraView::renderPicture(const PictureRequest& request) {
    FramebufferTarget target;
    if (!target.bind(request.size)) return std::nullopt;
    std::optional<ImageBuffer> picture;
    {
        ProjectionKept projection;
        OverlayPlacement placement(settings());
        if (request.layoutFrame) kelvra::layoutAnchoredOverlays(settings(), *request.layoutFrame);
        const bool markers = pickMarkersShown;
        if (!request.pickMarkers) pickMarkersShown = false;
        resizeViewport(request.size.width, request.size.height);
        {
            PhaseScope phase(Phase::Draw);
            drawScene();
            glFinish();   // the draw, not the read-back, waits for the rasteriser
        }
        pickMarkersShown = markers;
        ImageBuffer image;
        if (readPicture(request.size.width, request.size.height, &image)) picture = std::move(image);
    }
    target.release();
    return picture;
}

bool CKelvraView::writeImage(const std::optional<ImageBuffer>& picture, const std::string& path) {
    // Without a picture, its framebuffer or its read-back found no memory
    // (sizes the driver cannot take are refused before anything is drawn).
    int error = ENOMEM;
    if (picture && writeImageFile(*picture, path)) return true;
    if (picture) error = errno;
    host().showMessageWithReason(sj("ﾌｧｲﾙを作成することが出来ません。"), systemReason(error));
    return false;
}

bool CKelvraView::saveImage(const std::string& path, PixelSize size) {
    return writeImage(renderPicture(shownPicture(size)), path);
}

}  // namespace kelvra
