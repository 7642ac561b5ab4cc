#include "platform/DesktopInput.h"

#include <cmath>

namespace gyrelle::platform {

namespace {
float distance(Point a, Point b) {
    return std::hypot(a.x - b.x, a.y - b.y);
}
}  // namespace

int DesktopInput::pointerChanges(Point at, TouchDispatcher::Change* out) const {
    out[0] = {kPointerFinger, at, clicks_};
    switch (pointer_) {
        case Pointer::Finger:
            return 1;
        case Pointer::TwoFingerDrag:
            out[1] = {kPointerSecond, {at.x + kDragFingerGap, at.y}, clicks_};
            return 2;
        case Pointer::TwoFingerTwist:
            out[1] = {kPointerSecond,
                      {static_cast<float>(points_.width) - at.x,
                       static_cast<float>(points_.height) - at.y},
                      clicks_};
            return 2;
    }
    return 1;
}

void DesktopInput::pointerDown(Pointer kind, Point at, int clicks) {
    if (pointerActive_) {
        return;  // one mouse gesture at a time
    }
    pointerActive_ = true;
    pointer_ = kind;
    clicks_ = clicks < 1 ? 1 : clicks;
    TouchDispatcher::Change changes[2];
    int n = pointerChanges(at, changes);
    dispatcher_.began(changes, n, true);
}

int DesktopInput::countClick(Point at, double seconds) {
    const bool again = seconds - lastPressTime_ <= kMultiTapInterval &&
                       distance(at, lastPressAt_) <= kMultiTapDistance;
    pressCount_ = again ? pressCount_ + 1 : 1;
    lastPressTime_ = seconds;
    lastPressAt_ = at;
    return pressCount_;
}

void DesktopInput::pointerMoved(Point at) {
    if (!pointerActive_) {
        return;
    }
    TouchDispatcher::Change changes[2];
    int n = pointerChanges(at, changes);
    dispatcher_.moved(changes, n);
}

void DesktopInput::pointerUp(Point at) {
    if (!pointerActive_) {
        return;
    }
    TouchDispatcher::Change changes[2];
    int n = pointerChanges(at, changes);
    dispatcher_.ended(changes, n);
    pointerActive_ = false;
}

void DesktopInput::fingerDown(long id, Point at, double seconds) {
    int taps = 1;
    if (haveLastTap_ && seconds - lastTapTime_ <= kMultiTapInterval &&
        distance(at, lastTapAt_) <= kMultiTapDistance) {
        taps = lastTapCount_ + 1;
    }
    if (landedCount_ < TouchSet::kCapacity) {
        landed_[landedCount_++] = {id, at, taps};
    }
    TouchDispatcher::Change change{id, at, taps};
    dispatcher_.began(&change, 1);
}

void DesktopInput::fingerMoved(long id, Point at) {
    TouchDispatcher::Change change{id, at, 1};
    dispatcher_.moved(&change, 1);
}

void DesktopInput::fingerUp(long id, Point at, double seconds) {
    for (int i = 0; i < landedCount_; ++i) {
        if (landed_[i].id != id) {
            continue;
        }
        // A lift near the landing is a tap, and the next landing may continue the count.
        haveLastTap_ = distance(at, landed_[i].at) <= kMultiTapDistance;
        lastTapAt_ = at;
        lastTapTime_ = seconds;
        lastTapCount_ = landed_[i].taps;
        landed_[i] = landed_[--landedCount_];
        break;
    }
    TouchDispatcher::Change change{id, at, 1};
    dispatcher_.ended(&change, 1);
}

}  // namespace gyrelle::platform
