// Speed and memory of the ink model: a full page redrawn, live drawing segment by segment,
// lasso erasing on a crowded page, and note files stored and loaded.
//
// Every stroke is written with handwriting-like pen samples (cursive loops about 3 px apart)
// by a tablet whose pressure axis ends at 511, as the common 512-level tablets report it.
// Times are wall-clock; the counters carry their unit in their name.

#include "Handwriting.h"
#include "ink/CLine.h"
#include "ink/CLines.h"
#include "ink/InkRenderer.h"
#include "ink/PressureAxis.h"
#include "platform/Archive.h"
#include "platform/DrawingSurface.h"

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QByteArray>

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr LONG kPageWidth = 1920;
constexpr LONG kPageHeight = 2560;
constexpr LONG kPressureMax = 511;
constexpr WORD kEraser = 1;
constexpr WORD kPencil = 2;
constexpr SHORT kPencilWidth = 160;
constexpr COLORREF kInk = RGB(20, 40, 110);
constexpr COLORREF kWhite = RGB(255, 255, 255);

double NanosecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::nano>(Clock::now() - start).count();
}

// The tablet the strokes are written with.
class Tablet512 : public IPressureAxisSource {
public:
    LONG PressureAxisMaximum() const override { return kPressureMax; }
};

// How handwriting is laid out on the page.
struct Layout {
    double letterSize;  // loop height, pixels
    LONG rowPitch;      // from one writing line to the next
    LONG wordGap;
    LONG margin;
};

// Words of handwriting written left to right and down the page, one stroke a word. When the
// page is full the writing goes on from the top again, as a long note's pages would if they
// were all drawn on one sheet.
std::vector<std::vector<PenSample>> WriteWords(int words, int pointsEach, const Layout& layout)
{
    const LONG rowsPerPage =
        std::max<LONG>(1, (kPageHeight - 2 * layout.margin - LONG(layout.letterSize)) / layout.rowPitch + 1);
    std::vector<std::vector<PenSample>> result;
    result.reserve(size_t(words));
    LONG x = layout.margin;
    LONG row = 0;
    for (int i = 0; i < words; ++i) {
        std::vector<PenSample> samples =
            CursiveSamples(0, 0, pointsEach, CursiveStyle{layout.letterSize, 0.9, 3, unsigned(i + 1)});
        LONG minX = samples.front().x;
        LONG maxX = minX;
        for (const PenSample& s : samples) {
            minX = std::min(minX, s.x);
            maxX = std::max(maxX, s.x);
        }
        const LONG width = maxX - minX;
        if (x + width > kPageWidth - layout.margin && x > layout.margin) {
            x = layout.margin;
            ++row;
        }
        const LONG dx = x - minX;
        const LONG dy = layout.margin + (row % rowsPerPage) * layout.rowPitch;
        for (PenSample& s : samples) {
            s.x += dx;
            s.y += dy;
        }
        result.push_back(std::move(samples));
        x += width + layout.wordGap;
    }
    return result;
}

std::unique_ptr<CLine> Stroke(WORD penType, const std::vector<PenSample>& samples, SHORT width)
{
    auto line = std::make_unique<CLine>();
    line->SetColor(kInk);
    line->SetPenType(penType, 1);
    for (const PenSample& s : samples)
        line->AddPoint(s.x, s.y, width, DWORD(std::lround(s.pressure * kPressureMax)), 0);
    return line;
}

// Curves and samples a renderer has drawn so far.
struct RendererTotals {
    long long curves = 0;
    long long samples = 0;
};

RendererTotals Totals(const InkRenderer& renderer)
{
    return {renderer.CurvesDrawn(), renderer.SamplesStamped()};
}

double Percentile(std::vector<double>& values, double fraction)
{
    if (values.empty())
        return 0;
    const size_t k = std::min(values.size() - 1, size_t(fraction * double(values.size())));
    std::nth_element(values.begin(), values.begin() + std::ptrdiff_t(k), values.end());
    return values[k];
}

// Heap bytes in use, chunk overhead included; large blocks are mapped separately.
size_t HeapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// ---------------------------------------------------------------------------------------------
// A full page of pencil handwriting redrawn: 1,000 words of 200 points, about 9 words a line.

constexpr int kDrawStrokes = 1000;
constexpr int kDrawPoints = 200;
constexpr Layout kDrawLayout{20, 22, 20, 40};

