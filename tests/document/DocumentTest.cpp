#include "ArchiveBytes.h"
#include "FifoFeeder.h"
#include "QtPrinting.h"
#include "ScriptedPrompts.h"

#include "canvas/HeadlessView.h"
#include "document/CScrivaDoc.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const CRect kScreen(0, 0, 1024, 768);
constexpr COLORREF kBack = 0xCCE2E5;
constexpr COLORREF kLine = 0xACC0C5;

// A note document shown by a window-less view on a 1024 × 768 screen with default settings.
class NoteTest : public ::testing::Test {
protected:
    NoteTest() : m_view(m_doc, kScreen, m_dir.filePath("KSTPVX.ini")) {}

    QString Path(const QString& name) const { return m_dir.filePath(name); }

    void AddStroke(POINT a, POINT b, COLORREF color = RGB(0, 0, 128))
    {
        auto line = std::make_unique<CLine>();
        line->SetColor(color);
        line->SetPenType(2, 1);
        for (int i = 0; i <= 10; ++i)
            line->AddPoint(a.x + (b.x - a.x) * i / 10, a.y + (b.y - a.y) * i / 10, 160);
        m_doc.m_lines.Add(std::move(line));
        m_doc.SetModifiedFlag(true);
    }

    static QByteArray Contents(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static void Write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    COLORREF PagePixel(int x, int y) { return m_view.Page().Surface().GetPixel(x, y); }

    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    CScrivaDoc m_doc;
    HeadlessView m_view;
};

}  // namespace

TEST_F(NoteTest, new_page_is_ruled_every_90_pixels_down_a_page_4_3_of_the_screen_tall)
{
    EXPECT_EQ(m_view.Page().PageRect(), CRect(0, 0, 1024, 1365));
    int lines = 0;
    for (int y = 1; y < 1365; ++y)
        lines += PagePixel(500, y) == kLine && PagePixel(500, y - 1) != kLine;
    EXPECT_EQ(lines, 15);
    EXPECT_EQ(PagePixel(0, 89), kLine);   // each line is two pixels: 89 and 90
    EXPECT_EQ(PagePixel(1023, 90), kLine);
    EXPECT_EQ(PagePixel(500, 91), kBack);
    EXPECT_EQ(PagePixel(500, 1350), kLine);
    EXPECT_EQ(PagePixel(500, 1364), kBack);
}

TEST_F(NoteTest, redrawing_a_rectangle_starts_one_spacing_below_its_grown_top)
{
    CanvasPage& page = m_view.Page();
    page.RedrawPageRect(CRect(100, 95, 200, 300));  // grown: (95, 90) .. (205, 305)
    EXPECT_EQ(page.Surface().GetPixel(150, 90), kBack);  // the line at the top is not redrawn
    EXPECT_EQ(page.Surface().GetPixel(150, 89), kLine);  // outside the rectangle
    EXPECT_EQ(page.Surface().GetPixel(95, 179), kLine);
    EXPECT_EQ(page.Surface().GetPixel(204, 180), kLine);
    page.Surface().FillSolidRect(CRect(0, 0, 300, 200), RGB(1, 2, 3));
    page.RedrawPageRect(CRect(10, -20, 50, 60));  // grown top is negative: first line at 90
    EXPECT_EQ(page.Surface().GetPixel(20, 0), kBack);
    EXPECT_EQ(page.Surface().GetPixel(20, 64), kBack);
    EXPECT_EQ(page.Surface().GetPixel(20, 65), RGB(1, 2, 3));
}

TEST_F(NoteTest, line_spacing_moves_in_tens_between_40_and_the_page_height)
{
    CanvasPage& page = m_view.Page();
    page.m_nLineHeight = 50;
    EXPECT_TRUE(page.DecreaseLineHeight());
    EXPECT_EQ(page.m_nLineHeight, 40);
    EXPECT_FALSE(page.DecreaseLineHeight());
    EXPECT_EQ(PagePixel(500, 40), kLine);
    page.m_nLineHeight = 1365;
    EXPECT_TRUE(page.IncreaseLineHeight());
    EXPECT_FALSE(page.IncreaseLineHeight());
    EXPECT_EQ(page.m_nLineHeight, 1375);
}

