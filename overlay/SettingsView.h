#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "game/Settings.h"
#include "overlay/InfoView.h"

namespace gyrelle {

// The settings, for F3 and for fingers: one big button a line, each stepping its setting
// on (the colours through the schemes, a face through its colours, a switch on and off);
// every change is made at once, so the cube behind shows it. A touch beside the buttons,
// "Done", or a key the panel does not use closes it.
class SettingsView : public Panel {
  public:
    SettingsView(platform::Rect frame, Settings settings,
                 std::function<void(const Settings&)> change, std::function<void()> done);

    // Each setting's key steps it: C the colours on, L the letters, I the inspection.
    bool keyDown(const platform::KeyPress& key) override;
    // "C colours, L letters, I inspection"
    static std::string keysText();

    const Settings& settings() const { return settings_; }
    platform::Button& schemeButton() const { return *scheme_; }
    // The button of the switch at `flag`.
    platform::Button& switchButton(bool Settings::*flag) const;
    platform::Button& inspectionButton() const { return switchButton(&Settings::inspection); }
    platform::Button& doneButton() const { return *done_; }
    // The faces' buttons, U R F D L B, in the colours shown: a tap steps that face on
    // through the colours offered, in the player's own scheme.
    platform::Button& faceButton(int i) const { return *faces_[i]; }

  private:
    void change(Settings next);
    void step(const SettingRow& row);
    void nextScheme();
    void nextFaceColour(int face);
    void show();
    std::unique_ptr<platform::Button> button(platform::Rect frame, std::function<void()> action);

    Settings settings_;
    std::function<void(const Settings&)> change_;
    std::vector<std::unique_ptr<platform::Button>> buttons_;
    platform::Button* scheme_ = nullptr;
    // Each switch's row and button.
    std::vector<std::pair<const SettingRow*, platform::Button*>> switches_;
    platform::Button* done_;
    platform::Button* faces_[6];
};

}  // namespace gyrelle
