// Start-up, the main loop, sounds and quitting, played through run() on the scripted host.
#include "GameTestSupport.h"

using namespace gametest;

namespace {

TEST(StartUp, VolumeIsThreeWhilePlayingAndQuitGivesTheOldOneBack) {
    Game g;
    g.play([&] { g.host->setSoundVolume(6); });
    std::vector<int64_t> volumes;
    auto note = [&] {
        g.host->waitForMenuPoll();
        g.host->perform("note the volume", [&](ScriptedHost& h) { volumes.push_back(h.volume()); });
    };
    note();
    g.host->chooseMenu(263, 8); // the loudest: volume 7
    note();
    g.host->quit();
    g.run();
    EXPECT_EQ(volumes, (std::vector<int64_t>{3, 7}));
    EXPECT_EQ(g.game.gOldVolume, 6);
    EXPECT_EQ(g.host->volumeWrites(), (std::vector<int64_t>{6, 3, 7, 6}));
    EXPECT_TRUE(g.game.gQuit && g.game.finished);
}

} // namespace
