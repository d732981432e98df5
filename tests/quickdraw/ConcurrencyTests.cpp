// screenLock: a host thread sampling under the lock sees whole drawing calls only.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "QuickDrawTestSupport.h"

using namespace QuickDraw;

// The drawing thread alternates full-port fills of black and white; call n (from 1) leaves the port
// black when n is odd. A sampler reads changeCount and takes a snapshot under the lock: every image
// must be one colour, and the colour that the count says.
TEST(Concurrency, SnapshotsUnderScreenLockSeeWholeCallsOnly) {
    GrafPort port(512, 322);
    QuickDrawContext qd(port);
    constexpr int64_t calls = 1000;
    std::atomic<bool> done{false};
    std::atomic<int64_t> samples{0};
    int64_t torn = 0;
    int64_t wrongColour = 0;
    std::thread sampler([&] {
        do {
            std::vector<uint8_t> image;
            int64_t count = 0;
            {
                std::lock_guard lock(screenLock());
                count = port.bitmap.changeCount();
                image = port.bitmap.snapshot();
            }
            ++samples;
            const uint8_t first = image.front();
            for (uint8_t pixel : image)
                if (pixel != first) {
                    ++torn;
                    break;
                }
            if (first != (count % 2 == 1 ? 1 : 0))
                ++wrongColour;
            std::this_thread::yield();
        } while (!done.load());
    });
    // Draw only once the sampler runs, so that samples and calls interleave.
    while (samples.load() == 0)
        std::this_thread::yield();
    for (int64_t i = 0; i < calls; ++i) {
        if (i % 2 == 0)
            qd.fillRect(port.portRect, Pattern::black);
        else
            qd.eraseRect(port.portRect);
    }
    done.store(true);
    sampler.join();
    EXPECT_EQ(port.bitmap.changeCount(), calls);
    EXPECT_EQ(torn, 0) << "of " << samples.load() << " samples";
    EXPECT_EQ(wrongColour, 0) << "of " << samples.load() << " samples";
}

// The same for XOR drawing, whose flash marks the sampler also clears: an inversion of the whole port is
// one call, so every sample is uniform (a flashed pixel is shown inverted as a whole too).
TEST(Concurrency, InversionsAreAtomicForTheSampler) {
    GrafPort port(256, 128);
    QuickDrawContext qd(port);
    std::atomic<bool> done{false};
    int64_t torn = 0;
    std::atomic<int64_t> samples{0};
    std::thread sampler([&] {
        do {
            std::vector<uint8_t> image;
            {
                std::lock_guard lock(screenLock());
                image = port.bitmap.snapshot();
            }
            ++samples;
            for (uint8_t pixel : image)
                if (pixel != image.front()) {
                    ++torn;
                    break;
                }
            std::this_thread::yield();
        } while (!done.load());
    });
    // Draw only once the sampler runs, so that samples and calls interleave.
    while (samples.load() == 0)
        std::this_thread::yield();
    for (int i = 0; i < 1000; ++i)
        qd.invertRect(port.portRect);
    done.store(true);
    sampler.join();
    EXPECT_EQ(torn, 0) << "of " << samples.load() << " samples";
}
