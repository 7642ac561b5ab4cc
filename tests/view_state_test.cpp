// The saved state file: what it holds, byte for byte, what reading makes of other
// files and what it says of them, and how a save reaches the disk.
#include <dlfcn.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/voxletAppDelegate.h"
#include "platform/Files.h"
#include "tests/support/HeadlessView.h"

namespace {
// The save's calls to the C library, while a test records them.
std::vector<std::string>* syncCalls = nullptr;
bool failFolderSync = false;
}  // namespace

// On the way to the C library: nothing is faked unless a test asks for a failure.
extern "C" int fsync(int fd) {
    static auto real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"));
    struct stat st {};
    const bool folder = fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
    if (syncCalls) {
        syncCalls->push_back(folder ? "fsync folder" : "fsync file");
    }
    if (folder && failFolderSync) {
        errno = EIO;
        return -1;
    }
    return real(fd);
}

extern "C" int rename(const char* from, const char* to) {
    static auto real =
        reinterpret_cast<int (*)(const char*, const char*)>(dlsym(RTLD_NEXT, "rename"));
    if (syncCalls) {
        syncCalls->push_back(std::string("rename to ") + (std::strrchr(to, '/') + 1));
    }
    return real(from, to);
}

namespace gyrelle::testing {
namespace {

namespace fs = std::filesystem;

class StateTest : public HeadlessViewWithFilesTest {
  protected:
    std::string path() const { return dir + "/cube_state.dat"; }
    std::string contents() const { return file("cube_state.dat"); }
    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        std::ifstream in(path());
        for (std::string line; std::getline(in, line);) {
            out.push_back(line);
        }
        return out;
    }
    void writeLines(const std::vector<std::string>& lines) const {
        std::ofstream out(path(), std::ios::binary);
        for (const auto& line : lines) {
            out << line << "\n";
        }
    }
    // A new view reads the file; `log` gets what it said.
    std::unique_ptr<EAGLView> restart(std::string* log = nullptr) {
        ::testing::internal::CaptureStderr();
        auto again = EAGLView::create(platform);
        std::string said = ::testing::internal::GetCapturedStderr();
        if (log) {
            *log = said.substr(said.find('\n') + 1);  // after "reset: solved"
        }
        return again;
    }
    void expectDefaults(const EAGLView& v) {
        EXPECT_TRUE(sameStickers(*v.magicCube, MagicCube()));
        expectRotation(v.currentRotation, startOrientation);
        EXPECT_FALSE(v.bContinueToRotate);
    }
};

TEST_F(StateTest, DefaultFileIsExactlyAsDocumented) {
    view->terminate();
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
    EXPECT_EQ(contents().back(), '\n');
}

TEST_F(StateTest, RoundTripRestoresStickersOrientationAndSpin) {
    view->magicCube->scrambleCube();
    view->currentRotation = rotation(0.2f, -0.5f, 0.7f, 2.5f);
    view->qdeltacontinue = rotation(0.2f, -0.5f, 0.7f, 0.07f);
    view->bContinueToRotate = 1;
    view->bContinuePremultiply = 1;
    view->terminate();
    std::string log;
    auto again = restart(&log);
    EXPECT_EQ(log, "");
    EXPECT_TRUE(sameStickers(*again->magicCube, *view->magicCube));
    expectSameRotation(again->currentRotation, view->currentRotation);
    EXPECT_EQ(again->bContinueToRotate, 1);
    EXPECT_EQ(again->bContinuePremultiply, 1);
    // The spin resumes with the first frame, about the cube's own axis.
    again->layoutSubviews();
    expectRotation(again->currentRotation, [&](Vecd v) {
        return applied(view->currentRotation, rotate(v, {0.2, -0.5, 0.7}, 0.07));
    });
}

// Only version 4 is read; anything else is refused whole, and says so.
TEST_F(StateTest, OtherVersionsAreRefusedWithALogLine) {
    view->magicCube->rotateFace(1);
    view->terminate();
    std::vector<std::string> l = lines();
    for (const char* version : {"version 3", "version 5", "version 4294967300"}) {
        l[0] = version;
        writeLines(l);
        std::string log;
        auto again = restart(&log);
        expectDefaults(*again);
        EXPECT_NE(log.find(path() + " was not read: it"), std::string::npos) << version;
        EXPECT_NE(log.find("not 4"), std::string::npos) << log;
    }
}

TEST_F(StateTest, AFileCutAfterThirtyStickersStillGivesTheOrientation) {
    view->magicCube->scrambleCube();
    view->terminate();
    std::vector<std::string> l = lines();
    l.resize(31);  // the version and 30 stickers
    l.push_back("crot 0 0 1 1.5");
    writeLines(l);
    std::string log;
    auto again = restart(&log);
    MagicCube solved;
    for (int s = 0; s < 54; ++s) {
        const Sticker& want = (s < 30 ? *view->magicCube : solved).stickers()[s];
        EXPECT_EQ(rgbaOf(again->magicCube->stickers()[s]), rgbaOf(want)) << s;
    }
    expectSameRotation(again->currentRotation, rotation(0, 0, 1, 1.5f));
    EXPECT_EQ(
        log.find(path() + " was read only in part: sticker line 31 is missing or malformed\n"), 0u)
        << log;
}

TEST_F(StateTest, NumbersKeepTheirLowBitsAndStrangeCubesAreAccepted) {
    view->terminate();
    std::vector<std::string> l = lines();
    l[1] = "1000000000000000000000000000000000000245 256 -256 -1";  // 10^39 = 0 mod 256
    l[2] = "245 0 1 9";
    l[57] = "brot 256";
    writeLines(l);
    auto again = restart();
    EXPECT_EQ(rgbaOf(again->magicCube->stickers()[0]), (Rgba{245, 0, 0, 255}));
    EXPECT_EQ(again->magicCube->stickers()[0].faceNumber, -1);
    EXPECT_EQ(again->magicCube->stickers()[1].faceNumber, 9);
    EXPECT_EQ(again->bContinueToRotate, 0);  // 256 keeps no bits
    again->layoutSubviews();                 // and such a cube is drawn like any other
}

// An orientation a hair from the identity has an axis too long for single precision,
// as written; it reads back as the same orientation, not the start-up one.
TEST_F(StateTest, ATinyTurnReadsBackAsItself) {
    view->currentRotation = rotation(1, 1, 1, 3e-22f);
    view->terminate();
    expectRotation(restart()->currentRotation, [](Vecd v) { return v; });
}

TEST_F(StateTest, NonFiniteOrientationStopsTheReading) {
    view->terminate();
    std::vector<std::string> l = lines();
    for (const char* bad : {"crot nan 1 0 0.5", "crot 1 inf 0 0.5", "crot 1 0 0 -inf"}) {
        l[55] = bad;
        l[57] = "brot 1";
        writeLines(l);
        std::string log;
        auto again = restart(&log);
        expectDefaults(*again);
        EXPECT_NE(log.find("read only in part: its crot line holds"), std::string::npos) << log;
    }
}

TEST_F(StateTest, AFifoInPlaceOfTheFileIsNotWaitedFor) {
    ASSERT_EQ(mkfifo(path().c_str(), 0600), 0);
    std::string log;
    expectDefaults(*restart(&log));
    EXPECT_EQ(log, path() + " was not read: it is not a regular file\n");
}

// The old file stays whole when the new one cannot be written completely.
TEST_F(StateTest, AFailedSaveLeavesTheOldFile) {
    view->magicCube->scrambleCube();
    view->terminate();
    const std::string old = contents();
    view->magicCube->resetCube();
    pid_t pid = fork();
    if (pid == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{100, 100};  // the write fails part-way, at 100 bytes
        setrlimit(RLIMIT_FSIZE, &limit);
        view->terminate();
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_EQ(contents(), old);
    for (const auto& entry : fs::directory_iterator(dir)) {
        EXPECT_EQ(entry.path().filename().string().find("dat."), std::string::npos)
            << "the temporary file was left behind";
    }
}

// A save survives a crash only if the new file is on disk before it takes the old one's
// name, and that name change is on disk before the save is done.
TEST_F(StateTest, ASaveSyncsTheFileRenamesItThenSyncsTheFolder) {
    std::vector<std::string> calls;
    syncCalls = &calls;
    view->terminate();
    syncCalls = nullptr;
    EXPECT_EQ(calls,
              (std::vector<std::string>{"fsync file", "rename to cube_state.dat", "fsync folder",
                                        "fsync file", "rename to history", "fsync folder"}));

    failFolderSync = true;
    ::testing::internal::CaptureStderr();
    view->terminate();
    failFolderSync = false;
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "could not save the cube to " + path() +
                  ": the new file may not outlive a crash: Input/output error\n");
}

// Each test runs in a process of its own (ctest), so the environment may be changed.
TEST_F(StateTest, DataFolderFollowsTheXdgRulesAndSaysWhyItCannotBeHad) {
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

TEST_F(StateTest, HugeFilesAndInvisibleStickersAreRefused) {
    writeLines({"version 4", std::string(100 * 1024, '7')});
    std::string log;
    expectDefaults(*restart(&log));
    EXPECT_EQ(log, path() + " was not read: it is larger than any saved cube\n");

    std::vector<std::string> black(1, "version 4");
    black.resize(55, "0 0 0 0");  // a cube drawn black would count as solved, unseen
    writeLines(black);
    expectDefaults(*restart(&log));
    EXPECT_EQ(log, path() + " was read only in part: sticker line 1 holds no sticker's colour\n");
}

// What could not be read is the player's all the same: the next save keeps it aside.
TEST_F(StateTest, AFileNotReadWholeIsKeptAsideBeforeTheNextSave) {
    writeLines({"version 5", "future things"});
    const std::string theirs = contents();
    auto again = restart();
    ::testing::internal::CaptureStderr();
    again->terminate();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "the saved cube that could not be read is kept as " + path() + ".bad\n");
    EXPECT_EQ(lines()[0], "version 4");
    again->terminate();  // once kept, it stays kept
    fs::rename(path() + ".bad", path());
    EXPECT_EQ(contents(), theirs);
}

// A state file kept in a folder of dotfiles by a link stays a link to an updated file.
TEST_F(StateTest, ALinkedFileIsWrittenThroughTheLink) {
    fs::create_directory(dir + "/dotfiles");
    fs::create_symlink("dotfiles/cube.dat", path());
    view->magicCube->rotateFace(3);
    EXPECT_TRUE(view->terminate());
    EXPECT_TRUE(fs::is_symlink(path()));
    EXPECT_TRUE(sameStickers(*restart()->magicCube, *view->magicCube));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir + "/dotfiles"), fs::directory_iterator()),
              1);
}

