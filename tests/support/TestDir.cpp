#include "TestDir.h"
#include <QFile>

TestDir::TestDir() : m_dir(QDir::tempPath() + "/svtest-XXXXXX") {}

QByteArray TestDir::readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void TestDir::writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}
