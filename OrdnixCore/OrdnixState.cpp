// The game object's construction, start-up, main loop and the small helpers every area shares.
#include "Ordnix.h"

#include <cmath>

#include "Check.h"

Ordnix::Ordnix(std::shared_ptr<MacHost> host) : Toolbox(std::move(host)) {}

QuickDraw::Rect Ordnix::rectTLBR(int64_t top, int64_t left, int64_t bottom, int64_t right) {
    return QuickDraw::Rect(left, top, right, bottom);
}

void Ordnix::run() {
    startUp();
    for (;;) {
        if (getNextEvent(everyEvent, gEvent) && gEvent.what == mouseDown) {
            Window* clicked = nullptr;
            if (findWindow(gEvent.where, clicked) == inMenuBar)
                doCommand(menuSelect(gEvent.where));
        }
        if (gNewField == 1)
            buildField();
        if (gQuit)
            break;
    }
    setSoundVol(gOldVolume);
    finished = true;
}

void Ordnix::startUp() {
    getSoundVol(gOldVolume);
    setSoundVol(3);
    initGlobals();
    defaultTargetValues();
    initToolbox();
    setUpMenus();
    siteCannons();
    gQuit = false;
    gSndCannon = SoundRec{sndCannonId};
    gSndGround = SoundRec{sndGroundId};
    gSndUhOh = SoundRec{sndUhOhId};
    gSndBuilding = SoundRec{sndBuildingId};
    gSndTree = SoundRec{sndTreeId};
    gSpeedWindow = &getNewWindow(258);
    gTargetWindow = &getNewWindow(257);
    gFieldWindow = &getNewWindow(256);
    showWindow(*gFieldWindow);
    setPort(*gFieldWindow);
}

void Ordnix::initGlobals() {
    gTunnels = true;
    gCancelled = false;
    gIconMode = false;
    gTree = gTreeFill = gNumTrees = gTerrain = 0;
    gHospitals = gPosts = gTrees = 0;
    gRCanHit = gLCanHit = gRHospHit = gLHospHit = gRPostHit = gLPostHit = false;
    gLHospUp = gRHospUp = gLPostUp = gRPostUp = false;
    gNewField = 1;
    gRoughness = gWindMax = 0;
    gTurn = 1;
    gBattleOver = false;
    gScoreL = gScoreR = 0;
    gRCanDead = gLCanDead = gStopBattle = false;
    gLosersOut = true;
    gKilled = 0;
    gHideSettings = false;
    gRambo = true;
    gWindKept = false;
    gWindLeft = gWindRight = 0;
    gBallDelay = 540;
    gSpeedX = 249;
}

void Ordnix::initToolbox() {
    initCursor();
    flushEvents(everyEvent, 0);

    // The classic clock counts seconds from 1904; the seed is the low 32 bits of that count.
    constexpr double secondsFrom1904To1970 = 2082844800.0;
    const double seconds = host().secondsSince1970() + secondsFrom1904To1970;
    ORDNIX_CHECK(std::isfinite(seconds), "the wall clock reads a finite time");
    // -2^63 itself is a 64-bit count; 2^63 is the first value that is not.
    ORDNIX_CHECK(seconds >= -9223372036854775808.0 && seconds < 9223372036854775808.0,
                 "the wall clock fits a 64-bit count of seconds");
    const auto count = static_cast<int64_t>(seconds);
    setRandSeed(static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(count) & 0xFFFFFFFFu)));

    initRadioGroups();
}

void Ordnix::playSound(const std::optional<SoundRec>& sound) {
    if (sound && host().soundVolume() >= 1)
        host().playSound(sound->id);
}

int64_t Ordnix::randomBelow(int64_t n) {
    ORDNIX_CHECK(n >= 1, "a random range holds at least one value");
    const int64_t m = random() % n;
    return m < 0 ? m + n : m;
}

int64_t Ordnix::groundRow(int64_t h) {
    // Every generated or hand-made column has ground by row 276; the bottom row bounds the scan anyway,
    // so that a column without ground (however it came about) cannot hang the game.
    const int64_t lastRow = currentWindow().port().bitmap.height() - 1;
    int64_t g = 50;
    while (g < lastRow && !getPixel(h, g))
        ++g;
    return g;
}

void Ordnix::drawScoreLine() {
    fillRect(rectTLBR(0, 0, 20, 515), white);
    // The port's text state here is whatever the last drawing left (the initial system font on the
    // first field, the panel's 9-point text later); the heading must not change size between fields.
    textFont(QuickDraw::FontID::applFont);
    textSize(9);
    textFace(QuickDraw::Style::bold);
    moveTo(217, 10);
    drawString("<-SCORE->");
    moveTo(50, 10);
    drawString(numToString(gScoreL));
    moveTo(420, 10);
    drawString(numToString(gScoreR));
    textFace(QuickDraw::Style{});
}

void Ordnix::buildField() {
    gFired = false;
    gTop = 0;
    gLeft = 0;
    gBottom = 350;
    gRight = 520;
    gAllRect = rectTLBR(0, 0, 350, 520);
    eraseRect(gAllRect);
    gFrame = gAllRect;
    setCursor(CursorKind::watch);
    openPicture(gFrame);
    showPen();

    if (gTerrain != 4) {
        gNumTrees = 0;
        siteCannons();
        drawGround();
        drawRightCannon();
        drawLeftCannon();
        placeTargets();
        if (gWindMax >= 1)
            drawWindsock();
    } else {
        textFont(QuickDraw::FontID::systemFont);
        textFace(QuickDraw::Style::bold);
        textSize(12);
        moveTo(185, 100);
        drawString("\"Do It Yourself\" ");
        textFont(QuickDraw::FontID::applFont);
        textFace(QuickDraw::Style{});
        textSize(9);
        moveTo(85, 120);
        drawString("Next time you \"Start a Battle\" you will draw your own terrain and targets.");
    }

    drawScoreLine();
    closePicture();
    initCursor();
    hidePen();
    gNewField = 0;
}
