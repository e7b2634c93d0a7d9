// The table engine's cursor: opening and closing, the view and the moves.
// Editing is in ProfileTableEdit.cpp.
#include "storage/ProfileTable.h"
#include "storage/FileSystem.h"
#include "storage/LegacyProfile.h"
#include "storage/ProfileDatabase.h"
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <QCoreApplication>

namespace {

QString openError(const QString& path, const QString& reason)
{
    return QCoreApplication::translate("Storage", "无法打开数据文件：%1\n%2").arg(path, reason);
}

}  // namespace

TableError::TableError(const QString& message, bool readOnlyFile, bool emptyFile)
    : std::runtime_error(message.toStdString()), m_readOnlyFile(readOnlyFile), m_emptyFile(emptyFile)
{
}

QString TableError::message() const { return QString::fromUtf8(what()); }

ProfileTable::ProfileTable(QObject* parent) : QObject(parent), m_file(std::make_unique<ProfileDatabase>()) {}

ProfileTable::~ProfileTable() = default;

void ProfileTable::setTableName(const QString& path)
{
    if (isActive())
        throw TableError(QCoreApplication::translate("Storage", "数据表打开时不能更改表名。"));
    m_tableName = path;
}

void ProfileTable::setFieldCaption(ProfileField f, const QString& caption) { m_captions[size_t(f)] = caption; }

bool ProfileTable::exists() const { return isActive() || QFileInfo(m_tableName).isFile(); }

bool ProfileTable::isProfileFile(const QString& path, QString* why)
{
    const Status s = checkProfileHeader(path);
    if (!s && why)
        *why = s.message();
    return s.ok();
}

