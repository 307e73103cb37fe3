#include "pictures/CPictureList.h"
#include "pictures/IPageView.h"

#include "platform/Archive.h"
#include "platform/DrawingSurface.h"
#include "ArchiveBytes.h"
#include "ScriptedPrompts.h"

#include <QBuffer>
#include <QByteArray>

#include <gtest/gtest.h>

namespace {

constexpr COLORREF kPaper = RGB(250, 250, 250);

// A page that re-renders rectangles the way the canvas does: paper, then the pictures.
class PageHost : public IPageView {
public:
    PageHost(CPictureList& pictures, int width = 200, int height = 150)
        : m_pictures(pictures), m_page(DrawingSurface::CreateBitmap(width, height))
    {
        m_page.FillSolidRect(CRect(0, 0, width, height), kPaper);
    }

    void RedrawPageRect(const RECT& rect) override
    {
        CRect r(rect);
        r.InflateRect(5, 5);
        m_redrawn.push_back(rect);
        m_page.FillSolidRect(r, kPaper);
        m_pictures.DrawInRect(&m_page, r);
    }
    DrawingSurface* PageBuffer() override { return &m_page; }
    void ShowPictureMenu() override { ++m_menus; }

    CPictureList& m_pictures;
    DrawingSurface m_page;
    std::vector<CRect> m_redrawn;
    int m_menus = 0;
};

// A picture of one colour at rect.
std::unique_ptr<CPictureItem> Picture(const CRect& rect, QRgb color = 0xFF2080C0, int width = 10, int height = 10)
{
    QImage bitmap(width, height, QImage::Format_RGB32);
    bitmap.fill(color);
    auto picture = std::make_unique<CPictureItem>();
    picture->SetBitmap(bitmap, width, height);
    picture->SetRect(rect);
    return picture;
}

QByteArray Store(CPictureList& list)
{
    return StoreToBytes(list);
}

void Load(CPictureList& list, const QByteArray& bytes)
{
    LoadFromBytes(list, bytes);
}

template <typename T>
void PutLE(QByteArray& bytes, int offset, T value)
{
    const T le = qToLittleEndian(value);
    std::memcpy(bytes.data() + offset, &le, sizeof le);
}

constexpr unsigned kLeft = CPictureItem::MK_LBUTTON;

}  // namespace

TEST(PictureSelection, a_click_in_the_overlap_selects_the_picture_on_top)
{
    CPictureList list;
    list.Add(Picture(CRect(10, 10, 60, 60)));
    list.Add(Picture(CRect(40, 40, 90, 90)));
    PageHost host(list);
    EXPECT_TRUE(list.SelectAt(host, kLeft, 50, 50));
    EXPECT_EQ(list.GetSelectedIndex(), 1);
    ASSERT_EQ(host.m_redrawn.size(), 1u);
    EXPECT_EQ(host.m_redrawn[0], CRect(40, 40, 90, 90));

    // Clicking the selected picture again, or empty paper, changes nothing.
    EXPECT_FALSE(list.SelectAt(host, kLeft, 80, 80));
    EXPECT_FALSE(list.SelectAt(host, kLeft, 150, 20));
    EXPECT_EQ(list.GetSelectedIndex(), 1);

    // Another picture: both areas are re-rendered and the old one loses its frame.
    EXPECT_TRUE(list.SelectAt(host, kLeft, 20, 20));
    EXPECT_EQ(host.m_redrawn.back(), CRect(10, 10, 90, 90));
    EXPECT_FALSE(list.GetAt(1)->IsSelected());
    EXPECT_TRUE(list.GetAt(0)->IsSelected());
}

TEST(PictureSelection, within_five_pixels_selects_without_starting_a_move)
{
    CPictureList list;
    list.Add(Picture(CRect(50, 50, 100, 100)));
    PageHost host(list);
    EXPECT_FALSE(list.SelectAt(host, kLeft, 44, 75));  // six pixels off
    EXPECT_TRUE(list.SelectAt(host, kLeft, 45, 75));   // five pixels off
    EXPECT_EQ(list.OnMouseMove(host, kLeft, 30, 75), CRectTracker::hitNothing);
    EXPECT_FALSE(list.EndTrack(host, 0, 30, 75));
    EXPECT_EQ(list.GetAt(0)->GetRect(), CRect(50, 50, 100, 100));
}

