// The files kept beside the cube, with no view and no GL: the state file byte for byte,
// what reading makes of other files and says of them, the history and the records
// across a restart, how a save reaches the disk, and when the game saves as it is played.
// In order:
//   StateFileTest    cube_state.dat: its bytes, odd and hostile files, how a save is made
//   HistoryFileTest  the undo history across a restart, and its limits
//   RecordsFileTest  a solve kept as it ends, a solve under way, a bad or huge file
//   SavingTest       when the game saves as it is played
//   FolderTest       two games on one folder; a save cut short, completed or set aside
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <set>

#include "cube/Position.h"
#include "platform/Files.h"
#include "store/Folder.h"
#include "store/HistoryFile.h"
#include "tests/support/StoreFixture.h"
#include "tests/support/SyscallSpy.h"

namespace gyrelle::testing {
namespace {

namespace fs = std::filesystem;

void expectDefaults(const Game& g) {
    EXPECT_TRUE(sameStickers(g.cube(), MagicCube()));
    expectRotation(g.motion().currentRotation, startOrientation);
    EXPECT_FALSE(g.motion().bContinueToRotate);
}

void setPosition(Game& game, const MagicCube& cube) {
    std::string problem;
    ASSERT_TRUE(game.setPosition(positionCode(cube.stickers()), problem)) << problem;
}

// Outer layers only: set as a position, it comes back sticker for sticker.
MagicCube scrambled() {
    MagicCube cube;
    for (int code : {3, -4, 7, 1, -9, 6}) {
        cube.rotateFace(code);
    }
    return cube;
}

using StateFileTest = StoreTest;

TEST_F(StateFileTest, TheDefaultFileIsExactlyAsDocumented) {
    std::string log;
    EXPECT_TRUE(open(&log)->keeper->saveNow());
    EXPECT_EQ(log, "");
    std::vector<std::string> l = lines();
    ASSERT_EQ(l.size(), 59u);
    EXPECT_EQ(l[0], "version 4");
    EXPECT_EQ(l[1], "245 0 0 0");
    EXPECT_EQ(l[2], "245 0 1 0");
    EXPECT_EQ(l[54], "233 245 0 5");
    EXPECT_EQ(l[55], "crot 2.067444 2.067444 0.000000 0.698131");
    EXPECT_EQ(l[56], "drot 2.067444 2.067444 0.000000 0.698131");  // no spin: repeats crot
    EXPECT_EQ(l[57], "brot 0");
    EXPECT_EQ(l[58], "prem 0");
    EXPECT_EQ(file().back(), '\n');
}

TEST_F(StateFileTest, ARoundTripRestoresStickersOrientationAndSpin) {
    auto first = open();
    setPosition(first->game, scrambled());
    Motion& m = first->game.motion();
    m.currentRotation = rotation(0.2f, -0.5f, 0.7f, 2.5f);
    m.qdeltacontinue = rotation(0.2f, -0.5f, 0.7f, 0.07f);
    m.bContinueToRotate = 1;
    m.bContinuePremultiply = 1;
    first->keeper->saveNow();
    first.reset();
    std::string log;
    auto again = open(&log);
    EXPECT_EQ(log, "");
    EXPECT_TRUE(sameStickers(again->game.cube(), scrambled()));
    const Motion& r = again->game.motion();
    expectRotation(
        r.currentRotation,
        [](Vecd v) {
            return rotate(v, {0.2, -0.5, 0.7}, 2.5);
        },
        1e-5);
    EXPECT_EQ(r.bContinueToRotate, 1);
    EXPECT_EQ(r.bContinuePremultiply, 1);
    // The spin resumes with the first frame, about the cube's own axis.
    const Quaternion before = r.currentRotation;
    again->game.stepMotion();
    expectRotation(again->game.motion().currentRotation, [&](Vecd v) {
        return applied(before, rotate(v, {0.2, -0.5, 0.7}, 0.07));
    });
}

// Only version 4 is read; anything else is refused whole, and says so.
TEST_F(StateFileTest, OtherVersionsAreRefusedWithALogLine) {
    auto first = open();
    setPosition(first->game, scrambled());
    first->keeper->saveNow();
    first.reset();
    std::vector<std::string> l = lines();
    for (const char* version : {"version 3", "version 5", "version 4294967300"}) {
        l[0] = version;
        write(l);
        std::string log;
        expectDefaults(open(&log)->game);
        EXPECT_EQ(log.rfind(path() + " was not read: it", 0), 0u) << version;
        EXPECT_NE(log.find("not 4"), std::string::npos) << log;
    }
}

TEST_F(StateFileTest, AFileCutAfterThirtyStickersStillGivesTheOrientation) {
    auto first = open();
    setPosition(first->game, scrambled());
    first->keeper->saveNow();
    first.reset();
    std::vector<std::string> l = lines();
    l.resize(31);  // the version and 30 stickers
    l.push_back("crot 0 0 1 1.5");
    write(l);
    std::string log;
    auto again = open(&log);
    const MagicCube solved, mixed = scrambled();
    for (int s = 0; s < 54; ++s) {
        const Sticker& want = (s < 30 ? mixed : solved).stickers()[s];
        EXPECT_EQ(rgbaOf(again->game.cube().stickers()[s]), rgbaOf(want)) << s;
    }
    expectSameRotation(again->game.motion().currentRotation, rotation(0, 0, 1, 1.5f));
    EXPECT_EQ(
        log.find(path() + " was read only in part: sticker line 31 is missing or malformed\n"), 0u)
        << log;
}

TEST_F(StateFileTest, NumbersKeepTheirLowBitsAndStrangeCubesAreAccepted) {
    open()->keeper->saveNow();
    std::vector<std::string> l = lines();
    l[1] = "1000000000000000000000000000000000000245 256 -256 -1";  // 10^39 = 0 mod 256
    l[2] = "245 0 1 9";
    l[57] = "brot 256";
    write(l);
    auto again = open();
    EXPECT_EQ(rgbaOf(again->game.cube().stickers()[0]), (Rgba{245, 0, 0, 255}));
    EXPECT_EQ(again->game.cube().stickers()[0].faceNumber, -1);
    EXPECT_EQ(again->game.cube().stickers()[1].faceNumber, 9);
    EXPECT_EQ(again->game.motion().bContinueToRotate, 0);  // 256 keeps no bits
}

// An orientation a hair from the identity has an axis too long for single precision,
// as written; it reads back as the same orientation, not the start-up one.
TEST_F(StateFileTest, ATinyTurnReadsBackAsItself) {
    auto first = open();
    first->game.motion().currentRotation = rotation(1, 1, 1, 3e-22f);
    first->keeper->saveNow();
    first.reset();
    expectRotation(open()->game.motion().currentRotation, [](Vecd v) { return v; });
}

TEST_F(StateFileTest, ANonFiniteOrientationStopsTheReading) {
    open()->keeper->saveNow();
    std::vector<std::string> l = lines();
    for (const char* bad : {"crot nan 1 0 0.5", "crot 1 inf 0 0.5", "crot 1 0 0 -inf"}) {
        l[55] = bad;
        l[57] = "brot 1";
        write(l);
        std::string log;
        expectDefaults(open(&log)->game);
        EXPECT_NE(log.find("read only in part: its crot line holds"), std::string::npos) << log;
    }
}

TEST_F(StateFileTest, AFifoInPlaceOfTheFileIsNotWaitedFor) {
    ASSERT_EQ(mkfifo(path().c_str(), 0600), 0);
    std::string log;
    expectDefaults(open(&log)->game);
    EXPECT_EQ(log, path() + " was not read: it is a FIFO, not a regular file\n");
}

// A saved cube is at most 64 KiB: one of exactly that size is read (what follows its
// last line is not looked at), one a byte larger is not, and says so.
TEST_F(StateFileTest, AFileOfExactlyTheLargestSizeIsReadAndOneByteMoreIsNot) {
    auto first = open();
    setPosition(first->game, scrambled());
    first->keeper->saveNow();
    first.reset();
    const std::string whole = file();
    for (size_t size : {size_t(64 * 1024), size_t(64 * 1024 + 1)}) {
        std::ofstream(path(), std::ios::binary) << whole << std::string(size - whole.size(), '\n');
        ASSERT_EQ(fs::file_size(path()), size);
        std::string log;
        auto again = open(&log);
        if (size == 64 * 1024) {
            EXPECT_EQ(log, "");
            EXPECT_TRUE(sameStickers(again->game.cube(), scrambled()));
        } else {
            EXPECT_EQ(log.find(path() + " was not read: it is larger than any saved cube\n"), 0u)
                << log;
            expectDefaults(again->game);
        }
    }
}

TEST_F(StateFileTest, InvisibleStickersAreRefused) {
    std::vector<std::string> black(1, "version 4");
    black.resize(55, "0 0 0 0");  // a cube drawn black would count as solved, unseen
    write(black);
    std::string log;
    expectDefaults(open(&log)->game);
    EXPECT_EQ(log, path() + " was read only in part: sticker line 1 holds no sticker's colour\n");
}

// What could not be read is the player's all the same: the next save keeps it aside.
TEST_F(StateFileTest, AFileNotReadWholeIsKeptAsideBeforeTheNextSave) {
    write({"version 5", "future things"});
    const std::string theirs = file();
    auto again = open();
    ::testing::internal::CaptureStderr();
    again->keeper->saveNow();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "the saved cube that could not be read is kept as " + path() + ".bad\n");
    EXPECT_EQ(lines()[0], "version 4");
    again->keeper->saveNow();  // once kept, it stays kept
    EXPECT_EQ(file("cube_state.dat.bad"), theirs);
}

// A state file kept in a folder of dotfiles by a link stays a link to an updated file.
TEST_F(StateFileTest, ALinkedFileIsWrittenThroughTheLink) {
    fs::create_directory(dir + "/dotfiles");
    fs::create_symlink("dotfiles/cube.dat", path());
    auto first = open();
    setPosition(first->game, scrambled());
    EXPECT_TRUE(first->keeper->saveNow());
    first.reset();
    EXPECT_TRUE(fs::is_symlink(path()));
    EXPECT_TRUE(sameStickers(open()->game.cube(), scrambled()));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir + "/dotfiles"), fs::directory_iterator()),
              1);
}

