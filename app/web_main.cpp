// Gyrelle in a browser: once this tab has the game (one tab plays it at a time: see the
// page's gyrelleTabs) and the files kept by an earlier visit are read back, the view is
// built on the page's canvas, and from then on the page's events drive it.
#include <emscripten.h>

#include "app/voxletAppDelegate.h"
#include "platform/web/WebFiles.h"
#include "platform/web/WebPlatform.h"
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

void start() {
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
