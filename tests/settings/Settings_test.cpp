#include "text/Format.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"
#include "TestDir.h"
#include <gtest/gtest.h>
#include <bit>
#include <csignal>
#include <sys/resource.h>

namespace {

class SettingsTest : public ::testing::Test
{
protected:
    Settings fromFile(const QByteArray& bytes)
    {
        TestDir::writeAll(file, bytes);
        return reload();
    }
    Settings reload()
    {
        IniFile ini(file);
        ini.load();
        return Settings::load(ini);
    }
    // Saves `s` over the current file; the density edit shows `densityText`.
    QByteArray saved(const Settings& s, const QString& densityText)
    {
        IniFile ini(file);
        ini.load();
        QString error;
        EXPECT_TRUE(s.save(ini, densityText, &error)) << error.toStdString();
        return TestDir::readAll(file);
    }
    QString value(const char* section, const char* key)
    {
        IniFile ini(file);
        ini.load();
        return ini.readString(section, key, "<missing>");
    }

    TestDir dir;
    QString file = dir.file("svclient.INI");
};

TEST_F(SettingsTest, NoFileGivesTheDefaultsAndTheFirstCloseWritesThemInOrder)
{
    const Settings s = reload();
    EXPECT_EQ(s.path, "");
    EXPECT_EQ(s.mode, 0);
    EXPECT_FALSE(s.factory);
    EXPECT_EQ(fmt::formatFloat("0.0", s.distanceInterval * 0.1), "0.5");
    EXPECT_EQ(s.timeInterval, 1);
    EXPECT_EQ(s.memorySize, 32704);
    EXPECT_EQ(s.outputFormat, "0.0");
    EXPECT_EQ(s.draught, 0.8f);
    EXPECT_FALSE(s.selfPage);
    EXPECT_EQ(s.portNo, 1);
    EXPECT_EQ(fmt::formatFloat("0.000", s.density), "1.000");
    EXPECT_EQ(s.atmosphere, 10400.0f);
    EXPECT_EQ(s.sn, "");

    EXPECT_EQ(saved(s, "1.000"),
              "[Record]\nMode=0\nDistance Interval=5\nTime Interval=1\nSize=32704\n"
              "Draught=0.800000011920929\n"
              "[Serial Port]\nPort No.=1\n"
              "[SN]\nSN=\n"
              "[Depth]\nAtmosphere=10400\nPA0=1000\nPA1=2.20000004768372\n"
              "PA2=2.08000002999142E-7\nDensity=1\n"
              "[Sound Velocity]\nLF2048=0\nTF2048=0\n"
              "[Temperature]\nTA0=93\nTA1=-181\nTA2=201\nTA3=-137\nTA4=50\nTA5=-7.5\n");
}

TEST_F(SettingsTest, FactoryRuleTurnsWholeRecordIntoFixedDepth)
{
    struct Case { const char* record; bool factory; int mode; };
    const Case cases[] = {
        {"", false, 0},
        {"Factory=Yes\n", true, 1},
        {"Factory=Yes\nMode=0\n", true, 1},
        {"Factory=Yes\nMode=abc\n", true, 1},
        {"Factory=Yes\nMode=2\n", true, 2},
        {"Factory=yes\nMode=0\n", false, 0},   // exactly "Yes"
        {"Factory=No\nMode=1\n", false, 1},
        {"Mode=7\n", false, 7},                  // as read: the window's handler makes it 0
        {"Factory = Yes \nMode=0\n", true, 1},   // spaces are trimmed by the file rules
    };
    for (const auto& c : cases) {
        const Settings s = fromFile(QByteArray("[Record]\n") + c.record);
        EXPECT_EQ(s.factory, c.factory) << c.record;
        EXPECT_EQ(s.mode, c.mode) << c.record;
    }
}

TEST_F(SettingsTest, DensityBelowSeaWaterOrNoNumberLoadsAsOne)
{
    struct Case { const char* text; float density; };
    const Case cases[] = {
        {"0.5", 1.0f},   {"abc", 1.0f},  {"", 1.0f},  {"-1.2", 1.0f},  {"1e60", 1.0f},
        {"0.8", 0.8f},   {"1.025", 1.025f},
        {"0.7999999999", 0.8f},   // narrowed to the float 0.8 first, which is above 0.8
        {"0.79999", 1.0f},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fromFile(QByteArray("[Depth]\nDensity=") + c.text + "\n").density, c.density) << c.text;
}

TEST_F(SettingsTest, DensityIsWrittenFromTheEditText)
{
    Settings s;
    s.density = 1.02f;
    struct Case { const char* edit; const char* written; };
    const Case cases[] = {
        {"1.025", "1.025"},                 // 64-bit text, not the float's 1.02499997615814
        {"1.000", "1"},
        {"", "1.01999998092651"},           // no number: the density in use
        {"x.025", "1.01999998092651"},
    };
    for (const auto& c : cases) {
        saved(s, c.edit);
        EXPECT_EQ(value("Depth", "Density"), c.written) << c.edit;
    }
    saved(s, "1.025");
    EXPECT_EQ(reload().density, 1.025f);
}

TEST_F(SettingsTest, OutputFormatIsTwoDecimalsOnlyWhenExactlyAsked)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Output Format=0.00\n", "0.00"}, {"Output Format=0.000\n", "0.0"},
        {"Output Format=0.0\n", "0.0"},   {"", "0.0"},
        {"Output Format=#.00\n", "0.0"},  {"output format= 0.00 \n", "0.00"},
    };
    for (const auto& [line, format] : cases)
        EXPECT_EQ(fromFile(QByteArray("[Record]\n") + line).outputFormat, format) << line;
}

