// The recovery journal as the pen meets it: a note of 1,000 handwritten strokes of 200 points
// is open, and each further stroke is handed to the journal at pen-up (JournalStroke: the
// stroke's bytes appended, or the whole note rewritten when the records have outgrown it).
//
// Journal/Strokes   3,000 more strokes, each journaled on its own and timed around
//                   JournalStroke; p50_us / p99_us / max_us the distribution, rewrites the
//                   number of times the journal was rewritten, journal_per_note the largest
//                   journal seen over the note's size at that moment.
// Journal/Snapshot  the whole note of 1,000 strokes written as one snapshot, as an erase,
//                   a picture change or a rewrite does.

#include "Handwriting.h"

#include "canvas/HeadlessView.h"
#include "document/CScrivaDoc.h"
#include "document/RecoveryJournal.h"
#include "platform/Archive.h"

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kNoteStrokes = 1000;
constexpr int kMoreStrokes = 3000;
constexpr int kPoints = 200;

std::unique_ptr<CLine> Word(int i)
{
    const std::vector<PenSample> samples = CursiveSamples(40 + (i % 10) * 90, 60 + (i / 10 % 28) * 45, kPoints,
                                                          CursiveStyle{30, 0.9, 3, unsigned(i + 1)});
    auto line = std::make_unique<CLine>();
    line->SetColor(RGB(20, 40, 110));
    line->SetPenType(2, 1);
    for (const PenSample& s : samples)
        line->AddPoint(s.x, s.y, SHORT(100 + s.pressure * 100));
    return line;
}

struct OpenNote {
    QTemporaryDir dir;
    RecoveryJournal journal{dir.filePath(QStringLiteral("state")), QStringLiteral("letter")};
    CScrivaDoc doc;
    HeadlessView view{doc, CRect(0, 0, 1024, 768), dir.filePath(QStringLiteral("KSTPVX.ini"))};

    OpenNote()
    {
        doc.SetJournal(&journal);
        doc.OnNewDocument();
        for (int i = 0; i < kNoteStrokes; ++i)
            doc.m_lines.Add(Word(i));
        doc.JournalNote();
    }
    qint64 NoteBytes()
    {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        CArchive ar(&buffer, CArchive::store);
        doc.Serialize(ar);
        ar.Close();
        return bytes.size();
    }
};

double Percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size())))];
}

void BM_JournalStrokes(benchmark::State& state)
{
    for (auto _ : state) {
        OpenNote note;
        std::vector<double> micros;
        micros.reserve(kMoreStrokes);
        int rewrites = 0;
        double largest = 0;
        for (int i = 0; i < kMoreStrokes; ++i) {
            note.doc.m_lines.Add(Word(kNoteStrokes + i));
            const qint64 before = QFileInfo(note.journal.Path()).size();
            const auto start = Clock::now();
            note.doc.JournalStroke();
            micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
            const qint64 after = QFileInfo(note.journal.Path()).size();
            rewrites += after < before;
            if (i % 100 == 99)
                largest = std::max(largest, double(after) / double(note.NoteBytes()));
        }
        state.counters["p50_us"] = Percentile(micros, 0.50);
        state.counters["p99_us"] = Percentile(micros, 0.99);
        state.counters["max_us"] = *std::max_element(micros.begin(), micros.end());
        state.counters["rewrites"] = rewrites;
        state.counters["journal_per_note"] = largest;
    }
}
BENCHMARK(BM_JournalStrokes)->Name("Journal/Strokes")->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_JournalSnapshot(benchmark::State& state)
{
    OpenNote note;
    for (auto _ : state)
        note.doc.JournalNote();
    state.counters["note_bytes"] = double(note.NoteBytes());
}
BENCHMARK(BM_JournalSnapshot)->Name("Journal/Snapshot")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
