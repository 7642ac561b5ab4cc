// A race on one scramble: the scramble and the time to beat travel in an address and come
// back as they went; a bad one is refused with a sentence; a solve of a scramble that came
// so is kept marked as shared, in the records file and armed across a restart.
#include <gtest/gtest.h>

#include <cstdio>

#include "store/Exchange.h"
#include "store/Fingerprint.h"
#include "store/RecordsFile.h"

namespace gyrelle {
namespace {

TEST(RaceTest, AScrambleAndItsTimeTravelInAnAddress) {
    EXPECT_EQ(store::scrambleFragment("R U2 F'"), "scramble=R_U2_F'");
    EXPECT_EQ(store::scrambleFragment("R U2 F'", 14.266), "scramble=R_U2_F'&solved=14.27");
    std::string scramble, problem;
    double seconds = 0;
    ASSERT_TRUE(store::readScrambleAddress(
        "https://example.org/gyrelle/#scramble=R_U2_F'&solved=14.27", scramble, seconds, problem))
        << problem;
    EXPECT_EQ(scramble, "R U2 F'");
    EXPECT_DOUBLE_EQ(seconds, 14.27);
    // As a browser may write it, escaped; and with no time, none.
    ASSERT_TRUE(store::readScrambleAddress("#scramble=R%20U2_F%27", scramble, seconds, problem));
    EXPECT_EQ(scramble, "R U2 F'");
    EXPECT_EQ(seconds, -1);
    // Thirty turns, a competition scramble's most, and one more.
    std::string thirty;
    for (int i = 0; i < 30; ++i) {
        thirty += i % 2 ? "_U" : "_R";
    }
    EXPECT_TRUE(
        store::readScrambleAddress("#scramble=" + thirty.substr(1), scramble, seconds, problem));
    EXPECT_EQ(scramble.size(), 59u);
    for (const std::string& bad :
         {"#scramble=" + thirty.substr(1) + "_F", std::string("#scramble="),
          std::string("#scramble=R_Q"), std::string("#scramble=Rw"), std::string("scramble=R")}) {
        scramble = "kept";
        EXPECT_FALSE(store::readScrambleAddress(bad, scramble, seconds, problem)) << bad;
        EXPECT_EQ(problem,
                  "This is no scramble to race on: an address ending in #scramble= and 1 to 30 "
                  "face turns (R_U2_F'...) is wanted.");
        EXPECT_EQ(scramble, "kept");
    }
    for (const char* time : {"", "0", "-1", "1.2.3", "abc", "1e3", ".", "9999999999"}) {
        EXPECT_FALSE(store::readScrambleAddress(std::string("#scramble=R&solved=") + time, scramble,
                                                seconds, problem))
            << time;
        EXPECT_EQ(problem, std::string("The time this scramble was solved in is no number of "
                                       "seconds: ") +
                               time);
    }
}

std::string text(const store::SavedRecords& r) {
    return store::recordsFileText(r);
}

bool read(const std::string& t, store::SavedRecords& r) {
    std::FILE* in = fmemopen(const_cast<char*>(t.data()), t.size(), "r");
    const bool whole = store::readRecords(in, r).whole();
    std::fclose(in);
    return whole;
}

TEST(RaceTest, ASharedSolveIsKeptSharedAndOthersNever) {
    Solves solves;
    solves.scrambled(Scramble::Turns);
    solves.markShared();  // only a competition scramble is raced
    EXPECT_FALSE(solves.isShared());
    solves.scrambled(Scramble::Competition, "R U");
    solves.markShared();
    EXPECT_TRUE(solves.isShared());
    ASSERT_FALSE(solves.turned(10, false, 1796083200));
    ASSERT_TRUE(solves.turned(11, true, 1796083200));
    ASSERT_EQ(solves.done().size(), 1u);
    EXPECT_TRUE(solves.done()[0].shared);
    solves.scrambled(Scramble::Competition, "F2");  // a new scramble is nobody's
    EXPECT_FALSE(solves.isShared());

    store::SavedRecords kept;
    kept.done = solves.done();
    kept.cube = store::cubeFingerprint(MagicCube::solved().stickers());
    kept.solve.phase = Solves::Phase::Scrambled;
    kept.solve.kind = Scramble::Competition;
    kept.solve.scramble = "B2 L'";
    kept.solve.shared = true;
    const std::string file = text(kept);
    EXPECT_NE(file.find(" 2 1.000 competition shared R U\n"), std::string::npos) << file;
    EXPECT_NE(file.find("scrambled " + kept.cube + " competition shared B2 L'\n"),
              std::string::npos)
        << file;
    store::SavedRecords back;
    ASSERT_TRUE(read(file, back)) << file;
    EXPECT_TRUE(back.done[0].shared);
    EXPECT_TRUE(back.solve.shared);
    EXPECT_EQ(text(back), file);
    // The armed solve read back goes on shared.
    Solves resumed;
    resumed.resume(back.solve, 0, 0);
    EXPECT_TRUE(resumed.isShared());
    // "shared" belongs to a competition scramble only.
    store::SavedRecords refused;
    EXPECT_FALSE(
        read("gyrelle records 2\nsolve 2026-12-01T00:00:00Z 2 1.000 turns shared\nend\n", refused));
}

}  // namespace
}  // namespace gyrelle
