// The clock, interval, clearing and listing commands end to end against the
// simulated probe on the simulated clock.
#include "model/Calibration.h"
#include "probe/MsClock.h"
#include "probe/ProbeClock.h"
#include "probe/ProbeMemory.h"
#include "probe/ProbeProtocol.h"
#include "probe/SimulatedProbe.h"
#include "text/Format.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include <functional>

using namespace probemem;
using S = ProbeStatus;

static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
namespace probemem {
static void PrintTo(ProbeStatus s, std::ostream* os) { *os << statusName(s); }
}

namespace {

using ProbeSetup = std::function<void(SimulatedProbe&)>;

struct Rig
{
    SimulatedClock clk;
    SimulatedProbe probe{clk};
    ProbeProtocol protocol{probe};
    uint32_t start = 0;
    explicit Rig(const ProbeSetup& setup = {})
    {
        probe.open();
        probe.setBaud(9600);
        if (setup)
            setup(probe);
        start = clk.now();
    }
    // No command may hold the window longer than a few of its bounded waits.
    void expectOffAndBounded()
    {
        EXPECT_FALSE(probe.powered());
        EXPECT_LT(clk.now() - start, 12000u);
    }
};

QDateTime at(int y, int mo, int d, int h, int mi, int s) { return QDateTime(QDate(y, mo, d), QTime(h, mi, s)); }

}  // namespace

TEST(ProbeClock, ReadScenarios)
{
    const QDateTime computer = at(2012, 3, 4, 5, 6, 7);
    struct Case { const char* name; ProbeSetup setup; S status; QString probeTime; };
    const Case cases[] = {
        {"full year", [](SimulatedProbe& p) { p.setClock(at(2025, 6, 14, 10, 20, 30)); }, S::Complete, "25-06-14 10:20:30"},
        // A probe keeping one year digit: 0x05 on a 2012 computer reads as 15.
        {"one-digit year", [](SimulatedProbe& p) { p.setClock(at(2005, 11, 9, 23, 1, 2)); }, S::Complete, "15-11-09 23:01:02"},
        {"year 0x40 passes", [](SimulatedProbe& p) { p.setClock(at(2040, 1, 1, 0, 0, 0)); }, S::Complete, "40-01-01 00:00:00"},
        {"year 0x41", [](SimulatedProbe& p) { p.setClock(at(2041, 1, 1, 0, 0, 0)); }, S::NotSupported, ""},
        {"checksum", [](SimulatedProbe& p) { p.faults().badChecksum = {'C', 0}; }, S::ChecksumError, ""},
        {"unknown command", [](SimulatedProbe& p) { p.faults().unknown = "C"; }, S::NotSupported, ""},
        {"silent after echo", [](SimulatedProbe& p) { p.faults().stopAfter = {'C', 0}; }, S::NoAnswer, ""},
        {"no handshake", [](SimulatedProbe& p) { p.faults().ignoreAttention = true; }, S::NoAnswer, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(c.setup);
        const ClockReadResult r = readClock(rig.protocol, computer);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.probeTime, c.probeTime);
        if (r.status == S::Complete) {
            EXPECT_EQ(r.computerTime, "12-03-04 05:06:07");
        }
        rig.expectOffAndBounded();
    }
}

TEST(ProbeClock, DigitsCarryTheWeekday)
{
    // 2025-12-28 is a Sunday, 2025-12-27 a Saturday.
    EXPECT_EQ(clockDigits(at(2025, 12, 28, 9, 5, 7)), "25120028090507");
    EXPECT_EQ(clockDigits(at(2025, 12, 27, 23, 59, 58)), "25120627235958");
    const Frame e = expectedClockFrame("25120028090507");
    const Frame want = {0xAA, 0x25, 0x12, 0x00, 0x28, 0x09, 0x05, 0x07, 0x00,
                        static_cast<uint8_t>(0xAA + 0x25 + 0x12 + 0x28 + 0x09 + 0x05 + 0x07)};
    EXPECT_EQ(e, want);
}

TEST(ProbeClock, ReplyWithOneYearDigitPasses)
{
    const Frame e = expectedClockFrame("25120028090507");
    Frame reply = e;
    reply[1] = 0x05;
    reply[9] = static_cast<uint8_t>(e[9] - 0x20);   // the probe's own checksum over 0x05
    EXPECT_TRUE(clockReplyMatches(reply, e));
    Frame wrongMinute = e;
    wrongMinute[6] = 0x06;
    EXPECT_FALSE(clockReplyMatches(wrongMinute, e));
    Frame wrongTens = reply;
    wrongTens[1] = 0x15;   // a full year byte is not completed
    EXPECT_FALSE(clockReplyMatches(wrongTens, e));
}

