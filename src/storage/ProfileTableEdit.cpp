// The table engine's editing: new rows, edits, posts, deletes, the marks.
// Every change is written to the file and committed before the call returns.
#include "storage/ProfileDatabase.h"
#include "storage/ProfileTable.h"
#include <algorithm>
#include <QCoreApplication>

void ProfileTable::written(const Status& s) const
{
    if (!s)
        throw TableError(QCoreApplication::translate("Storage", "数据无法写入文件：%1\n%2").arg(m_tableName, s.message()));
}

ProfileRow ProfileTable::checkedRow(const ProfileRow& r) const
{
    Result<ProfileRow> row = storableRow(r, m_captions);
    if (!row)
        throw TableError(row.message());
    return std::move(row).value();
}

void ProfileTable::append()
{
    checkWritable(QT_TRANSLATE_NOOP("Storage", "添加记录"));
    postPending();
    m_buffer = {};
    m_insertAt = int(m_view.size());
    m_insertStored = m_rows.size();
    m_state = State::Insert;
    emit rowsReset();
    scrolled();
}

void ProfileTable::insert()
{
    checkWritable(QT_TRANSLATE_NOOP("Storage", "插入记录"));
    postPending();
    if (m_pos < 0) {
        append();
        return;
    }
    m_buffer = {};
    m_insertAt = m_pos;
    m_insertStored = size_t(m_view[size_t(m_pos)]);
    m_state = State::Insert;
    emit rowsReset();
    scrolled();
}

void ProfileTable::edit()
{
    checkWritable(QT_TRANSLATE_NOOP("Storage", "编辑记录"));
    if (m_state != State::Browse)
        return;
    if (m_pos < 0) {
        append();   // editing an empty table starts a new row
        return;
    }
    m_buffer = current();
    m_state = State::Edit;
    emit afterEdit();
}

void ProfileTable::setField(ProfileField f, const QVariant& v)
{
    checkWritable(QT_TRANSLATE_NOOP("Storage", "编辑记录"));
    ProfileRow r = m_state == State::Browse ? current() : m_buffer;
    // A bad value throws before the row enters editing.
    if (const Status s = assignField(r, f, v, m_captions); !s)
        throw TableError(s.message());
    edit();
    m_buffer = r;
    emit rowChanged(m_state == State::Insert ? m_insertAt : m_pos);
}

void ProfileTable::setRow(const ProfileRow& r)
{
    checkWritable(QT_TRANSLATE_NOOP("Storage", "编辑记录"));
    const ProfileRow copy = checkedRow(r);
    edit();
    m_buffer = copy;
    emit rowChanged(m_state == State::Insert ? m_insertAt : m_pos);
}

void ProfileTable::renumber()
{
    Status s = m_file->begin();
    for (size_t i = 0; s && i < m_rows.size(); ++i)
        s = m_file->setOrder(m_rows[i].rowid, double(i + 1));
    if (s)
        s = m_file->commit();
    if (!s)
        m_file->rollback();
    written(s);
    for (size_t i = 0; i < m_rows.size(); ++i)
        m_rows[i].ord = double(i + 1);
}

// Order key for a row stored in front of m_rows[at] (at == size: at the end).
double ProfileTable::ordFor(size_t at)
{
    if (m_rows.empty())
        return 1.0;
    if (at >= m_rows.size())
        return m_rows.back().ord + 1.0;
    if (at == 0)
        return m_rows.front().ord - 1.0;
    const double lo = m_rows[at - 1].ord, hi = m_rows[at].ord;
    const double mid = lo + (hi - lo) / 2;
    if (mid > lo && mid < hi)
        return mid;
    renumber();   // the gap between the neighbours is used up
    return double(at) + 0.5;
}

