// The Do-It-Yourself field editor: painting, cancelling in every phase, placing cannons and buildings
// with clamped outlines and refused overlaps, trees planted last.
#include "OptionsTestSupport.h"

#include <algorithm>
#include <cstdio>
#include <random>

namespace {

using namespace options_test;

constexpr WindowID field = WindowID::field;

// Button centres (field window coordinates).
constexpr int64_t buttonV = 295;
constexpr int64_t clearH = 190, continueH = 260, paintCancelH = 340;
constexpr int64_t placeCancelH = 255;
constexpr int64_t leftButtonH = 150, rightButtonH = 380; // every left / right "PLACE ..." button

struct Options {
    bool hospitals = false;
    bool posts = false;
    bool trees = false;
};

// "DO IT YOURSELF" with the chosen targets, then "START A BATTLE"; returns once the editor paints.
void startEditor(ScriptedHost& host, Options options) {
    host.chooseMenu(258, 5);
    if (options.hospitals)
        host.chooseMenu(259, 1);
    if (options.posts)
        host.chooseMenu(259, 2);
    if (options.trees)
        host.chooseMenu(259, 3);
    host.chooseMenu(262, 1);
    host.waitUntil("the editor paints", [](const ScriptedHost& h) { return h.cursor() == CursorKind::cross; });
    host.waitForCalls(HostOp::button, 1);
}

void placeCannons(ScriptedHost& host, int64_t lh, int64_t lv, int64_t rh, int64_t rv) {
    press(host, field, continueH, buttonV);
    press(host, field, leftButtonH, buttonV);
    press(host, field, lh, lv);
    press(host, field, rightButtonH, buttonV);
    press(host, field, rh, rv);
}

bool editorEnded(const ScriptedHost& h) {
    const auto& c = h.cursorChanges();
    return !c.empty() && c.back() == CursorKind::arrow && std::find(c.begin(), c.end(), CursorKind::cross) != c.end();
}

// Ends the run once the editor has handed back the arrow cursor, before anything else is drawn.
void endWhenEditorEnds(ScriptedHost& host) {
    host.waitUntil("the editor ends", editorEnded);
    host.endScenario();
}

void expectWaitingMenus(const ScriptedHost& host) {
    for (int64_t id = 256; id <= 264; ++id) {
        const MenuState* m = host.menu(id);
        ASSERT_NE(m, nullptr);
        EXPECT_TRUE(m->enabled) << "menu " << id;
    }
    EXPECT_TRUE(host.menu(262)->itemEnabled[1]) << "START A BATTLE";
    EXPECT_FALSE(host.menu(262)->itemEnabled[2]) << "STOP A BATTLE";
}

TEST(FieldEditor, PaintingStartsWithItsThreeButtons) {
    Session s;
    startEditor(*s.host, {});
    s.host->endScenario();
    ASSERT_TRUE(s.play());
    EXPECT_EQ(s.game.gClearRect, tlbr(285, 165, 305, 215));
    EXPECT_EQ(s.game.gContinueRect, tlbr(285, 225, 305, 304));
    EXPECT_EQ(s.game.gCancelRect, tlbr(285, 314, 305, 374));
    const auto& b = s.bitmap(field);
    struct Label {
        const char* text;
        int64_t h;
        QuickDraw::Rect button;
    };
    for (const Label& l : {Label{"CLEAR", 168, s.game.gClearRect}, Label{"CONTINUE", 228, s.game.gContinueRect},
                           Label{"CANCEL", 317, s.game.gCancelRect}}) {
        SCOPED_TRACE(l.text);
        const QuickDraw::Rect inside = l.button.insetBy(2, 2);
        EXPECT_EQ(b.dump(inside), renderedText(512, 322, l.text, l.h, 300, QuickDraw::FontID::systemFont,
                                               QuickDraw::Style::bold, 12, inside));
        EXPECT_GT(blackCount(b, inside), 20);
        // The round frame: its straight top and bottom edges.
        const int64_t mid = (l.button.left + l.button.right) / 2;
        EXPECT_TRUE(allBlack(b, tlbr(l.button.top, mid - 5, l.button.top + 1, mid + 5)));
        EXPECT_TRUE(allBlack(b, tlbr(l.button.bottom - 1, mid - 5, l.button.bottom, mid + 5)));
    }
    // The text state is back to the field's.
    const auto& port = s.game.window(field).port();
    EXPECT_EQ(port.txFont, QuickDraw::FontID::applFont);
    EXPECT_EQ(port.txFace, QuickDraw::Style{});
    EXPECT_EQ(port.txSize, 9);
    EXPECT_EQ(s.host->cursor(), CursorKind::cross);
    for (int64_t id = 256; id <= 264; ++id)
        EXPECT_FALSE(s.host->menu(id)->enabled) << "menu " << id << " is off while the editor runs";
}

TEST(FieldEditor, PaintingFollowsTheDragWithinTheBand) {
    Session s;
    startEditor(*s.host, {});
    // The pointer rests where the drag begins: the ground starts there.
    s.host->moveMouse(field, 100, 150);
    s.host->waitTicks(1);
    s.host->drag(field, 100, 150, 200, 100, 10, 2);
    s.host->waitTicks(2);
    // Dragged above the band: the profile stops at row 75.
    s.host->moveMouse(field, 300, 200);
    s.host->waitTicks(1);
    s.host->drag(field, 300, 200, 400, 30, 10, 2);
    s.host->waitTicks(2);
    // A press below row 275 paints nothing.
    s.host->moveMouse(field, 50, 280);
    s.host->waitTicks(1);
    press(*s.host, field, 50, 280);
    s.host->endScenario();
    ASSERT_TRUE(s.play());

    const auto& b = s.bitmap(field);
    for (int64_t h = 102; h <= 198; h += 4) {
        SCOPED_TRACE(h);
        const int64_t surface = 150 - (h - 100) / 2;
        EXPECT_TRUE(allWhite(b, tlbr(75, h, surface - 1, h + 1)));
        EXPECT_TRUE(allBlack(b, tlbr(surface + 2, h, 276, h + 1)));
        EXPECT_TRUE(allWhite(b, tlbr(276, h, 285, h + 1))) << "nothing below the band";
    }
    for (int64_t h = 385; h <= 398; ++h) {
        SCOPED_TRACE(h);
        EXPECT_TRUE(allWhite(b, tlbr(20, h, 75, h + 1))) << "nothing above row 75";
        EXPECT_TRUE(allBlack(b, tlbr(77, h, 276, h + 1)));
    }
    EXPECT_TRUE(allWhite(b, tlbr(20, 40, 275, 60))) << "the press below the band";
    EXPECT_TRUE(allBlack(b, tlbr(275, 0, 276, 512))) << "the baseline";
}

TEST(FieldEditor, ClearErasesThePaintedGround) {
    Session s;
    startEditor(*s.host, {});
    s.host->moveMouse(field, 20, 120);
    s.host->waitTicks(1);
    s.host->drag(field, 20, 120, 490, 200, 16, 2);
    s.host->waitTicks(2);
    int64_t paintedBefore = 0;
    s.host->perform("count the painted ground",
                    [&](ScriptedHost&) { paintedBefore = blackCount(s.bitmap(field), tlbr(20, 0, 275, 512)); });
    press(*s.host, field, clearH, buttonV);
    s.host->endScenario();
    ASSERT_TRUE(s.play());
    const auto& b = s.bitmap(field);
    EXPECT_GT(paintedBefore, 20000);
    EXPECT_TRUE(allWhite(b, tlbr(20, 0, 275, 512)));
    EXPECT_TRUE(allBlack(b, tlbr(275, 0, 276, 512)));
    EXPECT_GT(blackCount(b, tlbr(0, 0, 20, 512)), 0) << "the score line stays";
    // The button is drawn normal again.
    EXPECT_TRUE(allWhite(b, tlbr(287, 175, 288, 205)));
}

TEST(FieldEditor, CancelInEveryPhase) {
    struct Case {
        const char* phase;
        // Presses up to the phase, then "CANCEL" (its place depends on the phase).
        std::function<void(ScriptedHost&)> before;
        int64_t cancelH;
    };
    auto cannons = [](ScriptedHost& host) { placeCannons(host, 100, 200, 400, 200); };
    const Case cases[] = {
        {"painting", [](ScriptedHost&) {}, paintCancelH},
        {"left cannon button", [](ScriptedHost& h) { press(h, field, continueH, buttonV); }, placeCancelH},
        {"left cannon outline",
         [](ScriptedHost& h) {
             press(h, field, continueH, buttonV);
             press(h, field, leftButtonH, buttonV);
         },
         placeCancelH},
        {"right cannon button",
         [](ScriptedHost& h) {
             press(h, field, continueH, buttonV);
             press(h, field, leftButtonH, buttonV);
             press(h, field, 100, 200);
         },
         placeCancelH},
        {"left hospital button", cannons, placeCancelH},
        {"left hospital outline",
         [&](ScriptedHost& h) {
             cannons(h);
             press(h, field, leftButtonH, buttonV);
         },
         placeCancelH},
        {"right hospital outline",
         [&](ScriptedHost& h) {
             cannons(h);
             press(h, field, leftButtonH, buttonV);
             press(h, field, 150, 100);
             press(h, field, rightButtonH, buttonV);
         },
         placeCancelH},
        {"left post button",
         [&](ScriptedHost& h) {
             cannons(h);
             press(h, field, leftButtonH, buttonV);
             press(h, field, 150, 100);
             press(h, field, rightButtonH, buttonV);
             press(h, field, 330, 100);
         },
         placeCancelH},
        {"right post outline",
         [&](ScriptedHost& h) {
             cannons(h);
             press(h, field, leftButtonH, buttonV);
             press(h, field, 150, 100);
             press(h, field, rightButtonH, buttonV);
             press(h, field, 330, 100);
             press(h, field, leftButtonH, buttonV);
             press(h, field, 30, 60);
             press(h, field, rightButtonH, buttonV);
         },
         placeCancelH},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.phase);
        Session s;
        startEditor(*s.host, {true, true, true});
        c.before(*s.host);
        bool newFieldDue = false;
        s.host->moveMouse(field, c.cancelH, buttonV);
        s.host->waitTicks(1);
        s.host->clickAt(field, c.cancelH, buttonV);
        s.host->waitUntil("the editor ends", editorEnded);
        s.host->perform("look at the game", [&](ScriptedHost&) { newFieldDue = s.game.gNewField == 1; });
        // Had a battle started, its aiming loop would drop the quit command and the run would time out.
        s.host->quit();
        ASSERT_TRUE(s.play());
        EXPECT_TRUE(s.game.finished);
        EXPECT_TRUE(s.game.gCancelled);
        EXPECT_TRUE(newFieldDue);
        EXPECT_EQ(s.game.gNewField, 0) << "the main loop drew the field again";
        expectWaitingMenus(*s.host);
        EXPECT_EQ(s.host->cursor(), CursorKind::arrow);
        // The field shows the notice again: text in the middle, no ground, no buttons.
        const auto& b = s.bitmap(field);
        EXPECT_GT(blackCount(b, tlbr(85, 80, 125, 500)), 100);
        EXPECT_TRUE(allWhite(b, tlbr(130, 0, 322, 512)));
        const auto& c2 = s.host->cursorChanges();
        EXPECT_EQ(std::count(c2.begin(), c2.end(), CursorKind::cross), 1);
        EXPECT_TRUE(s.host->protocolErrors().empty());
    }
}

