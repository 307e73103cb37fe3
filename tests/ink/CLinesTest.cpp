#include "InkTestSupport.h"

#include "ink/CLines.h"
#include "platform/Archive.h"

#include <QBuffer>
#include <QByteArray>

#include <gtest/gtest.h>

namespace {

constexpr WORD kPencil = 2;
constexpr WORD kEraser = 1;
constexpr WORD kMarker = 4;

QByteArray Store(CLines& lines)
{
    return StoreToBytes(lines);
}

void Load(CLines& lines, const QByteArray& bytes)
{
    LoadFromBytes(lines, bytes);
}

// Pencil strokes tagged by colour so tests can tell which survived.
void AddTagged(CLines& lines, COLORREF tag, POINT a, POINT b)
{
    lines.Add(MakeStroke(kPencil, LinePoints(a, b), 160, tag));
}

std::vector<COLORREF> Tags(const CLines& lines)
{
    std::vector<COLORREF> tags;
    for (int i = 0; i < lines.GetCount(); ++i)
        tags.push_back(lines.GetAt(i)->GetColor());
    return tags;
}

}  // namespace

TEST(CLinesHistory, undo_and_redo_on_nothing_change_nothing)
{
    CLines lines;
    DrawingSurface dc = WhiteSurface(8, 8);
    EXPECT_TRUE(lines.Undo().IsRectNull());
    EXPECT_TRUE(lines.Redo(&dc).IsRectNull());
    AddTagged(lines, 1, {1, 1}, {5, 5});
    EXPECT_TRUE(lines.Redo(&dc).IsRectNull());
    EXPECT_EQ(lines.GetCount(), 1);
    EXPECT_EQ(InkedPixels(dc), 0);
}

TEST(CLinesHistory, last_undone_comes_back_first)
{
    CLines lines;
    AddTagged(lines, 1, {0, 0}, {10, 0});
    AddTagged(lines, 2, {0, 10}, {10, 10});
    AddTagged(lines, 3, {0, 20}, {30, 20});
    EXPECT_EQ(lines.Undo(), CRect(0, 20, 30, 20));
    lines.Undo();
    EXPECT_EQ(Tags(lines), (std::vector<COLORREF>{1}));
    EXPECT_EQ(lines.GetRedoCount(), 2);

    DrawingSurface dc = WhiteSurface(40, 30);
    EXPECT_EQ(lines.Redo(&dc), CRect(0, 10, 10, 10));
    EXPECT_EQ(Tags(lines), (std::vector<COLORREF>{1, 2}));
    EXPECT_NE(dc.GetPixel(5, 10), kWhite);  // the redone stroke is drawn
    EXPECT_EQ(dc.GetPixel(15, 20), kWhite); // the one still undone is not

    lines.ClearRedo();
    EXPECT_TRUE(lines.Redo(&dc).IsRectNull());
    EXPECT_EQ(lines.GetCount(), 2);
}

