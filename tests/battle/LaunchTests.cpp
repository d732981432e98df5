// Rounding to the 16-bit integers of the flight, and the launch figures of a shot.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Ordnix.h"
#include "PascalRound.h"

namespace {

struct RoundCase {
    double x;
    int64_t expected;
};

TEST(PascalRound, HalvesAwayFromZeroWrapsAt16BitsAndNonFiniteIsZero) {
    const double inf = std::numeric_limits<double>::infinity();
    const RoundCase cases[] = {
        {0.0, 0},         {0.49, 0},         {0.5, 1},           {-0.5, -1},       {1.5, 2},
        {2.5, 3},         {-2.5, -3},        {-1.49, -1},        {32767.0, 32767}, {32767.5, -32768},
        {-32768.0, -32768}, {-32768.5, 32767}, {40000.0, 40000 - 65536}, {65536.0, 0}, {65537.4, 1},
        {-65537.0, -1},   {1e300, 0},        {-1e300, 0}, // limited to +-9e18, whose low 16 bits are 0
        {inf, 0},         {-inf, 0},         {std::nan(""), 0},
    };
    for (const RoundCase& c : cases)
        EXPECT_EQ(pascalRound(c.x), c.expected) << "x = " << c.x;
}

struct LaunchCase {
    int64_t powder, elevation, wind;
    int64_t h, v;
};

// Figures worked out from the launch rule: A = 1.5 W + 183 - E in single precision, theta = 0.0195 A,
// cos and sin in single precision, then (P + W) cos and (P + W) sin rounded.
TEST(LaunchFigures, FollowPowderElevationAndEveryWindPush) {
    const LaunchCase cases[] = {
        {50, 45, 0, -45, 22},  {10, 0, 0, -9, -4},    {50, 22, 0, -50, 0},   {100, 22, 0, -100, 0},
        {100, 89, 0, -26, 97}, {50, 22, -5, -45, 7},  {50, 22, -4, -46, 5},  {50, 22, -3, -47, 4},
        {50, 22, -2, -48, 3},  {50, 22, -1, -49, 2},  {50, 22, 1, -51, -1},  {50, 22, 2, -52, -3},
        {50, 22, 3, -53, -5},  {50, 22, 4, -54, -6},  {50, 22, 5, -54, -8},  {50, 45, -5, -37, 25},
        {50, 45, 5, -52, 16},
    };
    for (const LaunchCase& c : cases) {
        const Ordnix::Launch launch = Ordnix::launchFigures(c.powder, c.elevation, c.wind);
        EXPECT_EQ(launch.h, c.h) << "powder " << c.powder << " elevation " << c.elevation << " wind " << c.wind;
        EXPECT_EQ(launch.v, c.v) << "powder " << c.powder << " elevation " << c.elevation << " wind " << c.wind;
    }
}

TEST(LaunchFigures, HorizontalSpeedIsNegativeOverTheWholeRange) {
    // The flight divides by H: it must never be 0 for any powder, elevation and wind push.
    for (int64_t wind = -5; wind <= 5; ++wind)
        for (int64_t elevation = 0; elevation <= 89; ++elevation)
            for (int64_t powder = 10; powder <= 100; powder += 3)
                ASSERT_LT(Ordnix::launchFigures(powder, elevation, wind).h, 0)
                    << "powder " << powder << " elevation " << elevation << " wind " << wind;
}

} // namespace
