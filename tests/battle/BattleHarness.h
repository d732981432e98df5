// Shared helpers of the battle tests: a game on a scripted host, the shooters' panels, pixel counts.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

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
    // Checks run on the game's thread once a player aims.
    void whenAiming(std::string what, std::function<void()> check) {
        waitForAiming();
        host->perform(std::move(what), [check = std::move(check)](ScriptedHost&) { check(); });
    }
    // A click once a player aims, then a wait until the loop has read the button three times: it has seen the
    // press and then the release, so the next click is a new press rather than the same one still held.
    void clickPanel(int64_t h, int64_t v) {
        waitForAiming();
        host->clickAt(WindowID::field, h, v);
        host->waitForCalls(HostOp::button, 3);
    }
    void scriptShot(const Panel& panel, const Aim& aim) {
        clickPanel(panel.powderColumn(aim.powder), Panel::powderRow);
        clickPanel(panel.elevationColumn(aim.elevation), Panel::elevationRow);
        waitForAiming();
        host->clickAt(WindowID::field, panel.fireColumn(), Panel::fireRow);
        host->waitUntil("fired", [this](const ScriptedHost&) { return game.gFired; });
    }
};

} // namespace battle
