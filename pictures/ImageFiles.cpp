#include "ImageFiles.h"

#include "ImageData.h"

#include "platform/SafeFile.h"

#include <QImageReader>
#include <QImageWriter>
#include <QStringList>

namespace {

constexpr int kJpegFormat = 1;
constexpr int kJpegQuality = 90;
// Enough for the largest picture allowed, as a 32-bit bitmap.
constexpr int kDecodeLimitMegabytes = int(kMaxPicturePixels * 4 / (1024 * 1024));

}  // namespace

QImage CreateBitmapFromFile(const QString& path, int* width, int* height)
{
    // The content decides, whatever the file is called; only JPEG files are taken.
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    reader.setAllocationLimit(kDecodeLimitMegabytes);
    if (!reader.canRead() || reader.format() != "jpeg")
        return QImage();
    const QSize size = reader.size();
    if (size.isValid() && !IsPictureSizeAllowed(size.width(), size.height()))
        return QImage();
    QImage bitmap;
    if (!reader.read(&bitmap) || bitmap.isNull())
        return QImage();
    bitmap = bitmap.convertToFormat(QImage::Format_RGB32);
    if (width)
        *width = bitmap.width();
    if (height)
        *height = bitmap.height();
    return bitmap;
}

namespace {

// "*.png;*.PNG" for each extension.
QString Patterns(const QList<QByteArray>& extensions)
{
    QStringList patterns;
    for (const QByteArray& extension : extensions) {
        const QString lower = QString::fromLatin1(extension).toLower();
        patterns << QStringLiteral("*.") + lower << QStringLiteral("*.") + lower.toUpper();
    }
    return patterns.join(QLatin1Char(';'));
}

}  // namespace

QString PictureFileFilter()
{
    const QString all = Patterns(QImageReader::supportedImageFormats());
    const QString jpeg = Patterns({"jpg", "jpeg"});
    const QString bmp = Patterns({"bmp"});
    return QStringLiteral("Pictures (%1)|%1|JPG File (%2)|%2|BMP File (%3)|%3||").arg(all, jpeg, bmp);
}

QByteArray PictureFileType(const QString& path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return reader.canRead() ? reader.format() : QByteArray();
}

QImage DecodeImageFile(const QString& path, COLORREF paper, int* width, int* height)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    reader.setAllocationLimit(kDecodeLimitMegabytes);
    if (!reader.canRead() || reader.format() == "bmp")
        return QImage();
    if (reader.format() == "jpeg")
        return CreateBitmapFromFile(path, width, height);
    const QSize size = reader.size();
    if (size.isValid() && !IsPictureSizeAllowed(size.width(), size.height()))
        return QImage();
    QImage picture;
    if (!reader.read(&picture) || picture.isNull() || !IsPictureSizeAllowed(picture.width(), picture.height()))
        return QImage();
    const QImage bitmap = OpaqueBitmap(picture, paper);
    if (width)
        *width = bitmap.width();
    if (height)
        *height = bitmap.height();
    return bitmap;
}

bool CreateAttachment(DrawingSurface* dc, const QImage& bitmap, const QString& path, int format,
                      COLORREF back, COLORREF line)
{
    if (format != kJpegFormat || bitmap.isNull())
        return false;
    SafeFile file(path);
    if (!file.Open())
        return false;
    QImageWriter writer(&file.Device(), "jpeg");
    writer.setQuality(kJpegQuality);
    if (!writer.write(bitmap))
        file.Cancel();
    return file.Commit();
}
