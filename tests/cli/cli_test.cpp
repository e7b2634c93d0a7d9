// svptool driven as a process: each subcommand's result on small fixtures, and
// exit code 2 with one line on standard error and nothing written on bad input.
#include "ProfileFiles.h"
#include "ParadoxWriter.h"
#include "TestDir.h"
#include "analysis/CastSplit.h"
#include "analysis/MergedProfile.h"
#include "storage/LegacyProfile.h"
#include "storage/ProfileTable.h"
#include "output/Export.h"
#include "document/ProcessedProfiles.h"
#include "storage/ProfileStore.h"
#include "output/SurveyFormats.h"
#include "document/ProfileDocument.h"
#include "document/SurveyExport.h"
#include "text/Gbk.h"
#include <QDir>
#include <QFileInfo>
#include <map>
#include <QProcess>
#include <gtest/gtest.h>
#include <cmath>

namespace {

struct RunResult
{
    int code = -1;
    QString out, err;
};

RunResult svptool(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(SVPTOOL_PATH), args);
    p.waitForFinished(-1);
    RunResult r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

ProfileRow row(double depth, double velocity, double temp)
{
    ProfileRow r;
    r.depth = depth;
    r.velocity = velocity;
    r.temp = temp;
    return r;
}

const QDateTime kDate(QDate(2009, 3, 7), QTime(14, 5));

// A cast down to 10 m and back up, stored as the live recording stores it.
std::vector<ProfileRow> rawCast()
{
    std::vector<ProfileRow> rows;
    for (int i = 1; i <= 20; ++i)
        rows.push_back(row(i * 0.5, 1480.0 + i * 0.1, 15.0 - i * 0.05));
    for (int i = 19; i >= 1; --i)
        rows.push_back(row(i * 0.5 + 0.2, 1480.1 + i * 0.1, 15.1 - i * 0.05));
    for (ProfileRow& r : rows) {
        r.status = 0;
        r.dt = kDate;
    }
    rows.front().discrip = QStringLiteral("长江口S3");
    return rows;
}

std::vector<ProfileRow> withKind(std::vector<ProfileRow> rows, int kind, const QString& description)
{
    rows.front().status = kind;
    rows.front().dt = kDate;
    rows.front().discrip = description;
    return rows;
}

// The merged profile of the average example: start depth 0.8 gives two points.
std::vector<ProfileRow> mergedFixture()
{
    return withKind({row(0.5, 1500, 10), row(1.0, 1500, 9), row(2.0, 1480, 8), row(3.0, 1520, 7)},
                    kKindMerged, "M1");
}

std::vector<ProfileRow> averageFixture()
{
    return withKind({row(1.0, 1480.26, 9), row(2.0, 1480.53, 8), row(3.0, 1481.2, 7)}, kKindAverage,
                    QStringLiteral("平均声速(0.80米起算)"));
}

class Cli : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ini = dir.file("svclient.INI");
        TestDir::writeAll(ini, "[Record]\nOutput Format=0.00\n");
        save("raw.db", rawCast());
        save("merged.db", mergedFixture());
        save("average.db", averageFixture());
        TestDir::writeAll(dir.file("garbage.db"), QByteArray("this is no profile file\n").repeated(40));
    }
    QString save(const QString& name, const std::vector<ProfileRow>& rows)
    {
        const Status written = writeProfile(dir.file(name), rows);
        EXPECT_TRUE(written.ok()) << written.message().toStdString();
        return dir.file(name);
    }
    RunResult run(QStringList args)
    {
        args << "--ini" << ini;
        return svptool(args);
    }
    TestDir dir;
    QString ini;
};

}  // namespace

