// The ball speed screen: the delay "OK" sets from the slider, presses and drags on and beside the controls,
// and the windows around the screen.
#include "OptionsTestSupport.h"

namespace {

using namespace options_test;

constexpr WindowID speed = WindowID::ballSpeed;
constexpr int64_t okH = 266, okV = 137; // the corner of "OK" farthest from its top left

int64_t delayFor(int64_t speedX) { return (220 - (speedX - 57)) * 20; }

void expectFill(const QuickDraw::Bitmap& b, int64_t speedX) {
    SCOPED_TRACE(::testing::Message() << "slider filled to " << speedX);
    EXPECT_TRUE(filledWith(b, tlbr(65, 58, 76, speedX), QuickDraw::Pattern::gray));
    EXPECT_TRUE(allWhite(b, tlbr(65, speedX + 1, 76, 249)));
    EXPECT_TRUE(allBlack(b, tlbr(64, 57, 65, 250))) << "the slider's frame";
}

// A press or a drag, then "OK". A press inside the slider (57..249, 64..76) moves the fill; elsewhere, including just
// beside "OK" (222..266, 111..137) and "OBSERVE" (40..139), nothing. A drag that began on the slider follows it past
// either end, clamped there; one that began beside it moves it only while over it; neither presses a button it
// crosses. The delay stays 540 until "OK".
TEST(BallSpeed, SliderPressesAndDragsThenOK) {
    const int64_t far = int64_t{1} << 45;
    const std::array<int64_t, 3> presses[] = {
        {57, 70, 57},    {249, 70, 249},  {153, 64, 153}, {100, 76, 100},   {58, 66, 58},   {250, 70, 249},
        {56, 70, 249},   {100, 77, 249},  {100, 63, 249}, {-far, far, 249}, {far, 70, 249}, {150, 100, 249},
        {170, 120, 249}, {221, 120, 249}, {267, 120, 249}, {240, 110, 249}, {240, 138, 249}, {39, 120, 249},
        {140, 120, 249}, {90, 110, 249},  {90, 138, 249},
    };
    // From (h0, v0) to (h1, v1); a press is a drag that does not move.
    std::vector<std::array<int64_t, 5>> cases = {
        {150, 70, -400, 70, 57}, {150, 70, 900, 70, 249}, {100, 70, 240, 120, 240},
        {200, 70, 90, 125, 90},  {150, 100, 240, 120, 249}, {20, 70, 100, 70, 100},
    };
    for (auto [h, v, speedX] : presses)
        cases.push_back({h, v, h, v, speedX});
    for (auto [h0, v0, h1, v1, speedX] : cases) {
        SCOPED_TRACE(::testing::Message() << "from (h " << h0 << ", v " << v0 << ") to (h " << h1 << ", v " << v1 << ")");
        Session s;
        int64_t delayBeforeOK = 0;
        bool open = false;
        ASSERT_TRUE(onScreen(s, 261, 6, speed, okH, okV, [&](ScriptedHost& host) {
            if (h0 == h1 && v0 == v1) {
                press(host, speed, h0, v0);
            } else {
                host.drag(speed, h0, v0, h1, v1, 6, 2);
                host.waitTicks(2);
            }
            host.perform("look at the screen", [&](ScriptedHost& hs) {
                open = hs.windowShown(speed);
                delayBeforeOK = s.game.gBallDelay;
            });
        }));
        EXPECT_TRUE(open) << "\"OK\" was not pressed";
        EXPECT_EQ(delayBeforeOK, 540);
        EXPECT_TRUE(s.host->soundsPlayed().empty()) << "no demo ball burst";
        EXPECT_EQ(s.game.gSpeedX, speedX);
        EXPECT_EQ(s.game.gBallDelay, delayFor(speedX));
        expectFill(s.bitmap(speed), speedX);
    }
    EXPECT_EQ(delayFor(57), 4400) << "the slow end";
}

} // namespace
