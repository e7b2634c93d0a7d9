#include "text/Format.h"
#include <QLocale>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace fmt {
namespace {

// Digits printed beyond the rounding position: a double's decimal expansion
// never runs this many nines past it, so glibc's own rounding of the printed
// text cannot reach the digit we round on.
constexpr int kGuardDigits = 60;
constexpr int kMaxDecimals = 40;

QString nonFinite(double v)
{
    if (std::isnan(v))
        return QStringLiteral("NAN");
    return v < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
}

// Adds one unit to the last digit of `digits`; returns true on a carry out.
bool incrementDigits(std::string& digits)
{
    for (auto i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return false;
        }
        digits[i] = '0';
    }
    return true;
}

struct Pattern
{
    QString prefix, suffix;
    int minInt = 0;   // integer digits always shown (from the first '0')
    int minDec = 0;   // decimals always shown (up to the last '0')
    int maxDec = 0;   // decimals shown at most ('0' and '#')
    bool placeholders = false;
};

Pattern parsePattern(const QString& text)
{
    Pattern p;
    auto isCore = [](QChar c) { return c == '0' || c == '#' || c == '.'; };
    qsizetype first = 0;
    while (first < text.size() && !isCore(text[first]))
        ++first;
    qsizetype last = text.size();
    while (last > first && !isCore(text[last - 1]))
        --last;
    p.prefix = text.left(first);
    p.suffix = text.mid(last);
    bool inDecimals = false, seenZero = false;
    for (qsizetype i = first; i < last; ++i) {
        const QChar c = text[i];
        if (c == '.') {
            inDecimals = true;
        } else if (c == '0' || c == '#') {
            p.placeholders = true;
            if (inDecimals) {
                ++p.maxDec;
                if (c == '0')
                    p.minDec = p.maxDec;
            } else {
                seenZero = seenZero || c == '0';
                if (seenZero)
                    ++p.minInt;
            }
        }
    }
    p.maxDec = std::min(p.maxDec, kMaxDecimals);
    p.minDec = std::min(p.minDec, p.maxDec);
    return p;
}

}  // namespace

QString formatFloat(const QString& pattern, double value)
{
    if (!std::isfinite(value))
        return nonFinite(value);
    const Pattern p = parsePattern(pattern);
    if (pattern.isEmpty())
        return floatToStr(value);
    if (!p.placeholders)
        return pattern;

    // Exact decimal digits of |value|, then half away from zero at maxDec.
    std::string text(400 + kMaxDecimals + kGuardDigits, '\0');
    const int n = std::snprintf(text.data(), text.size(), "%.*f", p.maxDec + kGuardDigits,
                                std::fabs(value));
    text.resize(static_cast<size_t>(n));
    const auto point = text.find('.');
    std::string intDigits = text.substr(0, point);
    std::string decDigits = text.substr(point + 1, static_cast<size_t>(p.maxDec));
    const bool up = text[point + 1 + static_cast<size_t>(p.maxDec)] >= '5';
    if (up) {
        std::string all = intDigits + decDigits;
        if (incrementDigits(all))
            all.insert(all.begin(), '1');
        intDigits = all.substr(0, all.size() - decDigits.size());
        decDigits = all.substr(all.size() - decDigits.size());
    }
    while (static_cast<int>(decDigits.size()) > p.minDec && decDigits.back() == '0')
        decDigits.pop_back();
    size_t lead = 0;
    while (lead < intDigits.size() && intDigits[lead] == '0')
        ++lead;
    intDigits.erase(0, lead);
    while (static_cast<int>(intDigits.size()) < p.minInt)
        intDigits.insert(intDigits.begin(), '0');

    // A value that rounds to zero loses its sign: "0.0", never "-0.0".
    const bool zero = (intDigits + decDigits).find_first_not_of('0') == std::string::npos;
    std::string out;
    if (value < 0 && !zero)
        out += '-';
    out += intDigits;
    if (!decDigits.empty())
        out += '.' + decDigits;
    return p.prefix + QString::fromLatin1(out.data(), static_cast<qsizetype>(out.size()))
         + p.suffix;
}

QString floatToStr(double value)
{
    constexpr int kPrecision = 15;
    if (!std::isfinite(value))
        return nonFinite(value);
    if (value == 0)
        return QStringLiteral("0");

    char buf[128];
    std::snprintf(buf, sizeof buf, "%.*e", kPrecision + kGuardDigits, std::fabs(value));
    const std::string text(buf);
    const auto e = text.find('e');
    int exponent = std::stoi(text.substr(e + 1));
    std::string digits = text.substr(0, 1) + text.substr(2, kPrecision - 1);
    if (text[kPrecision + 1] >= '5' && incrementDigits(digits)) {
        digits.insert(digits.begin(), '1');
        digits.pop_back();
        ++exponent;
    }
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string out = value < 0 ? "-" : "";
    if (exponent < -5 || exponent >= kPrecision) {
        out += digits.substr(0, 1);
        if (digits.size() > 1)
            out += '.' + digits.substr(1);
        out += 'E' + std::to_string(exponent);
    } else if (exponent < 0) {
        out += "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
    } else {
        const auto intLen = static_cast<size_t>(exponent) + 1;
        if (digits.size() <= intLen) {
            out += digits + std::string(intLen - digits.size(), '0');
        } else {
            out += digits.substr(0, intLen) + '.' + digits.substr(intLen);
        }
    }
    return QString::fromLatin1(out.data(), static_cast<qsizetype>(out.size()));
}

