// Cannons, buildings and trees on generated fields: where they may stand and how they are drawn.
#include "GameTestSupport.h"

#include <algorithm>

#include "Bitmap.h"

using namespace gametest;

namespace {

constexpr int32_t firstSeed = 500;
constexpr int32_t seedCount = 40;

TEST(Cannons, DrawingRecordsAreaBaseAndMuzzle) {
    // Elevation bands switch at 10, 40 and 70; the muzzle offsets are not mirror images.
    const struct {
        int64_t elevation;
        int64_t band;
    } cases[] = {{0, 0}, {9, 0}, {10, 1}, {39, 1}, {40, 2}, {69, 2}, {70, 3}, {89, 3}};
    const int64_t leftMuzzle[4][2] = {{18, -5}, {20, -12}, {12, -20}, {-2, -25}};
    const int64_t rightMuzzle[4][2] = {{-21, -5}, {-20, -12}, {-14, -20}, {-2, -23}};

    std::vector<std::vector<std::string>> leftImages(4), rightImages(4);
    for (const auto& c : cases) {
        SCOPED_TRACE("elevation " + std::to_string(c.elevation));
        Game g;
        Ordnix& game = g.game;
        game.gCanLX = 100;
        game.gCanLY = 150;
        game.gCanRX = 400;
        game.gCanRY = 200;
        game.gElevL = game.gElevR = c.elevation;
        game.fillRect(tlbr(0, 0, 322, 512), game.black); // the area is cleared before drawing
        game.drawLeftCannon();
        game.drawRightCannon();

        EXPECT_EQ(game.gCanLRect, tlbr(137, 80, 159, 120));
        EXPECT_EQ(game.gCanRRect, tlbr(187, 380, 209, 420));
        EXPECT_EQ(game.gCanLBaseX, 100);
        EXPECT_EQ(game.gCanLBaseY, 160);
        EXPECT_EQ(game.gCanRBaseX, 400);
        EXPECT_EQ(game.gCanRBaseY, 210);
        EXPECT_EQ(game.gMuzzleLDX, leftMuzzle[c.band][0]);
        EXPECT_EQ(game.gMuzzleLDY, leftMuzzle[c.band][1]);
        EXPECT_EQ(game.gMuzzleRDX, rightMuzzle[c.band][0]);
        EXPECT_EQ(game.gMuzzleRDY, rightMuzzle[c.band][1]);
        // After drawing a cannon the scratch rectangle holds its wheel's bounds.
        EXPECT_EQ((std::array<int64_t, 4>{game.gTop, game.gLeft, game.gBottom, game.gRight}),
                  (std::array<int64_t, 4>{192, 392, 209, 409}));
        // Outside the cannon areas nothing changed; the pen ends normal.
        EXPECT_TRUE(g.pixel(79, 150));
        EXPECT_TRUE(g.pixel(120, 150));
        EXPECT_TRUE(g.pixel(100, 136));
        EXPECT_TRUE(g.pixel(100, 159));
        const QuickDraw::GrafPort& port = game.currentWindow().port();
        EXPECT_EQ(port.pnSize, (QuickDraw::PenSize{1, 1}));
        EXPECT_EQ(port.pnMode, QuickDraw::PenMode::patCopy);

        // The flat barrel lies along row hub - 3; the upright one reaches row hub - 12.
        EXPECT_EQ(g.pixel(114, 150), c.band == 0);
        EXPECT_EQ(g.pixel(386, 200), c.band == 0);
        EXPECT_EQ(g.pixel(100, 138), c.band == 3);
        EXPECT_EQ(g.pixel(400, 188), c.band == 3);

        const auto left = g.field().dump(game.gCanLRect);
        const auto right = g.field().dump(game.gCanRRect);
        if (leftImages[c.band].empty()) {
            leftImages[c.band] = left;
            rightImages[c.band] = right;
        } else {
            EXPECT_EQ(left, leftImages[c.band]) << "one barrel per band";
            EXPECT_EQ(right, rightImages[c.band]);
        }
    }
    for (size_t a = 0; a < 4; ++a)
        for (size_t b = a + 1; b < 4; ++b) {
            EXPECT_NE(leftImages[a], leftImages[b]) << "bands " << a << " and " << b;
            EXPECT_NE(rightImages[a], rightImages[b]) << "bands " << a << " and " << b;
        }
}

struct FieldOptions {
    bool hospitals, posts, trees;
};

// Replays the start of a field (cannons sited, ground, both cannons) on a second game with the same seed:
// the buildings' and trees' ground is found on this picture.
std::unique_ptr<Game> groundAndCannons(int64_t terrain, int32_t seed) {
    auto g = std::make_unique<Game>();
    g->play([&] {
        g->drawGroundOnly(terrain, seed);
        g->game.drawRightCannon();
        g->game.drawLeftCannon();
    });
    return g;
}

void checkField(Game& g, Game& alone, int64_t terrain, int32_t seed, FieldOptions options) {
    const Ordnix& game = g.game;
    const Rect canL = game.gCanLRect;
    const Rect canR = game.gCanRRect;
    auto reference = groundAndCannons(terrain, seed);
    EXPECT_EQ(reference->game.gCanLRect, canL) << "the replay sites the same cannons";
    // The cannons are drawn after the ground and nothing later reaches their areas: each area shows
    // exactly its cannon as drawn on an empty field.
    alone.game.eraseRect(tlbr(0, 0, 350, 520));
    alone.game.gCanLX = game.gCanLX;
    alone.game.gCanLY = game.gCanLY;
    alone.game.gCanRX = game.gCanRX;
    alone.game.gCanRY = game.gCanRY;
    alone.game.drawRightCannon();
    alone.game.drawLeftCannon();
    EXPECT_EQ(g.field().dump(canL), alone.field().dump(canL));
    EXPECT_EQ(g.field().dump(canR), alone.field().dump(canR));

    struct Building {
        const char* name;
        bool on, up;
        int64_t left, top, width;
        Rect area, cannon;
        int64_t baseX, baseY;
        int64_t baseDY;
    };
    std::vector<Building> buildings;
    if (options.hospitals) {
        buildings.push_back({"left hospital", true, game.gLHospUp, game.gHospLLeft, game.gHospLTop, 29, game.gLHospRect, canL,
                             game.gHospLBaseX, game.gHospLBaseY, 36});
        buildings.push_back({"right hospital", true, game.gRHospUp, game.gHospRLeft, game.gHospRTop, 29, game.gRHospRect, canR,
                             game.gHospRBaseX, game.gHospRBaseY, 36});
    } else {
        EXPECT_EQ(game.gLHospRect, Rect::zero);
        EXPECT_EQ(game.gRHospRect, Rect::zero);
        EXPECT_FALSE(game.gLHospUp || game.gRHospUp);
    }
    if (options.posts) {
        buildings.push_back({"left post", true, game.gLPostUp, game.gPostLLeft, game.gPostLTop, 24, game.gLPostRect, canL,
                             game.gPostLBaseX, game.gPostLBaseY, 37});
        buildings.push_back({"right post", true, game.gRPostUp, game.gPostRLeft, game.gPostRTop, 24, game.gRPostRect, canR,
                             game.gPostRBaseX, game.gPostRBaseY, 37});
        // Posts keep clear of their side's hospital, over the 29-column test width.
        if (options.hospitals) {
            EXPECT_FALSE(columnsOverlap(game.gPostLLeft, game.gPostLLeft + 29, game.gHospLLeft, game.gHospLLeft + 29));
            EXPECT_FALSE(columnsOverlap(game.gPostRLeft, game.gPostRLeft + 29, game.gHospRLeft, game.gHospRLeft + 29));
        }
    } else {
        EXPECT_EQ(game.gLPostRect, Rect::zero);
        EXPECT_EQ(game.gRPostRect, Rect::zero);
        EXPECT_FALSE(game.gLPostUp || game.gRPostUp);
    }
    for (const Building& b : buildings) {
        SCOPED_TRACE(b.name);
        EXPECT_TRUE(b.up);
        EXPECT_FALSE(columnsOverlap(b.left, b.left + 29, b.cannon.left, b.cannon.right))
            << "left " << b.left << ", cannon " << describe(b.cannon);
        // The top is 35 rows above the first black pixel from row 50 in the middle column.
        EXPECT_EQ(b.top, *reference->firstBlack(b.left + 15, 50) - 35);
        EXPECT_EQ(b.area, tlbr(b.top, b.left, b.top + 36, b.left + b.width));
        EXPECT_EQ(b.baseX, b.left + (b.width == 29 ? 15 : 12));
        EXPECT_EQ(b.baseY, b.top + b.baseDY);
        // Cleared above, cut into the ground, standing on a foundation down to row 276.
        EXPECT_EQ(g.blackIn(tlbr(30, b.left, b.top, b.left + b.width)), 0);
        EXPECT_EQ(g.blackIn(tlbr(b.top + 35, b.left, 276, b.left + b.width)), std::max<int64_t>(0, 276 - b.top - 35) * b.width);
    }
    if (!options.trees) {
        EXPECT_EQ(game.gNumTrees, 0);
        EXPECT_EQ(game.gTree, 0);
        return;
    }
    const int64_t n = game.gNumTrees;
    ASSERT_GE(n, 5);
    ASSERT_LE(n, 14);
    EXPECT_EQ(game.gTree, 1);
    EXPECT_EQ(game.gTreeFill, 1);
    EXPECT_EQ(game.gTreePoly[0], nullptr);
    EXPECT_EQ(game.gTreePoly[1], nullptr);
    // Trees are planted from n down to 2; each stands on what was drawn before it (ground, cannons,
    // buildings in other columns, and the roots of the trees already planted).
    for (int64_t i = n; i >= 2; --i) {
        SCOPED_TRACE("tree " + std::to_string(i));
        const auto k = static_cast<size_t>(i);
        const Rect r = game.gTreeRect[k];
        const int64_t x = r.left;
        ASSERT_NE(game.gTreePoly[k], nullptr);
        EXPECT_FALSE(game.gTreeDown[k]);
        if (i % 2 == 1) {
            EXPECT_GE(x, 12);
            EXPECT_LE(x, 255);
        } else {
            EXPECT_GE(x, 256);
            EXPECT_LE(x, 499);
        }
        EXPECT_FALSE(columnsOverlap(x, x + 19, 230, 280)) << "x " << x;
        EXPECT_FALSE(columnsOverlap(x, x + 19, canL.left, canL.right)) << "x " << x;
        EXPECT_FALSE(columnsOverlap(x, x + 19, canR.left, canR.right)) << "x " << x;
        for (const Building& b : buildings)
            EXPECT_FALSE(columnsOverlap(x, x + 19, b.area.left, b.area.right)) << "x " << x << " " << b.name;
        EXPECT_EQ(r.right, x + 19);
        EXPECT_EQ(r.bottom, r.top + 35);
        EXPECT_EQ(game.gTreeBaseX[k], x + 9);
        EXPECT_EQ(game.gTreeBaseY[k], r.top + 35);
        // The foot (two rows above the base point) is the first black pixel below row 50 in column x + 9.
        const int64_t foot = game.gTreeBaseY[k] - 2;
        EXPECT_EQ(foot, *reference->firstBlack(x + 9, 50));
        reference->game.penSize(3, 1);
        reference->game.moveTo(x + 9, foot);
        reference->game.lineTo(x + 9, 275);
        // The tree is filled black: a point of the trunk and one of the crown.
        EXPECT_TRUE(g.pixel(x + 10, r.top + 31));
        EXPECT_TRUE(g.pixel(x + 10, r.top + 4));
        // The root reaches row 275.
        EXPECT_TRUE(g.pixel(x + 10, 275));
    }
}

class GeneratedField : public ::testing::TestWithParam<int64_t> {};

TEST_P(GeneratedField, TargetsAndTreesKeepTheirPlacementRules) {
    const int64_t terrain = GetParam();
    const FieldOptions optionSets[] = {{true, true, true}, {false, true, true}, {true, false, false}, {false, false, true}};
    Game alone; // cannons drawn on an empty field
    for (const FieldOptions& options : optionSets) {
        for (int32_t seed = firstSeed; seed < firstSeed + seedCount; ++seed) {
            SCOPED_TRACE(std::string(terrainNames[terrain]) + ", seed " + std::to_string(seed) + ", hospitals " +
                         std::to_string(options.hospitals) + ", posts " + std::to_string(options.posts) + ", trees " +
                         std::to_string(options.trees));
            Game g;
            g.startUp();
            // Stale rectangles of an earlier field must not survive a field without those targets.
            g.game.gLHospRect = g.game.gRHospRect = g.game.gLPostRect = g.game.gRPostRect = tlbr(100, 100, 136, 129);
            g.buildField(terrain, options.hospitals, options.posts, options.trees, seed);
            EXPECT_EQ(g.game.gNewField, 0);
            checkField(g, alone, terrain, seed, options);
            if (::testing::Test::HasFailure())
                return;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllTerrains, GeneratedField, ::testing::Values(0, 1, 2, 3),
                         terrainParamName);

TEST(Buildings, ShapesDoorsAndFoundation) {
    for (int64_t newField : {0, 1}) {
        SCOPED_TRACE("gNewField " + std::to_string(newField));
        Game g;
        Ordnix& game = g.game;
        game.gNewField = newField;
        game.gHospLLeft = 50;
        game.gHospLTop = 100;
        game.gHospRLeft = 300;
        game.gHospRTop = 100;
        game.gPostLLeft = 150;
        game.gPostLTop = 120;
        game.gPostRLeft = 420;
        game.gPostRTop = 120;
        game.drawLeftHospital();
        game.drawRightHospital();
        game.drawLeftPost();
        game.drawRightPost();

        EXPECT_EQ(game.gLHospRect, tlbr(100, 50, 136, 79));
        EXPECT_EQ(game.gRHospRect, tlbr(100, 300, 136, 329));
        EXPECT_EQ(game.gLPostRect, tlbr(120, 150, 156, 174));
        EXPECT_EQ(game.gRPostRect, tlbr(120, 420, 156, 444));
        EXPECT_EQ((std::array<int64_t, 4>{game.gHospLBaseX, game.gHospLBaseY, game.gPostRBaseX, game.gPostRBaseY}),
                  (std::array<int64_t, 4>{65, 136, 432, 157}));

        // Hospital: black roof with a white cross, gray walls, the door on the side facing its cannon.
        EXPECT_TRUE(g.pixel(50 + 7, 100 + 10));
        EXPECT_FALSE(g.pixel(50 + 14, 100 + 13));
        EXPECT_EQ(g.pixel(50 + 7, 100 + 22), QuickDraw::Pattern::gray.bit(57, 122));
        EXPECT_FALSE(g.pixel(50 + 10, 100 + 30)) << "left hospital door, left of the middle";
        EXPECT_FALSE(g.pixel(300 + 20, 100 + 30)) << "right hospital door, right of the middle";
        EXPECT_TRUE(g.pixel(50 + 8, 100 + 30)) << "door frame";
        // Post: black roof, gray walls, door and window.
        EXPECT_TRUE(g.pixel(150 + 12, 120 + 18));
        EXPECT_FALSE(g.pixel(150 + 10, 120 + 30));
        EXPECT_FALSE(g.pixel(420 + 16, 120 + 30));
        // Foundation only on a new field.
        EXPECT_EQ(g.blackIn(tlbr(135, 50, 276, 79)), newField ? (276 - 135) * 29 : 0);
        EXPECT_EQ(g.blackIn(tlbr(155, 420, 276, 444)), newField ? (276 - 155) * 24 : 0);
        // Nothing outside the buildings' columns.
        EXPECT_EQ(g.blackIn(tlbr(0, 0, 322, 50)), 0);
        EXPECT_EQ(g.blackIn(tlbr(0, 79, 322, 150)), 0);
        EXPECT_EQ(g.blackIn(tlbr(0, 444, 322, 512)), 0);
    }
}

TEST(CrossOut, LeavesTheBitmapUnchangedAndFlashes) {
    Game g;
    g.buildField(2, true, true, true, 77);
    Ordnix& game = g.game;
    game.gTop = 150;
    game.gLeft = 100;
    game.gBottom = 186;
    game.gRight = 129;
    std::vector<uint8_t> shown;
    {
        std::lock_guard<std::mutex> lock(QuickDraw::screenLock());
        g.field().snapshot();
    }
    const std::vector<uint8_t> before = g.field().bits();
    const int64_t changes = g.field().changeCount();
    game.crossOut();
    EXPECT_EQ(g.field().bits(), before);
    EXPECT_GT(g.field().changeCount(), changes);
    EXPECT_TRUE(g.field().hasFlashes());
    {
        std::lock_guard<std::mutex> lock(QuickDraw::screenLock());
        shown = g.field().snapshot();
    }
    // The host's next sample shows both diagonals inverted.
    const auto at = [&](int64_t h, int64_t v) { return shown[static_cast<size_t>(v * g.field().width() + h)] != 0; };
    EXPECT_NE(at(100, 150), g.pixel(100, 150));
    EXPECT_NE(at(129, 186), g.pixel(129, 186));
    EXPECT_NE(at(129, 150), g.pixel(129, 150));
    EXPECT_NE(at(100, 186), g.pixel(100, 186));
    EXPECT_EQ(at(110, 150), g.pixel(110, 150)) << "off the diagonals";
    EXPECT_EQ(game.currentWindow().port().pnMode, QuickDraw::PenMode::patCopy);
}

TEST(KeyCannon, DrawsAnIconAroundItsHubOnly) {
    Game g;
    Ordnix& game = g.game;
    game.setPort(game.window(WindowID::targets));
    game.drawKeyCannon();
    QuickDraw::Bitmap& targets = game.window(WindowID::targets).port().bitmap;
    int64_t inside = 0, outside = 0;
    for (int64_t v = 0; v < targets.height(); ++v)
        for (int64_t h = 0; h < targets.width(); ++h)
            if (targets.pixel(h, v))
                ++(v >= 77 && v < 96 && h >= 216 && h < 250 ? inside : outside);
    EXPECT_GT(inside, 40);
    EXPECT_EQ(outside, 0);
    EXPECT_TRUE(targets.pixel(230, 85)) << "the hub";
    EXPECT_TRUE(targets.pixel(217, 83)) << "the barrel points left";
    EXPECT_EQ(g.blackIn(tlbr(0, 0, 322, 512)), 0) << "the field is untouched";
    EXPECT_EQ(game.currentWindow().port().pnSize, (QuickDraw::PenSize{1, 1}));
}

} // namespace
