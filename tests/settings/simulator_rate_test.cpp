#include "probe/MsClock.h"
#include "probe/PortFactory.h"
#include "probe/SimulatedProbe.h"
#include "settings/SimulatorFrameRate.h"
#include "settings/IniFile.h"
#include "TestDir.h"
#include <gtest/gtest.h>

namespace {

TEST(SimulatorFrameRate, OptionWinsOverTheSettingsFile)
{
    struct Case
    {
        std::optional<QString> option;
        QByteArray ini;
        std::optional<int> rate;
        QString errorHas;
    } cases[] = {
        {std::nullopt, "", 10, {}},
        {std::nullopt, "[Simulator]\nFrame Rate=96\n", 96, {}},
        {std::nullopt, "[simulator]\nframe rate = 1 \n", 1, {}},
        {QString("48"), "[Simulator]\nFrame Rate=96\n", 48, {}},
        {QString("96"), "[Simulator]\nFrame Rate=fast\n", 96, {}},   // the file is not asked
        {QString("0"), "", std::nullopt, "--frame-rate \"0\""},
        {QString("97"), "", std::nullopt, "from 1 to 96"},
        {QString("ten"), "", std::nullopt, "--frame-rate \"ten\""},
        {QString("9.5"), "", std::nullopt, "--frame-rate"},
        {QString(""), "", std::nullopt, "--frame-rate"},
        {QString("-5"), "", std::nullopt, "--frame-rate"},
        {QString("99999999999999"), "", std::nullopt, "--frame-rate"},
        {std::nullopt, "[Simulator]\nFrame Rate=200\n", std::nullopt, "[Simulator] Frame Rate = \"200\""},
        {std::nullopt, "[Simulator]\nFrame Rate=\n", std::nullopt, "svclient.INI"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "option " << c.option.value_or("(none)").toStdString() << ", file "
                                        << c.ini.toStdString());
        TestDir dir;
        TestDir::writeAll(dir.file("svclient.INI"), c.ini);
        IniFile ini(dir.file("svclient.INI"));
        ini.load();
        QString error;
        EXPECT_EQ(simrate::choose(c.option, ini, &error), c.rate);
        if (c.errorHas.isEmpty())
            EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        else
            EXPECT_TRUE(error.contains(c.errorHas)) << error.toStdString();
    }
}

TEST(SimulatorFrameRate, SimulatedPortsStreamAtTheChosenRate)
{
    SimulatedClock clock;
    for (int rate : {1, 10, 96}) {
        auto port = createPort(3, QString(), true, clock, rate);
        auto* probe = dynamic_cast<SimulatedProbe*>(port.get());
        ASSERT_NE(probe, nullptr);
        EXPECT_EQ(probe->frameRate(), rate);
    }
    auto byName = createPort(1, QStringLiteral("simulator"), false, clock, 96);
    ASSERT_NE(dynamic_cast<SimulatedProbe*>(byName.get()), nullptr);
    EXPECT_EQ(dynamic_cast<SimulatedProbe*>(byName.get())->frameRate(), 96);
}

}  // namespace
