#pragma once
#include "dialogs/Prompts.h"
#include "analysis/LiveTrace.h"
#include "document/ProfileDocument.h"
#include "model/ProfileRow.h"
#include "model/Calibration.h"
#include "settings/Settings.h"
#include <QDateTime>
#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableView;
class QTabWidget;
class QToolButton;
class QTreeWidget;
class QCPAxis;
class QCPGraph;
class QCustomPlot;
class ChartSeries;
class ProfilePlot;
class LivePaceLog;

class MsClock;
class SerialPort;
class ProbeLink;
class ProbeProtocol;
class ReceivedBytes;
class QEventLoop;
class ProfileTable;
class ProfileTableModel;
class Prompts;
class UpDown;
class FrameReceiver;
class LiveRecording;
class IniFile;
class ExchangeDumpFile;
enum class SurveyFormat;
class ProfileChart;
struct FrameResult;
namespace probemem {
struct CalibrationRead;
struct SessionEvents;
}

// How the window is started: where its settings file and data directory are,
// which ports it talks to, and who answers its questions. Tests inject a
// simulated probe on a simulated clock and scripted prompts.
struct SvMainOptions
{
    QString executablePath;          // settings file = this path with ".INI"
    bool simulate = false;           // every port is the probe simulator
    int simulatorFrameRate = 10;     // live frames a second of a simulated probe (--frame-rate)
    QString dumpFile;                // raw bytes of every exchange (--dump)
    MsClock* clock = nullptr;        // default: the steady clock
    Prompts* prompts = nullptr;      // default: message boxes and dialogs
    // Creates the port for a number; default: the device mapping of the settings file.
    // Called on the port's thread.
    std::function<std::unique_ptr<SerialPort>(int portNo, const QString& device)> portFactory;
    // The serial devices present, for the device dialog; default: the system's.
    std::function<std::vector<SerialDeviceInfo>()> listDevices;
};

// The main window: four pages, the status bar, the two timers and every member
// that holds the client's state. Handlers are named after their control and
// event and stay thin: they read controls, call the core library and show its result.
class TSvMain : public QMainWindow
{
    Q_OBJECT
public:
    explicit TSvMain(const SvMainOptions& options, QWidget* parent = nullptr);
    ~TSvMain() override;

    Prompts& prompts() { return *m_prompts; }
    ProbeLink& link() { return *m_link; }
    MsClock& clock() { return *m_clock; }
    ProfileTable& table() { return *svTable; }

    // ---- shell -------------------------------------------------------------
    void FormCreate();
    void FormShow() {}
    void FormResize();
    void FormClose();
    void PgCtrlChange();
    void Timer1sTimer();
    void BtnQuitClick();
    void HelpKeyPress();   // F1: the keys and the version

    // ---- serial port and protocol -------------------------------------------
    // `atStart`: a configured device that is not plugged in is not reported
    // (it is when its port is chosen).
    bool OpenSerialPort(int portNo, bool atStart = false);
    void PortNumberChange();
    bool ReadCalibration();
    // The port chooser: "COMn" with the device each maps to, then "设备…".
    void refreshPortNames();
    QString deviceOfPort(int portNo) const;
    static constexpr int kDeviceItem = 16;   // index of "设备…"

    // ---- exchanges with the probe ------------------------------------------
    // Runs `job` on the port's thread. The window goes on painting and
    // answering the desktop meanwhile; the user's input is held back, but for
    // `cancel` when given, so no second command starts. Returns when the job
    // has ended; false when it could not start (another runs, or no port).
    bool runExchange(const std::function<void(ProbeProtocol&)>& job, QWidget* cancel = nullptr);
    bool exchangeRunning() const { return m_exchangeRunning; }
    // A session's events, called on the port's thread, delivered here in order.
    probemem::SessionEvents onWindowThread(const probemem::SessionEvents& events);
    // From the port's thread: runs `fn` on the window's thread and waits for
    // it; false when the exchange was cancelled or the window is gone first.
    bool callOnWindow(const std::function<void()>& fn);
    void btnCancelClick();

    // ---- live measurement -----------------------------------------------------
    void TimerTimer();
    void BtnFileNameClick();
    void LogAllClick();
    void LogDistanceClick();
    void LogTimeClick();
    void UpDownDistanceClick();
    void BtnBeginClick();
    void btnRecClick();
    void BtnStopClick();
    bool ProcessFrame(const FrameResult& frame);   // display and recording half; false ends the tick
    void showLiveValues();                         // read-outs, live chart and status bar, once a tick
    bool AppendSample(uint8_t status, float temp, float sv, float depth);

