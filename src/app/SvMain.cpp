// The shell: construction, settings load and save, the port, page changes, clock.
#include "app/SvMain.h"
#include "app/ChartSeries.h"
#include "app/ProfilePlot.h"
#include <QCoreApplication>
#include "app/ProfileGrid.h"
#include "app/WidgetPrompts.h"
#include "app/UpDown.h"
#include "storage/ProfileTable.h"
#include "storage/StaleTempFiles.h"
#include "document/ProfileTableModel.h"
#include "document/ExchangeDumpFile.h"
#include "document/ProbeMessages.h"
#include "probe/FrameReceiver.h"
#include "probe/LiveRecording.h"
#include "probe/MsClock.h"
#include "probe/PortFactory.h"
#include "probe/ProbeLink.h"
#include "probe/SerialPort.h"
#include "text/Format.h"
#include "settings/IniFile.h"
#include "settings/SettingsLocation.h"
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>
#include <utility>

#ifndef SV_BUILD_DATE
#define SV_BUILD_DATE __DATE__
#endif

namespace {
QString titleText() { return QCoreApplication::translate("TSvMain", "VX4400声速仪客户软件"); }

// The compiler's date form, "Jun  6 2016": a day below 10 with a space for its tens.
QString buildDateText(const char* stamp)
{
    QString text = QString::fromLatin1(stamp);
    if (text.size() == 11 && text[4] == u'0')
        text[4] = u' ';
    return text;
}
}

