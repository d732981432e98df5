// Painting the ground by hand: the band rows 75..275, the anchor, CLEAR, CONTINUE and CANCEL.
#include "GameTestSupport.h"

using namespace gametest;

namespace {

constexpr int64_t continueH = 260, buttonV = 295;
constexpr int64_t clearH = 190;
constexpr int64_t cancelH = 340;

struct Painter {
    Game g;

    Painter() {
        g.startUp();
        g.game.eraseRect(tlbr(0, 0, 350, 520));
    }
    // Drags from (h0, v0) to (h1, v1) after resting the mouse on the start point.
    void drag(int64_t h0, int64_t v0, int64_t h1, int64_t v1) {
        g.host->moveMouse(WindowID::field, h0, v0);
        g.host->waitTicks(2);
        g.host->drag(WindowID::field, h0, v0, h1, v1, 12, 2);
        g.host->waitTicks(2);
    }
    void click(int64_t h, int64_t v) {
        g.host->moveMouse(WindowID::field, h, v);
        g.host->waitTicks(1);
        g.host->clickAt(WindowID::field, h, v);
        g.host->waitTicks(2);
    }
    void paint() {
        g.play([&] { g.game.drawTerrain(); });
    }
};

TEST(TerrainPainting, DragPaintsGroundBelowAndSkyAboveTheMouse) {
    Painter p;
    p.drag(100, 200, 160, 150);
    p.click(continueH, buttonV);
    p.paint();
    Game& g = p.g;

    EXPECT_FALSE(g.game.gCancelled);
    // The baseline across the field.
    for (int64_t h = 0; h < 512; ++h)
        ASSERT_TRUE(g.pixel(h, 275)) << "baseline at column " << h;
    // Between the two ends the surface follows the pointer; ground below it to the baseline, sky above.
    const auto columns = g.columns(75);
    for (int64_t h = 100; h <= 160; ++h) {
        const int64_t s = columns[static_cast<size_t>(h)].surface;
        ASSERT_GE(s, 150) << "column " << h;
        ASSERT_LE(s, 200) << "column " << h;
        ASSERT_EQ(g.blackIn(tlbr(s, h, 276, h + 1)), 276 - s) << "column " << h;
    }
    EXPECT_EQ(columns[100].surface, 200);
    EXPECT_GE(columns[160].surface, 150);
    EXPECT_LE(columns[160].surface, 155);
    // The surface climbs from left to right as the pointer did.
    EXPECT_GT(columns[110].surface, columns[150].surface);
    // Nothing outside the dragged columns but the baseline.
    EXPECT_EQ(g.blackIn(tlbr(20, 0, 275, 99)), 0);
    EXPECT_EQ(g.blackIn(tlbr(20, 162, 275, 512)), 0);
    // The menus were off while painting and are on again.
    for (const MenuState& m : g.host->menus())
        EXPECT_TRUE(m.enabled) << "menu " << m.id;
    bool sawAllOff = false;
    for (const auto& publication : g.host->menuPublications()) {
        bool allOff = publication.size() == 9;
        for (const MenuState& m : publication)
            allOff = allOff && !m.enabled;
        sawAllOff = sawAllOff || allOff;
    }
    EXPECT_TRUE(sawAllOff);
}

TEST(TerrainPainting, AboveTheBandPaintsUpToRow75AndBelowItNothing) {
    Painter p;
    p.drag(400, 100, 440, 40);
    std::vector<uint8_t> before, after;
    p.g.host->perform("note", [&](ScriptedHost&) { before = p.g.field().bits(); });
    p.click(480, 280); // below the painting band, on no button
    p.g.host->perform("note", [&](ScriptedHost&) { after = p.g.field().bits(); });
    p.click(continueH, buttonV);
    p.paint();
    Game& g = p.g;

    EXPECT_EQ(before, after) << "a press below row 275 paints nothing";
    EXPECT_EQ(g.blackIn(tlbr(20, 380, 75, 512)), 0) << "nothing above row 75";
    // Where the pointer was above the band, the ground reaches exactly row 75.
    for (int64_t h = 425; h <= 435; ++h)
        EXPECT_EQ(g.blackIn(tlbr(75, h, 276, h + 1)), 201) << "column " << h;
}

TEST(TerrainPainting, ClearErasesThePaintedGroundAboveTheBaseline) {
    Painter p;
    p.drag(50, 250, 450, 90);
    p.click(clearH, buttonV);
    p.click(continueH, buttonV);
    p.paint();
    Game& g = p.g;
    EXPECT_EQ(g.blackIn(tlbr(20, 0, 275, 512)), 0);
    EXPECT_EQ(g.blackIn(tlbr(275, 0, 276, 512)), 512);
    EXPECT_FALSE(g.game.gCancelled);
}

TEST(TerrainPainting, CancelEndsPaintingCancelled) {
    Painter p;
    p.drag(50, 250, 120, 200);
    p.click(cancelH, buttonV);
    p.paint();
    EXPECT_TRUE(p.g.game.gCancelled);
    EXPECT_GT(p.g.blackIn(tlbr(200, 50, 275, 120)), 0) << "what was painted stays until the next field";
}

} // namespace
