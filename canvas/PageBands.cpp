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

// The edge near at (a multiple of step strictly between above and below) whose cut adds the
// least work, the nearest of those: at itself when there is no cut work for every row.
LONG CheapestCut(const CRect& area, LONG at, LONG above, LONG below, LONG step, const PageBands::RowWork& cut)
{
    if (cut.size() != size_t(area.Height()) || at <= above || at >= below)
        return at;
    const auto work = [&](LONG row) { return cut[size_t(row - area.top)]; };
    LONG best = at;
    for (LONG d = step; d <= PageBands::kCutSearch * step && work(best) > 0; d += step) {
        for (const LONG row : {at - d, at + d})
            if (row > above && row < below && work(row) < work(best))
                best = row;
    }
    return best;
}

// The edges of count bands over area's rows, top to bottom (count + 1 of them, the first and
// last the area's own), the inner ones moved up onto multiples of step. With work for each row
// the bands share it about equally, else their heights; with cut work each inner edge then
// moves to a nearby row where cutting costs less. A band that rounding leaves no rows is empty.
std::vector<LONG> BandEdges(const CRect& area, int count, LONG step, const PageBands::RowWork& work,
                            const PageBands::RowWork& cut)
{
    const bool weighed = work.size() == size_t(area.Height());
    int64_t total = 0;
    if (weighed)
        for (int64_t w : work)
            total += std::max<int64_t>(0, w);
    std::vector<LONG> edges{area.top};
    int64_t sum = 0;  // work of the rows above row
    LONG row = area.top;
    for (int k = 1; k < count; ++k) {
        LONG even = area.top + LONG(int64_t(area.Height()) * k / count);
        if (weighed && total > 0) {
            // The first row whose work above reaches the band's share.
            const int64_t share = total * k / count;
            while (row < area.bottom && sum < share)
                sum += std::max<int64_t>(0, work[size_t(row++ - area.top)]);
            even = row;
        }
        const LONG at = std::clamp(FloorTo(even, step), edges.back(), area.bottom);
        edges.push_back(CheapestCut(area, at, edges.back(), area.bottom, step, cut));
    }
    edges.push_back(area.bottom);
    return edges;
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
                     const BandDrawn& drawn, const RowWork& rowWork, const RowWork& cutWork)
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
    const std::vector<LONG> edges = BandEdges(area, bands, rowStep, rowWork, cutWork);
    std::vector<CRect> rects;
    std::vector<DrawingSurface> parts;
    for (int i = 0; i < bands; ++i) {
        const CRect band(area.left, edges[size_t(i)], area.right, edges[size_t(i) + 1]);
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
    // The workers are joined however this returns (a jthread joins when destroyed): they draw
    // on the caller's pixels.
    std::vector<std::jthread> workers;
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
    workers.clear();  // joins them
    if (failure)
        std::rethrow_exception(failure);
}
