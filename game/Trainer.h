#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "game/Game.h"
#include "game/LastLayer.h"

namespace gyrelle {

// What the trainer keeps, apart from the records (its solves never count there): what the
// player chose, every case trained, the player's own algorithms.
struct TrainerRecords {
    // One case trained: its index in lastLayerCases(), the time from the first turn to done
    // and from the case shown to the first turn, and when (seconds since 1970).
    // The angle it was seen from: the quarter turns of the top that showed it as its
    // pieces are written (0..3).
    struct Attempt {
        int caseIndex = 0;
        std::int32_t ms = 0;
        std::int32_t recognitionMs = 0;
        std::int64_t when = 0;
        int angle = 0;
    };
    // Past this the oldest give way: years of drilling, a few megabytes.
    static constexpr size_t kMostAttempts = 100000;

    std::string set = "pll";                // a key of trainerSets()
    bool slowestFirst = false;              // cases drawn weighted toward the slowest
    bool colourNeutral = false;             // the last layer on any colour
    std::vector<Attempt> attempts;          // oldest first
    std::map<int, std::string> algorithms;  // by case index, in the usual notation
    // Moves on with every change: what saves them keeps the number it saved.
    unsigned long revision = 0;

    // The set chosen, the first where the key is none of them.
    const TrainerSetRow& setRow() const;
    void add(const Attempt& attempt);
};

// A case's figures, its newest five first among them; times in seconds.
struct CaseStats {
    int count = 0;
    double mean = 0, best = 0, recognition = 0;  // recognition: the mean
    std::vector<double> lastFive;                // newest first
    // For each angle it was seen from: how many times, and their mean (0 for none).
    int byAngle[4] = {};
    double meanByAngle[4] = {};
};
CaseStats caseStats(const TrainerRecords& records, int caseIndex);

// Drills the cases of the last layer on a cube of its own: a case of the chosen set, drawn
// at random (or weighted toward the slowest), set up at once with the top turned at random
// before and after and the whole cube held a random way with that face up (the face the
// player's cube has up, or any with colour-neutral), so nothing shows how it was made. The
// clock starts at the first turn and stops when the case is done (oriented, or solved).
class Trainer : private Game::Listener {
  public:
    class Listener {
      public:
        virtual ~Listener() = default;
        // A case set up, started or done.
        virtual void trainerChanged() = 0;
    };
    enum class Phase : char { Shown, Solving, Done };

    // `seenAs` gives the orientation and the settings; `random` a uniform 32-bit value a call.
    Trainer(TrainerRecords& records, const Game& seenAs, std::function<std::uint32_t()> random);
    ~Trainer() override;
    void setListener(Listener* listener) { listener_ = listener; }
    Game& game() { return game_; }
    const Game& game() const { return game_; }
    TrainerRecords& records() { return records_; }
    const TrainerRecords& records() const { return records_; }

    // The next case, set up now.
    void next();
    int caseIndex() const { return case_; }
    // The angle the case set up is seen from, as the player holds the cube (Attempt).
    int angle() const { return angle_; }
    Phase phase() const { return phase_; }
    // The clock at `now`: 0 until the first turn, the time taken once done.
    double seconds(double now) const;
    // The pause before the first turn, once it came.
    double recognition() const { return started_ >= 0 ? started_ - shown_ : 0; }
    // The player's algorithm for case `index` taken when it solves the case; else false
    // with `problem`. Empty moves forget it.
    bool setAlgorithm(int index, const std::string& moves, std::string& problem);

  private:
    void stepped(double now) override;
    int draw();
    void changed();

    TrainerRecords& records_;
    Game game_;
    std::function<std::uint32_t()> random_;
    Listener* listener_ = nullptr;
    int case_ = -1;
    int angle_ = 0;
    Phase phase_ = Phase::Shown;
    Motion::Kept held_;          // how the player held their cube
    int top_ = 1;                // the face slot up on the player's screen then
    unsigned long setUp_ = 0;    // the cube's revision as set up
    unsigned long checked_ = 0;  // the revision last looked at for done
    double shown_ = -1, started_ = -1, done_ = -1;
};

}  // namespace gyrelle
