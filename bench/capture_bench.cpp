// The pen capture of the view on a 1024 × 768 screen: what one tablet packet costs while the
// ink is drawn live on the window and on the page, and how long a long run of handwriting
// takes to go through the capture.
//
// Capture/<tool>/zoom:<z>  Every packet of ~200-packet strokes (pen down, moves, pen up) is
//                          timed on its own around CapturePagePacket; the time column is the
//                          mean per packet, p50_us / p99_us / max_us the distribution.
// Live/<tool>              200-packet strokes written as a pen and the screen meet them: 4
//                          packets queued (a 200 Hz pen against a 50 Hz screen), then the event
//                          loop runs, which takes the batch and paints what it drew; timed as one
//                          run, per_batch_us the mean of a batch with its paint.
// Replay/<tool>            100,000 packets of handwriting (strokes of 150–250 points with
//                          their down and up packets) queued one by one on the tablet binding
//                          and fetched by the view's packet handler, timed as one run.
// Desktop/<tool>           As Capture, in desktop mode: every packet timed around
//                          CaptureDesktopPacket, the ink drawn live on the overlay's window
//                          and back buffer over a frozen 1024 × 768 screen.
// Band                     Capture Screen's rubber band on a frozen 1920 × 1080 screen: each
//                          packet 150 ms after the last, so each one redraws the band, timed
//                          around SelectCapturePacket; drags of every size, corner to corner.

#include "Handwriting.h"

#include "canvas/CScrivaView.h"
#include "canvas/CScreenOverlay.h"
#include "platform/CommandIds.h"
#include "platform/ScreenGrab.h"
#include "platform/ScreenMetrics.h"
#include "platform/Settings.h"
#include "tablet/TabletBinding.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
constexpr DWORD kFullPressure = 1023;
constexpr DWORD kPacketInterval = 5;  // ms between packets, a 200 Hz pen
constexpr int kCaptureStrokePackets = 200;
constexpr int kReplayPackets = 100000;
constexpr LONG kAreaInset = 12;  // keeps the written loops off the edges of the area
constexpr LONG kRowGap = 24;
constexpr LONG kWordGap = 30;

using Clock = std::chrono::steady_clock;

enum class PenTool { kPencil, kBrush };

const char* ToolName(PenTool tool)
{
    return tool == PenTool::kPencil ? "pencil" : "brush";
}

// A stroke as the tablet delivers it: pen down at the first packet, pen up after the last.
struct Stroke {
    std::vector<PenPacket> packets;
    int expectedPoints = 0;  // the points the stroke keeps: repeated positions are dropped
};

struct Layout {
    std::vector<Stroke> strokes;
    std::vector<size_t> pageStarts;  // strokes that begin a fresh page
};

// Screen pixels where the pen is both over the window and over the page.
CRect WritingArea(CScrivaView& view)
{
    const CRect window = view.ScreenRect();
    const QPoint scroll = view.ScrollPosition();
    const float zoom = view.Zoom();
    CRect page;
    if (zoom < 1.0f) {
        const LONG left = window.left + view.PageMarginX() - scroll.x();
        page = CRect(left, window.top - scroll.y(), left + LONG(view.Page().PageWidth() * zoom),
                     window.top - scroll.y() + LONG(view.Page().PageHeight() * zoom));
    } else {
        page = CRect(window.left - scroll.x(), window.top - scroll.y(),
                     window.left - scroll.x() + LONG(view.Page().PageWidth() * zoom),
                     window.top - scroll.y() + LONG(view.Page().PageHeight() * zoom));
    }
    CRect area(std::max(window.left, page.left), std::max(window.top, page.top),
               std::min(window.right, page.right), std::min(window.bottom, page.bottom));
    area.InflateRect(-kAreaInset, -kAreaInset);
    return area;
}