// Only a regular file is replaced: a link to a FIFO or a folder (or a device, for a
// game run as root) is kept, and so is what it leads to, or a folder in the file's own
// place. The save fails and says why.
TEST_F(StateFileTest, OnlyARegularFileIsReplaced) {
    const std::string elsewhere = dir + "/elsewhere";
    fs::create_directory(elsewhere);
    ASSERT_EQ(mkfifo((elsewhere + "/fifo").c_str(), 0600), 0);
    fs::create_directory(elsewhere + "/folder");
    auto attempt = [&](const std::string& name, const std::string& said) {
        auto s = open();
        s->game.type('f', false);
        ::testing::internal::CaptureStderr();
        EXPECT_FALSE(s->keeper->saveNow()) << name;
        const std::string log = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(log.find(said + ": it is left as it is"), std::string::npos) << log;
    };
    for (const char* name : {"cube_state.dat", "history"}) {
        for (const char* thing : {"fifo", "folder"}) {
            fs::remove_all(dir + "/saving");
            fs::remove(path(name));
            fs::create_symlink(elsewhere + "/" + thing, path(name));
            attempt(name, "it is a link to " + elsewhere + "/" + thing + ", which is a " +
                              (thing == std::string("fifo") ? "FIFO" : "folder") +
                              ", not a regular file");
            EXPECT_TRUE(fs::is_symlink(path(name)));
            EXPECT_TRUE(fs::is_fifo(elsewhere + "/fifo"));
            EXPECT_TRUE(fs::is_directory(elsewhere + "/folder"));
            EXPECT_EQ(std::distance(fs::directory_iterator(elsewhere), fs::directory_iterator()),
                      2);
        }
        fs::remove(path(name));
    }
    fs::remove_all(dir + "/saving");
    fs::create_directory(path("history"));
    attempt("history", "it is a folder, not a regular file");
    EXPECT_TRUE(fs::is_directory(path("history")));
}

