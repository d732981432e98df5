// Soak: seeded random players press and drag anywhere, choose random menu items (disabled ones too),
// answer the option screens and dialogs and stop battles now and then, over hundreds of battles with
// every terrain, wind, explosion and target option. The game never aborts or hangs, every pixel byte
// stays 0 or 1, and a score changes only by the shooter's target values and tree points.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <random>

#include "BattleHarness.h"

namespace {

using namespace battle;

constexpr int64_t battleLimitTicks = 45 * 60 * 60, battlesPerGame = 5;

// Whether one shot can change the shooter's score by delta: each of its six target values at most once,
// plus up to 14 trees at +-5.
bool achievable(const Ordnix& g, int64_t turn, int64_t delta) {
    const bool l = turn == 1;
    const int64_t values[] = {l ? g.gValLLCannon : g.gValRLCannon, l ? g.gValLRCannon : g.gValRRCannon,
                              l ? g.gValLLHosp : g.gValRLHosp,     l ? g.gValLRHosp : g.gValRRHosp,
                              l ? g.gValLLPost : g.gValRLPost,     l ? g.gValLRPost : g.gValRRPost};
    for (int mask = 0; mask < 64; ++mask) {
        int64_t sum = 0;
        for (int i = 0; i < 6; ++i)
            sum += (mask >> i & 1) != 0 ? values[i] : 0;
        for (int64_t trees = 0; trees <= 14; ++trees)
            if (sum + (g.gRambo ? 5 : -5) * trees == delta)
                return true;
    }
    return false;
}

class RandomPlayer {
public:
    RandomPlayer(BattleGame& g, uint32_t seed) : g_(g), game_(g.game), rng_(seed) { schedule(1); }

    int64_t battles = 0;
    std::array<int64_t, 5> terrains{};
    std::vector<std::string> faults;

private:
    int64_t pick(int64_t lo, int64_t hi) { return std::uniform_int_distribution<int64_t>(lo, hi)(rng_); }
    bool chance(double p) { return std::bernoulli_distribution(p)(rng_); }
    void schedule(int64_t ticks) {
        g_.host->waitTicks(ticks);
        g_.host->perform("random player", [this](ScriptedHost& h) { act(h); });
    }
    void offer(ScriptedHost& h, int64_t menu, int64_t item) { h.offerMenuChoice((menu << 16) | item); }
    // Any menu id around the game's and any item, but never the quit command (it would end the game early).
    void offerAnything(ScriptedHost& h) {
        const int64_t menu = pick(250, 266);
        offer(h, menu == 257 ? 262 : menu, pick(-1, 10));
    }
    // A click, or (three times in ten) a press held until a later step moves or releases it: a drag.
    void press(ScriptedHost& h, WindowID window, int64_t width, int64_t height) {
        h.setMouse(window, pick(-20, width + 20), pick(-20, height + 20));
        h.setButton(true);
        if (chance(0.7))
            h.setButton(false);
    }

