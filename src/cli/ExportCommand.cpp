// export: the window's export layouts of profile files, byte for byte; several
// files at once into one folder, one bad input reported and skipped.
#include "cli/CliCommon.h"
#include "cli/ProfileCommands.h"
#include "document/SurveyExport.h"
#include "output/Export.h"
#include "output/SurveyFormats.h"
#include "storage/AtomicFile.h"
#include <QDir>
#include <QFileInfo>
#include <map>

namespace cli {

namespace {

struct ExportOptions
{
    QString format;                      // csv, vel, avg-csv or a survey format's name
    std::optional<SurveyFormat> survey;
    float interval = 0.0f;
    std::optional<GeoPosition> position;
    std::optional<int> utcOffset;        // none: this computer's zone
    std::size_t maxPoints = 0;
    Settings settings;
};

// --position, else the settings' [Position]; none when neither is given.
std::optional<GeoPosition> position(const QCommandLineParser& parser, const Settings& settings)
{
    QString text = parser.value("position");
    QString where = "--position";
    if (!parser.isSet("position")) {
        if (settings.latitude.isEmpty() && settings.longitude.isEmpty())
            return std::nullopt;
        text = settings.latitude + ',' + settings.longitude;
        where = "[Position] of the settings";
    }
    const std::optional<GeoPosition> p = parsePosition(text);
    if (!p)
        fail(where + ": not a position LAT,LON: " + text);
    return p;
}

// --utc-offset, else the settings' [Probe Clock]; none: this computer's zone.
std::optional<int> utcOffset(const QCommandLineParser& parser, const Settings& settings)
{
    const bool given = parser.isSet("utc-offset");
    const QString text = given ? parser.value("utc-offset") : settings.utcOffset;
    if (!given && text.isEmpty())
        return std::nullopt;
    const std::optional<int> minutes = parseUtcOffset(text);
    if (!minutes)
        fail((given ? QStringLiteral("--utc-offset") : QStringLiteral("[Probe Clock] UTC Offset of the settings"))
             + ": not an offset from UTC in hours between -12 and +14: " + text);
    return minutes;
}

QString extension(const ExportOptions& o)
{
    if (o.survey)
        return surveyFormatExtension(*o.survey);
    return o.format == "vel" ? ".vel" : ".csv";
}

// The file's bytes; a profile that cannot give them ends with Failure.
QByteArray build(const ExportOptions& o, const QString& path, const QString& target)
{
    ProfileDocument doc;
    loadProfile(doc, path);
    const RowsSnapshot rows = doc.shownRows();
    const bool average = doc.kind() == kKindAverage;
    if (o.format == "avg-csv") {
        if (!average)
            fail(path + ": avg-csv needs an average profile (kind 64)");
        return exportAverageCsv(*rows, o.settings.outputFormat, o.interval);
    }
    // Average velocities read as sound velocities would bend every ray: the
    // window offers only the average layout for them, and so do we.
    if (average)
        fail(path + ": an average profile exports only as avg-csv");
    if (o.format == "csv")
        return exportCommaCsv(*rows, o.settings.outputFormat);
    if (o.format == "vel")
        return exportHypackVel(*rows);
    const Result<SurveyExportPlan> plan = planSurveyExport(doc, *o.survey, o.maxPoints);
    if (!plan)
        fail(path + ": " + plan.message());
    SurveyHeader header;
    header.fileName = target;
    if (doc.date().isValid())
        header.date = doc.date();
    header.utcOffset = o.utcOffset;
    header.position = o.position;
    header.description = doc.description();
    header.deviceNumber = o.settings.sn;
    const Result<QByteArray> bytes = exportSurveyFormat(*o.survey, plan->profile.points, header);
    if (!bytes)
        fail(path + ": " + bytes.message());
    out(QStringLiteral("%1: %2 points (%3; %4 after depth ordering, thinned at %5 m/s, largest gap %6 m/s)\n")
            .arg(target)
            .arg(plan->profile.points.size())
            .arg(plan->fromRawCast ? "merged and smoothed from a raw cast" : "a stored merged profile")
            .arg(plan->profile.monotonicCount)
            .arg(kSurveyTolerance)
            .arg(plan->profile.maxDeviation, 0, 'f', 3));
    return bytes.value();
}

}  // namespace

int runExport(const QStringList& args)
{
    QCommandLineParser parser;
    addIniOption(parser);
    parser.addOption({"format", "csv, vel, avg-csv, caris, asvp, vel3, pro, bsvp, sva or gis-csv.", "F"});
    parser.addOption({"o", "The file to write, or with several inputs (or a name ending in /) the folder "
                           "that gets one file per input, named after it.", "OUT"});
    parser.addOption({"interval", "avg-csv: the sound-velocity interval in m/s (default 0).", "V"});
    parser.addOption({"position", "caris, asvp, vel3, bsvp, gis-csv: latitude,longitude, the same for every "
                                  "input (default: [Position] of the settings).", "LAT,LON"});
    parser.addOption({"utc-offset", "Survey formats: the UTC offset of the probe's clock in hours, -12 to +14 "
                                    "(\"8\", \"-3.5\", \"+5:45\"; default: [Probe Clock] UTC Offset of the "
                                    "settings, else this computer's zone, now "
                                    + utcOffsetText(computerUtcOffset(QDateTime::currentDateTime())) + ").", "H"});
    parser.addOption({"max-points", "Survey formats: at most N points (Kongsberg's oldest echosounders take 570).",
                      "N"});
    if (!parseArgs(parser, {"export", "FILE.db [FILE.db ...] --format F -o OUT",
                            "Export profile files in a survey software's layout. Survey formats carry the "
                            "merged, smoothed profile, depths strictly increasing, thinned within "
                            "0.05 m/s; times in UTC."}, args, -1))
        return kOk;
    const QStringList inputs = parser.positionalArguments();
    ExportOptions o;
    o.format = requiredValue(parser, "format");
    const QString output = requiredValue(parser, "o");
    o.settings = loadSettings(parser);
    o.survey = surveyFormatFromName(o.format);
    if (!o.survey && o.format != "csv" && o.format != "vel" && o.format != "avg-csv")
        fail("--format: unknown format " + o.format);
    for (const char* option : {"position", "utc-offset", "max-points"})
        if (parser.isSet(option) && !o.survey)
            fail(QStringLiteral("--%1: only for the survey formats").arg(option));
    if (parser.isSet("interval") && o.format != "avg-csv")
        fail("--interval: only for --format avg-csv");
    if (parser.isSet("interval"))
        o.interval = float(numberOption(parser.value("interval"), "interval"));
    if (parser.isSet("max-points")) {
        const double n = numberOption(parser.value("max-points"), "max-points");
        if (n < 2 || n != double(qint64(n)))
            fail("--max-points: a whole number of at least 2: " + parser.value("max-points"));
        o.maxPoints = std::size_t(n);
    }
    if (o.survey) {
        o.position = position(parser, o.settings);
        o.utcOffset = utcOffset(parser, o.settings);
    }

    const bool toFolder = inputs.size() > 1 || output.endsWith('/') || QFileInfo(output).isDir();
    if (toFolder && !QDir().mkpath(output))
        fail(output + ": the folder cannot be made");
    std::map<QString, QString> written;   // target -> the input it came from
    bool failed = false;
    for (const QString& path : inputs) {
        const QString target = toFolder ? QDir(output).filePath(QFileInfo(path).completeBaseName() + extension(o))
                                        : output;
        try {
            const QString key = QFileInfo(target).absoluteFilePath();
            if (const auto earlier = written.find(key); earlier != written.end())
                fail(path + ": " + target + " was already written for " + earlier->second);
            checkOutput(target, path, false);
            const QByteArray bytes = build(o, path, target);
            QString error;
            if (!writeFileAtomically(target, bytes, &error))
                fail(error);
            written[key] = path;
        } catch (const Failure& f) {
            // One bad input is reported and the others are still written.
            err("svptool export: " + f.message);
            failed = true;
        }
    }
    return failed ? kBadInput : kOk;
}

}  // namespace cli
