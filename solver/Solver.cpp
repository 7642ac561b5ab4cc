#include "solver/Solver.h"

#include <algorithm>
#include <array>
#include <chrono>

#include "solver/Symmetry.h"

namespace gyrelle::solver {

namespace {

// A turn may follow `last` unless it turns the same face, or turns the face opposite in
// the order that makes the same two turns twice (U then D is tried; D then U is not): as
// bits, by last + 1 (0 for none).
constexpr auto kFollowers = [] {
    std::array<std::uint32_t, kFaceTurns + 1> followers{};
    followers[0] = (1u << kFaceTurns) - 1;
    for (int last = 0; last < kFaceTurns; ++last) {
        for (int turn = 0; turn < kFaceTurns; ++turn) {
            const int a = last / 3, b = turn / 3;
            if (a != b && !(a % 3 == b % 3 && a > b)) {
                followers[last + 1] |= 1u << turn;
            }
        }
    }
    return followers;
}();

bool mayFollow(int last, int turn) {
    return kFollowers[last + 1] >> turn & 1;
}

// The depth of the pair at `i` of `table`, one turn from a pair at depth `from`: by the
// depths modulo 3, [from][the pair's], the same, one deeper or one nearer.
constexpr int kStep[3][4] = {{0, 1, -1, 0}, {-1, 0, 1, 0}, {1, -1, 0, 0}};

int nextDepth(const PruningTables& t, PruningTables::Pruning table, int i, int from) {
    return from + kStep[from % 3][t.depthMod3(table, i)];
}

// The pruning step, for every table of both phases: the depth of the pair (`sym`'s class,
// `seen` seen through `sym`'s symmetry) one turn from a pair at depth `from`, into
// `depth`; false when it is `togo` or more, and the turn is pruned.
template <int (SymmetryClasses::*Seen)(int, int) const>
bool step(const SymmetryClasses& c, const PruningTables& p, PruningTables::Pruning table, int sym,
          int seen, int from, int togo, int& depth) {
    depth =
        nextDepth(p, table, PruningTables::index(table, sym >> 3, (c.*Seen)(seen, sym & 7)), from);
    return depth < togo;
}

// A cube that symmetry S leaves as it is (S C S^-1 = C) is solved by S p S^-1 whenever by
// p: of the paths the symmetries that keep the cube and the path so far make of each
// other, only the one with the least turn next is searched (a symmetric cube is searched
// up to eight times less). The opposite faces' order holds: such a symmetry that keeps a
// turn of U keeps U, so it keeps D after it. False when `turn` is not the least; else
// `keeps` are those that keep it too.
bool leastSeen(int symmetries, int turn, int& keeps) {
    keeps = 0;
    for (int s = 1; s < symmetry::kCount; ++s) {
        if (symmetries >> s & 1) {
            const int seen = symmetry::turn(s, turn);
            if (seen < turn) {
                return false;
            }
            keeps |= (seen == turn) << s;
        }
    }
    return true;
}

bool isPhase2Turn(int turn) {
    const int face = turn / 3;
    return face == 0 || face == 3 || turn % 3 == 1;  // U, D, or a half turn
}

// The whole cube turned a third of a turn about its URF-DBL diagonal: U goes to F, F to R,
// R to U. A cube seen so (S C S^-1) is solved by the turns of C's solution with their faces
// renamed alike.
const Cubies& diagonalTurn() {
    static const Cubies s = Cubies::of(
        {URF, DFR, DLF, UFL, UBR, DRB, DBL, ULB}, {1, 2, 1, 2, 2, 1, 2, 1},
        {UF, FR, DF, FL, UB, BR, DB, BL, UR, DR, DL, UL}, {1, 0, 1, 0, 1, 0, 1, 0, 1, 1, 1, 1});
    return s;
}

// The face a turn of the cube seen turned (S C S^-1) stands for on the cube itself: its
// turn g is S^-1 g S.
int faceSeenTurned(int face) {
    constexpr int kBack[6] = {1, 2, 0, 4, 5, 3};  // U F R D B L seen turned are R U F L D B
    return kBack[face];
}

}  // namespace

std::optional<Turns> Solver::solve(const Cubies& cube, int most, bool shorten) {
    start(cube, most, shorten);
    while (!work(kNodesAtOnce)) {
    }
    return best_;
}

void Solver::start(const Cubies& cube, int most, bool shorten) {
    const Cubies& s = diagonalTurn();
    const Cubies back = s.inverse();
    Cubies turned = cube;
    depths_ = givenDepths_;
    cubesOf_ = -1;
    for (int k = 0; k < 3; ++k) {
        seen_[2 * k] = turned;
        seen_[2 * k + 1] = turned.inverse();
        turned = s.times(turned).times(back);
    }
    for (int v = 0; v < 6; ++v) {
        const Cubies& c = seen_[v];
        Node1& n = start_[v];
        n = {{c.twist(), c.flip(), c.slice()}, 0, 0, 0, 0};
        const Phase1Coordinates& a = n.at;
        if (depths_) {
            n.whole = least_[v] = depths_->depth(a.twist, a.flip, a.slice);
        } else {
            const int slice = classes().sliceSym(a.slice), flip = classes().flipSym(a.flip);
            n.twistSlice = pruning().depth(PruningTables::TwistSlice, slice >> 3,
                                           classes().twistSeen(a.twist, slice & 7));
            n.flipSlice = pruning().depth(PruningTables::FlipSlice, flip >> 3,
                                          classes().sliceSeen(a.slice, flip & 7));
            n.twistFlip = pruning().depth(PruningTables::TwistFlip, flip >> 3,
                                          classes().twistSeen(a.twist, flip & 7));
            least_[v] = std::max({n.twistSlice, n.flipSlice, n.twistFlip});
        }
        // A way that a symmetry makes of an earlier one (a symmetric cube) is searched
        // there: its solutions are those, seen so.
        twin_[v] = false;
        keeps_[v] = 0;
        for (int k = 0; k < symmetry::kCount; ++k) {
            const Cubies seen =
                symmetry::cube(k).times(c).times(symmetry::cube(symmetry::inverse(k)));
            for (int u = 0; u < v; ++u) {
                twin_[v] = twin_[v] || seen == seen_[u];
            }
            keeps_[v] |= (k > 0 && seen == c) << k;
        }
    }
    best_.reset();
    finished_ = false;
    shorten_ = shorten;
    shortening_ = false;
    nodes_ = 0;
    searched_ = 0;
    begin(std::min(most, 30));
}

void Solver::begin(int most, int phase2Most) {
    most_ = most;
    phase2Most_ = phase2Most;
    depth_ = *std::min_element(least_, least_ + 6);
    variant_ = 0;
    inPath_ = false;
}

void Solver::ended(std::optional<Turns> found) {
    if (!found) {
        finished_ = true;  // none within the bound: the answer stands
        return;
    }
    best_ = std::move(found);
    if (!shorten_) {
        finished_ = true;
        return;
    }
    shortening_ = true;
    if (best_->empty()) {
        finished_ = true;
    } else {
        // On from this phase-1 path with a tighter bound: the shallower ones, and the
        // ways before this one at its depth, had nothing within the looser (only phase
        // 2's share of the bound is less).
        most_ = static_cast<int>(best_->size()) - 1;
    }
}

bool Solver::work(std::int64_t nodes) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point began = Clock::now();
    std::int64_t allowance = nodes;
    while (!finished_ && allowance > 0) {
        if (depth_ > most_) {
            if (phase2Most_ < most_) {
                begin(most_, most_);  // none with a short phase 2: any, then
            } else {
                ended(std::nullopt);
            }
            continue;
        }
        if (variant_ == 6) {
            ++depth_;
            variant_ = 0;
            continue;
        }
        if (twin_[variant_] || least_[variant_] > depth_) {
            ++variant_;
            continue;
        }
        const Outcome o = phase1(allowance);
        if (o == Outcome::Paused) {
            break;
        }
        if (o == Outcome::Exhausted) {
            inPath_ = false;
            ++variant_;
            continue;
        }
        Turns found(turns_, turns_ + length_);
        if (variant_ % 2 == 1) {
            found = inverse(found);
        }
        for (int& t : found) {
            int face = t / 3;
            for (int k = 0; k < variant_ / 2; ++k) {
                face = faceSeenTurned(face);
            }
            t = face * 3 + t % 3;
        }
        ended(std::move(found));
    }
    searched_ += std::chrono::duration<double>(Clock::now() - began).count();
    if (shortening_ && searched_ >= kShortening) {
        finished_ = true;  // no shorter one within its time: the answer stands
    }
    return finished_;
}

