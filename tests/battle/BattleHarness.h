// Shared helpers of the battle tests: a game on a scripted host, the panel as the players see it,
// pixel readers and an aim finder that tries shots on the current field (a flight leaves it as it was).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "Ordnix.h"
#include "ScriptedHost.h"

namespace battle {

using QuickDraw::Point;
using QuickDraw::Rect;
inline Rect tlbr(int64_t t, int64_t l, int64_t b, int64_t r) { return Ordnix::rectTLBR(t, l, b, r); }

// The shooter's panel: box at column 6 (left shooter) or 256 (right); sliders start 89 columns further.
struct Panel {
    int64_t box;
    int64_t powderColumn(int64_t powder) const { return box + 89 + powder - 10; }
    int64_t elevationColumn(int64_t elevation) const { return box + 89 + elevation; }
    int64_t fireColumn() const { return box + 215; }
    static constexpr int64_t powderRow = 290, elevationRow = 305, fireRow = 298;
};
inline constexpr Panel leftPanel{6}, rightPanel{256};

struct Aim {
    int64_t powder = 10, elevation = 0;
};

class BattleGame {
public:
    explicit BattleGame(int32_t seed) {
        host->setRandSeed(seed);
        host->setIdleMicroseconds(4000); // fewer host calls per tick; the game's pacing is unchanged
        host->setTimeLimitTicks(60 * 60 * 60);
    }

    std::shared_ptr<ScriptedHost> host = std::make_shared<ScriptedHost>();
    Ordnix game{host};

    void play(const std::function<void()>& body) { ASSERT_TRUE(host->run(body)); }
    void startUp() {
        play([&] {
            game.startUp();
            game.buildField();
        });
    }

    QuickDraw::Bitmap& field() { return game.window(WindowID::field).port().bitmap; }
    bool pixel(int64_t h, int64_t v) { return field().pixel(h, v); }
    int64_t blackIn(const Rect& r) {
        int64_t n = 0;
        for (int64_t v = r.top; v < r.bottom; ++v)
            for (int64_t h = r.left; h < r.right; ++h)
                n += field().pixel(h, v) ? 1 : 0;
        return n;
    }

    // A player aims: the loop polls for menus, only "STOP A BATTLE" is offered, nothing fired yet.
    bool aiming(const ScriptedHost& h) const {
        const MenuState* m = h.menu(262);
        return h.readyForMenus() && h.queuedMenuChoices().empty() && m != nullptr && m->enabled &&
               m->itemEnabled[2] && !game.gFired;
    }
    void waitForAiming() {
        host->waitUntil("a player aims", [this](const ScriptedHost& h) { return aiming(h); });
    }
    // A click on the field once a player aims, then a wait until the loop has read the button twice.
    void clickPanel(int64_t h, int64_t v) {
        waitForAiming();
        host->clickAt(WindowID::field, h, v);
        host->waitForCalls(HostOp::button, 2);
    }
    void scriptAim(const Panel& panel, const Aim& aim) {
        clickPanel(panel.powderColumn(aim.powder), Panel::powderRow);
        clickPanel(panel.elevationColumn(aim.elevation), Panel::elevationRow);
    }
    void scriptFire(const Panel& panel) {
        waitForAiming();
        host->clickAt(WindowID::field, panel.fireColumn(), Panel::fireRow);
        host->waitUntil("fired", [this](const ScriptedHost&) { return game.gFired; });
    }

    // The first aim of a cannon on the current field whose silent flight (no panel) satisfies wanted.
    // A battle started afterwards resets the settings and redraws both cannons.
    std::optional<Aim> findAim(int64_t turn, const std::function<bool(const Ordnix&)>& wanted) {
        std::optional<Aim> found;
        play([&] {
            game.setSoundVol(0);
            for (int64_t e = 30; e <= 60 && !found; e += 5) {
                (turn == 1 ? game.gElevL : game.gElevR) = e;
                turn == 1 ? game.drawLeftCannon() : game.drawRightCannon(); // the muzzle for e
                for (int64_t p = 20; p <= 100 && !found; p += 2) {
                    (turn == 1 ? game.gPowderL : game.gPowderR) = p;
                    turn == 1 ? game.fireLeft() : game.fireRight();
                    if (wanted(game))
                        found = Aim{p, e};
                }
            }
            game.setSoundVol(3);
        });
        return found;
    }
};

} // namespace battle