// Writes strokes of the given point counts line by line across area; when the area is full the
// next stroke starts a fresh page at its top. pressure < 0 takes the handwriting's own pressure.
Layout LayOutStrokes(const CRect& area, const std::vector<int>& pointCounts, double pressure, unsigned seed)
{
    Layout layout;
    layout.pageStarts.push_back(0);
    LONG penX = area.left;
    LONG penY = area.top;
    LONG rowHeight = 0;
    DWORD time = 1000;
    for (size_t k = 0; k < pointCounts.size(); ++k) {
        CursiveStyle style;
        style.seed = seed + unsigned(k);
        style.size = 34 + double((seed + k) % 5) * 3;
        const std::vector<PenSample> samples = CursiveSamples(0, 0, pointCounts[k], style);
        LONG minX = samples[0].x, maxX = samples[0].x, minY = samples[0].y, maxY = samples[0].y;
        for (const PenSample& s : samples) {
            minX = std::min(minX, s.x);
            maxX = std::max(maxX, s.x);
            minY = std::min(minY, s.y);
            maxY = std::max(maxY, s.y);
        }
        const LONG w = maxX - minX;
        const LONG h = maxY - minY;
        if (penX + w > area.right) {
            penX = area.left;
            penY += rowHeight + kRowGap;
            rowHeight = 0;
        }
        if (penY + h > area.bottom) {
            penX = area.left;
            penY = area.top;
            rowHeight = 0;
            if (k != 0)
                layout.pageStarts.push_back(k);
        }
        Stroke stroke;
        stroke.packets.reserve(samples.size() + 1);
        POINT last{-1, -1};
        for (size_t i = 0; i < samples.size(); ++i) {
            const LONG x = samples[i].x - minX + penX;
            const LONG y = samples[i].y - minY + penY;
            const DWORD p = pressure >= 0 ? DWORD(pressure)
                                          : std::max<DWORD>(1, DWORD(std::lround(samples[i].pressure * kFullPressure)));
            stroke.packets.push_back({time += kPacketInterval, i == 0 ? MakeButtons(0, TBN_DOWN) : 0, x, y, p});
            if (i == 0 || x != last.x || y != last.y)
                ++stroke.expectedPoints;
            last = {x, y};
        }
        stroke.packets.push_back({time += kPacketInterval, MakeButtons(0, TBN_UP), last.x, last.y, 0});
        layout.strokes.push_back(std::move(stroke));
        penX += w + kWordGap;
        rowHeight = std::max(rowHeight, h);
        time += 300;  // the pen lifts between words
    }
    return layout;
}

void DiscardPacketEvents(CScrivaView& view)
{
    QCoreApplication::removePostedEvents(&view, WtPacketEvent::EventType());
}

// Shows the view over the whole screen with a fresh note, the tool and the zoom; paints once so
// the window surface and the page margin are in place. Returns an empty string when the view is
// ready to write on, otherwise what is wrong.
std::string PrepareView(CScrivaView& view, CScrivaDoc& document, PenTool tool, int zoomSteps)
{
    view.setGeometry(0, 0, kScreenWidth, kScreenHeight);
    view.show();
    QCoreApplication::processEvents();
    document.OnNewDocument();
    view.OnCommand(tool == PenTool::kPencil ? IDC_PENCIL : IDC_BRUSH);
    for (int i = 0; i < zoomSteps; ++i)
        view.OnZoomIn();
    QCoreApplication::processEvents();
    DiscardPacketEvents(view);

    if (!view.TabletContext() || !TabletBinding::Instance().IsOpen(view.TabletContext()))
        return "the view has no tablet context";
    if (view.PressureMax() != 511 || view.PressureDivisor() != 2)
        return "unexpected pressure axis: max " + std::to_string(view.PressureMax()) + ", divisor "
            + std::to_string(view.PressureDivisor());
    const SHORT expectedWidth = tool == PenTool::kPencil ? 160 : 204;
    if (view.PacketWidth(kFullPressure) != expectedWidth)
        return "unexpected packet width " + std::to_string(view.PacketWidth(kFullPressure));
    const CRect window = view.ScreenRect();
    if (view.WindowImage().width() != window.Width() || view.WindowImage().height() != window.Height())
        return "the window surface was not painted";
    if (view.PageMarginX() != (view.Zoom() < 1.0f ? kScreenWidth / 4 : 0))
        return "unexpected page margin " + std::to_string(view.PageMarginX());
    const CRect area = WritingArea(view);
    if (area.Width() < 300 || area.Height() < 300)
        return "writing area too small";
    return {};
}

