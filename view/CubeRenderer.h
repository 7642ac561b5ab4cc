#pragma once

#include <GLES/gl.h>

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

// A face's letter as the game's font draws it: a texture, white on transparent, and its
// size in the cube's units (a sticker is 0.95 across).
struct LetterTexture {
    GLuint id = 0;
    float width = 0, height = 0;
};

// Draws the cube's 27 pieces, a turning slice turned by its animation angle.
class CubeRenderer {
  public:
    // A letter's capitals stand this high on its sticker (units).
    static constexpr float kLetterHeight = 0.5f;
    CubeRenderer();

    // The letters of home faces 0..5, drawn on their stickers where the look asks for
    // letters; none (id 0) draws none.
    void setLetters(const std::array<LetterTexture, 6>& letters) { letters_ = letters; }

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
    std::array<LetterTexture, 6> letters_{};
    unsigned char letterColors_[4][4] = {};
};

}  // namespace gyrelle
