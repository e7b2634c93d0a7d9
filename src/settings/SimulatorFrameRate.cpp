#include "settings/SimulatorFrameRate.h"
#include "settings/IniFile.h"

namespace simrate {

std::optional<int> parse(const QString& text)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok, 10);
    if (!ok || n < kMin || n > kMax)
        return std::nullopt;
    return n;
}

std::optional<int> choose(const std::optional<QString>& option, const IniFile& ini, QString* error)
{
    const QString allowed = QStringLiteral("a whole number of frames per second from %1 to %2").arg(kMin).arg(kMax);
    if (option) {
        const std::optional<int> n = parse(*option);
        if (!n)
            *error = QStringLiteral("--frame-rate \"%1\": the rate must be %2").arg(*option, allowed);
        return n;
    }
    const std::optional<QString> value = ini.readString(kSection, kKey);
    if (!value)
        return kDefault;
    const std::optional<int> n = parse(*value);
    if (!n)
        *error = QStringLiteral("%1: [%2] %3 = \"%4\": the rate must be %5")
                     .arg(ini.path(), kSection, kKey, *value, allowed);
    return n;
}

}  // namespace simrate
