#include "JournalFormat.h"

#include "ink/CLine.h"

#include <QtEndian>

#include <array>

namespace {

constexpr qsizetype kPageHeadBytes = 28;  // three values and the page rectangle
constexpr qsizetype kFrameBytes = 4 + 1 + 4;

constexpr std::array<quint32, 256> MakeCrcTable()
{
    std::array<quint32, 256> table{};
    for (quint32 i = 0; i < 256; ++i) {
        quint32 c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}
constexpr std::array<quint32, 256> kCrcTable = MakeCrcTable();

void PutU32(QByteArray& bytes, quint32 value)
{
    const quint32 le = qToLittleEndian(value);
    bytes.append(reinterpret_cast<const char*>(&le), 4);
}

void PutString(QByteArray& bytes, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    PutU32(bytes, quint32(utf8.size()));
    bytes.append(utf8);
}

// Reads through a payload; every read says whether the bytes were there.
class PayloadReader {
public:
    explicit PayloadReader(const QByteArray& bytes) : m_bytes(bytes) {}
    bool U32(quint32& value)
    {
        if (Left() < 4)
            return false;
        value = qFromLittleEndian<quint32>(m_bytes.constData() + m_pos);
        m_pos += 4;
        return true;
    }
    bool String(QString& text)
    {
        quint32 size = 0;
        if (!U32(size) || size > quint64(Left()))
            return false;
        text = QString::fromUtf8(m_bytes.constData() + m_pos, qsizetype(size));
        m_pos += size;
        return true;
    }
    QByteArray Rest() const { return m_bytes.mid(m_pos); }
    qsizetype Left() const { return m_bytes.size() - m_pos; }

private:
    const QByteArray& m_bytes;
    qsizetype m_pos = 0;
};

// The size of the stroke record starting at data, or -1 when fewer than left bytes cannot hold it.
qsizetype StrokeRecordSize(const char* data, qsizetype left)
{
    if (left < CLine::kRecordHeadBytes)
        return -1;
    const qint32 points = qFromLittleEndian<qint32>(data);
    if (points < 0 || points > (left - CLine::kRecordHeadBytes) / CLine::kRecordPointBytes)
        return -1;
    return CLine::kRecordHeadBytes + qsizetype(points) * CLine::kRecordPointBytes;
}

}  // namespace

quint32 JournalFormat::Crc32(const char* data, qsizetype size, quint32 crc)
{
    crc = ~crc;
    for (qsizetype i = 0; i < size; ++i)
        crc = kCrcTable[(crc ^ quint8(data[i])) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

QByteArray JournalFormat::Record(Type type, const QByteArray& payload)
{
    QByteArray record;
    record.reserve(payload.size() + kFrameBytes);
    PutU32(record, quint32(payload.size()));
    record.append(char(type));
    record.append(payload);
    PutU32(record, Crc32(record.constData() + 4, payload.size() + 1));
    return record;
}

QByteArray JournalFormat::InstanceRecord(qint64 pid, const QString& kind)
{
    QByteArray payload;
    PutU32(payload, quint32(pid));
    PutString(payload, kind);
    return Record(Instance, payload);
}

QByteArray JournalFormat::SnapshotRecord(const QByteArray& note, const QString& pathName, const QString& currentPath)
{
    QByteArray payload;
    PutString(payload, pathName);
    PutString(payload, currentPath);
    payload.append(note);
    return Record(Snapshot, payload);
}

QByteArray JournalFormat::CutRecord(int count)
{
    QByteArray payload;
    PutU32(payload, quint32(count));
    return Record(CutStrokes, payload);
}

std::optional<JournalState> JournalFormat::Parse(const QByteArray& bytes)
{
    if (!bytes.startsWith(Signature()))
        return std::nullopt;
    JournalState state;
    qsizetype pos = kSignatureSize;
    while (pos < bytes.size()) {
        const qsizetype left = bytes.size() - pos;
        if (left < kFrameBytes)
            break;
        const quint32 size = qFromLittleEndian<quint32>(bytes.constData() + pos);
        if (size > quint64(left - kFrameBytes))
            break;
        const char* typeAndPayload = bytes.constData() + pos + 4;
        const quint32 crc = qFromLittleEndian<quint32>(typeAndPayload + 1 + size);
        if (crc != Crc32(typeAndPayload, qsizetype(size) + 1))
            break;
        if (!Apply(state, typeAndPayload[0], QByteArray(typeAndPayload + 1, qsizetype(size))))
            break;
        ++state.records;
        pos += kFrameBytes + size;
    }
    state.damagedTail = pos < bytes.size();
    return state;
}

bool JournalFormat::Apply(JournalState& state, char type, const QByteArray& payload)
{
    PayloadReader reader(payload);
    switch (type) {
    case Instance: {
        quint32 pid = 0;
        if (!reader.U32(pid) || !reader.String(state.kind))
            return false;
        state.pid = pid;
        return true;
    }
    case Snapshot: {
        JournalState next = state;
        if (!reader.String(next.pathName) || !reader.String(next.currentPath) || !SplitNote(next, reader.Rest()))
            return false;
        next.hasNote = true;
        state = std::move(next);
        return true;
    }
    case AppendStroke:
        if (!state.hasNote || StrokeRecordSize(payload.constData(), payload.size()) != payload.size())
            return false;
        state.strokes.append(payload);
        return true;
    case CutStrokes: {
        quint32 count = 0;
        if (!state.hasNote || !reader.U32(count) || count > quint64(state.strokes.size()))
            return false;
        state.strokes.resize(qsizetype(count));
        return true;
    }
    default: return false;
    }
}

bool JournalFormat::SplitNote(JournalState& state, const QByteArray& note)
{
    if (note.size() < kPageHeadBytes + 4)
        return false;
    state.head = note.left(kPageHeadBytes);
    const qint32 count = qFromLittleEndian<qint32>(note.constData() + kPageHeadBytes);
    if (count < 0)
        return false;
    state.strokes.clear();
    qsizetype pos = kPageHeadBytes + 4;
    for (qint32 i = 0; i < count; ++i) {
        const qsizetype size = StrokeRecordSize(note.constData() + pos, note.size() - pos);
        if (size < 0)
            return false;
        state.strokes.append(note.mid(pos, size));
        pos += size;
    }
    state.pictures = note.mid(pos);
    return true;
}

QByteArray JournalState::Note() const
{
    QByteArray note = head;
    PutU32(note, quint32(strokes.size()));
    for (const QByteArray& stroke : strokes)
        note.append(stroke);
    note.append(pictures);
    return note;
}
