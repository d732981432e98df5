// The Do-It-Yourself field editor: its buttons, cancelling in every phase, cannons and buildings placed
// with clamped outlines and refused overlaps, trees planted last. (Painting itself: tests/game.)
#include "OptionsTestSupport.h"

#include <algorithm>

namespace {

using namespace options_test;
constexpr WindowID field = WindowID::field;
constexpr int64_t paintCancelH = 340, placeCancelH = 255;

bool editorEnded(const ScriptedHost& h) {
    const auto& c = h.cursorChanges();
    return !c.empty() && c.back() == CursorKind::arrow && std::find(c.begin(), c.end(), CursorKind::cross) != c.end();
}

// Ends the run once the editor has handed back the arrow cursor, before the battle draws anything.
void endWhenEditorEnds(ScriptedHost& host) {
    host.waitUntil("the editor ends", editorEnded);
    host.endScenario();
}

TEST(FieldEditor, PaintingStartsWithItsThreeButtons) {
    Session s;
    startEditor(*s.host, false, false, false);
    s.host->endScenario();
    ASSERT_TRUE(s.play());
    EXPECT_EQ(s.game.gClearRect, tlbr(285, 165, 305, 215));
    EXPECT_EQ(s.game.gContinueRect, tlbr(285, 225, 305, 304));
    EXPECT_EQ(s.game.gCancelRect, tlbr(285, 314, 305, 374));
    const auto& b = s.bitmap(field);
    for (auto [text, h, button] : {std::tuple{"CLEAR", 168, s.game.gClearRect},
                                   {"CONTINUE", 228, s.game.gContinueRect}, {"CANCEL", 317, s.game.gCancelRect}}) {
        SCOPED_TRACE(text);
        const Rect inside = button.insetBy(2, 2);
        EXPECT_EQ(b.dump(inside), renderedText(text, h, 300, QuickDraw::FontID::systemFont, QuickDraw::Style::bold,
                                               12, inside));
        EXPECT_GT(blackCount(b, inside), 20);
        const int64_t mid = (button.left + button.right) / 2; // the round frame's straight edges
        EXPECT_TRUE(allBlack(b, tlbr(button.top, mid - 5, button.top + 1, mid + 5)));
        EXPECT_TRUE(allBlack(b, tlbr(button.bottom - 1, mid - 5, button.bottom, mid + 5)));
    }
    const auto& port = s.game.window(field).port();
    EXPECT_EQ(port.txFont, QuickDraw::FontID::applFont);
    EXPECT_EQ(port.txFace, QuickDraw::Style{});
    EXPECT_EQ(port.txSize, 9);
    for (int64_t id = 256; id <= 264; ++id)
        EXPECT_FALSE(s.host->menu(id)->enabled) << "menu " << id << " is off while the editor runs";
}

TEST(FieldEditor, CancelInEveryPhase) {
    const Presses placed = cannons(100, 200, 400, 200);
    const Presses hospitals = placed + Presses{{leftButtonH, buttonV}, {150, 100}, {rightButtonH, buttonV}, {330, 100}};
    const std::pair<const char*, Presses> cases[] = {
        {"painting", {}},
        {"left cannon button", {{continueH, buttonV}}},
        {"left cannon outline", {{continueH, buttonV}, {leftButtonH, buttonV}}},
        {"right cannon button", {{continueH, buttonV}, {leftButtonH, buttonV}, {100, 200}}},
        {"left hospital button", placed},
        {"left hospital outline", placed + Presses{{leftButtonH, buttonV}}},
        {"right hospital outline", placed + Presses{{leftButtonH, buttonV}, {150, 100}, {rightButtonH, buttonV}}},
        {"left post button", hospitals},
        {"right post outline", hospitals + Presses{{leftButtonH, buttonV}, {30, 60}, {rightButtonH, buttonV}}},
    };
    for (const auto& [phase, before] : cases) {
        SCOPED_TRACE(phase);
        Session s;
        startEditor(*s.host, true, true, true);
        pressAll(*s.host, before);
        const int64_t cancelH = before.empty() ? paintCancelH : placeCancelH;
        s.host->moveMouse(field, cancelH, buttonV);
        s.host->waitTicks(1);
        s.host->clickAt(field, cancelH, buttonV);
        s.host->waitUntil("the editor ends", editorEnded);
        bool newFieldDue = false;
        s.host->perform("look at the game", [&](ScriptedHost&) { newFieldDue = s.game.gNewField == 1; });
        // Had a battle started, its aiming loop would drop the quit command and the run would time out.
        s.host->quit();
        ASSERT_TRUE(s.play());
        EXPECT_TRUE(s.game.gCancelled);
        EXPECT_TRUE(newFieldDue);
        EXPECT_EQ(s.game.gNewField, 0) << "the main loop drew the field again";
        for (int64_t id = 256; id <= 264; ++id)
            EXPECT_TRUE(s.host->menu(id)->enabled) << "menu " << id;
        EXPECT_TRUE(s.host->menu(262)->itemEnabled[1]) << "START A BATTLE";
        EXPECT_FALSE(s.host->menu(262)->itemEnabled[2]) << "STOP A BATTLE";
        EXPECT_EQ(s.host->cursor(), CursorKind::arrow);
        const auto& b = s.bitmap(field); // the notice again: text in the middle, no ground, no buttons
        EXPECT_GT(blackCount(b, tlbr(85, 80, 125, 500)), 100);
        EXPECT_TRUE(allWhite(b, tlbr(130, 0, 322, 512)));
        EXPECT_TRUE(s.host->protocolErrors().empty());
    }
}

TEST(FieldEditor, CannonsOnlyThenSolidGround) {
    struct Case {
        int64_t lh, lv, rh, rv;
        int64_t lx, ly, rx, ry; // the hubs after clamping to v 66..266, h 22..200 and 312..490
    };
    const Case cases[] = {
        {100, 200, 400, 150, 100, 200, 400, 150}, {5, 10, 511, 300, 22, 66, 490, 266},
        {250, 270, 300, 40, 200, 266, 312, 66},   {-40, 500, 700, -30, 22, 266, 490, 66},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "left (" << c.lh << ", " << c.lv << "), right (" << c.rh << ", " << c.rv
                                          << ")");
        Session s;
        startEditor(*s.host, false, false, false);
        pressAll(*s.host, cannons(c.lh, c.lv, c.rh, c.rv));
        endWhenEditorEnds(*s.host);
        ASSERT_TRUE(s.play());
        EXPECT_FALSE(s.game.gCancelled);
        EXPECT_EQ(s.game.gCanLRect, tlbr(c.ly - 13, c.lx - 20, c.ly + 9, c.lx + 20));
        EXPECT_EQ(s.game.gCanRRect, tlbr(c.ry - 13, c.rx - 20, c.ry + 9, c.rx + 20));
        // Everything below the band is ground, except where the first turn's panel (280, 1, 315, 260) stands.
        const auto& b = s.bitmap(field);
        EXPECT_TRUE(allBlack(b, tlbr(275, 0, 280, 512)));
        EXPECT_TRUE(allBlack(b, tlbr(280, 261, 322, 512)));
        EXPECT_TRUE(allBlack(b, tlbr(316, 0, 322, 512)));
        EXPECT_FALSE(s.game.gLHospUp || s.game.gRHospUp || s.game.gLPostUp || s.game.gRPostUp);
        EXPECT_EQ(s.game.gLHospRect, Rect{});
        EXPECT_EQ(s.game.gRPostRect, Rect{});
        const auto& cursors = s.host->cursorChanges();
        const auto cross = std::find(cursors.begin(), cursors.end(), CursorKind::cross);
        EXPECT_EQ(std::count(cross, cursors.end(), CursorKind::watch), 0) << "no trees, no watch";
    }
}

