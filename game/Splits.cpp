// Steps found from the stickers: each check is groups of sticker slots that must each show
// one colour, made from pieces named by where they sit when the cube is held one way, then
// turned to each of the 24 ways it may be held.
#include "game/Splits.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>

#include "cube/MagicCube.h"
#include "cube/Notation.h"
#include "cube/Position.h"

namespace gyrelle {

namespace {

using State = std::array<std::int8_t, MagicCube::kStickers>;
using Vec = std::array<int, 3>;
using Matrix = std::array<Vec, 3>;  // rows

// A sticker of a piece: where the piece sits, and which way the sticker faces.
struct Sticker {
    Vec at, facing;
};

// Face slots point +z +y -z -y -x +x.
constexpr Vec kNormals[6] = {{0, 0, 1}, {0, 1, 0}, {0, 0, -1}, {0, -1, 0}, {-1, 0, 0}, {1, 0, 0}};

Vec times(const Matrix& m, const Vec& v) {
    Vec out{};
    for (int r = 0; r < 3; ++r) {
        out[r] = m[r][0] * v[0] + m[r][1] * v[1] + m[r][2] * v[2];
    }
    return out;
}

Matrix times(const Matrix& a, const Matrix& b) {
    Matrix out{};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            out[r][c] = a[r][0] * b[0][c] + a[r][1] * b[1][c] + a[r][2] * b[2][c];
        }
    }
    return out;
}

// The 24 ways to hold the cube: made from quarter turns about x and y.
const std::vector<Matrix>& holds() {
    static const std::vector<Matrix> all = [] {
        const Matrix x = {{{1, 0, 0}, {0, 0, -1}, {0, 1, 0}}};
        const Matrix y = {{{0, 0, 1}, {0, 1, 0}, {-1, 0, 0}}};
        std::vector<Matrix> found = {{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}}};
        for (size_t i = 0; i < found.size(); ++i) {
            for (const Matrix& g : {x, y}) {
                const Matrix m = times(g, found[i]);
                if (std::find(found.begin(), found.end(), m) == found.end()) {
                    found.push_back(m);
                }
            }
        }
        return found;
    }();
    return all;
}

// The slot of a sticker on the model.
int slotOf(const Sticker& s) {
    int face = 0;
    while (kNormals[face] != s.facing) {
        ++face;
    }
    for (const Voxlet& v : MagicCube::solved().voxlets()) {
        if (v.xyz[0] == s.at[0] && v.xyz[1] == s.at[1] && v.xyz[2] == s.at[2]) {
            return v.faces[face];
        }
    }
    return -1;
}

// Slots grouped by the way they face: each group shows one colour when the check holds.
struct Check {
    std::vector<std::vector<int>> groups;
    bool holds(const State& s) const {
        for (const auto& g : groups) {
            for (size_t i = 1; i < g.size(); ++i) {
                if (s[g[i]] != s[g[0]]) {
                    return false;
                }
            }
        }
        return true;
    }
};

// Every sticker of the pieces `where` picks, one colour to a side; and the stickers `also`
// picks, one colour to a side among themselves (the top's corners, solved up to a turn of
// the top): held as `m`.
template <class Where, class Also>
Check checkOf(const Matrix& m, Where where, Also also) {
    Check c;
    c.groups.resize(12);
    for (int x = -1; x <= 1; ++x) {
        for (int y = -1; y <= 1; ++y) {
            for (int z = -1; z <= 1; ++z) {
                const Vec at = {x, y, z};
                for (int f = 0; f < 6; ++f) {
                    const Vec& n = kNormals[f];
                    const bool outside =
                        (n[0] && n[0] == x) || (n[1] && n[1] == y) || (n[2] && n[2] == z);
                    const bool inWhere = where(at);
                    if (!outside || !(inWhere || also(at, n))) {
                        continue;
                    }
                    const Vec facing = times(m, n);
                    int g = 0;
                    while (kNormals[g] != facing) {
                        ++g;
                    }
                    c.groups[inWhere ? g : 6 + g].push_back(slotOf({times(m, at), facing}));
                }
            }
        }
    }
    return c;
}

template <class Where>
Check checkOf(const Matrix& m, Where where) {
    return checkOf(m, where, [](const Vec&, const Vec&) { return false; });
}

bool centre(const Vec& p) {
    return std::abs(p[0]) + std::abs(p[1]) + std::abs(p[2]) == 1;
}

