#include "document/ProbeMessages.h"
#include "text/Format.h"
#include <QCoreApplication>

namespace probemsg {

namespace {

using probemem::ProbeStatus;

// Matches every command: outcomes that read the same after each.
constexpr auto kAny = static_cast<Command>(-1);

struct Row
{
    Command command;
    ProbeStatus status;
    const char* text;   // UTF-8; %1 the count of files
};

// The first row that names the command wins over a kAny row.
const Row kTable[] = {
    {kAny, ProbeStatus::NoAnswer, QT_TRANSLATE_NOOP("ProbeMessages", "声速仪无应答，请检查电缆连接和电池电量！")},
    {kAny, ProbeStatus::NotSupported, QT_TRANSLATE_NOOP("ProbeMessages", "该设备不支持此命令！")},
    {kAny, ProbeStatus::BadCalibration, QT_TRANSLATE_NOOP("ProbeMessages", "标定参数读出错误，需要厂家维修！")},
    // Only the upload has a cancel of the user's; other exchanges are
    // cancelled by the window closing, which shows nothing more.
    {kAny, ProbeStatus::Cancelled, ""},
    {Command::PowerOn, ProbeStatus::Complete, ""},
    {Command::ReadClock, ProbeStatus::ChecksumError, QT_TRANSLATE_NOOP("ProbeMessages", "接收数据校验和错误！")},
    {Command::ReadClock, ProbeStatus::Complete, QT_TRANSLATE_NOOP("ProbeMessages", "计算机时间为：%1\n声速仪时间为：%2")},
    {Command::SetClock, ProbeStatus::Complete, QT_TRANSLATE_NOOP("ProbeMessages", "写入正确！")},
    {Command::SetClock, ProbeStatus::WriteError, QT_TRANSLATE_NOOP("ProbeMessages", "写入错误或该设备不支持此命令！")},
    {Command::ReadInterval, ProbeStatus::Complete, ""},
    {Command::SetInterval, ProbeStatus::Complete, QT_TRANSLATE_NOOP("ProbeMessages", "写入正确！")},
    {Command::SetInterval, ProbeStatus::SameInterval, QT_TRANSLATE_NOOP("ProbeMessages", "当前参数与要设置参数相同，不必重置！")},
    {Command::SetInterval, ProbeStatus::NoInterval, QT_TRANSLATE_NOOP("ProbeMessages", "请先选择要设置的记录间距！")},
    {Command::SetInterval, ProbeStatus::InvalidInterval, QT_TRANSLATE_NOOP("ProbeMessages", "记录间距数值错误！")},
    {Command::Clear, ProbeStatus::Complete, QT_TRANSLATE_NOOP("ProbeMessages", "文件已经删除！")},
    {Command::Clear, ProbeStatus::AbnormalEnd, QT_TRANSLATE_NOOP("ProbeMessages", "文件删除时出错！")},
    {Command::List, ProbeStatus::Complete, QT_TRANSLATE_NOOP("ProbeMessages", "共有 %1 个文件")},
    {Command::List, ProbeStatus::AbnormalEnd, QT_TRANSLATE_NOOP("ProbeMessages", "共有 %1 个文件（非正常结束）")},
    {Command::List, ProbeStatus::ChecksumError, QT_TRANSLATE_NOOP("ProbeMessages", "共有 %1 个文件（校验和错误）;")},
    {Command::Upload, ProbeStatus::Complete, QT_TRANSLATE_NOOP("ProbeMessages", "传输%1个文件（传输完成）")},
    {Command::Upload, ProbeStatus::AbnormalEnd, QT_TRANSLATE_NOOP("ProbeMessages", "传输%1个文件（非正常结束）")},
    {Command::Upload, ProbeStatus::ChecksumError, QT_TRANSLATE_NOOP("ProbeMessages", "传输%1个文件（因校验和错误中断了传输）")},
    {Command::Upload, ProbeStatus::DatabaseError, QT_TRANSLATE_NOOP("ProbeMessages", "传输%1个文件（因建立数据库文件错误中断了传输）")},
    {Command::Upload, ProbeStatus::Cancelled, QT_TRANSLATE_NOOP("ProbeMessages", "传输%1个文件（传输已取消）")},
};

QString pattern(Command command, ProbeStatus status)
{
    const Row* any = nullptr;
    for (const Row& row : kTable) {
        if (row.status != status)
            continue;
        if (row.command == command)
            return QCoreApplication::translate("ProbeMessages", row.text);
        if (row.command == kAny)
            any = &row;
    }
    return any ? QCoreApplication::translate("ProbeMessages", any->text) : QString();
}

// The count goes in as text: QString::arg(int) would read a "%" in the pattern.
QString withCount(Command command, ProbeStatus status, std::size_t count)
{
    QString p = pattern(command, status);
    return p.replace(QStringLiteral("%1"), QString::number(count));
}

}  // namespace

QString message(Command command, ProbeStatus status)
{
    return pattern(command, status);
}

QString message(const probemem::ClockReadResult& r)
{
    QString p = pattern(Command::ReadClock, r.status);
    if (r.status == ProbeStatus::Complete)
        p.replace(QStringLiteral("%1"), r.computerTime).replace(QStringLiteral("%2"), r.probeTime);
    return p;
}

QString message(const probemem::ListingResult& r)
{
    QString text = withCount(Command::List, r.status, r.entries.size());
    if (r.status == ProbeStatus::Complete && r.memory)
        text += QCoreApplication::translate("ProbeMessages", "剩余内存：") + fmt::formatFloat(QStringLiteral("0.0"), r.memory->freePercent) + '%';
    return text;
}

QString message(const probemem::UploadResult& r)
{
    return withCount(Command::Upload, r.status, r.files.size());
}

QString portOpenMessage(PortOpenResult r, const QString& device, const QString& reason)
{
    QString text;
    switch (r) {
    case PortOpenResult::Ok: return {};
    case PortOpenResult::OpenFailed: text = QCoreApplication::translate("ProbeMessages", "打开串行口时出错！"); break;
    case PortOpenResult::BaudFailed: text = QCoreApplication::translate("ProbeMessages", "波特率设置错误！"); break;
    }
    // The device and the system's reason: a port number alone does not say
    // which adapter is meant, nor whether it is missing, busy or forbidden.
    if (!device.isEmpty())
        text += '\n' + device + (reason.isEmpty() ? QString() : QStringLiteral(": ") + reason);
    return text;
}

QString deviceNumberText(const QString& sn) { return QCoreApplication::translate("ProbeMessages", "设备号：") + sn; }

QString recordingText(int number) { return QCoreApplication::translate("ProbeMessages", "文件号：") + QString::number(number); }

QString clearQuestion(int fileCount)
{
    if (fileCount > 0)
        return QCoreApplication::translate("ProbeMessages", "删除声速仪中的全部 %1 个文件？删除后无法恢复。").arg(fileCount);
    return QCoreApplication::translate("ProbeMessages", "删除声速仪中的全部文件？删除后无法恢复。");
}

QString clearCaption() { return QCoreApplication::translate("ProbeMessages", "删除文件"); }

}  // namespace probemsg
