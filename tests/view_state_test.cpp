// The saved state file: what it holds, byte for byte, and what reading makes of any file.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/Files.h"
#include "tests/support/HeadlessView.h"

namespace gyrelle::testing {
namespace {

namespace fs = std::filesystem;

class StateTest : public HeadlessViewTest {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/gyrelle-state-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        platform.setDocumentsDirectory(dir);
        HeadlessViewTest::SetUp();
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string path() const { return dir + "/cube_state.dat"; }
    std::string contents() const {
        std::ifstream in(path(), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void writeFile(const std::string& text) const {
        std::ofstream(path(), std::ios::binary) << text;
    }
    std::unique_ptr<EAGLView> restart() { return EAGLView::create(platform); }
    std::string defaultFile() {
        auto fresh = restart();
        fresh->terminate();
        return contents();
    }
    void writeLines(const std::vector<std::string>& lines) const {
        std::string text;
        for (const auto& line : lines) {
            text += line + "\n";
        }
        writeFile(text);
    }
    static std::vector<std::string> lines(const std::string& text) {
        std::vector<std::string> out;
        std::stringstream s(text);
        for (std::string line; std::getline(s, line);) {
            out.push_back(line);
        }
        return out;
    }
    static bool sameCube(const MagicCube& a, const MagicCube& b) {
        for (int s = 0; s < 54; ++s) {
            if (rgbaOf(a.stickers()[s]) != rgbaOf(b.stickers()[s]) ||
                a.stickers()[s].faceNumber != b.stickers()[s].faceNumber) {
                return false;
            }
        }
        return true;
    }
    static void expectSameRotation(const Quaternion& a, const Quaternion& b) {
        for (Vecd v : {Vecd{1, 0, 0}, Vecd{0, 1, 0}, Vecd{0, 0, 1}}) {
            const float in[3] = {float(v[0]), float(v[1]), float(v[2])};
            float x[3], y[3];
            a.rotateVector(in, x);
            b.rotateVector(in, y);
            for (int i = 0; i < 3; ++i) {
                EXPECT_NEAR(x[i], y[i], 1e-5);
            }
        }
    }
    void expectDefaults(const EAGLView& v) {
        EXPECT_TRUE(sameCube(*v.magicCube, MagicCube()));
        expectSameRotation(v.currentRotation, EAGLView::create(fresh)->currentRotation);
        EXPECT_FALSE(v.bContinueToRotate);
    }

    std::string dir;
    platform::HeadlessPlatform fresh{
        EAGLView::kScreenPoints};  // no documents: the start-up defaults
};

TEST_F(StateTest, DefaultFileIsExactlyAsDocumented) {
    std::vector<std::string> l = lines(defaultFile());
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
    const float axis[3] = {0.2f, -0.5f, 0.7f};
    view->currentRotation.setAxis(axis, 2.5f);
    view->qdeltacontinue.setAxis(axis, 0.07f);
    view->bContinueToRotate = 1;
    view->bContinuePremultiply = 1;
    view->terminate();
    auto again = restart();
    EXPECT_TRUE(sameCube(*again->magicCube, *view->magicCube));
    expectSameRotation(again->currentRotation, view->currentRotation);
    expectSameRotation(again->qdeltacontinue, view->qdeltacontinue);
    EXPECT_EQ(again->bContinueToRotate, 1);
    EXPECT_EQ(again->bContinuePremultiply, 1);
    // The spin resumes with the first frame.
    again->layoutSubviews();
    Quaternion expected = view->currentRotation;
    Quaternion scratch = expected;
    expected.setEqualTo(view->qdeltacontinue);
    expected.multiplyBy(scratch);
    expectSameRotation(again->currentRotation, expected);
}

TEST_F(StateTest, NoFileAndOtherVersionsKeepTheDefaults) {
    expectDefaults(*restart());
    std::string text = defaultFile();
    text.replace(0, 9, "version 3");
    text.replace(text.find("245 0 0 0"), 9, "1 2 3 4  ");
    writeFile(text);
    expectDefaults(*restart());
    writeFile("version 4294967300\n" + text.substr(10));  // 2^32 + 4 is not 4
    expectDefaults(*restart());
}

TEST_F(StateTest, AFileCutAfterThirtyStickersStillGivesTheOrientation) {
    view->magicCube->scrambleCube();
    view->terminate();
    std::vector<std::string> l = lines(contents());
    l.resize(31);  // the version and 30 stickers
    l.push_back("crot 0 0 1 1.5");
    writeLines(l);
    auto again = restart();
    MagicCube solved;
    for (int s = 0; s < 54; ++s) {
        const Sticker& want = s < 30 ? view->magicCube->stickers()[s] : solved.stickers()[s];
        EXPECT_EQ(rgbaOf(again->magicCube->stickers()[s]), rgbaOf(want)) << s;
    }
    Quaternion z;
    const float zAxis[3] = {0, 0, 1};
    z.setAxis(zAxis, 1.5f);
    expectSameRotation(again->currentRotation, z);
}

TEST_F(StateTest, NumbersKeepTheirLowBitsAndStrangeCubesAreAccepted) {
    std::vector<std::string> l = lines(defaultFile());
    l[1] = "256 -1 1000000000000000000000000000000000000259 -1";
    l[2] = "7 7 7 9";
    l[57] = "brot 256";
    writeLines(l);
    auto again = restart();
    EXPECT_EQ(rgbaOf(again->magicCube->stickers()[0]), (Rgba{0, 255, 3, 255}));
    EXPECT_EQ(again->magicCube->stickers()[0].faceNumber, -1);
    EXPECT_EQ(again->magicCube->stickers()[1].faceNumber, 9);
    EXPECT_EQ(again->bContinueToRotate, 0);  // 256 keeps no bits
    again->layoutSubviews();                 // and such a cube is drawn like any other
}

TEST_F(StateTest, NonFiniteOrientationStopsTheReading) {
    for (const char* bad : {"crot nan 1 0 0.5", "crot 1 inf 0 0.5", "crot 1 0 0 -inf"}) {
        std::vector<std::string> l = lines(defaultFile());
        l[55] = bad;
        l[56] = "drot 0 0 1 0.5";
        l[57] = "brot 1";
        writeLines(l);
        auto again = restart();
        expectDefaults(*again);
        again->layoutSubviews();
        for (int i = 0; i < 4; ++i) {
            EXPECT_TRUE(std::isfinite(again->currentRotation.q[i])) << bad;
        }
    }
}

TEST_F(StateTest, AnyFileIsReadWithoutHarm) {
    std::mt19937 rng(7);
    std::string garbage(4096, '\0');
    for (char& c : garbage) {
        c = static_cast<char>(rng());
    }
    const std::string big = "version 4\n" + std::string(10 << 20, '7');
    std::string hugeGarbage(10 << 20, ' ');
    for (size_t i = 0; i < hugeGarbage.size(); i += 97) {
        hugeGarbage[i] = static_cast<char>(rng());
    }
    for (const std::string& text : {std::string(), garbage, big, "version 4\n" + hugeGarbage,
                                    std::string("version 4\n1 2")}) {
        writeFile(text);
        auto again = restart();
        ASSERT_NE(again, nullptr);
        again->layoutSubviews();
    }
    // A FIFO where the file should be: nothing to wait for.
    fs::remove(path());
    ASSERT_EQ(mkfifo(path().c_str(), 0600), 0);
    expectDefaults(*restart());
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
    int files = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1) << "the temporary file was left behind";
}

TEST(DataDirectory, FollowsXdgDataHomeAndIsCreated) {
    char pattern[] = "/tmp/gyrelle-xdg-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const char* saved = std::getenv("XDG_DATA_HOME");
    std::string keep = saved ? saved : "";
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "/root";
    setenv("XDG_DATA_HOME", (std::string(pattern) + "/a/b").c_str(), 1);
    EXPECT_EQ(platform::userDataDirectory(), std::string(pattern) + "/a/b/gyrelle");
    EXPECT_TRUE(fs::is_directory(std::string(pattern) + "/a/b/gyrelle"));
    setenv("XDG_DATA_HOME", "relative/path", 1);  // ignored, as the convention says
    setenv("HOME", pattern, 1);
    EXPECT_EQ(platform::userDataDirectory(), std::string(pattern) + "/.local/share/gyrelle");
    setenv("HOME", home.c_str(), 1);
    if (saved) {
        setenv("XDG_DATA_HOME", keep.c_str(), 1);
    } else {
        unsetenv("XDG_DATA_HOME");
    }
    fs::remove_all(pattern);
}

}  // namespace
}  // namespace gyrelle::testing
