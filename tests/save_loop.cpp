// Saves the cube again and again, each time turned differently, until it is killed.
// The crash-safety test kills it at random moments.
#include <cstdio>

#include "platform/headless/HeadlessPlatform.h"
#include "view/EAGLView.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: save_loop DIRECTORY\n");
        return 2;
    }
    gyrelle::platform::HeadlessPlatform platform{gyrelle::EAGLView::kScreenPoints};
    platform.setDocumentsDirectory(argv[1]);
    auto view = gyrelle::EAGLView::create(platform);
    if (!view) {
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    for (int code = 1;; code = code % 9 + 1) {
        view->magicCube->rotateFace(code);
        view->terminate();
    }
}
