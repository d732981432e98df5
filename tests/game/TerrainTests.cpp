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

} // namespace
