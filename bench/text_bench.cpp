// Text drawing with a warm glyph cache, against copying the same pixel area with memcpy in one run.
//
// Each drawString call looks its 40 glyphs up in the cache and copies their black pixels; the styled run
// also derives the bold and outlined images per character, as the renderer does not cache them. The
// reference copies the rectangle the line covers (its width times the glyph height) row by row between
// two field-sized buffers, the least any blit of that area costs.
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
const std::string line = "Player 1 wins! Score 120 to 85, 3 outs.."; // 40 characters
constexpr int64_t textSize = 12;

void drawLine(benchmark::State& state, Style face) {
    GrafPort port(fieldWidth, fieldHeight);
    QuickDrawContext context(port);
    context.textSize(textSize);
    context.textFace(face);
    context.moveTo(8, 100);
    context.drawString(line); // warms the cache
    for (auto _ : state) {
        context.moveTo(8, 100);
        context.drawString(line);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(line.size()));
}

void BM_drawString_40(benchmark::State& state) { drawLine(state, Style{}); }
void BM_drawString_40_bold_outline(benchmark::State& state) { drawLine(state, Style{Style::bold, Style::outline}); }

void BM_memcpy_line_area(benchmark::State& state) {
    GrafPort port(fieldWidth, fieldHeight);
    QuickDrawContext context(port);
    context.textSize(textSize);
    const int64_t width = context.stringWidth(line);
    const int64_t height = context.text.glyph(0, textSize, U'P').height;
    std::vector<uint8_t> source(static_cast<size_t>(fieldWidth * fieldHeight), 1);
    std::vector<uint8_t> target(source.size(), 0);
    for (auto _ : state) {
        for (int64_t row = 0; row < height; ++row)
            std::memcpy(target.data() + (100 + row) * fieldWidth + 8, source.data() + (100 + row) * fieldWidth + 8,
                        static_cast<size_t>(width));
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.counters["bytes_per_copy"] = static_cast<double>(width * height);
}

BENCHMARK(BM_drawString_40);
BENCHMARK(BM_drawString_40_bold_outline);
BENCHMARK(BM_memcpy_line_area);

// Keeps each benchmark's CPU time per iteration (the machine may be shared) so that the ratios come
// from this run.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    // Colours only on a terminal, so that a captured log holds the ratio lines exactly as printed.
    RecordingReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && run.error_occurred == false)
                nanoseconds[run.benchmark_name()] = run.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> nanoseconds;
};

} // namespace

int main(int argc, char** argv) {
    static_assert(sizeof("Player 1 wins! Score 120 to 85, 3 outs..") - 1 == 40);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const auto& ns = reporter.nanoseconds;
    const auto reference = ns.find("BM_memcpy_line_area");
    if (reference == ns.end() || reference->second <= 0)
        return 0;
    for (const auto& [name, label] : {std::pair{"BM_drawString_40", "drawString_40"},
                                      std::pair{"BM_drawString_40_bold_outline", "drawString_40_bold_outline"}}) {
        if (auto found = ns.find(name); found != ns.end())
            std::printf("ratio %s = %.1f\n", label, found->second / reference->second);
    }
    return 0;
}
