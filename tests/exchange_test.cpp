// Solves in and out: Gyrelle's CSV both ways, csTimer's export in, the merge, the bad
// files that change nothing; and positions sent as addresses.
#include "store/Exchange.h"

#include <gtest/gtest.h>

#include "cube/Notation.h"
#include "cube/Position.h"

namespace gyrelle::store {
namespace {

// 2026-12-01T00:00:00Z, as `date -d 2026-12-01T00:00:00Z +%s` says.
constexpr std::time_t kDec1 = 1796083200;
constexpr std::time_t kNow = kDec1 + 7 * 86400;

const std::string kSolved = "UUUUUUUUURRRRRRRRRFFFFFFFFFDDDDDDDDDLLLLLLLLLBBBBBBBBB";
// Model face slots: F 0, U 1, R 5.
std::int8_t code(int c) {
    return static_cast<std::int8_t>(c);
}

std::vector<Solve> some() {
    return {{.date = kDec1,
             .moves = 57,
             .seconds = 83.412,
             .kind = Scramble::Competition,
             .assisted = false,
             .penalty = Penalty::PlusTwo,
             .scramble = "R U2 F' D"},
            {kDec1 + 60, 30, 20.5, Scramble::Turns, true},
            {.date = kDec1 + 120,
             .moves = 0,
             .seconds = 9.25,
             .kind = Scramble::Unknown,
             .assisted = false,
             .penalty = Penalty::Dnf,
             .scramble = ""},
            {kDec1 + 180, 12, 0, Scramble::Pasted, false},
            // After x the model's front is on top: its turn reads U.
            {.date = kDec1 + 240,
             .moves = 3,
             .seconds = 0.12,
             .kind = Scramble::Turns,
             .assisted = false,
             .penalty = Penalty::None,
             .scramble = "",
             .turns =
                 std::make_shared<const SolveTurns>(SolveTurns{kSolved,
                                                               3.25,
                                                               {{0, code(faceTurn(5, false))},
                                                                {0, code(wholeCubeTurn(5, false))},
                                                                {120, code(faceTurn(0, false))}}})},
            // A race: a competition scramble that came by an address.
            {.date = kDec1 + 300,
             .moves = 20,
             .seconds = 14.27,
             .kind = Scramble::Competition,
             .assisted = false,
             .penalty = Penalty::None,
             .shared = true,
             .scramble = "B2 L",
             .turns = nullptr}};
}

bool same(const Solve& a, const Solve& b) {
    return a.date == b.date && a.moves == b.moves && a.seconds == b.seconds && a.kind == b.kind &&
           a.assisted == b.assisted && a.scramble == b.scramble && a.penalty == b.penalty &&
           a.shared == b.shared && (a.turns && b.turns ? *a.turns == *b.turns : a.turns == b.turns);
}

TEST(Exchange, TheCsvIsAsDocumentedAndComesBackEqual) {
    const std::string csv = recordsCsv(some());
    EXPECT_EQ(csv,
              "date,seconds,penalty,result,moves,turns_per_second,scramble_kind,scramble,assisted,"
              "timed_moves\n"
              "2026-12-01T00:00:00Z,83.412,+2,85.412,57,0.68,competition,R U2 F' D,no,\n"
              "2026-12-01T00:01:00Z,20.500,,20.500,30,1.46,turns,,yes,\n"
              "2026-12-01T00:02:00Z,9.250,DNF,DNF,,,unknown,,no,\n"
              "2026-12-01T00:03:00Z,0.000,,0.000,12,,pasted,,no,\n"
              "2026-12-01T00:04:00Z,0.120,,0.120,3,25.00,turns,,no," +
                  kSolved +
                  " 3.250 R@0 x@0 U@120\n"
                  "2026-12-01T00:05:00Z,14.270,,14.270,20,1.40,shared,B2 L,no,\n");
    Imported back;
    std::string problem;
    ASSERT_TRUE(readImport(csv, kNow, back, problem)) << problem;
    EXPECT_EQ(back.format, "Gyrelle CSV");
    ASSERT_EQ(back.solves.size(), 6u);
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_TRUE(same(back.solves[i], some()[i])) << i;
    }
    EXPECT_EQ(recordsCsv(back.solves), csv);
    // As spreadsheets save it: CRLF, a byte-order mark, fields quoted.
    ASSERT_TRUE(
        readImport("\xEF\xBB\xBF"
                   "date,seconds,penalty,result,moves,turns_per_second,scramble_kind,"
                   "scramble,assisted\r\n\"2026-12-01T00:00:00Z\",\"83.412\",+2,x,57,,"
                   "competition,\"R  U2 F' D\",no\r\n\r\n",
                   kNow, back, problem))
        << problem;
    EXPECT_TRUE(same(back.solves[0], some()[0]));
    // A finer time is kept to the millisecond, as it is written (found by the fuzzer: the
    // turns per second written from the finer one read back otherwise).
    const std::string head = csv.substr(0, csv.find('\n') + 1);
    ASSERT_TRUE(
        readImport(head + "2026-12-01T00:00:00Z,0.2243,,,65,,turns,,no,\n", kNow, back, problem));
    EXPECT_DOUBLE_EQ(back.solves[0].seconds, 0.224);
}

// Each bad file: the line and what is wrong, and nothing to take.
TEST(Exchange, EachBadInputIsNamedWithItsLine) {
    const std::string head =
        "date,seconds,penalty,result,moves,turns_per_second,scramble_kind,scramble,assisted\n";
    const std::string good = "2026-12-01T00:00:00Z,1.000,,1.000,5,,turns,,no\n";
    const std::pair<std::string, std::string> kBad[] = {
        {"time,moves\n1,2\n", "line 1: neither Gyrelle's CSV (its header) nor csTimer's export"},
        {head + good + "2026-12-01T00:00:00Z,1.000,,1.000,5,,turns,no\n",
         "line 3: 8 fields where there are 9"},
        {head + good + good + "2026-12-01T00:00:00Z,1:23,,,5,,turns,,no\n",
         "line 4: the time \"1:23\" is not a number of seconds"},
        {head + "2026-12-01T00:00:00Z,nan,,,5,,turns,,no\n",
         "line 2: the time \"nan\" is not a number of seconds"},
        {head + "2026-12-01,1.0,,,5,,turns,,no\n",
         "line 2: the date \"2026-12-01\" is not one as 2026-12-06T23:30:17Z"},
        {head + "2027-01-01T00:00:00Z,1.0,,,5,,turns,,no\n",
         "line 2: the date 2027-01-01T00:00:00Z is in the future"},
        {head + "2026-12-01T00:00:00Z,1.0,+3,,5,,turns,,no\n",
         "line 2: the penalty \"+3\" is not +2, DNF or nothing"},
        {head + "2026-12-01T00:00:00Z,1.0,,,-5,,turns,,no\n",
         "line 2: the moves \"-5\" are not a count"},
        {head + "2026-12-01T00:00:00Z,1.0,,,5,,shaken,,no\n",
         "line 2: the scramble kind \"shaken\" is not turns, competition, shared, pasted or "
         "unknown"},
        {head + "2026-12-01T00:00:00Z,1.0,,,5,,competition,R X,no\n",
         "line 2: a competition scramble of at most 30 turns (R U2 F' ...) is wanted"},
        {head + "2026-12-01T00:00:00Z,1.0,,,5,,turns,,maybe\n",
         "line 2: assisted is \"maybe\", not yes or no"},
        {head + "2026-12-01T00:00:00Z,1.0,,,5,,turns,\"R,no\n", "line 2: a quote is not closed"},
        {head + "2026-12-01T00:00:00Z,1.0,,,5,,\"turns\"x,,no\n",
         "line 2: text after a quoted field"},
        {head + "2026-12-01T00:00:00Z,1.0,,,5,,turns,\"R\" ,no\n",
         "line 2: text after a quoted field"},
        {head + "2026-12-01T00:00:00Z,1.0,,,5,,tu\"rns,,no\n", "line 2: a quote inside a field"},
        {head + "2026-12-01T00:00:00Z,-0,,,5,,turns,,no\n",
         "line 2: the time \"-0\" is not a number of seconds"},

        {head + good + "2026-12-01T00:00:00Z,1.0,,,5,,turns,,n\xE9\n",
         "line 3: it is not UTF-8 text"},
        {std::string("\xFF\xFE"
                     "d\0a\0",
                     6),
         "line 1: it is UTF-16 text; save it as UTF-8"},
        {head + std::string("2026-12-01T00:00:00Z,1.0\0,,,5,,turns,,no\n", 41),
         "line 2: it is not UTF-8 text"},
    };
    for (const auto& [text, want] : kBad) {
        Imported out;
        std::string problem;
        EXPECT_FALSE(readImport(text, kNow, out, problem)) << text;
        EXPECT_EQ(problem, want);
    }
    // Ten minutes ahead is a clock that disagrees; a second more is the future.
    Imported out;
    std::string problem;
    const std::string soon = head + "2026-12-08T00:10:00Z,1.0,,,5,,turns,,no\n";
    EXPECT_TRUE(readImport(soon, kNow, out, problem)) << problem;
    EXPECT_FALSE(readImport(soon, kNow - 1, out, problem));
    // A row of 4096 bytes with room for a solve's most timed moves, 14 bytes each, is
    // read (a scramble's turns may be far apart); one byte more is no solve's, and is not
    // held to find that out.
    const size_t longest = 4096 + 14 * 10000;
    for (size_t length : {longest, longest + 1}) {
        const std::string start = "2026-12-01T00:00:00Z,1.0,,,5,,competition,R", end = " U2,no\n";
        const std::string row = start + std::string(length - start.size() - end.size(), ' ') + end;
        ASSERT_EQ(row.size(), length);
        EXPECT_EQ(readImport(head + row, kNow, out, problem), length == longest) << length;
        EXPECT_EQ(problem, length == longest ? "" : "line 2: it is longer than any solve's row");
    }
    // With timed moves: ten fields, and the moves as the records file holds them.
    const std::string timedHead = head.substr(0, head.size() - 1) + ",timed_moves\n";
    for (const auto& [row, want] : std::vector<std::pair<std::string, std::string>>{
             {"2026-12-01T00:00:00Z,1.0,,,5,,turns,,no\n", "line 2: 9 fields where there are 10"},
             {"2026-12-01T00:00:00Z,1.0,,,5,,turns,,no,UUU - R@0\n",
              "line 2: the timed moves \"UUU - R@0\" are not a position, an inspection and turns "
              "(R@0 U'@250 ...)"},
             {"2026-12-01T00:00:00Z,1.0,,,5,,turns,,no," + kSolved + " - R@9 U@8\n",
              "line 2: the timed moves \"" + kSolved.substr(0, 40) +
                  "...\" are not a position, an inspection and turns (R@0 U'@250 ...)"}}) {
        EXPECT_FALSE(readImport(timedHead + row, kNow, out, problem)) << row;
        EXPECT_EQ(problem, want);
    }
    // The largest file: one byte more is refused as soon as it is read so far.
    const std::string huge(size_t(kLargestImport) + 1, '\n');
    EXPECT_FALSE(readImport(huge, kNow, out, problem));
    EXPECT_EQ(problem, "it is larger than any records (100 MB)");
}

// A small export written by hand from csTimer's documented form: a 3x3x3 session with a
// plain solve, a +2 and a DNF, a 2x2x2 session passed over, a session with no data.
TEST(Exchange, CsTimersExportIsRead) {
    const std::string json =
        R"({"session1":[[[0,12345],"R U2 F'  D ","",1796083200],)"
        R"([[2000,9870],"L2 B","nice",1796083260,"extra"],)"
        R"([[-1,30000],"Rw U","",1796083320]],)"
        "\n"
        R"("session2":[[[0,4000],"R U","",1796083380]],"session3":[],)"
        // A virtual cube's solves: their moves, each with its time, and the puzzle. Those
        // that do not solve their scramble, or cannot be read, keep no turns.
        R"("session4":[[[0,350],"R U","",1796083440,["U' /*0*/ R' /*350*/","333"]],)"
        R"([[0,350],"R U","",1796083500,["U' /*0*/ R /*350*/","333"]],)"
        R"([[0,350],"R U","",1796083560,["U' /*400*/ R' /*350*/","333"]],)"
        R"([[0,350],"R2","",1796083620,["R2 /*200*/","333"]],)"
        R"([[0,350],"R U","",1796083680,["U' /*0*/ Q /*350*/","333"]]],)"
        R"("properties":{"sessionData":"{\"1\":{\"name\":\"main\",\"opt\":{}},)"
        R"(\"2\":{\"name\":\"warm-up\",\"opt\":{\"scrType\":\"222so\"}}}",)"
        R"("sessionN":3}})";
    Imported out;
    std::string problem;
    // A comment of exactly the longest value csTimer's export may hold.
    ASSERT_TRUE(readImport(
        "{\"session1\":[[[0,1],\"R\",\"" + std::string(4 << 20, 'x') + "\",1796083200]]}", kNow,
        out, problem))
        << problem;
    ASSERT_TRUE(readImport(json, kNow, out, problem)) << problem;
    EXPECT_EQ(out.format, "csTimer");
    ASSERT_EQ(out.solves.size(), 8u);
    EXPECT_TRUE(same(out.solves[0], {.date = kDec1,
                                     .moves = 0,
                                     .seconds = 12.345,
                                     .kind = Scramble::Competition,
                                     .assisted = false,
                                     .scramble = "R U2 F' D"}));
    MagicCube scrambled;
    scrambled.rotateFace(faceTurn(5, false));
    scrambled.rotateFace(faceTurn(1, false));
    EXPECT_TRUE(same(out.solves[3],
                     {.date = kDec1 + 240,
                      .moves = 0,
                      .seconds = 0.35,
                      .kind = Scramble::Competition,
                      .assisted = false,
                      .penalty = Penalty::None,
                      .scramble = "R U",
                      .turns = std::make_shared<const SolveTurns>(SolveTurns{
                          positionCode(scrambled.stickers()),
                          -1,
                          {{0, code(faceTurn(1, true))}, {350, code(faceTurn(5, true))}}})}));
    EXPECT_FALSE(out.solves[4].turns);  // R U then U' R is not solved
    EXPECT_FALSE(out.solves[5].turns);  // a time going back
    ASSERT_TRUE(out.solves[6].turns);   // a half turn: two quarters at its time
    EXPECT_EQ(
        out.solves[6].turns->turns,
        (std::vector<TimedTurn>{{200, code(faceTurn(5, false))}, {200, code(faceTurn(5, false))}}));
    EXPECT_FALSE(out.solves[7].turns);  // no such turn
    EXPECT_TRUE(same(out.solves[1], {.date = kDec1 + 60,
                                     .moves = 0,
                                     .seconds = 9.87,
                                     .kind = Scramble::Competition,
                                     .assisted = false,
                                     .penalty = Penalty::PlusTwo,
                                     .scramble = "L2 B"}));
    EXPECT_TRUE(same(out.solves[2], {.date = kDec1 + 120,
                                     .moves = 0,
                                     .seconds = 30,
                                     .kind = Scramble::Unknown,
                                     .assisted = false,
                                     .penalty = Penalty::Dnf,
                                     .scramble = ""}));
    EXPECT_EQ(out.skipped, std::vector<std::string>{
                               "1 of session \"warm-up\", whose puzzle is not the 3x3x3 (222so)"});

    for (const auto& [bad, want] : std::vector<std::pair<std::string, std::string>>{
             {"{\"session1\":[[[0,1],\"R\",\"\"]]}",
              "line 1: solve 1 of session \"1\" is not "
              "[[penalty, time], scramble, comment, date]"},
             {"{\"session1\":[\n[[5,1],\"R\",\"\",1]]}",
              "line 2: solve 1 of session \"1\": the penalty 5 is not 0, 2000 or -1"},
             {"{\"session1\":[[[0,1],\"R\",\"\",4102444800]]}",
              "line 1: solve 1 of session \"1\": the date 2100-01-01T00:00:00Z is in the future"},
             {"{\"session1\":[[[0,1],\"R\",\"\",1]\n", "line 2: it ends too soon"},
             {"{\"other\":1}", "line 1: not csTimer's export (no sessions)"},
             {"{\"session1\":[[[0,1],\"R\",\"" + std::string((4 << 20) + 1, 'x') + "\",1]]}",
              "line 1: a value longer than any of csTimer's (4 MB)"},
             {"{\"session1\":[[[0," + std::string((4 << 20) + 1, '1') + "],\"R\",\"\",1]]}",
              "line 1: a value longer than any of csTimer's (4 MB)"},
         }) {
        EXPECT_FALSE(readImport(bad, kNow, out, problem)) << bad;
        EXPECT_EQ(problem, want);
    }
}

// Merged without duplicates (the same date and time to the millisecond), in the order
// solves ended; importing the same file twice adds nothing.
TEST(Exchange, AMergeTakesOnlyWhatIsNotKept) {
    const std::vector<Solve> kept = {some()[1], some()[3]};
    std::vector<Solve> incoming = some();
    incoming.resize(4);
    incoming.push_back(some()[0]);  // twice in the file
    Merged m = mergeSolves(kept, incoming);
    EXPECT_EQ(m.taken, 2u);
    EXPECT_EQ(m.alreadyKept, 2u);
    EXPECT_EQ(m.repeated, 1u);
    ASSERT_EQ(m.solves.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_TRUE(same(m.solves[i], some()[i])) << i;
    }
    Imported imported{"Gyrelle CSV", incoming, {"1 of session \"x\""}, {}};
    EXPECT_EQ(importReport(imported, m),
              "Took 2 solves (Gyrelle CSV). Passed over: 2 already kept; "
              "1 repeated in the file; 1 of session \"x\".");
    const Merged again = mergeSolves(m.solves, incoming);
    EXPECT_EQ(again.taken, 0u);
    EXPECT_EQ(again.solves.size(), 4u);
    // No solve takes no time (a best of 0.000 was kept): passed over and said; a DNF may
    // have none.
    Solve none = some()[1];
    none.date += 1000;
    none.seconds = 0;
    Solve dnf = none;
    dnf.date += 1;
    dnf.penalty = Penalty::Dnf;
    const Merged zero = mergeSolves(kept, {none, dnf});
    EXPECT_EQ(zero.noTime, 1u);
    EXPECT_EQ(zero.taken, 1u);
    EXPECT_EQ(importReport({"Gyrelle CSV", {}, {}, {}}, zero),
              "Took 1 solve (Gyrelle CSV). Passed over: 1 of no time (0 seconds).");
    // A thousandth of a second apart is another solve.
    Solve near = some()[1];
    near.seconds += 0.001;
    EXPECT_EQ(mergeSolves(kept, {near}).taken, 1u);
}

TEST(Exchange, APositionTravelsInAnAddress) {
    const std::string code = "UUUUUUUUURRRRRRRRRFFFFFFFFFDDDDDDDDDLLLLLLLLLBBBBBBBBB";
    EXPECT_EQ(codeOfAddress("https://example.org/gyrelle/#position=" + code), code);
    EXPECT_EQ(codeOfAddress("#position=" + code + "&x=1"), code);
    EXPECT_EQ(codeOfAddress("https://e.org/#position=UU%55U"), "UUUU");
    EXPECT_EQ(codeOfAddress("https://e.org/#position=U%5"), "U%5");
    EXPECT_EQ(codeOfAddress(code), code);
    EXPECT_EQ(codeOfAddress("https://e.org/#position="), "");
}

// A replay travels in an address: its turns and scramble come back the same, escaped as
// browsers escape them or not; an address that is no replay, or whose turns do not solve
// where they begin, is refused with a sentence.
TEST(Exchange, AReplayTravelsInAnAddress) {
    MagicCube scrambled;
    scrambled.rotateFace(faceTurn(5, false));
    const SolveTurns turns{positionCode(scrambled.stickers()),
                           4.25,
                           {{0, code(wholeCubeTurn(5, false))}, {300, code(faceTurn(5, true))}}};
    const std::string fragment = replayFragment(turns, "R U2");
    EXPECT_EQ(fragment, "replay=" + turns.start + "_4.250_x@0_R'@300&scramble=R_U2");
    SolveTurns back;
    std::string scramble, problem;
    ASSERT_TRUE(
        readReplayAddress("https://example.org/gyrelle/#" + fragment, back, scramble, problem))
        << problem;
    EXPECT_EQ(back, turns);
    EXPECT_EQ(scramble, "R U2");
    std::string escaped = "#" + fragment;
    escaped.replace(escaped.find("'"), 1, "%27");
    ASSERT_TRUE(readReplayAddress(escaped, back, scramble, problem)) << problem;
    EXPECT_EQ(back, turns);
    for (const auto& [bad, want] : std::vector<std::pair<std::string, std::string>>{
             {"#position=" + turns.start, "This is no replay"},
             {"#replay=", "This is no replay"},
             {"#replay=" + turns.start + "_-_R@0_R@1", "The replay's turns do not solve"},
             {"#replay=" + turns.start + "_-", "The replay's turns do not solve"},
             {"#replay=UUUUUUUUURRRRRRRRRFFFFFFFFFDDDDDDDDDLLLLLLLLLBBBBBBBBU_-_R@0",
              "The replay's position is no cube's"}}) {
        SolveTurns untouched = turns;
        EXPECT_FALSE(readReplayAddress(bad, untouched, scramble, problem)) << bad;
        EXPECT_TRUE(problem.starts_with(want)) << problem;
        EXPECT_EQ(untouched, turns);
    }
}

}  // namespace
}  // namespace gyrelle::store
