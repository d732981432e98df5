// Impacts: the burst and crater of a landed ball, the hit tests, the explosions, falling trees and the
// scores they change.
#include "Ordnix.h"

#include <algorithm>
#include <span>

#include "Check.h"

namespace {
// A line from (dh0, dv0) to (dh1, dv1), relative to a base point.
struct Streak {
    int64_t dh0, dv0, dh1, dv1;
};

// The debris thrown up by a burst in the ground, relative to (X, B).
constexpr Streak burstStreaks[] = {
    {3, 0, -3, -19}, {3, 0, 9, -19},  {2, -1, 0, -25},  {4, -1, 6, -25},  {3, -2, 3, -31},
    {1, -2, -2, -24}, {5, -2, 8, -24}, {0, -2, -4, -19}, {6, -2, 10, -19},
};

// The debris of a building, relative to its base point.
constexpr Streak buildingStreaks[] = {
    {0, 0, -6, -39},  {0, 0, 6, -39},   {-1, -1, -3, -35}, {1, -1, 3, -35},  {0, -2, 0, -47},
    {-2, -2, -5, -30}, {2, -2, 5, -30}, {-3, -2, -7, -26}, {3, -2, 7, -26},
};

constexpr int64_t lowestBurstBase = 275;
constexpr int64_t treePoints = 5;

// Each streak with the pen as it is, followed by a pause.
void drawStreaks(Ordnix& game, std::span<const Streak> streaks, int64_t x, int64_t y, int64_t pause) {
    for (const Streak& streak : streaks) {
        game.moveTo(x + streak.dh0, y + streak.dv0);
        game.lineTo(x + streak.dh1, y + streak.dv1);
        game.host().spin(pause);
    }
}
} // namespace

void Ordnix::groundBurst() {
    const int64_t x = gBallX;
    const int64_t b = std::min(gBallY + 12, lowestBurstBase);
    const int64_t d = std::max(gBallDelay, int64_t{500});
    playSound(gSndGround);

    // Drawn black, then erased two pixels wide: white streaks remain where they crossed the ground.
    for (int pass = 0; pass < 2; ++pass) {
        drawStreaks(*this, burstStreaks, x, b, d);
        penMode(PenMode::patBic);
        penSize(2, 1);
    }
    paintArc(rectTLBR(b - 35, x - 7, b - 15, x + 13), -180, 360);
    penNormal();
    host().spin(25000);

    if (!gTunnels) {
        // Landslide: the ground above the crater thins out, then slides away from the crater upward.
        penPat(dkGray);
        penMode(PenMode::notPatBic);
        paintRect(rectTLBR(50, x - 7, b - 22, x + 13));
        penPat(white);
        penMode(PenMode::patCopy);
        for (int64_t top = b - 23; top >= 52; --top)
            paintRect(rectTLBR(top, x - 7, b - 22, x + 13));
    }
    penNormal();
}

void Ordnix::addToShooter(int64_t leftShooterValue, int64_t rightShooterValue) {
    if (gTurn == 1)
        gScoreL += leftShooterValue;
    else if (gTurn == 2)
        gScoreR += rightShooterValue;
}

void Ordnix::leftCannonDestroyed() {
    gLCanDead = true;
    gLCanHit = true;
    blowUpCannon();
    addToShooter(gValLLCannon, gValRLCannon);
    gBattleOver = true;
    gKilled = 1;
    drawScoreLine();
}

void Ordnix::rightCannonDestroyed() {
    gRCanDead = true;
    gRCanHit = true;
    blowUpCannon();
    addToShooter(gValLRCannon, gValRRCannon);
    gBattleOver = true;
    gKilled = 2;
    drawScoreLine();
}

void Ordnix::leftHospitalDestroyed() {
    gLHospUp = false;
    gLHospHit = true;
    blowUpHospital();
    addToShooter(gValLLHosp, gValRLHosp);
    drawScoreLine();
}

void Ordnix::rightHospitalDestroyed() {
    gRHospUp = false;
    gRHospHit = true;
    blowUpHospital();
    addToShooter(gValLRHosp, gValRRHosp);
    drawScoreLine();
}

void Ordnix::leftPostDestroyed() {
    gLPostUp = false;
    gLPostHit = true;
    blowUpPost();
    addToShooter(gValLLPost, gValRLPost);
    drawScoreLine();
}

void Ordnix::rightPostDestroyed() {
    gRPostUp = false;
    gRPostHit = true;
    blowUpPost();
    addToShooter(gValLRPost, gValRRPost);
    drawScoreLine();
}

void Ordnix::treeFalls(int64_t i, bool& treeSoundPlayed) {
    ORDNIX_CHECK(i >= 2 && i < static_cast<int64_t>(gTreeDown.size()), "trees have indexes 2 to 15");
    const auto index = static_cast<size_t>(i);
    if (!gTreeDown[index]) {
        if (!treeSoundPlayed)
            playSound(gSndTree);
        treeSoundPlayed = true;
        host().spin(30000);
        if (gTreePoly[index])
            fillPoly(gTreePoly[index], white);
        addToShooter(gRambo ? treePoints : -treePoints, gRambo ? treePoints : -treePoints);
    }
    gTreeDown[index] = true;
    drawScoreLine();
}

void Ordnix::checkBuilding(const Rect& area, bool up, bool hit, int64_t baseX, int64_t baseY,
                           void (Ordnix::*destroyed)()) {
    if (emptyRect(area) && !up)
        return;
    if (ptInRect(gHitPt, area))
        (this->*destroyed)();
    else if (!hit && !emptyRect(area) && !getPixel(baseX, baseY))
        (this->*destroyed)();
}

