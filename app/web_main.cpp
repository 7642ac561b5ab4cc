// Gyrelle in a browser: once this tab has the game (one tab plays it at a time: see the
// page's gyrelleTabs) and the files kept by an earlier visit are read back, the view is
// built on the page's canvas, and from then on the page's events drive it.
#include <emscripten.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <utility>

#include "app/voxletAppDelegate.h"
#include "platform/Log.h"
#include "platform/web/WebFiles.h"
#include "platform/web/WebKept.h"
#include "platform/web/WebPlatform.h"
#include "solver/Preparation.h"
#include "store/DepthsFile.h"
#include "view/EAGLView.h"

namespace {

using namespace gyrelle;

// What the page runs, for as long as it is open.
struct Page {
    std::unique_ptr<platform::WebPlatform> platform;
    std::unique_ptr<EAGLView> view;
    std::unique_ptr<voxletAppDelegate> delegate;
};
Page* running = nullptr;

void sayOnPage(const char* message) {
    // clang-format off
    EM_ASM(
        {
            var p = document.getElementById("message");
            if (p) {
                p.textContent = UTF8ToString($0);
            }
            console.error("gyrelle: " + UTF8ToString($0));
        },
        message);
    // clang-format on
}

// Phase 1's whole depths, as on the desktop: after the first hint's tables, read from the
// browser's storage, or built between frames (where the device has the memory for them)
// and kept there; hints go on without them meanwhile. Their checksum, of 70 MB, is added
// up a few megabytes a task too.
struct Depths {
    // A read under way: the piece read into, then summed before it is taken.
    solver::Phase1Depths* into = nullptr;
    std::unique_ptr<std::uint8_t[]> kept;
    std::function<void(bool)> done;
    // Summing, the piece read or the depths built: how far, and then what.
    const std::uint8_t* bytes = nullptr;
    std::size_t size = 0, at = 0;
    std::optional<store::DepthsChecksum> sum;
    bool keep = false;  // the depths built, else the piece read
};
Depths depths;
bool handedOver = false;  // the game is another tab's: nothing more to build or keep

bool pageWork();

void summed() {
    const std::uint8_t* bytes = std::exchange(depths.bytes, nullptr);
    if (depths.keep) {
        const auto tail = depths.sum->bytes();
        platform::keepBytes(store::kDepthsKept, bytes, depths.size, tail.data(), tail.size());
        return;
    }
    const bool taken = store::takeKeptDepths(std::move(depths.kept), *depths.sum, *depths.into);
    platform::logMessage(taken ? "the solver's table was read from this browser's storage"
                               : "the solver's table kept in this browser was not whole");
    depths.kept.reset();  // before a build needs the memory
    std::exchange(depths.done, nullptr)(taken);
}

void startSumming(const std::uint8_t* bytes, std::size_t size, bool keep) {
    depths.bytes = bytes;
    depths.size = size;
    depths.at = 0;
    depths.sum.emplace(size);
    depths.keep = keep;
    platform::workBetweenFrames(pageWork);
}

bool pageWork() {
    if (handedOver) {
        return false;
    }
    if (depths.bytes) {
        const std::size_t n = std::min<std::size_t>(depths.size - depths.at, 1 << 22);
        depths.sum->add(depths.bytes + depths.at, n);
        depths.at += n;
        if (depths.at == depths.size) {
            summed();
        }
        return true;
    }
    // The depths built start their summing within.
    return solver::Preparation::shared().workOnDepths(0.008) || depths.bytes;
}

void keepDepthsInThePage() {
    if (!platform::deviceHasMemory(2)) {
        // They take 70 MB, and as much again while read or kept.
        platform::logMessage("the solver's large table is not built: this device has under 2 GB");
        return;
    }
    solver::Preparation::Keeping keeping;
    keeping.ask = [](solver::Phase1Depths& into, std::function<void(bool)> done) {
        const std::size_t size = into.size() + 8;
        depths.kept.reset(new (std::nothrow) std::uint8_t[size]);
        if (!depths.kept) {
            done(false);
            return;
        }
        depths.into = &into;
        depths.done = std::move(done);
        platform::readKept(
            store::kDepthsKept, depths.kept.get(), size,
            [](bool got, void*) {
                if (got) {
                    startSumming(depths.kept.get(), depths.into->size(), false);
                } else {
                    depths.kept.reset();
                    std::exchange(depths.done, nullptr)(false);
                }
            },
            nullptr);
    };
    keeping.write = [](const solver::Phase1Depths& built) {
        platform::logMessage("the solver's table was built");
        startSumming(built.data(), built.size(), true);
    };
    keeping.wake = [] { platform::workBetweenFrames(pageWork); };
    solver::Preparation::shared().keepDepths(std::move(keeping));
}

void start() {
    keepDepthsInThePage();
    auto game = std::make_unique<Page>();
    game->platform = std::make_unique<platform::WebPlatform>();
    if (!game->platform->open("Gyrelle", EAGLView::kScreenPoints)) {
        sayOnPage(game->platform->error().c_str());
        return;
    }
    game->view = EAGLView::create(*game->platform);
    if (!game->view) {
        sayOnPage(game->platform->error().empty() ? "no OpenGL ES context for the view"
                                                  : game->platform->error().c_str());
        return;
    }
    game->platform->window().setContentView(game->view.get());
    game->delegate = std::make_unique<voxletAppDelegate>(game->view.get());
    running = game.release();  // the page's until it closes
    running->platform->run(*running->delegate);
}

}  // namespace

// This tab has the game: read what is kept, then play.
extern "C" EMSCRIPTEN_KEEPALIVE void gyrelleClaimed() {
    platform::whenFilesReady(start);
}

// Another tab takes the game over: this one's is saved, kept, and then never written again.
extern "C" EMSCRIPTEN_KEEPALIVE void gyrelleHandOver() {
    handedOver = true;
    if (running) {
        running->delegate->applicationWillTerminate();
    }
    platform::filesHandedOver();
}

int main() {
    // clang-format off
    EM_ASM({
        if (window.gyrelleTabs) {
            window.gyrelleTabs.claim(_gyrelleClaimed, function(then) {
                Module.gyrelleHandedOverThen = then;
                _gyrelleHandOver();
            });
        } else {
            _gyrelleClaimed();
        }
    });
    // clang-format on
    return 0;
}