// Fills in the flip and the pruning depths of `next`, one turn from `from`: false when
// one says it is more than `togo` - 1 turns from the group.
bool Solver::pruned(const Node1& from, Node1& next, int turn, int togo) const {
    Phase1Coordinates& a = next.at;
    if (!step<&SymmetryClasses::twistSeen>(classes(), pruning(), PruningTables::TwistSlice,
                                           classes().sliceSym(a.slice), a.twist, from.twistSlice,
                                           togo, next.twistSlice)) {
        return false;
    }
    a.flip = moves().flipMove(from.at.flip, turn);  // only for the turns the slices let through
    const int flip = classes().flipSym(a.flip);
    return step<&SymmetryClasses::sliceSeen>(classes(), pruning(), PruningTables::FlipSlice, flip,
                                             a.slice, from.flipSlice, togo, next.flipSlice) &&
           step<&SymmetryClasses::twistSeen>(classes(), pruning(), PruningTables::TwistFlip, flip,
                                             a.twist, from.twistFlip, togo, next.twistFlip);
}

void Solver::lookAhead(int done) {
    const Node1& from = path_[done].node;
    Node1* next = ahead_[done];
    const std::uint32_t follow = kFollowers[done > 0 ? turns_[done - 1] + 1 : 0];
    int turns[kFaceTurns], count = 0;
    for (int turn = 0; turn < kFaceTurns; ++turn) {
        if (follow >> turn & 1) {
            turns[count++] = turn;
        }
    }
    for (int k = 0; k < count; ++k) {
        const int turn = turns[k];
        Phase1Coordinates& a = next[turn].at;
        a.slice = moves().sliceMove(from.at.slice, turn);
        a.twist = moves().twistMove(from.at.twist, turn);
        a.flip = moves().flipMove(from.at.flip, turn);
        depths_->expect(a.flip, a.slice);
    }
    int at[kFaceTurns];
    for (int k = 0; k < count; ++k) {
        const Phase1Coordinates& a = next[turns[k]].at;
        at[k] = depths_->index(a.twist, a.flip, a.slice);
        depths_->expect(at[k]);
    }
    for (int k = 0; k < count; ++k) {
        next[turns[k]].whole = from.whole + kStep[from.whole % 3][depths_->depthMod3(at[k])];
    }
}

