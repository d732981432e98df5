#include "NetSession.h"

#include <algorithm>
#include <cstring>

#include <QHostAddress>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>

#include "LiveStream.h"
#include "RemotePanel.h"
#include "SessionFacts.h"

namespace {

// Unauthenticated peers held at once; more are refused at the door.
constexpr size_t maxPending = 4;
// Stream bytes queued on a socket before the pump waits for them to go out.
constexpr qint64 maxQueuedBytes = 1 << 20;

Net::Digest fromBytes(const QByteArray& bytes) {
    Net::Digest d{};
    std::memcpy(d.data(), bytes.constData(), std::min<size_t>(d.size(), static_cast<size_t>(bytes.size())));
    return d;
}

// "127.0.0.1" rather than "::ffff:127.0.0.1" for an IPv4 peer on a dual-stack socket.
QString peerName(const QTcpSocket* socket) {
    bool ipv4 = false;
    const quint32 address = socket->peerAddress().toIPv4Address(&ipv4);
    return ipv4 ? QHostAddress(address).toString() : socket->peerAddress().toString();
}

void write(QTcpSocket* socket, const Net::Message& message) {
    const std::vector<uint8_t> frame = Net::encode(message);
    socket->write(reinterpret_cast<const char*>(frame.data()), static_cast<qint64>(frame.size()));
}

} // namespace

namespace NetCode {

QString generate() {
    static const char alphabet[] = "ABCDEFGHJKLMNPQRSTUVWXYZ23456789";
    QString code;
    for (int i = 0; i < 8; ++i)
        code += QLatin1Char(alphabet[QRandomGenerator::system()->bounded(static_cast<int>(sizeof alphabet - 1))]);
    return code;
}

Net::Digest response(const QByteArray& code, const Net::Digest& challenge) {
    const QByteArray message(reinterpret_cast<const char*>(challenge.data()), static_cast<qsizetype>(challenge.size()));
    // Codes are typed by people: case and surrounding blanks do not matter.
    return fromBytes(QMessageAuthenticationCode::hash(message, code.trimmed().toUpper(), QCryptographicHash::Sha256));
}

} // namespace NetCode

// ---- NetHost ----

struct NetHost::Peer {
    QTcpSocket* socket = nullptr;
    Net::Decoder decoder;
    Net::Digest challenge{};
    bool authenticated = false;
    bool closing = false;
    uint64_t sent = 0; // stream bytes sent or skipped
    QElapsedTimer since, lastHeard, lastSent;
};

NetHost::NetHost(std::shared_ptr<StreamTap> tap, std::shared_ptr<RemotePanel> panel, QString code)
    : tap_(std::move(tap)), panel_(std::move(panel)), code_(std::move(code)) {
    // The writer appends on the game thread; the sockets live here.
    tap_->setGrew([this] {
        if (!pumpQueued_.exchange(true))
            QMetaObject::invokeMethod(this, [this] { pump(); }, Qt::QueuedConnection);
    });
    heartbeat_.setInterval(200);
    connect(&heartbeat_, &QTimer::timeout, this, &NetHost::beat);
    heartbeat_.start();
}

NetHost::~NetHost() { tap_->setGrew({}); }

bool NetHost::listen(uint16_t port, bool loopbackOnly, QString& error) {
    server_ = new QTcpServer(this);
    connect(server_, &QTcpServer::newConnection, this, &NetHost::accept);
    if (!server_->listen(loopbackOnly ? QHostAddress::LocalHost : QHostAddress::Any, port)) {
        error = server_->errorString();
        return false;
    }
    return true;
}

uint16_t NetHost::port() const { return server_ ? server_->serverPort() : 0; }

void NetHost::say(const QString& line) {
    if (onMessage)
        onMessage(line);
}

