// screenLock: a host thread sampling under the lock sees whole drawing calls only.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "QuickDrawTestSupport.h"

using namespace qdtest;

// Call n fills, erases, inverts the whole port or draws text. Each sample taken under the lock with
// changeCount c must be the image after exactly c calls, with the flash rule applied: when an inversion
// ran since the previous sample, pixels equal to that sample's pixels are shown inverted.
TEST(Concurrency, SnapshotsUnderScreenLockSeeWholeCallsOnly) {
    constexpr int64_t calls = 1000;
    const auto draw = [](QuickDrawContext& qd, int64_t n) {
        switch (n % 4) {
        case 0: qd.fillRect(qd.thePort().portRect, Pattern::gray); break;
        case 1: qd.invertRect(qd.thePort().portRect); break;
        case 2: qd.moveTo(4 + (n % 40) * 4, 16 + (n % 3) * 14); qd.drawString("Wg"); break;
        default: if (n % 8 == 3) qd.eraseRect(qd.thePort().portRect);
                 else qd.paintOval(tlbr(n % 30, n % 90, 40, 150));
        }
    };
    Canvas reference(160, 48), canvas(160, 48);
    std::vector<std::vector<uint8_t>> after{reference.port.bitmap.bits()};
    for (int64_t n = 0; n < calls; ++n)
        draw(reference.qd, n), after.push_back(reference.port.bitmap.bits());
    sample(canvas.port.bitmap);
    std::atomic<int64_t> samples{0};
    std::thread game([&] {
        while (samples.load() == 0) // draw only once the sampler runs, so that samples and calls interleave
            std::this_thread::yield();
        for (int64_t n = 0; n < calls; ++n)
            draw(canvas.qd, n), std::this_thread::yield();
    });
    int64_t seen = 0;
    while (seen < calls) {
        int64_t count = 0;
        std::vector<uint8_t> image;
        {
            std::lock_guard lock(screenLock());
            count = canvas.port.bitmap.changeCount();
            image = canvas.port.bitmap.snapshot();
        }
        ++samples;
        if (count < seen || count > calls) {
            ADD_FAILURE() << "change count " << count << " after " << seen;
            break;
        }
        bool inverted = false; // whether calls seen ... count - 1 include an inversion
        for (int64_t n = seen; n < count && !inverted; ++n)
            inverted = n % 4 == 1;
        std::vector<uint8_t> expected = after[static_cast<size_t>(count)];
        for (size_t i = 0; inverted && i < expected.size(); ++i)
            expected[i] ^= expected[i] == after[static_cast<size_t>(seen)][i];
        if (image != expected) {
            ADD_FAILURE() << "sample " << samples.load() << " after " << count << " calls, previous sample after " << seen;
            break;
        }
        seen = count;
        std::this_thread::yield();
    }
    game.join(); // the drawing thread never waits for the sampler once it has started
}
