// What learning from solves costs: the splits of 10,000 recorded solves, a replay's first
// frame after the tap that opens it (a real frame, headless), and 200 keys typed at 20 a
// second (none lost, each turn's first frame within a frame of its key), each against its
// target; the trainer at its most cases kept; and a hint's longest frame on the hardest
// positions. Usage: gyrelle_learn_bench
#include <GLES/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>

#include "cube/MagicCube.h"
#include "cube/Notation.h"
#include "cube/Position.h"
#include "game/Coach.h"
#include "game/Splits.h"
#include "game/Trainer.h"
#include "platform/headless/HeadlessPlatform.h"
#include "solver/Preparation.h"
#include "store/TrainerFile.h"
#include "view/EAGLView.h"

namespace {

using namespace gyrelle;
using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point begin) {
    return std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
}

void line(const char* what, double value, const char* unit, double target) {
    std::printf("  %-52s %8.2f %-3s at most %-5g %s\n", what, value, unit, target,
                value <= target ? "met" : "MISSED");
}

// A solve of 60 turns 150 ms apart from the position they solve: random turns, so the
// steps are found late and every check runs at every turn.
std::shared_ptr<const SolveTurns> randomSolve(std::mt19937& random) {
    auto s = std::make_shared<SolveTurns>();
    MagicCube cube;
    std::vector<int> codes;
    for (int i = 0; i < 60; ++i) {
        codes.push_back(MagicCube::scrambleCode(static_cast<long>(random())));
    }
    for (auto c = codes.rbegin(); c != codes.rend(); ++c) {
        cube.rotateFace(-*c);
    }
    s->start = positionCode(cube.stickers());
    for (size_t i = 0; i < codes.size(); ++i) {
        s->turns.push_back(
            {static_cast<std::int32_t>(150 * i), static_cast<std::int8_t>(codes[i])});
    }
    return s;
}

}  // namespace

