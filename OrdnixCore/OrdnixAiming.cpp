// Aiming: the control panel's boxes, sliders and numbers, the aiming loop, and the wind with its windsock.
#include "Ordnix.h"

#include "Check.h"

#include <algorithm>

namespace {
constexpr int64_t doItYourselfTerrain = 4;
constexpr int64_t sockColumn = 255;
} // namespace

void Ordnix::drawPowderBox() {
    gPowLeft = gBoxLeft;
    gPowTop = 285;
    gPowRight = gBoxLeft + 89;
    gPowBottom = 296;
    gBoxRect = rectTLBR(gPowTop, gPowLeft, gPowBottom, gPowRight);
    frameRect(gBoxRect);
    moveTo(gBoxLeft + 3, 294);
    drawString("Powder=");
}

void Ordnix::drawElevationBox() {
    gEleLeft = gBoxLeft;
    gEleTop = 300;
    gEleRight = gBoxLeft + 89;
    gEleBottom = 311;
    gBoxRect = rectTLBR(gEleTop, gEleLeft, gEleBottom, gEleRight);
    frameRect(gBoxRect);
    moveTo(gBoxLeft + 3, 309);
    drawString("Elevation=");
}

void Ordnix::drawBar(int64_t top, int64_t left, int64_t bottom, int64_t split, int64_t right) {
    gBarRect = rectTLBR(top + 1, left, bottom - 1, split);
    penPat(gray);
    paintRect(gBarRect);
    penPat(black);
    gBarRect = rectTLBR(top + 1, split, bottom - 1, right - 1);
    eraseRect(gBarRect);
}

void Ordnix::writeNumber(int64_t top, int64_t left, int64_t bottom, int64_t value, std::string& text) {
    gNumRect = rectTLBR(top + 1, left - 30, bottom - 1, left - 1);
    eraseRect(gNumRect);
    moveTo(left - 20, top + 9);
    text = numToString(value);
    if (!gHideSettings)
        drawString(text);
}

void Ordnix::drawSettings(int64_t powder, int64_t& oldPowder, std::string& powderText, int64_t elevation,
                          int64_t& oldElevation, std::string& elevationText) {
    drawBar(gPowTop, gPowLeft, gPowBottom, gPowLeft + powder - 10, gPowRight);
    writeNumber(gPowTop, gPowLeft, gPowBottom, powder, powderText);
    oldPowder = powder;
    drawBar(gEleTop, gEleLeft, gEleBottom, gEleLeft + elevation, gEleRight);
    writeNumber(gEleTop, gEleLeft, gEleBottom, elevation, elevationText);
    oldElevation = elevation;
}

void Ordnix::drawLeftSettings() {
    drawSettings(gPowderL, gOldPowderL, gPowderLStr, gElevL, gOldElevL, gElevLStr);
}

void Ordnix::drawRightSettings() {
    drawSettings(gPowderR, gOldPowderR, gPowderRStr, gElevR, gOldElevR, gElevRStr);
}

void Ordnix::pressOnPanel(Grip& grip) {
    getMouse(gMouse);
    if (grip == Grip::released) {
        if (ptInRect(gMouse, gPowSlider))
            grip = Grip::powder;
        else if (ptInRect(gMouse, gEleSlider))
            grip = Grip::elevation;
        else if (ptInRect(gMouse, gFireRect))
            grip = Grip::fire;
        else
            grip = Grip::elsewhere;
    }
    const bool onPowder = grip == Grip::powder || (grip == Grip::elsewhere && ptInRect(gMouse, gPowSlider));
    const bool onElevation = grip == Grip::elevation || (grip == Grip::elsewhere && ptInRect(gMouse, gEleSlider));

    if (onPowder) {
        const int64_t h = std::clamp(gMouse.h, gPowSlider.left, gPowSlider.right - 1);
        (gTurn == 1 ? gPowderL : gPowderR) = h - gPowLeft + 10;
        drawBar(gPowTop, gPowLeft, gPowBottom, h, gPowRight);
    }
    if (gPowderL != gOldPowderL) {
        writeNumber(gPowTop, gPowLeft, gPowBottom, gPowderL, gPowderLStr);
        gOldPowderL = gPowderL;
    }
    if (gPowderR != gOldPowderR) {
        writeNumber(gPowTop, gPowLeft, gPowBottom, gPowderR, gPowderRStr);
        gOldPowderR = gPowderR;
    }

    if (onElevation) {
        const int64_t h = std::clamp(gMouse.h, gEleSlider.left, gEleSlider.right - 1);
        (gTurn == 1 ? gElevL : gElevR) = h - gEleLeft;
        drawBar(gEleTop, gEleLeft, gEleBottom, h, gEleRight);
    }
    if (gElevL != gOldElevL) {
        writeNumber(gEleTop, gEleLeft, gEleBottom, gElevL, gElevLStr);
        gOldElevL = gElevL;
        drawLeftCannon(); // the barrel follows the elevation
    }
    if (gElevR != gOldElevR) {
        writeNumber(gEleTop, gEleLeft, gEleBottom, gElevR, gElevRStr);
        gOldElevR = gElevR;
        drawRightCannon();
    }

    if (grip == Grip::fire && ptInRect(gMouse, gFireRect)) {
        inverRoundRect(gFireRect, 15, 10);
        gFired = true;
    }
}

