#pragma once

// EAGLView, the one full-screen GL view. It draws the game and turns touches into its
// actions; the rules are the Game's, the files the Keeper's, and everything over the
// picture but the information button and its overlay the Controller's, which gets the
// keys and shakes that reach the view. Its parts, one source file each:
//   Setup.cpp      construction, fixed GL state, framebuffers, the information button
//   Timer.cpp      the frame timer
//   Frame.cpp      one frame: motion step, the picture drawn and shown, the turn step
//   Touch.cpp      the colour pick and the gestures
//   Questions.cpp  the accelerometer's samples and the questions' answers, handed on
//   Settings.cpp   the look the settings ask for, resets logged
#include <GLES/gl.h>

#include <memory>
#include <string>

#include "control/Controller.h"
#include "overlay/InfoView.h"
#include "platform/Button.h"
#include "platform/Platform.h"
#include "platform/View.h"
#include "view/CubeRenderer.h"

namespace gyrelle {

class EAGLView : public platform::View,
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

    // The session this view shows and plays, the controller's.
    // The game shown: a replay's while one is open.
    Game& game() { return controller_->shownGame(); }
    const Game& game() const { return controller_->shownGame(); }
    Controller& controller() { return *controller_; }
    const Controller& controller() const { return *controller_; }

    // Frame timer: one drawView per tick.
    void startAnimation();
    void stopAnimation();
    void setAnimationInterval(double interval);

    // Surface: new framebuffers at the layer's size, and a frame.
    void layoutSubviews() override;

    // Frame. The picture of a frame that changed anything is drawn straight into the
    // window and presented. Between frames (the timer stopped) it is kept in a texture
    // the window shows again whenever it must. The pick's own framebuffer is drawn only
    // when a pick reads it.
    void drawView();
    // The pick's framebuffer holding the last frame's picture, bound for reading.
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

    // Keys, and the wheel: the controller's.
    bool keyDown(const platform::KeyPress& key) override { return controller_->keyDown(key); }
    bool scrollWheel(float lines) override { return controller_->scrollWheel(lines); }
    bool panelShown() const { return controller_->panelShown(); }
    // A panel or a message closes with a touch anywhere, in the bars around the view too.
    bool takesTouchesBeside() const override { return controller_->panelShown(); }

    // Saved state, the controller's keeper's: read back while the view is built; saved as
    // the game is played, soon when the player may be leaving (saveSoon), and at the end
    // (terminate, false when the cube could not be kept).
    void restoreState() { controller_->restoreState(); }
    void saveSoon() { controller_->saveSoon(); }
    bool terminate() { return controller_->terminate(); }

    // What a player sees over the picture, for tests to look at.
    const platform::Button& infoButton() const { return *infoButton_; }
    const InfoView* infoView() const { return infoView_.get(); }

  private:
    explicit EAGLView(platform::Platform& platform);

    void setAnimationTimer(platform::Timer* timer);
    void setupView();
    // The fixed GL state the cube is drawn with, set again before each picture: the
    // window's views are drawn in the same context.
    void applyDrawingState();
    // The picture shown, drawn into the kept picture's texture and handed to the context.
    void keepPicture();
    // The kept picture's framebuffer bound, made when first kept after a layout; false
    // when it cannot be had.
    bool bindPictureFramebuffer();
    bool createFramebuffer();
    // The depth buffer both framebuffers share, made by the first that needs it.
    void attachDepth();
    void destroyFramebuffer();
    // The picture, as the window shows it (look_) or as the pick reads it (Look{}).
    void drawScene(const Look& look);
    // The six letters in the game's font at the picture's size, made when first drawn
    // after a layout; and let go.
    void makeLetters();
    void freeLetters();
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

    // What the game tells the view.
    void cubeReset() override;
    void settingsChanged() override;
    // The overlay closes; the information button comes back.
    void closeOverlay();

    platform::Platform& platform_;
    std::unique_ptr<Controller> controller_;

    // The context; the kept picture's framebuffer, made when first kept after a layout;
    // the pick's, at the first pick. They share the depth buffer.
    std::unique_ptr<platform::GLContext> context_;
    GLint backingWidth = 0;
    GLint backingHeight = 0;
    GLuint pictureTexture_ = 0;
    GLuint pictureFramebuffer_ = 0;
    bool pictureComplete_ = false;
    GLuint viewRenderbuffer = 0;
    GLuint viewFramebuffer = 0;
    GLuint depthRenderbuffer = 0;
    CubeRenderer renderer_;
    Look look_;  // how the window shows the stickers, from the settings
    std::array<LetterTexture, 6> letters_{};
    bool lettersMade_ = false;

    platform::Timer* animationTimer = nullptr;
    double animationInterval = 0;
    // The frame timer is stopped because nothing moves; what moves the cube again
    // starts it (the run loop asks after every pass of events and timers).
    bool resting_ = false;
    long framesDrawn_ = 0;

    // What the framebuffer shows: the cube at a revision, in an orientation. Equal
    // values, equal pixels, so a frame that would draw the same draws nothing.
    struct Shown {
        bool valid = false;          // nothing drawn yet, or not in this look
        unsigned long game = 0;      // the game drawn: the controller's shownGames then
        unsigned long revision = 0;  // its shownRevision drawn
        // The cube and orientation as drawn: a turn steps on after its frame is drawn.
        MagicCube cube;
        Quaternion orientation;
        bool inFramebuffer = false;  // the pick's framebuffer holds this picture
    };
    Shown shown_;

    Gesture gesture_;

    std::unique_ptr<platform::Button> infoButton_;
    std::unique_ptr<InfoView> infoView_;
};

}  // namespace gyrelle
