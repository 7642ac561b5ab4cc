#include "platform/View.h"

#include <algorithm>

namespace gyrelle::platform {

View::View(Rect frame) : frame_(frame) {}

View::~View() {
    removeFromSuperview();
    for (View* v : subviews_) {
        v->superview_ = nullptr;
    }
}

void View::addSubview(View* view) {
    if (view == nullptr || view == this) {
        return;
    }
    view->removeFromSuperview();
    view->superview_ = this;
    subviews_.push_back(view);
    setNeedsDisplay();
}

void View::setNeedsDisplay() {
    View* root = this;
    while (root->superview_) {
        root = root->superview_;
    }
    root->subviewNeedsDisplay();
}

void View::removeFromSuperview() {
    if (superview_ == nullptr) {
        return;
    }
    auto& siblings = superview_->subviews_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    View* former = superview_;
    superview_ = nullptr;
    former->didRemoveSubview(this);
    former->setNeedsDisplay();
}

View* View::hitTest(Point p) {
    if (!bounds().contains(p) || alpha_ <= 0.01f) {
        return nullptr;
    }
    for (auto it = subviews_.rbegin(); it != subviews_.rend(); ++it) {
        View* sub = *it;
        Point local{p.x - sub->frame_.x, p.y - sub->frame_.y};
        if (View* hit = sub->hitTest(local)) {
            return hit;
        }
    }
    return acceptsTouches() ? this : nullptr;
}

Point View::originInWindow() const {
    Point o{frame_.x, frame_.y};
    for (const View* v = superview_; v != nullptr; v = v->superview_) {
        o.x += v->frame_.x;
        o.y += v->frame_.y;
    }
    return o;
}

Point View::convertPoint(Point p, const View* other) const {
    Point mine = originInWindow();
    Point theirs = other ? other->originInWindow() : Point{};
    return {p.x + mine.x - theirs.x, p.y + mine.y - theirs.y};
}

Point View::convertFromWindow(Point p) const {
    Point mine = originInWindow();
    return {p.x - mine.x, p.y - mine.y};
}

}  // namespace gyrelle::platform