TSvMain::TSvMain(const SvMainOptions& options, QWidget* parent)
    : QMainWindow(parent), m_options(options)
{
    if (m_options.clock) {
        m_clock = m_options.clock;
    } else {
        m_ownClock = std::make_unique<SteadyClock>();
        m_clock = m_ownClock.get();
    }
    if (m_options.prompts) {
        m_prompts = m_options.prompts;
    } else {
        m_ownPrompts = std::make_unique<WidgetPrompts>(this);
        m_prompts = m_ownPrompts.get();
    }
    QString exe = m_options.executablePath;
    if (exe.isEmpty())
        exe = QCoreApplication::applicationFilePath();
    // Beside the executable, or the user's directories for an installed program.
    const SettingsLocation where = locateSettings(exe);
    m_settingsPath = where.iniFile;
    m_dataDir = where.dataDir;

    setObjectName("SvMain");
    m_link = std::make_unique<ProbeLink>();
    m_liveInput = std::make_unique<ReceivedBytes>(*m_clock);
    m_doc = new ProfileDocument(this);
    svTable = &m_doc->table();
    // Until a file is opened or created the table names "sample.db" of the data directory.
    svTable->setTableName(m_dataDir + "sample.db");
    GridModel = new ProfileTableModel(svTable, this);

    buildLayout();
    DBGrid->setModel(GridModel);
    DBGrid->setColumnWidth(0, 210);
    for (int c = 1; c < 4; ++c)
        DBGrid->setColumnWidth(c, 160);

    // The caption with the build date, before any setting is read.
    setWindowTitle(firstCaption());
    // System menu, minimise and close; no maximise on a fixed-size window.
    setWindowFlags((windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                    | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
                   & ~Qt::WindowMaximizeButtonHint);
    setFixedSize(800, 600);

    createLiveState();
    bindEvents();
    // Pages shown or hidden while the window is built are no page change of the user's.
    m_codeSetsPage = true;
    loadSettings();
    FormCreate();
    m_codeSetsPage = false;
    // Hidden temporary files a killed save left in the folders we write to.
    for (const QString& dir : {m_dataDir, Path})
        removeStaleTempFiles(dir);
}

QString TSvMain::firstCaption()
{
    return QStringLiteral("%1 (%2)").arg(titleText(), buildDateText(SV_BUILD_DATE));
}

TSvMain::~TSvMain()
{
    // Child widgets still emit while QWidget tears them down (a focused edit
    // reports editingFinished); by then this window's members are gone.
    for (QObject* child : findChildren<QObject*>())
        disconnect(child, nullptr, this, nullptr);
    disconnect(svTable, nullptr, nullptr, nullptr);
    // The exchange ends before the port goes: the port's thread may be
    // waiting on this window.
    m_link->cancel();
    m_link->waitIdle();
    m_link.reset();
}

void TSvMain::FormCreate()
{
    setActivePage(CablePg);
}

void TSvMain::setActivePage(QWidget* page)
{
    // Pages chosen by the program do not run the page-change handler.
    const bool before = m_codeSetsPage;
    m_codeSetsPage = true;
    PgCtrl->setCurrentWidget(page);
    m_codeSetsPage = before;
}

void TSvMain::FormResize()
{
    if (width() != 800 || height() != 600)
        resize(800, 600);
}

void TSvMain::resizeEvent(QResizeEvent* e)
{
    QMainWindow::resizeEvent(e);
    FormResize();
}

void TSvMain::Timer1sTimer()
{
    lbTime->setText(fmt::formatDateTime("yy-m-d h:mm:ss", QDateTime::currentDateTime()));
}

void TSvMain::PgCtrlChange()
{
    if (PgCtrl->currentWidget() == SelfPg && PgCtrl->isTabEnabled(PgCtrl->indexOf(SelfPg))) {
        edPath->setText(Path);
        Timer1s.start();
    } else {
        Timer1s.stop();
    }
    if (svTable->exists() && ChartDirty() && PgCtrl->currentWidget() == ChartPg)
        DrawProfile();   // reloads the table-bound series first
}

void TSvMain::BtnQuitClick()
{
    close();
}

void TSvMain::closeEvent(QCloseEvent* e)
{
    if (m_exchangeRunning) {
        // The exchange ends first: the probe is switched off and the file
        // being written is closed whole. The window closes once it has, and
        // then writes the settings with what the exchange brought.
        m_closeAfterExchange = true;
        m_link->cancel();
        e->ignore();
        return;
    }
    m_closeAfterExchange = false;
    FormClose();
    e->accept();
}

void TSvMain::loadSettings()
{
    m_ini = std::make_unique<IniFile>(m_settingsPath);
    m_ini->load();
    const Settings s = Settings::load(*m_ini);
    LoadedSettings = s;

    Path = s.path;
    edPath->setText(Path);
    Mode = s.mode;
    LogAll->setVisible(s.factory);
    if (Mode == 1)
        LogDistanceClick();
    else if (Mode == 2)
        LogTimeClick();
    else
        LogAllClick();
    UpDownDistance->setPosition(s.distanceInterval);
    EditDistance->setText(fmt::formatFloat("0.0", UpDownDistance->position() * 0.1));
    UpDownTime->setPosition(s.timeInterval);
    EditTime->setText(QString::number(UpDownTime->position()));
    MemorySize = s.memorySize;
    OutputFormat = s.outputFormat;
    Draught = s.draught;
    PortNo = s.portNo;
    refreshPortNames();
    PortOpened = OpenSerialPort(PortNo, true);
    PgCtrl->setTabVisible(PgCtrl->indexOf(SelfPg), s.selfPage);
    {
        const QSignalBlocker block(PortNumber);
        PortNumber->setCurrentIndex(PortNo >= 1 && PortNo <= 16 ? PortNo - 1 : -1);
    }
    Density = s.density;
    EdDensity->setText(fmt::formatFloat("0.000", Density));
    Atmosphere = s.atmosphere;
    Cal = s.cal;
    SN = s.sn;
    GridModel->setNumberFormat(OutputFormat);
    setActivePage(CablePg);
}

void TSvMain::FormClose()
{
    if (m_closing)
        return;
    m_closing = true;
    // A live run ends with the window: the probe is switched off before the port closes.
    Timer.stop();
    m_link->setPower(false);
    m_link->close();

    Settings s = LoadedSettings;
    s.path = Path;
    s.mode = Mode;
    s.distanceInterval = UpDownDistance->position();
    s.timeInterval = UpDownTime->position();
    s.memorySize = MemorySize;
    s.draught = Draught;
    s.portNo = PortNo;
    s.sn = SN;
    s.atmosphere = Atmosphere;
    s.cal = Cal;
    s.density = Density;
    QString error;
    // A settings file that cannot be written is reported; the window still
    // closes, since keeping it open would not make the file writable.
    // Read again first: keys edited by hand while the client ran (Factory,
    // Self, Output Format, devices, comments) are kept, only ours are written.
    m_ini->load();
    QDir().mkpath(QFileInfo(m_settingsPath).absolutePath());   // the user's directory, at first use
    // Devices mapped in the device dialog; those written by hand are kept as they are.
    for (int n : m_mappedPorts)
        m_ini->writeString(QStringLiteral("Serial Port"), QStringLiteral("Device %1").arg(n), LoadedSettings.deviceOverride[n]);
    SettingsWriteFailed = !s.save(*m_ini, EdDensity->text(), &error);
    if (SettingsWriteFailed)
        m_prompts->error(error);
}

void TSvMain::showStatus(int panel, const QString& text)
{
    StatusPanel[panel]->setText(text);
    statusBar()->repaint();
}

void TSvMain::setBusy(bool busy)
{
    if (busy) {
        if (m_busyDepth++ == 0)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (m_busyDepth > 0 && --m_busyDepth == 0) {
        QApplication::restoreOverrideCursor();
    }
}

void TSvMain::setVelocityColumnTitle(const QString& title)
{
    GridModel->setVelocityTitle(title);
}

QString TSvMain::askSaveName(const QString& title, const QString& filter, const QString& defaultExt,
                             const QString& initialName, const QString& initialDir)
{
    FileDialogRequest r;
    r.title = title;
    r.filter = filter;
    r.defaultExt = defaultExt;
    r.initialDir = initialDir.isEmpty() ? Path : initialDir;
    r.fileName = initialName;
    const FileDialogResult chosen = m_prompts->saveFile(r);
    if (!chosen.accepted)
        return QString();
    QString name = chosen.fileName;
    if (QFileInfo(name).suffix().isEmpty())
        name += "." + defaultExt;
    return name;
}

void TSvMain::setCaptionForFile(const QString& fileName)
{
    setWindowTitle("Sondix2.1 " + fileName);
}

bool TSvMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == btnAnalyze && event->type() == QEvent::MouseMove)
        btnAnalyzeMouseMove();
    return QMainWindow::eventFilter(watched, event);
}

