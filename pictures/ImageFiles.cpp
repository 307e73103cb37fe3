#include "ImageFiles.h"

#include "ImageData.h"

#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>

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

bool CreateAttachment(DrawingSurface* dc, const QImage& bitmap, const QString& path, int format,
                      COLORREF back, COLORREF line)
{
    if (format != kJpegFormat || bitmap.isNull())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QImageWriter writer(&file, "jpeg");
    writer.setQuality(kJpegQuality);
    if (!writer.write(bitmap)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