// Writes one stroke through the tablet queue and checks that it reaches the note whole.
std::string CheckOneStroke(CScrivaView& view, CScrivaDoc& document, const Stroke& stroke)
{
    const int before = document.m_lines.GetCount();
    const CRect window = view.ScreenRect();
    const PenPacket& first = stroke.packets.front();
    const QPoint onWindow(int(first.x - window.left), int(first.y - window.top));
    const QRgb windowBefore = view.WindowImage().pixel(onWindow);
    for (const PenPacket& p : stroke.packets) {
        TabletBinding::Instance().QueuePacket(p);
        view.OnWtPacket();
    }
    DiscardPacketEvents(view);
    if (document.m_lines.GetCount() != before + 1)
        return "the stroke did not land in the note (" + std::to_string(document.m_lines.GetCount() - before)
            + " strokes added)";
    const CLine& line = *document.m_lines.GetAt(before);
    if (line.GetPointCount() != stroke.expectedPoints)
        return "the stroke has " + std::to_string(line.GetPointCount()) + " points, expected "
            + std::to_string(stroke.expectedPoints);
    const POINT page = view.ScreenToPage(first.x, first.y);
    if (line.GetPoint(0).x != page.x || line.GetPoint(0).y != page.y)
        return "the stroke starts at the wrong page point";
    if (view.Page().Surface().GetPixel(page.x, page.y) == view.Page().m_crBack)
        return "no ink on the page under the pen";
    if (view.WindowImage().pixel(onWindow) == windowBefore)
        return "no ink on the window under the pen";
    if (view.IsStroking())
        return "the stroke did not end at pen up";
    return {};
}

double Percentile(std::vector<double>& sorted, double fraction)
{
    if (sorted.empty())
        return 0;
    const size_t rank = size_t(std::ceil(fraction * double(sorted.size())));
    return sorted[std::min(sorted.size() - 1, rank == 0 ? 0 : rank - 1)];
}

// One packet per iteration, timed alone around CapturePagePacket. The packet is queued on the
// binding first (which moves the pen's cursor there) and taken off the queue again, untimed.
void BM_Capture(benchmark::State& state, PenTool tool, int zoomSteps)
{
    CScrivaDoc document;
    CScrivaView view(document);
    if (const std::string error = PrepareView(view, document, tool, zoomSteps); !error.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }
    const CRect area = WritingArea(view);
    const Layout layout = LayOutStrokes(area, std::vector<int>(400, kCaptureStrokePackets - 1), kFullPressure, 7);
    if (const std::string error = CheckOneStroke(view, document, layout.strokes[0]); !error.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }

    TabletBinding& tablet = TabletBinding::Instance();
    const HCTX context = view.TabletContext();
    PenPacket drained[TabletBinding::kMaxPacketsPerFetch];
    std::vector<double> micros;
    micros.reserve(size_t(std::min<benchmark::IterationCount>(state.max_iterations, 5'000'000)));
    size_t strokeIndex = 0;
    size_t packetIndex = 0;
    size_t nextPage = 1;
    bool freshPage = true;  // start every run on a new note
    for (auto _ : state) {
        if (packetIndex == 0 && (freshPage || strokeIndex == 0)) {
            document.OnNewDocument();
            QCoreApplication::processEvents();  // repaints the window from the clean page
            freshPage = false;
        }
        const PenPacket& p = layout.strokes[strokeIndex].packets[packetIndex];
        tablet.QueuePacket(p);
        tablet.WTPacketsGet(context, TabletBinding::kMaxPacketsPerFetch, drained);

        const Clock::time_point start = Clock::now();
        const bool taken = view.CapturePagePacket(p.time, p.buttons, p.x, p.y, p.pressure);
        const Clock::time_point end = Clock::now();
        benchmark::DoNotOptimize(taken);
        const double seconds = std::chrono::duration<double>(end - start).count();
        state.SetIterationTime(seconds);
        micros.push_back(seconds * 1e6);

        if (++packetIndex == layout.strokes[strokeIndex].packets.size()) {
            packetIndex = 0;
            strokeIndex = (strokeIndex + 1) % layout.strokes.size();
            // Between strokes, as between pen lifts: the window shows what was drawn.
            DiscardPacketEvents(view);
            QCoreApplication::processEvents();
            if (nextPage < layout.pageStarts.size() && strokeIndex == layout.pageStarts[nextPage]) {
                freshPage = true;
                ++nextPage;
            } else if (strokeIndex == 0) {
                nextPage = 1;
            }
        }
    }
    DiscardPacketEvents(view);

    std::sort(micros.begin(), micros.end());
    state.counters["p50_us"] = Percentile(micros, 0.50);
    state.counters["p99_us"] = Percentile(micros, 0.99);
    state.counters["max_us"] = micros.empty() ? 0 : micros.back();
    state.counters["zoom"] = view.Zoom();
    state.counters["strokes_per_page"] = double(layout.pageStarts.size() > 1 ? layout.pageStarts[1] : layout.strokes.size());
    state.SetItemsProcessed(state.iterations());
}

