// The hand-made terrain: its notice between battles and the hand placement of the two cannons.
#include "GameTestSupport.h"

#include "QuickDrawContext.h"

using namespace gametest;

namespace {

// The notice a "DO IT YOURSELF" field shows, drawn by the rules on a port of its own.
std::vector<std::string> expectedNotice() {
    QuickDraw::GrafPort port(512, 322);
    QuickDraw::QuickDrawContext qd(port);
    qd.textFont(QuickDraw::FontID::systemFont);
    qd.textFace(QuickDraw::Style::bold);
    qd.textSize(12);
    qd.moveTo(185, 100);
    qd.drawString("\"Do It Yourself\" ");
    qd.textFont(QuickDraw::FontID::applFont);
    qd.textFace(QuickDraw::Style{});
    qd.textSize(9);
    qd.moveTo(85, 120);
    qd.drawString("Next time you \"Start a Battle\" you will draw your own terrain and targets.");
    return port.bitmap.dump(tlbr(20, 0, 322, 512));
}

TEST(HandMadeField, BetweenBattlesTheFieldShowsOnlyTheNotice) {
    Game g(8);
    g.host->chooseMenu(259, 1); // targets on: still nothing but the notice
    g.host->chooseMenu(259, 3);
    g.host->chooseMenu(260, 3);
    g.host->chooseMenu(258, 5);
    g.host->chooseMenu(261, 2);
    g.host->waitForMenuPoll();
    g.host->quit();
    g.play([&] { g.game.run(); });
    EXPECT_EQ(g.field().dump(tlbr(20, 0, 322, 512)), expectedNotice());
    EXPECT_EQ(g.game.gNumTrees, 0);
    EXPECT_EQ(g.game.gNewField, 0);
    EXPECT_EQ(g.host->cursor(), CursorKind::arrow);
}

struct Placement {
    Game g;
    Placement() {
        g.startUp();
        g.game.eraseRect(tlbr(0, 0, 350, 520));
        g.game.fillRect(tlbr(275, 0, 276, 512), g.game.black);
    }
    void click(int64_t h, int64_t v) {
        g.host->moveMouse(WindowID::field, h, v);
        g.host->waitTicks(2);
        g.host->clickAt(WindowID::field, h, v);
        g.host->waitTicks(2);
    }
};

TEST(HandMadeField, PlaceCannonsPutsEachCannonWhereClickedWithinItsHalf) {
    Placement p;
    p.click(140, 295);  // "PLACE CANNON" (left)
    p.click(100, 200);  // the left cannon's hub
    p.click(380, 295);  // "PLACE CANNON" (right)
    p.click(505, 40);   // far right and high: clamped to (490, 66)
    p.g.play([&] { p.g.game.placeCannons(); });
    Ordnix& game = p.g.game;

    EXPECT_FALSE(game.gCancelled);
    EXPECT_TRUE(game.gPlaced);
    EXPECT_EQ(game.gCanLX, 100);
    EXPECT_EQ(game.gCanLY, 200);
    EXPECT_EQ(game.gCanRX, 490);
    EXPECT_EQ(game.gCanRY, 66);
    EXPECT_EQ(game.gCanLRect, tlbr(187, 80, 209, 120));
    EXPECT_EQ(game.gCanRRect, tlbr(53, 470, 75, 510));
    // Ground under each cannon down to row 276, sky above it.
    EXPECT_EQ(p.g.blackIn(tlbr(209, 81, 276, 119)), (276 - 209) * 38);
    EXPECT_EQ(p.g.blackIn(tlbr(75, 471, 276, 509)), (276 - 75) * 38);
    EXPECT_EQ(p.g.blackIn(tlbr(20, 80, 190, 120)), 0);
    EXPECT_EQ(p.g.blackIn(tlbr(20, 470, 56, 510)), 0);
    // The cannons are drawn: the hub of each wheel.
    EXPECT_TRUE(p.g.pixel(100, 200));
    EXPECT_TRUE(p.g.pixel(490, 66));
    // The button strip is cleared again, except the cancel button's frame.
    EXPECT_EQ(p.g.blackIn(tlbr(276, 0, 322, 220)), 0);
    EXPECT_EQ(p.g.blackIn(tlbr(276, 290, 322, 512)), 0);
    EXPECT_GT(p.g.blackIn(tlbr(285, 225, 305, 285)), 0);
}

TEST(HandMadeField, CancelStopsThePlacement) {
    for (bool afterLeft : {false, true}) {
        SCOPED_TRACE(afterLeft ? "cancel before the right cannon" : "cancel at once");
        Placement p;
        if (afterLeft) {
            p.click(140, 295);
            p.click(100, 200);
        }
        p.click(255, 295); // "CANCEL"
        p.g.play([&] { p.g.game.placeCannons(); });
        EXPECT_TRUE(p.g.game.gCancelled);
        EXPECT_TRUE(p.g.game.gPlaced);
        EXPECT_EQ(p.g.game.gCanRRect, Rect::zero) << "no right cannon";
        EXPECT_EQ(p.g.game.gCanLRect != Rect::zero, afterLeft);
    }
}

} // namespace
