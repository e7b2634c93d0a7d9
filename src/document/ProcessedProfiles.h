#pragma once
#include "analysis/SeriesPoint.h"
#include "model/ProfileRow.h"
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
