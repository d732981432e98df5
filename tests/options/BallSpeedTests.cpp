// The ball speed screen: the delay that "OK" sets from the slider, presses outside the controls,
// "OBSERVE" with its demo flight and burst, and the windows around the screen.
#include "OptionsTestSupport.h"

#include <algorithm>
#include <cstdio>
#include <random>

namespace {

using namespace options_test;

constexpr WindowID speed = WindowID::ballSpeed;
constexpr int64_t rrMenu = 261;
constexpr int64_t ballSpeedItem = 6;
constexpr int64_t okH = 240, okV = 120;
constexpr int64_t observeH = 90, observeV = 120;

// The delay per ball step for a slider position: (220 - (x - 57)) x 20.
int64_t delayFor(int64_t speedX) { return (220 - (speedX - 57)) * 20; }

// Opens the screen, lets it reach its wait for a press, runs `script`, presses "OK" and quits.
template <typename Script>
bool onScreen(Session& s, Script script) {
    s.host->chooseMenu(rrMenu, ballSpeedItem);
    s.host->waitForWindowShown(speed);
    s.host->waitForCalls(HostOp::button, 1);
    script(*s.host);
    s.host->clickAt(speed, okH, okV);
    s.host->waitForWindowHidden(speed);
    s.host->quit();
    return s.play();
}

void expectFill(const QuickDraw::Bitmap& b, int64_t speedX) {
    SCOPED_TRACE(::testing::Message() << "slider filled to " << speedX);
    EXPECT_TRUE(filledWith(b, tlbr(65, 58, 76, speedX), QuickDraw::Pattern::gray));
    EXPECT_TRUE(allWhite(b, tlbr(65, speedX + 1, 76, 249)));
    EXPECT_TRUE(allBlack(b, tlbr(64, 57, 65, 250))) << "the slider's frame";
}

// The spin calls the game made with exactly `passes`, in log order.
int64_t spinsOf(const ScriptedHost& host, int64_t passes, size_t from = 0, size_t to = SIZE_MAX) {
    int64_t n = 0;
    const auto& log = host.log();
    for (size_t i = from; i < std::min(to, log.size()); ++i)
        if (log[i].op == HostOp::spin && log[i].arg == passes)
            n += log[i].count;
    return n;
}

TEST(BallSpeed, OKAtOnceGivesTheFastestBall) {
    Session s;
    ASSERT_TRUE(onScreen(s, [](ScriptedHost&) {}));
    EXPECT_EQ(s.game.gSpeedX, 249);
    EXPECT_EQ(s.game.gBallDelay, 560);
    EXPECT_EQ(spinsOf(*s.host, 560 * 50 / 74), 1) << "the pause after OK";
    expectFill(s.bitmap(speed), 249);
    // "OK" stays inverted: the row under its top edge is black across the middle.
    EXPECT_TRUE(allBlack(s.bitmap(speed), tlbr(113, 232, 114, 258)));
    EXPECT_FALSE(s.game.gIconMode);

    // The texts of the screen, each where nothing else is drawn.
    using QuickDraw::Style;
    struct Text {
        const char* text;
        int64_t h, v, size;
        QuickDraw::Rect area;
    };
    const Text texts[] = {
        {"SET CANNON BALL SPEED", 69, 30, 12, tlbr(12, 60, 36, 300)},
        {"Slower", 57, 90, 12, tlbr(78, 50, 98, 120)},
        {"Faster", 200, 90, 12, tlbr(78, 190, 98, 280)},
        {"OBSERVE", 55, 130, 14, tlbr(113, 44, 136, 136)},
    };
    for (const Text& t : texts) {
        SCOPED_TRACE(t.text);
        EXPECT_EQ(s.bitmap(speed).dump(t.area), renderedText(300, 150, t.text, t.h, t.v, QuickDraw::FontID::systemFont,
                                                             Style::bold, t.size, t.area));
        EXPECT_GT(blackCount(s.bitmap(speed), t.area), 10);
    }
    // The cannon icon left of the slider.
    EXPECT_GT(blackCount(s.bitmap(speed), tlbr(45, 15, 66, 52)), 40);
}

TEST(BallSpeed, WindowsAroundTheScreen) {
    Session s;
    ASSERT_TRUE(onScreen(s, [](ScriptedHost&) {}));
    std::vector<std::pair<WindowID, bool>> events;
    for (const auto& e : s.host->windowEvents())
        events.emplace_back(e.id, e.shown);
    const std::vector<std::pair<WindowID, bool>> expected{
        {WindowID::field, true}, {speed, true}, {speed, false}};
    EXPECT_EQ(events, expected);
    EXPECT_EQ(s.game.currentWindow().id(), WindowID::field);
    EXPECT_TRUE(s.game.window(WindowID::field).visible());
    EXPECT_FALSE(s.game.window(speed).visible());
    EXPECT_TRUE(s.host->protocolErrors().empty());
}

TEST(BallSpeed, SliderPressesThenOK) {
    struct Case {
        int64_t h, v;
        int64_t speedX;
    };
    const int64_t far = int64_t{1} << 45;
    const Case cases[] = {
        {57, 70, 57},   {249, 70, 249}, {153, 64, 153}, {100, 76, 100}, {58, 66, 58},
        {250, 70, 249}, {56, 70, 249},  {100, 77, 249}, {100, 63, 249}, {-far, far, 249},
        {far, 70, 249}, {150, 100, 249}, {170, 120, 249},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "(h " << c.h << ", v " << c.v << ")");
        Session s;
        ASSERT_TRUE(onScreen(s, [&](ScriptedHost& host) { press(host, speed, c.h, c.v); }));
        EXPECT_EQ(s.game.gSpeedX, c.speedX);
        EXPECT_EQ(s.game.gBallDelay, delayFor(c.speedX));
        expectFill(s.bitmap(speed), c.speedX);
    }
    EXPECT_EQ(delayFor(57), 4400);
}

