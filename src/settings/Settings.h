#pragma once
#include "model/Calibration.h"
#include <QString>

class IniFile;

// Everything the settings file holds, as the window's members keep it. Values
// from the probe and the file are 32-bit floats, narrowed when stored.
struct Settings
{
    // [Record]
    QString path;                 // Path: the user's data directory
    int mode = 0;                 // Mode: 0 whole, 1 fixed depth, 2 fixed time
    bool factory = false;         // Factory == "Yes": LogAll visible, Mode 0 becomes 1
    int distanceInterval = 5;     // Distance Interval: UpDownDistance position
    int timeInterval = 1;         // Time Interval: UpDownTime position
    int memorySize = 32704;       // Size
    QString outputFormat = "0.0"; // Output Format: "0.00" or "0.0"
    float draught = 0.8f;         // Draught: start depth of the average
    bool selfPage = false;        // Self == "Yes"
    // [Serial Port]
    int portNo = 1;               // Port No.
    QString deviceOverride[17];   // Device N (index N), optional
    // [Depth]
    float density = 1.0f;
    float atmosphere = 10400.0f;
    // [Sound Velocity] LF2048, TF2048; [Depth] PA0..PA2; [Temperature] TA0..TA5
    Calibration cal;
    // [SN]
    QString sn;
    // [Position] (export of survey formats that carry a position)
    QString latitude, longitude;
    // [Probe Clock] UTC Offset: the zone the probe's clock keeps, as "+08:00";
    // empty: this computer's zone. Survey formats turn cast times into UTC with it.
    QString utcOffset;

    // Reads every key with its default and load rule (Factory, Density >= 0.8,
    // Output Format, LF2048 as an integer). `mode` is the value as read after
    // the Factory rule; the window's mode handlers turn anything but 1 or 2
    // into 0. A float that does not fit 32 bits reads as its default.
    static Settings load(const IniFile& ini);

    // Writes the keys the window writes at close, in its order, and saves the
    // file. `densityText` is the text of the density edit, written converted at
    // 64-bit precision; when it is no number the member `density` is written.
    // The position and clock keys are written when set or already in the file. Returns
    // false with "Unable to write to <file>: <reason>" when the platform
    // refuses; the file is then left as it was.
    bool save(IniFile& ini, const QString& densityText, QString* error) const;
};

// <executable path without extension>.INI ("/opt/sv/svclient" -> "/opt/sv/svclient.INI")
QString settingsFilePath(const QString& executablePath);
// <executable directory>/SVPData/ (not created)
QString dataDirectory(const QString& executablePath);
