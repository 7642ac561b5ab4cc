#pragma once

#include <functional>
#include <memory>
#include <vector>

namespace gyrelle::platform {

// Seconds on a monotonic clock.
double monotonicSeconds();

class RunLoop;

// A repeating timer on a run loop. It fires on its schedule (start + k * interval);
// a late run loop fires it once and it skips the ticks it missed.
class Timer {
  public:
    double interval() const { return interval_; }
    // Stops the timer for good; the run loop frees it later, so a timer may
    // invalidate itself from its own action.
    void invalidate() { valid_ = false; }

  private:
    friend class RunLoop;
    Timer(double interval, double firstFire, std::function<void()> action)
        : interval_(interval), nextFire_(firstFire), action_(std::move(action)) {}

    double interval_;
    double nextFire_;
    std::function<void()> action_;
    bool valid_ = true;
};

// Timers on one thread. The clock is injectable so tests can step time by hand; the
// platform's event loop waits (without spinning) for secondsUntilNextTimer and then
// calls fireDueTimers.
class RunLoop {
  public:
    explicit RunLoop(std::function<double()> clock = monotonicSeconds);

    Timer* scheduledTimer(double interval, std::function<void()> action);
    // Infinity when no timer is valid; 0 when one is due.
    double secondsUntilNextTimer() const;
    void fireDueTimers();
    // Told after every pass of the platform's loop (the events that came, the timers
    // that fell due): what rests may see whether it must move again.
    void addPassObserver(const void* owner, std::function<void()> observer);
    void removePassObservers(const void* owner);
    void finishPass();
    double now() const { return clock_(); }

  private:
    std::function<double()> clock_;
    std::vector<std::unique_ptr<Timer>> timers_;
    std::vector<std::pair<const void*, std::function<void()>>> passObservers_;
};

}  // namespace gyrelle::platform
