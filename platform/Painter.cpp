#include "platform/Painter.h"

#include <cmath>

#include "platform/View.h"

namespace gyrelle::platform {

void Painter::strokeLine(Point a, Point b, float width, Color color) {
    const float dx = b.x - a.x, dy = b.y - a.y;
    const float length = std::sqrt(dx * dx + dy * dy);
    if (length == 0) {
        return;
    }
    const float nx = -dy / length * width / 2, ny = dx / length * width / 2;
    const Point p1{a.x + nx, a.y + ny}, p2{a.x - nx, a.y - ny};
    const Point p3{b.x + nx, b.y + ny}, p4{b.x - nx, b.y - ny};
    fillTriangle(p1, p2, p3, color);
    fillTriangle(p2, p4, p3, color);
}

namespace {

void paintView(const View& view, Canvas& canvas, Point origin, float alpha,
               const Color* groupBackground) {
    const Point at{origin.x + view.frame().x, origin.y + view.frame().y};
    const float a = alpha * view.alpha();
    if (a <= 0) {
        return;
    }
    const Color& bg = view.backgroundColor();
    // A translucent view is seen as a whole: inside it, an opaque background of its
    // own colour adds nothing and must not darken what lies below a second time.
    const bool repeatsGroup = groupBackground && bg.alpha >= 1 && bg.red == groupBackground->red &&
                              bg.green == groupBackground->green &&
                              bg.blue == groupBackground->blue;
    if (groupBackground == nullptr && view.alpha() < 1 && bg.alpha >= 1) {
        groupBackground = &bg;
    }
    canvas.setOrigin(at, a);
    if (bg.alpha > 0 && !repeatsGroup) {
        canvas.fillRect(view.bounds(), bg);
    }
    view.drawContent(canvas);
    for (const View* sub : view.subviews()) {
        paintView(*sub, canvas, at, a, groupBackground);
    }
}

}  // namespace

void paintSubviews(const View& root, Canvas& canvas) {
    for (const View* sub : root.subviews()) {
        paintView(*sub, canvas, {0, 0}, 1.0f, nullptr);
    }
}

}  // namespace gyrelle::platform
