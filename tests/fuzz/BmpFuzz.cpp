// The BMP decoder: a whole file in memory, as Insert Image reads it, and the picture it gives
// placed on a page as the program does.

#include "FuzzSupport.h"

#include "pictures/BmpFile.h"
#include "pictures/CPictureItem.h"
#include "pictures/ImageData.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartQt();
    FuzzPrompts();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    BmpFileImage image;
    if (DecodeBmp(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), image) != BmpLoad::Loaded)
        return 0;
    if (image.bitmap.isNull())
        return 0;
    if (image.bitmap.format() != QImage::Format_RGB32)
        Broken("a decoded BMP is not an RGB32 bitmap");
    CPictureItem picture;
    picture.SetBitmap(image.bitmap, image.bitmap.width(), image.bitmap.height());
    return 0;
}
