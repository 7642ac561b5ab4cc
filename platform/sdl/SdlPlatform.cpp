#include "platform/sdl/SdlPlatform.h"

#include <GLES/gl.h>
#include <GLES/glext.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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
// Events read in one go beyond which the loop is behind a backlog; and how often, in
// key events read, X's queue is searched for a Ctrl+Q meanwhile.
constexpr long kBacklog = 1000;
constexpr long kSearchEvery = 1000;

bool isCtrlQ(const SDL_Event& e) {
    return e.type == SDL_KEYDOWN && e.key.keysym.sym == SDLK_q && (e.key.keysym.mod & KMOD_CTRL);
}

// Finds a Ctrl+Q press among the events X holds; leaves every event where it is.
Bool findCtrlQ(Display*, XEvent* event, XPointer found) {
    if (event->type == KeyPress && (event->xkey.state & ControlMask) &&
        XLookupKeysym(&event->xkey, 0) == XK_q) {
        *reinterpret_cast<bool*>(found) = true;
    }
    return False;
}

bool isMotion(Uint32 type) {
    return type == SDL_MOUSEMOTION || type == SDL_FINGERMOTION;
}

// Xlib ends the process once its handler for a lost display returns: the cube is kept
// first, and the status says whether it was, as at any end (1: not kept). Xlib's handler
// takes no context, so the delegate of the running loop is kept here while it runs.
ApplicationDelegate* runningDelegate = nullptr;

int onDisplayLost(Display*) {
    const char* outcome = "";  // before the game has started there is nothing to keep
    bool kept = true;
    if (runningDelegate) {
        kept = runningDelegate->applicationWillTerminate();
        outcome = kept ? "; the cube was saved" : "; the cube could not be saved";
    }
    std::fprintf(stderr, "gyrelle: the display went away%s\n", outcome);
    std::fflush(stderr);
    _exit(kept ? 0 : 1);
}

}  // namespace

std::unique_ptr<Application> openSdlApplication(const char* title, Size points,
                                                std::string& error) {
    auto app = std::make_unique<SdlPlatform>();
    if (!app->open(title, points)) {
        error = app->error();
        return nullptr;
    }
    return app;
}

SdlPlatform::SdlPlatform() : WindowHost(sdlLookUp) {}

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
    if (compositor_ && makeCurrent()) {
        compositor_.reset();  // its textures live in the window's context
    }
    accelerometer_.setDelegate(nullptr);
    sensor_.reset();
    if (context_) {
        SDL_GL_DeleteContext(context_);
    }
    if (window_) {
        SDL_DestroyWindow(window_);
    }
    if (sdlStarted_) {
        SDL_Quit();
    }
}

bool SdlPlatform::open(const char* title, Size points) {
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
    loopThread_ = std::this_thread::get_id();
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
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        if (SDL_GetWindowWMInfo(window_, &info) && info.subsystem == SDL_SYSWM_X11) {
            x11_ = info.info.x11.display;
        }
    }
    context_ = SDL_GL_CreateContext(window_);
    if (context_ == nullptr) {
        error_ = std::string("no OpenGL ES 1.1 for the window (") + SDL_GetError() + ")";
        return false;
    }
    // The frame timer paces the frames; waiting for the display would only delay them.
    SDL_GL_SetSwapInterval(0);
    openViews(title, points, text_);
    placeLayer(drawableSize());
    input_ = std::make_unique<SdlInput>(window_, layer_.rect, points, *root_);
    return true;
}

bool SdlPlatform::makeCurrent() {
    return SDL_GL_MakeCurrent(window_, context_) == 0;
}

bool SdlPlatform::isCurrent() const {
    return context_ != nullptr && SDL_GL_GetCurrentContext() == context_;
}

void SdlPlatform::clearCurrent() {
    SDL_GL_MakeCurrent(window_, nullptr);
}

Size SdlPlatform::drawableSize() const {
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(window_, &w, &h);
    return {w, h};
}

// 44 points, the touch guidelines' least target, in the window's pixels (more than one
// to the point on a high-density screen).
float SdlPlatform::leastTouchPixels() const {
    int w = 0, h = 0;
    SDL_GetWindowSize(window_, &w, &h);
    const Size d = drawableSize();
    return 44.0f * (w > 0 ? static_cast<float>(d.width) / static_cast<float>(w) : 1.0f);
}

void SdlPlatform::presentWindow() {
    SDL_GL_SwapWindow(window_);
}

void SdlPlatform::setTitle(const std::string& title) {
    SDL_SetWindowTitle(window_, title.c_str());
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
    auto* platform = static_cast<SdlPlatform*>(self);
    if (std::this_thread::get_id() == platform->loopThread_) {
        platform->quitInBacklog(*event);
    }
    auto& queued = platform->queuedMotion_;
    if (isMotion(event->type)) {
        if (queued.load() >= kMostQueuedMotion) {
            return 0;
        }
        ++queued;
    }
    return 1;
}

