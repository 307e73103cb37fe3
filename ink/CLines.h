#pragma once
// The strokes of a page in drawing order, and the history of what was done to them: each
// stroke written and each lasso erase is one step that Undo takes back and Redo takes again.
// The list owns every stroke, shown, erased or undone; a stroke is in one place at a time.

#include "CLine.h"

#include <memory>
#include <utility>
#include <variant>
#include <vector>

class CLines {
public:
    // Takes ownership and appends the stroke to the shown strokes.
    void Add(std::unique_ptr<CLine> line);
    int GetCount() const { return int(m_lines.size()); }
    // Raises CInvalidArgException for an index outside 0..count-1.
    CLine* GetAt(int index) const;
    // Steps waiting to be redone.
    int GetRedoCount() const { return int(m_redo.size()); }

    // Deletes every shown stroke and the erases that could be undone.
    void RemoveAll();
    void ClearRedo();

    // Whether Undo has a step to take back. (Undo's rectangle cannot tell: a straight stroke's
    // bounds have no area.)
    bool CanUndo() const { return LastStepErased() || !m_lines.empty(); }
    // Takes back the latest step and returns the area to repaint, page pixels: a written
    // stroke goes to the redo history (its bounds); an erase puts its strokes back in their
    // places in the drawing order (their bounds grown by 5). Empty when there is nothing to
    // undo. Strokes shown without a step of their own (loaded ones) are undone as written.
    CRect Undo();
    // Whether the next Redo is an erase, whose area the caller must repaint.
    bool RedoErases() const;
    // Takes the most recently undone step again and returns its area, page pixels: a stroke
    // comes back and is drawn on dc; an erase takes its strokes away again and draws nothing.
    // Empty when there is nothing to redo.
    CRect Redo(DrawingSurface* dc);
    // The last stroke is an eraser: deletes it and takes away every stroke with ink inside its
    // loop or on its path, as one step that Undo can take back. Returns the union of the taken
    // strokes' bounds grown by 5, empty when none.
    CRect EraseByLasso();

    void DrawAll(DrawingSurface* dc) const;
    // The same with the caller's renderer, whose running totals then count the work.
    void DrawAll(DrawingSurface* dc, InkRenderer& renderer) const;
    // Draws the strokes whose ink reaches into area (page pixels), inside area only: what
    // area then shows is what drawing every stroke whole gives there, provided its pixels
    // were painted afresh first.
    void DrawInRect(DrawingSurface* dc, const RECT& area) const;
    // About how much drawing each row of area's rows (page pixels, top to bottom) takes: each
    // stroke's points spread evenly over the rows its ink can reach. For cutting a page into
    // bands of equal work.
    std::vector<int64_t> WorkPerRow(const RECT& area) const;
    // The same unit of work that cutting area into bands between each row and the one above
    // adds: the strokes on both sides of the cut are drawn in both bands.
    std::vector<int64_t> CutWorkPerRow(const RECT& area) const;

    // Unions of the strokes' bounds, page pixels. A stroke with points whose bounds have no
    // area (a dot, or a straight stroke along a row or a column, at an even width) counts one
    // pixel each way on its flat side, where its ink lies; a stroke without points is ignored.
    CRect GetBounds() const;
    CRect GetMarkerBounds() const;  // strokes of pen type 4
    CRect GetInkBounds() const;     // all other strokes
    // The smallest rectangle holding every point of every stroke's bounds: a dot or a
    // perfectly straight stroke, whose bounds have no area, counts too. Empty without points.
    CRect GetExtent() const;

    // The count, then each stroke record. The history is not stored, and loading starts it
    // afresh. A failed load leaves the list as it was.
    void Serialize(CArchive& ar);

private:
    // One lasso erase: the strokes it took, each with its index in the drawing order before
    // the erase (highest first), and how many strokes were shown right after it. While the
    // erase is done the strokes are held here; once undone they are shown again and only the
    // indices are kept, to take the same strokes when it is redone.
    struct Erasure {
        std::vector<std::pair<size_t, std::unique_ptr<CLine>>> taken;
        size_t shownAfter = 0;
        CRect area;  // the taken strokes' bounds grown by 5
    };
    // An undone step: a written stroke, or an erase.
    using RedoStep = std::variant<std::unique_ptr<CLine>, Erasure>;

    // Strokes written after an erase are shown after it, so the erase is the latest step
    // exactly when as many strokes are shown as right after it.
    bool LastStepErased() const;
    void TakeAway(Erasure& erasure);
    void PutBack(Erasure& erasure);

    template <typename Keep>
    CRect UnionOf(Keep keep) const;

    std::vector<std::unique_ptr<CLine>> m_lines;  // shown; index 0 is drawn first
    std::vector<Erasure> m_erasures;              // erases done, the latest last
    std::vector<RedoStep> m_redo;                 // undone; the last was undone most recently
};