TEST(PictureSelection, the_selected_picture_draws_its_hatched_frame_and_handles_on_the_window_only)
{
    CPictureList list;
    list.Add(Picture(CRect(50, 50, 100, 100)));
    PageHost host(list);
    list.SelectAt(host, kLeft, 60, 60);
    // The page keeps no trace of the frame: exports, printing and mail show the page as it is.
    EXPECT_EQ(host.m_page.GetPixel(45, 45), kPaper);
    EXPECT_EQ(host.m_page.GetPixel(74, 47), kPaper);

    // A window showing the page at scale 1 from its top-left corner.
    DrawingSurface window(host.m_page.Bitmap().copy());
    list.DrawSelectionFrame(&window, 1.0, {0, 0});
    EXPECT_EQ(window.GetPixel(45, 45), RGB(0, 0, 0));   // top-left handle
    EXPECT_EQ(window.GetPixel(104, 104), RGB(0, 0, 0)); // bottom-right handle
    EXPECT_EQ(window.GetPixel(74, 47), RGB(0, 0, 0));   // top handle
    EXPECT_EQ(window.GetPixel(60, 60), RGB(0x20, 0x80, 0xC0));
    int black = 0, white = 0;
    for (int x = 56; x < 70; ++x) {  // the border above the picture, between handles
        const COLORREF c = window.GetPixel(x, 47);
        black += c == RGB(0, 0, 0);
        white += c == RGB(255, 255, 255);
    }
    EXPECT_GT(black, 0);
    EXPECT_GT(white, black);
    EXPECT_EQ(window.GetPixel(40, 40), kPaper);

    // At half zoom with the page's left edge 20 pixels into the window, everything is half as
    // large: the picture covers window (45, 25)-(70, 50), the frame (42, 22)-(72, 52).
    DrawingSurface half(DrawingSurface::CreateBitmap(120, 80));
    half.FillSolidRect(CRect(0, 0, 120, 80), kPaper);
    list.DrawSelectionFrame(&half, 0.5, {20, 0});
    EXPECT_EQ(half.GetPixel(42, 22), RGB(0, 0, 0));  // top-left handle
    EXPECT_EQ(half.GetPixel(44, 24), RGB(0, 0, 0));
    EXPECT_EQ(half.GetPixel(71, 51), RGB(0, 0, 0));  // bottom-right handle
    EXPECT_EQ(half.GetPixel(41, 24), kPaper);
    EXPECT_EQ(half.GetPixel(72, 51), kPaper);
    EXPECT_EQ(half.GetPixel(50, 35), kPaper);        // the picture itself is the page's to show

    // Deselecting gives back the rectangle to repaint, and no frame is drawn any more.
    EXPECT_EQ(list.Deselect(), CRect(50, 50, 100, 100));
    DrawingSurface after(host.m_page.Bitmap().copy());
    list.DrawSelectionFrame(&after, 1.0, {0, 0});
    EXPECT_EQ(after.Bitmap(), host.m_page.Bitmap());
    EXPECT_TRUE(list.Deselect().IsRectNull());
}

TEST(PictureSelection, a_huge_picture_draws_its_frame_at_once)
{
    // The frame is drawn over the window's pixels only, not over the whole of the picture.
    CPictureList list;
    list.Add(Picture(CRect(0, -(1 << 28), 1 << 28, 1 << 28)));
    PageHost host(list);
    ASSERT_TRUE(list.SelectAt(host, kLeft, 60, 60));
    DrawingSurface window(DrawingSurface::CreateBitmap(40, 30));
    window.FillSolidRect(CRect(0, 0, 40, 30), kPaper);
    list.DrawSelectionFrame(&window, 1.0, {20, 15});
    EXPECT_EQ(window.GetPixel(17, 14), RGB(0, 0, 0));  // the left handle, page (-5..0, -3..2)
    EXPECT_EQ(window.GetPixel(25, 14), kPaper);        // inside the picture
}

