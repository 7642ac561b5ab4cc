// The platform stand-ins: timers, the view tree and the letterbox.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/Geometry.h"
#include "platform/RunLoop.h"
#include "platform/View.h"

namespace {

using namespace gyrelle::platform;

TEST(RunLoop, RepeatingTimerKeepsItsScheduleAndSkipsMissedTicks) {
    double now = 0;
    RunLoop loop([&] { return now; });
    int fired = 0;
    Timer* t = loop.scheduledTimer(0.25, [&] { ++fired; });
    EXPECT_DOUBLE_EQ(loop.secondsUntilNextTimer(), 0.25);
    now = 0.3;
    loop.fireDueTimers();
    EXPECT_EQ(fired, 1);
    EXPECT_NEAR(loop.secondsUntilNextTimer(), 0.2, 1e-12);  // due at 0.5, not 0.55
    now = 1.6;                                              // a stall over four ticks fires once
    loop.fireDueTimers();
    EXPECT_EQ(fired, 2);
    EXPECT_NEAR(loop.secondsUntilNextTimer(), 0.15, 1e-12);
    t->invalidate();
    now = 10;
    loop.fireDueTimers();
    EXPECT_EQ(fired, 2);
    EXPECT_EQ(loop.validTimerCount(), 0);
    EXPECT_TRUE(std::isinf(loop.secondsUntilNextTimer()));
}

TEST(RunLoop, ATimerMayReplaceItselfFromItsOwnAction) {
    double now = 0;
    RunLoop loop([&] { return now; });
    int first = 0, second = 0;
    Timer* t = nullptr;
    t = loop.scheduledTimer(1, [&] {
        ++first;
        t->invalidate();
        loop.scheduledTimer(2, [&] { ++second; });
    });
    now = 1;
    loop.fireDueTimers();
    EXPECT_EQ(loop.validTimerCount(), 1);
    now = 3;
    loop.fireDueTimers();
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 1);
}

TEST(Letterbox, KeepsTheShapeCentredInAnyWindow) {
    EXPECT_EQ(letterbox({320, 480}, {320, 480}), (PixelRect{0, 0, 320, 480}));
    EXPECT_EQ(letterbox({640, 960}, {320, 480}), (PixelRect{0, 0, 640, 960}));
    EXPECT_EQ(letterbox({1000, 480}, {320, 480}), (PixelRect{340, 0, 320, 480}));
    EXPECT_EQ(letterbox({1000, 1000}, {320, 480}), (PixelRect{166, 0, 667, 1000}));
    EXPECT_EQ(letterbox({0, 0}, {320, 480}), (PixelRect{}));
}

TEST(ViewTree, HitTestFindsTheFrontMostViewUnderThePoint) {
    View root({0, 0, 320, 480});
    View button({295, 455, 25, 25});
    View cover({0, 0, 320, 480});
    root.addSubview(&button);
    EXPECT_EQ(root.hitTest({300, 460}), &button);
    EXPECT_EQ(root.hitTest({10, 10}), &root);
    EXPECT_EQ(root.hitTest({-1, 10}), nullptr);
    root.addSubview(&cover);
    EXPECT_EQ(root.hitTest({300, 460}), &cover);
    cover.removeFromSuperview();
    EXPECT_EQ(cover.superview(), nullptr);
    EXPECT_EQ(root.hitTest({300, 460}), &button);
    EXPECT_EQ(button.convertPoint({1, 2}, &root).x, 296);
    {
        View temporary({0, 0, 10, 10});
        root.addSubview(&temporary);
        EXPECT_EQ(root.subviews().size(), 2u);
    }
    EXPECT_EQ(root.subviews().size(), 1u);  // a destroyed view leaves its superview
}

}  // namespace
