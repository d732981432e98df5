// Quitting the real game in every way from every state, and a long session of random input that must
// leave it alive, quittable and free of sanitizer reports.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <deque>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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

enum class Way { key, menu, closeButton, interrupt, terminate };

const char* wayName(Way way) {
    switch (way) {
    case Way::key: return "Ctrl+Q";
    case Way::menu: return "Ordnix > Quit Ordnix";
    case Way::closeButton: return "the close button";
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
    case Way::closeButton: ASSERT_TRUE(x.closeWindow(x.windowId(QStringLiteral("^Ordnix$")))); break;
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

TEST(EndToEndQuitting, EveryWayEndsTheGameWithEverySheetOpenAfterAClickOnTheField) {
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
    for (const Sheet& sheet : sheets)
        for (Way way : {Way::key, Way::closeButton, Way::interrupt, Way::terminate}) {
            START_QUIT_SESSION(x);
            openSheetAndClickTheField(x, sheet.menu, sheet.item, sheet.title);
            quitAndExpectCleanExit(x, way, sheet.name + std::string(" is open"));
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
        ASSERT_TRUE(XSession::waitUntil([&] { return x.aiming(); }, 30s)) << "the battle did not start";
    };
    const std::vector<State> states = {
        {"idle at the menus", [](XSession&) {}, {Way::key, Way::closeButton, Way::interrupt, Way::terminate}},
        {"aiming", aim, {Way::menu, Way::closeButton, Way::terminate}},
        {"flying a ball",
         [&aim](XSession& x) {
             aim(x);
             x.clickField(95 + 80, 290); // a strong charge, then Fire: a long flight
             std::this_thread::sleep_for(300ms);
             x.clickField(221, 298);
             std::this_thread::sleep_for(300ms);
         },
         {Way::key, Way::closeButton, Way::interrupt}},
    };
    for (const State& state : states)
        for (Way way : state.ways) {
            START_QUIT_SESSION(x);
            state.reach(x);
            quitAndExpectCleanExit(x, way, state.name);
        }
}

// ---- the random-input soak ----

int64_t environmentNumber(const char* name, int64_t fallback) {
    bool ok = false;
    const int64_t value = qEnvironmentVariable(name).toLongLong(&ok);
    return ok && value > 0 ? value : fallback;
}

// Random inputs as a player's hand would give them: clicks and drags on the field (and the sheets and
// boxes over it), menus opened by their titles with an item clicked or the menu dismissed, keys, and
// short pauses. The application menu is never opened and no menu is left open, so no input can quit.
class Soak {
public:
    Soak(XSession& x, uint32_t seed) : x_(x), random_(seed) {}

    void step() {
        switch (pick(0, 9)) {
        case 0: case 1: case 2: click(); break;
        case 3: case 4: drag(); break;
        case 5: case 6: menu(); break;
        default: key(); break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(pick(5, 120)));
    }

    // The last inputs, oldest first.
    std::string recent() const {
        std::string text;
        for (const std::string& input : recent_)
            text += "  " + input + "\n";
        return text;
    }

private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    void note(std::string input) {
        recent_.push_back(std::move(input));
        if (recent_.size() > 20)
            recent_.pop_front();
    }

    QStringList at(QPoint p) { return {QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y())}; }

    void click() {
        const int h = pick(0, 511), v = pick(0, 321);
        note("click at field (" + std::to_string(h) + ", " + std::to_string(v) + ")");
        x_.xdotool(at(x_.screenPoint(h, v)) + QStringList{QStringLiteral("click"), QStringLiteral("1")});
    }

    void drag() {
        const int h0 = pick(0, 511), v0 = pick(0, 321), h1 = pick(0, 511), v1 = pick(0, 321);
        note("drag from field (" + std::to_string(h0) + ", " + std::to_string(v0) + ") to (" + std::to_string(h1) +
             ", " + std::to_string(v1) + ")");
        QStringList arguments = at(x_.screenPoint(h0, v0)) + QStringList{QStringLiteral("mousedown"), QStringLiteral("1")};
        for (int step = 1; step <= 3; ++step)
            arguments += QStringList{QStringLiteral("sleep"), QStringLiteral("0.04")} +
                         at(x_.screenPoint(h0 + (h1 - h0) * step / 3, v0 + (v1 - v0) * step / 3));
        arguments += QStringList{QStringLiteral("mouseup"), QStringLiteral("1")};
        x_.xdotool(arguments);
    }

    // A title right of the application menu's (which holds Quit), then one of the first rows of the
    // menu below it, or nothing; Escape closes whatever is left open.
    void menu() {
        const int title = pick(110, 500);
        const int row = pick(-1, 8);
        note("menu title at x " + std::to_string(title) + (row < 0 ? ", dismissed" : ", row " + std::to_string(row)));
        const QPoint bar = x_.menuBarPoint(title);
        QStringList arguments = at(bar) + QStringList{QStringLiteral("click"), QStringLiteral("1"),
                                                      QStringLiteral("sleep"), QStringLiteral("0.15")};
        if (row >= 0)
            arguments += at(QPoint(bar.x() + 10, x_.screenPoint(0, 0).y() + 10 + row * 22)) +
                         QStringList{QStringLiteral("click"), QStringLiteral("1")};
        x_.xdotool(arguments);
        // Escape also answers the About box, which is one of the inputs anyway.
        x_.xdotool({QStringLiteral("sleep"), QStringLiteral("0.1"), QStringLiteral("key"), QStringLiteral("Escape")});
    }

    void key() {
        static const std::vector<const char*> keys = {"Return", "space", "Escape", "Tab", "Left", "Right",
                                                      "Up",     "Down",  "ctrl+1", "ctrl+2"};
        const std::string name = keys[static_cast<size_t>(pick(0, static_cast<int>(keys.size()) - 1))];
        note("key " + name);
        x_.key(QString::fromStdString(name));
        if (name.rfind("ctrl+", 0) == 0) // the window changes size: find the field again
            XSession::waitUntil([&] { return x_.locateField() && x_.scale() == std::stoi(name.substr(5)); }, 2s);
    }

    XSession& x_;
    std::mt19937 random_;
    std::deque<std::string> recent_;
};

// Sanitizer reports go to files in `directory` instead of standard error, so that the test can see them.
class SanitizerLogs {
public:
    SanitizerLogs() : asan_(qgetenv("ASAN_OPTIONS")), ubsan_(qgetenv("UBSAN_OPTIONS")) {
        const QByteArray path = "log_path=" + QDir(directory_.path()).filePath(QStringLiteral("report")).toLocal8Bit();
        qputenv("ASAN_OPTIONS", asan_.isEmpty() ? path : asan_ + ':' + path);
        qputenv("UBSAN_OPTIONS", ubsan_.isEmpty() ? path : ubsan_ + ':' + path);
    }
    ~SanitizerLogs() {
        qputenv("ASAN_OPTIONS", asan_);
        qputenv("UBSAN_OPTIONS", ubsan_);
    }
    // The reports written (the list of leak suppressions used is no report).
    QString reports() const {
        QString text;
        for (const QString& name : QDir(directory_.path()).entryList(QDir::Files)) {
            QFile file(QDir(directory_.path()).filePath(name));
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QString log = QString::fromLocal8Bit(file.readAll());
            if (log.contains(QStringLiteral("ERROR:")) || log.contains(QStringLiteral("runtime error")))
                text += log;
        }
        return text;
    }

private:
    QTemporaryDir directory_;
    QByteArray asan_;
    QByteArray ubsan_;
};

TEST(EndToEndSoak, RandomInputLeavesTheGameAliveQuittableAndClean) {
    if (!XSession::xvfbAvailable())
        GTEST_SKIP() << "Xvfb is not installed";
    const auto seed = static_cast<uint32_t>(environmentNumber("ORDNIX_SOAK_SEED", 20261206));
    const int64_t inputs = environmentNumber("ORDNIX_SOAK_INPUTS", 300);
    std::printf("soak: seed %u, %lld inputs (ORDNIX_SOAK_SEED, ORDNIX_SOAK_INPUTS)\n", seed,
                static_cast<long long>(inputs));
    const SanitizerLogs logs;
    START_QUIT_SESSION(x);
    Soak soak(x, seed);
    const auto start = std::chrono::steady_clock::now();
    for (int64_t i = 0; i < inputs; ++i) {
        soak.step();
        ASSERT_EQ(x.game().state(), QProcess::Running)
            << "the game ended after input " << i + 1 << "; the last inputs:\n" << soak.recent();
    }
    const auto played = std::chrono::steady_clock::now() - start;
    x.key(QStringLiteral("Escape"));
    std::this_thread::sleep_for(200ms);
    ASSERT_EQ(x.game().state(), QProcess::Running) << "the last inputs:\n" << soak.recent();
    const auto quitAt = std::chrono::steady_clock::now();
    x.key(QStringLiteral("ctrl+q"));
    ASSERT_TRUE(x.game().waitForFinished(20000)) << "Ctrl+Q did not end the game; the last inputs:\n" << soak.recent();
    const auto quitTook = std::chrono::steady_clock::now() - quitAt;
    EXPECT_EQ(x.game().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(x.game().exitCode(), 0) << "the last inputs:\n" << soak.recent();
    EXPECT_EQ(logs.reports().toStdString(), "") << "the last inputs:\n" << soak.recent();
    std::printf("soak: %lld inputs in %lld ms; the game ended %lld ms after Ctrl+Q\n", static_cast<long long>(inputs),
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(played).count()),
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(quitTook).count()));
}

} // namespace