// Handwriting as a device file holds it, replayed packet by packet through the binding's queue
// and the view's packet handler (what the window's packet event runs), as one timed run.
void BM_Replay(benchmark::State& state, PenTool tool)
{
    CScrivaDoc document;
    CScrivaView view(document);
    if (const std::string error = PrepareView(view, document, tool, 0); !error.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }
    const CRect area = WritingArea(view);

    // Strokes of 150–250 points, each followed by its pen-up packet, 100,000 packets in all.
    std::mt19937 random(11);
    std::uniform_int_distribution<int> length(150, 250);
    std::vector<int> pointCounts;
    int total = 0;
    while (total < kReplayPackets) {
        int points = length(random);
        if (kReplayPackets - total - (points + 1) < 151)
            points = kReplayPackets - total - 1;  // the last stroke takes up the rest
        pointCounts.push_back(points);
        total += points + 1;
    }
    const Layout layout = LayOutStrokes(area, pointCounts, -1, 101);
    std::vector<PenPacket> packets;
    packets.reserve(size_t(kReplayPackets));
    int expectedPoints = 0;
    for (const Stroke& stroke : layout.strokes) {
        packets.insert(packets.end(), stroke.packets.begin(), stroke.packets.end());
        expectedPoints += stroke.expectedPoints;
    }

    if (const std::string error = CheckOneStroke(view, document, layout.strokes[0]); !error.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }

    TabletBinding& tablet = TabletBinding::Instance();
    double seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        document.OnNewDocument();
        QCoreApplication::processEvents();
        state.ResumeTiming();

        const Clock::time_point start = Clock::now();
        for (const PenPacket& p : packets) {
            tablet.QueuePacket(p);
            view.OnWtPacket();
            // The packet events posted for the window are spent: OnWtPacket took the packets
            // already. Dropping them at each pen-up keeps Qt's posted-event list short, as the
            // event loop would.
            if (p.buttons == MakeButtons(0, TBN_UP))
                DiscardPacketEvents(view);
        }
        seconds = std::chrono::duration<double>(Clock::now() - start).count();
    }
    DiscardPacketEvents(view);

    int points = 0;
    for (int i = 0; i < document.m_lines.GetCount(); ++i)
        points += document.m_lines.GetAt(i)->GetPointCount();
    if (document.m_lines.GetCount() != int(layout.strokes.size()) || points != expectedPoints) {
        state.SkipWithError(("replay kept " + std::to_string(document.m_lines.GetCount()) + " strokes / "
                             + std::to_string(points) + " points, expected " + std::to_string(layout.strokes.size())
                             + " / " + std::to_string(expectedPoints))
                                .c_str());
        return;
    }
    state.counters["packets"] = double(packets.size());
    state.counters["strokes"] = double(layout.strokes.size());
    state.counters["total_s"] = seconds;
    state.counters["per_packet_us"] = seconds * 1e6 / double(packets.size());
}

