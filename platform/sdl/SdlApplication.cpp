#include "platform/sdl/SdlApplication.h"

#include <GLES/gl.h>
#include <GLES/glext.h>

#include <cmath>
#include <cstdlib>

#include "platform/Files.h"
#include "platform/Painter.h"
#include "platform/sdl/WindowPainter.h"

namespace gyrelle::platform {

namespace {
void* sdlLookUp(const char* name) {
    return SDL_GL_GetProcAddress(name);
}
}  // namespace

class SdlContext : public GLContext {
  public:
    SdlContext(SdlApplication& app, SDL_GLContext context) : app_(app), context_(context) {}
    ~SdlContext() override {
        app_.viewContext_ = nullptr;
        SDL_GL_DeleteContext(context_);
    }

    bool init() { return setCurrent() && oes_.load(sdlLookUp); }
    SDL_GLContext handle() const { return context_; }

    bool setCurrent() override { return SDL_GL_MakeCurrent(app_.window_, context_) == 0; }
    bool isCurrent() const override { return SDL_GL_GetCurrentContext() == context_; }
    void clearCurrent() override { SDL_GL_MakeCurrent(app_.window_, nullptr); }

    bool renderbufferStorage(const Layer& layer) override {
        Size s = layer.pixelSize();
        oes_.renderbufferStorage(GL_RENDERBUFFER_OES, GL_RGBA8_OES, s.width, s.height);
        // The picture the compositor shows, of the same size.
        // Shown pixel for pixel: nearest texel.
        if (app_.picture_ == 0) {
            app_.picture_ = newTexture(GL_NEAREST);
        }
        glBindTexture(GL_TEXTURE_2D, app_.picture_);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, s.width, s.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     nullptr);
        glBindTexture(GL_TEXTURE_2D, 0);
        app_.pictureSize_ = s;
        return glGetError() == GL_NO_ERROR;
    }

    bool presentRenderbuffer() override {
        app_.present();
        return true;
    }

  private:
    SdlApplication& app_;
    SDL_GLContext context_;
};

SdlApplication::SdlApplication() = default;

SdlApplication::~SdlApplication() {
    if (text_ && compositor_ && SDL_GL_MakeCurrent(window_, compositor_) == 0) {
        text_.reset();  // its textures live in the compositor's context
    }
    accelerometer_.setDelegate(nullptr);
    if (sensor_) {
        SDL_SensorClose(sensor_);
    }
    if (controller_) {
        SDL_GameControllerClose(controller_);
    }
    if (compositor_) {
        SDL_GL_DeleteContext(compositor_);
    }
    if (window_) {
        SDL_DestroyWindow(window_);
    }
    if (sdlStarted_) {
        SDL_Quit();
    }
}

bool SdlApplication::open(const char* title, Size points) {
    points_ = points;
    // OpenGL ES through EGL on X11 too, the same path as on Wayland and headless.
    SDL_SetHint(SDL_HINT_VIDEO_X11_FORCE_EGL, "1");
    // Fingers arrive as fingers and the mouse as the mouse; each is mapped here.
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
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    window_ = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, points.width,
                               points.height,
                               SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
    if (window_ == nullptr) {
        error_ = std::string("cannot open a window (") + SDL_GetError() + ")";
        return false;
    }
    SDL_SetWindowMinimumSize(window_, points.width / 4, points.height / 4);
    compositor_ = SDL_GL_CreateContext(window_);
    if (compositor_ == nullptr) {
        error_ = std::string("no OpenGL ES 1.1 for the window (") + SDL_GetError() + ")";
        return false;
    }
    text_ = std::make_unique<TextCache>();
    // The frame timer paces the frames; waiting for the display would only delay them.
    SDL_GL_SetSwapInterval(0);
    updateLayer();
    root_ = std::make_unique<Window>(points);
    touches_ = std::make_unique<TouchDispatcher>(*root_);
    input_ = std::make_unique<DesktopInput>(*touches_, points_);
    openSensor();
    return true;
}

