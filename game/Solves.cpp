#include "game/Solves.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

namespace gyrelle {

double Solve::result() const {
    return penalty == Penalty::Dnf ? HUGE_VAL : penalty == Penalty::PlusTwo ? seconds + 2 : seconds;
}

double Solves::seconds(double now) const {
    if (phase_ == Phase::Running) {
        return now - startedAt_;
    }
    return std::max(0.0, inspected(now) - kInspection);
}

double Solves::inspected(double now) const {
    if (phase_ != Phase::Scrambled || inspectedFrom_ == -HUGE_VAL) {
        return -1;
    }
    return std::isnan(inspectedFrom_) ? 0 : now - inspectedFrom_;
}

void Solves::beginInspection(double now) {
    if (phase_ == Phase::Scrambled && std::isnan(inspectedFrom_)) {
        inspectedFrom_ = now;
    }
}

void Solves::resumeInspection(double seconds, double now) {
    if (phase_ == Phase::Scrambled) {
        inspectedFrom_ = now - std::max(0.0, seconds);
        ++revision_;
    }
}

// Started more than 15 s after the scramble, +2; more than 17, DNF: exactly 15 and
// exactly 17 are still within each.
Penalty Solves::penalty(double now) const {
    const double t = inspected(now);
    if (phase_ != Phase::Scrambled || t < 0) {
        return phase_ == Phase::Running ? penalty_ : Penalty::None;
    }
    return t > kPlusTwoUntil ? Penalty::Dnf : t > kInspection ? Penalty::PlusTwo : Penalty::None;
}

void Solves::scrambled(Scramble kind, std::string scramble, std::string start) {
    phase_ = Phase::Scrambled;
    timingKnown_ = !start.empty();
    timing_ = {std::move(start), -1, {}};
    inspectedFrom_ = inspection_ ? NAN : -HUGE_VAL;
    penalty_ = Penalty::None;
    moves_ = 0;
    kind_ = kind;
    assisted_ = false;
    shared_ = false;
    scramble_ = std::move(scramble);
    ++revision_;
}

void Solves::markShared() {
    if (phase_ != Phase::None && kind_ == Scramble::Competition && !shared_) {
        shared_ = true;
        ++revision_;
    }
}

void Solves::assisted() {
    if (phase_ != Phase::None && !assisted_) {
        assisted_ = true;
        ++revision_;
    }
}

void Solves::setKind(Scramble kind, bool assisted, std::string scramble) {
    kind_ = kind;
    assisted_ = assisted;
    scramble_ = std::move(scramble);
    ++revision_;
}

void Solves::abandoned() {
    phase_ = Phase::None;
    timingKnown_ = false;
    timing_ = {};
    moves_ = 0;
    inspectedFrom_ = -HUGE_VAL;
    penalty_ = Penalty::None;
    ++revision_;
}

bool Solves::turned(double now, bool solved, std::time_t date, int code) {
    if (phase_ == Phase::None) {
        return false;
    }
    ++revision_;
    if (phase_ == Phase::Scrambled) {
        beginInspection(now);  // a turn before any frame: no time to look
        penalty_ = penalty(now);
        // An inspection that ran out started the clock when it did.
        timing_.inspection = inspected(now);
        startedAt_ = std::min(now, now - timing_.inspection + kInspection);
        phase_ = Phase::Running;
    }
    moves_ = std::min(moves_ + 1, kMostMoves);
    timed(now, code);
    if (!solved) {
        return false;
    }
    done_.push_back(
        {.date = date,
         .moves = moves_,
         .seconds = std::min(seconds(now), kLongest),
         .kind = kind_,
         .assisted = assisted_,
         .penalty = penalty_,
         .shared = shared_,
         .session = static_cast<std::uint16_t>(shownSession_),
         .scramble = scramble_,
         .turns = timingKnown_ ? std::make_shared<const SolveTurns>(std::move(timing_)) : nullptr});
    keepTurnsWithin();
    abandoned();
    return true;
}

void Solves::rotated(double now, int code) {
    if (phase_ != Phase::None) {
        timed(now, code);
        ++revision_;
    }
}

// Whole-cube turns while armed come before the clock: at 0.
void Solves::timed(double now, int code) {
    if (!timingKnown_) {
        return;
    }
    if (code == 0 || timing_.turns.size() >= kMostTimedTurns) {
        timingKnown_ = false;  // not known whole: none kept
        timing_ = {};
        return;
    }
    const double ms = phase_ == Phase::Running ? std::round((now - startedAt_) * 1000) : 0;
    timing_.turns.push_back({static_cast<std::int32_t>(std::clamp(ms, 0.0, 2147483647.0)),
                             static_cast<std::int8_t>(code)});
}

// From the newest back to the oldest with turns, which the next walk stops at: a million
// solves read back are walked once, not at every solve.
void Solves::keepTurnsWithin() {
    size_t solves = 0, turns = 0, oldest = done_.size();
    for (size_t i = done_.size(); i > timedFrom_; --i) {
        const std::shared_ptr<const SolveTurns>& t = done_[i - 1].turns;
        if (!t) {
            continue;
        }
        if (++solves > kMostTimedSolves || (turns += t->turns.size()) > kMostTimedInAll) {
            for (size_t j = timedFrom_; j < i; ++j) {
                done_[j].turns = nullptr;
            }
            timedFrom_ = i;
            return;
        }
        oldest = i - 1;
    }
    timedFrom_ = oldest;
}

void Solves::resume(int moves, double seconds, double now) {
    phase_ = Phase::Running;
    timingKnown_ = false;
    moves_ = moves;
    startedAt_ = now - seconds;
    ++revision_;
}

Solves::UnderWay Solves::underWay(double now, double wallNow) const {
    const double gone = inspected(now);
    return {phase_,
            moves_,
            seconds(now),
            kind_,
            assisted_,
            scramble_,
            penaltyTaken(),
            gone < 0 ? -1 : wallNow - gone,
            timingKnown_ && phase_ != Phase::None ? std::make_shared<const SolveTurns>(timing_)
                                                  : nullptr,
            shared_};
}

void Solves::resume(const UnderWay& solve, double now, double wallNow) {
    if (solve.phase == Phase::Scrambled) {
        scrambled(solve.kind, solve.scramble);
        if (solve.inspectionStart >= 0) {
            // As long as it has been since it began, the game closed or not: a restart
            // neither begins it again nor gives back the time away.
            resumeInspection(std::max(0.0, wallNow - solve.inspectionStart), now);
        }
    } else if (solve.phase == Phase::Running) {
        resume(solve.moves, solve.seconds, now);
    }
    if (solve.phase != Phase::None) {
        setKind(solve.kind, solve.assisted, solve.scramble);
        if (solve.shared) {
            markShared();
        }
        setPenalty(solve.phase == Phase::Running ? solve.penalty : Penalty::None);
        // Turns read back go on; a solve kept without them has none known.
        timingKnown_ = solve.turns != nullptr;
        timing_ = solve.turns ? *solve.turns : SolveTurns{};
    }
}

bool Solves::sessionName(const std::string& name) {
    return !name.empty() && name.size() <= kLongestSessionName &&
           name.find_first_of("\n\r") == std::string::npos &&
           name.find_first_not_of(' ') != std::string::npos;
}

void Solves::setSessions(std::vector<std::string> names, size_t shown,
                         const std::vector<std::uint16_t>& sessionOf) {
    if (!names.empty() && names.size() <= kMostSessions &&
        std::all_of(names.begin(), names.end(), sessionName)) {
        sessions_ = std::move(names);
    }
    for (size_t i = 0; i < done_.size(); ++i) {
        const size_t s = sessionOf.size() == done_.size() ? sessionOf[i] : 0;
        done_[i].session = static_cast<std::uint16_t>(s < sessions_.size() ? s : 0);
    }
    shownSession_ = shown < sessions_.size() ? shown : 0;
    ++revision_;
    ++rewrites_;
}

void Solves::showSession(size_t index) {
    if (index < sessions_.size() && index != shownSession_) {
        shownSession_ = index;
        ++revision_;
    }
}

Solves::SessionsBefore Solves::snapshot() const {
    SessionsBefore b{sessions_, shownSession_, {}, {}};
    b.sessionOf.reserve(done_.size());
    for (const Solve& s : done_) {
        b.sessionOf.push_back(s.session);
    }
    return b;
}

bool Solves::addSession(std::string name, SessionsBefore& before) {
    if (sessions_.size() >= kMostSessions || !sessionName(name)) {
        return false;
    }
    before = snapshot();
    sessions_.push_back(std::move(name));
    shownSession_ = sessions_.size() - 1;
    ++revision_;
    return true;
}

bool Solves::renameSession(size_t index, std::string name, SessionsBefore& before) {
    if (index >= sessions_.size() || !sessionName(name)) {
        return false;
    }
    before = snapshot();
    sessions_[index] = std::move(name);
    ++revision_;
    return true;
}

bool Solves::mergeSessions(size_t from, size_t into, SessionsBefore& before) {
    if (from >= sessions_.size() || into >= sessions_.size() || from == into) {
        return false;
    }
    before = snapshot();
    for (Solve& s : done_) {
        const size_t was = s.session == from ? into : s.session;
        s.session = static_cast<std::uint16_t>(was > from ? was - 1 : was);
    }
    sessions_.erase(sessions_.begin() + static_cast<long>(from));
    shownSession_ = into > from ? into - 1 : into;
    ++revision_;
    ++rewrites_;
    return true;
}

bool Solves::deleteSession(size_t index, SessionsBefore& before) {
    if (index >= sessions_.size() || sessions_.size() == 1) {
        return false;
    }
    before = snapshot();
    std::vector<Solve> kept;
    kept.reserve(done_.size());
    for (size_t i = 0; i < done_.size(); ++i) {
        if (done_[i].session == index) {
            before.removed.emplace_back(i, std::move(done_[i]));
        } else {
            kept.push_back(std::move(done_[i]));
            if (kept.back().session > index) {
                --kept.back().session;
            }
        }
    }
    done_ = std::move(kept);
    sessions_.erase(sessions_.begin() + static_cast<long>(index));
    if (shownSession_ == index) {
        shownSession_ = 0;
    } else if (shownSession_ > index) {
        --shownSession_;
    }
    timedFrom_ = 0;
    keepTurnsWithin();
    ++revision_;
    ++rewrites_;
    return true;
}

void Solves::restoreSessions(SessionsBefore before) {
    if (!before.removed.empty()) {
        std::vector<Solve> all;
        all.reserve(done_.size() + before.removed.size());
        size_t next = 0;  // of the solves kept
        for (auto& [at, solve] : before.removed) {
            while (all.size() < at && next < done_.size()) {
                all.push_back(std::move(done_[next++]));
            }
            all.push_back(std::move(solve));
        }
        while (next < done_.size()) {
            all.push_back(std::move(done_[next++]));
        }
        done_ = std::move(all);
    }
    for (size_t i = 0; i < done_.size() && i < before.sessionOf.size(); ++i) {
        done_[i].session = before.sessionOf[i];
    }
    sessions_ = std::move(before.names);
    shownSession_ = before.shown;
    timedFrom_ = 0;
    keepTurnsWithin();
    ++revision_;
    ++rewrites_;
}

bool Solves::lastWasBest() const {
    // A DNF is no result at all: it neither is a best nor stands in one's way.
    // Only against the solves of its own session.
    const std::uint16_t session = done_.empty() ? 0 : done_.back().session;
    auto counts = [&](const Solve& s) {
        return !s.assisted && s.penalty != Penalty::Dnf && s.session == session;
    };
    if (done_.empty() || !counts(done_.back()) ||
        std::none_of(done_.begin(), done_.end() - 1, counts)) {
        return false;
    }
    const Solve& last = done_.back();
    auto beats = [&](auto better) {
        return std::all_of(done_.begin(), done_.end() - 1,
                           [&](const Solve& s) { return !counts(s) || better(s); });
    };
    return beats([&](const Solve& s) { return last.result() < s.result(); }) ||
           beats([&](const Solve& s) { return s.moves == 0 || last.moves < s.moves; });
}

std::optional<double> averageOfLast(const std::vector<Solve>& solves, size_t count) {
    std::vector<double> times;
    for (auto s = solves.rbegin(); s != solves.rend() && times.size() < count; ++s) {
        if (!s->assisted) {
            times.push_back(s->result());
        }
    }
    if (count < 3 || times.size() < count) {
        return std::nullopt;
    }
    std::sort(times.begin(), times.end());
    if (std::isinf(times[count - 2])) {
        return HUGE_VAL;  // a DNF among those that count
    }
    return std::accumulate(times.begin() + 1, times.end() - 1, 0.0) / double(count - 2);
}

std::string clockText(double seconds) {
    if (std::isinf(seconds)) {
        return "DNF";
    }
    // Tenths counted whole first, so that 59.99 shows as 0:59.9, never 0:60.0; a hair
    // added so that a time read back as 2.3 (a little less in binary) is not 2.2.
    const long long tenths = static_cast<long long>(std::floor(std::max(seconds, 0.0) * 10 + 1e-6));
    const long long s = tenths / 10, minutes = s / 60, hours = minutes / 60;
    char text[48];
    if (hours > 0) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld.%lld", hours, minutes % 60, s % 60,
                      tenths % 10);
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld.%lld", minutes, s % 60, tenths % 10);
    }
    return text;
}

