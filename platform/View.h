#pragma once

#include <vector>

#include "platform/Geometry.h"
#include "platform/Keys.h"
#include "platform/Touch.h"

namespace gyrelle::platform {

class Painter;

// A rectangle of the screen in a tree of views, standing in for the handset's views.
// A view does not own its subviews; whoever creates a view keeps it alive and a view
// leaves its superview when it is destroyed.
class View {
  public:
    explicit View(Rect frame = {});
    virtual ~View();
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    const Rect& frame() const { return frame_; }
    void setFrame(Rect frame) {
        frame_ = frame;
        setNeedsDisplay();
    }
    Rect bounds() const { return {0, 0, frame_.width, frame_.height}; }

    float alpha() const { return alpha_; }
    void setAlpha(float alpha) {
        alpha_ = alpha;
        setNeedsDisplay();
    }
    const Color& backgroundColor() const { return background_; }
    void setBackgroundColor(Color c) {
        background_ = c;
        setNeedsDisplay();
    }
    // What this view shows has changed: the window composites again.
    void setNeedsDisplay();

    View* superview() const { return superview_; }
    const std::vector<View*>& subviews() const { return subviews_; }
    // On top of the existing subviews; a view moves from any earlier superview.
    void addSubview(View* view);
    void removeFromSuperview();

    // The front-most view at p (in this view's bounds), or null outside.
    virtual View* hitTest(Point p);
    // p in this view's coordinates, expressed in the coordinates of `other`'s bounds.
    Point convertPoint(Point p, const View* other) const;
    // p in window points, expressed in this view's coordinates.
    Point convertFromWindow(Point p) const;

    virtual void layoutSubviews() {}
    // The root of a window is told when anything in it needs drawing again.
    virtual void subviewNeedsDisplay() {}
    virtual void didRemoveSubview(View*) {}
    // Draws what lies on top of the background colour.
    virtual void drawContent(Painter&) const {}
    // False for views that let touches pass through to what is under them.
    virtual bool acceptsTouches() const { return true; }
    // A target a finger must be able to hit: touched within a larger area than its frame
    // where it is small (Window::touchArea).
    virtual bool isTouchTarget() const { return false; }
    // The window's content view: a touch beside it (in the bars around it) is its too,
    // when this says so.
    virtual bool takesTouchesBeside() const { return false; }
    // The window, when this is the root view (the page is built without run-time types).
    virtual const class Window* asWindow() const { return nullptr; }

    // A key pressed while this view has the keyboard; false when it means nothing here.
    virtual bool keyDown(const KeyPress&) { return false; }
    // The mouse's wheel turned `lines` (down positive) while this view has the keyboard;
    // false when nothing here scrolls.
    virtual bool scrollWheel(float lines) {
        (void)lines;
        return false;
    }

    // Touches that landed on this view: those of this phase, and the whole event.
    virtual void touchesBegan(const TouchSet&, const Event&) {}
    virtual void touchesMoved(const TouchSet&, const Event&) {}
    virtual void touchesEnded(const TouchSet&, const Event&) {}

  private:
    Point originInWindow() const;

    Rect frame_;
    float alpha_ = 1.0f;
    Color background_{};
    View* superview_ = nullptr;
    std::vector<View*> subviews_;
};

}  // namespace gyrelle::platform
