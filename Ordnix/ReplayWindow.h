// ReplayWindow: `ordnix replay FILE` in the window, at the recorded pace.
//
// The game runs on the game thread as usual, but against a ReplayHost that answers it from the
// recording and forwards what it shows (windows, menus, cursor, dialogs, sounds) to the AppHost, so
// the window shows the session as it was played. The player's clicks and menu choices reach the
// AppHost but no longer the game; View and Quit work as always. Space pauses and resumes; + and -
// double and halve the speed (1/16 to 16 times). When the recording ends the game thread rests in
// the host and the window keeps the last picture until the player quits; the title tells how the
// replay went.
#pragma once

#include <memory>
#include <string>

#include <QObject>
#include <QString>

#include "Recording.h"

class AppDelegate;
class ReplayHost;

// The recorded clock against the wall clock: where the replay should be now, in ticks.
class ReplayPacer {
public:
    static constexpr double minSpeed = 1.0 / 16, maxSpeed = 16;

    // Ticks the replay may have reached after `seconds` of wall time since the first call.
    double position(double seconds);
    void togglePause(double seconds);
    // Factor 2 faster or 0.5 slower, within the limits.
    void changeSpeed(double factor, double seconds);
    bool paused() const { return paused_; }
    double speed() const { return speed_; }

private:
    void rebase(double seconds);

    double baseSeconds_ = 0;
    double basePosition_ = 0;
    double speed_ = 1;
    bool paused_ = false;
};

class ReplayWindow : public QObject {
    Q_OBJECT
public:
    ReplayWindow(std::shared_ptr<const Recording> recording, QString fileName);
    ~ReplayWindow() override;

    // Before delegate.launch(): puts the replay between the game and the AppHost.
    void install(AppDelegate& delegate);
    // After delegate.launch(): the title and the keys.
    void attach(AppDelegate& delegate);

private:
    struct Shared;
    void updateTitle();

    std::shared_ptr<const Recording> recording_;
    QString fileName_;
    std::shared_ptr<Shared> shared_;
    AppDelegate* delegate_ = nullptr;
};
