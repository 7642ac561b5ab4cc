// The settings file: what it writes, what it reads back and what it says of a file it
// cannot use; and the Keeper keeping it beside the cube. The inspection's rules are in
// solves_test.cpp.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "cube/Position.h"
#include "store/SettingsFile.h"
#include "tests/support/StoreFixture.h"

namespace gyrelle::testing {
namespace {

namespace fs = std::filesystem;

store::Reading read(const std::string& text, Settings& s, std::vector<std::string>& problems) {
    std::FILE* in = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    const store::Reading r = store::readSettings(in, s, problems);
    std::fclose(in);
    return r;
}

TEST(SettingsFile, TheDefaultsAreWrittenAsDocumentedAndReadBackTheSame) {
    EXPECT_EQ(store::settingsText(Settings{}),
              "colours = classic\n"
              "colour_U = #00c800\ncolour_R = #ebf500\ncolour_F = #f50000\n"
              "colour_D = #0000ff\ncolour_L = #ffffff\ncolour_B = #ff8c00\n"
              "sticker_letters = off\ninspection = off\nmethod = cfop\nturn_frames = 4\n");
    Settings s;
    s.scheme = ColourScheme::Custom;
    s.faceColours[3] = {1, 0xab, 0xff};  // D, the -y face
    s.stickerLetters = true;
    s.inspection = true;
    s.method = 1;
    s.unknown = {{"sound", "loud"}, {"theme.night", ""}};
    Settings back;
    std::vector<std::string> problems;
    EXPECT_TRUE(read(store::settingsText(s), back, problems).whole());
    EXPECT_EQ(back, s);
    EXPECT_TRUE(problems.empty());
    EXPECT_NE(store::settingsText(s).find("colour_D = #01abff\n"), std::string::npos);
    EXPECT_NE(store::settingsText(s).find("method = roux\n"), std::string::npos);
    read("method = zz\n", back, problems);
    EXPECT_EQ(problems,
              std::vector<std::string>{"line 1: method = zz is not cfop or roux; cfop is used"});
    for (ColourScheme scheme : {ColourScheme::Classic, ColourScheme::HighContrast,
                                ColourScheme::ColourBlind, ColourScheme::Custom}) {
        s.scheme = scheme;
        ASSERT_TRUE(read(store::settingsText(s), back, problems).whole());
        EXPECT_EQ(back.scheme, scheme);
    }
}

// As people write files: spaces anywhere, comments, blank lines, CRLF, no last line
// feed, a key twice; unknown keys kept in their order, the last value of each.
TEST(SettingsFile, AHandWrittenFileIsReadAsMeant) {
    Settings s;
    std::vector<std::string> problems;
    ASSERT_TRUE(read("# mine\n\n  inspection=on \r\nfuture = 1 2\ncolours =colour-blind\n"
                     "future = 3\ncolour_f = #123456\n\tsticker_letters\t=\ton",
                     s, problems)
                    .whole());
    EXPECT_TRUE(s.inspection);
    EXPECT_TRUE(s.stickerLetters);
    EXPECT_EQ(s.scheme, ColourScheme::ColourBlind);
    EXPECT_EQ(s.faceColours, Settings{}.faceColours);  // colour_f is not colour_F
    const std::vector<std::pair<std::string, std::string>> unknown = {{"future", "3"},
                                                                      {"colour_f", "#123456"}};
    EXPECT_EQ(s.unknown, unknown);
    EXPECT_TRUE(problems.empty());
}

// Each bad value: its default, one line naming it; the rest of the file is used.
TEST(SettingsFile, EachBadValueFallsBackToItsDefaultWithOneLine) {
    Settings s;
    std::vector<std::string> problems;
    ASSERT_TRUE(read("inspection = on\ninspection = yes\ncolours = pink\ncolour_U = #12345\n"
                     "colour_R = #12345g\ncolour_F = 123456\nsticker_letters = ON\n"
                     "colour_B = #ABCDEF\n",
                     s, problems)
                    .whole());
    EXPECT_FALSE(s.inspection);  // the last value was bad: the default, not the first
    EXPECT_EQ(s.scheme, ColourScheme::Classic);
    EXPECT_FALSE(s.stickerLetters);
    const std::array<Rgb, 6> expected = {Rgb{245, 0, 0}, {0, 200, 0},     {0xab, 0xcd, 0xef},
                                         {0, 0, 255},    {255, 255, 255}, {235, 245, 0}};
    EXPECT_EQ(s.faceColours, expected);
    const std::vector<std::string> said = {
        "line 2: inspection = yes is not on or off; off is used",
        "line 3: colours = pink is not classic, high-contrast, colour-blind or custom; classic "
        "is used",
        "line 4: colour_U = #12345 is not a colour as #rrggbb; #00c800 is used",
        "line 5: colour_R = #12345g is not a colour as #rrggbb; #ebf500 is used",
        "line 6: colour_F = 123456 is not a colour as #rrggbb; #f50000 is used",
        "line 7: sticker_letters = ON is not on or off; off is used",
    };
    EXPECT_EQ(problems, said);
}

// No settings file at all: nothing of it is used, and what is wrong is named.
TEST(SettingsFile, AMalformedFileIsRefusedNamingTheLine) {
    const std::pair<std::string, std::string> kBad[] = {
        {"inspection = on\ncolours classic\n", "line 2 is not \"key = value\""},
        {"= on\n", "line 1 has no key of letters, digits, _ - or ."},
        {"sticker letters = on\n", "line 1 has no key of letters, digits, _ - or ."},
        {"inspection = on\nx = \xff\nkey\xc3\xa9 = 1\n",
         "line 3 has no key of letters, digits, _ - or ."},
        {std::string("inspection = o\0n\n", 17), "line 1 holds a zero byte"},
        {"a = " + std::string(1021, 'x') + "\n", "line 1 is longer than any setting"},
    };
    for (const auto& [text, problem] : kBad) {
        Settings s;
        s.inspection = true;
        std::vector<std::string> problems;
        const store::Reading r = read(text, s, problems);
        EXPECT_EQ(r.outcome, store::Reading::Outcome::Refused) << text;
        EXPECT_EQ(r.problem, problem);
        EXPECT_TRUE(r.keepAside);
        EXPECT_TRUE(s.inspection) << "left as it was";
    }
    // A line of exactly 1024 bytes is one; 1025 is not; nor one that would be as written
    // back ("a=" and 1021 bytes, 1023 here, 1025 as "a = ...").
    Settings s;
    std::vector<std::string> problems;
    EXPECT_FALSE(read("a = " + std::string(1021, 'x') + "\n", s, problems).whole());
    EXPECT_FALSE(read("a=" + std::string(1021, 'x') + "\n", s, problems).whole());
    EXPECT_TRUE(read("a=" + std::string(1020, 'x') + "\n", s, problems).whole());
    EXPECT_EQ(s.unknown[0].second.size(), 1020u);
    EXPECT_EQ(store::settingsText(s).size(), store::settingsText(Settings{}).size() + 1025);
    // Fifty unknown keys are kept; the fifty-first is more than a file of settings holds.
    std::string fifty;
    for (int i = 0; i < 50; ++i) {
        fifty += "k" + std::to_string(i) + "=" + std::string(1000, 'v') + "\n";
    }
    EXPECT_TRUE(read(fifty, s, problems).whole());
    EXPECT_EQ(s.unknown.size(), 50u);
    EXPECT_LE(long(store::settingsText(s).size()), store::kLargestSettingsFile);
    EXPECT_TRUE(read(fifty + "k0 = again\n", s, problems).whole()) << "a key again is no more";
    const store::Reading r = read(fifty + "k50=1\n", s, problems);
    EXPECT_EQ(r.problem, "line 51 is one more setting this version does not know than 50");
}

TEST(SettingsFile, AFileOfExactlyTheLargestSizeIsReadAndOneByteMoreIsNot) {
    for (long size : {store::kLargestSettingsFile, store::kLargestSettingsFile + 1}) {
        std::string text = "inspection = on\n";
        text += std::string(size - text.size(), '\n');
        Settings s;
        std::vector<std::string> problems;
        const store::Reading r = read(text, s, problems);
        EXPECT_EQ(r.whole(), size == store::kLargestSettingsFile);
        EXPECT_EQ(s.inspection, size == store::kLargestSettingsFile);
    }
}

using SettingsKeeperTest = StoreTest;

// A player who never changes a setting gets no file; a change is kept soon, with the
// keys this version does not know, and read back at the next start.
TEST_F(SettingsKeeperTest, AChangeIsKeptAndTheUnknownKeysWithIt) {
    auto first = open();
    first->keeper->saveNow();
    EXPECT_FALSE(fs::exists(path("settings")));
    first.reset();

    std::ofstream(path("settings")) << "later_feature = yes\ninspection = off\n";
    auto second = open();
    Settings s = second->game.settings();
    EXPECT_EQ(s.unknown.size(), 1u);
    s.inspection = true;
    s.scheme = ColourScheme::HighContrast;
    second->game.setSettings(s);
    advance(store::Keeper::kSaveInterval);
    EXPECT_NE(file("settings").find("\ninspection = on\n"), std::string::npos) << file("settings");
    EXPECT_TRUE(file("settings").ends_with("\nlater_feature = yes\n")) << file("settings");
    second.reset();

    auto third = open();
    EXPECT_EQ(third->game.settings(), s);
}

// A bad value is said and its default used, but the file is left as it is until the
// player changes a setting: a newer version may have written that value.
TEST_F(SettingsKeeperTest, ABadValueIsSaidAndTheFileLeftAlone) {
    const std::string text = "colours = sepia\ninspection = on\n";
    std::ofstream(path("settings")) << text;
    std::string log;
    auto session = open(&log);
    EXPECT_EQ(log, path("settings") +
                       ", line 1: colours = sepia is not classic, high-contrast, colour-blind or "
                       "custom; classic is used\n");
    EXPECT_TRUE(session->game.settings().inspection);
    session->keeper->saveNow();
    EXPECT_EQ(file("settings"), text);
}

// Set aside as settings.bad with one line; the defaults are used and no file is written
// until a setting changes.
TEST_F(SettingsKeeperTest, AMalformedFileIsKeptAsideAndTheDefaultsUsed) {
    const std::string bad = "inspection: on\n";
    std::ofstream(path("settings")) << bad;
    std::string log;
    auto session = open(&log);
    EXPECT_EQ(log, path("settings") +
                       " was not read: line 1 is not \"key = value\"; it is kept as " +
                       path("settings") + ".bad and the defaults are used\n");
    EXPECT_EQ(session->game.settings(), Settings{});
    EXPECT_EQ(file("settings.bad"), bad);
    session->keeper->saveNow();
    EXPECT_FALSE(fs::exists(path("settings")));
}

// A solve started late keeps its +2 across a restart, and its record has it.
TEST_F(SettingsKeeperTest, APenaltyIsKeptWithTheSolveUnderWay) {
    std::ofstream(path("settings")) << "inspection = on\n";
    auto first = open();
    MagicCube twice;
    twice.rotateFace(1);
    twice.rotateFace(4);
    std::string problem;
    ASSERT_TRUE(first->game.setPosition(positionCode(twice.stickers()), problem));
    frames(*first, 1);  // the inspection begins
    advance(16);
    land(*first, -4);
    EXPECT_EQ(first->game.solves().penaltyTaken(), Penalty::PlusTwo);
    first->keeper->saveNow();
    first.reset();
    auto again = open();
    EXPECT_EQ(again->game.solves().penaltyTaken(), Penalty::PlusTwo);
    land(*again, -1);
    ASSERT_EQ(again->game.solves().done().size(), 1u);
    EXPECT_EQ(again->game.solves().done()[0].penalty, Penalty::PlusTwo);
    EXPECT_NE(file("records").find(" pasted +2\ntimed 1 "), std::string::npos) << file("records");
    // Its turns go on across the restart: the clock began as the inspection ran out, a
    // second before the first turn landed.
    EXPECT_TRUE(file("records").ends_with(" 16.017 D'@1017 L'@1017\nend\n")) << file("records");
}

// The inspection setting is read before the solve armed when the game ended, and that
// solve's inspection goes on where it was: as long as it has been since it began, the
// game closed (or killed: no save at its end) or not. Quitting never dodges a penalty,
// and a restart never begins the 15 seconds again.
TEST_F(SettingsKeeperTest, AnInspectionOutlastsARestartAndAKill) {
    std::ofstream(path("settings")) << "inspection = on\n";
    struct Case {
        double before, away;  // seconds inspected before the save, and closed after it
        Penalty penalty;
    };
    for (const Case c : {Case{10, 4.5, Penalty::None}, Case{10, 6, Penalty::PlusTwo},
                         Case{3, 16, Penalty::Dnf}, Case{16.5, 0, Penalty::PlusTwo}}) {
        for (const char* name : {"records", "cube_state.dat", "history"}) {
            fs::remove(path(name));
        }
        auto first = open();
        first->game.newGame();  // scrambles the solved cube
        frames(*first, 1);      // the inspection begins
        advance(c.before);
        const double inspected = first->game.solves().inspected(now);  // and a frame's
        EXPECT_TRUE(first->keeper->saveNow());
        const double began = wall() - inspected;
        first.reset();  // killed: nothing more is saved
        const std::string records = file("records");
        const size_t at = records.find(" inspection ");
        ASSERT_NE(at, std::string::npos) << records;
        EXPECT_NEAR(std::strtod(records.c_str() + at + 12, nullptr), began, 0.002) << records;
        away += c.away;
        auto again = open();
        ASSERT_EQ(again->game.solves().phase(), Solves::Phase::Scrambled);
        EXPECT_NEAR(again->game.solves().inspected(now), inspected + c.away, 0.002) << c.before;
        frames(*again, 1);  // the first frame does not begin it again
        EXPECT_NEAR(again->game.solves().inspected(now), inspected + c.away + 1.0 / 60, 0.002);
        again->game.type('r', false);
        frames(*again, 10);
        EXPECT_EQ(again->game.solves().penaltyTaken(), c.penalty) << c.before << " + " << c.away;
    }
}

}  // namespace
}  // namespace gyrelle::testing
