// Live measurement and recording on the page CablePg.
#include "dialogs/Prompts.h"
#include "app/SvMain.h"
#include "app/LiveAxes.h"
#include "app/LivePaceLog.h"
#include "app/Log.h"
#include "app/ProfilePlot.h"
#include "app/UpDown.h"
#include "storage/FileSystem.h"
#include "storage/ProfileTable.h"
#include "probe/FrameReceiver.h"
#include "probe/LiveRecording.h"
#include "probe/MsClock.h"
#include "probe/ProbeLink.h"
#include "text/Format.h"
#include <QCheckBox>
#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <qcustomplot.h>
#include <algorithm>
#include <QCoreApplication>

namespace {

constexpr double kWindowMs = 120000;   // the live chart shows two minutes

// The chart's points of a trace (X in seconds since the epoch, as the time axis
// counts), one replace a tick.
void showTrace(QCPGraph* graph, const LiveTrace& trace)
{
    Series points;
    trace.points(&points);
    QVector<QCPGraphData> data;
    data.reserve(qsizetype(points.size()));
    for (const SeriesPoint& p : points)
        data.append(QCPGraphData(p.x / 1000.0, p.y));
    graph->data()->set(data, true);
}

// The storage file a typed or chosen name stands for: its extension made ".db".
QString storageFileName(const QString& text)
{
    const QFileInfo fi(text);
    const QString name = fi.suffix().isEmpty() ? fi.filePath() + ".db"
                                               : fi.path() + "/" + fi.completeBaseName() + ".db";
    return QDir::toNativeSeparators(QDir::cleanPath(name));
}

}  // namespace

void TSvMain::createLiveState()
{
    Receiver = std::make_unique<FrameReceiver>(ConversionInputs{Cal, Atmosphere, Density});
    Recording = std::make_unique<LiveRecording>();
    m_pace = new LivePaceLog(this);
}

void TSvMain::LogAllClick()
{
    LogAll->setChecked(true);
    EditDistance->setEnabled(false);
    UpDownDistance->setEnabled(false);
    EditTime->setEnabled(false);
    UpDownTime->setEnabled(false);
    Mode = 0;
}

void TSvMain::LogDistanceClick()
{
    LogDistance->setChecked(true);
    EditDistance->setEnabled(true);
    UpDownDistance->setEnabled(true);
    EditTime->setEnabled(false);
    UpDownTime->setEnabled(false);
    Mode = 1;
}

void TSvMain::LogTimeClick()
{
    LogTime->setChecked(true);
    EditDistance->setEnabled(false);
    UpDownDistance->setEnabled(false);
    EditTime->setEnabled(true);
    UpDownTime->setEnabled(true);
    Mode = 2;
}

void TSvMain::UpDownDistanceClick()
{
    EditDistance->setText(fmt::formatFloat("0.0", UpDownDistance->position() * 0.1));
}

void TSvMain::BtnFileNameClick()
{
    FileDialogRequest r;
    r.title = QCoreApplication::translate("TSvMain", "指定存储文件");
    r.defaultExt = "db";
    r.initialDir = Path;
    r.filter = QCoreApplication::translate("TSvMain", "数据库文件(*.db)|*.DB");
    const FileDialogResult chosen = m_prompts->saveFile(r);
    if (!chosen.accepted)
        return;
    Path = QFileInfo(chosen.fileName).absolutePath() + "/";
    // A place where no file can be made is told now, not when the probe is in the water.
    if (const Status creatable = checkCreatable(storageFileName(chosen.fileName)); !creatable) {
        m_prompts->message(creatable.message());
        return;
    }
    EdFileName->setText(chosen.fileName);
}

