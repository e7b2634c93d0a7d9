// A damaged profile file opened as the client opens one: refused files and
// files only read are left byte for byte as they were.
#include "FuzzFile.h"
#include "document/ProfileDocument.h"
#include "storage/ProfileStore.h"
#include <QCoreApplication>

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

    {
        ProfileDocument doc;
        const int kind = doc.open(path);
        if (kind < 0 && fileBytes(path) != before)
            std::abort();   // a refused file is left as it was
        if (kind >= 0 && doc.rowCount() < 1)
            std::abort();
    }
    if (fileBytes(path) != before)
        std::abort();   // opened and closed without an edit: unchanged
    return 0;
}
