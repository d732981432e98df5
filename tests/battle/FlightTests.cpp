// Rounding to 16-bit integers, the launch figures, and the flight of a ball over prepared fields: where
// it ends, where it is drawn and probed, where it lands, and that it leaves the field as it found it.
#include <mutex>
#include <set>

#include "BattleHarness.h"
#include "PascalRound.h"

namespace {

using namespace battle;

struct FlightCase {
    const char* name;
    int64_t turn, x, y, powder, elevation; // hub; the muzzle is the flat barrel's (18, -5) or (-21, -5)
    Rect black;                            // painted on the empty field first
    int64_t end;        // the column where the ball leaves at a side, 0 at the bottom, -1 when it lands
    Point hit;          // where it lands; a negative coordinate is not checked
    int64_t maxColumn = 511, minRow = 1, minGap = 0; // of the drawn trail
    int64_t wind = 0; // the left cannon's push; the right one's is its opposite
};

// Where a ball from the hub (x, y) with the flat barrel first touches a floor that is black from row `floor` down:
// each step's height from the launch figures of its cannon's powder, elevation and push, by the flight rule.
Point landingOnFloor(int64_t turn, int64_t x, int64_t y, int64_t powder, int64_t elevation, int64_t wind, int64_t floor) {
    const bool left = turn == 1;
    const Ordnix::Launch launch = Ordnix::launchFigures(powder, elevation, left ? wind : -wind);
    const int64_t muzzleX = x + (left ? 18 : -21), y0 = y - 5;
    for (int64_t t = 1;; ++t) {
        double r = static_cast<double>(t) / static_cast<double>(launch.h);
        if (!left)
            r = static_cast<float>(r);
        const int64_t row = pascalRound(static_cast<double>(launch.v) * r + r * r + static_cast<double>(y0));
        const int64_t column = muzzleX + (left ? t : -t);
        if (row >= 31 && row + 4 >= floor)
            return Point(column + 2, row + 4);
    }
}

class Flight : public ::testing::TestWithParam<FlightCase> {};

TEST_P(Flight, EndsLandsAndLeavesTheFieldAsItWas) {
    const FlightCase& c = GetParam();
    BattleGame g(4242);
    Ordnix& game = g.game;
    g.startUp();
    g.play([&] {
        game.eraseRect(tlbr(0, 0, 350, 520));
        game.fillRect(c.black, game.black);
    });
    const bool left = c.turn == 1;
    (left ? game.gCanLX : game.gCanRX) = c.x;
    (left ? game.gCanLY : game.gCanRY) = c.y;
    (left ? game.gMuzzleLDX : game.gMuzzleRDX) = left ? 18 : -21;
    (left ? game.gMuzzleLDY : game.gMuzzleRDY) = -5;
    (left ? game.gPowderL : game.gPowderR) = c.powder;
    (left ? game.gElevL : game.gElevR) = c.elevation;
    game.gWindLeft = c.wind;
    game.gWindRight = -c.wind;

    // A snapshot shows every pixel inverted and restored since the one before: the ball's trail.
    QuickDraw::Bitmap& field = g.field();
    std::vector<uint8_t> shown;
    const auto snapshot = [&] {
        std::lock_guard lock(QuickDraw::screenLock());
        shown = field.snapshot();
    };
    snapshot();
    const std::vector<uint8_t> before = field.bits();
    const size_t sounds = g.host->soundsPlayed().size();
    g.play([&] { left ? game.fireLeft() : game.fireRight(); });
    snapshot();
    EXPECT_EQ(field.bits(), before) << "the ball is erased";
    EXPECT_EQ(g.host->soundsPlayed().size(), sounds + 1);
    EXPECT_EQ(g.host->soundsPlayed().back(), 128);
    int64_t minRow = INT64_MAX, widestGap = 0;
    std::set<int64_t> columns;
    for (size_t i = 0; i < shown.size(); ++i)
        if (shown[i] != before[i]) {
            minRow = std::min(minRow, static_cast<int64_t>(i) / field.width());
            columns.insert(static_cast<int64_t>(i) % field.width());
        }
    ASSERT_FALSE(columns.empty());
    for (auto it = columns.begin(); std::next(it) != columns.end(); ++it)
        widestGap = std::max(widestGap, *std::next(it) - *it);
    EXPECT_GE(minRow, 1) << "nothing is drawn above row 1";
    EXPECT_EQ(game.gLanded, c.end < 0);
    // A side end once the column passes 507 or falls below 3; a bottom end at the first step reaching row 281.
    EXPECT_TRUE(c.end <= 0 || game.gBallX == c.end) << game.gBallX;
    EXPECT_TRUE(c.end != 0 || (game.gBallY + 4 >= 281 && game.gBallY + 4 < 281 + 10)) << game.gBallY;
    EXPECT_TRUE(!game.gLanded || game.gHitPt == Point(game.gBallX, game.gBallY)) << "the impact point is in both";
    EXPECT_TRUE(c.hit.h < 0 || game.gHitPt.h == c.hit.h) << game.gHitPt.h;
    EXPECT_TRUE(c.hit.v < 0 || game.gHitPt.v == c.hit.v) << game.gHitPt.v;
    EXPECT_LE(*columns.rbegin(), c.maxColumn);
    EXPECT_TRUE(c.minRow == 1 || minRow == c.minRow) << "drawn, never probed above row 31: " << minRow;
    EXPECT_TRUE(c.minGap == 0 || widestGap > c.minGap) << "the ball went out of view";
}

const Rect nothing = tlbr(0, 0, 0, 0);
const Point none(-1, -1);

INSTANTIATE_TEST_SUITE_P(
    Battle, Flight,
    ::testing::Values(
        // Wind 5 against the right cannon, over a floor from row 205: the push changes both speed and angle.
        FlightCase{"RightAgainstTheWind", 2, 400, 200, 50, 22, tlbr(205, 0, 322, 512), -1,
                   landingOnFloor(2, 400, 200, 50, 22, 5, 205), 511, 1, 0, 5},
        FlightCase{"AboveTheWindowUndrawnToTheSide", 1, 100, 150, 100, 89, nothing, 508, none, 199},
        // Level at row 30 over black down to row 33: drawn, never probed.
        FlightCase{"NoProbeAboveRow31", 1, 100, 35, 100, 22, tlbr(1, 0, 34, 512), 508, none, 511, 30},
        // Black under the trailing side of the first disc only: the left ball's side probe is (X, Y + 3)
        // with X = 119, the right ball's (X + 4, Y + 3) with X = 378.
        FlightCase{"LeftSideProbe", 1, 100, 150, 100, 22, tlbr(100, 0, 200, 120), -1, Point(121, -1)},
        FlightCase{"RightSideProbe", 2, 400, 150, 100, 22, tlbr(100, 382, 200, 520), -1, Point(380, -1)}),
    [](const ::testing::TestParamInfo<FlightCase>& info) { return std::string(info.param.name); });

} // namespace
