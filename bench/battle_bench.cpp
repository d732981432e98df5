// One complete simulated battle under virtual time, drawing included: start-up and a field with every
// target on, "START A BATTLE", three low shots by each player that burst in the ground in front of their
// own cannons (so that no shot can end the battle early), then "STOP A BATTLE" and quit. The time per
// iteration is the time per battle (start-up and both field drawings included); the counters give the
// virtual time one battle represents and the virtual seconds played per second of CPU time.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

#include "Ordnix.h"
#include "ScriptedHost.h"

namespace {

constexpr int64_t leftSlider = 95;  // the left shooter's sliders start at column 95
constexpr int64_t rightSlider = 345; // the right shooter's at column 345

bool aiming(const ScriptedHost& h, const Ordnix& game) {
    const MenuState* battle = h.menu(262);
    return h.readyForMenus() && h.queuedMenuChoices().empty() && battle != nullptr && battle->enabled &&
           battle->itemEnabled[2] && !game.gFired;
}

void scriptTurn(ScriptedHost& h, const Ordnix& game, int64_t slider, int64_t powder, int64_t elevation) {
    const auto waitForAiming = [&] {
        h.waitUntil("aiming", [&game](const ScriptedHost& host) { return aiming(host, game); });
    };
    waitForAiming();
    h.clickAt(WindowID::field, slider + powder - 10, 290);
    h.waitForCalls(HostOp::button, 2);
    waitForAiming();
    h.clickAt(WindowID::field, slider + elevation, 305);
    h.waitForCalls(HostOp::button, 2);
    waitForAiming();
    h.clickAt(WindowID::field, slider - 89 - 5 + 195 + 25, 298); // "Fire"
    h.waitUntil("fired", [&game](const ScriptedHost&) { return game.gFired; });
}

// Plays one battle; returns the virtual time it took in seconds.
double playBattle(int32_t seed) {
    auto host = std::make_shared<ScriptedHost>();
    host->setRandSeed(seed);
    Ordnix game(host);
    host->chooseMenu(259, 1); // hospitals
    host->chooseMenu(259, 2); // command posts
    host->chooseMenu(259, 3); // trees
    host->chooseMenu(264, 2); // landslides
    host->chooseMenu(261, 2); // a new field with all of them
    host->chooseMenu(262, 1);
    for (int turn = 0; turn < 3; ++turn) {
        scriptTurn(*host, game, leftSlider, 10 + turn * 2, turn);
        scriptTurn(*host, game, rightSlider, 10 + turn * 2, turn);
    }
    host->waitUntil("aiming", [&game](const ScriptedHost& h) { return aiming(h, game); });
    host->chooseMenu(262, 2);
    host->quit();
    if (!host->run([&] { game.run(); }) || !host->scriptDone()) {
        std::fprintf(stderr, "battle_bench: the scripted battle did not complete (next step: %s)\n",
                     host->nextStep().c_str());
        std::abort();
    }
    return static_cast<double>(host->clockMicroseconds()) / 1e6;
}

void BM_SimulatedBattle(benchmark::State& state) {
    double virtualSeconds = 0;
    int32_t seed = 1;
    for (auto _ : state)
        virtualSeconds += playBattle(seed++ % 8 + 1);
    const auto battles = static_cast<double>(state.iterations());
    state.counters["virtual_s_per_battle"] = virtualSeconds / battles;
    state.counters["virtual_s"] = benchmark::Counter(virtualSeconds, benchmark::Counter::kIsRate);
    state.SetLabel("time per battle");
}
BENCHMARK(BM_SimulatedBattle)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
