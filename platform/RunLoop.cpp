#include "platform/RunLoop.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <limits>

namespace gyrelle::platform {

double monotonicSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

RunLoop::RunLoop(std::function<double()> clock) : clock_(std::move(clock)) {}

Timer* RunLoop::scheduledTimer(double interval, std::function<void()> action) {
    // A zero or negative period would fire without pause; the handset clamps it too.
    interval = std::max(interval, 1e-4);
    timers_.push_back(
        std::unique_ptr<Timer>(new Timer(interval, now() + interval, std::move(action))));
    return timers_.back().get();
}

double RunLoop::secondsUntilNextTimer() const {
    double next = std::numeric_limits<double>::infinity();
    for (const auto& t : timers_) {
        if (t->valid_) {
            next = std::min(next, t->nextFire_);
        }
    }
    return std::isinf(next) ? next : std::max(0.0, next - now());
}

void RunLoop::fireDueTimers() {
    const double t = now();
    // Timers scheduled by an action wait for the next call.
    const size_t count = timers_.size();
    for (size_t i = 0; i < count; ++i) {
        Timer* timer = timers_[i].get();
        if (!timer->valid_ || timer->nextFire_ > t) {
            continue;
        }
        double missed = std::floor((t - timer->nextFire_) / timer->interval_);
        timer->nextFire_ += (missed + 1) * timer->interval_;
        timer->action_();
    }
    timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                                 [](const std::unique_ptr<Timer>& p) { return !p->valid_; }),
                  timers_.end());
}

void RunLoop::addPassObserver(const void* owner, std::function<void()> observer) {
    passObservers_.emplace_back(owner, std::move(observer));
}

void RunLoop::removePassObservers(const void* owner) {
    std::erase_if(passObservers_, [owner](const auto& o) { return o.first == owner; });
}

void RunLoop::finishPass() {
    for (size_t i = 0; i < passObservers_.size(); ++i) {  // an observer may add one
        passObservers_[i].second();
    }
}

}  // namespace gyrelle::platform
