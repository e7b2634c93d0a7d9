#include "FormatReference.h"
#include "text/Format.h"
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace reference {
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
        return fmt::floatToStr(value);
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

    // A value that rounds to zero is written without a sign ("0.0" for -0.01).
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

}  // namespace reference

namespace reference {

QStringList patterns()
{
    return {"0.0",      "0.00",      "0.000",     "000.0",      "0000.0",       "###0.0",
            "###0.###", "0.000000",  "0.0000000", "0",          "##0.0",        "#0.0",
            "#.##",     "0.0m",      "0.00##",    "00000000.00",
            // 27 decimals: the last of the exact integer path; 28: the printed path.
            "0." + QString(27, '0'), "0." + QString(28, '0'), "0." + QString(40, '#')};
}

std::vector<double> edgeValues()
{
    std::vector<double> v = {0.0,   0.125, 2.675, 1.005, 0.25,   0.5,   1.5,   2.5,
                             0.0625, 0.375, 9.995, 99.95, 999.95, 0.05, 0.15, 1.45,
                             1480.255, 1499.995, 11999.995, 0.045, 0.0049999, 0.00999,
                             1e15,  1e16,  1e17,  1e19,  1e20,  1e21,  1e22,  1e23,
                             123456789012345678.0, 1.8446744073709552e19, 3.4028236692093846e38,
                             1.7976931348623157e308, 1e300, 1e-300, 2.2250738585072014e-308,
                             2.2250738585072009e-308, 4.9406564584124654e-324, 1e-320};
    // Decimal ties at every place a pattern rounds on: the nearest double to
    // (n + 1/2) / 10^d, and the exact ties odd / 2^(d + 1) (0.125, 1480.0625).
    for (int d = 0; d <= 8; ++d) {
        const double scale = std::pow(10.0, d);
        for (double n : {0.0, 1.0, 4.0, 12.0, 99.0, 124.0, 267.0, 1234.0, 99999.0, 148025.0,
                         1199999.0, 1234567890.0})
            v.push_back((n + 0.5) / scale);
        for (double odd : {1.0, 3.0, 5.0, 7.0, 99.0, 1001.0})
            for (double whole : {0.0, 2.0, 1480.0, 11999.0})
                v.push_back(whole + std::ldexp(odd, -(d + 1)));
    }
    // 2^k at the edges of 64 and 128 bits and beyond.
    for (int k : {52, 53, 63, 64, 65, 100, 116, 120, 127, 128, 129, 200, 1000})
        v.push_back(std::ldexp(1.0, k));
    const size_t base = v.size();
    for (size_t i = 0; i < base; ++i) {
        double down = v[i], up = v[i];
        for (int step = 0; step < 3; ++step) {
            down = std::nextafter(down, 0.0);
            up = std::nextafter(up, HUGE_VAL);
            v.push_back(down);
            v.push_back(up);
        }
    }
    const size_t all = v.size();
    for (size_t i = 0; i < all; ++i)
        v.push_back(-v[i]);
    for (double small : {0.04, 0.049, 0.004, 0.0049999999, 0.0005, 1e-9, 1e-300, 5e-324})
        v.push_back(-small);
    return v;
}

}  // namespace reference
