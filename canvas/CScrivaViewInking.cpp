// Inking mode: the pen writes over other programs on the frozen screen, and Inking puts the
// handwriting into the program under it as a picture. The strokes are in screen pixels, drawn
// live as plain pen lines on the overlay; the pictures handed over are drawn from the strokes.

#include "CScrivaView.h"

#include "CScreenOverlay.h"

#include "inking/InkInserter.h"
#include "platform/CommandIds.h"
#include "platform/Prompts.h"
#include "platform/StringSource.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <algorithm>

namespace {

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr LONG kEraseSlack = 5;
constexpr LONG kGenericFillSlack = 5;  // the white fill reaches past the bitmap on every side

constexpr WORD LowWord(DWORD value) { return WORD(value & 0xFFFF); }
constexpr WORD HighWord(DWORD value) { return WORD(value >> 16); }

}  // namespace

void CScrivaView::SetInkInserter(std::unique_ptr<IInkInserter> inserter)
{
    m_inkInserter = std::move(inserter);
}

IInkInserter& CScrivaView::InkInserter()
{
    if (!m_inkInserter)
        m_inkInserter = std::make_unique<::InkInserter>();
    return *m_inkInserter;
}

// ---------------------------------------------------------------------------------------------
// Start to write, Cancel

// Any overlay already up (desktop mode's, a selection's, a write-over's) is the one the pen
// has: a second one over it would freeze a screen that shows the first.
void CScrivaView::OnStartToWrite()
{
    if (m_bWriteOver || IsOverlayShown() || m_frameMode != FrameMode::Inking)
        return;
    if (m_hTabletContext)
        TabletBinding::Instance().WTOverlap(m_hTabletContext, true);
    else
        OpenTablet();
    SetPenWidthPopupTool(0);
    emit writeOverBegun();
    if (!ShowSnapshotOverlay()) {
        emit writeOverEnded();
        return;
    }
    m_bWriteOver = true;
    m_bStartedToWrite = true;
    m_bStroking = false;
    m_bPenDown = false;
    Overlay().SetCaptureMode(false);
    ShowFrame();
    UpdatePenCursor();
}

void CScrivaView::OnInkingCancel()
{
    SetPenWidthPopupTool(0);
    if (m_pScreenOverlay)
        m_pScreenOverlay->hide();
    ReleaseSnapshot();
    m_bWriteOver = false;
    m_bStroking = false;
    m_pCurLine.reset();
    emit writeOverEnded();
    if (m_document.m_lines.GetCount() > 0) {
        m_document.m_lines.RemoveAll();
        m_document.m_lines.ClearRedo();
    }
}

// ---------------------------------------------------------------------------------------------
// Inking

void CScrivaView::OnInking()
{
    // 1. The pen is done writing.
    if (m_bStroking)
        EndInkingStroke();
    m_bWriteOver = false;
    CloseTabletContext();
    // 2. The bars go back to Start to write.
    SetPenWidthPopupTool(0);
    emit writeOverEnded();
    QCoreApplication::processEvents();
    prompts().SetWaitCursor(true);
    // 3. What was written, and where.
    const CLines& lines = m_document.m_lines;
    const CRect rcAll = lines.GetBounds();
    const CRect rcMarker = lines.GetMarkerBounds();
    const CRect rcOther = lines.GetInkBounds();
    // 4. Nothing written: nothing to hand over.
    if (rcAll.IsRectEmpty()) {
        prompts().SetWaitCursor(false);
        EndWriteOver();
        return;
    }
    // 5. The program under the ink shows again before it is asked to take it.
    if (m_pScreenOverlay)
        m_pScreenOverlay->hide();
    QCoreApplication::processEvents();
    // 6.-8. The office programs take two pictures, every other program one.
    const CRect rcFirst = rcOther.IsRectEmpty() ? rcMarker : rcOther;
    const InkHandOver handed = InkInserter().OfficeBegin(*this, rcFirst) ? InsertOffice(rcOther, rcMarker)
                                                                        : InsertGeneric(rcAll);
    prompts().SetWaitCursor(false);
    // 9. The strokes go once something took them; the handwriting is never lost silently.
    switch (handed) {
    case InkHandOver::Pasted: EndWriteOver(); break;
    case InkHandOver::OnClipboard:
        EndWriteOver();
        emit inkingNotice(LocalizedString(IDS_INK_ON_CLIPBOARD,
                                          QStringLiteral("The ink is on the clipboard: paste it (Ctrl+V) where it "
                                                         "should go.")));
        break;
    case InkHandOver::NotTaken:
        KeepWriteOver(LocalizedString(IDS_INK_NOT_TAKEN,
                                      QStringLiteral("No program took the ink: it stays on the screen. Write over "
                                                     "a program's window and press Inking again, or Cancel.")));
        break;
    }
}

