// Aiming on the control panel in scripted battles: sliders by pressing and dragging, their ranges,
// numbers and bars, hidden settings, the barrel following the elevation, firing; and the windsock.
#include <gtest/gtest.h>

#include "BattleHarness.h"

namespace {

using battle::BattleGame;
using battle::leftPanel;
using battle::rightPanel;
using QuickDraw::Rect;

constexpr WindowID field = WindowID::field;

// The number boxes of the left shooter's panel (box at column 6): powder and elevation.
const Rect powderNumber = Ordnix::rectTLBR(286, 65, 295, 94);
const Rect elevationNumber = Ordnix::rectTLBR(301, 65, 310, 94);

// Whether row 287 of the powder slider (and 302 of the elevation slider) shows the gray bar from the
// slider's left edge up to column end (exclusive) and white from there to the frame.
::testing::AssertionResult barEndsAt(BattleGame& g, int64_t row, int64_t end) {
    const int64_t left = leftPanel.sliderLeft();
    for (int64_t h = left; h < left + 89; ++h) {
        const bool gray = ((h + row) % 2) == 0; // the gray pattern: 0xAA on even rows, 0x55 on odd ones
        const bool expected = h < end && gray;
        if (g.pixel(h, row) != expected)
            return ::testing::AssertionFailure() << "row " << row << " column " << h << " is "
                                                 << g.pixel(h, row) << ", bar end " << end;
    }
    return ::testing::AssertionSuccess();
}

TEST(Aiming, SlidersSetPowderAndElevationAcrossTheirRangeAndTheBallLands) {
    BattleGame g(1001);
    ScriptedHost& h = *g.host;
    Ordnix& game = g.game;
    h.chooseMenu(262, 1);

    struct Step {
        int64_t column, row;
        int64_t powder, elevation;
    };
    const Step steps[] = {
        {leftPanel.powderColumn(100), leftPanel.powderRow(), 100, 0}, // right edge
        {leftPanel.powderColumn(10), leftPanel.powderRow(), 10, 0},   // left edge
        {leftPanel.sliderLeft() - 1, leftPanel.powderRow(), 10, 0},   // left of the slider: nothing
        {leftPanel.powderColumn(100) + 1, leftPanel.powderRow(), 10, 0},
        {leftPanel.elevationColumn(89), leftPanel.elevationRow(), 10, 89},
        {leftPanel.elevationColumn(0), leftPanel.elevationRow(), 10, 0},
        {leftPanel.elevationColumn(89) + 1, leftPanel.elevationRow(), 10, 0},
        {leftPanel.powderColumn(55), 284, 10, 0}, // above the slider
        {leftPanel.powderColumn(55), 296, 10, 0}, // below it
        {leftPanel.powderColumn(55), leftPanel.powderRow(), 55, 0},
        {leftPanel.elevationColumn(45), leftPanel.elevationRow(), 55, 45},
    };
    for (const Step& s : steps) {
        g.clickPanel(s.column, s.row);
        h.perform("check the settings", [&, s](ScriptedHost&) {
            SCOPED_TRACE("click at column " + std::to_string(s.column) + ", row " + std::to_string(s.row));
            EXPECT_EQ(game.gPowderL, s.powder);
            EXPECT_EQ(game.gElevL, s.elevation);
            EXPECT_EQ(game.gPowderLStr, std::to_string(s.powder));
            EXPECT_EQ(game.gElevLStr, std::to_string(s.elevation));
            EXPECT_TRUE(barEndsAt(g, 287, leftPanel.powderColumn(s.powder)));
            EXPECT_TRUE(barEndsAt(g, 302, leftPanel.elevationColumn(s.elevation)));
            EXPECT_GT(g.blackIn(powderNumber), 0);
            EXPECT_GT(g.blackIn(elevationNumber), 0);
            EXPECT_EQ(game.gPowderR, 10) << "the other cannon keeps its settings";
        });
    }

    // Dragging along the powder slider moves the value continuously; a short, lobbed shot lands.
    g.waitForAiming();
    h.drag(field, leftPanel.powderColumn(90), leftPanel.powderRow(), leftPanel.powderColumn(20),
           leftPanel.powderRow(), 7, 2);
    h.waitForCalls(HostOp::button, 2);
    h.perform("check the drag", [&](ScriptedHost&) {
        EXPECT_EQ(game.gPowderL, 20);
        EXPECT_TRUE(barEndsAt(g, 287, leftPanel.powderColumn(20)));
    });

    g.scriptFire(leftPanel);
    h.waitUntil("the ball lands", [&](const ScriptedHost&) { return game.gLanded; });
    h.perform("check the shot", [&](ScriptedHost& host) {
        EXPECT_TRUE(game.gFired);
        EXPECT_FALSE(host.cursorVisible()) << "the cursor is hidden during the flight";
        EXPECT_FALSE(host.readyForMenus());
        EXPECT_EQ(host.soundsPlayed().back(), 128);
        EXPECT_EQ(game.gHitPt.h, game.gBallX);
    });
    h.endScenario();
    EXPECT_TRUE(h.run([&] { game.run(); }));
    EXPECT_TRUE(h.scriptDone()) << h.nextStep();
}

TEST(Aiming, HiddenSettingsMoveTheBarsButShowNoNumbers) {
    BattleGame g(1002);
    ScriptedHost& h = *g.host;
    Ordnix& game = g.game;
    h.chooseMenu(261, 3); // "HIDE SETTINGS"
    h.chooseMenu(262, 1);
    g.waitForAiming();
    h.perform("check the first panel", [&](ScriptedHost&) {
        EXPECT_EQ(g.blackIn(powderNumber), 0);
        EXPECT_EQ(g.blackIn(elevationNumber), 0);
    });
    g.scriptAim(leftPanel, {70, 33});
    h.perform("check the hidden settings", [&](ScriptedHost&) {
        EXPECT_EQ(game.gPowderL, 70);
        EXPECT_EQ(game.gElevL, 33);
        EXPECT_TRUE(barEndsAt(g, 287, leftPanel.powderColumn(70)));
        EXPECT_TRUE(barEndsAt(g, 302, leftPanel.elevationColumn(33)));
        EXPECT_EQ(g.blackIn(powderNumber), 0);
        EXPECT_EQ(g.blackIn(elevationNumber), 0);
        EXPECT_EQ(game.gPowderLStr, "70") << "the number is kept, only not drawn";
    });
    h.endScenario();
    EXPECT_TRUE(h.run([&] { game.run(); }));
    EXPECT_TRUE(h.scriptDone()) << h.nextStep();
}

TEST(Aiming, TheBarrelFollowsTheElevationAndNeverThePowder) {
    BattleGame g(1003);
    ScriptedHost& h = *g.host;
    Ordnix& game = g.game;
    h.chooseMenu(262, 1);

    // A marker pixel in the white corner of the cannon's area: drawing the cannon clears it.
    const auto placeMarker = [&](ScriptedHost&) {
        game.window(WindowID::field).port().bitmap.setPixel(game.gCanLRect.left, game.gCanLRect.top, true);
    };
    const auto markerStands = [&] { return g.pixel(game.gCanLRect.left, game.gCanLRect.top); };

    g.waitForAiming();
    h.perform("place the marker", placeMarker);
    g.clickPanel(leftPanel.powderColumn(80), leftPanel.powderRow());
    h.perform("powder", [&](ScriptedHost&) { EXPECT_TRUE(markerStands()) << "the powder never redraws the cannon"; });

    struct Barrel {
        int64_t elevation, muzzleDX, muzzleDY;
    };
    const Barrel barrels[] = {{9, 18, -5}, {10, 20, -12}, {39, 20, -12}, {40, 12, -20},
                              {69, 12, -20}, {70, -2, -25}, {89, -2, -25}, {0, 18, -5}};
    for (const Barrel& b : barrels) {
        h.perform("place the marker", placeMarker);
        g.clickPanel(leftPanel.elevationColumn(b.elevation), leftPanel.elevationRow());
        h.perform("barrel", [&, b](ScriptedHost&) {
            SCOPED_TRACE("elevation " + std::to_string(b.elevation));
            EXPECT_EQ(game.gElevL, b.elevation);
            EXPECT_FALSE(markerStands()) << "a new elevation redraws the cannon";
            EXPECT_EQ(game.gMuzzleLDX, b.muzzleDX);
            EXPECT_EQ(game.gMuzzleLDY, b.muzzleDY);
        });
    }
    // The same elevation again: nothing to redraw.
    h.perform("place the marker", placeMarker);
    g.clickPanel(leftPanel.elevationColumn(0), leftPanel.elevationRow());
    h.perform("same elevation", [&](ScriptedHost&) { EXPECT_TRUE(markerStands()); });
    h.endScenario();
    EXPECT_TRUE(h.run([&] { game.run(); }));
    EXPECT_TRUE(h.scriptDone()) << h.nextStep();
}

TEST(Aiming, TheRightShootersPanelSitsUnderTheRightHalf) {
    BattleGame g(1004);
    ScriptedHost& h = *g.host;
    Ordnix& game = g.game;
    h.chooseMenu(262, 1);
    g.scriptAim(leftPanel, {100, 89}); // steep and fast: over the top and out at the side
    g.scriptFire(leftPanel);
    g.waitForAiming();
    h.perform("right turn", [&](ScriptedHost&) {
        EXPECT_FALSE(game.gLanded);
        EXPECT_EQ(game.gTurn, 2);
        EXPECT_EQ(game.gPanelLeft, 251);
        EXPECT_EQ(game.gPanelRight, 510);
        EXPECT_EQ(game.gBoxLeft, 256);
        EXPECT_EQ(game.gPowSlider, Ordnix::rectTLBR(285, 345, 296, 436));
        EXPECT_EQ(game.gEleSlider, Ordnix::rectTLBR(300, 345, 311, 435));
        EXPECT_EQ(game.gFireRect, Ordnix::rectTLBR(285, 446, 311, 496));
        EXPECT_EQ(g.blackIn(Ordnix::rectTLBR(288, 7, 307, 250)), (307 - 288) * (250 - 7))
            << "the left panel was painted black";
    });
    g.scriptAim(rightPanel, {100, 89});
    h.perform("right settings", [&](ScriptedHost&) {
        EXPECT_EQ(game.gPowderR, 100);
        EXPECT_EQ(game.gElevR, 89);
        EXPECT_EQ(game.gPowderL, 100) << "the left cannon keeps its settings";
        EXPECT_EQ(game.gMuzzleRDX, -2);
        EXPECT_EQ(game.gMuzzleRDY, -23);
    });
    g.scriptFire(rightPanel);
    g.waitForAiming();
    h.perform("left again, settings kept", [&](ScriptedHost&) {
        EXPECT_EQ(game.gTurn, 1);
        EXPECT_EQ(game.gPowderL, 100);
        EXPECT_EQ(game.gElevL, 89);
        EXPECT_TRUE(barEndsAt(g, 287, leftPanel.powderColumn(100)));
    });
    h.endScenario();
    EXPECT_TRUE(h.run([&] { game.run(); }));
    EXPECT_TRUE(h.scriptDone()) << h.nextStep();
}

TEST(Windsock, PushBySpeedAndDirection) {
    BattleGame g(1005);
    g.startUp();
    Ordnix& game = g.game;
    game.gWindMax = 14;
    game.gNewField = 1;
    int64_t ground = 0;
    g.play([&] {
        ground = game.groundRow(255);
        game.drawWindsock();
    });
    const int64_t base = game.gSockBase;
    EXPECT_EQ(base, ground + 1) << "the row just below the first ground pixel of column 255";
    game.gNewField = 0;
    // Pushes by speed: 1-2 give 0, 3-4 give 1, 5-7 give 2, 8-9 give 3, 10-12 give 4, 13-14 give 5.
    const int64_t push[15] = {0, 0, 0, 1, 1, 2, 2, 2, 3, 3, 4, 4, 4, 5, 5};
    for (int64_t direction : {1, 2}) {
        for (int64_t speed = 1; speed <= 14; ++speed) {
            SCOPED_TRACE("direction " + std::to_string(direction) + " speed " + std::to_string(speed));
            game.gWindKept = true; // keep the wind this test sets
            game.gWindDir = direction;
            game.gWindSpeed = speed;
            g.play([&] { game.drawWindsock(); });
            const int64_t p = push[speed];
            EXPECT_EQ(game.gWindLeft, direction == 1 ? p : -p);
            EXPECT_EQ(game.gWindRight, direction == 1 ? -p : p);
            // The flag is black on the side the wind blows to, the sky on the other side white.
            const Rect right = Ordnix::rectTLBR(base - 39, 256, base - 29, 274);
            const Rect left = Ordnix::rectTLBR(base - 39, 236, base - 29, 254);
            const Rect flag = direction == 1 ? right : left;
            const Rect other = direction == 1 ? left : right;
            EXPECT_GT(g.blackIn(flag), flag.width() * flag.height() / 2);
            EXPECT_EQ(g.blackIn(other), 0);
            EXPECT_TRUE(g.pixel(255, base - 43)) << "the pole";
        }
    }
    // A new wind each time it is not kept, always within 1 to gWindMax.
    game.gWindMax = 4;
    for (int i = 0; i < 50; ++i) {
        game.gWindKept = false;
        g.play([&] { game.drawWindsock(); });
        EXPECT_GE(game.gWindSpeed, 1);
        EXPECT_LE(game.gWindSpeed, 4);
        EXPECT_TRUE(game.gWindDir == 1 || game.gWindDir == 2);
    }
}

} // namespace
