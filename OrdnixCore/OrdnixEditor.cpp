// The Do-It-Yourself field editor: the players paint the ground, then place each cannon, hospital and
// command post by moving an outline over the field and clicking. "CANCEL" in any phase skips every
// later phase; the battle then does not start and the main loop draws the field's notice again.
#include "Ordnix.h"

#include <algorithm>

namespace {
constexpr int64_t corner = 10;

// The painting phase's buttons.
const QuickDraw::Rect clearButton = Ordnix::rectTLBR(285, 165, 305, 215);
const QuickDraw::Rect continueButton = Ordnix::rectTLBR(285, 225, 305, 304);
const QuickDraw::Rect paintCancelButton = Ordnix::rectTLBR(285, 314, 305, 374);
// The placing phases' buttons.
const QuickDraw::Rect placeCancelButton = Ordnix::rectTLBR(285, 225, 305, 285);
const QuickDraw::Rect leftHospitalButton = Ordnix::rectTLBR(285, 75, 305, 195);
const QuickDraw::Rect rightHospitalButton = Ordnix::rectTLBR(285, 325, 305, 445);
const QuickDraw::Rect leftPostButton = Ordnix::rectTLBR(285, 25, 305, 195);
const QuickDraw::Rect rightPostButton = Ordnix::rectTLBR(285, 325, 305, 495);

int64_t clampTo(int64_t x, int64_t low, int64_t high) { return std::min(std::max(x, low), high); }

void buttonFont(Ordnix& game) {
    game.textFont(QuickDraw::FontID::systemFont);
    game.textFace(QuickDraw::Style::bold);
    game.textSize(12);
}

void plainFont(Ordnix& game) {
    game.textFont(QuickDraw::FontID::applFont);
    game.textFace(QuickDraw::Style{});
    game.textSize(9);
}

void drawButton(Ordnix& game, const QuickDraw::Rect& r, int64_t labelH, const char* label) {
    game.frameRoundRect(r, corner, corner);
    game.moveTo(labelH, 300);
    game.drawString(label);
}

// One side's building of a placement phase: its button, the wait for a press on it, and the
// placement steps until the building stands or the editor is cancelled.
void placeOne(Ordnix& game, const QuickDraw::Rect& button, void (Ordnix::*step)()) {
    game.waitForButton(button);
    if (!game.gCancelled) {
        game.gPlaced = false;
        while (!game.gPlaced)
            (game.*step)();
    }
    game.inverRoundRect(button, corner, corner);
    game.fillRect(button, game.white);
}

// A placement phase for one kind of building, left side first.
void placePair(Ordnix& game, const char* label, const QuickDraw::Rect& leftButton, int64_t leftLabelH,
               void (Ordnix::*leftStep)(), const QuickDraw::Rect& rightButton, int64_t rightLabelH,
               void (Ordnix::*rightStep)()) {
    game.fillRect(Ordnix::rectTLBR(276, 0, 357, 527), game.white);
    buttonFont(game);
    game.gCancelRect = placeCancelButton;
    drawButton(game, game.gCancelRect, 228, "CANCEL");
    drawButton(game, leftButton, leftLabelH, label);
    plainFont(game);
    placeOne(game, leftButton, leftStep);

    if (!game.gCancelled) {
        buttonFont(game);
        drawButton(game, rightButton, rightLabelH, label);
        plainFont(game);
        placeOne(game, rightButton, rightStep);
    }
}
} // namespace

