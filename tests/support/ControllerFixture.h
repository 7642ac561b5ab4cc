#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "control/Controller.h"
#include "platform/TouchDispatcher.h"
#include "platform/headless/HeadlessServices.h"
#include "tests/support/Cubes.h"

namespace gyrelle::testing {

// The controller over a plain view standing in for the GL view: no GL, no picture, the
// window's keys and fingers as the platform would give them, and frames that step the
// game as the view's would.
class ControllerTest : public ::testing::Test {
  protected:
    // What the GL view hands the controller: keys, the touch that closes a panel, the
    // answers to its questions.
    class Surface : public platform::View,
                    public platform::AlertViewDelegate,
                    public platform::AccelerometerDelegate {
      public:
        Surface() : View({0, 0, 320, 480}) {}
        void accelerometerDidAccelerate(const platform::Acceleration& sample) override {
            controller->shake(sample);
        }
        bool keyDown(const platform::KeyPress& key) override { return controller->keyDown(key); }
        void touchesEnded(const platform::TouchSet&, const platform::Event&) override {
            controller->closePanelOnTouch();
        }
        void alertViewClickedButtonAtIndex(platform::AlertView& alert, int index) override {
            controller->answered(alert, index);
        }
        Controller* controller = nullptr;
    };

    void SetUp() override {
        services.window().setContentView(&surface);
        controller = std::make_unique<Controller>(services, surface, surface);
        surface.controller = controller.get();
        controller->restoreState();
        services.accelerometer().setUpdateInterval(0.04);  // 25 samples a second, as the view's
        services.accelerometer().setDelegate(&surface);
        touches = std::make_unique<platform::TouchDispatcher>(services.window());
    }
    void TearDown() override {
        services.accelerometer().setDelegate(nullptr);
        services.window().forgetDelegate(&surface);
    }

    void tap(platform::Point p) {
        platform::TouchDispatcher::Change c{1, p, 1};
        touches->began(&c, 1);
        touches->ended(&c, 1);
    }
    void press(char letter, bool shift = false, bool ctrl = false) {
        services.window().keyDown({platform::Key::Letter, letter, shift, ctrl});
    }
    void press(platform::Key key) { services.window().keyDown({key}); }
    // A frame's steps of the game shown (a replay's while one is open), as the view takes
    // them.
    void frame() {
        Game& shown = controller->shownGame();
        shown.stepMotion();
        controller->cubeMoved();
        shown.stepTurn(services.now());
    }
    // Frames a sixtieth of a second apart.
    void frames(int n) {
        for (int i = 0; i < n; ++i) {
            frame();
            services.advance(1.0 / 60);
        }
    }
    // Frames from the clock, sixty a second, as the application has them.
    void startFrames() {
        services.runLoop().scheduledTimer(1.0 / 60, [this] { frame(); });
    }
    // The panel in front, if any.
    const Panel* panel() { return dynamic_cast<const Panel*>(surface.subviews().back()); }

    Game& game() { return controller->game(); }
    Coach& coach() { return controller->coach(); }
    const MagicCube& cube() { return controller->game().cube(); }

    platform::HeadlessServices services{{320, 480}};
    Surface surface;
    std::unique_ptr<Controller> controller;
    std::unique_ptr<platform::TouchDispatcher> touches;
};

}  // namespace gyrelle::testing
