// Start-up: date formats, splash, title, the main window, 2 s pause, the
// profile file named on the command line, message loop.
#include "dialogs/Prompts.h"
#include "app/Splash.h"
#include "app/SvMain.h"
#include "app/Translations.h"
#include "settings/SimulatorFrameRate.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"
#include "settings/SettingsLocation.h"
#include "settings/UiLanguage.h"
#include "text/LocalTime.h"
#include <QApplication>
#include <QCommandLineParser>
#include <QLocale>
#include <QMessageBox>
#include <QThread>
#include <cstdio>
#include <exception>
#include <optional>

namespace {

// An exception that escapes a handler is shown and the application goes on.
class GuardedApplication : public QApplication
{
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            QMessageBox::critical(nullptr, applicationDisplayName(), QString::fromUtf8(e.what()));
        }
        return false;
    }
};

}  // namespace

int main(int argc, char** argv)
{
    fmt::pinLocalTimeZone();
    // Dates print with "-" and "yyyy-MM-dd" everywhere; the patterns are ours, not the locale's.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    GuardedApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("VX4400 sound-velocity profiler client");
    parser.addHelpOption();
    QCommandLineOption simulate("simulate", "Run every serial port on the built-in probe simulator.");
    QCommandLineOption dump("dump", "Save the raw bytes of every exchange with the probe to FILE.", "FILE");
    QCommandLineOption frameRate("frame-rate",
                                 "Live frames a second of the simulated probe, 1 to 96 (default 10; "
                                 "[Simulator] Frame Rate in the settings file).",
                                 "N");
    parser.addOption(simulate);
    parser.addOption(dump);
    QCommandLineOption lang("lang", "The window's language: zh (Chinese) or en (English); else [Display] Language "
                                    "in the settings file, else the system's locale.",
                            "zh|en");
    parser.addOption(frameRate);
    parser.addOption(lang);
    parser.addPositionalArgument("FILE", "A profile file (*.db) to open on the table page.", "[FILE]");
    parser.process(app);
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        std::fputs("svclient: one FILE at most (svclient --help)\n", stderr);
        return 2;
    }

    // A rate that is no rate stops here, before anything is shown.
    IniFile ini(locateSettings(QCoreApplication::applicationFilePath()).iniFile);
    ini.load();
    QString rateError;
    const std::optional<int> rate = simrate::choose(
        parser.isSet(frameRate) ? std::optional<QString>(parser.value(frameRate)) : std::nullopt, ini, &rateError);
    if (!rate) {
        std::fprintf(stderr, "svclient: %s\n", rateError.toLocal8Bit().constData());
        return 2;
    }

    QString langError;
    const std::optional<uilang::Language> language = uilang::choose(
        parser.isSet(lang) ? std::optional<QString>(parser.value(lang)) : std::nullopt, ini,
        QLocale::system().name(), &langError);
    if (!language) {
        std::fprintf(stderr, "svclient: %s\n", langError.toLocal8Bit().constData());
        return 2;
    }
    installTranslations(app, *language);
    const QString appName = QCoreApplication::translate("TSvMain", "VX4400声速仪客户软件");

    try {
        Tlogo logo;
        logo.show();
        logo.repaint();
        QApplication::processEvents();
        QApplication::setApplicationName(appName);
        QApplication::setApplicationDisplayName(appName);

        SvMainOptions options;
        options.executablePath = QCoreApplication::applicationFilePath();
        options.simulate = parser.isSet(simulate);
        options.simulatorFrameRate = *rate;
        options.dumpFile = parser.value(dump);
        TSvMain SvMain(options);
        QThread::msleep(2000);
        logo.close();
        SvMain.show();
        if (!files.isEmpty())
            SvMain.OpenFileArgument(files.front());
        app.exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, appName, QString::fromUtf8(e.what()));
    }
    return 0;
}
