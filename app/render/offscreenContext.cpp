#include "app/render/offscreenContext.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>

namespace kelvra {
namespace {

std::string eglErrorText(const char* what) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "%s failed (EGL error 0x%04X)", what, eglGetError());
    return buf;
}

EGLDisplay surfacelessDisplay() {
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay) {
        EGLDisplay d = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (d != EGL_NO_DISPLAY) return d;
    }
    return eglGetDisplay(EGL_DEFAULT_DISPLAY);
}

}  // namespace

OffscreenContext::~OffscreenContext() { destroy(); }

bool OffscreenContext::create(std::string* error) {
    destroy();
    EGLDisplay display = surfacelessDisplay();
    if (display == EGL_NO_DISPLAY) {
        *error = eglErrorText("eglGetPlatformDisplayEXT(surfaceless)");
        return false;
    }
    if (!eglInitialize(display, nullptr, nullptr)) {
        *error = eglErrorText("eglInitialize");
        return false;
    }
    display_ = display;
    const EGLint configAttribs[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                    EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8,
                                    EGL_ALPHA_SIZE, 8, EGL_DEPTH_SIZE, 24, EGL_NONE};
    EGLConfig config;
    EGLint count = 0;
    if (!eglChooseConfig(display, configAttribs, &config, 1, &count) || count < 1) {
        *error = eglErrorText("eglChooseConfig (RGBA8, depth 24, pbuffer, OpenGL)");
        destroy();
        return false;
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        *error = eglErrorText("eglBindAPI(OpenGL)");
        destroy();
        return false;
    }
    const EGLint contextAttribs[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                     EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttribs);
    if (context == EGL_NO_CONTEXT) {
        *error = eglErrorText("eglCreateContext (compatibility profile)");
        destroy();
        return false;
    }
    context_ = context;
    // A tiny pbuffer gives the context a default framebuffer; pictures are drawn
    // into the framebuffer object of setSize.
    const EGLint pbufferAttribs[] = {EGL_WIDTH, 1, EGL_HEIGHT, 1, EGL_NONE};
    EGLSurface surface = eglCreatePbufferSurface(display, config, pbufferAttribs);
    if (surface == EGL_NO_SURFACE) {
        *error = eglErrorText("eglCreatePbufferSurface");
        destroy();
        return false;
    }
    surface_ = surface;
    if (!eglMakeCurrent(display, surface, surface, context)) {
        *error = eglErrorText("eglMakeCurrent");
        destroy();
        return false;
    }
    return true;
}

bool OffscreenContext::setSize(int width, int height, std::string* error) {
    if (!context_) {
        *error = "no GL context";
        return false;
    }
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxSize);
    if (width < 1 || height < 1 || width > maxSize || height > maxSize) {
        char buf[128];
        std::snprintf(buf, sizeof buf, "picture size %dx%d is outside 1x1..%dx%d", width, height,
                      int(maxSize), int(maxSize));
        *error = buf;
        return false;
    }
    if (framebuffer_ && width == width_ && height == height_) return true;
    if (!framebuffer_) {
        glGenFramebuffers(1, &framebuffer_);
        glGenRenderbuffers(1, &colorBuffer_);
        glGenRenderbuffers(1, &depthBuffer_);
    }
    glBindRenderbuffer(GL_RENDERBUFFER, colorBuffer_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colorBuffer_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer_);
    GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE || glGetError() != GL_NO_ERROR) {
        char buf[96];
        std::snprintf(buf, sizeof buf, "framebuffer of %dx%d is not usable (status 0x%04X)", width,
                      height, unsigned(status));
        *error = buf;
        return false;
    }
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glViewport(0, 0, width, height);
    width_ = width;
    height_ = height;
    return true;
}

bool OffscreenContext::isCurrent() const {
    return context_ && eglGetCurrentContext() == static_cast<EGLContext>(context_);
}

void OffscreenContext::destroy() {
    EGLDisplay display = static_cast<EGLDisplay>(display_);
    if (context_ && isCurrent()) {
        if (framebuffer_) {
            glBindFramebuffer(GL_FRAMEBUFFER, 0);
            glDeleteFramebuffers(1, &framebuffer_);
            glDeleteRenderbuffers(1, &colorBuffer_);
            glDeleteRenderbuffers(1, &depthBuffer_);
        }
    }
    framebuffer_ = colorBuffer_ = depthBuffer_ = 0;
    if (display) {
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        if (surface_) eglDestroySurface(display, static_cast<EGLSurface>(surface_));
        if (context_) eglDestroyContext(display, static_cast<EGLContext>(context_));
        eglTerminate(display);
    }
    display_ = context_ = surface_ = nullptr;
    width_ = height_ = 0;
}

}  // namespace kelvra
