#pragma once
// The pictures of a page in stacking order (index 0 at the bottom), the selection, and the
// commands that restack and delete. Commands return the page rectangle to re-render, empty
// when nothing changed.

#include "CPictureItem.h"

#include <memory>
#include <vector>

class CPictureList {
public:
    // Takes ownership and puts the picture on top.
    void Add(std::unique_ptr<CPictureItem> picture);
    void RemoveAll();
    int GetCount() const { return int(m_items.size()); }
    // Raises CInvalidArgException for an index outside 0..count-1.
    CPictureItem* GetAt(int index) const;
    int GetSelectedIndex() const { return m_nSelected; }
    // The largest right and bottom edges of the pictures, each at least 0.
    SIZE GetExtent() const;

    void DrawAll(DrawingSurface* dc);
    void DrawInRect(DrawingSurface* dc, const RECT& area);
    // The selected picture's frame and handles on a window showing the page at zoom, page point
    // (0, 0) at window point origin. Nothing of it ever goes into the page.
    void DrawSelectionFrame(DrawingSurface* window, double zoom, POINT origin);

    // Mouse input in page pixels. SelectAt and EndTrack return true when the window needs
    // repainting; OnMouseMove returns the hit code the cursor shows.
    bool SelectAt(IPageView& view, unsigned flags, LONG x, LONG y);
    int OnMouseMove(IPageView& view, unsigned flags, LONG x, LONG y);
    bool EndTrack(IPageView& view, unsigned flags, LONG x, LONG y);
    // Shows the "Picture" menu when (x, y) is inside the selected picture.
    bool ShowContextMenu(IPageView& view, unsigned flags, LONG x, LONG y);

    CRect MoveToFront();
    CRect MoveToBack();
    CRect MoveForward();
    CRect MoveBackward();
    CRect DeleteSelected();
    CRect Deselect();
    CRect GetSelectedRect() const;

    // The count, then each picture record, bottom first. A failed load leaves the list as it was.
    void Serialize(CArchive& ar);

private:
    CPictureItem* Selected() const;
    CRect MoveSelected(int to);

    int m_nSelected = -1;
    std::vector<std::unique_ptr<CPictureItem>> m_items;
};
