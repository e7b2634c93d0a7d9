// The survey formats against hand-made golden files, their refusals, the
// probe clock's time zone and ASCII-only text.
#include "TestDir.h"
#include "output/SurveyFormats.h"
#include <cmath>
#include <gtest/gtest.h>

namespace {

// The points of every golden file (tests/data_files/formats/README.md).
std::vector<SurveyPoint> goldenPoints()
{
    return {{0.0, 1480.26, 15.31}, {0.52, 1480.534, 15.27}, {12.37, 1493.1, 8.2}, {20.0, 1493.556, std::nan("")}};
}

// The probe's clock read 03:00:09 at UTC+8: 19:00:09 UTC the day before.
const QDateTime kClock(QDate(2009, 3, 7), QTime(3, 0, 9));
const GeoPosition kPosition{43.5712347, -65.7225};

SurveyHeader header(std::optional<GeoPosition> position = kPosition)
{
    SurveyHeader h;
    h.fileName = "/data/casts/s3.svp";
    h.date = kClock;
    h.utcOffset = 8 * 60;
    h.position = position;
    h.description = QStringLiteral("长江口 S3, Süd");
    h.deviceNumber = "VX4417";
    return h;
}

QByteArray golden(const char* name) { return TestDir::readAll(QString(SV_TEST_DATA "/formats/") + name); }

bool isAsciiText(const QByteArray& bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c == '\n' && (i == 0 || bytes[i - 1] != '\r'))
            return false;   // every line ends CR LF
        if (c != '\r' && c != '\n' && (c < 0x20 || c > 0x7E))
            return false;
    }
    return true;
}

}  // namespace

TEST(SurveyFormats, MatchGoldenFiles)
{
    struct Case
    {
        SurveyFormat format;
        const char* file;
    };
    const Case cases[] = {
        {SurveyFormat::CarisSvp, "caris_s3.svp"},      {SurveyFormat::KongsbergAsvp, "asvp_s3.asvp"},
        {SurveyFormat::HypackVelPosition, "vel3_s3.vel"}, {SurveyFormat::SonardynePro, "sonardyne_s3.pro"},
        {SurveyFormat::QpsBsvp, "qps_s3.bsvp"},        {SurveyFormat::ElacSva, "elac_s3.sva"},
        {SurveyFormat::GisCsv, "gis_s3.csv"},
    };
    ASSERT_EQ(std::size(cases), surveyFormats().size());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const QByteArray want = golden(c.file);
        ASSERT_FALSE(want.isEmpty());
        const Result<QByteArray> got = exportSurveyFormat(c.format, goldenPoints(), header());
        ASSERT_TRUE(got.ok()) << got.message().toStdString();
        EXPECT_EQ(got.value().toStdString(), want.toStdString());
        EXPECT_TRUE(QString(c.file).endsWith(surveyFormatExtension(c.format)));
    }
}

// A format whose header holds a position never writes 0,0 for a missing one.
TEST(SurveyFormats, RefuseWhatTheFormatCannotCarry)
{
    for (SurveyFormat f : surveyFormats()) {
        SCOPED_TRACE(surveyFormatName(f).toStdString());
        const Result<QByteArray> noPosition = exportSurveyFormat(f, goldenPoints(), header(std::nullopt));
        const bool carriesOne = f != SurveyFormat::SonardynePro && f != SurveyFormat::ElacSva;
        EXPECT_EQ(surveyFormatNeedsPosition(f), carriesOne);
        EXPECT_EQ(noPosition.ok(), !carriesOne);
        if (carriesOne) {
            EXPECT_EQ(noPosition.message(), QStringLiteral("这种格式需要测点位置，请输入纬度和经度！"));
        }

        SurveyHeader undated = header();
        undated.date.reset();
        EXPECT_EQ(exportSurveyFormat(f, goldenPoints(), undated).message(),
                  QStringLiteral("数据文件的第一个记录没有时间，不能导出这种格式！"));
        const std::vector<SurveyPoint> one = {goldenPoints().front()};
        EXPECT_EQ(exportSurveyFormat(f, one, header()).message(),
                  QStringLiteral("处理后的声速剖面不足两个点，不能导出这种格式！"));
    }
}

TEST(SurveyFormats, CarisPositionToAHundredthOfASecond)
{
    struct Case
    {
        GeoPosition p;
        const char* text;
    };
    const Case cases[] = {
        {{-0.5, 0.25}, "-00:30:00.00 000:15:00.00"},                 // sign of a position below one degree
        {{10.99999999, -179.999999999}, "11:00:00.00 -180:00:00.00"},  // 59.99996 s carries into the minute
        {{-33.8568, 151.2153}, "-33:51:24.48 151:12:55.08"},
        {{22.5431234, 114.0579}, "22:32:35.24 114:03:28.44"},
        {{0.000001, -0.000001}, "00:00:00.00 000:00:00.00"},        // rounds to zero: no sign
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const QList<QByteArray> lines =
            exportSurveyFormat(SurveyFormat::CarisSvp, goldenPoints(), header(c.p)).value().split('\n');
        ASSERT_GT(lines.size(), 3);
        EXPECT_TRUE(lines[2].startsWith(QByteArray("Section 2009-065 19:00:09 ") + c.text + " S3 Sud"))
            << lines[2].toStdString();
    }
}

