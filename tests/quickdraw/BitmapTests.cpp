// Bitmap: pixels, dump, change count, the flash snapshot and the port defaults.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "QuickDrawTestSupport.h"

using namespace QuickDraw;
using qdtest::tlbr;

namespace {
constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
constexpr int64_t kMax = std::numeric_limits<int64_t>::max();

// XOR-draws one pixel through the drawing context, the way the host sees flashes happen.
void xorPixel(QuickDrawContext& qd, int64_t x, int64_t y) {
    qd.penMode(PenMode::patXor);
    qd.paintRect(Rect(x, y, x + 1, y + 1));
}

uint8_t at(const std::vector<uint8_t>& image, const Bitmap& bitmap, int64_t x, int64_t y) {
    return image[static_cast<size_t>(y * bitmap.width() + x)];
}
} // namespace

TEST(Bitmap, NewBitmapIsWhiteAndDumpsDots) {
    Bitmap bitmap(4, 2);
    EXPECT_EQ(bitmap.width(), 4);
    EXPECT_EQ(bitmap.height(), 2);
    EXPECT_EQ(bitmap.bits(), std::vector<uint8_t>(8, 0));
    EXPECT_EQ(bitmap.changeCount(), 0);
    EXPECT_FALSE(bitmap.hasFlashes());
    EXPECT_EQ(bitmap.dump(tlbr(0, 0, 2, 4)), (std::vector<std::string>{"....", "...."}));
    EXPECT_EQ(bitmap.dump(tlbr(-1, -1, 0, 0)), (std::vector<std::string>{"."}));
    EXPECT_TRUE(bitmap.dump(tlbr(1, 0, 1, 4)).empty());
    EXPECT_EQ(Bitmap(0, 0).bits().size(), 0u);
}

TEST(Bitmap, PixelsAreRowMajorAndOutsideIsWhite) {
    Bitmap bitmap(5, 3);
    bitmap.setPixel(4, 1, true);
    bitmap.setPixel(0, 2, true);
    EXPECT_EQ(bitmap.changeCount(), 2);
    const std::vector<uint8_t> bits = bitmap.bits();
    EXPECT_EQ(bits[1 * 5 + 4], 1);
    EXPECT_EQ(bits[2 * 5 + 0], 1);
    EXPECT_EQ(std::count(bits.begin(), bits.end(), 1), 2);
    EXPECT_TRUE(bitmap.pixel(4, 1));
    EXPECT_FALSE(bitmap.pixel(3, 1));
    // The dump reaches outside the bitmap on every side.
    EXPECT_EQ(bitmap.dump(tlbr(-1, -1, 4, 6)),
              (std::vector<std::string>{".......", ".......", ".....#.", ".#.....", "......."}));
    for (auto [x, y] : std::vector<std::pair<int64_t, int64_t>>{{-1, 0}, {0, -1}, {5, 0}, {0, 3}, {kMin, kMin}, {kMax, kMax}}) {
        EXPECT_FALSE(bitmap.pixel(x, y));
        bitmap.setPixel(x, y, true);
    }
    EXPECT_EQ(bitmap.changeCount(), 2) << "writes outside the bitmap change nothing";
    bitmap.setPixel(4, 1, false);
    EXPECT_FALSE(bitmap.pixel(4, 1));
    EXPECT_EQ(bitmap.changeCount(), 3);
    EXPECT_FALSE(bitmap.hasFlashes()) << "setPixel marks nothing flashed";
}

TEST(BitmapDeathTest, PreconditionFailuresAbortNamingTheCondition) {
    EXPECT_DEATH(Bitmap(-1, 5), "not negative");
    EXPECT_DEATH(Bitmap(5, -1), "not negative");
    EXPECT_DEATH(Bitmap(-2, -3), "not negative");
    EXPECT_DEATH(Bitmap(kMax, 2), "fits in int64");
    EXPECT_DEATH(Bitmap(1LL << 32, 1LL << 32), "fits in int64");
    Bitmap bitmap(4, 4);
    EXPECT_DEATH(bitmap.dump(tlbr(2, 0, 1, 4)), "bottom is not above its top");
    EXPECT_DEATH(bitmap.dump(tlbr(0, 3, 4, 2)), "right is not left of its left");
    EXPECT_DEATH(bitmap.dump(Rect(kMin, kMin, kMax, kMax)), "printable size");
}

TEST(Snapshot, UnflashedSnapshotIsThePixels) {
    GrafPort port(8, 4);
    QuickDrawContext qd(port);
    qd.paintRect(tlbr(1, 2, 3, 5));
    const int64_t count = port.bitmap.changeCount();
    std::vector<uint8_t> image;
    {
        std::lock_guard lock(screenLock());
        image = port.bitmap.snapshot();
    }
    EXPECT_EQ(image, port.bitmap.bits());
    EXPECT_EQ(port.bitmap.changeCount(), count) << "a snapshot is not a change";
}

