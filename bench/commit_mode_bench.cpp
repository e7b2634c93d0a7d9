// How a recording commits its rows, at the probe's full rate of 96 rows per
// second: the CPU time of one committed post, and its share of one core at
// that rate (core_pct; the kernel's work for the four syncs of a commit is most
// of it). After each commit the .db file alone must hold
// the row, which two SQLite modes give:
//   Rollback:  rollback journal, synchronous=FULL (what ProfileDatabase does);
//   WalCheckpoint: write-ahead log, synchronous=FULL, a checkpoint after
//              every commit (PASSIVE: nothing else reads the file);
// both with the exclusive lock a recording holds. TablePost is the real path,
// ProfileTable::post. Posts are paced at 96 per second; the sleeps are not timed.
#include "storage/ProfileTable.h"
#include "storage/Sqlite.h"
#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <ctime>
#include <sqlite3.h>
#include <thread>

namespace {

constexpr double kRowsPerSecond = 96.0;

// The thread's CPU time, in the kernel (its syncs) included.
double threadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

ProfileRow sample(int i)
{
    ProfileRow r;
    r.dt = QDateTime(QDate(2024, 3, 5), QTime(10, 0)).addMSecs(qint64(i) * 10);
    r.depth = i * 0.01;
    r.velocity = 1480.0 + i * 0.001;
    r.temp = 15.0 - i * 0.0001;
    r.status = 0;
    return r;
}

// Runs `post(i)` once per iteration at the probe's rate and reports the CPU
// it takes (the thread's, kernel time of its syncs included).
template <typename Post>
void paced(benchmark::State& state, Post post)
{
    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / kRowsPerSecond));
    auto next = Clock::now();
    double cpu = 0;
    int i = 0;
    for (auto _ : state) {
        const double start = threadCpuSeconds();
        post(i++);
        cpu += threadCpuSeconds() - start;
        state.PauseTiming();
        next += period;
        std::this_thread::sleep_until(next);
        state.ResumeTiming();
    }
    const double perPost = cpu / double(state.iterations());
    state.counters["cpu_us_per_post"] = perPost * 1e6;
    state.counters["core_pct"] = perPost * kRowsPerSecond * 100.0;
}

// A raw SQLite profile table in one of the two modes; synchronous=NORMAL
// (range(0) == 1) for comparison.
void sqliteMode(benchmark::State& state, bool wal)
{
    QTemporaryDir dir(QDir::currentPath() + "/commit-XXXXXX");
    SqliteDb db;
    db.open(dir.filePath("cast.db"), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    db.exec(wal ? "PRAGMA locking_mode=EXCLUSIVE; PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0"
                : "PRAGMA locking_mode=EXCLUSIVE; PRAGMA journal_mode=DELETE");
    db.exec(state.range(0) == 1 ? "PRAGMA synchronous=NORMAL" : "PRAGMA synchronous=FULL");
    db.exec("CREATE TABLE profile (fnDT TEXT, fnDepth REAL NOT NULL, fnVelocity REAL NOT NULL, "
            "fnTemp REAL NOT NULL, fnStatus INTEGER, fnDiscrip TEXT, fnFiltOk INTEGER, ord REAL NOT NULL)");
    SqliteStatement insert = db.prepare("INSERT INTO profile VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
    paced(state, [&](int i) {
        const ProfileRow r = sample(i);
        insert.bindText(1, r.dt->toString("yyyy-MM-dd HH:mm:ss.zzz"));
        insert.bindReal(2, r.depth);
        insert.bindReal(3, r.velocity);
        insert.bindReal(4, r.temp);
        insert.bindInt(5, r.status);
        insert.bindText(6, std::nullopt);
        insert.bindInt(7, std::nullopt);
        insert.bindReal(8, double(i + 1));
        if (insert.run() != SQLITE_OK)
            state.SkipWithError("insert failed");
        if (wal && sqlite3_wal_checkpoint_v2(db.handle(), "main", SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr)
                       != SQLITE_OK)
            state.SkipWithError("checkpoint failed");
    });
}

void BM_Rollback(benchmark::State& state) { sqliteMode(state, false); }
BENCHMARK(BM_Rollback)->Arg(0)->Arg(1)->Iterations(480)->Unit(benchmark::kMicrosecond);

void BM_WalCheckpoint(benchmark::State& state) { sqliteMode(state, true); }
BENCHMARK(BM_WalCheckpoint)->Arg(0)->Arg(1)->Iterations(480)->Unit(benchmark::kMicrosecond);

void BM_TablePost(benchmark::State& state)
{
    QTemporaryDir dir(QDir::currentPath() + "/commit-XXXXXX");
    ProfileTable t;
    t.setTableName(dir.filePath("cast.db"));
    t.createTable();
    paced(state, [&](int i) {
        t.append();
        t.setRow(sample(i));
        t.post();
    });
}
BENCHMARK(BM_TablePost)->Iterations(480)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