int main() {
    std::mt19937 random(30);
    std::vector<Solve> solves;
    for (int i = 0; i < 10000; ++i) {
        Solve s{1796083200 + i * 60, 60, 8.85};
        s.turns = randomSolve(random);
        solves.push_back(s);
    }
    std::printf("learning from solves: least of five\n");
    double splits = 1e9;
    for (int round = 0; round < 5; ++round) {
        const Clock::time_point begin = Clock::now();
        size_t found = 0;
        for (const Solve& s : solves) {
            found += splitsOf(*s.turns, Method::Cfop).has_value();
        }
        splits = std::min(splits, millisecondsSince(begin));
        if (found != solves.size()) {
            std::fprintf(stderr, "splits not found for %zu solves\n", solves.size() - found);
            return 1;
        }
    }
    line("the splits of 10,000 recorded solves (CFOP)", splits, "ms", 1000);

    // The tap that opens a replay, to its first frame drawn and finished.
    platform::HeadlessPlatform platform{EAGLView::kScreenPoints};
    auto view = platform.available() ? EAGLView::create(platform) : nullptr;
    if (view) {
        view->layoutSubviews();
        view->controller().game().replaceSolves(solves);
        view->drawView();
        glFinish();
        double first = 1e9;
        for (int round = 0; round < 5; ++round) {
            const Clock::time_point begin = Clock::now();
            if (!view->controller().openReplay(solves.size() - 1 - size_t(round))) {
                std::fprintf(stderr, "the replay did not open\n");
                return 1;
            }
            const long drawn = view->framesDrawn();
            view->drawView();
            glFinish();
            first = std::min(first, millisecondsSince(begin));
            if (view->framesDrawn() != drawn + 1) {
                std::fprintf(stderr, "the replay's first frame was not drawn\n");
                return 1;
            }
            view->controller().closeReplay();
        }
        line("a replay's first frame after the tap", first, "ms", 100);
    } else {
        std::printf("  a replay's first frame: no surfaceless EGL context, not measured\n");
    }

    // 200 keys at 20 a second, 60 frames a second: a key before every third frame.
    Game game;
    const char letters[] = "fbudrlmes";
    int lost = 0, latest = 0;
    std::vector<int> keyFrames;
    int frame = 0, starts = 0;
    bool wasAnimating = false;
    float lastAngle = 0;
    auto step = [&] {
        game.stepMotion();
        // What this frame draws: a turn newly begun?
        const MagicCube& c = game.cube();
        if (c.animating() && (!wasAnimating || c.animatedAngle() < lastAngle)) {
            if (starts < static_cast<int>(keyFrames.size())) {
                latest = std::max(latest, frame - keyFrames[static_cast<size_t>(starts)]);
            }
            ++starts;
        }
        wasAnimating = c.animating();
        lastAngle = c.animatedAngle();
        game.stepTurn(frame / 60.0);
        ++frame;
    };
    for (int k = 0; k < 200; ++k) {
        game.type(letters[random() % 9], random() % 2);
        keyFrames.push_back(frame);
        for (int i = 0; i < 3; ++i) {
            step();
        }
    }
    for (int i = 0; i < 60; ++i) {
        step();
    }
    lost = 200 - static_cast<int>(game.history().entries().size());
    line("keys lost of 200 typed at 20 a second", lost, "", 0);
    line("frames from a key to its turn's first frame, at most", latest, "", 1);

    // The trainer at its most cases kept: its file made again after a case is done (on the
    // main thread, once a case), every case's figures for the cases page, a draw toward
    // the slowest.
    TrainerRecords trained;
    for (size_t i = 0; i < TrainerRecords::kMostAttempts; ++i) {
        trained.add({static_cast<int>(random() % lastLayerCases().size()),
                     static_cast<std::int32_t>(1000 + random() % 4000), 500, 1796083200, 0});
    }
    Clock::time_point begin = Clock::now();
    const std::string text = store::trainerText(trained);
    line("trainer file of 100,000 cases made (ms)", millisecondsSince(begin), "ms", 20);
    begin = Clock::now();
    for (size_t c = 0; c < lastLayerCases().size(); ++c) {
        caseStats(trained, static_cast<int>(c));
    }
    line("every case's figures of 100,000 (ms)", millisecondsSince(begin), "ms", 100);
    trained.set = "oll";
    trained.slowestFirst = true;
    Trainer trainer(trained, Game(), [&] { return static_cast<std::uint32_t>(random()); });
    begin = Clock::now();
    trainer.next();
    line("a case drawn toward the slowest and set up (ms)", millisecondsSince(begin), "ms", 50);

    // A hint on the hardest positions, its tables built first: the longest frame (a turn
    // step, the search's slice in it) until the hint is given.
    solver::Preparation::shared().wait();
    for (const auto& [what, moves] :
         {std::pair{"superflip", "U R2 F B R B2 R U2 L B2 R U' D' R2 F R' L B2 U2 F2"},
          std::pair{"superflip and four spots",
                    "U R2 F B R B2 R U2 L B2 R U' D' R2 F R' L B2 U2 F2 F2 B2 U D' R2 L2 U D'"}}) {
        Game hinted;
        Coach coach(hinted);
        MagicCube cube;
        applyMoves(cube, moves);
        std::string problem;
        hinted.setPosition(positionCode(cube.stickers()), problem);
        hinted.stepTurn(0);
        coach.hint();
        double longest = 0, now = 0;
        for (int frame = 0;
             frame < 100000 && (frame == 0 || coach.thinking() != Coach::Thinking::None); ++frame) {
            begin = Clock::now();
            hinted.stepMotion();
            hinted.stepTurn(now += 1.0 / 60);
            longest = std::max(longest, millisecondsSince(begin));
        }
        const std::string label = std::string("a hint's longest frame, ") + what;
        line(label.c_str(), longest, "ms", 50);
    }
    return text.empty();
}
