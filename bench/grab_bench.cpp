// The whole grab of the screen through Qt's screens, from the X server's pixels to the bitmap
// a drawing surface takes. Needs an X server: run it on a 1920 x 1080 Xvfb,
//
//   tests/x11/run-in-xvfb build/bench/grab_bench
//
// where the second case adds a 1000 x 800 monitor beside the first, which makes the grab
// compose two screens into one picture.

#include "platform/X11ScreenGrab.h"

#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTest>

#include <benchmark/benchmark.h>

namespace {

void Grab(benchmark::State& state)
{
    X11ScreenGrab grab;
    QSize size;
    for (auto _ : state) {
        const ScreenGrabResult result = grab.Grab();
        if (!result.Ok()) {
            state.SkipWithError(qPrintable(result.error));
            return;
        }
        size = result.image.size();
        benchmark::DoNotOptimize(result.image.constBits());
    }
    state.SetLabel(QStringLiteral("%1 x %2").arg(size.width()).arg(size.height()).toStdString());
    state.SetBytesProcessed(int64_t(state.iterations()) * size.width() * size.height() * 4);
}

void GrabOneScreen(benchmark::State& state)
{
    Grab(state);
}
BENCHMARK(GrabOneScreen)->Unit(benchmark::kMillisecond);

void GrabTwoScreens(benchmark::State& state)
{
    if (QGuiApplication::screens().size() < 2) {
        QProcess::execute(QStringLiteral("xrandr"),
                          {QStringLiteral("--setmonitor"), QStringLiteral("Side"),
                           QStringLiteral("1000/250x800/200+1920+0"), QStringLiteral("none")});
        if (!QTest::qWaitFor([] { return QGuiApplication::screens().size() >= 2; }, 5000)) {
            state.SkipWithError("no second monitor");
            return;
        }
    }
    Grab(state);
}
BENCHMARK(GrabTwoScreens)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
