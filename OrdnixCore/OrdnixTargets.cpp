// Targets: where the cannons and buildings stand, and how every target is drawn.
//
// Drawing a target also records its rectangle, its base point and, for a cannon, the muzzle offset;
// hit detection and the shot flight rely on them.
#include "Ordnix.h"

#include <algorithm>

namespace {
using QuickDraw::Point;

struct Line {
    int64_t h0, v0, h1, v1;
};

// The buttons of the hand placement of the cannons.
const QuickDraw::Rect cancelButton = Ordnix::rectTLBR(285, 225, 305, 285);
const QuickDraw::Rect placeLeftButton = Ordnix::rectTLBR(285, 85, 305, 195);
const QuickDraw::Rect placeRightButton = Ordnix::rectTLBR(285, 325, 305, 435);
} // namespace

void Ordnix::siteCannons() {
    // Both columns are drawn on every terrain, so a hand-made field's later draws (its trees) come
    // from the same point of the stream; the editor then replaces the positions by hand.
    gCanLX = randomBelow(175) + 30;
    gCanRX = randomBelow(175) + 306;
    if (gTerrain == 4) {
        doItYourself();
        return;
    }
    switch (gTerrain) {
    case 0: {
        const int64_t y = randomBelow(40) + 220;
        gCanLY = y;
        gCanRY = y;
        break;
    }
    case 1:
        gCanLY = randomBelow(50) + 220;
        gCanRY = std::min<int64_t>(gCanLY + randomBelow(50), 270);
        break;
    case 2:
        gCanLY = randomBelow(70) + 170;
        gCanRY = std::min<int64_t>(gCanLY + randomBelow(80), 270);
        break;
    default:
        gCanLY = std::max<int64_t>(randomBelow(200) + 70, 75);
        gCanRY = std::clamp<int64_t>(randomBelow(200) + 70, 75, 270);
        break;
    }
}

void Ordnix::placeTargets() {
    if (gHospitals == 1) {
        gLHospUp = gRHospUp = true;
        siteLeftHospital();
        drawLeftHospital();
        siteRightHospital();
        drawRightHospital();
    } else {
        gLHospUp = gRHospUp = false;
        gLHospRect = gRHospRect = QuickDraw::Rect::zero;
    }
    if (gPosts == 1) {
        gLPostUp = gRPostUp = true;
        siteLeftPost();
        drawLeftPost();
        siteRightPost();
        drawRightPost();
    } else {
        gLPostUp = gRPostUp = false;
        gLPostRect = gRPostRect = QuickDraw::Rect::zero;
    }
    plantTrees();
}

void Ordnix::siteLeftHospital() {
    do {
        gHospLLeft = randomBelow(190) + 15;
        gTestRect = rectTLBR(0, gHospLLeft, 300, gHospLLeft + 29);
    } while (sectRect(gTestRect, gCanLRect, gSect));
    gHospLTop = groundRow(gHospLLeft + 15) - 35;
}

void Ordnix::siteRightHospital() {
    do {
        gHospRLeft = randomBelow(170) + 280;
        gTestRect = rectTLBR(0, gHospRLeft, 300, gHospRLeft + 29);
    } while (sectRect(gTestRect, gCanRRect, gSect));
    gHospRTop = groundRow(gHospRLeft + 15) - 35;
}

void Ordnix::siteLeftPost() {
    // The test column is as wide as a hospital although a post is narrower.
    for (;;) {
        gPostLLeft = randomBelow(190) + 15;
        gTestRect = rectTLBR(0, gPostLLeft, 300, gPostLLeft + 29);
        if (sectRect(gTestRect, gCanLRect, gSect))
            continue;
        if (gHospitals == 1 && sectRect(gTestRect, gLHospRect, gSect))
            continue;
        break;
    }
    gPostLTop = groundRow(gPostLLeft + 15) - 35;
}

