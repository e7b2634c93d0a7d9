#include "storage/ProfileStore.h"
#include "storage/AtomicFile.h"
#include "storage/LegacyProfile.h"
#include "storage/ProfileTable.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstring>
#include <filesystem>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

bool readRows(const QString& path, std::vector<ProfileRow>* rows)
{
    try {
        ProfileTable table;
        table.setTableName(path);
        table.open();
        *rows = table.visibleRows();
        table.close();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// Saved files carry a status and a date on their first row only.
bool hasSavedShape(const std::vector<ProfileRow>& rows)
{
    const int kind = rows.front().status.value_or(-1);
    if (kind != kKindAverage && kind != kKindMerged)
        return false;
    for (size_t i = 1; i < rows.size(); ++i)
        if (rows[i].status || rows[i].dt)
            return false;
    return true;
}

void removeDatabaseFiles(const QString& path)
{
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(suffix));
}

// The rows must be on the disk before the new name points at them.
bool syncFile(const QString& path, QString* reason)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite)) {
        *reason = f.errorString();
        return false;
    }
#ifdef Q_OS_UNIX
    if (::fsync(f.handle()) != 0) {
        *reason = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
#else
    Q_UNUSED(reason);
#endif
    return true;
}

std::filesystem::path fsPath(const QString& path)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

}  // namespace

bool mayOverwrite(const QString& path, QString* reason)
{
    if (!QFileInfo::exists(path))
        return true;
    // Old Paradox files are the surveyor's archive: they are only read.
    if (isLegacyProfileFile(path)) {
        if (reason)
            *reason = QDir::toNativeSeparators(path) + QStringLiteral(" 是旧格式数据文件，不能被覆盖!");
        return false;
    }
    std::vector<ProfileRow> rows;
    if (!readRows(path, &rows)) {
        // A profile file that cannot be read now is held by a program, perhaps
        // one recording into it: never replace it.
        if (ProfileTable::isProfileFile(path) || isLegacyProfileFile(path)) {
            if (reason)
                *reason = QDir::toNativeSeparators(path) + QStringLiteral(" 正在使用，不能被覆盖!");
            return false;
        }
        return true;
    }
    if (rows.empty())
        return true;
    if (hasSavedShape(rows))
        return true;
    if (reason)
        *reason = QDir::toNativeSeparators(path) + QStringLiteral(" 是原始数据，不能被覆盖!");
    return false;
}

Result<StoredProfile> readProfile(const QString& path)
{
    StoredProfile p;
    QString why;
    if (isLegacyProfileFile(path)) {
        p.legacy = true;
        if (!readLegacyProfile(path, &p.rows, &why))
            return Status::failure(why);
        return p;
    }
    try {
        ProfileTable table;
        table.setTableName(path);
        table.open();
        p.rows = table.storedRows();
        table.close();
    } catch (const TableError& e) {
        return Status::failure(e.message());
    }
    return p;
}

bool isProfileFile(const QString& path, QString* why)
{
    return ProfileTable::isProfileFile(path, why);
}

Status writeProfile(const QString& path, const std::vector<ProfileRow>& rows)
{
    const QFileInfo target(path);
    QString tempPath;
    {
        // Reserves a unique name beside the target; the engine then replaces it.
        QTemporaryFile reserve(target.absolutePath() + "/." + target.fileName() + ".XXXXXX");
        reserve.setAutoRemove(false);
        if (!reserve.open()) {
            return Status::failure(writeFailureMessage(path, reserve.errorString()));
        }
        tempPath = reserve.fileName();
    }
    try {
        ProfileTable table;
        table.setTableName(tempPath);
        table.createTable();
        if (!table.isActive())
            table.open();
        // The file is under its temporary name until every row is in: one
        // commit for all rows loses nothing and spares a disk sync per row.
        table.appendRows(rows);
        table.close();
    } catch (const TableError& e) {
        removeDatabaseFiles(tempPath);
        return Status::failure(e.message());
    }
    QString reason;
    std::error_code ec;
    if (syncFile(tempPath, &reason)) {
        std::filesystem::rename(fsPath(tempPath), fsPath(path), ec);
        if (!ec) {
            // Journal files of the replaced file would be replayed into the new one.
            for (const char* suffix : {"-wal", "-shm", "-journal"}) {
                QFile::remove(path + QLatin1String(suffix));
                QFile::remove(tempPath + QLatin1String(suffix));
            }
            return Status();
        }
        reason = QString::fromStdString(ec.message());
    }
    removeDatabaseFiles(tempPath);
    return Status::failure(writeFailureMessage(path, reason));
}
