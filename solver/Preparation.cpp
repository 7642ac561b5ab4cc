#include "solver/Preparation.h"

namespace gyrelle::solver {

Preparation& Preparation::shared() {
    static Preparation preparation;
    return preparation;
}

Preparation::Preparation(bool background) : background_(background) {}

Preparation::~Preparation() {
    stop_ = true;  // a build of the depths is of no use now, and would hold the end up
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
        readOrBuildDepths();
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

void Preparation::readOrBuildDepths() {
    if (!keeping_.read) {
        return;
    }
    depths_ = std::make_unique<Phase1Depths>(tables_.moves(), tables_.classes());
    depths_->sortIntoClasses();
    if (!keeping_.read(*depths_)) {
        if (!keeping_.write || !depths_->build(stop_)) {
            depths_.reset();
            return;
        }
        keeping_.write(*depths_);
    }
    depthsReady_.store(depths_.get(), std::memory_order_release);
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