// Pencil and brush ink first, then the marker's, each only as large as its own strokes.
InkHandOver CScrivaView::InsertOffice(const CRect& rcOther, const CRect& rcMarker)
{
    IInkInserter& inserter = InkInserter();
    InkHandOver handed = InkHandOver::Pasted;
    auto worse = [&handed](InkHandOver pass) {
        if (pass == InkHandOver::NotTaken || (pass == InkHandOver::OnClipboard && handed == InkHandOver::Pasted))
            handed = pass;
    };
    if (!rcOther.IsRectEmpty()) {
        DrawingSurface dc = InkBitmap(rcOther, false);
        worse(inserter.OfficeInsert(*this, rcOther, dc, false));
        inserter.OfficeEnd();
    }
    if (!rcMarker.IsRectEmpty()) {
        if (!rcOther.IsRectEmpty())
            inserter.OfficeBegin(*this, rcMarker);
        DrawingSurface dc = InkBitmap(rcMarker, true);
        worse(inserter.OfficeInsert(*this, rcMarker, dc, true));
        inserter.OfficeEnd();
    }
    return handed;
}

InkHandOver CScrivaView::InsertGeneric(const CRect& rcAll)
{
    IInkInserter& inserter = InkInserter();
    inserter.OfficeEnd();
    DrawingSurface dc = InkBitmap(rcAll, std::nullopt);
    return inserter.Insert(*this, rcAll, dc);
}

DrawingSurface CScrivaView::InkBitmap(const CRect& ink, std::optional<bool> marker) const
{
    DrawingSurface dc(DrawingSurface::CreateBitmap(ink.Width(), ink.Height()));
    CRect fill(0, 0, ink.Width(), ink.Height());
    if (!marker)
        fill.InflateRect(kGenericFillSlack, kGenericFillSlack);
    dc.FillSolidRect(fill, kWhite);
    {
        ScopedViewportOrg origin(dc, -ink.left, -ink.top);
        const CLines& lines = m_document.m_lines;
        for (int i = 0; i < lines.GetCount(); ++i) {
            const CLine* line = lines.GetAt(i);
            if (!marker || (line->GetPenType() == kMarker) == *marker)
                line->Draw(&dc);
        }
    }
    return dc;
}

// The write-over is over: the overlay goes, with the strokes, and the pen is back.
void CScrivaView::EndWriteOver()
{
    OpenTablet();
    viewport()->setCursor(Qt::ArrowCursor);
    HideOverlay();
    m_document.m_lines.RemoveAll();
    m_document.m_lines.ClearRedo();
}

// Nothing took the ink: the overlay comes back with the strokes on it, for another try.
void CScrivaView::KeepWriteOver(const QString& why)
{
    OpenTablet();
    m_bWriteOver = true;
    emit writeOverBegun();
    Overlay().ShowOnTop();
    ShowFrame();
    emit inkingNotice(why);
}

void CScrivaView::OnRenderFormat(const QString& format)
{
    InkInserter().RenderFormat(*this, format);
    InkInserter().RenderFormatHtmlTimeOut(*this);
}

void CScrivaView::OnRenderAllFormats()
{
    InkInserter().RenderFormat(*this, QString());
}

// ---------------------------------------------------------------------------------------------
// Pen capture

