// The probe's own memory on the page SelfPg: clock, interval, clearing, listing, upload.
#include "dialogs/Prompts.h"
#include "app/SvMain.h"
#include "app/UpDown.h"
#include "storage/ProfileTable.h"
#include "probe/ProbeClock.h"
#include "probe/ProbeMemory.h"
#include "probe/ProbeProtocol.h"
#include "document/ProbeMessages.h"
#include "document/UploadFiles.h"
#include "probe/ProbeLink.h"
#include "probe/SerialPort.h"
#include "text/Format.h"
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>

using probemem::ProbeStatus;
using probemsg::Command;

namespace {

void addListRow(QTreeWidget* list, const probemem::DirectoryEntry& e)
{
    auto* item = new QTreeWidgetItem(list, {QString::number(e.number), e.time});
    item->setTextAlignment(1, Qt::AlignCenter);
    list->repaint();
}

}  // namespace

void TSvMain::showProbeMessage(const QString& text)
{
    // A window closed during an exchange goes without another word.
    if (!text.isEmpty() && !m_closeAfterExchange)
        m_prompts->message(text);
}

void TSvMain::applyCalibration(const probemem::CalibrationRead& read)
{
    Cal = read.cal;
    SN = read.sn;
    showStatus(2, probemsg::deviceNumberText(SN));
}

void TSvMain::sbBtnDirClick()
{
    QString chosen;
    if (m_prompts->directory(edPath->text(), &chosen))
        edPath->setText(chosen);
}

void TSvMain::btnQueryClick()
{
    if (!PortOpened || !m_link->hasPort())
        return;
    probemem::ClockReadResult r;
    if (runExchange([&r](ProbeProtocol& protocol) { r = probemem::readClock(protocol, QDateTime::currentDateTime()); }))
        showProbeMessage(probemsg::message(r));
}

void TSvMain::btnSetTimeClick()
{
    if (!PortOpened || !m_link->hasPort())
        return;
    ProbeStatus s = ProbeStatus::NoAnswer;
    if (runExchange([&s](ProbeProtocol& protocol) { s = probemem::setClock(protocol, QDateTime::currentDateTime()); }))
        showProbeMessage(probemsg::message(Command::SetClock, s));
}

void TSvMain::udIntvClick()
{
    edSetIntv->setText(probemem::intervalChoiceText(udIntv->position()));
}

void TSvMain::btnReadIntvClick()
{
    if (!m_link->hasPort()) {
        showProbeMessage(probemsg::message(Command::ReadInterval, ProbeStatus::NoAnswer));
        return;
    }
    probemem::IntervalReadResult r;
    const float density = Density;
    if (!runExchange([&r, density](ProbeProtocol& protocol) { r = probemem::readInterval(protocol, density); }))
        return;
    if (r.calibration)
        applyCalibration(*r.calibration);
    if (r.status == ProbeStatus::Complete)
        edReadIntv->setText(fmt::formatFloat("0.0", r.metres));
    showProbeMessage(probemsg::message(Command::ReadInterval, r.status));
}

void TSvMain::btnSetIntvClick()
{
    if (!PortOpened || !m_link->hasPort())
        return;
    probemem::IntervalSetResult r;
    const float density = Density;
    const QString readText = edReadIntv->text();
    const QString setText = edSetIntv->text();
    if (!runExchange([&](ProbeProtocol& protocol) { r = probemem::setInterval(protocol, density, readText, setText); }))
        return;
    if (r.calibration)
        applyCalibration(*r.calibration);
    showProbeMessage(probemsg::message(Command::SetInterval, r.status));
}

