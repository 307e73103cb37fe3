#pragma once
// The bytes of a recovery journal: what the note looked like after each change since it was
// last saved, so that a note can be rebuilt after the program was killed.
//
// A journal is the 8-byte signature "IlfJrnl1" followed by records. Each record is
//
//   u32 payload length | u8 type | payload | u32 CRC-32 of type and payload
//
// little-endian, so a record cut short by a crash, or damaged, is recognised and ignored with
// everything after it; every record before it counts. Record types:
//
//   'I' the instance writing the journal: u32 pid, then its kind as a string
//   'S' the whole note: the note's path and the name offered for saving (strings), then the
//       note's bytes exactly as a note file holds them
//   'A' one stroke written or redone, appended to the shown strokes: its bytes as in a note
//   'T' strokes undone: u32 count of the shown strokes that stay
//
// Strings are a u32 byte count and UTF-8. The note is rebuilt from the last 'S' and the 'A'
// and 'T' records after it.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

struct JournalState {
    qint64 pid = 0;   // of the instance that wrote it, 0 when not named
    QString kind;     // "letter" or "inking"
    QString pathName; // the note file behind the note, empty when none
    QString currentPath;  // the name the save dialog offers
    QByteArray head;      // page settings: the note's first 28 bytes
    QList<QByteArray> strokes;
    QByteArray pictures;  // the picture list's bytes, the note's tail
    bool hasNote = false; // a complete 'S' record was read
    int records = 0;      // intact records read
    bool damagedTail = false;  // bytes after the last intact record were ignored

    // The note file's bytes of this state.
    QByteArray Note() const;
};

class JournalFormat {
public:
    static constexpr char kSignature[] = "IlfJrnl1";
    static constexpr int kSignatureSize = 8;
    enum Type : char { Instance = 'I', Snapshot = 'S', AppendStroke = 'A', CutStrokes = 'T' };

    static QByteArray Signature() { return QByteArray(kSignature, kSignatureSize); }
    // One framed record.
    static QByteArray Record(Type type, const QByteArray& payload);
    static QByteArray InstanceRecord(qint64 pid, const QString& kind);
    static QByteArray SnapshotRecord(const QByteArray& note, const QString& pathName, const QString& currentPath);
    static QByteArray CutRecord(int count);

    // Reads a journal: nothing when the bytes do not start with the signature. Reading stops
    // at the first record that is cut short, fails its checksum or does not make sense.
    static std::optional<JournalState> Parse(const QByteArray& bytes);

    static quint32 Crc32(const char* data, qsizetype size, quint32 crc = 0);

    // Cuts a note's bytes into page settings, strokes and pictures; false when malformed.
    static bool SplitNote(JournalState& state, const QByteArray& note);

private:
    // Applies one record; false when its payload does not make sense.
    static bool Apply(JournalState& state, char type, const QByteArray& payload);
};
