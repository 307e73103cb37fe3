#include "CScrivaView.h"

#include "CScreenOverlay.h"

#include "platform/CommandIds.h"
#include "platform/Prompts.h"
#include "platform/ScreenMetrics.h"
#include "platform/Settings.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {
constexpr COLORREF kMarginGrey = RGB(200, 200, 200);
constexpr LONG kUndoSlack = 7;
constexpr LONG kRedoSlack = 5;

// Fills window outside inner (device pixels) with color.
void FillAround(DrawingSurface& window, const CRect& inner, COLORREF color)
{
    const LONG cw = window.DeviceWidth();
    const LONG ch = window.DeviceHeight();
    const LONG top = std::clamp<LONG>(inner.top, 0, ch);
    const LONG bottom = std::clamp<LONG>(inner.bottom, top, ch);
    window.FillSolidRect(CRect(0, 0, cw, top), color);
    window.FillSolidRect(CRect(0, bottom, cw, ch), color);
    window.FillSolidRect(CRect(0, top, std::clamp<LONG>(inner.left, 0, cw), bottom), color);
    window.FillSolidRect(CRect(std::clamp<LONG>(inner.right, 0, cw), top, cw, bottom), color);
}
}  // namespace

CScrivaView::CScrivaView(CScrivaDoc& document, QWidget* parent)
    : QAbstractScrollArea(parent), m_document(document), m_page(ScreenMetrics::DesktopRect())
{
    setFrameShape(QFrame::NoFrame);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAttribute(Qt::WA_NoSystemBackground);
    m_importTimer.setSingleShot(true);
    connect(&m_importTimer, &QTimer::timeout, this, &CScrivaView::OnTimer);
    m_reopenTimer.setSingleShot(true);
    connect(&m_reopenTimer, &QTimer::timeout, this, &CScrivaView::ReopenTabletContext);
    // A tablet plugged in, or a pen that connects, after start-up writes at once.
    connect(&TabletBinding::Instance(), &TabletBinding::tabletArrived, this, &CScrivaView::OpenTablet);

    m_page.ReadSettings(SettingsFilePath());
    m_bInkTail = ReadSetting(Settings::InkTail) != 0;
    m_bShowLatency = ReadSetting(Settings::Latency) == 1;
    m_page.SetContent(&document.m_lines, &document.m_pictures);
    m_page.SetBandDrawnHandler([this](const CRect& part) { ShowPagePart(part); });
    SetScrollSizesForZoom(int(m_fZoom));
    m_page.DrawRuledLines(false);
    document.SetView(this);
    viewport()->setMouseTracking(true);
    OpenTablet();
    UpdatePenCursor();
}

double CScrivaView::PixelRatio() const
{
    return devicePixelRatioF();
}

bool CScrivaView::OnCommand(UINT id)
{
    switch (id) {
    case IDC_ZOOM_IN: OnZoomIn(); return true;
    case IDC_ZOOM_OUT: OnZoomOut(); return true;
    case IDC_ADD_LINE: AddPageLength(); return true;
    case IDC_LINE_COLOR: OnSetLineColor(); return true;
    case IDC_UNDO: OnUndo(); return true;
    case IDC_REDO: OnRedo(); return true;
    case IDC_MINIMIZE: OnMinimize(); return true;
    case IDC_SCALE: OnToggleMaximize(); return true;
    case IDC_PENCIL: OnPencil(); return true;
    case IDC_BRUSH: OnBrush(); return true;
    case IDC_MARKER: OnMarker(); return true;
    case IDC_ERASER: OnEraser(); return true;
    case IDC_MOVE_PICTURE: OnMovePicture(); return true;
    case IDC_INSERT_IMAGE: OnInsertImage(); return true;
    case ID_FILE_PRINT: OnFilePrint(); return true;
    case ID_FILE_PRINT_DIRECT: OnFilePrintDirect(); return true;
    case ID_FILE_PRINT_PREVIEW: OnFilePrintPreview(); return true;
    case ID_EDIT_COPY: OnEditCopy(); return true;
    case ID_EDIT_PASTE: OnEditPaste(); return true;
    case ID_START_WRITE: OnStartToWrite(); return true;
    case ID_INKING: OnInking(); return true;
    case ID_CANCEL_WRITE: OnInkingCancel(); return true;
    case IDC_PENCIL_THICKNESS:
    case IDC_BRUSH_THICKNESS:
    case IDC_MARKER_THICKNESS: {
        const int tool = id == IDC_PENCIL_THICKNESS ? kPencil : id == IDC_BRUSH_THICKNESS ? kBrush : kMarker;
        SetPenWidthPopupTool(m_penWidthPopupTool == tool ? 0 : tool);  // opens, or closes when open
        return true;
    }
    case IDC_TEST:
    case IDC_HIDDEN: return true;  // accepted; they only hold the keyboard focus
    default:
        if (id >= ID_PEN_WIDTH1 && id <= ID_PEN_WIDTH5) {
            if (m_penWidthPopupTool)
                SetToolWidth(m_penWidthPopupTool, int(id - ID_PEN_WIDTH1) + 1);
            return true;
        }
        return OnPictureCommand(id);
    }
}

