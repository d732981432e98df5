// A whole battle on a field made by hand, scored with target values edited on the target values screen.
#include "OptionsTestSupport.h"

#include <algorithm>

namespace {

using namespace options_test;

constexpr WindowID field = WindowID::field;

TEST(HandMadeBattle, LevelShotAcrossAnEmptyFieldDestroysTheRightCannon) {
    Session s(2024);
    ScriptedHost& host = *s.host;

    // "Left Hits Right Cannon" (row 2, slider from column 49) set to 17: 68 pixels from its left border.
    host.chooseMenu(259, 5);
    host.waitForWindowShown(WindowID::targets);
    host.waitForCalls(HostOp::button, 1);
    press(host, WindowID::targets, 49 + 68, 87);
    host.clickAt(WindowID::targets, 375, 272);
    host.waitForWindowHidden(WindowID::targets);

    // "DO IT YOURSELF", then a battle: nothing painted, both cannons at the lowest row, the left one
    // at the right end of its range and the right one at the left end of its range.
    host.chooseMenu(258, 5);
    host.chooseMenu(262, 1);
    host.waitUntil("the editor paints", [](const ScriptedHost& h) { return h.cursor() == CursorKind::cross; });
    host.waitForCalls(HostOp::button, 1);
    press(host, field, 260, 295);      // "CONTINUE"
    press(host, field, 150, 295);      // "PLACE CANNON"
    press(host, field, 200, 266);
    press(host, field, 380, 295);      // "PLACE CANNON"
    press(host, field, 312, 266);

    // The left player opens: powder 100 (slider 95..185) and elevation 22 (slider 95..184) fire level,
    // so the ball flies just above the ground straight into the right cannon's wheel.
    host.waitForMenuPoll();
    int64_t powder = 0, elevation = 0;
    bool editorPainted = false;
    host.perform("look at the field", [&](ScriptedHost&) {
        editorPainted = allBlack(s.bitmap(field), tlbr(275, 0, 280, 512));
    });
    press(host, field, 185, 290);
    press(host, field, 117, 305);
    host.perform("look at the settings", [&](ScriptedHost&) {
        powder = s.game.gPowderL;
        elevation = s.game.gElevL;
    });
    press(host, field, 220, 298); // "Fire"
    // Back in the main loop only when the battle is over.
    host.waitForMenuPoll();
    host.quit();
    ASSERT_TRUE(s.play());

    EXPECT_TRUE(editorPainted) << "the editor closed the field with solid ground";
    EXPECT_EQ(powder, 100);
    EXPECT_EQ(elevation, 22);
    EXPECT_TRUE(s.game.gRCanDead);
    EXPECT_FALSE(s.game.gLCanDead);
    EXPECT_EQ(s.game.gKilled, 2);
    EXPECT_EQ(s.game.gScoreL, 17) << "scored with the edited value, not the default 10";
    EXPECT_EQ(s.game.gScoreR, 0);
    // After the battle the hand-made terrain shows its notice again.
    EXPECT_EQ(s.game.gNewField, 0);
    EXPECT_TRUE(allWhite(s.bitmap(field), tlbr(130, 0, 322, 512)));
    EXPECT_GT(blackCount(s.bitmap(field), tlbr(85, 80, 125, 500)), 100);
    const auto& cursors = s.host->cursorChanges();
    EXPECT_EQ(std::count(cursors.begin(), cursors.end(), CursorKind::cross), 1);
    EXPECT_TRUE(s.host->protocolErrors().empty());
}

} // namespace
