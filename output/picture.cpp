// CKelvraView::renderPicture and the image save built on it (see picture.h).
//
// The picture is drawn into a framebuffer target of its own rather than read
// from the window: the window's back buffer is undefined after a swap, may be
// covered or of another size, and a launch must write the size it began with
// whatever its settings file does to the frame.
#include "output/picture.h"

#include <GL/gl.h>

#include <cerrno>

#include "base/cp932.h"
#include "base/fileIo.h"
#include "view/kelvraView.h"
#include "base/phaseTimes.h"
#include "output/imageFiles.h"
#include "output/pictureScope.h"
#include "render/scene.h"

namespace kelvra {

PictureScope::PictureScope(CKelvraView& view, const PictureRequest& request)
    : view_(view), axisPosH_(view.axisPosH), axisPosV_(view.axisPosV), legendPosH_(view.legendPosH),
      legendPosV_(view.legendPosV), axisSize_(view.axisSize), legendSize_(view.legendSize),
      pickMarkers_(view.pickMarkersShown) {
    if (!target_.bind(request.size)) return;
    // The window's projection is kept across the picture's camera.
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glMatrixMode(GL_MODELVIEW);
    if (request.layoutFrame) layoutAnchoredOverlays(view.settings(), *request.layoutFrame);
    if (!request.pickMarkers) view.pickMarkersShown = false;
    view.resizeViewport(request.size.width, request.size.height);
}

PictureScope::~PictureScope() {
    if (!target_.bound()) return;
    view_.pickMarkersShown = pickMarkers_;
    view_.axisPosH = axisPosH_;
    view_.axisPosV = axisPosV_;
    view_.legendPosH = legendPosH_;
    view_.legendPosV = legendPosV_;
    view_.axisSize = axisSize_;
    view_.legendSize = legendSize_;
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    target_.release();
}

std::optional<ImageBuffer> CKelvraView::renderPicture(const PictureRequest& request) {
    PictureScope scope(*this, request);
    if (!scope.ready()) return std::nullopt;
    {
        PhaseScope phase(Phase::Draw);
        drawScene();
        glFinish();   // the draw, not the read-back, waits for the rasteriser
    }
    ImageBuffer image;
    if (!readPicture(request.size.width, request.size.height, &image)) return std::nullopt;
    return image;
}

bool CKelvraView::writeImage(const std::optional<ImageBuffer>& picture, const std::string& path) {
    // Without a picture, its framebuffer or its read-back found no memory
    // (sizes the driver cannot take are refused before anything is drawn).
    int error = ENOMEM;
    if (picture && writeImageFile(*picture, path)) return true;
    if (picture) error = errno;
    std::string target;
    imageFormatFor(path, &target);
    host().showFileMessage(sj("ﾌｧｲﾙを作成することが出来ません。"), target, error);
    return false;
}

bool CKelvraView::savePicture(const PictureRequest& request, const std::string& path,
                              const std::optional<ImageBuffer>* drawn) {
    std::string target;
    const ImageFormat format = imageFormatFor(path, &target);
    if (!isVectorFormat(format)) return writeImage(drawn ? *drawn : renderPicture(request), path);
    std::optional<VectorPicture> picture = renderVectorPicture(request, format);
    if (!picture) {
        host().showFileMessage(sj("ﾌｧｲﾙを作成することが出来ません。"), target, 0);
        return false;
    }
    if (!writeFileSafely(target, picture->bytes)) {
        host().showFileMessage(sj("ﾌｧｲﾙを作成することが出来ません。"), target, errno);
        return false;
    }
    if (picture->graphAsImage) host().showNote(sj(kGraphAsImageNote));
    return true;
}

bool CKelvraView::saveImage(const std::string& path, PixelSize size) {
    return savePicture(shownPicture(size), path);
}

}  // namespace kelvra
