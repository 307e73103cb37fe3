// The view's pen and mouse: the tablet context and the packets it delivers, tools and widths,
// the pen cursor, and pictures moved with the mouse. What a packet does to a stroke is in
// CScrivaViewCapture.cpp.

#include "CScrivaView.h"

#include "CScreenOverlay.h"

#include "pictures/CPictureItem.h"
#include "pictures/ImageData.h"
#include "pictures/ImageFiles.h"
#include "platform/CommandIds.h"
#include "platform/CursorPicture.h"
#include "platform/Prompts.h"
#include "platform/Resources.h"
#include "platform/ScreenMetrics.h"
#include "platform/StringSource.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <cmath>

namespace {

// Packets of one batch are all handled before the next batch is fetched (process-wide).
int g_batchCount = 0;

constexpr COLORREF kCursorOutline = 0x808080;

}  // namespace

// ---------------------------------------------------------------------------------------------
// Tablet context

CRect CScrivaView::ScreenRect() const
{
    // Where the pen's packets place it: the screen's own pixels (TabletBinding).
    const POINT origin = ScreenMetrics::NativePoint(viewport()->mapToGlobal(QPoint(0, 0)));
    const QSize size = viewport()->size() * PixelRatio();
    return CRect(origin.x, origin.y, origin.x + size.width(), origin.y + size.height());
}

void CScrivaView::OpenTablet()
{
    if (!TabletBinding::Instance().IsLoaded() || m_hTabletContext || m_nParkDepth > 0)
        return;
    m_hTabletContext = OpenTabletContext(true);
    ReadPressureAxis();
}

HCTX CScrivaView::OpenTabletContext(bool system)
{
    TabletBinding& tablet = TabletBinding::Instance();
    if (!tablet.IsLoaded())
        return 0;
    m_lcTablet = tablet.DefaultContext();
    std::snprintf(m_lcTablet.lcName, sizeof m_lcTablet.lcName, "Penvia");
    m_lcTablet.lcOptions |= CXO_MESSAGES | (system ? CXO_SYSTEM : 0);
    m_lcTablet.lcPktData = PK_TIME | PK_BUTTONS | PK_X | PK_Y | PK_NORMAL_PRESSURE;
    m_lcTablet.lcPktMode = PK_BUTTONS;  // buttons come as press and release events
    m_lcTablet.lcMoveMask = m_lcTablet.lcPktData;
    m_lcTablet.lcBtnUpMask = m_lcTablet.lcBtnDnMask;
    const QSize screen = ScreenMetrics::ScreenSize();
    m_lcTablet.lcOutOrgX = 0;
    m_lcTablet.lcOutOrgY = 0;
    m_lcTablet.lcOutExtX = screen.width();
    m_lcTablet.lcOutExtY = -screen.height();  // y grows downwards from the top of the screen
    return tablet.WTOpen(this, m_lcTablet, true);
}

void CScrivaView::ReadPressureAxis()
{
    const LONG axis = TabletBinding::Instance().PressureAxisMaximum();
    // An axis of fewer than 512 levels would make the divisor 0: it counts as 1.
    m_nPressureDivisor = std::max<LONG>(1, (axis + 1) / 512);
    m_nPressureMax = (axis + 1) / m_nPressureDivisor - 1;
}

void CScrivaView::CloseTabletContext()
{
    if (!m_hTabletContext)
        return;
    TabletBinding& tablet = TabletBinding::Instance();
    tablet.WTEnable(m_hTabletContext, false);
    tablet.WTOverlap(m_hTabletContext, false);
    tablet.WTClose(m_hTabletContext);
    m_hTabletContext = 0;
}

// The display changed: the context is opened anew once it has settled, while the interface
// goes on. Several changes in a row give one reopening.
void CScrivaView::RequestTabletReopen()
{
    m_bReopenTablet = 1;
    m_reopenTimer.start(kDisplaySettleMs);
}

void CScrivaView::ReopenTabletContext()
{
    if (m_bImporting) {
        m_reopenTimer.start(kDisplaySettleMs);  // closing now would drop the pen packets waiting
        return;
    }
    m_bReopenTablet = 0;
    if (m_nParkDepth > 0)
        return;  // the end of the park opens a fresh one
    CloseTabletContext();
    const bool enabled = isEnabled();
    m_hTabletContext = OpenTabletContext(true);
    ReadPressureAxis();
    TabletBinding::Instance().WTEnable(m_hTabletContext, enabled);
    TabletBinding::Instance().WTOverlap(m_hTabletContext, enabled);
}