// Depth first, with the path kept by hand rather than on the call stack, so that it can
// stop at any node and go on later.
Solver::Outcome Solver::phase1(std::int64_t& allowance) {
    if (!inPath_) {
        inPath_ = true;
        path_[0] = {start_[variant_], 0, keeps_[variant_], false};
        done_ = 0;
    }
    for (;;) {
        Frame& f = path_[done_];
        const int togo = depth_ - done_;
        bool deeper = false;
        if (togo == 0) {
            // In the group, and not by a turn of it: without that turn it was already
            // there, and that shorter way has been tried.
            const Node1& n = f.node;
            const std::int64_t before = nodes_;
            if (n.at.home() && (done_ == 0 || !isPhase2Turn(turns_[done_ - 1])) &&
                phase2Start(done_)) {
                return Outcome::Found;
            }
            // Phase 2's nodes are work of the slice too: on a hard position they are most
            // of it, and a slice that did not count them could take a third of a second.
            allowance -= nodes_ - before;
        } else {
            const int last = done_ > 0 ? turns_[done_ - 1] : -1;
            if (depths_ && !f.ahead) {
                lookAhead(done_);
                f.ahead = true;
            }
            for (int turn = f.turn; turn < kFaceTurns && !deeper; ++turn) {
                // A last turn of the group would have found it a turn sooner.
                if (!mayFollow(last, turn) || (togo == 1 && isPhase2Turn(turn))) {
                    continue;
                }
                int keeps = 0;
                if (f.keeps != 0 && !leastSeen(f.keeps, turn, keeps)) {
                    continue;
                }
                Node1 next;
                if (depths_) {
                    next = ahead_[done_][turn];
                    if (next.whole >= togo) {
                        continue;
                    }
                } else {
                    next.at.slice = moves().sliceMove(f.node.at.slice, turn);
                    next.at.twist = moves().twistMove(f.node.at.twist, turn);
                    if (!pruned(f.node, next, turn, togo)) {
                        continue;
                    }
                }
                f.turn = turn + 1;
                turns_[done_] = turn;
                cubesKept_ = std::min(cubesKept_, done_);
                path_[++done_] = {next, 0, keeps, false};
                deeper = true;
            }
        }
        if (deeper) {
            ++nodes_;
            if (--allowance <= 0) {
                return Outcome::Paused;
            }
            continue;
        }
        if (done_ == 0) {
            return Outcome::Exhausted;
        }
        --done_;
        if (allowance <= 0) {  // on from the frame above, its next turn
            return Outcome::Paused;
        }
    }
}

