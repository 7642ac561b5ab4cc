#include "platform/gl/WindowPainter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace gyrelle::platform {

void WindowPainter::setColor(Color c, int vertices) {
    const GLfloat rgba[4] = {c.red, c.green, c.blue, c.alpha * alpha_};
    for (int i = 0; i < vertices; ++i) {
        std::copy(rgba, rgba + 4, colours_ + 4 * i);
        normals_[3 * i + 2] = 1;
    }
    glColorPointer(4, GL_FLOAT, 0, colours_);
    glNormalPointer(GL_FLOAT, 0, normals_);
}

void WindowPainter::fillRect(Rect r, Color c) {
    const GLfloat quad[8] = {px(r.x),           py(r.y + r.height),
                             px(r.x + r.width), py(r.y + r.height),
                             px(r.x),           py(r.y),
                             px(r.x + r.width), py(r.y)};
    setColor(c, 4);
    glVertexPointer(2, GL_FLOAT, 0, quad);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

void WindowPainter::strokeCircle(Point centre, float radius, float width, Color c) {
    strokeArc(centre, radius, width, 0, 2.0f * std::numbers::pi_v<float>, c);
}

void WindowPainter::strokeArc(Point centre, float radius, float width, float from, float to,
                              Color c) {
    constexpr int kSegments = 48;  // for a whole circle; fewer for a part of one
    static_assert((kSegments + 1) * 2 <= kMostVertices);
    GLfloat ring[(kSegments + 1) * 4];
    const float turn = 2.0f * std::numbers::pi_v<float>;
    const int segments = std::clamp(
        static_cast<int>(std::ceil(std::fabs(to - from) / turn * kSegments - 1e-4f)), 1, kSegments);
    const float share = (to - from) / turn;  // exactly 1 for a whole circle
    for (int i = 0; i <= segments; ++i) {
        const float a = from + static_cast<float>(i) * 2.0f * std::numbers::pi_v<float> * share /
                                   static_cast<float>(segments);
        const float outer = radius + width / 2, inner = radius - width / 2;
        ring[i * 4 + 0] = px(centre.x + outer * std::cos(a));
        ring[i * 4 + 1] = py(centre.y + outer * std::sin(a));
        ring[i * 4 + 2] = px(centre.x + inner * std::cos(a));
        ring[i * 4 + 3] = py(centre.y + inner * std::sin(a));
    }
    setColor(c, (segments + 1) * 2);
    glVertexPointer(2, GL_FLOAT, 0, ring);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, (segments + 1) * 2);
}

void WindowPainter::fillTriangle(Point a, Point b, Point c, Color color) {
    const GLfloat corners[6] = {px(a.x), py(a.y), px(b.x), py(b.y), px(c.x), py(c.y)};
    setColor(color, 3);
    glVertexPointer(2, GL_FLOAT, 0, corners);
    glDrawArrays(GL_TRIANGLES, 0, 3);
}

void WindowPainter::fillCircle(Point centre, float radius, Color c) {
    constexpr int kSegments = 24;
    static_assert(kSegments + 2 <= kMostVertices);
    GLfloat fan[(kSegments + 2) * 2];
    fan[0] = px(centre.x);
    fan[1] = py(centre.y);
    for (int i = 0; i <= kSegments; ++i) {
        const float a = static_cast<float>(i) * 2.0f * std::numbers::pi_v<float> / kSegments;
        fan[2 + i * 2] = px(centre.x + radius * std::cos(a));
        fan[3 + i * 2] = py(centre.y + radius * std::sin(a));
    }
    setColor(c, kSegments + 2);
    glVertexPointer(2, GL_FLOAT, 0, fan);
    glDrawArrays(GL_TRIANGLE_FAN, 0, kSegments + 2);
}

void WindowPainter::drawText(Rect r, const std::string& text, Color c, const char* font, float size,
                             TextAlignment alignment) {
    const int pixelSize = static_cast<int>(std::lround(size * scale_));
    const int wrap = static_cast<int>(std::lround(r.width * scale_));
    if (pixelSize <= 0 || wrap <= 0) {
        return;
    }
    TextCache::Texture t = text_.get(text, font, pixelSize, wrap, alignment);
    if (t.id == 0) {
        return;
    }
    // The rendered block is as wide as its longest line: place it within the rectangle.
    float left = px(r.x);
    if (alignment == TextAlignment::Center) {
        left += (static_cast<float>(wrap) - static_cast<float>(t.width)) / 2;
    }
    left = std::floor(left);
    const float top = std::floor(py(r.y));
    // Nothing below the rectangle: a text longer than its block is cut, as on the phone.
    const float visible = std::min(static_cast<float>(t.height), r.height * scale_);
    const float bottom = top - visible;
    const float v = visible / static_cast<float>(t.height);
    const GLfloat quad[8] = {left, bottom, left + t.width, bottom, left, top, left + t.width, top};
    const GLfloat uv[8] = {0, v, 1, v, 0, 0, 1, 0};
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, t.id);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, 0, uv);
    glVertexPointer(2, GL_FLOAT, 0, quad);
    setColor(c, 4);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
}

}  // namespace gyrelle::platform
