// Phase 1's whole depths: built once, as the game builds them (a Preparation that keeps
// them in a file), held to a plain search; the solver's answers with them; the file.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "solver/Preparation.h"
#include "solver/Scramble.h"
#include "solver/Solver.h"
#include "store/DepthsFile.h"

namespace gyrelle::testing {
namespace {

namespace fs = std::filesystem;
using solver::Cubies;
using T = solver::MoveTables;

struct Built {
    fs::path dir;
    solver::Preparation preparation;
    int writes = 0;

    Built() {
        char name[] = "/tmp/gyrelle-depths-XXXXXX";
        dir = ::mkdtemp(name);
        const std::string path = (dir / "solver_depths").string();
        preparation.keepDepths({[path](solver::Phase1Depths& d) {
                                    std::string problem;
                                    return store::readDepths(path, d, problem);
                                },
                                [this, path](const solver::Phase1Depths& d) {
                                    std::string error;
                                    ++writes;
                                    EXPECT_TRUE(store::writeDepths(path, d, error)) << error;
                                },
                                nullptr, nullptr});
        preparation.wait();
    }
    ~Built() { fs::remove_all(dir); }
    std::string file() const { return (dir / "solver_depths").string(); }
};

// Built once for all the tests here (seconds).
Built& built() {
    static Built b;
    return b;
}

// The fewest turns into phase 2's group, by iterative deepening bounded by plain
// breadth-first depths of the pairs (twist, flip), (twist, slice) and (flip, slice):
// neither symmetry nor the depths' own tables.
class PlainSearch {
  public:
    explicit PlainSearch(const T& moves) : m_(moves) {
        twistFlip_ = breadthFirst(
            T::kTwists, T::kFlips, [&](int a, int t) { return m_.twistMove(a, t); },
            [&](int b, int t) { return m_.flipMove(b, t); });
        twistSlice_ = breadthFirst(
            T::kTwists, T::kSlices, [&](int a, int t) { return m_.twistMove(a, t); },
            [&](int b, int t) { return m_.sliceMove(b, t); });
        flipSlice_ = breadthFirst(
            T::kFlips, T::kSlices, [&](int a, int t) { return m_.flipMove(a, t); },
            [&](int b, int t) { return m_.sliceMove(b, t); });
    }
    int fewest(solver::Phase1Coordinates c) const {
        for (int d = 0;; ++d) {
            if (reaches(c, d, -1)) {
                return d;
            }
        }
    }

