// The profile chart on ChartPg and the average sound velocity.
#include "dialogs/Prompts.h"
#include "app/SvMain.h"
#include "document/ProfileDocument.h"
#include "storage/AtomicFile.h"
#include "text/Format.h"
#include "app/ChartSeries.h"
#include "app/ProfilePlot.h"
#include <QBuffer>
#include <QCursor>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QCoreApplication>

void TSvMain::connectDocument()
{
    // Every change of the open profile empties the chart; the curves show the
    // document's values as it makes them. The table-bound values are the
    // document's own: the chart never shows them.
    connect(m_doc, &ProfileDocument::changed, this, &TSvMain::ResetChart);
    connect(m_doc, &ProfileDocument::partsChanged, this, [this] {
        const CastPartSeries& parts = m_doc->parts();
        SerSvDown->setValues(parts.svDown);
        SerTempDown->setValues(parts.tempDown);
        SerSvUp->setValues(parts.svUp);
        SerTempUp->setValues(parts.tempUp);
        DBChart->refreshViews();
    });
    connect(m_doc, &ProfileDocument::mergedChanged, this, [this] {
        SerSv->setValues(m_doc->mergedSv());
        SerTemp->setValues(m_doc->mergedTemp());
        DBChart->refreshViews();
    });
    connect(m_doc, &ProfileDocument::averageChanged, this, [this] {
        SerAvSv->setValues(m_doc->averageSv());
        DBChart->refreshViews();
    });
}

void TSvMain::reloadTableSeries()
{
    m_doc->reloadTableSeries();
}

void TSvMain::fitUnlessZoomed()
{
    // Showing or hiding a curve keeps the surveyor's zoom.
    if (!DBChart->isZoomed())
        DBChart->zoomReset();
}

void TSvMain::applyRightAxisGridRule()
{
    DBChartRight->grid()->setVisible(!(PMSv->isChecked() || PMAv->isChecked() || SvTwo->isChecked()));
    DBChart->replot(QCustomPlot::rpQueuedReplot);
}

void TSvMain::DrawProfile()
{
    setBusy(true);
    showStatus(0, QCoreApplication::translate("TSvMain", "正在绘制声速曲线......"));
    // The curves take the document's values as it makes them.
    m_doc->draw();
    DBChart->setTitle(FileDescription() + "(" + fmt::formatDateTime("yy-m-d hh:mm", FileDate()) + ")");
    if (ProfileKind() == kKindAverage) {
        PMAv->setEnabled(true);
        PMAv->setChecked(true);
        DBChart->showSeries(SerAvSv, true);
    } else if (ProfileKind() == kKindMerged) {
        PMAv->setEnabled(true);
        for (QAction* a : {PMSv, PMTemp}) {
            a->setEnabled(true);
            a->setChecked(true);
        }
        DBChart->showSeries(SerSv, true);
        DBChart->showSeries(SerTemp, true);
    } else {
        for (QAction* a : {PMAv, PMSv, PMTemp}) {
            a->setEnabled(true);
            a->setChecked(false);
        }
        for (QAction* a : {SvTwo, TempTwo}) {
            a->setEnabled(true);
            a->setChecked(true);
        }
        for (ChartSeries* s : {SerSvDown, SerTempDown, SerSvUp, SerTempUp})
            DBChart->showSeries(s, true);
    }
    DBChart->zoomReset();
    applyRightAxisGridRule();
    DBChart->replot();
    showStatus(0, QCoreApplication::translate("TSvMain", "完成"));
    setBusy(false);
}

bool TSvMain::BuildMergedProfile()
{
    if (const Status ready = m_doc->mergeReady(); !ready) {
        m_prompts->message(ready.message());
        return false;
    }
    setBusy(true);
    showStatus(0, QCoreApplication::translate("TSvMain", "正在绘制声速曲线......"));
    const Status built = m_doc->buildMergedProfile();
    DBChart->replot();
    PMSave->setEnabled(built.ok());
    showStatus(0, QCoreApplication::translate("TSvMain", "完成"));
    setBusy(false);
    return built.ok();
}

void TSvMain::PMSvClick()
{
    if (PMSv->isChecked()) {
        PMSv->setChecked(false);
        DBChart->showSeries(SerSv, false);
    } else {
        PMSv->setChecked(true);
        DBChart->showSeries(SerSv, true);
        if (!m_doc->hasMergedProfile()) {
            PMSv->setChecked(BuildMergedProfile());
            DBChart->showSeries(SerSv, PMSv->isChecked());
        }
    }
    fitUnlessZoomed();
    DBChart->replot();
    applyRightAxisGridRule();
}

