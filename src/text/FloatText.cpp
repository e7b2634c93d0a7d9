// Number texts: formatFloat, FloatFormat, roundedValue, floatToStr.
#include "text/Format.h"
#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace fmt {
namespace {

using u128 = unsigned __int128;

// Digits printed beyond the rounding position on the slow path: a double's
// decimal expansion never runs this many nines past it, so glibc's own rounding
// of the printed text cannot reach the digit we round on.
constexpr int kGuardDigits = 60;
constexpr int kMaxDecimals = 40;
// Up to here m * 5^d fits in 116 bits for every 53-bit mantissa m.
constexpr int kExactDecimals = 27;

constexpr uint64_t pow5(int d)
{
    uint64_t p = 1;
    for (int i = 0; i < d; ++i)
        p *= 5;
    return p;
}

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

int bitLength(u128 x)
{
    const auto hi = uint64_t(x >> 64), lo = uint64_t(x);
    return hi ? 128 - std::countl_zero(hi) : 64 - std::countl_zero(lo);
}

// |a| * 10^d rounded half away from zero, exactly: a double is m * 2^e, so
// |a| * 10^d = (m * 5^d) * 2^(e + d), an integer shifted left or right. False
// where the result would not fit in 128 bits (huge values, many decimals).
bool scaledRound(double a, int d, u128* n)
{
    if (d > kExactDecimals)
        return false;
    static constexpr auto kPow5 = [] {
        std::array<uint64_t, kExactDecimals + 1> t{};
        for (int i = 0; i <= kExactDecimals; ++i)
            t[size_t(i)] = pow5(i);
        return t;
    }();
    const auto bits = std::bit_cast<uint64_t>(a) & ~(uint64_t(1) << 63);
    const int biased = int(bits >> 52);
    uint64_t m = bits & ((uint64_t(1) << 52) - 1);
    int e = -1074;   // subnormal
    if (biased != 0) {
        m |= uint64_t(1) << 52;
        e = biased - 1075;
    }
    const u128 x = u128(m) * kPow5[size_t(d)];
    const int shift = e + d;
    if (x == 0) {
        *n = 0;
    } else if (shift >= 0) {
        if (bitLength(x) + shift > 128)
            return false;
        *n = x << shift;
    } else if (-shift >= 128) {
        *n = 0;   // x < 2^116: less than half a unit
    } else {
        const int s = -shift;
        const u128 q = x >> s;
        const u128 rest = x - (q << s);
        *n = q + (rest >= (u128(1) << (s - 1)) ? 1 : 0);
    }
    return true;
}

// The decimal digits of n, written backwards ending at `end`; returns the first.
char* writeDigits(u128 n, char* end)
{
    constexpr uint64_t k1e19 = 10000000000000000000ull;
    char* p = end;
    while (n > UINT64_MAX) {
        const u128 q = n / k1e19;
        uint64_t chunk = uint64_t(n - q * k1e19);
        for (int i = 0; i < 19; ++i, chunk /= 10)
            *--p = char('0' + chunk % 10);
        n = q;
    }
    uint64_t low = uint64_t(n);
    do {
        *--p = char('0' + low % 10);
        low /= 10;
    } while (low != 0);
    return p;
}

// The printed path: exact decimal digits of |value| from glibc, rounded half
// away from zero by hand; all digits of |value| * 10^maxDec, as scaledRound's.
std::string printedDigits(double value, int maxDec)
{
    std::string text(400 + kMaxDecimals + kGuardDigits, '\0');
    const int len = std::snprintf(text.data(), text.size(), "%.*f", maxDec + kGuardDigits,
                                  std::fabs(value));
    text.resize(size_t(len));
    const auto point = text.find('.');
    const bool up = text[point + 1 + size_t(maxDec)] >= '5';
    text.erase(point + 1 + size_t(maxDec));
    text.erase(point, 1);
    if (up && incrementDigits(text))
        text.insert(text.begin(), '1');
    return text;
}

}  // namespace

