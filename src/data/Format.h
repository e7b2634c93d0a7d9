#pragma once
#include <QDateTime>
#include <QString>

// The number and date texts of the Windows client, byte for byte. Nothing else
// formats numbers for files, read-outs or the settings file.
namespace fmt {

// Delphi FormatFloat for the patterns the client uses: '0' digit, '#' optional
// digit, one '.', e.g. "0.0", "0.00", "0.000", "000.0", "0000.0", "###0.0".
// Rounds half away from zero on the exact decimal value of the double.
QString formatFloat(const QString& pattern, double value);

// Delphi FloatToStr: general format, 15 significant digits, exponent "E-7"
// style below 1e-5 and from 1e15 on; 0.8f widened -> "0.800000011920929".
QString floatToStr(double value);

// Delphi FormatDateTime patterns: yy yyyy m mm d dd h hh n nn s ss and the
// minute reading of m/mm after h or before s; literal "-", ":", " ".
QString formatDateTime(const QString& pattern, const QDateTime& dt);

// Delphi StrToFloat: decimal text with optional sign, point, exponent, spaces
// around; returns false for anything else (no partial parse).
bool parseFloat(const QString& text, double* value);
// Delphi StrToInt: decimal or $hex integer.
bool parseInt(const QString& text, int* value);

}  // namespace fmt
