// The probe's own memory on the page SelfPg: clock, interval, clearing, listing, upload.
#include "dialogs/Prompts.h"
#include "app/SvMain.h"
#include "app/UpDown.h"
#include "storage/ProfileTable.h"
#include "probe/ProbeClock.h"
#include "probe/ProbeMemory.h"
#include "probe/ProbeProtocol.h"
#include "document/UploadFiles.h"
#include "probe/SerialPort.h"
#include "text/Format.h"
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTreeWidget>

namespace {

void addListRow(QTreeWidget* list, const probemem::DirectoryEntry& e)
{
    auto* item = new QTreeWidgetItem(list, {QString::number(e.number), e.time});
    item->setTextAlignment(1, Qt::AlignCenter);
    list->repaint();
}

}  // namespace

void TSvMain::sbBtnDirClick()
{
    QString chosen;
    if (m_prompts->directory(edPath->text(), &chosen))
        edPath->setText(chosen);
}

void TSvMain::btnQueryClick()
{
    if (!PortOpened || !m_port)
        return;
    ProbeProtocol protocol(*m_port);
    const probemem::ClockReadResult r = probemem::readClock(*m_port, protocol, QDateTime::currentDateTime());
    if (!r.message.isEmpty())
        m_prompts->message(r.message);
}

void TSvMain::btnSetTimeClick()
{
    if (!PortOpened || !m_port)
        return;
    ProbeProtocol protocol(*m_port);
    const probemem::ClockSetResult r = probemem::setClock(*m_port, protocol, QDateTime::currentDateTime());
    if (!r.message.isEmpty())
        m_prompts->message(r.message);
}

void TSvMain::udIntvClick()
{
    edSetIntv->setText(probemem::intervalChoiceText(udIntv->position()));
}

void TSvMain::btnReadIntvClick()
{
    if (!m_port) {
        m_prompts->message(probemem::kNoAnswer);
        return;
    }
    ProbeProtocol protocol(*m_port);
    const probemem::IntervalReadResult r = probemem::readInterval(*m_port, protocol, Cal, SN, Density);
    if (r.calibrated)
        showStatus(2, "设备号：" + SN);
    if (r.ok)
        edReadIntv->setText(r.text);
    if (!r.message.isEmpty())
        m_prompts->message(r.message);
}

void TSvMain::btnSetIntvClick()
{
    if (!PortOpened || !m_port)
        return;
    ProbeProtocol protocol(*m_port);
    const probemem::IntervalSetResult r = probemem::setInterval(*m_port, protocol, Cal, SN, Density,
                                                                edReadIntv->text(), edSetIntv->text());
    if (r.calibrated)
        showStatus(2, "设备号：" + SN);
    if (!r.message.isEmpty())
        m_prompts->message(r.message);
}

void TSvMain::btnClearClick()
{
    if (!m_port) {
        m_prompts->message(probemem::kNoAnswer);
        return;
    }
    // One click destroys every cast the probe holds: ask first.
    if (!m_prompts->question(probemem::clearQuestion(FileList->topLevelItemCount()), probemem::kClearCaption))
        return;
    ProbeProtocol protocol(*m_port);
    bool started = false;
    const probemem::ClearResult r = probemem::clearMemory(*m_port, protocol, [this, &started](int percent) {
        if (!started) {
            started = true;
            setBusy(true);
            pr->setValue(0);
            pr->show();
        }
        pr->setValue(percent);
        pr->repaint();
    });
    if (started) {
        pr->hide();
        FileList->clear();
        setBusy(false);
    }
    if (!r.message.isEmpty())
        m_prompts->message(r.message);
}

void TSvMain::btnFileClick()
{
    if (!PortOpened || !m_port)
        return;
    ProbeProtocol protocol(*m_port);
    // The list is emptied when the probe has taken the command, with the first entry or the end.
    bool cleared = false;
    auto clearOnce = [this, &cleared] {
        if (!cleared)
            FileList->clear();
        cleared = true;
    };
    const probemem::ListingResult r = probemem::listRecordings(
        *m_port, protocol, [this, &clearOnce](const probemem::DirectoryEntry& e) {
            clearOnce();
            addListRow(FileList, e);
        });
    if (r.outcome != probemem::ListOutcome::NoAnswer)
        clearOnce();
    if (r.memorySize)
        MemorySize = *r.memorySize;
    if (!r.message.isEmpty())
        m_prompts->message(r.message);
}

void TSvMain::btnUpLoadClick()
{
    if (!PortOpened || !m_port)
        return;
    if (edPath->text().isEmpty()) {
        m_prompts->message(probemem::kNoPath);
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
    probemem::UploadCallbacks cb;
    bool started = false;
    cb.onCalibrated = [this] { showStatus(2, "设备号：" + SN); };
    // The list, the hourglass and the bar once the probe has taken the command.
    cb.onStarted = [this, &started] {
        started = true;
        FileList->clear();
        setBusy(true);
        pr->setValue(0);
        pr->show();
    };
    cb.onEntry = [this](const probemem::DirectoryEntry& e) { addListRow(FileList, e); };
    cb.onStatus = [this](const QString& text) { showStatus(0, text); };
    cb.onRecNo = [this](int n) { showStatus(1, QString::number(n)); };
    cb.onProgress = [this](int percent) {
        pr->setValue(percent);
        pr->repaint();
    };
    ProbeProtocol protocol(*m_port);
    probemem::TableUploadSink sink(*svTable, Path);
    const probemem::UploadResult r =
        probemem::upload(*m_port, protocol, sink, request, Cal, SN, Atmosphere, cb);
    if (started) {
        pr->hide();
        setBusy(false);
    }
    if (!r.message.isEmpty())
        m_prompts->message(r.message);
}