TEST(FieldEditor, CannonsOnlyThenSolidGround) {
    struct Case {
        int64_t lh, lv, rh, rv;
        int64_t lx, ly, rx, ry; // the hubs after clamping
    };
    const Case cases[] = {
        {100, 200, 400, 150, 100, 200, 400, 150}, {5, 10, 511, 300, 22, 66, 490, 266},
        {250, 270, 300, 40, 200, 266, 312, 66},   {-40, 500, 700, -30, 22, 266, 490, 66},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "left (" << c.lh << ", " << c.lv << "), right (" << c.rh << ", " << c.rv
                                          << ")");
        Session s;
        startEditor(*s.host, {});
        placeCannons(*s.host, c.lh, c.lv, c.rh, c.rv);
        endWhenEditorEnds(*s.host);
        ASSERT_TRUE(s.play());
        EXPECT_FALSE(s.game.gCancelled);
        EXPECT_EQ(s.game.gCanLX, c.lx);
        EXPECT_EQ(s.game.gCanLY, c.ly);
        EXPECT_EQ(s.game.gCanRX, c.rx);
        EXPECT_EQ(s.game.gCanRY, c.ry);
        EXPECT_EQ(s.game.gCanLRect, tlbr(c.ly - 13, c.lx - 20, c.ly + 9, c.lx + 20));
        EXPECT_EQ(s.game.gCanRRect, tlbr(c.ry - 13, c.rx - 20, c.ry + 9, c.rx + 20));
        const auto& b = s.bitmap(field);
        // Everything below the band is ground, except where the first turn's panel (280, 1, 315, 260)
        // already stands on it.
        EXPECT_TRUE(allBlack(b, tlbr(275, 0, 280, 512)));
        EXPECT_TRUE(allBlack(b, tlbr(280, 261, 322, 512)));
        EXPECT_TRUE(allBlack(b, tlbr(316, 0, 322, 512)));
        for (auto [x, y] : {std::pair{c.lx, c.ly}, std::pair{c.rx, c.ry}}) {
            EXPECT_TRUE(allBlack(b, tlbr(y + 9, x - 19, 276, x + 19))) << "ground under the cannon at " << x;
            EXPECT_TRUE(allWhite(b, tlbr(20, x - 20, y - 13, x + 20))) << "sky over the cannon at " << x;
            EXPECT_GT(blackCount(b, tlbr(y - 13, x - 20, y + 9, x + 20)), 30) << "the cannon at " << x;
        }
        EXPECT_FALSE(s.game.gLHospUp || s.game.gRHospUp || s.game.gLPostUp || s.game.gRPostUp);
        EXPECT_EQ(s.game.gLHospRect, QuickDraw::Rect{});
        EXPECT_EQ(s.game.gRPostRect, QuickDraw::Rect{});
        const auto& cursors = s.host->cursorChanges();
        auto cross = std::find(cursors.begin(), cursors.end(), CursorKind::cross);
        EXPECT_EQ(std::count(cross, cursors.end(), CursorKind::watch), 0) << "no trees, no watch";
    }
}

