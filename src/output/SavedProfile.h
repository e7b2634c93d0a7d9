#pragma once
#include "analysis/SeriesPoint.h"
#include "data/ProfileRow.h"
#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

// The rows of a saved merged profile (kind 128): point i of `sv` with the
// temperature of point i of `temp`; only the first row carries the date, the
// kind and the description. Values are kept at full precision. A point with no
// temperature beside it (series out of step) ends the profile.
std::vector<ProfileRow> mergedProfileRows(const Series& sv, const Series& temp,
                                          const std::optional<QDateTime>& fileDate,
                                          const std::optional<QString>& fileDescription);

// The rows of a saved average profile (kind 64). The average points start
// later than the merged profile: average point i lies at merged index
// i + (mergedCount - avSv.size()), the index taken in `temp`. The description
// is "平均声速(" + draught as "0.00" + "米起算)".
std::vector<ProfileRow> averageProfileRows(const Series& avSv, const Series& temp,
                                           int mergedCount, float draught,
                                           const std::optional<QDateTime>& fileDate);

// "平均声速(0.80米起算)" for a draught of 0.8.
QString averageDescription(float draught);

// Whether a save may replace the file at `path`. Never an old client's file
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
