#pragma once
#include <QWidget>

// The start-up picture: a borderless 502 x 344 window centred on the desktop.
class Tlogo : public QWidget
{
    Q_OBJECT
public:
    Tlogo();
protected:
    void paintEvent(QPaintEvent*) override;
private:
    QPixmap m_picture;
};