TEST(BallSpeed, TheDelayChangesOnlyWithOK) {
    Session s;
    int64_t delayBeforeOK = 0;
    ASSERT_TRUE(onScreen(s, [&](ScriptedHost& host) {
        press(host, speed, 57, 70);
        host.perform("look at the delay", [&](ScriptedHost&) { delayBeforeOK = s.game.gBallDelay; });
    }));
    EXPECT_EQ(delayBeforeOK, 540) << "the start value stays until OK";
    EXPECT_EQ(s.game.gBallDelay, 4400);
}

TEST(BallSpeed, DraggingMovesTheFillAndTheNextOpeningShowsIt) {
    Session s;
    std::vector<int64_t> seen;
    int64_t delayAfterFirst = 0;
    ScriptedHost& host = *s.host;
    host.chooseMenu(rrMenu, ballSpeedItem);
    host.waitForWindowShown(speed);
    host.waitForCalls(HostOp::button, 1);
    host.pressAt(speed, 60, 70);
    for (int64_t h : {60, 120, 200, 90}) {
        host.moveMouse(speed, h, 70);
        host.waitTicks(2);
        host.perform("look at the slider", [&](ScriptedHost&) { seen.push_back(s.game.gSpeedX); });
    }
    host.release();
    host.waitTicks(1);
    host.clickAt(speed, okH, okV);
    host.waitForWindowHidden(speed);
    host.perform("remember the delay and wipe the slider", [&](ScriptedHost&) {
        delayAfterFirst = s.game.gBallDelay;
        for (int64_t v = 65; v < 76; ++v)
            for (int64_t h = 58; h < 249; ++h)
                s.bitmap(speed).setPixel(h, v, false);
    });
    // Reopened: the slider shows the last position, and "OK" keeps it.
    host.chooseMenu(rrMenu, ballSpeedItem);
    host.waitForWindowShown(speed);
    host.waitForCalls(HostOp::button, 1);
    host.clickAt(speed, okH, okV);
    host.waitForWindowHidden(speed);
    host.quit();
    ASSERT_TRUE(s.play());
    EXPECT_EQ(seen, (std::vector<int64_t>{60, 120, 200, 90}));
    EXPECT_EQ(delayAfterFirst, delayFor(90));
    expectFill(s.bitmap(speed), 90); // drawn again by the second opening
    EXPECT_EQ(s.game.gSpeedX, 90);
    EXPECT_EQ(s.game.gBallDelay, delayFor(90));
}

