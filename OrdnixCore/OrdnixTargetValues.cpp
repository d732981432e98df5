// The target values screen: twelve sliders, one per shooter and target, in the targets window.
// A value changes the moment its slider is pressed; "Default Settings" restores the table's defaults
// and "OK" closes the screen. There is no cancel.
#include "Ordnix.h"

#include <algorithm>

namespace {
constexpr int64_t rowCount = 12;
// A slider is 80 pixels for 20 points; a penalty row counts from -20 at its left end.
constexpr int64_t pixelsPerPoint = 4;
constexpr int64_t sliderWidth = 81;
constexpr int64_t penaltyOffset = 20;

const std::array<const char*, 13> labels{
    "",
    "Left Hits Left Cannon",
    "Left Hits Right Cannon",
    "Left Hits Left Hospital",
    "Left Hits Right Hospital",
    "Left Hits Left Command Post",
    "Left Hits Right Command Post",
    "Right Hits Left Cannon",
    "Right Hits Right Cannon",
    "Right Hits Left Hospital",
    "Right Hits Right Hospital",
    "Right Hits Left Command Post",
    "Right Hits Right Command Post",
};

// Defaults by row; entry 0 is unused.
constexpr std::array<int64_t, 13> defaults{0, -20, 10, -20, -10, -20, 20, 10, -20, -10, -20, 20, -20};
} // namespace

std::array<std::optional<Ordnix::Slot>, 13> Ordnix::slots() {
    std::array<std::optional<Slot>, 13> s{};
    s[1] = Slot{&gValLLCannon, &gOldLLCannon, true};
    s[2] = Slot{&gValLRCannon, &gOldLRCannon, false};
    s[3] = Slot{&gValLLHosp, &gOldLLHosp, true};
    s[4] = Slot{&gValLRHosp, &gOldLRHosp, true};
    s[5] = Slot{&gValLLPost, &gOldLLPost, true};
    s[6] = Slot{&gValLRPost, &gOldLRPost, false};
    s[7] = Slot{&gValRLCannon, &gOldRLCannon, false};
    s[8] = Slot{&gValRRCannon, &gOldRRCannon, true};
    s[9] = Slot{&gValRLHosp, &gOldRLHosp, true};
    s[10] = Slot{&gValRRHosp, &gOldRRHosp, true};
    s[11] = Slot{&gValRLPost, &gOldRLPost, false};
    s[12] = Slot{&gValRRPost, &gOldRRPost, true};
    return s;
}

void Ordnix::defaultTargetValues() {
    auto table = slots();
    for (int64_t i = 1; i <= rowCount; ++i) {
        const Slot& slot = *table[static_cast<size_t>(i)];
        *slot.value = defaults[static_cast<size_t>(i)];
        *slot.old = defaults[static_cast<size_t>(i)];
    }
}

namespace {
// Draws a rectangle filled white and then framed, as the key's doors and windows are.
void whiteFramed(Ordnix& game, const QuickDraw::Rect& r) {
    game.fillRect(r, game.white);
    game.frameRect(r);
}
} // namespace