TEST(CLinesHistory, an_erase_is_one_undo_step_that_puts_the_strokes_back_in_their_places)
{
    CLines lines;
    AddTagged(lines, 1, {40, 40}, {60, 45});    // inside the loop
    AddTagged(lines, 2, {150, 40}, {180, 40});
    AddTagged(lines, 3, {30, 60}, {50, 62});    // inside the loop
    AddTagged(lines, 4, {200, 200}, {220, 200});
    lines.Add(MakeStroke(kEraser, LoopPoints(CRect(20, 20, 100, 80)), 1, kBlack));
    ASSERT_EQ(lines.EraseByLasso(), CRect(25, 35, 65, 67));
    AddTagged(lines, 5, {300, 300}, {330, 300});  // written after the erase
    ASSERT_EQ(Tags(lines), (std::vector<COLORREF>{2, 4, 5}));

    EXPECT_EQ(lines.Undo(), CRect(300, 300, 330, 300));  // the latest step first
    EXPECT_EQ(Tags(lines), (std::vector<COLORREF>{2, 4}));
    EXPECT_TRUE(lines.CanUndo());
    EXPECT_EQ(lines.Undo(), CRect(25, 35, 65, 67));      // the whole erase at once
    EXPECT_EQ(Tags(lines), (std::vector<COLORREF>{1, 2, 3, 4}));
    EXPECT_EQ(lines.Undo(), CRect(200, 200, 220, 200));  // then the strokes written before it
    EXPECT_EQ(Tags(lines), (std::vector<COLORREF>{1, 2, 3}));
    EXPECT_EQ(lines.GetRedoCount(), 3);

    DrawingSurface dc = WhiteSurface(400, 400);
    EXPECT_FALSE(lines.RedoErases());
    EXPECT_EQ(lines.Redo(&dc), CRect(200, 200, 220, 200));
    const int inked = InkedPixels(dc);
    ASSERT_GT(inked, 0);
    EXPECT_TRUE(lines.RedoErases());
    EXPECT_EQ(lines.Redo(&dc), CRect(25, 35, 65, 67));   // the same strokes erased again,
    EXPECT_EQ(Tags(lines), (std::vector<COLORREF>{2, 4}));
    EXPECT_EQ(InkedPixels(dc), inked);                   // and the caller repaints their area
    lines.Redo(&dc);
    EXPECT_EQ(Tags(lines), (std::vector<COLORREF>{2, 4, 5}));

    // Undone again and then cleared, as a new stroke does: the erase stays done.
    lines.Undo();
    lines.Undo();
    lines.ClearRedo();
    EXPECT_TRUE(lines.Redo(&dc).IsRectNull());
    EXPECT_EQ(Tags(lines), (std::vector<COLORREF>{1, 2, 3, 4}));
}

TEST(CLinesHistory, a_new_or_loaded_page_forgets_earlier_erases)
{
    CLines lines;
    AddTagged(lines, 1, {40, 40}, {60, 45});
    lines.Add(MakeStroke(kEraser, LoopPoints(CRect(20, 20, 100, 80)), 1, kBlack));
    lines.EraseByLasso();
    ASSERT_EQ(lines.GetCount(), 0);
    EXPECT_TRUE(lines.CanUndo());
    lines.RemoveAll();
    EXPECT_FALSE(lines.CanUndo());
    EXPECT_TRUE(lines.Undo().IsRectNull());
    EXPECT_EQ(lines.GetCount(), 0);

    CLines source;
    AddTagged(source, 7, {0, 0}, {10, 10});
    AddTagged(lines, 2, {40, 40}, {60, 45});
    lines.Add(MakeStroke(kEraser, LoopPoints(CRect(20, 20, 100, 80)), 1, kBlack));
    lines.EraseByLasso();
    lines.Undo();                       // the erase waits in the redo history
    Load(lines, Store(source));
    DrawingSurface dc = WhiteSurface(100, 100);
    EXPECT_TRUE(lines.Redo(&dc).IsRectNull());
    EXPECT_EQ(Tags(lines), (std::vector<COLORREF>{7}));
    lines.Undo();
    EXPECT_FALSE(lines.CanUndo());
    EXPECT_EQ(lines.GetCount(), 0);
}

TEST(CLinesHistory, get_at_outside_the_list_is_an_error)
{
    CLines lines;
    EXPECT_THROW(lines.GetAt(0), CInvalidArgException);
    AddTagged(lines, 1, {0, 0}, {10, 0});
    EXPECT_NO_THROW(lines.GetAt(0));
    EXPECT_THROW(lines.GetAt(1), CInvalidArgException);
    EXPECT_THROW(lines.GetAt(-1), CInvalidArgException);
}

