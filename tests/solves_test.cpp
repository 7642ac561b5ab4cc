// Solves: the averages cubers use, the clock as it reads, and the records file.
#include "game/Solves.h"

#include <gtest/gtest.h>

#include "store/RecordsFile.h"

namespace gyrelle {
namespace {

using store::SavedRecords;

std::vector<Solve> times(std::initializer_list<double> seconds) {
    std::vector<Solve> solves;
    for (double s : seconds) {
        solves.push_back({0, 20, s});
    }
    return solves;
}

TEST(Solves, AveragesLeaveOutTheBestAndTheWorstOfTheNewest) {
    EXPECT_FALSE(averageOfLast(times({1, 2, 3, 4}), 5));
    // The oldest, 1, is not among the newest five; of 3 5 7 9 1000, 5 7 9 count.
    EXPECT_DOUBLE_EQ(*averageOfLast(times({1, 3, 5, 7, 9, 1000}), 5), 7);
    EXPECT_DOUBLE_EQ(*averageOfLast(times({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}), 12), 6.5);
    EXPECT_FALSE(averageOfLast(times({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}), 12));
}

// Times come in the order they were made, not sorted: the best and the worst are found
// wherever they lie, and the newest of the solves are the last ones, not the fastest.
TEST(Solves, AveragesOfTimesInAnyOrder) {
    // Newest five: 30 10 50 20 40; without 10 and 50: (30 + 20 + 40) / 3.
    EXPECT_DOUBLE_EQ(*averageOfLast(times({1, 30, 10, 50, 20, 40}), 5), 30);
    // The worst first, the best last.
    EXPECT_DOUBLE_EQ(*averageOfLast(times({90, 12, 14, 16, 2}), 5), 14);
    // Twelve, falling: without 12 and 1, 2..11 average 6.5.
    EXPECT_DOUBLE_EQ(*averageOfLast(times({12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}), 12), 6.5);
    // Equal best times: only one of them is left out.
    EXPECT_DOUBLE_EQ(*averageOfLast(times({5, 3, 3, 9, 4}), 5), 4);
}

TEST(Solves, TheClockShowsTenthsCutNotRounded) {
    EXPECT_EQ(clockText(0), "0:00.0");
    EXPECT_EQ(clockText(59.99), "0:59.9");
    EXPECT_EQ(clockText(2.3), "0:02.3");
    EXPECT_EQ(clockText(83.4), "1:23.4");
    EXPECT_EQ(clockText(3723.45), "1:02:03.4");
}

TEST(Solves, ANewBestBeatsEveryEarlierTimeOrMoveCount) {
    Solves s;
    EXPECT_FALSE(s.turned(1, true, 0));  // no scramble, no solve
    auto solve = [&](double seconds, int moves) {
        s.scrambled(Scramble::Turns);
        for (int m = 1; m < moves; ++m) {
            EXPECT_FALSE(s.turned(100, false, 0));
        }
        return s.turned(100 + seconds, true, 77);
    };
    EXPECT_TRUE(solve(5, 4));
    EXPECT_EQ(s.done().back().seconds, 5);
    EXPECT_EQ(s.done().back().moves, 4);
    EXPECT_FALSE(s.lastWasBest());  // a first solve beats nothing
    for (auto [seconds, moves, best] :
         {std::tuple{6.0, 5, false}, {6.0, 3, true}, {4.0, 9, true}, {4.0, 3, false}}) {
        solve(seconds, moves);
        EXPECT_EQ(s.lastWasBest(), best) << seconds << " " << moves;
    }
}

bool read(const std::string& text, SavedRecords& records, std::string& problem) {
    std::FILE* in = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    const store::Reading reading = store::readRecords(in, records);
    std::fclose(in);
    problem = reading.problem;
    return reading.whole();
}

TEST(RecordsFile, ReadsWhatItWritesAndNothingElse) {
    SavedRecords r;
    r.done = {{.date = 1765063817,
               .moves = 57,
               .seconds = 83.412,
               .kind = Scramble::Competition,
               .assisted = false,
               .scramble = "R U2 F' D"},
              {1765063900, 30, 20.5, Scramble::Turns, true},
              {1765064000, 12, 9.25, Scramble::Unknown, false}};
    r.solve.phase = Solves::Phase::Running;
    r.cube = "0123456789abcdef";
    r.solve.moves = 12;
    r.solve.seconds = 41.3;
    r.solve.kind = Scramble::Pasted;
    r.solve.assisted = true;
    const std::string text = store::recordsFileText(r);
    EXPECT_EQ(text,
              "gyrelle records 2\n"
              "solve 2025-12-06T23:30:17Z 57 83.412 competition R U2 F' D\n"
              "solve 2025-12-06T23:31:40Z 30 20.500 turns assisted\n"
              "solve 2025-12-06T23:33:20Z 12 9.250 -\n"
              "solving 0123456789abcdef 12 41.300 pasted assisted\nend\n");
    SavedRecords back;
    std::string problem;
    ASSERT_TRUE(read(text, back, problem)) << problem;
    EXPECT_EQ(store::recordsFileText(back), text);
    EXPECT_EQ(back.done[0].scramble, "R U2 F' D");
    EXPECT_TRUE(back.done[1].assisted);

    const std::string head = "gyrelle records 2\n";
    const std::string solve = "solve 2025-12-06T23:30:17Z 57 83.412 turns\n";
    for (const std::string& bad :
         {std::string("gyrelle records 3\nend\n"),
          head + solve,
          head + "\nend\n",
          head + "solve 2025-02-30T10:00:00Z 5 1.000 turns\nend\n",
          head + "solve 2025-12-06 5 1.0 turns\nend\n",
          head + "solve 2025-12-06T23:30:17Z -1 1.000 turns\nend\n",
          head + "solve 2025-12-06T23:30:17Z 5 -1 turns\nend\n",
          head + "solve 2025-12-06T23:30:17Z 5 nan turns\nend\n",
          head + "solve 2025-12-06T23:30:17Z 5 1e99 turns\nend\n",
          head + "solve 2025-12-06T23:30:17Z 5x 1.0 turns\nend\n",
          head + "solve  2025-12-06T23:30:17Z 5 1.0 turns\nend\n",
          head + "solve 2025-12-06T23:30:17Z 5 1.0\nend\n",  // no <how>
          head + "solve 2025-12-06T23:30:17Z 5 1.0 shaken\nend\n",
          head +
              "solve 2025-12-06T23:30:17Z 5 1.0 turns R U\nend\n",  // turns only for competitions
          head + "solve 2025-12-06T23:30:17Z 5 1.0 competition\nend\n",  // and they have some
          head + "solve 2025-12-06T23:30:17Z 5 1.0 competition R X2\nend\n",
          head + solve + "solve\nend\n",
          head + "scrambled 0123456789abcdef turns\n" + solve + "end\n",
          head + "solving 0123456789ABCDEF 1 1.0 turns\nend\n",
          head + std::string(300, 's') + "\nend\n"}) {
        EXPECT_FALSE(read(bad, back, problem)) << bad;
    }
    // No moves: not known (an imported solve's).
    EXPECT_TRUE(read(head + "solve 2025-12-06T23:30:17Z 0 1.000 -\nend\n", back, problem));
    // A competition scramble of 30 turns, as long as the history keeps, and not one more.
    std::string turns;
    for (int i = 0; i < 30; ++i) {
        turns += i % 2 ? " U2" : " R'";
    }
    const std::string line = "solve 2025-12-06T23:30:17Z 57 83.412 competition assisted";
    EXPECT_TRUE(read(head + line + turns + "\nend\n", back, problem)) << problem;
    EXPECT_EQ(back.done[0].scramble.size(), 30u * 3 - 1);
    EXPECT_FALSE(read(head + line + turns + " R\nend\n", back, problem));
}

// A file of the first version is read by its own rules: its solves' scrambles are not
// known, none was assisted; and it is written back in the second.
// Times and dates are read by hand (a file may hold a million): each exactly as the C
// library reads it, and each date the calendar has, as the C library counts it.
TEST(RecordsFile, TimesAndDatesReadAsTheCLibraryReadsThem) {
    const std::string head = "gyrelle records 2\nsolve ";
    SavedRecords back;
    std::string problem;
    for (const char* time :
         {"0.001", "83.412", "0.1", "5999.999", "12", "12.", ".5", "1e2", "0.30000000000000004",
          "999999999.999", "0.000000000000001", "1234567.123456789", "86399.9995"}) {
        ASSERT_TRUE(read(head + "2025-12-06T23:30:17Z 5 " + time + " turns\nend\n", back, problem))
            << time << ": " << problem;
        EXPECT_EQ(back.done[0].seconds, std::strtod(time, nullptr)) << time;
    }
    for (const char* bad : {"1.2.3", "1..2", "-1", "1-", "+1", "1e999", "1000000000.001"}) {
        EXPECT_FALSE(read(head + "2025-12-06T23:30:17Z 5 " + bad + " turns\nend\n", back, problem))
            << bad;
    }
    for (const char* date : {"1000-01-01T00:00:00Z", "1969-12-31T23:59:59Z", "1970-01-01T00:00:00Z",
                             "2000-02-29T12:00:00Z", "2024-02-29T23:59:59Z", "2025-12-31T00:00:59Z",
                             "9999-12-31T23:59:59Z"}) {
        ASSERT_TRUE(read(head + date + " 5 1.0 turns\nend\n", back, problem)) << date;
        std::tm utc{};
        ASSERT_TRUE(strptime(date, "%Y-%m-%dT%H:%M:%SZ", &utc));
        EXPECT_EQ(back.done[0].date, timegm(&utc)) << date;
    }
    for (const char* bad : {"0999-12-31T23:59:59Z", "1900-02-29T00:00:00Z", "2025-02-29T00:00:00Z",
                            "2025-04-31T00:00:00Z", "2025-13-01T00:00:00Z", "2025-00-10T00:00:00Z",
                            "2025-12-00T00:00:00Z", "2025-12-06T24:00:00Z", "2025-12-06T23:60:00Z",
                            "2025-12-06T23:59:60Z", "2025-12-06 23:59:59Z", "2025-12-06T23:59:59+",
                            "2025-1a-06T23:59:59Z"}) {
        EXPECT_FALSE(read(head + bad + " 5 1.0 turns\nend\n", back, problem)) << bad;
    }
}

TEST(RecordsFile, TheFirstVersionIsStillRead) {
    const std::string v1 =
        "gyrelle records 1\nsolve 2025-12-06T23:30:17Z 57 83.412\n"
        "solving 0123456789abcdef 12 41.300\nend\n";
    SavedRecords back;
    std::string problem;
    ASSERT_TRUE(read(v1, back, problem)) << problem;
    ASSERT_EQ(back.done.size(), 1u);
    EXPECT_EQ(back.done[0].kind, Scramble::Unknown);
    EXPECT_FALSE(back.done[0].assisted);
    EXPECT_EQ(back.solve.moves, 12);
    EXPECT_EQ(store::recordsFileText(back),
              "gyrelle records 2\nsolve 2025-12-06T23:30:17Z 57 83.412 -\n"
              "solving 0123456789abcdef 12 41.300 -\nend\n");
    for (const std::string& bad :
         {std::string("gyrelle records 1\nsolve 2025-12-06T23:30:17Z 5 1.0 turns\nend\n")}) {
        EXPECT_FALSE(read(bad, back, problem)) << bad;  // version 1 has no <how>
    }
}

// Assisted solves count toward neither bests nor averages.
TEST(Solves, AssistedSolvesNeverCount) {
    std::vector<Solve> s = times({10, 20, 30, 40, 50});
    EXPECT_DOUBLE_EQ(*averageOfLast(s, 5), 30);
    s.push_back({0, 5, 1, Scramble::Turns, true});  // assisted, and the quickest
    EXPECT_DOUBLE_EQ(*averageOfLast(s, 5), 30);
    const std::string text = recordsText(s);
    EXPECT_NE(text.find("Best time: 0:10.0\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Fewest moves: 20\n"), std::string::npos) << text;
    EXPECT_NE(text.find("assisted\n"), std::string::npos) << text;

    Solves solves;
    for (bool assist : {false, true}) {
        solves.scrambled(Scramble::Turns);
        if (assist) {
            solves.assisted();
        }
        solves.turned(100, false, 0);
        ASSERT_TRUE(solves.turned(100 + (assist ? 1 : 50), true, 0));
    }
    EXPECT_TRUE(solves.done().back().assisted);
    EXPECT_FALSE(solves.lastWasBest()) << "an assisted solve is no best";
}

}  // namespace
}  // namespace gyrelle