// A save cut short leaves its temporary; the next start clears those no save could
// still be writing, and nothing else: not the player's own files named like a kept file
// and a dot, not the temporaries of an older version, nothing beside a link's target.
TEST_F(StateFileTest, StaleTemporariesAreRemovedAtStartAndNothingElse) {
    // The real temporaries of every file the game writes, as its saves name them.
    std::vector<std::string> temporaries;
    spy::renamedFrom = &temporaries;
    {
        auto s = open();
        s->game.newGame();
        s->game.setSettings([&] {
            Settings changed = s->game.settings();
            changed.inspection = true;
            return changed;
        }());
        EXPECT_TRUE(s->keeper->saveNow());  // saving, the cube, history, records, settings
        std::string words;
        platform::TextSource csv(
            "date,seconds,penalty,result,moves,turns_per_second,"
            "scramble_kind,scramble,assisted\n"
            "2026-01-01T00:00:00Z,9.000,,9.000,,,turns,,no\n");
        EXPECT_EQ(s->keeper->importFrom(csv, 1798761600, words), store::Keeper::Import::Saved)
            << words;  // and the records before it
    }
    // history.bad, copied from a link's target.
    const std::string elsewhere = dir + "/elsewhere";
    fs::create_directory(elsewhere);
    std::ofstream(elsewhere + "/history.txt") << "not a history";
    fs::remove(path("history"));
    fs::create_symlink(elsewhere + "/history.txt", path("history"));
    open()->keeper->saveNow();
    spy::renamedFrom = nullptr;
    std::set<std::string> names;
    for (const std::string& t : temporaries) {
        names.insert(t.substr(t.rfind('/') + 1));
    }
    for (const char* kept : {"saving", "cube_state.dat", "history", "records", "settings",
                             "records.before-import", "history.bad"}) {
        EXPECT_TRUE(std::any_of(names.begin(), names.end(), [&](const std::string& n) {
            return n.starts_with("." + std::string(kept) + ".gyrelle-");
        })) << kept;
    }
    // Beside a link's target, outside the folder, the player's look-alikes.
    fs::rename(path(), elsewhere + "/cube.txt");
    fs::create_symlink(elsewhere + "/cube.txt", path());
    std::vector<std::string> theirs = {
        "records.backup", "history.backup",        "settings.backup", "cube_state.dat.backup",
        "records.202612", "cube_state.dat.Ab3xZ9", "saving.aB3dE5"};
    for (const std::string& name : names) {
        if (!name.starts_with(".history.txt")) {  // made beside the link's target
            std::ofstream(path(name)) << "left by a save cut short";
        }
    }
    for (const std::string& name : theirs) {
        std::ofstream(path(name)) << "the player's";
    }
    for (const char* name : {"cube.txt.old001", ".cube.txt.gyrelle-Qq1234"}) {
        std::ofstream(elsewhere + "/" + name) << "the player's";
    }
    const auto old = fs::file_time_type::clock::now() - std::chrono::minutes(2);
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        if (e.is_regular_file()) {
            fs::last_write_time(e.path(), old);
        }
    }
    std::ofstream(path(".records.gyrelle-Zz0099")) << "a save being written now";
    open();
    for (const std::string& name : names) {
        EXPECT_FALSE(fs::exists(path(name))) << name;
    }
    EXPECT_TRUE(fs::exists(path(".records.gyrelle-Zz0099")));  // maybe another game's, now
    for (const std::string& name : theirs) {
        EXPECT_EQ(file(name), "the player's") << name;
    }
    EXPECT_TRUE(fs::exists(elsewhere + "/cube.txt.old001"));
    EXPECT_TRUE(fs::exists(elsewhere + "/.cube.txt.gyrelle-Qq1234"));
}

// The old file stays whole when the new one cannot be written completely.
TEST_F(StateFileTest, AFailedSaveLeavesTheOldFiles) {
    auto session = open();
    setPosition(session->game, scrambled());
    session->keeper->saveNow();
    const std::string old = file(), oldHistory = file("history");
    session->game.answerReset(true);
    pid_t pid = fork();
    if (pid == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{100, 100};  // each write fails part-way, at 100 bytes
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(session->keeper->saveNow() ? 0 : 3);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 3);
    EXPECT_EQ(file(), old);
    EXPECT_EQ(file("history"), oldHistory);
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "cube_state.dat" || name == "history" || name == "records" ||
                    name == "lock")
            << name << ": a temporary was left behind";
    }
}

