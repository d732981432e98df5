// Network play on 127.0.0.1, in one process: a host game (virtual clock, a scripted person on the left) and
// a guest that replays the host's live stream and plays the right cannon from its own screen. The
// frames on the wire are checked against their documented limits; peers with a wrong code or garbage
// are refused while the host keeps waiting; a dropped guest rejoins and the battle resumes; a guest
// gone longer than the rejoin window loses its cannon to the host's person.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include <QCoreApplication>
#include <QTcpSocket>

#include "BattleMenu.h"
#include "CommandLine.h"
#include "LiveStream.h"
#include "NetProtocol.h"
#include "NetSession.h"
#include "Ordnix.h"
#include "RecordingHost.h"
#include "RemotePanel.h"
#include "ReplayHost.h"
#include "ShotSimulator.h"
#include "VirtualHost.h"

namespace {

constexpr int64_t quitMenu = 257;

QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "net_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    return *app;
}

// Runs the event loop until `done` (a hang guard, not a timing check: it only ends a broken run).
template <typename Done>
bool pumpUntil(Done done, std::chrono::seconds guard = std::chrono::seconds(240)) {
    const auto end = std::chrono::steady_clock::now() + guard;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

QuickDraw::Point centre(const QuickDraw::Rect& r) {
    return QuickDraw::Point((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

// Where a hand clicks for a shot that lands and destroys no cannon (the battle goes on), chosen by
// flying candidates on a copy of the game: the powder, the elevation, then "Fire".
std::array<QuickDraw::Point, 3> harmlessShot(const Ordnix& game) {
    ShotSimulator simulator;
    simulator.load(game);
    ShotSimulator::Shot chosen;
    for (const int64_t elevation : {45, 20, 70, 0})
        for (const int64_t powder : {20, 35, 50, 15}) {
            const ShotSimulator::Outcome o = simulator.fly(game.gTurn, {powder, elevation});
            if (o.landed && !o.enemyCannonDestroyed && !o.ownCannonDestroyed && chosen.powder == 10)
                chosen = {powder, elevation};
        }
    const QuickDraw::Rect& pow = game.gPowSlider;
    const QuickDraw::Rect& ele = game.gEleSlider;
    return {QuickDraw::Point(pow.left + chosen.powder - ShotSimulator::minPowder, (pow.top + pow.bottom) / 2),
            QuickDraw::Point(ele.left + chosen.elevation, (ele.top + ele.bottom) / 2), centre(game.gFireRect)};
}

// The person at the host: starts one battle, fires harmless shots for the left cannon (and for the right
// one once it has been handed over), stops the battle after `leftShots` of them, then quits.
class HostDesk : public VirtualHost {
public:
    explicit HostDesk(int64_t leftShots) : leftShots_(leftShots) {
        setRandSeed(4242);
        setIdleMicroseconds(4000);
        setVolume(0);
    }
    void attach(const Ordnix* game, const RemotePanel* panel) {
        game_ = game;
        panel_ = panel;
    }
    std::atomic<bool> sawWaiting{false};
    std::array<std::atomic<int64_t>, 2> shots{};

protected:
    void beginCall(HostOp op, int64_t arg) override {
        VirtualHost::beginCall(op, arg);
        if (game_ == nullptr)
            return;
        if (op == HostOp::takeMenuChoice && readyForMenus() && queuedMenuChoices().empty())
            choose();
        const bool aims = BattleMenu::read(menus()).aiming();
        if (op == HostOp::menusChanged || !aims)
            pollsThisTurn_ = 0;
        const int64_t side = game_->gTurn;
        const bool guests = side == panel_->side() && panel_->guest() != RemotePanel::Guest::replaced;
        if (aims && guests)
            sawWaiting = sawWaiting || panel_->waitingForGuest();
        if (op != HostOp::button || !aims || guests || (side != 1 && side != 2))
            return;
        // One click sets the powder, one the elevation, one fires.
        const int64_t poll = ++pollsThisTurn_;
        if (poll == 1)
            shot_ = harmlessShot(*game_);
        if (poll != 2 && poll != 20 && poll != 40)
            return;
        const QuickDraw::Point at = shot_[poll == 2 ? 0 : poll == 20 ? 1 : 2];
        movePointer(WindowID::field, at.h, at.v);
        press();
        release();
        if (poll == 40)
            ++shots[static_cast<size_t>(side - 1)];
    }

private:
    void choose() {
        const BattleMenu battle = BattleMenu::read(menus());
        // A person sees the new field before choosing; the main loop draws it after this poll.
        if (battle.startOn && game_->gNewField == 0)
            queueMenuChoice(started_++ == 0 ? BattleMenu::id << 16 | BattleMenu::startItem : quitMenu << 16 | 1);
        else if (battle.stopOn && shots[0] >= leftShots_)
            queueMenuChoice(BattleMenu::id << 16 | BattleMenu::stopItem);
    }
    int64_t leftShots_;
    const Ordnix* game_ = nullptr;
    const RemotePanel* panel_ = nullptr;
    int64_t started_ = 0;
    int64_t pollsThisTurn_ = 0;
    std::array<QuickDraw::Point, 3> shot_{};
};

// The host machine: core -> recording (streamed) -> remote panel -> computer player -> desk.
struct HostMachine {
    explicit HostMachine(int64_t leftShots) : desk(std::make_shared<HostDesk>(leftShots)) {
        panel = std::make_shared<RemotePanel>(desk, 2, [this] { return clockMs.load(); });
        recorder = std::make_shared<RecordingHost>(panel);
        recorder->streamTo([tap = tap](std::span<const uint8_t> bytes) { tap->append(bytes); });
        game = std::make_unique<Ordnix>(recorder);
        panel->attach(*game);
        desk->attach(game.get(), panel.get());
        net = std::make_unique<NetHost>(tap, panel, QStringLiteral("K7P2WQ9M"));
        net->onMessage = [this](const QString& line) { messages += line.toStdString() + "\n"; };
        QString error;
        EXPECT_TRUE(net->listen(0, true, error)) << error.toStdString();
    }
    void start() {
        thread = std::thread([this] {
            game->run();
            recorder->finish();
            done = true;
        });
    }
    ~HostMachine() {
        if (thread.joinable())
            thread.join();
    }

    std::atomic<int64_t> clockMs{0};
    std::shared_ptr<StreamTap> tap = std::make_shared<StreamTap>();
    std::shared_ptr<HostDesk> desk;
    std::shared_ptr<RemotePanel> panel;
    std::shared_ptr<RecordingHost> recorder;
    std::unique_ptr<Ordnix> game;
    std::unique_ptr<NetHost> net;
    std::string messages;
    std::thread thread;
    std::atomic<bool> done{false};
};

// The guest machine: its game replays the live stream; on each of its turns its hand fires a harmless
// shot. On the
// turn numbered `dropOnTurn` it first drops the connection once and fires only after rejoining.
struct GuestMachine {
    GuestMachine(uint16_t port, const QString& code, int64_t dropOnTurn = 0) : dropOnTurn(dropOnTurn) {
        net = std::make_unique<NetGuest>(feed, QStringLiteral("127.0.0.1"), port, code);
        net->onMessage = [this](const QString& line) { messages += line.toStdString() + "\n"; };
        net->onEnded = [this](const QString& why) { ended = why.toStdString(); };
        net->onWelcome = [this](int64_t) { ++welcomes; };
        net->start();
    }
    void startGame() {
        ReplayOptions options;
        options.more = [this] { return feed->waitForMore([this] { hand(); }); };
        replay = std::make_shared<ReplayHost>(feed->recording(), options);
        game = std::make_unique<Ordnix>(replay);
        thread = std::thread([this] {
            try {
                game->run();
                replay->finish();
                finished = true;
            } catch (const ReplayHost::EndOfRecording&) {
            } catch (const ReplayHost::Divergence& d) {
                divergence = d.what();
            }
            done = true;
        });
    }
    ~GuestMachine() {
        if (thread.joinable())
            thread.join();
    }

    void hand() {
        const bool aims = BattleMenu::read(replay->menus()).aiming() && game->gTurn == 2;
        if (!aims || firedOnTurn == turns + 1) {
            if (!aims && wasAiming)
                ++turns;
            wasAiming = aims;
            return;
        }
        wasAiming = true;
        if (turns + 1 == dropOnTurn && !dropped) {
            dropped = true;
            QMetaObject::invokeMethod(net.get(), [n = net.get()] { n->abortConnection(); }, Qt::QueuedConnection);
            return;
        }
        if (dropped && turns + 1 == dropOnTurn && welcomes < 2)
            return;
        if (!net->connected())
            return;
        firedOnTurn = turns + 1;
        for (const QuickDraw::Point p : harmlessShot(*game)) {
            net->sendInput(p.h, p.v, false);
            net->sendInput(p.h, p.v, true);
            net->sendInput(p.h, p.v, false);
        }
    }

    std::shared_ptr<LiveFeed> feed = std::make_shared<LiveFeed>();
    std::unique_ptr<NetGuest> net;
    std::shared_ptr<ReplayHost> replay;
    std::unique_ptr<Ordnix> game;
    std::thread thread;
    std::string messages, ended, divergence;
    std::atomic<int64_t> welcomes{0};
    std::atomic<bool> done{false}, finished{false};
    const int64_t dropOnTurn;
    // Game thread only.
    int64_t turns = 0, firedOnTurn = 0;
    bool wasAiming = false, dropped = false;
};

// What a peer that is not a guest hears back: the refuse message's reason.
std::string refusalFor(uint16_t port, const QByteArray& bytes) {
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    Net::Decoder decoder;
    std::string reason;
    bool sent = false;
    pumpUntil([&] {
        if (socket.state() == QAbstractSocket::ConnectedState && !sent) {
            socket.write(bytes);
            sent = true;
        }
        const QByteArray got = socket.readAll();
        try {
            decoder.feed(std::span(reinterpret_cast<const uint8_t*>(got.constData()), static_cast<size_t>(got.size())));
        } catch (const Net::NetError&) {
            return true;
        }
        while (auto m = decoder.next())
            if (m->type == Net::Type::refuse)
                reason = m->text;
        return !reason.empty() || (sent && socket.state() == QAbstractSocket::UnconnectedState);
    });
    return reason;
}

TEST(NetProtocol, FramesKeepTheirLimitsAndTypes) {
    Net::Digest digest{};
    digest[0] = 7;
    digest[31] = 9;
    const std::vector<uint8_t> piece(Net::maxStreamPiece, 0xAB);
    // Every message survives a trip byte by byte.
    const std::vector<Net::Message> messages = {
        Net::hello("1.0", digest), Net::auth("1.0", digest, 123456789012), Net::welcome(2), Net::refuse("wrong"),
        Net::streamPiece(piece), Net::input(-3, 321, true), Net::heartbeat(), Net::bye("quit")};
    Net::Decoder decoder;
    for (const Net::Message& m : messages)
        for (uint8_t byte : Net::encode(m))
            decoder.feed(std::span(&byte, 1));
    for (const Net::Message& m : messages) {
        const auto got = decoder.next();
        ASSERT_TRUE(got);
        EXPECT_EQ(*got, m) << static_cast<int>(m.type);
    }
    EXPECT_FALSE(decoder.next());
    EXPECT_EQ(decoder.buffered(), 0u);

    // A frame is u32 length, type, body; each of these breaks one rule.
    const auto frame = [](std::vector<uint8_t> payload) {
        std::vector<uint8_t> f{static_cast<uint8_t>(payload.size()), static_cast<uint8_t>(payload.size() >> 8),
                               static_cast<uint8_t>(payload.size() >> 16), 0};
        f.insert(f.end(), payload.begin(), payload.end());
        return f;
    };
    std::vector<uint8_t> tooLong = frame(std::vector<uint8_t>(Net::maxStreamPiece + 2, 0));
    tooLong[4] = static_cast<uint8_t>(Net::Type::stream);
    std::vector<uint8_t> hugeHeader{0xFF, 0xFF, 0xFF, 0x7F, 5};
    std::vector<uint8_t> badHello = Net::encode(Net::hello("1.0", digest));
    badHello[5] = 'X';
    std::vector<uint8_t> longAuth = Net::encode(Net::auth("1.0", digest, 1));
    longAuth.push_back(0);
    longAuth[0] += 1;
    const std::vector<std::pair<std::vector<uint8_t>, std::string>> bad = {
        {frame({}), "frame of 0 bytes"},
        {frame({0x63}), "unknown message type 99"},
        {hugeHeader, "frame of"},
        {tooLong, "frame of 65538 bytes"},
        {frame({static_cast<uint8_t>(Net::Type::stream)}), "stream message of 0 bytes"},
        {frame({static_cast<uint8_t>(Net::Type::welcome), 3}), "cannon 3"},
        {frame({static_cast<uint8_t>(Net::Type::input), 1, 0, 2, 0, 2}), "button state 2"},
        {frame({static_cast<uint8_t>(Net::Type::input), 1, 0, 2, 0}), "body too short"},
        {frame({static_cast<uint8_t>(Net::Type::heartbeat), 0}), "1 bytes too many"},
        {frame({static_cast<uint8_t>(Net::Type::bye), 0x01, 0x10}), "string of 4097 bytes"},
        {badHello, "not an Ordnix game"},
        {longAuth, "1 bytes too many"},
    };
    for (const auto& [bytes, why] : bad) {
        Net::Decoder d;
        try {
            d.feed(bytes);
            ADD_FAILURE() << "accepted, expected: " << why;
        } catch (const Net::NetError& e) {
            EXPECT_NE(std::string(e.what()).find(why), std::string::npos) << e.what();
        }
        EXPECT_THROW(d.feed(Net::encode(Net::heartbeat())), Net::NetError) << "a broken stream stays broken";
    }
}

TEST(NetPlay, StrangersAreRefusedAndTheGuestsScreenFollowsTheHostsThroughADrop) {
    application();
    HostMachine host(3);
    const uint16_t port = host.net->port();

    // Garbage and a peer that skips the code are refused and closed; the host keeps listening.
    EXPECT_NE(refusalFor(port, "GET / HTTP/1.0\r\n\r\n").find("broken message"), std::string::npos);
    const std::vector<uint8_t> early = Net::encode(Net::input(1, 1, true));
    EXPECT_EQ(refusalFor(port, QByteArray(reinterpret_cast<const char*>(early.data()), early.size())),
              "expected the join code first");
    {
        GuestMachine wrong(port, QStringLiteral("K7P2WQ9N"));
        ASSERT_TRUE(pumpUntil([&] { return !wrong.ended.empty(); }));
        EXPECT_EQ(wrong.ended, "the host refused: wrong join code");
        EXPECT_EQ(wrong.welcomes, 0);
    }
    EXPECT_EQ(host.panel->guest(), RemotePanel::Guest::awaited);
    EXPECT_NE(host.messages.find("refused a connection from 127.0.0.1: wrong join code"), std::string::npos);

    // Codes are typed by people: case and blanks around it do not matter.
    GuestMachine guest(port, QStringLiteral(" k7p2wq9m "), 2);
    ASSERT_TRUE(pumpUntil([&] { return guest.welcomes == 1; })) << guest.ended;
    EXPECT_EQ(guest.net->side(), 2);
    guest.startGame();
    host.start();
    ASSERT_TRUE(pumpUntil([&] { return host.done && guest.done; })) << host.messages << guest.messages;
    host.net->quit(QStringLiteral("the host quit"));

    EXPECT_EQ(guest.divergence, "");
    EXPECT_TRUE(guest.finished) << "the guest replays up to the end of the host's session";
    EXPECT_EQ(guest.welcomes, 2) << guest.messages;
    EXPECT_TRUE(host.desk->sawWaiting) << "the guest's turn waited while it was away";
    // A guest that lags may replay the end of its last turn without waiting, so its hand never sees it end.
    const int64_t turnsSeen = guest.turns + (guest.wasAiming ? 1 : 0);
    EXPECT_EQ(guest.firedOnTurn, turnsSeen) << "the guest fired on each of its turns";
    EXPECT_GE(turnsSeen, 2);
    EXPECT_EQ(host.game->gKilled, 0) << "every shot was harmless: the host's person stopped the battle";
    EXPECT_FALSE(guest.replay->mismatch()) << *guest.replay->mismatch();
    EXPECT_EQ(guest.replay->checkpoints().size(), host.recorder->checkpoints().size());
    for (const WindowID id : allWindowIDs) {
        const QuickDraw::Bitmap& mine = guest.game->window(id).port().bitmap;
        const QuickDraw::Bitmap& theirs = host.game->window(id).port().bitmap;
        EXPECT_EQ(guest.game->window(id).visible(), host.game->window(id).visible());
        EXPECT_TRUE(mine.bits() == theirs.bits()) << "window " << static_cast<int>(id);
    }
    // The recording of a network game is a recording like any other, and read in pieces as they come
    // it holds the same chunks as read whole.
    const std::vector<uint8_t>& bytes = host.recorder->writer().bytes();
    const Recording recording = RecordingReader::read(bytes);
    EXPECT_TRUE(recording.complete);
    EXPECT_EQ(replayHeadless(recording).status, ReplayResult::Status::exact);
    Recording pieces;
    RecordingStreamReader reader;
    for (size_t at = 0; at < bytes.size(); at += 7)
        reader.feed(std::span(bytes).subspan(at, std::min<size_t>(7, bytes.size() - at)), pieces);
    EXPECT_TRUE(pieces.complete);
    ASSERT_EQ(pieces.chunks.size(), recording.chunks.size());
    for (size_t i = 0; i < pieces.chunks.size(); ++i)
        EXPECT_TRUE(pieces.chunks[i].items == recording.chunks[i].items && pieces.chunks[i].offset == recording.chunks[i].offset) << i;
}

TEST(NetPlay, AGuestAwayLongerThanTheRejoinWindowLosesItsCannon) {
    application();
    HostMachine host(2);
    const QString code = QStringLiteral("K7P2WQ9M");
    auto guest = std::make_unique<GuestMachine>(host.net->port(), code);
    ASSERT_TRUE(pumpUntil([&] { return guest->welcomes == 1; }));
    guest->net->onEnded = {};
    guest->net->abortConnection();
    guest->net.reset(); // it never tries again
    ASSERT_TRUE(pumpUntil([&] { return host.panel->guest() == RemotePanel::Guest::away; }));

    host.start();
    ASSERT_TRUE(pumpUntil([&] { return host.panel->waitingForGuest(); }));
    host.clockMs += Net::rejoinWindowMs - 1;
    EXPECT_EQ(host.panel->guest(), RemotePanel::Guest::away);
    EXPECT_TRUE(host.panel->waitingForGuest());
    host.clockMs += 1;
    EXPECT_EQ(host.panel->guest(), RemotePanel::Guest::replaced);
    ASSERT_TRUE(pumpUntil([&] { return host.done.load(); })) << host.messages;
    EXPECT_EQ(host.desk->shots[1], 1) << "the host's person fired for the right cannon";
    EXPECT_EQ(host.desk->shots[0], 2);

    // The seat is gone: the same code no longer joins.
    GuestMachine late(host.net->port(), code);
    ASSERT_TRUE(pumpUntil([&] { return !late.ended.empty(); }));
    EXPECT_NE(late.ended.find("went on without the guest"), std::string::npos) << late.ended;
}

} // namespace

namespace {

TEST(NetCommandLine, HostAndJoinTakeTheirOptionsAndRefuseTheRest) {
    struct Case {
        QStringList arguments;
        CommandLine::Mode mode;
        int64_t guestSide;
        uint16_t port;
        QString address, code, error; // error: a part of the one-line message, empty when none
    };
    using M = CommandLine::Mode;
    const QString none;
    const std::vector<Case> cases = {
        {{"host"}, M::host, 2, Net::defaultPort, none, none, none},
        {{"host", "--left", "guest", "--port", "5000"}, M::host, 1, 5000, none, none, none},
        {{"host", "--left", "person"}, M::host, 2, Net::defaultPort, none, none, none},
        {{"host", "--right", "person"}, M::host, 0, 0, none, none, "exactly one cannon for the guest"},
        {{"host", "--left", "guest", "--right", "guest"}, M::host, 0, 0, none, none, "exactly one cannon"},
        {{"host", "--left", "computer:good"}, M::host, 0, 0, none, none, "takes person or guest"},
        {{"host", "--port", "0"}, M::host, 0, 0, none, none, "from 1 to 65535"},
        {{"host", "--port", "65536"}, M::host, 0, 0, none, none, "from 1 to 65535"},
        {{"host", "--code", "X"}, M::host, 0, 0, none, none, "--code is for join"},
        {{"join", "10.0.0.7", "--code", "K7P2"}, M::join, 0, Net::defaultPort, "10.0.0.7", "K7P2", none},
        {{"join", "host.example:6001", "--code", "K7P2"}, M::join, 0, 6001, "host.example", "K7P2", none},
        {{"join", "[::1]:6002", "--code", "K7P2"}, M::join, 0, 6002, "::1", "K7P2", none},
        {{"join", "[::1]", "--code", "K7P2"}, M::join, 0, Net::defaultPort, "::1", "K7P2", none},
        {{"join", "10.0.0.7:99999", "--code", "K7P2"}, M::join, 0, 0, none, none, "from 1 to 65535"},
        {{"join", "10.0.0.7"}, M::join, 0, 0, none, none, "needs --code"},
        {{"join", "--code", "K7P2"}, M::join, 0, 0, none, none, "ADDRESS[:PORT]"},
        {{"join", ":6001", "--code", "K7P2"}, M::join, 0, 0, none, none, "ADDRESS[:PORT]"},
        {{"join", "10.0.0.7", "--code", "K7P2", "--record", "x.rec"}, M::join, 0, 0, none, none, "the host decides"},
        {{"--port", "5000"}, M::play, 0, 0, none, none, "--port is for host"},
        {{"replay", "x.rec", "--code", "A"}, M::play, 0, 0, none, none, "--code for join"},
    };
    for (const Case& c : cases) {
        const CommandLine line = CommandLine::parse(QStringList{"ordnix"} + c.arguments);
        const std::string what = c.arguments.join(' ').toStdString();
        if (!c.error.isEmpty()) {
            EXPECT_TRUE(line.error.contains(c.error)) << what << ": " << line.error.toStdString();
            continue;
        }
        EXPECT_EQ(line.error, QString()) << what;
        EXPECT_EQ(line.mode, c.mode) << what;
        EXPECT_EQ(line.guestSide, c.guestSide) << what;
        EXPECT_EQ(line.port, c.port) << what;
        EXPECT_EQ(line.joinAddress, c.address) << what;
        EXPECT_EQ(line.joinCode, c.code) << what;
    }
}

} // namespace
