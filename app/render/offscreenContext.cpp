#include "app/render/offscreenContext.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

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
    if (target_.bound() && width == target_.size().width && height == target_.size().height) return true;
    target_.release();
    if (!target_.bind({width, height})) {
        char buf[128];
        std::snprintf(buf, sizeof buf, "no framebuffer of %dx%d (the driver takes 1x1..%dx%d)", width, height,
                      FramebufferTarget::maxSide(), FramebufferTarget::maxSide());
        *error = buf;
        return false;
    }
    return true;
}

bool OffscreenContext::isCurrent() const {
    return context_ && eglGetCurrentContext() == static_cast<EGLContext>(context_);
}

void OffscreenContext::destroy() {
    EGLDisplay display = static_cast<EGLDisplay>(display_);
    if (context_ && isCurrent()) target_.release();
    else target_.forget();
    if (display) {
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        if (surface_) eglDestroySurface(display, static_cast<EGLSurface>(surface_));
        if (context_) eglDestroyContext(display, static_cast<EGLContext>(context_));
        eglTerminate(display);
    }
    display_ = context_ = surface_ = nullptr;
}

}  // namespace kelvra
