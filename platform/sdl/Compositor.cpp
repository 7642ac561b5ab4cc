#include "platform/sdl/Compositor.h"

#include "platform/sdl/WindowPainter.h"

namespace gyrelle::platform {

Compositor::~Compositor() {
    text_.clear();
    if (picture_ != 0) {
        glDeleteTextures(1, &picture_);
    }
}

void Compositor::allocatePicture(Size size) {
    // Shown pixel for pixel: nearest texel.
    if (picture_ == 0) {
        picture_ = newTexture(GL_NEAREST);
    }
    glBindTexture(GL_TEXTURE_2D, picture_);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, size.width, size.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
    pictureSize_ = size;
}

void Compositor::copyPicture(Size size) {
    if (picture_ != 0 && size == pictureSize_) {
        glBindTexture(GL_TEXTURE_2D, picture_);
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, size.width, size.height);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
}

void Compositor::draw(const View& root, Size drawable, PixelRect r) {
    glViewport(0, 0, drawable.width, drawable.height);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrthof(0, static_cast<float>(drawable.width), 0, static_cast<float>(drawable.height), -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnableClientState(GL_VERTEX_ARRAY);

    if (picture_ != 0 && pictureSize_ == Size{r.width, r.height}) {
        // Pixel for pixel: quad edges on pixel edges, nearest texel.
        const GLfloat quad[8] = {
            static_cast<GLfloat>(r.x),           static_cast<GLfloat>(r.y),
            static_cast<GLfloat>(r.x + r.width), static_cast<GLfloat>(r.y),
            static_cast<GLfloat>(r.x),           static_cast<GLfloat>(r.y + r.height),
            static_cast<GLfloat>(r.x + r.width), static_cast<GLfloat>(r.y + r.height),
        };
        const GLfloat uv[8] = {0, 0, 1, 0, 0, 1, 1, 1};
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, picture_);
        glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, 0, uv);
        glVertexPointer(2, GL_FLOAT, 0, quad);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glBindTexture(GL_TEXTURE_2D, 0);
        glDisable(GL_TEXTURE_2D);
    }
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    const float scale = points_.width > 0 ? static_cast<float>(r.width) / points_.width : 1.0f;
    if (r.width != textScaleWidth_) {  // a new size: no text of the old one is drawn again
        text_.clear();
        textScaleWidth_ = r.width;
    }
    WindowPainter painter(text_, r, scale);
    paintSubviews(root, painter);
    glDisable(GL_BLEND);
}

}  // namespace gyrelle::platform
