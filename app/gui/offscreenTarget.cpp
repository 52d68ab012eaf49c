// Framebuffer-object pictures in the view's context (see offscreenTarget.h).
#include "app/gui/offscreenTarget.h"

#include <GL/gl.h>
#include <GL/glext.h>

namespace kelvra {

OffscreenTarget::~OffscreenTarget() { release(); }

bool OffscreenTarget::bind(int width, int height) {
    release();
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxSize);
    if (width <= 0 || height <= 0 || width > maxSize || height > maxSize) return false;
    glGenFramebuffers(1, &framebuffer_);
    glGenRenderbuffers(2, renderbuffers_);
    glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers_[0]);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers_[1]);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, renderbuffers_[0]);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, renderbuffers_[1]);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        release();
        return false;
    }
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glViewport(0, 0, width, height);
    return true;
}

void OffscreenTarget::release() {
    if (!framebuffer_) return;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDrawBuffer(GL_BACK);
    glReadBuffer(GL_BACK);
    glDeleteFramebuffers(1, &framebuffer_);
    glDeleteRenderbuffers(2, renderbuffers_);
    framebuffer_ = 0;
    renderbuffers_[0] = renderbuffers_[1] = 0;
}

}  // namespace kelvra
