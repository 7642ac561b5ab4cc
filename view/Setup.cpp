// The view's construction, fixed GL state and framebuffers, the information button, and
// the game's files through its keeper.
#include <GLES/gl.h>
#include <GLES/glext.h>

#include "platform/Log.h"
#include "platform/Painter.h"
#include "view/EAGLView.h"

namespace gyrelle {

namespace {
const platform::Rect kScreen{0, 0, static_cast<float>(EAGLView::kScreenPoints.width),
                             static_cast<float>(EAGLView::kScreenPoints.height)};
// The information button in the lower right corner.
const platform::Rect kInfoButtonFrame{295, 455, 25, 25};
constexpr double kAccelerometerInterval = 0.04;  // seconds: 25 samples a second
}  // namespace

EAGLView::EAGLView(platform::Platform& platform) : View(kScreen), platform_(platform) {}

std::unique_ptr<EAGLView> EAGLView::create(platform::Platform& platform) {
    std::unique_ptr<EAGLView> view(new EAGLView(platform));
    view->context_ = platform.createGLContext();
    if (!view->context_ || !view->context_->setCurrent()) {
        return nullptr;
    }
    EAGLView* self = view.get();
    view->infoButton_ =
        std::make_unique<platform::Button>(platform::Button::Style::InfoLight, kInfoButtonFrame);
    view->infoButton_->setBackgroundColor(platform::colors::black);
    view->infoButton_->setAction([self] {
        self->controller().coach().stopSolving();  // as any touch
        self->infoButtonCB();
    });
    view->addSubview(view->infoButton_.get());
    view->controller_ = std::make_unique<Controller>(platform, *view, *view);
    view->animationInterval = kActiveInterval;

    view->cubeReset();  // the game begins with the solved cube
    view->controller_->game().addListener(self);
    view->restoreState();
    view->setupView();
    platform.accelerometer().setUpdateInterval(kAccelerometerInterval);
    platform.accelerometer().setDelegate(self);
    platform.runLoop().addPassObserver(self, [self] { self->wakeIfMoving(); });
    return view;
}

EAGLView::~EAGLView() {
    platform_.runLoop().removePassObservers(this);
    platform_.window().forgetDelegate(this);
    if (platform_.accelerometer().delegate() == this) {
        platform_.accelerometer().setDelegate(nullptr);
    }
    setAnimationTimer(nullptr);
    if (controller_) {
        controller_->game().removeListener(this);
        controller_.reset();
    }
    if (context_) {
        context_->setCurrent();
        destroyFramebuffer();  // the context may outlive the view
        context_->clearCurrent();
    }
}

void EAGLView::infoButtonCB() {
    infoButton_->removeFromSuperview();
    if (!infoView_) {
        infoView_ = std::make_unique<InfoView>(kScreen);
    }
    addSubview(infoView_.get());
    controller_->setOverlayShown(true);
}

void EAGLView::closeOverlay() {
    infoView_->removeFromSuperview();
    addSubview(infoButton_.get());
    controller_->setOverlayShown(false);
}

void EAGLView::setupView() {
    glViewport(0, 0, backingWidth, backingHeight);
    applyDrawingState();
}

void EAGLView::applyDrawingState() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // The 2:3 shape of the screen: one unit is 64 points on both axes.
    glOrthof(-2.5f, 2.5f, -3.75f, 3.75f, -5.0f, 5.0f);
    glMatrixMode(GL_MODELVIEW);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glEnable(GL_DEPTH_TEST);
    glVertexPointer(3, GL_FLOAT, 0, squareVertices);
    glEnableClientState(GL_VERTEX_ARRAY);
    glNormalPointer(GL_FLOAT, 0, squareNormals);
    glEnableClientState(GL_NORMAL_ARRAY);
    // Sticker colours arrive per vertex (see CubeRenderer::render); flat, unlit, exact.
    glShadeModel(GL_FLAT);
    glEnableClientState(GL_COLOR_ARRAY);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
}

