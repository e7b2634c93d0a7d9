// The old Paradox reader: any bytes are read or refused without a fault, and
// reading leaves the file as it was.
#include "FuzzFile.h"
#include "storage/LegacyProfile.h"
#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = writeFuzzFile("cast.db", data, size);
    const QByteArray before(reinterpret_cast<const char*>(data), qsizetype(size));
    (void)isLegacyProfileFile(path);
    std::vector<ProfileRow> rows;
    QString error;
    const bool ok = readLegacyProfile(path, &rows, &error);
    if (!ok && error.isEmpty())
        std::abort();   // a refusal says why
    if (fileBytes(path) != before)
        std::abort();
    return 0;
}
