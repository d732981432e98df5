// The computer player's cost: CPU time to choose one shot (load the field into the simulated copy,
// search powder and elevation, add the skill's error), per terrain and skill. The aim is well under
// 200 ms of CPU per choice. Run a Release build: build/rel/bench/computer_bench
#include <benchmark/benchmark.h>

#include <memory>

#include "ComputerPlayer.h"
#include "Ordnix.h"
#include "ScriptedHost.h"
#include "ShotSimulator.h"

namespace {

// A built field: terrain menu item 1..4, with hospitals, command posts and trees, and gusty wind.
struct Field {
    explicit Field(int64_t terrainItem) {
        host->setRandSeed(static_cast<int32_t>(4242 + terrainItem));
        host->setIdleMicroseconds(4000);
        host->run([&] {
            game.startUp();
            game.chooseTerrain(terrainItem);
            game.gHospitals = game.gPosts = game.gTrees = 1;
            game.chooseWind(3);
            game.buildField();
            game.gTurn = 2;
            game.nextTurn(); // the left player aims
            game.drawPanel();
        });
    }
    std::shared_ptr<ScriptedHost> host = std::make_shared<ScriptedHost>();
    Ordnix game{host};
};

void chooseShot(benchmark::State& state) {
    Field field(state.range(0));
    ComputerPlayer player(static_cast<Skill>(state.range(1)), 7);
    ShotSimulator simulator;
    for (auto _ : state) {
        simulator.load(field.game);
        benchmark::DoNotOptimize(player.choose(simulator, 1));
    }
    state.counters["shots_per_choice"] =
        benchmark::Counter(static_cast<double>(simulator.shotsFlown()), benchmark::Counter::kAvgIterations);
}

} // namespace

BENCHMARK(chooseShot)
    ->ArgNames({"terrain", "skill"})
    ->ArgsProduct({{1, 2, 3, 4}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

BENCHMARK_MAIN();
