#pragma once
#include "probe/ProbeUpload.h"
#include <QDateTime>
#include <QElapsedTimer>
#include <QSet>
#include <QString>
#include <functional>
#include <memory>
#include <functional>

class ProfileTable;
class ProfileDatabase;

// The files an upload writes: one profile file per recording in the upload
// directory, named by the recording's start time.
namespace probemem {

// The upload directory with a trailing separator.
QString withTrailingSeparator(const QString& path);
// Creates a missing directory (one level, its parent must exist). Empty on
// success, else the text the window reports.
QString ensureUploadDirectory(const QString& pathWithSeparator);

QString noPathText();   // "清先指定存储路径！"

// Whether `file` holds an earlier upload of the recording started at `start`:
// a profile file with no rows, or whose first row is a raw cast (status below
// 64) with that start time. Only such a file may be replaced.
bool isEarlierUpload(const QString& file, const QDateTime& start);

// The file a recording goes to: `dir` + base + ".db", or, when that name was
// written in this upload or holds anything but an earlier upload of the same
// recording, the first free base + "-2.db", "-3.db", ... Empty when none is left.
QString profileFileFor(const QString& dir, const QString& baseName, const QDateTime& start,
                       const QSet<QString>& writtenThisUpload);

// Writes each recording into its own profile file in `dir` (with its trailing
// separator). Rows are committed together at most kCommitMs apart, and at the
// end of every recording, a cancel or a failure: a commit costs several disk
// syncs, and one per row would fall behind the line on a slow disk while the
// port's input buffer overflows. A crash loses at most the last moment of
// rows, which the probe still holds. `table` is the one that showed a profile:
// it is closed before the first file is made and left with no name after.
class TableUploadSink : public UploadSink
{
public:
    static constexpr qint64 kCommitMs = 250;

    TableUploadSink(ProfileTable& table, const QString& dir);
    ~TableUploadSink() override;
    // Runs before the first recording's file is made (the window lets go of
    // the profile it holds open, which may be that very file); false ends the
    // upload as a file that could not be made.
    void setBeforeFirstRecording(std::function<bool()> hook) { m_beforeFirst = std::move(hook); }
    bool beginRecording(const RecordingHeader& header, QString* fileName) override;
    bool appendRow(const ProfileRow& row) override;
    bool finish() override;

private:
    bool commitPending();
    void closeFile();

    ProfileTable& m_table;
    QString m_dir;
    QSet<QString> m_written;
    std::function<bool()> m_beforeFirst;
    std::unique_ptr<ProfileDatabase> m_file;
    bool m_inTransaction = false;
    double m_nextOrd = 1;
    QElapsedTimer m_sinceCommit;
};

}  // namespace probemem
