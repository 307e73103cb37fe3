// Which decoder a picture file goes to, chosen by its first bytes whatever its name says.

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
    EXPECT_EQ(picture.LoadImageFile(path), ImageLoad::Loaded);
    EXPECT_EQ(picture.GetRect(), CRect(0, 0, 2, 1));
    EXPECT_TRUE(picture.OwnsFileImage());
    ASSERT_FALSE(picture.Bitmap().isNull());
    EXPECT_EQ(picture.Bitmap().pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(picture.Bitmap().pixel(1, 0), qRgb(0, 0, 255));
}

TEST(PictureFile, the_content_picks_the_reader_whatever_the_name)
{
    ScriptedPrompts prompts;
    QTemporaryDir dir;
    const QString jpeg = dir.filePath("holiday.JpG");
    WriteFile(jpeg, SmallJpeg());
    CPictureItem photo;
    EXPECT_EQ(photo.LoadImageFile(jpeg), ImageLoad::Loaded);
    EXPECT_EQ(photo.GetRect(), CRect(0, 0, 6, 4));
    EXPECT_FALSE(photo.Bitmap().isNull());

    // A BMP file in a folder named after JPEGs is a BMP file.
    const QString bmp = dir.filePath("jpgs/scan.bmp");
    WriteFile(bmp, TwoByOneBmp());
    CPictureItem scan;
    EXPECT_EQ(scan.LoadImageFile(bmp), ImageLoad::Loaded);
    EXPECT_EQ(scan.GetRect(), CRect(0, 0, 2, 1));
    EXPECT_EQ(scan.Bitmap().pixel(0, 0), qRgb(255, 0, 0));

    // Upper-cased, photo.jpeg holds JPEG, not JPG: a JPEG file all the same.
    const QString longName = dir.filePath("photo.jpeg");
    WriteFile(longName, SmallJpeg());
    CPictureItem picture;
    EXPECT_EQ(picture.LoadImageFile(longName), ImageLoad::Loaded);
    EXPECT_EQ(picture.GetRect(), CRect(0, 0, 6, 4));
    EXPECT_TRUE(prompts.Messages().empty());  // the caller tells the user what went wrong
}

TEST(PictureFile, other_files_are_not_supported_and_leave_the_picture_empty)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("photo.jpg");
    WriteFile(path, "no picture here\n");
    CPictureItem picture;
    EXPECT_EQ(picture.LoadImageFile(path), ImageLoad::NotSupported);
    EXPECT_TRUE(picture.Bitmap().isNull());
    EXPECT_EQ(picture.GetRect(), CRect());

    // A PNG is a picture Qt reads, whatever it is called.
    const QString png = dir.filePath("scan.jpg");
    QImage image(6, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    image.save(png, "PNG");
    CPictureItem scan;
    EXPECT_EQ(scan.LoadImageFile(png), ImageLoad::Loaded);
    EXPECT_EQ(scan.GetRect(), CRect(0, 0, 6, 4));
    EXPECT_EQ(scan.Bitmap().pixel(0, 0), qRgb(255, 0, 0));
}

TEST(PictureFile, damaged_missing_and_oversized_files_leave_the_picture_empty)
{
    QTemporaryDir dir;
    const QString damaged = dir.filePath("broken.bmp");
    QByteArray bytes = TwoByOneBmp();
    bytes.chop(4);  // half the pixels are missing
    WriteFile(damaged, bytes);

    BmpParts wide;  // a header that claims 40000 × 1 pixels
    wide.width = 40000;
    wide.rows = {std::vector<BYTE>(3 * 40000, 0x80)};
    const QString oversized = dir.filePath("wide.bmp");
    WriteFile(oversized, BuildBmp(wide));

    const std::pair<QString, ImageLoad> cases[] = {
        {damaged, ImageLoad::Unreadable},
        {dir.filePath("nowhere.bmp"), ImageLoad::Unreadable},
        {dir.path(), ImageLoad::Unreadable},
        {oversized, ImageLoad::TooLarge},
    };
    for (const auto& [path, expected] : cases) {
        CPictureItem picture;
        EXPECT_EQ(picture.LoadImageFile(path), expected) << path.toStdString();
        EXPECT_TRUE(picture.Bitmap().isNull());
        EXPECT_TRUE(picture.GetRect().IsRectEmpty());
    }
}

TEST(PictureFile, only_a_regular_file_is_read_and_anything_else_is_unreadable)
{
    QTemporaryDir dir;
    FifoFeeder photo(dir.filePath("photo.jpg"), SmallJpeg());
    FifoFeeder scan(dir.filePath("scan.bmp"), TwoByOneBmp());
    ASSERT_TRUE(QFile::link("/dev/null", dir.filePath("null.bmp")));
    for (const char* name : {"photo.jpg", "scan.bmp", "null.bmp"}) {
        CPictureItem picture;
        EXPECT_EQ(picture.LoadImageFile(dir.filePath(QString::fromLatin1(name))), ImageLoad::Unreadable) << name;
        EXPECT_TRUE(picture.Bitmap().isNull()) << name;
        EXPECT_TRUE(picture.GetRect().IsRectEmpty()) << name;
    }
    EXPECT_FALSE(photo.Opened());
    EXPECT_FALSE(scan.Opened());
}