void SdlApplication::openSensor() {
    // A real accelerometer where SDL finds one: a sensor of the device, or a game
    // controller that has one. Without, the device is at rest.
    if (SDL_InitSubSystem(SDL_INIT_SENSOR) == 0) {
        for (int i = 0; i < SDL_NumSensors() && !sensor_; ++i) {
            if (SDL_SensorGetDeviceType(i) == SDL_SENSOR_ACCEL) {
                sensor_ = SDL_SensorOpen(i);
            }
        }
    }
    if (!sensor_ && SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0) {
        for (int i = 0; i < SDL_NumJoysticks() && !controller_; ++i) {
            if (!SDL_IsGameController(i)) {
                continue;
            }
            SDL_GameController* c = SDL_GameControllerOpen(i);
            if (c && SDL_GameControllerHasSensor(c, SDL_SENSOR_ACCEL) &&
                SDL_GameControllerSetSensorEnabled(c, SDL_SENSOR_ACCEL, SDL_TRUE) == 0) {
                controller_ = c;
            } else if (c) {
                SDL_GameControllerClose(c);
            }
        }
    }
    if (sensor_ || controller_) {
        accelerometer_.setSource([this](Acceleration& a) { return readSensor(a); });
    }
}

bool SdlApplication::readSensor(Acceleration& out) {
    float data[3] = {0, 0, 0};
    int ok = -1;
    if (sensor_) {
        SDL_SensorUpdate();
        ok = SDL_SensorGetData(sensor_, data, 3);
    } else if (controller_) {
        SDL_GameControllerUpdate();
        ok = SDL_GameControllerGetSensorData(controller_, SDL_SENSOR_ACCEL, data, 3);
    }
    if (ok != 0) {
        return false;
    }
    // SDL reports metres per second squared.
    out = {data[0] / SDL_STANDARD_GRAVITY, data[1] / SDL_STANDARD_GRAVITY,
           data[2] / SDL_STANDARD_GRAVITY};
    return true;
}

std::unique_ptr<GLContext> SdlApplication::createGLContext() {
    if (window_ == nullptr || compositor_ == nullptr || viewContext_ != nullptr) {
        return nullptr;
    }
    SDL_GL_MakeCurrent(window_, compositor_);
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 1);
    SDL_GLContext handle = SDL_GL_CreateContext(window_);
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
    if (handle == nullptr) {
        error_ = std::string("no OpenGL ES 1.1 context for the view (") + SDL_GetError() + ")";
        return nullptr;
    }
    auto context = std::make_unique<SdlContext>(*this, handle);
    if (!context->init()) {
        error_ = "the view's OpenGL ES context lacks framebuffer objects";
        return nullptr;
    }
    viewContext_ = context.get();
    return context;
}

std::string SdlApplication::documentsDirectory() {
    return userDataDirectory();
}

Point SdlApplication::toViewPoints(float windowX, float windowY) const {
    int ww = 0, wh = 0, dw = 0, dh = 0;
    SDL_GetWindowSize(window_, &ww, &wh);
    SDL_GL_GetDrawableSize(window_, &dw, &dh);
    const PixelRect r = layer_.rect;
    if (ww <= 0 || wh <= 0 || r.width <= 0 || r.height <= 0) {
        return {windowX, windowY};
    }
    // Window points to drawable pixels (HiDPI), then into the letterboxed view.
    const float px = windowX * static_cast<float>(dw) / static_cast<float>(ww);
    const float py = windowY * static_cast<float>(dh) / static_cast<float>(wh);
    const float top = static_cast<float>(dh - (r.y + r.height));
    const float scale = static_cast<float>(r.width) / static_cast<float>(points_.width);
    return {(px - static_cast<float>(r.x)) / scale, (py - top) / scale};
}