// A disk with room for the cube but not for its long history: the save fails whole and
// says so (the end's status is 1), and the files read back as the last save left them,
// history and all; never the new cube with the old history, which would drop the undo.
TEST_F(StateFileTest, ADiskTooFullForTheHistoryKeepsTheLastWholeSave) {
    auto session = open();
    for (int i = 0; i < 10; ++i) {
        land(*session, i % 2 ? 3 : 7);
    }
    ASSERT_TRUE(session->keeper->saveNow());
    const std::string cube = file(), history = file("history");
    for (int i = 0; i < 690; ++i) {
        land(*session, i % 2 ? 3 : 7);
    }
    ASSERT_GT(session->keeper->texts().history.size(), 4096u);
    ASSERT_LT(session->keeper->texts().cube.size(), 4096u);
    pid_t pid = fork();
    if (pid == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(session->keeper->saveNow() ? 0 : 3);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 3);
    EXPECT_EQ(file(), cube);
    EXPECT_EQ(file("history"), history);
    session.reset();
    EXPECT_EQ(open()->game.history().entries().size(), 10u);
}

// A save of several files goes through `saving`: it is on disk, whole, before any file
// is replaced; each file is on disk before it takes the old one's name, and that name
// change is on disk before `saving` goes. A save of one file needs none of it.
TEST_F(StateFileTest, ASaveSyncsEachFileRenamesItThenSyncsTheFolder) {
    auto session = open();
    std::vector<std::string> calls;
    spy::calls = &calls;
    session->keeper->saveNow();
    EXPECT_EQ(calls, (std::vector<std::string>{
                         "fsync file", "rename to saving", "fsync folder",          //
                         "fsync file", "rename to cube_state.dat", "fsync folder",  //
                         "fsync file", "rename to history", "fsync folder",         //
                         "unlink saving", "fsync folder"}));
    calls.clear();
    session->keeper->saveNow();  // the history as it was: the cube alone
    EXPECT_EQ(calls,
              (std::vector<std::string>{"fsync file", "rename to cube_state.dat", "fsync folder"}));
    spy::calls = nullptr;

    spy::failFolderSync = true;
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(session->keeper->saveNow());
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "could not save the game: " + path() +
                  ": the new file may not outlive a crash: Input/output error\n");
}