// CFOP, held with the cross down (-y): the cross, each pair's slot, the first two layers
// with the top's stickers, all.
struct Cfop {
    Check cross, pairs[4], oll, all;
};
const std::vector<Cfop>& cfops() {
    static const std::vector<Cfop> all = [] {
        std::vector<Cfop> out;
        std::vector<Vec> downs;
        for (const Matrix& m : holds()) {
            const Vec down = times(m, Vec{0, -1, 0});
            if (std::find(downs.begin(), downs.end(), down) != downs.end()) {
                continue;  // one hold for each face down: its turns about it find the same
            }
            downs.push_back(down);
            auto cross = [](const Vec& p) {
                return (p[1] == -1 && std::abs(p[0]) + std::abs(p[2]) <= 1) ||
                       (p[1] == 0 && centre(p));
            };
            Cfop c;
            c.cross = checkOf(m, cross);
            int k = 0;
            for (int sx : {-1, 1}) {
                for (int sz : {-1, 1}) {
                    c.pairs[k++] = checkOf(m, [&](const Vec& p) {
                        return cross(p) || (p[0] == sx && p[2] == sz && p[1] <= 0);
                    });
                }
            }
            c.oll = checkOf(
                m, [](const Vec& p) { return p[1] <= 0; },
                [](const Vec& p, const Vec& n) { return p[1] == 1 && n[1] == 1; });
            c.all = checkOf(m, [](const Vec&) { return true; });
            out.push_back(std::move(c));
        }
        return out;
    }();
    return all;
}

// Roux, held with the first block left (-x) and down (-y): that block, both blocks, both
// with the top's corners solved among themselves (the last six edges turn the top).
struct Roux {
    Check first, second, cmll;
};
const std::vector<Roux>& rouxs() {
    static const std::vector<Roux> all = [] {
        std::vector<Roux> out;
        for (const Matrix& m : holds()) {
            Roux r;
            r.first = checkOf(m, [](const Vec& p) { return p[0] == -1 && p[1] <= 0; });
            r.second = checkOf(m, [](const Vec& p) { return p[0] != 0 && p[1] <= 0; });
            r.cmll = checkOf(
                m, [](const Vec& p) { return p[0] != 0 && p[1] <= 0; },
                [](const Vec& p, const Vec&) { return p[0] != 0 && p[1] == 1 && p[2] != 0; });
            out.push_back(std::move(r));
        }
        return out;
    }();
    return all;
}

// Where each slot's sticker comes from in a quarter turn of each slice code.
const std::array<std::array<std::int8_t, 54>, 19>& moved() {
    static const auto all = [] {
        std::array<std::array<std::int8_t, 54>, 19> out{};
        for (int code = -9; code <= 9; ++code) {
            MagicCube cube;
            MagicCube::Stickers marked = cube.stickers();
            for (int s = 0; s < 54; ++s) {
                marked[s].faceNumber = static_cast<signed char>(s);
            }
            cube.setStickers(marked);
            cube.rotateFace(code);
            for (int s = 0; s < 54; ++s) {
                out[code + 9][s] = cube.stickers()[s].faceNumber;
            }
        }
        return out;
    }();
    return all;
}

// The states as the solve went: the start, then after each of its entries.
bool statesOf(const SolveTurns& turns, std::vector<State>& states) {
    MagicCube::Stickers stickers;
    std::string problem;
    if (!stickersOfCode(turns.start, stickers, problem)) {
        return false;
    }
    states.resize(turns.turns.size() + 1);
    for (int s = 0; s < 54; ++s) {
        states[0][s] = stickers[s].faceNumber;
    }
    for (size_t i = 0; i < turns.turns.size(); ++i) {
        const int code = turns.turns[i].code;
        if (isWholeCube(code) || code == 0 || code < -9 || code > 9) {
            states[i + 1] = states[i];
            continue;
        }
        const auto& from = moved()[code + 9];
        for (int s = 0; s < 54; ++s) {
            states[i + 1][s] = states[i][from[s]];
        }
    }
    return true;
}

// The first state from `from` on where `check` holds; past the end when none.
template <class Holds>
size_t firstFrom(const std::vector<State>& states, size_t from, Holds holds) {
    while (from < states.size() && !holds(states[from])) {
        ++from;
    }
    return from;
}

// The splits of the steps ending at states `ends` (each at least the one before).
std::vector<Split> splitsAt(const SolveTurns& turns, const std::vector<size_t>& ends,
                            const char* const* names) {
    auto timeAt = [&](size_t state) {
        return state == 0 ? 0.0 : turns.turns[state - 1].ms / 1000.0;
    };
    std::vector<Split> out;
    size_t begin = 0;
    for (size_t k = 0; k < ends.size(); ++k) {
        Split s{names[k]};
        s.first = begin;
        s.end = ends[k];
        for (size_t e = begin; e < ends[k]; ++e) {
            if (!isWholeCube(turns.turns[e].code)) {
                if (s.turns++ == 0) {
                    s.recognition = turns.turns[e].ms / 1000.0 - timeAt(begin);
                }
            }
        }
        s.seconds = s.turns ? timeAt(ends[k]) - timeAt(begin) : 0;
        out.push_back(s);
        begin = ends[k];
    }
    return out;
}

