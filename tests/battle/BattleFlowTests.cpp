// Battle flow: stopping a battle, which menus are offered when, the new field after every battle, and a
// new wind every turn.
#include <algorithm>
#include <array>
#include <set>

#include "BattleHarness.h"

namespace {

using namespace battle;

constexpr Aim harmless{100, 89}; // over the top and out at the side: touches nothing

// What the players can choose: every menu but Battle, the Battle menu, "START A BATTLE", "STOP A BATTLE".
std::array<bool, 4> menuView(const ScriptedHost& h) {
    bool others = true;
    for (int64_t id : {256, 257, 258, 259, 260, 261, 263, 264})
        others = others && h.menu(id)->enabled;
    const MenuState* b = h.menu(262);
    return {others, b->enabled, b->enabled && b->itemEnabled[1], b->enabled && b->itemEnabled[2]};
}

TEST(BattleFlow, MenusFollowTheAvailabilityTableStopEndsEitherTurnAndEveryBattleBringsANewField) {
    BattleGame g(6060);
    Ordnix& game = g.game;
    ScriptedHost& h = *g.host;
    using View = std::array<bool, 4>;
    const View waiting{true, true, true, false}, aiming{false, true, false, true}, flying{false, false, false, false};
    const auto opener = [&](const char* what, int64_t turn) {
        g.whenAiming(what, [&, turn] {
            EXPECT_EQ(menuView(h), aiming);
            EXPECT_TRUE(game.gTurn == turn && !game.gStopBattle);
            const bool left = turn == 1;
            EXPECT_TRUE((left ? game.gPowderL : game.gPowderR) == 10 && (left ? game.gElevL : game.gElevR) == 0)
                << "the shooter is at powder 10 and elevation 0, as every battle starts";
            EXPECT_EQ(game.gPanelLeft, left ? 1 : 251);
        });
    };

    h.waitForMenuPoll();
    h.perform("waiting", [&](ScriptedHost& host) { EXPECT_EQ(menuView(host), waiting); });
    h.chooseMenu(262, 1);
    // Disabled choices while aiming ("FOOTHILLS", "NEW GAME", "START A BATTLE", none) reach it as nothing.
    g.waitForAiming();
    h.chooseMenu(258, 3);
    h.chooseMenu(261, 1);
    h.chooseMenu(262, 1);
    h.chooseMenuRaw(-1);
    opener("still the first turn", 1);
    g.scriptShot(leftPanel, {20, 45});
    h.waitUntil("in flight", [](const ScriptedHost& host) { return !host.cursorVisible(); });
    h.perform("in flight", [&](ScriptedHost& host) {
        EXPECT_EQ(menuView(host), flying);
        EXPECT_FALSE(host.offerMenuChoice((262 << 16) | 2)) << "no menu can be chosen during a flight";
    });
    opener("the right player aims", 2);
    h.chooseMenu(262, 2);
    std::vector<uint8_t> lastPicture;
    h.waitUntil("the battle has ended", [&](const ScriptedHost& host) { return menuView(host) == waiting; });
    h.perform("the last picture of the battle", [&](ScriptedHost&) {
        EXPECT_TRUE(game.gStopBattle);
        EXPECT_EQ(game.gNewField, 1);
        EXPECT_EQ(g.blackIn(tlbr(288, 252, 307, 500)), 19 * 248) << "the panel disappears into the ground";
        EXPECT_EQ(game.gTerrain, 0) << "the disabled \"FOOTHILLS\" changed nothing";
        lastPicture = g.field().bits();
    });
    h.waitForMenuPoll();
    h.perform("a new field", [&](ScriptedHost&) {
        EXPECT_EQ(game.gNewField, 0);
        EXPECT_NE(g.field().bits(), lastPicture);
    });
    h.chooseMenu(262, 1);
    opener("no cannon destroyed yet: the stopped right player opens", 2); // the outs rule's fifth case
    h.chooseMenu(262, 2);
    h.chooseMenu(261, 1); // "NEW GAME" gives the first turn back to the left player
    h.chooseMenu(262, 1);
    opener("the left player opens a new game", 1);
    h.chooseMenu(262, 2);
    h.quit();
    g.play([&] { game.run(); });
    EXPECT_TRUE(h.scriptDone()) << h.nextStep();
    EXPECT_EQ(std::count(h.soundsPlayed().begin(), h.soundsPlayed().end(), 128), 1) << "stopping fires nothing";
    EXPECT_EQ(game.gScoreL + game.gScoreR, 0);
    // A field at start-up, after each of the three battles and after "NEW GAME".
    EXPECT_EQ(std::count(h.cursorChanges().begin(), h.cursorChanges().end(), CursorKind::watch), 5);
    EXPECT_TRUE(h.cursorVisible());
}

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
