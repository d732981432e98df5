// The hand-made terrain: its notice between battles, painting the ground and placing the two cannons by hand.
#include "GameTestSupport.h"

using namespace gametest;

namespace {

constexpr int64_t buttonV = 295, continueH = 260;

// A started game on an erased field, driven by presses in the field window.
struct Hand : Game {
    explicit Hand(bool baseline = false) {
        startUp();
        game.eraseRect(tlbr(0, 0, 350, 520));
        if (baseline)
            game.fillRect(tlbr(275, 0, 276, 512), game.black);
    }
    void drag(int64_t h0, int64_t v0, int64_t h1, int64_t v1) {
        host->moveMouse(WindowID::field, h0, v0);
        host->waitTicks(2);
        host->drag(WindowID::field, h0, v0, h1, v1, 12, 2);
        host->waitTicks(2);
    }
    void click(int64_t h, int64_t v) {
        host->moveMouse(WindowID::field, h, v);
        host->waitTicks(2);
        host->clickAt(WindowID::field, h, v);
        host->waitTicks(2);
    }
    void paint() { play([&] { game.drawTerrain(); }); }
};

TEST(TerrainPainting, DragPaintsGroundBelowAndSkyAboveTheMouse) {
    Hand p;
    p.drag(100, 200, 160, 150);
    p.drag(400, 100, 440, 40); // above the band: the ground reaches row 75 exactly
    p.click(continueH, buttonV);
    p.paint();

    EXPECT_FALSE(p.game.gCancelled);
    EXPECT_EQ(p.blackIn(tlbr(275, 0, 276, 512)), 512) << "the baseline";
    // Between the drag's ends the surface follows the pointer: ground down to the baseline, sky above.
    std::vector<int64_t> surface(512);
    for (int64_t h = 100; h <= 160; ++h) {
        const int64_t s = surface[static_cast<size_t>(h)] = p.firstBlack(h, 75).value_or(-1);
        ASSERT_TRUE(s >= 150 && s <= 200) << "column " << h << " surface " << s;
        ASSERT_EQ(p.blackIn(tlbr(s, h, 276, h + 1)), 276 - s) << "column " << h;
    }
    EXPECT_EQ(surface[100], 200);
    EXPECT_TRUE(surface[160] >= 150 && surface[160] <= 155) << surface[160];
    EXPECT_GT(surface[110], surface[150]) << "the surface climbs as the pointer did";
    for (int64_t h = 425; h <= 435; ++h)
        EXPECT_EQ(p.blackIn(tlbr(75, h, 276, h + 1)), 201) << "column " << h;
    EXPECT_EQ(p.blackIn(tlbr(20, 0, 75, 512)), 0) << "nothing above row 75";
    EXPECT_EQ(p.blackIn(tlbr(20, 0, 275, 99)) + p.blackIn(tlbr(20, 162, 275, 380)) + p.blackIn(tlbr(20, 445, 275, 512)), 0)
        << "nothing outside the dragged columns";
    for (const MenuState& m : p.host->menus())
        EXPECT_TRUE(m.enabled) << "menu " << m.id << " is on again";
}

TEST(HandMadeField, PlaceCannonsPutsEachCannonWhereClickedWithinItsHalf) {
    Hand p(true);
    p.click(140, 295); // "PLACE CANNON" (left)
    p.click(100, 200); // the left cannon's hub
    p.click(380, 295); // "PLACE CANNON" (right)
    p.click(505, 40);  // far right and high: clamped to (490, 66)
    p.play([&] { p.game.placeCannons(); });
    Ordnix& game = p.game;
    EXPECT_FALSE(game.gCancelled);
    EXPECT_TRUE(game.gPlaced);
    EXPECT_EQ((std::array<int64_t, 4>{game.gCanLX, game.gCanLY, game.gCanRX, game.gCanRY}),
              (std::array<int64_t, 4>{100, 200, 490, 66}));
    EXPECT_EQ(game.gCanLRect, tlbr(187, 80, 209, 120));
    EXPECT_EQ(game.gCanRRect, tlbr(53, 470, 75, 510));
    // Ground under each cannon down to row 276, sky above it.
    EXPECT_EQ(p.blackIn(tlbr(209, 81, 276, 119)), (276 - 209) * 38);
    EXPECT_EQ(p.blackIn(tlbr(75, 471, 276, 509)), (276 - 75) * 38);
    EXPECT_EQ(p.blackIn(tlbr(20, 80, 190, 120)) + p.blackIn(tlbr(20, 470, 56, 510)), 0);
}

} // namespace
