#include "platform/headless/HeadlessPlatform.h"

#include <EGL/eglext.h>

#include <cmath>

namespace gyrelle::platform {

namespace {
void* eglLookUp(const char* name) {
    return reinterpret_cast<void*>(eglGetProcAddress(name));
}
}  // namespace

HeadlessPlatform::HeadlessPlatform(Size points)
    : HeadlessServicesOf<Platform>(points), layer_(points) {
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay == nullptr) {
        return;
    }
    EGLDisplay display =
        getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) {
        return;
    }
    display_ = display;
    const EGLint attributes[] = {EGL_CONTEXT_CLIENT_VERSION, 1, EGL_NONE};
    if (eglBindAPI(EGL_OPENGL_ES_API)) {
        context_ = eglCreateContext(display_, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, attributes);
    }
    if (context_ != EGL_NO_CONTEXT && !(makeCurrent() && oes_.load(eglLookUp))) {
        eglDestroyContext(display_, context_);
        context_ = EGL_NO_CONTEXT;
    }
}

HeadlessPlatform::~HeadlessPlatform() {
    if (context_ != EGL_NO_CONTEXT && makeCurrent()) {
        deleteScreen();
    }
    if (display_ != EGL_NO_DISPLAY) {
        eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        if (context_ != EGL_NO_CONTEXT) {
            eglDestroyContext(display_, context_);
        }
        eglTerminate(display_);
    }
}

std::unique_ptr<GLContext> HeadlessPlatform::createGLContext() {
    return available() ? GLContext::create(*this, eglLookUp) : nullptr;
}

bool HeadlessPlatform::makeCurrent() {
    return eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_) == EGL_TRUE;
}

bool HeadlessPlatform::isCurrent() const {
    return context_ != EGL_NO_CONTEXT && eglGetCurrentContext() == context_;
}

void HeadlessPlatform::clearCurrent() {
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}

bool HeadlessPlatform::beginPicture(GLContext&) {
    const Size size = layer_.pixelSize();
    if (!makeCurrent()) {
        return false;
    }
    if (!(size == screenSize_)) {
        deleteScreen();
        oes_.genFramebuffers(1, &screen_);
        oes_.bindFramebuffer(GL_FRAMEBUFFER_OES, screen_);
        GLenum formats[2] = {GL_RGBA8_OES, GL_DEPTH_COMPONENT16_OES};
        GLenum attachments[2] = {GL_COLOR_ATTACHMENT0_OES, GL_DEPTH_ATTACHMENT_OES};
        for (int i = 0; i < 2; ++i) {
            oes_.genRenderbuffers(1, &screenBuffers_[i]);
            oes_.bindRenderbuffer(GL_RENDERBUFFER_OES, screenBuffers_[i]);
            oes_.renderbufferStorage(GL_RENDERBUFFER_OES, formats[i], size.width, size.height);
            oes_.framebufferRenderbuffer(GL_FRAMEBUFFER_OES, attachments[i], GL_RENDERBUFFER_OES,
                                         screenBuffers_[i]);
        }
        screenSize_ = size;
    }
    oes_.bindFramebuffer(GL_FRAMEBUFFER_OES, screen_);
    glViewport(0, 0, size.width, size.height);
    return true;
}

void HeadlessPlatform::showPicture(GLContext& context) {
    ++presents_;
    shown_ = &context;
}

bool HeadlessPlatform::showAgain() {
    if (!shown_ || screen_ == 0 || !makeCurrent()) {
        return false;
    }
    if (shown_->picturesComing()) {
        shown_->wantPicture();
        return false;
    }
    oes_.bindFramebuffer(GL_FRAMEBUFFER_OES, screen_);
    glViewport(0, 0, screenSize_.width, screenSize_.height);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    if (const GLuint picture = shown_->keptPicture()) {
        drawPictureTexture(picture);
    }
    return true;
}

void HeadlessPlatform::forget(GLContext& context) {
    if (shown_ == &context) {
        shown_ = nullptr;
    }
}

void HeadlessPlatform::deleteScreen() {
    if (screen_ != 0) {
        oes_.deleteFramebuffers(1, &screen_);
        oes_.deleteRenderbuffers(2, screenBuffers_);
        screen_ = 0;
        screenSize_ = {};
    }
}

std::vector<unsigned char> HeadlessPlatform::screenImage() {
    const Size s = layer_.pixelSize();
    std::vector<unsigned char> rgba(4 * static_cast<size_t>(s.width) * s.height);
    if (screen_ != 0 && makeCurrent()) {
        oes_.bindFramebuffer(GL_FRAMEBUFFER_OES, screen_);
        glReadPixels(0, 0, s.width, s.height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    }
    return rgba;
}

}  // namespace gyrelle::platform
