// The Do-It-Yourself field editor: its buttons, cancelling in every phase, cannons and buildings placed on
// their foundations. (Painting itself: tests/game.)
#include "OptionsTestSupport.h"

namespace {

using namespace options_test;
constexpr WindowID field = WindowID::field;
constexpr int64_t paintCancelH = 340, placeCancelH = 255;

bool editorEnded(const ScriptedHost& h) {
    const auto& c = h.cursorChanges();
    return !c.empty() && c.back() == CursorKind::arrow && std::find(c.begin(), c.end(), CursorKind::cross) != c.end();
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
        const int64_t mid = (button.left + button.right) / 2; // the round frame's straight edges
        EXPECT_TRUE(allBlack(b, tlbr(button.top, mid - 5, button.top + 1, mid + 5)));
        EXPECT_TRUE(allBlack(b, tlbr(button.bottom - 1, mid - 5, button.bottom, mid + 5)));
    }
    for (int64_t id = 256; id <= 264; ++id)
        EXPECT_FALSE(s.host->menu(id)->enabled) << "menu " << id << " is off while painting";
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
        const auto& b = s.bitmap(field); // the notice again: text in the middle, no ground, no buttons
        EXPECT_FALSE(allWhite(b, tlbr(85, 80, 125, 500)));
        EXPECT_TRUE(allWhite(b, tlbr(130, 0, 322, 512)));
    }
}

TEST(FieldEditor, CannonsOnlyThenSolidGround) {
    // Presses and the hubs after clamping to v 66..266, h 22..200 and 312..490.
    const std::array<int64_t, 8> cases[] = {{100, 200, 400, 150, 100, 200, 400, 150},
                                            {5, 10, 511, 300, 22, 66, 490, 266},
                                            {250, 270, 300, 40, 200, 266, 312, 66},
                                            {-40, 500, 700, -30, 22, 266, 490, 66}};
    for (auto [lh, lv, rh, rv, lx, ly, rx, ry] : cases) {
        SCOPED_TRACE(::testing::Message() << "left (" << lh << ", " << lv << "), right (" << rh << ", " << rv << ")");
        Session s;
        startEditor(*s.host, false, false, false);
        pressAll(*s.host, cannons(lh, lv, rh, rv));
        s.host->waitUntil("the editor ends", editorEnded);
        s.host->endScenario();
        ASSERT_TRUE(s.play());
        EXPECT_FALSE(s.game.gCancelled);
        EXPECT_EQ(s.game.gCanLRect, tlbr(ly - 13, lx - 20, ly + 9, lx + 20));
        EXPECT_EQ(s.game.gCanRRect, tlbr(ry - 13, rx - 20, ry + 9, rx + 20));
        // Everything below the band is ground, except where the first turn's panel (280, 1, 315, 260) stands.
        const auto& b = s.bitmap(field);
        for (const Rect& r : {tlbr(275, 0, 280, 512), tlbr(280, 261, 322, 512), tlbr(316, 0, 322, 512)})
            EXPECT_TRUE(allBlack(b, r));
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
        EXPECT_FALSE(allWhite(s.bitmap(field), r)) << "the building";
    }
}

} // namespace
