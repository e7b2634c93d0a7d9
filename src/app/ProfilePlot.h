#pragma once
#include <qcustomplot.h>
#include <QList>
#include <QPoint>
#include <QString>

class ChartSeries;
class QRubberBand;

// A value axis as both charts show it: labels with one decimal, at least 0.1
// apart, four minor ticks between labels.
void setUpValueAxis(QCPAxis* axis, const QString& title, const QFont& titleFont);

// The profile chart: depth along the bottom axis, sound velocity on the left
// and temperature on the right, a title above and the legend below. Its curves
// are views of the document's series (ChartSeries). The mouse: drag right and
// down to zoom into a rectangle, drag to the left to undo the zoom, drag with
// the right button to pan along the depth axis; a click without a drag reads
// the point of the curve under it, a right click opens the chart's menu.
class ProfilePlot : public QCustomPlot
{
    Q_OBJECT
public:
    explicit ProfilePlot(QWidget* parent = nullptr);

    void setTitle(const QString& text);
    QString title() const;
    void setTitleFont(const QFont& font);

    // A curve on the left (velocity) or right (temperature) axis, hidden.
    ChartSeries* addSeries(const QString& title, const QColor& colour, int width, bool leftAxis);
    const QList<ChartSeries*>& series() const { return m_series; }
    // Shows or hides a curve; the legend lists the shown ones in the chart's order.
    void showSeries(ChartSeries* s, bool on);
    // The drawn points of every shown curve again (after its values changed).
    void refreshViews();

    bool isZoomed() const { return m_zoomed; }
    // Axes fitted to the shown curves; no zoom.
    void zoomReset();
    void zoomToPixels(const QRect& r);
    void panPixels(int dx);

    // The chart at its present size and zoom, stretched over `target`.
    void printTo(QPaintDevice* device, const QRectF& target);

signals:
    void menuRequested(const QPoint& globalPos);
    // A click on a shown curve: the point nearest to it on the screen.
    void seriesClicked(ChartSeries* series, double x, double y);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    int columns() const;
    ChartSeries* seriesAt(const QPointF& pos) const;
    void click(const QPointF& pos);
    void rebuildLegend();

    QCPTextElement* m_title = nullptr;
    QList<ChartSeries*> m_series;
    QRubberBand* m_band = nullptr;
    QPoint m_pressAt;
    QPoint m_lastPan;
    Qt::MouseButton m_button = Qt::NoButton;
    bool m_dragged = false;
    bool m_zoomed = false;
    bool m_fitting = false;
    int m_columns = 0;
};
