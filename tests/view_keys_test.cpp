// The keyboard on the real view: letters turn the face that lies in that place on the
// screen now, whole-cube turns, the queue, a new game, copy and paste, the panels, and
// the question that takes every key and touch.
#include <cmath>

#include "cube/Position.h"
#include "tests/support/HeadlessView.h"

namespace gyrelle::testing {
namespace {

class KeysTest : public HeadlessViewTest {
  protected:
    void press(char letter, bool shift = false, bool ctrl = false) {
        platform.window().keyDown({platform::Key::Letter, letter, shift, ctrl});
    }
    void press(platform::Key key) { platform.window().keyDown({key}); }
};

// The stickers of `before` with the layer at `n` (the outer one, or the middle one
// across it) turned by a quarter turn clockwise as seen from outside along `n`, or back.
MagicCube::Stickers turnedLayer(const MagicCube::Stickers& before, Vec n, bool middle, bool prime) {
    const int axis = n[0] ? 0 : n[1] ? 1 : 2;
    const int sign = (n[axis] > 0) == prime ? 1 : -1;  // -90 degrees about n when clockwise
    MagicCube::Stickers after = before;
    for (int s = 0; s < 54; ++s) {
        const Place p = placeOf(s);
        if (dot(p.piece, n) == (middle ? 0 : 1)) {
            after[slotAt(turn(p.piece, axis, sign), turn(p.normal, axis, sign))] = before[s];
        }
    }
    return after;
}

// From several orientations, each letter turns the face (or middle slice) whose normal
// points most along its direction on the screen: F toward the viewer, B away, U up, D
// down, R right, L left; M as L, E as D, S as F.
TEST_F(KeysTest, EachLetterTurnsTheFaceThatLiesThereNow) {
    const Vecd toward[9] = {{0, 0, 1},  {0, 0, -1}, {0, 1, 0},  {0, -1, 0}, {1, 0, 0},
                            {-1, 0, 0}, {-1, 0, 0}, {0, -1, 0}, {0, 0, 1}};
    const char letters[] = "fbudrlmes";
    for (const Quaternion& orientation :
         {view->currentRotation, rotation(0.3f, 1, -0.2f, 2.1f), rotation(-1, 0.4f, 0.5f, 4.0f)}) {
        for (int i = 0; i < 9; ++i) {
            for (bool prime : {false, true}) {
                view->currentRotation = orientation;
                const MagicCube::Stickers before = view->magicCube->stickers();
                Vec n{};
                double best = -2;
                for (const Vec& out : kOut) {
                    const Vecd v =
                        applied(orientation, {double(out[0]), double(out[1]), double(out[2])});
                    const double along =
                        v[0] * toward[i][0] + v[1] * toward[i][1] + v[2] * toward[i][2];
                    if (along > best) {
                        best = along;
                        n = out;
                    }
                }
                press(letters[i], prime);
                frames(5);
                const MagicCube::Stickers want = turnedLayer(before, n, i >= 6, prime);
                EXPECT_EQ(std::memcmp(view->magicCube->stickers().data(), want.data(), sizeof want),
                          0)
                    << letters[i] << (prime ? "'" : "");
            }
        }
    }
}

// Typed while the cube turns, moves play out in order, eight at most waiting.
TEST_F(KeysTest, KeysTypedDuringATurnWaitTheirTurn) {
    auto other = EAGLView::create(platform);
    for (auto [letter, prime] : {std::pair{'r', false}, {'u', false}, {'r', true}, {'f', true}}) {
        press(letter, prime);  // all at once
        other->keyDown({platform::Key::Letter, letter, prime});
        other->drawView();
        for (int f = 0; f < 5; ++f) {
            other->drawView();
        }
    }
    frames(25);
    EXPECT_TRUE(sameStickers(*view->magicCube, *other->magicCube));

    view->currentRotation = rotation(1, 1, 0, 0.6981311f);  // F is face slot 0, +z
    const MagicCube::Stickers before = view->magicCube->stickers();
    for (int n = 0; n < 12; ++n) {
        press('f');  // one turns, eight wait, three are not heard: nine in all, as one
    }
    frames(60);
    const MagicCube::Stickers once = turnedLayer(before, {0, 0, 1}, false, false);
    EXPECT_EQ(std::memcmp(view->magicCube->stickers().data(), once.data(), sizeof once), 0);
    EXPECT_EQ(view->history.entries().size(), 4u + 9u);
}

// An undo asked for after typed moves comes after them: it takes back the last one.
TEST_F(KeysTest, AnUndoWaitsBehindTheMovesTypedBeforeIt) {
    press('r');
    press('u');
    press('z', false, true);
    frames(20);
    EXPECT_EQ(view->history.entries().size(), 2u);
    EXPECT_EQ(view->history.position(), 1u);
}

// X as R, Y as U, Z as F: a quarter turn of the whole cube about the screen's axis,
// clockwise as seen from that end; the arrows as Y and X.
TEST_F(KeysTest, XYZAndTheArrowsTurnTheWholeCube) {
    const std::pair<platform::KeyPress, Vecd> cases[] = {
        {{platform::Key::Letter, 'x'}, {-1, 0, 0}},
        {{platform::Key::Letter, 'y', true}, {0, 1, 0}},
        {{platform::Key::Letter, 'z'}, {0, 0, -1}},
        {{platform::Key::Left}, {0, -1, 0}},
        {{platform::Key::Up}, {-1, 0, 0}}};
    for (const auto& [key, axis] : cases) {
        const Quaternion before = view->currentRotation;
        platform.window().keyDown(key);
        frames(12);
        expectRotation(view->currentRotation,
                       [&](Vecd v) { return rotate(applied(before, v), axis, M_PI / 2); });
    }
    EXPECT_TRUE(view->magicCube->isSolved());
}

TEST_F(KeysTest, CtrlNIsANewGameAsAShakeIs) {
    press('n', false, true);
    EXPECT_FALSE(view->magicCube->isSolved());
    EXPECT_EQ(platform.window().alertCount(), 0);
    press('n', false, true);
    EXPECT_EQ(platform.window().alertCount(), 1);
}

TEST_F(KeysTest, CopyAndPasteThePositionAndAPasteThatIsNoneSaysSo) {
    press('n', false, true);
    const MagicCube scrambled = *view->magicCube;
    press('c', false, true);
    const std::string code = positionCode(scrambled.stickers());
    EXPECT_EQ(platform.clipboardText(), code);
    view->undo();
    press('v', false, true);  // the same position, its centres brought home
    EXPECT_EQ(positionCode(view->magicCube->stickers()), code);
    view->undo();  // one step
    EXPECT_TRUE(view->magicCube->isSolved());

    platform.setClipboardText("UUU");
    press('v', false, true);
    EXPECT_TRUE(view->magicCube->isSolved());
    ASSERT_TRUE(view->panelShown());
    const auto* message = dynamic_cast<const Panel*>(view->subviews().back());
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->texts()[0]->text(), "Not a cube position: it must be 54 letters");
    press('f');  // closes the message, and turns nothing
    EXPECT_FALSE(view->panelShown());
    frames(5);
    EXPECT_TRUE(view->magicCube->isSolved());
}

TEST_F(KeysTest, F1ShowsTheKeysUntilAKeyOrATouch) {
    press(platform::Key::F1);
    ASSERT_TRUE(view->panelShown());
    tap({160, 240});
    EXPECT_FALSE(view->panelShown());
    press(platform::Key::Question);
    EXPECT_TRUE(view->panelShown());
}

// The question is modal: no key but its answers and no touch elsewhere reach the cube.
TEST_F(KeysTest, AQuestionTakesEveryKeyAndTouch) {
    view->magicCube->rotateFace(1);
    view->accelerometerDidAccelerate({10, -1, 0});
    ASSERT_EQ(platform.window().alertCount(), 1);
    const MagicCube before = *view->magicCube;
    press('f');
    swipe(atSlot(0), {atSlot(1)});
    up(atSlot(1));
    swipe({20, 20}, {{60, 20}, {100, 20}});
    up({100, 20});
    frames(5);
    EXPECT_TRUE(sameStickers(*view->magicCube, before));
    EXPECT_FALSE(view->bContinueToRotate);
    press('n');
    EXPECT_EQ(platform.window().alertCount(), 0);
}

}  // namespace
}  // namespace gyrelle::testing