TEST_F(NoteTest, add_line_lengthens_the_page_and_a_new_note_shrinks_it_back)
{
    AddStroke({100, 100}, {300, 120});
    for (int i = 0; i < 3; ++i)
        m_view.Page().AddPageLength();
    EXPECT_EQ(m_view.Page().PageHeight(), 5460);
    EXPECT_EQ(m_view.Page().Surface().DeviceHeight(), 5460);
    EXPECT_EQ(PagePixel(500, 5400), kLine);
    EXPECT_NE(PagePixel(200, 110), kBack);  // the ink is drawn again
    m_doc.SetModifiedFlag(false);
    EXPECT_TRUE(m_doc.OnFileNew());
    EXPECT_EQ(m_view.Page().PageHeight(), 1365);
    EXPECT_EQ(m_doc.m_lines.GetCount(), 0);
}

TEST_F(NoteTest, an_empty_note_is_the_page_head_and_two_zero_counts)
{
    const QByteArray bytes = StoreToBytes(m_doc);
    ASSERT_EQ(bytes.size(), 32 + 4);
    EXPECT_EQ(bytes, QByteArray::fromHex("e5e2cc00" "c5c0ac00" "5a000000" "00000000" "00000000" "00040000"
                                         "55050000" "00000000" "00000000"));
}

TEST_F(NoteTest, a_saved_note_opens_with_its_strokes_page_and_title)
{
    AddStroke({50, 50}, {400, 300});
    m_view.Page().AddPageLength();
    m_view.Page().m_crBack = RGB(255, 255, 240);
    ASSERT_TRUE(m_doc.OnSaveDocument(Path("a.Ilf")));
    EXPECT_FALSE(m_doc.IsModified());

    CScrivaDoc other;
    HeadlessView view(other, kScreen, Path("KSTPVX.ini"));
    ASSERT_TRUE(other.OnOpenDocument(Path("a.Ilf")));
    EXPECT_EQ(other.m_lines.GetCount(), 1);
    EXPECT_EQ(view.Page().PageHeight(), 2730);
    EXPECT_EQ(view.Page().Surface().DeviceHeight(), 2730);
    EXPECT_EQ(view.Page().Surface().GetPixel(10, 10), RGB(255, 255, 240));
    EXPECT_NE(view.Page().Surface().GetPixel(225, 175), RGB(255, 255, 240));
    EXPECT_TRUE(view.HasInk());
    EXPECT_EQ(other.GetTitle(), "a.Ilf");
    m_view.DrawRuledLines(true);
    EXPECT_EQ(view.Page().Surface().Bitmap(), m_view.Page().Surface().Bitmap());
    EXPECT_EQ(Contents(Path("a.Ilf")), StoreToBytes(other));
}

TEST_F(NoteTest, a_view_made_to_open_a_note_has_no_page_until_the_note_gives_it_one)
{
    AddStroke({50, 50}, {400, 300});
    ASSERT_TRUE(m_doc.OnSaveDocument(Path("new-size.Ilf")));  // the page a new view makes
    m_view.Page().AddPageLength();
    ASSERT_TRUE(m_doc.OnSaveDocument(Path("longer.Ilf")));
    for (const char* name : {"new-size.Ilf", "longer.Ilf"}) {
        ASSERT_TRUE(m_doc.OnOpenDocument(Path(name)));
        CScrivaDoc other;
        HeadlessView view(other, kScreen, Path("KSTPVX.ini"), HeadlessView::Start::OpeningNote);
        EXPECT_TRUE(view.Page().Surface().IsNull()) << name;
        ASSERT_TRUE(other.OnOpenDocument(Path(name))) << name;
        EXPECT_EQ(view.Page().Surface().DeviceHeight(), m_view.Page().PageHeight()) << name;
        EXPECT_TRUE(view.HasInk()) << name;
        EXPECT_EQ(view.Page().Surface().Bitmap(), m_view.Page().Surface().Bitmap()) << name;
    }
}

