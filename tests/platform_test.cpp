// The platform stand-ins: timers, the letterbox, the view tree and what paints it,
// touches and the desktop's stand-ins for fingers, signals and the log.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "overlay/InfoView.h"
#include "platform/AlertView.h"
#include "platform/Button.h"
#include "platform/DesktopInput.h"
#include "platform/Log.h"
#include "platform/Painter.h"
#include "platform/RunLoop.h"
#include "platform/Signals.h"

namespace {

using namespace gyrelle::platform;

TEST(RunLoop, RepeatingTimerKeepsItsScheduleAndSkipsMissedTicks) {
    double now = 0;
    RunLoop loop([&] { return now; });
    int fired = 0;
    Timer* t = loop.scheduledTimer(0.25, [&] { ++fired; });
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
    EXPECT_TRUE(std::isinf(loop.secondsUntilNextTimer()));
}

TEST(Letterbox, KeepsTheShapeCentredInAnyWindow) {
    EXPECT_EQ(letterbox({640, 960}, {320, 480}), (PixelRect{0, 0, 640, 960}));
    EXPECT_EQ(letterbox({1000, 480}, {320, 480}), (PixelRect{340, 0, 320, 480}));
    EXPECT_EQ(letterbox({1000, 1000}, {320, 480}), (PixelRect{166, 0, 667, 1000}));
    // Taller than the picture: bars above and below, (1000 - 720) / 2 each.
    EXPECT_EQ(letterbox({480, 1000}, {320, 480}), (PixelRect{0, 140, 480, 720}));
    EXPECT_EQ(letterbox({0, 0}, {320, 480}), (PixelRect{}));
}

// Records the texts the compositor's walk paints, where, and how opaque.
class RecordingCanvas : public Canvas {
  public:
    void setOrigin(Point origin, float alpha) override { now = {"", origin, alpha}; }
    void fillRect(Rect, Color) override { painted.push_back({"rect", now.origin, now.alpha}); }
    void strokeCircle(Point, float, float, Color) override {}
    void strokeArc(Point, float, float, float, float, Color) override {}
    void fillTriangle(Point, Point, Point, Color) override {}
    void fillCircle(Point, float, Color) override {}
    void drawText(Rect, const std::string& s, Color, const char*, float, TextAlignment) override {
        painted.push_back({s.substr(0, 12), now.origin, now.alpha});
    }
    struct Op {
        std::string what;
        Point origin;
        float alpha;
    };
    Op now;
    std::vector<Op> painted;
};

// The overlay is seen through at 62.5 %: its texts and their black blocks too, which
// are painted once, with the overlay's own background, not over it again.
TEST(Compositing, TheOverlaysChildrenAreDimmedWithIt) {
    Window window({320, 480});
    View content({0, 0, 320, 480});
    window.setContentView(&content);
    gyrelle::InfoView overlay({0, 0, 320, 480});
    content.addSubview(&overlay);
    RecordingCanvas canvas;
    paintSubviews(window, canvas);
    const char* what[4] = {"rect", "Gyrelle", "Pennowick So", "INSTRUCTIONS"};
    const float tops[4] = {0, 10, 50, 80};
    ASSERT_EQ(canvas.painted.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(canvas.painted[i].what, what[i]);
        EXPECT_EQ(canvas.painted[i].origin.y, tops[i]);
        EXPECT_EQ(canvas.painted[i].alpha, 0.625f) << what[i];
    }
}

// Records what a view receives: per event, the touches that changed and the first two
// of the view's touches.
class Recorder : public View {
  public:
    Recorder() : View({0, 0, 320, 480}) {}
    void touchesBegan(const TouchSet& t, const Event& e) override { record(t, e); }
    void touchesMoved(const TouchSet& t, const Event& e) override { record(t, e); }
    void touchesEnded(const TouchSet& t, const Event& e) override { record(t, e); }
    struct Seen {
        int changed;
        Point first, second;
        int taps;
    };
    std::vector<Seen> seen;

