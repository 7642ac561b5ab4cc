#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "solver/Phase1Depths.h"
#include "solver/Tables.h"

namespace gyrelle::solver {

// The process's one set of tables, built at first need and kept: on a worker thread where
// there are threads (the desktop), else a slice at a time by whoever waits for them (a
// page, between its frames). Where there is a place to keep them, phase 1's whole depths
// follow: read, or built and kept, after the tables, while the tables serve; on the
// worker, or in a page a slice at a time as the page calls workOnDepths.
class Preparation {
  public:
    // Where the depths are kept between runs: `read` fills them in (false when there are
    // none to be had); `write` keeps them once built, and without it they are only read.
    struct Keeping {
        std::function<bool(Phase1Depths&)> read;
        std::function<void(const Phase1Depths&)> write;
        // Instead of `read` where they come later (a page's storage): begins reading them
        // into the depths given, and calls `done` (true once the depths have them).
        std::function<void(Phase1Depths&, std::function<void(bool)> done)> ask;
        // Without a worker: there is work on the depths to do; workOnDepths until false.
        std::function<void()> wake;
    };

    static Preparation& shared();
    // `background`: on a worker thread, where there are threads.
    explicit Preparation(bool background = true);
    ~Preparation();
    Preparation(const Preparation&) = delete;
    Preparation& operator=(const Preparation&) = delete;

    // Before begin: where the depths are kept. Without it there are none.
    void keepDepths(Keeping keeping) { keeping_ = std::move(keeping); }
    // Begins building, once; on a worker thread where there are threads.
    void begin();
    // True once built. Without a worker, builds for about `seconds` first.
    bool ready(double seconds = 0);
    // Builds them all now, here, if not yet built.
    const Tables& wait();
    // Without a worker: sorts or builds the depths for about `seconds`. True while there
    // is more to do at once; false when done, or waiting (on the tables or the storage).
    bool workOnDepths(double seconds);
    // Only once ready.
    const Tables& tables() const { return tables_; }
    // Once read or built, for any solver on these tables; null until then.
    const Phase1Depths* depths() const { return depthsReady_.load(std::memory_order_acquire); }

  private:
    void readOrBuildDepths();
    void depthsDone(bool publish);

    enum class Depths : char { None, Sorting, Asking, Building, Done };

    Tables tables_;
    std::atomic<bool> ready_{false};
    Keeping keeping_;
    std::unique_ptr<Phase1Depths> depths_;
    std::atomic<const Phase1Depths*> depthsReady_{nullptr};
    Depths stage_ = Depths::None;    // without a worker
    std::atomic<bool> stop_{false};  // the process ends: a build of the depths stops
    bool begun_ = false;
    bool background_;
    std::thread worker_;
};

}  // namespace gyrelle::solver
