// CommandLine: what the player asked the ordnix executable to do.
//
//   ordnix [--record FILE]                 play (and record the session to FILE)
//   ordnix replay FILE                     replay FILE in the window at the recorded pace
//   ordnix replay FILE [--final DIR] [--png DIR] [--gif OUT.gif] [--hashes]
//                                          replay FILE headless and write what was asked for
//
// Parsing needs no QCoreApplication, so main() can decide between a headless run and a desktop one
// before any Qt platform starts.
#pragma once

#include <QString>
#include <QStringList>

struct CommandLine {
    enum class Mode { play, replay, help, version };

    Mode mode = Mode::play;
    QString recordFile;
    QString replayFile;
    QString finalDirectory;
    QString pngDirectory;
    QString gifFile;
    bool hashes = false;
    // Not empty when the arguments make no sense: one line for standard error.
    QString error;

    // A replay that asks for files or hashes runs without a display.
    bool headless() const {
        return mode == Mode::replay &&
               (!finalDirectory.isEmpty() || !pngDirectory.isEmpty() || !gifFile.isEmpty() || hashes);
    }

    // `arguments` includes the program name first, as QCoreApplication::arguments() has it.
    static CommandLine parse(const QStringList& arguments);
    static QString helpText();
};
