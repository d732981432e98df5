// The target values screen: the defaults as numbers and slider fills, texts and key, presses on and
// beside the sliders, dragging within one step, "Default Settings", beeps outside the field rectangle,
// and random presses that never leave a value out of range.
#include "OptionsTestSupport.h"

namespace {

using namespace options_test;
using QuickDraw::Style;

constexpr WindowID targets = WindowID::targets;
constexpr int64_t okH = 399, okV = 281;           // the last pixel inside "OK" (262, 350, 282, 400)
constexpr int64_t defaultH = 175, defaultV = 272; // inside "Default Settings" (262, 100, 282, 250)

// The screen's layout and the value table as the rules give them, rows 1..12.
struct Row {
    int64_t top, bottom, boxLeft, left, right; // box (boxLeft, boxLeft + 30), slider (left, right)
    bool negative;
    int64_t defaultValue;
    const char* label;
};

Row row(int64_t i) {
    static const bool negative[13] = {false, true, false, true, true, true, false,
                                      false, true, true, true, false, true};
    static const int64_t defaults[13] = {0, -20, 10, -20, -10, -20, 20, 10, -20, -10, -20, 20, -20};
    static const char* const labels[13] = {"",
        "Left Hits Left Cannon", "Left Hits Right Cannon", "Left Hits Left Hospital", "Left Hits Right Hospital",
        "Left Hits Left Command Post", "Left Hits Right Command Post", "Right Hits Left Cannon",
        "Right Hits Right Cannon", "Right Hits Left Hospital", "Right Hits Right Hospital",
        "Right Hits Left Command Post", "Right Hits Right Command Post"};
    const int64_t top = 45 + 35 * ((i - 1) % 6);
    const int64_t boxLeft = i <= 6 ? 20 : 340;
    return Row{top, top + 15, boxLeft, boxLeft + 29, boxLeft + 111, negative[i], defaults[i], labels[i]};
}

int64_t Ordnix::* const valueFields[13] = {nullptr, &Ordnix::gValLLCannon, &Ordnix::gValLRCannon,
    &Ordnix::gValLLHosp, &Ordnix::gValLRHosp, &Ordnix::gValLLPost, &Ordnix::gValLRPost, &Ordnix::gValRLCannon,
    &Ordnix::gValRRCannon, &Ordnix::gValRLHosp, &Ordnix::gValRRHosp, &Ordnix::gValRLPost, &Ordnix::gValRRPost};
int64_t Ordnix::* const oldFields[13] = {nullptr, &Ordnix::gOldLLCannon, &Ordnix::gOldLRCannon,
    &Ordnix::gOldLLHosp, &Ordnix::gOldLRHosp, &Ordnix::gOldLLPost, &Ordnix::gOldLRPost, &Ordnix::gOldRLCannon,
    &Ordnix::gOldRRCannon, &Ordnix::gOldRLHosp, &Ordnix::gOldRRHosp, &Ordnix::gOldRLPost, &Ordnix::gOldRRPost};

// Row i's slider shows gray up to column `grayEnd` and white from `whiteFrom` inside its frame.
void expectSlider(const QuickDraw::Bitmap& b, int64_t i, int64_t grayEnd, int64_t whiteFrom) {
    const Row r = row(i);
    SCOPED_TRACE(::testing::Message() << "slider of row " << i);
    EXPECT_TRUE(filledWith(b, tlbr(r.top + 1, r.left + 1, r.bottom - 1, grayEnd), QuickDraw::Pattern::gray));
    EXPECT_TRUE(allWhite(b, tlbr(r.top + 1, whiteFrom, r.bottom - 1, r.right - 1)));
    EXPECT_TRUE(allBlack(b, tlbr(r.top, r.left, r.top + 1, r.right)));
    EXPECT_TRUE(allBlack(b, tlbr(r.top, r.right - 1, r.bottom, r.right)));
}

// Row i's box reads `value` in 9-point text from (slider left - 25, top + 11).
void expectNumber(const QuickDraw::Bitmap& b, int64_t i, int64_t value) {
    const Row r = row(i);
    const Rect inner = tlbr(r.top + 1, r.boxLeft + 1, r.bottom - 1, r.boxLeft + 29);
    EXPECT_EQ(b.dump(inner), renderedText(std::to_string(value), r.left - 25, r.top + 11,
                                          QuickDraw::FontID::applFont, Style{}, 9, inner))
        << "number of row " << i << " should read " << value;
}

// Value v fills a slider to left + 1 + 4v, a penalty row to left + 81 + 4v.
void expectRowShows(const QuickDraw::Bitmap& b, int64_t i, int64_t value) {
    const Row r = row(i);
    const int64_t x = r.negative ? r.left + 81 + 4 * value : r.left + 1 + 4 * value;
    expectSlider(b, i, x, x);
    expectNumber(b, i, value);
}

void expectValues(const Ordnix& g, std::map<int64_t, int64_t> changed = {}) {
    for (int64_t i = 1; i <= 12; ++i) {
        const int64_t expected = changed.count(i) ? changed[i] : row(i).defaultValue;
        EXPECT_EQ(g.*valueFields[i], expected) << "row " << i;
        EXPECT_EQ(g.*oldFields[i], expected) << "old copy of row " << i;
    }
}

template <typename Script>
bool onScreen(Session& s, Script script) {
    return options_test::onScreen(s, 259, 5, targets, okH, okV, script);
}

TEST(TargetValues, OpeningShowsTheDefaultsTextsAndKey) {
    Session s;
    ASSERT_TRUE(onScreen(s, [](ScriptedHost&) {}));
    const auto& b = s.bitmap(targets);
    expectValues(s.game);
    for (int64_t i = 1; i <= 12; ++i)
        expectRowShows(b, i, row(i).defaultValue);
    // The rows the rules single out: 40 pixels filled, full, empty.
    expectSlider(b, 2, 90, 90);
    expectSlider(b, 6, 130, 130);
    expectSlider(b, 1, 50, 50);
    EXPECT_EQ(s.game.gValStr[1], "-20");

    struct Text {
        const char* text;
        int64_t h, v;
        Style face;
        int64_t size;
        Rect area; // where nothing else is drawn
    };
    const Style boldOutline = Style::bold | Style::outline;
    std::vector<Text> texts{
        {"SET TARGET VALUES ", 155, 22, Style::bold, 14, tlbr(0, 150, 30, 360)},
        {"LEFT", 59, 35, boldOutline, 12, tlbr(20, 52, 42, 120)},
        {"RIGHT", 380, 35, boldOutline, 12, tlbr(20, 372, 42, 470)},
        {"Default Settings", 110, 277, Style::bold, 12, tlbr(264, 104, 281, 246)},
        {"OK", 365, 277, Style::bold, 12, tlbr(264, 354, 281, 396)},
    };
    for (int64_t i = 1; i <= 12; ++i) {
        const Row r = row(i);
        texts.push_back({r.label, r.boxLeft, r.bottom + 10, Style{}, 9,
                         tlbr(r.bottom + 1, r.boxLeft, r.bottom + 14, i <= 6 ? 205 : 490)});
    }
    for (const Text& t : texts) {
        SCOPED_TRACE(t.text);
        EXPECT_EQ(b.dump(t.area), renderedText(t.text, t.h, t.v, QuickDraw::FontID::applFont, t.face, t.size, t.area));
        EXPECT_GT(blackCount(b, t.area), 10) << "the text is there";
    }
    // The key's doors and windows framed, then their crosses and bars.
    for (const Rect& o : {tlbr(120, 223, 130, 228), tlbr(120, 231, 127, 238), tlbr(155, 233, 165, 238),
                          tlbr(155, 222, 162, 229), tlbr(191, 225, 200, 229), tlbr(191, 232, 197, 235),
                          tlbr(226, 231, 235, 235), tlbr(226, 225, 232, 228)}) {
        SCOPED_TRACE(::testing::Message() << "opening (" << o.top << ", " << o.left << ")");
        EXPECT_EQ(blackCount(b, o) - blackCount(b, o.insetBy(1, 1)), 2 * (o.width() + o.height()) - 4);
    }
    for (const Rect& door : {tlbr(120, 223, 130, 228), tlbr(155, 233, 165, 238), tlbr(191, 225, 200, 229),
                             tlbr(226, 231, 235, 235)})
        EXPECT_TRUE(allWhite(b, door.insetBy(1, 1))) << "a door is filled white";
    for (const Rect& line : {tlbr(121, 234, 127, 235), tlbr(123, 232, 124, 238), tlbr(156, 225, 162, 226),
                             tlbr(194, 232, 195, 236), tlbr(229, 225, 230, 229)})
        EXPECT_TRUE(allBlack(b, line));
    // The screen came and went in front of the field window, which is current again.
    EXPECT_FALSE(s.game.window(targets).visible());
    EXPECT_TRUE(s.game.window(WindowID::field).visible());
    EXPECT_EQ(s.game.currentWindow().id(), WindowID::field);
    EXPECT_FALSE(s.game.gIconMode);
    EXPECT_TRUE(s.host->protocolErrors().empty());
}

TEST(TargetValues, PressAlongASliderSetsTheValue) {
    struct Case {
        int64_t row, dh, dv; // from the slider's left border and top
        int64_t expected;
    };
    const Case cases[] = {
        {2, 0, 7, 0},   {2, 80, 7, 20},   {2, 81, 7, 20},  {2, 3, 7, 0},    {2, 4, 7, 1},
        {2, 43, 0, 10}, {2, 44, 14, 11},  {6, 0, 7, 0},    {7, 80, 7, 20},  {11, 41, 7, 10},
        {1, 0, 7, -20}, {1, 80, 7, 0},    {1, 81, 7, 0},   {3, 40, 7, -10}, {4, 79, 7, -1},
        {8, 0, 7, -20}, {12, 42, 3, -10}, {10, 4, 7, -19}, {9, 1, 14, -20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "row " << c.row << " +" << c.dh << ", +" << c.dv);
        Session s;
        const Row r = row(c.row);
        const int64_t h = r.left + c.dh;
        ASSERT_TRUE(onScreen(s, [&](ScriptedHost& host) { press(host, targets, h, r.top + c.dv); }));
        expectValues(s.game, {{c.row, c.expected}});
        expectSlider(s.bitmap(targets), c.row, h, h + 1); // the bar follows the mouse pixel by pixel
        expectNumber(s.bitmap(targets), c.row, c.expected);
    }
}

TEST(TargetValues, PressesOffTheSlidersChangeNothingAndBeepOutsideTheFieldRectangle) {
    struct Case {
        int64_t h, v, beeps;
    };
    const int64_t far = int64_t{1} << 40;
    // Just outside row 2's slider (80, 49, 95, 131), its number box, the key, around (0, 0, 350, 520), "OK".
    const Case cases[] = {
        {48, 85, 0},  {131, 85, 0},  {90, 79, 0},    {90, 95, 0},   {30, 85, 0},    {240, 85, 0},
        {519, 349, 0}, {500, 300, 0}, {600, 100, 1}, {520, 10, 1},  {-1, 10, 1},    {10, -1, 1},
        {100, 350, 1}, {-far, -far, 1}, {far, 5, 1}, {5, far, 1}, {349, 272, 0}, {400, 272, 0}, {375, 282, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "(h " << c.h << ", v " << c.v << ")");
        Session s;
        bool open = false;
        ASSERT_TRUE(onScreen(s, [&](ScriptedHost& host) {
            host.clickAt(targets, c.h, c.v);
            host.waitTicks(2);
            host.perform("look at the screen", [&](ScriptedHost& h) { open = h.windowShown(targets); });
        }));
        EXPECT_TRUE(open);
        EXPECT_EQ(s.host->beeps(), c.beeps);
        expectValues(s.game);
        expectRowShows(s.bitmap(targets), 2, 10);
    }
}

TEST(TargetValues, DraggingWithinOneStepRedrawsTheBarOnly) {
    Session s;
    const Row r = row(2);
    // A mark inside row 2's number box, clear of the digits: erasing the box would remove it.
    const int64_t markH = r.boxLeft + 27, markV = r.top + 2;
    bool markAfterSameStep = false;
    ASSERT_TRUE(onScreen(s, [&](ScriptedHost& host) {
        host.perform("mark the number box", [&](ScriptedHost&) { s.bitmap(targets).setPixel(markH, markV, true); });
        host.pressAt(targets, r.left + 40, r.top + 7); // columns 89..92 all mean 10, the value shown
        for (int64_t dh : {42, 43}) {
            host.waitTicks(2);
            host.moveMouse(targets, r.left + dh, r.top + 7);
        }
        host.waitTicks(2);
        host.perform("look at the mark",
                     [&](ScriptedHost&) { markAfterSameStep = s.bitmap(targets).pixel(markH, markV); });
        host.moveMouse(targets, r.left + 44, r.top + 7); // the next step: 11
        host.waitTicks(2);
        host.release();
        host.waitTicks(2);
    }));
    EXPECT_TRUE(markAfterSameStep) << "the number was redrawn within one step";
    EXPECT_FALSE(s.bitmap(targets).pixel(markH, markV)) << "the number was not redrawn on the next step";
    expectValues(s.game, {{2, 11}});
    expectNumber(s.bitmap(targets), 2, 11);
    expectSlider(s.bitmap(targets), 2, r.left + 44, r.left + 45);
}

TEST(TargetValues, DefaultSettingsRestoresAllTwelve) {
    Session s;
    int64_t moved = 0;
    ASSERT_TRUE(onScreen(s, [&](ScriptedHost& host) {
        for (int64_t i = 1; i <= 12; ++i)
            press(host, targets, row(i).left + 1 + (i * 37) % 80, row(i).top + 5);
        host.perform("count the moved values", [&](ScriptedHost&) {
            for (int64_t i = 1; i <= 12; ++i)
                moved += s.game.*valueFields[i] != row(i).defaultValue ? 1 : 0;
        });
        press(host, targets, defaultH, defaultV);
    }));
    EXPECT_EQ(moved, 12);
    expectValues(s.game);
    for (int64_t i = 1; i <= 12; ++i)
        expectRowShows(s.bitmap(targets), i, row(i).defaultValue);
    EXPECT_TRUE(allWhite(s.bitmap(targets), tlbr(263, 110, 264, 240))) << "the button shows normal again";
}

TEST(TargetValues, RandomPressesKeepEveryValueInItsRange) {
    RandomCoordinates coordinate("on the target values screen");
    SCOPED_TRACE(::testing::Message() << "seed " << coordinate.seed);
    Session s;
    ASSERT_TRUE(onScreen(s, [&](ScriptedHost& host) {
        for (int n = 0; n < 120; ++n) {
            int64_t h = n % 10 == 0 ? coordinate(-(int64_t{1} << 50), int64_t{1} << 50) : coordinate(-100, 600);
            int64_t v = coordinate(-100, 400);
            if (h >= 340 && h < 410 && v >= 255 && v < 290)
                v = 100; // keep off "OK", which would end the screen early
            if (n % 3 == 0)
                host.drag(targets, h, std::min<int64_t>(v, 249), coordinate(-20, 520), coordinate(30, 250), 4, 1);
            else
                host.clickAt(targets, h, v);
            host.waitTicks(1);
        }
    }));
    for (int64_t i = 1; i <= 12; ++i) {
        SCOPED_TRACE(i);
        const int64_t value = s.game.*valueFields[i];
        EXPECT_GE(value, row(i).negative ? -20 : 0);
        EXPECT_LE(value, row(i).negative ? 0 : 20);
        EXPECT_EQ(s.game.*oldFields[i], value);
        expectNumber(s.bitmap(targets), i, value);
    }
    EXPECT_FALSE(s.game.window(targets).visible());
}

} // namespace
