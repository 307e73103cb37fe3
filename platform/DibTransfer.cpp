#include "DibTransfer.h"

#include "ColorRef.h"
#include "DrawingSurface.h"
#include "Prompts.h"

#include <QImage>
#include <QtEndian>

bool GetEraseInfo(const DrawingSurface* dc, const QImage* bitmap, BITMAPINFOHEADER& info, DWORD& size)
{
    if (!dc || !bitmap) {
        prompts().MessageBox(QStringLiteral("Function parameter error"), QStringLiteral("GetEraseInfo"));
        return false;
    }
    info = BITMAPINFOHEADER{};
    info.biWidth = bitmap->width();
    info.biHeight = bitmap->height();
    size = PackedRowBytes(info.biWidth) * DWORD(info.biHeight);
    info.biSizeImage = size;
    return true;
}

bool MemoryTransferToBuffer(const DrawingSurface* dc, const QImage* bitmap, DWORD size, BYTE* buffer)
{
    if (!dc || !bitmap) {
        prompts().MessageBox(QStringLiteral("Function parameter error"),
                             QStringLiteral("MemoryTransferToBuffer"));
        return false;
    }
    const LONG width = bitmap->width();
    const LONG height = bitmap->height();
    if (!buffer || width == 0 || height == 0)
        return false;
    const DWORD rowBytes = PackedRowBytes(width);
    if (uint64_t(size) < uint64_t(rowBytes) * uint64_t(height))
        return false;
    const QImage rgb = bitmap->format() == QImage::Format_RGB32 ? *bitmap
                                                                 : bitmap->convertToFormat(QImage::Format_RGB32);
    for (LONG row = 0; row < height; ++row) {
        const QRgb* source = reinterpret_cast<const QRgb*>(rgb.constScanLine(height - 1 - row));
        BYTE* out = buffer + size_t(row) * rowBytes;
        for (LONG x = 0; x < width; ++x) {
            *out++ = BYTE(qBlue(source[x]));
            *out++ = BYTE(qGreen(source[x]));
            *out++ = BYTE(qRed(source[x]));
        }
    }
    return true;
}

BITMAPINFOHEADER DecodeInfoHeader(const unsigned char* in)
{
    BITMAPINFOHEADER header;
    header.biSize = qFromLittleEndian<quint32>(in);
    header.biWidth = qFromLittleEndian<qint32>(in + 4);
    header.biHeight = qFromLittleEndian<qint32>(in + 8);
    header.biPlanes = qFromLittleEndian<quint16>(in + 12);
    header.biBitCount = qFromLittleEndian<quint16>(in + 14);
    header.biCompression = qFromLittleEndian<quint32>(in + 16);
    header.biSizeImage = qFromLittleEndian<quint32>(in + 20);
    header.biXPelsPerMeter = qFromLittleEndian<qint32>(in + 24);
    header.biYPelsPerMeter = qFromLittleEndian<qint32>(in + 28);
    header.biClrUsed = qFromLittleEndian<quint32>(in + 32);
    header.biClrImportant = qFromLittleEndian<quint32>(in + 36);
    return header;
}
