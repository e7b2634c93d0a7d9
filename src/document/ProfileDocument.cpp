// The open profile: opening and holding it, and the values drawn from it.
#include "document/ProfileDocument.h"
#include "analysis/AverageVelocity.h"
#include "analysis/CastSplit.h"
#include "analysis/MergedProfile.h"
#include "document/Log.h"
#include "document/ProfileFile.h"
#include "storage/ProfileStore.h"
#include "storage/ProfileTable.h"
#include <cmath>
#include <QCoreApplication>

namespace {

QString dataFileError() { return QCoreApplication::translate("ProfileDocument", "数据文件错误或空数据文件！"); }

bool finite(const std::optional<double>& v)
{
    return v && std::isfinite(*v);
}

}  // namespace

ProfileDocument::ProfileDocument(QObject* parent)
    : QObject(parent), m_table(std::make_unique<ProfileTable>())
{
}

ProfileDocument::~ProfileDocument() = default;

int ProfileDocument::open(const QString& path)
{
    m_loaded.reset();
    const int result = openProfileFile(*m_table, path);
    qCDebug(lcDocument) << "open" << path << "->" << result;
    if (result < 0)
        return result;
    readHeader(m_table->current());
    m_kind = profileKind(m_table->current());
    markChanged();
    return result;
}

Status ProfileDocument::reopen(const QString& path)
{
    try {
        m_table->setTableName(path);
        m_table->open();
    } catch (const TableError& e) {
        return Status::failure(e.message());
    }
    return {};
}

Status ProfileDocument::load(StoredProfile stored)
{
    if (stored.rows.empty())
        return Status::failure(dataFileError());
    m_table->close();
    m_loadedLegacy = stored.legacy;
    m_loaded = std::make_shared<const std::vector<ProfileRow>>(std::move(stored.rows));
    readHeader(m_loaded->front());
    m_kind = profileKind(m_loaded->front());
    markChanged();
    return {};
}

Status ProfileDocument::create(const QString& path)
{
    m_loaded.reset();
    try {
        m_table->close();
        m_table->setFiltered(false);
        m_table->setTableName(path);
        m_table->createTable();
        m_table->open();
    } catch (const TableError& e) {
        return Status::failure(e.message());
    }
    return {};
}

void ProfileDocument::adoptRecording()
{
    if (!m_table->isActive())
        return;
    m_table->first();
    readHeader(m_table->current());
    m_kind = 0;
    markChanged();
}

void ProfileDocument::readHeader(const ProfileRow& first)
{
    m_description = first.discrip.value_or(QString());
    m_date = first.dt.value_or(QDateTime());
}

bool ProfileDocument::isLegacy() const
{
    return m_loaded ? m_loadedLegacy : m_table->isActive() && m_table->isLegacy();
}

int ProfileDocument::rowCount() const
{
    if (m_loaded)
        return int(m_loaded->size());
    return m_table->isActive() ? m_table->recordCount() : 0;
}

const ProfileRow& ProfileDocument::row(int i) const
{
    return m_loaded ? (*m_loaded)[size_t(i)] : m_table->visibleRow(i);
}

RowsSnapshot ProfileDocument::shownRows() const
{
    if (m_loaded)
        return m_loaded;
    return std::make_shared<const std::vector<ProfileRow>>(
        m_table->isActive() ? m_table->visibleRows() : std::vector<ProfileRow>{});
}

void ProfileDocument::markChanged()
{
    m_stale = true;
    m_tableSv.reset();
    m_tableTemp.reset();
    m_parts = {};
    m_mergedSv.reset();
    m_mergedTemp.reset();
    m_averageSv.reset();
    emit changed();
}

ProfileDocument::TableSeries ProfileDocument::tableSeries() const
{
    Series sv, temp;
    const int n = rowCount();
    sv.reserve(size_t(n));
    temp.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        const ProfileRow& r = row(i);
        if (!finite(r.depth))
            continue;
        if (finite(r.velocity))
            sv.push_back({*r.depth, *r.velocity});
        if (finite(r.temp))
            temp.push_back({*r.depth, *r.temp});
    }
    sortByX(sv);
    sortByX(temp);
    return {std::make_shared<const Series>(std::move(sv)), std::make_shared<const Series>(std::move(temp))};
}