void TSvMain::BtnBeginClick()
{
    if (BtnStop1->isEnabled())
        return;
    if (!PortOpened || !m_link->hasPort()) {
        m_prompts->message(QCoreApplication::translate("TSvMain", "串行口工作不正常！"));
        return;
    }
    if (EdFileName->text().isEmpty()) {
        m_prompts->message(QCoreApplication::translate("TSvMain", "请先指定存储文件！"));
        return;
    }
    EdFileName->setText(storageFileName(EdFileName->text()));
    // The storage file is replaced when recording starts, not here: a power-on
    // that never records must not cost the file of that name. Whether it can
    // be made there is known before the probe is switched on.
    if (const Status creatable = checkCreatable(EdFileName->text()); !creatable) {
        m_prompts->message(creatable.message());
        return;
    }
    double density = 0;
    if (!fmt::parseFloat(EdDensity->text(), &density) || density <= 0) {
        m_prompts->message(QCoreApplication::translate("TSvMain", "密度值不正确!"));
        return;
    }
    FirstRecordPending = true;
    SvSeen = false;
    Receiver->startPowerOn();
    // Switches the probe on; it stays on only when its calibration was read.
    if (!ReadCalibration())
        return;
    Density = static_cast<float>(density);

    btnRec->setEnabled(true);
    for (QWidget* page : {ChartPg, SelfPg, TablePg})
        PgCtrl->setTabEnabled(PgCtrl->indexOf(page), false);
    BtnStop1->setEnabled(true);
    BtnBegin->setEnabled(false);
    gbPram->hide();
    gbPram->setEnabled(false);
    Chart1->show();
    Chart1->setEnabled(true);

    Recording->setMode(LogTime->isChecked() ? RecordMode::FixedTime
                       : LogDistance->isChecked() ? RecordMode::FixedDepth
                                                  : RecordMode::Whole);
    if (LogTime->isChecked()) {
        TimeStep = uint32_t(EditTime->text().toInt()) * 1000;
        NextTime = m_clock->now();
        Recording->startFixedTime(TimeStep, NextTime);
    }
    if (LogDistance->isChecked()) {
        double step = 0.5;
        fmt::parseFloat(EditDistance->text(), &step);
        DistanceStep = static_cast<float>(step);
        DepthMark = -1.0f;
        Recording->startFixedDepth(DistanceStep);
    }
    m_link->flushInput();
    m_liveInput->flush(2);
    startLiveSegment();
    Timer.start();
}

void TSvMain::startLiveSegment()
{
    // The new run is a line of its own. The points of an earlier run still
    // within the two minutes stay where they are: the chart keeps the time line
    // they were drawn on (on a steady clock that is the computer's time);
    // after a longer pause it takes the computer's time afresh.
    const uint32_t now = m_clock->now();
    const bool recent = !LiveTemp.empty() && uint32_t(now - m_liveLastFrameClock) < uint32_t(kWindowMs);
    m_liveEpochMs = recent ? m_liveEpochMs + qint64(uint32_t(now - m_liveClockStart))
                           : QDateTime::currentMSecsSinceEpoch();
    m_liveClockStart = now;
    LiveSv.startSegment();
    LiveTemp.startSegment();
    m_shown = LiveShown();
    m_pace->start();
}

double TSvMain::liveTime()
{
    return double(m_liveEpochMs) + double(uint32_t(m_clock->now() - m_liveClockStart));
}

void TSvMain::btnRecClick()
{
    // A recording that cannot start leaves the profile that was open in place.
    const QString previous = svTable->tableName();
    const bool wasOpen = svTable->isActive();
    // Rows appended under the depth-layer filter would be hidden from the
    // view the stop reads: a recording always starts unfiltered.
    if (ChBoxFilter->isChecked()) {
        const QSignalBlocker block(ChBoxFilter);
        ChBoxFilter->setChecked(false);
    }
    if (const Status created = m_doc->create(EdFileName->text()); !created) {
        m_prompts->message(QCoreApplication::translate("TSvMain", "建立数据文件时错误！\n") + created.message());
        restoreProfile(previous, wasOpen, wasOpen);
        return;
    }
    setCaptionForFile(EdFileName->text());
    btnRec->setEnabled(false);
}

void TSvMain::TimerTimer()
{
    if (!Timer.isActive())
        return;
    // Every waiting frame is converted and recorded; the read-outs and the live
    // chart follow once a tick. The port belongs to its thread: the tick takes
    // what waits there, and the receiver reads it as it would read the port;
    // what it leaves stays queued.
    QElapsedTimer took;
    took.start();
    m_liveInput->append(m_link->takeInput());
    Receiver->tick(*m_liveInput, [this](const FrameResult& r) { return ProcessFrame(r); });
    showLiveValues();
    m_pace->tickTook(took.elapsed());
}

bool TSvMain::ProcessFrame(const FrameResult& r)
{
    m_pace->frame();
    m_shown.lowBattery = r.lowBattery;
    m_shown.lowBatteryKnown = true;
    if (!r.passedGate)
        return true;
    SvSeen = Receiver->svSeen();
    const double t = liveTime();
    m_liveLastFrameClock = m_clock->now();
    m_shown.frames = true;
    m_shown.time = t;
    m_shown.depth = r.depth;
    m_shown.temp = r.temp;
    m_shown.svValid = r.sv >= 1400;
    if (m_shown.svValid) {
        m_shown.sv = r.sv;
        m_shown.svText = true;
        LiveSv.append(t, r.sv);
    }
    LiveTemp.append(t, r.temp);

    const bool recordingOn = !btnRec->isEnabled() && Timer.isActive();
    if (Recording->shouldAppend(recordingOn, r.sv, r.depth, *m_clock)) {
        DepthMark = Recording->depthMark();
        NextTime = Recording->nextTime();
        if (!AppendSample(r.status, r.temp, r.sv, r.depth))
            return false;
    }
    return true;
}

