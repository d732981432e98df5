// Quitting the real game in every way from every state.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>


#include "XSession.h"

namespace {

using namespace std::chrono_literals;

// The game's menus: index in the menu bar.
constexpr int rrMenu = 5;
constexpr int battleMenu = 6;

#define START_QUIT_SESSION(x)                                                                                \
    XSession x;                                                                                              \
    ASSERT_TRUE(x.started()) << "Xvfb did not start";                                                        \
    ASSERT_TRUE(x.startGame()) << "the game did not come up on " << x.display().toStdString()

enum class Way { key, menu, interrupt, terminate };

const char* wayName(Way way) {
    switch (way) {
    case Way::key: return "Ctrl+Q";
    case Way::menu: return "Ordnix > Quit Ordnix";
    case Way::interrupt: return "SIGINT";
    case Way::terminate: return "SIGTERM";
    }
    return "?";
}

// Quits once (no second try) and expects status 0; prints how long the process took to end.
void quitAndExpectCleanExit(XSession& x, Way way, const std::string& state) {
    SCOPED_TRACE(std::string(wayName(way)) + " while " + state);
    const auto start = std::chrono::steady_clock::now();
    switch (way) {
    case Way::key: x.key(QStringLiteral("ctrl+q")); break;
    case Way::menu: x.chooseMenu(0, 2); break;
    case Way::interrupt: ::kill(static_cast<pid_t>(x.game().processId()), SIGINT); break;
    case Way::terminate: ::kill(static_cast<pid_t>(x.game().processId()), SIGTERM); break;
    }
    ASSERT_TRUE(x.game().state() == QProcess::NotRunning || x.game().waitForFinished(20000)) << "the game did not end";
    EXPECT_EQ(x.game().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(x.game().exitCode(), 0);
    std::printf("quit with %s while %s: the process ended %lld ms later\n", wayName(way), state.c_str(),
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           std::chrono::steady_clock::now() - start)
                                           .count()));
}

bool battleReady(XSession& x) {
    const auto menus = x.menus();
    return menus.count(QStringLiteral("262")) && menus.at(QStringLiteral("262")).contains(QStringLiteral("items=[false, true]")) &&
           x.ready();
}

// Opens a sheet from the menu bar, then clicks the field window beside it (blocked by the sheet), which
// takes the keyboard away from the sheet for a moment; waits for the sheet to have it back.
void openSheetAndClickTheField(XSession& x, int menu, int item, const QString& title) {
    x.chooseMenu(menu, item);
    unsigned long sheet = 0;
    ASSERT_TRUE(XSession::waitUntil([&] { return (sheet = x.windowId(title)) != 0; }, 30s)) << "no sheet appeared";
    x.clickField(20, 60);
    // Not asserted: the quit must work whether or not the keyboard is back yet.
    XSession::waitUntil([&] { return x.focusedWindow() == sheet; }, 3s);
}

TEST(EndToEndQuitting, EveryWayEndsTheGameWithASheetOpenAfterAClickOnTheField) {
    if (!XSession::xvfbAvailable())
        GTEST_SKIP() << "Xvfb is not installed";
    struct Sheet {
        const char* name;
        int menu;
        int item;
        QString title;
    };
    const std::vector<Sheet> sheets = {
        {"the About box", 0, 1, QStringLiteral("^About Ordnix$")},
        {"the outs dialog", rrMenu, 3, QStringLiteral("^Whose Outs\\?$")},
        {"the player type dialog", rrMenu, 4, QStringLiteral("^Player Type$")},
    };
    // Each sheet with another way: every way meets a sheet.
    const Way ways[] = {Way::key, Way::interrupt, Way::terminate};
    for (size_t i = 0; i < sheets.size(); ++i) {
        START_QUIT_SESSION(x);
        openSheetAndClickTheField(x, sheets[i].menu, sheets[i].item, sheets[i].title);
        quitAndExpectCleanExit(x, ways[i], sheets[i].name + std::string(" is open"));
    }
}

TEST(EndToEndQuitting, EveryWayEndsTheGameAtTheMenusWhileAimingAndInFlight) {
    if (!XSession::xvfbAvailable())
        GTEST_SKIP() << "Xvfb is not installed";
    struct State {
        const char* name;
        std::function<void(XSession&)> reach;
        std::vector<Way> ways;
    };
    const auto aim = [](XSession& x) {
        x.chooseMenu(battleMenu, 0);
        ASSERT_TRUE(XSession::waitUntil([&] { return battleReady(x); }, 30s)) << "the battle did not start";
    };
    const std::vector<State> states = {
        {"idle at the menus", [](XSession&) {}, {Way::interrupt}},
        {"aiming", aim, {Way::menu}},
        {"flying a ball",
         [&aim](XSession& x) {
             aim(x);
             x.clickField(95 + 80, 290); // a strong charge, then Fire: a long flight
             std::this_thread::sleep_for(300ms);
             x.clickField(221, 298);
             std::this_thread::sleep_for(300ms);
         },
         {Way::key}},
    };
    for (const State& state : states)
        for (Way way : state.ways) {
            START_QUIT_SESSION(x);
            state.reach(x);
            quitAndExpectCleanExit(x, way, state.name);
        }
}

} // namespace
