#pragma once
// The fuzz bytes as a file in a private temporary folder, and its bytes read back.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

inline QTemporaryDir& fuzzDir()
{
    static QTemporaryDir dir;
    if (!dir.isValid())
        std::abort();
    return dir;
}

inline QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return f.readAll();
}

// Writes `data` to a fresh file named `name` in the folder and returns its path.
inline QString writeFuzzFile(const char* name, const uint8_t* data, size_t size)
{
    QDir(fuzzDir().path()).removeRecursively();
    QDir().mkpath(fuzzDir().path());
    const QString path = fuzzDir().filePath(QString::fromLatin1(name));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    f.write(reinterpret_cast<const char*>(data), qint64(size));
    f.close();
    return path;
}