// The framebuffers are made when first needed: the kept picture's when the view first
// rests after a layout, the pick's at the first pick, so a window that is only looked at
// never holds the pick's memory.
void EAGLView::layoutSubviews() {
    context_->setCurrent();
    destroyFramebuffer();
    const platform::Size backing = platform_.layer().pixelSize();
    backingWidth = backing.width;
    backingHeight = backing.height;
    controller_->placeToolbar();
    drawView();
}

namespace {
bool complete(const platform::FramebufferApi& oes) {
    const GLenum status = oes.checkFramebufferStatus(GL_FRAMEBUFFER_OES);
    if (status != GL_FRAMEBUFFER_COMPLETE_OES) {
        platform::logMessage("failed to make complete framebuffer object %x", status);
        return false;
    }
    return true;
}
}  // namespace

bool EAGLView::bindPictureFramebuffer() {
    const platform::FramebufferApi& oes = context_->oes();
    if (pictureFramebuffer_ == 0 && backingWidth > 0 && backingHeight > 0) {
        pictureTexture_ = platform::newTexture(GL_NEAREST);  // shown pixel for pixel
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, backingWidth, backingHeight, 0, GL_RGBA,
                     GL_UNSIGNED_BYTE, nullptr);
        glBindTexture(GL_TEXTURE_2D, 0);  // never bound while drawn into (see GLContext)
        oes.genFramebuffers(1, &pictureFramebuffer_);
        oes.bindFramebuffer(GL_FRAMEBUFFER_OES, pictureFramebuffer_);
        oes.framebufferTexture2D(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, GL_TEXTURE_2D,
                                 pictureTexture_, 0);
        attachDepth();
        pictureComplete_ = complete(oes);
    }
    if (!pictureComplete_) {
        return false;
    }
    oes.bindFramebuffer(GL_FRAMEBUFFER_OES, pictureFramebuffer_);
    return true;
}

bool EAGLView::createFramebuffer() {
    const platform::FramebufferApi& oes = context_->oes();
    oes.genFramebuffers(1, &viewFramebuffer);
    oes.genRenderbuffers(1, &viewRenderbuffer);
    oes.bindFramebuffer(GL_FRAMEBUFFER_OES, viewFramebuffer);
    oes.bindRenderbuffer(GL_RENDERBUFFER_OES, viewRenderbuffer);
    context_->renderbufferStorage(platform_.layer());
    oes.framebufferRenderbuffer(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, GL_RENDERBUFFER_OES,
                                viewRenderbuffer);
    attachDepth();
    return complete(oes);
}

void EAGLView::attachDepth() {
    const platform::FramebufferApi& oes = context_->oes();
    if (depthRenderbuffer == 0) {
        oes.genRenderbuffers(1, &depthRenderbuffer);
        oes.bindRenderbuffer(GL_RENDERBUFFER_OES, depthRenderbuffer);
        oes.renderbufferStorage(GL_RENDERBUFFER_OES, GL_DEPTH_COMPONENT16_OES, backingWidth,
                                backingHeight);
    }
    oes.framebufferRenderbuffer(GL_FRAMEBUFFER_OES, GL_DEPTH_ATTACHMENT_OES, GL_RENDERBUFFER_OES,
                                depthRenderbuffer);
}

void EAGLView::destroyFramebuffer() {
    freeLetters();  // made again at the new size
    // New buffers may get the old names back but hold nothing yet: draw the next frame.
    shown_.valid = false;
    shown_.inFramebuffer = false;
    context_->withdrawPicture();
    const platform::FramebufferApi& oes = context_->oes();
    for (GLuint* framebuffer : {&pictureFramebuffer_, &viewFramebuffer}) {
        if (*framebuffer != 0) {
            oes.deleteFramebuffers(1, framebuffer);
            *framebuffer = 0;
        }
    }
    for (GLuint* renderbuffer : {&viewRenderbuffer, &depthRenderbuffer}) {
        if (*renderbuffer != 0) {
            oes.deleteRenderbuffers(1, renderbuffer);
            *renderbuffer = 0;
        }
    }
    if (pictureTexture_ != 0) {
        glDeleteTextures(1, &pictureTexture_);
        pictureTexture_ = 0;
    }
    pictureComplete_ = false;
}

}  // namespace gyrelle