// Each test runs in a process of its own (ctest), so the environment may be changed.
TEST_F(StateFileTest, TheDataFolderFollowsTheXdgRulesAndSaysWhyItCannotBeHad) {
    std::string why;
    setenv("XDG_DATA_HOME", (dir + "/a/b").c_str(), 1);
    EXPECT_EQ(platform::userDataDirectory(why), dir + "/a/b/gyrelle");
    struct stat st {};
    ASSERT_EQ(stat((dir + "/a").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);          // made for the player alone
    setenv("XDG_DATA_HOME", "relative/path", 1);  // ignored, as the rules say
    setenv("HOME", dir.c_str(), 1);
    EXPECT_EQ(platform::userDataDirectory(why), dir + "/.local/share/gyrelle");

    std::ofstream(dir + "/plain") << "a file, not a folder";
    setenv("XDG_DATA_HOME", (dir + "/plain").c_str(), 1);  // reported, not passed over
    EXPECT_EQ(platform::userDataDirectory(why), "");
    EXPECT_NE(why.find(dir + "/plain"), std::string::npos) << why;
    setenv("XDG_DATA_HOME", ("/" + std::string(5000, 'x')).c_str(), 1);
    EXPECT_EQ(platform::userDataDirectory(why), "");
    EXPECT_NE(why.find("longer than"), std::string::npos) << why;
    unsetenv("XDG_DATA_HOME");
    unsetenv("HOME");
    EXPECT_EQ(platform::userDataDirectory(why), "");
    EXPECT_EQ(why, "neither XDG_DATA_HOME nor HOME names a folder");
}

// With nowhere to keep the cube the game plays, says why once at the start, and its end
// says the save failed; by design (a test's platform) it says nothing and succeeds.
TEST_F(StateFileTest, NowhereToKeepTheCubeIsSaidAtStartAndAtTheEnd) {
    Game game;
    store::Keeper keeper(game, loop, "", "HOME is not set");
    ::testing::internal::CaptureStderr();
    keeper.restore();
    EXPECT_FALSE(keeper.saveNow());
    EXPECT_EQ(
        ::testing::internal::GetCapturedStderr(),
        "the cube cannot be kept: HOME is not set\ncould not save the cube: HOME is not set\n");
    store::Keeper byDesign(game, loop, "", "");
    ::testing::internal::CaptureStderr();
    byDesign.restore();
    EXPECT_TRUE(byDesign.saveNow());
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

class HistoryFileTest : public StoreTest {
  protected:
    // The history file a game leaves after one turn, code 4.
    std::string oneTurnSaved() {
        auto first = open();
        EXPECT_TRUE(first->game.turn(4));
        frames(*first, 5);
        first->keeper->saveNow();
        return file("history");
    }
};

TEST_F(HistoryFileTest, TheHistoryIsKeptAcrossARestartIfItEndsAtTheCube) {
    auto first = open();
    first->game.newGame();
    ASSERT_TRUE(first->game.turn(4));
    frames(*first, 5);
    first->game.undo();
    frames(*first, 5);
    first->keeper->saveNow();
    first.reset();
    auto again = open();
    EXPECT_EQ(again->game.history().entries().size(), 2u);
    EXPECT_EQ(again->game.history().position(), 1u);
    again->game.undo();
    EXPECT_TRUE(again->game.cube().isSolved());
    again.reset();

    std::ofstream(path()) << "version 4\n";  // another cube: not its history
    std::string log;
    auto other = open(&log);
    EXPECT_FALSE(other->game.history().canUndo());
    EXPECT_NE(log.find(dir + "/history was not used: it does not end at the saved cube\n"),
              std::string::npos)
        << log;
}

// Any other file is passed over with one line, and the game goes on without a history;
// the file is the player's all the same: the next save keeps it aside, as history.bad.
TEST_F(HistoryFileTest, AHistoryFileThatIsNotOneIsIgnoredWithALineAndKeptAside) {
    const std::string good = oneTurnSaved();
    ASSERT_NE(good.find("\nturn 4\nend\n"), std::string::npos) << good;
    const std::string head = good.substr(0, good.find("turn"));
    for (const std::string& bad :
         {std::string("garbage"), good.substr(0, good.size() - 4), head + "turn 10\nend\n",
          head + "turn 04\nend\n",
          head.substr(0, head.find("position")) + "position 2\nturn 4\nend\n",
          head + "scramble 012 345\nend\n", std::string(3 << 20, 'x')}) {
        std::ofstream(path("history")) << bad;
        std::string log;
        auto again = open(&log);
        EXPECT_FALSE(again->game.history().canUndo()) << bad.substr(0, 80);
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
        EXPECT_NE(log.find("/history was not used: "), std::string::npos) << log;
        ::testing::internal::CaptureStderr();
        EXPECT_TRUE(again->keeper->saveNow());
        EXPECT_EQ(
            ::testing::internal::GetCapturedStderr(),
            "the undo history that could not be read is kept as " + path("history") + ".bad\n");
        EXPECT_EQ(file("history.bad"), bad);
        EXPECT_NE(file("history"), bad);
    }
}

// A history holds at most 10,000 entries: a file of exactly that many is read whole; of
// one more, the newest 10,000 (unless the cube's place in it is among the oldest: then
// the 10,000 from there); and the 10,001st change forgets the oldest.
TEST_F(HistoryFileTest, TheMostEntriesAreKeptAndOfMoreTheNewest) {
    auto first = open();
    first->keeper->saveNow();
    first.reset();
    const std::string saved = file("history");
    const std::string top = saved.substr(0, saved.find("position"));
    // Entry i turns code i % 7 + 1, so that the first kept tells how many went.
    for (auto [n, position, first, kept] : {std::tuple{10000, 10000, 1, 10000},
                                            {10001, 10001, 2, 10000},
                                            {10001, 0, 1, 0},
                                            {10003, 1, 2, 0}}) {
        std::string text = top + "position " + std::to_string(position) + "\n";
        for (int i = 0; i < n; ++i) {
            text += "turn " + std::to_string(i % 7 + 1) + "\n";
        }
        std::ofstream(path("history")) << text << "end\n";
        std::string log;
        auto again = open(&log);
        const History& h = again->game.history();
        EXPECT_EQ(log, "");
        ASSERT_EQ(h.entries().size(), 10000u) << n;
        EXPECT_EQ(h.entries().front().code, first) << n << " " << position;
        EXPECT_EQ(h.position(), size_t(kept)) << n << " " << position;
    }

    History h;
    for (int i = 1; i <= 10000; ++i) {
        h.turned(i % 2 ? 1 : -1);
    }
    ASSERT_EQ(h.entries().size(), 10000u);
    EXPECT_EQ(h.entries().front().code, 1);
    h.turned(9);
    EXPECT_EQ(h.entries().size(), 10000u);
    EXPECT_EQ(h.entries().front().code, -1);  // the oldest went
    EXPECT_EQ(h.entries().back().code, 9);
}

// A competition scramble's entry keeps the turns that made it, through the file.
TEST_F(HistoryFileTest, ACompetitionEntryKeepsItsTurns) {
    History h;
    MagicCube made;
    for (int code : {-6, 1, 7}) {
        made.rotateFace(code);
    }
    h.replaced(History::Kind::Competition, MagicCube().stickers(), made.stickers(), "U' R' F");
    h.turned(3);
    char* text = nullptr;
    size_t length = 0;
    std::FILE* out = open_memstream(&text, &length);
    MagicCube now = made;
    now.rotateFace(3);
    store::writeHistory(out, h, now.stickers());
    std::fclose(out);
    const std::string written(text, length);
    std::free(text);
    EXPECT_NE(written.find("\ncompetition "), std::string::npos) << written;
    EXPECT_NE(written.find(" U' R' F\nturn 3\nend\n"), std::string::npos) << written;
    std::FILE* in = fmemopen(const_cast<char*>(written.data()), written.size(), "r");
    History back;
    EXPECT_TRUE(store::readHistory(in, now.stickers(), back).whole());
    std::fclose(in);
    ASSERT_EQ(back.entries().size(), 2u);
    EXPECT_EQ(back.entries()[0].kind, History::Kind::Competition);
    EXPECT_EQ(back.entries()[0].scramble, "U' R' F");
    for (const char* bad : {" U' X2 F\n", " \n", " U'' R\n"}) {
        std::string broken = written;
        broken.replace(broken.find(" U' R' F\n"), 9, bad);
        in = fmemopen(const_cast<char*>(broken.data()), broken.size(), "r");
        EXPECT_FALSE(store::readHistory(in, now.stickers(), back).whole()) << bad;
        std::fclose(in);
    }
    // Thirty turns are kept, the longest a scramble is written with; thirty-one are not.
    std::string turns;
    for (int i = 0; i < 30; ++i) {
        turns += i % 2 ? " U2" : " R'";
    }
    for (const std::string& list : {turns, turns + " F"}) {
        std::string longer = written;
        longer.replace(longer.find(" U' R' F\n"), 9, list + "\n");
        in = fmemopen(const_cast<char*>(longer.data()), longer.size(), "r");
        EXPECT_EQ(store::readHistory(in, now.stickers(), back).whole(), list == turns);
        std::fclose(in);
    }
    ASSERT_EQ(back.entries().size(), 2u);
    EXPECT_EQ(back.entries()[0].scramble, turns.substr(1));
}

// A history file of up to 2 MiB is read; what follows its end line is not looked at.
TEST_F(HistoryFileTest, AFileOfExactlyTheLargestSizeIsReadAndOneByteMoreIsNot) {
    const std::string good = oneTurnSaved();
    for (size_t size : {size_t(2 << 20), size_t((2 << 20) + 1)}) {
        std::ofstream(path("history"), std::ios::binary)
            << good << std::string(size - good.size(), '\n');
        std::string log;
        auto again = open(&log);
        EXPECT_EQ(again->game.history().entries().size(), size == (2u << 20) ? 1u : 0u);
        EXPECT_EQ(log,
                  size == (2u << 20)
                      ? ""
                      : path("history") + " was not used: it is larger than any history (2 MB)\n");
    }
}

using RecordsFileTest = StoreTest;

// A solve one turn from solved, made: its record is written the moment it ends, with the
// cube and the history, as one save.
TEST_F(RecordsFileTest, ASolveIsKeptTheMomentItEndsTogetherWithItsCube) {
    auto session = open();
    MagicCube twice;
    twice.rotateFace(1);
    twice.rotateFace(4);
    setPosition(session->game, twice);
    land(*session, -4);  // the clock starts
    now += 41.35;
    land(*session, -1);  // and stops: solved
    ASSERT_EQ(session->game.solves().done().size(), 1u);
    EXPECT_TRUE(file("records").starts_with("gyrelle records 2\nsolve ")) << file("records");
    EXPECT_NE(file("records").find(" 2 41.350 pasted\ntimed 1 "), std::string::npos)
        << file("records");
    EXPECT_TRUE(file("records").ends_with(" - D'@0 L'@41350\nend\n")) << file("records");
    EXPECT_EQ(lines()[1], "245 0 0 0");  // the solved cube, saved with it
    EXPECT_NE(file("history").find("\nposition 3\npaste "), std::string::npos) << file("history");
}

// Time while the game is not running does not count; the solve holds only for its cube.
TEST_F(RecordsFileTest, ASolveUnderWayGoesOnAfterARestart) {
    auto first = open();
    setPosition(first->game, scrambled());
    land(*first, 2);
    advance(30);
    first->keeper->saveNow();
    first.reset();
    advance(100);
    auto again = open();
    EXPECT_EQ(again->game.solves().phase(), Solves::Phase::Running);
    EXPECT_EQ(again->game.solves().moves(), 1);
    EXPECT_NEAR(again->game.solves().seconds(now), 30, 1e-9);
    again->keeper->saveNow();
    again.reset();

    std::ofstream(path()) << "version 4\n";  // another cube
    std::string log;
    auto other = open(&log);
    EXPECT_EQ(other->game.solves().phase(), Solves::Phase::None);
    EXPECT_NE(log.find("the solve under way was on another cube"), std::string::npos) << log;
}

// Set aside whole, with one line, and new records begun; never lost, never a crash.
TEST_F(RecordsFileTest, ARecordsFileThatIsNotOneIsSetAside) {
    const std::string bad = "gyrelle records 1\nsolve yesterday 12 30.000\nend\n";
    std::ofstream(path("records")) << bad;
    std::string log;
    auto session = open(&log);
    EXPECT_EQ(file("records.bad"), bad);
    EXPECT_EQ(log, path("records") + " was not read: line 2 is malformed; it is kept as " +
                       path("records") + ".bad and new records begin\n");
    EXPECT_TRUE(session->game.solves().done().empty());
    session->keeper->saveNow();
    EXPECT_EQ(file("records"), "gyrelle records 2\nend\n");
    EXPECT_EQ(file("records.bad"), bad);
}

// Text after the end line is someone's: the solves before it are used, the file as it
// was is kept aside with one line, and the next save writes the solves alone. Blank
// lines there are nothing.
TEST_F(RecordsFileTest, TextAfterTheEndLineIsSaidAndTheFileKeptAside) {
    const std::string good = "gyrelle records 2\nsolve 2025-12-06T23:30:17Z 9 9.000 turns\nend\n";
    for (const std::string& after : {std::string("\n \n"), std::string("\nsolve tomorrow\n")}) {
        fs::remove(path("records.bad"));
        std::ofstream(path("records")) << good + after;
        std::string log;
        auto session = open(&log);
        EXPECT_EQ(session->game.solves().done().size(), 1u);
        if (after[1] == ' ') {
            EXPECT_EQ(log, "");
            continue;
        }
        EXPECT_EQ(log, path("records") +
                           " was read only in part: text follows its end line; the file as it "
                           "was is kept as " +
                           path("records") + ".bad\n");
        EXPECT_EQ(file("records.bad"), good + after);
        EXPECT_TRUE(session->keeper->saveNow());
        EXPECT_EQ(file("records"), good);
    }
}

// A save writes the records only when the solves changed: a file of a million solves is
// not made again for a turn; and then the solves' lines stay as they were read (this
// game writes "9.500" for this "9.5").
TEST_F(RecordsFileTest, TheRecordsAreWrittenOnlyWhenTheSolvesChanged) {
    const std::string theirs = "gyrelle records 2\nsolve 2025-12-06T23:30:17Z 9 9.5 turns\nend\n";
    std::ofstream(path("records")) << theirs;
    auto session = open();
    std::vector<std::string> calls;
    spy::calls = &calls;
    land(*session, 4);
    EXPECT_TRUE(session->keeper->saveNow());
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "rename to records"), 0);
    EXPECT_EQ(file("records"), theirs);
    land(*session, -4);
    session->game.newGame();  // a scramble of the solved cube arms a solve
    EXPECT_TRUE(session->keeper->saveNow());
    spy::calls = nullptr;
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "rename to records"), 1);
    EXPECT_TRUE(file("records").starts_with(
        "gyrelle records 2\nsolve 2025-12-06T23:30:17Z 9 9.5 turns\nscrambled "))
        << file("records");
}

