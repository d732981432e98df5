// End-to-end: a whole battle from the keyboard alone, the menu bar included.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include <QImage>

#include "XSession.h"

namespace {

using namespace std::chrono_literals;

bool atRest(XSession& x) { return x.menuLine("262", "enabled=true items=[true, false]") && x.ready(); }

// The left panel is up (under the right half the ground stays black).
bool leftPanelShown(const QImage& field) { return !field.isNull() && !black(field, 100, 283); }
// The grey bar of the left panel's powder slider (row 290, from column 95) ends before column `end`.
bool powderBarEndsAt(const QImage& field, int end) {
    return !field.isNull() && (black(field, end - 2, 290) || black(field, end - 1, 290)) && !black(field, end + 2, 290);
}

void pause(std::chrono::milliseconds ms) { std::this_thread::sleep_for(ms); }

TEST(EndToEnd, AWholeBattleIsPlayedFromTheKeyboardAfterStartingItFromTheMenuBar) {
    if (!XSession::xvfbAvailable())
        GTEST_SKIP() << "Xvfb is not installed";
    XSession x;
    ASSERT_TRUE(x.started()) << "Xvfb did not start";
    // The person plays the left cannon; the right one's player answers every shot.
    ASSERT_TRUE(x.startGame({QStringLiteral("--right"), QStringLiteral("computer:deadly")}));

    // Alt opens the menu bar on its first title; six titles on lies "Battle"; Down opens it on its first
    // enabled item, "START A BATTLE".
    x.key(QStringLiteral("alt"));
    pause(300ms);
    for (int i = 0; i < 6; ++i) {
        x.key(QStringLiteral("Right"));
        pause(80ms);
    }
    x.key(QStringLiteral("Down"));
    pause(300ms);
    x.key(QStringLiteral("Return"));
    ASSERT_TRUE(XSession::waitUntil([&] { return x.aiming() && leftPanelShown(x.field()); }, 30s))
        << "the battle did not start from the keyboard";

    // Powder 15, elevation 0: a flat, weak shot that falls short whatever the field.
    for (int i = 0; i < 5; ++i)
        x.key(QStringLiteral("Right"));
    x.key(QStringLiteral("Down"));
    x.key(QStringLiteral("shift+Left"));
    EXPECT_TRUE(XSession::waitUntil([&] { return powderBarEndsAt(x.field(), 95 + 5); }, 10s))
        << "the powder bar did not move to 15";
    x.key(QStringLiteral("Return"));

    // Turns follow until the battle ends; the person fires again with Space at each of theirs.
    int personTurns = 1;
    const auto deadline = std::chrono::steady_clock::now() + 150s;
    XSession::waitUntil([&] { return !x.aiming(); }, 10s);
    while (!atRest(x) && std::chrono::steady_clock::now() < deadline) {
        if (x.aiming() && leftPanelShown(x.field())) {
            ++personTurns;
            x.key(QStringLiteral("space"));
            XSession::waitUntil([&] { return !x.aiming(); }, 10s);
        }
        pause(300ms);
    }
    ASSERT_TRUE(atRest(x)) << "the battle did not end";
    std::printf("the battle ended after %d turns of the person\n", personTurns);

    // The shortcuts listed in the Battle menu start and stop the next battle.
    x.keyUntil(QStringLiteral("ctrl+b"), [&] { return x.aiming(); }, 60s);
    ASSERT_TRUE(x.aiming()) << "Ctrl+B started no battle";
    x.keyUntil(QStringLiteral("ctrl+period"), [&] { return atRest(x); }, 30s);
    EXPECT_TRUE(atRest(x)) << "Ctrl+. stopped no battle";

    x.keyUntil(QStringLiteral("ctrl+q"), [&] { return x.game().waitForFinished(100); }, 30s);
    EXPECT_EQ(x.game().exitCode(), 0);
}

} // namespace
