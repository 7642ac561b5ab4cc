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
        return true;
    }

  private:
    HeadlessPlatform& platform_;
    EGLContext context_;
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
    return result;
}

void HeadlessPlatform::advance(double seconds) {
    const double end = now_ + seconds;
    for (;;) {
        double wait = runLoop_.secondsUntilNextTimer();
        if (std::isinf(wait) || now_ + wait > end) {
            break;
        }
        now_ += wait;
        runLoop_.fireDueTimers();
    }
    now_ = end;
}

}  // namespace gyrelle::platform
