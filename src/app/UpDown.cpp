#include "app/UpDown.h"
#include <QToolButton>
#include <QVBoxLayout>

UpDown::UpDown(int min, int max, int position, QWidget* parent)
    : QWidget(parent), m_min(min), m_max(max), m_position(position)
{
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);
    m_up = new QToolButton(this);
    m_up->setArrowType(Qt::UpArrow);
    m_down = new QToolButton(this);
    m_down->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {m_up, m_down}) {
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        b->setAutoRepeat(true);
        lay->addWidget(b);
    }
    connect(m_up, &QToolButton::clicked, this, &UpDown::stepUp);
    connect(m_down, &QToolButton::clicked, this, &UpDown::stepDown);
}

void UpDown::setPosition(int p)
{
    m_position = std::clamp(p, m_min, m_max);
}

void UpDown::stepUp()
{
    if (m_position < m_max)
        ++m_position;
    emit clicked(true);
}

void UpDown::stepDown()
{
    if (m_position > m_min)
        --m_position;
    emit clicked(false);
}