void BM_DrawAll(benchmark::State& state)
{
    CLines lines;
    for (const std::vector<PenSample>& word : WriteWords(kDrawStrokes, kDrawPoints, kDrawLayout))
        lines.Add(Stroke(kPencil, word, kPencilWidth));
    if (lines.GetAt(0)->GetPressureMax() != kPressureMax) {
        state.SkipWithError("strokes do not see the tablet's pressure axis");
        return;
    }
    DrawingSurface page(DrawingSurface::CreateBitmap(kPageWidth, kPageHeight));
    const CRect whole(0, 0, kPageWidth, kPageHeight);
    double drawNs = 0;
    InkRenderer renderer;  // shared by every pass, so that it counts all the work
    for (auto _ : state) {
        state.PauseTiming();
        page.FillSolidRect(whole, kWhite);
        state.ResumeTiming();
        const Clock::time_point start = Clock::now();
        lines.DrawAll(&page, renderer);
        drawNs += NanosecondsSince(start);
        benchmark::DoNotOptimize(page);
        benchmark::ClobberMemory();
    }

    // The share of the page the ink covers, to show the page really is written on.
    long long inked = 0;
    for (LONG y = 0; y < kPageHeight; ++y)
        for (LONG x = 0; x < kPageWidth; ++x)
            inked += page.GetPixel(x, y) != kWhite;

    const double iterations = double(state.iterations());
    const double points = double(kDrawStrokes) * kDrawPoints;
    const RendererTotals all = Totals(renderer);
    const RendererTotals tally{all.curves / state.iterations(), all.samples / state.iterations()};
    state.counters["ns_per_point"] = drawNs / (iterations * points);
    state.counters["ns_per_curve"] = drawNs / (iterations * double(tally.curves));
    state.counters["ns_per_sample"] = drawNs / (iterations * double(tally.samples));
    state.counters["curves"] = double(tally.curves);
    state.counters["samples"] = double(tally.samples);
    state.counters["ink_pct"] = 100.0 * double(inked) / (double(kPageWidth) * kPageHeight);
}

// ---------------------------------------------------------------------------------------------
// Live drawing: each call of DrawSegment while the pen moves (Segment::Middle), timed one by one over
// long handwriting strokes, on a surface of the page's size times the zoom.

constexpr int kLivePoints = 1200;  // about 28 loops, 520 px of writing
constexpr LONG kLiveRowPitch = 64;

void BM_DrawSegment(benchmark::State& state)
{
    const SHORT width = SHORT(state.range(0));
    const float zoom = float(state.range(1)) / 100.0f;
    DrawingSurface page(DrawingSurface::CreateBitmap(int(kPageWidth * zoom), int(kPageHeight * zoom)));
    page.FillSolidRect(CRect(0, 0, page.DeviceWidth(), page.DeviceHeight()), kWhite);

    // One stroke a writing line, so each pass writes on fresh paper.
    std::vector<std::vector<PenSample>> strokes;
    for (LONG y = 40; y + kLiveRowPitch < kPageHeight; y += kLiveRowPitch)
        strokes.push_back(CursiveSamples(60, y, kLivePoints, CursiveStyle{40, 0.45, 3, unsigned(y)}));

    std::vector<double> callNs;   // every Middle call
    std::vector<double> curveNs;  // the calls that drew a curve
    size_t next = 0;
    for (auto _ : state) {
        const std::vector<PenSample>& s = strokes[next++ % strokes.size()];
        InkRenderer renderer;  // a new stroke's
        renderer.DrawSegment(&page, 0, 0, s[0].x, s[0].y, width, kInk, InkRenderer::Segment::First, kPressureMax,
                             zoom);
        for (size_t i = 1; i + 1 < s.size(); ++i) {
            const DWORD curvesBefore = renderer.CurvesDrawn();
            const Clock::time_point start = Clock::now();
            renderer.DrawSegment(&page, s[i - 1].x, s[i - 1].y, s[i].x, s[i].y, width, kInk,
                                 InkRenderer::Segment::Middle, kPressureMax, zoom);
            const double ns = NanosecondsSince(start);
            callNs.push_back(ns);
            // Only every other call completes a curve; the others just keep a point.
            if (renderer.CurvesDrawn() != curvesBefore)
                curveNs.push_back(ns);
        }
        const size_t last = s.size() - 1;
        renderer.DrawSegment(&page, s[last - 1].x, s[last - 1].y, s[last].x, s[last].y, width, kInk,
                             InkRenderer::Segment::Last, kPressureMax, zoom);
        benchmark::DoNotOptimize(page);
        benchmark::ClobberMemory();
    }

    double total = 0;
    for (double ns : callNs)
        total += ns;
    state.counters["calls"] = double(callNs.size());
    state.counters["mean_us"] = total / double(std::max<size_t>(1, callNs.size())) / 1000;
    state.counters["p50_us"] = Percentile(callNs, 0.50) / 1000;
    state.counters["p99_us"] = Percentile(callNs, 0.99) / 1000;
    state.counters["max_us"] = Percentile(callNs, 1.0) / 1000;
    state.counters["curve_calls"] = double(curveNs.size());
    state.counters["curve_p50_us"] = Percentile(curveNs, 0.50) / 1000;
    state.counters["curve_p99_us"] = Percentile(curveNs, 0.99) / 1000;
}