TEST_F(NoteTest, the_name_decides_between_note_device_file_and_nothing)
{
    ASSERT_TRUE(m_doc.OnSaveDocument(Path("a.ILF.BAK")));
    EXPECT_TRUE(m_doc.OnOpenDocument(Path("a.ILF.BAK")));
    EXPECT_TRUE(m_doc.PendingDeviceFile().isEmpty());

    EXPECT_TRUE(m_doc.OnOpenDocument(Path("x.qvn")));
    EXPECT_EQ(m_doc.PendingDeviceFile(), Path("x.qvn"));
    EXPECT_EQ(m_doc.GetTitle(), "x.qvn");

    EXPECT_FALSE(m_doc.OnOpenDocument(Path("picture.png")));
    EXPECT_TRUE(m_prompts.Messages().empty());
}

TEST_F(NoteTest, damaged_notes_are_refused_and_the_page_stays)
{
    AddStroke({10, 10}, {90, 90});
    ASSERT_TRUE(m_doc.OnSaveDocument(Path("good.Ilf")));
    const QByteArray good = Contents(Path("good.Ilf"));
    AddStroke({100, 10}, {190, 90});  // the page now differs from the file

    QByteArray lying = good;
    const LONG count = qToLittleEndian<LONG>(2000000000);
    std::memcpy(lying.data() + 28, &count, 4);
    QByteArray hugePage = good;
    const LONG bottom = qToLittleEndian<LONG>(2000000000);
    std::memcpy(hugePage.data() + 24, &bottom, 4);
    QByteArray random(5000, '\0');
    for (int i = 0; i < random.size(); ++i)
        random[i] = char((i * 7919 + 13) % 251);
    const QList<QByteArray> damaged = {good.left(good.size() - 3), good.left(20), lying, hugePage, random};
    int n = 0;
    for (const QByteArray& bytes : damaged)
        Write(Path(QStringLiteral("bad%1.Ilf").arg(n++)), bytes);
    QDir(m_dir.path()).mkdir("folder.Ilf");

    const QImage before = m_view.Page().Surface().Bitmap().copy();
    for (const QString& name : {"bad0.Ilf", "bad1.Ilf", "bad2.Ilf", "bad3.Ilf", "bad4.Ilf", "folder.Ilf", "gone.Ilf"})
        EXPECT_FALSE(m_doc.OnOpenDocument(Path(name))) << name;
    EXPECT_EQ(m_doc.m_lines.GetCount(), 2);
    EXPECT_EQ(m_view.Page().Surface().Bitmap(), before);
    ASSERT_EQ(m_prompts.Messages().size(), 7u);
    EXPECT_EQ(m_prompts.Messages()[0].text, "Unexpected file format.");
    EXPECT_EQ(m_prompts.Messages()[6].text, "Failed to open document.");
}

