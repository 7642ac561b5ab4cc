// The game's folder under attack, as a careless script or a hostile file would leave it:
// the game's own files (lock, saving, the copies set aside, the records before an import)
// are never followed through a link nor used when they are anything but a regular file;
// what cannot be read is kept, not written over; a save that stopped half-way says so.
#include "store/Folder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/Files.h"
#include "tests/support/StoreFixture.h"

namespace gyrelle::testing {
namespace {

namespace fs = std::filesystem;

using OwnFilesTest = StoreTest;

std::string listing(const std::string& dir) {
    std::string all;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        all += e.path().string() +
               (e.is_symlink() ? " -> " + fs::read_symlink(e.path()).string() : "");
        if (e.is_regular_file() && !e.is_symlink()) {
            std::stringstream s;
            s << std::ifstream(e.path(), std::ios::binary).rdbuf();
            all += ": " + s.str();
        }
        all += "\n";
    }
    return all;
}

// Each of the game's own names taken by a link (to a file outside, or dangling), a folder
// or a FIFO: said in one line naming it, nothing written anywhere, the link's target
// as it was; the save at the end fails, for status 1. Once it is removed, the next save
// keeps the game.
TEST_F(OwnFilesTest, ALinkOrAnythingButAFileAtTheGamesOwnNamesIsRefused) {
    const std::string outside = dir + "-outside";
    fs::create_directory(outside);
    std::ofstream(outside + "/target") << "the player's";
    struct Thing {
        const char* what;
        std::function<void(const std::string&)> make;
        const char* said;
    };
    const Thing things[] = {
        {"a link to a file",
         [&](const std::string& p) { fs::create_symlink(outside + "/target", p); },
         "is a symbolic link"},
        {"a dangling link", [&](const std::string& p) { fs::create_symlink(outside + "/none", p); },
         "is a symbolic link"},
        {"a folder", [](const std::string& p) { fs::create_directory(p); },
         "is a folder, not a regular file"},
        {"a FIFO", [](const std::string& p) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); },
         "is a FIFO, not a regular file"},
    };
    for (const char* name : {"lock", "saving", "saving.bad", "cube_state.dat.bad", "history.bad",
                             "records.bad", "settings.bad", "records.before-import"}) {
        for (const Thing& thing : things) {
            const std::string where = std::string(name) + ", " + thing.what;
            fs::remove_all(dir);
            fs::create_directory(dir);
            thing.make(path(name));
            const std::string before = listing(dir) + listing(outside);
            std::string log;
            auto s = open(&log);
            EXPECT_EQ(log, path(name) + " " + thing.said +
                               ", which Gyrelle never writes through: remove it; until then "
                               "this game saves nothing\n")
                << where;
            EXPECT_FALSE(s->keeper->lockedElsewhere()) << where;
            EXPECT_EQ(s->keeper->refusal(), path(name) + " " + thing.said) << where;
            s->game.type('f', false);
            frames(*s, 30);
            s->keeper->saveSoon();
            advance(5);
            ::testing::internal::CaptureStderr();
            EXPECT_FALSE(s->keeper->saveNow()) << where;
            EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                      "could not save the game: " + path(name) + " " + thing.said + "\n")
                << where;
            std::string words;
            platform::TextSource csv(
                "date,seconds,penalty,result,moves,turns_per_second,scramble_kind,scramble,"
                "assisted\n2026-01-01T00:00:00Z,9.000,,9.000,,,turns,,no\n");
            EXPECT_EQ(s->keeper->importFrom(csv, 1798761600, words), store::Keeper::Import::NotMade)
                << where;
            EXPECT_EQ(words, path(name) + " " + thing.said) << where;
            EXPECT_EQ(listing(dir) + listing(outside), before) << where;
            // Removed while the game plays: its next save keeps it.
            fs::remove(path(name));
            EXPECT_TRUE(s->keeper->saveNow()) << where;
            EXPECT_TRUE(fs::exists(path("cube_state.dat"))) << where;
        }
    }
    fs::remove_all(outside);
}

