// The real view keeps its game in its folder: read back while it is built, saved when
// the player may be leaving and when the game ends.
#include "app/voxletAppDelegate.h"
#include "cube/Position.h"
#include "tests/support/HeadlessView.h"

namespace gyrelle::testing {
namespace {

using StateTest = HeadlessViewWithFilesTest;

TEST_F(StateTest, TheGameIsSavedWhenThePlayerLeavesAndReadBackAtTheStart) {
    voxletAppDelegate delegate(view.get());
    delegate.applicationDidFinishLaunching();
    swipe(atSlot(0), {atSlot(1)});
    up(atSlot(1));
    platform.advance(0.2);
    EXPECT_EQ(file("cube_state.dat"), "");  // at rest for less than two seconds
    delegate.applicationWillResignActive();
    const std::string saved = file("cube_state.dat");
    EXPECT_EQ(saved.substr(0, 10), "version 4\n");
    EXPECT_NE(file("history").find("\nturn 4\nend\n"), std::string::npos) << file("history");
    EXPECT_TRUE(delegate.applicationWillTerminate());
    const MagicCube turned = cube();
    view.reset();

    ::testing::internal::CaptureStderr();
    view = EAGLView::create(platform);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "reset: solved\n");
    EXPECT_TRUE(sameStickers(cube(), turned));
    EXPECT_TRUE(game().history().canUndo());
}

}  // namespace
}  // namespace gyrelle::testing
