#include "ShotSimulator.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "Ordnix.h"
#include "VirtualHost.h"

namespace {

// Every field that the flight, the burst and the scoring read or change. Window pointers, dialogs and
// menus stay the copy's own.
void copyShotState(const Ordnix& from, Ordnix& to) {
#define ORDNIX_COPY(field) to.field = from.field;
    ORDNIX_COPY(gTop) ORDNIX_COPY(gLeft) ORDNIX_COPY(gBottom) ORDNIX_COPY(gRight)
    ORDNIX_COPY(gAllRect) ORDNIX_COPY(gFrame)
    ORDNIX_COPY(gTerrain) ORDNIX_COPY(gTunnels) ORDNIX_COPY(gRambo) ORDNIX_COPY(gIconMode)
    ORDNIX_COPY(gHideSettings) ORDNIX_COPY(gBallDelay)
    ORDNIX_COPY(gTreePoly) ORDNIX_COPY(gTreeDown) ORDNIX_COPY(gTreeRect) ORDNIX_COPY(gTreeBaseX)
    ORDNIX_COPY(gTreeBaseY) ORDNIX_COPY(gNumTrees)
    ORDNIX_COPY(gCanLX) ORDNIX_COPY(gCanLY) ORDNIX_COPY(gCanRX) ORDNIX_COPY(gCanRY)
    ORDNIX_COPY(gMuzzleLDX) ORDNIX_COPY(gMuzzleLDY) ORDNIX_COPY(gMuzzleRDX) ORDNIX_COPY(gMuzzleRDY)
    ORDNIX_COPY(gCanLBaseX) ORDNIX_COPY(gCanLBaseY) ORDNIX_COPY(gCanRBaseX) ORDNIX_COPY(gCanRBaseY)
    ORDNIX_COPY(gCanLRect) ORDNIX_COPY(gCanRRect)
    ORDNIX_COPY(gHospLTop) ORDNIX_COPY(gHospLLeft) ORDNIX_COPY(gHospRTop) ORDNIX_COPY(gHospRLeft)
    ORDNIX_COPY(gPostLTop) ORDNIX_COPY(gPostLLeft) ORDNIX_COPY(gPostRTop) ORDNIX_COPY(gPostRLeft)
    ORDNIX_COPY(gHospLBaseX) ORDNIX_COPY(gHospLBaseY) ORDNIX_COPY(gHospRBaseX) ORDNIX_COPY(gHospRBaseY)
    ORDNIX_COPY(gPostLBaseX) ORDNIX_COPY(gPostLBaseY) ORDNIX_COPY(gPostRBaseX) ORDNIX_COPY(gPostRBaseY)
    ORDNIX_COPY(gLHospRect) ORDNIX_COPY(gRHospRect) ORDNIX_COPY(gLPostRect) ORDNIX_COPY(gRPostRect)
    ORDNIX_COPY(gLHospUp) ORDNIX_COPY(gRHospUp) ORDNIX_COPY(gLPostUp) ORDNIX_COPY(gRPostUp)
    ORDNIX_COPY(gWindMax) ORDNIX_COPY(gWindDir) ORDNIX_COPY(gWindSpeed) ORDNIX_COPY(gWindLeft)
    ORDNIX_COPY(gWindRight)
    ORDNIX_COPY(gPowderL) ORDNIX_COPY(gOldPowderL) ORDNIX_COPY(gElevL) ORDNIX_COPY(gOldElevL)
    ORDNIX_COPY(gPowderR) ORDNIX_COPY(gOldPowderR) ORDNIX_COPY(gElevR) ORDNIX_COPY(gOldElevR)
    ORDNIX_COPY(gLCanHit) ORDNIX_COPY(gRCanHit) ORDNIX_COPY(gLHospHit) ORDNIX_COPY(gRHospHit)
    ORDNIX_COPY(gLPostHit) ORDNIX_COPY(gRPostHit) ORDNIX_COPY(gLCanDead) ORDNIX_COPY(gRCanDead)
    ORDNIX_COPY(gTurn) ORDNIX_COPY(gKilled) ORDNIX_COPY(gBattleOver) ORDNIX_COPY(gStopBattle)
    ORDNIX_COPY(gScoreL) ORDNIX_COPY(gScoreR)
    ORDNIX_COPY(gValLLCannon) ORDNIX_COPY(gValLRCannon) ORDNIX_COPY(gValLLHosp) ORDNIX_COPY(gValLRHosp)
    ORDNIX_COPY(gValLLPost) ORDNIX_COPY(gValLRPost)
    ORDNIX_COPY(gValRLCannon) ORDNIX_COPY(gValRRCannon) ORDNIX_COPY(gValRLHosp) ORDNIX_COPY(gValRRHosp)
    ORDNIX_COPY(gValRLPost) ORDNIX_COPY(gValRRPost)
#undef ORDNIX_COPY
}

// A host for the copy: silent, and each idle waits out a whole tick, so a flight costs only its
// drawing, never a simulated wait.
std::shared_ptr<VirtualHost> makeSilentHost() {
    auto host = std::make_shared<VirtualHost>();
    host->setIdleMicroseconds(VirtualHost::microsPerSecond / VirtualHost::ticksPerSecond + 1);
    host->setVolume(0);
    host->setRandSeed(1);
    return host;
}

} // namespace

