// Pictures: the one path by which every picture the program saves or hands on
// is drawn (renderPicture, renderVectorPicture), and the image saves built on
// it (see output/picture.h for the requests).
//
// The picture is drawn into a framebuffer target of its own rather than read
// from the window: the window's back buffer is undefined after a swap, may be
// covered or of another size, and a launch must write the size it began with
// whatever its settings file does to the frame.
#include <GL/gl.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <new>

#include "base/cp932.h"
#include "base/fileIo.h"
#include "base/phaseTimes.h"
#include "output/pictureDescription.h"
#include "render/feedbackState.h"
#include "render/framebufferTarget.h"
#include "render/reducedGraph.h"
#include "settings/graphTypes.h"
#include "view/kelvraView.h"

namespace kelvra {
namespace {

// What drawing a picture changes, set up for the request and put back
// afterwards: the camera (the window's projection is kept), the anchored
// overlays laid out for the request's frame (fields of the settings record,
// which is kept whole and put back), the pick markers hidden when the request
// leaves them out, and the pixel scale with the glyph lists built at it.
class PictureScope {
public:
    PictureScope(CKelvraView& view, const PictureRequest& request)
        : view_(view), settings_(view.settings), pickMarkers_(view.state.pickMarkersShown) {
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glMatrixMode(GL_MODELVIEW);
        if (request.layoutFrame) layoutAnchoredOverlays(view.settings, *request.layoutFrame);
        if (!request.pickMarkers) view.state.pickMarkersShown = false;
    }
    ~PictureScope() {
        view_.state.pickMarkersShown = pickMarkers_;
        view_.settings = settings_;
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
    }
    PictureScope(const PictureScope&) = delete;
    PictureScope& operator=(const PictureScope&) = delete;

private:
    CKelvraView& view_;
    const GraphSettings settings_;
    const bool pickMarkers_;
};

// Widths, sizes and glyph cells `scale` times the window's while it lives
// (render/feedbackState.h); the glyph lists are built at that scale and at 1
// again afterwards.
class PixelScaleScope {
public:
    PixelScaleScope(CKelvraView& view, double scale) : view_(view), scale_(scale) {
        if (scale_ == pixelScale()) return;
        setPixelScale(scale_);
        if (view_.lists.glyphListsBuilt) view_.buildGlyphLists();
    }
    ~PixelScaleScope() {
        if (scale_ == 1.0) return;
        setPixelScale(1.0);
        if (view_.lists.glyphListsBuilt) view_.buildGlyphLists();
    }
    PixelScaleScope(const PixelScaleScope&) = delete;
    PixelScaleScope& operator=(const PixelScaleScope&) = delete;

private:
    CKelvraView& view_;
    double scale_;
};

// Draws `how` of the picture of `pixels` at `scale` into `image` (made at
// that size), tile by tile where the driver takes less. A picture of more
// than one tile, or scaled, is drawn straight: the lists of the overlays hold
// their widths and their labels' raster positions, which a tile may not see.
bool drawTiles(CKelvraView& view, PixelSize pixels, double scale, int tileSide, SceneDraw how, ImageBuffer* image) {
    int side = FramebufferTarget::maxSide();
    if (tileSide > 0) side = std::min(side, tileSide);
    if (side <= 0) return false;
    if (scale != 1.0 || pixels.width > side || pixels.height > side) how.straight = true;
    for (int y = 0; y < pixels.height; y += side) {
        for (int x = 0; x < pixels.width; x += side) {
            const PixelRect tile{x, y, std::min(side, pixels.width - x), std::min(side, pixels.height - y)};
            FramebufferTarget target;
            if (!target.bind({tile.width, tile.height})) return false;
            setPictureCamera(pixels, scale, view.settings.viewZoom, tile);
            {
                PhaseScope phase(Phase::Draw);
                view.drawScene(how);
                glFinish();   // the draw, not the read-back, waits for the rasteriser
            }
            readTile(x, y, tile.width, tile.height, image);
        }
    }
    return true;
}

// An image of the picture's size, or nothing (errno set) for a size out of
// range or without the memory.
std::optional<ImageBuffer> blankPicture(PixelSize pixels, bool transparent) {
    if (pixels.width <= 0 || pixels.height <= 0 || pixels.width > kMaxPictureSide || pixels.height > kMaxPictureSide) {
        errno = EINVAL;
        return std::nullopt;
    }
    ImageBuffer image;
    try {
        image.pixels.assign(std::size_t(pixels.width) * std::size_t(pixels.height) * 4, 0);
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
        return std::nullopt;
    }
    image.width = pixels.width;
    image.height = pixels.height;
    image.componentCount = transparent ? 4 : 3;
    return image;
}

constexpr const char kCannotCreateText[] = "ﾌｧｲﾙを作成することが出来ません。";

}  // namespace

PixelSize pictureSize(const PictureRequest& request) {
    return {int(std::lround(request.size.width * request.scale)), int(std::lround(request.size.height * request.scale))};
}

PictureRequest chosenPicture(PixelSize client, const PictureScaleChoice& choice, bool transparent) {
    PictureRequest request = shownPicture(client);
    if (choice.scale != 0) request.scale = std::clamp(choice.scale, kMinPictureScale, kMaxPictureScale);
    else if (client.width > 0) request.scale = a4WidthPixels(choice.dotsPerInch) / client.width;
    request.vectorImageScale = choice.scale != 0 ? request.scale : choice.dotsPerInch / kWindowDpi;
    request.dotsPerInch = choice.dotsPerInch;
    request.transparent = transparent;
    return request;
}

std::optional<ImageBuffer> CKelvraView::renderPicture(const PictureRequest& request) {
    // Any scale whose picture fits (blankPicture): a dpi choice goes past 8
    // for a narrow window, and under 1 for one wider than A4 at that dpi.
    if (!(request.scale > 0 && std::isfinite(request.scale))) return std::nullopt;
    const PixelSize pixels = pictureSize(request);
    std::optional<ImageBuffer> image = blankPicture(pixels, request.transparent);
    if (!image) return std::nullopt;
    PictureScope scope(*this, request);
    PixelScaleScope scaled(*this, request.scale);
    if (!drawTiles(*this, pixels, request.scale, request.tileSide, {}, &*image)) return std::nullopt;
    image->description = describePicture(data, settings);
    image->dotsPerInch = request.dotsPerInch;
    return image;
}

std::optional<VectorPicture> CKelvraView::renderVectorPicture(const PictureRequest& request, ImageFormat format,
                                                              long long maxGraphPrimitives) {
    if (!isVectorFormat(format)) return std::nullopt;
    PictureScope scope(*this, request);
    FramebufferTarget target;
    if (!target.bind(request.size)) return std::nullopt;
    resizeViewport(request.size.width, request.size.height);
    // The graph alone at the image scale, for a graph too large for vectors;
    // the picture's camera is put back for the capture that follows.
    const auto graphImage = [this, &request]() -> std::optional<ImageBuffer> {
        const double scale = std::clamp(request.vectorImageScale, kMinPictureScale, kMaxPictureScale);
        const PixelSize pixels = pictureSize({.size = request.size, .scale = scale});
        std::optional<ImageBuffer> image = blankPicture(pixels, request.transparent);
        if (!image) return std::nullopt;
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        bool drawn;
        {
            PixelScaleScope scaled(*this, scale);
            drawn = drawTiles(*this, pixels, scale, request.tileSide, {.parts = SceneGraph}, &*image);
        }
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        if (!drawn) return std::nullopt;
        return image;
    };
    const VectorScene scene{[this](const SceneDraw& how) { drawScene(how); }, *lists.glyphs, data.dataFileTitle,
                            graphImage, describePicture(data, settings), request.transparent,
                            isBarGraph(settings, data) ? (long long)graphPoints(data) : 0};
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
