// Insert Image through the view: the dialog offers every picture type Qt reads, and each type
// lands on the page at its size in its colours.

#include "ScriptedPrompts.h"
#include "TestApplication.h"

#include "canvas/CScrivaView.h"
#include "platform/ColorRef.h"
#include "platform/CommandIds.h"
#include "platform/ScreenMetrics.h"
#include "platform/Settings.h"

#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class InsertImageTest : public ::testing::Test {
protected:
    InsertImageTest()
    {
        TestApplication();
        ScreenMetrics::SetFixedScreen(QSize(1024, 768));
        OverrideSettingsFolder(m_dir.path());
        m_view = std::make_unique<CScrivaView>(m_doc);
        m_view->resize(800, 600);
        m_doc.OnNewDocument();
    }
    ~InsertImageTest() override { ScreenMetrics::SetFixedScreen(std::nullopt); }

    // A 40 x 30 picture: its left half blue, its right half see-through, saved as format.
    QString WritePicture(const QString& name, const char* format)
    {
        QImage image(40, 30, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter(&image).fillRect(0, 0, 20, 30, QColor(0, 0, 255));
        const QString path = m_dir.filePath(name);
        QImageWriter writer(path, format);
        EXPECT_TRUE(writer.write(image)) << name.toStdString() << ": " << writer.errorString().toStdString();
        return path;
    }
    void Insert(const QString& path)
    {
        m_prompts.QueueFileName(path);
        EXPECT_TRUE(m_view->OnCommand(IDC_INSERT_IMAGE));
    }
    COLORREF PageAt(int x, int y) { return m_view->Page().Surface().GetPixel(x, y); }
    static bool Near(COLORREF a, COLORREF b)
    {
        return std::abs(GetRValue(a) - GetRValue(b)) <= 8 && std::abs(GetGValue(a) - GetGValue(b)) <= 8
               && std::abs(GetBValue(a) - GetBValue(b)) <= 8;
    }

    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    CScrivaDoc m_doc;
    std::unique_ptr<CScrivaView> m_view;
};

}  // namespace

TEST_F(InsertImageTest, the_dialog_offers_every_picture_type_in_either_case)
{
    m_prompts.QueueFileName(QString());
    m_view->OnCommand(IDC_INSERT_IMAGE);
    ASSERT_EQ(m_prompts.FileDialogs().size(), 1u);
    const QString filter = m_prompts.FileDialogs()[0].filter;
    EXPECT_TRUE(filter.endsWith("||")) << filter.toStdString();
    for (const char* pattern : {"*.png", "*.PNG", "*.webp", "*.WEBP", "*.gif", "*.tif", "*.tiff", "*.TIFF", "*.jpg",
                                "*.JPG", "*.jpeg", "*.JPEG", "*.bmp", "*.BMP"})
        EXPECT_TRUE(filter.contains(QLatin1String(pattern) + ';') || filter.contains(QLatin1String(pattern) + '|'))
            << pattern << " in " << filter.toStdString();
}

TEST_F(InsertImageTest, png_webp_gif_tiff_and_jpeg_under_any_name_land_on_the_page)
{
    // Qt writes no GIF: data/leaf.gif is the same picture, made with ImageMagick.
    const QString gif = m_dir.filePath("leaf.GIF");
    ASSERT_TRUE(QFile::copy(QStringLiteral(INKLEAF_TEST_DATA "/data/leaf.gif"), gif));
    const std::pair<const char*, const char*> files[] = {
        {"leaf.png", "png"}, {"leaf.webp", "webp"}, {"leaf.GIF", "gif"}, {"leaf.tiff", "tiff"}, {"leaf.JPEG", "jpeg"}};
    int count = 0;
    for (const auto& [name, format] : files) {
        m_doc.OnNewDocument();
        Insert(QByteArray(format) == "gif" ? gif : WritePicture(name, format));
        ASSERT_EQ(m_doc.m_pictures.GetCount(), 1) << name;
        EXPECT_EQ(m_doc.m_pictures.GetAt(0)->GetRect(), CRect(0, 0, 40, 30)) << name;
        EXPECT_TRUE(Near(PageAt(10, 15), RGB(0, 0, 255))) << name << " " << std::hex << PageAt(10, 15);
        // See-through parts show the page's colour, as pasted pictures do (JPEG has no
        // see-through parts: they come black).
        const COLORREF clear = QByteArray(format) == "jpeg" ? RGB(0, 0, 0) : RGB(0xE5, 0xE2, 0xCC);
        EXPECT_TRUE(Near(PageAt(30, 15), clear)) << name << " " << std::hex << PageAt(30, 15);
        EXPECT_TRUE(m_prompts.Messages().empty()) << name;
        ++count;
    }
    EXPECT_EQ(count, 5);
}

TEST_F(InsertImageTest, a_file_with_no_picture_inside_is_still_refused)
{
    QFile text(m_dir.filePath("notes.png"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a picture at all\n");
    text.close();
    Insert(text.fileName());
    ASSERT_EQ(m_prompts.Messages().size(), 1u);
    EXPECT_EQ(m_prompts.Messages()[0].text, "No Suppost This File Type!");
}
