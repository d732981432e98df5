// A seed fixes a field: sites, steps and trees come from the random stream in a fixed order, one random()
// call per draw. Each test replays the rules on the raw stream of the same seed.
#include "GameTestSupport.h"

using namespace gametest;

namespace {

bool overlaps(const Rect& a, const Rect& b) {
    return std::max(a.top, b.top) < std::min(a.bottom, b.bottom) && columnsOverlap(a.left, a.right, b.left, b.right);
}

// Draws R(range) + offset until a 300-row column of `width` misses every forbidden rectangle.
int64_t siteClear(Draws& d, int64_t range, int64_t offset, int64_t width, const std::vector<Rect>& forbidden) {
    for (;;) {
        const int64_t left = d.R(range) + offset;
        const Rect column = tlbr(0, left, 300, left + width);
        if (std::none_of(forbidden.begin(), forbidden.end(), [&](const Rect& r) { return overlaps(column, r); }))
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

// One whole battlefield with every target on and a gusty wind takes its draws in the documented order: the
// cannon sites, the ground, hospitals, command posts, trees, then a new field's wind twice.
TEST(RandomDraws, AWholeFieldWithEveryTargetAndAGustyWind) {
    Game g;
    Ordnix& game = g.game;
    game.gWindMax = 14;
    for (int64_t terrain = 0; terrain <= 3; ++terrain)
        for (int32_t seed = 1; seed <= 25; ++seed) {
            SCOPED_TRACE(std::string(terrainNames[terrain]) + ", seed " + std::to_string(seed));
            game.setRandSeed(seed);
            Draws d(game);
            g.buildField(terrain, true, true, true, seed);
            const std::array<int64_t, 4> site = cannonSites(d, terrain);
            ASSERT_EQ((std::array<int64_t, 4>{game.gCanLX, game.gCanLY, game.gCanRX, game.gCanRY}), site);
            int64_t lastY = 0;
            groundSteps(d, site, roughnessOf[terrain], lastY);
            const Rect canL = game.gCanLRect, canR = game.gCanRRect;
            EXPECT_EQ(game.gHospLLeft, siteClear(d, 190, 15, 29, {canL}));
            EXPECT_EQ(game.gHospRLeft, siteClear(d, 170, 280, 29, {canR}));
            EXPECT_EQ(game.gPostLLeft, siteClear(d, 190, 15, 29, {canL, game.gLHospRect}));
            EXPECT_EQ(game.gPostRLeft, siteClear(d, 170, 280, 29, {canR, game.gRHospRect}));
            const int64_t n = d.R(10) + 5;
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
        }
}

TEST(RandomDraws, GroundStepsLeftwardThenRightwardPastTheRightPlatform) {
    Game g;
    Ordnix& game = g.game;
    for (int64_t terrain = 0; terrain <= 3; ++terrain)
        for (int32_t seed = 300; seed < 340; ++seed) {
            SCOPED_TRACE(std::string(terrainNames[terrain]) + ", seed " + std::to_string(seed));
            game.gTerrain = terrain, game.gRoughness = roughnessOf[terrain];
            game.setRandSeed(seed);
            game.siteCannons();
            game.eraseRect(tlbr(0, 0, 350, 520));
            Draws d(game);
            game.drawGround();
            int64_t y = 0;
            const auto vertices =
                groundSteps(d, {game.gCanLX, game.gCanLY, game.gCanRX, game.gCanRY}, roughnessOf[terrain], y);
            d.expectConsumedBy(game);
            EXPECT_EQ(game.gGroundY, y) << "the height chosen last";
            // Each step ends on its clamped height: the tall pen paints from that point down.
            for (const auto& [h, v] : vertices) {
                if (h >= 0 && h < g.field().width()) {
                    ASSERT_TRUE(g.pixel(h, v)) << "step end (" << h << ", " << v << ")";
                }
            }
        }
}

} // namespace
