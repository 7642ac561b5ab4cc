#include "game/Replay.h"

#include <algorithm>
#include <cstdio>

#include "cube/Notation.h"
#include "cube/Position.h"

namespace gyrelle {

namespace {
// Turns played ahead of the one landing at most: the rest wait for the clock, so that a
// fast part at 4x never fills the game's queue.
constexpr int kMostAhead = 4;
}  // namespace

std::unique_ptr<Replay> Replay::of(std::shared_ptr<const SolveTurns> turns, Method method,
                                   const Game& seenAs, std::string scramble) {
    if (!turns) {
        return nullptr;
    }
    auto splits = splitsOf(*turns, method);
    MagicCube::Stickers start;
    std::string problem;
    if (!splits || !stickersOfCode(turns->start, start, problem)) {
        return nullptr;
    }
    return std::unique_ptr<Replay>(
        new Replay(std::move(turns), std::move(*splits), start, seenAs, std::move(scramble)));
}

Replay::Replay(std::shared_ptr<const SolveTurns> turns, std::vector<Split> splits,
               MagicCube::Stickers start, const Game& seenAs, std::string scramble)
    : turns_(std::move(turns)),
      splits_(std::move(splits)),
      start_(start),
      scramble_(std::move(scramble)) {
    Settings settings = seenAs.settings();
    settings.inspection = false;
    game_.setSettings(settings);
    game_.setReplaying();
    game_.motion().restore(seenAs.motion().kept());
    game_.motion().stopSpin();
    held_ = game_.motion().kept();
    game_.setDrawnPosition(start_, {});
    game_.addListener(this);
}

Replay::~Replay() {
    game_.removeListener(this);
}

void Replay::changed() {
    if (listener_) {
        listener_->replayChanged();
    }
}

size_t Replay::step() const {
    for (size_t k = 0; k < splits_.size(); ++k) {
        if (applied_ < splits_[k].end) {
            return k;
        }
    }
    return splits_.empty() ? 0 : splits_.size() - 1;
}

void Replay::playOrPause() {
    if (playing_) {
        pause();
        return;
    }
    if (applied_ == turns_->turns.size()) {
        toStart();  // from the start again
    }
    playing_ = true;
    lastNow_ = -1;
    changed();
}

void Replay::pause() {
    if (playing_) {
        playing_ = false;
        changed();
    }
}

void Replay::forward() {
    pause();
    if (applied_ < turns_->turns.size() && game_.waitingCount() < kMostAhead) {
        game_.play(turns_->turns[applied_].code);
        at_ = turns_->turns[applied_].ms;
        ++applied_;
        changed();
    }
}

void Replay::back() {
    pause();
    if (applied_ > 0 && game_.waitingCount() < kMostAhead) {
        --applied_;
        game_.play(-turns_->turns[applied_].code);
        at_ = applied_ > 0 ? turns_->turns[applied_ - 1].ms : 0;
        changed();
    }
}

void Replay::seekTo(double ms, bool end) {
    pause();
    ms = std::clamp(ms, 0.0, length());
    size_t k = 0;
    MagicCube cube;
    cube.setStickers(start_);
    game_.motion().restore(held_);  // held as it began, then turned as the solve turned it
    game_.motion().fMakeTopDistance = 0;
    const std::vector<TimedTurn>& t = turns_->turns;
    // Those made before then; at the very end, all of them.
    while (k < t.size() && (t[k].ms < ms || end)) {
        if (!isWholeCube(t[k].code)) {
            cube.rotateFace(t[k].code);
        } else {
            game_.turnWholeCube(t[k].code, true);
        }
        ++k;
    }
    applied_ = k;
    at_ = ms;
    game_.setDrawnPosition(cube.stickers(), {});
    changed();
}

void Replay::nextSpeed() {
    speed_ = (speed_ + 1) % std::size(kSpeeds);
    changed();
}

void Replay::stepped(double now) {
    if (!playing_) {
        lastNow_ = now;
        return;
    }
    if (lastNow_ >= 0) {
        at_ += (now - lastNow_) * 1000 * kSpeeds[speed_];
    }
    lastNow_ = now;
    const std::vector<TimedTurn>& t = turns_->turns;
    // The first turn at once: the clock of a replay starts with it, as the solve's did.
    while (applied_ < t.size() && t[applied_].ms <= at_ && game_.waitingCount() < kMostAhead) {
        game_.play(t[applied_].code);
        ++applied_;
    }
    if (applied_ == t.size()) {
        at_ = std::min(at_, length());
        playing_ = false;
    }
    changed();
}

std::string Replay::reconstruction() const {
    return reconstructionText(*turns_, splits_, scramble_);
}

std::string reconstructionText(const SolveTurns& turns, const std::vector<Split>& splits,
                               const std::string& scramble) {
    std::string text =
        scramble.empty() ? "Position: " + turns.start + "\n" : "Scramble: " + scramble + "\n";
    Reading reading;
    for (const Split& s : splits) {
        char head[128];
        std::snprintf(head, sizeof head, "%s (%.2f s, %d %s, %.1f/s, %.2f s to see):", s.name,
                      s.seconds, s.turns, s.turns == 1 ? "turn" : "turns", s.turnsPerSecond(),
                      s.recognition);
        text += head;
        // Two quarter turns of one slice (or the whole cube) the same way are a half turn.
        for (size_t e = s.first; e < s.end; ++e) {
            const int code = turns.turns[e].code;
            const std::string token = reading.text(code);
            text += ' ';
            if (e + 1 < s.end && turns.turns[e + 1].code == code) {
                reading.text(code);  // the frame moves on for a whole cube's second quarter
                text += token[0];
                text += '2';
                ++e;
            } else {
                text += token;
            }
        }
        text += "\n";
    }
    return text;
}

}  // namespace gyrelle