    // ---- probe memory -------------------------------------------------------
    void sbBtnDirClick();
    void btnFileClick();
    void btnUpLoadClick();
    void btnQueryClick();
    void btnSetTimeClick();
    void btnReadIntvClick();
    void btnSetIntvClick();
    void udIntvClick();
    void btnClearClick();

    // ---- profile files and table page -----------------------------------------
    void BtnOpenClick(QObject* sender);
    // The open of a chosen file name, as the open button does after its dialog.
    bool OpenChosenProfile(const QString& fileName, QObject* sender);
    // A profile file named on the command line: opened as the open button does,
    // shown on the table page.
    void OpenFileArgument(const QString& fileName);
    int OpenProfileFile(const QString& path);
    bool CheckTableOpen();
    void ResetChart();
    void svTableAfterScroll();
    void svTableAfterEdit();
    void UpDownZoneClick();
    void ChBoxFilterClick();
    void DeletRecClick();
    void InsertRecClick();

    // ---- profile chart and average ------------------------------------------
    void DrawProfile();
    bool BuildMergedProfile();
    void PMSvClick();
    void PMTempClick();
    void SvTwoClick();
    void TempTwoClick();
    void PMAvClick();
    void DBChartClickSeries(ChartSeries* series, double x, double y);
    void btnAnalyzeMouseMove();
    void SaveBMPClick();

    // ---- output --------------------------------------------------------------
    void BtnExportClick();
    void PMSaveClick(QObject* sender);
    void BtnPreviewClick();
    void BtnPrintTableClick();
    void SaveReportText();   // the preview's text export
    void PMPrintClick();
    bool ExportCommaCsv(const QString& fileName);
    bool ExportHypackVel(const QString& fileName);
    bool ExportAverageCsv(const QString& fileName);
    RowsSnapshot shownRows() const;                    // the rows the table shows, in table order
    // The processed profile in a survey format, after the export dialog for it.
    bool ExportSurveyFormat(SurveyFormat format, const QString& fileName);
    // Several profile files at once, one export file each, into one folder.
    void BatchExportClick();
    // A read-only profile file (an old Paradox file, or one we may not write) is
    // converted before its rows change: a new file of the current format with
    // every row, opened in its place. True when
    // the open table may be changed (it was writable, or the conversion worked).
    bool ensureWritableProfile();
    // After a failed open or create: the table named `name` again, reopened when
    // `reopen`; when that fails too and a profile was open, the window says none is.
    void restoreProfile(const QString& name, bool reopen, bool wasOpen);
    // Delete and insert: refused on an empty table and on the first row, then
    // the change on a writable table; a refusal of the file is shown as it is.
    bool changeCurrentRow(const QString& firstRowMessage, const std::function<Status()>& change);
    // The grid's own delete key (Ctrl+Del): any row, the first too, after a question.
    void GridDeleteKey();

    // ---- state (public so that tests can read it) ------------------------------
    int PortNo = 1;
    bool PortOpened = false;
    QString Path;
    int Mode = 0;
    int MemorySize = 32704;
    QString OutputFormat = "0.0";
    float Draught = 0.8f, Density = 1.0f, Atmosphere = 10400.0f;
    Calibration Cal;
    QString SN;
    bool SvSeen = false;
    bool FirstRecordPending = false;
    float DistanceStep = 0.5f, DepthMark = -1.0f;
    uint32_t TimeStep = 1000, NextTime = 0;
    QString ExportFileName;
    Settings LoadedSettings;          // as read at construction (Factory, Self, Device N)
    bool SettingsWriteFailed = false; // the last close could not write the settings file

    // ---- controls ---------------------------------------------------------------
    QTabWidget* PgCtrl = nullptr;
    QWidget* SelfPg = nullptr;
    QWidget* CablePg = nullptr;
    QWidget* TablePg = nullptr;
    QWidget* ChartPg = nullptr;
    QLabel* StatusPanel[4] = {};
    QTimer Timer;
    QTimer Timer1s;

    // SelfPg
    QTreeWidget* FileList = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* lbTime = nullptr;
    QPushButton* btnQuery = nullptr;
    QPushButton* btnSetTime = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QLineEdit* edReadIntv = nullptr;
    QPushButton* btnReadIntv = nullptr;
    QLineEdit* edSetIntv = nullptr;
    UpDown* udIntv = nullptr;
    QPushButton* btnSetIntv = nullptr;
    QLineEdit* edPath = nullptr;
    QToolButton* sbBtnDir = nullptr;
    QProgressBar* pr = nullptr;
    QPushButton* btnFile = nullptr;
    QPushButton* btnUpLoad = nullptr;
    QPushButton* btnClear = nullptr;
    QPushButton* btnCancel = nullptr;   // "取消": shown only while an upload runs

