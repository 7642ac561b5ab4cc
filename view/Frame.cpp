// One frame: a step of the whole-cube motion, the cube drawn and presented, then a
// step of the slice turn being animated.
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

void EAGLView::drawView() {
    stepOrientation();

    // At rest nothing need be drawn: the framebuffer and the screen already hold this
    // very picture, so the pick reads what is shown. A turn being animated changes the
    // cube's revision at every step, so each of its frames is drawn.
    const bool same = shown_.valid && shown_.cubeRevision == magicCube->revision() &&
                      std::memcmp(shown_.rotation, currentRotation.q, sizeof shown_.rotation) == 0;
    if (!same) {
        shown_.valid = true;
        shown_.cubeRevision = magicCube->revision();
        std::memcpy(shown_.rotation, currentRotation.q, sizeof shown_.rotation);
        ++framesDrawn;
        noteChange();

        const platform::FramebufferApi& oes = context->oes();
        context->setCurrent();
        glViewport(0, 0, backingWidth, backingHeight);
        oes.bindFramebuffer(GL_FRAMEBUFFER_OES, viewFramebuffer);
        glLoadIdentity();
        glDepthFunc(GL_LEQUAL);
        glClearDepthf(1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        drawCube();
        oes.bindRenderbuffer(GL_RENDERBUFFER_OES, viewRenderbuffer);
        context->presentRenderbuffer();
    }
    // Exactly one step per frame; at rest it does nothing.
    afterTurnStep(magicCube->stepAnimation());
}

void EAGLView::drawCube() {
    float axis[3] = {0, 0, 0};
    float angle = 0;
    currentRotation.getAxis(axis, &angle);
    // The identity orientation has no axis: then there is nothing to rotate.
    if (axis[0] != 0 || axis[1] != 0 || axis[2] != 0) {
        float degrees = static_cast<float>(static_cast<double>(180.0f * angle) / kPi);
        glRotatef(degrees, axis[0], axis[1], axis[2]);
    }
    renderer_.render(*magicCube);
}

}  // namespace gyrelle
