// Pictures on the real view, on a fixed 1024 × 768 screen at half zoom: the mouse moves them,
// the commands restack, delete, copy and insert them, and the note knows it has changed.

#include "ScriptedPrompts.h"
#include "TestApplication.h"

#include "canvas/CScrivaView.h"
#include "platform/CommandIds.h"
#include "platform/ScreenMetrics.h"
#include "platform/Settings.h"

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

constexpr COLORREF kBack = 0xCCE2E5;
constexpr QRgb kRed = 0xFFC81E1E;
constexpr QRgb kBlue = 0xFF1E1EC8;

class PictureViewTest : public ::testing::Test {
protected:
    PictureViewTest()
    {
        TestApplication();
        ScreenMetrics::SetFixedScreen(QSize(1024, 768));
        OverrideSettingsFolder(m_dir.path());
        m_view = std::make_unique<CScrivaView>(m_doc);
        m_view->setGeometry(0, 0, 1024, 768);
        m_view->show();
        QCoreApplication::processEvents();
        m_doc.OnNewDocument();
        // QTest keeps a button that an earlier test pressed down until it is let go.
        QTest::mouseRelease(m_view->viewport(), Qt::RightButton);
    }
    ~PictureViewTest() override
    {
        m_view.reset();
        ScreenMetrics::SetFixedScreen(std::nullopt);
    }

    void AddPicture(const CRect& rect, QRgb color)
    {
        QImage bitmap(rect.Width(), rect.Height(), QImage::Format_RGB32);
        bitmap.fill(color);
        auto picture = std::make_unique<CPictureItem>();
        picture->SetBitmap(bitmap, rect.Width(), rect.Height());
        picture->SetRect(rect);
        m_doc.m_pictures.Add(std::move(picture));
        m_view->DrawRuledLines(true);
    }
    // Page point p as a window point: at half zoom the page starts 256 pixels in.
    static QPoint At(POINT p) { return QPoint(256 + p.x / 2, p.y / 2); }
    void Hover(POINT p) { QTest::mouseMove(m_view->viewport(), At(p)); }
    void Drag(POINT from, POINT to)
    {
        QWidget* target = m_view->viewport();
        QTest::mouseMove(target, At(from));
        QTest::mousePress(target, Qt::LeftButton, Qt::NoModifier, At(from));
        QTest::mouseMove(target, At(to));
        QTest::mouseRelease(target, Qt::LeftButton, Qt::NoModifier, At(to));
    }
    void Click(POINT p) { Drag(p, p); }
    QImage Window()
    {
        QImage image = DrawingSurface::CreateBitmap(1024, 768);
        m_view->OnDraw(image);
        return image;
    }
    QString WriteFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return path;
    }
    static QByteArray Encoded(const QImage& image, const char* format)
    {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, format);
        return bytes;
    }

    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    CScrivaDoc m_doc;
    std::unique_ptr<CScrivaView> m_view;
};

}  // namespace

TEST_F(PictureViewTest, moving_resizing_restacking_and_deleting_pictures_are_changes_to_save)
{
    AddPicture(CRect(0, 0, 100, 60), kRed);
    AddPicture(CRect(300, 300, 400, 360), kBlue);
    m_view->OnCommand(IDC_MOVE_PICTURE);

    Drag({50, 30}, {70, 40});
    ASSERT_EQ(m_doc.m_pictures.GetAt(0)->GetRect(), CRect(20, 10, 120, 70));
    EXPECT_TRUE(m_doc.IsModified());
    // Starting a new note asks first; cancelled, the moved picture stays.
    m_prompts.QueueAnswer(IDCANCEL);
    EXPECT_FALSE(m_doc.OnFileNew());
    ASSERT_EQ(m_prompts.Messages().size(), 1u);
    EXPECT_EQ(m_prompts.Messages()[0].text, "Save changes to Untitled?");
    EXPECT_EQ(m_doc.m_pictures.GetCount(), 2);

    m_doc.SetModifiedFlag(false);
    Click({60, 40});  // selected already, nothing moves
    EXPECT_FALSE(m_doc.IsModified());
    Hover({122, 72});  // the bottom-right handle
    Drag({122, 72}, {162, 92});
    EXPECT_EQ(m_doc.m_pictures.GetAt(0)->GetRect(), CRect(20, 10, 162, 92));
    EXPECT_TRUE(m_doc.IsModified());

    m_doc.SetModifiedFlag(false);
    m_view->OnCommand(ID_PICTURE_TO_FRONT);
    EXPECT_EQ(m_doc.m_pictures.GetSelectedIndex(), 1);
    EXPECT_TRUE(m_doc.IsModified());
    m_doc.SetModifiedFlag(false);
    m_view->OnCommand(ID_PICTURE_FORWARD);  // on top already
    EXPECT_FALSE(m_doc.IsModified());
    m_view->OnCommand(ID_PICTURE_DELETE);
    EXPECT_EQ(m_doc.m_pictures.GetCount(), 1);
    EXPECT_TRUE(m_doc.IsModified());
}

TEST_F(PictureViewTest, the_selection_frame_shows_on_the_window_and_never_in_what_is_exported)
{
    AddPicture(CRect(100, 100, 200, 160), kRed);
    const QString plain = m_dir.filePath("plain.jpg");
    ASSERT_TRUE(m_doc.ExportPageImage(plain));
    m_view->OnCommand(IDC_MOVE_PICTURE);
    Click({150, 130});
    ASSERT_EQ(m_doc.m_pictures.GetSelectedIndex(), 0);

    // The top-left handle, page (95, 95)-(100, 100), is window (303, 47)-(306, 50).
    EXPECT_EQ(m_view->Page().Surface().GetPixel(97, 97), kBack);
    EXPECT_EQ(QRgbToColorRef(Window().pixel(304, 48)), RGB(0, 0, 0));
    const QString selected = m_dir.filePath("selected.jpg");
    ASSERT_TRUE(m_doc.ExportPageImage(selected));
    QFile a(plain), b(selected);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    EXPECT_TRUE(a.readAll() == b.readAll());

    m_view->OnCommand(IDC_PENCIL);  // another tool takes the selection away
    EXPECT_EQ(QRgbToColorRef(Window().pixel(304, 48)), kBack);
}