void SdlPlatform::quitInBacklog(const SDL_Event& event) {
    ++readSinceLoop_;
    // Only keys are slow to read (pointer motion reaches a Ctrl+Q behind it soon enough,
    // and a search of its flood would only slow it down).
    const bool key =
        event.type == SDL_KEYDOWN || event.type == SDL_KEYUP || event.type == SDL_TEXTINPUT;
    keysSinceLoop_ += key;
    if (readSinceLoop_ < kBacklog || runningDelegate == nullptr) {
        return;  // the loop sees the quit in a moment
    }
    if (!(quitting() || event.type == SDL_QUIT || isCtrlQ(event) ||
          (key && keysSinceLoop_ % kSearchEvery == 0 && quitInXQueue()))) {
        return;
    }
    // What is queued is dropped, as a closed window drops it; the cube is kept first.
    const bool kept = runningDelegate->applicationWillTerminate();
    std::fflush(nullptr);
    _exit(kept ? 0 : 1);
}

bool SdlPlatform::quitInXQueue() {
    bool found = false;
    XEvent event;
    if (x11_) {
        XCheckIfEvent(static_cast<Display*>(x11_), &event, findCtrlQ,
                      reinterpret_cast<XPointer>(&found));
    }
    return found;
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
        readSinceLoop_ = keysSinceLoop_ = 0;
        if (got) {
            handle(event, delegate);
            while (!quitting() && SDL_PollEvent(&event)) {
                readSinceLoop_ = keysSinceLoop_ = 0;
                handle(event, delegate);
            }
        }
        if (!quitting()) {
            endPass(input_->activeTouches());
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
        case SDL_DROPFILE:  // a file dropped on the window: its bytes to the game
            if (event.drop.file) {
                dropFile(event.drop.file);
                SDL_free(event.drop.file);
            }
            break;
        case SDL_RENDER_DEVICE_RESET:  // where SDL says the GPU's objects are gone
            if (makeCurrent()) {
                rebuildAfterContextLoss();
            }
            break;
        case SDL_WINDOWEVENT:
            switch (event.window.event) {
                case SDL_WINDOWEVENT_FOCUS_GAINED:
                    delegate.applicationDidBecomeActive();
                    break;
                case SDL_WINDOWEVENT_FOCUS_LOST:
                    delegate.applicationWillResignActive();
                    break;
                case SDL_WINDOWEVENT_SIZE_CHANGED:
                    placeLayer(drawableSize());
                    break;
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

std::string SdlPlatform::share(const std::string& code) {
    setClipboardText(code);
    return "The position is copied: paste it into Gyrelle with Ctrl+V, or start gyrelle "
           "--position with it.";
}

std::string SdlPlatform::shareFragment(const std::string& fragment) {
    setClipboardText("#" + fragment);
    return std::string(fragment.starts_with("scramble=") ? "The scramble" : "The replay") +
           " is copied: paste it into Gyrelle with Ctrl+V, or start gyrelle with it, or add it "
           "to Gyrelle's page address.";
}

// Among the player's downloads (XDG's download folder as xdg-user-dirs keeps it, else
// ~/Downloads, else home), under a name not taken yet.
std::string SdlPlatform::offerFile(const std::string& name, const std::string& text) {
    const char* home = std::getenv("HOME");
    std::string dir = home ? home : ".";
    const std::string config = std::getenv("XDG_CONFIG_HOME") && *std::getenv("XDG_CONFIG_HOME")
                                   ? std::getenv("XDG_CONFIG_HOME")
                                   : dir + "/.config";
    if (std::FILE* dirs = std::fopen((config + "/user-dirs.dirs").c_str(), "r")) {
        char line[4096];
        while (std::fgets(line, sizeof line, dirs)) {
            std::string l(line);
            const std::string key = "XDG_DOWNLOAD_DIR=\"";
            if (l.rfind(key, 0) == 0 && l.find('"', key.size()) != std::string::npos) {
                std::string value = l.substr(key.size(), l.find('"', key.size()) - key.size());
                if (value.rfind("$HOME", 0) == 0) {
                    value = dir + value.substr(5);
                }
                dir = value;
            }
        }
        std::fclose(dirs);
    } else if (struct stat st{};
               stat((dir + "/Downloads").c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        dir += "/Downloads";
    }
    const size_t dot = name.rfind('.');
    std::string path = dir + "/" + name;
    for (int n = 2; n < 1000 && access(path.c_str(), F_OK) == 0; ++n) {
        path = dir + "/" + name.substr(0, dot) + "-" + std::to_string(n) + name.substr(dot);
    }
    std::string error;
    if (!replaceFileWith(path, text, error)) {
        return "Could not export the records: " + error;
    }
    return "The records are exported to " + path;
}

std::string SdlPlatform::askForFile(FileTaker take) {
    dropped_ = std::move(take);
    return "Drop a file of records (Gyrelle's CSV, or csTimer's export) on the window to "
           "import it.";
}

// Read as it is taken, never waited for: a FIFO or a device dropped is refused.
void SdlPlatform::dropFile(const char* path) {
    if (!dropped_) {
        return;
    }
    FileSource file;
    std::string problem;
    if (!file.open(path, kLargestFileTaken, "any records", problem)) {
        TextSource none("");
        dropped_(none, std::string(path) + ": " + problem);
        return;
    }
    dropped_(file, "");
}

}  // namespace gyrelle::platform
