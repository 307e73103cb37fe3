#pragma once
// The program's pictures, cursors and icons, looked up by name the way a module's resources
// are: "bitmap/272", "cursor/178", "icon/128", "button/pencil-normal". Each name is an SVG (or
// PNG) under resources/art, compiled into the program and rendered on first use.
//
// A replacement bundle (a binary Qt resource file, see LoadResourceLibrary) can stand in for
// any of them: while it is loaded, every lookup tries the bundle first and falls back to the
// built-in picture, so a bundle only carries what it changes.

#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>

namespace Resources {

// The bundle's file name, searched as FindResourceLibrary says.
inline constexpr const char* kLibraryFileName = "IlfRes.rcc";

// Registers the bundle at path; false (and nothing changes) when it is missing or damaged.
bool LoadResourceLibrary(const QString& path);
// Unregisters the bundle, if one is loaded.
void FreeResourceLibrary();
// True while a bundle is loaded.
bool UsingResourceLibrary();
// Where the bundle is found: beside the program, else where an installed program keeps its
// data (FindProgramFile). Empty when there is none.
QString FindResourceLibrary();

// The Qt resource path of a resource file (e.g. "art/bitmap/272.svg", "strings/en.txt"), the
// bundle's copy when it has one; empty when neither has it.
QString Locate(const QString& relativePath);

// True when the picture name exists (in the bundle or built in).
bool HasImage(const QString& name);
// The picture's own size (an SVG's width and height); empty when it does not exist.
QSize ImageSize(const QString& name);
// The picture name rendered at size (its own size when size is empty), premultiplied ARGB.
// For a screen of ratio physical pixels per logical pixel it is drawn with size × ratio pixels
// and carries that ratio, so that it still covers size logical pixels, crisp. A missing name
// gives a null image.
QImage LoadImage(const QString& name, QSize size = {}, qreal ratio = 1.0);
// The pixels a picture of size logical pixels has at ratio.
QSize PhysicalSize(QSize size, qreal ratio);

// A cursor picture and its hot spot, which the SVG gives as the attributes
// data-hotspot-x/-y of its root element (0, 0 without them).
struct CursorImage {
    QImage image;     // at its own size × ratio, carrying the ratio
    QPoint hotSpot;   // in the image's own pixels
};
CursorImage LoadCursorImage(const QString& name, qreal ratio = 1.0);

}  // namespace Resources
