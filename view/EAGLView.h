#pragma once

#include <GLES/gl.h>

#include <cmath>
#include <cstdio>
#include <memory>

#include "cube/MagicCube.h"
#include "math/Quaternion.h"
#include "overlay/InfoView.h"
#include "platform/Button.h"
#include "platform/Platform.h"
#include "platform/View.h"

namespace gyrelle {

// The one full-screen GL view: it owns the context, the framebuffers, the cube, the
// orientation and the gesture state, and draws one frame per timer tick.
class EAGLView : public platform::View,
                 public platform::AccelerometerDelegate,
                 public platform::AlertViewDelegate {
  public:
    static constexpr float kWidthPoints = 320;
    static constexpr float kHeightPoints = 480;
    static constexpr double kActiveInterval = 1.0 / 60.0;
    static constexpr double kInactiveInterval = 0.2;

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
    void layoutSubviews() override;
    bool createFramebuffer();
    void destroyFramebuffer();

    // Frame.
    void drawView();
    void drawCube();

    // Touch.
    void touchesBegan(const platform::TouchSet& touches, const platform::Event& event) override;
    void touchesMoved(const platform::TouchSet& touches, const platform::Event& event) override;
    void touchesEnded(const platform::TouchSet& touches, const platform::Event& event) override;
    // The face normal (cube frame) that points most nearly up on the screen; false,
    // with nothing written, when the orientation holds no numbers.
    bool determineAxisLockAxis(float* axis);
    // The rotation from direction `from` to direction `to`: axis (not normalised) and angle.
    static void fromVecToVec(const float* from, const float* to, float* axis, float* angle);

    // Shake.
    void accelerometerDidAccelerate(const platform::Acceleration& sample) override;
    void alertViewClickedButtonAtIndex(platform::AlertView& alert, int index) override;

    // Information overlay.
    void infoButtonCB();

    // Saved state.
    void terminate();
    void restoreState();
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
    signed char bFirstTouch = 0;
    signed char bSingleTouch = 0;
    signed char bTouchesIgnore = 0;
    signed char bContinueToRotate = 0;
    Quaternion qMakeTop;
    float fMakeTopDistance = 0;
    unsigned char rgbTouchStart[4] = {};
    unsigned char rgbTouchEnd[4] = {};
    int stickerStart = 0;
    std::unique_ptr<MagicCube> magicCube;
    double myAccelerometer[3] = {};
    // The last accepted shake; far in the past, so the first shake always counts.
    double lastTime = -HUGE_VAL;
    std::unique_ptr<platform::Button> infoButton;
    std::unique_ptr<InfoView> infoView;

    // Frames drawn and presented; a tick whose picture would not change draws none.
    long framesDrawn = 0;

  private:
    explicit EAGLView(platform::Platform& platform);

    // Everything the picture depends on. Equal keys, equal pixels.
    struct PictureKey {
        float rotation[4];
        Sticker stickers[MagicCube::kStickers];
        bool animating;
        int slice, direction;
        float angle;
        GLint width, height;
        GLuint framebuffer;
        bool operator==(const PictureKey& o) const;
    };
    void pictureKey(PictureKey& key) const;
    PictureKey shown_{};
    bool shownValid_ = false;

    // Reads the pixel under the touch from the last frame into rgba.
    void colourPick(const platform::Touch& touch, unsigned char* rgba);
    void swipeStep(const platform::Touch& touch);
    void backgroundDragStep(float dx, float dy);
    void twistStep(int c);
    void inScreenAxisDragStep(float dx, float dy, float sx, float sy, int n);

    platform::Platform& platform_;
};

}  // namespace gyrelle
