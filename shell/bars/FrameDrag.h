#pragma once
// Dragging a captionless frame by one of its bars: a press remembers the cursor, each move
// that changes both coordinates moves the frame by the distance gathered since, and the
// release ends it. A move along one axis only waits, so the next diagonal move carries it.

#include <QPoint>

class QMouseEvent;
class QWidget;

class FrameDrag {
public:
    // Starts dragging bar's window, unless it is maximised; the bar grabs the mouse.
    void Begin(QWidget* bar, const QMouseEvent* event);
    void Move(QWidget* bar, const QMouseEvent* event);
    void End(QWidget* bar, const QMouseEvent* event);
    bool IsDragging() const { return m_bDragging; }

private:
    QPoint m_ptDrag;  // last cursor position, screen pixels
    bool m_bDragging = false;
};
