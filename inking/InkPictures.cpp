#include "InkPictures.h"

#include "ClipboardInkOffer.h"

#include <QBuffer>

namespace InkPictures {

QImage Highlighter(const QImage& onWhite)
{
    QImage picture = onWhite.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < picture.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb colour = row[x] & 0x00FFFFFF;
            row[x] = colour == 0x00FFFFFF ? 0 : colour | QRgb(kHighlighterAlpha) << 24;
        }
    }
    return picture;
}

namespace {

// PNG at quality 80 is zlib's fastest level: a target waits for the picture while it is
// made, and ink on white packs well at any level.
constexpr int kPngQuality = 80;

QByteArray Write(const QImage& picture, const char* type, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, type, quality);
    return bytes;
}

}  // namespace

QByteArray Encode(const QImage& picture, const QString& format)
{
    if (format == ClipboardInkOffer::kPng)
        return Write(picture, "PNG", kPngQuality);
    if (format == ClipboardInkOffer::kBmp)
        return Write(picture, "BMP");
    if (format == ClipboardInkOffer::kHtml)
        return "<html><body><img src=\"data:image/png;base64," + Write(picture, "PNG", kPngQuality).toBase64() + "\" width=\""
             + QByteArray::number(picture.width()) + "\" height=\"" + QByteArray::number(picture.height())
             + "\"></body></html>";
    return {};
}

}  // namespace InkPictures
