#pragma once
#include "model/ProfileRow.h"
#include "model/Status.h"
#include <QString>
#include <vector>

// Profile files as values: read whole, written whole. The grid's cursor over
// an open file is ProfileTable.

// Every row of a profile file, ours or an old Paradox one.
struct StoredProfile
{
    std::vector<ProfileRow> rows;   // stored order, unfiltered
    bool legacy = false;            // an old Paradox file (read-only)
};

// Reads a profile file whole without writing anything to it. A missing,
// damaged or foreign file fails with the reason; a file with no rows is read
// (the caller decides whether that is an error).
Result<StoredProfile> readProfile(const QString& path);

// Whether `path` holds one of our profile files; `why` tells why not.
bool isProfileFile(const QString& path, QString* why = nullptr);

// Whether a save may replace the file at `path`. Never an old Paradox file
// (" 是旧格式数据文件，不能被覆盖!"). A missing file, one that
// cannot be read as a profile, or one with no rows may be replaced. Otherwise
// only a file shaped as a saved profile: first-row fnStatus exactly 64 or 128
// and no status or date on any later row (a recording has a status on every
// row, and a probe status byte may carry bit 6 or 7). Refused: `reason` is the
// path + " 是原始数据，不能被覆盖!".
bool mayOverwrite(const QString& path, QString* reason);

// Writes `rows` as a new profile file at `path`. The file is built under a
// temporary name in the same directory and renamed over `path` only when every
// row is stored, so a failure leaves the old file as it was. The caller closes
// `path` first when it is the open profile. False with the engine's or the
// system's reason.
Status writeProfile(const QString& path, const std::vector<ProfileRow>& rows);