void BM_Live(benchmark::State& state, PenTool tool)
{
    constexpr size_t kBatch = 4;
    CScrivaDoc document;
    CScrivaView view(document);
    if (const std::string error = PrepareView(view, document, tool, 0); !error.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }
    const Layout layout = LayOutStrokes(WritingArea(view), std::vector<int>(40, kCaptureStrokePackets - 1), -1, 31);
    if (const std::string error = CheckOneStroke(view, document, layout.strokes[0]); !error.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }
    TabletBinding& tablet = TabletBinding::Instance();
    double seconds = 0;
    size_t batches = 0;
    for (auto _ : state) {
        state.PauseTiming();
        document.OnNewDocument();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        batches = 0;
        const Clock::time_point start = Clock::now();
        for (const Stroke& stroke : layout.strokes) {
            for (size_t i = 0; i < stroke.packets.size(); i += kBatch) {
                for (size_t k = i; k < std::min(i + kBatch, stroke.packets.size()); ++k)
                    tablet.QueuePacket(stroke.packets[k]);
                QCoreApplication::processEvents();
                ++batches;
            }
        }
        seconds = std::chrono::duration<double>(Clock::now() - start).count();
    }
    if (document.m_lines.GetCount() != int(layout.strokes.size())) {
        state.SkipWithError("the strokes did not all land in the note");
        return;
    }
    state.counters["batches"] = double(batches);
    state.counters["per_batch_us"] = seconds * 1e6 / double(batches);
}

// A screen of one colour: what the overlay freezes does not change what a packet costs.
class PlainScreenGrab : public IScreenGrab {
public:
    explicit PlainScreenGrab(QSize size) : m_size(size) {}
    ScreenGrabResult Grab() override
    {
        QImage image(m_size, QImage::Format_RGB32);
        image.fill(qRgb(240, 236, 228));
        return {image, QPoint(), QString()};
    }

private:
    QSize m_size;
};

void Summarise(benchmark::State& state, std::vector<double>& micros)
{
    std::sort(micros.begin(), micros.end());
    state.counters["p50_us"] = Percentile(micros, 0.50);
    state.counters["p99_us"] = Percentile(micros, 0.99);
    state.counters["max_us"] = micros.empty() ? 0 : micros.back();
    state.SetItemsProcessed(state.iterations());
}

void BM_Desktop(benchmark::State& state, PenTool tool)
{
    CScrivaDoc document;
    CScrivaView view(document);
    if (const std::string error = PrepareView(view, document, tool, 0); !error.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }
    view.SetScreenGrab(std::make_unique<PlainScreenGrab>(QSize(kScreenWidth, kScreenHeight)));
    view.SetFrameMode(FrameMode::Desktop);
    if (!view.ShowSnapshotOverlay()) {
        state.SkipWithError("the overlay did not go up");
        return;
    }
    const CRect area(kAreaInset, kAreaInset, kScreenWidth - kAreaInset, kScreenHeight - kAreaInset);
    const Layout layout = LayOutStrokes(area, std::vector<int>(400, kCaptureStrokePackets - 1), kFullPressure, 7);
    TabletBinding& tablet = TabletBinding::Instance();
    const HCTX context = view.TabletContext();
    PenPacket drained[TabletBinding::kMaxPacketsPerFetch];
    std::vector<double> micros;
    size_t strokeIndex = 0;
    size_t packetIndex = 0;
    for (auto _ : state) {
        if (packetIndex == 0 && strokeIndex == 0) {
            document.OnNewDocument();  // the overlay shows the bare frozen screen again
            QCoreApplication::processEvents();
        }
        const PenPacket& p = layout.strokes[strokeIndex].packets[packetIndex];
        tablet.QueuePacket(p);
        tablet.WTPacketsGet(context, TabletBinding::kMaxPacketsPerFetch, drained);
        const Clock::time_point start = Clock::now();
        const bool taken = view.CaptureDesktopPacket(p.time, p.buttons, p.x, p.y, p.pressure);
        const Clock::time_point end = Clock::now();
        benchmark::DoNotOptimize(taken);
        const double seconds = std::chrono::duration<double>(end - start).count();
        state.SetIterationTime(seconds);
        micros.push_back(seconds * 1e6);
        if (++packetIndex == layout.strokes[strokeIndex].packets.size()) {
            packetIndex = 0;
            strokeIndex = (strokeIndex + 1) % layout.strokes.size();
            DiscardPacketEvents(view);
            QCoreApplication::processEvents();  // the overlay shows what was drawn
        }
    }
    DiscardPacketEvents(view);
    if (state.iterations() > benchmark::IterationCount(kCaptureStrokePackets) && document.m_lines.GetCount() == 0) {
        state.SkipWithError("no stroke reached the note");
        return;
    }
    Summarise(state, micros);
}

