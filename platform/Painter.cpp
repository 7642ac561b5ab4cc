#include "platform/Painter.h"

#include "platform/View.h"

namespace gyrelle::platform {

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
