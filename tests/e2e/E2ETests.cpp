#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>

#include "XSession.h"

namespace {

using namespace std::chrono_literals;

// The first black row at or below row 50 in column h: the ground.
int groundRow(const QImage& field, int h) {
    for (int v = 50; v < field.height(); ++v)
        if (black(field, h, v))
            return v;
    return field.height();
}

// White pixels inside the ground between `ground` and the control panel's top (row 280).
int holesInGround(const QImage& field, int ground) {
    int holes = 0;
    for (int v = ground + 2; v < 280; ++v)
        for (int h = 0; h < field.width(); ++h)
            if (!black(field, h, v))
                ++holes;
    return holes;
}

// Whether a slider's grey bar in row v ends just before column `end`: grey (every other pixel black)
// in the two columns before it, white from three columns after it.
bool barReaches(const QImage& field, int v, int end) {
    return !field.isNull() && (black(field, end - 3, v) || black(field, end - 2, v)) && !black(field, end + 3, v);
}

// The dumped menus, for a failure message.
std::string menusText(XSession& x) {
    std::string text;
    for (const auto& [id, line] : x.menus())
        text += id.toStdString() + " " + line.toStdString() + "\n";
    return text;
}

// The game's menus: index in the menu bar.
constexpr int battleMenu = 6;

#define START_SESSION(x)                                                                                     \
    if (!XSession::xvfbAvailable())                                                                          \
        GTEST_SKIP() << "Xvfb is not installed";                                                             \
    XSession x;                                                                                              \
    ASSERT_TRUE(x.started()) << "Xvfb did not start";                                                        \
    ASSERT_TRUE(x.startGame()) << "the game did not come up on " << x.display().toStdString()

bool windowShown(XSession& x, const QString& title) {
    return !x.xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), title})
                .trimmed()
                .isEmpty();
}

// Quits with Ctrl+Q and expects a clean exit.
void quitWithKey(XSession& x, const char* state) {
    const auto start = std::chrono::steady_clock::now();
    const bool ended = x.keyUntil(QStringLiteral("ctrl+q"), [&] { return x.game().waitForFinished(100); }, 30s);
    ASSERT_TRUE(ended) << "the game did not end after quitting while " << state;
    EXPECT_EQ(x.game().exitStatus(), QProcess::NormalExit) << state;
    EXPECT_EQ(x.game().exitCode(), 0) << state;
    std::printf("quit while %s: the process ended %lld ms after the first key press\n", state,
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count()));
}

void expectCleanQuit(XSession& x, const char* state) {
    const auto took = x.waitForExit(20s);
    ASSERT_TRUE(took.has_value()) << "the game did not end after quitting while " << state;
    EXPECT_EQ(x.game().exitStatus(), QProcess::NormalExit) << state;
    EXPECT_EQ(x.game().exitCode(), 0) << state;
    std::printf("quit while %s: the process ended %lld ms after the key press\n", state,
                static_cast<long long>(took->count()));
}

