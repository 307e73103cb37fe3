// Letter-mode pen capture: a packet's tip press or release is noted, its place decided (over
// the page, just off it, elsewhere), and then it starts, extends or ends the stroke. Live ink
// is drawn twice: on the window, in screen pixels scaled by the zoom, and into the page
// buffer at scale 1.

#include "CScrivaView.h"

#include "CScreenOverlay.h"

#include <algorithm>
#include <cmath>

namespace {

using Segment = InkRenderer::Segment;

constexpr WORD LowWord(DWORD value) { return WORD(value & 0xFFFF); }
constexpr WORD HighWord(DWORD value) { return WORD(value >> 16); }

}  // namespace

POINT CScrivaView::ScreenToPage(LONG x, LONG y, const CRect& w) const
{
    const QPoint scroll = ScrollPosition();
    return {LONG((scroll.x() - w.left + x) / m_fZoom) - 2 * m_nPageMarginX,
            LONG((scroll.y() - w.top + y) / m_fZoom)};
}

DWORD CScrivaView::PressureLevel(DWORD pressure) const
{
    const bool live = TabletBinding::Instance().IsLoaded() && !m_bReplaying;
    return live ? pressure / DWORD(m_nPressureDivisor) : pressure;
}

SHORT CScrivaView::PacketWidth(DWORD pressure) const
{
    switch (m_nTool) {
    case kPencil: return SHORT((m_nPressureMax / 255) * m_nPencilWidth * 40);
    case kBrush: return SHORT(DWORD(m_nBrushWidth) * PressureLevel(pressure) / 5);
    case kMarker: return SHORT(2 * m_nMarkerWidth);
    default: return 1;  // the eraser's trail
    }
}

bool CScrivaView::CapturePagePacket(DWORD, DWORD buttons, LONG x, LONG y, DWORD pressure)
{
    const CRect window = ScreenRect();
    if (m_fZoom == 0.5f && m_bReplaying)
        x += m_nPageMarginX;
    TrackButtons(buttons);
    const POINT page = ScreenToPage(x, y, window);
    const PenAt at = Classify(page, window);
    if (at == PenAt::Outside)
        return true;
    if (at == PenAt::FirstExit || !m_bButtonDown || !m_bPenDown || pressure == 0) {
        EndStroke();
        return true;
    }
    DiscardRedoOnce();
    const StrokeSample sample = SampleOf({x, y}, page, pressure);
    if (!m_bStroking) {
        BeginStroke(sample, window);
        return true;
    }
    return ExtendStroke(sample, window);
}

// Only the tip writes: the packets alone say when it touches, and the barrel buttons have no
// say in it. The mouse events Qt makes from the pen come at once, ahead of packets still
// queued, and would cut the end off a stroke.
void CScrivaView::TrackButtons(DWORD buttons)
{
    if (LowWord(buttons) != kTipButton)
        return;
    if (HighWord(buttons) == TBN_DOWN)
        m_bPenDown = m_bButtonDown = true;
    else if (HighWord(buttons) == TBN_UP)
        m_bPenDown = m_bButtonDown = false;
}

CScrivaView::PenAt CScrivaView::Classify(POINT page, const CRect& window)
{
    // A replayed packet is never where the pointer is: the pointer may well be over the bar
    // that started the import.
    if (m_bReplaying) {
        m_bPenDown = true;
        return PenAt::Page;
    }
    // Decided on the page itself: the window may stand anywhere on any monitor, and the grey
    // bands beside the page at half zoom are not paper. The pens also need the pointer over
    // the window; the eraser does not.
    const bool inside = m_nTool == kEraser || window.PtInRect(TabletBinding::Instance().CursorPos());
    const bool overPage = page.x >= 0 && page.x < m_page.PageWidth() && page.y >= 0 && page.y < m_page.PageHeight();
    if (overPage && inside) {
        m_bPenDown = true;
        return PenAt::Page;
    }
    if (!m_bStroking || !m_bPenDown)
        return PenAt::Outside;
    // Exits with the pen down alternate between ending the stroke at the first packet outside
    // and passing that one over, so that the stroke ends at the next.
    if (m_bExitPending) {
        m_bExitPending = false;
        return PenAt::Outside;
    }
    m_bExitPending = true;
    m_bPenDown = false;
    return PenAt::FirstExit;
}

CScrivaView::StrokeSample CScrivaView::SampleOf(POINT screen, POINT page, DWORD pressure) const
{
    // Points keep their pressure in the levels a device file carries: written out and read
    // back, a stroke comes back at the widths it was drawn with.
    return {screen, page, PacketWidth(pressure), std::min(PressureLevel(pressure), kMaxDevicePressure),
            m_nTool == kEraser ? 0 : m_page.m_crPen};
}

