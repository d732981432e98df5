// The flight of a ball over prepared fields: where it ends, where it is drawn and probed, where it lands,
// and that it leaves the field as it found it.
#include <gtest/gtest.h>

#include <mutex>

#include "BattleHarness.h"

namespace {

using battle::BattleGame;
using QuickDraw::Rect;

struct Trail {
    std::vector<std::pair<int64_t, int64_t>> pixels; // (h, v) the ball passed over
    int64_t minRow() const {
        int64_t m = INT64_MAX;
        for (auto [h, v] : pixels)
            m = std::min(m, v);
        return m;
    }
    std::set<int64_t> columns() const {
        std::set<int64_t> c;
        for (auto [h, v] : pixels)
            c.insert(h);
        return c;
    }
};

class FlightTest : public ::testing::Test {
protected:
    BattleGame g{4242};

    void SetUp() override {
        g.startUp();
        g.play([&] { g.game.eraseRect(Ordnix::rectTLBR(0, 0, 350, 520)); });
    }

    void paint(const Rect& r) {
        g.play([&] { g.game.fillRect(r, g.game.black); });
    }

    // Places a cannon's hub and muzzle without drawing it, so the field holds only what a test painted.
    void leftCannon(int64_t x, int64_t y, int64_t powder, int64_t elevation) {
        g.game.gCanLX = x;
        g.game.gCanLY = y;
        g.game.gMuzzleLDX = 18;
        g.game.gMuzzleLDY = -5;
        g.game.gPowderL = powder;
        g.game.gElevL = elevation;
        g.game.gWindLeft = 0;
    }
    void rightCannon(int64_t x, int64_t y, int64_t powder, int64_t elevation) {
        g.game.gCanRX = x;
        g.game.gCanRY = y;
        g.game.gMuzzleRDX = -21;
        g.game.gMuzzleRDY = -5;
        g.game.gPowderR = powder;
        g.game.gElevR = elevation;
        g.game.gWindRight = 0;
    }