void TSvMain::bindEvents()
{
    connectDocument();
    connect(PgCtrl, &QTabWidget::currentChanged, this, [this](int) {
        if (!m_codeSetsPage)
            PgCtrlChange();
    });
    connect(&Timer, &QTimer::timeout, this, &TSvMain::TimerTimer);
    connect(&Timer1s, &QTimer::timeout, this, &TSvMain::Timer1sTimer);
    connect(sbBtnDir, &QToolButton::clicked, this, &TSvMain::sbBtnDirClick);
    connect(btnFile, &QPushButton::clicked, this, &TSvMain::btnFileClick);
    connect(btnUpLoad, &QPushButton::clicked, this, &TSvMain::btnUpLoadClick);
    connect(btnQuery, &QPushButton::clicked, this, &TSvMain::btnQueryClick);
    connect(btnSetTime, &QPushButton::clicked, this, &TSvMain::btnSetTimeClick);
    connect(btnReadIntv, &QPushButton::clicked, this, &TSvMain::btnReadIntvClick);
    connect(btnSetIntv, &QPushButton::clicked, this, &TSvMain::btnSetIntvClick);
    connect(udIntv, &UpDown::clicked, this, &TSvMain::udIntvClick);
    connect(btnClear, &QPushButton::clicked, this, &TSvMain::btnClearClick);
    connect(BtnBegin, &QPushButton::clicked, this, &TSvMain::BtnBeginClick);
    connect(btnRec, &QPushButton::clicked, this, &TSvMain::btnRecClick);
    connect(BtnStop1, &QPushButton::clicked, this, &TSvMain::BtnStopClick);
    connect(BtnStop, &QPushButton::clicked, this, &TSvMain::BtnStopClick);
    connect(BtnFileName, &QToolButton::clicked, this, &TSvMain::BtnFileNameClick);
    connect(LogAll, &QRadioButton::clicked, this, &TSvMain::LogAllClick);
    connect(LogDistance, &QRadioButton::clicked, this, &TSvMain::LogDistanceClick);
    connect(LogTime, &QRadioButton::clicked, this, &TSvMain::LogTimeClick);
    connect(UpDownDistance, &UpDown::clicked, this, &TSvMain::UpDownDistanceClick);
    connect(UpDownTime, &UpDown::clicked, this, [this] { EditTime->setText(QString::number(UpDownTime->position())); });
    connect(PortNumber, &QComboBox::currentIndexChanged, this, [this] {
        m_portIndexChanged = true;
        QMetaObject::invokeMethod(this, [this] { m_portIndexChanged = false; }, Qt::QueuedConnection);
        PortNumberChange();
    });
    // Choosing the port in use again, while it is not open, tries it again
    // (an adapter plugged in since, a configured device that was missing).
    connect(PortNumber, &QComboBox::activated, this, [this](int index) {
        if (!std::exchange(m_portIndexChanged, false) && index == PortNo - 1 && !PortOpened)
            PortNumberChange();
    });
    connect(btnCancel, &QPushButton::clicked, this, &TSvMain::btnCancelClick);
    connect(BtnOpen, &QPushButton::clicked, this, [this] { BtnOpenClick(BtnOpen); });
    connect(Load, &QAction::triggered, this, [this] { BtnOpenClick(Load); });
    connect(svTable, &ProfileTable::afterScroll, this, &TSvMain::svTableAfterScroll);
    connect(svTable, &ProfileTable::afterEdit, this, &TSvMain::svTableAfterEdit);
    connect(UpDownZone, &UpDown::clicked, this, &TSvMain::UpDownZoneClick);
    // The grid and the description edit follow the table's current row and write through it.
    GridModel->setBeforeReadOnlyEdit([this] { return ensureWritableProfile(); });
    auto* grid = static_cast<ProfileGrid*>(DBGrid);
    grid->setBeforeEdit([this] { return ensureWritableProfile(); });
    grid->setOnEscape([this] {
        if (svTable->isActive())
            svTable->cancel();
    });
    grid->setOnLeave([this] { svTable->dropEmptyNewRow(); });
    grid->setOnDeleteKey([this] { GridDeleteKey(); });
    connect(GridModel, &ProfileTableModel::editFailed, this, [this](const QString& m) { m_prompts->message(m); });
    connect(GridModel, &ProfileTableModel::currentRowChanged, this, [this](int row) {
        if (row >= 0 && DBGrid->currentIndex().row() != row)
            DBGrid->setCurrentIndex(GridModel->index(row, std::max(0, DBGrid->currentIndex().column())));
    });
    connect(DBGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!current.isValid() || !svTable->isActive() || current.row() + 1 == svTable->recNo())
                    return;
                try {
                    svTable->moveTo(current.row() + 1);
                } catch (const TableError& e) {
                    m_prompts->message(e.message());
                }
            });
    connect(svTable, &ProfileTable::afterScroll, this, [this] {
        DBEdit1->setText(svTable->current().discrip.value_or(QString()));
    });
    connect(DBEdit1, &QLineEdit::editingFinished, this, [this] {
        if (!svTable->isActive() || svTable->recordCount() == 0
            || DBEdit1->text() == svTable->current().discrip.value_or(QString()))
            return;
        // Converting an old file moves the cursor, which refills the edit.
        const QString text = DBEdit1->text();
        if (!ensureWritableProfile()) {
            DBEdit1->setText(svTable->current().discrip.value_or(QString()));
            return;
        }
        try {
            svTable->setField(ProfileField::Discrip, text);
            svTable->post();
            DBEdit1->setText(text);
        } catch (const TableError& e) {
            m_prompts->message(e.message());
        }
    });
    connect(ChBoxFilter, &QCheckBox::toggled, this, &TSvMain::ChBoxFilterClick);
    connect(DeletRec, &QAction::triggered, this, &TSvMain::DeletRecClick);
    connect(InsertRec, &QAction::triggered, this, &TSvMain::InsertRecClick);
    connect(DBGrid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { PopupMenuGrid->popup(DBGrid->viewport()->mapToGlobal(p)); });
    connect(DBChart, &ProfilePlot::menuRequested, this, [this](const QPoint& p) { MenuChart->popup(p); });
    connect(DBChart, &ProfilePlot::seriesClicked, this, &TSvMain::DBChartClickSeries);
    btnAnalyze->setMouseTracking(true);
    btnAnalyze->installEventFilter(this);
    connect(SaveBMP, &QAction::triggered, this, &TSvMain::SaveBMPClick);
    // The ticks are the handlers' to change: undo the menu's own toggle first.
    const std::pair<QAction*, void (TSvMain::*)()> ticked[] = {
        {SvTwo, &TSvMain::SvTwoClick}, {TempTwo, &TSvMain::TempTwoClick}, {PMSv, &TSvMain::PMSvClick},
        {PMTemp, &TSvMain::PMTempClick}, {PMAv, &TSvMain::PMAvClick}};
    for (const auto& [action, handler] : ticked)
        connect(action, &QAction::triggered, this, [this, a = action, h = handler] {
            a->setChecked(!a->isChecked());
            (this->*h)();
        });
    connect(BtnExport, &QPushButton::clicked, this, &TSvMain::BtnExportClick);
    connect(PMSave, &QAction::triggered, this, [this] { PMSaveClick(PMSave); });
    connect(PMSaveAv, &QAction::triggered, this, [this] { PMSaveClick(PMSaveAv); });
    connect(BtnPreview, &QPushButton::clicked, this, &TSvMain::BtnPreviewClick);
    connect(BtnPrintTable, &QPushButton::clicked, this, &TSvMain::BtnPrintTableClick);
    connect(PMPrint, &QAction::triggered, this, &TSvMain::PMPrintClick);
    connect(BtnQuit, &QPushButton::clicked, this, &TSvMain::BtnQuitClick);
}
