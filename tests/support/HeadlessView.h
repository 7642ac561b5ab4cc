#pragma once

#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "platform/headless/HeadlessPlatform.h"
#include "tests/support/Cubes.h"
#include "tests/support/PinDrivers.h"
#include "view/EAGLView.h"

namespace gyrelle::testing {

// The real GL view on a surfaceless EGL context: real drawing, real pixels.
class HeadlessViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(platform.available()) << "no surfaceless EGL display";
        view = EAGLView::create(platform);
        ASSERT_NE(view, nullptr);
        pinGraphicsDrivers();
    }

    // The pixel of the view's framebuffer at column x, row y from the bottom.
    Rgba pixel(int x, int y) {
        Rgba c{};
        view->context->setCurrent();
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, c.data());
        return c;
    }
    Rgba pixel(Pixel p) { return pixel(p.column, p.row); }

    // Where a point of the cube, given in the cube's own frame, lands on screen
    // when the cube is turned by `orient`.
    template <class Orient>
    Pixel onScreen(Vecd cubePoint, Orient orient) {
        return project(orient(cubePoint), view->backingWidth, view->backingHeight);
    }

    platform::HeadlessPlatform platform{EAGLView::kScreenPoints};
    std::unique_ptr<EAGLView> view;
};

}  // namespace gyrelle::testing
