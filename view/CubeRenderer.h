#pragma once

#include <array>

#include "cube/MagicCube.h"
#include "game/Settings.h"

namespace gyrelle {

// The one static geometry of every piece face: a sticker quad (vertices 0..3) in
// front of a face quad (4..7), both facing +z; drawn as triangle strips.
extern const float squareVertices[8][3];
extern const float squareNormals[8][3];

// How the window shows the stickers, where it differs from the picture the colour pick
// reads (each sticker in its own exact colour, nothing on it).
struct Look {
    // Each home face's colour; unused with `exact`, which keeps the stickers' own shades.
    std::array<Rgb, 6> faces{};
    bool exact = true;
    bool letters = false;  // each sticker's face letter on it
    // True when the window's picture and the pick's are the same.
    bool plain() const { return exact && !letters; }
};
// The look the settings ask for.
Look lookOf(const Settings& settings);

// Draws the cube's 27 pieces, a turning slice turned by its animation angle.
class CubeRenderer {
  public:
    static constexpr int kMostLetterVertices = 7 * 3 * 6;  // three runs a row at most
    CubeRenderer();

    // Needs a current GL context with the vertex, normal and colour arrays enabled, the
    // vertex and normal arrays pointing at squareVertices and squareNormals, and the
    // model-view matrix holding the cube's orientation (`orientation`, as axis and angle
    // turned, only to stand the letters upright), which it leaves as it found it.
    void render(const MagicCube& cube, const Look& look = {}, const float* orientation = nullptr);

  private:
    void drawFace(const Sticker& sticker, const Look& look, int direction);
    // Quarter turns that stand a letter on a face of direction 0..5 most nearly upright.
    void standLetters(const float* orientation);

    // Per-vertex colours of the quads: 0..3 the sticker being drawn, 4..7 the body.
    unsigned char quadColors_[8][4];
    int letterTurns_[6] = {};
    unsigned char letterColors_[kMostLetterVertices][4] = {};
};

}  // namespace gyrelle
