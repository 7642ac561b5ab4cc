#pragma once

#include <SDL.h>

#include "platform/Accelerometer.h"

namespace gyrelle::platform {

// A real accelerometer where SDL finds one: a sensor of the device, or a game
// controller that has one.
class SdlSensor {
  public:
    SdlSensor();
    ~SdlSensor();
    SdlSensor(const SdlSensor&) = delete;
    SdlSensor& operator=(const SdlSensor&) = delete;

    bool available() const { return sensor_ || controller_; }
    // The latest sample in units of gravity; false when there is none.
    bool read(Acceleration& out);

  private:
    SDL_Sensor* sensor_ = nullptr;
    SDL_GameController* controller_ = nullptr;
};

}  // namespace gyrelle::platform
