// Sessions: solves kept apart by name. A merge keeps every solve once, a deletion is taken
// back whole, a best is a best within its own session; the sessions file names the solves
// by when they ended and their time, so the records stay as every version reads them.
#include <gtest/gtest.h>

#include <cstdio>

#include "platform/Files.h"
#include "store/SessionsFile.h"
#include "tests/support/StoreFixture.h"

namespace gyrelle {
namespace {

constexpr std::time_t kDec1 = 1796083200;

// Solves ended a minute apart, `seconds` each, in the session shown when each ended.
void solve(Solves& solves, double seconds, int n = 1) {
    static std::time_t date = kDec1;
    for (int i = 0; i < n; ++i) {
        solves.scrambled(Scramble::Turns);
        solves.turned(0, false, date);
        solves.turned(seconds, true, date += 60);
    }
}

std::vector<int> sessionsOf(const Solves& solves) {
    std::vector<int> s;
    for (const Solve& d : solves.done()) {
        s.push_back(d.session);
    }
    return s;
}

TEST(SessionsTest, NewSolvesGoToTheSessionShown) {
    Solves solves;
    EXPECT_EQ(solves.sessions(), std::vector<std::string>{"Main"});
    solve(solves, 10);
    Solves::SessionsBefore before;
    ASSERT_TRUE(solves.addSession("One-handed", before));
    EXPECT_EQ(solves.shownSession(), 1u);
    solve(solves, 20, 2);
    solves.showSession(0);
    solve(solves, 11);
    EXPECT_EQ(sessionsOf(solves), (std::vector<int>{0, 1, 1, 0}));
    // A name: 1 to 40 bytes, not only spaces, on one line.
    for (const std::string& bad :
         {std::string(), std::string("   "), std::string("a\nb"), std::string(41, 'x')}) {
        EXPECT_FALSE(solves.addSession(bad, before)) << bad;
        EXPECT_FALSE(solves.renameSession(1, bad, before)) << bad;
    }
    EXPECT_TRUE(solves.renameSession(1, std::string(40, 'x'), before));
    EXPECT_EQ(before.names, (std::vector<std::string>{"Main", "One-handed"}));
    // A hundred sessions at most.
    for (size_t i = solves.sessions().size(); i < Solves::kMostSessions; ++i) {
        ASSERT_TRUE(solves.addSession("S" + std::to_string(i), before));
    }
    EXPECT_EQ(solves.sessions().size(), 100u);
    EXPECT_FALSE(solves.addSession("one more", before));
}

// Sessions 0 1 2 3 with solves in each; 1 merged into 3: every solve kept once, those of 1
// now 3's, the sessions after 1 one lower; 2 deleted with its solves, and taken back.
TEST(SessionsTest, AMergeKeepsEverySolveOnceAndADeletionIsTakenBack) {
    Solves solves;
    Solves::SessionsBefore before;
    for (const char* name : {"A", "B", "C"}) {
        ASSERT_TRUE(solves.addSession(name, before));
    }
    for (size_t s : {0, 1, 2, 3, 1, 2, 3, 0}) {
        solves.showSession(s);
        solve(solves, 10.0 + s);
    }
    const std::vector<Solve> all = solves.done();
    ASSERT_TRUE(solves.mergeSessions(1, 3, before));
    EXPECT_EQ(solves.sessions(), (std::vector<std::string>{"Main", "B", "C"}));
    EXPECT_EQ(solves.done().size(), 8u);
    EXPECT_EQ(sessionsOf(solves), (std::vector<int>{0, 2, 1, 2, 2, 1, 2, 0}));
    EXPECT_EQ(solves.shownSession(), 2u);  // the one merged into
    solves.restoreSessions(before);
    EXPECT_EQ(solves.sessions(), (std::vector<std::string>{"Main", "A", "B", "C"}));
    EXPECT_EQ(sessionsOf(solves), (std::vector<int>{0, 1, 2, 3, 1, 2, 3, 0}));

    ASSERT_TRUE(solves.deleteSession(2, before));
    EXPECT_EQ(solves.sessions(), (std::vector<std::string>{"Main", "A", "C"}));
    EXPECT_EQ(sessionsOf(solves), (std::vector<int>{0, 1, 2, 1, 2, 0}));
    solves.restoreSessions(before);
    ASSERT_EQ(solves.done().size(), 8u);
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(solves.done()[i].date, all[i].date) << i;
        EXPECT_EQ(solves.done()[i].seconds, all[i].seconds) << i;
        EXPECT_EQ(solves.done()[i].session, all[i].session) << i;
    }
    EXPECT_FALSE(solves.mergeSessions(1, 1, before));
    EXPECT_FALSE(solves.mergeSessions(1, 4, before));
    for (size_t s = solves.sessions().size() - 1; s > 0; --s) {
        ASSERT_TRUE(solves.deleteSession(s, before));
    }
    EXPECT_FALSE(solves.deleteSession(0, before)) << "the only session stays";
}

// A best is a best in its own session: a slower solve in a new session is its best.
TEST(SessionsTest, ABestIsABestWithinItsSession) {
    Solves solves;
    solve(solves, 10, 2);
    Solves::SessionsBefore before;
    ASSERT_TRUE(solves.addSession("Feet", before));
    solve(solves, 60);
    solve(solves, 50);
    EXPECT_TRUE(solves.lastWasBest());
    solves.showSession(0);
    solve(solves, 12);
    EXPECT_FALSE(solves.lastWasBest()) << "10 s stands in Main";
}

store::Reading read(const std::string& text, const std::vector<Solve>& done,
                    store::SavedSessions& out) {
    std::FILE* in = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    const store::Reading r = store::readSessions(in, done, out);
    std::fclose(in);
    return r;
}

TEST(SessionsTest, TheFileNamesTheSolvesOfEachSessionButTheFirst) {
    Solves solves;
    Solves::SessionsBefore before;
    solve(solves, 9.5);
    ASSERT_TRUE(solves.addSession("One-handed", before));
    solve(solves, 20.25);
    ASSERT_TRUE(solves.addSession("New cube", before));
    solves.showSession(1);
    const std::string text = store::sessionsText(solves);
    const Solve& oh = solves.done()[1];
    EXPECT_EQ(text,
              "gyrelle sessions 1\nshown 2\nsession Main\nsession One-handed\n"
              "session New cube\nin 2 " +
                  store::utcDateText(oh.date) + " 20.250\n");
    // Read for the same solves and one more an older version added: that one is Main's.
    std::vector<Solve> done = solves.done();
    done.push_back(done[1]);
    done.back().date += 3600;
    store::SavedSessions back;
    ASSERT_TRUE(read(text + "in 3 2020-01-01T00:00:00Z 1.000\n", done, back).whole());
    EXPECT_EQ(back.names, solves.sessions());
    EXPECT_EQ(back.shown, 1u);
    EXPECT_EQ(back.sessionOf, (std::vector<std::uint16_t>{0, 1, 0}));
    for (const std::string& bad :
         {std::string("gyrelle sessions 2\nsession Main\n"), std::string(""),
          std::string("gyrelle sessions 1\n"), std::string("gyrelle sessions 1\nsession \n"),
          std::string("gyrelle sessions 1\nsession Main\nshown 2\n"),
          std::string("gyrelle sessions 1\nsession Main\nshown 0\n"),
          std::string("gyrelle sessions 1\nsession Main\nin 2 2026-12-01T00:00:00Z\n"),
          std::string("gyrelle sessions 1\nsession Main\nin 101 2026-12-01T00:00:00Z 1.000\n"),
          std::string("gyrelle sessions 1\nsession Main\nsolve\n")}) {
        EXPECT_EQ(read(bad, done, back).outcome, store::Reading::Outcome::Refused) << bad;
    }
}

using SessionsKeepingTest = testing::StoreTest;

TEST_F(SessionsKeepingTest, SessionsAreKeptBesideTheRecordsAndReadBack) {
    {
        auto s = open();
        land(*s, 1);  // no solve: a turn from solved
        ASSERT_TRUE(s->keeper->saveNow());
        EXPECT_FALSE(std::filesystem::exists(path("sessions"))) << "one session: no file";
        Solves::SessionsBefore before;
        ASSERT_TRUE(s->game.addSession("Blindfolded", before));
        ASSERT_TRUE(s->keeper->saveNow());
    }
    EXPECT_EQ(file("sessions"), "gyrelle sessions 1\nshown 2\nsession Main\nsession Blindfolded\n");
    auto s = open();
    EXPECT_EQ(s->game.solves().sessions(), (std::vector<std::string>{"Main", "Blindfolded"}));
    EXPECT_EQ(s->game.solves().shownSession(), 1u);
    // One that is not a sessions file is kept aside; the solves are then all in one.
    s.reset();
    std::ofstream(path("sessions")) << "not sessions";
    std::string log;
    s = open(&log);
    EXPECT_EQ(s->game.solves().sessions().size(), 1u);
    EXPECT_EQ(file("sessions.bad"), "not sessions");
}

// csTimer's sessions come in as sessions of their names (one without a name as "Session N");
// a CSV, into the session shown; all kept across a restart.
TEST_F(SessionsKeepingTest, CsTimersSessionsComeInAsSessions) {
    const std::string json =
        R"({"session1":[[[0,12345],"R U","",1796083200],[[0,9870],"L2 B","",1796083260]],)"
        R"("session2":[[[0,4000],"R U","",1796083380]],"session3":[[[0,5000],"F","",1796083440]],)"
        R"("properties":{"sessionData":"{\"1\":{\"name\":\"main\",\"opt\":{}},)"
        R"(\"3\":{\"name\":\"OH\",\"opt\":{}}}","sessionN":3}})";
    {
        auto s = open();
        Solves::SessionsBefore before;
        ASSERT_TRUE(s->game.addSession("Feet", before));
        platform::TextSource source(json);
        std::string words;
        ASSERT_EQ(s->keeper->importFrom(source, kDec1 + 86400, words), store::Keeper::Import::Saved)
            << words;
        EXPECT_EQ(s->game.solves().sessions(),
                  (std::vector<std::string>{"Main", "Feet", "main", "Session 2", "OH"}));
        EXPECT_EQ(sessionsOf(s->game.solves()), (std::vector<int>{2, 2, 3, 4}));
        platform::TextSource csv(
            "date,seconds,penalty,result,moves,turns_per_second,"
            "scramble_kind,scramble,assisted\n"
            "2026-12-01T01:00:00Z,9.000,,9.000,,,turns,,no\n");
        ASSERT_EQ(s->keeper->importFrom(csv, kDec1 + 86400, words), store::Keeper::Import::Saved)
            << words;
        EXPECT_EQ(s->game.solves().done().back().session, 1) << "Feet, the one shown";
    }
    auto s = open();
    EXPECT_EQ(s->game.solves().sessions().size(), 5u);
    EXPECT_EQ(sessionsOf(s->game.solves()), (std::vector<int>{2, 2, 3, 4, 1}));
}

}  // namespace
}  // namespace gyrelle
