#include "solver/Preparation.h"

namespace gyrelle::solver {

Preparation& Preparation::shared() {
    static Preparation preparation;
    return preparation;
}

Preparation::Preparation(bool background) : background_(background) {}

Preparation::~Preparation() {
    if (worker_.joinable()) {
        worker_.join();  // a few tenths of a second at most, at the end of the process
    }
}

void Preparation::begin() {
    if (begun_) {
        return;
    }
    begun_ = true;
    if (!background_) {
        return;
    }
#ifndef __EMSCRIPTEN__
    worker_ = std::thread([this] {
        while (!tables_.build(1.0)) {
        }
        ready_.store(true, std::memory_order_release);
    });
#endif
}

bool Preparation::ready(double seconds) {
    begin();
    if (ready_.load(std::memory_order_acquire)) {
        return true;
    }
    if (!worker_.joinable() && tables_.build(seconds)) {
        ready_.store(true, std::memory_order_release);
    }
    return ready_.load(std::memory_order_acquire);
}

const Tables& Preparation::wait() {
    begin();
    if (worker_.joinable()) {
        worker_.join();
    }
    while (!ready(1.0)) {
    }
    return tables_;
}

}  // namespace gyrelle::solver
