// Start-up, the main loop and quitting, played through run() on the scripted host.
#include "GameTestSupport.h"

#include <cmath>
#include <limits>
#include <map>

using namespace gametest;

namespace {

TEST(StartUp, FirstFieldIsAnEmptyDesertWithTheScoreLine) {
    for (int32_t seed : {1, 77, 4242, 31337, 2082844800}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Game g(seed);
        g.host->quit();
        g.play([&] { g.game.run(); });
        Ordnix& game = g.game;

        // Only the field window is shown, and it is the current port.
        ASSERT_EQ(g.host->windowEvents().size(), 1u);
        EXPECT_EQ(g.host->windowEvents()[0].id, WindowID::field);
        EXPECT_TRUE(g.host->windowEvents()[0].shown);
        EXPECT_EQ(game.currentWindow().id(), WindowID::field);
        EXPECT_EQ(game.gFieldWindow, &game.window(WindowID::field));
        EXPECT_EQ(game.gTargetWindow, &game.window(WindowID::targets));
        EXPECT_EQ(game.gSpeedWindow, &game.window(WindowID::ballSpeed));

        // Start-up sites the cannons once from the fresh seed and the first field sites them again: the
        // field's cannons come from draws 4 to 6, and nothing else draws before the first command.
        Game ref;
        ref.game.setRandSeed(seed);
        Draws d(ref.game, 8);
        std::array<int64_t, 3> site{};
        for (int pass = 0; pass < 2; ++pass)
            site = {d.R(175) + 30, d.R(175) + 306, d.R(40) + 220};
        EXPECT_EQ((std::array<int64_t, 4>{game.gCanLX, game.gCanRX, game.gCanLY, game.gCanRY}),
                  (std::array<int64_t, 4>{site[0], site[1], site[2], site[2]}));
        d.expectConsumedBy(game);

        // "DESERT": both cannons at one height 220..259, standing on one flat ground line.
        EXPECT_EQ(game.gTerrain, 0);
        EXPECT_EQ(game.gCanLY, game.gCanRY);
        EXPECT_GE(game.gCanLY, 220);
        EXPECT_LE(game.gCanLY, 259);
        const int64_t ground = game.gCanLY + 9;
        for (int64_t h : {0l, 20l, 255l, 290l, 500l, 511l})
            EXPECT_EQ(g.firstBlack(h, 20), ground) << "column " << h;

        // No buildings, trees or windsock.
        EXPECT_EQ(game.gLHospRect, Rect::zero);
        EXPECT_EQ(game.gRHospRect, Rect::zero);
        EXPECT_EQ(game.gLPostRect, Rect::zero);
        EXPECT_EQ(game.gRPostRect, Rect::zero);
        EXPECT_EQ(game.gNumTrees, 0);
        EXPECT_EQ(game.gSockPoly, nullptr);
        EXPECT_EQ(g.blackIn(tlbr(20, 225, ground, 287)), 0) << "the middle of the sky is empty";

        // The score line reads "<-SCORE->" with 0 and 0.
        EXPECT_EQ(g.field().dump(tlbr(0, 0, 20, 512)), expectedScoreLine(0, 0));

        // Sounds, options and the loop's end.
        EXPECT_EQ(game.gSndCannon, SoundRec{128});
        EXPECT_EQ(game.gSndGround, SoundRec{129});
        EXPECT_EQ(game.gSndUhOh, SoundRec{130});
        EXPECT_EQ(game.gSndBuilding, SoundRec{131});
        EXPECT_EQ(game.gSndTree, SoundRec{132});
        EXPECT_TRUE(game.gTunnels);
        EXPECT_TRUE(game.gLosersOut);
        EXPECT_TRUE(game.gRambo);
        EXPECT_FALSE(game.gHideSettings);
        EXPECT_EQ(game.gWindMax, 0);
        EXPECT_EQ(game.gBallDelay, 540);
        EXPECT_EQ(game.gSpeedX, 249);
        EXPECT_EQ(game.gTurn, 1);
        EXPECT_EQ(game.gNewField, 0);
        EXPECT_EQ(game.gAllRect, tlbr(0, 0, 350, 520));
        EXPECT_TRUE(game.finished);
        EXPECT_TRUE(g.host->protocolErrors().empty());
        EXPECT_EQ(g.host->cursor(), CursorKind::arrow);

        // The published menus: DESERT, NONE, volume "3" and TUNNELS checked; only STOP A BATTLE off.
        const std::map<int64_t, std::vector<int64_t>> checked{{256, {}}, {257, {}}, {258, {1}}, {259, {}},  {260, {1}},
                                                              {261, {}}, {262, {}}, {263, {4}}, {264, {1}}};
        ASSERT_EQ(g.host->menus().size(), 9u);
        for (const auto& [id, items] : checked) {
            const MenuState* m = g.host->menu(id);
            ASSERT_NE(m, nullptr) << "menu " << id;
            EXPECT_TRUE(m->enabled) << "menu " << id;
            EXPECT_EQ(m->itemCount(), Toolbox::menuItems.at(id)) << "menu " << id;
            for (int64_t i = 1; i <= m->itemCount(); ++i) {
                const bool shouldCheck = std::find(items.begin(), items.end(), i) != items.end();
                EXPECT_EQ(m->itemChecked[static_cast<size_t>(i)], shouldCheck) << "menu " << id << " item " << i;
                EXPECT_EQ(m->itemEnabled[static_cast<size_t>(i)], !(id == 262 && i == 2)) << "menu " << id << " item " << i;
            }
            EXPECT_EQ(game.gMenus[static_cast<size_t>(id - 255)], id);
        }
        EXPECT_EQ(game.gMenus[0], 0);
    }
}

TEST(StartUp, VolumeIsThreeWhilePlayingAndQuitGivesTheOldOneBack) {
    // Sound item 0: no Sound command before quitting; item 1 is "OFF".
    for (int64_t oldVolume : {5, 6}) {
        for (int64_t choiceItem : {0, 1, 8}) {
            SCOPED_TRACE("old volume " + std::to_string(oldVolume) + ", sound item " + std::to_string(choiceItem));
            Game g;
            g.play([&] { g.host->setSoundVolume(oldVolume); });
            std::vector<int64_t> volumes;
            g.host->waitForMenuPoll();
            g.host->perform("note the volume", [&](ScriptedHost& h) { volumes.push_back(h.volume()); });
            std::vector<int64_t> writes{oldVolume, 3};
            if (choiceItem != 0) {
                g.host->chooseMenu(263, choiceItem);
                g.host->waitForMenuPoll();
                g.host->perform("note the volume", [&](ScriptedHost& h) { volumes.push_back(h.volume()); });
                writes.push_back(choiceItem - 1);
            }
            writes.push_back(oldVolume);
            g.host->quit(); // menu 257, item 1
            g.play([&] { g.game.run(); });

            ASSERT_EQ(volumes.size(), choiceItem != 0 ? 2u : 1u);
            EXPECT_EQ(volumes[0], 3);
            if (choiceItem != 0) {
                EXPECT_EQ(volumes[1], choiceItem - 1);
            }
            EXPECT_EQ(g.game.gOldVolume, oldVolume);
            EXPECT_EQ(g.host->volumeWrites(), writes);
            EXPECT_TRUE(g.game.gQuit);
            EXPECT_TRUE(g.game.finished);
        }
    }
}

TEST(StartUp, SeedComesFromTheClassicClock) {
    // Seconds since 1970 plus the 2082844800 seconds from 1904, truncated, low 32 bits as signed.
    const struct {
        double wallClock;
        int32_t seed;
    } cases[] = {
        {0.0, 2082844800},
        {0.999, 2082844800},
        {1e9, -1212122496},
        {1.7e9 + 0.9, -512122496},
        {64622496.0, 2147467296},
        // Before 1904: truncation goes toward zero, not down.
        {-2082844800.5, 0},
        {-2082844801.5, -1},
        // The lowest 64-bit count is still a count (its low 32 bits are 0).
        {-9223372036854775808.0 - 2082844800.0, 0},
    };
    for (const auto& c : cases) {
        Game g;
        g.host->setWallClock(c.wallClock);
        g.play([&] { g.game.initToolbox(); });
        EXPECT_EQ(g.game.randSeed(), c.seed) << "wall clock " << c.wallClock;
        EXPECT_EQ(g.host->cursor(), CursorKind::arrow);
        EXPECT_EQ(g.game.gOutsRadio[1], (RadioGroup{1, 2, 2}));
        EXPECT_EQ(g.game.gPlayerRadio[1], (RadioGroup{1, 2, 1}));
    }
}

TEST(StartUpDeathTest, AWallClockWithoutA64BitCountIsFatal) {
    for (double wallClock : {std::nan(""), std::numeric_limits<double>::infinity(), 9223372036854775808.0}) {
        EXPECT_DEATH(
            {
                Game g;
                g.host->setWallClock(wallClock);
                g.host->run([&] { g.game.initToolbox(); });
            },
            "wall clock")
            << "wall clock " << wallClock;
    }
}

TEST(MainLoop, WaitingIdlesOncePerPassAndDrawsNothing) {
    Game g;
    struct Sample {
        int64_t idles, takes, changes;
    };
    std::vector<Sample> samples;
    auto note = [&](ScriptedHost& h) {
        samples.push_back({h.calls(HostOp::idle), h.calls(HostOp::takeMenuChoice), g.field().changeCount()});
    };
    g.host->waitTicks(5);
    g.host->perform("sample", note);
    g.host->waitTicks(30);
    g.host->perform("sample", note);
    g.host->quit();
    g.play([&] { g.game.run(); });

    ASSERT_EQ(samples.size(), 2u);
    const int64_t passes = samples[1].takes - samples[0].takes;
    EXPECT_GT(passes, 10);
    EXPECT_EQ(samples[1].idles - samples[0].idles, passes);
    EXPECT_EQ(samples[1].changes, samples[0].changes) << "no field is drawn while nothing is due";
}

TEST(MainLoop, RejectedChoicesChangeNothingAndTheLoopGoesOn) {
    // STOP A BATTLE is disabled between battles; item 9 of Wind, item 7 of R&R and menu 300 do not exist.
    for (int64_t choice : {(262 << 16) | 2, (260 << 16) | 9, (261 << 16) | 7, (300 << 16) | 1}) {
        SCOPED_TRACE("choice " + std::to_string(choice));
        Game g;
        int64_t before = -1;
        g.host->waitTicks(3);
        g.host->perform("note", [&](ScriptedHost&) { before = g.field().changeCount(); });
        g.host->chooseMenuRaw(choice);
        g.host->waitTicks(3);
        int64_t after = -1;
        g.host->perform("note", [&](ScriptedHost&) { after = g.field().changeCount(); });
        g.host->chooseMenu(261, 3); // a later command still arrives
        g.host->quit();
        g.play([&] { g.game.run(); });

        EXPECT_EQ(after, before);
        EXPECT_FALSE(g.game.gStopBattle);
        EXPECT_FALSE(g.game.gBattleOver);
        EXPECT_EQ(g.game.gWindMax, 0);
        EXPECT_TRUE(g.game.gHideSettings);
        EXPECT_TRUE(g.game.finished);
        EXPECT_EQ(g.host->alerts().size(), 0u);
    }
}

TEST(Sounds, PlayOnlyWhenSetUpAndTheVolumeIsOn) {
    Game g;
    g.startUp();
    g.play([&] {
        g.game.playSound(g.game.gSndTree);         // volume 3: plays
        g.game.playSound(std::nullopt);            // not set up: nothing
        g.game.setSoundVol(0);
        g.game.playSound(g.game.gSndCannon);       // volume 0: nothing
        g.game.setSoundVol(1);
        g.game.playSound(g.game.gSndBuilding);     // volume 1: plays
    });
    EXPECT_EQ(g.host->soundsPlayed(), (std::vector<int64_t>{132, 131}));
}

} // namespace