TEST(PictureTracking, hovering_reports_handles_middle_and_nothing)
{
    CPictureList list;
    list.Add(Picture(CRect(50, 50, 100, 100)));
    PageHost host(list);
    EXPECT_EQ(list.OnMouseMove(host, 0, 75, 75), CRectTracker::hitNothing);  // nothing selected
    list.SelectAt(host, kLeft, 75, 75);
    EXPECT_EQ(list.OnMouseMove(host, 0, 47, 47), CRectTracker::hitTopLeft);
    EXPECT_EQ(list.OnMouseMove(host, 0, 102, 47), CRectTracker::hitTopRight);
    EXPECT_EQ(list.OnMouseMove(host, 0, 102, 102), CRectTracker::hitBottomRight);
    EXPECT_EQ(list.OnMouseMove(host, 0, 47, 102), CRectTracker::hitBottomLeft);
    EXPECT_EQ(list.OnMouseMove(host, 0, 75, 47), CRectTracker::hitTop);
    EXPECT_EQ(list.OnMouseMove(host, 0, 102, 75), CRectTracker::hitRight);
    EXPECT_EQ(list.OnMouseMove(host, 0, 75, 102), CRectTracker::hitBottom);
    EXPECT_EQ(list.OnMouseMove(host, 0, 47, 75), CRectTracker::hitLeft);
    EXPECT_EQ(list.OnMouseMove(host, 0, 75, 75), CRectTracker::hitMiddle);
    EXPECT_EQ(list.OnMouseMove(host, 0, 20, 20), CRectTracker::hitNothing);
}

TEST(PictureTracking, dragging_the_middle_moves_the_picture_on_release)
{
    CPictureList list;
    list.Add(Picture(CRect(50, 50, 100, 100)));
    PageHost host(list);
    list.SelectAt(host, kLeft, 60, 60);
    EXPECT_EQ(list.OnMouseMove(host, kLeft, 70, 65), CRectTracker::hitMiddle);
    EXPECT_EQ(list.OnMouseMove(host, kLeft, 90, 80), CRectTracker::hitMiddle);
    EXPECT_EQ(list.GetAt(0)->GetRect(), CRect(50, 50, 100, 100));  // not before the release
    EXPECT_EQ(list.GetAt(0)->GetTrackRect(), CRect(80, 70, 130, 120));
    EXPECT_TRUE(list.EndTrack(host, 0, 90, 80));
    EXPECT_EQ(list.GetAt(0)->GetRect(), CRect(80, 70, 130, 120));
    EXPECT_EQ(host.m_redrawn.back(), CRect(50, 50, 130, 120));
    EXPECT_EQ(host.m_page.GetPixel(60, 60), kPaper);
    EXPECT_EQ(host.m_page.GetPixel(125, 115), RGB(0x20, 0x80, 0xC0));
}

TEST(PictureTracking, a_handle_dragged_past_the_opposite_edge_gives_a_normal_rectangle)
{
    CPictureList list;
    list.Add(Picture(CRect(50, 50, 100, 100)));
    PageHost host(list);
    list.SelectAt(host, kLeft, 60, 60);
    ASSERT_EQ(list.OnMouseMove(host, 0, 47, 47), CRectTracker::hitTopLeft);
    list.OnMouseMove(host, kLeft, 130, 140);
    EXPECT_EQ(list.GetAt(0)->GetTrackRect(), CRect(130, 140, 100, 100));
    EXPECT_TRUE(list.EndTrack(host, 0, 130, 140));
    EXPECT_EQ(list.GetAt(0)->GetRect(), CRect(100, 100, 130, 140));
}

