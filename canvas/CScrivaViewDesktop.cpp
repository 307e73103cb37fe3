// Desktop-mode pen capture: strokes in screen pixels on the overlay over the frozen screen.
// Live ink goes onto the overlay's window surface and into its back buffer at once; the
// eraser's lasso, undo and redo put the frozen screen back where ink went and draw what stays.

#include "CScrivaView.h"

#include "CScreenOverlay.h"

#include <algorithm>

namespace {

using Segment = InkRenderer::Segment;

constexpr LONG kEraseSlack = 5;
constexpr LONG kUndoSlack = 7;
constexpr LONG kRedoSlack = 5;

constexpr WORD LowWord(DWORD value) { return WORD(value & 0xFFFF); }
constexpr WORD HighWord(DWORD value) { return WORD(value >> 16); }

}  // namespace

bool CScrivaView::CaptureDesktopPacket(DWORD, DWORD buttons, LONG x, LONG y, DWORD pressure)
{
    // Hidden by Escape, or showing a selection: there is nothing to write on.
    if (!IsOverlayShown() || m_pScreenOverlay->IsCaptureMode())
        return false;
    const POINT at{x, y};
    TrackDesktopButtons(buttons, at);
    if (IsDesktopPenElsewhere())
        return false;
    if (pressure == 0 || !m_bPenDown) {
        EndDesktopStroke();
        return true;
    }
    DiscardRedoOnce();
    const StrokeSample sample = DesktopSample(at, pressure);
    if (!m_bStroking) {
        BeginDesktopStroke(sample);
        if (m_nTool != kMarker)
            return true;
    }
    return ExtendDesktopStroke(sample);
}

// A press on the bars is not writing: the pen counts as down only where the frame is not.
void CScrivaView::TrackDesktopButtons(DWORD buttons, POINT at)
{
    if (LowWord(buttons) != kTipButton)
        return;
    if (HighWord(buttons) == TBN_DOWN) {
        m_ptLast = at;
        if (!Overlay().FrameRect().PtInRect(at))
            m_bPenDown = true;
    } else if (HighWord(buttons) == TBN_UP) {
        m_bPenDown = false;
    }
}

bool CScrivaView::IsDesktopPenElsewhere() const
{
    return m_penWidthPopupTool != 0 || m_nParkDepth > 0;
}

// Pressure is taken as it comes: the brush's width follows the tablet's own levels here.
CScrivaView::StrokeSample CScrivaView::DesktopSample(POINT screen, DWORD pressure) const
{
    SHORT width = 1;
    switch (m_nTool) {
    case kPencil: width = SHORT((m_nPressureMax / 255) * m_nPencilWidth * 40); break;
    case kBrush: width = SHORT(DWORD(m_nBrushWidth) * pressure / 5); break;
    case kMarker: width = SHORT(2 * m_nMarkerWidth); break;
    default: break;
    }
    return {screen, screen, width, pressure, m_nTool == kEraser ? 0 : m_page.m_crPen};
}

void CScrivaView::BeginDesktopStroke(const StrokeSample& sample)
{
    RemoveInkTail();
    m_ptPrev = m_ptLast = sample.screen;
    m_nLastWidth = sample.width;
    m_bStroking = true;
    m_pCurLine = std::make_unique<CLine>();
    m_pCurLine->SetColor(sample.color);
    m_pCurLine->SetPenType(WORD(m_nTool), m_nTool != kMarker);
    m_pCurLine->AddPoint(sample.screen.x, sample.screen.y, sample.width);
    if (m_nTool != kMarker)
        DrawOverlaySegment({0, 0}, sample.screen, sample.width, sample.color, Segment::First);
}

// The marker's first point is its line's start: it is stored twice, as the stroke begins and
// as its first segment.
bool CScrivaView::ExtendDesktopStroke(const StrokeSample& sample)
{
    RemoveInkTail();  // the renderer blends with the window's pixels
    if (m_nTool == kMarker) {
        DrawOverlayMarker(m_ptLast, sample.screen);
    } else {
        if (sample.screen == m_ptLast)
            return false;
        DrawOverlaySegment(m_ptLast, sample.screen, sample.width, sample.color, Segment::Middle);
    }
    m_pCurLine->AddPoint(sample.screen.x, sample.screen.y, sample.width);
    m_ptPrev = m_ptLast;
    m_ptLast = sample.screen;
    m_nLastWidth = sample.width;
    return true;
}

