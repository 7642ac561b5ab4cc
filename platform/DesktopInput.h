#pragma once

#include <climits>

#include "platform/TouchDispatcher.h"

namespace gyrelle::platform {

// Plays every touch gesture with what a desktop has: the mouse stands in for one or
// two fingers, and touch-screen fingers pass through with taps counted as a phone
// counts them. All positions are in view points.
class DesktopInput {
  public:
    // A landing within this time and distance of the last tap's lift is the next tap.
    static constexpr double kMultiTapInterval = 0.35;  // seconds
    static constexpr float kMultiTapDistance = 20;     // points; also the most a tap may slide
    // Where the second finger of a mouse two-finger drag rides, beside the pointer.
    static constexpr float kDragFingerGap = 40;  // points

    enum class Pointer {
        Finger,          // left button
        TwoFingerDrag,   // right button: two fingers moving together
        TwoFingerTwist,  // Ctrl + left button: the second finger mirrored through the centre
    };

    DesktopInput(TouchDispatcher& dispatcher, Size viewPoints)
        : dispatcher_(dispatcher), points_(viewPoints) {}

    // `clicks` is the platform's count of quick successive clicks: the tap count.
    void pointerDown(Pointer kind, Point at, int clicks);
    // For a platform that does not count clicks itself (a browser): the count of a press
    // at `at`, `seconds`, by the time and distance that count a finger's taps.
    int countClick(Point at, double seconds);
    void pointerMoved(Point at);
    void pointerUp(Point at);
    bool pointerActive() const { return pointerActive_; }

    void fingerDown(long id, Point at, double seconds);
    void fingerMoved(long id, Point at);
    void fingerUp(long id, Point at, double seconds);

  private:
    static constexpr long kPointerFinger = LONG_MIN;
    static constexpr long kPointerSecond = LONG_MIN + 1;

    int pointerChanges(Point at, TouchDispatcher::Change* out) const;

    TouchDispatcher& dispatcher_;
    Size points_;
    bool pointerActive_ = false;
    Pointer pointer_ = Pointer::Finger;
    int clicks_ = 1;

    // The last finger lift that was a tap, for counting the next.
    struct Landing {
        long id;
        Point at;
        int taps;
    };
    Landing landed_[TouchSet::kCapacity] = {};
    int landedCount_ = 0;
    double lastPressTime_ = -1e9;
    Point lastPressAt_;
    int pressCount_ = 0;
    bool haveLastTap_ = false;
    Point lastTapAt_;
    double lastTapTime_ = 0;
    int lastTapCount_ = 0;
};

}  // namespace gyrelle::platform