// ---------------------------------------------------------------------------------------------
// Lasso erasing on a crowded page: 10,000 short strokes in a 100 × 100 grid, and an eraser
// loop round the middle of the page that takes about 50 of them (51 with these seeds).

constexpr int kGrid = 100;
constexpr int kEraseStrokes = kGrid * kGrid;
constexpr int kErasePoints = 10;
constexpr double kLassoRadius = 82;

std::vector<CLine> CrowdedPage()
{
    std::vector<CLine> page;
    page.reserve(kEraseStrokes);
    for (int row = 0; row < kGrid; ++row) {
        for (int column = 0; column < kGrid; ++column) {
            const double x = 4 + column * double(kPageWidth) / kGrid;
            const double y = 4 + row * double(kPageHeight) / kGrid;
            const unsigned seed = unsigned(row * kGrid + column + 1);
            page.push_back(*Stroke(kPencil, CursiveSamples(x, y, kErasePoints, CursiveStyle{12, 0.9, 3, seed}),
                                   kPencilWidth));
        }
    }
    return page;
}

// A closed loop sampled every 3 px or so, its first point repeated at the end.
CLine LassoLoop(double cx, double cy, double radius)
{
    const int n = int(std::ceil(2 * 3.14159265358979 * radius / 3));
    std::vector<PenSample> loop;
    for (int i = 0; i < n; ++i) {
        const double a = 2 * 3.14159265358979 * i / n;
        loop.push_back({LONG(std::lround(cx + radius * std::cos(a))), LONG(std::lround(cy + radius * std::sin(a))), 0.8});
    }
    loop.push_back(loop.front());
    return *Stroke(kEraser, loop, kPencilWidth);
}

void BM_EraseByLasso(benchmark::State& state)
{
    const std::vector<CLine> page = CrowdedPage();
    const CLine eraser = LassoLoop(kPageWidth / 2.0, kPageHeight / 2.0, kLassoRadius);

    // Strokes whose bounds reach the lasso's: the ones that get the full ink test.
    CRect lassoArea = eraser.GetBounds();
    lassoArea.InflateRect(5, 5);
    int candidates = 0;
    for (const CLine& line : page) {
        CRect grown = line.GetBounds();
        grown.InflateRect(5, 5);
        CRect common;
        candidates += common.IntersectRect(grown, lassoArea) ? 1 : 0;
    }

    CLines lines;
    int erased = 0;
    for (auto _ : state) {
        state.PauseTiming();
        lines.RemoveAll();
        for (const CLine& line : page)
            lines.Add(std::make_unique<CLine>(line));
        lines.Add(std::make_unique<CLine>(eraser));
        state.ResumeTiming();

        const CRect repaint = lines.EraseByLasso();
        benchmark::DoNotOptimize(repaint);

        state.PauseTiming();
        erased = kEraseStrokes - lines.GetCount();
        if (erased < 30 || erased > 80) {
            state.SkipWithError(("the lasso took " + std::to_string(erased) + " strokes, not about 50").c_str());
            break;
        }
        state.ResumeTiming();
    }
    lines.RemoveAll();
    state.counters["erased"] = erased;
    state.counters["candidates"] = candidates;
}

// ---------------------------------------------------------------------------------------------
// Note files: 5,000 strokes of 200 points stored into and loaded from memory.

constexpr int kFileStrokes = 5000;
constexpr int kFilePoints = 200;
constexpr Layout kFileLayout{20, 22, 20, 40};

void WriteNote(CLines& lines)
{
    for (const std::vector<PenSample>& word : WriteWords(kFileStrokes, kFilePoints, kFileLayout))
        lines.Add(Stroke(kPencil, word, kPencilWidth));
}

QByteArray Store(CLines& lines)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    CArchive ar(&buffer, CArchive::store);
    lines.Serialize(ar);
    ar.Close();
    return bytes;
}

void Load(const QByteArray& bytes, CLines& lines)
{
    QBuffer buffer;
    buffer.setData(bytes);  // shares the bytes
    buffer.open(QIODevice::ReadOnly);
    CArchive ar(&buffer, CArchive::load);
    lines.Serialize(ar);
}

