// The profile chart on ChartPg and the average sound velocity.
#include "dialogs/Prompts.h"
#include "app/SvMain.h"
#include "document/ProfileDocument.h"
#include "storage/AtomicFile.h"
#include "text/Format.h"
#include <QBuffer>
#include <QCursor>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QtCharts/QChartView>
#include <QtCharts/QLegend>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <cmath>
#include <limits>

namespace {

void fill(QLineSeries* s, const SeriesSnapshot& pts)
{
    QList<QPointF> list;
    if (pts) {
        list.reserve(qsizetype(pts->size()));
        for (const SeriesPoint& p : *pts)
            list.append(QPointF(p.x, p.y));
    }
    s->replace(list);
}

void showSeries(QChart* chart, QLineSeries* s, bool on)
{
    s->setVisible(on);
    for (QLegendMarker* m : chart->legend()->markers(s))
        m->setVisible(on);
    // The legend lays its entries out again only when shown anew.
    chart->legend()->hide();
    chart->legend()->show();
}

// Range of the shown series' points on one axis; false when none has a point.
bool range(const QList<QLineSeries*>& series, bool xAxis, double* lo, double* hi)
{
    bool any = false;
    for (const QLineSeries* s : series) {
        if (!s->isVisible())
            continue;
        for (const QPointF& p : s->points()) {
            const double v = xAxis ? p.x() : p.y();
            if (!std::isfinite(v))
                continue;
            if (!any || v < *lo)
                *lo = v;
            if (!any || v > *hi)
                *hi = v;
            any = true;
        }
    }
    return any;
}

void setAxisRange(QValueAxis* axis, double lo, double hi, double minSpan)
{
    if (hi - lo < minSpan) {
        const double mid = (hi + lo) / 2;
        lo = mid - minSpan / 2;
        hi = mid + minSpan / 2;
    }
    axis->setRange(lo, hi);
    axis->applyNiceNumbers();
}

}  // namespace

void TSvMain::connectDocument()
{
    // Every change of the open profile empties the chart; the series are
    // filled from the document's values as it makes them.
    connect(m_doc, &ProfileDocument::changed, this, &TSvMain::ResetChart);
    connect(m_doc, &ProfileDocument::tableSeriesChanged, this, [this] {
        fill(SerTwoSv, m_doc->tableSv());
        fill(SerTwoTemp, m_doc->tableTemp());
    });
    connect(m_doc, &ProfileDocument::partsChanged, this, [this] {
        const CastPartSeries& parts = m_doc->parts();
        fill(SerSvDown, parts.svDown);
        fill(SerTempDown, parts.tempDown);
        fill(SerSvUp, parts.svUp);
        fill(SerTempUp, parts.tempUp);
    });
    connect(m_doc, &ProfileDocument::mergedChanged, this, [this] {
        fill(SerSv, m_doc->mergedSv());
        fill(SerTemp, m_doc->mergedTemp());
    });
    connect(m_doc, &ProfileDocument::averageChanged, this, [this] { fill(SerAvSv, m_doc->averageSv()); });
}

void TSvMain::reloadTableSeries()
{
    m_doc->reloadTableSeries();
}

void TSvMain::fitUnlessZoomed()
{
    // Showing or hiding a curve keeps the surveyor's zoom.
    if (!DBChart->chart()->isZoomed())
        fitChartAxes();
}

void TSvMain::fitChartAxes()
{
    const QList<QLineSeries*> all = chartSeries();
    QList<QLineSeries*> left, right;
    for (QLineSeries* s : all)
        (s->attachedAxes().contains(DBChartLeft) ? left : right).append(s);
    double lo = 0, hi = 0;
    if (range(all, true, &lo, &hi))
        setAxisRange(DBChartBottom, lo, hi, 1.0);
    if (range(left, false, &lo, &hi))
        setAxisRange(DBChartLeft, lo, hi, 1.0);
    if (range(right, false, &lo, &hi))
        setAxisRange(DBChartRight, lo, hi, 0.4);
}

void TSvMain::applyRightAxisGridRule()
{
    DBChartRight->setGridLineVisible(!(PMSv->isChecked() || PMAv->isChecked() || SvTwo->isChecked()));
}

void TSvMain::DrawProfile()
{
    setBusy(true);
    showStatus(0, "正在绘制声速曲线......");
    QChart* chart = DBChart->chart();
    // The series fill from the document's values as it makes them.
    m_doc->draw();
    chart->setTitle(FileDescription() + "(" + fmt::formatDateTime("yy-m-d hh:mm", FileDate()) + ")");
    if (ProfileKind() == kKindAverage) {
        PMAv->setEnabled(true);
        PMAv->setChecked(true);
        showSeries(chart, SerAvSv, true);
    } else if (ProfileKind() == kKindMerged) {
        PMAv->setEnabled(true);
        for (QAction* a : {PMSv, PMTemp}) {
            a->setEnabled(true);
            a->setChecked(true);
        }
        showSeries(chart, SerSv, true);
        showSeries(chart, SerTemp, true);
    } else {
        for (QAction* a : {PMAv, PMSv, PMTemp}) {
            a->setEnabled(true);
            a->setChecked(false);
        }
        for (QAction* a : {SvTwo, TempTwo}) {
            a->setEnabled(true);
            a->setChecked(true);
        }
        for (QLineSeries* s : {SerSvDown, SerTempDown, SerSvUp, SerTempUp})
            showSeries(chart, s, true);
    }
    chart->zoomReset();
    fitChartAxes();
    DBChart->repaint();
    applyRightAxisGridRule();
    showStatus(0, "完成");
    setBusy(false);
}

