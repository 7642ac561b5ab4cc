// Gyrelle: opens the window, builds the GL view and runs until the window closes.
#include <langinfo.h>

#include <clocale>
#include <cstdio>
#include <cstring>

#include "app/CommandLine.h"
#include "app/voxletAppDelegate.h"
#include "platform/Signals.h"
#include "platform/sdl/SdlApplication.h"
#include "view/EAGLView.h"

int main(int argc, char** argv) {
    using namespace gyrelle;
    // First of all: from here on a request to end the game saves the cube.
    platform::catchTerminationSignals();
    std::string position;
    if (int status = handleCommandLine(argc, argv, stdout, stderr, position); status >= 0) {
        return status;
    }
    // Characters as UTF-8, so that the window system takes a title beyond ASCII; numbers
    // and everything else stay in the C locale.
    if (!std::setlocale(LC_CTYPE, "") || std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0) {
        std::setlocale(LC_CTYPE, "C.UTF-8");
    }
    std::string error;
    std::unique_ptr<platform::Application> application =
        platform::openSdlApplication("Gyrelle", EAGLView::kScreenPoints, error);
    if (!application) {
        std::fprintf(stderr, "gyrelle: %s\n", error.c_str());
        return 1;
    }
    std::unique_ptr<EAGLView> glView = EAGLView::create(*application);
    if (!glView) {
        std::fprintf(stderr, "gyrelle: %s\n",
                     application->error().empty() ? "no OpenGL ES 1.1 context for the view"
                                                  : application->error().c_str());
        return 1;
    }
    application->window().setContentView(glView.get());
    std::string problem;
    if (!position.empty()) {
        glView->setPosition(position, problem);  // checked above: one undoable step
    }
    voxletAppDelegate delegate(&application->window(), glView.get());
    return application->run(delegate);
}
