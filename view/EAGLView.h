#pragma once

#include <GLES/gl.h>

#include <cmath>
#include <cstdio>
#include <memory>

#include "cube/History.h"
#include "cube/MagicCube.h"
#include "cube/Solves.h"
#include "math/Quaternion.h"
#include "overlay/InfoView.h"
#include "overlay/StatusStrip.h"
#include "platform/Button.h"
#include "platform/Platform.h"
#include "platform/View.h"
#include "view/CubeRenderer.h"
#include "view/SavedState.h"

namespace gyrelle {

// The one full-screen GL view: it owns the context, the framebuffers, the cube, the
// orientation and the gesture state, and draws one frame per timer tick.
class EAGLView : public platform::View,
                 public platform::PictureSource,
                 public platform::AccelerometerDelegate,
                 public platform::AlertViewDelegate {
  public:
    // The phone's screen: the view's size in points wherever it runs.
    static constexpr platform::Size kScreenPoints{320, 480};
    static constexpr double kActiveInterval = 1.0 / 60.0;  // seconds per frame
    static constexpr double kInactiveInterval = 0.2;
    // Largest whole-cube turn of a make-top per frame, radians (about 9 degrees). The
    // frame compares and subtracts it in double; the double tap builds its step
    // rotation with it as a float.
    static constexpr double kMakeTopStep = 0.1570795;
    // Pi as the game has always taken it between radians and degrees.
    static constexpr double kPi = 3.14159;

    // The view on `platform`, or null when no OpenGL ES 1.x context can be had.
    static std::unique_ptr<EAGLView> create(platform::Platform& platform);
    ~EAGLView() override;

    // Frame timer.
    void startAnimation();
    void stopAnimation();
    void setAnimationTimer(platform::Timer* timer);
    void setAnimationInterval(double interval);

    // Surface.
    void setupView();
    // The fixed GL state the cube is drawn with, set again before each picture: the
    // window's views are drawn in the same context.
    void applyDrawingState();
    void layoutSubviews() override;
    bool createFramebuffer();
    void destroyFramebuffer();

    // Frame. The picture of the last frame is drawn straight into the window (again
    // whenever the window needs it), and into the view's framebuffer only when a pick
    // reads it.
    void drawView();
    void drawCube();
    void drawPicture() override;
    // The view's framebuffer holding the last frame's picture, bound for reading.
    void pickPicture();
    // Nothing moves and the picture shown is the cube as it is: a tick would do nothing.
    bool still() const;

    // Touch.
    void touchesBegan(const platform::TouchSet& touches, const platform::Event& event) override;
    void touchesMoved(const platform::TouchSet& touches, const platform::Event& event) override;
    void touchesEnded(const platform::TouchSet& touches, const platform::Event& event) override;
    // The face normal (cube frame) that points most nearly up on the screen; false,
    // with nothing written, when the orientation holds no numbers.
    bool determineAxisLockAxis(float* axis);
    // The face slot whose normal points most nearly along screen axis 0, 1 or 2 (x right,
    // y up, z toward the viewer) times `sign`; the lower slot on a tie; -1 without numbers.
    int faceTowards(int screenAxis, float sign) const;
    // The rotation from direction `from` to direction `to`: axis (not normalised) and angle.
    static void fromVecToVec(const float* from, const float* to, float* axis, float* angle);

    // Shake.
    void accelerometerDidAccelerate(const platform::Acceleration& sample) override;
    void alertViewClickedButtonAtIndex(platform::AlertView& alert, int index) override;

    // Information overlay.
    void infoButtonCB();

    // Undo and redo of every change of the stickers. While a turn is animating a request
    // waits for it to end (one at most; more are ignored).
    void undo();
    void redo();

    // The keyboard: turns in cube notation, whole-cube turns, undo and redo, a new game,
    // copy and paste of the position, the keys panel.
    bool keyDown(const platform::KeyPress& key) override;
    // What a shake does, for the key that stands in for it: scrambles a solved cube, or
    // asks whether to reset it.
    void newGame();
    // Sets the stickers to the position `code` names, in one undoable step (once a
    // running turn has landed); false, changing nothing, with `problem` saying what is
    // wrong with the code.
    bool setPosition(const std::string& code, std::string& problem);
    // The panel of keys (F1), or a short message; either closes at any key or touch.
    void showPanel(std::unique_ptr<Panel> panel);
    bool panelShown() const { return panel_ != nullptr; }

    // Solves: armed by a scramble, timed from the first turn to the solved cube, shown
    // in the status strip and the title bar, kept in the records file.
    Solves solves;
    std::unique_ptr<StatusStrip> statusStrip;
    // How long the words of a finished solve stay (seconds), and how often the running
    // clock is shown again.
    static constexpr double kResultShown = 5.0;
    static constexpr double kClockInterval = 0.1;
    // The records panel (F2).
    void showRecords();

    // Saved state. terminate saves, whatever changed; false when the cube could not be
    // kept. saveIfChanged saves now if anything did, or as soon as saves may follow.
    bool terminate();
    void restoreState();
    void saveIfChanged();
    // The whole state file's text.
    void writeState(std::FILE* out) const;

    GLint backingWidth = 0;
    GLint backingHeight = 0;
    std::unique_ptr<platform::GLContext> context;
    GLuint viewRenderbuffer = 0;
    GLuint viewFramebuffer = 0;
    GLuint depthRenderbuffer = 0;
    platform::Timer* animationTimer = nullptr;
    double animationInterval = 0;
    Quaternion currentRotation;
    Quaternion qdelta;
    Quaternion qdeltacontinue;
    signed char bContinuePremultiply = 0;
    signed char bContinueToRotate = 0;
    Quaternion qMakeTop;
    float fMakeTopDistance = 0;

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
    };
    Gesture gesture;

