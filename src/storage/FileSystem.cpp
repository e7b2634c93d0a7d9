#include "storage/FileSystem.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <filesystem>
#include <system_error>
#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <unistd.h>
#include <QCoreApplication>
#endif

namespace {

// Creates `path` empty and exclusively; 0 or the system's error number.
int createExclusive(const QString& path)
{
#ifdef Q_OS_WIN
    const int fd = _wopen(reinterpret_cast<const wchar_t*>(path.utf16()), _O_CREAT | _O_EXCL | _O_WRONLY,
                          _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return errno;
    _close(fd);
#else
    const int fd = ::open(QFile::encodeName(path).constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
    if (fd < 0)
        return errno;
    ::close(fd);
#endif
    return 0;
}

QString randomSuffix()
{
    static const char alphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString s;
    for (int i = 0; i < 6; ++i)
        s += QLatin1Char(alphabet[QRandomGenerator::global()->bounded(int(sizeof alphabet - 1))]);
    return s;
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

QString systemReason(int e)
{
    switch (e) {
    case ENOENT: return QCoreApplication::translate("Storage", "文件夹不存在。");
    case ENOTDIR: return QCoreApplication::translate("Storage", "路径中有一项不是文件夹。");
    case EACCES:
    case EPERM: return QCoreApplication::translate("Storage", "没有写入权限。");
    case EROFS: return QCoreApplication::translate("Storage", "磁盘是只读的。");
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return QCoreApplication::translate("Storage", "磁盘已满。");
    case EISDIR: return QCoreApplication::translate("Storage", "这是一个文件夹。");
    case ENAMETOOLONG: return QCoreApplication::translate("Storage", "文件名太长。");
    case EINVAL: return QCoreApplication::translate("Storage", "文件名无效。");
    case EBUSY:
    case ETXTBSY: return QCoreApplication::translate("Storage", "文件正被其他程序使用。");
    case EIO: return QCoreApplication::translate("Storage", "磁盘读写错误。");
    case EMFILE:
    case ENFILE: return QCoreApplication::translate("Storage", "打开的文件太多。");
    default: return QCoreApplication::translate("Storage", "系统错误（代码 %1）。").arg(e);
    }
}

QString createError(const QString& path, const QString& reason)
{
    return QCoreApplication::translate("Storage", "无法创建数据文件：%1\n%2").arg(QDir::toNativeSeparators(path), reason);
}

Result<QString> reserveTempFile(const QString& path)
{
    const QFileInfo target(path);
    const QString stem = target.absolutePath() + "/." + target.fileName() + ".";
    int error = EEXIST;
    for (int attempt = 0; attempt < 16 && error == EEXIST; ++attempt) {
        const QString name = stem + randomSuffix();
        error = createExclusive(name);
        if (error == 0)
            return name;
    }
    return Status::failure(systemReason(error));
}

Status checkCreatable(const QString& path)
{
    if (path.isEmpty())
        return Status::failure(createError(path, QCoreApplication::translate("Storage", "未指定文件名。")));
    const QFileInfo target(path);
    if (target.isDir())
        return Status::failure(createError(path, systemReason(EISDIR)));
    const QFileInfo dir(target.absolutePath());
    if (!dir.exists())
        return Status::failure(createError(path, systemReason(ENOENT)));
    if (!dir.isDir())
        return Status::failure(createError(path, systemReason(ENOTDIR)));
    const Result<QString> probe = reserveTempFile(path);
    if (!probe)
        return Status::failure(createError(path, probe.message()));
    QFile::remove(probe.value());
    return Status();
}

Status renameOver(const QString& from, const QString& to)
{
    std::error_code ec;
    std::filesystem::rename(fsPath(from), fsPath(to), ec);
    if (ec)
        return Status::failure(systemReason(ec.value()));
    return Status();
}

Status syncToDisk(const QString& path)
{
#ifdef Q_OS_WIN
    Q_UNUSED(path);   // the rename and SQLite's own syncs suffice there
#else
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Status::failure(systemReason(errno));
    const int rc = ::fsync(fd);
    const int e = errno;
    ::close(fd);
    if (rc != 0)
        return Status::failure(systemReason(e));
#endif
    return Status();
}

bool removeWithSidecars(const QString& path)
{
    bool ok = true;
    for (const char* suffix : kSidecarSuffixes) {
        const QString p = path + QLatin1String(suffix);
        if (QFileInfo::exists(p) && !QFile::remove(p))
            ok = false;
    }
    if (QFileInfo::exists(path) && !QFile::remove(path))
        ok = false;
    return ok;
}
