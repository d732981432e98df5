// Recording and replay costs, as ratios measured in one run:
// - the recording decorator's cost per host call against an idle poll (the reference host's idle
//   sleeps 0.3 ms; the virtual host's idle poll is pure computation, the stricter figure);
// - the size of the recording of a long simulated session, per simulated minute and for ten minutes;
// - the headless replay time of that session against the simulated time it covers.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <thread>

#include "Ordnix.h"
#include "RecordingHost.h"
#include "ReplayHost.h"
#include "ScriptedHost.h"
#include "VirtualHost.h"

namespace {

using Clock = std::chrono::steady_clock;

// Plays battles with random aims until `endTick`, then quits between battles.
class Player {
public:
    Player(ScriptedHost& host, const Ordnix& game, int64_t endTick) : host_(host), game_(game), endTick_(endTick) {
        schedule();
    }

private:
    int64_t pick(int64_t lo, int64_t hi) { return std::uniform_int_distribution<int64_t>(lo, hi)(rng_); }
    void schedule() {
        host_.waitTicks(3);
        host_.perform("player", [this](ScriptedHost& h) { act(h); });
    }
    void act(ScriptedHost& h) {
        const MenuState* battle = h.menu(262);
        const bool aiming = h.readyForMenus() && h.queuedMenuChoices().empty() && battle->enabled &&
                            battle->itemEnabled[2] && !game_.gFired;
        if (h.corePollsForMenus() && battle->itemEnabled[1]) {
            if (h.ticks() >= endTick_) {
                h.offerMenuChoice(257 << 16 | 1);
                return;
            }
            h.offerMenuChoice(262 << 16 | 1);
            shots_ = phase_ = 0;
        } else if (aiming) {
            const int64_t box = game_.gTurn == 2 ? 256 : 6;
            if (phase_ == 0 && ++shots_ > 10)
                h.offerMenuChoice(262 << 16 | 2);
            else if (phase_ == 0)
                h.clickAt(WindowID::field, box + 89 + pick(30, 100) - 10, 290);
            else if (phase_ == 1)
                h.clickAt(WindowID::field, box + 89 + pick(10, 80), 305);
            else
                h.clickAt(WindowID::field, box + 215, 298);
            phase_ = (phase_ + 1) % 3;
        }
        schedule();
    }

    ScriptedHost& host_;
    const Ordnix& game_;
    int64_t endTick_;
    std::mt19937 rng_{2026};
    int64_t shots_ = 0, phase_ = 0;
};

struct Session {
    std::vector<uint8_t> bytes;
    double minutes = 0;
};

Session recordSession(double minutes) {
    auto host = std::make_shared<ScriptedHost>();
    host->setRandSeed(1206);
    host->setTimeLimitTicks(static_cast<int64_t>((minutes + 5) * 3600));
    host->chooseMenu(259, 1);
    host->chooseMenu(259, 2);
    host->chooseMenu(259, 3);
    host->chooseMenu(260, 3);
    auto recorder = std::make_shared<RecordingHost>(host);
    Ordnix game(recorder);
    Player player(*host, game, static_cast<int64_t>(minutes * 3600));
    if (!host->run([&] { game.run(); })) {
        std::fprintf(stderr, "play_bench: the simulated session did not complete\n");
        std::abort();
    }
    recorder->finish();
    return {recorder->writer().bytes(), static_cast<double>(host->ticks()) / 3600.0};
}

const Session& longSession() {
    static const Session session = recordSession(10);
    return session;
}

// One pass of a polling loop: what the aiming loop asks each time round.
template <typename Host>
void poll(Host& host, const Window& field) {
    host.idle();
    benchmark::DoNotOptimize(host.button());
    benchmark::DoNotOptimize(host.mouse(field));
    benchmark::DoNotOptimize(host.tickCount());
}

void BM_PollVirtualHost(benchmark::State& state) {
    VirtualHost host;
    Window field(WindowID::field);
    for (auto _ : state)
        poll(host, field);
    state.SetLabel("idle, button, mouse, tickCount");
}
BENCHMARK(BM_PollVirtualHost);

void BM_PollRecorded(benchmark::State& state) {
    auto inner = std::make_shared<VirtualHost>();
    RecordingHost host(inner);
    Window field(WindowID::field);
    for (auto _ : state)
        poll(host, field);
    state.SetLabel("the same through RecordingHost");
}
BENCHMARK(BM_PollRecorded);

void BM_ReplayHeadless(benchmark::State& state) {
    const Session& session = longSession();
    const Recording recording = RecordingReader::read(session.bytes);
    for (auto _ : state) {
        const ReplayResult result = replayHeadless(recording);
        if (result.status != ReplayResult::Status::exact) {
            state.SkipWithError(result.message.c_str());
            return;
        }
    }
    state.counters["simulated_min"] = session.minutes;
    state.counters["bytes"] = static_cast<double>(session.bytes.size());
}
BENCHMARK(BM_ReplayHeadless)->Unit(benchmark::kMillisecond)->Iterations(2);

template <typename F>
double nanosPer(int64_t n, F&& f) {
    const auto start = Clock::now();
    for (int64_t i = 0; i < n; ++i)
        f();
    return std::chrono::duration<double, std::nano>(Clock::now() - start).count() / static_cast<double>(n);
}

void printRatios() {
    constexpr int64_t passes = 2'000'000;
    VirtualHost plain;
    auto inner = std::make_shared<VirtualHost>();
    RecordingHost recorded(inner);
    Window field(WindowID::field);
    const double plainPoll = nanosPer(passes, [&] { poll(plain, field); });
    const double recordedPoll = nanosPer(passes, [&] { poll(recorded, field); });
    const double referenceIdle =
        nanosPer(200, [] { std::this_thread::sleep_for(std::chrono::microseconds(300)); });
    const double perCall = std::max(0.0, (recordedPoll - plainPoll) / 4);
    std::printf("recording overhead per call %.1f ns (poll of 4 calls: %.1f ns plain, %.1f ns recorded)\n", perCall,
                plainPoll, recordedPoll);
    std::printf("ratio recording_call_vs_reference_idle_poll %.5f\n", perCall / referenceIdle);
    std::printf("ratio recording_call_vs_virtual_idle_poll %.3f\n", perCall / (plainPoll / 4));

    const Session& session = longSession();
    const double perMinute = static_cast<double>(session.bytes.size()) / session.minutes;
    std::printf("recording %.2f simulated minutes: %zu bytes, %.0f bytes per minute, %.0f bytes per 10 minutes\n",
                session.minutes, session.bytes.size(), perMinute, perMinute * 10);
    std::printf("ratio recording_10min_vs_1MiB %.4f\n", perMinute * 10 / (1 << 20));
    const Recording recording = RecordingReader::read(session.bytes);
    size_t decoded = 0;
    for (const Recording::Chunk& chunk : recording.chunks)
        decoded += chunk.items.size();
    std::printf("decoded items: %zu bytes in %zu chunks (the reader holds these in memory)\n", decoded,
                recording.chunks.size());
    const auto start = Clock::now();
    const ReplayResult result = replayHeadless(recording);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("headless replay of %.2f simulated minutes: %.3f s (%s), %.3f s per 10 minutes\n", session.minutes,
                seconds, result.status == ReplayResult::Status::exact ? "exact" : result.message.c_str(),
                seconds / session.minutes * 10);
    std::printf("ratio replay_time_vs_simulated_time %.5f\n", seconds / (session.minutes * 60));
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printRatios();
    return 0;
}