    // CablePg
    QGroupBox* gbPram = nullptr;
    QLineEdit* EdFileName = nullptr;
    QToolButton* BtnFileName = nullptr;
    QLineEdit* Description = nullptr;
    QLineEdit* EdDensity = nullptr;
    QComboBox* PortNumber = nullptr;
    QGroupBox* ModeSelect = nullptr;
    QRadioButton* LogAll = nullptr;
    QRadioButton* LogDistance = nullptr;
    QLineEdit* EditDistance = nullptr;
    UpDown* UpDownDistance = nullptr;
    QRadioButton* LogTime = nullptr;
    QLineEdit* EditTime = nullptr;
    UpDown* UpDownTime = nullptr;
    QCustomPlot* Chart1 = nullptr;
    QCPGraph* SerRealSv = nullptr;
    QCPGraph* SerRealTemp = nullptr;
    QCPAxis* Chart1Bottom = nullptr;   // seconds since the epoch, shown "hh:mm:ss"
    QCPAxis* Chart1Left = nullptr;
    QCPAxis* Chart1Right = nullptr;
    QPushButton* BtnBegin = nullptr;
    QPushButton* btnRec = nullptr;
    QPushButton* BtnStop1 = nullptr;
    QLabel* lbLowBatt = nullptr;
    QLineEdit* stSv = nullptr;
    QLineEdit* stDepth = nullptr;
    QLineEdit* stTemp = nullptr;

    // TablePg
    QTableView* DBGrid = nullptr;
    QLineEdit* DBEdit1 = nullptr;
    QGroupBox* PnFilterCtrl = nullptr;
    QLineEdit* EditZone = nullptr;
    UpDown* UpDownZone = nullptr;
    QCheckBox* ChBoxFilter = nullptr;
    QPushButton* BtnOpen = nullptr;
    QPushButton* BtnPreview = nullptr;
    QPushButton* BtnPrintTable = nullptr;
    QPushButton* BtnExport = nullptr;
    QPushButton* BtnStop = nullptr;
    QPushButton* BtnQuit = nullptr;
    QMenu* PopupMenuGrid = nullptr;
    QAction* DeletRec = nullptr;
    QAction* InsertRec = nullptr;

    // ChartPg
    ProfilePlot* DBChart = nullptr;
    QPushButton* btnAnalyze = nullptr;
    QMenu* MenuChart = nullptr;
    QAction* Load = nullptr;
    QAction* BatchExport = nullptr;   // "批量导出", after "打开"
    QMenu* Save = nullptr;
    QAction* PMSave = nullptr;
    QAction* PMSaveAv = nullptr;
    QAction* SaveBMP = nullptr;
    QAction* SvTwo = nullptr;
    QAction* TempTwo = nullptr;
    QAction* PMSv = nullptr;
    QAction* PMTemp = nullptr;
    QAction* PMAv = nullptr;
    QAction* PMPrint = nullptr;
    QCPAxis* DBChartBottom = nullptr;
    QCPAxis* DBChartLeft = nullptr;
    QCPAxis* DBChartRight = nullptr;
    // The curves are views of the document's series. The table-bound values
    // (SerTwoSv, SerTwoTemp: never shown) are the document's tableSv/tableTemp.
    ChartSeries* SerSv = nullptr;
    ChartSeries* SerTemp = nullptr;
    ChartSeries* SerAvSv = nullptr;
    ChartSeries* SerSvUp = nullptr;
    ChartSeries* SerSvDown = nullptr;
    ChartSeries* SerTempUp = nullptr;
    ChartSeries* SerTempDown = nullptr;
    QList<ChartSeries*> chartSeries() const;   // in the chart's order

    // The open profile: the document, its table (the one cursor the grid
    // edits) and the grid model over it.
    ProfileDocument& document() { return *m_doc; }
    ProfileTable* svTable = nullptr;
    ProfileTableModel* GridModel = nullptr;
    // The open profile's state, held by the document.
    bool ChartDirty() const { return m_doc->isStale(); }
    QString FileDescription() const { return m_doc->description(); }
    QDateTime FileDate() const { return m_doc->date(); }
    uint8_t ProfileKind() const { return m_doc->kind(); }

