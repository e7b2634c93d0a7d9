#include "output/SurveyFormats.h"
#include "text/Format.h"
#include "text/Gbk.h"
#include <QFileInfo>
#include <QStringList>
#include <cmath>

namespace {

constexpr char kProbe[] = "VX4400";

struct Sample
{
    double depth, velocity;
};

std::vector<Sample> samples(const std::vector<ProfileRow>& rows)
{
    std::vector<Sample> out;
    out.reserve(rows.size());
    for (const ProfileRow& r : rows)
        if (r.depth && r.velocity && std::isfinite(*r.depth) && std::isfinite(*r.velocity))
            out.push_back({*r.depth, *r.velocity});
    return out;
}

QString twoDigits(int v) { return QString("%1").arg(v, 2, 10, QChar('0')); }

// Degrees:minutes:seconds to the whole second (about 30 m); the sign goes in
// front of the degrees, so -0.5 is "-00:30:00".
QString dms(double degrees, int degreeDigits)
{
    const qint64 seconds = std::llround(std::fabs(degrees) * 3600.0);
    const QString sign = degrees < 0 && seconds > 0 ? "-" : "";
    return sign + QString("%1").arg(seconds / 3600, degreeDigits, 10, QChar('0')) + ":"
           + twoDigits(int(seconds / 60 % 60)) + ":" + twoDigits(int(seconds % 60));
}

QByteArray caris(const std::vector<Sample>& s, const SurveyHeader& h, const QDateTime& utc)
{
    const GeoPosition& p = *h.position;
    QString out = "[SVP_VERSION_2]\n" + QFileInfo(h.fileName).fileName() + "\n";
    out += "Section " + QString::number(utc.date().year()) + "-"
           + QString("%1").arg(utc.date().dayOfYear(), 3, 10, QChar('0')) + " "
           + utc.toString("HH:mm:ss") + " " + dms(p.latitude, 2) + " " + dms(p.longitude, 3) + "\n";
    for (const Sample& x : s)
        out += fmt::formatFloat("0.00", x.depth) + " " + fmt::formatFloat("0.00", x.velocity) + "\n";
    return toGbk(out);
}

QByteArray asvp(const std::vector<Sample>& s, const SurveyHeader& h, const QDateTime& utc)
{
    const GeoPosition p = h.position.value_or(GeoPosition{});
    QString out = "( SoundVelocity 1.0 0 " + utc.toString("yyyyMMddHHmm") + " "
                  + fmt::formatFloat("0.0000000", p.latitude) + " "
                  + fmt::formatFloat("0.0000000", p.longitude) + " -1 0 0 " + kProbe + " P "
                  + QString::number(s.size()) + " )\n";
    for (const Sample& x : s)
        out += fmt::formatFloat("0.00", x.depth) + " " + fmt::formatFloat("0.00", x.velocity) + "\n";
    return toGbk(out);
}

QByteArray hypack(const std::vector<Sample>& s, const SurveyHeader& h, const QDateTime& utc)
{
    const GeoPosition& p = *h.position;
    QString out = "FTP NEW 3 " + fmt::formatFloat("0.000000", p.latitude) + " "
                  + fmt::formatFloat("0.000000", p.longitude) + " " + utc.toString("HH:mm MM/dd/yyyy")
                  + "\n";
    for (const Sample& x : s)
        out += fmt::formatFloat("000.0", x.depth) + " " + fmt::formatFloat("0000.0", x.velocity) + "\n";
    return toGbk(out);
}

// Degrees as a decimal number or D:M[:S]; minutes and seconds below 60.
std::optional<double> parseDegrees(const QString& text)
{
    const QStringList parts = text.trimmed().split(':');
    if (parts.size() > 3)
        return {};
    double value = 0;
    if (parts.size() == 1)
        return fmt::parseFloat(parts[0], &value) ? std::optional(value) : std::nullopt;
    const QString degText = parts[0].trimmed();
    if (!fmt::parseFloat(degText, &value) || value != std::trunc(value))
        return {};
    double magnitude = std::fabs(value);
    for (int i = 1; i < parts.size(); ++i) {
        double v = 0;
        if (!fmt::parseFloat(parts[i], &v) || v < 0 || v >= 60 || parts[i].contains('-'))
            return {};
        magnitude += v / (i == 1 ? 60.0 : 3600.0);
    }
    return degText.startsWith('-') ? -magnitude : magnitude;
}

}  // namespace

std::optional<GeoPosition> parsePosition(const QString& text)
{
    const QStringList parts = text.split(',');
    if (parts.size() != 2)
        return {};
    const std::optional<double> lat = parseDegrees(parts[0]);
    const std::optional<double> lon = parseDegrees(parts[1]);
    if (!lat || !lon || std::fabs(*lat) > 90 || std::fabs(*lon) > 180)
        return {};
    return GeoPosition{*lat, *lon};
}

std::optional<SurveyFormat> surveyFormatFromName(const QString& name)
{
    if (name == "caris")
        return SurveyFormat::CarisSvp;
    if (name == "asvp")
        return SurveyFormat::KongsbergAsvp;
    if (name == "vel3")
        return SurveyFormat::HypackVelPosition;
    return {};
}

QString surveyFormatExtension(SurveyFormat format)
{
    switch (format) {
    case SurveyFormat::CarisSvp: return ".svp";
    case SurveyFormat::KongsbergAsvp: return ".asvp";
    case SurveyFormat::HypackVelPosition: return ".vel";
    }
    return {};
}

bool surveyFormatNeedsPosition(SurveyFormat format)
{
    return format != SurveyFormat::KongsbergAsvp;
}

bool exportSurveyFormat(SurveyFormat format, const std::vector<ProfileRow>& rows,
                        const SurveyHeader& header, QByteArray* bytes, QString* error)
{
    bytes->clear();
    if (!header.date || !header.date->isValid()) {
        *error = "the profile has no date";
        return false;
    }
    if (!header.position && surveyFormatNeedsPosition(format)) {
        *error = "this format needs the position of the cast";
        return false;
    }
    const QDateTime utc = header.date->toUTC();
    const std::vector<Sample> s = samples(rows);
    switch (format) {
    case SurveyFormat::CarisSvp: *bytes = caris(s, header, utc); break;
    case SurveyFormat::KongsbergAsvp: *bytes = asvp(s, header, utc); break;
    case SurveyFormat::HypackVelPosition: *bytes = hypack(s, header, utc); break;
    }
    return true;
}

QString surveyFormatFilter()
{
    return QStringLiteral("|CARIS格式(*.svp)|*.SVP|Kongsberg格式(*.asvp)|*.ASVP|HYPACK含位置格式(*.vel)|*.VEL");
}
