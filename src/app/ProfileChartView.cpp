#include "app/ProfileChartView.h"
#include <QMouseEvent>

ProfileChartView::ProfileChartView(QChart* chart, QWidget* parent) : QChartView(chart, parent)
{
    setRubberBand(QChartView::RectangleRubberBand);
}

void ProfileChartView::mousePressEvent(QMouseEvent* e)
{
    m_pressAt = e->pos();
    if (e->button() == Qt::RightButton) {
        m_panning = true;
        m_panned = false;
        m_lastPan = e->pos();
        e->accept();
        return;
    }
    QChartView::mousePressEvent(e);
}

void ProfileChartView::mouseMoveEvent(QMouseEvent* e)
{
    if (m_panning) {
        const int dx = e->pos().x() - m_lastPan.x();
        if (std::abs(e->pos().x() - m_pressAt.x()) > 3)
            m_panned = true;
        if (m_panned && dx != 0)
            chart()->scroll(-dx, 0);
        m_lastPan = e->pos();
        e->accept();
        return;
    }
    QChartView::mouseMoveEvent(e);
}

void ProfileChartView::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::RightButton) {
        m_panning = false;
        if (!m_panned)
            emit menuRequested(e->globalPosition().toPoint());
        e->accept();
        return;
    }
    if (e->button() == Qt::LeftButton && e->pos().x() < m_pressAt.x() - 3) {
        // A drag to the left undoes the zoom instead of zooming into a rectangle.
        QChartView::mouseReleaseEvent(e);
        chart()->zoomReset();
        return;
    }
    QChartView::mouseReleaseEvent(e);
}