TEST(FieldEditor, OutlineFollowsTheMouseWithinItsRange) {
    struct Case {
        int64_t h, v;
        QuickDraw::Rect outline; // the left hospital's frame after clamping
    };
    const Case cases[] = {
        {500, 100, tlbr(100, 190, 136, 219)}, // far right: stops at h 190
        {100, 280, tlbr(240, 100, 276, 129)}, // below the field: stops at v 240
        {0, 0, tlbr(40, 10, 76, 39)},
        {60, 150, tlbr(150, 60, 186, 89)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "(h " << c.h << ", v " << c.v << ")");
        Session s;
        startEditor(*s.host, {true, false, false});
        placeCannons(*s.host, 180, 150, 400, 150);
        press(*s.host, field, leftButtonH, buttonV);
        std::vector<std::string> bits, shown;
        int64_t left = 0, top = 0;
        const QuickDraw::Rect area = c.outline.insetBy(-2, -2);
        s.host->perform("take a snapshot", [&](ScriptedHost&) { shownRows(s.bitmap(field), area); });
        s.host->moveMouse(field, c.h, c.v);
        s.host->waitTicks(1);
        s.host->perform("take a snapshot", [&](ScriptedHost&) {
            bits = s.bitmap(field).dump(area);
            shown = shownRows(s.bitmap(field), area);
            left = s.game.gHospLLeft;
            top = s.game.gHospLTop;
        });
        press(*s.host, field, placeCancelH, buttonV);
        s.host->quit();
        ASSERT_TRUE(s.play());
        // The outline leaves the pixels as they were but shows as a flash exactly on its frame.
        ASSERT_EQ(bits.size(), shown.size());
        for (size_t row = 0; row < bits.size(); ++row) {
            for (size_t col = 0; col < bits[row].size(); ++col) {
                const int64_t v = area.top + static_cast<int64_t>(row);
                const int64_t h = area.left + static_cast<int64_t>(col);
                const bool onFrame = c.outline.contains(QuickDraw::Point(h, v)) &&
                                     !c.outline.insetBy(1, 1).contains(QuickDraw::Point(h, v));
                EXPECT_EQ(bits[row][col] != shown[row][col], onFrame) << "(h " << h << ", v " << v << ")";
            }
        }
        EXPECT_EQ(left, c.outline.left);
        EXPECT_EQ(top, c.outline.top);
    }
}

