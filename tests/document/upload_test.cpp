// The upload of stored recordings end to end: simulated probe on the simulated
// clock, real profile files in a temporary directory.
#include "ProfileFiles.h"
#include "TestDir.h"
#include "storage/ProfileTable.h"
#include "model/Calibration.h"
#include "probe/Conversions.h"
#include "probe/MsClock.h"
#include "probe/ProbeProtocol.h"
#include "document/UploadFiles.h"
#include "probe/ProbeUpload.h"
#include "probe/SimulatedProbe.h"
#include <QDir>
#include <gtest/gtest.h>
#include <functional>

using namespace probemem;
using S = ProbeStatus;
using Rec = SimulatedProbe::Recording;
using Sample = SimulatedProbe::Sample;

static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
namespace probemem {
static void PrintTo(ProbeStatus s, std::ostream* os) { *os << statusName(s); }
}
static void PrintTo(const ProfileRow& r, std::ostream* os)
{
    *os << '{' << (r.dt ? r.dt->toString(Qt::ISODate).toStdString() : "-") << ' ' << r.depth.value_or(-999) << ' '
        << r.velocity.value_or(-999) << ' ' << r.temp.value_or(-999) << ' ' << r.status.value_or(-999) << ' '
        << (r.discrip ? r.discrip->toStdString() : "-") << '}';
}

namespace {

QDateTime at(int y, int mo, int d, int h, int mi) { return QDateTime(QDate(y, mo, d), QTime(h, mi, 0)); }

Rec rec(int number, QDateTime start, uint16_t surface, std::vector<Sample> samples)
{
    Rec r;
    r.number = number;
    r.start = start;
    r.surfacePressure = surface;
    r.samples = std::move(samples);
    return r;
}

// With the probe's calibration (LF2048 50000, TF2048 1000, default polynomials)
// and the surface count 4200 (an atmosphere of about 10243.67):
const Sample kMid = {5000, 10000, 26214, 0};     // 1472.62 m/s, 12.78 m, 18.50 degC
const Sample kLow = {5000, 10000, 26214, 1};     // the same, low battery
const Sample kEmpty = {0, 0xFFFF, 0xFFFF, 0xFF};   // as the probe leaves an unused record
const Sample kSlow = {14233, 4000, 0, 0};        // 1300.00 m/s (kept), above the surface: 0.00 m, 93.00 degC
const Sample kDeep = {5000, 20000, 52428, 0};    // 34.84 m, -1.00 degC

ProfileRow row(double depth, double sv, double temp, int status, std::optional<QDateTime> dt = {})
{
    ProfileRow r;
    r.dt = dt;
    r.depth = depth;
    r.velocity = sv;
    r.temp = temp;
    r.status = status;
    if (status & 1)
        r.discrip = QStringLiteral("低电");
    return r;
}

struct Rig
{
    SimulatedClock clk;
    SimulatedProbe probe{clk};
    ProbeProtocol protocol{probe};
    TestDir dir;
    ProfileTable table;
    std::vector<DirectoryEntry> begun;
    std::vector<int> progress;
    int started = 0, calibrated = 0;

    explicit Rig(std::vector<Rec> recordings)
    {
        probe.open();
        probe.setBaud(9600);
        probe.setRecordings(std::move(recordings));
    }
    QString path() const { return withTrailingSeparator(dir.path()); }
    QStringList files() const { return QDir(dir.path()).entryList({"*.db"}, QDir::Files, QDir::Name); }
    UploadResult run(const QString& target = {})
    {
        SessionEvents events;
        events.started = [this] { ++started; };
        events.calibrated = [this](const CalibrationRead&) { ++calibrated; };
        events.entry = [this](const DirectoryEntry& e) { begun.push_back(e); };
        events.percent = [this](int p) { progress.push_back(p); };
        const uint32_t start = clk.now();
        TableUploadSink sink(table, target.isEmpty() ? path() : target);
        const UploadResult r = upload(protocol, sink, {1.0f, 32704, 10400.0f}, events);
        EXPECT_FALSE(probe.powered());
        EXPECT_LT(clk.now() - start, 20000u);
        return r;
    }
};

const QDateTime kStartA = at(2025, 12, 31, 23, 59);
const QDateTime kStartB = at(2026, 1, 2, 8, 30);

}  // namespace

