// Start-up, the main loop, sounds and quitting, played through run() on the scripted host.
#include "GameTestSupport.h"

using namespace gametest;

namespace {

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

} // namespace
