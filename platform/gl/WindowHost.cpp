#include "platform/gl/WindowHost.h"

namespace gyrelle::platform {

WindowHost::WindowHost(void* (*lookUp)(const char*), std::function<double()> clock)
    : runLoop_(std::move(clock)), lookUp_(lookUp) {}

WindowHost::~WindowHost() {
    accelerometer_.setDelegate(nullptr);
}

void WindowHost::openViews(const char* name, Size points, TextRenderer& text) {
    name_ = name;
    points_ = points;
    root_ = std::make_unique<Window>(points);
    textRenderer_ = &text;
    compositor_ = std::make_unique<Compositor>(points, text);
}

void WindowHost::rebuildAfterContextLoss() {
    compositor_ = std::make_unique<Compositor>(points_, *textRenderer_);
    if (View* content = root_->contentView()) {
        content->layoutSubviews();  // new framebuffers, and a frame drawn into the window
    }
    composite();
}

std::unique_ptr<GLContext> WindowHost::createGLContext() {
    if (!root_ || viewContext_ != nullptr) {
        return nullptr;
    }
    std::unique_ptr<GLContext> context = GLContext::create(*this, lookUp_);
    if (!context) {
        error_ = "the view's OpenGL ES context lacks framebuffer objects";
        return nullptr;
    }
    viewContext_ = context.get();
    return context;
}

void WindowHost::forget(GLContext& context) {
    if (viewContext_ == &context) {
        viewContext_ = nullptr;
    }
}

void WindowHost::endPass(int activeTouches) {
    runLoop_.fireDueTimers();
    runLoop_.finishPass();
    if (activeTouches == 0) {
        root_->collectAnswered();
    }
    // Views over the picture changed (a question, the overlay, the button) while the
    // picture itself did not: show them over the kept picture, or with the next frame.
    if (root_->displayGeneration() != compositedGeneration_) {
        composite();
    }
    if (root_->titleGeneration() != titleGeneration_) {
        updateTitle();
    }
}

bool WindowHost::beginPicture(GLContext& context) {
    if (!makeCurrent()) {
        return false;
    }
    context.oes().bindFramebuffer(GL_FRAMEBUFFER_OES, 0);  // the window's
    const PixelRect& r = layer_.rect;
    glViewport(r.x, r.y, r.width, r.height);  // and the view clears the whole window
    return true;
}

void WindowHost::showPicture(GLContext&) {
    if (makeCurrent()) {
        finishWindow();
    }
}

void WindowHost::pictureKept(GLContext& context) {
    if (context.pictureWanted()) {
        composite();
    }
}

void WindowHost::composite() {
    if (viewContext_ && viewContext_->picturesComing()) {
        viewContext_->wantPicture();
        return;
    }
    if (!makeCurrent()) {
        return;
    }
    const Size drawable = drawableSize();
    if (viewContext_) {
        viewContext_->oes().bindFramebuffer(GL_FRAMEBUFFER_OES, 0);  // the window's
    }
    glViewport(0, 0, drawable.width, drawable.height);
    glClearColor(0, 0, 0, 1);  // the bars, and the picture's place until there is one
    glClear(GL_COLOR_BUFFER_BIT);
    if (const GLuint picture = viewContext_ ? viewContext_->keptPicture() : 0) {
        const PixelRect& r = layer_.rect;
        glViewport(r.x, r.y, r.width, r.height);
        drawPictureTexture(picture);
    }
    finishWindow();
}

void WindowHost::finishWindow() {
    compositedGeneration_ = root_->displayGeneration();
    compositor_->draw(*root_, drawableSize(), layer_.rect);
    presentWindow();
}

bool WindowHost::placeLayer(Size drawable) {
    const PixelRect before = layer_.rect;
    layer_.rect = letterbox(drawable, points_);
    // A finger reaches the whole drawable, bars and all: in the view's points.
    const PixelRect& r = layer_.rect;
    if (r.width > 0) {
        const float perPixel = static_cast<float>(points_.width) / static_cast<float>(r.width);
        const float top = static_cast<float>(drawable.height - (r.y + r.height));
        root_->setTouchReach({-static_cast<float>(r.x) * perPixel, -top * perPixel,
                              static_cast<float>(drawable.width) * perPixel,
                              static_cast<float>(drawable.height) * perPixel},
                             leastTouchPixels() * perPixel);
    }
    if (root_->contentView() && !(layer_.rect == before)) {
        root_->contentView()->layoutSubviews();
        return true;
    }
    return false;
}

void WindowHost::updateTitle() {
    titleGeneration_ = root_->titleGeneration();
    const std::string& words = root_->subtitle();
    setTitle(words.empty() ? name_ : words + " - " + name_);
}

}  // namespace gyrelle::platform
