// Inking mode on a 1920 × 1080 screen with a full screen of handwriting written over it: 300
// strokes of cursive (pencil, width step 2), about 150 points each, in rows over the screen.
//
// Inking              From pressing Inking to the moment the paste keystroke would go out:
//                     the overlay goes, the bitmap of all the ink is drawn on white and offered
//                     on the clipboard. Run offscreen, where no program can be typed into, so the
//                     inserter stops exactly where it would send Ctrl+V (the ink waits on the
//                     clipboard). Not timed: finding the window and waiting for it to take the
//                     keyboard, which the X server and the target decide.
// Render/<format>     What the target's first request then costs: the offered picture made in
//                     one format (PNG, BMP, HTML with the PNG inline).

#include "Handwriting.h"

#include "canvas/CScrivaView.h"
#include "inking/ClipboardInkOffer.h"
#include "inking/InkInserter.h"
#include "platform/ScreenMetrics.h"
#include "platform/Settings.h"
#include "tablet/TabletBinding.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace {

constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;
constexpr int kStrokes = 300;
constexpr int kPointsPerStroke = 150;
constexpr int kRows = 15;
constexpr SHORT kPencilWidth = 2;

// 20 strokes a row, 15 rows, from the top-left corner to the bottom-right one.
std::vector<CLine> Handwriting()
{
    std::vector<CLine> lines;
    const int perRow = kStrokes / kRows;
    const double rowHeight = double(kScreenHeight) / kRows;
    const double strokeWidth = double(kScreenWidth) / perRow;
    for (int i = 0; i < kStrokes; ++i) {
        CursiveStyle style;
        style.size = rowHeight * 0.6;
        style.spacing = strokeWidth / kPointsPerStroke * 2.2;
        style.seed = unsigned(i + 1);
        const double x = (i % perRow) * strokeWidth + 4;
        const double y = (i / perRow) * rowHeight + rowHeight / 2;
        CLine line;
        line.SetColor(RGB(0, 0, 128));
        line.SetPenType(CScrivaView::kPencil, 0);
        for (const PenSample& sample : CursiveSamples(x, y, kPointsPerStroke, style))
            line.AddPoint(std::clamp<LONG>(sample.x, 0, kScreenWidth - 1), std::clamp<LONG>(sample.y, 0, kScreenHeight - 1),
                          kPencilWidth);
        lines.push_back(std::move(line));
    }
    return lines;
}

void Write(CScrivaDoc& document, const std::vector<CLine>& lines)
{
    for (const CLine& line : lines)
        document.m_lines.Add(std::make_unique<CLine>(line));
}

void BM_Inking(benchmark::State& state)
{
    CScrivaDoc document;
    CScrivaView view(document);
    view.SetFrameMode(FrameMode::Inking);
    view.SetInkInserter(std::make_unique<InkInserter>());
    const std::vector<CLine> lines = Handwriting();
    Write(document, lines);
    const CRect ink = document.m_lines.GetBounds();
    document.m_lines.RemoveAll();
    for (auto _ : state) {
        state.PauseTiming();
        Write(document, lines);
        state.ResumeTiming();
        view.OnInking();
        state.PauseTiming();
        if (document.m_lines.GetCount() != 0)
            state.SkipWithError("the ink was not handed over");
        state.ResumeTiming();
    }
    state.counters["strokes"] = kStrokes;
    state.counters["ink_width"] = ink.Width();
    state.counters["ink_height"] = ink.Height();
}

void BM_Render(benchmark::State& state, QString format)
{
    CScrivaDoc document;
    CScrivaView view(document);
    view.SetFrameMode(FrameMode::Inking);
    view.SetInkInserter(std::make_unique<InkInserter>());
    Write(document, Handwriting());
    view.OnInking();
    auto* offer = qobject_cast<ClipboardInkOffer*>(const_cast<QMimeData*>(QGuiApplication::clipboard()->mimeData()));
    if (!offer) {
        state.SkipWithError("no ink on the clipboard");
        return;
    }
    qint64 bytes = 0;
    for (auto _ : state) {
        view.OnRenderFormat(format);
        if (!offer->IsProvided(format))
            state.SkipWithError("nothing was made");
        bytes = offer->data(format).size();
    }
    state.counters["bytes"] = double(bytes);
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir settings;
    OverrideSettingsFolder(settings.path());
    ScreenMetrics::SetFixedScreen(QSize(kScreenWidth, kScreenHeight));
    TabletBinding::Instance().SetMousePen(true);
    TabletBinding::Instance().LoadTabletInterface(true);

    benchmark::RegisterBenchmark("Inking", BM_Inking)->Unit(benchmark::kMillisecond)->Iterations(20);
    for (const QString& format : {ClipboardInkOffer::kPng, ClipboardInkOffer::kBmp, ClipboardInkOffer::kHtml})
        benchmark::RegisterBenchmark(("Render/" + format.toStdString()).c_str(), BM_Render, format)
            ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
