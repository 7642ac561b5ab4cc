#include "platform/sdl/SdlSensor.h"

namespace gyrelle::platform {

SdlSensor::SdlSensor() {
    if (SDL_InitSubSystem(SDL_INIT_SENSOR) == 0) {
        for (int i = 0; i < SDL_NumSensors() && !sensor_; ++i) {
            if (SDL_SensorGetDeviceType(i) == SDL_SENSOR_ACCEL) {
                sensor_ = SDL_SensorOpen(i);
            }
        }
    }
    if (!sensor_ && SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0) {
        for (int i = 0; i < SDL_NumJoysticks() && !controller_; ++i) {
            if (!SDL_IsGameController(i)) {
                continue;
            }
            SDL_GameController* c = SDL_GameControllerOpen(i);
            if (c && SDL_GameControllerHasSensor(c, SDL_SENSOR_ACCEL) &&
                SDL_GameControllerSetSensorEnabled(c, SDL_SENSOR_ACCEL, SDL_TRUE) == 0) {
                controller_ = c;
            } else if (c) {
                SDL_GameControllerClose(c);
            }
        }
    }
    // What found nothing need not go on watching for devices.
    if (!sensor_ && SDL_WasInit(SDL_INIT_SENSOR)) {
        SDL_QuitSubSystem(SDL_INIT_SENSOR);
    }
    if (!controller_ && SDL_WasInit(SDL_INIT_GAMECONTROLLER)) {
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    }
}

SdlSensor::~SdlSensor() {
    if (sensor_) {
        SDL_SensorClose(sensor_);
    }
    if (controller_) {
        SDL_GameControllerClose(controller_);
    }
}

bool SdlSensor::read(Acceleration& out) {
    float data[3] = {0, 0, 0};
    int ok = -1;
    if (sensor_) {
        SDL_SensorUpdate();
        ok = SDL_SensorGetData(sensor_, data, 3);
    } else if (controller_) {
        SDL_GameControllerUpdate();
        ok = SDL_GameControllerGetSensorData(controller_, SDL_SENSOR_ACCEL, data, 3);
    }
    if (ok != 0) {
        return false;
    }
    // SDL reports metres per second squared.
    out = {data[0] / SDL_STANDARD_GRAVITY, data[1] / SDL_STANDARD_GRAVITY,
           data[2] / SDL_STANDARD_GRAVITY};
    return true;
}

}  // namespace gyrelle::platform
