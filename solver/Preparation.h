#pragma once

#include <atomic>
#include <thread>

#include "solver/Tables.h"

namespace gyrelle::solver {

// The process's one set of tables, built at first need and kept: on a worker thread where
// there are threads (the desktop), else a slice at a time by whoever waits for them (a
// page, between its frames).
class Preparation {
  public:
    static Preparation& shared();
    // `background`: on a worker thread, where there are threads.
    explicit Preparation(bool background = true);
    ~Preparation();
    Preparation(const Preparation&) = delete;
    Preparation& operator=(const Preparation&) = delete;

    // Begins building, once; on a worker thread where there are threads.
    void begin();
    // True once built. Without a worker, builds for about `seconds` first.
    bool ready(double seconds = 0);
    // Builds them all now, here, if not yet built.
    const Tables& wait();
    // Only once ready.
    const Tables& tables() const { return tables_; }

  private:
    Tables tables_;
    std::atomic<bool> ready_{false};
    bool begun_ = false;
    bool background_;
    std::thread worker_;
};

}  // namespace gyrelle::solver