void CScrivaView::ParkTablet()
{
    if (m_nParkDepth++ > 0)
        return;
    // What the pen does from here on is not writing: a stroke still open ends now, and the tip
    // counts as lifted until packets say otherwise.
    if (m_frameMode == FrameMode::Desktop)
        EndDesktopStroke();
    else if (m_frameMode == FrameMode::Inking)
        EndInkingStroke();
    else
        EndStroke();
    m_bButtonDown = false;
    m_bPenDown = false;
    CloseTabletContext();
    // A dialog may open under the overlay: a click there brings the frame, and the dialog
    // with it, back on top.
    if (m_pScreenOverlay)
        m_pScreenOverlay->SetPrinting(true);
}

void CScrivaView::ReopenTablet()
{
    if (m_nParkDepth == 0 || --m_nParkDepth > 0)
        return;
    if (m_pScreenOverlay)
        m_pScreenOverlay->SetPrinting(false);
    OpenTablet();
    RepaintOverlay();  // the dialog stood over it
}

// Outside letter mode the popup stands over the overlay: while it is open the pen is parked,
// so that it chooses a width there instead of writing under it.
void CScrivaView::SetPenWidthPopupTool(int tool)
{
    m_penWidthPopupTool = tool;
    const bool park = tool != 0 && m_frameMode != FrameMode::Letter;
    if (park == m_bPopupParked)
        return;
    m_bPopupParked = park;
    if (park)
        ParkTablet();
    else
        ReopenTablet();
}

void CScrivaView::SetTabletActive(bool active)
{
    if (!m_hTabletContext)
        return;
    TabletBinding::Instance().WTEnable(m_hTabletContext, active);
    TabletBinding::Instance().WTOverlap(m_hTabletContext, active);
}

void CScrivaView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && m_hTabletContext && m_frameMode == FrameMode::Letter) {
        const bool active = isActiveWindow();
        TabletBinding::Instance().WTEnable(m_hTabletContext, m_nViewMode != 0 || active);
        if (active)
            TabletBinding::Instance().WTOverlap(m_hTabletContext, true);
    }
    QAbstractScrollArea::changeEvent(event);
}

bool CScrivaView::event(QEvent* event)
{
    if (event->type() == WtPacketEvent::EventType()) {
        OnWtPacket();
        return true;
    }
    if (event->type() == QEvent::Resize) {
        const bool result = QAbstractScrollArea::event(event);
        // The context follows the window's size; a minimised window keeps the old one.
        if (m_hTabletContext && width() >= 1 && height() >= 1) {
            CloseTabletContext();
            m_hTabletContext = OpenTabletContext(true);
            ReadPressureAxis();
        }
        return result;
    }
    return QAbstractScrollArea::event(event);
}

// ---------------------------------------------------------------------------------------------
// Packets

void CScrivaView::OnWtPacket()
{
    if (m_bImporting)
        return;  // the replay has the capture: the packets wait in the queue until it ends
    if (g_batchCount != 0)
        return;  // a batch is being handled: it takes this packet too
    TabletBinding& tablet = TabletBinding::Instance();
    if (!tablet.IsLoaded())
        return;
    PenPacket packets[TabletBinding::kMaxPacketsPerFetch];
    bool erasers[TabletBinding::kMaxPacketsPerFetch];
    const int count = tablet.WTPacketsGet(m_hTabletContext, TabletBinding::kMaxPacketsPerFetch, packets, erasers);
    if (count <= 0)
        return;
    g_batchCount = count;
    const bool wasStroking = m_bStroking;
    m_bInBatch = true;
    if (m_pScreenOverlay)
        m_pScreenOverlay->HoldUpdates();
    for (int i = 0; i < count; ++i) {
        const PenPacket& p = packets[i];
        if (m_nViewMode == 2) {
            SelectCapturePacket(p.time, p.buttons, p.x, p.y, p.pressure);  // the selection takes the pen
            continue;
        }
        if (erasers[i])
            BorrowEraser();
        if (m_nTool != kToolNone && m_frameMode == FrameMode::Letter)
            CapturePagePacket(p.time, p.buttons, p.x, p.y, p.pressure);
        else if (m_nTool != kToolNone && m_frameMode == FrameMode::Desktop)
            CaptureDesktopPacket(p.time, p.buttons, p.x, p.y, p.pressure);
        else if (m_nTool != kToolNone && m_frameMode == FrameMode::Inking)
            CaptureInkingPacket(p.time, p.buttons, p.x, p.y, p.pressure);
        ReturnToolInHand();
    }
    g_batchCount = 0;
    DrawInkTail();
    m_bInBatch = false;
    ShowBatch(packets, count, wasStroking);
}