void NetHost::accept() {
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        auto peer = std::make_unique<Peer>();
        peer->socket = socket;
        socket->setParent(this);
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        peer->since.start();
        peer->lastHeard.start();
        peer->lastSent.start();
        Peer* p = peer.get();
        peers_.push_back(std::move(peer));
        connect(socket, &QTcpSocket::readyRead, this, [this, p] { readFrom(p); });
        connect(socket, &QTcpSocket::bytesWritten, this, [this] { pump(); });
        connect(socket, &QTcpSocket::disconnected, this, [this, p] { drop(p, QStringLiteral("the connection closed")); });
        const size_t pending = static_cast<size_t>(std::count_if(
            peers_.begin(), peers_.end(), [](const auto& q) { return !q->authenticated && !q->closing; }));
        if (pending > maxPending) {
            refuse(p, QStringLiteral("too many connections at once"));
            continue;
        }
        for (auto& byte : p->challenge)
            byte = static_cast<uint8_t>(QRandomGenerator::system()->bounded(256));
        send(p, Net::hello(ordnixGameVersion(), p->challenge));
    }
}

void NetHost::send(Peer* peer, const Net::Message& message) {
    write(peer->socket, message);
    peer->lastSent.restart();
}

void NetHost::readFrom(Peer* peer) {
    if (peer->closing)
        return;
    const QByteArray bytes = peer->socket->readAll();
    try {
        peer->decoder.feed(std::span(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size())));
        peer->lastHeard.restart();
        while (!peer->closing) {
            const std::optional<Net::Message> message = peer->decoder.next();
            if (!message)
                break;
            handle(peer, *message);
        }
    } catch (const Net::NetError& error) {
        refuse(peer, QStringLiteral("broken message (%1)").arg(QString::fromStdString(error.what())));
    }
}

void NetHost::handle(Peer* peer, const Net::Message& message) {
    if (!peer->authenticated) {
        if (message.type != Net::Type::auth)
            return refuse(peer, QStringLiteral("expected the join code first"));
        return authenticate(peer, message);
    }
    switch (message.type) {
    case Net::Type::input: panel_->guestInput({message.h, message.v, message.down}); break;
    case Net::Type::heartbeat: break;
    case Net::Type::bye:
        drop(peer, QStringLiteral("the other player left: %1").arg(QString::fromStdString(message.text)));
        break;
    default: refuse(peer, QStringLiteral("unexpected message")); break;
    }
}

void NetHost::authenticate(Peer* peer, const Net::Message& message) {
    const std::string version = ordnixGameVersion();
    if (message.version != Net::protocolVersion || message.text != version)
        return refuse(peer, QStringLiteral("another version of the game (host: Ordnix %1, protocol %2; guest: "
                                           "Ordnix %3, protocol %4)")
                                .arg(QString::fromStdString(version))
                                .arg(Net::protocolVersion)
                                .arg(QString::fromStdString(message.text))
                                .arg(message.version));
    if (!Net::sameDigest(message.challenge, NetCode::response(code_.toUtf8(), peer->challenge)))
        return refuse(peer, QStringLiteral("wrong join code"));
    if (message.streamOffset > tap_->size())
        return refuse(peer, QStringLiteral("the guest asked for the game from byte %1, the host has %2")
                                .arg(message.streamOffset)
                                .arg(tap_->size()));
    if (guest_ != nullptr && guest_ != peer) {
        // The same player on a fresh connection: the old one is dead or dying.
        Peer* old = guest_;
        guest_ = nullptr;
        old->closing = true;
        old->socket->abort();
    }
    if (!panel_->guestJoined())
        return refuse(peer, QStringLiteral("the game went on without the guest: its cannon was handed to a "
                                           "player at the host"));
    peer->authenticated = true;
    peer->sent = message.streamOffset;
    guest_ = peer;
    send(peer, Net::welcome(panel_->side()));
    say(QStringLiteral("the other player joined from %1").arg(peerName(peer->socket)));
    pump();
}

void NetHost::refuse(Peer* peer, const QString& reason) {
    if (peer->closing)
        return;
    say(QStringLiteral("refused a connection from %1: %2").arg(peerName(peer->socket), reason));
    write(peer->socket, Net::refuse(reason.toStdString()));
    peer->closing = true;
    if (guest_ == peer) {
        guest_ = nullptr;
        panel_->guestLeft();
    }
    peer->socket->disconnectFromHost();
}

