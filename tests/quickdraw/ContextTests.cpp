// Bitmap, snapshots and the drawing context: pixels, the flash rule, regions, transfer modes, the pen,
// clipping and random numbers.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "QuickDrawTestSupport.h"

using namespace qdtest;

namespace {
// Each mode's truth table: the new pixel for (d 0, p 1), (d 0, p 0), (d 1, p 1), (d 1, p 0); whether it flashes.
const std::vector<std::tuple<PenMode, std::string, bool>> kModes = {
    {PenMode::patCopy, "#.#.", false},    {PenMode::patOr, "#.##", false},    {PenMode::patXor, "#..#", true},
    {PenMode::patBic, "...#", false},     {PenMode::notPatCopy, ".#.#", false}, {PenMode::notPatOr, ".###", false},
    {PenMode::notPatXor, ".##.", true},   {PenMode::notPatBic, "..#.", false},
};
} // namespace

// Runs at every alignment over a random destination, pixel for pixel against the truth tables.
TEST(Context, TransferModesFollowTheirTruthTables) {
    const uint32_t seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    for (const auto& [mode, result, flashes] : kModes)
        for (const Pattern& pattern : {Pattern::white, Pattern::black, Pattern::gray, Pattern::dkGray,
                                       Pattern({0x01, 0x80, 0x0F, 0xF0, 0x3C, 0xC3, 0x00, 0xFF})})
            for (const Rect& r : {tlbr(0, 0, 9, 600), tlbr(1, 3, 8, 597), tlbr(2, 7, 5, 270), tlbr(0, 5, 9, 12)}) {
                SCOPED_TRACE(testing::Message() << "mode " << rawValue(mode) << " fill left " << r.left << " top " << r.top
                                                << " right " << r.right << " bottom " << r.bottom);
                Canvas canvas(600, 9);
                for (int64_t y = 0; y < 9; ++y)
                    for (int64_t x = 0; x < 600; ++x)
                        canvas.port.bitmap.setPixel(x, y, (rng() & 1) != 0);
                const std::vector<uint8_t> before = canvas.port.bitmap.bits();
                canvas.qd.penPat(pattern), canvas.qd.penMode(mode), canvas.qd.paintRect(r);
                EXPECT_EQ(canvas.port.bitmap.hasFlashes(), flashes);
                for (int64_t y = 0; y < 9; ++y)
                    for (int64_t x = 0; x < 600; ++x) {
                        const bool d = before[static_cast<size_t>(y * 600 + x)] != 0, in = r.contains(Point(x, y));
                        const bool want = result[static_cast<size_t>(2 * d + !pattern.bit(x, y))] == '#';
                        ASSERT_EQ(canvas.port.bitmap.pixel(x, y), in ? want : d) << "pixel " << x << "," << y;
                    }
            }
}

TEST(Context, PenNormalAndLines) {
    Canvas canvas(6, 3);
    QuickDrawContext& qd = canvas.qd;
    qd.penSize(3, 4), qd.penMode(PenMode::notPatOr), qd.penPat(Pattern::dkGray), qd.hidePen(), qd.moveTo(10, 5);
    qd.penNormal(); // leaves visibility and location alone
    EXPECT_EQ(std::tie(canvas.port.pnSize, canvas.port.pnMode, canvas.port.pnPat, canvas.port.pnVis, canvas.port.pnLoc),
              std::make_tuple(PenSize{1, 1}, PenMode::patCopy, Pattern::black, -1, Point(10, 5)));
    qd.showPen(), qd.moveTo(0, 0), qd.lineTo(5, 2);
    EXPECT_EQ(canvas.rows(), (Rows{"##....", "..##..", "....##"}));
    EXPECT_EQ(canvas.port.pnLoc, Point(5, 2)) << "a line leaves the pen at its end";
}

TEST(Context, ClippingToPortRectAndBitmap) {
    Canvas canvas(8, 6);
    canvas.port.portRect = tlbr(1, 2, 4, 20);
    canvas.qd.paintRect(tlbr(-5, -5, 50, 50));
    EXPECT_EQ(canvas.rows(), (Rows{"........", "..######", "..######", "..######", "........", "........"}));
    canvas.port.portRect = tlbr(-10, -10, -1, -1); // off the bitmap: everything clipped, the call still counts
    const Rows rows = canvas.rows();
    canvas.qd.paintRect(tlbr(0, 0, 6, 8));
    EXPECT_EQ(canvas.rows(), rows);
    EXPECT_EQ(canvas.count(), 2);
}

