// JPEG loading: a file decoded as the JPEG reader does, and the same file taken in by Insert
// Image, which tells JPEG, BMP and other pictures apart by their first bytes.

#include "FuzzSupport.h"

#include "pictures/CPictureItem.h"
#include "pictures/ImageData.h"
#include "pictures/ImageFiles.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartQt();
    FuzzPrompts();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = FuzzFile(QStringLiteral("picture.jpg"), reinterpret_cast<const char*>(data), size);
    int width = -1, height = -1;
    const QImage bitmap = CreateBitmapFromFile(path, &width, &height);
    if (!bitmap.isNull()
        && (bitmap.format() != QImage::Format_RGB32 || bitmap.width() != width || bitmap.height() != height
            || !IsPictureSizeAllowed(width, height)))
        Broken("a decoded JPEG is not the bitmap its size says");

    CPictureItem picture;
    if (picture.LoadImageFile(path) == ImageLoad::Loaded
        && (picture.Bitmap().isNull() || picture.Bitmap().format() != QImage::Format_RGB32))
        Broken("a loaded picture has no RGB32 bitmap");
    return 0;
}
