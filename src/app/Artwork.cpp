#include "app/Artwork.h"
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <QCoreApplication>

QPixmap splashPicture(const QSize& size)
{
    QPixmap pm(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const int w = size.width(), h = size.height();
    // Sky, sea surface and a water column growing darker with depth.
    QLinearGradient sea(0, h * 0.28, 0, h);
    sea.setColorAt(0, QColor(40, 130, 190));
    sea.setColorAt(1, QColor(5, 30, 70));
    p.fillRect(0, 0, w, int(h * 0.28), QColor(200, 228, 245));
    p.fillRect(0, int(h * 0.28), w, h, sea);
    // A sound-velocity profile drawn against depth.
    QPainterPath curve;
    for (int i = 0; i <= 100; ++i) {
        const double d = i / 100.0;
        const double x = w * (0.62 + 0.18 * std::tanh((d - 0.35) * 6.0) * -1 + 0.05 * d);
        const double y = h * (0.30 + 0.66 * d);
        if (i == 0)
            curve.moveTo(x, y);
        else
            curve.lineTo(x, y);
    }
    p.setPen(QPen(QColor(255, 90, 80), 3));
    p.drawPath(curve);
    // The ship and the probe on its cable.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 230, 230));
    p.drawPolygon(QPolygonF({QPointF(w * 0.08, h * 0.24), QPointF(w * 0.36, h * 0.24), QPointF(w * 0.32, h * 0.31),
                             QPointF(w * 0.11, h * 0.31)}));
    p.setPen(QPen(QColor(240, 240, 240), 1.5));
    p.drawLine(QPointF(w * 0.30, h * 0.25), QPointF(w * 0.30, h * 0.72));
    p.setBrush(QColor(250, 200, 40));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(w * 0.29, h * 0.72, w * 0.02, h * 0.09), 3, 3);
    // Title.
    QFont f;
    f.setFamilies({"Noto Sans CJK SC", "SimSun"});
    f.setPixelSize(h / 10);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(0, int(h * 0.80), w, int(h * 0.16)), Qt::AlignCenter, QCoreApplication::translate("Tlogo", "VX4400 声速剖面仪"));
    f.setPixelSize(h / 18);
    f.setBold(false);
    p.setFont(f);
    p.setPen(QColor(30, 60, 90));
    p.drawText(QRect(0, int(h * 0.04), w, int(h * 0.14)), Qt::AlignCenter, QCoreApplication::translate("Tlogo", "客户软件 · 正在启动……"));
    return pm;
}

QIcon appIcon()
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(20, 90, 160));
    p.setPen(Qt::NoPen);
    p.drawEllipse(1, 1, 30, 30);
    p.setPen(QPen(QColor(255, 90, 80), 3));
    p.drawLine(20, 6, 12, 26);
    return QIcon(pm);
}

QIcon glyph(const QString& name)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    if (name == "power") {
        p.setPen(QPen(QColor(0, 140, 0), 2));
        p.drawArc(QRectF(2, 3, 12, 12), 120 * 16, 300 * 16);
        p.drawLine(8, 1, 8, 8);
    } else if (name == "record") {
        p.setBrush(QColor(220, 0, 0));
        p.setPen(Qt::NoPen);
        p.drawEllipse(2, 2, 12, 12);
    } else if (name == "stop") {
        p.fillRect(3, 3, 10, 10, QColor(40, 40, 40));
    } else if (name == "folder") {
        p.setBrush(QColor(240, 200, 80));
        p.setPen(QColor(150, 110, 20));
        p.drawRect(1, 4, 14, 10);
    } else if (name == "list") {
        p.setPen(QPen(QColor(30, 30, 120), 2));
        for (int y = 3; y <= 13; y += 5)
            p.drawLine(2, y, 14, y);
    } else if (name == "upload") {
        p.setBrush(QColor(30, 110, 200));
        p.setPen(Qt::NoPen);
        p.drawPolygon(QPolygon({QPoint(8, 1), QPoint(15, 9), QPoint(1, 9)}));
        p.drawRect(5, 9, 6, 6);
    } else if (name == "delete") {
        p.setPen(QPen(QColor(200, 0, 0), 2.5));
        p.drawLine(3, 3, 13, 13);
        p.drawLine(13, 3, 3, 13);
    }
    return QIcon(pm);
}