void NetHost::drop(Peer* peer, const QString& why) {
    if (guest_ == peer) {
        guest_ = nullptr;
        panel_->guestLeft();
        say(QStringLiteral("%1: waiting for the other player to rejoin").arg(why));
    }
    peer->closing = true;
    const auto it = std::find_if(peers_.begin(), peers_.end(), [peer](const auto& q) { return q.get() == peer; });
    if (it == peers_.end())
        return;
    peer->socket->disconnect(this);
    peer->socket->deleteLater();
    // The peer may be in use further up this call's stack: it goes once the event loop is back.
    std::shared_ptr<Peer> gone(std::move(*it));
    peers_.erase(it);
    QMetaObject::invokeMethod(this, [gone] {}, Qt::QueuedConnection);
}

void NetHost::pump() {
    pumpQueued_ = false;
    Peer* peer = guest_;
    if (peer == nullptr || peer->closing)
        return;
    while (peer->socket->bytesToWrite() < maxQueuedBytes) {
        const std::vector<uint8_t> piece = tap_->read(peer->sent, Net::maxStreamPiece);
        if (piece.empty())
            break;
        send(peer, Net::streamPiece(piece));
        peer->sent += piece.size();
        streamSent_ += piece.size();
    }
    peer->socket->flush();
}

void NetHost::beat() {
    std::vector<Peer*> gone;
    for (const auto& peer : peers_) {
        if (peer->closing)
            continue;
        if (!peer->authenticated && peer->since.elapsed() > Net::authTimeoutMs) {
            refuse(peer.get(), QStringLiteral("no join code within %1 seconds").arg(Net::authTimeoutMs / 1000));
            continue;
        }
        if (peer->lastHeard.elapsed() > Net::silenceLimitMs) {
            gone.push_back(peer.get());
            continue;
        }
        if (peer->lastSent.elapsed() >= Net::heartbeatMs)
            send(peer.get(), Net::heartbeat());
    }
    for (Peer* peer : gone)
        drop(peer, QStringLiteral("the other player went silent"));
}

void NetHost::quit(const QString& reason) {
    pump();
    if (Peer* peer = guest_) {
        // The host leaves: no waiting for the guest to come back.
        guest_ = nullptr;
        peer->socket->disconnect(this);
        send(peer, Net::bye(reason.toStdString()));
        peer->socket->waitForBytesWritten(1000);
        peer->socket->disconnectFromHost();
    }
}

// ---- NetGuest ----

NetGuest::NetGuest(std::shared_ptr<LiveFeed> feed, QString address, uint16_t port, QString code)
    : feed_(std::move(feed)), address_(std::move(address)), port_(port), code_(code.toUtf8()) {
    retry_.setSingleShot(true);
    retry_.setInterval(1000);
    connect(&retry_, &QTimer::timeout, this, &NetGuest::connectNow);
    heartbeat_.setInterval(200);
    connect(&heartbeat_, &QTimer::timeout, this, &NetGuest::beat);
}

NetGuest::~NetGuest() = default;

void NetGuest::say(const QString& line) {
    if (onMessage)
        onMessage(line);
}

void NetGuest::start() {
    heartbeat_.start();
    connectNow();
}

void NetGuest::connectNow() {
    if (ended_)
        return;
    if (socket_) {
        socket_->disconnect(this);
        socket_->deleteLater();
    }
    decoder_ = Net::Decoder();
    socket_ = new QTcpSocket(this);
    connect(socket_, &QTcpSocket::connected, this, [this] {
        socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        lastHeard_.start();
        lastSent_.start();
    });
    connect(socket_, &QTcpSocket::readyRead, this, &NetGuest::readAll);
    connect(socket_, &QTcpSocket::disconnected, this, [this] { lost(QStringLiteral("the connection closed")); });
    connect(socket_, &QTcpSocket::errorOccurred, this, [this] {
        if (socket_->state() != QAbstractSocket::ConnectedState)
            lost(socket_->errorString());
    });
    socket_->connectToHost(address_, port_);
}

void NetGuest::send(const Net::Message& message) {
    if (!socket_ || socket_->state() != QAbstractSocket::ConnectedState)
        return;
    write(socket_, message);
    socket_->flush();
    lastSent_.restart();
}

void NetGuest::sendInput(int64_t h, int64_t v, bool down) {
    h = std::clamp<int64_t>(h, INT16_MIN, INT16_MAX);
    v = std::clamp<int64_t>(v, INT16_MIN, INT16_MAX);
    QMetaObject::invokeMethod(this, [this, h, v, down] {
        if (welcomed_)
            send(Net::input(h, v, down));
    }, Qt::QueuedConnection);
}

