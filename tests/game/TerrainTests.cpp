// The generated ground of the four terrains over many seeds, ground scans that always end, and determinism.
#include "GameTestSupport.h"

using namespace gametest;

namespace {

TEST(GeneratedGround, SurfaceStaysInTheBandWithFlatPlatformsAndSolidGround) {
    for (int64_t terrain = 0; terrain <= 3; ++terrain)
        for (int32_t seed = 1000; seed < 1060; ++seed) {
            SCOPED_TRACE(std::string(terrainNames[terrain]) + ", seed " + std::to_string(seed));
            Game g;
            g.play([&] { g.drawGroundOnly(terrain, seed); });
            const Ordnix& game = g.game;
            const int64_t leftPlatform = game.gCanLY + 9, rightPlatform = game.gCanRY + 9;
            // Steps lie within 75..275; the platforms sit at their cannons' rows, which may be a little lower.
            const int64_t lowest = std::max<int64_t>({275, leftPlatform, rightPlatform});
            const std::vector<uint8_t> bits = g.field().bits();
            const int64_t width = g.field().width(), height = g.field().height();
            std::vector<int64_t> surface;
            bool flat = true;
            for (int64_t h = 0; h < width; ++h) {
                int64_t s = 0;
                while (s < height && bits[static_cast<size_t>(s * width + h)] == 0)
                    ++s;
                surface.push_back(s);
                flat = flat && s == leftPlatform;
                ASSERT_TRUE(s >= 75 && s <= lowest) << "column " << h << " surface " << s;
                // Everything below the surface is ground, down to the bottom of the window.
                for (int64_t v = s; v < height; ++v)
                    ASSERT_NE(bits[static_cast<size_t>(v * width + h)], 0) << "hole at (" << h << ", " << v << ")";
            }
            // Each cannon stands on a level platform at its own row + 9, drawn over its whole length.
            for (int64_t h = game.gCanLX - 25; h <= game.gCanLX + 20; ++h) {
                ASSERT_TRUE(g.pixel(h, leftPlatform)) << "left platform line, column " << h;
                if (h >= game.gCanLX - 20 && h < game.gCanLX + 20) {
                    ASSERT_EQ(surface[static_cast<size_t>(h)], leftPlatform) << "left platform, column " << h;
                }
            }
            for (int64_t h = game.gCanRX - 23; h <= game.gCanRX + 25; ++h) {
                ASSERT_TRUE(g.pixel(h, rightPlatform)) << "right platform line, column " << h;
                if (h >= game.gCanRX - 18 && h < game.gCanRX + 20) {
                    ASSERT_EQ(surface[static_cast<size_t>(h)], rightPlatform) << "right platform, column " << h;
                }
            }
            // The desert is one flat band at the left platform's row across the width; the others are not flat.
            EXPECT_EQ(flat, terrain == 0);
        }
}

// Mended fault: a column without ground counts as standing on the bottom row, so no scan can run forever.
TEST(GroundScan, AColumnWithoutGroundStandsOnTheBottomRow) {
    Game g;
    const int64_t bottom = g.field().height() - 1;
    g.game.eraseRect(tlbr(0, 0, 350, 520));
    EXPECT_EQ(g.game.groundRow(100), bottom);
    EXPECT_EQ(g.game.groundRow(-5), bottom);
    g.game.fillRect(tlbr(200, 90, 210, 110), g.game.black);
    g.game.fillRect(tlbr(40, 90, 45, 110), g.game.black);
    EXPECT_EQ(g.game.groundRow(100), 200) << "the scan starts at row 50";
    // A tree planted over no ground at all still ends, standing on the bottom row.
    g.game.eraseRect(tlbr(0, 0, 350, 520));
    g.game.gTree = 2;
    g.game.setRandSeed(3);
    g.game.plantTree();
    EXPECT_EQ(g.game.gTreeBaseY[2] - 2, bottom);
}

// Plays start-up, the given terrain with every target and gusty wind, two new battlefields, and quits.
std::vector<uint8_t> playField(int32_t seed, int64_t terrainItem) {
    Game g(seed);
    for (auto [menu, item] : {std::pair<int64_t, int64_t>{258, terrainItem}, {259, 1}, {259, 2}, {259, 3}, {260, 3},
                              {261, 2}, {261, 2}})
        g.host->chooseMenu(menu, item);
    g.host->quit();
    g.run();
    EXPECT_EQ(g.game.gNewField, 0);
    EXPECT_GE(g.game.gNumTrees, 5);
    EXPECT_TRUE(g.game.gLHospUp && g.game.gRHospUp && g.game.gLPostUp && g.game.gRPostUp);
    return g.field().bits();
}

TEST(Determinism, SameSeedSameFieldForEveryTerrain) {
    for (int64_t item = 1; item <= 4; ++item)
        for (int32_t seed : {1, 2024, 987654321}) {
            SCOPED_TRACE(std::string(terrainNames[item - 1]) + ", seed " + std::to_string(seed));
            const auto first = playField(seed, item);
            EXPECT_EQ(first, playField(seed, item));
            EXPECT_NE(first, playField(seed + 1, item)) << "another seed moves at least the cannons";
        }
}

} // namespace