// The eraser end of the pen erases whatever pen tool is in hand, for one stroke at a time.
void CScrivaView::BorrowEraser()
{
    if (m_nTool == kEraser || m_nTool == kToolNone || m_bStroking)
        return;
    m_nToolInHand = m_nTool;
    m_nTool = kEraser;
}

void CScrivaView::ReturnToolInHand()
{
    if (m_nToolInHand == kToolNone || m_bStroking)
        return;
    m_nTool = m_nToolInHand;
    m_nToolInHand = kToolNone;
}

// ---------------------------------------------------------------------------------------------
// Tools

int CScrivaView::ToolWidth(int tool) const
{
    switch (tool) {
    case kPencil: return m_nPencilWidth;
    case kBrush: return m_nBrushWidth;
    case kMarker: return m_nMarkerWidth;
    default: return 0;
    }
}

void CScrivaView::SelectTool(int tool)
{
    SetPenWidthPopupTool(0);
    // In inking mode, once the user knows Start to write, taking up a pen starts writing.
    if (tool >= kPencil && tool <= kMarker && m_frameMode == FrameMode::Inking && m_bStartedToWrite)
        OnStartToWrite();
    if (m_nTool == tool)
        return;
    m_nTool = tool;
    RefreshPictureArea();
    if (tool != kEraser)
        UpdatePenCursor();
}

void CScrivaView::SetToolWidth(int tool, int step)
{
    switch (tool) {
    case kPencil: m_nPencilWidth = step; break;
    case kBrush: m_nBrushWidth = step; break;
    case kMarker: m_nMarkerWidth = step; break;
    default: return;
    }
    SelectTool(tool);
    SetPenWidthPopupTool(0);
    UpdatePenCursor();
}

void CScrivaView::SetPenColor(COLORREF color)
{
    m_page.m_crPen = color;
    UpdatePenCursor();
}

void CScrivaView::OnMovePicture()
{
    if (m_nTool == kToolNone)
        return;
    SetPenWidthPopupTool(0);
    m_nTool = kToolNone;
    viewport()->setCursor(Qt::ArrowCursor);
}

QImage CScrivaView::PenCursorImage(COLORREF pen, int step, bool penTool, int size)
{
    QImage image(size, size, QImage::Format_RGB32);
    const bool black = pen == RGB(0, 0, 0);
    image.fill(black ? Qt::white : Qt::black);
    if (penTool) {
        QPainter painter(&image);
        painter.setPen(QColor::fromRgb(ColorRefToQRgb(pen == kCursorOutline ? RGB(255, 255, 255) : kCursorOutline)));
        painter.setBrush(QColor::fromRgb(ColorRefToQRgb(pen)));
        const int radius = step + 3;
        painter.drawEllipse(QPoint(size / 2, size / 2), radius, radius);
    }
    // The key colour is see-through: white around a black pen, black around any other.
    const QRgb key = black ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
    QImage cursor = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < size; ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(cursor.scanLine(y));
        for (int x = 0; x < size; ++x)
            if ((row[x] & 0x00FFFFFF) == (key & 0x00FFFFFF))
                row[x] = 0;
    }
    return cursor;
}

