#include "game/Trainer.h"

#include <algorithm>
#include <ctime>

#include "cube/Notation.h"
#include "cube/Position.h"

namespace gyrelle {

namespace {

constexpr int kUpSlot = 1;                          // the model's face slot +y
constexpr int kAxisOfSlot[6] = {2, 1, 2, 1, 0, 0};  // F U B D L R

// The whole model turned a quarter about `axis`, centres and all.
void turnWhole(MagicCube& cube, int axis) {
    for (int slice = 1; slice <= 3; ++slice) {
        cube.rotateFace(axis * 3 + slice);
    }
}

int slotOfCentre(const MagicCube& cube, int home) {
    for (int slot = 0; slot < 6; ++slot) {
        if (cube.stickers()[9 * slot + 4].faceNumber == home) {
            return slot;
        }
    }
    return -1;
}

// The cube as the player sees it: the model turned, centres and all, until the face up on
// the screen is U and the one in front F, read back with the centres home.
solver::Cubies seenAsHeld(const Game& game) {
    MagicCube cube = game.cube();
    const int up = cube.stickers()[9 * game.motion().faceTowards(1, 1) + 4].faceNumber;
    const int front = cube.stickers()[9 * game.motion().faceTowards(2, 1) + 4].faceNumber;
    for (int x = 0; x < 4 && slotOfCentre(cube, up) != kUpSlot; ++x) {
        for (int z = 0; z < 4 && slotOfCentre(cube, up) != kUpSlot; ++z) {
            turnWhole(cube, 2);
        }
        if (slotOfCentre(cube, up) != kUpSlot) {
            turnWhole(cube, 0);
        }
    }
    for (int y = 0; y < 4 && slotOfCentre(cube, front) != 0; ++y) {
        turnWhole(cube, 1);
    }
    solver::Cubies seen;
    seen.fromCode(positionCode(cube.stickers()));
    return seen;
}

}  // namespace

const TrainerSetRow& TrainerRecords::setRow() const {
    for (const TrainerSetRow& row : trainerSets()) {
        if (set == row.key) {
            return row;
        }
    }
    return trainerSets().front();
}

void TrainerRecords::add(const Attempt& attempt) {
    attempts.push_back(attempt);
    if (attempts.size() > kMostAttempts) {
        attempts.erase(attempts.begin(), attempts.begin() + (attempts.size() - kMostAttempts));
    }
    ++revision;
}

CaseStats caseStats(const TrainerRecords& records, int caseIndex) {
    CaseStats s;
    double sum = 0, recognition = 0;
    for (auto a = records.attempts.rbegin(); a != records.attempts.rend(); ++a) {
        if (a->caseIndex != caseIndex) {
            continue;
        }
        const double seconds = a->ms / 1000.0;
        s.best = s.count == 0 ? seconds : std::min(s.best, seconds);
        ++s.count;
        sum += seconds;
        recognition += a->recognitionMs / 1000.0;
        if (s.lastFive.size() < 5) {
            s.lastFive.push_back(seconds);
        }
        const int angle = a->angle & 3;
        ++s.byAngle[angle];
        s.meanByAngle[angle] += seconds;
    }
    if (s.count > 0) {
        s.mean = sum / s.count;
        s.recognition = recognition / s.count;
    }
    for (int angle = 0; angle < 4; ++angle) {
        s.meanByAngle[angle] = s.byAngle[angle] ? s.meanByAngle[angle] / s.byAngle[angle] : 0;
    }
    return s;
}

Trainer::Trainer(TrainerRecords& records, const Game& seenAs, std::function<std::uint32_t()> random)
    : records_(records), random_(std::move(random)) {
    Settings settings = seenAs.settings();
    settings.inspection = false;
    game_.setSettings(settings);
    game_.motion().restore(seenAs.motion().kept());
    game_.motion().stopSpin();
    held_ = game_.motion().kept();
    top_ = std::max(0, seenAs.motion().faceTowards(1, 1));
    game_.addListener(this);
    next();
}

Trainer::~Trainer() {
    game_.removeListener(this);
}

void Trainer::changed() {
    if (listener_) {
        listener_->trainerChanged();
    }
}

int Trainer::draw() {
    const std::vector<int> cases = casesOfSet(records_.setRow());
    if (!records_.slowestFirst) {
        return cases[random_() % cases.size()];
    }
    // Each case as likely as the mean of its newest five; one not trained yet as the
    // slowest is, so new cases come up soon.
    std::map<int, std::vector<double>> newest;
    for (auto a = records_.attempts.rbegin(); a != records_.attempts.rend(); ++a) {
        std::vector<double>& five = newest[a->caseIndex];
        if (five.size() < 5) {
            five.push_back(std::max<std::int32_t>(a->ms, 1) / 1000.0);
        }
    }
    std::vector<double> weights(cases.size(), 0);
    double slowest = 0;
    for (size_t i = 0; i < cases.size(); ++i) {
        if (auto f = newest.find(cases[i]); f != newest.end()) {
            for (double s : f->second) {
                weights[i] += s / static_cast<double>(f->second.size());
            }
            slowest = std::max(slowest, weights[i]);
        }
    }
    double total = 0;
    for (double& w : weights) {
        w = w > 0 ? w : (slowest > 0 ? slowest : 1.0);
        total += w;
    }
    double at = random_() / 4294967296.0 * total;
    for (size_t i = 0; i < cases.size(); ++i) {
        if (at < weights[i]) {
            return cases[i];
        }
        at -= weights[i];
    }
    return cases.back();
}

void Trainer::next() {
    case_ = draw();
    const solver::Cubies drawn = drawnCase(lastLayerCases()[case_], random_);
    MagicCube::Stickers stickers;
    std::string problem;
    stickersOfCode(drawn.code(), stickers, problem);
    // The whole cube turned so the last layer lies on the face wanted; read back with the
    // centres home, the last layer is there.
    const int face = records_.colourNeutral ? static_cast<int>(random_() % 6) : top_;
    MagicCube cube;
    cube.setStickers(stickers);
    for (int x = 0; x < 4 && slotOfCentre(cube, kUpSlot) != face; ++x) {
        for (int z = 0; z < 4 && slotOfCentre(cube, kUpSlot) != face; ++z) {
            turnWhole(cube, 2);
        }
        if (slotOfCentre(cube, kUpSlot) != face) {
            turnWhole(cube, 0);
        }
    }
    stickersOfCode(positionCode(cube.stickers()), stickers, problem);

    Game::Kept kept;
    kept.stickers = stickers;
    kept.motion = held_;
    game_.restore(std::move(kept), 0, 0);
    // With any colour on top, the cube is turned in the player's hands to bring it up: at
    // most two quarter turns about the model's axes do it, whichever way it is held.
    const int turns[] = {0,
                         kWholeCube,
                         -kWholeCube,
                         kWholeCube + 1,
                         -(kWholeCube + 1),
                         kWholeCube + 2,
                         -(kWholeCube + 2)};
    bool up = game_.motion().faceTowards(1, 1) == face;
    for (int first : turns) {
        for (int second : turns) {
            if (up) {
                break;
            }
            game_.motion().restore(held_);
            for (int code : {first, second}) {
                if (code != 0) {
                    game_.turnWholeCube(code, true);
                }
            }
            up = game_.motion().faceTowards(1, 1) == face;
        }
    }
    // And held a random way round it.
    for (int spin = static_cast<int>(random_() % 4); spin > 0; --spin) {
        game_.turnWholeCube(kWholeCube + kAxisOfSlot[face], true);
    }
    angle_ = std::max(0, caseAngle(seenAsHeld(game_), lastLayerCases()[case_]));
    setUp_ = game_.cube().revision();
    phase_ = Phase::Shown;
    shown_ = started_ = done_ = -1;
    changed();
}

void Trainer::stepped(double now) {
    if (shown_ < 0) {
        shown_ = now;
    }
    const MagicCube& cube = game_.cube();
    if (phase_ == Phase::Shown && (cube.animating() || cube.revision() != setUp_)) {
        started_ = now;
        phase_ = Phase::Solving;
        changed();
    }
    if (phase_ != Phase::Solving || cube.animating() || cube.revision() == checked_) {
        return;
    }
    checked_ = cube.revision();
    solver::Cubies pieces;
    if (!pieces.fromCode(positionCode(cube.stickers())) ||
        !caseDone(pieces, lastLayerCases()[case_].kind)) {
        return;
    }
    done_ = now;
    phase_ = Phase::Done;
    auto ms = [](double seconds) { return static_cast<std::int32_t>(seconds * 1000 + 0.5); };
    records_.add({case_, ms(done_ - started_), ms(started_ - shown_),
                  static_cast<std::int64_t>(std::time(nullptr)), angle_});
    changed();
}

double Trainer::seconds(double now) const {
    switch (phase_) {
        case Phase::Shown:
            return 0;
        case Phase::Solving:
            return std::max(0.0, now - started_);
        case Phase::Done:
            return done_ - started_;
    }
    return 0;
}

bool Trainer::setAlgorithm(int index, const std::string& moves, std::string& problem) {
    const LastLayerCase& c = lastLayerCases().at(static_cast<size_t>(index));
    if (moves.find_first_not_of(" ") == std::string::npos) {
        records_.algorithms.erase(index);
        ++records_.revision;
        return true;
    }
    if (!solvesCase(c, moves)) {
        problem = "These moves do not solve the " + caseTitle(c) + ": " + moves;
        return false;
    }
    records_.algorithms[index] = moves;
    ++records_.revision;
    return true;
}

}  // namespace gyrelle