TEST(FieldEditor, HospitalBesideTheCannonIsPlacedOverItIsRefused) {
    // The left cannon at hub (100, 200) covers columns 80..119.
    struct Case {
        int64_t left;
        bool placed;
    };
    const Case cases[] = {{51, true}, {52, false}, {90, false}, {119, false}, {120, true}, {190, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.left);
        Session s;
        startEditor(*s.host, {true, false, false});
        placeCannons(*s.host, 100, 200, 400, 200);
        press(*s.host, field, leftButtonH, buttonV);
        // The click, with the host's view sampled before and while the button is held.
        int64_t crossPixels = -1;
        const QuickDraw::Rect inside = tlbr(101, c.left + 1, 135, c.left + 28);
        s.host->moveMouse(field, c.left, 100);
        s.host->waitTicks(1);
        s.host->perform("take a snapshot", [&](ScriptedHost&) { shownRows(s.bitmap(field), inside); });
        s.host->pressAt(field, c.left, 100);
        s.host->waitTicks(1);
        s.host->perform("count the flashes inside the outline", [&](ScriptedHost&) {
            const auto bits = s.bitmap(field).dump(inside);
            const auto shown = shownRows(s.bitmap(field), inside);
            crossPixels = 0;
            for (size_t row = 0; row < bits.size(); ++row)
                for (size_t col = 0; col < bits[row].size(); ++col)
                    crossPixels += bits[row][col] != shown[row][col] ? 1 : 0;
        });
        s.host->release();
        s.host->waitTicks(2);
        bool placedAtFirst = false;
        QuickDraw::Rect sectAtFirst{};
        s.host->perform("look at the placement", [&](ScriptedHost&) {
            placedAtFirst = s.game.gLHospRect != QuickDraw::Rect{};
            sectAtFirst = s.game.gSect;
        });
        if (!c.placed)
            press(*s.host, field, 160, 120); // the outline goes on: a free spot is taken
        s.host->waitTicks(2);
        press(*s.host, field, placeCancelH, buttonV);
        s.host->quit();
        ASSERT_TRUE(s.play());
        EXPECT_EQ(placedAtFirst, c.placed);
        // A refused spot flashes a cross over the outline: two diagonals across its 34 inner rows.
        if (c.placed) {
            EXPECT_EQ(crossPixels, 0);
        } else {
            EXPECT_GE(crossPixels, 60);
        }
        const int64_t left = c.placed ? c.left : 160;
        const int64_t top = c.placed ? 100 : 120;
        if (c.placed) {
            EXPECT_EQ(sectAtFirst, QuickDraw::Rect{});
        } else {
            EXPECT_EQ(sectAtFirst, tlbr(187, std::max<int64_t>(c.left, 80), 209, std::min<int64_t>(c.left + 29, 120)));
        }
        EXPECT_EQ(s.game.gHospLLeft, left);
        EXPECT_EQ(s.game.gHospLTop, top);
        EXPECT_EQ(s.game.gLHospRect, tlbr(top, left, top + 36, left + 29));
    }
}

