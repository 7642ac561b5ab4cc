#pragma once

namespace gyrelle {

// Cube notation on the model's faces. The slice code that turns face slot `face` (0..5)
// a quarter turn clockwise as seen looking at that face, or back with `prime`; and the
// one that turns the middle slice parallel to it the same way (M as L, E as D, S as F).
int faceTurn(int face, bool prime);
int middleTurn(int face, bool prime);

}  // namespace gyrelle