    std::unique_ptr<MagicCube> magicCube;
    double myAccelerometer[3] = {};
    // The last accepted shake; far in the past, so the first shake always counts.
    double lastTime = -HUGE_VAL;
    std::unique_ptr<platform::Button> infoButton;
    std::unique_ptr<InfoView> infoView;
    History history;
    // In the lower left corner while there is something to undo.
    std::unique_ptr<platform::Button> undoButton;

    // Frames drawn and presented; a tick whose picture would not change draws none.
    long framesDrawn = 0;
    // The frame timer is stopped because nothing moves; what moves the cube again
    // starts it (the run loop asks after every pass of events and timers).
    bool resting = false;

  private:
    explicit EAGLView(platform::Platform& platform);

    // One step of the whole-cube motion: a make-top step, else the spin.
    void stepOrientation();
    // The model logs nothing itself; its resets are reported here.
    void reportReset() const;

    enum class Request : char { None, Undo, Redo, Paste, Copy };
    void request(Request r);
    void perform(Request r);
    // After the frame's turn step: `code` is the turn it applied, or 0.
    void afterTurnStep(int code);
    // A reset drops the running turn, and all that waited for it.
    void dropRunningTurn();

    // What is asked for while the cube turns (typed moves, undo, redo, paste, copy) waits
    // and plays out in order, this many at most; of undo, redo and paste one at a time.
    // A copy waits too, so that it holds the moves typed before it.
    static constexpr int kMostWaiting = 8;
    struct Action {
        char letter;  // a typed move: f b u d r l m e s x y z; else 0
        bool prime;
        Request request;  // or one of these
    };
    void queue(Action action);
    // Starts what waits, once the cube is still (no turn, no whole-cube turn).
    void startWaiting();
    void startMove(const Action& move);
    Action waiting_[kMostWaiting] = {};
    int waitingCount_ = 0;
    std::unique_ptr<Panel> panel_;
    void replaced(History::Kind kind, const MagicCube::Stickers& before);
    void updateUndoButton();

    // What a landed turn, or stickers replaced at once (`forward`: done or redone, not
    // undone), mean for the solve.
    void solveTurned();
    void solveReplaced(History::Kind kind, bool forward);
    // The strip, the title and the clock's timer as the solve now is.
    void showSolveStatus();
    // A full turn about the screen's vertical, in make-top steps, back to where it was.
    void celebrate();
    struct SolveDisplay {
        platform::Timer* timer = nullptr;  // while there are words to show
        std::string result;                // how the last solve ended...
        double resultUntil = 0;            // ...shown until then
    };
    SolveDisplay solveDisplay_;

    // Saving as the game is played: a while after the cube or its orientation last
    // changed, never on the frame path.
    bool save();
    void saveHistory();
    void restoreHistory();
    std::string historyPath() const;
    void saveRecords();
    void restoreRecords();
    std::string recordsPath() const;
    void noteChange();
    void armSaveTimer(double seconds);
    void saveTick();

    // Reads the pixel under the touch from the last frame into rgba.
    void colourPick(const platform::Touch& touch, unsigned char* rgba);
    void swipeStep(const platform::Touch& touch);
    void backgroundDragStep(float dx, float dy);
    void twistStep(int c);
    void inScreenAxisDragStep(float dx, float dy, float sx, float sy, int n);

    platform::Platform& platform_;
    CubeRenderer renderer_;
    MagicCube::Stickers pasted_{};       // what a waiting paste sets
    Request replaying_ = Request::None;  // the running turn is an undo or a redo...
    unsigned long replayingFrom_ = 0;    // ...of the history as it was then

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
    bool pictureShown() const;
    void restIfStill();
    void wakeIfMoving();

    struct Saving {
        std::string path;        // the state file; empty when the cube cannot be kept
        std::string why;         // and why not, or empty when that is by design
        bool keepAside = false;  // the file read at start-up was not whole: keep it
        bool wanted = false;     // a save was asked for and waits only for the interval
        SavedState saved;        // what the file holds now
        double lastChange = 0;
        double lastSave = -HUGE_VAL;
        platform::Timer* timer = nullptr;
        // False when the records file is there but could not be read: it is left alone.
        bool recordsKept = true;
        std::string records;  // what the records file holds now
    };
    Saving saving_;
};

}  // namespace gyrelle
