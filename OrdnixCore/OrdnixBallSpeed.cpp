// The ball speed screen in the ball-speed window: a slider from "Slower" to "Faster", "OBSERVE" to fly
// a demo ball at the chosen speed, and "OK". The speed becomes gBallDelay, the pause the shot flight
// adds to every step of a ball.
#include "Ordnix.h"

#include <algorithm>

namespace {
// Slider geometry; gSpeedX is the column where the gray fill ends.
constexpr int64_t slowestX = 57;
constexpr int64_t fastestX = 249;
constexpr int64_t sliderTop = 64;
constexpr int64_t sliderBottom = 76; // inclusive: the frame's inner bottom row
// Buttons, hit-tested with inclusive sides.
constexpr int64_t buttonTop = 111;
constexpr int64_t buttonBottom = 137;
constexpr int64_t okLeft = 222, okRight = 266;
constexpr int64_t observeLeft = 40, observeRight = 139;

const QuickDraw::Rect okButton = Ordnix::rectTLBR(111, 222, 138, 267);
const QuickDraw::Rect observeButton = Ordnix::rectTLBR(111, 40, 138, 140);

bool within(int64_t x, int64_t low, int64_t high) { return low <= x && x <= high; }

// The delay per ball step that the slider position stands for: 4400 slowest, 560 fastest.
int64_t delayFor(int64_t speedX) { return (220 - (speedX - slowestX)) * 20; }
} // namespace

void Ordnix::setBallSpeed() {
    // A click made on the field before the command would otherwise count as a press on this screen.
    flushEvents(everyEvent, 0);
    showWindow(*gSpeedWindow);
    selectWindow(*gSpeedWindow);
    setPort(*gSpeedWindow);
    // The last opening left "OK" inverted (and a burst where the demo ball landed); every opening
    // starts from a blank window, as the first one does.
    eraseRect(gSpeedWindow->port().portRect);
    doBallSpeed();
    hideWindow(*gSpeedWindow);
    showWindow(*gFieldWindow);
    setPort(*gFieldWindow);
}

namespace {
void drawSliderFill(Ordnix& game) {
    game.fillRect(Ordnix::rectTLBR(65, 58, 76, game.gSpeedX), game.gray);
    game.fillRect(Ordnix::rectTLBR(65, game.gSpeedX + 1, 76, fastestX), game.white);
}

// Waits until the tick moves past the current one (tickCount idles the host while it stands still).
void waitNextTick(Ordnix& game) {
    game.gTicks = game.tickCount();
    while (game.tickCount() == game.gTicks) {
    }
}

// The demo ball crosses the window in 38 steps of 5 columns at the real flight pace: each step shows
// the ball on a tick edge, holds it for the delay, and erases it the same way.
void demoFlight(Ordnix& game) {
    for (int64_t x = 57; x <= 242; x += 5) {
        QuickDraw::Rect ball = Ordnix::rectTLBR(50, x, 55, x + 5);
        waitNextTick(game);
        game.invertOval(ball);
        game.host().spin(game.gBallDelay);
        waitNextTick(game);
        game.invertOval(ball);
        game.host().spin(game.gBallDelay);
    }
}
} // namespace

void Ordnix::doBallSpeed() {
    gIconMode = true;
    drawCarriage(35, 55, 1);
    penSize(2, 4);
    moveTo(35, 52);
    lineTo(49, 52);
    penNormal();
    gIconMode = false;

    textSize(12);
    textFace(QuickDraw::Style::bold);
    moveTo(57, 90);
    drawString("Slower");
    moveTo(200, 90);
    drawString("Faster");
    moveTo(69, 30);
    drawString("SET CANNON BALL SPEED");

    textSize(14);
    frameRoundRect(okButton, 10, 10);
    moveTo(234, 130);
    drawString("OK");
    frameRoundRect(observeButton, 10, 10);
    moveTo(55, 130);
    drawString("OBSERVE");
    textFace(QuickDraw::Style{});
    textSize(9);

    frameRect(rectTLBR(64, 57, 77, 250));
    drawSliderFill(*this);

    // A press belongs to the control it began on until release: the slider clamps at its ends, and
    // "OK" and "OBSERVE" answer only a press that began on them.
    enum class Grip { released, elsewhere, slider, ok, observe };
    Grip grip = Grip::released;
    bool done = false;
    while (!done) {
        while (!button())
            grip = Grip::released;
        getMouse(gMouse);
        int64_t h = gMouse.h;
        int64_t v = gMouse.v;
        const bool onSlider = within(h, slowestX, fastestX) && within(v, sliderTop, sliderBottom);
        const bool onOK = within(h, okLeft, okRight) && within(v, buttonTop, buttonBottom);
        const bool onObserve = within(h, observeLeft, observeRight) && within(v, buttonTop, buttonBottom);
        if (grip == Grip::released)
            grip = onSlider ? Grip::slider : onOK ? Grip::ok : onObserve ? Grip::observe : Grip::elsewhere;
        if (grip == Grip::slider || (grip == Grip::elsewhere && onSlider)) {
            gSpeedX = std::clamp(h, slowestX, fastestX);
            drawSliderFill(*this);
        }
        if (grip == Grip::ok && onOK) {
            inverRoundRect(okButton, 10, 10);
            gBallDelay = delayFor(gSpeedX);
            done = true;
        }
        if (grip == Grip::observe && onObserve) {
            inverRoundRect(observeButton, 10, 10);
            gBallDelay = delayFor(gSpeedX);
            demoFlight(*this);
            gBallX = 247;
            gBallY = 45;
            groundBurst();
            inverRoundRect(observeButton, 10, 10);
            // The demo outlasts any click: a press seen next is a new one (one still held re-grips where
            // the pointer is), so a click on "OK" during the flight is not lost.
            grip = Grip::released;
        }
    }
    // "OK" stays inverted for this pause; the command hides the window next.
    host().spin(gBallDelay * 50 / 74);
}
