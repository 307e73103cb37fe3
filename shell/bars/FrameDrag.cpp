#include "FrameDrag.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

void FrameDrag::Begin(QWidget* bar, const QMouseEvent* event)
{
    QWidget* frame = bar->window();
    if (event->button() != Qt::LeftButton || frame->isMaximized())
        return;
    if (QWindow* window = frame->windowHandle(); window && window->startSystemMove())
        return;
    m_ptDrag = event->globalPosition().toPoint();
    m_bDragging = true;
    bar->grabMouse();
}

void FrameDrag::Move(QWidget* bar, const QMouseEvent* event)
{
    if (!m_bDragging || event->buttons() != Qt::LeftButton)
        return;
    const QPoint cursor = event->globalPosition().toPoint();
    const QPoint delta = cursor - m_ptDrag;
    if (delta.isNull())
        return;
    m_ptDrag = cursor;
    bar->window()->move(bar->window()->pos() + delta);
}

void FrameDrag::End(QWidget* bar, const QMouseEvent* event)
{
    if (!m_bDragging || event->button() != Qt::LeftButton)
        return;
    m_bDragging = false;
    bar->releaseMouse();
}
