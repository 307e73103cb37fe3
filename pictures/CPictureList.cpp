#include "CPictureList.h"

#include "IPageView.h"

#include "platform/Archive.h"

void CPictureList::Add(std::unique_ptr<CPictureItem> picture)
{
    if (picture)
        m_items.push_back(std::move(picture));
}

void CPictureList::RemoveAll()
{
    m_items.clear();
    m_nSelected = -1;
}

CPictureItem* CPictureList::GetAt(int index) const
{
    if (index < 0 || size_t(index) >= m_items.size())
        throw CInvalidArgException("picture index out of range");
    return m_items[size_t(index)].get();
}

CPictureItem* CPictureList::Selected() const
{
    return m_nSelected >= 0 && size_t(m_nSelected) < m_items.size() ? m_items[size_t(m_nSelected)].get() : nullptr;
}

SIZE CPictureList::GetExtent() const
{
    SIZE extent;
    for (const auto& picture : m_items) {
        extent.cx = std::max(extent.cx, picture->GetRect().right);
        extent.cy = std::max(extent.cy, picture->GetRect().bottom);
    }
    return extent;
}

void CPictureList::DrawAll(DrawingSurface* dc)
{
    for (const auto& picture : m_items)
        picture->Draw(dc);
}

void CPictureList::DrawInRect(DrawingSurface* dc, const RECT& area)
{
    for (const auto& picture : m_items)
        picture->DrawInRect(dc, area);
}

void CPictureList::DrawSelectionFrame(DrawingSurface* window, double zoom, POINT origin)
{
    if (CPictureItem* picture = Selected())
        picture->DrawSelectionFrame(window, zoom, origin);
}

bool CPictureList::SelectAt(IPageView& view, unsigned flags, LONG x, LONG y)
{
    const int previous = m_nSelected;
    CRect selectedRect;
    for (int i = GetCount() - 1; i >= 0; --i) {
        CPictureItem& picture = *m_items[size_t(i)];
        if (picture.HitTestSelect(x, y)) {
            m_nSelected = i;
            selectedRect = picture.GetRect();
            picture.SetSelected(true);
            break;
        }
    }
    if (m_nSelected == previous)
        return false;
    if (previous < 0) {
        view.RedrawPageRect(selectedRect);
    } else {
        CPictureItem& old = *m_items[size_t(previous)];
        old.SetSelected(false);
        CRect both;
        both.UnionRect(old.GetRect(), selectedRect);
        view.RedrawPageRect(both);
    }
    return true;
}

int CPictureList::OnMouseMove(IPageView& view, unsigned flags, LONG x, LONG y)
{
    CPictureItem* picture = Selected();
    return picture ? picture->OnMouseMove(view, flags, x, y) : CRectTracker::hitNothing;
}

bool CPictureList::EndTrack(IPageView& view, unsigned flags, LONG x, LONG y)
{
    CPictureItem* picture = Selected();
    return picture && picture->EndTrack(view);
}

bool CPictureList::ShowContextMenu(IPageView& view, unsigned flags, LONG x, LONG y)
{
    CPictureItem* picture = Selected();
    if (!picture || !picture->HitTestInside(x, y))
        return false;
    picture->CancelDrag();
    view.ShowPictureMenu();
    return true;
}

// Moves the selected picture to index to and selects it there.
CRect CPictureList::MoveSelected(int to)
{
    auto picture = std::move(m_items[size_t(m_nSelected)]);
    m_items.erase(m_items.begin() + m_nSelected);
    m_items.insert(m_items.begin() + to, std::move(picture));
    m_nSelected = to;
    return m_items[size_t(to)]->GetRect();
}

CRect CPictureList::MoveToFront()
{
    if (m_nSelected < 0 || m_nSelected >= GetCount() - 1)
        return CRect();
    return MoveSelected(GetCount() - 1);
}

CRect CPictureList::MoveToBack()
{
    if (m_nSelected <= 0 || m_nSelected >= GetCount())
        return CRect();
    return MoveSelected(0);
}

CRect CPictureList::MoveForward()
{
    if (m_nSelected < 0 || m_nSelected >= GetCount() - 1)
        return CRect();
    return MoveSelected(m_nSelected + 1);
}

CRect CPictureList::MoveBackward()
{
    if (m_nSelected <= 0 || m_nSelected >= GetCount())
        return CRect();
    return MoveSelected(m_nSelected - 1);
}

CRect CPictureList::DeleteSelected()
{
    if (!Selected())
        return CRect();
    const CRect rect = Selected()->GetRect();
    m_items.erase(m_items.begin() + m_nSelected);
    m_nSelected = -1;
    return rect;
}

CRect CPictureList::Deselect()
{
    CPictureItem* picture = Selected();
    if (!picture)
        return CRect();
    m_nSelected = -1;
    return picture->Deselect();
}

CRect CPictureList::GetSelectedRect() const
{
    const CPictureItem* picture = Selected();
    return picture ? picture->GetRect() : CRect();
}

void CPictureList::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << LONG(m_items.size());
        for (const auto& picture : m_items)
            picture->Serialize(ar);
        return;
    }
    LONG count = 0;
    ar >> count;
    ar.CheckCount(count, CPictureItem::kRecordHeadBytes);
    std::vector<std::unique_ptr<CPictureItem>> loaded;
    loaded.reserve(size_t(count));
    for (LONG i = 0; i < count; ++i) {
        auto picture = std::make_unique<CPictureItem>();
        picture->Serialize(ar);
        loaded.push_back(std::move(picture));
    }
    m_items = std::move(loaded);
    m_nSelected = -1;
}
