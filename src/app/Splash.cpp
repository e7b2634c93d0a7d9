#include "app/Splash.h"
#include "app/Artwork.h"
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QCoreApplication>

Tlogo::Tlogo() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName("logo");
    setWindowTitle(QCoreApplication::translate("Tlogo", "标志"));
    setFixedSize(502, 344);
    // The picture is drawn at 403 x 299 and stretched to the window, as the bitmap was.
    m_picture = splashPicture(QSize(403, 299));
    if (QScreen* s = QGuiApplication::primaryScreen())
        move(s->geometry().center() - rect().center());
}

void Tlogo::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawPixmap(rect(), m_picture);
}
