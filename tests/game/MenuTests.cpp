// Every menu command's effect on the game state, the check marks and the field, through the main loop.
#include "GameTestSupport.h"

#include <algorithm>
#include <map>

using namespace gametest;

namespace {

struct Choice {
    int64_t menu;
    int64_t item;
};

// What a scenario saw: whether the last command made the loop draw a new field.
struct Outcome {
    bool redrawn = false;
};

struct Scenario {
    std::string name;
    std::vector<Choice> choices;
    std::function<void(Game&, const Outcome&)> check;
    // Extra script steps right before the last choice (for state to be prepared).
    std::function<void(Game&)> before = nullptr;
};

std::vector<int64_t> checkedItems(const ScriptedHost& host, int64_t menu) {
    std::vector<int64_t> items;
    const MenuState* m = host.menu(menu);
    if (m == nullptr)
        return items;
    for (int64_t i = 1; i <= m->itemCount(); ++i)
        if (m->itemChecked[static_cast<size_t>(i)])
            items.push_back(i);
    return items;
}

using Items = std::vector<int64_t>;

// Plays the choices through run(); the field's change count is sampled before and after the last one.
Outcome play(Game& g, const Scenario& s) {
    int64_t before = -1;
    int64_t after = -1;
    for (size_t i = 0; i + 1 < s.choices.size(); ++i)
        g.host->chooseMenu(s.choices[i].menu, s.choices[i].item);
    g.host->waitTicks(3);
    if (s.before)
        s.before(g);
    g.host->waitForMenuPoll();
    g.host->perform("sample", [&](ScriptedHost&) { before = g.field().changeCount(); });
    g.host->chooseMenu(s.choices.back().menu, s.choices.back().item);
    g.host->waitForMenuPoll();
    g.host->perform("sample", [&](ScriptedHost&) { after = g.field().changeCount(); });
    g.host->quit();
    EXPECT_TRUE(g.host->run([&] { g.game.run(); }));
    EXPECT_TRUE(g.game.finished);
    EXPECT_TRUE(g.host->protocolErrors().empty());
    return Outcome{after != before};
}

std::vector<Scenario> scenarios() {
    std::vector<Scenario> list;
    // Terrain: radio marks, roughness, the terrain number; the field stays until the next battlefield.
    const int64_t roughness[] = {0, 0, 3, 8, 35, 35};
    for (int64_t n = 1; n <= 5; ++n) {
        list.push_back({"terrain " + std::to_string(n), {{258, n}}, [n, roughness](Game& g, const Outcome& o) {
                            EXPECT_EQ(checkedItems(*g.host, 258), Items{n});
                            EXPECT_EQ(g.game.gRoughness, roughness[n]);
                            EXPECT_EQ(g.game.gTerrain, n - 1);
                            EXPECT_FALSE(o.redrawn);
                        }});
    }
    // Leaving "DO IT YOURSELF" for a generated terrain draws a new field at once; choosing it again does not.
    for (int64_t n = 1; n <= 5; ++n) {
        list.push_back({"do it yourself, then terrain " + std::to_string(n), {{258, 5}, {258, n}}, [n](Game& g, const Outcome& o) {
                            EXPECT_EQ(checkedItems(*g.host, 258), Items{n});
                            EXPECT_EQ(g.game.gTerrain, n - 1);
                            EXPECT_EQ(o.redrawn, n != 5);
                            EXPECT_EQ(g.game.gNewField, 0);
                            if (n == 1) {
                                EXPECT_EQ(g.game.gCanLY, g.game.gCanRY) << "the new field is a desert";
                            }
                        }});
    }
    // Targets: independent on/off marks.
    struct Toggle {
        int64_t item;
        int64_t Ordnix::*counter;
    };
    // Switching a building kind on zeroes its two rectangles (no stale target of an earlier field can be
    // hit); switching it off, or the trees, leaves every rectangle as it was.
    static const Rect stale = tlbr(100, 100, 136, 129);
    auto staleRects = [](Game& g) {
        g.host->perform("stale rectangles", [&](ScriptedHost&) {
            g.game.gLHospRect = g.game.gRHospRect = g.game.gLPostRect = g.game.gRPostRect = stale;
        });
    };
    auto rects = [](const Ordnix& game) {
        return std::array<Rect, 4>{game.gLHospRect, game.gRHospRect, game.gLPostRect, game.gRPostRect};
    };
    for (Toggle t : {Toggle{1, &Ordnix::gHospitals}, Toggle{2, &Ordnix::gPosts}, Toggle{3, &Ordnix::gTrees}}) {
        list.push_back({"targets item " + std::to_string(t.item) + " once", {{259, t.item}},
                        [t, rects](Game& g, const Outcome& o) {
                            EXPECT_EQ(checkedItems(*g.host, 259), Items{t.item});
                            EXPECT_EQ(g.game.*t.counter, 1);
                            EXPECT_FALSE(o.redrawn);
                            const Rect hosp = t.item == 1 ? Rect::zero : stale;
                            const Rect post = t.item == 2 ? Rect::zero : stale;
                            EXPECT_EQ(rects(g.game), (std::array<Rect, 4>{hosp, hosp, post, post}));
                        },
                        staleRects});
        list.push_back({"targets item " + std::to_string(t.item) + " twice", {{259, t.item}, {259, t.item}},
                        [t, rects](Game& g, const Outcome&) {
                            EXPECT_EQ(checkedItems(*g.host, 259), Items{});
                            EXPECT_EQ(g.game.*t.counter, 0);
                            EXPECT_EQ(rects(g.game), (std::array<Rect, 4>{stale, stale, stale, stale}));
                        },
                        staleRects});
    }
    list.push_back({"all three targets", {{259, 1}, {259, 3}, {259, 2}}, [](Game& g, const Outcome&) {
                        EXPECT_EQ(checkedItems(*g.host, 259), (Items{1, 2, 3}));
                    }});
    // Wind.
    const int64_t windMax[] = {0, 0, 4, 14};
    for (int64_t n = 1; n <= 3; ++n) {
        list.push_back({"wind " + std::to_string(n), {{260, 3}, {260, n}}, [n, windMax](Game& g, const Outcome& o) {
                            EXPECT_EQ(checkedItems(*g.host, 260), Items{n});
                            EXPECT_EQ(g.game.gWindMax, windMax[n]);
                            EXPECT_EQ(g.game.gWindKept, n != 1);
                            if (n == 1) {
                                EXPECT_EQ(g.game.gWindLeft, 0);
                                EXPECT_EQ(g.game.gWindRight, 0);
                            }
                            EXPECT_FALSE(o.redrawn);
                        },
                        [](Game& g) {
                            g.host->perform("a wind blows", [&](ScriptedHost&) {
                                g.game.gWindLeft = 2;
                                g.game.gWindRight = -2;
                            });
                        }});
    }
    // R&R.
    list.push_back({"new game", {{261, 1}}, [](Game& g, const Outcome& o) {
                        EXPECT_EQ(g.game.gScoreL, 0);
                        EXPECT_EQ(g.game.gScoreR, 0);
                        EXPECT_EQ(g.game.gKilled, 0);
                        EXPECT_EQ(g.game.gTurn, 1);
                        EXPECT_TRUE(o.redrawn);
                        EXPECT_EQ(g.game.gNewField, 0);
                        EXPECT_EQ(checkedItems(*g.host, 261), Items{});
                        EXPECT_EQ(g.field().dump(tlbr(0, 0, 20, 512)), expectedScoreLine(0, 0));
                    },
                    [](Game& g) {
                        g.host->perform("a game under way", [&](ScriptedHost&) {
                            g.game.gScoreL = 30;
                            g.game.gScoreR = -15;
                            g.game.gKilled = 2;
                            g.game.gTurn = 2;
                        });
                    }});
    list.push_back({"new battlefield", {{261, 2}}, [](Game& g, const Outcome& o) {
                        EXPECT_TRUE(o.redrawn);
                        EXPECT_EQ(g.game.currentWindow().id(), WindowID::field);
                        EXPECT_EQ(g.game.gScoreL, 12) << "scores stay";
                        EXPECT_EQ(g.field().dump(tlbr(0, 0, 20, 512)), expectedScoreLine(12, 0));
                    },
                    [](Game& g) {
                        g.host->perform("another port, a score", [&](ScriptedHost&) {
                            g.game.setPort(g.game.window(WindowID::targets));
                            g.game.gScoreL = 12;
                        });
                    }});
    list.push_back({"hide settings", {{261, 3}}, [](Game& g, const Outcome& o) {
                        EXPECT_EQ(checkedItems(*g.host, 261), Items{3});
                        EXPECT_TRUE(g.game.gHideSettings);
                        EXPECT_FALSE(o.redrawn);
                    }});
    list.push_back({"hide settings twice", {{261, 3}, {261, 3}}, [](Game& g, const Outcome&) {
                        EXPECT_EQ(checkedItems(*g.host, 261), Items{});
                        EXPECT_FALSE(g.game.gHideSettings);
                    }});
    // Sound: radio marks and the host volume item - 1.
    for (int64_t n = 1; n <= 8; ++n) {
        list.push_back({"sound " + std::to_string(n), {{263, n}}, [n](Game& g, const Outcome& o) {
                            EXPECT_EQ(checkedItems(*g.host, 263), Items{n});
                            EXPECT_EQ(g.host->volumeWrites().at(1), n - 1);
                            EXPECT_FALSE(o.redrawn);
                        }});
    }
    // Explosions.
    for (int64_t n = 1; n <= 2; ++n) {
        list.push_back({"explosions " + std::to_string(n), {{264, 3 - n}, {264, n}}, [n](Game& g, const Outcome&) {
                            EXPECT_EQ(checkedItems(*g.host, 264), Items{n});
                            EXPECT_EQ(g.game.gTunnels, n == 1);
                        }});
    }
    return list;
}

TEST(Menus, EveryCommandChangesStateAndMarksByTheRules) {
    for (const Scenario& s : scenarios()) {
        SCOPED_TRACE(s.name);
        Game g(97);
        const Outcome o = play(g, s);
        s.check(g, o);
        // Every menu is on again between commands, and only STOP A BATTLE is off.
        for (const MenuState& m : g.host->menus()) {
            EXPECT_TRUE(m.enabled) << "menu " << m.id;
            for (int64_t i = 1; i <= m.itemCount(); ++i)
                EXPECT_EQ(m.itemEnabled[static_cast<size_t>(i)], !(m.id == 262 && i == 2)) << "menu " << m.id << " item " << i;
        }
    }
}

TEST(Menus, AboutWaitsForTheBoxAndKeepsItsItem) {
    Game g;
    g.host->chooseMenu(256, 1);
    g.host->answerDialog(1001, {1});
    g.host->waitForMenuPoll();
    int64_t item = -1;
    g.host->perform("note", [&](ScriptedHost&) { item = g.game.gMenuItem; });
    g.host->quit();
    g.play([&] { g.game.run(); });
    ASSERT_EQ(g.host->alerts().size(), 1u);
    EXPECT_EQ(g.host->alerts()[0].id, 1001);
    EXPECT_EQ(item, 1);
}

TEST(Menus, OptionDialogsAndScreensAreReachable) {
    {
        SCOPED_TRACE("OUTS");
        Game g;
        g.host->chooseMenu(261, 4);
        g.host->answerDialog(1000, {1, 3});
        g.host->quit();
        g.play([&] { g.game.run(); });
        EXPECT_FALSE(g.game.gLosersOut);
        ASSERT_EQ(g.host->dialogs().size(), 1u);
        EXPECT_TRUE(g.host->dialogs()[0].closed);
    }
    {
        SCOPED_TRACE("PLAYER TYPE");
        Game g;
        g.host->chooseMenu(261, 5);
        g.host->answerDialog(1002, {2, 3});
        g.host->quit();
        g.play([&] { g.game.run(); });
        EXPECT_FALSE(g.game.gRambo);
        ASSERT_EQ(g.host->dialogs().size(), 1u);
        EXPECT_EQ(g.host->dialogs()[0].id, 1002);
        EXPECT_TRUE(g.host->dialogs()[0].closed);
    }
    {
        SCOPED_TRACE("SET BALL SPEED");
        Game g;
        g.host->chooseMenu(261, 6);
        g.host->waitForWindowShown(WindowID::ballSpeed);
        g.host->waitTicks(2);
        g.host->clickAt(WindowID::ballSpeed, 240, 120); // "OK"
        g.host->quit();
        g.play([&] { g.game.run(); });
        EXPECT_EQ(g.game.gBallDelay, 560);
        EXPECT_FALSE(g.host->windowShown(WindowID::ballSpeed));
        EXPECT_EQ(g.game.currentWindow().id(), WindowID::field);
    }
    {
        SCOPED_TRACE("SET TARGET VALUES");
        Game g;
        g.host->chooseMenu(259, 5);
        g.host->waitForWindowShown(WindowID::targets);
        g.host->waitTicks(2);
        g.host->clickAt(WindowID::targets, 370, 270); // "OK"
        g.host->quit();
        g.play([&] { g.game.run(); });
        EXPECT_FALSE(g.host->windowShown(WindowID::targets));
        EXPECT_EQ(g.game.currentWindow().id(), WindowID::field);
        EXPECT_EQ(g.game.gValLRCannon, 10);
    }
}

TEST(Menus, StartAndStopABattleBringsANewField) {
    Game g(321);
    g.host->setTimeLimitTicks(60 * 60 * 30);
    g.host->chooseMenu(262, 1);
    g.host->waitUntil("a player aims", [](const ScriptedHost& h) {
        const MenuState* battle = h.menu(262);
        return h.readyForMenus() && battle != nullptr && battle->enabled && battle->itemEnabled[2];
    });
    std::vector<MenuState> aimingMenus;
    g.host->perform("note", [&](ScriptedHost& h) { aimingMenus = h.menus(); });
    g.host->chooseMenu(262, 2);
    g.host->waitForMenuPoll();
    g.host->quit();
    g.play([&] { g.game.run(); });

    // While aiming only the Battle menu and its STOP item are on.
    ASSERT_EQ(aimingMenus.size(), 9u);
    for (const MenuState& m : aimingMenus)
        EXPECT_EQ(m.enabled, m.id == 262) << "menu " << m.id;
    EXPECT_TRUE(g.game.gStopBattle);
    EXPECT_TRUE(g.game.gBattleOver);
    EXPECT_EQ(g.game.gNewField, 0) << "the next field has been drawn";
    EXPECT_EQ(g.game.gScoreL, 0);
    const MenuState* battle = g.host->menu(262);
    ASSERT_NE(battle, nullptr);
    EXPECT_TRUE(battle->itemEnabled[1]);
    EXPECT_FALSE(battle->itemEnabled[2]);
}

TEST(Menus, BattleMenuDuringAimingActsOnlyOnStop) {
    Game g;
    g.startUp();
    g.play([&] { g.game.disableMenus(); });
    for (const MenuState& m : g.host->menus())
        EXPECT_FALSE(m.enabled) << "menu " << m.id;

    // Anything but STOP A BATTLE is ignored.
    for (int64_t choice : {0l, (262l << 16) | 1, (261l << 16) | 1, (257l << 16) | 1}) {
        g.play([&] { g.game.doBattleMenu(choice); });
        EXPECT_FALSE(g.game.gStopBattle) << choice;
        EXPECT_FALSE(g.game.gQuit) << choice;
        EXPECT_EQ(g.game.gScoreL, 0);
    }
    g.game.textFace(QuickDraw::Style::bold);
    g.game.textSize(18);
    g.play([&] { g.game.doBattleMenu((262 << 16) | 2); });
    EXPECT_EQ(g.game.gMenuItem, 2);
    EXPECT_TRUE(g.game.gStopBattle);
    EXPECT_TRUE(g.game.gBattleOver);
    EXPECT_TRUE(g.game.gFired);
    EXPECT_EQ(g.game.gNewField, 1);
    const QuickDraw::GrafPort& port = g.game.currentWindow().port();
    EXPECT_EQ(port.txFont, QuickDraw::FontID::applFont);
    EXPECT_EQ(port.txFace, QuickDraw::Style{});
    EXPECT_EQ(port.txSize, 9);
    const MenuState* battle = g.host->menu(262);
    ASSERT_NE(battle, nullptr);
    EXPECT_TRUE(battle->enabled);
    EXPECT_TRUE(battle->itemEnabled[1]);
    EXPECT_FALSE(battle->itemEnabled[2]);
    EXPECT_FALSE(g.host->menu(261)->enabled) << "the other menus stay off until the battle ends";

    // The waiting state: every menu on, START on, STOP off.
    g.play([&] { g.game.enableMenus(); });
    for (const MenuState& m : g.host->menus())
        EXPECT_TRUE(m.enabled) << "menu " << m.id;
    EXPECT_TRUE(g.host->menu(262)->itemEnabled[1]);
    EXPECT_FALSE(g.host->menu(262)->itemEnabled[2]);

    // STOP A BATTLE from the main loop's dispatch does nothing.
    g.game.gStopBattle = false;
    g.game.gNewField = 0;
    g.play([&] { g.game.doCommand((262 << 16) | 2); });
    EXPECT_FALSE(g.game.gStopBattle);
    EXPECT_EQ(g.game.gNewField, 0);
}

} // namespace
