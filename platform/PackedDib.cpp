#include "PackedDib.h"

#include "DrawingSurface.h"

#include <QPainter>
#include <QtEndian>

#include <climits>
#include <cstring>

namespace {

constexpr int kHeaderBytes = 40;

// Bytes of one row at the given depth, padded to 4.
qint64 DibRowBytes(LONG width, WORD bits)
{
    return ((qint64(width) * bits + 31) / 32) * 4;
}

void PutHeader(uchar* out, const BITMAPINFOHEADER& h)
{
    qToLittleEndian<quint32>(h.biSize, out);
    qToLittleEndian<qint32>(h.biWidth, out + 4);
    qToLittleEndian<qint32>(h.biHeight, out + 8);
    qToLittleEndian<quint16>(h.biPlanes, out + 12);
    qToLittleEndian<quint16>(h.biBitCount, out + 14);
    qToLittleEndian<quint32>(h.biCompression, out + 16);
    qToLittleEndian<quint32>(h.biSizeImage, out + 20);
    qToLittleEndian<qint32>(h.biXPelsPerMeter, out + 24);
    qToLittleEndian<qint32>(h.biYPelsPerMeter, out + 28);
    qToLittleEndian<quint32>(h.biClrUsed, out + 32);
    qToLittleEndian<quint32>(h.biClrImportant, out + 36);
}

// The rows srcTop..srcTop+rows-1 (top-down) of the DIB as an image.
QImage DibRows(const QByteArray& dib, const BITMAPINFOHEADER& h, LONG srcLeft, LONG srcTop, LONG columns, LONG rows)
{
    const qint64 rowBytes = DibRowBytes(h.biWidth, h.biBitCount);
    const int pixelBytes = h.biBitCount / 8;
    const QImage::Format format = h.biBitCount == 32 ? QImage::Format_RGB32 : QImage::Format_BGR888;
    QImage image(columns, rows, format);
    const uchar* bits = reinterpret_cast<const uchar*>(dib.constData()) + kHeaderBytes;
    for (LONG row = 0; row < rows; ++row) {
        const LONG stored = h.biHeight - 1 - (srcTop + row);  // bottom-up
        std::memcpy(image.scanLine(row), bits + stored * rowBytes + qint64(srcLeft) * pixelBytes,
                    size_t(columns) * pixelBytes);
    }
    if (format == QImage::Format_RGB32) {
        // The fourth byte of a 32-bit DIB pixel is not alpha.
        for (LONG row = 0; row < rows; ++row) {
            auto* pixel = reinterpret_cast<QRgb*>(image.scanLine(row));
            for (LONG c = 0; c < columns; ++c)
                pixel[c] |= 0xFF000000;
        }
    }
    return image;
}

// The raster operation as a painter's composition; false for operations a picture cannot do.
bool CompositionFor(DWORD rop, QPainter::CompositionMode& mode, bool& invertSource)
{
    invertSource = false;
    switch (rop) {
    case SRCCOPY: mode = QPainter::CompositionMode_SourceOver; return true;
    case NOTSRCCOPY: mode = QPainter::CompositionMode_SourceOver; invertSource = true; return true;
    case SRCAND: mode = QPainter::RasterOp_SourceAndDestination; return true;
    case SRCPAINT: mode = QPainter::RasterOp_SourceOrDestination; return true;
    case SRCINVERT: mode = QPainter::RasterOp_SourceXorDestination; return true;
    default: return false;
    }
}

// A pattern fill of the destination with the painter's brush, combined by rop. Operations
// that read a source have none to read here and leave the destination alone.
void PatBlt(QPainter& dc, const QRect& target, DWORD rop)
{
    const QColor brush = dc.brush().style() == Qt::NoBrush ? QColor(Qt::white) : dc.brush().color();
    dc.save();
    switch (rop) {
    case BLACKNESS: dc.fillRect(target, Qt::black); break;
    case WHITENESS: dc.fillRect(target, Qt::white); break;
    case PATCOPY: dc.fillRect(target, brush); break;
    case PATINVERT:
        dc.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        dc.fillRect(target, brush);
        break;
    case DSTINVERT:
        dc.setCompositionMode(QPainter::RasterOp_NotDestination);
        dc.fillRect(target, Qt::black);
        break;
    default: break;
    }
    dc.restore();
}

}  // namespace

int SetStretchBltMode(QPainter& dc, int mode)
{
    const int previous = dc.testRenderHint(QPainter::SmoothPixmapTransform) ? HALFTONE : COLORONCOLOR;
    dc.setRenderHint(QPainter::SmoothPixmapTransform, mode == HALFTONE);
    return previous;
}

