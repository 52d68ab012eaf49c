// A GL context without a display: EGL on Mesa's surfaceless platform, a
// compatibility-profile context (display lists, selection mode). Used by
// kelvra-render, which draws its picture through CKelvraView::renderPicture
// (a framebuffer of its own), and by the tests and benchmarks, which also ask
// it for a framebuffer of a given size to draw into and read back from.
#pragma once

#include <string>

#include "render/framebufferTarget.h"

namespace kelvra {

// Owns the context; not copyable (nor is its framebuffer target).
class OffscreenContext {
public:
    ~OffscreenContext();

    // Creates the context and makes it current. On failure returns false with
    // a description in *error; nothing stays current then.
    bool create(std::string* error);
    // (Re)creates the framebuffer for a picture of width x height and binds it
    // for drawing and reading. False (with *error) for sizes the driver refuses.
    bool setSize(int width, int height, std::string* error);
    bool isCurrent() const;
    void destroy();

private:
    void* display_ = nullptr;
    void* context_ = nullptr;
    void* surface_ = nullptr;
    FramebufferTarget target_;
};

}  // namespace kelvra
