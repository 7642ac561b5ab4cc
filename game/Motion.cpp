#include "game/Motion.h"

#include "cube/Tables.h"

namespace gyrelle {

namespace {
// The start-up orientation: about 40 degrees about (1, 1, 0).
const float kStartAxis[3] = {1, 1, 0};
constexpr float kStartAngle = 0.6981311f;
}  // namespace

Motion::Motion() {
    currentRotation.setAxis(kStartAxis, kStartAngle);
    qdeltacontinue.setAxis(kStartAxis, 0);
}

void Motion::step(int makeTopSteps) {
    for (int i = 1; i < makeTopSteps && fMakeTopDistance > 0; ++i) {
        step();
    }
    if (fMakeTopDistance > 0) {
        if (static_cast<double>(fMakeTopDistance) > kMakeTopStep) {
            currentRotation.multiplyBy(qMakeTop);
            fMakeTopDistance = static_cast<float>(fMakeTopDistance - kMakeTopStep);
        } else {
            float axis[3] = {0, 0, 0};
            float angle = 0;
            qMakeTop.getAxis(axis, &angle);
            qMakeTop.setAxis(axis, fMakeTopDistance);
            currentRotation.multiplyBy(qMakeTop);
            fMakeTopDistance = 0;
        }
    } else if (bContinueToRotate) {
        if (!bContinuePremultiply) {
            currentRotation.multiplyBy(qdeltacontinue);
        } else {
            turnAboutCubeAxis(qdeltacontinue);
        }
    }
}

void Motion::startMakeTop(const float* axis, float distance) {
    qMakeTop.setAxis(axis, static_cast<float>(kMakeTopStep));
    fMakeTopDistance = distance;
}

void Motion::turnAboutCubeAxis(const Quaternion& turn) {
    const Quaternion before = currentRotation;
    currentRotation.setEqualTo(turn);
    currentRotation.multiplyBy(before);
}

void Motion::stopSpin() {
    bContinueToRotate = 0;
    const float xAxis[3] = {1, 0, 0};
    qdeltacontinue.setAxis(xAxis, 0);
}

int Motion::faceTowards(int screenAxis, float sign) const {
    float best = -1.0f;
    int index = -1;
    for (int i = 0; i < 6; ++i) {
        float v[3];
        currentRotation.rotateVector(faceNormals[i], v);
        if (sign * v[screenAxis] > best) {  // the lower slot on a tie
            best = sign * v[screenAxis];
            index = i;
        }
    }
    return index;
}

}  // namespace gyrelle
