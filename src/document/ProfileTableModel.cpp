#include "document/ProfileTableModel.h"
#include "storage/ProfileTable.h"
#include "text/Format.h"
#include <QRegularExpression>
#include <QCoreApplication>

ProfileTableModel::ProfileTableModel(ProfileTable* table, QObject* parent)
    : QAbstractTableModel(parent), m_table(table)
{
    connect(table, &ProfileTable::rowsReset, this, [this] {
        if (!m_table->controlsDisabled())
            reset();
    });
    connect(table, &ProfileTable::controlsEnabled, this, &ProfileTableModel::reset);
    connect(table, &ProfileTable::rowChanged, this, [this](int row) {
        if (!m_table->controlsDisabled() && row >= 0 && row < rowCount())
            emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
    });
    connect(table, &ProfileTable::afterScroll, this, [this] {
        if (!m_table->controlsDisabled())
            emit currentRowChanged(currentRow());
    });
}

void ProfileTableModel::reset()
{
    beginResetModel();
    endResetModel();
    emit currentRowChanged(currentRow());
}

ProfileField ProfileTableModel::columnField(int column)
{
    static const ProfileField fields[] = {ProfileField::DT, ProfileField::Depth,
                                          ProfileField::Velocity, ProfileField::Temp};
    return fields[column];
}

void ProfileTableModel::setNumberFormat(const QString& pattern)
{
    m_numberFormat = pattern;
    if (rowCount() > 0)
        emit dataChanged(index(0, ColDepth), index(rowCount() - 1, ColTemp));
}

void ProfileTableModel::setVelocityTitle(const QString& title)
{
    m_velocityTitle = title;
    m_table->setFieldCaption(ProfileField::Velocity, title);   // a message names the field as the grid does
    emit headerDataChanged(Qt::Horizontal, ColVelocity, ColVelocity);
}

int ProfileTableModel::currentRow() const
{
    const int pending = m_table->pendingInsertIndex();
    return pending >= 0 ? pending : m_table->currentIndex();
}

int ProfileTableModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_table->isActive())
        return 0;
    return m_table->recordCount() + (m_table->pendingInsertIndex() >= 0 ? 1 : 0);
}

int ProfileTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

const ProfileRow& ProfileTableModel::rowAt(int row) const
{
    const int pending = m_table->pendingInsertIndex();
    if (pending >= 0 && row >= pending)
        return row == pending ? m_table->current() : m_table->visibleRow(row - 1);
    if (m_table->state() == ProfileTable::State::Edit && row == m_table->currentIndex())
        return m_table->current();   // the edit buffer
    return m_table->visibleRow(row);
}

QVariant ProfileTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= ColumnCount)
        return {};
    if (role == Qt::TextAlignmentRole)
        return index.column() == ColDT ? QVariant() : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    const ProfileRow& r = rowAt(index.row());
    if (index.column() == ColDT)
        return r.dt ? fmt::formatDateTime(QString::fromLatin1(kDateFormat), *r.dt) : QString();
    const std::optional<double>& v = index.column() == ColDepth ? r.depth
                                     : index.column() == ColVelocity ? r.velocity
                                                                     : r.temp;
    if (!v)
        return QString();
    // Editing starts from the full value, not the rounded display.
    return role == Qt::EditRole ? fmt::floatToStr(*v) : fmt::formatFloat(m_numberFormat, *v);
}

QVariant ProfileTableModel::headerData(int section, Qt::Orientation o, int role) const
{
    if (o != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, o, role);
    if (role == Qt::TextAlignmentRole)
        return QVariant(Qt::AlignCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (section) {
    case ColDT: return QCoreApplication::translate("ProfileTableModel", "时间");
    case ColDepth: return QCoreApplication::translate("ProfileTableModel", "深度");
    case ColVelocity: return m_velocityTitle;
    default: return QCoreApplication::translate("ProfileTableModel", "温度");
    }
}

Qt::ItemFlags ProfileTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

std::optional<QDateTime> ProfileTableModel::parseDateText(const QString& text)
{
    static const QRegularExpression re(QStringLiteral(
        R"(^\s*(\d{4}|\d{2})-(\d{1,2})-(\d{1,2})(?:\s+(\d{1,2}):(\d{1,2})(?::(\d{1,2}))?)?\s*$)"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    int year = m.captured(1).toInt();
    if (m.captured(1).size() == 2) {
        const int now = QDate::currentDate().year();
        year += now / 100 * 100;
        if (year > now + 49)
            year -= 100;
        else if (year <= now - 50)
            year += 100;
    }
    const QDate d(year, m.captured(2).toInt(), m.captured(3).toInt());
    const QTime t(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
    if (!d.isValid() || !t.isValid())
        return std::nullopt;
    return QDateTime(d, t);
}

bool ProfileTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.row() >= rowCount())
        return false;
    const QString text = value.toString().trimmed();
    QVariant v;
    if (!text.isEmpty()) {
        if (index.column() == ColDT) {
            const std::optional<QDateTime> dt = parseDateText(text);
            if (!dt)
                return false;
            v = *dt;
        } else {
            double d = 0;
            if (!fmt::parseFloat(text, &d))
                return false;
            v = d;
        }
    }
    if (m_table->isReadOnly() && m_beforeReadOnlyEdit && !m_beforeReadOnlyEdit())
        return false;
    try {
        if (index.row() != currentRow()) {
            // Leaving a pending row stores it; the rows then number as shown.
            if (m_table->state() != ProfileTable::State::Browse)
                m_table->post();
            m_table->moveTo(index.row() + 1);
        }
        m_table->setField(columnField(index.column()), v);
    } catch (const TableError& e) {
        emit editFailed(e.message());
        return false;
    }
    return true;
}
