// Recording a real session under Xvfb and replaying it headless.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include "XSession.h"

namespace {

using namespace std::chrono_literals;

constexpr int battleMenu = 6;

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Waits until the once-a-second dump has stopped changing: the screen is still and the dump shows it.
bool dumpSettles(XSession& x) {
    QByteArray last;
    int still = 0;
    return XSession::waitUntil(
        [&] {
            const QByteArray now = readFile(x.dumpDirectory() + "/field.png") + readFile(x.dumpDirectory() + "/menus.txt");
            still = now == last ? still + 1 : 0;
            last = now;
            return still >= 25; // 2.5 s: at least two dumps the same
        },
        60s);
}

struct Headless {
    int status = -1;
    QString out, err;
};

// `ordnix replay ...` with no display at all.
Headless replayHeadless(const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(name);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(ORDNIX_BINARY), QStringList{"replay"} + arguments);
    Headless result;
    if (!process.waitForFinished(120000))
        return result;
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

#define START_RECORDING(x, file)                                                                             \
    if (!XSession::xvfbAvailable())                                                                          \
        GTEST_SKIP() << "Xvfb is not installed";                                                             \
    XSession x;                                                                                              \
    ASSERT_TRUE(x.started()) << "Xvfb did not start";                                                        \
    ASSERT_TRUE(x.startGame({"--record", file})) << "the game did not come up on " << x.display().toStdString()

// Starts a battle and fires one shot with the left cannon's powder at 15.
void fireOnce(XSession& x) {
    x.chooseMenu(battleMenu, 0);
    ASSERT_TRUE(XSession::waitUntil([&] { return x.aiming(); }, 30s)) << "the battle did not start";
    x.clickField(95 + 5, 290);
    ASSERT_TRUE(XSession::waitUntil(
        [&] {
            const QImage field = x.field();
            return !field.isNull() && (black(field, 97, 290) || black(field, 98, 290)) && !black(field, 103, 290);
        },
        30s))
        << "the powder slider did not take the click";
    x.clickField(221, 298);
    std::this_thread::sleep_for(1s);
    ASSERT_TRUE(XSession::waitUntil([&] { return x.aiming(); }, 60s)) << "the turn did not pass";
}

TEST(RecordAndReplay, AQuitSessionReplaysHeadlessToItsLastScreen) {
    QTemporaryDir directory;
    const QString file = directory.filePath("session.rec");
    START_RECORDING(x, file);
    fireOnce(x);
    ASSERT_TRUE(dumpSettles(x));
    const QImage live = x.field();
    const QByteArray liveMenus = readFile(x.dumpDirectory() + "/menus.txt");
    ASSERT_TRUE(XSession::waitUntil([&] { x.key("ctrl+q"); return x.game().waitForFinished(2000); }, 30s));
    EXPECT_EQ(x.game().exitCode(), 0);

    const QString final = directory.filePath("final");
    const Headless replay = replayHeadless({file, "--final", final, "--hashes"});
    EXPECT_EQ(replay.status, 0) << replay.err.toStdString();
    EXPECT_TRUE(replay.out.endsWith("\nok\n")) << replay.out.toStdString();
    EXPECT_GE(replay.out.count('\n'), 2) << "the battle's start at least was checked";
    const QImage replayed(QDir(final).filePath("field.png"));
    ASSERT_EQ(replayed.size(), live.size());
    for (int v = 0; v < live.height(); ++v)
        for (int h = 0; h < live.width(); ++h)
            ASSERT_EQ(qGray(replayed.pixel(h, v)), qGray(live.pixel(h, v))) << "pixel " << h << ", " << v;
    EXPECT_EQ(readFile(QDir(final).filePath("menus.txt")), liveMenus);

    // In the window, at the recorded pace: the same last screen, a title that says so, Quit works.
    ASSERT_TRUE(x.startGame({"replay", file})) << "the replay did not come up";
    EXPECT_TRUE(XSession::waitUntil([&] { return x.field() == live; }, 90s)) << "the replay did not reach the last screen";
    EXPECT_FALSE(x.xdotool({"search", "--name", "replay of session\\.rec"}).trimmed().isEmpty());
    ASSERT_TRUE(XSession::waitUntil([&] { x.key("ctrl+q"); return x.game().waitForFinished(2000); }, 30s));
    EXPECT_EQ(x.game().exitCode(), 0);
}

TEST(RecordAndReplay, AKilledSessionReplaysToItsLastSeconds) {
    QTemporaryDir directory;
    const QString file = directory.filePath("killed.rec");
    START_RECORDING(x, file);
    fireOnce(x);
    // The player thinks: well over the 10 s after which the recording has written what it holds.
    std::this_thread::sleep_for(12s);
    ASSERT_TRUE(dumpSettles(x));
    const QImage live = x.field();
    x.game().kill();
    x.game().waitForFinished(10000);

    const QString final = directory.filePath("final");
    const Headless replay = replayHeadless({file, "--final", final, "--hashes"});
    EXPECT_EQ(replay.status, 0) << replay.err.toStdString();
    EXPECT_TRUE(replay.err.contains(": note: ")) << "says where the recording stops: " << replay.err.toStdString();
    EXPECT_TRUE(replay.out.endsWith("\nok\n")) << replay.out.toStdString();
    // The aiming screen the player looked at for those seconds is where the replay ends.
    EXPECT_EQ(QImage(QDir(final).filePath("field.png")), live);
}

TEST(RecordAndReplay, AnUnwritableRecordingIsReportedAtStartUp) {
    if (!XSession::xvfbAvailable())
        GTEST_SKIP() << "Xvfb is not installed";
    XSession x;
    ASSERT_TRUE(x.started());
    QProcess game;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DISPLAY", x.display());
    game.setProcessEnvironment(environment);
    game.start(QStringLiteral(ORDNIX_BINARY), {"--record", "/nonexistent-directory/game.rec"});
    ASSERT_TRUE(game.waitForFinished(60000));
    EXPECT_EQ(game.exitCode(), 2);
    const QStringList lines = QString::fromUtf8(game.readAllStandardError()).split('\n', Qt::SkipEmptyParts).filter("ordnix:");
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines.first().contains("/nonexistent-directory/game.rec")) << lines.first().toStdString();
}

} // namespace