// The circle shows the pen's size on the page, which the window shows in physical pixels, so
// it is drawn in physical pixels, in a square as large as a cursor of 32 logical pixels.
void CScrivaView::UpdatePenCursor()
{
    const bool penTool = m_nTool >= kPencil && m_nTool <= kMarker;
    m_cursorRatio = PixelRatio();
    const int size = 2 * std::max(16, int(std::lround(16 * m_cursorRatio)));
    QImage picture = PenCursorImage(m_page.m_crPen, ToolWidth(m_nTool), penTool, size);
    picture.setDevicePixelRatio(m_cursorRatio);
    m_hPenCursor = CursorFromPicture(picture, PenCursorHotSpot(size));
    if (penTool)
        viewport()->setCursor(m_hPenCursor);
}

const QCursor& CScrivaView::EraserCursor()
{
    if (m_hEraserCursor.shape() != Qt::BitmapCursor || m_eraserRatio != PixelRatio()) {
        m_eraserRatio = PixelRatio();
        const Resources::CursorImage eraser = Resources::LoadCursorImage(QStringLiteral("cursor/178"), m_eraserRatio);
        m_hEraserCursor = eraser.image.isNull() ? QCursor(Qt::CrossCursor)
                                                : CursorFromPicture(eraser.image, eraser.hotSpot);
    }
    return m_hEraserCursor;
}

// ---------------------------------------------------------------------------------------------
// Mouse and pictures

unsigned CScrivaView::MouseFlags(const QMouseEvent* event) const
{
    unsigned flags = 0;
    if (event->buttons() & Qt::LeftButton)
        flags |= MK_LBUTTON;
    if (event->buttons() & Qt::RightButton)
        flags |= MK_RBUTTON;
    if (event->modifiers() & Qt::ShiftModifier)
        flags |= MK_SHIFT;
    if (event->modifiers() & Qt::ControlModifier)
        flags |= MK_CONTROL;
    return flags;
}

POINT CScrivaView::PagePointOf(const QMouseEvent* event) const
{
    const double ratio = PixelRatio();
    return WindowToPage({LONG(event->position().x() * ratio), LONG(event->position().y() * ratio)});
}

void CScrivaView::mousePressEvent(QMouseEvent* event)
{
    const POINT p = PagePointOf(event);
    if (event->button() == Qt::LeftButton) {
        if (m_nTool == kToolNone && m_document.m_pictures.SelectAt(*this, MouseFlags(event), p.x, p.y))
            Invalidate();
    } else if (event->button() == Qt::RightButton) {
        if (m_document.m_pictures.ShowContextMenu(*this, MouseFlags(event), p.x, p.y))
            Invalidate();
    }
}

void CScrivaView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (m_nTool != kToolNone)
        return;
    const POINT p = PagePointOf(event);
    CPictureList& pictures = m_document.m_pictures;
    const CRect before = pictures.GetSelectedRect();
    if (pictures.EndTrack(*this, MouseFlags(event), p.x, p.y))
        Invalidate();
    if (pictures.GetSelectedRect() != before) {
        m_document.SetModifiedFlag(true);  // moved or resized
        m_document.JournalNote();
    }
}

void CScrivaView::mouseMoveEvent(QMouseEvent* event)
{
    if (m_cursorRatio != PixelRatio())  // the window went to a screen of another ratio
        UpdatePenCursor();
    if (m_nTool != kToolNone) {
        viewport()->setCursor(m_nTool == kEraser ? EraserCursor() : m_hPenCursor);
        return;
    }
    const POINT p = PagePointOf(event);
    const unsigned flags = MouseFlags(event);
    const int hit = m_document.m_pictures.OnMouseMove(*this, flags, p.x, p.y);
    if (hit >= 0 && flags == MK_LBUTTON)
        Invalidate();
    switch (hit) {
    case 0: case 2: viewport()->setCursor(Qt::SizeFDiagCursor); break;
    case 1: case 3: viewport()->setCursor(Qt::SizeBDiagCursor); break;
    case 4: case 6: viewport()->setCursor(Qt::SizeVerCursor); break;
    case 5: case 7: viewport()->setCursor(Qt::SizeHorCursor); break;
    default: viewport()->setCursor(Qt::ArrowCursor); break;
    }
}

