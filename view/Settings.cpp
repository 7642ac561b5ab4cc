// The player's settings as the view shows them: the look of the stickers, and the panel
// that changes them.
#include "overlay/SettingsView.h"
#include "view/EAGLView.h"

namespace gyrelle {

void EAGLView::settingsChanged() {
    look_ = lookOf(game_.settings());
    const Rgb mark = hintMarkColour(game_.settings().scheme);
    hintMark_->setColor({mark.r / 255.0f, mark.g / 255.0f, mark.b / 255.0f, 1});
    shown_.valid = false;  // drawn again in the new look; the pick's picture is the same
    showSolveStatus();
}

void EAGLView::showSettings() {
    game_.stopSolving();  // a touch, as any other
    EAGLView* self = this;
    showPanel(std::make_unique<SettingsView>(
        bounds(), game_.settings(), [self](const Settings& s) { self->game_.setSettings(s); },
        [self] { self->closePanel(); }));
}

}  // namespace gyrelle
