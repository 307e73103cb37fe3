#include "CLines.h"

#include "InkRenderer.h"

#include "platform/Archive.h"
#include "platform/DrawingSurface.h"

#include <algorithm>

namespace {
// The nib's reach around a curve sample, and one pixel more for a sample's rounding on a curve
// that runs along the edge of the points' bounds.
constexpr LONG kNibBeyondSlack = InkRenderer::kNibReach + 1 - CLine::kVisibilitySlack;
static_assert(kNibBeyondSlack >= 0);
}  // namespace

void CLines::Add(std::unique_ptr<CLine> line)
{
    if (!line)
        return;
    line->Compact();
    m_lines.push_back(std::move(line));
}

CLine* CLines::GetAt(int index) const
{
    if (index < 0 || size_t(index) >= m_lines.size())
        throw CInvalidArgException("stroke index out of range");
    return m_lines[size_t(index)].get();
}

void CLines::RemoveAll()
{
    m_lines.clear();
    m_erasures.clear();
}

void CLines::ClearRedo()
{
    m_redo.clear();
}

bool CLines::LastStepErased() const
{
    return !m_erasures.empty() && m_erasures.back().shownAfter == m_lines.size();
}

CRect CLines::Undo()
{
    if (LastStepErased()) {
        Erasure erasure = std::move(m_erasures.back());
        m_erasures.pop_back();
        PutBack(erasure);
        const CRect area = erasure.area;
        m_redo.push_back(std::move(erasure));
        return area;
    }
    if (m_lines.empty())
        return CRect();
    const CRect bounds = m_lines.back()->GetBounds();
    m_redo.push_back(std::move(m_lines.back()));
    m_lines.pop_back();
    return bounds;
}

bool CLines::RedoErases() const
{
    return !m_redo.empty() && std::holds_alternative<Erasure>(m_redo.back());
}

CRect CLines::Redo(DrawingSurface* dc)
{
    if (m_redo.empty())
        return CRect();
    RedoStep step = std::move(m_redo.back());
    m_redo.pop_back();
    if (Erasure* erasure = std::get_if<Erasure>(&step)) {
        TakeAway(*erasure);
        m_erasures.push_back(std::move(*erasure));
        return m_erasures.back().area;
    }
    m_lines.push_back(std::move(std::get<std::unique_ptr<CLine>>(step)));
    m_lines.back()->Draw(dc);
    return m_lines.back()->GetBounds();
}

// Highest index first, so each removal leaves the indices still to take alone.
void CLines::TakeAway(Erasure& erasure)
{
    for (auto& [index, line] : erasure.taken) {
        line = std::move(m_lines[index]);
        m_lines.erase(m_lines.begin() + std::ptrdiff_t(index));
    }
    erasure.shownAfter = m_lines.size();
}

// Lowest index first, so each stroke lands where it was before the erase.
void CLines::PutBack(Erasure& erasure)
{
    for (auto it = erasure.taken.rbegin(); it != erasure.taken.rend(); ++it)
        m_lines.insert(m_lines.begin() + std::ptrdiff_t(it->first), std::move(it->second));
}

CRect CLines::EraseByLasso()
{
    if (m_lines.empty())
        return CRect();
    DrawingSurface maskDC;
    CRect maskRect;
    QImage previous = m_lines.back()->BuildLassoMask(maskDC, maskRect);
    m_lines.pop_back();
    if (maskDC.IsNull())
        return CRect();  // no mask to test against (a loop too large to hold): take nothing

    // From the end, so taking a stroke away leaves the indices still to visit alone.
    Erasure erasure;
    for (size_t i = m_lines.size(); i-- > 0;) {
        const CRect touched = m_lines[i]->TouchesMask(&maskDC, maskRect);
        if (touched.IsRectEmpty())
            continue;
        erasure.area.UnionRect(erasure.area, touched);
        erasure.taken.emplace_back(i, std::move(m_lines[i]));
        m_lines.erase(m_lines.begin() + std::ptrdiff_t(i));
    }
    maskDC.SelectBitmap(std::move(previous));
    if (erasure.taken.empty())
        return CRect();
    erasure.shownAfter = m_lines.size();
    m_erasures.push_back(std::move(erasure));
    return m_erasures.back().area;
}

void CLines::DrawAll(DrawingSurface* dc) const
{
    InkRenderer renderer;  // one for the whole pass: each stroke starts it afresh
    DrawAll(dc, renderer);
}

void CLines::DrawAll(DrawingSurface* dc, InkRenderer& renderer) const
{
    for (const auto& line : m_lines)
        line->Draw(dc, renderer);
}

void CLines::DrawInRect(DrawingSurface* dc, const RECT& area) const
{
    // Pixels around area already hold every stroke; blending a stroke over them once more
    // would darken its anti-aliased edges.
    ScopedClipRect clip(*dc, area);
    // A nib reaches a little further from its points than DrawIfVisible looks.
    CRect reach(area);
    reach.InflateRect(kNibBeyondSlack, kNibBeyondSlack);
    InkRenderer renderer;
    for (const auto& line : m_lines)
        line->DrawIfVisible(dc, reach, renderer);
}

