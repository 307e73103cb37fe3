#pragma once
// The page as it is rendered: its rectangle in page pixels, the back buffer holding it at
// scale 1, and the ruling. Background and ruled lines go in first, then the pictures in
// stacking order, then the strokes. Windows only ever show this buffer, scaled.

#include "PageBands.h"

#include "platform/DrawingSurface.h"

#include "document/IDocumentView.h"

class CLines;
class CPictureList;

class CanvasPage {
public:
    // A new page is as wide as the desktop and 4/3 of that tall.
    static CRect NewPageRect(const CRect& desktop);

    // When the buffer is made: at once for a new page, or by the first SetPageRect for a view
    // that opens a note straight away, whose page would otherwise be made and ruled at the new
    // page's size only to be thrown away.
    enum class Buffer { Now, WithFirstPage };

    explicit CanvasPage(const CRect& desktop, Buffer buffer = Buffer::Now);

    // Colours and line height from the settings file.
    void ReadSettings(const QString& settingsFile);
    // The strokes and pictures drawn over the ruling; either may be null.
    void SetContent(CLines* lines, CPictureList* pictures);

    const CRect& Desktop() const { return m_desktop; }
    void SetDesktop(const CRect& desktop) { m_desktop = desktop; }

    // Page pixels.
    const CRect& PageRect() const { return m_rcPage; }
    LONG PageWidth() const { return m_rcPage.Width(); }
    LONG PageHeight() const { return m_rcPage.Height(); }
    // Sets the page rectangle and rebuilds the buffer when its size changes (or makes it, the
    // first time after Buffer::WithFirstPage). The content is undefined until the page is drawn.
    void SetPageRect(const RECT& rect);
    // Back to a new page's size.
    void ResetPageRect();
    // The settings a note stores, and taking them from a note.
    PageSettings GetPageSettings() const;
    void SetPageSettings(const PageSettings& settings);
    // (Re)creates the back buffer at the page size.
    void CreatePageBuffer();

    DrawingSurface& Surface() { return m_dcPage; }
    const DrawingSurface& Surface() const { return m_dcPage; }

    // Paints the whole page; with content also the pictures and strokes, in bands (0: as many
    // as PageBands::BandCount gives for the page) drawn side by side on the processors.
    void DrawRuledLines(bool withContent, int bands = 0);
    // Paints rect grown by 5 on every side, with pictures and strokes, and nothing outside it;
    // a large rectangle in bands as the whole page.
    void RedrawPageRect(const RECT& rect, int bands = 0);
    // Told of each part of the page ready to show (page pixels) while DrawRuledLines draws the
    // page with content, on the thread that called it: the whole ruled page first, then each
    // band of content as it is done, so that a window can show the page as it fills.
    void SetBandDrawnHandler(PageBands::BandDrawn handler) { m_bandDrawn = std::move(handler); }

    // Line spacing in steps of 10 between 40 and the page height. Return whether it changed;
    // a change repaints the page without content.
    bool IncreaseLineHeight();
    bool DecreaseLineHeight();
    // Lengthens the page by one new page height and repaints it with content.
    void AddPageLength();

    COLORREF m_crBack = 0xCCE2E5;
    COLORREF m_crLine = 0xACC0C5;
    COLORREF m_crPen = 0x800000;
    int m_nLineHeight = 90;

private:
    void DrawLine(LONG x0, LONG x1, LONG y);
    void DrawLine(DrawingSurface& dc, LONG x0, LONG x1, LONG y) const;
    // The paper and its lines, on dc's rows within its clip.
    void RulePaper(DrawingSurface& dc) const;
    // Draws area of the page in bands (0: as many as PageBands::BandCount gives), their edges
    // placed by the strokes' work.
    void DrawInBands(const CRect& area, int bands, const PageBands::DrawBand& draw, const PageBands::BandDrawn& drawn);

    CRect m_desktop;
    CRect m_rcPage;
    DrawingSurface m_dcPage;
    CLines* m_lines = nullptr;
    CPictureList* m_pictures = nullptr;
    PageBands::BandDrawn m_bandDrawn;
};
