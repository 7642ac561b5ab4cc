// Frame cost of the GL view, headless at the phone's 320 x 480.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "platform/headless/HeadlessPlatform.h"
#include "view/EAGLView.h"

namespace {

using namespace gyrelle;

// One frame as the timer draws it, waited for until the pixels are in the framebuffer.
void BM_drawView(benchmark::State& state) {
    platform::HeadlessPlatform platform;
    auto view = platform.available() ? EAGLView::create(platform) : nullptr;
    if (!view) {
        state.SkipWithError("no surfaceless EGL context");
        return;
    }
    view->layoutSubviews();
    view->bContinueToRotate = 1;  // a spinning cube: every frame differs
    const float axis[3] = {0.3f, 1, 0};
    view->qdeltacontinue.setAxis(axis, 0.02f);
    for (auto _ : state) {
        view->drawView();
        glFinish();
    }
}
BENCHMARK(BM_drawView)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