void Ordnix::checkHits() {
    const Point p = gHitPt;

    if (ptInRect(p, gCanLRect))
        leftCannonDestroyed();
    else if (!gLCanDead && !getPixel(gCanLBaseX, gCanLBaseY))
        leftCannonDestroyed();
    if (!gLCanDead)
        drawLeftCannon(); // repairs what the burst erased

    checkBuilding(gLHospRect, gLHospUp, gLHospHit, gHospLBaseX, gHospLBaseY, &Ordnix::leftHospitalDestroyed);
    checkBuilding(gLPostRect, gLPostUp, gLPostHit, gPostLBaseX, gPostLBaseY, &Ordnix::leftPostDestroyed);
    checkBuilding(gRHospRect, gRHospUp, gRHospHit, gHospRBaseX, gHospRBaseY, &Ordnix::rightHospitalDestroyed);
    checkBuilding(gRPostRect, gRPostUp, gRPostHit, gPostRBaseX, gPostRBaseY, &Ordnix::rightPostDestroyed);

    if (!emptyRect(gLHospRect) && gLHospUp)
        drawLeftHospital();
    if (!emptyRect(gRHospRect) && gRHospUp)
        drawRightHospital();
    if (!emptyRect(gLPostRect) && gLPostUp)
        drawLeftPost();
    if (!emptyRect(gRPostRect) && gRPostUp)
        drawRightPost();

    if (ptInRect(p, gCanRRect))
        rightCannonDestroyed();
    else if (!gRCanDead && !getPixel(gCanRBaseX, gCanRBaseY))
        rightCannonDestroyed();
    if (!gRCanDead)
        drawRightCannon();

    ORDNIX_CHECK(gNumTrees < static_cast<int64_t>(gTreeDown.size()), "a field has at most 15 tree slots");
    bool treeSoundPlayed = false;
    for (int64_t i = gNumTrees; i >= 2; --i) {
        const auto index = static_cast<size_t>(i);
        if (ptInRect(p, gTreeRect[index]))
            treeFalls(i, treeSoundPlayed);
        if (!getPixel(gTreeBaseX[index], gTreeBaseY[index]))
            treeFalls(i, treeSoundPlayed);
    }

    do {
        host().idle();
    } while (!soundDone());

    for (int64_t i = gNumTrees; i >= 2; --i) {
        const auto index = static_cast<size_t>(i);
        if (!gTreeDown[index] && gTreePoly[index])
            fillPoly(gTreePoly[index], black); // the burst may have bitten into it
    }
}

void Ordnix::blowUpCannonAt(int64_t x, int64_t y, int64_t pause, int64_t flashPause) {
    for (int i = 0; i < 100; ++i) {
        const int64_t h = x - 15 + randomBelow(30);
        const int64_t v = std::min(y - 70 + randomBelow(70), int64_t{275});
        moveTo(x, y + 14);
        lineTo(h, v);
        drawString("*");
        host().spin(pause);
    }
    const Rect fireball = rectTLBR(y - 90, x - 25, y + 14, x + 30);
    for (int i = 0; i < 12; ++i) {
        invertOval(fireball);
        host().spin(flashPause);
    }
    eraseOval(fireball);
}

void Ordnix::blowUpCannon() {
    playSound(gSndBuilding);
    const bool slow = gBallDelay >= 500;
    const int64_t d = slow ? gBallDelay / 2 : 250;
    const int64_t d2 = slow ? gBallDelay * 2 : 250;
    if (gLCanDead)
        blowUpCannonAt(gCanLX, gCanLY, d, d2);
    if (gRCanDead)
        blowUpCannonAt(gCanRX, gCanRY, d, d2);
    gRCanHit = false;
    gLCanHit = false;
    host().spin(8000);
}

void Ordnix::blowUpBuilding(int64_t x, int64_t y, int64_t pause) {
    drawStreaks(*this, buildingStreaks, x, y, pause);
    penMode(PenMode::patBic);
    drawStreaks(*this, buildingStreaks, x, y, pause);
    // The blast cone is cut out in one sweep.
    for (int64_t k = 0; k <= 9; ++k) {
        moveTo(x, y);
        lineTo(x + k, y - 48);
    }
    for (int64_t k = 10; k >= -9; --k) {
        moveTo(x, y);
        lineTo(x + k, y - 48);
    }
    penNormal();
}

void Ordnix::blowUpHospital() {
    const int64_t d = std::max(gBallDelay, int64_t{1000});
    playSound(gSndBuilding);
    const bool left = gLHospHit;
    blowUpBuilding(left ? gHospLLeft + 15 : gHospRLeft + 15, left ? gHospLTop + 35 : gHospRTop + 35, d);
    Rect& area = left ? gLHospRect : gRHospRect;
    fillRect(area, white);
    area = Rect::zero;
    gLHospHit = false;
    gRHospHit = false;
    playSound(gSndUhOh);
    host().spin(8000);
}

void Ordnix::blowUpPost() {
    const int64_t d = std::max(gBallDelay, int64_t{500});
    playSound(gSndBuilding);
    const bool left = gLPostHit;
    blowUpBuilding(left ? gPostLLeft + 15 : gPostRLeft + 15, left ? gPostLTop + 35 : gPostRTop + 35, d);
    Rect& area = left ? gLPostRect : gRPostRect;
    fillRect(area, white);
    area = Rect::zero;
    gLPostHit = false;
    gRPostHit = false;
    host().spin(8000);
}
