#include "analysis/AverageVelocity.h"
#include "analysis/CastSplit.h"
#include "analysis/MergedProfile.h"
#include "analysis/DepthLayer.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

// A down-and-up cast to 200 m with centimetre depths and a little jitter, as a
// probe hanging from a rolling ship records it.
std::vector<ProfileSample> syntheticCast(std::size_t rows)
{
    std::vector<ProfileSample> cast;
    cast.reserve(rows);
    std::uint32_t seed = 12345;
    auto jitter = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<double>(seed >> 8) / static_cast<double>(1u << 24) - 0.5;
    };
    const double deepest = 200.0;
    for (std::size_t i = 0; i < rows; ++i) {
        const double phase = static_cast<double>(i) / static_cast<double>(rows - 1);
        const double depth = deepest * (phase < 0.5 ? 2.0 * phase : 2.0 * (1.0 - phase)) + 0.3 * jitter();
        const double rounded = std::round(std::fabs(depth) * 100.0) / 100.0;
        cast.push_back({rounded, 1480.0 + 0.1 * rounded + jitter(), 20.0 - 0.05 * rounded + 0.1 * jitter()});
    }
    return cast;
}

void BM_SplitCast(benchmark::State& state)
{
    const std::vector<ProfileSample> cast = syntheticCast(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(splitCast(cast));
}

void BM_MergeAndSmooth(benchmark::State& state)
{
    const CastParts parts = splitCast(syntheticCast(static_cast<std::size_t>(state.range(0))));
    Series sv, temp;
    for (auto _ : state) {
        benchmark::DoNotOptimize(buildMergedProfile(parts, &sv, &temp));
        benchmark::ClobberMemory();
    }
}

void BM_AverageSoundVelocity(benchmark::State& state)
{
    const CastParts parts = splitCast(syntheticCast(static_cast<std::size_t>(state.range(0))));
    Series sv, temp;
    buildMergedProfile(parts, &sv, &temp);
    for (auto _ : state)
        benchmark::DoNotOptimize(averageSoundVelocity(sv, 0.8f));
}

void BM_MarkDepthLayers(benchmark::State& state)
{
    std::vector<double> depths;
    for (const ProfileSample& s : syntheticCast(static_cast<std::size_t>(state.range(0))))
        depths.push_back(s.depth);
    for (auto _ : state)
        benchmark::DoNotOptimize(markDepthLayers(depths, 0.5f));
}

} // namespace

BENCHMARK(BM_SplitCast)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MergeAndSmooth)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AverageSoundVelocity)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MarkDepthLayers)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