bool Solver::phase2Start(int done) {
    // The cube at the end of the path, from the cubes along it that are still its own.
    if (cubesOf_ != variant_) {
        cubes_[0] = seen_[variant_];
        cubesOf_ = variant_;
        cubesKept_ = 0;
    }
    for (; cubesKept_ < done; ++cubesKept_) {
        cubes_[cubesKept_ + 1] = cubes_[cubesKept_].times(faceTurn(turns_[cubesKept_]));
    }
    const Cubies& c = cubes_[done];
    Node2 n;
    n.corners = classes().cornerSym(c.cornerPerm());
    n.edges = classes().edgeSym(c.udEdgePerm());
    const int order = c.sliceSorted() % MoveTables::kSliceOrders;
    n.orderComb = order * MoveTables::kUpCombs + MoveTables::upComb(c);
    n.orderCorners = order * MoveTables::kUpCombs + MoveTables::upCorners(c);
    n.cornerOrderComb = pruning().startDepth(PruningTables::CornerOrderComb, n.corners >> 3,
                                             classes().orderCombSeen(n.orderComb, n.corners & 7));
    if (done + n.cornerOrderComb > most_) {
        return false;
    }
    n.edgeOrder = pruning().startDepth(PruningTables::EdgeOrder, n.edges >> 3,
                                       PruningTables::kEdgesWithCorners
                                           ? classes().orderCornersSeen(n.orderCorners, n.edges & 7)
                                           : classes().sliceOrderSeen(order, n.edges & 7));
    const int least = std::max(n.cornerOrderComb, n.edgeOrder);
    for (int depth = least; done + depth <= most_ && depth <= phase2Most_; ++depth) {
        if (phase2(n, done, depth)) {
            return true;
        }
    }
    return false;
}

bool Solver::phase2(const Node2& node, int done, int togo) {
    ++nodes_;
    if (togo == 0) {
        if (((node.corners | node.edges) >> 3 | node.orderComb) != 0) {
            return false;
        }
        length_ = done;
        return true;
    }
    const int last = done > 0 ? turns_[done - 1] : -1;
    for (int p = 0; p < MoveTables::kPhase2Turns; ++p) {
        const int turn = MoveTables::kPhase2Turn[p];
        if (!mayFollow(last, turn)) {
            continue;
        }
        // Each coordinate moved only when the tables before it let the turn through.
        Node2 next;
        next.orderComb = moves().orderCombMove(node.orderComb, p);
        next.corners = classes().cornerSymMove(node.corners, p);
        if (!step<&SymmetryClasses::orderCombSeen>(
                classes(), pruning(), PruningTables::CornerOrderComb, next.corners, next.orderComb,
                node.cornerOrderComb, togo, next.cornerOrderComb)) {
            continue;
        }
        next.edges = classes().edgeSymMove(node.edges, p);
        int edgesSeen;
        if constexpr (PruningTables::kEdgesWithCorners) {
            next.orderCorners = moves().orderCornersMove(node.orderCorners, p);
            edgesSeen = classes().orderCornersSeen(next.orderCorners, next.edges & 7);
        } else {  // the page's: the slice order alone
            edgesSeen =
                classes().sliceOrderSeen(next.orderComb / MoveTables::kUpCombs, next.edges & 7);
        }
        next.edgeOrder =
            nextDepth(pruning(), PruningTables::EdgeOrder,
                      PruningTables::index(PruningTables::EdgeOrder, next.edges >> 3, edgesSeen),
                      node.edgeOrder);
        if (next.edgeOrder >= togo) {
            continue;
        }
        turns_[done] = turn;
        if (phase2(next, done + 1, togo - 1)) {
            return true;
        }
    }
    return false;
}

std::string notation(const Turns& turns) {
    std::string text;
    for (int t : turns) {
        if (!text.empty()) {
            text += ' ';
        }
        text += turnName(t);
    }
    return text;
}

Turns inverse(const Turns& turns) {
    Turns back;
    for (auto it = turns.rbegin(); it != turns.rend(); ++it) {
        back.push_back(*it / 3 * 3 + (2 - *it % 3));
    }
    return back;
}

}  // namespace gyrelle::solver