void CScrivaView::UpdatePageMargin()
{
    // The same value painting works out: the page is centred on the screen at half zoom.
    const LONG screen = ScreenMetrics::ScreenSize().width();
    m_nPageMarginX = m_fZoom < 1.0f ? int(screen / 2.0 - screen * m_fZoom * 0.5) : 0;
}

void CScrivaView::SetScrollSizesForZoom(int zoom)
{
    UpdatePageMargin();
    // The scrollable area ends where OnDraw's page ends (right of the grey band at half zoom),
    // so that the page's last pixels can be seen and written on.
    const double scale = zoom < 1 ? 0.5 : zoom;
    m_totalSize = QSize(m_nPageMarginX + int(m_page.PageWidth() * scale), int(m_page.PageHeight() * scale));
    UpdateScrollBars();
}

void CScrivaView::UpdateScrollBars()
{
    const QSize client = viewport()->size() * PixelRatio();
    horizontalScrollBar()->setRange(0, std::max(0, m_totalSize.width() - client.width()));
    verticalScrollBar()->setRange(0, std::max(0, m_totalSize.height() - client.height()));
    horizontalScrollBar()->setPageStep(client.width());
    verticalScrollBar()->setPageStep(client.height());
    horizontalScrollBar()->setSingleStep(std::max(1, client.width() / 100));
    verticalScrollBar()->setSingleStep(std::max(1, client.height() / 100));
}

