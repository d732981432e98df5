// Drawing context: transfer modes, pattern anchoring, every painter, pen visibility and recording,
// regions, polygons, clipping and random numbers.
#include <gtest/gtest.h>

#include <random>
#include <string>
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
                SCOPED_TRACE("mode " + std::to_string(rawValue(mode)) + " fill " + testing::PrintToString(r));
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