void TSvMain::showLiveValues()
{
    LiveShown shown = m_shown;
    m_shown = LiveShown();
    if (shown.lowBatteryKnown)
        lbLowBatt->setVisible(shown.lowBattery);
    if (!shown.frames)
        return;
    stDepth->setText(fmt::formatFloat(OutputFormat, shown.depth));
    stTemp->setText(fmt::formatFloat(OutputFormat, shown.temp));
    // An invalid velocity turns the read-out red; it keeps the last valid value.
    QPalette pal = stSv->palette();
    pal.setColor(QPalette::Text, shown.svValid ? palette().color(QPalette::WindowText) : QColor(Qt::red));
    stSv->setPalette(pal);
    if (shown.svText)
        stSv->setText(fmt::formatFloat(OutputFormat, shown.sv));

    // One bucket of the traces per pixel column of the time axis.
    const int columns = Chart1->axisRect()->width() > 10 ? Chart1->axisRect()->width() : Chart1->width();
    const double bucket = kWindowMs / std::max(columns, 100);
    if (std::abs(bucket - LiveSv.bucketWidth()) > 0.1 * LiveSv.bucketWidth()) {
        LiveSv.setBucketWidth(bucket);
        LiveTemp.setBucketWidth(bucket);
    }
    LiveSv.dropBefore(shown.time - kWindowMs);
    LiveTemp.dropBefore(shown.time - kWindowMs);
    showTrace(SerRealSv, LiveSv);
    showTrace(SerRealTemp, LiveTemp);
    Chart1Bottom->setRange((shown.time - kWindowMs) / 1000.0, shown.time / 1000.0);
    double lo = 0, hi = 0;
    if (LiveSv.valueRange(&lo, &hi))
        rescaleLiveAxis(Chart1Left, lo, hi, 1.0, 1.2, 0.2);
    if (LiveTemp.valueRange(&lo, &hi))
        rescaleLiveAxis(Chart1Right, lo, hi, 0.4, 0.5, 0.1);
    Chart1->replot(QCustomPlot::rpQueuedReplot);
}

bool TSvMain::AppendSample(uint8_t status, float temp, float sv, float depth)
{
    // The status bar is painted once a tick, with the last row's number.
    StatusPanel[1]->setText(QString::number(svTable->recNo()));
    // The grid of the disabled table page follows the recording at the stop,
    // not row by row: a reset of its view costs as much as the rows it holds.
    if (!m_gridHeld) {
        m_gridHeld = true;
        svTable->disableControls();
    }
    const ProfileRow row = LiveRecording::sampleRow(QDateTime::currentDateTime(), status, temp, sv, depth,
                                                    FirstRecordPending, Description->text());
    try {
        svTable->append();
        svTable->setRow(row);
        svTable->post();
    } catch (const TableError& e) {
        // A sample that cannot be stored ends the recording: the file keeps every
        // row stored so far, and the surveyor learns it at once, not at the stop.
        if (svTable->state() != ProfileTable::State::Browse && svTable->isActive())
            svTable->cancel();
        BtnStopClick();
        m_prompts->message(QCoreApplication::translate("TSvMain", "记录数据时错误！\n") + e.message());
        return false;
    }
    FirstRecordPending = false;
    return true;
}

void TSvMain::BtnStopClick()
{
    qCDebug(lcApp) << "stop";
    m_pace->stop();
    m_link->setPower(false);
    Timer.stop();
    if (m_gridHeld) {
        m_gridHeld = false;
        svTable->enableControls();
    }
    if (!FirstRecordPending && svTable->isActive()) {
        // The recording becomes the open profile; the chart is drawn anew from it.
        m_doc->adoptRecording();
        DBChart->setTitle(FileDescription() + "(" + fmt::formatDateTime("yy-m-d hh:mm", FileDate()) + ")");
        setVelocityColumnTitle("Sound Velocity");
        DBChart->replot();
        EdFileName->clear();
        setActivePage(TablePg);
    }
    PgCtrl->setTabEnabled(PgCtrl->indexOf(TablePg), true);
    PgCtrl->setTabEnabled(PgCtrl->indexOf(ChartPg), true);
    PgCtrl->setTabEnabled(PgCtrl->indexOf(SelfPg), PgCtrl->isTabVisible(PgCtrl->indexOf(SelfPg)));
    BtnStop1->setEnabled(false);
    BtnBegin->setEnabled(true);
    btnRec->setEnabled(false);
    Chart1->setEnabled(false);
    Chart1->hide();
    gbPram->setEnabled(true);
    gbPram->show();
}
