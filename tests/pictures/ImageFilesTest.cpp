#include "pictures/ImageFiles.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr COLORREF kPage = RGB(255, 255, 255);
constexpr COLORREF kRule = RGB(160, 200, 230);

QString DataFile(const char* name)
{
    return QStringLiteral(INKLEAF_TEST_DATA "/data/") + QLatin1String(name);
}

// Smooth colour ramps, which JPEG keeps closely.
QImage Gradient(int width, int height)
{
    QImage bitmap(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, 128));
    return bitmap;
}

// The largest difference of any channel of any pixel; the bitmaps are the same size.
int LargestDifference(const QImage& a, const QImage& b)
{
    int largest = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            largest = std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                std::abs(qBlue(p) - qBlue(q))});
        }
    return largest;
}

QByteArray Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteContents(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

TEST(ImageFiles, jpeg_written_then_read_keeps_size_and_pixels)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("page.jpg");
    const QImage bitmap = Gradient(67, 45);
    ASSERT_TRUE(CreateAttachment(nullptr, bitmap, path, 1, kPage, kRule));

    // Quality 90: the same bytes as Qt's JPEG writer gives at that quality.
    QBuffer reference;
    reference.open(QIODevice::WriteOnly);
    QImageWriter writer(&reference, "jpeg");
    writer.setQuality(90);
    ASSERT_TRUE(writer.write(bitmap));
    EXPECT_EQ(Contents(path), reference.data());

    int width = 0, height = 0;
    const QImage back = CreateBitmapFromFile(path, &width, &height);
    ASSERT_FALSE(back.isNull());
    EXPECT_EQ(back.format(), QImage::Format_RGB32);
    EXPECT_EQ(back.size(), QSize(67, 45));
    EXPECT_EQ(width, 67);
    EXPECT_EQ(height, 45);
    EXPECT_LE(LargestDifference(back, bitmap), 8);
}

TEST(ImageFiles, content_not_the_name_makes_a_jpeg_file)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString named = dir.filePath("picture.bmp");
    ASSERT_TRUE(CreateAttachment(nullptr, Gradient(20, 10), named, 1, kPage, kRule));
    int width = 0, height = 0;
    EXPECT_EQ(CreateBitmapFromFile(named, &width, &height).size(), QSize(20, 10));
    EXPECT_EQ(width, 20);
    EXPECT_EQ(height, 10);

    // A PNG file called .jpg is no JPEG file.
    const QString png = dir.filePath("picture.jpg");
    ASSERT_TRUE(Gradient(20, 10).save(png, "PNG"));
    width = -7;
    EXPECT_TRUE(CreateBitmapFromFile(png, &width, &height).isNull());
    EXPECT_EQ(width, -7);
}

TEST(ImageFiles, undecodable_files_give_no_bitmap_and_leave_the_size_alone)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString empty = dir.filePath("empty.jpg");
    ASSERT_TRUE(WriteContents(empty, QByteArray()));
    const QString text = dir.filePath("text.jpg");
    ASSERT_TRUE(WriteContents(text, "not a picture at all"));

    for (const QString& path : {DataFile("corrupt.jpg"), empty, text, dir.filePath("missing.jpg"), dir.path()}) {
        SCOPED_TRACE(path.toStdString());
        int width = -7, height = -9;
        EXPECT_TRUE(CreateBitmapFromFile(path, &width, &height).isNull());
        EXPECT_EQ(width, -7);
        EXPECT_EQ(height, -9);
    }
}

TEST(ImageFiles, attachment_replaces_an_existing_file_when_complete)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("note.jpg");
    ASSERT_TRUE(WriteContents(path, QByteArray(5000, 'x')));

    ASSERT_TRUE(CreateAttachment(nullptr, Gradient(30, 16), path, 1, kPage, kRule));
    const QByteArray written = Contents(path);
    ASSERT_GE(written.size(), 4);
    EXPECT_EQ(written.left(2), QByteArray("\xFF\xD8"));  // start of image
    EXPECT_EQ(written.right(2), QByteArray("\xFF\xD9"));  // end of image, nothing of the old file after it
    int width = 0, height = 0;
    EXPECT_EQ(CreateBitmapFromFile(path, &width, &height).size(), QSize(30, 16));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"note.jpg"});
}

TEST(ImageFiles, failed_attachment_leaves_the_old_file_and_no_leftovers)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("note.jpg");
    const QByteArray old(300, 'o');
    ASSERT_TRUE(WriteContents(path, old));

    EXPECT_FALSE(CreateAttachment(nullptr, Gradient(8, 8), path, 2, kPage, kRule));  // not JPEG
    EXPECT_FALSE(CreateAttachment(nullptr, QImage(), path, 1, kPage, kRule));
    // Wider than a JPEG file can hold: the encoder fails after the file was opened.
    QImage wide(70000, 1, QImage::Format_RGB32);
    wide.fill(Qt::white);
    EXPECT_FALSE(CreateAttachment(nullptr, wide, path, 1, kPage, kRule));
    EXPECT_EQ(Contents(path), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"note.jpg"});

    // Places that cannot be written.
    EXPECT_FALSE(CreateAttachment(nullptr, Gradient(8, 8), dir.filePath("no/such/folder/a.jpg"), 1, kPage, kRule));
    EXPECT_FALSE(CreateAttachment(nullptr, Gradient(8, 8), dir.path(), 1, kPage, kRule));
    EXPECT_FALSE(QFile::exists(dir.filePath("no")));
}

}  // namespace