    void act(ScriptedHost& h) {
        const MenuState* battleMenu = h.menu(262);
        const bool inBattle = battleMenu != nullptr && !battleMenu->itemEnabled[1], aiming = g_.aiming(h);
        if (inBattle && !battleBefore_) {
            ++battles;
            ++terrains[static_cast<size_t>(std::clamp<int64_t>(game_.gTerrain, 0, 4))];
            aimSteps_ = 0;
        }
        battleBefore_ = inBattle;
        const int64_t dl = game_.gScoreL - baseL_, dr = game_.gScoreR - baseR_, turn = game_.gTurn;
        if (inBattle && !aiming && (dl != 0 || dr != 0) &&
            ((turn == 1 ? dr : dl) != 0 || !achievable(game_, turn, turn == 1 ? dl : dr)))
            faults.push_back("score change " + std::to_string(dl) + "/" + std::to_string(dr) + " for shooter " +
                             std::to_string(turn));
        baseL_ = game_.gScoreL;
        baseR_ = game_.gScoreR;

        const bool waiting = h.readyForMenus() && !inBattle && h.menu(256)->enabled;
        if (waiting && !valuesEdited_ && chance(0.5)) { // half of the games: edited values in the screen's ranges
            for (int64_t* v : {&game_.gValLLCannon, &game_.gValLLHosp, &game_.gValLLPost, &game_.gValLRHosp,
                               &game_.gValRRCannon, &game_.gValRRHosp, &game_.gValRRPost, &game_.gValRLHosp})
                *v = pick(-20, 0);
            for (int64_t* v : {&game_.gValLRCannon, &game_.gValLRPost, &game_.gValRLCannon, &game_.gValRLPost})
                *v = pick(0, 20);
        }
        valuesEdited_ = valuesEdited_ || waiting;
        // Menus to try: {menu, items}: a random item of 1..items, or item -items. Start a battle, terrain,
        // wind, explosions, targets, sound, R&R (dialogs and screens), target values, About.
        static constexpr int64_t menus[][2] = {{262, 1}, {262, 1}, {262, 1}, {258, 5}, {260, 3},
                                               {264, 2}, {259, 3}, {263, 8}, {261, 6}, {259, -5}, {256, -1}};
        const Panel& panel = turn == 2 ? rightPanel : leftPanel;
        const int64_t r = pick(0, 99);
        if (h.openDialogID()) {
            h.hitItem(pick(1, 5));
        } else if (game_.gTargetWindow != nullptr && game_.gTargetWindow->visible()) { // "OK" or anything
            chance(0.3) ? h.clickAt(WindowID::targets, 375, 272) : press(h, WindowID::targets, 490, 285);
        } else if (game_.gSpeedWindow != nullptr && game_.gSpeedWindow->visible()) {
            chance(0.3) ? h.clickAt(WindowID::ballSpeed, 244, 124) : press(h, WindowID::ballSpeed, 300, 150);
        } else if (waiting && battles >= battlesPerGame) {
            quitting_ = true;
            offer(h, 257, 1);
        } else if (aiming && (++aimSteps_ > 120 || r < 1)) { // a battle lasts a bounded time
            offer(h, 262, 2); // "STOP A BATTLE"
        } else if (r < 25) {
            h.clickAt(WindowID::field, panel.powderColumn(pick(5, 105)), pick(283, 298));
        } else if (r < 50) {
            h.clickAt(WindowID::field, panel.elevationColumn(pick(-5, 95)), pick(298, 313));
        } else if (r < 65) { // "Fire" or, in the field editor, its buttons
            h.clickAt(WindowID::field, panel.fireColumn() + pick(-30, 30), Panel::fireRow + pick(-15, 15));
        } else if (r < 80) {
            const auto& [menu, items] = menus[pick(0, std::size(menus) - 1)];
            offer(h, menu, items > 0 ? pick(1, items) : -items);
        } else if (r < 85) {
            offerAnything(h);
        } else {
            press(h, WindowID::field, 512, 322);
        }
        if (!quitting_)
            schedule(pick(1, 12));
    }

    BattleGame& g_;
    Ordnix& game_;
    std::mt19937 rng_;
    bool battleBefore_ = false, quitting_ = false, valuesEdited_ = false;
    int64_t aimSteps_ = 0, baseL_ = 0, baseR_ = 0;
};

TEST(Soak, RandomPlayersNeverBreakTheGame) {
    const char* env = std::getenv("ORDNIX_SOAK_SEED");
    const auto seed = static_cast<uint32_t>(env != nullptr ? std::strtoul(env, nullptr, 10) : 20261206);
    std::printf("soak seed %u (set ORDNIX_SOAK_SEED to repeat another)\n", seed);
    std::mt19937 seeds(seed);
    int64_t battles = 0, games = 0;
    std::array<int64_t, 5> terrains{};
    while (battles < 200 && !::testing::Test::HasFailure()) {
        const auto gameSeed = static_cast<int32_t>(seeds() & 0x7FFFFFFF);
        SCOPED_TRACE("game " + std::to_string(games++) + ", game seed " + std::to_string(gameSeed));
        BattleGame g(gameSeed);
        g.host->setTimeLimitTicks((battlesPerGame + 2) * battleLimitTicks);
        RandomPlayer player(g, seeds());
        ASSERT_TRUE(g.host->run([&] { g.game.run(); })) << "the game aborted its script or ran out of time";
        EXPECT_TRUE(g.game.finished);
        for (WindowID id : allWindowIDs) {
            const auto pixels = g.game.window(id).port().bitmap.pixels();
            EXPECT_TRUE(std::all_of(pixels.begin(), pixels.end(), [](uint8_t b) { return b <= 1; }));
        }
        EXPECT_TRUE(player.faults.empty()) << player.faults.front();
        EXPECT_GE(player.battles, battlesPerGame);
        battles += player.battles;
        for (size_t t = 0; t < terrains.size(); ++t)
            terrains[t] += player.terrains[t];
    }
    std::printf("soak: %lld battles in %lld games\n", static_cast<long long>(battles), static_cast<long long>(games));
    for (const int64_t n : terrains)
        EXPECT_GT(n, 0) << "every terrain is played";
}

} // namespace
