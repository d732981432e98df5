// A battle: its start, the turn loop with the control panel, its end and who opens the next one.
#include "Ordnix.h"

#include "Check.h"

namespace {
constexpr int64_t battleMenu = 262;
constexpr int64_t startBattleItem = 1;
constexpr int64_t stopBattleItem = 2;
constexpr int64_t doItYourselfTerrain = 4;
constexpr int64_t afterShotPause = 20000; // spin passes, twice after each shot
} // namespace

void Ordnix::startBattle() {
    enableItem(battleMenu, 0);
    disableItem(battleMenu, startBattleItem);
    enableItem(battleMenu, stopBattleItem);
    drawMenuBar();

    resetBattle();

    bool editorRan = false;
    if (gTerrain == doItYourselfTerrain) {
        gNumTrees = 0;
        gTop = 0;
        gLeft = 0;
        gBottom = 350;
        gRight = 520;
        gAllRect = rectTLBR(0, 0, 350, 520);
        eraseRect(gAllRect);
        drawScoreLine();
        siteCannons(); // runs the field editor on this terrain
        editorRan = true;
        if (gWindMax >= 1) {
            // The first turn finds the windsock's footing on the hand-made ground.
            gNewField = 1;
            gWindKept = true;
        }
    }

    // A stale cancel from an earlier editor session must not stop a battle on a generated field.
    if (!(editorRan && gCancelled)) {
        drawRightCannon();
        drawLeftCannon();
        gSameShooter = true;
        whoShootsNext();
        doBattle();
    }

    enableItem(battleMenu, 0);
    enableItem(battleMenu, startBattleItem);
    disableItem(battleMenu, stopBattleItem);
    drawMenuBar();
}

void Ordnix::resetBattle() {
    gStopBattle = false;
    gFired = false;
    gBattleOver = false;
    gRCanDead = false;
    gLCanDead = false;
    gElevL = gOldElevL = 0;
    gPowderL = gOldPowderL = 10;
    gElevR = gOldElevR = 0;
    gPowderR = gOldPowderR = 10;
}

void Ordnix::whoShootsNext() {
    // The owner of the cannon destroyed last opens with losers' outs, the other player with winners'.
    if (gKilled == 1)
        gTurn = gLosersOut ? 1 : 2;
    else if (gKilled == 2)
        gTurn = gLosersOut ? 2 : 1;
}

void Ordnix::nextTurn() {
    if (gSameShooter)
        gSameShooter = false;
    else
        gTurn = gTurn == 1 ? 2 : 1;

    if (gTurn == 1) {
        gPanelLeft = 1;
        gPanelRight = 260;
        gBoxLeft = 6;
    } else {
        gPanelLeft = 251;
        gPanelRight = 510;
        gBoxLeft = 256;
    }
}

void Ordnix::drawPanel() {
    gPanelRect = rectTLBR(280, gPanelLeft, 315, gPanelLeft + 259);
    fillRoundRect(gPanelRect, 10, 15, white);
    frameRoundRect(gPanelRect, 10, 15);

    // Labels and numbers are plain 9-point text on every turn, also on the first one after a field
    // whose score line left another size in the port.
    textFont(QuickDraw::FontID::applFont);
    textFace(QuickDraw::Style{});
    textSize(9);

    drawPowderBox();
    gPowLeft = gPowRight;
    gPowRight = gPowLeft + 91;
    gPowSlider = rectTLBR(gPowTop, gPowLeft, gPowBottom, gPowRight);
    frameRect(gPowSlider);

    drawElevationBox();
    gEleLeft = gEleRight;
    gEleRight = gEleLeft + 90;
    gEleSlider = rectTLBR(gEleTop, gEleLeft, gEleBottom, gEleRight);
    frameRect(gEleSlider);

    if (gTurn == 1)
        drawLeftSettings();
    if (gTurn == 2)
        drawRightSettings();

    const int64_t x = gPanelLeft + 195;
    gFireRect = rectTLBR(285, x, 311, x + 50);
    frameRoundRect(gFireRect, 15, 10);
    moveTo(x + 4, 305);
    textSize(18);
    textFace(QuickDraw::Style::bold);
    drawString("Fire");
    textFace(QuickDraw::Style{});
    textSize(9);
}

void Ordnix::shoot() {
    hideCursor();
    if (gTurn == 1)
        fireLeft();
    else
        fireRight();
    if (gLanded) {
        groundBurst();
        checkHits();
    }
    host().spin(afterShotPause);
    host().spin(afterShotPause);
    showCursor();
}

void Ordnix::doBattle() {
    ORDNIX_CHECK(gFieldWindow != nullptr, "a battle is fought on the field window");
    disableMenus();
    for (;;) {
        if (gWindMax >= 1 && !gWindKept)
            drawWindsock();
        if (gWindKept && gTerrain == doItYourselfTerrain)
            drawWindsock();

        nextTurn();
        drawPanel();
        // A click made while the last ball flew (or the field was built) belongs to no control of
        // this panel; without this it would press whatever now lies under the pointer, often "Fire".
        flushEvents(everyEvent, 0);

        // While a player aims, only "STOP A BATTLE" is offered.
        enableItem(battleMenu, 0);
        disableItem(battleMenu, startBattleItem);
        enableItem(battleMenu, stopBattleItem);
        drawMenuBar();
        do {
            stopSound();
            aimCannon();
        } while (!gFired);
        disableItem(battleMenu, 0);
        drawMenuBar();

        if (!gStopBattle && (gTurn == 1 || gTurn == 2))
            shoot();

        fillRoundRect(gPanelRect, 10, 15, black);
        if (gBattleOver) {
            stopSound();
            break;
        }
    }
    enableMenus();
    drawMenuBar();
    setPort(*gFieldWindow);
    gNewField = 1;
}
