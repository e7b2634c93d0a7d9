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

    QString exe() const { return dir.file("svclient"); }
    QString ini() const { return dir.file("svclient.INI"); }

    void writeIni(const QByteArray& text) { TestDir::writeAll(ini(), text); }

    TSvMain& start()
    {
        SvMainOptions o;
        o.executablePath = exe();
        o.clock = &clock;
        o.prompts = &prompts;
        o.dumpFile = dumpFile;
        o.portFactory = [this](int, const QString&) -> std::unique_ptr<SerialPort> {
            if (failOpen)
                return nullptr;
            auto p = std::make_unique<SimulatedProbe>(clock);
            p->setFrameRate(frameRate);
            probe = p.get();
            return p;
        };
        window = std::make_unique<TSvMain>(o);
        return *window;
    }
};
