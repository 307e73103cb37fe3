#pragma once
// Reading picture files and writing JPEG files.

#include "platform/ColorRef.h"

#include <QImage>
#include <QString>

class DrawingSurface;

// Decodes the JPEG file at path into a bitmap (Format_RGB32) and sets width and height to its
// size. A file that cannot be decoded gives a null image and leaves width and height alone.
QImage CreateBitmapFromFile(const QString& path, int* width, int* height);

// The Insert Image dialog's filter ("Name|patterns|...||"): first every picture type Qt reads,
// then JPEG and BMP on their own; each extension in lower and upper case, for dialogs that
// match names case by case.
QString PictureFileFilter();

// What the file holds, judged by its content whatever its name: Qt's format name ("jpeg",
// "bmp", "png", "webp", "gif", "tiff", ...), or empty when Qt reads no picture from it.
QByteArray PictureFileType(const QString& path);

// Decodes a picture file of any type Qt reads beyond BMP, into a bitmap (Format_RGB32), and
// sets width and height to its size. JPEG content takes the JPEG rule of CreateBitmapFromFile,
// whatever the file is called; others are decoded by Qt (a GIF's or TIFF's first picture),
// see-through parts showing the paper colour. A file that cannot be decoded, or whose picture is
// larger than a picture may be (IsPictureSizeAllowed), gives a null image and leaves width and
// height alone.
QImage DecodeImageFile(const QString& path, COLORREF paper, int* width, int* height);

// Writes bitmap to path as a JPEG file of the bitmap's size (format 1 is JPEG, the only one).
// The file is replaced only when the new one is complete. back and line are the page and
// ruled-line colours of the image, for encoders that want them. Returns false on failure.
bool CreateAttachment(DrawingSurface* dc, const QImage& bitmap, const QString& path, int format,
                      COLORREF back, COLORREF line);
