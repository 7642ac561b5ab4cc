// Gyrelle: opens the window, builds the GL view and runs until the window closes.
#include <cstdio>

#include "app/CommandLine.h"
#include "app/voxletAppDelegate.h"
#include "platform/Signals.h"
#include "platform/sdl/SdlApplication.h"
#include "solver/Preparation.h"
#include "store/Exchange.h"
#include "view/EAGLView.h"

int main(int argc, char** argv) {
    using namespace gyrelle;
    // First of all: from here on a request to end the game saves the cube.
    platform::catchTerminationSignals();
    std::string position;
    if (int status = handleCommandLine(argc, argv, stdout, stderr, position); status >= 0) {
        return status;
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
    // The solver's largest table, where the game keeps its files: built once (in the
    // background, after the first hint's tables), then read at the first need.
    solver::Preparation::shared().keepDepths(glView->controller().keeper().depthsKeeping());
    std::string problem;
    if (position.find("#replay=") != std::string::npos ||
        position.find("#scramble=") != std::string::npos) {
        glView->controller().openAddress(position);  // checked above
    } else if (!position.empty()) {
        glView->game().setPosition(position, problem);  // checked above: one undoable step
    }
    voxletAppDelegate delegate(glView.get());
    return application->run(delegate);
}