void ProfileTable::post()
{
    checkWritable(QT_TRANSLATE_NOOP("Storage", "保存记录"));
    if (m_state == State::Browse)
        return;
    if (const Status s = checkRequired(m_buffer, m_captions); !s)
        throw TableError(s.message());
    if (m_state == State::Insert) {
        StoredRow s{0, ordFor(m_insertStored), m_buffer};
        written(m_file->insert(&s));
        const bool atEnd = m_insertStored == m_rows.size();
        m_rows.insert(m_rows.begin() + std::ptrdiff_t(m_insertStored), std::move(s));
        m_state = State::Browse;
        // A row appended at the end (every recorded sample) shifts no index:
        // the view grows by it instead of being rebuilt over every row.
        if (!atEnd)
            rebuildView();
        else if (!m_filtered || m_rows.back().row.filtOk.value_or(false))
            m_view.push_back(int(m_insertStored));
        const auto it = std::lower_bound(m_view.begin(), m_view.end(), int(m_insertStored));
        const bool shown = it != m_view.end() && *it == int(m_insertStored);
        m_pos = m_view.empty() ? -1 : std::min(int(it - m_view.begin()), int(m_view.size()) - 1);
        m_bof = m_eof = m_view.empty();
        emit rowsReset();
        if (!shown)
            scrolled();
        return;
    }
    StoredRow& stored = m_rows[size_t(m_view[size_t(m_pos)])];
    written(m_file->update(StoredRow{stored.rowid, stored.ord, m_buffer}));
    stored.row = m_buffer;
    m_state = State::Browse;
    if (m_filtered && !stored.row.filtOk.value_or(false)) {
        rebuildView();   // the row left the view
        m_pos = std::min(m_pos, int(m_view.size()) - 1);
        m_bof = m_eof = m_view.empty();
        emit rowsReset();
        scrolled();
        return;
    }
    emit rowChanged(m_pos);
}

void ProfileTable::appendRows(const std::vector<ProfileRow>& rows)
{
    checkWritable(QT_TRANSLATE_NOOP("Storage", "添加记录"));
    postPending();
    std::vector<ProfileRow> checked;
    checked.reserve(rows.size());
    for (const ProfileRow& r : rows) {
        checked.push_back(checkedRow(r));
        if (const Status s = checkRequired(r, m_captions); !s)
            throw TableError(s.message());
    }
    const size_t before = m_rows.size();
    m_rows.reserve(before + checked.size());
    Status s = m_file->begin();
    for (size_t i = 0; s && i < checked.size(); ++i) {
        StoredRow stored{0, ordFor(m_rows.size()), std::move(checked[i])};
        s = m_file->insert(&stored);
        m_rows.push_back(std::move(stored));
    }
    if (s)
        s = m_file->commit();
    if (!s) {
        m_file->rollback();
        m_rows.resize(before);
        written(s);
    }
    rebuildView();
    m_pos = m_view.empty() ? -1 : 0;
    m_bof = true;
    m_eof = m_view.empty();
    emit rowsReset();
    scrolled();
}

void ProfileTable::setMarks(const std::vector<bool>& marks)
{
    checkWritable(QT_TRANSLATE_NOOP("Storage", "保存记录"));
    postPending();
    if (marks.size() != m_rows.size())
        throw TableError(QStringLiteral("setMarks: %1 marks for %2 rows").arg(marks.size()).arg(m_rows.size()));
    // The rows in memory follow the file only once the whole pass is committed.
    std::vector<size_t> changed;
    Status s = m_file->begin();
    for (size_t i = 0; s && i < m_rows.size(); ++i) {
        if (m_rows[i].row.filtOk == std::optional<bool>(marks[i]))
            continue;   // already so: nothing to write
        s = m_file->setMark(m_rows[i].rowid, marks[i]);
        changed.push_back(i);
    }
    if (s)
        s = m_file->commit();
    if (!s) {
        m_file->rollback();
        resetView(m_pos, false);
        written(s);
    }
    for (size_t i : changed)
        m_rows[i].row.filtOk = marks[i];
    resetView(m_pos, false);
    scrolled();
}

void ProfileTable::cancel()
{
    if (m_state == State::Insert) {
        m_state = State::Browse;
        m_buffer = {};
        emit rowsReset();
        scrolled();
    } else if (m_state == State::Edit) {
        m_state = State::Browse;
        m_buffer = {};
        emit rowChanged(m_pos);
    }
}

void ProfileTable::deleteRow()
{
    checkWritable(QT_TRANSLATE_NOOP("Storage", "删除记录"));
    if (m_state == State::Insert) {
        cancel();   // deleting an unposted row just drops it
        return;
    }
    if (m_pos < 0)
        throw TableError(QCoreApplication::translate("Storage", "空数据表不能进行这个操作。"));
    const size_t at = size_t(m_view[size_t(m_pos)]);
    written(m_file->remove(m_rows[at].rowid));
    m_state = State::Browse;
    m_buffer = {};
    m_rows.erase(m_rows.begin() + std::ptrdiff_t(at));
    rebuildView();
    m_pos = std::min(m_pos, int(m_view.size()) - 1);
    m_bof = m_view.empty();
    m_eof = m_view.empty();
    emit rowsReset();
    scrolled();
}