TEST(Snapshot, XorTwiceBetweenSamplesShowsOnceThenClears) {
    GrafPort port(4, 4);
    QuickDrawContext qd(port);
    auto sample = [&] {
        std::lock_guard lock(screenLock());
        return port.bitmap.snapshot();
    };
    sample();
    xorPixel(qd, 1, 2);
    xorPixel(qd, 1, 2);
    EXPECT_FALSE(port.bitmap.pixel(1, 2));
    EXPECT_TRUE(port.bitmap.hasFlashes());
    const auto second = sample();
    EXPECT_EQ(at(second, port.bitmap, 1, 2), 1) << "drawn and undone between samples: shown once";
    EXPECT_EQ(std::count(second.begin(), second.end(), 1), 1);
    EXPECT_FALSE(port.bitmap.hasFlashes());
    const auto third = sample();
    EXPECT_EQ(at(third, port.bitmap, 1, 2), 0);
    EXPECT_EQ(third, port.bitmap.bits());
}

TEST(Snapshot, XorOnceShowsTheNewStateWithoutExtraInversion) {
    GrafPort port(4, 4);
    QuickDrawContext qd(port);
    {
        std::lock_guard lock(screenLock());
        port.bitmap.snapshot();
    }
    xorPixel(qd, 3, 0);
    std::lock_guard lock(screenLock());
    const auto image = port.bitmap.snapshot();
    EXPECT_EQ(at(image, port.bitmap, 3, 0), 1);
    EXPECT_EQ(image, port.bitmap.bits());
}

TEST(Snapshot, ComparesWithTheLastSampleNotWithTheFirstDrawing) {
    // A pixel painted black (no flash) after a sample, then XOR-ed twice: it equals its state at the
    // painting, but differs from the last sample, so it is shown as it is.
    GrafPort port(4, 1);
    QuickDrawContext qd(port);
    {
        std::lock_guard lock(screenLock());
        port.bitmap.snapshot();
    }
    qd.paintRect(tlbr(0, 0, 1, 1));
    xorPixel(qd, 0, 0);
    xorPixel(qd, 0, 0);
    // Pixel 1: XOR-ed twice, unchanged since the sample: shown inverted.
    xorPixel(qd, 1, 0);
    xorPixel(qd, 1, 0);
    std::lock_guard lock(screenLock());
    const auto image = port.bitmap.snapshot();
    EXPECT_EQ(image, (std::vector<uint8_t>{1, 1, 0, 0}));
    EXPECT_EQ(port.bitmap.bits(), (std::vector<uint8_t>{1, 0, 0, 0}));
}

TEST(Snapshot, LastSeenFollowsSamplesAcrossDrawing) {
    // Sample 1 sees white; the pixel is painted black and sampled (sample 2); then XOR twice: it equals
    // sample 2, so sample 3 shows it inverted (white) once; sample 4 shows black again.
    GrafPort port(2, 1);
    QuickDrawContext qd(port);
    auto sample = [&] {
        std::lock_guard lock(screenLock());
        return port.bitmap.snapshot();
    };
    sample();
    qd.paintRect(tlbr(0, 0, 1, 1));
    EXPECT_EQ(sample(), (std::vector<uint8_t>{1, 0}));
    xorPixel(qd, 0, 0);
    xorPixel(qd, 0, 0);
    EXPECT_EQ(sample(), (std::vector<uint8_t>{0, 0}));
    EXPECT_EQ(sample(), (std::vector<uint8_t>{1, 0}));
}

TEST(GrafPort, NewPortDefaults) {
    GrafPort port(30, 20);
    EXPECT_EQ(port.bitmap.width(), 30);
    EXPECT_EQ(port.bitmap.height(), 20);
    EXPECT_EQ(port.portRect, tlbr(0, 0, 20, 30));
    EXPECT_EQ(port.pnLoc, Point::zero);
    EXPECT_EQ(port.pnSize, (PenSize{1, 1}));
    EXPECT_EQ(port.pnMode, PenMode::patCopy);
    EXPECT_EQ(port.pnPat, Pattern::black);
    EXPECT_EQ(port.pnVis, 0);
    EXPECT_EQ(port.txFont, FontID::systemFont);
    EXPECT_TRUE(port.txFace.isEmpty());
    EXPECT_EQ(port.txSize, 0);
    EXPECT_FALSE(port.regionEdges.has_value());
    EXPECT_EQ(port.polygon, nullptr);
}

TEST(Region, ContainsAnyCoveringSpan) {
    Region region;
    EXPECT_FALSE(region.contains(0, 0));
    region.spans = {Span{2, 5, 8}, Span{2, 0, 1}, Span{3, 4, 4}};
    EXPECT_TRUE(region.contains(5, 2));
    EXPECT_TRUE(region.contains(7, 2));
    EXPECT_FALSE(region.contains(8, 2));
    EXPECT_TRUE(region.contains(0, 2));
    EXPECT_FALSE(region.contains(4, 3)) << "an empty span covers nothing";
    EXPECT_FALSE(region.contains(5, 1));
}