TEST(FieldEditor, BuildingsStandOnFoundationsUnderOpenSky) {
    Session s;
    startEditor(*s.host, {true, true, false});
    // A hill to build into, then the objects.
    s.host->moveMouse(field, 0, 120);
    s.host->waitTicks(1);
    s.host->drag(field, 0, 120, 511, 120, 16, 2);
    placeCannons(*s.host, 100, 200, 450, 200);
    press(*s.host, field, leftButtonH, buttonV);
    press(*s.host, field, 150, 150);
    press(*s.host, field, rightButtonH, buttonV);
    press(*s.host, field, 320, 60);
    press(*s.host, field, leftButtonH, buttonV);
    press(*s.host, field, 30, 100);
    press(*s.host, field, rightButtonH, buttonV);
    // Over the right hospital's columns (320..348): refused; beside it: placed.
    press(*s.host, field, 330, 60);
    QuickDraw::Rect sectAtRefusal{};
    bool postAtRefusal = true;
    s.host->perform("look at the refusal", [&](ScriptedHost&) {
        sectAtRefusal = s.game.gSect;
        postAtRefusal = s.game.gRPostRect != QuickDraw::Rect{};
    });
    press(*s.host, field, 360, 60);
    endWhenEditorEnds(*s.host);
    ASSERT_TRUE(s.play());

    EXPECT_FALSE(postAtRefusal);
    EXPECT_EQ(sectAtRefusal, tlbr(60, 330, 96, 349));
    EXPECT_EQ(s.game.gLHospRect, tlbr(150, 150, 186, 179));
    EXPECT_EQ(s.game.gRHospRect, tlbr(60, 320, 96, 349));
    EXPECT_EQ(s.game.gLPostRect, tlbr(100, 30, 136, 54));
    EXPECT_EQ(s.game.gRPostRect, tlbr(60, 360, 96, 384));
    EXPECT_TRUE(s.game.gLHospUp && s.game.gRHospUp && s.game.gLPostUp && s.game.gRPostUp);
    const auto& b = s.bitmap(field);
    for (const QuickDraw::Rect& r : {s.game.gLHospRect, s.game.gRHospRect, s.game.gLPostRect, s.game.gRPostRect}) {
        SCOPED_TRACE(::testing::Message() << "building at (" << r.top << ", " << r.left << ")");
        EXPECT_TRUE(allWhite(b, tlbr(20, r.left, r.top, r.right))) << "sky above it";
        EXPECT_TRUE(allBlack(b, tlbr(r.top + 36, r.left, 280, r.right))) << "foundation below it";
        EXPECT_GT(blackCount(b, r), 100) << "the building";
    }
}

