#pragma once

// The constant tables of the cube's mechanics.
namespace gyrelle {

extern const int moves[54][4][2];
extern const int rotations[9][12];
extern const int cornerrots[9][4];
extern const int edgerots[9][4];
extern const int faceIdx[54];
extern const int animatedVoxlets[9][3];
extern const int animatedAxisAngle[3][3];
// The outward unit normals of face slots 0..5 in the cube's own frame.
extern const float faceNormals[6][3];

}  // namespace gyrelle
