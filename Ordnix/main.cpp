// The ordnix executable: the Qt desktop host of the game.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <vector>
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QSocketNotifier>

#include "AppDelegate.h"
#include "CommandLine.h"
#include "DisplayCheck.h"
#include "KeyPlay.h"
#include "LeakSuppressions.h"
#include "Match.h"
#include "NetPlay.h"
#include "PanelDriver.h"
#include "Ordnix.h"
#include "PlayersMenu.h"
#include "Recording.h"
#include "RecordingHost.h"
#include "RemotePanel.h"
#include "ReplayCommand.h"
#include "ReplayWindow.h"
#include "SessionFacts.h"

extern "C" const char* __lsan_default_suppressions() { return LeakSuppressions::systemLibraries; }

namespace {

QtMessageHandler previousHandler = nullptr;
// The platform's messages so far: the reason given when start-up fails.
std::vector<std::string> platformMessages;

// While Qt looks for a display, its platform messages are not for the player and a failure is not a
// crash: one line with Qt's reasons and exit status 1 instead of a stack of warnings and an abort
// with a core dump.
void startUpMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    const QLatin1String category(context.category ? context.category : "");
    if (type == QtFatalMsg) {
        platformMessages.push_back(message.toStdString());
        std::fprintf(stderr, "%s\n", DisplayCheck::startUpFailure(platformMessages).c_str());
        std::fflush(stderr);
        _exit(1);
    }
    if (category.startsWith(QLatin1String("qt.qpa"))) {
        platformMessages.push_back(message.toStdString());
        return;
    }
    if (previousHandler)
        previousHandler(type, context, message);
}

int signalPipe[2] = {-1, -1};

void onTerminationSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(signalPipe[1], &byte, 1);
}

