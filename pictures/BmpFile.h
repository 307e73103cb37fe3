#pragma once
// BMP files as pictures: the file from byte 14 on (info header, colour table, pixels) is kept
// with the picture, and its pixels are decoded into a bitmap.

#include "platform/DibTransfer.h"

#include <QByteArray>
#include <QImage>
#include <QString>

struct BmpFileImage {
    QByteArray block;       // the file without its 14-byte file header
    BITMAPINFOHEADER info;  // the block's header, biClrUsed and biSizeImage filled in;
                            // all zero when the block holds no readable header
    QImage bitmap;          // Format_RGB32; null when the pixels cannot be decoded
};

enum class BmpLoad {
    Loaded,      // the file starts with "BM"; image.bitmap may still be null if it is damaged
    NotBmp,      // the file does not start with "BM" (or is shorter than its file header)
    Unreadable,  // the file cannot be opened
};

// Decodes a whole BMP file held in memory.
BmpLoad DecodeBmp(const QByteArray& file, BmpFileImage& image);
// Reads and decodes the BMP file at path.
BmpLoad LoadBmpFile(const QString& path, BmpFileImage& image);
