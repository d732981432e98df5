// The flight of a ball: launch figures, then one column per step along a parabola until it touches
// black, drops to the bottom or leaves the field at the side.
#include "Ordnix.h"

#include <cmath>

#include "PascalRound.h"

namespace {
constexpr int64_t lowestBallBottom = 281; // a disc reaching this row has dropped out of the field
constexpr int64_t firstProbedRow = 31;    // above it the ball flies over the score line untouched
} // namespace

Ordnix::Launch Ordnix::launchFigures(int64_t powder, int64_t elevation, int64_t wind) {
    const auto p = static_cast<double>(powder + wind);
    const double a = singlePrecision(static_cast<double>(wind) * 1.5 + static_cast<double>(183 - elevation));
    const double theta = singlePrecision(a * 0.0195);
    const double c = singlePrecision(std::cos(theta));
    const double s = singlePrecision(std::sin(theta));
    return Launch{pascalRound(p * c), pascalRound(p * s)};
}

void Ordnix::waitForNextTick() {
    gTicks = tickCount();
    while (tickCount() == gTicks) {
    }
}

void Ordnix::fly(const Flight& flight) {
    gLanded = false;
    const Launch launch = launchFigures(flight.powder, flight.elevation, flight.wind);
    gBallX = flight.muzzleX;
    const auto y0 = static_cast<double>(flight.muzzleY);
    playSound(gSndCannon);

    const auto leftTheSide = [&](int64_t x) { return flight.step > 0 ? x + 2 > 509 : x + 2 < 5; };
    const auto h = static_cast<double>(launch.h);
    const auto v = static_cast<double>(launch.v);
    bool inAir = true;
    for (int64_t t = 1;; ++t) {
        double r = static_cast<double>(t) / h;
        if (flight.singleRatio)
            r = singlePrecision(r);
        const int64_t y = pascalRound(v * r + r * r + y0);
        gBallY = y;
        gBallX += flight.step;
        const int64_t x = gBallX;
        const Rect ball = rectTLBR(y, x, y + 5, x + 5);

        if (y < 1) {
            // Above the window: neither drawn nor probed, and no pause.
            if (leftTheSide(x))
                return;
            inAir = true;
            continue;
        }

        waitForNextTick();
        invertOval(ball);
        if (y >= firstProbedRow) {
            // After the inversion a probe is black exactly where the field under it was white.
            inAir = getPixel(x + 2, y + 4) && getPixel(x + flight.sideProbe, y + 3);
        }

        bool ends = false;
        if (y + 4 >= lowestBallBottom) {
            ends = true;
        } else if (inAir) {
            ends = leftTheSide(x);
        }
        if (!inAir) {
            ends = true;
            gLanded = true;
            gBallX = x + 2;
            gBallY = y + 4;
            gHitPt = Point(x + 2, y + 4);
        }

        host().spin(gBallDelay);
        waitForNextTick();
        invertOval(ball);
        if (ends)
            return;
    }
}

void Ordnix::fireLeft() {
    fly(Flight{gPowderL, gElevL, gWindLeft, gCanLX + gMuzzleLDX, gCanLY + gMuzzleLDY, 1, 0, false});
}

void Ordnix::fireRight() {
    fly(Flight{gPowderR, gElevR, gWindRight, gCanRX + gMuzzleRDX, gCanRY + gMuzzleRDY, -1, 4, true});
}
