#include "settings/Settings.h"
#include "text/Format.h"
#include "settings/IniFile.h"
#include <cmath>

namespace {

const QString kRecord = QStringLiteral("Record");
const QString kSerial = QStringLiteral("Serial Port");
const QString kDepth = QStringLiteral("Depth");
const QString kSound = QStringLiteral("Sound Velocity");
const QString kTemp = QStringLiteral("Temperature");
const QString kSn = QStringLiteral("SN");
const QString kPosition = QStringLiteral("Position");
const QString kProbeClock = QStringLiteral("Probe Clock");

// The members are 32-bit floats; a value beyond their range is no value.
float readSingle(const IniFile& ini, const QString& section, const QString& key, float def)
{
    const auto v = static_cast<float>(ini.readFloat(section, key, def));
    return std::isfinite(v) ? v : def;
}

void writeSingle(IniFile& ini, const QString& section, const QString& key, float v)
{
    ini.writeFloat(section, key, static_cast<double>(v));
}

}  // namespace

Settings Settings::load(const IniFile& ini)
{
    Settings s;
    s.path = ini.readString(kRecord, "Path", QString());
    s.mode = ini.readInteger(kRecord, "Mode", 0);
    s.factory = ini.readString(kRecord, "Factory", "No") == QLatin1String("Yes");
    if (s.factory && s.mode == 0)
        s.mode = 1;
    s.distanceInterval = ini.readInteger(kRecord, "Distance Interval", 5);
    s.timeInterval = ini.readInteger(kRecord, "Time Interval", 1);
    s.memorySize = ini.readInteger(kRecord, "Size", 32704);
    s.outputFormat = ini.readString(kRecord, "Output Format", "0.0") == QLatin1String("0.00")
                         ? QStringLiteral("0.00")
                         : QStringLiteral("0.0");
    s.draught = readSingle(ini, kRecord, "Draught", 0.8f);
    s.portNo = ini.readInteger(kSerial, "Port No.", 1);
    for (int n = 1; n <= 16; ++n)
        s.deviceOverride[n] = ini.readString(kSerial, QStringLiteral("Device %1").arg(n), QString());
    s.selfPage = ini.readString(kRecord, "Self", "No") == QLatin1String("Yes");
    // Compared as the float member, as the window holds it.
    s.density = readSingle(ini, kDepth, "Density", 1.0f);
    if (!(static_cast<double>(s.density) >= 0.8))
        s.density = 1.0f;
    s.atmosphere = readSingle(ini, kDepth, "Atmosphere", 10400.0f);
    s.cal.lf2048 = static_cast<float>(ini.readInteger(kSound, "LF2048", 0));
    s.cal.tf2048 = readSingle(ini, kSound, "TF2048", 0.0f);
    s.cal.pa0 = readSingle(ini, kDepth, "PA0", 1000.0f);
    s.cal.pa1 = readSingle(ini, kDepth, "PA1", 2.2f);
    s.cal.pa2 = readSingle(ini, kDepth, "PA2", 2.08e-07f);
    float* ta[] = {&s.cal.ta0, &s.cal.ta1, &s.cal.ta2, &s.cal.ta3, &s.cal.ta4, &s.cal.ta5};
    for (int i = 0; i < 6; ++i)
        *ta[i] = readSingle(ini, kTemp, QStringLiteral("TA%1").arg(i), *ta[i]);
    s.sn = ini.readString(kSn, "SN", QString());
    s.latitude = ini.readString(kPosition, "Latitude", QString());
    s.longitude = ini.readString(kPosition, "Longitude", QString());
    s.utcOffset = ini.readString(kProbeClock, "UTC Offset", QString());
    return s;
}

bool Settings::save(IniFile& ini, const QString& densityText, QString* error) const
{
    if (!path.isEmpty())
        ini.writeString(kRecord, "Path", path);
    ini.writeInteger(kRecord, "Mode", mode);
    ini.writeInteger(kRecord, "Distance Interval", distanceInterval);
    ini.writeInteger(kRecord, "Time Interval", timeInterval);
    ini.writeInteger(kRecord, "Size", memorySize);
    writeSingle(ini, kRecord, "Draught", draught);
    ini.writeInteger(kSerial, "Port No.", portNo);
    ini.writeString(kSn, "SN", sn);
    writeSingle(ini, kDepth, "Atmosphere", atmosphere);
    writeSingle(ini, kSound, "LF2048", cal.lf2048);
    writeSingle(ini, kSound, "TF2048", cal.tf2048);
    writeSingle(ini, kDepth, "PA0", cal.pa0);
    writeSingle(ini, kDepth, "PA1", cal.pa1);
    writeSingle(ini, kDepth, "PA2", cal.pa2);
    const float ta[] = {cal.ta0, cal.ta1, cal.ta2, cal.ta3, cal.ta4, cal.ta5};
    for (int i = 0; i < 6; ++i)
        writeSingle(ini, kTemp, QStringLiteral("TA%1").arg(i), ta[i]);
    // The edit's text at full precision ("1.025", not the float's digits);
    // a text that is no number leaves the density in use.
    double typed = 0;
    if (fmt::parseFloat(densityText, &typed))
        ini.writeFloat(kDepth, "Density", typed);
    else
        writeSingle(ini, kDepth, "Density", density);
    if (!latitude.isEmpty() || ini.readString(kPosition, "Latitude"))
        ini.writeString(kPosition, "Latitude", latitude);
    if (!longitude.isEmpty() || ini.readString(kPosition, "Longitude"))
        ini.writeString(kPosition, "Longitude", longitude);
    if (!utcOffset.isEmpty() || ini.readString(kProbeClock, "UTC Offset"))
        ini.writeString(kProbeClock, "UTC Offset", utcOffset);
    return ini.save(error);
}

QString settingsFilePath(const QString& executablePath)
{
    const qsizetype slash = std::max(executablePath.lastIndexOf('/'), executablePath.lastIndexOf('\\'));
    const qsizetype dot = executablePath.lastIndexOf('.');
    // A dot in a directory name or a leading dot (a hidden file) is no extension.
    const bool hasExtension = dot > slash + 1;
    return (hasExtension ? executablePath.left(dot) : executablePath) + QStringLiteral(".INI");
}

QString dataDirectory(const QString& executablePath)
{
    const qsizetype slash = std::max(executablePath.lastIndexOf('/'), executablePath.lastIndexOf('\\'));
    const QString dir = slash < 0 ? QStringLiteral(".") : executablePath.left(slash);
    return dir + QStringLiteral("/SVPData/");
}