// A lock that is a link was no lock at all: a second game played and saved over the
// first, and an import beside a running game was written back without its solves.
TEST_F(OwnFilesTest, TwoGamesOnAFolderWithALinkAsItsLockBothWriteNothing) {
    fs::create_symlink("elsewhere", path("lock"));
    auto first = open();
    auto second = open();
    for (auto* s : {first.get(), second.get()}) {
        s->game.newGame();
        frames(*s, 30);
        EXPECT_FALSE(s->keeper->saveNow());
    }
    EXPECT_FALSE(fs::exists(path("cube_state.dat")));
    EXPECT_FALSE(fs::exists(path("elsewhere")));
}

// A `saving` that is a link: its target, outside the folder, was set aside and then
// written with the save's text. Now neither: it is as it was.
TEST_F(OwnFilesTest, ASavingThatIsALinkLeavesItsTargetAlone) {
    const std::string outside = dir + "-outside";
    fs::create_directory(outside);
    const std::string theirs = "gyrelle saving 1\nfile cube_state.dat 3\nabcend\n";
    std::ofstream(outside + "/saving") << theirs;
    fs::create_symlink(outside + "/saving", path("saving"));
    auto s = open();
    s->game.newGame();
    EXPECT_FALSE(s->keeper->saveNow());
    EXPECT_EQ(listing(outside), outside + "/saving: " + theirs + "\n");
    EXPECT_FALSE(fs::exists(path("cube_state.dat")));
    EXPECT_FALSE(fs::exists(path("saving.bad")));
    fs::remove_all(outside);
}

// The player's files follow links to regular files alike, and a copy set aside of one
// stays in the folder: the link and its target are the player's.
TEST_F(OwnFilesTest, ThePlayersFilesFollowLinksAndTheirCopiesStayInTheFolder) {
    const std::string dotfiles = dir + "-dotfiles";
    fs::create_directory(dotfiles);
    for (const char* name : {"history", "records", "settings"}) {
        fs::create_symlink(dotfiles + "/" + name, path(name));
    }
    std::ofstream(dotfiles + "/records") << "not records";
    std::ofstream(dotfiles + "/records.bad") << "the player's own";
    std::string log;
    auto s = open(&log);
    EXPECT_EQ(log, path("records") +
                       " was not read: it does not begin with \"gyrelle records "
                       "2\"; it is kept as " +
                       path("records") + ".bad and new records begin\n");
    EXPECT_EQ(file("records.bad"), "not records");
    EXPECT_FALSE(fs::is_symlink(path("records.bad")));
    EXPECT_EQ(listing(dotfiles),
              dotfiles + "/records: not records\n" + dotfiles + "/records.bad: the player's own\n");
    s->game.setSettings([&] {
        Settings changed = s->game.settings();
        changed.stickerLetters = true;
        return changed;
    }());
    s->game.newGame();
    EXPECT_TRUE(s->keeper->saveNow());
    for (const char* name : {"history", "records", "settings"}) {
        EXPECT_TRUE(fs::is_symlink(path(name))) << name;
        EXPECT_TRUE(fs::is_regular_file(dotfiles + "/" + name)) << name;
    }
    EXPECT_NE(file("settings").find("sticker_letters = on"), std::string::npos);
    EXPECT_TRUE(file("records").starts_with("gyrelle records 2\nscrambled "));
    fs::remove_all(dotfiles);
}

// A FIFO or a folder where the settings go: said once, naming the file, and the cube,
// its history and the records are saved all the same (every save failed).
TEST_F(OwnFilesTest, SettingsThatCannotBeWrittenStopNoOtherFile) {
    for (bool fifo : {true, false}) {
        fs::remove_all(path("settings"));
        fifo ? (void)mkfifo(path("settings").c_str(), 0600)
             : (void)fs::create_directory(path("settings"));
        const std::string said =
            path("settings") + (fifo ? " is a FIFO" : " is a folder") + ", not a regular file";
        std::string log;
        auto s = open(&log);
        EXPECT_EQ(log, path("settings") + " was not read: it" +
                           said.substr(path("settings").size()) + "; the defaults are used\n");
        Settings changed = s->game.settings();
        changed.inspection = !changed.inspection;
        ::testing::internal::CaptureStderr();
        s->game.setSettings(changed);
        s->game.newGame();
        frames(*s, 30);
        advance(5);
        EXPECT_TRUE(s->keeper->saveNow());
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  "could not keep the settings: " + said + "; remove it to keep them\n" +
                      "could not keep the settings: " + said + "; remove it to keep them\n");
        EXPECT_TRUE(file("records").starts_with("gyrelle records 2\nscrambled "));
        EXPECT_FALSE(fs::exists(path("saving")));
    }
}