  private:
    void record(const TouchSet& t, const Event& e) {
        TouchSet mine = e.touchesForView(this);
        seen.push_back({t.count(), mine[0]->locationInView(this),
                        mine.count() > 1 ? mine[1]->locationInView(this) : Point{},
                        mine[0]->tapCount()});
    }
};

TEST(DesktopInput, CtrlAndTheMouseStandInForATwistOfTwoFingers) {
    Recorder view;
    TouchDispatcher dispatcher(view);
    DesktopInput input(dispatcher, {320, 480});
    input.pointerDown(DesktopInput::Pointer::TwoFingerTwist, {100, 200}, 1);
    input.pointerMoved({110, 190});
    input.pointerUp({110, 190});
    ASSERT_EQ(view.seen.size(), 3u);
    EXPECT_EQ(view.seen[0].changed, 2);     // both land in one event
    EXPECT_EQ(view.seen[1].second.x, 210);  // mirrored through (160, 240)
    EXPECT_EQ(view.seen[1].second.y, 290);
    EXPECT_EQ(dispatcher.activeCount(), 0);
}

TEST(DesktopInput, FingerTapsCountAsOnAPhone) {
    Recorder view;
    TouchDispatcher dispatcher(view);
    DesktopInput input(dispatcher, {320, 480});
    auto tap = [&](long id, Point p, double t) {
        input.fingerDown(id, p, t);
        input.fingerUp(id, p, t + 0.05);
        return view.seen[view.seen.size() - 2].taps;
    };
    EXPECT_EQ(tap(1, {100, 100}, 0.0), 1);
    EXPECT_EQ(tap(2, {105, 102}, 0.2), 2);
    EXPECT_EQ(tap(3, {105, 102}, 0.4), 3);
    EXPECT_EQ(tap(4, {105, 102}, 1.5), 1);  // too late
    EXPECT_EQ(tap(5, {200, 300}, 1.6), 1);  // too far
    input.fingerDown(6, {200, 300}, 1.7);   // slides away: not a tap
    input.fingerMoved(6, {260, 300});
    input.fingerUp(6, {260, 300}, 1.75);
    EXPECT_EQ(tap(7, {260, 300}, 1.8), 1);
}

TEST(TouchDispatcher, ATouchBelongsToTheViewItLandedOn) {
    Recorder root, button;
    button.setFrame({295, 455, 25, 25});
    root.addSubview(&button);
    TouchDispatcher dispatcher(root);
    TouchDispatcher::Change c{1, {300, 460}, 1};
    dispatcher.began(&c, 1);
    c.at = {10, 10};  // it stays the button's however far it moves
    dispatcher.moved(&c, 1);
    dispatcher.ended(&c, 1);
    EXPECT_TRUE(root.seen.empty());
    ASSERT_EQ(button.seen.size(), 3u);
    EXPECT_EQ(button.seen[0].first.x, 5);  // in the button's own points
}

// A phone upright at 390 x 844 CSS pixels and three pixels to each: the view is 390 x 585
// (1.21875 CSS pixels a point) with bars of 129.5 CSS pixels above and below, and a
// finger needs 48 CSS pixels, 39.38 points. The "i" button (25 points in the lower
// right corner) is touched in 39.38 points about its centre, moved left to stay on the
// screen, and reaching down into the bar; the undo button likewise on the left; never
// while a panel lies over the view. Lifted within that area, the button acts.
TEST(Window, SmallButtonsAreTouchedWithinAFingersAreaWhereTheScreenAllows) {
    Window window({320, 480});
    View content({0, 0, 320, 480});
    window.setContentView(&content);
    Button info(Button::Style::InfoLight, {295, 455, 25, 25});
    Button undo(Button::Style::Undo, {0, 455, 25, 25});
    int pressed = 0;
    info.setAction([&] { ++pressed; });
    content.addSubview(&info);
    content.addSubview(&undo);
    const float perPoint = 1170.0f / 320, bar = (2532 - 1755) / 2 / perPoint;
    window.setTouchReach({0, -bar, 320, 2532 / perPoint}, 48 * 3 / perPoint);
    const float side = 48 * 3 / perPoint;  // 39.38
    const Rect a = window.touchArea(info);
    EXPECT_NEAR(a.x, 320 - side, 1e-3);
    EXPECT_NEAR(a.y, 467.5f - side / 2, 1e-3);
    EXPECT_NEAR(a.width * 1.21875f, 48, 1e-3);
    EXPECT_NEAR(a.height * 1.21875f, 48, 1e-3);
    EXPECT_EQ(window.hitTest({a.x + 0.01f, a.y + a.height - 0.01f}), &info);  // in the bar
    EXPECT_EQ(window.hitTest({a.x - 0.01f, 470}), &content);
    EXPECT_EQ(window.hitTest({319.9f, a.y - 0.01f}), &content);
    EXPECT_EQ(window.hitTest({10, 486}), &undo);
    EXPECT_EQ(window.hitTest({side + 0.01f, 490}), nullptr);  // the bar, near nothing

    TouchDispatcher dispatcher(window);
    TouchDispatcher::Change c{1, {a.x + 1, 485}, 1};
    dispatcher.began(&c, 1);
    dispatcher.ended(&c, 1);
    EXPECT_EQ(pressed, 1);
    c.at = {a.x - 1, 485};  // begun on it, lifted outside its area: nothing
    TouchDispatcher::Change on{1, {a.x + 1, 485}, 1};
    dispatcher.began(&on, 1);
    dispatcher.ended(&c, 1);
    EXPECT_EQ(pressed, 1);

    // At 320 x 480 points, no bars and 44 points: inward from the corner.
    window.setTouchReach({0, 0, 320, 480}, 44);
    const Rect b = window.touchArea(info);
    EXPECT_EQ(b.x, 276);
    EXPECT_EQ(b.y, 436);
    EXPECT_EQ(window.hitTest({276.5f, 436.5f}), &info);
    EXPECT_EQ(window.hitTest({275.5f, 436.5f}), &content);

    View panel({0, 0, 320, 480});
    content.addSubview(&panel);
    EXPECT_EQ(window.hitTest({280, 440}), &panel);
    EXPECT_EQ(window.hitTest({300, 470}), &panel);  // within the button: the panel is over it
    window.setTouchReach({0, -bar, 320, 2532 / perPoint}, side);
    EXPECT_EQ(window.hitTest({a.x + 1, 485}), nullptr);  // the bar by it too

    // A question's 40-point buttons (at 30 + 12, 165 + 98 in the window) grow to 44
    // points, two above and two below; the question takes every other touch.
    panel.removeFromSuperview();
    window.setTouchReach({0, 0, 320, 480}, 44);
    window.showAlert(std::make_unique<AlertView>("Reset?", "", nullptr, "No", "Yes"));
    View* question = window.frontAlert();
    ASSERT_EQ(question->subviews().size(), 2u);
    EXPECT_EQ(window.hitTest({50, 261.5f}), question->subviews()[0]);
    EXPECT_EQ(window.hitTest({50, 304.5f}), question->subviews()[0]);
    EXPECT_EQ(window.hitTest({50, 260.5f}), question);
    EXPECT_EQ(window.hitTest({300, 470}), question);  // the "i" is under the question
}

// Two fingers on a panel: lifting the first closes it (the panel is freed), and the
// second finger's lift must find no view rather than the freed one.
TEST(TouchDispatcher, ALiftAfterItsViewWasClosedReachesNoView) {
    Recorder root;
    struct ClosingPanel : View {
        std::unique_ptr<ClosingPanel>* owner = nullptr;
        void touchesEnded(const TouchSet&, const Event&) override { owner->reset(); }
    };
    auto panel = std::make_unique<ClosingPanel>();
    panel->setFrame({0, 0, 320, 480});
    panel->owner = &panel;
    root.addSubview(panel.get());
    TouchDispatcher dispatcher(root);
    TouchDispatcher::Change c[2] = {{1, {100, 100}, 1}, {2, {200, 200}, 1}};
    dispatcher.began(c, 2);
    dispatcher.ended(&c[0], 1);
    ASSERT_EQ(panel, nullptr);
    dispatcher.moved(&c[1], 1);
    dispatcher.ended(&c[1], 1);
    EXPECT_EQ(dispatcher.activeCount(), 0);
    EXPECT_TRUE(root.seen.empty());
}

// A request to end the game only marks it and wakes the loop; SIGPIPE ends nothing.
TEST(Signals, AreCaughtMarkedAndWakeTheLoop) {
    catchTerminationSignals();
    EXPECT_EQ(terminationRequested(), 0);
    raise(SIGHUP);
    EXPECT_EQ(terminationRequested(), SIGHUP);
    pollfd wake{terminationFd(), POLLIN, 0};
    EXPECT_EQ(poll(&wake, 1, 0), 1);
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    close(fds[0]);
    EXPECT_EQ(write(fds[1], "x", 1), -1);  // EPIPE, and still alive
    close(fds[1]);
}

TEST(Log, ALongLineIsWrittenWhole) {
    const std::string path(3000, 'p');
    ::testing::internal::CaptureStderr();
    logMessage("could not save the cube to %s: %s", path.c_str(), "No space left on device");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "could not save the cube to " + path + ": No space left on device\n");
}

}  // namespace