  private:
    template <typename A, typename B>
    static std::vector<std::uint8_t> breadthFirst(int sizeA, int sizeB, A moveA, B moveB) {
        std::vector<std::uint8_t> depth(static_cast<size_t>(sizeA) * sizeB, 255);
        std::vector<int> queue{0};
        depth[0] = 0;
        for (size_t h = 0; h < queue.size(); ++h) {
            const int a = queue[h] / sizeB, b = queue[h] % sizeB;
            for (int t = 0; t < 18; ++t) {
                const int j = moveA(a, t) * sizeB + moveB(b, t);
                if (depth[j] == 255) {
                    depth[j] = static_cast<std::uint8_t>(depth[queue[h]] + 1);
                    queue.push_back(j);
                }
            }
        }
        return depth;
    }
    bool reaches(const solver::Phase1Coordinates& c, int togo, int last) const {
        if (std::max({twistFlip_[c.twist * T::kFlips + c.flip],
                      twistSlice_[c.twist * T::kSlices + c.slice],
                      flipSlice_[c.flip * T::kSlices + c.slice]}) > togo) {
            return false;
        }
        if (togo == 0) {
            return true;
        }
        for (int t = 0; t < 18; ++t) {
            if ((last < 0 || t / 3 != last / 3) && reaches(c.apply(t, m_), togo - 1, t)) {
                return true;
            }
        }
        return false;
    }
    const T& m_;
    std::vector<std::uint8_t> twistFlip_, twistSlice_, flipSlice_;
};

TEST(Phase1Depths, EachIsTheFewestTurnsIntoPhaseTwoAndPrunesNoAnswer) {
    const solver::Preparation& p = built().preparation;
    ASSERT_NE(p.depths(), nullptr);
    EXPECT_EQ(built().writes, 1);
    const solver::Phase1Depths& d = *p.depths();
    const PlainSearch plain(p.tables().moves());
    std::mt19937 rng(21);
    const std::function<std::uint32_t()> random = [&] { return static_cast<std::uint32_t>(rng()); };
    std::vector<Cubies> cubes;
    for (int k = 0; k < 30; ++k) {
        cubes.push_back(solver::randomPosition(random));
    }
    // A few turns from home, where the depths are few and each turn counts: F and B twist
    // and flip, R and L only twist.
    for (int k = 0; k < 60; ++k) {
        Cubies c;
        for (int n = 0; n < 1 + k % 7; ++n) {
            c = c.times(solver::faceTurn(static_cast<int>(rng() % 18)));
        }
        cubes.push_back(c);
    }
    for (const Cubies& c : cubes) {
        const int depth = d.depth(c.twist(), c.flip(), c.slice());
        ASSERT_EQ(depth, plain.fewest({c.twist(), c.flip(), c.slice()})) << c.code();
        // What the search steps by: a turn changes the depth by at most one.
        for (int t = 0; t < 18; ++t) {
            const Cubies n = c.times(solver::faceTurn(t));
            const int next = d.depthMod3(d.index(n.twist(), n.flip(), n.slice()));
            ASSERT_TRUE(next == depth % 3 || next == (depth + 1) % 3 || next == (depth + 2) % 3);
            ASSERT_NE(next, 3) << "no depth: " << n.code();
            ASSERT_LE(std::abs(d.depth(n.twist(), n.flip(), n.slice()) - depth), 1);
        }
    }
    EXPECT_EQ(d.depth(0, 0, 0), 0);
    const Cubies r = solver::faceTurn(3);  // R: its corners twisted
    EXPECT_EQ(d.depth(r.twist(), r.flip(), r.slice()), 1);
    const Cubies u = solver::faceTurn(0);  // U: still home
    EXPECT_EQ(d.depth(u.twist(), u.flip(), u.slice()), 0);

    // They prune only what cannot lead home in time: the same first answer as the pair
    // tables give, on random and on highly symmetric positions.
    solver::Solver with(p.tables(), p.depths()), without(p.tables());
    cubes.clear();
    for (int k = 0; k < 150; ++k) {
        cubes.push_back(solver::randomPosition(random));
    }
    Cubies superflip;
    for (int e = 0; e < 12; ++e) {
        superflip.eo[e] = 1;
    }
    cubes.push_back(superflip);
    cubes.push_back(Cubies());
    std::int64_t nodesWith = 0, nodesWithout = 0;
    for (const Cubies& c : cubes) {
        const std::optional<solver::Turns> a = with.solve(c);
        nodesWith += with.nodes();
        const std::optional<solver::Turns> b = without.solve(c);
        nodesWithout += without.nodes();
        ASSERT_TRUE(a.has_value());
        ASSERT_EQ(solver::notation(*a), solver::notation(*b)) << c.code();
    }
    EXPECT_LT(nodesWith * 2, nodesWithout);  // and they do prune
}

// A kept file is taken only whole: cut short, a byte changed, a byte more, another
// header, a link, none.
TEST(DepthsFile, OnlyAWholeFileIsTakenAndALaterGameBuildsNothing) {
    const Built& b = built();
    const solver::Preparation& p = b.preparation;
    auto read = [&](const std::string& path, std::string& problem) {
        solver::Phase1Depths d(p.tables().moves(), p.tables().classes());
        d.sortIntoClasses();
        const bool taken = store::readDepths(path, d, problem);
        if (taken) {
            EXPECT_TRUE(std::equal(d.data(), d.data() + d.size(), p.depths()->data()));
        }
        return taken;
    };
    std::string problem;
    ASSERT_TRUE(read(b.file(), problem)) << problem;
    const auto size = fs::file_size(b.file());
    const std::string header = "gyrelle depths 1 " + std::to_string(p.depths()->size()) + " ";
    {
        std::ifstream in(b.file(), std::ios::binary);
        std::string first(header.size(), ' ');
        in.read(first.data(), static_cast<std::streamsize>(first.size()));
        EXPECT_EQ(first, header);
        EXPECT_EQ(size, header.size() + 17 + p.depths()->size());
    }
    const std::string copy = (b.dir / "copy").string();
    auto changed = [&](auto&& change) {
        fs::copy_file(b.file(), copy, fs::copy_options::overwrite_existing);
        change();
        std::string why;
        EXPECT_FALSE(read(copy, why));
        return why;
    };
    auto writeAt = [&](std::uintmax_t at, char byte) {
        std::fstream f(copy, std::ios::binary | std::ios::in | std::ios::out);
        f.seekp(static_cast<std::streamoff>(at));
        f.put(byte);
    };
    EXPECT_EQ(changed([&] { fs::resize_file(copy, size - 1); }), "it is cut short");
    EXPECT_EQ(changed([&] { fs::resize_file(copy, size + 1); }), "it is longer than its table");
    // As large as any is read (the rest a hole on the disk), and a byte more.
    EXPECT_EQ(changed([&] { fs::resize_file(copy, 80'000'000); }), "it is longer than its table");
    EXPECT_EQ(changed([&] { fs::resize_file(copy, 80'000'001); }),
              "it is larger than any solver table (76 MB)");
    const std::size_t middle = p.depths()->size() / 2;
    const char flipped = static_cast<char>(~p.depths()->data()[middle]);
    EXPECT_EQ(changed([&] { writeAt(size - p.depths()->size() + middle, flipped); }),
              "it is not as it was written");
    EXPECT_EQ(changed([&] { writeAt(15, '2'); }), "it is not a table of this game's");
    EXPECT_EQ(changed([&] { writeAt(header.size() - 2, '0'); }), "it is a table of another size");
    fs::remove(copy);
    fs::create_symlink(b.file(), copy);
    EXPECT_FALSE(read(copy, problem));
    EXPECT_NE(problem.find("symbolic link"), std::string::npos) << problem;
    fs::remove(copy);
    EXPECT_FALSE(read(copy, problem));
    EXPECT_EQ(problem, "");

    // A later game reads what the first kept, and builds nothing.
    solver::Preparation later;
    bool built = false;
    later.keepDepths({[path = b.file()](solver::Phase1Depths& d) {
                          std::string problem;
                          return store::readDepths(path, d, problem);
                      },
                      [&built](const solver::Phase1Depths&) { built = true; }, nullptr, nullptr});
    later.wait();
    ASSERT_NE(later.depths(), nullptr);
    EXPECT_FALSE(built);
    EXPECT_TRUE(std::equal(later.depths()->data(), later.depths()->data() + later.depths()->size(),
                           b.preparation.depths()->data()));
}

// In a page, with no thread for them: the depths sorted and built a slice at a time as
// the page asks, after the tables, once the storage has said it has none; the same bytes
// as a build on a thread. Read from the storage instead, nothing is built; with nowhere
// to keep them, none are built.
TEST(Phase1Depths, APageBuildsThemASliceAtATimeAfterAskingItsStorage) {
    const solver::Phase1Depths& whole = *built().preparation.depths();
    struct Page {
        solver::Preparation preparation{false};
        int wakes = 0, writes = 0;
        std::function<void(bool)> answer;
        // Calls to workOnDepths until it says there is nothing more to do now.
        int work(double seconds) {
            int calls = 1;
            while (preparation.workOnDepths(seconds)) {
                ++calls;
            }
            return calls;
        }
    };
    {
        Page page;
        page.preparation.keepDepths(
            {nullptr, [&](const solver::Phase1Depths&) { ++page.writes; },
             [&](solver::Phase1Depths&, std::function<void(bool)> done) { page.answer = done; },
             [&] { ++page.wakes; }});
        EXPECT_FALSE(page.preparation.workOnDepths(1.0));  // no tables yet: nothing to do
        page.preparation.wait();
        ASSERT_EQ(page.wakes, 1);
        EXPECT_GT(page.work(0.001), 1);  // the classes a part at a time, then the storage asked
        ASSERT_TRUE(page.answer);
        EXPECT_EQ(page.preparation.depths(), nullptr);
        EXPECT_FALSE(page.preparation.workOnDepths(1.0));  // waiting on the storage
        std::exchange(page.answer, nullptr)(false);
        ASSERT_EQ(page.wakes, 2);
        EXPECT_GT(page.work(0.01), 100);
        ASSERT_EQ(page.writes, 1);
        ASSERT_NE(page.preparation.depths(), nullptr);
        const solver::Phase1Depths& d = *page.preparation.depths();
        ASSERT_EQ(d.size(), whole.size());
        EXPECT_TRUE(std::equal(d.data(), d.data() + d.size(), whole.data()));
        EXPECT_FALSE(page.preparation.workOnDepths(1.0));
        EXPECT_EQ(page.wakes, 2);
    }
    {
        Page page;  // a later visit: its storage answers at once
        page.preparation.keepDepths(
            {nullptr, [&](const solver::Phase1Depths&) { ++page.writes; },
             [&](solver::Phase1Depths& into, std::function<void(bool)> done) {
                 std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[whole.size()]);
                 std::copy(whole.data(), whole.data() + whole.size(), copy.get());
                 done(into.adopt(std::move(copy), whole.size()));
             },
             [&] { ++page.wakes; }});
        page.preparation.wait();
        page.work(1.0);
        ASSERT_NE(page.preparation.depths(), nullptr);
        EXPECT_EQ(page.writes, 0);
        EXPECT_EQ(page.wakes, 1);
    }
    {
        Page page;  // nowhere to keep them
        page.preparation.keepDepths(
            {nullptr, nullptr,
             [&](solver::Phase1Depths&, std::function<void(bool)> done) { done(false); },
             [&] { ++page.wakes; }});
        page.preparation.wait();
        page.work(1.0);
        EXPECT_EQ(page.preparation.depths(), nullptr);
        EXPECT_FALSE(page.preparation.workOnDepths(1.0));
    }
}

// Where the memory for them is not to be had, none are built and the game goes on (it
// once ended on the failed allocation). In a child process held to the address space it
// has and 32 MB more: room for the classes (4 MB), not for the depths (70 MB).
TEST(Phase1Depths, WithNoMemoryForThemNoneAreBuiltAndNothingEnds) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reserves more address space than such a limit";
#endif
    const solver::Preparation& p = built().preparation;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        bool ok = false;
        try {  // nothing of the test's own must run on in the child
            long pages = 0;
            std::ifstream("/proc/self/statm") >> pages;
            const auto room =
                static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
            const rlimit limit{room + (32 << 20), room + (32 << 20)};
            solver::Phase1Depths d(p.tables().moves(), p.tables().classes());
            const std::atomic<bool> never{false};
            ok = setrlimit(RLIMIT_AS, &limit) == 0 && d.sortIntoClasses() && !d.build(never) &&
                 d.failed() && !d.built() && !d.buildSome(1);
        } catch (...) {
        }
        _exit(ok ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status)) << "the child ended on signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// As a page keeps them: the bytes, then the checksum the file's first line gives in hex,
