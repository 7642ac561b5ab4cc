#pragma once

#include <memory>
#include <string>

#include "platform/Button.h"

namespace gyrelle::platform {

class AlertView;

class AlertViewDelegate {
  public:
    virtual ~AlertViewDelegate() = default;
    virtual void alertViewClickedButtonAtIndex(AlertView& alert, int index) = 0;
};

// A question with a cancel button (index 0) and one more (index 1). Once shown, the
// window keeps it until it is answered.
class AlertView : public View {
  public:
    AlertView(std::string title, std::string message, AlertViewDelegate* delegate,
              std::string cancelButton, std::string otherButton);

    const std::string& title() const { return title_; }
    const std::string& message() const { return message_; }
    const Button& button(int index) const { return index == 0 ? cancel_ : other_; }
    // Answers as a click on the button would.
    void clickButton(int index);

    void drawContent(Painter& painter) const override;

  private:
    friend class Window;
    std::string title_;
    std::string message_;
    AlertViewDelegate* delegate_;
    Button cancel_;
    Button other_;
    class Window* window_ = nullptr;
};

// The window's root view: the content view first, questions on top of it.
class Window : public View {
  public:
    explicit Window(Size points);
    const Window* asWindow() const override { return this; }

    void setContentView(View* view);
    View* contentView() const { return content_; }

    void showAlert(std::unique_ptr<AlertView> alert);
    // The questions on screen, front-most last.
    int alertCount() const { return static_cast<int>(alerts_.size()); }
    AlertView* frontAlert() const { return alerts_.empty() ? nullptr : alerts_.back().get(); }
    // Frees answered questions; call between events, when no finger can be on one.
    void collectAnswered();
    // Questions asked by a delegate that is going away are answered by nobody.
    void forgetDelegate(AlertViewDelegate* delegate);
    // A question on screen takes every key (y or Return answers Yes, n or Escape No);
    // otherwise the content view gets it.
    bool keyDown(const KeyPress& key) override;
    // Likewise the wheel: to the content view unless a question shows.
    bool scrollWheel(float lines) override {
        return alerts_.empty() && content_ && content_->scrollWheel(lines);
    }
    // Likewise every touch: one outside the question reaches nothing. A button is hit
    // within its touch area (below), also where that reaches past the window's points.
    View* hitTest(Point p) override;

    // Where a finger can land, in the window's points (the drawable, letterbox bars and
    // all), and the least side of a touch target there, in points.
    void setTouchReach(Rect reach, float leastSide) {
        reach_ = reach;
        leastSide_ = leastSide;
    }
    const Rect& touchReach() const { return reach_; }
    float leastTouchSide() const { return leastSide_; }
    // Where a touch hits `button` (a subview, at any depth), in the window's points: its
    // frame grown to the least side about its centre, then moved to lie within reach.
    Rect touchArea(const View& button) const;

    void subviewNeedsDisplay() override { ++displayGeneration_; }
    void didRemoveSubview(View* view) override {
        if (view == content_) {
            content_ = nullptr;
        }
    }
    // Changes whenever anything in the window needs compositing again.
    unsigned displayGeneration() const { return displayGeneration_; }

    // Words the title bar shows before the game's name (a task bar shows them too), in
    // ASCII: the window system takes other characters only in a UTF-8 locale, which the
    // game does not set.
    void setSubtitle(std::string words) {
        if (words != subtitle_) {
            subtitle_ = std::move(words);
            ++titleGeneration_;
        }
    }
    const std::string& subtitle() const { return subtitle_; }
    unsigned titleGeneration() const { return titleGeneration_; }

  private:
    friend class AlertView;
    void answered(AlertView* alert);

    // The button of `container`'s whose touch area holds `p` (window points), the nearest
    // by its centre where areas overlap.
    View* touchTargetAt(const View& container, Point p) const;

    View* content_ = nullptr;
    Rect reach_;
    float leastSide_ = 0;
    unsigned displayGeneration_ = 0;
    std::string subtitle_;
    unsigned titleGeneration_ = 0;
    std::vector<std::unique_ptr<AlertView>> alerts_;
    std::vector<std::unique_ptr<AlertView>> answered_;
};

}  // namespace gyrelle::platform