TEST(ProbeClock, SetScenarios)
{
    struct Case { const char* name; QDateTime now; ProbeSetup setup; S status; };
    const Case cases[] = {
        {"sunday", at(2025, 12, 28, 9, 5, 7), {}, S::Complete},
        {"saturday", at(2025, 12, 27, 23, 59, 58), {}, S::Complete},
        {"unknown command", at(2025, 12, 28, 9, 5, 7), [](SimulatedProbe& p) { p.faults().unknown = "D"; }, S::WriteError},
        {"no reply frame", at(2025, 12, 28, 9, 5, 7), [](SimulatedProbe& p) { p.faults().stopAfter = {'D', 0}; }, S::WriteError},
        {"reply checksum", at(2025, 12, 28, 9, 5, 7), [](SimulatedProbe& p) { p.faults().badChecksum = {'D', 0}; }, S::WriteError},
        {"no echo of D", at(2025, 12, 28, 9, 5, 7), [](SimulatedProbe& p) { p.faults().noEcho = "D"; }, S::NoAnswer},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(c.setup);
        const ProbeStatus status = setClock(rig.protocol, c.now);
        EXPECT_EQ(status, c.status);
        rig.expectOffAndBounded();
        if (status == S::Complete) {
            // The seven clock bytes follow the letter, the weekday third.
            const std::vector<uint8_t> got = rig.probe.received();
            const auto d = std::find(got.begin(), got.end(), uint8_t('D'));
            ASSERT_GE(got.end() - d, 8);
            const Frame e = expectedClockFrame(clockDigits(c.now));
            EXPECT_TRUE(std::equal(e.begin() + 1, e.begin() + 8, d + 1));
            EXPECT_EQ(d[3], c.now.date().dayOfWeek() % 7);
            EXPECT_LE(std::abs(rig.probe.probeTime().secsTo(c.now)), 2);
        }
    }
}

TEST(ProbeInterval, ChoiceAndConversions)
{
    EXPECT_EQ(intervalChoiceText(20), "2.0");
    EXPECT_EQ(intervalChoiceText(1), "0.1");
    EXPECT_EQ(intervalChoiceText(5), "0.5");

    const Calibration cal;   // slope 2.2 + 2.08e-7 * 20000 = 2.20416
    struct Case { float density; int count; float metres; };
    const Case cases[] = {{1.0f, 227, 0.5f}, {1.0f, 907, 2.0f}, {1.0f, 45, 0.1f}, {1.025f, 930, 2.0f}, {0.8f, 36, 0.1f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        EXPECT_EQ(intervalCount(cal, c.density, c.metres), c.count);
        EXPECT_FLOAT_EQ(intervalMetres(cal, c.density, c.count),
                        static_cast<float>(2.2041600167751312 * c.count / (double(c.density) * 1000.0)));
    }
    // Every choice of the up-down survives the way to the probe and back.
    for (int pos = 1; pos <= 20; ++pos) {
        const float m = static_cast<float>(pos * 0.1);
        EXPECT_EQ(fmt::formatFloat("0.0", intervalMetres(cal, 1.0f, *intervalCount(cal, 1.0f, m))), intervalChoiceText(pos));
    }
    EXPECT_EQ(intervalCount(cal, 1.0f, -0.5f), 226);   // -226.84 + 0.5, then made positive
    EXPECT_FALSE(intervalCount(cal, 1.0f, 1000.0f));   // beyond 16 bits
    Calibration flat;
    flat.pa1 = 0.0f;
    flat.pa2 = 0.0f;
    EXPECT_FALSE(intervalCount(flat, 1.0f, 0.5f));     // no slope, no count
}

TEST(ProbeInterval, ReadScenarios)
{
    struct Case { const char* name; ProbeSetup setup; S status; int count; bool calibrated; };
    const Case cases[] = {
        {"one metre", [](SimulatedProbe& p) { p.setIntervalCount(454); }, S::Complete, 454, true},
        {"unknown command", [](SimulatedProbe& p) { p.faults().unknown = "E"; }, S::NotSupported, 0, true},
        {"silent after echo", [](SimulatedProbe& p) { p.faults().stopAfter = {'E', 0}; }, S::NoAnswer, 0, true},
        {"short calibration", [](SimulatedProbe& p) { p.faults().calibrationLine = QByteArray("B,VX1,1,2\n"); }, S::BadCalibration, 0, false},
        {"no handshake", [](SimulatedProbe& p) { p.faults().ignoreAttention = true; }, S::NoAnswer, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(c.setup);
        int calibratedEvents = 0;
        SessionEvents events;
        events.calibrated = [&](const CalibrationRead& read) {
            ++calibratedEvents;
            EXPECT_EQ(read.sn, "VX4417");
        };
        const IntervalReadResult r = readInterval(rig.protocol, 1.0f, events);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.count, c.count);
        EXPECT_EQ(r.calibration.has_value(), c.calibrated);
        EXPECT_EQ(calibratedEvents, c.calibrated ? 1 : 0);
        if (r.status == S::Complete) {
            EXPECT_EQ(fmt::formatFloat("0.0", r.metres), "1.0");
        }
        if (r.calibration) {
            EXPECT_EQ(r.calibration->sn, "VX4417");   // the probe's calibration came first
            EXPECT_EQ(r.calibration->cal.lf2048, 50000.0f);
        }
        rig.expectOffAndBounded();
    }
}

TEST(ProbeInterval, SetScenarios)
{
    struct Case { const char* name; QString readText, setText; ProbeSetup setup; S status; bool sent; int count; };
    const Case cases[] = {
        {"two metres", "", "2.0", {}, S::Complete, true, 907},
        {"read differs", "0.5", "0.1", {}, S::Complete, true, 45},
        {"same setting", "0.5", "0.5", {}, S::SameInterval, false, 227},
        // The up-down was never used: the probe is not even switched on.
        {"empty choice", "", "", {}, S::NoInterval, false, 227},
        {"not a number", "", "x", {}, S::InvalidInterval, false, 227},
        {"unknown command", "", "2.0", [](SimulatedProbe& p) { p.faults().unknown = "F"; }, S::NotSupported, true, 227},
        {"no echo of F", "", "2.0", [](SimulatedProbe& p) { p.faults().noEcho = "F"; }, S::NoAnswer, true, 227},
        {"beyond 16 bits", "", "1000", {}, S::InvalidInterval, true, 227},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(c.setup);
        rig.probe.setIntervalCount(227);
        const IntervalSetResult r = setInterval(rig.protocol, 1.0f, c.readText, c.setText);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.calibration.has_value(), c.sent);
        EXPECT_EQ(!rig.probe.sent().empty(), c.sent);
        EXPECT_EQ(rig.probe.intervalCount(), c.count);
        rig.expectOffAndBounded();
    }
}

