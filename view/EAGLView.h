#pragma once

// EAGLView, the one full-screen GL view. It turns touches, keys and shakes into the
// game's actions and draws the game; the rules are the Game's, the files the Keeper's.
// Its parts, one source file each:
//   Setup.cpp     construction, fixed GL state, framebuffers, the information button
//   Timer.cpp     the frame timer
//   Frame.cpp     one frame: motion step, the picture drawn and shown, the turn step
//   Touch.cpp     the colour pick and the gestures
//   Shake.cpp     the accelerometer's shake and the questions' answers
//   Keyboard.cpp  keys and the panels they open
//   Status.cpp    what the game tells: the undo button, the solve's words, the title
//   Hint.cpp      the hint's words and mark, the menu of what keys do on a phone
//   Settings.cpp  the look the settings ask for, and their panel
//   Toolbar.cpp   the buttons for every action, in the space beside the picture
#include <GLES/gl.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/Commands.h"
#include "game/Game.h"
#include "overlay/HintMark.h"
#include "overlay/InfoView.h"
#include "overlay/StatusStrip.h"
#include "platform/Button.h"
#include "platform/Platform.h"
#include "platform/View.h"
#include "store/Keeper.h"
#include "view/CubeRenderer.h"

namespace gyrelle {

class EAGLView : public platform::View,
                 public platform::PictureSource,
                 public platform::AccelerometerDelegate,
                 public platform::AlertViewDelegate,
                 private Game::Listener {
  public:
    // The phone's screen: the view's size in points wherever it runs.
    static constexpr platform::Size kScreenPoints{320, 480};
    static constexpr double kActiveInterval = 1.0 / 60.0;  // seconds per frame
    static constexpr double kInactiveInterval = 0.2;
    // Pi as the game has always taken it between radians and degrees.
    static constexpr double kPi = 3.14159;

    // The view on `platform`, its game read back from the platform's documents folder;
    // null when no OpenGL ES 1.x context can be had.
    static std::unique_ptr<EAGLView> create(platform::Platform& platform);
    ~EAGLView() override;

    // The session this view shows and plays.
    Game& game() { return game_; }
    const Game& game() const { return game_; }

    // Frame timer: one drawView per tick.
    void startAnimation();
    void stopAnimation();
    void setAnimationInterval(double interval);

    // Surface: new framebuffers at the layer's size, and a frame.
    void layoutSubviews() override;

    // Frame. The picture of the last frame is drawn straight into the window (again
    // whenever the window needs it), and into the view's framebuffer only when a pick
    // reads it.
    void drawView();
    void drawPicture() override;
    // The view's framebuffer holding the last frame's picture, bound for reading.
    void pickPicture();
    // Nothing moves and the picture shown is the game as it is: a tick would do nothing.
    bool still() const;
    // The picture's size in pixels (0 x 0 before the first layout).
    platform::Size backingSize() const { return {backingWidth, backingHeight}; }
    // Frames drawn; a tick whose picture would not change draws none.
    long framesDrawn() const { return framesDrawn_; }

    // Touch.
    void touchesBegan(const platform::TouchSet& touches, const platform::Event& event) override;
    void touchesMoved(const platform::TouchSet& touches, const platform::Event& event) override;
    void touchesEnded(const platform::TouchSet& touches, const platform::Event& event) override;
    // The face normal (cube frame) that points most nearly up on the screen; false,
    // with nothing written, when the orientation holds no numbers.
    bool determineAxisLockAxis(float* axis);
    // The rotation from direction `from` to direction `to`: axis (not normalised) and angle.
    static void fromVecToVec(const float* from, const float* to, float* axis, float* angle);

    // The touch gesture in progress, from its touch start to its touch end.
    struct Gesture {
        // Set at every touch start; the next movement event only clears it.
        signed char bFirstTouch = 0;
        // One finger began the gesture; cleared once a movement sees two on the view.
        signed char bSingleTouch = 0;
        // The gesture has made its slice turn: everything else of it is ignored.
        signed char bTouchesIgnore = 0;
        // Red, green, blue, alpha under the finger at touch start, and at the latest
        // swipe movement or the release.
        unsigned char rgbTouchStart[4] = {};
        unsigned char rgbTouchEnd[4] = {};
        // The sticker slot under the finger at touch start, or -1.
        int stickerStart = 0;
        // When the latest whole-cube step moved the cube (run-loop seconds).
        double movedAt = 0;
    };
    const Gesture& gesture() const { return gesture_; }

    // Shake, and the answers to the questions the view asks.
    void accelerometerDidAccelerate(const platform::Acceleration& sample) override;
    void alertViewClickedButtonAtIndex(platform::AlertView& alert, int index) override;

    // The information button's action: opens the overlay.
    void infoButtonCB();

    // Keys: what commandOf makes of them; while a panel shows, any key closes it.
    bool keyDown(const platform::KeyPress& key) override;
    // The wheel scrolls what a panel shows.
    bool scrollWheel(float lines) override { return panel_ && panel_->scrollWheel(lines); }
    bool panelShown() const { return panel_ != nullptr; }
    // A panel or a message closes with a touch anywhere, in the bars around the view too.
    bool takesTouchesBeside() const override { return panel_ != nullptr; }

    // Saved state: read back while the view is built; saved as the game is played, soon
    // when the player may be leaving (saveSoon), and at the end (terminate, false when
    // the cube could not be kept).
    void restoreState();
    void saveSoon();
    bool terminate();

    // What a player sees over the picture, for tests to look at.
    const platform::Button& infoButton() const { return *infoButton_; }
    const platform::Button& undoButton() const { return *undoButton_; }
    const platform::Button& menuButton() const { return *menuButton_; }
    // New game, undo, redo, hint, solve, scramble, records, settings, help: in the
    // window's bars where there is room (then subviews), else behind the menu button.
    const std::vector<std::unique_ptr<platform::Button>>& toolbar() const { return toolbar_; }
    const InfoView* infoView() const { return infoView_.get(); }
    const StatusStrip& statusStrip() const { return *statusStrip_; }
    const HintMark& hintMark() const { return *hintMark_; }
    // The key that turns face slot `face` as it lies on the screen now: F B U D R L.
    char keyOfFace(int face) const;

  private:
    explicit EAGLView(platform::Platform& platform);

    void setAnimationTimer(platform::Timer* timer);
    void setupView();
    // The fixed GL state the cube is drawn with, set again before each picture: the
    // window's views are drawn in the same context.
    void applyDrawingState();
    bool createFramebuffer();
    void destroyFramebuffer();
    // The picture, as the window shows it (look_) or as the pick reads it (Look{}).
    void drawScene(const Look& look);
    void drawCube(const Look& look);
    bool pictureShown() const;
    void restIfStill();
    void wakeIfMoving();

    // Reads the pixel under the touch from the last frame into rgba.
    void colourPick(const platform::Touch& touch, unsigned char* rgba);
    void swipeStep(const platform::Touch& touch);
    void backgroundDragStep(float dx, float dy);
    void twistStep(int c);
    void inScreenAxisDragStep(float dx, float dy, float sx, float sy, int n);
    void keepAsLastStep(const Quaternion& qdelta, bool premultiply);
    void makeTop(const platform::Touch& touch);

    // The panel of keys (F1), the records (F2) or a short message; any key or touch
    // closes it.
    void showPanel(std::unique_ptr<Panel> panel);
    void closePanel();
    void paste();

    // What the game tells.
    void cubeReset() override;
    void resetAsked() override;
    void historyChanged() override;
    void solveChanged() override;
    void solved(const Solve& record, bool best) override;
    void copied(const std::string& code) override;
    void hinted(int face, int power, int remaining) override;
    void thinkingChanged() override;
    void settingsChanged() override;
    // The hint's mark over the face it turns, as the cube lies now.
    void placeHintMark();
    void nameHint();
    void hideHint();
    // What a command does, by key, button or menu alike.
    void perform(const Command& command);
    bool offers(const CommandRow& row) const;
    void showKeys();
    void makeToolbar();
    void placeToolbar();
    void showMenu();
    void showSettings();
    void showRecords();
    void importRecords(platform::ByteSource& bytes, const std::string& problem = {});
    void say(const std::string& words);
    // The strip, the title and the clock's timer as the solve now is.
    void showSolveStatus();
    void updateUndoButton();

    platform::Platform& platform_;
    Game game_;
    std::unique_ptr<store::Keeper> keeper_;

    // The context and the pick's framebuffer, made at the first pick after a layout.
    std::unique_ptr<platform::GLContext> context_;
    GLint backingWidth = 0;
    GLint backingHeight = 0;
    GLuint viewRenderbuffer = 0;
    GLuint viewFramebuffer = 0;
    GLuint depthRenderbuffer = 0;
    CubeRenderer renderer_;
    Look look_;  // how the window shows the stickers, from the settings

    platform::Timer* animationTimer = nullptr;
    double animationInterval = 0;
    // The frame timer is stopped because nothing moves; what moves the cube again
    // starts it (the run loop asks after every pass of events and timers).
    bool resting_ = false;
    long framesDrawn_ = 0;

    // What the framebuffer shows: the cube at a revision, in an orientation. Equal
    // values, equal pixels, so a frame that would draw the same draws nothing.
    struct Shown {
        bool valid = false;  // nothing drawn yet
        unsigned long cubeRevision = 0;
        float rotation[4] = {};
        // The cube and orientation as drawn: a turn steps on after its frame is drawn.
        MagicCube cube;
        Quaternion orientation;
        bool inFramebuffer = false;  // the pick's framebuffer holds this picture
    };
    Shown shown_;

    Gesture gesture_;
    // Not the accelerometer: the running estimate of gravity that a shake stands out
    // from (x, y, z in g). And the time the last accepted shake was acted on.
    double myAccelerometer[3] = {};
    double lastTime = -HUGE_VAL;

    std::unique_ptr<platform::Button> infoButton_;
    std::unique_ptr<InfoView> infoView_;
    // In the lower left corner while there is something to undo.
    std::unique_ptr<platform::Button> undoButton_;
    // In the top strip's right end: the menu of what keys do, for fingers.
    std::unique_ptr<platform::Button> menuButton_;
    std::vector<std::unique_ptr<platform::Button>> toolbar_;
    std::unique_ptr<Panel> panel_;
    // Asked at start when another game has the folder: quit, or play without saving.
    const platform::AlertView* folderQuestion_ = nullptr;

    // The solve's line at the top, and how the last solve ended, shown for a while.
    std::unique_ptr<StatusStrip> statusStrip_;
    platform::Timer* statusTimer_ = nullptr;  // while there are words to show
    std::string result_;
    double resultUntil_ = 0;
    // The hint: its words and the face it marks (-1 for none), until the cube changes.
    std::string hint_;
    int hintFace_ = -1;
    int hintPower_ = 0;
    int hintRemaining_ = 0;
    char hintKey_ = 0;  // the key that turns that face now
    std::unique_ptr<HintMark> hintMark_;
};

}  // namespace gyrelle