void Ordnix::siteRightPost() {
    for (;;) {
        gPostRLeft = randomBelow(170) + 280;
        gTestRect = rectTLBR(0, gPostRLeft, 300, gPostRLeft + 29);
        if (sectRect(gTestRect, gCanRRect, gSect))
            continue;
        if (gHospitals == 1 && sectRect(gTestRect, gRHospRect, gSect))
            continue;
        break;
    }
    gPostRTop = groundRow(gPostRLeft + 15) - 35;
}

void Ordnix::drawLeftCannon() {
    gTop = gCanLY - 13;
    gLeft = gCanLX - 20;
    gBottom = gCanLY + 9;
    gRight = gCanLX + 20;
    gCanLRect = rectTLBR(gTop, gLeft, gBottom, gRight);
    fillRect(gCanLRect, white);
    gCanLBaseX = gCanLX;
    gCanLBaseY = gCanLY + 10;
    penNormal();
    drawCarriage(gCanLX, gCanLY, 1);
    drawLeftBarrel();
}

void Ordnix::drawRightCannon() {
    gTop = gCanRY - 13;
    gLeft = gCanRX - 20;
    gBottom = gCanRY + 9;
    gRight = gCanRX + 20;
    gCanRRect = rectTLBR(gTop, gLeft, gBottom, gRight);
    fillRect(gCanRRect, white);
    gCanRBaseX = gCanRX;
    gCanRBaseY = gCanRY + 10;
    penNormal();
    drawCarriage(gCanRX, gCanRY, -1);
    drawRightBarrel();
}

void Ordnix::drawCarriage(int64_t h, int64_t v, int64_t facing) {
    penSize(2, 2);
    gTop = v - 8;
    gLeft = h - 8;
    gBottom = v + 9;
    gRight = h + 9;
    frameOval(rectTLBR(gTop, gLeft, gBottom, gRight));
    penNormal();
    const Line spokes[] = {{h, v + 8, h, v - 8}, {h - 8, v, h + 8, v}, {h - 5, v - 5, h + 5, v + 5}, {h + 5, v - 5, h - 5, v + 5}};
    for (const Line& l : spokes) {
        moveTo(l.h0, l.v0);
        lineTo(l.h1, l.v1);
    }
    // The trail lies behind the cannon, the axle bed across the hub.
    penSize(1, 3);
    moveTo(h, v - 1);
    lineTo(h - 18 * facing, v + 7);
    lineTo(h - 18 * facing, v + 5);
    penSize(1, 4);
    moveTo(h + 4 * facing, v - 1);
    lineTo(h - 6 * facing, v - 1);
    penNormal();
}

namespace {
// One barrel per elevation band: its pen, its lines as offsets from the hub, and its muzzle offset.
struct Barrel {
    int64_t penH, penV;
    bool normalAfter;
    int64_t count;
    Line lines[5];
    int64_t muzzleH, muzzleV;
};

constexpr Barrel leftBarrels[4] = {
    {2, 4, true, 1, {{0, -3, 14, -3}}, 18, -5},
    {1, 1, false, 5, {{-4, -2, 12, -7}, {-3, -2, 12, -6}, {-2, -1, 12, -5}, {-1, -1, 12, -5}, {-2, -1, 12, -4}}, 20, -12},
    {1, 2, true, 4, {{-4, -2, 8, -12}, {-2, -2, 9, -11}, {-1, -2, 9, -11}, {1, -2, 10, -10}}, 12, -20},
    {1, 1, false, 4, {{-2, -2, -1, -12}, {-1, -2, 0, -12}, {0, -2, 1, -12}, {1, -2, 2, -12}}, -2, -25},
};

constexpr Barrel rightBarrels[4] = {
    {2, 4, true, 1, {{0, -3, -14, -3}}, -21, -5},
    {1, 1, false, 5, {{4, -2, -12, -7}, {3, -2, -12, -6}, {2, -1, -12, -5}, {1, -1, -12, -5}, {2, -1, -12, -4}}, -20, -12},
    {1, 2, true, 4, {{4, -2, -8, -12}, {2, -2, -9, -11}, {1, -2, -9, -11}, {-1, -2, -10, -10}}, -14, -20},
    {1, 1, false, 4, {{2, -2, 1, -12}, {1, -2, 0, -12}, {0, -2, -1, -12}, {-1, -2, -2, -12}}, -2, -23},
};

const Barrel& barrelFor(const Barrel (&barrels)[4], int64_t elevation) {
    if (elevation <= 9)
        return barrels[0];
    if (elevation <= 39)
        return barrels[1];
    if (elevation <= 69)
        return barrels[2];
    return barrels[3];
}
} // namespace

