// Framebuffer-object pictures in the current context (see framebufferTarget.h).
#include "render/framebufferTarget.h"

#include <GL/gl.h>
#include <GL/glext.h>

namespace kelvra {

FramebufferTarget::~FramebufferTarget() { release(); }

int FramebufferTarget::maxSide() {
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxSize);
    return int(maxSize);
}

bool FramebufferTarget::bind(PixelSize size) {
    release();
    if (size.width <= 0 || size.height <= 0 || size.width > maxSide() || size.height > maxSide()) return false;
    GLint drawBuffer = 0, readBuffer = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &previousDraw_);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previousRead_);
    glGetIntegerv(GL_DRAW_BUFFER, &drawBuffer);
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    glGetIntegerv(GL_VIEWPORT, previousViewport_);
    previousDrawBuffer_ = unsigned(drawBuffer);
    previousReadBuffer_ = unsigned(readBuffer);
    // Errors left by earlier calls would read as this target's below.
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {}

    glGenFramebuffers(1, &framebuffer_);
    glGenRenderbuffers(2, renderbuffers_);
    glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers_[0]);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, size.width, size.height);
    glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers_[1]);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, size.width, size.height);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, renderbuffers_[0]);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, renderbuffers_[1]);
    // Storage the driver could not give (out of memory) leaves the target incomplete.
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE || glGetError() != GL_NO_ERROR) {
        release();
        return false;
    }
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glViewport(0, 0, size.width, size.height);
    size_ = size;
    return true;
}

void FramebufferTarget::release() {
    if (!framebuffer_) return;
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, GLuint(previousDraw_));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(previousRead_));
    glDrawBuffer(GLenum(previousDrawBuffer_));
    glReadBuffer(GLenum(previousReadBuffer_));
    glViewport(previousViewport_[0], previousViewport_[1], previousViewport_[2], previousViewport_[3]);
    glDeleteFramebuffers(1, &framebuffer_);
    glDeleteRenderbuffers(2, renderbuffers_);
    forget();
}

void FramebufferTarget::forget() {
    framebuffer_ = 0;
    renderbuffers_[0] = renderbuffers_[1] = 0;
    size_ = {};
}

}  // namespace kelvra
