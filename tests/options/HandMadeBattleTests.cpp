// Whole battles on fields made by hand, with the options of the option screens in force: edited target
// values, the outs rule and the player type.
#include "OptionsTestSupport.h"

#include <algorithm>

namespace {

using namespace options_test;

constexpr WindowID field = WindowID::field;

// "DO IT YOURSELF" and "START A BATTLE": nothing painted, the left cannon at the lowest row and the
// right end of its range, the right cannon at the lowest row and column `rightH`.
void handMadeField(ScriptedHost& host, int64_t rightH, bool trees) {
    host.chooseMenu(258, 5);
    if (trees)
        host.chooseMenu(259, 3);
    host.chooseMenu(262, 1);
    host.waitUntil("the editor paints", [](const ScriptedHost& h) { return h.cursor() == CursorKind::cross; });
    host.waitForCalls(HostOp::button, 1);
    press(host, field, 260, 295); // "CONTINUE"
    press(host, field, 150, 295); // "PLACE CANNON"
    press(host, field, 200, 266);
    press(host, field, 380, 295); // "PLACE CANNON"
    press(host, field, rightH, 266);
}

// The left player fires level: powder 100 (slider 95..185) and elevation 22 (slider 95..184). The ball
// flies a few rows above the ground towards the right.
void levelShot(ScriptedHost& host) {
    host.waitForMenuPoll();
    press(host, field, 185, 290);
    press(host, field, 117, 305);
    press(host, field, 220, 298); // "Fire"
}

void chooseOuts(ScriptedHost& host, bool losersOut) {
    host.chooseMenu(261, 4);
    host.answerDialog(1000, {losersOut ? 2 : 1, 3});
}

TEST(HandMadeBattle, LevelShotDestroysTheRightCannonScoredWithTheEditedValue) {
    Session s(2024);
    ScriptedHost& host = *s.host;

    // "Left Hits Right Cannon" (row 2, slider from column 49) set to 17: 68 pixels from its left border.
    host.chooseMenu(259, 5);
    host.waitForWindowShown(WindowID::targets);
    host.waitForCalls(HostOp::button, 1);
    press(host, WindowID::targets, 49 + 68, 87);
    host.clickAt(WindowID::targets, 375, 272);
    host.waitForWindowHidden(WindowID::targets);

    // The right cannon at the left end of its range: the level ball runs into its wheel.
    handMadeField(host, 312, false);
    bool groundClosed = false;
    host.waitForMenuPoll();
    host.perform("look at the field", [&](ScriptedHost&) {
        groundClosed = allBlack(s.bitmap(field), tlbr(275, 0, 280, 512));
    });
    int64_t powder = 0, elevation = 0;
    press(host, field, 185, 290);
    press(host, field, 117, 305);
    host.perform("look at the settings", [&](ScriptedHost&) {
        powder = s.game.gPowderL;
        elevation = s.game.gElevL;
    });
    press(host, field, 220, 298); // "Fire"
    // Back in the main loop only when the battle is over: a battle still running would swallow "quit".
    host.waitForMenuPoll();
    host.quit();
    ASSERT_TRUE(s.play());

    EXPECT_TRUE(groundClosed) << "the editor closed the field with solid ground";
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

TEST(HandMadeBattle, TheOutsRuleChoosesTheOpenerOfTheNextBattle) {
    // The left player destroys the right cannon; the next battle (on a desert field) is opened by the
    // loser with "Losers Outs", by the winner with "Winners Outs".
    for (bool losersOut : {true, false}) {
        SCOPED_TRACE(losersOut ? "Losers Outs" : "Winners Outs");
        Session s(2024);
        ScriptedHost& host = *s.host;
        chooseOuts(host, losersOut);
        handMadeField(host, 312, false);
        levelShot(host);
        host.waitForMenuPoll();
        host.chooseMenu(258, 1); // "DESERT": a new field at once
        host.chooseMenu(262, 1);
        int64_t opener = 0;
        host.waitForMenuPoll(); // the opener aims
        host.perform("look at the opener", [&](ScriptedHost&) { opener = s.game.gTurn; });
        host.chooseMenu(262, 2); // "STOP A BATTLE"
        host.quit();
        ASSERT_TRUE(s.play());
        EXPECT_EQ(s.game.gKilled, 2);
        EXPECT_EQ(opener, losersOut ? 2 : 1);
        EXPECT_TRUE(s.game.gStopBattle);
    }
}

TEST(HandMadeBattle, AFelledTreeScoresByThePlayerType) {
    // With the right cannon at the right end, every right-hand tree stands in columns 280..451, in
    // the path of the level ball, which fells the first one it meets and lands there.
    for (bool rambo : {true, false}) {
        SCOPED_TRACE(rambo ? "Rambo Fan Club" : "Sierra Club");
        Session s(99);
        ScriptedHost& host = *s.host;
        host.chooseMenu(261, 5);
        host.answerDialog(1002, {rambo ? 1 : 2, 3});
        handMadeField(host, 490, true);
        levelShot(host);
        int64_t scoreAfterShot = 0;
        host.waitForMenuPoll(); // the right player aims: the battle goes on
        host.perform("look at the score", [&](ScriptedHost&) { scoreAfterShot = s.game.gScoreL; });
        host.chooseMenu(262, 2);
        host.quit();
        ASSERT_TRUE(s.play());

        int64_t felled = 0;
        for (int64_t i = 2; i <= s.game.gNumTrees; ++i)
            felled += s.game.gTreeDown[static_cast<size_t>(i)] ? 1 : 0;
        EXPECT_GE(felled, 1);
        EXPECT_EQ(scoreAfterShot, (rambo ? 5 : -5) * felled);
        EXPECT_EQ(s.game.gScoreR, 0);
        EXPECT_FALSE(s.game.gRCanDead);
        EXPECT_FALSE(s.game.gLCanDead);
    }
}

} // namespace