bool Ordnix::menuChoiceEnabled(int64_t choice) const {
    const auto found = menus().find(choice >> 16);
    if (found == menus().end() || !found->second.enabled)
        return false;
    const int64_t item = choice & 0xFFFF;
    return item >= 1 && item < static_cast<int64_t>(found->second.itemEnabled.size()) &&
           found->second.itemEnabled[static_cast<size_t>(item)];
}

void Ordnix::pollBattleMenu() {
    host().setReadyForMenus(true);
    const std::optional<int64_t> choice = host().takeMenuChoice();
    if (!choice) {
        host().idle();
        return;
    }
    gEvent = EventRecord{};
    gEvent.what = mouseDown;
    gEvent.when = host().tickCount();
    gEvent.where = Point(0, -10); // above the screen: a press in the menu bar
    host().setReadyForMenus(false);
    doBattleMenu(menuChoiceEnabled(*choice) ? *choice : 0);
}

void Ordnix::aimCannon() {
    gFired = false;
    Grip grip = Grip::released;
    while (!gFired) {
        if (button())
            pressOnPanel(grip);
        else
            grip = Grip::released;
        pollBattleMenu();
    }
    host().setReadyForMenus(false);
}

void Ordnix::pickWind() {
    ORDNIX_CHECK(gWindMax >= 1, "a wind is chosen only while there is wind");
    gWindDir = (random() & 1) + 1;
    gWindSpeed = randomBelow(gWindMax) + 1;
}

void Ordnix::drawWindsock() {
    if (gNewField == 0 && gSockPoly)
        fillPoly(gSockPoly, white);
    if (!gWindKept)
        pickWind();
    if (gNewField == 1) {
        gWindKept = false;
        pickWind();
        gSockY = gSockBase = groundRow(sockColumn) + 1;
        penPat(white);
        gSockPoly = openPoly();
        moveTo(255, gSockY);
        lineTo(230, gSockY - 34);
        lineTo(230, 21);
        lineTo(280, 21);
        lineTo(280, gSockY - 34);
        lineTo(255, gSockY);
        closePoly();
        penNormal();
    }
    if (gSockPoly)
        fillPoly(gSockPoly, white);

    if (gWindDir == 1) {
        moveTo(258, gSockBase - 30);
        drawString(numToString(gWindSpeed));
        const Rect flag = rectTLBR(gSockBase - 40, 255, gSockBase - 28, 275);
        inverRect(flag);
        frameRect(flag);
        gWindLeft = gWindSpeed * 4 / 10;
        gWindRight = -gWindLeft;
    }
    if (gWindDir == 2) {
        moveTo(238, gSockBase - 30);
        drawString(numToString(gWindSpeed));
        const Rect flag = rectTLBR(gSockBase - 40, 235, gSockBase - 28, 255);
        inverRect(flag);
        frameRect(flag);
        gWindRight = gWindSpeed * 4 / 10;
        gWindLeft = -gWindRight;
    }

    moveTo(255, gSockBase - 43);
    lineTo(255, 300);

    if (gTerrain == doItYourselfTerrain) {
        gNewField = 0;
        gWindKept = false;
    }
}