TEST_F(Cli, InfoTellsKindAndFormat)
{
    QString error;
    ASSERT_TRUE(writeParadoxTable(dir.file("old.db"), rawCast(), &error)) << error.toStdString();
    struct Case { const char* file; const char* kind; int rows; const char* format; };
    const Case cases[] = {
        {"raw.db", "raw", 39, "current"},
        {"merged.db", "merged", 4, "current"},
        {"average.db", "average", 3, "current"},
        {"old.db", "raw", 39, "old Paradox"},
    };
    for (const Case& c : cases) {
        const RunResult r = run({"info", dir.file(c.file)});
        ASSERT_EQ(r.code, 0) << c.file << r.err.toStdString();
        EXPECT_TRUE(r.out.contains(QStringLiteral("kind: ") + c.kind + "\n")) << c.file;
        EXPECT_TRUE(r.out.contains(QStringLiteral("rows: %1\n").arg(c.rows))) << c.file;
        EXPECT_TRUE(r.out.contains(QStringLiteral("format: ") + c.format + "\n")) << c.file;
    }
    const RunResult raw = run({"info", dir.file("raw.db")});
    EXPECT_TRUE(raw.out.contains(QStringLiteral("description: 长江口S3\n")));
    EXPECT_TRUE(raw.out.contains("date: 2009-03-07 14:05:00\n"));
    EXPECT_TRUE(raw.out.contains("depth: 0.50 .. 10.00\n"));
}

TEST_F(Cli, ExportWritesTheLibraryBytes)
{
    const std::vector<ProfileRow> raw = readProfileRows(dir.file("raw.db"));
    const std::vector<ProfileRow> av = readProfileRows(dir.file("average.db"));
    struct Case { const char* file; QStringList options; QByteArray expected; };
    const Case cases[] = {
        {"raw.db", {"--format", "csv"}, exportCommaCsv(raw, "0.00")},
        {"raw.db", {"--format", "vel"}, exportHypackVel(raw)},
        {"average.db", {"--format", "avg-csv"}, exportAverageCsv(av, "0.00", 0.0f)},
        {"average.db", {"--format", "avg-csv", "--interval", "0.5"}, exportAverageCsv(av, "0.00", 0.5f)},
    };
    int n = 0;
    for (const Case& c : cases) {
        const QString outFile = dir.file(QStringLiteral("out%1.txt").arg(n++));
        QStringList args = {"export", dir.file(c.file), "-o", outFile};
        args += c.options;
        const RunResult r = run(args);
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
        EXPECT_EQ(TestDir::readAll(outFile), c.expected) << c.options.join(' ').toStdString();
    }
    // The interval case really skips rows.
    EXPECT_NE(cases[2].expected, cases[3].expected);
}

// The library's bytes of the processed profile: what the window writes for the same file.
QByteArray expectedSurvey(const QString& file, SurveyFormat format, const SurveyHeader& base)
{
    ProfileDocument doc;
    Result<StoredProfile> read = readProfile(file);
    EXPECT_TRUE(read.ok());
    EXPECT_TRUE(doc.load(std::move(read.value())).ok());
    const Result<SurveyExportPlan> plan = planSurveyExport(doc, format);
    EXPECT_TRUE(plan.ok()) << plan.message().toStdString();
    SurveyHeader h = base;
    h.date = doc.date();
    h.description = doc.description();
    const Result<QByteArray> bytes = exportSurveyFormat(format, plan->profile.points, h);
    EXPECT_TRUE(bytes.ok()) << bytes.message().toStdString();
    return bytes.value();
}

