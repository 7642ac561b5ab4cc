// The saved state.
#include "view/EAGLView.h"

namespace gyrelle {

// Sent once, when the application terminates. Nothing is saved yet: the state file
// has not been built.
void EAGLView::terminate() {}

}  // namespace gyrelle