bool TSvMain::BuildMergedProfile()
{
    if (const Status ready = m_doc->mergeReady(); !ready) {
        m_prompts->message(ready.message());
        return false;
    }
    setBusy(true);
    showStatus(0, "正在绘制声速曲线......");
    const Status built = m_doc->buildMergedProfile();
    DBChart->repaint();
    PMSave->setEnabled(built.ok());
    showStatus(0, "完成");
    setBusy(false);
    return built.ok();
}

void TSvMain::PMSvClick()
{
    QChart* chart = DBChart->chart();
    if (PMSv->isChecked()) {
        PMSv->setChecked(false);
        showSeries(chart, SerSv, false);
    } else {
        PMSv->setChecked(true);
        showSeries(chart, SerSv, true);
        if (!m_doc->hasMergedProfile()) {
            PMSv->setChecked(BuildMergedProfile());
            showSeries(chart, SerSv, PMSv->isChecked());
        }
    }
    fitUnlessZoomed();
    DBChart->repaint();
    applyRightAxisGridRule();
}

void TSvMain::PMTempClick()
{
    QChart* chart = DBChart->chart();
    if (PMTemp->isChecked()) {
        PMTemp->setChecked(false);
        showSeries(chart, SerTemp, false);
    } else {
        PMTemp->setChecked(true);
        showSeries(chart, SerTemp, true);
        if (!m_doc->hasMergedProfile()) {
            PMTemp->setChecked(BuildMergedProfile());
            showSeries(chart, SerTemp, PMTemp->isChecked());
            showSeries(chart, SerSv, PMSv->isChecked());
        }
    }
    fitUnlessZoomed();
    DBChart->repaint();
    applyRightAxisGridRule();
}

void TSvMain::SvTwoClick()
{
    SvTwo->setChecked(!SvTwo->isChecked());
    showSeries(DBChart->chart(), SerSvDown, SvTwo->isChecked());
    showSeries(DBChart->chart(), SerSvUp, SvTwo->isChecked());
    fitUnlessZoomed();
    applyRightAxisGridRule();
}

void TSvMain::TempTwoClick()
{
    TempTwo->setChecked(!TempTwo->isChecked());
    showSeries(DBChart->chart(), SerTempDown, TempTwo->isChecked());
    showSeries(DBChart->chart(), SerTempUp, TempTwo->isChecked());
    fitUnlessZoomed();
    applyRightAxisGridRule();
}

void TSvMain::PMAvClick()
{
    QChart* chart = DBChart->chart();
    if (PMAv->isChecked()) {
        PMAv->setChecked(false);
        showSeries(chart, SerAvSv, false);
        applyRightAxisGridRule();
        return;
    }
    m_doc->dropAverage();
    if (!m_doc->hasMergedProfile() && !BuildMergedProfile())
        return;
    if (!m_prompts->oneValue("计算平均声速", "请输入起算深度 (米)", fmt::formatFloat("0.00", Draught), &Draught))
        return;
    setBusy(true);
    showStatus(0, "正在计算平均声速......");
    const Result<SeriesPoint> last = m_doc->computeAverage(Draught);
    if (!last) {
        setBusy(false);
        showStatus(0, QString());
        m_prompts->message(last.message());
        return;
    }
    PMAv->setChecked(true);
    PMSaveAv->setEnabled(true);
    showSeries(chart, SerAvSv, true);
    DBChartRight->setGridLineVisible(false);
    fitChartAxes();
    DBChart->repaint();
    showStatus(0, "完成");
    setBusy(false);
    m_prompts->message("最大深度：" + fmt::formatFloat(OutputFormat, last->x) + "m\n平均声速："
                       + fmt::formatFloat(OutputFormat, last->y) + "m/s");
}

void TSvMain::DBChartClickSeries(QLineSeries* series, double x, double y)
{
    // The press lands on the line: read out the point nearest to it on the
    // screen (depth and velocity are no common unit).
    const QList<QPointF> pts = series->points();
    if (!pts.isEmpty()) {
        QChart* chart = DBChart->chart();
        const QPointF press = chart->mapToPosition(QPointF(x, y), series);
        qsizetype best = 0;
        double bestDistance = std::numeric_limits<double>::infinity();
        for (qsizetype i = 0; i < pts.size(); ++i) {
            const QPointF d = chart->mapToPosition(pts[i], series) - press;
            const double distance = d.x() * d.x() + d.y() * d.y();
            if (distance < bestDistance) {
                bestDistance = distance;
                best = i;
            }
        }
        x = pts[best].x();
        y = pts[best].y();
    }
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
    const QString name = askSaveName("保存曲线图", "WINDOWS位图文件(*.bmp)|*.BMP", "bmp");
    if (name.isEmpty())
        return;
    Path = QFileInfo(name).absolutePath() + "/";
    // The chart as shown: its present size and zoom.
    const QImage image = DBChart->grab().toImage().convertToFormat(QImage::Format_RGB888);
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
