#include "NetPlay.h"

#include <cstdio>
#include <mutex>

#include <QEventLoop>
#include <QHostAddress>
#include <QLabel>
#include <QMessageBox>
#include <QNetworkInterface>
#include <QPointer>
#include <QTimer>

#include "AppDelegate.h"
#include "AppHost.h"
#include "BattleMenu.h"
#include "LiveStream.h"
#include "NetSession.h"
#include "Ordnix.h"
#include "RecordingHost.h"
#include "RemotePanel.h"
#include "ReplayHost.h"
#include "ReplayRun.h"

namespace {

void printLine(const QString& line) {
    std::fprintf(stderr, "ordnix: %s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

// The address another machine reaches this one at: the first IPv4 address that is not the loopback.
QString reachableAddress() {
    for (const QHostAddress& address : QNetworkInterface::allAddresses())
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback())
            return address.toString();
    return QStringLiteral("127.0.0.1");
}

QString cannonName(int64_t side) { return side == 1 ? QStringLiteral("left") : QStringLiteral("right"); }

} // namespace

// ---- HostedGame ----

HostedGame::HostedGame(int64_t guestSide, uint16_t port)
    : guestSide_(guestSide), port_(port), code_(NetCode::generate()), tap_(std::make_shared<StreamTap>()) {}

HostedGame::~HostedGame() = default;

std::shared_ptr<RemotePanel> HostedGame::panelOver(std::shared_ptr<MacHost> below) {
    panel_ = std::make_shared<RemotePanel>(std::move(below), guestSide_);
    return panel_;
}

bool HostedGame::start(RecordingHost& recorder, QString& error) {
    recorder.streamTo([tap = tap_](std::span<const uint8_t> bytes) { tap->append(bytes); });
    net_ = std::make_unique<NetHost>(tap_, panel_, code_);
    net_->onMessage = printLine;
    if (!net_->listen(port_, false, error)) {
        error = QStringLiteral("cannot listen on port %1: %2").arg(port_).arg(error);
        return false;
    }
    std::printf("%s\n", joinCommand().toLocal8Bit().constData());
    std::fflush(stdout);
    return true;
}

QString HostedGame::joinCommand() const {
    return QStringLiteral("ordnix join %1:%2 --code %3").arg(reachableAddress()).arg(port_).arg(code_);
}

void HostedGame::attach(AppDelegate& delegate) {
    delegate_ = &delegate;
    QWidget* window = delegate.fieldWindow.get();
    window->setWindowTitle(QStringLiteral("Ordnix \u2014 hosting at %1:%2, join code %3")
                               .arg(reachableAddress())
                               .arg(port_)
                               .arg(code_));
    auto* sheet = new QMessageBox(QMessageBox::Information, QStringLiteral("Ordnix: join code"),
                                  QStringLiteral("The other player joins with:\n\n%1\n\nThey play the %2 cannon.")
                                      .arg(joinCommand(), cannonName(guestSide_)),
                                  QMessageBox::Ok, window);
    sheet->setWindowModality(Qt::WindowModal);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->setTextInteractionFlags(Qt::TextSelectableByMouse);
    sheet->open();

    waiting_ = new QLabel(QStringLiteral("Waiting for the other player"), delegate.fieldSurface);
    waiting_->setAlignment(Qt::AlignCenter);
    waiting_->setStyleSheet(QStringLiteral("QLabel { background: white; color: black; border: 1px solid black; "
                                           "padding: 2px 8px; }"));
    waiting_->adjustSize();
    waiting_->move(8, 8);
    waiting_->hide();
    auto* timer = new QTimer(this);
    timer->setInterval(100);
    connect(timer, &QTimer::timeout, this, &HostedGame::updateWaiting);
    timer->start();
}

void HostedGame::updateWaiting() {
    if (waiting_ == nullptr || !panel_)
        return;
    const bool wait = panel_->waitingForGuest();
    if (wait != waiting_->isVisible()) {
        waiting_->setVisible(wait);
        if (wait)
            waiting_->raise();
    }
}

void HostedGame::quit() {
    if (net_)
        net_->quit(QStringLiteral("the host quit"));
}

// ---- GuestGame ----

// What the game thread's sampling of the player's hand shares with the rest.
struct GuestGame::Hand {
    std::shared_ptr<AppHost> display;
    std::shared_ptr<ReplayHost> replay;
    NetGuest* net = nullptr;
    const Ordnix* game = nullptr;
    bool aimed = false;
    int64_t h = -1, v = -1;
    bool down = false;

