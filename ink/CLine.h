#pragma once
// One stroke: the points the pen laid down between pen-down and pen-up, with the pen type,
// colour and drawing mode in force. Strokes are drawn, erased, undone and stored as wholes.

#include "StrokePoint.h"

#include "platform/ColorRef.h"
#include "platform/Rect.h"

#include <QImage>

#include <vector>

class CArchive;
class DrawingSurface;
class InkRenderer;

class CLine {
public:
    // Reads the pressure range from the bound tablet interface, if any.
    CLine();

    void SetColor(COLORREF color) { m_color = color; }
    COLORREF GetColor() const { return m_color; }
    // Sets the pen type (2 pencil, 3 brush, 4 marker) and whether the ink renderer draws the
    // stroke. A marker turns on the mask raster operation for good.
    void SetPenType(WORD penType, DWORD inkRendered);
    SHORT GetPenType() const { return SHORT(m_penType); }
    DWORD IsInkRendered() const { return m_inkRendered; }
    WORD GetMaskPen() const { return m_maskPen; }
    LONG GetPressureMax() const { return m_pressureMax; }
    LONG GetPressureStep() const { return m_pressureStep; }

    // Page pixels (screen pixels for desktop strokes): the points grown by half their width
    // for a marker, the bare point extents otherwise; all zero for a new stroke.
    CRect GetBounds() const { return m_bounds; }

    // Live capture: all five values of the point.
    void AddPoint(LONG x, LONG y, SHORT width, DWORD pressure, DWORD isLive);
    void AddPoint(LONG x, LONG y, SHORT width);
    void ExtendBounds(LONG x, LONG y, SHORT width);

    int GetPointCount() const { return int(m_points.size()); }
    // Raises CInvalidArgException for an index outside 0..count-1.
    const StrokePoint& GetPoint(int index) const;
    const std::vector<StrokePoint>& Points() const { return m_points; }
    void RemoveAllPoints();
    // Gives back spare capacity once the stroke is complete.
    void Compact() { m_points.shrink_to_fit(); }

    // Draws the whole stroke on dc at scale 1. A stroke keeps no renderer of its own: a note
    // holds many strokes and draws one at a time, so the renderer lives only while drawing.
    // Pass one to share it over many strokes; each stroke starts it afresh.
    void Draw(DrawingSurface* dc) const;
    void Draw(DrawingSurface* dc, InkRenderer& renderer) const;
    // Draws when the bounds grown by 5 pixels meet area (page pixels).
    void DrawIfVisible(DrawingSurface* dc, const RECT& area) const;
    void DrawIfVisible(DrawingSurface* dc, const RECT& area, InkRenderer& renderer) const;

    // Lasso erasing. BuildLassoMask renders this (eraser) stroke's loop into maskDC: white
    // outside, 0xFF0000 on its path, black inside. maskRect receives the mask's page rectangle;
    // returns the bitmap maskDC held before.
    QImage BuildLassoMask(DrawingSurface& maskDC, CRect& maskRect) const;
    // This stroke's bounds grown by 5 when its ink meets a non-white pixel of the mask, an
    // empty rectangle otherwise.
    CRect TouchesMask(DrawingSurface* maskDC, const RECT& maskRect) const;

    // The stroke record: count, bounds, colour, mask flag, pen type, ink flag, then x, y and
    // width of every point. Raises CArchiveException on a damaged or truncated stream, and on
    // a point or bound further out than kMaxCoordinate.
    void Serialize(CArchive& ar);

    static constexpr int kRecordHeadBytes = 32;
    static constexpr int kRecordPointBytes = 10;
    // Page or screen pixels from the origin. No page reaches this far: the largest page
    // allowed has 2^28 pixels, so none of its sides is longer than 2^28. Coordinates within it
    // stay clear of 32-bit overflow when one is taken from another or grown by a pen width.
    static constexpr LONG kMaxCoordinate = 1 << 29;
    // Pixels around the bounds that still count as the stroke's ink (DrawIfVisible, erasing).
    static constexpr LONG kVisibilitySlack = 5;

private:
    void DrawMarkerSegment(DrawingSurface* dc, const StrokePoint& from, const StrokePoint& to) const;
    int TouchWidth(const StrokePoint& point) const;

    std::vector<StrokePoint> m_points;
    LONG m_pressureMax = 0;   // tablet pressure axis maximum; 0 when no tablet is bound
    LONG m_pressureStep = 0;  // (m_pressureMax + 1) / 512 when a tablet is bound
    DWORD m_inkRendered = 1;  // 1: ink renderer (pencil, brush); 0: plain pen lines (marker)
    WORD m_maskPen = 0;       // 1: plain lines use the mask (AND) raster operation
    WORD m_penType = 2;       // 2 pencil, 3 brush, 4 marker
    COLORREF m_color = 0;
    RECT m_bounds{};          // all zero for a new stroke
};
