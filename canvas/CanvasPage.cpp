#include "CanvasPage.h"

#include "ink/CLines.h"
#include "pictures/CPictureList.h"
#include "platform/Prompts.h"
#include "platform/Settings.h"

namespace {
constexpr int kLineWidth = 2;
constexpr int kLineStep = 10;
constexpr int kSmallestStepFrom = 50;  // decreasing stops at 40
}  // namespace

CRect CanvasPage::NewPageRect(const CRect& desktop)
{
    CRect page = desktop;
    page.bottom = desktop.right * 4 / 3;
    return page;
}

CanvasPage::CanvasPage(const CRect& desktop, Buffer buffer) : m_desktop(desktop), m_rcPage(NewPageRect(desktop))
{
    if (buffer == Buffer::Now)
        CreatePageBuffer();
}

void CanvasPage::ReadSettings(const QString& settingsFile)
{
    m_nLineHeight = ReadSetting(Settings::LineHeight, settingsFile);
    m_crPen = ReadColorSetting(Settings::PenColor, settingsFile);
    m_crBack = ReadColorSetting(Settings::BackColor, settingsFile);
    m_crLine = ReadColorSetting(Settings::LineColor, settingsFile);
}

void CanvasPage::SetContent(CLines* lines, CPictureList* pictures)
{
    m_lines = lines;
    m_pictures = pictures;
}

void CanvasPage::SetPageRect(const RECT& rect)
{
    const bool resized = CRect(rect).Width() != m_rcPage.Width() || CRect(rect).Height() != m_rcPage.Height();
    m_rcPage = rect;
    if (resized || m_dcPage.IsNull())
        CreatePageBuffer();
}

PageSettings CanvasPage::GetPageSettings() const
{
    return {m_crBack, m_crLine, m_nLineHeight, m_rcPage};
}

void CanvasPage::SetPageSettings(const PageSettings& settings)
{
    m_crBack = settings.background;
    m_crLine = settings.lineColor;
    m_nLineHeight = settings.lineHeight;
    SetPageRect(settings.page);
}

void CanvasPage::ResetPageRect()
{
    SetPageRect(NewPageRect(m_desktop));
}

void CanvasPage::CreatePageBuffer()
{
    m_dcPage.SelectBitmap(DrawingSurface::CreateBitmap(m_rcPage.Width(), m_rcPage.Height()));
}

// A ruled line of the page's pen: two pixels thick, rows y - 1 and y.
void CanvasPage::DrawLine(LONG x0, LONG x1, LONG y)
{
    DrawLine(m_dcPage, x0, x1, y);
}

void CanvasPage::DrawLine(DrawingSurface& dc, LONG x0, LONG x1, LONG y) const
{
    ScopedPen pen(dc, Pen{PS_SOLID, kLineWidth, m_crLine});
    ScopedRop2 copy(dc, R2_COPYPEN);
    dc.MoveTo(x0, y);
    dc.LineTo(x1, y);
}

void CanvasPage::RulePaper(DrawingSurface& dc) const
{
    dc.FillSolidRect(m_rcPage, m_crBack);
    for (LONG y = m_nLineHeight; y < m_rcPage.bottom; y += m_nLineHeight)
        DrawLine(dc, 0, m_rcPage.right, y);
}

void CanvasPage::DrawRuledLines(bool withContent, int bands)
{
    WaitCursor wait;
    // A page shown as it fills shows the ruled paper first; otherwise each band rules its own
    // rows, side by side with the others.
    const bool paperFirst = !withContent || m_bandDrawn;
    if (paperFirst)
        RulePaper(m_dcPage);
    if (!withContent)
        return;
    if (m_bandDrawn)
        m_bandDrawn(m_rcPage);  // the ruled page can be shown while the content is drawn
    const auto draw = [this, paperFirst](DrawingSurface& part, const CRect& band) {
        if (!paperFirst)
            RulePaper(part);
        if (m_pictures)
            m_pictures->DrawAll(&part);
        if (m_lines)
            m_lines->DrawInRect(&part, band);
    };
    DrawInBands(m_rcPage, bands, draw, m_bandDrawn);
}

void CanvasPage::RedrawPageRect(const RECT& rect, int bands)
{
    WaitCursor wait;
    CRect r(rect);
    r.InflateRect(5, 5);
    // Everything stays inside r: the pixels around it are right already, and ink blended
    // over them once more would darken.
    ScopedClipRect clip(m_dcPage, r);
    m_dcPage.FillSolidRect(r, m_crBack);
    // The first line strictly below the grown top; each line runs across the rectangle and
    // the pixel above its left end is set, matching the full page's two-pixel lines.
    for (LONG y = (r.top / m_nLineHeight + 1) * m_nLineHeight; y < r.bottom; y += m_nLineHeight) {
        DrawLine(r.left, r.right - 1, y);
        m_dcPage.SetPixel(r.left, y - 1, m_crLine);
    }
    const auto draw = [this](DrawingSurface& part, const CRect& band) {
        if (m_pictures)
            m_pictures->DrawInRect(&part, band);
        if (m_lines)
            m_lines->DrawInRect(&part, band);
    };
    DrawInBands(r, bands, draw, {});
}

void CanvasPage::DrawInBands(const CRect& area, int bands, const PageBands::DrawBand& draw,
                             const PageBands::BandDrawn& drawn)
{
    if (bands <= 0)
        bands = PageBands::BandCount(area);
    if (bands == 1 || !m_lines) {
        PageBands::Draw(m_dcPage, area, bands, 1, draw, drawn);
        return;
    }
    PageBands::Draw(m_dcPage, area, bands, 1, draw, drawn, m_lines->WorkPerRow(area), m_lines->CutWorkPerRow(area));
}

bool CanvasPage::IncreaseLineHeight()
{
    if (m_nLineHeight > PageHeight())
        return false;
    m_nLineHeight += kLineStep;
    DrawRuledLines(false);
    return true;
}

bool CanvasPage::DecreaseLineHeight()
{
    if (m_nLineHeight < kSmallestStepFrom)
        return false;
    m_nLineHeight -= kLineStep;
    DrawRuledLines(false);
    return true;
}

void CanvasPage::AddPageLength()
{
    const LONG growth = m_desktop.Width() * 4 / 3;
    CRect longer = m_rcPage;
    longer.bottom += growth;
    if (!PageSettings::IsPageAllowed(longer))
        return;  // as long as a page buffer can be
    SetPageRect(longer);
    DrawRuledLines(true);
}