void Ordnix::drawLeftBarrel() {
    const Barrel& b = barrelFor(leftBarrels, gElevL);
    penSize(b.penH, b.penV);
    for (int64_t i = 0; i < b.count; ++i) {
        const Line& l = b.lines[i];
        moveTo(gCanLX + l.h0, gCanLY + l.v0);
        lineTo(gCanLX + l.h1, gCanLY + l.v1);
    }
    if (b.normalAfter)
        penNormal();
    gMuzzleLDX = b.muzzleH;
    gMuzzleLDY = b.muzzleV;
}

void Ordnix::drawRightBarrel() {
    const Barrel& b = barrelFor(rightBarrels, gElevR);
    penSize(b.penH, b.penV);
    for (int64_t i = 0; i < b.count; ++i) {
        const Line& l = b.lines[i];
        moveTo(gCanRX + l.h0, gCanRY + l.v0);
        lineTo(gCanRX + l.h1, gCanRY + l.v1);
    }
    if (b.normalAfter)
        penNormal();
    gMuzzleRDX = b.muzzleH;
    gMuzzleRDY = b.muzzleV;
}

namespace {
constexpr int64_t hospitalWidth = 29;
constexpr int64_t postWidth = 24;
} // namespace

// The steps every building shares: base point, column cleared from row 30, shape, door and window,
// sky above, and on a new field a foundation down to row 276 so it never floats.
static void drawBuilding(Ordnix& game, int64_t L, int64_t T, bool hospital, bool rightSide, int64_t& baseX,
                         int64_t& baseY, QuickDraw::Rect& area) {
    const int64_t width = hospital ? hospitalWidth : postWidth;
    baseX = hospital ? L + 15 : L + 12;
    baseY = hospital ? T + 36 : T + 37;
    game.fillRect(Ordnix::rectTLBR(30, L, T + 35, L + width), game.white);
    area = Ordnix::rectTLBR(T, L, T + 36, L + width);

    QuickDraw::Rect door, window;
    Line bars[2];
    int64_t barCount;
    if (hospital) {
        door = rightSide ? Ordnix::rectTLBR(T + 25, L + 18, T + 35, L + 23) : Ordnix::rectTLBR(T + 25, L + 8, T + 35, L + 13);
        window = rightSide ? Ordnix::rectTLBR(T + 25, L + 7, T + 32, L + 14) : Ordnix::rectTLBR(T + 25, L + 16, T + 32, L + 23);
        const int64_t mid = rightSide ? L + 10 : L + 19;
        const int64_t wl = rightSide ? L + 7 : L + 16;
        bars[0] = {mid, T + 25, mid, T + 32};
        bars[1] = {wl, T + 28, wl + 7, T + 28};
        barCount = 2;
        game.drawHospitalShape(L, T);
    } else {
        door = rightSide ? Ordnix::rectTLBR(T + 26, L + 14, T + 35, L + 18) : Ordnix::rectTLBR(T + 26, L + 8, T + 35, L + 12);
        window = rightSide ? Ordnix::rectTLBR(T + 26, L + 8, T + 32, L + 11) : Ordnix::rectTLBR(T + 26, L + 15, T + 32, L + 18);
        const int64_t wl = rightSide ? L + 8 : L + 15;
        bars[0] = {wl, T + 29, wl + 3, T + 29};
        barCount = 1;
        game.drawPostShape(L, T);
    }
    game.fillRect(door, game.white);
    game.frameRect(door);
    game.fillRect(window, game.white);
    game.frameRect(window);
    for (int64_t i = 0; i < barCount; ++i) {
        game.moveTo(bars[i].h0, bars[i].v0);
        game.lineTo(bars[i].h1, bars[i].v1);
    }
    game.fillRect(Ordnix::rectTLBR(30, L, T, L + width), game.white);
    if (game.gNewField == 1)
        game.fillRect(Ordnix::rectTLBR(T + 35, L, 276, L + width), game.black);
}

