// A full repaint of a 1920 × 1080 window from the page buffer at each zoom: the work the view
// does on every paint; and, with
//   view_bench --open NOTE [benchmark options]
// File Open of NOTE in a shown window until its page is drawn with all its ink (write a large
// note with document_bench --write-note).

#include "canvas/CScrivaView.h"
#include "canvas/PageBands.h"
#include "platform/ScreenMetrics.h"
#include "platform/Settings.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>

#include <cstring>

namespace {

void BM_Repaint(benchmark::State& state)
{
    const int zoomSteps = int(state.range(0));  // 0: 0.5, 1: 1, 2: 2, 3: 4
    CScrivaDoc document;
    CScrivaView view(document);
    document.OnNewDocument();
    for (int i = 0; i < zoomSteps; ++i)
        view.OnZoomIn();
    view.ScrollTo(200, 300);
    QImage window = DrawingSurface::CreateBitmap(1920, 1080);
    for (auto _ : state) {
        view.OnDraw(window);
        benchmark::DoNotOptimize(window.constBits());
    }
    state.counters["zoom"] = view.Zoom();
    state.counters["page_w"] = view.Page().PageWidth();
    state.counters["page_h"] = view.Page().PageHeight();
}

QString g_note;  // --open

// Opens the note into the document and the shown window already there, as File Open does, and
// takes the window's picture once the page is drawn.
void BM_OpenNote(benchmark::State& state)
{
    CScrivaDoc document;
    CScrivaView view(document);
    view.resize(1920, 1000);
    view.show();
    document.OnNewDocument();
    QImage window = DrawingSurface::CreateBitmap(1920, 1000);
    view.OnDraw(window);  // the window has a picture to draw into
    QApplication::processEvents();
    for (auto _ : state) {
        if (!document.OnOpenDocument(g_note)) {
            state.SkipWithError("the note did not open");
            break;
        }
        QApplication::processEvents();  // the last paint
    }
    state.counters["strokes"] = document.m_lines.GetCount();
    state.counters["bands"] = PageBands::BandCount(view.Page().PageRect());
}

}  // namespace

BENCHMARK(BM_Repaint)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir settings;
    OverrideSettingsFolder(settings.path());
    ScreenMetrics::SetFixedScreen(QSize(1920, 1080));
    if (argc > 2 && std::strcmp(argv[1], "--open") == 0) {
        g_note = QString::fromLocal8Bit(argv[2]);
        BENCHMARK(BM_OpenNote)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
        argv[2] = argv[0];
        argc -= 2;
        argv += 2;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