TEST(PictureTracking, a_drag_from_the_frame_moves_the_picture_from_where_it_is)
{
    CPictureList list;
    list.Add(Picture(CRect(50, 50, 100, 100)));
    list.Add(Picture(CRect(150, 50, 190, 100)));
    PageHost host(list);
    list.SelectAt(host, kLeft, 60, 60);  // a press inside, released where it was
    EXPECT_FALSE(list.EndTrack(host, 0, 60, 60));

    // Hover onto the frame between two handles, press there, drag 10 right and 10 down.
    ASSERT_EQ(list.OnMouseMove(host, 0, 47, 60), CRectTracker::hitMiddle);
    EXPECT_FALSE(list.SelectAt(host, kLeft, 47, 60));
    list.OnMouseMove(host, kLeft, 52, 65);
    list.OnMouseMove(host, kLeft, 57, 70);
    EXPECT_TRUE(list.EndTrack(host, 0, 57, 70));
    EXPECT_EQ(list.GetAt(0)->GetRect(), CRect(60, 60, 110, 110));

    // On the frame of a picture that is not selected, a press only selects, even though that
    // picture was dragged before.
    list.SelectAt(host, kLeft, 160, 60);
    list.OnMouseMove(host, kLeft, 170, 70);
    EXPECT_TRUE(list.EndTrack(host, 0, 170, 70));
    ASSERT_EQ(list.GetAt(1)->GetRect(), CRect(160, 60, 200, 110));
    list.SelectAt(host, kLeft, 70, 70);
    EXPECT_TRUE(list.SelectAt(host, kLeft, 157, 80));
    EXPECT_EQ(list.GetSelectedIndex(), 1);
    list.OnMouseMove(host, kLeft, 140, 90);
    EXPECT_FALSE(list.EndTrack(host, 0, 140, 90));
    EXPECT_EQ(list.GetAt(1)->GetRect(), CRect(160, 60, 200, 110));
}

TEST(PictureTracking, a_drop_beyond_what_a_note_can_hold_is_refused)
{
    CPictureList list;
    list.Add(Picture(CRect(50, 50, 100, 100)));
    PageHost host(list);
    list.SelectAt(host, kLeft, 60, 60);
    ASSERT_EQ(list.OnMouseMove(host, 0, 102, 102), CRectTracker::hitBottomRight);
    list.OnMouseMove(host, kLeft, 1 << 30, 102);
    EXPECT_TRUE(list.EndTrack(host, 0, 1 << 30, 102));  // the drag frame is taken away
    EXPECT_EQ(list.GetAt(0)->GetRect(), CRect(50, 50, 100, 100));
    EXPECT_EQ(host.m_page.GetPixel(60, 60), RGB(0x20, 0x80, 0xC0));
}

TEST(PictureTracking, release_without_a_move_re_renders_nothing_and_leaves_no_frame)
{
    CPictureList list;
    list.Add(Picture(CRect(50, 50, 100, 100)));
    PageHost host(list);
    list.SelectAt(host, kLeft, 60, 60);
    const QImage before = host.m_page.Bitmap().copy();
    const size_t redraws = host.m_redrawn.size();
    EXPECT_FALSE(list.EndTrack(host, 0, 60, 60));
    EXPECT_EQ(host.m_redrawn.size(), redraws);

    // Out and back again: the drag frame shown meanwhile is taken off the page.
    list.SelectAt(host, kLeft, 60, 60);
    list.OnMouseMove(host, kLeft, 80, 80);
    EXPECT_NE(host.m_page.Bitmap(), before);
    list.OnMouseMove(host, kLeft, 60, 60);
    EXPECT_TRUE(list.EndTrack(host, 0, 60, 60));
    EXPECT_EQ(host.m_redrawn.size(), redraws);
    EXPECT_EQ(host.m_page.Bitmap(), before);
}

TEST(PictureMenu, shown_only_inside_the_selected_picture)
{
    CPictureList list;
    list.Add(Picture(CRect(50, 50, 100, 100)));
    PageHost host(list);
    EXPECT_FALSE(list.ShowContextMenu(host, 0, 60, 60));  // nothing selected
    list.SelectAt(host, kLeft, 60, 60);
    EXPECT_FALSE(list.ShowContextMenu(host, 0, 47, 60));  // on the frame, outside the picture
    EXPECT_TRUE(list.ShowContextMenu(host, 0, 60, 60));
    EXPECT_EQ(host.m_menus, 1);
    EXPECT_EQ(list.GetAt(0)->GetHit(), CRectTracker::hitNothing);
}

