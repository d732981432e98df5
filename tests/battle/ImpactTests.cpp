// Bursts, hits and scores on a prepared field: flat ground from row 150, the cannons at columns 40 and
// 470, buildings and trees where a test puts them.
#include <algorithm>

#include "BattleHarness.h"

namespace {

using namespace battle;

constexpr int64_t groundRow = 150;

class ImpactTest : public ::testing::Test {
protected:
    std::unique_ptr<BattleGame> g;
    Ordnix* game = nullptr;

    void SetUp() override { fresh(); }
    void fresh() {
        g = std::make_unique<BattleGame>(777);
        game = &g->game;
        g->startUp();
        g->play([&] {
            game->eraseRect(tlbr(0, 0, 350, 520));
            game->fillRect(tlbr(groundRow, 0, 350, 520), game->black);
            game->gNumTrees = 0;
            game->gCanLX = 40;
            game->gCanRX = 470;
            game->gCanLY = game->gCanRY = groundRow - 9;
            game->drawLeftCannon();
            game->drawRightCannon();
            game->gNewField = 0;
        });
    }
    // A building on the ground, its top 35 rows above it: 0 left hospital, 1 right one, 2 left post, 3 right.
    void building(int64_t kind, int64_t left) {
        Ordnix& o = *game;
        (kind == 0 ? o.gLHospUp : kind == 1 ? o.gRHospUp : kind == 2 ? o.gLPostUp : o.gRPostUp) = true;
        (kind == 0 ? o.gHospLLeft : kind == 1 ? o.gHospRLeft : kind == 2 ? o.gPostLLeft : o.gPostRLeft) = left;
        (kind == 0 ? o.gHospLTop : kind == 1 ? o.gHospRTop : kind == 2 ? o.gPostLTop : o.gPostRTop) = groundRow - 35;
        g->play([&] {
            kind == 0 ? game->drawLeftHospital() : kind == 1 ? game->drawRightHospital()
                      : kind == 2 ? game->drawLeftPost() : game->drawRightPost();
        });
    }
    // Tree i with its trunk on the ground: a crown 29 rows high over a trunk.
    void treeAt(size_t i, int64_t left) {
        static constexpr int64_t outline[][2] = {{10, 1}, {18, 29}, {11, 29}, {11, 35},
                                                 {9, 35},  {9, 29},  {2, 29},  {10, 1}};
        const int64_t top = groundRow - 33;
        game->gNumTrees = std::max(game->gNumTrees, static_cast<int64_t>(i));
        game->gTreeRect[i] = tlbr(top, left, top + 35, left + 19);
        game->gTreeBaseX[i] = left + 9;
        game->gTreeBaseY[i] = top + 35;
        g->play([&] {
            game->gTreePoly[i] = game->openPoly();
            game->moveTo(left + outline[0][0], top + outline[0][1]);
            for (const auto& p : outline)
                game->lineTo(left + p[0], top + p[1]);
            game->closePoly();
            game->fillPoly(game->gTreePoly[i], game->black);
        });
    }
    // A ball landed at (h, v) by the shooter: the burst, then the hit tests. Returns the sounds played.
    std::vector<int64_t> impact(int64_t turn, int64_t h, int64_t v) {
        const size_t before = g->host->soundsPlayed().size();
        game->gTurn = turn;
        game->gLanded = true;
        game->gHitPt = Point(h, v);
        game->gBallX = h;
        game->gBallY = v;
        g->play([&] {
            game->groundBurst();
            game->checkHits();
        });
        EXPECT_FALSE(g->host->soundPlaying()) << "checkHits returns once every sound has ended";
        const std::vector<int64_t>& all = g->host->soundsPlayed();
        return {all.begin() + static_cast<std::ptrdiff_t>(before), all.end()};
    }
};

TEST_F(ImpactTest, EveryTargetScoresItsValueForTheShooterAndOnlyCannonsEndTheBattle) {
    enum Target : int64_t { lHosp, rHosp, lPost, rPost, lCannon, rCannon };
    using Value = int64_t Ordnix::*;
    struct Case {
        int64_t shooter;
        Target target;
        Value value;
        int64_t defaultValue;
    };
    const Case cases[] = {
        {1, rCannon, &Ordnix::gValLRCannon, 10}, {1, lCannon, &Ordnix::gValLLCannon, -20},
        {2, lCannon, &Ordnix::gValRLCannon, 10}, {2, rCannon, &Ordnix::gValRRCannon, -20},
        {1, rHosp, &Ordnix::gValLRHosp, -10},    {1, lHosp, &Ordnix::gValLLHosp, -20},
        {2, lHosp, &Ordnix::gValRLHosp, -10},    {2, rHosp, &Ordnix::gValRRHosp, -20},
        {1, rPost, &Ordnix::gValLRPost, 20},     {1, lPost, &Ordnix::gValLLPost, -20},
        {2, lPost, &Ordnix::gValRLPost, 20},     {2, rPost, &Ordnix::gValRRPost, -20},
    };
    for (const Case& c : cases)
        for (const bool edited : {false, true}) {
            SCOPED_TRACE("shooter " + std::to_string(c.shooter) + " target " + std::to_string(c.target) +
                         (edited ? " edited" : " default"));
            fresh();
            if (edited) // twelve different values: only the right one may reach the score
                for (size_t i = 0; i < std::size(cases); ++i)
                    game->*cases[i].value = static_cast<int64_t>(i) + 1;
            const int64_t value = edited ? game->*c.value : c.defaultValue;
            const bool cannon = c.target >= lCannon, hospital = c.target <= rHosp;
            if (!cannon)
                building(c.target, c.target == lHosp || c.target == lPost ? 150 : 330);
            Rect* areas[] = {&game->gLHospRect, &game->gRHospRect, &game->gLPostRect,
                             &game->gRPostRect, &game->gCanLRect,  &game->gCanRRect};
            const Rect area = *areas[c.target];
            const Point centre((area.left + area.right) / 2, (area.top + area.bottom) / 2);
            const std::vector<int64_t> sounds = impact(c.shooter, centre.h, centre.v);

            EXPECT_EQ(game->gScoreL, c.shooter == 1 ? value : 0);
            EXPECT_EQ(game->gScoreR, c.shooter == 2 ? value : 0);
            EXPECT_EQ(game->gBattleOver, cannon);
            EXPECT_EQ(game->gKilled, cannon ? c.target - lCannon + 1 : 0);
            EXPECT_TRUE(game->gLCanDead == (c.target == lCannon) && game->gRCanDead == (c.target == rCannon));
            const Rect wheel = tlbr(area.top + 5, area.left + 14, area.bottom - 1, area.right - 13);
            EXPECT_EQ(g->blackIn(cannon ? wheel : area), 0) << "the target is wiped away";
            EXPECT_EQ(sounds, (hospital ? std::vector<int64_t>{129, 131, 130} : std::vector<int64_t>{129, 131}))
                << "ground, then the explosion, then \"uh oh\" for a hospital";
            if (!cannon) {
                EXPECT_EQ(*areas[c.target], Rect::zero);
                EXPECT_FALSE(game->gLHospUp || game->gRHospUp || game->gLPostUp || game->gRPostUp);
                impact(c.shooter, centre.h, centre.v);
                EXPECT_EQ(game->gScoreL + game->gScoreR, value) << "a destroyed building scores once";
            }
        }
}

TEST_F(ImpactTest, ACraterUnderACannonDestroysItAndVolumeZeroSilencesEverything) {
    // The crater disc's centre lies 25 rows above B = v + 12: a burst 12 rows below the right cannon's
    // base point, outside its rectangle, erases that point.
    ASSERT_TRUE(g->pixel(game->gCanRBaseX, game->gCanRBaseY));
    g->play([&] { game->setSoundVol(0); });
    EXPECT_TRUE(impact(1, game->gCanRBaseX, game->gCanRBaseY + 12).empty());
    EXPECT_FALSE(game->gCanRRect.contains(game->gHitPt));
    EXPECT_TRUE(game->gRCanDead && !game->gLCanDead);
    EXPECT_EQ(game->gKilled, 2);
    EXPECT_EQ(game->gScoreL, 10);
    g->play([&] { game->fireLeft(); });
    EXPECT_TRUE(g->host->soundsPlayed().empty()) << "nor does a cannon fire aloud";
}

TEST_F(ImpactTest, LandslidesBringDownWhatStandsAboveTheCraterWhereTunnelsLeaveIt) {
    for (const bool tunnels : {true, false}) {
        SCOPED_TRACE(tunnels ? "tunnels" : "landslides");
        // A burst 30 rows under the hospital's base point: the crater stays below it.
        fresh();
        game->gTunnels = tunnels;
        building(0, 150);
        const int64_t x = game->gHospLBaseX, y = game->gHospLBaseY;
        const Rect area = game->gLHospRect;
        const std::vector<int64_t> sounds = impact(2, x, y + 30);
        EXPECT_FALSE(g->pixel(x + 3, y + 30 + 12 - 25)) << "the crater's centre";
        EXPECT_EQ(g->pixel(x, y), tunnels) << "the ground under the hospital";
        EXPECT_EQ(g->blackIn(area) > 0, tunnels);
        EXPECT_EQ(game->gLHospUp, tunnels);
        EXPECT_EQ(game->gScoreR, tunnels ? 0 : -10);
        EXPECT_EQ(sounds, (tunnels ? std::vector<int64_t>{129} : std::vector<int64_t>{129, 131, 130}));
        EXPECT_FALSE(game->gBattleOver);

        // Impact at row 270: B = 275 (not 282), so the crater disc spans rows 240 to 259 around column 103;
        // a landslide wipes columns 93 to 112 from row B - 23 up to row 52 and thins rows 50 and 51.
        g->play([&] { game->fillRect(tlbr(40, 0, 322, 512), game->black); });
        game->gBallX = 100;
        game->gBallY = 270;
        g->play([&] { game->groundBurst(); });
        EXPECT_FALSE(g->pixel(103, 250) || g->pixel(103, 240)) << "the crater";
        for (const int64_t v : {239, 100, 52})
            EXPECT_EQ(g->pixel(103, v), tunnels) << "row " << v;
        EXPECT_TRUE(g->pixel(103, 49) && g->pixel(92, 100) && g->pixel(113, 100)) << "outside the slide";
        // Below the disc only the debris streaks are white, two pixels wide: no white run of one pixel.
        int64_t whiteRuns = 0;
        for (int64_t v = 261; v <= 270; ++v)
            for (int64_t h = 85, run = 0; h <= 120; ++h) {
                if (!g->pixel(h, v)) {
                    ++run;
                    continue;
                }
                EXPECT_NE(run, 1) << "a streak one pixel wide ending at " << h - 1 << ", " << v;
                whiteRuns += run > 0 ? 1 : 0;
                run = 0;
            }
        EXPECT_GE(whiteRuns, 10) << "streaks cross every row";
        for (const int64_t v : {50, 51}) {
            const int64_t thinned = g->blackIn(tlbr(v, 93, v + 1, 113));
            EXPECT_TRUE(tunnels ? thinned == 20 : thinned > 0 && thinned < 20) << thinned << " black in row " << v;
        }
    }
}

TEST_F(ImpactTest, TreesScoreByPlayerTypeOnceEachWithOneSoundPerShot) {
    for (const bool rambo : {true, false}) {
        SCOPED_TRACE(rambo ? "Rambo Fan Club" : "Sierra Club");
        fresh();
        game->gRambo = rambo;
        const int64_t point = rambo ? 5 : -5;
        treeAt(2, 200);
        treeAt(3, 205);
        treeAt(4, 210);
        treeAt(5, 300);
        const Rect crown = tlbr(groundRow - 32, 300, groundRow - 4, 319);
        const int64_t crownBlack = g->blackIn(crown);
        std::vector<int64_t> sounds = impact(1, 215, groundRow - 20); // inside the first three trees
        EXPECT_EQ(game->gScoreL, 3 * point);
        EXPECT_EQ(game->gScoreR, 0);
        EXPECT_TRUE(game->gTreeDown[2] && game->gTreeDown[3] && game->gTreeDown[4] && !game->gTreeDown[5]);
        EXPECT_EQ(std::count(sounds.begin(), sounds.end(), 132), 1) << "one tree sound per shot";
        EXPECT_EQ(g->blackIn(tlbr(groundRow - 33, 200, groundRow - 12, 229)), 0) << "felled trees vanish";
        impact(1, 215, groundRow - 20); // fallen trees never score again, however they are hit
        impact(1, 209, game->gTreeBaseY[2] + 3);
        EXPECT_EQ(game->gScoreL, 3 * point);
        // A burst beside a tree bites into its crown without felling it: the crown is filled again.
        impact(1, 298, groundRow - 20);
        EXPECT_FALSE(game->gTreeDown[5]);
        EXPECT_EQ(g->blackIn(crown), crownBlack);
        EXPECT_EQ(game->gScoreL, 3 * point);
        // Hit inside its rectangle at its foot, whose base point the debris erases too: it falls once.
        impact(2, game->gTreeBaseX[5], game->gTreeBaseY[5] - 1);
        EXPECT_FALSE(g->pixel(game->gTreeBaseX[5], game->gTreeBaseY[5]));
        EXPECT_TRUE(game->gTreeDown[5]);
        EXPECT_EQ(game->gScoreR, point);
    }
}

} // namespace
