#include "storage/StaleTempFiles.h"
#include "storage/FileSystem.h"
#include "storage/Log.h"
#include "storage/ProfileDatabase.h"
#include "storage/ProfileSchema.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

// Our header, or empty under the name of a profile file's temporary (killed
// before SQLite wrote its first page).
bool isOurs(const QString& path)
{
    static const QRegularExpression emptyOfOurs(QStringLiteral("^\\..+\\.db\\.[A-Za-z0-9]{6}$"),
                                                QRegularExpression::CaseInsensitiveOption);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    if (f.size() == 0)
        return emptyOfOurs.match(QFileInfo(path).fileName()).hasMatch();
    return hasProfileMarker(f.read(100));
}

}  // namespace

bool isTempFileName(const QString& fileName)
{
    static const QRegularExpression pattern(QStringLiteral("^\\..+\\.[A-Za-z0-9]{6}$"));
    return pattern.match(fileName).hasMatch();
}

int removeStaleTempFiles(const QString& dir)
{
    if (dir.isEmpty() || !QFileInfo(dir).isDir())
        return 0;
    int removed = 0;
    const QFileInfoList entries =
        QDir(dir).entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QFileInfo& fi : entries) {
        const QString path = fi.absoluteFilePath();
        if (!QFileInfo::exists(path))
            continue;   // went with its file
        if (isTempFileName(fi.fileName())) {
            // Held: a save or a recording start in progress, here or in another program.
            if (!isOurs(path) || ProfileDatabase::isHeld(path))
                continue;
            qCInfo(lcStorage) << "removing stale temporary file" << path;
            for (const QString& p : {path + "-journal", path + "-wal", path + "-shm", path})
                removed += QFileInfo::exists(p) && QFile::remove(p) ? 1 : 0;
            continue;
        }
        for (const char* suffix : kSidecarSuffixes) {
            const QString name = fi.fileName();
            if (!name.endsWith(QLatin1String(suffix)))
                continue;
            const QString stem = name.chopped(int(qstrlen(suffix)));
            if (isTempFileName(stem) && !QFileInfo::exists(QDir(dir).filePath(stem)) && QFile::remove(path)) {
                qCInfo(lcStorage) << "removed orphaned journal" << path;
                ++removed;
            }
        }
    }
    return removed;
}
