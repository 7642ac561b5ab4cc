#pragma once

#include "math/Quaternion.h"

namespace gyrelle {

// The whole cube's orientation and how it turns on its own between touches: a make-top
// (a turn in steps until a face is up, also a typed whole-cube turn and the spin of a
// solve), else the spin a flick leaves. The fields keep the names every description of
// the game uses.
struct Motion {
    // Largest turn of a make-top per frame, radians (about 9 degrees). The step compares
    // and subtracts it in double; a make-top's step rotation is built with it as a float.
    static constexpr double kMakeTopStep = 0.1570795;

    // At start-up: about 40 degrees about (1, 1, 0), nothing moving.
    Motion();

    // One frame's worth: a make-top step (`makeTopSteps` of them where it is hurried), else
    // one turn of the spin.
    void step(int makeTopSteps = 1);

    bool makingTop() const { return fMakeTopDistance > 0; }
    bool moving() const { return makingTop() || bContinueToRotate; }
    // A turn about `axis` (screen frame, any length) through `distance` radians, in
    // make-top steps.
    void startMakeTop(const float* axis, float distance);
    // A touch stops the spin and forgets it.
    void stopSpin();
    // Turns the cube by `turn` about an axis fixed in the cube (orientation * turn); a
    // turn about an axis fixed to the screen is currentRotation.multiplyBy(turn).
    void turnAboutCubeAxis(const Quaternion& turn);
    // The face slot whose normal points most nearly along screen axis 0, 1 or 2 (x right,
    // y up, z toward the viewer) times `sign`; the lower slot on a tie; -1 when the
    // orientation holds no numbers.
    int faceTowards(int screenAxis, float sign) const;

    // The orientation: from the cube's own frame to the screen's.
    Quaternion currentRotation;
    // The spin's turn per frame, and whether it turns about the cube's own axes
    // (orientation * turn) rather than the screen's (turn * orientation).
    Quaternion qdeltacontinue;
    signed char bContinueToRotate = 0;
    signed char bContinuePremultiply = 0;
    // A make-top's turn per frame (the last one shorter), and the radians still to go.
    Quaternion qMakeTop;
    float fMakeTopDistance = 0;

    // What outlasts a restart: the orientation and the spin, whole.
    struct Kept {
        Quaternion currentRotation;
        Quaternion qdeltacontinue;
        signed char bContinueToRotate = 0;
        signed char bContinuePremultiply = 0;
    };
    Kept kept() const {
        return {currentRotation, qdeltacontinue, bContinueToRotate, bContinuePremultiply};
    }
    void restore(const Kept& k) {
        currentRotation = k.currentRotation;
        qdeltacontinue = k.qdeltacontinue;
        bContinueToRotate = k.bContinueToRotate;
        bContinuePremultiply = k.bContinuePremultiply;
    }
};

}  // namespace gyrelle
