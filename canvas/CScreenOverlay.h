#pragma once
// The full-screen window over every monitor that the view puts up for a screen capture and for
// desktop mode. It is frameless, stays above other windows, has no taskbar entry and shows
// what its window surface holds, pixel for pixel over the virtual desktop (physical pixels).
//
// Two behaviours:
// - capture (m_bCaptureMode): the view draws the frozen, tinted screen and the rubber band on
//   the window surface; painting only shows it.
// - writing: the back buffer m_dcBack is the frozen screen with the ink written on it. Painting
//   recomposes what it shows from the back buffer and, where the main frame stands, from the
//   frame's picture m_dcFrame (taken whenever the overlay becomes the active window), so the
//   bars still show if the overlay comes up over the frame. Moving onto the frame puts the frame back on
//   top and hands it the mouse.
//
// Both surfaces take screen coordinates: their viewport origin puts the desktop's top-left
// corner on pixel (0, 0).
//
// While the pen writes, what a batch of packets drew is gathered and repainted at once at the
// batch's end, and the stroke's provisional tail lies on the window surface alone, over
// whatever painting composes under it.

#include "InkTail.h"

#include "platform/DrawingSurface.h"

#include <QCursor>
#include <QRegion>
#include <QWidget>

class CScrivaView;

class CScreenOverlay : public QWidget {
    Q_OBJECT
public:
    explicit CScreenOverlay(CScrivaView& view);

    // Covers the desktop rectangle screen (screen pixels) with fresh black surfaces of its
    // size; the window is placed over it (and shown when it already was).
    void Cover(const CRect& screen);
    // The desktop the overlay covers, screen pixels.
    const CRect& ScreenRect() const { return m_rcScreen; }
    // The window as it shows (capture mode draws here) and the back buffer of writing mode.
    DrawingSurface& WindowSurface() { return m_dcWindow; }
    DrawingSurface& BackBuffer() { return m_dcBack; }
    // Shows what was drawn in rect (screen pixels) on the window surface: at the next paint,
    // or while updates are held, with the others at ShowHeldUpdates.
    void UpdateScreenRect(const CRect& rect);
    // A batch of packets is being taken: its updates wait for ShowHeldUpdates.
    void HoldUpdates() { m_bHolding = true; }
    // Ends the hold. What it gathered is repainted at once when the overlay shows for writing
    // (true), else at the next paint (false, as when nothing was gathered).
    bool ShowHeldUpdates();
    // The stroke's ink drawn ahead from from to to (screen pixels), width pixels wide, on the
    // window surface only; an earlier tail is taken off first.
    void DrawTail(POINT from, POINT to, int width, COLORREF color);
    // Puts back what the tail covered, pixel for pixel, and shows it.
    void RemoveTail();
    bool IsTailShown() const { return m_tail.IsShown(); }
    // Copies rect (screen pixels) of the back buffer to the window.
    void ShowBackBuffer(const CRect& rect);
    // Repaints the whole window from the back buffer (a dialog or the pen-width popup stood
    // over it).
    void RepaintFromBackBuffer();
    // Shows the overlay over its desktop, above every window, with the keys and the mouse.
    void ShowOnTop();

    void SetCaptureMode(bool capture);
    bool IsCaptureMode() const { return m_bCaptureMode; }
    // A dialog of ours stands over the overlay (a save, a print): a click on the overlay puts
    // the frame, and the dialog with it, back on top.
    void SetPrinting(bool printing) { m_bPrinting = printing; }
    bool IsPrinting() const { return m_bPrinting; }
    bool IsFrameEntered() const { return m_bFrameEntered; }
    const DrawingSurface& FramePicture() const { return m_dcFrame; }
    // The main frame's rectangle, screen pixels; empty while it is hidden.
    CRect FrameRect() const;

signals:
    // A click on the overlay while the frame needs to come back on top: the pen-width popup
    // closes and the frame is raised.
    void frameWanted();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    double Ratio() const;
    // The device pixels of m_dcWindow under a logical rectangle of the widget.
    CRect DeviceRectOf(const QRect& logical) const;
    // Writing mode: the window surface in device rectangle area, from the back buffer and,
    // unless the pen stands on the frame, the frame's picture.
    void Compose(const CRect& area);
    void ComposeUnderTail(const CRect& area);
    // A picture of the main frame as it shows, for when the overlay stands over it.
    void TakeFramePicture();
    void HandMouseToFrame();

    CScrivaView& m_view;
    bool m_bPrinting = false;
    bool m_bCaptureMode = true;
    QCursor m_hCaptureCursor;
    DrawingSurface m_dcBack;    // writing mode: the frozen screen with its ink
    bool m_bFrameEntered = true;
    CRect m_rcScreen;           // the virtual desktop, screen pixels
    DrawingSurface m_dcFrame;   // the main frame's picture, device pixels of its own
    CRect m_rcFrame;            // where m_dcFrame was taken, screen pixels
    DrawingSurface m_dcWindow;  // what the window shows
    bool m_bHolding = false;    // a batch of packets is being taken
    QRegion m_held;             // what it drew, logical pixels of the window
    InkTail m_tail;             // on m_dcWindow only
    struct TailLine {
        POINT from;
        POINT to;
        int width;
        COLORREF color;
    } m_tailLine = {};  // screen pixels; painting draws the tail again over what it composes
};
