// svptool: the client's batch work on the command line, over the same core
// library as the window. Exit code 0 done, 2 bad input or data (one line on
// standard error); an output file is written whole or not at all.
#include "cli/CliCommon.h"
#include "cli/ProbeCommands.h"
#include "cli/ProfileCommands.h"
#include <QCoreApplication>
#include <QLocale>
#include <exception>
#include <functional>
#include <vector>

namespace {

struct Subcommand
{
    const char* name;
    std::function<int(const QStringList&)> run;
    const char* summary;
};

const std::vector<Subcommand>& subcommands()
{
    static const std::vector<Subcommand> all = {
        {"info", cli::runInfo, "FILE.db: kind, description, date, rows, depth range, format"},
        {"export", cli::runExport, "FILE.db... --format csv|vel|avg-csv|caris|asvp|vel3|pro|bsvp|sva|gis-csv -o OUT"},
        {"merge", cli::runMerge, "FILE.db -o OUT.db: the merged, smoothed profile of a raw cast"},
        {"average", cli::runAverage, "FILE.db --from DEPTH -o OUT.db: the average profile"},
        {"import-csv", cli::runImportCsv, "IN.csv --description TEXT -o OUT.db: a raw cast"},
        {"convert", cli::runConvert, "OLD.db -o NEW.db: an old Paradox file to the current format"},
        {"list", cli::runList, "--port N | --simulate: the probe's stored recordings"},
        {"upload", cli::runUpload, "--dir DIR --port N | --simulate: upload every recording"},
    };
    return all;
}

QString usage()
{
    QString text = "Usage: svptool COMMAND [options]; svptool COMMAND --help for its options.\n\nCommands:\n";
    for (const Subcommand& c : subcommands())
        text += QStringLiteral("  %1 %2\n").arg(QString::fromLatin1(c.name), -11).arg(QString::fromLatin1(c.summary));
    text += "\nSettings (density, calibration, Output Format, [Serial Port] Device N, [Position],\n"
            "[Probe Clock] UTC Offset) come from --ini FILE, else from the window's file svclient.INI:\n"
            "beside svptool when it is there or svptool's directory is writable, else\n"
            "~/.config/svclient/svclient.INI. svptool never writes it.\n"
            "Exit code 0 done, 2 bad input or data, with one line on standard error. Output files\n"
            "are written whole or not at all; a raw recording or an old file is never replaced.\n";
    return text;
}

}  // namespace

int main(int argc, char** argv)
{
    // Dates read and print with "-" and "yyyy-MM-dd", as in the window.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("svptool");
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty()) {
        cli::err("usage: svptool COMMAND [options] (svptool --help lists the commands)");
        return cli::kBadInput;
    }
    if (args.front() == "-h" || args.front() == "--help") {
        cli::out(usage());
        return cli::kOk;
    }
    const QString name = args.takeFirst();
    for (const Subcommand& c : subcommands()) {
        if (name != QLatin1String(c.name))
            continue;
        try {
            return c.run(args);
        } catch (const cli::Failure& f) {
            cli::err("svptool " + name + ": " + f.message);
        } catch (const std::exception& e) {
            cli::err("svptool " + name + ": " + QString::fromUtf8(e.what()));
        }
        return cli::kBadInput;
    }
    cli::err("svptool: unknown command " + name + " (svptool --help lists them)");
    return cli::kBadInput;
}