QPoint CScrivaView::ScrollPosition() const
{
    return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void CScrivaView::ScrollTo(int x, int y)
{
    horizontalScrollBar()->setValue(x);
    verticalScrollBar()->setValue(y);
    Invalidate();
}

POINT CScrivaView::WindowToPage(POINT client) const
{
    const QPoint scroll = ScrollPosition();
    return {LONG((scroll.x() + client.x) / m_fZoom) - 2 * m_nPageMarginX, LONG((scroll.y() + client.y) / m_fZoom)};
}

void CScrivaView::OnZoomIn()
{
    if (m_fZoom >= 4.0f)
        return;
    m_fZoom *= 2;
    SetScrollSizesForZoom(int(m_fZoom));
    Invalidate();
}

void CScrivaView::OnZoomOut()
{
    if (m_fZoom <= 0.5f)
        return;
    m_fZoom /= 2;
    SetScrollSizesForZoom(int(m_fZoom));
    if (m_fZoom == 0.5f)
        ScrollTo(0, 0);
    Invalidate();
}

void CScrivaView::OnDraw(QImage& image)
{
    DrawingSurface window(std::move(image));
    OnDraw(window);
    image = window.SelectBitmap(QImage());
}

void CScrivaView::OnDraw(DrawingSurface& window)
{
    const LONG cw = window.DeviceWidth();
    const LONG ch = window.DeviceHeight();
    const QPoint scroll = ScrollPosition();
    const DrawingSurface& page = m_page.Surface();
    const LONG w = m_page.PageWidth();
    const LONG h = m_page.PageHeight();

    if (m_fZoom >= 1.0f) {
        window.StretchBlt(0, 0, cw, ch, page, LONG(scroll.x() / m_fZoom), LONG(scroll.y() / m_fZoom),
                          LONG(cw / m_fZoom), LONG(ch / m_fZoom), SRCCOPY);
        // Beside or below a page narrower or shorter than the window: black.
        const LONG pageRight = LONG(w * m_fZoom) - scroll.x();
        const LONG pageBottom = LONG(h * m_fZoom) - scroll.y();
        if (pageRight < cw && !m_bInkingLaunch)
            window.FillSolidRect(CRect(pageRight, 0, cw, ch), RGB(0, 0, 0));
        if (pageBottom < ch)
            window.FillSolidRect(CRect(0, pageBottom, cw, ch), RGB(0, 0, 0));
        m_nPageMarginX = 0;
    } else {
        const QSize screen = ScreenMetrics::ScreenSize();
        const LONG s = screen.width();
        m_nPageMarginX = int(s / 2.0 - s * m_fZoom * 0.5);
        // Grey all round the page (the bands beside it, and below a short page); the page's own
        // pixels are written once, by the stretch.
        const CRect shown(m_nPageMarginX - scroll.x(), -scroll.y(), m_nPageMarginX - scroll.x() + LONG(w * m_fZoom),
                          LONG(h * m_fZoom) - scroll.y());
        FillAround(window, shown, kMarginGrey);
        ScopedViewportOrg scrolled(window, -scroll.x(), -scroll.y());
        window.StretchBlt(m_nPageMarginX, 0, LONG(w * m_fZoom), LONG(h * m_fZoom), page, 0, 0, w, h, SRCCOPY);
    }
    // The selected picture's frame is the window's: exports, prints and mail never show it.
    const POINT pageOrigin{LONG(2 * m_nPageMarginX * m_fZoom) - scroll.x(), -scroll.y()};
    m_document.m_pictures.DrawSelectionFrame(&window, m_fZoom, pageOrigin);
}

void CScrivaView::Invalidate()
{
    m_windowDirty = true;
    viewport()->update();
}

void CScrivaView::ShowPagePart(const CRect& part)
{
    if (!viewport()->isVisible() || m_dcWindow.IsNull())
        return;
    const CRect client(0, 0, m_dcWindow.DeviceWidth(), m_dcWindow.DeviceHeight());
    if (m_pageFill == PageFill::RuledPage || (m_pageFill == PageFill::None && part == m_page.PageRect())) {
        // The ruled page, before any band is drawn on it: the whole window at once.
        OnDraw(m_dcWindow);
        m_windowDirty = false;
        m_tail.Drop();  // drawn over with the page
        viewport()->repaint();
        if (m_pageFill == PageFill::RuledPage) {
            m_pageFill = PageFill::Bands;
            CRect page;
            page.IntersectRect(WindowPixelsOver(m_page.PageRect(), false), client);
            m_pageUnshown = QRegion(page.left, page.top, page.Width(), page.Height());
        }
        return;
    }
    // A window row at a band's edge may take its pixels from the neighbouring band, still
    // being drawn: those rows are shown once the page is done.
    CRect shown;
    if (!shown.IntersectRect(WindowPixelsOver(part, true), client))
        return;
    {
        ScopedClipRect clip(m_dcWindow, shown);
        OnDraw(m_dcWindow);
    }
    m_pageUnshown -= QRegion(shown.left, shown.top, shown.Width(), shown.Height());
    viewport()->repaint(LogicalRect(shown));
}

CRect CScrivaView::WindowPixelsOver(const CRect& part, bool inset) const
{
    const double ratio = PixelRatio();
    const QPoint scroll = ScrollPosition();
    const double zoom = m_fZoom;
    const double left = m_fZoom >= 1.0f ? 0 : m_nPageMarginX;
    const double x0 = (left + part.left * zoom - scroll.x()) * ratio;
    const double x1 = (left + part.right * zoom - scroll.x()) * ratio;
    const double y0 = (part.top * zoom - scroll.y()) * ratio;
    const double y1 = (part.bottom * zoom - scroll.y()) * ratio;
    if (inset)
        return CRect(LONG(std::ceil(x0)), LONG(std::ceil(y0)) + 1, LONG(std::floor(x1)), LONG(std::floor(y1)) - 1);
    return CRect(LONG(std::floor(x0)), LONG(std::floor(y0)), LONG(std::ceil(x1)), LONG(std::ceil(y1)));
}

QRect CScrivaView::LogicalRect(const CRect& device) const
{
    const double ratio = PixelRatio();
    const QPoint topLeft(int(std::floor(device.left / ratio)), int(std::floor(device.top / ratio)));
    const QPoint end(int(std::ceil(device.right / ratio)), int(std::ceil(device.bottom / ratio)));
    return QRect(topLeft, end - QPoint(1, 1));
}

void CScrivaView::ShowRestOfPage()
{
    m_pageFill = PageFill::None;
    QRegion logical;
    for (const QRect& rest : m_pageUnshown) {
        const CRect device(rest.left(), rest.top(), rest.right() + 1, rest.bottom() + 1);
        ScopedClipRect clip(m_dcWindow, device);
        OnDraw(m_dcWindow);
        logical += LogicalRect(device);
    }
    m_pageUnshown = QRegion();
    if (!logical.isEmpty())
        viewport()->repaint(logical);
}

// The window keeps what was drawn on it (live ink) until it is invalidated; only then is it
// rendered again from the page buffer.
void CScrivaView::paintEvent(QPaintEvent* event)
{
    const double ratio = PixelRatio();
    const QSize client = viewport()->size() * ratio;
    if (QSize(m_dcWindow.DeviceWidth(), m_dcWindow.DeviceHeight()) != client) {
        QImage image = DrawingSurface::CreateBitmap(client.width(), client.height());
        image.setDevicePixelRatio(ratio);
        m_dcWindow.SelectBitmap(std::move(image));
        m_windowDirty = true;
    }
    if (m_windowDirty) {
        OnDraw(m_dcWindow);
        m_windowDirty = false;
        m_tail.Drop();  // drawn over with the page
    }
    // Live ink asks for the rectangles it drew in: only those are copied to the screen.
    const QRect exposed = event->rect();
    QPainter painter(viewport());
    painter.drawImage(exposed, m_dcWindow.Bitmap(),
                      QRectF(exposed.x() * ratio, exposed.y() * ratio, exposed.width() * ratio, exposed.height() * ratio));
    if (m_afterFirstPaint)
        QTimer::singleShot(0, this, [this] { RunAfterFirstPaint(); });
}

void CScrivaView::CallAfterFirstPaint(std::function<void()> call)
{
    m_afterFirstPaint = std::move(call);
    QTimer::singleShot(1000, this, [this] { RunAfterFirstPaint(); });
}

void CScrivaView::RunAfterFirstPaint()
{
    if (!m_afterFirstPaint)
        return;
    const std::function<void()> call = std::move(m_afterFirstPaint);
    m_afterFirstPaint = nullptr;
    call();
}

void CScrivaView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void CScrivaView::scrollContentsBy(int, int)
{
    Invalidate();
}

// Ctrl with the wheel zooms, as elsewhere on the desktop; the wheel alone scrolls.
void CScrivaView::wheelEvent(QWheelEvent* event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    const int steps = event->angleDelta().y();
    if (steps > 0)
        OnZoomIn();
    else if (steps < 0)
        OnZoomOut();
    event->accept();
}

void CScrivaView::SetPageSettings(const PageSettings& settings)
{
    m_page.SetPageSettings(settings);
    SetScrollSizesForZoom(int(m_fZoom));
    Invalidate();
}

void CScrivaView::DrawRuledLines(bool withContent)
{
    if (!withContent) {
        m_page.DrawRuledLines(false);
        Invalidate();
        return;
    }
    // With a shown window the page goes up as it fills, and only what the bands left out is
    // drawn at the end: the whole window is drawn once, not again after the page.
    m_pageFill = PageFill::RuledPage;
    m_pageUnshown = QRegion();
    try {
        m_page.DrawRuledLines(true);
    } catch (...) {
        m_pageFill = PageFill::None;
        Invalidate();
        throw;
    }
    if (m_pageFill == PageFill::Bands) {
        ShowRestOfPage();
    } else {
        m_pageFill = PageFill::None;
        Invalidate();  // nothing was shown: the next paint draws the window
    }
}

void CScrivaView::RedrawPageRect(const RECT& rect)
{
    m_page.RedrawPageRect(rect);
}

void CScrivaView::ResetPage()
{
    m_nViewMode = 0;
    m_bButtonDown = false;
    m_bStroking = false;
    m_pCurLine.reset();
    m_bHasInk = false;
    m_bDiscardRedo = false;
    m_page.ResetPageRect();  // rebuilds the buffer when the page had been lengthened
    SetScrollSizesForZoom(int(m_fZoom));
    // A new note over the frozen screen: the overlay shows the bare screen again.
    if (m_frameMode != FrameMode::Letter && IsOverlayShown() && !m_pScreenOverlay->IsCaptureMode())
        ShowSnapshotInOverlay();
}

void CScrivaView::AddPageLength()
{
    const QPoint scroll = ScrollPosition();
    m_page.AddPageLength();
    m_document.JournalNote();
    SetScrollSizesForZoom(int(m_fZoom));
    ScrollTo(scroll.x(), scroll.y() + m_page.Desktop().Width() * 2 / 3);
}

void CScrivaView::OnSetLineColor()
{
    ScopedTabletPark park(this);
    const auto colour = prompts().ChooseColor(m_page.m_crLine);
    if (!colour)
        return;
    m_page.m_crLine = *colour;
    m_document.JournalNote();
    DrawRuledLines(true);
}

void CScrivaView::OnUndo()
{
    SetPenWidthPopupTool(0);
    CLines& lines = m_document.m_lines;
    if (!lines.CanUndo())
        return;
    if (m_frameMode != FrameMode::Letter) {
        if (IsOverlayShown())
            UndoOnOverlay();
        return;
    }
    const int shown = lines.GetCount();
    CRect rc = lines.Undo();
    // A stroke undone is the last one shown; an erase undone puts strokes back anywhere.
    if (lines.GetCount() == shown - 1)
        m_document.JournalUndoneStroke();
    else
        m_document.JournalNote();
    m_bDiscardRedo = true;
    rc.InflateRect(kUndoSlack, kUndoSlack);
    RedrawPageRect(rc);  // the strokes around the undone one with it, once
    Invalidate();
}

void CScrivaView::OnRedo()
{
    SetPenWidthPopupTool(0);
    if (m_frameMode != FrameMode::Letter) {
        if (IsOverlayShown())
            RedoOnOverlay();
        return;
    }
    CLines& lines = m_document.m_lines;
    // A stroke redone is drawn over the page; an erase redone leaves a hole to repaint.
    const bool erases = lines.RedoErases();
    const int shown = lines.GetCount();
    CRect rc = lines.Redo(&m_page.Surface());
    if (erases)
        m_document.JournalNote();
    else if (lines.GetCount() > shown)
        m_document.JournalStroke();
    rc.InflateRect(kRedoSlack, kRedoSlack);
    if (erases)
        RedrawPageRect(rc);
    Invalidate();
}

void CScrivaView::RefreshPictureArea()
{
    const CRect rc = m_document.m_pictures.Deselect();
    if (rc.IsRectEmpty())
        return;
    RedrawPageRect(rc);
    Invalidate();
}

void CScrivaView::OnMinimize()
{
    window()->showMinimized();
}

void CScrivaView::OnToggleMaximize()
{
    if (window()->isMaximized())
        window()->showNormal();
    else
        window()->showMaximized();
}


