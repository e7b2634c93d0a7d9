#include "app/ProfilePlot.h"
#include "app/ChartSeries.h"
#include <QMouseEvent>
#include <QRubberBand>
#include <cmath>

namespace {

constexpr int kDragPixels = 3;   // a press that moves less is a click

// Labels at least 0.1 apart, four minor ticks between two labels.
class TenthTicker : public QCPAxisTicker
{
protected:
    double getTickStep(const QCPRange& range) override
    {
        return std::max(0.1, QCPAxisTicker::getTickStep(range));
    }
    int getSubTickCount(double) override { return 4; }
};

// A step of 1, 2, 2.5 or 5 times a power of ten, near a fifth of the span.
double niceStep(double span)
{
    const double raw = span / 5;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 2.5, 5.0})
        if (raw <= m * magnitude)
            return m * magnitude;
    return 10 * magnitude;
}

// The axis over [lo, hi], at least `minSpan` wide, widened to whole label steps.
void fitAxis(QCPAxis* axis, double lo, double hi, double minSpan)
{
    if (hi - lo < minSpan) {
        const double mid = lo / 2 + hi / 2;
        lo = mid - minSpan / 2;
        hi = mid + minSpan / 2;
    }
    const double step = niceStep(hi - lo);
    if (std::isfinite(step) && step > 0) {
        const double a = std::floor(lo / step) * step, b = std::ceil(hi / step) * step;
        if (std::isfinite(a) && std::isfinite(b) && a < b) {
            lo = a;
            hi = b;
        }
    }
    // A range QCustomPlot cannot show (absurd values, no width left) keeps the axis as it is.
    axis->setRange(lo, hi);
}

}  // namespace

void setUpValueAxis(QCPAxis* axis, const QString& title, const QFont& titleFont)
{
    axis->setTicker(QSharedPointer<TenthTicker>::create());
    axis->setNumberFormat("f");
    axis->setNumberPrecision(1);
    axis->setLabel(title);
    axis->setLabelFont(titleFont);
    axis->setLabelColor(Qt::black);
    // Pixel sizes, as every font of the charts: a print scales the chart's
    // picture whole, and a size in points would grow with the printer's resolution.
    QFont labels = axis->tickLabelFont();
    labels.setPixelSize(12);
    axis->setTickLabelFont(labels);
    axis->setTickLength(0, 3);
    axis->setSubTickLength(0, 2);
    axis->setVisible(true);
}

ProfilePlot::ProfilePlot(QWidget* parent) : QCustomPlot(parent)
{
    setInteractions(QCP::Interactions());
    setNotAntialiasedElements(QCP::aeAll);
    setAntialiasedElements(QCP::aePlottables | QCP::aeLegendItems);
    plotLayout()->insertRow(0);
    m_title = new QCPTextElement(this, QString());
    m_title->setTextColor(Qt::blue);
    plotLayout()->addElement(0, 0, m_title);
    // The legend in a row of its own below the chart, entries side by side.
    plotLayout()->addElement(2, 0, legend);
    plotLayout()->setRowStretchFactor(0, 0.001);
    plotLayout()->setRowStretchFactor(2, 0.001);
    legend->setVisible(true);
    legend->setFillOrder(QCPLegend::foColumnsFirst);
    legend->setBorderPen(Qt::NoPen);
    legend->setTextColor(Qt::black);
    xAxis2->setVisible(false);
    yAxis2->setVisible(true);
    m_band = new QRubberBand(QRubberBand::Rectangle, this);
    setMouseTracking(true);
    connect(xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this, [this] {
        if (!m_fitting)
            refreshViews();
    });
    // The first layout (and a resize) changes the columns the curves are drawn on.
    connect(this, &QCustomPlot::afterLayout, this, [this] {
        if (columns() != m_columns)
            refreshViews();
    });
}

void ProfilePlot::setTitle(const QString& text)
{
    m_title->setText(text);
    replot(rpQueuedReplot);
}

QString ProfilePlot::title() const
{
    return m_title->text();
}

void ProfilePlot::setTitleFont(const QFont& font)
{
    m_title->setFont(font);
}

ChartSeries* ProfilePlot::addSeries(const QString& title, const QColor& colour, int width, bool leftAxis)
{
    auto* s = new ChartSeries(xAxis, leftAxis ? yAxis : yAxis2);
    s->setName(title);
    QPen pen(colour);
    pen.setWidth(width);
    s->setPen(pen);
    s->setVisible(false);
    s->removeFromLegend();
    m_series.append(s);
    return s;
}

void ProfilePlot::showSeries(ChartSeries* s, bool on)
{
    s->setVisible(on);
    if (on)
        s->refresh(columns());
    else
        s->data()->clear();
    rebuildLegend();
    replot(rpQueuedReplot);
}

void ProfilePlot::rebuildLegend()
{
    legend->clearItems();
    for (ChartSeries* s : m_series)
        if (s->visible())
            s->addToLegend();
}

int ProfilePlot::columns() const
{
    const int w = axisRect()->width();
    return w > 10 ? w : std::max(width(), 100);
}

void ProfilePlot::refreshViews()
{
    m_columns = columns();
    for (ChartSeries* s : m_series)
        if (s->visible())
            s->refresh(m_columns);
    replot(rpQueuedReplot);
}