bool CScrivaView::OnPictureCommand(UINT id)
{
    CPictureList& pictures = m_document.m_pictures;
    // Every command that does something moves the selection in the stack or deletes it.
    const int count = pictures.GetCount();
    const int selected = pictures.GetSelectedIndex();
    CRect rc;
    switch (id) {
    case ID_PICTURE_TO_FRONT: rc = pictures.MoveToFront(); break;
    case ID_PICTURE_TO_BACK: rc = pictures.MoveToBack(); break;
    case ID_PICTURE_FORWARD: rc = pictures.MoveForward(); break;
    case ID_PICTURE_BACKWARD: rc = pictures.MoveBackward(); break;
    case ID_PICTURE_DELETE: rc = pictures.DeleteSelected(); break;
    default: return false;
    }
    if (pictures.GetCount() != count || pictures.GetSelectedIndex() != selected) {
        m_document.SetModifiedFlag(true);
        m_document.JournalNote();
    }
    if (!rc.IsRectEmpty()) {
        RedrawPageRect(rc);
        Invalidate();
    }
    return true;
}

void CScrivaView::OnInsertImage()
{
    const FileDialogRequest request{false, PictureFileFilter(), QString(), QString(), false};
    ScopedTabletPark park(this);
    const QString path = prompts().GetFileName(request);
    if (path.isEmpty())
        return;
    auto picture = std::make_unique<CPictureItem>();
    const ImageLoad loaded = picture->LoadImageFile(path, m_page.m_crBack);
    if (loaded != ImageLoad::Loaded) {
        ReportImageLoad(loaded);
        return;
    }
    SetHasInk(true);
    m_document.SetModifiedFlag(true);
    const CRect rect = picture->GetRect();
    picture->Draw(&m_page.Surface());
    m_document.m_pictures.Add(std::move(picture));
    m_document.m_lines.DrawInRect(&m_page.Surface(), rect);
    m_document.JournalNote();
    Invalidate();
}

void CScrivaView::ReportImageLoad(ImageLoad result)
{
    QString text;
    switch (result) {
    case ImageLoad::NotSupported:
        text = LocalizedString(IDS_IMAGE_TYPE_UNSUPPORTED, QStringLiteral("No Suppost This File Type!"));
        break;
    case ImageLoad::Unreadable:
        text = LocalizedString(IDS_IMAGE_UNREADABLE, QStringLiteral("The image file cannot be read."));
        break;
    case ImageLoad::TooLarge:
        text = LocalizedString(IDS_PICTURE_TOO_LARGE,
                               QStringLiteral("The picture is too large to place on the page."));
        break;
    case ImageLoad::Loaded: return;
    }
    prompts().MessageBox(text, QStringLiteral("Inkleaf"), MB_OK | MB_ICONEXCLAMATION);
}

// Copies the selected picture as it shows on the page, ink included, at full size; only what
// lies on the page. With no picture selected the clipboard keeps what it holds.
void CScrivaView::OnEditCopy()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    CRect r;
    if (!clipboard || !r.IntersectRect(m_document.m_pictures.GetSelectedRect(), m_page.PageRect()))
        return;
    DrawingSurface copy(DrawingSurface::CreateBitmap(r.Width(), r.Height()));
    copy.BitBlt(0, 0, r.Width(), r.Height(), m_page.Surface(), r.left, r.top, SRCCOPY);
    clipboard->setImage(copy.Bitmap());
}

// Places the clipboard's picture at the top-left of the page, over the other pictures and
// under the ink; see-through parts show the page's colour. The picture is content like ink:
// the note counts as changed, so closing asks to save it, and the line spacing, which
// repaints the page without content, stays put.
void CScrivaView::OnEditPaste()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QImage image = clipboard ? clipboard->image() : QImage();
    if (image.isNull())
        return;
    if (!IsPictureSizeAllowed(image.width(), image.height())) {
        ReportImageLoad(ImageLoad::TooLarge);
        return;
    }
    SetHasInk(true);
    auto picture = std::make_unique<CPictureItem>();
    picture->SetBitmap(OpaqueBitmap(image, m_page.m_crBack), image.width(), image.height());
    const CRect rect = picture->GetRect();
    picture->Draw(&m_page.Surface());
    m_document.m_pictures.Add(std::move(picture));
    m_document.m_lines.DrawInRect(&m_page.Surface(), rect);
    m_document.SetModifiedFlag(true);
    m_document.JournalNote();
    Invalidate();
}
