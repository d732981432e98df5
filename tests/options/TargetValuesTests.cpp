// The target values screen: the defaults as numbers and slider fills, texts and key, presses on and beside the
// sliders, dragging within one step, "Default Settings", beeps outside the field rectangle, random presses.
#include "OptionsTestSupport.h"

namespace {

using namespace options_test;
using QuickDraw::Style;

constexpr WindowID targets = WindowID::targets;
constexpr int64_t okH = 399, okV = 281; // the last pixel inside "OK" (262, 350, 282, 400)

// The screen's layout and the value table, rows 1..12: box (boxLeft, boxLeft + 30), slider (left, right).
struct Row {
    int64_t top, bottom, boxLeft, left, right;
    bool negative;
    int64_t defaultValue;
    const char* label;
};

Row row(int64_t i) {
    static const int64_t defaults[13] = {0, -20, 10, -20, -10, -20, 20, 10, -20, -10, -20, 20, -20};
    static const char* const labels[13] = {"", "Left Hits Left Cannon", "Left Hits Right Cannon", "Left Hits Left Hospital",
        "Left Hits Right Hospital", "Left Hits Left Command Post", "Left Hits Right Command Post", "Right Hits Left Cannon",
        "Right Hits Right Cannon", "Right Hits Left Hospital", "Right Hits Right Hospital", "Right Hits Left Command Post",
        "Right Hits Right Command Post"};
    // Penalty rows: hitting one's own targets, and a hospital of either side.
    static const bool negative[13] = {false, true, false, true, true, true, false, false, true, true, true, false, true};
    const int64_t top = 45 + 35 * ((i - 1) % 6), boxLeft = i <= 6 ? 20 : 340;
    return Row{top, top + 15, boxLeft, boxLeft + 29, boxLeft + 111, negative[i], defaults[i], labels[i]};
}

int64_t Ordnix::* const valueFields[13] = {nullptr, &Ordnix::gValLLCannon, &Ordnix::gValLRCannon, &Ordnix::gValLLHosp,
    &Ordnix::gValLRHosp, &Ordnix::gValLLPost, &Ordnix::gValLRPost, &Ordnix::gValRLCannon, &Ordnix::gValRRCannon,
    &Ordnix::gValRLHosp, &Ordnix::gValRRHosp, &Ordnix::gValRLPost, &Ordnix::gValRRPost};
int64_t Ordnix::* const oldFields[13] = {nullptr, &Ordnix::gOldLLCannon, &Ordnix::gOldLRCannon, &Ordnix::gOldLLHosp,
    &Ordnix::gOldLRHosp, &Ordnix::gOldLLPost, &Ordnix::gOldLRPost, &Ordnix::gOldRLCannon, &Ordnix::gOldRRCannon,
    &Ordnix::gOldRLHosp, &Ordnix::gOldRRHosp, &Ordnix::gOldRLPost, &Ordnix::gOldRRPost};

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
    EXPECT_EQ(b.dump(inner), renderedText(std::to_string(value), r.left - 25, r.top + 11, QuickDraw::FontID::applFont,
                                          Style{}, 9, inner))
        << "number of row " << i << " should read " << value;
}

// Value v fills a slider to left + 1 + 4v, a penalty row to left + 81 + 4v.
void expectRowShows(const QuickDraw::Bitmap& b, int64_t i, int64_t value) {
    const int64_t x = row(i).left + (row(i).negative ? 81 : 1) + 4 * value;
    expectSlider(b, i, x, x);
    expectNumber(b, i, value);
}

