// Note files through the document, as File Save and File Open handle them: a note of 5,000
// handwritten strokes of 200 points saved to a real file and opened again with a window-less
// view of a 1024 × 768 screen. Opening renders the whole page; the load alone and the render
// alone are timed too, to show where an open spends its time.
//
//   document_bench --write-note PATH STROKES POINTS
// writes such a note (STROKES words of POINTS samples) and exits, for timing the whole
// inkleaf-tool process on it;
//   document_bench --write-brush-note PATH STROKES POINTS
// writes brush strokes instead, their widths following the pen's pressure up to 255, on the
// 1920 × 2560 page of a 1920 × 1080 screen.

#include "Handwriting.h"
#include "canvas/CanvasPage.h"
#include "canvas/HeadlessView.h"
#include "document/CScrivaDoc.h"
#include "ink/InkRenderer.h"
#include "pictures/PngWriter.h"
#include "platform/DrawingSurface.h"
#include "tools/PageSettingsView.h"

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace {

const CRect kScreen(0, 0, 1024, 768);  // a new page of 1024 × 1365
constexpr WORD kPencil = 2;
constexpr WORD kBrush = 3;
constexpr SHORT kPencilWidth = 160;
constexpr COLORREF kInk = RGB(20, 40, 110);

constexpr int kNoteStrokes = 5000;
constexpr int kNotePoints = 200;

// How the words are written: the page they go on, the pen, and the size of the writing.
struct Writing {
    CRect screen;            // the page is a new page of this screen
    WORD penType;            // 2 pencil, 3 brush
    SHORT maxWidth;          // width at full pressure
    bool widthFromPressure;  // false: every point has maxWidth
    double letterSize;       // loop height, pixels
    LONG rowPitch;           // from one writing line to the next, pixels
};

// Pencil handwriting on a 1024 × 1365 page: loops 30 px high, two rows to each 90 px ruled line.
constexpr Writing kPencilWriting{kScreen, kPencil, kPencilWidth, false, 30, 45};
// Brush strokes on a 1920 × 2560 page, as wide as the pen presses, up to 255.
constexpr Writing kBrushWriting{CRect(0, 0, 1920, 1080), kBrush, 255, true, 40, 60};

// Words 25 px apart with margins of 40 px.
constexpr LONG kWordGap = 25;
constexpr LONG kMargin = 40;

// Words written left to right and down the page, one stroke a word. When the page is full the
// writing goes on from the top again, as a long note's pages would if drawn on one sheet.
void WriteWords(CLines& lines, int words, int pointsEach, const Writing& writing)
{
    const CRect page = CanvasPage::NewPageRect(writing.screen);
    const LONG rowsPerPage =
        std::max<LONG>(1, (page.Height() - 2 * kMargin - LONG(writing.letterSize)) / writing.rowPitch + 1);
    LONG x = kMargin;
    LONG row = 0;
    for (int i = 0; i < words; ++i) {
        const std::vector<PenSample> samples =
            CursiveSamples(0, 0, pointsEach, CursiveStyle{writing.letterSize, 0.9, 3, unsigned(i + 1)});
        const auto byX = [](const PenSample& a, const PenSample& b) { return a.x < b.x; };
        const auto [left, right] = std::minmax_element(samples.begin(), samples.end(), byX);
        const LONG width = right->x - left->x;
        if (x + width > page.Width() - kMargin && x > kMargin) {
            x = kMargin;
            ++row;
        }
        const LONG dx = x - left->x;
        const LONG dy = kMargin + (row % rowsPerPage) * writing.rowPitch;
        auto line = std::make_unique<CLine>();
        line->SetColor(kInk);
        line->SetPenType(writing.penType, 1);
        for (const PenSample& s : samples) {
            const SHORT w =
                writing.widthFromPressure ? SHORT(std::lround(s.pressure * writing.maxWidth)) : writing.maxWidth;
            line->AddPoint(s.x + dx, s.y + dy, w);
        }
        lines.Add(std::move(line));
        x += width + kWordGap;
    }
}

// A folder for the note and a settings file that does not exist, so every setting reads as
// its default.
struct Workspace {
    QTemporaryDir dir;
    QString Settings() const { return dir.filePath(QStringLiteral("KSTPVX.ini")); }
    QString Note() const { return dir.filePath(QStringLiteral("handwriting.Ilf")); }
};

// Writes the note of the given size at path through the document; false when it failed.
bool WriteNote(const QString& path, const QString& settings, int strokes, int points,
               const Writing& writing = kPencilWriting)
{
    CScrivaDoc doc;
    HeadlessView view(doc, writing.screen, settings);
    WriteWords(doc.m_lines, strokes, points, writing);
    return doc.OnSaveDocument(path);
}

void BM_SaveNote(benchmark::State& state)
{
    Workspace work;
    CScrivaDoc doc;
    HeadlessView view(doc, kScreen, work.Settings());
    WriteWords(doc.m_lines, kNoteStrokes, kNotePoints, kPencilWriting);
    for (auto _ : state) {
        if (!doc.OnSaveDocument(work.Note())) {
            state.SkipWithError("the note was not saved");
            break;
        }
    }
    state.counters["file_MB"] = double(QFileInfo(work.Note()).size()) / 1e6;
}

// File Open into the document and view already there, as the program opens one note after
// another: load, then the whole page rendered with its ink.
void BM_OpenNote(benchmark::State& state)
{
    Workspace work;
    if (!WriteNote(work.Note(), work.Settings(), kNoteStrokes, kNotePoints)) {
        state.SkipWithError("the note was not written");
        return;
    }
    CScrivaDoc doc;
    HeadlessView view(doc, kScreen, work.Settings());
    for (auto _ : state) {
        if (!doc.OnOpenDocument(work.Note())) {
            state.SkipWithError("the note did not open");
            break;
        }
    }
    if (doc.m_lines.GetCount() != kNoteStrokes)
        state.SkipWithError("the note did not load whole");
}

// The same open with a view that keeps the page settings and renders nothing: the load alone.
void BM_LoadNote(benchmark::State& state)
{
    Workspace work;
    if (!WriteNote(work.Note(), work.Settings(), kNoteStrokes, kNotePoints)) {
        state.SkipWithError("the note was not written");
        return;
    }
    CScrivaDoc doc;
    PageSettingsView view;
    doc.SetView(&view);
    for (auto _ : state) {
        if (!doc.OnOpenDocument(work.Note())) {
            state.SkipWithError("the note did not open");
            break;
        }
    }
    if (doc.m_lines.GetCount() != kNoteStrokes)
        state.SkipWithError("the note did not load whole");
}

// The render an open ends with: background, ruled lines and every stroke on the whole page.
void BM_RenderPage(benchmark::State& state)
{
    Workspace work;
    CScrivaDoc doc;
    HeadlessView view(doc, kScreen, work.Settings());
    WriteWords(doc.m_lines, kNoteStrokes, kNotePoints, kPencilWriting);
    for (auto _ : state) {
        view.DrawRuledLines(true);
        benchmark::ClobberMemory();
    }
}

// The page of the 1,000 brush strokes, drawn as opening their note draws it.
QImage DrawnBrushPage()
{
    Workspace work;
    CScrivaDoc doc;
    HeadlessView view(doc, kBrushWriting.screen, work.Settings());
    WriteWords(doc.m_lines, 1000, kNotePoints, kBrushWriting);
    view.DrawRuledLines(true);
    return view.Page().Surface().Bitmap().copy();
}

// The 1,000 brush strokes' page written as PNG at a writer quality (Qt's PNG writer turns it
// into a zlib level, 9 at 0 down to 0 at 90 and above): the time against the file's size.
void BM_WritePagePng(benchmark::State& state)
{
    const QImage page = DrawnBrushPage();
    QByteArray bytes;
    for (auto _ : state) {
        bytes.clear();
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "png");
        writer.setQuality(int(state.range(0)));
        if (!writer.write(page)) {
            state.SkipWithError("the picture was not written");
            break;
        }
    }
    state.counters["quality"] = double(state.range(0));
    state.counters["file_MB"] = double(bytes.size()) / 1e6;
}