TEST_F(SettingsTest, SerialPortKeysAreReadAsWritten)
{
    const Settings s = fromFile("[Serial Port]\nPort No.=17\nDevice 1=/dev/ttyUSB0\n"
                                "Device 16=simulator\nDevice 17=/dev/ttyS5\n");
    EXPECT_EQ(s.portNo, 17);
    EXPECT_EQ(s.deviceOverride[1], "/dev/ttyUSB0");
    EXPECT_EQ(s.deviceOverride[16], "simulator");
    EXPECT_EQ(s.deviceOverride[2], "");
    saved(s, "1.000");
    EXPECT_EQ(value("Serial Port", "Port No."), "17");
    EXPECT_EQ(value("Serial Port", "Device 1"), "/dev/ttyUSB0");   // kept, not rewritten
}

// Every float member goes out as 15 digits of the widened float and comes
// back as the same float.
TEST_F(SettingsTest, FloatsRoundTripThroughTheirText)
{
    struct Case { float value; const char* text; };
    const Case cases[] = {
        {0.8f, "0.800000011920929"},   {2.2f, "2.20000004768372"},
        {2.08e-07f, "2.08000002999142E-7"},  {10400.0f, "10400"},  {-7.5f, "-7.5"},
        {93.0f, "93"},   {1.025f, "1.02499997615814"},  {-181.0f, "-181"},  {0.0f, "0"},
        {1480.26f, "1480.26000976563"},  {1.0e-10f, "1.00000001335143E-10"},
        {3.4e38f, "3.39999995214436E38"},  {1.17549435e-38f, "1.17549435082229E-38"},
    };
    for (const auto& c : cases) {
        Settings s;
        s.cal.pa1 = c.value;
        s.cal.ta5 = c.value;
        s.draught = c.value;
        saved(s, "1.000");
        EXPECT_EQ(value("Depth", "PA1"), c.text) << c.value;
        EXPECT_EQ(value("Record", "Draught"), c.text) << c.value;
        const Settings back = reload();
        EXPECT_EQ(std::bit_cast<uint32_t>(back.cal.pa1), std::bit_cast<uint32_t>(c.value)) << c.text;
        EXPECT_EQ(std::bit_cast<uint32_t>(back.cal.ta5), std::bit_cast<uint32_t>(c.value)) << c.text;
        EXPECT_EQ(std::bit_cast<uint32_t>(back.draught), std::bit_cast<uint32_t>(c.value)) << c.text;
    }
}

TEST_F(SettingsTest, Lf2048IsReadAsAnIntegerAndWrittenAsAFloat)
{
    const std::pair<const char*, float> cases[] = {
        {"1234", 1234.0f}, {"-20", -20.0f}, {"1234.5", 0.0f}, {"1234.0", 0.0f}, {"1E3", 0.0f},
    };
    for (const auto& [text, lf] : cases)
        EXPECT_EQ(fromFile(QByteArray("[Sound Velocity]\nLF2048=") + text + "\n").cal.lf2048, lf) << text;
    Settings s;
    s.cal.lf2048 = 31234.0f;
    saved(s, "1.000");
    EXPECT_EQ(value("Sound Velocity", "LF2048"), "31234");
    EXPECT_EQ(reload().cal.lf2048, 31234.0f);
}

