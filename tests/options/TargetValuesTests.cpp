// The target values screen: presses on and beside the sliders, beeps outside the field rectangle.
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
};

Row row(int64_t i) {
    static const int64_t defaults[13] = {0, -20, 10, -20, -10, -20, 20, 10, -20, -10, -20, 20, -20};
    // Penalty rows: hitting one's own targets, and a hospital of either side.
    static const bool negative[13] = {false, true, false, true, true, true, false, false, true, true, true, false, true};
    const int64_t top = 45 + 35 * ((i - 1) % 6), boxLeft = i <= 6 ? 20 : 340;
    return Row{top, top + 15, boxLeft, boxLeft + 29, boxLeft + 111, negative[i], defaults[i]};
}

int64_t Ordnix::* const valueFields[13] = {nullptr, &Ordnix::gValLLCannon, &Ordnix::gValLRCannon, &Ordnix::gValLLHosp,
    &Ordnix::gValLRHosp, &Ordnix::gValLLPost, &Ordnix::gValLRPost, &Ordnix::gValRLCannon, &Ordnix::gValRRCannon,
    &Ordnix::gValRLHosp, &Ordnix::gValRRHosp, &Ordnix::gValRLPost, &Ordnix::gValRRPost};

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

void expectValues(const Ordnix& g, std::map<int64_t, int64_t> changed = {}) {
    for (int64_t i = 1; i <= 12; ++i) {
        const int64_t expected = changed.count(i) ? changed[i] : row(i).defaultValue;
        EXPECT_EQ(g.*valueFields[i], expected) << "row " << i;
    }
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
        ASSERT_TRUE(onScreen(s, 259, 5, targets, okH, okV,
                             [&](ScriptedHost& host) { press(host, targets, h, row(i).top + dv); }));
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
        ASSERT_TRUE(onScreen(s, 259, 5, targets, okH, okV, [&](ScriptedHost& host) {
            host.clickAt(targets, h, v);
            host.waitTicks(2);
            host.perform("look at the screen", [&](ScriptedHost& hs) { open = hs.windowShown(targets); });
        }));
        EXPECT_TRUE(open);
        EXPECT_EQ(s.host->beeps(), beeps);
        expectValues(s.game);
        // Row 2 still shows its default 10: gray to left + 1 + 4 * 10.
        expectSlider(s.bitmap(targets), 2, row(2).left + 41, row(2).left + 41);
        expectNumber(s.bitmap(targets), 2, 10);
    }
}

} // namespace
