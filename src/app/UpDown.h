#pragma once
#include <QWidget>

class QToolButton;

// The up-down arrows of the window: a position between min and max, no wrap,
// step 1, and a click signal after every change (the edit beside it is the
// handler's business).
class UpDown : public QWidget
{
    Q_OBJECT
public:
    UpDown(int min, int max, int position, QWidget* parent = nullptr);
    int position() const { return m_position; }
    void setPosition(int p);
    int minimum() const { return m_min; }
    int maximum() const { return m_max; }
    void stepUp();
    void stepDown();
signals:
    void clicked(bool up);
private:
    QToolButton* m_up;
    QToolButton* m_down;
    int m_min, m_max, m_position;
};
