// Whole battles on fields made by hand, with the options of the option screens in force: edited target
// values, the outs rule and the player type.
#include "OptionsTestSupport.h"

namespace {

using namespace options_test;

constexpr WindowID field = WindowID::field;

// A hand-made field: nothing painted, the left cannon at (200, 266), the right one at (rightH, 266).
void handMadeField(ScriptedHost& host, int64_t rightH, bool trees) {
    startEditor(host, false, false, trees);
    pressAll(host, cannons(200, 266, rightH, 266));
}

// The left player fires level: powder 100 (slider 95..185) and elevation 22 (slider 95..184). The ball
// flies a few rows above the ground towards the right.
void levelShot(ScriptedHost& host) {
    press(host, field, 185, 290);
    press(host, field, 117, 305);
    press(host, field, 220, 298); // "Fire"
}

// The left player's level shot destroys the right cannon: the score follows the target value as last
// set on its screen, the field shows its notice again, and the next battle (on a desert field) is opened
// by the loser with "Losers Outs", by the winner with "Winners Outs".
TEST(HandMadeBattle, ScoredWithTheEditedValueThenOpenedByTheOutsRule) {
    for (bool losersOut : {true, false}) {
        SCOPED_TRACE(losersOut ? "Losers Outs, value 17" : "Winners Outs, value 10");
        Session s(2024);
        ScriptedHost& host = *s.host;
        host.chooseMenu(261, 4);
        host.answerDialog(1000, {losersOut ? 2 : 1, 3});
        host.chooseMenu(259, 5); // "Left Hits Right Cannon": 17 is 68 pixels from the slider's left border
        host.waitForWindowShown(WindowID::targets);
        host.waitForCalls(HostOp::button, 1);
        if (losersOut)
            press(host, WindowID::targets, 49 + 68, 87);
        host.clickAt(WindowID::targets, 375, 272);
        host.waitForWindowHidden(WindowID::targets);
        handMadeField(host, 312, false); // the level ball runs into the right cannon's wheel
        host.waitForMenuPoll();
        levelShot(host);
        host.waitForMenuPoll(); // only once the battle is over
        int64_t score = 0;
        bool notice = false;
        host.perform("look at the field", [&](ScriptedHost&) {
            score = s.game.gScoreL;
            notice = allWhite(s.bitmap(field), tlbr(130, 0, 322, 512)) &&
                     blackCount(s.bitmap(field), tlbr(85, 80, 125, 500)) > 100;
        });
        host.chooseMenu(258, 1); // "DESERT": a new field at once
        host.chooseMenu(262, 1);
        int64_t opener = 0;
        host.waitForMenuPoll(); // the opener aims
        host.perform("look at the opener", [&](ScriptedHost&) { opener = s.game.gTurn; });
        host.chooseMenu(262, 2); // "STOP A BATTLE"
        host.quit();
        ASSERT_TRUE(s.play());
        EXPECT_EQ(s.game.gKilled, 2);
        EXPECT_EQ(score, losersOut ? 17 : 10);
        EXPECT_TRUE(notice);
        EXPECT_EQ(opener, losersOut ? 2 : 1);
        EXPECT_TRUE(s.host->protocolErrors().empty());
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
        host.waitForMenuPoll();
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
