#pragma once

#include <cmath>
#include <optional>
#include <string>

#include "platform/Services.h"

namespace gyrelle::platform {

// The system's services without a display, for tests: a window of views that is never
// drawn, a run loop on a clock stepped by hand, a clipboard, and files kept only where a
// test says. `Base` is Services, or Platform for a headless GL view.
template <class Base>
class HeadlessServicesOf : public Base {
  public:
    explicit HeadlessServicesOf(Size points) : window_(points) {}

    RunLoop& runLoop() override { return runLoop_; }
    // None unless a test gives one: then nothing is kept, by design, or for `why`.
    std::string documentsDirectory(std::string& why) override {
        why = documentsMissing_;
        return documents_;
    }
    Window& window() override { return window_; }
    Accelerometer& accelerometer() override { return accelerometer_; }
    std::string clipboardText() override { return clipboard_; }
    void setClipboardText(const std::string& text) override { clipboard_ = text; }
    void quit() override { quitAsked_ = true; }
    // Sending, where a test asks for it: onto the clipboard, as the desktop does.
    bool canShare() const override { return canShare_; }
    void setCanShare(bool can) { canShare_ = can; }
    std::string share(const std::string& code) override {
        clipboard_ = code;
        return {};
    }
    std::string shareFragment(const std::string& fragment) override {
        clipboard_ = "#" + fragment;
        return {};
    }
    // Text asked for, where a test gives the answer (else none is asked).
    bool askText(const std::string&, const std::string&,
                 std::function<void(std::string)> answer) override {
        if (!textAnswer_) {
            return false;
        }
        answer(*textAnswer_);
        return true;
    }
    void setTextAnswer(std::optional<std::string> text) { textAnswer_ = std::move(text); }
    void setDocumentsDirectory(std::string dir, std::string whyNone = {}) {
        documents_ = std::move(dir);
        documentsMissing_ = std::move(whyNone);
    }

    // Moves the clock on and fires what falls due, one timer tick at a time.
    void advance(double seconds) {
        runLoop_.finishPass();  // what was done since, as if it came as events
        const double end = now_ + seconds;
        for (;;) {
            const double wait = runLoop_.secondsUntilNextTimer();
            if (std::isinf(wait) || now_ + wait > end) {
                break;
            }
            now_ += wait;
            runLoop_.fireDueTimers();
            runLoop_.finishPass();
        }
        now_ = end;
    }
    double now() const { return now_; }
    bool quitAsked() const { return quitAsked_; }

  private:
    double now_ = 1000;  // seconds since an imaginary boot
    RunLoop runLoop_{[this] { return now_; }};
    Window window_;
    Accelerometer accelerometer_{runLoop_};
    bool quitAsked_ = false;
    bool canShare_ = false;
    std::optional<std::string> textAnswer_;
    std::string documents_;
    std::string documentsMissing_;
    std::string clipboard_;
};

using HeadlessServices = HeadlessServicesOf<Services>;

}  // namespace gyrelle::platform
