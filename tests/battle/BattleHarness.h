// Shared helpers of the battle tests: a game on a scripted host, the panel's fixed geometry, pixel
// readers and an aim finder that tries shots on the current field (a flight leaves the field as it was).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "Ordnix.h"
#include "ScriptedHost.h"

namespace battle {

// Panel geometry as the players see it: the left shooter's panel starts at column 1 (box at 6), the
// right one's at 251 (box at 256). Sliders start 89 columns right of the box.
struct PanelGeometry {
    int64_t boxLeft;
    int64_t sliderLeft() const { return boxLeft + 89; }
    int64_t powderRow() const { return 290; }
    int64_t elevationRow() const { return 305; }
    // Column of the slider that sets the powder / elevation to value.
    int64_t powderColumn(int64_t powder) const { return sliderLeft() + powder - 10; }
    int64_t elevationColumn(int64_t elevation) const { return sliderLeft() + elevation; }
    int64_t fireColumn() const { return boxLeft - 5 + 195 + 25; }
    int64_t fireRow() const { return 298; }
};
inline constexpr PanelGeometry leftPanel{6};
inline constexpr PanelGeometry rightPanel{256};

struct Aim {
    int64_t powder = 10;
    int64_t elevation = 0;
};

class BattleGame {
public:
    explicit BattleGame(int32_t seed, int64_t idleMicroseconds = 4000) {
        host->setRandSeed(seed);
        // Long idles keep the number of host calls per tick small; the game's pacing is unchanged.
        host->setIdleMicroseconds(idleMicroseconds);
        host->setTimeLimitTicks(60 * 60 * 60);
    }

    std::shared_ptr<ScriptedHost> host = std::make_shared<ScriptedHost>();
    Ordnix game{host};

    // Runs body as the game thread would; a script failure fails the test.
    void play(const std::function<void()>& body) { ASSERT_TRUE(host->run(body)); }
    // Start-up and the first field, as the main loop draws it.
    void startUp() {
        play([&] {
            game.startUp();
            game.buildField();
        });
    }

    QuickDraw::Bitmap& field() { return game.window(WindowID::field).port().bitmap; }
    std::vector<uint8_t> bits() { return field().bits(); }
    bool pixel(int64_t h, int64_t v) { return field().pixel(h, v); }
    int64_t blackIn(const QuickDraw::Rect& r) {
        int64_t n = 0;
        for (int64_t v = r.top; v < r.bottom; ++v)
            for (int64_t h = r.left; h < r.right; ++h)
                n += field().pixel(h, v) ? 1 : 0;
        return n;
    }

    // Whether a player aims now: the aiming loop polls, only "STOP A BATTLE" is offered, nothing fired.
    bool aiming(const ScriptedHost& h) const {
        const MenuState* battleMenu = h.menu(262);
        return h.readyForMenus() && h.queuedMenuChoices().empty() && battleMenu != nullptr && battleMenu->enabled &&
               battleMenu->itemEnabled.size() > 2 && battleMenu->itemEnabled[2] && !game.gFired;
    }
    // Script: the following steps wait until a player aims.
    void waitForAiming() {
        host->waitUntil("a player aims", [this](const ScriptedHost& h) { return aiming(h); });
    }
    // Script: a click on the field, then a wait until the aiming loop has read the button twice.
    void clickPanel(int64_t h, int64_t v) {
        waitForAiming();
        host->clickAt(WindowID::field, h, v);
        host->waitForCalls(HostOp::button, 2);
    }
    void scriptAim(const PanelGeometry& panel, const Aim& aim) {
        clickPanel(panel.powderColumn(aim.powder), panel.powderRow());
        clickPanel(panel.elevationColumn(aim.elevation), panel.elevationRow());
    }
    // Script: a click on "Fire", then a wait until the aiming loop has taken it.
    void scriptFire(const PanelGeometry& panel) {
        waitForAiming();
        host->clickAt(WindowID::field, panel.fireColumn(), panel.fireRow());
        host->waitUntil("fired", [this](const ScriptedHost&) { return game.gFired; });
    }

    // Tries shots of one cannon on the current field (without drawing the panel) and returns the first
    // aim whose flight satisfies wanted. The cannon is redrawn at elevation 0 afterwards.
    std::optional<Aim> findAim(int64_t turn, const std::function<bool(const Ordnix&)>& wanted,
                               const std::vector<int64_t>& elevations, const std::vector<int64_t>& powders) {
        std::optional<Aim> found;
        play([&] {
            const int64_t volume = host->volume();
            game.setSoundVol(0);
            for (int64_t e : elevations) {
                if (turn == 1) {
                    game.gElevL = e;
                    game.drawLeftCannon();
                } else {
                    game.gElevR = e;
                    game.drawRightCannon();
                }
                for (int64_t p : powders) {
                    if (turn == 1) {
                        game.gPowderL = p;
                        game.fireLeft();
                    } else {
                        game.gPowderR = p;
                        game.fireRight();
                    }
                    if (wanted(game)) {
                        found = Aim{p, e};
                        break;
                    }
                }
                if (found)
                    break;
            }
            game.gElevL = game.gElevR = 0;
            game.gPowderL = game.gPowderR = 10;
            game.drawLeftCannon();
            game.drawRightCannon();
            game.setSoundVol(volume);
        });
        return found;
    }
};

inline std::vector<int64_t> range(int64_t from, int64_t to, int64_t step) {
    std::vector<int64_t> values;
    for (int64_t v = from; v <= to; v += step)
        values.push_back(v);
    return values;
}

// Every achievable change of a shooter's score by one shot: any subset of the six targets (each at most
// once) plus up to 14 trees at +-5.
inline std::set<int64_t> achievableDeltas(const std::vector<int64_t>& targetValues, bool rambo) {
    std::set<int64_t> sums{0};
    for (int64_t value : targetValues) {
        std::set<int64_t> next = sums;
        for (int64_t s : sums)
            next.insert(s + value);
        sums = std::move(next);
    }
    std::set<int64_t> deltas;
    for (int64_t s : sums)
        for (int64_t trees = 0; trees <= 14; ++trees)
            deltas.insert(s + (rambo ? 5 : -5) * trees);
    return deltas;
}

inline std::vector<int64_t> shooterValues(const Ordnix& g, int64_t turn) {
    if (turn == 1)
        return {g.gValLLCannon, g.gValLRCannon, g.gValLLHosp, g.gValLRHosp, g.gValLLPost, g.gValLRPost};
    return {g.gValRLCannon, g.gValRRCannon, g.gValRLHosp, g.gValRRHosp, g.gValRLPost, g.gValRRPost};
}

} // namespace battle