// The first point makes the stroke. Pencil and brush draw it as a disc; the marker draws
// nothing until it moves, and the eraser's trail shows on the window only.
void CScrivaView::BeginStroke(const StrokeSample& sample, const CRect& window)
{
    RemoveInkTail();
    // Nothing of the previous stroke may reach this one's end segment.
    m_ptPrev = m_ptLast = sample.screen;
    m_nLastWidth = sample.width;
    m_bStroking = true;
    m_pCurLine = std::make_unique<CLine>();
    m_pCurLine->SetColor(sample.color);
    m_pCurLine->SetPenType(WORD(m_nTool), m_nTool != kMarker);
    m_pCurLine->AddPoint(sample.page.x, sample.page.y, sample.width, sample.level, 1);
    if (m_nTool == kMarker)
        return;
    DrawWindowSegment({0, 0}, sample.screen, sample.width, sample.color, Segment::First, window);
    if (m_nTool != kEraser)
        DrawPageSegment({0, 0}, sample.page, sample.width, Segment::First);
}

// Each further point draws the segment to it. Returns false, drawing and adding nothing, when
// a pen other than the marker has not moved.
bool CScrivaView::ExtendStroke(const StrokeSample& sample, const CRect& window)
{
    const POINT lastPage = ScreenToPage(m_ptLast.x, m_ptLast.y, window);
    RemoveInkTail();
    if (m_nTool == kMarker) {
        DrawMarkerSegment(sample, lastPage, window);
    } else {
        if (sample.screen == m_ptLast)
            return false;
        DrawWindowSegment(m_ptLast, sample.screen, sample.width, sample.color, Segment::Middle, window);
        if (m_nTool != kEraser)
            DrawPageSegment(lastPage, sample.page, sample.width, Segment::Middle);
    }
    m_pCurLine->AddPoint(sample.page.x, sample.page.y, sample.width, sample.level, 1);
    m_ptPrev = m_ptLast;
    m_ptLast = sample.screen;
    m_nLastWidth = sample.width;
    return true;
}

// The pen has left the paper (or the page): the stroke goes to the note.
void CScrivaView::EndStroke()
{
    if (!m_bStroking)
        return;
    RemoveInkTail();
    SetHasInk(true);
    m_bPenDown = false;
    m_bStroking = false;
    const int tool = m_pCurLine->GetPenType();
    // The last segment once more as the stroke's end, which tapers it; a tap is its dot alone.
    if ((tool == kPencil || tool == kBrush) && m_pCurLine->GetPointCount() >= 2) {
        const CRect window = ScreenRect();
        DrawWindowSegment(m_ptPrev, m_ptLast, m_nLastWidth, m_page.m_crPen, Segment::Last, window);
        DrawPageSegment(ScreenToPage(m_ptPrev.x, m_ptPrev.y, window), ScreenToPage(m_ptLast.x, m_ptLast.y, window),
                        m_nLastWidth, Segment::Last);
    }
    m_document.m_lines.Add(std::move(m_pCurLine));
    if (tool == kEraser) {
        CRect rc = m_document.m_lines.EraseByLasso();
        if (!rc.IsRectEmpty()) {
            m_document.SetModifiedFlag(true);
            m_document.JournalNote();
            rc.InflateRect(5, 5);
            RedrawPageRect(rc);
        }
        Invalidate();  // takes the eraser's trail off the window
        return;
    }
    m_document.SetModifiedFlag(true);
    m_document.JournalStroke();
}

void CScrivaView::DrawWindowSegment(POINT from, POINT to, SHORT width, COLORREF color, Segment phase,
                                    const CRect& window)
{
    {
        ScopedViewportOrg screen(m_dcWindow, -window.left, -window.top);
        m_rendScreen.DrawSegment(&m_dcWindow, LONG(from.x / m_fZoom), LONG(from.y / m_fZoom), LONG(to.x / m_fZoom),
                                 LONG(to.y / m_fZoom), width, color, phase, m_pCurLine->GetPressureMax(), m_fZoom);
    }
    UpdateScreenRect(m_rendScreen.TakeTouchedRect(), window);
}

void CScrivaView::DrawPageSegment(POINT from, POINT to, SHORT width, Segment phase)
{
    m_rendPage.DrawSegment(&m_page.Surface(), from.x, from.y, to.x, to.y, width, m_page.m_crPen, phase,
                           m_pCurLine->GetPressureMax(), 1.0f);
}

