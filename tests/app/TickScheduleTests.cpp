// The host's 60 Hz tick on a clock the test controls: every timer fires late by a random dispatch delay.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "TickSchedule.h"

namespace {

TEST(TickSchedule, AMinuteUnderLoadHasThirtySixHundredTicksAndAStallIsNotCaughtUpInABurst) {
    const uint32_t seed = std::random_device{}();
    std::mt19937 random(seed);
    for (const int64_t maxLate : {int64_t{0}, int64_t{4'000}, int64_t{15'000}}) {
        std::uniform_int_distribution<int64_t> late(0, maxLate);
        TickSchedule schedule;
        const int64_t start = 123'456'789;
        int64_t now = start;
        int64_t fireAt = now + schedule.restart(now) * 1000;
        int64_t ticks = 0;
        // Runs ticks until `until`; the wait the schedule asks for is never more than one tick.
        const auto run = [&](int64_t until) {
            for (now = fireAt + late(random); now <= until; now = fireAt + late(random)) {
                ++ticks;
                const int64_t wait = schedule.next(now);
                ASSERT_TRUE(wait >= 0 && wait <= 17) << "wait " << wait << " ms, seed " << seed;
                fireAt = now + wait * 1000;
            }
        };
        run(start + 60'000'000);
        EXPECT_NEAR(ticks, 3600, 2) << "dispatch up to " << maxLate << " us late, seed " << seed;

        // Two seconds without a tick (a stopped process): the next one comes a tick after the stall, and
        // the second after it has its sixty.
        now += 2'000'000;
        const int64_t wait = schedule.next(now);
        EXPECT_TRUE(wait == 16 || wait == 17) << wait;
        fireAt = now + wait * 1000;
        ticks = 0;
        run(now + 1'000'000);
        EXPECT_NEAR(ticks, 60, 1) << "dispatch up to " << maxLate << " us late, seed " << seed;
    }
}

} // namespace
