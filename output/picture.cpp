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
    : view_(view), axisPosH_(view.settings.axisPosH), axisPosV_(view.settings.axisPosV), legendPosH_(view.settings.legendPosH),
      legendPosV_(view.settings.legendPosV), axisSize_(view.settings.axisSize), legendSize_(view.settings.legendSize),
      pickMarkers_(view.state.pickMarkersShown) {
    if (!target_.bind(request.size)) return;
    // The window's projection is kept across the picture's camera.
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glMatrixMode(GL_MODELVIEW);
    if (request.layoutFrame) layoutAnchoredOverlays(view.settings, *request.layoutFrame);
    if (!request.pickMarkers) view.state.pickMarkersShown = false;
    view.resizeViewport(request.size.width, request.size.height);
}

PictureScope::~PictureScope() {
    if (!target_.bound()) return;
    view_.state.pickMarkersShown = pickMarkers_;
    view_.settings.axisPosH = axisPosH_;
    view_.settings.axisPosV = axisPosV_;
    view_.settings.legendPosH = legendPosH_;
    view_.settings.legendPosV = legendPosV_;
    view_.settings.axisSize = axisSize_;
    view_.settings.legendSize = legendSize_;
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
    host().showMessageWithReason(sj("ﾌｧｲﾙを作成することが出来ません。"), systemReason(error));
    return false;
}

bool CKelvraView::savePicture(const PictureRequest& request, const std::string& path,
                              const std::optional<ImageBuffer>* drawn) {
    std::string target;
    const ImageFormat format = imageFormatFor(path, &target);
    if (!isVectorFormat(format)) return writeImage(drawn ? *drawn : renderPicture(request), path);
    std::optional<VectorPicture> picture = renderVectorPicture(request, format);
    if (!picture) {
        host().showMessage(sj("ﾌｧｲﾙを作成することが出来ません。"));
        return false;
    }
    if (!writeFileSafely(target, picture->bytes)) {
        host().showMessageWithReason(sj("ﾌｧｲﾙを作成することが出来ません。"), systemReason(errno));
        return false;
    }
    if (picture->graphAsImage)
        host().showNote(sj("ｸﾞﾗﾌの図形が多いため、ｸﾞﾗﾌは画像として書き込みました (目盛、凡例、文字はﾍﾞｸﾀｰです)。"));
    return true;
}

bool CKelvraView::saveImage(const std::string& path, PixelSize size) {
    return savePicture(shownPicture(size), path);
}

}  // namespace kelvra
