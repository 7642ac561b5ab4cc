// The game killed (SIGKILL: a power cut, the out-of-memory killer) at any moment of a
// save, and while playing: the files always read back as one save or the other, with
// the undo history and a solve under way intact and the records agreeing with the cube.
#include <sys/wait.h>
#include <unistd.h>

#include <random>

#include "cube/Position.h"
#include "tests/support/StoreFixture.h"
#include "tests/support/SyscallSpy.h"

namespace gyrelle::testing {
namespace {

class SaveCrashTest : public StoreTest {
  protected:
    void SetUp() override {
        StoreTest::SetUp();
        spy::fixedTime = 1765000000;  // solves dated alike in every process
    }
    void TearDown() override {
        spy::fixedTime = 0;
        StoreTest::TearDown();
    }

    // The three files as they lie in `in`.
    struct OnDisk {
        std::string cube, history, records;
        bool operator==(const OnDisk&) const = default;
    };
    OnDisk onDisk(const std::string& in) const {
        auto read = [&](const char* name) {
            std::stringstream s;
            s << std::ifstream(in + "/" + name, std::ios::binary).rdbuf();
            return s.str();
        };
        return {read("cube_state.dat"), read("history"), read("records")};
    }
    std::string freshFolder() {
        char pattern[] = "/tmp/gyrelle-crash-XXXXXX";
        EXPECT_NE(mkdtemp(pattern), nullptr);
        folders.push_back(pattern);
        return pattern;
    }
    void TearDownFolders() {
        for (const auto& f : folders) {
            std::filesystem::remove_all(f);
        }
    }
    ~SaveCrashTest() override { TearDownFolders(); }

    // Save A: a cube two turns from solved, its solve started by one turn, its history.
    void playA(Session& s) {
        MagicCube cube;
        cube.rotateFace(1);
        cube.rotateFace(5);
        cube.rotateFace(8);
        std::string problem;
        ASSERT_TRUE(s.game.setPosition(positionCode(cube.stickers()), problem));
        land(s, -8);
        now += 12.5;
        ASSERT_TRUE(s.keeper->saveNow());
    }
    // Save B: one more turn, saved; or, with `solve`, the last two, the second solving
    // the cube (the record saved at once).
    void playB(Session& s, bool solve) {
        land(s, -5);
        now += 3.25;
        if (solve) {
            land(s, -1);
        } else {
            s.game.motion().currentRotation = rotation(0, 1, 0, 1);
            s.keeper->saveNow();
        }
    }

    std::vector<std::string> folders;
};

TEST_F(SaveCrashTest, AKillAtAnyMomentOfASaveLeavesOneWholeSave) {
    for (bool solve : {false, true}) {
        const double start = now;
        const std::string reference = freshFolder();
        OnDisk a, b;
        {
            auto s = open(nullptr, reference);
            playA(*s);
            a = onDisk(reference);
            playB(*s, solve);
            b = onDisk(reference);
        }
        ASSERT_NE(a.cube, b.cube);
        ASSERT_NE(a.history, b.history);
        ASSERT_NE(a.records, b.records);
        int seenA = 0, seenB = 0;
        for (int moment = 1;; ++moment) {
            ASSERT_LT(moment, 100) << "the save never ends";
            const std::string in = freshFolder();
            now = start;
            const pid_t child = fork();
            if (child == 0) {
                auto s = open(nullptr, in);
                playA(*s);
                spy::killAt(moment);
                playB(*s, solve);
                _exit(0);
            }
            int status = 0;
            waitpid(child, &status, 0);
            const bool killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
            ASSERT_TRUE(killed || (WIFEXITED(status) && WEXITSTATUS(status) == 0));

            std::string log;
            auto after = open(&log, in);  // completes a save cut short
            EXPECT_EQ(log, "") << "moment " << moment;
            const OnDisk found = onDisk(in);
            EXPECT_TRUE(found == a || found == b) << "a mix, killed at moment " << moment;
            seenA += found == a;
            seenB += found == b;
            EXPECT_EQ(after->game.history().entries().size(), found == a ? 2u : solve ? 4u : 3u);
            EXPECT_EQ(after->game.solves().done().size(), found == b && solve ? 1u : 0u);
            EXPECT_EQ(after->game.solves().phase(),
                      found == b && solve ? Solves::Phase::None : Solves::Phase::Running);
            if (!killed) {
                EXPECT_TRUE(found == b);
                break;
            }
        }
        EXPECT_GT(seenA, 0);
        EXPECT_GT(seenB, 1);
    }
}

// Random play, saved as it goes, killed at a random moment of one of its saves: what the
// next start finds is whole. Its history leads back to the solved cube the play began
// with, and a solve under way in the records is on the cube restored.
TEST_F(SaveCrashTest, AKillWhilePlayingLeavesAWholeSave) {
    for (unsigned seed = 1; seed <= 16; ++seed) {
        const std::string in = freshFolder();
        const pid_t child = fork();
        if (child == 0) {
            std::mt19937 rng(seed);
            auto s = open(nullptr, in);
            struct Answer : Game::Listener {
                Game* game = nullptr;
                void resetAsked() override { game->answerReset(true); }
            } answer;
            answer.game = &s->game;
            s->game.addListener(&answer);
            spy::killAt(std::uniform_int_distribution<int>(1, 500)(rng));
            std::uniform_int_distribution<int> pick(0, 99);
            for (int step = 0; step < 400; ++step) {
                const int k = pick(rng);
                if (k < 35) {
                    s->game.type("fbudrlmesxyz"[pick(rng) % 12], pick(rng) < 50);
                } else if (k < 45) {
                    s->game.undo();
                } else if (k < 50) {
                    s->game.redo();
                } else if (k < 55) {
                    s->game.newGame();
                } else if (k < 62) {  // one turn from solved, and maybe the turn back
                    MagicCube cube;
                    const int code = 1 + pick(rng) % 9;
                    cube.rotateFace(code);
                    std::string problem;
                    s->game.setPosition(positionCode(cube.stickers()), problem);
                    frames(*s, 6);
                    if (pick(rng) < 70) {
                        s->game.turn(-code);
                    }
                } else if (k < 64) {
                    s->keeper->saveSoon();
                }
                frames(*s, pick(rng) % 8);
                if (pick(rng) < 15) {
                    advance(2.5);  // at rest: a save falls due
                }
            }
            s->keeper->saveNow();
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        std::string log;
        auto after = open(&log, in);
        EXPECT_EQ(log, "") << "seed " << seed;
        Game& game = after->game;
        for (int guard = 0; game.history().canUndo() && guard < 20000; ++guard) {
            game.undo();
            for (int f = 0; f < 4; ++f) {
                game.stepMotion();
                game.stepTurn(now);
            }
        }
        EXPECT_TRUE(sameStickers(game.cube(), MagicCube())) << "seed " << seed;
    }
}

}  // namespace
}  // namespace gyrelle::testing
