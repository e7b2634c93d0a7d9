#include "text/Gbk.h"
#include "settings/IniFile.h"
#include "TestDir.h"
#include <gtest/gtest.h>
#include <QDir>
#include <csignal>
#include <sys/resource.h>

namespace {

IniFile loaded(const QString& path, const QByteArray& bytes)
{
    TestDir::writeAll(path, bytes);
    IniFile ini(path);
    ini.load();
    return ini;
}

class IniFileTest : public ::testing::TestWithParam<const char*>
{
protected:
    TestDir dir;
    QString file = dir.file("svclient.INI");
};

// Foreign lines stay in place; only the written values change, missing keys
// join the end of their section and missing sections the end of the file.
TEST_P(IniFileTest, RewritingKeepsForeignContentAndLineEnds)
{
    const QByteArray eol = GetParam();
    auto text = [&eol](QList<QByteArray> lines) {
        QByteArray out;
        for (const auto& l : lines)
            out += l + eol;
        return out;
    };
    IniFile ini = loaded(file, text({"; written by hand", "[Record]", "Path = /data/casts ",
                                     "Colour=blue", "", "[Extra]", "Foo=1", "; note", "",
                                     "[record]", "Mode=9"}));
    ini.writeString("RECORD", "path", "/srv/sv");
    ini.writeInteger("Record", "Size", 32704);
    ini.writeString("Extra", "Bar", "2");
    ini.writeFloat("Depth", "PA1", double(2.2f));
    const QByteArray expected = text({"; written by hand", "[Record]", "Path =/srv/sv",
                                      "Colour=blue", "Size=32704", "", "[Extra]", "Foo=1",
                                      "; note", "Bar=2", "", "[record]", "Mode=9", "[Depth]",
                                      "PA1=2.20000004768372"});
    EXPECT_EQ(ini.bytes(), expected);
    QString error;
    ASSERT_TRUE(ini.save(&error)) << error.toStdString();
    EXPECT_EQ(TestDir::readAll(file), expected);
}

INSTANTIATE_TEST_SUITE_P(LineEnds, IniFileTest, ::testing::Values("\n", "\r\n"));

TEST(IniFile, LookupFollowsProfileStringRules)
{
    TestDir dir;
    const IniFile ini = loaded(dir.file("a.INI"),
                               "Orphan=before any section\r\n"
                               "[ Serial Port ]\r\n"
                               "  port no.  =  17  \r\n"
                               "Port No.=3\r\n"
                               ";Device 1=/dev/null\r\n"
                               "Device 2 = \"/dev/ttyUSB0\" \r\n"
                               "Empty=\r\n"
                               "NoEquals\r\n"
                               "[serial port]\r\n"
                               "Device 3=/dev/ttyS9\r\n");
    struct Case { const char* section; const char* key; std::optional<QString> value; };
    const Case cases[] = {
        {"Serial Port", "Port No.", "17"},          // trimmed, case-insensitive, first wins
        {"SERIAL PORT", "PORT NO.", "17"},
        {"Serial Port", "Device 1", std::nullopt},  // a comment is no key
        {"Serial Port", "Device 2", "/dev/ttyUSB0"},  // quotes dropped
        {"Serial Port", "Empty", ""},
        {"Serial Port", "NoEquals", std::nullopt},
        {"Serial Port", "Device 3", std::nullopt},  // only the first section counts
        {"Serial Port", "Orphan", std::nullopt},
        {"Record", "Port No.", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ini.readString(c.section, c.key), c.value) << c.section << "/" << c.key;
    EXPECT_EQ(ini.readInteger("Serial Port", "Port No.", 1), 17);
    EXPECT_EQ(ini.readInteger("Serial Port", "Device 2", 1), 1);
    EXPECT_EQ(ini.readFloat("Serial Port", "Empty", 2.5), 2.5);
}

// A file edited on two systems: its first line ends in LF, the others in
// CRLF, one with stray CRs. Writing a key changes that line only, and every
// value reads the same before a save and after it.
TEST(IniFile, MixedLineEndsSurviveARewrite)
{
    TestDir dir;
    const QString file = dir.file("a.INI");
    const QByteArray before = "[Options]\nPort No.=3\r\nDensity = 1.025\r\r\r\r\n"
                              "Device 3=/dev/ttyUSB0\r\n[Calibration]\r\nLF2408=\"50000\"";
    IniFile ini = loaded(file, before);
    EXPECT_EQ(ini.readString("Options", "Density", ""), "1.025");
    EXPECT_EQ(ini.readFloat("Options", "Density", 0), 1.025);
    ini.writeInteger("Options", "Port No.", 7);
    ini.writeInteger("Calibration", "LF2409", 1);
    QByteArray expected = before;
    expected.replace("Port No.=3", "Port No.=7");
    expected += "\nLF2409=1\n";
    EXPECT_EQ(ini.bytes(), expected);
    ASSERT_TRUE(ini.save());
    IniFile reread(file);
    reread.load();
    for (const char* key : {"Port No.", "Density", "Device 3"})
        EXPECT_EQ(reread.readString("Options", key), ini.readString("Options", key)) << key;
    EXPECT_EQ(reread.readInteger("Options", "Port No.", 0), 7);
    EXPECT_EQ(reread.readString("Calibration", "LF2408", ""), "50000");
}

TEST(IniFile, IntegerTextsAsTheWindowsClientReadsThem)
{
    TestDir dir;
    const IniFile ini = loaded(dir.file("a.INI"),
                               "[R]\nA=0x1F\nB=$10\nC=-4\nD=4.0\nE=99999999999\nF=12 apples\n");
    const std::pair<const char*, int> cases[] = {{"A", 31}, {"B", 16}, {"C", -4},
                                                 {"D", 7},  {"E", 7},  {"F", 7}};
    for (const auto& [key, value] : cases)
        EXPECT_EQ(ini.readInteger("R", key, 7), value) << key;
}

TEST(IniFile, ValueReadAsAtMost2047Bytes)
{
    TestDir dir;
    const QByteArray zhong = "\xD6\xD0";   // one double-byte character
    const QByteArray exact = QByteArray(2047, 'a');
    const QByteArray straddle = QByteArray(2046, 'b') + zhong + "tail";
    const IniFile ini = loaded(dir.file("a.INI"), "[R]\nLong=" + exact + "xyz\nCut=" + straddle + "\n");
    EXPECT_EQ(ini.readString("R", "Long", ""), QString::fromLatin1(exact));
    // A character that does not fit is dropped whole, never half-read.
    EXPECT_EQ(ini.readString("R", "Cut", ""), QString(2046, 'b'));
}

TEST(IniFile, ChineseTextIsWrittenAsCodePage936)
{
    TestDir dir;
    const QString file = dir.file("a.INI");
    const QString description = QString::fromUtf8("长江口 测站 3");
    IniFile ini(file);
    ini.load();
    ini.writeString(QString::fromUtf8("测站"), "Description", description);
    ASSERT_TRUE(ini.save());
    const QByteArray bytes = TestDir::readAll(file);
    EXPECT_EQ(bytes, "[" + toGbk(QString::fromUtf8("测站")) + "]\nDescription=" + toGbk(description) + "\n");
    EXPECT_TRUE(bytes.contains("\xB3\xA4\xBD\xAD\xBF\xDA"));   // 长江口
    IniFile back(file);
    back.load();
    EXPECT_EQ(back.readString(QString::fromUtf8("测站"), "description", ""), description);
}

TEST(IniFile, GarbageLoadsWithoutFailing)
{
    TestDir dir;
    QByteArray junk(4096, '\0');
    for (int i = 0; i < junk.size(); ++i)
        junk[i] = char((i * 131 + 7) & 0xFF);
    const QByteArray cases[] = {
        "[Record]\nMode=\xFF\xFE\x81\nSize=2\n",                     // bad GBK value
        "[Rec\xFF" "ord]\nMode=1\n[Record]\nSize=2\n",               // bad GBK section name
        QByteArray(10 << 20, 'x') + "\n[Record]\nSize=2\n",          // a 10 MB line
        "[Record]\nMode=" + QByteArray(10 << 20, '7') + "\nSize=2\n",
        junk + "\n[Record]\nSize=2\n" + junk,
        QByteArray("[Record]\nSize=2\n\0\0\0\n", 20),
    };
    for (const auto& bytes : cases) {
        const IniFile ini = loaded(dir.file("g.INI"), bytes);
        EXPECT_EQ(ini.readInteger("Record", "Mode", 5), 5);
        EXPECT_EQ(ini.readInteger("Record", "Size", 0), 2);
        EXPECT_EQ(ini.readInteger("Missing", "Size", 3), 3);
    }
}

TEST(IniFile, MissingFileIsEmptyAndSavedWithLineFeeds)
{
    TestDir dir;
    const QString file = dir.file("new.INI");
    IniFile ini(file);
    ini.load();
    EXPECT_EQ(ini.readString("Record", "Path"), std::nullopt);
    ini.writeString("Record", "Path", "a\r\nb");   // a line break cannot split the line
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(TestDir::readAll(file), "[Record]\nPath=a  b\n");
}

TEST(IniFile, RefusedSaveReportsThePathAndKeepsTheOldFile)
{
    TestDir dir;
    // A directory path through a plain file: no temporary file can be made.
    TestDir::writeAll(dir.file("plain"), "x");
    IniFile blocked(dir.file("plain/svclient.INI"));
    blocked.writeString("Record", "Mode", "1");
    QString error;
    EXPECT_FALSE(blocked.save(&error));
    EXPECT_TRUE(error.startsWith("Unable to write to " + QDir::toNativeSeparators(dir.file("plain/svclient.INI")) + ": "))
        << error.toStdString();

    // A full disk (file size limit) while writing: the old file stays whole.
    const QString file = dir.file("svclient.INI");
    const QByteArray old = "[Record]\nMode=2\n";
    IniFile ini = loaded(file, old);
    ini.writeString("Record", "Path", QString(200, 'p'));
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool ok = ini.save(&error);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(error.startsWith("Unable to write to ")) << error.toStdString();
    EXPECT_EQ(TestDir::readAll(file), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"plain", "svclient.INI"}));
}

}  // namespace
