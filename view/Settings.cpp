// The look the settings ask for (the picture is drawn again in it), and resets logged.
#include "platform/Log.h"
#include "view/EAGLView.h"

namespace gyrelle {

void EAGLView::settingsChanged() {
    look_ = lookOf(controller_->game().settings());
    shown_.valid = false;  // drawn again in the new look; the pick's picture is the same
}

// The model logs nothing itself; its resets are reported here.
void EAGLView::cubeReset() {
    platform::logMessage(game().cube().isSolved() ? "reset: solved" : "reset: not solved");
}

}  // namespace gyrelle
