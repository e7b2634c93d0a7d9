// One writer per survey format. Each follows the public document named in
// its comment; every text passes asciiText, so the bytes are plain ASCII.
#include "output/SurveyWriters.h"
#include "text/Format.h"
#include <QFileInfo>
#include <QtEndian>
#include <cmath>
#include <cstring>

namespace survey {

namespace {

constexpr char kEnd[] = "\r\n";
constexpr char kProbe[] = "VX4400";

QString num(const char* pattern, double v) { return fmt::formatFloat(QString::fromLatin1(pattern), v); }

// Right-aligned in `width` columns, as printf's "%8.2f".
QString column(const char* pattern, double v, int width) { return num(pattern, v).rightJustified(width, ' '); }

// Formats with a temperature column have no empty value: 0 stands for none.
double temperatureOrZero(const SurveyPoint& p) { return std::isfinite(p.temperature) ? p.temperature : 0.0; }

// "VX4400 SN 4417", or "VX4400" when the device number is not known.
QString probeText(const SurveyHeader& h)
{
    const QString sn = asciiText(h.deviceNumber);
    return QString::fromLatin1(kProbe) + (sn.isEmpty() ? QString() : " SN " + sn);
}

QString twoDigits(qint64 v) { return QString("%1").arg(v, 2, 10, QChar('0')); }

// Degrees:minutes:seconds to the hundredth of a second of arc (about 0.3 m);
// the sign goes in front of the degrees, so -0.5 is "-00:30:00.00".
QString dms(double degrees, int degreeDigits)
{
    const qint64 hundredths = std::llround(std::fabs(degrees) * 360000.0);
    const QString sign = degrees < 0 && hundredths > 0 ? "-" : "";
    return sign + QString("%1").arg(hundredths / 360000, degreeDigits, 10, QChar('0')) + ":"
           + twoDigits(hundredths / 6000 % 60) + ":" + twoDigits(hundredths % 6000 / 100) + "."
           + twoDigits(hundredths % 100);
}

QByteArray ascii(const QString& text) { return text.toLatin1(); }

void appendLittleEndian(QByteArray& out, const void* value, std::size_t size)
{
    out.append(static_cast<const char*>(value), qsizetype(size));
}

template <typename T>
void put(QByteArray& out, T value)
{
    const T le = qToLittleEndian(value);
    appendLittleEndian(out, &le, sizeof le);
}

void putFloat(QByteArray& out, double value)
{
    const float f = float(value);
    quint32 bits = 0;
    std::memcpy(&bits, &f, sizeof bits);
    put(out, bits);
}

void putDouble(QByteArray& out, double value)
{
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    put(out, bits);
}

}  // namespace

// "CARIS HIPS and SIPS Help: SVP Editor, SVP Files": version line, file name,
// one "Section" line per profile (year-day of year, time, latitude and
// longitude, then the profile's comment), then depth and speed pairs.
QByteArray caris(const Cast& c)
{
    const GeoPosition& p = *c.header.position;
    // Some readers split the Section line at commas: the comment holds none.
    QString comment = asciiText(c.header.description).replace(',', ' ');
    comment = asciiText((comment.isEmpty() ? QString() : comment + ' ') + probeText(c.header));
    QString out = "[SVP_VERSION_2]" + QString(kEnd) + asciiText(QFileInfo(c.header.fileName).fileName()) + kEnd;
    out += "Section " + QString::number(c.utc.date().year()) + "-"
           + QString("%1").arg(c.utc.date().dayOfYear(), 3, 10, QChar('0')) + " " + c.utc.toString("HH:mm:ss") + " "
           + dms(p.latitude, 2) + " " + dms(p.longitude, 3) + " " + comment + kEnd;
    for (const SurveyPoint& x : c.points)
        out += num("0.00", x.depth) + " " + num("0.00", x.velocity) + kEnd;
    return ascii(out);
}

// Kongsberg SIS "Sound speed profile format" (.asvp): the header in brackets
// (file type, version, id, time, latitude, longitude, radius, validity from
// and to, source, history, number of values), then depth and sound speed. The
// source is one word: the probe and its device number go there.
QByteArray asvp(const Cast& c)
{
    const GeoPosition& p = *c.header.position;
    QString sn;
    for (const QChar ch : asciiText(c.header.deviceNumber))
        if (ch.isLetterOrNumber() || ch == '.' || ch == '-')
            sn += ch;
    const QString source = QString::fromLatin1(kProbe) + (sn.isEmpty() ? QString() : "_" + sn);
    QString out = "( SoundVelocity 1.0 0 " + c.utc.toString("yyyyMMddHHmm") + " " + num("0.0000000", p.latitude) + " "
                  + num("0.0000000", p.longitude) + " -1 0 0 " + source + " P " + QString::number(c.points.size())
                  + " )" + kEnd;
    for (const SurveyPoint& x : c.points)
        out += num("0.00", x.depth) + " " + num("0.00", x.velocity) + kEnd;
    return ascii(out);
}

// HYPACK sound velocity file with position: "FTP NEW 3", latitude and
// longitude in decimal degrees, time and date, then depth and velocity in the
// patterns of the plain "FTP NEW" layout. No room for a comment.
QByteArray hypack(const Cast& c)
{
    const GeoPosition& p = *c.header.position;
    QString out = "FTP NEW 3 " + num("0.000000", p.latitude) + " " + num("0.000000", p.longitude) + " "
                  + c.utc.toString("HH:mm MM/dd/yyyy") + kEnd;
    for (const SurveyPoint& x : c.points)
        out += num("000.0", x.depth) + " " + num("0000.0", x.velocity) + kEnd;
    return ascii(out);
}

// Sonardyne sound velocity profile (.pro), as laid out by "HydrOffice Sound
// Speed Manager: Sonardyne reader and writer" (hyo2_soundspeed,
// formats/readers/sonardyne.py, formats/writers/sonardyne.py): five header lines (title, date d/m/yyyy, time h:m:s, probe,
// comment), then depth, sound speed, salinity and temperature in columns of
// twelve with four decimals. The probe measures no salinity: 0.
QByteArray sonardyne(const Cast& c)
{
    const QString title = asciiText(c.header.description);
    QString out = (title.isEmpty() ? QString::fromLatin1(kProbe) + " sound velocity profile" : title) + kEnd;
    out += c.utc.toString("d/M/yyyy") + kEnd + c.utc.toString("H:m:s") + kEnd;
    out += "Probe: " + probeText(c.header) + kEnd;
    out += QString("Comment: time UTC, salinity not measured") + kEnd;
    for (const SurveyPoint& x : c.points)
        out += column("0.0000", x.depth, 12) + column("0.0000", x.velocity, 12) + column("0.0000", 0.0, 12)
               + column("0.0000", temperatureOrZero(x), 12) + kEnd;
    return ascii(out);
}

// QPS binary sound velocity profile (.bsvp) for Qinsy, as laid out by
// "HydrOffice Sound Speed Manager: QPS bsvp writer" (hyo2_soundspeed,
// formats/writers/qps.py), little-endian: the UTC time (seconds since 1970 as a double), latitude and
// longitude (doubles, decimal degrees) and the point count (int32), then per
// point the index (int32), depth, sound speed, temperature, salinity,
// pressure and conductivity (floats) and flags (uint32, 1 = observed). The
// probe gives neither salinity, pressure nor conductivity: 0.
QByteArray qps(const Cast& c)
{
    const GeoPosition& p = *c.header.position;
    QByteArray out;
    out.reserve(28 + qsizetype(c.points.size()) * 32);
    putDouble(out, double(c.utc.toSecsSinceEpoch()));
    putDouble(out, p.latitude);
    putDouble(out, p.longitude);
    put(out, qint32(c.points.size()));
    qint32 index = 0;
    for (const SurveyPoint& x : c.points) {
        put(out, index++);
        putFloat(out, x.depth);
        putFloat(out, x.velocity);
        putFloat(out, temperatureOrZero(x));
        for (int unmeasured = 0; unmeasured < 3; ++unmeasured)
            putFloat(out, 0.0);
        put(out, quint32(1));
    }
    return out;
}

// ELAC sound velocity file (.sva) for Hydrostar, as laid out by "HydrOffice
// Sound Speed Manager: ELAC reader and writer" (hyo2_soundspeed,
// formats/readers/elac.py, formats/writers/elac.py): "#" header lines naming the columns and their units, ".profile 0",
// then depth, velocity, temperature, salinity and conductivity in columns of
// 8 and 10 with two decimals. Further "#" lines carry the station, the probe
// and the time; salinity and conductivity are not measured: 0.
QByteArray elac(const Cast& c)
{
    QString out = QString("# depth   veloc.    temp.     salin.    cond.") + kEnd;
    out += QString("# [m]     [m/s]     [degC]    [o/oo]    [mmho/cm]") + kEnd;
    const QString station = asciiText(c.header.description);
    if (!station.isEmpty())
        out += "# station: " + station + kEnd;
    out += "# probe: " + probeText(c.header) + kEnd;
    out += "# time: " + c.utc.toString("yyyy-MM-dd HH:mm:ss") + " UTC" + kEnd;
    out += QString(kEnd) + ".profile 0" + kEnd;
    for (const SurveyPoint& x : c.points)
        out += column("0.00", x.depth, 8) + column("0.00", x.velocity, 10) + column("0.00", temperatureOrZero(x), 10)
               + column("0.00", 0.0, 10) + column("0.00", 0.0, 10) + kEnd;
    return ascii(out);
}

namespace {

// A field of "Common Format and MIME Type for Comma-Separated Values (CSV)
// Files" (RFC 4180): quoted when it holds a comma or a quote.
QString csvField(const QString& text)
{
    if (!text.contains(',') && !text.contains('"'))
        return text;
    return '"' + QString(text).replace("\"", "\"\"") + '"';
}

}  // namespace

// Comma-separated values per RFC 4180 (header row, CR LF line ends), one row
// per point with the cast's UTC date and time and its position in decimal
// degrees, so that a GIS's delimited-text import places every point.
QByteArray gisCsv(const Cast& c)
{
    const GeoPosition& p = *c.header.position;
    const QString lead = c.utc.toString("yyyy-MM-dd") + "," + c.utc.toString("HH:mm:ss") + ","
                         + num("0.0000000", p.latitude) + "," + num("0.0000000", p.longitude) + ",";
    const QString tail = "," + csvField(asciiText(c.header.description)) + "," + csvField(probeText(c.header)) + kEnd;
    QString out = QString("date_utc,time_utc,latitude,longitude,depth_m,velocity_m_s,temperature_c,station,probe") + kEnd;
    for (const SurveyPoint& x : c.points)
        out += lead + num("0.00", x.depth) + "," + num("0.00", x.velocity) + ","
               + (std::isfinite(x.temperature) ? num("0.00", x.temperature) : QString()) + tail;
    return ascii(out);
}

}  // namespace survey
