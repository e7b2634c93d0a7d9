#pragma once
#include "model/ProfileRow.h"
#include <QString>
#include <vector>

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
// system's reason in `error`.
bool saveProfileFile(const QString& path, const std::vector<ProfileRow>& rows, QString* error);
