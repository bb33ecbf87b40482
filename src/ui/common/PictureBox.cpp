#include "ui/common/PictureBox.h"

#include <QMouseEvent>

PictureBox::PictureBox(QWidget* parent) : QLabel(parent)
{
    setMouseTracking(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void PictureBox::mousePressEvent(QMouseEvent* event)
{
    m_leftDown = event->button() == Qt::LeftButton;
    event->accept();
    emit mouseDown(event->button(), event->modifiers());
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    const bool click = m_leftDown && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_leftDown = false;
    if (click)
        emit clicked();
}

void PictureBox::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    emit mouseMoved();
}
