// Bursts, hits and scores on a prepared field: flat ground from row 150, the cannons at columns 40 and
// 470, buildings and trees where a test puts them.
#include <gtest/gtest.h>

#include <algorithm>

#include "BattleHarness.h"

namespace {

using battle::BattleGame;
using QuickDraw::Point;
using QuickDraw::Rect;

constexpr int64_t groundRow = 150;

class ImpactTest : public ::testing::Test {
protected:
    BattleGame g{777};
    Ordnix& game = g.game;

    void SetUp() override {
        g.startUp();
        g.play([&] {
            game.eraseRect(Ordnix::rectTLBR(0, 0, 350, 520));
            game.fillRect(Ordnix::rectTLBR(groundRow, 0, 350, 520), game.black);
            game.gNumTrees = 0;
            game.gCanLX = 40;
            game.gCanLY = groundRow - 9;
            game.gCanRX = 470;
            game.gCanRY = groundRow - 9;
            game.drawLeftCannon();
            game.drawRightCannon();
            game.gNewField = 0;
        });
    }

    // A building with its foot on the ground (top 35 rows above the first ground row), as the sites put it.
    void leftHospitalAt(int64_t left) {
        game.gHospitals = 1;
        game.gLHospUp = true;
        game.gHospLLeft = left;
        game.gHospLTop = groundRow - 35;
        g.play([&] { game.drawLeftHospital(); });
    }
    void rightHospitalAt(int64_t left) {
        game.gHospitals = 1;
        game.gRHospUp = true;
        game.gHospRLeft = left;
        game.gHospRTop = groundRow - 35;
        g.play([&] { game.drawRightHospital(); });
    }
    void leftPostAt(int64_t left) {
        game.gPosts = 1;
        game.gLPostUp = true;
        game.gPostLLeft = left;
        game.gPostLTop = groundRow - 35;
        g.play([&] { game.drawLeftPost(); });
    }
    void rightPostAt(int64_t left) {
        game.gPosts = 1;
        game.gRPostUp = true;
        game.gPostRLeft = left;
        game.gPostRTop = groundRow - 35;
        g.play([&] { game.drawRightPost(); });
    }

    // A fir tree with index i whose trunk stands on the ground, its outline as planting records it.
    void treeAt(int64_t i, int64_t left) {
        static constexpr int64_t outline[][2] = {
            {10, 1},  {12, 6},  {11, 6},  {12, 6},  {13, 11}, {11, 11}, {14, 15}, {11, 15}, {15, 20}, {11, 20},
            {16, 24}, {11, 24}, {18, 29}, {11, 29}, {11, 35}, {9, 35},  {9, 29},  {2, 29},  {9, 24},  {4, 24},
            {9, 20},  {5, 20},  {9, 15},  {6, 15},  {9, 11},  {7, 11},  {9, 6},   {8, 6},   {10, 1},
        };
        const int64_t top = groundRow - 33;
        const auto index = static_cast<size_t>(i);
        game.gNumTrees = std::max(game.gNumTrees, i);
        game.gTreeDown[index] = false;
        game.gTreeRect[index] = Ordnix::rectTLBR(top, left, top + 35, left + 19);
        game.gTreeBaseX[index] = left + 9;
        game.gTreeBaseY[index] = top + 35;
        g.play([&] {
            game.gTreePoly[index] = game.openPoly();
            game.moveTo(left + outline[0][0], top + outline[0][1]);
            for (const auto& p : outline)
                game.lineTo(left + p[0], top + p[1]);
            game.closePoly();
            game.fillPoly(game.gTreePoly[index], game.black);
        });
    }

    // A landed ball at (h, v), the shooter given: the burst, then the hit tests.
    void impact(int64_t turn, int64_t h, int64_t v) {
        game.gTurn = turn;
        game.gLanded = true;
        game.gHitPt = Point(h, v);
        game.gBallX = h;
        game.gBallY = v;
        g.play([&] {
            game.groundBurst();
            game.checkHits();
        });
        EXPECT_FALSE(g.host->soundPlaying()) << "checkHits returns once every sound has ended";
    }

