// Export of a 100,000-row profile in each layout, and the report's page layout.
#include "output/Export.h"
#include "output/ReportLayout.h"
#include <benchmark/benchmark.h>

namespace {

std::vector<ProfileRow> cast(int n)
{
    std::vector<ProfileRow> rows(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        ProfileRow& r = rows[size_t(i)];
        r.depth = 0.01 * i;
        r.velocity = 1480.0 + 0.0137 * (i % 1000);
        r.temp = 15.0 - 0.0001 * i;
    }
    rows.front().discrip = QStringLiteral("长江口S3站");
    rows.front().dt = QDateTime(QDate(2009, 3, 7), QTime(14, 5));
    rows.front().status = 0;
    return rows;
}

const std::vector<ProfileRow>& rows100k()
{
    static const std::vector<ProfileRow> rows = cast(100000);
    return rows;
}

void BM_ExportCommaCsv(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(exportCommaCsv(rows100k(), "0.00"));
}
BENCHMARK(BM_ExportCommaCsv)->Unit(benchmark::kMillisecond);

void BM_ExportHypackVel(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(exportHypackVel(rows100k()));
}
BENCHMARK(BM_ExportHypackVel)->Unit(benchmark::kMillisecond);

void BM_ExportAverageCsv(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(exportAverageCsv(rows100k(), "0.00", 0.0f));
}
BENCHMARK(BM_ExportAverageCsv)->Unit(benchmark::kMillisecond);

void BM_ReportLayout(benchmark::State& state)
{
    size_t pages = 0;
    for (auto _ : state) {
        const ReportLayout layout = layoutReport(int(rows100k().size()));
        pages = layout.pages.size();
        benchmark::DoNotOptimize(pages);
    }
    state.counters["pages"] = double(pages);
}
BENCHMARK(BM_ReportLayout)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
