// Output: export, saving processed profiles, the printed report.
#include "dialogs/Prompts.h"
#include "app/SvMain.h"
#include "app/ProfilePlot.h"
#include "document/ProfileDocument.h"
#include "storage/ProfileTable.h"
#include "storage/AtomicFile.h"
#include "output/Export.h"
#include "output/ReportPainter.h"
#include "output/SurveyFormats.h"
#include "text/Format.h"
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QCoreApplication>

RowsSnapshot TSvMain::shownRows() const
{
    return m_doc->shownRows();
}

void TSvMain::BtnExportClick()
{
    if (!CheckTableOpen())
        return;
    FileDialogRequest r;
    r.title = QCoreApplication::translate("TSvMain", "导出文件");
    r.filter = exportFilter(ProfileKind());
    // Average velocities are no sound-velocity profile for survey software:
    // its formats are offered for the other kinds only.
    if (ProfileKind() != kKindAverage)
        r.filter += surveyFormatFilter();
    r.initialDir = Path;
    const FileDialogResult chosen = m_prompts->saveFile(r);
    if (!chosen.accepted)
        return;
    ExportFileName = chosen.fileName;
    if (ProfileKind() == kKindAverage) {
        ExportFileName = exportFileName(chosen.fileName, ".CSV");
        ExportAverageCsv(ExportFileName);
        return;
    }
    switch (chosen.filterIndex) {
    case 1:
        ExportFileName = exportFileName(chosen.fileName, ".CSV");
        ExportCommaCsv(ExportFileName);
        break;
    case 2:
        ExportFileName = exportFileName(chosen.fileName, ".VEL");
        ExportHypackVel(ExportFileName);
        break;
    default:
        // The survey formats follow the client's own two entries.
        if (chosen.filterIndex >= 3 && size_t(chosen.filterIndex - 3) < surveyFormats().size()) {
            const SurveyFormat format = surveyFormats()[size_t(chosen.filterIndex - 3)];
            ExportFileName = exportFileName(chosen.fileName, surveyFormatExtension(format).toUpper());
            ExportSurveyFormat(format, ExportFileName);
        }
        break;
    }
}

bool TSvMain::writeExport(const QString& fileName, const ExportBuilder& build)
{
    showStatus(0, QCoreApplication::translate("TSvMain", "正在导出......"));
    setBusy(true);
    if (const Status opened = m_doc->ensureOpen(); !opened) {
        setBusy(false);
        showStatus(0, QString());
        m_prompts->error(opened.message());
        return false;
    }
    svTable->first();
    QString error;
    const QByteArray bytes = build(*shownRows(), &error);
    // A layout that cannot be built writes nothing.
    const bool ok = error.isEmpty() && writeFileAtomically(fileName, bytes, &error);
    setBusy(false);
    svTable->first();
    // A file that could not be written is reported, and no success is claimed.
    if (!ok) {
        showStatus(0, QString());
        m_prompts->error(error);
        return false;
    }
    showStatus(0, QCoreApplication::translate("TSvMain", "完成"));
    return true;
}

bool TSvMain::ExportCommaCsv(const QString& fileName)
{
    return writeExport(fileName, [this](const std::vector<ProfileRow>& rows, QString*) { return exportCommaCsv(rows, OutputFormat); });
}

bool TSvMain::ExportHypackVel(const QString& fileName)
{
    return writeExport(fileName, [](const std::vector<ProfileRow>& rows, QString*) { return exportHypackVel(rows); });
}

bool TSvMain::ExportAverageCsv(const QString& fileName)
{
    float interval = 0.0f;
    // The export goes on without a confirmation: the interval then stays 0.
    if (!m_prompts->oneValue(QCoreApplication::translate("TSvMain", "计算平均声速"), QCoreApplication::translate("TSvMain", "请输入声速间隔（米/秒）："), "0", &interval))
        interval = 0.0f;
    return writeExport(fileName, [this, interval](const std::vector<ProfileRow>& rows, QString*) {
        return exportAverageCsv(rows, OutputFormat, interval);
    });
}

void TSvMain::PMSaveClick(QObject* sender)
{
    const bool average = sender == PMSaveAv;
    const QString name = askSaveName(average ? QCoreApplication::translate("TSvMain", "保存平均声速") : QCoreApplication::translate("TSvMain", "保存声速剖面"), QCoreApplication::translate("TSvMain", "数据库文件(*.db)|*.DB"), "db");
    if (name.isEmpty())
        return;
    Path = QFileInfo(name).absolutePath() + "/";
    setBusy(true);
    const SaveOutcome saved = average ? m_doc->saveAverage(name) : m_doc->saveMerged(name);
    if (!saved.ok() && !saved.openFailed) {
        setBusy(false);
        m_prompts->message(saved.status.message());
        return;
    }
    setCaptionForFile(name);
    // The saved file opens unfiltered.
    {
        const QSignalBlocker block(ChBoxFilter);
        ChBoxFilter->setChecked(false);
    }
    if (saved.openFailed) {
        setBusy(false);
        m_prompts->error(saved.status.message());
        return;
    }
    setVelocityColumnTitle(average ? QCoreApplication::translate("TSvMain", "平均声速") : QCoreApplication::translate("TSvMain", "声速"));
    DrawProfile();
    setBusy(false);
    showStatus(2, QString());
}

QString TSvMain::reportNote() const
{
    return FileDescription() + "(" + fmt::formatDateTime("yy-m-d hh:mm", FileDate()) + ")";
}

std::function<void(QPagedPaintDevice*)> TSvMain::reportPainter()
{
    svTable->first();
    const RowsSnapshot rows = shownRows();
    const QString note = reportNote();
    const QString velocityTitle = reportVelocityTitle(*rows);
    const QString format = OutputFormat;
    return [this, rows, note, velocityTitle, format](QPagedPaintDevice* device) {
        ReportPainter painter(*rows, note, velocityTitle, format);
        QString error;
        if (!painter.paint(device, &error))
            m_prompts->error(error);
    };
}

void TSvMain::BtnPreviewClick()
{
    if (!CheckTableOpen())
        return;
    m_prompts->preview(reportPainter(), [this] { SaveReportText(); });
}

void TSvMain::SaveReportText()
{
    const QString name = askSaveName(QCoreApplication::translate("TSvMain", "保存为文本文件"), QCoreApplication::translate("TSvMain", "文本文件(*.txt)|*.TXT"), "txt");
    if (name.isEmpty())
        return;
    svTable->first();
    const RowsSnapshot rows = shownRows();
    QString error;
    if (!writeFileAtomically(name, reportText(*rows, reportNote(), reportVelocityTitle(*rows), OutputFormat), &error))
        m_prompts->error(error);
}

void TSvMain::BtnPrintTableClick()
{
    if (!CheckTableOpen())
        return;
    m_prompts->print(reportPainter(), false);
}

void TSvMain::PMPrintClick()
{
    if (!CheckTableOpen())
        return;
    m_prompts->print(
        [this](QPagedPaintDevice* device) {
            const QRectF page(QPointF(0, 0), QSizeF(device->width(), device->height()));
            // Stretched over the page less 8 % on each side, not kept in proportion.
            DBChart->printTo(device, chartPrintRect(page));
        },
        true);
}
