#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringView>

// The number and date texts of the client's files and read-outs. Nothing else
// formats numbers for files, read-outs or the settings file.
namespace fmt {

// FormatFloat for the patterns the client uses: '0' digit, '#' optional
// digit, one '.', e.g. "0.0", "0.00", "0.000", "000.0", "0000.0", "###0.0",
// "###0.###"; text before and after the digits is kept. Rounds half away from
// zero on the exact decimal value of the double; a value that rounds to zero
// has no sign ("0.0" for -0.01). NaN and infinities give "NAN", "INF", "-INF".
QString formatFloat(const QString& pattern, double value);

// A formatFloat pattern read once, for writing many values with it.
class FloatFormat
{
public:
    explicit FloatFormat(const QString& pattern);
    QString text(double value) const;                          // formatFloat(pattern, value)
    void appendLatin1(QByteArray& out, double value) const;    // out += text(value).toLatin1()

private:
    // Writes the sign and digits of a finite value; buf holds bufferSize() bytes.
    qsizetype writeNumber(double value, char* buf) const;
    qsizetype bufferSize() const { return 400 + m_minInt; }

    QString m_pattern, m_prefix, m_suffix;
    int m_minInt = 0;   // integer digits always shown (from the first '0')
    int m_minDec = 0;   // decimals always shown (up to the last '0')
    int m_maxDec = 0;   // decimals shown at most ('0' and '#')
    bool m_placeholders = false;
};

// The value read back from formatFloat's text with `decimals` decimals, e.g.
// what a profile file stores for a sample ("0.00": 2); 0 for a non-finite value.
double roundedValue(double value, int decimals);

// FloatToStr: general format, 15 significant digits, exponent "E-7"
// style below 1e-5 and from 1e15 on; 0.8f widened -> "0.800000011920929".
QString floatToStr(double value);

// FormatDateTime patterns: yy yyyy m mm d dd h hh n nn s ss z zzz,
// m/mm right after an h token (separators between allowed) is the minute,
// "/" is the date separator "-", quoted text and other characters are literal.
// An invalid date formats as the zero date, 1899-12-30 00:00.
QString formatDateTime(const QString& pattern, const QDateTime& dt);

// StrToFloat: decimal text with optional sign, point, exponent, spaces
// around; returns false for anything else (no partial parse).
bool parseFloat(QStringView text, double* value);
bool parseFloat(const QString& text, double* value);
// StrToInt: leading blanks, optional sign, decimal or $hex digits,
// nothing after them, within 32 bits.
bool parseInt(const QString& text, int* value);

}  // namespace fmt
