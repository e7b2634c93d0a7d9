#pragma once
#include "model/Status.h"
#include <QString>
#include <cerrno>

// Files as the storage layer handles them, with the system's reasons in the
// user's words.

// The system's reason for error number `errnoValue`, in words ("没有写入权限。").
QString systemReason(int errnoValue);

// "无法创建数据文件：<path>\n<reason>", the text of a file that cannot be made.
QString createError(const QString& path, const QString& reason);

// Whether a file can be created at `path` (replacing one of that name when it
// exists): the folder must take a new file, which is tried with a hidden file
// beside it that is removed at once. Fails with createError().
Status checkCreatable(const QString& path);

// Reserves a hidden name beside `path` for building its replacement: an empty
// file "." + name + ".XXXXXX" made exclusively. The reason alone on failure.
Result<QString> reserveTempFile(const QString& path);

// Renames `from` over `to`, replacing it in one step; the reason on failure.
Status renameOver(const QString& from, const QString& to);

// Flushes `path` (a file or a folder) to the disk; the reason on failure.
Status syncToDisk(const QString& path);

// SQLite's companions of a database file, which belong to it alone.
inline constexpr const char* kSidecarSuffixes[] = {"-journal", "-wal", "-shm"};

// Removes the file and its companions; false when one of them stays.
bool removeWithSidecars(const QString& path);