TEST_F(PictureViewTest, copy_takes_only_the_page_part_of_the_selection_and_nothing_without_one)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("the user's words"));
    m_view->OnCommand(ID_EDIT_COPY);
    EXPECT_EQ(clipboard->text(), QStringLiteral("the user's words"));

    AddPicture(CRect(-40, -20, 60, 40), kRed);
    m_view->OnCommand(IDC_MOVE_PICTURE);
    Click({10, 10});
    m_view->OnCommand(ID_EDIT_COPY);
    const QImage copied = clipboard->image();
    ASSERT_EQ(copied.size(), QSize(60, 40));
    EXPECT_EQ(copied.pixel(0, 0), kRed);
    EXPECT_EQ(copied.pixel(59, 39), kRed);
}

TEST_F(PictureViewTest, image_files_are_read_by_their_content_and_unreadable_ones_add_nothing)
{
    QImage photo(6, 4, QImage::Format_RGB32);
    photo.fill(qRgb(40, 160, 90));
    QImage scan(3, 2, QImage::Format_RGB32);
    scan.fill(qRgb(250, 10, 10));
    const QString jpeg = WriteFile("holiday.jpeg", Encoded(photo, "JPG"));
    const QString bmp = WriteFile("jpg/scan.bmp", Encoded(scan, "BMP"));

    m_prompts.QueueFileName(jpeg);
    m_view->OnCommand(IDC_INSERT_IMAGE);
    m_prompts.QueueFileName(bmp);
    m_view->OnCommand(IDC_INSERT_IMAGE);
    EXPECT_TRUE(m_prompts.Messages().empty());
    ASSERT_EQ(m_doc.m_pictures.GetCount(), 2);
    EXPECT_EQ(m_doc.m_pictures.GetAt(0)->GetRect(), CRect(0, 0, 6, 4));
    EXPECT_EQ(m_doc.m_pictures.GetAt(1)->GetRect(), CRect(0, 0, 3, 2));
    EXPECT_EQ(m_view->Page().Surface().GetPixel(1, 1), RGB(250, 10, 10));
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_TRUE(m_view->HasInk());

    m_doc.OnNewDocument();
    const QByteArray damaged = QByteArray("\xFF\xD8\xFF\xE0", 4) + QByteArray(200, '\x07');  // a JPEG start, then noise
    const struct {
        QString path;
        const char* message;
    } refused[] = {
        {WriteFile("notes.jpg", "just some words"), "No Suppost This File Type!"},
        {WriteFile("drawing.bmp", Encoded(scan, "PNG").left(40)), "The image file cannot be read."},  // cut short
        {WriteFile("broken.jpg", damaged), "The image file cannot be read."},
        {m_dir.filePath("gone.jpg"), "The image file cannot be read."},
        {m_dir.path(), "The image file cannot be read."},
    };
    for (const auto& file : refused) {
        m_prompts.QueueFileName(file.path);
        m_view->OnCommand(IDC_INSERT_IMAGE);
    }
    ASSERT_EQ(m_prompts.Messages().size(), std::size(refused));
    for (size_t i = 0; i < std::size(refused); ++i)
        EXPECT_EQ(m_prompts.Messages()[i].text, refused[i].message) << refused[i].path.toStdString();
    EXPECT_EQ(m_doc.m_pictures.GetCount(), 0);
    EXPECT_FALSE(m_doc.IsModified());
    EXPECT_FALSE(m_view->HasInk());
}

TEST_F(PictureViewTest, a_pasted_picture_larger_than_an_image_file_may_bring_is_refused)
{
    QGuiApplication::clipboard()->setImage(QImage(32768, 2, QImage::Format_RGB32));
    m_view->OnCommand(ID_EDIT_PASTE);
    EXPECT_EQ(m_doc.m_pictures.GetCount(), 0);
    EXPECT_FALSE(m_doc.IsModified());
    ASSERT_EQ(m_prompts.Messages().size(), 1u);
    EXPECT_EQ(m_prompts.Messages()[0].text, "The picture is too large to place on the page.");
}

TEST_F(PictureViewTest, a_note_with_a_picture_placed_beyond_any_page_is_refused_as_damaged)
{
    AddPicture(CRect(10, 10, 20, 20), kRed);
    const QString path = m_dir.filePath("crafted.Ilf");
    ASSERT_TRUE(m_doc.OnSaveDocument(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    // The note ends with the picture's rectangle, the data length and 10 rows of 32 bytes.
    const qint64 rectAt = file.size() - 320 - 4 - 16;
    ASSERT_TRUE(file.seek(rectAt));
    const LONG crafted[] = {qToLittleEndian<LONG>(-2147483647 - 1), qToLittleEndian<LONG>(-2147483647 - 1),
                            qToLittleEndian<LONG>(2147483647), qToLittleEndian<LONG>(2147483647)};
    file.write(reinterpret_cast<const char*>(crafted), sizeof crafted);
    file.close();

    m_doc.OnNewDocument();
    EXPECT_FALSE(m_doc.OnOpenDocument(path));
    ASSERT_EQ(m_prompts.Messages().size(), 1u);
    EXPECT_EQ(m_prompts.Messages()[0].text, "Unexpected file format.");
    EXPECT_EQ(m_doc.m_pictures.GetCount(), 0);
}
