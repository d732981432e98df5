// Soak: seeded random players press and drag anywhere, choose random menu items (disabled ones too),
// open the option screens and dialogs, and stop battles now and then, over hundreds of battles on every
// terrain with every wind, explosion and target option. The game must never abort or hang, every pixel
// byte stays 0 or 1, and a score changes only by target values and tree points.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <random>

#include "BattleHarness.h"

namespace {

using battle::BattleGame;

constexpr int64_t ticksPerMinute = 60 * 60;

class RandomPlayer {
public:
    RandomPlayer(BattleGame& g, uint32_t seed, int64_t battlesWanted)
        : g_(g), game_(g.game), rng_(seed), battlesWanted_(battlesWanted) {}

    void start() { schedule(1); }

    int64_t battles() const { return battles_; }
    int64_t longestBattleTicks() const { return longestBattle_; }
    const std::vector<std::string>& faults() const { return faults_; }
    int64_t shots() const { return shots_; }
    const std::array<int64_t, 5>& terrains() const { return terrains_; }
    int64_t kills() const { return kills_; }

private:
    int64_t pick(int64_t lo, int64_t hi) { return std::uniform_int_distribution<int64_t>(lo, hi)(rng_); }
    bool chance(double p) { return std::bernoulli_distribution(p)(rng_); }

    void schedule(int64_t ticks) {
        g_.host->waitTicks(ticks);
        g_.host->perform("random player", [this](ScriptedHost& h) { act(h); });
    }

    bool inBattle(const ScriptedHost& h) const {
        const MenuState* battle = h.menu(262);
        return battle != nullptr && !battle->itemEnabled[1];
    }
    bool waiting(const ScriptedHost& h) const {
        const MenuState* battle = h.menu(262);
        return h.readyForMenus() && battle != nullptr && battle->enabled && battle->itemEnabled[1] &&
               h.menu(256) != nullptr && h.menu(256)->enabled;
    }

    void offer(ScriptedHost& h, int64_t menu, int64_t item) { h.offerMenuChoice((menu << 16) | item); }
    // Any menu id around the game's, and any item, except the quit command (which ends the game early).
    void offerAnything(ScriptedHost& h) {
        int64_t menu = pick(250, 266);
        if (menu == 257)
            menu = 262;
        offer(h, menu, pick(-1, 10));
    }

    void randomPress(ScriptedHost& h, WindowID window, int64_t width, int64_t height) {
        h.setMouse(window, pick(-20, width + 20), pick(-20, height + 20));
        h.setButton(true);
        if (chance(0.7))
            h.setButton(false); // a click; otherwise held until a later step moves or releases it
    }

    void checkScores() {
        const int64_t dl = game_.gScoreL - baseL_;
        const int64_t dr = game_.gScoreR - baseR_;
        if (dl == 0 && dr == 0)
            return;
        const int64_t shooter = game_.gTurn;
        const int64_t own = shooter == 1 ? dl : dr;
        const int64_t other = shooter == 1 ? dr : dl;
        const std::set<int64_t> allowed = battle::achievableDeltas(battle::shooterValues(game_, shooter), game_.gRambo);
        if (other != 0 || allowed.count(own) == 0)
            faults_.push_back("score change " + std::to_string(dl) + "/" + std::to_string(dr) + " for shooter " +
                              std::to_string(shooter));
        baseL_ = game_.gScoreL;
        baseR_ = game_.gScoreR;
    }