TEST_F(NoteTest, a_stroke_far_off_the_page_opens_and_erases_and_one_past_any_page_is_refused)
{
    // A one-pixel marker line from the page to 500 million pixels out, within the furthest a
    // stored point may lie (2^29): it opens at once, shows its part on the page and can be erased.
    auto far = std::make_unique<CLine>();
    far->SetColor(RGB(200, 0, 0));
    far->SetPenType(4, 0);
    far->AddPoint(100, 100, 1);
    far->AddPoint(500000000, 500000100, 1);
    m_doc.m_lines.Add(std::move(far));
    ASSERT_TRUE(m_doc.OnSaveDocument(Path("far.Ilf")));
    m_doc.OnNewDocument();
    ASSERT_TRUE(m_doc.OnOpenDocument(Path("far.Ilf")));
    EXPECT_NE(PagePixel(700, 700), kBack);
    EXPECT_EQ(PagePixel(700, 690), kBack);
    auto eraser = std::make_unique<CLine>();
    eraser->SetPenType(1, 1);
    for (POINT p : {POINT{600, 600}, POINT{800, 600}, POINT{800, 800}, POINT{600, 800}, POINT{600, 600}})
        eraser->AddPoint(p.x, p.y, 1);
    m_doc.m_lines.Add(std::move(eraser));
    EXPECT_FALSE(m_doc.m_lines.EraseByLasso().IsRectEmpty());
    EXPECT_EQ(m_doc.m_lines.GetCount(), 0);

    // Points or stored bounds past 2^29 are damage: no page reaches that far.
    const QByteArray good = Contents(Path("far.Ilf"));
    const auto patched = [&](int offset, LONG value) {
        QByteArray bytes = good;
        const LONG le = qToLittleEndian(value);
        std::memcpy(bytes.data() + offset, &le, 4);
        return bytes;
    };
    Write(Path("x.Ilf"), patched(74, 536870913));        // the far point's x
    Write(Path("y.Ilf"), patched(68, -2000000000));      // the first point's y
    Write(Path("bounds.Ilf"), patched(44, INT_MAX));     // the stored right edge
    const QImage before = m_view.Page().Surface().Bitmap().copy();
    for (const char* name : {"x.Ilf", "y.Ilf", "bounds.Ilf"})
        EXPECT_FALSE(m_doc.OnOpenDocument(Path(name))) << name;
    EXPECT_EQ(m_view.Page().Surface().Bitmap(), before);
    ASSERT_EQ(m_prompts.Messages().size(), 3u);
    for (const auto& message : m_prompts.Messages())
        EXPECT_EQ(message.text, "Unexpected file format.");
}

TEST_F(NoteTest, a_zero_line_height_in_a_note_reads_as_90)
{
    QByteArray bytes = StoreToBytes(m_doc);
    std::memset(bytes.data() + 8, 0, 4);
    Write(Path("zero.Ilf"), bytes);
    ASSERT_TRUE(m_doc.OnOpenDocument(Path("zero.Ilf")));
    EXPECT_EQ(m_view.Page().m_nLineHeight, 90);
}

TEST_F(NoteTest, a_failed_save_keeps_the_old_file_and_says_so)
{
    AddStroke({10, 10}, {90, 90});
    ASSERT_TRUE(m_doc.OnSaveDocument(Path("keep.Ilf")));
    const QByteArray old = Contents(Path("keep.Ilf"));
    AddStroke({100, 10}, {190, 90});
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("taken.Ilf"));
    EXPECT_FALSE(m_doc.OnSaveDocument(Path("taken.Ilf")));
    EXPECT_FALSE(m_doc.OnSaveDocument(Path("no-such-folder/keep.Ilf")));
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_EQ(Contents(Path("keep.Ilf")), old);
    ASSERT_EQ(m_prompts.Messages().size(), 2u);
    EXPECT_EQ(m_prompts.Messages()[0].text, "Failed to save document.");
}

TEST_F(NoteTest, a_failed_save_leaves_the_title_and_the_offered_name)
{
    ASSERT_TRUE(m_doc.OnSaveDocument(Path("one.Ilf")));
    ASSERT_TRUE(m_doc.OpenDocumentFile(Path("one.Ilf")));
    AddStroke({10, 10}, {90, 90});
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("taken.Ilf"));
    m_prompts.QueueFileName(Path("taken.Ilf"));
    m_doc.OnFileSave();
    ASSERT_EQ(m_prompts.Messages().size(), 1u);
    EXPECT_EQ(m_prompts.Messages()[0].text, "Failed to save document.");
    EXPECT_EQ(m_doc.GetTitle(), "one.Ilf");
    EXPECT_EQ(m_doc.CurrentPath(), Path("one.Ilf"));
    EXPECT_EQ(m_doc.OpenedPath(), Path("one.Ilf"));  // the pages still turn from here
    EXPECT_TRUE(m_doc.IsModified());

    m_prompts.QueueFileName(Path("two.Ilf"));
    m_doc.OnFileSave();
    EXPECT_EQ(m_prompts.FileDialogs()[1].initialName, Path("one.Ilf"));
    EXPECT_EQ(m_doc.GetTitle(), "two.Ilf");
    EXPECT_EQ(m_doc.CurrentPath(), "two.Ilf");
    EXPECT_FALSE(m_doc.IsModified());
}

