#pragma once

#include <string>

#include "platform/Geometry.h"

namespace gyrelle::platform {

enum class TextAlignment { Left, Center };

// Draws a view's content when views are composited over the GL view's picture.
// Coordinates are the view's own points.
class Painter {
  public:
    virtual ~Painter() = default;
    virtual void fillRect(Rect rect, Color color) = 0;
    virtual void strokeCircle(Point centre, float radius, float width, Color color) = 0;
    // Part of a circle, from angle `from` to `to` (radians, clockwise from the right as
    // points grow downward).
    virtual void strokeArc(Point centre, float radius, float width, float from, float to,
                           Color color) = 0;
    virtual void fillTriangle(Point a, Point b, Point c, Color color) = 0;
    // A straight line `width` points wide, as two triangles.
    virtual void strokeLine(Point a, Point b, float width, Color color);
    virtual void fillCircle(Point centre, float radius, Color color) = 0;
    // Text wrapped at the rectangle's width, from its top; `font` is a family name.
    virtual void drawText(Rect rect, const std::string& text, Color color, const char* font,
                          float size, TextAlignment alignment) = 0;
};

// What the compositor paints the views with: a painter moved from view to view.
class Canvas : public Painter {
  public:
    // Drawing that follows is in the points of a view whose top left lies at `origin`
    // (window points), seen at opacity `alpha`.
    virtual void setOrigin(Point origin, float alpha) = 0;
};

class View;

// Paints the views in `root` (not `root` itself), back to front, each seen at its own
// opacity times that of every view it lies in.
void paintSubviews(const View& root, Canvas& canvas);

namespace colors {
inline constexpr Color black{0, 0, 0, 1};
inline constexpr Color white{1, 1, 1, 1};
inline constexpr Color yellow{1, 1, 0, 1};
inline constexpr Color red{1, 0, 0, 1};
}  // namespace colors

}  // namespace gyrelle::platform
