#pragma once

#include <SDL.h>

#include "platform/AlertView.h"
#include "platform/DesktopInput.h"
#include "platform/TouchDispatcher.h"

namespace gyrelle::platform {

// SDL's mouse, finger and key events as the game's input: the mouse stands in for one
// or two fingers, fingers pass through, and keys go to the window (Ctrl+Q asks to quit).
class SdlInput {
  public:
    // `viewArea`: where the views' `points` lie in the window's drawable, kept up to date
    // by the caller.
    SdlInput(SDL_Window* window, const PixelRect& viewArea, Size points, Window& root);

    // Handles a mouse, finger or key event; false for any other kind.
    bool handle(const SDL_Event& event);
    bool quitRequested() const { return quit_; }
    int activeTouches() const { return touches_.activeCount(); }

  private:
    // A position in the window's own coordinates (SDL's points) in view points.
    Point toViewPoints(float windowX, float windowY) const;
    void handlePointer(const SDL_Event& event);
    void handleKey(const SDL_KeyboardEvent& key);

    SDL_Window* window_;
    const PixelRect& viewArea_;
    Size points_;
    Window& root_;
    TouchDispatcher touches_;
    DesktopInput input_;
    Uint8 pointerButton_ = 0;
    bool quit_ = false;
};

}  // namespace gyrelle::platform