TEST(Upload, TwoRecordingsRowByRow)
{
    Rig rig({rec(1, kStartA, 4200, {kMid, kLow, kEmpty, kSlow}), rec(2, kStartB, 0, {kMid, kDeep})});
    const UploadResult r = rig.run();
    EXPECT_EQ(r.status, S::Complete);
    ASSERT_EQ(r.files.size(), 2u);
    EXPECT_EQ(r.files[0].rows, 3);
    EXPECT_EQ(r.files[1].rows, 2);
    EXPECT_EQ(r.files[1].fileName, rig.dir.file("2601020830.db"));
    EXPECT_EQ(rig.files(), QStringList({"2512312359.db", "2601020830.db"}));

    // The 0xFF record gives no row; the low-battery row says so.
    const std::vector<ProfileRow> a = {row(12.78, 1472.62, 18.50, 0, kStartA), row(12.78, 1472.62, 18.50, 1),
                                       row(0.00, 1300.00, 93.00, 0)};
    EXPECT_EQ(readProfileRows(rig.dir.file("2512312359.db")), a);
    // The second header has no surface pressure: the first one's atmosphere stays.
    const std::vector<ProfileRow> b = {row(12.78, 1472.62, 18.50, 0, kStartB), row(34.84, 1472.62, -1.00, 0)};
    EXPECT_EQ(readProfileRows(rig.dir.file("2601020830.db")), b);

    ASSERT_TRUE(r.calibration);
    EXPECT_EQ(r.atmosphere, static_cast<float>(PressureFromCount(r.calibration->cal, 4200)));
    EXPECT_EQ(r.calibration->sn, "VX4417");
    EXPECT_EQ(rig.begun, std::vector<DirectoryEntry>({{1, "25-12-31 23:59"}, {2, "26-01-02 08:30"}}));
    EXPECT_EQ(rig.started, 1);
    EXPECT_EQ(rig.calibrated, 1);
    EXPECT_FALSE(rig.table.isActive());
    EXPECT_TRUE(rig.table.tableName().isEmpty());
    for (int p : rig.progress)
        EXPECT_TRUE(p >= 0 && p <= 100);
}

TEST(Upload, HeaderNamesTheFileAndStartsTheFirstRow)
{
    const Frame f = {0xAA, 7, 0x25, 0x12, 0x31, 0x23, 0x59, 0x10, 0x68, 0};
    const auto h = recordingHeader(f);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->baseName + ".db", "2512312359.db");
    EXPECT_EQ(h->start, QDateTime(QDate(2025, 12, 31), QTime(23, 59, 0)));
    EXPECT_EQ(h->entry, (DirectoryEntry{7, "25-12-31 23:59"}));
    EXPECT_EQ(h->surfaceCount, 0x1068);

    Frame none = f;
    none[7] = 0;
    EXPECT_FALSE(recordingHeader(none)->surfaceCount);
    struct Bad { int index; uint8_t value; };
    for (const Bad b : {Bad{1, 32}, Bad{3, 0x13}, Bad{4, 0x32}, Bad{5, 0x24}, Bad{6, 0x5A}}) {
        Frame bad = f;
        bad[b.index] = b.value;
        EXPECT_FALSE(recordingHeader(bad)) << b.index;
    }
    Frame zero = f;
    zero[1] = zero[2] = 0;
    EXPECT_FALSE(recordingHeader(zero));
}

TEST(Upload, SameMinuteKeepsBoth)
{
    Rig rig({rec(1, kStartA, 4200, {kMid}), rec(2, kStartA, 4200, {kLow, kDeep})});
    EXPECT_EQ(rig.run().status, S::Complete);
    EXPECT_EQ(rig.files(), QStringList({"2512312359-2.db", "2512312359.db"}));
    EXPECT_EQ(readProfileRows(rig.dir.file("2512312359.db")).size(), 1u);
    EXPECT_EQ(readProfileRows(rig.dir.file("2512312359-2.db")).size(), 2u);
    EXPECT_EQ(*readProfileRows(rig.dir.file("2512312359-2.db"))[0].status, 1);
}

TEST(Upload, RepeatedUploadReplacesItsOwnFiles)
{
    Rig rig({rec(1, kStartA, 4200, {kMid, kDeep}), rec(2, kStartA, 4200, {kLow})});
    rig.run();
    const std::vector<ProfileRow> first = readProfileRows(rig.dir.file("2512312359.db"));
    EXPECT_EQ(rig.run().status, S::Complete);
    EXPECT_EQ(rig.files(), QStringList({"2512312359-2.db", "2512312359.db"}));
    EXPECT_EQ(readProfileRows(rig.dir.file("2512312359.db")), first);
    EXPECT_EQ(readProfileRows(rig.dir.file("2512312359-2.db")).size(), 1u);
}