    void act(ScriptedHost& h) {
        const bool battleNow = inBattle(h);
        if (battleNow && !battleBefore_) {
            ++battles_;
            ++terrains_[static_cast<size_t>(std::clamp<int64_t>(game_.gTerrain, 0, 4))];
            battleStart_ = h.ticks();
            turnsThisBattle_ = 0;
        }
        if (!battleNow && battleBefore_) {
            longestBattle_ = std::max(longestBattle_, h.ticks() - battleStart_);
            if (game_.gBattleOver && !game_.gStopBattle)
                ++kills_;
        }
        battleBefore_ = battleNow;

        if (g_.aiming(h) || !battleNow) {
            baseL_ = game_.gScoreL;
            baseR_ = game_.gScoreR;
        } else {
            checkScores();
        }

        if (h.openDialogID()) {
            h.hitItem(pick(1, 5));
        } else if (game_.gTargetWindow != nullptr && game_.gTargetWindow->visible()) {
            if (chance(0.3))
                h.clickAt(WindowID::targets, 375, 272); // "OK"
            else
                randomPress(h, WindowID::targets, 490, 285);
        } else if (game_.gSpeedWindow != nullptr && game_.gSpeedWindow->visible()) {
            if (chance(0.3))
                h.clickAt(WindowID::ballSpeed, 244, 124); // "OK"
            else
                randomPress(h, WindowID::ballSpeed, 300, 150);
        } else if (g_.aiming(h)) {
            aim(h);
        } else if (waiting(h)) {
            betweenBattles(h);
        } else {
            // In flight, in the field editor, or anywhere else: presses anywhere, menus that may be off.
            if (chance(0.5))
                randomPress(h, WindowID::field, 512, 322);
            else
                h.setButton(false);
            if (chance(0.1))
                offerAnything(h);
            if (game_.gTerrain == 4 && chance(0.02)) // the field editor's "CANCEL": painting, then placing
                h.clickAt(WindowID::field, chance(0.5) ? 344 : 255, 295);
        }
        if (!quitting_)
            schedule(pick(1, 12));
    }

    void aim(ScriptedHost& h) {
        if (aimedTurn_ != game_.gTurn || !wasAiming_) {
            ++turnsThisBattle_;
            aimedTurn_ = game_.gTurn;
        }
        wasAiming_ = true;
        const battle::PanelGeometry& panel = game_.gTurn == 1 ? battle::leftPanel : battle::rightPanel;
        const int64_t r = pick(0, 99);
        if (turnsThisBattle_ > 24 || r < 1) {
            offer(h, 262, 2); // "STOP A BATTLE"
        } else if (r < 30) {
            h.clickAt(WindowID::field, panel.powderColumn(pick(5, 105)), pick(283, 298));
        } else if (r < 60) {
            h.clickAt(WindowID::field, panel.elevationColumn(pick(-5, 95)), pick(298, 313));
        } else if (r < 80) {
            h.clickAt(WindowID::field, panel.fireColumn() + pick(-30, 30), panel.fireRow() + pick(-15, 15));
            wasAiming_ = false;
            ++shots_;
        } else if (r < 90) {
            randomPress(h, WindowID::field, 512, 322);
        } else {
            offerAnything(h);
        }
    }

    void betweenBattles(ScriptedHost& h) {
        h.setButton(false);
        wasAiming_ = false;
        if (!valuesEdited_) {
            // Half of the games play with edited target values, as the target values screen sets them.
            valuesEdited_ = true;
            if (chance(0.5)) {
                for (int64_t* value : {&game_.gValLLCannon, &game_.gValLLHosp, &game_.gValLLPost, &game_.gValLRHosp,
                                       &game_.gValRRCannon, &game_.gValRRHosp, &game_.gValRRPost, &game_.gValRLHosp})
                    *value = pick(-20, 0);
                for (int64_t* value : {&game_.gValLRCannon, &game_.gValLRPost, &game_.gValRLCannon, &game_.gValRLPost})
                    *value = pick(0, 20);
            }
        }
        if (battles_ >= battlesWanted_) {
            quitting_ = true;
            offer(h, 257, 1);
            return;
        }
        const int64_t r = pick(0, 99);
        if (r < 30) {
            offer(h, 262, 1); // "START A BATTLE"
        } else if (r < 42) {
            offer(h, 258, pick(1, 5)); // terrain, "DO IT YOURSELF" included
        } else if (r < 52) {
            offer(h, 260, pick(1, 3));
        } else if (r < 60) {
            offer(h, 264, pick(1, 2));
        } else if (r < 72) {
            offer(h, 259, pick(1, 3));
        } else if (r < 75) {
            offer(h, 263, pick(1, 8));
        } else if (r < 78) {
            offer(h, 261, pick(1, 6)); // new game, new field, hide settings, outs, player type, ball speed
        } else if (r < 80) {
            offer(h, 259, 5); // target values
        } else if (r < 81) {
            offer(h, 256, 1); // About
        } else if (r < 90) {
            offerAnything(h);
        } else {
            randomPress(h, WindowID::field, 512, 322);
        }
    }

