#pragma once
#include "model/ProfileRow.h"
#include <QCoreApplication>
#include <QAbstractTableModel>
#include <functional>

class ProfileTable;

// The grid DBGrid over the table's visible rows: time, depth, velocity and
// temperature in their display formats, editable through the table's own
// editing. A row being inserted shows at its place.
class ProfileTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { ColDT = 0, ColDepth, ColVelocity, ColTemp, ColumnCount };
    static constexpr const char* kDateFormat = "yy-m-d hh:mm:ss";

    explicit ProfileTableModel(ProfileTable* table, QObject* parent = nullptr);

    static ProfileField columnField(int column);

    // The OutputFormat pattern of the numbers, "0.0" or "0.00".
    void setNumberFormat(const QString& pattern);
    QString numberFormat() const { return m_numberFormat; }
    // Title of column 2: "声速", or "平均声速" for an average profile.
    void setVelocityTitle(const QString& title);
    QString velocityTitle() const { return m_velocityTitle; }

    // Asked before an edit reaches a read-only table (an old profile file): it
    // may make the table writable, as converting the file does; false drops
    // the edit.
    void setBeforeReadOnlyEdit(std::function<bool()> hook) { m_beforeReadOnlyEdit = std::move(hook); }

    // Model row of the table's current row (the new row while inserting); -1 when none.
    int currentRow() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation o, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Moves the table to the row (posting a pending one) and sets the field from
    // the text; false, with editFailed, when the table refuses.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // Text of a date cell: "yy-m-d hh:mm:ss" or "yyyy-MM-dd hh:mm:ss", seconds
    // and time optional; two-digit years within 50 years of today.
    static std::optional<QDateTime> parseDateText(const QString& text);

signals:
    void currentRowChanged(int row);
    void editFailed(const QString& message);

private:
    const ProfileRow& rowAt(int row) const;
    void reset();

    ProfileTable* m_table;
    QString m_numberFormat = QStringLiteral("0.0");
    QString m_velocityTitle = QCoreApplication::translate("ProfileTableModel", "声速");
    std::function<bool()> m_beforeReadOnlyEdit;
};