void NetGuest::readAll() {
    const QByteArray bytes = socket_->readAll();
    received_ += static_cast<uint64_t>(bytes.size());
    try {
        decoder_.feed(std::span(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size())));
        lastHeard_.restart();
        while (!ended_ && socket_) {
            const std::optional<Net::Message> message = decoder_.next();
            if (!message)
                break;
            handle(*message);
        }
    } catch (const Net::NetError& error) {
        end(QStringLiteral("the host sent a broken message (%1)").arg(QString::fromStdString(error.what())));
    }
}

void NetGuest::handle(const Net::Message& message) {
    switch (message.type) {
    case Net::Type::hello:
        if (message.version != Net::protocolVersion || message.text != ordnixGameVersion())
            return end(QStringLiteral("the host runs another version of the game (Ordnix %1, protocol %2; this is "
                                      "Ordnix %3, protocol %4)")
                           .arg(QString::fromStdString(message.text))
                           .arg(message.version)
                           .arg(QString::fromLatin1(ordnixGameVersion()))
                           .arg(Net::protocolVersion));
        send(Net::auth(ordnixGameVersion(), NetCode::response(code_, message.challenge), feed_->received()));
        break;
    case Net::Type::welcome:
        if (everWelcomed_ && message.side != side_)
            return end(QStringLiteral("the host gave this guest another cannon"));
        side_ = message.side;
        welcomed_ = true;
        if (everWelcomed_)
            say(QStringLiteral("joined the game again"));
        everWelcomed_ = true;
        if (onWelcome)
            onWelcome(message.side);
        break;
    case Net::Type::stream:
        if (!welcomed_)
            return end(QStringLiteral("the host sent the game before the welcome"));
        feed_->push(message.bytes);
        break;
    case Net::Type::refuse:
        return end(QStringLiteral("the host refused: %1").arg(QString::fromStdString(message.text)));
    case Net::Type::bye:
        return end(QStringLiteral("the game is over: %1").arg(QString::fromStdString(message.text)));
    case Net::Type::heartbeat: break;
    default: return end(QStringLiteral("the host sent an unexpected message"));
    }
}

void NetGuest::lost(const QString& why) {
    if (ended_)
        return;
    const bool wasConnected = welcomed_;
    welcomed_ = false;
    if (!everWelcomed_)
        return end(QStringLiteral("cannot join %1:%2: %3").arg(address_).arg(port_).arg(why));
    if (wasConnected) {
        lostAt_.start();
        say(QStringLiteral("lost the host (%1): trying to rejoin").arg(why));
    }
    if (lostAt_.isValid() && lostAt_.elapsed() > Net::rejoinWindowMs)
        return end(QStringLiteral("the host did not come back within %1 minutes").arg(Net::rejoinWindowMs / 60000));
    if (!retry_.isActive())
        retry_.start();
}

void NetGuest::end(const QString& why) {
    if (ended_)
        return;
    ended_ = true;
    welcomed_ = false;
    retry_.stop();
    heartbeat_.stop();
    if (socket_) {
        socket_->disconnect(this);
        socket_->abort();
    }
    // The stream received so far stays readable: after the host's bye it holds the end of the session.
    feed_->close();
    if (onEnded)
        onEnded(why);
}

void NetGuest::beat() {
    if (!socket_ || socket_->state() != QAbstractSocket::ConnectedState || !lastHeard_.isValid())
        return;
    if (lastHeard_.elapsed() > Net::silenceLimitMs) {
        socket_->abort();
        return lost(QStringLiteral("the host went silent"));
    }
    if (lastSent_.elapsed() >= Net::heartbeatMs)
        send(Net::heartbeat());
}

void NetGuest::abortConnection() {
    if (socket_)
        socket_->abort();
}

void NetGuest::quit(const QString& reason) {
    if (!socket_ || socket_->state() != QAbstractSocket::ConnectedState)
        return;
    send(Net::bye(reason.toStdString()));
    socket_->waitForBytesWritten(1000);
    ended_ = true;
    socket_->disconnectFromHost();
}
