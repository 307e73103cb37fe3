#pragma once
// The strokes of a page in drawing order, and the strokes undone that may be redone. The list
// owns every stroke in both arrays; a stroke is in at most one of them.

#include "CLine.h"

#include <memory>
#include <vector>

class CLines {
public:
    // Takes ownership and appends the stroke to the shown strokes.
    void Add(std::unique_ptr<CLine> line);
    int GetCount() const { return int(m_lines.size()); }
    // Raises CInvalidArgException for an index outside 0..count-1.
    CLine* GetAt(int index) const;
    int GetRedoCount() const { return int(m_redo.size()); }

    void RemoveAll();
    void ClearRedo();

    // Moves the last stroke to the redo history; returns its bounds (page pixels) to repaint,
    // empty when there is nothing to undo.
    CRect Undo();
    // Brings back the most recently undone stroke and draws it on dc; returns its bounds,
    // empty when there is nothing to redo.
    CRect Redo(DrawingSurface* dc);
    // The last stroke is an eraser: deletes it and every stroke with ink inside its loop or on
    // its path. Returns the union of the deleted strokes' bounds grown by 5, empty when none.
    CRect EraseByLasso();

    void DrawAll(DrawingSurface* dc) const;
    // The same with the caller's renderer, whose running totals then count the work.
    void DrawAll(DrawingSurface* dc, InkRenderer& renderer) const;
    // Draws the strokes within 5 pixels of area (page pixels).
    void DrawInRect(DrawingSurface* dc, const RECT& area) const;

    CRect GetBounds() const;
    CRect GetMarkerBounds() const;  // strokes of pen type 4
    CRect GetInkBounds() const;     // all other strokes

    // The count, then each stroke record. The redo history is not stored. A failed load
    // leaves the list as it was.
    void Serialize(CArchive& ar);

private:
    template <typename Keep>
    CRect UnionOf(Keep keep) const;

    std::vector<std::unique_ptr<CLine>> m_lines;  // shown; index 0 is drawn first
    std::vector<std::unique_ptr<CLine>> m_redo;   // undone; the last was undone most recently
};
