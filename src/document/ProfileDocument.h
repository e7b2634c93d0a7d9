#pragma once
#include "analysis/SeriesPoint.h"
#include "model/ProfileRow.h"
#include "model/Status.h"
#include <QDateTime>
#include <QObject>
#include <QString>
#include <memory>
#include <vector>

class ProfileTable;
struct StoredProfile;

// A series the document holds: shared and never changed once made, so a view
// keeps it without copying. Null until made.
using SeriesSnapshot = std::shared_ptr<const Series>;
// Rows handed out whole (export, report): shared the same way.
using RowsSnapshot = std::shared_ptr<const std::vector<ProfileRow>>;

// A raw cast divided at its turning point; every series sorted by depth.
struct CastPartSeries
{
    SeriesSnapshot svDown, tempDown;   // probe going down
    SeriesSnapshot svUp, tempUp;       // probe coming up
};

// What writing a new profile file came to. `status` fails with a refusal or a
// write failure (the profile open before stays open); `openFailed` when the
// file was written but the table engine would not open it (its error in status).
struct SaveOutcome
{
    Status status;
    bool openFailed = false;
    bool ok() const { return status.ok(); }
};

// The open profile: the file with its kind, description, date and rows, and
// the values drawn from it (table-bound series, cast parts, merged and average
// profile). The window edits the rows through table(), the one cursor its grid
// uses; the command line holds a profile read whole with load(). Values are
// made by draw(), buildMergedProfile() and computeAverage() and dropped by
// markChanged() whenever the open profile changes.
class ProfileDocument : public QObject
{
    Q_OBJECT
public:
    explicit ProfileDocument(QObject* parent = nullptr);
    ~ProfileDocument() override;

    ProfileTable& table() { return *m_table; }

    // ---- the open profile --------------------------------------------------
    // Opens a file through the table at its first row, unfiltered: -1 it cannot
    // be opened, -2 it has no rows (both leave the table closed), 0 a raw cast,
    // 1 a processed profile. Otherwise the header is read and markChanged() runs.
    int open(const QString& path);
    // Opens `path` again after a refused open (as it was, without a header read).
    Status reopen(const QString& path);
    // Holds a profile read whole, read-only: nothing is opened or written. A
    // profile without rows is refused with "数据文件错误或空数据文件！".
    Status load(StoredProfile stored);
    // A new, empty profile file opened unfiltered in place of the open one (a recording).
    Status create(const QString& path);
    // The recording just made becomes the profile: header from its first row, kind 0.
    void adoptRecording();

    uint8_t kind() const { return m_kind; }                 // 64 average, 128 merged, else raw
    const QString& description() const { return m_description; }
    const QDateTime& date() const { return m_date; }
    bool isLegacy() const;                                  // an old, read-only file
    // The rows shown, in table order: the table's visible rows, or those loaded.
    int rowCount() const;
    const ProfileRow& row(int i) const;
    RowsSnapshot shownRows() const;

    // ---- values --------------------------------------------------------------
    // Stale: the profile changed since the values were drawn (ChartDirty).
    bool isStale() const { return m_stale; }
    // Drops every value, marks the document stale and emits changed().
    void markChanged();
    // The table-bound series again from the shown rows.
    void reloadTableSeries();
    // The values of the profile by its kind: an average profile's line, a merged
    // profile's two series, or a raw cast split into its parts. The header is
    // read from the first row again; stale is cleared. The table ends on its first row.
    void draw();

    SeriesSnapshot tableSv() const { return m_tableSv; }     // visible rows, sorted by depth
    SeriesSnapshot tableTemp() const { return m_tableTemp; }
    const CastPartSeries& parts() const { return m_parts; }
    SeriesSnapshot mergedSv() const { return m_mergedSv; }
    SeriesSnapshot mergedTemp() const { return m_mergedTemp; }
    SeriesSnapshot averageSv() const { return m_averageSv; }
    bool hasMergedProfile() const { return m_mergedSv && !m_mergedSv->empty(); }

    // Whether the merged profile can be built: the table-bound series and each
    // part need three points ("数据量不够，不能绘制声速曲线！").
    Status mergeReady() const;
    Status buildMergedProfile();
    void dropAverage();
    // The average from `startDepth` down the merged profile; the deepest point,
    // or "声速剖面数据不足！" when no average point exists.
    Result<SeriesPoint> computeAverage(float startDepth);

    // ---- files ---------------------------------------------------------------
    // The merged (kind 128) or average (kind 64) profile as a new profile file
    // that then becomes the open profile, unfiltered. Only a file that
    // mayOverwrite allows is replaced.
    SaveOutcome saveMerged(const QString& path);
    SaveOutcome saveAverage(const QString& path);
    // Every stored row into a new file of the current format, opened in place
    // of the old, read-only one with the same view and current row.
    SaveOutcome convertTo(const QString& path);

    // ---- rows ----------------------------------------------------------------
    Status ensureOpen();                    // the named table opened when closed
    Status deleteRow();                     // the current row
    Status insertRow();                     // a new row in front of the current one
    Status setFiltered(bool on);            // only the marked rows while on
    // Marks one row per depth layer of `thickness` m over every stored row, in
    // one transaction; the view is left unfiltered.
    Status markDepthLayers(float thickness);

signals:
    void changed();              // the profile changed: every value dropped
    void tableSeriesChanged();
    void partsChanged();
    void mergedChanged();
    void averageChanged();

private:
    void readHeader(const ProfileRow& first);
    void setParts(CastPartSeries parts);
    void setMerged(SeriesSnapshot sv, SeriesSnapshot temp);
    void setAverage(SeriesSnapshot sv, float startDepth);
    SaveOutcome saveRows(const QString& path, std::vector<ProfileRow> rows, uint8_t kind);

    std::unique_ptr<ProfileTable> m_table;
    RowsSnapshot m_loaded;           // a profile read whole; null while the table shows one
    bool m_loadedLegacy = false;
    uint8_t m_kind = 0;
    QString m_description;
    QDateTime m_date;
    bool m_stale = false;
    SeriesSnapshot m_tableSv, m_tableTemp;
    CastPartSeries m_parts;
    SeriesSnapshot m_mergedSv, m_mergedTemp;
    SeriesSnapshot m_averageSv;
    float m_averageFrom = 0.0f;      // the start depth of m_averageSv
};