void Ordnix::doItYourself() {
    setCursor(CursorKind::cross);
    gCancelled = false;
    // A click left from before the battle started (on the notice, or to focus the window) would
    // otherwise start painting, or press a button, wherever the pointer is now.
    flushEvents(everyEvent, 0);

    drawTerrain();
    if (!gCancelled) {
        disableMenus();
        placeCannons();

        if (!gCancelled && gHospitals == 1) {
            placePair(*this, "PLACE HOSPITAL", leftHospitalButton, 78, &Ordnix::stepLeftHospital,
                      rightHospitalButton, 328, &Ordnix::stepRightHospital);
            gLHospUp = gRHospUp = true;
        }
        if (gHospitals == 0) {
            gLHospUp = gRHospUp = false;
            gLHospRect = gRHospRect = Rect{};
        }

        if (!gCancelled && gPosts == 1) {
            placePair(*this, "PLACE COMMAND POST", leftPostButton, 28, &Ordnix::stepLeftPost, rightPostButton,
                      328, &Ordnix::stepRightPost);
            gLPostUp = gRPostUp = true;
        }
        if (gPosts == 0) {
            gLPostUp = gRPostUp = false;
            gLPostRect = gRPostRect = Rect{};
        }

        if (!gCancelled) {
            // Everything below the painting band, the button strip included, becomes solid ground.
            fillRect(rectTLBR(275, 0, 357, 528), black);
            if (gTrees == 1) {
                setCursor(CursorKind::watch);
                plantTrees();
            }
        }
    }

    if (gCancelled)
        gNewField = 1;
    setCursor(CursorKind::arrow);
    enableMenus();
}

void Ordnix::drawTerrainButtons() {
    buttonFont(*this);
    gClearRect = clearButton;
    gContinueRect = continueButton;
    gCancelRect = paintCancelButton;
    drawButton(*this, gClearRect, 168, "CLEAR");
    drawButton(*this, gContinueRect, 228, "CONTINUE");
    drawButton(*this, gCancelRect, 317, "CANCEL");
    plainFont(*this);
}

void Ordnix::waitForButton(const Rect& button) {
    // Copied: the caller may pass gCancelRect itself, which a cancel must not disturb.
    const Rect target = button;
    for (;;) {
        // The button first, then the mouse: a click shorter than one pass, made as the pointer
        // arrives, is then seen where it happened instead of where the pointer was a moment before.
        if (!this->button())
            continue;
        getMouse(gMouse);
        if (ptInRect(gMouse, target)) {
            inverRoundRect(target, corner, corner);
            break;
        }
        if (ptInRect(gMouse, gCancelRect)) {
            gCancelled = true;
            gPlaced = true;
            inverRoundRect(gCancelRect, corner, corner);
            break;
        }
    }
    while (this->button()) {
    }
}

bool Ordnix::stepStart(void (Ordnix::*outline)()) {
    // Read before the mouse, as in waitForButton, so that a short click places the object where it
    // was made.
    const bool pressed = button();
    getMouse(gMouse);
    // Drawn twice in XOR: the bitmap ends unchanged and the host shows the outline as a flash.
    penMode(PenMode::patXor);
    (this->*outline)();
    penMode(PenMode::patXor);
    (this->*outline)();
    penMode(PenMode::patCopy);
    if (!pressed)
        return false;
    if (ptInRect(gMouse, gCancelRect)) {
        gCancelled = true;
        gPlaced = true;
        inverRoundRect(gCancelRect, corner, corner);
    }
    return !gCancelled;
}

// The outlines clamp a copy of the mouse, never gMouse itself: stepStart still needs the real
// position to see a press on "CANCEL" below the field.

void Ordnix::outlineLeftCannon() {
    gCanLY = clampTo(gMouse.v, 66, 266);
    gCanLX = clampTo(gMouse.h, 22, 200);
    gTop = gCanLY - 10;
    gLeft = gCanLX - 18;
    gBottom = gCanLY + 10;
    gRight = gCanLX + 18;
    frameOutline();
}

void Ordnix::outlineRightCannon() {
    gCanRY = clampTo(gMouse.v, 66, 266);
    gCanRX = clampTo(gMouse.h, 312, 490);
    gTop = gCanRY - 10;
    gLeft = gCanRX - 18;
    gBottom = gCanRY + 10;
    gRight = gCanRX + 18;
    frameOutline();
}

