// import-csv: a raw cast from "depth,velocity,temperature" lines.
#include "cli/CliCommon.h"
#include "cli/ProfileCommands.h"
#include "text/Format.h"
#include "text/Gbk.h"
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <cmath>

namespace cli {

namespace {

// UTF-8 when the bytes are valid UTF-8, else code page 936 (older exports).
QString decodeText(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (utf8.hasError())
        text = fromGbk(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

bool parseLine(const QString& line, double v[3])
{
    const QStringList parts = line.split(QLatin1Char(','));
    if (parts.size() != 3)
        return false;
    for (int i = 0; i < 3; ++i)
        if (!fmt::parseFloat(parts[i], &v[i]) || !std::isfinite(v[i]))
            return false;
    return true;
}

// A header names its columns; a first line starting with a number is data.
bool isHeader(const QString& line)
{
    double v = 0;
    return !fmt::parseFloat(line.section(QLatin1Char(','), 0, 0), &v);
}

// The value the live recording stores: that of its "0.00" text.
double asRecorded(double v)
{
    double stored = 0.0;
    fmt::parseFloat(fmt::formatFloat(QStringLiteral("0.00"), v), &stored);
    return stored;
}

QDateTime dateOption(const QString& text)
{
    for (const char* pattern : {"yyyy-MM-dd hh:mm:ss", "yyyy-MM-dd hh:mm", "yyyy-MM-ddThh:mm:ss"}) {
        const QDateTime dt = QDateTime::fromString(text.trimmed(), QString::fromLatin1(pattern));
        if (dt.isValid())
            return dt;
    }
    fail("--date: not a date \"yyyy-MM-dd hh:mm[:ss]\": " + text);
}

}  // namespace

int runImportCsv(const QStringList& args)
{
    QCommandLineParser parser;
    addIniOption(parser);
    parser.addOption({"o", "The raw cast file to write.", "OUT.db"});
    parser.addOption({"description", "Station description, stored on the first row.", "TEXT"});
    parser.addOption({"date", "Time of the cast, \"yyyy-MM-dd hh:mm[:ss]\" "
                              "(default: the modification time of IN.csv).", "DATE"});
    if (!parseArgs(parser, {"import-csv", "IN.csv --description TEXT -o OUT.db",
                            "Make a raw cast from depth,velocity,temperature lines."}, args, 1))
        return kOk;
    const QString path = parser.positionalArguments().front();
    const QString output = requiredValue(parser, "o");
    const QString description = parser.value("description");
    if (description.size() > 255)
        fail("--description: longer than 255 characters");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(path + ": " + file.errorString());
    // An import has no sample times: the cast's time goes on the first row only.
    const QDateTime date = parser.isSet("date")
        ? dateOption(parser.value("date"))
        : QFileInfo(file).lastModified();
    const QStringList lines = decodeText(file.readAll()).split(QLatin1Char('\n'));

    std::vector<ProfileRow> rows;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty())
            continue;
        double v[3];
        if (!parseLine(line, v)) {
            if (i == 0 && isHeader(line))
                continue;
            fail(QStringLiteral("%1:%2: not three numbers depth,velocity,temperature").arg(path).arg(i + 1));
        }
        ProfileRow r;
        r.depth = asRecorded(v[0]);
        r.velocity = asRecorded(v[1]);
        r.temp = asRecorded(v[2]);
        r.status = 0;
        if (rows.empty()) {
            r.dt = QDateTime(date.date(), QTime(date.time().hour(), date.time().minute(), date.time().second()));
            r.discrip = description;
        }
        rows.push_back(r);
    }
    if (rows.empty())
        fail(path + ": no depth,velocity,temperature lines");
    checkOutput(output, path, true);
    saveProfile(output, rows);
    return kOk;
}

}  // namespace cli
