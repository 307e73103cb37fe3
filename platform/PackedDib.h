#pragma once
// Packed device-independent bitmaps, the form a sheet's picture takes on its way to a printer:
// one block holding a BITMAPINFOHEADER, the colour table the depth needs (none above 8 bits)
// and the pixel rows bottom-up, each padded to 4 bytes. BitmapToDib makes one from a drawing
// surface; StretchDib draws one, or part of it, onto a printer's page, a preview or an image
// through a QPainter.

#include "DibTransfer.h"
#include "RasterOp.h"

#include <QByteArray>

class DrawingSurface;
class QPainter;

// Compression of a DIB's rows.
constexpr DWORD BI_RGB = 0;
constexpr DWORD BI_RLE8 = 1;
constexpr DWORD BI_RLE4 = 2;

// How a stretched picture loses or gains pixels. COLORONCOLOR keeps whole source pixels
// (nearest neighbour); HALFTONE averages them. The other two modes give COLORONCOLOR's result
// when a picture is enlarged, as every sheet is.
enum StretchMode : int { BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4 };

// Sets the painter's stretch mode; returns the previous one.
int SetStretchBltMode(QPainter& dc, int mode);

// The packed DIB of source's bitmap at bitsPerPixel (0: the bitmap's own depth, 32), BI_RGB.
// 24- and 32-bit DIBs are made; any other depth or compression, and an empty bitmap, give an
// empty block: the conversion failed.
QByteArray BitmapToDib(const DrawingSurface& source, WORD bitsPerPixel, DWORD compression);

// The header at the start of dib; false unless dib holds a whole 24- or 32-bit BI_RGB DIB.
bool ReadDibHeader(const QByteArray& dib, BITMAPINFOHEADER& header);

// Stretches the source rectangle of dib (DIB pixels; srcY counted up from the bottom row, as
// the rows are stored) onto the destination rectangle of dc (device units), combined by rop:
// SRCCOPY, NOTSRCCOPY, SRCAND, SRCPAINT or SRCINVERT (the last three exact on image targets
// only). Source pixels outside the DIB draw nothing, and the destination shrinks with them.
// Without a DIB (an empty or damaged block) only the raster operation is applied to the
// destination, as a pattern fill with the painter's brush: operations that read a source then
// leave it as it was. Returns false when no picture was drawn.
bool StretchDib(QPainter& dc, LONG x, LONG y, LONG width, LONG height, LONG srcX, LONG srcY, LONG srcWidth,
                LONG srcHeight, DWORD rop, const QByteArray& dib);
