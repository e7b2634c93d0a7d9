// import-csv: a raw cast from "depth,velocity,temperature" lines.
#include "cli/CliCommon.h"
#include "cli/ProfileCommands.h"
#include "text/Format.h"
#include "text/Gbk.h"
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <algorithm>
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

// Exactly three fields, each a number parseFloat takes.
bool parseLine(QStringView line, double v[3])
{
    qsizetype start = 0;
    for (int i = 0; i < 3; ++i) {
        const qsizetype end = i < 2 ? line.indexOf(u',', start) : line.size();
        if (end < 0)
            return false;
        // A fourth field leaves a comma in the third, which no number takes.
        if (!fmt::parseFloat(line.mid(start, end - start), &v[i]) || !std::isfinite(v[i]))
            return false;
        start = end + 1;
    }
    return true;
}

// A header names its columns; a first line starting with a number is data.
bool isHeader(QStringView line)
{
    const qsizetype comma = line.indexOf(u',');
    double v = 0;
    return !fmt::parseFloat(comma < 0 ? line : line.left(comma), &v);
}

// The value the live recording stores: that of its "0.00" text.
double asRecorded(double v)
{
    return fmt::roundedValue(v, 2);
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
    const QString text = decodeText(file.readAll());
    file.close();

    // Lines are read in place: a list of a million line strings costs more than
    // the numbers in them.
    std::vector<ProfileRow> rows;
    rows.reserve(size_t(std::count(text.cbegin(), text.cend(), QLatin1Char('\n'))) + 1);
    qsizetype lineNo = 0;
    for (qsizetype at = 0; at <= text.size(); ++lineNo) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), at);
        if (end < 0)
            end = text.size();
        const QStringView line = QStringView(text).mid(at, end - at).trimmed();
        at = end + 1;
        if (line.isEmpty())
            continue;
        double v[3];
        if (!parseLine(line, v)) {
            if (lineNo == 0 && isHeader(line))
                continue;
            fail(QStringLiteral("%1:%2: not three numbers depth,velocity,temperature").arg(path).arg(lineNo + 1));
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
        rows.push_back(std::move(r));
    }
    if (rows.empty())
        fail(path + ": no depth,velocity,temperature lines");
    checkOutput(output, path, true);
    saveProfile(output, rows);
    return kOk;
}

}  // namespace cli
