#pragma once
#include "model/ProfileRow.h"
#include "storage/FieldValues.h"
#include "storage/ProfileSchema.h"
#include <QObject>
#include <QVariant>
#include <memory>
#include <stdexcept>
#include <vector>

class ProfileDatabase;

// An error of the table engine. Its text is shown to the user as it stands.
class TableError : public std::runtime_error
{
public:
    explicit TableError(const QString& message, bool readOnlyFile = false, bool emptyFile = false);
    QString message() const;
    // An open under OpenRows::Required refused because the file has no rows.
    bool isEmptyFile() const { return m_emptyFile; }
    // A change refused because the open file is read-only (an old Paradox
    // file, or a file or folder without write permission).
    bool isReadOnlyFile() const { return m_readOnlyFile; }
private:
    bool m_readOnlyFile = false;
    bool m_emptyFile = false;
};

// The table engine: one profile file (ProfileDatabase) behind a cursor with
// the operations and notifications of a dataset component.
//
// All rows are cached in memory on open; every post, insert and delete goes to
// the file at once and is committed before the call returns, so a crash loses
// at most the row being edited. The file is held exclusively while open. Old
// Paradox profile files, and files the system will not let us write, open
// read-only: the view and the walks work, every change throws.
class ProfileTable : public QObject
{
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    explicit ProfileTable(QObject* parent = nullptr);
    ~ProfileTable() override;

    void setTableName(const QString& path);   // only while inactive
    QString tableName() const { return m_tableName; }

    void open(OpenRows need = OpenRows::Any);   // Active := true; throws TableError
    void close();                // Active := false; no error when closed
    bool isActive() const { return m_state != State::Inactive; }
    bool exists() const;         // open, or a file of the table name exists
    void createTable();          // empty profile file, replacing one of that name; throws
    // Opened read-only: every change throws a TableError with isReadOnlyFile().
    bool isReadOnly() const { return m_readOnly; }
    bool isLegacy() const { return m_legacy; }   // an old Paradox file

    // The caption that names a field in a message (the grid's column title).
    void setFieldCaption(ProfileField f, const QString& caption);

    // The view: only rows with fnFiltOk true while filtered ("fnFiltOk=1").
    void setFiltered(bool on);   // on an open table goes to the first visible row
    bool filtered() const { return m_filtered; }

    // Cursor over the visible rows in stored order.
    void first();
    void next();
    void prior();
    void last();
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    int recordCount() const;     // visible rows
    int recNo() const;           // 1-based current row; 0 when empty; the new row while inserting
    void moveTo(int recNo);      // 1-based; clamped

    // Editing. A pending edit is posted by every move, except a new row with
    // nothing in it, which is cancelled. Post refuses a row without depth,
    // velocity or temperature (TableError) and stays in edit.
    void append();
    void insert();               // new empty row in front of the current one
    void edit();
    void post();
    void cancel();
    // Cancels a new row nothing was typed into; false when there is none.
    bool dropEmptyNewRow();
    void deleteRow();
    State state() const { return m_state; }
    // The depth-layer marks: fnFiltOk of every stored row, in stored order, in
    // one transaction; only rows whose mark changes are written. The cursor
    // keeps its visible position.
    void setMarks(const std::vector<bool>& marks);
    // Every stored row in stored order, whatever the view.
    std::vector<ProfileRow> storedRows() const;
    // Appends rows at the end in one transaction, for building a file whole:
    // every row is checked as post checks it before any is written, and a
    // failure stores none of them. Ends at the first row.
    void appendRows(const std::vector<ProfileRow>& rows);

    // The current row (the edit buffer while editing); an empty row when none.
    const ProfileRow& current() const;
    QVariant field(ProfileField f) const;
    void setField(ProfileField f, const QVariant& v);   // puts the row in edit first; "" or null empties
    void setRow(const ProfileRow& r);                   // the whole edit buffer

    // Fast read access for whole-profile work: visible row i (0-based).
    const ProfileRow& visibleRow(int i) const;
    std::vector<ProfileRow> visibleRows() const;

    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return m_disableCount > 0; }

    // While inserting or appending: the visible position at which the new,
    // unposted row shows (grid row); -1 otherwise.
    int pendingInsertIndex() const { return m_state == State::Insert ? m_insertAt : -1; }
    // Visible position of the current row; -1 when none.
    int currentIndex() const { return m_pos; }

    // Whether a file holds a profile table. Only its header bytes are read:
    // the file is never opened through SQLite, so it cannot be modified.
    static bool isProfileFile(const QString& path, QString* why = nullptr);

signals:
    void afterScroll();          // after every move of the current row
    void afterEdit();            // after a row enters editing
    void rowsReset();            // open, close, filter switch, delete, insert post
    void rowChanged(int visibleIndex);
    void controlsEnabled();      // EnableControls after a DisableControls

private:
    void loadLegacy();
    double ordFor(size_t storedIndex);
    void renumber();
    void checkWritable(const char* what) const;
    void rebuildView();
    // The view rebuilt, the cursor at visible `pos` (clamped), bof when `atFirst`; rowsReset.
    void resetView(int pos, bool atFirst);
    void checkActive(const char* what) const;
    void postPending();
    void scrolled();
    // Throws the write error of a refused write.
    void written(const Status& s) const;
    ProfileRow checkedRow(const ProfileRow& r) const;

    QString m_tableName;
    std::unique_ptr<ProfileDatabase> m_file;
    FieldCaptions m_captions = defaultFieldCaptions();
    State m_state = State::Inactive;
    bool m_filtered = false;
    std::vector<StoredRow> m_rows;   // stored order
    std::vector<int> m_view;         // indices into m_rows of the visible rows
    int m_pos = -1;                  // index into m_view
    bool m_eof = true;
    bool m_bof = true;
    ProfileRow m_buffer;             // edit / insert buffer
    int m_insertAt = -1;             // view position of an inserted row
    size_t m_insertStored = 0;       // stored index the inserted row takes
    int m_disableCount = 0;
    bool m_readOnly = false;
    bool m_legacy = false;           // an old Paradox file, read into memory
};