void ProfilePlot::zoomReset()
{
    double xLo = 0, xHi = 0, lLo = 0, lHi = 0, rLo = 0, rHi = 0;
    bool anyX = false, anyL = false, anyR = false;
    for (ChartSeries* s : m_series) {
        double a, b, c, d;
        if (!s->visible() || !s->bounds(&a, &b, &c, &d))
            continue;
        xLo = anyX ? std::min(xLo, a) : a;
        xHi = anyX ? std::max(xHi, b) : b;
        anyX = true;
        const bool left = s->valueAxis() == yAxis;
        double& lo = left ? lLo : rLo;
        double& hi = left ? lHi : rHi;
        bool& any = left ? anyL : anyR;
        lo = any ? std::min(lo, c) : c;
        hi = any ? std::max(hi, d) : d;
        any = true;
    }
    m_fitting = true;   // one refresh of the curves below, not one per axis
    if (anyX)
        fitAxis(xAxis, xLo, xHi, 1.0);
    if (anyL)
        fitAxis(yAxis, lLo, lHi, 1.0);
    if (anyR)
        fitAxis(yAxis2, rLo, rHi, 0.4);
    m_fitting = false;
    m_zoomed = false;
    refreshViews();
}

void ProfilePlot::zoomToPixels(const QRect& r)
{
    const QRect area = r.intersected(axisRect()->rect());
    if (area.width() < 2 || area.height() < 2)
        return;
    for (QCPAxis* axis : {yAxis, yAxis2})
        axis->setRange(QCPRange(axis->pixelToCoord(area.bottom()), axis->pixelToCoord(area.top())));
    xAxis->setRange(QCPRange(xAxis->pixelToCoord(area.left()), xAxis->pixelToCoord(area.right())));
    m_zoomed = true;
    replot(rpQueuedReplot);
}

void ProfilePlot::panPixels(int dx)
{
    const QCPRange r = xAxis->range();
    const double shift = xAxis->pixelToCoord(xAxis->coordToPixel(r.lower) - dx) - r.lower;
    xAxis->setRange(r.lower + shift, r.upper + shift);
    m_zoomed = true;
    replot(rpQueuedReplot);
}

void ProfilePlot::printTo(QPaintDevice* device, const QRectF& target)
{
    QCPPainter painter(device);
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    painter.translate(target.topLeft());
    painter.scale(target.width() / width(), target.height() / height());
    toPainter(&painter, width(), height());
}

ChartSeries* ProfilePlot::seriesAt(const QPointF& pos) const
{
    // The shown curve whose line passes nearest, within the selection tolerance.
    ChartSeries* hit = nullptr;
    double nearest = selectionTolerance();
    for (ChartSeries* s : m_series) {
        if (!s->visible() || !axisRect()->rect().contains(pos.toPoint()))
            continue;
        const double d = s->selectTest(pos, false);
        if (d >= 0 && d < nearest) {
            nearest = d;
            hit = s;
        }
    }
    return hit;
}

void ProfilePlot::click(const QPointF& pos)
{
    ChartSeries* hit = seriesAt(pos);
    SeriesPoint p{};
    if (hit && hit->nearestPoint(pos, &p))
        emit seriesClicked(hit, p.x, p.y);
}

void ProfilePlot::mousePressEvent(QMouseEvent* e)
{
    m_button = e->button();
    m_pressAt = m_lastPan = e->pos();
    m_dragged = false;
    e->accept();
}

void ProfilePlot::mouseMoveEvent(QMouseEvent* e)
{
    if (m_button == Qt::NoButton) {
        // Over a curve the pointer is a cross: a click there reads its point.
        if (seriesAt(e->position()))
            setCursor(Qt::CrossCursor);
        else
            unsetCursor();
        e->ignore();
        return;
    }
    if ((e->pos() - m_pressAt).manhattanLength() > kDragPixels)
        m_dragged = true;
    if (m_button == Qt::LeftButton && m_dragged) {
        m_band->setGeometry(QRect(m_pressAt, e->pos()).normalized());
        m_band->show();
    } else if (m_button == Qt::RightButton && m_dragged) {
        panPixels(e->pos().x() - m_lastPan.x());
        m_lastPan = e->pos();
    }
    e->accept();
}

void ProfilePlot::mouseReleaseEvent(QMouseEvent* e)
{
    const Qt::MouseButton button = m_button;
    m_button = Qt::NoButton;
    m_band->hide();
    e->accept();
    if (button == Qt::RightButton) {
        if (!m_dragged)
            emit menuRequested(e->globalPosition().toPoint());
        return;
    }
    if (button != Qt::LeftButton)
        return;
    if (!m_dragged) {
        click(e->position());
        return;
    }
    if (e->pos().x() < m_pressAt.x() - kDragPixels)
        zoomReset();   // a drag to the left undoes the zoom
    else
        zoomToPixels(QRect(m_pressAt, e->pos()).normalized());
}

void ProfilePlot::mouseDoubleClickEvent(QMouseEvent* e)
{
    // The second press of a double click is a press like any other.
    mousePressEvent(e);
}

void ProfilePlot::wheelEvent(QWheelEvent* e)
{
    e->ignore();
}
