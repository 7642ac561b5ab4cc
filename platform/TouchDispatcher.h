#pragma once

#include "platform/Touch.h"

namespace gyrelle::platform {

// Turns finger changes into the began, moved and ended events of the views: a touch
// belongs to the view that the hit test finds where it lands, for its whole life, or
// until that view leaves the window.
class TouchDispatcher {
  public:
    struct Change {
        long id;
        Point at;  // window points
        int tapCount = 1;
    };

    explicit TouchDispatcher(View& root) : root_(root) {}

    // Fingers landing in one event. With `together`, all go to the view the first one
    // hits (the fingers a mouse stands in for are one gesture).
    void began(const Change* changes, int count, bool together = false);
    void moved(const Change* changes, int count);
    void ended(const Change* changes, int count);

    int activeCount() const { return count_; }

  private:
    Touch* find(long id);
    Event currentEvent() const;
    // Touches on a view that has left the window belong to no view from now on.
    void forgetViewsGone();
    // Sends one phase to every view that has changed touches in it.
    template <class Send>
    void deliver(const Touch* const* changed, int count, Send send);

    View& root_;
    Touch touches_[TouchSet::kCapacity];
    int count_ = 0;
};

}  // namespace gyrelle::platform
