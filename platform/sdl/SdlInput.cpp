#include "platform/sdl/SdlInput.h"

namespace gyrelle::platform {

SdlInput::SdlInput(SDL_Window* window, const PixelRect& viewArea, Size points, Window& root)
    : window_(window),
      viewArea_(viewArea),
      points_(points),
      root_(root),
      touches_(root),
      input_(touches_, points) {}

bool SdlInput::handle(const SDL_Event& event) {
    switch (event.type) {
        case SDL_KEYDOWN:
            handleKey(event.key);
            return true;
        case SDL_MOUSEWHEEL:  // a notch a line; up is away from the player
            root_.scrollWheel(static_cast<float>(
                event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? event.wheel.y : -event.wheel.y));
            return true;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
        case SDL_MOUSEMOTION:
        case SDL_FINGERDOWN:
        case SDL_FINGERUP:
        case SDL_FINGERMOTION:
            handlePointer(event);
            return true;
        default:
            return false;
    }
}

Point SdlInput::toViewPoints(float windowX, float windowY) const {
    int ww = 0, wh = 0, dw = 0, dh = 0;
    SDL_GetWindowSize(window_, &ww, &wh);
    SDL_GL_GetDrawableSize(window_, &dw, &dh);
    const PixelRect r = viewArea_;
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

void SdlInput::handlePointer(const SDL_Event& event) {
    switch (event.type) {
        case SDL_MOUSEBUTTONDOWN: {
            const SDL_MouseButtonEvent& b = event.button;
            if (b.which == SDL_TOUCH_MOUSEID || input_.pointerActive()) {
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
            input_.pointerDown(kind, toViewPoints(static_cast<float>(b.x), static_cast<float>(b.y)),
                               b.clicks);
            break;
        }
        case SDL_MOUSEMOTION:
            if (event.motion.which != SDL_TOUCH_MOUSEID) {
                input_.pointerMoved(toViewPoints(static_cast<float>(event.motion.x),
                                                 static_cast<float>(event.motion.y)));
            }
            break;
        case SDL_MOUSEBUTTONUP:
            if (event.button.which != SDL_TOUCH_MOUSEID && event.button.button == pointerButton_) {
                input_.pointerUp(toViewPoints(static_cast<float>(event.button.x),
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
                input_.fingerDown(id, at, seconds);
            } else if (event.type == SDL_FINGERMOTION) {
                input_.fingerMoved(id, at);
            } else {
                input_.fingerUp(id, at, seconds);
            }
            break;
        }
        default:
            break;
    }
}

void SdlInput::handleKey(const SDL_KeyboardEvent& key) {
    const SDL_Keycode k = key.keysym.sym;
    const Uint16 mod = key.keysym.mod;
    if (k == SDLK_q && (mod & KMOD_CTRL)) {
        quit_ = true;
        return;
    }
    KeyPress press;
    if (k == SDLK_QUESTION || (k == SDLK_SLASH && (mod & KMOD_SHIFT))) {
        press.key = Key::Question;
    } else if (k == SDLK_F1) {
        press.key = Key::F1;
    } else if (k == SDLK_F2) {
        press.key = Key::F2;
    } else if (k == SDLK_F3) {
        press.key = Key::F3;
    } else if (k == SDLK_F4) {
        press.key = Key::F4;
    } else if (k == SDLK_BACKSPACE) {
        press.key = Key::Backspace;
    } else if (k >= SDLK_a && k <= SDLK_z) {
        press.key = Key::Letter;
        press.letter = static_cast<char>('a' + (k - SDLK_a));
    } else if (k == SDLK_RETURN || k == SDLK_KP_ENTER) {
        press.key = Key::Return;
    } else if (k == SDLK_ESCAPE) {
        press.key = Key::Escape;
    } else if (k == SDLK_SPACE || k == SDLK_HOME || k == SDLK_END) {
        press.key = k == SDLK_SPACE ? Key::Space : k == SDLK_HOME ? Key::Home : Key::End;
    } else if (k == SDLK_LEFT || k == SDLK_RIGHT || k == SDLK_UP || k == SDLK_DOWN) {
        press.key = k == SDLK_LEFT    ? Key::Left
                    : k == SDLK_RIGHT ? Key::Right
                    : k == SDLK_UP    ? Key::Up
                                      : Key::Down;
    }
    press.shift = (mod & KMOD_SHIFT) != 0;
    press.ctrl = (mod & KMOD_CTRL) != 0;
    press.alt = (mod & (KMOD_ALT | KMOD_GUI)) != 0;
    press.repeat = key.repeat != 0;
    root_.keyDown(press);
}

}  // namespace gyrelle::platform
