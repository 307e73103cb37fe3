#pragma once
// Reading a bitmap back as packed 24-bit image data: bottom-up rows, blue-green-red bytes,
// each row padded to a multiple of 4 bytes, no header in the buffer.

#include "WinTypes.h"

class DrawingSurface;
class QImage;

struct BITMAPINFOHEADER {
    DWORD biSize = 40;
    LONG biWidth = 0;
    LONG biHeight = 0;
    WORD biPlanes = 1;
    WORD biBitCount = 24;
    DWORD biCompression = 0;  // BI_RGB
    DWORD biSizeImage = 0;
    LONG biXPelsPerMeter = 0;
    LONG biYPelsPerMeter = 0;
    DWORD biClrUsed = 0;
    DWORD biClrImportant = 0;
};

// The 40 bytes of a BITMAPINFOHEADER at in, little-endian, as BMP files and packed DIBs hold it.
BITMAPINFOHEADER DecodeInfoHeader(const unsigned char* in);

// Bytes of one 24-bit row of the given width, padded to 4.
constexpr DWORD PackedRowBytes(LONG width)
{
    return DWORD(((width * 3 + 3) / 4) * 4);
}

// Describes bitmap as a 24-bit image in info and sets size to its byte count.
// A null surface or bitmap is reported ("Function parameter error") and answers false.
bool GetEraseInfo(const DrawingSurface* dc, const QImage* bitmap, BITMAPINFOHEADER& info, DWORD& size);

// Copies bitmap into buffer as bottom-up 24-bit rows. Fails, writing nothing, when size is
// smaller than the image, or buffer, width or height is zero; a null surface or bitmap is
// reported ("Function parameter error").
bool MemoryTransferToBuffer(const DrawingSurface* dc, const QImage* bitmap, DWORD size, BYTE* buffer);