TEST(SurveyFormats, ProbeClockZone)
{
    struct Case
    {
        const char* text;
        std::optional<int> minutes;
    };
    const Case cases[] = {
        {"8", 480},      {"+8", 480},    {" -3.5 ", -210}, {"+05:45", 345}, {"-12", -720}, {"14", 840},
        {"0", 0},        {"14.5", {}},   {"-12:01", {}},   {"15", {}},      {"8:60", {}},  {"8:5", {}},
        {"+-8", {}},     {"eight", {}},  {"", {}},         {"UTC+8", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parseUtcOffset(c.text), c.minutes);
    }
    EXPECT_EQ(utcOffsetText(345), "UTC+05:45");
    EXPECT_EQ(utcOffsetText(-210), "UTC-03:30");
    EXPECT_EQ(parseUtcOffset(utcOffsetSetting(-210)), -210);

    // The stored date is the probe clock's reading, whatever zone it was read in.
    const QDateTime utc(QDate(2009, 3, 6), QTime(19, 0, 9), Qt::UTC);
    EXPECT_EQ(castTimeUtc(kClock, 480), utc);
    EXPECT_EQ(castTimeUtc(kClock, -300), QDateTime(QDate(2009, 3, 7), QTime(8, 0, 9), Qt::UTC));
    // Without a setting: this computer's zone at the cast's date.
    EXPECT_EQ(castTimeUtc(kClock, std::nullopt), kClock.toUTC());
    EXPECT_EQ(computerUtcOffset(kClock), kClock.offsetFromUtc() / 60);

    // The offset reaches every format's time: 03:00:09 at UTC-5 is 08:00:09 UTC.
    SurveyHeader west = header();
    west.utcOffset = -5 * 60;
    EXPECT_TRUE(exportSurveyFormat(SurveyFormat::KongsbergAsvp, goldenPoints(), west)
                    .value()
                    .startsWith("( SoundVelocity 1.0 0 200903070800 "));
    EXPECT_TRUE(exportSurveyFormat(SurveyFormat::GisCsv, goldenPoints(), west).value().contains("\r\n2009-03-07,08:00:09,"));
}

TEST(SurveyFormats, TextIsAsciiOnly)
{
    EXPECT_EQ(asciiText(QStringLiteral("长江口Ｓ３  Ærø\tSüd\n测站")), "S3 r Sud");
    EXPECT_EQ(asciiText(QStringLiteral("深圳湾")), "");
    SurveyHeader h = header();
    h.fileName = QStringLiteral("/数据/长江口S3.svp");
    h.description = QStringLiteral("长江口 🌊 Москва S３\r\n第二行");
    h.deviceNumber = QStringLiteral("设备 VX４４１７");
    for (SurveyFormat f : surveyFormats()) {
        if (f == SurveyFormat::QpsBsvp)
            continue;   // binary: it holds no text
        SCOPED_TRACE(surveyFormatName(f).toStdString());
        const QByteArray bytes = exportSurveyFormat(f, goldenPoints(), h).value();
        EXPECT_TRUE(isAsciiText(bytes)) << bytes.toStdString();
        EXPECT_TRUE(bytes.endsWith("\r\n"));
    }
    const QByteArray caris = exportSurveyFormat(SurveyFormat::CarisSvp, goldenPoints(), h).value();
    EXPECT_TRUE(caris.startsWith("[SVP_VERSION_2]\r\nS3.svp\r\n"));
    EXPECT_TRUE(caris.contains(" -065:43:21.00 S3 VX4400 SN VX4417\r\n"));
    EXPECT_TRUE(exportSurveyFormat(SurveyFormat::KongsbergAsvp, goldenPoints(), h).value().contains(" VX4400_VX4417 P 4 )"));
}

TEST(SurveyFormats, ParsePosition)
{
    struct Case
    {
        const char* text;
        std::optional<GeoPosition> want;
    };
    const Case cases[] = {
        {"43.57,-65.7225", GeoPosition{43.57, -65.7225}},
        {" -33.5 , 151 ", GeoPosition{-33.5, 151}},
        {"43:34:12,-065:43:21", GeoPosition{43.57, -65.7225}},
        {"-0:30,0:15:00", GeoPosition{-0.5, 0.25}},
        {"90,-180", GeoPosition{90, -180}},
        {"90.01,0", {}},
        {"0,180.5", {}},
        {"43:60:00,0", {}},
        {"43:30:-1,0", {}},
        {"43.5:30,0", {}},
        {"43.57", {}},
        {"43.57,-65.7,1", {}},
        {"N43.57,W65.7", {}},
        {"", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<GeoPosition> got = parsePosition(c.text);
        ASSERT_EQ(got.has_value(), c.want.has_value());
        if (got) {
            EXPECT_NEAR(got->latitude, c.want->latitude, 1e-9);
            EXPECT_NEAR(got->longitude, c.want->longitude, 1e-9);
        }
    }
}
