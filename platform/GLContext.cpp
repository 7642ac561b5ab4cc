#include "platform/GLContext.h"

namespace gyrelle::platform {

namespace {
template <class T>
bool resolve(T& entry, void* (*lookUp)(const char*), const char* name) {
    entry = reinterpret_cast<T>(lookUp(name));
    return entry != nullptr;
}
}  // namespace

bool FramebufferApi::load(void* (*lookUp)(const char*)) {
    bool ok = true;
    ok &= resolve(genFramebuffers, lookUp, "glGenFramebuffersOES");
    ok &= resolve(deleteFramebuffers, lookUp, "glDeleteFramebuffersOES");
    ok &= resolve(bindFramebuffer, lookUp, "glBindFramebufferOES");
    ok &= resolve(framebufferRenderbuffer, lookUp, "glFramebufferRenderbufferOES");
    ok &= resolve(checkFramebufferStatus, lookUp, "glCheckFramebufferStatusOES");
    ok &= resolve(genRenderbuffers, lookUp, "glGenRenderbuffersOES");
    ok &= resolve(deleteRenderbuffers, lookUp, "glDeleteRenderbuffersOES");
    ok &= resolve(bindRenderbuffer, lookUp, "glBindRenderbufferOES");
    ok &= resolve(renderbufferStorage, lookUp, "glRenderbufferStorageOES");
    ok &= resolve(getRenderbufferParameteriv, lookUp, "glGetRenderbufferParameterivOES");
    return ok;
}

std::unique_ptr<GLContext> GLContext::create(Host& host, void* (*lookUp)(const char*)) {
    std::unique_ptr<GLContext> context(new GLContext(host));
    if (!context->setCurrent() || !context->oes_.load(lookUp)) {
        return nullptr;
    }
    return context;
}

bool GLContext::renderbufferStorage(const Layer& layer) {
    const Size s = layer.pixelSize();
    oes_.renderbufferStorage(GL_RENDERBUFFER_OES, GL_RGBA8_OES, s.width, s.height);
    return glGetError() == GL_NO_ERROR;
}

}  // namespace gyrelle::platform
