// Speed of the image data that note files keep for pictures: a full-screen picture
// (1920 × 1080) turned into image data and back. Goal: at most 15 ms each way. And the
// redraw of part of that picture stretched onto the page, as after an erasure over it.

#include "pictures/CPictureItem.h"
#include "pictures/ImageData.h"
#include "platform/DrawingSurface.h"

#include <benchmark/benchmark.h>

#include <QImage>

#include <vector>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// A picture whose every pixel differs from its neighbours, like a photograph.
QImage Photo()
{
    QImage bitmap(kWidth, kHeight, QImage::Format_RGB32);
    for (int y = 0; y < kHeight; ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(bitmap.scanLine(y));
        for (int x = 0; x < kWidth; ++x)
            row[x] = qRgb((x * 7 + y) & 0xFF, (x + y * 3) & 0xFF, (x * y) & 0xFF);
    }
    return bitmap;
}

void BM_SavePicture2(benchmark::State& state)
{
    const QImage bitmap = Photo();
    DWORD size = 0;
    SavePicture1(&bitmap, &size);
    std::vector<BYTE> data(size);
    for (auto _ : state) {
        const bool saved = SavePicture2(&bitmap, size, data.data());
        benchmark::DoNotOptimize(saved);
        benchmark::ClobberMemory();
    }
    state.counters["image_data_MB"] = double(size) / 1e6;
}

void BM_OpenPicture(benchmark::State& state)
{
    const QImage bitmap = Photo();
    DWORD size = 0;
    SavePicture1(&bitmap, &size);
    std::vector<BYTE> data(size);
    SavePicture2(&bitmap, size, data.data());
    for (auto _ : state) {
        QImage opened = OpenPicture(kWidth, kHeight, size, data.data());
        benchmark::DoNotOptimize(opened.constBits());
    }
    state.counters["image_data_MB"] = double(size) / 1e6;
}

}  // namespace

// The picture shown at about half size on a 1024-pixel-wide page; a square of the given side
// inside it is redrawn (200: an erasure; 700: the picture's whole height).
void BM_DrawInRect(benchmark::State& state)
{
    CPictureItem picture;
    picture.SetBitmap(Photo(), kWidth, kHeight);
    picture.SetRect(CRect(12, 40, 1012, 740));
    DrawingSurface page(DrawingSurface::CreateBitmap(1024, 1365));
    const LONG side = LONG(state.range(0));
    const CRect area(100, 40, 100 + side, 40 + side);
    for (auto _ : state) {
        picture.DrawInRect(&page, area);
        benchmark::DoNotOptimize(page.Bitmap().constBits());
    }
}

BENCHMARK(BM_SavePicture2)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_OpenPicture)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_DrawInRect)->Arg(200)->Arg(700)->Unit(benchmark::kMicrosecond)->MinTime(0.5);

BENCHMARK_MAIN();
