#include "ZoomedPage.h"

#include "PageBands.h"

#include "ink/CLines.h"
#include "ink/InkRenderer.h"
#include "pictures/CPictureList.h"

bool ZoomedPage::IsZoomAllowed(const CRect& page, int zoom)
{
    if (zoom != 2 && zoom != 4)
        return false;
    const CRect zoomed(0, 0, page.Width() * zoom, page.Height() * zoom);
    return PageSettings::IsPageAllowed(page) && PageSettings::IsPageAllowed(zoomed);
}

bool ZoomedPage::Draw(const PageSettings& settings, const CPictureList& pictures, const CLines& lines, int zoom,
                      DrawingSurface& surface, int bands)
{
    const CRect page(settings.page);
    if (!IsZoomAllowed(page, zoom))
        return false;
    surface.SelectBitmap(DrawingSurface::CreateBitmap(page.Width() * zoom, page.Height() * zoom));
    DrawRuling(surface, settings, zoom);
    const CRect whole(0, 0, surface.DeviceWidth(), surface.DeviceHeight());
    // Band edges fall between page pixels, so that each zoomed pixel is drawn by one band.
    const CRect pageRows(0, 0, page.Width(), page.Height());
    const PageBands::RowWork pageWork = lines.WorkPerRow(pageRows);
    const PageBands::RowWork pageCut = lines.CutWorkPerRow(pageRows);
    PageBands::RowWork work(size_t(whole.Height()));
    PageBands::RowWork cut(size_t(whole.Height()));
    for (size_t y = 0; y < work.size(); ++y) {
        work[y] = pageWork[y / size_t(zoom)];
        cut[y] = pageCut[y / size_t(zoom)];
    }
    PageBands::Draw(surface, whole, bands > 0 ? bands : PageBands::BandCount(whole), zoom,
                    [&](DrawingSurface& part, const CRect& band) {
                        DrawPictures(part, pictures, zoom);
                        DrawStrokes(part, lines, zoom, band);
                    },
                    {}, work, cut);
    return true;
}

// The page colour, and each ruled line two page pixels thick (rows y − 1 and y) across the page.
void ZoomedPage::DrawRuling(DrawingSurface& dc, const PageSettings& settings, int zoom)
{
    const CRect page(settings.page);
    dc.FillSolidRect(CRect(page.left * zoom, page.top * zoom, page.right * zoom, page.bottom * zoom),
                     settings.background);
    if (settings.lineHeight <= 0)
        return;
    for (LONG y = settings.lineHeight; y < page.bottom; y += settings.lineHeight)
        dc.FillSolidRect(CRect(0, (y - 1) * zoom, page.right * zoom, (y + 1) * zoom), settings.lineColor);
}

void ZoomedPage::DrawPictures(DrawingSurface& dc, const CPictureList& pictures, int zoom)
{
    for (int i = 0; i < pictures.GetCount(); ++i) {
        const CPictureItem* picture = pictures.GetAt(i);
        if (picture->Bitmap().isNull())
            continue;
        const CRect place = picture->GetRect();
        const DrawingSurface source(picture->Bitmap());
        dc.StretchBlt(place.left * zoom, place.top * zoom, place.Width() * zoom, place.Height() * zoom, source, 0, 0,
                      picture->GetWidth(), picture->GetHeight(), SRCCOPY);
    }
}

// Pencil and brush strokes through the ink renderer at the zoom; marker strokes as plain lines
// of the zoomed width, with the stroke's raster operation.
void ZoomedPage::DrawStrokes(DrawingSurface& dc, const CLines& lines, int zoom, const CRect& band)
{
    using Segment = InkRenderer::Segment;
    // A stroke's ink stays within its bounds grown by the nib's reach and a pixel for rounding.
    constexpr LONG kSlack = InkRenderer::kNibReach + 1;
    InkRenderer renderer;
    for (int i = 0; i < lines.GetCount(); ++i) {
        const CLine& line = *lines.GetAt(i);
        const CRect bounds = line.GetBounds();
        // Rows of dc, in 64 bits: a damaged stroke may lie far beyond the page.
        const int64_t top = (int64_t(bounds.top) - kSlack) * zoom;
        const int64_t bottom = (int64_t(bounds.bottom) + kSlack + 1) * zoom;
        if (bottom <= band.top || top >= band.bottom)
            continue;
        const std::vector<StrokePoint>& points = line.Points();
        for (size_t p = 0; p < points.size(); ++p) {
            const StrokePoint& point = points[p];
            if (line.IsInkRendered()) {
                const Segment phase = p == 0 ? Segment::First : p + 1 == points.size() ? Segment::Last : Segment::Middle;
                const StrokePoint& prev = p == 0 ? point : points[p - 1];
                renderer.DrawSegment(&dc, prev.x, prev.y, point.x, point.y, point.width, line.GetColor(), phase,
                                     line.GetPressureMax(), float(zoom));
                continue;
            }
            if (p == 0)
                continue;
            const StrokePoint& prev = points[p - 1];
            ScopedRop2 rop(dc, line.GetMaskPen() == 1 ? R2_MASKPEN : dc.GetROP2());
            ScopedPen pen(dc, Pen{PS_SOLID, point.width * zoom, line.GetColor()});
            dc.MoveTo(prev.x * zoom, prev.y * zoom);
            dc.LineTo(point.x * zoom, point.y * zoom);
        }
    }
}
