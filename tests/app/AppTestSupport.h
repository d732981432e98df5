// Shared set-up of the host tests: one QApplication on the offscreen platform, silent audio and a
// private settings store, created on first use.
#pragma once

#include <memory>

#include <QApplication>
#include <QStandardPaths>
#include <QtGlobal>

inline QApplication& testApplication() {
    static int argc = 1;
    static char name[] = "app_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* application = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER"))
            qputenv("SDL_AUDIODRIVER", "dummy");
        QStandardPaths::setTestModeEnabled(true);
        // Never destroyed: a QApplication torn down among the static destructors at exit meets Qt's
        // own globals already gone. The pointer stays reachable, so it is no leak either.
        return std::make_unique<QApplication>(argc, argv).release();
    }();
    return *application;
}