void SdlApplication::handlePointer(const SDL_Event& event) {
    switch (event.type) {
        case SDL_MOUSEBUTTONDOWN: {
            const SDL_MouseButtonEvent& b = event.button;
            if (b.which == SDL_TOUCH_MOUSEID || input_->pointerActive()) {
                return;
            }
            DesktopInput::Pointer kind;
            if (b.button == SDL_BUTTON_LEFT) {
                kind = (SDL_GetModState() & KMOD_CTRL) ? DesktopInput::Pointer::TwoFingerTwist
                                                       : DesktopInput::Pointer::Finger;
            } else if (b.button == SDL_BUTTON_RIGHT) {
                kind = DesktopInput::Pointer::TwoFingerDrag;
            } else {
                return;
            }
            pointerButton_ = b.button;
            input_->pointerDown(
                kind, toViewPoints(static_cast<float>(b.x), static_cast<float>(b.y)), b.clicks);
            break;
        }
        case SDL_MOUSEMOTION:
            if (event.motion.which != SDL_TOUCH_MOUSEID) {
                input_->pointerMoved(toViewPoints(static_cast<float>(event.motion.x),
                                                  static_cast<float>(event.motion.y)));
            }
            break;
        case SDL_MOUSEBUTTONUP:
            if (event.button.which != SDL_TOUCH_MOUSEID && event.button.button == pointerButton_) {
                input_->pointerUp(toViewPoints(static_cast<float>(event.button.x),
                                               static_cast<float>(event.button.y)));
                pointerButton_ = 0;
            }
            break;
        case SDL_FINGERDOWN:
        case SDL_FINGERMOTION:
        case SDL_FINGERUP: {
            const SDL_TouchFingerEvent& f = event.tfinger;
            int ww = 0, wh = 0;
            SDL_GetWindowSize(window_, &ww, &wh);
            const Point at =
                toViewPoints(f.x * static_cast<float>(ww), f.y * static_cast<float>(wh));
            const long id = static_cast<long>(f.fingerId);
            const double seconds = f.timestamp / 1000.0;
            if (event.type == SDL_FINGERDOWN) {
                input_->fingerDown(id, at, seconds);
            } else if (event.type == SDL_FINGERMOTION) {
                input_->fingerMoved(id, at);
            } else {
                input_->fingerUp(id, at, seconds);
            }
            break;
        }
        default:
            break;
    }
}

void SdlApplication::updateLayer() {
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(window_, &w, &h);
    layer_.rect = letterbox({w, h}, points_);
}

int SdlApplication::run(ApplicationDelegate& delegate) {
    delegate.applicationDidFinishLaunching();
    if (View* content = root_->contentView()) {
        content->layoutSubviews();
    }
    while (!quit_) {
        double wait = runLoop_.secondsUntilNextTimer();
        SDL_Event event;
        int got = std::isinf(wait)
                      ? SDL_WaitEvent(&event)
                      : SDL_WaitEventTimeout(&event, static_cast<int>(std::ceil(wait * 1000)));
        if (got) {
            handle(event, delegate);
            while (!quit_ && SDL_PollEvent(&event)) {
                handle(event, delegate);
            }
        }
        if (!quit_) {
            runLoop_.fireDueTimers();
        }
        if (touches_->activeCount() == 0) {
            root_->collectAnswered();
        }
        // Views over the picture changed (a question, the overlay, the button) while the
        // picture itself did not: show them without drawing the cube again.
        if (!quit_ && root_->displayGeneration() != compositedGeneration_) {
            composite();
        }
    }
    delegate.applicationWillTerminate();
    return 0;
}