void BM_SerializeStore(benchmark::State& state)
{
    CLines lines;
    WriteNote(lines);
    qsizetype size = 0;
    for (auto _ : state) {
        QByteArray bytes = Store(lines);
        size = bytes.size();
        benchmark::DoNotOptimize(bytes.constData());
    }
    state.SetBytesProcessed(state.iterations() * int64_t(size));
    state.counters["file_MB"] = double(size) / 1e6;
}

void BM_SerializeLoad(benchmark::State& state)
{
    QByteArray bytes;
    {
        CLines lines;
        WriteNote(lines);
        bytes = Store(lines);
    }
    auto lines = std::make_unique<CLines>();
    for (auto _ : state) {
        state.PauseTiming();
        lines = std::make_unique<CLines>();
        state.ResumeTiming();
        Load(bytes, *lines);
        benchmark::DoNotOptimize(lines->GetCount());
    }
    if (lines->GetCount() != kFileStrokes)
        state.SkipWithError("the note did not load whole");
    state.SetBytesProcessed(state.iterations() * int64_t(bytes.size()));
}

// Heap held by a loaded note, per stored point: the points themselves plus each stroke's
// object and the list's bookkeeping.
void BM_MemoryPerPoint(benchmark::State& state)
{
    QByteArray bytes;
    {
        CLines lines;
        WriteNote(lines);
        bytes = Store(lines);
    }
    double perPoint = 0;
    double perStroke = 0;
    for (auto _ : state) {
        auto lines = std::make_unique<CLines>();
        const size_t before = HeapInUse();
        Load(bytes, *lines);
        const size_t held = HeapInUse() - before;
        benchmark::DoNotOptimize(lines->GetCount());
        perPoint = double(held) / (double(kFileStrokes) * kFilePoints);
        perStroke = double(held) / kFileStrokes;
        state.PauseTiming();
        lines.reset();
        state.ResumeTiming();
    }
    state.counters["bytes_per_point"] = perPoint;
    state.counters["bytes_per_stroke"] = perStroke;
    state.counters["sizeof_CLine"] = double(sizeof(CLine));
}

// Heap held by a loaded note of 100,000 strokes, split into what each stroke costs besides its
// points and what each point costs: the same strokes are loaded once with 10 points each and
// once with 40, and the difference is the 30 extra points of every stroke.
constexpr int kManyStrokes = 100000;
constexpr int kFewPoints = 10;
constexpr int kMorePoints = 40;
constexpr Layout kManyLayout{20, 22, 20, 40};

size_t HeapHeldByNote(const QByteArray& bytes)
{
    CLines lines;
    const size_t before = HeapInUse();
    Load(bytes, lines);
    const size_t held = HeapInUse() - before;
    if (lines.GetCount() != kManyStrokes)
        return 0;
    return held;
}

QByteArray ManyStrokes(int pointsEach)
{
    CLines lines;
    for (const std::vector<PenSample>& word : WriteWords(kManyStrokes, pointsEach, kManyLayout))
        lines.Add(Stroke(kPencil, word, kPencilWidth));
    return Store(lines);
}

void BM_MemoryPerStroke(benchmark::State& state)
{
    const QByteArray few = ManyStrokes(kFewPoints);
    const QByteArray more = ManyStrokes(kMorePoints);
    size_t heldFew = 0;
    size_t heldMore = 0;
    for (auto _ : state) {
        heldFew = HeapHeldByNote(few);
        heldMore = HeapHeldByNote(more);
    }
    if (heldFew == 0 || heldMore <= heldFew) {
        state.SkipWithError("the notes did not load whole");
        return;
    }
    const double perPoint = double(heldMore - heldFew) / (double(kManyStrokes) * (kMorePoints - kFewPoints));
    const double perStroke = double(heldFew) / kManyStrokes - kFewPoints * perPoint;
    state.counters["bytes_per_point"] = perPoint;
    state.counters["bytes_per_stroke_besides_points"] = perStroke;
    state.counters["note_MB_at_40_points"] = double(heldMore) / 1e6;
}

}  // namespace

BENCHMARK(BM_DrawAll)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_DrawSegment)
    ->ArgNames({"width", "zoom_pct"})
    ->ArgsProduct({{kPencilWidth, 255}, {50, 100, 200, 400}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(12);
BENCHMARK(BM_EraseByLasso)->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK(BM_SerializeStore)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_SerializeLoad)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_MemoryPerPoint)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_MemoryPerStroke)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv)
{
    // Every CLine made from here on reads its pressure range from this tablet.
    static const Tablet512 tablet;
    SetPressureAxisSource(&tablet);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
