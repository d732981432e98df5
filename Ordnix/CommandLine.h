// CommandLine: what the player asked the ordnix executable to do.
//
//   ordnix [--record FILE] [--left P] [--right P]
//                                          play (and record the session to FILE); P is person or
//                                          computer:novice|good|deadly
//   ordnix match --left P --right P [--battles N] [--seed S] [--terrain T] [--wind W] [--record FILE]
//                                          computer against computer, headless, one line per battle
//   ordnix host [--port N] [--left person|guest] [--right person|guest] [--record FILE]
//                                          play with a guest on another machine (default: right)
//   ordnix join ADDRESS[:PORT] --code CODE join a hosted game as its guest
//   ordnix replay FILE                     replay FILE in the window at the recorded pace
//   ordnix replay FILE [--final DIR] [--png DIR] [--gif OUT.gif] [--hashes]
//                                          replay FILE headless and write what was asked for
//
// Parsing needs no QCoreApplication, so main() can decide between a headless run and a desktop one
// before any Qt platform starts.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

#include "PanelDriver.h"

struct CommandLine {
    enum class Mode { play, replay, match, host, join, help, version };

    Mode mode = Mode::play;
    QString recordFile;
    QString replayFile;
    QString finalDirectory;
    QString pngDirectory;
    QString gifFile;
    bool hashes = false;
    // Who plays each cannon; unset: as the Players menu last stored it.
    std::optional<PanelDriver::Player> left, right;
    // match: battles, seed and the field's options (menu item numbers of Terrain and Wind).
    int64_t battles = 1;
    int32_t seed = 1;
    int64_t terrain = 1;
    int64_t wind = 1;
    // host: the guest's cannon (1 left, 2 right); host and join: the port; join: where and the code.
    int64_t guestSide = 0;
    uint16_t port = 0;
    QString joinAddress;
    QString joinCode;
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
    // "person" or "computer:novice|good|deadly"; nothing for any other text.
    static std::optional<PanelDriver::Player> playerFromText(const QString& text);
    static QString playerText(const PanelDriver::Player& player);
};
