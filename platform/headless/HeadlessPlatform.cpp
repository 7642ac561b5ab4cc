#include "platform/headless/HeadlessPlatform.h"

#include <EGL/eglext.h>

#include <cmath>

namespace gyrelle::platform {

namespace {
void* eglLookUp(const char* name) {
    return reinterpret_cast<void*>(eglGetProcAddress(name));
}
}  // namespace

class SurfacelessContext : public GLContext {
  public:
    SurfacelessContext(HeadlessPlatform& platform, EGLContext context)
        : platform_(platform), context_(context) {}
    ~SurfacelessContext() override {
        if (platform_.context_ == this) {
            platform_.context_ = nullptr;
        }
        if (isCurrent()) {
            clearCurrent();
        }
        eglDestroyContext(platform_.display_, context_);
    }

    bool init() { return setCurrent() && oes_.load(eglLookUp); }

    bool setCurrent() override {
        return eglMakeCurrent(platform_.display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_) ==
               EGL_TRUE;
    }
    bool isCurrent() const override { return eglGetCurrentContext() == context_; }
    void clearCurrent() override {
        eglMakeCurrent(platform_.display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    }
    bool renderbufferStorage(const Layer& layer) override {
        Size s = layer.pixelSize();
        oes_.renderbufferStorage(GL_RENDERBUFFER_OES, GL_RGBA8_OES, s.width, s.height);
        return glGetError() == GL_NO_ERROR;
    }
    bool presentRenderbuffer() override {
        ++platform_.presents_;
        drawScreen();
        return true;
    }

    // What a window would show: the source's picture in a framebuffer of the layer's
    // size, made when first needed.
    void drawScreen() {
        const Size size = platform_.layer_.pixelSize();
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
                oes_.framebufferRenderbuffer(GL_FRAMEBUFFER_OES, attachments[i],
                                             GL_RENDERBUFFER_OES, screenBuffers_[i]);
            }
            screenSize_ = size;
        }
        oes_.bindFramebuffer(GL_FRAMEBUFFER_OES, screen_);
        glViewport(0, 0, size.width, size.height);
        if (source_) {
            source_->drawPicture();
        }
    }
    void deleteScreen() {
        if (screen_ != 0) {
            oes_.deleteFramebuffers(1, &screen_);
            oes_.deleteRenderbuffers(2, screenBuffers_);
            screen_ = 0;
        }
    }
    GLuint screen() const { return screen_; }

  private:
    HeadlessPlatform& platform_;
    EGLContext context_;
    GLuint screen_ = 0;
    GLuint screenBuffers_[2] = {};
    Size screenSize_;
};

HeadlessPlatform::HeadlessPlatform(Size points)
    : layer_(points), runLoop_([this] { return now_; }), window_(points) {
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
    if (!eglBindAPI(EGL_OPENGL_ES_API)) {
        eglTerminate(display);
        return;
    }
    display_ = display;
}

HeadlessPlatform::~HeadlessPlatform() {
    if (display_ != EGL_NO_DISPLAY) {
        eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglTerminate(display_);
    }
}

std::unique_ptr<GLContext> HeadlessPlatform::createGLContext() {
    if (!available()) {
        return nullptr;
    }
    const EGLint attributes[] = {EGL_CONTEXT_CLIENT_VERSION, 1, EGL_NONE};
    EGLContext context = eglCreateContext(display_, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, attributes);
    if (context == EGL_NO_CONTEXT) {
        return nullptr;
    }
    auto result = std::make_unique<SurfacelessContext>(*this, context);
    if (!result->init()) {
        return nullptr;
    }
    context_ = result.get();
    return result;
}

void HeadlessPlatform::advance(double seconds) {
    runLoop_.finishPass();  // what was done since, as if it came as events
    const double end = now_ + seconds;
    for (;;) {
        double wait = runLoop_.secondsUntilNextTimer();
        if (std::isinf(wait) || now_ + wait > end) {
            break;
        }
        now_ += wait;
        runLoop_.fireDueTimers();
        runLoop_.finishPass();
    }
    now_ = end;
}

std::vector<unsigned char> HeadlessPlatform::screenImage() {
    const Size s = layer_.pixelSize();
    std::vector<unsigned char> rgba(4 * static_cast<size_t>(s.width) * s.height);
    if (context_ && context_->screen() != 0 && context_->setCurrent()) {
        context_->oes().bindFramebuffer(GL_FRAMEBUFFER_OES, context_->screen());
        glReadPixels(0, 0, s.width, s.height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    }
    return rgba;
}

}  // namespace gyrelle::platform
