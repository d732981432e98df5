// Battle flow: who opens a battle (the outs rule), stopping a battle, which menus are offered when, and
// the new field after every battle.
#include <gtest/gtest.h>

#include <algorithm>

#include "BattleHarness.h"

namespace {

using battle::Aim;
using battle::BattleGame;
using battle::leftPanel;
using battle::range;
using battle::rightPanel;

// A shot that flies over the top and out at the side: it touches nothing.
constexpr Aim harmless{100, 89};

bool hits(const Ordnix& g, const QuickDraw::Rect& r) { return g.gLanded && r.contains(g.gHitPt); }

// Finds an aim for the shooter that lands inside the enemy cannon's rectangle, trying seeds until the
// field allows one; returns the game ready for a battle on that field.
struct KillSetup {
    std::unique_ptr<BattleGame> g;
    Aim aim;
};
KillSetup killSetup(int64_t shooter, int32_t firstSeed) {
    for (int32_t seed = firstSeed; seed < firstSeed + 40; ++seed) {
        auto g = std::make_unique<BattleGame>(seed);
        g->startUp();
        const auto wanted = [shooter](const Ordnix& game) {
            return hits(game, shooter == 1 ? game.gCanRRect : game.gCanLRect);
        };
        const std::optional<Aim> aim = g->findAim(shooter, wanted, range(30, 60, 5), range(20, 100, 2));
        if (aim)
            return {std::move(g), *aim};
    }
    ADD_FAILURE() << "no field with a hit from seed " << firstSeed;
    return {};
}

struct OutsCase {
    int64_t killedSide; // whose cannon the first battle destroys
    bool losersOut;
    int64_t opener; // who opens the second battle
};

TEST(BattleFlow, TheOutsRuleChoosesTheOpenerOfTheNextBattle) {
    const OutsCase cases[] = {
        {1, true, 1},  // left cannon destroyed, losers out: left opens
        {1, false, 2}, // winners out: right opens
        {2, true, 2},
        {2, false, 1},
    };
    for (const OutsCase& c : cases) {
        SCOPED_TRACE("killed " + std::to_string(c.killedSide) + (c.losersOut ? ", losers out" : ", winners out"));
        // The right cannon falls to the left player's first shot; the left one to the right player's
        // shot after a harmless left shot.
        const int64_t shooter = c.killedSide == 2 ? 1 : 2;
        KillSetup setup = killSetup(shooter, 300 + static_cast<int32_t>(shooter) * 100);
        ASSERT_TRUE(setup.g);
        BattleGame& g = *setup.g;
        g.game.gLosersOut = c.losersOut;
        if (shooter == 2) {
            g.scriptAim(leftPanel, harmless);
            g.scriptFire(leftPanel);
            g.scriptAim(rightPanel, setup.aim);
            g.scriptFire(rightPanel);
        } else {
            g.scriptAim(leftPanel, setup.aim);
            g.scriptFire(leftPanel);
        }
        g.play([&] { g.game.startBattle(); });
        EXPECT_TRUE(g.host->scriptDone()) << g.host->nextStep();
        EXPECT_TRUE(g.game.gBattleOver);
        EXPECT_EQ(g.game.gKilled, c.killedSide);
        EXPECT_EQ(g.game.gScoreL, shooter == 1 ? 10 : 0);
        EXPECT_EQ(g.game.gScoreR, shooter == 2 ? 10 : 0);
        EXPECT_EQ(g.game.gNewField, 1) << "a new field is due";

        // The next battle on a new field: its opener aims first; then it is stopped.
        g.waitForAiming();
        g.host->perform("the opener aims", [&](ScriptedHost&) {
            EXPECT_EQ(g.game.gTurn, c.opener);
            EXPECT_EQ(g.game.gPanelLeft, c.opener == 1 ? 1 : 251);
        });
        g.host->chooseMenu(262, 2);
        g.play([&] {
            g.game.buildField();
            g.game.startBattle();
        });
        EXPECT_TRUE(g.host->scriptDone()) << g.host->nextStep();
        EXPECT_TRUE(g.game.gStopBattle);
        EXPECT_EQ(g.game.gKilled, c.killedSide) << "a stopped battle keeps the last destroyed cannon";
    }
}

TEST(BattleFlow, WithNoCannonDestroyedTheStoppedShooterOpensAgain) {
    BattleGame g(5150);
    Ordnix& game = g.game;
    ScriptedHost& h = *g.host;
    // First battle: left shoots harmlessly, right is stopped while aiming.
    h.chooseMenu(262, 1);
    g.scriptAim(leftPanel, harmless);
    g.scriptFire(leftPanel);
    g.waitForAiming();
    h.perform("right aims", [&](ScriptedHost&) { EXPECT_EQ(game.gTurn, 2); });
    h.chooseMenu(262, 2);
    // Second battle, on a new field.
    h.chooseMenu(262, 1);
    g.waitForAiming();
    h.perform("the right player opens", [&](ScriptedHost&) {
        EXPECT_EQ(game.gKilled, 0);
        EXPECT_EQ(game.gTurn, 2);
        EXPECT_EQ(game.gPanelLeft, 251);
    });
    h.chooseMenu(262, 2);
    // "NEW GAME" gives the first turn back to the left player.
    h.chooseMenu(261, 1);
    h.chooseMenu(262, 1);
    g.waitForAiming();
    h.perform("the left player opens a new game", [&](ScriptedHost&) { EXPECT_EQ(game.gTurn, 1); });
    h.chooseMenu(262, 2);
    h.quit();
    g.play([&] { game.run(); });
    EXPECT_TRUE(h.scriptDone()) << h.nextStep();
    EXPECT_EQ(std::count(h.soundsPlayed().begin(), h.soundsPlayed().end(), 128), 1) << "one shot was fired";
    EXPECT_EQ(game.gScoreL, 0);
    EXPECT_EQ(game.gScoreR, 0);
}

// The published state of one menu: whole menu and the two Battle items.
struct MenuView {
    bool otherMenusOn;
    bool battleMenuOn;
    bool startOn;
    bool stopOn;
};
MenuView menuView(const ScriptedHost& h) {
    MenuView view{true, false, false, false};
    for (int64_t id : {256, 257, 258, 259, 260, 261, 263, 264}) {
        const MenuState* m = h.menu(id);
        view.otherMenusOn = view.otherMenusOn && m != nullptr && m->enabled;
    }
    const MenuState* battle = h.menu(262);
    if (battle != nullptr) {
        view.battleMenuOn = battle->enabled;
        view.startOn = battle->itemEnabled[1];
        view.stopOn = battle->itemEnabled[2];
    }
    return view;
}

TEST(BattleFlow, MenusFollowTheAvailabilityTableAndStopWorksForEitherPlayer) {
    BattleGame g(6060);
    Ordnix& game = g.game;
    ScriptedHost& h = *g.host;

    h.waitForMenuPoll();
    h.perform("waiting between battles", [&](ScriptedHost& host) {
        const MenuView v = menuView(host);
        EXPECT_TRUE(v.otherMenusOn && v.battleMenuOn && v.startOn);
        EXPECT_FALSE(v.stopOn);
    });
    h.chooseMenu(262, 1);
    g.waitForAiming();
    h.perform("a player aims", [&](ScriptedHost& host) {
        const MenuView v = menuView(host);
        EXPECT_FALSE(v.otherMenusOn);
        EXPECT_TRUE(v.battleMenuOn);
        EXPECT_FALSE(v.startOn);
        EXPECT_TRUE(v.stopOn);
    });
    // Disabled choices while aiming reach the battle as nothing.
    const int64_t terrainBefore = 0;
    h.chooseMenu(258, 3); // "FOOTHILLS"
    h.chooseMenu(261, 1); // "NEW GAME"
    h.chooseMenu(262, 1); // "START A BATTLE"
    h.chooseMenuRaw(-1);
    g.waitForAiming();
    h.perform("still aiming", [&](ScriptedHost&) {
        EXPECT_EQ(game.gTerrain, terrainBefore);
        EXPECT_FALSE(game.gStopBattle);
        EXPECT_EQ(game.gTurn, 1);
    });
    g.scriptAim(leftPanel, {20, 45});
    g.scriptFire(leftPanel);
    h.waitUntil("in flight", [](const ScriptedHost& host) { return !host.cursorVisible(); });
    h.perform("in flight", [&](ScriptedHost& host) {
        const MenuView v = menuView(host);
        EXPECT_FALSE(v.otherMenusOn);
        EXPECT_FALSE(v.battleMenuOn);
        EXPECT_FALSE(host.readyForMenus());
        EXPECT_FALSE(host.offerMenuChoice((262 << 16) | 2)) << "no menu can be chosen during a flight";
    });
    g.waitForAiming();
    h.perform("the right player aims", [&](ScriptedHost&) {
        EXPECT_EQ(game.gTurn, 2);
        EXPECT_FALSE(game.gStopBattle) << "the choice offered during the flight was dropped";
    });
    h.chooseMenu(262, 2); // stopped while the right player aims
    h.waitForMenuPoll();
    h.perform("after the battle", [&](ScriptedHost& host) {
        const MenuView v = menuView(host);
        EXPECT_TRUE(v.otherMenusOn && v.battleMenuOn && v.startOn);
        EXPECT_FALSE(v.stopOn);
        EXPECT_TRUE(game.gStopBattle);
        EXPECT_EQ(game.gNewField, 0) << "the new field is already drawn";
    });
    h.chooseMenu(262, 1);
    g.waitForAiming();
    h.chooseMenu(262, 2); // stopped while the opener (right, nobody destroyed) aims
    h.quit();
    g.play([&] { game.run(); });
    EXPECT_TRUE(h.scriptDone()) << h.nextStep();
    EXPECT_EQ(std::count(h.soundsPlayed().begin(), h.soundsPlayed().end(), 128), 1) << "stopping fires nothing";
    // One field at start-up and one after each of the two battles: the watch cursor shows each time.
    EXPECT_EQ(std::count(h.cursorChanges().begin(), h.cursorChanges().end(), CursorKind::watch), 3);
    EXPECT_TRUE(h.cursorVisible());
}

TEST(BattleFlow, AStoppedBattleLeavesThePanelBlackAndDrawsANewField) {
    BattleGame g(7070);
    Ordnix& game = g.game;
    ScriptedHost& h = *g.host;
    std::vector<uint8_t> during;
    h.chooseMenu(262, 1);
    g.waitForAiming();
    h.chooseMenu(262, 2);
    h.waitUntil("the battle has ended", [&](const ScriptedHost& host) {
        return game.gStopBattle && game.gNewField == 1 && host.menu(256)->enabled; // the menus are back
    });
    h.perform("the last picture of the battle", [&](ScriptedHost&) {
        EXPECT_EQ(g.blackIn(Ordnix::rectTLBR(288, 7, 307, 250)), (307 - 288) * (250 - 7))
            << "the panel disappears into the black ground";
        during = g.bits();
    });
    h.waitForMenuPoll();
    h.perform("a new field", [&](ScriptedHost&) { EXPECT_NE(g.bits(), during); });
    h.quit();
    g.play([&] { game.run(); });
    EXPECT_TRUE(h.scriptDone()) << h.nextStep();
}

} // namespace
