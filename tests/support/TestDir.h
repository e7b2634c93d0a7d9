#pragma once
#include <QString>
#include <QDir>
#include <QTemporaryDir>

// A fresh temporary directory per test; removed when the object goes.
class TestDir
{
public:
    TestDir();
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }
    static QByteArray readAll(const QString& path);
    static void writeAll(const QString& path, const QByteArray& bytes);
private:
    QTemporaryDir m_dir;
};
