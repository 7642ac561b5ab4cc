// One frame: a step of the whole-cube motion, then the cube drawn and presented.
#include <GLES/gl.h>
#include <GLES/glext.h>

#include <cstring>

#include "view/EAGLView.h"

namespace gyrelle {

namespace {
// Largest turn of a make-top motion per frame, about 9 degrees; compared in double.
constexpr double kMakeTopStep = 0.1570795;
}  // namespace

void EAGLView::drawView() {
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

    // At rest nothing need be drawn: the framebuffer and the screen already hold this
    // very picture, so the pick reads what is shown. A turn animating always draws,
    // since its step lives in the drawing.
    PictureKey now;
    pictureKey(now);
    if (shownValid_ && now == shown_) {
        return;
    }
    shown_ = now;
    shownValid_ = true;
    ++framesDrawn;

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

bool EAGLView::PictureKey::operator==(const PictureKey& o) const {
    return std::memcmp(rotation, o.rotation, sizeof rotation) == 0 &&
           std::memcmp(stickers, o.stickers, sizeof stickers) == 0 && animating == o.animating &&
           slice == o.slice && direction == o.direction &&
           std::memcmp(&angle, &o.angle, sizeof angle) == 0 && width == o.width &&
           height == o.height && framebuffer == o.framebuffer;
}

void EAGLView::pictureKey(PictureKey& key) const {
    std::memcpy(key.rotation, currentRotation.q, sizeof key.rotation);
    std::memcpy(key.stickers, magicCube->stickers, sizeof key.stickers);
    key.animating = magicCube->animating != 0;
    key.slice = magicCube->animatedSlice;
    key.direction = magicCube->animatedDirection;
    key.angle = magicCube->animatedAngle;
    key.width = backingWidth;
    key.height = backingHeight;
    key.framebuffer = viewFramebuffer;
}

void EAGLView::drawCube() {
    float axis[3] = {0, 0, 0};
    float angle = 0;
    currentRotation.getAxis(axis, &angle);
    // The identity orientation has no axis: then there is nothing to rotate.
    if (axis[0] != 0 || axis[1] != 0 || axis[2] != 0) {
        float degrees = static_cast<float>(static_cast<double>(180.0f * angle) / 3.14159);
        glRotatef(degrees, axis[0], axis[1], axis[2]);
    }
    magicCube->render();
}

}  // namespace gyrelle