    // Flies one ball and returns the pixels it was drawn over: a snapshot shows every pixel that was
    // inverted and restored since the one before.
    Trail fly(int64_t turn) {
        QuickDraw::Bitmap& field = g.field();
        {
            std::lock_guard lock(QuickDraw::screenLock());
            field.snapshot();
        }
        const std::vector<uint8_t> before = field.bits();
        g.play([&] {
            if (turn == 1)
                g.game.fireLeft();
            else
                g.game.fireRight();
        });
        std::vector<uint8_t> shown;
        {
            std::lock_guard lock(QuickDraw::screenLock());
            shown = field.snapshot();
        }
        EXPECT_EQ(field.bits(), before) << "the ball is erased and the field left as it was";
        Trail trail;
        for (size_t i = 0; i < shown.size(); ++i)
            if (shown[i] != before[i])
                trail.pixels.emplace_back(static_cast<int64_t>(i) % field.width(),
                                          static_cast<int64_t>(i) / field.width());
        return trail;
    }
};

TEST_F(FlightTest, AFlightThatHitsNothingEndsAtTheBottom) {
    leftCannon(100, 200, 10, 0);
    const Trail left = fly(1);
    EXPECT_FALSE(g.game.gLanded);
    EXPECT_GE(g.game.gBallY + 4, 281);
    EXPECT_LT(g.game.gBallY, 300) << "the flight ends at the first step whose disc reaches row 281";
    ASSERT_FALSE(left.pixels.empty());
    EXPECT_GE(left.minRow(), 1);

    rightCannon(400, 200, 10, 0);
    const Trail right = fly(2);
    EXPECT_FALSE(g.game.gLanded);
    EXPECT_GE(g.game.gBallY + 4, 281);
    EXPECT_FALSE(right.pixels.empty());
    EXPECT_LT(*right.columns().rbegin(), 400) << "the right cannon's ball flies to the left";
}

TEST_F(FlightTest, AFlightEndsAtEachSide) {
    // Level and fast: the ball hardly drops across the field.
    leftCannon(100, 150, 100, 22);
    fly(1);
    EXPECT_FALSE(g.game.gLanded);
    EXPECT_EQ(g.game.gBallX, 508) << "the left cannon's ball ends once its column exceeds 507";

    rightCannon(400, 150, 100, 22);
    fly(2);
    EXPECT_FALSE(g.game.gLanded);
    EXPECT_EQ(g.game.gBallX, 2) << "the right cannon's ball ends once its column is below 3";

    // Steep and fast: the ball leaves the window at the top and ends undrawn at the side.
    leftCannon(100, 150, 100, 89);
    const Trail high = fly(1);
    EXPECT_FALSE(g.game.gLanded);
    EXPECT_EQ(g.game.gBallX, 508);
    EXPECT_LE(g.game.gBallY, 0);
    EXPECT_LT(*high.columns().rbegin(), 200) << "the ball is not drawn while above the window";
}

TEST_F(FlightTest, ABallAboveTheWindowIsNotDrawnAndComesBack) {
    leftCannon(100, 150, 28, 89);
    const Trail trail = fly(1);
    EXPECT_FALSE(g.game.gLanded);
    EXPECT_GE(trail.minRow(), 1) << "nothing is drawn above row 1";
    const std::set<int64_t> columns = trail.columns();
    ASSERT_FALSE(columns.empty());
    int64_t widestGap = 0;
    for (auto it = columns.begin(); std::next(it) != columns.end(); ++it)
        widestGap = std::max(widestGap, *std::next(it) - *it);
    EXPECT_GT(widestGap, 5) << "the ball went out of view";
    EXPECT_GE(g.game.gBallY + 4, 281) << "and came back down to the bottom";
}

TEST_F(FlightTest, NoProbeAboveRow31) {
    // Black over rows 1 to 30: the ball passes over it drawn but never lands there.
    paint(Ordnix::rectTLBR(1, 0, 31, 512));
    leftCannon(100, 150, 28, 89);
    const Trail trail = fly(1);
    EXPECT_FALSE(g.game.gLanded);
    EXPECT_GE(g.game.gBallY + 4, 281);
    EXPECT_LE(trail.minRow(), 26) << "the ball was drawn where a probe would have met the black band";

    // The same band one row lower is probed: the ball lands in it.
    g.play([&] { g.game.eraseRect(Ordnix::rectTLBR(0, 0, 350, 520)); });
    paint(Ordnix::rectTLBR(31, 0, 61, 512));
    fly(1);
    EXPECT_TRUE(g.game.gLanded);
    EXPECT_GE(g.game.gHitPt.v, 31);
    EXPECT_LT(g.game.gHitPt.v, 61);
}

TEST_F(FlightTest, ALandingIsAtTheBottomCentreOfTheDisc) {
    // A wall across the path: the bottom centre X + 2 is the first probe to reach it either way (the
    // side probes X and X + 4 trail behind it), so the impact lies on the wall's near column.
    paint(Ordnix::rectTLBR(0, 300, 322, 310));
    leftCannon(100, 150, 100, 22);
    fly(1);
    ASSERT_TRUE(g.game.gLanded);
    EXPECT_EQ(g.game.gHitPt.h, 300);
    EXPECT_EQ(g.game.gBallX, g.game.gHitPt.h);
    EXPECT_EQ(g.game.gBallY, g.game.gHitPt.v);
    EXPECT_GT(g.game.gHitPt.v, 150 - 5);
    EXPECT_LT(g.game.gHitPt.v, 150 + 20);

    g.play([&] { g.game.eraseRect(Ordnix::rectTLBR(0, 0, 350, 520)); });
    paint(Ordnix::rectTLBR(0, 200, 322, 210));
    rightCannon(400, 150, 100, 22);
    fly(2);
    ASSERT_TRUE(g.game.gLanded);
    EXPECT_EQ(g.game.gHitPt.h, 209);
    EXPECT_EQ(g.game.gBallX, 209);
}

TEST_F(FlightTest, TheSideProbeAloneLandsTheBall) {
    // Black reaching just under the trailing side of the disc at the first step, but not under its
    // bottom centre: the left ball's side probe is (X, Y + 3), the right ball's (X + 4, Y + 3).
    leftCannon(100, 150, 100, 22); // muzzle column 118: the first step is drawn at X = 119
    paint(Ordnix::rectTLBR(100, 0, 200, 120));
    fly(1);
    ASSERT_TRUE(g.game.gLanded);
    EXPECT_EQ(g.game.gHitPt.h, 121);

    g.play([&] { g.game.eraseRect(Ordnix::rectTLBR(0, 0, 350, 520)); });
    rightCannon(400, 150, 100, 22); // muzzle column 379: the first step is drawn at X = 378
    paint(Ordnix::rectTLBR(100, 382, 200, 520));
    fly(2);
    ASSERT_TRUE(g.game.gLanded);
    EXPECT_EQ(g.game.gHitPt.h, 380);
}

TEST_F(FlightTest, FiringPlaysTheCannonSoundOnlyWithVolume) {
    leftCannon(100, 200, 10, 0);
    fly(1);
    ASSERT_FALSE(g.host->soundsPlayed().empty());
    EXPECT_EQ(g.host->soundsPlayed().back(), 128);
    const size_t played = g.host->soundsPlayed().size();
    g.play([&] { g.game.setSoundVol(0); });
    fly(1);
    EXPECT_EQ(g.host->soundsPlayed().size(), played);
}

} // namespace
