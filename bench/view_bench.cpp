// A full repaint of a 1920 × 1080 window from the page buffer at each zoom: the work the view
// does on every paint.

#include "canvas/CScrivaView.h"
#include "platform/ScreenMetrics.h"
#include "platform/Settings.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>

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

}  // namespace

BENCHMARK(BM_Repaint)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir settings;
    OverrideSettingsFolder(settings.path());
    ScreenMetrics::SetFixedScreen(QSize(1920, 1080));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