namespace gyrelle {
namespace {

// A solve armed with inspection at t0 = 100 (its first frame), its first turn at
// 100 + `first`, solved at 100 + `last`.
Solve inspectedSolve(double first, double last) {
    Solves s;
    s.setInspection(true);
    s.scrambled(Scramble::Turns);
    s.beginInspection(100);
    EXPECT_FALSE(s.turned(100 + first, false, 0));
    EXPECT_TRUE(s.turned(100 + last, true, 0));
    return s.done().back();
}

// Competition rules: a start more than 15 s into the inspection costs 2 s, more than 17
// the solve; exactly 15 and exactly 17 are still within each.
TEST(Inspection, PlusTwoAndDnfBeginJustPastFifteenAndSeventeenSeconds) {
    EXPECT_EQ(inspectedSolve(15, 20).penalty, Penalty::None);
    EXPECT_EQ(inspectedSolve(15.000001, 20).penalty, Penalty::PlusTwo);
    EXPECT_EQ(inspectedSolve(17, 20).penalty, Penalty::PlusTwo);
    EXPECT_EQ(inspectedSolve(17.000001, 20).penalty, Penalty::Dnf);
    EXPECT_EQ(inspectedSolve(0, 20).penalty, Penalty::None);
}

// The clock starts at the first turn, or at the end of the inspection if that comes
// first; the penalty is added to the result, not the clock.
TEST(Inspection, TheClockStartsAtTheFirstTurnOrWhenTheCountdownEnds) {
    const Solve early = inspectedSolve(3, 10);
    EXPECT_DOUBLE_EQ(early.seconds, 7);
    EXPECT_DOUBLE_EQ(early.result(), 7);
    const Solve late = inspectedSolve(16, 20);
    EXPECT_DOUBLE_EQ(late.seconds, 5);
    EXPECT_DOUBLE_EQ(late.result(), 7);
    EXPECT_TRUE(std::isinf(inspectedSolve(18, 20).result()));

    Solves s;
    s.setInspection(true);
    s.scrambled(Scramble::Turns);
    EXPECT_DOUBLE_EQ(s.inspected(50), 0);  // not begun before its first frame
    s.beginInspection(100);
    EXPECT_DOUBLE_EQ(s.inspected(108), 8);
    EXPECT_DOUBLE_EQ(s.seconds(108), 0);
    EXPECT_DOUBLE_EQ(s.seconds(116.5), 1.5);  // running since 115, no turn yet
    EXPECT_EQ(s.penalty(116.5), Penalty::PlusTwo);
    EXPECT_EQ(s.penalty(117.5), Penalty::Dnf);
    s.setInspection(false);  // for the next scramble; this one keeps its inspection
    EXPECT_DOUBLE_EQ(s.inspected(110), 10);
    s.scrambled(Scramble::Turns);
    EXPECT_LT(s.inspected(110), 0);
    EXPECT_EQ(s.penalty(200), Penalty::None);
}

// A DNF is the worst of an average; two make the average a DNF; a +2 counts with its
// two seconds. Neither a DNF's time nor its moves are ever a best.
TEST(Inspection, PenaltiesInAveragesAndBests) {
    std::vector<Solve> five = times({10, 20, 30, 40, 50});
    five[0].penalty = Penalty::Dnf;
    five[2].penalty = Penalty::PlusTwo;
    // 20 32 40 50 DNF: without 20 and the DNF, (32 + 40 + 50) / 3.
    EXPECT_DOUBLE_EQ(*averageOfLast(five, 5), 122.0 / 3);
    five[4].penalty = Penalty::Dnf;
    EXPECT_TRUE(std::isinf(*averageOfLast(five, 5)));
    EXPECT_EQ(clockText(*averageOfLast(five, 5)), "DNF");

    Solves s;
    s.setInspection(true);
    auto solve = [&](double first, double last, int moves) {
        s.scrambled(Scramble::Turns);
        s.beginInspection(0);
        for (int m = 1; m < moves; ++m) {
            s.turned(first, false, 0);
        }
        return s.turned(last, true, 0) && s.lastWasBest();
    };
    solve(1, 11, 40);  // 10 s
    EXPECT_FALSE(solve(20, 21, 10)) << "a DNF, however short";
    EXPECT_FALSE(solve(16, 24, 50)) << "9 s from 15, and +2: 11; no better on moves either";
    EXPECT_TRUE(solve(16, 22, 50)) << "7 s and +2: 9";
    const std::string text = recordsText(s.done());
    EXPECT_NE(text.find("Best time: 0:09.0\nFewest moves: 40\n"), std::string::npos) << text;
    EXPECT_NE(text.find("10 moves  0:06.0 DNF\n"), std::string::npos) << text;
}

TEST(Inspection, PenaltiesAreKeptInTheRecordsFile) {
    SavedRecords r;
    r.done = {{.date = 1765063817,
               .moves = 57,
               .seconds = 83.412,
               .kind = Scramble::Competition,
               .assisted = true,
               .penalty = Penalty::PlusTwo,
               .scramble = "R U2"},
              {.date = 1765063900,
               .moves = 30,
               .seconds = 20.5,
               .kind = Scramble::Turns,
               .assisted = false,
               .penalty = Penalty::Dnf,
               .scramble = ""}};
    r.solve.phase = Solves::Phase::Running;
    r.cube = "0123456789abcdef";
    r.solve.moves = 1;
    r.solve.kind = Scramble::Turns;
    r.solve.penalty = Penalty::PlusTwo;
    const std::string text = store::recordsFileText(r);
    EXPECT_EQ(text,
              "gyrelle records 2\n"
              "solve 2025-12-06T23:30:17Z 57 83.412 competition assisted +2 R U2\n"
              "solve 2025-12-06T23:31:40Z 30 20.500 turns dnf\n"
              "solving 0123456789abcdef 1 0.000 turns +2\nend\n");
    SavedRecords back;
    std::string problem;
    ASSERT_TRUE(read(text, back, problem)) << problem;
    EXPECT_EQ(back.done[0].penalty, Penalty::PlusTwo);
    EXPECT_EQ(back.done[1].penalty, Penalty::Dnf);
    EXPECT_EQ(back.solve.penalty, Penalty::PlusTwo);
    EXPECT_EQ(store::recordsFileText(back), text);
    // Once only, and only in its place.
    EXPECT_FALSE(read("gyrelle records 2\nsolve 2025-12-06T23:30:17Z 5 1.000 turns +2 +2\nend\n",
                      back, problem));
    EXPECT_FALSE(
        read("gyrelle records 2\nsolve 2025-12-06T23:30:17Z 5 1.000 turns dnf assisted\nend\n",
             back, problem));
}

}  // namespace
}  // namespace gyrelle
