#include "CScreenOverlay.h"

#include "CScrivaView.h"

#include "platform/Resources.h"
#include "platform/ScreenMetrics.h"
#include "tablet/TabletBinding.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>

#include <cmath>
#include <utility>

CScreenOverlay::CScreenOverlay(CScrivaView& view)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), m_view(view)
{
    // Other launches find the overlay of their kind by this name.
    setObjectName(QStringLiteral("KestroScribon-L"));
    setWindowTitle(objectName());
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    const Resources::CursorImage capture = Resources::LoadCursorImage(QStringLiteral("cursor/221"));
    m_hCaptureCursor = capture.image.isNull()
        ? QCursor(Qt::CrossCursor)
        : QCursor(QPixmap::fromImage(capture.image), capture.hotSpot.x(), capture.hotSpot.y());
    setCursor(m_hCaptureCursor);
}

double CScreenOverlay::Ratio() const
{
    return ScreenMetrics::DevicePixelRatio();
}

void CScreenOverlay::Cover(const CRect& screen)
{
    m_rcScreen = screen;
    for (DrawingSurface* surface : {&m_dcWindow, &m_dcBack}) {
        surface->SelectBitmap(DrawingSurface::CreateBitmap(screen.Width(), screen.Height()));
        surface->SetViewportOrg(-screen.left, -screen.top);
    }
    const double ratio = Ratio();
    m_tail.Drop();  // the surfaces are new
    setGeometry(QRect(QPoint(int(std::floor(screen.left / ratio)), int(std::floor(screen.top / ratio))),
                      QSize(int(std::ceil(screen.Width() / ratio)), int(std::ceil(screen.Height() / ratio)))));
    update();
}

void CScreenOverlay::UpdateScreenRect(const CRect& rect)
{
    if (rect.IsRectEmpty())
        return;
    const double ratio = Ratio();
    const QPoint topLeft(int(std::floor((rect.left - m_rcScreen.left) / ratio)),
                         int(std::floor((rect.top - m_rcScreen.top) / ratio)));
    const QPoint end(int(std::ceil((rect.right - m_rcScreen.left) / ratio)),
                     int(std::ceil((rect.bottom - m_rcScreen.top) / ratio)));
    const QRect logical(topLeft, end - QPoint(1, 1));
    if (m_bHolding)
        m_held += logical;
    else
        update(logical);
}

// The pen's ink reaches the screen before the next batch is taken. A selection's band is
// shown at the next paint, as it was drawn at most every few packets anyway.
bool CScreenOverlay::ShowHeldUpdates()
{
    m_bHolding = false;
    const QRegion held = std::exchange(m_held, QRegion());
    if (held.isEmpty())
        return false;
    if (!isVisible() || m_bCaptureMode) {
        update(held);
        return false;
    }
    repaint(held);
    return true;
}

void CScreenOverlay::DrawTail(POINT from, POINT to, int width, COLORREF color)
{
    RemoveTail();
    m_tailLine = {from, to, width, color};
    CRect drawn = m_tail.Draw(m_dcWindow, from, to, width, color);
    drawn.OffsetRect(m_rcScreen.left, m_rcScreen.top);
    UpdateScreenRect(drawn);
}

void CScreenOverlay::RemoveTail()
{
    CRect removed = m_tail.Remove(m_dcWindow);
    removed.OffsetRect(m_rcScreen.left, m_rcScreen.top);
    UpdateScreenRect(removed);
}

void CScreenOverlay::ShowBackBuffer(const CRect& rect)
{
    RemoveTail();  // what it kept of the window may be copied over now
    m_dcWindow.BitBlt(rect.left, rect.top, rect.Width(), rect.Height(), m_dcBack, rect.left, rect.top, SRCCOPY);
    UpdateScreenRect(rect);
}

void CScreenOverlay::RepaintFromBackBuffer()
{
    if (!m_bCaptureMode)
        update();
}

void CScreenOverlay::ShowOnTop()
{
    setEnabled(true);
    show();
    raise();
    activateWindow();
}

void CScreenOverlay::SetCaptureMode(bool capture)
{
    m_bCaptureMode = capture;
    if (capture)
        setCursor(m_hCaptureCursor);
    else
        setCursor(m_view.Tool() == CScrivaView::kEraser ? m_view.EraserCursor() : m_view.PenCursor());
}

CRect CScreenOverlay::FrameRect() const
{
    const QWidget* frame = m_view.window();
    if (!frame || !frame->isVisible())
        return CRect();
    // In the pen's pixels, which the packets tested against it are in.
    return ScreenMetrics::NativeRect(frame->frameGeometry());
}

