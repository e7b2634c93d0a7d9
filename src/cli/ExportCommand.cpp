// export: the window's export layouts of a profile file, byte for byte.
#include "cli/CliCommon.h"
#include "cli/ProfileCommands.h"
#include "storage/AtomicFile.h"
#include "output/Export.h"
#include "output/SurveyFormats.h"

namespace cli {

namespace {

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

}  // namespace

int runExport(const QStringList& args)
{
    QCommandLineParser parser;
    addIniOption(parser);
    parser.addOption({"format", "csv, vel, avg-csv, caris, asvp or vel3.", "F"});
    parser.addOption({"o", "The file to write (the name is used as given).", "OUT"});
    parser.addOption({"interval", "avg-csv: the sound-velocity interval in m/s (default 0).", "V"});
    parser.addOption({"position", "caris, asvp, vel3: latitude,longitude "
                                  "(default: [Position] of the settings).", "LAT,LON"});
    if (!parseArgs(parser, {"export", "FILE.db --format F -o OUT",
                            "Export a profile file in a survey software's layout."}, args, 1))
        return kOk;
    const QString path = parser.positionalArguments().front();
    const QString format = requiredValue(parser, "format");
    const QString output = requiredValue(parser, "o");
    const Settings settings = loadSettings(parser);
    if (parser.isSet("position") && !surveyFormatFromName(format))
        fail("--position: only for --format caris, asvp or vel3");
    if (parser.isSet("interval") && format != "avg-csv")
        fail("--interval: only for --format avg-csv");
    float interval = 0.0f;
    if (parser.isSet("interval"))
        interval = float(numberOption(parser.value("interval"), "interval"));

    ProfileDocument doc;
    loadProfile(doc, path);
    const RowsSnapshot rows = doc.shownRows();
    const bool average = doc.kind() == kKindAverage;
    QByteArray bytes;
    if (format == "avg-csv") {
        if (!average)
            fail(path + ": avg-csv needs an average profile (kind 64)");
        bytes = exportAverageCsv(*rows, settings.outputFormat, interval);
    } else {
        // Average velocities read as sound velocities would bend every ray: the
        // window offers only the average layout for them, and so do we.
        if (average)
            fail(path + ": an average profile exports only as avg-csv");
        if (format == "csv") {
            bytes = exportCommaCsv(*rows, settings.outputFormat);
        } else if (format == "vel") {
            bytes = exportHypackVel(*rows);
        } else if (const std::optional<SurveyFormat> survey = surveyFormatFromName(format)) {
            SurveyHeader header;
            header.fileName = output;
            header.date = rows->front().dt;
            header.position = position(parser, settings);
            QString error;
            if (!exportSurveyFormat(*survey, *rows, header, &bytes, &error))
                fail(path + ": " + error);
        } else {
            fail("--format: unknown format " + format);
        }
    }
    checkOutput(output, path, false);
    QString error;
    if (!writeFileAtomically(output, bytes, &error))
        fail(error);
    return kOk;
}

}  // namespace cli