namespace {

// What a stroke adds to each of the rows first..last (page rows, last excluded).
struct RowShare {
    int64_t first = 0;
    int64_t last = 0;
    int64_t value = 0;
};

// For each row of area (page pixels, top to bottom), the sum of the shares of the strokes with
// points. share gets a stroke with the rows its ink can reach (top, bottom excluded), which are
// also the rows of the bands it is drawn for. Each share is a difference at its first row and
// past its last, summed down the rows at the end.
template <typename Share>
std::vector<int64_t> SumOverRows(const std::vector<std::unique_ptr<CLine>>& lines, const RECT& area, Share share)
{
    const CRect rows(area);
    if (rows.Height() <= 0)
        return {};
    std::vector<int64_t> change(size_t(rows.Height()) + 1, 0);
    for (const auto& line : lines) {
        if (line->GetPointCount() == 0)
            continue;
        const CRect b = line->GetBounds();
        const RowShare s = share(*line, int64_t(b.top) - InkRenderer::kNibReach - 1,
                                 int64_t(b.bottom) + InkRenderer::kNibReach + 2);
        const int64_t from = std::clamp<int64_t>(s.first, rows.top, rows.bottom) - rows.top;
        const int64_t to = std::clamp<int64_t>(s.last, rows.top, rows.bottom) - rows.top;
        if (from >= to)
            continue;
        change[size_t(from)] += s.value;
        change[size_t(to)] -= s.value;
    }
    std::vector<int64_t> sums(size_t(rows.Height()));
    int64_t running = 0;
    for (size_t y = 0; y < sums.size(); ++y)
        sums[y] = running += change[y];
    return sums;
}

constexpr int64_t kPointWork = 1 << 16;  // work of one point

// A stroke's bounds as its ink covers them. A dot, or a stroke along one row or one column, at
// a width whose half rounds to nothing has bounds without area yet leaves ink a pen's width
// across: on its flat side it counts one pixel each way.
CRect InkedBounds(const CLine& line)
{
    CRect b = line.GetBounds();
    if (line.GetPointCount() == 0)
        return b;
    if (b.right == b.left) {
        --b.left;
        ++b.right;
    }
    if (b.bottom == b.top) {
        --b.top;
        ++b.bottom;
    }
    return b;
}

}  // namespace

std::vector<int64_t> CLines::WorkPerRow(const RECT& area) const
{
    // Each stroke's points, spread evenly over its rows.
    return SumOverRows(m_lines, area, [](const CLine& line, int64_t top, int64_t bottom) {
        return RowShare{top, bottom, std::max<int64_t>(1, line.GetPointCount() * kPointWork / (bottom - top))};
    });
}

std::vector<int64_t> CLines::CutWorkPerRow(const RECT& area) const
{
    // A stroke with rows on both sides of the cut is drawn whole on each side: all its points
    // again, for a cut above any of its rows but the first.
    return SumOverRows(m_lines, area, [](const CLine& line, int64_t top, int64_t bottom) {
        return RowShare{top + 1, bottom, line.GetPointCount() * kPointWork};
    });
}

CRect CLines::GetBounds() const
{
    if (m_lines.empty())
        return CRect();
    CRect result = InkedBounds(*m_lines.front());
    for (const auto& line : m_lines)
        result.UnionRect(result, InkedBounds(*line));
    return result;
}

CRect CLines::GetExtent() const
{
    CRect extent;
    bool first = true;
    for (const auto& line : m_lines) {
        if (line->GetPointCount() == 0)
            continue;
        const CRect b = line->GetBounds();
        if (first) {
            extent = b;
            first = false;
            continue;
        }
        extent.left = std::min(extent.left, b.left);
        extent.top = std::min(extent.top, b.top);
        extent.right = std::max(extent.right, b.right);
        extent.bottom = std::max(extent.bottom, b.bottom);
    }
    return extent;
}

template <typename Keep>
CRect CLines::UnionOf(Keep keep) const
{
    CRect result;
    for (const auto& line : m_lines) {
        if (!keep(*line))
            continue;
        if (result.IsRectEmpty())
            result = InkedBounds(*line);
        else
            result.UnionRect(result, InkedBounds(*line));
    }
    return result;
}

CRect CLines::GetMarkerBounds() const
{
    return UnionOf([](const CLine& line) { return line.GetPenType() == 4; });
}

CRect CLines::GetInkBounds() const
{
    return UnionOf([](const CLine& line) { return line.GetPenType() != 4; });
}

void CLines::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << LONG(m_lines.size());
        for (auto& line : m_lines)
            line->Serialize(ar);
        return;
    }
    LONG count = 0;
    ar >> count;
    ar.CheckCount(count, CLine::kRecordHeadBytes);
    std::vector<std::unique_ptr<CLine>> loaded;
    loaded.reserve(size_t(count));
    for (LONG i = 0; i < count; ++i) {
        auto line = std::make_unique<CLine>();
        line->Serialize(ar);
        loaded.push_back(std::move(line));
    }
    m_lines = std::move(loaded);
    m_erasures.clear();
    m_redo.clear();  // an undone erase would take strokes of the note that was replaced
}