CastParts ProfileDocument::castParts() const
{
    const int n = rowCount();
    std::vector<ProfileSample> rows;
    rows.reserve(size_t(n));
    const double empty = std::nan("");
    for (int i = 0; i < n; ++i) {
        const ProfileRow& r = row(i);
        rows.push_back({r.depth.value_or(empty), r.velocity.value_or(empty), r.temp.value_or(empty)});
    }
    return splitCast(rows);
}

void ProfileDocument::reloadTableSeries()
{
    TableSeries series = tableSeries();
    m_tableSv = std::move(series.sv);
    m_tableTemp = std::move(series.temp);
    emit tableSeriesChanged();
}

void ProfileDocument::draw()
{
    // The header comes from the first row, the one that carries the description and date.
    if (rowCount() > 0)
        readHeader(row(0));
    reloadTableSeries();
    if (m_kind == kKindAverage) {
        setAverage(m_tableSv, 0.0f);
    } else if (m_kind == kKindMerged) {
        setMerged(m_tableSv, m_tableTemp);
    } else {
        CastParts parts = castParts();
        setParts({std::make_shared<const Series>(std::move(parts.svDown)),
                  std::make_shared<const Series>(std::move(parts.tempDown)),
                  std::make_shared<const Series>(std::move(parts.svUp)),
                  std::make_shared<const Series>(std::move(parts.tempUp))});
        if (m_table->isActive())
            m_table->first();   // the walk over the cast ends on its first row
    }
    m_stale = false;
    qCDebug(lcDocument) << "drawn: kind" << m_kind << "rows" << rowCount();
}

void ProfileDocument::setParts(CastPartSeries parts)
{
    m_parts = std::move(parts);
    emit partsChanged();
}

void ProfileDocument::setMerged(SeriesSnapshot sv, SeriesSnapshot temp)
{
    m_mergedSv = std::move(sv);
    m_mergedTemp = std::move(temp);
    emit mergedChanged();
}

void ProfileDocument::setAverage(SeriesSnapshot sv, float startDepth)
{
    m_averageSv = std::move(sv);
    m_averageFrom = startDepth;
    emit averageChanged();
}

Status ProfileDocument::mergeReady(std::size_t tablePoints, std::size_t downPoints, std::size_t upPoints)
{
    if (tablePoints < kMinMergePoints || downPoints < kMinMergePoints || upPoints < kMinMergePoints)
        return Status::failure(QCoreApplication::translate("ProfileDocument", "数据量不够，不能绘制声速曲线！"));
    return {};
}

Status ProfileDocument::mergeReady() const
{
    auto count = [](const SeriesSnapshot& s) { return s ? s->size() : 0; };
    return mergeReady(count(m_tableSv), count(m_parts.svDown), count(m_parts.svUp));
}

Status ProfileDocument::buildMergedProfile()
{
    if (Status ready = mergeReady(); !ready)
        return ready;
    CastParts parts;
    parts.svDown = *m_parts.svDown;
    parts.tempDown = *m_parts.tempDown;
    parts.svUp = *m_parts.svUp;
    parts.tempUp = *m_parts.tempUp;
    parts.usedRows = m_tableSv->size();
    Series sv, temp;
    ::buildMergedProfile(parts, &sv, &temp);
    setMerged(std::make_shared<const Series>(std::move(sv)), std::make_shared<const Series>(std::move(temp)));
    qCDebug(lcDocument) << "merged profile:" << m_mergedSv->size() << "points";
    return {};
}

void ProfileDocument::dropAverage()
{
    setAverage(nullptr, 0.0f);
}

Result<SeriesPoint> ProfileDocument::computeAverage(float startDepth)
{
    dropAverage();
    AverageResult av = averageSoundVelocity(m_mergedSv ? *m_mergedSv : Series{}, startDepth);
    // One merged point below the start depth gives no average point: as little data as none.
    if (!av.enoughData())
        return Status::failure(QCoreApplication::translate("ProfileDocument", "声速剖面数据不足！"));
    if (av.stoppedAt != AverageResult::npos)
        qCInfo(lcDocument) << "average stopped at merged point" << av.stoppedAt;
    const SeriesPoint last = av.points.back();
    setAverage(std::make_shared<const Series>(std::move(av.points)), startDepth);
    return last;
}