void TSvMain::btnClearClick()
{
    if (!m_link->hasPort()) {
        showProbeMessage(probemsg::message(Command::Clear, ProbeStatus::NoAnswer));
        return;
    }
    // One click destroys every cast the probe holds: ask first.
    if (!m_prompts->question(probemsg::clearQuestion(FileList->topLevelItemCount()), probemsg::clearCaption()))
        return;
    bool started = false;
    probemem::SessionEvents events;
    // The hourglass and the bar once the probe has taken the command.
    events.started = [this, &started] {
        started = true;
        setBusy(true);
        pr->setValue(0);
        pr->show();
    };
    events.percent = [this](int percent) {
        pr->setValue(percent);
        pr->repaint();
    };
    ProbeStatus s = ProbeStatus::NoAnswer;
    const bool ran = runExchange([&s, events = onWindowThread(events)](ProbeProtocol& protocol) {
        s = probemem::clearMemory(protocol, events);
    });
    if (started) {
        pr->hide();
        FileList->clear();
        setBusy(false);
    }
    if (ran)
        showProbeMessage(probemsg::message(Command::Clear, s));
}

void TSvMain::btnFileClick()
{
    if (!PortOpened || !m_link->hasPort())
        return;
    probemem::SessionEvents events;
    // The list is emptied once the probe has taken the command.
    events.started = [this] { FileList->clear(); };
    events.entry = [this](const probemem::DirectoryEntry& e) { addListRow(FileList, e); };
    probemem::ListingResult r;
    if (!runExchange([&r, events = onWindowThread(events)](ProbeProtocol& protocol) {
            r = probemem::listRecordings(protocol, events);
        }))
        return;
    if (r.memory)
        MemorySize = r.memory->memorySize;
    showProbeMessage(probemsg::message(r));
}

void TSvMain::btnUpLoadClick()
{
    if (!PortOpened || !m_link->hasPort())
        return;
    if (edPath->text().isEmpty()) {
        m_prompts->message(probemem::noPathText());
        return;
    }
    Path = probemem::withTrailingSeparator(edPath->text());
    const QString dirError = probemem::ensureUploadDirectory(Path);
    if (!dirError.isEmpty()) {
        m_prompts->error(dirError);
        return;
    }
    double typed = 0;
    if (fmt::parseFloat(EdDensity->text(), &typed))
        Density = static_cast<float>(typed);
    if (!m_prompts->density(&Density))
        return;
    EdDensity->setText(fmt::formatFloat("0.000", Density));

    probemem::UploadRequest request;
    request.density = Density;
    request.memorySize = MemorySize;
    request.atmosphere = Atmosphere;
    probemem::SessionEvents events;
    bool started = false;
    events.calibrated = [this](const probemem::CalibrationRead& c) { applyCalibration(c); };
    // The list, the hourglass and the bar once the probe has taken the command.
    events.started = [this, &started] {
        started = true;
        FileList->clear();
        setBusy(true);
        pr->setValue(0);
        pr->show();
    };
    events.entry = [this](const probemem::DirectoryEntry& e) {
        addListRow(FileList, e);
        showStatus(0, probemsg::recordingText(e.number));
    };
    events.recNo = [this](int n) { showStatus(1, QString::number(n)); };
    events.percent = [this](int percent) {
        pr->setValue(percent);
        pr->repaint();
    };
    // The files are written on the port's thread through a table of their own;
    // the profile open here is let go before the first of them is made.
    auto releaseProfile = [this] {
        return callOnWindow([this] {
            svTable->close();
            svTable->setTableName(QString());
        });
    };
    probemem::UploadResult r;
    const QString dir = Path;
    btnCancel->setEnabled(true);
    btnCancel->show();
    const bool ran = runExchange(
        [&r, &request, dir, releaseProfile, events = onWindowThread(events)](ProbeProtocol& protocol) {
            ProfileTable table;
            probemem::TableUploadSink sink(table, dir);
            sink.setBeforeFirstRecording(releaseProfile);
            r = probemem::upload(protocol, sink, request, events);
        },
        btnCancel);
    btnCancel->hide();
    if (!ran)
        return;
    Atmosphere = r.atmosphere;
    if (started) {
        pr->hide();
        setBusy(false);
    }
    showProbeMessage(probemsg::message(r));
}