void TSvMain::PMTempClick()
{
    if (PMTemp->isChecked()) {
        PMTemp->setChecked(false);
        DBChart->showSeries(SerTemp, false);
    } else {
        PMTemp->setChecked(true);
        DBChart->showSeries(SerTemp, true);
        if (!m_doc->hasMergedProfile()) {
            PMTemp->setChecked(BuildMergedProfile());
            DBChart->showSeries(SerTemp, PMTemp->isChecked());
            DBChart->showSeries(SerSv, PMSv->isChecked());
        }
    }
    fitUnlessZoomed();
    DBChart->replot();
    applyRightAxisGridRule();
}

void TSvMain::SvTwoClick()
{
    SvTwo->setChecked(!SvTwo->isChecked());
    DBChart->showSeries(SerSvDown, SvTwo->isChecked());
    DBChart->showSeries(SerSvUp, SvTwo->isChecked());
    fitUnlessZoomed();
    applyRightAxisGridRule();
}

void TSvMain::TempTwoClick()
{
    TempTwo->setChecked(!TempTwo->isChecked());
    DBChart->showSeries(SerTempDown, TempTwo->isChecked());
    DBChart->showSeries(SerTempUp, TempTwo->isChecked());
    fitUnlessZoomed();
    applyRightAxisGridRule();
}

void TSvMain::PMAvClick()
{
    if (PMAv->isChecked()) {
        PMAv->setChecked(false);
        DBChart->showSeries(SerAvSv, false);
        applyRightAxisGridRule();
        return;
    }
    m_doc->dropAverage();
    if (!m_doc->hasMergedProfile() && !BuildMergedProfile())
        return;
    if (!m_prompts->oneValue(QCoreApplication::translate("TSvMain", "计算平均声速"), QCoreApplication::translate("TSvMain", "请输入起算深度 (米)"), fmt::formatFloat("0.00", Draught), &Draught))
        return;
    setBusy(true);
    showStatus(0, QCoreApplication::translate("TSvMain", "正在计算平均声速......"));
    const Result<SeriesPoint> last = m_doc->computeAverage(Draught);
    if (!last) {
        setBusy(false);
        showStatus(0, QString());
        m_prompts->message(last.message());
        return;
    }
    PMAv->setChecked(true);
    PMSaveAv->setEnabled(true);
    DBChart->showSeries(SerAvSv, true);
    DBChartRight->grid()->setVisible(false);
    fitUnlessZoomed();
    DBChart->replot();
    showStatus(0, QCoreApplication::translate("TSvMain", "完成"));
    setBusy(false);
    m_prompts->message(QCoreApplication::translate("TSvMain", "最大深度：") + fmt::formatFloat(OutputFormat, last->x) + QCoreApplication::translate("TSvMain", "m\n平均声速：")
                       + fmt::formatFloat(OutputFormat, last->y) + "m/s");
}

void TSvMain::DBChartClickSeries(ChartSeries* series, double x, double y)
{
    // x, y: the point of the curve nearest to the click on the screen.
    QString unit;
    if (series == SerAvSv || series == SerSv || series == SerSvDown || series == SerSvUp)
        unit = "m/s";
    else if (series == SerTemp || series == SerTempDown || series == SerTempUp)
        unit = "℃";
    else
        return;
    StatusPanel[0]->setText(fmt::formatFloat(OutputFormat, x) + "m," + fmt::formatFloat(OutputFormat, y) + unit);
}

void TSvMain::btnAnalyzeMouseMove()
{
    if (!MenuChart->isVisible())
        MenuChart->popup(QCursor::pos());
}

void TSvMain::SaveBMPClick()
{
    const QString name = askSaveName(QCoreApplication::translate("TSvMain", "保存曲线图"), QCoreApplication::translate("TSvMain", "WINDOWS位图文件(*.bmp)|*.BMP"), "bmp");
    if (name.isEmpty())
        return;
    Path = QFileInfo(name).absolutePath() + "/";
    // The chart as shown: its present size and zoom.
    const QImage image = DBChart->toPixmap().toImage().convertToFormat(QImage::Format_RGB888);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QString error;
    if (!image.save(&buffer, "BMP")) {
        m_prompts->error(writeFailureMessage(name, "BMP"));
        return;
    }
    if (!writeFileAtomically(name, bytes, &error))
        m_prompts->error(error);
}
