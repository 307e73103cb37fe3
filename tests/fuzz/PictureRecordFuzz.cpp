// The picture record of a note and its image data: a record as a note's picture list holds
// it, drawn onto a small page and stored again; and image data of a size the input's first two
// bytes give, turned into a bitmap and back. Whatever loads must store to bytes that load and
// store to the same bytes again, and image data must give back the pixels it was made from.

#include "FuzzSupport.h"

#include "pictures/CPictureList.h"
#include "pictures/ImageData.h"
#include "platform/Archive.h"
#include "platform/DrawingSurface.h"

#include <QBuffer>

#include <vector>

namespace {

bool Load(CPictureList& list, QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    try {
        CArchive ar(&buffer, CArchive::load);
        list.Serialize(ar);
    } catch (const CArchiveException&) {
        return false;
    }
    return true;
}

QByteArray Store(CPictureList& list)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    CArchive ar(&buffer, CArchive::store);
    list.Serialize(ar);
    ar.Close();
    return bytes;
}

void PictureRecords(const QByteArray& bytes)
{
    CPictureList list;
    if (!Load(list, bytes))
        return;
    DrawingSurface page(QImage(96, 64, QImage::Format_RGB32));
    list.DrawInRect(&page, RECT{8, 8, 80, 56});
    list.DrawAll(&page);

    const QByteArray stored = Store(list);
    CPictureList again;
    if (!Load(again, stored))
        Broken("stored pictures do not load");
    if (Store(again) != stored)
        Broken("stored pictures load as other pictures");
}

void ImageDataRoundTrip(const uint8_t* data, size_t size)
{
    if (size < 2)
        return;
    const int width = data[0] % 64;
    const int height = data[1] % 64;
    const QImage bitmap = OpenPicture(width, height, DWORD(size - 2), data + 2);
    if (bitmap.isNull())
        return;
    DWORD bytes = 0;
    if (!SavePicture1(&bitmap, &bytes))
        Broken("a bitmap made from image data has no image-data size");
    std::vector<BYTE> saved(bytes);
    if (!SavePicture2(&bitmap, bytes, saved.data()))
        Broken("a bitmap made from image data cannot be saved");
    if (OpenPicture(width, height, bytes, saved.data()) != bitmap)
        Broken("image data does not give back its bitmap");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartQt();
    FuzzPrompts();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    PictureRecords(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    ImageDataRoundTrip(data, size);
    return 0;
}
