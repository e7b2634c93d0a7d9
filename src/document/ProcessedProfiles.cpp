#include "document/ProcessedProfiles.h"
#include "text/Format.h"
#include <algorithm>

namespace {

ProfileRow pointRow(const SeriesPoint& p, double temp)
{
    ProfileRow r;
    r.depth = p.x;
    r.velocity = p.y;
    r.temp = temp;
    return r;
}

}  // namespace

QString averageDescription(float draught)
{
    return QStringLiteral("平均声速(") + fmt::formatFloat(QStringLiteral("0.00"), double(draught))
        + QStringLiteral("米起算)");
}

std::vector<ProfileRow> mergedProfileRows(const Series& sv, const Series& temp,
                                          const std::optional<QDateTime>& fileDate,
                                          const std::optional<QString>& fileDescription)
{
    std::vector<ProfileRow> rows;
    const size_t n = std::min(sv.size(), temp.size());
    rows.reserve(n);
    for (size_t i = 0; i < n; ++i)
        rows.push_back(pointRow(sv[i], temp[i].y));
    if (!rows.empty()) {
        rows.front().dt = fileDate;
        rows.front().status = kKindMerged;
        rows.front().discrip = fileDescription;
    }
    return rows;
}

std::vector<ProfileRow> averageProfileRows(const Series& avSv, const Series& temp,
                                           int mergedCount, float draught,
                                           const std::optional<QDateTime>& fileDate)
{
    std::vector<ProfileRow> rows;
    const long long offset = (long long)mergedCount - (long long)avSv.size();
    rows.reserve(avSv.size());
    for (size_t i = 0; i < avSv.size(); ++i) {
        const long long t = offset + (long long)i;
        if (t < 0 || t >= (long long)temp.size())
            break;   // series out of step: never store a made-up temperature
        rows.push_back(pointRow(avSv[i], temp[size_t(t)].y));
    }
    if (!rows.empty()) {
        rows.front().dt = fileDate;
        rows.front().status = kKindAverage;
        rows.front().discrip = averageDescription(draught);
    }
    return rows;
}
