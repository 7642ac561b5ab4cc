// The trainer's file: what it keeps is read back as it was, what is not a trainer file is
// used for nothing, a line of another version is passed over; and the keeper saves it with
// the game and reads it back at the next start.
#include <gtest/gtest.h>

#include <cstdio>

#include "store/TrainerFile.h"
#include "tests/support/StoreFixture.h"

namespace gyrelle {
namespace {

store::Reading read(const std::string& text, TrainerRecords& records,
                    std::vector<std::string>* problems = nullptr) {
    std::FILE* in = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    std::vector<std::string> said;
    const store::Reading r = store::readTrainer(in, records, problems ? *problems : said);
    std::fclose(in);
    return r;
}

TEST(TrainerFileTest, WhatIsKeptIsReadBackAsItWas) {
    TrainerRecords kept;
    kept.set = "oll2";
    kept.slowestFirst = true;
    kept.colourNeutral = true;
    kept.algorithms[caseNamed("T")] = "R U R' U' R' F R2 U' R' U' R U R' F'";
    kept.algorithms[caseNamed("27")] = "(R U R' U) R U2 R'";
    kept.add({caseNamed("T"), 1840, 610, 1765000000, 3});
    kept.add({caseNamed("57"), 0, 2147483647, -5, 0});
    const std::string text = store::trainerText(kept);
    EXPECT_EQ(text,
              "gyrelle trainer 1\nset oll2\norder slowest\ntop any\n"
              "algorithm T R U R' U' R' F R2 U' R' U' R U R' F'\n"
              "algorithm 27 (R U R' U) R U2 R'\n"
              "case T 1840 610 1765000000 3\ncase 57 0 2147483647 -5 0\n");
    TrainerRecords back;
    ASSERT_TRUE(read(text, back).whole());
    EXPECT_EQ(store::trainerText(back), text);
    EXPECT_EQ(back.attempts.size(), 2u);
    EXPECT_EQ(back.attempts[1].recognitionMs, 2147483647);
}

TEST(TrainerFileTest, WhatIsNotATrainerFileIsUsedForNothing) {
    const std::string head = "gyrelle trainer 1\n";
    for (const std::string& bad :
         {std::string("gyrelle trainer 2\n"), std::string(""), std::string("set pll\n"),
          head + "case T 1840 610 5\n", head + "case T 1840 610 5 0 6\n",
          head + "case T -1 0 0 0\n", head + "case T 1 -1 0 0\n", head + "case T 1e3 0 0 0\n",
          head + "case T 2147483648 0 0 0\n", head + "case T 1 0 0 4\n", head + "case T 1 0 0 -1\n",
          head + "order fastest\n", head + "top\n", head + "algorithm T\n", head + "set pll oll\n",
          head + std::string("case T 1 2 3 0\0\n", 16)}) {
        TrainerRecords records;
        records.add({0, 1, 2, 3, 0});
        EXPECT_EQ(read(bad, records).outcome, store::Reading::Outcome::Refused) << bad;
        EXPECT_EQ(records.attempts.size(), 1u) << "left as it was: " << bad;
    }
}

TEST(TrainerFileTest, TheLongestLineIsReadAndOneByteMoreIsNot) {
    const std::string sune = "R U R' U R U2 R'";
    std::string algorithm = "algorithm 27 " + sune;
    while (algorithm.size() + 2 <= 1024) {
        algorithm += " y";
    }
    algorithm.resize(1024, ' ');  // the words' room filled with spaces the reading passes
    ASSERT_EQ(algorithm.size(), 1024u);
    TrainerRecords records;
    EXPECT_TRUE(read("gyrelle trainer 1\n" + algorithm + "\n", records).whole());
    EXPECT_EQ(records.algorithms.size(), 1u);
    EXPECT_EQ(read("gyrelle trainer 1\n" + algorithm + " \n", records).outcome,
              store::Reading::Outcome::Refused);
}

TEST(TrainerFileTest, LinesOfAnotherVersionArePassedOverAndSaid) {
    TrainerRecords records;
    std::vector<std::string> problems;
    ASSERT_TRUE(read("gyrelle trainer 1\nset f2l\nsession one\ncase ZZ 1 2 3 0\n"
                     "algorithm T R U R' U'\ncase H 1500 200 9 1\n",
                     records, &problems)
                    .whole());
    EXPECT_EQ(records.set, "pll");
    ASSERT_EQ(records.attempts.size(), 1u);
    EXPECT_EQ(records.attempts[0].caseIndex, caseNamed("H"));
    EXPECT_TRUE(records.algorithms.empty());  // it does not solve the T
    EXPECT_EQ(problems.size(), 4u);
}

using TrainerKeepingTest = testing::StoreTest;

TEST_F(TrainerKeepingTest, TheTrainerIsSavedWithTheGameAndReadBackAtTheNextStart) {
    {
        auto s = open();
        ASSERT_TRUE(s->keeper->saveNow());
        EXPECT_FALSE(std::filesystem::exists(path("trainer")));  // not used: no file
        s->keeper->trainer().add({caseNamed("Ua"), 1200, 300, 77, 2});
        s->keeper->trainer().set = "pll2";
        ASSERT_TRUE(s->keeper->saveNow());
    }
    EXPECT_EQ(file("trainer"),
              "gyrelle trainer 1\nset pll2\norder random\ntop same\n"
              "case Ua 1200 300 77 2\n");
    auto s = open();
    EXPECT_EQ(s->keeper->trainer().set, "pll2");
    ASSERT_EQ(s->keeper->trainer().attempts.size(), 1u);
    EXPECT_EQ(s->keeper->trainer().attempts[0].ms, 1200);
    // A file that is not one is kept aside, and the trainer starts afresh.
    s.reset();
    std::ofstream(path("trainer")) << "not a trainer";
    std::string log;
    s = open(&log);
    EXPECT_TRUE(s->keeper->trainer().attempts.empty());
    EXPECT_EQ(file("trainer.bad"), "not a trainer");
    EXPECT_NE(log.find("trainer was not read"), std::string::npos) << log;
}

}  // namespace
}  // namespace gyrelle