void ProfileTable::loadLegacy()
{
    std::vector<ProfileRow> rows;
    QString why;
    if (!readLegacyProfile(m_tableName, &rows, &why))
        throw TableError(openError(m_tableName, why));
    m_rows.clear();
    m_rows.reserve(rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        m_rows.push_back(StoredRow{0, double(i + 1), std::move(rows[i])});
    m_readOnly = m_legacy = true;
}

void ProfileTable::open(OpenRows need)
{
    if (isActive())
        return;
    if (m_tableName.isEmpty())
        throw TableError(openError(m_tableName, QCoreApplication::translate("Storage", "未指定文件名。")));
    if (isLegacyProfileFile(m_tableName)) {
        loadLegacy();
    } else {
        std::vector<StoredRow> rows;
        if (const Status s = m_file->open(m_tableName, &rows, need); !s)
            throw TableError(openError(m_tableName, s.message()), false, m_file->noRows());
        m_rows = std::move(rows);
        m_readOnly = m_file->isReadOnly();
    }
    m_state = State::Browse;
    resetView(0, true);
    scrolled();
}

void ProfileTable::close()
{
    if (!isActive())
        return;
    // An unposted row is dropped, as closing a dataset does.
    m_state = State::Inactive;
    m_rows.clear();
    m_view.clear();
    m_pos = -1;
    m_eof = m_bof = true;
    m_buffer = {};
    m_insertAt = -1;
    m_readOnly = m_legacy = false;
    m_file->close();
    emit rowsReset();
}

void ProfileTable::createTable()
{
    close();
    if (m_tableName.isEmpty())
        throw TableError(createError(m_tableName, QCoreApplication::translate("Storage", "未指定文件名。")));
    if (const Status s = ProfileDatabase::build(m_tableName, {}); !s)
        throw TableError(createError(m_tableName, s.message()));
    open();
}

void ProfileTable::rebuildView()
{
    m_view.clear();
    m_view.reserve(m_rows.size());
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (!m_filtered || m_rows[i].row.filtOk.value_or(false))
            m_view.push_back(int(i));
}

void ProfileTable::resetView(int pos, bool atFirst)
{
    rebuildView();
    m_pos = m_view.empty() ? -1 : std::clamp(pos, 0, int(m_view.size()) - 1);
    m_bof = atFirst || m_view.empty();
    m_eof = m_view.empty();
    emit rowsReset();
}

void ProfileTable::setFiltered(bool on)
{
    if (!isActive()) {
        m_filtered = on;
        return;
    }
    postPending();
    m_filtered = on;
    resetView(0, true);
    scrolled();
}

void ProfileTable::checkWritable(const char* what) const
{
    checkActive(what);
    if (m_legacy)
        throw TableError(QCoreApplication::translate("Storage", "旧格式数据文件只能查看，不能%1：%2").arg(QCoreApplication::translate("Storage", what), m_tableName),
                         true);
    if (m_readOnly)
        throw TableError(QCoreApplication::translate("Storage", "数据文件只读，不能%1：%2").arg(QCoreApplication::translate("Storage", what), m_tableName), true);
}

void ProfileTable::checkActive(const char* what) const
{
    if (!isActive())
        throw TableError(QCoreApplication::translate("Storage", "数据表未打开，不能%1。").arg(QCoreApplication::translate("Storage", what)));
}

void ProfileTable::scrolled() { emit afterScroll(); }

// Every move goes through here: kept beside the moves, so that a walk over a
// long cast pays no call for the common case of nothing pending.
bool ProfileTable::dropEmptyNewRow()
{
    if (m_state != State::Insert || m_buffer != ProfileRow{})
        return false;
    cancel();
    return true;
}

void ProfileTable::postPending()
{
    // A new row nothing was typed into is dropped, not refused: leaving it
    // must not hold the cursor.
    if (!dropEmptyNewRow() && (m_state == State::Edit || m_state == State::Insert))
        post();
}

void ProfileTable::first()
{
    checkActive(QT_TRANSLATE_NOOP("Storage", "移动记录"));
    postPending();
    m_pos = m_view.empty() ? -1 : 0;
    m_bof = true;
    m_eof = m_view.empty();
    scrolled();
}

void ProfileTable::last()
{
    checkActive(QT_TRANSLATE_NOOP("Storage", "移动记录"));
    postPending();
    m_pos = int(m_view.size()) - 1;
    m_eof = true;
    m_bof = m_view.empty();
    scrolled();
}

void ProfileTable::next()
{
    checkActive(QT_TRANSLATE_NOOP("Storage", "移动记录"));
    postPending();
    if (m_eof)
        return;
    if (m_pos + 1 < int(m_view.size()))
        ++m_pos;
    else
        m_eof = true;
    m_bof = false;
    scrolled();
}

void ProfileTable::prior()
{
    checkActive(QT_TRANSLATE_NOOP("Storage", "移动记录"));
    postPending();
    if (m_bof)
        return;
    if (m_pos > 0)
        --m_pos;
    else
        m_bof = true;
    m_eof = false;
    scrolled();
}

void ProfileTable::moveTo(int recNo)
{
    checkActive(QT_TRANSLATE_NOOP("Storage", "移动记录"));
    postPending();
    if (m_view.empty())
        return;
    m_pos = std::clamp(recNo, 1, int(m_view.size())) - 1;
    m_bof = m_eof = false;
    scrolled();
}

int ProfileTable::recordCount() const { return int(m_view.size()); }

int ProfileTable::recNo() const
{
    if (m_state == State::Insert)
        return m_insertAt + 1;
    return m_pos + 1;
}

const ProfileRow& ProfileTable::current() const
{
    static const ProfileRow empty;
    if (m_state == State::Edit || m_state == State::Insert)
        return m_buffer;
    return m_pos >= 0 ? m_rows[size_t(m_view[size_t(m_pos)])].row : empty;
}

QVariant ProfileTable::field(ProfileField f) const { return fieldValue(current(), f); }

const ProfileRow& ProfileTable::visibleRow(int i) const { return m_rows[size_t(m_view.at(size_t(i)))].row; }

std::vector<ProfileRow> ProfileTable::visibleRows() const
{
    std::vector<ProfileRow> out;
    out.reserve(m_view.size());
    for (int i : m_view)
        out.push_back(m_rows[size_t(i)].row);
    return out;
}

std::vector<ProfileRow> ProfileTable::storedRows() const
{
    std::vector<ProfileRow> out;
    out.reserve(m_rows.size());
    for (const StoredRow& s : m_rows)
        out.push_back(s.row);
    return out;
}

void ProfileTable::disableControls() { ++m_disableCount; }

void ProfileTable::enableControls()
{
    if (m_disableCount == 0)
        return;
    if (--m_disableCount == 0)
        emit controlsEnabled();
}
