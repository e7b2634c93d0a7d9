// Live measurement and recording on the page CablePg.
#include "dialogs/Prompts.h"
#include "app/SvMain.h"
#include "app/LiveAxes.h"
#include "app/UpDown.h"
#include "storage/FileSystem.h"
#include "storage/ProfileTable.h"
#include "probe/FrameReceiver.h"
#include "probe/LiveRecording.h"
#include "probe/MsClock.h"
#include "probe/ProbeLink.h"
#include "text/Format.h"
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QtCharts/QChartView>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>

namespace {

constexpr qint64 kWindowMs = 120000;   // the live chart shows two minutes

void dropBefore(QLineSeries* s, qint64 minMs)
{
    int n = 0;
    const QList<QPointF> pts = s->points();
    while (n < pts.size() && pts[n].x() < double(minMs))
        ++n;
    if (n > 0)
        s->removePoints(0, n);
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
    r.title = "指定存储文件";
    r.defaultExt = "db";
    r.initialDir = Path;
    r.filter = "数据库文件(*.db)|*.DB";
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
        m_prompts->message("串行口工作不正常！");
        return;
    }
    if (EdFileName->text().isEmpty()) {
        m_prompts->message("请先指定存储文件！");
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
        m_prompts->message("密度值不正确!");
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
    Timer.start();
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
        m_prompts->message("建立数据文件时错误！\n" + created.message());
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
    // The port belongs to its thread: the tick takes what waits there, and the
    // receiver reads it as it would read the port; what it leaves stays queued.
    m_liveInput->append(m_link->takeInput());
    Receiver->tick(*m_liveInput, [this](const FrameResult& r) { return ProcessFrame(r); });
}

bool TSvMain::ProcessFrame(const FrameResult& r)
{
    lbLowBatt->setVisible(r.lowBattery);
    if (!r.passedGate)
        return true;
    SvSeen = Receiver->svSeen();
    const QDateTime now = QDateTime::currentDateTime();
    const qint64 nowMs = now.toMSecsSinceEpoch();
    stDepth->setText(fmt::formatFloat(OutputFormat, r.depth));
    stTemp->setText(fmt::formatFloat(OutputFormat, r.temp));
    QPalette pal = stSv->palette();
    if (r.sv >= 1400) {
        pal.setColor(QPalette::Text, palette().color(QPalette::WindowText));
        stSv->setText(fmt::formatFloat(OutputFormat, r.sv));
        SerRealSv->append(double(nowMs), r.sv);
    } else {
        pal.setColor(QPalette::Text, Qt::red);
    }
    stSv->setPalette(pal);
    SerRealTemp->append(double(nowMs), r.temp);
    Chart1Bottom->setRange(now.addMSecs(-kWindowMs), now);
    dropBefore(SerRealSv, nowMs - kWindowMs);
    dropBefore(SerRealTemp, nowMs - kWindowMs);
    rescaleLiveAxis(Chart1Left, SerRealSv, 1.0, 1.2, 0.2);
    rescaleLiveAxis(Chart1Right, SerRealTemp, 0.4, 0.5, 0.1);

    const bool recordingOn = !btnRec->isEnabled() && Timer.isActive();
    if (Recording->shouldAppend(recordingOn, r.sv, r.depth, *m_clock)) {
        DepthMark = Recording->depthMark();
        NextTime = Recording->nextTime();
        if (!AppendSample(r.status, r.temp, r.sv, r.depth))
            return false;
    }
    return true;
}

bool TSvMain::AppendSample(uint8_t status, float temp, float sv, float depth)
{
    showStatus(1, QString::number(svTable->recNo()));
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
        m_prompts->message("记录数据时错误！\n" + e.message());
        return false;
    }
    FirstRecordPending = false;
    return true;
}

void TSvMain::BtnStopClick()
{
    m_link->setPower(false);
    Timer.stop();
    if (!FirstRecordPending && svTable->isActive()) {
        // The recording becomes the open profile; the chart is drawn anew from it.
        m_doc->adoptRecording();
        DBChart->chart()->setTitle(FileDescription() + "(" + fmt::formatDateTime("yy-m-d hh:mm", FileDate()) + ")");
        setVelocityColumnTitle("Sound Velocity");
        DBChart->repaint();
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
