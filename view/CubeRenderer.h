#pragma once

#include "cube/MagicCube.h"

namespace gyrelle {

// The one static geometry of every piece face: a sticker quad (vertices 0..3) in
// front of a face quad (4..7), both facing +z; drawn as triangle strips.
extern const float squareVertices[8][3];
extern const float squareNormals[8][3];

// Draws the cube's 27 pieces, a turning slice turned by its animation angle.
class CubeRenderer {
  public:
    CubeRenderer();

    // Needs a current GL context with the vertex, normal and colour arrays enabled, the
    // vertex and normal arrays pointing at squareVertices and squareNormals, and the
    // model-view matrix holding the cube's orientation, which it leaves as it found it.
    void render(const MagicCube& cube);

  private:
    void drawFace(const Sticker& sticker);

    // Per-vertex colours of the quads: 0..3 the sticker being drawn, 4..7 the body.
    unsigned char quadColors_[8][4];
};

}  // namespace gyrelle
