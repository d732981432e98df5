// Battle flow: stopping a battle, which menus are offered when, the new field after every battle, and a
// new wind every turn.
#include <set>

#include "BattleHarness.h"

namespace {

using namespace battle;

constexpr Aim harmless{100, 89}; // over the top and out at the side: touches nothing

TEST(BattleFlow, OnAWindyFieldEveryTurnBringsANewWind) {
    // A generated field gets its windsock when built; a hand-made one on its first turn, on the ground a
    // press at row 200 paints in column 255 (black from row 201: the sky's line from the press covers 200).
    for (const bool handMade : {false, true}) {
        SCOPED_TRACE(handMade ? "hand-made field" : "generated field");
        BattleGame g(8080);
        Ordnix& game = g.game;
        ScriptedHost& h = *g.host;
        h.chooseMenu(260, 3); // "GUSTY"
        h.chooseMenu(handMade ? 258 : 261, handMade ? 5 : 2); // "DO IT YOURSELF" or "NEW BATTLEFIELD"
        h.chooseMenu(262, 1);
        if (handMade) {
            h.waitUntil("the editor paints", [](const ScriptedHost& s) { return s.cursor() == CursorKind::cross; });
            h.waitForCalls(HostOp::button, 1);
            // The ground, "CONTINUE", the left cannon's "PLACE CANNON" and spot, then the right one's.
            for (const auto& [column, row] : {std::pair{255, 200}, {260, 295}, {150, 295}, {200, 266}, {380, 295},
                                              {312, 266}}) {
                h.moveMouse(WindowID::field, column, row);
                h.waitTicks(1);
                h.pressAt(WindowID::field, column, row);
                h.waitTicks(2);
                h.release();
                h.waitTicks(2);
            }
        }
        std::set<std::pair<int64_t, int64_t>> winds;
        for (int turn = 0; turn < 6; ++turn) {
            g.whenAiming("the windsock shows the wind", [&] {
                const int64_t base = game.gSockBase;
                winds.insert({game.gWindDir, game.gWindSpeed});
                EXPECT_TRUE(!handMade || base == 202);
                EXPECT_TRUE(g.pixel(255, base - 43) && !g.pixel(255, base - 44)) << "the pole";
                EXPECT_FALSE(game.gWindKept);
                const int64_t push = game.gWindSpeed * 4 / 10;
                EXPECT_EQ(game.gWindLeft, game.gWindDir == 1 ? push : -push);
                EXPECT_EQ(game.gWindRight, -game.gWindLeft);
                // The flag is black on the side the wind blows to; the sky on the other side is white.
                const Rect right = tlbr(base - 39, 256, base - 29, 274), left = tlbr(base - 39, 236, base - 29, 254);
                EXPECT_GT(g.blackIn(game.gWindDir == 1 ? right : left), 18 * 10 / 2);
                EXPECT_EQ(g.blackIn(game.gWindDir == 1 ? left : right), 0);
            });
            g.scriptShot(turn % 2 == 0 ? leftPanel : rightPanel, harmless);
        }
        g.waitForAiming();
        h.chooseMenu(262, 2);
        h.quit();
        g.play([&] { game.run(); });
        EXPECT_TRUE(h.scriptDone()) << h.nextStep();
        EXPECT_GT(winds.size(), 2u) << "a new wind each turn";
    }
}

} // namespace
