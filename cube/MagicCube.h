#pragma once

#include <array>

#include "cube/Random.h"

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

    // Each nonzero flag, in faces order, takes the next slot of faceIdx; `fidx` is the
    // running position in faceIdx.
    void setFaces(int& fidx, int pz, int py, int nz, int ny, int nx, int px);
};

// The whole cube as a plain value: the stickers, the fixed pieces and the quarter turn
// being animated. It draws nothing, reads no files and keeps no log; `revision` moves
// on with every change, so whoever shows the cube knows when to show it again.
class MagicCube {
  public:
    static constexpr int kStickers = 54;
    static constexpr int kVoxlets = 27;
    static constexpr int kScrambleTurns = 100;
    // Degrees a turning slice advances per drawn frame; a turn shows four frames.
    static constexpr float kTurnStep = 18.0f;
    static constexpr int kTurnFrames = 4;
    static const unsigned char colors[6][3];

    using Stickers = std::array<Sticker, kStickers>;
    using Voxlets = std::array<Voxlet, kVoxlets>;

    MagicCube();
    MagicCube(const MagicCube&) = default;
    // Taking another cube's value is a change like any other: the revision moves on.
    MagicCube& operator=(const MagicCube& other);
    // The solved cube: its stickers are every sticker's identity, slot by slot.
    static const MagicCube& solved();

    void resetCube();
    bool isSolved() const;
    // rgb: red, green, blue; anything after them is not looked at. -1 when no sticker matches.
    int getStickerLocationWithColor(const unsigned char* rgb) const;
    int getFaceWithColor(const unsigned char* rgb) const;

    // Starts animating the quarter turn of a drag from slot start onto its neighbour end.
    bool move(int start, int end);
    // Starts animating the quarter turn `code` (+-1..+-9), as a drag would, or in `frames`
    // frames (1..4) where it should be quicker; false while a turn is animating.
    bool startTurn(int code, int frames = kTurnFrames);
    // Applies slice code (+-1..+-9) to the stickers at once; false, changing nothing,
    // for anything else.
    bool rotateFace(int code);
    // The turn animation's step: once per drawn frame, after the frame is drawn; `steps`
    // of them at once where the turn is hurried. Returns the slice code of the turn it
    // applied to the stickers, or 0.
    int stepAnimation(int steps = 1);
    // kScrambleTurns random quarter turns at once, from `random`, or from the C
    // library's generator seeded from the clock.
    void scrambleCube(RandomSource& random);
    void scrambleCube();
    // The slice code a scramble makes of one random value: every code +-1..+-9 alike.
    static int scrambleCode(long random);

    const Stickers& stickers() const { return s_.stickers; }
    // All 54 records at once, in slot order (a restored or pasted position).
    void setStickers(const Stickers& records);
    // The turn being animated is dropped, the stickers as they are.
    void stopTurn();
    const Voxlets& voxlets() const { return s_.voxlets; }

    bool animating() const { return s_.animating; }
    int animatedSlice() const { return s_.animatedSlice; }
    int animatedDirection() const { return s_.animatedDirection; }

    float animatedAngle() const { return s_.animatedAngle; }

    unsigned long revision() const { return revision_; }

  private:
    void animate(int code, float step = kTurnStep);

    struct State {
        Stickers stickers;
        Voxlets voxlets;
        bool animating = false;
        int animatedSlice = 0;
        int animatedDirection = 0;

        float animatedAngle = 0.0f;
        float turnStep = kTurnStep;  // of the turn animated
        int turnCode = 0;            // the slice code being animated
    };
    State s_;
    unsigned long revision_ = 0;
};

}  // namespace gyrelle