// least byte first, added up in parts; taken only when the two agree.
TEST(DepthsFile, APageKeepsThemWithTheFilesChecksumAndTakesThemOnlyWhole) {
    const Built& b = built();
    const solver::Phase1Depths& whole = *b.preparation.depths();
    std::ifstream in(b.file(), std::ios::binary);
    std::string header;
    std::getline(in, header);
    const std::uint64_t written = std::stoull(header.substr(header.rfind(' ') + 1), nullptr, 16);

    const std::size_t size = whole.size();
    auto sumOf = [&](const std::uint8_t* bytes) {
        store::DepthsChecksum sum(size);
        sum.add(bytes, 4096);
        sum.add(bytes + 4096, size / 2 - 4096);  // a multiple of eight bytes
        sum.add(bytes + size / 2, size - size / 2);
        return sum;
    };
    const store::DepthsChecksum sum = sumOf(whole.data());
    EXPECT_EQ(sum.sum(), written);
    const auto tail = sum.bytes();
    EXPECT_EQ(tail[0], written & 0xFF);
    EXPECT_EQ(tail[7], written >> 56);

    // The piece as kept, one bit of byte `flip` changed (none: -1).
    auto piece = [&](long flip) {
        std::unique_ptr<std::uint8_t[]> kept(new std::uint8_t[size + 8]);
        std::copy(whole.data(), whole.data() + size, kept.get());
        std::copy(tail.begin(), tail.end(), kept.get() + size);
        if (flip >= 0) {
            kept[static_cast<std::size_t>(flip)] ^= 0x10;
        }
        return kept;
    };
    auto take = [&](std::unique_ptr<std::uint8_t[]> kept) {
        const store::DepthsChecksum read = sumOf(kept.get());
        solver::Phase1Depths d(b.preparation.tables().moves(), b.preparation.tables().classes());
        d.sortIntoClasses();
        const bool taken = store::takeKeptDepths(std::move(kept), read, d);
        EXPECT_EQ(taken, d.built());
        return taken && std::equal(d.data(), d.data() + size, whole.data());
    };
    const auto end = static_cast<long>(size);
    EXPECT_TRUE(take(piece(-1)));
    EXPECT_FALSE(take(piece(end / 3)));
    EXPECT_FALSE(take(piece(end + 7)));  // the checksum's last byte
}

}  // namespace
}  // namespace gyrelle::testing
