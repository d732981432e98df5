// Network play end to end: `ordnix host` on one Xvfb display, `ordnix join` on another, both on
// 127.0.0.1; each player shoots from its own screen with xdotool, and both screens end up the same.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <QRegularExpression>
#include <unistd.h>

#include "XSession.h"

namespace {

using namespace std::chrono_literals;

constexpr int battleMenu = 6;

bool aiming(XSession& x) {
    const auto menus = x.menus();
    return menus.count("262") && menus.at("262").contains("items=[false, true]") && menus.count("ready") &&
           menus.at("ready") == "true";
}

// The right cannon's panel lies under the right half of the field (elsewhere the ground there is black).
bool rightPanelShown(const QImage& field) { return !field.isNull() && !black(field, 400, 283); }

// A weak flat shot (powder 15, elevation 0) from the panel of one side: it falls short whatever the
// field, so the battle goes on. The right panel lies 250 pixels right of the left one.
void shoot(XSession& x, bool right) {
    const int offset = right ? 250 : 0;
    x.clickField(95 + 5 + offset, 290);
    std::this_thread::sleep_for(500ms);
    x.clickField(221 + offset, 298);
}

TEST(EndToEnd, AHostAndAGuestOnTwoDisplaysPlayABattleAndSeeTheSameField) {
    if (!XSession::xvfbAvailable())
        GTEST_SKIP() << "Xvfb is not installed";
    XSession host, guest;
    ASSERT_TRUE(host.started() && guest.started()) << "Xvfb did not start";
    const QString port = QString::number(40000 + getpid() % 20000);
    ASSERT_TRUE(host.startGame({QStringLiteral("host"), QStringLiteral("--port"), port}));

    // The title gives the code; the sheet that gives it too goes away with Return.
    const QRegularExpression codeInTitle(QStringLiteral("join code ([A-Z0-9]+)"));
    QString code;
    ASSERT_TRUE(XSession::waitUntil([&] {
        const unsigned long window = host.windowId(QStringLiteral("^Ordnix ."));
        const auto match = codeInTitle.match(host.xdotool({QStringLiteral("getwindowname"), QString::number(window)}));
        code = match.hasMatch() ? match.captured(1) : QString();
        return !code.isEmpty();
    }, 30s));
    ASSERT_TRUE(host.keyUntil(QStringLiteral("Return"),
                              [&] { return host.windowId(QStringLiteral("^Ordnix: join code")) == 0; }, 30s));

    ASSERT_TRUE(guest.startGame({QStringLiteral("join"), QStringLiteral("127.0.0.1:") + port,
                                 QStringLiteral("--code"), code.toLower()}));
    EXPECT_TRUE(guest.menus().at("262").contains("enabled=false")) << "the guest's menus are greyed";

    host.chooseMenu(battleMenu, 0);
    // Two turns each, whoever begins: the one whose panel is up shoots from its own screen.
    for (int shot = 0; shot < 4; ++shot) {
        ASSERT_TRUE(XSession::waitUntil([&] { return aiming(host); }, 60s)) << "turn " << shot << " did not come";
        const bool guestsTurn = rightPanelShown(host.field());
        if (guestsTurn) {
            ASSERT_TRUE(XSession::waitUntil([&] { return rightPanelShown(guest.field()); }, 30s));
        }
        shoot(guestsTurn ? guest : host, guestsTurn);
        ASSERT_TRUE(XSession::waitUntil([&] { return !aiming(host) || rightPanelShown(host.field()) != guestsTurn; },
                                        60s))
            << (guestsTurn ? "the guest's" : "the host's") << " shot did not leave the panel";
    }
    ASSERT_TRUE(XSession::waitUntil([&] { return aiming(host); }, 60s));
    // The dumps come once a second: the guest's follows the host's within a few.
    EXPECT_TRUE(XSession::waitUntil([&] {
        const QImage mine = guest.field();
        return !mine.isNull() && mine == host.field();
    }, 20s)) << "the guest's field differs from the host's";

    // The guest tells its player that the host quit; a key pressed while that sheet takes the keyboard
    // can be lost, so Ctrl+Q is pressed again until the game ends.
    for (XSession* x : {&host, &guest}) {
        EXPECT_TRUE(x->keyUntil(QStringLiteral("ctrl+q"), [&] { return x->game().waitForFinished(100); }, 30s));
        EXPECT_EQ(x->game().exitCode(), 0);
    }
}

} // namespace
