// A whole battle on a field made by hand, with the options of the option screens in force: edited target
// values and the outs rule.
#include "OptionsTestSupport.h"

namespace {

using namespace options_test;


// A hand-made field (nothing painted, cannons at (200, 266) and (rightH, 266)), then the left player fires level:
// powder 100 (slider 95..185) and elevation 22 (slider 95..184), the ball flying a few rows above the ground.
void levelShotOnHandMadeField(ScriptedHost& host, int64_t rightH, bool trees) {
    startEditor(host, false, false, trees);
    pressAll(host, cannons(200, 266, rightH, 266));
    host.waitForMenuPoll();
    pressAll(host, {{185, 290}, {117, 305}, {220, 298}}); // powder, elevation, "Fire"
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
        levelShotOnHandMadeField(host, 312, false); // the level ball runs into the right cannon's wheel
        host.waitForMenuPoll(); // only once the battle is over
        int64_t score = 0;
        bool notice = false;
        host.perform("look at the field", [&](ScriptedHost&) {
            score = s.game.gScoreL;
            notice = allWhite(s.bitmap(WindowID::field), tlbr(130, 0, 322, 512)) &&
                     blackCount(s.bitmap(WindowID::field), tlbr(85, 80, 125, 500)) > 100;
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

} // namespace