    static Point centre(const Rect& r) { return Point((r.left + r.right) / 2, (r.top + r.bottom) / 2); }
};

struct CannonCase {
    const char* name;
    int64_t shooter;
    int64_t targetSide; // 1 left cannon, 2 right cannon
    bool edited;
    int64_t scoreL, scoreR;
};

TEST_F(ImpactTest, ACannonHitEndsTheBattleAndScoresItsValueForTheShooter) {
    const CannonCase cases[] = {
        {"left destroys the right cannon", 1, 2, false, 10, 0},
        {"left destroys its own cannon", 1, 1, false, -20, 0},
        {"right destroys the left cannon", 2, 1, false, 0, 10},
        {"right destroys its own cannon", 2, 2, false, 0, -20},
        {"edited: left destroys the right cannon", 1, 2, true, 7, 0},
        {"edited: left destroys its own cannon", 1, 1, true, -3, 0},
        {"edited: right destroys the left cannon", 2, 1, true, 0, 9},
        {"edited: right destroys its own cannon", 2, 2, true, 0, -1},
    };
    for (const CannonCase& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        game.gScoreL = game.gScoreR = 0;
        game.gBattleOver = game.gLCanDead = game.gRCanDead = false;
        game.gKilled = 0;
        if (c.edited) {
            game.gValLRCannon = 7;
            game.gValLLCannon = -3;
            game.gValRLCannon = 9;
            game.gValRRCannon = -1;
        }
        const Rect target = c.targetSide == 1 ? game.gCanLRect : game.gCanRRect;
        const Point p = centre(target);
        impact(c.shooter, p.h, p.v);
        EXPECT_TRUE(game.gBattleOver);
        EXPECT_EQ(game.gKilled, c.targetSide);
        EXPECT_EQ(c.targetSide == 1 ? game.gLCanDead : game.gRCanDead, true);
        EXPECT_EQ(c.targetSide == 1 ? game.gRCanDead : game.gLCanDead, false) << "the other cannon stands";
        EXPECT_EQ(game.gScoreL, c.scoreL);
        EXPECT_EQ(game.gScoreR, c.scoreR);
        EXPECT_FALSE(game.gLCanHit || game.gRCanHit) << "the explosion clears the hit flags";
        const Point hub = c.targetSide == 1 ? Point(game.gCanLX, game.gCanLY) : Point(game.gCanRX, game.gCanRY);
        EXPECT_EQ(g.blackIn(Ordnix::rectTLBR(hub.v - 8, hub.h - 6, hub.v + 8, hub.h + 7)), 0)
            << "the explosion wipes the wheel away";
        const std::vector<int64_t>& sounds = g.host->soundsPlayed();
        ASSERT_GE(sounds.size(), 2u);
        EXPECT_EQ(sounds[sounds.size() - 2], 129);
        EXPECT_EQ(sounds.back(), 131);
        game.gValLRCannon = 10;
        game.gValLLCannon = -20;
        game.gValRLCannon = 10;
        game.gValRRCannon = -20;
    }
}

TEST_F(ImpactTest, ACraterUnderACannonDestroysIt) {
    // The crater disc lies 25 rows above B = v + 12; a burst 12 rows below the right cannon's base,
    // outside its rectangle (which ends at row 150), erases the base pixel.
    const int64_t baseX = game.gCanRBaseX;
    const int64_t baseY = game.gCanRBaseY;
    ASSERT_TRUE(g.pixel(baseX, baseY));
    impact(1, baseX, baseY + 12);
    EXPECT_FALSE(game.gCanRRect.contains(game.gHitPt));
    EXPECT_TRUE(game.gRCanDead);
    EXPECT_EQ(game.gKilled, 2);
    EXPECT_EQ(game.gScoreL, 10);
    EXPECT_FALSE(game.gLCanDead);
}

TEST_F(ImpactTest, AMissRepairsTheCannonsAndChangesNoScore) {
    const std::vector<uint8_t> before = g.bits();
    impact(1, 250, 200); // deep in the ground between the cannons
    EXPECT_FALSE(game.gBattleOver);
    EXPECT_EQ(game.gScoreL, 0);
    EXPECT_EQ(game.gScoreR, 0);
    EXPECT_EQ(game.gKilled, 0);
    const std::vector<int64_t>& sounds = g.host->soundsPlayed();
    ASSERT_FALSE(sounds.empty());
    EXPECT_EQ(sounds.back(), 129) << "only the ground sound";
    // Tunnels: the crater is white, everything above it stands.
    EXPECT_FALSE(g.pixel(253, 200 + 12 - 25)) << "the crater's centre";
    EXPECT_TRUE(g.pixel(253, 160)) << "ground above the crater stays";
}

struct BuildingCase {
    const char* name;
    int64_t shooter;
    int64_t side;     // 1 left building, 2 right
    bool hospital;
    int64_t scoreL, scoreR;
};

TEST_F(ImpactTest, BuildingsScoreTheirValuesAndNeverEndTheBattle) {
    const BuildingCase cases[] = {
        {"left hits the enemy hospital", 1, 2, true, -10, 0},
        {"left hits its own hospital", 1, 1, true, -20, 0},
        {"left hits the enemy post", 1, 2, false, 20, 0},
        {"left hits its own post", 1, 1, false, -20, 0},
        {"right hits the enemy hospital", 2, 1, true, 0, -10},
        {"right hits its own hospital", 2, 2, true, 0, -20},
        {"right hits the enemy post", 2, 1, false, 0, 20},
        {"right hits its own post", 2, 2, false, 0, -20},
    };
    for (const BuildingCase& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        game.gScoreL = game.gScoreR = 0;
        game.gLHospRect = game.gRHospRect = game.gLPostRect = game.gRPostRect = Rect::zero;
        game.gLHospUp = game.gRHospUp = game.gLPostUp = game.gRPostUp = false;
        if (c.hospital)
            c.side == 1 ? leftHospitalAt(150) : rightHospitalAt(330);
        else
            c.side == 1 ? leftPostAt(150) : rightPostAt(330);
        const Rect area = c.hospital ? (c.side == 1 ? game.gLHospRect : game.gRHospRect)
                                     : (c.side == 1 ? game.gLPostRect : game.gRPostRect);
        ASSERT_FALSE(area.isEmpty());
        const size_t soundsBefore = g.host->soundsPlayed().size();
        const Point p = centre(area);
        impact(c.shooter, p.h, p.v);

        EXPECT_FALSE(game.gBattleOver);
        EXPECT_EQ(game.gScoreL, c.scoreL);
        EXPECT_EQ(game.gScoreR, c.scoreR);
        const Rect after = c.hospital ? (c.side == 1 ? game.gLHospRect : game.gRHospRect)
                                      : (c.side == 1 ? game.gLPostRect : game.gRPostRect);
        EXPECT_EQ(after, Rect::zero) << "a destroyed building's rectangle becomes zero";
        const bool up = c.hospital ? (c.side == 1 ? game.gLHospUp : game.gRHospUp)
                                   : (c.side == 1 ? game.gLPostUp : game.gRPostUp);
        EXPECT_FALSE(up);
        EXPECT_EQ(g.blackIn(area), 0) << "the building is gone";
        EXPECT_FALSE(game.gLHospHit || game.gRHospHit || game.gLPostHit || game.gRPostHit);

        std::vector<int64_t> sounds(g.host->soundsPlayed().begin() + static_cast<std::ptrdiff_t>(soundsBefore),
                                    g.host->soundsPlayed().end());
        const std::vector<int64_t> expected =
            c.hospital ? std::vector<int64_t>{129, 131, 130} : std::vector<int64_t>{129, 131};
        EXPECT_EQ(sounds, expected) << "ground, building and, for a hospital, \"uh oh\" after it";

        // A destroyed building cannot be destroyed again.
        impact(c.shooter, p.h, p.v);
        EXPECT_EQ(game.gScoreL, c.scoreL);
        EXPECT_EQ(game.gScoreR, c.scoreR);
    }
}

TEST_F(ImpactTest, EditedBuildingValuesAreWhatTheShooterGets) {
    game.gValLRHosp = -4;
    game.gValRLPost = 13;
    rightHospitalAt(330);
    leftPostAt(150);
    impact(1, centre(game.gRHospRect).h, centre(game.gRHospRect).v);
    impact(2, centre(game.gLPostRect).h, centre(game.gLPostRect).v);
    EXPECT_EQ(game.gScoreL, -4);
    EXPECT_EQ(game.gScoreR, 13);
}

TEST_F(ImpactTest, LandslidesBringDownABuildingAboveTheCraterWhereTunnelsLeaveItStanding) {
    // A burst 30 rows under the hospital's base, in its column: the crater disc stays below the base,
    // the landslide wipes the columns above the crater up to row 52.
    for (const bool tunnels : {true, false}) {
        SCOPED_TRACE(tunnels ? "tunnels" : "landslides");
        SetUp();
        game.gScoreL = 0;
        game.gTunnels = tunnels;
        leftHospitalAt(150);
        const int64_t baseX = game.gHospLBaseX;
        const int64_t baseY = game.gHospLBaseY;
        impact(2, baseX, baseY + 30);
        EXPECT_EQ(game.gLHospUp, tunnels);
        EXPECT_EQ(game.gLHospRect.isEmpty(), !tunnels);
        EXPECT_EQ(game.gScoreR, tunnels ? 0 : -10);
        EXPECT_EQ(g.pixel(baseX, baseY), tunnels) << "the ground under the hospital";
        EXPECT_FALSE(game.gBattleOver);
    }
}

TEST_F(ImpactTest, ThreeTreesInOneShotScoreFifteenWithOneTreeSound) {
    for (const bool rambo : {true, false}) {
        SCOPED_TRACE(rambo ? "Rambo Fan Club" : "Sierra Club");
        SetUp();
        game.gScoreL = game.gScoreR = 0;
        game.gRambo = rambo;
        treeAt(2, 200);
        treeAt(3, 205);
        treeAt(4, 210);
        treeAt(5, 300); // far away: stands
        const size_t soundsBefore = g.host->soundsPlayed().size();
        impact(1, 215, groundRow - 20); // inside all three trees' rectangles
        EXPECT_EQ(game.gScoreL, rambo ? 15 : -15);
        EXPECT_EQ(game.gScoreR, 0);
        EXPECT_TRUE(game.gTreeDown[2] && game.gTreeDown[3] && game.gTreeDown[4]);
        EXPECT_FALSE(game.gTreeDown[5]);
        const std::vector<int64_t> sounds(
            g.host->soundsPlayed().begin() + static_cast<std::ptrdiff_t>(soundsBefore), g.host->soundsPlayed().end());
        EXPECT_EQ(std::count(sounds.begin(), sounds.end(), 132), 1) << "one tree sound per shot";
        EXPECT_EQ(g.blackIn(Ordnix::rectTLBR(groundRow - 33, 200, groundRow - 12, 229)), 0)
            << "felled trees vanish above the crater's reach";
        EXPECT_GT(g.blackIn(game.gTreeRect[5]), 0) << "the standing tree is refilled";

        // Fallen trees never score again, however they are hit.
        impact(1, 215, groundRow - 20);
        impact(1, 209, game.gTreeBaseY[2] + 3);
        EXPECT_EQ(game.gScoreL, rambo ? 15 : -15);
    }
}

TEST_F(ImpactTest, ATreeHitAndUnderminedInOneShotFallsOnce) {
    treeAt(2, 300);
    // Inside the tree's rectangle at its foot: the burst's debris also erases its base point.
    impact(2, game.gTreeBaseX[2], game.gTreeBaseY[2] - 1);
    EXPECT_FALSE(g.pixel(game.gTreeBaseX[2], game.gTreeBaseY[2]));
    EXPECT_TRUE(game.gTreeDown[2]);
    EXPECT_EQ(game.gScoreR, 5);
}

TEST_F(ImpactTest, GroundBurstBaseIsLimitedToRow275) {
    // With the impact at row 270, B = 275: the crater disc's centre lies 25 rows above it, at row 250.
    g.play([&] { game.fillRect(Ordnix::rectTLBR(200, 0, 322, 512), game.black); });
    game.gBallX = 100;
    game.gBallY = 270;
    g.play([&] { game.groundBurst(); });
    EXPECT_FALSE(g.pixel(103, 250));
    EXPECT_FALSE(g.pixel(103, 241)) << "disc top at B - 35 = 240";
    EXPECT_TRUE(g.pixel(103, 239)) << "nothing above the disc; unlimited, B = 282 would reach row 247 only";
}

} // namespace
