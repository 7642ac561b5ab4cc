// What the view is told as the phone told it, handed to the controller: the
// accelerometer's samples (a shake is a new game) and the answers to the questions.
#include "view/EAGLView.h"

namespace gyrelle {

void EAGLView::accelerometerDidAccelerate(const platform::Acceleration& sample) {
    controller_->shake(sample);
}

void EAGLView::alertViewClickedButtonAtIndex(platform::AlertView& alert, int index) {
    controller_->answered(alert, index);
}

}  // namespace gyrelle
