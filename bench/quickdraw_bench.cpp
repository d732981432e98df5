// Painting and snapshot costs on the 512 x 322 field, against memset and memcpy of the same bytes.
//
// After the Google Benchmark run, the ratios of this run's measurements are printed one per line as
// "ratio <name> = <value>" so that runs can be compared: fills against memset, the snapshot of an
// unflashed bitmap against memcpy. The shape benchmarks (100 x 100 oval, round rectangle and arc)
// report absolute times only.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

#include "QuickDraw.h"

using namespace QuickDraw;

namespace {

constexpr int64_t fieldWidth = 512;
constexpr int64_t fieldHeight = 322;
constexpr size_t fieldBytes = static_cast<size_t>(fieldWidth * fieldHeight);

void BM_memset(benchmark::State& state) {
    std::vector<uint8_t> bytes(fieldBytes, 0);
    int value = 0;
    for (auto _ : state) {
        std::memset(bytes.data(), value, bytes.size());
        value ^= 1;
        benchmark::DoNotOptimize(bytes.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(fieldBytes));
}

void BM_memcpy(benchmark::State& state) {
    std::vector<uint8_t> source(fieldBytes, 1);
    std::vector<uint8_t> target(fieldBytes, 0);
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), source.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(fieldBytes));
}

// paintRect over the whole field with the given pen.
void fillField(benchmark::State& state, const Pattern& pattern, PenMode mode) {
    GrafPort port(fieldWidth, fieldHeight);
    QuickDrawContext qd(port);
    qd.penPat(pattern);
    qd.penMode(mode);
    const Rect field = port.portRect;
    for (auto _ : state) {
        qd.paintRect(field);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(fieldBytes));
}

void BM_fill_patCopy_black(benchmark::State& state) { fillField(state, Pattern::black, PenMode::patCopy); }
void BM_fill_patCopy_gray(benchmark::State& state) { fillField(state, Pattern::gray, PenMode::patCopy); }
void BM_fill_patXor(benchmark::State& state) { fillField(state, Pattern::black, PenMode::patXor); }
void BM_fill_notPatXor_gray(benchmark::State& state) { fillField(state, Pattern::gray, PenMode::notPatXor); }
void BM_invertRect(benchmark::State& state) {
    GrafPort port(fieldWidth, fieldHeight);
    QuickDrawContext qd(port);
    for (auto _ : state) {
        qd.invertRect(port.portRect);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(fieldBytes));
}

// A host sample of a field that changed but has no flashes.
void BM_snapshot(benchmark::State& state) {
    GrafPort port(fieldWidth, fieldHeight);
    QuickDrawContext qd(port);
    qd.fillRect(port.portRect, Pattern::gray);
    std::lock_guard lock(screenLock());
    for (auto _ : state) {
        std::vector<uint8_t> image = port.bitmap.snapshot();
        benchmark::DoNotOptimize(image.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(fieldBytes));
}

// A sample right after XOR drawing over the whole field: the flash rule walks every pixel.
void BM_snapshot_flashed(benchmark::State& state) {
    GrafPort port(fieldWidth, fieldHeight);
    QuickDrawContext qd(port);
    for (auto _ : state) {
        state.PauseTiming();
        qd.invertRect(port.portRect);
        state.ResumeTiming();
        std::lock_guard lock(screenLock());
        std::vector<uint8_t> image = port.bitmap.snapshot();
        benchmark::DoNotOptimize(image.data());
    }
}

template <typename Draw>
void drawShape(benchmark::State& state, Draw draw) {
    GrafPort port(fieldWidth, fieldHeight);
    QuickDrawContext qd(port);
    qd.penMode(PenMode::patXor);
    const Rect r(200, 100, 300, 200);
    for (auto _ : state) {
        draw(qd, r);
        benchmark::ClobberMemory();
    }
}

void BM_paintOval_100(benchmark::State& state) {
    drawShape(state, [](QuickDrawContext& qd, const Rect& r) { qd.paintOval(r); });
}
void BM_frameOval_100(benchmark::State& state) {
    drawShape(state, [](QuickDrawContext& qd, const Rect& r) { qd.frameOval(r); });
}
void BM_fillRoundRect_100(benchmark::State& state) {
    drawShape(state, [](QuickDrawContext& qd, const Rect& r) { qd.fillRoundRect(r, 30, 30, Pattern::gray); });
}
void BM_paintArc_100(benchmark::State& state) {
    drawShape(state, [](QuickDrawContext& qd, const Rect& r) { qd.paintArc(r, 30, 120); });
}
void BM_lineTo_100(benchmark::State& state) {
    drawShape(state, [](QuickDrawContext& qd, const Rect& r) {
        qd.moveTo(r.left, r.top);
        qd.lineTo(r.right, r.top + 37);
    });
}
void BM_paintOval_huge(benchmark::State& state) {
    drawShape(state, [](QuickDrawContext& qd, const Rect&) {
        qd.paintOval(Rect(-(1LL << 62), -(1LL << 62), 1LL << 62, 1LL << 62));
    });
}

BENCHMARK(BM_memset);
BENCHMARK(BM_memcpy);
BENCHMARK(BM_fill_patCopy_black);
BENCHMARK(BM_fill_patCopy_gray);
BENCHMARK(BM_fill_patXor);
BENCHMARK(BM_fill_notPatXor_gray);
BENCHMARK(BM_invertRect);
BENCHMARK(BM_snapshot);
BENCHMARK(BM_snapshot_flashed);
BENCHMARK(BM_paintOval_100);
BENCHMARK(BM_frameOval_100);
BENCHMARK(BM_fillRoundRect_100);
BENCHMARK(BM_paintArc_100);
BENCHMARK(BM_lineTo_100);
BENCHMARK(BM_paintOval_huge);

// Keeps every run's CPU time per iteration (steadier than wall time on a shared machine) while printing as usual.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    // Colours only on a terminal, so that a captured log holds the ratio lines exactly as printed.
    RecordingReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}

    std::map<std::string, double> nanoseconds;

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred && run.iterations > 0)
                nanoseconds[run.benchmark_name()] = run.GetAdjustedCPUTime() * timeUnitToNanoseconds(run.time_unit);
        ConsoleReporter::ReportRuns(runs);
    }

private:
    static double timeUnitToNanoseconds(benchmark::TimeUnit unit) {
        switch (unit) {
        case benchmark::kSecond: return 1e9;
        case benchmark::kMillisecond: return 1e6;
        case benchmark::kMicrosecond: return 1e3;
        default: return 1.0;
        }
    }
};

void printRatio(const RecordingReporter& reporter, const char* name, const char* measured, const char* reference) {
    const auto m = reporter.nanoseconds.find(measured);
    const auto r = reporter.nanoseconds.find(reference);
    if (m == reporter.nanoseconds.end() || r == reporter.nanoseconds.end() || r->second <= 0) {
        std::printf("ratio %s = n/a\n", name);
        return;
    }
    std::printf("ratio %s = %.1f\n", name, m->second / r->second);
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::fflush(stdout);
    printRatio(reporter, "fill_patCopy_black", "BM_fill_patCopy_black", "BM_memset");
    printRatio(reporter, "fill_patCopy_gray", "BM_fill_patCopy_gray", "BM_memset");
    printRatio(reporter, "fill_patXor", "BM_fill_patXor", "BM_memset");
    printRatio(reporter, "snapshot", "BM_snapshot", "BM_memcpy");
    return 0;
}