void Ordnix::setTargetValues() {
    // A click made on the field before the command would otherwise count as a press on this screen.
    flushEvents(everyEvent, 0);
    showWindow(*gTargetWindow);
    selectWindow(*gTargetWindow);
    setPort(*gTargetWindow);

    // The key of targets, in the middle column: the two cannons, hospitals and posts, each facing
    // the side it belongs to.
    drawCarriage(230, 50, 1);
    penSize(2, 4);
    moveTo(230, 47);
    lineTo(244, 47);
    penNormal();
    gIconMode = false;
    drawKeyCannon();

    drawHospitalShape(215, 95);
    whiteFramed(*this, rectTLBR(120, 223, 130, 228));
    whiteFramed(*this, rectTLBR(120, 231, 127, 238));
    moveTo(234, 120);
    lineTo(234, 127);
    moveTo(231, 123);
    lineTo(238, 123);

    drawHospitalShape(215, 130);
    whiteFramed(*this, rectTLBR(155, 233, 165, 238));
    whiteFramed(*this, rectTLBR(155, 222, 162, 229));
    moveTo(225, 155);
    lineTo(225, 162);
    moveTo(222, 158);
    lineTo(229, 158);

    drawPostShape(217, 165);
    whiteFramed(*this, rectTLBR(191, 225, 200, 229));
    whiteFramed(*this, rectTLBR(191, 232, 197, 235));
    moveTo(232, 194);
    lineTo(235, 194);

    drawPostShape(217, 200);
    whiteFramed(*this, rectTLBR(226, 231, 235, 235));
    whiteFramed(*this, rectTLBR(226, 225, 232, 228));
    moveTo(225, 229);
    lineTo(228, 229);

    drawTargetTitle();
    drawTargetLabels();
    drawValueSliders();

    textFace(QuickDraw::Style::bold);
    textSize(12);
    gDefaultRect = rectTLBR(262, 100, 282, 250);
    frameRoundRect(gDefaultRect, 10, 10);
    moveTo(110, 277);
    drawString("Default Settings");
    gOKRect = rectTLBR(262, 350, 282, 400);
    frameRoundRect(gOKRect, 10, 10);
    moveTo(365, 277);
    drawString("OK");
    textFace(QuickDraw::Style{});
    textSize(9);

    drawTargetValues();
    trackTargetValues();

    hideWindow(*gTargetWindow);
    showWindow(*gFieldWindow);
    setPort(*gFieldWindow);
}

void Ordnix::drawTargetTitle() {
    textFont(QuickDraw::FontID::applFont);
    textFace(QuickDraw::Style::bold);
    textSize(14);
    moveTo(155, 22);
    drawString("SET TARGET VALUES ");
    textSize(12);
    textFace(QuickDraw::Style::bold | QuickDraw::Style::outline);
    moveTo(59, 35);
    drawString("LEFT");
    moveTo(380, 35);
    drawString("RIGHT");
    penSize(1, 1);
    textFace(QuickDraw::Style{});
    textSize(9);
}

void Ordnix::drawTargetLabels() {
    auto placeBox = [this](size_t i, int64_t k, int64_t left, int64_t right) {
        gSlLeft[i] = left;
        gSlRight[i] = right;
        gSlTop[i] = 45 + 35 * k;
        gSlBottom[i] = gSlTop[i] + 15;
    };
    for (int64_t k = 0; k < 6; ++k) {
        placeBox(static_cast<size_t>(k + 1), k, 20, 50);
        placeBox(static_cast<size_t>(k + 7), k, 340, 370);
    }
    for (size_t i = 1; i <= rowCount; ++i) {
        gLabelRect[i] = rectTLBR(gSlTop[i], gSlLeft[i], gSlBottom[i], gSlRight[i]);
        frameRect(gLabelRect[i]);
        moveTo(gSlLeft[i], gSlBottom[i] + 10);
        drawString(labels[i]);
        gValueRect[i] = rectTLBR(gSlTop[i] + 1, gSlLeft[i] + 1, gSlBottom[i] - 1, gSlRight[i] - 1);
    }
}

void Ordnix::drawValueSliders() {
    for (size_t i = 1; i <= rowCount; ++i) {
        gSlLeft[i] = gSlRight[i] - 1;
        gSlRight[i] = gSlRight[i] + sliderWidth;
    }
    for (size_t i = 1; i <= rowCount; ++i) {
        gSliderRect[i] = rectTLBR(gSlTop[i], gSlLeft[i], gSlBottom[i], gSlRight[i]);
        frameRect(gSliderRect[i]);
    }
}