// CPU time of the whole process so far, every thread, milliseconds.
double ProcessCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The same page through the program's own PNG writer, in strips on every core: each row
// filter (0 None, 1 Sub, 2 Up) with zlib looking for runs only (0) or for earlier strings too
// (1), at zlib level 1: the time against the file's size.
void BM_WritePagePngStrips(benchmark::State& state)
{
    const QImage page = DrawnBrushPage();
    QByteArray bytes;
    const double cpuBefore = ProcessCpuMs();
    for (auto _ : state) {
        bytes.clear();
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        PngWriter writer(page);
        writer.SetRowFilter(PngWriter::RowFilter(state.range(0)));
        writer.SetMatching(state.range(1) == 0 ? PngWriter::Matching::Runs : PngWriter::Matching::Strings);
        if (!writer.Write(buffer)) {
            state.SkipWithError("the picture was not written");
            break;
        }
    }
    // The CPU time of every thread, against the real time above.
    state.counters["all_cpu_ms"] = (ProcessCpuMs() - cpuBefore) / double(std::max<int64_t>(1, state.iterations()));
    state.counters["filter"] = double(state.range(0));
    state.counters["strings"] = double(state.range(1));
    state.counters["file_MB"] = double(bytes.size()) / 1e6;
}

// The page of 1,000 brush strokes of 200 points (1920 × 2560) drawn with its content in the
// given number of bands: 1 on one thread, 2 on two.
void BM_DrawBrushPage(benchmark::State& state)
{
    Workspace work;
    CScrivaDoc doc;
    HeadlessView view(doc, kBrushWriting.screen, work.Settings());
    WriteWords(doc.m_lines, 1000, kNotePoints, kBrushWriting);
    for (auto _ : state) {
        view.Page().DrawRuledLines(true, int(state.range(0)));
        benchmark::ClobberMemory();
    }
    state.counters["bands"] = double(state.range(0));
    // The nibs one pass stamps, counted on a page of its own: the time per stamp follows.
    DrawingSurface counted(DrawingSurface::CreateBitmap(view.Page().PageRect().Width(),
                                                        view.Page().PageRect().Height()));
    InkRenderer renderer;
    doc.m_lines.DrawAll(&counted, renderer);
    state.counters["stamps"] = double(renderer.SamplesStamped());
    state.counters["ns_per_stamp"] = benchmark::Counter(double(renderer.SamplesStamped()) * 1e-9,
                                                        benchmark::Counter::kIsIterationInvariantRate
                                                            | benchmark::Counter::kInvert);
}

