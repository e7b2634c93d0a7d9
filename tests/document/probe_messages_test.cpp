// The texts shown for the probe commands' outcomes, byte for byte.
#include "document/ProbeMessages.h"
#include <gtest/gtest.h>

using namespace probemsg;
using S = probemem::ProbeStatus;

static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

const QString kNoAnswer = QStringLiteral("声速仪无应答，请检查电缆连接和电池电量！");
const QString kNotSupported = QStringLiteral("该设备不支持此命令！");
const QString kBadCalibration = QStringLiteral("标定参数读出错误，需要厂家维修！");

probemem::ListingResult listing(S status, int entries, std::optional<double> freePercent = {})
{
    probemem::ListingResult r;
    r.status = status;
    r.entries.resize(size_t(entries));
    if (freePercent)
        r.memory = probemem::MemoryFigures{32704, *freePercent};
    return r;
}

probemem::UploadResult upload(S status, int files)
{
    probemem::UploadResult r;
    r.status = status;
    r.files.resize(size_t(files));
    return r;
}

}  // namespace

// Every status each command can end with has its text; the ones that show
// nothing are empty.
TEST(ProbeMessages, FixedTexts)
{
    struct Case { Command command; S status; QString text; };
    const Case cases[] = {
        {Command::PowerOn, S::Complete, ""},
        {Command::PowerOn, S::NoAnswer, kNoAnswer},
        {Command::PowerOn, S::BadCalibration, kBadCalibration},
        {Command::ReadClock, S::NoAnswer, kNoAnswer},
        {Command::ReadClock, S::NotSupported, kNotSupported},
        {Command::ReadClock, S::ChecksumError, "接收数据校验和错误！"},
        {Command::SetClock, S::Complete, "写入正确！"},
        {Command::SetClock, S::WriteError, "写入错误或该设备不支持此命令！"},
        {Command::SetClock, S::NoAnswer, kNoAnswer},
        {Command::ReadInterval, S::Complete, ""},
        {Command::ReadInterval, S::NotSupported, kNotSupported},
        {Command::ReadInterval, S::NoAnswer, kNoAnswer},
        {Command::ReadInterval, S::BadCalibration, kBadCalibration},
        {Command::SetInterval, S::Complete, "写入正确！"},
        {Command::SetInterval, S::NotSupported, kNotSupported},
        {Command::SetInterval, S::NoAnswer, kNoAnswer},
        {Command::SetInterval, S::BadCalibration, kBadCalibration},
        {Command::SetInterval, S::SameInterval, "当前参数与要设置参数相同，不必重置！"},
        {Command::SetInterval, S::NoInterval, "请先选择要设置的记录间距！"},
        {Command::SetInterval, S::InvalidInterval, "记录间距数值错误！"},
        {Command::Clear, S::Complete, "文件已经删除！"},
        {Command::Clear, S::AbnormalEnd, "文件删除时出错！"},
        {Command::Clear, S::NotSupported, kNotSupported},
        {Command::Clear, S::NoAnswer, kNoAnswer},
        {Command::List, S::NotSupported, kNotSupported},
        {Command::List, S::NoAnswer, kNoAnswer},
        {Command::Upload, S::NotSupported, kNotSupported},
        {Command::Upload, S::NoAnswer, kNoAnswer},
        {Command::Upload, S::BadCalibration, kBadCalibration},
        // Only the upload has a cancel of the user's; the others end so when
        // the window closes, which shows nothing more.
        {Command::PowerOn, S::Cancelled, ""},
        {Command::ReadClock, S::Cancelled, ""},
        {Command::Clear, S::Cancelled, ""},
        {Command::List, S::Cancelled, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(probemem::statusName(c.status));
        SCOPED_TRACE(int(c.command));
        EXPECT_EQ(message(c.command, c.status), c.text);
    }
}

TEST(ProbeMessages, ClockReadShowsBothTimes)
{
    probemem::ClockReadResult r;
    r.status = S::Complete;
    r.computerTime = "12-03-04 05:06:07";
    r.probeTime = "15-11-09 23:01:02";
    EXPECT_EQ(message(r), "计算机时间为：12-03-04 05:06:07\n声速仪时间为：15-11-09 23:01:02");
    r.status = S::ChecksumError;
    EXPECT_EQ(message(r), "接收数据校验和错误！");
    r.status = S::NotSupported;
    EXPECT_EQ(message(r), kNotSupported);
}

TEST(ProbeMessages, ListingCountsAndFreeMemory)
{
    struct Case { probemem::ListingResult r; QString text; };
    const Case cases[] = {
        {listing(S::Complete, 0, 100.0), "共有 0 个文件剩余内存：100.0%"},
        {listing(S::Complete, 0, 100.1956947), "共有 0 个文件剩余内存：100.2%"},
        {listing(S::Complete, 2, 50.0), "共有 2 个文件剩余内存：50.0%"},
        // No usable memory size: no figure.
        {listing(S::Complete, 0), "共有 0 个文件"},
        {listing(S::AbnormalEnd, 1), "共有 1 个文件（非正常结束）"},
        {listing(S::ChecksumError, 1), "共有 1 个文件（校验和错误）;"},
        {listing(S::ChecksumError, 0), "共有 0 个文件（校验和错误）;"},
        {listing(S::NotSupported, 0), kNotSupported},
        {listing(S::NoAnswer, 0), kNoAnswer},
    };
    for (const Case& c : cases)
        EXPECT_EQ(message(c.r), c.text);
}

TEST(ProbeMessages, UploadCountsAndOutcome)
{
    struct Case { probemem::UploadResult r; QString text; };
    const Case cases[] = {
        {upload(S::Complete, 2), "传输2个文件（传输完成）"},
        {upload(S::Complete, 0), "传输0个文件（传输完成）"},
        {upload(S::AbnormalEnd, 1), "传输1个文件（非正常结束）"},
        {upload(S::ChecksumError, 1), "传输1个文件（因校验和错误中断了传输）"},
        {upload(S::ChecksumError, 0), "传输0个文件（因校验和错误中断了传输）"},
        {upload(S::DatabaseError, 1), "传输1个文件（因建立数据库文件错误中断了传输）"},
        {upload(S::NotSupported, 0), kNotSupported},
        {upload(S::NoAnswer, 0), kNoAnswer},
        {upload(S::BadCalibration, 0), kBadCalibration},
        {upload(S::Cancelled, 2), "传输2个文件（传输已取消）"},
        {upload(S::Cancelled, 0), "传输0个文件（传输已取消）"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(message(c.r), c.text);
}

TEST(ProbeMessages, PortStatusAndClearing)
{
    EXPECT_EQ(portOpenMessage(PortOpenResult::Ok), "");
    EXPECT_EQ(portOpenMessage(PortOpenResult::OpenFailed), "打开串行口时出错！");
    EXPECT_EQ(portOpenMessage(PortOpenResult::BaudFailed), "波特率设置错误！");
    // The device and the system's reason after the fixed text.
    EXPECT_EQ(portOpenMessage(PortOpenResult::OpenFailed, "/dev/ttyUSB0", "Permission denied"),
              "打开串行口时出错！\n/dev/ttyUSB0: Permission denied");
    EXPECT_EQ(portOpenMessage(PortOpenResult::OpenFailed, "/dev/ttyUSB0"), "打开串行口时出错！\n/dev/ttyUSB0");
    EXPECT_EQ(portOpenMessage(PortOpenResult::Ok, "/dev/ttyUSB0", "x"), "");
    EXPECT_EQ(deviceNumberText("VX4417"), "设备号：VX4417");
    EXPECT_EQ(recordingText(31), "文件号：31");
    EXPECT_EQ(clearQuestion(3), "删除声速仪中的全部 3 个文件？删除后无法恢复。");
    EXPECT_EQ(clearQuestion(-1), "删除声速仪中的全部文件？删除后无法恢复。");
    EXPECT_EQ(clearCaption(), "删除文件");
}