void Ordnix::drawLeftHospital() {
    drawBuilding(*this, gHospLLeft, gHospLTop, true, false, gHospLBaseX, gHospLBaseY, gLHospRect);
}

void Ordnix::drawRightHospital() {
    drawBuilding(*this, gHospRLeft, gHospRTop, true, true, gHospRBaseX, gHospRBaseY, gRHospRect);
}

void Ordnix::drawLeftPost() {
    drawBuilding(*this, gPostLLeft, gPostLTop, false, false, gPostLBaseX, gPostLBaseY, gLPostRect);
}

void Ordnix::drawRightPost() {
    drawBuilding(*this, gPostRLeft, gPostRTop, false, true, gPostRBaseX, gPostRBaseY, gRPostRect);
}

void Ordnix::fillOutline(const std::vector<QuickDraw::Point>& points, const QuickDraw::Pattern& pattern) {
    auto region = newRgn();
    openRgn();
    if (!points.empty()) {
        moveTo(points.front().h, points.front().v);
        for (size_t i = 1; i < points.size(); ++i)
            lineTo(points[i].h, points[i].v);
    }
    closeRgn(region);
    fillRgn(region, pattern);
}

void Ordnix::drawHospitalShape(int64_t h, int64_t v) {
    penSize(1, 1);
    fillOutline({Point(h + 5, v + 7), Point(h + 5, v + 7), Point(h + 25, v + 7), Point(h + 28, v + 20), Point(h + 2, v + 20),
                 Point(h + 5, v + 7)},
                black);
    fillOutline({Point(h + 25, v + 20), Point(h + 25, v + 35), Point(h + 5, v + 35), Point(h + 5, v + 20), Point(h + 25, v + 20)},
                gray);
    fillOutline({Point(h + 13, v + 9), Point(h + 16, v + 9), Point(h + 16, v + 12), Point(h + 19, v + 12), Point(h + 19, v + 15),
                 Point(h + 16, v + 15), Point(h + 16, v + 18), Point(h + 13, v + 18), Point(h + 13, v + 15), Point(h + 10, v + 15),
                 Point(h + 10, v + 12), Point(h + 13, v + 12), Point(h + 13, v + 9)},
                white);
}

void Ordnix::drawPostShape(int64_t h, int64_t v) {
    penSize(1, 1);
    fillOutline({Point(h + 3, v + 20), Point(h + 12, v + 15), Point(h + 13, v + 15), Point(h + 22, v + 20), Point(h + 3, v + 20)},
                black);
    fillOutline({Point(h + 20, v + 20), Point(h + 20, v + 35), Point(h + 5, v + 35), Point(h + 5, v + 20), Point(h + 20, v + 20)},
                gray);
}

