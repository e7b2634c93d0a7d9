#include "output/SurveyFormats.h"
#include "output/SurveyWriters.h"
#include "text/Format.h"
#include <QStringList>
#include <QTimeZone>
#include <cmath>
#include <QCoreApplication>

namespace {

struct FormatInfo
{
    SurveyFormat format;
    const char* name;
    const char* entry;
    const char* extension;
    bool needsPosition;
    double depthStep;
    std::size_t maxPoints;
};

// Kongsberg's acquisition takes at most 1000 entries (570 on its oldest
// echosounders: the command line's --max-points). HYPACK's rows hold depths
// to 0.1 m, the others to 0.01 m.
const FormatInfo kFormats[] = {
    {SurveyFormat::CarisSvp, "caris", QT_TRANSLATE_NOOP("SurveyFormats", "CARIS格式(*.svp)|*.SVP"), ".svp", true, 0.01, kNoPointLimit},
    {SurveyFormat::KongsbergAsvp, "asvp", QT_TRANSLATE_NOOP("SurveyFormats", "Kongsberg格式(*.asvp)|*.ASVP"), ".asvp", true, 0.01, 1000},
    {SurveyFormat::HypackVelPosition, "vel3", QT_TRANSLATE_NOOP("SurveyFormats", "HYPACK含位置格式(*.vel)|*.VEL"), ".vel", true, 0.1, kNoPointLimit},
    {SurveyFormat::SonardynePro, "pro", QT_TRANSLATE_NOOP("SurveyFormats", "Sonardyne格式(*.pro)|*.PRO"), ".pro", false, 0.01, kNoPointLimit},
    {SurveyFormat::QpsBsvp, "bsvp", QT_TRANSLATE_NOOP("SurveyFormats", "QPS格式(*.bsvp)|*.BSVP"), ".bsvp", true, 0.01, kNoPointLimit},
    {SurveyFormat::ElacSva, "sva", QT_TRANSLATE_NOOP("SurveyFormats", "ELAC格式(*.sva)|*.SVA"), ".sva", false, 0.01, kNoPointLimit},
    {SurveyFormat::GisCsv, "gis-csv", QT_TRANSLATE_NOOP("SurveyFormats", "GIS逗号分隔符文件(*.csv)|*.CSV"), ".csv", true, 0.01, kNoPointLimit},
};

const FormatInfo& info(SurveyFormat format)
{
    for (const FormatInfo& f : kFormats)
        if (f.format == format)
            return f;
    return kFormats[0];
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

QString hoursMinutes(int minutes)
{
    const int m = std::abs(minutes);
    return QString(minutes < 0 ? '-' : '+') + QString("%1:%2").arg(m / 60, 2, 10, QChar('0')).arg(m % 60, 2, 10, QChar('0'));
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

std::optional<int> parseUtcOffset(const QString& text)
{
    QString t = text.trimmed();
    int sign = 1;
    if (t.startsWith('+') || t.startsWith('-')) {
        sign = t.startsWith('-') ? -1 : 1;
        t = t.mid(1);
    }
    if (t.isEmpty() || t.startsWith('+') || t.startsWith('-'))
        return {};
    double minutes = 0;
    const QStringList parts = t.split(':');
    double v = 0;
    if (parts.size() == 1) {
        if (!fmt::parseFloat(parts[0], &v) || !std::isfinite(v) || v < 0)
            return {};
        minutes = v * 60.0;
    } else if (parts.size() == 2) {
        bool hoursOk = false, minutesOk = false;
        const int h = parts[0].toInt(&hoursOk);
        const int m = parts[1].toInt(&minutesOk);
        if (!hoursOk || !minutesOk || h < 0 || m < 0 || m > 59 || parts[1].size() != 2)
            return {};
        minutes = h * 60.0 + m;
    } else {
        return {};
    }
    const long long whole = std::llround(minutes) * sign;
    if (whole < -12 * 60 || whole > 14 * 60)
        return {};
    return int(whole);
}

QString utcOffsetText(int minutes) { return "UTC" + hoursMinutes(minutes); }

QString utcOffsetSetting(int minutes) { return hoursMinutes(minutes); }

int computerUtcOffset(const QDateTime& when)
{
    return QDateTime(when.date(), when.time(), Qt::LocalTime).offsetFromUtc() / 60;
}

QDateTime castTimeUtc(const QDateTime& probeClock, std::optional<int> offsetMinutes)
{
    if (!offsetMinutes)
        return QDateTime(probeClock.date(), probeClock.time(), Qt::LocalTime).toUTC();
    return QDateTime(probeClock.date(), probeClock.time(), QTimeZone(*offsetMinutes * 60)).toUTC();
}

QString asciiText(const QString& text)
{
    QString out;
    bool blank = false;
    for (const QChar c : text.normalized(QString::NormalizationForm_KD)) {
        const char16_t u = c.unicode();
        if (c.isSpace()) {
            blank = !out.isEmpty();
            continue;
        }
        if (u < 0x21 || u > 0x7E)
            continue;   // combining accents, CJK, control characters
        if (blank)
            out += ' ';
        blank = false;
        out += c;
    }
    return out;
}

const std::vector<SurveyFormat>& surveyFormats()
{
    static const std::vector<SurveyFormat> all = [] {
        std::vector<SurveyFormat> v;
        for (const FormatInfo& f : kFormats)
            v.push_back(f.format);
        return v;
    }();
    return all;
}

std::optional<SurveyFormat> surveyFormatFromName(const QString& name)
{
    for (const FormatInfo& f : kFormats)
        if (name == QLatin1String(f.name))
            return f.format;
    return {};
}

QString surveyFormatName(SurveyFormat format) { return QString::fromLatin1(info(format).name); }

QString surveyFormatEntry(SurveyFormat format) { return QCoreApplication::translate("SurveyFormats", info(format).entry); }

QString surveyFormatFilter()
{
    QString filter;
    for (const FormatInfo& f : kFormats)
        filter += '|' + QCoreApplication::translate("SurveyFormats", f.entry);
    return filter;
}

QString surveyFormatExtension(SurveyFormat format) { return QString::fromLatin1(info(format).extension); }

bool surveyFormatNeedsPosition(SurveyFormat format) { return info(format).needsPosition; }

SurveyLimits surveyFormatLimits(SurveyFormat format)
{
    SurveyLimits limits;
    limits.depthStep = info(format).depthStep;
    limits.maxPoints = info(format).maxPoints;
    return limits;
}

Result<QByteArray> exportSurveyFormat(SurveyFormat format, const std::vector<SurveyPoint>& points,
                                      const SurveyHeader& header)
{
    if (!header.date || !header.date->isValid())
        return Status::failure(QT_TRANSLATE_NOOP("SurveyFormats", "数据文件的第一个记录没有时间，不能导出这种格式！"));
    if (!header.position && surveyFormatNeedsPosition(format))
        return Status::failure(QT_TRANSLATE_NOOP("SurveyFormats", "这种格式需要测点位置，请输入纬度和经度！"));
    if (points.size() < 2)
        return Status::failure(QT_TRANSLATE_NOOP("SurveyFormats", "处理后的声速剖面不足两个点，不能导出这种格式！"));
    const survey::Cast cast{points, header, castTimeUtc(*header.date, header.utcOffset)};
    switch (format) {
    case SurveyFormat::CarisSvp: return survey::caris(cast);
    case SurveyFormat::KongsbergAsvp: return survey::asvp(cast);
    case SurveyFormat::HypackVelPosition: return survey::hypack(cast);
    case SurveyFormat::SonardynePro: return survey::sonardyne(cast);
    case SurveyFormat::QpsBsvp: return survey::qps(cast);
    case SurveyFormat::ElacSva: return survey::elac(cast);
    case SurveyFormat::GisCsv: return survey::gisCsv(cast);
    }
    return QByteArray();
}
