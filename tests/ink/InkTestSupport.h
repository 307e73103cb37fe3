#pragma once
// Small builders shared by the ink tests.

#include "ink/CLine.h"
#include "ink/InkRenderer.h"
#include "ink/PressureAxis.h"
#include "ArchiveBytes.h"
#include "platform/DrawingSurface.h"

#include <QImage>

#include <memory>
#include <vector>

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// A white surface of the given size.
inline DrawingSurface WhiteSurface(int width, int height)
{
    DrawingSurface dc(DrawingSurface::CreateBitmap(width, height));
    dc.FillSolidRect(CRect(0, 0, width, height), kWhite);
    return dc;
}

// Number of pixels that are not white.
inline int InkedPixels(const DrawingSurface& dc)
{
    int count = 0;
    for (int y = 0; y < dc.DeviceHeight(); ++y)
        for (int x = 0; x < dc.DeviceWidth(); ++x)
            count += dc.GetPixel(x, y) != kWhite;
    return count;
}

// A stroke through the given points, all with one width.
inline std::unique_ptr<CLine> MakeStroke(WORD penType, const std::vector<POINT>& points, SHORT width = 160,
                                         COLORREF color = kBlack)
{
    auto line = std::make_unique<CLine>();
    line->SetColor(color);
    line->SetPenType(penType, penType != 4);
    for (const POINT& p : points)
        line->AddPoint(p.x, p.y, width);
    return line;
}

// Points from a to b about `step` pixels apart, both ends included.
inline std::vector<POINT> LinePoints(POINT a, POINT b, int step = 3)
{
    const int n = std::max(1, std::max(std::abs(b.x - a.x), std::abs(b.y - a.y)) / step);
    std::vector<POINT> points;
    for (int i = 0; i <= n; ++i)
        points.push_back({a.x + (b.x - a.x) * i / n, a.y + (b.y - a.y) * i / n});
    return points;
}

// A closed rectangular loop through the corners, first point repeated at the end.
inline std::vector<POINT> LoopPoints(const RECT& r, int step = 3)
{
    std::vector<POINT> loop;
    const POINT corners[] = {{r.left, r.top}, {r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom}, {r.left, r.top}};
    for (int side = 0; side < 4; ++side) {
        auto part = LinePoints(corners[side], corners[side + 1], step);
        loop.insert(loop.end(), part.begin(), part.end() - 1);
    }
    loop.push_back(corners[0]);
    return loop;
}

// Answers a fixed pressure maximum while it lives.
class FixedPressureAxis : public IPressureAxisSource {
public:
    explicit FixedPressureAxis(LONG maximum) : m_maximum(maximum) { SetPressureAxisSource(this); }
    ~FixedPressureAxis() override { SetPressureAxisSource(nullptr); }
    LONG PressureAxisMaximum() const override { return m_maximum; }

private:
    LONG m_maximum;
};
