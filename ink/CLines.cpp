#include "CLines.h"

#include "InkRenderer.h"

#include "platform/Archive.h"
#include "platform/DrawingSurface.h"

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
}

void CLines::ClearRedo()
{
    m_redo.clear();
}

CRect CLines::Undo()
{
    if (m_lines.empty())
        return CRect();
    m_redo.push_back(std::move(m_lines.back()));
    m_lines.pop_back();
    return m_redo.back()->GetBounds();
}

CRect CLines::Redo(DrawingSurface* dc)
{
    if (m_redo.empty())
        return CRect();
    m_lines.push_back(std::move(m_redo.back()));
    m_redo.pop_back();
    m_lines.back()->Draw(dc);
    return m_lines.back()->GetBounds();
}

CRect CLines::EraseByLasso()
{
    if (m_lines.empty())
        return CRect();
    DrawingSurface maskDC;
    CRect maskRect;
    QImage previous = m_lines.back()->BuildLassoMask(maskDC, maskRect);
    m_lines.pop_back();

    // From the end, so removing a stroke leaves the indices still to visit alone.
    CRect result;
    for (size_t i = m_lines.size(); i-- > 0;) {
        const CRect touched = m_lines[i]->TouchesMask(&maskDC, maskRect);
        if (touched.IsRectEmpty())
            continue;
        if (result.IsRectEmpty())
            result = touched;
        else
            result.UnionRect(result, touched);
        m_lines.erase(m_lines.begin() + std::ptrdiff_t(i));
    }
    maskDC.SelectBitmap(std::move(previous));
    return result;
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
    InkRenderer renderer;
    for (const auto& line : m_lines)
        line->DrawIfVisible(dc, area, renderer);
}

CRect CLines::GetBounds() const
{
    if (m_lines.empty())
        return CRect();
    CRect result = m_lines.front()->GetBounds();
    for (const auto& line : m_lines)
        result.UnionRect(result, line->GetBounds());
    return result;
}

template <typename Keep>
CRect CLines::UnionOf(Keep keep) const
{
    CRect result;
    for (const auto& line : m_lines) {
        if (!keep(*line))
            continue;
        if (result.IsRectEmpty())
            result = line->GetBounds();
        else
            result.UnionRect(result, line->GetBounds());
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
}
