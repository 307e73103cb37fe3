// The note file: the whole load (page settings, strokes, pictures) as opening a note reads it,
// the page drawn from what was read, and the note saved again. A note that loads must save to
// bytes that load and save to the same bytes again.

#include "FuzzSupport.h"

#include "canvas/HeadlessView.h"
#include "document/CScrivaDoc.h"
#include "platform/Archive.h"

#include <QBuffer>
#include <QtEndian>

namespace {

// A note may ask for a page of up to 2^28 pixels, which the program allocates and draws; a
// fuzzer doing so at every input would get nowhere. Pages up to kLargestDrawnPage are drawn,
// and notes asking for more than kLargestLoadedPage are not loaded at all (the page's own
// check is plain arithmetic: the strokes and pictures after it are what is fuzzed here).
constexpr qint64 kLargestDrawnPage = qint64(1) << 18;
constexpr qint64 kLargestLoadedPage = qint64(1) << 22;

qint64 PagePixels(const uint8_t* data, size_t size)
{
    if (size < 28)
        return 0;
    const auto at = [data](int i) { return qint64(qFromLittleEndian<qint32>(data + 12 + 4 * i)); };
    return (at(2) - at(0)) * (at(3) - at(1));
}

bool Load(CScrivaDoc& doc, QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    try {
        CArchive ar(&buffer, CArchive::load);
        doc.Serialize(ar);
    } catch (const CArchiveException&) {
        return false;
    }
    return true;
}

QByteArray Save(CScrivaDoc& doc)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    CArchive ar(&buffer, CArchive::store);
    doc.Serialize(ar);
    ar.Close();
    return bytes;
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
    static CScrivaDoc doc;
    static HeadlessView view(doc, CRect(0, 0, 128, 96), FuzzFolder() + QStringLiteral("/KSTPVX.ini"));
    if (PagePixels(data, size) > kLargestLoadedPage)
        return 0;
    doc.OnNewDocument();
    if (!Load(doc, QByteArray(reinterpret_cast<const char*>(data), qsizetype(size))))
        return 0;
    const RECT page = view.GetPageSettings().page;
    if (qint64(page.right - page.left) * (page.bottom - page.top) <= kLargestDrawnPage)
        view.DrawRuledLines(true);

    const QByteArray saved = Save(doc);
    doc.OnNewDocument();
    if (!Load(doc, saved))
        Broken("a saved note does not load");
    if (Save(doc) != saved)
        Broken("a saved note loads as another note");
    return 0;
}
