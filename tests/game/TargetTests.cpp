// Cannons, buildings and trees on generated fields: where they may stand and how they are drawn.
#include "GameTestSupport.h"

using namespace gametest;

namespace {

TEST(Cannons, DrawingRecordsAreaBaseAndMuzzle) {
    // Elevation bands switch at 10, 40 and 70; the muzzle offsets are not mirror images.
    const std::pair<int64_t, size_t> cases[] = {{0, 0}, {9, 0}, {10, 1}, {39, 1}, {40, 2}, {69, 2}, {70, 3}, {89, 3}};
    const std::array<int64_t, 4> muzzles[4] = {{18, -5, -21, -5}, {20, -12, -20, -12}, {12, -20, -14, -20}, {-2, -25, -2, -23}};
    std::vector<std::vector<std::string>> images(4);
    for (auto [elevation, band] : cases) {
        SCOPED_TRACE("elevation " + std::to_string(elevation));
        Game g;
        Ordnix& game = g.game;
        game.gCanLX = 100, game.gCanLY = 150, game.gCanRX = 400, game.gCanRY = 200;
        game.gElevL = game.gElevR = elevation;
        game.fillRect(tlbr(0, 0, 322, 512), game.black); // the area is cleared before drawing
        game.drawLeftCannon();
        game.drawRightCannon();

        EXPECT_EQ(game.gCanLRect, tlbr(137, 80, 159, 120));
        EXPECT_EQ(game.gCanRRect, tlbr(187, 380, 209, 420));
        EXPECT_EQ((std::array<int64_t, 4>{game.gCanLBaseX, game.gCanLBaseY, game.gCanRBaseX, game.gCanRBaseY}),
                  (std::array<int64_t, 4>{100, 160, 400, 210}));
        EXPECT_EQ((std::array<int64_t, 4>{game.gMuzzleLDX, game.gMuzzleLDY, game.gMuzzleRDX, game.gMuzzleRDY}), muzzles[band]);
        // The scratch rectangle holds the last wheel's bounds.
        EXPECT_EQ((std::array<int64_t, 4>{game.gTop, game.gLeft, game.gBottom, game.gRight}),
                  (std::array<int64_t, 4>{192, 392, 209, 409}));
        for (auto [h, v] : {std::pair{79, 150}, {120, 150}, {100, 136}, {100, 159}})
            EXPECT_TRUE(g.pixel(h, v)) << "outside the area at (" << h << ", " << v << ")";
        EXPECT_EQ(game.currentWindow().port().pnSize, (QuickDraw::PenSize{1, 1}));
        EXPECT_EQ(game.currentWindow().port().pnMode, QuickDraw::PenMode::patCopy);
        // The flat barrel lies along row hub - 3; the upright one reaches row hub - 12.
        EXPECT_EQ(std::make_pair(g.pixel(114, 150), g.pixel(386, 200)), std::make_pair(band == 0, band == 0));
        EXPECT_EQ(std::make_pair(g.pixel(100, 138), g.pixel(400, 188)), std::make_pair(band == 3, band == 3));

        std::vector<std::string> image = g.field().dump(game.gCanLRect), right = g.field().dump(game.gCanRRect);
        image.insert(image.end(), right.begin(), right.end());
        if (images[band].empty())
            images[band] = image;
        EXPECT_EQ(image, images[band]) << "one barrel per band";
    }
    for (size_t a = 0; a < 4; ++a)
        for (size_t b = a + 1; b < 4; ++b)
            EXPECT_NE(images[a], images[b]) << "bands " << a << " and " << b;
}

// Checks a built field against its placement rules; `reference` holds the same seed's ground and cannons alone.
void checkField(Game& g, Game& reference, bool hospitals, bool posts, bool trees) {
    const Ordnix& game = g.game;
    const Rect canL = game.gCanLRect, canR = game.gCanRRect;
    EXPECT_EQ(reference.game.gCanLRect, canL) << "the replay sites the same cannons";
    // Nothing drawn after the cannons reaches their areas.
    EXPECT_EQ(g.field().dump(canL), reference.field().dump(canL));
    EXPECT_EQ(g.field().dump(canR), reference.field().dump(canR));

    struct Building {
        const char* name;
        bool on, up;
        int64_t left, top, width, baseX, baseY, baseDY;
        Rect area, cannon;
    };
    const Building all[] = {
        {"left hospital", hospitals, game.gLHospUp, game.gHospLLeft, game.gHospLTop, 29, game.gHospLBaseX, game.gHospLBaseY, 36,
         game.gLHospRect, canL},
        {"right hospital", hospitals, game.gRHospUp, game.gHospRLeft, game.gHospRTop, 29, game.gHospRBaseX, game.gHospRBaseY,
         36, game.gRHospRect, canR},
        {"left post", posts, game.gLPostUp, game.gPostLLeft, game.gPostLTop, 24, game.gPostLBaseX, game.gPostLBaseY, 37,
         game.gLPostRect, canL},
        {"right post", posts, game.gRPostUp, game.gPostRLeft, game.gPostRTop, 24, game.gPostRBaseX, game.gPostRBaseY, 37,
         game.gRPostRect, canR}};
    std::vector<Building> buildings;
    for (const Building& b : all) {
        if (b.on)
            buildings.push_back(b);
        else
            EXPECT_TRUE(b.area == Rect::zero && !b.up) << b.name << " is off";
    }
    if (hospitals && posts) { // posts keep clear of their side's hospital over the 29-column test width
        EXPECT_FALSE(columnsOverlap(game.gPostLLeft, game.gPostLLeft + 29, game.gHospLLeft, game.gHospLLeft + 29));
        EXPECT_FALSE(columnsOverlap(game.gPostRLeft, game.gPostRLeft + 29, game.gHospRLeft, game.gHospRLeft + 29));
    }
    for (const Building& b : buildings) {
        SCOPED_TRACE(b.name);
        EXPECT_TRUE(b.up);
        EXPECT_FALSE(columnsOverlap(b.left, b.left + 29, b.cannon.left, b.cannon.right)) << b.left;
        // The top is 35 rows above the first black pixel from row 50 in the middle column.
        EXPECT_EQ(b.top, *reference.firstBlack(b.left + 15, 50) - 35);
        EXPECT_EQ(b.area, tlbr(b.top, b.left, b.top + 36, b.left + b.width));
        EXPECT_EQ(b.baseX, b.left + (b.width == 29 ? 15 : 12));
        EXPECT_EQ(b.baseY, b.top + b.baseDY);
        // Cleared above, standing on a foundation down to row 276.
        EXPECT_EQ(g.blackIn(tlbr(30, b.left, b.top, b.left + b.width)), 0);
        EXPECT_EQ(g.blackIn(tlbr(b.top + 35, b.left, 276, b.left + b.width)), std::max<int64_t>(0, 241 - b.top) * b.width);
    }
    if (!trees) {
        EXPECT_EQ(game.gNumTrees, 0);
        EXPECT_EQ(game.gTree, 0);
        return;
    }
    const int64_t n = game.gNumTrees;
    ASSERT_TRUE(n >= 5 && n <= 14) << n;
    EXPECT_EQ(game.gTree, 1);
    EXPECT_EQ(game.gTreePoly[1], nullptr);
    // Trees are planted from n down to 2, each on what was drawn before it (ground, cannons, buildings, roots).
    for (int64_t i = n; i >= 2; --i) {
        SCOPED_TRACE("tree " + std::to_string(i));
        const auto k = static_cast<size_t>(i);
        const Rect r = game.gTreeRect[k];
        const int64_t x = r.left;
        ASSERT_NE(game.gTreePoly[k], nullptr);
        EXPECT_FALSE(game.gTreeDown[k]);
        EXPECT_TRUE(i % 2 == 1 ? x >= 12 && x <= 255 : x >= 256 && x <= 499) << "odd trees left, even right: " << x;
        for (const Rect& f : {tlbr(0, 230, 0, 280), canL, canR})
            EXPECT_FALSE(columnsOverlap(x, x + 19, f.left, f.right)) << "x " << x;
        for (const Building& b : buildings)
            EXPECT_FALSE(columnsOverlap(x, x + 19, b.area.left, b.area.right)) << "x " << x << " " << b.name;
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

TEST(GeneratedField, TargetsAndTreesKeepTheirPlacementRules) {
    const std::array<bool, 3> optionSets[] = {{true, true, true}, {false, true, true}, {true, false, false}, {false, false, true}};
    for (int64_t terrain = 0; terrain <= 3; ++terrain)
        for (const auto& [hospitals, posts, trees] : optionSets)
            for (int32_t seed = 500; seed < 530; ++seed) {
                SCOPED_TRACE(std::string(terrainNames[terrain]) + ", seed " + std::to_string(seed) + ", hospitals " +
                             std::to_string(hospitals) + ", posts " + std::to_string(posts) + ", trees " + std::to_string(trees));
                Game g;
                g.startUp();
                // Stale rectangles of an earlier field must not survive a field without those targets.
                g.game.gLHospRect = g.game.gRHospRect = g.game.gLPostRect = g.game.gRPostRect = tlbr(100, 100, 136, 129);
                g.buildField(terrain, hospitals, posts, trees, seed);
                EXPECT_EQ(g.game.gNewField, 0);
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

} // namespace
