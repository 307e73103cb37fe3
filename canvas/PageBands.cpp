#include "PageBands.h"

#include <QThread>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// The largest multiple of step not above v.
LONG FloorTo(LONG v, LONG step)
{
    const LONG q = v / step;
    return (q * step > v ? q - 1 : q) * step;
}

// Band i of count over area's rows, its top edge moved up onto a multiple of step (the first
// band keeps the area's top); empty when rounding leaves it no rows.
CRect BandOf(const CRect& area, int i, int count, LONG step)
{
    const auto edge = [&](int k) {
        if (k == 0)
            return area.top;
        if (k == count)
            return area.bottom;
        const LONG even = area.top + LONG(int64_t(area.Height()) * k / count);
        return std::max(area.top, FloorTo(even, step));
    };
    return CRect(area.left, edge(i), area.right, std::max(edge(i), edge(i + 1)));
}

}  // namespace

int PageBands::BandCount(const CRect& area)
{
    const int threads = QThread::idealThreadCount();
    if (threads <= 1 || int64_t(area.Width()) * area.Height() < kSmallArea)
        return 1;
    return int(std::clamp<int64_t>(area.Height() / kMinBandRows, 1, int64_t(threads) * kBandsPerThread));
}

void PageBands::Draw(DrawingSurface& dc, const CRect& area, int bands, LONG rowStep, const DrawBand& draw,
                     const BandDrawn& drawn)
{
    if (area.IsRectEmpty())
        return;
    rowStep = std::max<LONG>(1, rowStep);
    bands = int(std::clamp<int64_t>(bands, 1, std::max<int64_t>(1, area.Height() / rowStep)));
    const POINT org = dc.GetViewportOrg();
    const auto device = [&](const CRect& band) {
        return CRect(LONG(std::clamp<int64_t>(int64_t(band.left) + org.x, INT32_MIN, INT32_MAX)),
                     LONG(std::clamp<int64_t>(int64_t(band.top) + org.y, INT32_MIN, INT32_MAX)),
                     LONG(std::clamp<int64_t>(int64_t(band.right) + org.x, INT32_MIN, INT32_MAX)),
                     LONG(std::clamp<int64_t>(int64_t(band.bottom) + org.y, INT32_MIN, INT32_MAX)));
    };

    // Every part is made here, before any thread draws: the first may detach the pixels.
    std::vector<CRect> rects;
    std::vector<DrawingSurface> parts;
    for (int i = 0; i < bands; ++i) {
        const CRect band = BandOf(area, i, bands, rowStep);
        if (band.IsRectEmpty())
            continue;
        rects.push_back(band);
        parts.push_back(dc.SharedPart(device(band)));
    }
    if (rects.size() == 1) {
        draw(parts[0], rects[0]);
        if (drawn)
            drawn(rects[0]);
        return;
    }

    std::atomic<size_t> next{0};
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<size_t> finished;  // guarded by mutex
    std::exception_ptr failure;    // the first band that threw; guarded by mutex
    const auto work = [&] {
        for (size_t i = next++; i < rects.size(); i = next++) {
            std::exception_ptr thrown;
            try {
                draw(parts[i], rects[i]);
            } catch (...) {
                thrown = std::current_exception();
            }
            const std::lock_guard lock(mutex);
            if (thrown && !failure)
                failure = thrown;
            finished.push_back(i);
            changed.notify_one();
        }
    };
    const size_t threads = std::min<size_t>(rects.size(), size_t(std::max(1, QThread::idealThreadCount())));
    std::vector<std::thread> workers;
    // The workers are joined however this returns: they draw on the caller's pixels.
    struct JoinAll {
        std::vector<std::thread>& threads;
        ~JoinAll()
        {
            for (std::thread& thread : threads)
                thread.join();
        }
    } joinAll{workers};
    workers.reserve(threads);
    for (size_t t = 0; t < threads; ++t)
        workers.emplace_back(work);
    for (size_t reported = 0; reported < rects.size();) {
        std::vector<size_t> done;
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return finished.size() > reported; });
            done.assign(finished.begin() + std::ptrdiff_t(reported), finished.end());
        }
        reported += done.size();
        if (drawn)
            for (size_t i : done)
                drawn(rects[i]);
    }
    for (std::thread& worker : workers)
        worker.join();
    workers.clear();
    if (failure)
        std::rethrow_exception(failure);
}