TEST(FieldEditor, TreesArePlantedLast) {
    for (int32_t seed : {1, 77, 4242, 90001}) {
        SCOPED_TRACE(seed);
        Session s(seed);
        startEditor(*s.host, {true, false, true});
        placeCannons(*s.host, 150, 200, 350, 180);
        press(*s.host, field, leftButtonH, buttonV);
        press(*s.host, field, 60, 150);
        press(*s.host, field, rightButtonH, buttonV);
        press(*s.host, field, 420, 160);
        endWhenEditorEnds(*s.host);
        ASSERT_TRUE(s.play());

        const Ordnix& g = s.game;
        EXPECT_GE(g.gNumTrees, 5);
        EXPECT_LE(g.gNumTrees, 14);
        EXPECT_EQ(g.gTree, 1);
        EXPECT_EQ(g.gTreeFill, 1);
        const auto& b = s.bitmap(field);
        for (int64_t i = 2; i <= g.gNumTrees; ++i) {
            SCOPED_TRACE(i);
            const QuickDraw::Rect t = g.gTreeRect[static_cast<size_t>(i)];
            EXPECT_EQ(t.width(), 19);
            EXPECT_EQ(t.height(), 35);
            if (i % 2 == 1) {
                EXPECT_GE(t.left, 12);
                EXPECT_LE(t.left, 255);
            } else {
                EXPECT_GE(t.left, 256);
                EXPECT_LE(t.left, 499);
            }
            const QuickDraw::Rect column = tlbr(0, t.left, 300, t.right);
            EXPECT_FALSE(std::max<int64_t>(t.left, 230) < std::min<int64_t>(t.right, 280)) << "the middle band";
            for (const QuickDraw::Rect& r : {g.gCanLRect, g.gCanRRect, g.gLHospRect, g.gRHospRect})
                EXPECT_FALSE(column.intersection(r).has_value());
            EXPECT_FALSE(g.gTreeDown[static_cast<size_t>(i)]);
            EXPECT_GT(blackCount(b, t), 100) << "the tree is filled";
        }
        // The watch while the trees are planted, after the cross of the editor.
        const auto& cursors = s.host->cursorChanges();
        auto cross = std::find(cursors.begin(), cursors.end(), CursorKind::cross);
        ASSERT_NE(cross, cursors.end());
        EXPECT_EQ(std::vector<CursorKind>(cross, cursors.end()),
                  (std::vector<CursorKind>{CursorKind::cross, CursorKind::watch, CursorKind::arrow}));
    }
}

} // namespace

