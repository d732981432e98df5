// Aiming in scripted battles: sliders, bars and numbers (shown or hidden), dragging, the barrel following
// the elevation, both shooters' panels; the windsock's random draws.
#include "BattleHarness.h"

namespace {

using namespace battle;

const Rect powderNumber = tlbr(286, 65, 295, 94), elevationNumber = tlbr(301, 65, 310, 94); // left shooter's

// Row `row` of a left slider: the gray pattern (black where h + row is even) up to column end, then white.
::testing::AssertionResult barEndsAt(BattleGame& g, int64_t row, int64_t end) {
    for (int64_t h = leftPanel.powderColumn(10); h < leftPanel.powderColumn(10) + 89; ++h)
        if (g.pixel(h, row) != (h < end && (h + row) % 2 == 0))
            return ::testing::AssertionFailure() << "row " << row << " column " << h << ", bar end " << end;
    return ::testing::AssertionSuccess();
}

// Whether `area` of the field shows `text` drawn from (h, row) in the game's font: compared with the
// same text drawn into the hidden targets window.
::testing::AssertionResult showsText(BattleGame& g, const std::string& text, int64_t h, int64_t row,
                                     QuickDraw::Style face, int64_t size, const Rect& area) {
    Ordnix& game = g.game;
    game.setPort(*game.gTargetWindow);
    game.eraseRect(tlbr(0, 0, 285, 490));
    game.textFont(QuickDraw::FontID::applFont);
    game.textFace(face);
    game.textSize(size);
    game.moveTo(h, 100);
    game.drawString(text);
    game.setPort(*game.gFieldWindow);
    const QuickDraw::Bitmap& drawn = game.window(WindowID::targets).port().bitmap;
    for (int64_t v = area.top; v < area.bottom; ++v)
        for (int64_t x = area.left; x < area.right; ++x)
            if (drawn.pixel(x, v - row + 100) != g.pixel(x, v))
                return ::testing::AssertionFailure() << '"' << text << "\" differs at " << x << ", " << v;
    return ::testing::AssertionSuccess();
}

// The left barrel's muzzle: flat up to elevation 9, low to 39, steep to 69, then upright.
Point leftMuzzle(int64_t e) {
    return e <= 9 ? Point(18, -5) : e <= 39 ? Point(20, -12) : e <= 69 ? Point(12, -20) : Point(-2, -25);
}

TEST(Aiming, SlidersNumbersBarsAndBarrelOnBothPanelsShownOrHidden) {
    for (const bool hidden : {false, true}) {
        SCOPED_TRACE(hidden ? "HIDE SETTINGS" : "settings shown");
        BattleGame g(1001);
        ScriptedHost& h = *g.host;
        Ordnix& game = g.game;
        if (hidden)
            h.chooseMenu(261, 3);
        h.chooseMenu(262, 1);
        struct Step {
            int64_t column, row, powder, elevation;
        };
        const int64_t pr = Panel::powderRow, er = Panel::elevationRow;
        const auto elevation = [&](int64_t e) { return Step{leftPanel.elevationColumn(e), er, 55, e}; };
        const Step steps[] = { // the edges, just outside them, above and below a slider, the barrel's steps
            {leftPanel.powderColumn(100), pr, 100, 0},      {leftPanel.powderColumn(10), pr, 10, 0},
            {leftPanel.powderColumn(10) - 1, pr, 10, 0},    {leftPanel.powderColumn(100) + 1, pr, 10, 0},
            {leftPanel.elevationColumn(89), er, 10, 89},    {leftPanel.elevationColumn(0), er, 10, 0},
            {leftPanel.elevationColumn(89) + 1, er, 10, 0}, {leftPanel.powderColumn(55), 284, 10, 0},
            {leftPanel.powderColumn(55), 296, 10, 0},       {leftPanel.powderColumn(55), pr, 55, 0},
            elevation(9), elevation(10), elevation(39), elevation(40), elevation(69), elevation(70), elevation(45),
        };
        g.waitForAiming();
        h.perform("a battle starts at powder 10, elevation 0, with the panel's texts", [&](ScriptedHost&) {
            const QuickDraw::Style plain{};
            EXPECT_TRUE(showsText(g, "Powder=", 9, 294, plain, 9, tlbr(286, 7, 295, 65)));
            EXPECT_TRUE(showsText(g, "Elevation=", 9, 309, plain, 9, tlbr(301, 7, 310, 65)));
            EXPECT_TRUE(showsText(g, hidden ? "" : "10", 75, 294, plain, 9, powderNumber));
            EXPECT_TRUE(showsText(g, hidden ? "" : "0", 75, 309, plain, 9, elevationNumber));
            EXPECT_TRUE(showsText(g, "Fire", 200, 305, QuickDraw::Style::bold, 18, tlbr(290, 197, 306, 245)));
            EXPECT_TRUE(barEndsAt(g, 287, leftPanel.powderColumn(10)));
            EXPECT_TRUE(barEndsAt(g, 302, leftPanel.elevationColumn(0)));
        });
        int64_t lastElevation = 0;
        for (const Step& s : steps) {
            // A marker in the white corner of the cannon's area: only drawing the cannon clears it.
            g.waitForAiming();
            h.perform("mark", [&](ScriptedHost&) { g.field().setPixel(game.gCanLRect.left, game.gCanLRect.top, 1); });
            g.clickPanel(s.column, s.row);
            h.perform("check", [&, s, redrawn = s.elevation != lastElevation](ScriptedHost&) {
                SCOPED_TRACE("click at " + std::to_string(s.column) + ", " + std::to_string(s.row));
                EXPECT_EQ(game.gPowderL, s.powder);
                EXPECT_EQ(game.gElevL, s.elevation);
                EXPECT_EQ(game.gPowderLStr, std::to_string(s.powder)) << "kept even when not drawn";
                EXPECT_EQ(game.gElevLStr, std::to_string(s.elevation));
                EXPECT_TRUE(barEndsAt(g, 287, leftPanel.powderColumn(s.powder)));
                EXPECT_TRUE(barEndsAt(g, 302, leftPanel.elevationColumn(s.elevation)));
                EXPECT_EQ(g.blackIn(powderNumber) > 0 || g.blackIn(elevationNumber) > 0, !hidden);
                EXPECT_EQ(game.gPowderR, 10) << "the other cannon keeps its settings";
                EXPECT_EQ(g.pixel(game.gCanLRect.left, game.gCanLRect.top), !redrawn)
                    << "a new elevation, and only that, redraws the cannon";
                EXPECT_TRUE(Point(game.gMuzzleLDX, game.gMuzzleLDY) == leftMuzzle(s.elevation));
            });
            lastElevation = s.elevation;
        }
        g.waitForAiming();
        h.drag(WindowID::field, leftPanel.powderColumn(90), pr, leftPanel.powderColumn(20), pr, 7, 2);
        h.waitForCalls(HostOp::button, 2);
        h.perform("after the drag", [&](ScriptedHost&) {
            EXPECT_EQ(game.gPowderL, 20);
            EXPECT_TRUE(barEndsAt(g, 287, leftPanel.powderColumn(20)));
        });
        g.scriptShot(leftPanel, {20, 45});
        h.waitUntil("the ball lands", [&](const ScriptedHost&) { return game.gLanded; });
        h.perform("in flight", [&](ScriptedHost& host) {
            EXPECT_FALSE(host.cursorVisible());
            EXPECT_FALSE(host.readyForMenus());
            EXPECT_EQ(host.soundsPlayed().back(), 128);
            EXPECT_GT(g.blackIn(tlbr(290, 200, 306, 242)), 16 * 42 / 2) << "the pressed \"Fire\" is inverted";
        });
        g.waitForAiming();
        h.perform("right turn", [&](ScriptedHost&) {
            EXPECT_EQ(game.gTurn, 2);
            EXPECT_EQ(g.blackIn(tlbr(288, 7, 307, 250)), 19 * 243) << "the left panel was painted black";
            EXPECT_EQ(g.blackIn(tlbr(286, 315, 295, 344)) > 0, !hidden) << "the right shooter's numbers";
        });
        g.scriptShot(rightPanel, {100, 89}); // over the top and out at the side
        g.waitForAiming();
        h.perform("left again, settings kept", [&](ScriptedHost&) {
            EXPECT_EQ(game.gTurn, 1);
            EXPECT_TRUE(game.gPowderR == 100 && game.gElevR == 89);
            EXPECT_TRUE(Point(game.gMuzzleRDX, game.gMuzzleRDY) == Point(-2, -23));
            EXPECT_TRUE(barEndsAt(g, 287, leftPanel.powderColumn(20)));
            EXPECT_TRUE(barEndsAt(g, 302, leftPanel.elevationColumn(45)));
        });
        h.endScenario();
        EXPECT_TRUE(h.run([&] { game.run(); }));
        EXPECT_TRUE(h.scriptDone()) << h.nextStep();
    }
}

// The wind takes a direction, then a speed in 1..gWindMax; a new field draws twice unless the wind is kept.
TEST(Windsock, DrawsDirectionThenSpeedAndOnANewFieldDrawsAgain) {
    struct Case {
        int64_t newField;
        bool kept;
        size_t draws; // random numbers taken; the wind comes from the last two
    };
    BattleGame g(1006);
    g.startUp();
    Ordnix& game = g.game;
    for (const int64_t windMax : {4, 14})
        for (const Case c : {Case{0, false, 2}, Case{1, false, 4}, Case{1, true, 2}, Case{0, true, 0}}) {
            SCOPED_TRACE("gWindMax " + std::to_string(windMax) + " gNewField " + std::to_string(c.newField) +
                         (c.kept ? " kept" : ""));
            game.gWindMax = windMax;
            game.gWindDir = 2;
            game.gWindSpeed = 1;
            const int32_t seed = game.randSeed();
            std::vector<int64_t> r;
            for (int i = 0; i < 5; ++i)
                r.push_back(game.random());
            game.setRandSeed(seed);
            game.gNewField = c.newField;
            game.gWindKept = c.kept;
            g.play([&] { game.drawWindsock(); });
            EXPECT_EQ(game.gWindDir, c.draws == 0 ? 2 : (r[c.draws - 2] & 1) + 1);
            EXPECT_EQ(game.gWindSpeed, c.draws == 0 ? 1 : (r[c.draws - 1] % windMax + windMax) % windMax + 1);
            EXPECT_EQ(game.random(), r[c.draws]) << "no further draw";
            EXPECT_EQ(game.gWindKept, c.kept && c.newField == 0);
        }
}

} // namespace
