#pragma once

#include <functional>

#include "platform/RunLoop.h"

namespace gyrelle::platform {

// x, y, z in units of gravity.
struct Acceleration {
    double x = 0;
    double y = 0;
    double z = 0;
};

class AccelerometerDelegate {
  public:
    virtual ~AccelerometerDelegate() = default;
    virtual void accelerometerDidAccelerate(const Acceleration& sample) = 0;
};

// The device's accelerometer: a sample every update interval, on the run loop, from a
// sensor. Where there is none nothing is sampled: the device is at rest, held upright,
// which no shake detection could tell from nothing. A sensor that says nothing for a
// moment reads (0, -1, 0).
class Accelerometer {
  public:
    // Reads the sensor; false when it has nothing to say.
    using Source = std::function<bool(Acceleration&)>;

    explicit Accelerometer(RunLoop& loop) : loop_(loop) {}
    ~Accelerometer() { stop(); }

    void setUpdateInterval(double seconds);
    void setDelegate(AccelerometerDelegate* delegate);
    AccelerometerDelegate* delegate() const { return delegate_; }
    void setSource(Source source);

  private:
    void start();
    void stop();
    void sample();

    RunLoop& loop_;
    Timer* timer_ = nullptr;
    double interval_ = 0.1;
    AccelerometerDelegate* delegate_ = nullptr;
    Source source_;
};

}  // namespace gyrelle::platform