void SdlApplication::handle(const SDL_Event& event, ApplicationDelegate& delegate) {
    switch (event.type) {
        case SDL_QUIT:  // window closed, SIGINT, SIGTERM
            quit_ = true;
            break;
        case SDL_KEYDOWN:
            handleKey(event.key);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
        case SDL_MOUSEMOTION:
        case SDL_FINGERDOWN:
        case SDL_FINGERUP:
        case SDL_FINGERMOTION:
            handlePointer(event);
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

void SdlApplication::handleKey(const SDL_KeyboardEvent& key) {
    const SDL_Keycode k = key.keysym.sym;
    if (k == SDLK_q && (key.keysym.mod & KMOD_CTRL)) {
        quit_ = true;
    } else if (key.keysym.mod & (KMOD_CTRL | KMOD_ALT | KMOD_GUI)) {
        return;
    } else if (k == SDLK_s && !key.repeat) {
        accelerometer_.injectShake();
    } else if (AlertView* question = root_->frontAlert()) {
        if (k == SDLK_y || k == SDLK_RETURN || k == SDLK_KP_ENTER) {
            question->clickButton(1);
        } else if (k == SDLK_n || k == SDLK_ESCAPE) {
            question->clickButton(0);
        }
    }
}

void SdlApplication::present() {
    Size size = layer_.pixelSize();
    if (picture_ != 0 && size == pictureSize_) {
        glBindTexture(GL_TEXTURE_2D, picture_);
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, size.width, size.height);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    composite();
}

void SdlApplication::composite() {
    if (SDL_GL_MakeCurrent(window_, compositor_) != 0) {
        return;
    }
    compositedGeneration_ = root_->displayGeneration();
    int dw = 0, dh = 0;
    SDL_GL_GetDrawableSize(window_, &dw, &dh);
    glViewport(0, 0, dw, dh);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrthof(0, static_cast<float>(dw), 0, static_cast<float>(dh), -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnableClientState(GL_VERTEX_ARRAY);

    const PixelRect r = layer_.rect;
    if (picture_ != 0 && pictureSize_ == layer_.pixelSize()) {
        // Pixel for pixel: quad edges on pixel edges, nearest texel.
        const GLfloat quad[8] = {
            static_cast<GLfloat>(r.x),           static_cast<GLfloat>(r.y),
            static_cast<GLfloat>(r.x + r.width), static_cast<GLfloat>(r.y),
            static_cast<GLfloat>(r.x),           static_cast<GLfloat>(r.y + r.height),
            static_cast<GLfloat>(r.x + r.width), static_cast<GLfloat>(r.y + r.height),
        };
        const GLfloat uv[8] = {0, 0, 1, 0, 0, 1, 1, 1};
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, picture_);
        glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, 0, uv);
        glVertexPointer(2, GL_FLOAT, 0, quad);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glBindTexture(GL_TEXTURE_2D, 0);
        glDisable(GL_TEXTURE_2D);
    }
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    for (const View* sub : root_->subviews()) {
        paintSubviews(*sub, 0, 0, 1.0f);
    }
    glDisable(GL_BLEND);
    SDL_GL_SwapWindow(window_);
    if (viewContext_) {
        viewContext_->setCurrent();
    }
}

void SdlApplication::paintSubviews(const View& view, float x, float y, float alpha,
                                   const Color* groupBackground) {
    const PixelRect area = layer_.rect;
    const float scale = points_.width > 0 ? static_cast<float>(area.width) / points_.width : 1.0f;
    const float ox = x + view.frame().x, oy = y + view.frame().y;
    const float a = alpha * view.alpha();
    if (a <= 0) {
        return;
    }
    const Color& bg = view.backgroundColor();
    // A translucent view is seen as a whole: inside it, an opaque background of its
    // own colour adds nothing and must not darken what lies below a second time.
    const bool repeatsGroup = groupBackground && bg.alpha >= 1 && bg.red == groupBackground->red &&
                              bg.green == groupBackground->green &&
                              bg.blue == groupBackground->blue;
    if (groupBackground == nullptr && view.alpha() < 1 && bg.alpha >= 1) {
        groupBackground = &bg;
    }
    WindowPainter painter(*text_, area, scale);
    painter.setOrigin(ox, oy, a);
    if (bg.alpha > 0 && !repeatsGroup) {
        painter.fillRect(view.bounds(), bg);
    }
    view.drawContent(painter);
    for (const View* sub : view.subviews()) {
        paintSubviews(*sub, ox, oy, a, groupBackground);
    }
}

}  // namespace gyrelle::platform
