// The recovery journal reader: a journal as a crash leaves it (without its signature, which
// the target puts in front), then the note rebuilt from it as restoring does. Since every
// record carries a checksum, the input is read twice: as it is, and with each record's
// checksum made right, so that damaged contents get past the framing.

#include "FuzzSupport.h"

#include "canvas/HeadlessView.h"
#include "document/CScrivaDoc.h"
#include "document/JournalFormat.h"

#include <QtEndian>

namespace {

// Pages larger than this are not restored (restoring draws the page, up to 2^28 pixels).
constexpr qint64 kLargestDrawnPage = qint64(1) << 18;

// The journal with the checksum of each whole record set to match its type and payload.
QByteArray WithChecksumsMade(QByteArray bytes)
{
    qsizetype pos = JournalFormat::kSignatureSize;
    while (bytes.size() - pos >= 9) {
        const quint32 size = qFromLittleEndian<quint32>(bytes.constData() + pos);
        if (size > quint64(bytes.size() - pos - 9))
            break;
        const quint32 crc = JournalFormat::Crc32(bytes.constData() + pos + 4, qsizetype(size) + 1);
        qToLittleEndian(crc, bytes.data() + pos + 5 + size);
        pos += 9 + size;
    }
    return bytes;
}

bool SmallPage(const QByteArray& head)
{
    const auto at = [&](int i) { return qint64(qFromLittleEndian<qint32>(head.constData() + 12 + 4 * i)); };
    return head.size() >= 28 && (at(2) - at(0)) * (at(3) - at(1)) <= kLargestDrawnPage;
}

void Restore(const QByteArray& bytes)
{
    static CScrivaDoc doc;
    static HeadlessView view(doc, CRect(0, 0, 128, 96), FuzzFolder() + QStringLiteral("/KSTPVX.ini"));
    const std::optional<JournalState> state = JournalFormat::Parse(bytes);
    if (!state)
        return;
    if (!state->hasNote || !SmallPage(state->head))
        return;
    doc.OnNewDocument();
    if (doc.RestoreNote(state->Note(), state->pathName, state->currentPath)
        && doc.m_lines.GetCount() != state->strokes.size())
        Broken("a restored note has another number of strokes than its journal");
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
    // Both readings start with the signature, so the fuzzer need not find it.
    QByteArray bytes = JournalFormat::Signature();
    bytes.append(reinterpret_cast<const char*>(data), qsizetype(size));
    Restore(bytes);
    Restore(WithChecksumsMade(bytes));
    return 0;
}
