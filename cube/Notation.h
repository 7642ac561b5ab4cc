#pragma once

#include <string>
#include <string_view>

namespace gyrelle {

class MagicCube;

// Cube notation on the model's faces. The slice code that turns face slot `face` (0..5)
// a quarter turn clockwise as seen looking at that face, or back with `prime`; and the
// one that turns the middle slice parallel to it the same way (M as L, E as D, S as F).
int faceTurn(int face, bool prime);
int middleTurn(int face, bool prime);

// A turn of a solve as the records keep it: a slice code (+-1..+-9), or the whole cube
// turned as all three slices of one axis at once, +-(kWholeCube + axis), the sign as the
// slice codes' (positive: a quarter turn counterclockwise about the axis's positive end).
constexpr int kWholeCube = 10;
constexpr bool isWholeCube(int code) {
    return code >= kWholeCube ? code < kWholeCube + 3
                              : code <= -kWholeCube && code > -kWholeCube - 3;
}
// The whole-cube code that turns the cube as face slot `face` turns clockwise (x as R,
// y as U, z as F), or back with `prime`.
int wholeCubeTurn(int face, bool prime);

// The usual notation of a sequence of such turns, as a player holding the cube reads it:
// the letters name the faces where they are now, so after a whole-cube turn (x, y, z)
// they name other faces of the model. A `Reading` follows that, one token at a time,
// either way.
class Reading {
  public:
    // The model's face slot now in place `letter` (U R F D L B as 0..5), and the place
    // that face slot is now in.
    int slotAt(int place) const { return slotAt_[place]; }
    // "R", "M'", "y": the token of `code` (one quarter turn); the frame moves on after a
    // whole-cube turn. Empty for what is no code.
    std::string text(int code);
    // The codes of `token` in this frame, at most three (R2 is two quarter turns; r, Rw, a
    // face and the middle slice with it), into `codes`; their count, 0 for no turn.
    int codes(std::string_view token, int codes[4]);

  private:
    void turned(int place, bool prime);
    int slotAt_[6] = {1, 5, 0, 3, 4, 2};  // U R F D L B at home
};

// `moves` in the usual notation (tokens apart by spaces, brackets ignored) made on `cube` at
// once, the model held still (x, y and z rename the faces after them, as a Reading does);
// false, the cube as it was, when a token is no turn or there is none.
bool applyMoves(MagicCube& cube, std::string_view moves);

}  // namespace gyrelle
