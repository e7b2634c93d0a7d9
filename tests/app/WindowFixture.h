#pragma once
#include "ScriptedPrompts.h"
#include "TestDir.h"
#include "app/SvMain.h"
#include "probe/MsClock.h"
#include "probe/SimulatedProbe.h"
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTreeWidget>
#include "app/ChartSeries.h"
#include "app/ProfilePlot.h"
#include <memory>

// A main window in a temporary directory, its settings file beside a fake
// executable, every port a simulated probe on a simulated clock, scripted prompts.
struct WindowFixture
{
    TestDir dir;
    SimulatedClock clock;
    ScriptedPrompts prompts;
    SimulatedProbe* probe = nullptr;   // the port the window opened last
    std::unique_ptr<TSvMain> window;
    bool failOpen = false;
    QString dumpFile;                  // --dump
    double frameRate = 10;             // live frames a second of the simulated probes
    MsClock* useClock = nullptr;       // instead of `clock`
    bool realPrompts = false;          // message boxes and dialogs instead of `prompts`
    // Instead of a simulated probe; `portsMade` lists every port asked for.
    std::function<std::unique_ptr<SerialPort>(int portNo, const QString& device)> makePort;
    std::function<std::vector<SerialDeviceInfo>()> listDevices;
    QList<QPair<int, QString>> portsMade;

    QString exe() const { return dir.file("svclient"); }
    QString ini() const { return dir.file("svclient.INI"); }

    void writeIni(const QByteArray& text) { TestDir::writeAll(ini(), text); }

    TSvMain& start()
    {
        SvMainOptions o;
        o.executablePath = exe();
        o.clock = useClock ? useClock : &clock;
        o.prompts = realPrompts ? nullptr : &prompts;
        o.dumpFile = dumpFile;
        o.listDevices = listDevices;
        // Runs on the port's thread; the window waits for it.
        o.portFactory = [this](int portNo, const QString& device) -> std::unique_ptr<SerialPort> {
            portsMade.append({portNo, device});
            if (makePort)
                return makePort(portNo, device);
            if (failOpen)
                return nullptr;
            auto p = std::make_unique<SimulatedProbe>(useClock ? *useClock : clock);
            p->setFrameRate(frameRate);
            probe = p.get();
            return p;
        };
        window = std::make_unique<TSvMain>(o);
        return *window;
    }
};