void BM_Band(benchmark::State& state)
{
    constexpr QSize kSnapshot(1920, 1080);
    CScrivaDoc document;
    CScrivaView view(document);
    if (const std::string error = PrepareView(view, document, PenTool::kPencil, 0); !error.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }
    view.SetScreenGrab(std::make_unique<PlainScreenGrab>(kSnapshot));
    view.BeginCaptureSelection();
    if (view.ViewMode() != 2 || view.Overlay().ScreenRect() != CRect(0, 0, kSnapshot.width(), kSnapshot.height())) {
        state.SkipWithError("the selection did not begin on a 1920 x 1080 screen");
        return;
    }
    DWORD time = 1000;
    for (int i = 0; i < 10; ++i)  // the packets a selection passes over
        view.SelectCapturePacket(time += 5, 0, 0, 0, 0);
    view.SelectCapturePacket(time, MakeButtons(0, TBN_DOWN), 10, 10, kFullPressure);
    // The pen goes to the far corner and back in 64 steps each way: bands of every size.
    constexpr int kSteps = 64;
    std::vector<double> micros;
    int step = 0;
    for (auto _ : state) {
        const int along = step < kSteps ? step + 1 : 2 * kSteps - step - 1;
        step = (step + 1) % (2 * kSteps);
        const LONG x = 10 + LONG(along) * (kSnapshot.width() - 20) / kSteps;
        const LONG y = 10 + LONG(along) * (kSnapshot.height() - 20) / kSteps;
        const Clock::time_point start = Clock::now();
        const BYTE drawn = view.SelectCapturePacket(time += 150, 0, x, y, kFullPressure);
        const Clock::time_point end = Clock::now();
        if (drawn != 1) {
            state.SkipWithError("a packet did not redraw the band");
            return;
        }
        const double seconds = std::chrono::duration<double>(end - start).count();
        state.SetIterationTime(seconds);
        micros.push_back(seconds * 1e6);
        QCoreApplication::processEvents();  // the overlay shows the band before the next packet
    }
    view.CloseOverlay();
    Summarise(state, micros);
}

void RegisterBenchmarks()
{
    const char* zoomNames[] = {"0.5", "1", "2", "4"};
    for (PenTool tool : {PenTool::kPencil, PenTool::kBrush})
        for (int steps = 0; steps < 4; ++steps)
            benchmark::RegisterBenchmark(
                (std::string("Capture/") + ToolName(tool) + "/zoom:" + zoomNames[steps]).c_str(),
                [tool, steps](benchmark::State& state) { BM_Capture(state, tool, steps); })
                ->UseManualTime()
                ->Unit(benchmark::kMicrosecond);
    for (PenTool tool : {PenTool::kPencil, PenTool::kBrush})
        benchmark::RegisterBenchmark((std::string("Live/") + ToolName(tool)).c_str(),
                                     [tool](benchmark::State& state) { BM_Live(state, tool); })
            ->Iterations(3)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
    for (PenTool tool : {PenTool::kPencil, PenTool::kBrush})
        benchmark::RegisterBenchmark((std::string("Desktop/") + ToolName(tool)).c_str(),
                                     [tool](benchmark::State& state) { BM_Desktop(state, tool); })
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("Band", BM_Band)->UseManualTime()->Unit(benchmark::kMicrosecond);
    for (PenTool tool : {PenTool::kPencil, PenTool::kBrush})
        benchmark::RegisterBenchmark((std::string("Replay/") + ToolName(tool)).c_str(),
                                     [tool](benchmark::State& state) { BM_Replay(state, tool); })
            ->Iterations(1)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir settings;
    OverrideSettingsFolder(settings.path());
    ScreenMetrics::SetFixedScreen(QSize(kScreenWidth, kScreenHeight));
    // The mouse stands in for a pen, so the binding loads and the view opens a context with
    // the 1023-level pressure axis.
    TabletBinding::Instance().SetMousePen(true);
    TabletBinding::Instance().LoadTabletInterface(true);

    RegisterBenchmarks();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