// The left hospital's outline follows the mouse clamped to v 40..240, h 10..190, showing as a flash on
// its frame only. With the left cannon at hub (100, 200), over columns 80..119, a click places the
// hospital where its 29 columns miss the cannon's; elsewhere a cross flashes inside the outline, nothing
// is placed, and the outline goes on until a click on a free spot.
TEST(FieldEditor, LeftHospitalOutlineAndPlacement) {
    struct Case {
        int64_t h, v;
        Rect outline;
        bool placed;
    };
    const Case cases[] = {
        {500, 100, tlbr(100, 190, 136, 219), true}, {100, 280, tlbr(240, 100, 276, 129), false},
        {0, 0, tlbr(40, 10, 76, 39), true},         {51, 100, tlbr(100, 51, 136, 80), true},
        {52, 100, tlbr(100, 52, 136, 81), false},    {119, 100, tlbr(100, 119, 136, 148), false},
        {120, 100, tlbr(100, 120, 136, 149), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "(h " << c.h << ", v " << c.v << ")");
        Session s;
        startEditor(*s.host, true, false, false);
        pressAll(*s.host, cannons(100, 200, 400, 200) + Presses{{leftButtonH, buttonV}});
        const Rect area = c.outline.insetBy(-2, -2);
        std::vector<std::string> before, after, shown;
        int64_t crossMarks = -1;
        Rect placedAtFirst{}, sectAtFirst{};
        s.host->perform("note the pixels", [&](ScriptedHost&) {
            flashes(s.bitmap(field), area);
            before = s.bitmap(field).dump(area);
        });
        s.host->moveMouse(field, c.h, c.v);
        s.host->waitTicks(1);
        s.host->perform("look at the outline", [&](ScriptedHost&) {
            shown = flashes(s.bitmap(field), area);
            after = s.bitmap(field).dump(area);
        });
        s.host->pressAt(field, c.h, c.v);
        s.host->waitTicks(1);
        s.host->perform("count the flashes inside", [&](ScriptedHost&) {
            crossMarks = marks(flashes(s.bitmap(field), c.outline.insetBy(1, 1)));
            placedAtFirst = s.game.gLHospRect;
            sectAtFirst = s.game.gSect;
        });
        s.host->release();
        s.host->waitTicks(2);
        if (!c.placed)
            press(*s.host, field, 160, 120); // a free spot
        press(*s.host, field, placeCancelH, buttonV);
        s.host->quit();
        ASSERT_TRUE(s.play());

        EXPECT_EQ(after, before) << "the outline leaves the pixels as they were";
        std::vector<std::string> frame; // '#' on the outline's one-pixel frame
        for (int64_t v = area.top; v < area.bottom; ++v) {
            frame.emplace_back();
            for (int64_t h = area.left; h < area.right; ++h) {
                const QuickDraw::Point p(h, v);
                frame.back() += c.outline.contains(p) && !c.outline.insetBy(1, 1).contains(p) ? '#' : '.';
            }
        }
        EXPECT_EQ(shown, frame);
        if (c.placed) {
            EXPECT_EQ(placedAtFirst, c.outline);
            EXPECT_EQ(crossMarks, 0);
            EXPECT_EQ(sectAtFirst, Rect{});
        } else {
            EXPECT_EQ(placedAtFirst, Rect{});
            EXPECT_GE(crossMarks, 60) << "two diagonals across the outline's 34 inner rows";
            EXPECT_EQ(sectAtFirst, tlbr(187, std::max<int64_t>(c.outline.left, 80), 209,
                                        std::min<int64_t>(c.outline.right, 120)));
            EXPECT_EQ(s.game.gLHospRect, tlbr(120, 160, 156, 189));
        }
    }
}

