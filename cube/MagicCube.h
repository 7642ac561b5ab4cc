#pragma once

#include <cstdio>

namespace gyrelle {

// The content of one sticker slot; turns move whole records between slots.
struct Sticker {
    unsigned char rgb[3];    // unique per sticker: also its picking colour
    signed char faceNumber;  // home face 0..5
};

// One fixed piece of the 3x3x3 grid. Pieces never move; turns move stickers.
struct Voxlet {
    int xyz[3];    // each -1, 0 or +1
    int faces[6];  // sticker slot shown towards +z, +y, -z, -y, -x, +x, or -1

    // Each nonzero flag, in faces order, takes the next slot of faceIdx.
    void setFaces(int pz, int py, int nz, int ny, int nx, int px);

    static int fidx;  // next entry of faceIdx while resetCube hands out slots
};

class MagicCube {
  public:
    static constexpr int kStickers = 54;
    static constexpr int kVoxlets = 27;
    static const unsigned char colors[6][3];

    MagicCube();

    void resetCube();
    bool isSolved() const;
    // rgb: red, green, blue; anything after them is not looked at. -1 when no sticker matches.
    int getStickerLocationWithColor(const unsigned char* rgb) const;
    int getFaceWithColor(const unsigned char* rgb) const;

    // Starts animating the quarter turn of a drag from slot start onto its neighbour end.
    bool move(int start, int end);
    // Applies slice code (+-1..+-9) to the stickers at once.
    bool rotateFace(int code);
    // The turn animation's per-frame step, run at the end of every drawn frame.
    void stepAnimation();

    // Draws the 27 pieces (a turning slice turned) and then steps the turn animation.
    // Needs a current GL context with the vertex, normal and colour arrays enabled
    // and the vertex and normal arrays pointing at squareVertices and squareNormals.
    void render();
    // 100 random quarter turns at once.
    void scrambleCube();

    // Sticker lines of the saved state: "%d %d %d %d\n" per slot.
    void writeStickers(std::FILE* out) const;
    // Reads up to 54 sticker lines, stopping at the first incomplete one.
    void readStickers(std::FILE* in);

    Sticker stickers[kStickers];
    Voxlet voxlets[kVoxlets];
    unsigned char animating = 0;
    int animatedSlice = 0;
    int animatedDirection = 0;
    int moveStart = 0;
    int moveEnd = 0;
    float animatedAngle = 0.0f;

  private:
    void drawFace(int slot);

    // Per-vertex colours of the quads: 0..3 the sticker being drawn, 4..7 the body.
    struct QuadColors {
        QuadColors();
        unsigned char rgba[8][4];
    };
    QuadColors quadColors_;
};

// The one static geometry of every piece face: a sticker quad (vertices 0..3) in
// front of a face quad (4..7), both facing +z; drawn as triangle strips.
extern const float squareVertices[8][3];
extern const float squareNormals[8][3];

}  // namespace gyrelle
