// Start-up, the main loop, sounds and quitting, played through run() on the scripted host.
#include "GameTestSupport.h"

using namespace gametest;

namespace {

TEST(StartUp, FirstFieldIsAnEmptyDesertWithTheScoreLine) {
    for (int32_t seed : {1, 4242, 2082844800}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Game g(seed);
        g.host->quit();
        g.run();
        Ordnix& game = g.game;

        // Only the field window is shown, and it is the current port.
        ASSERT_EQ(g.host->windowEvents().size(), 1u);
        EXPECT_TRUE(g.host->windowEvents()[0].id == WindowID::field && g.host->windowEvents()[0].shown);
        EXPECT_EQ(game.currentWindow().id(), WindowID::field);

        // Start-up sites the cannons once, then the first field sites them again from draws 4 to 6.
        Game ref;
        ref.game.setRandSeed(seed);
        Draws d(ref.game, 8);
        std::array<int64_t, 3> site{};
        for (int pass = 0; pass < 2; ++pass)
            site = {d.R(175) + 30, d.R(175) + 306, d.R(40) + 220};
        EXPECT_EQ((std::array<int64_t, 4>{game.gCanLX, game.gCanRX, game.gCanLY, game.gCanRY}),
                  (std::array<int64_t, 4>{site[0], site[1], site[2], site[2]}));
        d.expectConsumedBy(game);

        // "DESERT": both cannons at one height 220..259 on one flat ground line; no buildings, trees, windsock.
        EXPECT_EQ(game.gTerrain, 0);
        EXPECT_TRUE(game.gCanLY >= 220 && game.gCanLY <= 259) << game.gCanLY;
        const int64_t ground = game.gCanLY + 9;
        for (int64_t h : {0, 255, 290, 511})
            EXPECT_EQ(g.firstBlack(h, 20), ground) << "column " << h;
        EXPECT_EQ((std::array<Rect, 4>{game.gLHospRect, game.gRHospRect, game.gLPostRect, game.gRPostRect}), (std::array<Rect, 4>{}));
        EXPECT_TRUE(game.gNumTrees == 0 && game.gSockPoly == nullptr);
        EXPECT_EQ(g.blackIn(tlbr(20, 225, ground, 287)), 0) << "the middle of the sky is empty";
        EXPECT_EQ(g.field().dump(tlbr(0, 0, 20, 512)), expectedScoreLine(0, 0));

        // Initial sounds and options.
        using Snd = std::optional<SoundRec>;
        EXPECT_EQ((std::array<Snd, 5>{game.gSndCannon, game.gSndGround, game.gSndUhOh, game.gSndBuilding, game.gSndTree}),
                  (std::array<Snd, 5>{SoundRec{128}, SoundRec{129}, SoundRec{130}, SoundRec{131}, SoundRec{132}}));
        EXPECT_EQ((std::array<bool, 4>{game.gTunnels, game.gLosersOut, game.gRambo, game.gHideSettings}),
                  (std::array<bool, 4>{true, true, true, false}));
        EXPECT_EQ((std::array<int64_t, 5>{game.gWindMax, game.gBallDelay, game.gSpeedX, game.gTurn, game.gNewField}),
                  (std::array<int64_t, 5>{0, 540, 249, 1, 0}));
        EXPECT_EQ(game.gAllRect, tlbr(0, 0, 350, 520));
        EXPECT_TRUE(game.finished && g.host->protocolErrors().empty());

        // Published menus: DESERT, NONE, volume "3" and TUNNELS checked.
        const std::vector<std::vector<int64_t>> checked{{}, {}, {1}, {}, {1}, {}, {}, {4}, {1}};
        expectWaitingMenus(*g.host);
        for (int64_t id = 256; id <= 264; ++id) {
            EXPECT_EQ(g.host->menu(id)->itemCount(), Toolbox::menuItems.at(id)) << "menu " << id;
            EXPECT_EQ(checkedItems(*g.host, id), checked[static_cast<size_t>(id - 256)]) << "menu " << id;
            EXPECT_EQ(game.gMenus[static_cast<size_t>(id - 255)], id);
        }
    }
}

TEST(StartUp, VolumeIsThreeWhilePlayingAndQuitGivesTheOldOneBack) {
    // Sound item 0: no Sound command before quitting.
    for (auto [oldVolume, item] : {std::pair<int64_t, int64_t>{5, 0}, {6, 8}}) {
        SCOPED_TRACE("old volume " + std::to_string(oldVolume) + ", sound item " + std::to_string(item));
        Game g;
        g.play([&] { g.host->setSoundVolume(oldVolume); });
        std::vector<int64_t> volumes, writes{oldVolume, 3};
        auto note = [&] {
            g.host->waitForMenuPoll();
            g.host->perform("note the volume", [&](ScriptedHost& h) { volumes.push_back(h.volume()); });
        };
        note();
        if (item != 0) {
            g.host->chooseMenu(263, item);
            note();
            writes.push_back(item - 1);
        }
        writes.push_back(oldVolume);
        g.host->quit(); // menu 257, item 1
        g.run();
        EXPECT_EQ(volumes, (item != 0 ? std::vector<int64_t>{3, item - 1} : std::vector<int64_t>{3}));
        EXPECT_EQ(g.game.gOldVolume, oldVolume);
        EXPECT_EQ(g.host->volumeWrites(), writes);
        EXPECT_TRUE(g.game.gQuit && g.game.finished);
    }
}

TEST(StartUp, SeedComesFromTheClassicClock) {
    // Seconds since 1970 plus 2082844800, truncated toward zero, low 32 bits as signed.
    const std::pair<double, int32_t> cases[] = {{0.0, 2082844800},         {0.999, 2082844800},     {1e9, -1212122496},
                                                {1.7e9 + 0.9, -512122496}, {64622496.0, 2147467296}, {-2082844800.5, 0},
                                                {-2082844801.5, -1}, {-9223372036854775808.0 - 2082844800.0, 0}};
    for (auto [wallClock, seed] : cases) {
        Game g;
        g.host->setWallClock(wallClock);
        g.play([&] { g.game.initToolbox(); });
        EXPECT_EQ(g.game.randSeed(), seed) << "wall clock " << wallClock;
        EXPECT_EQ(g.game.gOutsRadio[1], (RadioGroup{1, 2, 2}));
        EXPECT_EQ(g.game.gPlayerRadio[1], (RadioGroup{1, 2, 1}));
    }
}

TEST(MainLoop, WaitingIdlesOncePerPassAndRejectedChoicesChangeNothing) {
    Game g;
    std::vector<std::array<int64_t, 3>> samples; // idles, menu polls, field changes
    auto sample = [&](int64_t ticks) {
        g.host->waitTicks(ticks);
        g.host->perform("sample", [&](ScriptedHost& h) {
            samples.push_back({h.calls(HostOp::idle), h.calls(HostOp::takeMenuChoice), g.field().changeCount()});
        });
    };
    sample(5);
    sample(30);
    // STOP A BATTLE is disabled between battles; item 9 of Wind, item 7 of R&R and menu 300 do not exist.
    for (int64_t choice : {(262 << 16) | 2, (260 << 16) | 9, (261 << 16) | 7, (300 << 16) | 1})
        g.host->chooseMenuRaw(choice);
    sample(3);
    g.host->chooseMenu(261, 3); // a later command still arrives
    g.host->quit();
    g.run();
    ASSERT_EQ(samples.size(), 3u);
    const int64_t passes = samples[1][1] - samples[0][1];
    EXPECT_GT(passes, 10);
    EXPECT_EQ(samples[1][0] - samples[0][0], passes);
    EXPECT_EQ(samples[2][2], samples[0][2]) << "no field is drawn while nothing is due";
    EXPECT_FALSE(g.game.gStopBattle || g.game.gBattleOver || g.game.gWindMax != 0 || !g.host->alerts().empty());
    EXPECT_TRUE(g.game.gHideSettings && g.game.finished);
}

TEST(Sounds, PlayOnlyWhenSetUpAndTheVolumeIsOn) {
    Game g;
    g.startUp();
    g.play([&] {
        g.game.playSound(g.game.gSndTree);   // volume 3: plays
        g.game.playSound(std::nullopt);      // not set up: nothing
        g.game.setSoundVol(0);
        g.game.playSound(g.game.gSndCannon); // volume 0: nothing
        g.game.setSoundVol(1);
        g.game.playSound(g.game.gSndBuilding);
    });
    EXPECT_EQ(g.host->soundsPlayed(), (std::vector<int64_t>{132, 131}));
}

} // namespace
