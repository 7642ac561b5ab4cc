#include "platform/gl/Compositor.h"

#include "platform/gl/WindowPainter.h"

namespace gyrelle::platform {

void Compositor::draw(const View& root, Size drawable, PixelRect r) {
    glViewport(0, 0, drawable.width, drawable.height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrthof(0, static_cast<float>(drawable.width), 0, static_cast<float>(drawable.height), -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    // The picture's arrays serve here too (the painter points them at its own).
    glDisable(GL_DEPTH_TEST);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
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
