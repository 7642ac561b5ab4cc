// Endurance: a long run of random events on the real view, checking the cube and the
// orientation after every one. GYRELLE_SOAK_EVENTS sets the length (make soak: 10^6).
#include <algorithm>
#include <cstdlib>
#include <random>

#include "tests/support/HeadlessView.h"

namespace gyrelle::testing {
namespace {

using platform::Point;

class Soak : public HeadlessViewWithFilesTest {
  protected:
    void SetUp() override {
        HeadlessViewWithFilesTest::SetUp();
        view->startAnimation();
    }

    // The 54 stickers, each once (records move whole), and a unit orientation.
    void check(long event) {
        unsigned colours[54];
        for (int s = 0; s < 54; ++s) {
            const Sticker& k = cube().stickers()[s];
            ASSERT_GE(solved.getStickerLocationWithColor(k.rgb), 0) << "event " << event;
            colours[s] = k.rgb[0] << 16 | k.rgb[1] << 8 | k.rgb[2];
        }
        std::sort(colours, colours + 54);
        ASSERT_EQ(std::adjacent_find(colours, colours + 54), colours + 54) << "event " << event;
        ASSERT_NEAR(motion().currentRotation.norm(), 1.0f, 1e-3f) << "event " << event;
    }

    Point anywhere() {
        std::uniform_real_distribution<float> x(-20, 340), y(-20, 500);
        return {x(rng), y(rng)};
    }

    const MagicCube solved;
    std::mt19937 rng{20261206};
};

TEST_F(Soak, RandomEventsKeepTheCubeWhole) {
    const char* length = std::getenv("GYRELLE_SOAK_EVENTS");
    const long events = length ? std::atol(length) : 20000;
    std::uniform_int_distribution<int> kind(0, 99), steps(0, 12), taps(1, 3), fingers(1, 2);
    std::normal_distribution<float> jitter(0, 12);
    for (long done = 0; done < events;) {
        const int k = kind(rng);
        if (k < 45) {  // a gesture of one or two fingers, of random length
            const int n = fingers(rng);
            Change c[2] = {{1, anywhere(), taps(rng)}, {2, anywhere(), 1}};
            touches->began(c, n);
            for (int i = steps(rng); i > 0 && done < events; --i) {
                for (int f = 0; f < n; ++f) {
                    c[f].at.x += jitter(rng);
                    c[f].at.y += jitter(rng);
                }
                touches->moved(c, n);
                if (kind(rng) < 20) {
                    platform.advance(1.0 / 60);  // frames between movements
                }
                check(++done);
            }
            touches->ended(c, n);
        } else if (k < 50) {
            tap(anywhere(), 2);
        } else if (k < 85) {
            platform.advance(std::uniform_real_distribution<double>(0.0, 0.3)(rng));
        } else if (k < 90) {
            view->accelerometerDidAccelerate({jitter(rng), jitter(rng) - 1, jitter(rng)});
        } else if (k < 94) {
            if (auto* question = platform.window().frontAlert()) {
                question->clickButton(taps(rng) == 1 ? 1 : 0);
            }
        } else if (k < 97) {  // the information button, or a touch that closes the overlay
            tap(k < 96 ? Point{307, 467} : anywhere());
        } else if (k < 99) {
            k < 98 ? game().undo() : game().redo();
        } else if (kind(rng) < 10) {  // now and then the game ends and starts again
            view->terminate();
            view.reset();  // the folder is the next game's only once this one is gone
            view = EAGLView::create(platform);
            platform.window().setContentView(view.get());
            view->layoutSubviews();
            view->startAnimation();
        }
        if (touches->activeCount() == 0) {
            platform.window().collectAnswered();
        }
        check(++done);
    }
    // The history holds every change, in order, through restarts: taking all of them
    // back leads to the solved cube it began with.
    platform.window().collectAnswered();
    for (int guard = 0; game().history().canUndo() && guard < 100000; ++guard) {
        game().undo();
        frames(5);
    }
    EXPECT_TRUE(sameStickers(cube(), solved));
}

}  // namespace
}  // namespace gyrelle::testing
