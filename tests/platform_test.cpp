// The platform stand-ins: timers, the view tree and the letterbox.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/DesktopInput.h"
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

namespace {

using namespace gyrelle::platform;

// Records what a view receives.
class Recorder : public View {
  public:
    Recorder() : View({0, 0, 320, 480}) {}
    void touchesBegan(const TouchSet& t, const Event& e) override { record('b', t, e); }
    void touchesMoved(const TouchSet& t, const Event& e) override { record('m', t, e); }
    void touchesEnded(const TouchSet& t, const Event& e) override { record('e', t, e); }

    struct Seen {
        char phase;
        int changed;
        int onView;
        Point first, second;
        int taps;
    };
    std::vector<Seen> seen;

  private:
    void record(char phase, const TouchSet& t, const Event& e) {
        TouchSet mine = e.touchesForView(this);
        Seen s{phase, t.count(),          mine.count(), mine[0]->locationInView(this),
               {},    mine[0]->tapCount()};
        if (mine.count() > 1) {
            s.second = mine[1]->locationInView(this);
        }
        seen.push_back(s);
    }
};

TEST(DesktopInput, MouseButtonsStandInForOneAndTwoFingers) {
    Recorder view;
    TouchDispatcher dispatcher(view);
    DesktopInput input(dispatcher, {320, 480});

    input.pointerDown(DesktopInput::Pointer::Finger, {10, 20}, 2);
    input.pointerMoved({15, 20});
    input.pointerUp({15, 25});
    ASSERT_EQ(view.seen.size(), 3u);
    EXPECT_EQ(view.seen[0].onView, 1);
    EXPECT_EQ(view.seen[0].taps, 2);  // a double click is a double tap
    EXPECT_EQ(view.seen[2].phase, 'e');
    EXPECT_EQ(dispatcher.activeCount(), 0);

    view.seen.clear();
    input.pointerDown(DesktopInput::Pointer::TwoFingerTwist, {100, 200}, 1);
    input.pointerMoved({110, 190});
    ASSERT_EQ(view.seen.size(), 2u);
    EXPECT_EQ(view.seen[0].changed, 2);     // both land in one event
    EXPECT_EQ(view.seen[1].second.x, 210);  // mirrored through (160, 240)
    EXPECT_EQ(view.seen[1].second.y, 290);
    input.pointerUp({110, 190});

    view.seen.clear();
    input.pointerDown(DesktopInput::Pointer::TwoFingerDrag, {100, 200}, 1);
    input.pointerMoved({105, 200});
    EXPECT_EQ(view.seen[1].second.x - view.seen[1].first.x, DesktopInput::kDragFingerGap);
    input.pointerUp({105, 200});
    EXPECT_EQ(dispatcher.activeCount(), 0);
}

TEST(DesktopInput, FingerTapsCountAsOnAPhone) {
    Recorder view;
    TouchDispatcher dispatcher(view);
    DesktopInput input(dispatcher, {320, 480});
    auto tap = [&](long id, Point p, double t) {
        input.fingerDown(id, p, t);
        int taps = view.seen.back().taps;
        input.fingerUp(id, p, t + 0.05);
        return taps;
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
    Recorder root;
    Recorder button;
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

}  // namespace

#include "app/CommandLine.h"

namespace {

struct Outcome {
    int status;
    std::string out, err;
};

Outcome run(std::vector<const char*> args) {
    args.insert(args.begin(), "gyrelle");
    char *outBuf = nullptr, *errBuf = nullptr;
    size_t outLen = 0, errLen = 0;
    FILE* out = open_memstream(&outBuf, &outLen);
    FILE* err = open_memstream(&errBuf, &errLen);
    int status = gyrelle::handleCommandLine(static_cast<int>(args.size()), args.data(), out, err);
    std::fclose(out);
    std::fclose(err);
    Outcome r{status, std::string(outBuf, outLen), std::string(errBuf, errLen)};
    std::free(outBuf);
    std::free(errBuf);
    return r;
}

TEST(CommandLine, OnlyHelpAndVersion) {
    EXPECT_EQ(run({}).status, -1);
    Outcome help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: gyrelle", 0), 0u);
    Outcome version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("gyrelle ", 0), 0u);
    EXPECT_EQ(version.out.back(), '\n');
    for (auto args :
         {std::vector<const char*>{"-x"}, {"--help", "extra"}, {"play"}, {"--help", "--help"}}) {
        Outcome bad = run(args);
        EXPECT_EQ(bad.status, 2);
        EXPECT_TRUE(bad.out.empty());
        EXPECT_EQ(bad.err.rfind("gyrelle: ", 0), 0u);
        // one line of error, then the usage
        EXPECT_EQ(bad.err.substr(bad.err.find('\n') + 1).rfind("Usage: gyrelle", 0), 0u) << bad.err;
    }
}

}  // namespace