TEST_F(Cli, ExportSurveyFormats)
{
    TestDir::writeAll(ini, "[SN]\nSN=VX4417\n");
    struct Case { const char* format; const char* position; };
    const Case cases[] = {
        {"caris", "43:34:12,-065:43:21"}, {"asvp", "43.57,-65.7225"}, {"vel3", "-12.5,130.25"},
        {"pro", nullptr},                 {"bsvp", "22.5,114"},       {"sva", nullptr},
        {"gis-csv", "22.5,114"},
    };
    for (const Case& c : cases) {
        const QString outFile = dir.file(QStringLiteral("survey.%1").arg(c.format));
        QStringList args = {"export", dir.file("raw.db"), "--format", c.format, "--utc-offset", "+8", "-o", outFile};
        SurveyHeader header;
        header.fileName = outFile;
        header.utcOffset = 480;
        header.deviceNumber = "VX4417";
        if (c.position) {
            args << "--position" << c.position;
            header.position = parsePosition(c.position);
        }
        const RunResult r = run(args);
        ASSERT_EQ(r.code, 0) << c.format << r.err.toStdString();
        const SurveyFormat f = *surveyFormatFromName(c.format);
        EXPECT_EQ(TestDir::readAll(outFile), expectedSurvey(dir.file("raw.db"), f, header)) << c.format;
        EXPECT_TRUE(r.out.contains(" points (merged and smoothed from a raw cast;")) << r.out.toStdString();
    }
    // The raw cast's 39 rows become one strictly increasing profile, thinned.
    const QList<QByteArray> lines = TestDir::readAll(dir.file("survey.caris")).split('\n');
    double last = -1;
    int points = 0;
    for (qsizetype i = 3; i < lines.size() && !lines[i].isEmpty(); ++i, ++points) {
        const double depth = lines[i].split(' ').front().toDouble();
        EXPECT_GT(depth, last) << lines[i].toStdString();
        last = depth;
    }
    EXPECT_GE(points, 2);
    EXPECT_LT(points, 39);
    // The position of the settings file serves when none is given.
    TestDir::writeAll(ini, "[Position]\nLatitude=43.57\nLongitude=-65.7225\n");
    const QString outFile = dir.file("settings.vel");
    ASSERT_EQ(run({"export", dir.file("raw.db"), "--format", "vel3", "-o", outFile}).code, 0);
    EXPECT_TRUE(TestDir::readAll(outFile).startsWith("FTP NEW 3 43.570000 -65.722500 "));
}

// The cast's time (14:05 on the probe's clock) turned into UTC by the clock's zone.
TEST_F(Cli, ExportTimeZone)
{
    struct Case { QByteArray settings; QStringList options; QByteArray time; };
    const QByteArray computer = castTimeUtc(kDate, std::nullopt).toString("yyyyMMddHHmm").toLatin1();
    const Case cases[] = {
        {"", {"--utc-offset", "8"}, "200903070605"},
        {"", {"--utc-offset", "-5"}, "200903071905"},
        {"", {"--utc-offset", "+5:45"}, "200903070820"},
        {"[Probe Clock]\nUTC Offset=+05:30\n", {}, "200903070835"},
        {"[Probe Clock]\nUTC Offset=+05:30\n", {"--utc-offset", "0"}, "200903071405"},
        {"", {}, computer},
    };
    int n = 0;
    for (const Case& c : cases) {
        TestDir::writeAll(ini, c.settings);
        const QString outFile = dir.file(QStringLiteral("zone%1.asvp").arg(n++));
        const RunResult r = run(QStringList{"export", dir.file("raw.db"), "--format", "asvp", "--position", "1,2",
                                            "-o", outFile} + c.options);
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
        EXPECT_TRUE(TestDir::readAll(outFile).startsWith("( SoundVelocity 1.0 0 " + c.time + " ")) << c.time.toStdString();
    }
    const RunResult help = svptool({"export", "--help"});
    EXPECT_TRUE(help.out.contains("--utc-offset")) << help.out.toStdString();
    EXPECT_TRUE(help.out.contains("now " + utcOffsetText(computerUtcOffset(QDateTime::currentDateTime()))));
}

