#pragma once
#include <QDateTime>
#include <QString>

// The number and date texts of the files, read-outs and settings, byte for
// byte. Nothing else formats numbers for files, read-outs or the settings file.
namespace fmt {

// Number patterns as the files and read-outs use them: '0' digit, '#' optional
// digit, one '.', e.g. "0.0", "0.00", "0.000", "000.0", "0000.0", "###0.0",
// "###0.###"; text before and after the digits is kept. Rounds half away from
// zero on the exact decimal value of the double; a value that rounds to zero
// has no sign ("0.0" for -0.01). NaN and infinities give "NAN", "INF", "-INF".
QString formatFloat(const QString& pattern, double value);

// General format (the settings file's floats): 15 significant digits, exponent "E-7"
// style below 1e-5 and from 1e15 on; 0.8f widened -> "0.800000011920929".
QString floatToStr(double value);

// Date patterns: yy yyyy m mm d dd h hh n nn s ss z zzz,
// m/mm right after an h token (separators between allowed) is the minute,
// "/" is the date separator "-", quoted text and other characters are literal.
// An invalid date formats as day 0 of the date-time scale, 1899-12-30 00:00.
QString formatDateTime(const QString& pattern, const QDateTime& dt);

// A decimal number: text with optional sign, point, exponent, spaces
// around; returns false for anything else (no partial parse).
bool parseFloat(const QString& text, double* value);
// An integer: leading blanks, optional sign, decimal or $hex digits,
// nothing after them, within 32 bits.
bool parseInt(const QString& text, int* value);

}  // namespace fmt
