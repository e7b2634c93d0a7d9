#include "output/Export.h"
#include "text/Gbk.h"
#include "TestDir.h"
#include <gtest/gtest.h>
#include <cmath>

// Golden files in data_files/output, typed by hand from the layout rules; how
// each was made is in data_files/output/README.md.

namespace {

QByteArray golden(const char* name)
{
    return TestDir::readAll(QStringLiteral(SV_TEST_DATA "/output/") + name);
}

ProfileRow row(std::optional<double> depth, std::optional<double> velocity,
               std::optional<double> temp)
{
    ProfileRow r;
    r.depth = depth;
    r.velocity = velocity;
    r.temp = temp;
    return r;
}

ProfileRow header(ProfileRow r, const QString& description, std::optional<QDateTime> dt)
{
    r.discrip = description;
    r.dt = dt;
    return r;
}

QDateTime at(int y, int mo, int d, int h, int mi)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi));
}

}  // namespace

TEST(Export, CommaCsvGoldenFiles)
{
    const std::vector<ProfileRow> s3 = {
        header(row(0.52, 1480.26, 15.31), "S3", at(2009, 3, 7, 14, 5)),
        row(1.04, 1480.53, 15.27),
    };
    EXPECT_EQ(exportCommaCsv(s3, "0.0"), golden("comma_s3.csv"));

    const std::vector<ProfileRow> chinese = {
        header(row(12.346, 1493.1, 8.2), QStringLiteral("长江口S3站"), at(2009, 12, 31, 23, 59)),
        row(0.005, 1480.45, -0.3),
        row(1.5, 1490.0, std::nullopt),
        row(2.0, 1500.0, 10.0),
    };
    EXPECT_EQ(exportCommaCsv(chinese, "0.00"), golden("comma_chinese.csv"));
}

TEST(Export, HypackVelGoldenFile)
{
    const std::vector<ProfileRow> rows = {
        header(row(5.26, 1480.26, 15.0), "S3", at(2009, 3, 7, 14, 5)),
        row(123.44, 987.64, 15.0),
        row(1234.56, 1500.0, 4.0),
        row(200.0, std::nullopt, 4.0),
        row(-0.3, 1480.45, std::nullopt),
    };
    EXPECT_EQ(exportHypackVel(rows), golden("hypack.vel"));
    EXPECT_EQ(exportHypackVel({}), QByteArray("FTP NEW\n"));
}

TEST(Export, AverageCsvGoldenFiles)
{
    const QString description = QStringLiteral("平均声速(0.80米起算)");
    const std::vector<ProfileRow> interval = {
        header(row(1.0, 1480.26, 15.30), description, at(2009, 3, 7, 14, 5)),
        row(2.0, 1480.53, 15.2), row(3.0, 1480.61, 15.1), row(4.0, 1480.76, 15.0),
        row(5.0, 1481.20, 14.9), row(6.0, 1481.35, 14.7), row(7.0, 1482.00, 14.5),
    };
    EXPECT_EQ(exportAverageCsv(interval, "0.00", 0.5f), golden("average_interval.csv"));

    const std::vector<ProfileRow> single = {
        header(row(2.0, 1480.45, 15.0), description, std::nullopt),
        row(3.0, 1480.65, 14.0),
    };
    EXPECT_EQ(exportAverageCsv(single, "0.0", 0.0f), golden("average_single.csv"));
}

TEST(Export, AverageIntervalComparesWithLastWrittenVelocity)
{
    struct Case { float interval; std::vector<double> velocities; std::vector<double> written; };
    const Case cases[] = {
        {0.5f, {1480.26, 1480.53, 1480.61, 1481.20, 1481.35, 1482.00}, {1480.26, 1481.20, 1482.00}},
        {0.0f, {1480.0, 1480.0, 1479.0}, {1480.0, 1480.0, 1479.0}},
        // Slow drift: each step is small, but the distance from the last one written grows.
        {1.0f, {1480.0, 1480.4, 1480.8, 1481.2, 1481.6, 1482.0}, {1480.0, 1481.2}},
        // A first velocity below the interval is measured against 0 and skipped.
        {5.0f, {3.0, 1480.0}, {1480.0}},
    };
    for (const Case& c : cases) {
        std::vector<ProfileRow> rows;
        for (double v : c.velocities)
            rows.push_back(row(1.0, v, 10.0));
        QByteArray expected = toGbk(QStringLiteral("()\n深度,平均声速,温度\n"));
        for (double v : c.written)
            expected += "1.00," + QByteArray::number(v, 'f', 2) + ",10.00\n";
        EXPECT_EQ(exportAverageCsv(rows, "0.00", c.interval), expected) << c.interval;
    }
}

TEST(Export, IncompleteAndNonNumericRowsAreLeftOut)
{
    const double nan = std::nan("");
    const std::vector<ProfileRow> rows = {
        row(1.0, 1500.0, 10.0),
        row(std::nullopt, 1500.0, 10.0),
        row(2.0, std::nullopt, 10.0),
        row(3.0, 1500.0, nan),
        row(INFINITY, 1500.0, 10.0),
        ProfileRow{},
    };
    EXPECT_EQ(exportCommaCsv(rows, "0.0"),
              QByteArray("()\nDepth,Sound Velocity,Temperature\n1.0,1500.0,10.0\n"));
    EXPECT_EQ(exportHypackVel(rows), QByteArray("FTP NEW\n001.0 1500.0\n003.0 1500.0\n"));
    EXPECT_EQ(exportAverageCsv(rows, "0.0", 0.0f),
              toGbk(QStringLiteral("()\n深度,平均声速,温度\n1.0,1500.0,10.0\n")));
}

TEST(Export, LongChineseDescriptionIsWrittenWhole)
{
    const QString description(255, QChar(0x58F0));   // 声 × 255
    const std::vector<ProfileRow> rows = {header(row(1.0, 1500.0, 10.0), description,
                                                 at(2009, 3, 7, 14, 5))};
    const QByteArray out = exportCommaCsv(rows, "0.0");
    const QByteArray line = out.left(out.indexOf('\n') + 1);
    EXPECT_EQ(line, toGbk(description) + "(09-3-7 14:05)\n");
    EXPECT_EQ(line.size(), 255 * 2 + 15);
    EXPECT_FALSE(out.contains('\r'));
}

TEST(Export, FileNameForcesTheExtension)
{
    struct Case { const char* chosen; const char* ext; const char* written; };
    const Case cases[] = {
        {"/data/prof.txt", ".CSV", "/data/prof.CSV"},
        {"/data/prof", ".VEL", "/data/prof.VEL"},
        {"/data/prof.csv", ".CSV", "/data/prof.CSV"},
        {"/data/cast.2009.03.07", ".VEL", "/data/cast.2009.03.VEL"},
        {"/data/v1.2/prof", ".CSV", "/data/v1.2/prof.CSV"},
        {"C:\\v1.2\\prof", ".CSV", "C:\\v1.2\\prof.CSV"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(exportFileName(c.chosen, c.ext), QString(c.written)) << c.chosen;
}

TEST(Export, FilterByKind)
{
    const QString ordinary = QStringLiteral("逗号分隔符文件(*.csv)|*.CSV|HYPACK格式(*.vel)|*.VEL");
    EXPECT_EQ(exportFilter(64), QStringLiteral("Vantrel软件格式(*.csv)|*.CSV"));
    for (int kind : {0, 63, 65, 128, 200})
        EXPECT_EQ(exportFilter(kind), ordinary) << kind;
}
