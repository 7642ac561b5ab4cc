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

}  // namespace gyrelle::platform
