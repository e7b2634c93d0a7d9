// CARIS, Kongsberg and HYPACK-with-position files against hand-made golden files.
#include "TestDir.h"
#include "output/SurveyFormats.h"
#include <QTimeZone>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

ProfileRow sample(std::optional<double> depth, std::optional<double> velocity)
{
    ProfileRow r;
    r.depth = depth;
    r.velocity = velocity;
    r.temp = 15.0;
    return r;
}

// The rows of every golden file (tests/data_files/formats/README.md).
std::vector<ProfileRow> goldenRows()
{
    return {sample(0.52, 1480.26), sample(1.04, 1480.534), sample(2.0, {}), sample({}, 1481.0),
            sample(5.0, std::numeric_limits<double>::infinity()), sample(12.346, 1493.1),
            sample(-0.3, 987.64)};
}

// 03:00:09 at UTC+8 is 19:00:09 UTC the day before.
const QDateTime kDate(QDate(2009, 3, 7), QTime(3, 0, 9), QTimeZone(8 * 3600));
const GeoPosition kPosition{43.57, -65.7225};

QByteArray golden(const char* name) { return TestDir::readAll(QString(SV_TEST_DATA "/formats/") + name); }

QByteArray build(SurveyFormat f, std::optional<GeoPosition> position, QString* error = nullptr)
{
    QByteArray bytes;
    QString ignored;
    exportSurveyFormat(f, goldenRows(), {"/data/casts/s3.svp", kDate, position}, &bytes,
                       error ? error : &ignored);
    return bytes;
}

}  // namespace

TEST(SurveyFormats, MatchGoldenFiles)
{
    struct Case
    {
        SurveyFormat format;
        std::optional<GeoPosition> position;
        const char* file;
    };
    const Case cases[] = {
        {SurveyFormat::CarisSvp, kPosition, "caris_s3.svp"},
        {SurveyFormat::KongsbergAsvp, kPosition, "asvp_s3.asvp"},
        {SurveyFormat::KongsbergAsvp, {}, "asvp_no_position.asvp"},
        {SurveyFormat::HypackVelPosition, kPosition, "vel3_s3.vel"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const QByteArray want = golden(c.file);
        ASSERT_FALSE(want.isEmpty());
        EXPECT_EQ(build(c.format, c.position).toStdString(), want.toStdString());
    }
}

TEST(SurveyFormats, RefuseWhatTheFormatCannotCarry)
{
    for (SurveyFormat f : {SurveyFormat::CarisSvp, SurveyFormat::HypackVelPosition}) {
        QString error;
        EXPECT_TRUE(build(f, {}, &error).isEmpty());
        EXPECT_FALSE(error.isEmpty());
    }
    QByteArray bytes = "old";
    QString error;
    EXPECT_FALSE(exportSurveyFormat(SurveyFormat::KongsbergAsvp, goldenRows(), {"s3.asvp", {}, kPosition},
                                    &bytes, &error));
    EXPECT_TRUE(bytes.isEmpty());
    EXPECT_FALSE(error.isEmpty());
}

TEST(SurveyFormats, CarisPositionToTheSecond)
{
    struct Case
    {
        GeoPosition p;
        const char* text;
    };
    const Case cases[] = {
        {{-0.5, 0.25}, "-00:30:00 000:15:00"},           // sign of a position below one degree
        {{10.9999999, -179.99999}, "11:00:00 -180:00:00"},  // 59.9996 s carries into the minute
        {{-33.8568, 151.2153}, "-33:51:24 151:12:55"},
        {{0.0001, -0.0001}, "00:00:00 000:00:00"},       // rounds to zero: no sign
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const QList<QByteArray> lines = build(SurveyFormat::CarisSvp, c.p).split('\n');
        ASSERT_GT(lines.size(), 3);
        EXPECT_EQ(lines[2].toStdString(), std::string("Section 2009-065 19:00:09 ") + c.text);
    }
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