// No end segment here: the stroke ends where its last segment did.
void CScrivaView::EndDesktopStroke()
{
    if (!m_bStroking)
        return;
    RemoveInkTail();
    SetHasInk(true);
    m_bStroking = false;
    m_bPenDown = false;
    const bool eraser = m_pCurLine->GetPenType() == kEraser;
    CRect rc = m_pCurLine->GetBounds();
    m_document.m_lines.Add(std::move(m_pCurLine));
    if (!eraser) {
        m_document.SetModifiedFlag(true);
        return;
    }
    CRect erased = m_document.m_lines.EraseByLasso();
    if (!erased.IsRectEmpty()) {
        m_document.SetModifiedFlag(true);
        erased.InflateRect(kEraseSlack, kEraseSlack);
        rc.UnionRect(rc, erased);
    }
    rc.InflateRect(kEraseSlack, kEraseSlack);
    RestoreOverlayRect(rc);
    Overlay().raise();
}

void CScrivaView::DrawOverlaySegment(POINT from, POINT to, SHORT width, COLORREF color, Segment phase)
{
    CScreenOverlay& overlay = Overlay();
    const LONG pressureMax = m_pCurLine->GetPressureMax();
    m_rendScreen.DrawSegment(&overlay.WindowSurface(), from.x, from.y, to.x, to.y, width, color, phase, pressureMax,
                             1.0f);
    m_rendPage.DrawSegment(&overlay.BackBuffer(), from.x, from.y, to.x, to.y, width, color, phase, pressureMax, 1.0f);
    m_rendPage.TakeTouchedRect();
    overlay.UpdateScreenRect(m_rendScreen.TakeTouchedRect());
}

void CScrivaView::DrawOverlayMarker(POINT from, POINT to)
{
    CScreenOverlay& overlay = Overlay();
    const int pen = int(2 * m_nMarkerWidth * m_fZoom);
    DrawMarkerLine(overlay.WindowSurface(), from, to, pen);
    DrawMarkerLine(overlay.BackBuffer(), from, to, pen);
    CRect line(std::min(from.x, to.x), std::min(from.y, to.y), std::max(from.x, to.x) + 1, std::max(from.y, to.y) + 1);
    line.InflateRect(pen, pen);
    overlay.UpdateScreenRect(line);
}

void CScrivaView::RestoreOverlayRect(CRect rect)
{
    CScreenOverlay& overlay = Overlay();
    CRect shown;
    if (!shown.IntersectRect(rect, overlay.ScreenRect()))
        return;
    DrawingSurface& back = overlay.BackBuffer();
    back.BitBlt(shown.left, shown.top, shown.Width(), shown.Height(), m_dcDesktop, shown.left, shown.top, SRCCOPY);
    m_document.m_lines.DrawInRect(&back, shown);
    overlay.ShowBackBuffer(shown);
}

void CScrivaView::DiscardRedoOnce()
{
    if (!m_bDiscardRedo)
        return;
    m_bDiscardRedo = false;
    m_document.m_lines.ClearRedo();
}

// Undo and redo on the overlay: the frozen screen comes back under an undone stroke; a redone
// stroke is drawn into the back buffer and shown.
void CScrivaView::UndoOnOverlay()
{
    CRect rc = m_document.m_lines.Undo();
    m_bDiscardRedo = true;
    rc.InflateRect(kUndoSlack, kUndoSlack);
    RestoreOverlayRect(rc);
}

void CScrivaView::RedoOnOverlay()
{
    CLines& lines = m_document.m_lines;
    const bool erases = lines.RedoErases();
    CRect rc = lines.Redo(&Overlay().BackBuffer());
    rc.InflateRect(kRedoSlack, kRedoSlack);
    if (erases)
        RestoreOverlayRect(rc);
    else
        Overlay().ShowBackBuffer(rc);
}
