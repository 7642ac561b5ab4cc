#include "platform/sdl/SdlPlatform.h"

#include <GLES/gl.h>
#include <GLES/glext.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/Files.h"
#include "platform/Signals.h"
#include "platform/sdl/SdlApplication.h"

namespace gyrelle::platform {

namespace {

void* sdlLookUp(const char* name) {
    return SDL_GL_GetProcAddress(name);
}

// Motion events waiting in SDL's queue beyond which new ones are dropped.
constexpr int kMostQueuedMotion = 256;

bool isMotion(Uint32 type) {
    return type == SDL_MOUSEMOTION || type == SDL_FINGERMOTION;
}

// Xlib ends the process once its handler for a lost display returns: the cube is kept
// first. Xlib's handler takes no context, so the delegate of the running loop is kept
// here while it runs.
ApplicationDelegate* runningDelegate = nullptr;

int onDisplayLost(Display*) {
    const char* outcome = "";  // before the game has started there is nothing to keep
    if (runningDelegate) {
        outcome = runningDelegate->applicationWillTerminate() ? "; the cube was saved"
                                                              : "; the cube could not be saved";
    }
    std::fprintf(stderr, "gyrelle: the display went away%s\n", outcome);
    std::fflush(stderr);
    _exit(1);
}

}  // namespace

// The view's handle on the window's one context, which the platform keeps.
class SdlContext : public GLContext {
  public:
    SdlContext(SdlPlatform& app, SDL_GLContext context) : app_(app), context_(context) {}
    ~SdlContext() override { app_.viewContext_ = nullptr; }

    bool init() { return setCurrent() && oes_.load(sdlLookUp); }

    bool setCurrent() override { return SDL_GL_MakeCurrent(app_.window_, context_) == 0; }
    bool isCurrent() const override { return SDL_GL_GetCurrentContext() == context_; }
    void clearCurrent() override { SDL_GL_MakeCurrent(app_.window_, nullptr); }

    bool renderbufferStorage(const Layer& layer) override {
        Size s = layer.pixelSize();
        oes_.renderbufferStorage(GL_RENDERBUFFER_OES, GL_RGBA8_OES, s.width, s.height);
        return glGetError() == GL_NO_ERROR;
    }

    bool presentRenderbuffer() override {
        app_.composite();
        return true;
    }

