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
    ok &= resolve(framebufferTexture2D, lookUp, "glFramebufferTexture2DOES");
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

GLuint newTexture(GLint filter) {
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    return id;
}

void drawPictureTexture(GLuint texture) {
    // Clip space's corners: each pixel's centre samples its own texel, exactly.
    static const GLfloat corners[] = {-1, -1, 1, -1, -1, 1, 1, 1};
    static const GLfloat texels[] = {0, 0, 1, 0, 0, 1, 1, 1};
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, corners);
    glTexCoordPointer(2, GL_FLOAT, 0, texels);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisable(GL_TEXTURE_2D);
    // Bound, it would stand in a loop with the view's framebuffer while the next picture
    // is drawn into it, which WebGL refuses to draw at all.
    glBindTexture(GL_TEXTURE_2D, 0);
}

}  // namespace gyrelle::platform
