#include "document/UploadFiles.h"
#include "storage/ProfileStore.h"
#include "storage/FieldValues.h"
#include "storage/ProfileDatabase.h"
#include "storage/ProfileTable.h"
#include <QDir>
#include <QFileInfo>
#include <utility>
#include <QCoreApplication>

namespace probemem {

namespace {

constexpr int kMaxSuffix = 999;
const QString kStartFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

}  // namespace

QString noPathText() { return QCoreApplication::translate("UploadFiles", "清先指定存储路径！"); }

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
    return QCoreApplication::translate("UploadFiles", "建立子目录出错:\n") + path;
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

TableUploadSink::TableUploadSink(ProfileTable& table, const QString& dir) : m_table(table), m_dir(dir) {}

TableUploadSink::~TableUploadSink()
{
    closeFile();
}

bool TableUploadSink::beginRecording(const RecordingHeader& header, QString* fileName)
{
    if (m_beforeFirst && !std::exchange(m_beforeFirst, nullptr)())
        return false;
    m_table.close();
    closeFile();
    if (m_file)
        return false;   // the last recording's rows could not be committed
    const QString name = profileFileFor(m_dir, header.baseName, header.start, m_written);
    if (name.isEmpty())
        return false;
    m_written.insert(name);
    *fileName = name;
    if (!ProfileDatabase::build(name, {}))
        return false;
    auto file = std::make_unique<ProfileDatabase>();
    std::vector<StoredRow> none;
    if (!file->open(name, &none) || file->isReadOnly())
        return false;
    m_file = std::move(file);
    m_nextOrd = 1;
    return true;
}

bool TableUploadSink::appendRow(const ProfileRow& row)
{
    if (!m_file || !checkRequired(row, defaultFieldCaptions()))
        return false;
    if (!m_inTransaction) {
        if (!m_file->begin())
            return false;
        m_inTransaction = true;
        m_sinceCommit.start();
    }
    StoredRow stored{0, m_nextOrd, row};
    if (!m_file->insert(&stored)) {
        m_file->rollback();
        m_inTransaction = false;
        return false;
    }
    m_nextOrd += 1;
    return m_sinceCommit.elapsed() < kCommitMs || commitPending();
}

bool TableUploadSink::commitPending()
{
    if (!m_inTransaction)
        return true;
    m_inTransaction = false;
    if (m_file->commit())
        return true;
    m_file->rollback();
    return false;
}

void TableUploadSink::closeFile()
{
    if (!m_file)
        return;
    if (commitPending()) {
        m_file->close();
        m_file.reset();
    } else {
        m_file->close();   // kept: tells beginRecording the rows were lost
    }
}

bool TableUploadSink::finish()
{
    closeFile();
    const bool stored = !m_file;
    m_file.reset();
    m_table.close();
    m_table.setTableName(QString());
    return stored;
}

}  // namespace probemem
