#pragma once

#include "platform/Geometry.h"

namespace gyrelle::platform {

class View;

// One finger on the screen, from the moment it lands until it lifts.
class Touch {
  public:
    // Where the finger is (was, at the event before) in `view`'s points.
    Point locationInView(const View* view) const;
    Point previousLocationInView(const View* view) const;
    // Quick successive taps at about the same place: 1 for a single tap.
    int tapCount() const { return tapCount_; }
    View* view() const { return view_; }

  private:
    friend class TouchDispatcher;
    long id_ = 0;
    Point location_;  // in window points
    Point previous_;
    int tapCount_ = 1;
    View* view_ = nullptr;
    bool ending_ = false;
};

// A few touches, without allocation: the touches of an event, or of one view.
class TouchSet {
  public:
    static constexpr int kCapacity = 12;

    int count() const { return count_; }
    // One of the touches (the first), or null for an empty set.
    const Touch* anyObject() const { return count_ ? items_[0] : nullptr; }
    const Touch* operator[](int i) const { return items_[i]; }
    void add(const Touch* t) {
        if (count_ < kCapacity) {
            items_[count_++] = t;
        }
    }

  private:
    const Touch* items_[kCapacity] = {};
    int count_ = 0;
};

// All the touches on the screen at one moment, including those that end now.
class Event {
  public:
    explicit Event(TouchSet all) : all_(all) {}
    // The touches that belong to `view`, moving or still, in the order they landed.
    TouchSet touchesForView(const View* view) const;

  private:
    TouchSet all_;
};

}  // namespace gyrelle::platform
