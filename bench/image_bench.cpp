// Speed of the image data that note files keep for pictures: a full-screen picture
// (1920 × 1080) turned into image data and back. Goal: at most 15 ms each way.

#include "pictures/ImageData.h"

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

BENCHMARK(BM_SavePicture2)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_OpenPicture)->Unit(benchmark::kMillisecond)->MinTime(0.5);

BENCHMARK_MAIN();
