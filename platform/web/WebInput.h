#pragma once

#include <emscripten/html5.h>

#include "platform/AlertView.h"
#include "platform/DesktopInput.h"
#include "platform/TouchDispatcher.h"

namespace gyrelle::platform {

class WebPlatform;

// The page's touch, mouse and key events as the game's input, as on the desktop: fingers
// pass through with taps counted, the mouse stands in for one or two fingers (left,
// right-drag, Ctrl + left), keys go to the window. Touches are kept from scrolling or
// zooming the page.
class WebInput {
  public:
    // `viewArea`: where the views' `points` lie in the canvas's backing pixels, kept up
    // to date by the platform.
    WebInput(WebPlatform& platform, const PixelRect& viewArea, Size points, Window& root);

    // Listens to the canvas and the page.
    void install();
    int activeTouches() const { return touches_.activeCount(); }

  private:
    static EM_BOOL onTouch(int type, const EmscriptenTouchEvent* event, void* self);
    static EM_BOOL onMouse(int type, const EmscriptenMouseEvent* event, void* self);
    static EM_BOOL onKey(int type, const EmscriptenKeyboardEvent* event, void* self);
    static EM_BOOL onWheel(int type, const EmscriptenWheelEvent* event, void* self);

    // A position in the canvas's CSS pixels, in view points.
    Point toViewPoints(double cssX, double cssY) const;
    bool touch(int type, const EmscriptenTouchEvent& event);
    bool mouse(int type, const EmscriptenMouseEvent& event);
    bool key(const EmscriptenKeyboardEvent& event);

    WebPlatform& platform_;
    const PixelRect& viewArea_;
    Size points_;
    Window& root_;
    TouchDispatcher touches_;
    DesktopInput input_;
    int button_ = -1;  // the mouse button holding the pointer, or -1
    bool askedForMotion_ = false;
};

}  // namespace gyrelle::platform