  private:
    SdlPlatform& app_;
    SDL_GLContext context_;
};

std::unique_ptr<Application> openSdlApplication(const char* title, Size points,
                                                std::string& error) {
    auto app = std::make_unique<SdlPlatform>();
    if (!app->open(title, points)) {
        error = app->error();
        return nullptr;
    }
    return app;
}

SdlPlatform::~SdlPlatform() {
    if (signalWaker_.joinable()) {
        const char byte = 1;
        [[maybe_unused]] ssize_t n = write(stopWaker_[1], &byte, 1);
        signalWaker_.join();
    }
    for (int fd : stopWaker_) {
        if (fd >= 0) {
            close(fd);
        }
    }
    if (sdlStarted_) {
        SDL_SetEventFilter(nullptr, nullptr);
    }
    input_.reset();
    if (compositor_ && SDL_GL_MakeCurrent(window_, windowContext_) == 0) {
        compositor_.reset();  // its textures live in the window's context
    }
    accelerometer_.setDelegate(nullptr);
    sensor_.reset();
    if (windowContext_) {
        SDL_GL_DeleteContext(windowContext_);
    }
    if (window_) {
        SDL_DestroyWindow(window_);
    }
    if (sdlStarted_) {
        SDL_Quit();
    }
}

bool SdlPlatform::open(const char* title, Size points) {
    points_ = points;
    name_ = title;
    // OpenGL ES through EGL on X11 too, the same path as on Wayland and headless.
    SDL_SetHint(SDL_HINT_VIDEO_X11_FORCE_EGL, "1");
    // Termination signals are the game's own (platform/Signals), caught before SDL starts.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Fingers arrive as fingers and the mouse as the mouse; each is mapped by SdlInput.
    SDL_SetHint(SDL_HINT_TOUCH_MOUSE_EVENTS, "0");
    SDL_SetHint(SDL_HINT_MOUSE_TOUCH_EVENTS, "0");
    // Left alone, SDL falls back to drawing nowhere (its offscreen driver) when there
    // is no display; ask only for the display the environment names.
    if (std::getenv("SDL_VIDEODRIVER") == nullptr) {
        const char* x11 = std::getenv("DISPLAY");
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        bool hasX11 = x11 != nullptr && *x11 != '\0';
        bool hasWayland = wayland != nullptr && *wayland != '\0';
        if (!hasX11 && !hasWayland) {
            error_ = "no display to open a window on (neither DISPLAY nor WAYLAND_DISPLAY is set)";
            return false;
        }
        SDL_SetHint(SDL_HINT_VIDEODRIVER,
                    hasX11 ? (hasWayland ? "x11,wayland" : "x11") : "wayland");
    }
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        error_ = std::string("no display to open a window on (") + SDL_GetError() + ")";
        return false;
    }
    sdlStarted_ = true;
    SDL_SetEventFilter(admitEvent, this);
    startSignalWaker();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    // The cube is drawn straight into the window, with the depth its framebuffer has.
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    window_ = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, points.width,
                               points.height,
                               SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
    if (window_ == nullptr) {
        error_ = std::string("cannot open a window (") + SDL_GetError() + ")";
        return false;
    }
    SDL_SetWindowMinimumSize(window_, points.width / 4, points.height / 4);
    if (std::strcmp(SDL_GetCurrentVideoDriver(), "x11") == 0) {
        XSetIOErrorHandler(onDisplayLost);
    }
    windowContext_ = SDL_GL_CreateContext(window_);
    if (windowContext_ == nullptr) {
        error_ = std::string("no OpenGL ES 1.1 for the window (") + SDL_GetError() + ")";
        return false;
    }
    compositor_ = std::make_unique<Compositor>(points, text_);
    // The frame timer paces the frames; waiting for the display would only delay them.
    SDL_GL_SetSwapInterval(0);
    updateLayer();
    root_ = std::make_unique<Window>(points);
    input_ = std::make_unique<SdlInput>(window_, layer_.rect, points, *root_);
    return true;
}

std::unique_ptr<GLContext> SdlPlatform::createGLContext() {
    if (window_ == nullptr || windowContext_ == nullptr || viewContext_ != nullptr) {
        return nullptr;
    }
    auto context = std::make_unique<SdlContext>(*this, windowContext_);
    if (!context->init()) {
        error_ = "the view's OpenGL ES context lacks framebuffer objects";
        return nullptr;
    }
    viewContext_ = context.get();
    return context;
}

std::string SdlPlatform::clipboardText() {
    char* text = SDL_GetClipboardText();
    std::string result = text ? text : "";
    SDL_free(text);
    return result;
}

void SdlPlatform::setClipboardText(const std::string& text) {
    SDL_SetClipboardText(text.c_str());
}

std::string SdlPlatform::documentsDirectory(std::string& why) {
    return userDataDirectory(why);
}

void SdlPlatform::updateLayer() {
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(window_, &w, &h);
    layer_.rect = letterbox({w, h}, points_);
}

void SdlPlatform::startSignalWaker() {
    if (terminationFd() < 0 || pipe2(stopWaker_, O_CLOEXEC) != 0) {
        return;  // then a request is seen at the next timer tick or event
    }
    signalWaker_ = std::thread([this] {
        pollfd fds[2] = {{terminationFd(), POLLIN, 0}, {stopWaker_[0], POLLIN, 0}};
        while (poll(fds, 2, -1) < 0 && errno == EINTR) {
        }
        if (fds[0].revents & POLLIN) {
            SDL_Event wake{};
            wake.type = SDL_QUIT;
            SDL_PushEvent(&wake);
        }
    });
}

int SdlPlatform::admitEvent(void* self, SDL_Event* event) {
    auto& queued = static_cast<SdlPlatform*>(self)->queuedMotion_;
    if (isMotion(event->type)) {
        if (queued.load() >= kMostQueuedMotion) {
            return 0;
        }
        ++queued;
    }
    return 1;
}

