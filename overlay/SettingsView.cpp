#include "overlay/SettingsView.h"

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
    auto add = [&](float y, std::function<void()> action) {
        buttons_.push_back(button({x, y, kWidth, kHeight}, std::move(action)));
        return buttons_.back().get();
    };
    scheme_ = add(60, [this] { nextScheme(); });
    // Six swatches across, 44 points each with 8 between.
    for (int i = 0; i < 6; ++i) {
        buttons_.push_back(button({(frame.width - 6 * 44 - 5 * 8) / 2 + i * 52, 120, 44, 44},
                                  [this, i] { nextFaceColour(homeFaceOf(kFaceLetters[i])); }));
        faces_[i] = buttons_.back().get();
        faces_[i]->setLabel(std::string(1, kFaceLetters[i]));
    }
    letters_ = add(180, [this] { keyDown({platform::Key::Letter, 'l'}); });
    inspection_ = add(240, [this] { keyDown({platform::Key::Letter, 'i'}); });
    makeText({0, 300, frame.width, 90},
             "Inspection: 15 seconds to look after a scramble; the clock starts at the first "
             "turn or when they end. Later than 15 s is +2, later than 17 s a DNF.\n"
             "Keys: C colours, L letters, I inspection.",
             platform::colors::white, {"Arial", 13});
    done_ = add(400, std::move(done));
    done_->setLabel("Done");
    show();
}

void SettingsView::change(Settings next) {
    settings_ = std::move(next);
    show();
    change_(settings_);  // last: it may close this panel
}

void SettingsView::nextScheme() {
    Settings next = settings_;
    next.scheme = static_cast<ColourScheme>((static_cast<int>(next.scheme) + 1) % kColourSchemes);
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

void SettingsView::show() {
    scheme_->setLabel(std::string("Colours: ") + schemeName(settings_.scheme));
    letters_->setLabel(std::string("Sticker letters: ") +
                       (settings_.stickerLetters ? "on" : "off"));
    inspection_->setLabel(std::string("Inspection: ") + (settings_.inspection ? "on" : "off"));
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
    Settings next = settings_;
    switch (key.letter) {
        case 'c':
            nextScheme();
            return true;
        case 'l':
            next.stickerLetters = !next.stickerLetters;
            break;
        case 'i':
            next.inspection = !next.inspection;
            break;
        default:
            return false;
    }
    change(next);
    return true;
}

}  // namespace gyrelle
