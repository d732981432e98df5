// The target values screen: the defaults as numbers and slider fills, presses along the sliders,
// dragging within one step, "Default Settings", beeps outside the field rectangle, and random presses
// that never leave a value out of range.
#include "OptionsTestSupport.h"

#include <cstdio>
#include <random>

namespace {

using namespace options_test;

constexpr WindowID targets = WindowID::targets;
constexpr int64_t targetsMenu = 259;
constexpr int64_t setValuesItem = 5;
const QuickDraw::Rect okPoint = tlbr(272, 375, 0, 0);      // a point inside "OK" (262, 350, 282, 400)
const QuickDraw::Rect defaultPoint = tlbr(272, 175, 0, 0); // inside "Default Settings" (262, 100, 282, 250)

// The screen's layout and the value table, as the rules give them (rows 1..12).
struct Row {
    int64_t top, bottom;       // of the number box and the slider
    int64_t boxLeft, boxRight; // the number box
    int64_t left, right;       // the slider
    bool negative;
    int64_t defaultValue;
};

Row row(int64_t i) {
    static const bool negative[13] = {false, true, false, true, true, true, false, false, true, true, true, false, true};
    static const int64_t defaults[13] = {0, -20, 10, -20, -10, -20, 20, 10, -20, -10, -20, 20, -20};
    int64_t k = (i - 1) % 6;
    int64_t boxLeft = i <= 6 ? 20 : 340;
    int64_t top = 45 + 35 * k;
    return Row{top, top + 15, boxLeft, boxLeft + 30, boxLeft + 29, boxLeft + 111, negative[i], defaults[i]};
}

int64_t& valueOf(Ordnix& game, int64_t i) {
    int64_t* fields[13] = {nullptr,          &game.gValLLCannon, &game.gValLRCannon, &game.gValLLHosp,
                           &game.gValLRHosp, &game.gValLLPost,   &game.gValLRPost,   &game.gValRLCannon,
                           &game.gValRRCannon, &game.gValRLHosp, &game.gValRRHosp,   &game.gValRLPost,
                           &game.gValRRPost};
    return *fields[i];
}

int64_t& oldOf(Ordnix& game, int64_t i) {
    int64_t* fields[13] = {nullptr,          &game.gOldLLCannon, &game.gOldLRCannon, &game.gOldLLHosp,
                           &game.gOldLRHosp, &game.gOldLLPost,   &game.gOldLRPost,   &game.gOldRLCannon,
                           &game.gOldRRCannon, &game.gOldRLHosp, &game.gOldRRHosp,   &game.gOldRLPost,
                           &game.gOldRRPost};
    return *fields[i];
}

// The column where a value's gray fill ends: 4 pixels per point from the slider's left edge, a penalty
// row counting from -20.
int64_t fillEnd(const Row& r, int64_t value) { return r.negative ? r.left + 81 + 4 * value : r.left + 1 + 4 * value; }

// Row i's slider shows gray up to column `grayEnd` and white from `whiteFrom` to its inner right edge.
void expectSlider(const QuickDraw::Bitmap& b, int64_t i, int64_t grayEnd, int64_t whiteFrom) {
    const Row r = row(i);
    SCOPED_TRACE(::testing::Message() << "slider of row " << i);
    EXPECT_TRUE(filledWith(b, tlbr(r.top + 1, r.left + 1, r.bottom - 1, grayEnd), QuickDraw::Pattern::gray));
    EXPECT_TRUE(allWhite(b, tlbr(r.top + 1, whiteFrom, r.bottom - 1, r.right - 1)));
    // The frame around it.
    EXPECT_TRUE(allBlack(b, tlbr(r.top, r.left, r.top + 1, r.right)));
    EXPECT_TRUE(allBlack(b, tlbr(r.top, r.right - 1, r.bottom, r.right)));
}

// Row i's box reads `value` in 9-point text from (slider left - 25, top + 11).
void expectNumber(const QuickDraw::Bitmap& b, int64_t i, int64_t value) {
    const Row r = row(i);
    const QuickDraw::Rect inner = tlbr(r.top + 1, r.boxLeft + 1, r.bottom - 1, r.boxRight - 1);
    EXPECT_EQ(b.dump(inner), renderedText(490, 285, std::to_string(value), r.left - 25, r.top + 11,
                                          QuickDraw::FontID::applFont, QuickDraw::Style{}, 9, inner))
        << "number of row " << i << " should read " << value;
}

void expectRowShows(const QuickDraw::Bitmap& b, int64_t i, int64_t value) {
    int64_t x = fillEnd(row(i), value);
    expectSlider(b, i, x, x);
    expectNumber(b, i, value);
}

// Opens the screen, lets the game reach its tracking loop, runs `script`, then "OK" and quit.
template <typename Script>
bool onScreen(Session& s, Script script) {
    s.host->chooseMenu(targetsMenu, setValuesItem);
    s.host->waitForWindowShown(targets);
    s.host->waitForCalls(HostOp::button, 1);
    script(*s.host);
    s.host->clickAt(targets, okPoint.left, okPoint.top);
    s.host->waitForWindowHidden(targets);
    s.host->quit();
    return s.play();
}

TEST(TargetValues, OpeningShowsTheDefaults) {
    Session s;
    ASSERT_TRUE(onScreen(s, [](ScriptedHost&) {}));
    const auto& b = s.bitmap(targets);
    for (int64_t i = 1; i <= 12; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(valueOf(s.game, i), row(i).defaultValue);
        expectRowShows(b, i, row(i).defaultValue);
    }
    // The cases the rules single out.
    EXPECT_EQ(s.game.gValStr[2], "10");
    expectSlider(b, 2, 90, 90); // 40 pixels filled: columns 50..89
    EXPECT_EQ(s.game.gValStr[6], "20");
    expectSlider(b, 6, 130, 130); // full
    EXPECT_EQ(s.game.gValStr[1], "-20");
    expectSlider(b, 1, 50, 50); // empty
    // The screen came and went in front of the field window, which is current again.
    EXPECT_FALSE(s.game.window(targets).visible());
    EXPECT_TRUE(s.game.window(WindowID::field).visible());
    EXPECT_EQ(s.game.currentWindow().id(), WindowID::field);
    EXPECT_FALSE(s.game.gIconMode);
    EXPECT_TRUE(s.host->protocolErrors().empty());
}

TEST(TargetValues, TitleLabelsKeyAndButtons) {
    Session s;
    ASSERT_TRUE(onScreen(s, [](ScriptedHost&) {}));
    const auto& b = s.bitmap(targets);
    using QuickDraw::Style;
    const int64_t appl = QuickDraw::FontID::applFont;
    struct Text {
        const char* text;
        int64_t h, v;
        Style face;
        int64_t size;
        QuickDraw::Rect area; // where nothing else is drawn
    };
    const Style boldOutline = Style::bold | Style::outline;
    std::vector<Text> texts{
        {"SET TARGET VALUES ", 155, 22, Style::bold, 14, tlbr(0, 150, 30, 360)},
        {"LEFT", 59, 35, boldOutline, 12, tlbr(20, 52, 42, 120)},
        {"RIGHT", 380, 35, boldOutline, 12, tlbr(20, 372, 42, 470)},
        {"Default Settings", 110, 277, Style::bold, 12, tlbr(264, 104, 281, 246)},
        {"OK", 365, 277, Style::bold, 12, tlbr(264, 354, 281, 396)},
    };
    const char* labels[13] = {"",
                              "Left Hits Left Cannon",
                              "Left Hits Right Cannon",
                              "Left Hits Left Hospital",
                              "Left Hits Right Hospital",
                              "Left Hits Left Command Post",
                              "Left Hits Right Command Post",
                              "Right Hits Left Cannon",
                              "Right Hits Right Cannon",
                              "Right Hits Left Hospital",
                              "Right Hits Right Hospital",
                              "Right Hits Left Command Post",
                              "Right Hits Right Command Post"};
    for (int64_t i = 1; i <= 12; ++i) {
        const Row r = row(i);
        texts.push_back({labels[i], r.boxLeft, r.bottom + 10, Style{}, 9,
                         tlbr(r.bottom + 1, r.boxLeft, r.bottom + 14, i <= 6 ? 205 : 490)});
    }
    for (const Text& t : texts) {
        SCOPED_TRACE(t.text);
        EXPECT_EQ(b.dump(t.area), renderedText(490, 285, t.text, t.h, t.v, appl, t.face, t.size, t.area));
        EXPECT_GT(blackCount(b, t.area), 10) << "the text is there";
    }
    // The key's doors and windows: white inside a black frame.
    const QuickDraw::Rect openings[] = {tlbr(120, 223, 130, 228), tlbr(120, 231, 127, 238), tlbr(155, 233, 165, 238),
                                        tlbr(155, 222, 162, 229), tlbr(191, 225, 200, 229), tlbr(191, 232, 197, 235),
                                        tlbr(226, 231, 235, 235), tlbr(226, 225, 232, 228)};
    for (const QuickDraw::Rect& o : openings) {
        SCOPED_TRACE(::testing::Message() << "opening (" << o.top << ", " << o.left << ")");
        EXPECT_EQ(blackCount(b, o) - blackCount(b, o.insetBy(1, 1)), 2 * (o.width() + o.height()) - 4);
    }
    // The window crosses and bars.
    EXPECT_TRUE(allBlack(b, tlbr(121, 234, 127, 235)));
    EXPECT_TRUE(allBlack(b, tlbr(123, 232, 124, 238)));
    EXPECT_TRUE(allBlack(b, tlbr(156, 225, 162, 226)));
    EXPECT_TRUE(allBlack(b, tlbr(194, 232, 195, 236)));
    EXPECT_TRUE(allBlack(b, tlbr(229, 225, 230, 229)));
    // Two cannons in the key: the carriage at hub (230, 50) and the icon at hub (230, 85).
    EXPECT_GT(blackCount(b, tlbr(40, 210, 62, 250)), 40);
    EXPECT_GT(blackCount(b, tlbr(75, 210, 97, 250)), 40);
}

TEST(TargetValues, PressAlongASliderSetsTheValue) {
    struct Case {
        int64_t row;
        int64_t dh; // from the slider's left border
        int64_t dv; // from the slider's top
        int64_t expected;
    };
    const Case cases[] = {
        {2, 0, 7, 0},     {2, 80, 7, 20},   {2, 81, 7, 20},   {2, 3, 7, 0},    {2, 4, 7, 1},
        {2, 43, 0, 10},   {2, 44, 14, 11},  {6, 0, 7, 0},     {7, 80, 7, 20},  {11, 41, 7, 10},
        {1, 0, 7, -20},   {1, 80, 7, 0},    {1, 81, 7, 0},    {3, 40, 7, -10}, {4, 79, 7, -1},
        {8, 0, 7, -20},   {8, 80, 7, 0},    {12, 42, 3, -10}, {10, 4, 7, -19}, {9, 1, 14, -20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "row " << c.row << " +" << c.dh << ", +" << c.dv);
        Session s;
        const Row r = row(c.row);
        int64_t h = r.left + c.dh;
        ASSERT_TRUE(onScreen(s, [&](ScriptedHost& host) { press(host, targets, h, r.top + c.dv); }));
        EXPECT_EQ(valueOf(s.game, c.row), c.expected);
        EXPECT_EQ(oldOf(s.game, c.row), c.expected);
        for (int64_t i = 1; i <= 12; ++i) {
            if (i != c.row) {
                EXPECT_EQ(valueOf(s.game, i), row(i).defaultValue) << "row " << i;
            }
        }
        const auto& b = s.bitmap(targets);
        // The bar follows the mouse: gray to its column, white after it.
        expectSlider(b, c.row, h, h + 1);
        expectNumber(b, c.row, c.expected);
    }
}

TEST(TargetValues, PressesBesideTheSlidersChangeNothing) {
    // Just outside row 2's slider (top 80, bottom 95, left 49, right 131) and on the number box.
    const std::pair<int64_t, int64_t> points[] = {{48, 85}, {131, 85}, {90, 79}, {90, 95}, {30, 85}, {240, 85}};
    for (auto [h, v] : points) {
        SCOPED_TRACE(::testing::Message() << "(h " << h << ", v " << v << ")");
        Session s;
        ASSERT_TRUE(onScreen(s, [&](ScriptedHost& host) { press(host, targets, h, v); }));
        for (int64_t i = 1; i <= 12; ++i)
            EXPECT_EQ(valueOf(s.game, i), row(i).defaultValue) << "row " << i;
        expectRowShows(s.bitmap(targets), 2, 10);
        EXPECT_EQ(s.host->beeps(), 0);
    }
}

TEST(TargetValues, DraggingWithinOneStepRedrawsTheBarOnly) {
    Session s;
    const Row r = row(2);
    // A mark inside row 2's number box, clear of the digits: erasing the box would remove it.
    const int64_t markH = r.boxRight - 3, markV = r.top + 2;
    bool markAfterSameStep = false;
    ASSERT_TRUE(onScreen(s, [&](ScriptedHost& host) {
        host.perform("mark the number box", [&](ScriptedHost&) { s.bitmap(targets).setPixel(markH, markV, true); });
        // Columns 89..92 all mean 10, the value already shown.
        host.pressAt(targets, r.left + 40, r.top + 7);
        host.waitTicks(2);
        host.moveMouse(targets, r.left + 42, r.top + 7);
        host.waitTicks(2);
        host.moveMouse(targets, r.left + 43, r.top + 7);
        host.waitTicks(2);
        host.perform("look at the mark",
                     [&](ScriptedHost&) { markAfterSameStep = s.bitmap(targets).pixel(markH, markV); });
        // One more column is the next step: 11.
        host.moveMouse(targets, r.left + 44, r.top + 7);
        host.waitTicks(2);
        host.release();
        host.waitTicks(2);
    }));
    EXPECT_TRUE(markAfterSameStep) << "the number was redrawn within one step";
    EXPECT_FALSE(s.pixel(targets, markH, markV)) << "the number was not redrawn on the next step";
    EXPECT_EQ(s.game.gValLRCannon, 11);
    expectNumber(s.bitmap(targets), 2, 11);
    expectSlider(s.bitmap(targets), 2, r.left + 44, r.left + 45);
}

TEST(TargetValues, DefaultSettingsRestoresAllTwelve) {
    Session s;
    ASSERT_TRUE(onScreen(s, [&](ScriptedHost& host) {
        for (int64_t i = 1; i <= 12; ++i) {
            const Row r = row(i);
            press(host, targets, r.left + 1 + (i * 37) % 80, r.top + 5);
        }
        host.perform("check that the values moved", [&](ScriptedHost&) {
            int64_t moved = 0;
            for (int64_t i = 1; i <= 12; ++i)
                moved += valueOf(s.game, i) != row(i).defaultValue ? 1 : 0;
            EXPECT_EQ(moved, 12);
        });
        press(host, targets, defaultPoint.left, defaultPoint.top);
    }));
    const auto& b = s.bitmap(targets);
    for (int64_t i = 1; i <= 12; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(valueOf(s.game, i), row(i).defaultValue);
        EXPECT_EQ(oldOf(s.game, i), row(i).defaultValue);
        expectRowShows(b, i, row(i).defaultValue);
    }
    // Pressed and released: the button shows normal again (inverted twice per pass).
    EXPECT_TRUE(allWhite(b, tlbr(263, 110, 264, 240)));
}

TEST(TargetValues, PressesOutsideTheFieldRectangleBeep) {
    struct Case {
        int64_t h, v;
        int64_t beeps;
    };
    const int64_t far = int64_t{1} << 40;
    const Case cases[] = {
        {600, 100, 1}, {520, 10, 1},  {519, 349, 0}, {-1, 10, 1},  {10, -1, 1},       {100, 350, 1},
        {500, 300, 0}, {-far, -far, 1}, {far, 5, 1}, {5, far, 1},  {250, 150, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "(h " << c.h << ", v " << c.v << ")");
        Session s;
        ASSERT_TRUE(onScreen(s, [&](ScriptedHost& host) {
            host.clickAt(targets, c.h, c.v);
            host.waitTicks(2);
        }));
        EXPECT_EQ(s.host->beeps(), c.beeps);
        for (int64_t i = 1; i <= 12; ++i)
            EXPECT_EQ(valueOf(s.game, i), row(i).defaultValue) << "row " << i;
    }
}

TEST(TargetValues, RandomPressesKeepEveryValueInItsRange) {
    const uint32_t seed = std::random_device{}();
    SCOPED_TRACE(::testing::Message() << "seed " << seed);
    std::printf("random presses on the target values screen, seed %u\n", seed);
    std::mt19937 random(seed);
    Session s;
    ASSERT_TRUE(onScreen(s, [&](ScriptedHost& host) {
        auto coordinate = [&](int64_t low, int64_t high) {
            return std::uniform_int_distribution<int64_t>(low, high)(random);
        };
        for (int n = 0; n < 120; ++n) {
            int64_t h = coordinate(-100, 600);
            int64_t v = coordinate(-100, 400);
            if (n % 10 == 0) {
                h = coordinate(-(int64_t{1} << 50), int64_t{1} << 50);
            }
            // Keep off "OK", which would end the screen early.
            if (h >= 340 && h < 410 && v >= 255 && v < 290)
                v = 100;
            if (n % 3 == 0) {
                v = coordinate(-100, 249);
                host.drag(targets, h, v, coordinate(-20, 520), coordinate(30, 250), 4, 1);
            } else {
                host.clickAt(targets, h, v);
            }
            host.waitTicks(1);
        }
    }));
    for (int64_t i = 1; i <= 12; ++i) {
        SCOPED_TRACE(i);
        int64_t value = valueOf(s.game, i);
        if (row(i).negative) {
            EXPECT_GE(value, -20);
            EXPECT_LE(value, 0);
        } else {
            EXPECT_GE(value, 0);
            EXPECT_LE(value, 20);
        }
        EXPECT_EQ(oldOf(s.game, i), value);
        expectNumber(s.bitmap(targets), i, value);
    }
    EXPECT_FALSE(s.game.window(targets).visible());
}

} // namespace
