#pragma once
#include "probe/ProbeUpload.h"
#include <QDateTime>
#include <QSet>
#include <QString>
#include <functional>

class ProfileTable;

// The files an upload writes: one profile file per recording in the upload
// directory, named by the recording's start time.
namespace probemem {

// The upload directory with a trailing separator.
QString withTrailingSeparator(const QString& path);
// Creates a missing directory (one level, its parent must exist). Empty on
// success, else the text the window reports.
QString ensureUploadDirectory(const QString& pathWithSeparator);

inline const QString kNoPath = QStringLiteral("清先指定存储路径！");

// Whether `file` holds an earlier upload of the recording started at `start`:
// a profile file with no rows, or whose first row is a raw cast (status below
// 64) with that start time. Only such a file may be replaced.
bool isEarlierUpload(const QString& file, const QDateTime& start);

// The file a recording goes to: `dir` + base + ".db", or, when that name was
// written in this upload or holds anything but an earlier upload of the same
// recording, the first free base + "-2.db", "-3.db", ... Empty when none is left.
QString profileFileFor(const QString& dir, const QString& baseName, const QDateTime& start,
                       const QSet<QString>& writtenThisUpload);

// Writes each recording through `table` into `dir` (with its trailing
// separator), every row committed as it comes. After the upload `table` is
// left closed with an empty table name.
class TableUploadSink : public UploadSink
{
public:
    TableUploadSink(ProfileTable& table, const QString& dir) : m_table(table), m_dir(dir) {}
    // Runs before the first recording's file is made (the window lets go of
    // the profile it holds open, which may be that very file); false ends the
    // upload as a file that could not be made.
    void setBeforeFirstRecording(std::function<bool()> hook) { m_beforeFirst = std::move(hook); }
    bool beginRecording(const RecordingHeader& header, QString* fileName) override;
    bool appendRow(const ProfileRow& row) override;
    void finish() override;

private:
    ProfileTable& m_table;
    QString m_dir;
    QSet<QString> m_written;
    std::function<bool()> m_beforeFirst;
};

}  // namespace probemem