void Ordnix::drawKeyCannon() {
    penNormal();
    penSize(2, 2);
    gTop = 77;
    gLeft = 222;
    gBottom = 94;
    gRight = 239;
    frameOval(rectTLBR(gTop, gLeft, gBottom, gRight));
    penNormal();
    const Line spokes[] = {{230, 93, 230, 77}, {222, 85, 238, 85}, {225, 80, 235, 90}, {235, 80, 225, 90}};
    for (const Line& l : spokes) {
        moveTo(l.h0, l.v0);
        lineTo(l.h1, l.v1);
    }
    // The trail continues from the end of the last spoke.
    penSize(1, 3);
    lineTo(230, 84);
    lineTo(248, 92);
    lineTo(248, 90);
    penSize(1, 4);
    moveTo(226, 84);
    lineTo(236, 84);
    penNormal();
    penSize(2, 4);
    moveTo(230, 82);
    lineTo(216, 82);
    penNormal();
}

void Ordnix::crossOut() {
    // Drawn twice in XOR: the bitmap ends as it was and the host shows the cross as a flash.
    penMode(QuickDraw::PenMode::patXor);
    for (int pass = 0; pass < 2; ++pass) {
        moveTo(gLeft, gTop);
        lineTo(gRight, gBottom);
        moveTo(gRight, gTop);
        lineTo(gLeft, gBottom);
    }
    penMode(QuickDraw::PenMode::patCopy);
}

namespace {
// One side of the hand placement: its button and label, its outline, and the fields it places.
struct CannonSide {
    QuickDraw::Rect button;
    int64_t labelH;
    void (Ordnix::*outline)();
    void (Ordnix::*draw)();
    int64_t Ordnix::*hubX;
    int64_t Ordnix::*hubY;
};

void buttonText(Ordnix& game) {
    game.textFont(QuickDraw::FontID::systemFont);
    game.textFace(QuickDraw::Style::bold);
    game.textSize(12);
}

void plainText(Ordnix& game) {
    game.textFont(QuickDraw::FontID::applFont);
    game.textFace(QuickDraw::Style{});
    game.textSize(9);
}

// Waits for the side's button, then lets the outline follow the mouse until a click places the cannon
// (or CANCEL ends the editor); the button disappears afterwards either way.
void placeCannon(Ordnix& game, const CannonSide& side) {
    buttonText(game);
    game.frameRoundRect(side.button, 10, 10);
    game.moveTo(side.labelH, 300);
    game.drawString("PLACE CANNON");
    plainText(game);

    game.waitForButton(side.button);
    if (!game.gCancelled) {
        game.gPlaced = false;
        while (!game.gPlaced) {
            if (!game.stepStart(side.outline))
                continue;
            const int64_t x = game.*side.hubX;
            const int64_t y = game.*side.hubY;
            game.fillRect(game.gFrame, game.white);
            (game.*side.draw)();
            game.gTop = y - 10;
            game.gLeft = x - 19;
            game.gBottom = y + 9;
            game.gRight = x + 19;
            // Sky above the cannon, ground under it down to the editor's bottom band.
            game.fillRect(Ordnix::rectTLBR(20, x - 20, y - 10, x + 20), game.white);
            game.fillRect(Ordnix::rectTLBR(y + 9, x - 19, 276, x + 19), game.black);
            game.gPlaced = true;
        }
    }
    game.inverRoundRect(side.button, 10, 10);
    game.fillRect(side.button, game.white);
}
} // namespace

void Ordnix::placeCannons() {
    while (button()) {
    }
    fillRect(rectTLBR(276, 0, 357, 527), white);

    buttonText(*this);
    gCancelRect = cancelButton;
    frameRoundRect(gCancelRect, 10, 10);
    moveTo(228, 300);
    drawString("CANCEL");
    plainText(*this);

    placeCannon(*this, {placeLeftButton, 88, &Ordnix::outlineLeftCannon, &Ordnix::drawLeftCannon, &Ordnix::gCanLX, &Ordnix::gCanLY});
    if (!gCancelled)
        placeCannon(*this,
                    {placeRightButton, 328, &Ordnix::outlineRightCannon, &Ordnix::drawRightCannon, &Ordnix::gCanRX, &Ordnix::gCanRY});
}
