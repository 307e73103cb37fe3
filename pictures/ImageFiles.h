#pragma once
// Reading and writing JPEG files.

#include "platform/ColorRef.h"

#include <QImage>
#include <QString>

class DrawingSurface;

// Decodes the JPEG file at path into a bitmap (Format_RGB32) and sets width and height to its
// size. A file that cannot be decoded gives a null image and leaves width and height alone.
QImage CreateBitmapFromFile(const QString& path, int* width, int* height);

// Writes bitmap to path as a JPEG file of the bitmap's size (format 1 is JPEG, the only one).
// The file is replaced only when the new one is complete. back and line are the page and
// ruled-line colours of the image, for encoders that want them. Returns false on failure.
bool CreateAttachment(DrawingSurface* dc, const QImage& bitmap, const QString& path, int format,
                      COLORREF back, COLORREF line);