TEST(BallSpeed, ObserveFliesTheDemoBallAndBursts) {
    for (int64_t speedX : {249, 57}) {
        SCOPED_TRACE(speedX);
        Session s;
        const QuickDraw::Rect observeButton = tlbr(111, 40, 138, 140);
        const QuickDraw::Rect path = tlbr(48, 57, 58, 241); // the ball's rows, short of the burst
        std::vector<std::string> buttonBefore, pathBefore, buttonAfter;
        size_t logAtObserve = 0;
        bool openAfter = false;
        ASSERT_TRUE(onScreen(s, [&](ScriptedHost& host) {
            press(host, speed, speedX, 70);
            host.perform("remember the screen", [&](ScriptedHost& h) {
                buttonBefore = s.bitmap(speed).dump(observeButton);
                pathBefore = s.bitmap(speed).dump(path);
                logAtObserve = h.log().size();
            });
            host.clickAt(speed, observeH, observeV);
            host.waitForCalls(HostOp::playSound, 1); // the burst's sound
            host.waitForCalls(HostOp::button, 1);    // the screen waits for the next press
            host.perform("look at the screen", [&](ScriptedHost& h) {
                buttonAfter = s.bitmap(speed).dump(observeButton);
                openAfter = h.windowShown(speed);
            });
        }));
        const int64_t delay = delayFor(speedX);
        // Up to the burst's sound the delay was spun twice per step: 38 steps.
        size_t burst = logAtObserve;
        const auto& log = s.host->log();
        while (burst < log.size() && !(log[burst].op == HostOp::playSound && log[burst].arg == 129))
            ++burst;
        ASSERT_LT(burst, log.size()) << "the burst plays the ground sound";
        EXPECT_EQ(spinsOf(*s.host, delay, logAtObserve, burst), 76);
        EXPECT_EQ(s.game.gBallX, 247);
        EXPECT_EQ(s.game.gBallY, 45);
        EXPECT_EQ(s.game.gBallDelay, delay);
        EXPECT_TRUE(openAfter) << "the screen stays open after OBSERVE";
        EXPECT_EQ(buttonAfter, buttonBefore) << "OBSERVE shows normal again";
        EXPECT_EQ(s.bitmap(speed).dump(path), pathBefore) << "every ball shown was erased";
        EXPECT_GT(blackCount(s.bitmap(speed), observeButton), 0);
    }
}

} // namespace

namespace {

TEST(BallSpeed, RandomPressesKeepTheSpeedInRange) {
    const uint32_t seed = std::random_device{}();
    SCOPED_TRACE(::testing::Message() << "seed " << seed);
    std::printf("random presses on the ball speed screen, seed %u\n", seed);
    std::mt19937 random(seed);
    auto coordinate = [&](int64_t low, int64_t high) { return std::uniform_int_distribution<int64_t>(low, high)(random); };
    Session s;
    ASSERT_TRUE(onScreen(s, [&](ScriptedHost& host) {
        for (int n = 0; n < 150; ++n) {
            int64_t h = coordinate(-60, 360);
            int64_t v = coordinate(-60, 210);
            if (n % 7 == 0)
                h = coordinate(-(int64_t{1} << 50), int64_t{1} << 50);
            // Keep off "OK" (which ends the screen) and "OBSERVE" (tested on its own).
            if (v >= 105 && v <= 140 && ((h >= 35 && h <= 145) || (h >= 215 && h <= 270)))
                v = 60;
            if (n % 4 == 0) {
                v = coordinate(-60, 100);
                host.drag(speed, h, v, coordinate(0, 300), coordinate(50, 90), 3, 1);
            } else {
                host.clickAt(speed, h, v);
            }
            host.waitTicks(1);
        }
    }));
    EXPECT_GE(s.game.gSpeedX, 57);
    EXPECT_LE(s.game.gSpeedX, 249);
    EXPECT_EQ(s.game.gBallDelay, delayFor(s.game.gSpeedX));
    EXPECT_GE(s.game.gBallDelay, 560);
    EXPECT_LE(s.game.gBallDelay, 4400);
    expectFill(s.bitmap(speed), s.game.gSpeedX);
    EXPECT_FALSE(s.game.window(speed).visible());
}

} // namespace
