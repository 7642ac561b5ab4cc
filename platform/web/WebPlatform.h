#pragma once

#include <emscripten/html5.h>

#include <memory>
#include <string>

#include "platform/gl/WindowHost.h"
#include "platform/web/CanvasText.h"
#include "platform/web/WebInput.h"

namespace gyrelle::platform {

// The browser: one canvas filling the page with a WebGL 2 context, drawn through the
// OpenGL ES 1.1 calls of Gles1.cpp. There is no loop of our own: the page's events and
// one timeout for the next timer drive the game, and with nothing due no timeout is
// set at all, so a page left open costs next to nothing.
class WebPlatform : public WindowHost {
  public:
    WebPlatform();
    ~WebPlatform() override;
    WebPlatform(const WebPlatform&) = delete;
    WebPlatform& operator=(const WebPlatform&) = delete;

    // Takes the page's canvas; false with error() set when it has no WebGL 2.
    bool open(const char* title, Size points);

    // The game's folder, kept in the browser's IndexedDB (see WebFiles).
    std::string documentsDirectory(std::string& why) override;
    std::string clipboardText() override { return clipboard_; }
    void setClipboardText(const std::string& text) override;
    void documentsWritten() override;
    bool canShare() const override { return true; }
    bool askText(const std::string& question, const std::string& initial,
                 std::function<void(std::string)> answer) override;
    Keyboard keyboard() const override { return Keyboard::Browser; }
    std::string share(const std::string& code) override;
    std::string shareFragment(const std::string& fragment) override;
    bool exchangesFiles() const override { return true; }
    std::string offerFile(const std::string& name, const std::string& text) override;
    std::string askForFile(FileTaker take) override;
    void tell(const std::string& text) override;
    // The bytes of the file the player chose (or why not), for what asked for it.
    // A file chosen to import: `held` when the page holds its bytes, else too large.
    void fileChosen(bool held, size_t length);
    // The page's address holds "#position=CODE": set as a pasted position, and the
    // address cleared so that a reload plays on from the saved cube.
    void addressChanged();
    // Starts the game and returns at once; the page's events go on driving it.
    int run(ApplicationDelegate& delegate) override;

    bool makeCurrent() override;
    bool isCurrent() const override;
    void clearCurrent() override;

    // After every event: what ends a pass of the loop, then the next timeout.
    void finishEvent();
    // Text pasted into the page (the browser's paste, as Ctrl+V).
    void pasted(const std::string& text);
    // The page is hidden or left: keep everything now, browsers promise no exit.
    void pageHidden();
    void pageShown();
    void resized();
    // The WebGL context, lost, is back: empty.
    void contextRestored();
    // A sample of the device's motion, in g (the handset's axes and signs).
    void moved(const Acceleration& sample);

  private:
    std::string shareAddress(const std::string& fragment, const std::string& what);
    Size drawableSize() const override { return drawable_; }
    // 48 CSS pixels (Android's least target; Apple asks for 44) in the canvas's pixels.
    float leastTouchPixels() const override;
    void setTitle(const std::string& title) override;
    void schedule();

    Size drawable_;
    CanvasText text_;
    std::unique_ptr<WebInput> input_;
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context_ = 0;
    ApplicationDelegate* delegate_ = nullptr;
    long timeout_ = 0;  // the pending wake-up for the next timer, or 0
    double timeoutAt_ = 0;
    bool active_ = true;
    bool haveMotion_ = false;
    Acceleration motion_;
    std::string clipboard_;
    FileTaker takeFile_;
};

}  // namespace gyrelle::platform
