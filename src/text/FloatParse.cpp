// Number texts read back: parseFloat.
#include "text/Format.h"
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace fmt {

bool parseFloat(const QString& text, double* value)
{
    return parseFloat(QStringView(text), value);
}

bool parseFloat(QStringView text, double* value)
{
    // [blanks] [sign] digits [. digits] [E [sign] digits] [blanks], at least one
    // mantissa digit. The checked characters are copied for from_chars, which
    // takes no '+' and reads no QChar; short numbers are read on the way.
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && text[i] == u' ')
        ++i;
    char small[64];
    std::string big;
    char* s = small;
    if (n - i > qsizetype(sizeof small)) {
        big.resize(size_t(n - i));
        s = big.data();
    }
    char* o = s;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        if (negative)
            *o++ = '-';
        ++i;
    }
    uint64_t mantissa = 0;   // the first 19 significant digits
    int significant = 0, scale = 0;
    auto digits = [&](bool fraction) {
        const qsizetype from = i;
        while (i < n && text[i] >= u'0' && text[i] <= u'9') {
            const char c = char(text[i++].unicode());
            *o++ = c;
            if (mantissa == 0 && c == '0') {
                scale -= fraction;   // a leading zero
            } else if (significant < 19) {
                mantissa = mantissa * 10 + uint64_t(c - '0');
                ++significant;
                scale -= fraction;
            } else {
                significant = 20;   // more digits than the fast path takes
            }
        }
        return i - from;
    };
    qsizetype mantissaDigits = digits(false);
    if (i < n && text[i] == u'.') {
        *o++ = '.';
        ++i;
        mantissaDigits += digits(true);
    }
    if (mantissaDigits == 0)
        return false;
    int exponent = 0;
    if (i < n && (text[i] == u'E' || text[i] == u'e')) {
        *o++ = 'e';
        ++i;
        bool minus = false;
        if (i < n && (text[i] == u'+' || text[i] == u'-')) {
            minus = text[i] == u'-';
            *o++ = char(text[i++].unicode());
        }
        const qsizetype from = i;
        while (i < n && text[i] >= u'0' && text[i] <= u'9') {
            exponent = std::min(exponent * 10 + (text[i].unicode() - '0'), 100000);
            *o++ = char(text[i++].unicode());
        }
        if (i == from)
            return false;
        exponent = minus ? -exponent : exponent;
    }
    while (i < n && text[i] == u' ')
        ++i;
    if (i != n)
        return false;
    double v = 0;
    // Up to 2^53 and 10^22 both factors are exact doubles, and one multiply or
    // divide rounds the exact decimal value once, as strtod does.
    static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const int e10 = scale + exponent;
    if (significant <= 19 && mantissa <= (uint64_t(1) << 53) && e10 >= -22 && e10 <= 22) {
        v = e10 < 0 ? double(mantissa) / kPow10[-e10] : double(mantissa) * kPow10[e10];
        v = negative ? -v : v;
    } else {
        const auto [end, ec] = std::from_chars(s, o, v);
        if (ec != std::errc() || end != o) {
            // Out of range: strtod tells an overflow (no number) from an underflow (0).
            v = std::strtod(std::string(s, o).c_str(), nullptr);
        }
    }
    if (!std::isfinite(v))
        return false;
    if (value)
        *value = v;
    return true;
}

}  // namespace fmt