TEST_F(NoteTest, a_page_from_a_device_file_is_saved_as_a_note_beside_it)
{
    const QByteArray device = QByteArray("QORVEN") + QByteArray(26, '\0');
    Write(Path("b.QVN"), device);
    ASSERT_TRUE(m_doc.OpenDocumentFile(Path("b.QVN")));
    AddStroke({10, 10}, {90, 90});  // as the import would have put it there
    m_doc.SetModifiedFlag(false);

    // Save offers the device file's name as a note.
    m_prompts.QueueFileName(Path("b.Ilf"));
    m_doc.OnFileSave();
    ASSERT_EQ(m_prompts.FileDialogs().size(), 1u);
    EXPECT_EQ(m_prompts.FileDialogs()[0].initialName, Path("b.Ilf"));
    EXPECT_EQ(Contents(Path("b.QVN")), device);
    EXPECT_EQ(Contents(Path("b.Ilf")).size(), 36 + 32 + 11 * 10);

    // The save-changes question saves the way Save does: a device-file name gets a device
    // file, a ".jpg" name a picture, a note name a note.
    const struct {
        const char* name;
        bool (*written)(const QByteArray&);
    } saves[] = {
        {"c.QVN", [](const QByteArray& bytes) { return bytes.startsWith("QORVEN") && bytes.size() == 32 + 6 * 12; }},
        {"d.jpg", [](const QByteArray& bytes) { return !QImage::fromData(bytes, "JPG").isNull(); }},
        {"e.Ilf", [](const QByteArray& bytes) { return bytes.size() == 36 + 32 + 11 * 10; }},
    };
    for (const auto& save : saves) {
        ASSERT_TRUE(m_doc.OpenDocumentFile(Path("b.QVN")));
        AddStroke({10, 10}, {90, 90});
        m_prompts.QueueAnswer(IDYES);
        m_prompts.QueueFileName(Path(save.name));
        EXPECT_TRUE(m_doc.OnFileNew()) << save.name;
        EXPECT_EQ(m_prompts.FileDialogs().back().initialName, Path("b.Ilf")) << save.name;
        EXPECT_TRUE(save.written(Contents(Path(save.name)))) << save.name;
    }
    EXPECT_EQ(Contents(Path("b.QVN")), device);
    EXPECT_EQ(m_prompts.Messages().size(), 3u);  // the three questions
}

TEST_F(NoteTest, only_a_lower_case_jpg_ending_exports_an_image)
{
    m_prompts.QueueFileName(Path("page.jpg"));
    m_doc.OnFileSave();
    const QImage image(Path("page.jpg"));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(320, 320));  // an empty page: 300 + 20

    m_prompts.QueueFileName(Path("note.JPG"));
    m_doc.OnFileSave();
    EXPECT_EQ(Contents(Path("note.JPG")).size(), 36);  // a note file under that name
    ASSERT_EQ(m_prompts.FileDialogs().size(), 2u);
    EXPECT_EQ(m_prompts.FileDialogs()[0].filter, CScrivaDoc::kNoteFilterLetter);
    EXPECT_EQ(m_prompts.FileDialogs()[1].initialName, "page.jpg");  // the bare name of the last save
}

TEST_F(NoteTest, export_extent_covers_the_content_within_the_page)
{
    AddStroke({100, 200}, {700, 900});
    EXPECT_EQ(m_doc.ExportExtent(), (SIZE{720, 920}));
    AddStroke({100, 200}, {1500, 3000});
    EXPECT_EQ(m_doc.ExportExtent(), (SIZE{1024, 1365}));
}

