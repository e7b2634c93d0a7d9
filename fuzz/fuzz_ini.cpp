// The settings file reader: any bytes load; a key written afterwards reads
// back as written, also after a round trip through the bytes it would write,
// and the other keys keep their values.
#include "FuzzFile.h"
#include "settings/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = writeFuzzFile("svp.ini", data, size);
    IniFile ini(path);
    ini.load();
    const QString sec = QStringLiteral("Options"), key = QStringLiteral("Port No.");
    const QString other = QStringLiteral("Density");
    const auto otherBefore = ini.readString(sec, other);
    (void)ini.readInteger(sec, key, 1);
    (void)ini.readFloat(sec, other, 1.0);
    ini.writeString(sec, key, QStringLiteral("7"));
    if (ini.readInteger(sec, key, -1) != 7 || ini.readString(sec, other) != otherBefore)
        std::abort();

    const QString again = writeFuzzFile("again.ini", nullptr, 0);
    {
        QFile f(again);
        if (!f.open(QIODevice::WriteOnly))
            std::abort();
        f.write(ini.bytes());
    }
    IniFile reread(again);
    reread.load();
    if (reread.readInteger(sec, key, -1) != 7 || reread.readString(sec, other) != otherBefore)
        std::abort();
    return 0;
}