TEST(CLinesLasso, closed_loop_deletes_strokes_inside_it_without_crossing_them)
{
    CLines lines;
    AddTagged(lines, 1, {40, 40}, {60, 45});      // inside the loop
    AddTagged(lines, 2, {150, 40}, {180, 40});    // far outside
    AddTagged(lines, 3, {20, 100}, {120, 100});   // crossed by the loop's bottom side
    lines.Add(MakeStroke(kEraser, LoopPoints(CRect(20, 20, 100, 80)), 1, kBlack));

    const CRect erased = lines.EraseByLasso();
    EXPECT_EQ(Tags(lines), (std::vector<COLORREF>{2, 3}));
    EXPECT_EQ(erased, CRect(35, 35, 65, 50));  // the deleted stroke's bounds grown by 5
}

TEST(CLinesLasso, open_path_deletes_only_what_it_crosses)
{
    CLines lines;
    AddTagged(lines, 1, {50, 10}, {50, 90});   // crossed
    AddTagged(lines, 2, {70, 30}, {90, 30});   // beside the path, not crossed
    AddTagged(lines, 3, {10, 10}, {20, 12});   // nowhere near
    lines.Add(MakeStroke(kEraser, LinePoints({20, 50}, {100, 55}), 1, kBlack));

    const CRect erased = lines.EraseByLasso();
    EXPECT_EQ(Tags(lines), (std::vector<COLORREF>{2, 3}));
    EXPECT_EQ(erased, CRect(45, 5, 55, 95));
}

TEST(CLinesLasso, erased_area_is_the_union_of_the_deleted_strokes)
{
    CLines lines;
    AddTagged(lines, 1, {30, 30}, {40, 35});
    AddTagged(lines, 2, {60, 60}, {70, 50});
    AddTagged(lines, 3, {300, 300}, {310, 300});
    lines.Add(MakeStroke(kEraser, LoopPoints(CRect(10, 10, 90, 90)), 1, kBlack));
    EXPECT_EQ(lines.EraseByLasso(), CRect(25, 25, 75, 65));
    EXPECT_EQ(Tags(lines), (std::vector<COLORREF>{3}));
}

TEST(CLinesLasso, eraser_touching_nothing_removes_only_itself)
{
    CLines lines;
    AddTagged(lines, 1, {200, 200}, {220, 210});
    lines.Add(MakeStroke(kEraser, LoopPoints(CRect(10, 10, 50, 50)), 1, kBlack));
    EXPECT_TRUE(lines.EraseByLasso().IsRectEmpty());
    EXPECT_EQ(Tags(lines), (std::vector<COLORREF>{1}));
}

TEST(CLinesLasso, marker_ink_counts_with_its_width)
{
    // A wide marker line passes 4 pixels beside the eraser: its width reaches the path.
    CLines lines;
    lines.Add(MakeStroke(kMarker, LinePoints({10, 44}, {90, 44}), 10, RGB(255, 255, 0)));
    lines.Add(MakeStroke(kMarker, LinePoints({10, 70}, {90, 70}), 2, RGB(255, 255, 0)));
    lines.Add(MakeStroke(kEraser, LinePoints({10, 40}, {90, 40}), 1, kBlack));
    lines.EraseByLasso();
    ASSERT_EQ(lines.GetCount(), 1);
    EXPECT_EQ(lines.GetAt(0)->GetBounds().top, 70);
}

TEST(CLinesLasso, mask_is_white_outside_path_coloured_on_it_and_black_inside)
{
    auto eraser = MakeStroke(kEraser, LoopPoints(CRect(10, 10, 30, 30)), 1, kBlack);
    DrawingSurface mask;
    CRect maskRect;
    eraser->BuildLassoMask(mask, maskRect);
    EXPECT_EQ(maskRect, CRect(5, 5, 35, 35));
    EXPECT_EQ(mask.GetViewportOrg(), (POINT{0, 0}));
    // Device pixel = page pixel − (5, 5).
    EXPECT_EQ(mask.GetPixel(0, 0), kWhite);
    EXPECT_EQ(mask.GetPixel(15, 5), RGB(0, 0, 255));  // on the top side (20, 10)
    EXPECT_EQ(mask.GetPixel(15, 15), kBlack);          // the middle (20, 20)
    EXPECT_EQ(mask.GetPixel(29, 29), kWhite);
}

