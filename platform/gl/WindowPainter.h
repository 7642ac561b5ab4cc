#pragma once

#include <string>

#include "platform/Painter.h"
#include "platform/gl/TextCache.h"

namespace gyrelle::platform {

// Paints views into the window in pixels: `area` is where the view's points land, at
// `scale` pixels per point.
class WindowPainter : public Canvas {
  public:
    WindowPainter(TextCache& text, PixelRect area, float scale)
        : text_(text), area_(area), scale_(scale) {}

    void setOrigin(Point origin, float alpha) override {
        x_ = origin.x;
        y_ = origin.y;
        alpha_ = alpha;
    }

    void fillRect(Rect rect, Color color) override;
    void strokeCircle(Point centre, float radius, float width, Color color) override;
    void strokeArc(Point centre, float radius, float width, float from, float to,
                   Color color) override;
    void fillTriangle(Point a, Point b, Point c, Color color) override;
    void fillCircle(Point centre, float radius, Color color) override;
    void drawText(Rect rect, const std::string& text, Color color, const char* font, float size,
                  TextAlignment alignment) override;

  private:
    float px(float x) const { return static_cast<float>(area_.x) + (x_ + x) * scale_; }
    // Points grow downward from the top; pixels upward from the bottom.
    float py(float y) const {
        return static_cast<float>(area_.y + area_.height) - (y_ + y) * scale_;
    }
    // Colour (and normal) arrays for the next `vertices` vertices: the cube is drawn from
    // the same arrays, so the driver need not build a second vertex program for these.
    void setColor(Color c, int vertices);

    static constexpr int kMostVertices = 100;
    GLfloat colours_[kMostVertices * 4] = {};
    GLfloat normals_[kMostVertices * 3] = {};
    TextCache& text_;
    PixelRect area_;
    float scale_;
    float x_ = 0, y_ = 0, alpha_ = 1;
};

}  // namespace gyrelle::platform
