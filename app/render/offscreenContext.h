// A GL context without a display: EGL on Mesa's surfaceless platform, a
// compatibility-profile context (display lists, selection mode), and a
// framebuffer object of the picture's size with RGBA8 colour and a 24-bit depth
// buffer. Used by kelvra-render and by the tests.
#pragma once

#include <string>

namespace kelvra {

class OffscreenContext {
public:
    OffscreenContext() = default;
    ~OffscreenContext();
    OffscreenContext(const OffscreenContext&) = delete;
    OffscreenContext& operator=(const OffscreenContext&) = delete;

    // Creates the context and makes it current. On failure returns false with
    // a description in *error; nothing stays current then.
    bool create(std::string* error);
    // (Re)creates the framebuffer for a picture of width x height and binds it
    // for drawing and reading. False (with *error) for sizes the driver refuses.
    bool setSize(int width, int height, std::string* error);
    int width() const { return width_; }
    int height() const { return height_; }
    bool isCurrent() const;
    void destroy();

private:
    void* display_ = nullptr;
    void* context_ = nullptr;
    void* surface_ = nullptr;
    unsigned framebuffer_ = 0;
    unsigned colorBuffer_ = 0;
    unsigned depthBuffer_ = 0;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace kelvra
