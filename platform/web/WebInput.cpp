#include "platform/web/WebInput.h"

#include <emscripten.h>

#include <cmath>
#include <cstring>
#include <string_view>

#include "platform/web/WebPlatform.h"

namespace gyrelle::platform {

namespace {

constexpr char kCanvas[] = "#canvas";

// Where the browser asks before it sends motion (iOS Safari), the question must come
// from a touch: the first one asks.
void askForMotion() {
    // clang-format off
    EM_ASM({
        if (typeof DeviceMotionEvent !== "undefined" &&
            typeof DeviceMotionEvent.requestPermission === "function") {
            DeviceMotionEvent.requestPermission().catch(function(){});
        }
    });
    // clang-format on
}

// The letter a key stands for, lower case, as the desktop reads it: the one the layout
// prints on it; where that is no Latin letter (another script, or Alt's own
// character), the letter at its place on a US keyboard. 0 for no letter key.
char latinLetter(std::string_view key, std::string_view code) {
    if (key.size() == 1 && key[0] >= 'a' && key[0] <= 'z') {
        return key[0];
    }
    if (key.size() == 1 && key[0] >= 'A' && key[0] <= 'Z') {
        return static_cast<char>(key[0] - 'A' + 'a');
    }
    if (code.size() == 4 && code.substr(0, 3) == "Key" && code[3] >= 'A' && code[3] <= 'Z') {
        return static_cast<char>(code[3] - 'A' + 'a');
    }
    return 0;
}

}  // namespace

WebInput::WebInput(WebPlatform& platform, const PixelRect& viewArea, Size points, Window& root)
    : platform_(platform),
      viewArea_(viewArea),
      points_(points),
      root_(root),
      touches_(root),
      input_(touches_, points) {}

void WebInput::install() {
    emscripten_set_touchstart_callback(kCanvas, this, EM_TRUE, onTouch);
    emscripten_set_touchmove_callback(kCanvas, this, EM_TRUE, onTouch);
    emscripten_set_touchend_callback(kCanvas, this, EM_TRUE, onTouch);
    emscripten_set_touchcancel_callback(kCanvas, this, EM_TRUE, onTouch);
    emscripten_set_mousedown_callback(kCanvas, this, EM_TRUE, onMouse);
    // Moves and the release are followed outside the canvas too, as a window's are.
    emscripten_set_mousemove_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, EM_TRUE, onMouse);
    emscripten_set_mouseup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, EM_TRUE, onMouse);
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, EM_TRUE, onKey);
    emscripten_set_wheel_callback(kCanvas, this, EM_TRUE, onWheel);
    // The right button drags: no menu.
    // clang-format off
    EM_ASM({
        document.getElementById("canvas").addEventListener(
            "contextmenu", function(e) { e.preventDefault(); });
    });
    // clang-format on
}

EM_BOOL WebInput::onTouch(int type, const EmscriptenTouchEvent* event, void* self) {
    auto* input = static_cast<WebInput*>(self);
    const bool handled = input->touch(type, *event);
    input->platform_.finishEvent();
    return handled;
}

EM_BOOL WebInput::onMouse(int type, const EmscriptenMouseEvent* event, void* self) {
    auto* input = static_cast<WebInput*>(self);
    const bool handled = input->mouse(type, *event);
    input->platform_.finishEvent();
    return handled;
}

EM_BOOL WebInput::onWheel(int, const EmscriptenWheelEvent* event, void* self) {
    auto* input = static_cast<WebInput*>(self);
    // Pixels, lines or pages, as the browser counts them: about 40 pixels a line.
    const double lines = event->deltaMode == DOM_DELTA_PIXEL  ? event->deltaY / 40
                         : event->deltaMode == DOM_DELTA_PAGE ? event->deltaY * 10
                                                              : event->deltaY;
    const bool handled = input->root_.scrollWheel(static_cast<float>(lines));
    input->platform_.finishEvent();
    return handled;
}

EM_BOOL WebInput::onKey(int, const EmscriptenKeyboardEvent* event, void* self) {
    auto* input = static_cast<WebInput*>(self);
    const bool handled = input->key(*event);
    input->platform_.finishEvent();
    return handled;
}

Point WebInput::toViewPoints(double cssX, double cssY) const {
    double cssWidth = 0, cssHeight = 0;
    emscripten_get_element_css_size(kCanvas, &cssWidth, &cssHeight);
    int width = 0, height = 0;
    emscripten_get_canvas_element_size(kCanvas, &width, &height);
    const PixelRect r = viewArea_;
    if (cssWidth <= 0 || cssHeight <= 0 || r.width <= 0) {
        return {static_cast<float>(cssX), static_cast<float>(cssY)};
    }
    // CSS pixels to backing pixels (the device's ratio), then into the letterboxed view.
    const double px = cssX * width / cssWidth, py = cssY * height / cssHeight;
    const double top = height - (r.y + r.height);
    const double scale = static_cast<double>(r.width) / points_.width;
    return {static_cast<float>((px - r.x) / scale), static_cast<float>((py - top) / scale)};
}

