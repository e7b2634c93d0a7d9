// The CSV import: any bytes make a raw cast or are refused with a message;
// a cast made is read back with one row per imported line, every value finite.
#include "FuzzFile.h"
#include "cli/CliCommon.h"
#include "cli/ProfileCommands.h"
#include "storage/ProfileStore.h"
#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString in = writeFuzzFile("cast.csv", data, size);
    const QString out = fuzzDir().filePath(QStringLiteral("cast.db"));
    bool made = true;
    try {
        cli::runImportCsv({in, QStringLiteral("--date"), QStringLiteral("2024-05-06 07:08:09"),
                           QStringLiteral("--description"), QStringLiteral("fuzz"), QStringLiteral("-o"), out});
    } catch (const cli::Failure&) {
        made = false;
    }
    if (!made) {
        if (QFile::exists(out))
            std::abort();   // a refused import leaves no file behind
        return 0;
    }
    const auto read = readProfile(out);
    if (!read.ok() || read.value().rows.empty())
        std::abort();
    for (const ProfileRow& r : read.value().rows)
        if (!r.depth || !r.velocity || !r.temp || !std::isfinite(*r.depth) || !std::isfinite(*r.velocity)
            || !std::isfinite(*r.temp))
            std::abort();
    return 0;
}
