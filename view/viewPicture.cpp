// Pictures: the one path by which every picture the program saves or hands on
// is drawn (renderPicture, renderVectorPicture), and the image saves built on
// it (see output/picture.h for the requests).
//
// The picture is drawn into a framebuffer target of its own rather than read
// from the window: the window's back buffer is undefined after a swap, may be
// covered or of another size, and a launch must write the size it began with
// whatever its settings file does to the frame.
#include <GL/gl.h>

#include <cerrno>

#include "base/cp932.h"
#include "base/fileIo.h"
#include "base/phaseTimes.h"
#include "render/framebufferTarget.h"
#include "view/kelvraView.h"

namespace kelvra {
namespace {

// What drawing a picture changes, set up for the request and put back
// afterwards: a framebuffer target of the picture's size, the camera for that
// size, the anchored overlays laid out for the request's frame (fields of the
// settings record, which is kept whole and put back) and the pick markers
// hidden when the request leaves them out.
class PictureScope {
public:
    PictureScope(CKelvraView& view, const PictureRequest& request)
        : view_(view), settings_(view.settings), pickMarkers_(view.state.pickMarkersShown) {
        if (!target_.bind(request.size)) return;
        // The window's projection is kept across the picture's camera.
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glMatrixMode(GL_MODELVIEW);
        if (request.layoutFrame) layoutAnchoredOverlays(view.settings, *request.layoutFrame);
        if (!request.pickMarkers) view.state.pickMarkersShown = false;
        view.resizeViewport(request.size.width, request.size.height);
    }
    ~PictureScope() {
        if (!target_.bound()) return;
        view_.state.pickMarkersShown = pickMarkers_;
        view_.settings = settings_;
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        target_.release();
    }
    PictureScope(const PictureScope&) = delete;
    PictureScope& operator=(const PictureScope&) = delete;

    // False when no framebuffer of the size could be made: nothing to draw into.
    bool ready() const { return target_.bound(); }

private:
    CKelvraView& view_;
    FramebufferTarget target_;
    const GraphSettings settings_;
    const bool pickMarkers_;
};

constexpr const char kCannotCreateText[] = "ﾌｧｲﾙを作成することが出来ません。";

}  // namespace

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

std::optional<VectorPicture> CKelvraView::renderVectorPicture(const PictureRequest& request, ImageFormat format,
                                                              long long maxGraphPrimitives) {
    if (!isVectorFormat(format)) return std::nullopt;
    PictureScope scope(*this, request);
    if (!scope.ready()) return std::nullopt;
    const VectorScene scene{[this](const SceneDraw& how) { drawScene(how); }, *lists.glyphs, data.dataFileTitle};
    return kelvra::renderVectorPicture(scene, request.size, format, maxGraphPrimitives);
}

bool CKelvraView::writeImage(const std::optional<ImageBuffer>& picture, const std::string& path) {
    // Without a picture, its framebuffer or its read-back found no memory
    // (sizes the driver cannot take are refused before anything is drawn).
    int error = ENOMEM;
    if (picture && writeImageFile(*picture, path)) return true;
    if (picture) error = errno;
    std::string target;
    imageFormatFor(path, &target);
    host().showFileMessage(sj(kCannotCreateText), target, error);
    return false;
}

bool CKelvraView::savePicture(const PictureRequest& request, const std::string& path,
                              const std::optional<ImageBuffer>* drawn) {
    std::string target;
    const ImageFormat format = imageFormatFor(path, &target);
    if (!isVectorFormat(format)) return writeImage(drawn ? *drawn : renderPicture(request), path);
    std::optional<VectorPicture> picture = renderVectorPicture(request, format);
    if (!picture) {
        host().showFileMessage(sj(kCannotCreateText), target, 0);
        return false;
    }
    if (!writeFileSafely(target, picture->bytes)) {
        host().showFileMessage(sj(kCannotCreateText), target, errno);
        return false;
    }
    if (picture->graphAsImage)
        host().showNote(sj(kGraphAsImageNote));
    return true;
}

}  // namespace kelvra