TEST(CLinesBounds, unions_count_dots_and_straight_strokes_and_split_marker_from_ink)
{
    CLines lines;
    EXPECT_TRUE(lines.GetBounds().IsRectNull());
    lines.Add(MakeStroke(kPencil, {{10, 10}, {20, 30}}));
    lines.Add(MakeStroke(kMarker, {{50, 50}, {60, 55}}, 4, RGB(255, 255, 0)));
    lines.Add(MakeStroke(3, {{100, 0}, {110, 8}}));
    EXPECT_EQ(lines.GetBounds(), CRect(10, 0, 110, 56));
    EXPECT_EQ(lines.GetMarkerBounds(), CRect(49, 49, 61, 56));
    EXPECT_EQ(lines.GetInkBounds(), CRect(10, 0, 110, 30));
    // A dot and a stroke along a row have bounds without area, and ink all the same.
    lines.Add(MakeStroke(kPencil, {{5, 100}, {5, 100}}));
    lines.Add(MakeStroke(kPencil, {{30, 120}, {90, 120}}));
    EXPECT_EQ(lines.GetBounds(), CRect(4, 0, 110, 121));
    EXPECT_EQ(lines.GetInkBounds(), CRect(4, 0, 110, 121));
    EXPECT_EQ(lines.GetMarkerBounds(), CRect(49, 49, 61, 56));
}

TEST(CLinesFile, round_trip_stores_only_the_shown_strokes)
{
    CLines lines;
    AddTagged(lines, 1, {0, 0}, {10, 10});
    AddTagged(lines, 2, {20, 20}, {30, 40});
    lines.Add(MakeStroke(kMarker, {{1, 2}, {3, 4}}, 6, 3));
    lines.Undo();
    const QByteArray bytes = Store(lines);

    CLines loaded;
    Load(loaded, bytes);
    EXPECT_EQ(Tags(loaded), (std::vector<COLORREF>{1, 2}));
    EXPECT_EQ(loaded.GetRedoCount(), 0);
    EXPECT_EQ(Store(loaded), bytes);
    DrawingSurface original = WhiteSurface(50, 50), reloaded = WhiteSurface(50, 50);
    lines.DrawAll(&original);
    loaded.DrawAll(&reloaded);
    EXPECT_EQ(original.Bitmap(), reloaded.Bitmap());
}

TEST(CLinesFile, loading_replaces_the_strokes)
{
    CLines source;
    AddTagged(source, 7, {0, 0}, {10, 10});
    CLines target;
    AddTagged(target, 1, {0, 0}, {5, 5});
    AddTagged(target, 2, {0, 0}, {5, 5});
    Load(target, Store(source));
    EXPECT_EQ(Tags(target), (std::vector<COLORREF>{7}));
}

TEST(CLinesFile, damaged_streams_raise_and_leave_the_list_alone)
{
    CLines source;
    AddTagged(source, 7, {0, 0}, {10, 10});
    AddTagged(source, 8, {5, 0}, {15, 10});
    const QByteArray bytes = Store(source);

    CLines target;
    AddTagged(target, 1, {0, 0}, {5, 5});
    for (int size = 0; size < bytes.size(); ++size)
        EXPECT_THROW(Load(target, bytes.left(size)), CArchiveException) << size;
    QByteArray huge(40, '\0');
    const LONG count = qToLittleEndian<LONG>(2000000000);
    std::memcpy(huge.data(), &count, 4);
    EXPECT_THROW(Load(target, huge), CArchiveException);
    EXPECT_EQ(Tags(target), (std::vector<COLORREF>{1}));
}
