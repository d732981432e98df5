// Cannons: where their areas, bases and muzzles lie and which barrel each elevation shows.
#include "GameTestSupport.h"

using namespace gametest;

namespace {

TEST(Cannons, DrawingRecordsAreaBaseAndMuzzle) {
    // Elevation bands switch at 10, 40 and 70; the muzzle offsets are not mirror images.
    const std::pair<int64_t, size_t> cases[] = {{0, 0}, {9, 0}, {10, 1}, {39, 1}, {40, 2}, {69, 2}, {70, 3}, {89, 3}};
    const std::array<int64_t, 4> muzzles[4] = {{18, -5, -21, -5}, {20, -12, -20, -12}, {12, -20, -14, -20}, {-2, -25, -2, -23}};
    for (auto [elevation, band] : cases) {
        SCOPED_TRACE("elevation " + std::to_string(elevation));
        Game g;
        Ordnix& game = g.game;
        game.gCanLX = 100, game.gCanLY = 150, game.gCanRX = 400, game.gCanRY = 200;
        game.gElevL = game.gElevR = elevation;
        game.fillRect(tlbr(0, 0, 322, 512), game.black); // the area is cleared before drawing
        game.drawLeftCannon();
        game.drawRightCannon();

        EXPECT_EQ((std::array<int64_t, 4>{game.gCanLBaseX, game.gCanLBaseY, game.gCanRBaseX, game.gCanRBaseY}),
                  (std::array<int64_t, 4>{100, 160, 400, 210}));
        EXPECT_EQ((std::array<int64_t, 4>{game.gMuzzleLDX, game.gMuzzleLDY, game.gMuzzleRDX, game.gMuzzleRDY}), muzzles[band]);
        // The flat barrel lies along row hub - 3; the upright one reaches row hub - 12.
        EXPECT_EQ(std::make_pair(g.pixel(114, 150), g.pixel(386, 200)), std::make_pair(band == 0, band == 0));
        EXPECT_EQ(std::make_pair(g.pixel(100, 138), g.pixel(400, 188)), std::make_pair(band == 3, band == 3));
    }
}

} // namespace
