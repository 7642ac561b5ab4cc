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
// The information button in the lower right corner, the undo button in the lower left.
const platform::Rect kInfoButtonFrame{295, 455, 25, 25};
const platform::Rect kUndoButtonFrame{0, 455, 25, 25};
// The menu in the right end of the strip above the cube, as high as the strip.
const platform::Rect kMenuButtonFrame{284, 0, 36, 24};
constexpr double kAccelerometerInterval = 0.04;  // seconds: 25 samples a second
}  // namespace

EAGLView::EAGLView(platform::Platform& platform) : View(kScreen), platform_(platform) {}

std::unique_ptr<EAGLView> EAGLView::create(platform::Platform& platform) {
    std::unique_ptr<EAGLView> view(new EAGLView(platform));
    view->context_ = platform.createGLContext();
    if (!view->context_ || !view->context_->setCurrent()) {
        return nullptr;
    }
    view->context_->setPictureSource(view.get());
    EAGLView* self = view.get();
    view->infoButton_ =
        std::make_unique<platform::Button>(platform::Button::Style::InfoLight, kInfoButtonFrame);
    view->infoButton_->setBackgroundColor(platform::colors::black);
    view->infoButton_->setAction([self] {
        self->game_.stopSolving();  // as any touch
        self->infoButtonCB();
    });
    view->addSubview(view->infoButton_.get());
    view->undoButton_ =
        std::make_unique<platform::Button>(platform::Button::Style::Undo, kUndoButtonFrame);
    view->undoButton_->setBackgroundColor(platform::colors::black);
    view->undoButton_->setAction([self] { self->game_.undo(); });  // which stops solve-for-me
    view->menuButton_ =
        std::make_unique<platform::Button>(platform::Button::Style::Menu, kMenuButtonFrame);
    view->menuButton_->setBackgroundColor(platform::colors::black);
    view->menuButton_->setAction([self] { self->showMenu(); });
    view->addSubview(view->menuButton_.get());
    view->makeToolbar();
    platform.onFileDropped([self](platform::ByteSource& bytes, const std::string& problem) {
        self->importRecords(bytes, problem);
    });
    view->hintMark_ = std::make_unique<HintMark>(kScreen);
    view->animationInterval = kActiveInterval;
    view->statusStrip_ = std::make_unique<StatusStrip>(kScreen.width);

    view->cubeReset();  // the game begins with the solved cube
    view->game_.addListener(self);
    view->restoreState();
    view->showSolveStatus();
    view->updateUndoButton();
    view->setupView();
    platform.accelerometer().setUpdateInterval(kAccelerometerInterval);
    platform.accelerometer().setDelegate(self);
    platform.runLoop().addPassObserver(self, [self] { self->wakeIfMoving(); });
    return view;
}

EAGLView::~EAGLView() {
    platform_.onFileDropped({});
    platform_.runLoop().removePassObservers(this);
    platform_.window().forgetDelegate(this);
    if (platform_.accelerometer().delegate() == this) {
        platform_.accelerometer().setDelegate(nullptr);
    }
    stopAnimation();
    if (statusTimer_) {
        statusTimer_->invalidate();
    }
    keeper_.reset();
    game_.removeListener(this);
    if (context_) {
        context_->setPictureSource(nullptr);
        context_->setCurrent();
        destroyFramebuffer();  // the context may outlive the view
        context_->clearCurrent();
    }
}

void EAGLView::restoreState() {
    std::string why;
    const std::string dir = platform_.documentsDirectory(why);
    platform::Platform& platform = platform_;
    keeper_ = std::make_unique<store::Keeper>(game_, platform_.runLoop(), dir, why,
                                              [&platform] { platform.documentsWritten(); });
    keeper_->restore();
    const std::string refusal = keeper_->refusal();
    if (keeper_->lockedElsewhere() || !refusal.empty()) {
        auto question = std::make_unique<platform::AlertView>(
            "",
            refusal.empty() ? "Gyrelle is already open with this folder. Play here without saving?"
                            : "Gyrelle saves nothing while " + refusal +
                                  ": remove it to keep your game. Play without saving?",
            this, "Quit", "Play");
        folderQuestion_ = question.get();
        platform_.window().showAlert(std::move(question));
    }
}

void EAGLView::saveSoon() {
    keeper_->saveSoon();
}

bool EAGLView::terminate() {
    return keeper_->saveNow();
}

void EAGLView::infoButtonCB() {
    infoButton_->removeFromSuperview();
    if (!infoView_) {
        infoView_ = std::make_unique<InfoView>(kScreen);
    }
    addSubview(infoView_.get());
    updateUndoButton();
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

// The framebuffer the pick reads is made when a pick first needs it: a window that is
// only looked at never holds its memory.
void EAGLView::layoutSubviews() {
    context_->setCurrent();
    destroyFramebuffer();
    const platform::Size backing = platform_.layer().pixelSize();
    backingWidth = backing.width;
    backingHeight = backing.height;
    placeToolbar();
    drawView();
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
    oes.getRenderbufferParameteriv(GL_RENDERBUFFER_OES, GL_RENDERBUFFER_WIDTH_OES, &backingWidth);
    oes.getRenderbufferParameteriv(GL_RENDERBUFFER_OES, GL_RENDERBUFFER_HEIGHT_OES, &backingHeight);

    oes.genRenderbuffers(1, &depthRenderbuffer);
    oes.bindRenderbuffer(GL_RENDERBUFFER_OES, depthRenderbuffer);
    oes.renderbufferStorage(GL_RENDERBUFFER_OES, GL_DEPTH_COMPONENT16_OES, backingWidth,
                            backingHeight);
    oes.framebufferRenderbuffer(GL_FRAMEBUFFER_OES, GL_DEPTH_ATTACHMENT_OES, GL_RENDERBUFFER_OES,
                                depthRenderbuffer);

    if (oes.checkFramebufferStatus(GL_FRAMEBUFFER_OES) != GL_FRAMEBUFFER_COMPLETE_OES) {
        platform::logMessage("failed to make complete framebuffer object %x",
                             oes.checkFramebufferStatus(GL_FRAMEBUFFER_OES));
        return false;
    }
    return true;
}

void EAGLView::destroyFramebuffer() {
    // New buffers may get the old names back but hold nothing yet: draw the next frame.
    shown_.valid = false;
    shown_.inFramebuffer = false;
    const platform::FramebufferApi& oes = context_->oes();
    oes.deleteFramebuffers(1, &viewFramebuffer);
    viewFramebuffer = 0;
    oes.deleteRenderbuffers(1, &viewRenderbuffer);
    viewRenderbuffer = 0;
    if (depthRenderbuffer) {
        oes.deleteRenderbuffers(1, &depthRenderbuffer);
        depthRenderbuffer = 0;
    }
}

}  // namespace gyrelle