// Runs `body` in a process of its own, as another user where the test can (as root:
// nobody); the body's checks come back as the child's status.
int asAnotherUser(const std::function<int()>& body) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() == 0) {
            const passwd* nobody = getpwnam("nobody");
            if (!nobody || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0) {
                _exit(90);
            }
        }
        _exit(body());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 99;
}

// Another user's `saving` ("Permission denied") was passed over, and the next save then
// replaced it without a copy. Now it is kept as saving.bad, said, and the game goes on;
// the same for a cube the game cannot read.
TEST_F(OwnFilesTest, AFileThatCannotBeReadIsKeptAsideNotWrittenOver) {
    ASSERT_EQ(chmod(dir.c_str(), 0777), 0);
    const std::string theirs = "gyrelle saving 1\nfile cube_state.dat 3\nabcend\n";
    std::ofstream(path("saving")) << theirs;
    std::ofstream(path("cube_state.dat")) << "version 4\n";
    // Another user's: as root the test makes them so; else the test's own, unreadable.
    for (const char* name : {"saving", "cube_state.dat"}) {
        ASSERT_EQ(chmod(path(name).c_str(), geteuid() == 0 ? 0600 : 0), 0);
    }
    const int status = asAnotherUser([&] {
        std::string log;
        auto s = open(&log);
        const bool said =
            log == path("saving") + " was not used: Permission denied; it is kept as saving.bad\n" +
                       path("cube_state.dat") + " was not read: Permission denied\n";
        s->game.newGame();
        const bool saved = s->keeper->saveNow();
        return said && saved ? 0 : said ? 2 : 1;
    });
    EXPECT_EQ(status, 0);
    for (const char* name : {"saving.bad", "cube_state.dat.bad"}) {
        chmod(path(name).c_str(), 0600);  // readable again, where the test is not root
    }
    EXPECT_EQ(file("saving.bad"), theirs);
    EXPECT_EQ(file("cube_state.dat.bad"), "version 4\n");
    EXPECT_TRUE(file("cube_state.dat").starts_with("version 4\n"));
    EXPECT_FALSE(fs::exists(path("saving")));
}