QString formatDateTime(const QString& pattern, const QDateTime& dt)
{
    // A null date formats as day 0 of the date-time scale, 1899-12-30.
    const QDateTime t = dt.isValid() ? dt : QDateTime(QDate(1899, 12, 30), QTime(0, 0));
    const QDate date = t.date();
    const QTime time = t.time();
    QString out;
    auto number = [&out](int v, int width) {
        out += QString::number(v).rightJustified(width, '0');
    };
    QChar lastToken;
    qsizetype i = 0;
    while (i < pattern.size()) {
        const QChar c = pattern[i];
        if (c == '"' || c == '\'') {
            // Quoted literal text.
            const qsizetype end = pattern.indexOf(c, i + 1);
            const qsizetype stop = end < 0 ? pattern.size() : end;
            out += pattern.mid(i + 1, stop - i - 1);
            i = stop + 1;
            continue;
        }
        const QChar u = c.toUpper();
        qsizetype count = 1;
        while (i + count < pattern.size() && pattern[i + count].toUpper() == u)
            ++count;
        if (u == 'Y') {
            if (count <= 2)
                number(date.year() % 100, 2);
            else
                number(date.year(), 4);
        } else if (u == 'M' && lastToken == 'H' && count <= 2) {
            number(time.minute(), int(count));   // m after h is the minute
        } else if (u == 'M') {
            if (count <= 2)
                number(date.month(), int(count));
            else
                out += QLocale::c().monthName(date.month(), count == 3 ? QLocale::ShortFormat
                                                                        : QLocale::LongFormat);
        } else if (u == 'D') {
            if (count <= 2)
                number(date.day(), int(count));
            else
                out += QLocale::c().dayName(date.dayOfWeek(), count == 3 ? QLocale::ShortFormat
                                                                          : QLocale::LongFormat);
        } else if (u == 'H') {
            number(time.hour(), int(std::min<qsizetype>(count, 2)));
        } else if (u == 'N') {
            number(time.minute(), int(std::min<qsizetype>(count, 2)));
        } else if (u == 'S') {
            number(time.second(), int(std::min<qsizetype>(count, 2)));
        } else if (u == 'Z') {
            number(time.msec(), count >= 3 ? 3 : 1);
        } else if (c == '/') {
            out += QString(count, QChar('-'));   // the client's date separator
        } else {
            out += pattern.mid(i, count);
        }
        if (u.isLetter() && u.unicode() < 128)
            lastToken = u;
        i += count;
    }
    return out;
}

namespace {

bool isBlank(QChar c) { return c == ' '; }

}  // namespace

bool parseFloat(const QString& text, double* value)
{
    // [blanks] [sign] digits [. digits] [E [sign] digits] [blanks], at least one mantissa digit.
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && isBlank(text[i]))
        ++i;
    std::string s;
    if (i < n && (text[i] == '+' || text[i] == '-'))
        s += char(text[i++].unicode());
    int mantissaDigits = 0;
    auto digits = [&](int* count) {
        while (i < n && text[i] >= '0' && text[i] <= '9') {
            s += char(text[i++].unicode());
            ++*count;
        }
    };
    digits(&mantissaDigits);
    if (i < n && text[i] == '.') {
        s += '.';
        ++i;
        digits(&mantissaDigits);
    }
    if (mantissaDigits == 0)
        return false;
    if (i < n && (text[i] == 'E' || text[i] == 'e')) {
        s += 'e';
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-'))
            s += char(text[i++].unicode());
        int expDigits = 0;
        digits(&expDigits);
        if (expDigits == 0)
            return false;
    }
    while (i < n && isBlank(text[i]))
        ++i;
    if (i != n)
        return false;
    const double v = std::strtod(s.c_str(), nullptr);
    if (!std::isfinite(v))
        return false;
    if (value)
        *value = v;
    return true;
}

bool parseInt(const QString& text, int* value)
{
    // [blanks] [sign] ($hex | decimal), nothing after, within 32 bits.
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int base = 10;
    if (i < n && text[i] == '$') {
        base = 16;
        ++i;
    }
    if (i == n)
        return false;
    long long v = 0;
    for (; i < n; ++i) {
        const int d = base == 16 && text[i].isLetter() && text[i].unicode() < 128
                          ? text[i].toUpper().unicode() - 'A' + 10
                          : text[i].unicode() - '0';
        if (d < 0 || d >= base)
            return false;
        v = v * base + d;
        if (v > 0x100000000LL)
            return false;
    }
    if (negative)
        v = -v;
    // Hex texts may give the full 32-bit pattern ($FFFFFFFF is -1).
    if (base == 16 && v > 0x7FFFFFFFLL && v <= 0xFFFFFFFFLL)
        v -= 0x100000000LL;
    if (v < -0x80000000LL || v > 0x7FFFFFFFLL)
        return false;
    if (value)
        *value = int(v);
    return true;
}

}  // namespace fmt
