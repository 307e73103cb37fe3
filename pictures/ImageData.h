#pragma once
// Pictures as image data, the form a note file stores them in: 24 bits a pixel in blue, green,
// red order, rows bottom-up, each row padded to a multiple of 4 bytes, no header. Bitmaps are
// QImages in Format_RGB32, the form the page buffer uses.

#include "platform/ColorRef.h"
#include "platform/WinTypes.h"

#include <QImage>

#include <cstdint>

// Bytes of image data for a picture of this size: ((width × 3 + 3) ÷ 4) × height × 4.
// 64-bit so that sizes read from a file cannot overflow; 0 for negative sizes.
constexpr uint64_t ImageDataSize(int64_t width, int64_t height)
{
    if (width < 0 || height < 0)
        return 0;
    return uint64_t((width * 3 + 3) / 4) * uint64_t(height) * 4;
}

// The largest picture a file may bring in: each side 1 to 32767 pixels and at most 2^27 pixels
// in all (512 MB as a bitmap). Sizes read from a file are checked against this before anything
// is allocated.
constexpr int64_t kMaxPictureSide = 32767;
constexpr int64_t kMaxPicturePixels = int64_t(1) << 27;
constexpr bool IsPictureSizeAllowed(int64_t width, int64_t height)
{
    return width >= 1 && height >= 1 && width <= kMaxPictureSide && height <= kMaxPictureSide
        && width * height <= kMaxPicturePixels;
}

// Sets size to the image-data size of bitmap. A null bitmap is reported ("Function parameter
// error" / "SavePicture1") and answers false.
bool SavePicture1(const QImage* bitmap, DWORD* size);

// Writes bitmap's image data into buffer. A null bitmap is reported ("Function parameter
// error" / "SavePicture2"); a short or missing buffer or an empty bitmap answers false silently.
bool SavePicture2(const QImage* bitmap, DWORD size, BYTE* buffer);

// Builds a bitmap of width × height from image data. Too little data, or none, is reported
// ("Too small buffer size" / "OpenPicture") and gives a null image.
QImage OpenPicture(int width, int height, DWORD size, const BYTE* data);

// image as a bitmap (Format_RGB32): see-through and half see-through parts are composed over
// background, as they show on a page of that colour. Without an alpha channel the pixels are
// taken as they are.
QImage OpaqueBitmap(const QImage& image, COLORREF background);
