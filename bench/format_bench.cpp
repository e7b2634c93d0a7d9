// One number text per iteration: the printed reference against the library,
// on sample values of a cast (depths, velocities, temperatures with 2-3 decimals).
#include "FormatReference.h"
#include "text/Format.h"
#include <benchmark/benchmark.h>
#include <cmath>
#include <random>

namespace {

const std::vector<double>& samples()
{
    static const std::vector<double> values = [] {
        std::mt19937_64 rng(4400);
        std::uniform_real_distribution<double> u(0, 1);
        std::vector<double> v;
        for (int i = 0; i < 4096; ++i) {
            v.push_back(std::round(u(rng) * 1200000) / 100);    // depth
            v.push_back(std::round(1450000 + u(rng) * 100000) / 1000);   // velocity
            v.push_back(std::round(u(rng) * 30000) / 1000);     // temperature
        }
        return v;
    }();
    return values;
}

template <QString (*Format)(const QString&, double)>
void formatEach(benchmark::State& state)
{
    const QString pattern = QStringLiteral("0.00");
    const std::vector<double>& v = samples();
    size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(Format(pattern, v[i++ % v.size()]));
}
BENCHMARK(formatEach<reference::formatFloat>)->Name("FormatFloat/reference");
BENCHMARK(formatEach<fmt::formatFloat>)->Name("FormatFloat/library");

void BM_AppendLatin1(benchmark::State& state)
{
    const fmt::FloatFormat format(QStringLiteral("0.00"));
    const std::vector<double>& v = samples();
    QByteArray out;
    size_t i = 0;
    for (auto _ : state) {
        if (out.size() > 1 << 20)
            out.clear();
        format.appendLatin1(out, v[i++ % v.size()]);
    }
}
BENCHMARK(BM_AppendLatin1);

template <bool (*Parse)(const QString&, double*)>
void parseEach(benchmark::State& state)
{
    QStringList texts;
    for (double v : samples())
        texts << reference::formatFloat("0.000", v);
    size_t i = 0;
    double value = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(Parse(texts[qsizetype(i++ % size_t(texts.size()))], &value));
}
BENCHMARK(parseEach<reference::parseFloat>)->Name("ParseFloat/reference");
BENCHMARK(parseEach<fmt::parseFloat>)->Name("ParseFloat/library");

void BM_RoundedValue(benchmark::State& state)
{
    const std::vector<double>& v = samples();
    size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(fmt::roundedValue(v[i++ % v.size()] * 1.0001, 2));
}
BENCHMARK(BM_RoundedValue);

}  // namespace

BENCHMARK_MAIN();