FloatFormat::FloatFormat(const QString& pattern)
    : m_pattern(pattern)
{
    auto isCore = [](QChar c) { return c == '0' || c == '#' || c == '.'; };
    qsizetype first = 0;
    while (first < pattern.size() && !isCore(pattern[first]))
        ++first;
    qsizetype last = pattern.size();
    while (last > first && !isCore(pattern[last - 1]))
        --last;
    m_prefix = pattern.left(first);
    m_suffix = pattern.mid(last);
    bool inDecimals = false, seenZero = false;
    for (qsizetype i = first; i < last; ++i) {
        const QChar c = pattern[i];
        if (c == '.') {
            inDecimals = true;
        } else if (c == '0' || c == '#') {
            m_placeholders = true;
            if (inDecimals) {
                ++m_maxDec;
                if (c == '0')
                    m_minDec = m_maxDec;
            } else {
                seenZero = seenZero || c == '0';
                if (seenZero)
                    ++m_minInt;
            }
        }
    }
    m_maxDec = std::min(m_maxDec, kMaxDecimals);
    m_minDec = std::min(m_minDec, m_maxDec);
}

qsizetype FloatFormat::writeNumber(double value, char* buf) const
{
    // All digits of the rounded |value| * 10^maxDec, at least maxDec + 1 of them.
    const size_t maxDec = size_t(m_maxDec);
    char fast[48];
    std::string slow;
    const char* digits = nullptr;
    size_t count = 0;
    bool zero = false;
    u128 n = 0;
    if (scaledRound(value, m_maxDec, &n)) {
        char* end = fast + sizeof fast;
        char* p = writeDigits(n, end);
        while (size_t(end - p) < maxDec + 1)
            *--p = '0';
        digits = p;
        count = size_t(end - p);
        zero = n == 0;
    } else {
        slow = printedDigits(value, m_maxDec);
        digits = slow.data();
        count = slow.size();
        zero = slow.find_first_not_of('0') == std::string::npos;
    }
    const char* intDigits = digits;
    size_t intLen = count - maxDec;
    const char* decDigits = digits + intLen;
    size_t decLen = maxDec;
    while (decLen > size_t(m_minDec) && decDigits[decLen - 1] == '0')
        --decLen;
    while (intLen > 0 && *intDigits == '0') {
        ++intDigits;
        --intLen;
    }
    // A value that rounds to zero is written without a sign ("0.0" for -0.01).
    char* o = buf;
    if (value < 0 && !zero)
        *o++ = '-';
    for (auto pad = qsizetype(m_minInt) - qsizetype(intLen); pad > 0; --pad)
        *o++ = '0';
    o = std::copy_n(intDigits, intLen, o);
    if (decLen > 0) {
        *o++ = '.';
        o = std::copy_n(decDigits, decLen, o);
    }
    return o - buf;
}

QString FloatFormat::text(double value) const
{
    if (!std::isfinite(value))
        return nonFinite(value);
    if (m_pattern.isEmpty())
        return floatToStr(value);
    if (!m_placeholders)
        return m_pattern;
    char small[512];
    std::string big;
    char* buf = small;
    if (bufferSize() > qsizetype(sizeof small)) {
        big.resize(size_t(bufferSize()));
        buf = big.data();
    }
    const QLatin1String number(buf, writeNumber(value, buf));
    if (m_prefix.isEmpty() && m_suffix.isEmpty())
        return number;
    return m_prefix + number + m_suffix;
}

void FloatFormat::appendLatin1(QByteArray& out, double value) const
{
    if (!std::isfinite(value) || !m_placeholders || bufferSize() > 512) {
        out += text(value).toLatin1();
        return;
    }
    char buf[512];
    const qsizetype n = writeNumber(value, buf);
    if (!m_prefix.isEmpty())
        out += m_prefix.toLatin1();
    out.append(buf, n);
    if (!m_suffix.isEmpty())
        out += m_suffix.toLatin1();
}

QString formatFloat(const QString& pattern, double value)
{
    if (!std::isfinite(value))
        return nonFinite(value);
    return FloatFormat(pattern).text(value);
}

double roundedValue(double value, int decimals)
{
    // N / 10^d of two exact doubles is rounded once, to the double nearest the
    // decimal text "N with d decimals": what parsing that text gives.
    static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    u128 n = 0;
    if (std::isfinite(value) && decimals >= 0 && decimals <= 22
        && scaledRound(value, decimals, &n) && n <= (u128(1) << 53)) {
        if (n == 0)
            return 0.0;   // "0.00" has no sign
        const double v = double(uint64_t(n)) / kPow10[decimals];
        return value < 0 ? -v : v;
    }
    QString pattern = QStringLiteral("0");
    if (decimals > 0)
        pattern += '.' + QString(decimals, QChar('0'));
    double stored = 0.0;
    parseFloat(formatFloat(pattern, value), &stored);
    return stored;
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

}  // namespace fmt
