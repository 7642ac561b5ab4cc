#include "overlay/SettingsView.h"

#include <algorithm>

namespace gyrelle {

namespace {
// Targets a finger can hit: 48 points high, as the menu's.
constexpr float kHeight = 48, kWidth = 280;
// The faces as the custom colours' keys name them, and their home faces.
constexpr char kFaceLetters[] = "URFDLB";

platform::Color colorOf(Rgb c) {
    return {c.r / 255.0f, c.g / 255.0f, c.b / 255.0f, 1};
}
}  // namespace

std::unique_ptr<platform::Button> SettingsView::button(platform::Rect frame,
                                                       std::function<void()> action) {
    auto b = std::make_unique<platform::Button>(platform::Button::Style::Text, frame);
    b->setAction(std::move(action));
    addSubview(b.get());
    return b;
}

SettingsView::SettingsView(platform::Rect frame, Settings settings,
                           std::function<void(const Settings&)> change, std::function<void()> done)
    : Panel(frame), settings_(std::move(settings)), change_(std::move(change)) {
    makeText({0, 10, frame.width, 35}, "Settings", platform::colors::yellow, {"Arial", 28})
        ->setTextAlignment(platform::TextAlignment::Center);
    const float x = (frame.width - kWidth) / 2;
    // A line of 60 points each, as many as leave room for the words and Done; the buttons
    // as tall as the lines leave, never less than a finger's 44.
    constexpr float kDoneTop = 408, kLeastWords = 80;
    const float lines = static_cast<float>(settingRows().size());
    const float apart = std::min(60.0f, (kDoneTop - kLeastWords - 60) / lines);
    const float tall = std::max(44.0f, std::min(kHeight, apart - 3));
    auto add = [&](float y, std::function<void()> action) {
        buttons_.push_back(button({x, y, kWidth, tall}, std::move(action)));
        return buttons_.back().get();
    };
    float y = 60;
    std::string words;
    for (const SettingRow& row : settingRows()) {
        switch (row.kind) {
            case SettingRow::Kind::Scheme:
                scheme_ = add(y, [this] { nextScheme(); });
                break;
            case SettingRow::Kind::FaceColours:
                // Six swatches across, 44 points each with 8 between.
                for (int i = 0; i < 6; ++i) {
                    buttons_.push_back(
                        button({(frame.width - 6 * 44 - 5 * 8) / 2 + i * 52, y, 44, 44},
                               [this, i] { nextFaceColour(homeFaceOf(kFaceLetters[i])); }));
                    faces_[i] = buttons_.back().get();
                    faces_[i]->setLabel(std::string(1, kFaceLetters[i]));
                }
                break;
            case SettingRow::Kind::Switch:
            case SettingRow::Kind::Choice:
                switches_.emplace_back(&row, add(y, [this, &row] { step(row); }));
                break;
        }
        if (row.note) {
            words += std::string(row.label) + ": " + row.note + "\n";
        }
        y += apart;
    }
    makeText({0, y, frame.width, kDoneTop - y}, words + "Keys: " + keysText() + ".",
             platform::colors::white, {"Arial", 13});
    done_ = add(kDoneTop, std::move(done));
    done_->setLabel("Done");
    show();
}

std::string SettingsView::keysText() {
    std::string text;
    for (const SettingRow& row : settingRows()) {
        if (row.panelKey) {
            text += (text.empty() ? "" : ", ") +
                    std::string(1, static_cast<char>(row.panelKey - 'a' + 'A')) + " " + row.keyWord;
        }
    }
    return text;
}

platform::Button& SettingsView::switchButton(bool Settings::*flag) const {
    for (const auto& [row, button] : switches_) {
        if (row->flag == flag) {
            return *button;
        }
    }
    return *done_;
}

void SettingsView::change(Settings next) {
    settings_ = std::move(next);
    show();
    change_(settings_);  // last: it may close this panel
}

void SettingsView::nextScheme() {
    Settings next = settings_;
    next.scheme = static_cast<ColourScheme>((static_cast<int>(next.scheme) + 1) % schemeCount());
    change(next);
}

void SettingsView::nextFaceColour(int face) {
    const auto& choices = faceColourChoices();
    const Rgb now = schemeColours(settings_.scheme, settings_.faceColours)[face];
    size_t at = choices.size() - 1;  // a colour not among them steps to the first
    for (size_t i = 0; i < choices.size(); ++i) {
        if (choices[i].second == now) {
            at = i;
        }
    }
    Settings next = settings_;
    if (next.scheme != ColourScheme::Custom) {  // my colours begin as those shown
        next.faceColours = schemeColours(next.scheme, next.faceColours);
        next.scheme = ColourScheme::Custom;
    }
    next.faceColours[face] = choices[(at + 1) % choices.size()].second;
    change(next);
}

void SettingsView::step(const SettingRow& row) {
    if (row.kind == SettingRow::Kind::Scheme) {
        nextScheme();
    } else if (row.flag) {
        Settings next = settings_;
        next.*row.flag = !(next.*row.flag);
        change(next);
    } else if (row.choice) {
        Settings next = settings_;
        const auto choices = row.choices();
        next.*row.choice = static_cast<int>(
            (static_cast<size_t>(&choiceOf(row, next) - choices.data()) + 1) % choices.size());
        change(next);
    }
}

void SettingsView::show() {
    scheme_->setLabel(std::string("Colours: ") + schemeName(settings_.scheme));
    for (const auto& [row, button] : switches_) {
        button->setLabel(std::string(row->label) + ": " +
                         (row->choice            ? choiceOf(*row, settings_).name
                          : settings_.*row->flag ? "on"
                                                 : "off"));
    }
    const std::array<Rgb, 6> colours = schemeColours(settings_.scheme, settings_.faceColours);
    for (int i = 0; i < 6; ++i) {
        const Rgb c = colours[homeFaceOf(kFaceLetters[i])];
        // The letter dark on a light face: the mean of the channels is enough here.
        const bool light = c.r + c.g + c.b > 3 * 140;
        faces_[i]->setFaceColor(colorOf(c),
                                light ? platform::colors::black : platform::colors::white);
    }
}

bool SettingsView::keyDown(const platform::KeyPress& key) {
    if (key.ctrl || key.alt || key.key != platform::Key::Letter) {
        return false;
    }
    for (const SettingRow& row : settingRows()) {
        if (row.panelKey && row.panelKey == key.letter) {
            step(row);
            return true;
        }
    }
    return false;
}

}  // namespace gyrelle
