// The fast number texts against the printed reference on many random values:
//
//   format_proof [COUNT] [SEED]      (default 10,000,000 values, seed 4400)
//
// Every value is written with every pattern the client uses, by formatFloat
// and by FloatFormat::appendLatin1, and must give the reference's bytes; its
// "0.0", "0.00", "0.000" values (roundedValue) and the parsing of its texts and
// of random decimal texts must give the reference's doubles, bit for bit.
// Prints the count, the time and every difference (the first 20); exit 1 on any.
#include "FormatReference.h"
#include "text/Format.h"
#include <QElapsedTimer>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace {

const QStringList kClientPatterns = {"0.0",    "0.00",      "0.000",     "000.0",   "0000.0",
                                     "###0.0", "###0.###",  "0.000000",  "0.0000000"};

struct Source
{
    std::mt19937_64 rng;
    double uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); }
    uint64_t bits() { return rng(); }

    // A decimal value with 2 or 3 decimals between lo and hi, as a text would give it.
    double decimal(double lo, double hi)
    {
        const double scale = bits() % 2 ? 100.0 : 1000.0;
        return std::round(uniform(lo, hi) * scale) / scale;
    }

    double next()
    {
        switch (bits() % 20) {
        case 0: case 1: case 2: case 3:   // any bit pattern: NaN, inf, subnormal, huge
            return std::bit_cast<double>(bits());
        case 4: case 5: case 6:           // depths
            return decimal(0, 12000);
        case 7: case 8: case 9:           // sound velocities
            return decimal(1400, 1600);
        case 10:                          // temperatures
            return decimal(-2, 35);
        case 11: {                        // a probe's 32-bit reading widened
            const auto f = std::bit_cast<float>(uint32_t(bits()));
            return std::isfinite(f) && bits() % 2 ? double(f) : double(float(uniform(-100, 12000)));
        }
        case 12: case 13: {               // a decimal tie at 0..7 places, or 1..3 ulps beside it
            const int d = int(bits() % 8);
            double v = (std::floor(uniform(0, 1e6)) + 0.5) / std::pow(10.0, d);
            for (auto steps = bits() % 7; steps > 3; --steps)
                v = std::nextafter(v, 0.0);
            for (auto steps = bits() % 7; steps > 3; --steps)
                v = std::nextafter(v, HUGE_VAL);
            return bits() % 2 ? v : -v;
        }
        case 14: {                        // an exact binary tie: odd / 2^(d + 1)
            const int d = int(bits() % 8);
            return std::ldexp(double(bits() % 100000 * 2 + 1), -(d + 1));
        }
        case 15:                          // negative values that round to zero
            return -uniform(0, 0.0006) * std::pow(10.0, -double(bits() % 300));
        case 16:                          // huge: beyond 64 and 128 bits
            return std::ldexp(uniform(1, 2), int(bits() % 1024)) * (bits() % 2 ? 1 : -1);
        case 17:                          // subnormal and tiny
            return std::bit_cast<double>(bits() % (uint64_t(1) << 55));
        default:                          // plain values of any size and sign
            return uniform(-1, 1) * std::pow(10.0, uniform(-8, 22));
        }
    }
};

int differences = 0;

void report(const char* what, const QString& pattern, double v, const QString& got,
            const QString& expected)
{
    if (++differences <= 20)
        std::printf("DIFFERENCE %s %s %.17g (%a): %s != %s\n", what, qPrintable(pattern), v, v,
                    qPrintable(got), qPrintable(expected));
}

bool sameDouble(double a, double b) { return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b); }

void checkParse(const QString& text)
{
    double expected = -99, got = -99;
    const bool ok = reference::parseFloat(text, &expected);
    if (fmt::parseFloat(text, &got) != ok || !sameDouble(got, expected))
        report("parseFloat", text, got, QString::number(got, 'g', 17), QString::number(expected, 'g', 17));
}

// A decimal text of any shape parseFloat takes: long mantissas, exponents.
QString randomText(Source& src)
{
    QString t;
    if (src.bits() % 3 == 0)
        t += src.bits() % 2 ? '-' : '+';
    for (auto n = src.bits() % 25; n > 0; --n)
        t += QChar('0' + int(src.bits() % 10));
    if (src.bits() % 2) {
        t += '.';
        for (auto n = src.bits() % 25; n > 0; --n)
            t += QChar('0' + int(src.bits() % 10));
    }
    if (src.bits() % 3 == 0)
        t += 'E' + QString::number(int(src.bits() % 700) - 350);
    return t;
}

}  // namespace

int main(int argc, char** argv)
{
    const long long count = argc > 1 ? std::atoll(argv[1]) : 10000000;
    const uint64_t seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 4400;
    Source src{std::mt19937_64(seed)};
    std::vector<fmt::FloatFormat> formats;
    for (const QString& p : kClientPatterns)
        formats.emplace_back(p);

    QElapsedTimer timer;
    timer.start();
    long long texts = 0, parses = 0, rounded = 0;
    QByteArray bytes;
    for (long long i = 0; i < count; ++i) {
        const double v = src.next();
        for (qsizetype p = 0; p < kClientPatterns.size(); ++p) {
            const QString expected = reference::formatFloat(kClientPatterns[p], v);
            const QString got = fmt::formatFloat(kClientPatterns[p], v);
            if (got != expected)
                report("formatFloat", kClientPatterns[p], v, got, expected);
            bytes.clear();
            formats[size_t(p)].appendLatin1(bytes, v);
            if (bytes != expected.toLatin1())
                report("appendLatin1", kClientPatterns[p], v, QString::fromLatin1(bytes), expected);
            texts += 2;
        }
        const int decimals = int(i % 3) + 1;
        double expected = 0.0;
        reference::parseFloat(reference::formatFloat(kClientPatterns[decimals - 1], v), &expected);
        const double got = fmt::roundedValue(v, decimals);
        if (!sameDouble(got, expected))
            report("roundedValue", kClientPatterns[decimals - 1], v, QString::number(got, 'g', 17),
                   QString::number(expected, 'g', 17));
        ++rounded;
        if (i % 4 == 0) {
            checkParse(fmt::floatToStr(v));
            checkParse(reference::formatFloat(kClientPatterns[2], v));
            checkParse(randomText(src));
            parses += 3;
        }
    }
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    std::printf("%lld values (seed %llu) x %lld patterns: %lld texts, %lld rounded values, "
                "%lld parsed texts compared in %.1f s: %d differences\n",
                count, static_cast<unsigned long long>(seed), static_cast<long long>(kClientPatterns.size()),
                texts, rounded, parses, seconds, differences);
    return differences == 0 ? 0 : 1;
}
