#include "storage/AtomicFile.h"
#include <QDir>
#include <QCoreApplication>

QString writeFailureMessage(const QString& path, const QString& reason)
{
    return QCoreApplication::translate("Storage", "无法写入文件 %1：%2").arg(QDir::toNativeSeparators(path), reason);
}

AtomicFile::AtomicFile(const QString& path) : m_path(path), m_file(path)
{
    // Writing straight into the target would leave half a file behind.
    m_file.setDirectWriteFallback(false);
}

AtomicFile::~AtomicFile()
{
    if (m_file.isOpen())
        m_file.cancelWriting();
}

QString AtomicFile::message(const QString& reason) const
{
    return writeFailureMessage(m_path, reason);
}

bool AtomicFile::open(QString* error)
{
    if (m_file.open(QIODevice::WriteOnly))
        return true;
    if (error)
        *error = message(m_file.errorString());
    return false;
}

void AtomicFile::fail(const QString& reason)
{
    if (m_failure.isEmpty())
        m_failure = reason;
    m_file.cancelWriting();
}

bool AtomicFile::commit(QString* error)
{
    if (!m_failure.isEmpty()) {
        if (m_file.isOpen())
            m_file.commit();   // cancelled: removes the temporary file
        if (error)
            *error = message(m_failure);
        return false;
    }
    if (!m_file.isOpen()) {
        if (error)
            *error = message(m_file.errorString());
        return false;
    }
    // QSaveFile flushes and syncs the temporary file before the rename.
    if (m_file.commit())
        return true;
    if (error)
        *error = message(m_file.errorString());
    return false;
}

bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error)
{
    AtomicFile file(path);
    if (!file.open(error))
        return false;
    if (file.device()->write(bytes) != bytes.size())
        file.fail(file.device()->errorString());
    return file.commit(error);
}
