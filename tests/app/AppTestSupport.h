// Shared set-up of the host tests: one QApplication on the offscreen platform, silent audio and a
// private settings store, created on first use.
#pragma once

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
        // Leaked on purpose: it must outlive every test, and Qt's own teardown order at exit is safe.
        static QApplication instance(argc, argv);
        return &instance;
    }();
    return *application;
}
