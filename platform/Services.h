#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/Accelerometer.h"
#include "platform/AlertView.h"
#include "platform/Files.h"
#include "platform/Keys.h"
#include "platform/RunLoop.h"

namespace gyrelle::platform {

// What the game needs from the system it runs on, but for drawing: a desktop window
// (sdl/), a browser's page (web/), or no display at all for tests (headless/).
class Services {
  public:
    // A file's bytes, to be read a piece at a time; or why it could not be had (then
    // none).
    using FileTaker = std::function<void(ByteSource& bytes, const std::string& problem)>;
    // The most bytes of a file taken: as much as any records are made from.
    static constexpr long kLargestFileTaken = 100L * 1024 * 1024;
    virtual ~Services() = default;

    virtual RunLoop& runLoop() = 0;
    // Where the game keeps its files; empty when it has nowhere to keep them, with
    // `why` saying so unless that is by design.
    virtual std::string documentsDirectory(std::string& why) = 0;
    // The window's root view; the GL view is its content.
    virtual Window& window() = 0;
    virtual Accelerometer& accelerometer() = 0;
    // The system's clipboard, as text.
    virtual std::string clipboardText() = 0;
    virtual void setClipboardText(const std::string& text) = 0;
    // The game's files were written: where storage keeps them only when told (a
    // browser's), they are kept now.
    virtual void documentsWritten() {}
    // The player asked to end the game: the loop ends as when the window is closed (a
    // page cannot close itself, and goes on).
    virtual void quit() {}
    // A position sent to others: the system's share sheet, else the clipboard, with the
    // page's address (a browser's); the bare code on the clipboard (the desktop's). Returns
    // the words the view should say, or nothing when the platform says it itself.
    virtual bool canShare() const { return false; }
    virtual std::string share(const std::string& code) {
        (void)code;
        return {};
    }
    // A solve's replay or a scramble to race on sent the same way: `fragment`
    // ("replay=...", "scramble=...") after the page's address and '#', or on the desktop's
    // clipboard after '#'.
    virtual std::string shareFragment(const std::string& fragment) {
        (void)fragment;
        return {};
    }
    // A line of text asked of the player where the platform has a way of its own (a
    // browser's prompt, with the phone's keyboard): true, and the answer (empty for none)
    // given to `answer`; false where it has none.
    virtual bool askText(const std::string& question, const std::string& initial,
                         std::function<void(std::string)> answer) {
        (void)question;
        (void)initial;
        (void)answer;
        return false;
    }
    // Files given to the player and taken from them: a browser's download and its file
    // chooser; on the desktop a file written among the player's downloads, and a file
    // dropped on the window. Each returns the words the view should say, if any; the
    // bytes of a file taken come to `take`. Files dropped come to `dropped` at any time.
    virtual bool exchangesFiles() const { return false; }
    virtual std::string offerFile(const std::string& name, const std::string& text) {
        (void)name;
        (void)text;
        return {};
    }
    virtual std::string askForFile(FileTaker take) {
        (void)take;
        return {};
    }
    virtual void onFileDropped(FileTaker dropped) { (void)dropped; }
    // A line for the player beside the picture (a browser's status line), as well as any
    // message the view shows; nothing where there is none.
    virtual void tell(const std::string& text) { (void)text; }
    virtual Keyboard keyboard() const { return Keyboard::Desktop; }
    // Seconds on a clock that only moves forward.
    double absoluteTime() { return runLoop().now(); }
};

}  // namespace gyrelle::platform
