// The Do-It-Yourself field editor: its buttons, cancelling in every phase, cannons and buildings placed with
// clamped outlines and refused overlaps, trees planted last. (Painting itself: tests/game.)
#include "OptionsTestSupport.h"

namespace {

using namespace options_test;
constexpr WindowID field = WindowID::field;
constexpr int64_t paintCancelH = 340, placeCancelH = 255;

bool editorEnded(const ScriptedHost& h) {
    const auto& c = h.cursorChanges();
    return !c.empty() && c.back() == CursorKind::arrow && std::find(c.begin(), c.end(), CursorKind::cross) != c.end();
}

// Runs an editor session with the given targets and presses, ending the run once the editor hands back the arrow.
void runEditor(Session& s, bool hospitals, bool posts, bool trees, const Presses& presses, bool quick = false) {
    startEditor(*s.host, hospitals, posts, trees);
    pressAll(*s.host, presses, quick);
    s.host->waitUntil("the editor ends", editorEnded);
    s.host->endScenario();
    ASSERT_TRUE(s.play());
}

void expectMenusEnabled(const ScriptedHost& host, bool enabled) {
    for (int64_t id = 256; id <= 264; ++id)
        EXPECT_EQ(host.menu(id)->enabled, enabled) << "menu " << id;
}

TEST(FieldEditor, PaintingStartsWithItsThreeButtons) {
    Session s;
    startEditor(*s.host, false, false, false);
    s.host->endScenario();
    ASSERT_TRUE(s.play());
    const auto& b = s.bitmap(field);
    for (auto [text, h, button, expected] : {std::tuple{"CLEAR", 168, s.game.gClearRect, tlbr(285, 165, 305, 215)},
                                             {"CONTINUE", 228, s.game.gContinueRect, tlbr(285, 225, 305, 304)},
                                             {"CANCEL", 317, s.game.gCancelRect, tlbr(285, 314, 305, 374)}}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(button, expected);
        const Rect inside = button.insetBy(2, 2);
        EXPECT_EQ(b.dump(inside), renderedText(text, h, 300, QuickDraw::FontID::systemFont, QuickDraw::Style::bold, 12, inside));
        EXPECT_GT(blackCount(b, inside), 20);
        const int64_t mid = (button.left + button.right) / 2; // the round frame's straight edges
        EXPECT_TRUE(allBlack(b, tlbr(button.top, mid - 5, button.top + 1, mid + 5)));
        EXPECT_TRUE(allBlack(b, tlbr(button.bottom - 1, mid - 5, button.bottom, mid + 5)));
    }
    const auto& port = s.game.window(field).port();
    EXPECT_TRUE(port.txFont == QuickDraw::FontID::applFont && port.txFace == QuickDraw::Style{} && port.txSize == 9);
    expectMenusEnabled(*s.host, false);
}

TEST(FieldEditor, CancelInEveryPhase) {
    const Presses placed = cannons(100, 200, 400, 200);
    const Presses leftHospital = placed + Presses{{leftButtonH, buttonV}, {150, 100}};
    const Presses hospitals = leftHospital + Presses{{rightButtonH, buttonV}, {330, 100}};
    const std::pair<const char*, Presses> cases[] = {
        {"painting", {}},
        {"left cannon button", {{continueH, buttonV}}},
        {"left cannon outline", {{continueH, buttonV}, {leftButtonH, buttonV}}},
        {"right cannon button", {{continueH, buttonV}, {leftButtonH, buttonV}, {100, 200}}},
        {"left hospital button", placed},
        {"left hospital outline", placed + Presses{{leftButtonH, buttonV}}},
        {"right hospital outline", leftHospital + Presses{{rightButtonH, buttonV}}},
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
        s.host->quit(); // had a battle started, its aiming loop would drop this and the run would time out
        ASSERT_TRUE(s.play());
        EXPECT_TRUE(s.game.gCancelled && newFieldDue);
        EXPECT_EQ(s.game.gNewField, 0) << "the main loop drew the field again";
        expectMenusEnabled(*s.host, true);
        EXPECT_TRUE(s.host->menu(262)->itemEnabled[1] && !s.host->menu(262)->itemEnabled[2]) << "START on, STOP off";
        EXPECT_EQ(s.host->cursor(), CursorKind::arrow);
        const auto& b = s.bitmap(field); // the notice again: text in the middle, no ground, no buttons
        EXPECT_GT(blackCount(b, tlbr(85, 80, 125, 500)), 100);
        EXPECT_TRUE(allWhite(b, tlbr(130, 0, 322, 512)));
        EXPECT_TRUE(s.host->protocolErrors().empty());
    }
}

// Every press here is the shortest click, made as the pointer arrives: each acts once, where it was made.
TEST(FieldEditor, CannonsOnlyThenSolidGround) {
    // Presses and the hubs after clamping to v 66..266, h 22..200 and 312..490.
    const std::array<int64_t, 8> cases[] = {{100, 200, 400, 150, 100, 200, 400, 150},
                                            {5, 10, 511, 300, 22, 66, 490, 266},
                                            {250, 270, 300, 40, 200, 266, 312, 66},
                                            {-40, 500, 700, -30, 22, 266, 490, 66}};
    for (auto [lh, lv, rh, rv, lx, ly, rx, ry] : cases) {
        SCOPED_TRACE(::testing::Message() << "left (" << lh << ", " << lv << "), right (" << rh << ", " << rv << ")");
        Session s;
        runEditor(s, false, false, false, cannons(lh, lv, rh, rv), true);
        EXPECT_FALSE(s.game.gCancelled);
        EXPECT_EQ(s.game.gCanLRect, tlbr(ly - 13, lx - 20, ly + 9, lx + 20));
        EXPECT_EQ(s.game.gCanRRect, tlbr(ry - 13, rx - 20, ry + 9, rx + 20));
        // Everything below the band is ground, except where the first turn's panel (280, 1, 315, 260) stands.
        const auto& b = s.bitmap(field);
        for (const Rect& r : {tlbr(275, 0, 280, 512), tlbr(280, 261, 322, 512), tlbr(316, 0, 322, 512)})
            EXPECT_TRUE(allBlack(b, r));
        EXPECT_FALSE(s.game.gLHospUp || s.game.gRHospUp || s.game.gLPostUp || s.game.gRPostUp);
        EXPECT_TRUE(s.game.gLHospRect == Rect{} && s.game.gRPostRect == Rect{});
        const auto& cursors = s.host->cursorChanges();
        EXPECT_EQ(std::count(std::find(cursors.begin(), cursors.end(), CursorKind::cross), cursors.end(), CursorKind::watch), 0)
            << "no trees, no watch";
    }
}

// The left hospital's outline follows the mouse clamped to v 40..240, h 10..190, flashing its frame only. With
// the left cannon over columns 80..119, a click places the hospital where its 29 columns miss the cannon's;
// elsewhere a cross flashes inside the outline, nothing is placed, and the outline goes on to a free spot.
TEST(FieldEditor, LeftHospitalOutlineAndPlacement) {
    const std::tuple<int64_t, int64_t, Rect, bool> cases[] = {
        {500, 100, tlbr(100, 190, 136, 219), true},  {100, 280, tlbr(240, 100, 276, 129), false},
        {0, 0, tlbr(40, 10, 76, 39), true},          {51, 100, tlbr(100, 51, 136, 80), true},
        {52, 100, tlbr(100, 52, 136, 81), false},    {119, 100, tlbr(100, 119, 136, 148), false},
        {120, 100, tlbr(100, 120, 136, 149), true},
    };
    for (const auto& [h, v, outline, placed] : cases) {
        SCOPED_TRACE(::testing::Message() << "(h " << h << ", v " << v << ")");
        Session s;
        ScriptedHost& host = *s.host;
        startEditor(host, true, false, false);
        pressAll(host, cannons(100, 200, 400, 200) + Presses{{leftButtonH, buttonV}});
        const Rect area = outline.insetBy(-2, -2);
        std::vector<std::string> before, after, shown, crossShown;
        Rect placedAtFirst{}, sectAtFirst{};
        host.perform("note the pixels", [&](ScriptedHost&) {
            flashes(s.bitmap(field), area);
            before = s.bitmap(field).dump(area);
        });
        host.moveMouse(field, h, v);
        host.waitTicks(1);
        host.perform("look at the outline", [&](ScriptedHost&) {
            shown = flashes(s.bitmap(field), area);
            after = s.bitmap(field).dump(area);
        });
        host.pressAt(field, h, v);
        host.waitTicks(1);
        host.perform("look inside", [&](ScriptedHost&) {
            crossShown = flashes(s.bitmap(field), outline.insetBy(1, 1));
            placedAtFirst = s.game.gLHospRect;
            sectAtFirst = s.game.gSect;
        });
        host.release();
        host.waitTicks(2);
        if (!placed)
            press(host, field, 160, 120); // a free spot
        press(host, field, placeCancelH, buttonV);
        host.quit();
        ASSERT_TRUE(s.play());

        EXPECT_EQ(after, before) << "the outline leaves the pixels as they were";
        std::vector<std::string> frame; // '#' on the outline's one-pixel frame
        for (int64_t y = area.top; y < area.bottom; ++y) {
            frame.emplace_back();
            for (int64_t x = area.left; x < area.right; ++x)
                frame.back() += outline.contains({x, y}) && !outline.insetBy(1, 1).contains({x, y}) ? '#' : '.';
        }
        EXPECT_EQ(shown, frame);
        int64_t crossMarks = 0;
        for (const std::string& row : crossShown)
            crossMarks += std::count(row.begin(), row.end(), '#');
        if (placed) {
            EXPECT_EQ(placedAtFirst, outline);
            EXPECT_EQ(crossMarks, 0);
            EXPECT_EQ(sectAtFirst, Rect{});
        } else {
            EXPECT_EQ(placedAtFirst, Rect{});
            EXPECT_GE(crossMarks, 60) << "two diagonals across the outline's 34 inner rows";
            EXPECT_EQ(sectAtFirst, tlbr(187, std::max<int64_t>(outline.left, 80), 209, std::min<int64_t>(outline.right, 120)));
            EXPECT_EQ(s.game.gLHospRect, tlbr(120, 160, 156, 189));
        }
    }
}

// Posts are refused over their side's cannon or hospital; a post over both is tested against the hospital last.
TEST(FieldEditor, BuildingsStandOnFoundationsUnderOpenSky) {
    Session s;
    ScriptedHost& host = *s.host;
    startEditor(host, true, true, false);
    host.moveMouse(field, 0, 120); // a hill to build into
    host.waitTicks(1);
    host.drag(field, 0, 120, 511, 120, 16, 2);
    pressAll(host, cannons(100, 200, 450, 200) + Presses{{leftButtonH, buttonV}, {125, 150}, {rightButtonH, buttonV},
                                                         {320, 60}, {leftButtonH, buttonV}, {110, 100}});
    std::vector<Rect> refusals;
    host.perform("look at the refusal", [&](ScriptedHost&) { refusals.push_back(s.game.gSect); });
    pressAll(host, {{30, 100}, {rightButtonH, buttonV}, {330, 60}});
    host.perform("look at the refusal", [&](ScriptedHost&) { refusals.push_back(s.game.gSect); });
    bool rightPostAtRefusal = true;
    host.perform("look at the post", [&](ScriptedHost&) { rightPostAtRefusal = s.game.gRPostRect != Rect{}; });
    press(host, field, 360, 60);
    host.waitUntil("the editor ends", editorEnded);
    host.endScenario();
    ASSERT_TRUE(s.play());

    EXPECT_EQ(refusals, (std::vector<Rect>{tlbr(150, 125, 186, 134), tlbr(60, 330, 96, 349)}));
    EXPECT_FALSE(rightPostAtRefusal);
    EXPECT_EQ((std::array<Rect, 4>{s.game.gLHospRect, s.game.gRHospRect, s.game.gLPostRect, s.game.gRPostRect}),
              (std::array<Rect, 4>{tlbr(150, 125, 186, 154), tlbr(60, 320, 96, 349), tlbr(100, 30, 136, 54),
                                   tlbr(60, 360, 96, 384)}));
    EXPECT_TRUE(s.game.gLHospUp && s.game.gRHospUp && s.game.gLPostUp && s.game.gRPostUp);
    for (const Rect& r : {s.game.gLHospRect, s.game.gRHospRect, s.game.gLPostRect, s.game.gRPostRect}) {
        SCOPED_TRACE(::testing::Message() << "building at (" << r.top << ", " << r.left << ")");
        EXPECT_TRUE(allWhite(s.bitmap(field), tlbr(20, r.left, r.top, r.right))) << "sky above it";
        EXPECT_TRUE(allBlack(s.bitmap(field), tlbr(r.top + 36, r.left, 280, r.right))) << "foundation below it";
        EXPECT_GT(blackCount(s.bitmap(field), r), 100) << "the building";
    }
}

TEST(FieldEditor, TreesArePlantedLast) {
    for (int32_t seed : {2, 26}) { // their draws reach both ends of the count
        SCOPED_TRACE(seed);
        Session s(seed);
        runEditor(s, true, false, true,
                  cannons(150, 200, 350, 180) + Presses{{leftButtonH, buttonV}, {60, 150}, {rightButtonH, buttonV}, {420, 160}});
        const Ordnix& g = s.game;
        EXPECT_TRUE(g.gNumTrees >= 5 && g.gNumTrees <= 14) << g.gNumTrees; // trees 2..n
        EXPECT_EQ(g.gTree, 1);
        for (int64_t i = 2; i <= g.gNumTrees; ++i) {
            const Rect t = g.gTreeRect[static_cast<size_t>(i)];
            for (const Rect& r : {g.gCanLRect, g.gCanRRect, g.gLHospRect, g.gRHospRect})
                EXPECT_FALSE(tlbr(0, t.left, 300, t.right).intersection(r).has_value()) << "tree " << i;
            EXPECT_GT(blackCount(s.bitmap(field), t), 100) << "tree " << i << " is filled";
        }
        // The watch while the trees are planted, after the cross of the editor.
        const auto& cursors = s.host->cursorChanges();
        EXPECT_EQ(std::vector<CursorKind>(std::find(cursors.begin(), cursors.end(), CursorKind::cross), cursors.end()),
                  (std::vector<CursorKind>{CursorKind::cross, CursorKind::watch, CursorKind::arrow}));
    }
}

// Presses anywhere, in every phase, never place an object outside its range or over a forbidden rectangle, and
// "CANCEL" always ends the editor.
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
            if (n % 3 == 0) // the placing phases' buttons come up often
                v = buttonV, h = n % 2 == 0 ? leftButtonH : rightButtonH;
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
        const std::tuple<Rect, int64_t, int64_t, int64_t, std::vector<Rect>> placedObjects[] = {
            {g.gLHospRect, g.gHospLLeft, 10, 190, {g.gCanLRect}},
            {g.gRHospRect, g.gHospRLeft, 297, 480, {g.gCanRRect}},
            {g.gLPostRect, g.gPostLLeft, 10, 190, {g.gCanLRect, g.gLHospRect}},
            {g.gRPostRect, g.gPostRLeft, 297, 480, {g.gCanRRect, g.gRHospRect}}};
        for (const auto& [rect, left, low, high, forbidden] : placedObjects) {
            if (rect == Rect{})
                continue; // not placed
            EXPECT_TRUE(left >= low && left <= high) << left;
            EXPECT_TRUE(rect.top >= 40 && rect.top <= 240) << rect.top;
            for (const Rect& r : forbidden)
                EXPECT_FALSE(tlbr(0, rect.left, 300, rect.right).intersection(r).has_value());
        }
        expectMenusEnabled(*s.host, true);
    }
}

} // namespace