// SIGINT and SIGTERM end the game the same way as "Quit Ordnix": the handler only wakes the event
// loop, which quits from the main thread.
void catchTerminationSignals() {
    if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

// The headless match: one line per battle and the summary on standard output.
int runMatch(const CommandLine& line) {
    MatchOptions options;
    options.left = *line.left->computer;
    options.right = *line.right->computer;
    options.battles = line.battles;
    options.seed = line.seed;
    options.terrain = line.terrain;
    options.wind = line.wind;
    options.recordFile = line.recordFile.toLocal8Bit().toStdString();
    try {
        int64_t number = 0;
        const MatchSummary summary = playMatch(options, [&number](const BattleResult& result) {
            std::printf("battle %lld: %s\n", static_cast<long long>(++number), result.line().c_str());
            std::fflush(stdout);
        });
        std::printf("%s\n", summary.line().c_str());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "ordnix: %s\n", error.what());
        return 2;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine line = CommandLine::parse(arguments);
    if (!line.error.isEmpty()) {
        std::fprintf(stderr, "ordnix: %s (see ordnix --help)\n", line.error.toLocal8Bit().constData());
        return 2;
    }
    if (line.mode == CommandLine::Mode::help) {
        std::fputs(CommandLine::helpText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (line.mode == CommandLine::Mode::version) {
        std::printf("ordnix %s\n", ordnixGameVersion());
        return 0;
    }
    if (line.mode == CommandLine::Mode::match)
        return runMatch(line);
    if (line.headless()) {
        // No display: the core application gives Qt's image writers what they need, no platform.
        QCoreApplication application(argc, argv);
        return ReplayCommand::runHeadless(line);
    }
    std::shared_ptr<const Recording> recording;
    if (line.mode == CommandLine::Mode::replay) {
        const std::string file = line.replayFile.toLocal8Bit().toStdString();
        try {
            recording = std::make_shared<const Recording>(RecordingReader::readFile(file));
        } catch (const RecordingError& error) {
            std::fprintf(stderr, "ordnix: %s: byte %lld: %s\n", file.c_str(), static_cast<long long>(error.offset),
                         error.what());
            return 2;
        }
    }

    if (!DisplayCheck::hasDisplay(DisplayCheck::fromEnvironment())) {
        std::fprintf(stderr, "%s\n", DisplayCheck::noDisplayMessage);
        return 1;
    }
    previousHandler = qInstallMessageHandler(startUpMessages);
    QApplication application(argc, argv);
    qInstallMessageHandler(previousHandler);
    QApplication::setApplicationName(QStringLiteral("Ordnix"));
    QApplication::setOrganizationName(QStringLiteral("Ordnix"));
    QApplication::setDesktopFileName(QStringLiteral("ordnix"));
    QApplication::setQuitOnLastWindowClosed(false);

    catchTerminationSignals();

    std::unique_ptr<GuestGame> guest;
    std::unique_ptr<HostedGame> hosted;
    if (line.mode == CommandLine::Mode::join) {
        guest = std::make_unique<GuestGame>(line.joinAddress, line.port, line.joinCode);
        QString error;
        if (!guest->join(error)) {
            std::fprintf(stderr, "ordnix: %s\n", error.toLocal8Bit().constData());
            return 2;
        }
    }
    if (line.mode == CommandLine::Mode::host)
        hosted = std::make_unique<HostedGame>(line.guestSide, line.port);

    AppDelegate delegate;
    std::unique_ptr<ReplayWindow> replay;
    if (recording) {
        replay = std::make_unique<ReplayWindow>(recording, line.replayFile);
        replay->install(delegate);
    }
    // The computer, the keys and a guest play below the recording, so their turns are recorded like a hand's.
    std::shared_ptr<PanelDriver> driver;
    std::shared_ptr<KeyDriver> keys;
    if (guest)
        guest->install(delegate);
    if (!recording && !guest) {
        driver = std::make_shared<PanelDriver>(delegate.host, static_cast<uint64_t>(std::time(nullptr)));
        keys = std::make_shared<KeyDriver>(driver);
        // A guest's hand plays its cannon above the keys, so the guest's turns are recorded too.
        const std::shared_ptr<RemotePanel> remote = hosted ? hosted->panelOver(keys) : nullptr;
        keys->setComputerPlays([driver, remote](int64_t side) {
            const bool guestPlays = remote && remote->side() == side && remote->guest() != RemotePanel::Guest::replaced;
            return guestPlays || driver->player(side).computer.has_value();
        });
        delegate.coreHost = remote ? std::shared_ptr<MacHost>(remote) : std::shared_ptr<MacHost>(keys);
        delegate.runGame = [driver, keys, remote](Ordnix& game) {
            driver->attach(game);
            keys->attach(game);
            if (remote)
                remote->attach(game);
            game.run();
        };
    }
    if (!recording && !guest && (!line.recordFile.isEmpty() || hosted)) {
        std::shared_ptr<RecordingHost> recorder;
        try {
            recorder = std::make_shared<RecordingHost>(delegate.coreHost, line.recordFile.toLocal8Bit().toStdString());
        } catch (const std::exception& error) {
            std::fprintf(stderr, "ordnix: %s\n", error.what());
            return 2;
        }
        delegate.coreHost = recorder;
        if (QString error; hosted && !hosted->start(*recorder, error)) {
            std::fprintf(stderr, "ordnix: %s\n", error.toLocal8Bit().constData());
            return 2;
        }
        // The session ends here whatever the game was doing: its last chunk and checkpoint go out.
        delegate.onGameRested = [recorder, host = hosted.get()] {
            try {
                recorder->finish();
            } catch (const std::exception& error) {
                std::fprintf(stderr, "ordnix: %s\n", error.what());
            }
            if (host)
                host->quit();
        };
    }
    if (guest)
        delegate.onGameRested = [g = guest.get()] { g->quit(); };
    QSocketNotifier signals(signalPipe[0], QSocketNotifier::Read);
    signals.setEnabled(signalPipe[0] >= 0);
    QObject::connect(&signals, &QSocketNotifier::activated, &delegate, [&delegate] {
        char bytes[16];
        [[maybe_unused]] const ssize_t drained = read(signalPipe[0], bytes, sizeof bytes);
        delegate.quit();
    });
    std::unique_ptr<PlayersMenu> players;
    std::unique_ptr<KeyPlay> keyPlay;
    if (driver) {
        // Players are known before the first turn; the menu shows and changes them afterwards.
        const auto stored = PlayersMenu::storedPlayers();
        driver->setPlayer(1, line.left.value_or(stored[0]));
        driver->setPlayer(2, line.right.value_or(stored[1]));
    }
    delegate.launch();
    if (driver)
        players = std::make_unique<PlayersMenu>(delegate, driver, std::array{line.left, line.right});
    if (keys)
        keyPlay = std::make_unique<KeyPlay>(delegate, keys, players ? players->menu() : nullptr);
    if (replay)
        replay->attach(delegate);
    if (hosted)
        hosted->attach(delegate);
    if (guest)
        guest->attach(delegate);
    return QApplication::exec();
}
