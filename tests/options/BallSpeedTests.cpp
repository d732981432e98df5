// The ball speed screen: the delay "OK" sets from the slider, presses and drags on and beside the controls,
// "OBSERVE" with its demo flight and burst, every opening alike, and the windows around the screen.
#include "OptionsTestSupport.h"

namespace {

using namespace options_test;

constexpr WindowID speed = WindowID::ballSpeed;
constexpr int64_t okH = 266, okV = 137; // the corner of "OK" farthest from its top left

int64_t delayFor(int64_t speedX) { return (220 - (speedX - 57)) * 20; }

template <typename Script>
bool onScreen(Session& s, Script script) {
    return options_test::onScreen(s, 261, 6, speed, okH, okV, script);
}

void expectFill(const QuickDraw::Bitmap& b, int64_t speedX) {
    SCOPED_TRACE(::testing::Message() << "slider filled to " << speedX);
    EXPECT_TRUE(filledWith(b, tlbr(65, 58, 76, speedX), QuickDraw::Pattern::gray));
    EXPECT_TRUE(allWhite(b, tlbr(65, speedX + 1, 76, 249)));
    EXPECT_TRUE(allBlack(b, tlbr(64, 57, 65, 250))) << "the slider's frame";
}

// The spin calls with exactly `passes` in the log from `from` to `to`.
int64_t spinsOf(const ScriptedHost& host, int64_t passes, size_t from = 0, size_t to = SIZE_MAX) {
    int64_t n = 0;
    for (size_t i = from; i < std::min(to, host.log().size()); ++i)
        if (host.log()[i].op == HostOp::spin && host.log()[i].arg == passes)
            n += host.log()[i].count;
    return n;
}

TEST(BallSpeed, OKAtOnceGivesTheFastestBall) {
    Session s;
    ASSERT_TRUE(onScreen(s, [](ScriptedHost&) {}));
    const auto& b = s.bitmap(speed);
    EXPECT_EQ(s.game.gSpeedX, 249);
    EXPECT_EQ(s.game.gBallDelay, 560);
    EXPECT_EQ(spinsOf(*s.host, 560 * 50 / 74), 1) << "the pause after OK";
    expectFill(b, 249);
    EXPECT_TRUE(allBlack(b, tlbr(113, 232, 114, 258))) << "OK stays inverted";
    EXPECT_FALSE(s.game.gIconMode);
    for (auto [text, h, v, size, area] : {std::tuple{"SET CANNON BALL SPEED", 69, 30, 12, tlbr(12, 60, 36, 300)},
                                          {"Slower", 57, 90, 12, tlbr(78, 50, 98, 120)},
                                          {"Faster", 200, 90, 12, tlbr(78, 190, 98, 280)},
                                          {"OBSERVE", 55, 130, 14, tlbr(113, 44, 136, 136)}}) {
        EXPECT_EQ(b.dump(area), renderedText(text, h, v, QuickDraw::FontID::systemFont, QuickDraw::Style::bold, size, area))
            << text;
        EXPECT_GT(blackCount(b, area), 10) << text;
    }
    // The ball-speed window came and went; the field window is current again.
    std::vector<std::pair<WindowID, bool>> events;
    for (const auto& e : s.host->windowEvents())
        events.emplace_back(e.id, e.shown);
    EXPECT_EQ(events, (std::vector<std::pair<WindowID, bool>>{{WindowID::field, true}, {speed, true}, {speed, false}}));
    EXPECT_EQ(s.game.currentWindow().id(), WindowID::field);
    EXPECT_TRUE(s.host->protocolErrors().empty());
}

// One press, then "OK": inside the slider (57..249, 64..76) it moves the fill; elsewhere, including just beside
// "OK" (222..266, 111..137) and "OBSERVE" (40..139), nothing. The delay stays 540 until "OK".
TEST(BallSpeed, SliderPressesThenOK) {
    const int64_t far = int64_t{1} << 45;
    const std::array<int64_t, 3> cases[] = {
        {57, 70, 57},    {249, 70, 249},  {153, 64, 153}, {100, 76, 100},   {58, 66, 58},   {250, 70, 249},
        {56, 70, 249},   {100, 77, 249},  {100, 63, 249}, {-far, far, 249}, {far, 70, 249}, {150, 100, 249},
        {170, 120, 249}, {221, 120, 249}, {267, 120, 249}, {240, 110, 249}, {240, 138, 249}, {39, 120, 249},
        {140, 120, 249}, {90, 110, 249},  {90, 138, 249},
    };
    for (auto [h, v, speedX] : cases) {
        SCOPED_TRACE(::testing::Message() << "(h " << h << ", v " << v << ")");
        Session s;
        int64_t delayBeforeOK = 0;
        ASSERT_TRUE(onScreen(s, [&](ScriptedHost& host) {
            press(host, speed, h, v);
            host.perform("look at the delay", [&](ScriptedHost&) { delayBeforeOK = s.game.gBallDelay; });
        }));
        EXPECT_EQ(delayBeforeOK, 540);
        EXPECT_EQ(s.game.gSpeedX, speedX);
        EXPECT_EQ(s.game.gBallDelay, delayFor(speedX));
        expectFill(s.bitmap(speed), speedX);
    }
    EXPECT_EQ(delayFor(57), 4400) << "the slow end";

    // Drags, then "OK": a press on the slider follows it past either end, clamped there, and presses no button it
    // crosses; a press that began beside the slider moves it only while over it and presses no button either.
    const std::array<int64_t, 5> drags[] = {
        {150, 70, -400, 70, 57}, {150, 70, 900, 70, 249}, {100, 70, 240, 120, 240},
        {200, 70, 90, 125, 90},  {150, 100, 240, 120, 249}, {20, 70, 100, 70, 100},
    };
    for (auto [h0, v0, h1, v1, speedX] : drags) {
        SCOPED_TRACE(::testing::Message() << "drag from (h " << h0 << ", v " << v0 << ") to (h " << h1 << ", v " << v1 << ")");
        Session s;
        bool open = false;
        ASSERT_TRUE(onScreen(s, [&](ScriptedHost& host) {
            host.drag(speed, h0, v0, h1, v1, 6, 2);
            host.waitTicks(2);
            host.perform("look at the screen", [&](ScriptedHost& h) { open = h.windowShown(speed); });
        }));
        EXPECT_TRUE(open) << "\"OK\" was not pressed";
        EXPECT_TRUE(s.host->soundsPlayed().empty()) << "no demo ball burst";
        EXPECT_EQ(s.game.gSpeedX, speedX);
        expectFill(s.bitmap(speed), speedX);
    }
}

// "OK" is left inverted and "OBSERVE" leaves its burst when the screen closes; the next opening still looks
// exactly like the first.
TEST(BallSpeed, EveryOpeningLooksLikeTheFirst) {
    Session s;
    std::vector<std::vector<std::string>> openings;
    for (int n = 0; n < 2; ++n) {
        s.host->chooseMenu(261, 6);
        s.host->waitForWindowShown(speed);
        s.host->waitForCalls(HostOp::button, 1);
        s.host->perform("look at the screen", [&](ScriptedHost&) { openings.push_back(s.bitmap(speed).dump(tlbr(0, 0, 150, 300))); });
        if (n == 0) {
            s.host->clickAt(speed, 90, 120); // "OBSERVE"
            s.host->waitForCalls(HostOp::playSound, 1);
            s.host->waitForCalls(HostOp::button, 1);
        }
        s.host->clickAt(speed, okH, okV);
        s.host->waitForWindowHidden(speed);
    }
    s.host->quit();
    ASSERT_TRUE(s.play());
    ASSERT_EQ(openings.size(), 2u);
    EXPECT_EQ(openings[1], openings[0]);
}

TEST(BallSpeed, ObserveFliesTheDemoBallAndBursts) {
    for (int64_t speedX : {249, 57}) {
        SCOPED_TRACE(speedX);
        Session s;
        const Rect button = tlbr(111, 40, 138, 140), path = tlbr(48, 57, 58, 241); // the ball's rows, short of the burst
        std::vector<std::string> buttonBefore, pathBefore, buttonAfter;
        size_t logAtObserve = 0;
        bool openAfter = false;
        ASSERT_TRUE(onScreen(s, [&](ScriptedHost& host) {
            press(host, speed, speedX, 70);
            host.perform("remember the screen", [&](ScriptedHost& h) {
                buttonBefore = s.bitmap(speed).dump(button);
                pathBefore = s.bitmap(speed).dump(path);
                logAtObserve = h.log().size();
            });
            host.clickAt(speed, speedX == 249 ? 40 : 139, speedX == 249 ? 111 : 137); // corners of "OBSERVE"
            host.waitForCalls(HostOp::playSound, 1); // the burst
            host.waitForCalls(HostOp::button, 1);    // the screen waits for the next press
            host.perform("look at the screen", [&](ScriptedHost& h) {
                buttonAfter = s.bitmap(speed).dump(button);
                openAfter = h.windowShown(speed);
            });
        }));
        // Up to the burst's ground sound the delay was spun twice per step: 38 steps.
        const auto& log = s.host->log();
        size_t burst = logAtObserve;
        while (burst < log.size() && !(log[burst].op == HostOp::playSound && log[burst].arg == 129))
            ++burst;
        ASSERT_LT(burst, log.size()) << "the burst plays the ground sound";
        EXPECT_EQ(spinsOf(*s.host, delayFor(speedX), logAtObserve, burst), 76);
        EXPECT_EQ(std::make_pair(s.game.gBallX, s.game.gBallY), std::make_pair(247l, 45l));
        EXPECT_TRUE(openAfter) << "the screen stays open after OBSERVE";
        EXPECT_EQ(buttonAfter, buttonBefore) << "OBSERVE shows normal again";
        EXPECT_EQ(s.bitmap(speed).dump(path), pathBefore) << "every ball shown was erased";
    }
}

} // namespace
