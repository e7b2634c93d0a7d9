#include "FormatReference.h"
#include "text/Format.h"
#include <gtest/gtest.h>
#include <bit>
#include <cmath>
#include <limits>

namespace {

struct FloatCase { const char* pattern; double value; const char* text; };

TEST(FormatFloat, PatternsRoundHalfAwayFromZeroOnTheExactValue)
{
    const FloatCase cases[] = {
        {"000.0", 5.26, "005.3"},       {"000.0", 123.44, "123.4"},
        {"000.0", 1234.56, "1234.6"},   {"0000.0", 1480.26, "1480.3"},
        {"0000.0", 987.64, "0987.6"},   {"0.00", 12.346, "12.35"},
        {"0.00", 1493.1, "1493.10"},    {"0.0", 0.52, "0.5"},
        {"0.0", 15.27, "15.3"},         {"0.00", 0.125, "0.13"},   // 0.125 is exact: half goes up
        {"0.00", 1.005, "1.00"},        // the double lies below 1.005
        {"0.00", 2.675, "2.67"},        {"0.0", 0.25, "0.3"},
        {"0.0", -0.25, "-0.3"},         {"000.0", -0.3, "-000.3"},
        {"0.0", -0.01, "0.0"},          {"0.0", -0.0, "0.0"},
        {"0.000", 1.0, "1.000"},        {"0.0", 9.96, "10.0"},
        {"000.0", 999.95, "1000.0"},    {"0.0", 0.05, "0.1"},     // 0.05 lies above
        {"##0.0", 5.26, "5.3"},         {"###0.0", 0.04, "0.0"},
        {"#0.0", 12.0, "12.0"},         {"###0.###", 2.0, "2"},
        {"###0.###", 1.5, "1.5"},       {"###0.###", 1.23456, "1.235"},
        {"###0.###", 0.0004, "0"},      {"0", 2.5, "3"},
        {"0.00", 1e20, "100000000000000000000.00"},
        {"0.0m", 1.25, "1.3m"},
        // Half-even rounding or the shortest text ("0.35", "1.015") would differ here.
        {"0.000", 0.0625, "0.063"},     {"0", 3.5, "4"},          {"0", -2.5, "-3"},
        {"0.0", 0.35, "0.3"},           {"0.00", 1.015, "1.01"},  {"0.0", 0.45, "0.5"},
        {"0.00", std::nextafter(0.125, 0.0), "0.12"},
        {"0.00", 1e23, "99999999999999991611392.00"},
        {"0.0", 5e-324, "0.0"},         {"0.0", -5e-324, "0.0"},  {"0.00", -0.004999, "0.00"},
        {"0.###", 1e-300, "0"},         {"0000.0", 1480.25, "1480.3"},
        {"0.000000000000000000000000000", 0.1, "0.100000000000000005551115123"},
        {"0.0000000000000000000000000000", 0.1, "0.1000000000000000055511151231"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fmt::formatFloat(c.pattern, c.value), c.text) << c.pattern << " " << c.value;
}

// The exact integer path and the printed fallback against the first, printed
// implementation: every pattern, every edge value, both ways of writing.
TEST(FormatFloat, SameTextAsThePrintedDigitsOnEdgeValues)
{
    const std::vector<double> values = reference::edgeValues();
    int differences = 0;
    for (const QString& pattern : reference::patterns()) {
        const fmt::FloatFormat format(pattern);
        for (double v : values) {
            const QString expected = reference::formatFloat(pattern, v);
            QByteArray appended = "x";
            format.appendLatin1(appended, v);
            if (fmt::formatFloat(pattern, v) != expected || format.text(v) != expected
                || appended != "x" + expected.toLatin1()) {
                ADD_FAILURE() << qPrintable(pattern) << " " << v << " (" << std::hexfloat << v
                              << "): " << qPrintable(fmt::formatFloat(pattern, v)) << " != "
                              << qPrintable(expected);
                if (++differences == 20)
                    return;
            }
        }
    }
}

TEST(FormatFloat, RoundedValueIsTheValueOfTheText)
{
    for (int decimals : {0, 1, 2, 3, 7, 22, 23, 30}) {
        const QString pattern = decimals ? "0." + QString(decimals, '0') : QString("0");
        for (double v : reference::edgeValues()) {
            double expected = 0.0;
            reference::parseFloat(reference::formatFloat(pattern, v), &expected);
            const double got = fmt::roundedValue(v, decimals);
            ASSERT_EQ(std::bit_cast<uint64_t>(got), std::bit_cast<uint64_t>(expected))
                << decimals << " " << v << " " << got << " " << expected;
        }
    }
    EXPECT_EQ(fmt::roundedValue(2.675, 2), 2.67);
    EXPECT_FALSE(std::signbit(fmt::roundedValue(-0.001, 2)));   // "0.00"
}

TEST(ParseFloat, SameValueAsStrtod)
{
    QStringList texts = {"1e-400", "-1e-400", "1e-310", "2.4703282292062328e-324", "1e308",
                         "1.7976931348623159e308", "+0", "-0", "0.000000000000000000000000001",
                         "123456789012345678901234567890", " 9007199254740993 ", "1.e5", ".5e-3",
                         QString(80, '9') + ".5", "0." + QString(400, '0') + "1", "1E+2"};
    for (double v : reference::edgeValues())
        texts << fmt::floatToStr(v) << reference::formatFloat("0.00", v)
              << reference::formatFloat("0." + QString(30, '#'), v);
    for (const QString& t : texts) {
        double expected = -99, got = -99;
        const bool ok = reference::parseFloat(t, &expected);
        ASSERT_EQ(fmt::parseFloat(t, &got), ok) << qPrintable(t);
        ASSERT_EQ(std::bit_cast<uint64_t>(got), std::bit_cast<uint64_t>(expected)) << qPrintable(t);
    }
}

TEST(FormatFloat, NonFiniteValuesGiveText)
{
    EXPECT_EQ(fmt::formatFloat("0.0", std::numeric_limits<double>::quiet_NaN()), "NAN");
    EXPECT_EQ(fmt::formatFloat("0.00", std::numeric_limits<double>::infinity()), "INF");
    EXPECT_EQ(fmt::formatFloat("000.0", -std::numeric_limits<double>::infinity()), "-INF");
    EXPECT_EQ(fmt::floatToStr(std::numeric_limits<double>::quiet_NaN()), "NAN");
}

struct GeneralCase { double value; const char* text; };

TEST(FloatToStr, FifteenSignificantDigitsGeneralFormat)
{
    const GeneralCase cases[] = {
        {double(0.8f), "0.800000011920929"},   {double(2.2f), "2.20000004768372"},
        {double(2.08e-07f), "2.08000002999142E-7"},
        {10400, "10400"},  {-7.5, "-7.5"},  {1.025, "1.025"},  {0, "0"},  {-0.0, "0"},
        {1e15, "1E15"},    {999999999999999.0, "999999999999999"},
        {9999999999999999.0, "1E16"},   // rounds up into the next exponent
        {0.1, "0.1"},      {1e-5, "0.00001"},  {1.5e-6, "1.5E-6"},  {-2.5e-10, "-2.5E-10"},
        {123456.789, "123456.789"},  {1.0 / 3, "0.333333333333333"},  {2.0 / 3, "0.666666666666667"},
        {1e100, "1E100"},  {double(93.0f), "93"},  {1480.5, "1480.5"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fmt::floatToStr(c.value), c.text) << c.value;
}

TEST(FormatDateTime, Patterns)
{
    const QDateTime t(QDate(2009, 3, 7), QTime(14, 5, 9, 42));
    const QDateTime morning(QDate(2011, 11, 23), QTime(8, 30, 0));
    struct Case { const char* pattern; QDateTime dt; const char* text; };
    const Case cases[] = {
        {"yy-m-d hh:mm", t, "09-3-7 14:05"},
        {"yy-m-d hh:mm:ss", t, "09-3-7 14:05:09"},
        {"yy-m-d h:mm:ss", morning, "11-11-23 8:30:00"},
        {"yy-mm-dd hh:mm:ss", t, "09-03-07 14:05:09"},
        {"yyyy-MM-dd", t, "2009-03-07"},
        {"yyyy-mm-dd", morning, "2011-11-23"},
        {"yymm", t, "0903"},
        {"ddhhmmss", t, "07140509"},
        {"hh:mm:ss", morning, "08:30:00"},
        {"hh:nn:ss.zzz", t, "14:05:09.042"},
        {"yyyy/mm/dd", t, "2009-03-07"},
        {"\"at\" hh:mm", t, "at 14:05"},
        {"yy-m-d hh:mm", QDateTime(), "99-12-30 00:00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fmt::formatDateTime(c.pattern, c.dt), c.text) << c.pattern;
}

TEST(ParseFloat, WholeTextOrNothing)
{
    struct Case { const char* text; bool ok; double value; };
    const Case cases[] = {
        {"1.025", true, 1.025},  {"  -7.5  ", true, -7.5},  {"2.08000002999142E-7", true, 2.08000002999142e-7},
        {"1E15", true, 1e15},    {"+.5", true, 0.5},        {"10400", true, 10400},
        {"1.", true, 1},         {"1.   ", true, 1},        {"1e-3", true, 0.001},
        {"", false, 0},          {"   ", false, 0},         {".", false, 0},
        {"abc", false, 0},       {"1.0x", false, 0},        {"1,5", false, 0},
        {"1e", false, 0},        {"1e400", false, 0},       {"- 1", false, 0},
        {"nan", false, 0},       {"inf", false, 0},         {"1 2", false, 0},
    };
    for (const auto& c : cases) {
        double v = -99;
        EXPECT_EQ(fmt::parseFloat(c.text, &v), c.ok) << c.text;
        EXPECT_EQ(v, c.ok ? c.value : -99) << c.text;   // untouched on failure
    }
}

TEST(ParseInt, WholeTextWithin32Bits)
{
    struct Case { const char* text; bool ok; int value; };
    const Case cases[] = {
        {"17", true, 17},        {"  -3", true, -3},       {"+5", true, 5},
        {"$FF", true, 255},      {"$ffffffff", true, -1},  {"2147483647", true, 2147483647},
        {"-2147483648", true, std::numeric_limits<int>::min()},
        {"2147483648", false, 0}, {"99999999999999999999", false, 0},
        {"", false, 0},          {"-", false, 0},          {"1.5", false, 0},
        {"5 ", false, 0},        {"12abc", false, 0},      {"$", false, 0},  {"$G", false, 0},
    };
    for (const auto& c : cases) {
        int v = -99;
        EXPECT_EQ(fmt::parseInt(c.text, &v), c.ok) << c.text;
        EXPECT_EQ(v, c.ok ? c.value : -99) << c.text;
    }
}

}  // namespace