TEST(PictureStacking, commands_at_the_ends_or_without_selection_change_nothing)
{
    CPictureList list;
    for (int i = 0; i < 3; ++i)
        list.Add(Picture(CRect(10 * i, 0, 10 * i + 50, 50), 0xFF000000u | QRgb(i)));
    PageHost host(list);
    for (auto command : {&CPictureList::MoveToFront, &CPictureList::MoveToBack, &CPictureList::MoveForward,
                         &CPictureList::MoveBackward, &CPictureList::DeleteSelected, &CPictureList::Deselect})
        EXPECT_TRUE((list.*command)().IsRectNull());

    list.SelectAt(host, kLeft, 65, 10);  // only the top picture (index 2) is there
    ASSERT_EQ(list.GetSelectedIndex(), 2);
    EXPECT_TRUE(list.MoveToFront().IsRectNull());
    EXPECT_TRUE(list.MoveForward().IsRectNull());
    EXPECT_EQ(list.MoveBackward(), CRect(20, 0, 70, 50));
    EXPECT_EQ(list.GetSelectedIndex(), 1);
    EXPECT_EQ(list.MoveToBack(), CRect(20, 0, 70, 50));
    EXPECT_EQ(list.GetSelectedIndex(), 0);
    EXPECT_TRUE(list.MoveToBack().IsRectNull());
    EXPECT_TRUE(list.MoveBackward().IsRectNull());
    EXPECT_EQ(list.MoveForward(), CRect(20, 0, 70, 50));
    EXPECT_EQ(list.MoveToFront(), CRect(20, 0, 70, 50));
    EXPECT_EQ(list.GetSelectedIndex(), 2);
    EXPECT_EQ(list.GetAt(0)->GetRect().left, 0);
    EXPECT_EQ(list.GetAt(1)->GetRect().left, 10);
    EXPECT_EQ(list.GetSelectedRect(), CRect(20, 0, 70, 50));

    EXPECT_EQ(list.DeleteSelected(), CRect(20, 0, 70, 50));
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.GetSelectedIndex(), -1);
    EXPECT_TRUE(list.GetSelectedRect().IsRectNull());
}

TEST(PictureDrawing, a_partial_redraw_matches_the_whole_picture)
{
    // A 4 × 4 picture shown twice as large, with a different colour in every pixel.
    QImage bitmap(4, 4, QImage::Format_RGB32);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            bitmap.setPixel(x, y, qRgb(x * 60, y * 60, 100));
    CPictureItem picture;
    picture.SetBitmap(bitmap, 4, 4);
    picture.SetRect(CRect(10, 10, 18, 18));
    DrawingSurface whole(DrawingSurface::CreateBitmap(30, 30));
    DrawingSurface parts(DrawingSurface::CreateBitmap(30, 30));
    EXPECT_EQ(picture.Draw(&whole), CRect(10, 10, 18, 18));
    EXPECT_FALSE(picture.DrawInRect(&parts, CRect(0, 0, 10, 10)));
    EXPECT_TRUE(picture.DrawInRect(&parts, CRect(0, 0, 14, 30)));
    EXPECT_TRUE(picture.DrawInRect(&parts, CRect(14, 12, 30, 30)));
    EXPECT_TRUE(picture.DrawInRect(&parts, CRect(14, 0, 30, 12)));
    EXPECT_EQ(parts.Bitmap(), whole.Bitmap());
    EXPECT_EQ(whole.GetPixel(17, 11), RGB(180, 0, 100));
}

TEST(PictureDrawing, a_stretched_picture_redrawn_in_two_parts_shows_no_seam)
{
    // Scales with no whole ratio, larger and smaller: every split, across and down, must give
    // each page pixel the source pixel the whole picture gives it.
    QImage bitmap(7, 6, QImage::Format_RGB32);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 7; ++x)
            bitmap.setPixel(x, y, qRgb(x * 30, y * 40, 200));
    for (const CRect& rect : {CRect(3, 4, 13, 13), CRect(2, 1, 7, 5)}) {
        CPictureItem picture;
        picture.SetBitmap(bitmap, 7, 6);
        picture.SetRect(rect);
        DrawingSurface whole(DrawingSurface::CreateBitmap(16, 16));
        picture.Draw(&whole);
        for (LONG at = rect.left + 1; at < rect.right; ++at) {
            DrawingSurface parts(DrawingSurface::CreateBitmap(16, 16));
            picture.DrawInRect(&parts, CRect(0, 0, at, 16));
            picture.DrawInRect(&parts, CRect(at, 0, 16, 16));
            EXPECT_EQ(parts.Bitmap(), whole.Bitmap()) << "split at x " << at;
        }
        for (LONG at = rect.top + 1; at < rect.bottom; ++at) {
            DrawingSurface parts(DrawingSurface::CreateBitmap(16, 16));
            picture.DrawInRect(&parts, CRect(0, 0, 16, at));
            picture.DrawInRect(&parts, CRect(0, at, 16, 16));
            EXPECT_EQ(parts.Bitmap(), whole.Bitmap()) << "split at y " << at;
        }
    }
}

