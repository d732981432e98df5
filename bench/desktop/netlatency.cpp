// Network play over 127.0.0.1 in one process, in real time: how long a guest's press takes to change
// the host's game and the guest's replay of it, and how many bytes a shot's stream costs.
//
// The host's desk is a virtual-clock host held to the wall clock (its idle sleeps until the clock
// catches up), the guest a replay of the live stream as `ordnix join` runs it. On each of the guest's
// turns its hand presses on the powder slider at a new value (the press is timed from when the guest
// sends it to when the host's game, then the guest's replay, holds the new powder: both draw the bar
// in that same step), then fires a high shot, whose stream is counted on the guest's socket from the
// press on "Fire" until the host's player aims again (the flight and the burst). The host's person fires short shots. Prints one line per figure.
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <QCoreApplication>

#include "BattleMenu.h"
#include "LiveStream.h"
#include "NetSession.h"
#include "Ordnix.h"
#include "RecordingHost.h"
#include "RemotePanel.h"
#include "ReplayHost.h"
#include "VirtualHost.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int64_t battleMenu = BattleMenu::id, stopItem = BattleMenu::stopItem, startItem = BattleMenu::startItem,
                  quitMenu = 257;
constexpr int guestShots = 6;

double msSince(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

struct Shared {
    std::mutex mutex;
    Clock::time_point sent{};
    int64_t target = 0;            // the powder the guest's press sets
    bool hostSaw = true, guestSaw = true;
    std::vector<double> hostMs, guestMs;
    std::atomic<int> guestFired{0};
};

// The host's person, in real time: starts a battle, fires short shots for the left cannon, stops the
// battle once the guest has fired its shots, quits.
class Desk : public VirtualHost {
public:
    explicit Desk(Shared& shared) : shared_(shared) {
        setRandSeed(99);
        setIdleMicroseconds(1000);
        setVolume(0);
    }
    void attach(const Ordnix* game) { game_ = game; }

protected:
    void clockMoved() override {
        // Virtual time never runs ahead of the wall clock.
        const auto due = start_ + std::chrono::microseconds(clockMicroseconds());
        if (due > Clock::now() + std::chrono::milliseconds(1))
            std::this_thread::sleep_until(due);
    }
    void beginCall(HostOp op, int64_t arg) override {
        VirtualHost::beginCall(op, arg);
        if (game_ == nullptr)
            return;
        {
            std::lock_guard guard(shared_.mutex);
            if (!shared_.hostSaw && game_->gPowderR == shared_.target) {
                shared_.hostSaw = true;
                shared_.hostMs.push_back(msSince(shared_.sent));
            }
        }
        const BattleMenu battle = BattleMenu::read(menus());
        if (op == HostOp::takeMenuChoice && readyForMenus() && queuedMenuChoices().empty()) {
            if (battle.startOn && game_->gNewField == 0)
                queueMenuChoice(started_++ == 0 ? battleMenu << 16 | startItem : quitMenu << 16 | 1);
            else if (!battle.startOn && shared_.guestFired >= guestShots && battle.aiming())
                queueMenuChoice(battleMenu << 16 | stopItem);
        }
        if (op != HostOp::button || game_->gTurn != 1 || !BattleMenu::read(menus()).aiming()) {
            if (op == HostOp::menusChanged)
                polls_ = 0;
            return;
        }
        const int64_t poll = ++polls_;
        if (poll != 2 && poll != 30)
            return;
        const QuickDraw::Rect& pow = game_->gPowSlider;
        const QuickDraw::Point at = poll == 2 ? QuickDraw::Point(pow.left + 5, (pow.top + pow.bottom) / 2)
                                              : QuickDraw::Point((game_->gFireRect.left + game_->gFireRect.right) / 2,
                                                                 (game_->gFireRect.top + game_->gFireRect.bottom) / 2);
        movePointer(WindowID::field, at.h, at.v);
        press();
        release();
    }

private:
    Shared& shared_;
    const Ordnix* game_ = nullptr;
    Clock::time_point start_ = Clock::now();
    int64_t started_ = 0, polls_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    Shared shared;

    // The host: core -> streamed recording -> remote panel (right cannon) -> desk.
    auto desk = std::make_shared<Desk>(shared);
    auto panel = std::make_shared<RemotePanel>(desk, 2);
    auto recorder = std::make_shared<RecordingHost>(panel);
    auto tap = std::make_shared<StreamTap>();
    recorder->streamTo([tap](std::span<const uint8_t> bytes) { tap->append(bytes); });
    Ordnix hostGame(recorder);
    panel->attach(hostGame);
    desk->attach(&hostGame);
    NetHost host(tap, panel, QStringLiteral("BENCH234"));
    QString error;
    if (!host.listen(0, true, error)) {
        std::fprintf(stderr, "netlatency: %s\n", error.toLocal8Bit().constData());
        return 1;
    }

    // The guest.
    auto feed = std::make_shared<LiveFeed>();
    NetGuest guest(feed, QStringLiteral("127.0.0.1"), host.port(), QStringLiteral("BENCH234"));
    guest.start();
    std::unique_ptr<Ordnix> guestGame;
    std::shared_ptr<ReplayHost> replay;
    // Guest's game thread only.
    bool aimed = false;
    int64_t turn = 0;
    int step = 0;
    Clock::time_point stepAt{};
    Clock::time_point fireAt{};
    uint64_t fireBytes = 0;
    std::vector<double> shotRates;
    std::vector<std::pair<Clock::time_point, uint64_t>> samples;
    const auto look = [&] {
        std::lock_guard guard(shared.mutex);
        if (!shared.guestSaw && guestGame->gPowderR == shared.target) {
            shared.guestSaw = true;
            shared.guestMs.push_back(msSince(shared.sent));
        }
    };
    const auto hand = [&] {
        look();
        samples.emplace_back(Clock::now(), guest.bytesReceived());
        const bool aims = BattleMenu::read(replay->menus()).aiming() && guestGame->gTurn == 2;
        if (fireAt != Clock::time_point{} && BattleMenu::read(replay->menus()).aiming() && guestGame->gTurn != 2) {
            // The ball has flown (and burst): the host's player aims.
            const double seconds = std::chrono::duration<double>(Clock::now() - fireAt).count();
            shotRates.push_back(static_cast<double>(guest.bytesReceived() - fireBytes) / seconds);
            fireAt = Clock::time_point{};
        }
        if (aims && !aimed) {
            ++turn;
            step = 0;
            stepAt = Clock::now();
        }
        aimed = aims;
        if (!aims || step >= 3 || msSince(stepAt) < 300)
            return;
        const QuickDraw::Rect& pow = guestGame->gPowSlider;
        const QuickDraw::Rect& ele = guestGame->gEleSlider;
        const int64_t powder = 40 + 7 * turn;
        QuickDraw::Point at;
        if (step == 0) {
            at = QuickDraw::Point(pow.left + powder - 10, (pow.top + pow.bottom) / 2);
            std::lock_guard guard(shared.mutex);
            shared.target = powder;
            shared.hostSaw = shared.guestSaw = false;
            shared.sent = Clock::now();
        } else if (step == 1) {
            at = QuickDraw::Point(ele.left + 70, (ele.top + ele.bottom) / 2);
        } else {
            at = QuickDraw::Point((guestGame->gFireRect.left + guestGame->gFireRect.right) / 2,
                                  (guestGame->gFireRect.top + guestGame->gFireRect.bottom) / 2);
            fireAt = Clock::now();
            fireBytes = guest.bytesReceived();
            ++shared.guestFired;
        }
        guest.sendInput(at.h, at.v, true);
        guest.sendInput(at.h, at.v, false);
        ++step;
        stepAt = Clock::now();
    };
    ReplayOptions options;
    options.more = [&] {
        look();
        return feed->waitForMore(hand);
    };
    replay = std::make_shared<ReplayHost>(feed->recording(), options);
    guestGame = std::make_unique<Ordnix>(replay);

    std::atomic<bool> hostDone{false}, guestDone{false};
    std::thread hostThread([&] {
        hostGame.run();
        recorder->finish();
        hostDone = true;
    });
    std::thread guestThread([&] {
        try {
            guestGame->run();
            replay->finish();
        } catch (const ReplayHost::EndOfRecording&) {
        } catch (const ReplayHost::Divergence& d) {
            std::fprintf(stderr, "netlatency: %s\n", d.what());
        }
        guestDone = true;
    });
    while (!hostDone || !guestDone)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    host.quit(QStringLiteral("done"));
    hostThread.join();
    guestThread.join();

    const auto worst = [](std::vector<double> v) { return v.empty() ? 0.0 : *std::max_element(v.begin(), v.end()); };
    const auto median = [](std::vector<double> v) {
        if (v.empty())
            return 0.0;
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    // The busiest second of the stream.
    double peak = 0;
    for (size_t i = 0, j = 0; i < samples.size(); ++i) {
        while (samples[i].first - samples[j].first > std::chrono::seconds(1))
            ++j;
        if (samples[i].first - samples[j].first >= std::chrono::milliseconds(900))
            peak = std::max(peak, static_cast<double>(samples[i].second - samples[j].second));
    }
    std::printf("press_to_host_ms median %.1f worst %.1f (%zu presses)\n", median(shared.hostMs), worst(shared.hostMs),
                shared.hostMs.size());
    std::printf("press_to_guest_ms median %.1f worst %.1f (%zu presses)\n", median(shared.guestMs),
                worst(shared.guestMs), shared.guestMs.size());
    std::printf("shot_stream_bytes_per_s median %.0f worst %.0f (%zu shots, from the press on Fire to the next turn)\n", median(shotRates),
                worst(shotRates), shotRates.size());
    std::printf("busiest_second_bytes %.0f\n", peak);
    std::printf("session_stream_bytes %llu\n", static_cast<unsigned long long>(guest.bytesReceived()));
    return 0;
}
