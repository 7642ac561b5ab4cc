#include "platform/Touch.h"

#include "platform/TouchDispatcher.h"
#include "platform/View.h"

namespace gyrelle::platform {

Point Touch::locationInView(const View* view) const {
    return view ? view->convertFromWindow(location_) : location_;
}

Point Touch::previousLocationInView(const View* view) const {
    return view ? view->convertFromWindow(previous_) : previous_;
}

TouchSet Event::touchesForView(const View* view) const {
    TouchSet mine;
    for (int i = 0; i < all_.count(); ++i) {
        if (all_[i]->view() == view) {
            mine.add(all_[i]);
        }
    }
    return mine;
}

namespace {
// `view` is `root` or lies under it. Only addresses are compared: a view that has gone
// away is never looked into.
bool inTree(const View& root, const View* view) {
    if (&root == view) {
        return true;
    }
    for (const View* sub : root.subviews()) {
        if (inTree(*sub, view)) {
            return true;
        }
    }
    return false;
}
}  // namespace

Touch* TouchDispatcher::find(long id) {
    for (int i = 0; i < count_; ++i) {
        if (touches_[i].id_ == id) {
            return &touches_[i];
        }
    }
    return nullptr;
}

Event TouchDispatcher::currentEvent() const {
    TouchSet all;
    for (int i = 0; i < count_; ++i) {
        all.add(&touches_[i]);
    }
    return Event(all);
}

void TouchDispatcher::forgetViewsGone() {
    for (int i = 0; i < count_; ++i) {
        if (touches_[i].view_ && !inTree(root_, touches_[i].view_)) {
            touches_[i].view_ = nullptr;
        }
    }
}

template <class Send>
void TouchDispatcher::deliver(const Touch* const* changed, int count, Send send) {
    // What an earlier phase did may have closed the view a touch landed on (lifting one
    // of two fingers on a panel closes it): the other finger's touch now belongs to none.
    forgetViewsGone();
    const Event event = currentEvent();
    View* done[TouchSet::kCapacity] = {};
    int doneCount = 0;
    for (int i = 0; i < count; ++i) {
        View* view = changed[i]->view();
        bool seen = view == nullptr;
        for (int j = 0; j < doneCount && !seen; ++j) {
            seen = done[j] == view;
        }
        if (seen) {
            continue;
        }
        done[doneCount++] = view;
        TouchSet forView;
        for (int j = 0; j < count; ++j) {
            if (changed[j]->view() == view) {
                forView.add(changed[j]);
            }
        }
        send(*view, forView, event);
    }
}

void TouchDispatcher::began(const Change* changes, int count, bool together) {
    const Touch* changed[TouchSet::kCapacity];
    int n = 0;
    View* first = nullptr;
    for (int i = 0; i < count && count_ < TouchSet::kCapacity; ++i) {
        if (find(changes[i].id)) {
            continue;  // already down: a repeated report
        }
        Touch& t = touches_[count_++];
        t = Touch();
        t.id_ = changes[i].id;
        t.location_ = t.previous_ = changes[i].at;
        t.tapCount_ = changes[i].tapCount;
        t.view_ = together && first ? first : root_.hitTest(changes[i].at);
        if (first == nullptr) {
            first = t.view_;
        }
        changed[n++] = &t;
    }
    deliver(changed, n, [](View& v, const TouchSet& s, const Event& e) { v.touchesBegan(s, e); });
}

void TouchDispatcher::moved(const Change* changes, int count) {
    const Touch* changed[TouchSet::kCapacity];
    int n = 0;
    for (int i = 0; i < count; ++i) {
        if (Touch* t = find(changes[i].id)) {
            t->previous_ = t->location_;
            t->location_ = changes[i].at;
            if (n < TouchSet::kCapacity) {
                changed[n++] = t;
            }
        }
    }
    deliver(changed, n, [](View& v, const TouchSet& s, const Event& e) { v.touchesMoved(s, e); });
}

void TouchDispatcher::ended(const Change* changes, int count) {
    const Touch* changed[TouchSet::kCapacity];
    int n = 0;
    for (int i = 0; i < count; ++i) {
        if (Touch* t = find(changes[i].id); t && !t->ending_) {
            t->previous_ = t->location_;
            t->location_ = changes[i].at;
            t->ending_ = true;
            changed[n++] = t;
        }
    }
    deliver(changed, n, [](View& v, const TouchSet& s, const Event& e) { v.touchesEnded(s, e); });
    // Forget the ended touches, keeping the others in the order they landed.
    int kept = 0;
    for (int i = 0; i < count_; ++i) {
        if (!touches_[i].ending_) {
            touches_[kept++] = touches_[i];
        }
    }
    count_ = kept;
}

}  // namespace gyrelle::platform
