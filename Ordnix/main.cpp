// The ordnix executable: the Qt desktop host of the game.
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include <QApplication>

#include "AppDelegate.h"
#include "DisplayCheck.h"

namespace {

QtMessageHandler previousHandler = nullptr;

// While Qt looks for a display, its platform messages are not for the player and a failure is not a
// crash: one line and exit status 1 instead of a stack of warnings and an abort with a core dump.
void startUpMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", DisplayCheck::noDisplayMessage);
        std::fflush(stderr);
        _exit(1);
    }
    const QLatin1String category(context.category ? context.category : "");
    if (category.startsWith(QLatin1String("qt.qpa")))
        return;
    if (previousHandler)
        previousHandler(type, context, message);
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

    AppDelegate delegate;
    delegate.launch();
    return QApplication::exec();
}