// The marker is a plain line of the mask operation: as wide as the zoom makes it on the
// window, two pixels a width step in the page.
void CScrivaView::DrawMarkerSegment(const StrokeSample& sample, POINT lastPage, const CRect& window)
{
    const int pen = int(2 * m_nMarkerWidth * m_fZoom);
    {
        ScopedViewportOrg screen(m_dcWindow, -window.left, -window.top);
        DrawMarkerLine(m_dcWindow, m_ptLast, sample.screen, pen);
    }
    CRect line(std::min(m_ptLast.x, sample.screen.x), std::min(m_ptLast.y, sample.screen.y),
               std::max(m_ptLast.x, sample.screen.x) + 1, std::max(m_ptLast.y, sample.screen.y) + 1);
    line.InflateRect(pen, pen);
    UpdateScreenRect(line, window);
    DrawMarkerLine(m_page.Surface(), lastPage, sample.page, 2 * m_nMarkerWidth);
}

void CScrivaView::DrawMarkerLine(DrawingSurface& dc, POINT from, POINT to, int width)
{
    ScopedRop2 mask(dc, R2_MASKPEN);
    ScopedPen pen(dc, Pen{PS_INSIDEFRAME, width, m_page.m_crPen});
    dc.MoveTo(from.x, from.y);
    dc.LineTo(to.x, to.y);
}

// Live ink drawn on the window shows once the batch of packets that drew it is done (one
// repaint of what changed, at once), or at the next paint when no batch is under way.
void CScrivaView::UpdateScreenRect(CRect rect, const CRect& window)
{
    rect.OffsetRect(-window.left, -window.top);
    UpdateWindowRect(rect);
}

void CScrivaView::UpdateWindowRect(const CRect& device)
{
    if (device.IsRectEmpty())
        return;
    const double ratio = PixelRatio();
    const QPoint topLeft(int(std::floor(device.left / ratio)), int(std::floor(device.top / ratio)));
    const QPoint end(int(std::ceil(device.right / ratio)), int(std::ceil(device.bottom / ratio)));
    const QRect logical(topLeft, end - QPoint(1, 1));
    if (m_bInBatch)
        m_batchDirty += logical;
    else
        viewport()->update(logical);
}

void CScrivaView::RemoveInkTail()
{
    UpdateWindowRect(m_tail.Remove(m_dcWindow));
    if (m_pScreenOverlay)
        m_pScreenOverlay->RemoveTail();
}

// The pencil and the brush get a tail from where their curves end to the newest packet, about
// as wide as the ink; the marker and the eraser draw every packet at once anyway, and so does
// every pen in inking mode. In desktop mode the tail goes on the overlay.
void CScrivaView::DrawInkTail()
{
    if (!m_bInkTail || !m_bStroking || !m_pCurLine || m_frameMode == FrameMode::Inking)
        return;
    if (m_nTool != kPencil && m_nTool != kBrush)
        return;
    const LONG up = m_rendScreen.ZoomUp();
    const LONG down = std::max<LONG>(1, m_rendScreen.ZoomDown());
    const POINT drawn = m_rendScreen.DrawnEnd();
    const POINT from{drawn.x * up / down, drawn.y * up / down};
    // Ink is solid up to 1.5 widths from its centre line and fades over 255 more distance
    // units, one pixel being Softness() units.
    const LONG softness = std::max<LONG>(1, m_rendScreen.Softness());
    const LONG width = std::max<LONG>(1, 2 * (3 * m_rendScreen.Width() / 2 + 128) / softness * up / down);
    if (m_frameMode == FrameMode::Desktop) {
        if (IsOverlayShown())
            m_pScreenOverlay->DrawTail(from, m_ptLast, int(width), m_pCurLine->GetColor());
        return;
    }
    const CRect window = ScreenRect();
    ScopedViewportOrg screen(m_dcWindow, -window.left, -window.top);
    UpdateWindowRect(m_tail.Draw(m_dcWindow, from, m_ptLast, int(width), m_pCurLine->GetColor()));
}

void CScrivaView::ShowBatch(const PenPacket* packets, int count, bool wasStroking)
{
    const bool onOverlay = m_pScreenOverlay && m_pScreenOverlay->ShowHeldUpdates();
    const bool onWindow = !m_batchDirty.isEmpty();
    if (onWindow)
        viewport()->repaint(m_batchDirty);
    m_batchDirty = QRegion();
    const double shown = LatencyMeter::NowMs();
    if (onWindow || onOverlay) {
        for (int i = 0; i < count; ++i)
            if (packets[i].pressure > 0)
                m_latency.Add(packets[i].time, shown);
    }
    // The readout is itself painted: at most once a second while writing, and at pen-up, which
    // may draw nothing (a plain line ends where its last packet drew it).
    const bool penUp = wasStroking && !m_bStroking;
    const bool writing = (onWindow || onOverlay) && m_bStroking && shown - m_lastLatencyShownMs > 1000;
    if (m_bShowLatency && m_latency.Count() > 0 && (penUp || writing)) {
        m_lastLatencyShownMs = shown;
        emit statusTextChanged(m_latency.StatusText());
    }
}