int64_t ShotSimulator::Outcome::rank() const {
    constexpr int64_t cannonWeight = int64_t{1} << 40;
    constexpr int64_t pointWeight = int64_t{1} << 20;
    int64_t r = 0;
    if (ownCannonDestroyed)
        r -= 2 * cannonWeight;
    else if (enemyCannonDestroyed)
        r += cannonWeight;
    return r + scoreChange * pointWeight - missDistance;
}

ShotSimulator::ShotSimulator()
    : host_(makeSilentHost()), copy_(std::make_unique<Ordnix>(host_)), saved_(std::make_unique<Ordnix>(host_)) {
    copy_->startUp();
    copy_->setSoundVol(0);
}

ShotSimulator::~ShotSimulator() = default;

void ShotSimulator::load(const Ordnix& live) {
    copyShotState(live, *saved_);
    const QuickDraw::Bitmap& from = live.gFieldWindow->port().bitmap;
    std::lock_guard<std::mutex> lock(QuickDraw::screenLock());
    pixels_.assign(from.pixels().begin(), from.pixels().end());
}

ShotSimulator::Outcome ShotSimulator::fly(int64_t shooter, Shot shot) {
    Ordnix& game = *copy_;
    copyShotState(*saved_, game);
    {
        QuickDraw::Bitmap& to = game.gFieldWindow->port().bitmap;
        std::lock_guard<std::mutex> lock(QuickDraw::screenLock());
        std::memcpy(to.writablePixels(), pixels_.data(), std::min(pixels_.size(), to.pixels().size()));
        to.countChange();
    }
    game.setPort(*game.gFieldWindow);
    game.penNormal();
    game.gTurn = shooter;
    game.gKilled = 0;
    // As a press on the panel sets them: the barrel is redrawn for the new elevation.
    if (shooter == 1) {
        game.gPowderL = shot.powder;
        game.gElevL = shot.elevation;
        game.drawLeftCannon();
    } else {
        game.gPowderR = shot.powder;
        game.gElevR = shot.elevation;
        game.drawRightCannon();
    }
    const int64_t before = shooter == 1 ? game.gScoreL : game.gScoreR;
    if (shooter == 1)
        game.fireLeft();
    else
        game.fireRight();
    if (game.gLanded) {
        game.groundBurst();
        game.checkHits();
    }
    ++shotsFlown_;

    Outcome out;
    out.landed = game.gLanded;
    const bool leftDead = game.gLCanDead && !saved_->gLCanDead;
    const bool rightDead = game.gRCanDead && !saved_->gRCanDead;
    out.enemyCannonDestroyed = shooter == 1 ? rightDead : leftDead;
    out.ownCannonDestroyed = shooter == 1 ? leftDead : rightDead;
    out.scoreChange = (shooter == 1 ? game.gScoreL : game.gScoreR) - before;
    const int64_t enemyX = shooter == 1 ? game.gCanRBaseX : game.gCanLBaseX;
    const int64_t enemyY = shooter == 1 ? game.gCanRBaseY : game.gCanLBaseY;
    // A lost ball ranks below every landed one, the farther it flew the better (it shows the range).
    out.missDistance = out.landed ? std::abs(game.gHitPt.h - enemyX) + std::abs(game.gHitPt.v - enemyY)
                                  : 10000 - std::abs(game.gBallX - (shooter == 1 ? game.gCanLX : game.gCanRX));
    return out;
}

std::pair<ShotSimulator::Shot, ShotSimulator::Outcome> ShotSimulator::bestShot(int64_t shooter) {
    struct Tried {
        Shot shot;
        Outcome outcome;
    };
    std::vector<Tried> coarse;
    constexpr int64_t powderStep = 6, elevationStep = 4;
    for (int64_t p = minPowder; p <= maxPowder; p += powderStep)
        for (int64_t e = minElevation; e <= maxElevation; e += elevationStep)
            coarse.push_back({Shot{p, e}, fly(shooter, Shot{p, e})});
    const auto better = [](const Tried& a, const Tried& b) { return a.outcome.rank() > b.outcome.rank(); };
    std::stable_sort(coarse.begin(), coarse.end(), better);

    Tried best = coarse.front();
    constexpr size_t refined = 3;
    for (size_t i = 0; i < std::min(refined, coarse.size()); ++i) {
        const Shot centre = coarse[i].shot;
        for (int64_t p = std::max(minPowder, centre.powder - powderStep / 2);
             p <= std::min(maxPowder, centre.powder + powderStep / 2); ++p)
            for (int64_t e = std::max(minElevation, centre.elevation - elevationStep / 2);
                 e <= std::min(maxElevation, centre.elevation + elevationStep / 2); ++e) {
                const Tried t{Shot{p, e}, fly(shooter, Shot{p, e})};
                if (better(t, best))
                    best = t;
            }
    }
    return {best.shot, best.outcome};
}