// Posts are refused over their side's cannon or hospital; a post over both is tested against both.
TEST(FieldEditor, BuildingsStandOnFoundationsUnderOpenSky) {
    Session s;
    startEditor(*s.host, true, true, false);
    s.host->moveMouse(field, 0, 120); // a hill to build into
    s.host->waitTicks(1);
    s.host->drag(field, 0, 120, 511, 120, 16, 2);
    pressAll(*s.host, cannons(100, 200, 450, 200) + Presses{{leftButtonH, buttonV}, {125, 150},
                                                             {rightButtonH, buttonV}, {320, 60},
                                                             {leftButtonH, buttonV}, {110, 100}});
    Rect sectOverBoth{};
    s.host->perform("look at the refusal", [&](ScriptedHost&) { sectOverBoth = s.game.gSect; });
    pressAll(*s.host, {{30, 100}, {rightButtonH, buttonV}, {330, 60}});
    Rect sectOverHospital{};
    bool rightPostAtRefusal = true;
    s.host->perform("look at the refusal", [&](ScriptedHost&) {
        sectOverHospital = s.game.gSect;
        rightPostAtRefusal = s.game.gRPostRect != Rect{};
    });
    press(*s.host, field, 360, 60);
    endWhenEditorEnds(*s.host);
    ASSERT_TRUE(s.play());

    EXPECT_EQ(sectOverBoth, tlbr(150, 125, 186, 134)) << "the hospital, tested after the cannon";
    EXPECT_FALSE(rightPostAtRefusal);
    EXPECT_EQ(sectOverHospital, tlbr(60, 330, 96, 349));
    EXPECT_EQ(s.game.gLHospRect, tlbr(150, 125, 186, 154));
    EXPECT_EQ(s.game.gRHospRect, tlbr(60, 320, 96, 349));
    EXPECT_EQ(s.game.gLPostRect, tlbr(100, 30, 136, 54));
    EXPECT_EQ(s.game.gRPostRect, tlbr(60, 360, 96, 384));
    EXPECT_TRUE(s.game.gLHospUp && s.game.gRHospUp && s.game.gLPostUp && s.game.gRPostUp);
    const auto& b = s.bitmap(field);
    for (const Rect& r : {s.game.gLHospRect, s.game.gRHospRect, s.game.gLPostRect, s.game.gRPostRect}) {
        SCOPED_TRACE(::testing::Message() << "building at (" << r.top << ", " << r.left << ")");
        EXPECT_TRUE(allWhite(b, tlbr(20, r.left, r.top, r.right))) << "sky above it";
        EXPECT_TRUE(allBlack(b, tlbr(r.top + 36, r.left, 280, r.right))) << "foundation below it";
        EXPECT_GT(blackCount(b, r), 100) << "the building";
    }
}