namespace {

// Presses anywhere, in every phase, never place an object outside its range or over a forbidden
// rectangle, and "CANCEL" always ends the editor.
TEST(FieldEditor, RandomPressesKeepObjectsInTheirHalves) {
    const uint32_t seed = std::random_device{}();
    SCOPED_TRACE(::testing::Message() << "seed " << seed);
    std::printf("random presses in the field editor, seed %u\n", seed);
    std::mt19937 random(seed);
    auto coordinate = [&](int64_t low, int64_t high) { return std::uniform_int_distribution<int64_t>(low, high)(random); };
    for (int run = 0; run < 6; ++run) {
        SCOPED_TRACE(run);
        Session s(static_cast<int32_t>(random() & 0x7FFFFFFF));
        s.host->setIdleMicroseconds(2000); // fewer polls per tick keep the run short
        startEditor(*s.host, {true, true, run % 2 == 0});
        for (int n = 0; n < 60; ++n) {
            int64_t h = coordinate(-50, 560);
            int64_t v = coordinate(-50, 360);
            if (n % 9 == 0)
                v = coordinate(-(int64_t{1} << 40), int64_t{1} << 40);
            // The buttons of the placing phases come up often; the two "CANCEL" spots and
            // "CONTINUE" are left for the end.
            if (n % 3 == 0) {
                v = buttonV;
                h = n % 2 == 0 ? leftButtonH : rightButtonH;
            }
            if (v >= 280 && v <= 310 && h >= 220 && h <= 380)
                v = 200;
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
        auto column = [](const QuickDraw::Rect& r) { return tlbr(0, r.left, 300, r.right); };
        if (g.gLHospRect != QuickDraw::Rect{}) {
            EXPECT_GE(g.gHospLLeft, 10);
            EXPECT_LE(g.gHospLLeft, 190);
            EXPECT_GE(g.gHospLTop, 40);
            EXPECT_LE(g.gHospLTop, 240);
            EXPECT_FALSE(column(g.gLHospRect).intersection(g.gCanLRect).has_value());
        }
        if (g.gRHospRect != QuickDraw::Rect{}) {
            EXPECT_GE(g.gHospRLeft, 297);
            EXPECT_LE(g.gHospRLeft, 480);
            EXPECT_FALSE(column(g.gRHospRect).intersection(g.gCanRRect).has_value());
        }
        if (g.gLPostRect != QuickDraw::Rect{}) {
            EXPECT_LE(g.gPostLLeft, 190);
            EXPECT_FALSE(column(g.gLPostRect).intersection(g.gCanLRect).has_value());
            EXPECT_FALSE(column(g.gLPostRect).intersection(g.gLHospRect).has_value());
        }
        if (g.gRPostRect != QuickDraw::Rect{}) {
            EXPECT_GE(g.gPostRLeft, 297);
            EXPECT_FALSE(column(g.gRPostRect).intersection(g.gCanRRect).has_value());
            EXPECT_FALSE(column(g.gRPostRect).intersection(g.gRHospRect).has_value());
        }
        expectWaitingMenus(*s.host);
    }
}

} // namespace
