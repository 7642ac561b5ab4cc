#include "platform/AlertView.h"

#include <algorithm>
#include <cmath>

#include "platform/Painter.h"

namespace gyrelle::platform {

namespace {
// The question's box, put across the middle of the window it is shown in.
constexpr Rect kBox{0, 0, 260, 150};
}  // namespace

AlertView::AlertView(std::string title, std::string message, AlertViewDelegate* delegate,
                     std::string cancelButton, std::string otherButton)
    : View(kBox),
      title_(std::move(title)),
      message_(std::move(message)),
      delegate_(delegate),
      cancel_(Button::Style::Text, {12, 98, 112, 40}, std::move(cancelButton)),
      other_(Button::Style::Text, {136, 98, 112, 40}, std::move(otherButton)) {
    setBackgroundColor({0.12f, 0.13f, 0.17f, 0.96f});
    addSubview(&cancel_);
    addSubview(&other_);
    cancel_.setAction([this] { clickButton(0); });
    other_.setAction([this] { clickButton(1); });
}

void AlertView::clickButton(int index) {
    if (window_ == nullptr) {
        return;  // answered already
    }
    Window* window = window_;
    window_ = nullptr;
    if (delegate_) {
        delegate_->alertViewClickedButtonAtIndex(*this, index);
    }
    window->answered(this);
}

void AlertView::drawContent(Painter& painter) const {
    float top = 14;
    if (!title_.empty()) {
        painter.drawText({10, top, kBox.width - 20, 26}, title_, colors::white, "Arial", 18,
                         TextAlignment::Center);
        top += 28;
    }
    painter.drawText({10, top, kBox.width - 20, 80}, message_, colors::white, "Arial", 17,
                     TextAlignment::Center);
}

Window::Window(Size points)
    : View({0, 0, static_cast<float>(points.width), static_cast<float>(points.height)}) {}

void Window::setContentView(View* view) {
    if (content_) {
        content_->removeFromSuperview();
    }
    content_ = view;
    addSubview(view);
    for (auto& alert : alerts_) {  // questions stay in front
        addSubview(alert.get());
    }
}

void Window::showAlert(std::unique_ptr<AlertView> alert) {
    const Rect b = bounds();
    alert->setFrame(
        {(b.width - kBox.width) / 2, (b.height - kBox.height) / 2, kBox.width, kBox.height});
    alert->window_ = this;
    addSubview(alert.get());
    alerts_.push_back(std::move(alert));
}

void Window::answered(AlertView* alert) {
    alert->removeFromSuperview();
    auto it = std::find_if(alerts_.begin(), alerts_.end(),
                           [&](const auto& a) { return a.get() == alert; });
    if (it != alerts_.end()) {
        answered_.push_back(std::move(*it));
        alerts_.erase(it);
    }
}

void Window::collectAnswered() {
    answered_.clear();
}

bool Window::keyDown(const KeyPress& key) {
    if (AlertView* question = frontAlert()) {
        const bool plain = !key.ctrl && !key.alt;
        if (plain && (key.key == Key::Return || (key.key == Key::Letter && key.letter == 'y'))) {
            question->clickButton(1);
        } else if (plain &&
                   (key.key == Key::Escape || (key.key == Key::Letter && key.letter == 'n'))) {
            question->clickButton(0);
        }
        return true;
    }
    return content_ && content_->keyDown(key);
}

Rect Window::touchArea(const View& button) const {
    const Point origin = button.convertPoint({0, 0}, this);
    const Rect f{origin.x, origin.y, button.frame().width, button.frame().height};
    const float w = std::max(f.width, leastSide_), h = std::max(f.height, leastSide_);
    Rect area{f.x + (f.width - w) / 2, f.y + (f.height - h) / 2, w, h};
    // Moved, not cut, to lie where a finger can land (unless it cannot fit there at all).
    const Rect r = reach_.width > 0 ? reach_ : bounds();
    area.x = std::max(r.x, std::min(area.x, r.x + r.width - w));
    area.y = std::max(r.y, std::min(area.y, r.y + r.height - h));
    return area;
}

// Only the container's own buttons (the content view's, or a question's), and only those
// that nothing else taking touches (a panel, the instructions) lies over: a touch near a
// button under a panel belongs to the panel, one on a button beside it (in the bars) to
// the button.
View* Window::touchTargetAt(const View& container, Point p) const {
    auto frameOf = [this](const View& v) {
        const Point origin = v.convertPoint({0, 0}, this);
        return Rect{origin.x, origin.y, v.frame().width, v.frame().height};
    };
    std::vector<Rect> covers;
    for (View* sub : container.subviews()) {
        if (sub->alpha() > 0.01f && !sub->isTouchTarget() && sub->acceptsTouches()) {
            covers.push_back(frameOf(*sub));
        }
    }
    View* found = nullptr;
    float nearest = HUGE_VALF;
    for (View* sub : container.subviews()) {
        if (sub->alpha() <= 0.01f || !sub->isTouchTarget()) {
            continue;
        }
        const Rect f = frameOf(*sub);
        const bool covered = std::any_of(covers.begin(), covers.end(), [&](const Rect& c) {
            return f.x < c.x + c.width && c.x < f.x + f.width && f.y < c.y + c.height &&
                   c.y < f.y + f.height;
        });
        if (covered) {
            continue;
        }
        const Rect a = touchArea(*sub);
        const float dx = a.x + a.width / 2 - p.x, dy = a.y + a.height / 2 - p.y;
        if (a.contains(p) && dx * dx + dy * dy < nearest) {
            nearest = dx * dx + dy * dy;
            found = sub;
        }
    }
    return found;
}

View* Window::hitTest(Point p) {
    View* hit = View::hitTest(p);
    AlertView* front = frontAlert();
    if (front == nullptr) {
        if (content_ && (hit == nullptr || hit == content_)) {
            if (View* target = touchTargetAt(*content_, p)) {
                hit = target;
            }
        }
        // Beside the content view (in the bars around it): its, when it asks for them.
        if (hit == nullptr && content_ && content_->takesTouchesBeside()) {
            hit = content_;
        }
        return hit;
    }
    if (hit == front) {  // the question's buttons, likewise
        if (View* target = touchTargetAt(*front, p)) {
            hit = target;
        }
    }
    for (View* v = hit; v != nullptr; v = v->superview()) {
        if (v == front) {
            return hit;
        }
    }
    return front;
}

void Window::forgetDelegate(AlertViewDelegate* delegate) {
    for (auto& alert : alerts_) {
        if (alert->delegate_ == delegate) {
            alert->delegate_ = nullptr;
        }
    }
}

}  // namespace gyrelle::platform
