// The ordnix executable: the Qt desktop host of the game.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>

#include "AppDelegate.h"
#include "DisplayCheck.h"
#include "LeakSuppressions.h"

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

} // namespace

int main(int argc, char** argv) {
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

    AppDelegate delegate;
    QSocketNotifier signals(signalPipe[0], QSocketNotifier::Read);
    signals.setEnabled(signalPipe[0] >= 0);
    QObject::connect(&signals, &QSocketNotifier::activated, &delegate, [&delegate] {
        char bytes[16];
        [[maybe_unused]] const ssize_t drained = read(signalPipe[0], bytes, sizeof bytes);
        delegate.quit();
    });
    delegate.launch();
    return QApplication::exec();
}