    // On the game thread, while the replay waits for the host: during this guest's turns, the
    // pointer and the button go to the host whenever they change.
    void sample() {
        (void)display->tickCount(); // parks the thread here once the player quits
        const bool aims = game != nullptr && net->side() != 0 && game->gTurn == net->side() && BattleMenu::read(replay->menus()).aiming();
        if (!aims) {
            aimed = false;
            return;
        }
        const bool pressed = display->button();
        const QuickDraw::Point p = display->mouse(*game->gFieldWindow);
        if (aimed && pressed == down && p.h == h && p.v == v)
            return;
        // A click shorter than a poll reads as a press now and a release at the next poll.
        aimed = true;
        h = p.h;
        v = p.v;
        down = pressed;
        net->sendInput(h, v, down);
    }
};

GuestGame::GuestGame(QString address, uint16_t port, QString code)
    : address_(address), feed_(std::make_shared<LiveFeed>()),
      net_(std::make_unique<NetGuest>(feed_, address, port, std::move(code))), hand_(std::make_shared<Hand>()) {
    hand_->net = net_.get();
}

GuestGame::~GuestGame() = default;

bool GuestGame::join(QString& error) {
    QEventLoop loop;
    bool welcomed = false;
    net_->onWelcome = [&](int64_t) {
        welcomed = true;
        loop.quit();
    };
    net_->onEnded = [&](const QString& why) {
        error = why;
        loop.quit();
    };
    net_->start();
    loop.exec();
    net_->onWelcome = [this](int64_t) { setStatus({}); };
    net_->onEnded = [this](const QString& why) {
        printLine(why);
        setStatus(why);
    };
    net_->onMessage = [this](const QString& line) {
        printLine(line);
        setStatus(line);
    };
    return welcomed;
}

void GuestGame::install(AppDelegate& delegate) {
    delegate_ = &delegate;
    std::shared_ptr<AppHost> display = delegate.host;
    hand_->display = display;
    ReplayOptions options;
    options.display = display;
    options.greyMenus = true;
    options.more = [feed = feed_, hand = hand_] { return feed->waitForMore([&hand] { hand->sample(); }); };
    hand_->replay = std::make_shared<ReplayHost>(feed_->recording(), options);
    delegate.coreHost = hand_->replay;
    delegate.runGame = [hand = hand_, feed = feed_, display](Ordnix& game) {
        hand->game = &game;
        const ReplayOutcome outcome = ReplayRun::run(game, *hand->replay, feed->recording());
        if (outcome.status != ReplayOutcome::Status::exact)
            printLine(QStringLiteral("the game here differs from the host's: %1")
                          .arg(QString::fromStdString(outcome.message)));
        if (const auto failure = feed->failure())
            printLine(QString::fromStdString(*failure));
        // The window keeps the last picture until the player quits.
        for (;;)
            display->idle();
    };
}

void GuestGame::attach(AppDelegate& delegate) {
    delegate_ = &delegate;
    setStatus({});
}

void GuestGame::setStatus(const QString& status) {
    status_ = status;
    if (!delegate_ || !delegate_->fieldWindow)
        return;
    QString title = QStringLiteral("Ordnix \u2014 guest of %1, %2 cannon").arg(address_, cannonName(net_->side()));
    if (!status_.isEmpty())
        title += QStringLiteral(" (%1)").arg(status_);
    delegate_->fieldWindow->setWindowTitle(title);
}

void GuestGame::quit() { net_->quit(QStringLiteral("the guest quit")); }