int WriteNoteCommand(int argc, char** argv)
{
    const int strokes = argc == 5 ? std::atoi(argv[3]) : 0;
    const int points = argc == 5 ? std::atoi(argv[4]) : 0;
    if (strokes <= 0 || points <= 0) {
        std::fputs("usage: document_bench --write-note|--write-brush-note PATH STROKES POINTS\n", stderr);
        return 2;
    }
    const Writing& writing = std::strcmp(argv[1], "--write-brush-note") == 0 ? kBrushWriting : kPencilWriting;
    QTemporaryDir settings;
    const QString path = QString::fromLocal8Bit(argv[2]);
    return WriteNote(path, settings.filePath(QStringLiteral("KSTPVX.ini")), strokes, points, writing) ? 0 : 1;
}

}  // namespace

BENCHMARK(BM_SaveNote)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_OpenNote)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_LoadNote)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_WritePagePng)->Arg(0)->Arg(70)->Arg(85)->Arg(90)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1);
BENCHMARK(BM_WritePagePngStrips)
    ->ArgsProduct({{0, 1, 2}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(1);
BENCHMARK(BM_DrawBrushPage)->Arg(1)->Arg(2)->Arg(4)->Arg(8)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_RenderPage)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);

int main(int argc, char** argv)
{
    if (argc > 1 && (std::strcmp(argv[1], "--write-note") == 0 || std::strcmp(argv[1], "--write-brush-note") == 0))
        return WriteNoteCommand(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
