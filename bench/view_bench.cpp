// Frame cost of the GL view, headless at the phone's 320 x 480.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "platform/TouchDispatcher.h"
#include "platform/headless/HeadlessPlatform.h"
#include "view/EAGLView.h"

namespace {

using namespace gyrelle;

// The view at 320 x 480, laid out, or null with the benchmark marked as skipped.
std::unique_ptr<EAGLView> makeView(platform::HeadlessPlatform& platform, benchmark::State& state) {
    auto view = platform.available() ? EAGLView::create(platform) : nullptr;
    if (view) {
        view->layoutSubviews();
    } else {
        state.SkipWithError("no surfaceless EGL context");
    }
    return view;
}

// One frame as the timer draws it, waited for until the pixels are in the framebuffer.
void BM_drawView(benchmark::State& state) {
    platform::HeadlessPlatform platform{EAGLView::kScreenPoints};
    auto view = makeView(platform, state);
    if (!view) {
        return;
    }
    Motion& motion = view->game().motion();
    motion.bContinueToRotate = 1;  // a spinning cube: every frame differs
    const float axis[3] = {0.3f, 1, 0};
    motion.qdeltacontinue.setAxis(axis, 0.02f);
    for (auto _ : state) {
        view->drawView();
        glFinish();
    }
}
BENCHMARK(BM_drawView)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// One colour pick: the pixel under a finger read back and matched to a sticker, as a
// sticker swipe does at each movement.
void BM_colourPick(benchmark::State& state) {
    platform::HeadlessPlatform platform{EAGLView::kScreenPoints};
    auto view = makeView(platform, state);
    if (!view) {
        return;
    }
    platform::TouchDispatcher touches(*view);
    platform::TouchDispatcher::Change finger{1, {150, 250}, 1};  // on the front face
    touches.began(&finger, 1);
    touches.moved(&finger, 1);  // the first movement only arms the swipe
    if (view->gesture().stickerStart < 0) {
        state.SkipWithError("the finger is not on a sticker");
        return;
    }
    for (auto _ : state) {
        touches.moved(&finger, 1);
    }
}
BENCHMARK(BM_colourPick)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

}  // namespace

BENCHMARK_MAIN();
