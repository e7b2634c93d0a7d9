// Table engine speed: opening a long cast, committed posts, whole-profile walks.
#include "storage/ProfileTable.h"
#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int kLongCast = 100000;

QTemporaryDir& benchDir()
{
    static QTemporaryDir dir;
    return dir;
}

ProfileRow sample(int i)
{
    ProfileRow r;
    r.dt = QDateTime(QDate(2024, 3, 5), QTime(10, 0)).addMSecs(qint64(i) * 100);
    r.depth = i * 0.01;
    r.velocity = 1480.0 + i * 0.001;
    r.temp = 15.0 - i * 0.0001;
    r.status = 0;
    return r;
}

// A 100,000-row profile file, filled in one transaction (a recording would
// take one committed post per row).
QString longCast()
{
    static const QString path = [] {
        const QString p = benchDir().filePath("long.db");
        std::vector<ProfileRow> rows;
        rows.reserve(kLongCast);
        for (int i = 0; i < kLongCast; ++i) {
            rows.push_back(sample(i));
            rows.back().filtOk = i % 2 != 0;
        }
        ProfileTable t;
        t.setTableName(p);
        t.createTable();
        t.appendRows(rows);
        return p;
    }();
    return path;
}

void BM_OpenLongCast(benchmark::State& state)
{
    ProfileTable t;
    t.setTableName(longCast());
    for (auto _ : state) {
        t.open();
        benchmark::DoNotOptimize(t.recordCount());
        t.close();
    }
    state.SetItemsProcessed(state.iterations() * kLongCast);
}
BENCHMARK(BM_OpenLongCast)->Unit(benchmark::kMillisecond);

void BM_AppendPost(benchmark::State& state)
{
    ProfileTable t;
    t.setTableName(benchDir().filePath("append.db"));
    t.createTable();
    int i = 0;
    for (auto _ : state) {
        t.append();
        t.setRow(sample(i++));
        t.post();
    }
    state.SetItemsProcessed(state.iterations());   // rows committed per second
}
BENCHMARK(BM_AppendPost)->Unit(benchmark::kMicrosecond);

void BM_EditPost(benchmark::State& state)
{
    ProfileTable t;
    t.setTableName(longCast());
    t.open();
    for (auto _ : state) {
        t.setField(ProfileField::FiltOk, true);
        t.post();
        if (t.recNo() == t.recordCount())
            t.first();
        else
            t.next();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EditPost)->Unit(benchmark::kMicrosecond);

// The depth-layer pass as the filter writes it: every row's mark in one
// transaction. The marks alternate between two sets, so every row changes.
void BM_MarkPass(benchmark::State& state)
{
    ProfileTable t;
    t.setTableName(longCast());
    t.open();
    std::vector<bool> marks[2] = {std::vector<bool>(kLongCast), std::vector<bool>(kLongCast)};
    for (int i = 0; i < kLongCast; ++i) {
        marks[0][size_t(i)] = i % 2 == 0;
        marks[1][size_t(i)] = i % 2 != 0;
    }
    int n = 0;
    for (auto _ : state)
        t.setMarks(marks[n++ % 2]);
    state.SetItemsProcessed(state.iterations() * kLongCast);
}
BENCHMARK(BM_MarkPass)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WalkLongCast(benchmark::State& state)
{
    ProfileTable t;
    t.setTableName(longCast());
    t.open();
    for (auto _ : state) {
        double sum = 0;
        for (t.first(); !t.eof(); t.next())
            sum += *t.current().depth;
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kLongCast);
}
BENCHMARK(BM_WalkLongCast)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
