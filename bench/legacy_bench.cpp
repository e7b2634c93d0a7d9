// An old 100,000-row Paradox profile file: reading it, converting it
// into a profile file of the current format, and exporting it in every survey
// format.
#include "ParadoxWriter.h"
#include "storage/LegacyProfile.h"
#include "document/ProcessedProfiles.h"
#include "storage/ProfileStore.h"
#include "output/SurveyFormats.h"
#include "document/ProfileDocument.h"
#include "document/SurveyExport.h"
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {

constexpr int kRows = 100000;

// A recorded cast down to 500 m and back, every row timed; written once (pxlib
// needs seconds for it) and removed at exit.
const QString& oldFile()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        std::vector<ProfileRow> rows(kRows);
        const QDateTime start(QDate(2009, 3, 7), QTime(14, 5));
        for (int i = 0; i < kRows; ++i) {
            ProfileRow& r = rows[size_t(i)];
            const int down = i < kRows / 2 ? i : kRows - i;
            r.dt = start.addMSecs(qint64(i) * 100);
            r.depth = 0.01 * down;
            r.velocity = 1480.0 + 0.0137 * (down % 1000);
            r.temp = 15.0 - 0.0001 * down;
            r.status = 0;
        }
        rows.front().discrip = QStringLiteral("长江口S3站");
        const QString p = dir.filePath("old.db");
        QString error;
        if (!writeParadoxTable(p, rows, &error)) {
            std::fprintf(stderr, "fixture: %s\n", qPrintable(error));
            std::abort();
        }
        return p;
    }();
    return path;
}

const std::vector<ProfileRow>& oldRows()
{
    static const std::vector<ProfileRow> rows = [] {
        std::vector<ProfileRow> r;
        QString error;
        if (!readLegacyProfile(oldFile(), &r, &error))
            std::abort();
        return r;
    }();
    return rows;
}

void BM_ReadLegacyProfile(benchmark::State& state)
{
    const QString& path = oldFile();
    std::vector<ProfileRow> rows;
    QString error;
    for (auto _ : state) {
        if (!readLegacyProfile(path, &rows, &error))
            state.SkipWithError(qPrintable(error));
        benchmark::DoNotOptimize(rows.data());
    }
    state.counters["rows"] = double(rows.size());
}
BENCHMARK(BM_ReadLegacyProfile)->Unit(benchmark::kMillisecond);

// What the window and svptool convert do: read the old file, write the new one.
void BM_ConvertLegacyProfile(benchmark::State& state)
{
    const QString& path = oldFile();
    QTemporaryDir out;
    const QString target = out.filePath("new.db");
    std::vector<ProfileRow> rows;
    QString error;
    for (auto _ : state) {
        if (!readLegacyProfile(path, &rows, &error))
            state.SkipWithError(qPrintable(error));
        else if (const Status written = writeProfile(target, rows); !written)
            state.SkipWithError(qPrintable(written.message()));
        state.PauseTiming();
        QFile::remove(target);
        state.ResumeTiming();
    }
    state.counters["rows"] = double(rows.size());
}
BENCHMARK(BM_ConvertLegacyProfile)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole survey export of the 100,000-row cast: merge and smoothing as the
// chart does them, depth cells, thinning, and the file's bytes.
void BM_SurveyFormat(benchmark::State& state)
{
    const auto format = static_cast<SurveyFormat>(state.range(0));
    ProfileDocument doc;
    if (!doc.load(StoredProfile{oldRows(), true}).ok())
        std::abort();
    SurveyHeader header;
    header.fileName = "old.svp";
    header.date = doc.date();
    header.utcOffset = 480;
    header.position = GeoPosition{31.2, 121.8};
    header.description = doc.description();
    QByteArray bytes;
    std::size_t points = 0;
    for (auto _ : state) {
        const Result<SurveyExportPlan> plan = planSurveyExport(doc, format);
        const Result<QByteArray> built =
            plan ? exportSurveyFormat(format, plan->profile.points, header) : Result<QByteArray>(plan.status());
        if (!built) {
            state.SkipWithError(qPrintable(built.message()));
            break;
        }
        bytes = built.value();
        points = plan->profile.points.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetLabel(qPrintable(surveyFormatExtension(format)));
    state.counters["points"] = double(points);
    state.counters["bytes"] = double(bytes.size());
}
BENCHMARK(BM_SurveyFormat)->DenseRange(0, int(SurveyFormat::GisCsv))->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
