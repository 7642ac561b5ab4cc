#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Painter.h"
#include "platform/View.h"

namespace gyrelle {

struct Font {
    const char* name;
    float size;
};

// A read-only block of text on black.
class InfoText : public platform::View {
  public:
    explicit InfoText(platform::Rect frame);

    void setTextColor(platform::Color c) { color_ = c; }
    void setText(std::string text) { text_ = std::move(text); }
    void setFont(Font font) { font_ = font; }
    void setTextAlignment(platform::TextAlignment a) { alignment_ = a; }
    const std::string& text() const { return text_; }
    platform::Color textColor() const { return color_; }
    Font font() const { return font_; }
    platform::TextAlignment textAlignment() const { return alignment_; }

    void drawContent(platform::Painter& painter) const override;
    // A touch that ends here is the overlay's.
    void touchesEnded(const platform::TouchSet& touches, const platform::Event& event) override;

  private:
    std::string text_;
    platform::Color color_ = platform::colors::white;
    Font font_{"Arial", 12};
    platform::TextAlignment alignment_ = platform::TextAlignment::Left;
};

// The information overlay: title, maker line and instructions over the dimmed cube.
class InfoView : public platform::View {
  public:
    explicit InfoView(platform::Rect frame);

    InfoText* makeText(platform::Rect frame, std::string text, platform::Color color, Font font);
    const std::vector<std::unique_ptr<InfoText>>& texts() const { return texts_; }

    // Passed on to the GL view, which closes the overlay.
    void touchesEnded(const platform::TouchSet& touches, const platform::Event& event) override;

  private:
    std::vector<std::unique_ptr<InfoText>> texts_;
};

}  // namespace gyrelle
