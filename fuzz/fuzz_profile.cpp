// A damaged profile file opened as the client opens one: refused files, files
// only read and files opened read-only are left byte for byte as they were. A
// file opened for writing and closed without an edit keeps every byte but the
// few header fields SQLite itself keeps up to date when it takes the write
// lock (change counter, page count, their version stamp): a page count that
// does not match the file is rewritten then.
#include "FuzzFile.h"
#include "document/ProfileDocument.h"
#include "storage/ProfileStore.h"
#include "storage/ProfileTable.h"
#include <QCoreApplication>

namespace {

// The bytes with the header fields SQLite rewrites on a write lock blanked:
// offsets 24-31 (change counter, page count) and 92-99 (their version stamp).
QByteArray withoutLockStamp(QByteArray b)
{
    for (int i : {24, 25, 26, 27, 28, 29, 30, 31, 92, 93, 94, 95, 96, 97, 98, 99})
        if (i < b.size())
            b[i] = 0;
    return b;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray before(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = writeFuzzFile("cast.db", data, size);

    QString why;
    (void)isProfileFile(path, &why);
    const auto read = readProfile(path);
    if (fileBytes(path) != before)
        std::abort();   // reading writes nothing
    (void)read;

    bool writable = false;
    {
        ProfileDocument doc;
        const int kind = doc.open(path);
        if (kind < 0 && fileBytes(path) != before)
            std::abort();   // a refused file is left as it was
        if (kind >= 0 && doc.rowCount() < 1)
            std::abort();
        writable = kind >= 0 && !doc.table().isReadOnly();
    }
    const QByteArray after = fileBytes(path);
    if (writable ? withoutLockStamp(after) != withoutLockStamp(before) : after != before)
        std::abort();   // opened and closed without an edit
    return 0;
}