// Several inputs into one folder: each named after its input; a bad one is
// reported on its own line and skipped, the others written, exit 2.
TEST_F(Cli, ExportBatch)
{
    save("few.db", withKind({row(1, 1480, 15), row(2, 1481, 14), row(1, 1480, 15)}, 0, "F"));
    const QString out = dir.file("out") + "/";
    const RunResult r = run({"export", dir.file("raw.db"), dir.file("garbage.db"), dir.file("merged.db"),
                             dir.file("few.db"), dir.file("missing.db"), "--format", "caris", "--position", "1,2",
                             "--utc-offset", "8", "-o", out});
    EXPECT_EQ(r.code, 2);
    const QStringList errors = r.err.trimmed().split('\n');
    ASSERT_EQ(errors.size(), 3) << r.err.toStdString();
    EXPECT_TRUE(errors[0].contains("garbage.db")) << errors[0].toStdString();
    EXPECT_TRUE(errors[1].contains("few.db") && errors[1].contains(QStringLiteral("数据量不够，不能绘制声速曲线！")));
    EXPECT_TRUE(errors[2].contains("missing.db"));
    QStringList files = QDir(out).entryList(QDir::Files);
    files.sort();
    EXPECT_EQ(files, QStringList({"merged.svp", "raw.svp"}));
    SurveyHeader header;
    header.fileName = out + "raw.svp";
    header.utcOffset = 480;
    header.position = GeoPosition{1, 2};
    EXPECT_EQ(TestDir::readAll(out + "raw.svp"), expectedSurvey(dir.file("raw.db"), SurveyFormat::CarisSvp, header));

    // All good: exit 0; the client's own layouts go by batch too.
    const RunResult csv = run({"export", dir.file("raw.db"), dir.file("merged.db"), "--format", "csv", "-o", out});
    EXPECT_EQ(csv.code, 0) << csv.err.toStdString();
    EXPECT_EQ(TestDir::readAll(out + "raw.csv"), exportCommaCsv(readProfileRows(dir.file("raw.db")), "0.00"));
    // Two inputs of the same name would write one file twice: the second is refused.
    QDir().mkpath(dir.file("again"));
    save("again/raw.db", rawCast());
    const RunResult twice = run({"export", dir.file("raw.db"), dir.file("again/raw.db"), "--format", "vel", "-o",
                                 dir.file("twice")});
    EXPECT_EQ(twice.code, 2);
    EXPECT_EQ(twice.err.count('\n'), 1);
    EXPECT_EQ(TestDir::readAll(dir.file("twice/raw.vel")), exportHypackVel(readProfileRows(dir.file("raw.db"))));
}

