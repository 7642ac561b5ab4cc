#pragma once

#include <GLES/gl.h>

#include <memory>

#include "cube/MagicCube.h"
#include "math/Quaternion.h"
#include "platform/Platform.h"
#include "platform/View.h"

namespace gyrelle {

// The one full-screen GL view: it owns the context, the framebuffers, the cube, the
// orientation and the gesture state, and draws one frame per timer tick.
class EAGLView : public platform::View {
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

    // Saved state.
    void terminate();

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

  private:
    explicit EAGLView(platform::Platform& platform);

    platform::Platform& platform_;
};

}  // namespace gyrelle