    BattleGame& g_;
    Ordnix& game_;
    std::mt19937 rng_;
    int64_t battlesWanted_;
    int64_t battles_ = 0;
    bool battleBefore_ = false;
    int64_t battleStart_ = 0;
    int64_t longestBattle_ = 0;
    int64_t turnsThisBattle_ = 0;
    int64_t aimedTurn_ = 0;
    bool wasAiming_ = false;
    bool quitting_ = false;
    bool valuesEdited_ = false;
    int64_t shots_ = 0;
    int64_t baseL_ = 0, baseR_ = 0;
    std::vector<std::string> faults_;
    std::array<int64_t, 5> terrains_{};
    int64_t kills_ = 0;
};

bool onlyZeroAndOne(const QuickDraw::Bitmap& bitmap) {
    for (uint8_t b : bitmap.pixels())
        if (b > 1)
            return false;
    return true;
}

TEST(Soak, RandomPlayersNeverBreakTheGame) {
    uint32_t seed = 20261206;
    if (const char* env = std::getenv("ORDNIX_SOAK_SEED"))
        seed = static_cast<uint32_t>(std::strtoul(env, nullptr, 10));
    std::printf("soak seed %u (set ORDNIX_SOAK_SEED to repeat another)\n", seed);
    std::mt19937 seeds(seed);

    constexpr int64_t battlesPerGame = 5;
    constexpr int64_t battlesWanted = 200;
    constexpr int64_t battleLimitTicks = 45 * ticksPerMinute;
    int64_t battles = 0, games = 0, shots = 0, longest = 0, kills = 0;
    std::array<int64_t, 5> terrains{};
    const auto started = std::chrono::steady_clock::now();
    while (battles < battlesWanted) {
        const auto gameSeed = static_cast<int32_t>(seeds() & 0x7FFFFFFF);
        SCOPED_TRACE("game " + std::to_string(games) + ", game seed " + std::to_string(gameSeed));
        BattleGame g(gameSeed);
        g.host->setTimeLimitTicks((battlesPerGame + 2) * battleLimitTicks);
        RandomPlayer player(g, seeds(), battlesPerGame);
        player.start();
        ASSERT_TRUE(g.host->run([&] { g.game.run(); })) << "the game aborted its script or ran out of time";
        EXPECT_TRUE(g.game.finished);
        for (WindowID id : allWindowIDs)
            EXPECT_TRUE(onlyZeroAndOne(g.game.window(id).port().bitmap)) << "window " << static_cast<int64_t>(id);
        EXPECT_TRUE(player.faults().empty()) << player.faults().front();
        EXPECT_LE(player.longestBattleTicks(), battleLimitTicks);
        EXPECT_GE(player.battles(), battlesPerGame);
        battles += player.battles();
        shots += player.shots();
        kills += player.kills();
        longest = std::max(longest, player.longestBattleTicks());
        for (size_t t = 0; t < terrains.size(); ++t)
            terrains[t] += player.terrains()[t];
        ++games;
        if (::testing::Test::HasFailure())
            break;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("soak: %lld battles in %lld games (%lld ended by a destroyed cannon), %lld fire clicks, "
                "longest battle %lld ticks, %.1f s\n",
                static_cast<long long>(battles), static_cast<long long>(games), static_cast<long long>(kills),
                static_cast<long long>(shots),
                static_cast<long long>(longest), seconds);
    std::printf("soak: battles by terrain %lld %lld %lld %lld %lld\n", static_cast<long long>(terrains[0]),
                static_cast<long long>(terrains[1]), static_cast<long long>(terrains[2]),
                static_cast<long long>(terrains[3]), static_cast<long long>(terrains[4]));
}

} // namespace