    // Helpers the handlers share.
    void showStatus(int panel, const QString& text);   // and repaint the status bar at once
    void setBusy(bool busy);                            // hourglass cursor on / restore
    void setVelocityColumnTitle(const QString& title);
    void reloadTableSeries();                           // SerTwoSv / SerTwoTemp from the visible rows
    void connectDocument();                             // the chart's series follow the document
    void fitUnlessZoomed();                             // axis ranges to the shown series unless zoomed
    void applyRightAxisGridRule();
    void setCaptionForFile(const QString& fileName);
    static QString firstCaption();   // the title and the build date: "VX4400声速仪客户软件 (Jun  6 2016)"
    // The save dialog in `Path`: the chosen name, with "." + defaultExt when it
    // has no extension; empty when cancelled.
    QString askSaveName(const QString& title, const QString& filter, const QString& defaultExt,
                        const QString& initialName = QString(), const QString& initialDir = QString());
    void setActivePage(QWidget* page);                  // without running PgCtrlChange
    QString settingsPath() const { return m_settingsPath; }
    QString dataDirectory() const { return m_dataDir; }

protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    void buildSelfPage();
    void buildCablePage();
    void buildTablePage();
    void buildChartPage();
    void buildMenus();
    void buildShortcuts();
    void addBatchExport();
    void bindEvents();
    void loadSettings();
    void createLiveState();
    // The probe commands' results: a message shown unless empty; a calibration
    // read from the probe replaces Cal and SN and shows the device number.
    void showProbeMessage(const QString& text);
    void applyCalibration(const probemem::CalibrationRead& read);
    // Builds the file from the shown rows (or sets the reason it cannot) and writes it whole.
    using ExportBuilder = std::function<QByteArray(const std::vector<ProfileRow>&, QString* error)>;
    bool writeExport(const QString& fileName, const ExportBuilder& build);
    std::function<void(class QPagedPaintDevice*)> reportPainter();
    QString reportNote() const;   // description(yy-m-d hh:mm)

    SvMainOptions m_options;
    ProfileDocument* m_doc = nullptr;
    std::unique_ptr<MsClock> m_ownClock;
    MsClock* m_clock = nullptr;
    std::unique_ptr<Prompts> m_ownPrompts;
    Prompts* m_prompts = nullptr;
    std::unique_ptr<ExchangeDumpFile> m_dump;   // before m_link: the port writes into it
    std::unique_ptr<ProbeLink> m_link;
    std::unique_ptr<ReceivedBytes> m_liveInput;  // live bytes taken from the port, not yet read
    bool m_exchangeRunning = false;
    bool m_exchangeDone = false;
    QEventLoop* m_exchangeLoop = nullptr;
    bool m_closeAfterExchange = false;          // the window was closed during an exchange
    bool m_portIndexChanged = false;            // the chooser's index changed in this event
    QList<int> m_mappedPorts;                   // ports given a device in the device dialog
    std::unique_ptr<IniFile> m_ini;
    QString m_settingsPath;
    QString m_dataDir;
    bool m_codeSetsPage = false;
    int m_busyDepth = 0;
    bool m_closing = false;

    // The live chart's time of a frame (ms since the epoch): the computer's time
    // at power-on, or the time line of a run that ended less than two minutes
    // before, plus the millisecond clock since the power-on.
    double liveTime();
    void startLiveSegment();
    // What the frames of the current tick leave for the screen.
    struct LiveShown
    {
        bool frames = false;        // a frame passed the start-up gate
        bool lowBattery = false;
        bool lowBatteryKnown = false;
        bool svValid = false;       // the last frame's velocity was valid
        bool svText = false;        // a valid velocity arrived this tick
        float sv = 0, depth = 0, temp = 0;
        double time = 0;            // the last frame's chart time
    } m_shown;
    bool m_gridHeld = false;
    LivePaceLog* m_pace = nullptr;   // the sv.app debug log of the live pace        // the grid waits for the stop of the recording
    qint64 m_liveEpochMs = 0;
    uint32_t m_liveClockStart = 0;
    uint32_t m_liveLastFrameClock = 0;

public:
    // Live-measurement state owned by the window (frame receiver, recording rules).
    std::unique_ptr<FrameReceiver> Receiver;
    std::unique_ptr<LiveRecording> Recording;
    // The live chart's values over the last two minutes, per pixel column.
    LiveTrace LiveSv, LiveTemp;
};