bool SdlPlatform::quitting() const {
    return quit_ || input_->quitRequested() || terminationRequested() != 0;
}

int SdlPlatform::run(ApplicationDelegate& delegate) {
    runningDelegate = &delegate;
    delegate.applicationDidFinishLaunching();
    if (View* content = root_->contentView()) {
        content->layoutSubviews();
    }
    // Looking for a sensor takes a while: not before the first frame is on screen.
    sensor_ = std::make_unique<SdlSensor>();
    if (sensor_->available()) {
        accelerometer_.setSource([this](Acceleration& a) { return sensor_->read(a); });
    }
    while (!quitting()) {
        double wait = runLoop_.secondsUntilNextTimer();
        SDL_Event event;
        int got = std::isinf(wait)
                      ? SDL_WaitEvent(&event)
                      : SDL_WaitEventTimeout(&event, static_cast<int>(std::ceil(wait * 1000)));
        if (got) {
            handle(event, delegate);
            while (!quitting() && SDL_PollEvent(&event)) {
                handle(event, delegate);
            }
        }
        if (!quitting()) {
            runLoop_.fireDueTimers();
            runLoop_.finishPass();
        }
        if (input_->activeTouches() == 0) {
            root_->collectAnswered();
        }
        // Views over the picture changed (a question, the overlay, the button) while the
        // picture itself did not: show them without drawing the cube again.
        if (!quitting() && root_->displayGeneration() != compositedGeneration_) {
            composite();
        }
        if (root_->titleGeneration() != titleGeneration_) {
            updateTitle();
        }
    }
    const bool kept = delegate.applicationWillTerminate();
    runningDelegate = nullptr;
    return kept ? 0 : 1;
}

void SdlPlatform::handle(const SDL_Event& event, ApplicationDelegate& delegate) {
    if (isMotion(event.type)) {
        --queuedMotion_;
    }
    if (input_->handle(event)) {
        return;
    }
    switch (event.type) {
        case SDL_QUIT:  // the window closed, or a termination signal woke the wait
            quit_ = true;
            break;
        case SDL_WINDOWEVENT:
            switch (event.window.event) {
                case SDL_WINDOWEVENT_FOCUS_GAINED:
                    delegate.applicationDidBecomeActive();
                    break;
                case SDL_WINDOWEVENT_FOCUS_LOST:
                    delegate.applicationWillResignActive();
                    break;
                case SDL_WINDOWEVENT_SIZE_CHANGED: {
                    PixelRect before = layer_.rect;
                    updateLayer();
                    if (root_->contentView() && !(layer_.rect == before)) {
                        root_->contentView()->layoutSubviews();
                    }
                    break;
                }
                case SDL_WINDOWEVENT_EXPOSED:
                    composite();
                    break;
                default:
                    break;
            }
            break;
        default:
            break;
    }
}

void SdlPlatform::updateTitle() {
    titleGeneration_ = root_->titleGeneration();
    const std::string& words = root_->subtitle();
    SDL_SetWindowTitle(window_, words.empty() ? name_.c_str() : (words + " - " + name_).c_str());
}

void SdlPlatform::composite() {
    if (SDL_GL_MakeCurrent(window_, windowContext_) != 0) {
        return;
    }
    compositedGeneration_ = root_->displayGeneration();
    int dw = 0, dh = 0;
    SDL_GL_GetDrawableSize(window_, &dw, &dh);
    PictureSource* source = viewContext_ ? viewContext_->pictureSource() : nullptr;
    if (source) {
        viewContext_->oes().bindFramebuffer(GL_FRAMEBUFFER_OES, 0);
        const PixelRect& r = layer_.rect;
        glViewport(r.x, r.y, r.width, r.height);
        source->drawPicture();  // which clears the whole window, bars and all
    } else {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    compositor_->draw(*root_, {dw, dh}, layer_.rect);
    SDL_GL_SwapWindow(window_);
}

}  // namespace gyrelle::platform