TEST_F(NoteTest, the_exported_image_reaches_dots_and_level_strokes_beyond_the_other_ink)
{
    AddStroke({100, 200}, {700, 900});
    // A dot below the other ink and a level stroke right of it: their bounds have no area.
    auto dot = std::make_unique<CLine>();
    dot->SetColor(RGB(0, 0, 128));
    dot->SetPenType(2, 1);
    dot->AddPoint(400, 1000, 200);
    m_doc.m_lines.Add(std::move(dot));
    AddStroke({300, 600}, {900, 600});
    m_view.DrawRuledLines(true);

    m_prompts.QueueFileName(Path("page.jpg"));
    m_doc.OnFileSave();
    const QImage image(Path("page.jpg"));
    ASSERT_EQ(image.size(), QSize(920, 1020));
    EXPECT_LT(qGray(image.pixel(400, 1000)), 100);  // the dot, dark on the light page
    EXPECT_LT(qGray(image.pixel(890, 600)), 100);   // the level stroke's far end
}

TEST_F(NoteTest, opening_asks_before_dropping_unsaved_strokes)
{
    ASSERT_TRUE(m_doc.OnSaveDocument(Path("other.Ilf")));
    AddStroke({10, 10}, {90, 90});

    m_prompts.QueueFileName(Path("other.Ilf"));
    m_prompts.QueueAnswer(IDCANCEL);
    m_doc.OnFileOpen();
    EXPECT_EQ(m_doc.m_lines.GetCount(), 1);
    ASSERT_EQ(m_prompts.Messages().size(), 1u);
    EXPECT_EQ(m_prompts.Messages()[0].type & MB_TYPEMASK, UINT(MB_YESNOCANCEL));

    m_prompts.QueueFileName(Path("other.Ilf"));
    m_prompts.QueueAnswer(IDYES);  // saved to the note it came from, which then opens again
    m_doc.OnFileOpen();
    EXPECT_EQ(Contents(Path("other.Ilf")).size(), 36 + 32 + 11 * 10);
    EXPECT_EQ(m_doc.m_lines.GetCount(), 1);
    EXPECT_FALSE(m_doc.IsModified());

    AddStroke({10, 10}, {90, 90});
    m_prompts.QueueAnswer(IDNO);
    EXPECT_TRUE(m_doc.OnFileNew());
    EXPECT_EQ(m_doc.m_lines.GetCount(), 0);
}

TEST_F(NoteTest, only_regular_notes_and_device_files_open_and_the_rest_is_reported)
{
    AddStroke({10, 10}, {90, 90});  // unsaved: no file that cannot open may ask about it
    FifoFeeder notePipe(Path("pipe.Ilf"), "strokes that never come");
    FifoFeeder devicePipe(Path("pipe.QVN"), "packets that never come");
    ASSERT_TRUE(QFile::link("/dev/null", Path("null.Ilf")));
    ASSERT_TRUE(QFile::link("/dev/null", Path("null.QVN")));
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("folder.QVN"));
    for (const char* name : {"gone.Ilf", "gone.QVN", "pipe.Ilf", "pipe.QVN", "null.Ilf", "null.QVN", "folder.QVN"})
        EXPECT_FALSE(m_doc.OpenDocumentFile(Path(name))) << name;
    EXPECT_FALSE(notePipe.Opened());
    EXPECT_FALSE(devicePipe.Opened());

    Write(Path("picture.png"), "\x89PNG");
    EXPECT_FALSE(m_doc.OpenDocumentFile(Path("picture.png")));
    EXPECT_FALSE(m_doc.OnOpenDocument(Path("pipe.Ilf"))) << "the note reader itself";
    EXPECT_FALSE(notePipe.Opened());

    ASSERT_EQ(m_prompts.Messages().size(), 9u);
    EXPECT_EQ(m_prompts.Messages()[8].text, "Failed to open document.");
    for (size_t i = 0; i < 7; ++i)
        EXPECT_EQ(m_prompts.Messages()[i].text, "Failed to open document.") << i;
    EXPECT_EQ(m_prompts.Messages()[7].text,
              "Cannot open " + Path("picture.png") + ": Inkleaf opens notes (.Ilf) and device files (.QVN) only.");
    EXPECT_EQ(m_doc.m_lines.GetCount(), 1);
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_TRUE(m_doc.PendingDeviceFile().isEmpty());
}

