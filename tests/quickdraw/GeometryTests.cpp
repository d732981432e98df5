// Value types: Point, Rect, Pattern.
#include <gtest/gtest.h>

#include <vector>

#include "QuickDrawTestSupport.h"

using namespace qdtest;

TEST(Geometry, StorageOrderContainmentInsetAndIntersection) {
    const Rect r(1, 2, 3, 4); // labelled (left, top, right, bottom), stored top, left, bottom, right
    EXPECT_EQ(std::vector<int64_t>({r.top, r.left, r.bottom, r.right}), std::vector<int64_t>({2, 1, 4, 3}));
    EXPECT_EQ(Point(3, 5).v, 5);
    const Rect ten(0, 0, 10, 10);
    for (auto [h, v, inside] : std::vector<std::tuple<int64_t, int64_t, bool>>{
             {0, 0, true}, {9, 9, true}, {10, 0, false}, {0, 10, false}, {-1, 5, false}, {9, 10, false}})
        EXPECT_EQ(ten.contains(Point(h, v)), inside) << "h " << h << " v " << v;
    EXPECT_TRUE(tlbr(0, 0, 0, 5).isEmpty() && tlbr(5, 0, 2, 5).isEmpty() && !tlbr(0, 0, 1, 1).isEmpty());
    EXPECT_EQ(tlbr(5, 7, 2, 3).width(), -4) << "inverted rectangles keep negative extents";
    EXPECT_EQ(tlbr(0, 0, 10, 20).insetBy(2, 3), tlbr(3, 2, 7, 18));
    EXPECT_EQ(tlbr(0, 0, 10, 20).insetBy(-1, -2), tlbr(-2, -1, 12, 21));
    EXPECT_EQ(tlbr(0, 0, 4, 4).insetBy(3, 3), tlbr(3, 3, 1, 1)) << "no normalisation";
    EXPECT_EQ(Rect(kMin, kMin, kMax, kMax).width(), kMax) << "saturates instead of overflowing";
    EXPECT_EQ(Rect(kMin, kMin, kMax, kMax).insetBy(-1, -1), Rect(kMin, kMin, kMax, kMax));
    EXPECT_FALSE(tlbr(0, 0, 10, 10).intersection(tlbr(10, 0, 20, 10)).has_value());
    EXPECT_FALSE(tlbr(0, 0, 10, 10).intersection(tlbr(0, 10, 10, 20)).has_value());
    EXPECT_EQ(tlbr(0, 0, 10, 10).intersection(tlbr(5, -3, 20, 7)), tlbr(5, 0, 10, 7));
}

TEST(Pattern, NamedRowsMostSignificantBitFirstWrappingEverywhere) {
    const std::vector<std::pair<Pattern, std::array<uint8_t, 8>>> named = {
        {Pattern::white, {0, 0, 0, 0, 0, 0, 0, 0}},
        {Pattern::black, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {Pattern::gray, {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55}},
        {Pattern::ltGray, {0x88, 0x22, 0x88, 0x22, 0x88, 0x22, 0x88, 0x22}},
        {Pattern::dkGray, {0x77, 0xDD, 0x77, 0xDD, 0x77, 0xDD, 0x77, 0xDD}},
    };
    for (const auto& [pattern, rows] : named)
        EXPECT_EQ(pattern.rows, rows);
    // Row y sets bit 7 - y, i.e. column y: the diagonal walks the pattern in every direction.
    const Pattern diagonal({0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01});
    for (int64_t y = -16; y < 16; ++y)
        for (int64_t x = -16; x < 16; ++x)
            ASSERT_EQ(diagonal.bit(x, y), ((x - y) & 7) == 0) << x << "," << y;
    EXPECT_EQ(diagonal.bit(kMin, kMin), diagonal.bit(0, 0));
    EXPECT_EQ(diagonal.bit(kMax, kMax), diagonal.bit(7, 7));
}