bool CScrivaView::CaptureInkingPacket(DWORD, DWORD buttons, LONG x, LONG y, DWORD pressure)
{
    // 1. Only a write-over with its overlay up takes ink.
    if (IsInkingPenElsewhere())
        return false;
    // 2. A press on the bars is not writing.
    const POINT at{x, y};
    if (LowWord(buttons) == kTipButton) {
        if (HighWord(buttons) == TBN_DOWN)
            m_bPenDown = !Overlay().FrameRect().PtInRect(at);
        else if (HighWord(buttons) == TBN_UP)
            m_bPenDown = false;
    }
    // 5. Lifted: the stroke is done.
    if (pressure == 0 || !m_bPenDown) {
        EndInkingStroke();
        return true;
    }
    // 3. and 4. The first point is the start of the first line: stored twice.
    DiscardRedoOnce();
    const StrokeSample sample = InkingSample(at, pressure);
    if (!m_bStroking)
        BeginInkingStroke(sample);
    ExtendInkingStroke(sample);
    return true;
}

bool CScrivaView::IsInkingPenElsewhere() const
{
    return !m_bWriteOver || !IsOverlayShown() || m_pScreenOverlay->IsCaptureMode() || m_penWidthPopupTool != 0
        || m_nParkDepth > 0;
}

// Widths are pixels of the pen: the width step itself for the pencil, the brush's grows with
// the pressure, the marker is twice the step.
CScrivaView::StrokeSample CScrivaView::InkingSample(POINT screen, DWORD pressure) const
{
    SHORT width = 1;
    switch (m_nTool) {
    case kPencil: width = SHORT(m_nPencilWidth); break;
    case kBrush: width = SHORT(DWORD(m_nBrushWidth) * pressure / 200); break;
    case kMarker: width = SHORT(2 * m_nMarkerWidth); break;
    default: break;
    }
    return {screen, screen, width, pressure, m_nTool == kEraser ? 0 : m_page.m_crPen};
}

void CScrivaView::BeginInkingStroke(const StrokeSample& sample)
{
    m_ptPrev = m_ptLast = sample.screen;
    m_bStroking = true;
    m_pCurLine = std::make_unique<CLine>();
    m_pCurLine->SetColor(sample.color);
    m_pCurLine->SetPenType(WORD(m_nTool), 0);
    m_pCurLine->AddPoint(sample.screen.x, sample.screen.y, sample.width);
}

void CScrivaView::ExtendInkingStroke(const StrokeSample& sample)
{
    DrawInkingLine(m_ptLast, sample.screen, sample.width, sample.color);
    m_pCurLine->AddPoint(sample.screen.x, sample.screen.y, sample.width);
    m_ptPrev = m_ptLast;
    m_ptLast = sample.screen;
    m_nLastWidth = sample.width;
}

// The note is not changed by a write-over: nothing to save, nothing to ask about later.
void CScrivaView::EndInkingStroke()
{
    if (!m_bStroking)
        return;
    m_bStroking = false;
    m_bPenDown = false;
    const bool eraser = m_pCurLine->GetPenType() == kEraser;
    CRect rc = m_pCurLine->GetBounds();
    m_document.m_lines.Add(std::move(m_pCurLine));
    if (!eraser)
        return;
    CRect erased = m_document.m_lines.EraseByLasso();
    if (!erased.IsRectEmpty()) {
        erased.InflateRect(kEraseSlack, kEraseSlack);
        rc.UnionRect(rc, erased);
    }
    rc.InflateRect(kEraseSlack, kEraseSlack);
    RestoreOverlayRect(rc);
    Overlay().raise();
}

void CScrivaView::DrawInkingLine(POINT from, POINT to, SHORT width, COLORREF color)
{
    CScreenOverlay& overlay = Overlay();
    const int pen = std::max(1, int(width * m_fZoom));
    const RasterOp rop = m_nTool == kMarker ? R2_MASKPEN : R2_COPYPEN;
    for (DrawingSurface* dc : {&overlay.WindowSurface(), &overlay.BackBuffer()}) {
        ScopedRop2 keepRop(*dc, rop);
        ScopedPen keepPen(*dc, Pen{PS_INSIDEFRAME, pen, color});
        dc->MoveTo(from.x, from.y);
        dc->LineTo(to.x, to.y);
    }
    CRect line(std::min(from.x, to.x), std::min(from.y, to.y), std::max(from.x, to.x) + 1, std::max(from.y, to.y) + 1);
    line.InflateRect(pen, pen);
    overlay.UpdateScreenRect(line);
}