TEST(Random, MinimalStandardSequenceFromSeedOne) {
    GrafPort port(1, 1);
    QuickDrawContext qd(port);
    EXPECT_EQ(qd.randSeed, 1);
    for (int64_t seed : {16807, 282475249, 1622650073, 984943658, 1144108930, 470211272, 101027544, 1457850878,
                         1458777923, 2007237709}) {
        const auto low = static_cast<uint16_t>(seed & 0xFFFF); // the low half word, signed; 0x8000 answers 0
        EXPECT_EQ(qd.random(), low == 0x8000 ? 0 : static_cast<int16_t>(low));
        EXPECT_EQ(qd.randSeed, seed);
    }
    // The seed whose successor's low half word is 0x8000 answers 0, not -32768.
    constexpr int32_t before = 728562614;
    static_assert(int64_t{before} * 16807 % 0x7FFFFFFF == 0x18000);
    qd.randSeed = before;
    EXPECT_EQ(qd.random(), 0);
    EXPECT_EQ(qd.randSeed, 0x18000);
}

TEST(Bitmap, PixelsAreRowMajorWhiteOutsideAndCounted) {
    Bitmap bitmap(5, 3);
    bitmap.setPixel(4, 1, true), bitmap.setPixel(0, 2, true);
    std::vector<uint8_t> expected(15, 0);
    expected[1 * 5 + 4] = expected[2 * 5 + 0] = 1;
    EXPECT_EQ(bitmap.bits(), expected);
    EXPECT_EQ(bitmap.changeCount(), 2);
    // The dump reaches outside the bitmap on every side.
    EXPECT_EQ(bitmap.dump(tlbr(-1, -1, 4, 6)), (Rows{".......", ".......", ".....#.", ".#.....", "......."}));
    for (auto [x, y] : std::vector<std::pair<int64_t, int64_t>>{{-1, 0}, {0, -1}, {5, 1}, {0, 3}, {kMin, kMin}, {kMax, kMax}}) {
        EXPECT_FALSE(bitmap.pixel(x, y));
        bitmap.setPixel(x, y, true);
    }
    EXPECT_EQ(bitmap.changeCount(), 2) << "writes outside the bitmap change nothing";
}

// Scripts over a 2 x 1 bitmap: 'P' paints pixel 0 black, 'a'/'b' XOR pixel 0/1, 'S' samples and checks the
// next expected image. A flashed pixel equal to the previous sample's pixels is shown inverted once.
TEST(Snapshot, FlashRuleComparesWithThePreviousSample) {
    const std::vector<std::pair<std::string, std::vector<std::vector<uint8_t>>>> cases = {
        {"SaaSS", {{0, 0}, {1, 0}, {0, 0}}},         // drawn and undone between samples: shown once
        {"SbS", {{0, 0}, {0, 1}}},                   // XOR once: the new state, no extra inversion
        {"SPaabbS", {{0, 0}, {1, 1}}},               // pixel 0 differs from the sample, pixel 1 does not
        {"SPSaaSS", {{0, 0}, {1, 0}, {0, 0}, {1, 0}}}, // the last sample counts, not the painting
    };
    for (const auto& [script, images] : cases) {
        SCOPED_TRACE(script);
        Canvas canvas(2, 1);
        size_t next = 0;
        for (char op : script) {
            if (op == 'S') {
                EXPECT_EQ(sample(canvas.port.bitmap), images.at(next++)) << "sample " << next;
                continue;
            }
            canvas.qd.penMode(op == 'P' ? PenMode::patCopy : PenMode::patXor), canvas.qd.paintRect(tlbr(0, op == 'b', 1, 1 + (op == 'b')));
        }
    }
}

TEST(Region, ContainsAnyCoveringSpan) {
    Region region;
    region.spans = {Span{2, 5, 8}, Span{2, 0, 1}, Span{3, 4, 4}};
    for (auto [x, y, inside] : std::vector<std::tuple<int64_t, int64_t, bool>>{
             {5, 2, true}, {7, 2, true}, {8, 2, false}, {0, 2, true}, {4, 3, false}, {5, 1, false}})
        EXPECT_EQ(region.contains(x, y), inside) << x << "," << y;
}
