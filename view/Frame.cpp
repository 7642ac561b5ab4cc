// One frame: a step of the whole-cube motion, the cube drawn and shown, then a step of
// the slice turn being animated. With nothing moving the frame timer rests.
#include <GLES/gl.h>
#include <GLES/glext.h>

#include <cmath>
#include <cstring>

#include "platform/gl/TextCache.h"
#include "view/EAGLView.h"

namespace gyrelle {

bool EAGLView::pictureShown() const {
    return shown_.valid && shown_.game == controller_->shownGames() &&
           shown_.revision == game().shownRevision();
}

void EAGLView::drawView() {
    game().stepMotion();

    // At rest nothing need be drawn: the window already shows this very picture. A
    // turn being animated changes the cube's revision at every step, so each of its
    // frames is drawn. The window may want the same picture again (a view over it
    // changed while frames come).
    const bool moved = !pictureShown();
    if (moved || context_->pictureWanted()) {
        if (moved) {
            shown_.valid = true;
            shown_.game = controller_->shownGames();
            shown_.revision = game().shownRevision();
            shown_.cube = game().cube();
            shown_.orientation = game().motion().currentRotation;
            shown_.inFramebuffer = false;
            ++framesDrawn_;
            controller_->cubeMoved();
        }
        context_->setCurrent();
        if (context_->beginPicture()) {
            drawScene(look_);
        }
        context_->presentPicture();
        if (!animationTimer) {  // no frame comes after this one
            keepPicture();
        }
    }
    // Exactly one step per frame; at rest it does nothing.
    game().stepTurn(platform_.absoluteTime());
}

void EAGLView::keepPicture() {
    context_->setCurrent();
    if (!shown_.valid || !bindPictureFramebuffer()) {
        context_->keepPicture(0);
        return;
    }
    glViewport(0, 0, backingWidth, backingHeight);
    drawScene(look_);
    context_->keepPicture(pictureTexture_);
}

void EAGLView::drawScene(const Look& look) {
    if (look.letters) {
        makeLetters();
    }
    applyDrawingState();
    glLoadIdentity();
    glDepthFunc(GL_LEQUAL);
    glClearDepthf(1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (shown_.valid) {
        drawCube(look);
    }
}

namespace {
// A capital of a sans-serif font stands about this much of the font's size.
constexpr float kCapitalHeight = 0.72f;
}  // namespace

void EAGLView::makeLetters() {
    platform::TextRenderer* text = platform_.textRenderer();
    if (lettersMade_ || !text || backingWidth <= 0) {
        return;
    }
    lettersMade_ = true;
    // View points per unit of the cube's frame are 64; pixels as the drawable has them.
    const float pixelsPerUnit =
        64.0f * static_cast<float>(backingWidth) / static_cast<float>(kScreenPoints.width);
    const int size =
        static_cast<int>(std::lround(CubeRenderer::kLetterHeight / kCapitalHeight * pixelsPerUnit));
    for (int face = 0; face < 6; ++face) {
        // The text's box is centred on the sticker: a capital's middle lies within a few
        // hundredths of the box's in the usual fonts.
        const platform::TextTexture t = text->render(std::string(1, faceLetter(face)), "Arial",
                                                     size, 4 * size, platform::TextAlignment::Left);
        letters_[face] = {t.id, static_cast<float>(t.width) / pixelsPerUnit,
                          static_cast<float>(t.height) / pixelsPerUnit};
    }
    renderer_.setLetters(letters_);
}

void EAGLView::freeLetters() {
    for (LetterTexture& letter : letters_) {
        if (letter.id != 0) {
            glDeleteTextures(1, &letter.id);
        }
        letter = {};
    }
    renderer_.setLetters(letters_);
    lettersMade_ = false;
}

void EAGLView::pickPicture() {
    context_->setCurrent();
    if (viewFramebuffer == 0) {
        createFramebuffer();
    }
    context_->oes().bindFramebuffer(GL_FRAMEBUFFER_OES, viewFramebuffer);
    if (!shown_.inFramebuffer) {
        glViewport(0, 0, backingWidth, backingHeight);
        drawScene(Look{});  // each sticker in its own colour, whatever the window shows
        shown_.inFramebuffer = true;
    }
}

void EAGLView::drawCube(const Look& look) {
    float axis[3] = {0, 0, 0};
    float angle = 0;
    shown_.orientation.getAxis(axis, &angle);
    // The identity orientation has no axis: then there is nothing to rotate.
    float turned[4] = {0, 0, 1, 0};
    if (axis[0] != 0 || axis[1] != 0 || axis[2] != 0) {
        float degrees = static_cast<float>(static_cast<double>(180.0f * angle) / kPi);
        glRotatef(degrees, axis[0], axis[1], axis[2]);
        const float length = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
        turned[0] = axis[0] / length, turned[1] = axis[1] / length, turned[2] = axis[2] / length;
        turned[3] = angle;
    }
    renderer_.render(shown_.cube, look, turned);
}

bool EAGLView::still() const {
    return controller_->still() && pictureShown();
}

void EAGLView::restIfStill() {
    if (still()) {
        stopAnimation();
        resting_ = true;
    }
}

void EAGLView::wakeIfMoving() {
    if (resting_ && !still()) {
        resting_ = false;
        startAnimation();
    }
}

}  // namespace gyrelle
