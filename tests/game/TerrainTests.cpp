// The generated ground of the four terrains, checked against its rules over many seeds.
#include "GameTestSupport.h"

#include <algorithm>

using namespace gametest;

namespace {

constexpr int32_t firstSeed = 1000;
constexpr int32_t seedCount = 60;

class GeneratedGround : public ::testing::TestWithParam<int64_t> {};

TEST_P(GeneratedGround, SurfaceStaysInTheBandWithFlatPlatformsAndSolidGround) {
    const int64_t terrain = GetParam();
    for (int32_t seed = firstSeed; seed < firstSeed + seedCount; ++seed) {
        SCOPED_TRACE(std::string(terrainNames[terrain]) + ", seed " + std::to_string(seed));
        Game g;
        g.play([&] { g.drawGroundOnly(terrain, seed); });
        const Ordnix& game = g.game;
        const int64_t leftPlatform = game.gCanLY + 9;
        const int64_t rightPlatform = game.gCanRY + 9;
        // Steps lie within 75..275; the platforms sit at their cannons' rows, which may be a little lower.
        const int64_t lowest = std::max<int64_t>({275, leftPlatform, rightPlatform});

        const auto columns = g.columns();
        auto surfaceAt = [&](int64_t h) { return columns.at(static_cast<size_t>(h)).surface; };
        for (int64_t h = 0; h < g.field().width(); ++h) {
            const auto& c = columns[static_cast<size_t>(h)];
            ASSERT_GE(c.surface, 75) << "column " << h << (c.surface < 0 ? " has no ground" : "");
            ASSERT_LE(c.surface, lowest) << "column " << h;
            // Everything below the surface is ground, down to the bottom of the window.
            ASSERT_TRUE(c.solidBelow) << "hole below the surface of column " << h;
        }

        // Each cannon stands on a level platform at its own row + 9.
        for (int64_t h = game.gCanLX - 20; h < game.gCanLX + 20; ++h)
            ASSERT_EQ(surfaceAt(h), leftPlatform) << "left platform, column " << h;
        for (int64_t h = game.gCanRX - 18; h < game.gCanRX + 20; ++h)
            ASSERT_EQ(surfaceAt(h), rightPlatform) << "right platform, column " << h;
        // The platform lines themselves are drawn over their whole documented length.
        for (int64_t h = game.gCanLX - 25; h <= game.gCanLX + 20; ++h)
            ASSERT_TRUE(g.pixel(h, leftPlatform)) << "left platform line, column " << h;
        for (int64_t h = game.gCanRX - 23; h <= game.gCanRX + 25; ++h)
            ASSERT_TRUE(g.pixel(h, rightPlatform)) << "right platform line, column " << h;

        if (terrain == 0) {
            // The desert is one flat band at the left platform's row, across the whole width.
            for (int64_t h = 0; h < g.field().width(); ++h)
                ASSERT_EQ(surfaceAt(h), leftPlatform) << "desert column " << h;
        } else {
            // A rough terrain is not flat.
            bool varies = false;
            for (int64_t h = 0; h < g.field().width(); ++h)
                varies = varies || surfaceAt(h) != leftPlatform;
            EXPECT_TRUE(varies);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllTerrains, GeneratedGround, ::testing::Values(0, 1, 2, 3),
                         terrainParamName);

TEST(GroundStep, ClampsBeforeDrawingAndLimitsTheStepToTheRoughness) {
    Game g;
    for (int64_t roughness : {3, 8, 35}) {
        for (int64_t start : {0l, 60l, 75l, 200l, 275l, 290l, 400l}) {
            SCOPED_TRACE("roughness " + std::to_string(roughness) + ", start " + std::to_string(start));
            g.game.gRoughness = roughness;
            g.game.setRandSeed(static_cast<int32_t>(start * 7 + roughness));
            g.game.eraseRect(tlbr(0, 0, 350, 520));
            g.game.penSize(1, 1);
            g.game.moveTo(100, 150);
            g.game.gGroundY = start;
            g.game.groundStep(100);
            // The point drawn is the clamped height; the next height moves by at most the roughness.
            const int64_t drawn = std::clamp<int64_t>(start, 75, 275);
            EXPECT_TRUE(g.pixel(100, drawn));
            EXPECT_EQ(g.game.gGroundY, drawn + g.game.gStep);
            EXPECT_LE(std::abs(g.game.gStep), roughness);
            EXPECT_GE(g.game.gStep, -34);
            EXPECT_LE(g.game.gStep, 29);
        }
    }
}

TEST(GroundScan, AColumnWithoutGroundStandsOnTheBottomRow) {
    Game g;
    g.game.eraseRect(tlbr(0, 0, 350, 520));
    EXPECT_EQ(g.game.groundRow(100), g.field().height() - 1);
    g.game.fillRect(tlbr(200, 90, 210, 110), g.game.black);
    EXPECT_EQ(g.game.groundRow(100), 200);
    g.game.fillRect(tlbr(40, 90, 45, 110), g.game.black);
    EXPECT_EQ(g.game.groundRow(100), 200) << "the scan starts at row 50";
    EXPECT_EQ(g.game.groundRow(-5), g.field().height() - 1);

    // A tree planted over no ground at all still ends (standing on the bottom row).
    g.game.eraseRect(tlbr(0, 0, 350, 520));
    g.game.gTree = 2;
    g.game.setRandSeed(3);
    g.game.plantTree();
    EXPECT_EQ(g.game.gTreeBaseY[2] - 2, g.field().height() - 1);
}

} // namespace
