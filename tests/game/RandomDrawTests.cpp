// A seed fixes a field: every site, step and tree comes from the random stream in the documented
// order, one random() call per draw. Each test replays the rules on the raw stream of the same seed
// and compares positions and the number of draws consumed.
#include "GameTestSupport.h"

#include <algorithm>

using namespace gametest;

namespace {

// Rectangle intersection with positive height and width.
bool overlaps(const Rect& a, const Rect& b) {
    return std::max(a.top, b.top) < std::min(a.bottom, b.bottom) && std::max(a.left, b.left) < std::min(a.right, b.right);
}

TEST(RandomDraws, CannonSitesByTerrain) {
    Game g;
    Ordnix& game = g.game;
    for (int64_t terrain = 0; terrain <= 3; ++terrain) {
        for (int32_t seed = 1; seed <= 200; ++seed) {
            SCOPED_TRACE(std::string(terrainNames[terrain]) + ", seed " + std::to_string(seed));
            game.gTerrain = terrain;
            game.setRandSeed(seed);
            Draws d(game, 8);
            game.siteCannons();

            const int64_t lx = d.R(175) + 30;
            const int64_t rx = d.R(175) + 306;
            int64_t ly = 0, ry = 0;
            switch (terrain) {
            case 0:
                ly = ry = d.R(40) + 220;
                break;
            case 1:
                ly = d.R(50) + 220;
                ry = std::min<int64_t>(ly + d.R(50), 270);
                break;
            case 2:
                ly = d.R(70) + 170;
                ry = std::min<int64_t>(ly + d.R(80), 270);
                break;
            default:
                ly = std::max<int64_t>(d.R(200) + 70, 75);
                ry = std::min<int64_t>(std::max<int64_t>(d.R(200) + 70, 75), 270);
                break;
            }
            ASSERT_EQ((std::array<int64_t, 4>{game.gCanLX, game.gCanLY, game.gCanRX, game.gCanRY}),
                      (std::array<int64_t, 4>{lx, ly, rx, ry}));
            d.expectConsumedBy(game);
            // The documented ranges follow: columns 30..204 and 306..480, heights 75..270.
            ASSERT_TRUE(lx >= 30 && lx <= 204 && rx >= 306 && rx <= 480);
            ASSERT_TRUE(ly >= 75 && ly <= 270 && ry >= 75 && ry <= 270);
            if (terrain == 1 || terrain == 2) {
                ASSERT_GE(ry, ly) << "the right cannon never stands higher";
            }
        }
    }
}

TEST(RandomDraws, GroundStepsLeftwardThenRightwardPastTheRightPlatform) {
    Game g;
    Ordnix& game = g.game;
    for (int64_t terrain = 0; terrain <= 3; ++terrain) {
        for (int32_t seed = 300; seed < 340; ++seed) {
            SCOPED_TRACE(std::string(terrainNames[terrain]) + ", seed " + std::to_string(seed));
            game.gTerrain = terrain;
            game.gRoughness = roughnessOf[terrain];
            game.setRandSeed(seed);
            game.siteCannons();
            game.eraseRect(tlbr(0, 0, 350, 520));
            Draws d(game);
            game.drawGround();

            const int64_t roughness = roughnessOf[terrain];
            int64_t y = game.gCanLY + 9;
            std::vector<std::pair<int64_t, int64_t>> vertices;
            auto step = [&](int64_t h) {
                y = std::clamp<int64_t>(y, 75, 275);
                vertices.emplace_back(h, y);
                const int64_t a = d.R(60);
                const int64_t b = d.R(5);
                y += std::max(-roughness, std::min(roughness, a - b - 30));
            };
            if (roughness >= 1) {
                int64_t h = game.gCanLX - 25;
                int64_t negatives = 0;
                while (negatives < 2) {
                    step(h);
                    h -= d.R(5) + 5;
                    negatives += h < 0 ? 1 : 0;
                }
                ASSERT_LT(vertices.back().first, 0) << "the leftward ground ends left of column 0";
                h = game.gCanLX + 20;
                y = game.gCanLY + 9;
                step(h);
                h += d.R(5) + 5;
                bool rightPlatform = false;
                for (;;) {
                    if (game.gCanRX - 30 < h && h < game.gCanRX) {
                        rightPlatform = true;
                        h = game.gCanRX + 20;
                        y = game.gCanRY + 9;
                    }
                    if (h > 520)
                        break;
                    step(h);
                    h += d.R(5) + 5;
                }
                ASSERT_TRUE(rightPlatform);
                ASSERT_LE(vertices.back().first, 520) << "no step beyond column 520";
            }
            d.expectConsumedBy(game);
            EXPECT_EQ(game.gGroundY, y) << "the height chosen last";
            // Each step ends on its (clamped) height: the tall pen paints from that point down.
            for (const auto& [h, v] : vertices) {
                if (h >= 0 && h < g.field().width()) {
                    ASSERT_TRUE(g.pixel(h, v)) << "step end (" << h << ", " << v << ")";
                }
                ASSERT_TRUE(v >= 75 && v <= 275);
            }
        }
    }
}

TEST(RandomDraws, BuildingSitesRetryUntilClearOfTheirSide) {
    // Cannons in the middle of each side leave room on both sides of them; flat ground at row 230.
    Game g;
    Ordnix& game = g.game;
    for (int64_t hospitals : {0, 1}) {
        for (int32_t seed = 1; seed <= 60; ++seed) {
            SCOPED_TRACE("hospitals " + std::to_string(hospitals) + ", seed " + std::to_string(seed));
            game.fillRect(tlbr(230, 0, 322, 512), game.black);
            game.gCanLRect = tlbr(200, 80, 222, 140);
            game.gCanRRect = tlbr(200, 340, 222, 420);
            game.gHospitals = hospitals;
            game.setRandSeed(seed);
            Draws d(game);

            auto site = [&](int64_t range, int64_t offset, std::vector<Rect> against) {
                for (;;) {
                    const int64_t left = d.R(range) + offset;
                    const Rect column = tlbr(0, left, 300, left + 29);
                    if (std::none_of(against.begin(), against.end(), [&](const Rect& r) { return overlaps(column, r); }))
                        return left;
                }
            };
            int64_t hospL = 0, hospR = 0;
            if (hospitals == 1) {
                game.siteLeftHospital();
                game.gLHospRect = tlbr(game.gHospLTop, game.gHospLLeft, game.gHospLTop + 36, game.gHospLLeft + 29);
                game.siteRightHospital();
                game.gRHospRect = tlbr(game.gHospRTop, game.gHospRLeft, game.gHospRTop + 36, game.gHospRLeft + 29);
                hospL = site(190, 15, {game.gCanLRect});
                hospR = site(170, 280, {game.gCanRRect});
                EXPECT_EQ(game.gHospLLeft, hospL);
                EXPECT_EQ(game.gHospRLeft, hospR);
                EXPECT_EQ(game.gHospLTop, 230 - 35);
                EXPECT_EQ(game.gHospRTop, 230 - 35);
            } else {
                // Rectangles of hospitals that are off are not consulted.
                game.gLHospRect = tlbr(0, 15, 300, 60);
                game.gRHospRect = tlbr(0, 280, 300, 330);
            }
            game.siteLeftPost();
            game.siteRightPost();
            const std::vector<Rect> leftForbidden =
                hospitals == 1 ? std::vector<Rect>{game.gCanLRect, game.gLHospRect} : std::vector<Rect>{game.gCanLRect};
            const std::vector<Rect> rightForbidden =
                hospitals == 1 ? std::vector<Rect>{game.gCanRRect, game.gRHospRect} : std::vector<Rect>{game.gCanRRect};
            EXPECT_EQ(game.gPostLLeft, site(190, 15, leftForbidden));
            EXPECT_EQ(game.gPostRLeft, site(170, 280, rightForbidden));
            EXPECT_EQ(game.gPostLTop, 230 - 35);
            EXPECT_EQ(game.gSect, Rect::zero) << "the passing position overlaps nothing";
            d.expectConsumedBy(game);
        }
    }
}

TEST(RandomDraws, TreesCountDownFromNToTwoOddLeftEvenRight) {
    struct Options {
        int64_t hospitals, posts;
    };
    Game g;
    Ordnix& game = g.game;
    for (Options o : {Options{0, 0}, Options{1, 0}, Options{0, 1}, Options{1, 1}}) {
        for (int32_t seed = 1; seed <= 40; ++seed) {
            SCOPED_TRACE("hospitals " + std::to_string(o.hospitals) + ", posts " + std::to_string(o.posts) + ", seed " +
                         std::to_string(seed));
            game.eraseRect(tlbr(0, 0, 350, 520));
            game.fillRect(tlbr(240, 0, 322, 512), game.black);
            game.gCanLRect = tlbr(200, 60, 222, 100);
            game.gCanRRect = tlbr(200, 400, 222, 440);
            game.gLHospRect = tlbr(180, 120, 216, 149);
            game.gRHospRect = tlbr(180, 330, 216, 359);
            game.gLPostRect = tlbr(180, 170, 216, 194);
            game.gRPostRect = tlbr(180, 300, 216, 324);
            game.gHospitals = o.hospitals;
            game.gPosts = o.posts;
            game.gTrees = 1;
            game.setRandSeed(seed);
            Draws d(game);
            game.plantTrees();

            std::vector<Rect> forbidden{tlbr(0, 230, 300, 280), game.gCanRRect, game.gCanLRect};
            if (o.hospitals == 1)
                forbidden.insert(forbidden.end(), {game.gRHospRect, game.gLHospRect});
            if (o.posts == 1)
                forbidden.insert(forbidden.end(), {game.gRPostRect, game.gLPostRect});
            const int64_t n = d.R(10) + 5;
            ASSERT_EQ(game.gNumTrees, n);
            for (int64_t i = n; i >= 2; --i) {
                int64_t x = 0;
                for (;;) {
                    x = d.R(244) + (i % 2 == 1 ? 12 : 256);
                    const Rect column = tlbr(0, x, 300, x + 19);
                    if (std::none_of(forbidden.begin(), forbidden.end(), [&](const Rect& r) { return overlaps(column, r); }))
                        break;
                }
                ASSERT_EQ(game.gTreeRect[static_cast<size_t>(i)].left, x) << "tree " << i;
                // The trunk's foot stands on the flat ground's first row.
                EXPECT_EQ(game.gTreeBaseY[static_cast<size_t>(i)] - 2, 240) << "tree " << i;
            }
            d.expectConsumedBy(game);
            EXPECT_EQ(game.gTree, 1);
            EXPECT_EQ(game.gTreeFill, 1);
            EXPECT_EQ(game.gTreePoly[1], nullptr);
            EXPECT_EQ(game.gSect, Rect::zero);
        }
    }
    // Trees off: no draw, gTree 0.
    game.gTrees = 0;
    game.gTree = 7;
    game.gNumTrees = 0;
    Draws d(game, 1);
    game.plantTrees();
    EXPECT_EQ(game.gTree, 0);
    EXPECT_EQ(game.gNumTrees, 0);
    d.expectConsumedBy(game);
}

} // namespace
