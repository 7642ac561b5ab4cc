#pragma once

#include <functional>
#include <string>

#include "platform/View.h"

namespace gyrelle::platform {

// A control that acts when a touch that began on it ends on it (touch-up-inside).
class Button : public View {
  public:
    enum class Style {
        InfoLight,  // a white "i" in a circle
        Undo,       // a white arrow curving back, in the same size and weight
        Text,       // a label on a plain face
        Menu,       // three white bars: more is behind it
    };

    Button(Style style, Rect frame, std::string label = {})
        : View(frame), style_(style), label_(std::move(label)) {}

    void setAction(std::function<void()> action) { action_ = std::move(action); }
    const std::string& label() const { return label_; }
    void setLabel(std::string label) {
        label_ = std::move(label);
        setNeedsDisplay();
    }
    // A Text button's label size (points), face and label colours.
    void setLabelSize(float size) { labelSize_ = size; }
    void setFaceColor(Color face, Color label) {
        face_ = face;
        labelColor_ = label;
        setNeedsDisplay();
    }
    const Color& faceColor() const { return face_; }

    bool isTouchTarget() const override { return true; }
    void touchesBegan(const TouchSet&, const Event&) override { tracking_ = true; }
    void touchesEnded(const TouchSet& touches, const Event& event) override;
    void drawContent(Painter& painter) const override;

  private:
    Style style_;
    std::string label_;
    std::function<void()> action_;
    bool tracking_ = false;
    float labelSize_ = 17;
    Color face_{0.32f, 0.34f, 0.4f, 1};
    Color labelColor_{1, 1, 1, 1};
};

}  // namespace gyrelle::platform
