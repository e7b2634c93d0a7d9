// The open profile's files and rows: saving processed profiles, converting an
// old file, and the changes the table page makes.
#include "document/ProfileDocument.h"
#include "analysis/DepthLayer.h"
#include "document/Log.h"
#include "document/ProcessedProfiles.h"
#include "storage/ProfileStore.h"
#include "storage/ProfileTable.h"
#include <QFileInfo>
#include <cmath>
#include <QCoreApplication>

namespace {

Status writeFailure(const Status& written)
{
    return Status::failure(QCoreApplication::translate("ProfileDocument", "建立数据文件时错误！\n") + written.message());
}

bool samePath(const QString& a, const QString& b)
{
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

// Runs a change of the table; the engine's refusal becomes the status.
template <typename Change>
Status tableChange(Change change)
{
    try {
        change();
    } catch (const TableError& e) {
        return Status::failure(e.message());
    }
    return {};
}

}  // namespace

SaveOutcome ProfileDocument::saveMerged(const QString& path)
{
    const Series none;
    return saveRows(path,
                    mergedProfileRows(m_mergedSv ? *m_mergedSv : none, m_mergedTemp ? *m_mergedTemp : none,
                                      m_date, m_description),
                    kKindMerged);
}

SaveOutcome ProfileDocument::saveAverage(const QString& path)
{
    const Series none;
    const int mergedCount = m_mergedSv ? int(m_mergedSv->size()) : 0;
    return saveRows(path,
                    averageProfileRows(m_averageSv ? *m_averageSv : none, m_mergedTemp ? *m_mergedTemp : none,
                                       mergedCount, m_averageFrom, m_date),
                    kKindAverage);
}

SaveOutcome ProfileDocument::saveRows(const QString& path, std::vector<ProfileRow> rows, uint8_t kind)
{
    qCDebug(lcDocument) << "save kind" << kind << "to" << path << rows.size() << "rows";
    QString reason;
    if (m_loaded) {
        if (!mayOverwrite(path, &reason))
            return {Status::failure(reason)};
        if (const Status written = writeProfile(path, rows); !written)
            return {writeFailure(written)};
        m_loaded = std::make_shared<const std::vector<ProfileRow>>(std::move(rows));
        m_loadedLegacy = false;
        m_kind = kind;
        markChanged();
        return {};
    }

    // The open profile is held by the table: close it to judge it, and bring
    // it back when it may not be replaced.
    const QString previous = m_table->tableName();
    const bool wasFiltered = m_table->filtered();
    const bool targetIsOpen = m_table->isActive() && samePath(path, previous);
    if (targetIsOpen)
        m_table->close();
    if (!mayOverwrite(path, &reason)) {
        if (targetIsOpen) {
            const Status back = tableChange([&] {
                m_table->open();
                m_table->setFiltered(wasFiltered);
            });
            if (!back)
                reason = back.message() + QLatin1Char('\n') + reason;
        }
        return {Status::failure(reason)};
    }
    m_table->close();
    if (const Status written = writeProfile(path, rows); !written) {
        // The open profile comes back: a failed save must not leave the window without it.
        const Status back = reopen(previous);
        if (!back)
            qCWarning(lcDocument) << "profile not reopened after a failed save:" << back.message();
        return {writeFailure(written)};
    }
    // The saved file carries no depth-layer marks: it opens unfiltered.
    const Status opened = tableChange([&] {
        m_table->setFiltered(false);
        m_table->setTableName(path);
        m_table->open();
        m_table->first();
    });
    if (!opened)
        return {opened, true};
    m_kind = kind;
    markChanged();
    return {};
}

SaveOutcome ProfileDocument::convertTo(const QString& path)
{
    QString reason;
    if (!mayOverwrite(path, &reason))   // the old file itself among them
        return {Status::failure(reason)};
    qCDebug(lcDocument) << "convert to" << path;
    if (m_loaded) {
        if (const Status written = writeProfile(path, *m_loaded); !written)
            return {writeFailure(written)};
        m_loadedLegacy = false;
        return {};
    }
    // Every row in stored order, marks and all; the view and the row come back
    // on the new file.
    const QString oldPath = m_table->tableName();
    const bool wasFiltered = m_table->filtered();
    const int recNo = m_table->recNo();
    if (const Status written = writeProfile(path, m_table->storedRows()); !written)
        return {writeFailure(written)};
    auto reopenAs = [&](const QString& name) {
        return tableChange([&] {
            m_table->close();
            m_table->setTableName(name);
            m_table->open();
            m_table->setFiltered(wasFiltered);
            m_table->moveTo(recNo);
        });
    };
    if (const Status opened = reopenAs(path); !opened) {
        // The new file is written but will not open: the old one is shown again.
        if (const Status back = reopenAs(oldPath); !back)
            qCWarning(lcDocument) << "old profile not reopened:" << back.message();
        return {opened, true};
    }
    return {};
}

Status ProfileDocument::ensureOpen()
{
    if (m_loaded)
        return {};
    return tableChange([this] {
        if (!m_table->isActive())
            m_table->open();
    });
}

Status ProfileDocument::deleteRow()
{
    return tableChange([this] { m_table->deleteRow(); });
}

Status ProfileDocument::insertRow()
{
    return tableChange([this] { m_table->insert(); });
}

Status ProfileDocument::setFiltered(bool on)
{
    return tableChange([&] { m_table->setFiltered(on); });
}

Status ProfileDocument::markDepthLayers(float thickness)
{
    return tableChange([&] {
        // The marks are computed over every row in stored order, then written
        // in one transaction; a pass cut short is redone whole.
        m_table->setFiltered(false);
        const int n = m_table->recordCount();
        std::vector<double> depths;
        depths.reserve(size_t(n));
        for (int i = 0; i < n; ++i)
            depths.push_back(m_table->visibleRow(i).depth.value_or(std::nan("")));
        if (!depths.empty())
            m_table->setMarks(::markDepthLayers(depths, thickness));
    });
}