// A save over a megabyte (here 30,000 solves) is written off the frame path, and lands
// whole. One that fails there is said, and the next save writes every file again.
TEST_F(RecordsFileTest, ABigSaveIsWrittenAsideAndAFailedOneAgainWhole) {
    std::string theirs = "gyrelle records 2\n";
    for (int i = 0; i < 30000; ++i) {
        theirs += "solve 2025-12-06T23:30:17Z " + std::to_string(i % 90 + 10) + " 12.5 turns\n";
    }
    std::ofstream(path("records")) << theirs << "end\n";
    auto session = open();
    session->game.newGame();  // armed: the records change
    session->keeper->saveSoon();
    EXPECT_TRUE(session->keeper->saveNow());
    EXPECT_TRUE(file("records").starts_with(theirs + "scrambled ")) << file("records").size();

    land(*session, 4);  // the history changes, and cannot be written for a while
    ASSERT_EQ(mkfifo((dir + "/fifo").c_str(), 0600), 0);
    fs::remove(path("history"));
    fs::create_symlink("fifo", path("history"));
    ::testing::internal::CaptureStderr();
    session->keeper->saveSoon();
    advance(1.5);
    EXPECT_FALSE(session->keeper->saveNow());
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("which is a FIFO, not a regular file"),
              std::string::npos);
    fs::remove(path("history"));
    EXPECT_TRUE(session->keeper->saveNow());
    EXPECT_NE(file("history").find("\nturn 4\nend\n"), std::string::npos) << file("history");
}