TEST(PictureDrawing, extent_is_the_largest_right_and_bottom_edges)
{
    CPictureList list;
    EXPECT_EQ(list.GetExtent(), (SIZE{0, 0}));
    list.Add(Picture(CRect(-50, -40, -10, -5)));
    EXPECT_EQ(list.GetExtent(), (SIZE{0, 0}));
    list.Add(Picture(CRect(10, 20, 300, 40)));
    list.Add(Picture(CRect(0, 0, 30, 400)));
    EXPECT_EQ(list.GetExtent(), (SIZE{300, 400}));
}

TEST(PictureRecord, bytes_are_head_then_bottom_up_rows)
{
    QImage bitmap(2, 3, QImage::Format_RGB32);
    bitmap.fill(qRgb(1, 2, 3));
    bitmap.setPixel(0, 2, qRgb(9, 8, 7));  // bottom-left: the first pixel of the data
    CPictureList list;
    auto picture = std::make_unique<CPictureItem>();
    picture->SetBitmap(bitmap, 2, 3);
    picture->SetRect(CRect(5, 6, 25, 36));
    list.Add(std::move(picture));
    const QByteArray bytes = Store(list);
    ASSERT_EQ(bytes.size(), 4 + 28 + 24);
    const auto at = [&](int offset) { return qFromLittleEndian<LONG>(bytes.constData() + offset); };
    EXPECT_EQ(at(0), 1);
    EXPECT_EQ(at(4), 3);   // height
    EXPECT_EQ(at(8), 2);   // width
    EXPECT_EQ(at(12), 5);
    EXPECT_EQ(at(16), 6);
    EXPECT_EQ(at(20), 25);
    EXPECT_EQ(at(24), 36);
    EXPECT_EQ(at(28), 24); // image data bytes: rows of 8
    EXPECT_EQ(bytes.mid(32, 8), QByteArray("\x07\x08\x09\x03\x02\x01\x00\x00", 8));

    CPictureList loaded;
    Load(loaded, bytes);
    ASSERT_EQ(loaded.GetCount(), 1);
    EXPECT_EQ(loaded.GetAt(0)->GetRect(), CRect(5, 6, 25, 36));
    EXPECT_EQ(loaded.GetAt(0)->Bitmap(), bitmap);
    EXPECT_EQ(Store(loaded), bytes);
}

TEST(PictureRecord, an_empty_list_is_a_zero_count)
{
    CPictureList list;
    EXPECT_EQ(Store(list), QByteArray(4, '\0'));
}

TEST(PictureRecord, a_picture_without_bitmap_saves_as_zero_by_zero_and_loads_back_silently)
{
    ScriptedPrompts prompts;
    CPictureList list;
    auto empty = std::make_unique<CPictureItem>();
    empty->SetRect(CRect(1, 2, 3, 4));
    list.Add(std::move(empty));
    list.Add(Picture(CRect(0, 0, 10, 10)));
    const QByteArray bytes = Store(list);
    EXPECT_EQ(bytes.mid(4, 28), QByteArray::fromHex("00000000" "00000000" "01000000" "02000000" "03000000"
                                                    "04000000" "00000000"));
    CPictureList loaded;
    Load(loaded, bytes);
    ASSERT_EQ(loaded.GetCount(), 2);
    EXPECT_TRUE(loaded.GetAt(0)->Bitmap().isNull());
    EXPECT_FALSE(loaded.GetAt(1)->Bitmap().isNull());
    EXPECT_TRUE(prompts.Messages().empty());
}

