// Printing a note to a PDF file through the printer: a page three new pages high, written on
// with handwriting, sent to a QPrinter in PDF mode sheet by sheet as Print does.

#include "Handwriting.h"

#include "canvas/CanvasPage.h"
#include "canvas/PagePrinter.h"
#include "ink/CLines.h"
#include "platform/ScreenMetrics.h"
#include "platform/Settings.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPrinter>
#include <QTemporaryDir>

namespace {

void BM_PrintThreeSheetsToPdf(benchmark::State& state)
{
    QTemporaryDir folder;
    CanvasPage page(CRect(0, 0, 1024, 768));
    CLines lines;
    // A hundred strokes of handwriting over the page's three units.
    for (int i = 0; i < 100; ++i) {
        auto line = std::make_unique<CLine>();
        line->SetColor(RGB(0, 0, 128));
        const CursiveStyle style{30, 0.9, 3, unsigned(i + 1)};
        for (const PenSample& s : CursiveSamples(40 + (i % 10) * 90, 60 + (i / 10) * 390, 200, style))
            line->AddPoint(s.x, s.y, SHORT(60 + 100 * s.pressure));
        lines.Add(std::move(line));
    }
    page.SetContent(&lines, nullptr);
    page.AddPageLength();
    page.AddPageLength();
    const PagePrinter sheets(page.Surface(), PagePrinter::PageUnit(page.PageRect()));
    int run = 0;
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(folder.filePath(QStringLiteral("sheets-%1.pdf").arg(run++)));
        benchmark::DoNotOptimize(sheets.Print(printer, 1, PagePrinter::MaxPage(page.PageRect()), false));
    }
    state.counters["sheets"] = PagePrinter::MaxPage(page.PageRect());
}

}  // namespace

BENCHMARK(BM_PrintThreeSheetsToPdf)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir settings;
    OverrideSettingsFolder(settings.path());
    ScreenMetrics::SetFixedScreen(QSize(1024, 768));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