TEST(FieldEditor, TreesArePlantedLast) {
    for (int32_t seed : {2, 26}) { // their draws reach both ends of the count
        SCOPED_TRACE(seed);
        Session s(seed);
        startEditor(*s.host, true, false, true);
        pressAll(*s.host, cannons(150, 200, 350, 180) + Presses{{leftButtonH, buttonV}, {60, 150},
                                                                 {rightButtonH, buttonV}, {420, 160}});
        endWhenEditorEnds(*s.host);
        ASSERT_TRUE(s.play());
        const Ordnix& g = s.game;
        EXPECT_GE(g.gNumTrees, 5); // trees 2..n: 4 to 13 of them
        EXPECT_LE(g.gNumTrees, 14);
        EXPECT_EQ(g.gTree, 1);
        for (int64_t i = 2; i <= g.gNumTrees; ++i) {
            const Rect t = g.gTreeRect[static_cast<size_t>(i)];
            const Rect column = tlbr(0, t.left, 300, t.right);
            for (const Rect& r : {g.gCanLRect, g.gCanRRect, g.gLHospRect, g.gRHospRect})
                EXPECT_FALSE(column.intersection(r).has_value()) << "tree " << i;
            EXPECT_GT(blackCount(s.bitmap(field), t), 100) << "tree " << i << " is filled";
        }
        // The watch while the trees are planted, after the cross of the editor.
        const auto& cursors = s.host->cursorChanges();
        auto cross = std::find(cursors.begin(), cursors.end(), CursorKind::cross);
        EXPECT_EQ(std::vector<CursorKind>(cross, cursors.end()),
                  (std::vector<CursorKind>{CursorKind::cross, CursorKind::watch, CursorKind::arrow}));
    }
}

// Presses anywhere, in every phase, never place an object outside its range or over a forbidden
// rectangle, and "CANCEL" always ends the editor.
TEST(FieldEditor, RandomPressesKeepObjectsInTheirHalves) {
    RandomCoordinates coordinate("in the field editor");
    SCOPED_TRACE(::testing::Message() << "seed " << coordinate.seed);
    for (int run = 0; run < 6; ++run) {
        SCOPED_TRACE(run);
        Session s(static_cast<int32_t>(coordinate(0, 0x7FFFFFFF)));
        s.host->setIdleMicroseconds(2000); // fewer polls per tick keep the run short
        startEditor(*s.host, true, true, run % 2 == 0);
        for (int n = 0; n < 60; ++n) {
            int64_t h = coordinate(-50, 560);
            int64_t v = n % 9 == 0 ? coordinate(-(int64_t{1} << 40), int64_t{1} << 40) : coordinate(-50, 360);
            if (n % 3 == 0) { // the placing phases' buttons come up often
                v = buttonV;
                h = n % 2 == 0 ? leftButtonH : rightButtonH;
            }
            if (v >= 280 && v <= 310 && h >= 220 && h <= 380)
                v = 200; // "CONTINUE" and the "CANCEL"s are left for the end
            press(*s.host, field, h, v);
        }
        // "CONTINUE" while painting or "CANCEL" while placing, then "CANCEL" at the cannon's button.
        s.host->waitTicks(1);
        press(*s.host, field, placeCancelH, buttonV);
        press(*s.host, field, placeCancelH, buttonV);
        s.host->quit();
        ASSERT_TRUE(s.play()) << "the editor ended and no battle started";
        const Ordnix& g = s.game;
        EXPECT_TRUE(g.gCancelled);
        struct Placed {
            const Rect& rect;
            int64_t left, low, high;
            std::vector<Rect> forbidden;
        };
        for (const Placed& p : {Placed{g.gLHospRect, g.gHospLLeft, 10, 190, {g.gCanLRect}},
                                Placed{g.gRHospRect, g.gHospRLeft, 297, 480, {g.gCanRRect}},
                                Placed{g.gLPostRect, g.gPostLLeft, 10, 190, {g.gCanLRect, g.gLHospRect}},
                                Placed{g.gRPostRect, g.gPostRLeft, 297, 480, {g.gCanRRect, g.gRHospRect}}}) {
            if (p.rect == Rect{})
                continue; // not placed
            EXPECT_GE(p.left, p.low);
            EXPECT_LE(p.left, p.high);
            EXPECT_GE(p.rect.top, 40);
            EXPECT_LE(p.rect.top, 240);
            for (const Rect& r : p.forbidden)
                EXPECT_FALSE(tlbr(0, p.rect.left, 300, p.rect.right).intersection(r).has_value());
        }
        for (int64_t id = 256; id <= 264; ++id)
            EXPECT_TRUE(s.host->menu(id)->enabled) << "menu " << id;
    }
}

} // namespace