TEST(PictureRecord, damaged_records_fail_the_load_and_keep_the_list)
{
    CPictureList source;
    source.Add(Picture(CRect(0, 0, 10, 10)));
    const QByteArray good = Store(source);

    CPictureList target;
    target.Add(Picture(CRect(7, 7, 9, 9)));
    for (int size = 0; size < good.size(); ++size)
        EXPECT_THROW(Load(target, good.left(size)), CArchiveException) << size;

    QByteArray negative = good;
    PutLE<LONG>(negative, 8, -10);
    EXPECT_THROW(Load(target, negative), CArchiveException);

    QByteArray lying = good;  // claims 100000 × 100000 pixels in a few hundred bytes
    PutLE<LONG>(lying, 4, 100000);
    PutLE<LONG>(lying, 8, 100000);
    EXPECT_THROW(Load(target, lying), CArchiveException);

    QByteArray tooMany = good;
    PutLE<LONG>(tooMany, 0, 2000000000);
    EXPECT_THROW(Load(target, tooMany), CArchiveException);

    ASSERT_EQ(target.GetCount(), 1);
    EXPECT_EQ(target.GetAt(0)->GetRect(), CRect(7, 7, 9, 9));
}

TEST(PictureRecord, a_placement_beyond_any_page_is_refused_on_load_and_never_saved)
{
    CPictureList source;
    source.Add(Picture(CRect(0, 0, 10, 10)));
    const QByteArray good = Store(source);
    CPictureList target;
    target.Add(Picture(CRect(7, 7, 9, 9)));
    const LONG huge = 2147483647;
    for (const CRect& crafted : {CRect(-huge - 1, -huge - 1, huge, huge), CRect(0, 0, huge, 20),
                                 CRect(0, 0, 20, 1 << 30), CRect(-(1 << 30), 0, 20, 20)}) {
        QByteArray bytes = good;
        PutLE<LONG>(bytes, 12, crafted.left);
        PutLE<LONG>(bytes, 16, crafted.top);
        PutLE<LONG>(bytes, 20, crafted.right);
        PutLE<LONG>(bytes, 24, crafted.bottom);
        EXPECT_THROW(Load(target, bytes), CArchiveException) << crafted.right;
    }
    ASSERT_EQ(target.GetCount(), 1);
    EXPECT_EQ(target.GetAt(0)->GetRect(), CRect(7, 7, 9, 9));

    // Far off the page, yet within reach: kept.
    QByteArray far = good;
    PutLE<LONG>(far, 12, -300000);
    Load(target, far);
    EXPECT_EQ(target.GetAt(0)->GetRect(), CRect(-300000, 0, 10, 10));

    // What a load would refuse is never written.
    CPictureList wide;
    wide.Add(Picture(CRect(0, 0, 1 << 30, 10)));
    EXPECT_THROW(Store(wide), CArchiveException);
}

TEST(PictureRecord, pictures_larger_than_a_file_may_bring_are_not_taken)
{
    CPictureItem picture;
    EXPECT_FALSE(picture.SetBitmap(QImage(32768, 1, QImage::Format_RGB32), 32768, 1));
    EXPECT_TRUE(picture.Bitmap().isNull());
    EXPECT_EQ(picture.GetRect(), CRect());
    EXPECT_TRUE(picture.SetBitmap(QImage(32767, 2, QImage::Format_RGB32), 32767, 2));
    EXPECT_EQ(picture.GetRect(), CRect(0, 0, 32767, 2));
}

TEST(PictureRecord, short_image_data_is_reported_and_leaves_no_bitmap)
{
    ScriptedPrompts prompts;
    CPictureList source;
    source.Add(Picture(CRect(0, 0, 4, 4), 0xFF112233, 4, 4));
    QByteArray bytes = Store(source);
    PutLE<LONG>(bytes, 8, 5);  // width 5 needs 16-byte rows: 64 bytes, 48 stored
    bytes.append(QByteArray(64, '\0'));  // plenty of bytes after the record
    CPictureList loaded;
    Load(loaded, bytes);
    ASSERT_EQ(loaded.GetCount(), 1);
    EXPECT_TRUE(loaded.GetAt(0)->Bitmap().isNull());
    ASSERT_EQ(prompts.Messages().size(), 1u);
    EXPECT_EQ(prompts.Messages()[0].text, "Too small buffer size");
    EXPECT_EQ(prompts.Messages()[0].caption, "OpenPicture");
}
