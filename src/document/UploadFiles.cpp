#include "document/UploadFiles.h"
#include "storage/ProfileStore.h"
#include "storage/ProfileTable.h"
#include <QDir>
#include <QFileInfo>
#include <utility>

namespace probemem {

namespace {

constexpr int kMaxSuffix = 999;
const QString kStartFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

}  // namespace

QString withTrailingSeparator(const QString& path)
{
    if (path.isEmpty() || path.endsWith('/') || path.endsWith(QDir::separator()))
        return path;
    return path + QDir::separator();
}

QString ensureUploadDirectory(const QString& path)
{
    if (QFileInfo(path).isDir() || QDir().mkdir(path))
        return {};
    return QStringLiteral("建立子目录出错:\n") + path;
}

bool isEarlierUpload(const QString& file, const QDateTime& start)
{
    if (!isProfileFile(file))
        return false;
    const Result<StoredProfile> read = readProfile(file);
    if (!read)
        return false;
    if (read->rows.empty())
        return true;
    const ProfileRow& r = read->rows.front();
    return r.dt && r.dt->toString(kStartFormat) == start.toString(kStartFormat) && r.status && *r.status >= 0
           && *r.status < kKindAverage;
}

QString profileFileFor(const QString& dir, const QString& baseName, const QDateTime& start,
                       const QSet<QString>& writtenThisUpload)
{
    for (int k = 1; k <= kMaxSuffix; ++k) {
        const QString name = dir + baseName + (k == 1 ? QString() : QStringLiteral("-%1").arg(k)) + ".db";
        if (writtenThisUpload.contains(name))
            continue;
        if (!QFileInfo::exists(name) || isEarlierUpload(name, start))
            return name;
    }
    return {};
}

bool TableUploadSink::beginRecording(const RecordingHeader& header, QString* fileName)
{
    if (m_beforeFirst && !std::exchange(m_beforeFirst, nullptr)())
        return false;
    try {
        m_table.close();
        const QString name = profileFileFor(m_dir, header.baseName, header.start, m_written);
        if (name.isEmpty())
            return false;
        m_written.insert(name);
        *fileName = name;
        m_table.setTableName(name);
        m_table.createTable();
        m_table.open();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool TableUploadSink::appendRow(const ProfileRow& row)
{
    try {
        m_table.append();
        m_table.setRow(row);
        m_table.post();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void TableUploadSink::finish()
{
    m_table.close();
    m_table.setTableName(QString());
}

}  // namespace probemem
