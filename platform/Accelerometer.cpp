#include "platform/Accelerometer.h"

namespace gyrelle::platform {

void Accelerometer::setUpdateInterval(double seconds) {
    interval_ = seconds;
    if (timer_) {
        start();
    }
}

void Accelerometer::setSource(Source source) {
    source_ = std::move(source);
    if (delegate_) {
        start();
    }
}

void Accelerometer::setDelegate(AccelerometerDelegate* delegate) {
    delegate_ = delegate;
    if (delegate_) {
        start();
    } else {
        stop();
    }
}

void Accelerometer::start() {
    stop();
    if (source_) {  // without a sensor the device is at rest: nothing to sample
        timer_ = loop_.scheduledTimer(interval_, [this] { sample(); });
    }
}

void Accelerometer::stop() {
    if (timer_) {
        timer_->invalidate();
        timer_ = nullptr;
    }
}

void Accelerometer::sample() {
    Acceleration a{0, -1, 0};
    if (source_) {
        Acceleration read;
        if (source_(read)) {
            a = read;
        }
    }
    if (delegate_) {
        delegate_->accelerometerDidAccelerate(a);
    }
}

}  // namespace gyrelle::platform
