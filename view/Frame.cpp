// One frame: a step of the whole-cube motion, the cube drawn and presented, then a
// step of the slice turn being animated. With nothing moving the frame timer rests.
#include <GLES/gl.h>
#include <GLES/glext.h>

#include <cstring>

#include "view/EAGLView.h"

namespace gyrelle {

void EAGLView::stepOrientation() {
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
            // About the cube's own axes: orientation * increment.
            qdelta.setEqualTo(currentRotation);
            currentRotation.setEqualTo(qdeltacontinue);
            currentRotation.multiplyBy(qdelta);
        }
    }
}

bool EAGLView::pictureShown() const {
    return shown_.valid && shown_.cubeRevision == magicCube->revision() &&
           std::memcmp(shown_.rotation, currentRotation.q, sizeof shown_.rotation) == 0;
}

void EAGLView::drawView() {
    stepOrientation();

    // At rest nothing need be drawn: the window already shows this very picture. A
    // turn being animated changes the cube's revision at every step, so each of its
    // frames is drawn.
    if (!pictureShown()) {
        shown_.valid = true;
        shown_.cubeRevision = magicCube->revision();
        std::memcpy(shown_.rotation, currentRotation.q, sizeof shown_.rotation);
        shown_.cube = *magicCube;
        shown_.orientation = currentRotation;
        shown_.inFramebuffer = false;
        ++framesDrawn;
        noteChange();
        context->setCurrent();
        context->presentRenderbuffer();
    }
    // Exactly one step per frame; at rest it does nothing.
    afterTurnStep(magicCube->stepAnimation());
}

void EAGLView::drawPicture() {
    applyDrawingState();
    glLoadIdentity();
    glDepthFunc(GL_LEQUAL);
    glClearDepthf(1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (shown_.valid) {
        drawCube();
    }
}

void EAGLView::pickPicture() {
    context->setCurrent();
    if (viewFramebuffer == 0) {
        createFramebuffer();
    }
    context->oes().bindFramebuffer(GL_FRAMEBUFFER_OES, viewFramebuffer);
    if (!shown_.inFramebuffer) {
        glViewport(0, 0, backingWidth, backingHeight);
        drawPicture();
        shown_.inFramebuffer = true;
    }
}

void EAGLView::drawCube() {
    float axis[3] = {0, 0, 0};
    float angle = 0;
    shown_.orientation.getAxis(axis, &angle);
    // The identity orientation has no axis: then there is nothing to rotate.
    if (axis[0] != 0 || axis[1] != 0 || axis[2] != 0) {
        float degrees = static_cast<float>(static_cast<double>(180.0f * angle) / kPi);
        glRotatef(degrees, axis[0], axis[1], axis[2]);
    }
    renderer_.render(shown_.cube);
}

bool EAGLView::still() const {
    return !(fMakeTopDistance > 0) && !bContinueToRotate && !magicCube->animating() &&
           waitingCount_ == 0 && pictureShown();
}

void EAGLView::restIfStill() {
    if (still()) {
        stopAnimation();
        resting = true;
    }
}

void EAGLView::wakeIfMoving() {
    if (resting && !still()) {
        resting = false;
        startAnimation();
    }
}

}  // namespace gyrelle
