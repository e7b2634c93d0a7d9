#pragma once
#include <QtCharts/QChartView>

// The profile chart's mouse: drag right and down to zoom into a rectangle, drag
// to the left to undo the zoom, drag with the right button to pan along the
// depth axis only; a right click without a drag opens the chart's menu.
class ProfileChartView : public QChartView
{
    Q_OBJECT
public:
    explicit ProfileChartView(QChart* chart, QWidget* parent = nullptr);
signals:
    void menuRequested(const QPoint& globalPos);
protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
private:
    QPoint m_pressAt;
    QPoint m_lastPan;
    bool m_panning = false;
    bool m_panned = false;
};