// Records that cannot be kept (a FIFO in their place, here) are said at the start; the
// cube is saved all the same, and the end says a file was not kept, for status 1.
TEST_F(RecordsFileTest, RecordsThatCannotBeKeptFailTheSaveThatEndsTheGame) {
    ASSERT_EQ(mkfifo(path("records").c_str(), 0600), 0);
    std::string log;
    auto session = open(&log);
    EXPECT_NE(log.find("solves will not be recorded"), std::string::npos) << log;
    EXPECT_FALSE(session->keeper->saveNow());
    EXPECT_EQ(lines()[0], "version 4");
    EXPECT_TRUE(fs::is_fifo(path("records")));
}

// Records up to 64 MiB are read (zero bytes after the end line are nothing); one byte
// more and the file is set aside as any unreadable records file is.
TEST_F(RecordsFileTest, AFileOfExactlyTheLargestSizeIsReadAndOneByteMoreIsNot) {
    const std::string good = "gyrelle records 1\nsolve 2025-12-06T23:30:17Z 9 9.000\nend\n";
    for (off_t size : {off_t(64) << 20, (off_t(64) << 20) + 1}) {
        std::ofstream(path("records")) << good;
        ASSERT_EQ(truncate(path("records").c_str(), size), 0);  // the rest reads as zeros
        std::string log;
        auto session = open(&log);
        if (size == off_t(64) << 20) {
            EXPECT_EQ(log, "");
            EXPECT_EQ(session->game.solves().done().size(), 1u);
        } else {
            EXPECT_EQ(log, path("records") +
                               " was not read: it is larger than any records (64 MB); it "
                               "is kept as " +
                               path("records") + ".bad and new records begin\n");
            EXPECT_TRUE(session->game.solves().done().empty());
        }
    }
}

using SavingTest = StoreTest;

// Saved as played: two seconds after the cube comes to rest, at once when the player may
// be leaving, never more often than once a second.
TEST_F(SavingTest, TheCubeIsSavedAsItIsPlayed) {
    auto session = open();
    std::vector<std::string> calls;
    spy::calls = &calls;
    auto saves = [&] { return std::count(calls.begin(), calls.end(), "rename to cube_state.dat"); };
    ASSERT_TRUE(session->game.swipe(0, 1));
    frames(*session, 5);  // the turn lands in four
    advance(1.9 - 5.0 / 60);
    EXPECT_EQ(saves(), 0);
    advance(0.2);
    EXPECT_EQ(saves(), 1);
    MagicCube turned;
    turned.rotateFace(4);
    EXPECT_TRUE(sameStickers(open()->game.cube(), turned));  // read by another, meanwhile

    Motion& m = session->game.motion();
    m.bContinueToRotate = 1;  // a spin never rests: it waits for the player to leave
    m.qdeltacontinue = rotation(0, 1, 0, 0.05f);
    frames(*session, 300);
    EXPECT_EQ(saves(), 1);
    session->keeper->saveSoon();
    EXPECT_EQ(saves(), 2);
    frames(*session, 6);
    session->keeper->saveSoon();  // too soon: a second after the last
    EXPECT_EQ(saves(), 2);
    frames(*session, 60);
    EXPECT_EQ(saves(), 3);
    spy::calls = nullptr;
    session.reset();
    EXPECT_EQ(open()->game.motion().bContinueToRotate, 1);
}