// An import whose save stopped after `saving` was whole is not "nothing imported": it
// says the solves wait there, and the next start puts them in the records.
TEST_F(OwnFilesTest, AnImportWhoseSaveStoppedHalfWaySaysWhereItsSolvesWait) {
    const std::string outside = dir + "-outside";
    fs::create_directories(outside + "/folder");
    {
        auto s = open();
        s->game.newGame();
        EXPECT_TRUE(s->keeper->saveNow());
    }
    const std::string records = file("records");
    // The cube cannot be replaced: the save stops after `saving`, before the records.
    fs::rename(path("cube_state.dat"), outside + "/cube");
    fs::create_symlink(outside + "/folder", path("cube_state.dat"));
    {
        auto s = open();
        std::string words;
        platform::TextSource csv(
            "date,seconds,penalty,result,moves,turns_per_second,scramble_kind,scramble,"
            "assisted\n2026-01-01T00:00:00Z,9.000,,9.000,,,turns,,no\n");
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(s->keeper->importFrom(csv, 1798761600, words), store::Keeper::Import::Unfinished);
        ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(words, "Took 1 solve (Gyrelle CSV). They wait in " + path("saving") +
                             " (the save stopped, as said above): the next save or start of "
                             "Gyrelle puts them in the records.");
        EXPECT_EQ(file("records"), records);
        EXPECT_NE(file("saving").find("solve 2026-01-01T00:00:00Z 0 9.000 turns\n"),
                  std::string::npos);
    }
    fs::remove(path("cube_state.dat"));
    auto again = open();
    EXPECT_EQ(again->game.solves().done().size(), 1u);
    EXPECT_NE(file("records").find("solve 2026-01-01T00:00:00Z 0 9.000 turns\n"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(path("saving")));
    fs::remove_all(outside);
}

// The records an import writes are read back at their largest, exactly 64 MiB; an import
// one byte past it takes nothing (before, an import made records the next start set
// aside whole). And the game never writes them past it either: a solve armed then (its
// line longer than the end alone) is said, and the records stay as they are.
TEST_F(OwnFilesTest, TheRecordsAreReadBackAtTheirLargestAndNeverWrittenPastIt) {
    // Kept: 489,846 solves of 137 bytes (a scramble of thirty "R2"), 101 of them a byte
    // shorter ("R" for the first "R2"): 67,108,801 bytes. With the 18 of the first line,
    // the 4 of "end\n" and the 41 of one more solve, "solve 2026-06-01T00:00:00Z 0 9.000
    // turns\n", that is 64 MiB.
    const long largest = 64L << 20;
    std::string thirty;
    for (int i = 0; i < 30; ++i) {
        thirty += i ? " R2" : "R2";
    }
    {
        std::ofstream out(path("records"), std::ios::binary);
        out << "gyrelle records 2\n";
        for (int i = 0; i < 489846; ++i) {
            out << "solve 2026-01-01T00:00:00Z 5 1.000 competition "
                << (i < 101 ? "R " + thirty.substr(3) : thirty) << "\n";
        }
        out << "end\n";
    }
    ASSERT_EQ(static_cast<long>(fs::file_size(path("records"))), largest - 41);
    const std::string before = file("records");
    auto import = [&](const char* seconds, std::string& words) {
        auto s = open();
        const std::string text = std::string(
                                     "date,seconds,penalty,result,moves,"
                                     "turns_per_second,scramble_kind,scramble,assisted\n"
                                     "2026-06-01T00:00:00Z,") +
                                 seconds + ",,,,,turns,,no\n";
        platform::TextSource csv(text);
        ::testing::internal::CaptureStderr();
        const auto done = s->keeper->importFrom(csv, 1798761600, words);
        ::testing::internal::GetCapturedStderr();
        return done;
    };
    std::string words;
    EXPECT_EQ(import("10.000", words), store::Keeper::Import::NotMade);  // a byte too many
    EXPECT_EQ(words, "its solves would make the records larger than any Gyrelle reads (64 MB)");
    EXPECT_TRUE(file("records") == before);  // (64 MB: not printed)
    EXPECT_FALSE(fs::exists(path("records.before-import")));
    EXPECT_EQ(import("9.000", words), store::Keeper::Import::Saved) << words;
    EXPECT_EQ(static_cast<long>(fs::file_size(path("records"))), largest);
    EXPECT_TRUE(file("records.before-import") == before);  // a thousand reads' worth, whole

    std::string log;
    auto s = open(&log);
    EXPECT_EQ(log, "");
    EXPECT_EQ(s->game.solves().done().size(), 489847u);
    s->game.setPosition("UUUUUUUUURRRRRRRRRFFFFFFFFFDDDDDDDDDLLLLLLLLLBBBBBBBBB", words);
    // Armed: "scrambled <16 hex digits> turns\n", 33 bytes, and "timing <54 letters> -\n", 64,
    // before "end".
    s->game.newGame();
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(s->keeper->saveNow());
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "could not keep the records in " + path("records") + ": at " +
                  std::to_string(largest + 33 + 64) +
                  " bytes they would be larger than any records Gyrelle reads (" +
                  std::to_string(largest) + "); delete old solves (F2) to keep new ones\n");
    EXPECT_EQ(static_cast<long>(fs::file_size(path("records"))), largest);
}

// An import stopped while its file is read (a signal, in the program) changes nothing.
TEST_F(OwnFilesTest, AnImportStoppedHalfWayChangesNothing) {
    auto s = open();
    std::string csv =
        "date,seconds,penalty,result,moves,turns_per_second,scramble_kind,"
        "scramble,assisted\n";
    for (int i = 0; i < 20000; ++i) {  // about twenty pieces of 64 KB
        csv += "2026-01-01T00:00:" + std::to_string(10 + i % 50) + "Z," + std::to_string(i + 1) +
               ".000,,,,,turns,,no\n";
    }
    platform::TextSource source(csv);
    int asked = 0;
    std::string words;
    EXPECT_EQ(s->keeper->importFrom(source, 1798761600, words, [&] { return ++asked > 3; }),
              store::Keeper::Import::NotMade);
    EXPECT_EQ(words, "the import was stopped");
    EXPECT_GE(asked, 4);  // in the middle of the file
    EXPECT_TRUE(s->game.solves().done().empty());
    EXPECT_FALSE(fs::exists(path("records")));
    EXPECT_FALSE(fs::exists(path("records.before-import")));
}

}  // namespace
}  // namespace gyrelle::testing
