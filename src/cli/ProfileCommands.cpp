#include "cli/ProfileCommands.h"
#include "analysis/AverageVelocity.h"
#include "analysis/CastSplit.h"
#include "analysis/MergedProfile.h"
#include "cli/CliCommon.h"
#include "document/ProcessedProfiles.h"
#include "text/Format.h"
#include <cmath>

namespace cli {

namespace {

const char* kindName(int kind)
{
    if (kind == kKindAverage)
        return "average";
    if (kind == kKindMerged)
        return "merged";
    return "raw";   // every other code is drawn like a raw cast
}

bool finite(const std::optional<double>& v)
{
    return v && std::isfinite(*v);
}

// The chart's table-bound series: one point per row with the value, sorted by depth.
Series tableSeries(const std::vector<ProfileRow>& rows, bool temperature)
{
    Series s;
    s.reserve(rows.size());
    for (const ProfileRow& r : rows) {
        const std::optional<double>& y = temperature ? r.temp : r.velocity;
        if (finite(r.depth) && finite(y))
            s.push_back({*r.depth, *y});
    }
    sortByX(s);
    return s;
}

struct Merged
{
    Series sv, temp;
};

// The merged profile as the chart holds it: built from a raw cast, or a
// stored merged profile's own rows.
Merged mergedProfile(const LoadedProfile& p, const QString& path)
{
    Merged m;
    if (p.kind() == kKindMerged) {
        m.sv = tableSeries(p.rows, false);
        m.temp = tableSeries(p.rows, true);
        return m;
    }
    if (p.kind() == kKindAverage)
        fail(path + ": an average profile holds no merged profile");
    std::vector<ProfileSample> samples;
    samples.reserve(p.rows.size());
    const double empty = std::nan("");
    for (const ProfileRow& r : p.rows)
        samples.push_back({r.depth.value_or(empty), r.velocity.value_or(empty), r.temp.value_or(empty)});
    CastParts parts = splitCast(samples);
    parts.usedRows = tableSeries(p.rows, false).size();
    if (!buildMergedProfile(parts, &m.sv, &m.temp))
        fail(path + ": " + QStringLiteral("数据量不够，不能绘制声速曲线！"));
    return m;
}

QString outputOption(const QCommandLineParser& parser)
{
    return requiredValue(parser, "o");
}

void addOutputOption(QCommandLineParser& parser, const QString& what)
{
    parser.addOption({"o", what, "OUT"});
}

}  // namespace

int runInfo(const QStringList& args)
{
    QCommandLineParser parser;
    addIniOption(parser);
    if (!parseArgs(parser, {"info", "FILE.db", "Describe a profile file."}, args, 1))
        return kOk;
    const QString path = parser.positionalArguments().front();
    const LoadedProfile p = loadProfile(path);
    const ProfileRow& first = p.rows.front();
    double lo = 0, hi = 0;
    bool any = false;
    for (const ProfileRow& r : p.rows) {
        if (!finite(r.depth))
            continue;
        lo = any ? std::min(lo, *r.depth) : *r.depth;
        hi = any ? std::max(hi, *r.depth) : *r.depth;
        any = true;
    }
    const QString date = first.dt && first.dt->isValid()
        ? fmt::formatDateTime("yyyy-mm-dd hh:nn:ss", *first.dt) : QString();
    const QString range = any
        ? fmt::formatFloat("0.00", lo) + " .. " + fmt::formatFloat("0.00", hi) : QString();
    out(QStringLiteral("kind: %1\ndescription: %2\ndate: %3\nrows: %4\ndepth: %5\nformat: %6\n")
            .arg(kindName(p.kind()), first.discrip.value_or(QString()), date)
            .arg(p.rows.size())
            .arg(range, p.legacy ? "old Paradox" : "current"));
    return kOk;
}

int runMerge(const QStringList& args)
{
    QCommandLineParser parser;
    addIniOption(parser);
    addOutputOption(parser, "The merged profile file to write.");
    if (!parseArgs(parser, {"merge", "FILE.db -o OUT.db",
                            "Save the merged, smoothed profile of a raw cast."}, args, 1))
        return kOk;
    const QString path = parser.positionalArguments().front();
    const QString output = outputOption(parser);
    const LoadedProfile p = loadProfile(path);
    if (p.kind() == kKindMerged)
        fail(path + ": already a merged profile");
    const Merged m = mergedProfile(p, path);
    checkOutput(output, path, true);
    const ProfileRow& first = p.rows.front();
    saveProfile(output, mergedProfileRows(m.sv, m.temp, first.dt.value_or(QDateTime()),
                                          first.discrip.value_or(QString())));
    return kOk;
}

int runAverage(const QStringList& args)
{
    QCommandLineParser parser;
    addIniOption(parser);
    addOutputOption(parser, "The average profile file to write.");
    parser.addOption({"from", "Start depth in m (default: Draught of the settings).", "DEPTH"});
    if (!parseArgs(parser, {"average", "FILE.db [--from DEPTH] -o OUT.db",
                            "Save the average sound-velocity profile from a start depth."}, args, 1))
        return kOk;
    const QString path = parser.positionalArguments().front();
    const QString output = outputOption(parser);
    const Settings settings = loadSettings(parser);
    float from = settings.draught;
    if (parser.isSet("from")) {
        const double v = numberOption(parser.value("from"), "from");
        if (v < 0)
            fail("--from: the start depth cannot be negative");
        from = float(v);
    }
    const LoadedProfile p = loadProfile(path);
    const Merged m = mergedProfile(p, path);
    const AverageResult av = averageSoundVelocity(m.sv, from);
    if (!av.enoughData())
        fail(path + ": " + QStringLiteral("声速剖面数据不足！"));
    checkOutput(output, path, true);
    saveProfile(output, averageProfileRows(av.points, m.temp, int(m.sv.size()), from,
                                           p.rows.front().dt.value_or(QDateTime())));
    return kOk;
}

int runConvert(const QStringList& args)
{
    QCommandLineParser parser;
    addIniOption(parser);
    addOutputOption(parser, "The profile file of the current format to write.");
    if (!parseArgs(parser, {"convert", "OLD.db -o NEW.db",
                            "Convert an old Paradox profile file to the current format."}, args, 1))
        return kOk;
    const QString path = parser.positionalArguments().front();
    const QString output = outputOption(parser);
    const LoadedProfile p = loadProfile(path);
    if (!p.legacy)
        fail(path + ": not an old Paradox profile file");
    checkOutput(output, path, true);
    saveProfile(output, p.rows);
    return kOk;
}

}  // namespace cli
