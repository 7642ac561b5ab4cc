// Touch: the colour pick, touch start, the drag gestures and touch end.
#include <GLES/gl.h>

#include <algorithm>
#include <climits>
#include <cmath>

#include "cube/Tables.h"
#include "platform/Log.h"
#include "view/EAGLView.h"

namespace gyrelle {

namespace {

// Where a double-tapped face is turned to: up, and tilted toward the viewer.
const float makeTopTarget[3] = {0, 0.894427f, 0.447214f};

// Whole-cube gestures, per point the finger moves (products formed in double):
constexpr double kBackgroundTurnRate = 0.012;  // radians about the lock axis, sideways
constexpr double kBackgroundTiltRate = 0.01;   // radians about the screen's x, up and down
constexpr double kDragRate = 0.4;              // degrees about an in-screen axis
// Radians about the screen normal per unit of the twist value (a cross product of
// displacement and finger separation, in square points).
constexpr double kTwistRate = 4.7e-05;

// Release: a last increment above kSpinThreshold radians keeps the cube spinning at
// kSpinFactor of it per frame, unless the finger rested longer than kLongestRest
// seconds before it lifted (a phone sends no movement while a finger rests).
constexpr double kSpinThreshold = 0.1;
constexpr double kSpinFactor = 0.475;
constexpr double kLongestRest = 0.1;
// What a pick outside the picture reads: neither a sticker nor the background.
const unsigned char kOutside[4] = {50, 50, 50, 0};

int truncateToInt(float v) {
    if (!(v > static_cast<float>(INT_MIN) && v < static_cast<float>(INT_MAX))) {
        return v > 0 ? INT_MAX : (v < 0 ? INT_MIN : 0);
    }
    return static_cast<int>(v);
}

}  // namespace

void EAGLView::colourPick(const platform::Touch& touch, unsigned char* rgba) {
    const platform::Rect b = bounds();
    const float H = b.height;
    const platform::Point p = touch.locationInView(this);
    // View points to backing pixels; at scale 1 both ratios are exactly 1.
    const float sx = static_cast<float>(backingWidth) / b.width;
    const float sy = static_cast<float>(backingHeight) / H;
    const float column = p.x * sx;
    const float row = (H - p.y) * sy;
    if (!(column >= 0 && row >= 0 && column < static_cast<float>(backingWidth) &&
          row < static_cast<float>(backingHeight))) {
        std::copy(kOutside, kOutside + 4, rgba);
        return;
    }
    pickPicture();
    glReadPixels(static_cast<int>(column), static_cast<int>(row), 1, 1, GL_RGBA, GL_UNSIGNED_BYTE,
                 rgba);
}

void EAGLView::touchesBegan(const platform::TouchSet& touches, const platform::Event& event) {
    controller_->coach().stopSolving();  // any touch stops solve-for-me
    game().motion().stopSpin();
    gesture_.bTouchesIgnore = 0;
    gesture_.bFirstTouch = 1;
    gesture_.bSingleTouch = touches.count() <= 1 ? 1 : 0;
    const platform::Touch* touch = event.touchesForView(this).anyObject();
    if (touch == nullptr) {
        return;
    }
    colourPick(*touch, gesture_.rgbTouchStart);
    gesture_.stickerStart = gesture_.bSingleTouch
                                ? game().cube().getStickerLocationWithColor(gesture_.rgbTouchStart)
                                : -1;
}

void EAGLView::touchesMoved(const platform::TouchSet&, const platform::Event& event) {
    if (gesture_.bTouchesIgnore) {
        return;
    }
    const platform::TouchSet mine = event.touchesForView(this);
    const int n = mine.count();
    if (n == 0) {
        return;
    }
    const platform::Touch& t0 = *mine[0];
    if (n > 1) {
        gesture_.bSingleTouch = 0;
    }
    if (gesture_.bFirstTouch) {
        gesture_.bFirstTouch = 0;
        return;
    }
    const platform::Point p = t0.locationInView(this);
    if (gesture_.bSingleTouch) {
        if (gesture_.stickerStart >= 0) {
            swipeStep(t0);
            return;
        }
        if (gesture_.rgbTouchStart[0] || gesture_.rgbTouchStart[1] || gesture_.rgbTouchStart[2]) {
            return;  // started on the cube's body
        }
    }
    const platform::Point prev = t0.previousLocationInView(this);
    const float dx = p.x - prev.x;
    const float dy = p.y - prev.y;
    if (gesture_.stickerStart == -1 && n == 1) {
        backgroundDragStep(dx, dy);
        return;
    }
    float sx = dx, sy = dy;
    if (n > 1) {
        const platform::Touch& t1 = *mine[1];
        const platform::Point p1 = t1.locationInView(this);
        const platform::Point prev1 = t1.previousLocationInView(this);
        const float dx1 = p1.x - prev1.x;
        const float dy1 = p1.y - prev1.y;
        sx = dx + dx1;
        sy = dy + dy1;
        const int c = truncateToInt(((dx - dx1) * (p.y - p1.y)) - ((dy - dy1) * (p.x - p1.x)));
        const float dot = dx * dx1 + dy * dy1;
        if (dot <= 0) {
            twistStep(c);
            return;
        }
    }
    inScreenAxisDragStep(dx, dy, sx, sy, n);
}

void EAGLView::swipeStep(const platform::Touch& touch) {
    colourPick(touch, gesture_.rgbTouchEnd);
    int s = game().cube().getStickerLocationWithColor(gesture_.rgbTouchEnd);
    if (game().swipe(gesture_.stickerStart, s)) {
        gesture_.bTouchesIgnore = 1;
    }
}

// qdelta, in the steps below, is the step's own turn.
void EAGLView::backgroundDragStep(float dx, float dy) {
    float lock[3];
    if (!determineAxisLockAxis(lock)) {
        return;
    }
    Motion& m = game().motion();
    Quaternion qdelta;
    qdelta.setAxis(lock, static_cast<float>(kBackgroundTurnRate * dx));
    keepAsLastStep(qdelta, true);
    m.turnAboutCubeAxis(qdelta);
    const float xAxis[3] = {1, 0, 0};
    qdelta.setAxis(xAxis, static_cast<float>(kBackgroundTiltRate * dy));
    m.currentRotation.multiplyBy(qdelta);
}

void EAGLView::twistStep(int c) {
    Motion& m = game().motion();
    const float normal[3] = {0, 0, 1};
    Quaternion qdelta;
    qdelta.setAxis(normal, static_cast<float>(static_cast<double>(c) * kTwistRate));
    m.currentRotation.multiplyBy(qdelta);
    keepAsLastStep(qdelta, false);
}

void EAGLView::inScreenAxisDragStep(float dx, float dy, float sx, float sy, int n) {
    if (dx == 0 && dy == 0) {
        return;  // no axis: the last increment would be applied again
    }
    Motion& m = game().motion();
    const float axis[3] = {dy, dx, 0};
    const float length = std::sqrt(sx * sx + sy * sy);
    const float degrees = static_cast<float>(static_cast<double>(length) * kDragRate);
    const float angle = static_cast<float>(static_cast<double>(degrees) * kPi / 180.0);
    Quaternion qdelta;
    qdelta.setAxis(axis, angle);
    m.currentRotation.multiplyBy(qdelta);
    if (n > 1) {
        keepAsLastStep(qdelta, false);
    }
}

// The step a release may leave spinning, how it applies, and when it was made.
void EAGLView::keepAsLastStep(const Quaternion& qdelta, bool premultiply) {
    Motion& m = game().motion();
    m.qdeltacontinue.setEqualTo(qdelta);
    m.bContinuePremultiply = premultiply ? 1 : 0;
    gesture_.movedAt = platform_.absoluteTime();
}

bool EAGLView::determineAxisLockAxis(float* axis) {
    const int index = game().motion().faceTowards(1, 1.0f);
    if (index < 0) {
        platform::logMessage("ERROR: bad determineAxisLockAxis!!!!!!");
        return false;
    }
    std::copy(faceNormals[index], faceNormals[index] + 3, axis);
    return true;
}

void EAGLView::fromVecToVec(const float* a, const float* b, float* axis, float* angle) {
    axis[0] = a[1] * b[2] - a[2] * b[1];
    axis[1] = a[2] * b[0] - a[0] * b[2];
    axis[2] = a[0] * b[1] - a[1] * b[0];
    const float d = a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
    const float aa = a[0] * a[0] + a[1] * a[1] + a[2] * a[2];
    const float bb = b[0] * b[0] + b[1] * b[1] + b[2] * b[2];
    double q = (static_cast<double>(d) / std::sqrt(static_cast<double>(aa))) /
               std::sqrt(static_cast<double>(bb));
    // Rounding can carry q just past 1 for parallel vectors; acos would give NaN.
    q = std::clamp(q, -1.0, 1.0);
    *angle = std::acos(static_cast<float>(q));
}

void EAGLView::touchesEnded(const platform::TouchSet&, const platform::Event& event) {
    if (controller_->closePanelOnTouch()) {  // the touch that closes it does nothing else
        return;
    }
    if (infoView_ && infoView_->superview()) {
        closeOverlay();  // the touch that closes the overlay does nothing else
        return;
    }
    Motion& m = game().motion();
    m.bContinueToRotate = 0;
    if (gesture_.bTouchesIgnore) {
        return;
    }
    float axis[3] = {0, 0, 0};
    float angle = 0;
    m.qdeltacontinue.getAxis(axis, &angle);
    const bool rested = platform_.absoluteTime() > gesture_.movedAt + kLongestRest;
    if (static_cast<double>(angle) > kSpinThreshold && !rested) {
        m.bContinueToRotate = 1;
        m.qdeltacontinue.setAxis(axis,
                                 static_cast<float>(static_cast<double>(angle) * kSpinFactor));
    }
    const platform::Touch* touch = event.touchesForView(this).anyObject();
    if (!gesture_.bSingleTouch || touch == nullptr) {
        return;
    }
    colourPick(*touch, gesture_.rgbTouchEnd);
    if (game().swipe(gesture_.stickerStart,
                     game().cube().getStickerLocationWithColor(gesture_.rgbTouchEnd))) {
        return;  // the swipe reached its neighbour at the release
    }
    if (touch->tapCount() == 2) {
        makeTop(*touch);
    }
}

// A double tap on a face turns the whole cube until that face is up.
void EAGLView::makeTop(const platform::Touch&) {
    const int f = game().cube().getFaceWithColor(gesture_.rgbTouchEnd);
    if (f < 0) {
        return;
    }
    Motion& m = game().motion();
    float n[3];
    m.currentRotation.rotateVector(faceNormals[f], n);
    float turnAxis[3];
    float theta = 0;
    fromVecToVec(n, makeTopTarget, turnAxis, &theta);
    if (turnAxis[0] == 0 && turnAxis[1] == 0 && turnAxis[2] == 0) {
        const float dot =
            n[0] * makeTopTarget[0] + n[1] * makeTopTarget[1] + n[2] * makeTopTarget[2];
        if (dot >= 0) {
            return;  // already up
        }
        // Exactly opposite: any axis across the target will do.
        turnAxis[0] = 1;
    }
    m.startMakeTop(turnAxis, theta);
}

}  // namespace gyrelle