CRect CScreenOverlay::DeviceRectOf(const QRect& logical) const
{
    const double ratio = Ratio();
    return CRect(LONG(std::floor(logical.left() * ratio)), LONG(std::floor(logical.top() * ratio)),
                 LONG(std::ceil((logical.left() + logical.width()) * ratio)),
                 LONG(std::ceil((logical.top() + logical.height()) * ratio)));
}

// In capture mode the window shows what the capture drew on it, nothing more.
void CScreenOverlay::paintEvent(QPaintEvent* event)
{
    const QRect exposed = event->rect();
    const CRect device = DeviceRectOf(exposed);
    if (!m_bCaptureMode)
        Compose(device);
    QPainter painter(this);
    painter.drawImage(QRectF(exposed), m_dcWindow.Bitmap(),
                      QRectF(device.left, device.top, device.Width(), device.Height()));
}

void CScreenOverlay::Compose(const CRect& device)
{
    // The tail lies over what is composed: off first, then drawn again over the new pixels.
    const bool tail = m_tail.IsShown();
    m_tail.Remove(m_dcWindow);
    ComposeUnderTail(device);
    if (tail)
        m_tail.Draw(m_dcWindow, m_tailLine.from, m_tailLine.to, m_tailLine.width, m_tailLine.color);
}

void CScreenOverlay::ComposeUnderTail(const CRect& device)
{
    CRect area(device);
    area.OffsetRect(m_rcScreen.left, m_rcScreen.top);
    m_dcWindow.BitBlt(area.left, area.top, area.Width(), area.Height(), m_dcBack, area.left, area.top, SRCCOPY);
    const CRect frame = FrameRect();
    const POINT pen = TabletBinding::Instance().CursorPos();
    if (!frame.PtInRect(pen) || m_bFrameEntered) {
        m_bFrameEntered = false;
        CRect under;
        if (!m_dcFrame.IsNull() && under.IntersectRect(area, m_rcFrame))
            m_dcWindow.BitBlt(under.left, under.top, under.Width(), under.Height(), m_dcFrame, under.left, under.top,
                              SRCCOPY);
    }
}

void CScreenOverlay::TakeFramePicture()
{
    QWidget* frame = m_view.window();
    m_rcFrame = FrameRect();
    if (!frame || m_rcFrame.IsRectEmpty()) {
        m_dcFrame.SelectBitmap(QImage());
        return;
    }
    QImage picture = frame->grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (picture.size() != QSize(m_rcFrame.Width(), m_rcFrame.Height()))
        picture = picture.scaled(m_rcFrame.Width(), m_rcFrame.Height());
    picture.setDevicePixelRatio(1);
    m_dcFrame.SelectBitmap(std::move(picture));
    m_dcFrame.SetViewportOrg(-m_rcFrame.left, -m_rcFrame.top);
}

void CScreenOverlay::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Escape) {
        QWidget::keyPressEvent(event);
        return;
    }
    setEnabled(false);
    m_view.CloseOverlay();
}

// The overlay takes the keys when it shows, so that Escape reaches it. The mouse needs no
// grab: the overlay lies under the pointer wherever the frame does not, and X holds the
// pointer for it from a press to the release.
void CScreenOverlay::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    activateWindow();
    setFocus();
}

void CScreenOverlay::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    m_tail.Remove(m_dcWindow);  // shown again, the window shows the ink as it stands
    m_bFrameEntered = true;
}

// A capture lends the pen to the overlay only while it is the active window.
void CScreenOverlay::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange) {
        const bool active = isActiveWindow();
        if (m_bCaptureMode)
            m_view.SetTabletActive(active);
        else if (active)
            TakeFramePicture();
    }
    QWidget::changeEvent(event);
}

void CScreenOverlay::mouseMoveEvent(QMouseEvent* event)
{
    if (m_bCaptureMode) {
        setCursor(m_hCaptureCursor);
        return;
    }
    SetCaptureMode(false);  // the cursor of the tool in hand
    if (FrameRect().PtInRect(ScreenMetrics::NativePoint(event->globalPosition())))
        HandMouseToFrame();
}

// The pen moved onto the frame while the overlay stood over it: the frame comes back on top.
void CScreenOverlay::HandMouseToFrame()
{
    m_bFrameEntered = true;
    QWidget* frame = m_view.window();
    frame->show();
    frame->raise();
    frame->activateWindow();
}

void CScreenOverlay::mousePressEvent(QMouseEvent* event)
{
    if (!m_bCaptureMode && (m_bFrameEntered || m_bPrinting))
        emit frameWanted();
    QWidget::mousePressEvent(event);
}