TEST(ProbeClear, Scenarios)
{
    struct Case { const char* name; ProbeSetup setup; S status; int eraseMs; };
    const Case cases[] = {
        {"k = 2", [](SimulatedProbe& p) { p.setEraseDurationByte(0x40); }, S::Complete, 9000},
        // Below 32 there is no erase phase: the bar goes full at once.
        {"k = 0", [](SimulatedProbe& p) { p.setEraseDurationByte(0x1F); }, S::Complete, 0},
        {"unknown command", [](SimulatedProbe& p) { p.faults().unknown = "J"; }, S::NotSupported, -1},
        {"silent after echo", [](SimulatedProbe& p) { p.faults().stopAfter = {'J', 0}; }, S::NoAnswer, -1},
        {"no handshake", [](SimulatedProbe& p) { p.faults().ignoreAttention = true; }, S::NoAnswer, -2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(c.setup);
        std::vector<std::pair<int, uint32_t>> bar;   // percent, sim time
        int started = 0;
        SessionEvents events;
        events.started = [&] { ++started; };
        events.percent = [&](int p) { bar.push_back({p, rig.clk.now()}); };
        const ProbeStatus status = clearMemory(rig.protocol, events);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(started, c.eraseMs == -2 ? 0 : 1);   // once the probe took the command
        rig.expectOffAndBounded();
        if (c.eraseMs < 0)
            continue;
        ASSERT_GE(bar.size(), 2u);
        EXPECT_EQ(bar.front().first, 0);
        EXPECT_EQ(bar.back().first, 100);
        for (size_t i = 1; i < bar.size(); ++i)
            EXPECT_LT(bar[i - 1].first, bar[i].first);
        const uint32_t span = bar.back().second - bar.front().second;
        EXPECT_GE(span, uint32_t(c.eraseMs));
        EXPECT_LT(span, uint32_t(c.eraseMs) + 200);
        if (status == S::Complete) {
            EXPECT_TRUE(rig.probe.recordings().empty());
        }
    }
}

TEST(ProbeClear, NoClosingByteIsAnError)
{
    Rig rig([](SimulatedProbe& p) {
        p.setEraseDurationByte(0x20);
        p.faults().loseByte = {'J', 1};
    });
    // Once erasing, the probe's stream comes back too late to pass for the closing byte.
    SessionEvents events;
    events.percent = [&](int) { rig.probe.setFrameRate(0.2); };
    EXPECT_EQ(clearMemory(rig.protocol, events), S::AbnormalEnd);
    rig.expectOffAndBounded();
}

TEST(ProbeListing, Scenarios)
{
    auto rec = [](int number, QDateTime start) {
        SimulatedProbe::Recording r;
        r.number = number;
        r.start = start;
        r.samples = {{5000, 10000, 26214, 0}};
        return r;
    };
    const auto two = [rec](SimulatedProbe& p) {
        p.setRecordings({rec(1, at(2025, 12, 31, 23, 59, 0)), rec(31, at(2026, 1, 2, 8, 30, 0))});
    };
    struct Case { const char* name; ProbeSetup setup; S status; int entries; std::optional<int> memorySize; double free; };
    const Case cases[] = {
        {"empty memory", [](SimulatedProbe& p) { p.setRecordings({}); p.setMemoryUsed(64); }, S::Complete, 0, 32704, 100.0},
        {"used below 64", [](SimulatedProbe& p) { p.setRecordings({}); p.setMemoryUsed(0); }, S::Complete, 0, 32704, 100.1956947},
        {"two files", [two](SimulatedProbe& p) { two(p); p.setMemorySize(1000); p.setMemoryUsed(564); }, S::Complete, 2, 1000, 50.0},
        // A memory size of 64 in the end frame gives no divisor: no figure, MemorySize kept.
        {"size zero", [](SimulatedProbe& p) { p.setRecordings({}); p.setMemorySize(0); }, S::Complete, 0, std::nullopt, 0},
        {"number 32 later", [rec](SimulatedProbe& p) { p.setRecordings({rec(1, at(2025, 1, 1, 0, 0, 0)), rec(32, at(2025, 1, 2, 0, 0, 0))}); }, S::AbnormalEnd, 1, std::nullopt, 0},
        {"number 32 first", [rec](SimulatedProbe& p) { p.setRecordings({rec(32, at(2025, 1, 2, 0, 0, 0))}); }, S::NotSupported, 0, std::nullopt, 0},
        {"checksum", [two](SimulatedProbe& p) { two(p); p.faults().badChecksum = {'G', 1}; }, S::ChecksumError, 1, std::nullopt, 0},
        {"silent midway", [two](SimulatedProbe& p) { two(p); p.faults().stopAfter = {'G', 1}; }, S::AbnormalEnd, 1, std::nullopt, 0},
        {"silent at once", [two](SimulatedProbe& p) { two(p); p.faults().stopAfter = {'G', 0}; }, S::NotSupported, 0, std::nullopt, 0},
        {"unknown command", [two](SimulatedProbe& p) { two(p); p.faults().unknown = "G"; }, S::NotSupported, 0, std::nullopt, 0},
        {"no handshake", [](SimulatedProbe& p) { p.faults().ignoreAttention = true; }, S::NoAnswer, 0, std::nullopt, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(c.setup);
        std::vector<DirectoryEntry> shown;
        int started = 0;
        SessionEvents events;
        events.started = [&] { ++started; };
        events.entry = [&](const DirectoryEntry& e) { shown.push_back(e); };
        const ListingResult r = listRecordings(rig.protocol, events);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.entries.size(), size_t(c.entries));
        EXPECT_EQ(shown, r.entries);
        EXPECT_EQ(started, c.status == S::NoAnswer ? 0 : 1);
        ASSERT_EQ(r.memory.has_value(), c.memorySize.has_value());
        if (r.memory) {
            EXPECT_EQ(r.memory->memorySize, *c.memorySize);
            EXPECT_NEAR(r.memory->freePercent, c.free, 1e-6);
        }
        rig.expectOffAndBounded();
    }
}

TEST(ProbeListing, EntriesShowNumberAndTime)
{
    Rig rig([](SimulatedProbe& p) {
        SimulatedProbe::Recording a, b;
        a.number = 0;
        a.start = at(2025, 12, 31, 23, 59, 0);
        b.number = 31;
        b.start = at(2026, 1, 2, 8, 5, 0);
        p.setRecordings({a, b});
    });
    const ListingResult r = listRecordings(rig.protocol);
    const std::vector<DirectoryEntry> want = {{0, "25-12-31 23:59"}, {31, "26-01-02 08:05"}};
    EXPECT_EQ(r.entries, want);
    EXPECT_EQ(r.status, S::Complete);
}

TEST(ProbeListing, MemoryFigures)
{
    struct Case { uint8_t s1, s2, u1, u2; std::optional<int> size; double free; };
    const Case cases[] = {{0x80, 0x00, 0x00, 0x40, 32704, 100.0}, {0x80, 0x00, 0x00, 0x00, 32704, 100.1956947},
                          {0x00, 0x40, 0x00, 0x40, std::nullopt, 0}, {0x00, 0x10, 0x00, 0x40, std::nullopt, 0}};
    for (const Case& c : cases) {
        const Frame f = {0xAA, 0xFF, 0xFF, c.s1, c.s2, c.u1, c.u2, 0, 0, 0};
        const auto m = memoryFigures(f);
        ASSERT_EQ(m.has_value(), c.size.has_value());
        if (m) {
            EXPECT_EQ(m->memorySize, *c.size);
            EXPECT_NEAR(m->freePercent, c.free, 1e-6);
        }
    }
}