// A save that fails the same way again and again (a folder where the history goes) is
// said once as the game is played, and again at the end.
TEST_F(SavingTest, AFailureIsSaidOnceWhileItRepeatsAndAgainAtTheEnd) {
    fs::create_directory(path("history"));
    auto session = open();
    ::testing::internal::CaptureStderr();
    for (int code : {4, -4, 4}) {
        ASSERT_TRUE(session->game.swipe(code > 0 ? 0 : 1, code > 0 ? 1 : 0));
        frames(*session, 5);
        advance(3);  // two seconds at rest: a save, which fails
    }
    const std::string played = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(played.begin(), played.end(), '\n'), 1) << played;
    EXPECT_NE(played.find("it is a folder, not a regular file"), std::string::npos) << played;
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(session->keeper->saveNow());
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), played);
}

// Nothing that changed, nothing saved: a save waits for a change of the cube, its
// orientation, its history or its solve.
TEST_F(SavingTest, OnlyAChangeIsSaved) {
    auto session = open();
    std::vector<std::string> calls;
    spy::calls = &calls;
    advance(10);
    session->keeper->saveSoon();
    EXPECT_TRUE(calls.empty());
    // A turn and its inverse leave the cube as it was, but not its history.
    ASSERT_TRUE(session->game.turn(4));
    frames(*session, 5);
    ASSERT_TRUE(session->game.turn(-4));
    frames(*session, 5);
    advance(3);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "rename to history"), 1);
    spy::calls = nullptr;
    session.reset();
    EXPECT_EQ(open()->game.history().entries().size(), 2u);
}

using FolderTest = StoreTest;

// Two games on one folder: the second says so, reads the cube, and never writes; once
// the first has gone, the next one keeps the folder again.
TEST_F(FolderTest, ASecondGameOnTheFolderNeverWrites) {
    auto first = open();
    setPosition(first->game, scrambled());
    first->keeper->saveNow();
    const std::string kept = file(), history = file("history");
    std::string log;
    auto second = open(&log);
    EXPECT_TRUE(second->keeper->lockedElsewhere());
    EXPECT_EQ(log, "another Gyrelle has " + dir + " open: this one saves nothing\n");
    EXPECT_TRUE(sameStickers(second->game.cube(), scrambled()));
    second->game.answerReset(true);
    advance(10);
    second->keeper->saveSoon();
    EXPECT_TRUE(second->keeper->saveNow());  // nothing to keep: the player chose so
    second.reset();
    EXPECT_EQ(file(), kept);
    EXPECT_EQ(file("history"), history);

    first.reset();
    auto third = open(&log);
    EXPECT_FALSE(third->keeper->lockedElsewhere());
    third->game.answerReset(true);
    EXPECT_TRUE(third->keeper->saveNow());
    EXPECT_NE(file(), kept);
}

// A save cut short after `saving` was made whole is completed at the next start; a game
// that does not have the folder reads it as completed and leaves it as it is.
TEST_F(FolderTest, ASaveCutShortIsCompletedAtTheNextStart) {
    auto first = open();
    first->keeper->saveNow();
    setPosition(first->game, scrambled());
    const store::Keeper::Texts t = first->keeper->texts();
    first.reset();
    std::ofstream(path("saving"), std::ios::binary)
        << "gyrelle saving 1\nfile cube_state.dat " << t.cube.size() << "\n"
        << t.cube << "file history " << t.history.size() << "\n"
        << t.history << "end\n";

    open();
    EXPECT_FALSE(fs::exists(path("saving")));
    EXPECT_EQ(file(), t.cube);
    EXPECT_EQ(file("history"), t.history);
    auto again = open();
    EXPECT_TRUE(sameStickers(again->game.cube(), scrambled()));
    EXPECT_EQ(again->game.history().entries().size(), 1u);
}

TEST_F(FolderTest, AReaderSeesASaveCutShortWithoutCompletingIt) {
    auto first = open();
    setPosition(first->game, scrambled());
    const store::Keeper::Texts t = first->keeper->texts();
    const std::string saving = "gyrelle saving 1\nfile cube_state.dat " +
                               std::to_string(t.cube.size()) + "\n" + t.cube + "end\n";
    std::ofstream(path("saving"), std::ios::binary) << saving;
    auto reader = open();  // the first still holds the folder
    EXPECT_TRUE(sameStickers(reader->game.cube(), scrambled()));
    EXPECT_EQ(file("saving"), saving);
    EXPECT_FALSE(fs::exists(path()));
}

// `saving` is only ever placed whole; anything else by that name is no save: set aside.
TEST_F(FolderTest, ASavingFileThatIsNoWholeSaveIsSetAside) {
    for (const std::string& bad :
         {std::string("gyrelle saving 1\nfile cube_state.dat 10\nversion 4\n"),
          std::string("gyrelle saving 1\nfile cube_state.dat 3\n123end\nmore"),
          std::string("gyrelle saving 1\nfile lock 3\n123end\n"), std::string("end\n")}) {
        std::ofstream(path("saving"), std::ios::binary) << bad;
        std::string log;
        expectDefaults(open(&log)->game);
        EXPECT_EQ(log, path("saving") +
                           " was not used: it is not a whole save; it is kept as "
                           "saving.bad\n");
        EXPECT_EQ(file("saving.bad"), bad);
        EXPECT_FALSE(fs::exists(path("saving")));
    }
}

}  // namespace
}  // namespace gyrelle::testing
