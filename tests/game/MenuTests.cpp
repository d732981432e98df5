// Every menu command's effect on the game state, the check marks and the field, through the main loop from
// start-up to quitting.
#include "GameTestSupport.h"

using namespace gametest;

namespace {

using Items = std::vector<int64_t>;

struct Scenario {
    std::string name;
    std::vector<std::pair<int64_t, int64_t>> choices;
    Items marks; // the checked items of the last choice's menu afterwards
    bool redrawn;
    std::function<void(Game&)> check = nullptr;
    std::function<void(Ordnix&)> before = nullptr; // state prepared right before the last choice
};

std::vector<Scenario> scenarios() {
    std::vector<Scenario> list;
    // Terrain: radio marks and roughness; leaving "DO IT YOURSELF" for a generated terrain draws a new field at once.
    for (int64_t n = 1; n <= 5; ++n)
        for (bool fromHandMade : {false, true}) {
            std::vector<std::pair<int64_t, int64_t>> choices{{258, n}};
            if (fromHandMade)
                choices.insert(choices.begin(), {258, 5});
            list.push_back({"terrain " + std::to_string(n) + (fromHandMade ? " after do it yourself" : ""), choices, {n},
                            fromHandMade && n != 5, [=](Game& g) {
                                EXPECT_EQ(std::make_pair(g.game.gRoughness, g.game.gTerrain), std::make_pair(roughnessOf[n - 1], n - 1));
                                EXPECT_EQ(g.game.gNewField, 0);
                                EXPECT_TRUE(!fromHandMade || n != 1 || g.game.gCanLY == g.game.gCanRY) << "a new desert";
                            }});
        }
    // Targets: toggles. Switching a building kind on zeroes its two rectangles (no stale target of an earlier field
    // can be hit); switching it off, or the trees, leaves every rectangle as it was.
    static const Rect stale = tlbr(100, 100, 136, 129);
    int64_t Ordnix::* const counters[] = {&Ordnix::gHospitals, &Ordnix::gPosts, &Ordnix::gTrees};
    for (int64_t item = 1; item <= 3; ++item)
        for (bool on : {true, false})
            list.push_back({"targets item " + std::to_string(item) + (on ? " on" : " on and off"),
                            std::vector<std::pair<int64_t, int64_t>>(on ? 1 : 2, {259, item}), on ? Items{item} : Items{}, false,
                            [=](Game& g) {
                                EXPECT_EQ(g.game.*counters[item - 1], on ? 1 : 0);
                                const Rect hosp = on && item == 1 ? Rect::zero : stale, post = on && item == 2 ? Rect::zero : stale;
                                EXPECT_EQ((std::array<Rect, 4>{g.game.gLHospRect, g.game.gRHospRect, g.game.gLPostRect, g.game.gRPostRect}),
                                          (std::array<Rect, 4>{hosp, hosp, post, post}));
                            },
                            [](Ordnix& game) { game.gLHospRect = game.gRHospRect = game.gLPostRect = game.gRPostRect = stale; }});
    // Wind: NONE calms a blowing wind; the others keep it.
    const int64_t windMax[] = {0, 0, 4, 14};
    for (int64_t n = 1; n <= 3; ++n)
        list.push_back({"wind " + std::to_string(n), {{260, 3}, {260, n}}, {n}, false,
                        [=](Game& g) {
                            EXPECT_EQ(g.game.gWindMax, windMax[n]);
                            EXPECT_EQ(g.game.gWindKept, n != 1);
                            EXPECT_EQ(std::make_pair(g.game.gWindLeft, g.game.gWindRight), n == 1 ? std::make_pair(0l, 0l) : std::make_pair(2l, -2l));
                        },
                        [](Ordnix& game) { game.gWindLeft = 2, game.gWindRight = -2; }});
    // R&R.
    list.push_back({"new game", {{261, 1}}, {}, true,
                    [](Game& g) {
                        EXPECT_EQ((std::array<int64_t, 5>{g.game.gScoreL, g.game.gScoreR, g.game.gKilled, g.game.gTurn, g.game.gNewField}),
                                  (std::array<int64_t, 5>{0, 0, 0, 1, 0}));
                        EXPECT_EQ(g.field().dump(tlbr(0, 0, 20, 512)), expectedScoreLine(0, 0));
                    },
                    [](Ordnix& game) { game.gScoreL = 30, game.gScoreR = -15, game.gKilled = 2, game.gTurn = 2; }});
    list.push_back({"new battlefield", {{261, 2}}, {}, true,
                    [](Game& g) {
                        EXPECT_EQ(g.game.currentWindow().id(), WindowID::field);
                        EXPECT_EQ(g.field().dump(tlbr(0, 0, 20, 512)), expectedScoreLine(12, 0)) << "scores stay";
                    },
                    [](Ordnix& game) { game.setPort(game.window(WindowID::targets)), game.gScoreL = 12; }});
    for (bool on : {true, false})
        list.push_back({on ? "hide settings" : "hide settings twice", std::vector<std::pair<int64_t, int64_t>>(on ? 1 : 2, {261, 3}),
                        on ? Items{3} : Items{}, false, [=](Game& g) { EXPECT_EQ(g.game.gHideSettings, on); }});
    // Sound: radio marks and the host's volume item - 1, between the 3 of start-up and the player's own volume (6
    // here) given back on quitting. Explosions: TUNNELS or not.
    for (int64_t n = 1; n <= 8; ++n)
        list.push_back({"sound " + std::to_string(n), {{263, n}}, {n}, false,
                        [=](Game& g) { EXPECT_EQ(g.host->volumeWrites(), (std::vector<int64_t>{6, 3, n - 1, 6})); }});
    for (int64_t n = 1; n <= 2; ++n)
        list.push_back({"explosions " + std::to_string(n), {{264, 3 - n}, {264, n}}, {n}, false,
                        [=](Game& g) { EXPECT_EQ(g.game.gTunnels, n == 1); }});
    return list;
}

TEST(Menus, EveryCommandChangesStateAndMarksByTheRules) {
    for (const Scenario& s : scenarios()) {
        SCOPED_TRACE(s.name);
        Game g(97);
        g.play([&] { g.host->setSoundVolume(6); });
        for (size_t i = 0; i + 1 < s.choices.size(); ++i)
            g.host->chooseMenu(s.choices[i].first, s.choices[i].second);
        g.host->waitTicks(3);
        if (s.before)
            g.host->perform("prepare", [&](ScriptedHost&) { s.before(g.game); });
        // The field's change count before and after the last choice tells whether the loop drew a new field.
        std::vector<int64_t> changes;
        for (int k = 0; k < 2; ++k) {
            g.host->waitForMenuPoll();
            g.host->perform("sample", [&](ScriptedHost&) { changes.push_back(g.field().changeCount()); });
            if (k == 0)
                g.host->chooseMenu(s.choices.back().first, s.choices.back().second);
        }
        g.host->quit();
        g.run();
        ASSERT_EQ(changes.size(), 2u);
        EXPECT_EQ(changes[0] != changes[1], s.redrawn);
        EXPECT_EQ(checkedItems(*g.host, s.choices.back().first), s.marks);
        if (s.check)
            s.check(g);
    }
}

} // namespace
