// An off-screen picture in the window's own GL context: a framebuffer object
// with a colour and a depth buffer of a given size. While it is bound, the
// core draws into it and reads back from it exactly as from the window, with
// every display list and glyph list of the window at hand. Used to save the
// picture at a fixed size (image export, launch files) whatever the window
// does meanwhile.
#pragma once

namespace kelvra {

class OffscreenTarget {
public:
    OffscreenTarget() = default;
    ~OffscreenTarget();
    OffscreenTarget(const OffscreenTarget&) = delete;
    OffscreenTarget& operator=(const OffscreenTarget&) = delete;

    // Creates and binds the target for drawing and reading; false (and nothing
    // bound) when the size is not positive or GL cannot make it.
    bool bind(int width, int height);

private:
    void release();
    unsigned framebuffer_ = 0;
    unsigned renderbuffers_[2] = {0, 0};
};

}  // namespace kelvra