TEST(DatedNames, prefix_is_month_day_year_with_zeros_and_serial_follows_the_record)
{
    EXPECT_EQ(CScrivaDoc::DatedPrefix(QDate(2006, 3, 6)), "03062006-");
    EXPECT_EQ(CScrivaDoc::DatedPrefix(QDate(2006, 11, 5)), "11052006-");
    EXPECT_EQ(CScrivaDoc::DatedPrefix(QDate(2026, 12, 25)), "12252026-");
    EXPECT_EQ(CScrivaDoc::SuggestedName("03062006-", ""), "03062006-1");
    EXPECT_EQ(CScrivaDoc::SuggestedName("03062006-", "03062006-4"), "03062006-5");
    EXPECT_EQ(CScrivaDoc::SuggestedName("03062006-", "03062006-19"), "03062006-20");
    EXPECT_EQ(CScrivaDoc::SuggestedName("03072006-", "03062006-4"), "03072006-1");
}

TEST_F(NoteTest, pages_of_a_folder_come_in_byte_order_and_wrap_around)
{
    QDir(m_dir.path()).mkdir("notes");
    for (const char* name : {"b.Ilf", "A.QVN", "a.Ilf", "c.txt", "d.ilf"})
        Write(Path(QStringLiteral("notes/") + name), QByteArray());
    ASSERT_TRUE(m_doc.OnSaveDocument(Path("notes/a.Ilf")));
    ASSERT_TRUE(m_doc.OnSaveDocument(Path("notes/b.Ilf")));
    ASSERT_TRUE(m_doc.OnSaveDocument(Path("notes/d.ilf")));
    const QStringList pages = CScrivaDoc::PagesOfFolder(Path("notes"));
    EXPECT_EQ(pages, (QStringList{Path("notes/A.QVN"), Path("notes/a.Ilf"), Path("notes/b.Ilf"), Path("notes/d.ilf")}));

    ASSERT_TRUE(m_doc.OnOpenDocument(Path("notes/a.Ilf")));
    m_doc.OnNextPage();
    EXPECT_EQ(m_doc.OpenedPath(), Path("notes/b.Ilf"));
    m_doc.OnNextPage();
    m_doc.OnNextPage();  // past the last page: back to the first
    EXPECT_EQ(m_doc.OpenedPath(), Path("notes/A.QVN"));
    EXPECT_EQ(m_doc.PendingDeviceFile(), Path("notes/A.QVN"));
    m_doc.OnPrevPage();  // before the first: the last
    EXPECT_EQ(m_doc.OpenedPath(), Path("notes/d.ilf"));
}

TEST_F(NoteTest, a_page_move_asks_before_dropping_unsaved_strokes)
{
    ASSERT_TRUE(m_doc.OnSaveDocument(Path("one.Ilf")));
    ASSERT_TRUE(m_doc.OnSaveDocument(Path("two.Ilf")));
    ASSERT_TRUE(m_doc.OnOpenDocument(Path("one.Ilf")));
    AddStroke({10, 10}, {90, 90});
    m_prompts.QueueAnswer(IDCANCEL);
    m_doc.OnNextPage();
    EXPECT_EQ(m_doc.OpenedPath(), Path("one.Ilf"));
    EXPECT_EQ(m_doc.m_lines.GetCount(), 1);
    m_prompts.QueueAnswer(IDNO);
    m_doc.OnNextPage();
    EXPECT_EQ(m_doc.OpenedPath(), Path("two.Ilf"));
    EXPECT_EQ(m_doc.m_lines.GetCount(), 0);

    // Nothing happens without a current file, or when it is not among the pages.
    m_doc.OnNewDocument();
    m_doc.OnNextPage();
    EXPECT_TRUE(m_doc.OpenedPath().isEmpty());
}