QByteArray BitmapToDib(const DrawingSurface& source, WORD bitsPerPixel, DWORD compression)
{
    const QImage& bitmap = source.Bitmap();
    // 1. The bitmap's size and depth; a drawing surface holds 32-bit pixels.
    const WORD bits = bitsPerPixel == 0 ? WORD(bitmap.depth()) : bitsPerPixel;
    if (bitmap.isNull() || compression != BI_RGB || (bits != 24 && bits != 32))
        return QByteArray();
    // 2. The header; no colour table above 8 bits.
    BITMAPINFOHEADER header;
    header.biWidth = bitmap.width();
    header.biHeight = bitmap.height();
    header.biBitCount = bits;
    header.biCompression = compression;
    const qint64 rowBytes = DibRowBytes(header.biWidth, bits);
    const qint64 imageBytes = rowBytes * header.biHeight;
    if (kHeaderBytes + imageBytes > qint64(INT_MAX))
        return QByteArray();
    header.biSizeImage = DWORD(imageBytes);
    // 3. Header and rows in one block, the bottom row first.
    QByteArray dib(int(kHeaderBytes + imageBytes), Qt::Uninitialized);
    uchar* out = reinterpret_cast<uchar*>(dib.data());
    PutHeader(out, header);
    const QImage rgb = bitmap.format() == QImage::Format_RGB32 ? bitmap : bitmap.convertToFormat(QImage::Format_RGB32);
    for (LONG row = 0; row < header.biHeight; ++row) {
        const auto* pixel = reinterpret_cast<const QRgb*>(rgb.constScanLine(header.biHeight - 1 - row));
        uchar* line = out + kHeaderBytes + row * rowBytes;
        if (bits == 32) {
            for (LONG x = 0; x < header.biWidth; ++x)
                qToLittleEndian<quint32>(pixel[x] & 0x00FFFFFF, line + 4 * x);
            continue;
        }
        uchar* p = line;
        for (LONG x = 0; x < header.biWidth; ++x) {
            *p++ = uchar(qBlue(pixel[x]));
            *p++ = uchar(qGreen(pixel[x]));
            *p++ = uchar(qRed(pixel[x]));
        }
        std::memset(p, 0, size_t(line + rowBytes - p));
    }
    return dib;
}

bool ReadDibHeader(const QByteArray& dib, BITMAPINFOHEADER& header)
{
    if (dib.size() < kHeaderBytes)
        return false;
    header = DecodeInfoHeader(reinterpret_cast<const uchar*>(dib.constData()));
    if (header.biSize != kHeaderBytes || header.biWidth <= 0 || header.biHeight <= 0 || header.biCompression != BI_RGB
        || (header.biBitCount != 24 && header.biBitCount != 32))
        return false;
    return kHeaderBytes + DibRowBytes(header.biWidth, header.biBitCount) * header.biHeight <= dib.size();
}

bool StretchDib(QPainter& dc, LONG x, LONG y, LONG width, LONG height, LONG srcX, LONG srcY, LONG srcWidth,
                LONG srcHeight, DWORD rop, const QByteArray& dib)
{
    BITMAPINFOHEADER header;
    QPainter::CompositionMode mode;
    bool invert = false;
    if (!ReadDibHeader(dib, header) || !CompositionFor(rop, mode, invert) || srcWidth <= 0 || srcHeight <= 0) {
        PatBlt(dc, QRect(x, y, width, height), rop);
        return false;
    }
    // The source rectangle top-down, then its part inside the DIB; the destination keeps the
    // same proportion of it.
    const LONG top = header.biHeight - srcY - srcHeight;
    const LONG left = std::max<LONG>(srcX, 0);
    const LONG right = std::min<LONG>(srcX + srcWidth, header.biWidth);
    const LONG shownTop = std::max<LONG>(top, 0);
    const LONG bottom = std::min<LONG>(top + srcHeight, header.biHeight);
    if (left >= right || shownTop >= bottom)
        return false;
    const double sx = double(width) / srcWidth;
    const double sy = double(height) / srcHeight;
    const QRectF target(x + (left - srcX) * sx, y + (shownTop - top) * sy, (right - left) * sx,
                        (bottom - shownTop) * sy);
    QImage picture = DibRows(dib, header, left, shownTop, right - left, bottom - shownTop);
    if (invert)
        picture.invertPixels();
    dc.save();
    dc.setCompositionMode(mode);
    dc.drawImage(target, picture);
    dc.restore();
    return true;
}
