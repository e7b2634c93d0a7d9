#include "cli/ProfileCommands.h"
#include "cli/CliCommon.h"
#include "document/ProfileDocument.h"
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

// The merged profile as the window holds it: built from a raw cast, or a
// stored merged profile's own rows.
void mergedProfile(ProfileDocument& doc, const QString& path)
{
    if (doc.kind() == kKindAverage)
        fail(path + ": an average profile holds no merged profile");
    doc.draw();
    if (doc.kind() == kKindMerged)
        return;
    if (const Status built = doc.buildMergedProfile(); !built)
        fail(path + ": " + built.message());
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
    ProfileDocument doc;
    loadProfile(doc, path);
    double lo = 0, hi = 0;
    bool any = false;
    for (int i = 0; i < doc.rowCount(); ++i) {
        const std::optional<double>& depth = doc.row(i).depth;
        if (!finite(depth))
            continue;
        lo = any ? std::min(lo, *depth) : *depth;
        hi = any ? std::max(hi, *depth) : *depth;
        any = true;
    }
    const QString date = doc.date().isValid() ? fmt::formatDateTime("yyyy-mm-dd hh:nn:ss", doc.date()) : QString();
    const QString range = any
        ? fmt::formatFloat("0.00", lo) + " .. " + fmt::formatFloat("0.00", hi) : QString();
    out(QStringLiteral("kind: %1\ndescription: %2\ndate: %3\nrows: %4\ndepth: %5\nformat: %6\n")
            .arg(kindName(doc.kind()), doc.description(), date)
            .arg(doc.rowCount())
            .arg(range, doc.isLegacy() ? "old Paradox" : "current"));
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
    ProfileDocument doc;
    loadProfile(doc, path);
    if (doc.kind() == kKindMerged)
        fail(path + ": already a merged profile");
    mergedProfile(doc, path);
    checkOutput(output, path, true);
    check(doc.saveMerged(output));
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
    ProfileDocument doc;
    loadProfile(doc, path);
    mergedProfile(doc, path);
    if (const Result<SeriesPoint> last = doc.computeAverage(from); !last)
        fail(path + ": " + last.message());
    checkOutput(output, path, true);
    check(doc.saveAverage(output));
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
    ProfileDocument doc;
    loadProfile(doc, path);
    if (!doc.isLegacy())
        fail(path + ": not an old Paradox profile file");
    checkOutput(output, path, true);
    check(doc.convertTo(output));
    return kOk;
}

}  // namespace cli
