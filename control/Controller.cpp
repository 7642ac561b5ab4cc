// The controller's construction, the game's files through its keeper, shakes, and the
// answers to the questions it asks.
#include "control/Controller.h"

namespace gyrelle {

namespace {
const platform::Rect kScreen{0, 0, 320, 480};
// The undo button in the lower left corner.
const platform::Rect kUndoButtonFrame{0, 455, 25, 25};
// The menu in the right end of the strip above the cube, as high as the strip.
const platform::Rect kMenuButtonFrame{284, 0, 36, 24};

constexpr double kFilterFactor = 0.1;     // weight of a new sample in the gravity estimate
constexpr double kFilterKeep = 0.9;       // weight of the estimate so far
constexpr double kShakeThreshold = 2.25;  // gravity-free acceleration, in units of gravity
constexpr double kShakeInterval = 0.75;   // seconds between accepted shakes
}  // namespace

Controller::Controller(platform::Services& services, platform::View& surface,
                       platform::AlertViewDelegate& questions)
    : services_(services), surface_(surface), questions_(questions) {
    undoButton_ =
        std::make_unique<platform::Button>(platform::Button::Style::Undo, kUndoButtonFrame);
    undoButton_->setBackgroundColor(platform::colors::black);
    undoButton_->setAction([this] { perform({Command::Kind::Undo}); });  // which stops solve-for-me
    menuButton_ =
        std::make_unique<platform::Button>(platform::Button::Style::Menu, kMenuButtonFrame);
    menuButton_->setBackgroundColor(platform::colors::black);
    menuButton_->setAction([this] { showMenu(); });
    surface_.addSubview(menuButton_.get());
    makeToolbar();
    services_.onFileDropped([this](platform::ByteSource& bytes, const std::string& problem) {
        importRecords(bytes, problem);
    });
    hintMark_ = std::make_unique<HintMark>(kScreen);
    statusStrip_ = std::make_unique<StatusStrip>(kScreen.width);
    game_.addListener(this);
    coach_.addListener(this);
}

Controller::~Controller() {
    services_.onFileDropped({});
    if (statusTimer_) {
        statusTimer_->invalidate();
    }
    keeper_.reset();
    coach_.removeListener(this);
    game_.removeListener(this);
}

void Controller::restoreState() {
    std::string why;
    const std::string dir = services_.documentsDirectory(why);
    platform::Services& services = services_;
    keeper_ = std::make_unique<store::Keeper>(game_, services_.runLoop(), dir, why,
                                              [&services] { services.documentsWritten(); });
    keeper_->restore();
    const std::string refusal = keeper_->refusal();
    if (keeper_->lockedElsewhere() || !refusal.empty()) {
        auto question = std::make_unique<platform::AlertView>(
            "",
            refusal.empty() ? "Gyrelle is already open with this folder. Play here without saving?"
                            : "Gyrelle saves nothing while " + refusal +
                                  ": remove it to keep your game. Play without saving?",
            &questions_, "Quit", "Play");
        folderQuestion_ = question.get();
        services_.window().showAlert(std::move(question));
    }
    showSolveStatus();
    updateUndoButton();
}

void Controller::saveSoon() {
    keeper_->saveSoon();
}

bool Controller::terminate() {
    return keeper_->saveNow();
}

void Controller::shake(const platform::Acceleration& a) {
    const double sample[3] = {a.x, a.y, a.z};
    double d[3];
    for (int i = 0; i < 3; ++i) {
        myAccelerometer[i] = sample[i] * kFilterFactor + myAccelerometer[i] * kFilterKeep;
        d[i] = sample[i] - myAccelerometer[i];
    }
    const double length = std::sqrt((d[0] * d[0] + d[1] * d[1]) + d[2] * d[2]);
    if (std::isnan(length) || length < kShakeThreshold) {
        return;
    }
    if (!(services_.absoluteTime() > lastTime + kShakeInterval) || replay_ || trainer_) {
        return;  // a replay's cube only plays what was played; the trainer's is not the game's
    }
    game_.newGame();
    lastTime = services_.absoluteTime();
}

void Controller::resetAsked() {
    services_.window().showAlert(std::make_unique<platform::AlertView>(
        "", "Do you want to reset the cube?", &questions_, "No", "Yes"));
}

void Controller::answered(const platform::AlertView& alert, int index) {
    if (&alert != folderQuestion_) {
        game_.answerReset(index == 1);
        return;
    }
    folderQuestion_ = nullptr;
    if (index == 0) {
        services_.quit();
    }
}

void Controller::copied(const std::string& code) {
    services_.setClipboardText(code);
}

void Controller::settingsChanged() {
    const Rgb mark = hintMarkColour(game_.settings().scheme);
    hintMark_->setColor({mark.r / 255.0f, mark.g / 255.0f, mark.b / 255.0f, 1});
    showSolveStatus();
}

void Controller::setOverlayShown(bool shown) {
    overlayShown_ = shown;
    updateUndoButton();
}

}  // namespace gyrelle