namespace {
// Writes row i's number into its box.
void writeValue(Ordnix& game, size_t i, int64_t value) {
    game.eraseRect(game.gValueRect[i]);
    game.moveTo(game.gSlLeft[i] - 25, game.gSlTop[i] + 11);
    game.gValStr[i] = Toolbox::numToString(value);
    game.drawString(game.gValStr[i]);
}

// Fills row i's slider gray up to column x (exclusive) and white from column `emptyFrom` on.
void fillSlider(Ordnix& game, size_t i, int64_t x, int64_t emptyFrom) {
    game.gFullBar = Ordnix::rectTLBR(game.gSlTop[i] + 1, game.gSlLeft[i] + 1, game.gSlBottom[i] - 1, x);
    game.fillRect(game.gFullBar, game.gray);
    game.gEmptyBar = Ordnix::rectTLBR(game.gSlTop[i] + 1, emptyFrom, game.gSlBottom[i] - 1, game.gSlRight[i] - 1);
    game.fillRect(game.gEmptyBar, game.white);
}
} // namespace

void Ordnix::drawTargetValues() {
    auto table = slots();
    for (size_t i = 1; i <= rowCount; ++i) {
        const Slot& slot = *table[i];
        int64_t v = *slot.value;
        writeValue(*this, i, v);
        int64_t x = slot.negative ? gSlLeft[i] + sliderWidth + pixelsPerPoint * v
                                  : gSlLeft[i] + 1 + pixelsPerPoint * v;
        fillSlider(*this, i, x, x);
    }
}

namespace {
// What a held press began on: a slider row (1 to 12), a button, or no control.
constexpr int64_t released = 0, elsewhere = -1, onDefault = -2, onOK = -3;
} // namespace

void Ordnix::trackTargetValues() {
    gTargetsDone = false;
    gTop = 0;
    gLeft = 0;
    gBottom = 350;
    gRight = 520;
    gAllRect = rectTLBR(0, 0, 350, 520);
    auto table = slots();
    // A press belongs to the control it began on until release: a slider dragged past its end stops
    // at that end, and the buttons answer only a press that began on them.
    int64_t grip = released;
    while (!gTargetsDone) {
        if (!button()) {
            grip = released;
            continue;
        }
        getMouse(gMouse);
        if (grip == released) {
            grip = elsewhere;
            for (size_t i = 1; i <= rowCount; ++i)
                if (ptInRect(gMouse, gSliderRect[i]))
                    grip = static_cast<int64_t>(i);
            if (ptInRect(gMouse, gDefaultRect))
                grip = onDefault;
            if (ptInRect(gMouse, gOKRect))
                grip = onOK;
        }
        for (size_t i = 1; i <= rowCount; ++i) {
            const bool held = grip == static_cast<int64_t>(i);
            if (!held && !(grip == elsewhere && ptInRect(gMouse, gSliderRect[i])))
                continue;
            const Slot& slot = *table[i];
            const int64_t h = held ? std::clamp(gMouse.h, gSliderRect[i].left, gSliderRect[i].right - 1) : gMouse.h;
            // The bar follows the mouse pixel by pixel; the number moves in steps of four pixels.
            int64_t q = (h - gSlLeft[i]) / pixelsPerPoint;
            int64_t n = slot.negative ? q - penaltyOffset : q;
            *slot.value = n;
            if (n != *slot.old) {
                writeValue(*this, i, n);
                *slot.old = n;
            }
            fillSlider(*this, i, h, h + 1);
        }
        if (grip == onDefault && ptInRect(gMouse, gDefaultRect)) {
            inverRoundRect(gDefaultRect, 10, 10);
            defaultTargetValues();
            drawTargetValues();
            inverRoundRect(gDefaultRect, 10, 10);
        }
        if (grip == onOK && ptInRect(gMouse, gOKRect)) {
            inverRoundRect(gOKRect, 10, 10);
            inverRoundRect(gOKRect, 10, 10);
            hideWindow(*gTargetWindow);
            showWindow(*gFieldWindow);
            selectWindow(*gFieldWindow);
            gTargetsDone = true;
        }
        if (grip == elsewhere && !ptInRect(gMouse, gAllRect))
            sysBeep(1);
    }
}