namespace {
constexpr int64_t buildingHeight = 36;
constexpr int64_t hospitalWidth = 29;
constexpr int64_t postWidth = 24;

void outlineBuilding(Ordnix& game, int64_t& top, int64_t& left, int64_t minH, int64_t maxH, int64_t width) {
    top = clampTo(game.gMouse.v, 40, 240);
    left = clampTo(game.gMouse.h, minH, maxH);
    game.gTop = top;
    game.gLeft = left;
    game.gBottom = top + buildingHeight;
    game.gRight = left + width;
    game.frameOutline();
}
} // namespace

void Ordnix::outlineLeftHospital() { outlineBuilding(*this, gHospLTop, gHospLLeft, 10, 190, hospitalWidth); }
void Ordnix::outlineRightHospital() { outlineBuilding(*this, gHospRTop, gHospRLeft, 297, 480, hospitalWidth); }
void Ordnix::outlineLeftPost() { outlineBuilding(*this, gPostLTop, gPostLLeft, 10, 190, postWidth); }
void Ordnix::outlineRightPost() { outlineBuilding(*this, gPostRTop, gPostRLeft, 297, 480, postWidth); }

void Ordnix::frameOutline() {
    gFrame = rectTLBR(gTop, gLeft, gBottom, gRight);
    penSize(1, 1);
    frameRect(gFrame);
}

namespace {
// One placement step of a building: follows the mouse with the outline and, on a click, places the
// building when its column overlaps none of the forbidden rectangles; every overlap found flashes a
// cross over the outline instead.
void stepBuilding(Ordnix& game, void (Ordnix::*outline)(), const int64_t& top, const int64_t& left, int64_t width,
                  std::initializer_list<const QuickDraw::Rect*> forbidden, void (Ordnix::*draw)()) {
    if (!game.stepStart(outline))
        return;
    game.gTestRect = Ordnix::rectTLBR(0, left, 300, left + width);
    bool free = true;
    for (const QuickDraw::Rect* r : forbidden) {
        QuickDraw::Rect overlap{};
        if (Toolbox::sectRect(game.gTestRect, *r, overlap))
            free = false;
    }
    if (free) {
        game.gTop = top;
        game.gLeft = left;
        game.gBottom = top + buildingHeight;
        game.gRight = left + width;
        game.fillRect(game.gFrame, game.white);
        (game.*draw)();
        // The sky above the building, and its foundation down to the bottom of the painting band.
        game.fillRect(Ordnix::rectTLBR(20, left, top, left + width), game.white);
        game.fillRect(Ordnix::rectTLBR(top + 35, left, 276, left + width), game.black);
        game.gPlaced = true;
    }
    for (const QuickDraw::Rect* r : forbidden) {
        if (Toolbox::sectRect(game.gTestRect, *r, game.gSect))
            game.crossOut();
    }
}
} // namespace

void Ordnix::stepLeftHospital() {
    stepBuilding(*this, &Ordnix::outlineLeftHospital, gHospLTop, gHospLLeft, hospitalWidth, {&gCanLRect},
                 &Ordnix::drawLeftHospital);
}

void Ordnix::stepRightHospital() {
    stepBuilding(*this, &Ordnix::outlineRightHospital, gHospRTop, gHospRLeft, hospitalWidth, {&gCanRRect},
                 &Ordnix::drawRightHospital);
}

void Ordnix::stepLeftPost() {
    stepBuilding(*this, &Ordnix::outlineLeftPost, gPostLTop, gPostLLeft, postWidth, {&gCanLRect, &gLHospRect},
                 &Ordnix::drawLeftPost);
}

void Ordnix::stepRightPost() {
    stepBuilding(*this, &Ordnix::outlineRightPost, gPostRTop, gPostRLeft, postWidth, {&gCanRRect, &gRHospRect},
                 &Ordnix::drawRightPost);
}
