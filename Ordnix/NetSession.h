// NetSession: the two ends of a network game's connection, on the Qt main thread.
//
// NetHost listens, proves each peer with a challenge (HMAC-SHA256 of a fresh random challenge keyed
// with the join code), keeps one guest, sends it the recording stream from the offset it asks for and
// hands its input to the RemotePanel. A peer that sends a wrong code, another version, anything but the
// expected message, or nothing for Net::authTimeoutMs is told why in one refuse message and closed;
// nothing it sent reaches the game. A guest who proves the code while another is connected takes the
// seat over (the same player on a fresh connection). A second of silence brings a heartbeat; a peer
// silent for Net::silenceLimitMs is taken for gone.
//
// NetGuest connects, answers the challenge, feeds the stream into a LiveFeed and sends its player's
// input. When the connection drops it tries again every second for Net::rejoinWindowMs, asking the
// host to go on from the bytes it has; a refusal or the host's bye ends it.
//
// Both report what happens in one-line messages through `onMessage`.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include "NetProtocol.h"

class QTcpServer;
class QTcpSocket;
class LiveFeed;
class RemotePanel;
class StreamTap;

namespace NetCode {
// A fresh join code: 8 letters and digits without look-alikes.
QString generate();
Net::Digest response(const QByteArray& code, const Net::Digest& challenge);
} // namespace NetCode

class NetHost : public QObject {
    Q_OBJECT
public:
    NetHost(std::shared_ptr<StreamTap> tap, std::shared_ptr<RemotePanel> panel, QString code);
    ~NetHost() override;

    // Listens on every address (or on the loopback address only); false with a reason when it cannot.
    bool listen(uint16_t port, bool loopbackOnly, QString& error);
    uint16_t port() const;
    const QString& code() const { return code_; }
    // Tells the guest the host quit and sends what is queued (waits up to a second).
    void quit(const QString& reason);

    std::function<void(const QString&)> onMessage;
    // Stream bytes sent to guests so far (all connections).
    uint64_t streamBytesSent() const { return streamSent_; }

private:
    struct Peer;
    void accept();
    void readFrom(Peer* peer);
    void handle(Peer* peer, const Net::Message& message);
    void authenticate(Peer* peer, const Net::Message& message);
    void refuse(Peer* peer, const QString& reason);
    void drop(Peer* peer, const QString& why);
    void send(Peer* peer, const Net::Message& message);
    void pump();
    void beat();
    void say(const QString& line);

    std::shared_ptr<StreamTap> tap_;
    std::shared_ptr<RemotePanel> panel_;
    QString code_;
    QTcpServer* server_ = nullptr;
    std::vector<std::unique_ptr<Peer>> peers_;
    Peer* guest_ = nullptr;
    QTimer heartbeat_;
    std::atomic<bool> pumpQueued_{false};
    uint64_t streamSent_ = 0;
};

class NetGuest : public QObject {
    Q_OBJECT
public:
    NetGuest(std::shared_ptr<LiveFeed> feed, QString address, uint16_t port, QString code);
    ~NetGuest() override;

    void start();
    // Any thread: the guest's pointer (field window pixels) and button, sent while connected.
    void sendInput(int64_t h, int64_t v, bool down);
    // Tells the host the guest quit and sends what is queued (waits up to a second).
    void quit(const QString& reason);
    // The cannon the host gave this guest (0 before the welcome).
    int64_t side() const { return side_; }
    bool connected() const { return welcomed_; }
    // Bytes received from the host so far, frames and all; thread-safe.
    uint64_t bytesReceived() const { return received_; }
    // For a test: drops the connection as a failing network would.
    void abortConnection();

    std::function<void(const QString&)> onMessage;
    // The host refused this guest or quit, or the rejoin window passed: the session is over.
    std::function<void(const QString&)> onEnded;
    std::function<void(int64_t side)> onWelcome;

private:
    void connectNow();
    void readAll();
    void handle(const Net::Message& message);
    void lost(const QString& why);
    void end(const QString& why);
    void send(const Net::Message& message);
    void beat();
    void say(const QString& line);

    std::shared_ptr<LiveFeed> feed_;
    QString address_;
    uint16_t port_;
    QByteArray code_;
    QTcpSocket* socket_ = nullptr;
    Net::Decoder decoder_;
    std::atomic<int64_t> side_{0};
    std::atomic<bool> welcomed_{false};
    std::atomic<uint64_t> received_{0};
    bool ended_ = false;
    bool everWelcomed_ = false;
    QElapsedTimer lostAt_;
    QElapsedTimer lastHeard_, lastSent_;
    QTimer retry_, heartbeat_;
};