// A save cut short leaves its temporary; the next start clears those no save could
// still be writing.
TEST_F(StateTest, StaleTemporariesAreRemovedAtStart) {
    for (const char* name :
         {"cube_state.dat.Ab3xZ9", "cube_state.dat.Qq1234", "cube_state.dat.bad"}) {
        std::ofstream(dir + "/" + name) << "x";
    }
    const auto old = fs::file_time_type::clock::now() - std::chrono::minutes(2);
    fs::last_write_time(dir + "/cube_state.dat.Ab3xZ9", old);
    fs::last_write_time(dir + "/cube_state.dat.bad", old);
    restart();
    EXPECT_FALSE(fs::exists(dir + "/cube_state.dat.Ab3xZ9"));
    EXPECT_TRUE(fs::exists(dir + "/cube_state.dat.Qq1234"));  // maybe another game's, now
    EXPECT_TRUE(fs::exists(dir + "/cube_state.dat.bad"));
}

// Saved as played: two seconds after the cube comes to rest, at once on losing the focus,
// never more often than once a second.
TEST_F(StateTest, TheCubeIsSavedAsItIsPlayed) {
    voxletAppDelegate delegate(&platform.window(), view.get());
    delegate.applicationDidFinishLaunching();
    std::vector<std::string> calls;
    syncCalls = &calls;
    auto saves = [&] { return std::count(calls.begin(), calls.end(), "rename to cube_state.dat"); };
    ASSERT_TRUE(view->magicCube->move(0, 1));
    platform.advance(1.9);  // the turn lands within a tenth of a second
    EXPECT_EQ(saves(), 0);
    platform.advance(0.2);
    EXPECT_EQ(saves(), 1);
    EXPECT_TRUE(sameStickers(*restart()->magicCube, *view->magicCube));

    view->bContinueToRotate = 1;  // a spin never rests: it waits for the focus to go
    view->qdeltacontinue = rotation(0, 1, 0, 0.05f);
    platform.advance(5);
    EXPECT_EQ(saves(), 1);
    delegate.applicationWillResignActive();
    EXPECT_EQ(saves(), 2);
    EXPECT_EQ(restart()->bContinueToRotate, 1);
    delegate.applicationDidBecomeActive();
    platform.advance(0.1);
    delegate.applicationWillResignActive();  // too soon: a second later
    EXPECT_EQ(saves(), 2);
    platform.advance(1);
    EXPECT_EQ(saves(), 3);
    syncCalls = nullptr;
}

}  // namespace
}  // namespace gyrelle::testing
