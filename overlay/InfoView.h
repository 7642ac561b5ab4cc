#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Button.h"
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
    // A touch that ends here is the panel's.
    void touchesEnded(const platform::TouchSet& touches, const platform::Event& event) override;

  private:
    std::string text_;
    platform::Color color_ = platform::colors::white;
    Font font_{"Arial", 12};
    platform::TextAlignment alignment_ = platform::TextAlignment::Left;
};

// A full-screen panel of text blocks over the dimmed cube; a touch that ends on it is
// passed on to the GL view, which closes it.
class Panel : public platform::View {
  public:
    // The information overlay lets the cube show through; a panel to read over bright
    // stickers barely does.
    static constexpr float kSeenThrough = 0.625f, kReadable = 0.95f;
    explicit Panel(platform::Rect frame, float alpha = kReadable);

    InfoText* makeText(platform::Rect frame, std::string text, platform::Color color, Font font);
    const std::vector<std::unique_ptr<InfoText>>& texts() const { return texts_; }

    void touchesEnded(const platform::TouchSet& touches, const platform::Event& event) override;
    // A message closes with any touch, one on a button beside it too.
    virtual bool closesOnAnyTouch() const { return false; }

  private:
    std::vector<std::unique_ptr<InfoText>> texts_;
};

// The information overlay: title, maker line and instructions.
class InfoView : public Panel {
  public:
    explicit InfoView(platform::Rect frame);
};

// The keys and mouse controls, for F1 and "?": a line for each command, then `after`.
class KeysView : public Panel {
  public:
    struct Line {
        std::string keys, help;
    };
    KeysView(platform::Rect frame, const std::vector<Line>& lines, const std::string& after);
};

// What fingers cannot reach by keys on a phone: one big button a line, each doing its
// action and closing the menu; a touch elsewhere closes it too.
class MenuView : public Panel {
  public:
    struct Item {
        std::string label;
        std::function<void()> action;
    };
    MenuView(platform::Rect frame, std::vector<Item> items);
    const std::vector<std::unique_ptr<platform::Button>>& buttons() const { return buttons_; }

  private:
    std::vector<std::unique_ptr<platform::Button>> buttons_;
};

// One short message, such as why a pasted text is not a cube position.
class MessageView : public Panel {
  public:
    MessageView(platform::Rect frame, std::string message);
    bool closesOnAnyTouch() const override { return true; }
};

}  // namespace gyrelle