TEST(EndToEnd, ABattleIsStartedAimedAndFiredWithMenusAndMouse) {
    START_SESSION(x);

    // The first field: the desert, flat ground under a white sky, both cannons on it.
    const QImage first = x.field();
    ASSERT_EQ(first.size(), QSize(512, 322));
    const int ground = groundRow(first, 255);
    int flat = 0;
    for (int h = 0; h < 512; ++h) {
        flat += groundRow(first, h) == ground ? 1 : 0;
        EXPECT_TRUE(black(first, h, 321)) << "ground at column " << h;
    }
    EXPECT_GE(flat, 400) << "the desert is flat except under the two cannons";
    EXPECT_EQ(holesInGround(first, ground), 0);
    for (int h = 0; h < 512; ++h)
        EXPECT_FALSE(black(first, h, 100)) << "sky at column " << h;

    const auto menus = x.menus();
    EXPECT_EQ(menus.at(QStringLiteral("258")), QStringLiteral("enabled=true items=[true, true, true, true, true] "
                                                                "checked=[true, false, false, false, false]"));
    EXPECT_EQ(menus.at(QStringLiteral("262")), QStringLiteral("enabled=true items=[true, false] checked=[false, false]"));
    EXPECT_EQ(menus.at(QStringLiteral("ready")), QStringLiteral("true"));

    // Battle > START A BATTLE: the other menus go grey and only STOP A BATTLE is left.
    x.chooseMenu(battleMenu, 0);
    ASSERT_TRUE(XSession::waitUntil([&] { return x.aiming(); }, 30s)) << "the battle did not start\n"
                                                                           << menusText(x);

    // The left player aims: powder 15 (a click on the powder slider), elevation 45 (a drag along the
    // elevation slider); the panel's sliders start at column 95.
    // Each press waits for the game to have taken the one before: two presses between two of its polls
    // would be one click to it.
    x.clickField(95 + 5, 290);
    ASSERT_TRUE(XSession::waitUntil(
        [&] {
            // The powder bar is grey up to column 99 and white after it.
            return barReaches(x.field(), 290, 95 + 5);
        },
        30s))
        << "the powder slider did not take the click";
    x.dragField(95 + 20, 305, 95 + 45, 305);
    ASSERT_TRUE(XSession::waitUntil(
        [&] {
            const QImage field = x.field();
            // The elevation bar is grey up to column 140 and white after it; the barrel has risen.
            return !field.isNull() && !black(field, 95 + 47, 305) && (black(field, 95 + 43, 305) || black(field, 95 + 44, 305));
        },
        30s))
        << "the elevation slider did not follow the drag";

    // Fire: the ball flies to the right and bursts in the ground, leaving a crater.
    x.clickField(221, 298);
    ASSERT_TRUE(XSession::waitUntil([&] { return holesInGround(x.field(), ground) > 0; }, 60s))
        << "no crater appeared in the ground";
    x.field().save(QStringLiteral("e2e-crater.png")); // for a look by eye
    // The turn passes and the game polls again; or, where this field's random placement put the right
    // cannon under the ball, the battle ends with the left player scoring and "START A BATTLE" offered.
    ASSERT_TRUE(XSession::waitUntil(
        [&] {
            if (x.aiming())
                return true;
            const auto menus = x.menus();
            return x.ready() && menus.count(QStringLiteral("262")) &&
                   menus.at(QStringLiteral("262")).contains(QStringLiteral("items=[true, false]")) &&
                   x.field() != first;
        },
        60s))
        << menusText(x);

    // Quitting in the middle of the battle.
    quitWithKey(x, "aiming in a battle");
}

TEST(EndToEnd, AboutBoxViewSizesAndQuitFromTheApplicationMenu) {
    START_SESSION(x);
    EXPECT_EQ(x.scale(), 2); // a 1280 x 1024 screen holds the doubled window

    // Ordnix > About Ordnix…: the sheet opens, Return answers it, the game polls again.
    x.chooseMenu(0, 1);
    ASSERT_TRUE(XSession::waitUntil([&] { return windowShown(x, QStringLiteral("^About Ordnix$")); }, 30s));
    ASSERT_TRUE(x.keyUntil(QStringLiteral("Return"), [&] { return !windowShown(x, QStringLiteral("^About Ordnix$")); },
                           30s));
    ASSERT_TRUE(XSession::waitUntil([&] { return x.ready(); }, 30s));

    // View > Actual Size with its key: the window and its field shrink to one point per pixel.
    ASSERT_TRUE(x.keyUntil(QStringLiteral("ctrl+1"), [&] { return x.locateField() && x.scale() == 1; }, 30s));
    ASSERT_TRUE(x.keyUntil(QStringLiteral("ctrl+2"), [&] { return x.locateField() && x.scale() == 2; }, 30s));

    // Ordnix > Quit Ordnix.
    x.chooseMenu(0, 2);
    expectCleanQuit(x, "idle, through the menu");
}

TEST(EndToEnd, WithoutADisplayTheGameSaysSoInOneLine) {
    struct Case {
        const char* name;
        QString display;
        QString platform;
        QString reason; // words of Qt's own reason the line must name
    };
    const std::vector<Case> cases = {
        {"no DISPLAY", QString(), QString(), QString()},
        {"a DISPLAY nobody serves", QStringLiteral(":397"), QString(), QStringLiteral(":397")},
        {"a platform plugin that does not exist", QStringLiteral(":397"), QStringLiteral("nosuchplugin"),
         QStringLiteral("nosuchplugin")},
    };
    for (const Case& c : cases) {
        QProcess game;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
        if (!c.display.isEmpty())
            environment.insert(QStringLiteral("DISPLAY"), c.display);
        if (!c.platform.isEmpty())
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), c.platform);
        game.setProcessEnvironment(environment);
        game.start(QStringLiteral(ORDNIX_BINARY), {});
        ASSERT_TRUE(game.waitForFinished(60000)) << c.name;
        EXPECT_EQ(game.exitStatus(), QProcess::NormalExit) << c.name; // no crash, no core dump
        EXPECT_EQ(game.exitCode(), 1) << c.name;
        const QStringList lines =
            QString::fromUtf8(game.readAllStandardError()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 1) << c.name << ": " << lines.join(QLatin1Char('|')).toStdString();
        EXPECT_TRUE(lines.first().contains(QStringLiteral("needs a graphical desktop"))) << c.name;
        EXPECT_TRUE(lines.first().contains(c.reason)) << c.name << ": " << lines.first().toStdString();
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
