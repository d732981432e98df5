// Aiming in scripted battles: sliders, bars and numbers (shown or hidden), dragging, the barrel following
// the elevation, both shooters' panels.
#include "BattleHarness.h"

namespace {

using namespace battle;

// Row `row` of a left slider: the gray pattern (black where h + row is even) up to column end, then white.
::testing::AssertionResult barEndsAt(BattleGame& g, int64_t row, int64_t end) {
    for (int64_t h = leftPanel.powderColumn(10); h < leftPanel.powderColumn(10) + 89; ++h)
        if (g.pixel(h, row) != (h < end && (h + row) % 2 == 0))
            return ::testing::AssertionFailure() << "row " << row << " column " << h << ", bar end " << end;
    return ::testing::AssertionSuccess();
}

// The left barrel's muzzle: flat up to elevation 9, low to 39, steep to 69, then upright.
Point leftMuzzle(int64_t e) {
    return e <= 9 ? Point(18, -5) : e <= 39 ? Point(20, -12) : e <= 69 ? Point(12, -20) : Point(-2, -25);
}

TEST(Aiming, SlidersNumbersBarsAndBarrelOnBothPanelsShownOrHidden) {
    for (const bool hidden : {false, true}) {
        SCOPED_TRACE(hidden ? "HIDE SETTINGS" : "settings shown");
        BattleGame g(1001);
        ScriptedHost& h = *g.host;
        Ordnix& game = g.game;
        if (hidden)
            h.chooseMenu(261, 3);
        h.chooseMenu(262, 1);
        // The left shooter's number fields, then the bars of both sliders.
        const auto shows = [&](int64_t powder, int64_t elevation) {
            EXPECT_EQ(g.blackIn(tlbr(286, 65, 295, 94)) > 0 || g.blackIn(tlbr(301, 65, 310, 94)) > 0, !hidden);
            EXPECT_TRUE(barEndsAt(g, 287, leftPanel.powderColumn(powder)));
            EXPECT_TRUE(barEndsAt(g, 302, leftPanel.elevationColumn(elevation)));
        };
        g.whenAiming("a battle starts at powder 10, elevation 0", [&] { shows(10, 0); });
        struct Step {
            int64_t column, row, powder, elevation;
        };
        const int64_t pr = Panel::powderRow, er = Panel::elevationRow;
        const auto elevation = [&](int64_t e) { return Step{leftPanel.elevationColumn(e), er, 55, e}; };
        const Step steps[] = { // the edges, just outside them, above and below a slider, the barrel's steps
            {leftPanel.powderColumn(100), pr, 100, 0},      {leftPanel.powderColumn(10), pr, 10, 0},
            {leftPanel.powderColumn(10) - 1, pr, 10, 0},    {leftPanel.powderColumn(100) + 1, pr, 10, 0},
            {leftPanel.elevationColumn(89), er, 10, 89},    {leftPanel.elevationColumn(0), er, 10, 0},
            {leftPanel.elevationColumn(89) + 1, er, 10, 0}, {leftPanel.powderColumn(55), 284, 10, 0},
            {leftPanel.powderColumn(55), 296, 10, 0},       {leftPanel.powderColumn(55), pr, 55, 0},
            elevation(9), elevation(10), elevation(39), elevation(40), elevation(69), elevation(70), elevation(45),
        };
        int64_t lastElevation = 0;
        for (const Step& s : steps) {
            // A marker in the white corner of the cannon's area: only drawing the cannon clears it.
            g.whenAiming("mark", [&] { g.field().setPixel(game.gCanLRect.left, game.gCanLRect.top, 1); });
            g.clickPanel(s.column, s.row);
            h.perform("check", [&, s, redrawn = s.elevation != lastElevation](ScriptedHost&) {
                SCOPED_TRACE("click at " + std::to_string(s.column) + ", " + std::to_string(s.row));
                EXPECT_TRUE(game.gPowderL == s.powder && game.gElevL == s.elevation);
                EXPECT_EQ(game.gPowderLStr, std::to_string(s.powder)) << "kept even when not drawn";
                EXPECT_EQ(game.gElevLStr, std::to_string(s.elevation));
                shows(s.powder, s.elevation);
                EXPECT_EQ(game.gPowderR, 10) << "the other cannon keeps its settings";
                EXPECT_EQ(g.pixel(game.gCanLRect.left, game.gCanLRect.top), !redrawn)
                    << "a new elevation, and only that, redraws the cannon";
                EXPECT_TRUE(Point(game.gMuzzleLDX, game.gMuzzleLDY) == leftMuzzle(s.elevation));
            });
            lastElevation = s.elevation;
        }
        // A press on a slider belongs to it until release: past either end it stops there, and across "Fire"
        // (right of both sliders, over both rows) it fires nothing.
        g.waitForAiming();
        h.drag(WindowID::field, leftPanel.powderColumn(50), pr, leftPanel.fireColumn() + 10, pr, 6, 2);
        h.waitForCalls(HostOp::button, 2);
        h.perform("after the powder drag", [&](ScriptedHost&) {
            EXPECT_FALSE(game.gFired);
            shows(100, 45);
        });
        h.drag(WindowID::field, leftPanel.elevationColumn(60), er, -200, er, 6, 2);
        h.waitForCalls(HostOp::button, 2);
        h.perform("after the elevation drag", [&](ScriptedHost&) { shows(100, 0); });
        g.scriptShot(leftPanel, {20, 45});
        // A click while the ball flies, where the next shooter's "Fire" will be, is not a press of the next turn.
        h.clickAt(WindowID::field, rightPanel.fireColumn(), Panel::fireRow);
        h.waitUntil("the ball lands", [&](const ScriptedHost&) { return game.gLanded; });
        h.perform("in flight", [&](ScriptedHost& host) {
            EXPECT_FALSE(host.cursorVisible());
            EXPECT_GT(g.blackIn(tlbr(290, 200, 306, 242)), 16 * 42 / 2) << "the pressed \"Fire\" is inverted";
        });
        g.whenAiming("right turn", [&] {
            EXPECT_EQ(game.gTurn, 2);
            EXPECT_LT(g.blackIn(tlbr(290, 450, 306, 492)), 16 * 42 / 2) << "\"Fire\" is not pressed";
            EXPECT_EQ(g.blackIn(tlbr(288, 7, 307, 250)), 19 * 243) << "the left panel was painted black";
            EXPECT_EQ(g.blackIn(tlbr(286, 315, 295, 344)) > 0, !hidden) << "the right shooter's numbers";
        });
        g.scriptShot(rightPanel, {100, 89}); // the right slider's edges; over the top and out at the side
        g.whenAiming("left again, settings kept", [&] {
            EXPECT_EQ(game.gTurn, 1);
            EXPECT_TRUE(game.gPowderR == 100 && game.gElevR == 89);
            EXPECT_TRUE(Point(game.gMuzzleRDX, game.gMuzzleRDY) == Point(-2, -23));
            shows(20, 45);
        });
        h.endScenario();
        EXPECT_TRUE(h.run([&] { game.run(); }));
        EXPECT_TRUE(h.scriptDone()) << h.nextStep();
    }
}

} // namespace