constexpr const char* kCfopNames[] = {"cross", "F2L 1", "F2L 2", "F2L 3", "F2L 4", "OLL", "PLL"};
constexpr const char* kRouxNames[] = {"FB", "SB", "CMLL", "LSE"};

// Of the ways to hold the cube whose first step is done first, the one whose later steps
// end first: the states its steps end at, each from the end of the one before; none when
// no way gets to the last. `stepsOf(hold)` gives a hold's steps, as checks of a state.
template <class Hold, class StepsOf>
std::vector<size_t> bestEnds(const std::vector<State>& states, const std::vector<Hold>& holds,
                             StepsOf stepsOf) {
    const size_t last = states.size() - 1;
    std::vector<decltype(stepsOf(holds[0]))> steps;
    for (const Hold& h : holds) {
        steps.push_back(stepsOf(h));
    }
    const size_t first = firstFrom(states, 0, [&](const State& s) {
        return std::any_of(steps.begin(), steps.end(), [&](const auto& h) { return h[0](s); });
    });
    std::vector<size_t> best;
    for (const auto& h : steps) {
        if (first > last || !h[0](states[first])) {
            continue;
        }
        std::vector<size_t> ends = {first};
        for (size_t k = 1; k < h.size(); ++k) {
            ends.push_back(firstFrom(states, ends.back(), h[k]));
        }
        if (ends.back() <= last && (best.empty() || ends < best)) {
            best = ends;
        }
    }
    return best;
}

using Step = std::function<bool(const State&)>;

}  // namespace

std::optional<std::vector<Split>> splitsOf(const SolveTurns& turns, Method method) {
    std::vector<State> states;
    if (!statesOf(turns, states)) {
        return std::nullopt;
    }
    const Check& solved = cfops()[0].all;
    const std::vector<size_t> ends =
        method == Method::Cfop
            ? bestEnds(
                  states, cfops(),
                  [](const Cfop& c) {
                      std::vector<Step> steps = {[&c](const State& s) { return c.cross.holds(s); }};
                      for (int pairs = 1; pairs <= 4; ++pairs) {
                          steps.push_back([&c, pairs](const State& s) {
                              return std::count_if(c.pairs, c.pairs + 4, [&](const Check& p) {
                                         return p.holds(s);
                                     }) >= pairs;
                          });
                      }
                      steps.push_back([&c](const State& s) { return c.oll.holds(s); });
                      steps.push_back([&c](const State& s) { return c.all.holds(s); });
                      return steps;
                  })
            : bestEnds(states, rouxs(), [&solved](const Roux& r) {
                  return std::vector<Step>{[&r](const State& s) { return r.first.holds(s); },
                                           [&r](const State& s) { return r.second.holds(s); },
                                           [&r](const State& s) { return r.cmll.holds(s); },
                                           [&solved](const State& s) { return solved.holds(s); }};
              });
    if (ends.empty()) {
        return std::nullopt;
    }
    return splitsAt(turns, ends, method == Method::Cfop ? kCfopNames : kRouxNames);
}

std::vector<Split> groupedSplits(const std::vector<Split>& splits) {
    std::vector<Split> out;
    for (const Split& s : splits) {
        const bool pair = std::string(s.name).starts_with("F2L");
        if (pair && !out.empty() && std::string(out.back().name) == "F2L") {
            Split& g = out.back();
            g.turns += s.turns;
            g.seconds += s.seconds;
            g.end = s.end;
            continue;
        }
        out.push_back(s);
        if (pair) {
            out.back().name = "F2L";
        }
    }
    return out;
}

std::string splitsLine(const std::vector<Split>& splits) {
    std::string line;
    for (const Split& s : groupedSplits(splits)) {
        char text[48];
        std::snprintf(text, sizeof text, "%s%s %.1f", line.empty() ? "" : " \u00b7 ", s.name,
                      s.seconds);
        line += text;
    }
    return line;
}

std::optional<std::vector<Split>> meanSplits(const std::vector<Solve>& solves, size_t count,
                                             Method method) {
    std::vector<Split> sum;
    size_t found = 0;
    for (auto s = solves.rbegin(); s != solves.rend() && found < count; ++s) {
        if (!s->turns) {
            continue;
        }
        const auto splits = splitsOf(*s->turns, method);
        if (!splits) {
            continue;
        }
        const std::vector<Split> g = groupedSplits(*splits);
        if (found++ == 0) {
            sum = g;
            continue;
        }
        for (size_t i = 0; i < sum.size() && i < g.size(); ++i) {
            sum[i].turns += g[i].turns;
            sum[i].seconds += g[i].seconds;
            sum[i].recognition += g[i].recognition;
        }
    }
    if (found < count || count == 0) {
        return std::nullopt;
    }
    for (Split& s : sum) {
        s.seconds /= double(count);
        s.recognition /= double(count);
        s.turns = static_cast<int>(s.turns / double(count) + 0.5);
    }
    return sum;
}

}  // namespace gyrelle