TEST_F(SettingsTest, CloseRewritesOnlyItsKeysAndKeepsTheRest)
{
    const QByteArray before = "; site notes\n[Record]\nPath=/old\nFactory=Yes\nOutput Format=0.00\n"
                              "Self=Yes\nMode=2\n[Position]\nLatitude=31.2N\n[Custom]\nX=1\n";
    Settings s = fromFile(before);
    EXPECT_TRUE(s.selfPage);
    EXPECT_EQ(s.latitude, "31.2N");
    s.path.clear();   // an empty Path is not written: the old one stays
    s.sn = QString::fromUtf8("声速仪 A12");
    s.latitude.clear();
    s.longitude.clear();
    const QByteArray after = saved(s, "1.000");
    EXPECT_TRUE(after.startsWith("; site notes\n[Record]\nPath=/old\nFactory=Yes\nOutput Format=0.00\n"
                                 "Self=Yes\nMode=2\nDistance Interval=5\n"));
    EXPECT_TRUE(after.contains("[Position]\nLatitude=\n[Custom]\nX=1\n"));   // cleared, not dropped
    EXPECT_FALSE(after.contains("Longitude"));
    EXPECT_FALSE(after.contains("Probe Clock"));   // no zone chosen: this computer's
    const Settings back = reload();
    EXPECT_EQ(back.sn, s.sn);
    EXPECT_EQ(back.path, "/old");
    EXPECT_EQ(back.outputFormat, "0.00");
}

// The probe clock's zone survives a close and stays a key the user may clear.
TEST_F(SettingsTest, ProbeClockZoneIsKept)
{
    Settings s = fromFile("[Probe Clock]\nUTC Offset=-03:30\n");
    EXPECT_EQ(s.utcOffset, "-03:30");
    s.utcOffset = "+08:00";
    EXPECT_TRUE(saved(s, "1.000").contains("[Probe Clock]\nUTC Offset=+08:00\n"));
    EXPECT_EQ(reload().utcOffset, "+08:00");
    s.utcOffset.clear();
    EXPECT_TRUE(saved(s, "1.000").contains("[Probe Clock]\nUTC Offset=\n"));
    EXPECT_EQ(reload().utcOffset, "");
}

TEST_F(SettingsTest, GarbageAndMissingSectionsGiveDefaults)
{
    QByteArray junk(3000, '\0');
    for (int i = 0; i < junk.size(); ++i)
        junk[i] = char((i * 97 + 5) & 0xFF);
    const Settings s = fromFile("[Record]\nMode=\xFF\xFE\nSize=" + QByteArray(10 << 20, '9') +
                                "\nDraught=0.8.1\nDistance Interval=" + junk + "\n" +
                                "[Depth]\nPA0=\xD6\xD0\nAtmosphere=NaN\n[Temperature]\nTA3=inf\n");
    const Settings d;
    EXPECT_EQ(s.mode, d.mode);
    EXPECT_EQ(s.memorySize, d.memorySize);
    EXPECT_EQ(s.draught, d.draught);
    EXPECT_EQ(s.distanceInterval, d.distanceInterval);
    EXPECT_EQ(s.cal.pa0, d.cal.pa0);
    EXPECT_EQ(s.atmosphere, d.atmosphere);
    EXPECT_EQ(s.cal.ta3, d.cal.ta3);
    EXPECT_EQ(s.cal.tf2048, d.cal.tf2048);
}

TEST_F(SettingsTest, RefusedWriteReportsAndLeavesTheOldFile)
{
    const QByteArray old = "[Record]\nMode=2\n";
    TestDir::writeAll(file, old);
    IniFile ini(file);
    ini.load();
    Settings s = Settings::load(ini);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100;   // a disk that fills up in the middle of the file
    setrlimit(RLIMIT_FSIZE, &small);
    QString error;
    const bool ok = s.save(ini, "1.000", &error);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(error.startsWith("Unable to write to " + file)) << error.toStdString();
    EXPECT_EQ(TestDir::readAll(file), old);
}

TEST(SettingsPaths, BesideTheExecutable)
{
    struct Case { const char* exe; const char* ini; const char* data; };
    const Case cases[] = {
        {"/opt/sv/svclient", "/opt/sv/svclient.INI", "/opt/sv/SVPData/"},
        {"/opt/sv/SvClient.exe", "/opt/sv/SvClient.INI", "/opt/sv/SVPData/"},
        {"/opt/sv.d/svclient", "/opt/sv.d/svclient.INI", "/opt/sv.d/SVPData/"},
        {"/opt/sv/sv.client.bin", "/opt/sv/sv.client.INI", "/opt/sv/SVPData/"},
        {"/svclient", "/svclient.INI", "/SVPData/"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(settingsFilePath(c.exe), c.ini);
        EXPECT_EQ(dataDirectory(c.exe), c.data);
    }
}

}  // namespace
