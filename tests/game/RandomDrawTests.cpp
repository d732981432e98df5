// A seed fixes a field: sites, steps and trees come from the random stream in a fixed order, one random()
// call per draw. Each test replays the rules on the raw stream of the same seed.
#include "GameTestSupport.h"

using namespace gametest;

namespace {

// Draws R(range) + offset until a 300-row column of `width` misses every forbidden rectangle.
int64_t siteClear(Draws& d, int64_t range, int64_t offset, int64_t width, const std::vector<Rect>& forbidden) {
    for (;;) {
        const int64_t left = d.R(range) + offset;
        if (std::none_of(forbidden.begin(), forbidden.end(), [&](const Rect& r) {
                return std::max<int64_t>(r.top, 0) < std::min<int64_t>(r.bottom, 300) &&
                       std::max(r.left, left) < std::min(r.right, left + width);
            }))
            return left;
    }
}

// The cannon sites of a generated terrain: left column, right column, then the heights in table order.
std::array<int64_t, 4> cannonSites(Draws& d, int64_t terrain) {
    const int64_t lx = d.R(175) + 30, rx = d.R(175) + 306;
    int64_t ly = 0, ry = 0;
    if (terrain == 0) {
        ly = ry = d.R(40) + 220;
    } else if (terrain == 3) {
        ly = std::max<int64_t>(d.R(200) + 70, 75);
        ry = std::min<int64_t>(std::max<int64_t>(d.R(200) + 70, 75), 270);
    } else {
        ly = terrain == 1 ? d.R(50) + 220 : d.R(70) + 170;
        ry = std::min<int64_t>(ly + d.R(terrain == 1 ? 50 : 80), 270);
    }
    return {lx, ly, rx, ry};
}

// The ground's steps from the cannon sites: leftward from the left platform until past column 0 twice, then
// rightward with the right platform on the way. Returns each step's end; `y` ends at the height chosen last.
std::vector<std::pair<int64_t, int64_t>> groundSteps(Draws& d, const std::array<int64_t, 4>& site, int64_t roughness,
                                                     int64_t& y) {
    const auto [lx, ly, rx, ry] = site;
    std::vector<std::pair<int64_t, int64_t>> vertices;
    y = ly + 9;
    auto step = [&](int64_t h) {
        y = std::clamp<int64_t>(y, 75, 275);
        vertices.emplace_back(h, y);
        const int64_t a = d.R(60), b = d.R(5);
        y += std::clamp(a - b - 30, -roughness, roughness);
    };
    if (roughness < 1)
        return vertices;
    int64_t h = lx - 25;
    for (int64_t negatives = 0; negatives < 2; negatives += h < 0 ? 1 : 0) {
        step(h);
        h -= d.R(5) + 5;
    }
    h = lx + 20;
    y = ly + 9;
    bool rightPlatform = false;
    for (;;) {
        if (rx - 30 < h && h < rx) {
            rightPlatform = true;
            h = rx + 20;
            y = ry + 9;
        }
        if (h > 520)
            break;
        step(h);
        h += d.R(5) + 5;
    }
    EXPECT_TRUE(rightPlatform);
    return vertices;
}

// Checks a built field's buildings and trees against the ground they stand on; `reference` holds the same seed's
// ground and cannons alone. (Where they stand comes from the replay of the draws.)
void checkField(Game& g, Game& reference, bool hospitals, bool posts, bool trees) {
    const Ordnix& game = g.game;
    struct Building {
        const char* name;
        bool on;
        int64_t left, top, width, baseY, baseDY;
        Rect area;
    };
    const Building all[] = {
        {"left hospital", hospitals, game.gHospLLeft, game.gHospLTop, 29, game.gHospLBaseY, 36, game.gLHospRect},
        {"right hospital", hospitals, game.gHospRLeft, game.gHospRTop, 29, game.gHospRBaseY, 36, game.gRHospRect},
        {"left post", posts, game.gPostLLeft, game.gPostLTop, 24, game.gPostLBaseY, 37, game.gLPostRect},
        {"right post", posts, game.gPostRLeft, game.gPostRTop, 24, game.gPostRBaseY, 37, game.gRPostRect}};
    for (const Building& b : all) {
        SCOPED_TRACE(b.name);
        if (!b.on) {
            EXPECT_EQ(b.area, Rect::zero);
            continue;
        }
        // The top is 35 rows above the first black pixel from row 50 in the middle column.
        EXPECT_EQ(b.top, *reference.firstBlack(b.left + 15, 50) - 35);
        EXPECT_EQ(b.area, tlbr(b.top, b.left, b.top + 36, b.left + b.width));
        EXPECT_EQ(b.baseY, b.top + b.baseDY);
        // Cleared above, standing on a foundation down to row 276.
        EXPECT_EQ(g.blackIn(tlbr(30, b.left, b.top, b.left + b.width)), 0);
        EXPECT_EQ(g.blackIn(tlbr(b.top + 35, b.left, 276, b.left + b.width)), std::max<int64_t>(0, 241 - b.top) * b.width);
    }
    if (!trees) {
        EXPECT_EQ(game.gNumTrees, 0);
        return;
    }
    // Trees are planted from n down to 2, each on what was drawn before it (ground, cannons, buildings, roots).
    for (int64_t i = game.gNumTrees; i >= 2; --i) {
        SCOPED_TRACE("tree " + std::to_string(i));
        const auto k = static_cast<size_t>(i);
        const Rect r = game.gTreeRect[k];
        const int64_t x = r.left;
        EXPECT_EQ(r, tlbr(r.top, x, r.top + 35, x + 19));
        EXPECT_EQ(std::make_pair(game.gTreeBaseX[k], game.gTreeBaseY[k]), std::make_pair(x + 9, r.top + 35));
        // The foot (two rows above the base point) is the first black pixel below row 50 in column x + 9.
        const int64_t foot = game.gTreeBaseY[k] - 2;
        EXPECT_EQ(foot, *reference.firstBlack(x + 9, 50));
        reference.game.penSize(3, 1);
        reference.game.moveTo(x + 9, foot);
        reference.game.lineTo(x + 9, 275);
        // Filled black (trunk and crown), the root reaching row 275.
        EXPECT_TRUE(g.pixel(x + 10, r.top + 31) && g.pixel(x + 10, r.top + 4) && g.pixel(x + 10, 275));
    }
}

// Whole battlefields take their draws in the documented order: the cannon sites, the ground, hospitals, command
// posts, trees, then a new field's gusty wind twice; what stands on them stands on the ground.
TEST(GeneratedField, DrawsInTheDocumentedOrderAndEverythingStandsOnTheGround) {
    const std::array<bool, 3> optionSets[] = {{true, true, true}, {false, true, true}, {true, false, false}, {false, false, true}};
    for (int64_t terrain = 0; terrain <= 3; ++terrain)
        for (const auto& [hospitals, posts, trees] : optionSets)
            for (int32_t seed = 1; seed <= 25; ++seed) {
                SCOPED_TRACE(std::string(terrainNames[terrain]) + ", seed " + std::to_string(seed) + ", hospitals " +
                             std::to_string(hospitals) + ", posts " + std::to_string(posts) + ", trees " + std::to_string(trees));
                Game g;
                Ordnix& game = g.game;
                g.startUp();
                game.gWindMax = 14;
                // Stale rectangles of an earlier field must not survive a field without those targets.
                game.gLHospRect = game.gRHospRect = game.gLPostRect = game.gRPostRect = tlbr(100, 100, 136, 129);
                game.setRandSeed(seed);
                Draws d(game);
                g.buildField(terrain, hospitals, posts, trees, seed);
                EXPECT_EQ(game.gNewField, 0);
                const std::array<int64_t, 4> site = cannonSites(d, terrain);
                ASSERT_EQ((std::array<int64_t, 4>{game.gCanLX, game.gCanLY, game.gCanRX, game.gCanRY}), site);
                int64_t lastY = 0;
                groundSteps(d, site, roughnessOf[terrain], lastY);
                const Rect canL = game.gCanLRect, canR = game.gCanRRect;
                if (hospitals) {
                    EXPECT_EQ(game.gHospLLeft, siteClear(d, 190, 15, 29, {canL}));
                    EXPECT_EQ(game.gHospRLeft, siteClear(d, 170, 280, 29, {canR}));
                }
                if (posts) {
                    EXPECT_EQ(game.gPostLLeft, siteClear(d, 190, 15, 29, {canL, game.gLHospRect}));
                    EXPECT_EQ(game.gPostRLeft, siteClear(d, 170, 280, 29, {canR, game.gRHospRect}));
                }
                const int64_t n = trees ? d.R(10) + 5 : 0;
                ASSERT_EQ(game.gNumTrees, n);
                const std::vector<Rect> forbidden{tlbr(0, 230, 300, 280), canR, canL, game.gRHospRect, game.gLHospRect,
                                                  game.gRPostRect, game.gLPostRect};
                for (int64_t i = n; i >= 2; --i)
                    ASSERT_EQ(game.gTreeRect[static_cast<size_t>(i)].left, siteClear(d, 244, i % 2 == 1 ? 12 : 256, 19, forbidden))
                        << "tree " << i;
                d.R(2), d.R(14); // the wind chosen first is replaced at once on a new field
                const int64_t direction = d.R(2) + 1, speed = d.R(14) + 1;
                EXPECT_EQ(std::make_pair(game.gWindDir, game.gWindSpeed), std::make_pair(direction, speed));
                d.expectConsumedBy(game);
                Game reference;
                reference.play([&] {
                    reference.drawGroundOnly(terrain, seed);
                    reference.game.drawRightCannon();
                    reference.game.drawLeftCannon();
                });
                checkField(g, reference, hospitals, posts, trees);
                if (::testing::Test::HasFailure())
                    return;
            }
}

// The ground alone: its steps replay on the seed's stream, it keeps to rows 75..275 and is solid below its
// surface, and each cannon stands on a level platform at its row + 9 (the desert is that one flat band).
TEST(GeneratedGround, StepsFollowTheStreamWithinTheBandAndLevelPlatforms) {
    for (int64_t terrain = 0; terrain <= 3; ++terrain)
        for (int32_t seed = 1000; seed < 1050; ++seed) {
            SCOPED_TRACE(std::string(terrainNames[terrain]) + ", seed " + std::to_string(seed));
            Game g;
            Ordnix& game = g.game;
            game.setRandSeed(seed);
            Draws d(game);
            g.play([&] { g.drawGroundOnly(terrain, seed); });
            const std::array<int64_t, 4> site = cannonSites(d, terrain);
            ASSERT_EQ((std::array<int64_t, 4>{game.gCanLX, game.gCanLY, game.gCanRX, game.gCanRY}), site);
            int64_t y = 0;
            const auto vertices = groundSteps(d, site, roughnessOf[terrain], y);
            d.expectConsumedBy(game);
            EXPECT_EQ(game.gGroundY, y) << "the height chosen last";
            // The tall pen paints down from each step's clamped end.
            for (const auto& [h, v] : vertices)
                if (h >= 0 && h < 512) {
                    ASSERT_TRUE(g.pixel(h, v)) << "step end (" << h << ", " << v << ")";
                }
            const int64_t leftPlatform = game.gCanLY + 9, rightPlatform = game.gCanRY + 9;
            const int64_t lowest = std::max<int64_t>({275, leftPlatform, rightPlatform});
            bool flat = true;
            for (int64_t h = 0; h < 512; ++h) {
                const int64_t top = g.firstBlack(h).value_or(-1);
                flat = flat && top == leftPlatform;
                ASSERT_TRUE(top >= 75 && top <= lowest) << "column " << h << " surface " << top;
                ASSERT_EQ(g.blackIn(tlbr(top, h, 322, h + 1)), 322 - top) << "a hole in column " << h;
            }
            // Platform lines (from, to), the level stretch on them (from, to), their row.
            for (auto [from, to, levelFrom, levelTo, row] :
                 {std::array<int64_t, 5>{game.gCanLX - 25, game.gCanLX + 20, game.gCanLX - 20, game.gCanLX + 19, leftPlatform},
                  {game.gCanRX - 23, game.gCanRX + 25, game.gCanRX - 18, game.gCanRX + 19, rightPlatform}})
                for (int64_t h = from; h <= to; ++h) {
                    ASSERT_TRUE(g.pixel(h, row)) << "platform line, column " << h;
                    if (h >= levelFrom && h <= levelTo) {
                        ASSERT_EQ(g.firstBlack(h), row) << "platform, column " << h;
                    }
                }
            EXPECT_EQ(flat, terrain == 0);
        }
}

} // namespace
