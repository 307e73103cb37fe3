// Which decoder a picture file goes to, chosen by its name as the picture loader does.

#include "BmpBuilder.h"
#include "FifoFeeder.h"
#include "ScriptedPrompts.h"

#include "pictures/CPictureItem.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray TwoByOneBmp()
{
    BmpParts parts;
    parts.width = 2;
    parts.height = 1;
    parts.rows = {{0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00}};  // red, blue
    return BuildBmp(parts);
}

QByteArray SmallJpeg()
{
    QImage image(6, 4, QImage::Format_RGB32);
    image.fill(qRgb(40, 160, 90));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    return bytes;
}

}  // namespace

TEST(PictureFile, a_bmp_file_becomes_a_picture_at_the_origin)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("note.bmp");
    WriteFile(path, TwoByOneBmp());
    CPictureItem picture;
    picture.LoadImageFile(path);
    EXPECT_EQ(picture.GetRect(), CRect(0, 0, 2, 1));
    EXPECT_TRUE(picture.OwnsFileImage());
    ASSERT_FALSE(picture.Bitmap().isNull());
    EXPECT_EQ(picture.Bitmap().pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(picture.Bitmap().pixel(1, 0), qRgb(0, 0, 255));
}

TEST(PictureFile, jpg_anywhere_in_the_path_picks_the_jpeg_reader)
{
    QTemporaryDir dir;
    const QString jpeg = dir.filePath("holiday.JpG");
    WriteFile(jpeg, SmallJpeg());
    CPictureItem photo;
    photo.LoadImageFile(jpeg);
    EXPECT_EQ(photo.GetRect(), CRect(0, 0, 6, 4));
    EXPECT_FALSE(photo.Bitmap().isNull());

    // A BMP file in a folder named after JPEGs goes to the JPEG reader, which cannot read it.
    ScriptedPrompts prompts;
    const QString bmp = dir.filePath("jpgs/scan.bmp");
    WriteFile(bmp, TwoByOneBmp());
    CPictureItem scan;
    scan.LoadImageFile(bmp);
    EXPECT_TRUE(scan.Bitmap().isNull());
    EXPECT_EQ(scan.GetRect(), CRect(0, 0, 0, 0));
    EXPECT_TRUE(prompts.Messages().empty());
}

TEST(PictureFile, other_files_must_start_with_bm)
{
    ScriptedPrompts prompts;
    QTemporaryDir dir;
    const QString path = dir.filePath("photo.jpeg");  // upper-cased it holds JPEG, not JPG
    WriteFile(path, SmallJpeg());
    CPictureItem picture;
    picture.LoadImageFile(path);
    EXPECT_TRUE(picture.Bitmap().isNull());
    ASSERT_EQ(prompts.Messages().size(), 1u);
    EXPECT_EQ(prompts.Messages()[0].text, "No Suppost This File Type!");
}

TEST(PictureFile, a_damaged_bmp_leaves_a_picture_that_draws_nothing)
{
    ScriptedPrompts prompts;
    QTemporaryDir dir;
    const QString path = dir.filePath("broken.bmp");
    QByteArray bytes = TwoByOneBmp();
    bytes.chop(4);  // half the pixels are missing
    WriteFile(path, bytes);
    CPictureItem picture;
    picture.LoadImageFile(path);
    EXPECT_TRUE(picture.Bitmap().isNull());
    EXPECT_TRUE(picture.GetRect().IsRectEmpty());
    EXPECT_TRUE(prompts.Messages().empty());

    CPictureItem missing;
    missing.LoadImageFile(dir.filePath("nowhere.bmp"));
    EXPECT_TRUE(missing.Bitmap().isNull());
}

TEST(PictureFile, only_a_regular_file_is_read_and_anything_else_is_reported)
{
    ScriptedPrompts prompts;
    QTemporaryDir dir;
    FifoFeeder photo(dir.filePath("photo.jpg"), SmallJpeg());
    FifoFeeder scan(dir.filePath("scan.bmp"), TwoByOneBmp());
    ASSERT_TRUE(QFile::link("/dev/null", dir.filePath("null.bmp")));
    for (const char* name : {"photo.jpg", "scan.bmp", "null.bmp"}) {
        CPictureItem picture;
        picture.LoadImageFile(dir.filePath(QString::fromLatin1(name)));
        EXPECT_TRUE(picture.Bitmap().isNull()) << name;
        EXPECT_TRUE(picture.GetRect().IsRectEmpty()) << name;
    }
    EXPECT_FALSE(photo.Opened());
    EXPECT_FALSE(scan.Opened());
    ASSERT_EQ(prompts.Messages().size(), 3u);
    for (const ScriptedPrompts::Message& message : prompts.Messages())
        EXPECT_EQ(message.text, "Failed to open document.");
}
