#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "AppHost.h"
#include "AppTestSupport.h"
#include "ToolboxTypes.h"

namespace {

// A host whose main-thread work is dropped: these tests read only what the game thread sees.
struct QuietHost {
    std::shared_ptr<AppHost> host;
    QuietHost() {
        testApplication();
        host = std::make_shared<AppHost>();
        host->mainQueue = [](const std::function<void()>&) {};
    }
};

TEST(AppHost, ButtonSeesEveryPressOnceAndTheHeldButtonAlways) {
    // Steps: p press, r release, f flush, m move, ? poll the button (its answers are the expected string).
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"pr??", "10"}, {"p??r?", "110"}, {"prf?", "0"}, {"pf?", "1"}, {"p?r?", "10"}, {"prm??", "10"}, {"m?", "0"},
    };
    for (const auto& [steps, expected] : cases) {
        QuietHost h;
        std::string polls;
        for (char step : steps) {
            if (step == 'p')
                h.host->mousePressed({10, 10});
            else if (step == 'r')
                h.host->mouseReleased({10, 10});
            else if (step == 'f')
                h.host->flushEvents();
            else if (step == 'm')
                h.host->mouseMoved({20, 20});
            else
                polls += h.host->button() ? '1' : '0';
        }
        EXPECT_EQ(polls, expected) << steps;
    }
}

TEST(AppHost, MouseIsInWindowPixelsAtEachScaleWithoutClamping) {
    // The field view's top-left corner is at screen (100, 50).
    struct Case {
        int64_t scale;
        double x, y;
        WindowID window;
        int64_t v, h;
    };
    const std::vector<Case> cases = {
        {2, 105, 53, WindowID::field, 1, 2},
        {2, 105, 53, WindowID::targets, -14, -8},
        {2, 105, 53, WindowID::ballSpeed, -34, -95},
        {1, 110, 65, WindowID::field, 15, 10},
        {1, 110, 65, WindowID::targets, 0, 0},
        {1, 110, 65, WindowID::ballSpeed, -20, -87},
        {1, 99, 49, WindowID::field, -1, -1},
        {2, 99, 49, WindowID::field, -1, -1},
        {2, 97, 46, WindowID::field, -2, -2},
        {2, 100 + 2 * 97 + 1, 50 + 2 * 35 + 1, WindowID::ballSpeed, 0, 0},
        {1, 100 + 600, 50 + 400, WindowID::field, 400, 600},
    };
    for (const Case& c : cases) {
        QuietHost h;
        h.host->setFieldRect({100, 50, 512.0 * c.scale, 322.0 * c.scale}, c.scale);
        h.host->mouseMoved({c.x, c.y});
        const QuickDraw::Point p = h.host->mouse(Window(c.window));
        EXPECT_TRUE(p.v == c.v && p.h == c.h) << "scale " << c.scale << " at (" << c.x << ", " << c.y
                                              << ") window " << rawValue(c.window) << ": got v " << p.v
                                              << " h " << p.h;
    }
}

TEST(AppHost, MenuChoicesAreQueuedOnlyWhileTheGameListens) {
    QuietHost h;
    h.host->choose(262, 1); // not ready: lost
    EXPECT_EQ(h.host->takeMenuChoice(), std::nullopt);

    h.host->setReadyForMenus(true);
    h.host->choose(258, 3);
    h.host->choose(262, 1);
    EXPECT_EQ(h.host->takeMenuChoice(), std::optional<int64_t>(258 * 65536 + 3));
    h.host->choose(263, 8);
    EXPECT_EQ(h.host->takeMenuChoice(), std::optional<int64_t>(262 * 65536 + 1));

    // Going busy discards what is queued; nothing made meanwhile arrives later.
    h.host->setReadyForMenus(false);
    h.host->choose(260, 2);
    h.host->setReadyForMenus(true);
    EXPECT_EQ(h.host->takeMenuChoice(), std::nullopt);
}

TEST(AppHost, VolumeIsClampedIntoZeroToSeven) {
    QuietHost h;
    for (const auto& [stored, read] : std::vector<std::pair<int64_t, int64_t>>{{10, 7}, {-2, 0}, {5, 5}}) {
        h.host->setSoundVolume(stored);
        EXPECT_EQ(h.host->soundVolume(), read) << stored;
    }
}

TEST(AppHost, TicksAreSixtiethsAndTheNextEdgeIsTheFirstMicrosecondOfTheNextTick) {
    for (const auto& [uptime, tick] : std::vector<std::pair<int64_t, int64_t>>{
             {0, 0}, {16666, 0}, {16667, 1}, {1'000'000, 60}, {3'600'000'000, 216000}})
        EXPECT_EQ(AppHost::tickAt(uptime), tick) << uptime;
    const uint32_t seed = std::random_device{}();
    std::mt19937_64 random(seed);
    std::uniform_int_distribution<int64_t> uptime(0, int64_t{1} << 50);
    for (int i = 0; i < 10000; ++i) {
        const int64_t now = uptime(random);
        const int64_t edge = AppHost::nextTickEdge(now);
        ASSERT_TRUE(edge > now && AppHost::tickAt(edge) == AppHost::tickAt(now) + 1 &&
                    AppHost::tickAt(edge - 1) == AppHost::tickAt(now))
            << "seed " << seed << " uptime " << now << " edge " << edge;
    }
}

} // namespace
