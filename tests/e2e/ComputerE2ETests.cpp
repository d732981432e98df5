// End-to-end: a person against the computer in the real window.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include <QImage>
#include <QProcess>

#include "XSession.h"

namespace {

using namespace std::chrono_literals;

// The control panel lies under the right half of the field (elsewhere the ground there is black).
bool rightPanelShown(const QImage& field) { return !field.isNull() && !black(field, 400, 283); }

constexpr int battleMenu = 6;

TEST(EndToEnd, TheComputerAnswersTheLeftPlayersShotWithinFiveSeconds) {
    if (!XSession::xvfbAvailable())
        GTEST_SKIP() << "Xvfb is not installed";
    XSession x;
    ASSERT_TRUE(x.started()) << "Xvfb did not start";
    ASSERT_TRUE(x.startGame({QStringLiteral("--right"), QStringLiteral("computer:good")}));

    x.chooseMenu(battleMenu, 0);
    ASSERT_TRUE(XSession::waitUntil([&] { return x.aiming() && !rightPanelShown(x.field()); }, 30s))
        << "the left player's turn did not come";
    // The left player fires once: powder 15 at elevation 0 (the sliders start at column 95), "Fire". A
    // flat, weak shot falls short whatever the field, so the battle goes on to the computer's turn.
    x.clickField(95 + 5, 290);
    std::this_thread::sleep_for(500ms);
    x.clickField(221, 298);

    // The computer's turn: its panel is up and the Battle menu offers "STOP A BATTLE" (the game may
    // not poll the menus yet while the computer searches its shot).
    const auto computerAims = [&] {
        return x.menuLine("262", "enabled=true items=[false, true]") && rightPanelShown(x.field());
    };
    ASSERT_TRUE(XSession::waitUntil(computerAims, 60s))
        << "the computer's turn did not come" << (x.field().save(QStringLiteral("e2e-no-computer.png")) ? "" : "");
    const auto turn = std::chrono::steady_clock::now();
    // Its shot ends the aiming: the Battle menu goes off (ball in flight) or the battle ends at once.
    const bool fired = XSession::waitUntil([&] { return !computerAims(); }, 5s);
    EXPECT_TRUE(fired) << "the computer did not fire within 5 s";
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - turn);
    std::printf("the computer fired %lld ms after its turn showed\n", static_cast<long long>(took.count()));
    x.keyUntil(QStringLiteral("ctrl+q"), [&] { return x.game().waitForFinished(100); }, 30s);
    EXPECT_EQ(x.game().exitCode(), 0);
}

} // namespace
