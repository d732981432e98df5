// The computer player: its aim on a simulated copy of the field, and its hand on the panel, in games
// played against the scripted host.
#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <vector>

#include "ComputerPlayer.h"
#include "Ordnix.h"
#include "PanelDriver.h"
#include "ScriptedHost.h"
#include "ShotSimulator.h"

namespace {

constexpr int64_t battleMenu = 262, startItem = 1, stopItem = 2;

// core -> PanelDriver -> ScriptedHost, on the documented start-up field (an empty desert, no wind).
struct DrivenGame {
    explicit DrivenGame(int32_t seed) {
        host->setRandSeed(seed);
        host->setIdleMicroseconds(4000); // fewer host calls per tick; the game's pacing is unchanged
        host->setTimeLimitTicks(60 * 60 * 60);
        driver->attach(game);
    }
    std::shared_ptr<ScriptedHost> host = std::make_shared<ScriptedHost>();
    std::shared_ptr<PanelDriver> driver = std::make_shared<PanelDriver>(host, 99);
    Ordnix game{driver};

    bool offered(int64_t item) const {
        const MenuState* m = host->menu(battleMenu);
        return m != nullptr && m->enabled && m->itemEnabled[static_cast<size_t>(item)];
    }
    // A player aims: only "STOP A BATTLE" is offered and the loop polls for it.
    bool aiming() const { return host->readyForMenus() && offered(stopItem) && !offered(startItem) && !game.gFired; }
    bool atRest() const { return host->corePollsForMenus() && offered(startItem) && game.gNewField == 0; }
};

// Everything of the live game that a simulated shot could disturb.
auto liveState(Ordnix& g) {
    return std::make_tuple(g.window(WindowID::field).port().bitmap.bits(), g.randSeed(), g.gScoreL, g.gScoreR,
                           g.gTurn, g.gPowderL, g.gElevL, g.gMuzzleLDX, g.gMuzzleLDY, g.gLCanDead, g.gRCanDead,
                           g.gKilled, g.gBallX, g.gBallY, g.gLanded, g.gFired, g.gBattleOver);
}

TEST(ComputerPlayerTest, DeadlyDestroysTheOtherCannonFirstShotAndItsSimulationTouchesNothingLive) {
    DrivenGame g(1234);
    g.driver->setPlayer(1, PanelDriver::Player{Skill::deadly});
    int64_t aimingTick = -1, firedTick = -1;
    g.host->waitUntil("the field", [&](const ScriptedHost&) { return g.atRest(); });
    g.host->chooseMenu(battleMenu, startItem);
    g.host->waitUntil("the left player aims", [&](const ScriptedHost&) { return g.aiming(); });
    g.host->perform("a search on the copy", [&](ScriptedHost& h) {
        aimingTick = h.ticks();
        const auto before = liveState(g.game);
        ShotSimulator simulator;
        simulator.load(g.game);
        const auto [shot, outcome] = simulator.bestShot(1);
        EXPECT_TRUE(outcome.enemyCannonDestroyed);
        EXPECT_FALSE(outcome.ownCannonDestroyed);
        EXPECT_EQ(outcome.scoreChange, g.game.gValLRCannon);
        EXPECT_TRUE(liveState(g.game) == before) << "the live game changed under the simulation";
    });
    g.host->waitUntil("fired", [&](const ScriptedHost& h) {
        firedTick = h.ticks();
        return g.game.gFired;
    });
    g.host->waitUntil("the battle's end", [&](const ScriptedHost&) { return g.atRest(); });
    g.host->quit();
    ASSERT_TRUE(g.host->run([&] { g.game.run(); }));

    EXPECT_TRUE(g.game.gRCanDead);
    EXPECT_FALSE(g.game.gLCanDead);
    EXPECT_EQ(g.driver->computerShots(1), 1);
    EXPECT_EQ(g.game.gScoreL, 10); // the default value of the enemy cannon
    EXPECT_GE(firedTick - aimingTick, PanelDriver::fireTick - 1);
    EXPECT_LE(firedTick - aimingTick, 3 * 60) << "Fire within three seconds";
    EXPECT_TRUE(g.host->protocolErrors().empty());
}

// The person plays the right cannon and answers from the menus and the panel as the game goes on;
// the computer plays the left one. Battle 1: the person clicks the panel during the computer's turn
// (ignored). Battle 3: the person stops the battle during the computer's turn.
TEST(ComputerPlayerTest, PlaysBattlesAgainstAPersonIgnoresTheirClicksAndYieldsToStop) {
    DrivenGame g(77);
    g.driver->setPlayer(1, PanelDriver::Player{Skill::good});
    struct Seen {
        int64_t battles = 0, personShots = 0;
        bool clickedDuringComputer = false, checkedClick = false, stopped = false;
        int64_t shotsWhenStopped = -1;
        std::vector<bool> cannonFell; // per ended battle
    } seen;
    const int64_t personPowderColumn = 6 + 89 + 80; // the left panel's powder 90

    std::function<void(ScriptedHost&)> react = [&](ScriptedHost& h) {
        Ordnix& game = g.game;
        if (g.atRest()) {
            if (seen.battles > static_cast<int64_t>(seen.cannonFell.size()))
                seen.cannonFell.push_back(game.gLCanDead || game.gRCanDead);
            if (seen.battles == 3) {
                h.quit();
                return;
            }
            ++seen.battles;
            // The person's pointer rests on the left powder slider: the computer's hand starts from
            // there and crosses the slider while it thinks, where a press would set the powder.
            h.setMouse(WindowID::field, personPowderColumn, 290);
            h.chooseMenuNow(battleMenu, startItem);
        } else if (g.aiming() && game.gTurn == 2) {
            ++seen.personShots;
            h.setMouse(WindowID::field, 256 + 215, 298); // "Fire" of the right panel
            h.setButton(true);
            h.setButton(false);
        } else if (g.aiming() && game.gTurn == 1 && seen.battles == 1 && !seen.clickedDuringComputer) {
            seen.clickedDuringComputer = true;
            h.setButton(true);
            h.setButton(false);
        } else if (g.aiming() && game.gTurn == 1 && seen.clickedDuringComputer && !seen.checkedClick) {
            seen.checkedClick = true;
            // Still thinking: the battle's starting powder, whatever the person pressed.
            EXPECT_EQ(game.gPowderL, 10) << "the person's press moved the computer's slider";
        } else if (g.aiming() && game.gTurn == 1 && seen.battles == 3 && !seen.stopped) {
            seen.stopped = true;
            seen.shotsWhenStopped = g.driver->computerShots(1);
            h.chooseMenuNow(battleMenu, stopItem);
        }
        h.waitTicks(3);
        h.perform("the person looks", react);
    };
    g.host->perform("the person looks", react);
    ASSERT_TRUE(g.host->run([&] { g.game.run(); }));

    ASSERT_EQ(seen.cannonFell.size(), 3u);
    EXPECT_TRUE(seen.checkedClick);
    EXPECT_TRUE(seen.cannonFell[0]) << "battle 1 ends only with a destroyed cannon";
    EXPECT_TRUE(seen.cannonFell[1]);
    EXPECT_TRUE(seen.stopped);
    EXPECT_FALSE(seen.cannonFell[2]) << "the stopped battle ends without a destroyed cannon";
    EXPECT_TRUE(g.game.gStopBattle);
    EXPECT_EQ(g.driver->computerShots(1), seen.shotsWhenStopped) << "no shot after STOP A BATTLE";
    EXPECT_TRUE(g.host->protocolErrors().empty());
}

} // namespace