bool WebInput::touch(int type, const EmscriptenTouchEvent& event) {
    const double seconds = emscripten_get_now() / 1000.0;
    for (int i = 0; i < event.numTouches; ++i) {
        const EmscriptenTouchPoint& t = event.touches[i];
        if (!t.isChanged) {
            continue;
        }
        const Point at =
            toViewPoints(static_cast<double>(t.targetX), static_cast<double>(t.targetY));
        const long id = t.identifier;
        switch (type) {
            case EMSCRIPTEN_EVENT_TOUCHSTART:
                input_.fingerDown(id, at, seconds);
                break;
            case EMSCRIPTEN_EVENT_TOUCHMOVE:
                input_.fingerMoved(id, at);
                break;
            default:  // end or cancel
                input_.fingerUp(id, at, seconds);
                break;
        }
    }
    if (type == EMSCRIPTEN_EVENT_TOUCHEND && !askedForMotion_) {
        askedForMotion_ = true;
        askForMotion();
    }
    return true;  // no scrolling, zooming or mouse events made up from touches
}

bool WebInput::mouse(int type, const EmscriptenMouseEvent& event) {
    // Outside the canvas the page's coordinates, less where the canvas lies in it.
    const double left =
        // clang-format off
        EM_ASM_DOUBLE({ return document.getElementById("canvas").getBoundingClientRect().left; });
    // clang-format on
    const double top =
        // clang-format off
        EM_ASM_DOUBLE({ return document.getElementById("canvas").getBoundingClientRect().top; });
    // clang-format on
    const Point at = toViewPoints(static_cast<double>(event.clientX) - left,
                                  static_cast<double>(event.clientY) - top);
    switch (type) {
        case EMSCRIPTEN_EVENT_MOUSEDOWN: {
            if (input_.pointerActive() || (event.button != 0 && event.button != 2)) {
                return false;
            }
            const int clicks = input_.countClick(at, emscripten_get_now() / 1000.0);
            const DesktopInput::Pointer kind =
                event.button == 2 ? DesktopInput::Pointer::TwoFingerDrag
                : event.ctrlKey   ? DesktopInput::Pointer::TwoFingerTwist
                                  : DesktopInput::Pointer::Finger;
            button_ = event.button;
            input_.pointerDown(kind, at, clicks);
            return true;
        }
        case EMSCRIPTEN_EVENT_MOUSEMOVE:
            if (!input_.pointerActive()) {
                return false;
            }
            input_.pointerMoved(at);
            return true;
        case EMSCRIPTEN_EVENT_MOUSEUP:
            if (event.button != button_) {
                return false;
            }
            input_.pointerUp(at);
            button_ = -1;
            return true;
        default:
            return false;
    }
}

bool WebInput::key(const EmscriptenKeyboardEvent& event) {
    KeyPress press;
    press.shift = event.shiftKey;
    press.ctrl = event.ctrlKey || event.metaKey;
    press.alt = event.altKey;
    press.repeat = event.repeat;
    const std::string_view key = event.key, code = event.code;
    const char letter = latinLetter(key, code);
    if (press.ctrl && letter == 'v') {
        return false;  // the browser's own paste brings the text (WebPlatform::pasted)
    }
    if (key == "?") {
        press.key = Key::Question;
    } else if (key == "F1") {
        press.key = Key::F1;
    } else if (key == "F2") {
        press.key = Key::F2;
    } else if (key == "F3") {
        press.key = Key::F3;
    } else if (key == "F4") {
        press.key = Key::F4;
    } else if (key == "Backspace") {
        press.key = Key::Backspace;
    } else if (key == "Enter") {
        press.key = Key::Return;
    } else if (key == "Escape") {
        press.key = Key::Escape;
    } else if (key == " " || key == "Home" || key == "End") {
        press.key = key == " " ? Key::Space : key == "Home" ? Key::Home : Key::End;
    } else if (key == "ArrowLeft" || key == "ArrowRight" || key == "ArrowUp" ||
               key == "ArrowDown") {
        press.key = key == "ArrowLeft"    ? Key::Left
                    : key == "ArrowRight" ? Key::Right
                    : key == "ArrowUp"    ? Key::Up
                                          : Key::Down;
    } else if (letter) {
        press.key = Key::Letter;
        press.letter = letter;
    } else {
        return false;
    }
    return root_.keyDown(press);
}

}  // namespace gyrelle::platform
