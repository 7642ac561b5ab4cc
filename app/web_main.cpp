// Gyrelle in a browser: once the files kept by an earlier visit are read back, the view
// is built on the page's canvas, and from then on the page's events drive it.
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
    Page* running = game.release();  // the page's until it closes
    running->platform->run(*running->delegate);
}

}  // namespace

int main() {
    platform::whenFilesReady(start);
    return 0;
}