std::string penaltyText(Penalty penalty) {
    return penalty == Penalty::PlusTwo ? " +2" : penalty == Penalty::Dnf ? " DNF" : "";
}

std::string movesText(int moves) {
    return std::to_string(moves) + (moves == 1 ? " move" : " moves");
}

std::string recordsText(const std::vector<Solve>& solves) {
    if (solves.empty()) {
        return "No solves yet.\n";
    }
    // Bests of the solves made without help; "-" when every one had some.
    auto best = [&](auto key) {
        std::optional<decltype(key(solves[0]))> found;
        for (const Solve& s : solves) {
            if (!s.assisted && s.penalty != Penalty::Dnf && (!found || key(s) < *found)) {
                found = key(s);
            }
        }
        return found;
    };
    auto average = [&](size_t count) {
        const std::optional<double> a = averageOfLast(solves, count);
        return a ? clockText(*a) : std::string("-");
    };
    const auto time = best([](const Solve& s) { return s.result(); });
    // An imported solve whose moves are not known has none to count.
    const auto moves =
        best([](const Solve& s) { return s.moves > 0 ? s.moves : Solves::kMostMoves + 1; });
    std::string text = "Solves: " + std::to_string(solves.size()) + "\n";
    text += "Best time: " + (time ? clockText(*time) : std::string("-")) + "\n";
    text += "Fewest moves: " +
            (moves && *moves <= Solves::kMostMoves ? std::to_string(*moves) : std::string("-")) +
            "\n";
    text += "Average of 5: " + average(5) + "\n";
    text += "Average of 12: " + average(12) + "\n";
    text += "Last solves:\n";
    const size_t shown = std::min<size_t>(solves.size(), 12);
    for (auto s = solves.end() - static_cast<long>(shown); s != solves.end(); ++s) {
        char date[32] = "";
        std::tm local{};
        if (localtime_r(&s->date, &local)) {
            std::strftime(date, sizeof date, "%Y-%m-%d %H:%M", &local);
        }
        text += std::string(date) + "  " +
                (s->moves > 0 ? movesText(s->moves) : "moves not known") + "  " +
                clockText(s->seconds) + penaltyText(s->penalty) +
                (s->assisted ? "  assisted" : "") + "\n";
    }
    return text;
}

}  // namespace gyrelle
