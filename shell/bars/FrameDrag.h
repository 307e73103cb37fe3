#pragma once
// Dragging a captionless frame by one of its bars. Where the window system offers to move the
// window itself (a window manager on X11, the compositor on Wayland, where a program may not
// place its windows), the press hands the drag to it. Otherwise the frame moves itself: a press
// remembers the cursor, each move shifts the frame by the distance since the last one, and the
// release ends it.

#include <QPoint>

class QMouseEvent;
class QWidget;

class FrameDrag {
public:
    // Starts dragging bar's window, unless it is maximised. When the window system does not take
    // the drag over, the bar grabs the mouse and the frame follows it.
    void Begin(QWidget* bar, const QMouseEvent* event);
    void Move(QWidget* bar, const QMouseEvent* event);
    void End(QWidget* bar, const QMouseEvent* event);
    // True while the frame follows the mouse by itself.
    bool IsDragging() const { return m_bDragging; }

private:
    QPoint m_ptDrag;  // last cursor position, global logical pixels
    bool m_bDragging = false;
};
