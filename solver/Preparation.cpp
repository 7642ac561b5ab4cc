#include "solver/Preparation.h"

#include <chrono>

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
        if (keeping_.ask && stage_ == Depths::None) {
            stage_ = Depths::Sorting;
            depths_ = std::make_unique<Phase1Depths>(tables_.moves(), tables_.classes());
            if (keeping_.wake) {
                keeping_.wake();
            }
        }
    }
    return ready_.load(std::memory_order_acquire);
}

void Preparation::readOrBuildDepths() {
    if (!keeping_.read) {
        return;
    }
    depths_ = std::make_unique<Phase1Depths>(tables_.moves(), tables_.classes());
    if (!depths_->sortIntoClasses()) {
        depths_.reset();  // no memory for them: hints go on without
        return;
    }
    if (!keeping_.read(*depths_)) {
        if (!keeping_.write || !depths_->build(stop_)) {
            depths_.reset();
            return;
        }
        keeping_.write(*depths_);
    }
    depthsReady_.store(depths_.get(), std::memory_order_release);
}

bool Preparation::workOnDepths(double seconds) {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (stage_ == Depths::Sorting || stage_ == Depths::Building) {
        if (stage_ == Depths::Sorting) {
            if (depths_->sortSome(8192)) {
                stage_ = Depths::Asking;
                keeping_.ask(*depths_, [this](bool got) {
                    if (got) {
                        depthsDone(true);
                    } else if (keeping_.write) {
                        stage_ = Depths::Building;
                        if (keeping_.wake) {
                            keeping_.wake();
                        }
                    } else {
                        depthsDone(false);
                    }
                });
                continue;  // on at once only if the answer came at once
            }
        } else if (depths_->buildSome(32)) {
            keeping_.write(*depths_);
            depthsDone(true);
        }
        if (depths_ && depths_->failed()) {
            depthsDone(false);  // no memory for them: hints go on without
        }
        if (Clock::now() >= end) {
            break;
        }
    }
    return stage_ == Depths::Sorting || stage_ == Depths::Building;
}

void Preparation::depthsDone(bool publish) {
    stage_ = Depths::Done;
    if (publish) {
        depthsReady_.store(depths_.get(), std::memory_order_release);
    } else {
        depths_.reset();
    }
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
