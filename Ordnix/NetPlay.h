// NetPlay: `ordnix host` and `ordnix join` on the desktop.
//
// HostedGame runs the game as plain play does, with a RemotePanel for the guest's cannon above the
// computer player and a recording (to the --record file, or to memory) whose stream NetHost sends to
// the guest. The field window's title and a sheet give the address and the join code; a line in the
// window (Qt's drawing, not the game's bitmap) says when the guest's turn waits for it.
//
// GuestGame waits for the host's welcome, then replays the live stream in the window with every menu
// greyed; during its own cannon's turns it samples the player's pointer and button and sends them.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include <QObject>
#include <QString>

class AppDelegate;
class LiveFeed;
class NetGuest;
class NetHost;
class MacHost;
class QLabel;
class RecordingHost;
class RemotePanel;
class StreamTap;

class HostedGame : public QObject {
    Q_OBJECT
public:
    HostedGame(int64_t guestSide, uint16_t port);
    ~HostedGame() override;

    // Before the recording is built: the panel goes between it and the computer player.
    std::shared_ptr<RemotePanel> panelOver(std::shared_ptr<MacHost> below);
    // Sends what `recorder` writes to the guest; listens. False with a one-line reason when it cannot.
    bool start(RecordingHost& recorder, QString& error);
    // After delegate.launch(): the title, the sheet and the waiting line.
    void attach(AppDelegate& delegate);
    // On quitting, after the recording finished: the guest gets the end of the stream and a bye.
    void quit();
    // "ordnix join ADDRESS:PORT --code CODE" as the guest types it.
    QString joinCommand() const;

private:
    void updateWaiting();

    int64_t guestSide_;
    uint16_t port_;
    QString code_;
    std::shared_ptr<StreamTap> tap_;
    std::shared_ptr<RemotePanel> panel_;
    std::unique_ptr<NetHost> net_;
    AppDelegate* delegate_ = nullptr;
    QLabel* waiting_ = nullptr;
};

class GuestGame : public QObject {
    Q_OBJECT
public:
    GuestGame(QString address, uint16_t port, QString code);
    ~GuestGame() override;

    // Connects and waits for the host's welcome; false with the reason when the host refused or cannot
    // be reached.
    bool join(QString& error);
    // Before delegate.launch(): the replay between the game and the AppHost.
    void install(AppDelegate& delegate);
    // After delegate.launch(): the title.
    void attach(AppDelegate& delegate);
    void quit();

private:
    struct Hand;
    void setStatus(const QString& status);

    QString address_;
    std::shared_ptr<LiveFeed> feed_;
    std::unique_ptr<NetGuest> net_;
    std::shared_ptr<Hand> hand_;
    AppDelegate* delegate_ = nullptr;
    QString status_;
};