void expectValues(const Ordnix& g, std::map<int64_t, int64_t> changed = {}) {
    for (int64_t i = 1; i <= 12; ++i) {
        const int64_t expected = changed.count(i) ? changed[i] : row(i).defaultValue;
        EXPECT_EQ(std::make_pair(g.*valueFields[i], g.*oldFields[i]), std::make_pair(expected, expected)) << "row " << i;
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
    expectSlider(b, 2, 90, 90); // row 2 reads 10 with 40 pixels filled, row 6 20 full, row 1 -20 empty
    expectSlider(b, 6, 130, 130);
    expectSlider(b, 1, 50, 50);
    EXPECT_EQ(s.game.gValStr[1], "-20");

    const Style boldOutline = Style::bold | Style::outline;
    std::vector<std::tuple<std::string, int64_t, int64_t, Style, int64_t, Rect>> texts{
        {"SET TARGET VALUES ", 155, 22, Style::bold, 14, tlbr(0, 150, 30, 360)},
        {"LEFT", 59, 35, boldOutline, 12, tlbr(20, 52, 42, 120)},
        {"RIGHT", 380, 35, boldOutline, 12, tlbr(20, 372, 42, 470)},
        {"Default Settings", 110, 277, Style::bold, 12, tlbr(264, 104, 281, 246)},
        {"OK", 365, 277, Style::bold, 12, tlbr(264, 354, 281, 396)}};
    for (int64_t i = 1; i <= 12; ++i) {
        const Row r = row(i);
        texts.emplace_back(r.label, r.boxLeft, r.bottom + 10, Style{}, 9, tlbr(r.bottom + 1, r.boxLeft, r.bottom + 14, i <= 6 ? 205 : 490));
    }
    for (const auto& [text, h, v, face, size, area] : texts) {
        EXPECT_EQ(b.dump(area), renderedText(text, h, v, QuickDraw::FontID::applFont, face, size, area)) << text;
        EXPECT_GT(blackCount(b, area), 10) << text;
    }
    // The key's doors (filled white) and windows framed, then their crosses and bars.
    const Rect openings[] = {tlbr(120, 223, 130, 228), tlbr(155, 233, 165, 238), tlbr(191, 225, 200, 229), tlbr(226, 231, 235, 235),
                             tlbr(120, 231, 127, 238), tlbr(155, 222, 162, 229), tlbr(191, 232, 197, 235), tlbr(226, 225, 232, 228)};
    for (size_t k = 0; k < 8; ++k) {
        const Rect& o = openings[k];
        SCOPED_TRACE(::testing::Message() << "opening (" << o.top << ", " << o.left << ")");
        EXPECT_EQ(blackCount(b, o) - blackCount(b, o.insetBy(1, 1)), 2 * (o.width() + o.height()) - 4);
        if (k < 4) {
            EXPECT_TRUE(allWhite(b, o.insetBy(1, 1))) << "a door";
        }
    }
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
    // Row, offset from the slider's left border and top, value.
    const std::array<int64_t, 4> cases[] = {
        {2, 0, 7, 0},   {2, 80, 7, 20},   {2, 81, 7, 20},  {2, 3, 7, 0},    {2, 4, 7, 1},
        {2, 43, 0, 10}, {2, 44, 14, 11},  {6, 0, 7, 0},    {7, 80, 7, 20},  {11, 41, 7, 10},
        {1, 0, 7, -20}, {1, 80, 7, 0},    {1, 81, 7, 0},   {3, 40, 7, -10}, {4, 79, 7, -1},
        {8, 0, 7, -20}, {12, 42, 3, -10}, {10, 4, 7, -19}, {9, 1, 14, -20},
    };
    for (auto [i, dh, dv, expected] : cases) {
        SCOPED_TRACE(::testing::Message() << "row " << i << " +" << dh << ", +" << dv);
        Session s;
        const int64_t h = row(i).left + dh;
        ASSERT_TRUE(onScreen(s, [&](ScriptedHost& host) { press(host, targets, h, row(i).top + dv); }));
        expectValues(s.game, {{i, expected}});
        expectSlider(s.bitmap(targets), i, h, h + 1); // the bar follows the mouse pixel by pixel
        expectNumber(s.bitmap(targets), i, expected);
    }
}

TEST(TargetValues, PressesOffTheSlidersChangeNothingAndBeepOutsideTheFieldRectangle) {
    const int64_t far = int64_t{1} << 40;
    // Just outside row 2's slider (80, 49, 95, 131), its number box, the key, around (0, 0, 350, 520), "OK".
    const std::array<int64_t, 3> cases[] = {
        {48, 85, 0},    {131, 85, 0},   {90, 79, 0},    {90, 95, 0},    {30, 85, 0},    {240, 85, 0},  {519, 349, 0},
        {500, 300, 0},  {600, 100, 1},  {520, 10, 1},   {-1, 10, 1},    {10, -1, 1},    {100, 350, 1}, {-far, -far, 1},
        {far, 5, 1},    {5, far, 1},    {349, 272, 0},  {400, 272, 0},  {375, 282, 0},
    };
    for (auto [h, v, beeps] : cases) {
        SCOPED_TRACE(::testing::Message() << "(h " << h << ", v " << v << ")");
        Session s;
        bool open = false;
        ASSERT_TRUE(onScreen(s, [&](ScriptedHost& host) {
            host.clickAt(targets, h, v);
            host.waitTicks(2);
            host.perform("look at the screen", [&](ScriptedHost& hs) { open = hs.windowShown(targets); });
        }));
        EXPECT_TRUE(open);
        EXPECT_EQ(s.host->beeps(), beeps);
        expectValues(s.game);
        expectRowShows(s.bitmap(targets), 2, 10);
    }
}

TEST(TargetValues, DraggingWithinOneStepRedrawsTheBarOnlyAndDefaultSettingsRestoresAll) {
    Session s;
    const Row r = row(2);
    const int64_t markH = r.boxLeft + 27, markV = r.top + 2; // inside row 2's number box, clear of the digits
    bool markAfterSameStep = false, markAfterNextStep = true;
    std::map<int64_t, int64_t> moved;
    ASSERT_TRUE(onScreen(s, [&](ScriptedHost& host) {
        host.perform("mark the number box", [&](ScriptedHost&) { s.bitmap(targets).setPixel(markH, markV, true); });
        host.pressAt(targets, r.left + 40, r.top + 7); // columns 89..92 all mean 10, the value shown
        for (int64_t dh : {42, 43}) {
            host.waitTicks(2);
            host.moveMouse(targets, r.left + dh, r.top + 7);
        }
        host.waitTicks(2);
        host.perform("look at the mark", [&](ScriptedHost&) { markAfterSameStep = s.bitmap(targets).pixel(markH, markV); });
        host.moveMouse(targets, r.left + 44, r.top + 7); // the next step: 11
        host.waitTicks(2);
        host.release();
        host.waitTicks(2);
        host.perform("look again", [&](ScriptedHost&) {
            markAfterNextStep = s.bitmap(targets).pixel(markH, markV);
            expectValues(s.game, {{2, 11}});
            expectNumber(s.bitmap(targets), 2, 11);
            expectSlider(s.bitmap(targets), 2, r.left + 44, r.left + 45);
        });
        for (int64_t i = 1; i <= 12; ++i)
            press(host, targets, row(i).left + 1 + (i * 37) % 80, row(i).top + 5);
        host.perform("note the moved values", [&](ScriptedHost&) {
            for (int64_t i = 1; i <= 12; ++i)
                if (s.game.*valueFields[i] != row(i).defaultValue)
                    moved[i] = s.game.*valueFields[i];
        });
        press(host, targets, 175, 272); // "Default Settings"
    }));
    EXPECT_TRUE(markAfterSameStep) << "the number is not redrawn within one step";
    EXPECT_FALSE(markAfterNextStep) << "the number is redrawn on the next step";
    EXPECT_EQ(moved.size(), 12u);
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
            const int64_t h = n % 10 == 0 ? coordinate(-(int64_t{1} << 50), int64_t{1} << 50) : coordinate(-100, 600);
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
        const int64_t value = s.game.*valueFields[i];
        EXPECT_TRUE(row(i).negative ? value >= -20 && value <= 0 : value >= 0 && value <= 20) << "row " << i << ": " << value;
        EXPECT_EQ(s.game.*oldFields[i], value) << "row " << i;
        expectNumber(s.bitmap(targets), i, value);
    }
    EXPECT_FALSE(s.game.window(targets).visible());
}

} // namespace