TEST(Upload, OtherFilesOfTheNameAreKept)
{
    struct Case { const char* name; std::function<void(const QString&)> make; };
    const Case cases[] = {
        {"not a profile", [](const QString& f) { TestDir::writeAll(f, "survey notes"); }},
        {"another cast", [](const QString& f) {
             ProfileTable t;
             t.setTableName(f);
             t.createTable();
             t.open();
             t.append();
             t.setRow(row(5.0, 1500.0, 10.0, 0, at(2024, 5, 6, 7, 8)));
             t.post();
             t.close();
         }},
        {"a merged profile", [](const QString& f) {
             ProfileTable t;
             t.setTableName(f);
             t.createTable();
             t.open();
             t.append();
             t.setRow(row(5.0, 1500.0, 10.0, kKindMerged, kStartA));
             t.post();
             t.close();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig({rec(1, kStartA, 4200, {kMid})});
        const QString target = rig.dir.file("2512312359.db");
        c.make(target);
        const QByteArray before = TestDir::readAll(target);
        const UploadResult r = rig.run();
        EXPECT_EQ(r.status, S::Complete);
        EXPECT_EQ(r.files.size(), 1u);
        EXPECT_EQ(TestDir::readAll(target), before);
        EXPECT_EQ(readProfileRows(rig.dir.file("2512312359-2.db")).size(), 1u);
    }
}

TEST(Upload, InterruptedUploadKeepsWhatArrived)
{
    // Frames: marker 0, header 1, then the samples from frame 2 on.
    struct Case { const char* name; SimulatedProbe::Faults faults; S status; size_t rows; };
    SimulatedProbe::Faults silent, checksum;
    silent.stopAfter = {'I', 5};
    checksum.badChecksum = {'I', 4};
    const Case cases[] = {
        {"probe goes silent", silent, S::AbnormalEnd, 3},
        {"checksum error", checksum, S::ChecksumError, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig({rec(1, kStartA, 4200, {kMid, kLow, kDeep, kMid, kMid}), rec(2, kStartB, 0, {kMid})});
        rig.probe.setFaults(c.faults);
        const UploadResult r = rig.run();
        EXPECT_EQ(r.status, c.status);
        ASSERT_EQ(r.files.size(), 1u);
        EXPECT_EQ(size_t(r.files[0].rows), c.rows);
        EXPECT_EQ(rig.files(), QStringList({"2512312359.db"}));
        const std::vector<ProfileRow> rows = readProfileRows(rig.dir.file("2512312359.db"));
        ASSERT_EQ(rows.size(), c.rows);
        EXPECT_EQ(rows[0].dt, kStartA);
        EXPECT_EQ(*rows[1].status, 1);
    }
}

TEST(Upload, FailuresBeforeAnyFile)
{
    struct Case { const char* name; std::function<void(SimulatedProbe&)> setup; S status; };
    const Case cases[] = {
        {"silent after echo", [](SimulatedProbe& p) { p.faults().stopAfter = {'I', 0}; }, S::NotSupported},
        {"unknown command", [](SimulatedProbe& p) { p.faults().unknown = "I"; }, S::NotSupported},
        {"record before header", [](SimulatedProbe& p) { p.faults().recordBeforeHeader = true; }, S::NotSupported},
        {"header never comes", [](SimulatedProbe& p) { p.faults().stopAfter = {'I', 1}; }, S::NotSupported},
        {"no handshake", [](SimulatedProbe& p) { p.faults().ignoreAttention = true; }, S::NoAnswer},
        {"short calibration", [](SimulatedProbe& p) { p.faults().calibrationLine = QByteArray("B,1\n"); }, S::BadCalibration},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig({rec(1, kStartA, 4200, {kMid})});
        c.setup(rig.probe);
        rig.table.setTableName(rig.dir.file("open.db"));
        const UploadResult r = rig.run();
        EXPECT_EQ(r.status, c.status);
        EXPECT_TRUE(r.files.empty());
        EXPECT_EQ(r.atmosphere, 10400.0f);   // the caller's, untouched
        EXPECT_TRUE(rig.files().isEmpty());
        EXPECT_EQ(rig.table.tableName(), rig.dir.file("open.db"));   // nothing was started
    }
}

TEST(Upload, FileThatCannotBeCreated)
{
    Rig rig({rec(1, kStartA, 4200, {kMid}), rec(2, kStartB, 0, {kMid})});
    const UploadResult r = rig.run(rig.path() + "missing/");
    EXPECT_EQ(r.status, S::DatabaseError);
    EXPECT_EQ(r.files.size(), 1u);
    EXPECT_TRUE(rig.table.tableName().isEmpty());
}

TEST(Upload, PathHelpers)
{
    TestDir dir;
    const QString base = withTrailingSeparator(dir.path());
    EXPECT_TRUE(base.endsWith('/') || base.endsWith(QDir::separator()));
    EXPECT_EQ(withTrailingSeparator(base), base);
    EXPECT_EQ(ensureUploadDirectory(base), "");
    EXPECT_EQ(ensureUploadDirectory(base + "casts/"), "");
    EXPECT_TRUE(QDir(base + "casts").exists());
    // One level only: a missing parent is an error.
    const QString deep = base + "a/b/";
    EXPECT_EQ(ensureUploadDirectory(deep), QStringLiteral("建立子目录出错:\n") + deep);
    EXPECT_FALSE(QDir(base + "a").exists());
}
