#pragma once
#include <QByteArray>
#include <QSaveFile>
#include <QString>

// A file written whole or not at all: the bytes go to a temporary file in the
// target's directory, which is flushed to disk and renamed over the target
// only when complete. On any failure the old file stays as it was.
class AtomicFile
{
public:
    explicit AtomicFile(const QString& path);
    ~AtomicFile();   // an uncommitted file is discarded

    bool open(QString* error);        // creates the temporary file
    QIODevice* device() { return &m_file; }
    void fail(const QString& reason); // the writer gave up: commit will refuse
    bool commit(QString* error);      // flush, sync, rename over the target

    QString path() const { return m_path; }

private:
    QString message(const QString& reason) const;
    QString m_path;
    QSaveFile m_file;
    QString m_failure;
};

// "无法写入文件 <path>：<reason>", the text shown for any write failure.
QString writeFailureMessage(const QString& path, const QString& reason);

// Writes the bytes as the whole file; false with the message in `error`.
bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error);