TEST_F(Cli, MergeSavesTheChartsMergedProfile)
{
    const RunResult r = run({"merge", dir.file("raw.db"), "-o", dir.file("m.db")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();

    std::vector<ProfileSample> samples;
    for (const ProfileRow& x : rawCast())
        samples.push_back({*x.depth, *x.velocity, *x.temp});
    Series sv, temp;
    ASSERT_TRUE(buildMergedProfile(splitCast(samples), &sv, &temp));
    const std::vector<ProfileRow> saved = readProfileRows(dir.file("m.db"));
    ASSERT_EQ(saved.size(), rawCast().size());
    EXPECT_EQ(saved, readProfileRows(save("expected.db", mergedProfileRows(sv, temp, kDate, QStringLiteral("长江口S3")))));
    EXPECT_EQ(saved.front().status, kKindMerged);
}

TEST_F(Cli, AverageFromStoredMergedProfile)
{
    const RunResult r = run({"average", dir.file("merged.db"), "--from", "0.8", "-o", dir.file("a.db")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const std::vector<ProfileRow> rows = readProfileRows(dir.file("a.db"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].status, kKindAverage);
    EXPECT_EQ(rows[0].discrip, QStringLiteral("平均声速(0.80米起算)"));
    EXPECT_EQ(rows[0].dt, kDate);
    EXPECT_EQ(rows[0].depth, 2.0);
    EXPECT_EQ(rows[1].depth, 3.0);
    EXPECT_NEAR(*rows[0].velocity, 1.2 / (0.2 / 1500 + 1.0 / 1480), 0.01);
    EXPECT_NEAR(*rows[1].velocity, 2.2 / (0.2 / 1500 + 1.0 / 1480 + 1.0 / 1520), 0.01);
    EXPECT_EQ(rows[0].temp, 8.0);   // the merged temperatures at 2.0 and 3.0
    EXPECT_EQ(rows[1].temp, 7.0);

    const RunResult fromRaw = run({"average", dir.file("raw.db"), "--from", "0", "-o", dir.file("b.db")});
    ASSERT_EQ(fromRaw.code, 0) << fromRaw.err.toStdString();
    EXPECT_EQ(readProfileRows(dir.file("b.db")).front().status, kKindAverage);
}

TEST_F(Cli, ImportCsvStoresRecordedValues)
{
    struct Case { QByteArray bytes; };
    const Case cases[] = {
        {"0.504,1480.257,15.3\n1.0,1481,15.2\n"},
        {"\xEF\xBB\xBF" "Depth,Sound Velocity,Temperature\r\n0.504,1480.257,15.3\r\n1.0,1481,15.2\r\n"},
        {toGbk(QStringLiteral("深度,声速,温度\n0.504,1480.257,15.3\n1.0,1481,15.2\n"))},
    };
    int n = 0;
    for (const Case& c : cases) {
        const QString in = dir.file(QStringLiteral("in%1.csv").arg(n));
        const QString outFile = dir.file(QStringLiteral("imp%1.db").arg(n++));
        TestDir::writeAll(in, c.bytes);
        const RunResult r = run({"import-csv", in, "--description", QStringLiteral("测站1"),
                           "--date", "2026-12-01 08:30", "-o", outFile});
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
        const std::vector<ProfileRow> rows = readProfileRows(outFile);
        ASSERT_EQ(rows.size(), 2u) << n;
        EXPECT_EQ(rows[0].depth, 0.5);
        EXPECT_EQ(rows[0].velocity, 1480.26);
        EXPECT_EQ(rows[0].status, 0);
        EXPECT_EQ(rows[1].status, 0);
        EXPECT_EQ(rows[0].discrip, QStringLiteral("测站1"));
        EXPECT_EQ(rows[0].dt, QDateTime(QDate(2026, 12, 1), QTime(8, 30)));
        EXPECT_FALSE(rows[1].dt);
        EXPECT_FALSE(rows[1].discrip && !rows[1].discrip->isEmpty());
    }
}

// Lines are read in place: blank lines are skipped but counted, blanks around
// a line and around a number are allowed, and exactly three fields make a row.
TEST_F(Cli, ImportCsvReadsEveryLineOrNamesTheBadOne)
{
    struct Case { QByteArray bytes; int rows; const char* where; };
    const Case cases[] = {
        {"depth,v,t\n1.0,1480,15\n2.0,abc,14\n", 0, ":3:"},
        {"1,1480,3\n\n\n1,1480,3,4\n", 0, ":4:"},
        {"1,1480,3\n1,1480\n", 0, ":2:"},
        {"1,1480,3\n1,1480,\n", 0, ":2:"},
        {"1,1480,3\nx,1480,3\n", 0, ":2:"},
        {"x,y,z\r\n 1.0 , 1480 ,15\t\r\n\r\n2,1480,15 \n"
         "3,1481,16\xE3\x80\x80\n4e0,+1482,-1.5E1", 4, nullptr},
    };
    int n = 0;
    for (const Case& c : cases) {
        const QString in = dir.file(QStringLiteral("lines%1.csv").arg(n));
        const QString outFile = dir.file(QStringLiteral("lines%1.db").arg(n++));
        TestDir::writeAll(in, c.bytes);
        const RunResult r = run({"import-csv", in, "-o", outFile});
        if (c.where) {
            EXPECT_EQ(r.code, 2) << n;
            EXPECT_TRUE(r.err.contains(QLatin1String(c.where))) << n << " " << r.err.toStdString();
            continue;
        }
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
        const std::vector<ProfileRow> rows = readProfileRows(outFile);
        ASSERT_EQ(int(rows.size()), c.rows);
        EXPECT_EQ(rows[3].depth, 4.0);
        EXPECT_EQ(rows[3].velocity, 1482.0);
        EXPECT_EQ(rows[3].temp, -15.0);
    }
}

TEST_F(Cli, ConvertKeepsEveryRow)
{
    const QString old = dir.file("old.db");
    QString error;
    std::vector<ProfileRow> rows = rawCast();
    rows[1].dt.reset();
    ASSERT_TRUE(writeParadoxTable(old, rows, &error)) << error.toStdString();
    const QByteArray before = TestDir::readAll(old);
    const RunResult r = run({"convert", old, "-o", dir.file("new.db")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    std::vector<ProfileRow> legacy;
    ASSERT_TRUE(readLegacyProfile(old, &legacy, &error));
    EXPECT_EQ(readProfileRows(dir.file("new.db")), legacy);
    EXPECT_EQ(TestDir::readAll(old), before);
}

// Commands that only read leave their inputs byte-identical, whether they
// succeed or fail, also a file an earlier build left in write-ahead-log mode.
TEST_F(Cli, ReadingCommandsLeaveTheirInputsAsTheyWere)
{
    QDir().mkpath(dir.file("in"));
    QDir().mkpath(dir.file("out"));
    for (const char* name : {"raw.db", "merged.db"})
        ASSERT_TRUE(QFile::copy(dir.file(name), dir.file(QStringLiteral("in/") + name)));
    ASSERT_TRUE(QFile::copy(dir.file("raw.db"), dir.file("in/earlier.db")));
    ASSERT_TRUE(runSql(dir.file("in/earlier.db"), {"PRAGMA journal_mode=WAL"}));
    QStringList before = QDir(dir.file("in")).entryList(QDir::Files | QDir::Hidden);
    std::map<QString, QByteArray> bytes;
    for (const QString& name : before)
        bytes[name] = TestDir::readAll(dir.file("in/" + name));
    ASSERT_EQ(bytes.at("earlier.db").at(19), 2);
    int n = 0;
    for (const char* input : {"raw.db", "earlier.db", "merged.db"}) {
        const QString in = dir.file(QStringLiteral("in/") + input);
        auto out = [&](const char* ext) { return dir.file(QStringLiteral("out/%1.%2").arg(n++).arg(ext)); };
        const QStringList commands[] = {
            {"info", in},
            {"export", in, "-o", out("csv")},
            {"merge", in, "-o", out("db")},
            {"average", in, "--from", "0", "-o", out("db")},
            {"average", in, "--from", "9999", "-o", out("db")},   // fails: no point below
            {"merge", in, "-o", in},                              // fails: would replace its input
            {"convert", in, "-o", out("db")},                     // fails: not an old file
        };
        for (const QStringList& args : commands) {
            run(args);
            for (const auto& [name, content] : bytes)
                EXPECT_EQ(TestDir::readAll(dir.file("in/" + name)), content) << args.join(' ').toStdString();
            EXPECT_EQ(QDir(dir.file("in")).entryList(QDir::Files | QDir::Hidden), before)
                << args.join(' ').toStdString();
        }
    }
}

TEST_F(Cli, BadInputExitsTwoAndWritesNothing)
{
    TestDir::writeAll(dir.file("bad.csv"), "depth,velocity,temperature\n1.0,1480,15\n2.0,abc,14\n");
    TestDir::writeAll(dir.file("badfirst.csv"), "1.0,abc,15\n2.0,1480,14\n");
    save("few.db", withKind({row(1, 1480, 15), row(2, 1481, 14), row(1, 1480, 15)}, 0, "F"));
    const QString outFile = dir.file("out.any");
    struct Case { QStringList args; };
    const Case cases[] = {
        {{"info", dir.file("missing.db")}},
        {{"info", dir.file("garbage.db")}},
        {{"export", dir.file("garbage.db"), "--format", "csv", "-o", outFile}},
        {{"export", dir.file("raw.db"), "--format", "avg-csv", "-o", outFile}},
        {{"export", dir.file("average.db"), "--format", "vel", "-o", outFile}},
        {{"export", dir.file("raw.db"), "--format", "xyz", "-o", outFile}},
        {{"export", dir.file("raw.db"), "--format", "caris", "-o", outFile}},
        {{"export", dir.file("raw.db"), "--format", "vel3", "--position", "95,10", "-o", outFile}},
        {{"export", dir.file("raw.db"), "--format", "asvp", "-o", outFile}},
        {{"export", dir.file("raw.db"), "--format", "gis-csv", "--position", "1,2", "--utc-offset", "15", "-o", outFile}},
        {{"export", dir.file("raw.db"), "--format", "pro", "--utc-offset", "eight", "-o", outFile}},
        {{"export", dir.file("raw.db"), "--format", "pro", "--max-points", "1", "-o", outFile}},
        {{"export", dir.file("raw.db"), "--format", "csv", "--utc-offset", "8", "-o", outFile}},
        {{"export", dir.file("few.db"), "--format", "sva", "-o", outFile}},
        {{"export", dir.file("average.db"), "--format", "sva", "-o", outFile}},
        {{"export", dir.file("raw.db"), "--format", "csv"}},
        {{"export", dir.file("raw.db"), "--format", "csv", "-o", outFile, "--bogus"}},
        {{"import-csv", dir.file("bad.csv"), "-o", outFile}},
        {{"import-csv", dir.file("missing.csv"), "-o", outFile}},
        {{"import-csv", dir.file("badfirst.csv"), "-o", outFile}},
        {{"average", dir.file("raw.db"), "--from", "abc", "-o", outFile}},
        {{"average", dir.file("merged.db"), "--from", "5", "-o", outFile}},
        {{"average", dir.file("average.db"), "--from", "0.8", "-o", outFile}},
        {{"merge", dir.file("few.db"), "-o", outFile}},
        {{"merge", dir.file("merged.db"), "-o", outFile}},
        {{"convert", dir.file("raw.db"), "-o", outFile}},
        {{"frobnicate"}},
    };
    for (const Case& c : cases) {
        const RunResult r = run(c.args);
        const std::string what = c.args.join(' ').toStdString();
        EXPECT_EQ(r.code, 2) << what;
        EXPECT_EQ(r.err.count('\n'), 1) << what << r.err.toStdString();
        EXPECT_GT(r.err.trimmed().size(), 0) << what;
        EXPECT_FALSE(QFileInfo::exists(outFile)) << what;
    }
}

TEST_F(Cli, RawRecordingIsNeverOverwritten)
{
    const QString target = save("target.db", rawCast());
    const QByteArray before = TestDir::readAll(target);
    const QStringList commands[] = {
        {"merge", dir.file("raw.db"), "-o", target},
        {"average", dir.file("raw.db"), "--from", "0.8", "-o", target},
        {"export", dir.file("raw.db"), "--format", "csv", "-o", target},
        {"merge", target, "-o", target},
    };
    for (const QStringList& args : commands) {
        const RunResult r = run(args);
        EXPECT_EQ(r.code, 2) << args.join(' ').toStdString();
        EXPECT_EQ(TestDir::readAll(target), before) << args.join(' ').toStdString();
    }
    // A processed file may be replaced.
    EXPECT_EQ(run({"merge", dir.file("raw.db"), "-o", dir.file("merged.db")}).code, 0);
}

TEST_F(Cli, EveryCommandHasHelp)
{
    for (const char* c : {"info", "export", "merge", "average", "import-csv", "convert", "list", "upload"}) {
        const RunResult r = svptool({c, "--help"});
        EXPECT_EQ(r.code, 0) << c;
        EXPECT_TRUE(r.out.contains(QStringLiteral("svptool ") + c)) << c;
        EXPECT_FALSE(r.out.contains("sim-clock")) << c;
    }
}

// The simulator on a simulated clock: a whole listing and upload in no real time.
TEST_F(Cli, ListAndUploadOnTheSimulator)
{
    const RunResult list = run({"list", "--sim-clock"});
    ASSERT_EQ(list.code, 0) << list.err.toStdString();
    EXPECT_TRUE(list.out.contains(QStringLiteral("共有 3 个文件剩余内存："))) << list.out.toStdString();
    EXPECT_TRUE(list.out.startsWith("1\t26-11-20 08:15\n")) << list.out.toStdString();

    const QString up = dir.file("up");
    const RunResult r = run({"upload", "--sim-clock", "--dir", up});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("传输3个文件（传输完成）")));
    EXPECT_TRUE(r.err.contains(QStringLiteral("文件号：3")));
    const QStringList files = QDir(up).entryList({"*.db"}, QDir::Files);
    ASSERT_EQ(files.size(), 3);
    EXPECT_EQ(readProfileRows(QDir(up).filePath("2611200815.db")).front().dt,
              QDateTime(QDate(2026, 11, 20), QTime(8, 15)));

    const RunResult badDensity = run({"upload", "--sim-clock", "--dir", dir.file("up2"), "--density", "2"});
    EXPECT_EQ(badDensity.code, 2);
    EXPECT_FALSE(QFileInfo::exists(dir.file("up2")));
}
