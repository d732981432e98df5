// Bitmap: pixels, dump, change count, the flash rule of snapshots, port defaults and regions.
#include <gtest/gtest.h>

#include <vector>

#include "QuickDrawTestSupport.h"

using namespace qdtest;

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
                ASSERT_LT(next, images.size());
                EXPECT_EQ(sample(canvas.port.bitmap), images[next++]) << "sample " << next;
                continue;
            }
            canvas.qd.penMode(op == 'P' ? PenMode::patCopy : PenMode::patXor), canvas.qd.paintRect(tlbr(0, op == 'b', 1, 1 + (op == 'b')));
        }
        EXPECT_EQ(next, images.size());
    }
}

TEST(Region, ContainsAnyCoveringSpan) {
    Region region;
    region.spans = {Span{2, 5, 8}, Span{2, 0, 1}, Span{3, 4, 4}};
    for (auto [x, y, inside] : std::vector<std::tuple<int64_t, int64_t, bool>>{
             {5, 2, true}, {7, 2, true}, {8, 2, false}, {0, 2, true}, {4, 3, false}, {5, 1, false}})
        EXPECT_EQ(region.contains(x, y), inside) << x << "," << y;
}
