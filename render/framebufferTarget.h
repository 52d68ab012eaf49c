// An off-screen picture in the current GL context: a framebuffer object with an
// RGBA8 colour buffer and a 24-bit depth buffer of a given size. While it is
// bound, everything draws into it and reads back from it, with every display
// list and glyph list of the context at hand. Releasing it puts back the
// framebuffer, draw and read buffers and viewport that were bound before, so a
// target can be bound inside the window's drawing or inside another target.
//
// Used by CKelvraView::renderPicture (view/viewPicture.cpp), through which every
// picture the program saves or hands on is drawn, and by the headless context
// (app/render/offscreenContext.h) for the frame the tests draw into.
#pragma once

#include "base/viewHost.h"

namespace kelvra {

class FramebufferTarget {
public:
    FramebufferTarget() = default;
    ~FramebufferTarget();
    FramebufferTarget(const FramebufferTarget&) = delete;
    FramebufferTarget& operator=(const FramebufferTarget&) = delete;

    // Creates the target and binds it for drawing and reading, with the
    // viewport on the whole picture; false (and the previous binding kept) when
    // the size is not positive, larger than the driver's renderbuffers, or GL
    // cannot make it.
    bool bind(PixelSize size);
    // Puts back what was bound before and deletes the target; nothing when none is bound.
    void release();
    // Drops the target without GL calls, for a context that is no longer current.
    void forget();

    bool bound() const { return framebuffer_ != 0; }
    PixelSize size() const { return size_; }
    // The largest side the current context's renderbuffers take.
    static int maxSide();

private:
    unsigned framebuffer_ = 0;
    unsigned renderbuffers_[2] = {0, 0};
    PixelSize size_;
    // What bind() found bound, for release().
    int previousDraw_ = 0, previousRead_ = 0;
    unsigned previousDrawBuffer_ = 0, previousReadBuffer_ = 0;
    int previousViewport_[4] = {0, 0, 0, 0};
};

}  // namespace kelvra
