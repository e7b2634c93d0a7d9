#include "output/Export.h"
#include "text/Format.h"
#include "text/Gbk.h"
#include <cmath>
#include <QCoreApplication>

namespace {

bool usable(const std::optional<double>& v)
{
    return v && std::isfinite(*v);
}

bool hasAllValues(const ProfileRow& r)
{
    return usable(r.depth) && usable(r.velocity) && usable(r.temp);
}

QByteArray titleLine(const std::vector<ProfileRow>& rows)
{
    const ProfileRow first = rows.empty() ? ProfileRow{} : rows.front();
    return toGbk(profileTitle(first.discrip, first.dt) + '\n');
}

// Numbers are plain ASCII, so their lines need no code-page conversion.
void appendCsvLine(QByteArray& out, const fmt::FloatFormat& format, double depth,
                   double velocity, double temp)
{
    format.appendLatin1(out, depth);
    out += ',';
    format.appendLatin1(out, velocity);
    out += ',';
    format.appendLatin1(out, temp);
    out += '\n';
}

}  // namespace

QString profileTitle(const std::optional<QString>& description,
                     const std::optional<QDateTime>& date)
{
    const QString when = date && date->isValid()
        ? fmt::formatDateTime(QStringLiteral("yy-m-d hh:mm"), *date) : QString();
    return description.value_or(QString()) + '(' + when + ')';
}

QByteArray exportCommaCsv(const std::vector<ProfileRow>& rows, const QString& outputFormat)
{
    QByteArray out = titleLine(rows);
    out += "Depth,Sound Velocity,Temperature\n";
    out.reserve(out.size() + qsizetype(rows.size()) * 24);
    const fmt::FloatFormat format(outputFormat);
    for (const ProfileRow& r : rows)
        if (hasAllValues(r))
            appendCsvLine(out, format, *r.depth, *r.velocity, *r.temp);
    return out;
}

QByteArray exportHypackVel(const std::vector<ProfileRow>& rows)
{
    QByteArray out = "FTP NEW\n";
    out.reserve(out.size() + qsizetype(rows.size()) * 14);
    const fmt::FloatFormat depthFormat(QStringLiteral("000.0"));
    const fmt::FloatFormat velocityFormat(QStringLiteral("0000.0"));
    for (const ProfileRow& r : rows) {
        if (usable(r.depth) && usable(r.velocity)) {
            depthFormat.appendLatin1(out, *r.depth);
            out += ' ';
            velocityFormat.appendLatin1(out, *r.velocity);
            out += '\n';
        }
    }
    return out;
}

QByteArray exportAverageCsv(const std::vector<ProfileRow>& rows, const QString& outputFormat,
                            float interval)
{
    QByteArray out = titleLine(rows);
    out += toGbk(QStringLiteral("深度,平均声速,温度\n"));
    const fmt::FloatFormat format(outputFormat);
    float last = 0.0f;
    for (const ProfileRow& r : rows) {
        if (!hasAllValues(r))
            continue;
        // Against the last velocity written, held as a 32-bit float.
        if (std::fabs(*r.velocity - double(last)) >= double(interval)) {
            last = float(*r.velocity);
            appendCsvLine(out, format, *r.depth, double(last), *r.temp);
        }
    }
    return out;
}

QString exportFileName(const QString& chosen, const QString& ext)
{
    const qsizetype slash = std::max(chosen.lastIndexOf('/'), chosen.lastIndexOf('\\'));
    const qsizetype dot = chosen.lastIndexOf('.');
    if (dot > slash)
        return chosen.left(dot) + ext;
    return chosen + ext;
}

QString exportFilter(int profileKind)
{
    if (profileKind == kKindAverage)
        return QCoreApplication::translate("Export", "Vantrel软件格式(*.csv)|*.CSV");
    return QCoreApplication::translate("Export", "逗号分隔符文件(*.csv)|*.CSV|HYPACK格式(*.vel)|*.VEL");
}
