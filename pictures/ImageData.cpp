#include "ImageData.h"

#include "platform/Prompts.h"

#include <QPainter>

namespace {

bool ReportMissingBitmap(const QImage* bitmap, const char* caption)
{
    if (bitmap && !bitmap->isNull())
        return false;
    prompts().MessageBox(QStringLiteral("Function parameter error"), QString::fromLatin1(caption));
    return true;
}

}  // namespace

bool SavePicture1(const QImage* bitmap, DWORD* size)
{
    if (ReportMissingBitmap(bitmap, "SavePicture1"))
        return false;
    if (size)
        *size = DWORD(ImageDataSize(bitmap->width(), bitmap->height()));
    return true;
}

bool SavePicture2(const QImage* bitmap, DWORD size, BYTE* buffer)
{
    if (ReportMissingBitmap(bitmap, "SavePicture2"))
        return false;
    const int width = bitmap->width();
    const int height = bitmap->height();
    const uint64_t rowBytes = ImageDataSize(width, 1);
    if (uint64_t(size) < rowBytes * uint64_t(height) || !buffer || width == 0 || height == 0)
        return false;
    const QImage rgb = bitmap->format() == QImage::Format_RGB32 ? *bitmap
                                                                 : bitmap->convertToFormat(QImage::Format_RGB32);
    for (int row = 0; row < height; ++row) {
        const QRgb* source = reinterpret_cast<const QRgb*>(rgb.constScanLine(height - 1 - row));
        BYTE* out = buffer + row * rowBytes;
        for (int x = 0; x < width; ++x) {
            const QRgb pixel = source[x];
            out[0] = BYTE(pixel);
            out[1] = BYTE(pixel >> 8);
            out[2] = BYTE(pixel >> 16);
            out += 3;
        }
        for (BYTE* pad = out; pad < buffer + (row + 1) * rowBytes; ++pad)
            *pad = 0;
    }
    return true;
}

QImage OpenPicture(int width, int height, DWORD size, const BYTE* data)
{
    const uint64_t needed = ImageDataSize(width, height);
    if (width < 0 || height < 0 || uint64_t(size) < needed || !data) {
        prompts().MessageBox(QStringLiteral("Too small buffer size"), QStringLiteral("OpenPicture"));
        return QImage();
    }
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    const uint64_t rowBytes = ImageDataSize(width, 1);
    for (int row = 0; row < height; ++row) {
        const BYTE* in = data + row * rowBytes;
        QRgb* target = reinterpret_cast<QRgb*>(image.scanLine(height - 1 - row));
        for (int x = 0; x < width; ++x) {
            target[x] = 0xFF000000u | (QRgb(in[2]) << 16) | (QRgb(in[1]) << 8) | in[0];
            in += 3;
        }
    }
    return image;
}

QImage OpaqueBitmap(const QImage& image, COLORREF background)
{
    if (!image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_RGB32);
    QImage bitmap(image.size(), QImage::Format_RGB32);
    if (bitmap.isNull())
        return bitmap;
    bitmap.fill(ColorRefToQRgb(background));
    QImage source = image;
    source.setDevicePixelRatio(1.0);  // pixel for pixel, whatever screen it came from
    QPainter painter(&bitmap);
    painter.drawImage(0, 0, source);
    return bitmap;
}
